// frmRename: the small modal dialog that asks for a new shortcut name when a name checked on
// the registry page cannot be a file name. It accepts a name only when it holds none of the
// characters a file name must not contain. It keeps no state beyond its text box: the caller
// fills Text1, shows the dialog, reads Text1 once it is hidden, then unloads it.
#pragma once
#include "Controls.h"
#include "DialogFocus.h"
#include "Form.h"

namespace tw {

class frmRename : public Form {
public:
    frmRename();

    // Shows the dialog modally, owned by `owner` (it stays above the owner, which is disabled
    // meanwhile); returns when the dialog has been hidden or unloaded.
    void ShowModalOver(Form& owner);

    Label Label1;   // "&New name:", its access key moves the focus to Text1
    TextBox Text1;  // the name being edited
    Button cmdOK;   // accepts the name; the default and the cancel button (Enter and Esc)

    // Checks the name in Text1: an invalid one is refused with the invalid-name message and
    // the dialog stays open with its text unchanged; a valid one hides the dialog.
    void cmdOK_Click();

protected:
    void CreateControls() override;
    void Form_Load() override;
    // The title bar's close box acts as OK on the text the box holds: the dialog never
    // unloads by itself, so the caller always reads a name that passed the check.
    bool Form_QueryUnload() override;
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    DialogFocus m_focus;
    bool m_selectOnFirstFocus = true;
};

// The program's reference to the rename dialog; a fresh instance after it has unloaded.
FormSlot<frmRename>& RenameDialog();

}  // namespace tw
