// TrayMenu: the tray icon's owner-drawn popup menu. Owns the menu (hMenu) and the
// off-screen surface that holds the side-bar picture for the menu's whole height
// (hSideBarDC, with hOldSideBarBitmap, the bitmap it held before), from the first DimMenu to
// Release. Every item, separators included, is drawn here: an icon and a text looked up by
// the item's command id, and in the large layout the side bar down the left edge.
#pragma once
#include <windows.h>

#include <functional>

namespace tw::tray {

// Command ids of the menu's items (also their string and icon ids).
constexpr int kKillAppsCommand = 101;
constexpr int kLaunchAppsCommand = 102;
constexpr int kOptionsCommand = 103;
constexpr int kDisableCommand = 104;
constexpr int kExitCommand = 105;
constexpr int kSeparatorCommand = 200;  // every separator: recognised by this id alone
constexpr int kEnableCommand = 204;
constexpr int kSeparatorHeight = 7;  // at 96 dpi

class TrayMenu {
public:
    // `monitoring` tells whether the monitor runs (item 0 is then "Disable", else "Enable").
    explicit TrayMenu(std::function<bool()> monitoring = nullptr);
    TrayMenu(const TrayMenu&) = delete;
    TrayMenu& operator=(const TrayMenu&) = delete;
    ~TrayMenu();

    // The window that owns the menu: it receives the menu's messages, lends its font and
    // display surface.
    void SetOwner(HWND owner) { m_owner = owner; }
    HWND Owner() const { return m_owner; }
    void SetMonitoring(std::function<bool()> monitoring) { m_monitoring = std::move(monitoring); }

    // Sets the metrics from the SmallIcons option and the screen's DPI and builds the menu;
    // `blnRemove` (a menu exists) releases the current menu and side bar first.
    void DimMenu(bool blnRemove);
    // A new popup menu of the eight owner-drawn items, then its side bar.
    void BuildMenu();
    // Paints the side-bar picture into a new hSideBarDC as high as the menu.
    void BuildMenuSideBar();
    // Item width ItemWidth; height 7 for a separator, else ItemHeight.
    void MeasureMenuItem(MEASUREITEMSTRUCT& record) const;
    // Paints one whole item, whatever drawing action the record asks for.
    void DrawMenuItem(DRAWITEMSTRUCT& record) const;
    // Shows `menu` with its bottom-left corner at (x, y) in screen pixels (-1: the cursor)
    // and tracks it until it closes. The chosen item's command message arrives afterwards.
    void ShowPopupMenu(HMENU menu, int x, int y);
    // The menu's command message: remembers the chosen item.
    void MenuCommand(int commandId) { SelectedCommand = commandId; }
    // Replaces the item `removeId` by an owner-drawn item `insertId` at the top (position 0).
    void ReplaceTopItem(int removeId, int insertId);
    // Destroys the menu, puts hOldSideBarBitmap back into hSideBarDC, deletes the side-bar
    // bitmap this takes out and the surface. Safe to call when nothing is built.
    void Release();

    HMENU hMenu = nullptr;
    HDC hSideBarDC = nullptr;
    HBITMAP hOldSideBarBitmap = nullptr;
    int SelectedCommand = 0;

    // The five metrics and the separators' height, in pixels at the screen's DPI (DimMenu
    // sets them).
    int SideBarImageHeight = 0;
    int SideBarWidth = 0;
    int ItemHeight = 0;
    int ItemWidth = 0;
    int IconSize = 0;
    int SeparatorHeight = kSeparatorHeight;

private:
    HWND m_owner = nullptr;
    int m_designItemHeight = 0;  // ItemHeight at 96 dpi
    std::function<bool()> m_monitoring;
};

}  // namespace tw::tray
