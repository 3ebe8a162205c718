#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <functional>
#include <typeinfo>
#include <vector>

#include "framework/Messages.h"

// Relays device arrival and removal to the components that subscribed. One
// handler per process (ShellEnv owns it), made on first use. Its hidden window
// receives the system's WM_DEVICECHANGE and re-posts it to itself as message
// 1124, so that subscribers run after the system's broadcast has returned; then
// every subscriber is called in subscription order with the handler and the
// message. Subscribers pick the events they handle by WParam. Runs on the
// user-interface thread only.
class TRzDeviceChangeHandler {
  public:
    static constexpr std::uint32_t kRelayMessage = WM_USER + 100;

    // A method bound to its object, compared by object and method.
    class Method {
      public:
        template <class T>
        Method(T* object, void (T::*method)(TRzDeviceChangeHandler* sender, TMessage& message))
            : object_(object),
              type_(&typeid(method)),
              call_([object, method](auto* s, auto& m) { (object->*method)(s, m); }) {
            static_assert(sizeof(method) <= sizeof(code_));
            std::memcpy(code_.data(), &method, sizeof(method));
        }
        bool operator==(const Method& other) const {
            return object_ == other.object_ && *type_ == *other.type_ && code_ == other.code_;
        }
        void operator()(TRzDeviceChangeHandler* sender, TMessage& message) const {
            call_(sender, message);
        }

      private:
        const void* object_;
        const std::type_info* type_;
        std::array<unsigned char, 2 * sizeof(void*)> code_{};
        std::function<void(TRzDeviceChangeHandler*, TMessage&)> call_;
    };

    // The process's handler, made on the first call.
    static TRzDeviceChangeHandler* Get();

    TRzDeviceChangeHandler();
    ~TRzDeviceChangeHandler();
    TRzDeviceChangeHandler(const TRzDeviceChangeHandler&) = delete;
    TRzDeviceChangeHandler& operator=(const TRzDeviceChangeHandler&) = delete;

    void Subscribe(const Method& method) { subscribers_.push_back(method); }
    // Removes the first subscription of this method on this object.
    void Unsubscribe(const Method& method);

    WindowHandle Handle() const { return window_.Handle(); }

  private:
    void WindowProc(TMessage& message);

    MessageWindow window_;
    std::vector<Method> subscribers_;
};
