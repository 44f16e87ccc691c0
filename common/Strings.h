// Small string operations on platform (ANSI) strings, shared by both programs.
#pragma once
#include <string>
#include <vector>

namespace tw {

// The part of `text` before its first NUL character; `text` itself when it has none.
// Win32 calls fill fixed buffers: this cuts the unused tail.
std::string TrimNull(const std::string& text);

// The display name of a file name: everything before its last dot, unless a backslash
// comes after that dot (then the dot belongs to a folder name and `text` is returned).
// "My.Mail.lnk" gives "My.Mail", ".lnk" gives "", "C:\My.Dir\File" stays as it is.
std::string StripExtension(const std::string& text);

// The text in the ANSI code page as a NUL-terminated wide string (for COM calls that take
// file names); just the NUL when it cannot be converted.
std::vector<wchar_t> Widen(const std::string& text);

}  // namespace tw
