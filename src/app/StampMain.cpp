// kadrimarkexif-stamp: the stamp command for scripts (see StampCli.h).
#include <clocale>
#include <cstdio>

#include "app/StampCli.h"
#include "shell/ShellEnv.h"

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    std::setlocale(LC_CTYPE, "C.UTF-8");  // names are UTF-8 whatever the locale says
    TShellEnvScope shellEnv;
    return RunStampCli(argc, argv, stdout, stderr);
}
