#pragma once

#include <cstdint>
#include <functional>

// Window messages. Controls, worker threads and timers talk to a control by
// posting a small message to its window handle; the message is handled later on
// the user-interface thread, in the order it was posted. A handle outlives its
// window: a message posted to a window that no longer exists is dropped.
//
// A MessageWindow is the receiving end (what a window handle names). It must be
// created, used and destroyed on the user-interface thread, after the
// QCoreApplication exists. PostMessage may be called from any thread.

using WindowHandle = std::uint32_t;  // 0 names no window

struct TMessage {
    std::uint32_t Msg = 0;
    std::uintptr_t WParam = 0;
    std::intptr_t LParam = 0;
    std::intptr_t Result = 0;
};

constexpr std::uint32_t WM_TIMER = 0x0113;
constexpr std::uint32_t WM_USER = 0x0400;

class MessageWindow {
  public:
    using Handler = std::function<void(TMessage&)>;

    explicit MessageWindow(Handler handler);
    ~MessageWindow();
    MessageWindow(const MessageWindow&) = delete;
    MessageWindow& operator=(const MessageWindow&) = delete;

    WindowHandle Handle() const { return handle_; }

    // Handles the message at once, on the caller's thread, and returns its Result.
    std::intptr_t Perform(std::uint32_t msg, std::uintptr_t wParam = 0, std::intptr_t lParam = 0);

    // A window-message timer: WM_TIMER with WParam = id arrives every
    // `milliseconds` until KillTimer. Setting an existing id restarts it.
    void SetTimer(std::uintptr_t id, int milliseconds);
    void KillTimer(std::uintptr_t id);
    bool HasTimer(std::uintptr_t id) const;

  private:
    friend class MessageDispatcher;
    Handler handler_;
    WindowHandle handle_;
};

// Queues the message for the window; thread-safe. Returns false when there is
// no event loop to carry it (no QCoreApplication) or the handle is 0.
bool PostMessage(WindowHandle window, std::uint32_t msg, std::uintptr_t wParam = 0,
                 std::intptr_t lParam = 0);

// Delivers every message posted so far (the message-pump step's core).
void DeliverPostedMessages();

// The message-pump step: delivers every posted message, then handles the
// pending Qt events once when there is an event loop, and returns.
void ProcessPendingMessages();
