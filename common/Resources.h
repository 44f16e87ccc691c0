// Strings, icons and bitmaps from the program's own module, addressed by number.
#pragma once
#include <windows.h>

#include <string>

namespace tw {

// The string table entry `id`, or "" when there is none.
std::string LoadResString(UINT id);
// Icon resource `id` at `size` x `size` pixels (0: the system's default icon size);
// null when missing. The caller owns the handle (DestroyIcon).
HICON LoadResIcon(UINT id, int size);
// Bitmap resource `id`; null when missing. The caller owns the handle (DeleteObject).
HBITMAP LoadResBitmap(UINT id);

}  // namespace tw
