// Twips (1/1440 inch), the unit forms and controls are laid out in, and the screen in them.
#pragma once

namespace tw {

int TwipsPerPixelX();  // 15 at 96 dpi
int TwipsPerPixelY();
int TwipsToPixelsX(int twips);
int TwipsToPixelsY(int twips);
int PixelsToTwipsX(int pixels);
int PixelsToTwipsY(int pixels);
// A length of `pixels` at 96 dpi, in pixels at the screen's DPI.
int ScalePixelsToDpi(int pixels);
int ScreenWidthTwips();
int ScreenHeightTwips();

}  // namespace tw
