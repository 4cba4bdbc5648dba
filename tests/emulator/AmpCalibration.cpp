#include "AmpCalibration.h"

#include <algorithm>
#include <cmath>

namespace {

using Bytes = std::vector<uint8_t>;

constexpr double kSoundMetresPerMs = 0.343;
constexpr int kMaxDelayUs = 15000;
// Centres of the 11 corrective bands a run computes.
constexpr int kResultFreqs[kAmpIrcResultBands] = {31, 63, 125, 250, 500, 1000, 2000, 4000, 8000, 12500, 16000};

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

void PutBe16(uint8_t* out, unsigned value) {
    out[0] = static_cast<uint8_t>(value >> 8);
    out[1] = static_cast<uint8_t>(value);
}

// A resonance of the room: `gain` dB at f0, falling off with Q on a logarithmic axis.
double Resonance(double freq, double f0, double gain, double q) {
    const double octaves = std::log2(freq / f0);
    return gain / (1.0 + (octaves * q * 2.0) * (octaves * q * 2.0));
}

// Whole and tenths of a value that is never negative.
void PutTenths(uint8_t* out, double value) {
    const long tenths = std::lround(std::max(0.0, value) * 10.0);
    out[0] = static_cast<uint8_t>(tenths / 10);
    out[1] = static_cast<uint8_t>(tenths % 10);
}

}  // namespace

double AmpCalibration::RoomLevel(int channel, int run, double freq) {
    if (!(freq > 0)) return 0;
    const double c = channel;
    double level = 5.0 / (1.0 + (freq / 70.0) * (freq / 70.0));      // cabin gain at the bottom
    level += Resonance(freq, 180.0 * (1.0 + 0.35 * c), 5.0 - channel % 3, 1.5);
    level += Resonance(freq, 2500.0 * (1.0 + 0.2 * (channel % 4)), -4.0, 2.0);
    level -= 7.0 * (freq / 16000.0) * (freq / 16000.0);               // the tweeter's roll-off
    level += 0.4 * std::sin(std::log(freq) * 3.0 + run * 1.3 + c);   // what moves between runs
    return level;
}

void AmpCalibration::Reset() {
    mRun.clear();
    mNext = 0;
    mCurrent = AmpIrcStep{};
    mMeasuredEq = mMeasuredDistance = mResultEq = mResultDistance = 0;
}

AmpReply AmpCalibration::Respond(AmpState& state, const AmpRequest& r) {
    const AmpCalibrationData& data = state.calibration;
    if (r.sub == 0x13) return r.IsGet() ? Status(state) : Control(state, r);
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

AmpReply AmpCalibration::Control(AmpState& state, const AmpRequest& r) {
    AmpCalibrationData& data = state.calibration;
    switch (r.Arg(0)) {
        case 1:
            if (data.script.empty()) {
                mRun = BuiltInRun(static_cast<uint16_t>(r.Arg(1) << 8 | r.Arg(2)));
            } else {
                mRun.clear();
                for (const AmpIrcStep& step : data.script) mRun.push_back({step, false});
            }
            mNext = 0;
            mCurrent = AmpIrcStep{};
            mMeasuredEq = mMeasuredDistance = 0;
            data.running = true;
            ++data.runs;
            break;
        case 0:
            mRun.clear();
            mCurrent = AmpIrcStep{12, 0, mCurrent.progress, 0};
            if (data.running) ++data.stops;
            data.running = false;
            break;
        case 2:
            Apply(state);
            ++data.applied;
            break;
        default:  // 3: the result is thrown away
            ++data.discarded;
            break;
    }
    return AmpAck(kAmpCmdDsp, r.sub);
}

AmpReply AmpCalibration::Status(AmpState& state) {
    if (mNext < mRun.size()) {
        const Step& step = mRun[mNext++];
        mCurrent = step.report;
        if (step.measures) Measure(state, step.report);
        const uint8_t s = mCurrent.status;
        if (s == 10 || s == 11 || s == 12) state.calibration.running = false;
        if (s == 10) {
            mResultEq = mMeasuredEq;
            mResultDistance = mMeasuredDistance;
        }
    }
    return AmpUpdate(kAmpCmdDsp, 0x13, {mCurrent.status, mCurrent.channel, 0, mCurrent.progress, mCurrent.failure});
}

void AmpCalibration::Measure(AmpState& state, const AmpIrcStep& step) {
    const int c = step.channel;
    if (c >= kAmpChannels) return;
    AmpIrcChannel& ch = state.calibration.channels[c];
    const int run = state.calibration.runs;
    if (step.status == 14) {
        const long cm = std::lround((0.85 + 0.23 * c) * 100.0) + run % 3;
        ch.distance[0] = static_cast<uint8_t>(cm / 100);
        ch.distance[1] = static_cast<uint8_t>(cm % 100);
        mMeasuredDistance |= 1u << c;
    } else if (step.status == 7) {
        for (int j = 0; j < kAmpSpectrumPoints; ++j) {
            const double freq = 20.0 * std::pow(1000.0, j / 120.0);
            const long centiHz = std::lround(freq * 100.0);
            PutBe16(ch.spectrum[j], static_cast<unsigned>(centiHz / 100));
            ch.spectrum[j][2] = static_cast<uint8_t>(centiHz % 100);
            const long centiDb = std::lround(RoomLevel(c, run, freq) * 100.0);
            ch.spectrum[j][3] = static_cast<uint8_t>(static_cast<int8_t>(centiDb / 100));
            ch.spectrum[j][4] = static_cast<uint8_t>(static_cast<int8_t>(centiDb % 100));
        }
    } else if (step.status == 8) {
        for (int b = 0; b < kAmpIrcResultBands; ++b) {
            const double gain = std::max(-12.0, std::min(12.0, -RoomLevel(c, run, kResultFreqs[b])));
            PutBe16(ch.eq[b], kResultFreqs[b]);
            ch.eq[b][2] = 1;  // Q 1.41
            ch.eq[b][3] = 41;
            PutTenths(ch.eq[b] + 4, gain + 18.0);
        }
        mMeasuredEq |= 1u << c;
    }
}

void AmpCalibration::Apply(AmpState& state) const {
    AmpScene& live = state.scenes[0];
    const AmpCalibrationData& data = state.calibration;
    for (int c = 0; c < kAmpChannels; ++c) {
        if (!(mResultEq >> c & 1)) continue;
        AmpOutput& out = live.outputs[c];
        for (int b = 0; b < kAmpBands; ++b) {
            AmpEqBand& band = out.eq[b];
            if (b < kAmpIrcResultBands) {
                const uint8_t* r = data.channels[c].eq[b];
                band.freq[0] = r[0];
                band.freq[1] = r[1];
                band.q[0] = r[2];
                band.q[1] = static_cast<uint8_t>(r[3] / 10);
                band.gain[0] = r[4];
                band.gain[1] = r[5];
            } else {
                band.gain[0] = 18;  // flat
                band.gain[1] = 0;
            }
        }
        out.eqBypass = 0;
    }
    if (!(state.settings.testModule & 2) || !mResultDistance) return;
    int farthest = 0;
    for (int c = 0; c < kAmpChannels; ++c)
        if (mResultDistance >> c & 1) farthest = std::max(farthest, data.channels[c].distance[0] * 100 + data.channels[c].distance[1]);
    for (int c = 0; c < kAmpChannels; ++c) {
        if (!(mResultDistance >> c & 1)) continue;
        const int cm = data.channels[c].distance[0] * 100 + data.channels[c].distance[1];
        const int us = std::min(kMaxDelayUs, static_cast<int>(std::lround((farthest - cm) / 100.0 / kSoundMetresPerMs * 1000.0)));
        uint8_t* delay = live.outputs[c].delay;
        delay[0] = static_cast<uint8_t>(us / 1000);
        PutBe16(delay + 1, static_cast<unsigned>(us % 1000));
    }
}

std::vector<AmpCalibration::Step> AmpCalibration::BuiltInRun(uint16_t channelMask) const {
    std::vector<uint8_t> channels;
    for (uint8_t c = 0; c < kAmpChannels; ++c)
        if (channelMask >> c & 1) channels.push_back(c);
    std::vector<Step> run{{{0, 0, 0, 0}}, {{1, 0, 10, 0}}, {{2, 0, 20, 0}}, {{3, 0, 30, 0}}};
    for (uint8_t c : channels) run.push_back({{14, c, 30, 0}, true});
    run.insert(run.end(), {{{4, 0, 40, 0}}, {{5, 0, 50, 0}}, {{6, 0, 60, 0}}});
    for (uint8_t c : channels) {
        run.push_back({{7, c, 60, 0}, true});
        run.push_back({{8, c, 70, 0}, true});
    }
    run.insert(run.end(), {{{9, 0, 90, 0}}, {{10, 0, 100, 0}}});
    return run;
}

