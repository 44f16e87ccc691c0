#include "Controls.h"

#include <commctrl.h>

#include <algorithm>

#include "Form.h"
#include "System.h"
#include "Units.h"

namespace tw {
namespace {

// Labels break lines at a lone carriage return; the static control wants CR LF.
std::string WithLineFeeds(const std::string& text) {
    std::string out;
    out.reserve(text.size() + 8);
    for (size_t i = 0; i < text.size(); ++i) {
        out += text[i];
        if (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')) out += '\n';
    }
    return out;
}

}  // namespace

// ---- Control -------------------------------------------------------------------------------

Control::~Control() {
    if (m_form) m_form->RemoveControl(this);
    if (m_frame) {
        auto& members = m_frame->m_members;
        members.erase(std::remove(members.begin(), members.end(), this), members.end());
    }
}

void Control::CreateChild(Form& form, const char* className, DWORD style, DWORD exStyle,
                          const std::string& text, const TwipsRect& rect, Frame* frame) {
    m_form = &form;
    m_frame = frame;
    m_rect = rect;
    m_id = form.AddControl(this);
    int x = rect.left, y = rect.top;
    if (frame) {
        frame->m_members.push_back(this);
        x += frame->Left();
        y += frame->Top();
    }
    m_hwnd = sys::MakeWindow(exStyle, className, text, (style | WS_CHILD) & ~WS_VISIBLE,
                               TwipsToPixelsX(x), TwipsToPixelsY(y), TwipsToPixelsX(rect.width),
                               TwipsToPixelsY(rect.height), form.Hwnd(),
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(m_id)), nullptr);
    SendMessageA(m_hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(form.Font()), FALSE);
    // A group box drawn over its members would hide them: keep frames at the bottom.
    if (frame) SetWindowPos(frame->Hwnd(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    UpdateWindowState();
}

void Control::UpdateWindowState() {
    if (!m_hwnd) return;
    bool show = m_visible && (!m_frame || m_frame->Visible());
    ShowWindow(m_hwnd, show ? SW_SHOWNA : SW_HIDE);
}

void Control::Move(int left, int top, int width, int height) {
    m_rect.left = left;
    m_rect.top = top;
    if (width >= 0) m_rect.width = width;
    if (height >= 0) m_rect.height = height;
    if (!m_hwnd) return;
    int x = left, y = top;
    if (m_frame) {
        x += m_frame->Left();
        y += m_frame->Top();
    }
    MoveWindow(m_hwnd, TwipsToPixelsX(x), TwipsToPixelsY(y), TwipsToPixelsX(m_rect.width),
               TwipsToPixelsY(m_rect.height), TRUE);
}

void Control::SetVisible(bool visible) {
    m_visible = visible;
    UpdateWindowState();
}

void Control::SetEnabled(bool enabled) {
    if (m_hwnd) EnableWindow(m_hwnd, enabled ? TRUE : FALSE);
}

bool Control::Enabled() const { return m_hwnd && IsWindowEnabled(m_hwnd); }

void Control::SetText(const std::string& text) {
    if (m_hwnd) sys::SetText(m_hwnd, text);
}

std::string Control::Text() const {
    return sys::WindowText(m_hwnd);
}

void Control::SetFocus() {
    if (m_hwnd) ::SetFocus(m_hwnd);
}

void Control::SetToolTip(const std::string& text) {
    if (!m_hwnd || !m_form || !m_form->Hwnd()) return;
    if (!m_form->m_toolTip) {
        m_form->m_toolTip = sys::MakeWindow(WS_EX_TOPMOST, "tooltips_class32", std::string(),
                                              WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                                              CW_USEDEFAULT, CW_USEDEFAULT, m_form->Hwnd(), nullptr, nullptr);
        SendMessageA(m_form->m_toolTip, TTM_SETMAXTIPWIDTH, 0, 400);
    }
    // TOOLINFOA and TOOLINFOW differ only in the type their text points to.
    const SystemText tip(text);
    TOOLINFOW info = {};
    info.cbSize = sizeof(info);
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = m_form->Hwnd();
    info.uId = reinterpret_cast<UINT_PTR>(m_hwnd);
    info.lpszText = const_cast<wchar_t*>(static_cast<const wchar_t*>(tip.Either()));  // copied
    sys::Send(m_form->m_toolTip, sys::FamilyMessage(TTM_DELTOOLW, TTM_DELTOOLA), 0, reinterpret_cast<LPARAM>(&info));
    sys::Send(m_form->m_toolTip, sys::FamilyMessage(TTM_ADDTOOLW, TTM_ADDTOOLA), 0, reinterpret_cast<LPARAM>(&info));
}

// ---- Label ---------------------------------------------------------------------------------

void Label::Create(Form& form, const std::string& caption, const TwipsRect& rect, bool autoSize, Frame* frame) {
    m_autoSize = autoSize;
    // SS_NOTIFY: tooltips and mouse messages reach a static control only with it.
    CreateChild(form, "STATIC", SS_LEFT | SS_NOTIFY | (m_useMnemonic ? 0 : SS_NOPREFIX), 0,
                WithLineFeeds(caption), rect, frame);
    m_caption = caption;
    if (m_autoSize) FitToText();
}

void Label::SetCaption(const std::string& caption) {
    m_caption = caption;
    SetText(WithLineFeeds(caption));
    if (m_autoSize) FitToText();
    if (OnChange) OnChange();
}

void Label::SetUseMnemonic(bool useMnemonic) {
    m_useMnemonic = useMnemonic;
    if (HWND label = Hwnd()) {
        // The static control reads SS_NOPREFIX each time it paints.
        LONG_PTR style = GetWindowLongPtrA(label, GWL_STYLE);
        style = useMnemonic ? style & ~static_cast<LONG_PTR>(SS_NOPREFIX) : style | SS_NOPREFIX;
        SetWindowLongPtrA(label, GWL_STYLE, style);
        InvalidateRect(label, nullptr, TRUE);
    }
    if (m_autoSize) FitToText();
}

void Label::FitToText() {
    if (!Hwnd()) return;
    RECT r = {0, 0, 0, 0};
    std::string text = WithLineFeeds(m_caption);
    {
        WindowDC dc(Hwnd());
        SelectGuard font(dc.Get(), Owner()->Font());
        sys::DrawString(dc.Get(), text.empty() ? " " : text, r, DT_CALCRECT | DT_LEFT | (m_useMnemonic ? 0 : DT_NOPREFIX));
    }
    int width = text.empty() ? 0 : PixelsToTwipsX(r.right - r.left);
    Move(Left(), Top(), width, PixelsToTwipsY(r.bottom - r.top));
}

// ---- CheckBox ------------------------------------------------------------------------------

void CheckBox::Create(Form& form, const std::string& caption, const TwipsRect& rect, Frame* frame) {
    CreateChild(form, "BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP, 0, caption, rect, frame);
}

int CheckBox::Value() const {
    return Hwnd() && SendMessageA(Hwnd(), BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
}

void CheckBox::SetValue(int value) {
    if (Hwnd()) SendMessageA(Hwnd(), BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
}

void CheckBox::OnCommand(int notifyCode) {
    if (notifyCode == BN_CLICKED && OnClick) OnClick();
}

// ---- Button --------------------------------------------------------------------------------

void Button::Create(Form& form, const std::string& caption, const TwipsRect& rect) {
    CreateChild(form, "BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0, caption, rect);
}

void Button::SetDefault(bool isDefault) {
    Form* form = Owner();
    if (!form || !Hwnd()) return;
    if (isDefault) {
        if (form->m_defaultButton && form->m_defaultButton != this) form->m_defaultButton->SetDefault(false);
        form->m_defaultButton = this;
    } else if (form->m_defaultButton == this) {
        form->m_defaultButton = nullptr;
    }
    SendMessageA(Hwnd(), BM_SETSTYLE, isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void Button::SetCancel(bool isCancel) {
    Form* form = Owner();
    if (!form) return;
    if (isCancel)
        form->m_cancelButton = this;
    else if (form->m_cancelButton == this)
        form->m_cancelButton = nullptr;
}

void Button::SetBold(bool bold) {
    if (!Hwnd()) return;
    if (bold && !m_boldFont) m_boldFont = sys::CreateBoldFont(Owner()->Font());
    SendMessageA(Hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(bold ? m_boldFont.Get() : Owner()->Font()), TRUE);
}

void Button::Click() {
    if (Enabled() && OnClick) OnClick();
}

void Button::OnCommand(int notifyCode) {
    if (notifyCode == BN_CLICKED) Click();
}

void Button::OnDestroyed() {
    m_boldFont.Reset();
}

// ---- TextBox -------------------------------------------------------------------------------

void TextBox::Create(Form& form, const std::string& text, const TwipsRect& rect, Frame* frame, DWORD style) {
    CreateChild(form, "EDIT", ES_AUTOHSCROLL | WS_TABSTOP | style, WS_EX_CLIENTEDGE, text, rect, frame);
}

void TextBox::SelectAll() {
    if (Hwnd()) SendMessageA(Hwnd(), EM_SETSEL, 0, -1);
}

void TextBox::OnCommand(int notifyCode) {
    if (notifyCode == EN_CHANGE && OnChange) OnChange();
}

// ---- SpinButton ----------------------------------------------------------------------------

void SpinButton::Create(Form& form, TextBox& buddy, int least, int greatest, const TwipsRect& rect, Frame* frame) {
    // Its own place beside the buddy (no UDS_ALIGNRIGHT), so a frame moves it like the rest.
    CreateChild(form, UPDOWN_CLASSA, UDS_SETBUDDYINT | UDS_ARROWKEYS | UDS_NOTHOUSANDS, 0, std::string(), rect,
                frame);
    if (!Hwnd()) return;
    SendMessageA(Hwnd(), UDM_SETBUDDY, reinterpret_cast<WPARAM>(buddy.Hwnd()), 0);
    SendMessageA(Hwnd(), UDM_SETRANGE32, static_cast<WPARAM>(least), static_cast<LPARAM>(greatest));
}

void SpinButton::SetValue(int value) {
    if (Hwnd()) SendMessageA(Hwnd(), UDM_SETPOS32, 0, value);
}

int SpinButton::Value() const {
    return Hwnd() ? static_cast<int>(SendMessageA(Hwnd(), UDM_GETPOS32, 0, 0)) : 0;
}

// ---- Frame ---------------------------------------------------------------------------------

void Frame::Create(Form& form, const std::string& caption, const TwipsRect& rect) {
    CreateChild(form, "BUTTON", BS_GROUPBOX, 0, caption, rect);
}

void Frame::Move(int left, int top, int width, int height) {
    Control::Move(left, top, width, height);
    for (Control* member : m_members) member->Move(member->Left(), member->Top());
}

void Frame::SetVisible(bool visible) {
    Control::SetVisible(visible);
    for (Control* member : m_members) member->UpdateWindowState();
}

// ---- Image ---------------------------------------------------------------------------------

namespace {
const char kImageClass[] = "TetherwatchImage";
}

void Image::Create(Form& form, const TwipsRect& rect) {
    static bool registered = sys::RegisterWindowClass(kImageClass, &Image::ImageProc, 0, LoadCursor(nullptr, IDC_ARROW),
                                                reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)) != 0;
    (void)registered;
    CreateChild(form, kImageClass, 0, 0, std::string(), rect);
    if (Hwnd()) SetWindowLongPtrA(Hwnd(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

void Image::SetPicture(const Picture& picture) {
    m_picture = picture;
    if (Hwnd()) {
        InvalidateRect(Hwnd(), nullptr, TRUE);
        UpdateWindow(Hwnd());
    }
}

LRESULT CALLBACK Image::ImageProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg != WM_PAINT) return sys::DefaultProc(hwnd, msg, wParam, lParam);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    auto* self = reinterpret_cast<Image*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    RECT client;
    GetClientRect(hwnd, &client);
    if (self && self->m_picture) {
        if (HICON icon = self->m_picture.Icon()) {
            DrawIconEx(dc, 0, 0, icon, client.right, client.bottom, 0, nullptr, DI_NORMAL);
        } else if (HBITMAP bitmap = self->m_picture.Bitmap()) {
            BITMAP info = {};
            GetObjectA(bitmap, sizeof(info), &info);
            const UniqueDC memory(CreateCompatibleDC(dc));
            SelectGuard selected(memory.Get(), bitmap);
            SetStretchBltMode(dc, COLORONCOLOR);
            StretchBlt(dc, 0, 0, client.right, client.bottom, memory.Get(), 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
        }
    }
    EndPaint(hwnd, &ps);
    return 0;
}

// ---- Line ----------------------------------------------------------------------------------

void Line::Create(Form& form, const TwipsRect& rect) {
    CreateChild(form, "STATIC", SS_ETCHEDHORZ, 0, std::string(), rect);
}

}  // namespace tw
