#include "model/OutputCurve.h"

#include <algorithm>
#include <vector>

#include "model/ResponseMath.h"

namespace {

void SideDb(int kind, const CrossoverFilter& side, const double* axis, int n, double* outDb) {
    if (side.slope == 0)
        std::fill(outDb, outDb + n, 0.0);
    else
        CrossoverResponseDb(kind, CurveSampleRate, side.fs, side.slope, side.type, n, axis, outDb);
}

}  // namespace

void OutputResponseDb(const ChannelConfig& channel, bool eqBypassed, const double* axis, int n, double* hpDb,
                      double* lpDb, double* sumDb) {
    if (n < 2) return;
    SideDb(CrossoverKindHighPass, channel.crossover.hp, axis, n, hpDb);
    SideDb(CrossoverKindLowPass, channel.crossover.lp, axis, n, lpDb);
    for (int i = 0; i < n; ++i) sumDb[i] = hpDb[i] + lpDb[i];
    if (!channel.eqArray || eqBypassed) return;  // every band would be drawn at 0 dB
    std::vector<double> band(n);
    int bands = std::clamp<int>(channel.eqSize, 0, BandSlotsPerOutput);
    for (int b = 0; b < bands; ++b) {
        const EqBand& eq = channel.eqArray[b];
        if (!eq.enable || eq.gain == 0.0f) continue;
        PeakingEqCurve(CurveSampleRate, eq.freq, eq.gain, eq.factor, axis, band.data(), n);
        for (int i = 0; i < n; ++i) sumDb[i] += band[i];
    }
}
