// modRegStuff, second half: REMOVED.REG, the deletion of Run values, and Task Manager's
// switches (read, saved with their entries, deleted after them). REMOVED.REG only
// grows. It is never rewritten in place: each export reads it, adds or replaces the one
// line (the rules of the private-profile writer the file has always been kept with: a new
// section at the end of the file, a new value at the end of its section, a value of the
// same name replaced where it stands), writes the whole file anew beside it, flushes it,
// reads it back and moves it over the old one. A crash at any moment leaves the old file or
// the new one, whole. The file stays the REGEDIT4 file (ANSI) it has always been while
// every value it holds fits the ANSI code page; a value that does not makes it a
// "Windows Registry Editor Version 5.00" file (UTF-16LE), its earlier entries carried over.
#include <algorithm>
#include <vector>

#include "Files.h"
#include "Handles.h"
#include "Prompt.h"
#include "System.h"
#include "modRegStuff.h"

namespace tw::modRegStuff {
namespace {

std::string g_removedRegFile;
DirFunction g_dir = &tw::Dir;
std::string g_approvedPath;  // "": kStartupApprovedKey

std::string ApprovedPath() { return g_approvedPath.empty() ? std::string(kStartupApprovedKey) : g_approvedPath; }

const char kRegedit4[] = "REGEDIT4";
const char kRegedit5[] = "Windows Registry Editor Version 5.00";
// The new contents are written under this name beside the file, then moved over it.
const char kNewSuffix[] = ".new";

HKEY HiveFromName(const std::string& hiveName) {
    if (hiveName == "HKEY_CURRENT_USER") return HKEY_CURRENT_USER;
    if (hiveName == "HKEY_LOCAL_MACHINE") return HKEY_LOCAL_MACHINE;
    return nullptr;
}

// `value` in lower-case hexadecimal, at least `digits` digits (the printf family would bring
// its whole formatting engine into the program for this).
std::string Hex(unsigned long value, int digits) {
    std::string text;
    do {
        text.insert(text.begin(), "0123456789abcdef"[value & 0xF]);
        value >>= 4;
    } while (value != 0 || static_cast<int>(text.size()) < digits);
    return text;
}

std::string HexBytes(const std::string& data) {
    std::string text;
    for (std::string::size_type i = 0; i < data.size(); ++i) {
        if (i) text += ',';
        text += Hex(static_cast<unsigned char>(data[i]), 2);
    }
    return text;
}

bool IsStringType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

// ---- A value's bytes in either kind of file ---------------------------------------------------

// The UTF-16 units of a string value's bytes.
WideText Units(const RunValue& value) {
    if (!value.utf16) return AnsiToWide(value.bytes.data(), static_cast<int>(value.bytes.size()));
    WideText units(value.bytes.size() / 2);
    for (size_t i = 0; i < units.size(); ++i)
        units[i] = static_cast<wchar_t>(static_cast<unsigned char>(value.bytes[2 * i]) |
                                        static_cast<unsigned char>(value.bytes[2 * i + 1]) << 8);
    return units;
}

std::string LittleEndian(const WideText& units) {
    std::string bytes;
    bytes.reserve(units.size() * 2);
    for (wchar_t unit : units) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>((unit >> 8) & 0xFF);
    }
    return bytes;
}

// The bytes a file of the given kind holds for the value: a REGEDIT4 file holds a string
// value's characters in the ANSI code page, a version 5 file in UTF-16LE; other types as
// they are. False when a REGEDIT4 file cannot hold the value exactly.
bool FileBytes(const RunValue& value, bool unicode, std::string& bytes) {
    if (!IsStringType(value.type)) {
        bytes = value.bytes;
        return true;
    }
    if (unicode) {
        bytes = value.utf16 ? value.bytes : LittleEndian(Units(value));
        return true;
    }
    if (!value.utf16) {
        bytes = value.bytes;
        return true;
    }
    if (value.bytes.size() % 2) return false;
    const WideText units = Units(value);
    bytes = WideToAnsi(units.data(), static_cast<int>(units.size()));
    return AnsiToWide(bytes.data(), static_cast<int>(bytes.size())) == units;
}

// A REG_SZ that a quoted string gives back exactly: text, one closing NUL, and no character
// that would end or break the line. `text` is the UTF-8 text inside the quotes.
bool AsPlainString(const RunValue& value, std::string& text) {
    if (value.type != REG_SZ) return false;
    WideText units = Units(value);
    if (units.empty() || units.back() != L'\0' || (value.utf16 && value.bytes.size() % 2)) return false;
    units.pop_back();
    for (wchar_t unit : units)
        if (unit == L'\0' || unit == L'\r' || unit == L'\n') return false;
    text = FromWide(units.data(), static_cast<int>(units.size()));
    return true;
}

// The data part of a value's line in a file of the given kind; false when a REGEDIT4 file
// cannot hold it.
bool DataText(const RunValue& value, bool unicode, std::string& text) {
    std::string plain;
    if (AsPlainString(value, plain) && (unicode || FitsAnsi(plain))) {
        text = QuoteRegString(EscapeBackslashes(plain));
        return true;
    }
    std::string bytes;
    if (!FileBytes(value, unicode, bytes)) return false;
    text = RegDataText(value.type, bytes);
    return true;
}

// ---- The file's lines -------------------------------------------------------------------------

// REMOVED.REG in memory: its lines without their ends, in UTF-8 when `unicode` (version 5),
// else as the file's ANSI bytes, so that a line nobody touches is written back as it was.
struct RegFile {
    bool unicode = false;
    std::vector<std::string> lines;

    std::string Text(size_t i) const {
        return unicode ? lines[i] : FromAnsi(lines[i].data(), static_cast<int>(lines[i].size()));
    }
    std::string Stored(const std::string& text) const { return unicode ? text : ToAnsi(text); }
};

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t from = 0;
    while (from < text.size()) {
        size_t end = text.find('\n', from);
        if (end == std::string::npos) end = text.size();
        size_t cut = end > from && text[end - 1] == '\r' ? end - 1 : end;
        lines.push_back(text.substr(from, cut - from));
        from = end + 1;
    }
    return lines;
}

RegFile Decode(const std::string& bytes) {
    RegFile file;
    file.unicode = bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
                   static_cast<unsigned char>(bytes[1]) == 0xFE;
    if (!file.unicode) {
        file.lines = SplitLines(bytes);
        return file;
    }
    RunValue units;
    units.type = REG_SZ;
    units.utf16 = true;
    units.bytes = bytes.substr(2, (bytes.size() - 2) & ~static_cast<size_t>(1));
    const WideText wide = Units(units);
    file.lines = SplitLines(FromWide(wide.data(), static_cast<int>(wide.size())));
    return file;
}

std::string Encode(const RegFile& file) {
    std::string text;
    for (const std::string& line : file.lines) text += line + "\r\n";
    if (!file.unicode) return text;
    const WideText wide = ToWide(text);
    return "\xFF\xFE" + LittleEndian(WideText(wide.begin(), wide.end() - 1));
}

std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The section a line opens ("[name]"), or false.
bool SectionOf(const std::string& line, std::string& name) {
    const std::string text = Trimmed(line);
    const size_t close = text.find(']');
    if (text.empty() || text[0] != '[' || close == std::string::npos) return false;
    name = text.substr(1, close - 1);
    return true;
}

// The value name a line sets: "name" with regedit's escapes, @ for the default value, or
// the text before "=" of a line in the plain key=value form. False for other lines.
bool ValueNameOf(const std::string& line, std::string& name, size_t& dataAt) {
    const std::string text = Trimmed(line);
    name.clear();
    size_t i = 1;
    if (!text.empty() && text[0] == '"') {
        for (; i < text.size() && text[i] != '"'; ++i) {
            if (text[i] == '\\' && i + 1 < text.size()) ++i;
            name += text[i];
        }
        if (i >= text.size()) return false;
        ++i;
    } else if (!text.empty() && text[0] == '@') {
    } else {
        const size_t equals = text.find('=');
        if (equals == std::string::npos || text[0] == ';') return false;
        name = Trimmed(text.substr(0, equals));
        i = equals;
    }
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    if (i >= text.size() || text[i] != '=') return false;
    dataAt = line.find_first_not_of(" \t") + i + 1;
    return true;
}

bool EndsContinued(const std::string& text) {
    const std::string trimmed = Trimmed(text);
    return !trimmed.empty() && trimmed.back() == '\\';
}

// How many lines the value starting at `line` spans (regedit continues hex data on the
// next line after a "\").
size_t EntryLength(const RegFile& file, size_t line) {
    size_t end = line + 1;
    while (end < file.lines.size() && EndsContinued(file.Text(end - 1))) ++end;
    return end - line;
}

// Sets the value `valueName` (its line "key=data") in `section`: the data of the section's
// line for that name (letter case ignored) replaced where it stands, else a new line after the
// section's last one, else a new section at the end of the file.
void SetEntry(RegFile& file, const std::string& section, const std::string& valueName,
              const std::string& key, const std::string& data) {
    const std::string wantedSection = sys::FoldFileName(section);
    const std::string wantedName = sys::FoldFileName(valueName);
    size_t i = 0;
    std::string name;
    for (; i < file.lines.size(); ++i)
        if (SectionOf(file.Text(i), name) && sys::FoldFileName(name) == wantedSection) break;
    if (i == file.lines.size()) {
        file.lines.push_back(file.Stored("[" + section + "]"));
        file.lines.push_back(file.Stored(key + "=" + data));
        return;
    }
    size_t last = i;  // the section's last line that is not blank
    for (size_t j = i + 1; j < file.lines.size(); ++j) {
        const std::string text = file.Text(j);
        if (SectionOf(text, name)) break;
        size_t dataAt = 0;
        if (ValueNameOf(text, name, dataAt) && sys::FoldFileName(name) == wantedName) {
            const size_t length = EntryLength(file, j);
            file.lines.erase(file.lines.begin() + static_cast<std::ptrdiff_t>(j + 1),
                             file.lines.begin() + static_cast<std::ptrdiff_t>(j + length));
            file.lines[j] = file.Stored(text.substr(0, dataAt) + data);
            return;
        }
        if (!Trimmed(text).empty()) last = j;
    }
    file.lines.insert(file.lines.begin() + static_cast<std::ptrdiff_t>(last + 1), file.Stored(key + "=" + data));
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The bytes of "xx,xx,..." (blanks, line continuations and their breaks skipped); false
// when something else is in there.
bool ParseHex(const std::string& text, std::string& bytes) {
    int high = -1;
    for (char c : text) {
        if (c == ',' || c == ' ' || c == '\t' || c == '\\' || c == '\r' || c == '\n') continue;
        const int digit = HexDigit(c);
        if (digit < 0) return false;
        if (high < 0) {
            high = digit;
        } else {
            bytes += static_cast<char>(high << 4 | digit);
            high = -1;
        }
    }
    return high < 0;
}

// Makes a REGEDIT4 file a version 5 one holding the same values: its header line, and the
// strings that hex(1), hex(2) and hex(7) lines hold in ANSI bytes turned into UTF-16LE.
void MakeUnicode(RegFile& file) {
    RegFile converted;
    converted.unicode = true;
    bool header = false;
    for (size_t i = 0; i < file.lines.size();) {
        const size_t length = EntryLength(file, i);
        std::string text = file.Text(i);
        for (size_t k = 1; k < length; ++k) text += "\n" + file.Text(i + k);
        std::string name;
        size_t dataAt = 0;
        std::string bytes;
        if (!header && !Trimmed(text).empty()) {
            header = true;
            if (Trimmed(text) == kRegedit4) text = kRegedit5;
            else converted.lines.push_back(kRegedit5);
        } else if (ValueNameOf(text, name, dataAt)) {
            const std::string data = text.substr(dataAt);
            static const char* const kStringTypes[] = {"hex(1):", "hex(2):", "hex(7):"};
            for (const char* prefix : kStringTypes) {
                const size_t prefixLength = std::char_traits<char>::length(prefix);
                if (data.compare(0, prefixLength, prefix) == 0 && ParseHex(data.substr(prefixLength), bytes)) {
                    RunValue ansi;
                    ansi.type = REG_SZ;
                    ansi.bytes = bytes;
                    text = text.substr(0, dataAt) + prefix + HexBytes(LittleEndian(Units(ansi)));
                }
            }
        }
        // A continued line carried over unchanged keeps its breaks as separate lines.
        for (const std::string& line : SplitLines(text)) converted.lines.push_back(line);
        i += length;
    }
    file = converted;
}

// ---- Writing the file -----------------------------------------------------------------------

std::string NewFileOf(const std::string& file) { return file + kNewSuffix; }

// Writes `contents` beside `file`, flushes and reads them back, then moves them over it.
// The new file is removed again when a step fails; `file` is then as it was.
bool ReplaceContents(const std::string& file, const std::string& contents) {
    const std::string next = NewFileOf(file);
    UniqueFile handle(sys::OpenFile(next, GENERIC_WRITE, 0, CREATE_ALWAYS));
    if (!handle) return false;
    bool ok = sys::WriteAll(handle.Get(), contents, next) && sys::Flush(handle.Get(), next);
    handle.Reset();
    std::string written;
    ok = ok && sys::ReadWholeFile(next, written) && written == contents &&
         RetryWhileShared([&] { return sys::MoveOver(next, file); }, true);
    if (!ok) sys::RemoveFile(next);
    return ok;
}

// Whether `bytes` are a whole REMOVED.REG: a registry file's header, and every line ended.
bool IsWholeRegFile(const std::string& bytes) {
    const RegFile file = Decode(bytes);
    return !file.lines.empty() && (file.Text(0) == kRegedit4 || file.Text(0) == kRegedit5) &&
           bytes.size() >= 2 && bytes.compare(bytes.size() - (file.unicode ? 4 : 2), std::string::npos,
                                              file.unicode ? std::string("\r\0\n\0", 4) : "\r\n") == 0;
}

// A value name as a line of the file sets it: regedit's @ for the default value (the empty
// name), otherwise quoted, with backslashes escaped like data (regedit reads "\\" and "\""
// in both).
std::string RegNameText(const std::string& valueName) {
    return valueName.empty() ? std::string("@") : QuoteRegString(EscapeBackslashes(valueName));
}

std::string ErrorNumberText(int number) {
    // The number as the language's Str$ gives it: a blank where a plus sign would go.
    return number < 0 ? std::to_string(number) : " " + std::to_string(number);
}

}  // namespace

void SetRemovedRegFile(const std::string& file) { g_removedRegFile = file; }

std::string RemovedRegFile() {
    return g_removedRegFile.empty() ? ProgramFolder() + "removed.reg" : g_removedRegFile;
}

DirFunction SetDirFunction(DirFunction dir) {
    DirFunction previous = g_dir;
    g_dir = dir ? dir : &tw::Dir;
    return previous;
}

bool ReadRunValue(const std::string& hiveName, const std::string& valueName, RunValue& value,
                  RegView view) {
    HKEY hive = HiveFromName(hiveName);
    HKEY opened = nullptr;
    if (!hive || OpenRunKey(hive, view, KEY_QUERY_VALUE, opened) != ERROR_SUCCESS) return false;
    UniqueKey key(opened);
    return sys::RegQuery(key.Get(), valueName, value) == ERROR_SUCCESS;
}

std::string RegDataText(DWORD type, const std::string& bytes) {
    // A REG_SZ that a quoted string gives back byte for byte: text, one closing NUL, and no
    // character that would end or break the line.
    if (type == REG_SZ && !bytes.empty() && bytes.back() == '\0' &&
        bytes.find_first_of(std::string("\0\r\n", 3)) == bytes.size() - 1)
        return QuoteRegString(EscapeBackslashes(bytes.substr(0, bytes.size() - 1)));
    if (type == REG_DWORD && bytes.size() == 4) {
        DWORD number = static_cast<unsigned char>(bytes[0]) |
                       static_cast<DWORD>(static_cast<unsigned char>(bytes[1])) << 8 |
                       static_cast<DWORD>(static_cast<unsigned char>(bytes[2])) << 16 |
                       static_cast<DWORD>(static_cast<unsigned char>(bytes[3])) << 24;
        return "dword:" + Hex(number, 8);
    }
    if (type == REG_BINARY) return "hex:" + HexBytes(bytes);
    // hex(n): the type in hexadecimal, as regedit writes it: hex(2) for REG_EXPAND_SZ,
    // hex(7) for REG_MULTI_SZ, hex(1) for a REG_SZ that a quoted string would change.
    return "hex(" + Hex(type, 1) + "):" + HexBytes(bytes);
}

void RecoverRemovedReg() {
    const std::string file = RemovedRegFile();
    const std::string next = NewFileOf(file);
    if (sys::FileAttributes(next) == INVALID_FILE_ATTRIBUTES) return;
    // Where the system cannot replace a file in one step, an export that was cut short may
    // have removed the old file after the new one was on the disk: that one is then the file.
    std::string bytes;
    if (sys::FileAttributes(file) == INVALID_FILE_ATTRIBUTES && sys::ReadWholeFile(next, bytes) &&
        IsWholeRegFile(bytes) && sys::MoveOver(next, file))
        return;
    sys::RemoveFile(next);
}

bool RegFileCarriesName(const std::string& valueName) {
    return valueName.find_first_of(std::string("\r\n\0", 3)) == std::string::npos;
}

std::string VisibleName(const std::string& name) {
    std::string shown;
    for (char c : name) {
        if (c == '\r') shown += "<CR>";
        else if (c == '\n') shown += "<LF>";
        else if (c == '\0') shown += "<NUL>";
        else shown += c;
    }
    return shown;
}

namespace {

// One value to be saved: the key's full path as regedit names it, the name and the value.
struct SavedValue {
    std::string section;
    std::string name;
    RunValue value;
};

// Adds the values to REMOVED.REG in one new file, written, flushed, verified and moved over
// the old one; false, and the file as it was, when any step fails.
bool SaveValues(const std::vector<SavedValue>& values) {
    const std::string file = RemovedRegFile();
    // First, so that a file a cut-short export left only in its new name counts as there.
    RecoverRemovedReg();
    FileError listing;
    // A hidden file is not listed, but it is there all the same: it is read, never replaced.
    const bool exists = FileExists(file, &listing) || (!listing && sys::FileAttributes(file) != INVALID_FILE_ATTRIBUTES);
    // The listing could not tell: writing the file could destroy the undo record.
    if (listing) return false;
    RegFile contents;
    if (exists) {
        std::string bytes;
        if (!sys::ReadWholeFile(file, bytes)) return false;
        contents = Decode(bytes);
    } else {
        contents.lines.push_back(kRegedit4);
    }
    std::vector<std::string> data(values.size());
    bool fits = true;
    for (size_t i = 0; i < values.size(); ++i)
        fits = fits && FitsAnsi(values[i].section) && FitsAnsi(RegNameText(values[i].name)) &&
               DataText(values[i].value, false, data[i]);
    if (!contents.unicode && !fits) MakeUnicode(contents);
    for (size_t i = 0; i < values.size(); ++i) {
        if (contents.unicode) DataText(values[i].value, true, data[i]);
        SetEntry(contents, values[i].section, values[i].name, RegNameText(values[i].name), data[i]);
    }
    return ReplaceContents(file, Encode(contents));
}

std::string SwitchSection(const EntrySwitch& entry) { return entry.hiveName + "\\" + entry.subKey; }

}  // namespace

bool ExportRunValue(const std::string& hiveName, const std::string& valueName,
                    const std::string& commandLine, RegView view, bool* switchSaved) {
    if (switchSaved) *switchSaved = false;
    // Checked before anything is read or written: such a name would add lines of its own.
    if (!RegFileCarriesName(valueName)) return false;
    std::vector<SavedValue> values(1);
    values[0].section = RunKeyFullPath(hiveName, view);
    values[0].name = valueName;
    RunValue& value = values[0].value;
    if (!ReadRunValue(hiveName, valueName, value, view)) {
        value = RunValue();
        value.type = REG_SZ;
        value.utf16 = true;
        WideText units = ToWide(commandLine);
        value.bytes = LittleEndian(units);
    }
    const EntrySwitch entry = RunValueSwitch(hiveName, view, valueName);
    RunValue switchValue;
    const bool hasSwitch = ReadSwitch(entry, switchValue);
    if (hasSwitch) values.push_back({SwitchSection(entry), entry.name, switchValue});
    if (!SaveValues(values)) return false;
    if (switchSaved) *switchSaved = hasSwitch;
    return true;
}

void MoveSwitchToRemovedReg(const EntrySwitch& entry) {
    RunValue value;
    if (!ReadSwitch(entry, value)) return;
    if (!RegFileCarriesName(entry.name) || !SaveValues({{SwitchSection(entry), entry.name, value}})) {
        MsgBox(kExportFailedMessage, MB_ICONEXCLAMATION);
        return;
    }
    DeleteSwitch(entry);
}

namespace {

// Reports a deletion's failure as the wizard always has; true for a deleted value.
bool DeletionReported(LONG opened, HKEY key, LONG deleted) {
    if (opened != ERROR_SUCCESS) {
        MsgBox("Non-Critical ERROR: Can't open the key.", MB_ICONEXCLAMATION);
        return false;
    }
    UniqueKey owned(key);
    if (deleted != ERROR_SUCCESS) {
        MsgBox("Non-Critical ERROR: Can't delete the value.", MB_ICONEXCLAMATION);
        return false;
    }
    return true;
}

// The switch keys are where Task Manager, a 64-bit program, keeps them: the native view.
LONG OpenSwitchKey(const EntrySwitch& entry, REGSAM access, HKEY& key) {
    key = nullptr;
    HKEY hive = HiveFromName(entry.hiveName);
    if (!hive) return ERROR_INVALID_HANDLE;
    return OpenKey(hive, entry.subKey, access | ViewAccess(IsWindows64() ? RegView::Native : RegView::Shared), key);
}

}  // namespace

const char* const kExportFailedMessage =
    "Non-Critical ERROR: Can't save the value to REMOVED.REG. It was left in the registry.";

bool DeleteRunValue(const std::string& hiveName, const std::string& valueName, RegView view) {
    HKEY hive = HiveFromName(hiveName);
    HKEY key = nullptr;
    // Setting values is the one right a deletion needs.
    const LONG opened = hive ? OpenRunKey(hive, view, KEY_SET_VALUE, key) : ERROR_INVALID_HANDLE;
    return DeletionReported(opened, key, opened == ERROR_SUCCESS ? DeleteRunKeyValue(key, valueName) : opened);
}

// ---- Task Manager's switches --------------------------------------------------------------

const char* const kStartupApprovedKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved";

void SetStartupApprovedPath(const std::string& key) { g_approvedPath = key; }

EntrySwitch RunValueSwitch(const std::string& hiveName, RegView view, const std::string& valueName) {
    return {hiveName, ApprovedPath() + (view == RegView::Wow32 ? "\\Run32" : "\\Run"), valueName};
}

EntrySwitch ShortcutSwitch(const std::string& fileName) {
    return {"HKEY_CURRENT_USER", ApprovedPath() + "\\StartupFolder", fileName};
}

SwitchedOffEntries::SwitchedOffEntries(const EntrySwitch& entry) {
    HKEY opened = nullptr;
    if (OpenSwitchKey(entry, KEY_READ, opened) != ERROR_SUCCESS) return;
    UniqueKey key(opened);
    std::string name;
    for (DWORD index = 0; sys::RegValueName(key.Get(), index, name) == ERROR_SUCCESS; ++index) {
        RunValue value;
        // Bit 0 of the first byte: 02 and 06 run, 03 and 07 are switched off.
        if (sys::RegQuery(key.Get(), name, value) == ERROR_SUCCESS && !value.bytes.empty() && (value.bytes[0] & 1))
            m_names.push_back(sys::FoldFileName(name));
    }
}

bool SwitchedOffEntries::IsSwitchedOff(const std::string& name) const {
    return std::find(m_names.begin(), m_names.end(), sys::FoldFileName(name)) != m_names.end();
}

bool ReadSwitch(const EntrySwitch& entry, RunValue& value) {
    HKEY opened = nullptr;
    if (OpenSwitchKey(entry, KEY_QUERY_VALUE, opened) != ERROR_SUCCESS) return false;
    UniqueKey key(opened);
    return sys::RegQuery(key.Get(), entry.name, value) == ERROR_SUCCESS;
}

bool DeleteSwitch(const EntrySwitch& entry) {
    HKEY key = nullptr;
    const LONG opened = OpenSwitchKey(entry, KEY_SET_VALUE, key);
    return DeletionReported(opened, key, opened == ERROR_SUCCESS ? DeleteRunKeyValue(key, entry.name) : opened);
}

std::string QuoteRegString(const std::string& text) {
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

std::string EscapeBackslashes(const std::string& text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (char c : text) {
        if (c == '\\') escaped += '\\';
        escaped += c;
    }
    return escaped;
}

std::string ProgramFolder() {
    const std::string path = sys::ModulePath(nullptr);
    if (path.empty()) return path;
    const std::string::size_type slash = path.rfind('\\');
    return AddBackslash(slash == std::string::npos ? path : path.substr(0, slash));
}

bool FileExists(const std::string& path, FileError* error) {
    for (;;) {
        FileError listing;
        bool found = !g_dir(path, 0, listing).empty();
        if (error) *error = listing;
        if (!listing) return found;
        switch (listing.number) {
        case kErrDiskNotReady:
            if (MsgBox("Put a floppy disk in the drive and close the drive door.",
                       MB_ICONEXCLAMATION | MB_OKCANCEL) == IDOK)
                continue;
            return false;
        case kErrDeviceUnavailable:
            MsgBox("This drive or path does not exist: " + path, MB_ICONEXCLAMATION);
            return false;
        default:
            MsgBox("Error number " + ErrorNumberText(listing.number) + " occurred: " +
                       listing.description,
                   MB_ICONSTOP);
            return false;
        }
    }
}

}  // namespace tw::modRegStuff
