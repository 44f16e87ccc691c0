// frmRegRun: the Online StartUp wizard's window. Walks the user through five pages (welcome,
// StartUp shortcuts, Run values, summary, processing), keeps the choices of pages 1 and 2 in
// StartUpSelection and RegSelection from page to page, and on page 4 has the checked shortcuts
// moved into the Online StartUp folder and shortcuts made for the checked Run values.
// Owns its controls, the list's image list and the two selections.
#pragma once
#include <string>
#include <vector>

#include "Controls.h"
#include "DialogFocus.h"
#include "Form.h"
#include "ListView.h"
#include "operations/WizardTypes.h"

namespace tw {

class frmRegRun : public Form {
public:
    // The wizard over the folders the program entry found (Module1).
    frmRegRun();
    // The wizard over other folders, each ending in "\" (tests use folders of their own).
    frmRegRun(std::string onlineStartupPath, std::string startupPath);

    const std::string& OnlineStartupPath() const { return m_onlineStartupPath; }
    const std::string& StartupPath() const { return m_startupPath; }

    // A line the form draws itself, from (x1, y) to (x2, y) in twips, in a system colour.
    struct FormLine {
        int x1, y, x2;
        int colour;  // COLOR_3DSHADOW, COLOR_3DHILIGHT, ...
    };

    // Controls, in twips (left, top, width x height) of the client area.
    Image imgWizard;      // 180, 180, 1790 x 3375: the wizard picture, framed by a sunken edge
    Label lblContent;     // 2160, 240, 4215 x 3375: the page's main text
    ListView ListView1;   // 2160, 720, 4215 x 2535: the rows of pages 1 and 2
    ImageList imlIcons;   // their small icons
    ProgressBar prgCreating;  // 2160, 1920, 4215 x 375: progress on page 4, hidden otherwise
    Image imgWarning;     // 2160, 3285, 240 x 240: the warning sign of pages 1 and 2
    Label lblCaption;     // 2415, 3300, 3960 x 240: the warning text
    FormLine Line1;       // the separator above the buttons: its dark stroke
    FormLine Line2;       // and its light stroke one pixel below
    Button cmdBack;       // "< &Back"
    Button cmdNext;       // "&Next >", "&Begin", "&Finish", "E&xit": default and cancel button
    Button cmdCancel;     // "&Cancel": no key but its access key

    // Page numbers: 0 welcome, 1 StartUp shortcuts, 2 Run values, 3 summary, 4 processing,
    // 5 after Exit.
    int CurrentPage = 0;
    // File names ("Mail.lnk") of the StartUp shortcuts checked when page 1 was last left forwards.
    std::vector<std::string> StartUpSelection;
    // The Run values checked when page 2 was last left forwards.
    std::vector<RegItem> RegSelection;

    void cmdNext_Click();
    void cmdBack_Click();
    void cmdCancel_Click();

    // Builds the page CurrentPage.
    void SetupPage_Proc();
    // Takes the choices of the page being left forwards.
    void ProcessPage_Proc();
    // The number of checked rows of `list`.
    int NumChecked(const ListView& list) const;
    // The summary of page 3: what will be moved and created.
    std::string ProcessArrays() const;
    // Re-checks the rows of page 1 from StartUpSelection.
    void StartUpChecked();
    // Re-checks the rows of page 2 from RegSelection (matched by command line) and gives
    // them the stored names.
    void RegChecked();
    // Elements of StartUpSelection plus elements of RegSelection.
    int CountArrays() const;
    // Page 4's work: the checked StartUp shortcuts moved, shortcuts made for the Run values.
    void MoveStartupShortcuts();
    void CreateRegShortcuts();

protected:
    void CreateControls() override;
    void Form_Load() override;
    // The close box does what Cancel does, except while page 4 is working.
    bool Form_QueryUnload() override;
    void Form_Unload() override;
    void Form_Paint(HDC dc) override;
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void SetupListPage();  // what pages 1 and 2 share before their rows are added
    void ProcessingPage(); // page 4
    bool MakeOnlineStartupFolder();
    ProgressView Progress();
    void KeepFocus();  // on a usable button when the focused one was disabled

    std::string m_onlineStartupPath;
    std::string m_startupPath;
    bool m_processing = false;  // page 4 is working
    DialogFocus m_focus;
};

}  // namespace tw
