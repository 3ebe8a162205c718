#include "shell/ChangeHandlerThread.h"

#include <cerrno>
#include <chrono>
#include <utility>

#include "framework/Messages.h"
#include "shell/ShellError.h"

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
    state_->command = cmdStop;
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
    HANDLE pending = state_->pending.exchange(INVALID_HANDLE_VALUE);
    if (pending != INVALID_HANDLE_VALUE)
        FindCloseChangeNotification(pending);
}

bool TChangeHandlerThread::Watch(const std::string& path, DWORD filter, bool subtree, int& slot) {
    if (path.empty())
        return false;
    HANDLE change = FindFirstChangeNotificationA(path, subtree, filter);
    if (change == INVALID_HANDLE_VALUE)
        return false;
    // A handle an earlier, timed-out add left behind was never taken.
    HANDLE untaken = state_->pending.exchange(change);
    if (untaken != INVALID_HANDLE_VALUE)
        FindCloseChangeNotification(untaken);
    if (!Send(cmdAdd))
        return false;
    slot = state_->resultIndex;
    return slot != -1;
}

void TChangeHandlerThread::Unwatch(int slot) {
    state_->removeIndex = slot;
    Send(cmdRemove);
}

void TChangeHandlerThread::UnwatchAll() {
    Send(cmdRemoveAll);
}

bool TChangeHandlerThread::Send(Command command) {
    state_->command = command;
    ResetEvent(state_->doneEvent);
    SetEvent(state_->commandEvent);
    return WaitForSingleObject(state_->doneEvent, kCommandTimeoutMs) == WAIT_OBJECT_0;
}

// The thread's loop: wait for the command event or any watched folder, then
// handle what woke it.
void TChangeHandlerThread::Run(std::shared_ptr<State> state) {
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
        DWORD result = WaitForMultipleObjects(count, waits, false, INFINITE);
        if (result == WAIT_OBJECT_0) {
            if (!RunCommand(*state))
                break;
            SetEvent(state->doneEvent);
        } else if (result > WAIT_OBJECT_0 && result < WAIT_OBJECT_0 + count) {
            int slot = slotOf[result - WAIT_OBJECT_0];
            if (state->window != 0)
                PostMessage(state->window, state->message, static_cast<std::uintptr_t>(slot), 0);
            if (!FindNextChangeNotification(state->watches[slot]))
                CloseSlot(*state, slot);
        } else if (result > WAIT_ABANDONED_0 && result < WAIT_ABANDONED_0 + count) {
            CloseSlot(*state, slotOf[result - WAIT_ABANDONED_0]);
        }
    }
    state->ended.set_value();
}

// Runs the command the user-interface thread handed over; false for stop.
bool TChangeHandlerThread::RunCommand(State& state) {
    switch (state.command.load()) {
        case cmdAdd: {
            HANDLE change = state.pending.exchange(INVALID_HANDLE_VALUE);
            int free = -1;
            for (int slot = 0; slot < kSlotCount && free == -1 && change != INVALID_HANDLE_VALUE;
                 ++slot)
                if (state.watches[slot] == INVALID_HANDLE_VALUE)
                    free = slot;
            if (free != -1)
                state.watches[free] = change;
            else if (change != INVALID_HANDLE_VALUE)
                FindCloseChangeNotification(change);
            state.resultIndex = free;
            return true;
        }
        case cmdRemove: {
            int slot = state.removeIndex;
            if (slot >= 0 && slot < kSlotCount)
                CloseSlot(state, slot);
            return true;
        }
        case cmdRemoveAll:
            for (int slot = 0; slot < kSlotCount; ++slot)
                CloseSlot(state, slot);
            return true;
        case cmdStop:
            return false;
    }
    return true;
}

void TChangeHandlerThread::CloseSlot(State& state, int slot) {
    HANDLE change = std::exchange(state.watches[slot], INVALID_HANDLE_VALUE);
    if (change != INVALID_HANDLE_VALUE)
        FindCloseChangeNotification(change);
}
