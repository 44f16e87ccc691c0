// ScreenShot: BitBlt from the screen into a 24-bit DIB, saved with a BITMAPFILEHEADER.
#include "ScreenShot.h"

#include <cstdio>
#include <cstdlib>

namespace tw::test {
namespace {

RECT WholeScreen() { return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

// "-144dpi" at 144 dpi, "" at 96.
std::string DpiSuffix() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return dpi == 96 ? std::string() : "-" + std::to_string(dpi) + "dpi";
}

}  // namespace

ScreenShot::ScreenShot() : ScreenShot(WholeScreen()) {}

ScreenShot::ScreenShot(const RECT& rect) : m_width(rect.right - rect.left), m_height(rect.bottom - rect.top) {
    if (m_width <= 0 || m_height <= 0) return;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, m_width, m_height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, m_width, m_height, screen, rect.left, rect.top, SRCCOPY);
    SelectObject(memory, old);
    m_info.biSize = sizeof(m_info);
    m_info.biWidth = m_width;
    m_info.biHeight = m_height;
    m_info.biPlanes = 1;
    m_info.biBitCount = 24;
    m_stride = (m_width * 3 + 3) & ~3;
    m_pixels.resize(static_cast<size_t>(m_stride) * m_height);
    m_ok = GetDIBits(memory, bitmap, 0, m_height, m_pixels.data(), reinterpret_cast<BITMAPINFO*>(&m_info),
                     DIB_RGB_COLORS) == m_height;
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

COLORREF ScreenShot::Pixel(int x, int y) const {
    if (!m_ok || x < 0 || y < 0 || x >= m_width || y >= m_height) return CLR_INVALID;
    const unsigned char* p = &m_pixels[static_cast<size_t>(m_height - 1 - y) * m_stride + x * 3];
    return RGB(p[2], p[1], p[0]);
}

bool ScreenShot::SaveAs(const std::string& name) const {
    const char* folder = std::getenv("TW_SCREENSHOTS");
    if (!m_ok || !folder || !*folder) return false;
    std::string file = std::string(folder) + "\\" + name;
    const std::string::size_type dot = file.rfind('.');
    file.insert(dot == std::string::npos ? file.size() : dot, DpiSuffix());
    return SaveTo(file);
}

bool ScreenShot::SaveTo(const std::string& file) const {
    if (!m_ok) return false;
    BITMAPFILEHEADER header = {};
    header.bfType = 0x4D42;
    header.bfOffBits = sizeof(header) + sizeof(m_info);
    header.bfSize = header.bfOffBits + static_cast<DWORD>(m_pixels.size());
    FILE* out = std::fopen(file.c_str(), "wb");
    if (!out) return false;
    std::fwrite(&header, sizeof(header), 1, out);
    std::fwrite(&m_info, sizeof(m_info), 1, out);
    std::fwrite(m_pixels.data(), m_pixels.size(), 1, out);
    return std::fclose(out) == 0;
}

RECT Around(RECT rect, int margin) {
    InflateRect(&rect, margin, margin);
    return rect;
}

int IconWidth(HICON icon) {
    ICONINFO info = {};
    if (!icon || !GetIconInfo(icon, &info)) return 0;
    BITMAP mask = {};
    GetObjectA(info.hbmMask, sizeof(mask), &mask);
    DeleteObject(info.hbmMask);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    return mask.bmWidth;
}

}  // namespace tw::test
