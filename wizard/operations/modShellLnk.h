// modShellLnk: writing shell links. Creates the Online StartUp shortcuts for the checked
// Run values (then saves each value to REMOVED.REG and deletes it), checks shortcut names
// for forbidden characters, and gives the list rows their icons.
#pragma once
#include <string>
#include <vector>

#include "System.h"
#include "WizardTypes.h"
#include "modDir.h"

namespace tw {
class ImageList;
}  // namespace tw

namespace tw::modShellLnk {

// The description every shortcut made here carries.
extern const char* const kShortcutDescription;
// The characters a shortcut name must not contain, in the order InvalidChars reports them.
extern const char* const kInvalidNameChars;

// For each element of `regSelection`: step the progress, write the shortcut
// `onlineStartupPath` + ShortcutName + ".lnk" for its command line (the ICQ rule for a
// value named exactly "Mirabilis ICQ"; another name when that one is taken, see
// modDir::ChooseShortcutName, which is then reported), then save the value to REMOVED.REG
// and delete it from its Run key. A shortcut that cannot be written leaves the value alone;
// a value whose name REMOVED.REG cannot carry (a line break in it) gets no shortcut, and a
// message naming it.
// Each element ends with one message box: the failure, or "The shortcut was created
// successfuly." (after a "Non-Critical ERROR: " box when REMOVED.REG could not take the
// value, which then stays in the registry).
void CreateRegShortcuts(const std::vector<RegItem>& regSelection,
                        const std::string& onlineStartupPath, const ProgressView& progress);

// A shell link with its fields set and resolved but not saved yet, so that what it starts
// is known before its file's name is chosen. COM must be initialised.
class PreparedShortcut {
public:
    // Called once. Empty strings other than the path are not set. False when the path is
    // empty or a call of the link object fails.
    bool Prepare(const std::string& path, const std::string& workingDirectory,
                 const std::string& arguments, const std::string& iconFile, int iconIndex,
                 int showCmd);
    // The target as the link file will hold it; false when it cannot be read.
    bool Target(modDir::LinkTarget& target);
    // Saves the link file (an existing file is replaced); false when it was not saved.
    bool Save(const std::string& linkFile);

private:
    sys::ShellLink m_link;
};

// Writes a shell link; empty strings other than the link file and path are not set. True
// when the link file was saved (an existing file is replaced). COM must be initialised.
bool CreateShortcut(const std::string& linkFile, const std::string& path,
                    const std::string& workingDirectory, const std::string& arguments,
                    const std::string& iconFile, int iconIndex, int showCmd);

// The forbidden characters found in `name`, in the order of kInvalidNameChars; empty
// when the name is valid.
std::string InvalidChars(const std::string& name);

// The invalid-name message, and showing it (critical icon), for the registry page and the
// rename dialog.
std::string InvalidNameMessage();
void ShowInvalidNameMessage();

// Appends the small icon `iconIndex` of `iconFile` to `images`, or icon resource 101 when
// the file yields none; returns the image's index (from 1), 0 when nothing could be added.
int AddFileIcon(ImageList& images, const std::string& iconFile, int iconIndex);

}  // namespace tw::modShellLnk
