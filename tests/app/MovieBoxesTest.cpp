#include "app/MovieBoxes.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include "MovieFiles.h"
#include "support/TempDir.h"

namespace {

constexpr std::uint64_t kMoment = 3646752312;  // 2019-07-23 18:45:12 UTC

// A file in memory holding the given bytes, for the reader and the writes.
class MemoryMovie {
  public:
    explicit MemoryMovie(const std::string& bytes) : fd_(memfd_create("movie", MFD_CLOEXEC)) {
        if (pwrite(fd_, bytes.data(), bytes.size(), 0) != static_cast<ssize_t>(bytes.size()))
            ADD_FAILURE() << "cannot write the movie";
        size_ = static_cast<std::int64_t>(bytes.size());
    }
    ~MemoryMovie() { close(fd_); }
    MemoryMovie(const MemoryMovie&) = delete;
    MemoryMovie& operator=(const MemoryMovie&) = delete;

    int Fd() const { return fd_; }
    bool Read(TMovieTimes& times) const { return ReadMovieTimes(fd_, size_, times); }
    bool IsMovie() const {
        TMovieTimes times;
        return Read(times);
    }
    std::string Bytes() const {
        std::string bytes(static_cast<std::size_t>(size_), '\0');
        if (pread(fd_, bytes.data(), bytes.size(), 0) != static_cast<ssize_t>(bytes.size()))
            ADD_FAILURE() << "cannot read the movie";
        return bytes;
    }

  private:
    int fd_;
    std::int64_t size_ = 0;
};

// The box bytes with the size field (its first four bytes) replaced.
MoviePiece WithSize(MoviePiece box, std::uint32_t size) {
    box.bytes.replace(0, 4, BigEndianBytes(size, 4));
    return box;
}

void SetField(std::string& bytes, const TMovieTimeField& field, std::uint64_t value) {
    bytes.replace(static_cast<std::size_t>(field.offset), static_cast<std::size_t>(field.width),
                  BigEndianBytes(value, field.width));
}

MoviePiece Ftyp() {
    return MovieBox("ftyp", {RawPiece("isom" + BigEndianBytes(0, 4) + "mp41")});
}

MoviePiece Mdat() {
    return MovieBox("mdat", {RawPiece("frames")});
}

MoviePiece Mvhd(int version = 0) {
    return TimeHeaderBox("mvhd", version, 0, 0);
}

}  // namespace

TEST(ReadMovieTimes, FindsEveryTimeFieldInEachLayout) {
    const struct {
        const char* name;
        MovieLayout layout;
    } cases[] = {
        {"moov first", {}},
        {"moov last", {.moovFirst = false}},
        {"version 1", {.version = 1}},
        {"version 1, moov last", {.moovFirst = false, .version = 1}},
        {"64-bit sizes", {.moovSize = BoxSize::k64, .mdatSize = BoxSize::k64}},
        {"mdat to the end", {.mdatSize = BoxSize::kToEnd}},
        {"moov to the end", {.moovFirst = false, .moovSize = BoxSize::kToEnd}},
        {"two tracks", {.tracks = 2}},
        {"no track", {.tracks = 0}},
        {"free between", {.moovFirst = false, .freeBetween = true}},
        {"uuid box", {.uuidBox = true}},
        {"QuickTime", {.majorBrand = "qt  ", .compatibleBrands = "qt  "}},
        {"3GP", {.majorBrand = "3gp4", .compatibleBrands = "3gp43gp6"}},
        {"3G2", {.majorBrand = "3g2a", .compatibleBrands = ""}},
        {"M4V", {.majorBrand = "M4V ", .compatibleBrands = "M4A "}},
        {"compatible brand only", {.majorBrand = "mmp4", .compatibleBrands = "abcdmp42"}},
        {"times set", {.version = 1, .time = 0x1234567890}},
        {"old QuickTime, no ftyp", {.moovFirst = false, .ftyp = false}},
        {"old QuickTime, moov first", {.version = 1, .tracks = 2, .ftyp = false}},
    };
    for (const auto& c : cases) {
        MoviePiece movie = MakeMovie(c.layout);
        TMovieTimes times;
        ASSERT_TRUE(MemoryMovie(movie.bytes).Read(times)) << c.name;
        EXPECT_EQ(times.fields, movie.fields) << c.name;
        EXPECT_EQ(times.fields.size(), 2u + 4u * static_cast<unsigned>(c.layout.tracks)) << c.name;
    }
}

TEST(ReadMovieTimes, PassesOverWhatIsNoDatedMovieOrMalformed) {
    MoviePiece track = TrackBox(0, 0);
    MoviePiece moov = MovieBox("moov", {Mvhd(), track});
    MoviePiece mvhdTooShort = Mvhd();
    mvhdTooShort.bytes.pop_back();
    mvhdTooShort = WithSize(mvhdTooShort, static_cast<std::uint32_t>(mvhdTooShort.bytes.size()));
    MoviePiece version2 = Mvhd();
    version2.bytes[8] = 2;
    const struct {
        const char* name;
        MoviePiece movie;
    } cases[] = {
        {"photo brand", MakeMovie({.majorBrand = "heic", .compatibleBrands = "mif1heic"})},
        {"audio brand", MakeMovie({.majorBrand = "M4A ", .compatibleBrands = "M4A "})},
        {"ftyp not first", Mdat() + Ftyp() + moov},
        {"no ftyp, no moov", MovieBox("wide", {}) + Mdat()},
        {"no ftyp, no boxes", RawPiece(std::string("\xFF\xD8\xFF\xE0\0\x10JFIF", 10)) + moov},
        {"ftyp too short", MovieBox("ftyp", {RawPiece("isom")}) + moov + Mdat()},
        {"empty file", {}},
        {"no moov", Ftyp() + Mdat()},
        {"moov of 0 bytes", Ftyp() + MovieBox("moov", {}) + Mdat()},
        {"two moov", Ftyp() + moov + moov},
        {"no mvhd", Ftyp() + MovieBox("moov", {track})},
        {"two mvhd", Ftyp() + MovieBox("moov", {Mvhd(), Mvhd(), track})},
        {"trak without tkhd",
         Ftyp() +
             MovieBox(
                 "moov",
                 {Mvhd(), MovieBox("trak", {MovieBox("mdia", {TimeHeaderBox("mdhd", 0, 0, 0)})})})},
        {"trak without mdia",
         Ftyp() + MovieBox("moov", {Mvhd(), MovieBox("trak", {TimeHeaderBox("tkhd", 0, 0, 0)})})},
        {"mdia without mdhd",
         Ftyp() + MovieBox("moov", {Mvhd(), MovieBox("trak", {TimeHeaderBox("tkhd", 0, 0, 0),
                                                              MovieBox("mdia", {})})})},
        {"version 2", Ftyp() + MovieBox("moov", {version2})},
        {"mvhd shorter than its version", Ftyp() + MovieBox("moov", {mvhdTooShort})},
        {"box past the box holding it",
         Ftyp() + MovieBox("moov", {WithSize(Mvhd(), 108 + 14)}) + Mdat()},
        {"box past the end", Ftyp() + moov + WithSize(Mdat(), 4000)},
        {"size below its header", Ftyp() + WithSize(Mdat(), 7) + moov},
        {"64-bit size below its header",
         Ftyp() + RawPiece(BigEndianBytes(1, 4) + "free" + BigEndianBytes(15, 8)) + moov},
        {"size 0 inside a box", Ftyp() + MovieBox("moov", {Mvhd(), WithSize(track, 0)}) + Mdat()},
        {"bytes after the last box", Ftyp() + moov + RawPiece("abc")},
    };
    for (const auto& c : cases)
        EXPECT_FALSE(MemoryMovie(c.movie.bytes).IsMovie()) << c.name;
}

// Cut anywhere but between whole boxes, a video (with its ftyp or, an old
// QuickTime movie, without) is passed over; cut right after a complete moov
// it still holds together.
TEST(ReadMovieTimes, TruncationsArePassedOverUnlessBetweenWholeBoxes) {
    for (bool ftyp : {true, false}) {
        for (bool moovFirst : {true, false}) {
            std::string full = MakeMovie({.moovFirst = moovFirst, .tracks = 2, .ftyp = ftyp}).bytes;
            const std::size_t mdatStart = full.find("mdat") - 4;
            for (std::size_t length = 0; length <= full.size(); ++length) {
                const bool whole = length == full.size() || (moovFirst && length == mdatStart);
                EXPECT_EQ(MemoryMovie(full.substr(0, length)).IsMovie(), whole)
                    << ftyp << moovFirst << " " << length;
            }
        }
    }
}

TEST(DateMovie, SetsOnlyUnsetFieldsAndUndoGivesTheBytesBack) {
    const MovieLayout layouts[] = {
        {},
        {.moovFirst = false, .version = 1, .tracks = 2},
        {.moovSize = BoxSize::k64, .mdatSize = BoxSize::k64, .freeBetween = true},
    };
    for (const MovieLayout& layout : layouts) {
        MoviePiece movie = MakeMovie(layout);
        const std::uint64_t kept = 0x0BADF00D;  // a time another program wrote
        SetField(movie.bytes, movie.fields[3], kept);
        MemoryMovie file(movie.bytes);
        TMovieTimes times;
        ASSERT_TRUE(file.Read(times));
        ASSERT_TRUE(NeedsDating(times, kMoment));
        EXPECT_EQ(DateMovie(file.Fd(), times, kMoment), static_cast<int>(movie.fields.size()) - 1);

        std::string dated = movie.bytes;
        for (std::size_t i = 0; i < movie.fields.size(); ++i)
            SetField(dated, movie.fields[i], i == 3 ? kept : kMoment);
        EXPECT_EQ(file.Bytes(), dated);
        ASSERT_TRUE(file.Read(times));
        EXPECT_FALSE(NeedsDating(times, kMoment));

        EXPECT_EQ(UndateMovie(file.Fd(), times, kMoment),
                  static_cast<int>(movie.fields.size()) - 1);
        EXPECT_EQ(file.Bytes(), movie.bytes);
        ASSERT_TRUE(file.Read(times));
        EXPECT_EQ(UndateMovie(file.Fd(), times, kMoment), 0);
    }
}

TEST(NeedsDating, UnsetCreationOrADatingCutShort) {
    MoviePiece movie = MakeMovie({.tracks = 2});
    const struct {
        const char* name;
        std::uint64_t creation, trackTime;
        bool needed;
    } cases[] = {
        {"unset", 0, 0, true},
        {"unset, tracks dated", 0, kMoment, true},
        {"cut short", kMoment, 0, true},
        {"dated", kMoment, kMoment, false},
        {"another time", kMoment - 1, 0, false},
    };
    for (const auto& c : cases) {
        std::string bytes = movie.bytes;
        SetField(bytes, movie.fields[0], c.creation);
        SetField(bytes, movie.fields[1], c.creation);
        for (std::size_t i = 2; i < movie.fields.size(); ++i)
            SetField(bytes, movie.fields[i], c.trackTime);
        TMovieTimes times;
        ASSERT_TRUE(MemoryMovie(bytes).Read(times));
        EXPECT_EQ(NeedsDating(times, kMoment), c.needed) << c.name;
    }
}

TEST(MovieTime, CountsFrom1904AndFitsVersion0Until2040) {
    EXPECT_EQ(MovieTimeFromUnix(1563907512), kMoment);  // date -u -d @1563907512
    EXPECT_EQ(UnixTimeFromMovie(kMoment), 1563907512);
    TMovieTimes times;
    ASSERT_TRUE(MemoryMovie(MakeMovie({.version = 0}).bytes).Read(times));
    EXPECT_TRUE(MomentFits(times, MovieTimeFromUnix(2212122495)));  // 2040-02-06 06:28:15
    EXPECT_FALSE(MomentFits(times, MovieTimeFromUnix(2212122496)));
    ASSERT_TRUE(MemoryMovie(MakeMovie({.version = 1}).bytes).Read(times));
    EXPECT_TRUE(MomentFits(times, MovieTimeFromUnix(2212122496)));
}

// A 5 GB video whose moov follows the media data: the fields lie past 4 GB,
// and only they are read and written (the file is sparse).
TEST(DateMovie, MoovPastFourGigabytes) {
    TempDir dir;
    const std::int64_t mdatLength = 5LL << 30;
    MoviePiece head = Ftyp();
    head += RawPiece(BigEndianBytes(1, 4) + "mdat" + BigEndianBytes(mdatLength, 8));
    MoviePiece moov = MovieBox("moov", {Mvhd(1), TrackBox(0, 0)});
    const std::int64_t moovAt = static_cast<std::int64_t>(head.bytes.size()) + mdatLength - 16;
    int fd = open(dir.File("big.mp4").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(pwrite(fd, head.bytes.data(), head.bytes.size(), 0),
              static_cast<ssize_t>(head.bytes.size()));
    ASSERT_EQ(pwrite(fd, moov.bytes.data(), moov.bytes.size(), moovAt),
              static_cast<ssize_t>(moov.bytes.size()));
    const std::int64_t size = moovAt + static_cast<std::int64_t>(moov.bytes.size());
    TMovieTimes times;
    ASSERT_TRUE(ReadMovieTimes(fd, size, times));
    ASSERT_EQ(times.fields.size(), 6u);
    EXPECT_EQ(times.fields[0].offset, moovAt + 8 + 8 + 4);
    EXPECT_EQ(times.fields[0].width, 8);
    EXPECT_EQ(DateMovie(fd, times, kMoment), 6);
    ASSERT_TRUE(ReadMovieTimes(fd, size, times));
    for (const TMovieTimeField& field : times.fields)
        EXPECT_EQ(field.value, kMoment) << field.offset;
    close(fd);
}
