// The wizard window frmRegRun driven for real under a display: buttons pressed, list check
// boxes clicked, rows renamed in place, keys typed, message boxes answered by the test.
// Each test has its own StartUp and Online StartUp folders, REMOVED.REG and Run keys.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "../unit/OperationsTestKit.h"
#include "Fakes.h"
#include "Resources.h"
#include "ScreenShot.h"
#include "ShellLinkHelper.h"
#include "Shortcut.h"
#include "Units.h"
#include "WizardDriver.h"
#include "flow/Module1.h"
#include "flow/frmRegRun.h"
#include "flow/frmRename.h"
#include "operations/modRegStuff.h"

using namespace tw;
using tw::test::FakePrompter;
using tw::test::Press;
using tw::test::PressKey;
using tw::test::PumpFor;

namespace {

std::string CR(int count) { return std::string(static_cast<size_t>(count), '\r'); }

const std::string kPage0 =
    "This wizard will lead you through the process of adding shortcuts to your Online StartUp "
    "folder." + CR(3) + "- Moving your StartUp folder shortcuts." + CR(2) +
    "- Creating shortcuts from your registry." + CR(3) + "Please click the Begin button to get started.";
const std::string kPage1 =
    "Check the StartUp folder shortcut item(s) that you would like to move to the Online Startup folder.";
const std::string kPage2 =
    "Check the registry item(s) that you would like to create shortcuts for in the Online Startup folder.";
const std::string kWarning = "WARNING: If you are unsure DON'T check the item!";
const std::string kFinishTail =
    "Any registry entries that are removed will be saved to REMOVED.REG, located in the main "
    "Osprey directory." + CR(3) + "Please click the Finish button to create the shortcuts.";
const std::string kBackTail =
    "Please click the Back button to go back and select items, or the Cancel button to quit "
    "without manipulating any shortcuts.";
const std::string kNoStartUp = "-You did not select any StartUp shortcuts.";
const std::string kNoRegistry = "-You did not select any registry items.";
const std::string kProcessing = CR(7) + "Manipulating shortcuts...";
const std::string kAllDone = "All done, click the Exit button to close.";
const std::string kCreated = "The shortcut was created successfuly.";
const std::string kNoShortcuts =
    "There are no shortcuts in your Online StartUp folder. You can move your online programs "
    "shortcuts from your StartUp folder, or create new shortcuts to your online programs. ";
const std::string kInvalidName = "A filename cannot contain any of the following characters:\r" +
                                 std::string(17, ' ') + "\\ / : * ? \" < > |";

std::string Summary(const std::string& first, const std::string& second, const std::string& tail) {
    return "Thank you, for using this Wizard." + CR(3) + first + CR(2) + second + CR(3) + tail;
}
std::string Moving(int count) { return "-" + std::to_string(count) + " StartUp shortcut(s) will be moved."; }
std::string Creating(int count) {
    return "-" + std::to_string(count) + " registry item shortcut(s) will be created.";
}

std::string OwnExe() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
}

bool IsDirectory(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Every file of a folder with its bytes.
std::map<std::string, std::string> FolderFiles(const std::string& folder) {
    std::map<std::string, std::string> files;
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((folder + "*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return files;
    do {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            files[entry.cFileName] = tw::test::ReadFileBytes(folder + entry.cFileName);
    } while (FindNextFileA(find, &entry));
    FindClose(find);
    return files;
}

// A Run key's values with their types and data.
std::map<std::string, std::string> KeyValues(HKEY hive, const std::string& subKey) {
    std::map<std::string, std::string> values;
    HKEY key = nullptr;
    if (RegOpenKeyExA(hive, subKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return values;
    char name[512];
    for (DWORD i = 0;; ++i) {
        DWORD length = sizeof(name);
        if (RegEnumValueA(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        tw::test::RawValue value = tw::test::GetRawValue(hive, subKey, std::string(name, length));
        values[std::string(name, length)] = std::to_string(value.type) + ":" + value.data;
    }
    RegCloseKey(key);
    return values;
}

// The non-blank lines of a file.
std::vector<std::string> Lines(const std::string& file) {
    std::vector<std::string> lines;
    for (const std::string& line : tw::test::ReadLines(file))
        if (!line.empty()) lines.push_back(line);
    return lines;
}

class WizardTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(root.empty());
        ASSERT_TRUE(CreateDirectoryA(startup.c_str(), nullptr));
        Open(online);
    }
    void TearDown() override {
        if (form && form->IsLoaded()) form->Unload();
        form.reset();
        if (frmRename* rename = RenameDialog().Existing()) rename->Unload();
        CollectRetiredForms();
    }

    // A new wizard window over the test's StartUp folder and the Online StartUp folder given.
    void Open(const std::string& onlineFolder) {
        if (form && form->IsLoaded()) form->Unload();
        form = std::make_unique<frmRegRun>(onlineFolder, startup);
        form->Load();
        ASSERT_TRUE(form->Hwnd());
        form->Show();
        SetForegroundWindow(form->Hwnd());
        PumpFor(30);
    }

    void Link(const std::string& name, const std::string& arguments = std::string()) {
        tw::test::ShellLinkFields fields;
        fields.path = OwnExe();
        fields.arguments = arguments;
        ASSERT_EQ(S_OK, tw::test::CreateShellLink(startup + name, fields));
    }
    void RunValue(HKEY hive, const std::string& name, const std::string& commandLine) {
        ASSERT_TRUE(tw::test::SetStringValue(hive, keys.Path(), name, commandLine));
    }
    bool HasRunValue(HKEY hive, const std::string& name) {
        return tw::test::GetRawValue(hive, keys.Path(), name).present;
    }

    void Next() { Press(form->cmdNext); }
    void Back() { Press(form->cmdBack); }
    // Presses Next until the page is reached.
    void ForwardTo(int page) {
        while (form->IsLoaded() && form->CurrentPage < page) {
            int before = form->CurrentPage;
            Next();
            ASSERT_EQ(before + 1, form->CurrentPage);
        }
    }
    int Row(const std::string& text) const {
        for (int row = 1; row <= form->ListView1.RowCount(); ++row)
            if (form->ListView1.RowText(row) == text) return row;
        return 0;
    }
    void Check(const std::string& text) {
        int row = Row(text);
        ASSERT_NE(0, row) << text << " is not listed";
        ASSERT_TRUE(tw::test::ClickCheckBox(form->ListView1, row));
        ASSERT_TRUE(form->ListView1.Checked(row));
    }
    std::vector<std::string> CheckedRows() const {
        std::vector<std::string> rows;
        for (int row = 1; row <= form->ListView1.RowCount(); ++row)
            if (form->ListView1.Checked(row)) rows.push_back(form->ListView1.RowText(row));
        return rows;
    }
    std::string RemovedReg() const { return root + "removed.reg"; }
    std::string Section(const std::string& hive) const { return "[" + hive + "\\" + keys.Path() + "]"; }

    FakePrompter prompter;
    tw::test::RunKeySandbox keys{"flow"};
    std::string root = tw::test::NewTestFolder("flow");
    std::string startup = root + "StartUp\\";
    // Two levels that do not exist yet: page 4 makes them all.
    std::string online = root + "Start Menu\\Programs\\Online Startup\\";
    tw::test::RemovedRegAt removed{root + "removed.reg"};
    std::unique_ptr<frmRegRun> form;
};

// ---- The window ------------------------------------------------------------------------

RECT ClientRectOf(HWND control) {
    RECT rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

TEST_F(WizardTest, WindowHasItsControlsInPlace) {
    EXPECT_EQ("Osprey Online StartUp Wizard", form->Caption());
    EXPECT_NEAR(6525, form->ScaleWidth(), TwipsPerPixelX());
    EXPECT_NEAR(4470, form->ScaleHeight(), TwipsPerPixelY());
    struct Place {
        const char* name;
        const Control& control;
        int left, top, width, height;
    } places[] = {
        {"imgWizard", form->imgWizard, 180, 180, 1790, 3375},
        {"lblContent", form->lblContent, 2160, 240, 4215, 3375},
        {"ListView1", form->ListView1, 2160, 720, 4215, 2535},
        {"prgCreating", form->prgCreating, 2160, 1920, 4215, 375},
        {"imgWarning", form->imgWarning, 2160, 3285, 240, 240},
        {"lblCaption", form->lblCaption, 2415, 3300, 3960, 240},
        {"cmdBack", form->cmdBack, 2850, 3975, 1125, 345},
        {"cmdNext", form->cmdNext, 3980, 3975, 1125, 345},
        {"cmdCancel", form->cmdCancel, 5250, 3975, 1125, 345},
    };
    for (const Place& p : places) {
        SCOPED_TRACE(p.name);
        ASSERT_TRUE(p.control.Hwnd());
        RECT rect = ClientRectOf(p.control.Hwnd());
        EXPECT_EQ(TwipsToPixelsX(p.left), rect.left);
        EXPECT_EQ(TwipsToPixelsY(p.top), rect.top);
        EXPECT_EQ(TwipsToPixelsX(p.width), rect.right - rect.left);
        EXPECT_EQ(TwipsToPixelsY(p.height), rect.bottom - rect.top);
    }
    EXPECT_EQ("< &Back", form->cmdBack.Text());
    EXPECT_EQ("&Cancel", form->cmdCancel.Text());
    EXPECT_FALSE(form->cmdBack.Enabled());
    EXPECT_TRUE(form->cmdCancel.Enabled());
    LRESULT defId = SendMessageA(form->Hwnd(), DM_GETDEFID, 0, 0);
    EXPECT_EQ(DC_HASDEFID, HIWORD(defId));
    EXPECT_EQ(form->cmdNext.Id(), LOWORD(defId));
    // The wizard picture (bitmap 101, 144 x 287) and the warning sign (icon 103).
    ASSERT_TRUE(form->imgWizard.GetPicture().Bitmap());
    BITMAP bitmap{};
    GetObjectA(form->imgWizard.GetPicture().Bitmap(), sizeof(bitmap), &bitmap);
    EXPECT_EQ(144, bitmap.bmWidth);
    EXPECT_EQ(287, bitmap.bmHeight);
    EXPECT_TRUE(form->imgWarning.GetPicture().IsIcon());
    // Centred on the screen.
    RECT window;
    GetWindowRect(form->Hwnd(), &window);
    EXPECT_NEAR((GetSystemMetrics(SM_CXSCREEN) - (window.right - window.left)) / 2, window.left, 1);
    EXPECT_NEAR((GetSystemMetrics(SM_CYSCREEN) - (window.bottom - window.top)) / 2, window.top, 1);
}

// ---- On the screen, at any DPI -----------------------------------------------------------
// The suite also runs these at 144 and 192 dpi; TW_SCREENSHOTS keeps the pictures.

// Whether a control's text, laid out as the control lays it out (a static control wraps at
// words, a button keeps one line inside its edges), fits inside the control.
bool TextFits(HWND control, bool wraps) {
    char text[2048] = {};
    GetWindowTextA(control, text, sizeof(text));
    RECT client;
    GetClientRect(control, &client);
    const int edge = wraps ? 0 : 2 * GetSystemMetrics(SM_CXEDGE);
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
    RECT need = {0, 0, client.right - 2 * edge, 0};
    DrawTextA(dc, text, -1, &need, DT_CALCRECT | (wraps ? DT_WORDBREAK | DT_EXPANDTABS : DT_SINGLELINE));
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return need.right <= client.right - 2 * edge && need.bottom <= client.bottom - 2 * edge;
}

class WizardScreen : public WizardTest {
protected:
    // Checks that nothing on the page is cut off and keeps a picture of the window.
    void Look(const char* name) {
        PumpFor(200);
        SCOPED_TRACE(name);
        for (const Label* label : {&form->lblContent, &form->lblCaption}) {
            if (IsWindowVisible(label->Hwnd())) {
                EXPECT_TRUE(TextFits(label->Hwnd(), true)) << label->Caption();
            }
        }
        for (const Button* button : {&form->cmdBack, &form->cmdNext, &form->cmdCancel})
            EXPECT_TRUE(TextFits(button->Hwnd(), false)) << button->Text();
        if (form->ListView1.Visible() && form->ListView1.RowCount() > 0) {
            RECT row = {LVIR_BOUNDS, 0, 0, 0};
            SendMessageA(form->ListView1.Hwnd(), LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
            EXPECT_GE(row.bottom - row.top, SmallIconSize()) << "rows as high as their icons";
            EXPECT_EQ(SmallIconSize(), form->imlIcons.ImageSize());
        }
        RECT window;
        GetWindowRect(form->Hwnd(), &window);
        EXPECT_GE(window.left, 0);
        EXPECT_LE(window.bottom, GetSystemMetrics(SM_CYSCREEN)) << "the window fits on the screen";
        tw::test::ScreenShot(window).SaveAs(name);
    }
};

TEST_F(WizardScreen, EveryPageFitsItsWindow) {
    Link("Mail.lnk");
    Link("News.lnk");
    RunValue(HKEY_CURRENT_USER, "Pager", "C:\\Apps\\pager.exe");
    RunValue(HKEY_LOCAL_MACHINE, "Sync", "\"C:\\Program Files\\Sync Tool\\sync.exe\" SyncApp");
    ASSERT_TRUE(tw::test::SetStringValue(HKEY_LOCAL_MACHINE, keys.Path(), "Old Updater", "C:\\Old\\update.exe",
                                         REG_SZ, KEY_WOW64_32KEY));
    Look("marshal-page0.bmp");
    Next();
    Check("Mail");
    Look("marshal-page1.bmp");
    Next();
    ASSERT_EQ(3, form->ListView1.RowCount());
    Check("Old Updater");
    Look("marshal-page2.bmp");
    // The key each row comes from, in the last column: scrolled as far right as it goes.
    HWND list = form->ListView1.Hwnd();
    int width = 0;
    for (int column = 0; column < 4; ++column) width += ListView_GetColumnWidth(list, column);
    ListView_Scroll(list, width, 0);
    Look("marshal-page2-keys.bmp");
    Next();
    Look("marshal-page3.bmp");
}

TEST_F(WizardScreen, NamesBeyondTheCodePageAreListedEditedAndRenamedAsTyped) {
    if (!std::getenv("TW_FONT_LINKS")) GTEST_SKIP() << "runs with the fonts for Chinese and emoji linked in (the *_names_* tests)";
    const std::string mail = "\xD0\x9F\xD0\xBE\xD1\x87\xD1\x82\xD0\xB0 \xF0\x9F\x93\xA7";   // "Почта 📧"
    const std::string news = "\xD0\x9D\xD0\xBE\xD0\xB2\xD0\xBE\xD1\x81\xD1\x82\xD0\xB8";  // "Новости"
    const std::string newsValue = news + ": \xE6\x96\xB0\xE9\x97\xBB";                 // "Новости: 新闻"
    const std::string chat = "\xD0\xA7\xD0\xB0\xD1\x82";                               // "Чат"
    const std::string chatLine = "\"C:\\\xD0\x9F\xD1\x80\xD0\xBE\xD0\xB3\xD0\xB0\\\xD1\x87\xD0\xB0\xD1\x82.exe\" /c";
    Link(mail + ".lnk");
    ASSERT_TRUE(tw::test::SetWideString(HKEY_CURRENT_USER, keys.Path(), newsValue, OwnExe() + " \xE6\x96\xB0"));
    ASSERT_TRUE(tw::test::SetWideString(HKEY_LOCAL_MACHINE, keys.Path(), chat, chatLine));
    // "表" is 0x95 0x5C in code page 932: nothing cuts it at its second byte.
    const std::string table = "\xE8\xA1\xA8\xE8\xA8\x88\xE7\xAE\x97";  // "表計算"
    const std::string tableLine = "C:\\\xE8\xA1\xA8\\\xE8\xA1\xA8.exe /x";
    ASSERT_TRUE(tw::test::SetWideString(HKEY_CURRENT_USER, keys.Path(), table, tableLine));
    const auto shown = [&](int row, int column) { return tw::test::ListItemText(form->ListView1.Hwnd(), row - 1, column); };
    Next();
    ASSERT_EQ(1, form->ListView1.RowCount());
    EXPECT_EQ(tw::test::Utf16(mail), shown(1, 0));
    Check(mail);
    Next();
    ASSERT_NE(0, Row(newsValue));
    ASSERT_NE(0, Row(chat));
    EXPECT_EQ(tw::test::Utf16(chatLine), shown(Row(chat), 1));
    EXPECT_EQ(tw::test::Utf16(newsValue), shown(Row(newsValue), 2));
    ASSERT_NE(0, Row(table));
    EXPECT_EQ(tw::test::Utf16(tableLine), shown(Row(table), 1));
    // Edited in place to a name with an emoji.
    ASSERT_TRUE(tw::test::RenameInPlace(form->ListView1, Row(chat), chat + " \xF0\x9F\x92\xAC"));
    Check(chat + " \xF0\x9F\x92\xAC");
    Check(newsValue);
    Look("marshal-page2-names.bmp");
    std::string inDialog;
    tw::test::Script script({[&] {
                                 frmRename* dialog = RenameDialog().Existing();
                                 if (!dialog || !dialog->Visible()) return false;
                                 PumpFor(200);
                                 inDialog = dialog->Text1.Text();
                                 RECT rect;
                                 GetWindowRect(dialog->Hwnd(), &rect);
                                 tw::test::ScreenShot(rect).SaveAs("marshal-rename-names.bmp");
                                 dialog->Text1.SetText(news);
                                 Press(dialog->cmdOK);
                                 return true;
                             }},
                            [] {
                                if (frmRename* dialog = RenameDialog().Existing()) dialog->Hide();
                            });
    Next();
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(newsValue, inDialog);
    ASSERT_EQ(2u, form->RegSelection.size());
    EXPECT_EQ(std::vector<std::string>{mail + ".lnk"}, form->StartUpSelection);
    for (const RegItem& item : form->RegSelection) {
        SCOPED_TRACE(item.ValueName);
        EXPECT_EQ(item.ValueName == chat ? chat + " \xF0\x9F\x92\xAC" : news, item.ShortcutName);
    }
}

TEST_F(WizardTest, PaintFramesThePictureWithASunkenEdgeAndDrawsTheSeparator) {
    RedrawWindow(form->Hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpFor(50);
    RECT picture = ClientRectOf(form->imgWizard.Hwnd());
    HDC dc = GetDC(form->Hwnd());
    int middleY = (picture.top + picture.bottom) / 2;
    int middleX = (picture.left + picture.right) / 2;
    struct Pixel {
        const char* where;
        int x, y;
        int colour;
    } pixels[] = {
        // BDR_SUNKENOUTER: shadow on the left and top, highlight on the right and bottom,
        // one pixel outside the picture.
        {"left edge", picture.left - 1, middleY, COLOR_BTNSHADOW},
        {"top edge", middleX, picture.top - 1, COLOR_BTNSHADOW},
        {"right edge", picture.right, middleY, COLOR_BTNHIGHLIGHT},
        {"bottom edge", middleX, picture.bottom, COLOR_BTNHIGHLIGHT},
        {"outside the edge", picture.left - 3, middleY, COLOR_BTNFACE},
        {"Line1", TwipsToPixelsX(3000), TwipsToPixelsY(3840), COLOR_3DSHADOW},
        {"Line2", TwipsToPixelsX(3000), TwipsToPixelsY(3855), COLOR_3DHILIGHT},
        {"above the lines", TwipsToPixelsX(3000), TwipsToPixelsY(3840) - 2, COLOR_BTNFACE},
    };
    ASSERT_NE(GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNFACE));
    ASSERT_NE(GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_BTNFACE));
    for (const Pixel& p : pixels) {
        SCOPED_TRACE(p.where);
        EXPECT_EQ(GetSysColor(p.colour), GetPixel(dc, p.x, p.y));
    }
    ReleaseDC(form->Hwnd(), dc);
}

// ---- Pages -----------------------------------------------------------------------------

struct PageView {
    int page;
    std::string content;
    bool contentShown;
    std::string caption;  // lblCaption, "" when hidden
    bool warningShown;
    bool listShown;
    int columns;
    bool labelEdit;
    std::string next;
    bool nextEnabled;
    bool backEnabled;
};

void ExpectPage(const frmRegRun& form, const PageView& v) {
    SCOPED_TRACE("page " + std::to_string(v.page));
    EXPECT_EQ(v.page, form.CurrentPage);
    EXPECT_EQ(v.content, form.lblContent.Caption());
    EXPECT_EQ(v.contentShown, form.lblContent.Visible());
    EXPECT_EQ(!v.caption.empty(), form.lblCaption.Visible());
    if (!v.caption.empty()) {
        EXPECT_EQ(v.caption, form.lblCaption.Caption());
    }
    EXPECT_EQ(v.warningShown, form.imgWarning.Visible());
    EXPECT_EQ(v.listShown, form.ListView1.Visible());
    EXPECT_EQ(v.listShown, IsWindowVisible(form.ListView1.Hwnd()) != FALSE);
    if (v.listShown) {
        EXPECT_EQ(v.columns, Header_GetItemCount(ListView_GetHeader(form.ListView1.Hwnd())));
        const int widths[] = {4185, 5999, 2880, 2880};
        for (int column = 0; column < v.columns; ++column)
            EXPECT_EQ(TwipsToPixelsX(widths[column]), ListView_GetColumnWidth(form.ListView1.Hwnd(), column));
        bool editable = (GetWindowLongPtrA(form.ListView1.Hwnd(), GWL_STYLE) & LVS_EDITLABELS) != 0;
        EXPECT_EQ(v.labelEdit, editable);
    }
    EXPECT_EQ(v.next, form.cmdNext.Text());
    EXPECT_EQ(v.nextEnabled, form.cmdNext.Enabled());
    EXPECT_EQ(v.backEnabled, form.cmdBack.Enabled());
    EXPECT_TRUE(form.cmdCancel.Enabled());
    EXPECT_FALSE(form.prgCreating.Visible());
    EXPECT_TRUE(form.imgWizard.Visible());
}

TEST_F(WizardTest, EveryPageForwardsAndBackWithItsTextsAndButtons) {
    Link("Mail.lnk");
    RunValue(HKEY_CURRENT_USER, "Pager", "C:\\Apps\\pager.exe");
    const std::string nothing = Summary(kNoStartUp, kNoRegistry, kBackTail);
    const PageView page0{0, kPage0, true, "", false, false, 0, false, "&Begin", true, false};
    const PageView page1{1, kPage1, true, kWarning, true, true, 2, false, "&Next >", true, true};
    // On 64-bit Windows a fourth column names each row's key.
    const int columns = tw::test::OnWindows64() ? 4 : 3;
    const PageView page2{2, kPage2, true, kWarning, true, true, columns, true, "&Next >", true, true};
    const PageView page3{3, nothing, true, "", false, false, 0, false, "&Finish", false, true};
    ExpectPage(*form, page0);
    Next();
    ExpectPage(*form, page1);
    EXPECT_EQ(1, form->ListView1.RowCount());
    Next();
    ExpectPage(*form, page2);
    EXPECT_EQ(1, form->ListView1.RowCount());
    Next();
    ExpectPage(*form, page3);
    Back();
    ExpectPage(*form, page2);
    Back();
    ExpectPage(*form, page1);
    Back();
    ExpectPage(*form, page0);
    Next();
    ExpectPage(*form, page1);
    EXPECT_TRUE(prompter.shown.empty());
}


TEST_F(WizardTest, On32BitWindowsTheRegistryPageKeepsItsThreeColumns) {
    if (tw::test::OnWindows64()) GTEST_SKIP() << "about 32-bit Windows: 64-bit Windows has two machine keys";
    RunValue(HKEY_LOCAL_MACHINE, "Sync", "C:\\Apps\\sync.exe");
    ForwardTo(2);
    EXPECT_EQ(3, Header_GetItemCount(ListView_GetHeader(form->ListView1.Hwnd())));
    ASSERT_EQ(1, form->ListView1.RowCount());
    EXPECT_EQ("", form->ListView1.SubItem(1, 3));
}
TEST_F(WizardTest, ListRowsOfPagesOneAndTwoWithTheListIconFirst) {
    Link("Mail.lnk", "-check");
    RunValue(HKEY_CURRENT_USER, "Pager", "C:\\Apps\\pager.exe -q");
    RunValue(HKEY_LOCAL_MACHINE, "Sync", "C:\\Apps\\sync.exe");
    ForwardTo(1);
    ASSERT_EQ(1, form->ListView1.RowCount());
    EXPECT_EQ("Mail", form->ListView1.RowText(1));
    EXPECT_EQ("lnk", form->ListView1.RowTag(1));
    EXPECT_EQ(OwnExe() + "-check", form->ListView1.SubItem(1, 1));
    EXPECT_EQ(2, form->ListView1.RowIcon(1)) << "image 1 is the list icon";
    EXPECT_EQ(2, form->imlIcons.Count());
    ForwardTo(2);
    ASSERT_EQ(2, form->ListView1.RowCount());
    EXPECT_EQ("Pager", form->ListView1.RowText(1));
    EXPECT_EQ("HKEY_CURRENT_USER", form->ListView1.RowTag(1));
    EXPECT_EQ("C:\\Apps\\pager.exe -q", form->ListView1.SubItem(1, 1));
    EXPECT_EQ("Pager", form->ListView1.SubItem(1, 2));
    EXPECT_EQ("Sync", form->ListView1.RowText(2));
    EXPECT_EQ("HKEY_LOCAL_MACHINE", form->ListView1.RowTag(2));
    EXPECT_EQ(3, form->imlIcons.Count()) << "the image list is rebuilt, not appended to";
    EXPECT_EQ(3, form->ListView1.RowIcon(2));
}

TEST_F(WizardTest, NothingCheckedDisablesFinishAndBackEnablesNextAgain) {
    Link("Mail.lnk");
    RunValue(HKEY_CURRENT_USER, "Pager", "C:\\Apps\\pager.exe");
    ForwardTo(3);
    EXPECT_EQ(Summary(kNoStartUp, kNoRegistry, kBackTail), form->lblContent.Caption());
    EXPECT_EQ(0, form->CountArrays());
    EXPECT_FALSE(form->cmdNext.Enabled());
    EXPECT_EQ("&Finish", form->cmdNext.Text());
    Next();  // a click on the disabled Finish
    EXPECT_EQ(3, form->CurrentPage);
    Back();
    EXPECT_EQ(2, form->CurrentPage);
    EXPECT_TRUE(form->cmdNext.Enabled());
    EXPECT_EQ("&Next >", form->cmdNext.Text());
    EXPECT_FALSE(IsDirectory(online));
}

TEST_F(WizardTest, TheNoShortcutsMessageOnEveryArrivalAtAnEmptyPageOne) {
    ForwardTo(1);
    Back();
    Next();
    ASSERT_EQ(2u, prompter.shown.size());
    for (const auto& shown : prompter.shown) {
        EXPECT_EQ(kNoShortcuts, shown.text);
        EXPECT_EQ(static_cast<unsigned>(MB_ICONEXCLAMATION), shown.flags);
    }
    EXPECT_EQ(0, form->ListView1.RowCount());
}

TEST_F(WizardTest, KeysEnterAndEscPressNextAndTheAccessKeysTheirButtons) {
    Link("Mail.lnk");
    RunValue(HKEY_CURRENT_USER, "Pager", "C:\\Apps\\pager.exe");
    PressKey(form->Hwnd(), VK_RETURN);
    EXPECT_EQ(1, form->CurrentPage) << "Enter pressed Begin";
    PressKey(form->Hwnd(), VK_ESCAPE);
    EXPECT_EQ(2, form->CurrentPage) << "Esc pressed Next, not Cancel";
    EXPECT_TRUE(form->IsLoaded());
    tw::test::PressAccessKey(form->Hwnd(), 'b');
    EXPECT_EQ(1, form->CurrentPage) << "Alt+B pressed Back";
    tw::test::PressAccessKey(form->Hwnd(), 'c');
    EXPECT_FALSE(form->IsLoaded()) << "Alt+C pressed Cancel";
}

// ---- Selections and processing -----------------------------------------------------------

TEST_F(WizardTest, TwoShortcutsAndOneRunValueAreMovedAndMade) {
    Link("Mail.lnk", "-mail");
    Link("News.lnk");
    Link("Talk&Chat.lnk", "-talk");
    const std::map<std::string, std::string> before = FolderFiles(startup);
    const std::string pagerLine = OwnExe() + " -quiet";
    RunValue(HKEY_CURRENT_USER, "Pager", pagerLine);
    RunValue(HKEY_LOCAL_MACHINE, "Sync", "C:\\Apps\\sync.exe");

    ForwardTo(1);
    Check("Mail");
    Check("Talk&Chat");
    Next();
    EXPECT_EQ((std::vector<std::string>{"Mail.lnk", "Talk&Chat.lnk"}), form->StartUpSelection);
    Check("Pager");
    Next();
    ASSERT_EQ(1u, form->RegSelection.size());
    const RegItem& item = form->RegSelection[0];
    EXPECT_EQ("Pager", item.ShortcutName);
    EXPECT_EQ("HKEY_CURRENT_USER", item.HiveName);
    EXPECT_EQ(pagerLine, item.CommandLine);
    EXPECT_EQ("Pager", item.ValueName);
    EXPECT_EQ(Summary(Moving(2), Creating(1), kFinishTail), form->lblContent.Caption());
    EXPECT_EQ(Moving(2) + CR(2) + Creating(1), form->ProcessArrays());
    EXPECT_EQ(3, form->CountArrays());
    EXPECT_TRUE(form->cmdNext.Enabled());
    EXPECT_FALSE(IsDirectory(root + "Start Menu")) << "nothing is made before page 4";

    // Inside page 4, at its one message box.
    struct Seen {
        int max, value;
        bool barShown, back, next, cancel;
        std::string content;
    } seen{};
    prompter.onShow = [&](const FakePrompter::Shown&) {
        seen = {form->prgCreating.Max(), form->prgCreating.Value(), form->prgCreating.Visible(),
                form->cmdBack.Enabled(), form->cmdNext.Enabled(), form->cmdCancel.Enabled(),
                form->lblContent.Caption()};
        const char* screenshots = std::getenv("TW_SCREENSHOTS");
        if (screenshots && *screenshots) {
            const std::string file = std::string(screenshots) + "\\marshal-page4-ampersand.bmp";
            EXPECT_TRUE(tw::test::SaveScreen(file)) << file;
        }
    };
    Next();
    ASSERT_EQ(1u, prompter.shown.size());
    EXPECT_EQ(kCreated, prompter.shown[0].text);
    EXPECT_EQ(static_cast<unsigned>(MB_ICONINFORMATION), prompter.shown[0].flags);
    EXPECT_EQ(3, seen.max);
    EXPECT_EQ(3, seen.value) << "one step per item";
    EXPECT_TRUE(seen.barShown);
    EXPECT_FALSE(seen.back || seen.next || seen.cancel) << "no button works while page 4 runs";
    EXPECT_EQ(CR(7) + "Talk&Chat.lnk was moved sucessfully.", seen.content);
    // File names are data: an "&" in them marks no access key.
    EXPECT_TRUE(GetWindowLongPtrA(form->lblContent.Hwnd(), GWL_STYLE) & SS_NOPREFIX);

    // The end of page 4.
    EXPECT_EQ(4, form->CurrentPage);
    EXPECT_EQ(kAllDone, form->lblContent.Caption());
    EXPECT_EQ("E&xit", form->cmdNext.Text());
    EXPECT_TRUE(form->cmdNext.Enabled());
    EXPECT_FALSE(form->cmdBack.Enabled());
    EXPECT_FALSE(form->cmdCancel.Enabled());
    EXPECT_FALSE(form->prgCreating.Visible());
    EXPECT_EQ(3, form->prgCreating.Max());

    // On disk and in the registry.
    ASSERT_TRUE(IsDirectory(online)) << "the folder and its missing parents were made";
    const std::map<std::string, std::string> moved = FolderFiles(online);
    ASSERT_EQ(3u, moved.size());
    EXPECT_EQ(before.at("Mail.lnk"), moved.at("Mail.lnk"));
    EXPECT_EQ(before.at("Talk&Chat.lnk"), moved.at("Talk&Chat.lnk"));
    const std::map<std::string, std::string> left = FolderFiles(startup);
    ASSERT_EQ(1u, left.size());
    EXPECT_EQ(before.at("News.lnk"), left.at("News.lnk"));
    std::string path, directory, arguments, icon;
    int iconIndex = 0, show = 0;
    ASSERT_TRUE(ReadShortcut(online + "Pager.lnk", path, directory, arguments, icon, iconIndex, show));
    EXPECT_EQ(0, lstrcmpiA(OwnExe().c_str(), path.c_str())) << path;
    EXPECT_EQ("-quiet", arguments);
    EXPECT_FALSE(HasRunValue(HKEY_CURRENT_USER, "Pager"));
    EXPECT_TRUE(HasRunValue(HKEY_LOCAL_MACHINE, "Sync"));
    EXPECT_EQ((std::vector<std::string>{
                  "REGEDIT4", Section("HKEY_CURRENT_USER"),
                  "\"Pager\"=\"" + modRegStuff::EscapeBackslashes(pagerLine) + "\""}),
              Lines(RemovedReg()));

    // Exit.
    Next();
    EXPECT_FALSE(form->IsLoaded());
    EXPECT_EQ(5, form->CurrentPage);
}

TEST_F(WizardTest, ANameWithASlashGoesThroughTheRenameDialog) {
    RunValue(HKEY_CURRENT_USER, "Tray", OwnExe() + " -tray");
    ForwardTo(2);
    prompter.shown.clear();  // page 1's "no shortcuts"
    ASSERT_TRUE(tw::test::RenameInPlace(form->ListView1, 1, "Tray/Agent"));
    Check("Tray/Agent");

    std::string shownInDialog;
    bool stillOpenAfterRefusal = false;
    tw::test::Script script(
        {
            [&] {
                frmRename* dialog = RenameDialog().Existing();
                if (!dialog || !dialog->Visible()) return false;
                shownInDialog = dialog->Text1.Text();
                dialog->Text1.SetText("Tray:Agent");
                Press(dialog->cmdOK);
                return true;
            },
            [&] {
                frmRename* dialog = RenameDialog().Existing();
                stillOpenAfterRefusal = dialog && dialog->Visible();
                if (!dialog) return true;
                dialog->Text1.SetText("Tray Agent");
                Press(dialog->cmdOK);
                return true;
            },
        },
        [] {
            if (frmRename* dialog = RenameDialog().Existing()) dialog->Hide();
        });
    Next();
    EXPECT_TRUE(script.Done());
    EXPECT_EQ("Tray/Agent", shownInDialog);
    EXPECT_TRUE(stillOpenAfterRefusal);
    ASSERT_EQ(2u, prompter.shown.size()) << "the page's message, then the dialog's refusal";
    for (const auto& shown : prompter.shown) {
        EXPECT_EQ(kInvalidName, shown.text);
        EXPECT_EQ(static_cast<unsigned>(MB_ICONSTOP), shown.flags);
    }
    EXPECT_EQ(3, form->CurrentPage);
    EXPECT_EQ(nullptr, RenameDialog().Existing()) << "the dialog is unloaded after use";
    ASSERT_EQ(1u, form->RegSelection.size());
    EXPECT_EQ("Tray Agent", form->RegSelection[0].ShortcutName);
    EXPECT_EQ("Tray", form->RegSelection[0].ValueName);

    // The name survives a trip back, and names the shortcut.
    Back();
    ASSERT_EQ(1, form->ListView1.RowCount());
    EXPECT_EQ("Tray Agent", form->ListView1.RowText(1));
    EXPECT_TRUE(form->ListView1.Checked(1));
    Next();
    prompter.shown.clear();
    Next();
    EXPECT_EQ(4, form->CurrentPage);
    EXPECT_TRUE(tw::test::FileThere(online + "Tray Agent.lnk"));
    EXPECT_EQ(1u, prompter.shown.size());
}

TEST_F(WizardTest, RunValuesWithTheSameCommandLineComeBackCheckedTogether) {
    struct Case {
        const char* name;
        std::vector<std::pair<int, std::string>> renamedAndChecked;  // row, new name
        std::string sharedName;
    } cases[] = {
        {"the second checked", {{2, "Second"}}, "Second"},
        {"both checked", {{1, "First"}, {2, "Second"}}, "Second"},
        {"the first checked", {{1, "First"}}, "First"},
    };
    const std::string line = "C:\\Apps\\same.exe /s";
    RunValue(HKEY_CURRENT_USER, "One", line);
    RunValue(HKEY_LOCAL_MACHINE, "Two", line);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Open(online);
        ForwardTo(2);
        for (const auto& [row, name] : c.renamedAndChecked) {
            ASSERT_TRUE(tw::test::RenameInPlace(form->ListView1, row, name));
            ASSERT_TRUE(tw::test::ClickCheckBox(form->ListView1, row));
        }
        Next();
        EXPECT_EQ(c.renamedAndChecked.size(), form->RegSelection.size());
        Back();
        ASSERT_EQ(2, form->ListView1.RowCount());
        EXPECT_TRUE(form->ListView1.Checked(1));
        EXPECT_TRUE(form->ListView1.Checked(2));
        EXPECT_EQ(c.sharedName, form->ListView1.RowText(1));
        EXPECT_EQ(c.sharedName, form->ListView1.RowText(2));
        Next();  // both rows are stored now, under the one name
        ASSERT_EQ(2u, form->RegSelection.size());
        EXPECT_EQ(c.sharedName, form->RegSelection[0].ShortcutName);
        EXPECT_EQ("One", form->RegSelection[0].ValueName);
        EXPECT_EQ(c.sharedName, form->RegSelection[1].ShortcutName);
        EXPECT_EQ("Two", form->RegSelection[1].ValueName);
        EXPECT_EQ(Summary(kNoStartUp, Creating(2), kFinishTail), form->lblContent.Caption());
    }
}

TEST_F(WizardTest, SelectionsSurviveTripsBackAndForthButChoicesLeftBackwardsDoNot) {
    Link("Mail.lnk");
    Link("News.lnk");
    RunValue(HKEY_CURRENT_USER, "Pager", "C:\\Apps\\pager.exe");
    RunValue(HKEY_LOCAL_MACHINE, "Sync", "C:\\Apps\\sync.exe");
    ForwardTo(1);
    Check("News");
    Next();
    ASSERT_TRUE(tw::test::RenameInPlace(form->ListView1, Row("Pager"), "Beeper"));
    Check("Beeper");
    Next();
    Back();  // page 2 is listed from the registry again
    EXPECT_EQ(std::vector<std::string>{"Beeper"}, CheckedRows()) << "checked and named as stored";
    EXPECT_NE(0, Row("Sync"));
    // What changes on a page that is then left backwards is not stored.
    ASSERT_TRUE(tw::test::ClickCheckBox(form->ListView1, Row("Beeper")));
    Check("Sync");
    Back();
    EXPECT_EQ(std::vector<std::string>{"News"}, CheckedRows());
    Next();
    EXPECT_EQ(std::vector<std::string>{"Beeper"}, CheckedRows());
    Next();
    ASSERT_EQ(1u, form->RegSelection.size());
    EXPECT_EQ("Beeper", form->RegSelection[0].ShortcutName);
    EXPECT_EQ("Pager", form->RegSelection[0].ValueName);
    EXPECT_EQ(std::vector<std::string>{"News.lnk"}, form->StartUpSelection);
    EXPECT_EQ(Summary(Moving(1), Creating(1), kFinishTail), form->lblContent.Caption());
}

TEST_F(WizardTest, ASelectionWhoseFileVanishedIsKeptUntilPageOneIsLeftForwards) {
    Link("Mail.lnk");
    Link("News.lnk");
    ForwardTo(1);
    Check("Mail");
    Next();
    ASSERT_EQ(std::vector<std::string>{"Mail.lnk"}, form->StartUpSelection);
    ASSERT_TRUE(DeleteFileA((startup + "Mail.lnk").c_str()));
    Back();
    EXPECT_EQ(1, form->ListView1.RowCount());
    EXPECT_EQ(0, Row("Mail")) << "no longer listed";
    EXPECT_TRUE(CheckedRows().empty());
    EXPECT_EQ(std::vector<std::string>{"Mail.lnk"}, form->StartUpSelection);
    Back();
    Next();
    EXPECT_EQ(std::vector<std::string>{"Mail.lnk"}, form->StartUpSelection) << "back and forth keeps it";
    Next();
    EXPECT_TRUE(form->StartUpSelection.empty()) << "leaving page 1 forwards replaces it";
    Next();
    EXPECT_EQ(Summary(kNoStartUp, kNoRegistry, kBackTail), form->lblContent.Caption());
}

TEST_F(WizardTest, AShortcutThatVanishedBeforePageFourCannotBeMoved) {
    Link("Mail.lnk");
    RunValue(HKEY_CURRENT_USER, "Pager", "C:\\Apps\\pager.exe");
    ForwardTo(1);
    Check("Mail");
    Next();
    Check("Pager");
    Next();
    ASSERT_TRUE(DeleteFileA((startup + "Mail.lnk").c_str()));
    std::string contentAtMessage;
    prompter.onShow = [&](const FakePrompter::Shown&) { contentAtMessage = form->lblContent.Caption(); };
    Next();
    EXPECT_EQ(CR(7) + "Couldn't move Mail.lnk.", contentAtMessage);
    EXPECT_EQ(kAllDone, form->lblContent.Caption());
    EXPECT_FALSE(tw::test::FileThere(online + "Mail.lnk"));
    EXPECT_TRUE(tw::test::FileThere(online + "Pager.lnk"));
}

TEST_F(WizardTest, EscOnPageThreeActsAsFinishOnlyWithASelection) {
    RunValue(HKEY_CURRENT_USER, "Pager", "C:\\Apps\\pager.exe");
    for (bool selected : {false, true}) {
        SCOPED_TRACE(selected ? "with a selection" : "without a selection");
        Open(online);
        prompter.shown.clear();
        ForwardTo(2);
        if (selected) Check("Pager");
        Next();
        ASSERT_EQ(3, form->CurrentPage);
        prompter.shown.clear();  // page 1's "no shortcuts"
        std::string contentAtMessage;
        prompter.onShow = [&](const FakePrompter::Shown&) { contentAtMessage = form->lblContent.Caption(); };
        PressKey(form->Hwnd(), VK_ESCAPE);
        prompter.onShow = nullptr;
        if (selected) {
            EXPECT_EQ(4, form->CurrentPage);
            EXPECT_EQ(kProcessing, contentAtMessage) << "no shortcut to move: the first text stays";
            ASSERT_EQ(1u, prompter.shown.size());
            EXPECT_EQ(kCreated, prompter.shown[0].text);
            EXPECT_EQ(kAllDone, form->lblContent.Caption());
            EXPECT_TRUE(tw::test::FileThere(online + "Pager.lnk"));
            EXPECT_FALSE(HasRunValue(HKEY_CURRENT_USER, "Pager"));
        } else {
            EXPECT_EQ(3, form->CurrentPage);
            EXPECT_TRUE(form->IsLoaded());
            EXPECT_TRUE(prompter.shown.empty());
            EXPECT_FALSE(IsDirectory(online));
            EXPECT_TRUE(HasRunValue(HKEY_CURRENT_USER, "Pager"));
        }
    }
}

TEST_F(WizardTest, CancelOrCloseBeforePageFourWritesNothing) {
    Link("Mail.lnk");
    Link("News.lnk");
    RunValue(HKEY_CURRENT_USER, "Pager", "C:\\Apps\\pager.exe");
    RunValue(HKEY_LOCAL_MACHINE, "Sync", "C:\\Apps\\sync.exe");
    const auto files = FolderFiles(startup);
    const auto user = KeyValues(HKEY_CURRENT_USER, keys.Path());
    const auto machine = KeyValues(HKEY_LOCAL_MACHINE, keys.Path());
    for (bool closeBox : {false, true}) {
        for (int page = 0; page <= 3; ++page) {
            SCOPED_TRACE((closeBox ? "close box on page " : "Cancel on page ") + std::to_string(page));
            Open(online);
            while (form->CurrentPage < page) {
                if (form->CurrentPage == 1) Check("Mail");
                if (form->CurrentPage == 2) Check("Pager");
                Next();
            }
            if (closeBox)
                SendMessageA(form->Hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
            else
                Press(form->cmdCancel);
            EXPECT_FALSE(form->IsLoaded());
            EXPECT_EQ(files, FolderFiles(startup));
            EXPECT_EQ(user, KeyValues(HKEY_CURRENT_USER, keys.Path()));
            EXPECT_EQ(machine, KeyValues(HKEY_LOCAL_MACHINE, keys.Path()));
            EXPECT_FALSE(IsDirectory(root + "Start Menu"));
            EXPECT_FALSE(tw::test::FileThere(RemovedReg()));
        }
    }
    EXPECT_TRUE(prompter.shown.empty());
}

TEST_F(WizardTest, TheCloseBoxDoesNothingWhilePageFourWorks) {
    RunValue(HKEY_CURRENT_USER, "Pager", "C:\\Apps\\pager.exe");
    ForwardTo(2);
    Check("Pager");
    Next();
    bool loadedAfterClose = false;
    prompter.onShow = [&](const FakePrompter::Shown&) {
        SendMessageA(form->Hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
        loadedAfterClose = form->IsLoaded();
    };
    Next();
    EXPECT_TRUE(loadedAfterClose);
    EXPECT_EQ(kAllDone, form->lblContent.Caption());
    SendMessageA(form->Hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_FALSE(form->IsLoaded()) << "once page 4 is done the close box works";
}

TEST_F(WizardTest, AnOnlineStartUpFolderThatCannotBeMadeLeavesEverythingInPlace) {
    ASSERT_TRUE(tw::test::WriteTextFile(root + "blocker", "a file where a folder would go"));
    const std::string impossible = root + "blocker\\Online Startup\\";
    Open(impossible);
    Link("Mail.lnk");
    RunValue(HKEY_CURRENT_USER, "Pager", "C:\\Apps\\pager.exe");
    const auto files = FolderFiles(startup);
    ForwardTo(1);
    Check("Mail");
    Next();
    Check("Pager");
    Next();
    Next();
    ASSERT_EQ(1u, prompter.shown.size());
    EXPECT_EQ(0u, prompter.shown[0].text.find("Non-Critical ERROR: ")) << prompter.shown[0].text;
    EXPECT_NE(std::string::npos, prompter.shown[0].text.find(impossible));
    EXPECT_EQ(static_cast<unsigned>(MB_ICONEXCLAMATION), prompter.shown[0].flags);
    EXPECT_EQ(files, FolderFiles(startup));
    EXPECT_TRUE(HasRunValue(HKEY_CURRENT_USER, "Pager"));
    EXPECT_FALSE(tw::test::FileThere(RemovedReg()));
    EXPECT_EQ(kAllDone, form->lblContent.Caption());
    EXPECT_TRUE(form->cmdNext.Enabled());
    EXPECT_EQ("E&xit", form->cmdNext.Text());
}

TEST_F(WizardTest, AnExistingOnlineStartUpFolderIsUsedAsItIs) {
    ASSERT_TRUE(SHCreateDirectoryExA(nullptr, online.c_str(), nullptr) == ERROR_SUCCESS);
    ASSERT_TRUE(tw::test::WriteTextFile(online + "Old.lnk", "kept"));
    Link("Mail.lnk");
    ForwardTo(1);
    Check("Mail");
    ForwardTo(4);
    EXPECT_TRUE(prompter.shown.empty());
    EXPECT_EQ("kept", tw::test::ReadFileBytes(online + "Old.lnk"));
    EXPECT_TRUE(tw::test::FileThere(online + "Mail.lnk"));
}

TEST_F(WizardTest, UnloadingTheWizardUnloadsTheRenameDialog) {
    RenameDialog()().Load();
    ASSERT_NE(nullptr, RenameDialog().Existing());
    Press(form->cmdCancel);
    EXPECT_EQ(nullptr, RenameDialog().Existing());
}

// ---- Program entry -----------------------------------------------------------------------

std::string ShellFolder(int csidl) {
    char path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return std::string();
    return path;
}

TEST(Module1Test, FindsTheFoldersTheShellNames) {
    const std::string programs = ShellFolder(CSIDL_PROGRAMS);
    const std::string startup = ShellFolder(CSIDL_STARTUP);
    ASSERT_FALSE(programs.empty());
    ASSERT_FALSE(startup.empty());
    EXPECT_EQ(programs + "\\", Module1::GetSpecialFolder(CSIDL_PROGRAMS));
    EXPECT_EQ("", Module1::GetSpecialFolder(0x7F)) << "no such folder";
    Module1::FindFolders();
    EXPECT_EQ(programs + "\\Online Startup\\", Module1::OnlineStartupPath);
    EXPECT_EQ(startup + "\\", Module1::StartupPath);
    frmRegRun wizard;
    EXPECT_EQ(Module1::OnlineStartupPath, wizard.OnlineStartupPath());
    EXPECT_EQ(Module1::StartupPath, wizard.StartupPath());
}

TEST(Module1Test, MainShowsTheWizardModallyAndReturnsWhenItCloses) {
    FakePrompter prompter;
    bool shownModally = false;
    tw::test::Script script(
        {[&] {
            frmRegRun* wizard = Module1::WizardWindow().Existing();
            if (!wizard || !wizard->Visible()) return false;
            shownModally = wizard->CurrentPage == 0 && wizard->Caption() == "Osprey Online StartUp Wizard";
            Press(wizard->cmdCancel);
            return true;
        }},
        [] {
            if (frmRegRun* wizard = Module1::WizardWindow().Existing()) wizard->Unload();
        });
    Module1::Main();
    EXPECT_TRUE(script.Done());
    EXPECT_TRUE(shownModally);
    EXPECT_EQ(nullptr, Module1::WizardWindow().Existing());
    EXPECT_EQ(0, Form::LoadedCount());
}

}  // namespace
