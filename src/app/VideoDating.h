#pragma once

#include <time.h>

#include <cstdint>

#include "app/MovieBoxes.h"

class TPhotoFile;

// Dating a video in place. A video is never copied: the time fields of its
// movie headers (MovieBoxes.h) are written onto the very file the run opened
// and read, through a second descriptor reached from the first, after the
// checks a photo's rewrite makes: the folder entry still names that file
// with the size, modification and change times it had when read; nobody has
// opened it for writing since (its read lease holds); and no other process
// holds a lock on it (the write holds an exclusive lock for its span). A
// video that fails a check is passed over, unchanged.

// Reads the video's movie times through its descriptor. False when it is no
// movie this program dates (see ReadMovieTimes). Throws EFOpenError when it
// cannot be read.
bool ReadVideoTimes(const TPhotoFile& video, TMovieTimes& times);

struct TVideoWrite {
    std::uint64_t moment = 0;  // movie time (MovieTimeFromUnix)
    bool undo = false;         // set the fields holding `moment` back to 0
    timespec modified{};       // the modification time the file is left with
};

// What WriteVideoTimes did.
enum class TVideoWritten { Written, PassedOver, TimeNotKept };

// Dates the video (DateMovie) or takes the dates back (UndateMovie), sets
// its modification time, then flushes the data to disk, all through the
// descriptor; the video is handed over and cannot be written again. TimeNotKept: written, but
// the modification time could not be set (only the file's owner may). REQUIRES: `times` read from
// the video; video.Writable(). Throws EFOpenError when the video cannot be opened for writing and
// EWriteError when a write or the flush fails (the fields written before stay written).
TVideoWritten WriteVideoTimes(TPhotoFile& video, const TMovieTimes& times,
                              const TVideoWrite& write);
