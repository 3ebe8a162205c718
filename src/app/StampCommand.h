#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "app/PhotoName.h"

class TAtomicFileGroup;
class TPhotoFile;
class TPhotoFolder;

// The stamp command: walks every item of the file list, picks the photos
// whose names carry their date (PhotoName.h: DD-MM-YY_HHMM, and with the
// options the other schemes) that are plain JPEGs without an EXIF segment,
// writes the EXIF head into each (ExifHead.h) - a new copy, the head in
// front of the photo's bytes, put in the photo's place safely - then says how
// many it changed. Run with TStampOptions::undo it takes the head out again
// instead. The photo's bytes are copied within the kernel where the file
// system can: the new copy costs what a plain copy of the photo costs.
//
// A run opens the folder once, from its path, and holds its run lock, so two
// runs over one folder take turns (see PhotoFolder.h). Each photo is opened
// once; its head is checked before the whole file is loaded, and its rewrite
// goes only onto the file that was read: a photo that is being written, or
// that changes, moves or is swapped before its rewrite is put in place, is
// passed over (IStampHost::PassedOver) and not counted.
//
// It reads and drives its surroundings only through the small interfaces
// below, so that the main window binds them to its tree, list and progress
// bar and the command-line stamper to a folder listing and the terminal.

// The folder selected in the tree: its file-system path, read afresh for
// every item; empty for a place without one.
class IStampFolder {
  public:
    virtual ~IStampFolder() = default;
    virtual std::string PathName() const = 0;
};

// The file list: the number of items, and each item's on-disk file name
// (empty for an item without a file-system path).
class IStampItems {
  public:
    virtual ~IStampItems() = default;
    virtual int Count() const = 0;
    virtual std::string FileName(int index) const = 0;
    // False for an item known to be no folder: a run over subfolders opens
    // the others only.
    virtual bool MayBeFolder(int /*index*/) const { return true; }
};

// The progress bar.
class IStampProgress {
  public:
    virtual ~IStampProgress() = default;
    virtual void SetMax(int max) = 0;
    virtual void SetPosition(int position) = 0;
    virtual void SetVisible(bool visible) = 0;
};

// The application: its message-pump step and its plain message box.
class IStampHost {
  public:
    virtual ~IStampHost() = default;
    virtual void ProcessMessages() = 0;
    virtual void ShowMessage(const std::string& text) = 0;
    // A photo left alone because it changed, moved or was being written during
    // the run; it is not counted.
    virtual void PassedOver(const std::string& path) { (void)path; }
    // Another run holds the folder: this one waits for it.
    virtual void WaitingForFolder(const std::string& path) { (void)path; }
    // An original copy a crashed run left that could not be put back; the
    // photo it belongs to (`photoPath`, "" when no name in the folder is that
    // file) is left alone and may hold a rewrite cut short. A dry run, which
    // puts nothing back, tells every copy it finds.
    virtual void OriginalLeft(const std::string& copyPath, const std::string& photoPath) {
        (void)copyPath;
        (void)photoPath;
    }
    // The run waits for a batch of `photos` to reach the disk: `finished`
    // waits at most the given milliseconds and says whether they have. It is
    // no pump step: the window answers its input and paints meanwhile without
    // moving the progress bar. By default the run just waits.
    virtual void WaitForDisk(std::size_t photos,
                             const std::function<bool(int milliseconds)>& finished) {
        (void)photos;
        while (!finished(1000)) {
        }
    }
    // A video not given back whose header holds a time `shift` seconds from
    // its name's moment in the time zone in force (a whole number of quarter
    // hours within 14 hours): most likely dated by a run in another zone.
    virtual void VideoInOtherZone(const std::string& path, std::int64_t shift) {
        (void)path;
        (void)shift;
    }
    // A photo overwritten in place whose modification time could not be kept.
    virtual void TimeNotKept(const std::string& path) { (void)path; }
    // True when the run should end after the current photo, without its count
    // message (the process was asked to stop). Asked between photos and when a
    // signal interrupts the wait for the folder.
    virtual bool Interrupted() { return false; }
    // A video's name whose file holds no movie this program dates (see
    // ReadMovieTimes): left alone.
    virtual void NotAMovie(const std::string& path) { (void)path; }
    // A photo left alone because its name gives no date; `reason` as
    // NamePassText words it.
    virtual void NameGivesNoDate(const std::string& path, const std::string& reason) {
        (void)path;
        (void)reason;
    }
    // A subfolder a run over subfolders leaves out: it lies deeper than the
    // deepest level a run goes to (kDeepestFolder).
    virtual void FolderTooDeep(const std::string& path) { (void)path; }
    // The order a folder's camera-phone names are read in (TDayOrder), told
    // for every folder that holds any, before its photos.
    virtual void FolderOrder(const std::string& path, TDayOrder order) {
        (void)path;
        (void)order;
    }
};

// What a run does beyond stamping the folder's camera-phone names. The
// defaults stamp exactly what the command always stamped.
struct TStampOptions {
    TNameSchemes names;  // the schemes in force and the moment they are read at
    // Subfolders too, depth first after the folder's own photos, down to
    // kDeepestFolder levels below the run's folder; hidden folders, symbolic
    // links (to folders and to files) and other mounts are left out.
    bool recursive = false;
    // The shot's moment becomes the stamped file's modification time (else
    // the file keeps its own).
    bool setModificationTime = false;
    // Takes out the head this program wrote (OwnExifHeadDate), giving each
    // photo back as it was before; files with any other head stay as they are.
    bool undo = false;
    // Videos too (IsVideoName): a video whose movie has no creation time
    // gets its name's moment in its header times, written in place
    // (VideoDating.h); undoing sets back to 0 the times that hold it.
    // Without it videos are left alone.
    bool videos = false;
    // Folders among the run's own items are worked on as the folder is (their
    // photos; their subfolders too with `recursive`): a run over a selection.
    bool itemFolders = false;
};

// One photo of a dry run: its path below the run's folder, the date it
// would get - or, undoing, the date its head carries - and the scheme that
// gives it (empty when undoing).
struct TDryRunEntry {
    std::string name;
    std::string date;
    std::string scheme;
};

// Subfolders deeper than this below the run's folder are left out: each level
// holds its folder open.
inline constexpr int kDeepestFolder = 64;

// The command's bindings to its surroundings; it owns none of them.
struct TStampBindings {
    IStampFolder& Folder;
    IStampItems& Items;
    IStampProgress& Progress;
    IStampHost& Host;
};

// The command's own messages.
extern const char* const kStampedMessage;  // followed by the count and kFilesWord
extern const char* const kFilesWord;
extern const char* const kNothingFoundMessage;
extern const char* const kGivenBackMessage;  // followed by the count
extern const char* const kNothingToGiveBackMessage;
// The same for a run that gives back videos too.
extern const char* const kFilesGivenBackMessage;
extern const char* const kNothingOfOursMessage;

// The message a run with `options` ends with, in the program's language: how
// many files it stamped (or gave back), or that it found none.
std::string CountMessage(int done, const TStampOptions& options);

class TStampCommand {
  public:
    explicit TStampCommand(TStampBindings bindings) : bindings_(bindings) {}

    // One run over every item (see the class comment). Stamped files reach
    // the disk in flush groups; every file saved before a failure is in place
    // when the failure passes on. Exceptions are not caught: they end the
    // run, the progress bar stays visible and no count message is shown
    // (DoneBeforeFailure says what the run did until then). A folder path
    // that cannot be opened is such a failure.
    // A call while a run is in progress (from its pump step) does nothing.
    // Returns the number of files stamped (or given back), also when a stop
    // request ended the run early.
    int Run(const TStampOptions& options = {});

    // Calls `report` for every file that Run would stamp (or give back), in
    // the same order, and changes nothing: no write, no progress, no
    // message. Does nothing while a run is in progress.
    using DryRunReport = std::function<void(const TDryRunEntry&)>;
    void DryRun(const DryRunReport& report, const TStampOptions& options = {});

    bool Running() const { return running_; }
    // The number of files stamped (or given back) by the last run that an
    // exception ended, its files saved before the failure flushed.
    int DoneBeforeFailure() const { return doneBeforeFailure_; }
    // Makes a run in progress end after the file it is working on, without
    // its count message (the window is closing).
    void RequestStop() { stopRequested_ = running_; }

  private:
    class RunScope;
    class Walk;
    bool StopRequested() const;

    TStampBindings bindings_;
    bool running_ = false;
    bool stopRequested_ = false;
    int doneBeforeFailure_ = 0;
};
