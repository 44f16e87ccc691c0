// The previous-instance test: whether another copy of a program is already running.
#pragma once
#include <string>

namespace tw {

// Creates (or opens) the named mutex `name` and keeps it open for the life of the process.
// True when another process already had it, that is another copy runs. Asking again for a
// name this process already holds gives false. The name must not contain a backslash
// (Windows 95/98/Me reject it, so no "Local\" prefix is used).
bool PrevInstance(const std::string& name);

}  // namespace tw
