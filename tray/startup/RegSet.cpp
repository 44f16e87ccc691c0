// RegSet: the options, read and written through the installed settings store.
#include "RegSet.h"

#include "Settings.h"

namespace tw::tray {

bool SmallIcons = false;
bool EnableState = false;
bool AskFirst = false;

const char* const kSettingsApp = "OSPREY";
const char* const kSettingsSection = "Options";

namespace {

// A missing key gives the default as text, which converts back to the same Boolean; a
// stored text that is neither Boolean nor number gives the default too.
bool ReadOption(const char* key, bool defaultValue) {
    std::string text = Settings().GetSetting(kSettingsApp, kSettingsSection, key,
                                             BooleanText(defaultValue));
    return TextToBoolean(text, defaultValue);
}

void WriteOption(const char* key, bool value) {
    Settings().SaveSetting(kSettingsApp, kSettingsSection, key, BooleanText(value));
}

}  // namespace

std::string BooleanText(bool value) { return value ? "True" : "False"; }

void LoadOptions() {
    SmallIcons = ReadOption("SmallIcons", false);
    EnableState = ReadOption("EnableState", false);
    AskFirst = ReadOption("AskFirst", false);
}

void SaveOptions() {
    WriteOption("SmallIcons", SmallIcons);
    WriteOption("EnableState", EnableState);
    WriteOption("AskFirst", AskFirst);
}

bool LoadEnabledSetting() { return ReadOption("Enabled", true); }

void SaveEnabledSetting(bool enabled) { WriteOption("Enabled", enabled); }

}  // namespace tw::tray
