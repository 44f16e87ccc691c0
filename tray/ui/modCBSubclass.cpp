// modCBSubclass: window subclassing through two window properties.
#include "modCBSubclass.h"

#include "System.h"

namespace tw::tray {

const char* const kOrgWndProcProperty = "OrgWndProc";
const char* const kMsgTargetProperty = "MsgTarget";

LRESULT IMessageTarget::Message(HWND, UINT, WPARAM, LPARAM) { return 0; }

void HookWindow(HWND window, IMessageTarget* target) {
    // The previous value is the procedure itself, or, when the window's character set is not
    // the one the procedure is set in, a handle that only CallWindowProc can call: both are
    // set and called in the family's own set (Unicode windows on the NT family).
    const WNDPROC previous = sys::SetWindowProc(window, &SubclassWndProc);
    sys::SetProperty(window, kMsgTargetProperty, static_cast<HANDLE>(target));
    sys::SetProperty(window, kOrgWndProcProperty, reinterpret_cast<HANDLE>(previous));
}

void UnhookWindow(HWND window) {
    const HANDLE previous = sys::Property(window, kOrgWndProcProperty);
    sys::SetWindowProc(window, reinterpret_cast<WNDPROC>(previous));
    sys::RemoveProperty(window, kMsgTargetProperty);
    sys::RemoveProperty(window, kOrgWndProcProperty);
}

LRESULT CALLBACK SubclassWndProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    // A borrowed pointer: no reference is taken or dropped, the target's owner alone decides
    // its lifetime. No C++ exception may unwind through the system's frames.
    try {
        auto* target = static_cast<IMessageTarget*>(sys::Property(hWnd, kMsgTargetProperty));
        if (!target) return 0;
        return target->Message(hWnd, msg, wParam, lParam);
    } catch (...) {
        return 0;
    }
}

LRESULT CallOrgWndProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto previous = reinterpret_cast<WNDPROC>(sys::Property(hWnd, kOrgWndProcProperty));
    return sys::CallProc(previous, hWnd, msg, wParam, lParam);
}

}  // namespace tw::tray
