#include "model/Crossover.h"

#include <algorithm>

namespace {

struct CrossoverPreset {
    int32_t hpFs, hpSlope, lpFs, lpSlope, type;
};

constexpr CrossoverPreset kFullRange{20, 0, 20000, 0, FilterBessel};
constexpr CrossoverPreset kHigh{3400, 2, 20000, 0, FilterBessel};
constexpr CrossoverPreset kMid{600, 2, 1900, 2, FilterBessel};
constexpr CrossoverPreset kLow{70, 3, 320, 2, FilterBessel};
constexpr CrossoverPreset kMidHigh{600, 2, 20000, 0, FilterBessel};
constexpr CrossoverPreset kMidLow{70, 2, 1900, 2, FilterBessel};
constexpr CrossoverPreset kSubwoofer{30, 4, 50, 2, FilterButterworth};

// Indexed by OutputType.
constexpr CrossoverPreset kPresets[OutputTypeCount] = {
    kFullRange,                                             // 0 empty
    kHigh,      kMid, kLow, kMidHigh, kMidLow, kFullRange,  // 1..6 front left
    kHigh,      kMid, kLow, kMidHigh, kMidLow, kFullRange,  // 7..12 front right
    kHigh,      kLow, kFullRange,                           // 13..15 rear left
    kHigh,      kLow, kFullRange,                           // 16..18 rear right
    kHigh,      kLow, kFullRange,                           // 19..21 centre
    kSubwoofer, kSubwoofer, kSubwoofer,                     // 22..24 subwoofers
};

// A value above the range used to become 20, which silences a low-pass; the nearest bound is kept.
int32_t ClampFreq(int32_t freq) { return std::clamp<int32_t>(freq, 20, 20000); }

int32_t CheckedType(int32_t type) { return type >= FilterButterworth && type <= FilterBessel ? type : 1; }

// Above the highest order the profile reader would refuse the whole file.
int32_t ClampSlope(int32_t slope) { return std::clamp<int32_t>(slope, 0, MaxFilterOrder); }

}  // namespace

Crossover::Crossover(int32_t hpFs, int32_t hpType, int32_t hpSlope, int32_t lpFs, int32_t lpType, int32_t lpSlope)
    : bpType((hpSlope != 0 ? 1 : 0) | (lpSlope != 0 ? 2 : 0)), hp(hpFs, hpType, hpSlope), lp(lpFs, lpType, lpSlope) {}

Crossover Crossover::FromOutputType(OutputType type) {
    const CrossoverPreset& p = kPresets[type >= 0 && type < OutputTypeCount ? type : 0];
    return Crossover(p.hpFs, p.type, p.hpSlope, p.lpFs, p.type, p.lpSlope);
}

void Crossover::SetHpFreq(int32_t freq) { hp.fs = ClampFreq(freq); }
void Crossover::SetLpFreq(int32_t freq) { lp.fs = ClampFreq(freq); }
void Crossover::SetHpType(int32_t type) { hp.type = CheckedType(type); }
void Crossover::SetLpType(int32_t type) { lp.type = CheckedType(type); }

void Crossover::SetHpSlope(int32_t slope) {
    hp.slope = ClampSlope(slope);
    hp.bypass = hp.slope == 0;
}

void Crossover::SetLpSlope(int32_t slope) {
    lp.slope = ClampSlope(slope);
    lp.bypass = lp.slope == 0;
}
