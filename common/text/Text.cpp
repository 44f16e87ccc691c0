// UTF-8 <-> UTF-16 by hand (Windows 95 has no CP_UTF8), the ANSI code page through the
// system's own tables, and the family test.
#include "Text.h"

namespace tw {
namespace {

constexpr unsigned kReplacement = 0xFFFD;

void AppendUtf8(std::string& out, unsigned c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// The code point at `i` (advanced past it). A surrogate encoded on its own (three bytes, as
// FromWide writes a lone one) comes back as itself, so any UTF-16 name survives the trip.
unsigned NextCodePoint(const std::string& s, size_t& i) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned lead = byte(i++);
    if (lead < 0x80) return lead;
    int extra = lead >= 0xF0 && lead < 0xF5 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC2 && lead < 0xE0 ? 1 : -1;
    if (extra < 0) return kReplacement;
    unsigned c = lead & (0x3F >> extra);
    for (int k = 0; k < extra; ++k) {
        if (i >= s.size() || (byte(i) & 0xC0) != 0x80) return kReplacement;
        c = (c << 6) | (byte(i++) & 0x3F);
    }
    static const unsigned kLeast[] = {0, 0x80, 0x800, 0x10000};
    if (c < kLeast[extra] || c > 0x10FFFF) return kReplacement;  // overlong or beyond Unicode
    return c;
}

}  // namespace

bool UnicodeSystem() {
    // The high bit of GetVersion is set on the 95/98/Me family only.
    static const bool nt = (GetVersion() & 0x80000000u) == 0;
    return nt;
}

WideText ToWide(const std::string& text) {
    WideText wide;
    wide.reserve(text.size() + 1);
    for (size_t i = 0; i < text.size();) {
        unsigned c = NextCodePoint(text, i);
        if (c >= 0x10000) {
            c -= 0x10000;
            wide.push_back(static_cast<wchar_t>(0xD800 | (c >> 10)));
            wide.push_back(static_cast<wchar_t>(0xDC00 | (c & 0x3FF)));
        } else {
            wide.push_back(static_cast<wchar_t>(c));
        }
    }
    wide.push_back(L'\0');
    return wide;
}

std::string FromWide(const wchar_t* text, int length) {
    std::string out;
    if (!text) return out;
    size_t n = 0;
    if (length < 0) {
        while (text[n]) ++n;
    } else {
        n = static_cast<size_t>(length);
    }
    out.reserve(n);
    for (size_t i = 0; i < n; ++i) {
        unsigned c = static_cast<unsigned short>(text[i]);
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < n) {
            unsigned low = static_cast<unsigned short>(text[i + 1]);
            if (low >= 0xDC00 && low < 0xE000) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        AppendUtf8(out, c);
    }
    return out;
}

std::string WideToAnsi(const wchar_t* text, int length) {
    if (length <= 0) return std::string();
    int size = WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return std::string();
    std::string ansi(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, length, &ansi[0], size, nullptr, nullptr);
    return ansi;
}

WideText AnsiToWide(const char* text, int length) {
    if (!text || length <= 0) return {};
    int size = MultiByteToWideChar(CP_ACP, 0, text, length, nullptr, 0);
    if (size <= 0) return {};
    WideText wide(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, length, wide.data(), size);
    return wide;
}

std::string ToAnsi(const std::string& text) {
    const WideText wide = ToWide(text);
    return WideToAnsi(wide.data(), static_cast<int>(wide.size()) - 1);
}

std::string FromAnsi(const char* text, int length) {
    if (!text) return std::string();
    if (length < 0) length = lstrlenA(text);
    const WideText wide = AnsiToWide(text, length);
    return FromWide(wide.data(), static_cast<int>(wide.size()));
}

bool FitsAnsi(const std::string& text) {
    const std::string ansi = ToAnsi(text);
    return FromAnsi(ansi.c_str(), static_cast<int>(ansi.size())) == text;
}

SystemText::SystemText(const std::string& text) {
    if (!UnicodeSystem()) {
        m_text = ToAnsi(text);
        return;
    }
    const WideText wide = ToWide(text);
    m_text.assign(reinterpret_cast<const char*>(wide.data()), wide.size() * sizeof(wchar_t));
}

}  // namespace tw
