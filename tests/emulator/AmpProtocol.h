#pragma once
// Frames of the amplifier's USB-HID protocol as the emulated amplifier sees them: requests arrive as
// 65-byte output reports (report id 0, AA 55 L cmd sub optype payload checksum), replies leave as
// frames AA 55 L type data checksum packed into 64-byte input reports.
#include <cstddef>
#include <cstdint>
#include <vector>

constexpr uint8_t kAmpCmdDsp = 1;
constexpr uint8_t kAmpCmdFlash = 2;
constexpr uint8_t kAmpCmdMcu = 3;
constexpr uint8_t kAmpCmdKtv = 7;

constexpr uint8_t kAmpOpSet = 0xBB;
constexpr uint8_t kAmpOpGet = 0x66;
constexpr uint8_t kAmpOpUpdate = 0xDD;  // reply carrying values
constexpr uint8_t kAmpOpAck = 0xEE;     // reply acknowledging, status in data[2]
constexpr uint8_t kAmpAckReady = 0x0A;
constexpr uint8_t kAmpNotReady = 0x60;

constexpr size_t kAmpRequestBytes = 65;
constexpr size_t kAmpReportBytes = 64;
// Data bytes of the longest reply frame that fits one 64-byte report (L = 60). The host accepts L up to
// 61, but such a frame needs 65 bytes and so always spans two reports.
constexpr size_t kAmpMaxFrameData = 59;

struct AmpRequest {
    uint8_t cmd = 0;
    uint8_t sub = 0;
    uint8_t optype = 0;
    std::vector<uint8_t> payload;

    // Payload byte i, or 0 when the request is shorter: a short request reads as if zero-padded.
    uint8_t Arg(size_t i) const { return i < payload.size() ? payload[i] : 0; }
    bool IsGet() const { return optype == kAmpOpGet; }
};

// What happens to the device once its reply has been read (or at once when the request has none).
enum class AmpAfterReply { None, RebootToUpgrade, RebootToNormal };

struct AmpReply {
    bool expected = true;       // false for the requests the host sends without reading after them
    uint8_t type = 0;           // packet type of the reply frame
    std::vector<uint8_t> data;  // data[0] sub-command, data[1] reply optype, then the values
    AmpAfterReply after = AmpAfterReply::None;
};

// Reads one output report; false for a wrong report id or header, an impossible length or a bad checksum.
bool ParseAmpRequest(const uint8_t* report, size_t length, AmpRequest& request);
// The 65-byte output report the host writes for a request.
std::vector<uint8_t> MakeAmpRequest(uint8_t cmd, uint8_t sub, uint8_t optype, const std::vector<uint8_t>& payload);
// One reply frame: AA 55 L type data checksum, with L = data size + 1 (not checked: faults build bad frames).
std::vector<uint8_t> MakeAmpFrame(uint8_t type, const std::vector<uint8_t>& data);

// Last item of a ranged reply: the range asked for, cut to `stored` items and to what fits one frame behind
// `headerBytes` data bytes (sub-command and optype included); one below the first when nothing fits.
int AmpRangeEnd(int first, int last, int stored, size_t headerBytes, size_t itemBytes);

AmpReply AmpAck(uint8_t type, uint8_t sub, uint8_t status = kAmpAckReady);
AmpReply AmpAckEcho(uint8_t type, uint8_t sub, uint8_t status, uint8_t echo);
AmpReply AmpUpdate(uint8_t type, uint8_t sub, const std::vector<uint8_t>& values);
AmpReply AmpNoReply(AmpAfterReply after = AmpAfterReply::None);
