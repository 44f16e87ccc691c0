// Module1: the folder lookup and the program entry of Marshal.
#include "Module1.h"

#include <windows.h>
#include <shlobj.h>

#include "System.h"
#include "frmRegRun.h"
#include "operations/modRegStuff.h"

namespace tw::Module1 {

std::string OnlineStartupPath;
std::string StartupPath;

namespace {

const char* const kOnlineStartupFolder = "Online Startup\\";

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
    FindFolders();
    WizardWindow()().ShowModal();
    CollectRetiredForms();
}

}  // namespace tw::Module1
