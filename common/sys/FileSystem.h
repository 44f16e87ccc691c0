// Files and folders, the change observer every change to the user's files and registry
// reports to, and names compared as the file system compares them.
#pragma once
#include <windows.h>

#include <string>
#include <type_traits>

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

// ---- Names compared as the file system compares them --------------------------------------

// `name` in the one letter case the file system compares names in (upper case, letter by
// letter, the same whatever the user's language); two names that fold alike name one file.
std::string FoldFileName(const std::string& name);

}  // namespace tw::sys
