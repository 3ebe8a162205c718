#include "platform/DeviceChanges.h"

#include <fcntl.h>
#include <unistd.h>

#include <QFileSystemWatcher>
#include <QSocketNotifier>
#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/Drives.h"

namespace {

std::set<std::string> CurrentMountPaths() {
    std::set<std::string> paths;
    for (const DriveInfo& drive : ReadCurrentDrives())
        paths.insert(drive.MountPath);
    return paths;
}

// Watches the mount table while windows are registered. The kernel's table
// signals a change with POLLPRI; a plain file (a test's table) is watched
// with file-change notification, its folder too so that a table replaced by
// rename is still seen.
class MountTableWatch {
  public:
    explicit MountTableWatch(const std::string& path) : path_(path) {
        if (path.starts_with("/proc/")) {
            fd_ = open(path.c_str(), O_RDONLY | O_CLOEXEC);
            if (fd_ >= 0) {
                notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Exception);
                QObject::connect(notifier_.get(), &QSocketNotifier::activated,
                                 [] { CheckMountTableNow(); });
            }
            return;
        }
        files_ = std::make_unique<QFileSystemWatcher>();
        Rewatch();
        auto changed = [this] {
            Rewatch();
            CheckMountTableNow();
        };
        QObject::connect(files_.get(), &QFileSystemWatcher::fileChanged, changed);
        QObject::connect(files_.get(), &QFileSystemWatcher::directoryChanged, changed);
    }
    ~MountTableWatch() {
        notifier_.reset();
        if (fd_ >= 0)
            close(fd_);
    }
    const std::string& Path() const { return path_; }

  private:
    void Rewatch() {
        QString file = QString::fromStdString(path_);
        if (!files_->files().contains(file))
            files_->addPath(file);
        QString folder = QString::fromStdString(path_.substr(0, path_.rfind('/') + 1));
        if (!folder.isEmpty() && !files_->directories().contains(folder))
            files_->addPath(folder);
    }

    std::string path_;
    int fd_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::unique_ptr<QFileSystemWatcher> files_;
};

struct DeviceState {
    std::vector<MessageWindow*> windows;
    std::set<std::string> lastSeen;
    std::unique_ptr<MountTableWatch> watch;
};

DeviceState& State() {
    static DeviceState state;
    return state;
}

void Broadcast(std::uintptr_t event, std::size_t times) {
    for (std::size_t i = 0; i < times; ++i) {
        // A window may unregister while it handles the message.
        std::vector<MessageWindow*> windows = State().windows;
        for (MessageWindow* window : windows) {
            if (std::find(State().windows.begin(), State().windows.end(), window) !=
                State().windows.end())
                window->Perform(WM_DEVICECHANGE, event, 0);
        }
    }
}

// Watches the table in force (from a new path too) while windows listen.
void WatchCurrentMountTable() {
    DeviceState& state = State();
    if (state.windows.empty())
        return;
    state.watch.reset();
    state.lastSeen = CurrentMountPaths();
    state.watch = std::make_unique<MountTableWatch>(MountTablePath());
}

}  // namespace

void RegisterDeviceChangeWindow(MessageWindow* window) {
    DeviceState& state = State();
    if (window == nullptr ||
        std::find(state.windows.begin(), state.windows.end(), window) != state.windows.end())
        return;
    state.windows.push_back(window);
    SetMountTableObserver(&WatchCurrentMountTable);
    if (!state.watch || state.watch->Path() != MountTablePath())
        WatchCurrentMountTable();
}

void UnregisterDeviceChangeWindow(MessageWindow* window) {
    DeviceState& state = State();
    std::erase(state.windows, window);
    if (state.windows.empty())
        state.watch.reset();
}

int CheckMountTableNow() {
    DeviceState& state = State();
    std::set<std::string> now = CurrentMountPaths();
    std::size_t arrived = std::count_if(now.begin(), now.end(), [&](const std::string& path) {
        return !state.lastSeen.contains(path);
    });
    std::size_t removed =
        std::count_if(state.lastSeen.begin(), state.lastSeen.end(),
                      [&](const std::string& path) { return !now.contains(path); });
    state.lastSeen = std::move(now);
    Broadcast(DBT_DEVICEARRIVAL, arrived);
    Broadcast(DBT_DEVICEREMOVECOMPLETE, removed);
    return static_cast<int>(arrived + removed);
}
