// What the tray user interface tests share: the fakes of every seam around the real tray
// window, the real tray user interface installed into it, listed applications, and a driver
// that acts on the popup menu while it is tracked (from a thread timer, which keeps firing in
// the menu's own loop).
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "Fakes.h"
#include "MonitorFakes.h"
#include "TrayFakes.h"
#include "apps/Apps.h"
#include "monitor/frmDialOsprey.h"

namespace tw::test {

// Acts once on the next popup menu that becomes visible on this thread: `onMenu` runs with
// the menu window, then the driver's action closes it.
class MenuDriver {
public:
    MenuDriver();
    ~MenuDriver();
    MenuDriver(const MenuDriver&) = delete;
    MenuDriver& operator=(const MenuDriver&) = delete;

    // The choice, made once `onMenu` has run: post the command `id` to the owner as the menu
    // does, and close the menu (0: close it with nothing chosen).
    void Choose(int id) { m_choice = id; m_keys.clear(); }
    // Or: keys posted to the menu window, in order (the menu's own keyboard handling).
    void PressKeys(std::vector<WPARAM> keys) { m_keys = std::move(keys); }
    // Or: leave the menu to the user (what `onMenu` did); after 3 s the driver closes it
    // itself and notes that in `forcedClose`.
    void LeaveOpen() { m_leaveOpen = true; }
    bool forcedClose = false;
    std::function<void(HWND menuWindow)> onMenu;

    int menusSeen = 0;
    HWND foregroundWhileOpen = nullptr;
    RECT menuRect = {0, 0, 0, 0};

    // The visible popup menu window of this thread, or null.
    static HWND VisibleMenuWindow();

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
    void Act(HWND menuWindow);
    UINT_PTR m_timer = 0;
    int m_choice = 0;
    std::vector<WPARAM> m_keys;
    HWND m_actedOn = nullptr;
    bool m_leaveOpen = false;
    DWORD m_actedAt = 0;
};

// Lets window events run until `done` or `ms` pass; true when done.
bool PumpUntil(const std::function<bool()>& done, DWORD ms = 3000);

// The tray window with every seam faked and the real tray user interface installed.
class TrayUiFixture {
public:
    TrayUiFixture();
    ~TrayUiFixture();

    void Online(DWORD flags = 0x02);
    void Offline();
    void SetOption(const char* key, bool value);
    // A listed application "C:\apps\<name>.exe" (arguments " -q"); when `running`, a process of
    // that path runs with a window "<name> window" and the record holds its id. Its index.
    size_t List(const std::string& name, bool running);
    bool Running(size_t index);

    // Loads the program's tray window (its timer never fires by itself during a test).
    void Load();
    // Loads with the monitor stored as off (so nothing is launched), then switches it on (the
    // menu offering Disable again) and forgets what the load did.
    void LoadIdle(bool wasConnected);
    void Forget();
    // The end of a test: the tray window unloaded without prompts and without the test's
    // handlers. Derived fixtures call it before their own fakes go.
    void UnloadTray();
    tray::frmDialOsprey& Tray() { return tray::TrayWindow(); }
    // A right-button release over the tray icon, as the shell reports it.
    void RightClick() { SendMessageA(Tray().Hwnd(), WM_MOUSEMOVE, 0, WM_RBUTTONUP); }

    FakeSettingsStore settings;
    FakePrompter prompter;
    SteppingClock clock;
    FakeConnectionProbe probe;
    FakeProcesses processes;
    FakeTrayIcon trayIcon;

private:
    tray::ITrayWindowUi* m_previousUi;
};

}  // namespace tw::test
