// Module1: the folder lookup and the program entry of Marshal.
#include "Module1.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include "frmRegRun.h"
#include "operations/modRegStuff.h"

namespace tw::Module1 {

std::string OnlineStartupPath;
std::string StartupPath;

namespace {

const char* const kOnlineStartupFolder = "Online Startup\\";

}  // namespace

std::string GetSpecialFolder(int csidl) {
    LPITEMIDLIST items = nullptr;
    if (SHGetSpecialFolderLocation(nullptr, csidl, &items) != S_OK || !items) return std::string();
    char path[MAX_PATH] = {};
    BOOL found = SHGetPathFromIDListA(items, path);
    // The item list comes from the shell's allocator, which is COM's task allocator.
    CoTaskMemFree(items);
    if (!found) return std::string();
    return std::string(path) + "\\";
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
