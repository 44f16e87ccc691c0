// Fakes for the services the toolkit puts behind seams: message boxes, the clock and
// the settings store.
// Each installs itself on construction and restores the real service on destruction.
#pragma once
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "Clock.h"
#include "Prompt.h"
#include "Settings.h"

namespace tw::test {

// Answers message boxes from a queue (IDOK when the queue is empty) and records them.
class FakePrompter final : public IPrompter {
public:
    struct Shown {
        std::string text;
        unsigned flags;
        std::string title;
    };
    FakePrompter();
    ~FakePrompter() override;
    int MsgBox(const std::string& text, unsigned flags, const std::string& title) override;

    void Answer(int answer) { m_answers.push_back(answer); }
    // Runs inside the box, before the answer is given (to look at the screen, tick timers...).
    std::function<void(const Shown&)> onShow;
    std::vector<Shown> shown;

private:
    std::deque<int> m_answers;
    IPrompter* m_previous;
};

// A clock that stands still until told; WaitForEvents advances it by the time asked for.
class FakeClock final : public ISystemClock {
public:
    FakeClock();
    ~FakeClock() override;
    double Now() override { return m_now; }
    void WaitForEvents(unsigned milliseconds) override {
        m_now += milliseconds / 1000.0;
        ++waits;
        if (onWait) onWait();
    }
    void Beep() override { ++beeps; }
    void Advance(double seconds) { m_now += seconds; }

    int beeps = 0;
    int waits = 0;
    // Runs after each wait (what another program does meanwhile).
    std::function<void()> onWait;

private:
    double m_now = 1000.0;
    ISystemClock* m_previous;
};

// A settings store in memory. Application, section and key match in any letter case,
// as in the registry. `failSaves` makes every write fail (and store nothing).
class FakeSettingsStore final : public ISettingsStore {
public:
    FakeSettingsStore();
    ~FakeSettingsStore() override;
    std::string GetSetting(const std::string& app, const std::string& section,
                           const std::string& key, const std::string& defaultValue) override;
    bool SaveSetting(const std::string& app, const std::string& section, const std::string& key,
                     const std::string& value) override;

    // Direct access for tests: what is stored (nothing when absent), and presetting a value.
    std::optional<std::string> Value(const std::string& app, const std::string& section,
                                     const std::string& key) const;
    void Set(const std::string& app, const std::string& section, const std::string& key,
             const std::string& value);

    bool failSaves = false;
    int reads = 0;
    int saves = 0;  // attempted writes, failed ones included

private:
    static std::string Name(const std::string& app, const std::string& section,
                            const std::string& key);
    std::map<std::string, std::string> m_values;
    ISettingsStore* m_previous;
};

}  // namespace tw::test
