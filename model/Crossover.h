#pragma once
// EQ band, crossover filter and crossover: the small value types of each output channel.
#include <cstdint>

// Speaker position of an output, 0..24: 0 empty; 1..6 front left high, mid, low, mid-high, mid-low,
// full range; 7..12 front right in the same order; 13..15 rear left high, low, full range; 16..18 rear
// right; 19..21 centre high, low, full range; 22 subwoofer left, 23 subwoofer right, 24 subwoofer low.
using OutputType = int32_t;
constexpr int OutputTypeCount = 25;

// Filter families of a crossover side.
constexpr int32_t FilterButterworth = 1;
constexpr int32_t FilterLinkwitzRiley = 2;
constexpr int32_t FilterBessel = 3;

// Highest filter order of a crossover side; 0 switches the side off. The profile reader takes the same range.
constexpr int32_t MaxFilterOrder = 8;

// Field order and layout are shared with the curve control's band table.
struct EqBand {
    float gain = 0.0f;    // dB
    float factor = 5.8f;  // Q
    int32_t freq = 12500;  // Hz
    uint8_t enable = 1;

    EqBand() = default;
    EqBand(float gainDb, float q, int32_t freqHz, uint8_t on) : gain(gainDb), factor(q), freq(freqHz), enable(on) {}

    // What the amplifier plays: a switched-off band goes out flat and keeps its gain for switching on.
    float SentGain() const { return enable ? gain : 0.0f; }
    // A gain read back from the amplifier, which knows no switch: the band is on at that gain. Only a read
    // of the record this band was switched off in (keepSwitchedOff) takes 0 dB as the band still off,
    // playing flat, with its gain kept.
    void TakeReadBackGain(float gainDb, bool keepSwitchedOff) {
        if (keepSwitchedOff && !enable && gainDb > -0.001f && gainDb < 0.001f) return;
        gain = gainDb;
        enable = 1;
    }
};

struct CrossoverFilter {
    int32_t fs = 20;    // corner frequency, Hz
    int32_t type = FilterButterworth;
    int32_t slope = 0;  // order 0..MaxFilterOrder, 0 = side off
    int32_t bypass = 1;  // follows (slope == 0)

    CrossoverFilter() = default;
    CrossoverFilter(int32_t freq, int32_t filterType, int32_t order)
        : fs(freq), type(filterType), slope(order), bypass(order == 0) {}
};

struct Crossover {
    int32_t bpType = 0;  // bit 0 high-pass on, bit 1 low-pass on; only the value constructor computes it
    CrossoverFilter hp{20, FilterButterworth, 0};
    CrossoverFilter lp{20000, FilterButterworth, 0};

    Crossover() = default;
    // Stores the values as given, without clamping.
    Crossover(int32_t hpFs, int32_t hpType, int32_t hpSlope, int32_t lpFs, int32_t lpType, int32_t lpSlope);

    static Crossover FromOutputType(OutputType type);

    int32_t GetHpFreq() const { return hp.fs; }
    int32_t GetHpType() const { return hp.type; }
    int32_t GetHpSlope() const { return hp.slope; }
    int32_t GetHpBypass() const { return hp.bypass; }
    int32_t GetLpFreq() const { return lp.fs; }
    int32_t GetLpType() const { return lp.type; }
    int32_t GetLpSlope() const { return lp.slope; }
    int32_t GetLpBypass() const { return lp.bypass; }

    // Frequencies are held to 20..20000 Hz (nearest bound), types to 1..3 (else 1), slopes to
    // 0..MaxFilterOrder (nearest bound): every value kept is one a profile file can carry back.
    void SetHpFreq(int32_t freq);
    void SetLpFreq(int32_t freq);
    void SetHpType(int32_t type);
    void SetLpType(int32_t type);
    void SetHpSlope(int32_t slope);
    void SetLpSlope(int32_t slope);
    void SetHpBypass(int32_t bypass) { hp.bypass = bypass; }
    void SetLpBypass(int32_t bypass) { lp.bypass = bypass; }
};
