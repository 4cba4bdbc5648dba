// DeviceLink receive path: 64-byte input reports go through the 1024-byte ring into the byte-wise
// frame parser; each frame with a right checksum goes to the decoder of its packet type.
#include "device/DeviceLink.h"

#include "base/Log.h"

#include <algorithm>

namespace {
constexpr uint8_t kStateIdle = 0;
constexpr uint8_t kStateSync = 1;
constexpr uint8_t kStateLength = 2;
constexpr uint8_t kStateType = 3;
constexpr uint8_t kStateData = 4;
constexpr uint8_t kStateLast = 64;
}  // namespace

uint32_t DeviceLink::ReadHIDData(uint8_t* buffer, int timeoutMs) {
    // The ring and the parser belong to one reader at a time.
    std::lock_guard<std::recursive_mutex> lock(mExchangeLock);
    const uint32_t start = mClock->NowMs();
    LogPrintW(L"ReadHIDData timestart = %ld\n", static_cast<long>(start));
    HidHandle* handle = mHidHandle.load();
    if (mLinkFailed) {
        LogPrintW(L"ReadHIDData: link failed, nothing read\n");
        mReadFailed = true;
        mBytesRead = 0;
        return 0;
    }
    if (handle == nullptr) {
        LogPrintW(L"mHidHandle is NULL\n");
        mReadFailed = true;
        mBytesRead = 0;
        WRITE_ROPRT = 0;
        return 0;
    }
    mBytesRead = mHid->ReadTimeout(handle, buffer, HidPacket::kInputReportSize, timeoutMs);
    LogPrintW(L"ReadHIDData done timeend-timestart = %ld\n", static_cast<long>(ElapsedMs(*mClock, start)));
    LogPrintW(L"ReadHIDData NumberOfBytesRead = %d\n", mBytesRead.load());
    mReadFailed = mBytesRead < 0;
    if (mReadFailed) {
        // A read fails at once only when the device is gone: asking again would only spend the reply time.
        MarkLinkFailed(L"read");
        mBytesRead = 0;
        return 0;
    }
    if (mBytesRead == 0) return 0;
    return TakeReport(buffer);
}

uint32_t DeviceLink::TakeReport(const uint8_t* buffer) {
    const int count = std::min<int>(mBytesRead.load(), HidPacket::kInputReportSize);
    LogPrintW(L"read data: ");
    {
        LogUnstampedScope unstamped;
        for (int i = 0; i < count; ++i) {
            if (!IsConnected()) {
                LogPrintW(L"mHidHandle is NULL\n");
                mReadFailed = true;
                mBytesRead = 0;
                WRITE_ROPRT = 0;
                return 0;
            }
            RingPush(buffer[i]);
            LogPrintW(L"%02x ", buffer[i]);
        }
        LogPrintW(L"\n");
    }
    RingDrain();
    return 1;
}

void DeviceLink::DrainStaleInput() {
    std::lock_guard<std::recursive_mutex> lock(mExchangeLock);
    for (int reports = 0; reports < kMaxStaleReports && !mLinkFailed; ++reports) {
        HidHandle* handle = mHidHandle.load();
        if (handle == nullptr) return;
        const int count = mHid->ReadTimeout(handle, mRxBuffer, HidPacket::kInputReportSize, 0);
        if (count == 0) return;
        if (count < 0) {
            MarkLinkFailed(L"read");
            return;
        }
        // What came after its own exchange ended is still a valid reply: decode it now, so that the
        // next request reads its own reply and not this one.
        LogPrintW(L"stale input drained before send: %d bytes\n", count);
        mBytesRead = count;
        TakeReport(mRxBuffer);
    }
}

void DeviceLink::MarkLinkFailed(const wchar_t* what) {
    if (!mLinkFailed.exchange(true)) LogPrintW(L"device %ls failed: link marked failed\n", what);
}

void DeviceLink::RingPush(uint8_t byte) {
    mRing[mRingWrite] = byte;
    mRingWrite = (mRingWrite + 1) & (kRingSize - 1);
}

void DeviceLink::RingDrain() {
    std::lock_guard<std::recursive_mutex> lock(mExchangeLock);
    while (!RingEmpty() && IsConnected()) {
        mLastByte = mRing[mRingRead];
        mRingRead = (mRingRead + 1) & (kRingSize - 1);
        mParseState = FrameParser(mParseState, mLastByte);
    }
}

void DeviceLink::ResetReceiveState() {
    mRingRead = mRingWrite = 0;
    mParseState = kStateIdle;
}

uint8_t DeviceLink::FrameParser(uint8_t state, uint8_t byte) {
    switch (state) {
    case kStateIdle:
        return byte == HidPacket::kSync0 ? kStateSync : kStateIdle;
    case kStateSync:
        // Anything but 0x55 is skipped while the parser keeps waiting for it.
        return byte == HidPacket::kSync1 ? kStateLength : kStateSync;
    case kStateLength:
        // A length no frame can have is dropped at once, so it cannot swallow the frames after it.
        if (byte < HidPacket::kMinReplyLength || byte > HidPacket::kMaxReplyLength) return kStateIdle;
        packet_length = byte;
        return kStateType;
    case kStateType:
        packet_type = byte;
        return kStateData;
    default:
        break;
    }
    if (state < kStateData || state > kStateLast) return kStateIdle;
    LogPrintW(L"packet_process: temp_index(0x%02x), packet_length(0x%02x), packet_byte(0x%02x)\n", state,
              packet_length + 3, byte);
    if (state == packet_length + 3) {
        const uint32_t sum = packet_checksum(packet_length, packet_type, mPacketData);
        if (byte == static_cast<uint8_t>(sum)) packet_process(packet_length, packet_type, mPacketData);
        return kStateIdle;
    }
    if (state < kStateLast) {
        mPacketData[state - kStateData] = byte;
        return static_cast<uint8_t>(state + 1);
    }
    return kStateIdle;
}

uint32_t DeviceLink::packet_checksum(uint8_t length, uint8_t type, const uint8_t* data) {
    uint32_t sum = static_cast<uint32_t>(length) + type;
    for (int i = 0; i + 2 <= length; ++i) sum += data[i];
    const uint32_t tempSum = 0u - sum;
    LogPrintW(L"packet_checksum: temp_sum(0x%08x)\n", tempSum);
    return tempSum;
}

void DeviceLink::packet_process(uint8_t length, uint8_t type, const uint8_t* data) {
    const size_t dataLength = length > 0 ? length - 1u : 0u;
    switch (type) {
    case CMD_DSP:
        LogPrintW(L"packet_process: packet_type(CMD_DSP)\n");
        dsp_ack_process(data, dataLength);
        break;
    case CMD_FLASH:
        LogPrintW(L"packet_process: packet_type(CMD_FLASH)\n");
        FlashAckProcess(data, dataLength);
        break;
    case CMD_MCU:
        LogPrintW(L"packet_process: packet_type(CMD_MCU)\n");
        McuAckProcess(data, dataLength);
        break;
    case CMD_DSP_DWRITE:
        LogPrintW(L"packet_process: packet_type(CMD_DSP_DWRITE)\n");
        break;
    case CMD_KTV:
        LogPrintW(L"packet_process: packet_type(CMD_KTV)\n");
        KtvAckProcess(data, dataLength);
        break;
    default:
        break;
    }
}
