// modRegStuff, second half: REMOVED.REG and the deletion of Run values. REMOVED.REG is a
// REGEDIT4 file that only grows: its first line is written once, when the file is made,
// and every later line goes through WritePrivateProfileStringA, which adds sections and
// keys at their ends and replaces a key's value in place.
#include <vector>

#include "Handles.h"
#include "Prompt.h"
#include "modRegStuff.h"

namespace tw::modRegStuff {
namespace {

std::string g_removedRegFile;
DirFunction g_dir = &tw::Dir;

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

// A REG_SZ that a quoted REGEDIT4 string gives back byte for byte: text, one closing NUL,
// and no character that would end or break the line.
bool IsPlainString(const std::string& data) {
    if (data.empty() || data.back() != '\0') return false;
    return data.find_first_of(std::string("\0\r\n", 3)) == data.size() - 1;
}

// Creates REMOVED.REG with its first line. CREATE_NEW never truncates: a file that
// appeared meanwhile (or that the listing did not show, being hidden) is kept as it is.
bool CreateRemovedReg(const std::string& file) {
    UniqueFile handle(CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle) return GetLastError() == ERROR_FILE_EXISTS;
    static const char kHeader[] = "REGEDIT4\r\n";
    DWORD written = 0;
    bool ok = WriteFile(handle.Get(), kHeader, sizeof(kHeader) - 1, &written, nullptr) &&
              written == sizeof(kHeader) - 1;
    handle.Reset();
    // A file without its header would make every later export unreadable to regedit.
    if (!ok) DeleteFileA(file.c_str());
    return ok;
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
    DWORD type = REG_NONE;
    std::string data;
    if (!QueryValueWhole(key.Get(), valueName, type, data)) return false;
    value.type = type;
    value.data = data;
    return true;
}

std::string RegDataText(DWORD type, const std::string& data) {
    if (type == REG_SZ && IsPlainString(data))
        return QuoteRegString(EscapeBackslashes(data.substr(0, data.size() - 1)));
    if (type == REG_DWORD && data.size() == 4) {
        DWORD number = static_cast<unsigned char>(data[0]) |
                       static_cast<DWORD>(static_cast<unsigned char>(data[1])) << 8 |
                       static_cast<DWORD>(static_cast<unsigned char>(data[2])) << 16 |
                       static_cast<DWORD>(static_cast<unsigned char>(data[3])) << 24;
        return "dword:" + Hex(number, 8);
    }
    if (type == REG_BINARY) return "hex:" + HexBytes(data);
    // hex(n): the type in hexadecimal, as regedit writes it: hex(2) for REG_EXPAND_SZ,
    // hex(7) for REG_MULTI_SZ, hex(1) for a REG_SZ that a quoted string would change.
    return "hex(" + Hex(type, 1) + "):" + HexBytes(data);
}

bool ExportRunValue(const std::string& hiveName, const std::string& valueName,
                    const std::string& commandLine, RegView view) {
    const std::string file = RemovedRegFile();
    FileError listing;
    if (!FileExists(file, &listing)) {
        // The listing could not tell: making the file could destroy the undo record.
        if (listing) return false;
        if (!CreateRemovedReg(file)) return false;
    }
    RunValue value;
    std::string dataText;
    if (ReadRunValue(hiveName, valueName, value, view))
        dataText = RegDataText(value.type, value.data);
    else
        dataText = QuoteRegString(EscapeBackslashes(commandLine));
    // Names are escaped like data: regedit reads "\\" and "\"" in both.
    return WritePrivateProfileStringA(RunKeyFullPath(hiveName, view).c_str(),
                                      QuoteRegString(EscapeBackslashes(valueName)).c_str(),
                                      dataText.c_str(), file.c_str()) != FALSE;
}

bool DeleteRunValue(const std::string& hiveName, const std::string& valueName, RegView view) {
    HKEY hive = HiveFromName(hiveName);
    HKEY opened = nullptr;
    // Setting values is the one right a deletion needs.
    if (!hive || OpenRunKey(hive, view, KEY_SET_VALUE, opened) != ERROR_SUCCESS) {
        MsgBox("Non-Critical ERROR: Can't open the key.", MB_ICONEXCLAMATION);
        return false;
    }
    UniqueKey key(opened);
    if (DeleteRunKeyValue(key.Get(), valueName) != ERROR_SUCCESS) {
        MsgBox("Non-Critical ERROR: Can't delete the value.", MB_ICONEXCLAMATION);
        return false;
    }
    return true;
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
    std::vector<char> buffer(MAX_PATH + 1, '\0');
    for (;;) {
        DWORD length = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return std::string();
        // A full buffer means the name was cut (without a NUL on the NT family).
        if (length < buffer.size() - 1) {
            std::string path(buffer.data(), length);
            std::string::size_type slash = path.rfind('\\');
            return AddBackslash(slash == std::string::npos ? path : path.substr(0, slash));
        }
        if (buffer.size() > 32768) return std::string();
        buffer.assign(buffer.size() * 2, '\0');
    }
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
