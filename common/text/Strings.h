// Small string operations on the programs' (UTF-8) strings, shared by both programs.
#pragma once
#include <string>

namespace tw {

// The part of `text` before its first NUL character; `text` itself when it has none.
// Win32 calls fill fixed buffers: this cuts the unused tail.
std::string TrimNull(const std::string& text);

// The display name of a file name: everything before its last dot, unless a backslash
// comes after that dot (then the dot belongs to a folder name and `text` is returned).
// "My.Mail.lnk" gives "My.Mail", ".lnk" gives "", "C:\My.Dir\File" stays as it is.
std::string StripExtension(const std::string& text);

// `text` with the ASCII letters a-z in capitals and every other byte as it is: for comparing
// with the programs' own ASCII words ("RUNDLL", "%PROGRAMFILES%"), the same in every language.
std::string AsciiUpper(std::string text);

}  // namespace tw
