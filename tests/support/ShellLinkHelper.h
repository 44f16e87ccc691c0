// Test helpers that write files for the shortcut tests: shell links written with the
// shell's own link object (IShellLinkW + IPersistFile::Save, names and fields in UTF-8),
// plain text files, folders;
// and a picture of the screen for the tests that keep screenshots.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>

namespace tw::test {

struct ShellLinkFields {
    std::string path;
    std::string arguments;
    std::string workingDirectory;
    std::string iconPath;
    int iconIndex = 0;
    int showCmd = SW_SHOWNORMAL;
    std::string description;
};

// Writes `linkFile` as a shell link holding `fields` (empty strings are not set).
// Returns the first failing HRESULT, or S_OK.
HRESULT CreateShellLink(const std::string& linkFile, const ShellLinkFields& fields);

// UTF-8 to UTF-16 by the system's own conversion (not the programs' layer), for checking what
// the programs hand to the system.
inline std::wstring Utf16(const std::string& utf8) {
    int length = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
    std::wstring wide(length > 0 ? static_cast<size_t>(length) : 1, L'\0');
    if (length > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, &wide[0], length);
    wide.resize(wide.size() - 1);
    return wide;
}

// What a list view control itself holds for an item or sub-item, asked with the W message.
inline std::wstring ListItemText(HWND list, int item, int subItem) {
    wchar_t text[512] = {};
    LVITEMW lvi{};
    lvi.iSubItem = subItem;
    lvi.pszText = text;
    lvi.cchTextMax = 512;
    SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&lvi));
    return std::wstring(text);
}

// Writes `contents` to `file` exactly (replacing it); false on failure.
bool WriteTextFile(const std::string& file, const std::string& contents);

// A fresh, empty folder under the prefix's temporary folder, ending in "\";
// `name` keeps folders of different tests apart.
std::string NewTestFolder(const std::string& name);

// Saves the whole screen as a 24-bit BMP; false on failure.
bool SaveScreen(const std::string& file);

}  // namespace tw::test
