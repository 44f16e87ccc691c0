// Closing and killing one application: a polite close request to its main window, a wait,
// and when it does not end, the user's choice of waiting longer, killing it or leaving it.
#pragma once
#include <windows.h>

#include "ProcessApi.h"

namespace tw::tray {

// How long one close attempt waits for the process to end.
constexpr DWORD kCloseWaitMs = 20000;
// The prompt after a wait ran out: Yes, No, Cancel (3), exclamation (48), No as the default
// (256), system modal (4096).
constexpr unsigned kNotRespondingFlags = 4403;
// Its text; the two sentences are parted by two carriage returns, no line feeds.
extern const char* const kNotRespondingText;

// The first window in the top-level order with neither parent nor owner that belongs to
// process `id` (visible or not); null when there is none.
HWND FindProcessWindow(ProcessId id);

// Ends process `id`: posts WM_CANCELMODE, then WM_CLOSE, to its window (when it has one)
// and waits up to 20 s for it. When the wait runs out, window events run once and the user
// is asked, under the window's title: Yes posts both messages again and waits another 20 s;
// No terminates it (exit code 0), and says so when the system refuses ("Non-Critical ERROR:
// Couldn't end <title>."); Cancel leaves it alone. A process that refuses terminate rights
// is opened to be waited for only. Gives 0 when the application counts as closed (it ended
// with exit code 0, was terminated, or could not be opened at all), else `id` (left alone,
// ended with a non-zero code, or terminating failed).
ProcessId CloseApp(ProcessId id);

}  // namespace tw::tray
