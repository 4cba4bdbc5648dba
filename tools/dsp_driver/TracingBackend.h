#pragma once
// Passes every HID call through to the real backend and prints each report written ("TX" and its 65
// bytes) and each report read ("RX" and its 64 bytes) in hex.
#include "device/HidBackend.h"

#include <cstdio>

class TracingBackend final : public ForwardingHidBackend {
public:
    TracingBackend(HidBackend& inner, FILE* out) : ForwardingHidBackend(inner), mOut(out) {}

    int Write(HidHandle* dev, const uint8_t* data, size_t length) override {
        Print("TX", data, length);
        return mInner.Write(dev, data, length);
    }
    int ReadTimeout(HidHandle* dev, uint8_t* data, size_t length, int timeoutMs) override {
        const int result = mInner.ReadTimeout(dev, data, length, timeoutMs);
        if (result > 0) Print("RX", data, static_cast<size_t>(result));
        return result;
    }

private:
    void Print(const char* direction, const uint8_t* data, size_t length) {
        std::fprintf(mOut, "%s", direction);
        for (size_t i = 0; i < length; ++i) std::fprintf(mOut, " %02X", data[i]);
        std::fprintf(mOut, "\n");
        std::fflush(mOut);
    }

    FILE* mOut;
};
