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

TEST(MsgBox, TheTextAndFlagsGoThroughAndNoPrompterRestoresTheRealOne) {
    FakePrompter prompter;
    prompter.Answer(IDCANCEL);
    EXPECT_EQ(IDCANCEL, tw::MsgBox("Line one\r\rLine two & more", MB_OKCANCEL | MB_ICONSTOP, "T"));
    ASSERT_EQ(1u, prompter.shown.size());
    EXPECT_EQ("Line one\r\rLine two & more", prompter.shown[0].text);
    EXPECT_EQ(unsigned(MB_OKCANCEL | MB_ICONSTOP), prompter.shown[0].flags);
    // Installing nothing puts the real prompter back, the one that was there before the fake.
    tw::IPrompter* real = tw::SetPrompter(nullptr);
    EXPECT_EQ(&prompter, real);
    real = tw::SetPrompter(&prompter);
    EXPECT_NE(nullptr, real);
    EXPECT_NE(&prompter, real);
    EXPECT_EQ(&prompter, tw::SetPrompter(real));
    EXPECT_EQ(real, tw::SetPrompter(&prompter));  // the fake's own end restores `real`
}
