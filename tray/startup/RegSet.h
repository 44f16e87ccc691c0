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

// The monitor's own options, all off (0, false) unless stored otherwise:
// how long, in whole seconds, the connection must have been up before the monitor acts on
// it (StartDelay) or down before it acts on that (CloseDelay), 0 to kMaxDelaySeconds;
extern int StartDelay;
extern int CloseDelay;
// a connection counts only with Internet access as the Network List Manager sees it
// (NeedInternet), and a metered one counts as none (MeteredOffline).
extern bool NeedInternet;
extern bool MeteredOffline;
constexpr int kMaxDelaySeconds = 3600;

// Where the options live in the settings store.
extern const char* const kSettingsApp;      // "OSPREY"
extern const char* const kSettingsSection;  // "Options"

// Reads "SmallIcons", "EnableState" and "AskFirst", in that order, each with the default
// False. A value that is neither "True"/"False" (any case) nor a number gives that default.
// Then "StartDelay", "CloseDelay" (DelayOf), "NeedInternet" and "MeteredOffline" (default
// False).
void LoadOptions();
// Writes the three flags, in the same order, as "True" or "False"; then the monitor's own
// options, each only when it is not at its default or the store already holds the key, so
// that a store that never had them gets none.
void SaveOptions();

// A stored delay: whole seconds as decimal digits, blanks around them allowed; more than
// kMaxDelaySeconds is kMaxDelaySeconds; absent, empty, negative or not a number is 0.
int DelayOf(const std::string& text);

// The stored "Enabled" value (whether the monitor was on when the program last closed);
// True when absent or unreadable. Read and written only by the tray window, and only while
// EnableState is on.
bool LoadEnabledSetting();
void SaveEnabledSetting(bool enabled);

// "True" or "False".
std::string BooleanText(bool value);

}  // namespace tw::tray
