#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "Files.h"
#include "ShellLinkHelper.h"

using tw::FileError;
using tw::test::WriteTextFile;

namespace {

std::string ReadWholeFile(const std::string& file) {
    HANDLE handle = CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return "<missing>";
    char buffer[256];
    DWORD read = 0;
    ReadFile(handle, buffer, sizeof(buffer), &read, nullptr);
    CloseHandle(handle);
    return std::string(buffer, read);
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// A drive letter that names no drive on this machine, "" if every letter is taken.
std::string MissingDrive() {
    DWORD drives = GetLogicalDrives();
    for (int i = 25; i >= 3; --i)
        if (!(drives & (1u << i))) return std::string(1, char('A' + i)) + ":";
    return std::string();
}

FileError Preset() { return FileError{53, "left from before"}; }

class FilesTest : public testing::Test {
protected:
    void SetUp() override {
        m_folder = tw::test::NewTestFolder("files");
        ASSERT_FALSE(m_folder.empty());
    }
    std::string m_folder;
};

}  // namespace

TEST_F(FilesTest, DirGivesTheFirstMatchingName) {
    ASSERT_TRUE(WriteTextFile(m_folder + "Mail.lnk", "x"));
    ASSERT_TRUE(WriteTextFile(m_folder + "notes.txt", "x"));
    FileError error = Preset();
    EXPECT_EQ("Mail.lnk", tw::Dir(m_folder + "Mail.lnk", 0, error));
    EXPECT_FALSE(error);
    EXPECT_EQ("Mail.lnk", tw::Dir(m_folder + "*.lnk", 0, error));
    EXPECT_EQ("notes.txt", tw::Dir(m_folder + "*.txt", 0, error));
    EXPECT_EQ("Mail.lnk", tw::Dir(m_folder + "MAIL.LNK", 0, error)) << "names match in any case";
    EXPECT_EQ("", tw::Dir(m_folder + "*.exe", 0, error));
    EXPECT_FALSE(error);
}

TEST_F(FilesTest, DirOfMissingFileOrFolderIsEmptyWithoutError) {
    const std::string patterns[] = {
        m_folder + "Missing.lnk",
        m_folder + "No Folder\\Missing.lnk",
        m_folder + "No Folder\\",
        m_folder + "No Folder\\*.*",
    };
    for (const std::string& pattern : patterns) {
        SCOPED_TRACE(pattern);
        FileError error = Preset();
        EXPECT_EQ("", tw::Dir(pattern, FILE_ATTRIBUTE_DIRECTORY, error));
        EXPECT_FALSE(error);
        EXPECT_EQ(0, error.number);
    }
}

TEST_F(FilesTest, DirSelectsHiddenSystemAndDirectoriesOnlyWhenAsked) {
    ASSERT_TRUE(CreateDirectoryA((m_folder + "sub").c_str(), nullptr));
    ASSERT_TRUE(WriteTextFile(m_folder + "hidden.txt", "x"));
    ASSERT_TRUE(SetFileAttributesA((m_folder + "hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(WriteTextFile(m_folder + "system.txt", "x"));
    ASSERT_TRUE(SetFileAttributesA((m_folder + "system.txt").c_str(), FILE_ATTRIBUTE_SYSTEM));
    ASSERT_TRUE(WriteTextFile(m_folder + "both.txt", "x"));
    ASSERT_TRUE(SetFileAttributesA((m_folder + "both.txt").c_str(),
                                   FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    ASSERT_TRUE(WriteTextFile(m_folder + "readonly.txt", "x"));
    ASSERT_TRUE(SetFileAttributesA((m_folder + "readonly.txt").c_str(), FILE_ATTRIBUTE_READONLY));

    struct Case {
        const char* name;
        unsigned attributes;
        bool found;
    };
    const unsigned hidden = FILE_ATTRIBUTE_HIDDEN, system = FILE_ATTRIBUTE_SYSTEM;
    const unsigned directory = FILE_ATTRIBUTE_DIRECTORY;
    const Case cases[] = {
        {"sub", 0, false},          {"sub", directory, true},          {"sub", hidden, false},
        {"hidden.txt", 0, false},   {"hidden.txt", hidden, true},      {"hidden.txt", system, false},
        {"system.txt", 0, false},   {"system.txt", system, true},      {"both.txt", hidden, false},
        {"both.txt", system, false}, {"both.txt", hidden | system, true},
        {"readonly.txt", 0, true},  {"readonly.txt", directory, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " attributes " + std::to_string(c.attributes));
        FileError error;
        EXPECT_EQ(c.found ? c.name : "", tw::Dir(m_folder + c.name, c.attributes, error));
        EXPECT_FALSE(error);
    }
    SetFileAttributesA((m_folder + "readonly.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(FilesTest, DirOfAFolderPathListsItsEntries) {
    FileError error;
    // An existing but empty folder: its "." entry counts only when directories are asked for.
    EXPECT_NE("", tw::Dir(m_folder, FILE_ATTRIBUTE_DIRECTORY, error));
    EXPECT_EQ("", tw::Dir(m_folder, 0, error));
    ASSERT_TRUE(WriteTextFile(m_folder + "only.txt", "x"));
    EXPECT_EQ("only.txt", tw::Dir(m_folder, 0, error));
    EXPECT_FALSE(error);
}

TEST_F(FilesTest, DirOnAMissingDriveIsDeviceUnavailable) {
    std::string drive = MissingDrive();
    if (drive.empty()) GTEST_SKIP() << "every drive letter is in use";
    FileError error;
    EXPECT_EQ("", tw::Dir(drive + "\\Online Startup\\*.*", 0, error));
    EXPECT_EQ(68, error.number);
    EXPECT_EQ("Device unavailable", error.description);
}

TEST_F(FilesTest, FileCopyReplacesAnExistingTarget) {
    ASSERT_TRUE(WriteTextFile(m_folder + "source.lnk", "new contents"));
    ASSERT_TRUE(WriteTextFile(m_folder + "target.lnk", "old"));
    FileError error = Preset();
    EXPECT_TRUE(tw::FileCopy(m_folder + "source.lnk", m_folder + "target.lnk", error));
    EXPECT_FALSE(error);
    EXPECT_EQ("new contents", ReadWholeFile(m_folder + "target.lnk"));
    EXPECT_EQ("new contents", ReadWholeFile(m_folder + "source.lnk"));
    EXPECT_TRUE(tw::FileCopy(m_folder + "source.lnk", m_folder + "fresh.lnk", error));
    EXPECT_EQ("new contents", ReadWholeFile(m_folder + "fresh.lnk"));
}

TEST_F(FilesTest, FailuresCarryTheirErrorNumbers) {
    ASSERT_TRUE(WriteTextFile(m_folder + "here.txt", "x"));
    struct Case {
        const char* what;
        bool (*call)(const std::string& folder, FileError& error);
        int number;
        const char* description;
    };
    const Case cases[] = {
        {"Kill of a missing file",
         [](const std::string& f, FileError& e) { return tw::Kill(f + "missing.lnk", e); }, 53,
         "File not found"},
        {"Kill in a missing folder",
         [](const std::string& f, FileError& e) { return tw::Kill(f + "none\\missing.lnk", e); },
         76, "Path not found"},
        {"FileCopy of a missing source",
         [](const std::string& f, FileError& e) { return tw::FileCopy(f + "missing", f + "t", e); },
         53, "File not found"},
        {"FileCopy into a missing folder",
         [](const std::string& f, FileError& e) {
             return tw::FileCopy(f + "here.txt", f + "none\\here.txt", e);
         },
         76, "Path not found"},
        {"MkDir under a missing parent",
         [](const std::string& f, FileError& e) { return tw::MkDir(f + "none\\child", e); }, 76,
         "Path not found"},
        {"MkDir of an existing folder",
         [](const std::string& f, FileError& e) { return tw::MkDir(f.substr(0, f.size() - 1), e); },
         75, "Path/File access error"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FileError error;
        EXPECT_FALSE(c.call(m_folder, error));
        EXPECT_TRUE(error);
        EXPECT_EQ(c.number, error.number);
        EXPECT_EQ(c.description, error.description);
    }
}

TEST_F(FilesTest, KillDeletesAndRefusesReadOnlyFiles) {
    ASSERT_TRUE(WriteTextFile(m_folder + "gone.lnk", "x"));
    FileError error = Preset();
    EXPECT_TRUE(tw::Kill(m_folder + "gone.lnk", error));
    EXPECT_FALSE(error);
    EXPECT_FALSE(Exists(m_folder + "gone.lnk"));

    ASSERT_TRUE(WriteTextFile(m_folder + "locked.lnk", "x"));
    ASSERT_TRUE(SetFileAttributesA((m_folder + "locked.lnk").c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(tw::Kill(m_folder + "locked.lnk", error));
    EXPECT_EQ(75, error.number);
    EXPECT_TRUE(Exists(m_folder + "locked.lnk"));
    SetFileAttributesA((m_folder + "locked.lnk").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(FilesTest, CopyOntoAFileHeldOpenIsPermissionDenied) {
    ASSERT_TRUE(WriteTextFile(m_folder + "source.lnk", "new"));
    ASSERT_TRUE(WriteTextFile(m_folder + "open.lnk", "old"));
    HANDLE held = CreateFileA((m_folder + "open.lnk").c_str(), GENERIC_READ, 0, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    FileError error;
    EXPECT_FALSE(tw::FileCopy(m_folder + "source.lnk", m_folder + "open.lnk", error));
    EXPECT_EQ(70, error.number);
    EXPECT_EQ("Permission denied", error.description);
    CloseHandle(held);
    EXPECT_EQ("old", ReadWholeFile(m_folder + "open.lnk"));
}

TEST_F(FilesTest, MkDirMakesOneLevel) {
    FileError error = Preset();
    EXPECT_TRUE(tw::MkDir(m_folder + "Online Startup", error));
    EXPECT_FALSE(error);
    EXPECT_EQ(DWORD(FILE_ATTRIBUTE_DIRECTORY),
              GetFileAttributesA((m_folder + "Online Startup").c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_NE("", tw::Dir(m_folder + "Online Startup\\", FILE_ATTRIBUTE_DIRECTORY, error));
    EXPECT_FALSE(error);
}
