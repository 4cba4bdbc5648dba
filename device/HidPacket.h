#pragma once
// HidPacket: the frame both directions share. A request is one 65-byte output report
// 00 AA 55 L cmd sub optype payload... checksum, zero-filled; a reply frame in the input stream is
// AA 55 L type data... checksum, where L counts the type and the data bytes but not the checksum.
#include <cstddef>
#include <cstdint>

namespace HidPacket {

constexpr size_t kRequestReportSize = 65;  // report id + 64 bytes
constexpr size_t kInputReportSize = 64;
constexpr size_t kMaxRequestPayload = 57;  // keeps the checksum inside the report
constexpr uint8_t kMinReplyLength = 1;
constexpr uint8_t kMaxReplyLength = 61;    // type + 60 data bytes fill a 64-byte report
constexpr size_t kMaxReplyData = kMaxReplyLength - 1;
constexpr uint8_t kSync0 = 0xAA;
constexpr uint8_t kSync1 = 0x55;

// Two's complement of the byte sum, so that the summed bytes and the checksum add up to 0 mod 256.
uint8_t Checksum(const uint8_t* bytes, size_t count);

// Fills the 65-byte request report; false (and nothing written) when the payload does not fit.
bool BuildRequest(uint8_t cmd, uint8_t sub, uint8_t optype, const uint8_t* payload, size_t length,
                  uint8_t report[kRequestReportSize]);

}  // namespace HidPacket
