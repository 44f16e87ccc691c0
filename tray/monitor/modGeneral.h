// modGeneral: the tray program's shared state between the monitor, the tray icon and the
// application window. Owns WasConnected, the notification-icon record and the two values
// with which the application window is opened.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include <string>

namespace tw::tray {

// The connection state the monitor last acted on: set from a probe when the tray window
// loads, changed only by a tick that runs with the monitor on and sees the other state.
extern bool WasConnected;

// The program's one notification-icon record, passed to every Shell_NotifyIconA call. Its
// size field is NOTIFYICONDATAA_V1_SIZE (88 bytes in the 32-bit program: the original
// layout with a 64-character tip), so every shell version takes it.
extern NOTIFYICONDATAA TrayIconData;

// Set by whoever opens the application window, read by it: the mode it opens in, and
// whether it was opened on the program's own initiative (every entry starts checked).
// The window sets AutoPrompt back to false when it unloads.
extern bool AutoPrompt;
extern std::string AppWindowMode;

// The three modes of the application window.
extern const char* const kLaunchAppsMode;  // "Launch Apps"
extern const char* const kKillAppsMode;    // "Kill Apps"
extern const char* const kOptionsMode;     // "Options"

}  // namespace tw::tray
