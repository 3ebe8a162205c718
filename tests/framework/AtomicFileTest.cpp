#include "framework/AtomicFile.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <functional>
#include <future>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <thread>
#include <vector>

#include "support/TempDir.h"

namespace {

struct stat StatOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(stat(path.c_str(), &st), 0) << path;
    return st;
}

// The file as a run reads it before its rewrite.
TFileOrigin OriginOf(const std::string& folder, const std::string& name) {
    TFileOrigin origin;
    origin.folder = TFileHandle(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    origin.name = name;
    origin.file = TFileHandle(openat(origin.folder.Get(), name.c_str(), O_RDONLY | O_CLOEXEC));
    EXPECT_EQ(fstat(origin.file.Get(), &origin.facts), 0) << name;
    origin.path = folder + "/" + name;
    return origin;
}

std::optional<statx_timestamp> BirthOf(const std::string& path) {
    struct statx st {};
    if (statx(AT_FDCWD, path.c_str(), 0, STATX_BTIME, &st) != 0 || (st.stx_mask & STATX_BTIME) == 0)
        return std::nullopt;
    return st.stx_btime;
}

// A rewrite by name, or one handed to the group as a run makes it.
void Replace(const std::string& path, const std::string& bytes, TAtomicFileGroup* group = nullptr) {
    if (group == nullptr) {
        TAtomicFile out(path);
        out.Write(bytes.data(), bytes.size());
        EXPECT_TRUE(out.Commit());
        return;
    }
    const std::filesystem::path file(path);
    TAtomicFile out(OriginOf(file.parent_path(), file.filename()), *group);
    out.Write(bytes.data(), bytes.size());
    out.Commit(*group);
}

// The names a person sees: the group's kept files are hidden.
std::set<std::string> VisibleNamesIn(const std::string& folder) {
    std::set<std::string> names = NamesIn(folder);
    std::erase_if(names, [](const std::string& name) { return name.starts_with('.'); });
    return names;
}

int ErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const TAtomicFileError& error) {
        return error.code().value();
    }
    return 0;
}

}  // namespace

TEST(AtomicFile, CommitReplacesContentKeepingModeOwnerAndTimes) {
    TempDir dir;
    std::string photo = dir.File("a.jpg");
    WriteFileBytes(photo, "old content");
    ASSERT_EQ(chmod(photo.c_str(), 0640), 0);
    const bool root = geteuid() == 0;
    if (root) {
        ASSERT_EQ(chown(photo.c_str(), 1234, 4321), 0);
    }
    const timespec times[2] = {{1000000000, 5}, {1200000000, 123456789}};
    ASSERT_EQ(utimensat(AT_FDCWD, photo.c_str(), times, 0), 0);
    ino_t oldInode = StatOf(photo).st_ino;

    Replace(photo, "new content, longer");

    struct stat st = StatOf(photo);
    EXPECT_EQ(ReadFileBytes(photo), "new content, longer");
    EXPECT_NE(st.st_ino, oldInode);  // a new file took the old one's place
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(st.st_mtim.tv_sec, 1200000000);
    EXPECT_EQ(st.st_mtim.tv_nsec, 123456789);
    if (root) {
        EXPECT_EQ(st.st_uid, 1234u);
        EXPECT_EQ(st.st_gid, 4321u);
    }
    EXPECT_EQ(NamesIn(dir.Path()), std::set<std::string>{"a.jpg"});
}

TEST(AtomicFile, CommitKeepsExtendedAttributes) {
    TempDir dir;
    std::string photo = dir.File("a.jpg");
    WriteFileBytes(photo, "old");
    const std::string tag = "holiday";
    if (setxattr(photo.c_str(), "user.xdg.tags", tag.data(), tag.size(), 0) != 0)
        GTEST_SKIP() << "the test folder's file system keeps no user attributes";

    Replace(photo, "new");

    char value[32] = {};
    ssize_t size = getxattr(photo.c_str(), "user.xdg.tags", value, sizeof value);
    EXPECT_EQ(std::string(value, size > 0 ? static_cast<std::size_t>(size) : 0), tag);
}

TEST(AtomicFile, WithoutCommitOriginalStaysAndTemporaryFileGoes) {
    TempDir dir;
    WriteFileBytes(dir.File("a.jpg"), "original");
    {
        TAtomicFile out(dir.File("a.jpg"));
        out.Write("partial", 7);
        EXPECT_EQ(NamesIn(dir.Path()).size(), 2u);
    }
    EXPECT_EQ(ReadFileBytes(dir.File("a.jpg")), "original");
    EXPECT_EQ(NamesIn(dir.Path()), std::set<std::string>{"a.jpg"});
}

TEST(AtomicFile, SymbolicLinkStaysALinkAndItsTargetIsRewritten) {
    TempDir dir;
    std::filesystem::create_directory(dir.File("real"));
    WriteFileBytes(dir.File("real/a.jpg"), "original");
    ASSERT_EQ(symlink("real/a.jpg", dir.File("link.jpg").c_str()), 0);

    TAtomicFile out(dir.File("link.jpg"));
    EXPECT_EQ(out.TargetPath(), dir.File("real/a.jpg"));
    out.Write("stamped", 7);
    out.Commit();

    EXPECT_TRUE(std::filesystem::is_symlink(dir.File("link.jpg")));
    EXPECT_EQ(ReadFileBytes(dir.File("real/a.jpg")), "stamped");
    EXPECT_EQ(NamesIn(dir.File("real")), std::set<std::string>{"a.jpg"});
}

TEST(AtomicFile, RefusesTargetsThatCannotBeRewritten) {
    TempDir dir;
    WriteFileBytes(dir.File("ro.jpg"), "original");
    ASSERT_EQ(chmod(dir.File("ro.jpg").c_str(), 0444), 0);
    std::filesystem::create_directory(dir.File("folder.jpg"));

    EXPECT_EQ(ErrorOf([&] { TAtomicFile out(dir.File("ro.jpg")); }), EACCES);
    EXPECT_EQ(ErrorOf([&] { TAtomicFile out(dir.File("folder.jpg")); }), EISDIR);
    EXPECT_EQ(ErrorOf([&] { TAtomicFile out(dir.File("missing/a.jpg")); }), ENOENT);
    EXPECT_EQ(ReadFileBytes(dir.File("ro.jpg")), "original");
    EXPECT_EQ(NamesIn(dir.Path()), (std::set<std::string>{"folder.jpg", "ro.jpg"}));
}

TEST(AtomicFile, NewFileGetsDefaultMode) {
    TempDir dir;
    mode_t mask = umask(022);
    Replace(dir.File("new.bin"), "abc");
    umask(mask);
    EXPECT_EQ(ReadFileBytes(dir.File("new.bin")), "abc");
    EXPECT_EQ(StatOf(dir.File("new.bin")).st_mode & 07777, 0644u);
}

// Whatever happens to the name between the read and the rename, the rewrite
// writes onto nothing but the file it read.
TEST(AtomicFile, TargetThatChangedBeforeTheRenameIsPassedOver) {
    const std::map<std::string, std::function<void(const TempDir&)>> changes = {
        {"swapped for a link",
         [](const TempDir& dir) {
             std::filesystem::remove(dir.File("a.jpg"));
             ASSERT_EQ(symlink(dir.File("secret").c_str(), dir.File("a.jpg").c_str()), 0);
         }},
        {"swapped for a folder",
         [](const TempDir& dir) {
             std::filesystem::remove(dir.File("a.jpg"));
             std::filesystem::create_directory(dir.File("a.jpg"));
         }},
        {"moved away",
         [](const TempDir& dir) { std::filesystem::rename(dir.File("a.jpg"), dir.File("moved")); }},
        {"appended to",
         [](const TempDir& dir) { WriteFileBytes(dir.File("a.jpg"), "original, and more"); }},
        {"mode changed",
         [](const TempDir& dir) { ASSERT_EQ(chmod(dir.File("a.jpg").c_str(), 0600), 0); }},
    };
    for (const auto& [change, apply] : changes) {
        TempDir dir;
        WriteFileBytes(dir.File("a.jpg"), "original");
        WriteFileBytes(dir.File("secret"), "secret");
        TAtomicFile out(dir.File("a.jpg"));
        out.Write("stamped", 7);
        apply(dir);
        std::set<std::string> namesChanged = NamesIn(dir.Path());
        std::erase_if(namesChanged, [](const std::string& name) { return name[0] == '.'; });
        EXPECT_FALSE(out.Commit()) << change;
        EXPECT_EQ(ReadFileBytes(dir.File("secret")), "secret") << change;
        EXPECT_EQ(NamesIn(dir.Path()), namesChanged) << change;  // temporary file gone
    }
}

TEST(AtomicFile, ProcessKilledBeforeRenameLeavesOriginalIntact) {
    TempDir dir;
    std::string photo = dir.File("a.jpg");
    std::string original(100000, 'o');
    WriteFileBytes(photo, original);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        TAtomicFile out(photo);
        std::string stamped(200000, 's');
        out.Write(stamped.data(), stamped.size());
        raise(SIGKILL);  // dies between writing and renaming
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(ReadFileBytes(photo), original);
}

TEST(AtomicFileGroup, EverythingIsInPlaceAfterFlush) {
    TempDir dir;
    WriteFileBytes(dir.File("a.jpg"), "old a");
    WriteFileBytes(dir.File("b.jpg"), "old b");
    ASSERT_EQ(symlink("a.jpg", dir.File("link").c_str()), 0);
    auto group = std::make_unique<TAtomicFileGroup>();
    Replace(dir.File("a.jpg"), "new a", group.get());
    Replace(dir.File("b.jpg"), "new bb", group.get());
    EXPECT_EQ(group->PendingCount(), 2u);
    EXPECT_EQ(group->PendingBytes(), 11);
    EXPECT_TRUE(group->Holds(StatOf(dir.File("link"))));
    WriteFileBytes(dir.File("c.jpg"), "old c");
    Replace(dir.File("c.jpg"), "new c");  // without the group: in place at once
    EXPECT_EQ(ReadFileBytes(dir.File("c.jpg")), "new c");
    EXPECT_EQ(group->PendingCount(), 2u);
    EXPECT_EQ(group->Flush(), std::vector<std::string>{});
    EXPECT_EQ(group->PendingCount(), 0u);
    EXPECT_FALSE(group->Holds(StatOf(dir.File("a.jpg"))));
    EXPECT_EQ(ReadFileBytes(dir.File("a.jpg")), "new a");
    EXPECT_EQ(ReadFileBytes(dir.File("b.jpg")), "new bb");
    const std::set<std::string> photos{"a.jpg", "b.jpg", "c.jpg", "link"};
    EXPECT_EQ(VisibleNamesIn(dir.Path()), photos);
    group.reset();  // lets the replaced files go
    EXPECT_EQ(NamesIn(dir.Path()), photos);
}

TEST(AtomicFileGroup, FlushPlacesWhatItCanAndReportsPassedAndFailedFiles) {
    TempDir dir;
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg"})
        WriteFileBytes(dir.File(name), std::string("old ") + name);
    TAtomicFileGroup group;
    Replace(dir.File("a.jpg"), "new a", &group);
    TAtomicFile b(dir.File("b.jpg"));
    b.Write("new b", 5);
    WriteFileBytes(dir.File("b.jpg"), "b, changed meanwhile");
    b.Commit(group);
    TAtomicFile c(dir.File("c.jpg"));
    c.Write("new c", 5);
    struct stat temp {};
    ASSERT_EQ(fstat(c.Handle(), &temp), 0);
    for (const std::string& name : NamesIn(dir.Path())) {
        struct stat st {};  // other temporary files may be renamed meanwhile
        if (stat(dir.File(name).c_str(), &st) == 0 && st.st_ino == temp.st_ino)
            std::filesystem::remove(dir.File(name));  // someone removes c's new content
    }
    c.Commit(group);
    Replace(dir.File("d.jpg"), "new d", &group);
    try {
        group.Flush();
        FAIL() << "Flush succeeded without c's new content";
    } catch (const TAtomicFileError& error) {
        EXPECT_EQ(error.Path(), dir.File("c.jpg"));
        EXPECT_EQ(error.code().value(), ENOENT);
    }
    EXPECT_EQ(ReadFileBytes(dir.File("a.jpg")), "new a");
    EXPECT_EQ(ReadFileBytes(dir.File("b.jpg")), "b, changed meanwhile");
    EXPECT_EQ(ReadFileBytes(dir.File("c.jpg")), "old c.jpg");
    EXPECT_EQ(ReadFileBytes(dir.File("d.jpg")), "new d");
    EXPECT_EQ(VisibleNamesIn(dir.Path()),
              (std::set<std::string>{"a.jpg", "b.jpg", "c.jpg", "d.jpg"}));

    TAtomicFile e(dir.File("a.jpg"));
    e.Write("newer a", 7);
    ASSERT_EQ(chmod(dir.File("a.jpg").c_str(), 0600), 0);
    e.Commit(group);
    EXPECT_EQ(group.Flush(), std::vector<std::string>{dir.File("a.jpg")});
}

TEST(AtomicFileGroup, DestructorFlushesWhatIsLeft) {
    TempDir dir;
    WriteFileBytes(dir.File("a.jpg"), "old a");
    {
        TAtomicFileGroup group;
        Replace(dir.File("a.jpg"), "new a", &group);
    }
    EXPECT_EQ(ReadFileBytes(dir.File("a.jpg")), "new a");
}

// One sync makes a batch durable; when it fails, no file of the batch is
// replaced by content that may not be on disk, and the failure is reported.
TEST(AtomicFileGroup, BatchIsSyncedOnceAndAFailedSyncReplacesNothing) {
    TempDir dir;
    WriteFileBytes(dir.File("a.jpg"), "old a");
    WriteFileBytes(dir.File("b.jpg"), "old b");
    int syncs = 0;
    int failure = 0;
    TAtomicFileGroup group([&](int) {
        ++syncs;
        return failure;
    });
    Replace(dir.File("a.jpg"), "new a", &group);
    Replace(dir.File("b.jpg"), "new b", &group);
    EXPECT_EQ(group.Flush(), std::vector<std::string>{});
    EXPECT_EQ(syncs, 1);
    EXPECT_EQ(ReadFileBytes(dir.File("b.jpg")), "new b");

    failure = EIO;
    Replace(dir.File("a.jpg"), "newer a", &group);
    Replace(dir.File("b.jpg"), "newer b", &group);
    EXPECT_EQ(ErrorOf([&] { group.Flush(); }), EIO);
    EXPECT_EQ(syncs, 2);
    EXPECT_EQ(ReadFileBytes(dir.File("a.jpg")), "new a");
    EXPECT_EQ(ReadFileBytes(dir.File("b.jpg")), "new b");
    EXPECT_EQ(VisibleNamesIn(dir.Path()), (std::set<std::string>{"a.jpg", "b.jpg"}));
}

// With a wait set, the sync runs on a helper while the owner waits its own
// way; nothing is renamed before the sync is over.
TEST(AtomicFileGroup, OwnerWaitsItsOwnWayWhileAHelperSyncs) {
    TempDir dir;
    WriteFileBytes(dir.File("a.jpg"), "old a");
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::thread::id syncer;
    TAtomicFileGroup group([&](int fd) {
        syncer = std::this_thread::get_id();
        released.wait();
        return TAtomicFileGroup::SyncFileSystem(fd);
    });
    int waits = 0;
    group.SetSyncWait([&](const std::function<bool(int)>& finished) {
        ++waits;
        EXPECT_FALSE(finished(20));
        EXPECT_EQ(ReadFileBytes(dir.File("a.jpg")), "old a");
        release.set_value();
        while (!finished(10)) {
        }
    });
    Replace(dir.File("a.jpg"), "new a", &group);
    EXPECT_EQ(group.Flush(), std::vector<std::string>{});
    EXPECT_EQ(group.Flush(), std::vector<std::string>{});  // nothing handed: no wait
    EXPECT_EQ(waits, 1);
    EXPECT_NE(syncer, std::this_thread::get_id());
    EXPECT_EQ(ReadFileBytes(dir.File("a.jpg")), "new a");
}

// The sync and the replaced files are let go on helper threads; without any,
// the group does both itself rather than waiting for one.
TEST(AtomicFileGroup, HelperThatCannotStartIsNotWaitedFor) {
    TempDir dir;
    WriteFileBytes(dir.File("a.jpg"), "old a");
    {
        TAtomicFileGroup group(TAtomicFileGroup::SyncFileSystem,
                               [](std::function<void()>) -> std::thread {
                                   throw std::system_error(EAGAIN, std::generic_category());
                               });
        group.SetSyncWait([](const auto&) { ADD_FAILURE() << "waited without a helper"; });
        Replace(dir.File("a.jpg"), "new a", &group);
        EXPECT_EQ(group.Flush(), std::vector<std::string>{});
        Replace(dir.File("a.jpg"), "newer a", &group);
    }
    EXPECT_EQ(ReadFileBytes(dir.File("a.jpg")), "newer a");
    EXPECT_EQ(NamesIn(dir.Path()), std::set<std::string>{"a.jpg"});
}

// Under a low descriptor limit and with replaced files let go slowly, a long
// run of batches never runs out of descriptors: the handed, held and
// releasing files stay within what the process may spare.
TEST(AtomicFileGroup, LongRunStaysWithinTheDescriptorLimit) {
    TempDir dir;
    constexpr int kFiles = 400;
    for (int i = 0; i < kFiles; ++i)
        WriteFileBytes(dir.File(std::to_string(i) + ".jpg"), "old");
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
    rlimit lowered = saved;
    lowered.rlim_cur =
        static_cast<rlim_t>(std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                                          std::filesystem::directory_iterator()) +
                            200);
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &lowered), 0);
    int failure = 0;
    {
        TAtomicFileGroup group(TAtomicFileGroup::SyncFileSystem, [](std::function<void()> work) {
            return TAtomicFileGroup::StartHelper([work] {
                std::this_thread::sleep_for(std::chrono::milliseconds(300));  // a slow disk
                work();
            });
        });
        for (int i = 0; i < kFiles && failure == 0; ++i) {
            failure = ErrorOf([&] {
                Replace(dir.File(std::to_string(i) + ".jpg"), "new", &group);
                if (group.Full())
                    group.Flush();
            });
        }
        if (failure == 0)
            failure = ErrorOf([&] { group.Flush(); });
    }
    setrlimit(RLIMIT_NOFILE, &saved);
    EXPECT_EQ(failure, 0);
    for (int i = 0; i < kFiles; ++i)
        EXPECT_EQ(ReadFileBytes(dir.File(std::to_string(i) + ".jpg")), "new");
}

// A batch's rewrites take the files the group's earlier renames replaced in
// their folder as their temporary files - but never one that someone still
// has open or that carries a flag a new file lacks. Nothing of the replaced
// file (mode, extended attributes, flags, content) reaches the new content,
// and nothing of the new content reaches whoever held the replaced file's
// pages (a spliced pipe).
TEST(AtomicFileGroup, LaterRewritesReuseOnlyReplacedFilesNoOneElseHolds) {
    struct Case {
        const char* label;
        std::function<bool(const std::string& photo, TFileHandle& reader, TFileHandle& pipe)> hold;
        bool reused;
    };
    const std::string oldA(5000, 'a');
    const std::vector<Case> cases = {
        {"nobody holds it", [](const std::string&, TFileHandle&, TFileHandle&) { return true; },
         true},
        {"a reader has it open",
         [](const std::string& photo, TFileHandle& reader, TFileHandle&) {
             reader = TFileHandle(open(photo.c_str(), O_RDONLY | O_CLOEXEC));
             return reader.Valid();
         },
         false},
        {"a pipe holds its pages",
         [&](const std::string& photo, TFileHandle& reader, TFileHandle& pipeEnd) {
             int ends[2];
             TFileHandle file(open(photo.c_str(), O_RDONLY | O_CLOEXEC));
             if (pipe(ends) != 0)
                 return false;
             pipeEnd = TFileHandle(ends[0]);
             reader = TFileHandle(ends[1]);  // the writing end, kept so the pipe stays
             return splice(file.Get(), nullptr, ends[1], nullptr, oldA.size(), 0) ==
                    static_cast<ssize_t>(oldA.size());
         },
         true},
        {"it carries a flag",
         [](const std::string& photo, TFileHandle&, TFileHandle&) {
             TFileHandle file(open(photo.c_str(), O_RDONLY | O_CLOEXEC));
             int flags = FS_NODUMP_FL;
             return ioctl(file.Get(), FS_IOC_SETFLAGS, &flags) == 0;
         },
         false},
    };
    for (const Case& each : cases) {
        TempDir dir;
        WriteFileBytes(dir.File("a.jpg"), oldA);
        WriteFileBytes(dir.File("b.jpg"), "old b");
        ASSERT_EQ(chmod(dir.File("a.jpg").c_str(), 0644), 0);
        ASSERT_EQ(chmod(dir.File("b.jpg").c_str(), 0640), 0);
        setxattr(dir.File("a.jpg").c_str(), "user.tag", "a", 1, 0);  // where supported
        TFileHandle reader, pipeEnd;
        if (!each.hold(dir.File("a.jpg"), reader, pipeEnd)) {
            std::printf("not tried here: %s\n", each.label);
            continue;
        }
        // A file let go may lend its number to the next new one; its birth
        // time tells them apart.
        const std::optional<statx_timestamp> replaced = BirthOf(dir.File("a.jpg"));
        if (!replaced)
            GTEST_SKIP() << "no birth times here";
        {
            TAtomicFileGroup group;
            Replace(dir.File("a.jpg"), "new a", &group);
            group.Flush();
            Replace(dir.File("b.jpg"), "new b", &group);
            group.Flush();
        }
        const std::optional<statx_timestamp> born = BirthOf(dir.File("b.jpg"));
        EXPECT_EQ(born->tv_sec == replaced->tv_sec && born->tv_nsec == replaced->tv_nsec,
                  each.reused)
            << each.label;
        EXPECT_EQ(ReadFileBytes(dir.File("a.jpg")), "new a") << each.label;
        EXPECT_EQ(ReadFileBytes(dir.File("b.jpg")), "new b") << each.label;
        EXPECT_EQ(StatOf(dir.File("b.jpg")).st_mode & 07777, 0640u) << each.label;
        EXPECT_LT(getxattr(dir.File("b.jpg").c_str(), "user.tag", nullptr, 0), 0) << each.label;
        TFileHandle b(open(dir.File("b.jpg").c_str(), O_RDONLY | O_CLOEXEC));
        int flags = 0;
        if (ioctl(b.Get(), FS_IOC_GETFLAGS, &flags) == 0) {
            EXPECT_EQ(flags & FS_NODUMP_FL, 0) << each.label;
        }
        EXPECT_EQ(NamesIn(dir.Path()), (std::set<std::string>{"a.jpg", "b.jpg"})) << each.label;
        const int held = pipeEnd.Valid() ? pipeEnd.Get() : reader.Get();
        if (held >= 0) {
            std::string read(oldA.size(), '\0');
            EXPECT_EQ(::read(held, read.data(), read.size()), 5000) << each.label;
            EXPECT_EQ(read, oldA) << each.label;
        }
    }
}

// A replaced file that got another name meanwhile keeps its content there.
TEST(AtomicFileGroup, ReplacedFileLinkedElsewhereIsNotReused) {
    TempDir dir;
    WriteFileBytes(dir.File("a.jpg"), "old a");
    WriteFileBytes(dir.File("b.jpg"), "old b");
    TAtomicFileGroup group;
    Replace(dir.File("a.jpg"), "new a", &group);
    group.Flush();
    for (const std::string& name : NamesIn(dir.Path())) {
        if (name.starts_with('.')) {
            ASSERT_EQ(link(dir.File(name).c_str(), dir.File("kept").c_str()), 0);
        }
    }
    Replace(dir.File("b.jpg"), "new b", &group);
    group.Flush();
    EXPECT_EQ(ReadFileBytes(dir.File("kept")), "old a");
    EXPECT_EQ(ReadFileBytes(dir.File("b.jpg")), "new b");
}

// The first batch is small, so that the next reuses its replaced files; the
// batches grow only while a sync costs more than a quarter of their writing.
TEST(AtomicFileGroup, BatchesStartSmallAndGrowOnlyWhileSyncsAreSlow) {
    const std::map<std::string, std::chrono::milliseconds> disks = {
        {"fast disk", std::chrono::milliseconds(0)}, {"slow disk", std::chrono::milliseconds(150)}};
    const std::map<std::string, std::vector<std::size_t>> expected = {
        {"fast disk", std::vector<std::size_t>(15, TAtomicFileGroup::kFirstBatchFiles)},
        {"slow disk", {16, 32, 64, 128}}};
    for (const auto& [disk, wait] : disks) {
        TempDir dir;
        TAtomicFileGroup group([wait](int) {
            std::this_thread::sleep_for(wait);
            return 0;
        });
        std::vector<std::size_t> batches;
        for (int i = 0; i < 240; ++i) {
            WriteFileBytes(dir.File(std::to_string(i)), "old");
            Replace(dir.File(std::to_string(i)), "new", &group);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));  // files of some size
            if (group.Due()) {
                batches.push_back(group.PendingCount());
                group.Flush();
            }
        }
        EXPECT_EQ(batches, expected.at(disk)) << disk;
    }
}

// A kept file serves its own folder only - someone may hold it where no check
// sees, and reach through it only photos of that folder - there a rewrite in
// place as well (a photo with two names), and nothing stays behind.
TEST(AtomicFileGroup, KeptFilesServeTheirOwnFolderOnly) {
    TempDir dir;
    TempDir other;
    WriteFileBytes(dir.File("a.jpg"), "old a");
    WriteFileBytes(dir.File("d.jpg"), "old d");
    WriteFileBytes(dir.File("c.jpg"), "old c");
    ASSERT_EQ(link(dir.File("c.jpg").c_str(), dir.File("c-too.jpg").c_str()), 0);
    WriteFileBytes(other.File("b.jpg"), "old b");
    const std::optional<statx_timestamp> replaced = BirthOf(dir.File("a.jpg"));
    if (!replaced)
        GTEST_SKIP() << "no birth times here";
    {
        TAtomicFileGroup group;
        Replace(dir.File("a.jpg"), "new a", &group);
        Replace(dir.File("d.jpg"), "new d", &group);
        group.Flush();
        Replace(dir.File("c.jpg"), "new c", &group);    // d's kept file, in place
        Replace(other.File("b.jpg"), "new b", &group);  // not a's
        EXPECT_EQ(group.Flush(), std::vector<std::string>{});
    }
    const std::optional<statx_timestamp> born = BirthOf(other.File("b.jpg"));
    EXPECT_FALSE(born->tv_sec == replaced->tv_sec && born->tv_nsec == replaced->tv_nsec);
    EXPECT_EQ(ReadFileBytes(other.File("b.jpg")), "new b");
    EXPECT_EQ(ReadFileBytes(dir.File("c-too.jpg")), "new c");
    EXPECT_EQ(NamesIn(dir.Path()), (std::set<std::string>{"a.jpg", "c.jpg", "c-too.jpg", "d.jpg"}));
    EXPECT_EQ(NamesIn(other.Path()), std::set<std::string>{"b.jpg"});
}
