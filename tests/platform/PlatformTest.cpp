#include "PlatformTest.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "platform/Drives.h"
#include "platform/ShellAllocator.h"

namespace {

const char* const kOwnMountTable =
    "21 1 0:20 / / rw,relatime - overlay overlay rw\n"
    "22 21 0:5 / /proc rw - proc proc rw\n";

// Every test of the folder, fixture or not, must give back every id list and
// name block it took from the shell allocator.
class AllocatorLeakCheck : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override { start_ = ShellAllocatorLiveBlocks(); }
    void OnTestEnd(const ::testing::TestInfo&) override {
        EXPECT_EQ(ShellAllocatorLiveBlocks(), start_) << "id lists or names leaked";
    }
    long start_ = 0;
};

const bool kLeakCheckInstalled =
    (::testing::UnitTest::GetInstance()->listeners().Append(new AllocatorLeakCheck), true);

}  // namespace

void PlatformTest::SetUp() {
    chmod(root_.Path().c_str(), 0755);  // so that an unprivileged user reaches inside
    MakeFolder(Desktop());
    MakeFolder(DataHome());
    setenv("HOME", Home().c_str(), 1);
    setenv("XDG_DATA_HOME", DataHome().c_str(), 1);
    unsetenv("XDG_DESKTOP_DIR");
    unsetenv("XDG_PICTURES_DIR");
    UseMountTable(kOwnMountTable);
}

void PlatformTest::UseMountTable(const std::string& lines) {
    WriteFileBytes(MountTable(), lines);
    SetMountTablePath(MountTable());
}

IdList::~IdList() {
    CoTaskMemFree(list_);
}

LPITEMIDLIST* IdList::Put() {
    CoTaskMemFree(list_);
    list_ = nullptr;
    return &list_;
}

std::string NameOf(IShellFolder* folder, LPCITEMIDLIST item, DWORD flags) {
    STRRET name;
    name.uType = STRRET_WSTR;
    if (FAILED(folder->GetDisplayNameOf(item, flags, &name)))
        return "<failed>";
    switch (name.uType) {
        case STRRET_WSTR: {
            std::string text = name.pOleStr;
            CoTaskMemFree(name.pOleStr);
            return text;
        }
        case STRRET_OFFSET:
            return reinterpret_cast<const char*>(item) + name.uOffset;
        default:
            return name.cStr;
    }
}

std::vector<std::string> ListNames(IShellFolder* folder, DWORD flags) {
    std::vector<std::string> names;
    ComPtr<IEnumIDList> items;
    if (FAILED(folder->EnumObjects(0, flags, items.Put())))
        return {"<failed>"};
    LPITEMIDLIST item;
    while (items->Next(1, &item, nullptr) == S_OK) {
        IdList owned(item);
        names.push_back(NameOf(folder, item, SHGDN_INFOLDER));
    }
    return names;
}

void MakeFile(const std::string& path, const std::string& bytes) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    WriteFileBytes(path, bytes);
}

void MakeFolder(const std::string& path) {
    std::filesystem::create_directories(path);
}
