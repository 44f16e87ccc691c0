// A copy of a part of the screen, for tests that look at what a window painted. With
// TW_SCREENSHOTS set to a folder (a Windows path), SaveAs keeps it there as a BMP; at a
// resolution other than 96 dpi the name gets "-<dpi>dpi" before its extension.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace tw::test {

class ScreenShot {
public:
    explicit ScreenShot(const RECT& rect);
    // The whole screen.
    ScreenShot();

    bool Ok() const { return m_ok; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    // The pixel at (x, y) of the copy, as a COLORREF.
    COLORREF Pixel(int x, int y) const;
    // Saves it as `name` in the TW_SCREENSHOTS folder; true when saved, false when that
    // failed or no folder was given.
    bool SaveAs(const std::string& name) const;
    // Saves it as the BMP file `file`; true when saved.
    bool SaveTo(const std::string& file) const;

private:
    int m_width, m_height, m_stride = 0;
    BITMAPINFOHEADER m_info = {};
    std::vector<unsigned char> m_pixels;
    bool m_ok = false;
};

// `rect` grown by `margin` pixels on every side.
RECT Around(RECT rect, int margin);

// The pixel width of an icon, from its mask bitmap (which every icon has); 0 for no icon.
int IconWidth(HICON icon);

}  // namespace tw::test
