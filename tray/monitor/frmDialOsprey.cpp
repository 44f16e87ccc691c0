// frmDialOsprey: load and unload, the tick, the status window and the tray icon's messages.
#include "frmDialOsprey.h"

#include "AppWindow.h"
#include "Clock.h"
#include "Connection.h"
#include "MonitorCycle.h"
#include "Pause.h"
#include "Prompt.h"
#include "Resources.h"
#include "Shortcut.h"
#include "TrayIcon.h"
#include "modGeneral.h"
#include "resource.h"
#include "startup/RegSet.h"

namespace tw::tray {
namespace {

ITrayWindowUi* g_ui = nullptr;

// Sizes in twips (15 to the pixel at 96 dpi).
constexpr int kClientWidth = 3135;
constexpr int kClientHeight = 480;
constexpr int kLabelRightMargin = 215;

constexpr unsigned kTickMs = 2000;

// Broadcast by the shell to every top-level window when it (re)creates the taskbar.
UINT TaskbarCreatedMessage() {
    static const UINT message = RegisterWindowMessageA("TaskbarCreated");
    return message;
}

FormStyle StatusWindowStyle() {
    FormStyle style;
    // No caption; a tool window, so it never gets a taskbar button of its own.
    style.style = WS_POPUP | WS_BORDER;
    style.exStyle = WS_EX_TOOLWINDOW;
    style.clientWidth = kClientWidth;
    style.clientHeight = kClientHeight;
    return style;
}

}  // namespace

ITrayWindowUi* SetTrayWindowUi(ITrayWindowUi* ui) {
    ITrayWindowUi* previous = g_ui;
    g_ui = ui;
    return previous;
}

bool SetTopmost(HWND window, bool topmost) {
    return SetWindowPos(window, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                        SWP_NOSIZE | SWP_NOMOVE) != FALSE;
}

frmDialOsprey::frmDialOsprey() : Form(StatusWindowStyle()), tmrCheckConnection(*this, kTickMs) {
    tmrCheckConnection.OnTimer = [this] { tmrCheckConnection_Timer(); };
}

void frmDialOsprey::CreateControls() {
    imgTrayIcon.Create(*this, {120, 120, 240, 240});
    lblStatus.Create(*this, std::string(), {480, 135, 0, 195}, true);
    lblStatus.SetUseMnemonic(false);  // shows program names: "&" is shown as itself
    lblStatus.OnChange = [this] { lblStatus_Change(); };
}

void frmDialOsprey::Form_Load() {
    LoadOptions();
    // The start-up icon, until the first tick; kept with the state icons, so it lives after
    // the tick has sent the next one.
    m_trayIcon = StateIcon(IDI_TRAY_STARTING);
    m_stateIconId = 0;
    FillTrayIconData(Hwnd(), m_trayIcon.Icon(), "Loading...");
    AddTrayIcon();
    m_iconAdded = true;
    if (!SetTopmost(Hwnd(), true)) MsgBox("Non-Critical ERROR: Couldn't make window topmost.", MB_OK);
    CentreOnScreen();
    tmrCheckConnection.SetEnabled(EnableState ? LoadEnabledSetting() : true);
    WasConnected = GetConnectionState() != kNotConnected;
    // No test of its own whether the applications run: the batch skips the running ones
    // and the application window decides what it offers.
    if (WasConnected && tmrCheckConnection.Enabled()) {
        if (AskFirst)
            OpenAppWindow(kLaunchAppsMode, true);
        else
            LaunchAllApps();
    }
    if (g_ui) g_ui->Attach(*this);
    tmrCheckConnection_Timer();
}

void frmDialOsprey::Form_Unload() {
    // Every step runs, whatever the one before it did.
    SaveOptions();
    if (EnableState) SaveEnabledSetting(tmrCheckConnection.Enabled());
    if (AnyAppRunning()) {
        if (AskFirst)
            OpenAppWindow(kKillAppsMode, true);
        else
            KillAllApps();
    }
    if (!SetTopmost(Hwnd(), false))
        MsgBox("Non-Critical ERROR: Couldn't reset window to non-topmost.", MB_OK);
    DeleteTrayIcon();
    m_iconAdded = false;
    if (g_ui) g_ui->Detach(*this);
    // The tray icon is gone: so may the state icons, with the pictures that show them.
    for (Picture& icon : m_stateIcons) icon = Picture();
    m_trayIcon = Picture();
    imgTrayIcon.SetPicture(Picture());
}

LRESULT frmDialOsprey::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == TaskbarCreatedMessage() && msg != 0) {
        // The shell restarted and forgot the icon: add it again as it is now (the ticks
        // after it send only what changes).
        if (m_iconAdded) AddTrayIcon();
        return 0;
    }
    if (msg == kTrayCallbackMessage) {
        // From the tray icon, lParam is the mouse message over it. A real mouse move over
        // the shown status window has its position there, which never reads as a button
        // message (the window is not 512 pixels wide).
        if (g_ui) g_ui->TrayMouse(*this, static_cast<UINT>(lParam));
        return 0;
    }
    return Form::WndProc(msg, wParam, lParam);
}

const Picture& frmDialOsprey::StateIcon(int iconId) {
    Picture& icon = m_stateIcons[iconId - IDI_TRAY_CONNECTED];
    if (!icon) icon = IconToPicture(LoadResIcon(static_cast<UINT>(iconId), TrayIconSize()));
    return icon;
}

void frmDialOsprey::ShowStateIcon(int iconId) {
    m_stateIconId = iconId;
    // A failed load gives an empty picture: the tray shows no picture until a later tick.
    m_trayIcon = StateIcon(iconId);
    if (imgTrayIcon.GetPicture().Get() != m_trayIcon.Get()) imgTrayIcon.SetPicture(m_trayIcon);
}

void frmDialOsprey::SetStatusLabel(const std::string& text) {
    if (lblStatus.Caption() != text) lblStatus.SetCaption(text);
}

void frmDialOsprey::tmrCheckConnection_Timer() {
    RefreshProcessIDs();
    if (!tmrCheckConnection.Enabled()) {
        // Monitor off: the off display only; WasConnected keeps its value.
        m_statusText = "Disabled";
        SetStatusLabel(std::string());
        ShowStateIcon(IDI_TRAY_DISABLED);
        UpdateTrayIcon(m_trayIcon.Icon(), m_statusText);
        return;
    }
    const std::int32_t state = GetConnectionState();
    const bool connected = state != kNotConnected;
    const bool appsRunning = AnyAppRunning();
    if (connected) {
        // The text of the probe acted on, never of a second one, so the tooltip always
        // matches the icon.
        m_statusText = StatusTextOf(state);
        if (appsRunning) m_statusText += ", With Apps Running";
        ShowStateIcon(appsRunning ? IDI_TRAY_CONNECTED_APPS : IDI_TRAY_CONNECTED);
    } else {
        m_statusText = appsRunning ? "Not Connected, With Apps Running" : "Not Connected";
        ShowStateIcon(appsRunning ? IDI_TRAY_NOT_CONNECTED_APPS : IDI_TRAY_NOT_CONNECTED);
    }
    SetStatusLabel("Status: " + m_statusText);
    UpdateTrayIcon(m_trayIcon.Icon(), m_statusText);

    if (connected == WasConnected) return;
    // A tick nested in the open application window (any mode) leaves the change alone; the
    // next tick that finds the window closed acts on the state it then sees.
    if (IsAppWindowOpen()) return;
    // Before any prompt or batch: a nested tick that sees the same state does nothing.
    WasConnected = connected;
    if (connected) {
        if (AnyAppNotRunning()) {
            if (AskFirst)
                OpenAppWindow(kLaunchAppsMode, true);
            else
                LaunchAllApps();
        } else {
            ShowStatus();
        }
    } else {
        if (AnyAppRunning()) {
            if (AskFirst)
                OpenAppWindow(kKillAppsMode, true);
            else
                KillAllApps();
        } else {
            ShowStatus();
        }
    }
}

void frmDialOsprey::lblStatus_Change() {
    Move(Left(), Top(), lblStatus.Left() + lblStatus.Width() + kLabelRightMargin);
    CentreOnScreen();
    Refresh();
}

void frmDialOsprey::ShowStatusWindow() {
    if (!Hwnd()) return;
    ShowWindow(Hwnd(), SW_SHOWNOACTIVATE);
    UpdateWindow(Hwnd());
}

void frmDialOsprey::ShowStatus() {
    if (Visible()) return;
    UnloadAppWindow();
    ShowStatusWindow();
    Clock().Beep();
    Pause(2);
    Hide();
}

frmDialOsprey& TrayWindow() {
    static FormSlot<frmDialOsprey> slot;
    return slot();
}

void LoadTrayWindow() { TrayWindow().Load(); }

}  // namespace tw::tray
