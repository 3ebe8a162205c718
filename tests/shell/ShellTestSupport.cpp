#include "ShellTestSupport.h"

#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <thread>

#include "../support/TempDir.h"
#include "framework/Application.h"
#include "platform/Drives.h"
#include "shell/ShellEnv.h"
#include "shell/ShellPaths.h"

namespace {

// Made before the first test, removed after the last.
class ShellEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        home_ = std::make_unique<TempDir>();
        desktop_ = home_->File("Desktop");
        for (const char* folder : {"Desktop", "Pictures", ".local", ".local/share", ".config"})
            mkdir(home_->File(folder).c_str(), 0755);
        setenv("HOME", home_->Path().c_str(), 1);
        setenv("XDG_DESKTOP_DIR", desktop_.c_str(), 1);
        setenv("XDG_PICTURES_DIR", home_->File("Pictures").c_str(), 1);
        setenv("XDG_DATA_HOME", home_->File(".local/share").c_str(), 1);
        setenv("XDG_CONFIG_HOME", home_->File(".config").c_str(), 1);
        setenv("XDG_CACHE_HOME", home_->File(".cache").c_str(), 1);
        InitShellEnv();
    }
    void TearDown() override {
        DoneShellEnv();
        home_.reset();
    }

    static inline std::unique_ptr<TempDir> home_;
    static inline std::string desktop_;
};

const bool registered = (::testing::AddGlobalTestEnvironment(new ShellEnvironment), true);

}  // namespace

const std::string& TestHome() {
    return ShellEnvironment::home_->Path();
}
const std::string& TestDesktop() {
    return ShellEnvironment::desktop_;
}

ShellTest::ShellTest() : liveAtStart_(ShellAllocatorLiveBlocks()) {}

ShellTest::~ShellTest() {
    EXPECT_EQ(ShellAllocatorLiveBlocks(), liveAtStart_) << "item id lists leaked";
}

LPITEMIDLIST MakeIdList(std::initializer_list<std::string> items) {
    std::string bytes;
    for (const std::string& item : items) {
        std::size_t cb = item.size() + 2;
        bytes += static_cast<char>(cb & 0xFF);
        bytes += static_cast<char>(cb >> 8);
        bytes += item;
    }
    bytes.append(2, '\0');
    auto* list = static_cast<char*>(ShellEnv.ShellAllocator->Alloc(bytes.size()));
    bytes.copy(list, bytes.size());
    return reinterpret_cast<LPITEMIDLIST>(list);
}

std::string IdListBytes(LPCITEMIDLIST list) {
    return list == nullptr ? std::string()
                           : std::string(reinterpret_cast<const char*>(list), IdListSize(list));
}

bool PumpUntil(const std::function<bool()>& done, int timeoutMs) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        Application->ProcessMessages();
        if (done())
            return true;
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

bool IsDesktopFolder(IShellFolder* folder) {
    LPITEMIDLIST parsed = nullptr, expected = nullptr;
    bool same = folder != nullptr &&
                SUCCEEDED(folder->ParseDisplayName(0, nullptr, TestHome().c_str(), nullptr, &parsed,
                                                   nullptr)) &&
                SUCCEEDED(PathToIdList(TestHome(), &expected)) &&
                IdListBytes(parsed) == IdListBytes(expected);
    FreeIdList(parsed);
    FreeIdList(expected);
    return same;
}

std::string MakeHomeFolder(const std::string& prefix) {
    std::string pattern = TestHome() + "/" + prefix + "-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr)
        ADD_FAILURE() << "cannot make " << pattern;
    return pattern;
}

LPITEMIDLIST ListOf(const std::string& path) {
    LPITEMIDLIST list = nullptr;
    HRESULT code = PathToIdList(path, &list);
    EXPECT_EQ(code, S_OK) << path;
    return list;
}

TestMountTable::TestMountTable() : path_(dir_.File("mountinfo")) {
    Write("");
    SetMountTablePath(path_);
}

TestMountTable::~TestMountTable() {
    SetMountTablePath("");
}

void TestMountTable::Write(const std::string& lines) {
    WriteFileBytes(path_, kRootMount + lines);
}
