// Lookout's entry: a second copy ends silently; an Online StartUp folder without shortcuts
// ends the program after the warning, reading and writing no option; otherwise the tray
// window is loaded, once, after the application list is filled.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "Fakes.h"
#include "HelperProcess.h"
#include "ShellLinkHelper.h"
#include "apps/Apps.h"
#include "startup/Main.h"
#include "startup/RegSet.h"

namespace {

using tw::test::FakePrompter;
using tw::test::FakeSettingsStore;
using namespace tw::tray;

constexpr DWORD kHelperTimeout = 30000;

int g_loads = 0;
size_t g_appsAtLoad = 0;
void CountingLoader() {
    ++g_loads;
    g_appsAtLoad = Apps.size();
}

// hold_mutex (tests/helpers) holding a mutex from construction until destruction, as a copy
// of the program already running would.
class OtherCopy {
public:
    explicit OtherCopy(const std::string& name)
        : m_ready(CreateEventA(nullptr, TRUE, FALSE, (name + "-ready").c_str())),
          m_quit(CreateEventA(nullptr, TRUE, FALSE, (name + "-quit").c_str())) {
        std::string commandLine = "\"" + tw::test::TestBinFolder() + "hold_mutex.exe\" " + name +
                                  " " + name + "-ready " + name + "-quit";
        STARTUPINFOA startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION info = {};
        if (CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                           &startup, &info)) {
            CloseHandle(info.hThread);
            m_process = info.hProcess;
        }
    }
    OtherCopy(const OtherCopy&) = delete;
    OtherCopy& operator=(const OtherCopy&) = delete;
    ~OtherCopy() {
        SetEvent(m_quit);
        if (m_process) {
            WaitForSingleObject(m_process, kHelperTimeout);
            CloseHandle(m_process);
        }
        CloseHandle(m_ready);
        CloseHandle(m_quit);
    }
    bool Holding() const {
        return m_process && WaitForSingleObject(m_ready, kHelperTimeout) == WAIT_OBJECT_0;
    }

private:
    HANDLE m_ready;
    HANDLE m_quit;
    HANDLE m_process = nullptr;
};

class Startup : public testing::Test {
protected:
    void SetUp() override {
        Apps.clear();
        g_loads = 0;
        g_appsAtLoad = 0;
        tw::SetAppTitle("Tetherwatch");
        m_previousLoader = SetTrayWindowLoader(CountingLoader);
        m_folder = tw::test::NewTestFolder("startup");
        ASSERT_FALSE(m_folder.empty());
        SetOnlineStartupFolder(m_folder);
        SmallIcons = EnableState = AskFirst = false;
    }
    void TearDown() override {
        SetTrayWindowLoader(m_previousLoader);
        SetOnlineStartupFolder("");
        Apps.clear();
    }
    void AddShortcut(const std::string& name) {
        ASSERT_EQ(S_OK, tw::test::CreateShellLink(
                            m_folder + name, {"C:\\windows\\notepad.exe", "", "", "", 0,
                                              SW_SHOWNORMAL, ""}));
    }
    static std::string UniqueName(const std::string& what) {
        return "TwStartupTest-" + what + "-" + std::to_string(GetCurrentProcessId());
    }

    std::string m_folder;
    TrayWindowLoader m_previousLoader = nullptr;
};

TEST_F(Startup, AFolderWithoutShortcutsWarnsAndEndsWithoutTouchingTheOptions) {
    FakeSettingsStore store;
    FakePrompter prompter;
    ASSERT_TRUE(tw::test::WriteTextFile(m_folder + "readme.txt", "not a shortcut"));
    MainWithInstanceName(UniqueName("empty"));
    ASSERT_EQ(1u, prompter.shown.size());
    EXPECT_EQ(std::string(kNoShortcutsMessage), prompter.shown[0].text);
    EXPECT_EQ(48u, prompter.shown[0].flags);
    EXPECT_EQ("Tetherwatch", prompter.shown[0].title);
    EXPECT_EQ(0, g_loads) << "no tray window";
    EXPECT_EQ(0, store.reads);
    EXPECT_EQ(0, store.saves);
}

TEST_F(Startup, ShortcutsLoadTheTrayWindowOnceAfterTheListIsFilled) {
    FakeSettingsStore store;
    FakePrompter prompter;
    AddShortcut("One.lnk");
    AddShortcut("Two.lnk");
    MainWithInstanceName(UniqueName("apps"));
    EXPECT_TRUE(prompter.shown.empty());
    EXPECT_EQ(1, g_loads);
    EXPECT_EQ(2u, g_appsAtLoad);
    EXPECT_EQ(2u, Apps.size());
    EXPECT_EQ(0, store.reads) << "the options are the tray window's to read";
    EXPECT_EQ(0, store.saves);
}

TEST_F(Startup, ASecondCopyEndsSilently) {
    const std::string name = UniqueName("second");
    OtherCopy other(name);
    ASSERT_TRUE(other.Holding());
    FakeSettingsStore store;
    FakePrompter prompter;
    // Whatever the folder holds, nothing is read, shown or loaded.
    MainWithInstanceName(name);
    AddShortcut("One.lnk");
    MainWithInstanceName(name);
    EXPECT_TRUE(prompter.shown.empty());
    EXPECT_EQ(0, g_loads);
    EXPECT_TRUE(Apps.empty());
    EXPECT_EQ(0, store.reads + store.saves);
}

TEST_F(Startup, MainTestsTheProgramsOwnInstanceName) {
    EXPECT_EQ(std::string::npos, std::string(kInstanceName).find('\\'))
        << "Windows 95/98/Me reject a backslash in a mutex name";
    OtherCopy other(kInstanceName);
    ASSERT_TRUE(other.Holding());
    FakePrompter prompter;
    AddShortcut("One.lnk");
    Main();
    EXPECT_TRUE(prompter.shown.empty());
    EXPECT_EQ(0, g_loads);
    EXPECT_TRUE(Apps.empty());
}

TEST_F(Startup, WithoutATrayWindowLoaderTheEntryJustReturns) {
    SetTrayWindowLoader(nullptr);
    FakePrompter prompter;
    AddShortcut("One.lnk");
    MainWithInstanceName(UniqueName("noloader"));
    EXPECT_EQ(1u, Apps.size());
    EXPECT_EQ(0, g_loads);
}

}  // namespace
