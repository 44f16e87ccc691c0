#include <windows.h>

#include <gtest/gtest.h>

#include <utility>

#include "Picture.h"
#include "Shortcut.h"

namespace {

HICON MakeIcon() {
    BYTE andMask[32 * 4];
    BYTE xorMask[32 * 4];
    FillMemory(andMask, sizeof(andMask), 0xFF);
    ZeroMemory(xorMask, sizeof(xorMask));
    return CreateIcon(GetModuleHandleA(nullptr), 32, 32, 1, 1, andMask, xorMask);
}

// An icon handle that has been destroyed no longer yields its bitmaps.
bool IconAlive(HICON icon) {
    ICONINFO info = {};
    if (!GetIconInfo(icon, &info)) return false;
    if (info.hbmMask) DeleteObject(info.hbmMask);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    return true;
}

bool BitmapAlive(HBITMAP bitmap) {
    BITMAP info;
    return GetObjectA(bitmap, sizeof(info), &info) == sizeof(info);
}

}  // namespace

TEST(Picture, OwnsItsIconAndDestroysItWithTheLastReference) {
    HICON icon = MakeIcon();
    ASSERT_NE(nullptr, icon);
    {
        tw::Picture picture = tw::IconToPicture(icon);
        ASSERT_TRUE(picture);
        EXPECT_TRUE(picture.IsIcon());
        EXPECT_EQ(icon, picture.Icon());
        EXPECT_EQ(static_cast<HANDLE>(icon), picture.Handle());
        EXPECT_EQ(nullptr, picture.Bitmap());
        EXPECT_TRUE(IconAlive(icon));
    }
    EXPECT_FALSE(IconAlive(icon));
}

TEST(Picture, CopiesShareOneHandle) {
    HICON icon = MakeIcon();
    ASSERT_NE(nullptr, icon);
    tw::Picture second;
    {
        tw::Picture first = tw::IconToPicture(icon);
        second = first;
        tw::Picture third(first);
        EXPECT_EQ(first.Get(), second.Get());
        EXPECT_EQ(first.Get(), third.Get());
    }
    // The first and third copies are gone; the second still holds the icon.
    EXPECT_TRUE(IconAlive(icon));
    EXPECT_EQ(icon, second.Icon());
    second = tw::Picture();
    EXPECT_FALSE(IconAlive(icon));
}

TEST(Picture, SelfAssignmentKeepsTheHandle) {
    HICON icon = MakeIcon();
    tw::Picture picture = tw::IconToPicture(icon);
    tw::Picture& alias = picture;
    picture = alias;
    EXPECT_TRUE(IconAlive(icon));
    EXPECT_EQ(icon, picture.Icon());
}

TEST(Picture, MoveLeavesTheSourceEmpty) {
    HICON icon = MakeIcon();
    tw::Picture source = tw::IconToPicture(icon);
    tw::Picture target(std::move(source));
    EXPECT_FALSE(source);
    EXPECT_EQ(nullptr, source.Handle());
    EXPECT_EQ(icon, target.Icon());
    tw::Picture other;
    other = std::move(target);
    EXPECT_FALSE(target);
    EXPECT_TRUE(IconAlive(icon));
    other = tw::Picture();
    EXPECT_FALSE(IconAlive(icon));
}

TEST(Picture, OwnsABitmap) {
    HBITMAP bitmap = CreateBitmap(8, 8, 1, 32, nullptr);
    ASSERT_NE(nullptr, bitmap);
    {
        tw::Picture picture = tw::Picture::FromBitmap(bitmap);
        ASSERT_TRUE(picture);
        EXPECT_FALSE(picture.IsIcon());
        EXPECT_EQ(nullptr, picture.Icon());
        EXPECT_EQ(bitmap, picture.Bitmap());
        EXPECT_TRUE(BitmapAlive(bitmap));
    }
    EXPECT_FALSE(BitmapAlive(bitmap));
}

TEST(Picture, NullHandlesGiveEmptyPictures) {
    tw::Picture none;
    EXPECT_FALSE(none);
    EXPECT_FALSE(none.IsIcon());
    EXPECT_EQ(nullptr, none.Icon());
    EXPECT_EQ(nullptr, none.Bitmap());
    EXPECT_FALSE(tw::IconToPicture(nullptr));
    EXPECT_FALSE(tw::Picture::FromBitmap(nullptr));
}

TEST(IconToPicture, HandsTheIconToAnOwningPicture) {
    EXPECT_FALSE(tw::IconToPicture(nullptr));
    HICON icon = MakeIcon();
    {
        tw::Picture picture = tw::IconToPicture(icon);
        ASSERT_TRUE(picture);
        EXPECT_EQ(icon, picture.Icon());
        // The picture knows the icon's size (HIMETRIC units, not zero).
        OLE_XSIZE_HIMETRIC width = 0;
        EXPECT_TRUE(SUCCEEDED(picture.Get()->get_Width(&width)));
        EXPECT_GT(width, 0);
    }
    EXPECT_FALSE(IconAlive(icon));
}
