#include "shell/DeviceChangeHandler.h"

#include <vector>

#include "../support/TempDir.h"
#include "ShellTestSupport.h"
#include "framework/Application.h"
#include "platform/DeviceChanges.h"
#include "platform/Drives.h"
#include "shell/ShellEnv.h"

namespace {

const char* const kRootMount = "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n";
const char* const kStickMount =
    "40 22 8:17 / /media/stick rw,relatime shared:9 - vfat /dev/sdb1 rw\n";

// A component that records what the handler relays to it.
struct Listener {
    void DeviceChanged(TRzDeviceChangeHandler* sender, TMessage& message) {
        senders.push_back(sender);
        if (order != nullptr)
            order->push_back(this);
        events.push_back(message.WParam);
        EXPECT_EQ(message.Msg, TRzDeviceChangeHandler::kRelayMessage);
    }
    void Other(TRzDeviceChangeHandler*, TMessage&) { ++others; }

    std::vector<TRzDeviceChangeHandler*> senders;
    std::vector<std::uintptr_t> events;
    int others = 0;
    std::vector<const Listener*>* order = nullptr;
};

class DeviceChangeHandlerTest : public ShellTest {
  protected:
    DeviceChangeHandlerTest() {
        WriteFileBytes(table, kRootMount);
        SetMountTablePath(table);
    }
    ~DeviceChangeHandlerTest() override { SetMountTablePath(""); }

    TempDir dir;
    std::string table = dir.File("mountinfo");
};

TEST_F(DeviceChangeHandlerTest, OneHandlerPerProcess) {
    TRzDeviceChangeHandler* handler = TRzDeviceChangeHandler::Get();
    EXPECT_EQ(TRzDeviceChangeHandler::Get(), handler);
    EXPECT_EQ(ShellEnv.DeviceChangeHandler, handler);
}

TEST_F(DeviceChangeHandlerTest, RelaysArrivalAndRemovalWhenTheMountTableChanges) {
    TRzDeviceChangeHandler* handler = TRzDeviceChangeHandler::Get();
    Listener listener;
    TRzDeviceChangeHandler::Method method(&listener, &Listener::DeviceChanged);
    handler->Subscribe(method);

    WriteFileBytes(table, std::string(kRootMount) + kStickMount);
    ASSERT_TRUE(PumpUntil([&] { return listener.events.size() == 1; }));
    EXPECT_EQ(listener.events[0], DBT_DEVICEARRIVAL);
    EXPECT_EQ(listener.senders[0], handler);

    WriteFileBytes(table, kRootMount);
    ASSERT_TRUE(PumpUntil([&] { return listener.events.size() == 2; }));
    EXPECT_EQ(listener.events[1], DBT_DEVICEREMOVECOMPLETE);
    handler->Unsubscribe(method);
}

TEST_F(DeviceChangeHandlerTest, SubscribersRunLaterInOrder_UnsubscribeMatchesObjectAndMethod) {
    TRzDeviceChangeHandler* handler = TRzDeviceChangeHandler::Get();
    Listener first, second;
    std::vector<const Listener*> order;
    first.order = second.order = &order;
    handler->Subscribe({&first, &Listener::DeviceChanged});
    handler->Subscribe({&second, &Listener::DeviceChanged});
    handler->Subscribe({&first, &Listener::Other});

    PostMessage(handler->Handle(), WM_DEVICECHANGE, DBT_DEVICEARRIVAL, 0);
    ASSERT_TRUE(PumpUntil([&] { return second.events.size() == 1; }));
    EXPECT_EQ(order, (std::vector<const Listener*>{&first, &second}));
    EXPECT_EQ(first.others, 1);

    // Same object, other method: only that subscription goes.
    handler->Unsubscribe({&first, &Listener::Other});
    // Same method, other object that never subscribed: nothing goes.
    Listener stranger;
    handler->Unsubscribe({&stranger, &Listener::DeviceChanged});
    PostMessage(handler->Handle(), WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE, 0);
    ASSERT_TRUE(PumpUntil([&] { return second.events.size() == 2; }));
    EXPECT_EQ(first.events.size(), 2u);
    EXPECT_EQ(first.others, 1);

    handler->Unsubscribe({&first, &Listener::DeviceChanged});
    handler->Unsubscribe({&second, &Listener::DeviceChanged});
    PostMessage(handler->Handle(), WM_DEVICECHANGE, DBT_DEVICEARRIVAL, 0);
    Application->ProcessMessages();
    Application->ProcessMessages();
    EXPECT_EQ(first.events.size(), 2u);
    EXPECT_EQ(second.events.size(), 2u);
}

// A subscriber that unsubscribes another one while being called.
struct Remover {
    void DeviceChanged(TRzDeviceChangeHandler* sender, TMessage&) {
        sender->Unsubscribe({victim, &Listener::DeviceChanged});
    }
    Listener* victim;
};

TEST_F(DeviceChangeHandlerTest, SubscriberRemovedDuringRelay_IsNotCalled) {
    TRzDeviceChangeHandler* handler = TRzDeviceChangeHandler::Get();
    Listener victim, witness;
    Remover remover{&victim};
    handler->Subscribe({&remover, &Remover::DeviceChanged});
    handler->Subscribe({&victim, &Listener::DeviceChanged});
    handler->Subscribe({&witness, &Listener::DeviceChanged});
    PostMessage(handler->Handle(), WM_DEVICECHANGE, DBT_DEVICEARRIVAL, 0);
    ASSERT_TRUE(PumpUntil([&] { return witness.events.size() == 1; }));
    EXPECT_TRUE(victim.events.empty());
    handler->Unsubscribe({&remover, &Remover::DeviceChanged});
    handler->Unsubscribe({&witness, &Listener::DeviceChanged});
}

}  // namespace
