#include "EmulatorTestSupport.h"

#include <gtest/gtest.h>

namespace {

uint8_t TwosComplementOfSum(const Bytes& bytes, size_t from) {
    unsigned sum = 0;
    for (size_t i = from; i < bytes.size(); ++i) sum += bytes[i];
    return static_cast<uint8_t>(-static_cast<int>(sum));
}

}  // namespace

Bytes ReportOf(const Bytes& bytes) {
    Bytes report(bytes);
    report.resize(64, 0);
    return report;
}

Bytes ReplyReport(uint8_t type, const Bytes& data) {
    Bytes frame{0xAA, 0x55, static_cast<uint8_t>(data.size() + 1), type};
    frame.insert(frame.end(), data.begin(), data.end());
    frame.push_back(TwosComplementOfSum(frame, 2));
    return ReportOf(frame);
}

Bytes RequestReport(uint8_t cmd, uint8_t sub, uint8_t optype, const Bytes& payload) {
    Bytes report{0x00, 0xAA, 0x55, static_cast<uint8_t>(payload.size() + 3), cmd, sub, optype};
    report.insert(report.end(), payload.begin(), payload.end());
    report.push_back(TwosComplementOfSum(report, 3));
    report.resize(65, 0);
    return report;
}

RawHost::RawHost(AmpEmulator& amp) : mAmp(amp) { Open(); }

RawHost::~RawHost() { Close(); }

bool RawHost::Open() {
    Close();
    mHandle = mAmp.Open(0x0483, 0x5750, nullptr);
    return mHandle != nullptr;
}

void RawHost::Close() {
    if (mHandle) mAmp.Close(mHandle);
    mHandle = nullptr;
}

int RawHost::Write(const Bytes& report) { return mAmp.Write(mHandle, report.data(), report.size()); }

int RawHost::Send(uint8_t cmd, uint8_t sub, uint8_t optype, const Bytes& payload) {
    return Write(RequestReport(cmd, sub, optype, payload));
}

Bytes RawHost::Read(int timeoutMs) {
    Bytes report(64, 0xCC);
    mLastRead = mAmp.ReadTimeout(mHandle, report.data(), report.size(), timeoutMs);
    if (mLastRead <= 0) return {};
    EXPECT_EQ(64, mLastRead);
    return report;
}

Bytes RawHost::Get(uint8_t cmd, uint8_t sub, const Bytes& payload) {
    EXPECT_EQ(65, Send(cmd, sub, 0x66, payload));
    return Read();
}

Bytes RawHost::Set(uint8_t cmd, uint8_t sub, const Bytes& payload) {
    EXPECT_EQ(65, Send(cmd, sub, 0xBB, payload));
    return Read();
}
