#include "model/ChannelRules.h"

#include <algorithm>

#include "base/Log.h"

namespace {

// The mix copy covers the first eight sources and input channels, as the mixer shows them.
constexpr int kCopiedSources = 8;
constexpr int kCopiedInputs = 8;

int BankOf(int output) { return output < 6 ? 0 : 1; }

bool IsOutputIndex(int n) { return n >= 0 && n < OutputCount; }

}  // namespace

OutputType GetPairedOutputType(OutputType type) {
    if (type >= 1 && type <= 6) return type + 6;
    if (type >= 7 && type <= 12) return type - 6;
    if (type >= 13 && type <= 15) return type + 3;
    if (type >= 16 && type <= 18) return type - 3;
    if (type == 22) return 23;
    if (type == 23) return 22;
    return -1;
}

bool IsSameOutputGroup(int a, int b) { return (a < 4) == (b < 4); }

bool ContainsInt(int value, const int* values, int n) {
    return n >= 1 && std::find(values, values + n, value) != values + n;
}

bool DspConfig::HasPairInSameBank() const {
    for (int i = 0; i < OutputCount; ++i) {
        OutputType partner = GetPairedOutputType(outputs[i]);
        if (partner < 0) continue;
        for (int j = 0; j < OutputCount; ++j) {
            if (j == i || outputs[j] != partner) continue;
            if (BankOf(i) == BankOf(j)) return true;
            break;  // only the first output holding the partner counts
        }
    }
    return false;
}

void DspConfig::CopyMixConfig(int from, int to) {
    LogPrintW(L"copy mix config from %d to %d\n", from, to);
    if (!IsOutputIndex(from) || !IsOutputIndex(to)) return;
    for (int s = 0; s < kCopiedSources; ++s) {
        inputs[s][to] = inputs[s][from];
        for (int i = 0; i < kCopiedInputs; ++i) {
            inputMixVolume[s][i][to] = inputMixVolume[s][i][from];
            inputMixState[s][i][to] = inputMixState[s][i][from];
        }
    }
}

void DspConfig::CopyOutConfig(int from, int to) {
    LogPrintW(L"copy out config from %d to %d\n", from, to);
    if (!IsOutputIndex(from) || !IsOutputIndex(to)) return;
    ChannelConfig& target = channels[to];
    const ChannelConfig& source = channels[from];
    int bands = std::clamp<int>(target.eqSize, 0, BandSlotsPerOutput);
    std::copy(bandStorage[from], bandStorage[from] + bands, bandStorage[to]);
    // Through the setters, so their limits apply and each side's bypass follows its slope.
    Crossover& xo = target.crossover;
    xo.SetHpType(source.crossover.GetHpType());
    xo.SetLpType(source.crossover.GetLpType());
    xo.SetHpFreq(source.crossover.GetHpFreq());
    xo.SetLpFreq(source.crossover.GetLpFreq());
    xo.SetHpSlope(source.crossover.GetHpSlope());
    xo.SetLpSlope(source.crossover.GetLpSlope());
    target.bypass = source.bypass;
}
