#include "app/MovieBoxes.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <functional>
#include <system_error>

namespace {

constexpr std::int64_t kUnixEpochInMovieTime = 2082844800;  // 1904-01-01 to 1970-01-01
constexpr int kMaxBoxes = 65536;
constexpr int kMaxBrands = 64;

constexpr std::uint32_t FourCc(const char (&text)[5]) {
    return std::uint32_t(std::uint8_t(text[0])) << 24 | std::uint32_t(std::uint8_t(text[1])) << 16 |
           std::uint32_t(std::uint8_t(text[2])) << 8 | std::uint32_t(std::uint8_t(text[3]));
}

constexpr std::uint32_t kFtyp = FourCc("ftyp");
constexpr std::uint32_t kMoov = FourCc("moov");
constexpr std::uint32_t kMvhd = FourCc("mvhd");
constexpr std::uint32_t kTrak = FourCc("trak");
constexpr std::uint32_t kTkhd = FourCc("tkhd");
constexpr std::uint32_t kMdia = FourCc("mdia");
constexpr std::uint32_t kMdhd = FourCc("mdhd");
constexpr std::uint32_t kUuid = FourCc("uuid");

// The smallest contents of a time-carrying header, by version.
struct TTimeHeader {
    std::uint32_t type;
    std::int64_t contents[2];
};
constexpr TTimeHeader kTimeHeaders[] = {
    {kMvhd, {100, 112}},
    {kTkhd, {84, 96}},
    {kMdhd, {24, 36}},
};

std::uint64_t BigEndian(const std::uint8_t* bytes, int width) {
    std::uint64_t value = 0;
    for (int i = 0; i < width; ++i)
        value = value << 8 | bytes[i];
    return value;
}

// "isom", "qt  ", "M4V ", or "mp4", "3gp", "3g2" and any fourth character.
bool IsDatedBrand(std::uint32_t brand) {
    constexpr std::uint32_t kFirstThree = 0xFFFFFF00;
    for (std::uint32_t whole : {FourCc("isom"), FourCc("qt  "), FourCc("M4V ")}) {
        if (brand == whole)
            return true;
    }
    for (std::uint32_t family : {FourCc("mp4 "), FourCc("3gp "), FourCc("3g2 ")}) {
        if ((brand & kFirstThree) == (family & kFirstThree))
            return true;
    }
    return false;
}

struct TBox {
    std::uint32_t type = 0;
    std::int64_t contents = 0;  // where the contents begin
    std::int64_t end = 0;
};

// Reads a file by position, counting box headers against kMaxBoxes. A read
// that the file is too short for fails quietly; any other failure throws.
class TBoxReader {
  public:
    TBoxReader(int fd, std::int64_t size) : fd_(fd), size_(size) {}

    bool Read(std::int64_t at, std::uint8_t* bytes, int count) const {
        if (at < 0 || count > size_ - at)
            return false;
        for (int done = 0; done < count;) {
            ssize_t got =
                pread(fd_, bytes + done, static_cast<std::size_t>(count - done), at + done);
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0)
                throw std::system_error(errno, std::generic_category());
            if (got == 0)
                return false;  // shorter than it was: changed meanwhile
            done += static_cast<int>(got);
        }
        return true;
    }

    // The box whose header starts at `at` inside a box ending at `end`.
    bool Header(std::int64_t at, std::int64_t end, TBox& box) {
        if (++headers_ > kMaxBoxes)
            return false;
        std::uint8_t bytes[16];
        if (at > end - 8 || !Read(at, bytes, 8))
            return false;
        std::uint64_t size = BigEndian(bytes, 4);
        box.type = static_cast<std::uint32_t>(BigEndian(bytes + 4, 4));
        box.contents = at + 8;
        if (size == 1) {
            if (at > end - 16 || !Read(at + 8, bytes + 8, 8))
                return false;
            size = BigEndian(bytes + 8, 8);
            box.contents += 8;
        } else if (size == 0) {
            size = static_cast<std::uint64_t>(size_ - at);
        }
        if (box.type == kUuid)
            box.contents += 16;
        const std::int64_t headerLength = box.contents - at;
        if (size < static_cast<std::uint64_t>(headerLength) ||
            size > static_cast<std::uint64_t>(end - at))
            return false;
        box.end = at + static_cast<std::int64_t>(size);
        return true;
    }

  private:
    int fd_;
    std::int64_t size_;
    int headers_ = 0;
};

// Calls `visit` for each box of [start, end), in order. False when a box does
// not fit or `visit` returns false.
bool WalkBoxes(TBoxReader& reader, std::int64_t start, std::int64_t end,
               const std::function<bool(const TBox&)>& visit) {
    for (std::int64_t at = start; at < end;) {
        TBox box;
        if (!reader.Header(at, end, box) || !visit(box))
            return false;
        at = box.end;
    }
    return true;
}

bool HasDatedBrand(const TBoxReader& reader, const TBox& ftyp) {
    std::uint8_t bytes[(2 + kMaxBrands) * 4];
    const std::int64_t length = std::min<std::int64_t>(ftyp.end - ftyp.contents, sizeof bytes);
    if (length < 8 || !reader.Read(ftyp.contents, bytes, static_cast<int>(length)))
        return false;
    for (std::int64_t at = 0; at + 4 <= length; at += at == 0 ? 8 : 4) {
        if (IsDatedBrand(static_cast<std::uint32_t>(BigEndian(bytes + at, 4))))
            return true;
    }
    return false;
}

// Adds the creation and modification times of an mvhd, tkhd or mdhd.
bool ReadTimeFields(const TBoxReader& reader, const TBox& box,
                    std::vector<TMovieTimeField>& fields) {
    std::uint8_t bytes[4 + 16];
    if (!reader.Read(box.contents, bytes, 1) || bytes[0] > 1)
        return false;
    const int version = bytes[0];
    const int width = version == 0 ? 4 : 8;
    for (const TTimeHeader& header : kTimeHeaders) {
        if (header.type == box.type && box.end - box.contents < header.contents[version])
            return false;
    }
    if (!reader.Read(box.contents, bytes, 4 + 2 * width))
        return false;
    for (int i = 0; i < 2; ++i) {
        const int at = 4 + i * width;
        fields.push_back({box.contents + at, width, BigEndian(bytes + at, width)});
    }
    return true;
}

// Reads the one box of type `type` among the children of `parent` that
// `read` takes; false unless there is exactly one and it reads well.
bool ReadOnly(TBoxReader& reader, const TBox& parent, std::uint32_t type,
              const std::function<bool(const TBox&)>& read) {
    int found = 0;
    return WalkBoxes(
               reader, parent.contents, parent.end,
               [&](const TBox& box) { return box.type != type || (++found == 1 && read(box)); }) &&
           found == 1;
}

bool ReadTrack(TBoxReader& reader, const TBox& trak, std::vector<TMovieTimeField>& fields) {
    return ReadOnly(reader, trak, kTkhd,
                    [&](const TBox& tkhd) { return ReadTimeFields(reader, tkhd, fields); }) &&
           ReadOnly(reader, trak, kMdia, [&](const TBox& mdia) {
               return ReadOnly(reader, mdia, kMdhd, [&](const TBox& mdhd) {
                   return ReadTimeFields(reader, mdhd, fields);
               });
           });
}

bool ReadMovie(TBoxReader& reader, const TBox& moov, TMovieTimes& times) {
    if (!ReadOnly(reader, moov, kMvhd,
                  [&](const TBox& mvhd) { return ReadTimeFields(reader, mvhd, times.fields); }))
        return false;
    return WalkBoxes(reader, moov.contents, moov.end, [&](const TBox& box) {
        return box.type != kTrak || ReadTrack(reader, box, times.fields);
    });
}

// Writes `value` into each chosen field, last field first, so that mvhd's
// creation time, which says whether a movie is dated, is written last.
int WriteFields(int fd, const TMovieTimes& times, std::uint64_t value,
                const std::function<bool(const TMovieTimeField&)>& chosen) {
    int written = 0;
    for (auto field = times.fields.rbegin(); field != times.fields.rend(); ++field) {
        if (!chosen(*field))
            continue;
        std::uint8_t bytes[8];
        for (int i = 0; i < field->width; ++i)
            bytes[i] = static_cast<std::uint8_t>(value >> (8 * (field->width - 1 - i)));
        ssize_t done;
        do {
            done = pwrite(fd, bytes, static_cast<std::size_t>(field->width), field->offset);
        } while (done < 0 && errno == EINTR);
        if (done != field->width)
            throw std::system_error(done < 0 ? errno : EIO, std::generic_category());
        ++written;
    }
    return written;
}

}  // namespace

std::uint64_t MovieTimeFromUnix(std::int64_t unixSeconds) {
    return static_cast<std::uint64_t>(unixSeconds + kUnixEpochInMovieTime);
}

std::int64_t UnixTimeFromMovie(std::uint64_t movieSeconds) {
    return static_cast<std::int64_t>(movieSeconds) - kUnixEpochInMovieTime;
}

bool ReadMovieTimes(int fd, std::int64_t size, TMovieTimes& times) {
    TBoxReader reader(fd, size);
    times.fields.clear();
    int boxes = 0;
    int movies = 0;
    return WalkBoxes(reader, 0, size,
                     [&](const TBox& box) {
                         const bool first = boxes++ == 0;
                         if (box.type == kFtyp)
                             return first && HasDatedBrand(reader, box);
                         return box.type != kMoov ||
                                (++movies == 1 && ReadMovie(reader, box, times));
                     }) &&
           movies == 1;
}

bool MomentFits(const TMovieTimes& times, std::uint64_t moment) {
    for (const TMovieTimeField& field : times.fields) {
        if (field.width == 4 && moment > UINT32_MAX)
            return false;
    }
    return true;
}

bool AnyFieldHolds(const TMovieTimes& times, std::uint64_t value) {
    for (const TMovieTimeField& field : times.fields) {
        if (field.value == value)
            return true;
    }
    return false;
}

bool NeedsDating(const TMovieTimes& times, std::uint64_t moment) {
    return times.Creation() == 0 || (times.Creation() == moment && AnyFieldHolds(times, 0));
}

int DateMovie(int fd, const TMovieTimes& times, std::uint64_t moment) {
    return WriteFields(fd, times, moment,
                       [](const TMovieTimeField& field) { return field.value == 0; });
}

int UndateMovie(int fd, const TMovieTimes& times, std::uint64_t moment) {
    return WriteFields(fd, times, 0,
                       [&](const TMovieTimeField& field) { return field.value == moment; });
}
