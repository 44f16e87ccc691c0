// frmRename: the rename dialog of the wizard's registry page.
#include "frmRename.h"

#include "operations/modShellLnk.h"

namespace tw {

namespace {

FormStyle RenameStyle() {
    FormStyle style;
    style.clientWidth = 5115;
    style.clientHeight = 1305;
    style.caption = "Rename";
    return style;
}

}  // namespace

frmRename::frmRename() : Form(RenameStyle()) {}

FormSlot<frmRename>& RenameDialog() {
    static FormSlot<frmRename> dialog;
    return dialog;
}

void frmRename::CreateControls() {
    // The label comes right before the text box: a static control's access key moves the
    // focus to the next control in the tab order (IsDialogMessage). It takes the size of its
    // text: at 810 twips the system's dialog font would wrap "name:" out of sight.
    Label1.Create(*this, "&New name:", {145, 220, 810, 195}, true);
    Text1.Create(*this, std::string(), {1245, 145, 3685, 345});
    cmdOK.Create(*this, "OK", {3840, 800, 1095, 345});
    cmdOK.SetDefault(true);
    cmdOK.SetCancel(true);
    cmdOK.OnClick = [this] { cmdOK_Click(); };
}

void frmRename::Form_Load() { CentreOnScreen(); }

void frmRename::ShowModalOver(Form& owner) {
    Load();
    if (!Hwnd()) return;
    // GWLP_HWNDPARENT on a top-level window sets its owner: the dialog then stays above the
    // wizard and goes with it.
    if (owner.Hwnd()) SetWindowLongPtrA(Hwnd(), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner.Hwnd()));
    ShowModal();
}

void frmRename::cmdOK_Click() {
    if (!modShellLnk::InvalidChars(Text1.Text()).empty()) {
        modShellLnk::ShowInvalidNameMessage();
        return;
    }
    // The owner is enabled before the dialog goes, so that the activation passes back to it
    // (hidden while its owner is still disabled, the dialog would leave no window active).
    if (HWND owner = GetWindow(Hwnd(), GW_OWNER)) EnableWindow(owner, TRUE);
    Hide();
}

bool frmRename::Form_QueryUnload() {
    cmdOK_Click();
    return false;
}

LRESULT frmRename::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    // The text box has the focus when the dialog first shows, its text selected.
    if (msg == WM_ACTIVATE && m_focus.OnActivate(Hwnd(), wParam, {Text1.Hwnd(), cmdOK.Hwnd()})) {
        if (m_selectOnFirstFocus && GetFocus() == Text1.Hwnd()) Text1.SelectAll();
        m_selectOnFirstFocus = false;
        return 0;
    }
    if (msg == WM_NEXTDLGCTL) {
        DialogFocus::NextControl(Hwnd(), wParam, lParam);
        return 0;
    }
    return Form::WndProc(msg, wParam, lParam);
}

}  // namespace tw
