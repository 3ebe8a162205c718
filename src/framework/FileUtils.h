#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <string>

#include "framework/FileHandle.h"

// File facts and helpers that document-style components need.

// What a file offers before it is loaded for editing.
struct TFileProbe {
    // A regular file (links followed) that opens for reading.
    bool Readable = false;
    // Besides, it opens for reading and writing, carries a write bit in its
    // mode (so that root gets no pass on a read-only file) and no other process
    // holds a lock on it (flock LOCK_EX | LOCK_NB succeeds).
    bool Writable = false;
    // When not readable: the errno value that says why (EISDIR for a folder,
    // EINVAL for another kind of non-regular file).
    int Error = 0;
};

// Looks at the file without changing it; never blocks on a FIFO or a lock.
TFileProbe ProbeFile(const std::string& fileName);

// Opens a regular file (links followed) of at most `limit` bytes for reading.
// A name that is something else - a FIFO, a device, a folder - or a larger
// file is never opened; the descriptor is checked again after the open, as
// the name may have changed meanwhile, and the open never waits on a FIFO.
// On success `facts` holds fstat of the descriptor, through which all
// reading is to go. Otherwise the handle is invalid and errno says why:
// EISDIR for a folder, EINVAL for another kind of file, EFBIG for one that is
// too large, or what stat or open gave.
TFileHandle OpenRegularFile(const std::string& fileName, long long limit, struct stat& facts);

// True when anything at all carries that name (a dangling link included).
bool NameTaken(const std::string& fileName);

// Removes a file; false when it could not.
bool RemoveFile(const std::string& fileName);

// The system's temporary folder ($TMPDIR when set, else /tmp), trimmed of
// surrounding blanks, with one trailing '/'.
std::string TempFolderPath();

// Milliseconds on a monotonic clock, wrapping at 2^32.
std::uint32_t TickCountMs();
