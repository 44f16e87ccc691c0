// The tray icon calls over the installed ITrayIconApi.
#include "TrayIcon.h"

#include <algorithm>
#include <cstring>

#include "Resources.h"
#include "modGeneral.h"

namespace tw::tray {
namespace {

class ShellTrayIcon final : public ITrayIconApi {
public:
    bool NotifyIcon(DWORD message, NOTIFYICONDATAA& data) override {
        return Shell_NotifyIconA(message, &data) != FALSE;
    }
};

#if defined(__i386__)
static_assert(NOTIFYICONDATAA_V1_SIZE == 88, "the shipped program passes the 88-byte record");
#endif

ShellTrayIcon g_shellTrayIcon;
ITrayIconApi* g_trayIcon = &g_shellTrayIcon;

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
    const char* end = static_cast<const char*>(std::memchr(data.szTip, '\0', kTrayTipChars));
    return std::string(data.szTip, end ? end : data.szTip + kTrayTipChars);
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
}

void AddTrayIcon() { TrayIconApi().NotifyIcon(NIM_ADD, TrayIconData); }

void DeleteTrayIcon() { TrayIconApi().NotifyIcon(NIM_DELETE, TrayIconData); }

void UpdateTrayIcon(HICON icon, const std::string& text) {
    TrayIconData.hIcon = icon;
    SetTrayTip(TrayIconData, text);
    TrayIconApi().NotifyIcon(NIM_MODIFY, TrayIconData);
}

}  // namespace tw::tray
