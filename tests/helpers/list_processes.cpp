// Test helper for the end-to-end scripts: prints every running process that the process
// status strategy can read, one a line: its id, a tab, its executable path.
#include <cstdio>
#include <vector>

#include "apps/ProcessApi.h"

int main() {
    tw::tray::Win32ProcessApi processes;
    std::vector<tw::tray::ProcessEntry> list;
    if (!processes.PsapiProcesses(list)) return 1;
    for (const tw::tray::ProcessEntry& entry : list)
        std::printf("%ld\t%s\n", static_cast<long>(entry.id), entry.exePath.c_str());
    return 0;
}
