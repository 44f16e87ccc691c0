// Fakes for the tray window's own seams: the shell's tray, the application window, the
// tray user interface, and a clock whose waits can run handlers (as a timer firing during a
// wait would). Each installs itself on construction and restores what was there before.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <string>
#include <vector>

#include "Clock.h"
#include "monitor/AppWindow.h"
#include "monitor/TrayIcon.h"
#include "monitor/frmDialOsprey.h"

namespace tw::test {

// Records every Shell_NotifyIconA call with a copy of the record.
class FakeTrayIcon final : public tray::ITrayIconApi {
public:
    struct Call {
        DWORD message;
        NOTIFYICONDATAA data;
        std::string tip;
    };
    FakeTrayIcon();
    ~FakeTrayIcon() override;
    bool NotifyIcon(DWORD message, NOTIFYICONDATAA& data) override;

    int Count(DWORD message) const;
    // The last call with `message` (the test fails when there is none).
    const Call* Last(DWORD message) const;

    std::vector<Call> calls;
    bool result = true;
    std::function<void(const Call&)> onCall;
    // What the tray shows now: the record of the last add or modify that succeeded (kept
    // when `calls` is cleared); `showing` is false before the add and after the delete.
    bool showing = false;
    Call shown = {};

private:
    tray::ITrayIconApi* m_previous;
};

// A clock that stands still until a wait, which advances it by the time asked for after
// running `onWait` (where a test lets a timer fire). Counts beeps.
class SteppingClock final : public ISystemClock {
public:
    SteppingClock();
    ~SteppingClock() override;
    double Now() override { return now; }
    void WaitForEvents(unsigned milliseconds) override;
    void Beep() override;

    double now = 5000.0;
    int waits = 0;
    int beeps = 0;
    std::function<void()> onWait;
    std::function<void()> onBeep;

private:
    ISystemClock* m_previous;
};

// The application window: "opens" by running `onShowModal` and closing again. Records the
// mode and AutoPrompt it was opened with.
class FakeAppWindow final : public tray::IAppWindow {
public:
    struct Opening {
        std::string mode;
        bool autoPrompt;
    };
    FakeAppWindow();
    ~FakeAppWindow() override;
    void ShowModal() override;
    void Unload() override;
    bool IsOpen() override { return open; }

    bool open = false;
    std::vector<Opening> openings;
    int unloads = 0;        // Unload calls while it was open
    int unloadCalls = 0;    // every Unload call
    // Runs while the window is open (the nested loop of a modal window).
    std::function<void()> onShowModal;

private:
    tray::IAppWindow* m_previous;
};

// The tray user interface: records what the tray window asked of it, in order.
class FakeTrayUi final : public tray::ITrayWindowUi {
public:
    FakeTrayUi();
    ~FakeTrayUi() override;
    void Attach(tray::frmDialOsprey& window) override;
    void Detach(tray::frmDialOsprey& window) override;
    void TrayMouse(tray::frmDialOsprey& window, UINT mouseMessage) override;

    std::vector<std::string> log;
    std::vector<UINT> mouse;
    std::function<void(const std::string&)> onEvent;

private:
    tray::ITrayWindowUi* m_previous;
};

}  // namespace tw::test
