// The folder tree's speed and memory: expanding a folder of 10,000 subfolders
// against enumerating it through the namespace alone, refreshing a tree of
// 2,000 loaded nodes after one folder was added, and the heap each loaded
// node takes. Runs over a home of its own in the temporary folder.
#include <malloc.h>
#include <sys/stat.h>

#include <QTreeWidget>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <string>

#include "framework/Form.h"
#include "framework/GuiSession.h"
#include "shell/ShellEnv.h"
#include "shell/ShellPaths.h"
#include "shell/ShellTree.h"

namespace {

constexpr int kRounds = 5;

// Processor time of this thread: the machine is shared, so wall time says
// more about the neighbours than about the tree.
double CpuMilliseconds() {
    timespec now;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

double Milliseconds(const std::function<void()>& step) {
    double start = CpuMilliseconds();
    step();
    return CpuMilliseconds() - start;
}

// The best of kRounds runs of `step`, each after `prepare`.
double Best(const std::function<void()>& prepare, const std::function<void()>& step) {
    double best = 1e18;
    for (int round = 0; round < kRounds; ++round) {
        prepare();
        best = std::min(best, Milliseconds(step));
    }
    return best;
}

void MakeFolders(const std::string& parent, int count, const char* prefix) {
    char name[64];
    for (int i = 0; i < count; ++i) {
        std::snprintf(name, sizeof name, "/%s%05d", prefix, i);
        mkdir((parent + name).c_str(), 0755);
    }
}

LPITEMIDLIST ListOf(const std::string& path) {
    LPITEMIDLIST list = nullptr;
    PathToIdList(path, &list);
    return list;
}

long Enumerate(LPCITEMIDLIST place) {
    ComPtr<IShellFolder> folder;
    BindToFolder(place, folder);
    ComPtr<IEnumIDList> items;
    folder->EnumObjects(0, SHCONTF_FOLDERS | SHCONTF_INCLUDEHIDDEN, items.Put());
    long count = 0;
    LPITEMIDLIST item = nullptr;
    while (items->Next(1, &item, nullptr) == S_OK) {
        FreeIdList(item);
        ++count;
    }
    return count;
}

// The tree's node for a folder, selected as the file list would select it.
TTreeNode* NodeOf(TRzShellTree& tree, const std::string& path) {
    LPITEMIDLIST place = ListOf(path);
    tree.SelectedFolder()->SetIdList(place);
    FreeIdList(place);
    return tree.Selected();
}

void ExpandBench(TRzShellTree& tree, const std::string& home) {
    std::string big = home + "/big";
    std::filesystem::create_directories(big);
    MakeFolders(big, 10000, "folder-");
    LPITEMIDLIST place = ListOf(big);
    double enumerate = Best([] {}, [&] { Enumerate(place); });
    FreeIdList(place);
    TTreeNode* node = nullptr;
    std::size_t heapBefore = 0, heapAfter = 0;
    double expand = Best(
        [&] {
            tree.FillTree();
            node = NodeOf(tree, big);
            heapBefore = mallinfo2().uordblks;
        },
        [&] {
            tree.Expand(node);
            heapAfter = mallinfo2().uordblks;
        });
    double paint = Milliseconds([&] { tree.Widget()->grab(); });
    std::printf("expand 10,000 subfolders: %.1f ms (enumeration alone %.1f ms, ratio %.2f)\n",
                expand, enumerate, expand / enumerate);
    std::printf("first paint after the expansion: %.1f ms\n", paint);
    std::printf("heap per loaded node: %.0f bytes\n",
                double(heapAfter - heapBefore) / node->childCount());
}

void RefreshBench(TRzShellTree& tree, const std::string& home) {
    std::string wide = home + "/wide";
    std::filesystem::create_directories(wide);
    MakeFolders(wide, 40, "group-");
    for (const auto& entry : std::filesystem::directory_iterator(wide))
        MakeFolders(entry.path().string(), 50, "leaf-");
    tree.FillTree();
    TTreeNode* node = NodeOf(tree, wide);
    tree.Expand(node);
    for (int i = 0; i < node->childCount(); ++i)
        tree.Expand(node->Child(i));
    int loaded = 0;
    std::function<void(QTreeWidgetItem*)> count = [&](QTreeWidgetItem* item) {
        ++loaded;
        for (int i = 0; i < item->childCount(); ++i)
            count(item->child(i));
    };
    count(tree.TopNode(0));
    int added = 0;
    double refresh =
        Best([&] { mkdir((wide + "/added-" + std::to_string(added++)).c_str(), 0755); },
             [&] { tree.RefreshTree(); });
    std::printf("refresh of %d loaded nodes after one folder was added: %.1f ms\n", loaded,
                refresh);
}

}  // namespace

int main(int argc, char** argv) {
    char pattern[] = "/tmp/kadrimark-tree-bench-XXXXXX";
    std::string home = mkdtemp(pattern);
    std::filesystem::create_directories(home + "/Desktop");
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_DESKTOP_DIR", (home + "/Desktop").c_str(), 1);
    setenv("XDG_DATA_HOME", (home + "/.local/share").c_str(), 1);
    int result = RunGuiSession(argc, argv, [&] {
        InitShellEnv();
        {
            TCustomForm form(nullptr);
            form.SetBounds(0, 0, 300, 600);
            auto* tree = new TRzShellTree(&form);
            tree->SetBounds(0, 0, 300, 600);
            tree->SetParent(&form);
            ExpandBench(*tree, home);
            RefreshBench(*tree, home);
        }
        DoneShellEnv();
        return 0;
    });
    std::filesystem::remove_all(home);
    return result;
}
