#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QProcess>
#include <QStringList>
#include <string>

#include "PhotoFiles.h"
#include "support/TempDir.h"

namespace {

struct Result {
    int exitCode;
    std::string out;
    std::string err;
};

Result Stamper(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral(KADRIMARK_STAMP_EXE), arguments);
    EXPECT_TRUE(process.waitForFinished(60000));
    return {process.exitCode(), process.readAllStandardOutput().toStdString(),
            process.readAllStandardError().toStdString()};
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
}
