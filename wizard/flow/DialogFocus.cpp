// DialogFocus: the focus of the wizard's forms across activations and disabled buttons.
#include "DialogFocus.h"

namespace tw {

namespace {

bool Usable(HWND form, HWND control) {
    return control && IsChild(form, control) && IsWindowVisible(control) && IsWindowEnabled(control);
}

HWND FirstUsable(HWND form, std::initializer_list<HWND> candidates) {
    for (HWND candidate : candidates)
        if (Usable(form, candidate)) return candidate;
    return nullptr;
}

}  // namespace

bool DialogFocus::OnActivate(HWND form, WPARAM wParam, std::initializer_list<HWND> fallbacks) {
    if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(form, focus)) m_saved = focus;
        return false;
    }
    HWND target = Usable(form, m_saved) ? m_saved : FirstUsable(form, fallbacks);
    if (!target) return false;
    SetFocus(target);
    return true;
}

void DialogFocus::Repair(HWND form, std::initializer_list<HWND> candidates) {
    if (!form || GetActiveWindow() != form || Usable(form, GetFocus())) return;
    if (HWND target = FirstUsable(form, candidates)) SetFocus(target);
}

void DialogFocus::NextControl(HWND form, WPARAM wParam, LPARAM lParam) {
    HWND target = nullptr;
    if (LOWORD(lParam))
        target = reinterpret_cast<HWND>(wParam);  // wParam names the control
    else
        target = GetNextDlgTabItem(form, GetFocus(), wParam != 0 ? TRUE : FALSE);
    if (target && IsChild(form, target)) SetFocus(target);
}

}  // namespace tw
