#pragma once

#include <cstdint>
#include <string>

#include "platform/Com.h"

// Waitable objects for the change-watcher thread: events, folder change
// notifications, and waiting on several of them at once.
//
// A HANDLE is a kernel object of this layer: an event (an eventfd) or a
// change notification (an inotify descriptor). Any thread may wait on it;
// only one thread at a time may wait on a given change notification and
// re-arm it.
//
// A change notification watches one directory for the kinds of change its
// filter names: FILE_NAME and DIR_NAME are creation, deletion and renaming
// of files / directories (IN_CREATE, IN_DELETE, IN_MOVED_FROM, IN_MOVED_TO,
// told apart by IN_ISDIR); ATTRIBUTES is IN_ATTRIB; SIZE and LAST_WRITE are
// IN_MODIFY. With the subtree flag the directories below are watched too:
// those that exist when the watch is made and those created later, up to a
// budget of kChangeWatchSubtreeBudget directories (nearest first). Once a
// change is seen the handle stays signalled until FindNextChangeNotification
// re-arms it; that fails once the watched directory itself is gone.

using HANDLE = struct KernelObject*;
inline const HANDLE INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(~std::uintptr_t{0});

constexpr DWORD FILE_NOTIFY_CHANGE_FILE_NAME = 0x001;
constexpr DWORD FILE_NOTIFY_CHANGE_DIR_NAME = 0x002;
constexpr DWORD FILE_NOTIFY_CHANGE_ATTRIBUTES = 0x004;
constexpr DWORD FILE_NOTIFY_CHANGE_SIZE = 0x008;
constexpr DWORD FILE_NOTIFY_CHANGE_LAST_WRITE = 0x010;

constexpr int kChangeWatchSubtreeBudget = 2048;

constexpr DWORD INFINITE = 0xFFFFFFFF;
constexpr DWORD WAIT_OBJECT_0 = 0x000;
constexpr DWORD WAIT_ABANDONED_0 = 0x080;
constexpr DWORD WAIT_TIMEOUT = 0x102;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFF;
constexpr DWORD MAXIMUM_WAIT_OBJECTS = 64;

// An event: auto-reset events wake one wait and clear themselves; manual-reset
// events stay set until ResetEvent. Null on failure.
HANDLE CreateEventA(bool manualReset, bool initialState);
bool SetEvent(HANDLE event);
bool ResetEvent(HANDLE event);

// INVALID_HANDLE_VALUE when the path is not a readable directory or inotify
// refuses (too many instances); errno then tells why.
HANDLE FindFirstChangeNotificationA(const std::string& path, bool watchSubtree, DWORD filter);
// Clears the signalled state (the changes seen so far are consumed); false when
// the watched directory is gone or the handle is not a change notification.
bool FindNextChangeNotification(HANDLE change);
bool FindCloseChangeNotification(HANDLE change);

// Closes an event or a change notification.
bool CloseHandle(HANDLE object);

// Waits until one of the objects is signalled (waitAll must be false):
// WAIT_OBJECT_0 + its index (the lowest signalled index wins; an auto-reset
// event is cleared by the wait that returns it), WAIT_ABANDONED_0 + the index
// of an object whose descriptor is in error (it can never be signalled),
// WAIT_TIMEOUT, or WAIT_FAILED for a bad handle, a count above
// MAXIMUM_WAIT_OBJECTS or a wait the system refuses (errno tells why).
DWORD WaitForMultipleObjects(DWORD count, const HANDLE* objects, bool waitAll, DWORD milliseconds);
DWORD WaitForSingleObject(HANDLE object, DWORD milliseconds);
