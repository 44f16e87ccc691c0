// The rename dialog frmRename under a display: its layout and roles, the names it accepts
// and refuses, Enter, Esc, its access key and close box, and its modal use over an owner.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "Fakes.h"
#include "Units.h"
#include "WizardDriver.h"
#include "flow/frmRename.h"
#include "operations/modShellLnk.h"

using namespace tw;
using tw::test::FakePrompter;
using tw::test::PressKey;

namespace {

const std::string kInvalidName = "A filename cannot contain any of the following characters:\r" +
                                 std::string(17, ' ') + "\\ / : * ? \" < > |";

// A control's rectangle in the client area of its form, in pixels.
RECT ClientRectOf(HWND control) {
    RECT rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void ExpectAt(HWND control, int left, int top, int width, int height) {
    RECT rect = ClientRectOf(control);
    EXPECT_EQ(TwipsToPixelsX(left), rect.left);
    EXPECT_EQ(TwipsToPixelsY(top), rect.top);
    EXPECT_EQ(TwipsToPixelsX(width), rect.right - rect.left);
    EXPECT_EQ(TwipsToPixelsY(height), rect.bottom - rect.top);
}

class RenameTest : public testing::Test {
protected:
    void SetUp() override {
        dialog = &RenameDialog()();
        dialog->Load();
        ASSERT_TRUE(dialog->Hwnd());
        dialog->Show();
        SetForegroundWindow(dialog->Hwnd());
        tw::test::PumpFor(50);
    }
    void TearDown() override {
        if (frmRename* existing = RenameDialog().Existing()) existing->Unload();
        CollectRetiredForms();
    }
    // OK pressed on `name`; true when the dialog let it through (hidden).
    bool PressOkOn(const std::string& name) {
        dialog->Text1.SetText(name);
        tw::test::Press(dialog->cmdOK);
        return !dialog->Visible();
    }

    FakePrompter prompter;
    frmRename* dialog = nullptr;
};

TEST_F(RenameTest, CaptionControlsAndPositions) {
    EXPECT_EQ("Rename", dialog->Caption());
    EXPECT_NEAR(5115, dialog->ScaleWidth(), TwipsPerPixelX());
    EXPECT_NEAR(1305, dialog->ScaleHeight(), TwipsPerPixelY());
    EXPECT_EQ("&New name:", dialog->Label1.Text());
    EXPECT_EQ("OK", dialog->cmdOK.Text());
    EXPECT_EQ("", dialog->Text1.Text());
    {
        // At its place, as wide and high as its text (no line of it wrapped away).
        SCOPED_TRACE("Label1");
        RECT label = ClientRectOf(dialog->Label1.Hwnd());
        EXPECT_EQ(TwipsToPixelsX(145), label.left);
        EXPECT_EQ(TwipsToPixelsY(220), label.top);
        HDC dc = GetDC(dialog->Label1.Hwnd());
        HGDIOBJ old = SelectObject(dc, dialog->Font());
        SIZE text{};
        GetTextExtentPoint32A(dc, "New name:", 9, &text);
        SelectObject(dc, old);
        ReleaseDC(dialog->Label1.Hwnd(), dc);
        EXPECT_GE(label.right - label.left, text.cx);
        EXPECT_LT(label.bottom - label.top, 2 * text.cy);
        EXPECT_LT(label.right, ClientRectOf(dialog->Text1.Hwnd()).left);
    }
    {
        SCOPED_TRACE("Text1");
        ExpectAt(dialog->Text1.Hwnd(), 1245, 145, 3685, 345);
    }
    {
        SCOPED_TRACE("cmdOK");
        ExpectAt(dialog->cmdOK.Hwnd(), 3840, 800, 1095, 345);
    }
    // OK is the default button.
    LRESULT defId = SendMessageA(dialog->Hwnd(), DM_GETDEFID, 0, 0);
    EXPECT_EQ(DC_HASDEFID, HIWORD(defId));
    EXPECT_EQ(dialog->cmdOK.Id(), LOWORD(defId));
    // Centred on the screen.
    RECT window;
    GetWindowRect(dialog->Hwnd(), &window);
    EXPECT_NEAR((GetSystemMetrics(SM_CXSCREEN) - (window.right - window.left)) / 2, window.left, 1);
    EXPECT_NEAR((GetSystemMetrics(SM_CYSCREEN) - (window.bottom - window.top)) / 2, window.top, 1);
}

TEST_F(RenameTest, AcceptsOnlyNamesWithoutForbiddenCharacters) {
    struct Case {
        const char* name;
        bool accepted;
    } cases[] = {
        {"Mail", true},          {"   ", true},         {"", true},
        {"Mail Agent 2.0", true}, {"a/b", false},       {"a\"b", false},
        {"C:Mail", false},       {"what?", false},      {"back\\slash", false},
        {"<tag>", false},        {"pipe|", false},      {"star*", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        dialog->Show();
        prompter.shown.clear();
        EXPECT_EQ(c.accepted, PressOkOn(c.name));
        EXPECT_TRUE(dialog->IsLoaded()) << "OK only hides the dialog; the caller unloads it";
        EXPECT_EQ(c.name, dialog->Text1.Text()) << "the text is left as it was";
        if (c.accepted) {
            EXPECT_TRUE(prompter.shown.empty());
        } else {
            ASSERT_EQ(1u, prompter.shown.size());
            EXPECT_EQ(kInvalidName, prompter.shown[0].text);
            EXPECT_EQ(static_cast<unsigned>(MB_ICONSTOP), prompter.shown[0].flags);
        }
    }
}

TEST_F(RenameTest, AnInvalidNameIsRefusedAsOftenAsOkIsPressed) {
    dialog->Text1.SetText("News/Mail");
    for (int press = 1; press <= 3; ++press) {
        tw::test::Press(dialog->cmdOK);
        EXPECT_TRUE(dialog->Visible());
        EXPECT_EQ(static_cast<size_t>(press), prompter.shown.size());
    }
    EXPECT_EQ("News/Mail", dialog->Text1.Text());
}

TEST_F(RenameTest, EnterAndEscBothPressOk) {
    for (WPARAM key : {static_cast<WPARAM>(VK_RETURN), static_cast<WPARAM>(VK_ESCAPE)}) {
        SCOPED_TRACE(key);
        dialog->Show();
        dialog->Text1.SetFocus();
        prompter.shown.clear();
        dialog->Text1.SetText("bad:name");
        PressKey(dialog->Hwnd(), key);
        EXPECT_TRUE(dialog->Visible()) << "an invalid name stays";
        EXPECT_EQ(1u, prompter.shown.size());
        dialog->Text1.SetText("good name");
        PressKey(dialog->Hwnd(), key);
        EXPECT_FALSE(dialog->Visible());
        EXPECT_EQ(1u, prompter.shown.size());
    }
}

TEST_F(RenameTest, TheLabelsAccessKeyMovesTheFocusToTheTextBox) {
    dialog->cmdOK.SetFocus();
    ASSERT_EQ(dialog->cmdOK.Hwnd(), GetFocus());
    tw::test::PressAccessKey(dialog->Hwnd(), 'n');
    EXPECT_EQ(dialog->Text1.Hwnd(), GetFocus());
    EXPECT_TRUE(dialog->Visible()) << "the access key presses nothing";
}

TEST_F(RenameTest, TheCloseBoxActsAsOkOnTheTextItHolds) {
    dialog->Text1.SetText("Talk?");
    SendMessageA(dialog->Hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
    tw::test::PumpFor(30);
    EXPECT_TRUE(dialog->Visible()) << "an invalid name is refused by the close box too";
    ASSERT_EQ(1u, prompter.shown.size());
    EXPECT_EQ(kInvalidName, prompter.shown[0].text);

    dialog->Text1.SetText("Talk");
    SendMessageA(dialog->Hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
    tw::test::PumpFor(30);
    EXPECT_FALSE(dialog->Visible());
    EXPECT_TRUE(dialog->IsLoaded()) << "closed like OK: the caller still reads the text";
    EXPECT_EQ("Talk", dialog->Text1.Text());
    EXPECT_EQ(1u, prompter.shown.size());
}

class OwnerForm : public Form {
public:
    OwnerForm() : Form(FormStyle{}) {}
};

TEST_F(RenameTest, ShownModallyOverItsOwnerUntilOkAcceptsTheName) {
    dialog->Unload();
    OwnerForm owner;
    owner.Show();
    frmRename& modal = RenameDialog()();
    modal.Load();
    modal.Text1.SetText("Pager/2");
    bool ownerDisabled = false;
    bool ownedByOwner = false;
    bool textFocusedAndSelected = false;
    tw::test::Script script(
        {
            [&] { return modal.Visible(); },
            [&] {
                ownerDisabled = !IsWindowEnabled(owner.Hwnd());
                ownedByOwner = GetWindow(modal.Hwnd(), GW_OWNER) == owner.Hwnd();
                DWORD start = 0, end = 0;
                SendMessageA(modal.Text1.Hwnd(), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                             reinterpret_cast<LPARAM>(&end));
                textFocusedAndSelected = GetFocus() == modal.Text1.Hwnd() && start == 0 && end == 7;
                tw::test::Press(modal.cmdOK);  // refused: still "Pager/2"
                return true;
            },
            [&] {
                modal.Text1.SetText("Pager 2");
                tw::test::Press(modal.cmdOK);
                return true;
            },
        },
        [&] { modal.Hide(); });
    modal.ShowModalOver(owner);
    EXPECT_TRUE(script.Done());
    EXPECT_TRUE(ownerDisabled);
    EXPECT_TRUE(ownedByOwner);
    EXPECT_TRUE(textFocusedAndSelected);
    EXPECT_FALSE(modal.Visible());
    EXPECT_TRUE(IsWindowEnabled(owner.Hwnd())) << "the owner is enabled again";
    EXPECT_EQ(owner.Hwnd(), GetActiveWindow()) << "and active again";
    EXPECT_EQ("Pager 2", modal.Text1.Text());
    EXPECT_EQ(1u, prompter.shown.size());
    modal.Unload();
    EXPECT_EQ(nullptr, RenameDialog().Existing());
    frmRename& next = RenameDialog()();
    EXPECT_FALSE(next.WasUnloaded()) << "a fresh instance serves the next name";
    EXPECT_FALSE(next.IsLoaded());
    owner.Unload();
}

}  // namespace
