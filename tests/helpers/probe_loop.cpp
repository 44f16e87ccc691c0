// Test helper for the CPU benchmark: the least a connection monitor can do, a loop that
// calls InternetGetConnectedState every 2 seconds and nothing else, until it is terminated.
#include <windows.h>
#include <wininet.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    for (;;) {
        DWORD flags = 0;
        InternetGetConnectedState(&flags, 0);
        Sleep(2000);
    }
}
