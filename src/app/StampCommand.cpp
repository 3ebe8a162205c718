#include "app/StampCommand.h"

#include <cerrno>
#include <climits>
#include <new>
#include <optional>
#include <set>
#include <utility>

#include "app/ExifHead.h"
#include "app/JpegSegments.h"
#include "app/PhotoFolder.h"
#include "app/PhotoName.h"
#include "framework/AtomicFile.h"
#include "framework/FileStream.h"
#include "framework/StreamErrors.h"
#include "hexdoc/MPHDocument.h"

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
    explicit TDocumentBuffer(TCustomMPHexEditor& document) : document_(document) {}
    int Size() const override { return document_.DataSize(); }
    std::uint8_t Get(int position) const override { return document_.Data(position); }
    void Set(int position, std::uint8_t value) override { document_.SetData(position, value); }
    bool OpenZeroGap(int position, int count) override {
        return document_.OpenZeroGap(position, count);
    }

  private:
    TCustomMPHexEditor& document_;
};

// A photo read, or its rewrite written, through a descriptor; a failure names
// the photo and the system's reason.
class TPhotoStream : public THandleStream {
  public:
    TPhotoStream(int handle, const std::string& path) : THandleStream(handle), path_(path) {}
    // The document asks for no more than the file holds: less is a failure.
    std::int32_t Read(void* buffer, std::int32_t count) override {
        errno = 0;
        std::int32_t done = THandleStream::Read(buffer, count);
        if (done != count)
            throw EFOpenError::CannotOpen(path_, Reason());
        return done;
    }
    std::int32_t Write(const void* buffer, std::int32_t count) override {
        errno = 0;
        std::int32_t done = THandleStream::Write(buffer, count);
        if (done != count)
            throw EWriteError::InFile(path_, Reason());
        return done;
    }

  private:
    static int Reason() { return errno != 0 ? errno : EIO; }
    const std::string& path_;
};

// A photo's name that the folder may hold: one component (names come from
// the list, which may have them from outside).
bool IsPhotoEntry(const std::string& name) {
    return IsPhotoName(name) && name.find('/') == std::string::npos;
}

// Whether the photo's head shows a plain JPEG starting with APP0, no header
// mark at bytes 5 and 6, no EXIF segment.
bool IsStampable(const TPhotoFile& photo) {
    const IByteSource& head = photo.Head();
    if (!StartsWithApp0(head))
        return false;
    if (head.Get(5) == kHeaderByte5 || head.Get(6) == kHeaderByte6)
        return false;
    return !HasExifSegment(head);
}

// The byte document holds positions up to the largest int, the head included.
void CheckFitsDocument(const TPhotoFile& photo) {
    if (photo.Facts().st_size > INT_MAX - kExifHeadGrowth)
        throw EFOpenError::CannotOpen(photo.Path(), EFBIG);
}

}  // namespace

// Marks a run as in progress for its lifetime, exceptions included.
class TStampCommand::RunScope {
  public:
    explicit RunScope(TStampCommand& command) : command_(command) {
        command_.running_ = true;
        command_.handedButPassed_ = 0;
    }
    ~RunScope() {
        command_.running_ = false;
        command_.stopRequested_ = false;
    }
    RunScope(const RunScope&) = delete;
    RunScope& operator=(const RunScope&) = delete;

  private:
    TStampCommand& command_;
};

bool TStampCommand::StopRequested() const {
    return stopRequested_ || bindings_.Host.Interrupted();
}

bool TStampCommand::OpenFolder(std::optional<TPhotoFolder>& folder, bool lock) {
    if (folder)
        return true;
    std::string path = bindings_.Folder.PathName();
    folder.emplace(path);
    if (!lock)
        return true;
    if (!folder->Lock([this] { return StopRequested(); },
                      [&] { bindings_.Host.WaitingForFolder(path); }))
        return false;
    for (const TLeftCopy& copy : folder->LeftCopies())
        bindings_.Host.OriginalLeft(path + "/" + copy.name);
    return true;
}

bool TStampCommand::OpenFolderAtStart(std::optional<TPhotoFolder>& folder) {
    try {
        return OpenFolder(folder, true);
    } catch (const EFOpenError&) {
        folder.reset();  // a list without photos needs no folder; a photo names the failure
        return true;
    }
}

TPhotoFile TStampCommand::OpenPhoto(const TPhotoFolder& folder, TAtomicFileGroup& group,
                                    const std::string& name) {
    TPhotoFile photo = folder.Open(name);
    if (!group.Holds(photo.Facts()))
        return photo;
    FlushGroup(group);  // a link to a file stamped in this run: read it stamped
    return folder.Open(name);
}

void TStampCommand::FlushGroup(TAtomicFileGroup& group) {
    std::vector<std::string> passedOver;
    try {
        passedOver = group.Flush();
    } catch (const TAtomicFileError& error) {
        throw EFCreateError::CannotCreate(error.Path(), error.code().value());
    }
    for (const std::string& path : passedOver)
        bindings_.Host.PassedOver(path);
    for (const std::string& path : group.TakeTimesNotKept())
        bindings_.Host.TimeNotKept(path);
    handedButPassed_ += static_cast<int>(passedOver.size());
}

bool TStampCommand::Stamp(TPhotoFile& photo, const std::string& name, TAtomicFileGroup& group) {
    TPhotoStream in(photo.Handle(), photo.Path());
    try {
        bindings_.Document.LoadFromStream(in);
    } catch (const std::bad_alloc&) {
        throw EFOpenError::CannotOpen(photo.Path(), ENOMEM);  // a photo too large for memory
    }
    TDocumentBuffer buffer(bindings_.Document);
    WriteExifHead(buffer, PhotoDateText(name));
    TFileOrigin origin;
    if (!photo.TakeOrigin(origin)) {
        bindings_.Host.PassedOver(photo.Path());
        return false;
    }
    const std::string path = origin.path;
    try {
        TAtomicFile file(std::move(origin));
        TPhotoStream out(file.Handle(), path);
        bindings_.Document.SaveToStream(out);
        file.Commit(group);
        return true;
    } catch (const TAtomicFileError& error) {
        throw EFCreateError::CannotCreate(error.Path(), error.code().value());
    }
}

// The walk of Run; returns the number of files stamped.
int TStampCommand::StampAll() {
    std::optional<TPhotoFolder> folder;
    if (!OpenFolderAtStart(folder))
        return 0;
    const int count = bindings_.Items.Count();
    bindings_.Progress.SetMax(count - 1);
    bindings_.Progress.SetVisible(true);
    TAtomicFileGroup group;
    int stamped = 0;
    for (int i = 0; i < count && !StopRequested(); ++i) {
        std::string name = bindings_.Items.FileName(i);
        if (!IsPhotoEntry(name))
            continue;
        if (!OpenFolder(folder, true))
            break;
        TPhotoFile photo = OpenPhoto(*folder, group, name);
        if (photo.NotAFile() || folder->HasLeftCopy(photo.Facts()))
            continue;
        if (photo.Missing()) {
            bindings_.Host.PassedOver(photo.Path());
            continue;
        }
        if (!photo.InUse() && !IsStampable(photo))
            continue;
        if (photo.InUse()) {
            bindings_.Host.PassedOver(photo.Path());
            continue;
        }
        if (!photo.Writable())
            throw EFOpenError::ReadonlySave(photo.Path());
        CheckFitsDocument(photo);
        bindings_.Progress.SetPosition(i);
        bindings_.Host.ProcessMessages();
        stamped += Stamp(photo, name, group) ? 1 : 0;
        if (group.Full() || group.PendingCount() >= kGroupFiles ||
            group.PendingBytes() >= kGroupBytes)
            FlushGroup(group);
    }
    FlushGroup(group);
    return stamped - handedButPassed_;
}

void TStampCommand::Run() {
    if (running_)
        return;
    RunScope scope(*this);
    int stamped = StampAll();
    bindings_.Progress.SetVisible(false);
    if (!StopRequested()) {
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
    std::optional<TPhotoFolder> folder;
    // A real run reads a symbolic link to a photo it stamped earlier as
    // stamped; so a file reached again through a link is not listed twice.
    std::set<std::pair<dev_t, ino_t>> listed;
    const int count = bindings_.Items.Count();
    for (int i = 0; i < count && !bindings_.Host.Interrupted(); ++i) {
        std::string name = bindings_.Items.FileName(i);
        if (!IsPhotoEntry(name))
            continue;
        OpenFolder(folder, false);
        TPhotoFile photo = folder->Open(name);
        if (photo.NotAFile() || photo.Missing())
            continue;
        if (photo.InUse()) {
            bindings_.Host.PassedOver(photo.Path());
            continue;
        }
        if (!IsStampable(photo))
            continue;
        if (listed.insert({photo.Facts().st_dev, photo.Facts().st_ino}).second)
            report(name, PhotoDateText(name));
    }
}
