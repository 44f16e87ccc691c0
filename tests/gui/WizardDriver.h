// Driving the wizard's real windows from a test: pumping the forms' message loop, pressing
// buttons and keys, clicking list check boxes, and steps run from inside modal loops.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>

#include "Controls.h"
#include "Form.h"
#include "ListView.h"
#include "ShellLinkHelper.h"

namespace tw::test {

// Runs the forms' pump (keyboard handling included) until `done`, for at most `ms`.
template <class Done>
bool PumpUntil(Done done, DWORD ms = 3000) {
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > ms) return false;
        DoEvents();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

inline void PumpFor(DWORD ms) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        DoEvents();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

// A button pressed as a mouse click would press it: BM_CLICK makes the button send its
// BN_CLICKED itself (a disabled button's click runs nothing).
inline void Press(const Button& button) { SendMessageA(button.Hwnd(), BM_CLICK, 0, 0); }

// A key pressed and released at the window with the focus (the form's own window when no
// control has it), then the forms' pump run so that the keyboard handling sees it.
inline void PressKey(HWND form, WPARAM key) {
    HWND target = GetFocus();
    if (!target || (target != form && !IsChild(form, target))) target = form;
    UINT scan = MapVirtualKeyA(static_cast<UINT>(key), 0);
    PostMessageA(target, WM_KEYDOWN, key, 1 | (scan << 16));
    PostMessageA(target, WM_KEYUP, key, 1 | (scan << 16) | 0xC0000000);
    PumpFor(60);
}

// An access key (Alt + letter), as the keyboard delivers it: WM_SYSCHAR to the focus.
inline void PressAccessKey(HWND form, char letter) {
    HWND target = GetFocus();
    if (!target || (target != form && !IsChild(form, target))) target = form;
    PostMessageA(target, WM_SYSCHAR, static_cast<WPARAM>(letter), 1 | (1u << 29));
    PumpFor(60);
}

// The client point of a row's check box (the state image left of the small icon).
inline POINT CheckBoxPoint(const ListView& list, int row) {
    HWND lv = list.Hwnd();
    RECT icon = {LVIR_ICON, 0, 0, 0};
    SendMessageA(lv, LVM_GETITEMRECT, static_cast<WPARAM>(row - 1), reinterpret_cast<LPARAM>(&icon));
    int width = 16, height = 16;
    ImageList_GetIconSize(ListView_GetImageList(lv, LVSIL_STATE), &width, &height);
    POINT point = {icon.left - width / 2, (icon.top + icon.bottom) / 2};
    LVHITTESTINFO hit = {};
    hit.pt = point;
    ListView_HitTest(lv, &hit);
    EXPECT_EQ(row - 1, hit.iItem);
    EXPECT_TRUE(hit.flags & LVHT_ONITEMSTATEICON) << "hit flags " << hit.flags;
    return point;
}

// The user clicks a row's check box; true when its state changed.
inline bool ClickCheckBox(const ListView& list, int row) {
    bool before = list.Checked(row);
    POINT point = CheckBoxPoint(list, row);
    LPARAM at = MAKELPARAM(point.x, point.y);
    PostMessageA(list.Hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(list.Hwnd(), WM_LBUTTONUP, 0, at);
    bool changed = PumpUntil([&] { return list.Checked(row) != before; }, 2000);
    PumpFor(30);
    return changed;
}

// The user renames a row in place: the editor opened on it, the text typed, Enter.
inline bool RenameInPlace(ListView& list, int row, const std::string& text) {
    list.StartLabelEdit(row);
    HWND edit = ListView_GetEditControl(list.Hwnd());
    if (!edit) return false;
    // Typed as the user would: in UTF-16, whatever the ANSI code page holds.
    SetWindowTextW(edit, Utf16(text).c_str());
    PostMessageA(edit, WM_KEYDOWN, VK_RETURN, 0x001C0001);
    bool ended = PumpUntil([&] { return ListView_GetEditControl(list.Hwnd()) == nullptr; }, 2000);
    PumpFor(30);
    return ended && list.RowText(row) == text;
}

// Steps run from whichever message loop runs next, a modal one included: one step per tick
// of a thread timer; a step returning false is tried again at the next tick. After about
// ten seconds without progress the remaining steps are dropped, `onGiveUp` runs (to end a
// modal loop that would otherwise never end) and the script counts as failed.
class Script {
public:
    using Step = std::function<bool()>;
    explicit Script(std::deque<Step> steps, std::function<void()> onGiveUp = nullptr)
        : m_steps(std::move(steps)), m_onGiveUp(std::move(onGiveUp)) {
        s_current = this;
        m_timer = SetTimer(nullptr, 0, 25, &Script::Tick);
    }
    Script(const Script&) = delete;
    Script& operator=(const Script&) = delete;
    ~Script() {
        KillTimer(nullptr, m_timer);
        if (s_current == this) s_current = nullptr;
    }
    bool Done() const { return m_steps.empty() && !m_failed; }
    bool Failed() const { return m_failed; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        Script* self = s_current;
        if (!self || self->m_running || self->m_steps.empty()) return;
        self->m_running = true;  // a step may run a nested loop that ticks again
        if (self->m_steps.front()()) {
            self->m_steps.pop_front();
            self->m_waited = 0;
        } else if (++self->m_waited > 400) {
            self->m_failed = true;
            self->m_steps.clear();
            if (self->m_onGiveUp) self->m_onGiveUp();
        }
        self->m_running = false;
    }
    static inline Script* s_current = nullptr;
    std::deque<Step> m_steps;
    std::function<void()> m_onGiveUp;
    UINT_PTR m_timer = 0;
    int m_waited = 0;
    bool m_running = false;
    bool m_failed = false;
};

}  // namespace tw::test
