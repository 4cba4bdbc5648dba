#pragma once
// The amplifier's whole tuning state as one fixed-size record, with its parts, defaults and tables.
#include <cstdint>

#include "model/Crossover.h"

// Delay units shared by every window that shows a delay.
constexpr float InchPerCm = 0.3937f;
constexpr float CmPerMs = 34.0f;
constexpr float MaxDelayMs = 15.0f;
constexpr float InchPerMs = InchPerCm * CmPerMs;
constexpr float MaxDelayCm = CmPerMs * MaxDelayMs;
constexpr float MaxDelayInch = InchPerMs * MaxDelayMs;

// Editing limits of a band or a crossover frequency and of a band's Q.
constexpr int MinFreq = 20;
constexpr int MaxFreq = 20000;
constexpr float MinQ = 0.5f;
constexpr float MaxQ = 9.0f;

inline constexpr int ThirdOctaveBands[31] = {20,   25,   31,   40,   50,   63,   80,    100,   125,   160,   200,
                                             250,  315,  400,  500,  630,  800,  1000,  1250,  1600,  2000,  2500,
                                             3150, 4000, 5000, 6300, 8000, 10000, 12500, 16000, 20000};

constexpr int OutputCount = 10;          // channels in every record
constexpr int SourceCount = 9;           // input sources
constexpr int InputChannelCount = 10;    // input channels per source in the mix arrays
constexpr int CurvePoints = 512;         // points of every drawn response curve
// Band slots per output: 21 for the parametric EQ, and room for the custom EQ's 20 bands that
// start at slot 11.
constexpr int BandSlotsPerOutput = 31;
constexpr int CustomEqBandCount = 20;

// Outputs 0..3 have 21 EQ bands, the others 11.
constexpr int BandCountOfOutput(int output) { return output < 4 ? 21 : 11; }

// Input source 0..8, in the order of the source combo: optical, coaxial, Bluetooth, AUX,
// low-level analogue, high-level analogue, DMP, UDP, SCP.
using InputSource = int32_t;
constexpr InputSource SourceLowLevel = 4;
constexpr InputSource SourceHighLevel = 5;

struct ChannelConfig {
    EqBand* eqArray = nullptr;  // this output's band slots inside the record (not owned)
    int32_t eqSize = 0;         // bands in use: 21 on outputs 0..3, 11 on 4..9
    float gain = 0.0f;          // trim in dB, 0.1 dB steps
    int32_t mute = 0;
    float delay = 0.0f;  // ms, 0..MaxDelayMs
    int32_t phase = 1;
    uint8_t bypass = 1;  // 1 = parametric EQ bypassed (curve drawn flat)
    uint8_t compressorOn = 0;
    Crossover crossover;

    ChannelConfig() = default;
    // A freshly configured output always starts with its EQ bypassed.
    ChannelConfig(EqBand* bands, int32_t size, const Crossover& xo, float gainDb, float delayMs, int32_t muteOn,
                  int32_t phaseOn, uint8_t compressor)
        : eqArray(bands), eqSize(size), gain(gainDb), mute(muteOn), delay(delayMs), phase(phaseOn), bypass(1),
          compressorOn(compressor), crossover(xo) {}
};

struct KtvSettings {
    int32_t howling = 0;
    int32_t micVolume = 0;
    int32_t musicVolume = 0;
    int32_t voiceChanger = 0;
    int32_t echoLevel = 0;
    int32_t echoDelay = 0;
    int32_t reverbLevel = 0;
    int32_t reverbTime = 0;
    int32_t bass = 0;
    int32_t treble = 0;
};

// One entry per output.
struct CompressorSettings {
    int32_t bypass[OutputCount] = {};
    float threshold[OutputCount] = {};
    float ratio[OutputCount] = {};
    int32_t attackTime[OutputCount] = {};
    int32_t releaseTime[OutputCount] = {};
    float softKnee[OutputCount] = {};
};

// Never copied whole: channels point into the record's own band storage.
struct DspConfig {
    int32_t model = -1;  // -1: no amplifier identified
    int32_t mainVersion = -1;
    int32_t slaveVersion = -1;
    int32_t flashVersion[4] = {};  // kept across a reset
    InputSource inputSource = 0;
    int32_t mainVolume = -5;
    int32_t acc = 0;
    int32_t subVolume = 0;
    int32_t scene = 0;  // scene number carried in every DSP command
    int32_t mainVolumeMute = 0;
    int32_t ampOn = 1;
    int32_t remOut1 = 1;
    int32_t remOut2 = 1;
    int32_t spkOhm = 1;
    int32_t noiseGate = 0;
    int32_t autoEffectOn = 0;
    int32_t outputCount = 10;  // kept across a reset
    int32_t reserved1 = 0;
    uint8_t reserved2 = 0;
    ChannelConfig channels[OutputCount];
    int32_t inputs[SourceCount][OutputCount] = {};  // routing bit mask per source and output, bit 0 = input 1
    int32_t inputMixVolume[SourceCount][InputChannelCount][OutputCount] = {};  // [source][input][output] 0..100
    int32_t inputMixState[SourceCount][InputChannelCount][OutputCount] = {};   // per-cell phase flag of the mixer
    int32_t inMixPhase[SourceCount][InputChannelCount] = {};                   // input phase
    int32_t mixerFlagsA[SourceCount][InputChannelCount] = {};  // input overload flags shown by the mixer
    int32_t mixerFlagsB[SourceCount][InputChannelCount] = {};  // output overload flags shown by the mixer
    // Second source mixed into an input slot (9 = none), its channel and its gain in dB.
    int32_t crossMixSource[SourceCount][InputChannelCount] = {};
    int32_t crossMixChannel[SourceCount][InputChannelCount] = {};
    int32_t crossMixGain[SourceCount][InputChannelCount] = {};
    OutputType outputs[OutputCount] = {};
    int32_t linkOutputs[OutputCount] = {};  // partner while linked, -1 none
    int32_t showOutChEqualizer[OutputCount] = {};
    int32_t currOutChannel = 0;
    int32_t linkMode = 0;
    int32_t lockMode = 0;
    uint8_t outputBridge[OutputCount / 2] = {};  // one flag per output pair 2k, 2k+1
    int32_t syncGroup[OutputCount] = {};          // same non-zero value = edited together; kept across a reset
    int32_t noiseGateThreshold = -60;
    int32_t powerOffDelay = 0;
    KtvSettings ktv;
    CompressorSettings compressor;
    // Curve caches filled by the tuning controller: both crossover sides of the last computed output,
    // then per output its frequency axis (eqCurves) and its summed response (sumCurves).
    double hpCurve[CurvePoints] = {};
    double lpCurve[CurvePoints] = {};
    double eqCurves[OutputCount][CurvePoints] = {};
    double sumCurves[OutputCount][CurvePoints] = {};
    int32_t bandCounts[16] = {};
    EqBand* currentBands = nullptr;  // custom-band reference, set by the custom EQ window
    EqBand bandStorage[OutputCount][BandSlotsPerOutput];
    EqBand customEqBands[CustomEqBandCount];
    int32_t customEqFreqs[CustomEqBandCount] = {};
    int32_t customEqGains[CustomEqBandCount] = {};

    DspConfig();
    DspConfig(const DspConfig&) = delete;
    DspConfig& operator=(const DspConfig&) = delete;

    void Reset();
    // Only 6 (true) or 8 (false) outputs; nothing in the application switches modes.
    void SetOutputMode(bool six);

    int32_t GetEqSize(int output) const;  // 0 for an output outside 0..9
    EqBand* GetEqBands(int output);       // null for an output outside 0..9
    const EqBand* GetEqBands(int output) const;
    bool IsOutputTypeUsed(OutputType type) const;

    // The whole record into another: plain data but for the channels' pointers into their own band
    // storage, which point into the copy's; the custom-band reference is not taken.
    void CopyTo(DspConfig& to) const;

    // Channel copy and link rules (ChannelRules.cpp).
    bool HasPairInSameBank() const;
    void CopyMixConfig(int from, int to);
    void CopyOutConfig(int from, int to);
};

bool IsOutputTypeAllowed(int output, OutputType type);

// Default band frequencies for a band count: octave (n < 12), half-octave (12..21), third-octave.
const int* DefaultEqFreqTable(int n);
int DefaultEqFreqTableSize(int n);
// Bands past the chosen table keep the default band.
void FillDefaultEqBands(EqBand* bands, int n);

// Input channels of a source beyond the first two.
int GetSourceExtraChannels(InputSource source);
