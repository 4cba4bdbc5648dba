// The curves are checked against magnitudes computed here by other routes: the closed forms of
// bilinear-transformed analogue sections, Bessel poles found from the Bessel polynomial itself, and
// reference values computed outside this program.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <memory>
#include <vector>

#include "model/DspConfig.h"
#include "model/OutputCurve.h"
#include "model/ResponseMath.h"

namespace {

using Cx = std::complex<double>;
const double kPi = std::acos(-1.0);
constexpr int N = CurvePoints;

std::vector<double> Axis() {
    std::vector<double> axis(N);
    for (int j = 0; j + 1 < N; ++j) axis[j] = std::pow(10.0, (j + 1) * std::log10(24000.0) / (N - 1));
    axis[N - 1] = 48000.0;
    return axis;
}

// One analogue section, pre-warped to digital frequency w: damping < 0 marks a first-order section.
struct Section {
    double damping;
    double w;
};

double SectionPowerDb(const Section& s, bool highPass, double omega) {
    double r = std::tan(omega / 2.0) / std::tan(s.w / 2.0);
    if (highPass) r = 1.0 / r;
    double power = s.damping < 0 ? 1.0 / (1.0 + r * r) : 1.0 / ((1 - r * r) * (1 - r * r) + s.damping * s.damping * r * r);
    return power > 1e-8 ? 10.0 * std::log10(power) : -400.0;  // each section is floored on its own
}

std::vector<double> ReferenceDb(const std::vector<Section>& sections, bool highPass, const std::vector<double>& axis) {
    std::vector<double> db(axis.size(), 0.0);
    for (size_t i = 0; i < axis.size(); ++i) {
        double omega = kPi * axis[i] / axis[N - 2];
        for (const Section& s : sections) db[i] += SectionPowerDb(s, highPass, omega);
    }
    return db;
}

std::vector<Section> Butterworth(int order, double w) {
    std::vector<Section> s;
    for (int k = 0; k < order / 2; ++k) s.push_back({2.0 * std::sin((2 * k + 1) * kPi / (2.0 * order)), w});
    if (order % 2) s.push_back({-1.0, w});
    return s;
}

// A Butterworth of half the order, twice; its two first-order sections make one with damping 2.
std::vector<Section> LinkwitzRiley(int order, double w) {
    std::vector<Section> half = Butterworth(order / 2, w), s;
    for (const Section& section : half) {
        if (section.damping < 0) {
            s.push_back({2.0, w});
        } else {
            s.push_back(section);
            s.push_back(section);
        }
    }
    return s;
}

// Reverse Bessel polynomial theta_n: coefficient k is (2n-k)! / (2^(n-k) k! (n-k)!).
std::vector<double> BesselPolynomial(int n) {
    std::vector<double> a(n + 1);
    for (int k = 0; k <= n; ++k)
        a[k] = std::tgamma(2 * n - k + 1.0) / (std::pow(2.0, n - k) * std::tgamma(k + 1.0) * std::tgamma(n - k + 1.0));
    return a;
}

Cx Evaluate(const std::vector<double>& a, Cx s) {
    Cx v = 0;
    for (int k = int(a.size()) - 1; k >= 0; --k) v = v * s + a[k];
    return v;
}

std::vector<Cx> Roots(const std::vector<double>& a) {  // Durand-Kerner
    int n = int(a.size()) - 1;
    std::vector<Cx> z(n);
    for (int k = 0; k < n; ++k) z[k] = std::pow(Cx(0.4, 0.9), k);
    for (int it = 0; it < 500; ++it) {
        for (int k = 0; k < n; ++k) {
            Cx d = a[n];
            for (int m = 0; m < n; ++m)
                if (m != k) d *= z[k] - z[m];
            z[k] -= Evaluate(a, z[k]) / d;
        }
    }
    return z;
}

// Frequency at which theta_n(jx) has turned by n * 45 degrees, the phase a Butterworth has at its corner.
double BesselCornerScale(const std::vector<double>& a) {
    int n = int(a.size()) - 1;
    double target = n * kPi / 4.0, x = 0.0, phase = 0.0, step = 1e-4;
    while (true) {
        Cx prev = Evaluate(a, Cx(0, x)), next = Evaluate(a, Cx(0, x + step));
        double turn = std::arg(next / prev);
        if (phase + turn >= target) {
            double lo = x, hi = x + step;
            for (int i = 0; i < 60; ++i) {
                double mid = (lo + hi) / 2;
                (phase + std::arg(Evaluate(a, Cx(0, mid)) / prev) < target ? lo : hi) = mid;
            }
            return lo;
        }
        phase += turn;
        x += step;
    }
}

std::vector<Section> Bessel(int order, double w0, bool highPass) {
    std::vector<double> a = BesselPolynomial(order);
    double corner = BesselCornerScale(a);
    std::vector<Section> s;
    for (Cx p : Roots(a)) {
        if (p.imag() < -1e-9) continue;  // one of each conjugate pair
        double magnitude = std::abs(p) / corner;
        double w = highPass ? w0 / magnitude : w0 * magnitude;
        s.push_back({std::fabs(p.imag()) < 1e-9 ? -1.0 : -2.0 * p.real() / std::abs(p), w});
    }
    return s;
}

std::vector<double> Side(int kind, double fc, int order, int type, const std::vector<double>& axis) {
    std::vector<double> db(N);
    CrossoverResponseDb(kind, CurveSampleRate, fc, order, type, N, axis.data(), db.data());
    return db;
}

void ExpectCurve(const std::vector<double>& expected, const std::vector<double>& actual, double tolerance) {
    for (int i = 0; i < N; ++i) ASSERT_NEAR(expected[i], actual[i], tolerance) << "point " << i;
}

// The peaking band in its textbook shape: alpha = (cos w1 - cos w0) / sin w1 with w1 the lower band
// edge; a boost puts the gain in the numerator, a cut the same in the denominator.
double PeakReferenceDb(double f0, double g, double q, double f, double fref) {
    double w0 = 2 * kPi * f0 / 48000.0, a = std::pow(10.0, g / 20.0);
    double w1 = w0 * (std::sqrt(4 * q * q + 1) - 1) / (2 * q);
    double alpha = (std::cos(w1) - std::cos(w0)) / std::sin(w1);
    double an = a >= 1 ? a * alpha : alpha, ad = a >= 1 ? alpha : alpha / a;
    Cx z1 = std::polar(1.0, -kPi * f / fref);
    Cx h = (1 + an - 2 * std::cos(w0) * z1 + (1 - an) * z1 * z1) / (1 + ad - 2 * std::cos(w0) * z1 + (1 - ad) * z1 * z1);
    return 10 * std::log10(std::norm(h));
}

const int kRefPoints[] = {0, 151, 221, 314, 349, 384, 466, 510};

}  // namespace

TEST(ResponseAxis, IsLogarithmicUpToNyquistThenTheSampleRate) {
    std::vector<double> axis(N), expected = Axis();
    MakeLogFreqAxis(48000.0, N, axis.data());
    for (int i = 0; i < N; ++i) EXPECT_NEAR(expected[i], axis[i], expected[i] * 1e-12) << i;
    EXPECT_NEAR(1.0199, axis[0], 1e-4);
    EXPECT_NEAR(24000.0, axis[510], 1e-8);
    EXPECT_EQ(48000.0, axis[511]);
}

TEST(PeakingBand, MatchesTheTextbookShapeAndReferenceValues) {
    std::vector<double> axis = Axis(), db(N);
    struct Band {
        double f0, g, q;
    } bands[] = {{1000, 6, 1.4}, {630, -4.5, 2}, {100, 12, 5.8}, {10000, -6, 1.4}, {20, 3, 0.5}};
    for (const Band& b : bands) {
        PeakingEqCurve(48000.0, b.f0, b.g, b.q, axis.data(), db.data(), N);
        for (int i = 0; i < N; ++i)
            ASSERT_NEAR(PeakReferenceDb(b.f0, b.g, b.q, axis[i], axis[N - 2]), db[i], 1e-9) << b.f0 << " point " << i;
    }
    PeakingEqCurve(48000.0, 1000, 6, 1.4, axis.data(), db.data(), N);
    const double reference[] = {0.000007, 0.002670, 0.042503, 1.918318, 5.999997, 1.902048, 0.047732, 0.0};
    for (int k = 0; k < 8; ++k) EXPECT_NEAR(reference[k], db[kRefPoints[k]], 1e-6) << kRefPoints[k];
    EXPECT_EQ(Axis(), axis);  // the axis is left as it was

    double exact[] = {1000.0, 24000.0, 48000.0};
    double at[3];
    PeakingEqCurve(48000.0, 1000, 6, 1.4, exact, at, 3);
    EXPECT_NEAR(6.0, at[0], 1e-9);
}

TEST(PeakingBand, MirrorsFlatAndDegenerateBands) {
    std::vector<double> axis = Axis(), up(N), down(N), flat(N);
    PeakingEqCurve(48000.0, 630, 6, (double)5.8f, axis.data(), up.data(), N);
    PeakingEqCurve(48000.0, 630, -6, (double)5.8f, axis.data(), down.data(), N);
    for (int i = 0; i < N; ++i) ASSERT_NEAR(0.0, up[i] + down[i], 1e-9) << i;
    PeakingEqCurve(48000.0, 630, 0, 2, axis.data(), flat.data(), N);
    for (int i = 0; i < N; ++i) ASSERT_EQ(0.0, flat[i]);
    // Values a device reply may carry must not put NaN into the drawing: such a band is drawn flat.
    struct Band {
        double f0, g, q;
    } bad[] = {{1000, 6, 0}, {1000, 6, -1}, {0, 6, 1}, {24000, 6, 1}, {30000, 6, 1}, {1000, NAN, 1}, {1000, INFINITY, 1}};
    for (const Band& b : bad) {
        PeakingEqCurve(48000.0, b.f0, b.g, b.q, axis.data(), flat.data(), N);
        for (int i = 0; i < N; ++i) ASSERT_EQ(0.0, flat[i]) << b.f0 << " " << b.g << " " << b.q;
    }
}

TEST(CrossoverSides, ButterworthAndLinkwitzRileyMatchTheirAnalogueSections) {
    std::vector<double> axis = Axis();
    for (double fc : {80.0, 1000.0, 5000.0}) {
        double w0 = 2 * kPi * fc / 48000.0;
        for (int order = 1; order <= 8; ++order) {
            for (bool hp : {true, false}) {
                SCOPED_TRACE(testing::Message() << "fc " << fc << " order " << order << (hp ? " hp" : " lp"));
                int kind = hp ? CrossoverKindHighPass : CrossoverKindLowPass;
                ExpectCurve(ReferenceDb(Butterworth(order, w0), hp, axis), Side(kind, fc, order, FilterButterworth, axis), 1e-6);
                if (order % 2) continue;
                ExpectCurve(ReferenceDb(LinkwitzRiley(order, w0), hp, axis), Side(kind, fc, order, FilterLinkwitzRiley, axis), 1e-6);
            }
        }
    }
}

TEST(CrossoverSides, BesselMatchesPolesOfTheBesselPolynomial) {
    std::vector<double> axis = Axis();
    for (double fc : {100.0, 2000.0}) {
        double w0 = 2 * kPi * fc / 48000.0;
        for (int order = 1; order <= 8; ++order) {
            for (bool hp : {true, false}) {
                SCOPED_TRACE(testing::Message() << "fc " << fc << " order " << order << (hp ? " hp" : " lp"));
                int kind = hp ? CrossoverKindHighPass : CrossoverKindLowPass;
                ExpectCurve(ReferenceDb(Bessel(order, w0, hp), hp, axis), Side(kind, fc, order, FilterBessel, axis), 1e-6);
            }
        }
    }
}

TEST(CrossoverSides, CornersFloorsAndOrderRules) {
    double exact[] = {1000.0, 24000.0, 48000.0};
    double at[3];
    for (int order = 1; order <= 8; ++order) {
        LowPassResponseDb(1000.0, 48000.0, order, FilterButterworth, 3, exact, at);
        EXPECT_NEAR(-3.0103, at[0], 1e-4) << order;
    }
    for (int order : {2, 4, 8}) {
        HighPassResponseDb(1000.0, 48000.0, order, FilterLinkwitzRiley, 3, exact, at);
        EXPECT_NEAR(-6.0206, at[0], 1e-4) << order;
    }
    // A Bessel corner is where the phase is that of a Butterworth, so it is below -3 dB from order 2 on.
    double low[] = {100.0, 24000.0, 48000.0};
    for (int order = 1; order <= 8; ++order) {
        std::vector<double> a = BesselPolynomial(order);
        double analogue = 20 * std::log10(a[0] / std::abs(Evaluate(a, Cx(0, BesselCornerScale(a)))));
        LowPassResponseDb(100.0, 48000.0, order, FilterBessel, 3, low, at);
        EXPECT_NEAR(analogue, at[0], 1e-4) << order;
        EXPECT_LT(at[0], order == 1 ? -3.0 : -4.7) << order;
    }

    std::vector<double> axis = Axis();
    EXPECT_EQ(-1600.0, Side(CrossoverKindHighPass, 20000, 8, FilterButterworth, axis)[0]);  // four floored sections
    EXPECT_EQ(-800.0, Side(CrossoverKindLowPass, 2000, 4, FilterLinkwitzRiley, axis)[510]);
    EXPECT_EQ(-400.0, Side(CrossoverKindHighPass, 500, 2, FilterBessel, axis)[511]);  // fs aliases to DC
    EXPECT_EQ(Side(CrossoverKindLowPass, 2000, 4, FilterLinkwitzRiley, axis),
              Side(CrossoverKindLowPass, 2000, 3, FilterLinkwitzRiley, axis));
    EXPECT_EQ(Side(CrossoverKindHighPass, 300, 8, FilterBessel, axis), Side(CrossoverKindHighPass, 300, 9, FilterBessel, axis));
    EXPECT_EQ(Side(CrossoverKindHighPass, 300, 1, FilterButterworth, axis),
              Side(CrossoverKindHighPass, 300, 0, FilterButterworth, axis));
    // Type 0 is one second-order section with damping 1 whatever the order.
    ExpectCurve(ReferenceDb({{1.0, 2 * kPi * 700 / 48000}}, false, axis), Side(CrossoverKindLowPass, 700, 5, 0, axis), 1e-6);
    // Above about 22 kHz the design stays at the upper limit.
    std::vector<double> limit = Side(CrossoverKindLowPass, 22000, 2, FilterButterworth, axis);
    std::vector<double> beyond = Side(CrossoverKindLowPass, 100000, 2, FilterButterworth, axis);
    for (int i = 0; i < N; ++i) ASSERT_NEAR(limit[i], beyond[i], 1e-9);
    std::vector<double> lp(N), kindTwo(N);
    HighPassResponseDb(250, 48000, 3, FilterBessel, N, axis.data(), lp.data());
    CrossoverResponseDb(2, 48000, 250, 3, FilterBessel, N, axis.data(), kindTwo.data());
    EXPECT_EQ(lp, kindTwo);
    EXPECT_EQ(Axis(), axis);
}

TEST(OutputCurves, SumSidesAndEnabledBands) {
    auto config = std::make_unique<DspConfig>();
    std::vector<double> axis = Axis(), hp(N), lp(N), sum(N);
    // Reset outputs 8 (subwoofer: Butterworth 4 at 30 Hz, 2 at 50 Hz) and 6 (Bessel 3 at 70 Hz, 2 at 320 Hz).
    const double out8[] = {-117.483998, -14.219814, -8.778431, -40.053012, -52.071799, -64.146724, -400.0, -400.0};
    const double out6[] = {-110.352077, -33.076980, -5.054848, -9.875063, -20.311185, -32.015296, -62.723419, -400.0};
    OutputResponseDb(config->channels[8], true, axis.data(), N, hp.data(), lp.data(), sum.data());
    for (int k = 0; k < 8; ++k) EXPECT_NEAR(out8[k], sum[kRefPoints[k]], 1e-6) << kRefPoints[k];
    OutputResponseDb(config->channels[6], false, axis.data(), N, hp.data(), lp.data(), sum.data());
    for (int k = 0; k < 8; ++k) EXPECT_NEAR(out6[k], sum[kRefPoints[k]], 1e-6) << kRefPoints[k];
    OutputResponseDb(config->channels[0], false, axis.data(), N, hp.data(), lp.data(), sum.data());
    for (int i = 0; i < N; ++i) {  // full range, flat bands
        ASSERT_EQ(0.0, sum[i]);
        ASSERT_EQ(0.0, hp[i]);
        ASSERT_EQ(0.0, lp[i]);
    }

    ChannelConfig& ch = config->channels[6];
    ch.eqArray[5] = EqBand(-4.5f, 2.0f, 630, 1);
    std::vector<double> sides(N), withBand(N);
    OutputResponseDb(ch, true, axis.data(), N, hp.data(), lp.data(), sides.data());
    OutputResponseDb(ch, false, axis.data(), N, hp.data(), lp.data(), withBand.data());
    for (int i = 0; i < N; ++i) {
        ASSERT_EQ(hp[i] + lp[i], sides[i]);  // bypassed: the band adds nothing
        ASSERT_NEAR(sides[i] + PeakReferenceDb(630, -4.5, 2, axis[i], axis[N - 2]), withBand[i], 1e-9) << i;
    }
    ch.eqArray[5].enable = 0;
    OutputResponseDb(ch, false, axis.data(), N, hp.data(), lp.data(), withBand.data());
    EXPECT_EQ(sides, withBand);
}

TEST(ResponseHelpers, RawResponseAndConversions) {
    std::vector<double> axis = Axis(), magnitude(N);
    double num[3] = {0.5, 0.5, 0.0}, den[3] = {1.0, 0.0, 0.0};  // |H| = |cos(theta / 2)|
    FreqResponseDb(num, den, 2, 1, magnitude.data(), axis.data(), N, 1);
    std::vector<double> f = Axis();
    for (int i = 0; i < N - 2; ++i) {
        double half = -kPi * f[i] / f[N - 2] / 2;
        ASSERT_NEAR(std::cos(half), magnitude[i], 1e-12) << i;
        ASSERT_NEAR(half, axis[i], 1e-12) << i;  // phases replace the axis
    }
    EXPECT_EQ(0x78563412u, ByteSwap32(0x12345678u));
    EXPECT_EQ(0x00018000u, ToFixedPoint(true, 16, 1.5));
    EXPECT_EQ(0xFFFE8000u, ToFixedPoint(true, 16, -1.5));
    EXPECT_EQ(0xFFFFFFFFu, ToFixedPoint(false, 16, -1.5));
    EXPECT_EQ(0xFFFFFFFFu, ToFixedPoint(true, 32, 0.5));
    EXPECT_EQ(1073741823u, ToFixedPoint(true, 31, 0.5));
    EXPECT_EQ(0xFFFFFFFFu, ToFixedPoint(false, 8, 1e30));
    EXPECT_DOUBLE_EQ(2.0 * 3.0 * std::pow(10.0, 0.3), DbToLevel(6.0, 2.0, 3.0));
    EXPECT_EQ(0.0, DbToLevel(-100.0, 1.0, 1.0));
    double params[3], pden[3], pnum[3];
    PeakingParamsFromBandwidth(6.0, 1000.0, 1.0, params);  // one octave: Q = sqrt(2)
    PeakingBiquad(48000.0, 1000.0, 6.0, std::sqrt(2.0), pden, pnum);
    EXPECT_NEAR(pden[2], params[0], 1e-12);
    EXPECT_NEAR(std::cos(2 * kPi * 1000 / 48000), params[1], 1e-12);
    EXPECT_NEAR(std::pow(10.0, 0.3), params[2], 1e-12);
}
