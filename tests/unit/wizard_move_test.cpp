// Moving StartUp shortcuts into the Online StartUp folder: moves that succeed, replace,
// or fail, and the rule that a source is never deleted without a verified copy.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "OperationsTestKit.h"
#include "ShellLinkHelper.h"
#include "operations/modDir.h"

using namespace tw;

namespace {

const std::string kCr7(7, '\r');

class MoveTest : public testing::Test {
protected:
    void SetUp() override {
        m_startup = tw::test::NewTestFolder("startup");
        m_online = tw::test::NewTestFolder("onlinestartup");
        ASSERT_FALSE(m_startup.empty());
        ASSERT_FALSE(m_online.empty());
    }
    // A real shortcut in the StartUp folder; returns its bytes.
    std::string Shortcut(const std::string& name, const std::string& target) {
        tw::test::ShellLinkFields fields;
        fields.path = target;
        fields.arguments = "/" + name;
        EXPECT_EQ(S_OK, tw::test::CreateShellLink(m_startup + name, fields));
        return tw::test::ReadFileBytes(m_startup + name);
    }
    void Move(const std::vector<std::string>& names, const std::string& online) {
        ProgressView progress;
        progress.step = [this] { ++m_steps; };
        progress.setContent = [this](const std::string& text) { m_texts.push_back(text); };
        modDir::MoveStartupShortcuts(names, m_startup, online, progress);
    }
    std::string m_startup;
    std::string m_online;
    int m_steps = 0;
    std::vector<std::string> m_texts;
};

TEST_F(MoveTest, MovesEachShortcutAndReportsIt) {
    std::string mail = Shortcut("Mail.lnk", "C:\\Mail\\mail.exe");
    std::string news = Shortcut("Mail.Online.lnk", "C:\\News\\news.exe");
    Move({"Mail.lnk", "Mail.Online.lnk"}, m_online);
    EXPECT_EQ(mail, tw::test::ReadFileBytes(m_online + "Mail.lnk"));
    EXPECT_EQ(news, tw::test::ReadFileBytes(m_online + "Mail.Online.lnk"));
    EXPECT_FALSE(tw::test::FileThere(m_startup + "Mail.lnk"));
    EXPECT_FALSE(tw::test::FileThere(m_startup + "Mail.Online.lnk"));
    EXPECT_EQ((std::vector<std::string>{kCr7 + "Mail.lnk was moved sucessfully.",
                                        kCr7 + "Mail.Online.lnk was moved sucessfully."}),
              m_texts);
    EXPECT_EQ(2, m_steps);
}

TEST_F(MoveTest, ReplacesAShortcutOfTheSameName) {
    tw::test::ShellLinkFields old;
    old.path = "C:\\old\\old.exe";
    ASSERT_EQ(S_OK, tw::test::CreateShellLink(m_online + "Mail.lnk", old));
    std::string mail = Shortcut("Mail.lnk", "C:\\Mail\\mail.exe");
    ASSERT_NE(mail, tw::test::ReadFileBytes(m_online + "Mail.lnk"));
    Move({"Mail.lnk"}, m_online);
    EXPECT_EQ(mail, tw::test::ReadFileBytes(m_online + "Mail.lnk"));
    EXPECT_FALSE(tw::test::FileThere(m_startup + "Mail.lnk"));
}

TEST_F(MoveTest, MissingSourceIsReportedAndTheRestGoOn) {
    std::string mail = Shortcut("Mail.lnk", "C:\\Mail\\mail.exe");
    Move({"Gone.lnk", "Mail.lnk"}, m_online);
    EXPECT_EQ((std::vector<std::string>{kCr7 + "Couldn't move Gone.lnk.",
                                        kCr7 + "Mail.lnk was moved sucessfully."}),
              m_texts);
    EXPECT_FALSE(tw::test::FileThere(m_online + "Gone.lnk"));
    EXPECT_EQ(mail, tw::test::ReadFileBytes(m_online + "Mail.lnk"));
    EXPECT_EQ(2, m_steps);
}

TEST_F(MoveTest, UnwritableOnlineFolderKeepsTheSource) {
    std::string mail = Shortcut("Mail.lnk", "C:\\Mail\\mail.exe");
    Move({"Mail.lnk"}, m_online + "not made\\");
    EXPECT_EQ(std::vector<std::string>{kCr7 + "Couldn't move Mail.lnk."}, m_texts);
    EXPECT_EQ(mail, tw::test::ReadFileBytes(m_startup + "Mail.lnk"));
}

TEST_F(MoveTest, ExclusivelyLockedSourceIsNotCopiedAndStays) {
    std::string mail = Shortcut("Mail.lnk", "C:\\Mail\\mail.exe");
    {
        tw::test::FileLock lock(m_startup + "Mail.lnk", 0);
        ASSERT_TRUE(lock.Held());
        Move({"Mail.lnk"}, m_online);
    }
    EXPECT_EQ(std::vector<std::string>{kCr7 + "Couldn't move Mail.lnk."}, m_texts);
    EXPECT_EQ(mail, tw::test::ReadFileBytes(m_startup + "Mail.lnk"));
}

TEST_F(MoveTest, SourceThatCannotBeDeletedStaysAndTheCopyIsReported) {
    std::string readOnly = Shortcut("ReadOnly.lnk", "C:\\R\\r.exe");
    std::string open = Shortcut("Open.lnk", "C:\\O\\o.exe");
    ASSERT_TRUE(SetFileAttributesA((m_startup + "ReadOnly.lnk").c_str(), FILE_ATTRIBUTE_READONLY));
    {
        // Open for reading by another program that does not share deletion.
        tw::test::FileLock lock(m_startup + "Open.lnk", FILE_SHARE_READ);
        ASSERT_TRUE(lock.Held());
        Move({"ReadOnly.lnk", "Open.lnk"}, m_online);
    }
    EXPECT_EQ((std::vector<std::string>{kCr7 + "Couldn't move ReadOnly.lnk.", kCr7 + "Couldn't move Open.lnk."}),
              m_texts);
    // The sources stay; the copies arrived and are whole.
    EXPECT_EQ(readOnly, tw::test::ReadFileBytes(m_startup + "ReadOnly.lnk"));
    EXPECT_EQ(open, tw::test::ReadFileBytes(m_startup + "Open.lnk"));
    EXPECT_EQ(readOnly, tw::test::ReadFileBytes(m_online + "ReadOnly.lnk"));
    EXPECT_EQ(open, tw::test::ReadFileBytes(m_online + "Open.lnk"));
    SetFileAttributesA((m_startup + "ReadOnly.lnk").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(MoveTest, NothingSelectedDoesNothing) {
    Move({}, m_online);
    EXPECT_EQ(0, m_steps);
    EXPECT_TRUE(m_texts.empty());
}

TEST(MoveShortcutFile, CopyOntoItselfNeverLosesTheFile) {
    std::string folder = tw::test::NewTestFolder("self");
    ASSERT_TRUE(tw::test::WriteTextFile(folder + "Self.lnk", "not really a link"));
    EXPECT_FALSE(modDir::MoveShortcutFile(folder + "Self.lnk", folder + "Self.lnk"));
    EXPECT_EQ("not really a link", tw::test::ReadFileBytes(folder + "Self.lnk"));
}

TEST(MoveShortcutFile, MovesAnyFileAsItIs) {
    std::string from = tw::test::NewTestFolder("from");
    std::string to = tw::test::NewTestFolder("to");
    std::string bytes("\x4c\0\0\0 raw \r\n bytes", 16);
    ASSERT_TRUE(tw::test::WriteTextFile(from + "a.lnk", bytes));
    EXPECT_TRUE(modDir::MoveShortcutFile(from + "a.lnk", to + "b.lnk"));
    EXPECT_EQ(bytes, tw::test::ReadFileBytes(to + "b.lnk"));
    EXPECT_FALSE(tw::test::FileThere(from + "a.lnk"));
}

}  // namespace
