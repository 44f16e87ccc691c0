// modRegStuff, first half: the Run-key listing and the command-line rules. The rules are
// text scans only; they never look at the file system.
#include "modRegStuff.h"

#include <optional>
#include <vector>

#include "Handles.h"
#include "ListView.h"
#include "Prompt.h"
#include "Strings.h"
#include "System.h"
#include "modShellLnk.h"

namespace tw::modRegStuff {

const char* const kRunSubKey = "SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\Run";
const char* const kRunSectionKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

namespace {

std::string g_runKeyPath = kRunSubKey;
std::optional<bool> g_windows64;  // set by tests
RunKeyCalls g_calls;              // null members: the real calls

// The machine's keys that 64-bit Windows keeps apart for 32-bit programs live below this key
// of the native view; regedit names them so.
const char* const kWow64Node = "WOW6432Node";
const char* const kSoftwarePrefix = "Software\\";

// Page 2's rows keep their view as their key.
const char* const kNativeRowKey = "native";
const char* const kWow32RowKey = "32-bit";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Where the (UTF-8) character at `at` ends: extensions are counted in characters, not bytes.
std::string::size_type AfterCharacter(const std::string& text, std::string::size_type at) {
    ++at;
    while (at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) ++at;
    return at;
}

bool IsRunDll(const std::string& line) {
    if (line.size() < 6) return false;
    return AsciiUpper(line.substr(0, 6)) == "RUNDLL";
}

// Everything after the first blank of a RUNDLL line; the whole line when it has none.
std::string AfterFirstBlank(const std::string& line) {
    std::string::size_type blank = line.find(' ');
    return blank == std::string::npos ? line : line.substr(blank + 1);
}

std::string SkipBlanks(const std::string& text, std::string::size_type from) {
    while (from < text.size() && IsBlank(text[from])) ++from;
    return from < text.size() ? text.substr(from) : std::string();
}

struct SplitLine {
    std::string program;
    std::string arguments;
};

// A command line that does not start with RUNDLL, taken apart into program and arguments.
SplitLine Split(const std::string& line) {
    if (!line.empty() && line[0] == '"') {
        std::string::size_type close = line.find('"', 1);
        if (close == std::string::npos) return {line.substr(1), std::string()};
        return {line.substr(1, close - 1), SkipBlanks(line, close + 1)};
    }
    // The first dot followed by one to three characters (no folder separator among them)
    // and then a blank or the end ends the program path; dots inside folder names do not.
    for (std::string::size_type dot = line.find('.'); dot != std::string::npos;
         dot = line.find('.', dot + 1)) {
        std::string::size_type end = dot + 1;
        int characters = 0;
        while (end < line.size() && !IsBlank(line[end]) && line[end] != '\\' && characters <= 3) {
            ++characters;
            end = AfterCharacter(line, end);
        }
        bool atBoundary = end == line.size() || IsBlank(line[end]);
        if (characters >= 1 && characters <= 3 && atBoundary)
            return {line.substr(0, end), SkipBlanks(line, end)};
    }
    return {line, std::string()};
}

}  // namespace

void SetRunKeyPath(const std::string& subKey) { g_runKeyPath = subKey.empty() ? kRunSubKey : subKey; }
const std::string& RunKeyPath() { return g_runKeyPath; }

RunKeyCalls SetRunKeyCalls(const RunKeyCalls& calls) {
    RunKeyCalls previous = g_calls;
    g_calls = calls;
    return previous;
}

LONG OpenKey(HKEY hive, const std::string& subKey, REGSAM access, HKEY& key) {
    key = nullptr;
    auto open = g_calls.open ? g_calls.open : &sys::RegOpen;
    return open(hive, subKey, access, key);
}

LONG OpenRunKey(HKEY hive, RegView view, REGSAM access, HKEY& key) {
    return OpenKey(hive, RunKeyPath(), access | ViewAccess(view), key);
}

LONG DeleteRunKeyValue(HKEY key, const std::string& valueName) {
    auto deleteValue = g_calls.deleteValue ? g_calls.deleteValue : &sys::RegDeleteValue;
    return deleteValue(key, valueName);
}

// ---- Registry views ---------------------------------------------------------------------

bool IsWindows64() {
    if (g_windows64) return *g_windows64;
#ifdef _WIN64
    return true;
#else
    static const bool wow64 = [] {
        using IsWow64ProcessCall = BOOL(WINAPI*)(HANDLE, PBOOL);
        auto isWow64 = sys::Find<IsWow64ProcessCall>(sys::OptionalCall::IsWow64Process);
        BOOL result = FALSE;
        return isWow64 && isWow64(GetCurrentProcess(), &result) && result;
    }();
    return wow64;
#endif
}

void SetWindows64(std::optional<bool> answer) { g_windows64 = answer; }

std::vector<RegView> RunKeyViews(HKEY hive) {
    // The current user's Run key is the same key in both views.
    if (hive == HKEY_LOCAL_MACHINE && IsWindows64()) return {RegView::Native, RegView::Wow32};
    return {RegView::Shared};
}

REGSAM ViewAccess(RegView view) {
    // Windows 2000 refuses these flags: the keys of a one-view registry are opened without.
    switch (view) {
    case RegView::Native: return KEY_WOW64_64KEY;
    case RegView::Wow32: return KEY_WOW64_32KEY;
    default: return 0;
    }
}

std::string RunKeyFullPath(const std::string& hiveName, RegView view) {
    const std::string& key = RunKeyPath();
    // The usual spelling for the real key; a test's own key as the test gave it.
    std::string path = key == kRunSubKey ? std::string(kRunSectionKey) : key;
    const size_t prefix = std::char_traits<char>::length(kSoftwarePrefix);
    if (view == RegView::Wow32 && AsciiUpper(path.substr(0, prefix)) == AsciiUpper(kSoftwarePrefix))
        path.insert(prefix, std::string(kWow64Node) + "\\");
    return hiveName + "\\" + path;
}

std::string RunKeyCaption(const std::string& hiveName, RegView view) {
    switch (view) {
    case RegView::Native: return hiveName + " (64-bit)";
    case RegView::Wow32: return hiveName + " (32-bit)";
    default: return hiveName;
    }
}

RegView RowView(const ListView& list, int row) {
    const std::string& key = list.RowKey(row);
    if (key == kNativeRowKey) return RegView::Native;
    if (key == kWow32RowKey) return RegView::Wow32;
    return RegView::Shared;
}

std::string AddBackslash(const std::string& path) {
    if (!path.empty() && path.back() == '\\') return path;
    return path + "\\";
}

std::string HiveName(HKEY hive) {
    if (hive == HKEY_CURRENT_USER) return "HKEY_CURRENT_USER";
    if (hive == HKEY_LOCAL_MACHINE) return "HKEY_LOCAL_MACHINE";
    return std::string();
}

void ListRunValues(HKEY hive, ListView& list, ImageList& images) {
    const std::string hiveName = HiveName(hive);
    bool refused = false;
    for (RegView view : RunKeyViews(hive)) {
        HKEY opened = nullptr;
        // Reading is all the listing needs: Windows gives a standard user no more on the
        // machine's key, and the deletion asks for its own rights.
        const LONG result = OpenRunKey(hive, view, KEY_READ, opened);
        // A system without 32-bit programs may have no 32-bit Run key at all (a new 64-bit
        // Wine prefix has none): that view then simply holds no values.
        if (result == ERROR_FILE_NOT_FOUND && view == RegView::Wow32) continue;
        if (result != ERROR_SUCCESS) {
            refused = true;
            continue;
        }
        UniqueKey key(opened);
        // Values switched off in Task Manager are left alone: Windows does not start them.
        const SwitchedOffEntries switchedOff(RunValueSwitch(hiveName, view, std::string()));
        const std::string rowKey = view == RegView::Native  ? kNativeRowKey
                                   : view == RegView::Wow32 ? kWow32RowKey
                                                            : "";
        const std::string caption = IsWindows64() ? RunKeyCaption(hiveName, view) : std::string();
        std::string name;
        for (DWORD index = 0; sys::RegValueName(key.Get(), index, name) == ERROR_SUCCESS; ++index) {
            if (switchedOff.IsSwitchedOff(name)) continue;
            sys::RegValue value;
            sys::RegQuery(key.Get(), name, value);
            const std::string commandLine = sys::RegText(value);

            std::string forIcon = value.type == REG_EXPAND_SZ ? ExpandEnvironment(commandLine) : commandLine;
            int icon = modShellLnk::AddFileIcon(images, GetIconPath(StripQuotes(forIcon)), 0);
            int row = list.AddRow(rowKey, name, icon);
            if (row == 0) continue;
            list.SetRowTag(row, hiveName);
            list.SetSubItem(row, 1, commandLine);
            list.SetSubItem(row, 2, name);
            if (!caption.empty()) list.SetSubItem(row, 3, caption);
        }
    }
    if (refused) MsgBox("Cannot open key", MB_OK);
}

std::string StripQuotes(const std::string& text) {
    if (text.size() >= 2 && text[0] == '"' && text.find('"', 1) == text.size() - 1)
        return text.substr(1, text.size() - 2);
    return text;
}

std::string GetProgramPath(const std::string& commandLine) {
    if (!IsRunDll(commandLine)) return Split(commandLine).program;
    // A first word "rundll32" or "rundll" without extension is that program's .exe, never
    // a file of that bare name; like rundll32.exe it stays a bare name, which the link
    // object looks up, with the system directory as working directory (GetFolder).
    const std::string first = AsciiUpper(commandLine.substr(0, commandLine.find(' ')));
    if (first == "RUNDLL32") return "rundll32.exe";
    if (first == "RUNDLL") return "rundll.exe";
    // rundll32.exe, rundll.exe, or the bare "rundll" when neither follows.
    std::string result = commandLine.substr(0, 6);
    if (commandLine.size() > 6 && commandLine[6] == '.') result += commandLine.substr(6, 4);
    if (commandLine.compare(6, 3, "32.") == 0) result += commandLine.substr(6, 6);
    return result;
}

std::string GetIconPath(const std::string& commandLine) {
    if (!IsRunDll(commandLine)) return GetProgramPath(commandLine);
    std::string library = AfterFirstBlank(commandLine);
    std::string::size_type dot = library.rfind('.');
    if (dot == std::string::npos) return library;
    std::string::size_type end = dot + 1;
    for (int characters = 0; characters < 3 && end < library.size(); ++characters) end = AfterCharacter(library, end);
    return library.substr(0, end);
}

std::string GetRunDllArguments(const std::string& commandLine) {
    if (IsRunDll(commandLine)) return AfterFirstBlank(commandLine);
    return Split(commandLine).arguments;
}

std::string GetFolder(const std::string& path) {
    std::string::size_type slash = path.rfind('\\');
    if (slash != std::string::npos) return path.substr(0, slash + 1);
    return sys::SystemFolder();
}

namespace {

// `text` with every `reference` (letter case ignored) replaced by `replacement`.
std::string ReplaceReference(const std::string& text, const std::string& reference,
                             const std::string& replacement) {
    const std::string upper = AsciiUpper(text);
    std::string result;
    std::string::size_type from = 0, at;
    while ((at = upper.find(reference, from)) != std::string::npos) {
        result.append(text, from, at - from).append(replacement);
        from = at + reference.size();
    }
    return result.append(text, from, std::string::npos);
}

bool EnvironmentHas(const char* name) {
    std::string value;
    return sys::EnvironmentVariable(name, value) && !value.empty();
}

}  // namespace

std::string ExpandEnvironment(const std::string& text) {
    // On 64-bit Windows the shell starts the Run values as a 64-bit process, whose
    // %ProgramFiles% and %CommonProgramFiles% are the native folders; in a 32-bit program they
    // name "Program Files (x86)". ProgramW6432 and CommonProgramW6432 hold the native ones in
    // either build.
    std::string line = text;
    if (IsWindows64() && line.find('%') != std::string::npos) {
        if (EnvironmentHas("ProgramW6432"))
            line = ReplaceReference(line, "%PROGRAMFILES%", "%ProgramW6432%");
        if (EnvironmentHas("CommonProgramW6432"))
            line = ReplaceReference(line, "%COMMONPROGRAMFILES%", "%CommonProgramW6432%");
    }
    return sys::ExpandEnvironment(line);
}

}  // namespace tw::modRegStuff
