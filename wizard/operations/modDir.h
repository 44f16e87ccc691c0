// modDir: the StartUp folder side of the wizard. Lists the StartUp folder's shortcuts
// into the wizard's list and moves the checked ones into the Online StartUp folder
// (copied as they are, the source deleted only once the copy is there).
#pragma once
#include <string>
#include <vector>

#include "WizardTypes.h"

namespace tw {
class ImageList;
class ListView;
}  // namespace tw

namespace tw::modDir {

// The tray program's own StartUp shortcut, never listed (compared in capitals).
extern const char* const kOwnShortcut;

// Adds a row per shortcut of `startupPath` (ending in "\"), in listing order; folders and
// files the link object cannot load are skipped. With no row added, says so in a message
// box. Returns the number of rows added.
int ScanStartUpFolder(const std::string& startupPath, ListView& list, ImageList& images);

// Adds the row for `folder` + `name`: text the name without extension, tag the extension,
// sub-item 1 the target path followed by the arguments, small icon from the shortcut's
// icon location (its target when it has none) or icon resource 101. False, and nothing
// added, for an empty name, OSPREY.LNK in any letter case, or a file that is no shortcut.
bool AddStartUpItem(const std::string& folder, const std::string& name, ListView& list,
                    ImageList& images);

// The file name's extension without the dot; "" when the last dot comes before the last
// backslash or there is none.
std::string GetExtension(const std::string& name);

// For each file name of `startUpSelection`: step the progress, move it from `startupPath`
// to `onlineStartupPath` (both ending in "\") under the name ChooseShortcutName gives and
// put "... was moved sucessfully." or "Couldn't move ..." (after seven carriage returns) on
// the page; a shortcut saved under another name is then reported (ShowRenamedMessage).
void MoveStartupShortcuts(const std::vector<std::string>& startUpSelection,
                          const std::string& startupPath, const std::string& onlineStartupPath,
                          const ProgressView& progress);

// Copies `source` to `destination` (replacing it), flushes the copy to the disk, checks that
// it is there and holds the same bytes, then deletes `source`. True when the source is gone
// after a copy that arrived; a source whose copy cannot be flushed or verified is never
// deleted.
bool MoveShortcutFile(const std::string& source, const std::string& destination);

// ---- Names in the Online StartUp folder ----------------------------------------------------

// What a shortcut starts.
struct LinkTarget {
    std::string path;
    std::string arguments;
};

// The file name a new shortcut is saved under, and the entry that kept it from its own name.
struct NameChoice {
    std::string name;      // "" when no name could be found
    std::string clashing;  // the entry in the way, as the folder spells it; "" when `name` is
                           // the name asked for
};

// The name under which a shortcut starting `target` (nullptr: unknown, as for a file that
// is no shortcut) goes into `folder` (ending in "\") when it wants `name`. An entry of that
// name (letter case ignored, whatever its attributes) is never replaced unless it is a
// shortcut that starts the same program (path in any letter case) with the same arguments;
// otherwise the first of "Name (2).ext", "Name (3).ext", ... that is free or is such a
// shortcut is taken.
NameChoice ChooseShortcutName(const std::string& folder, const std::string& name,
                              const LinkTarget* target);

// "<clashing> already exists in the Online StartUp folder, so this shortcut was saved as
// <name>." with the information icon.
void ShowRenamedMessage(const NameChoice& choice);

}  // namespace tw::modDir
