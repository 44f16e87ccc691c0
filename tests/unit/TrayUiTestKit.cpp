#include "TrayUiTestKit.h"

#include "Form.h"
#include "Resources.h"
#include "Shortcut.h"
#include "monitor/modGeneral.h"
#include "resource.h"
#include "startup/RegSet.h"
#include "ui/TrayUi.h"

namespace tw::test {
namespace {

MenuDriver* g_driver = nullptr;
// Real timer ticks never come during a test: ticks are run by hand.
constexpr unsigned kNeverMs = 3600000;

}  // namespace

MenuDriver::MenuDriver() {
    g_driver = this;
    m_timer = SetTimer(nullptr, 0, 25, &MenuDriver::Tick);
}

MenuDriver::~MenuDriver() {
    if (m_timer) KillTimer(nullptr, m_timer);
    g_driver = nullptr;
}

HWND MenuDriver::VisibleMenuWindow() {
    // A closed menu's window can linger hidden: only a visible one counts.
    HWND window = nullptr;
    while ((window = FindWindowExA(nullptr, window, "#32768", nullptr)) != nullptr) {
        if (IsWindowVisible(window) && GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId())
            return window;
    }
    return nullptr;
}

void CALLBACK MenuDriver::Tick(HWND, UINT, UINT_PTR, DWORD) {
    if (!g_driver) return;
    HWND menu = VisibleMenuWindow();
    if (menu && menu != g_driver->m_actedOn) {
        g_driver->Act(menu);
    } else if (menu && g_driver->m_leaveOpen && GetTickCount() - g_driver->m_actedAt > 3000) {
        g_driver->forcedClose = true;
        EndMenu();
    }
}

void MenuDriver::Act(HWND menuWindow) {
    m_actedOn = menuWindow;
    ++menusSeen;
    foregroundWhileOpen = GetForegroundWindow();
    GetWindowRect(menuWindow, &menuRect);
    m_actedAt = GetTickCount();
    if (onMenu) onMenu(menuWindow);
    if (m_leaveOpen) return;
    if (!m_keys.empty()) {
        for (WPARAM key : m_keys) {
            PostMessageA(menuWindow, WM_KEYDOWN, key, 1);
            PostMessageA(menuWindow, WM_KEYUP, key, 0xC0000001);
        }
        return;
    }
    // As the menu does when an item is chosen: the owner gets WM_COMMAND (code 0, no
    // control) once the menu has closed.
    HWND owner = tray::TrayUserInterface().Menu().Owner();
    if (m_choice != 0) PostMessageA(owner, WM_COMMAND, MAKEWPARAM(m_choice, 0), 0);
    EndMenu();
}

bool PumpUntil(const std::function<bool()>& done, DWORD ms) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > ms) return false;
        DoEvents();
        Sleep(5);
    }
    return true;
}

TrayUiFixture::TrayUiFixture() : m_previousUi(tray::SetTrayWindowUi(&tray::TrayUserInterface())) {
    tray::Apps.clear();
    tray::WasConnected = false;
    tray::AutoPrompt = false;
    tray::AppWindowMode.clear();
    tray::SmallIcons = tray::EnableState = tray::AskFirst = false;
    Offline();
}

TrayUiFixture::~TrayUiFixture() {
    UnloadTray();
    tray::SetTrayWindowUi(m_previousUi);
    tray::Apps.clear();
    tray::SetOnlineStartupFolder(std::string());
}

void TrayUiFixture::UnloadTray() {
    // The test's handlers refer to its locals, which are gone by now.
    clock.onWait = nullptr;
    clock.onBeep = nullptr;
    processes.onWait = nullptr;
    processes.onCreate = nullptr;
    trayIcon.onCall = nullptr;
    // No kill prompt at the end of a test: nobody would answer it.
    tray::AskFirst = false;
    if (tray::TrayWindow().IsLoaded()) tray::TrayWindow().Unload();
}

void TrayUiFixture::Online(DWORD flags) {
    probe.result = true;
    probe.flags = flags;
}

void TrayUiFixture::Offline() {
    probe.result = false;
    probe.flags = 0;
}

void TrayUiFixture::SetOption(const char* key, bool value) {
    settings.Set(tray::kSettingsApp, tray::kSettingsSection, key, value ? "True" : "False");
}

size_t TrayUiFixture::List(const std::string& name, bool running) {
    tray::AppInfo app;
    app.Icon = IconToPicture(LoadResIcon(IDI_DEFAULT_APP, SmallIconSize()));  // as the list gives it
    app.FileName = name + ".lnk";
    app.Path = "C:\\apps\\" + name + ".exe";
    app.Arguments = " -q";
    if (running) app.ProcessID = processes.Add(app.Path, name + " window").id;
    tray::Apps.push_back(app);
    return tray::Apps.size() - 1;
}

bool TrayUiFixture::Running(size_t index) {
    FakeProcess* process = processes.Find(tray::Apps[index].ProcessID);
    return process && process->running;
}

void TrayUiFixture::Load() {
    Tray().tmrCheckConnection.SetInterval(kNeverMs);
    Tray().Load();
}

void TrayUiFixture::LoadIdle(bool wasConnected) {
    SetOption("EnableState", true);
    SetOption("Enabled", false);
    Load();
    // Switched on as Enable does it: the menu then offers Disable.
    Tray().tmrCheckConnection.SetEnabled(true);
    tray::TrayUserInterface().Menu().ReplaceTopItem(tray::kEnableCommand, tray::kDisableCommand);
    tray::WasConnected = wasConnected;
    Forget();
}

void TrayUiFixture::Forget() {
    trayIcon.calls.clear();
    processes.created.clear();
    processes.posted.clear();
    processes.waits.clear();
    probe.calls = 0;
    clock.beeps = 0;
    clock.waits = 0;
    prompter.shown.clear();
}

}  // namespace tw::test
