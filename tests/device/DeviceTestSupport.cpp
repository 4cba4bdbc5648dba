#include "device/DeviceTestSupport.h"

#include "device/DeviceRecords.h"

#include <cstdlib>
#include <cwchar>

Bytes ReplyBytes(uint8_t type, const Bytes& data) {
    Bytes frame{0xAA, 0x55, static_cast<uint8_t>(data.size() + 1), type};
    for (uint8_t b : data) frame.push_back(b);
    unsigned sum = 0;
    for (size_t i = 2; i < frame.size(); ++i) sum += frame[i];
    frame.push_back(static_cast<uint8_t>(0x100 - (sum & 0xFF)));
    return frame;
}

std::vector<Report> Reports(const Bytes& stream) {
    std::vector<Report> out;
    for (size_t at = 0; at < stream.size(); at += 64) {
        Report r{};
        for (size_t i = 0; i < 64 && at + i < stream.size(); ++i) r[i] = stream[at + i];
        out.push_back(r);
    }
    return out;
}

// ---- ScriptedHid ----

void ScriptedHid::QueueInput(const Bytes& stream) {
    std::lock_guard<std::mutex> lock(mLock);
    for (const Report& r : Reports(stream)) mInput.push_back(r);
    mChanged.notify_all();
}

void ScriptedHid::SetBlockingReads(bool blocking) {
    std::lock_guard<std::mutex> lock(mLock);
    mBlockingReads = blocking;
    mChanged.notify_all();
}

std::vector<ScriptedHid::Written> ScriptedHid::Writes() {
    std::lock_guard<std::mutex> lock(mLock);
    return mWrites;
}

std::vector<int> ScriptedHid::ReadTimeouts() {
    std::lock_guard<std::mutex> lock(mLock);
    return mReadTimeouts;
}

std::vector<int> ScriptedHid::ReplyWaits() {
    std::vector<int> waits;
    for (int timeout : ReadTimeouts()) {
        if (timeout != 0) waits.push_back(timeout);
    }
    return waits;
}

HidHandle* ScriptedHid::Open(uint16_t vendorId, uint16_t productId, const wchar_t* serial) {
    if (!openSucceeds || vendorId != 0x0483 || productId != 0x5750 || serial != nullptr) return nullptr;
    if (onOpen) onOpen();
    std::lock_guard<std::mutex> lock(mLock);
    ++opens;
    mOpen = true;
    return reinterpret_cast<HidHandle*>(&mHandleToken);
}

int ScriptedHid::String(int index, const wchar_t* value, wchar_t* text, size_t n) {
    if (index < failingStrings) return -1;
    wcsncpy(text, value, n);
    return 0;
}

int ScriptedHid::Write(HidHandle* dev, const uint8_t* data, size_t length) {
    Written written{Bytes(data, data + length)};
    {
        std::lock_guard<std::mutex> lock(mLock);
        if (!mOpen || dev == nullptr || failWrites) return -1;
        mWrites.push_back(written);
    }
    if (onWrite) onWrite(written);
    return static_cast<int>(length);
}

int ScriptedHid::ReadTimeout(HidHandle* dev, uint8_t* data, size_t length, int timeoutMs) {
    ++reads;
    std::unique_lock<std::mutex> lock(mLock);
    mReadTimeouts.push_back(timeoutMs);
    if (!mOpen || dev == nullptr || failReads) return -1;
    ++mReadersInside;
    // A read with no time-out only looks at what is already there.
    if (mBlockingReads && timeoutMs != 0) {
        mChanged.wait(lock, [this] { return !mInput.empty() || !mOpen || !mBlockingReads; });
    }
    int result = 0;
    if (!mOpen) {
        result = -1;
    } else if (!mInput.empty()) {
        const Report r = mInput.front();
        mInput.pop_front();
        for (size_t i = 0; i < length && i < r.size(); ++i) data[i] = r[i];
        result = static_cast<int>(length < r.size() ? length : r.size());
    } else {
        mClock.Advance(static_cast<uint32_t>(timeoutMs) + 1);  // waited out the time-out
    }
    --mReadersInside;
    mChanged.notify_all();
    return result;
}

void ScriptedHid::Close(HidHandle*) {
    std::unique_lock<std::mutex> lock(mLock);
    ++closes;
    mOpen = false;
    mChanged.notify_all();
    // A read in progress on another thread must have returned before the device goes.
    mChanged.wait(lock, [this] { return mReadersInside.load() == 0; });
}

// ---- CapturingPoster ----

bool CapturingPoster::Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!accept || window == nullptr) return false;
    std::lock_guard<std::mutex> lock(mLock);
    mPosts.push_back({window, message, wParam, lParam, GetCurrentThreadId()});
    return true;
}

std::vector<CapturingPoster::Posted> CapturingPoster::Posts() {
    std::lock_guard<std::mutex> lock(mLock);
    return mPosts;
}

std::vector<CapturingPoster::Posted> CapturingPoster::Of(UINT message, int wParam) {
    std::vector<Posted> out;
    for (const Posted& p : Posts()) {
        if (p.message == message && (wParam < 0 || p.wParam == static_cast<WPARAM>(wParam))) out.push_back(p);
    }
    return out;
}

void CapturingPoster::Clear() {
    std::lock_guard<std::mutex> lock(mLock);
    for (const Posted& p : mPosts) {
        if (ReplyCarriesRecord(p.message, p.wParam, p.lParam)) free(reinterpret_cast<void*>(p.lParam));
    }
    mPosts.clear();
}

HWND TestWindow(int slot) { return reinterpret_cast<HWND>(static_cast<intptr_t>(0x100 + slot)); }

// ---- LinkFixture ----

LinkFixture::LinkFixture() {
    link.SetDeviceProfile(94, 10, 10, 0, 0);
    for (int slot = 0; slot < DeviceLink::kReplyWindows; ++slot) link.mReplyWnd[slot] = TestWindow(slot);
    link.OpenHIDDevice();
}

void LinkFixture::Feed(const Bytes& stream) {
    for (uint8_t b : stream) link.RingPush(b);
    link.RingDrain();
}
