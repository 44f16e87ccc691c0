// TrayMenu: building, measuring, drawing and showing the tray popup menu.
#include "TrayMenu.h"

#include <cstddef>
#include <string>

#include "Resources.h"
#include "System.h"
#include "Units.h"
#include "resource.h"
#include "startup/RegSet.h"

namespace tw::tray {
namespace {

// The metrics at 96 dpi; at other resolutions every length grows with the DPI.
struct MenuMetrics {
    int sideBarImageHeight, sideBarWidth, itemHeight, itemWidth, iconSize;
};
constexpr MenuMetrics kSmallMetrics = {0, 0, 20, 145, 16};
constexpr MenuMetrics kLargeMetrics = {160, 21, 32, 190, 32};
// Gaps at 96 dpi: before the icon, and after it before the text (1 + 8).
constexpr int kIconGap = 3;
constexpr int kTextGapBefore = 1;
constexpr int kTextGapAfter = 8;

// DrawStateA flags: DST_ICON 3 or DST_PREFIXTEXT 2, with DSS_DISABLED (32) when grayed.
constexpr UINT kIconNormal = DST_ICON;
constexpr UINT kIconDisabled = DST_ICON | DSS_DISABLED;
constexpr UINT kTextNormal = DST_PREFIXTEXT;
constexpr UINT kTextDisabled = DST_PREFIXTEXT | DSS_DISABLED;

// MENUITEMINFOA as Windows 95 and NT 4 know it (without hbmpItem): InsertMenuItemA of those
// systems refuses the larger size of the Windows 2000 headers, later ones take both.
constexpr UINT kMenuItemInfoSize = offsetof(MENUITEMINFOA, hbmpItem);

// The row at which a popup menu's first item starts, in the coordinates its items are drawn
// in: 0 on Windows, 3 under Wine, which draws the menu's border inside the client area. The
// side bar is copied from the item's row counted from there. 0 when the menu is not shown.
int FirstItemTop(const DRAWITEMSTRUCT& record) {
    HWND menuWindow = WindowFromDC(record.hDC);
    RECT first = {0, 0, 0, 0};
    if (!menuWindow || !GetMenuItemRect(nullptr, reinterpret_cast<HMENU>(record.hwndItem), 0, &first))
        return 0;
    POINT origin = {0, 0};
    ClientToScreen(menuWindow, &origin);
    return first.top - origin.y;
}

}  // namespace

TrayMenu::TrayMenu(std::function<bool()> monitoring) : m_monitoring(std::move(monitoring)) {}

TrayMenu::~TrayMenu() { Release(); }

void TrayMenu::DimMenu(bool blnRemove) {
    // A menu is never left behind: one built before is released even when the caller did not
    // say that one exists.
    if (blnRemove || hMenu || hSideBarDC) Release();
    const MenuMetrics& metrics = SmallIcons ? kSmallMetrics : kLargeMetrics;
    m_designItemHeight = metrics.itemHeight;
    SideBarImageHeight = ScalePixelsToDpi(metrics.sideBarImageHeight);
    SideBarWidth = ScalePixelsToDpi(metrics.sideBarWidth);
    ItemHeight = ScalePixelsToDpi(metrics.itemHeight);
    ItemWidth = ScalePixelsToDpi(metrics.itemWidth);
    IconSize = ScalePixelsToDpi(metrics.iconSize);
    SeparatorHeight = ScalePixelsToDpi(kSeparatorHeight);
    BuildMenu();
}

void TrayMenu::BuildMenu() {
    hMenu = CreatePopupMenu();
    const bool monitoring = m_monitoring ? m_monitoring() : true;
    // No text or data of their own: texts and icons are looked up by id when drawn. The
    // separators are owner-drawn items too, disabled (MF_DISABLED, 2, not MF_GRAYED, 1)
    // so they cannot be chosen.
    const UINT_PTR items[] = {
        static_cast<UINT_PTR>(monitoring ? kDisableCommand : kEnableCommand),
        kSeparatorCommand, kLaunchAppsCommand, kKillAppsCommand, kSeparatorCommand,
        kOptionsCommand, kSeparatorCommand, kExitCommand};
    for (UINT_PTR id : items) {
        const UINT flags = MF_OWNERDRAW | (id == kSeparatorCommand ? MF_DISABLED : MF_ENABLED);
        AppendMenuA(hMenu, flags, id, nullptr);
    }
    BuildMenuSideBar();
}

void TrayMenu::BuildMenuSideBar() {
    // The ordinary items at ItemHeight and three separators: at 96 dpi 181 rows in the large
    // layout, 121 in the small one.
    const int height = (GetMenuItemCount(hMenu) - 3) * ItemHeight + 3 * SeparatorHeight;
    const UniqueBitmap picture = LoadResBitmap(IDB_SIDEBAR);
    WindowDC display(m_owner);
    hSideBarDC = CreateCompatibleDC(display.Get());
    const UniqueDC pictureOwner(CreateCompatibleDC(display.Get()));
    HDC pictureDC = pictureOwner.Get();
    SelectGuard pictureSelected(pictureDC, picture.Get());
    HBITMAP sideBar = CreateCompatibleBitmap(display.Get(), SideBarWidth, height);
    hOldSideBarBitmap = static_cast<HBITMAP>(SelectObject(hSideBarDC, sideBar));

    // The picture is drawn at its own size at 96 dpi and grows with the DPI elsewhere: the
    // source rectangles are the 96-dpi metrics.
    const int designWidth = kLargeMetrics.sideBarWidth;
    SetStretchBltMode(hSideBarDC, SideBarWidth == designWidth ? COLORONCOLOR : HALFTONE);
    SetBrushOrgEx(hSideBarDC, 0, 0, nullptr);
    // The picture's top rows, so that it ends at the bottom of the menu.
    const int top = height - SideBarImageHeight;
    StretchBlt(hSideBarDC, 0, top, SideBarWidth, SideBarImageHeight, pictureDC, 0, 0, designWidth,
               kLargeMetrics.sideBarImageHeight, SRCCOPY);
    // Then the picture's top ItemHeight rows, once per item height, over the rows above it.
    // In the large layout this is one copy at row 0 (top 21, N 0 at 96 dpi) that overlaps the
    // picture; in the small one (N -1) nothing is copied.
    if (top > 0 && ItemHeight > 0) {
        int copies = (height / top) / ItemHeight;
        if (m_designItemHeight < 32) --copies;
        for (int i = 0; i <= copies; ++i)
            StretchBlt(hSideBarDC, 0, i * ItemHeight, SideBarWidth, ItemHeight, pictureDC, 0, 0,
                       designWidth, m_designItemHeight, SRCCOPY);
    }
}

void TrayMenu::MeasureMenuItem(MEASUREITEMSTRUCT& record) const {
    record.itemWidth = static_cast<UINT>(ItemWidth);
    record.itemHeight = static_cast<UINT>(record.itemID == kSeparatorCommand ? SeparatorHeight : ItemHeight);
}

void TrayMenu::DrawMenuItem(DRAWITEMSTRUCT& record) const {
    HDC dc = record.hDC;
    const RECT& item = record.rcItem;
    const int itemHeight = item.bottom - item.top;
    // The item's rows of the side bar, at the item's left edge.
    const int sideBarRow = item.top - FirstItemTop(record);
    auto copySideBar = [&] {
        BitBlt(dc, item.left, item.top, SideBarWidth, itemHeight, hSideBarDC, 0, sideBarRow, SRCCOPY);
    };

    if (record.itemID == kSeparatorCommand) {
        HBRUSH face = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
        FillRect(dc, &item, face);
        DeleteObject(face);
        // A sunken outer edge round a rectangle 2 pixels high in the item's middle: an etched
        // line (rows 3 and 4 of the 7-pixel item at 96 dpi).
        const int lineTop = item.top + itemHeight / 2;
        RECT line = {item.left + SideBarWidth + 2, lineTop, item.right - 1, lineTop + 2};
        DrawEdge(dc, &line, BDR_SUNKENOUTER, BF_RECT);
        copySideBar();
        return;
    }

    const std::string text = LoadResString(record.itemID);
    // An icon image that fits the IconSize box, centred in it: stretched from a smaller
    // image it would blur.
    const int iconSize = SharpIconSize(IconSize);
    const UniqueIcon icon = LoadResIcon(LOWORD(record.itemID), iconSize);

    // Grayed wins over selected: a grayed item keeps the menu colours while highlighted.
    COLORREF back, fore;
    UINT iconFlags, textFlags;
    if (record.itemState & ODS_GRAYED) {
        back = GetSysColor(COLOR_MENU);
        fore = GetSysColor(COLOR_MENUTEXT);
        iconFlags = kIconDisabled;
        textFlags = kTextDisabled;
    } else if (record.itemState & ODS_SELECTED) {
        back = GetSysColor(COLOR_HIGHLIGHT);
        fore = GetSysColor(COLOR_HIGHLIGHTTEXT);
        iconFlags = kIconNormal;
        textFlags = kTextNormal;
    } else {
        back = GetSysColor(COLOR_MENU);
        fore = GetSysColor(COLOR_MENUTEXT);
        iconFlags = kIconNormal;
        textFlags = kTextNormal;
    }
    const UniqueBrush brushOwner(CreateSolidBrush(back));
    HBRUSH brush = brushOwner.Get();
    const COLORREF oldBack = SetBkColor(dc, back);
    const COLORREF oldFore = SetTextColor(dc, fore);
    // The owner's own font, borrowed (WM_GETFONT); not released here.
    auto font = reinterpret_cast<HFONT>(SendMessageA(m_owner, WM_GETFONT, 0, 0));
    HGDIOBJ oldFont = font ? SelectObject(dc, font) : nullptr;
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    const SIZE extent = sys::TextExtent(dc, text);

    RECT fill = {SideBarWidth, item.top, item.right + 1, item.bottom};
    FillRect(dc, &fill, brush);
    copySideBar();
    const int middle = (item.top + item.bottom) / 2;
    if (icon)
        DrawStateA(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(icon.Get()), 0,
                   item.left + SideBarWidth + ScalePixelsToDpi(kIconGap) + (IconSize - iconSize) / 2,
                   middle - iconSize / 2, iconSize, iconSize, iconFlags);
    if (!text.empty())
        sys::DrawStateText(dc, text,
                           item.left + SideBarWidth + ScalePixelsToDpi(kTextGapBefore) + IconSize +
                               ScalePixelsToDpi(kTextGapAfter),
                           middle - extent.cy / 2, extent.cx, extent.cy, textFlags);

    if (oldFont) SelectObject(dc, oldFont);
    if (oldBrush) SelectObject(dc, oldBrush);
    SetTextColor(dc, oldFore);
    SetBkColor(dc, oldBack);
}

void TrayMenu::ShowPopupMenu(HMENU menu, int x, int y) {
    if (x == -1 || y == -1) {
        POINT cursor = {0, 0};
        GetCursorPos(&cursor);
        x = cursor.x;
        y = cursor.y;
    }
    // A tray menu closes on a click elsewhere or Escape only when its owner is the
    // foreground window while it tracks; and the null message afterwards makes the owner
    // take its next activation normally (the well-known TrackPopupMenu remedy, KB135788).
    SetForegroundWindow(m_owner);
    TrackPopupMenuEx(menu, TPM_LEFTALIGN | TPM_BOTTOMALIGN | TPM_LEFTBUTTON, x, y, m_owner, nullptr);
    PostMessageA(m_owner, WM_NULL, 0, 0);
}

void TrayMenu::ReplaceTopItem(int removeId, int insertId) {
    RemoveMenu(hMenu, static_cast<UINT>(removeId), MF_BYCOMMAND);
    MENUITEMINFOA info = {};
    info.cbSize = kMenuItemInfoSize;
    info.fMask = MIIM_TYPE | MIIM_ID;
    info.fType = MFT_OWNERDRAW;
    info.wID = static_cast<UINT>(insertId);
    InsertMenuItemA(hMenu, 0, TRUE, &info);
}

void TrayMenu::Release() {
    if (hMenu) DestroyMenu(hMenu);
    hMenu = nullptr;
    if (hSideBarDC) {
        HGDIOBJ sideBar = hOldSideBarBitmap ? SelectObject(hSideBarDC, hOldSideBarBitmap) : nullptr;
        if (sideBar && sideBar != HGDI_ERROR) DeleteObject(sideBar);
        DeleteDC(hSideBarDC);
    }
    hSideBarDC = nullptr;
    hOldSideBarBitmap = nullptr;
}

}  // namespace tw::tray
