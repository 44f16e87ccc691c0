// The tray window's launch and kill batches: every listed application that is not running
// started, or every one that runs closed, each shown in the status window. The monitor
// timer is off for the whole batch, so no tick runs inside one.
#include "frmDialOsprey.h"

#include "AppWindow.h"
#include "Clock.h"
#include "apps/Apps.h"
#include "apps/Close.h"
#include "apps/Launch.h"
#include "apps/ProcessDiscovery.h"

namespace tw::tray {

bool frmDialOsprey::BeginBatch() {
    UnloadAppWindow();
    const bool timerWasEnabled = tmrCheckConnection.Enabled();
    tmrCheckConnection.SetEnabled(false);
    ShowStatusWindow();
    Clock().Beep();
    return timerWasEnabled;
}

void frmDialOsprey::EndBatch(bool timerWasEnabled) {
    if (timerWasEnabled)
        tmrCheckConnection.SetEnabled(true);
    else
        tmrCheckConnection_Timer();  // the status follows the changes at once
    Hide();
}

void frmDialOsprey::LaunchAllApps() {
    const bool timerWasEnabled = BeginBatch();
    // No events run between two launches; setting the label repaints the window at once.
    for (size_t index = 0; index < Apps.size(); ++index) {
        AppInfo& app = Apps[index];
        if (IsProcessRunning(app.ProcessID)) continue;  // never started a second time
        imgTrayIcon.SetPicture(app.Icon);
        lblStatus.SetCaption("Now Running: " + DisplayName(app));
        app.ProcessID = LaunchApp(app);
    }
    EndBatch(timerWasEnabled);
}

void frmDialOsprey::KillAllApps() {
    const bool timerWasEnabled = BeginBatch();
    for (size_t index = 0; index < Apps.size(); ++index) {
        AppInfo& app = Apps[index];
        if (IsProcessRunning(app.ProcessID)) {
            imgTrayIcon.SetPicture(app.Icon);
            lblStatus.SetCaption("Now Killing: " + DisplayName(app));
            app.ProcessID = CloseApp(app.ProcessID);
        } else {
            app.ProcessID = 0;
        }
    }
    EndBatch(timerWasEnabled);
}

}  // namespace tw::tray
