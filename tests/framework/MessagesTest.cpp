#include "framework/Messages.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTest>
#include <memory>
#include <thread>
#include <vector>

namespace {

struct Recorder {
    std::vector<TMessage> received;
    MessageWindow window{[this](TMessage& m) {
        received.push_back(m);
        m.Result = 7;
    }};
};

}  // namespace

TEST(Messages, PostedMessagesArriveLaterInOrder) {
    Recorder r;
    ASSERT_NE(r.window.Handle(), 0u);
    EXPECT_TRUE(PostMessage(r.window.Handle(), WM_USER + 1, 10, 20));
    EXPECT_TRUE(PostMessage(r.window.Handle(), WM_USER + 2));
    EXPECT_TRUE(r.received.empty());
    DeliverPostedMessages();
    ASSERT_EQ(r.received.size(), 2u);
    EXPECT_EQ(r.received[0].Msg, WM_USER + 1);
    EXPECT_EQ(r.received[0].WParam, 10u);
    EXPECT_EQ(r.received[0].LParam, 20);
    EXPECT_EQ(r.received[1].Msg, WM_USER + 2);
}

TEST(Messages, PerformHandlesAtOnceAndReturnsResult) {
    Recorder r;
    EXPECT_EQ(r.window.Perform(WM_USER, 1, 2), 7);
    EXPECT_EQ(r.received.size(), 1u);
}

TEST(Messages, MessageToDestroyedWindowIsDropped) {
    auto r = std::make_unique<Recorder>();
    WindowHandle handle = r->window.Handle();
    PostMessage(handle, WM_USER);
    r.reset();
    Recorder other;  // a new window never inherits the old handle
    EXPECT_NE(other.window.Handle(), handle);
    DeliverPostedMessages();
    EXPECT_TRUE(other.received.empty());
}

TEST(Messages, PostFromAnotherThreadArrivesOnThisOne) {
    Recorder r;
    std::thread worker([h = r.window.Handle()] {
        for (int i = 0; i < 100; ++i)
            PostMessage(h, WM_USER, static_cast<std::uintptr_t>(i));
    });
    worker.join();
    DeliverPostedMessages();
    ASSERT_EQ(r.received.size(), 100u);
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(r.received[i].WParam, static_cast<std::uintptr_t>(i));
}

TEST(Messages, NoHandleMeansNoPost) {
    EXPECT_FALSE(PostMessage(0, WM_USER));
}

TEST(Messages, TimerTicksUntilKilled) {
    Recorder r;
    r.window.SetTimer(5, 10);
    EXPECT_TRUE(r.window.HasTimer(5));
    QElapsedTimer clock;
    clock.start();
    while (r.received.size() < 2 && clock.elapsed() < 5000)
        QTest::qWait(5);
    ASSERT_GE(r.received.size(), 2u);
    EXPECT_EQ(r.received[0].Msg, WM_TIMER);
    EXPECT_EQ(r.received[0].WParam, 5u);
    r.window.KillTimer(5);
    EXPECT_FALSE(r.window.HasTimer(5));
    size_t ticks = r.received.size();
    QTest::qWait(40);
    EXPECT_EQ(r.received.size(), ticks);
}

TEST(Messages, DestroyingWindowStopsItsTimers) {
    auto r = std::make_unique<Recorder>();
    r->window.SetTimer(1, 1);
    r.reset();
    QTest::qWait(20);  // would crash or touch freed memory if a tick were delivered
    SUCCEED();
}
