#include "hexdoc/MPHUndoStorage.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "hexdoc/HexdocTestUtil.h"
#include "hexdoc/MPHDocument.h"
#include "hexdoc/MPHexEditorError.h"

namespace {

std::uint32_t U32(TMPHUndoStorage& undo, std::int64_t at) {
    const std::uint8_t* p = undo.Memory() + at;
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}

}  // namespace

TEST(UndoRecord, InsertNibbleRecordIsThirtyFourBytes) {
    TCustomMPHexEditor doc;
    LoadBytes(doc, "\x10\x20\x30\x40\x50\x60");
    doc.InsertNibble(4, true);
    TMPHUndoStorage& undo = doc.UndoStorage();
    ASSERT_EQ(undo.Size(), 34);
    EXPECT_EQ(U32(undo, 0), 34u);
    EXPECT_EQ(U32(undo, 4), 1u << ukInsertNibble);
    EXPECT_EQ(U32(undo, 8), 0u);   // cursor on the first byte after the load
    EXPECT_EQ(U32(undo, 12), 4u);  // position
    EXPECT_EQ(undo.Memory()[24], tkAsIs);
    EXPECT_EQ(undo.Memory()[25], 1);
    EXPECT_EQ(undo.Memory()[26] | undo.Memory()[27] | undo.Memory()[28], 0);
    EXPECT_EQ(undo.Memory()[29], 0x50);  // the byte as it was
    EXPECT_EQ(U32(undo, 30), 34u);
    EXPECT_EQ(undo.Description(), "Insert Nibble");

    doc.InsertNibble(4, true);
    EXPECT_EQ(U32(undo, 34 + 4), (1u << ukInsertNibble) | undoflag::kWasModified);
    EXPECT_EQ(undo.Memory()[34 + 29], 0x05);
}

TEST(UndoRecord, MarkedByteDescriptionAndSelectionParts) {
    TCustomMPHexEditor doc;
    LoadBytes(doc, "abcdef");
    doc.ChangeBytes(2, "XY", "typed");
    TMPHUndoStorage& undo = doc.UndoStorage();
    // Change Byte(s): two bytes of payload, then "typed" and its length.
    ASSERT_EQ(undo.Size(), 34 + 1 + 5 + 4);
    EXPECT_EQ(U32(undo, 4), (1u << ukChangeBytes) | undoflag::kDescriptionPart);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(undo.Memory()) + 29, 7), "cdtyped");
    EXPECT_EQ(U32(undo, 36), 5u);
    EXPECT_EQ(undo.Description(), "typed");

    doc.SetSelection(3, 1);
    doc.ChangeBytes(2, "ZZ");
    std::int64_t at = 44;
    EXPECT_EQ(U32(undo, at + 4), (1u << ukChangeBytes) | undoflag::kFirstChanged |
                                     undoflag::kSecondChanged | undoflag::kWasModified |
                                     undoflag::kSelectionPart);
    EXPECT_EQ(U32(undo, at), 34u + 1 + 12);
    EXPECT_EQ(U32(undo, at + 31), 1u);  // selection start, end, anchor
    EXPECT_EQ(U32(undo, at + 35), 3u);
    EXPECT_EQ(U32(undo, at + 39), 3u);
    EXPECT_EQ(U32(undo, at + 43), 47u);
}

TEST(UndoRecord, KindsWithTheirOwnPayloads) {
    TCustomMPHexEditor doc;
    LoadBytes(doc, "abcdef");
    TMPHUndoStorage& undo = doc.UndoStorage();
    undo.AddRecord(ukCursorMovement, 2, 0, 0, "");
    EXPECT_EQ(U32(undo, 0), 34u + 12);
    EXPECT_EQ(U32(undo, 8), 2u);
    EXPECT_EQ(U32(undo, 30), 2u);
    EXPECT_EQ(U32(undo, 34), 0xFFFFFFFFu);  // end = position + count - 1
    EXPECT_EQ(U32(undo, 38), 2u);
    undo.Reset(true);

    undo.AddRecord(ukMultipleModification, 0, 0, 0, "");
    EXPECT_EQ(U32(undo, 0), 34u + 21);
    EXPECT_EQ(undo.Memory()[29], 21);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(undo.Memory()) + 30, 21),
              "Multiple Modification");
    undo.Reset(true);

    undo.AddRecord(ukAllDataSaved, 0, 0, 0, "");
    EXPECT_EQ(U32(undo, 0), 34u + 5);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(undo.Memory()) + 29, 6), "abcdef");
    undo.Reset(true);

    undo.AddRecord(ukReplace, 4, 1, 2, "");
    EXPECT_EQ(U32(undo, 20), 2u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(undo.Memory()) + 29, 2), "ef");
    EXPECT_THROW(undo.AddRecord(ukRemoveData, 4, 3, 0, ""), EMPHexEditor);
    EXPECT_EQ(undo.Count(), 1);
}

TEST(UndoStorage, TrimsFromTheFrontBeforeAdding) {
    TCustomMPHexEditor doc;
    LoadBytes(doc, Pattern(64));
    doc.SetMaxUndo(100);
    for (int i = 0; i < 3; ++i)
        doc.InsertNibble(10 + i, true);
    EXPECT_EQ(doc.UndoStorage().Size(), 102);  // the limit may be passed by the newest
    doc.InsertNibble(20, true);
    TMPHUndoStorage& undo = doc.UndoStorage();
    EXPECT_EQ(undo.Count(), 3);
    EXPECT_EQ(undo.Size(), 102);
    EXPECT_EQ(U32(undo, 12), 11u);  // the oldest left is the second record
    EXPECT_EQ(U32(undo, 68 + 12), 20u);
}

TEST(UndoStorage, DefaultLimitAndNoLimit) {
    TCustomMPHexEditor doc;
    LoadBytes(doc, Pattern(8));
    EXPECT_EQ(doc.MaxUndo(), 1048576);
    doc.SetMaxUndo(0);
    for (int i = 0; i < 40; ++i)
        doc.InsertNibble(1, true);
    EXPECT_EQ(doc.UndoStorage().Count(), 40);
    doc.SetMaxUndo(-5);
    doc.InsertNibble(1, true);
    EXPECT_EQ(doc.UndoStorage().Count(), 41);
    doc.SetMaxUndo(34 * 10);
    doc.InsertNibble(1, true);
    EXPECT_EQ(doc.UndoStorage().Count(), 11);
}

TEST(UndoStorage, LockedChangesStillModify) {
    TCustomMPHexEditor doc;
    LoadBytes(doc, "abc");
    doc.BeginUndoLock();
    doc.BeginUndoLock();
    doc.InsertNibble(0, true);
    EXPECT_TRUE(doc.Modified());
    EXPECT_EQ(doc.UndoStorage().Count(), 0);
    EXPECT_FALSE(doc.UndoStorage().CanUndo());
    doc.EndUndoLock();
    doc.EndUndoLock();
    doc.EndUndoLock();  // never below 0
    EXPECT_EQ(doc.UndoStorage().LockCount(), 0);
    doc.InsertNibble(0, true);
    EXPECT_TRUE(doc.UndoStorage().CanUndo());
}

TEST(UndoStorage, LockedStorageSurvivesALoad) {
    TCustomMPHexEditor doc;
    LoadBytes(doc, "abc");
    doc.InsertNibble(0, true);
    doc.BeginUndoLock();
    LoadBytes(doc, "xyz");
    EXPECT_EQ(doc.UndoStorage().Count(), 1);
    EXPECT_EQ(doc.UndoStorage().LockCount(), 1);
}

TEST(UndoStorage, ShrinkingBelowOneRecordForgetsTheCount) {
    TCustomMPHexEditor doc;
    LoadBytes(doc, "abc");
    doc.InsertNibble(0, true);
    TMPHUndoStorage& undo = doc.UndoStorage();
    undo.SetSize(30);
    EXPECT_EQ(undo.Count(), 1);
    undo.SetSize(29);
    EXPECT_EQ(undo.Count(), 0);
    EXPECT_FALSE(undo.CanUndo());
}

TEST(UndoStorage, CorruptFirstSizeEmptiesTheStorageWhenTrimming) {
    TCustomMPHexEditor doc;
    LoadBytes(doc, Pattern(8));
    doc.InsertNibble(1, true);
    doc.InsertNibble(1, true);
    TMPHUndoStorage& undo = doc.UndoStorage();
    undo.Memory()[0] = 0xFF;  // claims more than the storage holds
    doc.SetMaxUndo(40);
    doc.InsertNibble(1, true);
    EXPECT_EQ(undo.Count(), 1);
    EXPECT_EQ(undo.Size(), 34);
}
