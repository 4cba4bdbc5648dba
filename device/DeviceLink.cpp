// DeviceLink: construction, the HID connection, the queue worker and the common steps of every builder.
#include "device/DeviceLink.h"

#include "base/Log.h"
#include "device/HidApiBackend.h"
#include "device/Payload.h"
#include "device/Thread.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {
constexpr size_t kDeviceStringChars = 255;
constexpr int kStringFailuresThatClose = 3;
}  // namespace

DeviceLink::DeviceLink() { Construct(DeviceLinkSeams{}); }

DeviceLink::DeviceLink(const DeviceLinkSeams& seams) { Construct(seams); }

void DeviceLink::Construct(const DeviceLinkSeams& seams) {
    if (seams.hid != nullptr) {
        mHid = seams.hid;
    } else {
        mOwnedHid = std::make_unique<HidApiBackend>();
        mHid = mOwnedHid.get();
    }
    mClock = seams.clock != nullptr ? seams.clock : &SystemDeviceClock();
    mPoster = seams.poster != nullptr ? seams.poster : &WindowReplyPoster();
    for (auto& window : mReplyWnd) window = nullptr;
    mRxBuffer = new uint8_t[HidPacket::kRequestReportSize]();
    // Set before the worker starts: a link destroyed at once must not be overtaken by its own worker.
    mRunning = 1;
    mCmdThread = new Thread(&DeviceLink::McuCmdThread, this);
}

DeviceLink::~DeviceLink() {
    mRunning = 0;
    mCmdQueue.Wake();  // an idle worker waits on the queue alone
    // Closing first ends a read the worker may be waiting in.
    CloseHIDDevice(false);
    if (mCmdThread != nullptr) {
        mCmdThread->Destroy();
        delete mCmdThread;
        mCmdThread = nullptr;
    }
    FlushPendingPosts();  // what a batch still held goes out, or its records are freed
    delete[] mRxBuffer;
    mRxBuffer = nullptr;
    free(mMcuImage);
    free(mDspImage);
    free(mergedFW);
    if (mFwFile != nullptr) fclose(mFwFile);
}

void DeviceLink::SetDeviceProfile(uint8_t modelId, uint32_t outputs, uint32_t inputs, uint32_t wideTrim,
                                  uint8_t noiseReplyToMain) {
    pc_model_id = modelId;
    mOutputCount = outputs;
    mInputCount = inputs;
    mWideTrim = wideTrim;
    mNoiseReplyToMain = noiseReplyToMain;
}

void DeviceLink::SetMainHwnd(HWND hwnd) {
    mReplyWnd[kMainWnd] = hwnd;
    if (const DWORD thread = hwnd != nullptr ? GetWindowThreadProcessId(hwnd, nullptr) : 0) mUiThread = thread;
}

void DeviceLink::OpenHIDDevice() {
    // A plug event and an upgrade's reconnect may ask at the same moment: the second finds it open.
    std::lock_guard<std::mutex> opening(mOpenLock);
    if (IsConnected()) return;  // reopening would leak the open handle
    if (mHid->Init() != 0) return;
    HidHandle* handle = mHid->Open(kVendorId, kProductId, nullptr);
    if (handle == nullptr) {
        LogPrintW(L"unable to open device\n");
        return;
    }

    wchar_t text[kDeviceStringChars];
    int failures = 0;
    auto readString = [&](auto read) {
        text[0] = 0;
        const int result = read();
        text[kDeviceStringChars - 1] = 0;
        if (result < 0) ++failures;
        return result >= 0;
    };
    if (!readString([&] { return mHid->GetManufacturerString(handle, text, kDeviceStringChars); }))
        LogPrintW(L"Unable to read manufacturer string\n");
    LogPrintW(L"Manufacturer String: %ls\n", text);
    if (!readString([&] { return mHid->GetProductString(handle, text, kDeviceStringChars); }))
        LogPrintW(L"Unable to read product string\n");
    LogPrintW(L"Product String: %ls\n", text);
    if (!readString([&] { return mHid->GetSerialNumberString(handle, text, kDeviceStringChars); }))
        LogPrintW(L"Unable to read serial number string\n");
    LogPrintW(L"Serial Number String: (%d) %ls\n", text[0], text);
    {
        std::lock_guard<std::mutex> serial(mSerialLock);
        mSerial = text;
    }
    if (!readString([&] { return mHid->GetIndexedString(handle, 1, text, kDeviceStringChars); }))
        LogPrintW(L"Unable to read indexed string 1\n");
    LogPrintW(L"Indexed String 1: %ls\n", text);

    if (failures >= kStringFailuresThatClose) {
        LogPrintW(L"read HID info error, unable open device correctly\n");
        mHid->Close(handle);
        return;
    }
    mHid->SetNonblocking(handle, 1);
    {
        // Bytes of a frame cut off by an earlier disconnect must not swallow the first reply.
        std::lock_guard<std::recursive_mutex> lock(mExchangeLock);
        ResetReceiveState();
    }
    mLinkFailed = false;
    mHidHandle = handle;
}

std::wstring DeviceLink::SerialNumber() const {
    std::lock_guard<std::mutex> serial(mSerialLock);
    return mSerial;
}

void DeviceLink::CloseHIDDevice(bool notify) {
    std::lock_guard<std::mutex> closing(mOpenLock);
    if (!IsConnected()) return;
    if (notify) PC_Connect(0);
    HidHandle* handle = mHidHandle.exchange(nullptr);
    if (handle == nullptr) return;  // another thread closed it meanwhile
    // The backend waits for a read in progress on another thread before it lets the device go.
    mHid->Close(handle);
    WRITE_ROPRT = 0;
    LogPrintW(L"CloseHIDDevice!\n");
}

bool DeviceLink::RunHiddenProcess(const wchar_t* commandLine) {
    std::vector<wchar_t> line;
    for (const wchar_t* p = commandLine; p != nullptr && *p != 0; ++p) line.push_back(*p);
    line.push_back(0);
    STARTUPINFOW startup;
    GetStartupInfoW(&startup);
    PROCESS_INFORMATION process{};
    const BOOL ok = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr,
                                   &startup, &process);
    if (ok) {
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }
    return ok != FALSE;
}

bool DeviceLink::IsCmdQueueIdle() const { return mPendingCmds.load() == 0; }

// ---- Replies to windows ----

void DeviceLink::PostValue(int slot, UINT message, WPARAM wParam, LPARAM value) {
    Deliver(PendingPost{slot, message, wParam, value, false});
}

void DeviceLink::PostRecord(int slot, UINT message, WPARAM wParam, void* record) {
    if (record == nullptr) return;
    Deliver(PendingPost{slot, message, wParam, reinterpret_cast<LPARAM>(record), true});
}

void DeviceLink::Deliver(const PendingPost& post) {
    std::lock_guard<std::recursive_mutex> lock(mExchangeLock);
    if (mBatchThread.load() == GetCurrentThreadId()) {
        mPendingPosts.push_back(post);
        return;
    }
    FlushPendingPosts();
    PostNow(post);
}

void DeviceLink::PostNow(const PendingPost& post) {
    // The window is looked up as the post goes out: a window that gave up its slot meanwhile gets nothing.
    const bool posted = mPoster->Post(mReplyWnd[post.slot], post.message, post.wParam, post.lParam);
    if (!posted && post.record) free(reinterpret_cast<void*>(post.lParam));
}

void DeviceLink::FlushPendingPosts() {
    std::lock_guard<std::recursive_mutex> lock(mExchangeLock);
    if (mPendingPosts.empty()) return;
    std::vector<PendingPost> posts;
    posts.swap(mPendingPosts);
    for (const PendingPost& post : posts) PostNow(post);
}

DeviceLink::ReplyBatch::ReplyBatch(DeviceLink& link) : mLink(link) {
    DWORD none = 0;
    mOwner = link.mBatchThread.compare_exchange_strong(none, GetCurrentThreadId());
}

DeviceLink::ReplyBatch::~ReplyBatch() {
    if (!mOwner) return;
    std::lock_guard<std::recursive_mutex> lock(mLink.mExchangeLock);
    mLink.mBatchThread = 0;
    mLink.FlushPendingPosts();
}

// ---- Common steps of the builders ----

bool DeviceLink::PayloadFits(uint8_t cmd, uint8_t sub, const Payload& payload) {
    if (!payload.Overflowed()) return true;
    LogPrintW(L"payload too long for cmd 0x%02x sub 0x%02x, not sent\n", cmd, sub);
    return false;
}

bool DeviceLink::Exchange(uint8_t cmd, uint8_t sub, uint8_t optype, const Payload& payload, int waitMs) {
    if (!PayloadFits(cmd, sub, payload)) return false;
    if (waitMs <= 0) {
        // Nothing will be read, so another thread's exchange need not be waited for.
        return SendCtrlCommand(cmd, sub, optype, payload.Data(), payload.Size());
    }
    if (OnUiThread()) return CarryThroughWorker(cmd, sub, optype, payload, waitMs);
    return ExchangeHere(cmd, sub, optype, payload.Data(), payload.Size(), waitMs);
}

bool DeviceLink::ExchangeHere(uint8_t cmd, uint8_t sub, uint8_t optype, const uint8_t* data, uint8_t len,
                              int waitMs) {
    std::lock_guard<std::recursive_mutex> lock(mExchangeLock);
    DrainStaleInput();
    const bool sent = SendCtrlCommand(cmd, sub, optype, data, len);
    // Replies held by a reply batch go out now, while the request is on the bus and its reply on its way.
    FlushPendingPosts();
    if (!sent) {
        // Nothing went out, so no reply can come: waiting for one would only stall the caller.
        LogPrintW(L"cmd 0x%02x sub 0x%02x not sent, no reply awaited\n", cmd, sub);
        return false;
    }
    return ReadHIDData(mRxBuffer, waitMs) == 1;
}

bool DeviceLink::OnUiThread() const {
    const DWORD ui = mUiThread.load();
    return ui != 0 && ui == GetCurrentThreadId();
}

// The UI thread must not wait behind another thread's exchange, nor for the device's reply; the worker
// sends the same frame in its turn and the reply is posted as usual. Sent whether or not the queue is on,
// as a synchronous call is.
bool DeviceLink::CarryThroughWorker(uint8_t cmd, uint8_t sub, uint8_t optype, const Payload& payload, int waitMs) {
    LogPrintW(L"cmd 0x%02x sub 0x%02x from the UI thread goes through the worker\n", cmd, sub);
    return EnqueueItem(cmd, sub, optype, payload, waitMs);
}

bool DeviceLink::EnqueueItem(uint8_t cmd, uint8_t sub, uint8_t optype, const Payload& payload, int waitMs) {
    McuCmd item;
    item.mcmd = cmd;
    item.subcmd = sub;
    item.optype = optype;
    std::copy(payload.Data(), payload.Data() + payload.Size(), item.cmd_data.begin());
    item.len = payload.Size();
    item.waitMs = waitMs;
    ++mPendingCmds;
    if (mCmdQueue.Enqueue(item)) return true;
    --mPendingCmds;
    return false;
}

DeviceLink::Outcome DeviceLink::Submit(uint8_t cmd, uint8_t sub, uint8_t optype, const Payload& payload, bool sync) {
    if (!PayloadFits(cmd, sub, payload)) return Outcome::Refused;
    if (sync) return Exchange(cmd, sub, optype, payload, kReplyWaitMs) ? Outcome::Sent : Outcome::Failed;
    if (!mQueueEnabled) return Outcome::Dropped;
    return EnqueueItem(cmd, sub, optype, payload, kReplyWaitMs) ? Outcome::Queued : Outcome::QueueFailed;
}

// ---- Send queue worker ----

void DeviceLink::McuCmdThread(void* link) { static_cast<DeviceLink*>(link)->RunCmdWorker(); }

void DeviceLink::RunCmdWorker() {
    LogPrintW(L"McuCmdThread start\n");
    McuCmd cmd;
    while (mRunning) {
        // Sleeps until a producer or the destructor wakes it: an idle link costs no CPU.
        if (!mCmdQueue.WaitDequeue(cmd)) continue;
        if (!mRunning) {
            // Taken while the link was being destroyed: dropped unsent like the rest.
            LogQueuedCmd(cmd);
            --mPendingCmds;
            break;
        }
        LogQueuedCmd(cmd);
        ExchangeHere(cmd.mcmd, cmd.subcmd, cmd.optype, cmd.cmd_data.data(), static_cast<uint8_t>(cmd.len), cmd.waitMs);
        --mPendingCmds;
    }
    // Whatever is still queued is dropped unsent.
    while (mCmdQueue.TryDequeue(cmd)) {
        LogQueuedCmd(cmd);
        --mPendingCmds;
    }
    LogPrintW(L"McuCmdThread end\n");
}

void DeviceLink::LogQueuedCmd(const McuCmd& cmd) {
    const unsigned len = cmd.len & 0xFF;
    LogPrintW(L"get mcmd 0x%02x subcmd 0x%02x optype 0x%02x len 0x%02x cmd_data:", cmd.mcmd, cmd.subcmd, cmd.optype,
              len);
    LogUnstampedScope unstamped;
    for (unsigned i = 0; i < len && i < cmd.cmd_data.size(); ++i) LogPrintW(L" 0x%02x", cmd.cmd_data[i]);
    LogPrintW(L"\n");
}
