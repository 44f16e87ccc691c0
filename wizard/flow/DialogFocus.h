// DialogFocus: keeps a form's keyboard focus on one of its controls, as the dialog manager
// does for dialog boxes. The forms are plain windows, so without it the focus would go to the
// form itself on activation, and to no window at all when the focused button is disabled
// (keys then arrive as WM_SYSKEYDOWN at the active window and Tab and Esc are lost).
#pragma once
#include <windows.h>

#include <initializer_list>

namespace tw {

class DialogFocus {
public:
    // From the form's WM_ACTIVATE: remembers the focused control on deactivation and puts the
    // focus back there on activation (or on the first usable of `fallbacks`). True when it
    // set the focus; the form must then not pass the message on (DefWindowProcA would focus
    // the form itself).
    bool OnActivate(HWND form, WPARAM wParam, std::initializer_list<HWND> fallbacks);

    // When `form` is the active window and the focus is on none of its visible, enabled
    // controls, moves it to the first such window of `candidates`.
    static void Repair(HWND form, std::initializer_list<HWND> candidates);

    // WM_NEXTDLGCTL, which IsDialogMessage sends to move the focus for a label's access key
    // (to the label, then on to the next control): DefWindowProcA ignores it in a window
    // that is not a dialog box.
    static void NextControl(HWND form, WPARAM wParam, LPARAM lParam);

private:
    HWND m_saved = nullptr;
};

}  // namespace tw
