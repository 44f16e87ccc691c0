// Module1: the folder lookup and the program entry of Marshal.
#include "Module1.h"

#include <windows.h>
#include <shlobj.h>

#include "Instance.h"
#include "System.h"
#include "frmRegRun.h"
#include "operations/modRegStuff.h"

namespace tw::Module1 {

std::string OnlineStartupPath;
std::string StartupPath;

namespace {

const char* const kOnlineStartupFolder = "Online Startup\\";
// No backslash: Windows 95/98/Me reject it in a mutex name.
const char* const kInstanceName = "Tetherwatch.Marshal.Instance";

}  // namespace

std::string GetSpecialFolder(int csidl) {
    const std::string folder = sys::SpecialFolder(csidl);
    return folder.empty() ? folder : folder + "\\";
}

void FindFolders() {
    OnlineStartupPath = modRegStuff::AddBackslash(GetSpecialFolder(CSIDL_PROGRAMS)) + kOnlineStartupFolder;
    StartupPath = modRegStuff::AddBackslash(GetSpecialFolder(CSIDL_STARTUP));
}

FormSlot<frmRegRun>& WizardWindow() {
    static FormSlot<frmRegRun> wizard;
    return wizard;
}

void Main() {
    // One wizard at a time, as one Lookout: two would each read REMOVED.REG, add their entry
    // and move their new file over it, and the later move would drop the other's entry. A
    // second copy ends at once, without a word.
    if (PrevInstance(kInstanceName)) return;
    FindFolders();
    WizardWindow()().ShowModal();
    CollectRetiredForms();
}

}  // namespace tw::Module1
