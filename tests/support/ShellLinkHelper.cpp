#include "ShellLinkHelper.h"

#include <cstdio>
#include <vector>

#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>
#include <shobjidl.h>

namespace tw::test {

HRESULT CreateShellLink(const std::string& linkFile, const ShellLinkFields& fields) {
    IShellLinkA* link = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                  reinterpret_cast<void**>(&link));
    if (FAILED(hr)) return hr;
    if (!fields.path.empty()) hr = link->SetPath(fields.path.c_str());
    if (SUCCEEDED(hr) && !fields.arguments.empty()) hr = link->SetArguments(fields.arguments.c_str());
    if (SUCCEEDED(hr) && !fields.workingDirectory.empty())
        hr = link->SetWorkingDirectory(fields.workingDirectory.c_str());
    if (SUCCEEDED(hr) && !fields.iconPath.empty())
        hr = link->SetIconLocation(fields.iconPath.c_str(), fields.iconIndex);
    if (SUCCEEDED(hr)) hr = link->SetShowCmd(fields.showCmd);
    if (SUCCEEDED(hr) && !fields.description.empty())
        hr = link->SetDescription(fields.description.c_str());
    IPersistFile* file = nullptr;
    if (SUCCEEDED(hr))
        hr = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
    if (SUCCEEDED(hr)) {
        wchar_t wide[MAX_PATH];
        if (MultiByteToWideChar(CP_ACP, 0, linkFile.c_str(), -1, wide, MAX_PATH) == 0)
            hr = E_INVALIDARG;
        else
            hr = file->Save(wide, TRUE);
    }
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

bool SaveScreen(const std::string& file) {
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof(info);
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    const int stride = (width * 3 + 3) & ~3;
    std::vector<unsigned char> pixels(static_cast<size_t>(stride) * height);
    const int lines = GetDIBits(memory, bitmap, 0, height, pixels.data(),
                                reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    if (lines != height) return false;
    BITMAPFILEHEADER header = {};
    header.bfType = 0x4D42;
    header.bfOffBits = sizeof(header) + sizeof(info);
    header.bfSize = header.bfOffBits + static_cast<DWORD>(pixels.size());
    FILE* out = std::fopen(file.c_str(), "wb");
    if (!out) return false;
    std::fwrite(&header, sizeof(header), 1, out);
    std::fwrite(&info, sizeof(info), 1, out);
    std::fwrite(pixels.data(), pixels.size(), 1, out);
    return std::fclose(out) == 0;
}

}  // namespace tw::test
