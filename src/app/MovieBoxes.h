#pragma once

#include <cstdint>
#include <vector>

// What the stamp command must know of a video's box structure to date it,
// and the in-place writes that date it. MP4, 3GP and QuickTime files are a
// sequence of boxes:
//
//   size (4, big-endian, counts the whole box)  type (4 characters)
//   [size 1: the real size (8, big-endian) follows the type]
//   [size 0: the box runs to the end of the file]
//   [type "uuid": an extended type (16) follows]
//   contents
//
// The boxes read, and the fields read in them:
//   ftyp  major brand (4), minor version (4), compatible brands (4 each);
//         the first box when there is one (old QuickTime movies have none)
//   moov  container: mvhd, and any number of trak
//   trak  container: tkhd, and mdia (container: mdhd)
//   mvhd, tkhd, mdhd  version (1), flags (3), then
//         version 0: creation time (4), modification time (4), ...
//         version 1: creation time (8), modification time (8), ...
//         (whole contents at least mvhd 100 / 112, tkhd 84 / 96, mdhd 24 / 36
//         bytes for version 0 / 1)
// Times count seconds since 1904-01-01 00:00 UTC; 0 means unset.
//
// Only box headers and these fields are read, never the media data, so a
// large video costs a few dozen small reads wherever its moov lies.

// One creation or modification time field of a movie's headers.
struct TMovieTimeField {
    std::int64_t offset = 0;  // in the file
    int width = 0;            // 4 or 8 bytes
    std::uint64_t value = 0;  // as read
    friend bool operator==(const TMovieTimeField&, const TMovieTimeField&) = default;
};

// Every creation and modification time of a movie: mvhd's creation time
// first, its modification time second, then those of each trak's tkhd and
// mdhd in file order.
struct TMovieTimes {
    std::vector<TMovieTimeField> fields;
    std::uint64_t Creation() const { return fields.front().value; }
};

// The movie clock: seconds since 1904-01-01 00:00 UTC for seconds since
// 1970-01-01 00:00 UTC, and back.
std::uint64_t MovieTimeFromUnix(std::int64_t unixSeconds);
std::int64_t UnixTimeFromMovie(std::uint64_t movieSeconds);

// Reads the movie's times through `fd` (pread only; the file offset is not
// used), the file being `size` bytes long. True when the file is a movie this
// program dates; false, with `times` unspecified, when it is not or is
// malformed:
//  - an ftyp is not the first box, or does not name, as major or compatible
//    brand, "isom", "qt  ", "M4V " or one beginning "mp4", "3gp" or "3g2"
//    (a file without any ftyp is an old QuickTime movie, which starts with
//    its moov, mdat, wide or free box, and is read as one);
//  - a box is shorter than its header or runs past the box holding it (past
//    the end of the file at the top level), or the file ends inside a header;
//  - there is not exactly one moov, in it exactly one mvhd, and in each trak
//    exactly one tkhd and one mdia holding exactly one mdhd;
//  - a header of mvhd, tkhd or mdhd has a version other than 0 and 1, or is
//    shorter than its version's contents;
//  - more than 65536 box headers would have to be read.
// Throws std::system_error (generic category) when reading fails otherwise.
bool ReadMovieTimes(int fd, std::int64_t size, TMovieTimes& times);

// Whether `moment` fits every field: version 0 fields hold no moment past
// 2040-02-06 06:28:15 UTC.
bool MomentFits(const TMovieTimes& times, std::uint64_t moment);

// Whether some field holds `value` (0: some field is unset).
bool AnyFieldHolds(const TMovieTimes& times, std::uint64_t value);

// Whether DateMovie would date the movie for `moment`: its mvhd creation time
// is unset, or it is `moment` while another field is still unset (a dating
// that was cut short).
bool NeedsDating(const TMovieTimes& times, std::uint64_t moment);

// Sets every field that is unset to `moment` through `fd` (open for writing;
// no other byte is written), mvhd's creation time last, each by one write of
// its own width. A field holding another time keeps it. An interruption
// leaves a valid movie with some fields dated, which NeedsDating still picks
// up. The caller flushes (the writes change the file's modification time,
// which it may want to set first). Returns the number of fields written.
// REQUIRES: MomentFits(times, moment). Throws std::system_error on a failed
// or short write; fields written before it stay written.
int DateMovie(int fd, const TMovieTimes& times, std::uint64_t moment);

// Sets back to 0 exactly the fields that hold `moment`, in the same way.
// Returns the number of fields written.
int UndateMovie(int fd, const TMovieTimes& times, std::uint64_t moment);
