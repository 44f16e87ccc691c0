// modRegStuff: the registry side of the wizard. Lists the values of the two Run keys into
// the wizard's list, turns a Run command line into program path, arguments, icon file and
// folder, saves a Run value to REMOVED.REG (a registry file beside the program) and deletes
// it from its key, and leaves alone what Task Manager switched off.
#pragma once
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "Files.h"
#include "System.h"
#include "WizardTypes.h"

namespace tw {
class ImageList;
class ListView;
}  // namespace tw

namespace tw::modRegStuff {

// A Run value as the registry holds it: type and bytes (UTF-16 strings on the NT family).
using RunValue = sys::RegValue;

// The Run key's path below each hive, as the listing and the deletion open it, and as
// REMOVED.REG's sections name it.
extern const char* const kRunSubKey;
extern const char* const kRunSectionKey;

// Where the Run keys are. The program uses kRunSubKey; tests point both hives at a key of
// their own ("" restores the default). REMOVED.REG's sections then name that key.
void SetRunKeyPath(const std::string& subKey);
const std::string& RunKeyPath();

// REMOVED.REG's full path: ProgramFolder() + "removed.reg" unless a test set another
// file ("" restores the default).
void SetRemovedRegFile(const std::string& file);
std::string RemovedRegFile();

// The directory listing FileExists uses (tw::Dir); tests replace it to raise the listing
// errors a floppy or a vanished drive would. Returns the previous one; nullptr restores Dir.
using DirFunction = std::string (*)(const std::string& pathPattern, unsigned attributes,
                                    FileError& error);
DirFunction SetDirFunction(DirFunction dir);

// The registry calls that open a Run key and delete a value from it. Windows refuses a
// standard user write access to the machine's Run key, which Wine never does: tests put
// calls that refuse in their place. Returns the previous calls; null members restore the
// real ones (sys::RegOpen, sys::RegDeleteValue).
struct RunKeyCalls {
    LONG (*open)(HKEY hive, const std::string& subKey, REGSAM access, HKEY& key) = nullptr;
    LONG (*deleteValue)(HKEY key, const std::string& name) = nullptr;
};
RunKeyCalls SetRunKeyCalls(const RunKeyCalls& calls);

// Opens a key of `hive`, or the hive's Run key (RunKeyPath) in `view`, with `access`, and
// deletes a value from an opened key, through those calls. The registry's result code.
LONG OpenKey(HKEY hive, const std::string& subKey, REGSAM access, HKEY& key);
LONG OpenRunKey(HKEY hive, RegView view, REGSAM access, HKEY& key);
LONG DeleteRunKeyValue(HKEY key, const std::string& valueName);

// ---- Registry views -------------------------------------------------------------------

// True on 64-bit Windows, in either build (the 32-bit one asks IsWow64Process, looked up at
// run time: Windows 2000 has none). Tests set the answer (32-bit Windows cannot be had under
// 64-bit Wine); nullopt restores the real one.
bool IsWindows64();
void SetWindows64(std::optional<bool> answer);

// The views of `hive`'s Run key, in the order page 2 lists them: on 64-bit Windows the
// machine's native view, then its 32-bit view; otherwise the one key (RegView::Shared).
std::vector<RegView> RunKeyViews(HKEY hive);

// The access flag that opens a key in `view`: KEY_WOW64_64KEY, KEY_WOW64_32KEY, or 0.
REGSAM ViewAccess(RegView view);

// The full path of the hive's Run key in `view` as regedit on this system names it, which
// is where importing REMOVED.REG restores a value: the 32-bit view of the machine's key is
// HKEY_LOCAL_MACHINE\Software\WOW6432Node\Microsoft\Windows\CurrentVersion\Run.
std::string RunKeyFullPath(const std::string& hiveName, RegView view);

// Page 2's text for the key a row comes from, on 64-bit Windows: "HKEY_CURRENT_USER",
// "HKEY_LOCAL_MACHINE (64-bit)" or "HKEY_LOCAL_MACHINE (32-bit)".
std::string RunKeyCaption(const std::string& hiveName, RegView view);

// The view a row of page 2 was listed from (kept as the row's key).
RegView RowView(const ListView& list, int row);

// ---- Run keys and command lines -------------------------------------------------------

// `path` with "\" appended unless it ends with one; "" gives "\".
std::string AddBackslash(const std::string& path);

// Adds a row per value of `hive`'s Run key to `list`, for each of its views (RunKeyViews):
// text and sub-item 2 the value name, tag the hive's name, sub-item 1 the data up to its
// first NUL (read whole, any length), small icon taken from the command line's icon file, or
// icon resource 101; on 64-bit Windows sub-item 3 the key's caption (RunKeyCaption). The
// keys are opened for reading only. A key that cannot be opened adds nothing; then "Cannot
// open key" is shown, once for the hive. A 32-bit view without a Run key is no error.
void ListRunValues(HKEY hive, ListView& list, ImageList& images);

// The hive's name as the rows' tags and REMOVED.REG carry it; "" for other handles.
std::string HiveName(HKEY hive);

// A command line enclosed in double quotes as a whole loses them. A line that starts
// with a quoted program path followed by arguments is returned unchanged: the operations
// below take the quoted path apart.
std::string StripQuotes(const std::string& text);

// The program a command line runs. A path in double quotes is the text inside them; an
// unquoted path ends at the first extension (a dot and one to three characters) followed
// by a blank or the end of the line, or is the whole line when it has none. RUNDLL lines
// give the bare rundll32.exe or rundll.exe (also when the first word is "rundll32" or
// "rundll" without extension, any letter case), or rundll when neither follows.
std::string GetProgramPath(const std::string& commandLine);

// The file to take the icon from: the program path, or for RUNDLL lines the library named
// after the first blank (up to the last dot and three characters).
std::string GetIconPath(const std::string& commandLine);

// The arguments: what follows the program path, less the blanks between; for RUNDLL lines
// everything after the first blank (the whole line when it has none).
std::string GetRunDllArguments(const std::string& commandLine);

// The folder part of `path`, ending in "\"; the system directory (without a trailing
// backslash) when `path` has no backslash.
std::string GetFolder(const std::string& path);

// `text` with its %NAME% environment references replaced as the shell replaces them when it
// starts a Run value: on 64-bit Windows %ProgramFiles% and %CommonProgramFiles% name the
// native folders, in the 32-bit build too.
std::string ExpandEnvironment(const std::string& text);

// ---- Task Manager's switches ------------------------------------------------------------
// Since Windows 8 Task Manager (and Settings > Apps > Startup) switches a startup entry off
// without removing it: a value named after the entry under the StartupApproved key of the
// user's or the machine's hive, in Run for a Run value (Run32 for a value of the machine's
// 32-bit view), in StartupFolder for a StartUp shortcut (by its file name). Its first byte
// has bit 0 set while the entry is switched off; Windows then does not start it. Where the
// keys are missing (Windows before 8) every entry runs.

// The StartupApproved key below each hive. Tests point it at a key of their own ("" restores
// the default).
extern const char* const kStartupApprovedKey;
void SetStartupApprovedPath(const std::string& key);

// Where an entry's switch is: its hive, the key below it, the value's name.
struct EntrySwitch {
    std::string hiveName;  // "HKEY_CURRENT_USER" or "HKEY_LOCAL_MACHINE"
    std::string subKey;    // the StartupApproved key followed by \Run, \Run32 or \StartupFolder
    std::string name;
};
EntrySwitch RunValueSwitch(const std::string& hiveName, RegView view, const std::string& valueName);
EntrySwitch ShortcutSwitch(const std::string& fileName);

// The entries of one switch key (`entry`'s hive and subKey; its name is not used) that are
// switched off, read once; IsSwitchedOff then answers for any name in that key.
class SwitchedOffEntries {
public:
    explicit SwitchedOffEntries(const EntrySwitch& key);
    bool IsSwitchedOff(const std::string& name) const;

private:
    std::vector<std::string> m_names;  // as sys::FoldFileName folds them
};

// Reads the entry's switch as the registry holds it; false when it has none.
bool ReadSwitch(const EntrySwitch& entry, RunValue& value);

// Deletes the entry's switch. Shows "Non-Critical ERROR: Can't open the key." or
// "Non-Critical ERROR: Can't delete the value." on failure.
bool DeleteSwitch(const EntrySwitch& entry);

// For a StartUp shortcut that was moved: its switch, if it has one, saved to REMOVED.REG
// and then deleted. A switch that cannot be saved stays, and the user is told.
void MoveSwitchToRemovedReg(const EntrySwitch& entry);

// ---- REMOVED.REG and deletion ---------------------------------------------------------

// Shown when REMOVED.REG could not take a value: the value is then not deleted.
extern const char* const kExportFailedMessage;

// Reads a value of the named hive's Run key (in `view`) whole; false when the key or value
// cannot be read.
bool ReadRunValue(const std::string& hiveName, const std::string& valueName, RunValue& value,
                  RegView view = RegView::Shared);

// Adds the value to REMOVED.REG (a new file starts with its "REGEDIT4" line) in the section
// of the hive's Run key in `view` (RunKeyFullPath), replacing an earlier line for the same
// name. The value is written as the registry holds it now (type and bytes), so that
// importing the file restores it exactly; a value that can no longer be read is written as
// the string `commandLine`. The file stays REGEDIT4 (ANSI) while every value fits the ANSI
// code page, else it becomes a "Windows Registry Editor Version 5.00" file (UTF-16LE) with
// its earlier entries kept. The whole new file is written and flushed beside the old one
// and moved over it: true when that move was made; otherwise the old file is as it was.

// A value whose name REMOVED.REG cannot carry (RegFileCarriesName) is refused: false, and
// nothing is written. The value's switch (RunValueSwitch), when it has one, is saved with it,
// in its own key's section; `switchSaved` then becomes true.
bool ExportRunValue(const std::string& hiveName, const std::string& valueName,
                    const std::string& commandLine, RegView view = RegView::Shared,
                    bool* switchSaved = nullptr);

// Whether REMOVED.REG can carry a value of this name so that regedit reads back that name
// and nothing else, in either form of the file: false for a name holding a line break (CR or
// LF), which would end its line and let the rest of the name be read as lines of their own,
// or a NUL. (Data is always carried: what a quoted string cannot hold is written in hex.)
bool RegFileCarriesName(const std::string& valueName);

// `name` as a message shows it: CR, LF and NUL written as <CR>, <LF> and <NUL>.
std::string VisibleName(const std::string& name);

// Deletes the value from the named hive's Run key ("HKEY_CURRENT_USER" or
// "HKEY_LOCAL_MACHINE", exactly) in `view`, opened for setting values only. Shows
// "Non-Critical ERROR: Can't open the key." or "Non-Critical ERROR: Can't delete the
// value." on failure.
bool DeleteRunValue(const std::string& hiveName, const std::string& valueName,
                    RegView view = RegView::Shared);

// The data part of a REMOVED.REG line for a value of `type` whose bytes, as the file holds
// them, are `bytes`: a quoted string for an ordinary REG_SZ, dword:xxxxxxxx, hex:.. or
// hex(n):.. otherwise.
std::string RegDataText(DWORD type, const std::string& bytes);

// Cleans up after an export that was cut short: the new contents it left beside REMOVED.REG
// become the file when the file itself is gone (where a file cannot be replaced in one
// step), or are removed.
void RecoverRemovedReg();

// A double quote, `text` with a backslash before each of its double quotes, a double quote.
std::string QuoteRegString(const std::string& text);

// `text` with every backslash doubled.
std::string EscapeBackslashes(const std::string& text);

// The folder of the running executable, ending in "\".
std::string ProgramFolder();

// True when a listing of `path` (normal files) finds it. A drive that is not ready asks
// to insert a disk (OK tries again, Cancel gives false); a missing drive or path is
// reported and gives false; any other listing error is reported ("Error number ...") and
// gives false. `error`, when given, receives the listing error (0 when the listing worked).
bool FileExists(const std::string& path, FileError* error = nullptr);

}  // namespace tw::modRegStuff
