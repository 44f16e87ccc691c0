// Pause over the installed clock and the toolkit's event pump.
#include "Pause.h"

#include <cmath>

#include "Clock.h"
#include "Form.h"

namespace tw::tray {

void Pause(double seconds) {
    const double start = Clock().Now();
    for (;;) {
        DoEvents();
        const double elapsed = Clock().Now() - start;
        if (elapsed >= seconds || elapsed < 0) break;
        // Sleeps until the next window event or the end of the wait, whichever comes first.
        Clock().WaitForEvents(static_cast<unsigned>(std::ceil((seconds - elapsed) * 1000.0)));
    }
}

}  // namespace tw::tray
