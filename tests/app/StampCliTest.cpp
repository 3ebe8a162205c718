#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <map>
#include <set>

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <string>

#include "LockWait.h"
#include "MovieFiles.h"
#include "PhotoFiles.h"
#include "app/PhotoName.h"
#include "app/StampCli.h"
#include "app/StampCommand.h"
#include "framework/TempFiles.h"
#include "support/TempDir.h"

namespace {

struct Result {
    int exitCode;
    std::string out;
    std::string err;
};

Result Finished(QProcess& process) {
    EXPECT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    return {process.exitCode(), process.readAllStandardOutput().toStdString(),
            process.readAllStandardError().toStdString()};
}

Result Stamper(const QStringList& arguments, const QString& outputFile = {},
               const QString& timeZone = {}) {
    QProcess process;
    if (!outputFile.isEmpty())
        process.setStandardOutputFile(outputFile);
    if (!timeZone.isEmpty()) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("TZ", timeZone);
        process.setProcessEnvironment(environment);
    }
    process.start(QStringLiteral(KADRIMARK_STAMP_EXE), arguments);
    return Finished(process);
}

// The stamper started by the shell after `setup` (limits, redirections).
// Starts the stamper and kills it after the given milliseconds.
void KillStamperAfter(const QStringList& arguments, int milliseconds) {
    QProcess process;
    process.start(QStringLiteral(KADRIMARK_STAMP_EXE), arguments);
    ASSERT_TRUE(process.waitForStarted());
    usleep(static_cast<useconds_t>(milliseconds) * 1000);
    kill(static_cast<pid_t>(process.processId()), SIGKILL);
    process.waitForFinished();
}

Result StamperAfter(const std::string& setup, const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral("/bin/sh"),
                  QStringList{"-c", QString::fromStdString(setup + "; exec \"$0\" \"$@\""),
                              QStringLiteral(KADRIMARK_STAMP_EXE)} +
                      arguments);
    return Finished(process);
}

// The movie times of the video at `path`; none when it is no movie.
std::vector<std::uint64_t> VideoTimes(const std::string& path) {
    std::vector<std::uint64_t> values;
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat facts {};
    TMovieTimes times;
    if (fd >= 0 && fstat(fd, &facts) == 0 && ReadMovieTimes(fd, facts.st_size, times)) {
        for (const TMovieTimeField& field : times.fields)
            values.push_back(field.value);
    }
    close(fd);
    return values;
}

// Every file below the folder and its bytes (a link's text), by path.
std::map<std::string, std::string> Contents(const std::string& folder) {
    std::map<std::string, std::string> contents;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (entry.is_symlink())
            contents[entry.path()] = "-> " + std::filesystem::read_symlink(entry).string();
        else if (entry.is_regular_file())
            contents[entry.path()] = ReadFileBytes(entry.path());
    }
    return contents;
}

QStringList Args(std::initializer_list<std::string> args) {
    QStringList list;
    for (const std::string& arg : args)
        list << QString::fromStdString(arg);
    return list;
}

}  // namespace

TEST(StampCli, StampsTheFolderAndPrintsTheCount) {
    TempDir dir;
    WriteFileBytes(dir.File("15-06-07_1230.jpg"), PlainJpeg());
    WriteFileBytes(dir.File("31-12-99_2359.jpg"), PlainJpeg());
    WriteFileBytes(dir.File("readme.txt"), "hello");
    Result result = Stamper(Args({dir.Path() + "/"}));
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "EXIF Info добавлено в: 2 файлов\n");
    EXPECT_EQ(result.err, "");  // not a terminal: no progress
    EXPECT_EQ(ReadFileBytes(dir.File("31-12-99_2359.jpg")).substr(50, 19), "1999:12:31 23:59:00");

    result = Stamper(Args({dir.Path()}));
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "Motorola Photo не найденно\nили Exif info уже заполнено!\n");
}

// Messages speak the locale's language; the count stays the line's one number.
TEST(StampCli, MessagesFollowTheLocale) {
    const struct {
        const char* locale;
        const char* count;
        const char* passedOver;
    } cases[] = {
        {"ru_RU.UTF-8", "EXIF Info добавлено в: 1 файлов\n",
         "Пропущено (такой даты или времени нет): "},
        {"en_GB.UTF-8", "EXIF info added to: 1 file\n", "Passed over (no such date or time): "},
        {"C", "EXIF Info добавлено в: 1 файлов\n", "Passed over (no such date or time): "},
    };
    for (const auto& c : cases) {
        TempDir dir;
        WriteFileBytes(dir.File("15-06-07_1230.jpg"), PlainJpeg());
        WriteFileBytes(dir.File("31-02-07_1230.jpg"), PlainJpeg());
        Result result =
            StamperAfter("LC_ALL=" + std::string(c.locale) + "; export LC_ALL", Args({dir.Path()}));
        EXPECT_EQ(result.out, c.count) << c.locale;
        EXPECT_EQ(result.err, c.passedOver + dir.File("31-02-07_1230.jpg") + "\n") << c.locale;
    }
}

TEST(StampCli, DryRunListsInListOrderAndChangesNothing) {
    TempDir dir;
    WriteFileBytes(dir.File("31-12-99_2359.jpg"), PlainJpeg());
    WriteFileBytes(dir.File("15-06-07_1230.JPG"), PlainJpeg());
    WriteFileBytes(dir.File("16-06-07_1230.jpg"), JpegWithExifAfterApp0());
    Result result = Stamper(Args({"--dry-run", dir.Path()}));
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out,
              "15-06-07_1230.JPG\t2007:06:15 12:30:00\tcamera phones\n"
              "31-12-99_2359.jpg\t1999:12:31 23:59:00\tcamera phones\n");
    EXPECT_EQ(result.err, "Camera-phone names read day first in " + dir.Path() + "\n");
    EXPECT_EQ(ReadFileBytes(dir.File("31-12-99_2359.jpg")), PlainJpeg());
}

TEST(StampCli, ErrorGoesToStandardErrorWithExitOne) {
    TempDir dir;
    WriteFileBytes(dir.File("01-01-07_0000.jpg"), PlainJpeg());
    WriteFileBytes(dir.File("02-01-07_0000.jpg"), PlainJpeg());
    ASSERT_EQ(chmod(dir.File("02-01-07_0000.jpg").c_str(), 0444), 0);
    Result result = Stamper(Args({dir.Path()}));
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "Cannot save readonly file " + dir.File("02-01-07_0000.jpg") + ".\n");
    EXPECT_EQ(ReadFileBytes(dir.File("01-01-07_0000.jpg")).size(), PlainJpeg().size() + 284);
    Result dry = Stamper(Args({"--dry-run", dir.Path()}));  // says what the run did
    EXPECT_EQ(dry.exitCode, 1);
    EXPECT_EQ(dry.err.substr(dry.err.find('\n') + 1), result.err);

    result = Stamper(Args({dir.File("missing")}));
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err,
              "Cannot open " + dir.File("missing") + ".\n(No such file or directory.)\n");
}

TEST(StampCli, HelpAndWrongArguments) {
    Result help = Stamper(Args({"--help"}));
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.out.rfind("Usage: kadrimarkexif-stamp [--dry-run [-0]] [--all-names]", 0), 0u);
    for (const char* option : {"--all-names", "--pattern PATTERN", "-r, --recursive", "--set-mtime",
                               "--undo", "-n, --dry-run", "19YY"})
        EXPECT_NE(help.out.find(option), std::string::npos) << option;
    for (const TNameSchemeInfo& scheme : NameSchemes())
        EXPECT_NE(help.out.find(scheme.example), std::string::npos) << scheme.name;

    // Undoing takes out every header this program wrote, whatever the names.
    const std::string undoAlone = "--undo takes no --all-names or --set-mtime";
    for (const auto& [wrong, reason] : std::vector<std::pair<QStringList, std::string>>{
             {{}, "no folder given"},
             {{"a", "b"}, "one folder only"},
             {{"--bogus", "a"}, "unknown option '--bogus'"},
             {{"a", "-x\n"}, "unknown option '-x\\n'"},
             {{"-0", "a"}, "-0 goes with --dry-run only"},
             {{"a", "--pattern"}, "option '--pattern' needs a value"},
             {{"--undo", "--all-names", "a"}, undoAlone},
             {{"--undo", "--set-mtime", "a"}, undoAlone}}) {
        Result result = Stamper(wrong);
        EXPECT_EQ(result.exitCode, 2) << reason;
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err, "kadrimarkexif-stamp: " + reason + "\n" + help.out);
    }
    Result empty = Stamper(Args({"--dry-run", ""}));
    EXPECT_EQ(empty.exitCode, 2);
    EXPECT_EQ(empty.err, "kadrimarkexif-stamp: the folder name is empty\n");
    Result pattern = Stamper(Args({"--pattern", "%Y%m%d_%Q", "a"}));
    EXPECT_EQ(pattern.exitCode, 2);
    EXPECT_EQ(pattern.err, "kadrimarkexif-stamp: --pattern: unknown field %Q\n");
}

TEST(StampCli, SignalsEndTheRunWithTheirStatusAndNoCount) {
    TempDir dir;
    WriteFileBytes(dir.File("15-06-07_1230.jpg"), PlainJpeg());
    int folder = open(dir.Path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_EQ(flock(folder, LOCK_EX), 0);  // another run holds the folder
    for (auto [signal, status] : {std::pair{SIGINT, 130}, {SIGTERM, 143}, {SIGHUP, 129}}) {
        QProcess process;
        process.start(QStringLiteral(KADRIMARK_STAMP_EXE), Args({dir.Path()}));
        ASSERT_TRUE(process.waitForStarted());
        ASSERT_TRUE(WaitsForALock(process.processId()));
        kill(static_cast<pid_t>(process.processId()), signal);
        Result result = Finished(process);
        EXPECT_EQ(result.exitCode, status) << signal;
        EXPECT_EQ(result.out, "") << signal;
        EXPECT_EQ(result.err, "waiting for another run on " + dir.Path() + "\n") << signal;
    }
    close(folder);
    EXPECT_EQ(ReadFileBytes(dir.File("15-06-07_1230.jpg")), PlainJpeg());
}

TEST(StampCli, OutputThatCannotBeWrittenIsAnError) {
    TempDir dir;
    WriteFileBytes(dir.File("15-06-07_1230.jpg"), PlainJpeg());
    for (const QStringList& args :
         {Args({"--help"}), Args({"--dry-run", dir.Path()}), Args({dir.Path()})}) {
        Result result = Stamper(args, QStringLiteral("/dev/full"));
        EXPECT_EQ(result.exitCode, 1) << args.join(' ').toStdString();
        const std::string failure =
            "kadrimarkexif-stamp: cannot write to standard output: No space left on device\n";
        EXPECT_TRUE(result.err.ends_with(failure)) << result.err;  // after what a dry run says
    }
    Result closed = StamperAfter("exec >&-", Args({"--help"}));
    EXPECT_EQ(closed.exitCode, 1);
    EXPECT_EQ(closed.err,
              "kadrimarkexif-stamp: cannot write to standard output: Bad file descriptor\n");
}

TEST(StampCli, ManyPhotosWithFewDescriptors) {
    TempDir dir;
    for (int i = 0; i < 300; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "%02d-%02d-07_%04d.jpg", 1 + i % 28, 1 + i / 28, i % 60);
        WriteFileBytes(dir.File(name), PlainJpeg());
    }
    Result result = StamperAfter("ulimit -n 64", Args({dir.Path()}));
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "EXIF Info добавлено в: 300 файлов\n");
}

TEST(StampCli, WriteErrorNamesTheFileAndTheReason) {
    TempDir dir;
    WriteFileBytes(dir.File("15-06-07_1230.jpg"), PlainJpeg() + std::string(65536, '\0'));
    Result result = StamperAfter("ulimit -f 16", Args({dir.Path()}));
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err,
              "Stream write error: " + dir.File("15-06-07_1230.jpg") + ": File too large.\n");
    EXPECT_EQ(ReadFileBytes(dir.File("15-06-07_1230.jpg")).size(), PlainJpeg().size() + 65536);
    EXPECT_EQ(NamesIn(dir.Path()), std::set<std::string>{"15-06-07_1230.jpg"});
}

// An original a crashed run left that cannot be put back (the photo changed
// since) is named with its photo; the photo is left alone and the run fails
// without a word of success.
TEST(StampCli, OriginalThatCannotBePutBackFailsTheRun) {
    TempDir dir;
    WriteFileBytes(dir.File("15-06-07_1230.jpg"), PlainJpeg());
    struct stat st {};
    ASSERT_EQ(stat(dir.File("15-06-07_1230.jpg").c_str(), &st), 0);
    const std::string copy =
        OriginalCopyName(".kadrimark-Orig01.tmp", ".kadrimark-Next01.tmp", st.st_ino);
    WriteFileBytes(dir.File(copy), "an older original");
    WriteFileBytes(dir.File(".kadrimark-Next01.tmp"), "its stamped content");
    Result result = Stamper(Args({dir.Path()}));
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err,
              "Not stamped, may be left half-rewritten by an interrupted run (it "
              "changed since, so it was not put back): " +
                  dir.File("15-06-07_1230.jpg") +
                  "; its original, to copy back over it: " + dir.File(copy) + "\n");
    EXPECT_EQ(ReadFileBytes(dir.File("15-06-07_1230.jpg")), PlainJpeg());
}

// A dry run puts nothing back, but names each original a killed run left,
// in the folder or in the user's cache of originals, with the photo it may
// have left half-rewritten; a copy a live process holds is no leftover.
TEST(StampCli, DryRunNamesWhatAKilledRunLeftAndChangesNothing) {
    TempDir dir, cacheHome;
    const std::string cache = cacheHome.File("kadrimarkexif/originals");
    std::filesystem::create_directories(cache);
    const std::string stamped = StampedJpeg(PlainJpeg(), "2007:06:15 12:30:00");
    auto leftByAKilledRun = [&](const std::string& photo, const std::string& folder) {
        WriteFileBytes(dir.File(photo), stamped.substr(0, 30) + PlainJpeg().substr(30));
        struct stat st {};
        EXPECT_EQ(stat(dir.File(photo).c_str(), &st), 0);
        const std::string next = ".kadrimark-New" + photo.substr(0, 3) + ".tmp";
        const std::string copy =
            OriginalCopyName(".kadrimark-Old" + photo.substr(0, 3) + ".tmp", next, st.st_ino);
        WriteFileBytes(folder + "/" + copy, PlainJpeg());
        WriteFileBytes(folder + "/" + next, stamped);
        return copy;
    };
    const std::string inFolder = leftByAKilledRun("15-06-07_1230.jpg", dir.Path());
    const std::string cached = leftByAKilledRun("16-06-07_1230.jpg", cache);
    const std::string live = leftByAKilledRun("17-06-07_1230.jpg", dir.Path());
    TFileHandle folder(open(dir.Path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    TFileHandle cacheFolder(open(cache.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    ASSERT_EQ(RecordCachedCopy(cacheFolder.Get(), cached, folder.Get(), dir.Path()), 0);
    TFileHandle held(open(dir.File(live).c_str(), O_RDONLY | O_CLOEXEC));
    ASSERT_EQ(flock(held.Get(), LOCK_EX), 0);
    const auto before = Contents(dir.Path()), cacheBefore = Contents(cacheHome.Path());

    Result result =
        StamperAfter("export XDG_CACHE_HOME=" + cacheHome.Path(), Args({"--dry-run", dir.Path()}));
    auto named = [&](const std::string& photo, const std::string& copy) {
        return "May be left half-rewritten by an interrupted run (a run puts its original back "
               "first if it has not changed since, else leaves it alone): " +
               dir.File(photo) + "; its original: " + copy + "\n";
    };
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.err, "Camera-phone names read day first in " + dir.Path() + "\n" +
                              named("15-06-07_1230.jpg", dir.File(inFolder)) +
                              named("16-06-07_1230.jpg", cache + "/" + cached));
    EXPECT_EQ(Contents(dir.Path()), before);
    EXPECT_EQ(Contents(cacheHome.Path()), cacheBefore);
}

// A name cannot write to the terminal through an error message either.
TEST(StampCli, ErrorMessagesEscapeTheName) {
    TempDir dir;
    const std::string name = "15-06-07_1210\x1b]0;PWNED\a\nFAKE: all good.jpg";
    WriteFileBytes(dir.File(name), PlainJpeg());
    ASSERT_EQ(chmod(dir.File(name).c_str(), 0444), 0);
    Result result = Stamper(Args({dir.Path()}));
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "Cannot save readonly file " + dir.Path() +
                              "/15-06-07_1210\\x1B]0;PWNED\\x07\\nFAKE: all good.jpg.\n");
}

TEST(StampCli, DryRunNamesCannotForgeRecords) {
    TempDir dir;
    const std::string forged = "15-06-07_1230.jpg\t2000:01:01 00:00:00\n16-06-07_1230.jpg";
    WriteFileBytes(dir.File(forged), PlainJpeg());
    Result lines = Stamper(Args({"--dry-run", dir.Path()}));
    EXPECT_EQ(lines.out,
              "15-06-07_1230.jpg\\t2000:01:01 00:00:00\\n16-06-07_1230.jpg\t2007:06:15 12:30:00"
              "\tcamera phones\n");
    Result records = Stamper(Args({"--dry-run", "-0", dir.Path()}));
    EXPECT_EQ(records.out, forged + "\t2007:06:15 12:30:00\tcamera phones" + std::string(1, '\0'));

    // The scheme column shows the user's pattern, which may hold any byte too.
    TempDir own;
    const std::string pattern = "x\t%Y%m%d\n\xE2\x80\xAE";
    WriteFileBytes(own.File("x\t20190723\n\xE2\x80\xAE.jpg"), PlainJpeg());
    Result patterned = Stamper(Args({"--dry-run", "--pattern", pattern, own.Path()}));
    EXPECT_EQ(patterned.out,
              "x\\t20190723\\n\\xE2\\x80\\xAE.jpg\t2019:07:23 00:00:00"
              "\tpattern x\\t%Y%m%d\\n\\xE2\\x80\\xAE\n");
}

TEST(StampCli, EscapedNameShowsEveryByteUnambiguously) {
    const std::pair<std::string, std::string> cases[] = {
        {"15-06-07_1230 фото.jpg", "15-06-07_1230 фото.jpg"},
        {"a\\b", "a\\\\b"},
        {"a\tb\nc\rd", "a\\tb\\nc\\rd"},
        {"\x1b[2J\x7f", "\\x1B[2J\\x7F"},
        {"\xc2\x9b"
         "31m",
         "\\xC2\\x9B31m"},                               // a C1 control character
        {"\xff\xc3(\xe2\x82", "\\xFF\\xC3(\\xE2\\x82"},  // no UTF-8
        {"\xed\xa0\x80", "\\xED\\xA0\\x80"},             // a surrogate
        {"gpj.\u202e1230", "gpj.\\xE2\\x80\\xAE1230"},   // a reordering control
    };
    for (const auto& [name, escaped] : cases)
        EXPECT_EQ(EscapedName(name), escaped) << escaped;
}

// The options as a person types them: preview a tree of phone and messenger
// photos, stamp it, preview and take the stamp back.
TEST(StampCli, TreeOfTodaysPhotosIsPreviewedStampedAndGivenBack) {
    TempDir dir;
    std::filesystem::create_directories(dir.File("2021/chats"));
    const std::map<std::string, std::string> originals = {
        {"08-21-07_1547.jpg", PlainJpeg()},
        {"03-04-07_1200.jpg", PlainJpeg()},
        {"2021/PXL_20211231_235959123.jpg", PlainJpeg()},
        {"2021/chats/IMG-20200101-WA0007 (1).jpg", PlainJpeg()},
        {"2021/chats/signal-2022-03-04-050607.jpg", JpegWithExifAfterApp0()},
        {"2021/chats/DSC20190724_091011.jpg", PlainJpeg("00 11")},
    };
    for (const auto& [name, bytes] : originals)
        WriteFileBytes(dir.File(name), bytes);
    const QString berlin = "Europe/Berlin";
    const QString pattern = "--pattern=%Y%m%d_%H%M%S";
    Result preview =
        Stamper(Args({"--dry-run", "--all-names", "-r", dir.Path()}) << pattern, {}, berlin);
    EXPECT_EQ(preview.exitCode, 0);
    EXPECT_EQ(preview.out,
              "03-04-07_1200.jpg\t2007:03:04 12:00:00\tcamera phones\n"
              "08-21-07_1547.jpg\t2007:08:21 15:47:00\tcamera phones\n"
              "2021/PXL_20211231_235959123.jpg\t2022:01:01 00:59:59\tPixel\n"
              "2021/chats/DSC20190724_091011.jpg\t2019:07:24 09:10:11\tpattern %Y%m%d_%H%M%S\n"
              "2021/chats/IMG-20200101-WA0007 (1).jpg\t2020:01:01 12:00:00\tWhatsApp\n");
    EXPECT_EQ(preview.err, "Camera-phone names read month first in " + dir.Path() + "\n");

    Result stamp = Stamper(Args({"--all-names", "--recursive", "--set-mtime", "--pattern",
                                 "%Y%m%d_%H%M%S", dir.Path()}),
                           {}, berlin);
    EXPECT_EQ(stamp.exitCode, 0);
    EXPECT_EQ(stamp.out, "EXIF Info добавлено в: 5 файлов\n");
    EXPECT_EQ(ReadFileBytes(dir.File("03-04-07_1200.jpg")).substr(50, 19), "2007:03:04 12:00:00");
    struct stat pixel {};
    ASSERT_EQ(stat(dir.File("2021/PXL_20211231_235959123.jpg").c_str(), &pixel), 0);
    EXPECT_EQ(pixel.st_mtim.tv_sec, 1640995199);  // 2021-12-31 23:59:59 UTC

    Result undoPreview = Stamper(Args({"--undo", "--dry-run", "-r", dir.Path()}));
    EXPECT_EQ(undoPreview.exitCode, 0);
    EXPECT_EQ(undoPreview.out,
              "03-04-07_1200.jpg\t2007:03:04 12:00:00\n"
              "08-21-07_1547.jpg\t2007:08:21 15:47:00\n"
              "2021/PXL_20211231_235959123.jpg\t2022:01:01 00:59:59\n"
              "2021/chats/DSC20190724_091011.jpg\t2019:07:24 09:10:11\n"
              "2021/chats/IMG-20200101-WA0007 (1).jpg\t2020:01:01 12:00:00\n");
    Result undo = Stamper(Args({"--undo", "--recursive", dir.Path()}));
    EXPECT_EQ(undo.exitCode, 0);
    EXPECT_EQ(undo.out, std::string(kGivenBackMessage) + "5\n");
    for (const auto& [name, bytes] : originals)
        EXPECT_EQ(ReadFileBytes(dir.File(name)), bytes) << name;
}

// The user's pattern comes before the built-in schemes: a name of its form
// is read by it alone - dated as it says, or passed over - and the dry run
// names it; the schemes read the other names, and the folder's day or month
// order is taken from those only.
TEST(StampCli, OwnPatternComesBeforeTheSchemes) {
    const struct {
        const char* pattern;
        std::vector<std::string> names;
        std::string listed;
        const char* order;                // the folder's camera-phone order, or ""
        std::vector<std::string> passed;  // named as passed over (no such date)
    } cases[] = {
        {"%Y%d%m_%H%M%S",
         {"20191207_101112.jpg", "20190113_101112.jpg", "IMG_20190723_184512.jpg"},
         "20191207_101112.jpg\t2019:07:12 10:11:12\tpattern %Y%d%m_%H%M%S\n"
         "IMG_20190723_184512.jpg\t2019:07:23 18:45:12\tAndroid cameras\n",
         "",
         {"20190113_101112.jpg"}},
        {"%m-%d-%y_%H%M",
         {"03-04-07_1200.jpg", "13-04-07_1200.JPG", "08-21-07_1547"},
         "03-04-07_1200.jpg\t2007:03:04 12:00:00\tpattern %m-%d-%y_%H%M\n"
         "08-21-07_1547\t2007:08:21 15:47:00\tcamera phones\n",
         "month first",
         {"13-04-07_1200.JPG"}},
    };
    for (const auto& c : cases) {
        TempDir dir;
        for (const std::string& name : c.names)
            WriteFileBytes(dir.File(name), PlainJpeg());
        std::string err = *c.order ? "Camera-phone names read " + std::string(c.order) + " in " +
                                         dir.Path() + "\n"
                                   : "";
        for (const std::string& name : c.passed)
            err += "Passed over (no such date or time): " + dir.File(name) + "\n";
        const QStringList options = Args({"--all-names", "--pattern", c.pattern, dir.Path()});
        Result preview = Stamper(QStringList{"--dry-run"} + options, {}, "UTC");
        EXPECT_EQ(preview.out, c.listed) << c.pattern;
        EXPECT_EQ(preview.err, err) << c.pattern;
        Result stamp = Stamper(options, {}, "UTC");
        EXPECT_EQ(stamp.out, "EXIF Info добавлено в: 2 файлов\n") << c.pattern;
        EXPECT_EQ(ReadFileBytes(dir.File(c.names[0])).substr(50, 19),
                  c.listed.substr(c.listed.find('\t') + 1, 19))
            << c.pattern;
    }
}

// Another mounted file system, or another mount of this one, below the
// folder is no subfolder of it.
TEST(StampCli, RecursiveRunStaysOnTheFoldersMount) {
    TempDir dir;
    TempDir elsewhere;
    for (const char* sub : {"tmpfs", "bound", "plain"})
        std::filesystem::create_directory(dir.File(sub));
    WriteFileBytes(dir.File("01-01-07_0000.jpg"), PlainJpeg());
    WriteFileBytes(dir.File("plain/02-01-07_0000.jpg"), PlainJpeg());
    WriteFileBytes(elsewhere.File("03-01-07_0000.jpg"), PlainJpeg());
    const std::string mounts = "mount -t tmpfs none '" + dir.File("tmpfs") + "' && cp '" +
                               elsewhere.File("03-01-07_0000.jpg") + "' '" +
                               dir.File("tmpfs/04-01-07_0000.jpg") + "' && mount --bind '" +
                               elsewhere.Path() + "' '" + dir.File("bound") + "' || exit 99";
    QProcess process;
    process.start("unshare", QStringList{"-m", "/bin/sh", "-c",
                                         QString::fromStdString(mounts + "; exec \"$0\" \"$@\""),
                                         QStringLiteral(KADRIMARK_STAMP_EXE), "-r", "-n",
                                         QString::fromStdString(dir.Path())});
    if (!process.waitForStarted())
        GTEST_SKIP() << "no unshare";
    Result result = Finished(process);
    if (result.exitCode == 99)
        GTEST_SKIP() << "no mounts here: " << result.err;
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out,
              "01-01-07_0000.jpg\t2007:01:01 00:00:00\tcamera phones\n"
              "plain/02-01-07_0000.jpg\t2007:01:02 00:00:00\tcamera phones\n");
}

// A video dated by the user's pattern is known as dated by this program only
// through its name's moment: undoing with that pattern gives it back.
TEST(StampCli, VideoDatedByAPatternIsGivenBackWithIt) {
    TempDir dir;
    const std::string blank = MakeMovie({}).bytes;
    WriteFileBytes(dir.File("clip2019.07.23.mov"), blank);
    const QStringList pattern{"--videos", "--pattern", "clip%Y.%m.%d"};
    Result stamp = Stamper(pattern + Args({dir.Path()}), {}, "UTC");
    EXPECT_EQ(stamp.out, "EXIF Info добавлено в: 1 файлов\n");
    ASSERT_NE(ReadFileBytes(dir.File("clip2019.07.23.mov")), blank);
    Result preview =
        Stamper(QStringList{"--undo", "--dry-run"} + pattern + Args({dir.Path()}), {}, "UTC");
    EXPECT_EQ(preview.out, "clip2019.07.23.mov\t2019:07:23 00:00:00\n");
    Result undo = Stamper(QStringList{"--undo"} + pattern + Args({dir.Path()}), {}, "UTC");
    EXPECT_EQ(undo.exitCode, 0) << undo.err;
    EXPECT_EQ(undo.out, std::string(kFilesGivenBackMessage) + "1\n");
    EXPECT_EQ(ReadFileBytes(dir.File("clip2019.07.23.mov")), blank);
}

// A folder of phone videos: left alone by default, previewed, dated in
// place from their names in UTC (the names are local time in Berlin, the
// Pixel's UTC), and given back byte for byte; an old QuickTime movie without
// ftyp too. A video's name on a file that is no movie is named as passed
// over, and what the run says of videos speaks of files, not photos.
TEST(StampCli, VideosAreDatedInPlaceOnlyWhenAskedAndGivenBack) {
    TempDir dir;
    const std::string blank = MakeMovie({.moovFirst = false, .tracks = 2}).bytes;
    const std::string quickTime = MakeMovie({.ftyp = false}).bytes;
    const MoviePiece unset = MakeMovie({.version = 1});
    std::string cutShort = unset.bytes;  // dated but for its track's times
    for (int i = 0; i < 2; ++i) {
        const TMovieTimeField& field = unset.fields[static_cast<std::size_t>(i)];
        cutShort.replace(static_cast<std::size_t>(field.offset), 8,
                         BigEndianBytes(MovieTimeFromUnix(1563900313), 8));
    }
    const struct {
        const char* name;
        std::string bytes;
        std::int64_t moment;  // 0: left alone
        std::string given;    // what undoing gives back
    } videos[] = {
        {"VID_20190723_184512.mp4", blank, 1563900312, blank},
        {"PXL_20211231_235959123.mp4", blank, 1640995199, blank},
        {"20190724_091011.MOV", blank, 1563952211, blank},
        {"20190725_101112.mov", quickTime, 1564042272, quickTime},
        {"VID-20200101-WA0003.m4v", blank, 1577876400, blank},  // noon: the file is younger
        {"15-06-07_1230.3gp", blank, 1181903400, blank},
        {"VID_20190723_184513.3g2", cutShort, 1563900313, unset.bytes},
        {"VID_20190723_184514.mp4", MakeMovie({.time = 3600}).bytes, 0, ""},
        {"IMG_20190723_184512.mp4", blank, 0, ""},
        {"VID_20190723_184515.mp4", PlainJpeg(), 0, ""},
    };
    std::map<std::string, struct stat> before;
    for (const auto& video : videos) {
        WriteFileBytes(dir.File(video.name), video.bytes);
        ASSERT_EQ(stat(dir.File(video.name).c_str(), &before[video.name]), 0);
    }
    const QString berlin = "Europe/Berlin";
    Result photosOnly = Stamper(Args({"--all-names", dir.Path()}), {}, berlin);
    EXPECT_EQ(photosOnly.out, "Motorola Photo не найденно\nили Exif info уже заполнено!\n");
    EXPECT_EQ(photosOnly.err, "");
    Result preview =
        Stamper(Args({"--dry-run", "--all-names", "--videos", dir.Path()}), {}, berlin);
    EXPECT_EQ(preview.out,
              "15-06-07_1230.3gp\t2007:06:15 12:30:00\tcamera phones\n"
              "20190724_091011.MOV\t2019:07:24 09:10:11\tSamsung and others\n"
              "20190725_101112.mov\t2019:07:25 10:11:12\tSamsung and others\n"
              "PXL_20211231_235959123.mp4\t2022:01:01 00:59:59\tPixel\n"
              "VID-20200101-WA0003.m4v\t2020:01:01 12:00:00\tWhatsApp\n"
              "VID_20190723_184512.mp4\t2019:07:23 18:45:12\tAndroid cameras\n"
              "VID_20190723_184513.3g2\t2019:07:23 18:45:13\tAndroid cameras\n");
    EXPECT_EQ(preview.err, "Camera-phone names read day first in " + dir.Path() +
                               "\nPassed over (not a video this program can date): " +
                               dir.File("VID_20190723_184515.mp4") + "\n");
    for (const auto& video : videos)
        EXPECT_EQ(ReadFileBytes(dir.File(video.name)), video.bytes) << video.name;

    Result stamp = Stamper(Args({"--all-names", "--videos", dir.Path()}), {}, berlin);
    EXPECT_EQ(stamp.out, "EXIF Info добавлено в: 7 файлов\n");
    for (const auto& video : videos) {
        struct stat after {};
        ASSERT_EQ(stat(dir.File(video.name).c_str(), &after), 0);
        const struct stat& was = before[video.name];
        EXPECT_EQ(after.st_ino, was.st_ino) << video.name;
        EXPECT_EQ(after.st_size, was.st_size) << video.name;
        EXPECT_TRUE(after.st_mtim.tv_sec == was.st_mtim.tv_sec &&
                    after.st_mtim.tv_nsec == was.st_mtim.tv_nsec)
            << video.name;
        if (video.moment == 0) {
            EXPECT_EQ(ReadFileBytes(dir.File(video.name)), video.bytes) << video.name;
            continue;
        }
        std::vector<std::uint64_t> times = VideoTimes(dir.File(video.name));
        EXPECT_EQ(times, std::vector<std::uint64_t>(times.size(), MovieTimeFromUnix(video.moment)))
            << video.name;
        EXPECT_FALSE(times.empty()) << video.name;
    }

    Result undo = Stamper(Args({"--undo", "--videos", dir.Path()}), {}, berlin);
    EXPECT_EQ(undo.out, std::string(kFilesGivenBackMessage) + "7\n");
    for (const auto& video : videos) {
        EXPECT_EQ(ReadFileBytes(dir.File(video.name)), video.moment ? video.given : video.bytes)
            << video.name;
    }
    undo = Stamper(Args({"--undo", "--videos", dir.Path()}), {}, berlin);
    EXPECT_EQ(undo.out, std::string(kNothingOfOursMessage) + "\n");
    Result withFileTimes = Stamper(Args({"--videos", "--set-mtime", dir.Path()}), {}, berlin);
    EXPECT_EQ(withFileTimes.out, "EXIF Info добавлено в: 1 файлов\n");
    struct stat camera {};
    ASSERT_EQ(stat(dir.File("15-06-07_1230.3gp").c_str(), &camera), 0);
    EXPECT_EQ(camera.st_mtime, 1181903400);
}

// Undoing in another time zone than the stamp run's gives nothing back: a
// video whose times lie a zone's offset from its name's moment is named and
// the run fails; a time no zone explains is a camera's own, left unsaid.
TEST(StampCli, VideoUndoInAnotherTimeZoneNamesWhatItLeaves) {
    TempDir dir;
    const struct {
        const char* name;    // 15 June 2007, 12:MM
        std::int64_t shift;  // its times' distance from the name's moment in UTC
        const char* hours;   // as named, or "" when left unsaid
    } videos[] = {
        {"15-06-07_1230.3gp", -2 * 3600, "-2"},  // stamped in Berlin's summer
        {"15-06-07_1231.3gp", 5 * 3600 + 2700, "+5.75"},
        {"15-06-07_1232.3gp", 14 * 3600 + 900, ""},
        {"15-06-07_1233.3gp", 7 * 60, ""},
    };
    std::string named;
    for (std::size_t i = 0; i < std::size(videos); ++i) {
        const std::int64_t moment = 1181910600 + static_cast<std::int64_t>(i) * 60;
        WriteFileBytes(dir.File(videos[i].name),
                       MakeMovie({.time = MovieTimeFromUnix(moment + videos[i].shift)}).bytes);
        if (*videos[i].hours != '\0')
            named += dir.File(videos[i].name) + " holds a time " + videos[i].hours +
                     " h from its name's in this time zone; not given back - run with the time "
                     "zone of the stamp run (TZ=...)\n";
    }
    const std::string berlinStamped = ReadFileBytes(dir.File(videos[0].name));
    Result inUtc = Stamper(Args({"--undo", "--videos", dir.Path()}), {}, "UTC");
    EXPECT_EQ(inUtc.exitCode, 1);
    EXPECT_EQ(inUtc.out, "");
    EXPECT_EQ(inUtc.err, named + "Videos not given back (time zone): 2\n");
    EXPECT_EQ(ReadFileBytes(dir.File(videos[0].name)), berlinStamped);

    Stamper(Args({"--undo", "--videos", dir.Path()}), {}, "Europe/Berlin");
    EXPECT_EQ(ReadFileBytes(dir.File(videos[0].name)), MakeMovie({}).bytes);
}

// Killed at any moment while dating, every video stays a movie of its size,
// each header time unset or the name's moment - the movie's creation time
// only once all others are written - and every other byte as it was; the
// next run finishes them.
TEST(StampCli, VideosKilledWhileBeingDatedStayValidAndTheNextRunFinishes) {
    TempDir dir;
    const MoviePiece blank = MakeMovie({.moovFirst = false, .tracks = 3});
    std::map<std::string, std::uint64_t> moments;
    for (int i = 0; i < 120; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "15-06-07_%02d%02d.3gp", i / 60, i % 60);
        moments[name] = MovieTimeFromUnix(1181865600 + i * 60);  // 2007-06-15 00:00 UTC on
    }
    const QStringList args = Args({"--videos", dir.Path()});
    for (int delay : {5, 20, 40, 80, 160}) {
        for (const auto& [name, moment] : moments)
            WriteFileBytes(dir.File(name), blank.bytes);
        KillStamperAfter(args, delay);
        for (const auto& [name, moment] : moments) {
            std::string bytes = ReadFileBytes(dir.File(name));
            std::vector<std::uint64_t> times = VideoTimes(dir.File(name));
            ASSERT_EQ(times.size(), blank.fields.size()) << delay << " " << name;
            for (std::uint64_t time : times)
                EXPECT_TRUE(time == 0 || time == moment) << delay << " " << name;
            if (times[0] == moment) {
                EXPECT_EQ(times, std::vector<std::uint64_t>(times.size(), moment)) << name;
            }
            for (const TMovieTimeField& field : blank.fields)
                bytes.replace(static_cast<std::size_t>(field.offset), 4, 4, '\0');
            EXPECT_EQ(bytes, blank.bytes) << delay << " " << name;
        }
        EXPECT_EQ(Stamper(args).exitCode, 0);
        for (const auto& [name, moment] : moments) {
            EXPECT_EQ(VideoTimes(dir.File(name)),
                      std::vector<std::uint64_t>(blank.fields.size(), moment))
                << delay << " " << name;
        }
    }
}

// Killed at any moment of a run over many photos - while batches are synced,
// swapped into place and their replaced files reused - every photo is its
// original or its stamped self, byte for byte; the next run finishes the
// rest and leaves no temporary file behind.
TEST(StampCli, PhotosKilledAtAnyMomentStayWholeAndTheNextRunFinishes) {
    TempDir dir;
    TempDir reference;
    const std::string original = PlainJpeg() + std::string(30000, '\x55');
    std::vector<std::string> names;
    for (int i = 0; i < 400; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "15-06-07_%02d%02d.jpg", i / 60, i % 60);
        names.push_back(name);
        WriteFileBytes(reference.File(name), original);
    }
    ASSERT_EQ(Stamper(Args({reference.Path()})).exitCode, 0);
    const QStringList args = Args({dir.Path()});
    for (int delay : {10, 20, 30, 45, 60, 90, 120}) {
        for (const std::string& name : names)
            WriteFileBytes(dir.File(name), original);
        KillStamperAfter(args, delay);
        for (const std::string& name : names) {
            const std::string bytes = ReadFileBytes(dir.File(name));
            EXPECT_TRUE(bytes == original || bytes == ReadFileBytes(reference.File(name)))
                << delay << " " << name;
        }
        EXPECT_EQ(Stamper(args).exitCode, 0) << delay;
        for (const std::string& name : names)
            ASSERT_EQ(ReadFileBytes(dir.File(name)), ReadFileBytes(reference.File(name))) << delay;
        EXPECT_EQ(NamesIn(dir.Path()).size(), names.size()) << delay;
    }
}
