// Resource ids of Lookout.exe: the numbers the program addresses its resources by.
#pragma once

// The default application icon: an Online StartUp shortcut whose own icon cannot be
// extracted is listed with it (16 x 16, 16 colours).
#define IDI_DEFAULT_APP 201

// The program's own icon: the lowest icon id, so Explorer shows it for the file.
#define IDI_LOOKOUT 1

// Tray popup menu: each item's command id is also the id of its string and its icon
// (16 and 32 pixels).
#define IDM_KILL_APPS 101    // "Kill Internet Apps..."
#define IDM_LAUNCH_APPS 102  // "Launch Internet Apps..."
#define IDM_OPTIONS 103      // "Options"
#define IDM_DISABLE 104      // "Disable"
#define IDM_EXIT 105         // "Exit"
#define IDM_ENABLE 204       // "Enable"

// The menu's side bar in the large layout: 21 x 161, 24 bits per pixel.
#define IDB_SIDEBAR 101

// Icons of the application window, by mode.
#define IDI_KILL_MODE 301
#define IDI_LAUNCH_MODE 302
#define IDI_OPTIONS_MODE 303

// Tray and status icons (16 x 16, 16 colours): the modem and its light.
#define IDI_TRAY_CONNECTED 701           // green light
#define IDI_TRAY_STARTING 702            // yellow light
#define IDI_TRAY_NOT_CONNECTED 703       // red light
#define IDI_TRAY_DISABLED 704            // yellow light, prohibition sign
#define IDI_TRAY_CONNECTED_APPS 705      // green light, program window behind
#define IDI_TRAY_NOT_CONNECTED_APPS 706  // red light, program window behind
