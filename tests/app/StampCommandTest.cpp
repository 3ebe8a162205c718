#include "app/StampCommand.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>
#include <sys/file.h>

#include <QProcess>
#include <csignal>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "LockWait.h"
#include "MovieFiles.h"
#include "PhotoFiles.h"
#include "app/FolderItems.h"
#include "app/StopSignals.h"
#include "framework/StreamErrors.h"
#include "framework/TempFiles.h"
#include "support/CacheHome.h"
#include "support/TempDir.h"
#include "support/Unprivileged.h"

namespace {

const std::string kReadonlyPrefix = "Cannot save readonly file ";

ino_t InodeOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(stat(path.c_str(), &st), 0) << path;
    return st.st_ino;
}

TStampOptions WithVideos() {
    TStampOptions options;
    options.videos = true;
    return options;
}

// The command's surroundings, recording what it is asked to do.
class StampCommandTest : public ::testing::Test,
                         public IStampFolder,
                         public IStampItems,
                         public IStampProgress,
                         public IStampHost {
  protected:
    std::string PathName() const override {
        ++folderReads;
        return folder.empty() ? dir.Path() : folder;
    }
    int Count() const override {
        ++countReads;
        return static_cast<int>(names.size());
    }
    std::string FileName(int index) const override { return names[index]; }
    void SetMax(int max) override { barMax = max; }
    void SetPosition(int position) override { positions.push_back(position); }
    void SetVisible(bool visible) override { barVisible.push_back(visible); }
    void ProcessMessages() override {
        ++pumps;
        if (onPump)
            onPump();
    }
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    void PassedOver(const std::string& path) override { passedOver.push_back(path); }
    void OriginalLeft(const std::string& copyPath, const std::string&) override {
        originalsLeft.push_back(copyPath);
    }
    void TimeNotKept(const std::string& path) override { timesNotKept.push_back(path); }
    bool Interrupted() override { return interrupted && interrupted(); }
    void NameGivesNoDate(const std::string& path, const std::string& reason) override {
        undated.push_back(path + ": " + reason);
    }
    void FolderOrder(const std::string& path, TDayOrder order) override {
        orders.push_back(path + ": " + DayOrderText(order));
    }
    void FolderTooDeep(const std::string& path) override { tooDeepFolders.push_back(path); }

    // A path in the run's folder.
    std::string At(const std::string& name) const {
        return (folder.empty() ? dir.Path() : folder) + "/" + name;
    }
    void Photo(const std::string& name, const std::string& bytes = PlainJpeg()) {
        WriteFileBytes(At(name), bytes);
    }
    void RunOverFolder(const TStampOptions& options = {}) {
        names = ListFolderItems(folder.empty() ? dir.Path() : folder);
        command.Run(options);
    }
    // "path<TAB>date<TAB>scheme" for each photo a dry run lists.
    std::vector<std::string> DryRunOverFolder(const TStampOptions& options = {}) {
        names = ListFolderItems(folder.empty() ? dir.Path() : folder);
        std::vector<std::string> listed;
        command.DryRun(
            [&](const TDryRunEntry& entry) {
                listed.push_back(entry.name + "\t" + entry.date + "\t" + entry.scheme);
            },
            options);
        return listed;
    }
    // Byte for byte what the command always wrote for a plain JPEG.
    bool IsStamped(const std::string& name, const std::string& date) {
        return ReadFileBytes(At(name)) == StampedJpeg(PlainJpeg(), date);
    }

    TempDir dir;
    std::string folder;  // the run's folder when not dir
    std::vector<std::string> names;
    TStampCommand command{TStampBindings{*this, *this, *this, *this}};
    mutable int folderReads = 0;
    mutable int countReads = 0;
    int barMax = -100;
    std::vector<int> positions;
    std::vector<bool> barVisible;
    int pumps = 0;
    std::function<void()> onPump;
    std::vector<std::string> messages;
    std::vector<std::string> passedOver;
    std::vector<std::string> originalsLeft;
    std::vector<std::string> timesNotKept;
    std::vector<std::string> undated;
    std::vector<std::string> orders;
    std::vector<std::string> tooDeepFolders;
    std::function<bool()> interrupted;
};

}  // namespace

TEST_F(StampCommandTest, EmptyListShowsAndHidesBarAndSaysNothingFound) {
    command.Run();
    EXPECT_EQ(barMax, -1);
    EXPECT_EQ(barVisible, (std::vector<bool>{true, false}));
    EXPECT_EQ(positions, std::vector<int>{0});
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "Motorola Photo не найденно\r\nили Exif info уже заполнено!");
}

// A place without a folder path (Computer, say) lists no photos: the run needs
// no folder and finds nothing.
TEST_F(StampCommandTest, PlaceWithoutAFolderFindsNothingWithoutOpeningOne) {
    folder = dir.File("no such folder");
    names = {"File System", "Home"};
    command.Run();
    EXPECT_EQ(messages, std::vector<std::string>{kNothingFoundMessage});
}

// Item names come from the list, which may have them from outside: one that
// is a path leading out of the folder is no photo of it.
TEST_F(StampCommandTest, NameThatLeadsOutOfTheFolderIsNoPhoto) {
    folder = dir.File("run");
    std::filesystem::create_directories(dir.File("run/15-06-07_1230"));
    WriteFileBytes(dir.File("15-06-07_1230.jpg"), PlainJpeg());
    names = {"15-06-07_1230/../../15-06-07_1230.jpg"};
    command.Run();
    EXPECT_EQ(ReadFileBytes(dir.File("15-06-07_1230.jpg")), PlainJpeg());
    EXPECT_EQ(messages, std::vector<std::string>{kNothingFoundMessage});
}

TEST_F(StampCommandTest, StampsEveryPhotoOnceAndCountsThem) {
    std::filesystem::create_directory(dir.File("sub"));
    Photo("15-06-07_1230.jpg");
    Photo("notes.txt", "not a photo at all, but long enough");
    Photo("ab-cd-ef_ghij.jpg");
    Photo("31-12-99_2359.JPG");
    Photo("01-01-13_0000.jpg");
    RunOverFolder();

    EXPECT_TRUE(IsStamped("15-06-07_1230.jpg", "2007:06:15 12:30:00"));
    EXPECT_TRUE(IsStamped("31-12-99_2359.JPG", "1999:12:31 23:59:00"));  // never in the future
    EXPECT_TRUE(IsStamped("01-01-13_0000.jpg", "2013:01:01 00:00:00"));
    EXPECT_EQ(ReadFileBytes(dir.File("ab-cd-ef_ghij.jpg")), PlainJpeg());
    ASSERT_EQ(messages, std::vector<std::string>{"EXIF Info добавлено в: 3 файлов"});
    // sub, 01-.., 15-.., 31-.., ab-.., notes.txt: the bar follows the stamped items' indices
    EXPECT_EQ(barMax, 5);
    EXPECT_EQ(positions, (std::vector<int>{1, 2, 3, 0}));
    EXPECT_EQ(pumps, 3);
    EXPECT_EQ(countReads, 1);
    EXPECT_EQ(folderReads, 1);  // the run opens its folder once

    std::string before = ReadFileBytes(dir.File("15-06-07_1230.jpg"));
    messages.clear();
    RunOverFolder();
    EXPECT_EQ(ReadFileBytes(dir.File("15-06-07_1230.jpg")), before);
    EXPECT_EQ(messages, std::vector<std::string>{
                            "Motorola Photo не найденно\r\nили Exif info уже заполнено!"});
}

TEST_F(StampCommandTest, OneStampedFileIsCountedTheSameWay) {
    Photo("15-06-07_1230.jpg");
    RunOverFolder();
    EXPECT_EQ(messages, std::vector<std::string>{"EXIF Info добавлено в: 1 файлов"});
}

TEST_F(StampCommandTest, PassesOverWhatIsNoPlainJpegOrHasExifAlready) {
    std::string jpeg = PlainJpeg();
    std::map<std::string, std::string> files = {
        {"01-01-07_0000.mp4", HexBytes("00 00 00 18") + "ftypmp42" + std::string(40, '\0')},
        {"02-01-07_0000.jpg",
         HexBytes("FF D8 FF DB 00 04 AA BB FF DA 00 02 12 34 56 78 9A FF D9 00")},
        {"03-01-07_0000.jpg", jpeg.substr(0, 19)},
        {"04-01-07_0000.jpg", JpegWithExifAfterApp0()},
        {"05-01-07_0000.jpg", HexBytes("FF D8 FF E0 00 4C") + jpeg.substr(6)},
        {"06-01-07_0000.jpg", HexBytes("FF D8 FF E0 00 10 45") + jpeg.substr(7)},
    };
    for (const auto& [name, bytes] : files)
        Photo(name, bytes);
    RunOverFolder();
    for (const auto& [name, bytes] : files)
        EXPECT_EQ(ReadFileBytes(dir.File(name)), bytes) << name;
    EXPECT_EQ(pumps, 0);
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].rfind("Motorola Photo", 0), 0u);
}

// The dry run stops there too, having listed what the run stamps.
TEST_F(StampCommandTest, ReadonlyPhotoEndsTheRunAfterEarlierOnesAreStamped) {
    Photo("01-01-07_0000.jpg");
    Photo("02-01-07_0000.jpg");
    Photo("03-01-07_0000.jpg");
    ASSERT_EQ(chmod(dir.File("02-01-07_0000.jpg").c_str(), 0444), 0);
    std::vector<std::string> listed;
    try {
        names = ListFolderItems(dir.Path());
        command.DryRun([&](const TDryRunEntry& entry) { listed.push_back(entry.name); });
        FAIL() << "the dry run went through a read-only photo";
    } catch (const EFOpenError& error) {
        EXPECT_EQ(std::string(error.what()), kReadonlyPrefix + dir.File("02-01-07_0000.jpg") + ".");
    }
    EXPECT_EQ(listed, std::vector<std::string>{"01-01-07_0000.jpg"});
    try {
        RunOverFolder();
        FAIL() << "the run went through a read-only photo";
    } catch (const EFOpenError& error) {
        EXPECT_EQ(std::string(error.what()), kReadonlyPrefix + dir.File("02-01-07_0000.jpg") + ".");
    }
    EXPECT_TRUE(IsStamped("01-01-07_0000.jpg", "2007:01:01 00:00:00"));
    EXPECT_EQ(ReadFileBytes(dir.File("02-01-07_0000.jpg")), PlainJpeg());
    EXPECT_EQ(ReadFileBytes(dir.File("03-01-07_0000.jpg")), PlainJpeg());
    EXPECT_EQ(barVisible, std::vector<bool>{true});  // left shown at its last position
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(ListFolderItems(dir.Path()).size(), 3u);  // no temporary file left
}

// Entries named like photos that are no regular file are left alone and not
// counted; so is one swapped for a FIFO after the listing, without hanging.
TEST_F(StampCommandTest, EntriesThatAreNoRegularFileAreLeftAlone) {
    std::filesystem::create_directory(At("01-01-07_0000.jpg"));
    ASSERT_EQ(mkfifo(At("02-01-07_0000.jpg").c_str(), 0644), 0);
    std::filesystem::create_symlink(At("nowhere"), At("03-01-07_0000.jpg"));
    std::filesystem::create_symlink(At("04-01-07_0000.jpg"), At("04-01-07_0000.jpg"));
    std::filesystem::create_symlink("/dev/zero", At("05-01-07_0000.jpg"));
    Photo("06-01-07_0000.jpg");
    Photo("07-01-07_0000.jpg");
    onPump = [&] {
        std::filesystem::remove(At("07-01-07_0000.jpg"));
        ASSERT_EQ(mkfifo(At("07-01-07_0000.jpg").c_str(), 0644), 0);
    };
    RunOverFolder();
    EXPECT_TRUE(IsStamped("06-01-07_0000.jpg", "2007:01:06 00:00:00"));
    EXPECT_TRUE(passedOver.empty());
    EXPECT_EQ(messages, std::vector<std::string>{"EXIF Info добавлено в: 1 файлов"});
}

// A photo moved or deleted after the listing is named and passed over; the run
// goes on.
TEST_F(StampCommandTest, PhotoGoneBeforeItsOpenIsPassedOver) {
    for (const char* name : {"01-01-07_0000.jpg", "02-01-07_0000.jpg", "03-01-07_0000.jpg"})
        Photo(name);
    onPump = [&] {
        if (pumps == 1)
            std::filesystem::rename(At("02-01-07_0000.jpg"), dir.File("elsewhere.jpg"));
    };
    RunOverFolder();
    EXPECT_EQ(passedOver, std::vector<std::string>{At("02-01-07_0000.jpg")});
    EXPECT_TRUE(IsStamped("03-01-07_0000.jpg", "2007:01:03 00:00:00"));
    EXPECT_EQ(messages, std::vector<std::string>{"EXIF Info добавлено в: 2 файлов"});
}

TEST_F(StampCommandTest, LinkToAPhotoStampedInTheSameRunIsSeenStamped) {
    Photo("15-06-07_1230.jpg");
    ASSERT_EQ(symlink("15-06-07_1230.jpg", dir.File("16-06-07_1230.jpg").c_str()), 0);
    RunOverFolder();
    EXPECT_TRUE(IsStamped("15-06-07_1230.jpg", "2007:06:15 12:30:00"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File("16-06-07_1230.jpg")));
    EXPECT_EQ(messages, std::vector<std::string>{"EXIF Info добавлено в: 1 файлов"});
}

TEST_F(StampCommandTest, DryRunListsALinkedPhotoOnceAsTheRunStampsItOnce) {
    Photo("15-06-07_1230.jpg");
    ASSERT_EQ(symlink("15-06-07_1230.jpg", dir.File("16-06-07_1230.jpg").c_str()), 0);
    EXPECT_EQ(DryRunOverFolder(),
              std::vector<std::string>{"15-06-07_1230.jpg\t2007:06:15 12:30:00\tcamera phones"});
}

TEST_F(StampCommandTest, ManyPhotosAllReachTheDisk) {
    for (int day = 1; day <= 28; ++day) {
        for (const char* month : {"01", "02"}) {
            char name[32];
            std::snprintf(name, sizeof name, "%02d-%s-07_1200.jpg", day, month);
            Photo(name);
        }
    }
    RunOverFolder();
    EXPECT_EQ(messages, std::vector<std::string>{"EXIF Info добавлено в: 56 файлов"});
    EXPECT_TRUE(IsStamped("28-02-07_1200.jpg", "2007:02:28 12:00:00"));
    EXPECT_EQ(ListFolderItems(dir.Path()).size(), 56u);
}

TEST_F(StampCommandTest, ProcessKilledDuringARunLeavesEveryPhotoWholeOrStamped) {
    for (const char* name : {"01-01-07_0000.jpg", "02-01-07_0000.jpg", "03-01-07_0000.jpg"})
        Photo(name);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        onPump = [this] {
            if (pumps == 3)
                raise(SIGKILL);  // two photos written, neither necessarily in place
        };
        RunOverFolder();
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    for (const char* name : {"01-01-07_0000.jpg", "02-01-07_0000.jpg", "03-01-07_0000.jpg"}) {
        std::string date = std::string("2007:01:0") + name[1] + " 00:00:00";
        EXPECT_TRUE(ReadFileBytes(dir.File(name)) == PlainJpeg() || IsStamped(name, date)) << name;
    }
}

TEST_F(StampCommandTest, SecondStartDuringThePumpStepDoesNothing) {
    Photo("01-01-07_0000.jpg");
    Photo("02-01-07_0000.jpg");
    onPump = [this] {
        EXPECT_TRUE(command.Running());
        command.Run();
        command.DryRun([](const TDryRunEntry&) { ADD_FAILURE(); });
    };
    RunOverFolder();
    EXPECT_FALSE(command.Running());
    EXPECT_EQ(pumps, 2);
    EXPECT_EQ(messages, std::vector<std::string>{"EXIF Info добавлено в: 2 файлов"});
    EXPECT_TRUE(IsStamped("02-01-07_0000.jpg", "2007:01:02 00:00:00"));
}

TEST_F(StampCommandTest, StopRequestEndsTheRunAfterTheCurrentFile) {
    Photo("01-01-07_0000.jpg");
    Photo("02-01-07_0000.jpg");
    onPump = [this] { command.RequestStop(); };
    RunOverFolder();
    EXPECT_TRUE(IsStamped("01-01-07_0000.jpg", "2007:01:01 00:00:00"));
    EXPECT_EQ(ReadFileBytes(dir.File("02-01-07_0000.jpg")), PlainJpeg());
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(barVisible, (std::vector<bool>{true, false}));
    command.RequestStop();  // outside a run it has no effect on the next one
    RunOverFolder();
    EXPECT_TRUE(IsStamped("02-01-07_0000.jpg", "2007:01:02 00:00:00"));
}

TEST_F(StampCommandTest, DryRunListsWhatWouldBeStampedAndChangesNothing) {
    Photo("15-06-07_1230.jpg");
    Photo("04-01-07_0000.jpg", JpegWithExifAfterApp0());
    Photo("31-12-99_2359.jpg");
    EXPECT_EQ(DryRunOverFolder(),
              (std::vector<std::string>{"15-06-07_1230.jpg\t2007:06:15 12:30:00\tcamera phones",
                                        "31-12-99_2359.jpg\t1999:12:31 23:59:00\tcamera phones"}));
    EXPECT_EQ(ReadFileBytes(dir.File("15-06-07_1230.jpg")), PlainJpeg());
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(barVisible.empty());
}

// Whatever happens to a photo between its read and its rename, the run writes
// onto nothing but the file it read, and passes the photo over.
// A photo's rewrite, and a video's dating in place, go only onto the file
// that was read, while nobody has opened it for writing.
TEST_F(StampCommandTest, FileChangedBeforeItsRenameOrDatingIsPassedOver) {
    TempDir rootOnly;
    ASSERT_EQ(chmod(rootOnly.Path().c_str(), 0700), 0);
    WriteFileBytes(rootOnly.File("secret"), "secret");
    const struct {
        std::string name, bytes;
        TStampOptions options;
    } files[] = {{"15-06-07_1230.jpg", PlainJpeg(), {}},
                 {"15-06-07_1230.3gp", MakeMovie({}).bytes, WithVideos()}};
    for (const auto& file : files) {
        const std::map<std::string, std::function<void()>> attacks = {
            {"swapped for a link",
             [&] {
                 std::filesystem::remove(At(file.name));
                 ASSERT_EQ(symlink(rootOnly.File("secret").c_str(), At(file.name).c_str()), 0);
             }},
            {"moved away", [&] { std::filesystem::rename(At(file.name), At("moved")); }},
            {"replaced",
             [&] {
                 WriteFileBytes(At("new"), file.bytes);
                 std::filesystem::rename(At("new"), At(file.name));
             }},
            {"opened for writing",
             [&] {
                 int fd = open(At(file.name).c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
                 EXPECT_EQ(fd, -1);  // our read lease holds it back and is broken
                 EXPECT_EQ(errno, EWOULDBLOCK);
             }},
        };
        for (const auto& [attack, apply] : attacks) {
            std::filesystem::remove_all(dir.Path());
            std::filesystem::create_directory(dir.Path());
            Photo(file.name, file.bytes);
            messages.clear();
            passedOver.clear();
            onPump = apply;
            RunOverFolder(file.options);
            EXPECT_EQ(passedOver, std::vector<std::string>{At(file.name)}) << attack << file.name;
            EXPECT_EQ(messages, std::vector<std::string>{kNothingFoundMessage}) << attack;
            EXPECT_EQ(ReadFileBytes(rootOnly.File("secret")), "secret") << attack;
            if (attack == "moved away") {
                EXPECT_FALSE(std::filesystem::exists(At(file.name)));  // not recreated
            }
            EXPECT_EQ(NamesIn(rootOnly.Path()), std::set<std::string>{"secret"}) << attack;
            for (const std::string& name : NamesIn(dir.Path())) {
                EXPECT_FALSE(name.starts_with(".")) << attack;  // no temporary file left
                if (!std::filesystem::is_symlink(At(name))) {
                    EXPECT_EQ(ReadFileBytes(At(name)), file.bytes) << attack << " " << name;
                }
            }
        }
    }
}

// A video is written under an exclusive lock: one another program takes
// during the run passes it over; one held from the start makes it read-only.
TEST_F(StampCommandTest, LockedVideoIsPassedOverOrReadonly) {
    const std::string video = "15-06-07_1230.mp4", movie = MakeMovie({}).bytes;
    Photo(video, movie);
    int holder = -1;
    onPump = [&] {
        holder = open(At(video).c_str(), O_RDONLY | O_CLOEXEC);
        ASSERT_EQ(flock(holder, LOCK_EX), 0);
    };
    RunOverFolder(WithVideos());
    EXPECT_EQ(passedOver, std::vector<std::string>{At(video)});
    EXPECT_EQ(ReadFileBytes(At(video)), movie);
    onPump = nullptr;
    try {
        RunOverFolder(WithVideos());
        FAIL() << "a locked video was dated";
    } catch (const EFOpenError& error) {
        EXPECT_EQ(std::string(error.what()), kReadonlyPrefix + At(video) + ".");
    }
    close(holder);
    EXPECT_EQ(ReadFileBytes(At(video)), movie);
}

// The folder was opened once: swapping its path for a link to another folder
// neither writes there nor loses the photo that was read.
TEST_F(StampCommandTest, FolderSwappedForALinkDuringTheRunIsNotFollowed) {
    TempDir rootOnly;
    ASSERT_EQ(chmod(rootOnly.Path().c_str(), 0700), 0);
    folder = dir.File("photos");
    std::filesystem::create_directory(folder);
    Photo("15-06-07_1230.jpg");
    onPump = [&] {
        std::filesystem::rename(folder, dir.File("moved"));
        ASSERT_EQ(symlink(rootOnly.Path().c_str(), folder.c_str()), 0);
    };
    RunOverFolder();
    EXPECT_TRUE(NamesIn(rootOnly.Path()).empty());
    folder = dir.File("moved");
    EXPECT_TRUE(IsStamped("15-06-07_1230.jpg", "2007:06:15 12:30:00"));
}

TEST_F(StampCommandTest, PhotoOpenForWritingElsewhereIsLeftAlone) {
    Photo("01-01-07_0000.jpg");
    Photo("02-01-07_0000.jpg");
    int writer = open(At("01-01-07_0000.jpg").c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    ASSERT_GE(writer, 0);
    DryRunOverFolder();
    EXPECT_EQ(passedOver, std::vector<std::string>{At("01-01-07_0000.jpg")});  // as a run names it
    passedOver.clear();
    RunOverFolder();
    ASSERT_EQ(write(writer, "more", 4), 4);  // the writer was never held up
    close(writer);
    EXPECT_EQ(ReadFileBytes(At("01-01-07_0000.jpg")), PlainJpeg() + "more");
    EXPECT_TRUE(IsStamped("02-01-07_0000.jpg", "2007:01:02 00:00:00"));
    EXPECT_EQ(passedOver, std::vector<std::string>{At("01-01-07_0000.jpg")});
    EXPECT_EQ(messages, std::vector<std::string>{"EXIF Info добавлено в: 1 файлов"});
}

// A file is judged by its head before it is loaded whole: a huge video named
// like a photo is passed over at once; a huge photo ends the run by name.
TEST_F(StampCommandTest, HugeFilesAreJudgedByTheirHead) {
    const off_t huge = 3LL << 30;
    auto sparse = [&](const std::string& name, const std::string& head) {
        Photo(name, head);
        ASSERT_EQ(truncate(At(name).c_str(), huge), 0);
    };
    sparse("01-01-07_0000.jpg", HexBytes("00 00 00 18") + "ftypmp42");
    Photo("02-01-07_0000.jpg");
    RunOverFolder();
    EXPECT_TRUE(IsStamped("02-01-07_0000.jpg", "2007:01:02 00:00:00"));
    EXPECT_EQ(messages, std::vector<std::string>{"EXIF Info добавлено в: 1 файлов"});

    sparse("03-01-07_0000.jpg", PlainJpeg());
    try {
        RunOverFolder();
        FAIL() << "a 3 GB photo was stamped";
    } catch (const EFOpenError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "Cannot open " + At("03-01-07_0000.jpg") + ".\r\n(File too large.)");
    }
}

TEST_F(StampCommandTest, LockedPhotoIsReadonlyAndMissingDescriptorsAreNamed) {
    Photo("01-01-07_0000.jpg");
    Photo("02-01-07_0000.jpg");
    int holder = open(At("02-01-07_0000.jpg").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(flock(holder, LOCK_EX), 0);  // another program holds it
    try {
        RunOverFolder();
        FAIL() << "a locked photo was stamped";
    } catch (const EFOpenError& error) {
        EXPECT_EQ(std::string(error.what()), kReadonlyPrefix + At("02-01-07_0000.jpg") + ".");
    }
    close(holder);
    EXPECT_EQ(ReadFileBytes(At("02-01-07_0000.jpg")), PlainJpeg());
#if !defined(__SANITIZE_ADDRESS__)  // its own checks need descriptors the test takes away
    Photo("03-01-07_0000.jpg");
    std::vector<int> taken;
    onPump = [&] {
        for (int fd; (fd = dup(0)) >= 0;)
            taken.push_back(fd);
    };
    try {
        RunOverFolder();
        FAIL() << "the run went on without descriptors";
    } catch (const std::exception& error) {
        std::string text = error.what();
        EXPECT_NE(text.find(At("02-01-07_0000.jpg")), std::string::npos) << text;
        EXPECT_NE(text.find("Too many open files"), std::string::npos) << text;
    }
    for (int fd : taken)
        close(fd);
#endif
}

TEST_F(StampCommandTest, AnotherUsersPhotoIsRewrittenInPlaceKeepingItsOwner) {
    const std::string photo = "15-06-07_1230.jpg";
    Photo(photo);
    ASSERT_EQ(chown(At(photo).c_str(), 1234, 1234), 0);
    ASSERT_EQ(chmod(At(photo).c_str(), 0666), 0);
    ASSERT_EQ(chmod(dir.Path().c_str(), 0777), 0);
    struct stat before {};
    ASSERT_EQ(stat(At(photo).c_str(), &before), 0);
    {
        AsUnprivilegedUser nobody;
        ASSERT_TRUE(nobody.Active());
        RunOverFolder();
    }
    struct stat after {};
    ASSERT_EQ(stat(At(photo).c_str(), &after), 0);
    EXPECT_TRUE(IsStamped(photo, "2007:06:15 12:30:00"));
    EXPECT_EQ(after.st_uid, 1234u);
    EXPECT_EQ(after.st_gid, 1234u);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(NamesIn(dir.Path()), std::set<std::string>{photo});
    EXPECT_EQ(messages, std::vector<std::string>{"EXIF Info добавлено в: 1 файлов"});
    EXPECT_EQ(timesNotKept, std::vector<std::string>{At(photo)});  // only its owner may set it
}

// A photo the user may write in a folder the user may not is overwritten in
// place, its original kept in the user's cache meanwhile. Where the cache
// cannot be made either, the message names the folder and both reasons.
TEST_F(StampCommandTest, PhotoInAFolderTheUserCannotWriteIsStampedInPlace) {
    const std::vector<std::string> photos = {"15-06-07_1230.jpg", "16-06-07_1230.jpg"};
    for (const std::string& photo : photos) {
        Photo(photo);
        ASSERT_EQ(chown(At(photo).c_str(), kNobody, kNobody), 0);
    }
    ASSERT_EQ(chmod(dir.Path().c_str(), 0755), 0);
    TempDir homes;
    ASSERT_EQ(chmod(homes.Path().c_str(), 0755), 0);
    std::filesystem::create_directory(homes.File("nobody"));
    ASSERT_EQ(chown(homes.File("nobody").c_str(), kNobody, kNobody), 0);
    const ino_t inode = InodeOf(At(photos[0]));
    {
        AsUnprivilegedUser nobody;
        ASSERT_TRUE(nobody.Active());
        {
            CacheHomeAt cacheHome(homes.File("root's"));
            try {
                RunOverFolder();
                FAIL() << "stamped without a place for the original";
            } catch (const EFCreateError& error) {
                EXPECT_EQ(std::string(error.what()),
                          "Cannot create file in folder \"" + dir.Path() +
                              "\". Permission denied. The original cannot be kept in \"" +
                              homes.File("root's/kadrimarkexif/originals") +
                              "\" either: Permission denied");
            }
            EXPECT_EQ(ReadFileBytes(At(photos[0])), PlainJpeg());
        }
        CacheHomeAt cacheHome(homes.File("nobody"));
        RunOverFolder();
    }
    EXPECT_TRUE(IsStamped(photos[0], "2007:06:15 12:30:00"));
    EXPECT_TRUE(IsStamped(photos[1], "2007:06:16 12:30:00"));
    EXPECT_EQ(InodeOf(At(photos[0])), inode);
    EXPECT_EQ(NamesIn(dir.Path()), std::set<std::string>(photos.begin(), photos.end()));
    EXPECT_TRUE(NamesIn(homes.File("nobody/kadrimarkexif/originals")).empty());
    EXPECT_EQ(messages.back(), "EXIF Info добавлено в: 2 файлов");
}

// Every name of a photo that has more than one sees the stamp, and the undo.
TEST_F(StampCommandTest, PhotoWithMoreThanOneNameIsStampedUnderEach) {
    const std::string photo = "15-06-07_1230.jpg";
    Photo(photo);
    TempDir elsewhere;
    const std::vector<std::string> names = {At(photo), At("the same.jpg"),
                                            elsewhere.File("linked.jpg")};
    for (std::size_t i = 1; i < names.size(); ++i)
        ASSERT_EQ(link(names[0].c_str(), names[i].c_str()), 0);
    const ino_t inode = InodeOf(names[0]);
    RunOverFolder();
    for (const std::string& name : names) {
        EXPECT_EQ(ReadFileBytes(name), StampedJpeg(PlainJpeg(), "2007:06:15 12:30:00")) << name;
        EXPECT_EQ(InodeOf(name), inode) << name;
    }
    TStampOptions undo;
    undo.undo = true;
    RunOverFolder(undo);
    for (const std::string& name : names)
        EXPECT_EQ(ReadFileBytes(name), PlainJpeg()) << name;
    EXPECT_EQ(NamesIn(dir.Path()), (std::set<std::string>{photo, "the same.jpg"}));
}

// A run first clears what a killed run left, even with nothing to stamp: its
// temporary files, unless a live run holds them, and the original a photo was
// being overwritten from - by whoever may write the photo. A copy that cannot
// be put back is named and its photo left alone.
TEST_F(StampCommandTest, RunClearsWhatAKilledRunLeft) {
    Photo(".kadrimark-Stale1.tmp", std::string(100000, 's'));
    Photo(".kadrimark-Held12.tmp", "being written");
    int held = open(At(".kadrimark-Held12.tmp").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(flock(held, LOCK_EX), 0);
    RunOverFolder();
    EXPECT_EQ(NamesIn(dir.Path()), std::set<std::string>{".kadrimark-Held12.tmp"});

    // Left by another user, who could write the photo, killed mid-overwrite.
    const std::string half = "15-06-07_1230.jpg", edited = "16-06-07_1230.jpg";
    const std::string stamped(PlainJpeg().size() + 284, 'S');
    auto leftByAKilledRun = [&](const std::string& photo, const std::string& content) {
        Photo(photo, content);
        EXPECT_EQ(chmod(At(photo).c_str(), 0666), 0);
        struct stat st {};
        EXPECT_EQ(stat(At(photo).c_str(), &st), 0);
        const std::string next = ".kadrimark-New" + photo.substr(0, 3) + ".tmp";
        const std::string copy =
            OriginalCopyName(".kadrimark-Old" + photo.substr(0, 3) + ".tmp", next, st.st_ino);
        Photo(copy, PlainJpeg());
        Photo(next, stamped);
        for (const std::string& name : {copy, next})
            EXPECT_EQ(chown(At(name).c_str(), kNobody, kNobody), 0);
        return copy;
    };
    leftByAKilledRun(half, stamped.substr(0, 10) + PlainJpeg().substr(10));
    const std::string kept = leftByAKilledRun(edited, "edited by its owner since");
    RunOverFolder();
    close(held);
    EXPECT_TRUE(IsStamped(half, "2007:06:15 12:30:00"));
    EXPECT_EQ(ReadFileBytes(At(edited)), "edited by its owner since");
    EXPECT_EQ(originalsLeft, std::vector<std::string>{At(kept)});
    EXPECT_EQ(messages.back(), "EXIF Info добавлено в: 1 файлов");
}

TEST_F(StampCommandTest, SecondRunWaitsForTheFirstAndFindsNothingLeft) {
    for (const char* name : {"01-01-07_0000.jpg", "02-01-07_0000.jpg", "03-01-07_0000.jpg"})
        Photo(name);
    QProcess second;
    onPump = [&] {
        if (pumps != 1)
            return;
        second.start(QStringLiteral(KADRIMARK_STAMP_EXE), {QString::fromStdString(dir.Path())});
        ASSERT_TRUE(second.waitForStarted());
        ASSERT_TRUE(WaitsForALock(second.processId()));
    };
    RunOverFolder();
    ASSERT_TRUE(second.waitForFinished(60000));
    EXPECT_EQ(messages, std::vector<std::string>{"EXIF Info добавлено в: 3 файлов"});
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(second.readAllStandardOutput().toStdString(),
              "Motorola Photo не найденно\nили Exif info уже заполнено!\n");
}

TEST_F(StampCommandTest, SignalEndsTheRunAfterTheCurrentPhotoWithoutLeftovers) {
    for (const char* name : {"01-01-07_0000.jpg", "02-01-07_0000.jpg", "03-01-07_0000.jpg"})
        Photo(name);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        TStopSignals stopSignals;
        interrupted = [] { return TStopSignals::Caught() != 0; };
        onPump = [this] {
            if (pumps == 2)
                raise(SIGTERM);
        };
        RunOverFolder();
        _exit(messages.empty() ? TStopSignals::ExitStatus() : 99);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 143);
    EXPECT_TRUE(IsStamped("01-01-07_0000.jpg", "2007:01:01 00:00:00"));
    EXPECT_TRUE(IsStamped("02-01-07_0000.jpg", "2007:01:02 00:00:00"));
    EXPECT_EQ(ReadFileBytes(At("03-01-07_0000.jpg")), PlainJpeg());
    EXPECT_EQ(NamesIn(dir.Path()).size(), 3u);
}

namespace {

TStampOptions Recursive() {
    TStampOptions options;
    options.recursive = true;
    return options;
}

const char* const kCamera = "\t2007:01:0";

}  // namespace

TEST_F(StampCommandTest, RecursiveRunTakesSubfoldersDepthFirstButNoLinksOrHiddenOnes) {
    TempDir outside;
    WriteFileBytes(outside.File("09-01-07_0000.jpg"), PlainJpeg());
    for (const char* sub : {"b", "b/c", "a", ".hidden"})
        std::filesystem::create_directory(At(sub));
    for (const char* name : {"01-01-07_0000.jpg", "b/02-01-07_0000.jpg", "b/c/03-01-07_0000.jpg",
                             "a/04-01-07_0000.jpg", ".hidden/05-01-07_0000.jpg"})
        Photo(name);
    ASSERT_EQ(symlink(outside.Path().c_str(), At("link").c_str()), 0);
    ASSERT_EQ(symlink("b", At("again").c_str()), 0);
    // Links to photos, here and below, lead out of the tree: the run never follows them.
    for (const char* link : {"08-01-07_0000.jpg", "b/07-01-07_0000.jpg"})
        ASSERT_EQ(symlink(outside.File("09-01-07_0000.jpg").c_str(), At(link).c_str()), 0);
    const std::string camera = " 00:00:00\tcamera phones";
    EXPECT_EQ(DryRunOverFolder(Recursive()),
              (std::vector<std::string>{"01-01-07_0000.jpg" + (kCamera + ("1" + camera)),
                                        "a/04-01-07_0000.jpg" + (kCamera + ("4" + camera)),
                                        "b/02-01-07_0000.jpg" + (kCamera + ("2" + camera)),
                                        "b/c/03-01-07_0000.jpg" + (kCamera + ("3" + camera))}));
    RunOverFolder(Recursive());
    EXPECT_EQ(messages, std::vector<std::string>{"EXIF Info добавлено в: 4 файлов"});
    EXPECT_TRUE(IsStamped("b/c/03-01-07_0000.jpg", "2007:01:03 00:00:00"));
    EXPECT_TRUE(IsStamped("a/04-01-07_0000.jpg", "2007:01:04 00:00:00"));
    EXPECT_EQ(ReadFileBytes(At(".hidden/05-01-07_0000.jpg")), PlainJpeg());
    EXPECT_EQ(ReadFileBytes(outside.File("09-01-07_0000.jpg")), PlainJpeg());
    EXPECT_TRUE(std::filesystem::is_symlink(At("again")));
}

// A run goes down kDeepestFolder levels and names each folder below that it
// leaves out, in the dry run too.
TEST_F(StampCommandTest, FoldersTooDeepAreNamedAndLeftOut) {
    std::string path;
    for (int depth = 1; depth <= kDeepestFolder + 2; ++depth) {
        path += "d/";
        std::filesystem::create_directory(At(path));
        Photo(path + "01-01-07_0000.jpg");
    }
    const std::string tooDeep = At(path.substr(0, 2 * (kDeepestFolder + 1) - 1));
    EXPECT_EQ(DryRunOverFolder(Recursive()).size(), static_cast<std::size_t>(kDeepestFolder));
    RunOverFolder(Recursive());
    EXPECT_EQ(messages.back(), "EXIF Info добавлено в: 64 файлов");
    EXPECT_EQ(tooDeepFolders, (std::vector<std::string>{tooDeep, tooDeep}));
    EXPECT_EQ(ReadFileBytes(tooDeep + "/01-01-07_0000.jpg"), PlainJpeg());
}

// Each subfolder is opened once, through its parent, never through a link: a
// folder swapped for a link to another place while the run is in it or
// before it gets there leads nowhere else.
TEST_F(StampCommandTest, FoldersSwappedDuringARecursiveRunAreNotFollowed) {
    TempDir rootOnly;
    ASSERT_EQ(chmod(rootOnly.Path().c_str(), 0700), 0);
    WriteFileBytes(rootOnly.File("09-01-07_0000.jpg"), PlainJpeg());
    for (const char* sub : {"a", "a/deeper", "b"})
        std::filesystem::create_directory(At(sub));
    for (const char* name :
         {"a/01-01-07_0000.jpg", "a/deeper/02-01-07_0000.jpg", "b/03-01-07_0000.jpg"})
        Photo(name);
    onPump = [&] {
        if (pumps != 1)
            return;
        for (const char* sub : {"a", "b"}) {
            std::filesystem::rename(At(sub), At(std::string("moved-") + sub));
            ASSERT_EQ(symlink(rootOnly.Path().c_str(), At(sub).c_str()), 0);
        }
    };
    RunOverFolder(Recursive());
    EXPECT_EQ(ReadFileBytes(rootOnly.File("09-01-07_0000.jpg")), PlainJpeg());
    EXPECT_EQ(NamesIn(rootOnly.Path()), std::set<std::string>{"09-01-07_0000.jpg"});
    EXPECT_TRUE(IsStamped("moved-a/01-01-07_0000.jpg", "2007:01:01 00:00:00"));
    EXPECT_TRUE(IsStamped("moved-a/deeper/02-01-07_0000.jpg", "2007:01:02 00:00:00"));
    EXPECT_EQ(ReadFileBytes(At("moved-b/03-01-07_0000.jpg")), PlainJpeg());
    EXPECT_EQ(messages, std::vector<std::string>{"EXIF Info добавлено в: 2 файлов"});
}

TEST_F(StampCommandTest, FolderOrderIsToldAndNamesWithoutADateAreNamed) {
    for (const char* name :
         {"21-08-07_1547.jpg", "08-21-07_1547.jpg", "03-04-07_1200.jpg", "31-04-07_1200.jpg"})
        Photo(name);
    Photo("notes.txt");
    std::filesystem::create_directory(At("old"));
    for (const char* name : {"old/08-21-07_1547.jpg", "old/03-04-07_1200.jpg"})
        Photo(name);
    RunOverFolder(Recursive());
    EXPECT_EQ(orders, (std::vector<std::string>{dir.Path() + ": day first and month first",
                                                At("old") + ": month first"}));
    EXPECT_EQ(undated, (std::vector<std::string>{
                           At("03-04-07_1200.jpg") + ": day and month cannot be told apart",
                           At("31-04-07_1200.jpg") + ": no such date or time"}));
    EXPECT_TRUE(IsStamped("21-08-07_1547.jpg", "2007:08:21 15:47:00"));
    EXPECT_TRUE(IsStamped("08-21-07_1547.jpg", "2007:08:21 15:47:00"));
    EXPECT_EQ(ReadFileBytes(At("03-04-07_1200.jpg")), PlainJpeg());
    EXPECT_TRUE(IsStamped("old/03-04-07_1200.jpg", "2007:03:04 12:00:00"));
    EXPECT_EQ(messages, std::vector<std::string>{"EXIF Info добавлено в: 4 файлов"});
}

TEST_F(StampCommandTest, FileTimeBecomesTheShotsMomentOnlyWhenAsked) {
    Photo("15-06-07_1230.jpg");
    Photo("IMG_20190723_184512.jpg");
    const timespec old[2] = {{1000, 0}, {1000, 0}};
    for (const char* name : {"15-06-07_1230.jpg", "IMG_20190723_184512.jpg"})
        ASSERT_EQ(utimensat(AT_FDCWD, At(name).c_str(), old, 0), 0);
    TStampOptions options;
    options.names.all = true;
    options.setModificationTime = true;
    names = {"IMG_20190723_184512.jpg"};
    command.Run(options);
    names = {"15-06-07_1230.jpg"};
    command.Run();
    struct stat shot {
    }, kept{};
    ASSERT_EQ(stat(At("IMG_20190723_184512.jpg").c_str(), &shot), 0);
    ASSERT_EQ(stat(At("15-06-07_1230.jpg").c_str(), &kept), 0);
    EXPECT_EQ(shot.st_mtim.tv_sec, 1563907512);  // 2019-07-23 18:45:12 in the tests' UTC
    EXPECT_EQ(kept.st_mtim.tv_sec, 1000);
    EXPECT_TRUE(IsStamped("IMG_20190723_184512.jpg", "2019:07:23 18:45:12"));
}

// Undo takes out exactly the head this program wrote, whatever the name, and
// nothing another program wrote or changed since.
TEST_F(StampCommandTest, UndoGivesStampedPhotosBackByteForByteAndNothingElse) {
    std::filesystem::create_directory(At("sub"));
    const std::map<std::string, std::string> originals = {
        {"15-06-07_1230.jpg", PlainJpeg()},
        {"sub/IMG_20190723_184512.jpg", PlainJpeg("00 12")},
        {"16-06-07_1230.jpg", JpegWithExifAfterApp0()},
        {"17-06-07_1230.jpg", PlainJpeg()},
        {"notes.txt", "not a photo"},
    };
    for (const auto& [name, bytes] : originals)
        Photo(name, bytes);
    TStampOptions stamp = Recursive();
    stamp.names.all = true;
    stamp.setModificationTime = true;
    RunOverFolder(stamp);
    ASSERT_EQ(messages, std::vector<std::string>{"EXIF Info добавлено в: 3 файлов"});
    std::filesystem::rename(At("15-06-07_1230.jpg"), At("renamed.jpg"));
    const std::string rewritten = ReadFileBytes(At("17-06-07_1230.jpg")) + "edited";
    Photo("17-06-07_1230.jpg", rewritten);  // another program changed it since

    TStampOptions undo = Recursive();
    undo.undo = true;
    EXPECT_EQ(DryRunOverFolder(undo),
              (std::vector<std::string>{"renamed.jpg\t2007:06:15 12:30:00\t",
                                        "sub/IMG_20190723_184512.jpg\t2019:07:23 18:45:12\t"}));
    messages.clear();
    RunOverFolder(undo);
    EXPECT_EQ(messages, std::vector<std::string>{std::string(kGivenBackMessage) + "2"});
    EXPECT_EQ(ReadFileBytes(At("renamed.jpg")), PlainJpeg());
    EXPECT_EQ(ReadFileBytes(At("sub/IMG_20190723_184512.jpg")), PlainJpeg("00 12"));
    EXPECT_EQ(ReadFileBytes(At("16-06-07_1230.jpg")), JpegWithExifAfterApp0());
    EXPECT_EQ(ReadFileBytes(At("17-06-07_1230.jpg")), rewritten);
    EXPECT_EQ(NamesIn(dir.Path()), (std::set<std::string>{"16-06-07_1230.jpg", "17-06-07_1230.jpg",
                                                          "notes.txt", "renamed.jpg", "sub"}));
    messages.clear();
    RunOverFolder(undo);
    EXPECT_EQ(messages, std::vector<std::string>{kNothingToGiveBackMessage});
}
