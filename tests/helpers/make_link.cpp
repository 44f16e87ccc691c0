// Test helper: writes a shell shortcut with the shell's own link object, for the
// end-to-end scripts.
//   make_link LINKFILE TARGET [ARGUMENTS]
// The arguments may hold any characters (read as UTF-16, passed on in UTF-8). Exit code 0
// when written, 1 on a failure, 2 on a wrong command line.
#include <windows.h>
#include <ole2.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "ShellLinkHelper.h"

int main() {
    int argc = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::vector<std::string> argv;
    for (int i = 0; i < argc; ++i) {
        int length = WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
        std::string text(length > 0 ? static_cast<size_t>(length) : 1, '\0');
        if (length > 0) WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, &text[0], length, nullptr, nullptr);
        text.resize(text.size() - 1);
        argv.push_back(text);
    }
    LocalFree(wide);
    if (argc < 3 || argc > 4) return 2;
    if (FAILED(OleInitialize(nullptr))) return 1;
    tw::test::ShellLinkFields fields;
    fields.path = argv[2];
    if (argc == 4) fields.arguments = argv[3];
    HRESULT result = tw::test::CreateShellLink(argv[1], fields);
    OleUninitialize();
    return SUCCEEDED(result) ? 0 : 1;
}
