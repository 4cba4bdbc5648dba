// Firmware upgrade throughput against the emulated amplifier on a paced bus (one report per 1 ms
// interval each way): image bytes per second of the transfer (UpgradeProgress from the first chunk to
// the finish), beside the limit the bus sets when every chunk waits for its acknowledgement.
#include "AmpEmulator.h"
#include "device/DeviceLink.h"

#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

std::vector<uint8_t> Wrapper(uint8_t id, size_t imageSize) {
    std::vector<uint8_t> file{id, 94, 0x12, 0x34, 0x56, 0x78};
    for (size_t i = 0; i < imageSize; ++i) file.push_back(static_cast<uint8_t>(i * 31 + (i >> 8)));
    file.insert(file.end(), {1, 2, 3, 4});
    uint32_t sum = 0;
    for (uint8_t b : file) sum += b;
    for (int shift = 24; shift >= 0; shift -= 8) file.push_back(static_cast<uint8_t>(sum >> shift));
    return file;
}

std::wstring WriteTemp(const wchar_t* name, const std::vector<uint8_t>& bytes) {
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    const std::wstring path = std::wstring(dir) + L"velmor_bench_" + std::to_wstring(GetCurrentProcessId()) + L"_" + name;
    FILE* f = _wfopen(path.c_str(), L"wb");
    if (f != nullptr) {
        fwrite(bytes.data(), 1, bytes.size(), f);
        fclose(f);
    }
    return path;
}

struct Target {
    const char* label;
    const wchar_t* fileName;
    uint8_t id;
    size_t imageSize;
    AmpFirmwareTarget received;
    double chunkBytes;
    double busLimit;  // bytes per second: one chunk per request and acknowledgement, 2 ms
    const char* limitNote;
};

// One upgrade from start to finish; the transfer's bytes per second, or a negative value on failure.
double TransferRate(AmpEmulator& amp, DeviceLink& link, const Target& t, const std::wstring& path) {
    link.CloseHIDDevice(false);  // the previous run ended with the device restarting
    amp.EditState([](AmpState& s) { s.mode = AmpMode::Upgrade; });
    link.OpenHIDDevice();
    if (!link.IsConnected() || link.UpgradeStart(path.c_str(), 0) != 0) return -1;
    const Clock::time_point start = Clock::now();
    uint8_t progress = 0;
    while (progress <= 100) progress = link.UpgradeProgress();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (progress != UPG_PROGRESS_DONE) return -1;
    const std::vector<uint8_t>& image = amp.State().upgrades[static_cast<int>(t.received)].image;
    if (image.size() < t.imageSize) return -1;
    return static_cast<double>(t.imageSize) / seconds;
}

}  // namespace

int main() {
    timeBeginPeriod(1);  // 1 ms sleeps, as the bus intervals need
    AmpEmulator amp;
    amp.SetRealTime(true);
    amp.SetUsbPacing(true);
    DeviceLink link(DeviceLinkSeams{&amp, nullptr, nullptr});
    link.SetDeviceProfile(94, 10, 10, 0, 0);

    const Target targets[] = {
        {"MCU", L"MCU_UPG.BIN", 1, 16 * 1024, AmpFirmwareTarget::Mcu, 32, 16000.0, "32 bytes per 2 ms"},
        {"bootloader", L"BL_UPG.BIN", 1, 16 * 1024, AmpFirmwareTarget::Bootloader, 32, 16000.0, "32 bytes per 2 ms"},
        {"DSP flash", L"FLASH_UPG.BIN", 2, 25000, AmpFirmwareTarget::DspFlash, 50, 25000.0, "50 bytes per 2 ms"},
    };
    int failures = 0;
    for (const Target& t : targets) {
        const std::wstring path = WriteTemp(t.fileName, Wrapper(t.id, t.imageSize));
        std::vector<double> rates;
        for (int run = 0; run < 3; ++run) {
            const double rate = TransferRate(amp, link, t, path);
            if (rate < 0) {
                std::printf("%s upgrade failed\n", t.label);
                ++failures;
                break;
            }
            rates.push_back(rate);
        }
        DeleteFileW(path.c_str());
        if (rates.empty()) continue;
        std::sort(rates.begin(), rates.end());
        const double median = rates[rates.size() / 2];
        std::printf("%s upgrade, %u-byte image: median %.0f bytes/s (%.2f ms per chunk), best %.0f bytes/s "
                    "(bus limit %.0f bytes/s: %s, one 1 ms interval out and one in per chunk)\n",
                    t.label, static_cast<unsigned>(t.imageSize), median, 1000.0 * t.chunkBytes / median,
                    rates.back(), t.busLimit, t.limitNote);
    }
    timeEndPeriod(1);
    return failures == 0 ? 0 : 1;
}
