// modShellLnk: shell links through the shell's link object (sys::ShellLink).
#include "modShellLnk.h"

#include <windows.h>

#include "ListView.h"
#include "Prompt.h"
#include "Resources.h"
#include "Shortcut.h"
#include "Strings.h"
#include "modRegStuff.h"
#include "resource.h"

namespace tw::modShellLnk {

const char* const kShortcutDescription = "Created by Osprey Wizard";
const char* const kInvalidNameChars = "\\/:*?<>|\"";

namespace {

// The value name whose shortcut starts ICQ.EXE beside the listed program (compared exactly).
const char* const kIcqValueName = "Mirabilis ICQ";
const char* const kIcqProgram = "ICQ.EXE";


// Shown for a value whose name REMOVED.REG cannot carry: no shortcut, the value stays.
std::string UncarriedNameMessage(const std::string& valueName) {
    return "Non-Critical ERROR: REMOVED.REG can't hold the value named \"" +
           modRegStuff::VisibleName(valueName) + "\". It was left in the registry, and no shortcut was made.";
}

// Shortcut fields for one Run value.
struct LinkFields {
    std::string path;
    std::string workingDirectory;
    std::string arguments;
    std::string iconFile;
};

LinkFields FieldsFor(const RegItem& item) {
    using namespace modRegStuff;
    // A REG_EXPAND_SZ value runs its expanded line; the shortcut gets that, not %NAME%.
    std::string line = item.CommandLine;
    RunValue value;
    if (ReadRunValue(item.HiveName, item.ValueName, value, item.View) && value.type == REG_EXPAND_SZ)
        line = ExpandEnvironment(line);
    const std::string c = StripQuotes(line);
    LinkFields fields;
    if (item.ValueName == kIcqValueName) {
        fields.path = GetFolder(GetProgramPath(c)) + kIcqProgram;
        fields.iconFile = fields.path;
    } else {
        fields.path = GetProgramPath(c);
        fields.iconFile = GetIconPath(c);
    }
    fields.workingDirectory = GetFolder(GetProgramPath(c));
    fields.arguments = GetRunDllArguments(c);
    return fields;
}

// Whether the file loads as a shell link. What it starts is not compared with what was
// saved: Wine's link object keeps a target path in the ANSI code page only.
bool LoadsAsShortcut(const std::string& linkFile) {
    std::string path, workingDirectory, arguments, iconPath;
    int iconIndex = 0;
    int showCmd = 0;
    return ReadShortcut(linkFile, path, workingDirectory, arguments, iconPath, iconIndex, showCmd);
}

}  // namespace

void CreateRegShortcuts(const std::vector<RegItem>& regSelection,
                        const std::string& onlineStartupPath, const ProgressView& progress) {
    for (const RegItem& item : regSelection) {
        if (progress.step) progress.step();
        // Refused before its shortcut is made: the value could never be deleted safely.
        if (!modRegStuff::RegFileCarriesName(item.ValueName)) {
            MsgBox(UncarriedNameMessage(item.ValueName), MB_ICONEXCLAMATION);
            continue;
        }
        // Switched off in Task Manager since page 2: Windows does not start it, nor will Lookout.
        if (modRegStuff::SwitchedOffEntries(modRegStuff::RunValueSwitch(item.HiveName, item.View, std::string()))
                .IsSwitchedOff(item.ValueName)) {
            MsgBox("Non-Critical ERROR: " + modRegStuff::VisibleName(item.ValueName) +
                       " was switched off in Task Manager. It was left as it is, and no shortcut was made.",
                   MB_ICONEXCLAMATION);
            continue;
        }
        const LinkFields fields = FieldsFor(item);
        // The name is chosen once the link knows what it starts, so that a shortcut of the
        // same name that starts something else is never replaced.
        PreparedShortcut shortcut;
        modDir::LinkTarget target;
        modDir::NameChoice choice;
        bool created = shortcut.Prepare(fields.path, fields.workingDirectory, fields.arguments,
                                        fields.iconFile, 0, SW_SHOW) &&
                       shortcut.Target(target);
        if (created) {
            choice = modDir::ChooseShortcutName(onlineStartupPath, item.ShortcutName + ".lnk", &target);
            // On the disk, and read back as a shortcut, before the value may go.
            const std::string linkFile = onlineStartupPath + choice.name;
            created = !choice.name.empty() && shortcut.Save(linkFile) && sys::FlushFile(linkFile) &&
                      LoadsAsShortcut(linkFile);
        }
        if (!created) {
            MsgBox("Non-Critical ERROR: Failed to create the shortcut.", MB_ICONEXCLAMATION);
            continue;
        }
        if (!choice.clashing.empty()) modDir::ShowRenamedMessage(choice);
        bool switchSaved = false;
        if (modRegStuff::ExportRunValue(item.HiveName, item.ValueName, item.CommandLine, item.View, &switchSaved)) {
            // Its switch goes with it, once the value is gone: Task Manager would list it still.
            if (modRegStuff::DeleteRunValue(item.HiveName, item.ValueName, item.View) && switchSaved)
                modRegStuff::DeleteSwitch(modRegStuff::RunValueSwitch(item.HiveName, item.View, item.ValueName));
        } else {
            MsgBox(modRegStuff::kExportFailedMessage, MB_ICONEXCLAMATION);
        }
        MsgBox("The shortcut was created successfuly.", MB_ICONINFORMATION);
    }
}

bool PreparedShortcut::Prepare(const std::string& path, const std::string& workingDirectory,
                               const std::string& arguments, const std::string& iconFile,
                               int iconIndex, int showCmd) {
    if (path.empty() || !m_link.Created() || !m_link.SetPath(path)) return false;
    if (!workingDirectory.empty() && !m_link.SetWorkingDirectory(workingDirectory)) return false;
    if (!arguments.empty() && !m_link.SetArguments(arguments)) return false;
    if (!iconFile.empty() && !m_link.SetIconLocation(iconFile, iconIndex)) return false;
    return m_link.SetDescription(kShortcutDescription) && m_link.SetShowCmd(showCmd) &&
           m_link.Resolve(SLR_UPDATE);
}

bool PreparedShortcut::Target(modDir::LinkTarget& target) {
    return m_link.Created() && ReadLinkTarget(m_link, target.path, target.arguments);
}

bool PreparedShortcut::Save(const std::string& linkFile) {
    return m_link.Created() && !linkFile.empty() && m_link.Save(linkFile);
}

bool CreateShortcut(const std::string& linkFile, const std::string& path,
                    const std::string& workingDirectory, const std::string& arguments,
                    const std::string& iconFile, int iconIndex, int showCmd) {
    if (linkFile.empty()) return false;
    PreparedShortcut shortcut;
    return shortcut.Prepare(path, workingDirectory, arguments, iconFile, iconIndex, showCmd) &&
           shortcut.Save(linkFile);
}

std::string InvalidChars(const std::string& name) {
    std::string found;
    for (const char* c = kInvalidNameChars; *c; ++c) {
        if (name.find(*c) != std::string::npos) found += *c;
    }
    return found;
}

std::string InvalidNameMessage() {
    return "A filename cannot contain any of the following characters:\r" + std::string(17, ' ') +
           "\\ / : * ? \" < > |";
}

void ShowInvalidNameMessage() { MsgBox(InvalidNameMessage(), MB_ICONSTOP); }

int AddFileIcon(ImageList& images, const std::string& iconFile, int iconIndex) {
    HICON large = nullptr;
    HICON small = nullptr;
    // The count comes back as UINT_MAX for a missing file: read as signed, below 1.
    int count = static_cast<int>(sys::ExtractIcons(iconFile, iconIndex, &large, &small));
    if (large) DestroyIcon(large);
    if (count >= 1 && small) {
        int index = images.Add(IconToPicture(small));
        if (index) return index;
    } else if (small) {
        DestroyIcon(small);
    }
    return images.Add(IconToPicture(LoadResIcon(IDI_FALLBACK, images.ImageSize())));
}

}  // namespace tw::modShellLnk
