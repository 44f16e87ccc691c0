// The status window on screen during a launch batch: shown centred and on top, with the
// application's icon and its "Now Running: " line painted, before the launch happens (the
// batch lets no events run); an "&" in a name is shown as itself. Its lengths follow the
// screen's DPI: the suite also runs it at 144 and 192 dpi. With TW_SCREENSHOTS set to a
// folder, the window and the screen round it are also saved there as lookout-status-launch.bmp.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "Fakes.h"
#include "MonitorFakes.h"
#include "Resources.h"
#include "ScreenShot.h"
#include "Shortcut.h"
#include "TrayFakes.h"
#include "Units.h"
#include "apps/Apps.h"
#include "monitor/frmDialOsprey.h"
#include "monitor/modGeneral.h"
#include "resource.h"
#include "startup/RegSet.h"

namespace {

using namespace tw::tray;

// How many pixels of `rect` (client coordinates of `window`) differ from `background`.
int PixelsOtherThan(HWND window, RECT rect, COLORREF background) {
    HDC dc = GetDC(window);
    int count = 0;
    for (int y = rect.top; y < rect.bottom; ++y)
        for (int x = rect.left; x < rect.right; ++x)
            if (GetPixel(dc, x, y) != background) ++count;
    ReleaseDC(window, dc);
    return count;
}

TEST(StatusWindow, ShowsEachApplicationWhileItIsLaunched) {
    tw::test::FakeSettingsStore settings;
    tw::test::FakePrompter prompter;
    tw::test::SteppingClock clock;
    tw::test::FakeConnectionProbe probe;
    tw::test::FakeProcesses processes;
    tw::test::FakeTrayIcon tray;
    probe.result = false;
    probe.flags = 0;
    Apps.clear();
    for (const char* name : {"AT&T Dialer", "News"}) {
        AppInfo app;
        app.Icon = tw::IconToPicture(tw::LoadResIcon(IDI_DEFAULT_APP, tw::SmallIconSize()));
        app.FileName = std::string(name) + ".lnk";
        app.Path = std::string("C:\\apps\\") + name + ".exe";
        app.Arguments = " ";
        Apps.push_back(app);
    }
    auto form = std::make_unique<frmDialOsprey>();
    form->tmrCheckConnection.SetInterval(3600000);
    form->Load();
    ASSERT_TRUE(form->IsLoaded());
    EXPECT_FALSE(IsWindowVisible(form->Hwnd()));
    // The tray icon comes at the size the shell shows it at this DPI.
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(TrayIconData.hIcon, &info));
    BITMAP colour = {};
    GetObjectA(info.hbmColor, sizeof(colour), &colour);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    EXPECT_EQ(tw::SmallIconSize(), colour.bmWidth);

    const char* screenshots = std::getenv("TW_SCREENSHOTS");
    int launches = 0;
    processes.onCreate = [&](const tw::test::FakeProcesses::Created&) {
        ++launches;
        HWND window = form->Hwnd();
        EXPECT_TRUE(IsWindowVisible(window));
        EXPECT_TRUE(GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
        char text[128] = {};
        GetWindowTextA(form->lblStatus.Hwnd(), text, sizeof(text));
        EXPECT_EQ(launches == 1 ? "Now Running: AT&T Dialer" : "Now Running: News",
                  std::string(text));
        // A name is data: its "&" marks no access key.
        EXPECT_TRUE(GetWindowLongPtrA(form->lblStatus.Hwnd(), GWL_STYLE) & SS_NOPREFIX);
        // Centred on the screen.
        RECT frame;
        GetWindowRect(window, &frame);
        EXPECT_NEAR(GetSystemMetrics(SM_CXSCREEN) / 2, (frame.left + frame.right) / 2, 1);
        EXPECT_NEAR(GetSystemMetrics(SM_CYSCREEN) / 2, (frame.top + frame.bottom) / 2, 1);
        // The icon (120, 120, 240 x 240 twips: 8, 8, 16 x 16 pixels at 96 dpi) and the text are
        // painted already.
        const COLORREF face = GetSysColor(COLOR_BTNFACE);
        const int iconLeft = tw::TwipsToPixelsX(120), iconSize = tw::TwipsToPixelsX(240);
        EXPECT_GT(PixelsOtherThan(window, {iconLeft, iconLeft, iconLeft + iconSize, iconLeft + iconSize}, face), 20);
        RECT label;
        GetWindowRect(form->lblStatus.Hwnd(), &label);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&label), 2);
        EXPECT_GT(PixelsOtherThan(window, label, face), 20);
        // The label fits in the window, 215 twips from its right edge.
        RECT client;
        GetClientRect(window, &client);
        EXPECT_LE(label.right, client.right);
        // The text is not cut at the bottom.
        EXPECT_LE(label.bottom, client.bottom);
        if (screenshots && launches == 1) {
            EXPECT_TRUE(tw::test::ScreenShot(tw::test::Around(frame, 40)).SaveAs("lookout-status-launch.bmp"));
        }
    };
    form->tmrCheckConnection.SetEnabled(true);
    form->LaunchAllApps();
    EXPECT_EQ(2, launches);
    EXPECT_FALSE(IsWindowVisible(form->Hwnd()));
    form->Unload();
    Apps.clear();
}

}  // namespace
