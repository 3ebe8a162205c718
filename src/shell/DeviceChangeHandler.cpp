#include "shell/DeviceChangeHandler.h"

#include <algorithm>

#include "platform/DeviceChanges.h"
#include "shell/ShellEnv.h"

TRzDeviceChangeHandler* TRzDeviceChangeHandler::Get() {
    if (ShellEnv.DeviceChangeHandler == nullptr)
        ShellEnv.DeviceChangeHandler = new TRzDeviceChangeHandler();
    return ShellEnv.DeviceChangeHandler;
}

TRzDeviceChangeHandler::TRzDeviceChangeHandler()
    : window_([this](TMessage& message) { WindowProc(message); }) {
    RegisterDeviceChangeWindow(&window_);
}

TRzDeviceChangeHandler::~TRzDeviceChangeHandler() {
    UnregisterDeviceChangeWindow(&window_);
}

void TRzDeviceChangeHandler::Unsubscribe(const Method& method) {
    auto it = std::find(subscribers_.begin(), subscribers_.end(), method);
    if (it != subscribers_.end())
        subscribers_.erase(it);
}

void TRzDeviceChangeHandler::WindowProc(TMessage& message) {
    if (message.Msg == WM_DEVICECHANGE) {
        PostMessage(window_.Handle(), kRelayMessage, message.WParam, message.LParam);
    } else if (message.Msg == kRelayMessage) {
        // A subscriber may unsubscribe itself or others while being called:
        // call only those still subscribed.
        std::vector<Method> subscribers = subscribers_;
        for (const Method& subscriber : subscribers)
            if (std::find(subscribers_.begin(), subscribers_.end(), subscriber) !=
                subscribers_.end())
                subscriber(this, message);
    }
}
