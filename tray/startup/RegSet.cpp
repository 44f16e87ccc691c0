// RegSet: the options, read and written through the installed settings store.
#include "RegSet.h"

#include <algorithm>

#include "Settings.h"

namespace tw::tray {

bool SmallIcons = false;
bool EnableState = false;
bool AskFirst = false;
int StartDelay = 0;
int CloseDelay = 0;
bool NeedInternet = false;
bool MeteredOffline = false;

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

// An empty text is no stored value here (DelayOf and the Boolean default both read it so).
std::string ReadText(const char* key) {
    return Settings().GetSetting(kSettingsApp, kSettingsSection, key, std::string());
}

// Writes an option that older stores do not have: only when it differs from its default or
// the store already has the key.
void WriteNewOption(const char* key, const std::string& value, bool isDefault) {
    if (isDefault && ReadText(key).empty()) return;
    Settings().SaveSetting(kSettingsApp, kSettingsSection, key, value);
}

}  // namespace

std::string BooleanText(bool value) { return value ? "True" : "False"; }

void LoadOptions() {
    SmallIcons = ReadOption("SmallIcons", false);
    EnableState = ReadOption("EnableState", false);
    AskFirst = ReadOption("AskFirst", false);
    StartDelay = DelayOf(ReadText("StartDelay"));
    CloseDelay = DelayOf(ReadText("CloseDelay"));
    NeedInternet = ReadOption("NeedInternet", false);
    MeteredOffline = ReadOption("MeteredOffline", false);
}

void SaveOptions() {
    WriteOption("SmallIcons", SmallIcons);
    WriteOption("EnableState", EnableState);
    WriteOption("AskFirst", AskFirst);
    WriteNewOption("StartDelay", std::to_string(StartDelay), StartDelay == 0);
    WriteNewOption("CloseDelay", std::to_string(CloseDelay), CloseDelay == 0);
    WriteNewOption("NeedInternet", BooleanText(NeedInternet), !NeedInternet);
    WriteNewOption("MeteredOffline", BooleanText(MeteredOffline), !MeteredOffline);
}

int DelayOf(const std::string& text) {
    size_t first = text.find_first_not_of(" \t");
    size_t last = text.find_last_not_of(" \t");
    if (first == std::string::npos) return 0;
    long seconds = 0;
    for (size_t i = first; i <= last; ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') return 0;
        seconds = std::min<long>(seconds * 10 + (c - '0'), kMaxDelaySeconds);
    }
    return static_cast<int>(seconds);
}

bool LoadEnabledSetting() { return ReadOption("Enabled", true); }

void SaveEnabledSetting(bool enabled) { WriteOption("Enabled", enabled); }

}  // namespace tw::tray
