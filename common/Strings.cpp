// TrimNull, StripExtension and Widen.
#include "Strings.h"

#include <windows.h>

namespace tw {

std::string TrimNull(const std::string& text) {
    std::string::size_type nul = text.find('\0');
    return nul == std::string::npos ? text : text.substr(0, nul);
}

std::string StripExtension(const std::string& text) {
    // Walk back from the end: a backslash first means no extension, a dot ends the name.
    for (std::string::size_type i = text.size(); i-- > 0;) {
        if (text[i] == '\\') return text;
        if (text[i] == '.') return text.substr(0, i);
    }
    return text;
}

std::vector<wchar_t> Widen(const std::string& text) {
    // A vector, not a std::wstring: the wide string class would be linked for this alone.
    int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::vector<wchar_t> wide(static_cast<size_t>(length > 0 ? length : 1), L'\0');
    if (length > 0) MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), length);
    return wide;
}

}  // namespace tw
