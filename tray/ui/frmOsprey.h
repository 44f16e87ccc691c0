// frmOsprey: Lookout's one visible window, the application window. In "Launch Apps" mode it
// lists the Online StartUp applications that are not running, in "Kill Apps" mode those
// that run, each with a check box, and OK launches or closes the checked ones; in "Options"
// mode it shows the three options and the Online StartUp folder, and OK keeps them. The
// opener sets AppWindowMode (and AutoPrompt when the program asks on its own initiative)
// and shows it modally; each opening is a fresh instance that unloads on OK or Cancel.
#pragma once
#include <string>

#include "Controls.h"
#include "Form.h"
#include "ListView.h"
#include "monitor/AppWindow.h"

namespace tw::tray {

class frmOsprey final : public Form {
public:
    frmOsprey();

    ListView lvwApps;
    ImageList imlSmallIcons;
    Frame frmOptions;
    CheckBox chkSmallIcons;
    CheckBox chkEnableState;
    CheckBox chkAskFirst;
    Label lblStartupCaption;
    Label lblStartUpFolder;
    Button cmdOk;
    Button cmdCancel;
    Button cmdApply;

    // Hides the window, runs the mode's work with the tray window as the progress display
    // and the monitor timer stopped, then unloads the window.
    void cmdOk_Click();
    // Options mode: the options are read again from the store. Then the window unloads.
    void cmdCancel_Click();
    // OK is enabled while at least one entry is checked.
    void lvwApps_ItemCheck();
    // An option check box sets its option at once (saved only by OK).
    void chkSmallIcons_Click();
    void chkEnableState_Click();
    void chkAskFirst_Click();

    // The mode as the window recognises it: "Kill" as the first four characters of
    // AppWindowMode, exactly "Options", or else Launch.
    static bool IsKillMode(const std::string& mode);
    static bool IsOptionsMode(const std::string& mode);
    // The window's icon in `mode`: 301 Kill, 303 Options, 302 Launch.
    static int ModeIconId(const std::string& mode);

protected:
    void CreateControls() override;
    void Form_Load() override;
    void Form_Unload() override;

private:
    // Appends the entry of application `index`, checked or not.
    void AddEntry(size_t index, bool checked);
    // The application index of list row `row` (from its key "key-<i>"), or -1.
    long IndexOfRow(int row) const;
};

// The program's one application window: made fresh on each opening.
FormSlot<frmOsprey>& OspreyWindow();
// The application window as the tray window opens it (AppWindow.h).
IAppWindow& ApplicationWindow();

}  // namespace tw::tray
