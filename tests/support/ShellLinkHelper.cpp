#include "ShellLinkHelper.h"

#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "ScreenShot.h"

namespace tw::test {

namespace {
// UTF-8 to UTF-16 by the system's own conversion, not the programs' layer: the tests' links
// are written by other code than the one they test.
std::wstring Wide(const std::string& text) {
    int length = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(length > 0 ? static_cast<size_t>(length) : 1, L'\0');
    if (length > 0) MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, &wide[0], length);
    wide.resize(wide.size() - 1);
    return wide;
}
}  // namespace

HRESULT CreateShellLink(const std::string& linkFile, const ShellLinkFields& fields) {
    IShellLinkW* link = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  reinterpret_cast<void**>(&link));
    if (FAILED(hr)) return hr;
    if (!fields.path.empty()) hr = link->SetPath(Wide(fields.path).c_str());
    if (SUCCEEDED(hr) && !fields.arguments.empty()) hr = link->SetArguments(Wide(fields.arguments).c_str());
    if (SUCCEEDED(hr) && !fields.workingDirectory.empty())
        hr = link->SetWorkingDirectory(Wide(fields.workingDirectory).c_str());
    if (SUCCEEDED(hr) && !fields.iconPath.empty())
        hr = link->SetIconLocation(Wide(fields.iconPath).c_str(), fields.iconIndex);
    if (SUCCEEDED(hr)) hr = link->SetShowCmd(fields.showCmd);
    if (SUCCEEDED(hr) && !fields.description.empty())
        hr = link->SetDescription(Wide(fields.description).c_str());
    IPersistFile* file = nullptr;
    if (SUCCEEDED(hr))
        hr = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
    if (SUCCEEDED(hr)) hr = file->Save(Wide(linkFile).c_str(), TRUE);
    if (file) file->Release();
    link->Release();
    return hr;
}

bool WriteTextFile(const std::string& file, const std::string& contents) {
    HANDLE handle = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = WriteFile(handle, contents.data(), static_cast<DWORD>(contents.size()), &written,
                        nullptr);
    CloseHandle(handle);
    return ok && written == contents.size();
}

std::string NewTestFolder(const std::string& name) {
    char temp[MAX_PATH];
    DWORD length = GetTempPathA(MAX_PATH, temp);
    if (length == 0 || length >= MAX_PATH) return std::string();
    std::string base(temp, length);
    if (base.back() != '\\') base += '\\';
    for (unsigned n = GetCurrentProcessId();; ++n) {
        std::string folder = base + "tw-" + name + "-" + std::to_string(n);
        if (CreateDirectoryA(folder.c_str(), nullptr)) return folder + "\\";
        if (GetLastError() != ERROR_ALREADY_EXISTS) return std::string();
    }
}

bool SaveScreen(const std::string& file) { return ScreenShot().SaveTo(file); }

}  // namespace tw::test
