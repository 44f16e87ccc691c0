#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "Resources.h"
#include "ScreenShot.h"

using tw::test::IconWidth;

TEST(LoadResString, ReadsTheStringTable) {
    EXPECT_EQ("Connected: Modem", tw::LoadResString(101));
    EXPECT_EQ("Not Connected, With Apps Running", tw::LoadResString(102));
    EXPECT_EQ("", tw::LoadResString(104));
    EXPECT_EQ("", tw::LoadResString(9999));
}

TEST(LoadResString, LongStringsComeBackWhole) {
    std::string expected;
    for (int i = 0; i < 28; ++i) expected += "0123456789";
    EXPECT_EQ(expected, tw::LoadResString(103));
}

TEST(LoadResIcon, LoadsTheAskedSize) {
    const int sizes[] = {16, 32};
    for (int size : sizes) {
        SCOPED_TRACE(size);
        tw::UniqueIcon icon = tw::LoadResIcon(701, size);
        ASSERT_TRUE(icon);
        EXPECT_EQ(size, IconWidth(icon.Get()));
        EXPECT_TRUE(DestroyIcon(icon.Release())) << "a private copy, its owner's to destroy";
    }
}

TEST(LoadResIcon, SizeZeroMeansTheSystemIconSize) {
    tw::UniqueIcon icon = tw::LoadResIcon(701, 0);
    ASSERT_TRUE(icon);
    EXPECT_EQ(GetSystemMetrics(SM_CXICON), IconWidth(icon.Get()));
}

TEST(LoadResIcon, MissingIconGivesNull) { EXPECT_FALSE(tw::LoadResIcon(702, 16)); }

TEST(LoadResBitmap, LoadsTheBitmapAndNullWhenMissing) {
    tw::UniqueBitmap bitmap = tw::LoadResBitmap(801);
    ASSERT_TRUE(bitmap);
    BITMAP info = {};
    ASSERT_EQ(int(sizeof(info)), GetObjectA(bitmap.Get(), sizeof(info), &info));
    EXPECT_EQ(24, info.bmWidth);
    EXPECT_EQ(12, info.bmHeight);
    EXPECT_TRUE(DeleteObject(bitmap.Release()));
    EXPECT_FALSE(tw::LoadResBitmap(802));
}

TEST(SharpIconSize, TheLargestImageThatFitsTheBox) {
    const struct {
        int box, size;
    } cases[] = {{12, 12}, {16, 16}, {19, 16}, {20, 20}, {24, 24}, {28, 24}, {40, 32}, {48, 48}, {64, 48}};
    for (const auto& c : cases) EXPECT_EQ(c.size, tw::SharpIconSize(c.box)) << c.box;
}
