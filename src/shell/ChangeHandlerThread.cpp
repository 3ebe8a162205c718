#include "shell/ChangeHandlerThread.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <utility>

#include "framework/Messages.h"
#include "shell/ShellError.h"

namespace {

// Pauses after a failed wait: short at first, then no faster than twice a
// second, which keeps a lasting failure off the processor.
constexpr DWORD kFirstPauseMs = 10;
constexpr DWORD kLongestPauseMs = 500;

}  // namespace

TChangeHandlerThread::TChangeHandlerThread(HWND window, std::uint32_t message)
    : state_(NewState(window, message)) {
    ended_ = state_->ended.get_future();
    thread_ = std::thread(Run, state_);
}

// The thread's shared state with its two events. Without them the thread could
// neither wait nor be stopped, so it is not started at all.
std::shared_ptr<TChangeHandlerThread::State> TChangeHandlerThread::NewState(HWND window,
                                                                            std::uint32_t message) {
    HANDLE command = CreateEventA(false, false);
    HANDLE done = CreateEventA(false, false);
    if (command == nullptr || done == nullptr) {
        int error = errno;
        CloseHandle(command);
        CloseHandle(done);
        throw EShellError(HResultFromErrno(error));
    }
    auto state = std::make_shared<State>();
    state->commandEvent = command;
    state->doneEvent = done;
    state->window = window;
    state->message = message;
    state->watches.fill(INVALID_HANDLE_VALUE);
    return state;
}

TChangeHandlerThread::~TChangeHandlerThread() {
    {
        std::lock_guard<std::mutex> hold(state_->lock);
        state_->inbox.push_back(Mail{++sent_, cmdStop});
    }
    SetEvent(state_->commandEvent);
    if (ended_.wait_for(std::chrono::milliseconds(kStopTimeoutMs)) != std::future_status::ready) {
        // A thread that does not stop still uses its handles: leave them to it.
        thread_.detach();
        return;
    }
    thread_.join();
    CloseHandle(state_->commandEvent);
    CloseHandle(state_->doneEvent);
    for (int slot = 0; slot < kSlotCount; ++slot)
        CloseSlot(*state_, slot);
    for (const Mail& untaken : state_->inbox)
        if (untaken.command == cmdAdd)
            FindCloseChangeNotification(untaken.change);
}

bool TChangeHandlerThread::Watch(const std::string& path, DWORD filter, bool subtree, int& slot) {
    if (path.empty())
        return false;
    HANDLE change = FindFirstChangeNotificationA(path, subtree, filter);
    if (change == INVALID_HANDLE_VALUE)
        return false;
    std::optional<int> answer = Send(Mail{0, cmdAdd, change});
    if (!answer || *answer == -1)
        return false;
    slot = *answer;
    return true;
}

void TChangeHandlerThread::Unwatch(int slot) {
    Send(Mail{0, cmdRemove, INVALID_HANDLE_VALUE, slot});
}

void TChangeHandlerThread::UnwatchAll() {
    Send(Mail{0, cmdRemoveAll});
}

void TChangeHandlerThread::SetBeforeCommandForTest(std::function<void()> step) {
    std::lock_guard<std::mutex> hold(state_->lock);
    state_->beforeCommand = std::move(step);
}

std::optional<int> TChangeHandlerThread::Send(Mail mail) {
    {
        std::lock_guard<std::mutex> hold(state_->lock);
        mail.number = ++sent_;
        state_->inbox.push_back(mail);
    }
    SetEvent(state_->commandEvent);
    using Clock = std::chrono::steady_clock;
    auto deadline = Clock::now() + std::chrono::milliseconds(commandTimeoutMs_);
    for (;;) {
        {
            // Answers to commands given up on earlier wake the wait too.
            std::lock_guard<std::mutex> hold(state_->lock);
            if (state_->answered == mail.number)
                return state_->answerSlot;
        }
        auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            return GiveUp(mail);
        WaitForSingleObject(state_->doneEvent, static_cast<DWORD>(left.count()));
    }
}

// The caller stops waiting. A watch is undone, whether it still waits in the
// inbox or the thread is carrying it out; an unwatch stays queued.
std::optional<int> TChangeHandlerThread::GiveUp(const Mail& mail) {
    std::lock_guard<std::mutex> hold(state_->lock);
    if (state_->answered == mail.number)
        return state_->answerSlot;
    if (mail.command != cmdAdd)
        return std::nullopt;
    auto& inbox = state_->inbox;
    auto queued = std::find_if(inbox.begin(), inbox.end(),
                               [&](const Mail& m) { return m.number == mail.number; });
    if (queued != inbox.end()) {
        FindCloseChangeNotification(queued->change);
        inbox.erase(queued);
    } else {
        state_->abandoned = mail.number;
    }
    return std::nullopt;
}

// The thread's loop: wait for the command event or any watched folder, then
// handle what woke it.
void TChangeHandlerThread::Run(std::shared_ptr<State> state) {
    DWORD pauseMs = 0;
    for (;;) {
        HANDLE waits[1 + kSlotCount];
        int slotOf[1 + kSlotCount];
        DWORD count = 0;
        waits[count++] = state->commandEvent;
        for (int slot = 0; slot < kSlotCount; ++slot)
            if (state->watches[slot] != INVALID_HANDLE_VALUE) {
                slotOf[count] = slot;
                waits[count++] = state->watches[slot];
            }
        errno = 0;
        DWORD result = WaitForMultipleObjects(count, waits, false, INFINITE);
        if (result == WAIT_OBJECT_0) {
            if (!RunCommands(*state))
                break;
        } else if (result > WAIT_OBJECT_0 && result < WAIT_OBJECT_0 + count) {
            int slot = slotOf[result - WAIT_OBJECT_0];
            if (state->window != 0)
                PostMessage(state->window, state->message, static_cast<std::uintptr_t>(slot), 0);
            if (!FindNextChangeNotification(state->watches[slot]))
                CloseSlot(*state, slot);
        } else if (result > WAIT_ABANDONED_0 && result < WAIT_ABANDONED_0 + count) {
            CloseSlot(*state, slotOf[result - WAIT_ABANDONED_0]);
        } else {
            WaitFailed(*state, pauseMs);
            continue;
        }
        pauseMs = 0;
    }
    state->ended.set_value();
}

// A wait that fails tends to keep failing (too many descriptors for the
// process, no memory). The window hears of it once, so that it can re-read
// what it shows; the thread then tries again after a pause. Commands are still
// taken, since every wait looks at the command event before it blocks.
void TChangeHandlerThread::WaitFailed(State& state, DWORD& pauseMs) {
    int error = errno;
    if (pauseMs == 0 && state.window != 0)
        PostMessage(state.window, state.message, kWatchingFailed,
                    error != 0 ? HResultFromErrno(error) : E_FAIL);
    pauseMs = std::clamp(pauseMs * 2, kFirstPauseMs, kLongestPauseMs);
    std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
}

// Carries out every queued command in order; false once told to stop.
bool TChangeHandlerThread::RunCommands(State& state) {
    for (;;) {
        Mail mail;
        std::function<void()> before;
        {
            std::lock_guard<std::mutex> hold(state.lock);
            if (state.inbox.empty())
                return true;
            mail = state.inbox.front();
            state.inbox.pop_front();
            before = state.beforeCommand;
        }
        if (before)
            before();
        if (mail.command == cmdStop)
            return false;
        int slot = RunCommand(state, mail);
        {
            std::lock_guard<std::mutex> hold(state.lock);
            if (mail.command == cmdAdd && state.abandoned == mail.number && slot != -1) {
                CloseSlot(state, slot);
                slot = -1;
            }
            state.answered = mail.number;
            state.answerSlot = slot;
        }
        SetEvent(state.doneEvent);
    }
}

// One command; for an add, the slot it took (-1 when the table is full).
int TChangeHandlerThread::RunCommand(State& state, const Mail& mail) {
    switch (mail.command) {
        case cmdAdd: {
            auto free = std::find(state.watches.begin(), state.watches.end(), INVALID_HANDLE_VALUE);
            if (free == state.watches.end()) {
                FindCloseChangeNotification(mail.change);
                return -1;
            }
            *free = mail.change;
            return static_cast<int>(free - state.watches.begin());
        }
        case cmdRemove:
            if (mail.slot >= 0 && mail.slot < kSlotCount)
                CloseSlot(state, mail.slot);
            break;
        case cmdRemoveAll:
            for (int slot = 0; slot < kSlotCount; ++slot)
                CloseSlot(state, slot);
            break;
        case cmdStop:
            break;
    }
    return -1;
}

void TChangeHandlerThread::CloseSlot(State& state, int slot) {
    HANDLE change = std::exchange(state.watches[slot], INVALID_HANDLE_VALUE);
    if (change != INVALID_HANDLE_VALUE)
        FindCloseChangeNotification(change);
}
