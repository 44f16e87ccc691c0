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
// to `onlineStartupPath` (both ending in "\") and put "... was moved sucessfully." or
// "Couldn't move ..." (after seven carriage returns) on the page.
void MoveStartupShortcuts(const std::vector<std::string>& startUpSelection,
                          const std::string& startupPath, const std::string& onlineStartupPath,
                          const ProgressView& progress);

// Copies `source` to `destination` (replacing it), checks that the copy is there and holds
// the same bytes, then deletes `source`. True when the source is gone after a copy that
// arrived; a source whose copy cannot be verified is never deleted.
bool MoveShortcutFile(const std::string& source, const std::string& destination);

}  // namespace tw::modDir
