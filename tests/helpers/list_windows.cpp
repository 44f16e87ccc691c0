// Test helper for the end-to-end scripts: prints the visible top-level windows, one a line,
// as "handle<TAB>class<TAB>title", each followed by its child controls as
// "<TAB>class<TAB>text". Carriage returns, line feeds and tabs in a text are written as
// \r, \n and \t, so that a message box's text can be compared whole and each window or
// control takes one line. With --all the hidden top-level windows and the message-only ones
// are listed too (Lookout's tray window, whose label shows the last tick's status).
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::string Escaped(HWND window) {
    char text[4096];
    const int length = GetWindowTextA(window, text, sizeof text);
    std::string out;
    for (int i = 0; i < length; ++i) {
        switch (text[i]) {
        case '\r': out += "\\r"; break;
        case '\n': out += "\\n"; break;
        case '\t': out += "\\t"; break;
        default: out += text[i];
        }
    }
    return out;
}

std::string ClassOf(HWND window) {
    char name[256];
    return GetClassNameA(window, name, sizeof name) ? name : "";
}

BOOL CALLBACK PrintChild(HWND child, LPARAM) {
    std::printf("\t%s\t%s\n", ClassOf(child).c_str(), Escaped(child).c_str());
    return TRUE;
}

BOOL CALLBACK PrintTopLevel(HWND window, LPARAM all) {
    if (!all && !IsWindowVisible(window)) return TRUE;
    std::printf("%lx\t%s\t%s\n", static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(window)),
                ClassOf(window).c_str(), Escaped(window).c_str());
    EnumChildWindows(window, PrintChild, 0);
    return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
    const bool all = argc > 1 && std::string(argv[1]) == "--all";
    for (HWND window = nullptr; all && (window = FindWindowExA(HWND_MESSAGE, window, nullptr, nullptr));)
        PrintTopLevel(window, all);
    return EnumWindows(PrintTopLevel, all) ? 0 : 1;
}
