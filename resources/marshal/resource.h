// Resource ids of Marshal.exe: the numbers the program addresses its resources by.
#pragma once

// Icons (16 x 16).
#define IDI_FALLBACK 101      // a list row whose file yields no icon
#define IDI_LIST 102          // image 1 of the list's image list
#define IDI_WARNING_SIGN 103  // the warning sign of pages 1 and 2

// The program's own icon: the lowest icon id, so Explorer shows it for the file.
#define IDI_MARSHAL 1

// The wizard picture on the left: 144 x 287, 24 bits per pixel.
#define IDB_WIZARD 101
