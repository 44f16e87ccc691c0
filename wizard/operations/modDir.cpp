// modDir: the StartUp folder scan and the moves into the Online StartUp folder.
#include "modDir.h"

#include <windows.h>

#include "Files.h"
#include "ListView.h"
#include "Prompt.h"
#include "Shortcut.h"
#include "Strings.h"
#include "System.h"
#include "modRegStuff.h"
#include "modShellLnk.h"

namespace tw::modDir {

const char* const kOwnShortcut = "OSPREY.LNK";

namespace {

const std::string kSevenReturns(7, '\r');

// Candidates beyond "Name (2)" are tried up to this number before giving up.
constexpr int kLastNameNumber = 9999;

// Every entry counts as taking a name: hidden and system files and folders too.
constexpr unsigned kAnyEntry = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;

bool ReadTarget(const std::string& linkFile, LinkTarget& target) {
    std::string workingDirectory, iconPath;
    int iconIndex = 0;
    int showCmd = 0;
    return ReadShortcut(linkFile, target.path, workingDirectory, target.arguments, iconPath,
                        iconIndex, showCmd);
}

bool StartsSameProgram(const std::string& linkFile, const LinkTarget& target) {
    LinkTarget existing;
    return ReadTarget(linkFile, existing) && sys::FoldFileName(existing.path) == sys::FoldFileName(target.path) &&
           existing.arguments == target.arguments;
}

}  // namespace

int ScanStartUpFolder(const std::string& startupPath, ListView& list, ImageList& images) {
    int count = 0;
    // Shortcuts switched off in Task Manager are left alone: Windows does not start them.
    const modRegStuff::SwitchedOffEntries switchedOff(modRegStuff::ShortcutSwitch(std::string()));
    sys::FindFiles(startupPath + "*.*", [&](const sys::FoundFile& entry) {
        // INVALID_FILE_ATTRIBUTES has the directory bit set too, so such a file is skipped.
        const DWORD attributes = sys::FileAttributes(startupPath + entry.name);
        if (entry.name != "." && entry.name != ".." && !(attributes & FILE_ATTRIBUTE_DIRECTORY) &&
            !switchedOff.IsSwitchedOff(entry.name) && AddStartUpItem(startupPath, entry.name, list, images))
            ++count;
        return true;
    });
    if (count == 0)
        MsgBox("There are no shortcuts in your Online StartUp folder. You can move your online "
               "programs shortcuts from your StartUp folder, or create new shortcuts to your "
               "online programs. ",
               MB_ICONEXCLAMATION);
    return count;
}

bool AddStartUpItem(const std::string& folder, const std::string& name, ListView& list,
                    ImageList& images) {
    if (name.empty() || sys::FoldFileName(name) == kOwnShortcut) return false;
    std::string path, workingDirectory, arguments, iconPath;
    int iconIndex = 0;
    int showCmd = 0;
    if (!ReadShortcut(folder + name, path, workingDirectory, arguments, iconPath, iconIndex, showCmd))
        return false;
    if (iconPath.empty()) iconPath = path;
    int icon = modShellLnk::AddFileIcon(images, iconPath, iconIndex);
    int row = list.AddRow(std::string(), StripExtension(name), icon);
    if (row == 0) return false;
    list.SetRowTag(row, GetExtension(name));
    list.SetSubItem(row, 1, path + arguments);
    return true;
}

std::string GetExtension(const std::string& name) {
    for (std::string::size_type i = name.size(); i-- > 0;) {
        if (name[i] == '\\') return std::string();
        if (name[i] == '.') return name.substr(i + 1);
    }
    return std::string();
}

void MoveStartupShortcuts(const std::vector<std::string>& startUpSelection,
                          const std::string& startupPath, const std::string& onlineStartupPath,
                          const ProgressView& progress) {
    // Read again: a shortcut switched off in Task Manager since page 1 stays where it is.
    const modRegStuff::SwitchedOffEntries switchedOff(modRegStuff::ShortcutSwitch(std::string()));
    for (const std::string& element : startUpSelection) {
        if (progress.step) progress.step();
        LinkTarget target;
        const bool isShortcut = ReadTarget(startupPath + element, target);
        const NameChoice choice =
            ChooseShortcutName(onlineStartupPath, element, isShortcut ? &target : nullptr);
        bool moved = !choice.name.empty() && !switchedOff.IsSwitchedOff(element) &&
                     MoveShortcutFile(startupPath + element, onlineStartupPath + choice.name);
        if (progress.setContent)
            progress.setContent(kSevenReturns + (moved ? element + " was moved sucessfully."
                                                       : "Couldn't move " + element + "."));
        if (moved && !choice.clashing.empty()) ShowRenamedMessage(choice);
        if (moved) modRegStuff::MoveSwitchToRemovedReg(modRegStuff::ShortcutSwitch(element));
    }
}

bool MoveShortcutFile(const std::string& source, const std::string& destination) {
    FileError error;
    // The copy is on the disk before it is compared, and so before the source goes.
    if (!FileCopy(source, destination, error) || !sys::FlushFile(destination)) return false;
    // The copy keeps the source's attributes: a hidden or system shortcut arrives hidden.
    const unsigned anyFile = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    if (Dir(destination, anyFile, error).empty() || error) return false;
    std::string original, copy;
    // Shortcuts are small: comparing the copy with its source byte for byte is cheap.
    if (!sys::ReadWholeFile(source, original) || !sys::ReadWholeFile(destination, copy) || original != copy)
        return false;
    if (!Kill(source, error)) return false;
    return Dir(source, anyFile, error).empty() && !error;
}

NameChoice ChooseShortcutName(const std::string& folder, const std::string& name,
                              const LinkTarget* target) {
    FileError error;
    const std::string clashing = Dir(folder + name, kAnyEntry, error);
    if (clashing.empty() || (target && StartsSameProgram(folder + clashing, *target)))
        return {name, std::string()};
    const std::string extension = GetExtension(name);
    const std::string stem = extension.empty() ? name : StripExtension(name);
    for (int number = 2; number <= kLastNameNumber; ++number) {
        std::string candidate = stem + " (" + std::to_string(number) + ")" +
                                (extension.empty() ? std::string() : "." + extension);
        const std::string found = Dir(folder + candidate, kAnyEntry, error);
        if (found.empty() || (target && StartsSameProgram(folder + found, *target)))
            return {candidate, clashing};
    }
    return {std::string(), clashing};
}

void ShowRenamedMessage(const NameChoice& choice) {
    MsgBox(choice.clashing + " already exists in the Online StartUp folder, so this shortcut was "
                             "saved as " + choice.name + ".",
           MB_ICONINFORMATION);
}

}  // namespace tw::modDir
