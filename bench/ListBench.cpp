// Times the file list: writing Folder until the list is filled and shown, for
// folders of 1,000, 10,000 and 100,000 files, against enumerating the same
// folder through the namespace alone; the resident memory each item adds; and
// a differential refresh of the 10,000-file folder after one file was added.
// Times are processor time of the process, the best of a few rounds: the
// machine is shared, and wall time says more about the neighbours than about
// the list. Runs headless: QT_QPA_PLATFORM=offscreen ./list_bench [parent-folder]
#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>

#include <QApplication>
#include <QWidget>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <functional>
#include <string>

#include "BenchFolders.h"
#include "shell/DisplayNames.h"
#include "shell/ListItemModel.h"
#include "shell/ShellEnv.h"
#include "shell/ShellList.h"
#include "shell/ShellPaths.h"

namespace {

constexpr int kRounds = 3;

double CpuSeconds() {
    timespec now;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

double Seconds(const std::function<void()>& action) {
    double start = CpuSeconds();
    action();
    return CpuSeconds() - start;
}

double Best(const std::function<void()>& action) {
    double best = 1e9;
    for (int i = 0; i < kRounds; ++i)
        best = std::min(best, Seconds(action));
    return best;
}

// Heap bytes in use: what the list's rows and records hold.
long HeapBytes() {
    return static_cast<long>(mallinfo2().uordblks);
}

// The namespace's own pass over a folder: every item's id list, and with
// `describe` also what a list needs of each item (its attributes and name).
void Enumerate(IShellFolder* folder, bool describe) {
    ComPtr<IEnumIDList> items;
    folder->EnumObjects(0, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN,
                        items.Put());
    LPITEMIDLIST item;
    while (items->Next(1, &item, nullptr) == S_OK) {
        if (describe) {
            LPCITEMIDLIST one[] = {item};
            ULONG attributes = 0x720B0000;
            folder->GetAttributesOf(1, one, &attributes);
            GetDisplayName(folder, item, nkNormal);
        }
        FreeIdList(item);
    }
}

// Shows the folder in a fresh list and lets the view lay out and paint.
void ShowIn(TRzShellList& list, LPCITEMIDLIST place) {
    list.SetFolderIdList(place);
    QApplication::processEvents();
}

void Measure(const std::string& parent, int files, TViewStyle style) {
    const std::string folder = MakeFolder(parent, files);
    LPITEMIDLIST place = nullptr, empty = nullptr;
    PathToIdList(folder, &place);
    PathToIdList(parent, &empty);
    ComPtr<IShellFolder> shellFolder;
    BindToFolder(place, shellFolder);
    const double enumerate = Best([&] { Enumerate(shellFolder.Get(), false); });
    const double described = Best([&] { Enumerate(shellFolder.Get(), true); });

    TRzShellList list(nullptr);
    list.SetBounds(0, 0, 754, 554);
    list.SetViewStyle(style);
    list.Widget()->show();
    ShowIn(list, empty);
    const long before = HeapBytes();
    ShowIn(list, place);
    // Every row's caption and icon, as a scroll through the whole list asks.
    for (int i = 0; i < list.ItemCount(); ++i) {
        list.Model()->index(i, 0).data(Qt::DisplayRole);
        list.Model()->index(i, 0).data(Qt::DecorationRole);
    }
    const long perItem = (HeapBytes() - before) / std::max(list.ItemCount(), 1);
    double fill = 1e9;
    for (int i = 0; i < kRounds; ++i) {
        ShowIn(list, empty);
        fill = std::min(fill, Seconds([&] { ShowIn(list, place); }));
    }

    const double sort = Seconds([&] { list.SetSortColumn(-1); });
    list.SetSortColumn(1);
    std::printf("%-6s %7d files: a sort by the folder's order alone %.1f ms\n",
                style == vsReport ? "report" : "icon", files, sort * 1e3);
    std::printf(
        "%-6s %7d files: fill %7.1f ms; enumeration %6.1f ms (ratio %.2f), with attributes "
        "and names %6.1f ms (ratio %.2f); %ld heap bytes/item\n",
        style == vsReport ? "report" : "icon", files, fill * 1e3, enumerate * 1e3, fill / enumerate,
        described * 1e3, fill / described, perItem);
    if (files == 10000) {
        double refresh = 1e9;
        for (int i = 0; i < kRounds; ++i) {
            close(open((folder + "/added-" + std::to_string(i)).c_str(), O_CREAT | O_WRONLY, 0644));
            refresh = std::min(refresh, Seconds([&] {
                                   list.RefreshItems();
                                   QApplication::processEvents();
                               }));
        }
        std::printf("%-6s %7d files: refresh after one new file %.1f ms\n",
                    style == vsReport ? "report" : "icon", files, refresh * 1e3);
    }
    FreeIdList(place);
    FreeIdList(empty);
    std::filesystem::remove_all(folder);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    InitShellEnv();
    std::string parent = argc > 1 ? argv[1] : std::filesystem::temp_directory_path().string();
    parent += "/kadrimark-listbench-" + std::to_string(getpid());
    std::filesystem::create_directories(parent);
    for (TViewStyle style : {vsReport, vsIcon})
        for (int files : {1000, 10000, 100000})
            Measure(parent, files, style);
    std::filesystem::remove_all(parent);
    DoneShellEnv();
    return 0;
}
