// modCBSubclass: lets an object see every message of a window. HookWindow replaces the
// window's procedure by SubclassWndProc, which hands each message to the window's
// IMessageTarget; the target passes it on with CallOrgWndProc. The mechanism keeps no state
// of its own: the previous procedure and the target live in two properties of the window
// ("OrgWndProc" and "MsgTarget"), so any number of windows can be hooked at once.
#pragma once
#include <windows.h>

#include <cstdint>

namespace tw::tray {

// Receives the messages of a hooked window. The result becomes the window procedure's
// result. The interface holds no state; its own Message answers 0 and passes nothing on.
class IMessageTarget {
public:
    virtual ~IMessageTarget() = default;
    virtual LRESULT Message(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
};

// The two window properties of a hooked window.
extern const char* const kOrgWndProcProperty;  // "OrgWndProc": the procedure before HookWindow
extern const char* const kMsgTargetProperty;   // "MsgTarget": the IMessageTarget

// Installs SubclassWndProc on `window`, then records `target` and the previous procedure.
// The target is not owned: it must stay alive until UnhookWindow.
void HookWindow(HWND window, IMessageTarget* target);
// Puts the recorded procedure back and removes both properties.
void UnhookWindow(HWND window);
// The hooked windows' procedure: hands the message to the window's target and returns its
// answer. It never passes a message on by itself (that is the target's job); a failure
// inside (no target, an exception) answers 0.
LRESULT CALLBACK SubclassWndProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Calls the procedure the window had before HookWindow (CallWindowProcA) and gives its result.
LRESULT CallOrgWndProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);

// The 16-bit halves of a 32-bit value (a WPARAM or LPARAM is cut to its low 32 bits first),
// zero-extended; and a 32-bit value made of two words, high x 65536 + low.
constexpr std::int32_t LoWord(std::uint32_t value) { return static_cast<std::int32_t>(value & 0xFFFFu); }
constexpr std::int32_t HiWord(std::uint32_t value) { return static_cast<std::int32_t>((value >> 16) & 0xFFFFu); }
constexpr std::int32_t MakeLong(std::uint16_t low, std::uint16_t high) {
    return static_cast<std::int32_t>((static_cast<std::uint32_t>(high) << 16) | low);
}

}  // namespace tw::tray
