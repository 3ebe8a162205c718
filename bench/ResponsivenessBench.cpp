// The longest time the window stops answering (the longest gap between two
// turns of the event loop) while a person does something big with it: opening
// a folder of 100,000 files, Ctrl+A over 10,000 and 100,000 files, a click on
// each column header of the 100,000, a burst of 10,000 new files while the
// folder is shown, and `*` over 2,000 folders of the tree. Wall time, so a
// loaded machine shows in the figures. Runs headless over a home of its own:
//   QT_QPA_PLATFORM=offscreen ./responsiveness_bench [scenario-prefix...]
#include <sys/stat.h>

#include <QApplication>
#include <QHeaderView>
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
#include "framework/Form.h"
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
    DoneShellEnv();
    std::filesystem::remove_all(home);
    return 0;
}
