#include "TrayFakes.h"

namespace tw::test {

FakeNetworkList::FakeNetworkList() : m_previous(SetNetworkList(this)) {}
FakeNetworkList::~FakeNetworkList() { SetNetworkList(m_previous); }

NetworkAnswer FakeNetworkList::Ask(bool connectivity, bool cost) {
    ++asked;
    askedConnectivity = connectivity;
    askedCost = cost;
    // What was not asked for is not answered, as the system's does.
    NetworkAnswer given = answer;
    if (!connectivity) given.hasConnectivity = given.signIn = false;
    if (!cost) given.hasCost = false;
    return given;
}

FakeConnectionProbe::FakeConnectionProbe() : m_previous(tray::SetConnectionProbe(this)) {}
FakeConnectionProbe::~FakeConnectionProbe() { tray::SetConnectionProbe(m_previous); }

bool FakeConnectionProbe::GetConnectedState(DWORD& flagsOut) {
    ++calls;
    Answer answer{result, flags};
    if (!m_answers.empty()) {
        answer = m_answers.front();
        m_answers.pop_front();
    }
    flagsOut = answer.flags;
    return answer.result;
}

// An opened fake process; the calls fail, as on a null handle, when it could not be opened,
// and each fails as on a real handle without the right it needs.
class FakeOpenedProcess final : public tray::IProcess {
public:
    FakeOpenedProcess(FakeProcesses& owner, tray::ProcessId id, bool opened, DWORD access)
        : m_owner(owner), m_id(id), m_opened(opened), m_access(access) {}

    bool Opened() const override { return m_opened; }
    DWORD Wait(DWORD milliseconds) override {
        m_owner.waits.push_back(milliseconds);
        FakeProcess* process = Target(SYNCHRONIZE);
        if (!process) return WAIT_FAILED;
        if (m_owner.onWait) {
            long answer = m_owner.onWait(*process, milliseconds);
            if (answer >= 0) return static_cast<DWORD>(answer);
        }
        if (!process->running) return WAIT_OBJECT_0;
        if (process->closeRequested && process->closesOnRequest) {
            process->running = false;
            process->exitCode = process->exitCodeOnClose;
            return WAIT_OBJECT_0;
        }
        return WAIT_TIMEOUT;
    }
    bool Terminate(UINT exitCode) override {
        FakeProcess* process = Target(PROCESS_TERMINATE);
        if (!process || !process->terminable || !process->running) return false;
        process->running = false;
        process->exitCode = exitCode;
        return true;
    }
    DWORD ExitCode() override {
        FakeProcess* process = Target(PROCESS_QUERY_INFORMATION | PROCESS_QUERY_LIMITED_INFORMATION);
        return process ? process->exitCode : 0;
    }

private:
    // The process, when the handle holds one of the `rights`.
    FakeProcess* Target(DWORD rights) {
        return m_opened && (m_access & rights) ? m_owner.Find(m_id) : nullptr;
    }
    FakeProcesses& m_owner;
    tray::ProcessId m_id;
    bool m_opened;
    DWORD m_access;
};

FakeProcesses::FakeProcesses()
    : m_previousProcesses(tray::SetProcessApi(this)), m_previousWindows(tray::SetWindowApi(this)) {}

FakeProcesses::~FakeProcesses() {
    tray::SetProcessApi(m_previousProcesses);
    tray::SetWindowApi(m_previousWindows);
}

FakeProcess& FakeProcesses::Add(const std::string& path, const std::string& title) {
    FakeProcess process;
    process.id = m_nextId;
    m_nextId += 4;
    process.path = path;
    process.created = m_nextCreated++;
    if (!title.empty()) {
        process.window = reinterpret_cast<HWND>(static_cast<INT_PTR>(0x10000 + process.id));
        process.title = title;
    }
    processes.push_back(process);
    return processes.back();
}

FakeProcess* FakeProcesses::Find(tray::ProcessId id) {
    for (FakeProcess& process : processes)
        if (process.id == id) return &process;
    return nullptr;
}

void FakeProcesses::End(tray::ProcessId id, DWORD exitCode) {
    if (FakeProcess* process = Find(id)) {
        process->running = false;
        process->exitCode = exitCode;
    }
}

bool FakeProcesses::ToolhelpProcesses(std::vector<tray::ProcessEntry>& list) {
    ++toolhelpCalls;
    list.clear();
    if (toolhelpFails) return false;
    for (const FakeProcess& process : processes)
        if (process.running)
            list.push_back({process.id, process.toolhelpName.empty() ? process.path
                                                                      : process.toolhelpName});
    return true;
}

bool FakeProcesses::ProcessStamps(std::vector<tray::ProcessStamp>& stamps) {
    ++psapiCalls;
    stamps.clear();
    if (psapiFails) return false;
    for (const FakeProcess& process : processes)
        if (process.running) stamps.push_back({process.id, process.created});
    return true;
}

bool FakeProcesses::ReadProcess(tray::ProcessId id, std::string& exePath, std::uint64_t& createdTime) {
    reads.push_back(id);
    FakeProcess* process = Find(id);
    if (!process || !process->running || !process->openable || process->path.empty()) return false;
    exePath = process->path;
    createdTime = process->createdWhenOpened ? process->createdWhenOpened : process->created;
    return true;
}

bool FakeProcesses::IsRunning(tray::ProcessId id) {
    ++isRunningCalls;
    FakeProcess* process = Find(id);
    return process && process->openable && process->running;
}

tray::ProcessId FakeProcesses::Create(const std::string& commandLine,
                                      const std::string& currentDirectory, int showCommand) {
    created.push_back({commandLine, currentDirectory, showCommand});
    if (onCreate) onCreate(created.back());
    if (createFails) return 0;
    // The program: a quoted path, or the command line up to its first blank.
    std::string program = commandLine.substr(0, commandLine.find(' '));
    if (!commandLine.empty() && commandLine[0] == '"')
        program = commandLine.substr(1, commandLine.find('"', 1) - 1);
    return Add(program, commandLine).id;
}

std::unique_ptr<tray::IProcess> FakeProcesses::Open(tray::ProcessId id, DWORD access) {
    openAccess.push_back(access);
    FakeProcess* process = Find(id);
    const bool opened = process && process->openable && !(access & process->deniedAccess);
    return std::make_unique<FakeOpenedProcess>(*this, id, opened, access);
}

HWND FakeProcesses::FindProcessWindow(tray::ProcessId id) {
    FakeProcess* process = Find(id);
    return process && process->running ? process->window : nullptr;
}

bool FakeProcesses::Post(HWND window, UINT message, WPARAM, LPARAM) {
    for (FakeProcess& process : processes) {
        if (process.window == window && process.running) {
            posted.push_back({window, message});
            if (message == WM_CLOSE) process.closeRequested = true;
            return true;
        }
    }
    return false;
}

std::string FakeProcesses::WindowText(HWND window) {
    for (const FakeProcess& process : processes)
        if (process.window == window && window) return process.title;
    return std::string();
}

}  // namespace tw::test
