#include "ShellLinkHelper.h"

#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "ScreenShot.h"

namespace tw::test {

HRESULT CreateShellLink(const std::string& linkFile, const ShellLinkFields& fields) {
    IShellLinkW* link = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  reinterpret_cast<void**>(&link));
    if (FAILED(hr)) return hr;
    if (!fields.path.empty()) hr = link->SetPath(Utf16(fields.path).c_str());
    if (SUCCEEDED(hr) && !fields.arguments.empty()) hr = link->SetArguments(Utf16(fields.arguments).c_str());
    if (SUCCEEDED(hr) && !fields.workingDirectory.empty())
        hr = link->SetWorkingDirectory(Utf16(fields.workingDirectory).c_str());
    if (SUCCEEDED(hr) && !fields.iconPath.empty())
        hr = link->SetIconLocation(Utf16(fields.iconPath).c_str(), fields.iconIndex);
    if (SUCCEEDED(hr)) hr = link->SetShowCmd(fields.showCmd);
    if (SUCCEEDED(hr) && !fields.description.empty())
        hr = link->SetDescription(Utf16(fields.description).c_str());
    IPersistFile* file = nullptr;
    if (SUCCEEDED(hr))
        hr = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
    if (SUCCEEDED(hr)) hr = file->Save(Utf16(linkFile).c_str(), TRUE);
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
