// Reads one input as a video, through a file as the stamp command reads one.
// Nothing may crash or read outside the input; what the reader accepts must
// hold together: its time fields lie inside the file, apart, holding what was
// read; dating them changes those fields only, and undating gives back every
// byte.
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "app/MovieBoxes.h"

namespace {

constexpr std::uint64_t kMoment = 3646752312;  // 2019-07-23 18:45:12 UTC

void Require(bool condition) {
    if (!condition)
        std::abort();
}

int File() {
    static const int fd = memfd_create("movie", MFD_CLOEXEC);
    Require(fd >= 0);
    return fd;
}

std::vector<std::uint8_t> Contents(std::size_t size) {
    std::vector<std::uint8_t> bytes(size);
    Require(pread(File(), bytes.data(), size, 0) == static_cast<ssize_t>(size));
    return bytes;
}

std::uint64_t FieldIn(const std::uint8_t* data, const TMovieTimeField& field) {
    std::uint64_t value = 0;
    for (int i = 0; i < field.width; ++i)
        value = value << 8 | data[field.offset + i];
    return value;
}

void CheckFields(const std::uint8_t* data, std::int64_t size, const TMovieTimes& times) {
    Require(times.fields.size() >= 2 && times.fields.size() % 2 == 0);
    std::vector<TMovieTimeField> sorted = times.fields;
    std::sort(sorted.begin(), sorted.end(),
              [](const auto& a, const auto& b) { return a.offset < b.offset; });
    std::int64_t free = 0;
    for (const TMovieTimeField& field : sorted) {
        Require(field.width == 4 || field.width == 8);
        Require(field.offset >= free && field.offset + field.width <= size);
        Require(FieldIn(data, field) == field.value);
        free = field.offset + field.width;
    }
}

void CheckDating(const std::uint8_t* data, std::int64_t size, const TMovieTimes& before) {
    for (const TMovieTimeField& field : before.fields) {
        if (field.value == kMoment)
            return;  // undating would unset it too
    }
    if (!MomentFits(before, kMoment) || !NeedsDating(before, kMoment))
        return;
    DateMovie(File(), before, kMoment);
    TMovieTimes after;
    Require(ReadMovieTimes(File(), size, after) && after.fields.size() == before.fields.size());
    Require(!NeedsDating(after, kMoment));
    for (std::size_t i = 0; i < after.fields.size(); ++i) {
        Require(after.fields[i].offset == before.fields[i].offset);
        Require(after.fields[i].value ==
                (before.fields[i].value == 0 ? kMoment : before.fields[i].value));
    }
    UndateMovie(File(), after, kMoment);
    Require(std::memcmp(Contents(static_cast<std::size_t>(size)).data(), data,
                        static_cast<std::size_t>(size)) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Require(ftruncate(File(), 0) == 0);
    Require(size == 0 || pwrite(File(), data, size, 0) == static_cast<ssize_t>(size));
    const auto length = static_cast<std::int64_t>(size);
    TMovieTimes times;
    if (!ReadMovieTimes(File(), length, times))
        return 0;
    CheckFields(data, length, times);
    CheckDating(data, length, times);
    return 0;
}
