// Stamping speed against the durable floor. Makes a folder of 300 baseline
// JPEGs of about 2 MB and one of 300 of about 50 KB, named DD-MM-YY_HHMM.jpg,
// then times, on a fresh copy of each folder every time:
//   floor     cp -r of the folder, then sync (and plain cp -r for reference)
//   stamper   kadrimarkexif-stamp FOLDER (every photo on disk before its rename)
//   jhead     jhead -mkexif -ts<date> per file, then sync      (when installed)
//   exiftool  one call writing the three dates from the names, then sync
// and prints files per second and each time's ratio to the floor (median of
// the runs). Usage: stamp_bench [WORK_FOLDER] [RUNS]
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
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kFiles = 300;

struct Photos {
    std::string label;
    int width, height, quality;
};

int Shell(const std::string& command) {
    return std::system(command.c_str());
}

std::string Quote(const std::string& path) {
    return "'" + path + "'";
}

std::string PhotoName(int i) {
    char name[32];
    std::snprintf(name, sizeof name, "%02d-%02d-%02d_%02d%02d.jpg", 1 + i % 28, 1 + i / 28 % 12,
                  7 + i % 10, i % 24, i % 60);
    return name;
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
    for (int i = 0; i < kFiles; ++i) {
        if (i % 10 == 0)  // a few different pictures are enough
            Picture(photos.width, photos.height)
                .save(QString::fromStdString(folder + "/tmp.jpg"), "JPEG", photos.quality);
        fs::copy_file(folder + "/tmp.jpg", folder + "/" + PhotoName(i));
        bytes += static_cast<long long>(fs::file_size(folder + "/" + PhotoName(i)));
    }
    fs::remove(folder + "/tmp.jpg");
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

void JheadEach(const std::string& folder) {
    for (int i = 0; i < kFiles; ++i) {
        std::string name = PhotoName(i);
        std::string stamp = "20" + name.substr(6, 2) + ":" + name.substr(3, 2) + ":" +
                            name.substr(0, 2) + "-" + name.substr(9, 2) + ":" + name.substr(11, 2) +
                            ":00";
        Shell("jhead -q -mkexif -ts" + stamp + " " + Quote(folder + "/" + name) + " >/dev/null");
    }
    Shell("sync");
}

// The two references: cp -r followed by sync (every byte on disk, the durable
// floor), and plain cp -r. On a shared machine sync also waits for everyone
// else's dirty data, so both ratios are printed.
struct Floors {
    double durable;
    double plain;
};

Floors MeasureFloors(const std::string& source, const std::string& work, int runs) {
    std::string copy = work + "/floor";
    auto copyTime = [&](const std::string& after) {
        std::vector<double> times;
        for (int run = 0; run < runs; ++run) {
            fs::remove_all(copy);
            Shell("sync");
            times.push_back(
                Seconds([&] { Shell("cp -r " + Quote(source) + " " + Quote(copy) + after); }));
        }
        fs::remove_all(copy);
        return Median(times);
    };
    return {copyTime(" && sync"), copyTime("")};
}

void Report(const char* tool, double seconds, const Floors& floors) {
    std::printf("  %-9s %8.3f s  %8.1f files/s  %6.2f x cp+sync  %6.2f x cp\n", tool, seconds,
                kFiles / seconds, seconds / floors.durable, seconds / floors.plain);
}

void Bench(const std::string& work, const Photos& photos, int runs) {
    std::string source = work + "/" + photos.label;
    std::string copy = work + "/" + photos.label + "-run";
    long long bytes = MakeFolder(source, photos);
    std::printf("%d photos of %s, %.1f KB each on average\n", kFiles, photos.label.c_str(),
                bytes / 1024.0 / kFiles);
    Floors floors = MeasureFloors(source, work, runs);
    Report("cp+sync", floors.durable, floors);
    Report("cp", floors.plain, floors);
    Report(
        "stamper",
        Time(source, copy, runs,
             [&] { Shell(std::string(KADRIMARK_STAMP_EXE) + " " + Quote(copy) + " >/dev/null"); }),
        floors);
    if (Installed("jhead"))
        Report("jhead", Time(source, copy, runs, [&] { JheadEach(copy); }), floors);
    if (Installed("exiftool")) {
        const std::string dates =
            "'-AllDates<${filename;s/^(\\d\\d)-(\\d\\d)-(\\d\\d)_(\\d\\d)(\\d\\d).*/20$3:$2:$1 "
            "$4:$5:00/}'";
        Report("exiftool",
               Time(source, copy, 1,
                    [&] {
                        Shell("exiftool -q -q -overwrite_original " + dates + " " + Quote(copy) +
                              " && sync");
                    }),
               floors);
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
    fs::remove_all(work);
    Bench(work, {"2MB", 1500, 1150, 97}, runs);
    Bench(work, {"50KB", 400, 300, 75}, runs);
    fs::remove_all(work);
    return 0;
}
