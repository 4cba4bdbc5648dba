#include "device/HidApiBackend.h"

#include <hidapi/hidapi.h>
#include <windows.h>

#include <algorithm>

bool HidIoGate::Enter() {
    std::lock_guard<std::mutex> lock(mLock);
    if (mClosing) return false;
    ++mUsers;
    return true;
}

void HidIoGate::Leave() {
    std::lock_guard<std::mutex> lock(mLock);
    if (--mUsers == 0) mIdle.notify_all();
}

bool HidIoGate::CloseAndWait() {
    std::unique_lock<std::mutex> lock(mLock);
    const bool first = !mClosing;
    mClosing = true;
    mIdle.wait(lock, [this] { return mUsers == 0; });
    return first;
}

bool HidIoGate::Closing() {
    std::lock_guard<std::mutex> lock(mLock);
    return mClosing;
}

struct HidApiBackend::Device {
    hid_device* device = nullptr;
    HidIoGate gate;
};

HidApiBackend::HidApiBackend() = default;

HidApiBackend::~HidApiBackend() {
    for (auto& device : mDevices) Close(reinterpret_cast<HidHandle*>(device.get()));
}

HidApiBackend::Device* HidApiBackend::ToDevice(HidHandle* handle) { return reinterpret_cast<Device*>(handle); }

// Runs one hidapi call inside the device's gate; a closing or closed device answers -1. The device pointer
// is read only once inside the gate: Close clears it after the gate has shut.
template <typename Call>
int HidApiBackend::Guarded(HidHandle* handle, Call call) {
    Device* d = ToDevice(handle);
    if (d == nullptr || !d->gate.Enter()) return -1;
    const int result = d->device != nullptr ? call(d->device) : -1;
    d->gate.Leave();
    return result;
}

int HidApiBackend::Init() { return hid_init(); }

HidHandle* HidApiBackend::Open(uint16_t vendorId, uint16_t productId, const wchar_t* serial) {
    hid_device* opened = hid_open(vendorId, productId, serial);
    if (opened == nullptr) return nullptr;
    auto record = std::make_unique<Device>();
    record->device = opened;
    std::lock_guard<std::mutex> lock(mDevicesLock);
    mDevices.push_back(std::move(record));
    return reinterpret_cast<HidHandle*>(mDevices.back().get());
}

int HidApiBackend::GetManufacturerString(HidHandle* dev, wchar_t* text, size_t maxChars) {
    return Guarded(dev, [&](hid_device* h) { return hid_get_manufacturer_string(h, text, maxChars); });
}

int HidApiBackend::GetProductString(HidHandle* dev, wchar_t* text, size_t maxChars) {
    return Guarded(dev, [&](hid_device* h) { return hid_get_product_string(h, text, maxChars); });
}

int HidApiBackend::GetSerialNumberString(HidHandle* dev, wchar_t* text, size_t maxChars) {
    return Guarded(dev, [&](hid_device* h) { return hid_get_serial_number_string(h, text, maxChars); });
}

int HidApiBackend::GetIndexedString(HidHandle* dev, int index, wchar_t* text, size_t maxChars) {
    return Guarded(dev, [&](hid_device* h) { return hid_get_indexed_string(h, index, text, maxChars); });
}

int HidApiBackend::SetNonblocking(HidHandle* dev, int nonblock) {
    return Guarded(dev, [&](hid_device* h) { return hid_set_nonblocking(h, nonblock); });
}

int HidApiBackend::Write(HidHandle* dev, const uint8_t* data, size_t length) {
    return Guarded(dev, [&](hid_device* h) { return hid_write(h, data, length); });
}

int HidApiBackend::ReadTimeout(HidHandle* dev, uint8_t* data, size_t length, int timeoutMs) {
    Device* d = ToDevice(dev);  // inside the call Guarded has found it open
    return Guarded(dev, [&](hid_device* h) {
        // Wait in slices so that a close on another thread is noticed within one slice.
        const DWORD start = GetTickCount();
        for (;;) {
            int slice = kReadSliceMs;
            if (timeoutMs >= 0) {
                const DWORD elapsed = GetTickCount() - start;
                const int left = elapsed >= static_cast<DWORD>(timeoutMs) ? 0 : timeoutMs - static_cast<int>(elapsed);
                slice = std::min(slice, left);
            }
            const int result = hid_read_timeout(h, data, length, slice);
            if (result != 0) return result;
            if (d->gate.Closing()) return -1;
            if (timeoutMs >= 0 && GetTickCount() - start >= static_cast<DWORD>(timeoutMs)) return 0;
        }
    });
}

const wchar_t* HidApiBackend::Error(HidHandle* dev) {
    // hidapi's text dies with the device, so the caller gets a copy that a close cannot free.
    thread_local wchar_t copy[256];
    Device* d = ToDevice(dev);
    if (d == nullptr || !d->gate.Enter()) return L"device closed";
    const wchar_t* text = d->device != nullptr ? hid_error(d->device) : nullptr;
    lstrcpynW(copy, text != nullptr ? text : L"", 256);
    d->gate.Leave();
    return copy;
}

void HidApiBackend::Close(HidHandle* dev) {
    Device* d = ToDevice(dev);
    if (d == nullptr || !d->gate.CloseAndWait()) return;
    hid_close(d->device);
    d->device = nullptr;
}
