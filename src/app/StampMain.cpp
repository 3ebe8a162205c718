// kadrimarkexif-stamp: the stamp command for scripts (see StampCli.h).
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QCoreApplication>
#include <algorithm>
#include <cerrno>
#include <clocale>
#include <cstdio>

#include "app/StampCli.h"
#include "framework/ProgramLanguage.h"

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

// A run holds the descriptors of the photos it replaced until it lets them go
// in a batch (see TAtomicFileGroup): the bigger the batch, the less it waits.
// The soft limit is raised as far as the hard one allows, up to a bound.
void RaiseDescriptorLimit() {
    constexpr rlim_t kWanted = 1 << 16;
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0)
        return;
    const rlim_t wanted = std::min(limit.rlim_max, kWanted);
    if (limit.rlim_cur < wanted) {
        limit.rlim_cur = wanted;
        setrlimit(RLIMIT_NOFILE, &limit);
    }
}

}  // namespace

int main(int argc, char** argv) {
    OccupyClosedStandardDescriptors();
    RaiseDescriptorLimit();
    QCoreApplication application(argc, argv);  // holds the catalogues
    TProgramLanguage language(LanguageOfLocale(MessagesLocaleName()));
    std::setlocale(LC_ALL, "");
    std::setlocale(LC_CTYPE, "C.UTF-8");  // names are UTF-8 whatever the locale says
    return RunStampCli(argc, argv, stdout, stderr);
}
