// Runs the wizard's processing operations from the command line, for the end-to-end
// script: message boxes and page texts are printed instead of shown.
//   wizard_ops_driver regshortcut ONLINE\ REMOVED.REG HIVE VALUE SHORTCUT
//   wizard_ops_driver move STARTUP\ ONLINE\ NAME...
//   wizard_ops_driver process STARTUP\ ONLINE\ REMOVED.REG [move NAME | reg HIVE VALUE SHORTCUT]...
//   wizard_ops_driver hold FILE SECONDS
// `process` does the processing page's work in one run: the leftover of a cut-short export
// taken care of, the moves, then the Run values. HIVE is HKEY_CURRENT_USER or
// HKEY_LOCAL_MACHINE, the latter followed by /64 or /32 for a view of the machine's key on
// 64-bit Windows (as page 2 lists it there).
// `hold` keeps FILE open for reading without sharing its deletion, as a virus scanner does,
// printing "HELD" once it is open, and lets go after SECONDS.
// Before any of them, `changes K` prints each change to the user's files and registry as it
// happens ("CHANGE kind target") and ends the process with TerminateProcess right after the
// K-th (0: never), printing first the files written and not flushed since ("UNFLUSHED path"):
// what a power failure at that moment may lose.
#include <windows.h>
#include <ole2.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "Prompt.h"
#include "Strings.h"
#include "System.h"
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

tw::ProgressView PrintingProgress() {
    tw::ProgressView progress;
    progress.step = [] { std::printf("STEP\n"); };
    progress.setContent = [](const std::string& text) { std::printf("TEXT %s\n", OneLine(text).c_str()); };
    return progress;
}

// The Run value as page 2 lists it; false (and said so) when it cannot be read.
bool ListedItem(const char* hive, const char* value, const char* shortcut, tw::RegItem& item) {
    std::string hiveName = hive;
    tw::RegView view = tw::RegView::Shared;
    const std::string::size_type slash = hiveName.find('/');
    if (slash != std::string::npos) {
        view = hiveName.substr(slash + 1) == "32" ? tw::RegView::Wow32 : tw::RegView::Native;
        hiveName.erase(slash);
    }
    item = tw::RegItem{shortcut, hiveName, std::string(), value};
    item.View = view;
    tw::modRegStuff::RunValue data;
    if (!tw::modRegStuff::ReadRunValue(item.HiveName, item.ValueName, data, item.View)) {
        std::printf("no such value\n");
        return false;
    }
    item.CommandLine = tw::sys::RegText(data);
    return true;
}

// ---- Ending the process at the k-th change -------------------------------------------------

constexpr UINT kEndedAtChange = 99;
long g_changesLeft = 0;  // the changes still to happen before the end; 0: no end
// Files written (or copied or saved) and not flushed since: as sys::FoldFileName spells
// them, and as they were named.
std::map<std::string, std::string> g_unflushed;

void OnChange(tw::sys::Change change, const std::string& target) {
    using tw::sys::Change;
    static const char* const kNames[] = {"Write", "Flush", "Copy", "Rename", "Delete", "ShortcutSave", "RegistryDelete"};
    std::printf("CHANGE %s %s\n", kNames[static_cast<int>(change)], target.c_str());
    const std::string file = tw::sys::FoldFileName(target);
    switch (change) {
    case Change::Write:
    case Change::Copy:
    case Change::ShortcutSave:
        g_unflushed[file] = target;
        break;
    case Change::Flush:
    case Change::Delete:
        g_unflushed.erase(file);
        break;
    case Change::Rename: {
        // An unflushed file that is gone from its own name is what was moved there.
        bool moved = false;
        for (auto it = g_unflushed.begin(); it != g_unflushed.end();) {
            const bool gone = tw::sys::FileAttributes(it->first) == INVALID_FILE_ATTRIBUTES;
            moved = moved || gone;
            it = gone ? g_unflushed.erase(it) : std::next(it);
        }
        if (moved) g_unflushed[file] = target;
        break;
    }
    case Change::RegistryDelete:
        break;
    }
    if (g_changesLeft == 0 || --g_changesLeft > 0) {
        std::fflush(stdout);
        return;
    }
    for (const auto& unflushed : g_unflushed) std::printf("UNFLUSHED %s\n", unflushed.second.c_str());
    std::fflush(stdout);
    TerminateProcess(GetCurrentProcess(), kEndedAtChange);
}

int RegShortcut(char** argv) {
    tw::RegItem item;
    if (!ListedItem(argv[3], argv[4], argv[5], item)) return 2;
    tw::modRegStuff::SetRemovedRegFile(argv[2]);
    tw::modShellLnk::CreateRegShortcuts({item}, argv[1], PrintingProgress());
    return 0;
}

int Move(int argc, char** argv) {
    std::vector<std::string> names(argv + 3, argv + argc);
    tw::modDir::MoveStartupShortcuts(names, argv[1], argv[2], PrintingProgress());
    return 0;
}

int Process(int argc, char** argv) {
    std::vector<std::string> moves;
    std::vector<tw::RegItem> items;
    for (int i = 4; i < argc;) {
        const std::string kind = argv[i];
        if (kind == "move" && i + 1 < argc) {
            moves.push_back(argv[i + 1]);
            i += 2;
        } else if (kind == "reg" && i + 3 < argc) {
            items.emplace_back();
            if (!ListedItem(argv[i + 1], argv[i + 2], argv[i + 3], items.back())) return 2;
            i += 4;
        } else {
            std::fprintf(stderr, "bad item %s\n", argv[i]);
            return 1;
        }
    }
    tw::modRegStuff::SetRemovedRegFile(argv[3]);
    tw::modRegStuff::RecoverRemovedReg();
    tw::modDir::MoveStartupShortcuts(moves, argv[1], argv[2], PrintingProgress());
    tw::modShellLnk::CreateRegShortcuts(items, argv[2], PrintingProgress());
    return 0;
}

int Hold(char** argv) {
    HANDLE file = CreateFileW(tw::ToWide(argv[1]).data(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 2;
    std::printf("HELD\n");
    std::fflush(stdout);
    Sleep(static_cast<DWORD>(std::strtol(argv[2], nullptr, 10) * 1000));
    CloseHandle(file);
    return 0;
}

}  // namespace

int main(int, char**) {
    // The arguments in UTF-8, whatever the ANSI code page holds (names may be of any script);
    // what is printed is UTF-8 too.
    int argc = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::vector<std::string> arguments;
    for (int i = 0; i < argc; ++i) arguments.push_back(tw::FromWide(wide[i]));
    LocalFree(wide);
    std::vector<char*> pointers;
    for (std::string& argument : arguments) pointers.push_back(&argument[0]);
    pointers.push_back(nullptr);
    char** argv = pointers.data();
    OleInitialize(nullptr);
    PrintingPrompter prompter;
    tw::SetPrompter(&prompter);
    const std::string option = argc > 2 ? argv[1] : "";
    if (option == "changes") {
        g_changesLeft = std::strtol(argv[2], nullptr, 10);
        tw::sys::SetChangeObserver(&OnChange);
        argc -= 2;
        argv += 2;
    }
    int result = 1;
    std::string command = argc > 1 ? argv[1] : "";
    if (command == "regshortcut" && argc == 7) result = RegShortcut(argv + 1);
    else if (command == "move" && argc >= 4) result = Move(argc - 1, argv + 1);
    else if (command == "process" && argc >= 5) result = Process(argc - 1, argv + 1);
    else if (command == "hold" && argc == 4) result = Hold(argv + 1);
    else std::fprintf(stderr, "usage: [changes K] regshortcut ONLINE REMOVED HIVE VALUE SHORTCUT | move STARTUP ONLINE NAME... | "
                              "process STARTUP ONLINE REMOVED [move NAME | reg HIVE VALUE SHORTCUT]...\n");
    std::fflush(stdout);
    tw::SetPrompter(nullptr);
    OleUninitialize();
    return result;
}
