#include "shell/DeviceChangeHandler.h"

#include <utility>
#include <vector>

#include "ShellTestSupport.h"
#include "framework/Application.h"
#include "platform/DeviceChanges.h"
#include "platform/Drives.h"
#include "shell/ShellEnv.h"

namespace {

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

// Subscribed for the length of a scope, so a failing test leaves nothing behind.
class Subscription {
  public:
    explicit Subscription(TRzDeviceChangeHandler::Method method) : method_(std::move(method)) {
        TRzDeviceChangeHandler::Get()->Subscribe(method_);
    }
    ~Subscription() { TRzDeviceChangeHandler::Get()->Unsubscribe(method_); }

  private:
    TRzDeviceChangeHandler::Method method_;
};

class DeviceChangeHandlerTest : public ShellTest {
  protected:
    TestMountTable table;
};

TEST_F(DeviceChangeHandlerTest, RelaysArrivalAndRemovalWhenTheMountTableChanges) {
    Listener listener;
    Subscription subscription({&listener, &Listener::DeviceChanged});

    table.Write(kStickMount);
    ASSERT_TRUE(PumpUntil([&] { return listener.events.size() == 1; }));
    EXPECT_EQ(listener.events[0], DBT_DEVICEARRIVAL);
    EXPECT_EQ(listener.senders[0], TRzDeviceChangeHandler::Get());

    table.Write("");
    ASSERT_TRUE(PumpUntil([&] { return listener.events.size() == 2; }));
    EXPECT_EQ(listener.events[1], DBT_DEVICEREMOVECOMPLETE);
}

TEST_F(DeviceChangeHandlerTest, SubscribersRunInOrder_UnsubscribeMatchesObjectAndMethod) {
    TRzDeviceChangeHandler* handler = TRzDeviceChangeHandler::Get();
    Listener first, second, stranger;
    std::vector<const Listener*> order;
    first.order = second.order = &order;
    Subscription one({&first, &Listener::DeviceChanged});
    Subscription two({&second, &Listener::DeviceChanged});
    Subscription other({&first, &Listener::Other});

    PostMessage(handler->Handle(), WM_DEVICECHANGE, DBT_DEVICEARRIVAL, 0);
    ASSERT_TRUE(PumpUntil([&] { return second.events.size() == 1; }));
    EXPECT_EQ(order, (std::vector<const Listener*>{&first, &second}));
    EXPECT_EQ(first.others, 1);

    // Same object, other method: only that subscription goes. Same method,
    // another object that never subscribed: nothing goes.
    handler->Unsubscribe({&first, &Listener::Other});
    handler->Unsubscribe({&stranger, &Listener::DeviceChanged});
    PostMessage(handler->Handle(), WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE, 0);
    ASSERT_TRUE(PumpUntil([&] { return second.events.size() == 2; }));
    EXPECT_EQ(first.events.size(), 2u);
    EXPECT_EQ(first.others, 1);
    EXPECT_EQ(second.events[1], DBT_DEVICEREMOVECOMPLETE);
}

// A subscriber that unsubscribes another one while being called.
struct Remover {
    void DeviceChanged(TRzDeviceChangeHandler* sender, TMessage&) {
        sender->Unsubscribe({victim, &Listener::DeviceChanged});
    }
    Listener* victim;
};

TEST_F(DeviceChangeHandlerTest, SubscriberRemovedDuringRelay_IsNotCalled) {
    Listener victim, witness;
    Remover remover{&victim};
    Subscription first({&remover, &Remover::DeviceChanged});
    Subscription second({&victim, &Listener::DeviceChanged});
    Subscription third({&witness, &Listener::DeviceChanged});
    PostMessage(TRzDeviceChangeHandler::Get()->Handle(), WM_DEVICECHANGE, DBT_DEVICEARRIVAL, 0);
    ASSERT_TRUE(PumpUntil([&] { return witness.events.size() == 1; }));
    EXPECT_TRUE(victim.events.empty());
}

}  // namespace
