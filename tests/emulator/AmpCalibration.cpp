#include "AmpCalibration.h"

namespace {

using Bytes = std::vector<uint8_t>;

const AmpIrcChannel& ChannelOrBlank(const AmpCalibrationData& data, int channel) {
    static const AmpIrcChannel blank;
    return channel < kAmpChannels ? data.channels[channel] : blank;
}

// (first, last) channel replies with `itemBytes` per channel.
AmpReply PerChannel(const AmpCalibrationData& data, const AmpRequest& r, size_t itemBytes,
                    const uint8_t* (*value)(const AmpIrcChannel&)) {
    const int first = r.Arg(0), end = AmpRangeEnd(first, r.Arg(1), kAmpChannels, 4, itemBytes);
    Bytes v{static_cast<uint8_t>(first), static_cast<uint8_t>(end)};
    for (int c = first; c <= end; ++c) {
        const uint8_t* item = value(data.channels[c]);
        v.insert(v.end(), item, item + itemBytes);
    }
    return AmpUpdate(kAmpCmdDsp, r.sub, v);
}

// (channel, first, last) replies over the bands or spectrum points of one channel.
template <size_t Items, size_t ItemBytes>
AmpReply PerPoint(const AmpRequest& r, const uint8_t (&points)[Items][ItemBytes]) {
    const uint8_t channel = r.Arg(0);
    const int first = r.Arg(1), end = AmpRangeEnd(first, r.Arg(2), static_cast<int>(Items), 5, ItemBytes);
    Bytes v{channel, static_cast<uint8_t>(first), static_cast<uint8_t>(end)};
    for (int p = first; p <= end; ++p) v.insert(v.end(), points[p], points[p] + ItemBytes);
    return AmpUpdate(kAmpCmdDsp, r.sub, v);
}

}  // namespace

void AmpCalibration::Reset() {
    mRun.clear();
    mNext = 0;
    mCurrent = AmpIrcStep{};
}

AmpReply AmpCalibration::Respond(const AmpState& state, const AmpRequest& r) {
    const AmpCalibrationData& data = state.calibration;
    if (r.sub == 0x13) return r.IsGet() ? Status() : Control(data, r);
    if (!r.IsGet()) return AmpAck(kAmpCmdDsp, r.sub);
    switch (r.sub) {
        case 0x14: return PerChannel(data, r, 2, [](const AmpIrcChannel& c) -> const uint8_t* { return c.distance; });
        case 0x15: return PerChannel(data, r, 1, [](const AmpIrcChannel& c) { return &c.trim; });
        case 0x16: return PerPoint(r, ChannelOrBlank(data, r.Arg(0)).eq);
        case 0x17: return PerChannel(data, r, 1, [](const AmpIrcChannel& c) { return &c.size; });
        case 0x18: return PerChannel(data, r, 1, [](const AmpIrcChannel& c) { return &c.phase; });
        case 0x19: return PerChannel(data, r, 1, [](const AmpIrcChannel& c) { return &c.level; });
        case 0x1A: return PerPoint(r, ChannelOrBlank(data, r.Arg(0)).spectrum);
        case 0x1B: return PerChannel(data, r, 1, [](const AmpIrcChannel& c) { return &c.noiseLevel; });
        default: return AmpUpdate(kAmpCmdDsp, r.sub, {});  // 0x1C, the RTA
    }
}

AmpReply AmpCalibration::Control(const AmpCalibrationData& data, const AmpRequest& r) {
    switch (r.Arg(0)) {
        case 1:
            mRun = data.script.empty() ? BuiltInRun(static_cast<uint16_t>(r.Arg(1) << 8 | r.Arg(2))) : data.script;
            mNext = 0;
            mCurrent = AmpIrcStep{};
            break;
        case 0:
            mRun.clear();
            mCurrent = AmpIrcStep{12, 0, mCurrent.progress, 0};
            break;
        default:  // apply (2) and discard (3) end the exchange; the result is not written anywhere
            break;
    }
    return AmpAck(kAmpCmdDsp, r.sub);
}

AmpReply AmpCalibration::Status() {
    if (mNext < mRun.size()) mCurrent = mRun[mNext++];
    return AmpUpdate(kAmpCmdDsp, 0x13, {mCurrent.status, mCurrent.channel, 0, mCurrent.progress, mCurrent.failure});
}

std::vector<AmpIrcStep> AmpCalibration::BuiltInRun(uint16_t channelMask) const {
    std::vector<uint8_t> channels;
    for (uint8_t c = 0; c < kAmpChannels; ++c)
        if (channelMask >> c & 1) channels.push_back(c);
    std::vector<AmpIrcStep> run{{0, 0, 0, 0}, {1, 0, 10, 0}, {2, 0, 20, 0}, {3, 0, 30, 0}};
    for (uint8_t c : channels) run.push_back({14, c, 30, 0});
    run.insert(run.end(), {{4, 0, 40, 0}, {5, 0, 50, 0}, {6, 0, 60, 0}});
    for (uint8_t c : channels) {
        run.push_back({7, c, 60, 0});
        run.push_back({8, c, 70, 0});
    }
    run.insert(run.end(), {{9, 0, 90, 0}, {10, 0, 100, 0}});
    return run;
}
