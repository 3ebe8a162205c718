#include "platform/ChangeNotification.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <set>
#include <string>
#include <thread>

#include "../support/TempDir.h"

namespace {

constexpr DWORD kNames = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME;
constexpr DWORD kSoon = 2000;  // a change is seen well within this
constexpr DWORD kQuiet = 150;  // long enough to show that nothing comes

// A change notification closed at scope end.
struct Watch {
    Watch(const std::string& path, bool subtree, DWORD filter)
        : handle(FindFirstChangeNotificationA(path, subtree, filter)) {}
    ~Watch() {
        if (handle != INVALID_HANDLE_VALUE)
            FindCloseChangeNotification(handle);
    }
    // Whether a change arrives; re-arms after one.
    bool Sees(DWORD milliseconds) {
        bool seen = WaitForSingleObject(handle, milliseconds) == WAIT_OBJECT_0;
        if (seen)
            FindNextChangeNotification(handle);
        return seen;
    }
    HANDLE handle;
};

void Touch(const std::string& path) {
    WriteFileBytes(path, "");
}

TEST(ChangeNotificationTest, AutoResetEvent_WakesOneWaitAndClears) {
    HANDLE event = CreateEventA(false, false);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
    SetEvent(event);
    SetEvent(event);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
    SetEvent(event);
    ResetEvent(event);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
    CloseHandle(event);
}

TEST(ChangeNotificationTest, ManualResetEvent_StaysSetUntilReset) {
    HANDLE event = CreateEventA(true, true);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
    ResetEvent(event);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
    CloseHandle(event);
}

TEST(ChangeNotificationTest, WaitForMultipleObjects_LowestSignalledWinsAndTimesOut) {
    HANDLE events[3] = {CreateEventA(false, false), CreateEventA(false, true),
                        CreateEventA(false, true)};
    EXPECT_EQ(WaitForMultipleObjects(3, events, false, 0), WAIT_OBJECT_0 + 1);
    EXPECT_EQ(WaitForMultipleObjects(3, events, false, 0), WAIT_OBJECT_0 + 2);
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(WaitForMultipleObjects(3, events, false, 100), WAIT_TIMEOUT);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100));
    EXPECT_EQ(WaitForMultipleObjects(65, events, false, 0), WAIT_FAILED);
    HANDLE bad[1] = {INVALID_HANDLE_VALUE};
    EXPECT_EQ(WaitForMultipleObjects(1, bad, false, 0), WAIT_FAILED);
    for (HANDLE event : events)
        CloseHandle(event);
}

TEST(ChangeNotificationTest, Wait_WakesWhenAnotherThreadSetsTheEvent) {
    HANDLE event = CreateEventA(false, false);
    std::thread setter([event] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        SetEvent(event);
    });
    EXPECT_EQ(WaitForSingleObject(event, INFINITE), WAIT_OBJECT_0);
    setter.join();
    CloseHandle(event);
}

TEST(ChangeNotificationTest, Watch_SeesCreateDeleteAndRenameInItsFolder) {
    TempDir dir;
    Watch watch(dir.Path(), false, kNames);
    ASSERT_NE(watch.handle, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(watch.Sees(kQuiet));
    Touch(dir.File("new.jpg"));
    EXPECT_TRUE(watch.Sees(kSoon));
    EXPECT_FALSE(watch.Sees(kQuiet));  // re-armed, nothing new
    std::rename(dir.File("new.jpg").c_str(), dir.File("renamed.jpg").c_str());
    EXPECT_TRUE(watch.Sees(kSoon));
    std::filesystem::remove(dir.File("renamed.jpg"));
    EXPECT_TRUE(watch.Sees(kSoon));
}

TEST(ChangeNotificationTest, Watch_IgnoresOtherFoldersAndUnaskedKinds) {
    TempDir watched, other;
    Watch watch(watched.Path(), false, FILE_NOTIFY_CHANGE_DIR_NAME);
    Touch(other.File("elsewhere"));
    Touch(watched.File("a file"));  // a file name change; only folders were asked for
    EXPECT_FALSE(watch.Sees(kQuiet));
    std::filesystem::create_directory(watched.File("a folder"));
    EXPECT_TRUE(watch.Sees(kSoon));
}

TEST(ChangeNotificationTest, Watch_WithSubtreeSeesOldAndNewSubfolders) {
    TempDir dir;
    std::filesystem::create_directories(dir.File("old/deep"));
    Watch flat(dir.Path(), false, kNames);
    Watch tree(dir.Path(), true, kNames);
    Touch(dir.File("old/deep/file"));
    EXPECT_TRUE(tree.Sees(kSoon));
    EXPECT_FALSE(flat.Sees(kQuiet));
    std::filesystem::create_directory(dir.File("new"));
    EXPECT_TRUE(tree.Sees(kSoon));
    EXPECT_TRUE(flat.Sees(kSoon));
    Touch(dir.File("new/inside"));
    EXPECT_TRUE(tree.Sees(kSoon));
    EXPECT_FALSE(flat.Sees(kQuiet));
}

TEST(ChangeNotificationTest, Watch_WithSubtreeFollowsARenamedSubfolder) {
    TempDir dir;
    std::filesystem::create_directories(dir.File("a/kept"));
    Watch tree(dir.Path(), true, kNames);
    std::filesystem::rename(dir.File("a"), dir.File("b"));
    EXPECT_TRUE(tree.Sees(kSoon));
    std::filesystem::create_directory(dir.File("b/made-later"));
    EXPECT_TRUE(tree.Sees(kSoon));
    Touch(dir.File("b/made-later/file"));
    EXPECT_TRUE(tree.Sees(kSoon));
    Touch(dir.File("b/kept/file"));
    EXPECT_TRUE(tree.Sees(kSoon));
}

TEST(ChangeNotificationTest, Rearm_KeepsChangesMadeAfterTheWait) {
    TempDir dir;
    Watch watch(dir.Path(), false, kNames);
    Touch(dir.File("one"));
    ASSERT_EQ(WaitForSingleObject(watch.handle, kSoon), WAIT_OBJECT_0);
    Touch(dir.File("two"));  // before the re-arm
    ASSERT_TRUE(FindNextChangeNotification(watch.handle));
    EXPECT_EQ(WaitForSingleObject(watch.handle, kSoon), WAIT_OBJECT_0);
}

TEST(ChangeNotificationTest, Watch_CannotBeRearmedOnceItsFolderIsGone) {
    TempDir dir;
    std::filesystem::create_directory(dir.File("watched"));
    HANDLE watch = FindFirstChangeNotificationA(dir.File("watched"), false, kNames);
    ASSERT_NE(watch, INVALID_HANDLE_VALUE);
    std::filesystem::remove(dir.File("watched"));
    EXPECT_EQ(WaitForSingleObject(watch, kSoon), WAIT_OBJECT_0);
    EXPECT_FALSE(FindNextChangeNotification(watch));
    EXPECT_TRUE(FindCloseChangeNotification(watch));
}

// The process's inotify descriptors.
std::set<int> InotifyDescriptors() {
    std::set<int> found;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        if (std::filesystem::read_symlink(entry.path(), error).string() == "anon_inode:inotify")
            found.insert(std::stoi(entry.path().filename().string()));
    }
    return found;
}

TEST(ChangeNotificationTest, Wait_GivesUpAWatchWhoseDescriptorIsInError) {
    TempDir dir;
    std::set<int> before = InotifyDescriptors();
    Watch watch(dir.Path(), false, kNames);
    std::set<int> after = InotifyDescriptors();
    std::erase_if(after, [&](int fd) { return before.count(fd) > 0; });
    ASSERT_EQ(after.size(), 1u);
    // Its descriptor now names a pipe without a reader, which polls as an error.
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    close(ends[0]);
    ASSERT_GE(dup2(ends[1], *after.begin()), 0);
    close(ends[1]);
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(WaitForSingleObject(watch.handle, kSoon), WAIT_ABANDONED_0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(kSoon));
}

TEST(ChangeNotificationTest, Watch_RefusesWhatIsNoFolder) {
    TempDir dir;
    Touch(dir.File("file"));
    EXPECT_EQ(FindFirstChangeNotificationA(dir.File("missing"), false, kNames),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(FindFirstChangeNotificationA(dir.File("file"), false, kNames), INVALID_HANDLE_VALUE);
    HANDLE event = CreateEventA(false, false);
    EXPECT_FALSE(FindNextChangeNotification(event));
    CloseHandle(event);
}

TEST(ChangeNotificationTest, Wait_OnCommandEventAndWatchesTellsWhichFired) {
    TempDir dir;
    std::filesystem::create_directory(dir.File("a"));
    std::filesystem::create_directory(dir.File("b"));
    HANDLE command = CreateEventA(false, false);
    Watch a(dir.File("a"), false, kNames), b(dir.File("b"), false, kNames);
    HANDLE all[3] = {command, a.handle, b.handle};
    Touch(dir.File("b/x"));
    EXPECT_EQ(WaitForMultipleObjects(3, all, false, kSoon), WAIT_OBJECT_0 + 2);
    EXPECT_TRUE(FindNextChangeNotification(b.handle));
    SetEvent(command);
    EXPECT_EQ(WaitForMultipleObjects(3, all, false, kSoon), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForMultipleObjects(3, all, false, kQuiet), WAIT_TIMEOUT);
    CloseHandle(command);
}

}  // namespace
