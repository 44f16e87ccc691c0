// frmDialOsprey: the hidden tray window. It carries the notification-area icon, the monitor
// timer and its tick, and a small status window made of the same form (an icon and one line
// of text, centred, always on top) that ShowStatus and the launch and kill batches show.
// Its load starts the tray program's life and its unload ends it. It is a hidden top-level
// window, not a message-only one, so that it receives the shell's "TaskbarCreated"
// broadcast and puts its icon back when the shell restarts.
#pragma once
#include <windows.h>

#include <string>

#include "Controls.h"
#include "Form.h"

namespace tw::tray {

class frmDialOsprey;

// What the tray user interface adds to the tray window: the subclass and the popup menu,
// and the reaction to the tray icon's mouse notifications. Installed before the window
// loads; with none installed the window has no menu and ignores the mouse.
class ITrayWindowUi {
public:
    virtual ~ITrayWindowUi() = default;
    // End of the load, after the start-up launch and before the first tick: subclass the
    // window (HookWindow) and build the popup menu (DimMenu with blnRemove false).
    virtual void Attach(frmDialOsprey& window) = 0;
    // Unload, after the tray icon has been removed: release the menu resources, then
    // UnhookWindow.
    virtual void Detach(frmDialOsprey& window) = 0;
    // A notification of the tray icon: the mouse message that happened over it
    // (WM_RBUTTONUP, 517, is the one that opens the menu).
    virtual void TrayMouse(frmDialOsprey& window, UINT mouseMessage) = 0;
};
// Installs the tray user interface (nullptr: none) and returns the previous one.
ITrayWindowUi* SetTrayWindowUi(ITrayWindowUi* ui);

// Makes `window` always on top (`topmost` true) or takes that away: one SetWindowPos with
// HWND_TOPMOST or HWND_NOTOPMOST, no move, no size. True when the call succeeded.
bool SetTopmost(HWND window, bool topmost);

class frmDialOsprey final : public Form {
public:
    frmDialOsprey();

    // The monitor: 2000 ms, created disabled; enabled means the monitor is on.
    Timer tmrCheckConnection;
    // The status window's icon and line of text.
    Image imgTrayIcon;
    Label lblStatus;

    // One monitor tick: refreshes the process ids, probes the connection once, shows the
    // state on the tray icon, its tooltip and the status label, and on a change of the
    // connection since the last tick that acted, launches or kills the applications, opens
    // the application window, or flashes the status window.
    void tmrCheckConnection_Timer();
    // Widens the window to its label (label's left + width + 215 twips), centres it and
    // repaints it at once. Runs whenever lblStatus's text is set.
    void lblStatus_Change();
    // Flashes the status window for 2 seconds with a beep, unless it is already shown;
    // closes the application window first.
    void ShowStatus();
    // Starts every listed application that is not running, showing each in the status window.
    void LaunchAllApps();
    // Closes (or kills) every listed application that is running, showing each.
    void KillAllApps();
    // Shows the status window (the batches' progress display) without taking the focus
    // from the user's window.
    void ShowStatusWindow();

    // The system is back from sleep: a change waiting for its delay starts its wait again,
    // and one tick runs at once. WM_POWERBROADCAST's resume events come here.
    void Resumed();

    // The current status: the tray tooltip ("Disabled", "Connected: LAN", ...).
    const std::string& StatusText() const { return m_statusText; }
    // The icon resource the last tick showed (0 before the first tick: the start-up 702).
    int StateIconId() const { return m_stateIconId; }

protected:
    void CreateControls() override;
    void Form_Load() override;
    void Form_Unload() override;
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    // The tick's icon: put into imgTrayIcon (when it shows another picture) and kept as the
    // tray icon.
    void ShowStateIcon(int iconId);
    // The picture of a state icon (701 to 706), loaded at TrayIconSize the first time it is
    // asked for and kept while the window is loaded (empty while its load fails).
    const Picture& StateIcon(int iconId);
    // Sets lblStatus (and so runs lblStatus_Change) only when the text is another one.
    void SetStatusLabel(const std::string& text);
    // The batches' start and end: the application window closed, the timer noted and
    // switched off, the status window shown, a beep; then the timer back on (or, when it
    // was off, one tick run) and the window hidden.
    bool BeginBatch();
    // With StartDelay or CloseDelay set, a change of connection waits: the seconds still to
    // wait before a tick that sees `connected` may act on it (0: act now). Counts from the
    // first tick that saw the change; a tick that sees the state acted on ends the wait.
    int SecondsBeforeActing(bool connected);
    void EndBatch(bool timerWasEnabled);

    std::string m_statusText;
    int m_stateIconId = 0;
    bool m_iconAdded = false;  // between the load's NIM_ADD and the unload's NIM_DELETE
    // The change waiting for its delay: which way, and when the first tick saw it.
    bool m_changeWaits = false;
    bool m_changeConnects = false;
    double m_changeSeenAt = 0;
    // The picture whose handle the tray icon shows; kept apart from imgTrayIcon, which the
    // batches give the applications' icons, so that the handle lives as long as the shell
    // may be asked to show it again.
    Picture m_trayIcon;
    // The state icons by id - 701 (702 is the start-up icon). The shell copies an icon when it is given one, but a
    // handle that it was given is never destroyed before the next one has been sent: every
    // picture here lives until the unload has removed the tray icon.
    Picture m_stateIcons[6];
};

// The program's one tray window (made on first use; fresh after an unload).
frmDialOsprey& TrayWindow();
// Loads it hidden, which starts the monitor: what Main does once the list is not empty.
void LoadTrayWindow();

}  // namespace tw::tray
