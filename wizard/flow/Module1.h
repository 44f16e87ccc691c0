// Module1: Marshal's entry. Finds the Start menu's Programs and StartUp folders through the
// shell, shows the wizard window modally and returns when it has closed; the program then ends.
// Owns the two folder paths and the program's references to the wizard window.
#pragma once
#include <string>

#include "Form.h"

namespace tw {
class frmRegRun;
}  // namespace tw

namespace tw::Module1 {

// The Online StartUp folder: the Start menu's Programs folder followed by "Online Startup\"
// (it may not exist yet). Set once by Main.
extern std::string OnlineStartupPath;
// The per-user StartUp folder of the Start menu, ending in "\". Set once by Main.
extern std::string StartupPath;

// The shell's folder for `csidl` (CSIDL_PROGRAMS, CSIDL_STARTUP, ...) followed by "\", or
// "" when the shell has no such folder or no file-system path for it.
std::string GetSpecialFolder(int csidl);

// OnlineStartupPath and StartupPath as the shell names them. With a folder the shell cannot
// find, the paths fall back to the root of the current drive ("\Online Startup\" and "\").
void FindFolders();

// The program's one wizard window; a fresh instance after it has unloaded.
FormSlot<frmRegRun>& WizardWindow();

// The program entry: FindFolders, then the wizard shown modally; returns once it has closed.
// Returns at once, showing nothing, while another copy of the wizard runs.
void Main();

}  // namespace tw::Module1
