// The per-user settings store (text values by application, section and key) behind a
// seam, and the text-to-Boolean conversion the stored options are read back with.
#pragma once
#include <string>

namespace tw {

class ISettingsStore {
public:
    virtual ~ISettingsStore() = default;
    // The stored text, or `defaultValue` when the key is missing or cannot be read.
    virtual std::string GetSetting(const std::string& app, const std::string& section,
                                   const std::string& key, const std::string& defaultValue) = 0;
    // Stores `value`; false when it could not be written.
    virtual bool SaveSetting(const std::string& app, const std::string& section,
                             const std::string& key, const std::string& value) = 0;
};

// The installed store: by default text values (REG_SZ) under
// HKEY_CURRENT_USER\Software\<app>\<section>.
ISettingsStore& Settings();
// Installs a store (nullptr restores the registry one) and returns the previous one.
ISettingsStore* SetSettingsStore(ISettingsStore* store);

// "True" and "False" in any letter case, or a number (zero is false, any other number
// true; blanks around it, a sign, decimals and an exponent allowed). Anything else gives
// `fallback`.
bool TextToBoolean(const std::string& text, bool fallback);

}  // namespace tw
