// modCBSubclass under a display: hooking and unhooking a real window, what reaches the target
// and the previous procedure, and the tray user interface's routing of menu and control
// messages (draw, measure, command) as the tray window's message target.
#include <windows.h>

#include <gtest/gtest.h>

#include "System.h"

#include <cstring>
#include <stdexcept>
#include <vector>

#include "Resources.h"
#include "TrayUiTestKit.h"
#include "startup/RegSet.h"
#include "ui/TrayUi.h"
#include "ui/modCBSubclass.h"

namespace {

using namespace tw::tray;

struct Seen {
    HWND window;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
};

// The window's own procedure: records every message and answers 0x5000 + its number.
std::vector<Seen> g_original;
constexpr UINT kProbeMessage = WM_APP + 7;

LRESULT CALLBACK OriginalProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == kProbeMessage || msg == WM_DRAWITEM || msg == WM_MEASUREITEM || msg == WM_COMMAND) {
        g_original.push_back({window, msg, wParam, lParam});
        return 0x5000 + msg;
    }
    return tw::sys::DefaultProc(window, msg, wParam, lParam);
}

// A window of the programs' own kind: Unicode on the NT family.
HWND MakeWindow() {
    static const bool registered =
        tw::sys::RegisterWindowClass("TwSubclassTest", &OriginalProc, 0, nullptr, nullptr) != 0;
    EXPECT_TRUE(registered);
    return tw::sys::MakeWindow(0, "TwSubclassTest", "subclass", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                               nullptr, nullptr, nullptr);
}

// Records what it receives, answers with the previous procedure's answer plus `add`.
class RecordingTarget final : public IMessageTarget {
public:
    explicit RecordingTarget(LRESULT add = 0) : m_add(add) {}
    LRESULT Message(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == kProbeMessage) seen.push_back({hWnd, msg, wParam, lParam});
        if (passOn) return CallOrgWndProc(hWnd, msg, wParam, lParam) + m_add;
        return 77;
    }
    std::vector<Seen> seen;
    bool passOn = true;

private:
    LRESULT m_add;
};

class ThrowingTarget final : public IMessageTarget {
public:
    LRESULT Message(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == kProbeMessage) throw std::runtime_error("target failed");
        return CallOrgWndProc(hWnd, msg, wParam, lParam);
    }
};

class SubclassTest : public ::testing::Test {
protected:
    SubclassTest() : window(MakeWindow()) { g_original.clear(); }
    ~SubclassTest() override {
        if (window) DestroyWindow(window);
    }
    LONG_PTR Proc() const { return tw::sys::GetLong(window, GWLP_WNDPROC); }
    HWND window;
};

// ---- The words ----

TEST(Words, LoWordHiWordAndMakeLong) {
    struct Row {
        std::uint32_t value;
        std::int32_t low, high;
    };
    const Row rows[] = {{0, 0, 0},
                        {0x00010002u, 2, 1},
                        {0x12345678u, 0x5678, 0x1234},
                        {0xFFFF0000u, 0, 0xFFFF},
                        {0x0000FFFFu, 0xFFFF, 0},
                        {0xFFFFFFFFu, 0xFFFF, 0xFFFF},
                        {0x80008000u, 0x8000, 0x8000}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.value);
        EXPECT_EQ(row.low, LoWord(row.value)) << "zero-extended";
        EXPECT_EQ(row.high, HiWord(row.value));
        EXPECT_EQ(static_cast<std::int32_t>(row.value),
                  MakeLong(static_cast<std::uint16_t>(row.low), static_cast<std::uint16_t>(row.high)));
    }
    EXPECT_EQ(2 * 65536 + 1, MakeLong(1, 2));
    EXPECT_EQ(-1, MakeLong(0xFFFF, 0xFFFF));
    // A 64-bit WPARAM is read through its low 32 bits.
    const WPARAM wide = static_cast<WPARAM>(MAKEWPARAM(105, 0));
    EXPECT_EQ(105, LoWord(static_cast<std::uint32_t>(wide)));
    EXPECT_EQ(0, HiWord(static_cast<std::uint32_t>(wide)));
}

TEST(MessageTargetInterface, ItsOwnMessageAnswersZero) {
    IMessageTarget plain;
    EXPECT_EQ(0, plain.Message(nullptr, WM_COMMAND, 1, 2));
}

// ---- Hook and unhook ----

TEST_F(SubclassTest, HookInstallsTheSubclassAndRecordsBothProperties) {
    ASSERT_NE(nullptr, window);
    const LONG_PTR original = Proc();
    RecordingTarget target;
    HookWindow(window, &target);
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(&SubclassWndProc), Proc());
    EXPECT_EQ(static_cast<HANDLE>(static_cast<IMessageTarget*>(&target)), GetPropA(window, "MsgTarget"));
    EXPECT_EQ(reinterpret_cast<HANDLE>(original), GetPropA(window, "OrgWndProc"));
    UnhookWindow(window);
}

TEST_F(SubclassTest, EveryMessageGoesToTheTargetWhichPassesItOn) {
    RecordingTarget target(1);
    HookWindow(window, &target);
    const LRESULT result = SendMessageA(window, kProbeMessage, 11, 22);
    ASSERT_EQ(1u, target.seen.size());
    EXPECT_EQ(window, target.seen[0].window);
    EXPECT_EQ(11u, target.seen[0].wParam);
    EXPECT_EQ(22, target.seen[0].lParam);
    ASSERT_EQ(1u, g_original.size()) << "passed on by the target";
    EXPECT_EQ(11u, g_original[0].wParam);
    EXPECT_EQ(0x5000 + kProbeMessage + 1, result) << "the target's answer is the window's answer";
    UnhookWindow(window);
}

TEST_F(SubclassTest, TheSubclassNeverPassesOnByItself) {
    RecordingTarget target;
    target.passOn = false;
    HookWindow(window, &target);
    EXPECT_EQ(77, SendMessageA(window, kProbeMessage, 0, 0));
    EXPECT_EQ(1u, target.seen.size());
    EXPECT_TRUE(g_original.empty());
    UnhookWindow(window);
}

TEST_F(SubclassTest, UnhookRestoresTheProcedureAndRemovesBothProperties) {
    const LONG_PTR original = Proc();
    RecordingTarget target;
    HookWindow(window, &target);
    UnhookWindow(window);
    EXPECT_EQ(original, Proc());
    EXPECT_EQ(nullptr, GetPropA(window, "MsgTarget"));
    EXPECT_EQ(nullptr, GetPropA(window, "OrgWndProc"));
    EXPECT_EQ(0x5000 + kProbeMessage, SendMessageA(window, kProbeMessage, 5, 6));
    EXPECT_TRUE(target.seen.empty()) << "the target no longer sees the window's messages";
    EXPECT_EQ(1u, g_original.size());
}

TEST_F(SubclassTest, WindowsAreHookedIndependently) {
    HWND second = MakeWindow();
    ASSERT_NE(nullptr, second);
    RecordingTarget first, other;
    HookWindow(window, &first);
    HookWindow(second, &other);
    SendMessageA(window, kProbeMessage, 1, 0);
    SendMessageA(second, kProbeMessage, 2, 0);
    SendMessageA(second, kProbeMessage, 3, 0);
    EXPECT_EQ(1u, first.seen.size());
    EXPECT_EQ(2u, other.seen.size());
    UnhookWindow(window);
    SendMessageA(second, kProbeMessage, 4, 0);
    EXPECT_EQ(3u, other.seen.size()) << "unhooking one window leaves the other hooked";
    EXPECT_NE(nullptr, GetPropA(second, "MsgTarget"));
    UnhookWindow(second);
    DestroyWindow(second);
}

TEST_F(SubclassTest, AFailingTargetAnswersZeroAndTheWindowLivesOn) {
    ThrowingTarget target;
    HookWindow(window, &target);
    EXPECT_EQ(0, SendMessageA(window, kProbeMessage, 0, 0));
    EXPECT_TRUE(IsWindow(window));
    MEASUREITEMSTRUCT record = {};
    EXPECT_EQ(0x5000 + WM_MEASUREITEM, SendMessageA(window, WM_MEASUREITEM, 3, reinterpret_cast<LPARAM>(&record)));
    UnhookWindow(window);
}

TEST_F(SubclassTest, WithoutATargetTheSubclassAnswersZero) {
    RecordingTarget target;
    HookWindow(window, &target);
    RemovePropA(window, "MsgTarget");
    EXPECT_EQ(0, SendMessageA(window, kProbeMessage, 0, 0));
    EXPECT_TRUE(g_original.empty());
    UnhookWindow(window);
}

// ---- The tray window's routing: menu requests against control ones ----

class RoutingTest : public SubclassTest {
protected:
    RoutingTest() {
        SmallIcons = false;
        ui.Menu().SetOwner(window);
        ui.Menu().DimMenu(false);
        HookWindow(window, &ui);
        g_original.clear();
    }
    ~RoutingTest() override {
        UnhookWindow(window);
        ui.Menu().Release();
    }
    TrayUi ui;
};

// A 24-bit surface to draw items on, filled with one colour.
class Surface {
public:
    Surface() : m_dc(CreateCompatibleDC(nullptr)) {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = 240;
        info.bmiHeader.biHeight = -40;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 24;
        void* bits = nullptr;
        m_bitmap = CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        m_old = SelectObject(m_dc, m_bitmap);
        RECT all = {0, 0, 240, 40};
        HBRUSH magenta = CreateSolidBrush(RGB(255, 0, 255));
        FillRect(m_dc, &all, magenta);
        DeleteObject(magenta);
    }
    ~Surface() {
        SelectObject(m_dc, m_old);
        DeleteObject(m_bitmap);
        DeleteDC(m_dc);
    }
    HDC Dc() const { return m_dc; }
    bool Untouched() const {
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 240; ++x)
                if (GetPixel(m_dc, x, y) != RGB(255, 0, 255)) return false;
        return true;
    }

private:
    HDC m_dc;
    HBITMAP m_bitmap;
    HGDIOBJ m_old;
};

DRAWITEMSTRUCT DrawRecord(UINT controlType, UINT id, HDC dc) {
    DRAWITEMSTRUCT record = {};
    record.CtlType = controlType;
    record.itemID = id;
    record.itemAction = ODA_DRAWENTIRE;
    record.hDC = dc;
    record.rcItem = {0, 0, 202, 32};
    return record;
}

TEST_F(RoutingTest, AMenuMeasureRequestIsAnsweredAndPassedOn) {
    MEASUREITEMSTRUCT record = {};
    record.CtlType = ODT_MENU;
    record.itemID = 102;
    const LRESULT result = SendMessageA(window, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&record));
    EXPECT_EQ(190u, record.itemWidth);
    EXPECT_EQ(32u, record.itemHeight);
    ASSERT_EQ(1u, g_original.size()) << "passed on after measuring";
    EXPECT_EQ(reinterpret_cast<LPARAM>(&record), g_original[0].lParam);
    EXPECT_EQ(0x5000 + WM_MEASUREITEM, result);
}

TEST_F(RoutingTest, AControlMeasureRequestReachesThePreviousProcedureUntouched) {
    MEASUREITEMSTRUCT record = {};
    record.CtlType = ODT_LISTBOX;
    record.CtlID = 9;
    record.itemID = 102;
    record.itemWidth = 3;
    record.itemHeight = 4;
    const MEASUREITEMSTRUCT before = record;
    const LRESULT result = SendMessageA(window, WM_MEASUREITEM, 9, reinterpret_cast<LPARAM>(&record));
    EXPECT_EQ(0, std::memcmp(&before, &record, sizeof(record))) << "not measured as a menu item";
    ASSERT_EQ(1u, g_original.size());
    EXPECT_EQ(9u, g_original[0].wParam);
    EXPECT_EQ(0x5000 + WM_MEASUREITEM, result);
}

TEST_F(RoutingTest, AMenuDrawRequestPaintsAndIsPassedOn) {
    Surface surface;
    DRAWITEMSTRUCT record = DrawRecord(ODT_MENU, 105, surface.Dc());
    const DRAWITEMSTRUCT before = record;
    SendMessageA(window, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&record));
    EXPECT_FALSE(surface.Untouched());
    EXPECT_EQ(0, std::memcmp(&before, &record, sizeof(record))) << "the record is handed back unchanged";
    EXPECT_EQ(1u, g_original.size());
}

TEST_F(RoutingTest, AControlDrawRequestIsNotPaintedButPassedOn) {
    Surface surface;
    DRAWITEMSTRUCT record = DrawRecord(ODT_BUTTON, 105, surface.Dc());
    record.CtlID = 12;
    const LRESULT result = SendMessageA(window, WM_DRAWITEM, 12, reinterpret_cast<LPARAM>(&record));
    EXPECT_TRUE(surface.Untouched());
    ASSERT_EQ(1u, g_original.size());
    EXPECT_EQ(12u, g_original[0].wParam);
    EXPECT_EQ(0x5000 + WM_DRAWITEM, result);
}

TEST_F(RoutingTest, OnlyAMenuItemsCommandIsRecorded) {
    struct Row {
        const char* name;
        WPARAM wParam;
        bool control;  // lParam is a control window
        int recorded;  // SelectedCommand afterwards
    };
    const Row rows[] = {
        {"menu item", MAKEWPARAM(103, 0), false, 103},
        {"accelerator", MAKEWPARAM(101, 1), false, -1},
        {"control click", MAKEWPARAM(105, BN_CLICKED), true, -1},
        {"control, code 0", MAKEWPARAM(104, 0), true, -1},
        {"control notification", MAKEWPARAM(102, EN_CHANGE), true, -1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ui.Menu().SelectedCommand = -1;
        g_original.clear();
        const LPARAM lParam = row.control ? reinterpret_cast<LPARAM>(window) : 0;
        const LRESULT result = SendMessageA(window, WM_COMMAND, row.wParam, lParam);
        EXPECT_EQ(row.recorded, ui.Menu().SelectedCommand);
        ASSERT_EQ(1u, g_original.size()) << "every command goes on to the window";
        EXPECT_EQ(row.wParam, g_original[0].wParam);
        EXPECT_EQ(lParam, g_original[0].lParam);
        EXPECT_EQ(0x5000 + WM_COMMAND, result);
    }
}

TEST_F(RoutingTest, OtherMessagesGoOnUnchanged) {
    EXPECT_EQ(0x5000 + kProbeMessage, SendMessageA(window, kProbeMessage, 8, 9));
    ASSERT_EQ(1u, g_original.size());
    EXPECT_EQ(8u, g_original[0].wParam);
    EXPECT_EQ(9, g_original[0].lParam);
}

// ---- The tray window hooks itself at load and unhooks at unload ----

class TrayHookTest : public ::testing::Test, public tw::test::TrayUiFixture {};

TEST_F(TrayHookTest, TheLoadedTrayWindowIsHookedWithItsMenuAndTheUnloadUndoesBoth) {
    List("Mail", false);
    LoadIdle(false);
    HWND hwnd = Tray().Hwnd();
    ASSERT_NE(nullptr, hwnd);
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(&SubclassWndProc), tw::sys::GetLong(hwnd, GWLP_WNDPROC));
    EXPECT_EQ(static_cast<HANDLE>(static_cast<IMessageTarget*>(&TrayUserInterface())), GetPropA(hwnd, "MsgTarget"));
    EXPECT_NE(nullptr, GetPropA(hwnd, "OrgWndProc"));
    HMENU menu = TrayUserInterface().Menu().hMenu;
    ASSERT_TRUE(IsMenu(menu));
    EXPECT_EQ(hwnd, TrayUserInterface().Menu().Owner());
    EXPECT_EQ(&Tray(), TrayUserInterface().Window());

    // A menu command reaches the tray window's target through the subclass.
    TrayUserInterface().Menu().SelectedCommand = 0;
    SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(103, 0), 0);
    EXPECT_EQ(103, TrayUserInterface().Menu().SelectedCommand);

    // During the unload the tray icon goes before the menu and the subclass.
    bool hookedWhenIconRemoved = false;
    trayIcon.onCall = [&](const tw::test::FakeTrayIcon::Call& call) {
        if (call.message == NIM_DELETE) hookedWhenIconRemoved = GetPropA(hwnd, "MsgTarget") != nullptr && IsMenu(menu);
    };
    Tray().Unload();
    trayIcon.onCall = nullptr;
    EXPECT_TRUE(hookedWhenIconRemoved);
    EXPECT_FALSE(IsMenu(menu));
    EXPECT_EQ(nullptr, TrayUserInterface().Menu().hMenu);
    EXPECT_EQ(nullptr, TrayUserInterface().Menu().hSideBarDC);
    EXPECT_EQ(nullptr, TrayUserInterface().Window());
}

}  // namespace
