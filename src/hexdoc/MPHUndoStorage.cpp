#include "hexdoc/MPHUndoStorage.h"

#include <algorithm>
#include <cstring>

#include "hexdoc/MPHDocument.h"
#include "hexdoc/MPHexEditorError.h"

namespace {

constexpr const char* kKindTexts[] = {
    "Change Byte(s)",  "Remove Data",           "Insert Buffer",  "Replace",
    "Append Buffer",   "Insert Nibble",         "Delete Nibble",  "Convert",
    "Cursor movement", "Multiple Modification", "All data saved",
};

constexpr std::int32_t kHeaderSize = 29;
// Below this size the storage cannot hold a record (header and a size).
constexpr std::int64_t kNoRecordSize = 30;

void PutU32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
}

void AppendU32(std::vector<std::uint8_t>& bytes, std::uint32_t value) {
    bytes.resize(bytes.size() + 4);
    PutU32(bytes, bytes.size() - 4, value);
}

std::uint32_t GetU32(const std::uint8_t* at) {
    return std::uint32_t(at[0]) | std::uint32_t(at[1]) << 8 | std::uint32_t(at[2]) << 16 |
           std::uint32_t(at[3]) << 24;
}

// The bytes at position .. position + count - 1 of the document, checked.
std::vector<std::uint8_t> DocumentBytes(const TCustomMPHexEditor& editor, std::int32_t position,
                                        std::int32_t count) {
    if (count <= 0)
        return {};
    if (position < 0)
        throw EMPHexEditor(mphmsg::kOutOfBounds);
    editor.Store().CheckBounds(std::int64_t{position} + count);
    const std::uint8_t* first = editor.Store().PointerAt(position);
    return {first, first + count};
}

// A cursor movement record's own selection: from the position to its last
// byte (an end of -1 when it has none), anchored at the position.
TMPHSelection OwnSelection(std::int32_t position, std::int32_t count) {
    return {position, count == 0 ? -1 : position + count - 1, position};
}

}  // namespace

const char* UndoKindText(TMPHUndoKind kind) {
    return kKindTexts[kind];
}

void TMPHUndoStorage::SetSize(std::int64_t newSize) {
    TMemoryStream::SetSize(static_cast<std::int32_t>(newSize));
    if (newSize < kNoRecordSize)
        count_ = 0;
}

std::vector<std::uint8_t> TMPHUndoStorage::Payload(TMPHUndoKind kind, std::int32_t position,
                                                   std::int32_t count, std::int32_t replaceCount,
                                                   const std::string& text) const {
    switch (kind) {
        case ukChangeBytes:
        case ukRemoveData:
        case ukConvert:
            return DocumentBytes(editor_, position, count);
        case ukReplace:
            return DocumentBytes(editor_, position, replaceCount);
        case ukInsertNibble:
        case ukDeleteNibble:
            return DocumentBytes(editor_, position, 1);
        case ukMultipleModification: {
            std::size_t length = std::min<std::size_t>(text.size(), 255);
            std::vector<std::uint8_t> payload{static_cast<std::uint8_t>(length)};
            payload.insert(payload.end(), text.begin(), text.begin() + static_cast<long>(length));
            return payload;
        }
        case ukAllDataSaved:
            return DocumentBytes(editor_, 0, editor_.DataSize());
        case ukInsertBuffer:
        case ukAppendBuffer:
        case ukCursorMovement:
            break;
    }
    return {};
}

std::uint32_t TMPHUndoStorage::StateFlags(TMPHUndoKind kind, std::int32_t position,
                                          std::int32_t count) const {
    std::uint32_t flags = std::uint32_t{1} << kind;
    bool marksFirst = kind == ukChangeBytes || kind == ukInsertNibble || kind == ukDeleteNibble;
    if (marksFirst && editor_.ByteChanged(position))
        flags |= undoflag::kFirstChanged;
    if (kind == ukChangeBytes && count == 2 && editor_.ByteChanged(position + 1))
        flags |= undoflag::kSecondChanged;
    if (editor_.Modified())
        flags |= undoflag::kWasModified;
    const TMPHPresentation& presentation = editor_.Presentation();
    if (presentation.CursorOnLowDigit())
        flags |= undoflag::kCursorLowDigit;
    if (presentation.CursorInCharField())
        flags |= undoflag::kCursorInChars;
    if (kind == ukCursorMovement || !editor_.Selection().Empty())
        flags |= undoflag::kSelectionPart;
    if (presentation.UnicodeChars())
        flags |= undoflag::kUnicode;
    if (presentation.UnicodeBigEndian())
        flags |= undoflag::kUnicodeBigEndian;
    return flags;
}

void TMPHUndoStorage::AddRecord(TMPHUndoKind kind, std::int32_t position, std::int32_t count,
                                std::int32_t replaceCount, const std::string& description) {
    if (lockCount_ > 0)
        return;
    std::string text = description.empty() ? UndoKindText(kind) : description;
    std::vector<std::uint8_t> payload = Payload(kind, position, count, replaceCount, text);
    if (payload.empty())
        payload.push_back(0);
    redo_ = RedoData{};
    description_ = text;
    Trim();

    std::uint32_t flags = StateFlags(kind, position, count);
    if (!description.empty())
        flags |= undoflag::kDescriptionPart;
    std::vector<std::uint8_t> record(kHeaderSize, 0);
    PutU32(record, 4, flags);
    PutU32(
        record, 8,
        static_cast<std::uint32_t>(kind == ukCursorMovement ? position : editor_.GetCursorPos()));
    PutU32(record, 12, static_cast<std::uint32_t>(position));
    PutU32(record, 16, static_cast<std::uint32_t>(count));
    PutU32(record, 20, static_cast<std::uint32_t>(replaceCount));
    record[24] = static_cast<std::uint8_t>(editor_.Presentation().Translation());
    record[25] = static_cast<std::uint8_t>(editor_.Presentation().BytesPerUnit());
    record.insert(record.end(), payload.begin(), payload.end());
    if (flags & undoflag::kDescriptionPart) {
        record.insert(record.end(), description.begin(), description.end());
        AppendU32(record, static_cast<std::uint32_t>(description.size()));
    }
    if (flags & undoflag::kSelectionPart) {
        const TMPHSelection selection =
            kind == ukCursorMovement ? OwnSelection(position, count) : editor_.Selection();
        AppendU32(record, static_cast<std::uint32_t>(selection.Start));
        AppendU32(record, static_cast<std::uint32_t>(selection.End));
        AppendU32(record, static_cast<std::uint32_t>(selection.Anchor));
    }
    AppendU32(record, static_cast<std::uint32_t>(record.size() + 4));
    PutU32(record, 0, static_cast<std::uint32_t>(record.size()));

    Seek(0, TSeekOrigin::End);
    WriteBuffer(record.data(), static_cast<std::int32_t>(record.size()));
    ++count_;
}

void TMPHUndoStorage::Trim() {
    while (editor_.MaxUndo() > 0 && count_ > 0 && MemorySize() > editor_.MaxUndo())
        DropOldest();
}

void TMPHUndoStorage::DropOldest() {
    std::int64_t size = MemorySize();
    std::uint32_t first = size >= 4 ? GetU32(Memory()) : 0;
    if (first < kNoRecordSize || first > size) {
        SetSize(0);
        count_ = 0;
        return;
    }
    std::memmove(Memory(), Memory() + first, static_cast<std::size_t>(size - first));
    --count_;
    SetSize(size - first);
}

void TMPHUndoStorage::Reset(bool clearRedo) {
    SetSize(0);
    count_ = 0;
    lockCount_ = 0;
    description_.clear();
    if (clearRedo)
        redo_ = RedoData{};
}

void TMPHUndoStorage::Unlock() {
    if (lockCount_ > 0)
        --lockCount_;
}

bool TMPHUndoStorage::CanUndo() {
    return count_ > 0 && lockCount_ == 0 && Size() > 0;
}
