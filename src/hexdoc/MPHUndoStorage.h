#pragma once

// The byte document's record of changes: one record per recorded change,
// back to back in a memory stream, oldest first. Records are only added,
// trimmed from the front and cleared; nothing takes them back yet, but any
// undo built later must keep this layout.
//
// Record layout (little-endian; offsets from the record's start):
//   0   4  total record size in bytes
//   4   4  flags: bit <kind> for the record's kind (bit 0 .. bit 10), plus
//          0x800 first byte was marked changed, 0x1000 second byte was marked
//          changed, 0x2000 document was already modified, 0x4000 cursor on the
//          second hex digit of its byte, 0x8000 cursor in the character column,
//          0x10000 selection part present, 0x40000 Unicode character display
//          on, 0x80000 Unicode big-endian on, 0x100000 description part
//          present (0x20000 is reserved for a further editor state; never set)
//   8   4  data position under the cursor when the record was made
//  12   4  position of the change
//  16   4  count
//  20   4  replacement count
//  24   1  translation kind in force
//  25   1  bytes per unit in force
//  26   3  zero
//  29   n  payload, n >= 1 (a kind without payload keeps one zero byte)
//  then    description part when flagged: its characters, then their number (4)
//  then    selection part when flagged: start, end, anchor (4 each)
//  last 4  total record size again, so the last record can be found from the end
// A plain "Insert Nibble" record (no description, no selection) is 34 bytes.
//
// Payload by kind: Change Byte(s), Remove Data, Convert: the `count` bytes at
// the position; Replace: the `replacement count` bytes there; Insert Nibble,
// Delete Nibble: the one byte there; Multiple Modification: the description as
// a length byte and its first (at most 255) characters; All data saved: the
// whole document; Insert Buffer, Append Buffer, Cursor movement: none.
// A Cursor movement record puts the position in the cursor field and carries a
// selection part start = position, end = position + count - 1 (-1 for a count
// of 0), anchor = position. Other kinds carry a selection part when the
// document has a selection, and a description part when the caller gave a
// description.

#include <cstdint>
#include <string>
#include <vector>

#include "framework/MemoryStream.h"

class TCustomMPHexEditor;

enum TMPHUndoKind : std::uint8_t {
    ukChangeBytes = 0,
    ukRemoveData = 1,
    ukInsertBuffer = 2,
    ukReplace = 3,
    ukAppendBuffer = 4,
    ukInsertNibble = 5,
    ukDeleteNibble = 6,
    ukConvert = 7,
    ukCursorMovement = 8,
    ukMultipleModification = 9,
    ukAllDataSaved = 10,
};

// The default description of a kind ("Insert Nibble" ...).
const char* UndoKindText(TMPHUndoKind kind);

namespace undoflag {
inline constexpr std::uint32_t kFirstChanged = 0x800;
inline constexpr std::uint32_t kSecondChanged = 0x1000;
inline constexpr std::uint32_t kWasModified = 0x2000;
inline constexpr std::uint32_t kCursorLowDigit = 0x4000;
inline constexpr std::uint32_t kCursorInChars = 0x8000;
inline constexpr std::uint32_t kSelectionPart = 0x10000;
inline constexpr std::uint32_t kUnicode = 0x40000;
inline constexpr std::uint32_t kUnicodeBigEndian = 0x80000;
inline constexpr std::uint32_t kDescriptionPart = 0x100000;
}  // namespace undoflag

// The smallest record: header (29), one payload byte, closing size (4).
inline constexpr std::int32_t kMinUndoRecordSize = 34;

class TMPHUndoStorage : public TMemoryStream {
  public:
    // The records describe `editor`, which owns the storage and outlives it.
    explicit TMPHUndoStorage(TCustomMPHexEditor& editor) : editor_(editor) {}

    // Resizes; a size below 30 also forgets every record.
    void SetSize(std::int64_t newSize) override;

    // Appends one record describing the change about to be made, after
    // dropping the oldest records while the storage exceeds the editor's
    // MaxUndo (when MaxUndo > 0). Does nothing while locked. The bytes the
    // payload takes must lie inside the document (else EMPHexEditor, out of
    // bounds, and nothing is added).
    void AddRecord(TMPHUndoKind kind, std::int32_t position, std::int32_t count,
                   std::int32_t replaceCount, const std::string& description);

    // Empties the storage, unlocks it and clears the description; with
    // `clearRedo` also the redo data.
    void Reset(bool clearRedo);
    void Lock() { ++lockCount_; }
    void Unlock();
    bool CanUndo();

    int Count() const { return count_; }
    int LockCount() const { return lockCount_; }
    // The description of the most recent record.
    const std::string& Description() const { return description_; }

  private:
    std::vector<std::uint8_t> Payload(TMPHUndoKind kind, std::int32_t position, std::int32_t count,
                                      std::int32_t replaceCount, const std::string& text) const;
    std::uint32_t StateFlags(TMPHUndoKind kind, std::int32_t position, std::int32_t count) const;
    void DropOldest();
    void Trim();

    int count_ = 0;
    int lockCount_ = 0;
    TCustomMPHexEditor& editor_;
    std::string description_;
    // What a redo would replay: filled by nothing yet, cleared with each new record.
    struct RedoData {
        std::vector<std::uint8_t> Bytes;
        std::vector<std::uint8_t> Selection;
        std::int32_t Kind = 0;
        std::string Description;
    } redo_;
};
