#pragma once

#include <cstdint>
#include <string>

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

// True when anything at all carries that name (a dangling link included).
bool NameTaken(const std::string& fileName);

// Removes a file; false when it could not.
bool RemoveFile(const std::string& fileName);

// The system's temporary folder ($TMPDIR when set, else /tmp), trimmed of
// surrounding blanks, with one trailing '/'.
std::string TempFolderPath();

// Milliseconds on a monotonic clock, wrapping at 2^32.
std::uint32_t TickCountMs();
