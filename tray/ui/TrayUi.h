// TrayUi: the tray window's user interface. Once attached to the tray window it is the
// window's IMessageTarget (through the subclass of modCBSubclass) and owns its popup menu;
// it answers the tray icon's right-button release by showing the menu and carries out the
// chosen command: the application window in one of its modes, Disable, Enable or Exit.
#pragma once
#include <windows.h>

#include "TrayMenu.h"
#include "modCBSubclass.h"
#include "monitor/frmDialOsprey.h"

namespace tw::tray {

class TrayUi final : public ITrayWindowUi, public IMessageTarget {
public:
    TrayUi();

    // ITrayWindowUi: the end of the tray window's load (HookWindow, then DimMenu(false)) and
    // its unload (the menu released, then UnhookWindow); and the tray icon's notifications.
    void Attach(frmDialOsprey& window) override;
    void Detach(frmDialOsprey& window) override;
    void TrayMouse(frmDialOsprey& window, UINT mouseMessage) override;

    // IMessageTarget, the tray window's IMessageTarget_Message: menu draw and measure
    // requests (wParam 0) and menu commands (notification code 0, no control) are handled
    // here, then every message goes on unchanged to the window's own procedure.
    LRESULT Message(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

    // Carries out a menu command on `window` (0 or an unknown id: nothing).
    void RunCommand(frmDialOsprey& window, int commandId);
    // Monitoring off: timer stopped, one tick, the menu offers "Enable", then the running
    // applications are killed (or the application window asks first).
    void Disable(frmDialOsprey& window);
    // Monitoring on: timer started, one tick, the menu offers "Disable", then, when some
    // application does not run and a connection exists, they are launched (or asked about).
    void Enable(frmDialOsprey& window);

    TrayMenu& Menu() { return m_menu; }
    // The tray window it is attached to (null before Attach and after Detach).
    frmDialOsprey* Window() const { return m_window; }

private:
    TrayMenu m_menu;
    frmDialOsprey* m_window = nullptr;
};

// The program's one tray user interface.
TrayUi& TrayUserInterface();
// Installs the tray user interface and the application window frmOsprey into the tray
// window's seams; done once at program start, before the tray window loads.
void InstallTrayUserInterface();

}  // namespace tw::tray
