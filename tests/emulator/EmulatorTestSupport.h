#pragma once
// A bare HID host for driving the emulator with raw reports, and an independent way to write down the
// reply reports a test expects.
#include "AmpEmulator.h"

#include <cstdint>
#include <vector>

using Bytes = std::vector<uint8_t>;

// The 64-byte input report holding exactly the given frames, zero-padded.
Bytes ReportOf(const Bytes& bytes);
// The report expected for one reply: AA 55 L type data checksum, with the checksum computed here.
Bytes ReplyReport(uint8_t type, const Bytes& data);
// The 65-byte output report of a request, built here byte by byte.
Bytes RequestReport(uint8_t cmd, uint8_t sub, uint8_t optype, const Bytes& payload);

class RawHost {
public:
    explicit RawHost(AmpEmulator& amp);
    ~RawHost();

    bool Open();
    void Close();
    HidHandle* Handle() const { return mHandle; }

    int Write(const Bytes& report);
    int Send(uint8_t cmd, uint8_t sub, uint8_t optype, const Bytes& payload = {});
    // One input report; empty when the read returned nothing (0) or failed (-1), see LastRead().
    Bytes Read(int timeoutMs = 0);
    int LastRead() const { return mLastRead; }
    // Send, then read one report.
    Bytes Get(uint8_t cmd, uint8_t sub, const Bytes& payload = {});
    Bytes Set(uint8_t cmd, uint8_t sub, const Bytes& payload = {});

private:
    AmpEmulator& mAmp;
    HidHandle* mHandle = nullptr;
    int mLastRead = 0;
};
