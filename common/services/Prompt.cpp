#include "Prompt.h"

#include <windows.h>

#include "System.h"

namespace tw {
namespace {

// A message box owned by the thread's active window, so a modal form stays behind its box.
class Win32Prompter final : public IPrompter {
public:
    int MsgBox(const std::string& text, unsigned flags, const std::string& title) override {
        return sys::ShowMessageBox(GetActiveWindow(), text, title, flags);
    }
};

Win32Prompter g_win32Prompter;
IPrompter* g_prompter = &g_win32Prompter;
std::string g_appTitle;

}  // namespace

void SetAppTitle(const std::string& title) { g_appTitle = title; }
const std::string& AppTitle() { return g_appTitle; }

IPrompter* SetPrompter(IPrompter* prompter) {
    IPrompter* previous = g_prompter;
    g_prompter = prompter ? prompter : &g_win32Prompter;
    return previous;
}

int MsgBox(const std::string& text, unsigned flags, const std::string& title) {
    return g_prompter->MsgBox(text, flags, title.empty() ? g_appTitle : title);
}

}  // namespace tw
