// The tray popup menu under a display: its items, flags and metrics in both layouts, the side
// bar surface, the drawing of every kind of item (positions and colours by state), showing it
// at the cursor with the owner in front, and its release.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "Form.h"
#include "Resources.h"
#include "TrayUiTestKit.h"
#include "resource.h"
#include "startup/RegSet.h"
#include "ui/TrayMenu.h"
#include "ui/TrayUi.h"
#include "ui/modCBSubclass.h"

namespace {

using namespace tw::tray;
using tw::test::MenuDriver;

// A hidden form to own the menu: it lends its font and display surface.
class OwnerForm final : public tw::Form {
public:
    OwnerForm() : Form(tw::FormStyle{}) {}
};

struct ItemInfo {
    UINT id;
    UINT type;
    UINT state;
    ULONG_PTR data;
    UINT textLength;
};

ItemInfo ItemAt(HMENU menu, int position) {
    MENUITEMINFOA info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STATE | MIIM_DATA | MIIM_STRING | MIIM_SUBMENU;
    char text[64] = {};
    info.dwTypeData = text;
    info.cch = sizeof(text);
    EXPECT_TRUE(GetMenuItemInfoA(menu, static_cast<UINT>(position), TRUE, &info));
    EXPECT_EQ(nullptr, info.hSubMenu);
    return {info.wID, info.fType, info.fState, info.dwItemData, info.cch};
}

std::vector<UINT> Ids(HMENU menu) {
    std::vector<UINT> ids;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) ids.push_back(GetMenuItemID(menu, i));
    return ids;
}

class TrayMenuTest : public ::testing::Test {
protected:
    // The menu of a tray user interface whose target is the owner, so the menu's own measure
    // and draw requests reach it while it is shown.
    TrayMenuTest() : menu(ui.Menu()) {
        SmallIcons = false;
        owner.Load();
        menu.SetOwner(owner.Hwnd());
        menu.SetMonitoring([this] { return monitoring; });
        HookWindow(owner.Hwnd(), &ui);
    }
    ~TrayMenuTest() override {
        menu.Release();
        UnhookWindow(owner.Hwnd());
        owner.Unload();
        SmallIcons = false;
    }
    void Build(bool small) {
        SmallIcons = small;
        menu.DimMenu(menu.hMenu != nullptr);
    }
    // The side bar surface's size.
    SIZE SideBarSize() {
        BITMAP bitmap = {};
        HGDIOBJ current = GetCurrentObject(menu.hSideBarDC, OBJ_BITMAP);
        GetObjectA(current, sizeof(bitmap), &bitmap);
        return {bitmap.bmWidth, bitmap.bmHeight};
    }

    bool monitoring = true;
    OwnerForm owner;
    TrayUi ui;
    TrayMenu& menu;
};

// ---- Building ----

struct LayoutRow {
    bool small;
    int sideBarImageHeight, sideBarWidth, itemHeight, itemWidth, iconSize;
    int sideBarHeight;
};

TEST_F(TrayMenuTest, MetricsFollowTheSmallIconsOption) {
    const LayoutRow rows[] = {{false, 160, 21, 32, 190, 32, 181}, {true, 0, 0, 20, 145, 16, 121}};
    for (const LayoutRow& row : rows) {
        SCOPED_TRACE(row.small ? "small" : "large");
        Build(row.small);
        EXPECT_EQ(row.sideBarImageHeight, menu.SideBarImageHeight);
        EXPECT_EQ(row.sideBarWidth, menu.SideBarWidth);
        EXPECT_EQ(row.itemHeight, menu.ItemHeight);
        EXPECT_EQ(row.itemWidth, menu.ItemWidth);
        EXPECT_EQ(row.iconSize, menu.IconSize);
        ASSERT_NE(nullptr, menu.hSideBarDC);
        if (row.sideBarWidth > 0) {
            const SIZE size = SideBarSize();
            EXPECT_EQ(row.sideBarWidth, size.cx);
            EXPECT_EQ(row.sideBarHeight, size.cy);
        }
    }
}

TEST_F(TrayMenuTest, EightOwnerDrawnItemsWithoutTextOrData) {
    for (bool small : {false, true}) {
        SCOPED_TRACE(small ? "small" : "large");
        Build(small);
        ASSERT_EQ(8, GetMenuItemCount(menu.hMenu));
        EXPECT_EQ((std::vector<UINT>{104, 200, 102, 101, 200, 103, 200, 105}), Ids(menu.hMenu));
        for (int position = 0; position < 8; ++position) {
            SCOPED_TRACE(position);
            const ItemInfo item = ItemAt(menu.hMenu, position);
            EXPECT_NE(0u, item.type & MFT_OWNERDRAW);
            EXPECT_EQ(0u, item.data);
            // Separators are disabled so they cannot be chosen; the others are enabled.
            const UINT state = GetMenuState(menu.hMenu, static_cast<UINT>(position), MF_BYPOSITION);
            if (item.id == 200)
                EXPECT_NE(0u, state & MF_DISABLED);
            else
                EXPECT_EQ(0u, state & (MF_DISABLED | MF_GRAYED));
        }
    }
}

TEST_F(TrayMenuTest, TheTopItemFollowsWhetherMonitoringRuns) {
    monitoring = false;
    Build(false);
    EXPECT_EQ(204u, GetMenuItemID(menu.hMenu, 0));
    monitoring = true;
    Build(true);
    EXPECT_EQ(104u, GetMenuItemID(menu.hMenu, 0));
}

TEST_F(TrayMenuTest, MeasuredSizes) {
    struct Row {
        bool small;
        UINT id;
        UINT width, height;
    };
    const Row rows[] = {{false, 104, 190, 32}, {false, 200, 190, 7}, {false, 105, 190, 32},
                        {false, 204, 190, 32}, {true, 102, 145, 20}, {true, 200, 145, 7},
                        {true, 101, 145, 20}};
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << (row.small ? "small " : "large ") << row.id);
        Build(row.small);
        MEASUREITEMSTRUCT record = {};
        record.CtlType = ODT_MENU;
        record.itemID = row.id;
        menu.MeasureMenuItem(record);
        EXPECT_EQ(row.width, record.itemWidth);
        EXPECT_EQ(row.height, record.itemHeight);
    }
}

// ---- The side bar ----

class Picture101 {
public:
    Picture101() : m_bitmap(tw::LoadResBitmap(IDB_SIDEBAR).Release()), m_dc(CreateCompatibleDC(nullptr)) {
        m_old = SelectObject(m_dc, m_bitmap);
    }
    ~Picture101() {
        SelectObject(m_dc, m_old);
        DeleteDC(m_dc);
        DeleteObject(m_bitmap);
    }
    COLORREF Pixel(int x, int y) const { return GetPixel(m_dc, x, y); }
    bool Loaded() const { return m_bitmap != nullptr; }

private:
    HBITMAP m_bitmap;
    HDC m_dc;
    HGDIOBJ m_old;
};

TEST_F(TrayMenuTest, TheLargeSideBarShowsThePictureTopThenItsRest) {
    Build(false);
    Picture101 picture;
    ASSERT_TRUE(picture.Loaded());
    // Rows 0-31: the picture's rows 0-31; rows 32-180: its rows 11-159.
    int mismatches = 0;
    for (int y = 0; y < 181; ++y) {
        const int source = y < 32 ? y : y - 21;
        for (int x = 0; x < 21; ++x)
            if (GetPixel(menu.hSideBarDC, x, y) != picture.Pixel(x, source) && ++mismatches < 5)
                ADD_FAILURE() << "side bar (" << x << ", " << y << ") is not picture row " << source;
    }
    EXPECT_EQ(0, mismatches);
    // The picture is not uniform, so the comparison means something.
    EXPECT_NE(picture.Pixel(10, 20), picture.Pixel(10, 150));
}

// ---- Drawing ----

// A 24-bit surface as large as one menu item row, filled with an odd colour.
class ItemSurface {
public:
    explicit ItemSurface(int height) : m_dc(CreateCompatibleDC(nullptr)), m_height(height) {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = kWidth;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 24;
        void* bits = nullptr;
        m_bitmap = CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        m_old = SelectObject(m_dc, m_bitmap);
        RECT all = {0, 0, kWidth, height};
        HBRUSH brush = CreateSolidBrush(kUnpainted);
        FillRect(m_dc, &all, brush);
        DeleteObject(brush);
    }
    ~ItemSurface() {
        SelectObject(m_dc, m_old);
        DeleteObject(m_bitmap);
        DeleteDC(m_dc);
    }
    HDC Dc() const { return m_dc; }
    COLORREF Pixel(int x, int y) const { return GetPixel(m_dc, x, y); }
    // True when every pixel of columns [left, right) is `colour`.
    bool ColumnsAre(int left, int right, COLORREF colour) const {
        for (int x = left; x < right; ++x)
            for (int y = 0; y < m_height; ++y)
                if (Pixel(x, y) != colour) return false;
        return true;
    }
    // True when some pixel of columns [left, right) differs from `colour`.
    bool SomethingIn(int left, int right, COLORREF colour) const { return !ColumnsAre(left, right, colour); }

    static constexpr int kWidth = 210;
    static constexpr COLORREF kUnpainted = RGB(255, 0, 255);

private:
    HDC m_dc;
    HBITMAP m_bitmap;
    HGDIOBJ m_old;
    int m_height;
};

DRAWITEMSTRUCT Record(UINT id, UINT state, HDC dc, int width, int height) {
    DRAWITEMSTRUCT record = {};
    record.CtlType = ODT_MENU;
    record.itemID = id;
    record.itemAction = ODA_SELECT;  // whatever is asked, the whole item is painted
    record.itemState = state;
    record.hDC = dc;
    record.rcItem = {0, 0, width, height};
    return record;
}

TEST_F(TrayMenuTest, LargeItemIconAndTextStartWhereTheLayoutSays) {
    Build(false);
    ItemSurface surface(32);
    DRAWITEMSTRUCT record = Record(105, 0, surface.Dc(), 190, 32);
    const DRAWITEMSTRUCT before = record;
    menu.DrawMenuItem(record);
    EXPECT_EQ(0, std::memcmp(&before, &record, sizeof(record)));
    const COLORREF back = GetSysColor(COLOR_MENU);
    // Side bar at 0-20: the side bar surface's rows 0-31.
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 21; ++x) ASSERT_EQ(GetPixel(menu.hSideBarDC, x, y), surface.Pixel(x, y)) << x << "," << y;
    EXPECT_TRUE(surface.ColumnsAre(21, 24, back)) << "the fill starts at the side bar's edge";
    EXPECT_TRUE(surface.SomethingIn(24, 56, back)) << "the icon at 24, 32 wide";
    EXPECT_TRUE(surface.ColumnsAre(56, 62, back)) << "nothing between icon and text";
    EXPECT_TRUE(surface.SomethingIn(62, 100, back)) << "the text at 62";
    EXPECT_TRUE(surface.ColumnsAre(150, 191, back)) << "\"Exit\" is short";
    EXPECT_EQ(ItemSurface::kUnpainted, surface.Pixel(192, 5)) << "the fill ends at right + 1";
}

TEST_F(TrayMenuTest, SmallItemHasNoSideBar) {
    Build(true);
    ItemSurface surface(20);
    DRAWITEMSTRUCT record = Record(103, 0, surface.Dc(), 145, 20);
    menu.DrawMenuItem(record);
    const COLORREF back = GetSysColor(COLOR_MENU);
    EXPECT_TRUE(surface.ColumnsAre(0, 3, back));
    EXPECT_TRUE(surface.SomethingIn(3, 19, back)) << "the icon at 3, 16 wide";
    EXPECT_TRUE(surface.ColumnsAre(19, 25, back));
    EXPECT_TRUE(surface.SomethingIn(25, 60, back)) << "the text at 25";
}

TEST_F(TrayMenuTest, ColoursByState) {
    struct Row {
        const char* name;
        UINT state;
        int background;  // system colour
    };
    const Row rows[] = {{"normal", 0, COLOR_MENU},
                        {"selected", ODS_SELECTED, COLOR_HIGHLIGHT},
                        {"grayed", ODS_GRAYED, COLOR_MENU},
                        {"grayed and selected", ODS_GRAYED | ODS_SELECTED, COLOR_MENU}};
    ASSERT_NE(GetSysColor(COLOR_MENU), GetSysColor(COLOR_HIGHLIGHT));
    for (bool small : {false, true}) {
        Build(small);
        for (const Row& row : rows) {
            SCOPED_TRACE(testing::Message() << row.name << (small ? " small" : " large"));
            ItemSurface surface(menu.ItemHeight);
            DRAWITEMSTRUCT record = Record(102, row.state, surface.Dc(), menu.ItemWidth, menu.ItemHeight);
            menu.DrawMenuItem(record);
            EXPECT_EQ(GetSysColor(row.background), surface.Pixel(menu.ItemWidth - 2, 1));
            EXPECT_EQ(GetSysColor(row.background), surface.Pixel(menu.ItemWidth, menu.ItemHeight - 1));
        }
    }
}

// The pixels of the icon area and of the text area of item 102 drawn in `state`.
std::vector<COLORREF> Area(TrayMenu& menu, UINT state, int left, int right) {
    ItemSurface surface(menu.ItemHeight);
    DRAWITEMSTRUCT record = Record(102, state, surface.Dc(), menu.ItemWidth, menu.ItemHeight);
    menu.DrawMenuItem(record);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < menu.ItemHeight; ++y)
        for (int x = left; x < right; ++x) pixels.push_back(surface.Pixel(x, y));
    return pixels;
}

TEST_F(TrayMenuTest, AGrayedItemIsEmbossedEvenWhenSelected) {
    Build(false);
    const auto normalIcon = Area(menu, 0, 24, 56);
    const auto grayedIcon = Area(menu, ODS_GRAYED, 24, 56);
    const auto grayedSelectedIcon = Area(menu, ODS_GRAYED | ODS_SELECTED, 24, 56);
    EXPECT_NE(normalIcon, grayedIcon);
    EXPECT_EQ(grayedIcon, grayedSelectedIcon);
    const auto normalText = Area(menu, 0, 62, 180);
    const auto grayedText = Area(menu, ODS_GRAYED, 62, 180);
    EXPECT_NE(normalText, grayedText);
    EXPECT_EQ(grayedText, Area(menu, ODS_GRAYED | ODS_SELECTED, 62, 180));
    // The disabled text uses neither the menu text colour nor the highlight.
    for (COLORREF pixel : grayedText) ASSERT_NE(GetSysColor(COLOR_MENUTEXT), pixel);
}

TEST_F(TrayMenuTest, ASeparatorIsAnEtchedLineBesideTheSideBar) {
    Build(false);
    // The separator below the first item: rows 32-38 of the menu.
    ItemSurface surface(7);
    // Drawn at the top of the surface, it reads the side bar from row 0 of the item's own top.
    DRAWITEMSTRUCT record = Record(200, ODS_SELECTED, surface.Dc(), 190, 7);
    menu.DrawMenuItem(record);
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    for (int x = 0; x < 21; ++x) EXPECT_EQ(GetPixel(menu.hSideBarDC, x, 3), surface.Pixel(x, 3));
    EXPECT_EQ(face, surface.Pixel(22, 3)) << "the line starts at side bar + 2";
    EXPECT_EQ(face, surface.Pixel(100, 0));
    EXPECT_EQ(face, surface.Pixel(100, 2));
    EXPECT_EQ(GetSysColor(COLOR_BTNSHADOW), surface.Pixel(100, 3)) << "the sunken edge's dark line";
    EXPECT_EQ(GetSysColor(COLOR_BTNHIGHLIGHT), surface.Pixel(100, 4)) << "and its light line";
    EXPECT_EQ(face, surface.Pixel(100, 5));
    EXPECT_EQ(face, surface.Pixel(100, 6));
    EXPECT_EQ(ItemSurface::kUnpainted, surface.Pixel(191, 3)) << "selection does not matter";
}

TEST_F(TrayMenuTest, AnItemWithoutTextOrIconIsOnlyFilled) {
    Build(false);
    ItemSurface surface(32);
    DRAWITEMSTRUCT record = Record(999, 0, surface.Dc(), 190, 32);
    menu.DrawMenuItem(record);
    EXPECT_TRUE(surface.ColumnsAre(21, 191, GetSysColor(COLOR_MENU)));
}

// ---- Changing, releasing, rebuilding ----

TEST_F(TrayMenuTest, TheTopItemIsReplacedInPlace) {
    Build(false);
    menu.ReplaceTopItem(104, 204);
    EXPECT_EQ((std::vector<UINT>{204, 200, 102, 101, 200, 103, 200, 105}), Ids(menu.hMenu));
    const ItemInfo top = ItemAt(menu.hMenu, 0);
    EXPECT_NE(0u, top.type & MFT_OWNERDRAW);
    EXPECT_EQ(0u, top.data);
    menu.ReplaceTopItem(204, 104);
    EXPECT_EQ((std::vector<UINT>{104, 200, 102, 101, 200, 103, 200, 105}), Ids(menu.hMenu));
}

TEST_F(TrayMenuTest, ReleaseFreesMenuSideBarAndSurface) {
    Build(false);
    HMENU oldMenu = menu.hMenu;
    HDC oldDc = menu.hSideBarDC;
    HGDIOBJ sideBar = GetCurrentObject(oldDc, OBJ_BITMAP);
    ASSERT_EQ(static_cast<DWORD>(OBJ_BITMAP), GetObjectType(sideBar));
    menu.Release();
    EXPECT_FALSE(IsMenu(oldMenu));
    EXPECT_EQ(0u, GetObjectType(oldDc));
    EXPECT_EQ(0u, GetObjectType(sideBar));
    EXPECT_EQ(nullptr, menu.hMenu);
    EXPECT_EQ(nullptr, menu.hSideBarDC);
    EXPECT_EQ(nullptr, menu.hOldSideBarBitmap);
    menu.Release();  // twice is harmless
}

TEST_F(TrayMenuTest, DimMenuWithRemoveReplacesMenuAndSideBar) {
    Build(false);
    HMENU oldMenu = menu.hMenu;
    HDC oldDc = menu.hSideBarDC;
    SmallIcons = true;
    menu.DimMenu(true);
    EXPECT_FALSE(IsMenu(oldMenu));
    EXPECT_EQ(0u, GetObjectType(oldDc));
    EXPECT_TRUE(IsMenu(menu.hMenu));
    EXPECT_EQ(20, menu.ItemHeight);
    EXPECT_EQ(8, GetMenuItemCount(menu.hMenu));
}

// ---- Showing ----

TEST_F(TrayMenuTest, ShownWithItsBottomLeftAtThePointAndTheOwnerInFront) {
    Build(false);
    MenuDriver driver;
    std::vector<RECT> itemRects;
    driver.onMenu = [&](HWND) {
        for (int i = 0; i < 8; ++i) {
            RECT rect = {};
            GetMenuItemRect(nullptr, menu.hMenu, static_cast<UINT>(i), &rect);
            itemRects.push_back(rect);
        }
    };
    driver.Choose(0);
    menu.ShowPopupMenu(menu.hMenu, 300, 500);
    ASSERT_EQ(1, driver.menusSeen);
    EXPECT_EQ(owner.Hwnd(), driver.foregroundWhileOpen);
    EXPECT_EQ(300, driver.menuRect.left);
    EXPECT_EQ(500, driver.menuRect.bottom);
    // As measured: 32 and 7 pixels high, all equally wide.
    ASSERT_EQ(8u, itemRects.size());
    const int heights[] = {32, 7, 32, 32, 7, 32, 7, 32};
    for (int i = 0; i < 8; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(heights[i], itemRects[i].bottom - itemRects[i].top);
        EXPECT_EQ(itemRects[0].right - itemRects[0].left, itemRects[i].right - itemRects[i].left);
        EXPECT_GE(itemRects[i].right - itemRects[i].left, 190);
    }
}

TEST_F(TrayMenuTest, MinusOneMeansTheCursor) {
    Build(true);
    SetCursorPos(400, 600);
    POINT cursor;
    GetCursorPos(&cursor);
    MenuDriver driver;
    driver.Choose(0);
    menu.ShowPopupMenu(menu.hMenu, -1, 250);
    ASSERT_EQ(1, driver.menusSeen);
    EXPECT_EQ(cursor.x, driver.menuRect.left);
    EXPECT_EQ(cursor.y, driver.menuRect.bottom) << "both coordinates come from the cursor";
}

}  // namespace
