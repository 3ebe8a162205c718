// Dating speed for videos. Makes COUNT videos of 500 MB each, named as
// Android names them (VID_YYYYMMDD_HHMMSS.mp4), their moov after the media
// data, which ftruncate leaves a hole (so they take no room), flushes them and
// drops them from the page cache, then times
//   stamper   kadrimarkexif-stamp --all-names --videos WORK_FOLDER
//   undo      kadrimarkexif-stamp --undo --videos WORK_FOLDER
//   exiftool  writing the same six dates from the names (when installed);
//             it rewrites each whole file, so it runs on EXIFTOOL_FILES of
//             them (default 2; 0 skips it) and the time is scaled to COUNT
// Usage: video_bench [WORK_FOLDER] [COUNT] [EXIFTOOL_FILES]
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "MovieFiles.h"

namespace fs = std::filesystem;

namespace {

constexpr std::int64_t kMediaBytes = 500LL << 20;
constexpr std::int64_t kFirstMoment = 1563907512;  // 2019-07-23 18:45:12 UTC

std::string VideoName(int i) {
    std::time_t moment = kFirstMoment + i * 61;
    char name[40];
    std::strftime(name, sizeof name, "VID_%Y%m%d_%H%M%S.mp4", std::gmtime(&moment));
    return name;
}

bool MakeVideo(const std::string& path) {
    const MovieLayout layout{.moovFirst = false, .tracks = 2};
    MoviePiece head = MakeFtyp(layout);
    head += RawPiece(BigEndianBytes(static_cast<std::uint64_t>(kMediaBytes) + 8, 4) + "mdat");
    const std::string box = MakeMoov(layout).bytes;
    const auto end = static_cast<off_t>(head.bytes.size()) + kMediaBytes;
    int fd = open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    bool made = fd >= 0 && pwrite(fd, head.bytes.data(), head.bytes.size(), 0) > 0 &&
                ftruncate(fd, end) == 0 &&
                pwrite(fd, box.data(), box.size(), end) == static_cast<ssize_t>(box.size()) &&
                fsync(fd) == 0 && posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED) == 0;
    if (fd >= 0)
        close(fd);
    return made;
}

// Runs the stamper with `options` over the folder; returns what it printed.
std::string Stamper(const std::string& options, const std::string& folder) {
    std::string output;
    std::string command = std::string(KADRIMARK_STAMP_EXE) + " " + options + " '" + folder + "'";
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, pipe) != nullptr)
            output += line;
        pclose(pipe);
    }
    return output;
}

double Seconds(const std::function<void()>& work) {
    auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void Report(const char* what, double seconds, int count) {
    std::printf("  %-24s %8.3f s  %8.1f videos/s\n", what, seconds, count / seconds);
}

}  // namespace

int main(int argc, char** argv) {
    std::string work =
        argc > 1 ? argv[1] : (fs::temp_directory_path() / "kadrimark-video-bench").string();
    const int count = argc > 2 ? std::max(1, std::atoi(argv[2])) : 100;
    const int exiftoolFiles = argc > 3 ? std::max(0, std::atoi(argv[3])) : 2;
    fs::remove_all(work);
    fs::create_directories(work);
    for (int i = 0; i < count; ++i) {
        if (!MakeVideo(work + "/" + VideoName(i))) {
            std::perror("video_bench: cannot make the videos");
            return 1;
        }
    }
    std::printf("%d sparse videos of %lld MB, moov after the media data\n", count,
                static_cast<long long>(kMediaBytes >> 20));
    std::string said;
    Report("stamper", Seconds([&] { said = Stamper("--all-names --videos", work); }), count);
    std::printf("    %s", said.c_str());
    Report("undo", Seconds([&] { said = Stamper("--undo --videos", work); }), count);
    std::printf("    %s", said.c_str());
    if (exiftoolFiles > 0 && std::system("command -v exiftool >/dev/null 2>&1") == 0) {
        std::string files;
        for (int i = 0; i < exiftoolFiles && i < count; ++i)
            files += " '" + work + "/" + VideoName(i) + "'";
        const std::string command =
            "exiftool -q -q -overwrite_original -api QuickTimeUTC '-CreateDate<FileName' "
            "'-ModifyDate<FileName' '-TrackCreateDate<FileName' '-TrackModifyDate<FileName' "
            "'-MediaCreateDate<FileName' '-MediaModifyDate<FileName'" +
            files + " && sync";
        double seconds = Seconds([&] { (void)std::system(command.c_str()); });
        std::printf("  %-24s %8.3f s for %d, %.1f s scaled to %d\n", "exiftool", seconds,
                    exiftoolFiles, seconds / exiftoolFiles * count, count);
    }
    fs::remove_all(work);
    return 0;
}
