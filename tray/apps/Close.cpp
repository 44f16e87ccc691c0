// FindProcessWindow and CloseApp over the installed process and window layers.
#include "Close.h"

#include <string>

#include "Form.h"
#include "Prompt.h"

namespace tw::tray {

const char* const kNotRespondingText =
    "This program is not responding. It may be busy, waiting for a response from you, or it "
    "may have stopped running.\r\rClick Yes to wait for the application, No to kill the "
    "application, or Cancel to leave the application alone.";

namespace {

// The least the close needs: wait for it, terminate it, read its exit code (with the
// query right that IsRunning uses). Unlike PROCESS_ALL_ACCESS this also opens processes
// whose full rights are withheld.
DWORD CloseAccess() { return SYNCHRONIZE | PROCESS_TERMINATE | QueryAccess(); }

// A process that refuses those (one running with higher rights than ours) may still be
// waited for and asked for its exit code; it is then closed politely like any other, and
// only the kill fails.
std::unique_ptr<IProcess> OpenForClose(ProcessId id) {
    std::unique_ptr<IProcess> process = Processes().Open(id, CloseAccess());
    if (!process->Opened()) process = Processes().Open(id, SYNCHRONIZE | QueryAccess());
    return process;
}

}  // namespace

HWND FindProcessWindow(ProcessId id) { return Windows().FindProcessWindow(id); }

ProcessId CloseApp(ProcessId id) {
    ProcessId result = id;
    std::unique_ptr<IProcess> process = OpenForClose(id);
    const HWND window = FindProcessWindow(id);
    std::string title;
    bool killChosen = false;
    for (;;) {
        if (window) {
            // WM_CANCELMODE first: it ends an open menu or a mouse capture that would keep
            // the application from acting on the close request.
            Windows().Post(window, WM_CANCELMODE, 0, 0);
            Windows().Post(window, WM_CLOSE, 0, 0);
        }
        // A process that could not be opened fails the wait at once: it counts as closed.
        if (process->Wait(kCloseWaitMs) != WAIT_TIMEOUT) break;
        DoEvents();
        title = window ? Windows().WindowText(window) : std::string();
        const int answer = MsgBox(kNotRespondingText, kNotRespondingFlags, title);
        if (answer == IDYES) continue;
        killChosen = answer == IDNO;
        if (killChosen) break;
        // Cancel (or a box that could not be shown): the application is left alone.
        return id;
    }
    const bool terminated = process->Terminate(0);
    const DWORD exitCode = process->ExitCode();
    if (exitCode == 0) result = 0;
    // The system refused the kill and the application still runs: it stays tracked.
    if (killChosen && !terminated && exitCode == kStillActive)
        MsgBox("Non-Critical ERROR: Couldn't end " + title + ".", MB_ICONEXCLAMATION);
    return result;
}

}  // namespace tw::tray
