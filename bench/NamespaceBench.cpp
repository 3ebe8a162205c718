// Enumerates a folder of 10,000 and of 100,000 files through the shell
// namespace the way the file list fills itself (an id list, attributes and the
// normal display name for every item) and compares the rate with a bare
// readdir + lstat loop over the same folder. Then sorts the 10,000 items by
// each detail column, through the folder's CompareIDs pair by pair and as a
// header click on the file list sorts them (TFolderItemOrder), elapsed and
// processor time, each the best of a few rounds.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "BenchFolders.h"
#include "platform/ShellAllocator.h"
#include "platform/ShellServices.h"
#include "shell/FolderItemOrder.h"

namespace {

constexpr int kRounds = 5;
constexpr ULONG kAcceptRequest = 0x720B0000;               // the list's item filter
constexpr ULONG kItemRequest = 0x700F0037 | SFGAO_STREAM;  // the list's Attributes

long BareLoop(const std::string& folder) {
    long count = 0;
    DIR* directory = opendir(folder.c_str());
    while (const dirent* entry = readdir(directory)) {
        struct stat facts;
        if (fstatat(dirfd(directory), entry->d_name, &facts, AT_SYMLINK_NOFOLLOW) == 0)
            ++count;
    }
    closedir(directory);
    return count;
}

std::string DisplayName(IShellFolder* folder, LPCITEMIDLIST item) {
    STRRET name;
    name.uType = STRRET_WSTR;
    if (FAILED(folder->GetDisplayNameOf(item, SHGDN_NORMAL, &name)))
        return {};
    if (name.uType == STRRET_OFFSET)
        return reinterpret_cast<const char*>(item) + name.uOffset;
    if (name.uType == STRRET_CSTR)
        return name.cStr;
    std::string text = name.pOleStr;
    CoTaskMemFree(name.pOleStr);
    return text;
}

long NamespaceLoop(IShellFolder* folder) {
    ComPtr<IEnumIDList> items;
    if (FAILED(folder->EnumObjects(0, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, items.Put())))
        return -1;
    long count = 0;
    LPITEMIDLIST item;
    while (items->Next(1, &item, nullptr) == S_OK) {
        LPCITEMIDLIST one[] = {item};
        ULONG accept = kAcceptRequest, attributes = kItemRequest;
        folder->GetAttributesOf(1, one, &accept);
        folder->GetAttributesOf(1, one, &attributes);
        count += DisplayName(folder, item).empty() ? 0 : 1;
        CoTaskMemFree(item);
    }
    return count;
}

// The best of a few rounds, in seconds.
double BestTime(const std::function<long()>& round, long& count) {
    double best = 1e9;
    for (int i = 0; i < kRounds; ++i) {
        auto start = std::chrono::steady_clock::now();
        count = round();
        std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());
    }
    return best;
}

// The least processor time of the thread over a few rounds, in seconds: on a
// busy machine it shows the work itself, without the waits for a processor.
double ProcessorTime(const std::function<void()>& round) {
    double best = 1e9;
    for (int i = 0; i < kRounds; ++i) {
        timespec start, end;
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &start);
        round();
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &end);
        best =
            std::min(best, double(end.tv_sec - start.tv_sec) + (end.tv_nsec - start.tv_nsec) / 1e9);
    }
    return best;
}

void Report(const char* what, int column, const std::function<long()>& round) {
    long count = 0;
    double best = BestTime(round, count);
    double processor = ProcessorTime([&] { round(); });
    std::printf("%7ld files: %s %d %8.1f ms (processor %.1f ms)\n", count, what, column,
                best * 1000, processor * 1000);
}

std::vector<LPITEMIDLIST> Items(IShellFolder* folder) {
    std::vector<LPITEMIDLIST> items;
    ComPtr<IEnumIDList> enumerator;
    if (FAILED(folder->EnumObjects(0, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, enumerator.Put())))
        return items;
    LPITEMIDLIST item;
    while (enumerator->Next(1, &item, nullptr) == S_OK)
        items.push_back(item);
    return items;
}

// Each column sorted from the enumeration order, the best of a few rounds,
// each on a folder object of its own as a newly shown folder would be.
void MeasureSorting(const std::string& path) {
    ComPtr<IShellFolder> desktop;
    SHGetDesktopFolder(desktop.Put());
    LPITEMIDLIST list = nullptr;
    desktop->ParseDisplayName(0, nullptr, path.c_str(), nullptr, &list, nullptr);
    auto bind = [&] {
        ComPtr<IShellFolder> folder;
        desktop->BindToObject(list, nullptr, IID_IShellFolder, folder.PutVoid());
        return folder;
    };
    std::vector<LPITEMIDLIST> items = Items(bind().Get());
    for (int column = 0; column < 4; ++column) {
        auto sortRound = [&] {
            ComPtr<IShellFolder> folder = bind();
            std::vector<LPITEMIDLIST> sorted = items;
            std::sort(sorted.begin(), sorted.end(), [&](LPCITEMIDLIST a, LPCITEMIDLIST b) {
                return static_cast<std::int16_t>(folder->CompareIDs(column, a, b) & 0xFFFF) < 0;
            });
            return static_cast<long>(sorted.size());
        };
        Report("sort by column", column, sortRound);
        auto listRound = [&] {
            ComPtr<IShellFolder> folder = bind();
            std::vector<LPCITEMIDLIST> lists(items.begin(), items.end());
            return static_cast<long>(
                TFolderItemOrder(folder.Get(), column, std::move(lists)).Sorted().size());
        };
        Report("list sort column", column, listRound);
    }
    for (LPITEMIDLIST item : items)
        CoTaskMemFree(item);
    CoTaskMemFree(list);
}

void Measure(const std::string& parent, int files) {
    std::string folder = MakeFolder(parent, files);
    ComPtr<IShellFolder> desktop, shown;
    SHGetDesktopFolder(desktop.Put());
    LPITEMIDLIST list = nullptr;
    desktop->ParseDisplayName(0, nullptr, folder.c_str(), nullptr, &list, nullptr);
    desktop->BindToObject(list, nullptr, IID_IShellFolder, shown.PutVoid());
    CoTaskMemFree(list);
    long bareCount = 0, shellCount = 0;
    double bare = BestTime([&] { return BareLoop(folder); }, bareCount);
    double shell = BestTime([&] { return NamespaceLoop(shown.Get()); }, shellCount);
    std::printf(
        "%7d files: namespace %9.0f items/s (%ld items), readdir+lstat %9.0f items/s, "
        "ratio %.2f\n",
        files, shellCount / shell, shellCount, bareCount / bare, shell / bare);
    if (files == 10000)
        MeasureSorting(folder);
}

}  // namespace

int main(int argc, char** argv) {
    std::string parent = argc > 1 ? argv[1] : std::filesystem::temp_directory_path().string();
    parent += "/kadrimark-bench-" + std::to_string(getpid());
    for (int files : {10000, 100000})
        Measure(parent, files);
    std::filesystem::remove_all(parent);
    return ShellAllocatorLiveBlocks() == 0 ? 0 : 1;
}
