#include "framework/Stream.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "framework/FileStream.h"
#include "framework/MemoryStream.h"
#include "framework/StreamErrors.h"
#include "support/MessageOf.h"
#include "support/TempDir.h"

namespace {

std::string Contents(TMemoryStream& stream) {
    return std::string(reinterpret_cast<const char*>(stream.Memory()),
                       static_cast<std::size_t>(stream.Size()));
}

}  // namespace

TEST(MemoryStream, WritePastTheEndGrowsWithZeros) {
    TMemoryStream stream;
    stream.WriteBuffer("ab", 2);
    stream.Seek(2, TSeekOrigin::Current);
    stream.WriteBuffer("c", 1);
    EXPECT_EQ(Contents(stream), std::string("ab\0\0c", 5));
    EXPECT_EQ(stream.Position(), 5);
}

TEST(MemoryStream, ReadStopsAtTheEnd) {
    TMemoryStream stream;
    stream.WriteBuffer("abc", 3);
    stream.SetPosition(1);
    char buffer[8] = {};
    EXPECT_EQ(stream.Read(buffer, 8), 2);
    EXPECT_EQ(std::string(buffer), "bc");
    EXPECT_EQ(stream.Read(buffer, 8), 0);
}

TEST(MemoryStream, SetSizeCutsAndPullsThePositionBack) {
    TMemoryStream stream;
    stream.WriteBuffer("abcdef", 6);
    stream.SetSize(2);
    EXPECT_EQ(stream.Position(), 2);
    stream.SetSize(4);
    EXPECT_EQ(Contents(stream), std::string("ab\0\0", 4));
    stream.Clear();
    EXPECT_EQ(stream.Size(), 0);
    EXPECT_EQ(stream.Position(), 0);
}

TEST(Stream, ShortReadAndWriteRaiseStreamErrors) {
    TMemoryStream stream;
    stream.WriteBuffer("ab", 2);
    stream.SetPosition(0);
    char buffer[4];
    EXPECT_EQ(MessageOf<EReadError>([&] { stream.ReadBuffer(buffer, 3); }), "Stream read error");

    TempDir dir;
    WriteFileBytes(dir.File("f"), "x");
    TFileStream readOnly(dir.File("f"), TFileMode::OpenRead);
    EXPECT_EQ(MessageOf<EWriteError>([&] { readOnly.WriteBuffer("y", 1); }), "Stream write error");
}

TEST(Stream, CopyFromWholeSourceCrossesBlocks) {
    std::vector<char> bytes(150000);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i * 7);
    TMemoryStream source;
    source.WriteBuffer(bytes.data(), static_cast<std::int32_t>(bytes.size()));
    TMemoryStream target;
    EXPECT_EQ(target.CopyFrom(source, 0), 150000);
    EXPECT_EQ(Contents(target), std::string(bytes.begin(), bytes.end()));

    source.SetPosition(10);
    TMemoryStream part;
    part.CopyFrom(source, 5);
    EXPECT_EQ(Contents(part), std::string(bytes.begin() + 10, bytes.begin() + 15));
}

TEST(FileStream, CreateWritesAndTruncates) {
    TempDir dir;
    WriteFileBytes(dir.File("f"), "old content");
    {
        TFileStream file(dir.File("f"), TFileMode::Create);
        file.WriteBuffer("new", 3);
        EXPECT_EQ(file.Size(), 3);
    }
    EXPECT_EQ(ReadFileBytes(dir.File("f")), "new");
    TFileStream file(dir.File("f"), TFileMode::OpenReadWrite);
    file.SetSize(1);
    EXPECT_EQ(ReadFileBytes(dir.File("f")), "n");
}

TEST(FileStream, OpenErrorNamesFileAndReason) {
    TempDir dir;
    std::string name = dir.File("missing");
    EXPECT_EQ(MessageOf<EFOpenError>([&] { TFileStream file(name, TFileMode::OpenRead); }),
              "Cannot open " + name + ".\r\n(No such file or directory.)");
}

TEST(FileStream, FolderIsNoFileToOpen) {
    TempDir dir;
    EXPECT_EQ(MessageOf<EFOpenError>([&] { TFileStream folder(dir.Path(), TFileMode::OpenRead); }),
              "Cannot open " + dir.Path() + ".\r\n(Is a directory.)");
}

TEST(FileStream, CreateErrorShowsTheExpandedName) {
    TempDir dir;
    std::string name = dir.File("no/such/./file");
    EXPECT_EQ(MessageOf<EFCreateError>([&] { TFileStream file(name, TFileMode::Create); }),
              "Cannot create file \"" + dir.File("no/such/file") + "\". No such file or directory");
}

TEST(FileStream, CreateNewRefusesAnExistingNameOrLink) {
    TempDir dir;
    WriteFileBytes(dir.File("target"), "keep");
    ASSERT_EQ(symlink(dir.File("target").c_str(), dir.File("link").c_str()), 0);
    for (const char* name : {"target", "link"}) {
        try {
            TFileStream taken(dir.File(name), TFileMode::CreateNew);
            ADD_FAILURE() << name << " was opened";
        } catch (const EFCreateError& error) {
            EXPECT_EQ(error.ErrorNumber(), EEXIST) << name;
        }
    }
    EXPECT_EQ(ReadFileBytes(dir.File("target")), "keep");
    TFileStream fresh(dir.File("fresh"), TFileMode::CreateNew);
    EXPECT_EQ(fresh.Size(), 0);
}

TEST(StreamErrors, ReadonlySaveMessage) {
    EXPECT_EQ(EFOpenError::ReadonlySave("/p/a.jpg").Message(),
              "Cannot save readonly file /p/a.jpg.");
}

TEST(StreamErrors, ExpandFileNameResolvesRelativeNamesLexically) {
    EXPECT_EQ(ExpandFileName("/a/b/../c/./d"), "/a/c/d");
    EXPECT_EQ(ExpandFileName("/"), "/");
    std::string expanded = ExpandFileName("x.jpg");
    EXPECT_EQ(expanded.front(), '/');
    EXPECT_EQ(expanded.substr(expanded.size() - 6), "/x.jpg");
}
