#include "device/HidPacket.h"

#include <cstring>

namespace HidPacket {

uint8_t Checksum(const uint8_t* bytes, size_t count) {
    uint32_t sum = 0;
    for (size_t i = 0; i < count; ++i) sum += bytes[i];
    return static_cast<uint8_t>(0u - sum);
}

bool BuildRequest(uint8_t cmd, uint8_t sub, uint8_t optype, const uint8_t* payload, size_t length,
                  uint8_t report[kRequestReportSize]) {
    if (length > kMaxRequestPayload || (length > 0 && payload == nullptr)) return false;
    std::memset(report, 0, kRequestReportSize);
    report[1] = kSync0;
    report[2] = kSync1;
    report[3] = static_cast<uint8_t>(length + 3);
    report[4] = cmd;
    report[5] = sub;
    report[6] = optype;
    if (length > 0) std::memcpy(report + 7, payload, length);
    report[7 + length] = Checksum(report + 3, length + 4);
    return true;
}

}  // namespace HidPacket
