#pragma once
// What the firmware benchmarks share: an image file in the amplifier's wrapper written to the temporary
// folder, the emulated amplifier on a paced bus (one report per 1 ms interval each way) with the link
// open to it, and one upload through the link timed from its first step to its last.
#include "AmpEmulator.h"
#include "device/DeviceLink.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace FirmwareBench {

using Clock = std::chrono::steady_clock;

// A wrapped image of imageSize bytes for the target `id` (1 MCU, 2 DSP flash), with its checksum.
inline std::vector<uint8_t> Wrapper(uint8_t id, size_t imageSize) {
    std::vector<uint8_t> file{id, 94, 0x12, 0x34, 0x56, 0x78};
    for (size_t i = 0; i < imageSize; ++i) file.push_back(static_cast<uint8_t>(i * 31 + (i >> 8)));
    file.insert(file.end(), {1, 2, 3, 4});
    uint32_t sum = 0;
    for (uint8_t b : file) sum += b;
    for (int shift = 24; shift >= 0; shift -= 8) file.push_back(static_cast<uint8_t>(sum >> shift));
    return file;
}

inline std::wstring WriteTemp(const wchar_t* name, const std::vector<uint8_t>& bytes) {
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    const std::wstring path = std::wstring(dir) + L"velmor_bench_" + std::to_wstring(GetCurrentProcessId()) + L"_" + name;
    if (FILE* f = _wfopen(path.c_str(), L"wb")) {
        fwrite(bytes.data(), 1, bytes.size(), f);
        fclose(f);
    }
    return path;
}

// The emulated amplifier paced like a full-speed USB device, and the link to it.
struct PacedAmplifier {
    PacedAmplifier() {
        amp.SetRealTime(true);
        amp.SetUsbPacing(true);
        link.SetDeviceProfile(94, 10, 10, 0, 0);
    }
    // The amplifier waits in its upgrade mode, the link open to it, as before each upload.
    bool ReadyForUpload() {
        link.CloseHIDDevice(false);  // the previous upload ended with the amplifier restarting
        amp.EditState([](AmpState& s) { s.mode = AmpMode::Upgrade; });
        link.OpenHIDDevice();
        return link.IsConnected();
    }
    // The amplifier finished an upload of this target and holds the whole image.
    bool Received(AmpFirmwareTarget target, size_t imageSize) const {
        const AmpUpgradeRecord record = amp.State().upgrades[static_cast<int>(target)];
        return record.finished && record.image.size() >= imageSize;
    }
    // One upload straight through the link, from start to finish: the image bytes per second of the
    // transfer, or a negative value on failure.
    double LinkRate(AmpFirmwareTarget target, size_t imageSize, const std::wstring& path) {
        if (!ReadyForUpload() || link.UpgradeStart(path.c_str(), 0) != 0) return -1;
        const Clock::time_point start = Clock::now();
        uint8_t progress = 0;
        while (progress <= 100) progress = link.UpgradeProgress();
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        if (progress != UPG_PROGRESS_DONE || !Received(target, imageSize)) return -1;
        return static_cast<double>(imageSize) / seconds;
    }

    AmpEmulator amp;
    DeviceLink link{DeviceLinkSeams{&amp, nullptr, nullptr}};
};

}  // namespace FirmwareBench
