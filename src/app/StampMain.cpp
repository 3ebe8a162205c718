// kadrimarkexif-stamp: the stamp command for scripts (see StampCli.h).
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <cstdio>

#include "app/StampCli.h"

namespace {

// A standard descriptor that was closed gets /dev/null, opened for reading
// only: no file the run opens can take its number and receive the program's
// output, and writing to it still fails as writing to a closed one does.
void OccupyClosedStandardDescriptors() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) == -1 && errno == EBADF)
            open("/dev/null", O_RDONLY);  // takes the lowest free number: fd
    }
}

}  // namespace

int main(int argc, char** argv) {
    OccupyClosedStandardDescriptors();
    std::setlocale(LC_ALL, "");
    std::setlocale(LC_CTYPE, "C.UTF-8");  // names are UTF-8 whatever the locale says
    return RunStampCli(argc, argv, stdout, stderr);
}
