// The list view, its image list and the progress bar in a real form under a display:
// rows and their side data, check events from the user only, in-place editing, drawing.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "Controls.h"
#include "Form.h"
#include "ListView.h"
#include "Units.h"

namespace {

const COLORREF kRed = RGB(220, 0, 0);
const COLORREF kBlue = RGB(0, 0, 220);

// A 16 x 16 icon of one colour, opaque (all-zero mask), owned by the returned picture.
tw::Picture SolidIcon(COLORREF colour) {
    HDC screen = GetDC(nullptr);
    HBITMAP colourBits = CreateCompatibleBitmap(screen, 16, 16);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(dc, colourBits);
    HBRUSH brush = CreateSolidBrush(colour);
    RECT all = {0, 0, 16, 16};
    FillRect(dc, &all, brush);
    DeleteObject(brush);
    SelectObject(dc, old);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    std::vector<unsigned char> zeros(16 * 2, 0);
    HBITMAP mask = CreateBitmap(16, 16, 1, 1, zeros.data());
    ICONINFO info = {TRUE, 0, 0, mask, colourBits};
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(mask);
    DeleteObject(colourBits);
    return tw::IconToPicture(icon);
}

tw::Picture SolidBitmap(int width, int height, COLORREF colour) {
    HDC screen = GetDC(nullptr);
    HBITMAP bits = CreateCompatibleBitmap(screen, width, height);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(dc, bits);
    HBRUSH brush = CreateSolidBrush(colour);
    RECT all = {0, 0, width, height};
    FillRect(dc, &all, brush);
    DeleteObject(brush);
    SelectObject(dc, old);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return tw::Picture::FromBitmap(bits);
}

// Runs the form's pump (keyboard handling included) until `done` or about two seconds.
template <class Done>
bool PumpUntil(Done done) {
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > 2000) return false;
        tw::DoEvents();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return true;
}

void PumpFor(DWORD ms) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        tw::DoEvents();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
}

class ListForm : public tw::Form {
public:
    ListForm() : Form(Style()) {}
    tw::ImageList images;
    tw::ListView list;
    tw::ProgressBar progress;
    tw::Button ok;
    std::vector<int> checkEvents;
    std::vector<int> editEvents;
    std::vector<std::string> textsSeenByEditHandler;
    int okClicks = 0;

protected:
    static tw::FormStyle Style() {
        tw::FormStyle style;
        style.clientWidth = 5535;
        style.clientHeight = 3375;
        style.caption = "List view";
        return style;
    }
    void CreateControls() override {
        list.Create(*this, {120, 120, 5295, 2295});
        progress.Create(*this, {120, 2520, 3900, 345});
        ok.Create(*this, "&Ok", {4200, 2520, 1215, 345});
        ok.SetDefault(true);
        ok.SetCancel(true);
        ok.OnClick = [this] { ++okClicks; };
        list.OnCheckChanged = [this](int row) { checkEvents.push_back(row); };
        list.OnAfterLabelEdit = [this](int row) {
            editEvents.push_back(row);
            textsSeenByEditHandler.push_back(list.RowText(row));
        };
    }
};

// A shown form with two columns, three icons and three rows (icons 1, none, 3).
class ListViewTest : public testing::Test {
protected:
    void SetUp() override {
        form.Load();
        form.Show();
        ASSERT_TRUE(form.list.Hwnd());
        form.list.AddColumn("Application", 2600);
        form.list.AddColumn("Path & Filename", 2600);
        ASSERT_EQ(1, form.images.Add(SolidIcon(kRed), "key-0"));
        ASSERT_EQ(2, form.images.Add(SolidIcon(RGB(0, 160, 0)), "key-1"));
        ASSERT_EQ(3, form.images.Add(SolidIcon(kBlue), "key-2"));
        form.list.SetSmallIcons(&form.images);
        const char* names[] = {"Mail", "News", "Chat"};
        const int icons[] = {1, 0, 3};
        for (int i = 0; i < 3; ++i) {
            std::string key = "key-" + std::to_string(i);
            ASSERT_EQ(i + 1, form.list.AddRow(key, names[i], icons[i]));
            form.list.SetSubItem(i + 1, 1, std::string("C:\\Apps\\") + names[i] + ".exe /quiet");
        }
        form.list.SetChecked(1, true);
        form.list.SetChecked(3, true);
        UpdateWindow(form.Hwnd());
    }
    void TearDown() override { form.Unload(); }

    HWND Lv() const { return form.list.Hwnd(); }

    // Client point of a row's check box: the state image sits left of the small icon.
    POINT CheckBoxPoint(int row) {
        RECT icon = {LVIR_ICON, 0, 0, 0};
        SendMessageA(Lv(), LVM_GETITEMRECT, static_cast<WPARAM>(row - 1), reinterpret_cast<LPARAM>(&icon));
        int width = 16, height = 16;
        ImageList_GetIconSize(ListView_GetImageList(Lv(), LVSIL_STATE), &width, &height);
        POINT point = {icon.left - width / 2, (icon.top + icon.bottom) / 2};
        LVHITTESTINFO hit = {};
        hit.pt = point;
        ListView_HitTest(Lv(), &hit);
        EXPECT_EQ(row - 1, hit.iItem);
        EXPECT_TRUE(hit.flags & LVHT_ONITEMSTATEICON) << "hit flags " << hit.flags;
        return point;
    }

    ListForm form;
};

// ---- Image list ------------------------------------------------------------------------------

TEST(ImageList, NumbersImagesFromOneAndFindsThemByKey) {
    tw::ImageList images;
    ASSERT_TRUE(images.Handle());
    EXPECT_EQ(1, images.Add(SolidIcon(kRed), "key-0"));
    EXPECT_EQ(2, images.Add(SolidIcon(kBlue)));
    EXPECT_EQ(3, images.Add(SolidIcon(kBlue), "key-2"));
    EXPECT_EQ(3, images.Count());
    EXPECT_EQ(3, ImageList_GetImageCount(images.Handle()));
    struct Case {
        const char* key;
        int index;
    } cases[] = {{"key-0", 1}, {"key-2", 3}, {"key-1", 0}, {"KEY-0", 0}, {"", 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(c.index, images.IndexOfKey(c.key));
    }
    int width = 0, height = 0;
    ImageList_GetIconSize(images.Handle(), &width, &height);
    EXPECT_EQ(16, width);
    EXPECT_EQ(16, height);
}

TEST(ImageList, ClearEmptiesItAndNumberingStartsAgain) {
    tw::ImageList images;
    images.Add(SolidIcon(kRed), "key-0");
    images.Add(SolidIcon(kBlue), "key-1");
    images.Clear();
    EXPECT_EQ(0, images.Count());
    EXPECT_EQ(0, ImageList_GetImageCount(images.Handle()));
    EXPECT_EQ(0, images.IndexOfKey("key-0"));
    EXPECT_EQ(1, images.Add(SolidIcon(kBlue), "key-1"));
    EXPECT_EQ(1, images.IndexOfKey("key-1"));
}

TEST(ImageList, CopiesTheIconSoThePictureKeepsItsOwn) {
    tw::ImageList images;
    tw::Picture icon = SolidIcon(kRed);
    ASSERT_EQ(1, images.Add(icon, "key-0"));
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(icon.Icon(), &info)) << "the picture's icon was taken away";
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    icon = tw::Picture();  // the picture destroys its handle; the list's copy remains
    HICON copy = ImageList_GetIcon(images.Handle(), 0, ILD_NORMAL);
    EXPECT_TRUE(copy);
    if (copy) DestroyIcon(copy);
}

TEST(ImageList, ABitmapOfAnySizeBecomesOneImageAndAnEmptyPictureNone) {
    tw::ImageList images;
    EXPECT_EQ(1, images.Add(SolidBitmap(48, 16, kBlue), "wide"));
    EXPECT_EQ(2, images.Add(SolidBitmap(8, 8, kRed), "small"));
    EXPECT_EQ(0, images.Add(tw::Picture(), "empty"));
    EXPECT_EQ(2, images.Count());
    EXPECT_EQ(2, ImageList_GetImageCount(images.Handle()));
    EXPECT_EQ(0, images.IndexOfKey("empty"));
    EXPECT_EQ(2, images.IndexOfKey("small"));
}

// ---- Columns and rows ----------------------------------------------------------------------

TEST_F(ListViewTest, ColumnsHaveTheirHeadersAndTwipWidths) {
    HWND header = ListView_GetHeader(Lv());
    ASSERT_EQ(2, form.list.ColumnCount());
    ASSERT_EQ(2, Header_GetItemCount(header));
    EXPECT_EQ(tw::TwipsToPixelsX(2600), ListView_GetColumnWidth(Lv(), 0));
    EXPECT_EQ(tw::TwipsToPixelsX(2600), ListView_GetColumnWidth(Lv(), 1));

    form.list.ClearColumns();
    EXPECT_EQ(0, form.list.ColumnCount());
    form.list.AddColumn("Shortcut Name", 4185);
    form.list.AddColumn("Path & Filename", 5999);
    form.list.AddColumn("Registry Entry", 2880);
    ASSERT_EQ(3, form.list.ColumnCount());
    ASSERT_EQ(3, Header_GetItemCount(header));
    // The header control shows "&&" as one "&" (and a lone "&" as an underline).
    const char* headers[] = {"Shortcut Name", "Path && Filename", "Registry Entry"};
    const int widths[] = {4185, 5999, 2880};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(headers[i]);
        char text[64] = "";
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT;
        column.pszText = text;
        column.cchTextMax = sizeof(text);
        ASSERT_TRUE(SendMessageA(Lv(), LVM_GETCOLUMNA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column)));
        EXPECT_STREQ(headers[i], text);
        EXPECT_EQ(tw::TwipsToPixelsX(widths[i]), ListView_GetColumnWidth(Lv(), i));
    }
    // The rows and their sub-items outlive the change of columns, and the control shows
    // them again in the new columns.
    EXPECT_EQ(3, form.list.RowCount());
    EXPECT_EQ("C:\\Apps\\Chat.exe /quiet", form.list.SubItem(3, 1));
    char shown[64] = "";
    ListView_GetItemText(Lv(), 2, 1, shown, sizeof(shown));
    EXPECT_STREQ("C:\\Apps\\Chat.exe /quiet", shown);
}

TEST_F(ListViewTest, RowsKeepKeyTextIconTagAndSubItems) {
    form.list.SetRowTag(1, "lnk");
    form.list.SetRowTag(3, "pif");
    form.list.SetSubItem(2, 2, "News");  // before its column exists
    form.list.SetSubItem(3, 2, "Chat");
    form.list.AddColumn("Registry Entry", 2880);
    form.list.SetSubItem(3, 2, "");
    struct Case {
        int row;
        const char* key;
        const char* text;
        int icon;
        int controlImage;
        const char* tag;
        const char* sub1;
        const char* sub2;
    } cases[] = {
        {1, "key-0", "Mail", 1, 0, "lnk", "C:\\Apps\\Mail.exe /quiet", ""},
        {2, "key-1", "News", 0, I_IMAGENONE, "", "C:\\Apps\\News.exe /quiet", "News"},
        {3, "key-2", "Chat", 3, 2, "pif", "C:\\Apps\\Chat.exe /quiet", ""},
    };
    ASSERT_EQ(3, form.list.RowCount());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row);
        EXPECT_EQ(c.key, form.list.RowKey(c.row));
        EXPECT_EQ(c.text, form.list.RowText(c.row));
        EXPECT_EQ(c.icon, form.list.RowIcon(c.row));
        EXPECT_EQ(c.tag, form.list.RowTag(c.row));
        EXPECT_EQ(c.sub1, form.list.SubItem(c.row, 1));
        EXPECT_EQ(c.sub2, form.list.SubItem(c.row, 2));
        for (int sub = 1; sub <= 2; ++sub) {
            char shown[64] = "";
            ListView_GetItemText(Lv(), c.row - 1, sub, shown, sizeof(shown));
            EXPECT_EQ(form.list.SubItem(c.row, sub), shown) << "column " << sub;
        }
        EXPECT_EQ("", form.list.SubItem(c.row, 3));
        LVITEMA item = {};
        item.mask = LVIF_IMAGE;
        item.iItem = c.row - 1;
        ASSERT_TRUE(SendMessageA(Lv(), LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)));
        EXPECT_EQ(c.controlImage, item.iImage);
    }
}

TEST_F(ListViewTest, RowsOutsideTheListReadAsEmptyAndIgnoreWrites) {
    for (int row : {0, -1, 4}) {
        SCOPED_TRACE(row);
        EXPECT_EQ("", form.list.RowKey(row));
        EXPECT_EQ("", form.list.RowText(row));
        EXPECT_EQ("", form.list.RowTag(row));
        EXPECT_EQ(0, form.list.RowIcon(row));
        EXPECT_EQ("", form.list.SubItem(row, 1));
        EXPECT_FALSE(form.list.Checked(row));
        form.list.SetRowText(row, "x");
        form.list.SetRowTag(row, "x");
        form.list.SetChecked(row, true);
        form.list.SetSubItem(row, 1, "x");
        form.list.StartLabelEdit(row);
    }
    EXPECT_EQ("", form.list.SubItem(1, 0)) << "sub-items count from 1";
    EXPECT_EQ(3, form.list.RowCount());
    EXPECT_EQ("Mail", form.list.RowText(1));
    EXPECT_EQ(nullptr, ListView_GetEditControl(Lv()));
}

TEST_F(ListViewTest, LongTextsComeBackWhole) {
    std::string longText(1000, 'a');
    longText += "end";
    form.list.SetRowText(2, longText);
    form.list.SetSubItem(2, 1, longText + "!");
    EXPECT_EQ(longText, form.list.RowText(2));
    EXPECT_EQ(longText + "!", form.list.SubItem(2, 1));
}

TEST_F(ListViewTest, ClearRowsEmptiesTheListAndItsSideData) {
    form.list.ClearRows();
    EXPECT_EQ(0, form.list.RowCount());
    EXPECT_EQ(0, ListView_GetItemCount(Lv()));
    EXPECT_EQ("", form.list.RowKey(1));
    EXPECT_EQ(1, form.list.AddRow("key-9", "Again", 2));
    EXPECT_EQ("key-9", form.list.RowKey(1));
    EXPECT_EQ(2, form.list.RowIcon(1));
    EXPECT_FALSE(form.list.Checked(1)) << "a new row starts unchecked";
}

// ---- Check states and the check event ------------------------------------------------------

TEST_F(ListViewTest, ProgramChecksAreReadBackWithoutEvents) {
    EXPECT_TRUE(form.list.Checked(1));
    EXPECT_FALSE(form.list.Checked(2));
    EXPECT_TRUE(form.list.Checked(3));
    EXPECT_EQ(1, ListView_GetCheckState(Lv(), 0));
    EXPECT_EQ(0, ListView_GetCheckState(Lv(), 1));
    form.list.SetChecked(1, false);
    form.list.SetChecked(2, true);
    form.list.SetChecked(2, true);
    EXPECT_FALSE(form.list.Checked(1));
    EXPECT_TRUE(form.list.Checked(2));
    form.list.AddRow("key-3", "More", 0);
    form.list.ClearRows();
    PumpFor(100);
    EXPECT_TRUE(form.checkEvents.empty()) << "first event for row " << form.checkEvents.front();
}

TEST_F(ListViewTest, AClickOnTheCheckBoxTogglesItAndFiresOnce) {
    POINT point = CheckBoxPoint(2);
    LPARAM at = MAKELPARAM(point.x, point.y);
    PostMessageA(Lv(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(Lv(), WM_LBUTTONUP, 0, at);
    ASSERT_TRUE(PumpUntil([&] { return !form.checkEvents.empty(); }));
    PumpFor(50);
    EXPECT_EQ(std::vector<int>{2}, form.checkEvents);
    EXPECT_TRUE(form.list.Checked(2));
    EXPECT_TRUE(form.list.Checked(1));
    EXPECT_TRUE(form.list.Checked(3));
}

TEST_F(ListViewTest, ARealMouseClickUnchecksACheckedRow) {
    POINT point = CheckBoxPoint(3);
    // The event sees the new state already.
    bool checkedInHandler = true;
    form.list.OnCheckChanged = [&](int row) {
        form.checkEvents.push_back(row);
        checkedInHandler = form.list.Checked(row);
    };
    ClientToScreen(Lv(), &point);
    SetCursorPos(point.x, point.y);
    INPUT input[2] = {};
    input[0].type = input[1].type = INPUT_MOUSE;
    input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    ASSERT_EQ(2u, SendInput(2, input, sizeof(INPUT)));
    ASSERT_TRUE(PumpUntil([&] { return !form.checkEvents.empty(); }));
    PumpFor(50);
    EXPECT_EQ(std::vector<int>{3}, form.checkEvents);
    EXPECT_FALSE(form.list.Checked(3));
    EXPECT_FALSE(checkedInHandler);
}

TEST_F(ListViewTest, SpaceTogglesTheSelectedRow) {
    ListView_SetItemState(Lv(), 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    SetForegroundWindow(form.Hwnd());
    SetFocus(Lv());
    PumpFor(50);
    EXPECT_TRUE(form.checkEvents.empty()) << "selecting is no check change";
    for (bool expected : {false, true}) {
        SCOPED_TRACE(expected);
        form.checkEvents.clear();
        // Through the form's pump, as a key press arrives.
        PostMessageA(Lv(), WM_KEYDOWN, VK_SPACE, 0x00390001);
        PostMessageA(Lv(), WM_CHAR, ' ', 0x00390001);
        PostMessageA(Lv(), WM_KEYUP, VK_SPACE, 0xC0390001);
        ASSERT_TRUE(PumpUntil([&] { return !form.checkEvents.empty(); }));
        PumpFor(50);
        EXPECT_EQ(std::vector<int>{1}, form.checkEvents);
        EXPECT_EQ(expected, form.list.Checked(1));
    }
    EXPECT_EQ(0, form.okClicks);
}

// ---- In-place editing ----------------------------------------------------------------------

TEST_F(ListViewTest, LabelEditSwitchesTheStyle) {
    auto style = [&] { return GetWindowLongPtrA(Lv(), GWL_STYLE) & LVS_EDITLABELS; };
    EXPECT_EQ(0, style()) << "editing is off until switched on";
    form.list.SetLabelEdit(true);
    EXPECT_NE(0, style());
    form.list.SetLabelEdit(false);
    EXPECT_EQ(0, style());
}

TEST_F(ListViewTest, NoEditorOpensWhileEditingIsOff) {
    form.list.StartLabelEdit(2);
    PumpFor(50);
    EXPECT_EQ(nullptr, ListView_GetEditControl(Lv()));
    EXPECT_TRUE(form.editEvents.empty());
    EXPECT_EQ("News", form.list.RowText(2));
}

// Some versions of the control open the editor on LVM_EDITLABEL whatever the style says;
// the answer to LVN_BEGINLABELEDIT is what keeps editing off.
TEST_F(ListViewTest, TheBeginEditNotificationIsRefusedOnlyWhileEditingIsOff) {
    for (bool automatic : {false, true, false}) {
        SCOPED_TRACE(automatic);
        form.list.SetLabelEdit(automatic);
        NMLVDISPINFOA info = {};
        info.hdr.hwndFrom = Lv();
        info.hdr.idFrom = static_cast<UINT_PTR>(form.list.Id());
        info.hdr.code = LVN_BEGINLABELEDITA;
        info.item.iItem = 1;
        LRESULT refused = SendMessageA(form.Hwnd(), WM_NOTIFY, info.hdr.idFrom, reinterpret_cast<LPARAM>(&info));
        EXPECT_EQ(automatic ? FALSE : TRUE, refused);
    }
}

TEST_F(ListViewTest, EnterInTheEditorSetsTheTextThenRunsTheEvent) {
    form.list.SetLabelEdit(true);
    form.list.StartLabelEdit(2);
    HWND edit = ListView_GetEditControl(Lv());
    ASSERT_TRUE(edit);
    EXPECT_EQ(2, ListView_GetNextItem(Lv(), -1, LVNI_SELECTED) + 1);
    SetWindowTextA(edit, "Newsreader");
    // Posted through the form's pump: Enter must end the edit, not press the default button.
    PostMessageA(edit, WM_KEYDOWN, VK_RETURN, 0x001C0001);
    ASSERT_TRUE(PumpUntil([&] { return !form.editEvents.empty(); }));
    PumpFor(50);
    EXPECT_EQ(std::vector<int>{2}, form.editEvents);
    EXPECT_EQ(std::vector<std::string>{"Newsreader"}, form.textsSeenByEditHandler);
    EXPECT_EQ("Newsreader", form.list.RowText(2));
    EXPECT_EQ(0, form.okClicks);
    EXPECT_TRUE(form.checkEvents.empty());
    EXPECT_EQ(nullptr, ListView_GetEditControl(Lv()));
}

TEST_F(ListViewTest, EscapeInTheEditorKeepsTheTextAndRunsNoEvent) {
    form.list.SetLabelEdit(true);
    form.list.StartLabelEdit(1);
    HWND edit = ListView_GetEditControl(Lv());
    ASSERT_TRUE(edit);
    SetWindowTextA(edit, "Discarded");
    PostMessageA(edit, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    ASSERT_TRUE(PumpUntil([&] { return ListView_GetEditControl(Lv()) == nullptr; }));
    PumpFor(50);
    EXPECT_TRUE(form.editEvents.empty());
    EXPECT_EQ("Mail", form.list.RowText(1));
    EXPECT_EQ(0, form.okClicks) << "Esc in the editor is not the form's Esc";
}

TEST_F(ListViewTest, TheEditEventMayChangeTheTextItself) {
    form.list.SetLabelEdit(true);
    form.list.OnAfterLabelEdit = [&](int row) {
        form.editEvents.push_back(row);
        form.list.SetRowText(row, "Fixed " + form.list.RowText(row));
    };
    form.list.StartLabelEdit(3);
    HWND edit = ListView_GetEditControl(Lv());
    ASSERT_TRUE(edit);
    SetWindowTextA(edit, "Talk");
    SendMessageA(edit, WM_KEYDOWN, VK_RETURN, 0x001C0001);
    PumpFor(50);
    EXPECT_EQ(std::vector<int>{3}, form.editEvents);
    EXPECT_EQ("Fixed Talk", form.list.RowText(3));
}

// ---- Ownership and drawing -----------------------------------------------------------------

TEST(ListViewLifetime, UnloadingTheFormLeavesTheImageListAlive) {
    ListForm form;
    form.Load();
    form.images.Add(SolidIcon(kRed), "key-0");
    form.list.SetSmallIcons(&form.images);
    form.list.AddRow("key-0", "Mail", 1);
    form.Unload();
    EXPECT_EQ(nullptr, form.list.Hwnd());
    EXPECT_EQ(1, ImageList_GetImageCount(form.images.Handle())) << "the control destroyed a list it does not own";
    EXPECT_EQ(0, form.list.RowCount());
    EXPECT_EQ("", form.list.RowKey(1));
}

TEST_F(ListViewTest, DrawsIconsAndCheckBoxesOfTheRows) {
    InvalidateRect(Lv(), nullptr, TRUE);
    UpdateWindow(Lv());
    if (const char* pause = std::getenv("TW_LISTVIEW_PAUSE_MS")) PumpFor(static_cast<DWORD>(std::atoi(pause)));
    HDC dc = GetDC(Lv());
    auto iconCentre = [&](int row) {
        RECT icon = {LVIR_ICON, 0, 0, 0};
        SendMessageA(Lv(), LVM_GETITEMRECT, static_cast<WPARAM>(row - 1), reinterpret_cast<LPARAM>(&icon));
        return GetPixel(dc, (icon.left + icon.right) / 2, (icon.top + icon.bottom) / 2);
    };
    auto similar = [](COLORREF a, COLORREF b) {
        return std::abs(GetRValue(a) - GetRValue(b)) < 24 && std::abs(GetGValue(a) - GetGValue(b)) < 24 &&
               std::abs(GetBValue(a) - GetBValue(b)) < 24;
    };
    EXPECT_TRUE(similar(kRed, iconCentre(1))) << std::hex << iconCentre(1);
    EXPECT_TRUE(similar(kBlue, iconCentre(3))) << std::hex << iconCentre(3);
    COLORREF background = ListView_GetBkColor(Lv());
    if (background == CLR_NONE || background == CLR_DEFAULT) background = GetSysColor(COLOR_WINDOW);
    EXPECT_TRUE(similar(background, iconCentre(2))) << "row 2 has no icon: " << std::hex << iconCentre(2);
    // A checked and an unchecked box differ; two checked ones look alike.
    auto box = [&](int row) {
        POINT centre = CheckBoxPoint(row);
        std::vector<COLORREF> pixels;
        for (int dy = -5; dy <= 5; ++dy)
            for (int dx = -5; dx <= 5; ++dx) pixels.push_back(GetPixel(dc, centre.x + dx, centre.y + dy));
        return pixels;
    };
    EXPECT_NE(box(1), box(2));
    EXPECT_EQ(box(1), box(3));
    ReleaseDC(Lv(), dc);
}

// ---- Progress bar --------------------------------------------------------------------------

TEST_F(ListViewTest, ProgressBarKeepsMaximumAndValueInTheControl) {
    HWND bar = form.progress.Hwnd();
    ASSERT_TRUE(bar);
    EXPECT_EQ(100, SendMessageA(bar, PBM_GETRANGE, FALSE, 0)) << "a fresh bar runs to 100";
    struct Case {
        int max, value, expectedMax, expectedValue;
    } cases[] = {{3, 0, 3, 0}, {3, 2, 3, 2}, {3, 5, 3, 3}, {70000, 69999, 70000, 69999}, {1, -4, 1, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.max << " " << c.value);
        form.progress.SetMax(c.max);
        form.progress.SetValue(c.value);
        EXPECT_EQ(c.expectedMax, form.progress.Max());
        EXPECT_EQ(c.expectedValue, form.progress.Value());
        EXPECT_EQ(c.expectedMax, SendMessageA(bar, PBM_GETRANGE, FALSE, 0));
        EXPECT_EQ(0, SendMessageA(bar, PBM_GETRANGE, TRUE, 0));
        EXPECT_EQ(c.expectedValue, SendMessageA(bar, PBM_GETPOS, 0, 0));
    }
    form.progress.SetValue(1);
    form.progress.SetMax(0);
    EXPECT_EQ(0, form.progress.Value()) << "a smaller maximum pulls the value down";
    EXPECT_EQ(0, SendMessageA(bar, PBM_GETPOS, 0, 0));
    form.progress.SetVisible(false);
    EXPECT_FALSE(IsWindowVisible(bar));
    form.progress.SetVisible(true);
    EXPECT_TRUE(IsWindowVisible(bar));
}

TEST(ProgressBar, SettingsMadeBeforeCreationReachTheControl) {
    class BarForm : public tw::Form {
    public:
        BarForm() : Form(tw::FormStyle{}) {}
        tw::ProgressBar bar;

    protected:
        void CreateControls() override {
            bar.SetMax(3);
            bar.SetValue(2);
            bar.Create(*this, {120, 120, 3000, 375});
        }
    } form;
    form.Load();
    ASSERT_TRUE(form.bar.Hwnd());
    EXPECT_EQ(3, SendMessageA(form.bar.Hwnd(), PBM_GETRANGE, FALSE, 0));
    EXPECT_EQ(2, SendMessageA(form.bar.Hwnd(), PBM_GETPOS, 0, 0));
    form.Unload();
}

}  // namespace
