#include "shell/ShellLocator.h"

#include <sys/stat.h>

#include <cstdlib>

#include "ShellTestSupport.h"
#include "framework/Exception.h"
#include "shell/ShellPaths.h"

namespace {

class ShellLocatorTest : public ShellTest {
  protected:
    void SetUp() override {
        locator.OnChange = [this] { ++changes; };
    }

    // An absolute list for a folder made in the test home.
    static LPITEMIDLIST Folder(const std::string& name) {
        std::string path = TestHome() + "/" + name;
        mkdir(path.c_str(), 0755);
        return ListOf(path);
    }

    TRzShellLocator locator;
    int changes = 0;
};

TEST_F(ShellLocatorTest, EmptyListIsHeldAsNull_AndNamesTheDesktop) {
    OwnedIdList empty(MakeIdList({}));
    locator.SetIdList(empty.Get());
    EXPECT_EQ(locator.IdList(), nullptr);
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(locator.PathName(), TestDesktop());
    EXPECT_FALSE(locator.WritePidl().has_value());
}

TEST_F(ShellLocatorTest, WritingTheSameListAgain_DoesNotFire) {
    OwnedIdList a(Folder("a"));
    OwnedIdList sameA(Folder("a"));
    OwnedIdList b(Folder("b"));
    locator.SetIdList(a.Get());
    EXPECT_EQ(changes, 1);
    EXPECT_NE(locator.IdList(), a.Get());
    EXPECT_EQ(locator.PathName(), TestHome() + "/a");
    locator.SetIdList(sameA.Get());
    EXPECT_EQ(changes, 1);
    locator.SetIdList(b.Get());
    EXPECT_EQ(changes, 2);
    locator.Clear();
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(locator.IdList(), nullptr);
}

TEST_F(ShellLocatorTest, WritingAfterSpecialFolder_AlwaysFires) {
    locator.ReadPidl(std::string("\x01\x05", 2));
    EXPECT_EQ(locator.Kind(), TRzShellLocator::kindSpecialFolder);
    EXPECT_EQ(locator.PathName(), TestHome());
    locator.SetIdList(nullptr);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(locator.Kind(), TRzShellLocator::kindIdList);
    EXPECT_EQ(locator.SpecialFolder(), TRzShellLocator::kNoSpecialFolder);
}

TEST_F(ShellLocatorTest, WritingItsOwnListBack_KeepsThePlace) {
    OwnedIdList a(Folder("a"));
    locator.SetIdList(a.Get());
    locator.SetIdList(locator.IdList());
    EXPECT_EQ(locator.PathName(), TestHome() + "/a");
    EXPECT_EQ(changes, 1);

    locator.ReadPidl(std::string("\x01\x05", 2));
    locator.SetIdList(locator.IdList());
    EXPECT_EQ(locator.Kind(), TRzShellLocator::kindIdList);
    EXPECT_EQ(locator.PathName(), TestHome());
}

TEST_F(ShellLocatorTest, Assign_CopiesOnlyRealChanges) {
    OwnedIdList a(Folder("a"));
    TRzShellLocator other;
    other.SetIdList(a.Get());
    locator.Assign(&other);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(locator.PathName(), TestHome() + "/a");
    EXPECT_NE(locator.IdList(), other.IdList());
    locator.Assign(&other);
    locator.Assign(&locator);
    EXPECT_EQ(changes, 1);

    TRzShellLocator special;
    special.ReadPidl(std::string("\x01\x27", 2));
    locator.Assign(&special);
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(locator.SpecialFolder(), 0x27);
    EXPECT_EQ(locator.PathName(), TestHome() + "/Pictures");
    locator.Assign(&special);
    EXPECT_EQ(changes, 2);

    locator.Assign(nullptr);
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(locator.Kind(), TRzShellLocator::kindIdList);
    locator.Assign(nullptr);
    EXPECT_EQ(changes, 3);
}

TEST_F(ShellLocatorTest, AssignNothing_HoldsTheDesktop_WhetherOrNotTheListWasRead) {
    for (bool readFirst : {false, true}) {
        TRzShellLocator pictures;
        int changed = 0;
        pictures.OnChange = [&] { ++changed; };
        pictures.ReadPidl(std::string("\x01\x27", 2));
        if (readFirst) {
            ASSERT_NE(pictures.IdList(), nullptr);
        }
        pictures.Assign(nullptr);
        EXPECT_EQ(changed, 1) << readFirst;
        EXPECT_EQ(pictures.Kind(), TRzShellLocator::kindIdList) << readFirst;
        EXPECT_EQ(pictures.IdList(), nullptr) << readFirst;
    }
}

TEST_F(ShellLocatorTest, Stream_MissingSpecialFolderNamesNothing_UnknownIdIsMalformed) {
    std::string pictures = std::getenv("XDG_PICTURES_DIR");
    setenv("XDG_PICTURES_DIR", (TestHome() + "/no pictures").c_str(), 1);
    locator.ReadPidl(std::string("\x01\x27", 2));
    EXPECT_EQ(locator.IdList(), nullptr);
    EXPECT_EQ(locator.PathName(), "");
    setenv("XDG_PICTURES_DIR", pictures.c_str(), 1);
    EXPECT_EQ(locator.PathName(), pictures);

    for (char unknown : {'\x02', '\x32', '\xC8'}) {
        EXPECT_THROW(locator.ReadPidl(std::string("\x01", 1) + unknown), Exception);
        EXPECT_EQ(locator.SpecialFolder(), 0x27);
    }
}

TEST_F(ShellLocatorTest, Stream_RoundTripsBothKinds) {
    OwnedIdList a(Folder("stream me"));
    locator.SetIdList(a.Get());
    std::optional<std::string> bytes = locator.WritePidl();
    ASSERT_TRUE(bytes.has_value());
    std::uint32_t size = IdListSize(a.Get());
    EXPECT_EQ(bytes->substr(0, 5), std::string("\0", 1) + static_cast<char>(size & 0xFF) +
                                       static_cast<char>(size >> 8) + std::string(2, '\0'));
    TRzShellLocator copy;
    copy.ReadPidl(*bytes);
    EXPECT_EQ(IdListBytes(copy.IdList()), IdListBytes(a.Get()));

    TRzShellLocator special;
    special.ReadPidl(std::string("\x01\x11", 2));
    EXPECT_EQ(special.WritePidl(), std::string("\x01\x11", 2));
}

TEST_F(ShellLocatorTest, Stream_ZeroLengthReadsAsDesktopSpecialFolder) {
    locator.ReadPidl(std::string(5, '\0'));
    EXPECT_EQ(locator.Kind(), TRzShellLocator::kindSpecialFolder);
    EXPECT_EQ(locator.SpecialFolder(), 0);
    EXPECT_EQ(IdListSize(locator.IdList()), 2u);
}

TEST_F(ShellLocatorTest, Stream_EveryTruncationRaises_AndLeavesLocatorAsItWas) {
    OwnedIdList a(Folder("a"));
    OwnedIdList b(Folder("b"));
    TRzShellLocator source;
    source.SetIdList(b.Get());
    std::string bytes = *source.WritePidl();
    locator.SetIdList(a.Get());
    for (std::size_t length = 0; length < bytes.size(); ++length) {
        EXPECT_THROW(locator.ReadPidl(std::string_view(bytes).substr(0, length)), Exception)
            << length;
        EXPECT_EQ(IdListBytes(locator.IdList()), IdListBytes(a.Get())) << length;
    }
    EXPECT_THROW(locator.ReadPidl(std::string("\x01", 1)), Exception);
}

TEST_F(ShellLocatorTest, Stream_MalformedValuesRaise) {
    auto expectInvalid = [this](const std::string& bytes) {
        try {
            locator.ReadPidl(bytes);
            ADD_FAILURE() << "accepted";
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), "Invalid property value");
        }
    };
    expectInvalid(std::string("\x02\x00", 2));
    // Length 4: an item claiming 8 bytes.
    expectInvalid(std::string("\x00\x04\x00\x00\x00\x08\x00\x00\x00", 9));
    // Length 3 cannot end in a terminator after whole items.
    expectInvalid(std::string("\x00\x03\x00\x00\x00\x00\x00\x00", 8));
    // A huge length is truncation, not an allocation.
    try {
        locator.ReadPidl(std::string("\x00\xFF\xFF\xFF\xFF\x00\x00", 7));
        ADD_FAILURE() << "accepted";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Stream read error");
    }
}

}  // namespace
