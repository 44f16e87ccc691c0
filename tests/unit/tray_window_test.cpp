// The tray window frmDialOsprey with every seam faked (probe, processes, tray, prompts, clock,
// application window, tray user interface): the tick's display and transition tables, nested
// ticks, the load and unload sequences, the status window and both batches. The window itself
// is real (a display is needed).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "Fakes.h"
#include "MonitorFakes.h"
#include "Resources.h"
#include "Shortcut.h"
#include "TrayFakes.h"
#include "Units.h"
#include "apps/Apps.h"
#include "apps/Close.h"
#include "monitor/AppWindow.h"
#include "monitor/Pause.h"
#include "monitor/frmDialOsprey.h"
#include "monitor/modGeneral.h"
#include "resource.h"
#include "startup/RegSet.h"

namespace {

using namespace tw::tray;
using tw::test::FakeAppWindow;
using tw::test::FakeConnectionProbe;
using tw::test::FakeProcess;
using tw::test::FakePrompter;
using tw::test::FakeProcesses;
using tw::test::FakeSettingsStore;
using tw::test::FakeTrayIcon;
using tw::test::FakeTrayUi;
using tw::test::SteppingClock;

constexpr DWORD kModem = 0x01;
constexpr DWORD kLan = 0x02;
constexpr DWORD kProxy = 0x04;
constexpr DWORD kModemBusy = 0x08;
// Real timer ticks never come during a test: ticks are run by hand.
constexpr unsigned kNeverMs = 3600000;

std::vector<std::string> CommandLines(const FakeProcesses& processes) {
    std::vector<std::string> lines;
    for (const auto& created : processes.created) lines.push_back(created.commandLine);
    return lines;
}

int Posts(const FakeProcesses& processes, UINT message) {
    int count = 0;
    for (const auto& posted : processes.posted)
        if (posted.message == message) ++count;
    return count;
}

class TrayWindowTest : public ::testing::Test {
protected:
    TrayWindowTest() {
        Apps.clear();
        WasConnected = false;
        AutoPrompt = false;
        AppWindowMode.clear();
        SmallIcons = EnableState = AskFirst = false;
        Offline();
    }
    ~TrayWindowTest() override {
        clock.onWait = nullptr;
        clock.onBeep = nullptr;
        appWindow.onShowModal = nullptr;
        processes.onWait = nullptr;
        processes.onCreate = nullptr;
        tray.onCall = nullptr;
        ui.onEvent = nullptr;
        if (form && form->IsLoaded()) form->Unload();
        form.reset();
        Apps.clear();
    }

    void Online(DWORD flags = kLan) {
        probe.result = true;
        probe.flags = flags;
    }
    void Offline() {
        probe.result = false;
        probe.flags = 0;
    }
    void SetOption(const char* key, bool value) {
        settings.Set(kSettingsApp, kSettingsSection, key, value ? "True" : "False");
    }

    // A listed application "C:\apps\<name>.exe"; when `running`, a process of that path runs
    // (with a window titled "<name> window") and the record holds its id. Gives the index.
    size_t List(const std::string& name, bool running) {
        AppInfo app;
        app.Icon = tw::IconToPicture(tw::LoadResIcon(IDI_DEFAULT_APP, 16));
        app.FileName = name + ".lnk";
        app.Path = "C:\\apps\\" + name + ".exe";
        app.Arguments = " ";
        if (running) app.ProcessID = processes.Add(app.Path, name + " window").id;
        Apps.push_back(app);
        return Apps.size() - 1;
    }
    bool Running(size_t index) {
        FakeProcess* process = processes.Find(Apps[index].ProcessID);
        return process && process->running;
    }

    void Load() {
        form = std::make_unique<frmDialOsprey>();
        form->tmrCheckConnection.SetInterval(kNeverMs);
        form->Load();
        ASSERT_TRUE(form->IsLoaded());
    }
    // Loads with the monitor stored as off, so the load launches nothing; then switches the
    // monitor on with WasConnected as given and forgets what the load did.
    void LoadIdle(bool wasConnected) {
        SetOption("EnableState", true);
        SetOption("Enabled", false);
        Load();
        form->tmrCheckConnection.SetEnabled(true);
        WasConnected = wasConnected;
        Forget();
    }
    void Forget() {
        tray.calls.clear();
        processes.created.clear();
        processes.posted.clear();
        processes.waits.clear();
        probe.calls = 0;
        clock.beeps = 0;
        clock.waits = 0;
        prompter.shown.clear();
        appWindow.openings.clear();
        appWindow.unloads = 0;
        appWindow.unloadCalls = 0;
        ui.log.clear();
    }
    void Tick() { form->tmrCheckConnection_Timer(); }
    // Lets the monitor's timer fire during every wait (ShowStatus's pause) and every open
    // application window, as it does for real.
    void TimerFiresDuringWaits() {
        clock.onWait = [this] {
            if (form->tmrCheckConnection.Enabled()) Tick();
        };
    }

    FakeSettingsStore settings;
    FakePrompter prompter;
    SteppingClock clock;
    FakeConnectionProbe probe;
    FakeProcesses processes;
    FakeTrayIcon tray;
    FakeAppWindow appWindow;
    FakeTrayUi ui;
    std::unique_ptr<frmDialOsprey> form;
};

// ---- The tick's display ----

struct DisplayRow {
    const char* name;
    bool monitorOn;
    bool connected;
    DWORD flags;
    bool appRunning;
    int icon;
    const char* tooltip;
};

void PrintTo(const DisplayRow& row, std::ostream* out) { *out << row.name; }

class TickDisplay : public TrayWindowTest, public ::testing::WithParamInterface<DisplayRow> {};

TEST_P(TickDisplay, ShowsTheStateOnIconTooltipAndLabel) {
    const DisplayRow& row = GetParam();
    SCOPED_TRACE(row.name);
    List("Mail", row.appRunning);
    List("News", false);
    processes.createFails = true;  // nothing gets started by a transition
    LoadIdle(row.connected);
    form->tmrCheckConnection.SetEnabled(row.monitorOn);
    if (row.connected)
        Online(row.flags);
    else
        Offline();

    Tick();

    EXPECT_EQ(row.icon, form->StateIconId());
    EXPECT_EQ(row.tooltip, form->StatusText());
    EXPECT_EQ(row.monitorOn ? std::string("Status: ") + row.tooltip : std::string(),
              form->lblStatus.Caption());
    // At most one modification, none when the tray already showed it (the load's tick
    // showed "Disabled").
    EXPECT_LE(tray.Count(NIM_MODIFY), 1);
    ASSERT_TRUE(tray.showing);
    const FakeTrayIcon::Call& call = tray.shown;
    EXPECT_EQ(row.tooltip, call.tip);
    EXPECT_NE(nullptr, call.data.hIcon);
    EXPECT_EQ(form->imgTrayIcon.GetPicture().Icon(), call.data.hIcon);
    // Off: not probed at all. On: exactly one probe, also for the text.
    EXPECT_EQ(row.monitorOn ? 1 : 0, probe.calls);
    EXPECT_TRUE(processes.created.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Table, TickDisplay,
    ::testing::Values(
        DisplayRow{"off", false, true, kLan, true, IDI_TRAY_DISABLED, "Disabled"},
        DisplayRow{"off_offline", false, false, 0, false, IDI_TRAY_DISABLED, "Disabled"},
        DisplayRow{"lan_apps", true, true, kLan, true, IDI_TRAY_CONNECTED_APPS,
                   "Connected: LAN, With Apps Running"},
        DisplayRow{"modem", true, true, kModem | kLan, false, IDI_TRAY_CONNECTED, "Connected: Modem"},
        DisplayRow{"proxy_apps", true, true, kProxy, true, IDI_TRAY_CONNECTED_APPS,
                   "Connected: Proxy Server, With Apps Running"},
        DisplayRow{"busy_apps", true, true, kModem | kModemBusy, true, IDI_TRAY_CONNECTED_APPS,
                   "Connected: Modem (Busy), With Apps Running"},
        DisplayRow{"offline_apps", true, false, 0, true, IDI_TRAY_NOT_CONNECTED_APPS,
                   "Not Connected, With Apps Running"},
        DisplayRow{"offline", true, false, 0, false, IDI_TRAY_NOT_CONNECTED, "Not Connected"}),
    [](const ::testing::TestParamInfo<DisplayRow>& row) { return std::string(row.param.name); });

TEST_F(TrayWindowTest, TheTooltipComesFromTheProbeTheTickActedOn) {
    List("Mail", false);
    LoadIdle(true);
    // Connected for the first probe, not for any later one.
    probe.Queue(true, kLan);
    probe.result = false;
    Tick();
    EXPECT_EQ(IDI_TRAY_CONNECTED, form->StateIconId());
    EXPECT_EQ("Connected: LAN", form->StatusText());
    EXPECT_EQ("Connected: LAN", tray.Last(NIM_MODIFY)->tip);
    EXPECT_EQ(1, probe.calls);
}

TEST_F(TrayWindowTest, AnApplicationStartedByHandCountsAsRunningAtTheNextTick) {
    size_t mail = List("Mail", false);
    LoadIdle(true);
    Online();
    Tick();
    EXPECT_EQ(IDI_TRAY_CONNECTED, form->StateIconId());
    const ProcessId id = processes.Add(Apps[mail].Path).id;
    Tick();
    EXPECT_EQ(id, Apps[mail].ProcessID);
    EXPECT_EQ("Connected: LAN, With Apps Running", form->StatusText());
    EXPECT_EQ(IDI_TRAY_CONNECTED_APPS, form->StateIconId());
}

// ---- The tick's transitions ----

enum class Effect { None, LaunchWindow, Launch, Status, KillWindow, Kill };

struct TransitionRow {
    const char* name;
    bool connected;      // seen by the tick
    bool wasConnected;
    int running;         // 0 none, 1 some, 2 every listed application
    bool askFirst;
    Effect effect;
};

void PrintTo(const TransitionRow& row, std::ostream* out) { *out << row.name; }

class TickTransition : public TrayWindowTest, public ::testing::WithParamInterface<TransitionRow> {};

TEST_P(TickTransition, ActsAsTheTableSays) {
    const TransitionRow& row = GetParam();
    SCOPED_TRACE(row.name);
    size_t mail = List("Mail", row.running >= 1);
    size_t news = List("News", row.running >= 2);
    SetOption("AskFirst", row.askFirst);
    LoadIdle(row.wasConnected);
    if (row.connected)
        Online();
    else
        Offline();
    // What WasConnected holds when the prompt, batch or flash begins.
    std::vector<bool> wasConnectedAtStart;
    clock.onBeep = [&] { wasConnectedAtStart.push_back(WasConnected); };
    appWindow.onShowModal = [&] { wasConnectedAtStart.push_back(WasConnected); };

    Tick();

    const bool acted = row.connected != row.wasConnected;
    EXPECT_EQ(acted ? row.connected : row.wasConnected, WasConnected);
    for (bool value : wasConnectedAtStart) EXPECT_EQ(row.connected, value);
    switch (row.effect) {
    case Effect::None:
        EXPECT_EQ(0, clock.beeps);
        EXPECT_TRUE(appWindow.openings.empty());
        EXPECT_TRUE(processes.created.empty());
        EXPECT_TRUE(processes.posted.empty());
        break;
    case Effect::LaunchWindow:
    case Effect::KillWindow:
        ASSERT_EQ(1u, appWindow.openings.size());
        EXPECT_EQ(row.effect == Effect::LaunchWindow ? "Launch Apps" : "Kill Apps",
                  appWindow.openings[0].mode);
        EXPECT_TRUE(appWindow.openings[0].autoPrompt);
        EXPECT_FALSE(AutoPrompt);  // cleared by the window's unload
        EXPECT_EQ(0, clock.beeps);
        EXPECT_TRUE(processes.created.empty());
        EXPECT_TRUE(processes.posted.empty());
        break;
    case Effect::Launch: {
        std::vector<std::string> expected;
        if (row.running < 1) expected.push_back(Apps[mail].Path + " ");
        expected.push_back(Apps[news].Path + " ");
        EXPECT_EQ(expected, CommandLines(processes));
        EXPECT_EQ(1, clock.beeps);
        EXPECT_EQ(0, clock.waits);
        EXPECT_TRUE(appWindow.openings.empty());
        EXPECT_TRUE(Running(mail));
        EXPECT_TRUE(Running(news));
        break;
    }
    case Effect::Kill:
        EXPECT_EQ(row.running, Posts(processes, WM_CLOSE));
        EXPECT_EQ(1, clock.beeps);
        EXPECT_TRUE(appWindow.openings.empty());
        EXPECT_EQ(0, Apps[mail].ProcessID);
        EXPECT_EQ(0, Apps[news].ProcessID);
        break;
    case Effect::Status:
        EXPECT_EQ(1, clock.beeps);
        EXPECT_GE(clock.waits, 1);
        EXPECT_TRUE(appWindow.openings.empty());
        EXPECT_TRUE(processes.created.empty());
        EXPECT_TRUE(processes.posted.empty());
        break;
    }
    EXPECT_FALSE(form->Visible());
    EXPECT_TRUE(form->tmrCheckConnection.Enabled());
}

INSTANTIATE_TEST_SUITE_P(
    Table, TickTransition,
    ::testing::Values(
        TransitionRow{"still_connected", true, true, 0, false, Effect::None},
        TransitionRow{"still_connected_ask", true, true, 1, true, Effect::None},
        TransitionRow{"still_offline", false, false, 1, false, Effect::None},
        TransitionRow{"still_offline_ask", false, false, 2, true, Effect::None},
        TransitionRow{"up_ask", true, false, 0, true, Effect::LaunchWindow},
        TransitionRow{"up_some_running_ask", true, false, 1, true, Effect::LaunchWindow},
        TransitionRow{"up_launch", true, false, 0, false, Effect::Launch},
        TransitionRow{"up_launch_rest", true, false, 1, false, Effect::Launch},
        TransitionRow{"up_all_running", true, false, 2, false, Effect::Status},
        TransitionRow{"up_all_running_ask", true, false, 2, true, Effect::Status},
        TransitionRow{"down_ask", false, true, 1, true, Effect::KillWindow},
        TransitionRow{"down_kill_some", false, true, 1, false, Effect::Kill},
        TransitionRow{"down_kill_all", false, true, 2, false, Effect::Kill},
        TransitionRow{"down_none_running", false, true, 0, false, Effect::Status},
        TransitionRow{"down_none_running_ask", false, true, 0, true, Effect::Status}),
    [](const ::testing::TestParamInfo<TransitionRow>& row) { return std::string(row.param.name); });

TEST_F(TrayWindowTest, WithTheMonitorOffATickOnlyShowsDisabled) {
    size_t mail = List("Mail", true);
    LoadIdle(true);
    form->tmrCheckConnection.SetEnabled(false);
    Offline();
    Tick();
    Tick();
    EXPECT_EQ("Disabled", form->StatusText());
    EXPECT_TRUE(WasConnected);
    EXPECT_EQ(0, probe.calls);
    EXPECT_EQ(0, clock.beeps);
    EXPECT_TRUE(processes.posted.empty());
    EXPECT_TRUE(Running(mail));

    // Switched on again, the tick answers the change that happened meanwhile.
    form->tmrCheckConnection.SetEnabled(true);
    Tick();
    EXPECT_FALSE(WasConnected);
    EXPECT_EQ(1, Posts(processes, WM_CLOSE));
    EXPECT_FALSE(Running(mail));
}

TEST_F(TrayWindowTest, AConnectionThatStaysUpLaunchesOnce) {
    size_t mail = List("Mail", false);
    LoadIdle(false);
    Online();
    Tick();
    ASSERT_EQ(1u, processes.created.size());
    // The user closes the application: it is not launched again while the line stays up.
    processes.End(Apps[mail].ProcessID);
    Tick();
    Tick();
    EXPECT_EQ(1u, processes.created.size());
    EXPECT_EQ(0, Apps[mail].ProcessID);
    // Down and up again: launched again.
    Offline();
    Tick();
    Online();
    Tick();
    EXPECT_EQ(2u, processes.created.size());
    EXPECT_TRUE(Running(mail));
}

TEST_F(TrayWindowTest, AFailedLaunchIsOfferedAgainOnlyAtTheNextTransition) {
    size_t mail = List("Mail", false);
    processes.createFails = true;
    LoadIdle(false);
    Online();
    Tick();
    Tick();
    EXPECT_EQ(1u, processes.created.size());
    EXPECT_EQ(0, Apps[mail].ProcessID);
    Offline();
    Tick();
    Online();
    Tick();
    EXPECT_EQ(2u, processes.created.size());
}

// ---- Nested ticks ----

TEST_F(TrayWindowTest, ATickInsideTheStatusFlashMakesNoSecondTransition) {
    List("Mail", true);
    LoadIdle(false);
    Online();
    TimerFiresDuringWaits();
    Tick();  // every application runs: the flash, with ticks firing inside its pause
    EXPECT_TRUE(WasConnected);
    EXPECT_EQ(1, clock.beeps);
    EXPECT_GE(probe.calls, 2);  // the nested ticks went on probing
    // ... and the tray was told once: the nested ticks saw what it already shows.
    EXPECT_EQ(1, tray.Count(NIM_MODIFY));
    EXPECT_FALSE(form->Visible());
}

TEST_F(TrayWindowTest, AConnectionLostDuringTheFlashIsAnsweredByTheNestedTick) {
    size_t mail = List("Mail", true);
    LoadIdle(false);
    Online();
    bool dropped = false;
    clock.onWait = [&] {
        if (dropped) return;
        dropped = true;
        EXPECT_TRUE(form->Visible());
        Offline();
        Tick();
    };
    Tick();
    // The nested tick killed the application (inside the outer flash, whose window was
    // already shown: the kill batch beeped, the nested flash path would not have).
    EXPECT_FALSE(WasConnected);
    EXPECT_EQ(1, Posts(processes, WM_CLOSE));
    EXPECT_FALSE(Running(mail));
    EXPECT_EQ(2, clock.beeps);
    EXPECT_FALSE(form->Visible());
    EXPECT_TRUE(form->tmrCheckConnection.Enabled());
}

TEST_F(TrayWindowTest, AFlashInsideAFlashDoesNothing) {
    size_t mail = List("Mail", true);
    const ProcessId id = Apps[mail].ProcessID;
    LoadIdle(false);
    Online();  // every application runs: the flash
    int nested = 0;
    clock.onWait = [&] {
        if (nested++ > 0) return;
        // The line drops and the application ends: the nested tick's transition flashes too.
        Offline();
        processes.End(id);
        Tick();
    };
    Tick();
    EXPECT_FALSE(WasConnected);
    EXPECT_EQ(1, clock.beeps);  // the nested flash found the window shown: no beep
    EXPECT_EQ("Not Connected", form->StatusText());
    EXPECT_FALSE(form->Visible());
}

TEST_F(TrayWindowTest, TicksInsideTheApplicationWindowUpdateTheDisplayOnly) {
    size_t mail = List("Mail", false);
    SetOption("AskFirst", true);
    LoadIdle(false);
    Online();
    int nestedModifies = 0;
    appWindow.onShowModal = [&] {
        // Same state: display only, no second window.
        Tick();
        // The line drops while the Launch window is open: nothing happens yet.
        Offline();
        processes.Add(Apps[mail].Path);  // started by hand meanwhile
        Tick();
        nestedModifies = tray.Count(NIM_MODIFY);
        EXPECT_TRUE(WasConnected);
        EXPECT_EQ("Not Connected, With Apps Running", form->StatusText());
    };
    Tick();
    ASSERT_EQ(1u, appWindow.openings.size());
    EXPECT_EQ("Launch Apps", appWindow.openings[0].mode);
    EXPECT_EQ(2, nestedModifies);  // the outer tick's state, then the nested one that changed
    EXPECT_TRUE(WasConnected);
    EXPECT_TRUE(processes.posted.empty());

    // The window is closed: the next tick acts on the state it sees now.
    appWindow.onShowModal = nullptr;
    Tick();
    EXPECT_FALSE(WasConnected);
    ASSERT_EQ(2u, appWindow.openings.size());
    EXPECT_EQ("Kill Apps", appWindow.openings[1].mode);
    EXPECT_TRUE(appWindow.openings[1].autoPrompt);
}

TEST_F(TrayWindowTest, AnOpenOptionsWindowHoldsBackATransitionAlsoWithoutAskFirst) {
    size_t mail = List("Mail", true);
    LoadIdle(true);
    appWindow.onShowModal = [&] {
        Offline();
        Tick();
        EXPECT_TRUE(WasConnected);
        EXPECT_TRUE(Running(mail));
        EXPECT_TRUE(appWindow.open);  // left alone, not unloaded by a batch
    };
    OpenAppWindow(kOptionsMode, false);
    EXPECT_EQ(1, appWindow.unloads);  // only its own closing
    EXPECT_TRUE(Running(mail));
    Tick();
    EXPECT_FALSE(WasConnected);
    EXPECT_FALSE(Running(mail));
}

// ---- Load ----

TEST_F(TrayWindowTest, TheTimerTicksEveryTwoSecondsAndIsCreatedOff) {
    frmDialOsprey fresh;
    EXPECT_EQ(2000u, fresh.tmrCheckConnection.Interval());
    EXPECT_FALSE(fresh.tmrCheckConnection.Enabled());
}

TEST_F(TrayWindowTest, LoadRunsItsStepsInOrder) {
    List("Mail", false);
    List("News", true);
    SetOption("SmallIcons", true);
    Online();
    std::vector<std::string> steps;
    tray.onCall = [&](const FakeTrayIcon::Call& call) {
        if (call.message == NIM_ADD) {
            steps.push_back("add");
            EXPECT_TRUE(SmallIcons);  // the options are read first
            EXPECT_EQ(0, probe.calls);
            EXPECT_EQ("Loading...", call.tip);
        }
    };
    processes.onCreate = [&](const FakeProcesses::Created&) {
        steps.push_back("launch");
        EXPECT_TRUE(WasConnected);
        EXPECT_TRUE(form->Visible());
    };
    ui.onEvent = [&](const std::string& event) {
        steps.push_back(event);
        EXPECT_EQ(0, tray.Count(NIM_MODIFY));  // before the first tick
    };
    Load();
    steps.push_back(tray.Last(NIM_MODIFY) ? "tick" : "no tick");
    EXPECT_EQ((std::vector<std::string>{"add", "launch", "attach", "tick"}), steps);
    EXPECT_EQ(1, tray.Count(NIM_MODIFY));
    EXPECT_EQ("Connected: LAN, With Apps Running", form->StatusText());
    EXPECT_TRUE(form->tmrCheckConnection.Enabled());
    EXPECT_TRUE(WasConnected);
    EXPECT_FALSE(form->Visible());
    EXPECT_TRUE(GetWindowLongPtrA(form->Hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_TRUE(prompter.shown.empty());
}

TEST_F(TrayWindowTest, TheIconRecordHasTheOriginalLayout) {
    List("Mail", false);
    Load();
    ASSERT_EQ(1, tray.Count(NIM_ADD));
    const NOTIFYICONDATAA& data = tray.calls[0].data;
    EXPECT_EQ(static_cast<DWORD>(NOTIFYICONDATAA_V1_SIZE), data.cbSize);
#if defined(__i386__)
    EXPECT_EQ(88u, data.cbSize);
#endif
    EXPECT_EQ(form->Hwnd(), data.hWnd);
    EXPECT_EQ(1u, data.uID);
    EXPECT_EQ(7u, data.uFlags);
    EXPECT_EQ(0x200u, data.uCallbackMessage);
    EXPECT_NE(nullptr, data.hIcon);  // icon 702
    EXPECT_EQ("Loading...", TrayTip(data));
    // Every modification keeps the other fields.
    const NOTIFYICONDATAA& modified = tray.Last(NIM_MODIFY)->data;
    EXPECT_EQ(data.cbSize, modified.cbSize);
    EXPECT_EQ(data.hWnd, modified.hWnd);
    EXPECT_EQ(data.uID, modified.uID);
    EXPECT_EQ(data.uFlags, modified.uFlags);
    EXPECT_EQ(data.uCallbackMessage, modified.uCallbackMessage);
    EXPECT_EQ("Not Connected", TrayTip(modified));
}

TEST(TrayTip, IsCutTo63CharactersAndANul) {
    NOTIFYICONDATAA data = {};
    SetTrayTip(data, std::string(70, 'x'));
    EXPECT_EQ(std::string(63, 'x'), TrayTip(data));
    EXPECT_EQ('\0', data.szTip[63]);
    SetTrayTip(data, std::string(63, 'y'));
    EXPECT_EQ(std::string(63, 'y'), TrayTip(data));
    // A shorter tip after a longer one ends where it ends: the shell reads up to the NUL.
    SetTrayTip(data, "Not Connected");
    EXPECT_EQ(0, std::strcmp("Not Connected", data.szTip));
    SetTrayTip(data, "");
    EXPECT_EQ('\0', data.szTip[0]);
}

TEST_F(TrayWindowTest, LoadWithAskFirstOpensTheLaunchWindowBeforeTheFirstTick) {
    List("Mail", false);
    SetOption("AskFirst", true);
    Online();
    int modifiesAtOpening = -1;
    appWindow.onShowModal = [&] { modifiesAtOpening = tray.Count(NIM_MODIFY); };
    Load();
    ASSERT_EQ(1u, appWindow.openings.size());
    EXPECT_EQ("Launch Apps", appWindow.openings[0].mode);
    EXPECT_TRUE(appWindow.openings[0].autoPrompt);
    EXPECT_EQ(0, modifiesAtOpening);
    EXPECT_TRUE(processes.created.empty());
}

TEST_F(TrayWindowTest, LoadWithTheMonitorStoredOffLaunchesNothing) {
    List("Mail", false);
    SetOption("EnableState", true);
    SetOption("Enabled", false);
    Online();
    Load();
    EXPECT_FALSE(form->tmrCheckConnection.Enabled());
    EXPECT_TRUE(processes.created.empty());
    EXPECT_TRUE(WasConnected);  // taken from the probe all the same
    EXPECT_EQ("Disabled", form->StatusText());
    EXPECT_EQ(IDI_TRAY_DISABLED, form->StateIconId());
}

TEST_F(TrayWindowTest, WithoutEnableStateTheMonitorStartsOnWhateverIsStored) {
    List("Mail", false);
    SetOption("Enabled", false);
    Load();
    EXPECT_TRUE(form->tmrCheckConnection.Enabled());
    EXPECT_EQ("Not Connected", form->StatusText());
}

TEST_F(TrayWindowTest, LoadWhileOfflineLaunchesNothing) {
    List("Mail", false);
    Load();
    EXPECT_FALSE(WasConnected);
    EXPECT_TRUE(processes.created.empty());
    EXPECT_EQ(0, clock.beeps);
    EXPECT_EQ(IDI_TRAY_NOT_CONNECTED, form->StateIconId());
}

// ---- Unload ----

TEST_F(TrayWindowTest, UnloadSavesKillsThenRemovesTheIcon) {
    size_t mail = List("Mail", true);
    SetOption("EnableState", true);
    Load();
    form->tmrCheckConnection.SetEnabled(false);
    SmallIcons = true;
    std::vector<std::string> steps;
    processes.onWait = [&](tw::test::FakeProcess&, DWORD) -> long {
        steps.push_back("kill");
        EXPECT_EQ("False", settings.Value(kSettingsApp, kSettingsSection, "Enabled").value_or(""));
        return -1;
    };
    tray.onCall = [&](const FakeTrayIcon::Call& call) {
        if (call.message == NIM_DELETE) steps.push_back("delete");
    };
    ui.onEvent = [&](const std::string& event) {
        steps.push_back(event);
        EXPECT_FALSE(GetWindowLongPtrA(form->Hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    };
    form->Unload();
    EXPECT_EQ((std::vector<std::string>{"kill", "delete", "detach"}), steps);
    EXPECT_EQ("True", settings.Value(kSettingsApp, kSettingsSection, "SmallIcons").value_or(""));
    EXPECT_EQ("True", settings.Value(kSettingsApp, kSettingsSection, "EnableState").value_or(""));
    EXPECT_EQ("False", settings.Value(kSettingsApp, kSettingsSection, "AskFirst").value_or(""));
    EXPECT_EQ("False", settings.Value(kSettingsApp, kSettingsSection, "Enabled").value_or(""));
    EXPECT_FALSE(Running(mail));
    EXPECT_FALSE(form->IsLoaded());
}

TEST_F(TrayWindowTest, UnloadWithAskFirstOpensTheKillWindowWhateverTheConnection) {
    size_t mail = List("Mail", true);
    SetOption("AskFirst", true);
    Online();
    Load();
    Forget();
    form->Unload();
    ASSERT_EQ(1u, appWindow.openings.size());
    EXPECT_EQ("Kill Apps", appWindow.openings[0].mode);
    EXPECT_TRUE(appWindow.openings[0].autoPrompt);
    EXPECT_TRUE(Running(mail));
    EXPECT_EQ(1, tray.Count(NIM_DELETE));
}

TEST_F(TrayWindowTest, UnloadWithNothingRunningKillsNothingAndLeavesEnabledAlone) {
    List("Mail", false);
    SetOption("Enabled", false);
    Load();
    Forget();
    form->Unload();
    EXPECT_EQ(0, clock.beeps);
    EXPECT_TRUE(appWindow.openings.empty());
    EXPECT_EQ("False", settings.Value(kSettingsApp, kSettingsSection, "Enabled").value_or(""));
    EXPECT_EQ(1, tray.Count(NIM_DELETE));
    EXPECT_EQ((std::vector<std::string>{"detach"}), ui.log);
}

// ---- Tray icon messages ----

TEST_F(TrayWindowTest, TheIconComesBackWhenTheShellRestarts) {
    List("Mail", false);
    Load();
    const FakeTrayIcon::Call last = *tray.Last(NIM_MODIFY);
    // A batch gives the status picture the applications' icons; the tray keeps the tick's.
    form->tmrCheckConnection.SetEnabled(true);
    form->LaunchAllApps();
    EXPECT_NE(last.data.hIcon, form->imgTrayIcon.GetPicture().Icon());
    SendMessageA(form->Hwnd(), RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    ASSERT_EQ(2, tray.Count(NIM_ADD));
    const FakeTrayIcon::Call& added = *tray.Last(NIM_ADD);
    EXPECT_EQ(last.tip, added.tip);
    EXPECT_EQ(last.data.hIcon, added.data.hIcon);
    // The handle is still a live icon.
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(added.data.hIcon, &info));
    if (info.hbmMask) DeleteObject(info.hbmMask);
    if (info.hbmColor) DeleteObject(info.hbmColor);
}

bool IsLiveIcon(HICON icon) {
    ICONINFO info = {};
    if (!icon || !GetIconInfo(icon, &info)) return false;
    if (info.hbmMask) DeleteObject(info.hbmMask);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    return true;
}

TEST_F(TrayWindowTest, TheTrayIsToldOnlyWhatChanged) {
    size_t mail = List("Mail", false);
    LoadIdle(false);
    Offline();
    Tick();
    Tick();
    ASSERT_EQ(1, tray.Count(NIM_MODIFY));  // "Not Connected", once
    const HICON notConnected = tray.shown.data.hIcon;
    Online(kLan);
    Tick();  // launches Mail: "Connected: LAN, With Apps Running"
    Online(kModem);
    Tick();  // the same icon, another text
    EXPECT_EQ(3, tray.Count(NIM_MODIFY));
    EXPECT_EQ("Connected: Modem, With Apps Running", tray.shown.tip);
    processes.End(Apps[mail].ProcessID);
    processes.createFails = true;  // from now on nothing starts
    Offline();
    Tick();
    EXPECT_EQ(4, tray.Count(NIM_MODIFY));
    EXPECT_EQ(notConnected, tray.shown.data.hIcon) << "the state's icon, loaded once";

    // A refused modification is sent again at the next tick, the same or not.
    tray.result = false;
    Online(kLan);
    Tick();
    tray.result = true;
    Tick();
    EXPECT_EQ(6, tray.Count(NIM_MODIFY));
    EXPECT_EQ("Connected: LAN", tray.shown.tip);
    // After the shell restarts, the icon is added as it is and the ticks go on from there.
    SendMessageA(form->Hwnd(), RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    Tick();
    EXPECT_EQ(6, tray.Count(NIM_MODIFY));
    EXPECT_EQ("Connected: LAN", tray.Last(NIM_ADD)->tip);
}

TEST_F(TrayWindowTest, TheIconTheShellWasGivenLivesUntilTheIconIsRemoved) {
    const ProcessId mail = Apps[List("Mail", true)].ProcessID;
    LoadIdle(false);
    // At every call the icon given before is still alive: the shell may copy it meanwhile.
    HICON before = tray.shown.data.hIcon;
    tray.onCall = [&](const FakeTrayIcon::Call& call) {
        EXPECT_TRUE(IsLiveIcon(before));
        before = call.data.hIcon;
    };
    std::vector<HICON> given;
    for (int round = 0; round < 3; ++round) {
        Offline();
        processes.Find(mail)->running = round % 2 == 0;
        Tick();
        given.push_back(tray.shown.data.hIcon);
        form->tmrCheckConnection.SetEnabled(false);
        Tick();
        given.push_back(tray.shown.data.hIcon);
        form->tmrCheckConnection.SetEnabled(true);
    }
    EXPECT_EQ(given[1], given[3]) << "704 each time";
    EXPECT_EQ(given[0], given[4]) << "706 each time";
    EXPECT_NE(given[0], given[2]);
    for (HICON icon : given) EXPECT_TRUE(IsLiveIcon(icon));
    tray.onCall = nullptr;
    form->Unload();
    for (HICON icon : given) EXPECT_FALSE(IsLiveIcon(icon)) << "released with the window";
}

TEST_F(TrayWindowTest, TheStatusLabelIsSetOnlyWhenItsTextChanges) {
    List("Mail", false);
    LoadIdle(false);
    int changes = 0;
    auto change = form->lblStatus.OnChange;
    form->lblStatus.OnChange = [&] {
        ++changes;
        change();
    };
    Offline();
    Tick();
    Tick();
    Tick();
    EXPECT_EQ(1, changes);
    form->tmrCheckConnection.SetEnabled(false);
    Tick();
    Tick();
    EXPECT_EQ(2, changes);
    EXPECT_EQ("", form->lblStatus.Caption());
}

TEST_F(TrayWindowTest, AfterTheIconIsRemovedTheShellRestartAddsNothing) {
    List("Mail", false);
    Load();
    // The shell restarts while the unload releases the menu, after the icon was removed.
    ui.onEvent = [&](const std::string&) {
        SendMessageA(form->Hwnd(), RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    };
    form->Unload();
    EXPECT_EQ(1, tray.Count(NIM_ADD));
    EXPECT_EQ(1, tray.Count(NIM_DELETE));
}

TEST_F(TrayWindowTest, TrayNotificationsReachTheTrayUserInterface) {
    List("Mail", false);
    Load();
    SendMessageA(form->Hwnd(), WM_MOUSEMOVE, kTrayIconId, WM_RBUTTONUP);
    SendMessageA(form->Hwnd(), WM_MOUSEMOVE, kTrayIconId, WM_LBUTTONDBLCLK);
    EXPECT_EQ((std::vector<UINT>{WM_RBUTTONUP, WM_LBUTTONDBLCLK}), ui.mouse);
}

// ---- Status window ----

TEST_F(TrayWindowTest, TheStatusWindowFitsItsLabelAndStaysCentred) {
    List("Mail", false);
    Load();
    for (const char* text : {"Status: Not Connected",
                             "Status: Connected: Modem (Busy), With Apps Running", "x", ""}) {
        SCOPED_TRACE(text);
        form->lblStatus.SetCaption(text);
        EXPECT_NEAR(480 + form->lblStatus.Width() + 215, form->Width(), tw::TwipsPerPixelX());
        EXPECT_NEAR((tw::ScreenWidthTwips() - form->Width()) / 2, form->Left(), tw::TwipsPerPixelX());
        EXPECT_NEAR((tw::ScreenHeightTwips() - form->Height()) / 2, form->Top(), tw::TwipsPerPixelY());
    }
    form->lblStatus.SetCaption("Status: Not Connected");
    const int narrow = form->Width();
    form->lblStatus.SetCaption("Status: Not Connected, With Apps Running");
    EXPECT_GT(form->Width(), narrow);
}

TEST_F(TrayWindowTest, TheStatusWindowHasNoCaptionAndItsDesignLayout) {
    List("Mail", false);
    Load();
    // WS_CAPTION is WS_BORDER | WS_DLGFRAME: a thin border, no title bar.
    EXPECT_NE(WS_CAPTION, GetWindowLongPtrA(form->Hwnd(), GWL_STYLE) & WS_CAPTION);
    EXPECT_EQ("", form->Caption());
    EXPECT_NEAR(480, form->ScaleHeight(), tw::TwipsPerPixelY());
    EXPECT_EQ(120, form->imgTrayIcon.Left());
    EXPECT_EQ(120, form->imgTrayIcon.Top());
    EXPECT_EQ(240, form->imgTrayIcon.Width());
    EXPECT_EQ(240, form->imgTrayIcon.Height());
    EXPECT_EQ(480, form->lblStatus.Left());
    EXPECT_EQ(135, form->lblStatus.Top());
    EXPECT_EQ(form->imgTrayIcon.GetPicture().Icon(), tray.Last(NIM_MODIFY)->data.hIcon);
}

TEST_F(TrayWindowTest, ShowStatusFlashesForTwoSecondsWithABeep) {
    List("Mail", false);
    LoadIdle(false);
    appWindow.open = true;
    bool shownDuringWait = false;
    clock.onWait = [&] { shownDuringWait = shownDuringWait || form->Visible(); };
    const double start = clock.now;
    form->ShowStatus();
    EXPECT_TRUE(shownDuringWait);
    EXPECT_FALSE(form->Visible());
    EXPECT_EQ(1, clock.beeps);
    EXPECT_GE(clock.now - start, 2.0);
    EXPECT_LT(clock.now - start, 2.1);
    EXPECT_EQ(1, appWindow.unloads);  // the application window was closed first
}

TEST_F(TrayWindowTest, ShowStatusWhileShownDoesNothing) {
    List("Mail", false);
    LoadIdle(false);
    ShowWindow(form->Hwnd(), SW_SHOWNOACTIVATE);
    appWindow.open = true;
    form->ShowStatus();
    EXPECT_EQ(0, clock.beeps);
    EXPECT_EQ(0, clock.waits);
    EXPECT_TRUE(form->Visible());
    EXPECT_EQ(0, appWindow.unloadCalls);
}

TEST_F(TrayWindowTest, PauseLetsWindowEventsRunUntilTheTimeHasPassed) {
    List("Mail", false);
    Load();
    PostMessageA(form->Hwnd(), WM_MOUSEMOVE, kTrayIconId, WM_RBUTTONUP);
    const double start = clock.now;
    Pause(2);
    EXPECT_EQ((std::vector<UINT>{WM_RBUTTONUP}), ui.mouse);
    EXPECT_GE(clock.now - start, 2.0);
    // One wait covers the whole time that is left.
    int rounds = 0;
    clock.onWait = [&] { ++rounds; };
    Pause(0.5);
    EXPECT_EQ(1, rounds);
}

// ---- The launch batch ----

TEST_F(TrayWindowTest, LaunchAllAppsStartsEachApplicationThatIsNotRunning) {
    size_t mail = List("Mail", false);
    size_t news = List("News", true);
    size_t chat = List("Chat", false);
    Apps[chat].Path = "C:\\Program Files\\Chat\\chat.exe";
    Apps[chat].Arguments = " -quiet";
    const ProcessId newsId = Apps[news].ProcessID;
    LoadIdle(false);
    appWindow.open = true;
    std::vector<std::string> lines;
    processes.onCreate = [&](const FakeProcesses::Created&) {
        lines.push_back(form->lblStatus.Caption());
        EXPECT_TRUE(form->Visible());
        EXPECT_FALSE(form->tmrCheckConnection.Enabled());
        EXPECT_EQ(1, clock.beeps);
        EXPECT_FALSE(appWindow.open);
        const size_t index = lines.size() == 1 ? mail : chat;
        EXPECT_EQ(Apps[index].Icon.Icon(), form->imgTrayIcon.GetPicture().Icon());
    };
    form->LaunchAllApps();
    EXPECT_EQ((std::vector<std::string>{"Now Running: Mail", "Now Running: Chat"}), lines);
    EXPECT_EQ((std::vector<std::string>{"C:\\apps\\Mail.exe ",
                                        "\"C:\\Program Files\\Chat\\chat.exe\" -quiet"}),
              CommandLines(processes));
    EXPECT_TRUE(Running(mail));
    EXPECT_TRUE(Running(chat));
    EXPECT_EQ(newsId, Apps[news].ProcessID);
    EXPECT_EQ(1, clock.beeps);
    EXPECT_FALSE(form->Visible());
    // The timer was on: it is on again, and no tick was run.
    EXPECT_TRUE(form->tmrCheckConnection.Enabled());
    EXPECT_EQ(0, probe.calls);
    EXPECT_EQ(0, tray.Count(NIM_MODIFY));
}

TEST_F(TrayWindowTest, AFailedLaunchLeavesZeroAndTheBatchGoesOn) {
    size_t mail = List("Mail", false);
    size_t news = List("News", false);
    Apps[mail].ProcessID = 4242;  // a stale id of a process that is gone
    LoadIdle(false);
    int calls = 0;
    processes.onCreate = [&](const FakeProcesses::Created&) {
        processes.createFails = (++calls == 1);
    };
    form->LaunchAllApps();
    EXPECT_EQ(2u, processes.created.size());
    EXPECT_EQ(0, Apps[mail].ProcessID);
    EXPECT_TRUE(Running(news));
    EXPECT_TRUE(prompter.shown.empty());
}

TEST_F(TrayWindowTest, LaunchAllAppsWithEverythingRunningStillFlashesAndBeeps) {
    List("Mail", true);
    LoadIdle(false);
    form->lblStatus.SetCaption("before");
    bool shown = false;
    clock.onBeep = [&] { shown = form->Visible(); };
    form->LaunchAllApps();
    EXPECT_TRUE(processes.created.empty());
    EXPECT_EQ("before", form->lblStatus.Caption());
    EXPECT_TRUE(shown);
    EXPECT_FALSE(form->Visible());
    EXPECT_EQ(1, clock.beeps);
}

TEST_F(TrayWindowTest, ABatchWithTheMonitorOffEndsWithExactlyOneTick) {
    // Each tick refreshes the process ids: with the application not running, that is one
    // enumeration of the processes a tick (the batches themselves enumerate nothing).
    size_t mail = List("Mail", false);
    processes.createFails = true;
    LoadIdle(false);
    form->tmrCheckConnection.SetEnabled(false);
    int enumerations = processes.psapiCalls;
    form->LaunchAllApps();
    EXPECT_FALSE(form->tmrCheckConnection.Enabled());
    EXPECT_EQ(enumerations + 1, processes.psapiCalls);
    EXPECT_EQ("", form->lblStatus.Caption()) << "the tick's, after the batch's Now Running line";
    EXPECT_EQ("Disabled", tray.shown.tip);

    Apps[mail].ProcessID = processes.Add(Apps[mail].Path, "Mail window").id;
    enumerations = processes.psapiCalls;
    form->KillAllApps();
    EXPECT_FALSE(form->tmrCheckConnection.Enabled());
    EXPECT_EQ(1, Posts(processes, WM_CLOSE));
    EXPECT_EQ(enumerations + 1, processes.psapiCalls);
}

TEST_F(TrayWindowTest, LaunchUsesTheShortcutsWorkingDirectoryAndShowCommand) {
    size_t mail = List("Mail", false);
    size_t news = List("News", false);
    size_t chat = List("Chat", false);
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    Apps[mail].WorkingDirectory = temp;
    Apps[mail].WindowStyle = 2;
    Apps[news].WorkingDirectory = "C:\\no such folder\\at all";
    Apps[news].WindowStyle = 3;
    Apps[chat].WindowStyle = 1;
    LoadIdle(false);
    form->LaunchAllApps();
    ASSERT_EQ(3u, processes.created.size());
    EXPECT_EQ(temp, processes.created[0].currentDirectory);
    EXPECT_EQ(SW_SHOWMINNOACTIVE, processes.created[0].showCommand);
    EXPECT_EQ("", processes.created[1].currentDirectory);
    EXPECT_EQ(SW_SHOWMAXIMIZED, processes.created[1].showCommand);
    EXPECT_EQ("", processes.created[2].currentDirectory);
    EXPECT_EQ(SW_SHOWNORMAL, processes.created[2].showCommand);
}

// ---- The kill batch ----

TEST_F(TrayWindowTest, KillAllAppsClosesEachRunningApplication) {
    size_t mail = List("Mail", true);
    size_t news = List("News", false);
    size_t chat = List("Chat", true);
    Apps[news].ProcessID = 4242;  // ended earlier: cleared without a status line
    LoadIdle(true);
    appWindow.open = true;
    std::vector<std::string> lines;
    processes.onWait = [&](tw::test::FakeProcess&, DWORD) -> long {
        lines.push_back(form->lblStatus.Caption());
        EXPECT_TRUE(form->Visible());
        EXPECT_FALSE(form->tmrCheckConnection.Enabled());
        EXPECT_FALSE(appWindow.open);
        return -1;
    };
    form->KillAllApps();
    EXPECT_EQ((std::vector<std::string>{"Now Killing: Mail", "Now Killing: Chat"}), lines);
    EXPECT_EQ(0, Apps[mail].ProcessID);
    EXPECT_EQ(0, Apps[news].ProcessID);
    EXPECT_EQ(0, Apps[chat].ProcessID);
    EXPECT_EQ(2, Posts(processes, WM_CANCELMODE));
    EXPECT_EQ(2, Posts(processes, WM_CLOSE));
    EXPECT_EQ(1, clock.beeps);
    EXPECT_FALSE(form->Visible());
    EXPECT_TRUE(form->tmrCheckConnection.Enabled());
    EXPECT_EQ(0, tray.Count(NIM_MODIFY));
}

TEST_F(TrayWindowTest, KillAllAppsKeepsTheIdOfAnApplicationLeftAlone) {
    size_t mail = List("Mail", true);
    size_t news = List("News", true);
    processes.Find(Apps[mail].ProcessID)->closesOnRequest = false;
    const ProcessId mailId = Apps[mail].ProcessID;
    LoadIdle(true);
    prompter.Answer(IDCANCEL);
    form->KillAllApps();
    ASSERT_EQ(1u, prompter.shown.size());
    EXPECT_EQ("Mail window", prompter.shown[0].title);
    EXPECT_EQ(mailId, Apps[mail].ProcessID);
    EXPECT_TRUE(Running(mail));
    EXPECT_EQ(0, Apps[news].ProcessID);
    EXPECT_TRUE(form->tmrCheckConnection.Enabled());
}

TEST_F(TrayWindowTest, KillAllAppsWithNothingRunningStillFlashesAndBeeps) {
    List("Mail", false);
    LoadIdle(true);
    bool shown = false;
    clock.onBeep = [&] { shown = form->Visible(); };
    form->KillAllApps();
    EXPECT_TRUE(shown);
    EXPECT_FALSE(form->Visible());
    EXPECT_EQ(1, clock.beeps);
    EXPECT_TRUE(processes.posted.empty());
}

// ---- StartDelay, CloseDelay, resume from sleep, NeedInternet and MeteredOffline ----

class DelayedMonitorTest : public TrayWindowTest {
protected:
    void Delays(int start, int close) {
        settings.Set(kSettingsApp, kSettingsSection, "StartDelay", std::to_string(start));
        settings.Set(kSettingsApp, kSettingsSection, "CloseDelay", std::to_string(close));
    }
    void Wait(double seconds) { clock.now += seconds; }
};

TEST_F(DelayedMonitorTest, AConnectionIsActedOnOnlyOnceItHasLastedStartDelay) {
    size_t mail = List("Mail", false);
    Delays(6, 0);
    LoadIdle(false);
    Online();
    Tick();
    EXPECT_FALSE(WasConnected);
    EXPECT_TRUE(processes.created.empty());
    EXPECT_EQ(IDI_TRAY_CONNECTED, form->StateIconId());  // the display shows the probe
    EXPECT_EQ("Connected: LAN (starting apps in 6 s)", form->StatusText());
    EXPECT_EQ("Status: Connected: LAN (starting apps in 6 s)", form->lblStatus.Caption());
    Wait(4.5);
    Tick();
    EXPECT_EQ("Connected: LAN (starting apps in 2 s)", form->StatusText());
    EXPECT_TRUE(processes.created.empty());
    Wait(1.5);
    Tick();
    EXPECT_TRUE(WasConnected);
    EXPECT_EQ(1u, processes.created.size());
    EXPECT_TRUE(Running(mail));
    Tick();
    EXPECT_EQ("Connected: LAN, With Apps Running", form->StatusText());
}

TEST_F(DelayedMonitorTest, AShortDropLeavesTheAppsAndALongOneClosesThemAfterCloseDelay) {
    size_t mail = List("Mail", true);
    Delays(0, 10);
    LoadIdle(true);
    Offline();
    Tick();
    EXPECT_EQ("Not Connected, With Apps Running (closing apps in 10 s)", form->StatusText());
    EXPECT_EQ(IDI_TRAY_NOT_CONNECTED_APPS, form->StateIconId());
    Wait(4);
    Online();  // back before the delay has passed: no transition, nothing asked
    Tick();
    EXPECT_TRUE(WasConnected);
    EXPECT_EQ("Connected: LAN, With Apps Running", form->StatusText());
    EXPECT_TRUE(processes.posted.empty());
    EXPECT_TRUE(processes.created.empty());
    EXPECT_EQ(0, clock.beeps);
    // A new drop waits its whole delay again, counted from the first tick that sees it.
    Offline();
    Wait(4);
    Tick();
    Wait(9);
    Tick();
    EXPECT_EQ("Not Connected, With Apps Running (closing apps in 1 s)", form->StatusText());
    EXPECT_TRUE(Running(mail));
    Wait(1);
    Tick();
    EXPECT_FALSE(WasConnected);
    EXPECT_EQ(1, Posts(processes, WM_CLOSE));
    EXPECT_FALSE(Running(mail));
}

TEST_F(DelayedMonitorTest, WithAskFirstThePromptComesAfterTheDelay) {
    List("Mail", true);
    Delays(0, 4);
    SetOption("AskFirst", true);
    LoadIdle(true);
    Offline();
    Tick();
    EXPECT_TRUE(appWindow.openings.empty());
    Wait(4);
    Tick();
    ASSERT_EQ(1u, appWindow.openings.size());
    EXPECT_EQ("Kill Apps", appWindow.openings[0].mode);
}

TEST_F(DelayedMonitorTest, DisableEndsAWaitAndEnableStartsAnother) {
    size_t mail = List("Mail", true);
    Delays(0, 10);
    LoadIdle(true);
    Offline();
    Tick();
    Wait(8);
    form->tmrCheckConnection.SetEnabled(false);
    Tick();
    EXPECT_EQ("Disabled", form->StatusText());
    Wait(30);
    form->tmrCheckConnection.SetEnabled(true);
    Tick();
    EXPECT_EQ("Not Connected, With Apps Running (closing apps in 10 s)", form->StatusText());
    EXPECT_TRUE(Running(mail));
    EXPECT_TRUE(WasConnected);
}

TEST_F(DelayedMonitorTest, LoadWithAConnectionAndStartDelayLaunchesAfterTheDelay) {
    List("Mail", false);
    Delays(5, 0);
    Online();
    Load();
    EXPECT_TRUE(processes.created.empty());
    EXPECT_FALSE(WasConnected);
    EXPECT_EQ("Connected: LAN (starting apps in 5 s)", form->StatusText());
    Wait(5);
    Tick();
    EXPECT_EQ(1u, processes.created.size());
}

// Runs the messages the window has been posted.
void PumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

TEST_F(DelayedMonitorTest, AResumeRunsATickAndSleepCountsTowardNoDelay) {
    size_t mail = List("Mail", true);
    Delays(0, 10);
    LoadIdle(true);
    Offline();
    Tick();  // the drop is seen before the sleep
    Wait(3600);  // asleep
    // Going to sleep runs nothing; each of the two resume events runs one tick.
    const WPARAM events[] = {PBT_APMSUSPEND, PBT_APMRESUMEAUTOMATIC, PBT_APMRESUMESUSPEND};
    const int ticks[] = {0, 1, 1};
    for (size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        probe.calls = 0;
        EXPECT_EQ(TRUE, SendMessageA(form->Hwnd(), WM_POWERBROADCAST, events[i], 0));
        PumpMessages();
        EXPECT_EQ(ticks[i], probe.calls);
    }
    // The drop seen after waking waits its whole delay from the wake-up.
    EXPECT_EQ("Not Connected, With Apps Running (closing apps in 10 s)", form->StatusText());
    EXPECT_TRUE(Running(mail));
    Wait(10);
    Tick();
    EXPECT_FALSE(Running(mail));
}

TEST_F(DelayedMonitorTest, BothDelaysZeroActAtTheFirstTickAsAlways) {
    size_t mail = List("Mail", true);
    Delays(0, 0);
    LoadIdle(true);
    Offline();
    Tick();
    EXPECT_EQ("Not Connected, With Apps Running", form->StatusText());  // shown before the batch
    EXPECT_FALSE(Running(mail));
    Online();
    Tick();
    EXPECT_TRUE(Running(mail));
}

struct HoldRow {
    const char* name;
    bool needInternet, meteredOffline;
    tw::NetworkAnswer answer;
    const char* tooltip;
};

void PrintTo(const HoldRow& row, std::ostream* out) { *out << row.name; }

tw::NetworkAnswer Manager(DWORD connectivity, bool signIn, DWORD cost) {
    tw::NetworkAnswer answer;
    answer.hasConnectivity = answer.hasCost = true;
    answer.connectivity = connectivity;
    answer.signIn = signIn;
    answer.cost = cost;
    return answer;
}

class HeldBackConnection : public TrayWindowTest, public ::testing::WithParamInterface<HoldRow> {};

TEST_P(HeldBackConnection, ShowsWhyAndClosesTheApps) {
    const HoldRow& row = GetParam();
    SCOPED_TRACE(row.name);
    tw::test::FakeNetworkList manager;
    manager.answer = row.answer;
    size_t mail = List("Mail", true);
    SetOption("NeedInternet", row.needInternet);
    SetOption("MeteredOffline", row.meteredOffline);
    LoadIdle(true);
    Online();
    Tick();
    EXPECT_EQ(1, manager.asked);
    EXPECT_EQ(row.tooltip, form->StatusText());
    if (std::string(row.tooltip).compare(0, 9, "Connected") == 0) {
        EXPECT_EQ(IDI_TRAY_CONNECTED_APPS, form->StateIconId());
        EXPECT_TRUE(Running(mail));
    } else {
        EXPECT_FALSE(WasConnected);
        EXPECT_FALSE(Running(mail));
        Tick();  // nothing left running
        EXPECT_EQ(IDI_TRAY_NOT_CONNECTED, form->StateIconId());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, HeldBackConnection,
    ::testing::Values(
        HoldRow{"internet", true, true, Manager(0x60, false, 1), "Connected: LAN, With Apps Running"},
        HoldRow{"local_only", true, false, Manager(0x20, false, 1), "Not Connected: No Internet Access, With Apps Running"},
        HoldRow{"sign_in", true, false, Manager(0x60, true, 1), "Not Connected: Sign-in Required, With Apps Running"},
        HoldRow{"metered", false, true, Manager(0x60, false, 4), "Not Connected: Metered Connection, With Apps Running"}),
    [](const ::testing::TestParamInfo<HoldRow>& row) { return std::string(row.param.name); });

TEST_F(DelayedMonitorTest, ALongTooltipGoesInTheLongerRecordOrIsCutForAnOldShell) {
    tw::test::FakeNetworkList manager;
    manager.answer = Manager(0x60, true, 1);
    List("Mail", true);
    Delays(0, 3600);
    SetOption("NeedInternet", true);
    LoadIdle(true);
    Online();
    Tick();
    const std::string text = "Not Connected: Sign-in Required, With Apps Running (closing apps in 3600 s)";
    EXPECT_EQ(text, form->StatusText());
    ASSERT_EQ(1, tray.Count(NIM_MODIFY));
    const NOTIFYICONDATAA& data = tray.Last(NIM_MODIFY)->data;
    EXPECT_EQ(static_cast<DWORD>(NOTIFYICONDATAA_V2_SIZE), data.cbSize);
    EXPECT_EQ(text, TrayTip(data));
    // A shell that refuses it gets the original record, the text cut to 63 characters.
    tray.calls.clear();
    tray.result = false;
    Wait(1);
    Tick();
    ASSERT_EQ(2, tray.Count(NIM_MODIFY));
    EXPECT_EQ(static_cast<DWORD>(NOTIFYICONDATAA_V1_SIZE), tray.calls[1].data.cbSize);
    EXPECT_EQ(63u, TrayTip(tray.calls[1].data).size());
}

}  // namespace
