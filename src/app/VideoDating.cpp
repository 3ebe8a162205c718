#include "app/VideoDating.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <utility>

#include "app/PhotoFolder.h"
#include "framework/AtomicFile.h"
#include "framework/StreamErrors.h"

namespace {

// Whether the video is still as it was read; throws when it cannot be seen.
bool Unchanged(const TFileOrigin& origin) {
    const int changed = CheckUnchanged(origin);
    if (changed > 0)
        throw EFOpenError::CannotOpen(origin.path, changed);
    return changed == 0;
}

// The writing descriptor, locked against other processes for the write; an
// invalid handle when another process's lease or lock stands in the way.
TFileHandle LockedWriter(const TFileOrigin& origin) {
    TFileHandle writer = ReopenForWriting(origin.file.Get());
    if (!writer.Valid()) {
        if (errno == EWOULDBLOCK)
            return writer;
        throw EFOpenError::CannotOpen(origin.path, errno);
    }
    if (flock(writer.Get(), LOCK_EX | LOCK_NB) == 0)
        return writer;
    if (errno != EWOULDBLOCK)
        throw EFOpenError::CannotOpen(origin.path, errno);
    return TFileHandle();
}

}  // namespace

bool ReadVideoTimes(const TPhotoFile& video, TMovieTimes& times) {
    try {
        return ReadMovieTimes(video.Handle(), video.Facts().st_size, times);
    } catch (const std::system_error& error) {
        throw EFOpenError::CannotOpen(video.Path(), error.code().value());
    }
}

TVideoWritten WriteVideoTimes(TPhotoFile& video, const TMovieTimes& times,
                              const TVideoWrite& write) {
    TFileOrigin origin;
    if (!video.TakeOrigin(origin) || !Unchanged(origin))
        return TVideoWritten::PassedOver;
    if (std::exchange(origin.leased, false))
        fcntl(origin.file.Get(), F_SETLEASE, F_UNLCK);  // our own writer would break it
    TFileHandle writer = LockedWriter(origin);
    // Seen again under the lock: nobody wrote it while the lease was let go.
    if (!writer.Valid() || !Unchanged(origin))
        return TVideoWritten::PassedOver;
    try {
        if (write.undo)
            UndateMovie(writer.Get(), times, write.moment);
        else
            DateMovie(writer.Get(), times, write.moment);
    } catch (const std::system_error& error) {
        throw EWriteError::InFile(origin.path, error.code().value());
    }
    // The file's time is set right after the writes, which changed it, and
    // before the slow flush: an interruption finds it wrong only in between.
    const timespec fileTimes[2] = {{0, UTIME_OMIT}, write.modified};
    const bool timeKept = futimens(writer.Get(), fileTimes) == 0;
    if (fdatasync(writer.Get()) != 0)
        throw EWriteError::InFile(origin.path, errno);
    return timeKept ? TVideoWritten::Written : TVideoWritten::TimeNotKept;
}
