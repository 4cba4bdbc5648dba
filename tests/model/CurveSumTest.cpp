// The outputs' drawn curves against a reference computed here on its own: each section's transfer
// function evaluated in long double complex arithmetic at every point, floored and summed in dB one
// section at a time. The sections come from the crossover design tables and the peaking band design.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include "model/DspConfig.h"
#include "model/OutputCurve.h"
#include "model/ResponseMath.h"

namespace {

using Cx = std::complex<long double>;
constexpr int N = CurvePoints;
constexpr double kTolerance = 1e-6;  // dB

struct Biquad {
    long double b[3];
    long double a[3];
};

std::vector<double> StandardAxis() {
    std::vector<double> axis(N);
    for (int j = 0; j + 1 < N; ++j) axis[j] = std::pow(10.0, (j + 1) * std::log10(24000.0) / (N - 1));
    axis[N - 1] = 48000.0;
    return axis;
}

// The curve in dB; NaN where a section lies so close to the -80 dB floor that the rounding of either
// computation may put it on the other side.
std::vector<double> ReferenceDb(const std::vector<Biquad>& sections, const std::vector<double>& axis) {
    const long double pi = std::acos(-1.0L);
    const int n = static_cast<int>(axis.size());
    std::vector<double> out(n);
    for (int i = 0; i < n; ++i) {
        const Cx z1 = std::polar(1.0L, -pi * axis[i] / axis[n - 2]);  // z^-1 on the unit circle
        long double db = 0.0L;
        for (const Biquad& s : sections) {
            const Cx h = (s.b[0] + s.b[1] * z1 + s.b[2] * z1 * z1) / (1.0L + s.a[1] * z1 + s.a[2] * z1 * z1);
            const long double power = std::norm(h);
            if (std::fabs(power / 1e-8L - 1.0L) < 1e-9L) db = NAN;
            db += power > 1e-8L ? 10.0L * std::log10(power) : -400.0L;
        }
        out[i] = static_cast<double>(db);
    }
    return out;
}

// The sections of one side straight from the design: first-order 1 + alpha z^-1 over its gain pair,
// second-order 1 - (1 + alpha) cos w z^-1 + alpha z^-2 over g (1, -+2, 1).
std::vector<Biquad> SideSections(bool highPass, const CrossoverFilter& side) {
    std::vector<Biquad> out;
    if (side.slope == 0) return out;
    CrossoverSections design;
    FilterSectionsDesign(highPass ? SectionsHighPass : SectionsLowPass, 0, side.fs, side.slope, side.type, design);
    for (int k = 0; k < 4; ++k) {
        const long double alpha = design.alpha[k], c = design.cosw[k];
        if (design.kind[k] == 0.0) {
            const long double g = highPass ? (1 - alpha) / 2 : (1 + alpha) / 2;
            out.push_back({{g, highPass ? -g : g, 0}, {1, alpha, 0}});
        } else if (design.kind[k] == 1.0) {
            const long double g = (1 + alpha) * (highPass ? 1 + c : 1 - c) / 4;
            out.push_back({{g, highPass ? -2 * g : 2 * g, g}, {1, -(1 + alpha) * c, alpha}});
        }
    }
    return out;
}

std::vector<Biquad> BandSections(const ChannelConfig& ch, bool bypassed) {
    std::vector<Biquad> out;
    if (bypassed) return out;
    for (int b = 0; b < ch.eqSize; ++b) {
        const EqBand& eq = ch.eqArray[b];
        if (!eq.enable || eq.gain == 0.0f) continue;
        double den[3], num[3];
        PeakingBiquad(CurveSampleRate, eq.freq, eq.gain, eq.factor, den, num);
        out.push_back({{num[0], num[1], num[2]}, {den[0], den[1], den[2]}});
    }
    return out;
}

void ExpectCurve(const std::vector<double>& expected, const double* actual, const char* what, int output) {
    int skipped = 0;
    for (size_t i = 0; i < expected.size(); ++i) {
        if (std::isnan(expected[i])) {
            ++skipped;
            continue;
        }
        ASSERT_NEAR(expected[i], actual[i], kTolerance) << what << " of output " << output << ", point " << i;
    }
    EXPECT_LT(skipped, 4) << what << " of output " << output;
}

// Checks every output of the configuration: each side alone and the sum with the bands.
void ExpectOutputsMatch(const DspConfig& config, const std::vector<double>& axis) {
    const int n = static_cast<int>(axis.size());
    std::vector<double> hp(n), lp(n), sum(n);
    for (int o = 0; o < OutputCount; ++o) {
        const ChannelConfig& ch = config.channels[o];
        const bool bypassed = ch.bypass == 1;
        OutputResponseDb(ch, bypassed, axis.data(), n, hp.data(), lp.data(), sum.data());
        const std::vector<Biquad> hpSections = SideSections(true, ch.crossover.hp);
        const std::vector<Biquad> lpSections = SideSections(false, ch.crossover.lp);
        std::vector<Biquad> all = hpSections;
        all.insert(all.end(), lpSections.begin(), lpSections.end());
        const std::vector<Biquad> bands = BandSections(ch, bypassed);
        all.insert(all.end(), bands.begin(), bands.end());
        ExpectCurve(ReferenceDb(hpSections, axis), hp.data(), "high-pass", o);
        ExpectCurve(ReferenceDb(lpSections, axis), lp.data(), "low-pass", o);
        ExpectCurve(ReferenceDb(all, axis), sum.data(), "sum", o);
    }
}

// Deterministic values for the many configurations.
struct Random {
    std::mt19937 engine;
    double Uniform(double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(engine); }
    int Int(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(engine); }
};

// Every filter family and order (including the ones the design rounds or clamps), corners from below
// the audible range to above the design's limit, and bands of every gain, width and place. (A family
// number above 3 designs undamped sections, poles on the unit circle, whose peaks no double
// computation can pin down; the program never stores one.)
void FillRandom(DspConfig& config, Random& rng, double maxGain) {
    const double corners[] = {3.0, 20.0, 80.0, 250.0, 1000.0, 5000.0, 16000.0, 23000.0, 30000.0};
    for (int o = 0; o < OutputCount; ++o) {
        ChannelConfig& ch = config.channels[o];
        ch.bypass = rng.Int(0, 5) == 0 ? 1 : 0;
        for (CrossoverFilter* side : {&ch.crossover.hp, &ch.crossover.lp}) {
            side->type = rng.Int(0, 3);
            side->slope = rng.Int(0, 9);
            side->fs = static_cast<int32_t>(corners[rng.Int(0, 8)] * rng.Uniform(0.8, 1.25));
        }
        for (int b = 0; b < ch.eqSize; ++b) {
            EqBand& eq = ch.eqArray[b];
            eq.enable = rng.Int(0, 7) != 0;
            eq.gain = static_cast<float>(rng.Int(0, 6) == 0 ? 0.0 : rng.Uniform(-maxGain, maxGain));
            eq.factor = static_cast<float>(rng.Uniform(0.3, 20.0));
            eq.freq = static_cast<int32_t>(std::pow(10.0, rng.Uniform(1.0, 4.35)));
        }
    }
}

}  // namespace

TEST(CurveSums, EveryOutputMatchesTheSectionBySectionReference) {
    const std::vector<double> axis = StandardAxis();
    Random rng{std::mt19937(20240611u)};
    for (int round = 0; round < 6; ++round) {
        SCOPED_TRACE(round);
        auto config = std::make_unique<DspConfig>();
        FillRandom(*config, rng, 18.0);
        ExpectOutputsMatch(*config, axis);
    }
    auto reset = std::make_unique<DspConfig>();  // the configuration a new amplifier has
    ExpectOutputsMatch(*reset, axis);
}

// Bands far beyond any real gain: floored cuts, and boosts whose powers multiplied would overflow a
// double. The sum must still be the sides plus each band's own curve.
TEST(CurveSums, ExtremeBandsSumLikeTheirSingleCurves) {
    const std::vector<double> axis = StandardAxis();
    Random rng{std::mt19937(99u)};
    for (double gain : {150.0, -150.0, 0.0}) {
        auto config = std::make_unique<DspConfig>();
        FillRandom(*config, rng, 150.0);
        ChannelConfig& ch = config->channels[0];
        ch.bypass = 0;
        for (int b = 0; b < ch.eqSize; ++b) {
            EqBand& eq = ch.eqArray[b];
            eq.enable = 1;
            if (gain == 0.0) continue;  // the random bands as they came
            // All around 1 kHz, so that near it every band's power counts: 21 boosts of 150 dB multiply
            // to 10^315.
            eq = EqBand(static_cast<float>(gain), 0.7f, 1000 + 37 * b, 1);
        }
        std::vector<double> hp(N), lp(N), sum(N), band(N), expected(N);
        OutputResponseDb(ch, false, axis.data(), N, hp.data(), lp.data(), sum.data());
        for (int i = 0; i < N; ++i) expected[i] = hp[i] + lp[i];
        for (int b = 0; b < ch.eqSize; ++b) {
            const EqBand& eq = ch.eqArray[b];
            PeakingEqCurve(CurveSampleRate, eq.freq, eq.gain, eq.factor, axis.data(), band.data(), N);
            for (int i = 0; i < N; ++i) expected[i] += band[i];
        }
        for (int i = 0; i < N; ++i)
            ASSERT_NEAR(expected[i], sum[i], 1e-9 * (1.0 + std::fabs(expected[i]))) << "gain " << gain << ", point " << i;
    }
}

TEST(CurveSums, AnyOtherAxisIsComputedForItself) {
    auto config = std::make_unique<DspConfig>();
    Random rng{std::mt19937(7u)};
    FillRandom(*config, rng, 12.0);
    // The program's axis with one point moved, a short axis and a linear one: none may borrow the
    // program's precomputed angles (the single curves take the same path).
    std::vector<double> moved = StandardAxis();
    moved[300] *= 1.5;
    std::vector<double> shortAxis(40), linear(200);
    for (int i = 0; i < 40; ++i) shortAxis[i] = 30.0 * (i + 1);
    for (int i = 0; i < 200; ++i) linear[i] = 120.0 * (i + 1);
    for (const std::vector<double>* axis : {&moved, &shortAxis, &linear}) ExpectOutputsMatch(*config, *axis);
}
