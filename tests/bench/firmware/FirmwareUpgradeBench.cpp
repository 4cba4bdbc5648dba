// Firmware upgrade throughput against the emulated amplifier on a paced bus (one report per 1 ms
// interval each way): image bytes per second of the transfer (UpgradeProgress from the first chunk to
// the finish), beside the limit the bus sets when every chunk waits for its acknowledgement.
#include "FirmwareBench.h"

#include <mmsystem.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

using namespace FirmwareBench;

namespace {

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

}  // namespace

int main() {
    timeBeginPeriod(1);  // 1 ms sleeps, as the bus intervals need
    PacedAmplifier bus;

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
            const double rate = bus.LinkRate(t.received, t.imageSize, path);
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
