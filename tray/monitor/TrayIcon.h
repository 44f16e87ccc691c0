// The tray icon: the notification-area icon of the tray window, its tooltip and its mouse
// callback, all through TrayIconData (modGeneral.h). The Shell_NotifyIconA call sits
// behind a seam so tests see every add, modify and delete.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include <string>

namespace tw::tray {

class ITrayIconApi {
public:
    virtual ~ITrayIconApi() = default;
    // Shell_NotifyIconA(message, &data): NIM_ADD, NIM_MODIFY or NIM_DELETE; its result.
    virtual bool NotifyIcon(DWORD message, NOTIFYICONDATAA& data) = 0;
};

// The installed tray (by default the shell's).
ITrayIconApi& TrayIconApi();
// Installs a tray (nullptr restores the shell's) and returns the previous one.
ITrayIconApi* SetTrayIconApi(ITrayIconApi* api);

// The record's fixed fields.
constexpr UINT kTrayIconId = 1;
constexpr UINT kTrayIconFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;  // 7, never changed
// Tray events arrive as WM_MOUSEMOVE (0x200) with the mouse message in lParam.
constexpr UINT kTrayCallbackMessage = WM_MOUSEMOVE;
// The tip field's width in the record's original layout.
constexpr int kTrayTipChars = 64;

// The size, in pixels, the tray icons are loaded at: the small icon size the system asks
// for at the screen's DPI (16 at 100 %, 20 at 125 %, 24 at 150 %).
int TrayIconSize();

// Fills TrayIconData for `window` with `icon` and the tip `tip`; the other fields as above.
void FillTrayIconData(HWND window, HICON icon, const std::string& tip);
// Puts `tip` into the record's tip field: the text, a NUL, then blanks to 64 characters
// (a longer text is cut to 63).
void SetTrayTip(NOTIFYICONDATAA& data, const std::string& tip);
// The tip field of the record's size (64 or 128 characters) up to its NUL.
std::string TrayTip(const NOTIFYICONDATAA& data);
// The tip field of the record shell version 5 takes (NOTIFYICONDATAA_V2_SIZE): 128
// characters. Only the texts of the monitor's own options (a delay's countdown after a long
// status) need it.
constexpr int kLongTrayTipChars = 128;
// Puts a tip of up to 127 characters and a NUL into the record and gives it that size.
void SetLongTrayTip(NOTIFYICONDATAA& data, const std::string& tip);

// Shell_NotifyIconA with TrayIconData: NIM_ADD, NIM_DELETE.
void AddTrayIcon();
void DeleteTrayIcon();
// Puts `icon` and the tooltip `text` on the tray icon (NIM_MODIFY); the other fields stay
// as set at load. A text longer than 63 characters goes in the longer record; a shell that
// refuses it is sent the original record with the text cut to 63. Nothing is sent when the shell already shows that icon and text (its last
// add or modify with them succeeded).
void UpdateTrayIcon(HICON icon, const std::string& text);

}  // namespace tw::tray
