// Lookout.exe: the tray monitor's process entry. Sets up COM and the common controls, runs
// Main, then the message loop for as long as a window is loaded.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include "Form.h"
#include "monitor/frmDialOsprey.h"
#include "startup/Main.h"
#include "ui/TrayUi.h"
#include "Prompt.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    tw::SetAppTitle("Tetherwatch");
    // OLE, not just COM: the picture objects and the shell link object need it.
    OleInitialize(nullptr);
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    tw::tray::SetTrayWindowLoader(&tw::tray::LoadTrayWindow);
    // The tray menu, the mouse handling and the application window.
    tw::tray::InstallTrayUserInterface();
    tw::tray::Main();
    tw::RunMessageLoop();
    OleUninitialize();
    return 0;
}
