// Time to compute the drawn response of all ten outputs (every band active, both crossover sides on),
// which the tuning controller does after reading the amplifier or loading a profile.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "model/DspConfig.h"
#include "model/OutputCurve.h"
#include "model/ResponseMath.h"

namespace {

// The worst case: no band flat, no side off.
void MakeEveryBandCount(DspConfig& config) {
    for (int n = 0; n < OutputCount; ++n) {
        ChannelConfig& ch = config.channels[n];
        ch.bypass = 0;
        for (int k = 0; k < ch.eqSize; ++k) ch.eqArray[k].gain = (k % 2 ? 3.0f : -2.5f);
        ch.crossover = Crossover(40 + n, 1 + n % 3, 4, 12000 - 100 * n, 1 + (n + 1) % 3, 6);
    }
}

double ComputeAll(DspConfig& config, const double* axis) {
    for (int n = 0; n < OutputCount; ++n)
        OutputResponseDb(config.channels[n], config.channels[n].bypass == 1, axis, CurvePoints, config.hpCurve,
                         config.lpCurve, config.sumCurves[n]);
    return config.sumCurves[9][300];
}

}  // namespace

int main() {
    auto config = std::make_unique<DspConfig>();
    MakeEveryBandCount(*config);
    std::vector<double> axis(CurvePoints);
    MakeLogFreqAxis(CurveSampleRate, CurvePoints, axis.data());

    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    double sink = ComputeAll(*config, axis.data());  // warm-up
    // Rounds of passes, and their median: a busy machine slows a round now and then, not the code.
    const int rounds = 21, passes = 20;
    std::vector<double> perPass;
    for (int r = 0; r < rounds; ++r) {
        QueryPerformanceCounter(&start);
        for (int i = 0; i < passes; ++i) sink += ComputeAll(*config, axis.data());
        QueryPerformanceCounter(&end);
        perPass.push_back(double(end.QuadPart - start.QuadPart) * 1000.0 / double(frequency.QuadPart) / passes);
    }
    std::sort(perPass.begin(), perPass.end());
    int bands = 0;
    for (const ChannelConfig& ch : config->channels) bands += ch.eqSize;
    std::printf("all 10 outputs, %d bands and 20 crossover sides, %d points each: median %.3f ms per pass, best "
                "%.3f ms (%d rounds of %d passes, check %.3f)\n",
                bands, CurvePoints, perPass[rounds / 2], perPass.front(), rounds, passes,
                sink / (rounds * passes + 1));
    return 0;
}
