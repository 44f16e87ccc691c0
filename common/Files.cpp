// Dir, FileCopy, Kill and MkDir over the Win32 file calls, with Win32 errors turned into
// the numbered errors of FileError.
#include "Files.h"

#include "Handles.h"

namespace tw {
namespace {

// Stops the system's "no disk in drive" box while a call runs, so an empty floppy or CD
// drive comes back as ERROR_NOT_READY (71) instead of asking the user.
class CriticalErrorsOff {
public:
    CriticalErrorsOff() : m_old(SetErrorMode(SEM_FAILCRITICALERRORS)) {
        SetErrorMode(m_old | SEM_FAILCRITICALERRORS);
    }
    CriticalErrorsOff(const CriticalErrorsOff&) = delete;
    CriticalErrorsOff& operator=(const CriticalErrorsOff&) = delete;
    ~CriticalErrorsOff() { SetErrorMode(m_old); }

private:
    UINT m_old;
};

std::string SystemMessage(DWORD code) {
    char* text = nullptr;
    DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message;
    if (length && text) message.assign(text, length);
    if (text) LocalFree(text);
    while (!message.empty() && (message.back() == '\r' || message.back() == '\n' ||
                                message.back() == ' '))
        message.pop_back();
    if (message.empty()) message = "Path/File access error";
    return message;
}

bool Fail(DWORD code, FileError& error) {
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
        error = {kErrFileNotFound, "File not found"};
        break;
    case ERROR_PATH_NOT_FOUND:
        error = {kErrPathNotFound, "Path not found"};
        break;
    case ERROR_NOT_READY:
        error = {kErrDiskNotReady, "Disk not ready"};
        break;
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_DEV_NOT_EXIST:
        error = {kErrDeviceUnavailable, "Device unavailable"};
        break;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        error = {kErrPermissionDenied, "Permission denied"};
        break;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        error = {kErrDiskFull, "Disk full"};
        break;
    case ERROR_ACCESS_DENIED:
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_EXISTS:
        error = {kErrPathFileAccess, "Path/File access error"};
        break;
    default:
        error = {kErrPathFileAccess, SystemMessage(code)};
        break;
    }
    return false;
}

// True when the pattern names a drive letter ("X:...") that does not exist. FindFirstFileA
// reports such a drive as a missing path, which a listing does not count as an error.
bool NamesMissingDrive(const std::string& pattern) {
    if (pattern.size() < 2 || pattern[1] != ':') return false;
    char root[] = {pattern[0], ':', '\\', '\0'};
    return GetDriveTypeA(root) == DRIVE_NO_ROOT_DIR;
}

bool Matches(const WIN32_FIND_DATAA& entry, unsigned attributes) {
    const DWORD selective = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;
    return (entry.dwFileAttributes & selective & ~static_cast<DWORD>(attributes)) == 0;
}

}  // namespace

std::string Dir(const std::string& pathPattern, unsigned attributes, FileError& error) {
    error = FileError();
    std::string pattern = pathPattern;
    if (!pattern.empty() && (pattern.back() == '\\' || pattern.back() == '/' ||
                             (pattern.size() == 2 && pattern[1] == ':')))
        pattern += "*.*";

    CriticalErrorsOff quiet;
    WIN32_FIND_DATAA entry;
    UniqueFind find(FindFirstFileA(pattern.c_str(), &entry));
    if (!find) {
        DWORD code = GetLastError();
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND ||
            code == ERROR_NO_MORE_FILES || code == ERROR_INVALID_NAME) {
            if (NamesMissingDrive(pattern)) Fail(ERROR_INVALID_DRIVE, error);
            return std::string();
        }
        Fail(code, error);
        return std::string();
    }
    do {
        if (Matches(entry, attributes)) return entry.cFileName;
    } while (FindNextFileA(find.Get(), &entry));
    return std::string();
}

bool FileCopy(const std::string& source, const std::string& destination, FileError& error) {
    error = FileError();
    CriticalErrorsOff quiet;
    if (CopyFileA(source.c_str(), destination.c_str(), FALSE)) return true;
    return Fail(GetLastError(), error);
}

bool Kill(const std::string& path, FileError& error) {
    error = FileError();
    CriticalErrorsOff quiet;
    if (DeleteFileA(path.c_str())) return true;
    return Fail(GetLastError(), error);
}

bool MkDir(const std::string& path, FileError& error) {
    error = FileError();
    CriticalErrorsOff quiet;
    if (CreateDirectoryA(path.c_str(), nullptr)) return true;
    return Fail(GetLastError(), error);
}

}  // namespace tw
