#include "OffPageSettings.h"

#include "base/Log.h"
#include "device/DeviceProtocol.h"
#include "device/DeviceRecords.h"

#include <algorithm>

namespace {

constexpr uint8_t kLastChannel = OutputCount - 1;
constexpr int kBandsPerRequest = 8;  // six bytes a band: eight fill one frame

using Bytes = OffPageSettings::ChannelBytes;
using ByteGetter = void (DeviceLink::*)(uint8_t, uint8_t, uint8_t, uint8_t);
using ByteSetter = void (DeviceLink::*)(uint8_t, uint8_t, uint8_t, uint8_t, const uint8_t*, bool);

// The per-output switches, all asked and set for source 0.
struct OutputByteFamily {
    uint8_t sub;
    Bytes OffPageSettings::*field;
    ByteGetter get;
    ByteSetter set;
};
const OutputByteFamily kOutputBytes[] = {
    {DSP_COMPRESSOR_ON_CH, &OffPageSettings::compressorOn, &DeviceLink::Get_Compressor_Ch_On,
     &DeviceLink::Compressor_Ch_Ctrl},
    {DSP_CH_SOLO, &OffPageSettings::solo, &DeviceLink::Get_Ch_Solo, &DeviceLink::Solo_Ctrl},
    {DSP_HPF_Q_FACT_MODE, &OffPageSettings::hpQMode, &DeviceLink::Get_HPF_Q_Fact_Mode, &DeviceLink::HPF_Q_Fact_Ctrl},
    {DSP_LPF_Q_FACT_MODE, &OffPageSettings::lpQMode, &DeviceLink::Get_LPF_Q_Fact_Mode, &DeviceLink::LPF_Q_Fact_Ctrl},
};

// The per-input values, kept for every source.
struct InputByteFamily {
    uint8_t sub;
    Bytes (OffPageSettings::*field)[SourceCount];
    ByteGetter get;
    ByteSetter set;
};
const InputByteFamily kInputBytes[] = {
    {DSP_INPUT_TRIM_CH, &OffPageSettings::inputTrim, &DeviceLink::Get_Input_Trim, &DeviceLink::Input_Trim_Ctrl},
    {DSP_INPUT_CH_MUTE, &OffPageSettings::inputMute, &DeviceLink::Get_Mute_Input_Ch, &DeviceLink::Mute_Input_Ch_Ctrl},
    {DSP_INPUT_CH_PHASE, &OffPageSettings::inputPhase, &DeviceLink::Get_Phase_Input_Ch, &DeviceLink::Input_Phase_Ctrl},
};

using LinkGetter = void (DeviceLink::*)(uint8_t);
using LinkSetter = void (DeviceLink::*)(uint8_t, uint8_t, uint8_t, const uint8_t*, bool);
const struct {
    uint8_t sub;
    LinkGetter get;
    LinkSetter set;
} kLinks[OffPageSettings::LinkKinds] = {
    {DSP_CH_LINK, &DeviceLink::Get_CH_Link, &DeviceLink::CH_Link_Ctrl},
    {DSP_CH_TRIM_LINK, &DeviceLink::Get_CH_Trim_Link, &DeviceLink::CH_Trim_Link_Ctrl},
    {DSP_CH_DELAY_LINK, &DeviceLink::Get_CH_Delay_Link, &DeviceLink::CH_Delay_Link_Ctrl},
};

int FirstOffPageBand(int output) { return BandCountOfOutput(output); }

void Keep(Bytes& bytes, uint32_t channel, uint32_t value) {
    if (channel >= static_cast<uint32_t>(OutputCount)) return;
    bytes.have[channel] = true;
    bytes.value[channel] = static_cast<uint8_t>(value);
}

// A whole-range reply: value[c] for channels first..last.
void KeepRange(Bytes& bytes, uint32_t first, uint32_t last, const uint8_t* value) {
    for (uint32_t c = first; c <= last && c < static_cast<uint32_t>(OutputCount); ++c) Keep(bytes, c, value[c]);
}

void KeepBand(OffPageSettings::Band& band, const DspEqRecord& r) {
    band.have = true;
    band.freq = static_cast<uint16_t>(r.freq);
    band.q = r.q;
    band.gain = r.gain;
}

// The whole range at once when every value is known, else each known one alone.
void SendBytes(DeviceLink& d, ByteSetter set, uint8_t source, const Bytes& bytes) {
    if (std::all_of(bytes.have, bytes.have + OutputCount, [](bool have) { return have; })) {
        (d.*set)(0, source, 0, kLastChannel, bytes.value, true);
        return;
    }
    for (uint8_t c = 0; c < OutputCount; ++c)
        if (bytes.have[c]) (d.*set)(0, source, c, c, &bytes.value[c], true);
}

// Runs of known bands, at most eight to a request.
void SendInputBands(DeviceLink& d, uint8_t input, const OffPageSettings::Band (&bands)[kAmpBandSlots]) {
    for (int first = 0; first < kAmpBandSlots;) {
        if (!bands[first].have) {
            ++first;
            continue;
        }
        int last = first;
        while (last + 1 < kAmpBandSlots && last + 1 - first < kBandsPerRequest && bands[last + 1].have) ++last;
        uint16_t freq[kBandsPerRequest];
        float q[kBandsPerRequest], gain[kBandsPerRequest];
        for (int b = first; b <= last; ++b) {
            freq[b - first] = bands[b].freq;
            q[b - first] = bands[b].q;
            gain[b - first] = bands[b].gain;
        }
        d.Input_EQ_Ctrl(0, 0, input, static_cast<uint8_t>(first), static_cast<uint8_t>(last), freq, q, gain, true);
        first = last + 1;
    }
}

void AddBandSteps(std::vector<ReadStep>& steps, bool input, uint8_t channel, int firstBand) {
    for (int first = firstBand; first < kAmpBandSlots; first += kBandsPerRequest) {
        const uint8_t a = static_cast<uint8_t>(first);
        const uint8_t b = static_cast<uint8_t>(std::min(first + kBandsPerRequest, kAmpBandSlots) - 1);
        if (input)
            steps.push_back([=](DeviceLink& d) { d.Get_Input_EQ(0, 0, channel, a, b); });
        else
            steps.push_back([=](DeviceLink& d) { d.Get_EQ(0, 0, channel, a, b); });
    }
}

}  // namespace

std::vector<ReadStep> OffPageSettings::ReadSteps(uint8_t compressorSource) {
    std::vector<ReadStep> steps;
    for (uint8_t n = 0; n < OutputCount; ++n)
        steps.push_back([=](DeviceLink& d) { d.Get_Compressor(0, compressorSource, n, n); });
    // Six bytes a channel: eight channels fill one frame.
    steps.push_back([=](DeviceLink& d) { d.Get_Compressor2(0, compressorSource, 0, 7); });
    steps.push_back([=](DeviceLink& d) { d.Get_Compressor2(0, compressorSource, 8, kLastChannel); });
    for (const OutputByteFamily& f : kOutputBytes)
        steps.push_back([get = f.get](DeviceLink& d) { (d.*get)(0, 0, 0, kLastChannel); });
    steps.push_back([](DeviceLink& d) { d.Get_Spk_Dist(0, 0, 0, kLastChannel); });
    for (uint8_t n = 0; n < OutputCount; ++n) AddBandSteps(steps, false, n, FirstOffPageBand(n));
    for (uint8_t s = 0; s < SourceCount; ++s)
        for (const InputByteFamily& f : kInputBytes)
            steps.push_back([=, get = f.get](DeviceLink& d) { (d.*get)(0, s, 0, kLastChannel); });
    for (uint8_t i = 0; i < kOffPageInputs; ++i) AddBandSteps(steps, true, i, 0);
    steps.push_back([](DeviceLink& d) { d.Get_All_Bypass(0, 0, 0, kLastChannel); });
    steps.push_back([](DeviceLink& d) { d.Get_AUTO_ON(); });
    for (const auto& link : kLinks) steps.push_back([get = link.get](DeviceLink& d) { (d.*get)(0); });
    for (uint8_t s = 0; s < SourceCount; ++s) {
        steps.push_back([=](DeviceLink& d) { d.Get_Mix_Type(0, s); });
        steps.push_back([=](DeviceLink& d) { d.Get_Mix_Type2(0, s); });
    }
    return steps;
}

void OffPageSettings::TakeRecord(WPARAM sub, const void* data) {
    for (const OutputByteFamily& f : kOutputBytes) {
        if (f.sub != sub) continue;
        if (sub == DSP_HPF_Q_FACT_MODE || sub == DSP_LPF_Q_FACT_MODE) {
            const auto* r = static_cast<const DspQFactModeRecord*>(data);
            if (r->d2 == 0) KeepRange(this->*f.field, r->first, r->last, r->mode);
        } else {
            const auto* r = static_cast<const DspChannelValueRecord*>(data);
            if (r->scene == 0) Keep(this->*f.field, r->channel, r->value);
        }
        return;
    }
    for (const InputByteFamily& f : kInputBytes) {
        if (f.sub != sub) continue;
        const auto* r = static_cast<const DspInputRangeRecord*>(data);
        if (r->scene == 0 && r->source < static_cast<uint32_t>(SourceCount))
            KeepRange((this->*f.field)[r->source], r->first, r->last, r->value);
        return;
    }
    for (int k = 0; k < LinkKinds; ++k) {
        if (kLinks[k].sub != sub) continue;
        const auto* r = static_cast<const DspLinkRecord*>(data);
        if (r->scene != 0) return;
        LinkList& list = links[k];
        list.have = true;
        list.link = static_cast<uint8_t>(r->link);
        list.count = std::min<uint8_t>(r->count, kLinkPairs);
        std::copy(r->list, r->list + 2 * list.count, list.pairs);
        return;
    }
    switch (sub) {
    case DSP_COMPRESSOR_SETTING: {
        const auto* r = static_cast<const DspCompressorRecord*>(data);
        if (r->scene != 0 || r->channel >= static_cast<uint32_t>(OutputCount)) return;
        compressor[r->channel] = {true, static_cast<uint8_t>(r->bypass), r->noise, r->ratio, r->soft_knee,
                                  r->attack, r->release};
        break;
    }
    case DSP_COMPRESSOR_SETTING2: {
        const auto* r = static_cast<const DspCompressor2Record*>(data);
        if (r->scene != 0 || r->channel >= static_cast<uint32_t>(OutputCount)) return;
        compressor2[r->channel] = {true, r->threshold, r->attack, r->release};
        break;
    }
    case DSP_SPK_DIST: {
        const auto* r = static_cast<const DspSpeakerDistRecord*>(data);
        if (r->d2 != 0) return;
        for (int c = r->first; c <= r->last && c < OutputCount; ++c) {
            haveDistance[c] = true;
            distance[c] = r->dist[c];
        }
        break;
    }
    case DSP_EQ_CH: {
        const auto* r = static_cast<const DspEqRecord*>(data);
        if (r->scene != 0 || r->channel >= static_cast<uint32_t>(OutputCount) || r->band >= kAmpBandSlots) return;
        if (static_cast<int>(r->band) >= FirstOffPageBand(static_cast<int>(r->channel)))
            KeepBand(outputBands[r->channel][r->band], *r);
        break;
    }
    case DSP_INPUT_EQ_CH: {
        const auto* r = static_cast<const DspEqRecord*>(data);
        if (r->scene != 0 || r->channel >= static_cast<uint32_t>(kOffPageInputs) || r->band >= kAmpBandSlots) return;
        KeepBand(inputBands[r->channel][r->band], *r);
        break;
    }
    case DSP_BYPASS: {
        const auto* r = static_cast<const DspChannelValueRecord*>(data);
        if (r->scene == 0) allBypass = {true, static_cast<uint8_t>(r->value)};
        break;
    }
    case DSP_MIX_TYPE:
    case DSP_MIX_TYPE2: {
        const auto* r = static_cast<const DspMixTypeRecord*>(data);
        if (r->scene != 0 || r->source >= static_cast<uint32_t>(SourceCount)) return;
        (sub == DSP_MIX_TYPE ? mixType : mixType2)[r->source] = {true, static_cast<uint8_t>(r->mix_type)};
        break;
    }
    default: break;
    }
}

void OffPageSettings::TakeValue(WPARAM sub, int value) {
    if (sub == DSP_AUTO_EFFECTION_ON_OFF_CONTROL) autoOn = {true, static_cast<uint8_t>(value)};
}

void OffPageSettings::SendTo(DeviceLink& d) const {
    LogPrintW(L"the working configuration's other settings go back\n");
    for (uint8_t n = 0; n < OutputCount; ++n) {
        const Compressor& c = compressor[n];
        if (c.have)
            d.Compressor_Ctrl(0, compressorSource, n, c.bypass, c.threshold, c.ratio, static_cast<int32_t>(c.attack),
                              static_cast<int32_t>(c.release), c.softKnee, true);
        const Compressor2& c2 = compressor2[n];
        if (c2.have) {
            const Compressor2Setting setting{c2.threshold, static_cast<int32_t>(c2.attack), static_cast<int32_t>(c2.release)};
            d.Compressor_Ctrl2(0, compressorSource, n, n, &setting, true);
        }
    }
    for (const OutputByteFamily& f : kOutputBytes) SendBytes(d, f.set, 0, this->*f.field);
    for (uint8_t n = 0; n < OutputCount; ++n)
        if (haveDistance[n]) d.Spk_Dist_Ctrl(0, 0, n, n, &distance[n], true);
    for (uint8_t n = 0; n < OutputCount; ++n)
        for (int b = FirstOffPageBand(n); b < kAmpBandSlots; ++b) {
            const Band& band = outputBands[n][b];
            if (band.have) d.EQ_Ctrl(0, 0, n, static_cast<uint8_t>(b), band.freq, band.q, band.gain, true);
        }
    for (uint8_t s = 0; s < SourceCount; ++s)
        for (const InputByteFamily& f : kInputBytes) SendBytes(d, f.set, s, (this->*f.field)[s]);
    for (uint8_t i = 0; i < kOffPageInputs; ++i) SendInputBands(d, i, inputBands[i]);
    if (allBypass.have) d.DSP_Bypass_Ctrl(0, 0, 0, allBypass.value, true);
    if (autoOn.have) d.AUTO_ON_Ctrl(0, autoOn.value, true);
    for (int k = 0; k < LinkKinds; ++k) {
        const LinkList& list = links[k];
        if (!list.have) continue;
        (d.*kLinks[k].set)(0, list.link, list.count, list.count ? list.pairs : nullptr, true);
    }
    for (uint8_t s = 0; s < SourceCount; ++s) {
        if (mixType[s].have) d.Mix_Type_Ctrl(0, s, mixType[s].value, true);
        if (mixType2[s].have) d.Mix_Type2_Ctrl(0, s, mixType2[s].value, true);
    }
}
