// The system calls that take or give a name, a path or a user's text, in UTF-8: each calls
// the W function on the NT family and the A function (ANSI code page) on 95/98/Me
// (Text.h). The rest of both programs calls these, never a bare A or W function with text.
// Results and errors are the system's own (GetLastError stays as the call left it).
// Calls that not every system has are looked up at run time in the system directory.
#pragma once
#include <windows.h>
#include <shlobj.h>

#include <string>
#include <type_traits>
#include <vector>

#include "Text.h"

namespace tw::sys {

// ---- Files ---------------------------------------------------------------------------------

DWORD FileAttributes(const std::string& path);  // INVALID_FILE_ATTRIBUTES when missing
bool IsFolder(const std::string& path);

// One entry of a folder listing.
struct FoundFile {
    std::string name;  // no folder
    DWORD attributes = 0;
};
// Lists what `pattern` (wildcards allowed) matches, in the system's order, until
// `visit(context, entry)` returns false. ERROR_SUCCESS when the listing could be opened;
// otherwise the error of FindFirstFile (ERROR_FILE_NOT_FOUND when nothing matches, ...).
using FileVisitor = bool (*)(void* context, const FoundFile& entry);
DWORD FindFiles(const std::string& pattern, FileVisitor visit, void* context);
// The same with a function object: `visit(entry)`.
template <class Visit>
DWORD FindFiles(const std::string& pattern, Visit&& visit) {
    return FindFiles(
        pattern,
        [](void* context, const FoundFile& entry) {
            return (*static_cast<std::remove_reference_t<Visit>*>(context))(entry);
        },
        &visit);
}

// CreateFile; INVALID_HANDLE_VALUE on failure.
HANDLE OpenFile(const std::string& path, DWORD access, DWORD share, DWORD disposition,
                DWORD attributes = FILE_ATTRIBUTE_NORMAL);
bool CopyFileOver(const std::string& source, const std::string& destination);  // replaces
bool RemoveFile(const std::string& path);
bool CreateFolder(const std::string& path);
// Moves `source` over `destination`, replacing it. On the NT family in one step that is on
// the disk when it returns (MoveFileEx, REPLACE_EXISTING | WRITE_THROUGH); 95/98/Me have no
// such call: there the old file is deleted first, then the new one renamed.
bool MoveOver(const std::string& source, const std::string& destination);
UINT DriveType(const std::string& root);

// The system's text for an error code, without its line end; "" when it has none.
std::string ErrorText(DWORD code);

// ---- Changes to the user's files and registry ------------------------------------------
// Everything that changes what the user has on disk or in the registry goes through the calls
// above and below; each one reports itself here once it has returned, so that a test can see
// the order of the steps, or end the process right after any one of them.
enum class Change { Write, Flush, Copy, Rename, Delete, ShortcutSave, RegistryDelete };
using ChangeObserver = void (*)(Change change, const std::string& target);
ChangeObserver SetChangeObserver(ChangeObserver observer);  // returns the previous one
void ReportChange(Change change, const std::string& target);

// WriteFile of the whole of `data` (reported as a Write); false when not all was written.
bool WriteAll(HANDLE file, const std::string& data, const std::string& name);
// FlushFileBuffers (reported as a Flush).
bool Flush(HANDLE file, const std::string& name);
// Opens an existing file for writing and flushes it: what a call that wrote it left in the
// cache is on the disk when this returns true.
bool FlushFile(const std::string& path);
// The whole of a file of at most `limit` bytes; false when it cannot be read.
bool ReadWholeFile(const std::string& path, std::string& contents, size_t limit = 64u << 20);

// ---- Program, system, environment ------------------------------------------------------------

std::string ModulePath(HMODULE module);  // "" when it cannot be read
std::string SystemFolder();              // without a trailing backslash; "" on failure
HMODULE LoadLibraryFrom(const std::string& path);
std::string ExpandEnvironment(const std::string& text);  // `text` itself when it fails
bool EnvironmentVariable(const char* name, std::string& value);  // false when not set
// The shell's folder `csidl` (CSIDL_PROGRAMS, CSIDL_STARTUP), without a trailing backslash;
// "" when the shell cannot name it.
std::string SpecialFolder(int csidl);

// ---- Registry --------------------------------------------------------------------------------

LONG RegOpen(HKEY hive, const std::string& subKey, REGSAM access, HKEY& key);
LONG RegCreate(HKEY hive, const std::string& subKey, REGSAM access, HKEY& key);
// A value's type and bytes as the registry holds them: for the string types UTF-16 (`utf16`)
// on the NT family, ANSI on 95/98/Me.
struct RegValue {
    DWORD type = REG_NONE;
    std::string bytes;
    bool utf16 = false;
};
// Reads a value whole, whatever its length.
LONG RegQuery(HKEY key, const std::string& name, RegValue& value);
// A value's text up to its first NUL (the bytes of other types read as ANSI text).
std::string RegText(const RegValue& value);
// The name of value `index` of `key`; ERROR_NO_MORE_ITEMS after the last.
LONG RegValueName(HKEY key, DWORD index, std::string& name);
LONG RegSetText(HKEY key, const std::string& name, const std::string& text);  // REG_SZ
LONG RegDeleteValue(HKEY key, const std::string& name);  // reported as a RegistryDelete

// ---- Names compared as the file system compares them --------------------------------------

// `name` in the one letter case the file system compares names in (upper case, letter by
// letter, the same whatever the user's language); two names that fold alike name one file.
std::string FoldFileName(const std::string& name);

// ---- Processes and windows of other programs ---------------------------------------------

// CreateProcess of `commandLine` (no application name, handles inherited, normal priority);
// `folder` "" = the caller's own. False when nothing was started.
bool StartProcess(const std::string& commandLine, const std::string& folder, DWORD startFlags,
                   WORD showWindow, PROCESS_INFORMATION& info);
// The executable path of an opened process: QueryFullProcessImageName (Vista and later).
bool HasProcessImageName();
std::string ProcessImageName(HANDLE process);
// GetModuleFileNameEx of the process status library; "" when it fails or is missing.
std::string ModuleFileNameEx(HANDLE process, HMODULE module);
// The processes of a Toolhelp snapshot: id and file name; false without Toolhelp.
struct SnapshotProcess {
    DWORD id = 0;
    std::string exeFile;
};
bool SnapshotProcesses(std::vector<SnapshotProcess>& processes);
// A window's title (GetWindowText), at most `capacity` characters including the NUL.
std::string WindowText(HWND window, int capacity = 0);
void SetText(HWND window, const std::string& text);
// FindWindow by class name (ASCII) only.
HWND FindWindowOfClass(const char* className);
HANDLE CreateNamedMutex(const std::string& name);

// ---- Our own windows: Unicode windows on the NT family -------------------------------------

ATOM RegisterWindowClass(const char* className, WNDPROC proc, UINT style, HCURSOR cursor, HBRUSH background);
HWND MakeWindow(DWORD exStyle, const char* className, const std::string& title, DWORD style,
                  int x, int y, int width, int height, HWND parent, HMENU menu, void* param);
LRESULT DefaultProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT CallProc(WNDPROC proc, HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
WNDPROC SetWindowProc(HWND window, WNDPROC proc);  // returns the previous one
LONG_PTR GetLong(HWND window, int index);
LONG_PTR SetLong(HWND window, int index, LONG_PTR value);
LRESULT Send(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
BOOL NextMessage(MSG& msg);
BOOL PeekNextMessage(MSG& msg);  // PM_REMOVE
LRESULT Dispatch(const MSG& msg);
BOOL DialogMessage(HWND dialog, MSG& msg);
// Properties by ASCII name.
BOOL SetProperty(HWND window, const char* name, HANDLE value);
HANDLE Property(HWND window, const char* name);
HANDLE RemoveProperty(HWND window, const char* name);

int ShowMessageBox(HWND owner, const std::string& text, const std::string& title, UINT flags);
std::string ResourceString(HINSTANCE module, UINT id);

// ---- Text on the screen ----------------------------------------------------------------------

int DrawString(HDC dc, const std::string& text, RECT& rect, UINT format);
SIZE TextExtent(HDC dc, const std::string& text);
// DrawState of a text; `flags` holds its type (DST_TEXT or DST_PREFIXTEXT) and state.
BOOL DrawStateText(HDC dc, const std::string& text, int x, int y, int width, int height, UINT flags);
// The system's message font, and a bold copy of a font (the caller deletes both).
HFONT CreateMessageFont();
HFONT CreateBoldFont(HFONT font);

// ---- Shell links ------------------------------------------------------------------------------

// The shell's link object: IShellLinkW on the NT family, IShellLinkA on 95/98/Me, with its
// IPersistFile. Strings are read into buffers of 1,024 characters. COM must be initialised.
class ShellLink {
public:
    ShellLink();  // creates the object; Created() tells whether that worked
    ShellLink(const ShellLink&) = delete;
    ShellLink& operator=(const ShellLink&) = delete;
    ~ShellLink();

    bool Created() const { return m_link && m_file; }
    bool Load(const std::string& linkFile);
    bool Save(const std::string& linkFile);  // reported as a ShortcutSave
    bool SetPath(const std::string& path);
    bool SetArguments(const std::string& arguments);
    bool SetWorkingDirectory(const std::string& folder);
    bool SetIconLocation(const std::string& file, int index);
    bool SetDescription(const std::string& description);
    bool SetShowCmd(int showCmd);
    bool Resolve(DWORD flags);
    bool GetPath(std::string& path);
    bool GetArguments(std::string& arguments);
    bool GetWorkingDirectory(std::string& folder);
    bool GetIconLocation(std::string& file, int& index);
    bool GetShowCmd(int& showCmd);

private:
    IUnknown* m_link = nullptr;  // IShellLinkW or IShellLinkA, as UnicodeSystem() says
    IPersistFile* m_file = nullptr;
};

// ExtractIconEx of one icon: the number it reports (UINT_MAX for a missing file).
UINT ExtractIcons(const std::string& file, int index, HICON* large, HICON* small);

}  // namespace tw::sys
