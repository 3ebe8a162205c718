#pragma once

#include <functional>

// The common root of everything that raises events: controls, components and
// the byte document. An event handler is told its sender as a TObject and casts
// it back when it needs the concrete class.
class TObject {
  public:
    virtual ~TObject() = default;
};

// The plain "something happened" event, one type program-wide.
using TNotifyEvent = std::function<void(TObject* sender)>;

// Runs a handler, if set, from a copy: a handler may free its sender and with
// it the event that holds the handler (a button that closes its form).
inline void CallEvent(const TNotifyEvent& event, TObject* sender) {
    if (event) {
        TNotifyEvent handler = event;
        handler(sender);
    }
}
