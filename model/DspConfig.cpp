#include "model/DspConfig.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int kOctaveBands[11] = {20, 40, 80, 160, 315, 630, 1250, 2500, 5000, 10000, 20000};
constexpr int kHalfOctaveBands[21] = {20,  28,  40,   56,   80,   112,  160,  220,  315,   450,  630,
                                      890, 1250, 1800, 2500, 3600, 5000, 7100, 10000, 14000, 20000};

struct OutputLayout {
    int outputCount;
    OutputType outputs[OutputCount];
};

constexpr OutputLayout kDefaultLayouts[] = {
    {6, {6, 12, 15, 18, 22, 23, 0, 0, 6, 12}},
    {8, {6, 12, 15, 18, 19, 20, 22, 23, 6, 12}},
    {10, {6, 12, 15, 18, 19, 20, 14, 17, 22, 23}},
    {12, {1, 7, 2, 8, 3, 9, 13, 16, 14, 17}},
    {16, {1, 7, 2, 8, 13, 16, 0, 0, 19, 20}},
};

// The analogue inputs have extra channels, so their default routing spreads further.
constexpr int32_t kAnalogueRouting[OutputCount] = {1, 2, 4, 8, 3, 3, 1, 2, 1, 2};
constexpr int32_t kDigitalRouting[OutputCount] = {1, 2, 1, 2, 3, 3, 1, 2, 1, 2};

constexpr int32_t kCustomEqFreqs[CustomEqBandCount] = {10,  13,  16,  17,  19,  21,  24,   27,   30,   33,
                                                       100, 150, 200, 130, 180, 230, 280, 1000, 1250, 1600};
constexpr int32_t kCustomEqGains[CustomEqBandCount] = {0, 11, 12, 1, 6, 8, 5, 4, 4, 3, 3, 3, 3, 3, 3, 2, 3, 0, 0, 0};

void ResetKtvAndCompressors(DspConfig& c) {
    c.ktv.micVolume = 60;
    c.ktv.musicVolume = 60;
    c.ktv.howling = c.ktv.voiceChanger = c.ktv.echoLevel = c.ktv.echoDelay = 0;
    c.ktv.reverbLevel = c.ktv.reverbTime = 0;
    c.noiseGateThreshold = -60;
    c.powerOffDelay = 0;
    for (int n = 0; n < OutputCount; ++n) {
        c.compressor.bypass[n] = 1;
        c.compressor.threshold[n] = 64.0f;
        c.compressor.ratio[n] = 100.0f;
        c.compressor.attackTime[n] = 1000;
        c.compressor.releaseTime[n] = 30000;
        c.compressor.softKnee[n] = 24.0f;
    }
}

void ResetOutputLayout(DspConfig& c) {
    for (const OutputLayout& layout : kDefaultLayouts) {
        if (layout.outputCount == c.outputCount) std::copy(layout.outputs, layout.outputs + OutputCount, c.outputs);
    }
    c.currOutChannel = c.linkMode = c.lockMode = 0;
    std::fill(c.linkOutputs, c.linkOutputs + OutputCount, -1);
    std::fill(c.outputBridge, c.outputBridge + OutputCount / 2, 0);
}

void ResetLevelsAndSwitches(DspConfig& c) {
    c.inputSource = 0;
    c.mainVolume = -5;
    c.acc = 0;
    c.subVolume = 0;
    c.scene = 0;
    c.mainVolumeMute = 0;
    c.ampOn = c.remOut1 = c.remOut2 = c.spkOhm = 1;
    c.noiseGate = 0;
    c.autoEffectOn = 0;
    c.reserved1 = 0;
    c.reserved2 = 0;
}

void ResetRoutingAndMix(DspConfig& c) {
    for (int s = 0; s < SourceCount; ++s) {
        const int32_t* routing = (s == SourceLowLevel || s == SourceHighLevel) ? kAnalogueRouting : kDigitalRouting;
        std::copy(routing, routing + OutputCount, c.inputs[s]);
        for (int i = 0; i < InputChannelCount; ++i) {
            std::fill(c.inputMixVolume[s][i], c.inputMixVolume[s][i] + OutputCount, 100);
            std::fill(c.inputMixState[s][i], c.inputMixState[s][i] + OutputCount, 0);
            c.inMixPhase[s][i] = 0;
            c.mixerFlagsA[s][i] = 0;
            c.mixerFlagsB[s][i] = 0;
            c.crossMixSource[s][i] = 9;
            c.crossMixChannel[s][i] = 0;
            c.crossMixGain[s][i] = 0;
        }
    }
    std::fill(c.showOutChEqualizer, c.showOutChEqualizer + OutputCount, 0);
}

void ResetChannels(DspConfig& c) {
    for (int n = 0; n < OutputCount; ++n) {
        int count = c.bandCounts[n];
        std::fill(c.bandStorage[n], c.bandStorage[n] + BandSlotsPerOutput, EqBand());
        FillDefaultEqBands(c.bandStorage[n], std::clamp(count, 0, BandSlotsPerOutput));
        c.channels[n] = ChannelConfig(c.bandStorage[n], count, Crossover::FromOutputType(c.outputs[n]), 0.0f, 0.0f, 0, 0, 1);
    }
}

}  // namespace

DspConfig::DspConfig() {
    for (int n = 0; n < 16; ++n) bandCounts[n] = BandCountOfOutput(n);
    std::copy(kCustomEqFreqs, kCustomEqFreqs + CustomEqBandCount, customEqFreqs);
    std::copy(kCustomEqGains, kCustomEqGains + CustomEqBandCount, customEqGains);
    // The custom EQ starts flat, one band per third octave from 20 Hz.
    for (int i = 0; i < CustomEqBandCount; ++i) customEqBands[i] = EqBand(0.0f, 5.8f, ThirdOctaveBands[i], 1);
    Reset();
}

void DspConfig::CopyTo(DspConfig& to) const {
    if (&to == this) return;
    std::memcpy(static_cast<void*>(&to), static_cast<const void*>(this), sizeof to);
    for (int n = 0; n < OutputCount; ++n) to.channels[n].eqArray = to.bandStorage[n];
    to.currentBands = nullptr;
}

void DspConfig::Reset() {
    model = mainVersion = slaveVersion = -1;
    ResetKtvAndCompressors(*this);
    ResetOutputLayout(*this);
    ResetLevelsAndSwitches(*this);
    ResetRoutingAndMix(*this);
    ResetChannels(*this);
}

void DspConfig::SetOutputMode(bool six) {
    outputCount = six ? 6 : 8;
    Reset();
}

int32_t DspConfig::GetEqSize(int output) const {
    return output >= 0 && output < OutputCount ? channels[output].eqSize : 0;
}

EqBand* DspConfig::GetEqBands(int output) {
    return output >= 0 && output < OutputCount ? bandStorage[output] : nullptr;
}

const EqBand* DspConfig::GetEqBands(int output) const {
    return output >= 0 && output < OutputCount ? bandStorage[output] : nullptr;
}

bool DspConfig::IsOutputTypeUsed(OutputType type) const {
    return std::find(outputs, outputs + OutputCount, type) != outputs + OutputCount;
}

bool IsOutputTypeAllowed(int, OutputType) { return true; }

const int* DefaultEqFreqTable(int n) {
    if (n < 12) return kOctaveBands;
    if (n <= 21) return kHalfOctaveBands;
    return ThirdOctaveBands;
}

int DefaultEqFreqTableSize(int n) {
    if (n < 12) return 11;
    if (n <= 21) return 21;
    return 31;
}

void FillDefaultEqBands(EqBand* bands, int n) {
    const int* table = DefaultEqFreqTable(n);
    int tableSize = DefaultEqFreqTableSize(n);
    for (int i = 0; i < n; ++i) bands[i] = i < tableSize ? EqBand(0.0f, 5.8f, table[i], 1) : EqBand();
}

int GetSourceExtraChannels(InputSource source) {
    switch (source) {
    case 0:
    case 2:
    case 6:
        return 2;
    case SourceLowLevel:
    case SourceHighLevel:
        return 8;
    default:
        return 0;
    }
}
