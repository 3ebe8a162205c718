#include "app/StampCommand.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "PhotoFiles.h"
#include "app/FolderItems.h"
#include "framework/StreamErrors.h"
#include "hexdoc/MPHexEditor.h"
#include "support/TempDir.h"

namespace {

const std::string kReadonlyPrefix = "Cannot save readonly file ";

// The command's surroundings, recording what it is asked to do.
class StampCommandTest : public ::testing::Test,
                         public IStampFolder,
                         public IStampItems,
                         public IStampProgress,
                         public IStampHost {
  protected:
    StampCommandTest() { document.Loaded(); }

    std::string PathName() const override {
        ++folderReads;
        return dir.Path();
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

    void Photo(const std::string& name, const std::string& bytes = PlainJpeg()) {
        WriteFileBytes(dir.File(name), bytes);
    }
    void RunOverFolder() {
        names = ListFolderItems(dir.Path());
        command.Run();
    }
    bool IsStamped(const std::string& name, const std::string& date) {
        std::string bytes = ReadFileBytes(dir.File(name));
        return bytes.size() == PlainJpeg().size() + 284 &&
               bytes.substr(0, 4) == "\xFF\xD8\xFF\xE1" && bytes.substr(50, 19) == date &&
               bytes.substr(120, 19) == date;
    }

    TempDir dir;
    std::vector<std::string> names;
    TMPHexEditor document;
    TStampCommand command{TStampBindings{*this, *this, *this, *this, document}};
    mutable int folderReads = 0;
    mutable int countReads = 0;
    int barMax = -100;
    std::vector<int> positions;
    std::vector<bool> barVisible;
    int pumps = 0;
    std::function<void()> onPump;
    std::vector<std::string> messages;
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

TEST_F(StampCommandTest, StampsEveryPhotoOnceAndCountsThem) {
    std::filesystem::create_directory(dir.File("sub"));
    Photo("15-06-07_1230.jpg");
    Photo("notes.txt", "not a photo at all, but long enough");
    Photo("ab-cd-ef_ghij.jpg");
    Photo("31-12-99_2359.JPG");
    Photo("01-01-13_0000.jpg");
    RunOverFolder();

    EXPECT_TRUE(IsStamped("15-06-07_1230.jpg", "2007:06:15 12:30:00"));
    EXPECT_TRUE(IsStamped("31-12-99_2359.JPG", "2099:12:31 23:59:00"));
    EXPECT_TRUE(IsStamped("01-01-13_0000.jpg", "2013:01:01 00:00:00"));
    EXPECT_EQ(ReadFileBytes(dir.File("ab-cd-ef_ghij.jpg")), PlainJpeg());
    ASSERT_EQ(messages, std::vector<std::string>{"EXIF Info добавлено в: 3 файлов"});
    // sub, 01-.., 15-.., 31-.., ab-.., notes.txt: the bar follows the stamped items' indices
    EXPECT_EQ(barMax, 5);
    EXPECT_EQ(positions, (std::vector<int>{1, 2, 3, 0}));
    EXPECT_EQ(pumps, 3);
    EXPECT_EQ(countReads, 1);
    EXPECT_EQ(folderReads, 6);

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

TEST_F(StampCommandTest, ReadonlyPhotoEndsTheRunAfterEarlierOnesAreStamped) {
    Photo("01-01-07_0000.jpg");
    Photo("02-01-07_0000.jpg");
    Photo("03-01-07_0000.jpg");
    ASSERT_EQ(chmod(dir.File("02-01-07_0000.jpg").c_str(), 0444), 0);
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

TEST_F(StampCommandTest, FolderWithAPhotoNameFailsToLoad) {
    std::filesystem::create_directory(dir.File("15-06-07_1230.jpg"));
    try {
        RunOverFolder();
        FAIL() << "a folder was loaded";
    } catch (const EFOpenError& error) {
        EXPECT_EQ(std::string(error.what())
                      .rfind("Cannot open " + dir.File("15-06-07_1230.jpg") + ".\r\n(", 0),
                  0u);
    }
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
    names = ListFolderItems(dir.Path());
    std::vector<std::string> listed;
    command.DryRun([&](const std::string& name, const std::string&) { listed.push_back(name); });
    EXPECT_EQ(listed, std::vector<std::string>{"15-06-07_1230.jpg"});
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
        command.DryRun([](const std::string&, const std::string&) { ADD_FAILURE(); });
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
    names = ListFolderItems(dir.Path());
    std::vector<std::string> listed;
    command.DryRun([&](const std::string& name, const std::string& date) {
        listed.push_back(name + " " + date);
    });
    EXPECT_EQ(listed, (std::vector<std::string>{"15-06-07_1230.jpg 2007:06:15 12:30:00",
                                                "31-12-99_2359.jpg 2099:12:31 23:59:00"}));
    EXPECT_EQ(ReadFileBytes(dir.File("15-06-07_1230.jpg")), PlainJpeg());
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(barVisible.empty());
}
