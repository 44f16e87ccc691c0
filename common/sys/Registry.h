// Registry keys and values, with names and text in UTF-8.
#pragma once
#include <windows.h>

#include <string>

#include "Text.h"

namespace tw::sys {

// ---- Registry --------------------------------------------------------------------------------

LONG RegOpen(HKEY hive, const std::string& subKey, REGSAM access, HKEY& key);
LONG RegCreate(HKEY hive, const std::string& subKey, REGSAM access, HKEY& key);
// A value's type and bytes as the registry holds them: for the string types UTF-16 (`utf16`)
// on the NT family, ANSI on 95/98/Me.
struct RegValue {
    DWORD type = REG_NONE;
    std::string bytes;
    bool utf16 = false;
};
// Reads a value whole, whatever its length.
LONG RegQuery(HKEY key, const std::string& name, RegValue& value);
// A value's text up to its first NUL (the bytes of other types read as ANSI text).
std::string RegText(const RegValue& value);
// The name of value `index` of `key`; ERROR_NO_MORE_ITEMS after the last.
LONG RegValueName(HKEY key, DWORD index, std::string& name);
LONG RegSetText(HKEY key, const std::string& name, const std::string& text);  // REG_SZ
LONG RegDeleteValue(HKEY key, const std::string& name);  // reported as a RegistryDelete

}  // namespace tw::sys
