// Which Windows a test runs on, as the system itself answers (never the machine that runs
// Wine): a test about one kind of Windows skips on the others with GTEST_SKIP and its reason.
#pragma once
#include <windows.h>

#include <string>

#include "OptionalCalls.h"

namespace tw::test {

// The folder of the 32-bit system files, "" on 32-bit Windows, where GetSystemWow64DirectoryA
// fails (looked up at run time: Windows 2000 has none).
inline std::string Wow64SystemFolder() {
    using Call = UINT(WINAPI*)(LPSTR, UINT);
    auto call = reinterpret_cast<Call>(
        reinterpret_cast<void*>(LoadSystemProc("kernel32.dll", "GetSystemWow64DirectoryA")));
    char folder[MAX_PATH] = {};
    const UINT length = call ? call(folder, MAX_PATH) : 0;
    return length > 0 && length < MAX_PATH ? std::string(folder, length) : std::string();
}

// True on 64-bit Windows, for the 32-bit and the 64-bit tests alike.
inline bool OnWindows64() { return !Wow64SystemFolder().empty(); }

// True for a 32-bit test on 64-bit Windows: it runs through WoW64, which shows it the 32-bit
// view of the machine's keys and SysWOW64 under System32's name.
inline bool InWow64() {
#ifdef _WIN64
    return false;
#else
    return OnWindows64();
#endif
}

// The system folder the system's own programs live in (System32 as a 64-bit program sees it
// on 64-bit Windows): a WoW64 process reaches it as Sysnative.
inline std::string NativeSystemFolder() {
    char windows[MAX_PATH] = {};
    const UINT length = GetWindowsDirectoryA(windows, MAX_PATH);
    return std::string(windows, length < MAX_PATH ? length : 0) + (InWow64() ? "\\Sysnative" : "\\System32");
}

// What the log says about the Windows a test executable runs on.
inline const char* WindowsKindText() {
    if (!OnWindows64()) return "32-bit Windows";
    return InWow64() ? "64-bit Windows, this 32-bit test through WoW64" : "64-bit Windows";
}

}  // namespace tw::test
