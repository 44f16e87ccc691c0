// Strings, icons and bitmaps from the program's own module, addressed by number.
#pragma once
#include <windows.h>

#include <string>

#include "Handles.h"

namespace tw {

// The string table entry `id`, or "" when there is none.
std::string LoadResString(UINT id);
// Icon resource `id` at `size` x `size` pixels (0: the system's default icon size);
// empty when missing.
UniqueIcon LoadResIcon(UINT id, int size);
// Bitmap resource `id`; empty when missing.
UniqueBitmap LoadResBitmap(UINT id);

// The icon sizes the system asks for at the screen's DPI (SM_CXSMICON, SM_CXICON): 16 and
// 32 at 96 dpi, 24 and 48 at 144.
int SmallIconSize();
int LargeIconSize();
// Every icon of the programs holds images of these sizes, in pixels.
constexpr int kIconImageSizes[] = {16, 20, 24, 32, 48};
// The largest of those that fits a box of `box` pixels (`box` itself below the smallest):
// drawn at that size in the box an icon stays sharp, where one loaded at the box's size
// would be stretched from a smaller image.
int SharpIconSize(int box);

}  // namespace tw
