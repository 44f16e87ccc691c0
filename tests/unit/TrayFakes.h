// Fakes for Lookout's seams: the connection probe and the process layer (processes and
// their top-level windows). Each installs itself on construction and restores the real
// layer on destruction.
#pragma once
#include <windows.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "apps/ProcessApi.h"
#include "monitor/Connection.h"

namespace tw::test {

// Answers probes from a queue, then with `result` and `flags`; counts the probes.
// A stand-in for the Network List Manager: gives `answer` and counts the questions.
class FakeNetworkList final : public INetworkList {
public:
    FakeNetworkList();
    ~FakeNetworkList() override;
    NetworkAnswer Ask(bool connectivity, bool cost) override;

    NetworkAnswer answer;
    int asked = 0;
    bool askedConnectivity = false;
    bool askedCost = false;

private:
    INetworkList* m_previous;
};

class FakeConnectionProbe final : public tray::IConnectionProbe {
public:
    struct Answer {
        bool result;
        DWORD flags;
    };
    FakeConnectionProbe();
    ~FakeConnectionProbe() override;
    bool GetConnectedState(DWORD& flags) override;

    void Queue(bool answer, DWORD answerFlags) { m_answers.push_back({answer, answerFlags}); }
    // The answer once the queue is empty: connected through a LAN by default.
    bool result = true;
    DWORD flags = 0x02;
    int calls = 0;

private:
    std::deque<Answer> m_answers;
    tray::IConnectionProbe* m_previous;
};

// One simulated process. A live process has exit code STILL_ACTIVE (259).
struct FakeProcess {
    tray::ProcessId id = 0;
    std::string path;          // what the process status library reports
    std::string toolhelpName;  // what Toolhelp reports ("" = the same as `path`)
    std::uint64_t created = 0; // its creation time (Add gives every process its own)
    std::uint64_t createdWhenOpened = 0;  // what an open finds instead (0: `created`), as
                                          // when the id is reused before the open
    bool running = true;
    DWORD exitCode = tray::kStillActive;
    bool openable = true;      // false: OpenProcess fails (another user's process)
    bool terminable = true;    // false: TerminateProcess fails
    DWORD deniedAccess = 0;    // rights OpenProcess refuses: asking for any of them fails
    HWND window = nullptr;     // its top-level window (a made-up handle), or none
    std::string title;
    bool closesOnRequest = true;  // a posted WM_CLOSE ends it at the next wait
    DWORD exitCodeOnClose = 0;
    bool closeRequested = false;
};

// The process layer in memory: `processes` in enumeration order, `platformId` 2 (NT).
class FakeProcesses final : public tray::IProcessApi, public tray::IWindowApi {
public:
    struct Posted {
        HWND window;
        UINT message;
    };
    struct Created {
        std::string commandLine;
        std::string currentDirectory;
        int showCommand;
    };

    FakeProcesses();
    ~FakeProcesses() override;

    // Adds a running process for `path` with a fresh id and a window titled `title`
    // (no window when `title` is empty); the reference is good until the next Add/Create.
    FakeProcess& Add(const std::string& path, const std::string& title = std::string());
    FakeProcess* Find(tray::ProcessId id);
    // Ends a process with `exitCode`.
    void End(tray::ProcessId id, DWORD exitCode = 0);

    // IProcessApi
    std::int32_t PlatformId() override { return platformId; }
    bool ToolhelpProcesses(std::vector<tray::ProcessEntry>& list) override;
    bool ProcessStamps(std::vector<tray::ProcessStamp>& stamps) override;
    bool ReadProcess(tray::ProcessId id, std::string& exePath, std::uint64_t& createdTime) override;
    bool IsRunning(tray::ProcessId id) override;
    tray::ProcessId Create(const std::string& commandLine, const std::string& currentDirectory,
                           int showCommand) override;
    std::unique_ptr<tray::IProcess> Open(tray::ProcessId id, DWORD access) override;
    // IWindowApi
    HWND FindProcessWindow(tray::ProcessId id) override;
    bool Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    std::string WindowText(HWND window) override;

    std::int32_t platformId = tray::kPlatformNT;
    bool toolhelpFails = false;
    bool psapiFails = false;
    bool createFails = false;  // Create starts nothing and gives 0
    std::vector<FakeProcess> processes;
    // Runs inside each wait before the usual answer; a non-negative result is the answer.
    std::function<long(FakeProcess&, DWORD milliseconds)> onWait;
    // Runs inside each Create, after it was recorded and before anything is started.
    std::function<void(const Created&)> onCreate;

    // What was asked.
    int toolhelpCalls = 0;
    int psapiCalls = 0;                // process status enumerations
    std::vector<tray::ProcessId> reads;  // processes opened for their path, in order
    int isRunningCalls = 0;
    std::vector<Created> created;
    std::vector<Posted> posted;
    std::vector<DWORD> openAccess;
    std::vector<DWORD> waits;  // time-outs, in order

private:
    friend class FakeOpenedProcess;
    tray::ProcessId m_nextId = 1000;
    std::uint64_t m_nextCreated = 1;
    tray::IProcessApi* m_previousProcesses;
    tray::IWindowApi* m_previousWindows;
};

}  // namespace tw::test
