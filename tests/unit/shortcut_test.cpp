#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "ShellLinkHelper.h"
#include "Shortcut.h"

using tw::test::CreateShellLink;
using tw::test::ShellLinkFields;
using tw::test::WriteTextFile;

namespace {

// What ReadShortcut fills in, preset with values no shortcut has, so that a field that
// was not touched shows.
struct ReadFields {
    std::string path = "untouched";
    std::string workingDirectory = "untouched";
    std::string arguments = "untouched";
    std::string iconPath = "untouched";
    int iconIndex = -12345;
    int showCmd = -12345;

    bool Read(const std::string& linkFile) {
        return tw::ReadShortcut(linkFile, path, workingDirectory, arguments, iconPath, iconIndex,
                                showCmd);
    }
    void ExpectUntouched() const {
        EXPECT_EQ("untouched", path);
        EXPECT_EQ("untouched", workingDirectory);
        EXPECT_EQ("untouched", arguments);
        EXPECT_EQ("untouched", iconPath);
        EXPECT_EQ(-12345, iconIndex);
        EXPECT_EQ(-12345, showCmd);
    }
};

class ReadShortcutTest : public testing::Test {
protected:
    void SetUp() override {
        m_folder = tw::test::NewTestFolder("shortcut");
        ASSERT_FALSE(m_folder.empty());
        ASSERT_TRUE(CreateDirectoryA((m_folder + "Program Files").c_str(), nullptr));
        m_target = m_folder + "Program Files\\Mail.exe";
        ASSERT_TRUE(WriteTextFile(m_target, "MZ"));
    }

    std::string m_folder;
    std::string m_target;
};

}  // namespace

TEST_F(ReadShortcutTest, ReadsEveryFieldBackForEachShowCommand) {
    const int showCommands[] = {SW_SHOWNORMAL, SW_SHOWMINNOACTIVE, SW_SHOWMAXIMIZED};
    int n = 0;
    for (int showCmd : showCommands) {
        SCOPED_TRACE("show command " + std::to_string(showCmd));
        ShellLinkFields fields;
        fields.path = m_target;
        fields.arguments = "/check \"inbox\" -" + std::to_string(showCmd);
        fields.workingDirectory = m_folder + "Program Files";
        fields.iconPath = "C:\\windows\\system32\\shell32.dll";
        fields.iconIndex = 3 + n;
        fields.showCmd = showCmd;
        fields.description = "Created by a test";
        std::string link = m_folder + "Mail" + std::to_string(n++) + ".lnk";
        ASSERT_EQ(S_OK, CreateShellLink(link, fields));

        ReadFields read;
        ASSERT_TRUE(read.Read(link));
        EXPECT_EQ(fields.path, read.path);
        EXPECT_EQ(fields.workingDirectory, read.workingDirectory);
        EXPECT_EQ(fields.arguments, read.arguments);
        EXPECT_EQ(fields.iconPath, read.iconPath);
        EXPECT_EQ(fields.iconIndex, read.iconIndex);
        EXPECT_EQ(showCmd, read.showCmd);
    }
}

TEST_F(ReadShortcutTest, FieldsNotSetComeBackEmpty) {
    std::string link = m_folder + "Bare.lnk";
    ShellLinkFields fields;
    fields.path = m_target;
    ASSERT_EQ(S_OK, CreateShellLink(link, fields));
    ReadFields read;
    ASSERT_TRUE(read.Read(link));
    EXPECT_EQ(m_target, read.path);
    EXPECT_EQ("", read.workingDirectory);
    EXPECT_EQ("", read.arguments);
    EXPECT_EQ("", read.iconPath);
    EXPECT_EQ(0, read.iconIndex);
    EXPECT_EQ(SW_SHOWNORMAL, read.showCmd);
}

TEST_F(ReadShortcutTest, UnknownShowCommandInTheFileCountsAsNormal) {
    std::string link = m_folder + "Odd.lnk";
    ShellLinkFields fields;
    fields.path = m_target;
    fields.showCmd = SW_SHOWMAXIMIZED;
    ASSERT_EQ(S_OK, CreateShellLink(link, fields));
    // Overwrite the header's ShowCommand (offset 0x3C) with SW_HIDE.
    HANDLE file = CreateFileA(link.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    DWORD stored = 0, done = 0;
    SetFilePointer(file, 0x3C, nullptr, FILE_BEGIN);
    ASSERT_TRUE(ReadFile(file, &stored, sizeof(stored), &done, nullptr));
    EXPECT_EQ(DWORD(SW_SHOWMAXIMIZED), stored) << "the link object wrote the header we expect";
    DWORD hidden = SW_HIDE;
    SetFilePointer(file, 0x3C, nullptr, FILE_BEGIN);
    ASSERT_TRUE(WriteFile(file, &hidden, sizeof(hidden), &done, nullptr));
    CloseHandle(file);

    ReadFields read;
    ASSERT_TRUE(read.Read(link));
    EXPECT_EQ(SW_SHOWNORMAL, read.showCmd);
    EXPECT_EQ(m_target, read.path);
}

TEST_F(ReadShortcutTest, FilesThatAreNotShellLinksAreRefused) {
    struct Case {
        const char* name;
        const char* contents;
    };
    const Case cases[] = {
        {"Notes.txt", "These are just notes.\r\n"},
        {"Text.lnk", "A text file with a link's extension.\r\n"},
        {"desktop.ini", "[.ShellClassInfo]\r\nLocalizedResourceName=@shell32.dll,-21787\r\n"},
        {"Home Page.url", "[InternetShortcut]\r\nURL=http://www.example.com/\r\n"},
        {"Empty.lnk", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string file = m_folder + c.name;
        ASSERT_TRUE(WriteTextFile(file, c.contents));
        ReadFields read;
        EXPECT_FALSE(read.Read(file));
        read.ExpectUntouched();
    }
}

TEST_F(ReadShortcutTest, EmptyOrMissingNameIsRefused) {
    ReadFields read;
    EXPECT_FALSE(read.Read(""));
    read.ExpectUntouched();
    EXPECT_FALSE(read.Read(m_folder + "Missing.lnk"));
    read.ExpectUntouched();
    EXPECT_FALSE(read.Read(m_folder + "No Folder\\Missing.lnk"));
    read.ExpectUntouched();
}
