#pragma once
// AmpEmulator: the amplifier (USB vendor 0x0483, product 0x5750) emulated behind the HidBackend seam, so
// the device link's own code runs end to end in tests, benchmarks and tools without hardware.
//
// Typical use: create one, give it to the device link as its HID backend, prepare what the test needs
// with EditState (configuration, identity, mode, faults below), run the host code, then check Requests()
// (every report the host wrote, byte for byte), Counters() and State().
//
// Transport
// - Write takes one 65-byte output report. Every report written to a live handle is recorded. A
//   well-formed request is acted on and answered with exactly one frame in one 64-byte input report,
//   zero-padded, except the requests the host sends without reading (PC_Connect, the ping and the three
//   upgrade finish commands), which get nothing. A report with a wrong report id, header, length or
//   checksum is counted as bad and otherwise ignored.
// - ReadTimeout hands out the queued reports in order. By default it never waits: with nothing to deliver
//   it returns 0 at once, so the host's time-outs cost no time and tests never depend on the clock.
//   SetRealTime(true) makes it wait, up to its time-out, for a report, the handle's Close or an unplug.
// - Close waits until no Write or ReadTimeout is running on that handle, then marks it closed; later
//   calls on a closed handle fail and are counted (Counters::closedHandleUses).
// - SetUsbPacing(true): each report occupies one 1 ms interval of its pipe, as on a full-speed bus polled
//   every millisecond: a write returns at the end of its OUT interval, its reply is ready then, and a read
//   returns at the end of the next free IN interval. A request with its reply takes at least 2 ms.
//
// Device behaviour: AmpDspCommands.h, AmpCalibration.h, AmpFirmware.h and AmpSystemCommands.h say what
// the amplifier stores and answers, and which choices it makes where the host leaves them open.
// Restarts: the enter-upgrade command from the normal firmware, the MCU finish, the reboot command and
// the factory reset make the device vanish (once their acknowledgement has been read; the finish has
// none, so at once) and enumerate again as a new device: Open fails SetRestartDelay's count of times (and,
// in real-time mode, until its delay has passed), then succeeds. Handles opened before a restart or an
// unplug stay dead: every call on them fails at once with -1.
//
// Plug notifications: with a plug listener set, the device leaving the bus and coming back reach it as
// the system's device notifications reach a program. Unplug and Replug are heard at once, on the caller's
// thread. A restart and a Vanish fault are heard from the emulator's own notification thread, as the
// system's are: the removal as soon as the device is gone, the arrival once it is back (a restart's delay
// has passed, or its count of failed opens is used up; a vanished device comes back only by Replug).
//
// Thread safety: every member may be called from any thread; one lock serialises the device.
#include "AmpDevice.h"
#include "AmpProtocol.h"
#include "AmpState.h"
#include "device/HidBackend.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

enum class AmpFault {
    NoReply,        // acted on, not answered
    Late,           // the reply is held back until `param` reads (default 1) have come back empty
    Split,          // the reply frame is cut after `param` bytes (default half); the rest begins the next report
    BadChecksum,    // the reply's checksum byte is one too high
    LengthZero,     // the reply's L byte is 0
    LengthTooLong,  // the reply's L byte is `param` (default 62)
    NotReady,       // refused: not acted on, answered `type sub EE 60`
    Busy,           // acted on, answered NOT_READY; the real reply follows in a later report once `param`
                    // reads (default 0) have come back empty
    Vanish,         // the device disappears on receiving the request (as Unplug); nothing is acted on
};

// Which requests a fault hits. Each rule counts the requests it matches on its own; a request takes the
// fault of the first rule (in the order added) whose window it falls in.
struct AmpFaultRule {
    AmpFault fault = AmpFault::NoReply;
    uint8_t cmd = 0;  // packet type; 0 = any
    int sub = -1;     // sub-command; -1 = any
    int optype = -1;  // 0xBB or 0x66; -1 = any
    int skip = 0;     // matching requests that pass untouched first (skip 2: the third one is hit)
    int times = 1;    // matching requests hit after those; -1 = every one
    int param = -1;   // -1 = the fault's default
};

enum class AmpInject {
    WithNextReply,    // appended behind the next reply frame, in its report (or a later one when it does not fit)
    BeforeNextReply,  // begins the next report sent: in front of the next reply, or alone when a read finds
                      // nothing else queued
    OwnReport,        // queued now as a report of its own
};

struct AmpCounters {
    int requests = 0;          // reports written to a live handle (all recorded in Requests())
    int badRequests = 0;       // of those, ignored for their header, length or checksum
    int reportsSent = 0;       // input reports the host has read
    int opens = 0;             // successful Open calls
    int failedOpens = 0;       // Open calls while absent, restarting, or for another device
    int restarts = 0;          // restarts of the device (see above)
    int closedHandleUses = 0;  // calls on a handle after its Close, including a second Close
};

class AmpEmulator : public HidBackend {
public:
    AmpEmulator();
    ~AmpEmulator() override;
    AmpEmulator(const AmpEmulator&) = delete;
    AmpEmulator& operator=(const AmpEmulator&) = delete;

    // HidBackend
    int Init() override;
    HidHandle* Open(uint16_t vendorId, uint16_t productId, const wchar_t* serial) override;
    int GetManufacturerString(HidHandle* dev, wchar_t* text, size_t maxChars) override;
    int GetProductString(HidHandle* dev, wchar_t* text, size_t maxChars) override;
    int GetSerialNumberString(HidHandle* dev, wchar_t* text, size_t maxChars) override;
    int GetIndexedString(HidHandle* dev, int index, wchar_t* text, size_t maxChars) override;
    int SetNonblocking(HidHandle* dev, int nonblock) override;
    int Write(HidHandle* dev, const uint8_t* data, size_t length) override;
    int ReadTimeout(HidHandle* dev, uint8_t* data, size_t length, int timeoutMs) override;
    const wchar_t* Error(HidHandle* dev) override;
    void Close(HidHandle* dev) override;

    // Timing
    void SetRealTime(bool on);
    void SetUsbPacing(bool on);
    // After a restart Open fails `failedOpens` times, and in real-time mode also until `realTimeMs` passed.
    void SetRestartDelay(int failedOpens, int realTimeMs = 0);
    // A slow amplifier: in real-time mode every reply becomes readable only `ms` after its request.
    void SetReplyDelay(int ms);

    // State: a copy of everything the device holds, and a locked edit of it (the edit must not call back
    // into the emulator).
    AmpState State() const;
    void EditState(const std::function<void(AmpState&)>& edit);

    // Faults
    void AddFault(const AmpFaultRule& rule);
    void ClearFaults();
    void Inject(const std::vector<uint8_t>& bytes, AmpInject where = AmpInject::WithNextReply);
    void SetFailingStrings(int count);  // the first `count` of the four string reads fail (0..4)
    void SetInitResult(int result);     // what Init returns (0)

    // Plugging: while unplugged every handle is dead and Open fails; Replug lets Open succeed again.
    // The listener hears each change after it took effect (false gone, true back), outside the
    // emulator's lock: Unplug and Replug on the caller's thread (a call that changes nothing is not
    // heard), restarts and vanishing on the notification thread (see above). It hears them in order:
    // a hand-made change first waits until the notification thread has told what it is telling, taking
    // meanwhile what other threads send to the caller's thread (the listener may be sending to a window
    // of it), and is told behind every change still queued.
    void Unplug();
    void Replug();
    void SetPlugListener(std::function<void(bool present)> listener);
    bool IsPresent() const;
    // Waits until no restart is under way and every notification has been heard; false after timeoutMs.
    bool WaitUntilSettled(int timeoutMs);

    // Records
    std::vector<std::vector<uint8_t>> Requests() const;  // every report written, as written
    void ClearRequests();
    AmpCounters Counters() const;
    int PendingReports() const;  // reports (and pieces of split frames) not yet read
    int BlockedReads() const;    // real-time ReadTimeout calls now waiting for a report

private:
    using Clock = std::chrono::steady_clock;

    struct Handle {
        uint64_t generation = 0;  // the enumeration of the device it was opened on
        bool closing = false;
        bool closed = false;
        int busy = 0;  // Write and ReadTimeout calls in progress
        int nonblocking = 0;
    };
    struct Report {
        std::vector<uint8_t> bytes;
        int heldForEmptyReads = 0;
        AmpAfterReply after = AmpAfterReply::None;
        Clock::time_point readyAt;
    };
    struct Rule {
        AmpFaultRule rule;
        int seen = 0;
    };
    class BusyScope;

    Handle* Lookup(HidHandle* dev);
    bool Alive(const Handle* h) const;
    Handle* LiveHandle(HidHandle* dev);
    bool WaitUntil(std::unique_lock<std::mutex>& lock, Clock::time_point when, const Handle* h);
    int ReadString(HidHandle* dev, int which, wchar_t* text, size_t maxChars);

    void Process(const AmpRequest& request);
    bool FindFault(const AmpRequest& request, AmpFaultRule& fired);
    std::vector<uint8_t> TakeCarry(AmpAfterReply& after);
    void Queue(std::vector<uint8_t> frame, int heldForEmptyReads, AmpAfterReply after);
    void QueueSplit(const std::vector<uint8_t>& frame, size_t cut, AmpAfterReply after);
    void TakeRideAlong(std::vector<uint8_t>& bytes);
    void AfterReply(AmpAfterReply after);
    void Restart(AmpMode mode);
    void LoseDevice();
    void Announce(bool present);
    void ChangeByHand(bool present);
    void BeginTelling();
    void EndTelling();
    void WaitUntilNobodyTells(std::unique_lock<std::mutex>& lock);
    void ComeBack();
    bool RestartDue() const;
    void NotifyLoop();
    void StopNotifying();

    mutable std::mutex mMutex;
    std::condition_variable mChanged;
    AmpDevice mDevice;
    std::vector<std::unique_ptr<Handle>> mHandles;  // kept until destruction: a stale handle stays detectable

    bool mPresent = true;
    uint64_t mGeneration = 1;  // changes whenever the device vanishes; handles of an older one are dead
    bool mRestarting = false;
    int mOpensUntilBack = 0;
    Clock::time_point mBackAt;
    int mRestartFailedOpens = 0;
    int mRestartMs = 0;

    std::deque<Report> mReports;
    std::vector<uint8_t> mCarry;  // bytes that begin the next report (the rest of a split frame, injections)
    AmpAfterReply mCarryAfter = AmpAfterReply::None;
    std::vector<std::vector<uint8_t>> mRideAlong;  // frames to append behind the next reply

    std::vector<Rule> mRules;
    std::vector<std::vector<uint8_t>> mRequests;
    AmpCounters mCounters;

    bool mRealTime = false;
    std::chrono::milliseconds mReplyDelay{0};
    std::function<void(bool)> mPlugListener;
    std::deque<bool> mAnnouncements;  // plug changes not yet heard (restarts, vanishing)
    bool mTelling = false;            // the notification thread, or a hand-made change, tells the listener
    void* mNobodyTelling;             // a manual-reset event, set while mTelling is false
    bool mStopNotifier = false;
    std::thread mNotifier;
    bool mPacing = false;
    Clock::time_point mOutFreeAt;
    Clock::time_point mInFreeAt;
    int mFailingStrings = 0;
    int mInitResult = 0;
    int mBlockedReads = 0;
};
