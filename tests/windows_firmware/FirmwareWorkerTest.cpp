// The firmware windows' worker: it holds the program's busy state while it runs, runs one at a time, and
// is stopped and joined by its owner instead of outliving it.
#include "windows/FirmwareUpload.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

TEST(FirmwareWorker, HoldsTheBusyStateAndIsJoinedByItsOwner) {
    EXPECT_FALSE(FirmwareUpdateBusy());
    std::atomic<bool> sawStop{false};
    {
        FirmwareWorker worker;
        ASSERT_TRUE(worker.Start([&](const std::atomic<bool>& stop) {
            while (!stop) std::this_thread::yield();
            sawStop = stop.load();
        }));
        EXPECT_TRUE(worker.IsRunning());
        EXPECT_TRUE(FirmwareUpdateBusy());
        EXPECT_FALSE(worker.Start([](const std::atomic<bool>&) {}));  // one at a time
    }  // the owner goes: the work is stopped and joined, not left running
    EXPECT_TRUE(sawStop);
    EXPECT_FALSE(FirmwareUpdateBusy());
    FirmwareBusyHold hold;
    EXPECT_TRUE(FirmwareUpdateBusy());
    hold.Release();
    hold.Release();
    EXPECT_FALSE(FirmwareUpdateBusy());
}

}  // namespace
