#include "app/StampCommand.h"

#include <filesystem>
#include <set>

#include "app/ExifHead.h"
#include "app/JpegSegments.h"
#include "app/PhotoName.h"
#include "framework/AtomicFile.h"
#include "framework/StreamErrors.h"
#include "hexdoc/MPHexEditor.h"

const char* const kStampedMessage = "EXIF Info добавлено в: ";
const char* const kFilesWord = " файлов";
const char* const kNothingFoundMessage =
    "Motorola Photo не найденно\r\nили Exif info уже заполнено!";

namespace {

// Stamped files are put in place in the background by a flush group; a flush
// after this many files or bytes bounds how many wait for their place.
constexpr std::size_t kGroupFiles = 128;
constexpr long long kGroupBytes = 256LL << 20;

// Bytes 5 and 6 of a file that already carries a header (an EXIF APP1 at
// offset 2 shows 'E' at 6) or whose APP0 is not of the kind stamped.
constexpr std::uint8_t kHeaderByte5 = 0x4C;
constexpr std::uint8_t kHeaderByte6 = 0x45;

// The byte document seen as the buffer the head is written into.
class TDocumentBuffer : public IByteBuffer {
  public:
    explicit TDocumentBuffer(TMPHexEditor& document) : document_(document) {}
    int Size() const override { return document_.DataSize(); }
    std::uint8_t Get(int position) const override { return document_.Data(position); }
    void Set(int position, std::uint8_t value) override { document_.SetData(position, value); }
    bool OpenZeroGap(int position, int count) override {
        return document_.OpenZeroGap(position, count);
    }

  private:
    TMPHexEditor& document_;
};

// Puts the group's files in place; a file that fails is reported as the
// document's own save would report it.
void FlushGroup(TAtomicFileGroup& group) {
    try {
        group.Flush();
    } catch (const TAtomicFileError& error) {
        throw EFCreateError::CannotCreate(error.Path(), error.code().value());
    }
}

}  // namespace

// Marks a run as in progress for its lifetime, exceptions included.
class TStampCommand::RunScope {
  public:
    explicit RunScope(TStampCommand& command) : command_(command) { command_.running_ = true; }
    ~RunScope() {
        command_.running_ = false;
        command_.stopRequested_ = false;
    }
    RunScope(const RunScope&) = delete;
    RunScope& operator=(const RunScope&) = delete;

  private:
    TStampCommand& command_;
};

std::string TStampCommand::FullPath(int index, std::string* name) const {
    *name = bindings_.Items.FileName(index);
    return bindings_.Folder.PathName() + "/" + *name;
}

// Loads the file and tells whether its bytes may receive the head: a JPEG
// starting with APP0, no header mark at bytes 5 and 6, no EXIF segment.
bool TStampCommand::IsStampable(const std::string& fullPath) {
    TMPHexEditor& document = bindings_.Document;
    document.LoadFromFile(fullPath);
    TDocumentBuffer buffer(document);
    if (!StartsWithApp0(buffer))
        return false;
    if (document.Data(5) == kHeaderByte5 || document.Data(6) == kHeaderByte6)
        return false;
    return !HasExifSegment(buffer);
}

// The walk of Run; returns the number of files stamped.
int TStampCommand::StampAll() {
    const int count = bindings_.Items.Count();
    bindings_.Progress.SetMax(count - 1);
    bindings_.Progress.SetVisible(true);
    TAtomicFileGroup group;
    int stamped = 0;
    for (int i = 0; i < count && !stopRequested_; ++i) {
        std::string name;
        std::string fullPath = FullPath(i, &name);
        if (!IsPhotoName(name))
            continue;
        if (group.Holds(fullPath))
            FlushGroup(group);  // a link to a file stamped in this run: read it stamped
        if (!IsStampable(fullPath))
            continue;
        bindings_.Progress.SetPosition(i);
        bindings_.Host.ProcessMessages();
        TDocumentBuffer buffer(bindings_.Document);
        if (!WriteExifHead(buffer, PhotoDateText(name)))
            continue;
        ++stamped;
        bindings_.Document.SaveToFile(fullPath, true);
        if (group.PendingCount() >= kGroupFiles || group.PendingBytes() >= kGroupBytes)
            FlushGroup(group);
    }
    FlushGroup(group);
    return stamped;
}

void TStampCommand::Run() {
    if (running_)
        return;
    RunScope scope(*this);
    int stamped = StampAll();
    bindings_.Progress.SetVisible(false);
    if (!stopRequested_) {
        bindings_.Host.ShowMessage(stamped >= 1
                                       ? kStampedMessage + std::to_string(stamped) + kFilesWord
                                       : kNothingFoundMessage);
    }
    bindings_.Progress.SetPosition(0);
}

void TStampCommand::DryRun(const DryRunReport& report) {
    if (running_)
        return;
    RunScope scope(*this);
    // A real run reads a symbolic link to a photo it stamped earlier as
    // stamped; so a file reached again through a link is not listed twice.
    std::set<std::string> listed;
    const int count = bindings_.Items.Count();
    for (int i = 0; i < count; ++i) {
        std::string name;
        std::string fullPath = FullPath(i, &name);
        if (!IsPhotoName(name) || !IsStampable(fullPath))
            continue;
        std::error_code ignored;
        if (listed.insert(std::filesystem::canonical(fullPath, ignored).string()).second)
            report(name, PhotoDateText(name));
    }
}
