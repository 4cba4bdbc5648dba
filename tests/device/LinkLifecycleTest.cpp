// The link's life: opening and closing, the send queue and its worker (off, on, drain, destroy, several
// producers, waiting without polling), the write-busy time-out, closing during a read, atomic exchanges,
// the handshake result and reply batches.
#include "device/DeviceMessages.h"
#include "device/DeviceTestSupport.h"
#include "device/HidApiBackend.h"

#include <gtest/gtest.h>
#include <tlhelp32.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <set>
#include <thread>

namespace {

Bytes Ack(uint8_t sub) { return ReplyBytes(1, {sub, 0xEE, 0x0A}); }

class LinkLifecycle : public ::testing::Test {
protected:
    FakeClock clock;
    ScriptedHid hid{clock};
    CapturingPoster poster;

    std::unique_ptr<DeviceLink> NewLink() {
        auto link = std::make_unique<DeviceLink>(DeviceLinkSeams{&hid, &clock, &poster});
        link->SetDeviceProfile(94, 10, 10, 0, 0);
        for (int slot = 0; slot < DeviceLink::kReplyWindows; ++slot) link->mReplyWnd[slot] = TestWindow(slot);
        return link;
    }
    // Payload byte 0 of every mute frame written, in order.
    std::vector<uint8_t> MutesWritten() {
        std::vector<uint8_t> values;
        for (const auto& w : hid.Writes()) {
            if (w.cmd() == 1 && w.sub() == 0x04) values.push_back(w.payload()[0]);
        }
        return values;
    }
};

TEST_F(LinkLifecycle, OpenNeedsTwoReadableDeviceStrings) {
    auto link = NewLink();
    hid.failingStrings = 2;
    link->OpenHIDDevice();
    EXPECT_TRUE(link->IsConnected());
    link->CloseHIDDevice(false);

    hid.failingStrings = 3;
    link->OpenHIDDevice();
    EXPECT_FALSE(link->IsConnected());
    EXPECT_EQ(2, hid.closes) << "the half-open device is closed again";

    hid.failingStrings = 0;
    hid.initResult = -1;
    link->OpenHIDDevice();
    EXPECT_FALSE(link->IsConnected());
    hid.initResult = 0;
    hid.openSucceeds = false;
    link->OpenHIDDevice();
    EXPECT_FALSE(link->IsConnected());
}

TEST_F(LinkLifecycle, OpenTwiceKeepsOneHandleAndCloseNotifiesOnce) {
    {
        auto link = NewLink();
        link->OpenHIDDevice();
        link->OpenHIDDevice();
        EXPECT_EQ(1, hid.opens);

        link->CloseHIDDevice(true);
        const auto writes = hid.Writes();
        ASSERT_EQ(1u, writes.size());
        EXPECT_EQ((Bytes{3, 0x1F, 0xBB}), Bytes(writes[0].report.begin() + 4, writes[0].report.begin() + 7));
        EXPECT_EQ(Bytes{0}, writes[0].payload());
        EXPECT_TRUE(hid.ReadTimeouts().empty()) << "the amplifier does not answer PC_Connect";
        EXPECT_FALSE(link->IsConnected());

        link->CloseHIDDevice(true);
        EXPECT_EQ(1u, hid.Writes().size());
        EXPECT_EQ(1, hid.closes);
        link->OpenHIDDevice();
    }
    EXPECT_EQ(2, hid.closes) << "the destructor closes an open device";
}

TEST_F(LinkLifecycle, QueueStartsOffAndDropsAsyncCommandsUntilEnabled) {
    auto link = NewLink();
    link->OpenHIDDevice();
    link->Mute_Ctrl(1, false);
    link->Get_Input_Noise(0, 5, false);
    EXPECT_TRUE(link->IsCmdQueueIdle());
    EXPECT_TRUE(hid.Writes().empty());

    link->Mute_Ctrl(2, true);
    EXPECT_EQ((std::vector<uint8_t>{2}), MutesWritten());

    link->EnableCmdQueue();
    link->Mute_Ctrl(3, false);
    ASSERT_TRUE(Eventually([&] { return link->IsCmdQueueIdle(); }));
    EXPECT_EQ((std::vector<uint8_t>{2, 3}), MutesWritten());
    EXPECT_EQ(10000, hid.ReplyWaits().back()) << "the worker reads the reply to each item";
}

TEST_F(LinkLifecycle, ItemsQueuedBeforeDisableAreStillSentAndTheQueueGrows) {
    auto link = NewLink();
    link->OpenHIDDevice();
    hid.SetBlockingReads(true);  // the worker waits in the read after its first item
    link->EnableCmdQueue();
    for (int i = 0; i < 300; ++i) link->Mute_Ctrl(static_cast<uint8_t>(i), false);
    link->DisableCmdQueue();
    link->Mute_Ctrl(0xEE, false);  // dropped
    hid.SetBlockingReads(false);
    ASSERT_TRUE(Eventually([&] { return link->IsCmdQueueIdle(); }));
    const auto mutes = MutesWritten();
    ASSERT_EQ(300u, mutes.size());
    for (int i = 0; i < 300; ++i) EXPECT_EQ(static_cast<uint8_t>(i), mutes[i]);
}

TEST_F(LinkLifecycle, DestroyingTheLinkSendsNothingStillQueued) {
    auto link = NewLink();
    link->OpenHIDDevice();
    hid.SetBlockingReads(true);
    link->EnableCmdQueue();
    link->Mute_Ctrl(1, false);
    ASSERT_TRUE(Eventually([&] { return hid.ReadsInProgress() == 1; }));
    for (int i = 0; i < 20; ++i) link->Mute_Ctrl(2, false);
    link.reset();  // closing ends the worker's read; the rest is dropped
    EXPECT_EQ((std::vector<uint8_t>{1}), MutesWritten());
}

// Threads of this process now alive.
int ProcessThreadCount() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return -1;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    int count = 0;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++count;
    }
    CloseHandle(snapshot);
    return count;
}

TEST_F(LinkLifecycle, ConstructAndDestroyAtOnceEndsEveryWorker) {
    const int threadsBefore = ProcessThreadCount();
    ASSERT_GT(threadsBefore, 0);
    // On a thread of its own, so that a destructor that hangs fails the test instead of stopping the run.
    std::atomic<int> destroyed{0};
    std::thread churn([&] {
        for (int i = 0; i < 100; ++i) {
            NewLink();
            ++destroyed;
        }
    });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (destroyed < 100 && std::chrono::steady_clock::now() < deadline) Sleep(1);
    ASSERT_EQ(100, destroyed.load()) << "a link destroyed at once hung in its destructor";
    churn.join();
    EXPECT_EQ(threadsBefore, ProcessThreadCount()) << "every worker thread ended with its link";
}

TEST_F(LinkLifecycle, AFailedWriteSkipsItsReadAndAFailedReadIsNotRetried) {
    auto link = NewLink();
    link->OpenHIDDevice();
    hid.failWrites = true;
    uint32_t start = clock.NowMs();
    link->Get_Main_Volume();
    EXPECT_TRUE(hid.ReplyWaits().empty()) << "a request that never went out has no reply to wait for";
    EXPECT_LT(clock.NowMs() - start, 10u);
    EXPECT_TRUE(link->IsLinkFailed());

    // Once failed, requests and queued items do not touch the device at all.
    const int readsBefore = hid.reads;
    hid.failWrites = false;
    link->Get_Mute();
    link->Mute_Ctrl(1, true);
    link->EnableCmdQueue();
    for (int i = 0; i < 50; ++i) link->Mute_Ctrl(1, false);
    ASSERT_TRUE(Eventually([&] { return link->IsCmdQueueIdle(); }));
    EXPECT_EQ(readsBefore, hid.reads.load());
    EXPECT_TRUE(MutesWritten().empty());
    EXPECT_LT(clock.NowMs() - start, 10u);

    // Opening again clears the failure; a read that fails ends at once, after one try.
    link->CloseHIDDevice(true);
    link->OpenHIDDevice();
    EXPECT_FALSE(link->IsLinkFailed());
    hid.onWrite = [&](const ScriptedHid::Written&) { hid.failReads = true; };  // gone right after the request
    start = clock.NowMs();
    link->Get_Main_Volume();
    EXPECT_EQ((std::vector<int>{10000}), hid.ReplyWaits());
    EXPECT_LT(clock.NowMs() - start, 10u) << "no retries until the reply time is spent";
    EXPECT_TRUE(link->IsLinkFailed());
    EXPECT_TRUE(poster.Posts().empty());
}

TEST_F(LinkLifecycle, OpeningFromTwoThreadsAtOnceOpensTheDeviceOnce) {
    auto link = NewLink();
    std::atomic<int> inside{0};
    hid.onOpen = [&] {
        ++inside;
        // Give a second opener every chance to arrive while this one is still opening.
        for (int i = 0; i < 300 && inside < 2; ++i) Sleep(1);
    };
    std::thread plugEvent([&] { link->OpenHIDDevice(); });
    std::thread upgradeReconnect([&] { link->OpenHIDDevice(); });
    plugEvent.join();
    upgradeReconnect.join();
    EXPECT_TRUE(link->IsConnected());
    EXPECT_EQ(1, inside.load());
    EXPECT_EQ(1, hid.opens);
    link.reset();
    EXPECT_EQ(1, hid.closes) << "no handle was left open behind the link's back";
}

TEST_F(LinkLifecycle, TheUiThreadNeverWaitsForTheDevice) {
    auto link = NewLink();
    link->OpenHIDDevice();
    link->SetUiThread(GetCurrentThreadId());
    int written = 0;  // the first request stays unanswered; the others are answered at once
    hid.onWrite = [&](const ScriptedHid::Written& w) {
        if (++written == 1) return;
        hid.QueueInput(w.sub() == 0x02 ? ReplyBytes(1, {0x02, 0xDD, 33}) : Ack(w.sub()));
    };
    hid.SetBlockingReads(true);  // the worker's exchange waits in its read until the test lets it go
    link->EnableCmdQueue();
    link->Mute_Ctrl(1, false);
    ASSERT_TRUE(Eventually([&] { return hid.ReadsInProgress() == 1; }));
    link->DisableCmdQueue();  // synchronous calls go out whether or not the queue is on

    // Lets the worker go after a while even if the calls below block, so a fault fails instead of hanging.
    std::atomic<bool> released{false};
    std::thread watchdog([&] {
        for (int i = 0; i < 2000 && !released; ++i) Sleep(1);
        hid.SetBlockingReads(false);
    });
    const auto start = std::chrono::steady_clock::now();
    link->Get_Main_Volume();
    link->Factory_Preset_Ctrl(2);
    link->Mute_Ctrl(3, true);
    const auto waited = std::chrono::steady_clock::now() - start;
    const auto writtenMeanwhile = hid.Writes().size();
    released = true;
    watchdog.join();
    EXPECT_LT(waited, std::chrono::milliseconds(200)) << "the UI thread waited behind the worker's exchange";
    EXPECT_EQ(1u, writtenMeanwhile);

    // The worker sends them in their order, each with its own reply wait, and reads their replies.
    ASSERT_TRUE(Eventually([&] { return link->IsCmdQueueIdle(); }));
    const auto writes = hid.Writes();
    ASSERT_EQ(4u, writes.size());
    EXPECT_EQ((Bytes{0x04, 0x02, 0x39, 0x04}), (Bytes{writes[0].sub(), writes[1].sub(), writes[2].sub(),
                                                     writes[3].sub()}));
    EXPECT_EQ(0x66, writes[1].optype());
    EXPECT_EQ((Bytes{3}), writes[3].payload());
    const auto waits = hid.ReplyWaits();
    EXPECT_EQ((std::vector<int>{10000, 10000, 1000, 10000}), std::vector<int>(waits.end() - 4, waits.end()));
    const auto volumes = poster.Of(WM_DSP_VALUE, 2);
    ASSERT_EQ(1u, volumes.size());
    EXPECT_EQ(33, volumes[0].lParam);
    EXPECT_NE(GetCurrentThreadId(), volumes[0].thread);
}

TEST_F(LinkLifecycle, SeveralProducersLoseAndDuplicateNothing) {
    auto link = NewLink();
    link->OpenHIDDevice();
    link->EnableCmdQueue();
    constexpr int kThreads = 4, kEach = 500;
    std::vector<std::thread> producers;
    for (int t = 0; t < kThreads; ++t) {
        producers.emplace_back([&, t] {
            for (int i = 0; i < kEach; ++i) {
                link->Set_Power_Off_Time(static_cast<uint16_t>(t * kEach + i), false);
            }
        });
    }
    for (auto& p : producers) p.join();
    ASSERT_TRUE(Eventually([&] { return link->IsCmdQueueIdle(); }));
    std::vector<int> lastOfThread(kThreads, -1);
    std::set<int> seen;
    for (const auto& w : hid.Writes()) {
        const Bytes p = w.payload();
        const int value = p[0] << 8 | p[1];
        EXPECT_TRUE(seen.insert(value).second) << "duplicate " << value;
        const int t = value / kEach;
        EXPECT_LT(lastOfThread[t], value) << "each producer's order is kept";
        lastOfThread[t] = value;
    }
    EXPECT_EQ(static_cast<size_t>(kThreads * kEach), seen.size());
}

TEST_F(LinkLifecycle, WriteBusyFlagTimesOutAfterTwoSecondsAndIsCleared) {
    auto link = NewLink();
    link->OpenHIDDevice();
    link->WRITE_ROPRT = 1;  // as if a writer had hung
    const uint32_t start = clock.NowMs();
    EXPECT_FALSE(link->SendCtrlCommand(1, 0x02, 0x66, nullptr, 0));
    EXPECT_GT(clock.NowMs() - start, 2000u);
    EXPECT_LT(clock.NowMs() - start, 2100u);
    EXPECT_EQ(0u, link->WRITE_ROPRT.load());
    EXPECT_TRUE(hid.Writes().empty());
    EXPECT_TRUE(link->SendCtrlCommand(1, 0x02, 0x66, nullptr, 0));

    link->CloseHIDDevice(false);
    const uint32_t closedAt = clock.NowMs();
    EXPECT_FALSE(link->SendCtrlCommand(1, 0x02, 0x66, nullptr, 0));
    EXPECT_EQ(closedAt, clock.NowMs()) << "a closed device fails at once";
}

TEST_F(LinkLifecycle, PingOnlyAfterFourHundredQuietMilliseconds) {
    auto link = NewLink();
    link->OpenHIDDevice();
    link->PC_Connect(1);
    clock.Advance(399);
    EXPECT_TRUE(link->PingMsg());
    EXPECT_EQ(1u, hid.Writes().size());
    clock.Advance(1);
    EXPECT_TRUE(link->PingMsg());
    ASSERT_EQ(2u, hid.Writes().size());
    EXPECT_EQ(0x93, hid.Writes()[1].sub());
    EXPECT_TRUE(hid.ReadTimeouts().empty()) << "the ping is not read after";
}

TEST_F(LinkLifecycle, ClosingDuringAReadWaitsForItAndEndsIt) {
    auto link = NewLink();
    link->OpenHIDDevice();
    hid.SetBlockingReads(true);
    std::thread reader([&] { link->Get_Main_Volume(); });
    ASSERT_TRUE(Eventually([&] { return hid.ReadsInProgress() == 1; }));
    link->CloseHIDDevice(false);
    EXPECT_EQ(0, hid.ReadsInProgress()) << "close returned only after the read had left";
    reader.join();
    EXPECT_FALSE(link->IsConnected());
    EXPECT_TRUE(poster.Posts().empty());
}

TEST_F(LinkLifecycle, EachExchangeReadsItsOwnReplyWhileTheWorkerRuns) {
    auto link = NewLink();
    link->OpenHIDDevice();
    uint8_t volume = 0;
    hid.onWrite = [&](const ScriptedHid::Written& w) {
        if (w.cmd() == 1 && w.sub() == 0x02 && w.optype() == 0x66) {
            hid.QueueReply(1, {0x02, 0xDD, ++volume});
        } else {
            hid.QueueInput(Ack(w.sub()));
        }
    };
    link->EnableCmdQueue();
    const DWORD caller = GetCurrentThreadId();
    std::thread producer([&] {
        for (int i = 0; i < 200; ++i) link->Mute_Ctrl(1, false);
    });
    for (int i = 0; i < 100; ++i) {
        link->Get_Main_Volume();
        const auto volumes = poster.Of(WM_DSP_VALUE, 2);
        ASSERT_EQ(static_cast<size_t>(i + 1), volumes.size()) << "the reply came within its own call";
        EXPECT_EQ(caller, volumes.back().thread);
    }
    producer.join();
    ASSERT_TRUE(Eventually([&] { return link->IsCmdQueueIdle(); }));
    EXPECT_EQ(200u, MutesWritten().size());
}

TEST_F(LinkLifecycle, ASyncCallWaitsForTheWorkersExchangeToEnd) {
    auto link = NewLink();
    link->OpenHIDDevice();
    std::mutex lock;
    std::condition_variable changed;
    bool muteWritten = false, volumeWritten = false;
    hid.onWrite = [&](const ScriptedHid::Written& w) {
        std::unique_lock<std::mutex> guard(lock);
        if (w.sub() == 0x04) {
            hid.QueueInput(Ack(0x04));
            muteWritten = true;
            changed.notify_all();
            // Give a sync call every chance to slip its request in between this write and its read.
            changed.wait_for(guard, std::chrono::milliseconds(200), [&] { return volumeWritten; });
        } else {
            hid.QueueReply(1, {0x02, 0xDD, 42});
            volumeWritten = true;
            changed.notify_all();
        }
    };
    link->EnableCmdQueue();
    for (int round = 0; round < 3; ++round) {
        {
            std::lock_guard<std::mutex> guard(lock);
            muteWritten = volumeWritten = false;
        }
        link->Mute_Ctrl(1, false);
        {
            std::unique_lock<std::mutex> guard(lock);
            ASSERT_TRUE(changed.wait_for(guard, std::chrono::seconds(20), [&] { return muteWritten; }));
        }
        link->Get_Main_Volume();
        const auto volumes = poster.Of(WM_DSP_VALUE, 2);
        ASSERT_EQ(static_cast<size_t>(round + 1), volumes.size());
        EXPECT_EQ(GetCurrentThreadId(), volumes.back().thread) << "the worker's read took the volume reply";
    }
}

TEST_F(LinkLifecycle, HandConnectSucceedsOnlyOnAHandshakeDecodedDuringTheCall) {
    auto link = NewLink();
    link->OpenHIDDevice();
    link->SetUiThread(GetCurrentThreadId());  // the answer is wanted, so it is never handed to the worker
    Bytes answer;  // what the amplifier answers the handshake request with
    hid.onWrite = [&](const ScriptedHid::Written& w) {
        if (w.sub() == 0x08 && !answer.empty()) hid.QueueInput(answer);
    };
    EXPECT_FALSE(link->Hand_Connect()) << "silence";
    answer = ReplyBytes(1, {0x04, 0xDD, 0x01});
    EXPECT_FALSE(link->Hand_Connect()) << "another reply is not a handshake";
    answer.clear();
    hid.QueueReply(3, {0x08, 0xDD, 0x00, 94, 1, 19});
    EXPECT_FALSE(link->Hand_Connect()) << "a handshake that was waiting before the request does not answer it";
    EXPECT_EQ(1, link->mHandshakeOk) << "though it is decoded";
    answer = ReplyBytes(3, {0x08, 0xDD, 0x00, 94, 1, 19});
    EXPECT_TRUE(link->Hand_Connect());
    EXPECT_EQ(1, link->mHandshakeOk);
    answer = ReplyBytes(3, {0x93, 0xDD});
    EXPECT_TRUE(link->Hand_Connect()) << "the upgrade mode answers with a ping reply";
    EXPECT_EQ(0, link->mHandshakeOk);
}

// Each volume request is answered with the next volume; the posts already made are noted at every write.
struct CountingVolumes {
    std::mutex lock;
    uint8_t volume = 0;
    std::vector<size_t> postsAtWrite;

    void Answer(ScriptedHid& hid, CapturingPoster& poster) {
        hid.onWrite = [&](const ScriptedHid::Written&) {
            std::lock_guard<std::mutex> guard(lock);
            postsAtWrite.push_back(poster.Of(WM_DSP_VALUE, 2).size());
            hid.QueueReply(1, {0x02, 0xDD, ++volume});
        };
    }
};

std::vector<LPARAM> Volumes(CapturingPoster& poster) {
    std::vector<LPARAM> values;
    for (const auto& p : poster.Of(WM_DSP_VALUE, 2)) values.push_back(p.lParam);
    return values;
}

TEST_F(LinkLifecycle, ABatchPostsEachReplyOnceTheNextRequestIsOutAndAllBeforeItEnds) {
    auto link = NewLink();
    link->OpenHIDDevice();
    CountingVolumes volumes;
    volumes.Answer(hid, poster);
    link->Get_Main_Volume();
    EXPECT_EQ((std::vector<LPARAM>{1}), Volumes(poster)) << "without a batch the reply is posted at once";
    {
        DeviceLink::ReplyBatch batch(*link);
        link->Get_Main_Volume();
        EXPECT_EQ(1u, Volumes(poster).size()) << "held until the next request is out";
        {
            DeviceLink::ReplyBatch second(*link);  // a batch already runs: this one changes nothing
            link->Get_Main_Volume();
        }
        EXPECT_EQ((std::vector<LPARAM>{1, 2}), Volumes(poster));
        link->Get_Main_Volume();
        EXPECT_EQ((std::vector<LPARAM>{1, 2, 3}), Volumes(poster));
    }
    EXPECT_EQ((std::vector<LPARAM>{1, 2, 3, 4}), Volumes(poster)) << "the batch's end posts the last one";
    // Each request went out before the reply to the one before it was posted.
    EXPECT_EQ((std::vector<size_t>{0, 1, 1, 2}), volumes.postsAtWrite);
    for (const auto& p : poster.Posts()) EXPECT_EQ(GetCurrentThreadId(), p.thread);

    link->Get_Main_Volume();
    EXPECT_EQ(5u, Volumes(poster).size()) << "after the batch replies are posted at once again";
}

TEST_F(LinkLifecycle, RepliesDecodedByAnotherThreadDuringABatchKeepTheirOrder) {
    auto link = NewLink();
    link->OpenHIDDevice();
    CountingVolumes volumes;
    volumes.Answer(hid, poster);
    std::mutex lock;
    std::condition_variable changed;
    int step = 0;
    auto waitFor = [&](int wanted) {
        std::unique_lock<std::mutex> guard(lock);
        return changed.wait_for(guard, std::chrono::seconds(20), [&] { return step >= wanted; });
    };
    auto moveTo = [&](int next) {
        std::lock_guard<std::mutex> guard(lock);
        step = next;
        changed.notify_all();
    };
    std::thread reader([&] {
        DeviceLink::ReplyBatch batch(*link);
        link->Get_Main_Volume();  // 1, held
        moveTo(1);
        waitFor(2);
        link->Get_Main_Volume();  // 3, held until the batch ends
        moveTo(3);
        waitFor(4);
    });
    ASSERT_TRUE(waitFor(1));
    EXPECT_TRUE(Volumes(poster).empty());
    link->Get_Main_Volume();  // 2: the held reply goes first
    EXPECT_EQ((std::vector<LPARAM>{1, 2}), Volumes(poster));
    moveTo(2);
    ASSERT_TRUE(waitFor(3));
    EXPECT_EQ((std::vector<LPARAM>{1, 2}), Volumes(poster));
    moveTo(4);
    reader.join();
    EXPECT_EQ((std::vector<LPARAM>{1, 2, 3}), Volumes(poster));
}

TEST(McuCmdQueue, WaitsWithoutLimitForAnItemOrAWake) {
    McuCmdQueue queue;
    std::atomic<int> results{0};
    std::atomic<bool> lastWasItem{false};
    McuCmd taken;
    std::thread consumer([&] {
        for (int i = 0; i < 2; ++i) {
            lastWasItem = queue.WaitDequeue(taken);
            ++results;
        }
    });
    Sleep(100);
    EXPECT_EQ(0, results.load()) << "an empty queue's wait returned by itself";
    McuCmd item;
    item.subcmd = 0x04;
    item.len = 1;
    item.cmd_data[0] = 7;
    ASSERT_TRUE(queue.Enqueue(item));
    ASSERT_TRUE(Eventually([&] { return results.load() == 1; }));
    EXPECT_TRUE(lastWasItem.load());
    EXPECT_EQ(0x04, taken.subcmd);
    EXPECT_EQ(7, taken.cmd_data[0]);
    Sleep(100);
    EXPECT_EQ(1, results.load());
    queue.Wake();
    ASSERT_TRUE(Eventually([&] { return results.load() == 2; }));
    EXPECT_FALSE(lastWasItem.load()) << "a wake carries no item";
    consumer.join();

    queue.Wake();
    item.cmd_data[0] = 8;
    ASSERT_TRUE(queue.Enqueue(item));
    ASSERT_TRUE(queue.TryDequeue(taken)) << "a wake is passed over";
    EXPECT_EQ(8, taken.cmd_data[0]);
    EXPECT_FALSE(queue.TryDequeue(taken));
}

TEST(HidIoGate, CloseWaitsForCallsInsideAndRefusesNewOnes) {
    HidIoGate gate;
    ASSERT_TRUE(gate.Enter());
    std::atomic<bool> closed{false};
    std::thread closer([&] {
        EXPECT_TRUE(gate.CloseAndWait());
        closed = true;
    });
    ASSERT_TRUE(Eventually([&] { return gate.Closing(); }));
    EXPECT_FALSE(closed);
    EXPECT_FALSE(gate.Enter()) << "no new call once closing";
    gate.Leave();
    closer.join();
    EXPECT_TRUE(closed);
    EXPECT_FALSE(gate.CloseAndWait()) << "only the first close releases the device";
}

}  // namespace
