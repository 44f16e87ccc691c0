// modGeneral's variables.
#include "modGeneral.h"

namespace tw::tray {

bool WasConnected = false;
NOTIFYICONDATAA TrayIconData = {};
bool AutoPrompt = false;
std::string AppWindowMode;

const char* const kLaunchAppsMode = "Launch Apps";
const char* const kKillAppsMode = "Kill Apps";
const char* const kOptionsMode = "Options";

}  // namespace tw::tray
