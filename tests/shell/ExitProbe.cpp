// A program that starts the shell environment, hands out and frees an item id
// list, and ends without ending the environment, as a program that exits
// early does: its end must still be clean.
#include "shell/IdLists.h"
#include "shell/ShellEnv.h"

int main() {
    InitShellEnv();
    FreeIdList(CopyIdList(nullptr, nullptr));
    return 0;
}
