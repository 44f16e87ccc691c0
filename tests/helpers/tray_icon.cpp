// Test helper for the end-to-end scripts: Lookout's tray icon (id 1) as the shell holds it.
//   tray_icon find         prints the handle of the Lookout window, top-level or message-only,
//                          whose icon the shell holds; exit code 1 when there is none
//   tray_icon has HWND     exit code 0 when the shell holds that window's icon, else 1
//   tray_icon forget HWND  removes that icon, as a restarted shell has forgotten it
//   tray_icon broadcast    sends "TaskbarCreated" to every top-level window (HWND_BROADCAST),
//                          as the shell does when it makes its taskbar, and waits for them
// A modification that changes nothing succeeds only for an icon the shell holds.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

bool Notify(DWORD message, HWND window) {
    NOTIFYICONDATAA data = {};
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = window;
    data.uID = 1;
    return Shell_NotifyIconA(message, &data) != FALSE;
}

HWND WindowOf(const char* text) { return reinterpret_cast<HWND>(std::strtoull(text, nullptr, 16)); }

}  // namespace

int main(int argc, char** argv) {
    const char* command = argc > 1 ? argv[1] : "";
    if (std::strcmp(command, "find") == 0) {
        const HWND parents[] = {nullptr, HWND_MESSAGE};
        for (HWND parent : parents) {
            for (HWND window = nullptr; (window = FindWindowExA(parent, window, "TetherwatchForm", nullptr));) {
                if (!Notify(NIM_MODIFY, window)) continue;
                std::printf("%llx\n", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window)));
                return 0;
            }
        }
        return 1;
    }
    if (std::strcmp(command, "has") == 0 && argc > 2) return Notify(NIM_MODIFY, WindowOf(argv[2])) ? 0 : 1;
    if (std::strcmp(command, "forget") == 0 && argc > 2) return Notify(NIM_DELETE, WindowOf(argv[2])) ? 0 : 1;
    if (std::strcmp(command, "broadcast") == 0) {
        DWORD_PTR result = 0;
        return SendMessageTimeoutA(HWND_BROADCAST, RegisterWindowMessageA("TaskbarCreated"), 0, 0,
                                   SMTO_ABORTIFHUNG, 10000, &result) ? 0 : 1;
    }
    std::fprintf(stderr, "usage: tray_icon find | has HWND | forget HWND | broadcast\n");
    return 2;
}
