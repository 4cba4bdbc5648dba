#include "model/OutputCurve.h"

#include <algorithm>
#include <optional>

#include "model/ResponseMath.h"
#include "model/SectionPowerSum.h"

namespace {

void SideDb(int kind, const CrossoverFilter& side, const CurveAxisTable& table, int n, double* outDb) {
    if (side.slope == 0) {
        std::fill(outDb, outDb + n, 0.0);
        return;
    }
    const int sectionsKind = kind == CrossoverKindLowPass ? SectionsLowPass : SectionsHighPass;
    CrossoverSideDb(sectionsKind, side.fs, side.slope, side.type, table, outDb);
}

}  // namespace

void OutputResponseDb(const ChannelConfig& channel, bool eqBypassed, const double* axis, int n, double* hpDb,
                      double* lpDb, double* sumDb) {
    if (n < 2) return;
    // Every curve is drawn on the same axis, so its trigonometry is normally computed once for the program.
    std::optional<CurveAxisTable> local;
    const CurveAxisTable& table = CurveAxisTable::For(axis, n, local);
    SideDb(CrossoverKindHighPass, channel.crossover.hp, table, n, hpDb);
    SideDb(CrossoverKindLowPass, channel.crossover.lp, table, n, lpDb);
    for (int i = 0; i < n; ++i) sumDb[i] = hpDb[i] + lpDb[i];
    if (!channel.eqArray || eqBypassed) return;  // every band would be drawn at 0 dB
    SectionPowerSum bands(table);
    const int count = std::clamp<int>(channel.eqSize, 0, BandSlotsPerOutput);
    for (int b = 0; b < count; ++b) {
        const EqBand& eq = channel.eqArray[b];
        double den[3], num[3];
        if (!eq.enable || eq.gain == 0.0f) continue;
        if (PeakingBandSection(CurveSampleRate, eq.freq, eq.gain, eq.factor, den, num)) bands.AddSection(num, den);
    }
    if (bands.Empty()) return;
    bands.AddDb(sumDb);
}
