// Test helper: sends a message to every top-level window, as the system does with
// WM_POWERBROADCAST when it wakes from sleep (hidden windows included).
//   broadcast MESSAGE WPARAM     both decimal or 0x-hex; exit 0 when the send went out
#include <windows.h>

#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    const UINT message = static_cast<UINT>(std::strtoul(argv[1], nullptr, 0));
    const WPARAM wParam = static_cast<WPARAM>(std::strtoul(argv[2], nullptr, 0));
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(HWND_BROADCAST, message, wParam, 0, SMTO_ABORTIFHUNG, 5000, &result) ? 0 : 1;
}
