#include <windows.h>

#include <gtest/gtest.h>

#include "Fakes.h"
#include "Prompt.h"

using tw::test::FakePrompter;

TEST(MsgBox, UsesTheProgramTitleWhenNoneIsGiven) {
    FakePrompter prompter;
    tw::SetAppTitle("Tetherwatch");
    prompter.Answer(IDNO);
    EXPECT_EQ(IDNO, tw::MsgBox("Kill it?", MB_YESNOCANCEL | MB_DEFBUTTON2));
    ASSERT_EQ(1u, prompter.shown.size());
    EXPECT_EQ("Tetherwatch", prompter.shown[0].title);
    EXPECT_EQ(unsigned(MB_YESNOCANCEL | MB_DEFBUTTON2), prompter.shown[0].flags);
}

TEST(MsgBox, KeepsAnExplicitTitle) {
    FakePrompter prompter;
    tw::SetAppTitle("Tetherwatch");
    tw::MsgBox("text", MB_OK, "Notepad");
    EXPECT_EQ("Notepad", prompter.shown.at(0).title);
}

TEST(MsgBox, RealBoxWithoutADisplayFailsRatherThanHangs) {
    // No fake installed: MessageBoxA runs, and without a display Wine refuses it (0 or -1),
    // never an answer the caller would act on.
    int answer = tw::MsgBox("no display here", MB_YESNOCANCEL);
    EXPECT_NE(IDYES, answer);
    EXPECT_NE(IDNO, answer);
}
