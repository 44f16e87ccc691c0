// frmOsprey: Lookout's one visible window, the application window. In "Launch Apps" mode it
// lists the Online StartUp applications that are not running, in "Kill Apps" mode those
// that run, each with a check box, and OK launches or closes the checked ones; in "Options"
// mode it shows the options and the Online StartUp folder, and OK keeps them. The
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
    // The monitor's own options, under the three above.
    CheckBox chkNeedInternet;
    CheckBox chkMeteredOffline;
    Label lblStartDelay;
    TextBox txtStartDelay;
    SpinButton updStartDelay;
    Label lblStartDelayUnit;
    Label lblCloseDelay;
    TextBox txtCloseDelay;
    SpinButton updCloseDelay;
    Label lblCloseDelayUnit;
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
    void chkNeedInternet_Click();
    void chkMeteredOffline_Click();
    // A delay field sets its option at once (DelayOf of its text).
    void txtStartDelay_Change();
    void txtCloseDelay_Change();

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
    // The monitor's options, under the three check boxes; a delay row is a caption, a number
    // field with spin buttons and "seconds".
    void CreateMonitorOptions();
    void CreateDelayRow(Label& caption, TextBox& field, SpinButton& spin, Label& unit, const char* text,
                        const char* tip, int top);
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
