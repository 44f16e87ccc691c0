// The registry settings store and TextToBoolean.
#include "Settings.h"

#include <windows.h>

#include "Handles.h"
#include "System.h"

namespace tw {
namespace {

std::string KeyPath(const std::string& app, const std::string& section) {
    return "Software\\" + app + "\\" + section;
}

class RegistrySettingsStore final : public ISettingsStore {
public:
    std::string GetSetting(const std::string& app, const std::string& section,
                           const std::string& key, const std::string& defaultValue) override {
        HKEY opened = nullptr;
        if (sys::RegOpen(HKEY_CURRENT_USER, KeyPath(app, section), KEY_QUERY_VALUE, opened) != ERROR_SUCCESS)
            return defaultValue;
        UniqueKey handle(opened);
        sys::RegValue value;
        if (sys::RegQuery(handle.Get(), key, value) != ERROR_SUCCESS ||
            (value.type != REG_SZ && value.type != REG_EXPAND_SZ))
            return defaultValue;
        // A value stored without its terminating NUL still reads whole.
        return sys::RegText(value);
    }

    bool SaveSetting(const std::string& app, const std::string& section, const std::string& key,
                     const std::string& value) override {
        HKEY created = nullptr;
        if (sys::RegCreate(HKEY_CURRENT_USER, KeyPath(app, section), KEY_SET_VALUE, created) != ERROR_SUCCESS)
            return false;
        UniqueKey handle(created);
        return sys::RegSetText(handle.Get(), key, value) == ERROR_SUCCESS;
    }
};

RegistrySettingsStore g_registryStore;
ISettingsStore* g_store = &g_registryStore;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// ASCII only: lstrcmpiA follows the user's locale, where "TRUE" and "true" may differ
// (the dotted and dotless i).
bool EqualsIgnoringCase(const std::string& text, const char* word) {
    size_t i = 0;
    for (; i < text.size() && word[i]; ++i) {
        char a = text[i], b = word[i];
        if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
        if (b >= 'A' && b <= 'Z') b = static_cast<char>(b - 'A' + 'a');
        if (a != b) return false;
    }
    return i == text.size() && word[i] == '\0';
}

// Parses [blanks][sign]digits[.digits][e[sign]digits][blanks]; sets `nonZero` from the
// mantissa digits (an exponent cannot make a zero non-zero or the reverse).
bool ParseNumber(const std::string& text, bool& nonZero) {
    size_t i = 0;
    const size_t n = text.size();
    while (i < n && IsBlank(text[i])) ++i;
    if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
    size_t digits = 0;
    nonZero = false;
    for (; i < n && IsDigit(text[i]); ++i, ++digits) nonZero = nonZero || text[i] != '0';
    if (i < n && text[i] == '.') {
        for (++i; i < n && IsDigit(text[i]); ++i, ++digits) nonZero = nonZero || text[i] != '0';
    }
    if (digits == 0) return false;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
        size_t exponentDigits = 0;
        for (; i < n && IsDigit(text[i]); ++i) ++exponentDigits;
        if (exponentDigits == 0) return false;
    }
    while (i < n && IsBlank(text[i])) ++i;
    return i == n;
}

}  // namespace

ISettingsStore& Settings() { return *g_store; }

ISettingsStore* SetSettingsStore(ISettingsStore* store) {
    ISettingsStore* previous = g_store;
    g_store = store ? store : &g_registryStore;
    return previous;
}

bool TextToBoolean(const std::string& text, bool fallback) {
    if (EqualsIgnoringCase(text, "True")) return true;
    if (EqualsIgnoringCase(text, "False")) return false;
    bool nonZero = false;
    if (ParseNumber(text, nonZero)) return nonZero;
    return fallback;
}

}  // namespace tw
