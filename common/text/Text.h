// The programs' text at the system boundary. Inside, every string is UTF-8 (std::string):
// no byte of a non-ASCII character is "\", ".", a quote or a blank, so byte-wise path and
// command-line parsing stays right. The NT family is called through the W functions, with
// UTF-16 made from and turned back into UTF-8 here; the 95/98/Me family, which has no W
// functions, through the A functions with the ANSI code page. The family is decided once.
// System.h holds the calls themselves; nothing else converts.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace tw {

// True on the NT family (NT 4, 2000, XP and later), where the W functions exist.
bool UnicodeSystem();

// A NUL-terminated UTF-16 string for a W function (a vector, not std::wstring: the wide
// string class would be linked for this alone).
using WideText = std::vector<wchar_t>;

// UTF-8 to UTF-16 and back. A byte sequence that is not UTF-8 comes through as U+FFFD.
WideText ToWide(const std::string& text);
// `length` UTF-16 units from `text`, or up to its NUL when `length` is -1.
std::string FromWide(const wchar_t* text, int length = -1);

// UTF-8 to the ANSI code page and back (the 95/98/Me calls). A character the code page
// lacks becomes the code page's default character ("?").
std::string ToAnsi(const std::string& text);
std::string FromAnsi(const char* text, int length = -1);
// `length` UTF-16 units to the ANSI code page and back, NULs and all.
std::string WideToAnsi(const wchar_t* text, int length);
WideText AnsiToWide(const char* text, int length);  // not NUL-terminated
// True when `text` survives the trip through the ANSI code page unchanged.
bool FitsAnsi(const std::string& text);

// A string in the system's own encoding for the call at hand, the family chosen once:
// UTF-16 on NT (`W()`), ANSI otherwise (`A()`). Keeps the converted text alive for the call.
class SystemText {
public:
    explicit SystemText(const std::string& text);
    const wchar_t* W() const { return reinterpret_cast<const wchar_t*>(m_text.c_str()); }
    const char* A() const { return m_text.c_str(); }
    // W() or A() as the untyped pointer some structures take (the family decides).
    const void* Either() const { return m_text.c_str(); }

private:
    std::string m_text;  // the UTF-16 units (and their NUL) on NT, the ANSI bytes otherwise
};

}  // namespace tw
