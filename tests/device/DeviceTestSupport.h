#pragma once
// Test doubles for the device link's seams: a clock the test advances, a scripted HID backend that
// records every report written and plays back queued input reports, and a poster that captures the
// replies instead of posting them.
#include "device/DeviceClock.h"
#include "device/DeviceLink.h"
#include "device/HidBackend.h"
#include "device/ReplyPoster.h"

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <vector>

using Bytes = std::vector<uint8_t>;
using Report = std::array<uint8_t, 64>;

// Time moves only when someone sleeps or a scripted read waits out its time-out.
class FakeClock final : public DeviceClock {
public:
    uint32_t NowMs() override { return mNow.load(); }
    void SleepMs(uint32_t ms) override { mNow += ms == 0 ? 1 : ms; }
    void Advance(uint32_t ms) { mNow += ms; }

private:
    std::atomic<uint32_t> mNow{1000};
};

// A reply frame as the amplifier sends it: AA 55 L type data... checksum.
Bytes ReplyBytes(uint8_t type, const Bytes& data);
// Input reports of 64 bytes holding the given bytes back to back, zero-filled.
std::vector<Report> Reports(const Bytes& stream);

class ScriptedHid final : public HidBackend {
public:
    struct Written {
        Bytes report;   // the 65 bytes as written
        uint8_t cmd() const { return report[4]; }
        uint8_t sub() const { return report[5]; }
        uint8_t optype() const { return report[6]; }
        Bytes payload() const { return Bytes(report.begin() + 7, report.begin() + 7 + (report[3] - 3)); }
    };

    explicit ScriptedHid(FakeClock& clock) : mClock(clock) {}

    // Script.
    int initResult = 0;
    bool openSucceeds = true;
    int failingStrings = 0;       // the first n of the four device strings fail
    bool failWrites = false;
    std::atomic<bool> failReads{false};  // every read fails at once, as on a device that has gone
    std::function<void()> onOpen;        // runs inside each Open, before the device is opened
    // Reads (with a time-out) without queued input wait until input arrives or the device closes.
    void SetBlockingReads(bool blocking);
    std::function<void(const Written&)> onWrite;  // e.g. queue the reply to a request

    void QueueInput(const Bytes& stream);
    void QueueReply(uint8_t type, const Bytes& data) { QueueInput(ReplyBytes(type, data)); }

    // What happened.
    std::vector<Written> Writes();
    std::vector<int> ReadTimeouts();
    // The time-outs of the reads that waited for a reply (the polls for stale input before a send have 0).
    std::vector<int> ReplyWaits();
    int ReadsInProgress() { return mReadersInside.load(); }
    int closes = 0;
    int opens = 0;
    std::atomic<int> reads{0};

    int Init() override { return initResult; }
    HidHandle* Open(uint16_t vendorId, uint16_t productId, const wchar_t* serial) override;
    int GetManufacturerString(HidHandle*, wchar_t* text, size_t n) override { return String(0, L"Maker", text, n); }
    int GetProductString(HidHandle*, wchar_t* text, size_t n) override { return String(1, L"Amp", text, n); }
    int GetSerialNumberString(HidHandle*, wchar_t* text, size_t n) override { return String(2, L"42", text, n); }
    int GetIndexedString(HidHandle*, int, wchar_t* text, size_t n) override { return String(3, L"one", text, n); }
    int SetNonblocking(HidHandle*, int nonblock) override { return nonblock == 1 ? 0 : -1; }
    int Write(HidHandle* dev, const uint8_t* data, size_t length) override;
    int ReadTimeout(HidHandle* dev, uint8_t* data, size_t length, int timeoutMs) override;
    const wchar_t* Error(HidHandle*) override { return L"scripted failure"; }
    void Close(HidHandle* dev) override;

private:
    int String(int index, const wchar_t* value, wchar_t* text, size_t n);

    FakeClock& mClock;
    std::mutex mLock;
    std::condition_variable mChanged;
    std::deque<Report> mInput;
    std::vector<Written> mWrites;
    std::vector<int> mReadTimeouts;
    std::atomic<int> mReadersInside{0};
    bool mOpen = false;
    bool mBlockingReads = false;
    int mHandleToken = 0;
};

// Captures posted replies; frees the records still held when it goes.
class CapturingPoster final : public ReplyPoster {
public:
    struct Posted {
        HWND window;
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        DWORD thread;  // the thread that decoded the reply
        template <typename Record>
        const Record& As() const { return *reinterpret_cast<const Record*>(lParam); }
    };

    ~CapturingPoster() override { Clear(); }
    bool accept = true;  // false: every post fails, as to a window that does not exist

    bool Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    std::vector<Posted> Posts();
    // Posts of one message (and, when given, one wParam) in order.
    std::vector<Posted> Of(UINT message, int wParam = -1);
    void Clear();

private:
    std::mutex mLock;
    std::vector<Posted> mPosts;
};

// Polls a condition that another thread makes true; the limit only ends a broken run.
template <typename Condition>
bool Eventually(Condition condition) {
    for (int i = 0; i < 20000; ++i) {
        if (condition()) return true;
        Sleep(1);
    }
    return false;
}

// Window handles the tests give the five reply slots.
HWND TestWindow(int slot);

// A link over the three doubles, opened, with the application's device profile.
struct LinkFixture {
    FakeClock clock;
    ScriptedHid hid{clock};
    CapturingPoster poster;
    DeviceLink link{DeviceLinkSeams{&hid, &clock, &poster}};

    LinkFixture();
    // Feeds the bytes through the link's ring and parser as if they had been read.
    void Feed(const Bytes& stream);
};
