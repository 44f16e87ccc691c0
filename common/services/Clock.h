// Time, waiting and the beep: the services whose answers decide timing behaviour.
// Tests install a fake that steps time instead of sleeping.
#pragma once

namespace tw {

class ISystemClock {
public:
    virtual ~ISystemClock() = default;
    // Seconds since an arbitrary start; never goes back (not the time of day).
    virtual double Now() = 0;
    // Blocks until a window message arrives or `milliseconds` pass.
    virtual void WaitForEvents(unsigned milliseconds) = 0;
    // The default system sound.
    virtual void Beep() = 0;
};

ISystemClock& Clock();
// Installs a clock (nullptr restores the real one) and returns the previous one.
ISystemClock* SetClock(ISystemClock* clock);

}  // namespace tw
