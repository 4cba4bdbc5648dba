#pragma once
// The product's HID backend: hidapi, plus the guard hidapi lacks. hidapi frees a device in hid_close
// while a read on another thread may still be waiting on it; here Close waits for every call in
// progress on that handle, and reads wait in short slices so that the wait stays short.
#include "device/HidBackend.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

// Counts the calls inside a device and lets Close wait until they have left.
class HidIoGate {
public:
    bool Enter();          // false once the device is closing: the call must not touch it
    void Leave();
    // Refuses new calls and returns when none is inside; true for the first close only.
    bool CloseAndWait();
    bool Closing();

private:
    std::mutex mLock;
    std::condition_variable mIdle;
    int mUsers = 0;
    bool mClosing = false;
};

class HidApiBackend final : public HidBackend {
public:
    static constexpr int kReadSliceMs = 50;  // how long a close may wait for a read to notice it

    HidApiBackend();
    ~HidApiBackend() override;
    HidApiBackend(const HidApiBackend&) = delete;
    HidApiBackend& operator=(const HidApiBackend&) = delete;

    int Init() override;
    HidHandle* Open(uint16_t vendorId, uint16_t productId, const wchar_t* serial) override;
    int GetManufacturerString(HidHandle* dev, wchar_t* text, size_t maxChars) override;
    int GetProductString(HidHandle* dev, wchar_t* text, size_t maxChars) override;
    int GetSerialNumberString(HidHandle* dev, wchar_t* text, size_t maxChars) override;
    int GetIndexedString(HidHandle* dev, int index, wchar_t* text, size_t maxChars) override;
    int SetNonblocking(HidHandle* dev, int nonblock) override;
    int Write(HidHandle* dev, const uint8_t* data, size_t length) override;
    int ReadTimeout(HidHandle* dev, uint8_t* data, size_t length, int timeoutMs) override;
    const wchar_t* Error(HidHandle* dev) override;
    void Close(HidHandle* dev) override;

private:
    struct Device;
    static Device* ToDevice(HidHandle* handle);
    template <typename Call>
    static int Guarded(HidHandle* handle, Call call);

    std::mutex mDevicesLock;
    // A closed device's record stays until the backend goes, so a thread that still holds its handle
    // finds it marked closed instead of freed memory.
    std::vector<std::unique_ptr<Device>> mDevices;
};
