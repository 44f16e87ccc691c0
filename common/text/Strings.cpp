// TrimNull, StripExtension and AsciiUpper.
#include "Strings.h"

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

std::string AsciiUpper(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

}  // namespace tw
