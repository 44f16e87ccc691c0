// Forms under a real display: life cycle, modal loops with timers, keyboard roles of buttons.
#include <windows.h>

#include <gtest/gtest.h>

#include "Controls.h"
#include "Fakes.h"
#include "Form.h"
#include "Units.h"

namespace {

int g_formsCreated = 0;

class CounterForm : public tw::Form {
public:
    CounterForm() : Form(tw::FormStyle{}), tick(*this, 20) { ++g_formsCreated; }
    tw::Timer tick;
    tw::Button ok;
    tw::Button cancel;
    tw::Label status;
    tw::Frame frame;
    tw::CheckBox check;
    int loads = 0;
    int unloads = 0;
    int okClicks = 0;
    int cancelClicks = 0;
    int changes = 0;

protected:
    void CreateControls() override {
        ok.Create(*this, "&Ok", {120, 120, 1215, 345});
        cancel.Create(*this, "&Cancel", {1440, 120, 1215, 345});
        status.Create(*this, "", {120, 600, 100, 195}, true);
        frame.Create(*this, "General", {120, 1000, 3000, 1200});
        check.Create(*this, "Check", {240, 360, 2000, 255}, &frame);
        ok.OnClick = [this] { ++okClicks; };
        cancel.OnClick = [this] { ++cancelClicks; };
        status.OnChange = [this] { ++changes; };
    }
    void Form_Load() override { ++loads; }
    void Form_Unload() override { ++unloads; }
};

void PumpFor(DWORD ms) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        tw::DoEvents();
        Sleep(5);
    }
}

TEST(FormLifeCycle, LoadCreatesHiddenAndRunsLoadOnce) {
    CounterForm form;
    form.Load();
    form.Load();
    EXPECT_TRUE(form.IsLoaded());
    EXPECT_FALSE(form.Visible());
    EXPECT_EQ(1, form.loads);
    form.Show();
    EXPECT_TRUE(form.Visible());
    form.Hide();
    EXPECT_FALSE(form.Visible());
    form.Unload();
    EXPECT_FALSE(form.IsLoaded());
    EXPECT_EQ(1, form.unloads);
}

TEST(FormLifeCycle, SlotGivesAFreshInstanceAfterUnload) {
    tw::FormSlot<CounterForm> slot;
    int before = g_formsCreated;
    slot().Load();
    CounterForm* first = &slot();
    EXPECT_EQ(1, first->loads);
    EXPECT_TRUE(slot.IsLoaded());
    slot().Unload();
    EXPECT_EQ(nullptr, slot.Existing());
    slot().Load();  // a later use: a new object whose load runs again
    EXPECT_EQ(before + 2, g_formsCreated);
    EXPECT_EQ(1, slot().loads);
    EXPECT_EQ(0, slot().unloads);
    slot().Unload();
}

TEST(FormLifeCycle, CloseBoxUnloadsUnlessRefused) {
    CounterForm form;
    form.Show();
    SendMessageA(form.Hwnd(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(form.IsLoaded());
    EXPECT_EQ(1, form.unloads);
}

TEST(ModalForm, TimerKeepsTickingInsideTheLoopAndHideEndsIt) {
    CounterForm form;
    int ticks = 0;
    form.tick.OnTimer = [&] {
        if (++ticks == 5) form.Hide();
    };
    form.tick.SetEnabled(true);
    form.ShowModal();  // returns only when hidden
    EXPECT_EQ(5, ticks);
    EXPECT_TRUE(form.IsLoaded());
    EXPECT_FALSE(form.Visible());
    form.Unload();
}

TEST(ModalForm, UnloadEndsTheLoopAndOtherWindowsAreEnabledAgain) {
    CounterForm outer;
    outer.Show();
    CounterForm modal;
    bool outerWasDisabled = false;
    modal.tick.OnTimer = [&] {
        outerWasDisabled = !IsWindowEnabled(outer.Hwnd());
        modal.Unload();
    };
    modal.tick.SetEnabled(true);
    modal.ShowModal();
    EXPECT_FALSE(modal.IsLoaded());
    EXPECT_TRUE(outerWasDisabled);
    EXPECT_TRUE(IsWindowEnabled(outer.Hwnd()));
    outer.Unload();
}

TEST(ModalForm, AnOuterTimerTicksWhileANestedModalFormIsOpen) {
    CounterForm outer;  // a hidden window's timer, as the tray's monitor timer
    outer.Load();
    int outerTicks = 0;
    outer.tick.OnTimer = [&] { ++outerTicks; };
    outer.tick.SetEnabled(true);
    CounterForm modal;
    modal.tick.SetInterval(300);
    modal.tick.OnTimer = [&] { modal.Hide(); };
    modal.tick.SetEnabled(true);
    modal.ShowModal();
    EXPECT_GE(outerTicks, 3);
    modal.Unload();
    outer.Unload();
}

TEST(Timers, ADisabledTimerNeverFires) {
    CounterForm form;
    form.Load();
    int ticks = 0;
    form.tick.OnTimer = [&] { ++ticks; };
    form.tick.SetEnabled(true);
    PumpFor(100);
    int seen = ticks;
    EXPECT_GT(seen, 0);
    form.tick.SetEnabled(false);
    PumpFor(150);
    EXPECT_EQ(seen, ticks);
    form.Unload();
}

TEST(Timers, AnEnabledTimerStartsWhenItsFormLoads) {
    CounterForm form;
    int ticks = 0;
    form.tick.OnTimer = [&] { ++ticks; };
    form.tick.SetEnabled(true);  // before load: no window yet
    PumpFor(60);
    EXPECT_EQ(0, ticks);
    form.Load();
    PumpFor(120);
    EXPECT_GT(ticks, 0);
    form.Unload();
}

TEST(Keyboard, EnterPressesTheDefaultButtonAndEscTheCancelButton) {
    CounterForm form;
    form.Show();
    form.ok.SetDefault(true);
    form.cancel.SetCancel(true);
    form.check.SetFocus();  // focus on a control that is not a button
    MSG enter = {form.check.Hwnd(), WM_KEYDOWN, VK_RETURN, 0, 0, {0, 0}};
    EXPECT_TRUE(tw::PreTranslateFormMessage(enter));
    MSG esc = {form.check.Hwnd(), WM_KEYDOWN, VK_ESCAPE, 0, 0, {0, 0}};
    EXPECT_TRUE(tw::PreTranslateFormMessage(esc));
    PumpFor(30);
    EXPECT_EQ(1, form.okClicks);
    EXPECT_EQ(1, form.cancelClicks);
    form.Unload();
}

TEST(Keyboard, OneButtonCanBeBothDefaultAndCancelButDisabledItIsNotPressed) {
    CounterForm form;
    form.Show();
    form.ok.SetDefault(true);
    form.ok.SetCancel(true);
    form.check.SetFocus();
    MSG esc = {form.check.Hwnd(), WM_KEYDOWN, VK_ESCAPE, 0, 0, {0, 0}};
    tw::PreTranslateFormMessage(esc);
    PumpFor(30);
    EXPECT_EQ(1, form.okClicks);
    form.ok.SetEnabled(false);
    tw::PreTranslateFormMessage(esc);
    MSG enter = {form.check.Hwnd(), WM_KEYDOWN, VK_RETURN, 0, 0, {0, 0}};
    tw::PreTranslateFormMessage(enter);
    PumpFor(30);
    EXPECT_EQ(1, form.okClicks);
    form.Unload();
}

TEST(Controls, LabelChangeEventAndAutoSizeFollowTheText) {
    CounterForm form;
    form.Load();
    form.status.SetCaption("Short");
    int shortWidth = form.status.Width();
    form.status.SetCaption("Connected: LAN, With Apps Running");
    EXPECT_EQ(2, form.changes);
    EXPECT_GT(form.status.Width(), shortWidth);
    EXPECT_EQ("Connected: LAN, With Apps Running", form.status.Caption());
    RECT r;
    GetWindowRect(form.status.Hwnd(), &r);
    EXPECT_EQ(tw::TwipsToPixelsX(form.status.Width()), r.right - r.left);
    form.Unload();
}

TEST(Controls, CarriageReturnsBreakLabelLines) {
    CounterForm form;
    form.Load();
    form.status.SetCaption("one");
    int oneLine = form.status.Height();
    form.status.SetCaption("one\rtwo\r\rthree");
    EXPECT_GE(form.status.Height(), 3 * oneLine);
    EXPECT_EQ("one\rtwo\r\rthree", form.status.Caption());
    form.Unload();
}

TEST(Controls, HidingAFrameHidesItsMembersAndMovingItMovesThem) {
    CounterForm form;
    form.Show();
    EXPECT_TRUE(IsWindowVisible(form.check.Hwnd()));
    form.frame.SetVisible(false);
    EXPECT_FALSE(IsWindowVisible(form.check.Hwnd()));
    EXPECT_TRUE(form.check.Visible());  // its own switch is unchanged
    form.frame.SetVisible(true);
    form.frame.Move(600, 120);
    RECT r;
    GetWindowRect(form.check.Hwnd(), &r);
    POINT p = {r.left, r.top};
    ScreenToClient(form.Hwnd(), &p);
    EXPECT_EQ(tw::TwipsToPixelsX(600 + 240), p.x);
    EXPECT_EQ(tw::TwipsToPixelsY(120 + 360), p.y);
    form.Unload();
}

TEST(Controls, CheckBoxClickRunsOnlyForTheUser) {
    CounterForm form;
    form.Show();
    int clicks = 0;
    form.check.OnClick = [&] { ++clicks; };
    form.check.SetValue(1);
    EXPECT_EQ(1, form.check.Value());
    EXPECT_EQ(0, clicks);
    SendMessageA(form.check.Hwnd(), BM_CLICK, 0, 0);
    EXPECT_EQ(1, clicks);
    EXPECT_EQ(0, form.check.Value());
    form.Unload();
}

TEST(Geometry, CentringUsesTheScreenInTwips) {
    CounterForm form;
    form.Load();
    form.CentreOnScreen();
    EXPECT_NEAR((tw::ScreenWidthTwips() - form.Width()) / 2, form.Left(), tw::TwipsPerPixelX());
    EXPECT_NEAR((tw::ScreenHeightTwips() - form.Height()) / 2, form.Top(), tw::TwipsPerPixelY());
    EXPECT_NEAR(4800, form.ScaleWidth(), tw::TwipsPerPixelX());
    form.Unload();
}

TEST(MsgBoxInAModalForm, AFakeAnswersAndTheLoopGoesOn) {
    tw::test::FakePrompter prompter;
    prompter.Answer(IDYES);
    CounterForm form;
    int answer = 0;
    form.tick.OnTimer = [&] {
        form.tick.SetEnabled(false);
        answer = tw::MsgBox("Continue?", MB_YESNOCANCEL);
        form.Unload();
    };
    form.tick.SetEnabled(true);
    form.ShowModal();
    EXPECT_EQ(IDYES, answer);
    ASSERT_EQ(1u, prompter.shown.size());
    EXPECT_EQ("Continue?", prompter.shown[0].text);
}

}  // namespace
