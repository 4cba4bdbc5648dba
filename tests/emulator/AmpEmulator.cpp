#include "AmpEmulator.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <string>
#include <thread>

namespace {

constexpr uint16_t kVendorId = 0x0483;
constexpr uint16_t kProductId = 0x5750;
constexpr auto kUsbInterval = std::chrono::milliseconds(1);
constexpr auto kTimedWaitLateness = std::chrono::milliseconds(3);  // how late a timed wait may wake

}  // namespace

// Marks a handle busy for one Write or ReadTimeout, so that Close can wait for it. Destroyed while the
// emulator's lock is still held.
class AmpEmulator::BusyScope {
public:
    BusyScope(AmpEmulator& emulator, Handle& handle) : mEmulator(emulator), mHandle(handle) { ++mHandle.busy; }
    ~BusyScope() {
        --mHandle.busy;
        mEmulator.mChanged.notify_all();
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    AmpEmulator& mEmulator;
    Handle& mHandle;
};

AmpEmulator::AmpEmulator() : mNobodyTelling(CreateEventW(nullptr, TRUE, TRUE, nullptr)) {}

AmpEmulator::~AmpEmulator() {
    StopNotifying();
    CloseHandle(mNobodyTelling);
    std::unique_lock<std::mutex> lock(mMutex);
    for (auto& h : mHandles) h->closing = true;
    mChanged.notify_all();
    mChanged.wait(lock, [this] {
        return std::all_of(mHandles.begin(), mHandles.end(), [](const std::unique_ptr<Handle>& h) { return h->busy == 0; });
    });
}

// ---- handles -------------------------------------------------------------------------------------

AmpEmulator::Handle* AmpEmulator::Lookup(HidHandle* dev) {
    for (auto& h : mHandles)
        if (reinterpret_cast<HidHandle*>(h.get()) == dev) return h.get();
    return nullptr;
}

bool AmpEmulator::Alive(const Handle* h) const {
    return h && !h->closing && !h->closed && mPresent && h->generation == mGeneration;
}

AmpEmulator::Handle* AmpEmulator::LiveHandle(HidHandle* dev) {
    Handle* h = Lookup(dev);
    if (h && h->closed) ++mCounters.closedHandleUses;
    return Alive(h) ? h : nullptr;
}

// Waits for a moment on the steady clock; false when the handle died meanwhile. A timed wait wakes a
// millisecond or more late under Wine, which would double a 1 ms bus interval, so the condition is
// waited on only until shortly before the moment, and the rest is yielded away with the lock released.
bool AmpEmulator::WaitUntil(std::unique_lock<std::mutex>& lock, Clock::time_point when, const Handle* h) {
    for (;;) {
        if (!Alive(h)) return false;
        const Clock::time_point now = Clock::now();
        if (now >= when) return true;
        if (when - now > kTimedWaitLateness) {
            mChanged.wait_until(lock, when - kTimedWaitLateness);
        } else {
            lock.unlock();
            std::this_thread::yield();
            lock.lock();
        }
    }
}

// ---- HidBackend ----------------------------------------------------------------------------------

int AmpEmulator::Init() {
    std::lock_guard<std::mutex> lock(mMutex);
    return mInitResult;
}

HidHandle* AmpEmulator::Open(uint16_t vendorId, uint16_t productId, const wchar_t* serial) {
    std::lock_guard<std::mutex> lock(mMutex);
    auto fail = [this]() -> HidHandle* {
        ++mCounters.failedOpens;
        return nullptr;
    };
    if (vendorId != kVendorId || productId != kProductId) return fail();
    if (!mPresent && mRestarting) {
        if (mOpensUntilBack > 0) {
            --mOpensUntilBack;
            return fail();
        }
        if (mRealTime && Clock::now() < mBackAt) return fail();
        ComeBack();
    }
    if (!mPresent) return fail();
    if (serial && *serial && mDevice.state.identity.serial != serial) return fail();
    mHandles.push_back(std::make_unique<Handle>());
    mHandles.back()->generation = mGeneration;
    ++mCounters.opens;
    return reinterpret_cast<HidHandle*>(mHandles.back().get());
}

int AmpEmulator::ReadString(HidHandle* dev, int which, wchar_t* text, size_t maxChars) {
    std::lock_guard<std::mutex> lock(mMutex);
    if (!LiveHandle(dev) || !text || maxChars == 0 || which < mFailingStrings) return -1;
    const AmpIdentity& id = mDevice.state.identity;
    const std::wstring* strings[] = {&id.manufacturer, &id.product, &id.serial, &id.indexedString1};
    const std::wstring& value = *strings[which];
    const size_t n = std::min(value.size(), maxChars - 1);
    std::wmemcpy(text, value.data(), n);
    text[n] = 0;
    return 0;
}

int AmpEmulator::GetManufacturerString(HidHandle* dev, wchar_t* text, size_t maxChars) {
    return ReadString(dev, 0, text, maxChars);
}

int AmpEmulator::GetProductString(HidHandle* dev, wchar_t* text, size_t maxChars) {
    return ReadString(dev, 1, text, maxChars);
}

int AmpEmulator::GetSerialNumberString(HidHandle* dev, wchar_t* text, size_t maxChars) {
    return ReadString(dev, 2, text, maxChars);
}

int AmpEmulator::GetIndexedString(HidHandle* dev, int index, wchar_t* text, size_t maxChars) {
    return index == 1 ? ReadString(dev, 3, text, maxChars) : -1;
}

int AmpEmulator::SetNonblocking(HidHandle* dev, int nonblock) {
    std::lock_guard<std::mutex> lock(mMutex);
    Handle* h = LiveHandle(dev);
    if (!h) return -1;
    h->nonblocking = nonblock;
    return 0;
}

int AmpEmulator::Write(HidHandle* dev, const uint8_t* data, size_t length) {
    std::unique_lock<std::mutex> lock(mMutex);
    Handle* h = LiveHandle(dev);
    if (!h || !data) return -1;
    BusyScope busy(*this, *h);
    if (mPacing) {
        const Clock::time_point end = std::max(Clock::now(), mOutFreeAt) + kUsbInterval;
        mOutFreeAt = end;
        if (!WaitUntil(lock, end, h)) return -1;
    }
    mRequests.emplace_back(data, data + length);
    ++mCounters.requests;
    AmpRequest request;
    if (ParseAmpRequest(data, length, request))
        Process(request);
    else
        ++mCounters.badRequests;
    return static_cast<int>(length);
}

int AmpEmulator::ReadTimeout(HidHandle* dev, uint8_t* data, size_t length, int timeoutMs) {
    std::unique_lock<std::mutex> lock(mMutex);
    Handle* h = LiveHandle(dev);
    if (!h || !data) return -1;
    BusyScope busy(*this, *h);
    const bool forever = timeoutMs < 0;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    for (;;) {
        if (!Alive(h)) return -1;
        // A slow amplifier's reply is not there before its time (real-time mode only).
        const bool due = mReports.empty() || !mRealTime || mReports.front().readyAt <= Clock::now();
        const bool reportReady = !mReports.empty() && mReports.front().heldForEmptyReads == 0 && due;
        if (reportReady || (mReports.empty() && !mCarry.empty())) break;
        if (!mRealTime || (!forever && Clock::now() >= deadline)) {
            if (!mReports.empty() && due) --mReports.front().heldForEmptyReads;
            return 0;
        }
        ++mBlockedReads;
        Clock::time_point wake = forever ? Clock::time_point::max() : deadline;
        if (!due) wake = std::min(wake, mReports.front().readyAt);
        if (wake == Clock::time_point::max())
            mChanged.wait(lock);
        else
            mChanged.wait_until(lock, wake);
        --mBlockedReads;
    }
    Report report;
    if (!mReports.empty()) {
        report = std::move(mReports.front());
        mReports.pop_front();
    } else {
        report.bytes = TakeCarry(report.after);
        report.readyAt = Clock::now();
    }
    if (mPacing) {
        const Clock::time_point end = std::max(report.readyAt, mInFreeAt) + kUsbInterval;
        mInFreeAt = end;
        if (!WaitUntil(lock, end, h)) return -1;
    }
    const size_t n = std::min(length, kAmpReportBytes);
    std::memset(data, 0, n);
    std::memcpy(data, report.bytes.data(), std::min(n, report.bytes.size()));
    ++mCounters.reportsSent;
    AfterReply(report.after);
    return static_cast<int>(n);
}

const wchar_t* AmpEmulator::Error(HidHandle* dev) {
    std::lock_guard<std::mutex> lock(mMutex);
    const Handle* h = Lookup(dev);
    if (!h) return L"unknown device handle";
    if (h->closed) return L"device handle closed";
    if (!Alive(h)) return L"device not connected";
    return L"no error";
}

void AmpEmulator::Close(HidHandle* dev) {
    std::unique_lock<std::mutex> lock(mMutex);
    Handle* h = Lookup(dev);
    if (!h) return;
    if (h->closed || h->closing) {
        ++mCounters.closedHandleUses;
        return;
    }
    h->closing = true;
    mChanged.notify_all();
    mChanged.wait(lock, [h] { return h->busy == 0; });
    h->closing = false;
    h->closed = true;
}

// ---- requests and replies ------------------------------------------------------------------------

bool AmpEmulator::FindFault(const AmpRequest& r, AmpFaultRule& fired) {
    bool found = false;
    for (Rule& rule : mRules) {
        const AmpFaultRule& f = rule.rule;
        if ((f.cmd && f.cmd != r.cmd) || (f.sub >= 0 && f.sub != r.sub) || (f.optype >= 0 && f.optype != r.optype))
            continue;
        const int index = rule.seen++;
        if (found || index < f.skip || (f.times >= 0 && index >= f.skip + f.times)) continue;
        fired = f;
        found = true;
    }
    return found;
}

void AmpEmulator::Process(const AmpRequest& request) {
    AmpFaultRule fault;
    const bool faulty = FindFault(request, fault);
    const auto param = [&fault](int byDefault) { return fault.param >= 0 ? fault.param : byDefault; };
    const std::vector<uint8_t> notReady = MakeAmpFrame(request.cmd, {request.sub, kAmpOpAck, kAmpNotReady});
    if (faulty && fault.fault == AmpFault::Vanish) {
        LoseDevice();
        mRestarting = false;
        Announce(false);
        return;
    }
    if (faulty && fault.fault == AmpFault::NotReady) {
        if (AmpDevice::ExpectsReply(request)) Queue(notReady, 0, AmpAfterReply::None);
        return;
    }
    const AmpReply reply = mDevice.Respond(request);
    if (!reply.expected || (faulty && fault.fault == AmpFault::NoReply)) {
        AfterReply(reply.after);
        return;
    }
    std::vector<uint8_t> frame = MakeAmpFrame(reply.type, reply.data);
    switch (faulty ? fault.fault : AmpFault::NoReply) {
        case AmpFault::Late: Queue(frame, param(1), reply.after); return;
        case AmpFault::Split: QueueSplit(frame, static_cast<size_t>(param(static_cast<int>(frame.size() / 2))), reply.after); return;
        case AmpFault::BadChecksum: ++frame.back(); break;
        case AmpFault::LengthZero: frame[2] = 0; break;
        case AmpFault::LengthTooLong: frame[2] = static_cast<uint8_t>(param(62)); break;
        case AmpFault::Busy:
            Queue(notReady, 0, AmpAfterReply::None);
            Queue(frame, param(0), reply.after);
            return;
        default: break;
    }
    Queue(frame, 0, reply.after);
}

std::vector<uint8_t> AmpEmulator::TakeCarry(AmpAfterReply& after) {
    after = mCarryAfter;
    mCarryAfter = AmpAfterReply::None;
    std::vector<uint8_t> bytes;
    bytes.swap(mCarry);
    return bytes;
}

void AmpEmulator::TakeRideAlong(std::vector<uint8_t>& bytes) {
    while (!mRideAlong.empty() && bytes.size() + mRideAlong.front().size() <= kAmpReportBytes) {
        bytes.insert(bytes.end(), mRideAlong.front().begin(), mRideAlong.front().end());
        mRideAlong.erase(mRideAlong.begin());
    }
}

// One report: what is carried over, the frame, then the frames riding along. Bytes beyond one report are
// carried over to the next.
void AmpEmulator::Queue(std::vector<uint8_t> frame, int heldForEmptyReads, AmpAfterReply after) {
    Report report;
    AmpAfterReply carriedAfter = AmpAfterReply::None;
    report.bytes = TakeCarry(carriedAfter);
    report.bytes.insert(report.bytes.end(), frame.begin(), frame.end());
    TakeRideAlong(report.bytes);
    if (report.bytes.size() > kAmpReportBytes) {
        mCarry.assign(report.bytes.begin() + kAmpReportBytes, report.bytes.end());
        report.bytes.resize(kAmpReportBytes);
    }
    report.heldForEmptyReads = heldForEmptyReads;
    report.after = after != AmpAfterReply::None ? after : carriedAfter;
    report.readyAt = Clock::now() + (mRealTime ? mReplyDelay : std::chrono::milliseconds(0));
    mReports.push_back(std::move(report));
    mChanged.notify_all();
}

void AmpEmulator::QueueSplit(const std::vector<uint8_t>& frame, size_t cut, AmpAfterReply after) {
    cut = std::min(std::max<size_t>(cut, 1), frame.size() - 1);
    Report head;
    AmpAfterReply carriedAfter = AmpAfterReply::None;
    head.bytes = TakeCarry(carriedAfter);
    head.bytes.insert(head.bytes.end(), frame.begin(), frame.begin() + cut);
    head.after = carriedAfter;
    head.readyAt = Clock::now() + (mRealTime ? mReplyDelay : std::chrono::milliseconds(0));
    mReports.push_back(std::move(head));
    mCarry.assign(frame.begin() + cut, frame.end());
    mCarryAfter = after;
    mChanged.notify_all();
}

void AmpEmulator::AfterReply(AmpAfterReply after) {
    if (after == AmpAfterReply::RebootToUpgrade) Restart(AmpMode::Upgrade);
    if (after == AmpAfterReply::RebootToNormal) Restart(AmpMode::Normal);
}

void AmpEmulator::Restart(AmpMode mode) {
    LoseDevice();
    mDevice.state.mode = mode;
    mDevice.calibration.Reset();
    mRestarting = true;
    mOpensUntilBack = mRestartFailedOpens;
    mBackAt = Clock::now() + std::chrono::milliseconds(mRestartMs);
    ++mCounters.restarts;
    Announce(false);
}

// Back on the bus after a restart.
void AmpEmulator::ComeBack() {
    mPresent = true;
    mRestarting = false;
    Announce(true);
    mChanged.notify_all();
}

// A restart is over once its count of failed opens is used up and, in real time, its delay has passed.
bool AmpEmulator::RestartDue() const {
    return mRestarting && mOpensUntilBack == 0 && (!mRealTime || Clock::now() >= mBackAt);
}

// Queued for the notification thread; nothing is heard without a listener.
void AmpEmulator::Announce(bool present) {
    if (!mPlugListener) return;
    mAnnouncements.push_back(present);
    mChanged.notify_all();
}

// The system's side of the bus: tells the listener each change in order, and brings a restarted device
// back when its restart is over. The listener is called without the lock, as it may call back in.
void AmpEmulator::NotifyLoop() {
    std::unique_lock<std::mutex> lock(mMutex);
    while (!mStopNotifier) {
        if (!mAnnouncements.empty() && !mTelling) {
            const bool present = mAnnouncements.front();
            mAnnouncements.pop_front();
            const std::function<void(bool)> listener = mPlugListener;
            BeginTelling();
            lock.unlock();
            if (listener) listener(present);
            lock.lock();
            EndTelling();
            continue;
        }
        if (RestartDue()) {
            ComeBack();
            continue;
        }
        if (mRestarting && mRealTime && mOpensUntilBack == 0)
            mChanged.wait_until(lock, mBackAt);
        else
            mChanged.wait(lock);
    }
}

void AmpEmulator::StopNotifying() {
    std::thread notifier;
    {
        std::lock_guard<std::mutex> lock(mMutex);
        mStopNotifier = true;
        mPlugListener = nullptr;
        mAnnouncements.clear();
        mChanged.notify_all();
        notifier.swap(mNotifier);
    }
    if (notifier.joinable()) notifier.join();
}

bool AmpEmulator::WaitUntilSettled(int timeoutMs) {
    std::unique_lock<std::mutex> lock(mMutex);
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    return mChanged.wait_until(lock, deadline, [this] {
        return !(mRestarting && mPlugListener) && mAnnouncements.empty() && !mTelling;
    });
}

// The device drops off the bus: every handle dies, and whatever it had not yet sent is lost.
void AmpEmulator::LoseDevice() {
    mPresent = false;
    ++mGeneration;
    mReports.clear();
    mCarry.clear();
    mCarryAfter = AmpAfterReply::None;
    mRideAlong.clear();
    mChanged.notify_all();
}

// ---- test controls -------------------------------------------------------------------------------

void AmpEmulator::SetRealTime(bool on) {
    std::lock_guard<std::mutex> lock(mMutex);
    mRealTime = on;
    mChanged.notify_all();
}

void AmpEmulator::SetUsbPacing(bool on) {
    std::lock_guard<std::mutex> lock(mMutex);
    mPacing = on;
}

void AmpEmulator::SetRestartDelay(int failedOpens, int realTimeMs) {
    std::lock_guard<std::mutex> lock(mMutex);
    mRestartFailedOpens = std::max(failedOpens, 0);
    mRestartMs = std::max(realTimeMs, 0);
}

AmpState AmpEmulator::State() const {
    std::lock_guard<std::mutex> lock(mMutex);
    return mDevice.state;
}

void AmpEmulator::EditState(const std::function<void(AmpState&)>& edit) {
    std::lock_guard<std::mutex> lock(mMutex);
    edit(mDevice.state);
}

void AmpEmulator::AddFault(const AmpFaultRule& rule) {
    std::lock_guard<std::mutex> lock(mMutex);
    mRules.push_back(Rule{rule, 0});
}

void AmpEmulator::ClearFaults() {
    std::lock_guard<std::mutex> lock(mMutex);
    mRules.clear();
}

void AmpEmulator::Inject(const std::vector<uint8_t>& bytes, AmpInject where) {
    std::lock_guard<std::mutex> lock(mMutex);
    if (!mPresent || bytes.empty()) return;
    switch (where) {
        case AmpInject::WithNextReply: mRideAlong.push_back(bytes); return;
        case AmpInject::BeforeNextReply: mCarry.insert(mCarry.end(), bytes.begin(), bytes.end()); break;
        case AmpInject::OwnReport: {
            Report report;
            report.bytes.assign(bytes.begin(), bytes.begin() + std::min(bytes.size(), kAmpReportBytes));
            report.readyAt = Clock::now();
            mReports.push_back(std::move(report));
            break;
        }
    }
    mChanged.notify_all();
}

void AmpEmulator::SetFailingStrings(int count) {
    std::lock_guard<std::mutex> lock(mMutex);
    mFailingStrings = std::min(std::max(count, 0), 4);
}

void AmpEmulator::SetInitResult(int result) {
    std::lock_guard<std::mutex> lock(mMutex);
    mInitResult = result;
}

// A change made by hand is heard at once on the caller's thread, behind what the bus had not yet told.
void AmpEmulator::Unplug() { ChangeByHand(false); }
void AmpEmulator::Replug() { ChangeByHand(true); }

void AmpEmulator::ChangeByHand(bool present) {
    std::deque<bool> heard;
    std::function<void(bool)> listener;
    {
        std::unique_lock<std::mutex> lock(mMutex);
        WaitUntilNobodyTells(lock);
        const bool gone = !mPresent && !mRestarting;
        if (present ? mPresent : gone) return;  // nothing changes, nothing is heard
        if (present) {
            mPresent = true;
            mChanged.notify_all();
        } else {
            LoseDevice();
        }
        mRestarting = false;
        listener = mPlugListener;
        if (!listener) return;
        heard.swap(mAnnouncements);
        heard.push_back(present);
        BeginTelling();  // what the bus learns meanwhile waits behind this
    }
    for (bool change : heard) listener(change);
    std::lock_guard<std::mutex> lock(mMutex);
    EndTelling();
}

// One teller at a time, so that the listener hears every change in order.
void AmpEmulator::BeginTelling() {
    mTelling = true;
    ResetEvent(mNobodyTelling);
}

void AmpEmulator::EndTelling() {
    mTelling = false;
    SetEvent(mNobodyTelling);
    mChanged.notify_all();
}

// The one telling may be sending to a window of this very thread: what other threads send to it is
// taken while it waits.
void AmpEmulator::WaitUntilNobodyTells(std::unique_lock<std::mutex>& lock) {
    while (mTelling) {
        lock.unlock();
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        MsgWaitForMultipleObjectsEx(1, &mNobodyTelling, INFINITE, QS_SENDMESSAGE, MWMO_INPUTAVAILABLE);
        lock.lock();
    }
}

void AmpEmulator::SetPlugListener(std::function<void(bool present)> listener) {
    std::lock_guard<std::mutex> lock(mMutex);
    mPlugListener = std::move(listener);
    if (!mPlugListener) {
        mAnnouncements.clear();
        return;
    }
    if (!mNotifier.joinable() && !mStopNotifier) mNotifier = std::thread(&AmpEmulator::NotifyLoop, this);
}

void AmpEmulator::SetReplyDelay(int ms) {
    std::lock_guard<std::mutex> lock(mMutex);
    mReplyDelay = std::chrono::milliseconds(ms > 0 ? ms : 0);
}

bool AmpEmulator::IsPresent() const {
    std::lock_guard<std::mutex> lock(mMutex);
    return mPresent;
}

std::vector<std::vector<uint8_t>> AmpEmulator::Requests() const {
    std::lock_guard<std::mutex> lock(mMutex);
    return mRequests;
}

void AmpEmulator::ClearRequests() {
    std::lock_guard<std::mutex> lock(mMutex);
    mRequests.clear();
}

AmpCounters AmpEmulator::Counters() const {
    std::lock_guard<std::mutex> lock(mMutex);
    return mCounters;
}

int AmpEmulator::PendingReports() const {
    std::lock_guard<std::mutex> lock(mMutex);
    return static_cast<int>(mReports.size()) + (mCarry.empty() ? 0 : 1);
}

int AmpEmulator::BlockedReads() const {
    std::lock_guard<std::mutex> lock(mMutex);
    return mBlockedReads;
}
