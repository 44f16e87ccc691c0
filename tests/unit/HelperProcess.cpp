#include "HelperProcess.h"

namespace tw::test {
namespace {

// Generous for a process start under Wine; the waits end as soon as the helper answers.
constexpr DWORD kHelperTimeout = 30000;

}  // namespace

std::string TestBinFolder() {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string exe(path, length);
    return exe.substr(0, exe.find_last_of('\\') + 1);
}

std::string IdleAppPath() { return TestBinFolder() + "idle_app.exe"; }

std::string CopyIdleApp(const std::string& folder, const std::string& name) {
    std::string target = folder + name;
    return CopyFileA(IdleAppPath().c_str(), target.c_str(), FALSE) ? target : std::string();
}

HelperProcess::HelperProcess(const std::string& exePath, const std::string& arguments,
                             const std::string& currentDirectory) {
    std::string commandLine = "\"" + exePath + "\"";
    if (!arguments.empty()) commandLine += " " + arguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        currentDirectory.empty() ? nullptr : currentDirectory.c_str(), &startup,
                        &info))
        return;
    CloseHandle(info.hThread);
    m_process = info.hProcess;
    m_id = info.dwProcessId;
    m_ready = WaitForInputIdle(m_process, kHelperTimeout) == 0;
}

HelperProcess::~HelperProcess() {
    if (!m_process) return;
    Kill();
    CloseHandle(m_process);
}

void HelperProcess::Kill() {
    if (!m_process) return;
    TerminateProcess(m_process, 0);
    WaitForSingleObject(m_process, kHelperTimeout);
}

DWORD HelperProcess::WaitForExit() {
    DWORD code = 999;
    if (m_process && WaitForSingleObject(m_process, kHelperTimeout) == WAIT_OBJECT_0)
        GetExitCodeProcess(m_process, &code);
    return code;
}

}  // namespace tw::test
