// Pause: a wait that lets window events run, so timers and other handlers go on meanwhile.
#pragma once

namespace tw::tray {

// Lets pending window events run, again and again, until `seconds` have passed on the
// installed clock (monotonic, so the wait always ends). Handlers may run nested inside.
void Pause(double seconds);

}  // namespace tw::tray
