#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "Instance.h"

namespace {

// Generous upper bounds for a helper process under Wine; the waits end as soon as the
// helper answers.
constexpr DWORD kStartTimeout = 30000;

std::string HelperPath() {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string exe(path, length);
    return exe.substr(0, exe.find_last_of('\\') + 1) + "hold_mutex.exe";
}

std::string UniqueName(const std::string& what) {
    return "TwInstanceTest-" + what + "-" + std::to_string(GetCurrentProcessId());
}

// Runs hold_mutex with `arguments`; the process handle, or null.
HANDLE StartHelper(const std::string& arguments) {
    std::string commandLine = "\"" + HelperPath() + "\" " + arguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return nullptr;
    CloseHandle(process.hThread);
    return process.hProcess;
}

DWORD WaitForExit(HANDLE process) {
    DWORD code = 999;
    if (WaitForSingleObject(process, kStartTimeout) == WAIT_OBJECT_0) GetExitCodeProcess(process, &code);
    CloseHandle(process);
    return code;
}

// A helper that holds `mutex` from construction until destruction.
class Holder {
public:
    explicit Holder(const std::string& mutex)
        : m_ready(CreateEventA(nullptr, TRUE, FALSE, (mutex + "-ready").c_str())),
          m_quit(CreateEventA(nullptr, TRUE, FALSE, (mutex + "-quit").c_str())),
          m_process(StartHelper(mutex + " " + mutex + "-ready " + mutex + "-quit")) {}
    Holder(const Holder&) = delete;
    Holder& operator=(const Holder&) = delete;
    ~Holder() {
        if (m_process) Release();
        CloseHandle(m_ready);
        CloseHandle(m_quit);
    }
    bool Started() { return m_process && WaitForSingleObject(m_ready, kStartTimeout) == WAIT_OBJECT_0; }
    // Lets the helper end; its exit code (0: it was the first to create the mutex).
    DWORD Release() {
        SetEvent(m_quit);
        HANDLE process = m_process;
        m_process = nullptr;
        return WaitForExit(process);
    }

private:
    HANDLE m_ready;
    HANDLE m_quit;
    HANDLE m_process;
};

}  // namespace

TEST(PrevInstance, TrueWhileAnotherProcessHoldsTheName) {
    std::string name = UniqueName("held");
    Holder holder(name);
    ASSERT_TRUE(holder.Started()) << HelperPath();
    EXPECT_TRUE(tw::PrevInstance(name));
    EXPECT_EQ(0u, holder.Release());
}

TEST(PrevInstance, FalseForTheFirstCopyWhichThenKeepsTheName) {
    std::string name = UniqueName("first");
    EXPECT_FALSE(tw::PrevInstance(name));
    // A copy started later finds the name taken: this process still holds it.
    HANDLE later = StartHelper(name);
    ASSERT_NE(nullptr, later);
    EXPECT_EQ(1u, WaitForExit(later));
    // Asking again from the same process is not another instance.
    EXPECT_FALSE(tw::PrevInstance(name));
}

TEST(PrevInstance, FalseOnceTheOtherCopyHasEnded) {
    std::string name = UniqueName("ended");
    {
        Holder holder(name);
        ASSERT_TRUE(holder.Started());
        EXPECT_EQ(0u, holder.Release());
    }
    EXPECT_FALSE(tw::PrevInstance(name));
}

TEST(PrevInstance, NamesAreIndependent) {
    std::string name = UniqueName("one");
    Holder holder(name);
    ASSERT_TRUE(holder.Started());
    EXPECT_FALSE(tw::PrevInstance(UniqueName("two")));
    EXPECT_TRUE(tw::PrevInstance(name));
}
