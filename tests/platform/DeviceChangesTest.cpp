#include "platform/DeviceChanges.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <vector>

#include "PlatformTest.h"
#include "platform/Drives.h"

namespace {

const char* const kRootOnly = "21 1 0:20 / / rw - overlay overlay rw\n";
const char* const kUsbLine = "26 21 8:17 / /media/usb rw - vfat /dev/sdb1 rw\n";
const char* const kNasLine = "28 21 0:40 / /mnt/nas rw - nfs4 server:/export rw\n";

class DeviceChangesTest : public PlatformTest {
  protected:
    void SetUp() override {
        PlatformTest::SetUp();
        UseMountTable(kRootOnly);
    }

    // A window that records the device events it is sent.
    struct Listener {
        Listener()
            : window([this](TMessage& message) {
                  if (message.Msg == WM_DEVICECHANGE)
                      events.push_back(message.WParam);
              }) {
            RegisterDeviceChangeWindow(&window);
        }
        ~Listener() { UnregisterDeviceChangeWindow(&window); }
        // Lets the table watch run until something arrives (5 s at most).
        void WaitForEvents() {
            QElapsedTimer clock;
            clock.start();
            while (events.empty() && clock.elapsed() < 5000)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        }
        std::vector<std::uintptr_t> events;
        MessageWindow window;
    };
};

TEST_F(DeviceChangesTest, CheckMountTable_SendsArrivalAndRemoval) {
    Listener listener;
    EXPECT_EQ(CheckMountTableNow(), 0);
    WriteFileBytes(MountTable(), std::string(kRootOnly) + kUsbLine + kNasLine);
    EXPECT_EQ(CheckMountTableNow(), 2);
    WriteFileBytes(MountTable(), std::string(kRootOnly) + kNasLine);
    EXPECT_EQ(CheckMountTableNow(), 1);
    EXPECT_EQ(listener.events, (std::vector<std::uintptr_t>{DBT_DEVICEARRIVAL, DBT_DEVICEARRIVAL,
                                                            DBT_DEVICEREMOVECOMPLETE}));
}

TEST_F(DeviceChangesTest, TableWatch_NoticesTheTestsTableChanging) {
    Listener listener;
    WriteFileBytes(MountTable(), std::string(kRootOnly) + kUsbLine);
    listener.WaitForEvents();
    EXPECT_EQ(listener.events, (std::vector<std::uintptr_t>{DBT_DEVICEARRIVAL}));
}

TEST_F(DeviceChangesTest, NewTablePath_IsWatchedFromThenOn) {
    Listener listener;
    std::string second = root_.File("second-mountinfo");
    WriteFileBytes(second, std::string(kRootOnly) + kNasLine);
    SetMountTablePath(second);
    EXPECT_EQ(CheckMountTableNow(), 0);  // switching tables sends nothing
    WriteFileBytes(second, kRootOnly);
    listener.WaitForEvents();
    EXPECT_EQ(listener.events, (std::vector<std::uintptr_t>{DBT_DEVICEREMOVECOMPLETE}));
}

TEST_F(DeviceChangesTest, UnregisteredWindow_HearsNothing) {
    std::vector<std::uintptr_t> events;
    { Listener gone; }
    Listener listener;
    UnregisterDeviceChangeWindow(&listener.window);
    WriteFileBytes(MountTable(), std::string(kRootOnly) + kUsbLine);
    CheckMountTableNow();
    EXPECT_TRUE(listener.events.empty());
}

}  // namespace
