#include <gtest/gtest.h>

#include <QMimeData>
#include <memory>

#include "PlatformTest.h"
#include "platform/FileDropBlock.h"
#include "platform/ShellClipboard.h"
#include "platform/ShellLinkFile.h"
#include "platform/UriList.h"

namespace {

using Names = std::vector<std::string>;

const std::uint8_t* Data(const std::string& bytes) {
    return reinterpret_cast<const std::uint8_t*>(bytes.data());
}

TEST(FileDropBlockTest, Write_IsHeaderThenNamesThenEmptyName_SizedFromTheNames) {
    std::string longName = "/" + std::string(400, 'x');
    std::string block = WriteFileDropBlock({"/a/b.jpg", longName});
    std::string expected(
        "\x14\0\0\0"
        "\0\0\0\0"
        "\0\0\0\0"
        "\0\0\0\0"
        "\0\0\0\0",
        20);
    expected += std::string("/a/b.jpg\0", 9) + longName + std::string("\0\0", 2);
    EXPECT_EQ(block, expected);

    Names names;
    ASSERT_TRUE(ReadFileDropBlock(Data(block), block.size(), names));
    EXPECT_EQ(names, (Names{"/a/b.jpg", longName}));
}

TEST(FileDropBlockTest, Read_RefusesMalformedBlocksWithoutReadingPastThem) {
    std::string good = WriteFileDropBlock({"/x"});
    auto withByte = [&](std::size_t at, char value) {
        std::string bytes = good;
        bytes[at] = value;
        return bytes;
    };
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"short header", good.substr(0, 19)},
        {"names before the header ends", withByte(0, 19)},
        {"names past the end", withByte(0, static_cast<char>(good.size()))},
        {"wide names", withByte(16, 1)},
        {"no closing empty name", good.substr(0, good.size() - 1)},
        {"name without terminator", good.substr(0, good.size() - 2)},
    };
    for (const auto& c : cases) {
        // A heap copy of exactly the block's size, so a read past it is caught.
        auto copy = std::make_unique<std::uint8_t[]>(c.bytes.size());
        std::copy(c.bytes.begin(), c.bytes.end(), copy.get());
        Names names{"stale"};
        EXPECT_FALSE(ReadFileDropBlock(copy.get(), c.bytes.size(), names)) << c.what;
        EXPECT_TRUE(names.empty()) << c.what;
    }
}

TEST(UriListTest, RoundTripsAwkwardNamesAndSkipsWhatIsNotALocalFile) {
    Names paths = {"/home/a/My Photos/01-02-09_1200.jpg",
                   "/tmp/100%/\xD1\x84\xD0\xBE\xD1\x82\xD0\xBE", "/tmp/line\nbreak#hash"};
    EXPECT_EQ(ReadUriList(WriteUriList(paths)), paths);
    EXPECT_EQ(ReadUriList("# comment\r\n"
                          "http://example.com/a\r\n"
                          "file://otherhost/etc/passwd\r\n"
                          "file:///bad%zzescape\r\n"
                          "file:///nul%00inside\r\n"
                          "file:relative\r\n"
                          "file://localhost/ok%20one\n"
                          "file:///ok/two"),
              (Names{"/ok one", "/ok/two"}));
}

TEST(ClipboardTest, FilesTravelBothWaysInEachFormatFileManagersUse) {
    Names paths = {"/p/a.jpg", "/p/b c.jpg"};
    std::unique_ptr<QMimeData> ours(NewClipboardFilesData({paths, true}));
    EXPECT_EQ(ours->data("x-special/gnome-copied-files").toStdString(),
              "cut\nfile:///p/a.jpg\nfile:///p/b%20c.jpg");
    EXPECT_EQ(ours->data("text/uri-list").toStdString(),
              "file:///p/a.jpg\r\nfile:///p/b%20c.jpg\r\n");
    TClipboardFiles back = ClipboardFilesOf(*ours);
    EXPECT_EQ(back.Paths, paths);
    EXPECT_TRUE(back.Cut);

    QMimeData gnomeCopy, plainList, kdeCut;
    gnomeCopy.setData("x-special/gnome-copied-files", "copy\nfile:///p/a.jpg\n");
    plainList.setData("text/uri-list", "file:///p/a.jpg\r\n");
    kdeCut.setData("text/uri-list", "file:///p/a.jpg\r\n");
    kdeCut.setData("application/x-kde-cutselection", "1");
    for (const QMimeData* data : {&gnomeCopy, &plainList, &kdeCut}) {
        TClipboardFiles files = ClipboardFilesOf(*data);
        EXPECT_EQ(files.Paths, Names{"/p/a.jpg"});
        EXPECT_EQ(files.Cut, data == &kdeCut);
    }

    PutFilesOnClipboard({paths, false});
    EXPECT_EQ(FilesOnClipboard().Paths, paths);
    EXPECT_FALSE(FilesOnClipboard().Cut);
    ClearClipboard();
    EXPECT_TRUE(FilesOnClipboard().Paths.empty());
}

// A shortcut file: header, optional id list, LinkInfo with a local base path
// and a suffix (8-bit texts, or UTF-16 ones when `wide`).
std::string ShortcutBytes(const std::string& base, const std::string& suffix, bool withIdList,
                          bool wide = false) {
    auto u32 = [](std::uint32_t v) {
        return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
    };
    auto utf16 = [](const std::string& text) {
        std::string out;
        for (char c : text)
            out += std::string{c, '\0'};
        return out + std::string(2, '\0');
    };
    std::string header = u32(76) + std::string("\x01\x14\x02\0\0\0\0\0\xC0\0\0\0\0\0\0\x46", 16) +
                         u32(withIdList ? 3 : 2) + std::string(76 - 24, '\0');
    std::string idList = withIdList ? std::string("\x04\0\x02\0\0\0", 6) : "";
    std::uint32_t headerSize = wide ? 36 : 28;
    std::string texts = base + '\0' + suffix + '\0';
    std::uint32_t baseAt = headerSize, suffixAt = headerSize + base.size() + 1;
    std::string wideTexts = wide ? utf16(base) + utf16(suffix) : "";
    std::uint32_t wideAt = headerSize + texts.size();
    std::string info = u32(1) + u32(0) + u32(baseAt) + u32(0) + u32(suffixAt);
    if (wide)
        info += u32(wideAt) + u32(wideAt + 2 * (base.size() + 1));
    std::uint32_t size = headerSize + texts.size() + wideTexts.size();
    return header + idList + u32(size) + u32(headerSize) + info + texts + wideTexts;
}

class ShellLinkTest : public PlatformTest {};

TEST_F(ShellLinkTest, ResolvesTheLocalPathOfPosixAndDriveLetterTargets) {
    UseMountTable(
        "21 1 0:20 / / rw - overlay overlay rw\n"
        "30 21 8:1 / /media/card rw - vfat /dev/sdb1 rw\n");
    const struct {
        std::string bytes;
        std::string expected;
    } cases[] = {
        {ShortcutBytes("/home/a/", "Photos", false), "/home/a/Photos"},
        {ShortcutBytes("/home/a/Photos", "", true), "/home/a/Photos"},
        {ShortcutBytes("B:\\DCIM\\", "2009", true), "/media/card/DCIM/2009"},
        {ShortcutBytes("A:\\", "", false, true), "/"},
        {ShortcutBytes("Z:\\x", "", false), ""},  // no such drive
        {ShortcutBytes("\\\\server\\share", "", false), ""},
    };
    for (const auto& c : cases) {
        std::string file = root_.File("link.lnk"), target;
        WriteFileBytes(file, c.bytes);
        EXPECT_EQ(ResolveShellLink(file, target), !c.expected.empty()) << c.expected;
        if (!c.expected.empty()) {
            EXPECT_EQ(target, c.expected);
        }
    }
}

TEST(ShellLinkReadTest, EveryTruncationAndBadOffsetIsRefused) {
    std::string good = ShortcutBytes("/home/a/", "Photos", true);
    std::string target;
    ASSERT_TRUE(ReadShellLinkTarget(Data(good), good.size(), target));
    for (std::size_t size = 0; size < good.size(); ++size) {
        auto copy = std::make_unique<std::uint8_t[]>(size + 1);
        std::copy(good.begin(), good.begin() + size, copy.get());
        EXPECT_FALSE(ReadShellLinkTarget(copy.get(), size, target)) << size;
    }
    std::string badOffset = good;
    badOffset[76 + 6 + 16] = '\x7F';  // local base path offset far outside
    EXPECT_FALSE(ReadShellLinkTarget(Data(badOffset), badOffset.size(), target));
    std::string notALink = good;
    notALink[4] = 0;
    EXPECT_FALSE(ReadShellLinkTarget(Data(notALink), notALink.size(), target));
}

}  // namespace
