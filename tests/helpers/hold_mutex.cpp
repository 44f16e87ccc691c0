// Test helper: takes a named mutex as a second copy of a program would.
//   hold_mutex MUTEX                      create it, exit 1 if it already existed, else 0
//   hold_mutex MUTEX READY QUIT           create it, set the event READY, hold the mutex
//                                         until the event QUIT is set (at most 60 s)
#include <windows.h>

int main(int argc, char** argv) {
    if (argc != 2 && argc != 4) return 2;
    HANDLE mutex = CreateMutexA(nullptr, FALSE, argv[1]);
    if (!mutex) return 3;
    int result = GetLastError() == ERROR_ALREADY_EXISTS ? 1 : 0;
    if (argc == 4) {
        HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[2]);
        HANDLE quit = OpenEventA(SYNCHRONIZE, FALSE, argv[3]);
        if (!ready || !quit) return 4;
        SetEvent(ready);
        if (WaitForSingleObject(quit, 60000) != WAIT_OBJECT_0) result = 5;
        CloseHandle(ready);
        CloseHandle(quit);
    }
    CloseHandle(mutex);
    return result;
}
