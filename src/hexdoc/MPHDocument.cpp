#include "hexdoc/MPHDocument.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

#include "framework/AtomicFile.h"
#include "framework/FileStream.h"
#include "framework/FileUtils.h"
#include "framework/StreamErrors.h"
#include "hexdoc/MPHexEditorError.h"

namespace {

// Clears a string when the scope ends, whichever way it ends.
class ClearOnExit {
  public:
    explicit ClearOnExit(std::string& text) : text_(text) {}
    ~ClearOnExit() { text_.clear(); }
    ClearOnExit(const ClearOnExit&) = delete;
    ClearOnExit& operator=(const ClearOnExit&) = delete;

  private:
    std::string& text_;
};

// Removes a file when the scope ends.
class DeleteOnExit {
  public:
    explicit DeleteOnExit(std::string name) : name_(std::move(name)) {}
    ~DeleteOnExit() { RemoveFile(name_); }
    DeleteOnExit(const DeleteOnExit&) = delete;
    DeleteOnExit& operator=(const DeleteOnExit&) = delete;

  private:
    std::string name_;
};

// A name in the system's temporary folder, from the tick count, that nothing
// carries yet.
std::string NewNibbleTempName() {
    std::string name;
    do {
        char tick[16];
        std::snprintf(tick, sizeof tick, "%08X", TickCountMs());
        name = TempFolderPath() + tick + ".MPHT";
    } while (NameTaken(name));
    return name;
}

// Creates the temporary file under a fresh tick name. Checking the name and
// creating the file are two steps: when another process takes the name in
// between, a new tick is taken, just as for a name taken before the check.
std::unique_ptr<TFileStream> CreateNibbleTemp(std::string* name) {
    for (;;) {
        *name = NewNibbleTempName();
        try {
            return std::make_unique<TFileStream>(*name, TFileMode::CreateNew);
        } catch (const EFCreateError& error) {
            if (error.ErrorNumber() != EEXIST)
                throw;
        }
    }
}

constexpr std::int32_t kShiftBlock = 512;

}  // namespace

TCustomMPHexEditor::TCustomMPHexEditor()
    : window_([this](TMessage& message) { HandleMessage(message); }) {
    NewDocument();
}

TCustomMPHexEditor::~TCustomMPHexEditor() = default;

void TCustomMPHexEditor::NewDocument() {
    store_.Clear();
    undo_.Reset(true);
    ResetSelection();
    changes_.SetSize(0);
    presentation_.Recount();
    modified_ = false;
    notWritable_ = true;
    hasFile_ = false;
    fileName_ = kMPHUntitled;
    cursorPos_ = 0;
    Changed();
}

// ---- Loading and saving ----------------------------------------------------

void TCustomMPHexEditor::LoadFromFile(const std::string& fileName) {
    notWritable_ = true;
    TFileProbe probe = ProbeFile(fileName);
    if (!probe.Readable)
        throw EFOpenError::CannotOpen(fileName, probe.Error);
    notWritable_ = !probe.Writable;
    ClearOnExit clearWorkingName(workingName_);
    TFileStream file(fileName, TFileMode::OpenRead);
    workingName_ = fileName;
    try {
        LoadFromStream(file);
    } catch (...) {
        hasFile_ = false;
        throw;
    }
    fileName_ = fileName;
    hasFile_ = true;
}

void TCustomMPHexEditor::LoadFromStream(TStream& stream) {
    store_.Clear();
    presentation_.Recount();
    try {
        std::shared_ptr<void> busy = ShowBusy();
        try {
            stream.SetPosition(0);
            std::int64_t size = stream.Size();
            if (size > INT32_MAX)
                throw EMPHexEditor(mphmsg::kOutOfBounds);
            store_.SetSize(size);
            store_.SetPosition(0);
            CopyStream(stream, store_, pkLoad);
            store_.SetPosition(0);
        } catch (...) {
            FinishLoad();
            throw;
        }
        FinishLoad();
    } catch (...) {
        store_.Clear();
        undo_.SetSize(0);
        hasFile_ = false;
        throw;
    }
}

void TCustomMPHexEditor::FinishLoad() {
    if (undo_.LockCount() == 0)
        undo_.Reset(true);
    changes_.SetSize(0);
    presentation_.Recount();
    modified_ = false;
    cursorPos_ = 0;
    Changed();
}

void TCustomMPHexEditor::SaveToFile(const std::string& fileName, bool clearChanges) {
    if (fileName == fileName_)
        CheckWritableForSave();
    ClearOnExit clearWorkingName(workingName_);
    try {
        TAtomicFile file(fileName);
        workingName_ = fileName;
        THandleStream stream(file.Handle());
        SaveToStream(stream);
        file.Commit();
    } catch (const TAtomicFileError& error) {
        throw EFCreateError::CannotCreate(fileName, error.code().value());
    }
    hasFile_ = true;
    if (!clearChanges)
        return;
    changes_.SetSize(0);
    modified_ = false;
    notWritable_ = false;
    fileName_ = fileName;
    store_.SetPosition(0);
    undo_.Reset(true);
}

void TCustomMPHexEditor::SaveToStream(TStream& stream) {
    std::shared_ptr<void> busy = ShowBusy();
    store_.SetPosition(0);
    CopyStream(store_, stream, pkSave);
}

void TCustomMPHexEditor::CopyStream(TStream& from, TStream& to, TMPHProgressKind kind) {
    std::int64_t total = from.Size() - from.Position();
    std::vector<char> block(
        static_cast<std::size_t>(std::min<std::int64_t>(total, kMPHCopyBlockSize)));
    int lastPercent = -1;
    for (std::int64_t done = 0; done < total;) {
        std::int64_t left = total - done;
        int percent = left <= kMPHCopyBlockSize
                          ? 100
                          : static_cast<int>(std::lround(double(done) / double(total) * 100));
        if (percent != lastPercent || left <= kMPHCopyBlockSize)
            ReportProgress(kind, static_cast<std::uint8_t>(percent));
        lastPercent = percent;
        auto n = static_cast<std::int32_t>(std::min<std::int64_t>(left, kMPHCopyBlockSize));
        from.ReadBuffer(block.data(), n);
        to.WriteBuffer(block.data(), n);
        done += n;
    }
}

void TCustomMPHexEditor::ReportProgress(TMPHProgressKind kind, std::uint8_t percent) {
    if (!OnProgress)
        return;
    bool cancel = false;
    OnProgress(*this, kind, workingName_.empty() ? fileName_ : workingName_, percent, cancel);
    if (cancel)
        throw EMPHexEditor(mphmsg::kOperationCancelled);
}

// ---- Changes ----------------------------------------------------------------

bool TCustomMPHexEditor::InsertNibble(std::int32_t position, bool highNibble,
                                      const std::string& undoDescription) {
    if (DataSize() == 0) {
        AppendZeroByte();
        return true;
    }
    if (position < 0 || position >= DataSize())
        return false;
    RecordChange(ukInsertNibble, position, 1, undoDescription);
    ResetSelection();
    {
        std::shared_ptr<void> busy = ShowBusy();
        ShiftTailByNibble(position, highNibble);
    }
    CutChangeMarks(position);
    presentation_.Recount();
    Changed();
    return true;
}

void TCustomMPHexEditor::AppendZeroByte() {
    RecordChange(ukAppendBuffer, 0, 1, "");
    store_.SetSize(1);
    cursorPos_ = DataSize() - 1;
    presentation_.Recount();
    Changed();
}

void TCustomMPHexEditor::RecordChange(TMPHUndoKind kind, std::int32_t position, std::int32_t count,
                                      const std::string& description) {
    if (!CanChangeData(kind, count, 0))
        throw EMPHexEditor(mphmsg::kCannotUpdateUndo);
    undo_.AddRecord(kind, position, count, 0, description);
    modified_ = true;
}

// The tail from `position` on goes out to a temporary file four bits later
// (each byte's low half carried into the next one's high half) and comes back
// in place; then the byte at `position` gets its new form and the document
// grows by the one byte that takes the last half-byte.
void TCustomMPHexEditor::ShiftTailByNibble(std::int32_t position, bool highNibble) {
    const std::int32_t size = DataSize();
    const std::uint8_t first = Data(position);
    const std::uint8_t last = Data(size - 1);
    std::string tempName;
    {
        std::unique_ptr<TFileStream> tempFile = CreateNibbleTemp(&tempName);
        TFileStream& temp = *tempFile;
        DeleteOnExit removeTemp(tempName);
        std::uint8_t out[kShiftBlock];
        std::uint8_t carry = 0;
        for (std::int32_t at = position; at < size; at += kShiftBlock) {
            std::int32_t n = std::min(kShiftBlock, size - at);
            const std::uint8_t* in = store_.PointerAt(at);
            for (std::int32_t i = 0; i < n; ++i) {
                out[i] = static_cast<std::uint8_t>((in[i] >> 4) | (carry << 4));
                carry = in[i] & 0x0F;
            }
            temp.WriteBuffer(out, n);
        }
        temp.SetPosition(0);
        temp.ReadBuffer(store_.PointerAt(position), size - position);
    }
    SetData(position, highNibble ? first >> 4 : first & 0xF0);
    store_.SetSize(std::int64_t{size} + 1);
    SetData(size, static_cast<std::uint8_t>(last << 4));
}

void TCustomMPHexEditor::CutChangeMarks(std::int32_t position) {
    if (position <= changes_.Size())
        changes_.SetSize(position);
}

void TCustomMPHexEditor::ChangeBytes(std::int32_t position, const std::string& bytes,
                                     const std::string& undoDescription) {
    auto count = static_cast<std::int32_t>(bytes.size());
    if (position < 0)
        throw EMPHexEditor(mphmsg::kOutOfBounds);
    store_.CheckBounds(std::int64_t{position} + count);
    RecordChange(ukChangeBytes, position, count, undoDescription);
    WriteBufferAt(bytes.data(), position, count);
    for (std::int32_t i = 0; i < count && !insertMode_; ++i)
        changes_.SetBit(position + i, true);
    Changed();
}

bool TCustomMPHexEditor::OpenZeroGap(std::int32_t position, std::int32_t count) {
    const std::int32_t size = DataSize();
    if (position < 0 || position >= size || count < 0 || SizeLocked())
        return false;
    if (std::int64_t{size} + 2 * std::int64_t{count} > INT32_MAX)
        return false;
    if (count == 0)
        return true;
    store_.SetSize(std::int64_t{size} + 2 * std::int64_t{count});
    store_.Move(position, position + count, size - position);
    std::memset(store_.PointerAt(position), 0, static_cast<std::size_t>(count));
    CutChangeMarks(position);
    presentation_.Recount();
    return true;
}

bool TCustomMPHexEditor::CanChangeData(TMPHUndoKind kind, std::int32_t count,
                                       std::int32_t replaceCount) {
    bool allowed = DataSize() > 0 || kind == ukInsertBuffer || kind == ukAppendBuffer ||
                   kind == ukAllDataSaved;
    if (allowed && SizeLocked()) {
        switch (kind) {
            case ukRemoveData:
            case ukInsertBuffer:
            case ukAppendBuffer:
            case ukInsertNibble:
            case ukDeleteNibble:
                allowed = false;
                break;
            case ukReplace:
                allowed = count == replaceCount;
                break;
            default:
                break;
        }
    }
    if (!allowed && kind == ukMultipleModification)
        allowed = count <= undo_.Count();
    return allowed;
}

void TCustomMPHexEditor::WriteBufferAt(const void* buffer, std::int32_t position,
                                       std::int32_t count) {
    if (position < 0 || count < 0)
        throw EMPHexEditor(mphmsg::kOutOfBounds);
    store_.CheckBounds(std::int64_t{position} + count);
    if (count > 0)
        std::memcpy(store_.PointerAt(position), buffer, static_cast<std::size_t>(count));
}

void TCustomMPHexEditor::CheckWritableForSave() {
    if (notWritable_)
        throw EFOpenError::ReadonlySave(fileName_);
}

// ---- Notifications ----------------------------------------------------------

void TCustomMPHexEditor::Changed() {
    if (OnChange)
        OnChange(this);
    RequestSelectionNotify();
}

void TCustomMPHexEditor::RequestSelectionNotify() {
    if (pendingSelectionNotify_ == 0)
        PostMessage(window_.Handle(), kMPHSelectionNotifyMessage);
    ++pendingSelectionNotify_;
}

void TCustomMPHexEditor::HandleMessage(TMessage& message) {
    if (message.Msg != kMPHSelectionNotifyMessage || !OnSelectionChanged)
        return;
    pendingSelectionNotify_ = 0;
    OnSelectionChanged(this);
}

void TCustomMPHexEditor::BookmarkChanged() {
    if (OnBookmarkChanged)
        OnBookmarkChanged(this);
}

// ---- Cursor and selection ---------------------------------------------------

void TCustomMPHexEditor::SetSelection(std::int32_t start, std::int32_t end) {
    if (start < 0 || start >= DataSize())
        throw EMPHexEditor(mphmsg::kInvalidSelStart);
    if (end < 0 || end >= DataSize())
        throw EMPHexEditor(mphmsg::kInvalidSelEnd);
    selection_ = {std::min(start, end), std::max(start, end), start};
}

// ---- Presentation -------------------------------------------------------------

void TCustomMPHexEditor::SetInsertMode(bool value) {
    insertMode_ = value;
    presentation_.Recount();
}

std::string TCustomMPHexEditor::GetOffsetText(std::int64_t position) {
    if (OnGetOffsetText) {
        std::string text;
        OnGetOffsetText(*this, position, text);
        return text;
    }
    return presentation_.FormatOffset(position);
}

std::string TCustomMPHexEditor::GetPositionText(std::int64_t position) {
    std::string text = GetOffsetText(position);
    return text.empty() ? std::to_string(position) : text;
}
