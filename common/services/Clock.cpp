#include "Clock.h"

#include <windows.h>

namespace tw {
namespace {

// QueryPerformanceCounter is monotonic and exists on every Windows family.
class Win32Clock final : public ISystemClock {
public:
    double Now() override {
        LARGE_INTEGER frequency, counter;
        if (!QueryPerformanceFrequency(&frequency) || frequency.QuadPart == 0)
            return GetTickCount() / 1000.0;
        QueryPerformanceCounter(&counter);
        return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
    }
    void WaitForEvents(unsigned milliseconds) override {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds, QS_ALLINPUT);
    }
    void Beep() override { MessageBeep(MB_OK); }
};

Win32Clock g_win32Clock;
ISystemClock* g_clock = &g_win32Clock;

}  // namespace

ISystemClock& Clock() { return *g_clock; }

ISystemClock* SetClock(ISystemClock* clock) {
    ISystemClock* previous = g_clock;
    g_clock = clock ? clock : &g_win32Clock;
    return previous;
}

}  // namespace tw
