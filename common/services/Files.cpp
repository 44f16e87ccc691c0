// Dir, FileCopy, Kill and MkDir over the Win32 file calls, with Win32 errors turned into
// the numbered errors of FileError.
#include "Files.h"

#include "Clock.h"
#include "System.h"

namespace tw {
namespace {

// How long a delete or move waits for a file another program holds, and how often it tries.
constexpr double kSharedRetrySeconds = 2.0;
constexpr unsigned kSharedRetryStepMs = 100;

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
    std::string message = sys::ErrorText(code);
    return message.empty() ? "Path/File access error" : message;
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

// True when the pattern names a drive letter ("X:...") that does not exist. FindFirstFile
// reports such a drive as a missing path, which a listing does not count as an error.
bool NamesMissingDrive(const std::string& pattern) {
    if (pattern.size() < 2 || pattern[1] != ':') return false;
    return sys::DriveType(pattern.substr(0, 2) + "\\") == DRIVE_NO_ROOT_DIR;
}

bool Matches(DWORD entryAttributes, unsigned attributes) {
    const DWORD selective = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;
    return (entryAttributes & selective & ~static_cast<DWORD>(attributes)) == 0;
}

}  // namespace

std::string Dir(const std::string& pathPattern, unsigned attributes, FileError& error) {
    error = FileError();
    std::string pattern = pathPattern;
    if (!pattern.empty() && (pattern.back() == '\\' || pattern.back() == '/' ||
                             (pattern.size() == 2 && pattern[1] == ':')))
        pattern += "*.*";

    CriticalErrorsOff quiet;
    std::string first;
    const DWORD code = sys::FindFiles(pattern, [&](const sys::FoundFile& entry) {
        if (!Matches(entry.attributes, attributes)) return true;
        first = entry.name;
        return false;
    });
    if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND ||
        code == ERROR_NO_MORE_FILES || code == ERROR_INVALID_NAME) {
        if (NamesMissingDrive(pattern)) Fail(ERROR_INVALID_DRIVE, error);
    } else if (code != ERROR_SUCCESS) {
        Fail(code, error);
    }
    return first;
}

bool FileCopy(const std::string& source, const std::string& destination, FileError& error) {
    error = FileError();
    CriticalErrorsOff quiet;
    if (sys::CopyFileOver(source, destination)) return true;
    return Fail(GetLastError(), error);
}

bool RetryWhileShared(const std::function<bool()>& call, bool deniedToo) {
    const double until = Clock().Now() + kSharedRetrySeconds;
    for (;;) {
        if (call()) return true;
        const DWORD code = GetLastError();
        const bool held = code == ERROR_SHARING_VIOLATION || (deniedToo && code == ERROR_ACCESS_DENIED);
        if (!held || Clock().Now() >= until) {
            SetLastError(code);
            return false;
        }
        Clock().WaitForEvents(kSharedRetryStepMs);
    }
}

bool Kill(const std::string& path, FileError& error) {
    error = FileError();
    CriticalErrorsOff quiet;
    if (RetryWhileShared([&] { return sys::RemoveFile(path); })) return true;
    return Fail(GetLastError(), error);
}

bool MkDir(const std::string& path, FileError& error) {
    error = FileError();
    CriticalErrorsOff quiet;
    if (sys::CreateFolder(path)) return true;
    return Fail(GetLastError(), error);
}

}  // namespace tw
