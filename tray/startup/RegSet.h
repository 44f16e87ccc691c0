// RegSet: Lookout's persisted options. Owns the three program-wide option flags and their
// place in the per-user settings store (application "OSPREY", section "Options"), stored as
// the texts "True" and "False".
#pragma once
#include <string>

namespace tw::tray {

// Program-wide option flags; all false until LoadOptions runs.
extern bool SmallIcons;   // the tray menu uses 16-pixel icons instead of 32-pixel ones
extern bool EnableState;  // the monitor's enabled state is kept from one run to the next
extern bool AskFirst;     // the application window asks before apps are launched or killed

// Where the options live in the settings store.
extern const char* const kSettingsApp;      // "OSPREY"
extern const char* const kSettingsSection;  // "Options"

// Reads "SmallIcons", "EnableState" and "AskFirst", in that order, each with the default
// False. A value that is neither "True"/"False" (any case) nor a number gives that default.
void LoadOptions();
// Writes the three flags, in the same order, as "True" or "False".
void SaveOptions();

// The stored "Enabled" value (whether the monitor was on when the program last closed);
// True when absent or unreadable. Read and written only by the tray window, and only while
// EnableState is on.
bool LoadEnabledSetting();
void SaveEnabledSetting(bool enabled);

// "True" or "False".
std::string BooleanText(bool value);

}  // namespace tw::tray
