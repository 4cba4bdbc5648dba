#pragma once
// Passes every HID call through to the real backend and prints each report written ("TX" and its 65
// bytes) and each report read ("RX" and its 64 bytes) in hex.
#include "device/HidBackend.h"

#include <cstdio>

class TracingBackend final : public HidBackend {
public:
    TracingBackend(HidBackend& inner, FILE* out) : mInner(inner), mOut(out) {}

    int Init() override { return mInner.Init(); }
    HidHandle* Open(uint16_t vendorId, uint16_t productId, const wchar_t* serial) override {
        return mInner.Open(vendorId, productId, serial);
    }
    int GetManufacturerString(HidHandle* dev, wchar_t* text, size_t n) override {
        return mInner.GetManufacturerString(dev, text, n);
    }
    int GetProductString(HidHandle* dev, wchar_t* text, size_t n) override {
        return mInner.GetProductString(dev, text, n);
    }
    int GetSerialNumberString(HidHandle* dev, wchar_t* text, size_t n) override {
        return mInner.GetSerialNumberString(dev, text, n);
    }
    int GetIndexedString(HidHandle* dev, int index, wchar_t* text, size_t n) override {
        return mInner.GetIndexedString(dev, index, text, n);
    }
    int SetNonblocking(HidHandle* dev, int nonblock) override { return mInner.SetNonblocking(dev, nonblock); }
    int Write(HidHandle* dev, const uint8_t* data, size_t length) override {
        Print("TX", data, length);
        return mInner.Write(dev, data, length);
    }
    int ReadTimeout(HidHandle* dev, uint8_t* data, size_t length, int timeoutMs) override {
        const int result = mInner.ReadTimeout(dev, data, length, timeoutMs);
        if (result > 0) Print("RX", data, static_cast<size_t>(result));
        return result;
    }
    const wchar_t* Error(HidHandle* dev) override { return mInner.Error(dev); }
    void Close(HidHandle* dev) override { mInner.Close(dev); }

private:
    void Print(const char* direction, const uint8_t* data, size_t length) {
        std::fprintf(mOut, "%s", direction);
        for (size_t i = 0; i < length; ++i) std::fprintf(mOut, " %02X", data[i]);
        std::fprintf(mOut, "\n");
        std::fflush(mOut);
    }

    HidBackend& mInner;
    FILE* mOut;
};
