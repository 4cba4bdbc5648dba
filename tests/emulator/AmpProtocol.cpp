#include "AmpProtocol.h"

#include <algorithm>

namespace {

uint8_t Checksum(const uint8_t* bytes, size_t count) {
    unsigned sum = 0;
    for (size_t i = 0; i < count; ++i) sum += bytes[i];
    return static_cast<uint8_t>(0x100 - (sum & 0xFF));
}

}  // namespace

bool ParseAmpRequest(const uint8_t* report, size_t length, AmpRequest& request) {
    if (!report || length < 8) return false;
    if (report[0] != 0x00 || report[1] != 0xAA || report[2] != 0x55) return false;
    const size_t l = report[3];
    const size_t checksumAt = 4 + l;
    if (l < 3 || checksumAt >= length) return false;
    unsigned sum = 0;
    for (size_t i = 3; i <= checksumAt; ++i) sum += report[i];
    if ((sum & 0xFF) != 0) return false;
    request.cmd = report[4];
    request.sub = report[5];
    request.optype = report[6];
    request.payload.assign(report + 7, report + checksumAt);
    return true;
}

std::vector<uint8_t> MakeAmpRequest(uint8_t cmd, uint8_t sub, uint8_t optype, const std::vector<uint8_t>& payload) {
    std::vector<uint8_t> report(kAmpRequestBytes, 0);
    report[1] = 0xAA;
    report[2] = 0x55;
    report[3] = static_cast<uint8_t>(payload.size() + 3);
    report[4] = cmd;
    report[5] = sub;
    report[6] = optype;
    const size_t n = payload.size() < 57 ? payload.size() : 57;
    for (size_t i = 0; i < n; ++i) report[7 + i] = payload[i];
    report[7 + n] = Checksum(report.data() + 3, 4 + n);
    return report;
}

std::vector<uint8_t> MakeAmpFrame(uint8_t type, const std::vector<uint8_t>& data) {
    std::vector<uint8_t> frame{0xAA, 0x55, static_cast<uint8_t>(data.size() + 1), type};
    frame.insert(frame.end(), data.begin(), data.end());
    frame.push_back(Checksum(frame.data() + 2, frame.size() - 2));
    return frame;
}

AmpReply AmpAck(uint8_t type, uint8_t sub, uint8_t status) {
    AmpReply reply;
    reply.type = type;
    reply.data = {sub, kAmpOpAck, status};
    return reply;
}

AmpReply AmpAckEcho(uint8_t type, uint8_t sub, uint8_t status, uint8_t echo) {
    AmpReply reply = AmpAck(type, sub, status);
    reply.data.push_back(echo);
    return reply;
}

AmpReply AmpUpdate(uint8_t type, uint8_t sub, const std::vector<uint8_t>& values) {
    AmpReply reply;
    reply.type = type;
    reply.data = {sub, kAmpOpUpdate};
    reply.data.insert(reply.data.end(), values.begin(), values.end());
    return reply;
}

AmpReply AmpNoReply(AmpAfterReply after) {
    AmpReply reply;
    reply.expected = false;
    reply.after = after;
    return reply;
}

int AmpRangeEnd(int first, int last, int stored, size_t headerBytes, size_t itemBytes) {
    if (last < first) return last;
    const int fit = static_cast<int>((kAmpMaxFrameData - headerBytes) / itemBytes);
    const int end = std::min({last, stored - 1, first + fit - 1});
    return end < first ? first - 1 : end;
}
