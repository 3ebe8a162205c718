#include "app/StampCommand.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <iterator>
#include <optional>
#include <set>
#include <utility>
#include <vector>

#include "app/ExifHead.h"
#include "app/FolderItems.h"
#include "app/JpegSegments.h"
#include "app/PhotoFolder.h"
#include "app/PhotoName.h"
#include "app/VideoDating.h"
#include "framework/AtomicFile.h"
#include "framework/FileStream.h"
#include "framework/StreamErrors.h"

const char* const kStampedMessage = QT_TRANSLATE_NOOP("TStampCommand", "EXIF Info добавлено в: ");
const char* const kFilesWord = QT_TRANSLATE_N_NOOP("TStampCommand", " файлов");
const char* const kNothingFoundMessage = QT_TRANSLATE_NOOP(
    "TStampCommand", "Motorola Photo не найденно\r\nили Exif info уже заполнено!");
const char* const kGivenBackMessage =
    QT_TRANSLATE_NOOP("TStampCommand", "Photos given back as they were before the stamp: ");
const char* const kNothingToGiveBackMessage =
    QT_TRANSLATE_NOOP("TStampCommand", "No photo carries the EXIF header this program writes.");
const char* const kFilesGivenBackMessage =
    QT_TRANSLATE_NOOP("TStampCommand", "Files given back as they were before the stamp: ");
const char* const kNothingOfOursMessage =
    QT_TRANSLATE_NOOP("TStampCommand",
                      "No photo carries the EXIF header this program writes, and no video the "
                      "times it writes.");

namespace {

std::string Translated(const char* text, int count = -1) {
    return QCoreApplication::translate("TStampCommand", text, nullptr, count).toStdString();
}

// A photo's rewrite written through a descriptor; a failure names the photo
// and the system's reason.
class TPhotoStream : public THandleStream {
  public:
    TPhotoStream(int handle, const std::string& path) : THandleStream(handle), path_(path) {}
    void Write(const std::string& bytes) { Write(bytes.data(), static_cast<int>(bytes.size())); }
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

// A name the folder may hold: one component (names come from the list, which
// may have them from outside).
bool IsPlainName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

// A file to work on that may not be written ends the run, a dry run too, so
// that the dry run lists what the run would do.
void CheckWritable(const TPhotoFile& file) {
    if (!file.Writable())
        throw EFOpenError::ReadonlySave(file.Path());
}

// How far a set header time of the video lies from `moment` when that is a
// time zone's offset (whole quarter hours, within 14 hours, not 0): the
// moment a run in another zone gave it.
std::optional<std::int64_t> ZoneShift(const TMovieTimes& times, std::uint64_t moment) {
    constexpr std::int64_t kQuarterHour = 15 * 60, kFurthestZone = 14 * 3600;
    for (const TMovieTimeField& field : times.fields) {
        const std::int64_t shift =
            static_cast<std::int64_t>(field.value) - static_cast<std::int64_t>(moment);
        if (field.value != 0 && shift != 0 && shift % kQuarterHour == 0 &&
            std::abs(shift) <= kFurthestZone)
            return shift;
    }
    return std::nullopt;
}

// A photo is judged by a head read at int positions: a larger one could not
// be judged whole.
void CheckFitsHead(const TPhotoFile& photo) {
    if (photo.Facts().st_size > INT_MAX - kExifHeadGrowth)
        throw EFOpenError::CannotOpen(photo.Path(), EFBIG);
}

// The command's error for a rewrite that failed: the file and the reason, or
// the folder that takes no new file and why its original could not be kept in
// the user's cache either.
EFCreateError CreateError(const TAtomicFileError& error) {
    if (error.CacheError() == 0)
        return EFCreateError::CannotCreate(error.Path(), error.code().value());
    return EFCreateError::CannotCreateIn(error.Path(), error.code().value(), error.Cache(),
                                         error.CacheError());
}

// The items of a subfolder: its listing, taken once its lock is held.
class TListedItems : public IStampItems {
  public:
    explicit TListedItems(std::vector<FolderEntry> entries) : entries_(std::move(entries)) {}
    int Count() const override { return static_cast<int>(entries_.size()); }
    std::string FileName(int index) const override { return entries_[index].Name; }
    bool MayBeFolder(int index) const override { return entries_[index].Type == EntryType::Folder; }

  private:
    std::vector<FolderEntry> entries_;
};

// Copies the bytes [from, to) of the file `in` to `out` by reading them.
void CopyByReading(int in, off_t from, off_t to, TPhotoStream& out, const std::string& path) {
    if (from >= to)
        return;  // the usual case, after a copy in the kernel: no buffer to fill
    std::vector<char> buffer(std::min<off_t>(to - from, 1 << 20));
    while (from < to) {
        std::size_t want = static_cast<std::size_t>(std::min<off_t>(to - from, buffer.size()));
        ssize_t got = pread(in, buffer.data(), want, from);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            throw EFOpenError::CannotOpen(path, got < 0 ? errno : EIO);
        out.Write(buffer.data(), static_cast<std::int32_t>(got));
        from += got;
    }
}

// Copies the bytes [from, to) of the file `in` to `out`, within the kernel
// where the file system can (no copy through this process).
void CopyRange(int in, off_t from, off_t to, TPhotoStream& out, const std::string& path) {
    while (from < to) {
        ssize_t done = copy_file_range(in, &from, out.Handle(), nullptr,
                                       static_cast<std::size_t>(to - from), 0);
        if (done > 0 || (done < 0 && errno == EINTR))
            continue;
        if (done < 0 && errno != EXDEV && errno != EINVAL && errno != EOPNOTSUPP && errno != ENOSYS)
            throw EWriteError::InFile(path, errno);
        break;  // no copy in the kernel here, or the file got shorter: read the rest
    }
    CopyByReading(in, from, to, out, path);
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

// One run, or one dry run, over the folder and (with the option) its
// subfolders. A real run waits for each folder's run lock before it reads
// the folder's listing; the lock stays with the descriptors that the folder's
// handed photos hold until the group puts them in place.
class TStampCommand::Walk {
  public:
    Walk(TStampCommand& command, const TStampOptions& options, const DryRunReport* report)
        : command_(command),
          host_(command.bindings_.Host),
          options_(options),
          report_(report),
          videoNames_(options.names) {
        if (!Dry())
            group_.emplace();
        videoNames_.all |= options.undo;  // a video may have been dated by any scheme
    }
    // Returns the number of photos (and videos) stamped or given back.
    int All();

  private:
    bool Dry() const { return report_ != nullptr; }
    bool Stopped() const { return command_.StopRequested(); }
    // A real run waits for the folder's run lock, which tidies the folder;
    // either run then names the original copies killed runs left there (a
    // dry run, which puts none back, every one). False when a stop was
    // requested during that wait.
    bool EnterFolder(TPhotoFolder& folder);
    // Opens the run's folder, once (a place without a folder path needs
    // none), and enters it. False as EnterFolder.
    bool OpenFolder(std::optional<TPhotoFolder>& folder);
    // A real run's start: its folder opened and locked, so that the list is
    // read and the folder tidied under the lock. A place without a folder
    // needs none; a folder that is there but cannot be opened fails the run.
    bool OpenFolderAtStart(std::optional<TPhotoFolder>& folder);
    // The photos of a folder, then its subfolders; `below` is its path below
    // the run's folder ("" or ending in '/').
    void Folder(std::optional<TPhotoFolder>& folder, const std::string& path,
                const IStampItems& items, const std::string& below, int depth);
    void Photos(std::optional<TPhotoFolder>& folder, const std::string& path,
                const IStampItems& items, int count, const std::string& below);
    void Subfolders(std::optional<TPhotoFolder>& folder, const IStampItems& items, int count,
                    const std::string& below, int depth);
    // Whether the name is one a run looks at: any plain name when undoing,
    // else one of a scheme in force; with the option, a video's name of a
    // scheme.
    bool IsCandidate(const std::string& name) const;
    bool IsVideo(const std::string& name) const { return options_.videos && IsVideoName(name); }
    void Photo(TPhotoFolder& folder, const std::string& name, const std::string& below, int index);
    // Opens the photo, seeing a file that this run has handed to the group as
    // done.
    TPhotoFile OpenPhoto(const TPhotoFolder& folder, const std::string& name);
    // Opens the file and passes over what no run may work on: no regular
    // file, gone since the listing, being written, beside an original a
    // killed run left; then nullopt, as when `applies` (asked of a file
    // that is not being written) is false.
    std::optional<TPhotoFile> OpenToWork(TPhotoFolder& folder, const std::string& name,
                                         const std::function<bool(const TPhotoFile&)>& applies);
    void Video(TPhotoFolder& folder, const std::string& name, const std::string& below, int index);
    // Reads the video's movie times; false, the file named, when it holds
    // no movie this program dates.
    bool IsMovie(const TPhotoFile& video, TMovieTimes& times) const;
    void WorkOnVideo(TPhotoFile& video, const TMovieTimes& times, const TNameReading& reading,
                     int index);
    // Whether the photo is one to work on: a plain JPEG without EXIF to
    // stamp, or one that starts with this program's head to give back.
    bool Applies(const TPhotoFile& photo) const;
    // Reads the name of a photo to stamp; false, the reason told, when it
    // gives no date. A photo to give back needs none.
    bool Dated(const TPhotoFile& photo, const std::string& name, TNameReading& reading) const;
    void Report(const TPhotoFile& photo, const std::string& path, const std::string& date,
                const std::string& scheme);
    void Work(TPhotoFile& photo, const TNameReading& reading, int index);
    // Writes the photo's new content - `start`, the photo's bytes [from, to),
    // `end` - and hands it to the group; false when it was passed over.
    bool Rewrite(TPhotoFile& photo, const std::string& start, off_t from, off_t to,
                 const std::string& end, const std::optional<std::time_t>& time);
    // Flushes the group (or, not `all`, sends its batch to the disk and puts
    // the one sent before in place); the files that were passed over are
    // reported and counted in handedButPassed_.
    void FlushGroup(bool all = true);
    // After a failure: the files handed before it put in place, and the
    // command told how many were done.
    void CountBeforeFailure();

    TStampCommand& command_;
    IStampHost& host_;
    const TStampOptions& options_;
    const DryRunReport* report_;
    std::string topPath_;
    std::optional<TAtomicFileGroup> group_;  // a real run's
    // A real run reads a symbolic link to a photo it stamped earlier as
    // stamped; so a dry run lists a file reached again through a link once.
    std::set<std::pair<dev_t, ino_t>> listed_;
    TDayOrder order_ = TDayOrder::DayFirst;  // of the folder being walked
    TNameSchemes videoNames_;                // the schemes videos are read in
    int done_ = 0;
    int handedButPassed_ = 0;
};

bool TStampCommand::Walk::EnterFolder(TPhotoFolder& folder) {
    const std::string& path = folder.Path();
    if (!Dry() && !folder.Lock([this] { return Stopped(); }, [&] { host_.WaitingForFolder(path); }))
        return false;
    for (const TLeftCopy& copy : Dry() ? folder.FindLeftCopies() : folder.LeftCopies())
        host_.OriginalLeft(copy.name.starts_with('/') ? copy.name : path + "/" + copy.name,
                           copy.file.empty() ? "" : path + "/" + copy.file);
    return true;
}

bool TStampCommand::Walk::OpenFolder(std::optional<TPhotoFolder>& folder) {
    if (folder)
        return true;
    folder.emplace(topPath_);
    return EnterFolder(*folder);
}

bool TStampCommand::Walk::OpenFolderAtStart(std::optional<TPhotoFolder>& folder) {
    try {
        return OpenFolder(folder);
    } catch (const EFOpenError&) {
        struct stat facts {};
        if (stat(topPath_.c_str(), &facts) == 0)
            throw;       // a folder that is there but cannot be read fails the run
        folder.reset();  // a list without photos needs no folder; a photo names the failure
        return true;
    }
}

int TStampCommand::Walk::All() {
    topPath_ = command_.bindings_.Folder.PathName();
    std::optional<TPhotoFolder> folder;
    if (!Dry() && !OpenFolderAtStart(folder))
        return 0;
    try {
        Folder(folder, topPath_, command_.bindings_.Items, "", 0);
        if (group_)
            FlushGroup();
    } catch (...) {
        CountBeforeFailure();
        throw;
    }
    return done_ - handedButPassed_;
}

void TStampCommand::Walk::CountBeforeFailure() {
    try {
        if (group_)
            FlushGroup();
    } catch (...) {
        // Each failed file kept its original; the first failure is the one told.
    }
    command_.doneBeforeFailure_ = done_ - handedButPassed_;
}

void TStampCommand::Walk::Folder(std::optional<TPhotoFolder>& folder, const std::string& path,
                                 const IStampItems& items, const std::string& below, int depth) {
    const int count = items.Count();
    if (!Dry())
        command_.bindings_.Progress.SetMax(count - 1);
    if (!Dry() && depth == 0)
        command_.bindings_.Progress.SetVisible(true);
    Photos(folder, path, items, count, below);
    if (options_.recursive || (options_.itemFolders && depth == 0))
        Subfolders(folder, items, count, below, depth);
}

void TStampCommand::Walk::Photos(std::optional<TPhotoFolder>& folder, const std::string& path,
                                 const IStampItems& items, int count, const std::string& below) {
    if (!options_.undo) {
        std::vector<std::string> names;
        for (int i = 0; i < count; ++i)
            names.push_back(items.FileName(i));
        std::optional<TDayOrder> order = FolderDayOrder(names, options_.names);
        order_ = order.value_or(TDayOrder::DayFirst);
        if (order)
            host_.FolderOrder(path, *order);
    }
    for (int i = 0; i < count && !Stopped(); ++i) {
        std::string name = items.FileName(i);
        if (!IsCandidate(name))
            continue;
        if (!OpenFolder(folder))
            return;
        Photo(*folder, name, below, i);
    }
}

void TStampCommand::Walk::Subfolders(std::optional<TPhotoFolder>& folder, const IStampItems& items,
                                     int count, const std::string& below, int depth) {
    for (int i = 0; i < count && !Stopped(); ++i) {
        std::string name = items.FileName(i);
        if (!items.MayBeFolder(i) || !IsPlainName(name) || name.starts_with('.') ||
            topPath_.empty())
            continue;
        if (!OpenFolder(folder))
            return;
        std::optional<TPhotoFolder> sub = folder->OpenSubfolder(name);
        if (!sub)
            continue;
        if (depth == kDeepestFolder) {
            host_.FolderTooDeep(sub->Path());
            continue;
        }
        if (!EnterFolder(*sub))
            return;
        TListedItems subItems(ListFolderEntries(sub->Handle(), sub->Path()));
        std::string path = sub->Path();
        Folder(sub, path, subItems, below + name + "/", depth + 1);
    }
}

bool TStampCommand::Walk::IsCandidate(const std::string& name) const {
    if (!IsPlainName(name))
        return false;
    if (IsVideo(name))
        return HasSchemeForm(name, videoNames_, TNameKind::Video);
    return options_.undo || HasSchemeForm(name, options_.names);
}

TPhotoFile TStampCommand::Walk::OpenPhoto(const TPhotoFolder& folder, const std::string& name) {
    {
        TPhotoFile photo = folder.Open(name, !options_.recursive);
        if (Dry() || !group_->Holds(photo.Facts()))
            return photo;
    }              // closed first: its lease would refuse the group's writer of that file
    FlushGroup();  // a link to a file done in this run: read it done
    return folder.Open(name, !options_.recursive);
}

bool TStampCommand::Walk::Applies(const TPhotoFile& photo) const {
    if (!options_.undo)
        return IsStampableHead(photo.Head());
    return photo.Facts().st_size <= INT_MAX && OwnExifHeadDate(photo.Head()).has_value();
}

bool TStampCommand::Walk::IsMovie(const TPhotoFile& video, TMovieTimes& times) const {
    if (ReadVideoTimes(video, times))
        return true;
    host_.NotAMovie(video.Path());
    return false;
}

bool TStampCommand::Walk::Dated(const TPhotoFile& photo, const std::string& name,
                                TNameReading& reading) const {
    if (options_.undo)
        return true;
    reading = ReadPhotoName(name, {photo.Facts().st_mtime, order_}, options_.names);
    if (!reading.shot)
        host_.NameGivesNoDate(photo.Path(), NamePassText(reading.pass));
    return reading.shot.has_value();
}

std::optional<TPhotoFile> TStampCommand::Walk::OpenToWork(
    TPhotoFolder& folder, const std::string& name,
    const std::function<bool(const TPhotoFile&)>& applies) {
    TPhotoFile file = OpenPhoto(folder, name);
    if (file.NotAFile() || (!Dry() && folder.HasLeftCopy(file.Facts())))
        return std::nullopt;
    if (file.Missing()) {
        if (!Dry())
            host_.PassedOver(file.Path());
        return std::nullopt;
    }
    if (!file.InUse() && !applies(file))
        return std::nullopt;
    if (file.InUse()) {
        host_.PassedOver(file.Path());
        return std::nullopt;
    }
    return file;
}

void TStampCommand::Walk::Photo(TPhotoFolder& folder, const std::string& name,
                                const std::string& below, int index) {
    if (IsVideo(name))
        return Video(folder, name, below, index);
    std::optional<TPhotoFile> photo =
        OpenToWork(folder, name, [this](const TPhotoFile& file) { return Applies(file); });
    TNameReading reading;
    if (!photo || !Dated(*photo, name, reading))
        return;
    CheckWritable(*photo);
    if (Dry()) {
        std::string date =
            options_.undo ? *OwnExifHeadDate(photo->Head()) : DateText(*reading.shot);
        Report(*photo, below + name, date, reading.scheme);
        return;
    }
    Work(*photo, reading, index);
}

// A video is dated when its movie has no creation time yet, or when a dating
// was cut short (NeedsDating); undoing, when a field holds its name's moment.
void TStampCommand::Walk::Video(TPhotoFolder& folder, const std::string& name,
                                const std::string& below, int index) {
    TMovieTimes times;
    std::optional<TPhotoFile> video = OpenToWork(folder, name, [&](const TPhotoFile& file) {
        return IsMovie(file, times) && (options_.undo || AnyFieldHolds(times, 0));
    });
    if (!video)
        return;
    TNameReading reading =
        ReadPhotoName(name, {video->Facts().st_mtime, order_}, videoNames_, TNameKind::Video);
    if (!reading.shot) {
        host_.NameGivesNoDate(video->Path(), NamePassText(reading.pass));
        return;
    }
    const std::uint64_t moment = MovieTimeFromUnix(reading.instant);
    if (options_.undo && !AnyFieldHolds(times, moment)) {
        if (std::optional<std::int64_t> shift = ZoneShift(times, moment))
            host_.VideoInOtherZone(video->Path(), *shift);
        return;
    }
    if (!options_.undo && (!NeedsDating(times, moment) || !MomentFits(times, moment)))
        return;
    CheckWritable(*video);
    if (Dry())
        Report(*video, below + name, DateText(*reading.shot), reading.scheme);
    else
        WorkOnVideo(*video, times, reading, index);
}

void TStampCommand::Walk::WorkOnVideo(TPhotoFile& video, const TMovieTimes& times,
                                      const TNameReading& reading, int index) {
    command_.bindings_.Progress.SetPosition(index);
    host_.ProcessMessages();
    TVideoWrite write{MovieTimeFromUnix(reading.instant), options_.undo, video.Facts().st_mtim};
    if (options_.setModificationTime && !options_.undo)
        write.modified = {reading.instant, 0};
    const TVideoWritten written = WriteVideoTimes(video, times, write);
    if (written == TVideoWritten::PassedOver) {
        host_.PassedOver(video.Path());
        return;
    }
    ++done_;
    if (written == TVideoWritten::TimeNotKept)
        host_.TimeNotKept(video.Path());
}

void TStampCommand::Walk::Report(const TPhotoFile& photo, const std::string& path,
                                 const std::string& date, const std::string& scheme) {
    if (listed_.insert({photo.Facts().st_dev, photo.Facts().st_ino}).second)
        (*report_)({path, date, scheme});
}

void TStampCommand::Walk::Work(TPhotoFile& photo, const TNameReading& reading, int index) {
    CheckFitsHead(photo);
    command_.bindings_.Progress.SetPosition(index);
    host_.ProcessMessages();
    const off_t size = photo.Facts().st_size;
    const bool done =
        options_.undo
            ? Rewrite(photo, std::string(std::begin(kPlainJpegStart), std::end(kPlainJpegStart)),
                      kExifHeadEnd, size - kExifHeadGap, "", std::nullopt)
            : Rewrite(photo, ExifHead(DateText(*reading.shot)), 4, size,
                      std::string(kExifHeadGap, '\0'),
                      options_.setModificationTime ? std::optional(reading.instant) : std::nullopt);
    done_ += done ? 1 : 0;
    if (group_->Due())
        FlushGroup(false);
}

void TStampCommand::Walk::FlushGroup(bool all) {
    std::vector<std::string> passedOver;
    const std::size_t photos = group_->PendingCount();
    group_->SetSyncWait(
        [this, photos](const auto& finished) { host_.WaitForDisk(photos, finished); });
    try {
        passedOver = all ? group_->Flush() : group_->Send();
    } catch (const TAtomicFileError& error) {
        throw CreateError(error);
    }
    for (const std::string& path : passedOver)
        host_.PassedOver(path);
    for (const std::string& path : group_->TakeTimesNotKept())
        host_.TimeNotKept(path);
    handedButPassed_ += static_cast<int>(passedOver.size());
}

bool TStampCommand::Walk::Rewrite(TPhotoFile& photo, const std::string& start, off_t from, off_t to,
                                  const std::string& end, const std::optional<std::time_t>& time) {
    TFileOrigin origin;
    if (!photo.TakeOrigin(origin)) {
        host_.PassedOver(photo.Path());
        return false;
    }
    const std::string path = origin.path;
    const int in = origin.file.Get();
    try {
        TAtomicFile file(std::move(origin), *group_);
        if (time)
            file.SetModificationTime({*time, 0});
        TPhotoStream out(file.Handle(), path);
        out.Write(start);
        if (std::string_view held = photo.Head().Held(from, to); !held.empty())
            out.Write(held.data(), static_cast<std::int32_t>(held.size()));
        else
            CopyRange(in, from, to, out, path);
        out.Write(end);
        file.Commit(*group_);
        return true;
    } catch (const TAtomicFileError& error) {
        throw CreateError(error);
    }
}

// The count stays in plain digits whatever the language, so scripts find it
// as the line's number. The stamp's own words already speak of files; a run
// that gives back videos too says files where a photos' run says photos.
std::string CountMessage(int done, const TStampOptions& options) {
    const std::string count = std::to_string(done);
    if (!options.undo)
        return done < 1 ? Translated(kNothingFoundMessage)
                        : Translated(kStampedMessage) + count + Translated(kFilesWord, done);
    if (done < 1)
        return Translated(options.videos ? kNothingOfOursMessage : kNothingToGiveBackMessage);
    return Translated(options.videos ? kFilesGivenBackMessage : kGivenBackMessage) + count;
}

bool TStampCommand::StopRequested() const {
    return stopRequested_ || bindings_.Host.Interrupted();
}

int TStampCommand::Run(const TStampOptions& options) {
    if (running_)
        return 0;
    RunScope scope(*this);
    doneBeforeFailure_ = 0;
    const int done = Walk(*this, options, nullptr).All();
    bindings_.Progress.SetVisible(false);
    if (!StopRequested())
        bindings_.Host.ShowMessage(CountMessage(done, options));
    bindings_.Progress.SetPosition(0);
    return done;
}

void TStampCommand::DryRun(const DryRunReport& report, const TStampOptions& options) {
    if (running_)
        return;
    RunScope scope(*this);
    Walk(*this, options, &report).All();
}
