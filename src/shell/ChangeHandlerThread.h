#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "platform/ChangeNotification.h"

// Watches up to 63 folders for changes on a thread of its own and posts
// (message, wParam = slot index, lParam = 0) to a window for every change it
// sees; the receiver re-reads the namespace itself. When the thread cannot
// wait on its folders any more it posts (message, wParam = kWatchingFailed,
// lParam = the error's code) once, and tries again later at a slow pace
// instead of spinning.
//
// The user-interface thread hands over one command at a time: each is
// numbered and queued, the command event wakes the thread, and the caller
// waits up to 2000 ms for the answer carrying its number. An answer to a
// command whose caller gave up is dropped: a watch given up on is undone (its
// folder is never watched unknown to the caller), an unwatch given up on is
// still carried out. The thread owns the slot table while it runs and reaches
// the user-interface thread only through PostMessage. All methods are called
// on the user-interface thread.
class TChangeHandlerThread {
  public:
    static constexpr int kSlotCount = 63;
    static constexpr DWORD kCommandTimeoutMs = 2000;
    static constexpr DWORD kStopTimeoutMs = 30000;
    // wParam of the message that says watching failed.
    static constexpr std::uintptr_t kWatchingFailed = ~std::uintptr_t{0};

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

    // How long a caller waits for an answer, and a step the thread
    // runs before each command it takes (a test holds the thread busy in it).
    void SetCommandTimeoutForTest(DWORD milliseconds) { commandTimeoutMs_ = milliseconds; }
    void SetBeforeCommandForTest(std::function<void()> step);

  private:
    enum Command : std::uint8_t { cmdAdd = 0, cmdRemove = 1, cmdRemoveAll = 2, cmdStop = 3 };

    struct Mail {
        std::uint64_t number = 0;
        Command command = cmdAdd;
        HANDLE change = INVALID_HANDLE_VALUE;  // cmdAdd: the handle to watch
        int slot = -1;                         // cmdRemove: the slot to close
    };

    // Shared with the thread, which may outlive this object when it does not
    // stop in time.
    struct State {
        HANDLE commandEvent = nullptr;
        HANDLE doneEvent = nullptr;
        HWND window = 0;
        std::uint32_t message = 0;
        std::array<HANDLE, kSlotCount> watches;  // the thread's own
        std::promise<void> ended;

        std::mutex lock;  // guards the mailbox below
        std::deque<Mail> inbox;
        std::uint64_t answered = 0;   // number of the last command carried out
        int answerSlot = -1;          // its slot, for an add
        std::uint64_t abandoned = 0;  // an add taken by the thread, then given up on
        std::function<void()> beforeCommand;
    };

    static std::shared_ptr<State> NewState(HWND window, std::uint32_t message);
    static void Run(std::shared_ptr<State> state);
    static void WaitFailed(State& state, DWORD& pauseMs);
    static bool RunCommands(State& state);
    static int RunCommand(State& state, const Mail& mail);
    static void CloseSlot(State& state, int slot);
    // Queues the command and waits for its answer: the slot, or nothing when
    // the thread did not answer in time.
    std::optional<int> Send(Mail mail);
    std::optional<int> GiveUp(const Mail& mail);

    std::shared_ptr<State> state_;
    std::future<void> ended_;
    std::thread thread_;
    std::uint64_t sent_ = 0;
    DWORD commandTimeoutMs_ = kCommandTimeoutMs;
};
