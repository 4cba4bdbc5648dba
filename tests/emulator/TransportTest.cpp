// The emulator's USB side: one report per request, requests without replies, bad requests, faults,
// plugging, handles, real-time reads, pacing and several threads.
#include "AmpPlugNotifier.h"
#include "EmulatorTestSupport.h"

#include <dbt.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

// The main volume's reply at the factory level, -20 dB.
const Bytes kVolumeReply = ReportOf({0xAA, 0x55, 0x04, 0x01, 0x02, 0xDD, 0xEC, 0x30});

Bytes OutputReport(Bytes bytes) {
    bytes.resize(65, 0);
    return bytes;
}

TEST(Transport, AnswersWrittenRequestsWithExactReports) {
    AmpEmulator amp;
    RawHost host(amp);
    const Bytes full = OutputReport({0x00, 0xAA, 0x55, 0x03, 0x01, 0x02, 0x66, 0x94});
    ASSERT_EQ(65, host.Write(full));
    EXPECT_EQ(kVolumeReply, host.Read());

    // The request without payload from the protocol's own example (a trim get) reads as range 0..0.
    ASSERT_EQ(65, host.Write(OutputReport({0x00, 0xAA, 0x55, 0x03, 0x01, 0x08, 0x66, 0x8E})));
    EXPECT_EQ(ReportOf({0xAA, 0x55, 0x08, 0x01, 0x08, 0xDD, 0, 0, 0, 0, 0x00, 0x12}), host.Read());
    EXPECT_TRUE(host.Read().empty());
    EXPECT_EQ(0, host.LastRead());

    const auto requests = amp.Requests();
    ASSERT_EQ(2u, requests.size());
    EXPECT_EQ(full, requests[0]);
    EXPECT_EQ(2, amp.Counters().reportsSent);
}

TEST(Transport, RepliesQueueInRequestOrder) {
    AmpEmulator amp;
    RawHost host(amp);
    host.Send(1, 0x02, 0xBB, {7});
    host.Send(1, 0x02, 0x66);
    host.Send(7, 0x01, 0x66);
    EXPECT_EQ(3, amp.PendingReports());
    EXPECT_EQ(ReplyReport(1, {0x02, 0xEE, 0x0A}), host.Read());
    EXPECT_EQ(ReplyReport(1, {0x02, 0xDD, static_cast<uint8_t>(-1)}), host.Read());  // 7 dB attenuation
    EXPECT_EQ(ReplyReport(7, {0x01, 0xDD, 60}), host.Read());
    EXPECT_EQ(0, amp.PendingReports());
}

TEST(Transport, RequestsSentWithoutReadGetNothing) {
    AmpEmulator amp;
    RawHost host(amp);
    host.Send(3, 0x1F, 0xBB, {1});  // PC_Connect
    host.Send(3, 0x93, 0xBB);       // ping
    host.Send(2, 0x05, 0xBB);       // DSP flash finish
    host.Send(3, 0xA3, 0xBB);       // bootloader finish
    EXPECT_EQ(0, amp.PendingReports());
    EXPECT_TRUE(host.Read().empty());
    EXPECT_EQ(1, amp.State().settings.pcConnected);
    EXPECT_EQ(4, amp.Counters().requests);

    // Refusing one of them does not make it answer either.
    amp.AddFault({AmpFault::NotReady, 3, 0x1F});
    host.Send(3, 0x1F, 0xBB, {0});
    EXPECT_EQ(0, amp.PendingReports());
    EXPECT_EQ(1, amp.State().settings.pcConnected);
}

TEST(Transport, BadRequestsAreRecordedCountedAndIgnored) {
    AmpEmulator amp;
    RawHost host(amp);
    Bytes good = RequestReport(1, 0x02, 0xBB, {9});
    Bytes badChecksum = good;
    ++badChecksum[8];
    Bytes badHeader = good;
    badHeader[2] = 0x56;
    Bytes badReportId = good;
    badReportId[0] = 1;
    Bytes lengthZero = RequestReport(1, 0x02, 0xBB, {});
    lengthZero[3] = 0;
    Bytes lengthTooLong = good;
    lengthTooLong[3] = 61;  // its checksum would lie beyond the report
    for (const Bytes& bad : {badChecksum, badHeader, badReportId, lengthZero, lengthTooLong}) EXPECT_EQ(65, host.Write(bad));
    EXPECT_EQ(0, amp.PendingReports());
    EXPECT_EQ(26, amp.State().settings.mainVolume);
    const AmpCounters counters = amp.Counters();
    EXPECT_EQ(5, counters.requests);
    EXPECT_EQ(5, counters.badRequests);
    EXPECT_EQ(badChecksum, amp.Requests()[0]);
}

// ---- faults --------------------------------------------------------------------------------------

TEST(Faults, NoReplyHitsOnlyItsWindowOfMatchingRequests) {
    AmpEmulator amp;
    amp.AddFault({AmpFault::NoReply, 1, 0x02, 0x66, 1, 2});  // the 2nd and 3rd volume gets
    RawHost host(amp);
    const std::vector<bool> answered{true, false, false, true};
    for (bool expected : answered) {
        EXPECT_EQ(expected, !host.Get(1, 0x02).empty());
        EXPECT_FALSE(host.Get(1, 0x04).empty());  // another sub-command is never hit
    }
    host.Send(1, 0x02, 0xBB, {5});  // neither is a set: the rule names the get optype
    EXPECT_FALSE(host.Read().empty());
}

TEST(Faults, LateReplyComesAfterEmptyReads) {
    AmpEmulator amp;
    amp.AddFault({AmpFault::Late, 1, 0x02, -1, 0, 1, 2});
    RawHost host(amp);
    EXPECT_TRUE(host.Get(1, 0x02).empty());
    EXPECT_TRUE(host.Read().empty());
    EXPECT_EQ(kVolumeReply, host.Read());
}

TEST(Faults, SplitFrameEndsTheReportAndItsRestBeginsTheNext) {
    AmpEmulator amp;
    amp.AddFault({AmpFault::Split, 1, 0x02, -1, 0, 2, 3});
    RawHost host(amp);
    const Bytes head = ReportOf({0xAA, 0x55, 0x04});
    const Bytes rest{0x01, 0x02, 0xDD, 0xEC, 0x30};
    // The rest comes alone when a read finds nothing else due ...
    EXPECT_EQ(head, host.Get(1, 0x02));
    EXPECT_EQ(ReportOf(rest), host.Read());
    // ... and otherwise in front of the next reply.
    EXPECT_EQ(head, host.Get(1, 0x02));
    Bytes merged = rest;
    const Bytes mute = ReplyReport(1, {0x04, 0xDD, 0x00});
    merged.insert(merged.end(), mute.begin(), mute.begin() + 8);
    EXPECT_EQ(ReportOf(merged), host.Get(1, 0x04));
    EXPECT_EQ(kVolumeReply, host.Get(1, 0x02));
}

TEST(Faults, CorruptFramesKeepTheirBytesExceptTheFaultyOne) {
    AmpEmulator amp;
    amp.AddFault({AmpFault::BadChecksum, 1, 0x02});
    amp.AddFault({AmpFault::LengthZero, 1, 0x02, -1, 1});
    amp.AddFault({AmpFault::LengthTooLong, 1, 0x02, -1, 2});
    amp.AddFault({AmpFault::LengthTooLong, 1, 0x02, -1, 3, 1, 0x50});
    RawHost host(amp);
    Bytes expected = kVolumeReply;
    expected[7] = 0x31;
    EXPECT_EQ(expected, host.Get(1, 0x02));
    expected = kVolumeReply;
    expected[2] = 0;
    EXPECT_EQ(expected, host.Get(1, 0x02));
    expected[2] = 62;
    EXPECT_EQ(expected, host.Get(1, 0x02));
    expected[2] = 0x50;
    EXPECT_EQ(expected, host.Get(1, 0x02));
    EXPECT_EQ(kVolumeReply, host.Get(1, 0x02));
}

TEST(Faults, NotReadyRefusesWithoutActingAndBusyActsThenReplies) {
    AmpEmulator amp;
    amp.AddFault({AmpFault::NotReady, 1, 0x02, 0xBB});
    amp.AddFault({AmpFault::Busy, 1, 0x02, 0xBB, 1, 1, 1});
    RawHost host(amp);
    EXPECT_EQ(ReplyReport(1, {0x02, 0xEE, 0x60}), host.Set(1, 0x02, {9}));
    EXPECT_EQ(26, amp.State().settings.mainVolume);
    EXPECT_EQ(ReplyReport(1, {0x02, 0xEE, 0x60}), host.Set(1, 0x02, {9}));
    EXPECT_EQ(9, amp.State().settings.mainVolume);
    EXPECT_TRUE(host.Read().empty());  // held for one empty read
    EXPECT_EQ(ReplyReport(1, {0x02, 0xEE, 0x0A}), host.Read());
}

TEST(Faults, InjectedFramesShareReportsOrComeAlone) {
    AmpEmulator amp;
    RawHost host(amp);
    const Bytes status = MakeAmpFrame(1, {0x46, 0xDD, 0x00});  // the DSP reports itself off
    amp.Inject(status, AmpInject::WithNextReply);
    Bytes both(kVolumeReply.begin(), kVolumeReply.begin() + 8);
    both.insert(both.end(), status.begin(), status.end());
    EXPECT_EQ(ReportOf(both), host.Get(1, 0x02));

    amp.Inject(status, AmpInject::BeforeNextReply);
    Bytes before(status);
    before.insert(before.end(), kVolumeReply.begin(), kVolumeReply.begin() + 8);
    EXPECT_EQ(ReportOf(before), host.Get(1, 0x02));

    amp.Inject({0xAA, 0x55, 0x00}, AmpInject::OwnReport);
    EXPECT_EQ(ReportOf({0xAA, 0x55, 0x00}), host.Get(1, 0x02));
    EXPECT_EQ(kVolumeReply, host.Read());
}

// ---- plugging, handles and strings ---------------------------------------------------------------

TEST(Plugging, UnplugKillsHandlesAndReplugEnumeratesAnew) {
    AmpEmulator amp;
    RawHost host(amp);
    host.Set(1, 0x02, {12});  // attenuation: -6 dB
    host.Send(1, 0x02, 0x66);
    amp.Unplug();
    EXPECT_FALSE(amp.IsPresent());
    EXPECT_EQ(-1, host.Send(1, 0x02, 0x66));
    EXPECT_TRUE(host.Read().empty());
    EXPECT_EQ(-1, host.LastRead());
    EXPECT_EQ(nullptr, amp.Open(0x0483, 0x5750, nullptr));

    amp.Replug();
    HidHandle* stale = host.Handle();
    RawHost again(amp);
    ASSERT_NE(nullptr, again.Handle());
    EXPECT_EQ(0, amp.PendingReports());  // what was not read before the unplug is lost
    EXPECT_EQ(ReplyReport(1, {0x02, 0xDD, static_cast<uint8_t>(-6)}), again.Get(1, 0x02));
    uint8_t buf[64];
    EXPECT_EQ(-1, amp.ReadTimeout(stale, buf, sizeof buf, 0));
    EXPECT_EQ(1, amp.Counters().failedOpens);
}

TEST(Plugging, VanishFaultDropsTheDeviceOnItsRequest) {
    AmpEmulator amp;
    amp.AddFault({AmpFault::Vanish, 1, 0x02, 0xBB});
    RawHost host(amp);
    EXPECT_EQ(65, host.Send(1, 0x02, 0xBB, {3}));
    EXPECT_FALSE(amp.IsPresent());
    EXPECT_EQ(26, amp.State().settings.mainVolume);
    EXPECT_EQ(-1, host.Send(1, 0x02, 0x66));
}

TEST(Handles, OnlyTheAmplifierOpensAndClosedHandlesAreCounted) {
    AmpEmulator amp;
    EXPECT_EQ(nullptr, amp.Open(0x0483, 0x5751, nullptr));
    EXPECT_EQ(nullptr, amp.Open(0x0483, 0x5750, L"other serial"));
    HidHandle* h = amp.Open(0x0483, 0x5750, L"VR0000001");
    ASSERT_NE(nullptr, h);
    EXPECT_EQ(0, amp.SetNonblocking(h, 1));
    amp.Close(h);
    amp.Close(h);
    const Bytes request = RequestReport(1, 0x02, 0x66, {});
    EXPECT_EQ(-1, amp.Write(h, request.data(), request.size()));
    EXPECT_EQ(-1, amp.SetNonblocking(h, 1));
    EXPECT_STREQ(L"device handle closed", amp.Error(h));
    const AmpCounters counters = amp.Counters();
    EXPECT_EQ(3, counters.closedHandleUses);
    EXPECT_EQ(0, counters.requests);
    EXPECT_EQ(2, counters.failedOpens);
}

TEST(Handles, StringsFailInOrderWhenAsked) {
    AmpEmulator amp;
    RawHost host(amp);
    wchar_t text[255];
    using Reader = int (AmpEmulator::*)(HidHandle*, wchar_t*, size_t);
    const Reader readers[] = {&AmpEmulator::GetManufacturerString, &AmpEmulator::GetProductString,
                              &AmpEmulator::GetSerialNumberString};
    const wchar_t* expected[] = {L"STMicroelectronics", L"KTR3.500DSP", L"VR0000001"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(0, (amp.*readers[i])(host.Handle(), text, 255));
        EXPECT_STREQ(expected[i], text);
    }
    EXPECT_EQ(0, amp.GetIndexedString(host.Handle(), 1, text, 4));
    EXPECT_STREQ(L"KTR", text);  // cut to the buffer, terminated
    EXPECT_EQ(-1, amp.GetIndexedString(host.Handle(), 2, text, 255));

    amp.SetFailingStrings(3);
    for (const Reader reader : readers) EXPECT_EQ(-1, (amp.*reader)(host.Handle(), text, 255));
    EXPECT_EQ(0, amp.GetIndexedString(host.Handle(), 1, text, 255));
}

// ---- real time, pacing and threads ---------------------------------------------------------------

// Waits (bounded) until `done` holds; the bound only keeps a broken emulator from hanging the test.
template <typename Condition>
bool Eventually(Condition done) {
    for (int i = 0; i < 5000 && !done(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return done();
}

TEST(RealTime, CloseWaitsForTheReadItInterrupts) {
    AmpEmulator amp;
    amp.SetRealTime(true);
    RawHost host(amp);
    HidHandle* h = host.Handle();
    std::atomic<int> result{99};
    std::thread reader([&] {
        uint8_t buf[64];
        result = amp.ReadTimeout(h, buf, sizeof buf, 60000);
    });
    ASSERT_TRUE(Eventually([&] { return amp.BlockedReads() == 1; }));
    amp.Close(h);
    EXPECT_EQ(0, amp.BlockedReads());  // Close returned only after the read had left
    reader.join();
    EXPECT_EQ(-1, result.load());
    EXPECT_EQ(0, amp.Counters().closedHandleUses);
}

TEST(RealTime, WaitingReadTakesTheReplyOfAnotherThreadsWrite) {
    AmpEmulator amp;
    amp.SetRealTime(true);
    RawHost host(amp);
    Bytes got;
    std::thread reader([&] { got = host.Read(60000); });
    ASSERT_TRUE(Eventually([&] { return amp.BlockedReads() == 1; }));
    host.Send(1, 0x02, 0x66);
    reader.join();
    EXPECT_EQ(kVolumeReply, got);
    EXPECT_TRUE(host.Read(1).empty());
    EXPECT_EQ(0, host.LastRead());
}

// Lower bounds only: a paced pipe never carries more than one report per millisecond.
TEST(Pacing, EachReportTakesOneMillisecondOnItsPipe) {
    using Clock = std::chrono::steady_clock;
    AmpEmulator amp;
    RawHost host(amp);
    for (int i = 0; i < 20; ++i) host.Send(1, 0x02, 0x66);  // queued at once, unpaced
    amp.SetUsbPacing(true);
    const auto start = Clock::now();
    for (int i = 0; i < 20; ++i) EXPECT_EQ(kVolumeReply, host.Read());
    const auto read = Clock::now();
    EXPECT_GE(read - start, std::chrono::milliseconds(19));
    for (int i = 0; i < 20; ++i) host.Send(1, 0x02, 0x66);
    EXPECT_GE(Clock::now() - read, std::chrono::milliseconds(20));
    EXPECT_EQ(20, amp.PendingReports());
}

TEST(Threads, ConcurrentWritersAndReadersLoseNothing) {
    AmpEmulator amp;
    amp.SetRealTime(true);
    constexpr int kWriters = 4, kPerWriter = 200;
    std::atomic<int> received{0}, wrong{0};
    std::vector<std::thread> threads;
    for (int w = 0; w < kWriters; ++w)
        threads.emplace_back([&, w] {
            RawHost host(amp);
            for (int i = 0; i < kPerWriter; ++i) host.Send(7, static_cast<uint8_t>(1 + w), 0xBB, {static_cast<uint8_t>(i)});
        });
    for (int r = 0; r < 2; ++r)
        threads.emplace_back([&] {
            RawHost host(amp);
            while (received < kWriters * kPerWriter) {
                const Bytes report = host.Read(20);
                if (report.empty()) continue;
                ++received;
                if (report[5] != 0xEE || report[3] != 7 || report[4] < 1 || report[4] > kWriters) ++wrong;
            }
        });
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(kWriters * kPerWriter, received.load());
    EXPECT_EQ(0, wrong.load());
    EXPECT_EQ(kWriters * kPerWriter, amp.Counters().requests);
    EXPECT_EQ(0, amp.Counters().badRequests);
}

}  // namespace

TEST(RealTime, SlowAmplifierAnswersOnlyAfterItsDelay) {
    AmpEmulator amp;
    amp.SetRealTime(true);
    amp.SetReplyDelay(150);
    RawHost host(amp);
    host.Send(1, 0x02, 0x66);
    EXPECT_TRUE(host.Read(20).empty());  // not yet there
    EXPECT_EQ(0, host.LastRead());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(kVolumeReply, host.Read(2000));  // the waiting read wakes when it is due
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));
    amp.SetReplyDelay(0);
    EXPECT_EQ(kVolumeReply, host.Get(1, 0x02));
}

TEST(Plugging, ListenerHearsEveryChangeAfterItTookEffect) {
    AmpEmulator amp;
    RawHost host(amp);
    std::vector<std::pair<bool, bool>> heard;  // (present, a fresh open succeeds)
    amp.SetPlugListener([&](bool present) {
        HidHandle* h = amp.Open(0x0483, 0x5750, nullptr);
        heard.emplace_back(present, h != nullptr);
        if (h) amp.Close(h);
    });
    amp.Unplug();
    amp.Replug();
    amp.SetPlugListener(nullptr);
    amp.Unplug();
    const std::vector<std::pair<bool, bool>> expected = {{false, false}, {true, true}};
    EXPECT_EQ(expected, heard);
    EXPECT_EQ(-1, host.Write(RequestReport(1, 0x02, 0x66, {})));  // the old handle died with the unplug
}

// What the listener heard, and whether on the thread that caused it.
struct Heard {
    bool present;
    bool callersThread;
    bool operator==(const Heard& o) const { return present == o.present && callersThread == o.callersThread; }
};

TEST(Plugging, RestartsAreHeardFromTheBusAsRemovalThenArrival) {
    AmpEmulator amp;
    RawHost host(amp);
    std::mutex lock;
    std::condition_variable heardMore;
    std::vector<Heard> heard;
    const std::thread::id caller = std::this_thread::get_id();
    amp.SetPlugListener([&](bool present) {
        std::lock_guard<std::mutex> guard(lock);
        heard.push_back({present, std::this_thread::get_id() == caller});
        heardMore.notify_all();
    });
    auto heardNow = [&] {
        std::lock_guard<std::mutex> guard(lock);
        return heard;
    };
    auto hearUntil = [&](size_t count) {  // false when not heard within 5 s
        std::unique_lock<std::mutex> guard(lock);
        return heardMore.wait_for(guard, std::chrono::seconds(5), [&] { return heard.size() >= count; });
    };

    // Factory reset: acknowledged, then the device leaves the bus and comes back by itself.
    EXPECT_EQ(ReplyReport(3, {0x90, 0xEE, 0x0A}), host.Set(3, 0x90));
    ASSERT_TRUE(amp.WaitUntilSettled(2000));
    EXPECT_EQ(heardNow(), (std::vector<Heard>{{false, false}, {true, false}}));
    EXPECT_TRUE(amp.IsPresent());
    EXPECT_EQ(-1, host.Send(3, 0x08, 0x66));  // the old handle died with the restart
    ASSERT_TRUE(host.Open());

    // Its count of failed opens first: the arrival comes with the open that finds it back.
    amp.SetRestartDelay(1);
    EXPECT_EQ(ReplyReport(3, {0x01, 0xEE, 0x0A}), host.Set(3, 0x01));  // into upgrade mode
    ASSERT_TRUE(hearUntil(3));  // the removal
    EXPECT_FALSE(amp.WaitUntilSettled(0));
    EXPECT_EQ(heardNow().size(), 3u);
    EXPECT_FALSE(host.Open());
    ASSERT_TRUE(host.Open());
    ASSERT_TRUE(amp.WaitUntilSettled(2000));
    EXPECT_EQ(heardNow().size(), 4u);
    EXPECT_TRUE(heardNow().back().present);

    // In real time the arrival waits for the restart's delay.
    amp.SetRealTime(true);
    amp.SetRestartDelay(0, 300);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(65, host.Send(3, 0x04, 0xBB));  // the MCU finish: no reply, a restart into the normal firmware
    ASSERT_TRUE(amp.WaitUntilSettled(3000));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(290));
    EXPECT_EQ(heardNow().size(), 6u);
    EXPECT_FALSE(heardNow()[4].present);
    EXPECT_TRUE(heardNow()[5].present);
    amp.SetRealTime(false);
    ASSERT_TRUE(host.Open());

    // A device that vanishes is heard gone; unplugging it then changes nothing; a replug is heard at once.
    amp.AddFault({AmpFault::Vanish, 1, 0x04, 0xBB});
    EXPECT_EQ(65, host.Send(1, 0x04, 0xBB, {1}));
    ASSERT_TRUE(amp.WaitUntilSettled(2000));
    amp.Unplug();
    amp.Replug();
    const std::vector<Heard> all = heardNow();
    ASSERT_EQ(all.size(), 8u);
    const std::vector<Heard> last(all.begin() + 6, all.end());
    EXPECT_EQ(last, (std::vector<Heard>{{false, false}, {true, true}}));
    amp.SetPlugListener(nullptr);
}

namespace {

// A window of the test's thread hearing the plug notifications, as the program's main window does.
std::vector<bool> gWindowHeard;  // present, in the order handled
HWND gPlugWindow = nullptr;

LRESULT CALLBACK HearPlugEvents(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DEVICECHANGE) gWindowHeard.push_back(wParam == DBT_DEVICEARRIVAL);
    return DefWindowProcW(window, message, wParam, lParam);
}

// A message another thread sends to this one, waited for (at most 5 s).
bool SentMessageWaits() {
    return MsgWaitForMultipleObjectsEx(0, nullptr, 5000, QS_SENDMESSAGE, MWMO_INPUTAVAILABLE) == WAIT_OBJECT_0;
}

}  // namespace

TEST(Plugging, AReplugIsHeardAfterTheRemovalTheBusIsStillTelling) {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = HearPlugEvents;
    windowClass.lpszClassName = L"PlugHearer";
    RegisterClassW(&windowClass);
    gPlugWindow = CreateWindowW(L"PlugHearer", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(gPlugWindow, nullptr);
    gWindowHeard.clear();
    AmpEmulator amp;
    NotifyPlugEvents(amp, [] { return gPlugWindow; });
    amp.AddFault({AmpFault::Vanish, 1, 0x04, 0xBB});
    RawHost host(amp);
    EXPECT_EQ(65, host.Send(1, 0x04, 0xBB, {1}));
    // The bus is sending the removal to this thread's window, which has not taken it yet.
    ASSERT_TRUE(SentMessageWaits());
    amp.Replug();
    EXPECT_EQ(gWindowHeard.size(), 2u);  // both heard before Replug returned
    MSG msg;
    while (gWindowHeard.size() < 2 && SentMessageWaits())
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);  // takes the sent ones only
    EXPECT_EQ(gWindowHeard, (std::vector<bool>{false, true}));
    amp.SetPlugListener(nullptr);
    DestroyWindow(gPlugWindow);
}

