#pragma once
// The HID calls the device link makes, behind one interface: hidapi drives the real amplifier, the test
// emulator stands in for it. Signatures and results mirror hidapi's functions of the same names.
#include <cstddef>
#include <cstdint>

struct HidHandle;  // opaque per-backend device handle

class HidBackend {
public:
    virtual ~HidBackend() = default;
    virtual int Init() = 0;                                                   // hid_init
    virtual HidHandle* Open(uint16_t vendorId, uint16_t productId, const wchar_t* serial) = 0;
    virtual int GetManufacturerString(HidHandle* dev, wchar_t* text, size_t maxChars) = 0;
    virtual int GetProductString(HidHandle* dev, wchar_t* text, size_t maxChars) = 0;
    virtual int GetSerialNumberString(HidHandle* dev, wchar_t* text, size_t maxChars) = 0;
    virtual int GetIndexedString(HidHandle* dev, int index, wchar_t* text, size_t maxChars) = 0;
    virtual int SetNonblocking(HidHandle* dev, int nonblock) = 0;
    virtual int Write(HidHandle* dev, const uint8_t* data, size_t length) = 0;  // 65-byte output report
    // Waits up to timeoutMs for one 64-byte input report; 0 when none came, -1 on error.
    virtual int ReadTimeout(HidHandle* dev, uint8_t* data, size_t length, int timeoutMs) = 0;
    virtual const wchar_t* Error(HidHandle* dev) = 0;
    // Must not return while another thread is inside ReadTimeout on the same handle.
    virtual void Close(HidHandle* dev) = 0;
};

// Passes every call on to another backend; a decorator that watches or traces the traffic overrides only
// the calls it is interested in.
class ForwardingHidBackend : public HidBackend {
public:
    explicit ForwardingHidBackend(HidBackend& inner) : mInner(inner) {}

    int Init() override { return mInner.Init(); }
    HidHandle* Open(uint16_t vendorId, uint16_t productId, const wchar_t* serial) override {
        return mInner.Open(vendorId, productId, serial);
    }
    int GetManufacturerString(HidHandle* dev, wchar_t* text, size_t maxChars) override {
        return mInner.GetManufacturerString(dev, text, maxChars);
    }
    int GetProductString(HidHandle* dev, wchar_t* text, size_t maxChars) override {
        return mInner.GetProductString(dev, text, maxChars);
    }
    int GetSerialNumberString(HidHandle* dev, wchar_t* text, size_t maxChars) override {
        return mInner.GetSerialNumberString(dev, text, maxChars);
    }
    int GetIndexedString(HidHandle* dev, int index, wchar_t* text, size_t maxChars) override {
        return mInner.GetIndexedString(dev, index, text, maxChars);
    }
    int SetNonblocking(HidHandle* dev, int nonblock) override { return mInner.SetNonblocking(dev, nonblock); }
    int Write(HidHandle* dev, const uint8_t* data, size_t length) override { return mInner.Write(dev, data, length); }
    int ReadTimeout(HidHandle* dev, uint8_t* data, size_t length, int timeoutMs) override {
        return mInner.ReadTimeout(dev, data, length, timeoutMs);
    }
    const wchar_t* Error(HidHandle* dev) override { return mInner.Error(dev); }
    void Close(HidHandle* dev) override { mInner.Close(dev); }

protected:
    HidBackend& mInner;
};
