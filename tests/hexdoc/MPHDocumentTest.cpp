#include "hexdoc/MPHDocument.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "framework/FileUtils.h"
#include "framework/StreamErrors.h"
#include "hexdoc/HexdocTestUtil.h"
#include "hexdoc/MPHexEditorError.h"
#include "support/MessageOf.h"
#include "support/TempDir.h"

namespace {

// Points the system's temporary folder at a test folder for the scope.
class TempFolderScope {
  public:
    explicit TempFolderScope(const std::string& path) {
        if (const char* saved = std::getenv("TMPDIR")) {
            saved_ = saved;
            hadValue_ = true;
        }
        setenv("TMPDIR", path.c_str(), 1);
    }
    ~TempFolderScope() {
        if (hadValue_)
            setenv("TMPDIR", saved_.c_str(), 1);
        else
            unsetenv("TMPDIR");
    }

  private:
    std::string saved_;
    bool hadValue_ = false;
};

bool FolderIsEmpty(const std::string& path) {
    return std::filesystem::is_empty(path);
}

}  // namespace

// ---- Half-byte insertion ----------------------------------------------------

TEST(InsertNibble, TwoHundredEightyFourAtFourOpenTheGapAndAppendZeros) {
    TempDir temp;
    TempFolderScope tempFolder(temp.Path());
    TCustomMPHexEditor doc;
    const std::string input = Pattern(1000);
    LoadBytes(doc, input);
    for (int i = 0; i < 284; ++i)
        ASSERT_TRUE(doc.InsertNibble(4, true));
    std::string expected =
        input.substr(0, 4) + std::string(142, '\0') + input.substr(4) + std::string(142, '\0');
    EXPECT_EQ(Bytes(doc), expected);
    EXPECT_TRUE(doc.Modified());
    EXPECT_EQ(doc.UndoStorage().Count(), 284);
    EXPECT_EQ(doc.UndoStorage().Size(), 284 * 34);
    EXPECT_TRUE(FolderIsEmpty(temp.Path()));  // every .MPHT file is gone
}

TEST(InsertNibble, AtLastByteHighHalfShiftsIntoNewByte) {
    TCustomMPHexEditor doc;
    LoadBytes(doc, "\x12\xAB");
    EXPECT_TRUE(doc.InsertNibble(1, true));
    EXPECT_EQ(Bytes(doc), std::string("\x12\x0A\xB0"));
}

TEST(InsertNibble, LowHalfKeepsTheHighHalfInFront) {
    TCustomMPHexEditor doc;
    LoadBytes(doc, "\xAB\xCD");
    EXPECT_TRUE(doc.InsertNibble(0, false));
    EXPECT_EQ(Bytes(doc), std::string("\xA0\xBC\xD0"));
}

TEST(InsertNibble, PositionOutsideTheDataChangesNothing) {
    TCustomMPHexEditor doc;
    LoadBytes(doc, "abc");
    EXPECT_FALSE(doc.InsertNibble(3, true));
    EXPECT_FALSE(doc.InsertNibble(-1, true));
    EXPECT_EQ(Bytes(doc), "abc");
    EXPECT_FALSE(doc.Modified());
    EXPECT_EQ(doc.UndoStorage().Count(), 0);
}

TEST(InsertNibble, EmptyDocumentGetsOneZeroByteRecordedAsAppend) {
    TCustomMPHexEditor doc;
    EXPECT_TRUE(doc.InsertNibble(0, true, "ignored position"));
    EXPECT_EQ(Bytes(doc), std::string(1, '\0'));
    EXPECT_EQ(doc.UndoStorage().Description(), "Append Buffer");
    EXPECT_EQ(doc.GetCursorPos(), 0);
    EXPECT_TRUE(doc.Modified());
}

TEST(InsertNibble, CutsChangeMarksAtThePositionAndClearsTheSelection) {
    TCustomMPHexEditor doc;
    LoadBytes(doc, Pattern(10));
    doc.ChangeBytes(2, "xy");
    doc.ChangeBytes(7, "z");
    doc.SetSelection(1, 3);
    EXPECT_TRUE(doc.InsertNibble(3, true));
    EXPECT_TRUE(doc.ByteChanged(2));
    EXPECT_FALSE(doc.ByteChanged(3));
    EXPECT_FALSE(doc.ByteChanged(7));  // marks after the position are dropped
    EXPECT_TRUE(doc.Selection().Empty());
}

TEST(InsertNibble, RefusedWhileSizeIsLocked) {
    TCustomMPHexEditor doc;
    LoadBytes(doc, "abc");
    doc.SetNoSizeChange(true);
    EXPECT_EQ(MessageOf<EMPHexEditor>([&] { doc.InsertNibble(0, true); }),
              "Cannot update undo storage");
    EXPECT_EQ(Bytes(doc), "abc");
    doc.SetSizeLockOverride(true);
    EXPECT_TRUE(doc.InsertNibble(0, true));
}

TEST(InsertNibble, TemporaryFileThatCannotBeMadeIsACreateError) {
    TempDir temp;
    TempFolderScope tempFolder(temp.File("missing"));
    TCustomMPHexEditor doc;
    LoadBytes(doc, "abc");
    std::string message = MessageOf<EFCreateError>([&] { doc.InsertNibble(1, true); });
    EXPECT_EQ(message.rfind("Cannot create file \"" + temp.File("missing") + "/", 0), 0u)
        << message;
    EXPECT_NE(message.find(".MPHT\". No such file or directory"), std::string::npos) << message;
    EXPECT_EQ(Bytes(doc), "abc");
}

TEST(InsertNibble, NeverWritesThroughAPlantedName) {
    // Whatever already carries a name the insertion might pick is left alone.
    TempDir temp;
    TempFolderScope tempFolder(temp.Path());
    WriteFileBytes(temp.File("victim"), "keep");
    for (std::uint32_t tick = TickCountMs(), i = 0; i < 200; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "%08X.MPHT", tick + i);
        ASSERT_EQ(symlink(temp.File("victim").c_str(), temp.File(name).c_str()), 0);
    }
    TCustomMPHexEditor doc;
    LoadBytes(doc, "\xAB\xCD");
    EXPECT_TRUE(doc.InsertNibble(0, true));
    EXPECT_EQ(Bytes(doc), std::string("\x0A\xBC\xD0"));
    EXPECT_EQ(ReadFileBytes(temp.File("victim")), "keep");
}

TEST(InsertNibble, TwoProcessesInsertingAtOnceNeverClashOnTheTemporaryName) {
    // Both pick names from the same millisecond clock in the same folder; one
    // must not fail because the other took a name between check and create.
    TempDir temp;
    TempFolderScope tempFolder(temp.Path());
    auto insertFor = [](int milliseconds) {
        TCustomMPHexEditor doc;
        LoadBytes(doc, "0123456789abcdef");
        const std::uint32_t end = TickCountMs() + static_cast<std::uint32_t>(milliseconds);
        while (static_cast<std::int32_t>(end - TickCountMs()) > 0) {
            doc.InsertNibble(2, true);
            doc.InsertNibble(2, true);
            LoadBytes(doc, "0123456789abcdef");
        }
    };
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        try {
            insertFor(300);
        } catch (...) {
            _exit(1);
        }
        _exit(0);
    }
    EXPECT_NO_THROW(insertFor(300));
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_TRUE(FolderIsEmpty(temp.Path()));
}

// ---- The raw gap --------------------------------------------------------------

TEST(OpenZeroGap, EqualsTwiceCountInsertionsByteForByte) {
    for (std::size_t size : {5u, 6u, 143u, 70000u}) {
        const std::string input = Pattern(size);
        TCustomMPHexEditor byNibbles;
        LoadBytes(byNibbles, input);
        for (int i = 0; i < 284; ++i)
            byNibbles.InsertNibble(4, true);
        TCustomMPHexEditor byGap;
        LoadBytes(byGap, input);
        ASSERT_TRUE(byGap.OpenZeroGap(4, 142));
        EXPECT_EQ(Bytes(byGap), Bytes(byNibbles)) << size;
        EXPECT_EQ(byGap.Presentation().RowCount(), byNibbles.Presentation().RowCount());
    }
}

TEST(OpenZeroGap, RecordsNothingAndRefusesWhatInsertionRefuses) {
    TCustomMPHexEditor doc;
    LoadBytes(doc, "abcdef");
    int changes = 0;
    doc.OnChange = [&](TObject*) { ++changes; };
    EXPECT_TRUE(doc.OpenZeroGap(5, 2));
    EXPECT_EQ(Bytes(doc), std::string("abcde\0\0f\0\0", 10));
    EXPECT_FALSE(doc.Modified());
    EXPECT_EQ(doc.UndoStorage().Count(), 0);
    EXPECT_EQ(changes, 0);

    EXPECT_FALSE(doc.OpenZeroGap(10, 1));
    EXPECT_FALSE(doc.OpenZeroGap(-1, 1));
    EXPECT_FALSE(doc.OpenZeroGap(0, -1));
    EXPECT_FALSE(doc.OpenZeroGap(0, INT32_MAX / 2));
    EXPECT_TRUE(doc.OpenZeroGap(0, 0));
    doc.SetNoSizeChange(true);
    EXPECT_FALSE(doc.OpenZeroGap(0, 1));
    EXPECT_EQ(doc.DataSize(), 10);
    TCustomMPHexEditor empty;
    EXPECT_FALSE(empty.OpenZeroGap(0, 1));
}

// ---- Loading ------------------------------------------------------------------

TEST(LoadFromFile, ReplacesTheDocumentAndForgetsItsChanges) {
    TempDir dir;
    WriteFileBytes(dir.File("a.jpg"), "\xFF\xD8\xFF\xE0 data");
    TCustomMPHexEditor doc;
    LoadBytes(doc, "old");
    doc.ChangeBytes(0, "x");
    int changes = 0;
    doc.OnChange = [&](TObject*) { ++changes; };
    doc.LoadFromFile(dir.File("a.jpg"));
    EXPECT_EQ(Bytes(doc), "\xFF\xD8\xFF\xE0 data");
    EXPECT_EQ(doc.FileName(), dir.File("a.jpg"));
    EXPECT_TRUE(doc.HasFile());
    EXPECT_FALSE(doc.IsFileReadOnly());
    EXPECT_FALSE(doc.Modified());
    EXPECT_FALSE(doc.ByteChanged(0));
    EXPECT_EQ(doc.UndoStorage().Count(), 0);
    EXPECT_EQ(changes, 1);
}

TEST(LoadFromFile, FolderOrMissingFileFailsWithTheSystemText) {
    TempDir dir;
    TCustomMPHexEditor doc;
    LoadBytes(doc, "abc");
    EXPECT_EQ(MessageOf<EFOpenError>([&] { doc.LoadFromFile(dir.Path()); }),
              "Cannot open " + dir.Path() + ".\r\n(Is a directory.)");
    EXPECT_EQ(MessageOf<EFOpenError>([&] { doc.LoadFromFile(dir.File("gone.jpg")); }),
              "Cannot open " + dir.File("gone.jpg") + ".\r\n(No such file or directory.)");
    EXPECT_EQ(doc.FileName(), kMPHUntitled);
    EXPECT_TRUE(doc.IsFileReadOnly());
}

TEST(LoadFromFile, ReadOnlyFileLoadsButCannotBeSavedOverItself) {
    TempDir dir;
    std::string name = dir.File("ro.jpg");
    WriteFileBytes(name, "photo");
    ASSERT_EQ(chmod(name.c_str(), 0444), 0);
    TCustomMPHexEditor doc;
    doc.LoadFromFile(name);
    EXPECT_TRUE(doc.IsFileReadOnly());
    EXPECT_EQ(MessageOf<EFOpenError>([&] { doc.SaveToFile(name, true); }),
              "Cannot save readonly file " + name + ".");
    EXPECT_EQ(ReadFileBytes(name), "photo");
    doc.SaveToFile(dir.File("copy.jpg"), true);
    EXPECT_EQ(ReadFileBytes(dir.File("copy.jpg")), "photo");
    EXPECT_FALSE(doc.IsFileReadOnly());
}

namespace {

// A stream that fails to deliver after `good` bytes.
class BrokenStream : public TMemoryStream {
  public:
    explicit BrokenStream(std::int64_t good) : good_(good) {}
    std::int32_t Read(void* buffer, std::int32_t count) override {
        std::int64_t allowed = std::max<std::int64_t>(0, good_ - Position());
        return TMemoryStream::Read(
            buffer, static_cast<std::int32_t>(std::min<std::int64_t>(count, allowed)));
    }

  private:
    std::int64_t good_;
};

}  // namespace

TEST(LoadFromStream, ReadFailureLeavesAnEmptyDocument) {
    TCustomMPHexEditor doc;
    LoadBytes(doc, "abc");
    doc.ChangeBytes(0, "x");
    BrokenStream broken(70000);
    std::string bytes = Pattern(100000);
    broken.WriteBuffer(bytes.data(), 100000);
    EXPECT_EQ(MessageOf<EReadError>([&] { doc.LoadFromStream(broken); }), "Stream read error");
    EXPECT_EQ(doc.DataSize(), 0);
    EXPECT_EQ(doc.UndoStorage().Size(), 0);
    EXPECT_FALSE(doc.HasFile());
    EXPECT_FALSE(doc.Modified());
}

TEST(LoadFromFile, ReportsProgressPerBlockAndEndsAtOneHundred) {
    TempDir dir;
    WriteFileBytes(dir.File("big"), Pattern(200000));
    TCustomMPHexEditor doc;
    std::vector<std::string> reports;
    doc.OnProgress = [&](TCustomMPHexEditor&, TMPHProgressKind kind, const std::string& name,
                         std::uint8_t percent, bool&) {
        reports.push_back(std::to_string(kind) + " " + name + " " + std::to_string(percent));
    };
    doc.LoadFromFile(dir.File("big"));
    std::string big = dir.File("big");
    EXPECT_EQ(reports, (std::vector<std::string>{"0 " + big + " 0", "0 " + big + " 31",
                                                 "0 " + big + " 61", "0 " + big + " 100"}));
    reports.clear();
    std::string out = dir.File("out");
    doc.SaveToFile(out, false);
    EXPECT_EQ(reports, (std::vector<std::string>{"1 " + out + " 0", "1 " + out + " 31",
                                                 "1 " + out + " 61", "1 " + out + " 100"}));
    EXPECT_EQ(ReadFileBytes(out), Pattern(200000));
}

TEST(LoadFromFile, CancelFromProgressEndsTheLoad) {
    TempDir dir;
    WriteFileBytes(dir.File("big"), Pattern(200000));
    TCustomMPHexEditor doc;
    doc.OnProgress = [](TCustomMPHexEditor&, TMPHProgressKind, const std::string&,
                        std::uint8_t percent, bool& cancel) { cancel = percent > 50; };
    EXPECT_EQ(MessageOf<EMPHexEditor>([&] { doc.LoadFromFile(dir.File("big")); }),
              "Operation Cancelled");
    EXPECT_EQ(doc.DataSize(), 0);
    EXPECT_FALSE(doc.HasFile());
    EXPECT_EQ(doc.FileName(), kMPHUntitled);
}

// ---- Saving -------------------------------------------------------------------

TEST(SaveToFile, WithClearChangesTheDocumentBecomesTheFile) {
    TempDir dir;
    WriteFileBytes(dir.File("a"), "abcdef");
    TCustomMPHexEditor doc;
    doc.LoadFromFile(dir.File("a"));
    doc.ChangeBytes(1, "X");
    doc.InsertNibble(4, true);
    doc.SaveToFile(dir.File("b"), true);
    EXPECT_EQ(ReadFileBytes(dir.File("b")), std::string("aXcd\x06\x56\x60", 7));
    EXPECT_FALSE(doc.Modified());
    EXPECT_EQ(doc.UndoStorage().Count(), 0);
    EXPECT_EQ(doc.UndoStorage().Size(), 0);
    EXPECT_FALSE(doc.ByteChanged(1));
    EXPECT_EQ(doc.FileName(), dir.File("b"));
}

TEST(SaveToFile, WithoutClearChangesOnlyTheFileChanges) {
    TempDir dir;
    WriteFileBytes(dir.File("a"), "abc");
    TCustomMPHexEditor doc;
    doc.LoadFromFile(dir.File("a"));
    doc.ChangeBytes(0, "z");
    doc.SaveToFile(dir.File("a"), false);
    EXPECT_EQ(ReadFileBytes(dir.File("a")), "zbc");
    EXPECT_TRUE(doc.Modified());
    EXPECT_TRUE(doc.ByteChanged(0));
    EXPECT_EQ(doc.UndoStorage().Count(), 1);
    EXPECT_TRUE(doc.HasFile());
}

TEST(SaveToFile, FailureLeavesDocumentAndFileAsTheyWere) {
    TempDir dir;
    TCustomMPHexEditor doc;
    LoadBytes(doc, "abc");
    doc.ChangeBytes(0, "z");
    std::string name = dir.File("no/folder/x.jpg");
    EXPECT_EQ(MessageOf<EFCreateError>([&] { doc.SaveToFile(name, true); }),
              "Cannot create file \"" + name + "\". No such file or directory");
    EXPECT_TRUE(doc.Modified());
    EXPECT_EQ(doc.UndoStorage().Count(), 1);
    EXPECT_EQ(doc.FileName(), kMPHUntitled);
}

TEST(SaveToFile, NewDocumentCannotBeSavedUnderItsOwnName) {
    TCustomMPHexEditor doc;
    EXPECT_EQ(doc.FileName(), "Untitled");
    EXPECT_TRUE(doc.IsFileReadOnly());
    EXPECT_FALSE(doc.HasFile());
    EXPECT_EQ(MessageOf<EFOpenError>([&] { doc.SaveToFile("Untitled", false); }),
              "Cannot save readonly file Untitled.");
}

TEST(SaveToFile, KeepsTheModeOfTheFileItReplaces) {
    TempDir dir;
    std::string name = dir.File("p.jpg");
    WriteFileBytes(name, "abcdef");
    ASSERT_EQ(chmod(name.c_str(), 0640), 0);
    TCustomMPHexEditor doc;
    doc.LoadFromFile(name);
    ASSERT_TRUE(doc.OpenZeroGap(4, 1));
    doc.SaveToFile(name, true);
    EXPECT_EQ(ReadFileBytes(name), std::string("abcd\0ef\0", 8));
    struct stat info {};
    ASSERT_EQ(stat(name.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                            std::filesystem::directory_iterator()),
              1);
}

// ---- Raw access and the change gate --------------------------------------------

TEST(Data, RawWritesChangeOnlyTheBytes) {
    TCustomMPHexEditor doc;
    LoadBytes(doc, "abc");
    int changes = 0;
    doc.OnChange = [&](TObject*) { ++changes; };
    doc.SetData(1, 'X');
    EXPECT_EQ(doc.Data(1), 'X');
    EXPECT_FALSE(doc.Modified());
    EXPECT_FALSE(doc.ByteChanged(1));
    EXPECT_EQ(doc.UndoStorage().Count(), 0);
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(MessageOf<EMPHexEditor>([&] { doc.WriteBufferAt("xy", 2, 2); }),
              "Data position/length out of data bounds");
}

TEST(Selection, EitherOrderInsideTheDataOnly) {
    TCustomMPHexEditor doc;
    LoadBytes(doc, "abcdef");
    doc.SetSelection(4, 1);
    EXPECT_EQ(doc.Selection().Start, 1);
    EXPECT_EQ(doc.Selection().End, 4);
    EXPECT_EQ(doc.Selection().Anchor, 4);
    const struct {
        std::int32_t start, end;
        const char* message;
    } refused[] = {{-1, 2, "Invalid selection start"},
                   {6, 2, "Invalid selection start"},
                   {2, -1, "Invalid selection end"},
                   {2, 6, "Invalid selection end"}};
    for (const auto& row : refused)
        EXPECT_EQ(MessageOf<EMPHexEditor>([&] { doc.SetSelection(row.start, row.end); }),
                  row.message)
            << row.start << " " << row.end;
    EXPECT_EQ(doc.Selection().Start, 1);  // the previous selection stays
}

TEST(ChangeBytes, InsertModeSetsNoMarks) {
    TCustomMPHexEditor doc;
    LoadBytes(doc, "abc");
    doc.SetInsertMode(true);
    doc.ChangeBytes(0, "z");
    EXPECT_FALSE(doc.ByteChanged(0));
    doc.SetInsertMode(false);
    EXPECT_FALSE(doc.ByteChanged(0));
    EXPECT_TRUE(doc.Modified());
}

TEST(CanChangeData, EmptyDocumentAndSizeLock) {
    TCustomMPHexEditor doc;
    EXPECT_FALSE(doc.CanChangeData(ukChangeBytes, 1, 0));
    EXPECT_TRUE(doc.CanChangeData(ukInsertBuffer, 1, 0));
    EXPECT_TRUE(doc.CanChangeData(ukAppendBuffer, 1, 0));
    EXPECT_TRUE(doc.CanChangeData(ukAllDataSaved, 0, 0));
    EXPECT_TRUE(doc.CanChangeData(ukMultipleModification, 0, 0));
    EXPECT_FALSE(doc.CanChangeData(ukMultipleModification, 1, 0));

    LoadBytes(doc, "abcd");
    doc.SetNoSizeChange(true);
    for (TMPHUndoKind kind :
         {ukRemoveData, ukInsertBuffer, ukAppendBuffer, ukInsertNibble, ukDeleteNibble})
        EXPECT_FALSE(doc.CanChangeData(kind, 1, 1)) << int(kind);
    EXPECT_TRUE(doc.CanChangeData(ukReplace, 2, 2));
    EXPECT_FALSE(doc.CanChangeData(ukReplace, 2, 3));
    EXPECT_TRUE(doc.CanChangeData(ukChangeBytes, 2, 0));
    doc.SetSizeLockOverride(true);
    EXPECT_TRUE(doc.CanChangeData(ukRemoveData, 1, 0));
}

// ---- Change notification ------------------------------------------------------

TEST(Changed, SelectionNotificationIsDeferredAndCoalesced) {
    TCustomMPHexEditor doc;
    int changes = 0, selections = 0;
    doc.OnChange = [&](TObject*) { ++changes; };
    doc.OnSelectionChanged = [&](TObject*) { ++selections; };
    DeliverPostedMessages();  // the new document's request
    EXPECT_EQ(selections, 1);
    selections = 0;
    doc.Changed();
    doc.Changed();
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(selections, 0);
    DeliverPostedMessages();
    EXPECT_EQ(selections, 1);
    doc.Changed();  // delivered: the next change asks again
    DeliverPostedMessages();
    EXPECT_EQ(selections, 2);
}

TEST(Changed, WithoutAHandlerTheRequestStaysPendingAndNothingMoreIsPosted) {
    TCustomMPHexEditor doc;
    DeliverPostedMessages();
    int selections = 0;
    doc.OnSelectionChanged = [&](TObject*) { ++selections; };
    doc.Changed();
    DeliverPostedMessages();
    EXPECT_EQ(selections, 0);
}
