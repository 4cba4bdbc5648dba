#include "AmpDspCommands.h"

#include <algorithm>
#include <cstring>

namespace {

using Bytes = std::vector<uint8_t>;

// ---- reply helpers -------------------------------------------------------------------------------

void Append(Bytes& out, const uint8_t* bytes, size_t count) { out.insert(out.end(), bytes, bytes + count); }

AmpReply Ready(uint8_t sub) { return AmpAck(kAmpCmdDsp, sub); }
AmpReply Refused(uint8_t sub) { return AmpAck(kAmpCmdDsp, sub, kAmpNotReady); }
AmpReply Values(uint8_t sub, const Bytes& values) { return AmpUpdate(kAmpCmdDsp, sub, values); }

// ---- tables --------------------------------------------------------------------------------------

// A fixed-size value per channel, set and read over a channel range (scene, source, first, last).
struct RangedField {
    uint8_t sub;
    uint8_t bytes;
    uint8_t* (*field)(AmpScene&, int channel);
};

const RangedField kRangedFields[] = {
    {0x05, 8, [](AmpScene& s, int c) { return s.outputs[c].filter; }},  // getter only: the setter names one side
    {0x07, 3, [](AmpScene& s, int c) { return s.outputs[c].delay; }},
    {0x09, 1, [](AmpScene& s, int c) { return &s.outputs[c].mute; }},
    {0x0A, 1, [](AmpScene& s, int c) { return &s.outputs[c].phase; }},
    {0x0D, 1, [](AmpScene& s, int c) { return &s.outputs[c].type; }},
    {0x12, 1, [](AmpScene& s, int c) { return &s.outputs[c].eqBypass; }},
    {0x20, 1, [](AmpScene& s, int c) { return &s.inputs[c].trim; }},
    {0x21, 1, [](AmpScene& s, int c) { return &s.inputs[c].mute; }},
    {0x22, 1, [](AmpScene& s, int c) { return &s.inputs[c].phase; }},
    {0x34, 1, [](AmpScene& s, int c) { return &s.outputs[c].solo; }},
    {0x37, 1, [](AmpScene& s, int c) { return &s.outputs[c].hpQMode; }},
    {0x38, 1, [](AmpScene& s, int c) { return &s.outputs[c].lpQMode; }},
    {0x43, 2, [](AmpScene& s, int c) { return s.outputs[c].speakerDistance; }},
    {0x49, 1, [](AmpScene& s, int c) { return &s.outputs[c].compressorOn; }},
    {0x4A, 6, [](AmpScene& s, int c) { return s.outputs[c].compressor2; }},
};

// A device-wide value: the setter's payload, the getter's reply values.
struct PlainField {
    uint8_t sub;
    uint8_t bytes;
    uint8_t* (*field)(AmpSettings&);
};

const PlainField kPlainFields[] = {
    {0x01, 1, [](AmpSettings& s) { return &s.source; }},
    {0x03, 1, [](AmpSettings& s) { return &s.subwooferVolume; }},
    {0x04, 1, [](AmpSettings& s) { return &s.mute; }},
    {0x1D, 1, [](AmpSettings& s) { return &s.testMic; }},
    {0x1E, 1, [](AmpSettings& s) { return &s.testModule; }},
    {0x26, 1, [](AmpSettings& s) { return &s.inputThreshold; }},
    {0x32, 2, [](AmpSettings& s) { return s.selRemote; }},
    {0x33, 1, [](AmpSettings& s) { return &s.remoteVolume; }},
    {0x35, 1, [](AmpSettings& s) { return &s.speakerConfig; }},
    {0x39, 1, [](AmpSettings& s) { return &s.factoryPreset; }},
    {0x3A, 1, [](AmpSettings& s) { return &s.setupMode; }},
    {0x3F, 1, [](AmpSettings& s) { return &s.ampMute; }},
    {0x44, 1, [](AmpSettings& s) { return &s.mixSource; }},
    {0x45, 2, [](AmpSettings& s) { return s.remOut; }},
    {0x4B, 1, [](AmpSettings& s) { return &s.speakerOhm; }},
    {0x4E, 1, [](AmpSettings& s) { return &s.noiseGate; }},
};

template <typename Table, size_t N>
const Table* Find(const Table (&table)[N], uint8_t sub) {
    for (const Table& entry : table)
        if (entry.sub == sub) return &entry;
    return nullptr;
}

// ---- generic families ----------------------------------------------------------------------------

AmpReply RespondRanged(AmpState& st, const AmpRequest& r, const RangedField& f) {
    const uint8_t scene = r.Arg(0), source = r.Arg(1);
    const int first = r.Arg(2), last = r.Arg(3);
    if (r.IsGet()) {
        AmpScene& s = st.SceneForRead(scene);
        const int end = AmpRangeEnd(first, last, kAmpChannels, 6, f.bytes);
        Bytes v{scene, source, static_cast<uint8_t>(first), static_cast<uint8_t>(end)};
        for (int c = first; c <= end; ++c) Append(v, f.field(s, c), f.bytes);
        return Values(r.sub, v);
    }
    AmpScene* s = st.SceneForWrite(scene);
    for (int c = first, i = 0; c <= last; ++c, ++i) {
        const size_t at = 4 + static_cast<size_t>(i) * f.bytes;
        if (at + f.bytes > r.payload.size()) break;
        if (s && c < kAmpChannels) std::memcpy(f.field(*s, c), &r.payload[at], f.bytes);
    }
    return Ready(r.sub);
}

AmpReply RespondPlain(AmpState& st, const AmpRequest& r, const PlainField& f) {
    uint8_t* value = f.field(st.settings);
    if (r.IsGet()) return Values(r.sub, Bytes(value, value + f.bytes));
    for (size_t i = 0; i < f.bytes && i < r.payload.size(); ++i) value[i] = r.payload[i];
    return Ready(r.sub);
}

// ---- output channel specials ---------------------------------------------------------------------

// Filter setter: (scene, source, channel, side, type, frequency hi, lo, slope); side 1 low-pass, 2 high-pass.
AmpReply SetFilter(AmpState& st, const AmpRequest& r) {
    AmpScene* s = st.SceneForWrite(r.Arg(0));
    const int channel = r.Arg(2), side = r.Arg(3);
    if (s && channel < kAmpChannels && (side == 1 || side == 2)) {
        uint8_t* half = s->outputs[channel].filter + (side == 1 ? 4 : 0);
        for (int i = 0; i < 4; ++i) half[i] = r.Arg(4 + i);
    }
    return Ready(r.sub);
}

AmpReply RespondTrim(AmpState& st, const AmpRequest& r) {
    const uint8_t scene = r.Arg(0), source = r.Arg(1);
    const int first = r.Arg(2), last = r.Arg(3);
    if (r.IsGet()) {
        AmpScene& s = st.SceneForRead(scene);
        const size_t width = st.wideTrim ? 2 : 1;
        const int end = AmpRangeEnd(first, last, kAmpChannels, 6, width);
        Bytes v{scene, source, static_cast<uint8_t>(first), static_cast<uint8_t>(end)};
        for (int c = first; c <= end; ++c) {
            const uint8_t* trim = s.outputs[c].trim;
            if (width == 2)
                Append(v, trim, 2);
            else
                v.push_back(static_cast<uint8_t>(-static_cast<int8_t>(trim[0])));
        }
        return Values(r.sub, v);
    }
    if (last < first) return Ready(r.sub);
    const size_t items = static_cast<size_t>(last - first + 1);
    const size_t width = r.payload.size() >= 4 + 2 * items ? 2 : 1;
    AmpScene* s = st.SceneForWrite(scene);
    for (size_t i = 0; i < items && 4 + (i + 1) * width <= r.payload.size(); ++i) {
        const size_t c = first + i;
        if (!s || c >= kAmpChannels) continue;
        s->outputs[c].trim[0] = r.payload[4 + i * width];
        s->outputs[c].trim[1] = width == 2 ? r.payload[5 + i * width] : 0;
    }
    return Ready(r.sub);
}

AmpReply RespondMix(AmpState& st, const AmpRequest& r) {
    const uint8_t scene = r.Arg(0), source = r.Arg(1);
    const int first = r.Arg(2), last = r.Arg(3);
    if (r.IsGet()) {
        AmpScene& s = st.SceneForRead(scene);
        const size_t width = st.inputCount > 8 ? 2 : 1;
        const int end = AmpRangeEnd(first, last, kAmpChannels, 6, width);
        Bytes v{scene, source, static_cast<uint8_t>(first), static_cast<uint8_t>(end)};
        for (int c = first; c <= end; ++c) {
            const uint16_t mask = source < kAmpSources ? s.mix[source][c] : 0;
            if (width == 2) v.push_back(static_cast<uint8_t>(mask >> 8));
            v.push_back(static_cast<uint8_t>(mask));
        }
        return Values(r.sub, v);
    }
    if (last < first) return Ready(r.sub);
    const size_t items = static_cast<size_t>(last - first + 1);
    const size_t width = r.payload.size() >= 4 + 2 * items ? 2 : 1;
    AmpScene* s = st.SceneForWrite(scene);
    for (size_t i = 0; i < items && 4 + (i + 1) * width <= r.payload.size(); ++i) {
        const size_t c = first + i;
        if (!s || c >= kAmpChannels || source >= kAmpSources) continue;
        const uint8_t* item = &r.payload[4 + i * width];
        s->mix[source][c] = width == 2 ? static_cast<uint16_t>(item[0] << 8 | item[1]) : item[0];
    }
    return Ready(r.sub);
}

// EQ bands: output EQ sets one band (scene, source, channel, band, 6 bytes); input EQ a band range
// (scene, source, channel, first, last, 6 bytes per band); both getters (scene, source, channel, first, last).
AmpEqBand* BandsOf(AmpScene& s, uint8_t sub, int channel) {
    if (channel >= kAmpChannels) return nullptr;
    return sub == 0x06 ? s.outputs[channel].eq : s.inputs[channel].eq;
}

// Channels beyond the stored ones read as a fresh channel.
const AmpEqBand* BandsToRead(AmpScene& s, uint8_t sub, int channel) {
    static const AmpScene factory = FactoryScene();
    if (AmpEqBand* bands = BandsOf(s, sub, channel)) return bands;
    return factory.outputs[0].eq;
}

AmpReply RespondEq(AmpState& st, const AmpRequest& r) {
    const uint8_t scene = r.Arg(0), source = r.Arg(1), channel = r.Arg(2);
    if (r.IsGet()) {
        const int first = r.Arg(3), last = r.Arg(4);
        const AmpEqBand* bands = BandsToRead(st.SceneForRead(scene), r.sub, channel);
        const int end = AmpRangeEnd(first, last, kAmpBands, 7, 6);
        Bytes v{scene, source, channel, static_cast<uint8_t>(first), static_cast<uint8_t>(end)};
        for (int b = first; b <= end; ++b) {
            const AmpEqBand& band = bands[b];
            const uint8_t hundredths = band.q[1] < 10 ? static_cast<uint8_t>(band.q[1] * 10) : band.q[1];
            const uint8_t item[6] = {band.freq[0], band.freq[1], band.q[0], hundredths, band.gain[0], band.gain[1]};
            Append(v, item, 6);
        }
        return Values(r.sub, v);
    }
    AmpScene* s = st.SceneForWrite(scene);
    AmpEqBand* bands = s ? BandsOf(*s, r.sub, channel) : nullptr;
    const int first = r.Arg(3);
    const int last = r.sub == 0x06 ? first : r.Arg(4);
    const size_t dataAt = r.sub == 0x06 ? 4 : 5;
    for (int b = first, i = 0; b <= last; ++b, ++i) {
        const size_t at = dataAt + 6 * static_cast<size_t>(i);
        if (at + 6 > r.payload.size()) break;
        if (!bands || b >= kAmpBands) continue;
        std::memcpy(bands[b].freq, &r.payload[at], 2);
        std::memcpy(bands[b].q, &r.payload[at + 2], 2);
        std::memcpy(bands[b].gain, &r.payload[at + 4], 2);
    }
    return Ready(r.sub);
}

AmpReply RespondCompressor(AmpState& st, const AmpRequest& r) {
    const uint8_t scene = r.Arg(0), source = r.Arg(1);
    if (r.IsGet()) {
        const int first = r.Arg(2);
        AmpScene& s = st.SceneForRead(scene);
        Bytes v{scene, source, r.Arg(2), r.Arg(3)};
        if (first < kAmpChannels)
            Append(v, s.outputs[first].compressor, sizeof s.outputs[first].compressor);
        else
            v.resize(v.size() + sizeof s.outputs[0].compressor, 0);
        return Values(r.sub, v);
    }
    AmpScene* s = st.SceneForWrite(scene);
    const int channel = r.Arg(2);
    if (s && channel < kAmpChannels)
        for (size_t i = 0; i < sizeof s->outputs[channel].compressor; ++i)
            s->outputs[channel].compressor[i] = r.Arg(3 + i);
    return Ready(r.sub);
}

AmpReply RespondRemap(AmpState& st, const AmpRequest& r) {
    const uint8_t scene = r.Arg(0), source = r.Arg(1);
    if (r.IsGet()) {
        const int first = r.Arg(2), last = std::min<int>(r.Arg(3), kAmpChannels - 1);
        AmpScene& s = st.SceneForRead(scene);
        Bytes items;
        int end = first - 1;
        for (int c = first; c <= last; ++c) {
            const AmpOutput& out = s.outputs[c];
            if (6 + items.size() + 1 + out.remapCount > kAmpMaxFrameData) break;
            items.push_back(out.remapCount);
            Append(items, out.remap, out.remapCount);
            end = c;
        }
        if (r.Arg(3) < first) end = r.Arg(3);
        Bytes v{scene, source, static_cast<uint8_t>(first), static_cast<uint8_t>(end)};
        v.reserve(v.size() + items.size());
        for (uint8_t b : items) v.push_back(b);
        return Values(r.sub, v);
    }
    AmpScene* s = st.SceneForWrite(scene);
    const int channel = r.Arg(2);
    if (s && channel < kAmpChannels && r.payload.size() >= 3) {
        AmpOutput& out = s->outputs[channel];
        out.remapCount = static_cast<uint8_t>(std::min<size_t>(r.payload.size() - 3, kAmpChannels));
        std::memcpy(out.remap, &r.payload[3], out.remapCount);
    }
    return Ready(r.sub);
}

AmpReply RespondPeqReset(AmpState& st, const AmpRequest& r) {
    if (r.IsGet()) return Values(r.sub, {r.Arg(0), r.Arg(1), r.Arg(2), r.Arg(3)});
    AmpScene* s = st.SceneForWrite(r.Arg(0));
    const size_t count = r.Arg(2);
    for (size_t i = 0; i < count && 3 + i < r.payload.size(); ++i) {
        const uint8_t channel = r.payload[3 + i];
        if (!s || channel >= kAmpChannels) continue;
        for (int b = 0; b < kAmpBands; ++b) s->outputs[channel].eq[b] = FactoryEqBand(b);
    }
    return Ready(r.sub);
}

// ---- scene-wide specials -------------------------------------------------------------------------

AmpLinkList& LinkListOf(AmpScene& s, uint8_t sub) {
    return sub == 0x0E ? s.link : sub == 0x30 ? s.trimLink : s.delayLink;
}

AmpReply RespondLinks(AmpState& st, const AmpRequest& r) {
    const uint8_t scene = r.Arg(0);
    if (r.IsGet()) {
        const AmpLinkList& list = LinkListOf(st.SceneForRead(scene), r.sub);
        Bytes v{scene, list.link, list.count};
        Append(v, list.pairs, 2u * list.count);
        return Values(r.sub, v);
    }
    if (AmpScene* s = st.SceneForWrite(scene)) {
        AmpLinkList& list = LinkListOf(*s, r.sub);
        const size_t present = r.payload.size() >= 3 ? (r.payload.size() - 3) / 2 : 0;
        list.link = r.Arg(1);
        list.count = static_cast<uint8_t>(std::min<size_t>({r.Arg(2), present, kAmpLinkPairs}));
        std::memset(list.pairs, 0, sizeof list.pairs);
        if (list.count) std::memcpy(list.pairs, &r.payload[3], 2u * list.count);
    }
    return Ready(r.sub);
}

// A byte of the scene named by the first payload byte: (scene, value) to set, (scene) to get.
AmpReply RespondSceneByte(AmpState& st, const AmpRequest& r, uint8_t AmpScene::*field) {
    const uint8_t scene = r.Arg(0);
    if (r.IsGet()) return Values(r.sub, {scene, st.SceneForRead(scene).*field});
    if (AmpScene* s = st.SceneForWrite(scene)) s->*field = r.Arg(1);
    return Ready(r.sub);
}

AmpReply RespondDspBypass(AmpState& st, const AmpRequest& r) {
    const uint8_t scene = r.Arg(0);
    if (r.IsGet()) return Values(r.sub, {scene, r.Arg(1), r.Arg(2), r.Arg(3), st.SceneForRead(scene).dspBypass});
    if (AmpScene* s = st.SceneForWrite(scene)) s->dspBypass = r.Arg(2);
    return Ready(r.sub);
}

AmpReply RespondAutoOn(AmpState& st, const AmpRequest& r) {
    if (r.IsGet()) return Values(r.sub, {st.scenes[0].autoOn});
    if (AmpScene* s = st.SceneForWrite(r.Arg(0))) s->autoOn = r.Arg(1);
    return Ready(r.sub);
}

AmpReply RespondMixType(AmpState& st, const AmpRequest& r) {
    const uint8_t scene = r.Arg(0), source = r.Arg(1);
    auto field = r.sub == 0x36 ? &AmpScene::mixType : &AmpScene::mixType2;
    if (r.IsGet()) {
        const uint8_t type = source < kAmpSources ? (st.SceneForRead(scene).*field)[source] : 0;
        return Values(r.sub, {scene, source, type});
    }
    AmpScene* s = st.SceneForWrite(scene);
    if (s && source < kAmpSources) (s->*field)[source] = r.Arg(2);
    return Ready(r.sub);
}

// Input mix levels, by input (scene, source, input, first output, last output, level per output) or by
// output (sub 0x28: scene, source, first input, last input, output, level per input).
AmpReply RespondInputMix(AmpState& st, const AmpRequest& r) {
    const uint8_t scene = r.Arg(0), source = r.Arg(1), input = r.Arg(2);
    const int first = r.Arg(3), last = r.Arg(4);
    if (r.IsGet()) {
        AmpScene& s = st.SceneForRead(scene);
        const bool known = source < kAmpSources && input < kAmpChannels;
        const int end = AmpRangeEnd(first, last, kAmpChannels, 7, 1);
        Bytes v{scene, source, input, static_cast<uint8_t>(first), static_cast<uint8_t>(end)};
        for (int o = first; o <= end; ++o) v.push_back(known ? s.inputMix[source][input][o] : 0);
        return Values(r.sub, v);
    }
    AmpScene* s = st.SceneForWrite(scene);
    if (!s || source >= kAmpSources) return Ready(r.sub);
    const bool byOutput = r.sub == 0x28;
    const int firstItem = byOutput ? r.Arg(2) : first;
    const int lastItem = byOutput ? r.Arg(3) : last;
    for (int k = firstItem, i = 0; k <= lastItem && 5 + static_cast<size_t>(i) < r.payload.size(); ++k, ++i) {
        const int in = byOutput ? k : input;
        const int out = byOutput ? r.Arg(4) : k;
        if (in < kAmpChannels && out < kAmpChannels) s->inputMix[source][in][out] = r.payload[5 + i];
    }
    return Ready(r.sub);
}

// Cross-source mixing, one table for both forms: sub 0x47 (scene, source, channel, second source,
// second channel, gain code) and sub 0x4D (scene, source, second source, second channel, channel).
AmpReply RespondCrossMix(AmpState& st, const AmpRequest& r) {
    const bool cs47048 = r.sub == 0x4D;
    const uint8_t scene = r.Arg(0), source = r.Arg(1), channel = cs47048 ? r.Arg(4) : r.Arg(2);
    const bool known = source < kAmpSources && channel < kAmpChannels;
    if (r.IsGet()) {
        const AmpCrossMix mix = known ? st.SceneForRead(scene).crossMix[source][channel] : AmpCrossMix{};
        if (cs47048) return Values(r.sub, {scene, source, mix.viceSource, mix.viceChannel, channel});
        return Values(r.sub, {scene, source, channel, mix.viceSource, mix.viceChannel, mix.viceGain});
    }
    AmpScene* s = st.SceneForWrite(scene);
    if (s && known) {
        AmpCrossMix& mix = s->crossMix[source][channel];
        mix.viceSource = cs47048 ? r.Arg(2) : r.Arg(3);
        mix.viceChannel = cs47048 ? r.Arg(3) : r.Arg(4);
        if (!cs47048) mix.viceGain = r.Arg(5);
    }
    return Ready(r.sub);
}

AmpReply RespondBridge(AmpState& st, const AmpRequest& r) {
    const uint8_t scene = r.Arg(0), source = r.Arg(1);
    if (r.IsGet()) {
        const uint8_t count = std::min<uint8_t>(r.Arg(2), kAmpBridgeFlags);
        Bytes v{scene, source, count};
        Append(v, st.SceneForRead(scene).bridge, count);
        return Values(r.sub, v);
    }
    if (AmpScene* s = st.SceneForWrite(scene)) {
        const size_t present = r.payload.size() >= 3 ? r.payload.size() - 3 : 0;
        s->bridgeCount = static_cast<uint8_t>(std::min<size_t>({r.Arg(2), present, kAmpBridgeFlags}));
        std::memset(s->bridge, 0, sizeof s->bridge);
        if (s->bridgeCount) std::memcpy(s->bridge, &r.payload[3], s->bridgeCount);
    }
    return Ready(r.sub);
}

// ---- device-wide specials ------------------------------------------------------------------------

// Main volume: set as an attenuation (0 = +6 dB .. 66 = -60 dB), reported as the level in dB.
AmpReply RespondMainVolume(AmpState& st, const AmpRequest& r) {
    uint8_t& attenuation = st.settings.mainVolume;
    if (!r.IsGet()) {
        if (!r.payload.empty()) attenuation = r.payload[0];
        return Ready(r.sub);
    }
    const int db = kAmpMaxVolumeDb - std::min<int>(attenuation, kAmpMaxVolumeDb - kAmpMinVolumeDb);
    return Values(r.sub, {static_cast<uint8_t>(db)});
}

AmpReply RespondSourceConfig(AmpState& st, const AmpRequest& r) {
    if (!r.IsGet()) return Ready(r.sub);
    const uint8_t count = std::min<uint8_t>(st.settings.sourceCount, sizeof st.settings.sourceCodes);
    Bytes v{count};
    Append(v, st.settings.sourceCodes, count);
    return Values(r.sub, v);
}

AmpReply RespondCsAuto(AmpState& st, const AmpRequest& r) {
    uint8_t* words = st.settings.csAuto;
    if (r.IsGet()) return Values(r.sub, Bytes(words, words + sizeof st.settings.csAuto));
    for (size_t i = 0; i < sizeof st.settings.csAuto && i < r.payload.size(); ++i) words[i] = r.payload[i];
    return Ready(r.sub);
}

// Memory words: address and data travel least significant byte first.
AmpReply RespondMemory(AmpState& st, const AmpRequest& r) {
    const uint32_t address = r.Arg(0) | r.Arg(1) << 8 | r.Arg(2) << 16 | static_cast<uint32_t>(r.Arg(3)) << 24;
    if (!r.IsGet()) {
        st.memory[address] = r.Arg(4) | r.Arg(5) << 8 | r.Arg(6) << 16 | static_cast<uint32_t>(r.Arg(7)) << 24;
        return Ready(r.sub);
    }
    const auto it = st.memory.find(address);
    const uint32_t data = it == st.memory.end() ? 0 : it->second;
    Bytes v;
    for (int i = 0; i < 4; ++i) v.push_back(static_cast<uint8_t>(address >> (8 * i)));
    for (int i = 0; i < 4; ++i) v.push_back(static_cast<uint8_t>(data >> (8 * i)));
    return Values(r.sub, v);
}

AmpReply RespondInputNoise(AmpState& st, const AmpRequest& r) {
    if (!r.IsGet()) return Ready(r.sub);
    const int first = r.Arg(0), end = AmpRangeEnd(first, r.Arg(1), kAmpChannels, 4, 2);
    Bytes v{static_cast<uint8_t>(first), static_cast<uint8_t>(end)};
    for (int c = first; c <= end; ++c) Append(v, st.settings.noiseLevel[c], 2);
    return Values(r.sub, v);
}

// Distortion meters (scene, source, first, last): the reply leaves out the scene.
AmpReply RespondDistortion(AmpState& st, const AmpRequest& r) {
    if (!r.IsGet()) return Ready(r.sub);
    const uint8_t* levels = r.sub == 0x40 ? st.settings.inDistort : st.settings.outDistort;
    const int first = r.Arg(2), end = AmpRangeEnd(first, r.Arg(3), kAmpChannels, 5, 1);
    Bytes v{r.Arg(1), static_cast<uint8_t>(first), static_cast<uint8_t>(end)};
    for (int c = first; c <= end; ++c) v.push_back(levels[c]);
    return Values(r.sub, v);
}

}  // namespace

AmpReply RespondDsp(AmpState& st, const AmpRequest& r) {
    if (r.sub == 0x05 && !r.IsGet()) return SetFilter(st, r);
    if (const RangedField* f = Find(kRangedFields, r.sub)) return RespondRanged(st, r, *f);
    if (const PlainField* f = Find(kPlainFields, r.sub)) return RespondPlain(st, r, *f);
    switch (r.sub) {
        case 0x00: return RespondSourceConfig(st, r);
        case 0x02: return RespondMainVolume(st, r);
        case 0x06:
        case 0x23: return RespondEq(st, r);
        case 0x08: return RespondTrim(st, r);
        case 0x0B: return RespondMix(st, r);
        case 0x0C: return RespondRemap(st, r);
        case 0x0E:
        case 0x30:
        case 0x31: return RespondLinks(st, r);
        case 0x0F: return RespondSceneByte(st, r, &AmpScene::lock);
        case 0x10: return RespondDspBypass(st, r);
        case 0x11: return RespondPeqReset(st, r);
        case 0x24:
        case 0x28: return RespondInputMix(st, r);
        case 0x27: return RespondInputNoise(st, r);
        case 0x36:
        case 0x83: return RespondMixType(st, r);
        case 0x3B: return RespondAutoOn(st, r);
        case 0x3C: return RespondSceneByte(st, r, &AmpScene::ircActiveBypass);
        case 0x3D: return RespondCsAuto(st, r);
        case 0x3E: return RespondCompressor(st, r);
        case 0x40:
        case 0x41: return RespondDistortion(st, r);
        case 0x42: return RespondMemory(st, r);
        case 0x47:
        case 0x4D: return RespondCrossMix(st, r);
        case 0x4C: return RespondBridge(st, r);
        default: return Refused(r.sub);
    }
}
