// TrayUi: the tray window's message target, tray mouse handling and menu commands.
#include "TrayUi.h"

#include "Form.h"
#include "frmOsprey.h"
#include "monitor/AppWindow.h"
#include "monitor/Connection.h"
#include "monitor/MonitorCycle.h"
#include "monitor/modGeneral.h"
#include "startup/RegSet.h"

namespace tw::tray {

TrayUi::TrayUi()
    : m_menu([this] { return m_window && m_window->tmrCheckConnection.Enabled(); }) {}

void TrayUi::Attach(frmDialOsprey& window) {
    m_window = &window;
    m_menu.SetOwner(window.Hwnd());
    HookWindow(window.Hwnd(), this);
    m_menu.DimMenu(false);
}

void TrayUi::Detach(frmDialOsprey& window) {
    m_menu.Release();
    UnhookWindow(window.Hwnd());
    if (m_window == &window) m_window = nullptr;
}

LRESULT TrayUi::Message(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_DRAWITEM:
        // wParam is the control id; 0 means the request comes from a menu.
        if (wParam == 0) m_menu.DrawMenuItem(*reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
        break;
    case WM_MEASUREITEM:
        if (wParam == 0) m_menu.MeasureMenuItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
        break;
    case WM_COMMAND:
        // Notification code 0 and no control window: a menu item (an accelerator has code 1,
        // a control its own window in lParam).
        if (HiWord(static_cast<std::uint32_t>(wParam)) == 0 && lParam == 0)
            m_menu.MenuCommand(LoWord(static_cast<std::uint32_t>(wParam)));
        break;
    default:
        break;
    }
    // Nothing is swallowed.
    return CallOrgWndProc(hWnd, msg, wParam, lParam);
}

void TrayUi::TrayMouse(frmDialOsprey& window, UINT mouseMessage) {
    if (mouseMessage != WM_RBUTTONUP) return;
    // While a modal window (the application window) is open, the tray window is disabled
    // like the program's other windows: the icon takes no clicks then, as the window does not.
    if (!IsWindowEnabled(window.Hwnd())) return;
    // Every failure from here on is ignored.
    const bool monitoring = window.tmrCheckConnection.Enabled();
    EnableMenuItem(m_menu.hMenu, kLaunchAppsCommand,
                   MF_BYCOMMAND | (AnyAppNotRunning() && monitoring ? MF_ENABLED : MF_GRAYED));
    EnableMenuItem(m_menu.hMenu, kKillAppsCommand,
                   MF_BYCOMMAND | (AnyAppRunning() && monitoring ? MF_ENABLED : MF_GRAYED));
    m_menu.SelectedCommand = 0;
    m_menu.ShowPopupMenu(m_menu.hMenu, -1, -1);
    // The chosen item's WM_COMMAND was posted when the menu closed: let it arrive.
    DoEvents();
    RunCommand(window, m_menu.SelectedCommand);
}

void TrayUi::RunCommand(frmDialOsprey& window, int commandId) {
    switch (commandId) {
    case kKillAppsCommand:
        OpenAppWindow(kKillAppsMode, false);
        break;
    case kLaunchAppsCommand:
        OpenAppWindow(kLaunchAppsMode, false);
        break;
    case kOptionsCommand:
        OpenAppWindow(kOptionsMode, false);
        break;
    case kDisableCommand:
        Disable(window);
        break;
    case kExitCommand:
        window.Unload();
        break;
    case kEnableCommand:
        Enable(window);
        break;
    default:
        break;  // the menu was dismissed
    }
}

void TrayUi::Disable(frmDialOsprey& window) {
    window.tmrCheckConnection.SetEnabled(false);
    window.tmrCheckConnection_Timer();
    m_menu.ReplaceTopItem(kDisableCommand, kEnableCommand);
    if (AnyAppRunning()) {
        if (AskFirst)
            OpenAppWindow(kKillAppsMode, true);
        else
            window.KillAllApps();
    }
}

void TrayUi::Enable(frmDialOsprey& window) {
    window.tmrCheckConnection.SetEnabled(true);
    window.tmrCheckConnection_Timer();
    m_menu.ReplaceTopItem(kEnableCommand, kDisableCommand);
    if (AnyAppNotRunning() && GetConnectionState() != kNotConnected) {
        if (AskFirst)
            OpenAppWindow(kLaunchAppsMode, true);
        else
            window.LaunchAllApps();
    }
}

TrayUi& TrayUserInterface() {
    static TrayUi ui;
    return ui;
}

void InstallTrayUserInterface() {
    SetTrayWindowUi(&TrayUserInterface());
    SetAppWindow(&ApplicationWindow());
}

}  // namespace tw::tray
