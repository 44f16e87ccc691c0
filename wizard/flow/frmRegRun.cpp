// frmRegRun: the wizard window, its pages and the selections they carry.
#include "frmRegRun.h"

#include <windows.h>

#include "Files.h"
#include "Handles.h"
#include "Module1.h"
#include "Prompt.h"
#include "Resources.h"
#include "Shortcut.h"
#include "System.h"
#include "Units.h"
#include "frmRename.h"
#include "operations/modDir.h"
#include "operations/modRegStuff.h"
#include "operations/modShellLnk.h"
#include "resource.h"

namespace tw {

namespace {

const char* const kNextCaption = "&Next >";

// Multi-line texts are joined with carriage returns alone; the labels break lines there.
std::string CR(int count) { return std::string(static_cast<size_t>(count), '\r'); }

FormStyle WizardStyle() {
    FormStyle style;
    // A fixed-size window; the program's only window, so it can be minimised and has a
    // taskbar button.
    style.style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    style.exStyle = WS_EX_DLGMODALFRAME | WS_EX_APPWINDOW;
    style.clientWidth = 6525;
    style.clientHeight = 4470;
    style.caption = "Osprey Online StartUp Wizard";
    return style;
}

// Length of the part of `path` that names its root and is never created: "C:\", "\",
// "\\server\share\".
size_t RootLength(const std::string& path) {
    if (path.compare(0, 2, "\\\\") == 0) {
        size_t share = path.find('\\', 2);
        if (share == std::string::npos) return path.size();
        size_t end = path.find('\\', share + 1);
        return end == std::string::npos ? path.size() : end + 1;
    }
    if (path.size() >= 2 && path[1] == ':') return path.size() >= 3 && path[2] == '\\' ? 3 : 2;
    return !path.empty() && path[0] == '\\' ? 1 : 0;
}

}  // namespace

frmRegRun::frmRegRun() : frmRegRun(Module1::OnlineStartupPath, Module1::StartupPath) {}

frmRegRun::frmRegRun(std::string onlineStartupPath, std::string startupPath)
    : Form(WizardStyle()),
      Line1{120, 3840, 6390, COLOR_3DSHADOW},
      Line2{120, 3855, 6390, COLOR_3DHILIGHT},
      m_onlineStartupPath(std::move(onlineStartupPath)),
      m_startupPath(std::move(startupPath)) {}

// ---- Window ----------------------------------------------------------------------------

void frmRegRun::CreateControls() {
    // Creation order is the tab order: the list, then the buttons.
    imgWizard.Create(*this, {180, 180, 1790, 3375});
    ListView1.Create(*this, {2160, 720, 4215, 2535});
    prgCreating.Create(*this, {2160, 1920, 4215, 375});
    prgCreating.SetVisible(false);
    imgWarning.Create(*this, {2160, 3285, 240, 240});
    lblCaption.Create(*this, std::string(), {2415, 3300, 3960, 240});
    cmdBack.Create(*this, "< &Back", {2850, 3975, 1125, 345});
    cmdBack.SetEnabled(false);
    cmdNext.Create(*this, kNextCaption, {3980, 3975, 1125, 345});
    cmdNext.SetDefault(true);
    cmdNext.SetCancel(true);
    cmdCancel.Create(*this, "&Cancel", {5250, 3975, 1125, 345});
    // The page text lies under the list, the progress bar and the warning: it goes to the
    // bottom of the Z order and leaves out what lies above it when it paints
    // (WS_CLIPSIBLINGS), or its background would wipe them.
    lblContent.Create(*this, std::string(), {2160, 240, 4215, 3375});
    lblContent.SetUseMnemonic(false);  // page 4 shows file names: "&" is shown as itself
    if (HWND label = lblContent.Hwnd()) {
        SetWindowLongPtrA(label, GWL_STYLE, GetWindowLongPtrA(label, GWL_STYLE) | WS_CLIPSIBLINGS);
        SetWindowPos(label, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    cmdBack.OnClick = [this] { cmdBack_Click(); };
    cmdNext.OnClick = [this] { cmdNext_Click(); };
    cmdCancel.OnClick = [this] { cmdCancel_Click(); };
}

void frmRegRun::Form_Load() {
    CentreOnScreen();
    SetIconResource(IDI_MARSHAL);
    imgWizard.SetPicture(Picture::FromBitmap(LoadResBitmap(IDB_WIZARD)));
    imgWarning.SetPicture(IconToPicture(LoadResIcon(IDI_WARNING_SIGN, SmallIconSize())));
    SetupPage_Proc();
}

bool frmRegRun::Form_QueryUnload() {
    // Page 4 lets window events run while it works; the window must not go away under it.
    return !m_processing;
}

void frmRegRun::Form_Unload() {
    if (frmRename* rename = RenameDialog().Existing()) rename->Unload();
}

void frmRegRun::Form_Paint(HDC dc) {
    imgWizard.SetVisible(true);
    if (HWND picture = imgWizard.Hwnd()) {
        RECT frame;
        GetWindowRect(picture, &frame);
        MapWindowPoints(nullptr, Hwnd(), reinterpret_cast<POINT*>(&frame), 2);
        InflateRect(&frame, 1, 1);  // one pixel outside the picture
        DrawEdge(dc, &frame, BDR_SUNKENOUTER, BF_RECT);
    }
    for (const FormLine& line : {Line1, Line2}) {
        UniqueGdiObject pen(CreatePen(PS_SOLID, 1, GetSysColor(line.colour)));
        SelectGuard select(dc, pen.Get());
        int y = TwipsToPixelsY(line.y);
        MoveToEx(dc, TwipsToPixelsX(line.x1), y, nullptr);
        LineTo(dc, TwipsToPixelsX(line.x2), y);
    }
}

LRESULT frmRegRun::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_ACTIVATE &&
        m_focus.OnActivate(Hwnd(), wParam, {cmdNext.Hwnd(), cmdBack.Hwnd(), cmdCancel.Hwnd()}))
        return 0;
    if (msg == WM_NEXTDLGCTL) {
        DialogFocus::NextControl(Hwnd(), wParam, lParam);
        return 0;
    }
    return Form::WndProc(msg, wParam, lParam);
}

void frmRegRun::KeepFocus() {
    DialogFocus::Repair(Hwnd(), {cmdNext.Hwnd(), cmdBack.Hwnd(), cmdCancel.Hwnd()});
}

// ---- Buttons ---------------------------------------------------------------------------

void frmRegRun::cmdNext_Click() {
    ProcessPage_Proc();
    ++CurrentPage;
    if (!IsLoaded()) return;  // Exit has unloaded the window
    SetupPage_Proc();
    if (CurrentPage > 0 && CurrentPage < 4) cmdBack.SetEnabled(true);
}

void frmRegRun::cmdBack_Click() {
    // Going back never stores the choices of the page being left.
    --CurrentPage;
    SetupPage_Proc();
    if (CurrentPage < 1) cmdBack.SetEnabled(false);
}

void frmRegRun::cmdCancel_Click() { Unload(); }

// ---- Pages -----------------------------------------------------------------------------

void frmRegRun::SetupPage_Proc() {
    // Undoes "&Begin", "&Finish" and a disabled Finish on the way back to pages 1 and 2.
    if (cmdNext.Text() != kNextCaption && CurrentPage < 3) {
        cmdNext.SetText(kNextCaption);
        cmdNext.SetEnabled(true);
    }
    switch (CurrentPage) {
    case 0:
        imgWarning.SetVisible(false);
        cmdNext.SetText("&Begin");
        lblCaption.SetVisible(false);
        lblContent.SetCaption(
            "This wizard will lead you through the process of adding shortcuts to your Online "
            "StartUp folder." + CR(3) + "- Moving your StartUp folder shortcuts." + CR(2) +
            "- Creating shortcuts from your registry." + CR(3) +
            "Please click the Begin button to get started.");
        lblContent.SetVisible(true);
        ListView1.SetVisible(false);
        break;
    case 1:
        ListView1.SetVisible(false);
        ListView1.ClearColumns();
        ListView1.AddColumn("Shortcut Name", 4185);
        ListView1.AddColumn("Path & Filename", 5999);
        lblContent.SetCaption(
            "Check the StartUp folder shortcut item(s) that you would like to move to the Online "
            "Startup folder.");
        SetupListPage();
        ListView1.SetLabelEdit(false);
        modDir::ScanStartUpFolder(m_startupPath, ListView1, imlIcons);
        StartUpChecked();
        ListView1.SetVisible(true);
        break;
    case 2:
        ListView1.SetVisible(false);
        ListView1.ClearColumns();
        ListView1.AddColumn("Shortcut Name", 4185);
        ListView1.AddColumn("Path & Filename", 5999);
        ListView1.AddColumn("Registry Entry", 2880);
        // On 64-bit Windows the machine's values come from two keys: each row names its own.
        if (modRegStuff::IsWindows64()) ListView1.AddColumn("Registry Key", 2880);
        lblContent.SetCaption(
            "Check the registry item(s) that you would like to create shortcuts for in the Online "
            "Startup folder.");
        SetupListPage();
        ListView1.SetLabelEdit(true);
        modRegStuff::ListRunValues(HKEY_CURRENT_USER, ListView1, imlIcons);
        modRegStuff::ListRunValues(HKEY_LOCAL_MACHINE, ListView1, imlIcons);
        RegChecked();
        ListView1.SetVisible(true);
        break;
    case 3: {
        imgWarning.SetVisible(false);
        cmdNext.SetText("&Finish");
        imgWizard.SetVisible(true);
        lblCaption.SetVisible(false);
        std::string tail;
        if (CountArrays() != 0) {
            tail = "Any registry entries that are removed will be saved to REMOVED.REG, located in "
                   "the main Osprey directory." + CR(3) +
                   "Please click the Finish button to create the shortcuts.";
        } else {
            cmdNext.SetEnabled(false);
            tail = "Please click the Back button to go back and select items, or the Cancel button "
                   "to quit without manipulating any shortcuts.";
        }
        lblContent.SetCaption("Thank you, for using this Wizard." + CR(3) + ProcessArrays() + CR(3) + tail);
        lblContent.SetVisible(true);
        ListView1.SetVisible(false);
        break;
    }
    case 4:
        ProcessingPage();
        break;
    default:
        lblCaption.SetVisible(false);
        lblContent.SetVisible(false);
        ListView1.SetVisible(false);
        break;
    }
    KeepFocus();
    SetMousePointer(MousePointer::Default);
}

void frmRegRun::SetupListPage() {
    lblCaption.SetCaption("WARNING: If you are unsure DON'T check the item!");
    imgWarning.SetVisible(true);
    lblCaption.SetVisible(true);
    // The image list is detached while it is rebuilt; image 1 is the list icon, shown by no row.
    ListView1.SetSmallIcons(nullptr);
    imlIcons.Clear();
    ListView1.ClearRows();
    imlIcons.Add(IconToPicture(LoadResIcon(IDI_LIST, imlIcons.ImageSize())));
    ListView1.SetSmallIcons(&imlIcons);
}

void frmRegRun::ProcessingPage() {
    lblContent.SetCaption(std::string());
    cmdBack.SetEnabled(false);
    cmdNext.SetEnabled(false);
    cmdCancel.SetEnabled(false);
    m_processing = true;
    lblContent.SetCaption(CR(7) + "Manipulating shortcuts...");
    DoEvents();
    prgCreating.SetMax(CountArrays());
    prgCreating.SetVisible(true);
    modRegStuff::RecoverRemovedReg();
    if (MakeOnlineStartupFolder()) {
        MoveStartupShortcuts();
        CreateRegShortcuts();
    } else {
        // Nothing is moved, made or deleted without the folder to put it in.
        MsgBox("Non-Critical ERROR: Can't create the Online StartUp folder " + m_onlineStartupPath +
                   ". No shortcut was moved or created.",
               MB_ICONEXCLAMATION);
    }
    prgCreating.SetVisible(false);
    lblContent.SetCaption("All done, click the Exit button to close.");
    cmdNext.SetText("E&xit");
    cmdNext.SetEnabled(true);
    m_processing = false;
    KeepFocus();
    DoEvents();
}

bool frmRegRun::MakeOnlineStartupFolder() {
    FileError error;
    if (!Dir(m_onlineStartupPath, FILE_ATTRIBUTE_DIRECTORY, error).empty()) return true;
    // Every missing level is made, the parents first.
    for (size_t i = RootLength(m_onlineStartupPath); i <= m_onlineStartupPath.size(); ++i) {
        if (i < m_onlineStartupPath.size() && m_onlineStartupPath[i] != '\\') continue;
        std::string level = m_onlineStartupPath.substr(0, i);
        if (!level.empty() && level.back() != '\\' && !sys::IsFolder(level)) MkDir(level, error);
    }
    return sys::IsFolder(m_onlineStartupPath);
}

ProgressView frmRegRun::Progress() {
    ProgressView progress;
    progress.step = [this] {
        prgCreating.SetValue(prgCreating.Value() + 1);
        DoEvents();
    };
    progress.setContent = [this](const std::string& text) { lblContent.SetCaption(text); };
    return progress;
}

void frmRegRun::MoveStartupShortcuts() {
    modDir::MoveStartupShortcuts(StartUpSelection, m_startupPath, m_onlineStartupPath, Progress());
}

void frmRegRun::CreateRegShortcuts() {
    modShellLnk::CreateRegShortcuts(RegSelection, m_onlineStartupPath, Progress());
}

// ---- Selections ------------------------------------------------------------------------

void frmRegRun::ProcessPage_Proc() {
    SetMousePointer(MousePointer::Hourglass);  // until SetupPage_Proc ends
    switch (CurrentPage) {
    case 1: {
        const int count = NumChecked(ListView1);
        StartUpSelection.clear();
        StartUpSelection.reserve(static_cast<size_t>(count));
        for (int row = 1; row <= ListView1.RowCount(); ++row) {
            // The row text is the file name without extension, the tag the extension.
            if (ListView1.Checked(row))
                StartUpSelection.push_back(ListView1.RowText(row) + "." + ListView1.RowTag(row));
        }
        break;
    }
    case 2: {
        const int count = NumChecked(ListView1);
        RegSelection.clear();
        RegSelection.reserve(static_cast<size_t>(count));
        for (int row = 1; row <= ListView1.RowCount(); ++row) {
            if (!ListView1.Checked(row)) continue;
            bool named = true;
            // A name that cannot be a file name goes to the rename dialog until it can.
            while (!modShellLnk::InvalidChars(ListView1.RowText(row)).empty()) {
                modShellLnk::ShowInvalidNameMessage();
                frmRename& rename = RenameDialog()();
                rename.Load();
                rename.Text1.SetText(ListView1.RowText(row));
                rename.ShowModalOver(*this);
                // The dialog returns only once hidden by a valid name; a dialog that could not
                // be shown, or a modal loop ended by the program's end, leaves the row out
                // rather than asking forever.
                named = rename.IsLoaded() && !rename.Visible();
                if (named) ListView1.SetRowText(row, rename.Text1.Text());
                rename.Unload();
                if (!named) break;
            }
            if (!named) continue;
            RegSelection.push_back(RegItem{ListView1.RowText(row), ListView1.RowTag(row),
                                           ListView1.SubItem(row, 1), ListView1.SubItem(row, 2),
                                           modRegStuff::RowView(ListView1, row)});
        }
        break;
    }
    case 4:
        Unload();  // Exit
        break;
    default:
        break;
    }
}

int frmRegRun::NumChecked(const ListView& list) const {
    int count = 0;
    for (int row = 1; row <= list.RowCount(); ++row)
        if (list.Checked(row)) ++count;
    return count;
}

void frmRegRun::StartUpChecked() {
    for (const std::string& element : StartUpSelection) {
        for (int row = 1; row <= ListView1.RowCount(); ++row) {
            if (ListView1.RowText(row) + "." + ListView1.RowTag(row) == element)
                ListView1.SetChecked(row, true);
        }
    }
}

void frmRegRun::RegChecked() {
    // Rows are matched by command line, not by value name or hive: rows sharing a command
    // line are all checked and take the name of the last element that has it.
    for (const RegItem& element : RegSelection) {
        for (int row = 1; row <= ListView1.RowCount(); ++row) {
            if (ListView1.SubItem(row, 1) == element.CommandLine) {
                ListView1.SetChecked(row, true);
                ListView1.SetRowText(row, element.ShortcutName);
            }
        }
    }
}

int frmRegRun::CountArrays() const {
    return static_cast<int>(StartUpSelection.size() + RegSelection.size());
}

std::string frmRegRun::ProcessArrays() const {
    std::string first = StartUpSelection.empty()
                            ? "-You did not select any StartUp shortcuts."
                            : "-" + std::to_string(StartUpSelection.size()) + " StartUp shortcut(s) will be moved.";
    std::string second = RegSelection.empty()
                             ? "-You did not select any registry items."
                             : "-" + std::to_string(RegSelection.size()) +
                                   " registry item shortcut(s) will be created.";
    return first + CR(2) + second;
}

}  // namespace tw
