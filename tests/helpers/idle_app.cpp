// Test helper: a program that waits, to be found, closed and killed by the tests.
//   idle_app [--ignore-close] [--exit-code N] [--hidden] [--no-window] [--title-cwd] [TITLE]
// Creates a top-level window titled TITLE (default "idle_app"; with --title-cwd the current
// directory), shown unless --hidden, and runs a message loop. WM_CLOSE ends it with exit
// code N (default 0), unless --ignore-close, when the window stays. With --no-window, or
// without a display (where no window can be created), it just waits until it is terminated.
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

bool g_ignoreClose = false;
int g_exitCode = 0;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CLOSE:
        if (!g_ignoreClose) DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(g_exitCode);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    std::string title = "idle_app";
    bool hidden = false;
    bool noWindow = false;
    for (int i = 1; i < __argc; ++i) {
        const char* argument = __argv[i];
        if (std::strcmp(argument, "--ignore-close") == 0) {
            g_ignoreClose = true;
        } else if (std::strcmp(argument, "--hidden") == 0) {
            hidden = true;
        } else if (std::strcmp(argument, "--no-window") == 0) {
            noWindow = true;
        } else if (std::strcmp(argument, "--title-cwd") == 0) {
            char directory[MAX_PATH];
            DWORD length = GetCurrentDirectoryA(MAX_PATH, directory);
            title.assign(directory, length < MAX_PATH ? length : 0);
        } else if (std::strcmp(argument, "--exit-code") == 0 && i + 1 < __argc) {
            g_exitCode = std::atoi(__argv[++i]);
        } else {
            title = argument;
        }
    }

    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = "TwIdleApp";
    RegisterClassA(&windowClass);
    HWND window = nullptr;
    if (!noWindow)
        window = CreateWindowExA(0, "TwIdleApp", title.c_str(), WS_OVERLAPPEDWINDOW, 40, 40, 320,
                                 120, nullptr, nullptr, instance, nullptr);
    if (window && !hidden) ShowWindow(window, SW_SHOWNORMAL);

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return window ? static_cast<int>(message.wParam) : g_exitCode;
}
