// Test helper: a program that waits, to be found, closed and killed by the tests.
//   idle_app [--ignore-close] [--exit-code N] [--hidden] [--no-window] [--title-cwd] [TITLE]
// Creates a top-level window titled TITLE (default "idle_app"; with --title-cwd the current
// directory), shown unless --hidden, and runs a message loop. A Unicode window: its title may
// hold any characters. WM_CLOSE ends it with exit
// code N (default 0), unless --ignore-close, when the window stays. With --no-window, or
// without a display (where no window can be created), it just waits until it is terminated.
#include <windows.h>
#include <shellapi.h>

#include <cstdlib>
#include <cwchar>
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
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    std::wstring title = L"idle_app";
    bool hidden = false;
    bool noWindow = false;
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    for (int i = 1; i < argc; ++i) {
        const wchar_t* argument = argv[i];
        if (std::wcscmp(argument, L"--ignore-close") == 0) {
            g_ignoreClose = true;
        } else if (std::wcscmp(argument, L"--hidden") == 0) {
            hidden = true;
        } else if (std::wcscmp(argument, L"--no-window") == 0) {
            noWindow = true;
        } else if (std::wcscmp(argument, L"--title-cwd") == 0) {
            wchar_t directory[MAX_PATH];
            DWORD length = GetCurrentDirectoryW(MAX_PATH, directory);
            title.assign(directory, length < MAX_PATH ? length : 0);
        } else if (std::wcscmp(argument, L"--exit-code") == 0 && i + 1 < argc) {
            g_exitCode = static_cast<int>(std::wcstol(argv[++i], nullptr, 10));
        } else {
            title = argument;
        }
    }
    LocalFree(argv);

    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = L"TwIdleApp";
    RegisterClassW(&windowClass);
    HWND window = nullptr;
    if (!noWindow)
        window = CreateWindowExW(0, L"TwIdleApp", title.c_str(), WS_OVERLAPPEDWINDOW, 40, 40, 320,
                                 120, nullptr, nullptr, instance, nullptr);
    if (window && !hidden) ShowWindow(window, SW_SHOWNORMAL);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return window ? static_cast<int>(message.wParam) : g_exitCode;
}
