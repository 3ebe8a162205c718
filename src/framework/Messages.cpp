#include "framework/Messages.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QTimerEvent>
#include <atomic>
#include <map>
#include <unordered_map>
#include <utility>

#if defined(__SANITIZE_THREAD__)
#include <sanitizer/tsan_interface.h>
#endif

namespace {

// Qt's event queue hands a posted message from the posting thread to the
// user-interface thread under locks that the thread sanitizer cannot see (Qt
// is not built with it); these two tell it of that hand-over.
#if defined(__SANITIZE_THREAD__)
void HandOver(QEvent* event) {
    __tsan_release(event);
}
void TakeOver(QEvent* event) {
    __tsan_acquire(event);
}
#else
void HandOver(QEvent*) {}
void TakeOver(QEvent*) {}
#endif

const QEvent::Type kPostedMessageEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

struct PostedMessageEvent : QEvent {
    PostedMessageEvent(WindowHandle target, const TMessage& message)
        : QEvent(kPostedMessageEvent), target(target), message(message) {}
    WindowHandle target;
    TMessage message;
};

}  // namespace

// Lives on the user-interface thread; routes posted messages and timer ticks to
// the window their handle names, if it still exists.
class MessageDispatcher : public QObject {
  public:
    static MessageDispatcher* Instance() {
        if (instance_ == nullptr && QCoreApplication::instance() != nullptr)
            instance_ = new MessageDispatcher();
        return instance_;
    }
    static MessageDispatcher* InstanceIfAny() { return instance_.load(); }

    WindowHandle Register(MessageWindow* window) {
        WindowHandle handle = ++lastHandle_;
        windows_[handle] = window;
        return handle;
    }

    void Unregister(WindowHandle handle) {
        windows_.erase(handle);
        for (auto it = timers_.begin(); it != timers_.end();) {
            if (it->second.first == handle) {
                killTimer(it->first);
                it = timers_.erase(it);
            } else {
                ++it;
            }
        }
    }

    void SetTimer(WindowHandle handle, std::uintptr_t id, int milliseconds) {
        KillTimer(handle, id);
        int qtId = startTimer(milliseconds, Qt::PreciseTimer);
        if (qtId != 0)
            timers_[qtId] = {handle, id};
    }

    void KillTimer(WindowHandle handle, std::uintptr_t id) {
        int qtId = FindTimer(handle, id);
        if (qtId == 0)
            return;
        killTimer(qtId);
        timers_.erase(qtId);
    }

    int FindTimer(WindowHandle handle, std::uintptr_t id) const {
        for (const auto& [qtId, owner] : timers_)
            if (owner == std::make_pair(handle, id))
                return qtId;
        return 0;
    }

    void Deliver(WindowHandle target, TMessage& message) {
        auto it = windows_.find(target);
        if (it != windows_.end())
            it->second->handler_(message);
    }

  protected:
    bool event(QEvent* e) override {
        TakeOver(e);
        if (e->type() != kPostedMessageEvent)
            return QObject::event(e);
        auto* posted = static_cast<PostedMessageEvent*>(e);
        Deliver(posted->target, posted->message);
        return true;
    }

    void timerEvent(QTimerEvent* e) override {
        auto it = timers_.find(e->timerId());
        if (it == timers_.end())
            return;
        TMessage tick{WM_TIMER, it->second.second, 0, 0};
        Deliver(it->second.first, tick);
    }

  private:
    MessageDispatcher() : QObject(QCoreApplication::instance()) {
        connect(this, &QObject::destroyed, [] { instance_ = nullptr; });
    }

    static inline std::atomic<MessageDispatcher*> instance_{nullptr};
    WindowHandle lastHandle_ = 0;
    std::unordered_map<WindowHandle, MessageWindow*> windows_;
    std::map<int, std::pair<WindowHandle, std::uintptr_t>> timers_;
};

MessageWindow::MessageWindow(Handler handler) : handler_(std::move(handler)), handle_(0) {
    if (MessageDispatcher* dispatcher = MessageDispatcher::Instance())
        handle_ = dispatcher->Register(this);
}

MessageWindow::~MessageWindow() {
    if (MessageDispatcher* dispatcher = MessageDispatcher::InstanceIfAny())
        dispatcher->Unregister(handle_);
}

std::intptr_t MessageWindow::Perform(std::uint32_t msg, std::uintptr_t wParam,
                                     std::intptr_t lParam) {
    TMessage message{msg, wParam, lParam, 0};
    handler_(message);
    return message.Result;
}

void MessageWindow::SetTimer(std::uintptr_t id, int milliseconds) {
    if (MessageDispatcher* dispatcher = MessageDispatcher::InstanceIfAny())
        dispatcher->SetTimer(handle_, id, milliseconds);
}

void MessageWindow::KillTimer(std::uintptr_t id) {
    if (MessageDispatcher* dispatcher = MessageDispatcher::InstanceIfAny())
        dispatcher->KillTimer(handle_, id);
}

bool MessageWindow::HasTimer(std::uintptr_t id) const {
    MessageDispatcher* dispatcher = MessageDispatcher::InstanceIfAny();
    return dispatcher != nullptr && dispatcher->FindTimer(handle_, id) != 0;
}

bool PostMessage(WindowHandle window, std::uint32_t msg, std::uintptr_t wParam,
                 std::intptr_t lParam) {
    MessageDispatcher* dispatcher = MessageDispatcher::InstanceIfAny();
    if (window == 0 || dispatcher == nullptr)
        return false;
    auto* event = new PostedMessageEvent(window, TMessage{msg, wParam, lParam, 0});
    HandOver(event);
    QCoreApplication::postEvent(dispatcher, event);
    return true;
}

void DeliverPostedMessages() {
    if (MessageDispatcher* dispatcher = MessageDispatcher::InstanceIfAny())
        QCoreApplication::sendPostedEvents(dispatcher, kPostedMessageEvent);
}

void ProcessPendingMessages() {
    DeliverPostedMessages();
    if (QCoreApplication::instance() != nullptr)
        QCoreApplication::processEvents();
}
