#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "Fakes.h"
#include "Settings.h"

namespace {

// Reads a value straight from HKEY_CURRENT_USER; false when it is not there.
bool ReadRegistry(const std::string& subkey, const std::string& name, DWORD& type,
                  std::string& data) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, subkey.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    char buffer[512] = {};
    DWORD size = sizeof(buffer) - 1;
    LONG result = RegQueryValueExA(key, name.c_str(), nullptr, &type,
                                   reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS) return false;
    data.assign(buffer, size);
    return true;
}

}  // namespace

TEST(RegistrySettings, WritesTextUnderTheApplicationAndSection) {
    tw::ISettingsStore& store = tw::Settings();
    ASSERT_TRUE(store.SaveSetting("TwSettingsTest", "Options", "SmallIcons", "True"));
    EXPECT_EQ("True", store.GetSetting("TwSettingsTest", "Options", "SmallIcons", "False"));

    DWORD type = 0;
    std::string data;
    ASSERT_TRUE(ReadRegistry("Software\\TwSettingsTest\\Options", "SmallIcons", type, data));
    EXPECT_EQ(DWORD(REG_SZ), type);
    EXPECT_EQ(std::string("True\0", 5), data);  // stored with its terminating NUL
}

TEST(RegistrySettings, MissingKeySectionOrApplicationGivesTheDefault) {
    tw::ISettingsStore& store = tw::Settings();
    ASSERT_TRUE(store.SaveSetting("TwSettingsDefaults", "Options", "AskFirst", "True"));
    EXPECT_EQ("dflt", store.GetSetting("TwSettingsDefaults", "Options", "Missing", "dflt"));
    EXPECT_EQ("dflt", store.GetSetting("TwSettingsDefaults", "Other", "AskFirst", "dflt"));
    EXPECT_EQ("dflt", store.GetSetting("TwNoSuchApplication", "Options", "AskFirst", "dflt"));
}

TEST(RegistrySettings, RewritesAndKeepsEmptyText) {
    tw::ISettingsStore& store = tw::Settings();
    ASSERT_TRUE(store.SaveSetting("TwSettingsRewrite", "Options", "Enabled", "True"));
    ASSERT_TRUE(store.SaveSetting("TwSettingsRewrite", "Options", "Enabled", "False"));
    EXPECT_EQ("False", store.GetSetting("TwSettingsRewrite", "Options", "Enabled", "True"));
    ASSERT_TRUE(store.SaveSetting("TwSettingsRewrite", "Options", "Note", ""));
    EXPECT_EQ("", store.GetSetting("TwSettingsRewrite", "Options", "Note", "dflt"));
    // Key names match in any letter case, as registry value names do.
    EXPECT_EQ("False", store.GetSetting("twsettingsrewrite", "OPTIONS", "enabled", "True"));
}

TEST(RegistrySettings, ValueThatIsNotTextGivesTheDefault) {
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\TwSettingsTypes\\Options",
                                             0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr));
    DWORD number = 1;
    RegSetValueExA(key, "Number", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                   sizeof(number));
    // Text stored without its terminating NUL still reads back whole.
    RegSetValueExA(key, "Unterminated", 0, REG_SZ, reinterpret_cast<const BYTE*>("Yes"), 3);
    RegCloseKey(key);
    EXPECT_EQ("dflt", tw::Settings().GetSetting("TwSettingsTypes", "Options", "Number", "dflt"));
    EXPECT_EQ("Yes", tw::Settings().GetSetting("TwSettingsTypes", "Options", "Unterminated", "d"));
}

TEST(SettingsStore, InstalledStoreReplacesTheRegistryUntilRemoved) {
    {
        tw::test::FakeSettingsStore fake;
        EXPECT_EQ(&fake, &tw::Settings());
        ASSERT_TRUE(tw::Settings().SaveSetting("TwSettingsSeam", "Options", "AskFirst", "True"));
        EXPECT_EQ("True", fake.Value("TwSettingsSeam", "Options", "AskFirst").value_or("none"));
        EXPECT_EQ("True", tw::Settings().GetSetting("twsettingsseam", "options", "askfirst", "x"));
        fake.failSaves = true;
        EXPECT_FALSE(tw::Settings().SaveSetting("TwSettingsSeam", "Options", "AskFirst", "False"));
        EXPECT_EQ("True", fake.Value("TwSettingsSeam", "Options", "AskFirst").value_or("none"));
        EXPECT_EQ(2, fake.saves);
    }
    // Nothing reached the registry while the fake was installed.
    DWORD type = 0;
    std::string data;
    EXPECT_FALSE(ReadRegistry("Software\\TwSettingsSeam\\Options", "AskFirst", type, data));
    EXPECT_EQ("none", tw::Settings().GetSetting("TwSettingsSeam", "Options", "AskFirst", "none"));
}

TEST(SettingsStore, SetReturnsThePreviousStoreAndNullRestoresTheRegistry) {
    tw::ISettingsStore* registry = &tw::Settings();
    tw::test::FakeSettingsStore fake;  // installs itself
    tw::test::FakeSettingsStore* none = nullptr;
    EXPECT_EQ(&fake, tw::SetSettingsStore(none));
    EXPECT_EQ(registry, &tw::Settings());
    EXPECT_EQ(registry, tw::SetSettingsStore(&fake));
}

TEST(TextToBoolean, ReadsWordsAndNumbersElseTheFallback) {
    struct Case {
        const char* text;
        bool fallback;
        bool expected;
    };
    const Case cases[] = {
        {"True", false, true},    {"FALSE", true, false},  {"tRuE", false, true},
        {"false", true, false},   {"1", false, true},      {"0", true, false},
        {"-1", false, true},      {" 2 ", false, true},    {"\t0\t", true, false},
        {"+3", false, true},      {"0.0", true, false},    {"0.5", false, true},
        {".5", false, true},      {"5.", false, true},     {"-0", true, false},
        {"1e3", false, true},     {"0E5", true, false},    {"yes", false, false},
        {"yes", true, true},      {"", false, false},      {"", true, true},
        {" True", false, false},  {"True ", true, true},   {"Truely", false, false},
        {"1 2", false, false},    {"1 2", true, true},     {"-", true, true},
        {".", false, false},      {"1e", true, true},      {"0x1", false, false},
        {"  ", true, true},       {"2abc", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("\"") + c.text + "\" fallback " + (c.fallback ? "true" : "false"));
        EXPECT_EQ(c.expected, tw::TextToBoolean(c.text, c.fallback));
    }
}
