// The progress bar: a range from 0 to the maximum and a position, kept beside the control
// so that they can be set before it exists and read back without asking it.
#include "Controls.h"

#include <commctrl.h>

#include <algorithm>

namespace tw {

void ProgressBar::Create(Form& form, const TwipsRect& rect) {
    CreateChild(form, "msctls_progress32", WS_CHILD, 0, std::string(), rect);
    if (!Hwnd()) return;
    // PBM_SETRANGE32: PBM_SETRANGE holds only 16-bit limits.
    SendMessageA(Hwnd(), PBM_SETRANGE32, 0, m_max);
    SendMessageA(Hwnd(), PBM_SETPOS, static_cast<WPARAM>(m_value), 0);
}

void ProgressBar::SetMax(int max) {
    m_max = std::max(max, 0);
    m_value = std::min(m_value, m_max);
    if (!Hwnd()) return;
    SendMessageA(Hwnd(), PBM_SETRANGE32, 0, m_max);
    SendMessageA(Hwnd(), PBM_SETPOS, static_cast<WPARAM>(m_value), 0);
}

void ProgressBar::SetValue(int value) {
    // The control clamps its position to the range; the kept value follows it.
    m_value = std::clamp(value, 0, m_max);
    if (Hwnd()) SendMessageA(Hwnd(), PBM_SETPOS, static_cast<WPARAM>(m_value), 0);
}

}  // namespace tw
