// Test helper for the CPU benchmark: the least a connection monitor can do. It calls
// InternetGetConnectedState every 2 seconds and nothing else, until it is terminated:
//   probe_loop            from a loop that sleeps in between;
//   probe_loop --window   from the WM_TIMER of a hidden window's 2-second timer, the way a
//                         GUI program's tick comes (the message loop is all it adds).
#include <windows.h>
#include <wininet.h>

#include <cstdlib>
#include <cstring>

namespace {

void Probe() {
    DWORD flags = 0;
    InternetGetConnectedState(&flags, 0);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER) {
        Probe();
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    if (__argc < 2 || std::strcmp(__argv[1], "--window") != 0) {
        for (;;) {
            Probe();
            Sleep(2000);
        }
    }
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "TwProbeLoop";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(WS_EX_TOOLWINDOW, "TwProbeLoop", "", WS_POPUP, 0, 0, 1, 1, nullptr,
                                  nullptr, instance, nullptr);
    SetTimer(window, 1, 2000, nullptr);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
    return 0;
}
