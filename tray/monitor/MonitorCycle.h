// The monitor's view of the applications: refreshing the process ids of `Apps` at the start
// of each tick, and asking whether any runs or any does not.
#pragma once

namespace tw::tray {

// For every record of Apps, in index order, whose ProcessID is not running: ProcessID :=
// the id of a running process of its Path (0 when none). A live id stays, even when the
// same program runs more than once. All records are matched against one enumeration of the
// running processes, taken only when some record needs it (the last match in the
// enumeration wins, as in FindRunningApp).
void RefreshProcessIDs();

// True as soon as one record, in index order, has a running ProcessID.
bool AnyAppRunning();
// True as soon as one record's ProcessID is not running.
bool AnyAppNotRunning();

}  // namespace tw::tray
