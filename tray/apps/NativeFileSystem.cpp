// NativeFileSystem over the WoW64 redirection calls of kernel32 (XP x64 and later).
#include "NativeFileSystem.h"

#include <windows.h>

#include "Handles.h"

namespace tw::tray {

#ifdef _WIN64
NativeFileSystem::NativeFileSystem() {}
NativeFileSystem::~NativeFileSystem() {}
#else
namespace {

using RedirectionCall = BOOL(WINAPI*)(PVOID*);
using RevertCall = BOOL(WINAPI*)(PVOID);

template <class Fn>
Fn Kernel32Proc(const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(LoadSystemProc("kernel32.dll", name)));
}

}  // namespace

NativeFileSystem::NativeFileSystem() {
    static const auto turnOff = Kernel32Proc<RedirectionCall>("Wow64DisableWow64FsRedirection");
    // 32-bit Windows has the call too (Vista and later) and fails it: nothing to turn off.
    m_turnedOff = turnOff && turnOff(&m_previous);
}

NativeFileSystem::~NativeFileSystem() {
    static const auto revert = Kernel32Proc<RevertCall>("Wow64RevertWow64FsRedirection");
    if (m_turnedOff && revert) revert(m_previous);
}
#endif

}  // namespace tw::tray
