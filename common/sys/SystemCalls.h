// The one table of calls looked up at run time, from the system directory only: the W
// functions (95/98/Me lack some of them altogether, and a program that imports a function the
// system lacks does not start) and the calls only some Windows versions have; and the helpers
// the system layer's files share. Private to common/sys/.
#pragma once
#include <windows.h>

#include <string>

#include "OptionalCalls.h"
#include "Text.h"

namespace tw::sys {

// In the 32-bit headers SetWindowLongPtr and GetWindowLongPtr are macros for the Long calls.
#ifdef _WIN64
#define TW_SET_WINDOW_LONG SetWindowLongPtrW
#define TW_GET_WINDOW_LONG GetWindowLongPtrW
#else
#define TW_SET_WINDOW_LONG SetWindowLongW
#define TW_GET_WINDOW_LONG GetWindowLongW
#endif

// The calls looked up at run time: DLL and name. One table, so that each call site costs a
// number, not a look-up of its own.
#define TW_SYSTEM_CALLS(X) \
    X(advapi32, RegCreateKeyExW) \
    X(advapi32, RegDeleteValueW) \
    X(advapi32, RegEnumValueW) \
    X(advapi32, RegOpenKeyExW) \
    X(advapi32, RegQueryValueExW) \
    X(advapi32, RegSetValueExW) \
    X(gdi32, CreateFontIndirectW) \
    X(gdi32, GetObjectW) \
    X(gdi32, GetTextExtentPoint32W) \
    X(kernel32, CopyFileW) \
    X(kernel32, CreateDirectoryW) \
    X(kernel32, CreateFileW) \
    X(kernel32, CreateMutexW) \
    X(kernel32, CreateProcessW) \
    X(kernel32, CreateToolhelp32Snapshot) \
    X(kernel32, DeleteFileW) \
    X(kernel32, ExpandEnvironmentStringsW) \
    X(kernel32, FindFirstFileW) \
    X(kernel32, FindNextFileW) \
    X(kernel32, FormatMessageW) \
    X(kernel32, GetDriveTypeW) \
    X(kernel32, GetEnvironmentVariableW) \
    X(kernel32, GetFileAttributesW) \
    X(kernel32, GetModuleFileNameW) \
    X(kernel32, GetSystemDirectoryW) \
    X(kernel32, IsWow64Process) \
    X(kernel32, K32EnumProcessModules) \
    X(kernel32, K32EnumProcesses) \
    X(kernel32, K32GetModuleFileNameExW) \
    X(kernel32, LCMapStringW) \
    X(kernel32, LoadLibraryW) \
    X(kernel32, MoveFileExW) \
    X(kernel32, Process32First) \
    X(kernel32, Process32FirstW) \
    X(kernel32, Process32Next) \
    X(kernel32, Process32NextW) \
    X(kernel32, QueryFullProcessImageNameW) \
    X(kernel32, Wow64DisableWow64FsRedirection) \
    X(kernel32, Wow64RevertWow64FsRedirection) \
    X(ntdll, NtQuerySystemInformation) \
    X(psapi, EnumProcessModules) \
    X(psapi, EnumProcesses) \
    X(psapi, GetModuleFileNameExW) \
    X(shell32, ExtractIconExW) \
    X(shell32, SHGetPathFromIDListW) \
    X(user32, CallWindowProcW) \
    X(user32, CharUpperBuffW) \
    X(user32, CreateWindowExW) \
    X(user32, DefWindowProcW) \
    X(user32, DispatchMessageW) \
    X(user32, DrawStateW) \
    X(user32, DrawTextW) \
    X(user32, GetMessageW) \
    X(user32, GetWindowTextLengthW) \
    X(user32, GetWindowTextW) \
    X(user32, IsDialogMessageW) \
    X(user32, LoadStringW) \
    X(user32, MessageBoxW) \
    X(user32, PeekMessageW) \
    X(user32, RegisterClassW) \
    X(user32, SendMessageW) \
    X(user32, SetWindowTextW) \
    X(user32, SystemParametersInfoW) \
    X(user32, TW_GET_WINDOW_LONG) \
    X(user32, TW_SET_WINDOW_LONG)

#define TW_ID_(name) k##name,
#define TW_ID(dll, name) TW_ID_(name)
enum CallId { TW_SYSTEM_CALLS(TW_ID) kCallCount };
#undef TW_ID
#undef TW_ID_


// The address of call `id`, looked up once; nullptr where the system lacks it.
FARPROC Proc(CallId id);
// The first of two that the system has (a call and its copy in another DLL).
FARPROC FirstProc(CallId id, CallId otherwise);

// The function `name`, typed as the headers declare it.
#define TW_CALL_(name) (reinterpret_cast<decltype(&::name)>(reinterpret_cast<void*>(Proc(k##name))))
#define TW_CALL(name) TW_CALL_(name)

// The text a buffer-filling call leaves: `fill(context, buffer, capacity)` returns the length
// it wrote, or the length it needs when that is more; 0 when it failed. The buffer takes
// UTF-16 units on the NT family and ANSI bytes otherwise.
using Fill = DWORD (*)(const void* context, void* buffer, DWORD capacity);
std::string FilledText(Fill fill, const void* context);

}  // namespace tw::sys
