// Marshal.exe: the Online StartUp wizard's process entry. Sets up OLE and the common
// controls, then runs the wizard (Module1::Main), which returns once its window has closed.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include "Prompt.h"
#include "flow/Module1.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    tw::SetAppTitle("Online StartUp Wizard");
    // OLE, not just COM: the picture objects and the shell link object need it.
    OleInitialize(nullptr);
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    tw::Module1::Main();
    OleUninitialize();
    return 0;
}
