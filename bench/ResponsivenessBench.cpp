// The longest time the window stops answering (the longest gap between two
// turns of the event loop) while a person does something big with it: opening
// a folder of 100,000 files, Ctrl+A over 10,000 and 100,000 files, a click on
// each column header of the 100,000, a burst of 10,000 new files while the
// folder is shown, `*` over 2,000 folders of the tree, Ctrl+V of a folder of
// 8,000 files, and the window's stamp command over 3,000 photos. Wall time,
// so a loaded machine shows in the figures. Runs headless over a home of its
// own:
//   QT_QPA_PLATFORM=offscreen ./responsiveness_bench [scenario-prefix...]
#include <sys/stat.h>

#include <QApplication>
#include <QBuffer>
#include <QHeaderView>
#include <QImage>
#include <QImageWriter>
#include <QTest>
#include <QTreeView>
#include <QTreeWidget>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "BenchFolders.h"
#include "app/Unit1.h"
#include "chrome/ToolButton.h"
#include "chrome/Toolbar.h"
#include "framework/Application.h"
#include "framework/Form.h"
#include "platform/ShellClipboard.h"
#include "shell/ShellEnv.h"
#include "shell/ShellList.h"
#include "shell/ShellPaths.h"
#include "shell/ShellTree.h"
#include "support/StallGuard.h"

namespace {

std::vector<std::string> chosen;

bool Chosen(const std::string& name) {
    if (chosen.empty())
        return true;
    for (const std::string& prefix : chosen)
        if (name.rfind(prefix, 0) == 0)
            return true;
    return false;
}

void Report(const std::string& name, double stallMs) {
    if (stallMs < 0)
        std::printf("%-36s did not settle\n", name.c_str());
    else
        std::printf("%-36s longest stall %8.1f ms\n", name.c_str(), stallMs);
    std::fflush(stdout);
}

void Run(const std::string& name, const std::function<void()>& scenario,
         const std::function<bool()>& settled = {}) {
    if (Chosen(name))
        Report(name, LongestStallMs(scenario, settled, 600000));
}

void Show(TRzShellList& list, const std::string& path) {
    LPITEMIDLIST place = nullptr;
    PathToIdList(path, &place);
    list.SetFolderIdList(place);
    FreeIdList(place);
}

void SelectAllBench(TRzShellList& list, const std::string& folder, int files) {
    const std::string name = "Ctrl+A over " + std::to_string(files) + " files";
    if (!Chosen(name))
        return;
    Show(list, folder);
    list.ClearSelection();
    Run(name, [&] { QTest::keyClick(list.ActiveView(), Qt::Key_A, Qt::ControlModifier); });
}

void ListBench(const std::string& home) {
    const std::string small = MakeFolder(home, 10000);
    const std::string big = MakeFolder(home, 100000);
    TRzShellList list(nullptr);
    list.SetBounds(0, 0, 754, 554);
    list.SetViewStyle(vsReport);
    list.Widget()->show();
    Show(list, home);
    QApplication::processEvents();
    Run("open a 100,000-file folder", [&] { Show(list, big); });
    SelectAllBench(list, small, 10000);
    SelectAllBench(list, big, 100000);
    Show(list, big);
    QHeaderView* header = list.ReportView()->header();
    for (int column = 0; column < list.ColumnCount(); ++column)
        Run("sort 100,000 by column " + std::to_string(column), [&] {
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                              QPoint(header->sectionViewportPosition(column) + 10, 5));
        });
    // The writer fills the folder MakeFolder names below `burst`.
    const std::string burst = home + "/burst";
    std::filesystem::create_directories(burst + "/files-10000");
    Show(list, burst + "/files-10000");
    std::atomic<bool> written = false;
    std::thread writer;
    Run(
        "10,000-change burst while shown",
        [&] {
            writer = std::thread([&] {
                MakeFolder(burst, 10000);
                written = true;
            });
        },
        [&] { return written && list.ItemCount() == 10000; });
    if (writer.joinable())
        writer.join();
}

void MakeFolders(const std::string& parent, int count, const char* prefix) {
    for (int i = 0; i < count; ++i)
        mkdir((parent + "/" + prefix + std::to_string(i)).c_str(), 0755);
}

void ExpandAllBench(const std::string& home) {
    if (!Chosen("* over 2,000 folders"))
        return;
    const std::string wide = home + "/wide";
    std::filesystem::create_directories(wide);
    MakeFolders(wide, 40, "group-");
    for (int i = 0; i < 40; ++i)
        MakeFolders(wide + "/group-" + std::to_string(i), 50, "leaf-");
    TCustomForm form(nullptr);
    form.SetBounds(0, 0, 300, 600);
    auto* tree = new TRzShellTree(&form);
    tree->SetBounds(0, 0, 300, 600);
    tree->SetParent(&form);
    form.Show();
    tree->FillTree();
    LPITEMIDLIST place = nullptr;
    PathToIdList(wide, &place);
    tree->SelectedFolder()->SetIdList(place);
    FreeIdList(place);
    tree->View()->setFocus();
    Run("* over 2,000 folders", [&] { QTest::keyClick(tree->View(), Qt::Key_Asterisk); });
}

// Ctrl+V in the list of an empty folder, with a folder of 8,000 files on
// the clipboard; settled once the folder is in place.
void PasteBench(const std::string& home) {
    const std::string name = "paste a folder of 8,000 files";
    if (!Chosen(name))
        return;
    const std::string source = MakeFolder(home + "/to-paste", 8000);
    const std::string target = home + "/pasted";
    std::filesystem::create_directories(target);
    TRzShellList list(nullptr);
    list.SetBounds(0, 0, 754, 554);
    list.Widget()->show();
    Show(list, target);
    PutFilesOnClipboard({{source}, false});
    Run(
        name, [&] { QTest::keyClick(list.ActiveView(), Qt::Key_V, Qt::ControlModifier); },
        [&] { return list.ItemCount() == 1; });
}

// A small camera-like photo, named as the phone names it, not yet stamped.
std::string PhotoBytes() {
    QImage picture(320, 240, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, "jpeg").write(picture);
    return bytes.toStdString();
}

// The window's stamp button over a folder of 3,000 photos; its count
// message is answered at once.
void StampBench(const std::string& home) {
    const std::string name = "stamp 3,000 photos from the window";
    if (!Chosen(name))
        return;
    const std::string folder = home + "/photos";
    std::filesystem::create_directories(folder);
    const std::string photo = PhotoBytes();
    char file[40];
    for (int i = 0; i < 3000; ++i) {
        std::snprintf(file, sizeof file, "/%02d-06-07_%04d.jpg", i % 28 + 1, i);
        FILE* out = std::fopen((folder + file).c_str(), "wb");
        std::fwrite(photo.data(), 1, photo.size(), out);
        std::fclose(out);
    }
    Application->SetPresenterForTest([](const MessageBoxRequest&) {});
    TForm1 form;
    form.Show();
    form.OpenFolder(folder);
    QApplication::processEvents();
    const TRect button = form.RzToolButton1->BoundsRect();
    Run(name, [&] {
        QTest::mouseClick(
            form.RzToolbar1->Widget(), Qt::LeftButton, {},
            QPoint((button.Left + button.Right) / 2, (button.Top + button.Bottom) / 2));
    });
    Application->SetPresenterForTest({});
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    for (int i = 1; i < argc; ++i)
        chosen.emplace_back(argv[i]);
    char pattern[] = "/tmp/kadrimark-responsiveness-XXXXXX";
    const std::string home = mkdtemp(pattern);
    std::filesystem::create_directories(home + "/Desktop");
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_DESKTOP_DIR", (home + "/Desktop").c_str(), 1);
    setenv("XDG_DATA_HOME", (home + "/.local/share").c_str(), 1);
    InitShellEnv();
    ListBench(home);
    ExpandAllBench(home);
    PasteBench(home);
    StampBench(home);
    DoneShellEnv();
    std::filesystem::remove_all(home);
    return 0;
}
