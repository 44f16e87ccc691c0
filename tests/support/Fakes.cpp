#include "Fakes.h"

#include <cctype>

namespace tw::test {

FakePrompter::FakePrompter() : m_previous(SetPrompter(this)) {}
FakePrompter::~FakePrompter() { SetPrompter(m_previous); }

int FakePrompter::MsgBox(const std::string& text, unsigned flags, const std::string& title) {
    shown.push_back({text, flags, title});
    if (onShow) onShow(shown.back());
    if (m_answers.empty()) return 1;  // IDOK
    int answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

FakeClock::FakeClock() : m_previous(SetClock(this)) {}
FakeClock::~FakeClock() { SetClock(m_previous); }

FakeSettingsStore::FakeSettingsStore() : m_previous(SetSettingsStore(this)) {}
FakeSettingsStore::~FakeSettingsStore() { SetSettingsStore(m_previous); }

std::string FakeSettingsStore::Name(const std::string& app, const std::string& section,
                                    const std::string& key) {
    std::string name = app + '\\' + section + '\\' + key;
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return name;
}

std::string FakeSettingsStore::GetSetting(const std::string& app, const std::string& section,
                                          const std::string& key,
                                          const std::string& defaultValue) {
    ++reads;
    auto found = m_values.find(Name(app, section, key));
    return found == m_values.end() ? defaultValue : found->second;
}

bool FakeSettingsStore::SaveSetting(const std::string& app, const std::string& section,
                                    const std::string& key, const std::string& value) {
    ++saves;
    if (failSaves) return false;
    m_values[Name(app, section, key)] = value;
    return true;
}

std::optional<std::string> FakeSettingsStore::Value(const std::string& app,
                                                    const std::string& section,
                                                    const std::string& key) const {
    auto found = m_values.find(Name(app, section, key));
    if (found == m_values.end()) return std::nullopt;
    return found->second;
}

void FakeSettingsStore::Set(const std::string& app, const std::string& section,
                            const std::string& key, const std::string& value) {
    m_values[Name(app, section, key)] = value;
}

}  // namespace tw::test
