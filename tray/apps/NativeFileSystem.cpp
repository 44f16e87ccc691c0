// NativeFileSystem over the WoW64 redirection calls of kernel32 (XP x64 and later).
#include "NativeFileSystem.h"

#include <windows.h>

#include "OptionalCalls.h"

namespace tw::tray {

#ifdef _WIN64
NativeFileSystem::NativeFileSystem() {}
NativeFileSystem::~NativeFileSystem() {}
#else
namespace {

using RedirectionCall = BOOL(WINAPI*)(PVOID*);
using RevertCall = BOOL(WINAPI*)(PVOID);

}  // namespace

NativeFileSystem::NativeFileSystem() {
    static const auto turnOff = sys::Find<RedirectionCall>(sys::OptionalCall::Wow64DisableWow64FsRedirection);
    // 32-bit Windows has the call too (Vista and later) and fails it: nothing to turn off.
    m_turnedOff = turnOff && turnOff(&m_previous);
}

NativeFileSystem::~NativeFileSystem() {
    static const auto revert = sys::Find<RevertCall>(sys::OptionalCall::Wow64RevertWow64FsRedirection);
    if (m_turnedOff && revert) revert(m_previous);
}
#endif

}  // namespace tw::tray
