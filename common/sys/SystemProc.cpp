#include <string>

#include "Handles.h"

namespace tw {

FARPROC LoadSystemProc(const char* dll, const char* name) {
    HMODULE module = GetModuleHandleA(dll);
    if (!module) {
        // Only from the system directory: never a DLL planted beside the program.
        char dir[MAX_PATH];
        UINT length = GetSystemDirectoryA(dir, MAX_PATH);
        if (length == 0 || length >= MAX_PATH) return nullptr;
        std::string path(dir, length);
        if (path.back() != '\\') path += '\\';
        path += dll;
        module = LoadLibraryA(path.c_str());  // kept loaded for the life of the process
        if (!module) return nullptr;
    }
    return GetProcAddress(module, name);
}

}  // namespace tw
