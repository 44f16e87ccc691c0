#include "Units.h"

#include <windows.h>

#include "Handles.h"

namespace tw {
namespace {

// Pixels per logical inch of the screen, read once (the programs do not follow DPI changes).
int ScreenDpi(int index) {
    static int dpi[2] = {0, 0};
    int& slot = dpi[index == LOGPIXELSX ? 0 : 1];
    if (slot == 0) {
        WindowDC screen(nullptr);
        slot = screen ? GetDeviceCaps(screen.Get(), index) : 96;
        if (slot <= 0) slot = 96;
    }
    return slot;
}

}  // namespace

int TwipsPerPixelX() { return 1440 / ScreenDpi(LOGPIXELSX); }
int TwipsPerPixelY() { return 1440 / ScreenDpi(LOGPIXELSY); }
int TwipsToPixelsX(int twips) { return MulDiv(twips, ScreenDpi(LOGPIXELSX), 1440); }
int TwipsToPixelsY(int twips) { return MulDiv(twips, ScreenDpi(LOGPIXELSY), 1440); }
int PixelsToTwipsX(int pixels) { return MulDiv(pixels, 1440, ScreenDpi(LOGPIXELSX)); }
int PixelsToTwipsY(int pixels) { return MulDiv(pixels, 1440, ScreenDpi(LOGPIXELSY)); }
int ScalePixelsToDpi(int pixels) { return MulDiv(pixels, ScreenDpi(LOGPIXELSX), 96); }
int ScreenWidthTwips() { return PixelsToTwipsX(GetSystemMetrics(SM_CXSCREEN)); }
int ScreenHeightTwips() { return PixelsToTwipsY(GetSystemMetrics(SM_CYSCREEN)); }

}  // namespace tw
