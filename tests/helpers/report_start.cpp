// Test helper: reports how it was started, then waits like idle_app.
//   report_start REPORTFILE [anything...]
// Writes three lines to REPORTFILE: its current directory, the show command its startup
// record imposes (-1 when none: STARTF_USESHOWWINDOW clear), and its own command line.
// Then creates a window titled "report_start" and runs a message loop until WM_CLOSE.
#include <windows.h>

#include <cstdio>
#include <cstdlib>  // __argc, __argv

namespace {

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    if (__argc < 2) return 2;
    char directory[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, directory);
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    GetStartupInfoA(&startup);
    const int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : -1;
    FILE* report = std::fopen(__argv[1], "w");
    if (!report) return 1;
    std::fprintf(report, "%s\n%d\n%s\n", directory, show, GetCommandLineA());
    std::fclose(report);

    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "TwReportStart";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, "TwReportStart", "report_start", WS_OVERLAPPEDWINDOW, 60, 60,
                                  240, 100, nullptr, nullptr, instance, nullptr);
    MSG message;
    while (window && GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    if (!window) Sleep(INFINITE);  // no display: wait to be terminated
    return 0;
}
