// Files with numbered errors: the first entry of a directory listing, copy, delete and
// make one directory level. A failure is reported in a FileError (number and
// description, with the numbers programs of this family have always shown).
#pragma once
#include <windows.h>

#include <functional>
#include <string>

namespace tw {

struct FileError {
    int number = 0;  // 0: no error
    std::string description;
    explicit operator bool() const noexcept { return number != 0; }
};

// Error numbers a caller may act on.
constexpr int kErrFileNotFound = 53;
constexpr int kErrDiskFull = 61;
constexpr int kErrDeviceUnavailable = 68;
constexpr int kErrPermissionDenied = 70;
constexpr int kErrDiskNotReady = 71;
constexpr int kErrPathFileAccess = 75;
constexpr int kErrPathNotFound = 76;

// The name (no folder) of the first entry matching `pathPattern` (wildcards allowed; a
// pattern ending in "\" lists that folder), or "" when nothing matches, the folder
// included. Entries without the hidden, system and directory attributes always count;
// those with them count only when `attributes` (FILE_ATTRIBUTE_HIDDEN, _SYSTEM,
// _DIRECTORY; 0 for plain files) asks for every one of them. Only a drive or device
// that cannot be read sets `error` (68, 71, ...).
std::string Dir(const std::string& pathPattern, unsigned attributes, FileError& error);
// Copies a file; an existing target is replaced. False, with `error` set, on failure.
bool FileCopy(const std::string& source, const std::string& destination, FileError& error);
// Deletes a file; one held open by another program is waited for (RetryWhileShared).
bool Kill(const std::string& path, FileError& error);
// Runs `call` (a delete or a move that leaves GetLastError set when it fails) until it
// succeeds, fails otherwise than with a sharing violation, or about 2 seconds have passed
// (Clock()): a virus scanner or the shell opens every new file for a moment. A move onto a
// file that is held open fails with ERROR_ACCESS_DENIED instead: `deniedToo` waits on that
// as well. The result of the last call, with its GetLastError.
bool RetryWhileShared(const std::function<bool()>& call, bool deniedToo = false);
// Creates one directory level (the parent must exist).
bool MkDir(const std::string& path, FileError& error);

}  // namespace tw
