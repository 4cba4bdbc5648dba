// DeviceLink send path: one request frame written as one 65-byte output report.
#include "device/DeviceLink.h"

#include "base/Log.h"

#include <cstdint>

namespace {
std::atomic<int> gDspGetCount{0};
constexpr uint32_t kPingIntervalMs = 400;

void LogDspGet(uint8_t sub) {
    const int count = ++gDspGetCount;
    if (const char* name = DspCmdLogName(sub)) {
        LogPrintW(L"SendCtrlCommand %d, %hs\n", count, name);
    } else {
        LogPrintW(L"SendCtrlCommand %d, %d\n", count, sub);
    }
}

void LogFrame(const uint8_t* frame) {
    LogPrintW(L"begain to write data to devices:\n");
    LogUnstampedScope unstamped;
    for (size_t i = 0; i < HidPacket::kRequestReportSize; ++i) LogPrintW(L"%02x ", frame[i]);
    LogPrintW(L"\n");
}
}  // namespace

bool DeviceLink::SendCtrlCommand(uint8_t cmd, uint8_t sub, uint8_t optype, const uint8_t* payload, uint8_t len) {
    const uint32_t start = mClock->NowMs();
    if (cmd == CMD_DSP && optype == OP_GET) LogDspGet(sub);
    LogPrintW(L"SendCtrlCommand timestart = %ld\n", static_cast<long>(start));
    if (!IsConnected()) {
        WRITE_ROPRT = 0;
        return false;
    }
    if (mLinkFailed) {
        LogPrintW(L"SendCtrlCommand: link failed, not sent\n");
        return false;
    }

    uint8_t frame[HidPacket::kRequestReportSize];
    if (!HidPacket::BuildRequest(cmd, sub, optype, payload, len, frame)) {
        LogPrintW(L"SendCtrlCommand: payload of %d bytes does not fit a report\n", len);
        return false;
    }

    // Take the write-busy flag in one atomic step; a writer that holds it too long is overridden.
    for (uint32_t expected = 0; !WRITE_ROPRT.compare_exchange_weak(expected, 1); expected = 0) {
        if (ElapsedMs(*mClock, start) > kWriteBusyTimeoutMs) {
            LogPrintW(L"time out, break out send cmd!\n");
            WRITE_ROPRT = 0;
            return false;
        }
        if (!IsConnected()) {
            LogPrintW(L"mHidHandle is NULL, break out send cmd!\n");
            WRITE_ROPRT = 0;
            return false;
        }
        mClock->SleepMs(0);
    }

    LogPrintW(L"SendCtrlCommand Cmd:0x%02x, subcmd:0x%02x, optype:0x%02x, len:0x%02x\n", cmd, sub, optype, len);
    LogFrame(frame);
    LogPrintW(L"set WRITE_ROPRT = TRUE\n");

    HidHandle* handle = mHidHandle.load();
    if (handle == nullptr) {
        LogPrintW(L"mHidHandle is NULL, can't send cmd\n");
        WRITE_ROPRT = 0;
        return false;
    }
    const int written = mHid->Write(handle, frame, sizeof frame);
    mLastWriteTick = mClock->NowMs();
    if (written < 0) {
        LogPrintW(L"Write HidDeviceObject = %d errot = %ls\n", static_cast<int>(reinterpret_cast<intptr_t>(handle)),
                  mHid->Error(handle));
        WRITE_ROPRT = 0;
        MarkLinkFailed(L"write");
        return false;
    }
    LogPrintW(L"write data ok! HidDeviceObject = %d\n", static_cast<int>(reinterpret_cast<intptr_t>(handle)));
    WRITE_ROPRT = 0;
    return true;
}

bool DeviceLink::PingMsg() {
    if (mClock->NowMs() - mLastWriteTick.load() >= kPingIntervalMs) {
        LogPrintW(L"PingMsg\n");
        SendCtrlCommand(CMD_MCU, MCU_PING, OP_SET, nullptr, 0);
    } else {
        LogPrintW(L"skip ping as no need\n");
    }
    return true;
}
