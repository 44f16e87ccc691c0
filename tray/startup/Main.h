// Lookout's entry: the single-instance rule, the application list, then the tray window.
#pragma once
#include <string>

namespace tw::tray {

// The named mutex that marks a running copy of Lookout.
extern const char* const kInstanceName;

// Loads the hidden tray window frmDialOsprey (its load starts the monitor). Main calls it
// once, when the application list is not empty. None is installed at first: the program
// then ends when Main returns.
using TrayWindowLoader = void (*)();
TrayWindowLoader SetTrayWindowLoader(TrayWindowLoader loader);

// The program entry, in this order: a second copy returns at once (nothing shown, no option
// read); LoadStartUpApps, whose 0 ends the program after its warning without reading or
// writing any option; otherwise the tray window is loaded. The caller then runs the message
// loop until no window is left.
void Main();
// Main with the single-instance test made under `instanceName`. For tests.
void MainWithInstanceName(const std::string& instanceName);

}  // namespace tw::tray
