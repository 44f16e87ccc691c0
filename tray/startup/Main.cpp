// Main: Lookout's start-up sequence.
#include "Main.h"

#include "apps/Apps.h"
#include "Instance.h"

namespace tw::tray {

// No backslash: Windows 95/98/Me reject it in a mutex name.
const char* const kInstanceName = "Tetherwatch.Lookout.Instance";

namespace {

TrayWindowLoader g_loadTrayWindow = nullptr;

}  // namespace

TrayWindowLoader SetTrayWindowLoader(TrayWindowLoader loader) {
    TrayWindowLoader previous = g_loadTrayWindow;
    g_loadTrayWindow = loader;
    return previous;
}

void MainWithInstanceName(const std::string& instanceName) {
    if (PrevInstance(instanceName)) return;
    if (LoadStartUpApps() == 0) return;
    if (g_loadTrayWindow) g_loadTrayWindow();
}

void Main() { MainWithInstanceName(kInstanceName); }

}  // namespace tw::tray
