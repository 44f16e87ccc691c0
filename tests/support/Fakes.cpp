#include "Fakes.h"

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

}  // namespace tw::test
