#include "AmpFirmware.h"

#include <algorithm>

namespace {

constexpr size_t kMaxImageBytes = 2 * 1024 * 1024;
constexpr size_t kMcuChunkBytes = 32;
constexpr size_t kDspChunkMax = 50;

uint32_t Be32(const AmpRequest& r, size_t at) {
    return static_cast<uint32_t>(r.Arg(at)) << 24 | r.Arg(at + 1) << 16 | r.Arg(at + 2) << 8 | r.Arg(at + 3);
}

AmpReply Start(AmpState& st, const AmpRequest& r, AmpFirmwareTarget target, AmpMode needed) {
    if (st.mode != needed) return AmpAck(r.cmd, r.sub, kAmpNotReady);
    AmpUpgradeRecord& record = st.Upgrade(target);
    const bool erased = record.erased;
    record = AmpUpgradeRecord{};
    record.erased = erased;
    record.started = true;
    for (int i = 0; i < 4; ++i) record.head[i] = r.Arg(i);
    return AmpAck(r.cmd, r.sub);
}

void Store(AmpUpgradeRecord& record, uint32_t offset, const uint8_t* bytes, size_t count) {
    if (record.image.size() < offset + count) record.image.resize(offset + count, 0);
    std::copy(bytes, bytes + count, record.image.begin() + offset);
    ++record.chunksAccepted;
}

AmpReply Chunk(AmpState& st, const AmpRequest& r, AmpFirmwareTarget target, AmpMode needed) {
    AmpUpgradeRecord& record = st.Upgrade(target);
    const AmpReply refused = AmpAck(r.cmd, r.sub, kAmpNotReady);
    if (st.mode != needed || !record.started || record.finished) return refused;
    const uint32_t offset = Be32(r, 0);
    if (target == AmpFirmwareTarget::DspFlash) {
        const size_t n = r.Arg(4);
        if (n > kDspChunkMax || r.payload.size() != 5 + n || uint64_t{offset} + n > kMaxImageBytes) return refused;
        Store(record, offset, r.payload.data() + 5, n);
    } else {
        if (r.payload.size() < 4 + kMcuChunkBytes || uint64_t{offset} + kMcuChunkBytes > kMaxImageBytes)
            return refused;
        Store(record, offset, r.payload.data() + 4, kMcuChunkBytes);
    }
    return AmpAck(r.cmd, r.sub);
}

}  // namespace

bool IsAmpFirmwareRequest(uint8_t cmd, uint8_t sub) {
    if (cmd == kAmpCmdFlash) return sub >= 0x02 && sub <= 0x05;
    if (cmd != kAmpCmdMcu) return false;
    return (sub >= 0x01 && sub <= 0x04) || (sub >= 0xA0 && sub <= 0xA3) || sub == 0x8F;
}

AmpReply RespondFirmware(AmpState& st, const AmpRequest& r) {
    if (r.cmd == kAmpCmdFlash) {
        switch (r.sub) {
            case 0x02: {
                AmpUpgradeRecord& dsp = st.Upgrade(AmpFirmwareTarget::DspFlash);
                dsp.erased = true;
                dsp.image.clear();
                return AmpAck(kAmpCmdFlash, r.sub);
            }
            case 0x03: return Start(st, r, AmpFirmwareTarget::DspFlash, AmpMode::Upgrade);
            case 0x04: return Chunk(st, r, AmpFirmwareTarget::DspFlash, AmpMode::Upgrade);
            default:  // 0x05, finish
                st.Upgrade(AmpFirmwareTarget::DspFlash).finished = true;
                return AmpNoReply();
        }
    }
    switch (r.sub) {
        case 0x01: {
            AmpReply ack = AmpAck(kAmpCmdMcu, r.sub);
            if (st.mode == AmpMode::Normal)
                ack.after = AmpAfterReply::RebootToUpgrade;
            else
                st.mode = AmpMode::Upgrade;
            return ack;
        }
        case 0xA0:
            st.mode = AmpMode::Bootloader;
            return AmpAck(kAmpCmdMcu, r.sub);
        case 0x02: return Start(st, r, AmpFirmwareTarget::Mcu, AmpMode::Upgrade);
        case 0xA1: return Start(st, r, AmpFirmwareTarget::Bootloader, AmpMode::Bootloader);
        case 0x03: return Chunk(st, r, AmpFirmwareTarget::Mcu, AmpMode::Upgrade);
        case 0xA2: return Chunk(st, r, AmpFirmwareTarget::Bootloader, AmpMode::Bootloader);
        case 0x04:
            st.Upgrade(AmpFirmwareTarget::Mcu).finished = true;
            return AmpNoReply(AmpAfterReply::RebootToNormal);
        case 0xA3:
            st.Upgrade(AmpFirmwareTarget::Bootloader).finished = true;
            st.mode = AmpMode::Normal;
            return AmpNoReply();
        default: {  // 0x8F, reboot
            AmpReply ack = AmpAck(kAmpCmdMcu, r.sub);
            ack.after = AmpAfterReply::RebootToNormal;
            return ack;
        }
    }
}

