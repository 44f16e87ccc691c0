// The tray icon calls over the installed ITrayIconApi.
#include "TrayIcon.h"

#include <algorithm>
#include <cstring>

#include "Resources.h"
#include "System.h"
#include "modGeneral.h"

namespace tw::tray {
namespace {

// Wine's stand-alone tray window (the one it shows when the desktop has no system tray of
// its own) draws a new icon over the old one without erasing it, so every pixel that is
// transparent in the new icon keeps the old icon's colour: 703 after 706 looks like 706.
// After a modification the window is told to erase and repaint itself, its icons included,
// at once and again a moment later: when its own repaint of the icon is under way as the
// first request arrives, that request is lost in it. No such window exists on Windows.
constexpr char kWineStandaloneTray[] = "__winex11_standalone_tray";
constexpr UINT kRepaintAgainMs = 250;
UINT_PTR g_repaintTimer = 0;

bool RepaintStandaloneTray() {
    HWND tray = sys::FindWindowOfClass(kWineStandaloneTray);
    return tray && RedrawWindow(tray, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void CALLBACK RepaintStandaloneTrayAgain(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    g_repaintTimer = 0;
    RepaintStandaloneTray();
}

class ShellTrayIcon final : public ITrayIconApi {
public:
    bool NotifyIcon(DWORD message, NOTIFYICONDATAA& data) override {
        const bool done = Shell_NotifyIconA(message, &data) != FALSE;
        // One pending timer at most: setting it again moves it.
        if (done && message == NIM_MODIFY && RepaintStandaloneTray())
            g_repaintTimer = SetTimer(nullptr, g_repaintTimer, kRepaintAgainMs, &RepaintStandaloneTrayAgain);
        return done;
    }
};

#if defined(__i386__)
static_assert(NOTIFYICONDATAA_V1_SIZE == 88, "the shipped program passes the 88-byte record");
#endif

ShellTrayIcon g_shellTrayIcon;
ITrayIconApi* g_trayIcon = &g_shellTrayIcon;
// True while the shell shows what TrayIconData holds: its last add or modify succeeded.
bool g_trayShowsRecord = false;

}  // namespace

ITrayIconApi& TrayIconApi() { return *g_trayIcon; }

ITrayIconApi* SetTrayIconApi(ITrayIconApi* api) {
    ITrayIconApi* previous = g_trayIcon;
    g_trayIcon = api ? api : &g_shellTrayIcon;
    return previous;
}

int TrayIconSize() { return SmallIconSize(); }

void SetTrayTip(NOTIFYICONDATAA& data, const std::string& tip) {
    static_assert(sizeof(data.szTip) >= kTrayTipChars, "the tip field holds 64 characters");
    const size_t length = std::min<size_t>(tip.size(), kTrayTipChars - 1);
    std::memset(data.szTip, ' ', kTrayTipChars);
    std::memcpy(data.szTip, tip.data(), length);
    data.szTip[length] = '\0';
}

std::string TrayTip(const NOTIFYICONDATAA& data) {
    const size_t field = data.cbSize == NOTIFYICONDATAA_V2_SIZE ? kLongTrayTipChars : kTrayTipChars;
    const char* end = static_cast<const char*>(std::memchr(data.szTip, '\0', field));
    return std::string(data.szTip, end ? end : data.szTip + field);
}

void FillTrayIconData(HWND window, HICON icon, const std::string& tip) {
    TrayIconData = NOTIFYICONDATAA{};
    // The record as the first shell versions know it: with this size every shell takes it
    // and reads a 64-character tip (88 bytes in a 32-bit program).
    TrayIconData.cbSize = NOTIFYICONDATAA_V1_SIZE;
    TrayIconData.hWnd = window;
    TrayIconData.uID = kTrayIconId;
    TrayIconData.uFlags = kTrayIconFlags;
    TrayIconData.uCallbackMessage = kTrayCallbackMessage;
    TrayIconData.hIcon = icon;
    SetTrayTip(TrayIconData, tip);
    g_trayShowsRecord = false;
}

void AddTrayIcon() { g_trayShowsRecord = TrayIconApi().NotifyIcon(NIM_ADD, TrayIconData); }

void DeleteTrayIcon() {
    TrayIconApi().NotifyIcon(NIM_DELETE, TrayIconData);
    g_trayShowsRecord = false;
}

void SetLongTrayTip(NOTIFYICONDATAA& data, const std::string& tip) {
    const size_t length = std::min<size_t>(tip.size(), kLongTrayTipChars - 1);
    std::memcpy(data.szTip, tip.data(), length);
    data.szTip[length] = '\0';
    data.cbSize = NOTIFYICONDATAA_V2_SIZE;
}

void UpdateTrayIcon(HICON icon, const std::string& text) {
    NOTIFYICONDATAA next = TrayIconData;
    next.hIcon = icon;
    next.cbSize = NOTIFYICONDATAA_V1_SIZE;
    SetTrayTip(next, text);
    const bool longTip = text.size() >= kTrayTipChars;
    if (longTip) SetLongTrayTip(next, text);
    if (g_trayShowsRecord && next.hIcon == TrayIconData.hIcon && next.cbSize == TrayIconData.cbSize &&
        TrayTip(next) == TrayTip(TrayIconData))
        return;
    TrayIconData = next;
    // A refused modification is sent again at the next update, changed or not.
    g_trayShowsRecord = TrayIconApi().NotifyIcon(NIM_MODIFY, TrayIconData);
    if (g_trayShowsRecord || !longTip) return;
    // A shell older than version 5 takes only the original record: the tip cut to fit it.
    TrayIconData.cbSize = NOTIFYICONDATAA_V1_SIZE;
    SetTrayTip(TrayIconData, text);
    g_trayShowsRecord = TrayIconApi().NotifyIcon(NIM_MODIFY, TrayIconData);
}

}  // namespace tw::tray
