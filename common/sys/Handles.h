// Move-only owners for the handles we create, and a guard that puts back what a DC held.
// Views (a child control, a predefined registry root, a shared icon) are never wrapped.
#pragma once
#include <windows.h>

#include <utility>

namespace tw {

template <class H, class Traits>
class UniqueOwner {
public:
    UniqueOwner() noexcept : m_handle(Traits::Invalid()) {}
    explicit UniqueOwner(H handle) noexcept : m_handle(handle) {}
    UniqueOwner(UniqueOwner&& other) noexcept : m_handle(other.Release()) {}
    UniqueOwner& operator=(UniqueOwner&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    UniqueOwner(const UniqueOwner&) = delete;
    UniqueOwner& operator=(const UniqueOwner&) = delete;
    ~UniqueOwner() { Reset(); }

    H Get() const noexcept { return m_handle; }
    explicit operator bool() const noexcept { return m_handle != Traits::Invalid(); }
    H Release() noexcept { return std::exchange(m_handle, Traits::Invalid()); }
    void Reset(H handle = Traits::Invalid()) noexcept {
        if (m_handle != Traits::Invalid()) Traits::Close(m_handle);
        m_handle = handle;
    }

private:
    H m_handle;
};

struct KernelHandleTraits {  // OpenProcess, CreateToolhelp32Snapshot, CreateMutex...: NULL when failed
    static HANDLE Invalid() { return nullptr; }
    static void Close(HANDLE h) { CloseHandle(h); }
};
struct FindHandleTraits {    // FindFirstFile: INVALID_HANDLE_VALUE when failed
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { FindClose(h); }
};
struct FileHandleTraits {    // CreateFile: INVALID_HANDLE_VALUE when failed
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { CloseHandle(h); }
};
struct KeyTraits {
    static HKEY Invalid() { return nullptr; }
    static void Close(HKEY h) { RegCloseKey(h); }
};
struct IconTraits {
    static HICON Invalid() { return nullptr; }
    static void Close(HICON h) { DestroyIcon(h); }
};
template <class H>
struct GdiTraits {           // CreateCompatibleBitmap, LoadImage(IMAGE_BITMAP), CreateFont...
    static H Invalid() { return nullptr; }
    static void Close(H h) { DeleteObject(h); }
};
struct DcTraits {            // CreateCompatibleDC
    static HDC Invalid() { return nullptr; }
    static void Close(HDC h) { DeleteDC(h); }
};
struct ModuleTraits {        // LoadLibrary
    static HMODULE Invalid() { return nullptr; }
    static void Close(HMODULE h) { FreeLibrary(h); }
};

using UniqueHandle = UniqueOwner<HANDLE, KernelHandleTraits>;
using UniqueFind = UniqueOwner<HANDLE, FindHandleTraits>;
using UniqueFile = UniqueOwner<HANDLE, FileHandleTraits>;
using UniqueKey = UniqueOwner<HKEY, KeyTraits>;
using UniqueIcon = UniqueOwner<HICON, IconTraits>;
using UniqueGdiObject = UniqueOwner<HGDIOBJ, GdiTraits<HGDIOBJ>>;
using UniqueBitmap = UniqueOwner<HBITMAP, GdiTraits<HBITMAP>>;
using UniqueFont = UniqueOwner<HFONT, GdiTraits<HFONT>>;
using UniqueBrush = UniqueOwner<HBRUSH, GdiTraits<HBRUSH>>;
using UniqueDC = UniqueOwner<HDC, DcTraits>;
using UniqueModule = UniqueOwner<HMODULE, ModuleTraits>;

// A window's display surface (GetDC), released (ReleaseDC) on scope exit; a null window is
// the screen.
class WindowDC {
public:
    explicit WindowDC(HWND window) noexcept : m_window(window), m_dc(GetDC(window)) {}
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    ~WindowDC() {
        if (m_dc) ReleaseDC(m_window, m_dc);
    }
    HDC Get() const noexcept { return m_dc; }
    explicit operator bool() const noexcept { return m_dc != nullptr; }

private:
    HWND m_window;
    HDC m_dc;
};

// Selects an object into a DC and puts the previous one back on scope exit.
class SelectGuard {
public:
    SelectGuard(HDC dc, HGDIOBJ object) noexcept : m_dc(dc), m_old(SelectObject(dc, object)) {}
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;
    ~SelectGuard() {
        if (m_old && m_old != HGDI_ERROR) SelectObject(m_dc, m_old);
    }

private:
    HDC m_dc;
    HGDIOBJ m_old;
};

}  // namespace tw
