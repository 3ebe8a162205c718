#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "PlatformTest.h"
#include "platform/Drives.h"
#include "platform/ShellAllocator.h"
#include "platform/ShellFolder.h"
#include "platform/ShellItems.h"
#include "platform/ShellServices.h"

namespace {

class ShellFolderTest : public PlatformTest {
  protected:
    void SetUp() override {
        PlatformTest::SetUp();
        ASSERT_EQ(SHGetDesktopFolder(desktop_.Put()), S_OK);
    }

    // The absolute list of a path, parsed by the desktop.
    IdList Parse(const std::string& path) {
        IdList list;
        lastResult_ =
            desktop_->ParseDisplayName(0, nullptr, path.c_str(), nullptr, list.Put(), nullptr);
        return list;
    }

    ComPtr<IShellFolder2> Bind(const std::string& path) {
        IdList list = Parse(path);
        ComPtr<IShellFolder2> folder;
        desktop_->BindToObject(list.Get(), nullptr, IID_IShellFolder2, folder.PutVoid());
        return folder;
    }

    // Order of two items of a folder by column, as a sign.
    int Order(IShellFolder* folder, const std::string& a, const std::string& b, int column = 0) {
        IdList first, second;
        folder->ParseDisplayName(0, nullptr, a.c_str(), nullptr, first.Put(), nullptr);
        folder->ParseDisplayName(0, nullptr, b.c_str(), nullptr, second.Put(), nullptr);
        HRESULT hr = folder->CompareIDs(column, first.Get(), second.Get());
        EXPECT_TRUE(SUCCEEDED(hr));
        return static_cast<std::int16_t>(hr & 0xFFFF);
    }

    ULONG AttributesOf(IShellFolder* folder, const std::string& name, ULONG request) {
        IdList item;
        folder->ParseDisplayName(0, nullptr, name.c_str(), nullptr, item.Put(), nullptr);
        LPCITEMIDLIST items[] = {item.Get()};
        EXPECT_EQ(folder->GetAttributesOf(1, items, &request), S_OK);
        return request;
    }

    ComPtr<IShellFolder> desktop_;
    HRESULT lastResult_ = S_OK;
};

constexpr DWORD kAll = SHCONTF_FOLDERS | SHCONTF_NONFOLDERS;

TEST_F(ShellFolderTest, Desktop_ListsVirtualFoldersThenDesktopEntries) {
    MakeFile(Desktop() + "/photo.jpg");
    MakeFolder(Desktop() + "/Album");
    MakeFile(Desktop() + "/.secret");
    auto names = ListNames(desktop_.Get(), kAll);
    ASSERT_GE(names.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + 3),
              (std::vector<std::string>{"Home", "Computer", "Trash"}));
    std::sort(names.begin() + 3, names.end());
    EXPECT_EQ(std::vector<std::string>(names.begin() + 3, names.end()),
              (std::vector<std::string>{"Album", "photo.jpg"}));
    auto withHidden = ListNames(desktop_.Get(), kAll | SHCONTF_INCLUDEHIDDEN);
    EXPECT_NE(std::find(withHidden.begin(), withHidden.end(), ".secret"), withHidden.end());
}

TEST_F(ShellFolderTest, EnumObjects_HonoursFolderAndNonFolderFlags) {
    MakeFile(Home() + "/a.txt");
    MakeFolder(Home() + "/sub");
    std::filesystem::create_directory_symlink(Home() + "/sub", Home() + "/link-to-sub");
    auto home = Bind(Home());
    auto folders = ListNames(home.Get(), SHCONTF_FOLDERS);
    std::sort(folders.begin(), folders.end());
    EXPECT_EQ(folders, (std::vector<std::string>{"Desktop", "link-to-sub", "sub"}));
    EXPECT_EQ(ListNames(home.Get(), SHCONTF_NONFOLDERS), (std::vector<std::string>{"a.txt"}));
}

TEST_F(ShellFolderTest, CompareIDs_FoldersFirstThenNamesIgnoringCaseThenByCase) {
    for (const char* name : {"b", "A", "a", "B"})
        MakeFile(Home() + "/" + name);
    MakeFolder(Home() + "/zoo");
    auto home = Bind(Home());
    EXPECT_LT(Order(home.Get(), "zoo", "A"), 0);
    EXPECT_LT(Order(home.Get(), "A", "a"), 0);
    EXPECT_LT(Order(home.Get(), "a", "B"), 0);
    EXPECT_GT(Order(home.Get(), "b", "B"), 0);
    EXPECT_EQ(Order(home.Get(), "a", "a"), 0);
    // Non-ASCII names fold too: "été" sorts before "ÉTÉ2" (bytes alone would not).
    MakeFile(Home() + "/\xC3\xA9t\xC3\xA9");
    MakeFile(Home() +
             "/\xC3\x89T\xC3\x89"
             "2");
    EXPECT_LT(Order(home.Get(), "\xC3\xA9t\xC3\xA9",
                    "\xC3\x89T\xC3\x89"
                    "2"),
              0);
}

// Names in natural order: runs of digits as numbers, case folded, ties by
// case and bytes (so "File_2", "file_02", "file_2").
TEST_F(ShellFolderTest, CompareIDs_RunsOfDigitsOrderAsNumbers) {
    const char* const kOrdered[] = {"file_",   "file_0", "file_00",    "file_1",     "File_2",
                                    "file_02", "file_2", "file_2a",    "file_10",    "file_10b",
                                    "x9y",     "x10",    "\xC3\xA9 9", "\xC3\xA9 10"};
    for (const char* name : kOrdered)
        MakeFile(Home() + "/" + name);
    auto home = Bind(Home());
    for (std::size_t i = 0; i + 1 < std::size(kOrdered); ++i) {
        EXPECT_LT(Order(home.Get(), kOrdered[i], kOrdered[i + 1]), 0) << kOrdered[i];
        EXPECT_GT(Order(home.Get(), kOrdered[i + 1], kOrdered[i]), 0) << kOrdered[i];
    }
}

TEST_F(ShellFolderTest, CompareIDs_VirtualFoldersFirstAndDeeperListsByTheirItems) {
    MakeFile(Desktop() + "/aaa");
    EXPECT_LT(Order(desktop_.Get(), "::Trash", "aaa"), 0);
    EXPECT_LT(Order(desktop_.Get(), "::Home", "::Computer"), 0);
    MakeFile(Home() + "/x/one");
    MakeFile(Home() + "/x/two");
    IdList one = Parse(Home() + "/x/one"), two = Parse(Home() + "/x/two"),
           parent = Parse(Home() + "/x");
    auto order = [&](LPCITEMIDLIST a, LPCITEMIDLIST b) {
        return static_cast<std::int16_t>(desktop_->CompareIDs(0, a, b) & 0xFFFF);
    };
    EXPECT_LT(order(one.Get(), two.Get()), 0);
    EXPECT_LT(order(parent.Get(), one.Get()), 0);
    EXPECT_EQ(order(one.Get(), one.Get()), 0);
}

// Sort keys (by name) and views (by every column) must order every pair
// exactly as CompareIDs does, or a level sorted through them would differ
// from one sorted by the folder.
TEST_F(ShellFolderTest, SortKeys_OrderEveryPairAsCompareIDsDoesByEachColumn) {
    auto entry = [](mode_t mode, const std::string& name, off_t size = 0, time_t modified = 0) {
        struct stat facts {};
        facts.st_mode = mode;
        facts.st_size = size;
        facts.st_mtim.tv_sec = modified;
        return IdList(MakeEntryItem(facts, name));
    };
    std::filesystem::create_directory_symlink(Home(), Desktop() + "/linked");
    struct stat linkFacts;
    ASSERT_EQ(lstat((Desktop() + "/linked").c_str(), &linkFacts), 0);
    std::vector<IdList> items;
    for (VirtualId id : {VirtualId::Trash, VirtualId::Home, VirtualId::Computer})
        items.emplace_back(MakeVirtualItem(id));
    for (const char* mount : {"/media/b", "/", "/media/B", "/media"})
        items.emplace_back(MakeDriveItem(DRIVE_FIXED, mount));
    items.push_back(IdList(MakeEntryItem(linkFacts, "linked")));
    for (const char* name : {"zoo", "Album", "album"})
        items.push_back(entry(S_IFDIR | 0755, name));
    for (const char* name : {"b",
                             "A",
                             "a",
                             "B",
                             "ab",
                             "a b",
                             "a_",
                             "a[",
                             "Zed",
                             "_x",
                             "~",
                             "\xC3\xA9t\xC3\xA9",
                             "\xC3\x89T\xC3\x89",
                             "\xC3\x89T\xC3\x89"
                             "2",
                             "\xFF\xFE",
                             "\xFF",
                             "a\xC3",
                             "a\xC3\xA9",
                             "stra\xC3\x9F"
                             "e",
                             "STRASSE",
                             "\xE2\x84\xAA",
                             "k",
                             "K",
                             "\xF0\x90\x90\x80",
                             "\xF0\x90\x90\xA8",
                             "\xC4\xB0",
                             "\xC4\xB1",
                             "i",
                             "I",
                             "\xEF\xBF\xBD",
                             "file_2",
                             "file_10",
                             "File_3",
                             "file_02",
                             "file_2a",
                             "file_",
                             "file_0",
                             "file_00",
                             "file 2",
                             "\xC3\xA9t\xC3\xA9 9",
                             "\xC3\xA9t\xC3\xA9 10"})
        items.push_back(entry(S_IFREG | 0644, name));
    items.push_back(entry(S_IFREG | 0644, "a", 99));  // same name, other facts: a tie
    // Sizes, times and types that differ, agree, or tie across kinds.
    items.push_back(entry(S_IFREG | 0644, "c.jpg", 5, 3));
    items.push_back(entry(S_IFREG | 0644, "D.JPG", 7, 1));
    items.push_back(entry(S_IFREG | 0644, "e.png", 5, 2));
    items.push_back(entry(S_IFREG | 0644, "README", 7, 3));
    items.push_back(entry(S_IFDIR | 0755, "photos.jpg", 4096, 2));
    std::vector<LPCITEMIDLIST> lists;
    for (const IdList& item : items)
        lists.push_back(item.Get());

    ComPtr<IShellFolder2> desktop(NewShellFolder(FolderKind::Desktop, Desktop()));
    TSortKeys keys;
    for (int column = 0; column < kDetailColumns; ++column) {
        ASSERT_TRUE(FolderSortKeys(desktop.Get(), column, lists, keys));
        for (std::size_t i = 0; i < lists.size(); ++i) {
            for (std::size_t j = 0; j < lists.size(); ++j) {
                HRESULT hr = desktop->CompareIDs(column, lists[i], lists[j]);
                ASSERT_TRUE(SUCCEEDED(hr));
                int byFolder = static_cast<std::int16_t>(hr & 0xFFFF);
                int byKeys = keys.Key(i).compare(keys.Key(j));
                EXPECT_EQ((byKeys > 0) - (byKeys < 0), byFolder)
                    << "column " << column << ": " << i << " against " << j;
            }
        }
    }

    // Lists the keys cannot stand for leave the sort to CompareIDs.
    IdList deeper = Parse(Home() + "/Desktop");
    using Lists = std::vector<LPCITEMIDLIST>;
    for (const Lists& malformed : {Lists{lists[0], deeper.Get()}, Lists{lists[0], nullptr}})
        EXPECT_FALSE(FolderSortKeys(desktop.Get(), 1, malformed, keys));
    EXPECT_FALSE(FolderSortKeys(desktop.Get(), kDetailColumns, lists, keys));
}

TEST_F(ShellFolderTest, CompareIDs_DetailColumnsCompareSizeTypeAndTime) {
    MakeFile(Home() + "/big.txt", std::string(5000, 'x'));
    MakeFile(Home() + "/small.txt", "x");
    MakeFile(Home() + "/c.jpg", "x");
    timespec old[2] = {{1000, 0}, {1000, 0}};
    utimensat(AT_FDCWD, (Home() + "/big.txt").c_str(), old, 0);
    auto home = Bind(Home());
    EXPECT_GT(Order(home.Get(), "big.txt", "small.txt", 1), 0);
    EXPECT_LT(Order(home.Get(), "big.txt", "small.txt", 3), 0);
    EXPECT_NE(Order(home.Get(), "c.jpg", "small.txt", 2), 0);
    IdList a, b;
    home->ParseDisplayName(0, nullptr, "big.txt", nullptr, a.Put(), nullptr);
    home->ParseDisplayName(0, nullptr, "small.txt", nullptr, b.Put(), nullptr);
    EXPECT_EQ(home->CompareIDs(4, a.Get(), b.Get()), E_INVALIDARG);
}

TEST_F(ShellFolderTest, CompareIDs_DeeperListsByColumn_LookOnlyAtTheLastItemsFacts) {
    MakeFile(Home() + "/album/photo.jpg", "x");
    IdList before = Parse(Home() + "/album/photo.jpg");
    timespec later[2] = {{5000, 0}, {5000, 0}};
    utimensat(AT_FDCWD, (Home() + "/album").c_str(), later, 0);
    IdList after = Parse(Home() + "/album/photo.jpg");
    ASSERT_NE(ListBytes(before.Get()), 0u);
    ASSERT_NE(std::memcmp(before.Get(), after.Get(), ListBytes(before.Get())), 0);
    for (LPARAM column = 0; column < 4; ++column)
        EXPECT_EQ(desktop_->CompareIDs(column, before.Get(), after.Get()), S_OK) << column;
}

TEST_F(ShellFolderTest, GetAttributesOf_DescribesFoldersFilesLinksAndHiddenEntries) {
    MakeFile(Home() + "/file.txt");
    MakeFile(Home() + "/.hidden");
    MakeFolder(Home() + "/dir");
    symlink("file.txt", (Home() + "/link").c_str());
    auto home = Bind(Home());
    const ULONG all = 0xFFFFFFFF & ~SFGAO_VALIDATE;
    ULONG dir = AttributesOf(home.Get(), "dir", all);
    EXPECT_EQ(dir & (SFGAO_FOLDER | SFGAO_FILESYSANCESTOR | SFGAO_HASSUBFOLDER | SFGAO_FILESYSTEM),
              SFGAO_FOLDER | SFGAO_FILESYSANCESTOR | SFGAO_HASSUBFOLDER | SFGAO_FILESYSTEM);
    EXPECT_EQ(dir & SFGAO_STREAM, 0u);
    ULONG file = AttributesOf(home.Get(), "file.txt", all);
    EXPECT_EQ(file & (SFGAO_STREAM | SFGAO_FOLDER | SFGAO_HIDDEN | SFGAO_LINK), SFGAO_STREAM);
    EXPECT_EQ(
        file & (SFGAO_CANCOPY | SFGAO_CANLINK | SFGAO_CANRENAME | SFGAO_CANDELETE | SFGAO_CANMOVE),
        SFGAO_CANCOPY | SFGAO_CANLINK | SFGAO_CANRENAME | SFGAO_CANDELETE | SFGAO_CANMOVE);
    EXPECT_TRUE(AttributesOf(home.Get(), ".hidden", all) & SFGAO_HIDDEN);
    EXPECT_TRUE(AttributesOf(home.Get(), "link", all) & SFGAO_LINK);
    // Only what is asked for comes back; several items give what all have.
    EXPECT_EQ(AttributesOf(home.Get(), "dir", SFGAO_FOLDER | SFGAO_LINK), SFGAO_FOLDER);
    IdList a, b;
    home->ParseDisplayName(0, nullptr, "dir", nullptr, a.Put(), nullptr);
    home->ParseDisplayName(0, nullptr, "file.txt", nullptr, b.Put(), nullptr);
    LPCITEMIDLIST both[] = {a.Get(), b.Get()};
    ULONG common = SFGAO_FOLDER | SFGAO_FILESYSTEM;
    EXPECT_EQ(home->GetAttributesOf(2, both, &common), S_OK);
    EXPECT_EQ(common, SFGAO_FILESYSTEM);
}

TEST_F(ShellFolderTest, GetAttributesOf_ReadOnlyEntryAndFolderThatCannotChange) {
    MakeFile(Home() + "/locked/file.txt");
    chmod((Home() + "/locked/file.txt").c_str(), 0444);
    chmod((Home() + "/locked").c_str(), 0555);
    auto locked = Bind(Home() + "/locked");
    AsUnprivilegedUser nobody;
    if (!nobody.Active())
        GTEST_SKIP() << "cannot drop file-system rights";
    ULONG attributes =
        AttributesOf(locked.Get(), "file.txt", SFGAO_READONLY | SFGAO_CANRENAME | SFGAO_CANCOPY);
    EXPECT_EQ(attributes, SFGAO_READONLY | SFGAO_CANCOPY);
}

TEST_F(ShellFolderTest, GetAttributesOf_ValidateFailsForAnItemThatIsGone) {
    MakeFile(Home() + "/gone.txt");
    auto home = Bind(Home());
    IdList item;
    home->ParseDisplayName(0, nullptr, "gone.txt", nullptr, item.Put(), nullptr);
    std::filesystem::remove(Home() + "/gone.txt");
    LPCITEMIDLIST items[] = {item.Get()};
    ULONG request = SFGAO_VALIDATE | SFGAO_FILESYSTEM;
    EXPECT_EQ(home->GetAttributesOf(1, items, &request), HResultFromErrno(ENOENT));
}

TEST_F(ShellFolderTest, GetDisplayNameOf_GivesEachKindOfName) {
    MakeFile(Home() + "/a b.txt");
    IdList file = Parse(Home() + "/a b.txt");
    auto home = Bind(Home());
    IdList item;
    home->ParseDisplayName(0, nullptr, "a b.txt", nullptr, item.Put(), nullptr);
    EXPECT_EQ(NameOf(home.Get(), item.Get(), SHGDN_NORMAL), "a b.txt");
    EXPECT_EQ(NameOf(home.Get(), item.Get(), SHGDN_INFOLDER), "a b.txt");
    EXPECT_EQ(NameOf(home.Get(), item.Get(), SHGDN_FORPARSING), Home() + "/a b.txt");
    EXPECT_EQ(NameOf(home.Get(), item.Get(), SHGDN_INFOLDER | SHGDN_FOREDITING), "a b.txt");
    // Deeper lists are answered through their folders, offsets included.
    EXPECT_EQ(NameOf(desktop_.Get(), file.Get(), SHGDN_INFOLDER), "a b.txt");
    EXPECT_EQ(NameOf(desktop_.Get(), file.Get(), SHGDN_FORPARSING), Home() + "/a b.txt");

    IdList homeItem, computer;
    SHGetSpecialFolderLocation(0, CSIDL_PERSONAL, homeItem.Put());
    SHGetSpecialFolderLocation(0, CSIDL_DRIVES, computer.Put());
    EXPECT_EQ(NameOf(desktop_.Get(), homeItem.Get(), SHGDN_NORMAL), "Home");
    EXPECT_EQ(NameOf(desktop_.Get(), homeItem.Get(), SHGDN_FORPARSING), Home());
    EXPECT_EQ(NameOf(desktop_.Get(), computer.Get(), SHGDN_INFOLDER), "Computer");
    EXPECT_EQ(NameOf(desktop_.Get(), computer.Get(), SHGDN_FORPARSING), "::Computer");
    IdList desktopItself(static_cast<LPITEMIDLIST>(CoTaskMemAlloc(2)));
    std::memset(desktopItself.Get(), 0, 2);
    EXPECT_EQ(NameOf(desktop_.Get(), desktopItself.Get(), SHGDN_INFOLDER), "Desktop");
    EXPECT_EQ(NameOf(desktop_.Get(), desktopItself.Get(), SHGDN_FORPARSING), Desktop());
}

TEST_F(ShellFolderTest, ParseAndPath_RoundTripAwkwardNames) {
    const std::string names[] = {"with  spaces ", "bytes \xFF\xFE not UTF-8", std::string(255, 'n'),
                                 "colon:and\\backslash"};
    for (const std::string& name : names) {
        std::string path = Home() + "/dir one/" + name;
        MakeFile(path, "x");
        IdList list = Parse(path);
        ASSERT_EQ(lastResult_, S_OK) << name;
        std::string back;
        EXPECT_TRUE(SHGetPathFromIDListA(list.Get(), back));
        EXPECT_EQ(back, path);
        EXPECT_EQ(NameOf(desktop_.Get(), list.Get(), SHGDN_FORPARSING), path);
        EXPECT_EQ(NameOf(desktop_.Get(), list.Get(), SHGDN_INFOLDER), name);
        IdList again = Parse(NameOf(desktop_.Get(), list.Get(), SHGDN_FORPARSING));
        EXPECT_EQ(desktop_->CompareIDs(0, list.Get(), again.Get()), S_OK);
    }
}

TEST_F(ShellFolderTest, ParseDisplayName_FailsWithTheSystemsCode) {
    Parse(Home() + "/missing/file");
    EXPECT_EQ(lastResult_, HResultFromErrno(ENOENT));
    Parse("");
    EXPECT_EQ(lastResult_, E_INVALIDARG);
    Parse("::Nowhere");
    EXPECT_EQ(lastResult_, E_INVALIDARG);
    Parse(Home() + "/file.txt/..");
    EXPECT_EQ(lastResult_, HResultFromErrno(ENOENT));
}

TEST_F(ShellFolderTest, DotsInPaths_ResolveAsTheKernelResolvesThem) {
    MakeFile(Home() + "/a/f", "x");
    MakeFile(Home() + "/elsewhere/in/g", "y");
    MakeFolder(Home() + "/Pictures");
    std::filesystem::create_directory_symlink(Home() + "/elsewhere/in", Home() + "/a/link");
    const struct {
        std::string dotted, plain;
    } cases[] = {{"/a/./f", "/a/f"},
                 {"/a/../a/f", "/a/f"},
                 {"/./a/.//f", "/a/f"},
                 {"/a/..", ""},
                 // ".." after a link leaves the link's target, not the link.
                 {"/a/link/../in/g", "/elsewhere/in/g"},
                 {"/a/link/./g", "/elsewhere/in/g"}};
    for (const auto& c : cases) {
        std::string path;
        EXPECT_TRUE(SHGetPathFromIDListA(Parse(Home() + c.dotted).Get(), path)) << c.dotted;
        EXPECT_EQ(path, std::filesystem::canonical(Home() + c.plain).string()) << c.dotted;
    }
    // Names relative to a folder, and the file-information call.
    auto home = Bind(Home());
    IdList inFolder;
    ASSERT_EQ(home->ParseDisplayName(0, nullptr, "a/../a/f", nullptr, inFolder.Put(), nullptr),
              S_OK);
    EXPECT_EQ(NameOf(home.Get(), inFolder.Get(), SHGDN_FORPARSING), Home() + "/a/f");
    EXPECT_EQ(Bind(Home() + "/a")
                  ->ParseDisplayName(0, nullptr, "../elsewhere", nullptr, inFolder.Put(), nullptr),
              E_INVALIDARG);
    SHFILEINFOA info;
    EXPECT_NE(SHGetFileInfoA((Home() + "/a/../a/f").c_str(), 0, &info, sizeof info, SHGFI_TYPENAME),
              0u);
    // A special folder set with "..".
    setenv("XDG_PICTURES_DIR", (Home() + "/a/../Pictures").c_str(), 1);
    IdList pictures;
    ASSERT_EQ(SHGetSpecialFolderLocation(0, CSIDL_MYPICTURES, pictures.Put()), S_OK);
    std::string path;
    EXPECT_TRUE(SHGetPathFromIDListA(pictures.Get(), path));
    EXPECT_EQ(path, Home() + "/Pictures");
}

TEST_F(ShellFolderTest, Trash_NeverUsedParsesBack_ItsItemsAreNotRenamed) {
    IdList trash;
    ASSERT_EQ(SHGetSpecialFolderLocation(0, CSIDL_BITBUCKET, trash.Put()), S_OK);
    std::string name = NameOf(desktop_.Get(), trash.Get(), SHGDN_FORPARSING);
    EXPECT_EQ(name, DataHome() + "/Trash/files");
    IdList parsed = Parse(name);
    ASSERT_EQ(lastResult_, S_OK);
    EXPECT_EQ(desktop_->CompareIDs(0, parsed.Get(), trash.Get()), S_OK);

    // An item's name is also its .trashinfo's: renaming it would orphan that.
    MakeFile(name + "/photo.jpg", "x");
    MakeFile(DataHome() + "/Trash/info/photo.jpg.trashinfo", "[Trash Info]\n");
    ComPtr<IShellFolder> files;
    ASSERT_EQ(desktop_->BindToObject(trash.Get(), nullptr, IID_IShellFolder, files.PutVoid()),
              S_OK);
    EXPECT_EQ(AttributesOf(files.Get(), "photo.jpg", SFGAO_CANRENAME | SFGAO_CANDELETE),
              SFGAO_CANDELETE);
    IdList item;
    files->ParseDisplayName(0, nullptr, "photo.jpg", nullptr, item.Put(), nullptr);
    EXPECT_EQ(files->SetNameOf(0, item.Get(), "other.jpg", SHGDN_INFOLDER, nullptr),
              HResultFromErrno(EPERM));
    EXPECT_TRUE(std::filesystem::exists(name + "/photo.jpg"));
}

TEST_F(ShellFolderTest, SetNameOf_RenamesOnDiskAndReturnsTheNewItem) {
    MakeFile(Home() + "/old.txt", "data");
    auto home = Bind(Home());
    IdList item, renamed;
    home->ParseDisplayName(0, nullptr, "old.txt", nullptr, item.Put(), nullptr);
    ASSERT_EQ(home->SetNameOf(0, item.Get(), "new name.txt", SHGDN_INFOLDER, renamed.Put()), S_OK);
    EXPECT_EQ(ReadFileBytes(Home() + "/new name.txt"), "data");
    EXPECT_FALSE(std::filesystem::exists(Home() + "/old.txt"));
    EXPECT_EQ(NameOf(home.Get(), renamed.Get(), SHGDN_INFOLDER), "new name.txt");
}

TEST_F(ShellFolderTest, SetNameOf_RefusesBadNamesAndNamesThatExist) {
    MakeFile(Home() + "/one", "1");
    MakeFile(Home() + "/two", "2");
    auto home = Bind(Home());
    IdList item, renamed;
    home->ParseDisplayName(0, nullptr, "one", nullptr, item.Put(), nullptr);
    for (const char* bad : {"", "a/b", ".", ".."})
        EXPECT_EQ(home->SetNameOf(0, item.Get(), bad, 0, renamed.Put()), E_INVALIDARG) << bad;
    EXPECT_EQ(home->SetNameOf(0, item.Get(), "two", 0, renamed.Put()), HResultFromErrno(EEXIST));
    EXPECT_EQ(renamed.Get(), nullptr);
    EXPECT_EQ(ReadFileBytes(Home() + "/two"), "2");
    EXPECT_EQ(home->SetNameOf(0, item.Get(), std::string(256, 'x').c_str(), 0, renamed.Put()),
              HResultFromErrno(ENAMETOOLONG));
    IdList computer;
    SHGetSpecialFolderLocation(0, CSIDL_DRIVES, computer.Put());
    EXPECT_EQ(desktop_->SetNameOf(0, computer.Get(), "Mine", 0, nullptr), E_INVALIDARG);
}

TEST_F(ShellFolderTest, EnumObjects_UnreadableFolderFailsWithTheErrnoCode) {
    MakeFile(Home() + "/closed/inside");
    chmod((Home() + "/closed").c_str(), 0);
    auto closed = Bind(Home() + "/closed");
    AsUnprivilegedUser nobody;
    if (!nobody.Active())
        GTEST_SKIP() << "cannot drop file-system rights";
    ComPtr<IEnumIDList> items;
    EXPECT_EQ(closed->EnumObjects(0, kAll, items.Put()), HResultFromErrno(EACCES));
    EXPECT_FALSE(items);
}

TEST_F(ShellFolderTest, EnumObjects_FolderDeletedWhileReadEndsWithFail) {
    for (int i = 0; i < 50; ++i)
        MakeFile(Home() + "/doomed/f" + std::to_string(i));
    auto doomed = Bind(Home() + "/doomed");
    ComPtr<IEnumIDList> items;
    ASSERT_EQ(doomed->EnumObjects(0, kAll, items.Put()), S_OK);
    LPITEMIDLIST first;
    ASSERT_EQ(items->Next(1, &first, nullptr), S_OK);
    IdList owned(first);
    std::filesystem::remove_all(Home() + "/doomed");
    LPITEMIDLIST rest[64];
    ULONG fetched = 99;
    EXPECT_EQ(items->Next(64, rest, &fetched), E_FAIL);
    EXPECT_EQ(fetched, 0u);
}

TEST_F(ShellFolderTest, BindToObject_OpensFoldersAndRefusesFiles) {
    MakeFile(Home() + "/sub/inner.txt");
    MakeFile(Home() + "/plain.txt");
    auto sub = Bind(Home() + "/sub");
    ASSERT_TRUE(sub);
    EXPECT_EQ(ListNames(sub.Get(), kAll), (std::vector<std::string>{"inner.txt"}));
    IdList file = Parse(Home() + "/plain.txt");
    ComPtr<IShellFolder> folder;
    EXPECT_EQ(desktop_->BindToObject(file.Get(), nullptr, IID_IShellFolder, folder.PutVoid()),
              HResultFromErrno(ENOTDIR));
    IdList dir = Parse(Home() + "/sub");
    ComPtr<IUnknown> other;
    EXPECT_EQ(desktop_->BindToObject(dir.Get(), nullptr, IID_IDropTarget, other.PutVoid()),
              E_NOINTERFACE);
}

TEST_F(ShellFolderTest, HomeAndTrash_ListTheirDirectories) {
    MakeFile(Home() + "/in-home");
    MakeFile(DataHome() + "/Trash/files/thrown-away");
    for (int csidl : {CSIDL_PERSONAL, CSIDL_BITBUCKET}) {
        IdList place;
        ASSERT_EQ(SHGetSpecialFolderLocation(0, csidl, place.Put()), S_OK);
        ComPtr<IShellFolder> folder;
        ASSERT_EQ(desktop_->BindToObject(place.Get(), nullptr, IID_IShellFolder, folder.PutVoid()),
                  S_OK);
        auto names = ListNames(folder.Get(), SHCONTF_NONFOLDERS);
        EXPECT_EQ(names,
                  (std::vector<std::string>{csidl == CSIDL_PERSONAL ? "in-home" : "thrown-away"}));
    }
}

TEST_F(ShellFolderTest, Trash_NeverUsedIsEmptyButAMissingFolderIsAnError) {
    IdList trash;
    SHGetSpecialFolderLocation(0, CSIDL_BITBUCKET, trash.Put());
    ComPtr<IShellFolder> folder;
    desktop_->BindToObject(trash.Get(), nullptr, IID_IShellFolder, folder.PutVoid());
    EXPECT_TRUE(ListNames(folder.Get(), kAll).empty());
    MakeFolder(Home() + "/soon-gone");
    auto gone = Bind(Home() + "/soon-gone");
    std::filesystem::remove(Home() + "/soon-gone");
    ComPtr<IEnumIDList> items;
    EXPECT_EQ(gone->EnumObjects(0, kAll, items.Put()), HResultFromErrno(ENOENT));
}

TEST_F(ShellFolderTest, Details_GiveColumnsAndTheirTexts) {
    MakeFile(Home() + "/two-k.bin", std::string(2048 * 1024 + 1, 'x'));
    timespec when[2] = {{1181910600, 0}, {1181910600, 0}};  // 2007-06-15 12:30 UTC
    utimensat(AT_FDCWD, (Home() + "/two-k.bin").c_str(), when, 0);
    auto home = Bind(Home());
    ComPtr<IShellDetails> details = home.As<IShellDetails>(IID_IShellDetails);
    ASSERT_TRUE(details);
    SHELLDETAILS cell;
    const char* titles[] = {"Name", "Size", "Type", "Modified"};
    for (UINT column = 0; column < 4; ++column) {
        ASSERT_EQ(details->GetDetailsOf(nullptr, column, &cell), S_OK);
        EXPECT_STREQ(cell.str.cStr, titles[column]);
    }
    EXPECT_EQ(details->GetDetailsOf(nullptr, 4, &cell), E_INVALIDARG);
    IdList item;
    home->ParseDisplayName(0, nullptr, "two-k.bin", nullptr, item.Put(), nullptr);
    home->GetDetailsOf(item.Get(), 1, &cell);
    EXPECT_STREQ(cell.str.cStr, "2,049 KB");
    EXPECT_EQ(cell.fmt, LVCFMT_RIGHT);
    home->GetDetailsOf(item.Get(), 3, &cell);
    EXPECT_STREQ(cell.str.cStr, "2007-06-15 12:30");
    home->GetDetailsOf(item.Get(), 2, &cell);
    EXPECT_STRNE(cell.str.cStr, "");
    SHCOLSTATEF state;
    EXPECT_EQ(home->GetDefaultColumnState(1, &state), S_OK);
    EXPECT_TRUE(state & SHCOLSTATE_ONBYDEFAULT);
}

TEST_F(ShellFolderTest, UIObjects_MenusForItemsDropTargetsForFoldersNothingElse) {
    MakeFile(Home() + "/f");
    auto home = Bind(Home());
    IdList item;
    home->ParseDisplayName(0, nullptr, "f", nullptr, item.Put(), nullptr);
    LPCITEMIDLIST items[] = {item.Get()};
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(home->GetUIObjectOf(0, 1, items, IID_IShellFolder, nullptr, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(home->GetUIObjectOf(0, 0, items, IID_IContextMenu, nullptr, &object), E_INVALIDARG);
    EXPECT_EQ(home->GetUIObjectOf(0, 1, items, IID_IContextMenu, nullptr, &object), S_OK);
    static_cast<IUnknown*>(object)->Release();
    EXPECT_EQ(home->CreateViewObject(0, IID_IShellFolder, &object), E_NOINTERFACE);
    auto computer = Bind("::Computer");
    EXPECT_EQ(computer->CreateViewObject(0, IID_IDropTarget, &object), E_NOTIMPL);
}

}  // namespace
