// Starts the idle_app helper (tests/helpers) as a real process to find, close and kill, and
// terminates it when the test is over.
#pragma once
#include <windows.h>

#include <string>

namespace tw::test {

// The folder of the running test executable, ending in "\" (the helpers are built there).
std::string TestBinFolder();
// The full path of the built idle_app.exe.
std::string IdleAppPath();
// Copies idle_app.exe to `folder` + `name` (an executable of a path no other test uses);
// the new path, or "" on failure.
std::string CopyIdleApp(const std::string& folder, const std::string& name);

class HelperProcess {
public:
    // Starts `exePath` with `arguments` and waits (up to 30 s) until it waits for input.
    HelperProcess(const std::string& exePath, const std::string& arguments = std::string(),
                  const std::string& currentDirectory = std::string());
    HelperProcess(const HelperProcess&) = delete;
    HelperProcess& operator=(const HelperProcess&) = delete;
    ~HelperProcess();  // terminates it if it still runs

    bool Started() const { return m_process != nullptr && m_ready; }
    DWORD Id() const { return m_id; }
    HANDLE Handle() const { return m_process; }
    // Terminates it and waits until it has ended.
    void Kill();
    // Waits (up to 30 s) until it has ended; its exit code, or 999 when it did not end.
    DWORD WaitForExit();

private:
    HANDLE m_process = nullptr;
    DWORD m_id = 0;
    bool m_ready = false;
};

}  // namespace tw::test
