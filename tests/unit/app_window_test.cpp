// The application window frmOsprey on the real tray window with every seam faked: its
// controls, captions, tooltips, positions and icon in each mode, the rows it lists with
// AutoPrompt on and off, the check change, OK in each mode, Cancel and the close box in
// Options mode, Escape, and the AskFirst paths of the tray window that now open it.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "Resources.h"
#include "ScreenShot.h"
#include "TrayUiTestKit.h"
#include "Units.h"
#include "apps/Launch.h"
#include "monitor/AppWindow.h"
#include "monitor/modGeneral.h"
#include "resource.h"
#include "startup/RegSet.h"
#include "ui/TrayUi.h"
#include "ui/frmOsprey.h"

namespace {

using namespace tw::tray;
using tw::test::IconWidth;
using tw::test::PumpUntil;

// The pixels of an icon drawn at 32 x 32 on white.
std::vector<COLORREF> IconPixels(HICON icon) {
    std::vector<COLORREF> pixels;
    HDC dc = CreateCompatibleDC(nullptr);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = 32;
    info.bmiHeader.biHeight = -32;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT all = {0, 0, 32, 32};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    DrawIconEx(dc, 0, 0, icon, 32, 32, 0, nullptr, DI_NORMAL);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) pixels.push_back(GetPixel(dc, x, y));
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return pixels;
}

std::vector<COLORREF> ResourceIconPixels(int id) {
    const tw::UniqueIcon icon = tw::LoadResIcon(static_cast<UINT>(id), 32);
    EXPECT_TRUE(icon);
    std::vector<COLORREF> pixels = IconPixels(icon.Get());
    return pixels;
}

std::string WindowText(HWND window) {
    char text[512] = {};
    GetWindowTextA(window, text, sizeof(text));
    return text;
}

struct ToolTipSearch {
    HWND owner;
    HWND tip;
};

// (A named CALLBACK: a lambda does not convert to a stdcall pointer on 32-bit Windows.)
BOOL CALLBACK FindToolTip(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<ToolTipSearch*>(param);
    char name[64] = {};
    GetClassNameA(window, name, sizeof(name));
    if (lstrcmpiA(name, TOOLTIPS_CLASSA) == 0 && GetWindow(window, GW_OWNER) == search->owner) {
        search->tip = window;
        return FALSE;
    }
    return TRUE;
}

// The tooltip text the form's tooltip control holds for `control`.
std::string ToolTipOf(HWND form, HWND control) {
    ToolTipSearch search = {form, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), FindToolTip, reinterpret_cast<LPARAM>(&search));
    if (!search.tip) return "(no tooltip control)";
    char text[512] = {};
    TOOLINFOA info = {};
    info.cbSize = sizeof(info);
    info.hwnd = form;
    info.uId = reinterpret_cast<UINT_PTR>(control);
    info.lpszText = text;
    SendMessageA(search.tip, TTM_GETTEXTA, sizeof(text), reinterpret_cast<LPARAM>(&info));
    return text;
}

// A control's rectangle in its form's client area, in pixels.
RECT ClientRectOf(HWND control) {
    RECT rect = {};
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// The width of `text` in the control's font, in pixels.
int TextWidth(HWND control, const char* text) {
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
    SIZE size = {0, 0};
    GetTextExtentPoint32A(dc, text, lstrlenA(text), &size);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return size.cx;
}

void ExpectPlaced(HWND control, int left, int top, int width, int height) {
    const RECT rect = ClientRectOf(control);
    EXPECT_EQ(tw::TwipsToPixelsX(left), rect.left);
    EXPECT_EQ(tw::TwipsToPixelsY(top), rect.top);
    EXPECT_EQ(tw::TwipsToPixelsX(width), rect.right - rect.left);
    EXPECT_EQ(tw::TwipsToPixelsY(height), rect.bottom - rect.top);
}

// In Options mode the frame, the window and what lies below the three check boxes move
// down by the four rows of the monitor's own options.
constexpr int kMonitorRows = 4 * 480;

int ClientHeight(HWND window) {
    RECT rect = {};
    GetClientRect(window, &rect);
    return rect.bottom;
}

// Runs `action` once, from a thread timer, as soon as the application window is shown.
class WindowDriver {
public:
    explicit WindowDriver(std::function<void(frmOsprey&)> action) : m_action(std::move(action)) {
        s_current = this;
        m_timer = SetTimer(nullptr, 0, 25, &WindowDriver::Tick);
    }
    ~WindowDriver() {
        KillTimer(nullptr, m_timer);
        s_current = nullptr;
    }
    int runs = 0;

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        WindowDriver* driver = s_current;
        if (!driver || driver->runs > 0) return;
        frmOsprey* window = OspreyWindow().Existing();

        if (!window || !window->Visible()) return;
        ++driver->runs;
        driver->m_action(*window);
    }
    static WindowDriver* s_current;
    std::function<void(frmOsprey&)> m_action;
    UINT_PTR m_timer;
};
WindowDriver* WindowDriver::s_current = nullptr;

class AppWindowTest : public ::testing::Test, public tw::test::TrayUiFixture {
protected:
    AppWindowTest() : m_previousWindow(SetAppWindow(&ApplicationWindow())) {
        SetOnlineStartupFolder("C:\\Test Profile\\Start Menu\\Programs\\Online Startup\\");
    }
    ~AppWindowTest() override {
        if (frmOsprey* window = OspreyWindow().Existing()) window->Unload();
        UnloadTray();
        SetAppWindow(m_previousWindow);
    }

    // Opens the window in `mode` without its modal loop and gives it.
    frmOsprey& Open(const std::string& mode, bool autoPrompt) {
        AppWindowMode = mode;
        AutoPrompt = autoPrompt;
        frmOsprey& window = OspreyWindow()();
        window.Load();
        EXPECT_TRUE(window.IsLoaded());
        return window;
    }
    // The four applications of the list tests: Mail runs (its id known), News does not,
    // Chat was started by hand (its id not yet known), Game's known process has ended.
    void ListFour() {
        mail = List("Mail", true);
        news = List("News", false);
        chat = List("Chat", false);
        chatId = processes.Add(Apps[chat].Path, "Chat window").id;
        game = List("Game", true);
        processes.End(Apps[game].ProcessID);
    }
    std::vector<std::string> RowTexts(frmOsprey& window) {
        std::vector<std::string> texts;
        for (int row = 1; row <= window.lvwApps.RowCount(); ++row) texts.push_back(window.lvwApps.RowText(row));
        return texts;
    }
    // A user's check-box click on row `row` (from 1): the control's own state change.
    void UserCheck(frmOsprey& window, int row, bool checked) {
        ListView_SetCheckState(window.lvwApps.Hwnd(), row - 1, checked ? TRUE : FALSE);
    }
    void UserClick(tw::CheckBox& box) { SendMessageA(box.Hwnd(), BM_CLICK, 0, 0); }

    size_t mail = 0, news = 0, chat = 0, game = 0;
    ProcessId chatId = 0;

private:
    IAppWindow* m_previousWindow;
};

// ---- Controls ----

TEST_F(AppWindowTest, LaunchModeControlsAndLayout) {
    LoadIdle(false);
    frmOsprey& window = Open("Launch Apps", false);
    EXPECT_EQ("Launch Apps", window.Caption());
    EXPECT_EQ(5535, window.ScaleWidth());
    EXPECT_EQ(3375, window.ScaleHeight());
    // Centred to the twip, placed to the pixel.
    EXPECT_NEAR((tw::ScreenWidthTwips() - window.Width()) / 2, window.Left(), tw::TwipsPerPixelX() - 1);
    EXPECT_NEAR((tw::ScreenHeightTwips() - window.Height()) / 2, window.Top(), tw::TwipsPerPixelY() - 1);
    EXPECT_NE(0, GetWindowLongPtrA(window.Hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST);

    ExpectPlaced(window.lvwApps.Hwnd(), 120, 120, 5295, 2295);
    // The window is loaded, not shown: the list itself is shown, and so appears with it.
    EXPECT_NE(0, GetWindowLongPtrA(window.lvwApps.Hwnd(), GWL_STYLE) & WS_VISIBLE);
    EXPECT_TRUE(window.lvwApps.Visible());
    EXPECT_EQ(2, window.lvwApps.ColumnCount());
    EXPECT_EQ(ListView_GetColumnWidth(window.lvwApps.Hwnd(), 0), ListView_GetColumnWidth(window.lvwApps.Hwnd(), 1));
    EXPECT_NE(0, ListView_GetExtendedListViewStyle(window.lvwApps.Hwnd()) & LVS_EX_CHECKBOXES);
    EXPECT_EQ(window.imlSmallIcons.Handle(), ListView_GetImageList(window.lvwApps.Hwnd(), LVSIL_SMALL));

    EXPECT_FALSE(window.frmOptions.Visible());
    EXPECT_FALSE(IsWindowVisible(window.chkAskFirst.Hwnd()));
    ExpectPlaced(window.cmdOk.Hwnd(), 4200, 2520, 1215, 345);
    ExpectPlaced(window.cmdCancel.Hwnd(), 4200, 2880, 1215, 345);
    ExpectPlaced(window.cmdApply.Hwnd(), 2880, 2520, 1215, 345);
    EXPECT_FALSE(window.cmdOk.Enabled());
    EXPECT_TRUE(window.cmdCancel.Enabled());
    EXPECT_FALSE(window.cmdApply.Visible());
    EXPECT_FALSE(window.cmdApply.Enabled());
    // Ok is the default button, in bold.
    EXPECT_EQ(static_cast<LONG_PTR>(BS_DEFPUSHBUTTON), GetWindowLongPtrA(window.cmdOk.Hwnd(), GWL_STYLE) & 0x0F);
    LOGFONTA font = {};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(window.cmdOk.Hwnd(), WM_GETFONT, 0, 0)), sizeof(font), &font);
    EXPECT_EQ(FW_BOLD, font.lfWeight);
}

TEST_F(AppWindowTest, CaptionsAndToolTips) {
    LoadIdle(false);
    frmOsprey& window = Open("Options", false);
    const std::string folderTip = "This is the folder were the Online StartUp shortcuts are located. ";
    struct Row {
        tw::Control* control;
        const char* caption;
        std::string tip;
    };
    const Row rows[] = {
        {&window.frmOptions, "General", ""},
        {&window.chkSmallIcons, "Show &small icons in menu", "Reduces the size of the menu."},
        {&window.chkEnableState, "&Remember enable state at close",
         "Osprey will start in the same enable state as it was last closed in."},
        {&window.chkAskFirst, "&Ask before manipulating apps", "Prompt the user before launching or killing any apps."},
        {&window.lblStartupCaption, "&Online StartUp Folder:", folderTip},
        {&window.cmdOk, "&Ok", ""},
        {&window.cmdCancel, "&Cancel", ""},
        {&window.cmdApply, "&Apply", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.caption);
        EXPECT_EQ(row.caption, WindowText(row.control->Hwnd()));
        EXPECT_EQ(row.tip, ToolTipOf(window.Hwnd(), row.control->Hwnd()));
    }
    EXPECT_EQ(folderTip, ToolTipOf(window.Hwnd(), window.lblStartUpFolder.Hwnd()));
}

TEST_F(AppWindowTest, OptionsModeRearrangesTheButtonsAndShowsTheOptions) {
    LoadIdle(false);
    struct Row {
        bool smallIcons, enableState, askFirst;
    };
    for (const Row& row : {Row{false, false, false}, Row{true, false, true}, Row{false, true, false},
                           Row{true, true, true}}) {
        SCOPED_TRACE(testing::Message() << row.smallIcons << row.enableState << row.askFirst);
        SmallIcons = row.smallIcons;
        EnableState = row.enableState;
        AskFirst = row.askFirst;
        frmOsprey& window = Open("Options", false);
        EXPECT_EQ("Options", window.Caption());
        EXPECT_FALSE(window.lvwApps.Visible());
        EXPECT_TRUE(window.frmOptions.Visible());
        // The frame and the window grow by the monitor's four option rows; the list modes
        // keep the design size.
        ExpectPlaced(window.frmOptions.Hwnd(), 120, 120, 5295, 2655 + kMonitorRows);
        EXPECT_NEAR(tw::TwipsToPixelsY(3375 + kMonitorRows), ClientHeight(window.Hwnd()), 1);
        ExpectPlaced(window.chkSmallIcons.Hwnd(), 120 + 240, 120 + 360, 2175, 255);
        ExpectPlaced(window.chkEnableState.Hwnd(), 120 + 240, 120 + 840, 2655, 255);
        ExpectPlaced(window.chkAskFirst.Hwnd(), 120 + 240, 120 + 1320, 2775, 255);
        // The caption is at least as wide as designed, wider when the system font needs it.
        const RECT caption = ClientRectOf(window.lblStartupCaption.Hwnd());
        EXPECT_EQ(tw::TwipsToPixelsX(120 + 240), caption.left);
        EXPECT_EQ(tw::TwipsToPixelsY(120 + 1920 + kMonitorRows), caption.top);
        EXPECT_EQ(tw::TwipsToPixelsY(195), caption.bottom - caption.top);
        EXPECT_GE(caption.right - caption.left, tw::TwipsToPixelsX(1560));
        EXPECT_GE(caption.right - caption.left, TextWidth(window.lblStartupCaption.Hwnd(), "Online StartUp Folder:"));
        ExpectPlaced(window.lblStartUpFolder.Hwnd(), 120 + 240, 120 + 2160 + kMonitorRows, 4815, 255);
        // Under the three check boxes, 480 twips apart as they are.
        ExpectPlaced(window.chkNeedInternet.Hwnd(), 120 + 240, 120 + 1800, 4815, 255);
        ExpectPlaced(window.chkMeteredOffline.Hwnd(), 120 + 240, 120 + 2280, 4815, 255);
        const RECT startField = ClientRectOf(window.txtStartDelay.Hwnd());
        const RECT closeField = ClientRectOf(window.txtCloseDelay.Hwnd());
        EXPECT_EQ(tw::TwipsToPixelsY(120 + 2760), startField.top);
        EXPECT_EQ(tw::TwipsToPixelsY(120 + 3240), closeField.top);
        EXPECT_EQ(startField.right, ClientRectOf(window.updStartDelay.Hwnd()).left) << "spin buttons beside the field";
        EXPECT_GT(startField.left, ClientRectOf(window.lblStartDelay.Hwnd()).right) << "the caption before it";
        EXPECT_LT(ClientRectOf(window.lblCloseDelayUnit.Hwnd()).right, ClientRectOf(window.frmOptions.Hwnd()).right);
        // One row, 30 twips apart, ending where Cancel stood: Ok, Cancel, Apply.
        ExpectPlaced(window.cmdOk.Hwnd(), 1710, 2880 + kMonitorRows, 1215, 345);
        ExpectPlaced(window.cmdCancel.Hwnd(), 2955, 2880 + kMonitorRows, 1215, 345);
        ExpectPlaced(window.cmdApply.Hwnd(), 4200, 2880 + kMonitorRows, 1215, 345);
        EXPECT_TRUE(window.cmdApply.Visible());
        EXPECT_FALSE(window.cmdApply.Enabled());
        EXPECT_TRUE(window.cmdOk.Enabled());
        EXPECT_EQ("C:\\Test Profile\\Start Menu\\Programs\\Online Startup\\", window.lblStartUpFolder.Caption());
        EXPECT_EQ(OnlineStartupFolder(), WindowText(window.lblStartUpFolder.Hwnd()));
        EXPECT_EQ(row.smallIcons ? 1 : 0, window.chkSmallIcons.Value());
        EXPECT_EQ(row.enableState ? 1 : 0, window.chkEnableState.Value());
        EXPECT_EQ(row.askFirst ? 1 : 0, window.chkAskFirst.Value());
        EXPECT_EQ(0, window.lvwApps.RowCount());
        window.Unload();
    }
}

TEST_F(AppWindowTest, ALongStartUpFolderWrapsInsideTheFrame) {
    const std::string folder =
        "C:\\Documents and Settings\\A User With A Long Name\\Start Menu\\Programs\\Online Startup\\";
    SetOnlineStartupFolder(folder);
    LoadIdle(false);
    frmOsprey& window = Open("Options", false);
    EXPECT_EQ(folder, WindowText(window.lblStartUpFolder.Hwnd())) << "the whole path";
    const RECT label = ClientRectOf(window.lblStartUpFolder.Hwnd());
    const RECT frame = ClientRectOf(window.frmOptions.Hwnd());
    EXPECT_GT(label.bottom - label.top, tw::TwipsToPixelsY(255)) << "two lines";
    EXPECT_LT(label.bottom, frame.bottom) << "inside the frame";
    EXPECT_EQ(tw::TwipsToPixelsY(120 + 2160 + kMonitorRows), label.top);
    EXPECT_EQ(tw::TwipsToPixelsX(4815), label.right - label.left);
}

TEST_F(AppWindowTest, TheIconFollowsTheMode) {
    LoadIdle(false);
    struct Row {
        const char* mode;
        int icon;
    };
    const Row rows[] = {{"Launch Apps", 302}, {"Kill Apps", 301}, {"Options", 303},
                        {"Killjoy", 301}, {"options", 302}, {"Kill", 301}, {"", 302}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.mode);
        EXPECT_EQ(row.icon, frmOsprey::ModeIconId(row.mode));
        frmOsprey& window = Open(row.mode, false);
        auto icon = reinterpret_cast<HICON>(SendMessageA(window.Hwnd(), WM_GETICON, ICON_BIG, 0));
        ASSERT_NE(nullptr, icon);
        EXPECT_EQ(ResourceIconPixels(row.icon), IconPixels(icon));
        // The title bar's copy at the small size, the task switcher's at the large one.
        auto small = reinterpret_cast<HICON>(SendMessageA(window.Hwnd(), WM_GETICON, ICON_SMALL, 0));
        EXPECT_EQ(GetSystemMetrics(SM_CXSMICON), IconWidth(small));
        EXPECT_EQ(GetSystemMetrics(SM_CXICON), IconWidth(icon));
        EXPECT_EQ(row.mode, window.Caption());
        window.Unload();
    }
    EXPECT_NE(ResourceIconPixels(301), ResourceIconPixels(302));
}

// ---- The list ----

struct ListRow {
    const char* name;
    const char* mode;
    bool autoPrompt;
};

void PrintTo(const ListRow& row, std::ostream* out) { *out << row.name; }

class ListFilling : public AppWindowTest, public ::testing::WithParamInterface<ListRow> {};

TEST_P(ListFilling, RowsFollowTheModeAndTheProcessesAsTheyAreNow) {
    const ListRow& row = GetParam();
    ListFour();
    LoadIdle(false);
    Apps[chat].ProcessID = 0;  // the tick saw it; the window must find it again itself
    frmOsprey& window = Open(row.mode, row.autoPrompt);
    const bool launch = std::string(row.mode) == "Launch Apps";
    const std::vector<size_t> expected = launch ? std::vector<size_t>{news, game} : std::vector<size_t>{mail, chat};

    EXPECT_EQ(chatId, Apps[chat].ProcessID) << "found again by its path";
    EXPECT_EQ(4, window.imlSmallIcons.Count()) << "every application's icon, whatever the mode";
    ASSERT_EQ(static_cast<int>(expected.size()), window.lvwApps.RowCount());
    for (size_t i = 0; i < expected.size(); ++i) {
        const int listRow = static_cast<int>(i) + 1;
        const AppInfo& app = Apps[expected[i]];
        SCOPED_TRACE(app.FileName);
        const std::string key = "key-" + std::to_string(expected[i]);
        EXPECT_EQ(key, window.lvwApps.RowKey(listRow));
        EXPECT_EQ(app.FileName.substr(0, app.FileName.size() - 4), window.lvwApps.RowText(listRow));
        EXPECT_EQ(app.Path + " -q", window.lvwApps.SubItem(listRow, 1));
        EXPECT_EQ(static_cast<int>(expected[i]) + 1, window.lvwApps.RowIcon(listRow));
        EXPECT_EQ(static_cast<int>(expected[i]) + 1, window.imlSmallIcons.IndexOfKey(key));
        EXPECT_EQ(row.autoPrompt, window.lvwApps.Checked(listRow));
    }
    EXPECT_EQ(row.autoPrompt, window.cmdOk.Enabled());
}

INSTANTIATE_TEST_SUITE_P(Modes, ListFilling,
                         ::testing::Values(ListRow{"launch", "Launch Apps", false},
                                           ListRow{"launch_auto", "Launch Apps", true},
                                           ListRow{"kill", "Kill Apps", false},
                                           ListRow{"kill_auto", "Kill Apps", true}),
                         [](const ::testing::TestParamInfo<ListRow>& row) { return std::string(row.param.name); });

TEST_F(AppWindowTest, AModeThatIsNotExactlyLaunchOrKillListsNothing) {
    ListFour();
    LoadIdle(false);
    for (const char* mode : {"Kill apps", "Launch", "Options"}) {
        SCOPED_TRACE(mode);
        frmOsprey& window = Open(mode, true);
        EXPECT_EQ(0, window.lvwApps.RowCount());
        EXPECT_TRUE(window.cmdOk.Enabled()) << "AutoPrompt enables OK anyway";
        window.Unload();
    }
}

TEST_F(AppWindowTest, EverythingRunningLeavesTheLaunchListEmptyAndOkDisabled) {
    List("Mail", true);
    List("News", true);
    LoadIdle(false);
    frmOsprey& window = Open("Launch Apps", false);
    EXPECT_EQ(0, window.lvwApps.RowCount());
    EXPECT_FALSE(window.cmdOk.Enabled());
}

TEST_F(AppWindowTest, OkIsEnabledWhileSomeEntryIsChecked) {
    List("Mail", false);
    List("News", false);
    List("Chat", false);
    LoadIdle(false);
    frmOsprey& window = Open("Launch Apps", false);
    ASSERT_EQ(3, window.lvwApps.RowCount());
    EXPECT_FALSE(window.cmdOk.Enabled());
    UserCheck(window, 3, true);
    EXPECT_TRUE(window.cmdOk.Enabled());
    UserCheck(window, 1, true);
    UserCheck(window, 3, false);
    EXPECT_TRUE(window.cmdOk.Enabled()) << "row 1 is still checked";
    UserCheck(window, 1, false);
    EXPECT_FALSE(window.cmdOk.Enabled()) << "the last checked entry was unchecked";
}

// ---- OK ----

TEST_F(AppWindowTest, OkInLaunchModeLaunchesTheCheckedEntriesWithTheStatusWindow) {
    ListFour();
    LoadIdle(false);
    frmOsprey& window = Open("Launch Apps", false);
    ASSERT_EQ(2, window.lvwApps.RowCount());
    UserCheck(window, 2, true);  // Game, not News
    struct Seen {
        std::string label;
        bool statusShown, windowShown, timerOn;
        HICON icon;
    };
    std::vector<Seen> seen;
    processes.onCreate = [&](const tw::test::FakeProcesses::Created&) {
        seen.push_back({Tray().lblStatus.Caption(), Tray().Visible(), window.Visible(),
                        Tray().tmrCheckConnection.Enabled(), Tray().imgTrayIcon.GetPicture().Icon()});
    };
    window.cmdOk.Click();

    ASSERT_EQ(1u, processes.created.size());
    EXPECT_EQ(LaunchCommandLine(Apps[game]), processes.created[0].commandLine);
    EXPECT_EQ("C:\\apps\\Game.exe -q", processes.created[0].commandLine);
    EXPECT_NE(0, Apps[game].ProcessID);
    EXPECT_TRUE(Running(game));
    EXPECT_EQ(0, Apps[news].ProcessID) << "unchecked: not launched";
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ("Now Running: Game", seen[0].label);
    EXPECT_TRUE(seen[0].statusShown);
    EXPECT_FALSE(seen[0].windowShown);
    EXPECT_FALSE(seen[0].timerOn) << "the monitor is off during the batch";
    EXPECT_EQ(Apps[game].Icon.Icon(), seen[0].icon);
    EXPECT_TRUE(Tray().tmrCheckConnection.Enabled()) << "and on again after it";
    EXPECT_FALSE(Tray().Visible());
    EXPECT_FALSE(OspreyWindow().IsLoaded());
    EXPECT_FALSE(AutoPrompt);
}

TEST_F(AppWindowTest, OkInKillModeClosesTheCheckedEntries) {
    ListFour();
    LoadIdle(false);
    frmOsprey& window = Open("Kill Apps", true);
    ASSERT_EQ(2, window.lvwApps.RowCount());
    UserCheck(window, 2, false);  // Chat stays
    std::vector<std::string> labels;
    processes.onWait = [&](tw::test::FakeProcess&, DWORD) {
        labels.push_back(Tray().lblStatus.Caption());
        return -1L;
    };
    window.cmdOk.Click();
    EXPECT_EQ(std::vector<std::string>{"Now Killing: Mail"}, labels);
    EXPECT_EQ(0, Apps[mail].ProcessID);
    EXPECT_FALSE(Running(mail));
    EXPECT_EQ(chatId, Apps[chat].ProcessID);
    EXPECT_TRUE(Running(chat));
    EXPECT_FALSE(OspreyWindow().IsLoaded());
    EXPECT_TRUE(Tray().tmrCheckConnection.Enabled());
}

TEST_F(AppWindowTest, OkWithTheMonitorOffLeavesItOffAndRunsOneTick) {
    List("Mail", false);
    LoadIdle(false);
    Tray().tmrCheckConnection.SetEnabled(false);
    Forget();
    frmOsprey& window = Open("Launch Apps", true);
    window.cmdOk.Click();
    EXPECT_EQ(1u, processes.created.size());
    EXPECT_FALSE(Tray().tmrCheckConnection.Enabled());
    EXPECT_EQ("Disabled", trayIcon.shown.tip);
    EXPECT_EQ("", Tray().lblStatus.Caption()) << "one tick after the batch";
}

TEST_F(AppWindowTest, OkInOptionsModeSavesTheOptionsAndRebuildsTheMenu) {
    List("Mail", false);
    LoadIdle(false);
    TrayMenu& menu = TrayUserInterface().Menu();
    ASSERT_EQ(32, menu.ItemHeight);
    HMENU oldMenu = menu.hMenu;
    frmOsprey& window = Open("Options", false);
    UserClick(window.chkSmallIcons);
    UserClick(window.chkAskFirst);
    EXPECT_TRUE(SmallIcons) << "set at the click";
    EXPECT_TRUE(AskFirst);
    EXPECT_FALSE(settings.Value(kSettingsApp, kSettingsSection, "SmallIcons").has_value()) << "not saved yet";
    window.cmdOk.Click();
    EXPECT_EQ("True", settings.Value(kSettingsApp, kSettingsSection, "SmallIcons").value_or(""));
    EXPECT_EQ("True", settings.Value(kSettingsApp, kSettingsSection, "AskFirst").value_or(""));
    EXPECT_EQ("True", settings.Value(kSettingsApp, kSettingsSection, "EnableState").value_or(""));
    EXPECT_FALSE(IsMenu(oldMenu));
    EXPECT_EQ(20, menu.ItemHeight) << "the small layout";
    EXPECT_EQ(104u, GetMenuItemID(menu.hMenu, 0));
    EXPECT_TRUE(Tray().tmrCheckConnection.Enabled());
    EXPECT_TRUE(processes.created.empty());
    EXPECT_FALSE(Tray().Visible());
    EXPECT_FALSE(OspreyWindow().IsLoaded());
}

TEST_F(AppWindowTest, OkInOptionsModeWithTheMonitorOffKeepsItOffAndTicks) {
    mail = List("Mail", false);
    LoadIdle(false);
    Tray().tmrCheckConnection.SetEnabled(false);
    TrayUserInterface().Menu().ReplaceTopItem(104, 204);
    Forget();
    frmOsprey& window = Open("Options", false);
    const ProcessId started = processes.Add(Apps[mail].Path).id;  // by hand, meanwhile
    window.cmdOk.Click();
    EXPECT_FALSE(Tray().tmrCheckConnection.Enabled());
    EXPECT_EQ(started, Apps[mail].ProcessID) << "the tick after OK adopted it";
    EXPECT_EQ(204u, GetMenuItemID(TrayUserInterface().Menu().hMenu, 0)) << "the rebuilt menu offers Enable";
}

// ---- Cancel, the close box, Escape ----

TEST_F(AppWindowTest, CancelInOptionsModeRestoresTheStoredOptionsAndKeepsTheMenu) {
    SetOption("SmallIcons", false);
    SetOption("AskFirst", true);
    List("Mail", false);
    LoadIdle(false);
    TrayMenu& menu = TrayUserInterface().Menu();
    HMENU oldMenu = menu.hMenu;
    const int savesBefore = settings.saves;
    frmOsprey& window = Open("Options", false);
    UserClick(window.chkSmallIcons);
    UserClick(window.chkAskFirst);
    UserClick(window.chkEnableState);
    EXPECT_TRUE(SmallIcons);
    EXPECT_FALSE(AskFirst);
    EXPECT_FALSE(EnableState);
    window.cmdCancel.Click();
    EXPECT_FALSE(SmallIcons);
    EXPECT_TRUE(AskFirst);
    EXPECT_TRUE(EnableState);
    EXPECT_EQ(savesBefore, settings.saves);
    EXPECT_EQ(oldMenu, menu.hMenu);
    EXPECT_TRUE(IsMenu(oldMenu));
    EXPECT_EQ(32, menu.ItemHeight);
    EXPECT_FALSE(OspreyWindow().IsLoaded());
}

TEST_F(AppWindowTest, TheMonitorsOptionsFollowTheFieldsAndOnlyOkKeepsThem) {
    settings.Set(kSettingsApp, kSettingsSection, "StartDelay", "5");
    List("Mail", false);
    LoadIdle(false);
    frmOsprey& window = Open("Options", false);
    EXPECT_EQ("5", window.txtStartDelay.Text());
    EXPECT_EQ("0", window.txtCloseDelay.Text());
    EXPECT_EQ(0, window.chkNeedInternet.Value());
    EXPECT_EQ(0, window.chkMeteredOffline.Value());
    UserClick(window.chkNeedInternet);
    UserClick(window.chkMeteredOffline);
    EXPECT_TRUE(NeedInternet);
    EXPECT_TRUE(MeteredOffline);
    // The arrow keys in the field step it through its spin buttons.
    SendMessageA(window.txtCloseDelay.Hwnd(), WM_KEYDOWN, VK_UP, 0);
    SendMessageA(window.txtCloseDelay.Hwnd(), WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ("2", window.txtCloseDelay.Text());
    EXPECT_EQ(2, CloseDelay);
    window.txtStartDelay.SetText("99999");
    EXPECT_EQ(3600, StartDelay);
    window.txtStartDelay.SetText("");
    EXPECT_EQ(0, StartDelay);
    window.cmdCancel.Click();
    EXPECT_EQ(5, StartDelay);
    EXPECT_EQ(0, CloseDelay);
    EXPECT_FALSE(NeedInternet);
    EXPECT_FALSE(MeteredOffline);
    EXPECT_FALSE(settings.Value(kSettingsApp, kSettingsSection, "CloseDelay").has_value());

    frmOsprey& again = Open("Options", false);
    again.txtCloseDelay.SetText("30");
    UserClick(again.chkNeedInternet);
    again.cmdOk.Click();
    EXPECT_EQ("30", settings.Value(kSettingsApp, kSettingsSection, "CloseDelay").value_or(""));
    EXPECT_EQ("5", settings.Value(kSettingsApp, kSettingsSection, "StartDelay").value_or(""));
    EXPECT_EQ("True", settings.Value(kSettingsApp, kSettingsSection, "NeedInternet").value_or(""));
    EXPECT_FALSE(settings.Value(kSettingsApp, kSettingsSection, "MeteredOffline").has_value());
    EXPECT_EQ(30, CloseDelay);
}

TEST_F(AppWindowTest, TheCloseBoxInOptionsModeOnlyUnloads) {
    List("Mail", false);
    LoadIdle(false);
    HMENU oldMenu = TrayUserInterface().Menu().hMenu;
    const int savesBefore = settings.saves;
    frmOsprey& window = Open("Options", false);
    UserClick(window.chkSmallIcons);
    SendMessageA(window.Hwnd(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(OspreyWindow().IsLoaded());
    EXPECT_TRUE(SmallIcons) << "the change stays in memory";
    EXPECT_EQ(savesBefore, settings.saves) << "unsaved";
    EXPECT_EQ(oldMenu, TrayUserInterface().Menu().hMenu) << "the menu is not rebuilt";
}

TEST_F(AppWindowTest, CancelInLaunchModeLaunchesNothing) {
    List("Mail", false);
    LoadIdle(false);
    SmallIcons = true;  // changed in memory, not in the store
    frmOsprey& window = Open("Launch Apps", true);
    window.cmdCancel.Click();
    EXPECT_TRUE(SmallIcons) << "only the Options window reads the options again";
    EXPECT_TRUE(processes.created.empty());
    EXPECT_FALSE(AutoPrompt);
    EXPECT_FALSE(OspreyWindow().IsLoaded());
}

TEST_F(AppWindowTest, EscapeActsAsCancelInTheModalWindow) {
    List("Mail", false);
    SetOption("AskFirst", true);
    LoadIdle(false);
    bool shownModal = false;
    WindowDriver driver([&](frmOsprey& window) {
        shownModal = true;
        UserClick(window.chkAskFirst);
        SetFocus(window.chkSmallIcons.Hwnd());
        PostMessageA(window.chkSmallIcons.Hwnd(), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        PostMessageA(window.chkSmallIcons.Hwnd(), WM_KEYUP, VK_ESCAPE, 0xC0010001);
    });
    OpenAppWindow(kOptionsMode, false);
    EXPECT_TRUE(shownModal);
    EXPECT_FALSE(OspreyWindow().IsLoaded());
    EXPECT_TRUE(AskFirst) << "Escape reverted the click as Cancel does";
}

// ---- The program's own openings ----

TEST_F(AppWindowTest, AConnectionAtStartWithAskFirstOpensTheLaunchWindowAllChecked) {
    size_t mailIndex = List("Mail", false);
    size_t newsIndex = List("News", false);
    SetOption("AskFirst", true);
    Online();
    int rows = -1, checked = 0;
    bool okEnabled = false;
    int addsWhenShown = -1;
    WindowDriver driver([&](frmOsprey& window) {
        rows = window.lvwApps.RowCount();
        for (int row = 1; row <= rows; ++row) checked += window.lvwApps.Checked(row) ? 1 : 0;
        okEnabled = window.cmdOk.Enabled();
        addsWhenShown = trayIcon.Count(NIM_ADD);
        window.cmdOk.Click();
    });
    Load();
    EXPECT_EQ(1, driver.runs);
    EXPECT_EQ(2, rows);
    EXPECT_EQ(2, checked);
    EXPECT_TRUE(okEnabled);
    EXPECT_EQ(1, addsWhenShown);
    EXPECT_TRUE(Running(mailIndex));
    EXPECT_TRUE(Running(newsIndex));
    EXPECT_FALSE(AutoPrompt);
    EXPECT_EQ("Connected: LAN, With Apps Running", Tray().StatusText());
}

TEST_F(AppWindowTest, ATickThatSeesTheConnectionComeUpWithAskFirstOffersTheLaunch) {
    size_t mailIndex = List("Mail", false);
    List("News", true);
    SetOption("AskFirst", true);
    LoadIdle(false);
    Online();
    std::vector<std::string> texts;
    bool allChecked = true;
    WindowDriver driver([&](frmOsprey& window) {
        texts = RowTexts(window);
        for (int row = 1; row <= window.lvwApps.RowCount(); ++row) allChecked = allChecked && window.lvwApps.Checked(row);
        EXPECT_TRUE(window.cmdOk.Enabled());
        EXPECT_EQ("Launch Apps", window.Caption());
        window.cmdOk.Click();
    });
    Tray().tmrCheckConnection_Timer();
    EXPECT_EQ(1, driver.runs);
    EXPECT_EQ(std::vector<std::string>{"Mail"}, texts) << "only what does not run";
    EXPECT_TRUE(allChecked);
    EXPECT_TRUE(Running(mailIndex));
    EXPECT_TRUE(WasConnected);
    EXPECT_FALSE(AutoPrompt);
}

TEST_F(AppWindowTest, DisableWithAskFirstOffersTheRunningApplicationsAllChecked) {
    size_t mailIndex = List("Mail", true);
    List("News", false);
    SetOption("AskFirst", true);
    LoadIdle(false);
    std::vector<std::string> texts;
    std::string mode;
    WindowDriver driver([&](frmOsprey& window) {
        texts = RowTexts(window);
        mode = window.Caption();
        EXPECT_TRUE(window.lvwApps.Checked(1));
        window.cmdOk.Click();
    });
    TrayUserInterface().RunCommand(Tray(), 104);
    EXPECT_EQ("Kill Apps", mode);
    EXPECT_EQ(std::vector<std::string>{"Mail"}, texts);
    EXPECT_FALSE(Running(mailIndex));
    EXPECT_FALSE(Tray().tmrCheckConnection.Enabled()) << "OK leaves the monitor off, as it found it";
}

TEST_F(AppWindowTest, ExitWithAskFirstAndCancelLeavesTheApplicationsRunning) {
    size_t mailIndex = List("Mail", true);
    SetOption("AskFirst", true);
    LoadIdle(true);
    WindowDriver driver([&](frmOsprey& window) { window.cmdCancel.Click(); });
    TrayUserInterface().RunCommand(Tray(), 105);
    EXPECT_EQ(1, driver.runs);
    EXPECT_TRUE(Running(mailIndex));
    EXPECT_FALSE(Tray().IsLoaded());
}

}  // namespace
