// Times what the file list shows of a folder of photos: the list of a
// 10,000-photo folder shown in report view with and without the date-taken
// column (the list as it was), the column complete, and the large-icon view
// fully pictured from a cold and from a warm thumbnail cache, and scrolled.
// Each figure is wall time from showing the folder, with the longest stall of
// the event loop meanwhile (what a person would see as a frozen window); the
// list's own fill is also given in processor time of the window's thread, as
// the list benchmark gives it. Cold means the thumbnail cache is empty; the
// photos themselves are in the page cache either way. Runs headless:
//   QT_QPA_PLATFORM=offscreen ./photo_bench [parent-folder] [photos] [report]
// ("report": the report view's figures alone).
#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QBuffer>
#include <QImageWriter>
#include <QLinearGradient>
#include <QListView>
#include <QPainter>
#include <QScrollBar>
#include <QWidget>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <functional>
#include <string>

#include "app/ExifHead.h"
#include "app/TakenDateSource.h"
#include "platform/ThumbnailCache.h"
#include "shell/ListItemModel.h"
#include "shell/ShellEnv.h"
#include "shell/ShellList.h"
#include "shell/ShellPaths.h"
#include "support/StallGuard.h"

namespace {

constexpr int kDefaultPhotos = 10000;
constexpr int kTimeoutMs = 600000;

double CpuSeconds() {
    timespec now;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

double WallSeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// A 1024 x 768 camera-like picture, encoded once.
std::string PhotoBytes() {
    QImage picture(1024, 768, QImage::Format_RGB32);
    QPainter painter(&picture);
    QLinearGradient sky(0, 0, 1024, 768);
    sky.setColorAt(0, Qt::darkBlue);
    sky.setColorAt(1, Qt::yellow);
    painter.fillRect(picture.rect(), sky);
    painter.setBrush(Qt::darkGreen);
    painter.drawEllipse(200, 300, 500, 300);
    painter.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, "jpeg").write(picture);
    return bytes.toStdString();
}

void WriteFile(const std::string& path, const std::string& bytes) {
    const int fd = open(path.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
    if (fd < 0 || write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
        std::perror(path.c_str());
    close(fd);
}

// `photos` camera-phone photos: every other one already stamped (it carries
// its date), the rest to be stamped (the column foretells theirs). The
// encoder writes JFIF, so the plain ones start with APP0 as phones' did.
std::string MakePhotoFolder(const std::string& parent, int photos) {
    const std::string folder = parent + "/photos-" + std::to_string(photos);
    std::filesystem::create_directories(folder);
    const std::string plain = PhotoBytes();
    const std::string stamped =
        ExifHead("2007:06:15 12:30:00") + plain.substr(4) + std::string(kExifHeadGap, '\0');
    char name[40];
    for (int i = 0; i < photos; ++i) {
        std::snprintf(name, sizeof name, "/%02d-06-07_%04d.jpg", i % 28 + 1, i % 10000);
        WriteFile(folder + name, i % 2 == 0 ? plain : stamped);
    }
    return folder;
}

struct Figure {
    double seconds = 0;
    double stallMs = 0;
};

// Shows the folder in the list (from an empty one) and waits until `done`.
Figure Show(TRzShellList& list, const std::string& folder, const std::function<bool()>& done) {
    LPITEMIDLIST place = nullptr;
    PathToIdList(folder, &place);
    const double start = WallSeconds();
    double end = start;
    const double stall = LongestStallMs([&] { list.SetFolderIdList(place); },
                                        [&] {
                                            if (!done())
                                                return false;
                                            end = WallSeconds();
                                            return true;
                                        },
                                        kTimeoutMs);
    FreeIdList(place);
    return {end - start, stall};
}

void ShowEmpty(TRzShellList& list, const std::string& parent) {
    Show(list, parent, [] { return true; });
}

// The list's own fill in processor time of the window's thread (the readers'
// work is not the window's), the best of three.
double FillCpu(TRzShellList& list, const std::string& parent, const std::string& folder) {
    double best = 1e9;
    for (int round = 0; round < 3; ++round) {
        ShowEmpty(list, parent);
        LPITEMIDLIST place = nullptr;
        PathToIdList(folder, &place);
        const double start = CpuSeconds();
        list.SetFolderIdList(place);
        QApplication::processEvents();
        best = std::min(best, CpuSeconds() - start);
        FreeIdList(place);
    }
    return best;
}

void Print(const char* what, int photos, const Figure& figure) {
    std::printf("%-44s %6d photos: %8.1f ms, longest stall %6.1f ms\n", what, photos,
                figure.seconds * 1e3, figure.stallMs);
}

std::unique_ptr<TRzShellList> NewList(TViewStyle style, bool dates) {
    auto list = std::make_unique<TRzShellList>(nullptr);
    list->SetBounds(0, 0, 754, 554);
    list->SetViewStyle(style);
    if (dates)
        list->SetTakenDates(MakeTakenDateSource());
    list->Widget()->show();
    return list;
}

void MeasureReport(const std::string& parent, const std::string& folder, int photos) {
    for (bool dates : {false, true}) {
        auto list = NewList(vsReport, dates);
        ShowEmpty(*list, parent);
        const double cpu = FillCpu(*list, parent, folder);
        std::printf("%-44s %6d photos: fill %7.1f ms processor time\n",
                    dates ? "report, with the date column" : "report, the list as it was", photos,
                    cpu * 1e3);
    }
    auto list = NewList(vsReport, true);
    ShowEmpty(*list, parent);
    Print("report: list shown", photos, Show(*list, folder, [] { return true; }));
    ShowEmpty(*list, parent);
    Print("report: date column complete", photos,
          Show(*list, folder, [&] { return list->DatesPendingForTest() == 0; }));
}

// The longest stall while the icon view is scrolled from top to bottom, a
// page each turn of the event loop.
// The view lays its items out in batches, so the end is where the last item
// shows.
double ScrollStallMs(TRzShellList& list) {
    QListView* view = list.IconView();
    QScrollBar* bar = view->verticalScrollBar();
    bar->setValue(0);
    const QModelIndex last = list.Model()->index(list.ItemCount() - 1, 0);
    return LongestStallMs([] {},
                          [&] {
                              if (view->viewport()->rect().intersects(view->visualRect(last)))
                                  return true;
                              bar->setValue(bar->value() + bar->pageStep());
                              return false;
                          },
                          kTimeoutMs);
}

void MeasureIcons(const std::string& parent, const std::string& folder, int photos) {
    for (const char* cache : {"cold", "warm"}) {
        auto list = NewList(vsIcon, false);
        ShowEmpty(*list, parent);
        if (std::string(cache) == "cold")
            std::filesystem::remove_all(ThumbnailRoot());
        const Figure figure =
            Show(*list, folder, [&] { return list->PhotosPendingForTest() == 0; });
        Print((std::string("icons: fully pictured, ") + cache + " cache").c_str(), photos, figure);
        std::printf("%-44s %6d photos: longest stall %6.1f ms\n",
                    "icons: scrolled top to bottom, a page a turn", photos, ScrollStallMs(*list));
    }
    auto list = NewList(vsIcon, false);
    ShowEmpty(*list, parent);
    std::filesystem::remove_all(ThumbnailRoot());
    Show(*list, folder, [] { return true; });
    std::printf("%-44s %6d photos: longest stall %6.1f ms\n",
                "icons: scrolled while pictures are made", photos, ScrollStallMs(*list));
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    std::string parent = argc > 1 ? argv[1] : std::filesystem::temp_directory_path().string();
    const int photos = argc > 2 ? std::atoi(argv[2]) : kDefaultPhotos;
    parent += "/kadrimark-photobench-" + std::to_string(getpid());
    std::filesystem::create_directories(parent + "/cache");
    setenv("XDG_CACHE_HOME", (parent + "/cache").c_str(), 1);
    InitShellEnv();
    const std::string folder = MakePhotoFolder(parent, photos);
    MeasureReport(parent, folder, photos);
    if (argc <= 3 || std::string(argv[3]) != "report")
        MeasureIcons(parent, folder, photos);
    std::filesystem::remove_all(parent);
    DoneShellEnv();
    return 0;
}
