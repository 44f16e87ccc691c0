// frmDialOsprey: load and unload, the tick, the status window and the tray icon's messages.
#include "frmDialOsprey.h"

#include <cmath>

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
// Posted to itself when the system resumes from sleep.
constexpr UINT kResumedMessage = WM_APP + 1;

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
    // With StartDelay set, a connection that is up at start waits its delay like one that
    // comes up later: the first tick begins the wait.
    WasConnected = GetConnectionState() != kNotConnected && !(StartDelay > 0 && tmrCheckConnection.Enabled());
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
    if (msg == WM_POWERBROADCAST) {
        // Back from sleep or hibernation: a fresh look at once, run from the message queue
        // rather than inside the system's broadcast, which waits for the answer.
        if (wParam == PBT_APMRESUMEAUTOMATIC || wParam == PBT_APMRESUMESUSPEND)
            PostMessageA(Hwnd(), kResumedMessage, 0, 0);
        return TRUE;
    }
    if (msg == kResumedMessage) {
        if (IsLoaded()) Resumed();
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
        // Monitor off: the off display only; WasConnected keeps its value, and a change
        // waiting for its delay is forgotten.
        m_changeWaits = false;
        m_statusText = "Disabled";
        SetStatusLabel(std::string());
        ShowStateIcon(IDI_TRAY_DISABLED);
        UpdateTrayIcon(m_trayIcon.Icon(), m_statusText);
        return;
    }
    const ConnectionProbeResult probe = ProbeConnection();
    const bool connected = probe.code != kNotConnected;
    const bool appsRunning = AnyAppRunning();
    const int secondsLeft = SecondsBeforeActing(connected);
    // The text of the probe acted on, never of a second one, so the tooltip always
    // matches the icon.
    m_statusText = StatusTextOf(probe);
    if (appsRunning) m_statusText += ", With Apps Running";
    if (secondsLeft > 0)
        m_statusText += (connected ? " (starting apps in " : " (closing apps in ") + std::to_string(secondsLeft) + " s)";
    if (connected)
        ShowStateIcon(appsRunning ? IDI_TRAY_CONNECTED_APPS : IDI_TRAY_CONNECTED);
    else
        ShowStateIcon(appsRunning ? IDI_TRAY_NOT_CONNECTED_APPS : IDI_TRAY_NOT_CONNECTED);
    SetStatusLabel("Status: " + m_statusText);
    UpdateTrayIcon(m_trayIcon.Icon(), m_statusText);

    if (connected == WasConnected || secondsLeft > 0) return;
    // A tick nested in the open application window (any mode) leaves the change alone; the
    // next tick that finds the window closed acts on the state it then sees.
    if (IsAppWindowOpen()) return;
    // Before any prompt or batch: a nested tick that sees the same state does nothing.
    WasConnected = connected;
    m_changeWaits = false;
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

int frmDialOsprey::SecondsBeforeActing(bool connected) {
    const int delay = connected ? StartDelay : CloseDelay;
    if (connected == WasConnected || delay <= 0) {
        // Back to the state acted on (the change made no transition), or no delay to wait.
        m_changeWaits = false;
        return 0;
    }
    const double now = Clock().Now();
    if (!m_changeWaits || m_changeConnects != connected) {
        m_changeWaits = true;
        m_changeConnects = connected;
        m_changeSeenAt = now;
    }
    const double left = delay - (now - m_changeSeenAt);
    return left > 0 ? static_cast<int>(std::ceil(left)) : 0;
}

void frmDialOsprey::Resumed() {
    // Time asleep counts toward no delay: a change seen from now on waits its full delay.
    m_changeWaits = false;
    tmrCheckConnection_Timer();
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
