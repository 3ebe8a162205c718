// Stamping speed against the durable floor. Makes folders of baseline JPEGs
// named DD-MM-YY_HHMM.jpg - 300 of about 2 MB, 300 and 3,000 of about 50 KB,
// and a tree of 10,000 of about 50 KB in 100 subfolders - then times, on a
// fresh copy of each folder every time (the copy made outside the timed part):
//   floor     cp -r of the folder, then sync (and plain cp -r for reference)
//   stamper   kadrimarkexif-stamp [-r] FOLDER (every photo on disk before its
//             rename)
//   jhead     jhead -mkexif -ts<date> per file, then sync      (when installed)
//   exiftool  one call writing the three dates from the names, then sync
// (the last two for the 300-photo folders only) and prints files per second
// and each time's ratio to the floor (median of the runs). The stamper's copy
// is read once before its run, as cp's source is, since the machine may have
// dropped some of its pages; a run of the stamper is followed by a minute's
// pause, since the files it freed would slow whatever makes files next (both
// outside the timed part).
// Usage: stamp_bench [WORK_FOLDER] [RUNS] [CASE...] (cases by label: 2MB,
// 50KB, 50KB-3000, 50KB-tree; all when none is named)
#include <QGuiApplication>
#include <QImage>
#include <QRandomGenerator>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Long enough for a file system to stop treating freed inodes as recent
// (ext4 without a journal passes over inodes freed in the last minute when it
// makes a file, which slows whatever makes files next).
constexpr std::chrono::seconds kSettle(65);

struct Photos {
    std::string label;
    int files;
    int folders;  // 0: the photos in the folder itself; else spread over subfolders
    int width, height, quality;
    bool others;  // time the other tools too
};

int Shell(const std::string& command) {
    return std::system(command.c_str());
}

std::string Quote(const std::string& path) {
    return "'" + path + "'";
}

// A different moment for each of the first 483,840 photos.
std::string PhotoName(int i) {
    char name[32];
    std::snprintf(name, sizeof name, "%02d-%02d-07_%02d%02d.jpg", 1 + i / 1440 % 28,
                  1 + i / 40320 % 12, i / 60 % 24, i % 60);
    return name;
}

// The photo's path below the folder.
std::string PhotoPath(const Photos& photos, int i) {
    if (photos.folders == 0)
        return PhotoName(i);
    return "day" + std::to_string(i % photos.folders) + "/" + PhotoName(i);
}

// Noise with a gentle gradient: a photo-like amount of detail, so the sizes
// come out near the targets.
QImage Picture(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    auto* random = QRandomGenerator::global();
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            int noise = static_cast<int>(random->bounded(96));
            line[x] = qRgb((x * 255 / width + noise) % 256, (y * 255 / height + noise) % 256,
                           (noise * 2) % 256);
        }
    }
    return image;
}

long long MakeFolder(const std::string& folder, const Photos& photos) {
    fs::create_directories(folder);
    long long bytes = 0;
    const std::string picture = folder + "/../picture.jpg";
    for (int i = 0; i < photos.files; ++i) {
        if (i % 30 == 0)  // a few different pictures are enough
            Picture(photos.width, photos.height)
                .save(QString::fromStdString(picture), "JPEG", photos.quality);
        const std::string path = folder + "/" + PhotoPath(photos, i);
        fs::create_directories(fs::path(path).parent_path());
        fs::copy_file(picture, path);
        bytes += static_cast<long long>(fs::file_size(path));
    }
    fs::remove(picture);
    return bytes;
}

void Restore(const std::string& source, const std::string& copy) {
    fs::remove_all(copy);
    Shell("cp -r " + Quote(source) + " " + Quote(copy) + " && sync");
}

double Seconds(const std::function<void()>& work) {
    auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Median time of `runs` runs of `command` over a fresh copy of `source`.
double Time(const std::string& source, const std::string& copy, int runs,
            const std::function<void()>& command) {
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        Restore(source, copy);
        times.push_back(Seconds(command));
    }
    return Median(times);
}

bool Installed(const std::string& tool) {
    return Shell("command -v " + tool + " >/dev/null 2>&1") == 0;
}

void JheadEach(const std::string& folder, int files) {
    for (int i = 0; i < files; ++i) {
        std::string name = PhotoName(i);
        std::string stamp = "20" + name.substr(6, 2) + ":" + name.substr(3, 2) + ":" +
                            name.substr(0, 2) + "-" + name.substr(9, 2) + ":" + name.substr(11, 2) +
                            ":00";
        Shell("jhead -q -mkexif -ts" + stamp + " " + Quote(folder + "/" + name) + " >/dev/null");
    }
    Shell("sync");
}

// Times each tool `runs` times, one run of each in turn, so that a changing
// load on a shared machine falls on all of them alike; each tool does its own
// untimed preparation and returns the time of its timed part. Returns the
// medians.
std::vector<double> Interleaved(int runs, const std::vector<std::function<double()>>& tools) {
    std::vector<std::vector<double>> times(tools.size());
    for (int run = 0; run < runs; ++run) {
        for (std::size_t tool = 0; tool < tools.size(); ++tool)
            times[tool].push_back(tools[tool]());
    }
    std::vector<double> medians;
    for (const std::vector<double>& each : times)
        medians.push_back(Median(each));
    return medians;
}

// The two references: cp -r followed by sync (every byte on disk, the durable
// floor), and plain cp -r. On a shared machine sync also waits for everyone
// else's dirty data, so both ratios are printed.
struct Floors {
    double durable;
    double plain;
};

void Report(const char* tool, double seconds, int files, const Floors& floors) {
    std::printf("  %-9s %8.3f s  %8.1f files/s  %6.2f x cp+sync  %6.2f x cp\n", tool, seconds,
                files / seconds, seconds / floors.durable, seconds / floors.plain);
    std::fflush(stdout);
}

void Bench(const std::string& work, const Photos& photos, int runs) {
    std::string source = work + "/" + photos.label;
    std::string copy = work + "/" + photos.label + "-run";
    long long bytes = MakeFolder(source, photos);
    const int files = photos.files;
    std::printf("%d photos of %.1f KB on average%s\n", files, bytes / 1024.0 / files,
                photos.folders == 0
                    ? ""
                    : (" in " + std::to_string(photos.folders) + " subfolders").c_str());
    // Every copy is made before the timed runs and none is removed during
    // them: a file system may pass over recently freed inodes when it makes
    // new files, which would weigh on whatever runs next.
    for (int run = 0; run < runs; ++run)
        Shell("cp -r " + Quote(source) + " " + Quote(copy + std::to_string(run)));
    Shell("sync");
    std::this_thread::sleep_for(kSettle);
    int floorRun = 0, plainRun = 0, stampRun = 0;
    auto copyTime = [&](const std::string& label, int& run, const std::string& after) {
        return [&, label, after] {
            Shell("sync");
            const std::string target = work + "/" + label + std::to_string(run++);
            return Seconds([&] { Shell("cp -r " + Quote(source) + " " + Quote(target) + after); });
        };
    };
    const std::string stamper =
        std::string(KADRIMARK_STAMP_EXE) + (photos.folders == 0 ? " " : " -r ");
    // The stamper frees the photos it replaced: the next run waits until the
    // file system treats them as old, so that no run pays for another's.
    std::vector<double> medians = Interleaved(
        runs, {copyTime("floor", floorRun, " && sync"), copyTime("plain", plainRun, ""), [&] {
                   const std::string target = copy + std::to_string(stampRun++);
                   Shell("find " + Quote(target) + " -type f -exec cat {} + >/dev/null && sync");
                   const double seconds =
                       Seconds([&] { Shell(stamper + Quote(target) + " >/dev/null"); });
                   Shell("sync");
                   std::this_thread::sleep_for(kSettle);
                   return seconds;
               }});
    for (int run = 0; run < runs; ++run) {
        for (const std::string& folder : {work + "/floor", work + "/plain", copy})
            fs::remove_all(folder + std::to_string(run));
    }
    Floors floors{medians[0], medians[1]};
    Report("cp+sync", floors.durable, files, floors);
    Report("cp", floors.plain, files, floors);
    Report("stamper", medians[2], files, floors);
    if (photos.others && Installed("jhead"))
        Report("jhead", Time(source, copy, runs, [&] { JheadEach(copy, files); }), files, floors);
    if (photos.others && Installed("exiftool")) {
        const std::string dates =
            "'-AllDates<${filename;s/^(\\d\\d)-(\\d\\d)-(\\d\\d)_(\\d\\d)(\\d\\d).*/20$3:$2:$1 "
            "$4:$5:00/}'";
        Report("exiftool",
               Time(source, copy, 1,
                    [&] {
                        Shell("exiftool -q -q -overwrite_original " + dates + " " + Quote(copy) +
                              " && sync");
                    }),
               files, floors);
    }
    fs::remove_all(source);
    fs::remove_all(copy);
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);  // pictures only, no window
    QGuiApplication app(argc, argv);
    std::string work =
        argc > 1 ? argv[1] : (fs::temp_directory_path() / "kadrimark-bench").string();
    int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    const std::vector<std::string> named(argv + std::min(argc, 3), argv + argc);
    fs::remove_all(work);
    for (const Photos& photos :
         {Photos{"2MB", 300, 0, 1500, 1150, 97, true}, Photos{"50KB", 300, 0, 400, 300, 75, true},
          Photos{"50KB-3000", 3000, 0, 400, 300, 75, false},
          Photos{"50KB-tree", 10000, 100, 400, 300, 75, false}}) {
        if (named.empty() || std::find(named.begin(), named.end(), photos.label) != named.end())
            Bench(work, photos, runs);
    }
    fs::remove_all(work);
    return 0;
}
