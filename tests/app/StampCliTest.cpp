#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <set>

#include <QProcess>
#include <QStringList>
#include <string>

#include "LockWait.h"
#include "PhotoFiles.h"
#include "app/StampCli.h"
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

Result Stamper(const QStringList& arguments, const QString& outputFile = {}) {
    QProcess process;
    if (!outputFile.isEmpty())
        process.setStandardOutputFile(outputFile);
    process.start(QStringLiteral(KADRIMARK_STAMP_EXE), arguments);
    return Finished(process);
}

// The stamper started by the shell after `setup` (limits, redirections).
Result StamperAfter(const std::string& setup, const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral("/bin/sh"),
                  QStringList{"-c", QString::fromStdString(setup + "; exec \"$0\" \"$@\""),
                              QStringLiteral(KADRIMARK_STAMP_EXE)} +
                      arguments);
    return Finished(process);
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
    EXPECT_EQ(ReadFileBytes(dir.File("31-12-99_2359.jpg")).substr(50, 19), "2099:12:31 23:59:00");

    result = Stamper(Args({dir.Path()}));
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "Motorola Photo не найденно\nили Exif info уже заполнено!\n");
}

TEST(StampCli, DryRunListsInListOrderAndChangesNothing) {
    TempDir dir;
    WriteFileBytes(dir.File("31-12-99_2359.jpg"), PlainJpeg());
    WriteFileBytes(dir.File("15-06-07_1230.JPG"), PlainJpeg());
    WriteFileBytes(dir.File("16-06-07_1230.jpg"), JpegWithExifAfterApp0());
    Result result = Stamper(Args({"--dry-run", dir.Path()}));
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out,
              "15-06-07_1230.JPG\t2007:06:15 12:30:00\n31-12-99_2359.jpg\t2099:12:31 23:59:00\n");
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

    result = Stamper(Args({dir.File("missing")}));
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err,
              "Cannot open " + dir.File("missing") + ".\n(No such file or directory.)\n");
}

TEST(StampCli, HelpAndWrongArguments) {
    Result help = Stamper(Args({"--help"}));
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.out.rfind("Usage: kadrimarkexif-stamp [--dry-run [-0]] FOLDER\n", 0), 0u);
    EXPECT_NE(help.out.find("--dry-run"), std::string::npos);

    for (const QStringList& wrong : {QStringList{}, QStringList{"a", "b"},
                                     QStringList{"--bogus", "a"}, QStringList{"-0", "a"}}) {
        Result result = Stamper(wrong);
        EXPECT_EQ(result.exitCode, 2);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err, help.out);
    }
    Result empty = Stamper(Args({"--dry-run", ""}));
    EXPECT_EQ(empty.exitCode, 2);
    EXPECT_EQ(empty.err, "kadrimarkexif-stamp: the folder name is empty\n");
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
        EXPECT_EQ(result.err,
                  "kadrimarkexif-stamp: cannot write to standard output: No space "
                  "left on device\n");
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
// since) is named; the photo is left alone and the run fails.
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
    EXPECT_NE(result.err.find(dir.File(copy) + "\n"), std::string::npos) << result.err;
    EXPECT_EQ(ReadFileBytes(dir.File("15-06-07_1230.jpg")), PlainJpeg());
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
              "15-06-07_1230.jpg\\t2000:01:01 00:00:00\\n16-06-07_1230.jpg\t2007:06:15 12:30:00\n");
    Result records = Stamper(Args({"--dry-run", "-0", dir.Path()}));
    EXPECT_EQ(records.out, forged + "\t2007:06:15 12:30:00" + std::string(1, '\0'));
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
