#pragma once

// The byte document: a whole file held in memory as one run of bytes, with
// loading and saving, raw byte access, half-byte insertion, a record of
// changes (TMPHUndoStorage), change marks per byte, the modified flag, and
// the presentation settings of the hex grid that would show it
// (TMPHPresentation). It is a data object: nothing here draws.
//
// Ownership: the document owns its store, its change marks, its undo storage,
// its presentation and the message window its deferred selection
// notification goes through.
// Use on the user-interface thread only; the deferred notification needs a
// running QCoreApplication to arrive. Nothing here needs more of Qt than its
// core: what a shown grid needs is TMPHexEditor's (MPHexEditor.h).

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "framework/Bits.h"
#include "framework/Messages.h"
#include "framework/Object.h"
#include "hexdoc/MPHMemoryStream.h"
#include "hexdoc/MPHPresentation.h"
#include "hexdoc/MPHUndoStorage.h"

class TStream;
class TCustomMPHexEditor;

enum TMPHProgressKind { pkLoad, pkSave, pkFind };

// Reports `percent` (0..100) of a load or save of `fileName`; setting `cancel`
// ends the operation with EMPHexEditor "Operation Cancelled".
using TMPHProgressEvent =
    std::function<void(TCustomMPHexEditor& sender, TMPHProgressKind kind,
                       const std::string& fileName, std::uint8_t percent, bool& cancel)>;
// Supplies the offset column's text for a position.
using TMPHGetOffsetTextEvent =
    std::function<void(TCustomMPHexEditor& sender, std::int64_t position, std::string& text)>;

// The private message that carries the deferred selection notification.
inline constexpr std::uint32_t kMPHSelectionNotifyMessage = 0xB101;
// Loads and saves move data in blocks of this many bytes.
inline constexpr std::int32_t kMPHCopyBlockSize = 61440;
// The file name of a new, never saved document.
inline constexpr const char* kMPHUntitled = "Untitled";

// A selected run of bytes, Start <= End; Anchor is the end it was started
// from. A Start below 0 means nothing is selected.
struct TMPHSelection {
    std::int32_t Start = -1;
    std::int32_t End = -1;
    std::int32_t Anchor = -1;
    bool Empty() const { return Start < 0; }
};

class TCustomMPHexEditor : public TObject {
  public:
    // An empty "Untitled" document that cannot be saved under its own name.
    TCustomMPHexEditor();
    virtual ~TCustomMPHexEditor();
    TCustomMPHexEditor(const TCustomMPHexEditor&) = delete;
    TCustomMPHexEditor& operator=(const TCustomMPHexEditor&) = delete;

    // Called once its owner has given it its settings: starts a new document.
    void Loaded() { NewDocument(); }

    // ---- Data -------------------------------------------------------------
    std::int32_t DataSize() const { return store_.Size32(); }
    // Raw access, straight to the store: no bounds check (0 <= position <
    // DataSize is the caller's duty), no undo record, no change mark, no
    // modified flag, no notification.
    std::uint8_t Data(std::int32_t position) const { return *store_.PointerAt(position); }
    void SetData(std::int32_t position, std::uint8_t value) { *store_.PointerAt(position) = value; }

    // Replaces the document by the file's bytes. Raises EFOpenError
    // "Cannot open %s.\r\n(%s.)" when the file is missing, not a regular file
    // or not readable. A file that cannot also be written (read-only, no
    // write bit, or locked by another process) loads, but may not be saved
    // back under its own name. A load that fails while reading leaves an
    // empty document; one that fails the first check leaves the data alone.
    void LoadFromFile(const std::string& fileName);
    // Replaces the document by the stream's whole content.
    void LoadFromStream(TStream& stream);

    // Writes the whole document to `fileName` by a safe rewrite (temporary
    // file beside it, flushed, renamed over it; see framework/AtomicFile.h).
    // Raises EFOpenError "Cannot save readonly file %s." when `fileName` is
    // the document's own, not-writable file, and EFCreateError "Cannot create
    // file "%s". %s" when the file cannot be written. With `clearChanges` the
    // saved file becomes the document's file: change marks, modified flag,
    // not-writable flag and the undo storage (redo part too) are cleared. A
    // failed save leaves the document and the file as they were.
    void SaveToFile(const std::string& fileName, bool clearChanges);
    // Writes the whole document to the stream at its current position.
    void SaveToStream(TStream& stream);

    // Inserts one zero half-byte in front of the high (or low) half of the byte
    // at `position`; everything after it moves on by four bits and the
    // document grows by one byte. On an empty document appends one 0x00 byte
    // instead. Returns false, changing nothing, for a position outside
    // 0 .. DataSize - 1. Recorded as `undoDescription` (empty: "Insert
    // Nibble"); raises EMPHexEditor "Cannot update undo storage" when
    // CanChangeData refuses. Goes through a temporary ".MPHT" file in the
    // system's temporary folder; EFCreateError when it cannot be made.
    bool InsertNibble(std::int32_t position, bool highNibble,
                      const std::string& undoDescription = "");

    // An editing overwrite: records "Change Byte(s)" (or `undoDescription`),
    // sets the modified flag, marks the bytes changed (not in InsertMode) and
    // runs Changed. EMPHexEditor out of bounds when the bytes do not fit;
    // "Cannot update undo storage" when CanChangeData refuses.
    void ChangeBytes(std::int32_t position, const std::string& bytes,
                     const std::string& undoDescription = "");

    // The byte outcome of 2 * count InsertNibble(position, true) calls, in one
    // move and without a temporary file: `count` zero bytes inserted at
    // `position` and `count` zero bytes appended at the end. A raw store
    // operation like SetData: it adds no undo record, sets neither the
    // modified flag nor change marks and runs no notification. It does cut the
    // change marks at `position` (marks there no longer describe those bytes)
    // and recomputes the grid counts. Returns false, changing nothing, when
    // position is outside 0 .. DataSize - 1, count < 0, NoSizeChange is in
    // force, or the size would pass 2^31 - 1; count 0 changes nothing.
    bool OpenZeroGap(std::int32_t position, std::int32_t count);

    bool Modified() const { return modified_; }
    // Whether an editing action overwrote the byte since the last load or
    // clearing save (positions beyond the marks count as unchanged).
    bool ByteChanged(std::int32_t position) const { return !insertMode_ && changes_.Bit(position); }
    const std::string& FileName() const { return fileName_; }
    bool HasFile() const { return hasFile_; }
    // Set by a load of a file that could not also be opened for writing, and
    // for a new document.
    bool IsFileReadOnly() const { return notWritable_; }

    bool NoSizeChange() const { return noSizeChange_; }
    void SetNoSizeChange(bool value) { noSizeChange_ = value; }
    // While set, NoSizeChange is treated as off.
    void SetSizeLockOverride(bool value) { sizeLockOverride_ = value; }
    int MaxUndo() const { return maxUndo_; }
    void SetMaxUndo(int value) { maxUndo_ = value; }
    bool InsertMode() const { return insertMode_; }
    void SetInsertMode(bool value);
    TMPHUndoStorage& UndoStorage() { return undo_; }
    // The store itself, for readers that need the bytes in place.
    const TMPHMemoryStream& Store() const { return store_; }

    // ---- Cursor and selection ---------------------------------------------
    std::int32_t GetCursorPos() const { return cursorPos_; }
    const TMPHSelection& Selection() const { return selection_; }
    // Selects start .. end (either order; anchor = start). Raises EMPHexEditor
    // "Invalid selection start" / "Invalid selection end" outside the data.
    void SetSelection(std::int32_t start, std::int32_t end);

    // ---- Presentation -----------------------------------------------------
    // The settings and grid counts of the hex grid that would show the
    // document; kept in step with every load and change.
    TMPHPresentation& Presentation() { return presentation_; }
    const TMPHPresentation& Presentation() const { return presentation_; }

    // ---- Events -----------------------------------------------------------
    TNotifyEvent OnChange;
    TNotifyEvent OnSelectionChanged;
    TNotifyEvent OnBookmarkChanged;
    TMPHProgressEvent OnProgress;
    TMPHGetOffsetTextEvent OnGetOffsetText;

    // ---- The ten virtual operations, in the component's slot order ---------
    // Schedules one deferred selection notification (message 0xB101 to the
    // document's own window) unless one is pending.
    virtual void RequestSelectionNotify();
    // OnChange, then RequestSelectionNotify.
    virtual void Changed();
    // Raises EFOpenError "Cannot save readonly file %s." when the loaded file
    // was found not writable.
    virtual void CheckWritableForSave();
    // The gate of every recorded change (see the .cpp for the rules).
    virtual bool CanChangeData(TMPHUndoKind kind, std::int32_t count, std::int32_t replaceCount);
    virtual void BookmarkChanged();
    virtual void BeginUndoLock() { undo_.Lock(); }
    virtual void EndUndoLock() { undo_.Unlock(); }
    // The offset column's text for a position (OnGetOffsetText, else the
    // offset format; "" when offsets are off).
    virtual std::string GetOffsetText(std::int64_t position);
    // A position as text for a caption: the offset text, or the decimal
    // number when offsets are off.
    virtual std::string GetPositionText(std::int64_t position);
    // Copies `count` bytes into the store at `position`, raw (as SetData);
    // EMPHexEditor out of bounds when they do not fit.
    virtual void WriteBufferAt(const void* buffer, std::int32_t position, std::int32_t count);

  protected:
    // What a load, save or half-byte insertion shows while it runs: the value
    // returned is held until the operation ends, also when it fails. A
    // component that is shown returns a scope that puts up the hourglass
    // cursor; by default nothing is shown.
    using TBusyIndicator = std::function<std::shared_ptr<void>()>;
    void SetBusyIndicator(TBusyIndicator indicator) { busyIndicator_ = std::move(indicator); }

  private:
    std::shared_ptr<void> ShowBusy() const { return busyIndicator_ ? busyIndicator_() : nullptr; }
    // Empties the document, its undo storage (redo part included), selection
    // and change marks; names it "Untitled", not writable, no file; runs Changed.
    void NewDocument();
    void ResetSelection() { selection_ = {}; }
    void HandleMessage(TMessage& message);
    void FinishLoad();
    void CopyStream(TStream& from, TStream& to, TMPHProgressKind kind);
    void ReportProgress(TMPHProgressKind kind, std::uint8_t percent);
    void RecordChange(TMPHUndoKind kind, std::int32_t position, std::int32_t count,
                      const std::string& description);
    bool SizeLocked() const { return noSizeChange_ && !sizeLockOverride_; }
    void ShiftTailByNibble(std::int32_t position, bool highNibble);
    void CutChangeMarks(std::int32_t position);
    void AppendZeroByte();

    bool noSizeChange_ = false;
    TMPHMemoryStream store_;
    bool notWritable_ = true;
    std::string fileName_;
    TBits changes_;
    std::string workingName_;
    bool hasFile_ = false;
    int maxUndo_ = 1048576;
    TMPHUndoStorage undo_{*this};
    bool sizeLockOverride_ = false;
    bool modified_ = false;
    bool insertMode_ = false;

    std::int32_t cursorPos_ = 0;
    TMPHSelection selection_;
    TMPHPresentation presentation_{*this};

    TBusyIndicator busyIndicator_;
    int pendingSelectionNotify_ = 0;
    MessageWindow window_;
};
