// Moving StartUp shortcuts into the Online StartUp folder: moves that succeed, replace,
// or fail, the rule that a source is never deleted without a verified copy, and the choice
// of a free name when a shortcut of that name starts something else.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Fakes.h"
#include "OperationsTestKit.h"
#include "ShellLinkHelper.h"
#include "operations/modDir.h"

using namespace tw;

namespace {

const std::string kCr7(7, '\r');

std::string Renamed(const std::string& clashing, const std::string& chosen) {
    return clashing + " already exists in the Online StartUp folder, so this shortcut was saved as " +
           chosen + ".";
}

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
    tw::test::FakePrompter m_prompter;
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

TEST_F(MoveTest, AShortcutOfTheSameNameToAnotherProgramIsKeptAndTheMoveTakesAFreeName) {
    tw::test::ShellLinkFields old;
    old.path = "C:\\old\\old.exe";
    ASSERT_EQ(S_OK, tw::test::CreateShellLink(m_online + "mail.LNK", old));
    const std::string before = tw::test::ReadFileBytes(m_online + "mail.LNK");
    std::string mail = Shortcut("Mail.lnk", "C:\\Mail\\mail.exe");
    Move({"Mail.lnk"}, m_online);
    EXPECT_EQ(before, tw::test::ReadFileBytes(m_online + "mail.LNK"));
    EXPECT_EQ(mail, tw::test::ReadFileBytes(m_online + "Mail (2).lnk"));
    EXPECT_FALSE(tw::test::FileThere(m_startup + "Mail.lnk"));
    EXPECT_EQ(std::vector<std::string>{kCr7 + "Mail.lnk was moved sucessfully."}, m_texts);
    ASSERT_EQ(1u, m_prompter.shown.size());
    EXPECT_EQ(Renamed("mail.LNK", "Mail (2).lnk"), m_prompter.shown[0].text);
    EXPECT_EQ(static_cast<unsigned>(MB_ICONINFORMATION), m_prompter.shown[0].flags);
}

TEST_F(MoveTest, AShortcutOfTheSameNameToTheSameProgramIsReplacedSilently) {
    tw::test::ShellLinkFields old;
    old.path = "C:\\MAIL\\MAIL.EXE";  // the same program in other letters
    old.arguments = "/Mail.lnk";
    old.description = "older";
    ASSERT_EQ(S_OK, tw::test::CreateShellLink(m_online + "Mail.lnk", old));
    std::string mail = Shortcut("Mail.lnk", "C:\\Mail\\mail.exe");
    Move({"Mail.lnk"}, m_online);
    EXPECT_EQ(mail, tw::test::ReadFileBytes(m_online + "Mail.lnk"));
    EXPECT_FALSE(tw::test::FileThere(m_online + "Mail (2).lnk"));
    EXPECT_TRUE(m_prompter.shown.empty());
}

TEST_F(MoveTest, HiddenAndSystemShortcutsAreMovedAndVerified) {
    std::string hidden = Shortcut("Hidden.lnk", "C:\\H\\h.exe");
    std::string system = Shortcut("System.lnk", "C:\\S\\s.exe");
    ASSERT_TRUE(SetFileAttributesA((m_startup + "Hidden.lnk").c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(SetFileAttributesA((m_startup + "System.lnk").c_str(),
                                   FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN));
    Move({"Hidden.lnk", "System.lnk"}, m_online);
    EXPECT_EQ((std::vector<std::string>{kCr7 + "Hidden.lnk was moved sucessfully.",
                                        kCr7 + "System.lnk was moved sucessfully."}),
              m_texts);
    EXPECT_EQ(hidden, tw::test::ReadFileBytes(m_online + "Hidden.lnk"));
    EXPECT_EQ(system, tw::test::ReadFileBytes(m_online + "System.lnk"));
    EXPECT_FALSE(tw::test::FileThere(m_startup + "Hidden.lnk"));
    EXPECT_FALSE(tw::test::FileThere(m_startup + "System.lnk"));
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
    tw::test::FakeClock clock;
    {
        // Open for reading by another program that does not share deletion, for longer than
        // the deletion waits (about 2 seconds, in steps of 0.1).
        tw::test::FileLock lock(m_startup + "Open.lnk", FILE_SHARE_READ);
        ASSERT_TRUE(lock.Held());
        Move({"ReadOnly.lnk", "Open.lnk"}, m_online);
    }
    // A read-only file is refused at once; the held one is tried again for 2 seconds.
    EXPECT_EQ(20, clock.waits);
    EXPECT_EQ((std::vector<std::string>{kCr7 + "Couldn't move ReadOnly.lnk.", kCr7 + "Couldn't move Open.lnk."}),
              m_texts);
    // The sources stay; the copies arrived and are whole.
    EXPECT_EQ(readOnly, tw::test::ReadFileBytes(m_startup + "ReadOnly.lnk"));
    EXPECT_EQ(open, tw::test::ReadFileBytes(m_startup + "Open.lnk"));
    EXPECT_EQ(readOnly, tw::test::ReadFileBytes(m_online + "ReadOnly.lnk"));
    EXPECT_EQ(open, tw::test::ReadFileBytes(m_online + "Open.lnk"));
    SetFileAttributesA((m_startup + "ReadOnly.lnk").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(MoveTest, ASourceHeldForAMomentIsWaitedForAndMoved) {
    // A virus scanner or the shell opens each new file without sharing its deletion.
    std::string mail = Shortcut("Mail.lnk", "C:\\Mail\\mail.exe");
    auto lock = std::make_unique<tw::test::FileLock>(m_startup + "Mail.lnk", FILE_SHARE_READ);
    ASSERT_TRUE(lock->Held());
    tw::test::FakeClock clock;
    clock.onWait = [&] {
        if (clock.waits == 10) lock.reset();  // let go after a second
    };
    Move({"Mail.lnk"}, m_online);
    EXPECT_EQ(std::vector<std::string>{kCr7 + "Mail.lnk was moved sucessfully."}, m_texts);
    EXPECT_EQ(10, clock.waits);
    EXPECT_FALSE(tw::test::FileThere(m_startup + "Mail.lnk"));
    EXPECT_EQ(mail, tw::test::ReadFileBytes(m_online + "Mail.lnk"));
}

TEST_F(MoveTest, AMovedShortcutsTaskManagerSwitchIsSavedToRemovedRegThenRemoved) {
    tw::test::RunKeySandbox keys("moveswitch");
    const std::string removed = tw::test::NewTestFolder("moveremoved") + "removed.reg";
    tw::test::RemovedRegAt at(removed);
    const std::string on = tw::test::SwitchBytes(0x06);
    const REGSAM native = tw::test::SwitchView();
    for (const char* name : {"Mail.lnk", "Gone.lnk"})
        ASSERT_TRUE(tw::test::SetRawValue(HKEY_CURRENT_USER, keys.SwitchKey("StartupFolder"), name, REG_BINARY, on, native));
    // Switched off in Task Manager since page 1: left where it is.
    const std::string off = tw::test::SwitchBytes(0x03);
    ASSERT_TRUE(tw::test::SetRawValue(HKEY_CURRENT_USER, keys.SwitchKey("StartupFolder"), "Off.lnk", REG_BINARY, off, native));
    Shortcut("Mail.lnk", "C:\\Mail\\mail.exe");
    Shortcut("News.lnk", "C:\\News\\news.exe");
    const std::string offBytes = Shortcut("Off.lnk", "C:\\Off\\off.exe");
    tw::test::ChangeRecorder recorder;
    Move({"Mail.lnk", "News.lnk", "Gone.lnk", "Off.lnk"}, m_online);
    EXPECT_EQ((std::vector<std::string>{kCr7 + "Mail.lnk was moved sucessfully.", kCr7 + "News.lnk was moved sucessfully.",
                                        kCr7 + "Couldn't move Gone.lnk.", kCr7 + "Couldn't move Off.lnk."}),
              m_texts);
    EXPECT_EQ(offBytes, tw::test::ReadFileBytes(m_startup + "Off.lnk"));
    EXPECT_FALSE(tw::test::FileThere(m_online + "Off.lnk"));
    EXPECT_EQ(off, tw::test::GetRawValue(HKEY_CURRENT_USER, keys.SwitchKey("StartupFolder"), "Off.lnk", native).data);
    EXPECT_TRUE(m_prompter.shown.empty());
    // Saved and flushed before it is deleted, after the shortcut itself has gone.
    EXPECT_EQ((std::vector<std::string>{"Delete " + m_startup + "Mail.lnk", "Write " + removed + ".new",
                                        "Flush " + removed + ".new", "Rename " + removed, "RegistryDelete Mail.lnk"}),
              std::vector<std::string>(recorder.changes.begin() + 2, recorder.changes.begin() + 7));
    // A shortcut without a switch changes nothing else.
    EXPECT_EQ("Delete " + m_startup + "News.lnk", recorder.changes.back());
    EXPECT_EQ((std::vector<std::string>{"REGEDIT4", "[HKEY_CURRENT_USER\\" + keys.SwitchKey("StartupFolder") + "]",
                                        "\"Mail.lnk\"=hex:06,00,00,00,00,00,00,00,5a,c3,1e,01"}),
              tw::test::ReadLines(removed));
    EXPECT_FALSE(tw::test::GetRawValue(HKEY_CURRENT_USER, keys.SwitchKey("StartupFolder"), "Mail.lnk", native).present);
    // The shortcut that was not moved keeps its switch.
    EXPECT_EQ(on, tw::test::GetRawValue(HKEY_CURRENT_USER, keys.SwitchKey("StartupFolder"), "Gone.lnk", native).data);
    ASSERT_EQ(0, tw::test::RunRegeditImport(removed));
    EXPECT_EQ(on, tw::test::GetRawValue(HKEY_CURRENT_USER, keys.SwitchKey("StartupFolder"), "Mail.lnk", native).data);
}

TEST_F(MoveTest, ASwitchThatCannotBeSavedStaysAndTheUserIsTold) {
    tw::test::RunKeySandbox keys("moveswitchfail");
    tw::test::RemovedRegAt at(tw::test::NewTestFolder("nosuch") + "missing folder\\removed.reg");
    ASSERT_TRUE(tw::test::SetRawValue(HKEY_CURRENT_USER, keys.SwitchKey("StartupFolder"), "Mail.lnk", REG_BINARY,
                                      tw::test::SwitchBytes(0x02), tw::test::SwitchView()));
    Shortcut("Mail.lnk", "C:\\Mail\\mail.exe");
    Move({"Mail.lnk"}, m_online);
    EXPECT_EQ(std::vector<std::string>{kCr7 + "Mail.lnk was moved sucessfully."}, m_texts);
    ASSERT_EQ(1u, m_prompter.shown.size());
    EXPECT_EQ("Non-Critical ERROR: Can't save the value to REMOVED.REG. It was left in the registry.", m_prompter.shown[0].text);
    EXPECT_TRUE(tw::test::GetRawValue(HKEY_CURRENT_USER, keys.SwitchKey("StartupFolder"), "Mail.lnk", tw::test::SwitchView()).present);
}

TEST_F(MoveTest, TheCopyIsOnTheDiskBeforeTheSourceIsDeleted) {
    Shortcut("Mail.lnk", "C:\\M\\mail.exe");
    tw::test::ChangeRecorder recorder;
    Move({"Mail.lnk"}, m_online);
    EXPECT_EQ((std::vector<std::string>{"Copy " + m_online + "Mail.lnk", "Flush " + m_online + "Mail.lnk",
                                        "Delete " + m_startup + "Mail.lnk"}),
              recorder.changes);
}

TEST_F(MoveTest, ACopyThatCannotBeFlushedKeepsTheSource) {
    std::string mail = Shortcut("Mail.lnk", "C:\\M\\mail.exe");
    std::unique_ptr<tw::test::FileLock> lock;
    tw::test::ChangeRecorder recorder;
    // Another program opens the copy as it arrives and shares no writing.
    recorder.then = [&](sys::Change change, const std::string& target) {
        if (change == sys::Change::Copy) lock = std::make_unique<tw::test::FileLock>(target, FILE_SHARE_READ);
    };
    Move({"Mail.lnk"}, m_online);
    lock.reset();
    EXPECT_EQ(std::vector<std::string>{kCr7 + "Couldn't move Mail.lnk."}, m_texts);
    EXPECT_EQ(mail, tw::test::ReadFileBytes(m_startup + "Mail.lnk"));
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

// ---- The name a new shortcut takes ----

class NameChoiceTest : public testing::Test {
protected:
    void SetUp() override {
        m_folder = tw::test::NewTestFolder("names");
        ASSERT_FALSE(m_folder.empty());
    }
    void Link(const std::string& name, const std::string& path, const std::string& arguments = "") {
        tw::test::ShellLinkFields fields;
        fields.path = path;
        fields.arguments = arguments;
        ASSERT_EQ(S_OK, tw::test::CreateShellLink(m_folder + name, fields));
    }
    modDir::NameChoice Choose(const std::string& name, const std::string& path = "C:\\New\\new.exe",
                              const std::string& arguments = "-n") {
        modDir::LinkTarget target{path, arguments};
        return modDir::ChooseShortcutName(m_folder, name, &target);
    }
    std::string m_folder;
};

TEST_F(NameChoiceTest, TakenNamesAreNumberedFromTwoIgnoringLetterCase) {
    modDir::NameChoice free = Choose("Pager.lnk");
    EXPECT_EQ("Pager.lnk", free.name);
    EXPECT_EQ("", free.clashing);
    Link("PAGER.LNK", "C:\\Old\\pager.exe");
    Link("pager (2).lnk", "C:\\Old\\pager2.exe");
    ASSERT_TRUE(tw::test::WriteTextFile(m_folder + "Pager (3).lnk", "not a shortcut"));
    ASSERT_TRUE(SetFileAttributesA((m_folder + "Pager (3).lnk").c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(CreateDirectoryA((m_folder + "Pager (4).lnk").c_str(), nullptr));
    modDir::NameChoice choice = Choose("Pager.lnk");
    EXPECT_EQ("Pager (5).lnk", choice.name);
    EXPECT_EQ("PAGER.LNK", choice.clashing) << "the name as the folder spells it";
    // The number goes before the last extension.
    Link("Mail.Online.lnk", "C:\\Old\\mail.exe");
    Link("Readme", "C:\\Old\\readme.exe");
    EXPECT_EQ("Mail.Online (2).lnk", Choose("Mail.Online.lnk").name);
    EXPECT_EQ("Readme (2)", Choose("Readme").name);
}

TEST_F(NameChoiceTest, ASameProgramIsReplacedOnlyWithTheSameArguments) {
    Link("Pager.lnk", "C:\\New\\new.exe", "-n");
    modDir::NameChoice same = Choose("pager.lnk", "c:\\NEW\\NEW.EXE", "-n");
    EXPECT_EQ("pager.lnk", same.name);
    EXPECT_EQ("", same.clashing);
    EXPECT_EQ("Pager (2).lnk", Choose("Pager.lnk", "C:\\New\\new.exe", "-N").name);
    EXPECT_EQ("Pager (2).lnk", Choose("Pager.lnk", "C:\\New\\other.exe", "-n").name);
    // A file that is no shortcut, or a target that is not known, is never replaced.
    ASSERT_TRUE(tw::test::WriteTextFile(m_folder + "Text.lnk", "C:\\New\\new.exe -n"));
    EXPECT_EQ("Text (2).lnk", Choose("Text.lnk").name);
    EXPECT_EQ("Pager (2).lnk", modDir::ChooseShortcutName(m_folder, "Pager.lnk", nullptr).name);
}

TEST_F(NameChoiceTest, ANumberedShortcutToTheSameProgramIsReusedRatherThanAddingAnother) {
    Link("Pager.lnk", "C:\\Old\\pager.exe");
    Link("Pager (2).lnk", "C:\\New\\new.exe", "-n");
    modDir::NameChoice choice = Choose("Pager.lnk");
    EXPECT_EQ("Pager (2).lnk", choice.name);
    EXPECT_EQ("Pager.lnk", choice.clashing);
}

}  // namespace
