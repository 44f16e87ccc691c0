// Files and folders, the change observer every change to the user's files and registry
// reports to, and names compared as the file system compares them.
#include "FileSystem.h"

#include "Handles.h"
#include "SystemCalls.h"

namespace tw::sys {
namespace {
ChangeObserver g_observer = nullptr;
}  // namespace

// ---- Files ---------------------------------------------------------------------------------

DWORD FileAttributes(const std::string& path) {
    const SystemText text(path);
    return UnicodeSystem() ? TW_CALL(GetFileAttributesW)(text.W()) : GetFileAttributesA(text.A());
}

bool IsFolder(const std::string& path) {
    if (path.empty()) return false;
    const DWORD attributes = FileAttributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

DWORD FindFiles(const std::string& pattern, FileVisitor visit, void* context) {
    const SystemText text(pattern);
    FoundFile found;
    if (UnicodeSystem()) {
        WIN32_FIND_DATAW entry;
        UniqueFind find(TW_CALL(FindFirstFileW)(text.W(), &entry));
        if (!find) return GetLastError();
        do {
            found.name = FromWide(entry.cFileName);
            found.attributes = entry.dwFileAttributes;
        } while (visit(context, found) && TW_CALL(FindNextFileW)(find.Get(), &entry));
    } else {
        WIN32_FIND_DATAA entry;
        UniqueFind find(FindFirstFileA(text.A(), &entry));
        if (!find) return GetLastError();
        do {
            found.name = FromAnsi(entry.cFileName);
            found.attributes = entry.dwFileAttributes;
        } while (visit(context, found) && FindNextFileA(find.Get(), &entry));
    }
    return ERROR_SUCCESS;
}

HANDLE OpenFile(const std::string& path, DWORD access, DWORD share, DWORD disposition,
                DWORD attributes) {
    const SystemText text(path);
    return UnicodeSystem()
               ? TW_CALL(CreateFileW)(text.W(), access, share, nullptr, disposition, attributes, nullptr)
               : CreateFileA(text.A(), access, share, nullptr, disposition, attributes, nullptr);
}

bool CopyFileOver(const std::string& source, const std::string& destination) {
    const SystemText from(source), to(destination);
    const BOOL done = UnicodeSystem() ? TW_CALL(CopyFileW)(from.W(), to.W(), FALSE)
                                      : CopyFileA(from.A(), to.A(), FALSE);
    if (done) ReportChange(Change::Copy, destination);
    return done != FALSE;
}

bool RemoveFile(const std::string& path) {
    const SystemText text(path);
    const BOOL done = UnicodeSystem() ? TW_CALL(DeleteFileW)(text.W()) : DeleteFileA(text.A());
    if (done) ReportChange(Change::Delete, path);
    return done != FALSE;
}

bool CreateFolder(const std::string& path) {
    const SystemText text(path);
    return (UnicodeSystem() ? TW_CALL(CreateDirectoryW)(text.W(), nullptr)
                            : CreateDirectoryA(text.A(), nullptr)) != FALSE;
}

bool MoveOver(const std::string& source, const std::string& destination) {
    const SystemText from(source), to(destination);
    BOOL done;
    if (UnicodeSystem()) {
        done = TW_CALL(MoveFileExW)(from.W(), to.W(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    } else {
        // MoveFileEx is not implemented on 95/98/Me, and MoveFile does not replace: the old
        // file is deleted (a change of its own), then the new one takes its name.
        done = (RemoveFile(destination) || GetLastError() == ERROR_FILE_NOT_FOUND) &&
               MoveFileA(from.A(), to.A());
    }
    if (done) ReportChange(Change::Rename, destination);
    return done != FALSE;
}

UINT DriveType(const std::string& root) {
    const SystemText text(root);
    return UnicodeSystem() ? TW_CALL(GetDriveTypeW)(text.W()) : GetDriveTypeA(text.A());
}

std::string ErrorText(DWORD code) {
    const DWORD flags =
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    std::string message;
    void* text = nullptr;
    if (UnicodeSystem()) {
        DWORD length = TW_CALL(FormatMessageW)(flags, nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
        if (length && text) message = FromWide(static_cast<wchar_t*>(text), static_cast<int>(length));
    } else {
        DWORD length = FormatMessageA(flags, nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
        if (length && text) message = FromAnsi(static_cast<char*>(text), static_cast<int>(length));
    }
    if (text) LocalFree(text);
    while (!message.empty() && (message.back() == '\r' || message.back() == '\n' || message.back() == ' '))
        message.pop_back();
    return message;
}

// ---- Changes --------------------------------------------------------------------------------

ChangeObserver SetChangeObserver(ChangeObserver observer) {
    ChangeObserver previous = g_observer;
    g_observer = observer;
    return previous;
}

void ReportChange(Change change, const std::string& target) {
    if (g_observer) g_observer(change, target);
}

bool WriteAll(HANDLE file, const std::string& data, const std::string& name) {
    DWORD written = 0;
    const bool done = WriteFile(file, data.data(), static_cast<DWORD>(data.size()), &written, nullptr) &&
                      written == data.size();
    if (done) ReportChange(Change::Write, name);
    return done;
}

bool Flush(HANDLE file, const std::string& name) {
    const bool done = FlushFileBuffers(file) != FALSE;
    if (done) ReportChange(Change::Flush, name);
    return done;
}

bool FlushFile(const std::string& path) {
    UniqueFile file(OpenFile(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING));
    return file && Flush(file.Get(), path);
}

bool ReadWholeFile(const std::string& path, std::string& contents, size_t limit) {
    UniqueFile file(OpenFile(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING));
    if (!file) return false;
    // GetFileSize, not GetFileSizeEx: Windows 95 has only the former.
    DWORD high = 0;
    const DWORD size = GetFileSize(file.Get(), &high);
    if ((size == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) || high || size > limit) return false;
    contents.assign(size, '\0');
    DWORD read = 0;
    return size == 0 || (::ReadFile(file.Get(), &contents[0], size, &read, nullptr) && read == size);
}

// ---- Names ------------------------------------------------------------------------------------

std::string FoldFileName(const std::string& name) {
    std::string folded = name;
    bool ascii = true;
    for (char& c : folded) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (static_cast<unsigned char>(c) >= 0x80) ascii = false;
    }
    if (ascii) return folded;  // the usual case, and the same answer as below
    if (!UnicodeSystem()) {
        std::string ansi = ToAnsi(name);
        if (!ansi.empty()) CharUpperBuffA(&ansi[0], static_cast<DWORD>(ansi.size()));
        return FromAnsi(ansi.c_str(), static_cast<int>(ansi.size()));
    }
    // The invariant upper case, one UTF-16 unit for one, as NTFS compares names; Windows
    // 2000 and NT 4 lack the invariant locale: there the user's.
    WideText wide = ToWide(name);
    const int length = static_cast<int>(wide.size()) - 1;
    if (!TW_CALL(LCMapStringW)(LOCALE_INVARIANT, LCMAP_UPPERCASE, wide.data(), length, wide.data(), length))
        TW_CALL(CharUpperBuffW)(wide.data(), static_cast<DWORD>(length));
    return FromWide(wide.data(), length);
}

}  // namespace tw::sys
