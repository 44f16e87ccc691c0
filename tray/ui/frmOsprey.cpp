// frmOsprey: the application window and the options window.
#include "frmOsprey.h"

#include <algorithm>
#include <cstdlib>

#include "Prompt.h"
#include "Resources.h"
#include "Shortcut.h"
#include "System.h"
#include "TrayUi.h"
#include "Units.h"
#include "apps/Apps.h"
#include "apps/Close.h"
#include "apps/Launch.h"
#include "apps/ProcessDiscovery.h"
#include "monitor/MonitorCycle.h"
#include "monitor/frmDialOsprey.h"
#include "monitor/modGeneral.h"
#include "resource.h"
#include "startup/RegSet.h"

namespace tw::tray {
namespace {

// Twips, 15 to the pixel at 96 dpi.
constexpr int kClientWidth = 5535;
constexpr int kClientHeight = 3375;
constexpr int kButtonGap = 30;
// Both list columns equally wide, together just inside the list's client area.
constexpr int kColumnWidth = 2580;
// Room kept below the options frame's last label, above the frame's border.
constexpr int kFrameBottomMargin = 90;
// The rows of the monitor's own options, 480 twips each as the check boxes above them: the
// frame, and in Options mode the window, are that much higher than the list modes' layout.
constexpr int kRow = 480;
constexpr int kMonitorOptionsHeight = 4 * kRow;
constexpr int kFirstMonitorRow = 1320 + kRow;

const char kKeyPrefix[] = "key-";
const char kStartUpFolderTip[] = "This is the folder were the Online StartUp shortcuts are located. ";

FormStyle OspreyStyle() {
    FormStyle style;
    style.clientWidth = kClientWidth;
    style.clientHeight = kClientHeight;
    return style;
}

std::string KeyOf(size_t index) { return kKeyPrefix + std::to_string(index); }

// Makes a label as high as its text wrapped at its width, up to `maxHeight` twips; never
// lower than designed.
void GrowToText(Label& label, int maxHeight) {
    HWND window = label.Hwnd();
    if (!window) return;
    RECT extent = {0, 0, TwipsToPixelsX(label.Width()), 0};
    {
        WindowDC dc(window);
        SelectGuard font(dc.Get(), reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0)));
        sys::DrawString(dc.Get(), label.Caption(), extent, DT_CALCRECT | DT_WORDBREAK | (label.UseMnemonic() ? 0 : DT_NOPREFIX));
    }
    const int height = std::min(PixelsToTwipsY(extent.bottom), maxHeight);
    if (height > label.Height()) label.Move(label.Left(), label.Top(), label.Width(), height);
}

// Widens a one-line label whose text is wider than its design width in the system's font
// (which need not be the one the layout was made for), so the text is never wrapped away.
void WidenToText(Label& label) {
    HWND window = label.Hwnd();
    if (!window) return;
    RECT extent = {0, 0, 0, 0};
    {
        WindowDC dc(window);
        SelectGuard font(dc.Get(), reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0)));
        sys::DrawString(dc.Get(), label.Caption(), extent, DT_CALCRECT | DT_SINGLELINE);
    }
    const int width = PixelsToTwipsX(extent.right + 1);
    if (width > label.Width()) label.Move(label.Left(), label.Top(), width, label.Height());
}

}  // namespace

frmOsprey::frmOsprey() : Form(OspreyStyle()) {}

bool frmOsprey::IsKillMode(const std::string& mode) { return mode.compare(0, 4, "Kill") == 0; }

bool frmOsprey::IsOptionsMode(const std::string& mode) { return mode == kOptionsMode; }

int frmOsprey::ModeIconId(const std::string& mode) {
    if (IsKillMode(mode)) return IDI_KILL_MODE;
    if (IsOptionsMode(mode)) return IDI_OPTIONS_MODE;
    return IDI_LAUNCH_MODE;
}

void frmOsprey::CreateControls() {
    lvwApps.Create(*this, {120, 120, 5295, 2295});
    lvwApps.AddColumn("Application", kColumnWidth);
    lvwApps.AddColumn("Path & Filename", kColumnWidth);
    lvwApps.OnCheckChanged = [this](int) { lvwApps_ItemCheck(); };

    frmOptions.Create(*this, "General", {120, 120, 5295, 2655 + kMonitorOptionsHeight});
    chkSmallIcons.Create(*this, "Show &small icons in menu", {240, 360, 2175, 255}, &frmOptions);
    chkSmallIcons.SetToolTip("Reduces the size of the menu.");
    chkSmallIcons.OnClick = [this] { chkSmallIcons_Click(); };
    chkEnableState.Create(*this, "&Remember enable state at close", {240, 840, 2655, 255}, &frmOptions);
    chkEnableState.SetToolTip("Osprey will start in the same enable state as it was last closed in.");
    chkEnableState.OnClick = [this] { chkEnableState_Click(); };
    chkAskFirst.Create(*this, "&Ask before manipulating apps", {240, 1320, 2775, 255}, &frmOptions);
    chkAskFirst.SetToolTip("Prompt the user before launching or killing any apps.");
    chkAskFirst.OnClick = [this] { chkAskFirst_Click(); };
    CreateMonitorOptions();
    lblStartupCaption.Create(*this, "&Online StartUp Folder:", {240, 1920 + kMonitorOptionsHeight, 1560, 195}, false,
                             &frmOptions);
    lblStartupCaption.SetToolTip(kStartUpFolderTip);
    WidenToText(lblStartupCaption);
    lblStartUpFolder.Create(*this, std::string(), {240, 2160 + kMonitorOptionsHeight, 4815, 255}, false, &frmOptions);
    lblStartUpFolder.SetUseMnemonic(false);  // a folder name: "&" is shown as itself
    lblStartUpFolder.SetToolTip(kStartUpFolderTip);

    frmOptions.SetVisible(false);

    cmdOk.Create(*this, "&Ok", {4200, 2520, 1215, 345});
    cmdOk.SetDefault(true);
    cmdOk.SetBold(true);
    cmdOk.SetEnabled(false);
    cmdOk.OnClick = [this] { cmdOk_Click(); };
    cmdCancel.Create(*this, "&Cancel", {4200, 2880, 1215, 345});
    cmdCancel.SetCancel(true);
    cmdCancel.OnClick = [this] { cmdCancel_Click(); };
    // No action of its own: shown in Options mode, never enabled.
    cmdApply.Create(*this, "&Apply", {2880, 2520, 1215, 345});
    cmdApply.SetEnabled(false);
    cmdApply.SetVisible(false);
}

void frmOsprey::CreateMonitorOptions() {
    int top = kFirstMonitorRow;
    chkNeedInternet.Create(*this, "Require &Internet access", {240, top, 4815, 255}, &frmOptions);
    chkNeedInternet.SetToolTip("A network without Internet access, or behind a sign-in page, counts as not connected.");
    chkNeedInternet.OnClick = [this] { chkNeedInternet_Click(); };
    top += kRow;
    chkMeteredOffline.Create(*this, "Treat &metered connections as not connected", {240, top, 4815, 255}, &frmOptions);
    chkMeteredOffline.SetToolTip("A connection that costs by the amount of data counts as not connected.");
    chkMeteredOffline.OnClick = [this] { chkMeteredOffline_Click(); };
    top += kRow;
    CreateDelayRow(lblStartDelay, txtStartDelay, updStartDelay, lblStartDelayUnit, "Wait before s&tarting apps:",
                   "How long the connection must be up before the apps are started.", top);
    txtStartDelay.OnChange = [this] { txtStartDelay_Change(); };
    top += kRow;
    CreateDelayRow(lblCloseDelay, txtCloseDelay, updCloseDelay, lblCloseDelayUnit, "Wait before c&losing apps:",
                   "How long the connection must be down before the apps are closed.", top);
    txtCloseDelay.OnChange = [this] { txtCloseDelay_Change(); };
}

void frmOsprey::CreateDelayRow(Label& caption, TextBox& field, SpinButton& spin, Label& unit, const char* text,
                               const char* tip, int top) {
    // The label's access key moves to the field created right after it.
    caption.Create(*this, text, {240, top + 45, 2100, 195}, false, &frmOptions);
    caption.SetToolTip(tip);
    WidenToText(caption);
    const int fieldLeft = std::max(2400, caption.Left() + caption.Width() + 60);
    field.Create(*this, "0", {fieldLeft, top, 615, 285}, &frmOptions, ES_NUMBER);
    field.SetToolTip(tip);
    spin.Create(*this, field, 0, kMaxDelaySeconds, {fieldLeft + 615, top, 240, 285}, &frmOptions);
    unit.Create(*this, "seconds", {fieldLeft + 615 + 240 + 90, top + 45, 900, 195}, false, &frmOptions);
    WidenToText(unit);
}

void frmOsprey::Form_Load() {
    CentreOnScreen();
    if (!SetTopmost(Hwnd(), true)) MsgBox("Non-Critical ERROR: Couldn't make window topmost.", MB_OK);
    const std::string mode = AppWindowMode;
    SetCaption(mode);
    SetIconResource(static_cast<UINT>(ModeIconId(mode)));

    if (IsOptionsMode(mode)) {
        lvwApps.SetVisible(false);
        // Room for the monitor's options: the window grows downwards, the buttons with it.
        Move(Left(), Top(), Width(), Height() + kMonitorOptionsHeight);
        CentreOnScreen();
        cmdCancel.Move(cmdCancel.Left(), cmdCancel.Top() + kMonitorOptionsHeight);
        frmOptions.Move(120, 120);
        frmOptions.SetVisible(true);
        // One row ending where Cancel stood, 30 twips apart: Ok, Cancel, Apply.
        cmdApply.Move(cmdCancel.Left(), cmdCancel.Top());
        cmdCancel.Move(cmdApply.Left() - (cmdApply.Width() + kButtonGap), cmdApply.Top());
        cmdOk.Move(cmdCancel.Left() - (cmdOk.Width() + kButtonGap), cmdCancel.Top());
        cmdApply.SetVisible(true);
        cmdOk.SetEnabled(true);
        // The folder this program reads its shortcuts from. The shell's name for it can be
        // longer than one line: the label then grows downwards inside the frame.
        lblStartUpFolder.SetCaption(OnlineStartupFolder());
        GrowToText(lblStartUpFolder, frmOptions.Height() - kFrameBottomMargin - lblStartUpFolder.Top());
        chkEnableState.SetValue(EnableState ? 1 : 0);
        chkSmallIcons.SetValue(SmallIcons ? 1 : 0);
        chkAskFirst.SetValue(AskFirst ? 1 : 0);
        chkNeedInternet.SetValue(NeedInternet ? 1 : 0);
        chkMeteredOffline.SetValue(MeteredOffline ? 1 : 0);
        updStartDelay.SetValue(StartDelay);
        updCloseDelay.SetValue(CloseDelay);
    }

    // Every application's icon, whatever the mode.
    imlSmallIcons.Clear();
    for (size_t index = 0; index < Apps.size(); ++index) imlSmallIcons.Add(Apps[index].Icon, KeyOf(index));
    lvwApps.ClearRows();
    lvwApps.SetSmallIcons(&imlSmallIcons);

    if (AutoPrompt) cmdOk.SetEnabled(true);

    // The list shows the processes as they are now: an application started by other means
    // since the last tick is found again by its path (one process list for all of them).
    if (mode != kLaunchAppsMode && mode != kKillAppsMode) return;
    RefreshProcessIDs();
    for (size_t index = 0; index < Apps.size(); ++index)
        if (IsProcessRunning(Apps[index].ProcessID) == (mode == kKillAppsMode))
            AddEntry(index, AutoPrompt);
}

void frmOsprey::AddEntry(size_t index, bool checked) {
    const AppInfo& app = Apps[index];
    const std::string key = KeyOf(index);
    const int row = lvwApps.AddRow(key, DisplayName(app), imlSmallIcons.IndexOfKey(key));
    lvwApps.SetSubItem(row, 1, app.Path + app.Arguments);
    lvwApps.SetChecked(row, checked);
}

long frmOsprey::IndexOfRow(int row) const {
    const std::string& key = lvwApps.RowKey(row);
    if (key.compare(0, sizeof(kKeyPrefix) - 1, kKeyPrefix) != 0) return -1;
    char* end = nullptr;
    const long index = std::strtol(key.c_str() + sizeof(kKeyPrefix) - 1, &end, 10);
    if (!end || *end || index < 0 || static_cast<size_t>(index) >= Apps.size()) return -1;
    return index;
}

void frmOsprey::lvwApps_ItemCheck() {
    bool anyChecked = false;
    for (int row = 1; row <= lvwApps.RowCount() && !anyChecked; ++row) anyChecked = lvwApps.Checked(row);
    cmdOk.SetEnabled(anyChecked);
}

void frmOsprey::chkSmallIcons_Click() { SmallIcons = chkSmallIcons.Value() == 1; }
void frmOsprey::chkEnableState_Click() { EnableState = chkEnableState.Value() == 1; }
void frmOsprey::chkAskFirst_Click() { AskFirst = chkAskFirst.Value() == 1; }
void frmOsprey::chkNeedInternet_Click() { NeedInternet = chkNeedInternet.Value() == 1; }
void frmOsprey::chkMeteredOffline_Click() { MeteredOffline = chkMeteredOffline.Value() == 1; }
void frmOsprey::txtStartDelay_Change() { StartDelay = DelayOf(txtStartDelay.Text()); }
void frmOsprey::txtCloseDelay_Change() { CloseDelay = DelayOf(txtCloseDelay.Text()); }

void frmOsprey::cmdOk_Click() {
    Hide();
    const std::string mode = Caption();
    frmDialOsprey& tray = TrayWindow();
    const bool timerWasRunning = tray.tmrCheckConnection.Enabled();
    if (timerWasRunning) tray.tmrCheckConnection.SetEnabled(false);
    // The tray window is the progress display.
    tray.ShowStatusWindow();

    if (IsKillMode(mode)) {
        for (int row = 1; row <= lvwApps.RowCount(); ++row) {
            const long index = IndexOfRow(row);
            if (!lvwApps.Checked(row) || index < 0) continue;
            AppInfo& app = Apps[static_cast<size_t>(index)];
            tray.imgTrayIcon.SetPicture(app.Icon);
            tray.lblStatus.SetCaption("Now Killing: " + DisplayName(app));
            app.ProcessID = CloseApp(app.ProcessID);
        }
    } else if (IsOptionsMode(mode)) {
        tray.tmrCheckConnection.SetEnabled(timerWasRunning);
        TrayUserInterface().Menu().DimMenu(true);
        SaveOptions();
    } else {
        for (int row = 1; row <= lvwApps.RowCount(); ++row) {
            const long index = IndexOfRow(row);
            if (!lvwApps.Checked(row) || index < 0) continue;
            AppInfo& app = Apps[static_cast<size_t>(index)];
            tray.imgTrayIcon.SetPicture(app.Icon);
            tray.lblStatus.SetCaption("Now Running: " + DisplayName(app));
            // As the launch batch does: quoted path, the shortcut's folder and show command.
            app.ProcessID = LaunchApp(app);
        }
    }

    if (timerWasRunning)
        tray.tmrCheckConnection.SetEnabled(true);
    else
        tray.tmrCheckConnection_Timer();  // the status follows the changes at once
    tray.Hide();
    Unload();
}

void frmOsprey::cmdCancel_Click() {
    // Undoes the option clicks: nothing was saved yet.
    if (Caption() == kOptionsMode) LoadOptions();
    Unload();
}

void frmOsprey::Form_Unload() {
    AutoPrompt = false;
    if (!SetTopmost(Hwnd(), false)) MsgBox("Non-Critical ERROR: Couldn't reset window to non-topmost.", MB_OK);
}

FormSlot<frmOsprey>& OspreyWindow() {
    static FormSlot<frmOsprey> slot;
    return slot;
}

namespace {

class OspreyAppWindow final : public IAppWindow {
public:
    void ShowModal() override { OspreyWindow()().ShowModal(); }
    void Unload() override {
        if (frmOsprey* window = OspreyWindow().Existing()) window->Unload();
    }
    bool IsOpen() override { return OspreyWindow().IsLoaded(); }
};

}  // namespace

IAppWindow& ApplicationWindow() {
    static OspreyAppWindow window;
    return window;
}

}  // namespace tw::tray
