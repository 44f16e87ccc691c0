// The tray menu and the application window as they appear on the screen: the menu in both
// layouts, opened by a right click on the tray icon, with the side bar running down its left
// edge (its rows taken from the off-screen side bar from the menu's first row), one item
// highlighted under the mouse and one grayed; and the application window in its three modes.
// Every length follows the screen's DPI: the suite also runs it at 144 and 192 dpi.
// With TW_SCREENSHOTS set to a folder (a Windows path), the pictures are saved there as
// lookout-menu-large.bmp, lookout-menu-small.bmp and lookout-window-launch/kill/options.bmp.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "Form.h"
#include "Resources.h"
#include "ScreenShot.h"
#include "ShellLinkHelper.h"
#include "TrayUiTestKit.h"
#include "Units.h"
#include "monitor/AppWindow.h"
#include "monitor/modGeneral.h"
#include "startup/RegSet.h"
#include "ui/TrayUi.h"
#include "ui/frmOsprey.h"

namespace {

using namespace tw::tray;
using tw::test::ScreenShot;

// What a look at the open menu found.
struct MenuLook {
    bool seen = false;
    bool highlighted = false;  // the item under the mouse took the highlight colour
    bool textClear = false;    // and its text ends before the item's right edge
    std::vector<RECT> items;   // screen rectangles of the eight items
    RECT window = {};
    int sideBarMismatches = -1;
    COLORREF grayedBackground = 0, grayedLeftEdge = 0, normalBackground = 0;
};

// Looks at the menu while it is tracked: puts the mouse on item `hover`, waits until it is
// highlighted, copies the menu from the screen, then closes it. Runs from a thread timer,
// which fires inside the menu's own loop.
class MenuLooker {
public:
    MenuLooker(int hover, int grayed, const char* shot) : m_hover(hover), m_grayed(grayed), m_shot(shot) {
        s_current = this;
        m_timer = SetTimer(nullptr, 0, 50, &MenuLooker::Tick);
    }
    ~MenuLooker() {
        KillTimer(nullptr, m_timer);
        s_current = nullptr;
    }
    MenuLook look;

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        if (s_current) s_current->Step();
    }
    void Step() {
        HWND menuWindow = tw::test::MenuDriver::VisibleMenuWindow();
        if (!menuWindow || m_done) return;
        TrayMenu& menu = TrayUserInterface().Menu();
        if (!look.seen) {
            look.seen = true;
            GetWindowRect(menuWindow, &look.window);
            for (int i = 0; i < GetMenuItemCount(menu.hMenu); ++i) {
                RECT rect = {};
                GetMenuItemRect(nullptr, menu.hMenu, static_cast<UINT>(i), &rect);
                look.items.push_back(rect);
            }
            const RECT& target = look.items[static_cast<size_t>(m_hover)];
            SetCursorPos((target.left + target.right) / 2, (target.top + target.bottom) / 2);
            m_started = GetTickCount();
            return;
        }
        const RECT& target = look.items[static_cast<size_t>(m_hover)];
        ScreenShot shot(look.window);
        const int ox = look.window.left, oy = look.window.top;
        look.highlighted = shot.Ok() && shot.Pixel(target.right - 3 - ox, target.top + 2 - oy) == GetSysColor(COLOR_HIGHLIGHT);
        if (!look.highlighted && GetTickCount() - m_started < 3000) return;  // not yet repainted
        look.textClear = true;
        for (int y = target.top; y < target.bottom; ++y)
            look.textClear = look.textClear && shot.Pixel(target.right - 3 - ox, y - oy) == GetSysColor(COLOR_HIGHLIGHT);
        const RECT& grayed = look.items[static_cast<size_t>(m_grayed)];
        look.grayedBackground = shot.Pixel(grayed.right - 3 - ox, grayed.top + 2 - oy);
        look.grayedLeftEdge = shot.Pixel(grayed.left + menu.SideBarWidth + 1 - ox, grayed.top + 2 - oy);
        const RECT& exit = look.items.back();
        look.normalBackground = shot.Pixel(exit.right - 3 - ox, exit.top + 2 - oy);
        // The side bar down the left edge: row r of the menu's items is row r of the surface.
        look.sideBarMismatches = 0;
        const RECT& first = look.items.front();
        for (int row = 0; row < exit.bottom - first.top; ++row)
            for (int x = 0; x < menu.SideBarWidth; ++x)
                if (shot.Pixel(first.left - ox + x, first.top - oy + row) != GetPixel(menu.hSideBarDC, x, row))
                    ++look.sideBarMismatches;
        shot.SaveAs(m_shot);
        m_done = true;
        EndMenu();
    }

    static MenuLooker* s_current;
    int m_hover, m_grayed;
    const char* m_shot;
    UINT_PTR m_timer = 0;
    DWORD m_started = 0;
    bool m_done = false;
};
MenuLooker* MenuLooker::s_current = nullptr;

class ScreenTest : public ::testing::Test, public tw::test::TrayUiFixture {
protected:
    static constexpr int kClickX = 500, kClickY = 700;
    ScreenTest() : m_previousWindow(SetAppWindow(&ApplicationWindow())) {
        SetOnlineStartupFolder("C:\\users\\lee\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\Online Startup\\");
    }
    ~ScreenTest() override {
        if (frmOsprey* window = OspreyWindow().Existing()) window->Unload();
        UnloadTray();
        SetAppWindow(m_previousWindow);
    }
    // Right-clicks the icon with the mouse near the bottom, as on a taskbar, and far enough
    // from the right edge for the largest menu (200 %) to open to the right.
    MenuLook LookAtMenu(const char* shot) {
        SetCursorPos(kClickX, kClickY);
        MenuLooker looker(2, 3, shot);  // "Launch Internet Apps..." under the mouse
        RightClick();
        return looker.look;
    }
    // `itemHeight` at 96 dpi.
    void ExpectMenu(const MenuLook& look, int itemHeight) {
        ASSERT_TRUE(look.seen);
        ASSERT_EQ(8u, look.items.size());
        const int item = tw::ScalePixelsToDpi(itemHeight), separator = tw::ScalePixelsToDpi(7);
        const int heights[] = {item, separator, item, item, separator, item, separator, item};
        for (size_t i = 0; i < 8; ++i) EXPECT_EQ(heights[i], look.items[i].bottom - look.items[i].top) << i;
        EXPECT_TRUE(look.highlighted) << "the item under the mouse is highlighted";
        EXPECT_TRUE(look.textClear) << "the longest text fits its item";
        EXPECT_EQ(GetSysColor(COLOR_MENU), look.grayedBackground) << "a grayed item keeps the menu colour";
        EXPECT_EQ(GetSysColor(COLOR_MENU), look.normalBackground);
        EXPECT_EQ(0, look.sideBarMismatches);
        EXPECT_EQ(GetSysColor(COLOR_MENU), look.grayedLeftEdge) << "nothing between side bar and icon";
        // Bottom-left corner at the cursor.
        EXPECT_EQ(kClickX, look.window.left);
        EXPECT_EQ(kClickY, look.window.bottom);
    }

private:
    IAppWindow* m_previousWindow;
};

TEST_F(ScreenTest, TheLargeMenu) {
    List("Mail Checker", false);
    List("News Reader", false);
    LoadIdle(false);
    const MenuLook look = LookAtMenu("lookout-menu-large.bmp");
    ExpectMenu(look, 32);
}

TEST_F(ScreenTest, TheSmallMenu) {
    SetOption("SmallIcons", true);
    List("Mail Checker", false);
    LoadIdle(false);
    ASSERT_EQ(tw::ScalePixelsToDpi(20), TrayUserInterface().Menu().ItemHeight);
    const MenuLook look = LookAtMenu("lookout-menu-small.bmp");
    ExpectMenu(look, 20);
}

// The application window shown in `mode`; gives a copy of it from the screen.
class WindowShot : public ScreenTest {
protected:
    void ListThree() {
        List("Mail Checker", true);
        List("News Reader", false);
        List("Chat", false);
        Apps[0].Path = "C:\\Program Files\\Mail Checker\\mailchk.exe";
        Apps[1].Path = "C:\\Program Files\\News\\reader.exe";
        Apps[1].Arguments = " /background";
        Apps[2].Path = "C:\\Chat\\chat.exe";
        processes.processes[0].path = Apps[0].Path;
    }
    frmOsprey& Show(const std::string& mode, bool autoPrompt) {
        AppWindowMode = mode;
        AutoPrompt = autoPrompt;
        frmOsprey& window = OspreyWindow()();
        window.Show();
        EXPECT_TRUE(window.Visible());
        SetForegroundWindow(window.Hwnd());
        tw::test::PumpUntil([] { return false; }, 300);
        return window;
    }
    void Keep(frmOsprey& window, const char* name) {
        tw::test::PumpUntil([] { return false; }, 300);  // repainted after the last change
        RECT rect;
        GetWindowRect(window.Hwnd(), &rect);
        ScreenShot shot(rect);
        ASSERT_TRUE(shot.Ok());
        // The list's rows are as high as their small icons at least.
        if (window.lvwApps.Visible() && window.lvwApps.RowCount() > 0) {
            RECT row = {LVIR_BOUNDS, 0, 0, 0};
            ASSERT_TRUE(SendMessageA(window.lvwApps.Hwnd(), LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row)));
            EXPECT_GE(row.bottom - row.top, tw::SmallIconSize());
        }
        // Painted: the list or the frame is not one flat colour.
        int differing = 0;
        const COLORREF face = GetSysColor(COLOR_BTNFACE);
        for (int y = 40; y < rect.bottom - rect.top - 40; y += 3)
            for (int x = 20; x < rect.right - rect.left - 20; x += 3)
                if (shot.Pixel(x, y) != face) ++differing;
        EXPECT_GT(differing, 50);
        shot.SaveAs(name);
    }
};

TEST_F(WindowShot, LaunchMode) {
    ListThree();
    LoadIdle(true);
    frmOsprey& window = Show("Launch Apps", false);
    ASSERT_EQ(2, window.lvwApps.RowCount());
    ListView_SetCheckState(window.lvwApps.Hwnd(), 0, TRUE);
    EXPECT_TRUE(window.cmdOk.Enabled());
    Keep(window, "lookout-window-launch.bmp");
}

TEST_F(WindowShot, KillMode) {
    ListThree();
    processes.Add(Apps[2].Path, "Chat");
    LoadIdle(false);
    frmOsprey& window = Show("Kill Apps", true);
    ASSERT_EQ(2, window.lvwApps.RowCount());
    Keep(window, "lookout-window-kill.bmp");
}

TEST_F(WindowShot, NamesBeyondTheCodePageAreShownAsTheyAre) {
    if (!std::getenv("TW_FONT_LINKS")) GTEST_SKIP() << "runs with the fonts for Chinese and emoji linked in (the *_names_* tests)";
    const std::string mail = "\xD0\x9F\xD0\xBE\xD1\x87\xD1\x82\xD0\xB0 \xF0\x9F\x93\xA7";  // "Почта 📧"
    const std::string news = "\xE6\x96\xB0\xE9\x97\xBB";                                   // "新闻"
    List(mail, false);
    List(news, false);
    Apps[0].Path = "C:\\\xD0\x9F\xD1\x80\xD0\xBE\xD0\xB3\xD0\xB0\\mail.exe";  // C:\Прога\mail.exe
    LoadIdle(true);
    frmOsprey& window = Show("Launch Apps", false);
    ASSERT_EQ(2, window.lvwApps.RowCount());
    // What the control itself holds: the names as typed.
    const auto itemText = [&](int item, int subItem) { return tw::test::ListItemText(window.lvwApps.Hwnd(), item, subItem); };
    EXPECT_EQ(tw::test::Utf16(mail), itemText(0, 0));
    EXPECT_EQ(tw::test::Utf16(Apps[0].Path + " -q"), itemText(0, 1));
    EXPECT_EQ(tw::test::Utf16(news), itemText(1, 0));
    Keep(window, "lookout-window-names.bmp");
}

TEST_F(WindowShot, OptionsMode) {
    SetOption("AskFirst", true);
    SetOption("EnableState", true);
    SetOption("NeedInternet", true);
    settings.Set(kSettingsApp, kSettingsSection, "CloseDelay", "120");
    ListThree();
    LoadIdle(false);
    SetCursorPos(0, 0);  // away from the window, so that no tooltip covers it
    frmOsprey& window = Show("Options", false);
    EXPECT_TRUE(window.frmOptions.Visible());
    EXPECT_EQ("120", window.txtCloseDelay.Text());
    // The monitor's rows fit inside the frame, above the folder's caption, at every DPI.
    RECT frame, row;
    GetWindowRect(window.frmOptions.Hwnd(), &frame);
    const tw::Control* rows[] = {&window.chkMeteredOffline, &window.lblStartDelayUnit, &window.lblCloseDelayUnit,
                                 &window.updCloseDelay};
    for (const tw::Control* control : rows) {
        GetWindowRect(control->Hwnd(), &row);
        EXPECT_LT(row.right, frame.right);
        GetWindowRect(window.lblStartupCaption.Hwnd(), &frame);
        EXPECT_LT(row.bottom, frame.top);
        GetWindowRect(window.frmOptions.Hwnd(), &frame);
    }
    Keep(window, "lookout-window-options.bmp");
}

}  // namespace
