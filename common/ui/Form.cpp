#include "Form.h"

#include <commctrl.h>

#include <algorithm>

#include "Controls.h"
#include "Resources.h"
#include "System.h"
#include "Units.h"

namespace tw {
namespace {

const char kFormClass[] = "TetherwatchForm";
int g_loadedForms = 0;
int g_dispatchDepth = 0;      // window procedures of ours on the stack
bool g_loopRunning = false;   // RunMessageLoop is running: the last unload ends it
std::vector<std::unique_ptr<Form>>& Retired() {
    static std::vector<std::unique_ptr<Form>> retired;
    return retired;
}

// The dialog font of the system, shared by every form and control for the process life.
HFONT SharedFont() {
    static HFONT font = [] {
        UniqueFont message = sys::CreateMessageFont();  // kept for the life of the process
        return message ? message.Release() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    }();
    return font;
}

ATOM g_formClass = 0;

Form* FormFromWindow(HWND hwnd) {
    if (!hwnd || !g_formClass || GetClassWord(hwnd, GCW_ATOM) != g_formClass) return nullptr;
    return reinterpret_cast<Form*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

HWND TopLevelOf(HWND hwnd) {
    while (hwnd && (GetWindowLongPtrA(hwnd, GWL_STYLE) & WS_CHILD)) hwnd = GetParent(hwnd);
    return hwnd;
}

struct DisabledWindows {
    HWND keep;
    std::vector<HWND> windows;
};

BOOL CALLBACK DisableOne(HWND hwnd, LPARAM param) {
    auto* disabled = reinterpret_cast<DisabledWindows*>(param);
    if (hwnd != disabled->keep && IsWindowEnabled(hwnd)) {
        EnableWindow(hwnd, FALSE);
        disabled->windows.push_back(hwnd);
    }
    return TRUE;
}

}  // namespace

// ---- Timer ---------------------------------------------------------------------------------

Timer::Timer(Form& owner, unsigned intervalMs) : m_owner(owner), m_interval(intervalMs) {
    static UINT_PTR nextId = 1;
    m_id = nextId++;
    m_owner.m_timers.push_back(this);
}

Timer::~Timer() {
    if (m_owner.m_hwnd) KillTimer(m_owner.m_hwnd, m_id);
    auto& timers = m_owner.m_timers;
    timers.erase(std::remove(timers.begin(), timers.end(), this), timers.end());
}

void Timer::SetEnabled(bool enabled) {
    m_enabled = enabled;
    Apply();
}

void Timer::SetInterval(unsigned intervalMs) {
    m_interval = intervalMs;
    Apply();
}

void Timer::Apply() {
    if (!m_owner.m_hwnd) return;
    // KillTimer also drops a WM_TIMER already queued, so a disabled timer never fires.
    if (m_enabled && m_interval > 0)
        SetTimer(m_owner.m_hwnd, m_id, m_interval, nullptr);
    else
        KillTimer(m_owner.m_hwnd, m_id);
}

// ---- Form ----------------------------------------------------------------------------------

Form::Form(FormStyle style) : m_style(std::move(style)), m_font(SharedFont()) {}

Form::~Form() {
    if (m_hwnd) {
        // The derived part is gone: detach before destroying so no handler runs.
        SetWindowLongPtrA(m_hwnd, GWLP_USERDATA, 0);
        HWND hwnd = m_hwnd;
        m_hwnd = nullptr;
        --g_loadedForms;
        DestroyWindow(hwnd);
    }
}

int Form::LoadedCount() { return g_loadedForms; }

void Form::Load() {
    if (m_hwnd) return;
    if (!g_formClass)
        g_formClass = sys::RegisterWindowClass(kFormClass, &Form::StaticWndProc, CS_DBLCLKS, LoadCursor(nullptr, IDC_ARROW),
                                         reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    RECT rect = {0, 0, TwipsToPixelsX(m_style.clientWidth), TwipsToPixelsY(m_style.clientHeight)};
    AdjustWindowRectEx(&rect, m_style.style, FALSE, m_style.exStyle);
    m_unloaded = false;
    sys::MakeWindow(m_style.exStyle, kFormClass, m_style.caption, m_style.style & ~WS_VISIBLE,
                      CW_USEDEFAULT, CW_USEDEFAULT, rect.right - rect.left, rect.bottom - rect.top,
                      nullptr, nullptr, this);
    if (!m_hwnd) return;
    ++g_loadedForms;
    CreateControls();
    StartTimers();
    Form_Load();
}

void Form::Show() {
    Load();
    if (!m_hwnd) return;
    ShowWindow(m_hwnd, SW_SHOW);
    UpdateWindow(m_hwnd);
}

void Form::ShowModal() {
    Load();
    if (!m_hwnd) return;
    DisabledWindows disabled{m_hwnd, {}};
    EnumThreadWindows(GetCurrentThreadId(), DisableOne, reinterpret_cast<LPARAM>(&disabled));
    Show();
    if (m_hwnd) SetForegroundWindow(m_hwnd);
    MSG msg;
    while (m_hwnd && Visible()) {
        BOOL got = sys::NextMessage(msg);
        if (got == 0) {  // WM_QUIT: leave it for the outer loop
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (got == -1) break;
        if (!PreTranslateFormMessage(msg)) {
            TranslateMessage(&msg);
            sys::Dispatch(msg);
        }
    }
    for (HWND hwnd : disabled.windows)
        if (IsWindow(hwnd)) EnableWindow(hwnd, TRUE);
}

void Form::Hide() {
    if (m_hwnd) ShowWindow(m_hwnd, SW_HIDE);
}

void Form::Unload() {
    if (!m_hwnd || m_unloading) return;
    m_unloading = true;
    Form_Unload();
    for (Timer* timer : m_timers) KillTimer(m_hwnd, timer->m_id);
    HWND hwnd = m_hwnd;
    DestroyWindow(hwnd);  // WM_NCDESTROY clears m_hwnd
    m_hwnd = nullptr;
    m_unloading = false;
    m_unloaded = true;
    m_defaultButton = m_cancelButton = nullptr;
    m_toolTip = nullptr;
    if (--g_loadedForms == 0 && g_loopRunning) PostQuitMessage(0);
}

bool Form::Visible() const { return m_hwnd && IsWindowVisible(m_hwnd); }

void Form::SetCaption(const std::string& caption) {
    m_style.caption = caption;
    if (m_hwnd) sys::SetText(m_hwnd, caption);
}

std::string Form::Caption() const {
    if (!m_hwnd) return m_style.caption;
    return sys::WindowText(m_hwnd);
}

void Form::SetIcon(const Picture& large, const Picture& small) {
    m_icon = large;
    m_smallIcon = small;
    if (m_hwnd) {
        SendMessageA(m_hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(large.Icon()));
        SendMessageA(m_hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small.Icon()));
    }
}

void Form::SetIconResource(UINT id) {
    SetIcon(IconToPicture(LoadResIcon(id, LargeIconSize())), IconToPicture(LoadResIcon(id, SmallIconSize())));
}

namespace {
RECT WindowRectOf(HWND hwnd) {
    RECT rect = {0, 0, 0, 0};
    if (hwnd) GetWindowRect(hwnd, &rect);
    return rect;
}
}  // namespace

int Form::Left() const { return PixelsToTwipsX(WindowRectOf(m_hwnd).left); }
int Form::Top() const { return PixelsToTwipsY(WindowRectOf(m_hwnd).top); }
int Form::Width() const {
    RECT r = WindowRectOf(m_hwnd);
    return PixelsToTwipsX(r.right - r.left);
}
int Form::Height() const {
    RECT r = WindowRectOf(m_hwnd);
    return PixelsToTwipsY(r.bottom - r.top);
}

void Form::Move(int left, int top, int width, int height) {
    if (!m_hwnd) return;
    int w = width >= 0 ? TwipsToPixelsX(width) : -1;
    int h = height >= 0 ? TwipsToPixelsY(height) : -1;
    UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
    if (w < 0 || h < 0) {
        RECT r = WindowRectOf(m_hwnd);
        if (w < 0) w = r.right - r.left;
        if (h < 0) h = r.bottom - r.top;
    }
    SetWindowPos(m_hwnd, nullptr, TwipsToPixelsX(left), TwipsToPixelsY(top), w, h, flags);
}

int Form::ScaleWidth() const {
    RECT r = {0, 0, 0, 0};
    if (m_hwnd) GetClientRect(m_hwnd, &r);
    return PixelsToTwipsX(r.right);
}

int Form::ScaleHeight() const {
    RECT r = {0, 0, 0, 0};
    if (m_hwnd) GetClientRect(m_hwnd, &r);
    return PixelsToTwipsY(r.bottom);
}

void Form::CentreOnScreen() {
    Move((ScreenWidthTwips() - Width()) / 2, (ScreenHeightTwips() - Height()) / 2);
}

void Form::Refresh() {
    if (m_hwnd) RedrawWindow(m_hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void Form::SetMousePointer(MousePointer pointer) {
    m_pointer = pointer;
    POINT pt;
    if (m_hwnd && GetCursorPos(&pt) && TopLevelOf(WindowFromPoint(pt)) == m_hwnd)
        SetCursor(LoadCursor(nullptr, pointer == MousePointer::Hourglass ? IDC_WAIT : IDC_ARROW));
}

int Form::AddControl(Control* control) {
    m_controls.push_back(control);
    return m_nextId++;
}

void Form::RemoveControl(Control* control) {
    m_controls.erase(std::remove(m_controls.begin(), m_controls.end(), control), m_controls.end());
    if (m_defaultButton == reinterpret_cast<Button*>(control)) m_defaultButton = nullptr;
    if (m_cancelButton == reinterpret_cast<Button*>(control)) m_cancelButton = nullptr;
}

Control* Form::FindControl(int id) const {
    for (Control* control : m_controls)
        if (control->m_id == id && control->m_hwnd) return control;
    return nullptr;
}

void Form::StartTimers() {
    for (Timer* timer : m_timers) timer->Apply();
}

LRESULT CALLBACK Form::StaticWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        auto* form = static_cast<Form*>(create->lpCreateParams);
        form->m_hwnd = hwnd;
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    }
    auto* form = reinterpret_cast<Form*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!form) return sys::DefaultProc(hwnd, msg, wParam, lParam);
    ++g_dispatchDepth;
    LRESULT result = 0;
    try {
        result = form->HandleMessage(msg, wParam, lParam);
    } catch (...) {
        // A C++ exception must not unwind through the system's frames.
        result = 0;
    }
    --g_dispatchDepth;
    return result;
}

LRESULT Form::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_NCDESTROY: {
        LRESULT result = WndProc(msg, wParam, lParam);
        for (Control* control : m_controls) {
            control->OnDestroyed();
            control->m_hwnd = nullptr;
        }
        SetWindowLongPtrA(m_hwnd, GWLP_USERDATA, 0);
        m_hwnd = nullptr;
        return result;
    }
    case WM_CLOSE:
        if (Form_QueryUnload()) Unload();
        return 0;
    case WM_TIMER:
        for (Timer* timer : m_timers) {
            if (timer->m_id == wParam) {
                if (timer->m_enabled && timer->OnTimer) timer->OnTimer();
                return 0;
            }
        }
        break;
    case WM_COMMAND: {
        int id = LOWORD(wParam);
        if (lParam != 0) {
            if (Control* control = FindControl(id)) {
                control->OnCommand(HIWORD(wParam));
                return 0;
            }
        } else if (id == IDCANCEL && HIWORD(wParam) == 0 && m_cancelButton) {
            // Esc, from the keyboard handling of PreTranslateFormMessage
            if (m_cancelButton->Visible()) m_cancelButton->Click();
            return 0;
        } else if (id == IDOK && HIWORD(wParam) == 0 && m_defaultButton) {
            if (m_defaultButton->Visible()) m_defaultButton->Click();
            return 0;
        }
        break;
    }
    case DM_GETDEFID:
        if (m_defaultButton && m_defaultButton->Visible() && m_defaultButton->Enabled())
            return MAKELONG(m_defaultButton->Id(), DC_HASDEFID);
        return 0;
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (Control* control = FindControl(static_cast<int>(header->idFrom))) return control->OnNotify(header);
        break;
    }
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(m_hwnd, &ps);
        Form_Paint(dc);
        EndPaint(m_hwnd, &ps);
        return 0;
    }
    case WM_SETCURSOR:
        if (m_pointer == MousePointer::Hourglass) {
            SetCursor(LoadCursor(nullptr, IDC_WAIT));
            return TRUE;
        }
        break;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(m_font);
    default:
        break;
    }
    return WndProc(msg, wParam, lParam);
}

LRESULT Form::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    return sys::DefaultProc(m_hwnd, msg, wParam, lParam);
}

// ---- Retired instances, event pump, message loop ---------------------------------------------

void RetireForm(std::unique_ptr<Form> form) {
    Retired().push_back(std::move(form));
    CollectRetiredForms();
}

void CollectRetiredForms() {
    if (g_dispatchDepth == 0) Retired().clear();
}

bool PreTranslateFormMessage(MSG& msg) {
    if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST) return false;
    HWND root = TopLevelOf(msg.hwnd);
    Form* form = FormFromWindow(root);
    if (!form) return false;
    // Esc: IsDialogMessage sends WM_COMMAND IDCANCEL only when the window has no control
    // with that id, which holds: control ids start at 100.
    return sys::DialogMessage(root, msg) != FALSE;
}

void DoEvents() {
    MSG msg;
    while (sys::PeekNextMessage(msg)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        if (!PreTranslateFormMessage(msg)) {
            TranslateMessage(&msg);
            sys::Dispatch(msg);
        }
    }
}

void RunMessageLoop() {
    g_loopRunning = true;
    MSG msg;
    while (g_loadedForms > 0 && sys::NextMessage(msg) > 0) {
        if (!PreTranslateFormMessage(msg)) {
            TranslateMessage(&msg);
            sys::Dispatch(msg);
        }
        CollectRetiredForms();
    }
    g_loopRunning = false;
    CollectRetiredForms();
}

}  // namespace tw
