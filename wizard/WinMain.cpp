// Marshal.exe: the Online StartUp wizard's process entry.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return 0;
}
