#pragma once

#include <functional>
#include <optional>
#include <string>

class TAtomicFileGroup;
class TCustomMPHexEditor;
class TPhotoFile;
class TPhotoFolder;

// The stamp command: walks every item of the file list, picks the photos
// named DD-MM-YY_HHMM that are plain JPEGs without an EXIF segment, writes
// the EXIF head into each (ExifHead.h) through the byte document and saves it
// over the file, then says how many it changed.
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
    // photo it belongs to is left alone.
    virtual void OriginalLeft(const std::string& copyPath) { (void)copyPath; }
    // A photo overwritten in place whose modification time could not be kept.
    virtual void TimeNotKept(const std::string& path) { (void)path; }
    // True when the run should end after the current photo, without its count
    // message (the process was asked to stop). Asked between photos and when a
    // signal interrupts the wait for the folder.
    virtual bool Interrupted() { return false; }
};

// The command's bindings to its surroundings; it owns none of them.
struct TStampBindings {
    IStampFolder& Folder;
    IStampItems& Items;
    IStampProgress& Progress;
    IStampHost& Host;
    TCustomMPHexEditor& Document;
};

// The command's own messages.
extern const char* const kStampedMessage;  // followed by the count and kFilesWord
extern const char* const kFilesWord;
extern const char* const kNothingFoundMessage;

class TStampCommand {
  public:
    explicit TStampCommand(TStampBindings bindings) : bindings_(bindings) {}

    // One run over every item (see the class comment). Stamped files reach
    // the disk in flush groups; every file saved before a failure is in place
    // when the failure passes on. Exceptions are not caught: they end the
    // run, the progress bar stays visible and no count message is shown.
    // A call while a run is in progress (from its pump step) does nothing.
    void Run();

    // Calls `report(fileName, dateText)` for every file that Run would stamp,
    // in the same order, and changes nothing: no write, no progress, no
    // message. Does nothing while a run is in progress.
    using DryRunReport = std::function<void(const std::string&, const std::string&)>;
    void DryRun(const DryRunReport& report);

    bool Running() const { return running_; }
    // Makes a run in progress end after the file it is working on, without
    // its count message (the window is closing).
    void RequestStop() { stopRequested_ = running_; }

  private:
    class RunScope;
    bool StopRequested() const;
    // Opens the run's folder, once (a place without a folder path needs
    // none); a real run then waits for the folder's run lock. False when a
    // stop was requested during that wait.
    bool OpenFolder(std::optional<TPhotoFolder>& folder, bool lock);
    // A real run's start: its folder opened and locked, so that the list is
    // read and the folder tidied under the lock. A folder that cannot be
    // opened (a place without one) is left for the first photo to report.
    // False as OpenFolder.
    bool OpenFolderAtStart(std::optional<TPhotoFolder>& folder);
    int StampAll();
    // Opens the photo, seeing a file that this run has handed to `group` as
    // stamped.
    TPhotoFile OpenPhoto(const TPhotoFolder& folder, TAtomicFileGroup& group,
                         const std::string& name);
    // Writes the stamped photo and hands it to the group; false when it was
    // passed over.
    bool Stamp(TPhotoFile& photo, const std::string& name, TAtomicFileGroup& group);
    // Flushes the group; its files that were passed over are reported and
    // counted in handedButPassed_.
    void FlushGroup(TAtomicFileGroup& group);

    TStampBindings bindings_;
    bool running_ = false;
    bool stopRequested_ = false;
    int handedButPassed_ = 0;  // in this run
};
