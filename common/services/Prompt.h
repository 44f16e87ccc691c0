// Message boxes: the one way both programs ask or tell the user something.
// Every box goes through the installed IPrompter, so tests answer them.
#pragma once
#include <string>

namespace tw {

// Flags and answers are MessageBoxA's own: MB_OK, MB_OKCANCEL, MB_YESNOCANCEL, MB_ICONSTOP,
// MB_ICONEXCLAMATION, MB_ICONINFORMATION, MB_DEFBUTTON2, MB_SYSTEMMODAL; IDOK, IDCANCEL, IDYES, IDNO.
class IPrompter {
public:
    virtual ~IPrompter() = default;
    virtual int MsgBox(const std::string& text, unsigned flags, const std::string& title) = 0;
};

// The program's own title ("Tetherwatch", "Online StartUp Wizard"), set once at entry.
void SetAppTitle(const std::string& title);
const std::string& AppTitle();

// Installs a prompter (nullptr restores the real one, MessageBoxA) and returns the previous one.
IPrompter* SetPrompter(IPrompter* prompter);

// Shows a message box; an empty title means the program's title.
int MsgBox(const std::string& text, unsigned flags = 0, const std::string& title = std::string());

}  // namespace tw
