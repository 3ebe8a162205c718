#include "shell/ChangeHandlerThread.h"

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <future>
#include <stdexcept>
#include <vector>

#include "../support/TempDir.h"
#include "ShellTestSupport.h"
#include "framework/Application.h"
#include "shell/ShellError.h"

namespace {

constexpr std::uint32_t kChangeMessage = WM_USER + 101;

class ChangeHandlerThreadTest : public ShellTest {
  protected:
    ChangeHandlerThreadTest()
        : window([this](TMessage& m) {
              if (m.Msg == kChangeMessage && m.WParam == TChangeHandlerThread::kWatchingFailed)
                  failures.push_back(m.LParam);
              else if (m.Msg == kChangeMessage && m.LParam == 0) {
                  slots.push_back(static_cast<int>(m.WParam));
                  failuresBeforeLastChange = failures.size();
              }
          }) {}

    std::string Folder(const std::string& name) {
        std::string path = dir.File(name);
        mkdir(path.c_str(), 0755);
        return path;
    }
    int MessagesFor(int slot) const {
        int count = 0;
        for (int s : slots)
            count += s == slot;
        return count;
    }
    // Waits for one more message for `slot` than `before`.
    bool NextMessageFor(int slot, int before) {
        return PumpUntil([&] { return MessagesFor(slot) > before; });
    }

    TempDir dir;
    MessageWindow window;
    std::vector<int> slots;
    std::vector<std::intptr_t> failures;
    std::size_t failuresBeforeLastChange = 0;
};

// Lowers the process's descriptor limit while it lives.
class DescriptorLimit {
  public:
    explicit DescriptorLimit(rlim_t limit) {
        getrlimit(RLIMIT_NOFILE, &saved_);
        rlimit lowered = saved_;
        lowered.rlim_cur = limit;
        setrlimit(RLIMIT_NOFILE, &lowered);
    }
    ~DescriptorLimit() { setrlimit(RLIMIT_NOFILE, &saved_); }

  private:
    rlimit saved_;
};

// Processor time the whole process used, in milliseconds.
long ProcessorMs() {
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000L +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000L;
}

constexpr DWORD kNames = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME;

TEST_F(ChangeHandlerThreadTest, SeesCreateDeleteAndRenameInWatchedFolder) {
    std::string watched = Folder("watched");
    TChangeHandlerThread thread(window.Handle(), kChangeMessage);
    int slot = -1;
    ASSERT_TRUE(thread.Watch(watched, kNames, false, slot));
    EXPECT_EQ(slot, 0);

    int before = MessagesFor(slot);
    WriteFileBytes(watched + "/new.jpg", "x");
    ASSERT_TRUE(NextMessageFor(slot, before)) << "create";
    before = MessagesFor(slot);
    ASSERT_EQ(std::remove((watched + "/new.jpg").c_str()), 0);
    ASSERT_TRUE(NextMessageFor(slot, before)) << "delete";
    WriteFileBytes(watched + "/old.jpg", "x");
    ASSERT_TRUE(NextMessageFor(slot, MessagesFor(slot))) << "create before rename";
    before = MessagesFor(slot);
    ASSERT_EQ(std::rename((watched + "/old.jpg").c_str(), (watched + "/renamed.jpg").c_str()), 0);
    ASSERT_TRUE(NextMessageFor(slot, before)) << "rename";
}

TEST_F(ChangeHandlerThreadTest, UnwatchedFolderPostsNothing_AndSlotsAreKeptApart) {
    std::string a = Folder("a"), b = Folder("b"), unwatched = Folder("unwatched");
    TChangeHandlerThread thread(window.Handle(), kChangeMessage);
    int slotA = -1, slotB = -1;
    ASSERT_TRUE(thread.Watch(a, kNames, false, slotA));
    ASSERT_TRUE(thread.Watch(b, kNames, false, slotB));
    EXPECT_EQ(slotA, 0);
    EXPECT_EQ(slotB, 1);

    WriteFileBytes(unwatched + "/ignored", "x");
    WriteFileBytes(b + "/seen", "x");
    ASSERT_TRUE(NextMessageFor(slotB, 0));
    EXPECT_EQ(MessagesFor(slotA), 0);
    WriteFileBytes(a + "/seen", "x");
    ASSERT_TRUE(NextMessageFor(slotA, 0));
}

TEST_F(ChangeHandlerThreadTest, ChangeWhileACommandRuns_IsSeenAfterwards) {
    std::string a = Folder("a"), b = Folder("b");
    TChangeHandlerThread thread(window.Handle(), kChangeMessage);
    int slotA = -1, slotB = -1;
    ASSERT_TRUE(thread.Watch(a, kNames, false, slotA));
    WriteFileBytes(a + "/x", "x");
    ASSERT_TRUE(thread.Watch(b, kNames, false, slotB));
    ASSERT_TRUE(NextMessageFor(slotA, 0));
}

TEST_F(ChangeHandlerThreadTest, SubtreeWatchSeesFoldersBelow) {
    std::string top = Folder("top");
    std::string below = Folder("top/below");
    TChangeHandlerThread thread(window.Handle(), kChangeMessage);
    int slot = -1;
    ASSERT_TRUE(thread.Watch(top, kNames, true, slot));
    WriteFileBytes(below + "/deep", "x");
    ASSERT_TRUE(NextMessageFor(slot, 0));
}

TEST_F(ChangeHandlerThreadTest, FreedSlotsAreReused) {
    std::string a = Folder("a"), b = Folder("b"), c = Folder("c");
    TChangeHandlerThread thread(window.Handle(), kChangeMessage);
    int slot = -1;
    ASSERT_TRUE(thread.Watch(a, kNames, false, slot));
    ASSERT_TRUE(thread.Watch(b, kNames, false, slot));
    thread.Unwatch(0);
    ASSERT_TRUE(thread.Watch(c, kNames, false, slot));
    EXPECT_EQ(slot, 0);
    // The new slot 0 watches c, not a.
    WriteFileBytes(c + "/x", "x");
    ASSERT_TRUE(NextMessageFor(0, 0));
    thread.UnwatchAll();
    ASSERT_TRUE(thread.Watch(b, kNames, false, slot));
    EXPECT_EQ(slot, 0);
}

TEST_F(ChangeHandlerThreadTest, UnwatchAll_StopsMessages) {
    std::string a = Folder("a"), b = Folder("b");
    TChangeHandlerThread thread(window.Handle(), kChangeMessage);
    int slot = -1;
    ASSERT_TRUE(thread.Watch(a, kNames, false, slot));
    thread.UnwatchAll();
    ASSERT_TRUE(thread.Watch(b, kNames, false, slot));
    ASSERT_EQ(slot, 0);
    // A change in a, then one in b: only b's arrives, both carry slot 0, so a
    // message before b's change would show a is still watched.
    WriteFileBytes(a + "/x", "x");
    WriteFileBytes(b + "/y", "x");
    ASSERT_TRUE(NextMessageFor(0, 0));
    Application->ProcessMessages();
    EXPECT_EQ(MessagesFor(0), 1);
}

TEST_F(ChangeHandlerThreadTest, RefusesEmptyPathMissingFolderAndFullTable) {
    TChangeHandlerThread thread(window.Handle(), kChangeMessage);
    int slot = 99;
    EXPECT_FALSE(thread.Watch("", kNames, false, slot));
    EXPECT_FALSE(thread.Watch(dir.File("missing"), kNames, false, slot));
    EXPECT_EQ(slot, 99);
    std::string a = Folder("a");
    // Each watch is an inotify instance, and the per-user limit is shared with
    // every other process of the user: running out of them is not our fault.
    auto watch = [&] {
        errno = 0;
        if (thread.Watch(a, kNames, false, slot))
            return true;
        if (errno == EMFILE)
            throw std::runtime_error("inotify instances exhausted");
        return false;
    };
    try {
        for (int i = 0; i < TChangeHandlerThread::kSlotCount; ++i) {
            ASSERT_TRUE(watch()) << i;
            ASSERT_EQ(slot, i);
        }
        EXPECT_FALSE(watch());
    } catch (const std::runtime_error&) {
        GTEST_SKIP() << "inotify instances are exhausted by other processes";
    }
    // A free slot makes room again.
    thread.Unwatch(40);
    ASSERT_TRUE(thread.Watch(a, kNames, false, slot));
    EXPECT_EQ(slot, 40);
}

TEST_F(ChangeHandlerThreadTest, DroppedFolderIsDroppedFromItsSlot) {
    std::string gone = Folder("gone");
    std::string stays = Folder("stays");
    TChangeHandlerThread thread(window.Handle(), kChangeMessage);
    int goneSlot = -1;
    ASSERT_TRUE(thread.Watch(gone, kNames, false, goneSlot));
    ASSERT_EQ(rmdir(gone.c_str()), 0);
    // The watched folder vanished: its handle cannot be re-armed, so its slot is
    // freed and goes to the next watch.
    ASSERT_TRUE(PumpUntil([&] {
        int slot = -1;
        if (!thread.Watch(stays, kNames, false, slot))
            return false;
        if (slot == goneSlot)
            return true;
        thread.Unwatch(slot);
        return false;
    }));
}

TEST_F(ChangeHandlerThreadTest, AnswersGoToTheirOwnCommands_AfterTheThreadWasBusy) {
    std::string held = Folder("held"), givenUp = Folder("given-up"), next = Folder("next");
    std::atomic<bool> hold{false};
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    TChangeHandlerThread thread(window.Handle(), kChangeMessage);
    thread.SetBeforeCommandForTest([&] {
        if (hold)
            released.wait();
    });
    int slot = -1;
    ASSERT_TRUE(thread.Watch(held, kNames, false, slot));
    ASSERT_EQ(slot, 0);

    // The thread stays busy past both callers' waits.
    hold = true;
    thread.SetCommandTimeoutForTest(50);
    EXPECT_FALSE(thread.Watch(givenUp, kNames, false, slot));
    thread.Unwatch(0);
    hold = false;
    release.set_value();
    thread.SetCommandTimeoutForTest(TChangeHandlerThread::kCommandTimeoutMs);

    // The given-up watch was undone and the unwatch carried out: the next
    // watch gets its own answer, slot 0, and only its folder reports.
    ASSERT_TRUE(thread.Watch(next, kNames, false, slot));
    EXPECT_EQ(slot, 0);
    WriteFileBytes(held + "/x", "x");
    WriteFileBytes(givenUp + "/x", "x");
    WriteFileBytes(next + "/x", "x");
    ASSERT_TRUE(NextMessageFor(0, 0));
    Application->ProcessMessages();
    EXPECT_EQ(slots, std::vector<int>{0});
}

TEST_F(ChangeHandlerThreadTest, FailingWait_IsReportedOnce_WithoutSpinning_ThenRecovers) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizers' own memory checks need descriptors the test takes away";
#endif
    std::string a = Folder("a"), b = Folder("b");
    TChangeHandlerThread thread(window.Handle(), kChangeMessage);
    int slotA = -1, slotB = -1;
    ASSERT_TRUE(thread.Watch(a, kNames, false, slotA));
    ASSERT_TRUE(thread.Watch(b, kNames, false, slotB));
    {
        // poll refuses more descriptors than the limit: the thread waits on three.
        DescriptorLimit limit(2);
        int wakes = MessagesFor(slotA);
        ASSERT_EQ(mkdir((a + "/wake").c_str(), 0755), 0);  // takes no descriptor
        // If the thread had not blocked yet when the limit fell, it fails once
        // before it takes the wake too; once a failure follows the wake, it
        // only fails.
        ASSERT_TRUE(PumpUntil([&] {
            return MessagesFor(slotA) > wakes && failures.size() > failuresBeforeLastChange;
        }));
        EXPECT_EQ(failures[0], HResultFromErrno(EINVAL));
        std::size_t reported = failures.size();
        // A spinning thread would burn most of this half second.
        long before = ProcessorMs();
        PumpUntil([] { return false; }, 500);
        EXPECT_LT(ProcessorMs() - before, 100);
        EXPECT_EQ(failures.size(), reported);
    }
    int before = MessagesFor(slotB);
    WriteFileBytes(b + "/again", "x");
    ASSERT_TRUE(NextMessageFor(slotB, before));
}

TEST_F(ChangeHandlerThreadTest, StopsPromptlyWhenIdleOrWatching) {
    auto start = std::chrono::steady_clock::now();
    { TChangeHandlerThread idle(window.Handle(), kChangeMessage); }
    {
        TChangeHandlerThread busy(window.Handle(), kChangeMessage);
        int slot = -1;
        ASSERT_TRUE(busy.Watch(Folder("w"), kNames, true, slot));
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

}  // namespace

TEST(ChangeHandlerThreadStart, WithoutDescriptorsLeftItFailsInsteadOfSpinning) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizers' own memory checks need descriptors the test takes away";
#endif
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Room for one descriptor: the first event is made, the second is not.
        int lowestFree = dup(0);
        close(lowestFree);
        rlimit one{static_cast<rlim_t>(lowestFree + 1), static_cast<rlim_t>(lowestFree + 1)};
        setrlimit(RLIMIT_NOFILE, &one);
        try {
            TChangeHandlerThread watcher(0, kChangeMessage);
        } catch (const EShellError& error) {
            _exit(error.Code() == HResultFromErrno(EMFILE) ? 0 : 2);
        }
        _exit(1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}
