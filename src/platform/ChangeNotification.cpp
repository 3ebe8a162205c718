#include "platform/ChangeNotification.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <chrono>
#include <deque>
#include <filesystem>
#include <unordered_map>
#include <vector>

// Every handle is one of these: something a wait can poll, and a check of
// whether it is signalled that also takes the signal when it auto-resets.
struct KernelObject {
    virtual ~KernelObject() = default;
    virtual int Descriptor() const = 0;
    virtual bool TryTake() = 0;
};

namespace {

class EventObject final : public KernelObject {
  public:
    EventObject(int descriptor, bool manualReset) : fd_(descriptor), manualReset_(manualReset) {}
    ~EventObject() override { close(fd_); }
    int Descriptor() const override { return fd_; }

    bool TryTake() override {
        if (!manualReset_)
            return Drain();
        pollfd waiter{fd_, POLLIN, 0};
        return poll(&waiter, 1, 0) == 1;
    }
    bool Set() {
        std::uint64_t one = 1;
        return write(fd_, &one, sizeof one) == sizeof one;
    }
    // Clears the counter; true when it was set.
    bool Drain() {
        std::uint64_t count;
        return read(fd_, &count, sizeof count) == sizeof count;
    }

  private:
    int fd_;
    bool manualReset_;
};

constexpr std::uint32_t kNameChanges = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;
constexpr std::uint32_t kSelfGone = IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED;

class ChangeObject final : public KernelObject {
  public:
    ChangeObject(int descriptor, bool subtree, DWORD filter)
        : fd_(descriptor), subtree_(subtree), filter_(filter) {}
    ~ChangeObject() override { close(fd_); }
    int Descriptor() const override { return fd_; }

    bool Start(const std::string& path) {
        rootWatch_ = inotify_add_watch(fd_, path.c_str(), Mask() | IN_ONLYDIR);
        if (rootWatch_ < 0)
            return false;
        folders_[rootWatch_] = path;
        if (subtree_)
            WatchBelow(path);
        return true;
    }

    bool TryTake() override {
        ReadEvents();
        return signalled_;
    }

    // Changes that came after the wait that saw this one stay unread, so they
    // signal the next wait instead of being lost.
    bool Rearm() {
        signalled_ = false;
        return !rootGone_;
    }

  private:
    std::uint32_t Mask() const {
        std::uint32_t mask = kNameChanges | IN_DELETE_SELF | IN_MOVE_SELF;
        if (filter_ & FILE_NOTIFY_CHANGE_ATTRIBUTES)
            mask |= IN_ATTRIB;
        if (filter_ & (FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE))
            mask |= IN_MODIFY;
        return mask;
    }

    // Watches the directories below `top`, nearest first, within the budget.
    void WatchBelow(const std::string& top) {
        std::deque<std::string> pending{top};
        while (!pending.empty() && static_cast<int>(folders_.size()) < kChangeWatchSubtreeBudget) {
            std::error_code error;
            for (const auto& entry : std::filesystem::directory_iterator(
                     pending.front(), std::filesystem::directory_options::skip_permission_denied,
                     error)) {
                if (static_cast<int>(folders_.size()) >= kChangeWatchSubtreeBudget)
                    break;
                std::error_code typeError;
                if (!entry.is_directory(typeError) || entry.is_symlink(typeError))
                    continue;
                int watch = inotify_add_watch(fd_, entry.path().c_str(),
                                              Mask() | IN_ONLYDIR | IN_DONT_FOLLOW);
                if (watch >= 0 && folders_.emplace(watch, entry.path().string()).second)
                    pending.push_back(entry.path().string());
            }
            pending.pop_front();
        }
    }

    bool IsWanted(const inotify_event& event) const {
        if (event.mask & IN_Q_OVERFLOW)
            return true;
        if (event.mask & kNameChanges) {
            DWORD kind = (event.mask & IN_ISDIR) ? FILE_NOTIFY_CHANGE_DIR_NAME
                                                 : FILE_NOTIFY_CHANGE_FILE_NAME;
            return (filter_ & kind) != 0;
        }
        return (event.mask & (IN_ATTRIB | IN_MODIFY)) != 0;
    }

    // A folder moved away, or renamed (its new name arrives as a new folder),
    // takes its watches along: they are dropped so that every recorded path
    // stays true and folders made later below the new name are watched.
    void ForgetFolder(const std::string& path) {
        for (auto it = folders_.begin(); it != folders_.end();) {
            bool below = it->second == path || it->second.starts_with(path + "/");
            if (it->first != rootWatch_ && below) {
                inotify_rm_watch(fd_, it->first);
                it = folders_.erase(it);
            } else {
                ++it;
            }
        }
    }

    void Handle(const inotify_event& event) {
        if (event.wd == rootWatch_ && (event.mask & kSelfGone)) {
            rootGone_ = true;
            signalled_ = true;
            return;
        }
        if (event.mask & IN_IGNORED) {
            folders_.erase(event.wd);
            return;
        }
        bool newFolder = (event.mask & IN_ISDIR) && (event.mask & (IN_CREATE | IN_MOVED_TO));
        bool goneFolder = (event.mask & IN_ISDIR) && (event.mask & IN_MOVED_FROM);
        auto folder = folders_.find(event.wd);
        if (subtree_ && goneFolder && event.len > 0 && folder != folders_.end())
            ForgetFolder(folder->second + "/" + event.name);
        if (subtree_ && newFolder && event.len > 0 && folder != folders_.end()) {
            std::string path = folder->second + "/" + event.name;
            int watch = inotify_add_watch(fd_, path.c_str(), Mask() | IN_ONLYDIR | IN_DONT_FOLLOW);
            if (watch >= 0 && folders_.emplace(watch, path).second)
                WatchBelow(path);
        }
        signalled_ = signalled_ || IsWanted(event);
    }

    void ReadEvents() {
        alignas(inotify_event) char buffer[16384];
        for (;;) {
            ssize_t length = read(fd_, buffer, sizeof buffer);
            if (length <= 0)
                return;
            for (ssize_t at = 0; at < length;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                Handle(*event);
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
    }

    int fd_;
    bool subtree_;
    DWORD filter_;
    int rootWatch_ = -1;
    bool signalled_ = false;
    bool rootGone_ = false;
    std::unordered_map<int, std::string> folders_;  // watch descriptor -> directory
};

bool IsHandle(HANDLE object) {
    return object != nullptr && object != INVALID_HANDLE_VALUE;
}

EventObject* AsEvent(HANDLE object) {
    return IsHandle(object) ? dynamic_cast<EventObject*>(object) : nullptr;
}

ChangeObject* AsChange(HANDLE object) {
    return IsHandle(object) ? dynamic_cast<ChangeObject*>(object) : nullptr;
}

}  // namespace

HANDLE CreateEventA(bool manualReset, bool initialState) {
    int descriptor = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (descriptor < 0)
        return nullptr;
    auto* event = new EventObject(descriptor, manualReset);
    if (initialState)
        event->Set();
    return event;
}

bool SetEvent(HANDLE event) {
    EventObject* object = AsEvent(event);
    return object != nullptr && object->Set();
}

bool ResetEvent(HANDLE event) {
    EventObject* object = AsEvent(event);
    if (object == nullptr)
        return false;
    object->Drain();
    return true;
}

HANDLE FindFirstChangeNotificationA(const std::string& path, bool watchSubtree, DWORD filter) {
    int descriptor = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (descriptor < 0)
        return INVALID_HANDLE_VALUE;
    auto* change = new ChangeObject(descriptor, watchSubtree, filter);
    if (!change->Start(path)) {
        int error = errno;
        delete change;
        errno = error;
        return INVALID_HANDLE_VALUE;
    }
    return change;
}

bool FindNextChangeNotification(HANDLE change) {
    ChangeObject* object = AsChange(change);
    return object != nullptr && object->Rearm();
}

bool FindCloseChangeNotification(HANDLE change) {
    ChangeObject* object = AsChange(change);
    delete object;
    return object != nullptr;
}

bool CloseHandle(HANDLE object) {
    if (!IsHandle(object))
        return false;
    delete object;
    return true;
}

DWORD WaitForMultipleObjects(DWORD count, const HANDLE* objects, bool waitAll, DWORD milliseconds) {
    if (count == 0 || count > MAXIMUM_WAIT_OBJECTS || objects == nullptr || waitAll)
        return WAIT_FAILED;
    std::vector<pollfd> waiters;
    for (DWORD i = 0; i < count; ++i) {
        if (!IsHandle(objects[i]))
            return WAIT_FAILED;
        waiters.push_back({objects[i]->Descriptor(), POLLIN, 0});
    }
    using Clock = std::chrono::steady_clock;
    auto deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;) {
        for (DWORD i = 0; i < count; ++i) {
            if (objects[i]->TryTake())
                return WAIT_OBJECT_0 + i;
        }
        int timeout = -1;
        if (milliseconds != INFINITE) {
            auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0)
                return WAIT_TIMEOUT;
            timeout = static_cast<int>(left.count());
        }
        if (poll(waiters.data(), waiters.size(), timeout) < 0 && errno != EINTR)
            return WAIT_FAILED;
        // A descriptor in error would wake every poll at once and never be
        // signalled: its object is given up.
        for (DWORD i = 0; i < count; ++i)
            if (waiters[i].revents & (POLLERR | POLLNVAL))
                return WAIT_ABANDONED_0 + i;
    }
}

DWORD WaitForSingleObject(HANDLE object, DWORD milliseconds) {
    return WaitForMultipleObjects(1, &object, false, milliseconds);
}
