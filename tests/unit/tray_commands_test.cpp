// The tray icon's mouse handling and the menu commands, on the real tray window with every
// seam faked and the real menu tracked (a driver picks the item while it is shown): which
// mouse codes open the menu, the graying of Launch and Kill before every showing, the
// dispatch of every command, Disable and Enable with and without running applications,
// connection and AskFirst.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "MonitorFakes.h"
#include "TrayUiTestKit.h"
#include "monitor/modGeneral.h"
#include "resource.h"
#include "startup/RegSet.h"
#include "ui/TrayUi.h"

namespace {

using namespace tw::tray;
using tw::test::FakeAppWindow;
using tw::test::MenuDriver;

std::vector<UINT> Ids(HMENU menu) {
    std::vector<UINT> ids;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) ids.push_back(GetMenuItemID(menu, i));
    return ids;
}

bool Grayed(HMENU menu, UINT id) { return (GetMenuState(menu, id, MF_BYCOMMAND) & MF_GRAYED) != 0; }

int Posts(const tw::test::FakeProcesses& processes, UINT message) {
    int count = 0;
    for (const auto& posted : processes.posted)
        if (posted.message == message) ++count;
    return count;
}

class TrayCommandsTest : public ::testing::Test, public tw::test::TrayUiFixture {
protected:
    ~TrayCommandsTest() override {
        appWindow.onShowModal = nullptr;
        UnloadTray();
    }
    HMENU Menu() { return TrayUserInterface().Menu().hMenu; }
    // Right-clicks the icon; the driver picks `command` (0: dismisses the menu).
    void Choose(int command) {
        MenuDriver driver;
        driver.Choose(command);
        RightClick();
        menusSeen = driver.menusSeen;
    }

    FakeAppWindow appWindow;
    int menusSeen = 0;
};

// ---- The mouse ----

TEST_F(TrayCommandsTest, OnlyTheRightButtonReleaseOpensTheMenu) {
    List("Mail", false);
    LoadIdle(false);
    MenuDriver driver;
    driver.Choose(0);
    const UINT ignored[] = {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK,
                            WM_RBUTTONDOWN, WM_RBUTTONDBLCLK, WM_MBUTTONDOWN, WM_MBUTTONUP};
    for (UINT code : ignored) {
        SCOPED_TRACE(code);
        SendMessageA(Tray().Hwnd(), WM_MOUSEMOVE, 0, code);
        tw::DoEvents();
        EXPECT_EQ(0, driver.menusSeen);
    }
    SendMessageA(Tray().Hwnd(), WM_MOUSEMOVE, 0, WM_RBUTTONUP);
    EXPECT_EQ(1, driver.menusSeen);
    EXPECT_EQ(Tray().Hwnd(), driver.foregroundWhileOpen) << "a tray menu is tracked with its owner in front";
    EXPECT_TRUE(appWindow.openings.empty());
    EXPECT_TRUE(Tray().tmrCheckConnection.Enabled()) << "a dismissed menu does nothing";
    EXPECT_TRUE(trayIcon.calls.empty());
}

TEST_F(TrayCommandsTest, EscapeClosesTheMenuAndNothingHappens) {
    List("Mail", true);
    LoadIdle(false);
    MenuDriver driver;
    driver.PressKeys({VK_ESCAPE});
    RightClick();
    EXPECT_EQ(1, driver.menusSeen);
    EXPECT_EQ(0, TrayUserInterface().Menu().SelectedCommand);
    EXPECT_EQ(nullptr, MenuDriver::VisibleMenuWindow());
    EXPECT_TRUE(appWindow.openings.empty());
    EXPECT_TRUE(Tray().tmrCheckConnection.Enabled());
}

TEST_F(TrayCommandsTest, AClickElsewhereClosesTheMenuAndNothingHappens) {
    List("Mail", true);
    LoadIdle(false);
    MenuDriver driver;
    driver.LeaveOpen();
    driver.onMenu = [](HWND) {
        SetCursorPos(900, 700);
        INPUT click[2] = {};
        click[0].type = click[1].type = INPUT_MOUSE;
        click[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
        click[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
        SendInput(2, click, sizeof(INPUT));
    };
    SetCursorPos(300, 400);
    RightClick();
    EXPECT_EQ(1, driver.menusSeen);
    EXPECT_FALSE(driver.forcedClose) << "the click outside closed the menu";
    EXPECT_EQ(0, TrayUserInterface().Menu().SelectedCommand);
    EXPECT_TRUE(appWindow.openings.empty());
    EXPECT_TRUE(Tray().tmrCheckConnection.Enabled());
}

TEST_F(TrayCommandsTest, TheKeyboardChoosesAnItemThroughTheMenusOwnCommand) {
    List("Mail", false);
    LoadIdle(false);
    MenuDriver driver;
    // Down selects the first item ("Disable"), Return chooses it.
    driver.PressKeys({VK_DOWN, VK_RETURN});
    RightClick();
    EXPECT_EQ(1, driver.menusSeen);
    EXPECT_EQ(104, TrayUserInterface().Menu().SelectedCommand);
    EXPECT_FALSE(Tray().tmrCheckConnection.Enabled());
    EXPECT_EQ("Disabled", Tray().StatusText());
}

TEST_F(TrayCommandsTest, NoMenuWhileAModalWindowHasDisabledTheTrayWindow) {
    List("Mail", false);
    LoadIdle(false);
    MenuDriver driver;
    driver.Choose(103);
    EnableWindow(Tray().Hwnd(), FALSE);
    RightClick();
    EnableWindow(Tray().Hwnd(), TRUE);
    EXPECT_EQ(0, driver.menusSeen);
    EXPECT_TRUE(appWindow.openings.empty());
}

// ---- Graying before every showing ----

struct GrayRow {
    const char* name;
    bool monitorOn;
    int running;  // 0 none, 1 some, 2 all of the two listed applications
    bool launchGrayed, killGrayed;
};

void PrintTo(const GrayRow& row, std::ostream* out) { *out << row.name; }

class Graying : public TrayCommandsTest, public ::testing::WithParamInterface<GrayRow> {};

TEST_P(Graying, LaunchAndKillFollowTheApplicationsAndTheMonitor) {
    const GrayRow& row = GetParam();
    List("Mail", row.running >= 1);
    List("News", row.running >= 2);
    LoadIdle(false);
    // The menu's state before this showing must not matter: start from the opposite.
    EnableMenuItem(Menu(), 102, MF_BYCOMMAND | (row.launchGrayed ? MF_ENABLED : MF_GRAYED));
    EnableMenuItem(Menu(), 101, MF_BYCOMMAND | (row.killGrayed ? MF_ENABLED : MF_GRAYED));
    Tray().tmrCheckConnection.SetEnabled(row.monitorOn);
    MenuDriver driver;
    bool launchGrayed = false, killGrayed = false;
    driver.onMenu = [&](HWND) {
        launchGrayed = Grayed(Menu(), 102);
        killGrayed = Grayed(Menu(), 101);
    };
    driver.Choose(0);
    RightClick();
    ASSERT_EQ(1, driver.menusSeen);
    EXPECT_EQ(row.launchGrayed, launchGrayed);
    EXPECT_EQ(row.killGrayed, killGrayed);
}

INSTANTIATE_TEST_SUITE_P(Table, Graying,
                         ::testing::Values(GrayRow{"off_none", false, 0, true, true},
                                           GrayRow{"off_some", false, 1, true, true},
                                           GrayRow{"off_all", false, 2, true, true},
                                           GrayRow{"on_none", true, 0, false, true},
                                           GrayRow{"on_some", true, 1, false, false},
                                           GrayRow{"on_all", true, 2, true, false}),
                         [](const ::testing::TestParamInfo<GrayRow>& row) { return std::string(row.param.name); });

// ---- The window commands and Exit ----

TEST_F(TrayCommandsTest, TheWindowCommandsOpenTheirModeWithNothingPreChecked) {
    struct Row {
        int command;
        const char* mode;
    };
    const Row rows[] = {{101, "Kill Apps"}, {102, "Launch Apps"}, {103, "Options"}};
    List("Mail", true);
    List("News", false);
    LoadIdle(false);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.mode);
        appWindow.openings.clear();
        AutoPrompt = true;  // whatever it was, a window command leaves it false
        Choose(row.command);
        ASSERT_EQ(1, menusSeen);
        ASSERT_EQ(1u, appWindow.openings.size());
        EXPECT_EQ(row.mode, appWindow.openings[0].mode);
        EXPECT_FALSE(appWindow.openings[0].autoPrompt);
        EXPECT_FALSE(AutoPrompt);
        EXPECT_TRUE(Tray().tmrCheckConnection.Enabled());
    }
    EXPECT_TRUE(processes.created.empty());
    EXPECT_TRUE(processes.posted.empty());
}

TEST_F(TrayCommandsTest, ADismissedMenuOrAnUnknownCommandDoesNothing) {
    List("Mail", true);
    LoadIdle(true);
    Online();
    for (int command : {0, 200, 999}) {
        SCOPED_TRACE(command);
        Choose(command);
        EXPECT_EQ(1, menusSeen);
    }
    EXPECT_TRUE(appWindow.openings.empty());
    EXPECT_TRUE(Tray().IsLoaded());
    EXPECT_TRUE(Tray().tmrCheckConnection.Enabled());
    EXPECT_TRUE(trayIcon.calls.empty()) << "not even a tick";
    EXPECT_EQ((std::vector<UINT>{104, 200, 102, 101, 200, 103, 200, 105}), Ids(Menu()));
}

TEST_F(TrayCommandsTest, ExitUnloadsTheTrayWindowWhichClosesTheApplicationsAndRemovesTheIcon) {
    size_t mail = List("Mail", true);
    List("News", false);
    LoadIdle(true);
    Online();
    HMENU menu = Menu();
    Choose(105);
    EXPECT_FALSE(Tray().IsLoaded());
    EXPECT_EQ(1, Posts(processes, WM_CLOSE));
    EXPECT_FALSE(Running(mail));
    ASSERT_FALSE(trayIcon.calls.empty());
    EXPECT_EQ(static_cast<DWORD>(NIM_DELETE), trayIcon.calls.back().message);
    EXPECT_FALSE(IsMenu(menu));
}

TEST_F(TrayCommandsTest, ExitWithAskFirstOpensTheKillWindowFirst) {
    List("Mail", true);
    SetOption("AskFirst", true);
    LoadIdle(true);
    int deletesWhenAsked = -1;
    appWindow.onShowModal = [&] { deletesWhenAsked = trayIcon.Count(NIM_DELETE); };
    Choose(105);
    ASSERT_EQ(1u, appWindow.openings.size());
    EXPECT_EQ("Kill Apps", appWindow.openings[0].mode);
    EXPECT_TRUE(appWindow.openings[0].autoPrompt);
    EXPECT_EQ(0, deletesWhenAsked) << "asked while the icon is still there";
    EXPECT_FALSE(Tray().IsLoaded());
}

// ---- Disable ----

struct SwitchRow {
    const char* name;
    int running;     // 0 none, 1 some, 2 all of the two listed applications
    bool askFirst;
    bool connected;  // at the time of the command
    enum Effect { None, Window, Batch } effect;
};

void PrintTo(const SwitchRow& row, std::ostream* out) { *out << row.name; }

class DisableCommand : public TrayCommandsTest, public ::testing::WithParamInterface<SwitchRow> {};

TEST_P(DisableCommand, StopsTheMonitorThenKillsOrAsks) {
    const SwitchRow& row = GetParam();
    size_t mail = List("Mail", row.running >= 1);
    size_t news = List("News", row.running >= 2);
    SetOption("AskFirst", row.askFirst);
    LoadIdle(row.connected);
    if (row.connected) Online();
    // What the tray shows when the window opens or the batch starts.
    std::string tipAtAction;
    appWindow.onShowModal = [&] {
        tipAtAction = trayIcon.shown.tip;
        // Opened from Disable: the menu already offers Enable.
        EXPECT_EQ(204u, GetMenuItemID(Menu(), 0));
    };
    clock.onBeep = [&] { tipAtAction = trayIcon.shown.tip; };

    Choose(104);

    EXPECT_FALSE(Tray().tmrCheckConnection.Enabled());
    EXPECT_EQ("Disabled", Tray().StatusText());
    EXPECT_EQ(IDI_TRAY_DISABLED, Tray().StateIconId());
    EXPECT_EQ("Disabled", trayIcon.shown.tip);
    EXPECT_EQ(0, probe.calls) << "a disabled monitor does not probe";
    EXPECT_EQ((std::vector<UINT>{204, 200, 102, 101, 200, 103, 200, 105}), Ids(Menu()));
    EXPECT_TRUE(processes.created.empty());
    switch (row.effect) {
    case SwitchRow::None:
        EXPECT_TRUE(appWindow.openings.empty());
        EXPECT_TRUE(processes.posted.empty());
        EXPECT_EQ(0, clock.beeps);
        break;
    case SwitchRow::Window:
        ASSERT_EQ(1u, appWindow.openings.size());
        EXPECT_EQ("Kill Apps", appWindow.openings[0].mode);
        EXPECT_TRUE(appWindow.openings[0].autoPrompt);
        EXPECT_FALSE(AutoPrompt);
        EXPECT_EQ("Disabled", tipAtAction) << "the tick ran first";
        EXPECT_TRUE(processes.posted.empty());
        break;
    case SwitchRow::Batch:
        EXPECT_TRUE(appWindow.openings.empty());
        EXPECT_EQ(row.running, Posts(processes, WM_CLOSE));
        EXPECT_FALSE(Running(mail));
        EXPECT_FALSE(Running(news));
        EXPECT_EQ("Disabled", tipAtAction);
        EXPECT_FALSE(Tray().tmrCheckConnection.Enabled()) << "the batch leaves the monitor off";
        break;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, DisableCommand,
    ::testing::Values(SwitchRow{"nothing_runs", 0, false, true, SwitchRow::None},
                      SwitchRow{"nothing_runs_askfirst", 0, true, true, SwitchRow::None},
                      SwitchRow{"some_run", 1, false, true, SwitchRow::Batch},
                      SwitchRow{"all_run_offline", 2, false, false, SwitchRow::Batch},
                      SwitchRow{"some_run_askfirst", 1, true, true, SwitchRow::Window},
                      SwitchRow{"all_run_askfirst_offline", 2, true, false, SwitchRow::Window}),
    [](const ::testing::TestParamInfo<SwitchRow>& row) { return std::string(row.param.name); });

// ---- Enable ----

class EnableCommand : public TrayCommandsTest, public ::testing::WithParamInterface<SwitchRow> {};

TEST_P(EnableCommand, StartsTheMonitorThenLaunchesOrAsksWhenConnected) {
    const SwitchRow& row = GetParam();
    size_t mail = List("Mail", row.running >= 1);
    size_t news = List("News", row.running >= 2);
    SetOption("AskFirst", row.askFirst);
    // Off since before the connection's present state: the tick sees no transition.
    LoadIdle(row.connected);
    if (row.connected) Online();
    Tray().tmrCheckConnection.SetEnabled(false);
    TrayUserInterface().Menu().ReplaceTopItem(104, 204);
    Tray().tmrCheckConnection_Timer();
    Forget();
    appWindow.onShowModal = [&] { EXPECT_EQ(104u, GetMenuItemID(Menu(), 0)); };

    Choose(204);

    EXPECT_TRUE(Tray().tmrCheckConnection.Enabled());
    EXPECT_NE("Disabled", Tray().StatusText()) << "the tick ran with the monitor on";
    EXPECT_NE(IDI_TRAY_DISABLED, Tray().StateIconId());
    EXPECT_EQ((std::vector<UINT>{104, 200, 102, 101, 200, 103, 200, 105}), Ids(Menu()));
    EXPECT_TRUE(processes.posted.empty());
    switch (row.effect) {
    case SwitchRow::None:
        EXPECT_TRUE(appWindow.openings.empty());
        EXPECT_TRUE(processes.created.empty());
        EXPECT_EQ(0, clock.beeps);
        break;
    case SwitchRow::Window:
        ASSERT_EQ(1u, appWindow.openings.size());
        EXPECT_EQ("Launch Apps", appWindow.openings[0].mode);
        EXPECT_TRUE(appWindow.openings[0].autoPrompt);
        EXPECT_TRUE(processes.created.empty());
        break;
    case SwitchRow::Batch: {
        EXPECT_TRUE(appWindow.openings.empty());
        std::vector<std::string> expected;
        if (row.running < 1) expected.push_back(Apps[mail].Path + " -q");
        expected.push_back(Apps[news].Path + " -q");
        std::vector<std::string> lines;
        for (const auto& created : processes.created) lines.push_back(created.commandLine);
        EXPECT_EQ(expected, lines);
        EXPECT_TRUE(Running(mail));
        EXPECT_TRUE(Running(news));
        EXPECT_TRUE(Tray().tmrCheckConnection.Enabled()) << "the batch puts the monitor back on";
        break;
    }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, EnableCommand,
    ::testing::Values(SwitchRow{"offline", 0, false, false, SwitchRow::None},
                      SwitchRow{"offline_askfirst", 1, true, false, SwitchRow::None},
                      SwitchRow{"online_all_run", 2, false, true, SwitchRow::None},
                      SwitchRow{"online_all_run_askfirst", 2, true, true, SwitchRow::None},
                      SwitchRow{"online_none_run", 0, false, true, SwitchRow::Batch},
                      SwitchRow{"online_some_run", 1, false, true, SwitchRow::Batch},
                      SwitchRow{"online_askfirst", 1, true, true, SwitchRow::Window}),
    [](const ::testing::TestParamInfo<SwitchRow>& row) { return std::string(row.param.name); });

TEST_F(TrayCommandsTest, EnableAfterTheConnectionCameUpOffersTheLaunchAgainAfterTheTick) {
    // The connection came up while the monitor was off: the Enable tick launches (and the
    // launch fails); the Enable command then tests again and launches a second time.
    size_t mail = List("Mail", false);
    LoadIdle(false);
    Tray().tmrCheckConnection.SetEnabled(false);
    TrayUserInterface().Menu().ReplaceTopItem(104, 204);
    Online();
    processes.createFails = true;
    Choose(204);
    EXPECT_TRUE(WasConnected);
    EXPECT_EQ(2u, processes.created.size());
    EXPECT_FALSE(Running(mail));
}

TEST_F(TrayCommandsTest, DisableThenEnableSwapsTheTopItemEachTime) {
    List("Mail", false);
    LoadIdle(false);
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        Choose(104);
        EXPECT_EQ(204u, GetMenuItemID(Menu(), 0));
        EXPECT_EQ(8, GetMenuItemCount(Menu()));
        Choose(204);
        EXPECT_EQ(104u, GetMenuItemID(Menu(), 0));
        EXPECT_EQ(8, GetMenuItemCount(Menu()));
    }
}

}  // namespace
