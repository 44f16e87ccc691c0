// Lookout's options: three flags and "Enabled" under OSPREY\Options, written as "True" and
// "False", read back with the text-to-Boolean rules, a value that is neither giving the
// key's default. Through a fake store and through the real per-user registry.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "Fakes.h"
#include "Settings.h"
#include "startup/RegSet.h"

namespace {

using tw::test::FakeSettingsStore;
using namespace tw::tray;

void SetFlags(bool smallIcons, bool enableState, bool askFirst) {
    SmallIcons = smallIcons;
    EnableState = enableState;
    AskFirst = askFirst;
}

// Records every call, in order, and answers reads from what was written.
class RecordingStore final : public tw::ISettingsStore {
public:
    RecordingStore() : m_previous(tw::SetSettingsStore(this)) {}
    ~RecordingStore() override { tw::SetSettingsStore(m_previous); }
    std::string GetSetting(const std::string& app, const std::string& section,
                           const std::string& key, const std::string& defaultValue) override {
        calls.push_back("get " + app + "\\" + section + "\\" + key + " default " + defaultValue);
        return defaultValue;
    }
    bool SaveSetting(const std::string& app, const std::string& section, const std::string& key,
                     const std::string& value) override {
        calls.push_back("save " + app + "\\" + section + "\\" + key + " = " + value);
        return true;
    }
    std::vector<std::string> calls;

private:
    tw::ISettingsStore* m_previous;
};

TEST(Options, LoadReadsTheThreeKeysInOrderWithTheDefaultFalseThenTheMonitorsOwn) {
    RecordingStore store;
    SetFlags(true, true, true);
    LoadOptions();
    EXPECT_EQ((std::vector<std::string>{"get OSPREY\\Options\\SmallIcons default False",
                                        "get OSPREY\\Options\\EnableState default False",
                                        "get OSPREY\\Options\\AskFirst default False",
                                        "get OSPREY\\Options\\StartDelay default ",
                                        "get OSPREY\\Options\\CloseDelay default ",
                                        "get OSPREY\\Options\\NeedInternet default False",
                                        "get OSPREY\\Options\\MeteredOffline default False"}),
              store.calls);
    EXPECT_FALSE(SmallIcons);
    EXPECT_FALSE(EnableState);
    EXPECT_FALSE(AskFirst);
}

TEST(Options, SaveWritesTheThreeFlagsInOrderAsTrueOrFalse) {
    RecordingStore store;
    SetFlags(true, false, true);
    SaveOptions();
    // The monitor's own options at their defaults, in a store without them: looked for, not
    // written.
    EXPECT_EQ((std::vector<std::string>{"save OSPREY\\Options\\SmallIcons = True",
                                        "save OSPREY\\Options\\EnableState = False",
                                        "save OSPREY\\Options\\AskFirst = True",
                                        "get OSPREY\\Options\\StartDelay default ",
                                        "get OSPREY\\Options\\CloseDelay default ",
                                        "get OSPREY\\Options\\NeedInternet default ",
                                        "get OSPREY\\Options\\MeteredOffline default "}),
              store.calls);
}

TEST(Options, TheMonitorsOwnAreWrittenWhenSetAndWhenTheStoreHasThem) {
    FakeSettingsStore store;
    SetFlags(false, false, false);
    StartDelay = 30;
    CloseDelay = 0;
    NeedInternet = true;
    MeteredOffline = false;
    SaveOptions();
    EXPECT_EQ(std::optional<std::string>("30"), store.Value("OSPREY", "Options", "StartDelay"));
    EXPECT_EQ(std::optional<std::string>("True"), store.Value("OSPREY", "Options", "NeedInternet"));
    EXPECT_FALSE(store.Value("OSPREY", "Options", "CloseDelay"));
    EXPECT_FALSE(store.Value("OSPREY", "Options", "MeteredOffline"));
    StartDelay = CloseDelay = 0;
    NeedInternet = MeteredOffline = true;
    LoadOptions();
    EXPECT_EQ(30, StartDelay);
    EXPECT_EQ(0, CloseDelay);
    EXPECT_TRUE(NeedInternet);
    EXPECT_FALSE(MeteredOffline);
    // Set back to the defaults: the stored keys follow, so the next run reads them so.
    StartDelay = 0;
    NeedInternet = false;
    SaveOptions();
    EXPECT_EQ(std::optional<std::string>("0"), store.Value("OSPREY", "Options", "StartDelay"));
    EXPECT_EQ(std::optional<std::string>("False"), store.Value("OSPREY", "Options", "NeedInternet"));
    StartDelay = 9;
    NeedInternet = true;
    LoadOptions();
    EXPECT_EQ(0, StartDelay);
    EXPECT_FALSE(NeedInternet);
}

TEST(Options, ADelayIsWholeSecondsFromZeroTo3600) {
    const struct {
        const char* text;
        int seconds;
    } cases[] = {{"", 0},       {"0", 0},        {"5", 5},       {" 12 ", 12},     {"3600", 3600},
                 {"3601", 3600}, {"99999999999999", 3600}, {"-5", 0}, {"abc", 0},  {"12abc", 0},
                 {"1.5", 0},     {"0x10", 0},     {"+7", 0},      {"007", 7}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(c.seconds, DelayOf(c.text));
    }
}

TEST(Options, EveryCombinationRoundTrips) {
    FakeSettingsStore store;
    for (int bits = 0; bits < 8; ++bits) {
        SCOPED_TRACE(bits);
        SetFlags(bits & 1, bits & 2, bits & 4);
        SaveOptions();
        SetFlags(!(bits & 1), !(bits & 2), !(bits & 4));
        LoadOptions();
        EXPECT_EQ(bool(bits & 1), SmallIcons);
        EXPECT_EQ(bool(bits & 2), EnableState);
        EXPECT_EQ(bool(bits & 4), AskFirst);
    }
}

TEST(Options, SaveDoesNotTouchEnabled) {
    FakeSettingsStore store;
    store.Set("OSPREY", "Options", "Enabled", "False");
    SetFlags(true, true, true);
    SaveOptions();
    LoadOptions();
    EXPECT_EQ("False", store.Value("OSPREY", "Options", "Enabled").value_or("(none)"));
    EXPECT_EQ(3, store.saves);
}

struct ConversionCase {
    const char* stored;
    bool whenDefaultFalse;  // what a flag reads (default False)
    bool whenDefaultTrue;   // what "Enabled" reads (default True)
};

const ConversionCase kConversions[] = {
    {"True", true, true},     {"true", true, true},       {"TRUE", true, true},
    {"tRuE", true, true},     {"False", false, false},    {"false", false, false},
    {"FALSE", false, false},  {"1", true, true},          {"0", false, false},
    {"-1", true, true},       {"2", true, true},          {"00", false, false},
    {" 1 ", true, true},      {"0.0", false, false},      {"0.5", true, true},
    {"1e3", true, true},      {"-0", false, false},
    // Neither Boolean nor number: the key's default.
    {"yes", false, true},     {"no", false, true},        {"", false, true},
    {"Truth", false, true},   {"T", false, true},         {"1x", false, true},
    {"True ", false, true},   {"on", false, true},
};

TEST(Options, StoredTextsConvertByTheBooleanRules) {
    FakeSettingsStore store;
    for (const ConversionCase& c : kConversions) {
        SCOPED_TRACE(std::string("stored \"") + c.stored + "\"");
        for (const char* key : {"SmallIcons", "EnableState", "AskFirst"})
            store.Set("OSPREY", "Options", key, c.stored);
        store.Set("OSPREY", "Options", "Enabled", c.stored);
        SetFlags(!c.whenDefaultFalse, !c.whenDefaultFalse, !c.whenDefaultFalse);
        LoadOptions();
        EXPECT_EQ(c.whenDefaultFalse, SmallIcons);
        EXPECT_EQ(c.whenDefaultFalse, EnableState);
        EXPECT_EQ(c.whenDefaultFalse, AskFirst);
        EXPECT_EQ(c.whenDefaultTrue, LoadEnabledSetting());
    }
}

TEST(Options, EachKeyIsReadOnItsOwn) {
    FakeSettingsStore store;
    store.Set("OSPREY", "Options", "EnableState", "True");
    SetFlags(true, false, true);
    LoadOptions();
    EXPECT_FALSE(SmallIcons);
    EXPECT_TRUE(EnableState);
    EXPECT_FALSE(AskFirst);
}

TEST(Options, EnabledDefaultsToTrueAndRoundTrips) {
    FakeSettingsStore store;
    EXPECT_TRUE(LoadEnabledSetting());
    SaveEnabledSetting(false);
    EXPECT_EQ("False", store.Value("OSPREY", "Options", "Enabled").value_or("(none)"));
    EXPECT_FALSE(LoadEnabledSetting());
    SaveEnabledSetting(true);
    EXPECT_EQ("True", store.Value("OSPREY", "Options", "Enabled").value_or("(none)"));
    EXPECT_TRUE(LoadEnabledSetting());
}

TEST(Options, AFailedSaveLeavesTheFlagsAsTheyAre) {
    FakeSettingsStore store;
    store.failSaves = true;
    SetFlags(true, false, true);
    SaveOptions();
    EXPECT_EQ(3, store.saves);
    EXPECT_TRUE(SmallIcons);
    EXPECT_FALSE(EnableState);
    EXPECT_TRUE(AskFirst);
    LoadOptions();  // nothing was stored: the defaults come back
    EXPECT_FALSE(SmallIcons);
    EXPECT_FALSE(AskFirst);
}

// The real store: HKEY_CURRENT_USER\Software\OSPREY\Options in the test's own prefix.
class RegistryOptions : public testing::Test {
protected:
    void SetUp() override {
        RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\OSPREY\\Options");
        RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\OSPREY");
    }
    void TearDown() override { SetUp(); }

    static bool KeyExists() {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\OSPREY\\Options", 0, KEY_READ, &key) !=
            ERROR_SUCCESS)
            return false;
        RegCloseKey(key);
        return true;
    }
    // The value as stored: its type and text; type 0 when absent.
    static std::string Stored(const char* name, DWORD* type = nullptr) {
        if (type) *type = 0;
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\OSPREY\\Options", 0, KEY_READ, &key) !=
            ERROR_SUCCESS)
            return "(none)";
        char data[64] = {};
        DWORD size = sizeof(data) - 1;
        DWORD valueType = 0;
        LONG result = RegQueryValueExA(key, name, nullptr, &valueType,
                                       reinterpret_cast<BYTE*>(data), &size);
        RegCloseKey(key);
        if (result != ERROR_SUCCESS) return "(none)";
        if (type) *type = valueType;
        return std::string(data);
    }
    // Writes a value by hand, as a user with regedit would.
    static void WriteByHand(const char* name, const std::string& text) {
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\OSPREY\\Options", 0,
                                                 nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr));
        RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>(text.size() + 1));
        RegCloseKey(key);
    }
};

TEST_F(RegistryOptions, NothingStoredGivesFalseFlagsAndEnabledAndCreatesNothing) {
    SetFlags(true, true, true);
    LoadOptions();
    EXPECT_FALSE(SmallIcons);
    EXPECT_FALSE(EnableState);
    EXPECT_FALSE(AskFirst);
    EXPECT_TRUE(LoadEnabledSetting());
    EXPECT_FALSE(KeyExists()) << "reading must not create the key";
}

TEST_F(RegistryOptions, SaveStoresTextValuesUnderTheUsersKey) {
    SetFlags(true, false, true);
    SaveOptions();
    SaveEnabledSetting(false);
    DWORD type = 0;
    EXPECT_EQ("True", Stored("SmallIcons", &type));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    EXPECT_EQ("False", Stored("EnableState"));
    EXPECT_EQ("True", Stored("AskFirst"));
    EXPECT_EQ("False", Stored("Enabled"));

    SetFlags(false, true, false);
    LoadOptions();
    EXPECT_TRUE(SmallIcons);
    EXPECT_FALSE(EnableState);
    EXPECT_TRUE(AskFirst);
    EXPECT_FALSE(LoadEnabledSetting());
}

TEST_F(RegistryOptions, ValuesWrittenByHand) {
    WriteByHand("SmallIcons", "1");
    WriteByHand("EnableState", "0");
    WriteByHand("AskFirst", "yes");
    WriteByHand("Enabled", "yes");
    SetFlags(false, true, true);
    LoadOptions();
    EXPECT_TRUE(SmallIcons);
    EXPECT_FALSE(EnableState);
    EXPECT_FALSE(AskFirst) << "\"yes\" is neither Boolean nor number: the default False";
    EXPECT_TRUE(LoadEnabledSetting()) << "\"yes\": the default True";

    WriteByHand("SmallIcons", "0");
    WriteByHand("EnableState", "TRUE");
    WriteByHand("AskFirst", "1");
    WriteByHand("Enabled", "0");
    LoadOptions();
    EXPECT_FALSE(SmallIcons);
    EXPECT_TRUE(EnableState);
    EXPECT_TRUE(AskFirst);
    EXPECT_FALSE(LoadEnabledSetting());
}

}  // namespace
