#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <future>
#include <memory>
#include <string>
#include <thread>

#include "platform/ChangeNotification.h"

// Watches up to 63 folders for changes on a thread of its own and posts
// (message, wParam = slot index, lParam = 0) to a window for every change it
// sees; the receiver re-reads the namespace itself.
//
// The user-interface thread hands over one command at a time through shared
// fields and the command event, then waits up to 2000 ms for the done event.
// The thread owns the slot table while it runs; it touches nothing else and
// reaches the user-interface thread only through PostMessage. All methods are
// called on the user-interface thread.
class TChangeHandlerThread {
  public:
    static constexpr int kSlotCount = 63;
    static constexpr DWORD kCommandTimeoutMs = 2000;
    static constexpr DWORD kStopTimeoutMs = 30000;

    // Starts the thread with no folder watched.
    TChangeHandlerThread(HWND window, std::uint32_t message);
    // Stops the thread (waiting up to 30000 ms) and closes every handle.
    ~TChangeHandlerThread();
    TChangeHandlerThread(const TChangeHandlerThread&) = delete;
    TChangeHandlerThread& operator=(const TChangeHandlerThread&) = delete;

    // Starts watching `path` (FILE_NOTIFY_CHANGE_* filter, with the folders
    // below it when `subtree`). False for an empty path, a folder that cannot
    // be watched, a full slot table or a thread that does not answer in time;
    // otherwise `slot` is the slot whose index the messages will carry.
    bool Watch(const std::string& path, DWORD filter, bool subtree, int& slot);
    // Stops watching the folder in `slot`.
    void Unwatch(int slot);
    // Stops watching every folder.
    void UnwatchAll();

  private:
    enum Command : std::uint8_t { cmdAdd = 0, cmdRemove = 1, cmdRemoveAll = 2, cmdStop = 3 };

    // Shared with the thread, which may outlive this object when it does not
    // stop in time.
    struct State {
        HANDLE commandEvent = nullptr;
        HANDLE doneEvent = nullptr;
        std::atomic<HANDLE> pending{INVALID_HANDLE_VALUE};
        std::atomic<int> removeIndex{-1};
        std::atomic<int> resultIndex{-1};
        std::atomic<Command> command{cmdAdd};
        HWND window = 0;
        std::uint32_t message = 0;
        std::array<HANDLE, kSlotCount> watches;
        std::promise<void> ended;
    };

    static std::shared_ptr<State> NewState(HWND window, std::uint32_t message);
    static void Run(std::shared_ptr<State> state);
    static bool RunCommand(State& state);
    static void CloseSlot(State& state, int slot);
    bool Send(Command command);

    std::shared_ptr<State> state_;
    std::future<void> ended_;
    std::thread thread_;
};
