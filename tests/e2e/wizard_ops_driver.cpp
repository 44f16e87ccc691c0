// Runs the wizard's processing operations from the command line, for the end-to-end
// script: message boxes and page texts are printed instead of shown.
//   wizard_ops_driver regshortcut ONLINE\ REMOVED.REG HIVE VALUE SHORTCUT
//   wizard_ops_driver move STARTUP\ ONLINE\ NAME...
#include <windows.h>
#include <ole2.h>

#include <cstdio>
#include <string>
#include <vector>

#include "Prompt.h"
#include "Strings.h"
#include "operations/modDir.h"
#include "operations/modRegStuff.h"
#include "operations/modShellLnk.h"

namespace {

// Carriage returns printed as "|", so each text stays on one output line.
std::string OneLine(std::string text) {
    for (char& c : text)
        if (c == '\r' || c == '\n') c = '|';
    return text;
}

class PrintingPrompter final : public tw::IPrompter {
public:
    int MsgBox(const std::string& text, unsigned flags, const std::string&) override {
        std::printf("MSGBOX %u %s\n", flags, OneLine(text).c_str());
        std::fflush(stdout);
        return IDOK;
    }
};

int RegShortcut(char** argv) {
    tw::RegItem item;
    item.HiveName = argv[3];
    item.ValueName = argv[4];
    item.ShortcutName = argv[5];
    tw::modRegStuff::RunValue value;
    if (!tw::modRegStuff::ReadRunValue(item.HiveName, item.ValueName, value)) {
        std::printf("no such value\n");
        return 2;
    }
    item.CommandLine = tw::TrimNull(value.data);
    tw::modRegStuff::SetRemovedRegFile(argv[2]);
    tw::ProgressView progress;
    progress.step = [] { std::printf("STEP\n"); };
    tw::modShellLnk::CreateRegShortcuts({item}, argv[1], progress);
    return 0;
}

int Move(int argc, char** argv) {
    std::vector<std::string> names(argv + 3, argv + argc);
    tw::ProgressView progress;
    progress.step = [] { std::printf("STEP\n"); };
    progress.setContent = [](const std::string& text) { std::printf("TEXT %s\n", OneLine(text).c_str()); };
    tw::modDir::MoveStartupShortcuts(names, argv[1], argv[2], progress);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    OleInitialize(nullptr);
    PrintingPrompter prompter;
    tw::SetPrompter(&prompter);
    int result = 1;
    std::string command = argc > 1 ? argv[1] : "";
    if (command == "regshortcut" && argc == 7) result = RegShortcut(argv + 1);
    else if (command == "move" && argc >= 4) result = Move(argc - 1, argv + 1);
    else std::fprintf(stderr, "usage: regshortcut ONLINE REMOVED HIVE VALUE SHORTCUT | move STARTUP ONLINE NAME...\n");
    std::fflush(stdout);
    tw::SetPrompter(nullptr);
    OleUninitialize();
    return result;
}
