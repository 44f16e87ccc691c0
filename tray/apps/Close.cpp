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

// The least the close needs: wait for it, terminate it, read its exit code. Unlike
// PROCESS_ALL_ACCESS this also opens processes whose full rights are withheld.
constexpr DWORD kCloseAccess = SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION;

}  // namespace

HWND FindProcessWindow(ProcessId id) { return Windows().FindProcessWindow(id); }

ProcessId CloseApp(ProcessId id) {
    ProcessId result = id;
    std::unique_ptr<IProcess> process = Processes().Open(id, kCloseAccess);
    const HWND window = FindProcessWindow(id);
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
        const std::string title = window ? Windows().WindowText(window) : std::string();
        const int answer = MsgBox(kNotRespondingText, kNotRespondingFlags, title);
        if (answer == IDYES) continue;
        if (answer == IDNO) break;
        // Cancel (or a box that could not be shown): the application is left alone.
        return id;
    }
    process->Terminate(0);
    if (process->ExitCode() == 0) result = 0;
    return result;
}

}  // namespace tw::tray
