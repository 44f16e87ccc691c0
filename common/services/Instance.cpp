// PrevInstance: one named mutex per name, deliberately never closed, so that it marks this
// process as running until it ends (the system closes the handle then).
#include "Instance.h"

#include <windows.h>

#include <set>

#include "System.h"

namespace tw {
namespace {

std::set<std::string>& HeldNames() {
    static std::set<std::string> names;
    return names;
}

}  // namespace

bool PrevInstance(const std::string& name) {
    if (HeldNames().count(name)) return false;
    HANDLE mutex = sys::CreateNamedMutex(name);
    DWORD error = GetLastError();
    if (!mutex) return false;  // cannot tell: let this copy run
    if (error == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return true;
    }
    HeldNames().insert(name);
    return false;
}

}  // namespace tw
