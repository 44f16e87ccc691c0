// Test helper: writes a shell shortcut with the shell's own link object, for the
// end-to-end scripts.
//   make_link LINKFILE TARGET [ARGUMENTS]
// Exit code 0 when written, 1 on a failure, 2 on a wrong command line.
#include <windows.h>
#include <ole2.h>

#include "ShellLinkHelper.h"

int main(int argc, char** argv) {
    if (argc < 3 || argc > 4) return 2;
    if (FAILED(OleInitialize(nullptr))) return 1;
    tw::test::ShellLinkFields fields;
    fields.path = argv[2];
    if (argc == 4) fields.arguments = argv[3];
    HRESULT result = tw::test::CreateShellLink(argv[1], fields);
    OleUninitialize();
    return SUCCEEDED(result) ? 0 : 1;
}
