// The installed application window and the three calls the tray window makes on it.
#include "AppWindow.h"

#include "modGeneral.h"

namespace tw::tray {
namespace {

IAppWindow* g_appWindow = nullptr;

}  // namespace

IAppWindow* SetAppWindow(IAppWindow* window) {
    IAppWindow* previous = g_appWindow;
    g_appWindow = window;
    return previous;
}

void OpenAppWindow(const std::string& mode, bool autoPrompt) {
    if (IsAppWindowOpen()) return;
    AppWindowMode = mode;
    AutoPrompt = autoPrompt;
    if (g_appWindow)
        g_appWindow->ShowModal();
    else
        AutoPrompt = false;
}

void UnloadAppWindow() {
    if (g_appWindow) g_appWindow->Unload();
}

bool IsAppWindowOpen() { return g_appWindow && g_appWindow->IsOpen(); }

}  // namespace tw::tray
