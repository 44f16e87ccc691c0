#include "MonitorFakes.h"

#include "monitor/modGeneral.h"

namespace tw::test {

FakeTrayIcon::FakeTrayIcon() : m_previous(tray::SetTrayIconApi(this)) {}
FakeTrayIcon::~FakeTrayIcon() { tray::SetTrayIconApi(m_previous); }

bool FakeTrayIcon::NotifyIcon(DWORD message, NOTIFYICONDATAA& data) {
    calls.push_back({message, data, tray::TrayTip(data)});
    if (onCall) onCall(calls.back());
    if (result && (message == NIM_ADD || message == NIM_MODIFY)) {
        showing = true;
        shown = calls.back();
    }
    if (message == NIM_DELETE) showing = false;
    return result;
}

int FakeTrayIcon::Count(DWORD message) const {
    int count = 0;
    for (const Call& call : calls)
        if (call.message == message) ++count;
    return count;
}

const FakeTrayIcon::Call* FakeTrayIcon::Last(DWORD message) const {
    for (auto it = calls.rbegin(); it != calls.rend(); ++it)
        if (it->message == message) return &*it;
    return nullptr;
}

SteppingClock::SteppingClock() : m_previous(SetClock(this)) {}
SteppingClock::~SteppingClock() { SetClock(m_previous); }

void SteppingClock::WaitForEvents(unsigned milliseconds) {
    ++waits;
    if (onWait) onWait();
    now += milliseconds / 1000.0;
}

void SteppingClock::Beep() {
    ++beeps;
    if (onBeep) onBeep();
}

FakeAppWindow::FakeAppWindow() : m_previous(tray::SetAppWindow(this)) {}
FakeAppWindow::~FakeAppWindow() { tray::SetAppWindow(m_previous); }

void FakeAppWindow::ShowModal() {
    openings.push_back({tray::AppWindowMode, tray::AutoPrompt});
    open = true;
    if (onShowModal) onShowModal();
    // The window's unload clears AutoPrompt.
    if (open) Unload();
}

void FakeAppWindow::Unload() {
    ++unloadCalls;
    if (!open) return;
    ++unloads;
    open = false;
    tray::AutoPrompt = false;
}

FakeTrayUi::FakeTrayUi() : m_previous(tray::SetTrayWindowUi(this)) {}
FakeTrayUi::~FakeTrayUi() { tray::SetTrayWindowUi(m_previous); }

void FakeTrayUi::Attach(tray::frmDialOsprey&) {
    log.push_back("attach");
    if (onEvent) onEvent("attach");
}

void FakeTrayUi::Detach(tray::frmDialOsprey&) {
    log.push_back("detach");
    if (onEvent) onEvent("detach");
}

void FakeTrayUi::TrayMouse(tray::frmDialOsprey&, UINT mouseMessage) { mouse.push_back(mouseMessage); }

}  // namespace tw::test
