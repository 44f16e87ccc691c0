// The application window frmOsprey as the tray window opens and closes it. The window
// belongs to the tray user interface, which installs it here; until one is installed,
// opening it shows nothing and it never counts as open.
#pragma once
#include <string>

namespace tw::tray {

class IAppWindow {
public:
    virtual ~IAppWindow() = default;
    // Loads a fresh instance (it reads AppWindowMode and AutoPrompt) and shows it modally;
    // returns when it has closed. Timers go on firing meanwhile.
    virtual void ShowModal() = 0;
    // Unloads it if it is loaded, without running its OK or Cancel.
    virtual void Unload() = 0;
    // True while it is loaded (shown, or hidden during its own OK).
    virtual bool IsOpen() = 0;
};

// Installs the window (nullptr: none) and returns the previous one.
IAppWindow* SetAppWindow(IAppWindow* window);

// Opens the window modally in `mode` (AppWindowMode := mode, AutoPrompt := autoPrompt) and
// returns when it has closed. Does nothing while it is already open. With no window
// installed nothing opens and AutoPrompt is left false, as the window's unload would.
void OpenAppWindow(const std::string& mode, bool autoPrompt);
// Unloads the window if it is open.
void UnloadAppWindow();
bool IsAppWindowOpen();

}  // namespace tw::tray
