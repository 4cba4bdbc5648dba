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
