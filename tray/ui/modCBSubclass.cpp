// modCBSubclass: window subclassing through two window properties.
#include "modCBSubclass.h"

namespace tw::tray {

const char* const kOrgWndProcProperty = "OrgWndProc";
const char* const kMsgTargetProperty = "MsgTarget";

LRESULT IMessageTarget::Message(HWND, UINT, WPARAM, LPARAM) { return 0; }

void HookWindow(HWND window, IMessageTarget* target) {
    // GWLP_WNDPROC holds a full pointer on 64-bit Windows, so the Ptr forms are used (they
    // are SetWindowLongA/index -4 on 32-bit). For an ANSI window the previous value is the
    // procedure itself; for a Unicode one it is a handle that only CallWindowProcA can call.
    const LONG_PTR previous =
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SubclassWndProc));
    SetPropA(window, kMsgTargetProperty, static_cast<HANDLE>(target));
    SetPropA(window, kOrgWndProcProperty, reinterpret_cast<HANDLE>(previous));
}

void UnhookWindow(HWND window) {
    const HANDLE previous = GetPropA(window, kOrgWndProcProperty);
    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
    RemovePropA(window, kMsgTargetProperty);
    RemovePropA(window, kOrgWndProcProperty);
}

LRESULT CALLBACK SubclassWndProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    // A borrowed pointer: no reference is taken or dropped, the target's owner alone decides
    // its lifetime. No C++ exception may unwind through the system's frames.
    try {
        auto* target = static_cast<IMessageTarget*>(GetPropA(hWnd, kMsgTargetProperty));
        if (!target) return 0;
        return target->Message(hWnd, msg, wParam, lParam);
    } catch (...) {
        return 0;
    }
}

LRESULT CallOrgWndProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto previous = reinterpret_cast<WNDPROC>(GetPropA(hWnd, kOrgWndProcProperty));
    return CallWindowProcA(previous, hWnd, msg, wParam, lParam);
}

}  // namespace tw::tray
