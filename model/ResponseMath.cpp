#include "model/ResponseMath.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "model/Crossover.h"
#include "model/SectionPowerSum.h"

namespace {

const double kPi = 4.0 * std::atan(1.0);
constexpr double kMinW = 3.272492347489368e-07;  // about 0.0025 Hz at 48 kHz
constexpr double kMaxW = 2.8797932657906435;     // about 22 kHz
constexpr double kFloorPower = 1e-8;             // -80 dB

// Linkwitz-Riley damping by order / 2.
constexpr double kLinkwitzRiley[5][4] = {
    {},
    {2.0},
    {1.4142135624, 1.4142135624},
    {2.0, 1.0, 1.0},
    {1.8477590650, 0.7653668647, 1.8477590650, 0.7653668647},
};

// Bessel: damping (A) and frequency factor (B) of each second-order section, the overall frequency
// factor (S) by order, and the first-order section's factor (P) by its section index.
constexpr double kBesselDamping[9][4] = {
    {},
    {},
    {1.7320508076},
    {1.4470803599},
    {1.9159489237, 1.2414059301},
    {1.7745107195, 1.0911344114},
    {1.9595631418, 1.6361402521, 0.9772172032},
    {1.8784433114, 1.5132682086, 0.8878963849},
    {1.9763194659, 1.7869614419, 1.4067624418, 0.8158806765},
};
constexpr double kBesselFreq[9][4] = {
    {},
    {},
    {1.7320508076},
    {2.5415414011},
    {3.0232649388, 3.3893657927},
    {3.7778936609, 4.2610228013},
    {4.3360270513, 4.5664891522, 5.1491771521},
    {5.0662061498, 5.3792700335, 6.0495276805},
    {5.6548408694, 5.8253532155, 6.2104149036, 6.9593116508},
};
constexpr double kBesselScale[9] = {1.0,          1.0,          0.5773502692, 0.4030076571, 0.3086066999,
                                    0.2496411504, 0.2093977333, 0.1802208568, 0.1581178777};
constexpr double kBesselFirstOrder[4] = {1.0, 2.3221853546, 3.6467385953, 4.9717868586};

struct Complex {
    double re, im;
};

// Sum of coef[k] e^{jk theta} for k = 0..order, by Horner; lead replaces coef[0] (the denominator's
// leading coefficient is always 1).
Complex Polynomial(const double* coef, int order, double lead, double c, double s) {
    double re = 0.0, im = 0.0;
    for (int k = order; k >= 1; --k) {
        double r = re + coef[k];
        re = r * c - im * s;
        im = r * s + im * c;
    }
    return {re + lead, im};
}

Complex CascadeAt(const double* num, const double* den, int order, int sections, double f, double fref) {
    double theta = -8.0 * std::atan(1.0) * (f * 0.5 / fref);
    double c = std::cos(theta), s = std::sin(theta);
    Complex h{1.0, 0.0};
    for (int j = 0; j < sections; ++j) {
        const double* b = num + j * (order + 1);
        const double* a = den + j * (order + 1);
        Complex p = Polynomial(b, order, b[0], c, s);
        Complex q = Polynomial(a, order, 1.0, c, s);
        Complex hp{h.re * p.re - h.im * p.im, h.re * p.im + h.im * p.re};
        double d = q.re * q.re + q.im * q.im;
        h = {(hp.re * q.re + hp.im * q.im) / d, (hp.im * q.re - hp.re * q.im) / d};
    }
    return h;
}

double ClampW(double w) { return std::clamp(w, kMinW, kMaxW); }

// The bandwidth term of a peaking band at w0 (s0, c0 its sine and cosine) with quality q and level a. A cut
// scales it by its level, so that it is the exact inverse of the boost of the same size.
double PeakingBandwidthTerm(double w0, double s0, double c0, double q, double a) {
    double w1 = w0 * (std::sqrt(4.0 * q * q + 1.0) - 1.0) / (2.0 * q);  // lower band edge
    double k = std::sin(w1) * s0 / (2.0 * (std::cos(w1) - c0));
    return a < 1.0 ? k * a : k;
}

int DesignOrder(int order, int type) {
    if (type == 0) order = 2;
    if (type == FilterLinkwitzRiley && order % 2 != 0) order += 1;
    return std::clamp(order, 1, 8);
}

double ButterworthDamping(int order, int k) {
    return 2.0 * std::sin(((order / 2 - 1 - k) * 2 + 1) * kPi / (2.0 * order));
}

void SideResponseDb(int sectionsKind, double fc, int order, int type, int n, const double* axis, double* outDb) {
    if (n < 2) return;
    std::optional<CurveAxisTable> local;
    CrossoverSideDb(sectionsKind, fc, order, type, CurveAxisTable::For(axis, n, local), outDb);
}

void ResponseDb(const double* num, const double* den, int order, int sections, double* out, double* axis, int n,
                int mode, bool floored) {
    if (n < 2) return;
    double fref = axis[n - 2];
    for (int i = 0; i < n; ++i) {
        Complex h = CascadeAt(num, den, order, sections, axis[i], fref);
        double phase = std::atan2(h.im, h.re);
        if (mode == 1) {
            out[i] = std::sqrt(h.re * h.re + h.im * h.im);
            axis[i] = out[i] == 0.0 ? 0.0 : phase;
        } else if (mode == 2) {
            double p = h.re * h.re + h.im * h.im;
            if (floored && !(std::fabs(p) > kFloorPower)) {
                p = 1e-40;
                phase = 0.0;
            }
            axis[i] = phase;
            out[i] = 10.0 * std::log10(p);
        }
    }
}

}  // namespace

void MakeLogFreqAxis(double fs, int n, double* out) {
    if (n < 2) return;
    double step = std::log10(fs / 2.0) / (n - 1);
    for (int i = 1; i < n; ++i) out[i - 1] = std::pow(10.0, i * step);
    out[n - 1] = fs;
}

void PeakingBiquad(double fs, double f0, double gainDb, double q, double den[3], double num[3]) {
    double a = std::pow(10.0, gainDb / 20.0);
    double w0 = 2.0 * kPi * f0 / fs;
    double s0 = std::sin(w0), c0 = std::cos(w0);
    double k = PeakingBandwidthTerm(w0, s0, c0, q, a);
    double beta = 2.0 * k;
    double d = beta + s0;
    den[0] = 1.0;
    den[1] = -4.0 * k * c0 / d;
    den[2] = (beta - s0) / d;
    num[0] = (beta + a * s0) / d;
    num[1] = -4.0 * k * c0 / d;
    num[2] = (beta - a * s0) / d;
}

bool PeakingBandSection(double fs, double f0, double gainDb, double q, double den[3], double num[3]) {
    bool drawable = std::isfinite(gainDb) && std::isfinite(q) && q > 0.0 && f0 > 0.0 && f0 < fs / 2.0;
    if (!drawable || gainDb == 0.0) return false;  // a 0 dB band is exactly flat
    PeakingBiquad(fs, f0, gainDb, q, den, num);
    return true;
}

void PeakingEqCurve(double fs, double f0, double gainDb, double q, const double* axis, double* outDb, int n) {
    if (n < 2) return;
    double den[3], num[3];
    if (!PeakingBandSection(fs, f0, gainDb, q, den, num)) {
        std::fill(outDb, outDb + n, 0.0);
        return;
    }
    std::optional<CurveAxisTable> local;
    SectionPowerSum band(CurveAxisTable::For(axis, n, local));
    band.AddSection(num, den);
    band.WriteDb(outDb);
}

void FilterSectionsDesign(int kind, int allOff, double fc, int order, int type, CrossoverSections& out) {
    order = DesignOrder(order, type);
    bool highPass = kind == SectionsHighPass;
    double w0 = ClampW(2.0 * kPi * fc / CurveSampleRate);
    int remaining = allOff ? 0 : order;
    for (int k = 0; k < 4; ++k) {
        double w = w0;
        if (type == FilterBessel) w = highPass ? w0 / kBesselScale[order] : w0 * kBesselScale[order];
        if (remaining == 0) {
            out.kind[k] = -1.0;
            out.alpha[k] = 0.0;
            out.cosw[k] = std::cos(w);
        } else if (remaining == 1) {
            if (type == FilterBessel)
                w = ClampW(highPass ? w / kBesselFirstOrder[k] : w * kBesselFirstOrder[k]);
            out.alpha[k] = (std::cos(w) + std::sin(w) - 1.0) / (std::cos(w) - std::sin(w) - 1.0);
            out.cosw[k] = std::cos(w);
            out.kind[k] = 0.0;
            remaining = 0;
        } else {
            double damping = 0.0;
            if (type == 0) {
                damping = 1.0;
            } else if (type == FilterButterworth) {
                damping = ButterworthDamping(order, k);
            } else if (type == FilterLinkwitzRiley) {
                damping = kLinkwitzRiley[order / 2][k];
            } else if (type == FilterBessel) {
                damping = kBesselDamping[order][k];
                w = ClampW(highPass ? w / kBesselFreq[order][k] : w * kBesselFreq[order][k]);
            }
            double ds = damping * std::sin(w);
            out.alpha[k] = (2.0 - ds) / (ds + 2.0);
            out.cosw[k] = std::cos(w);
            out.kind[k] = 1.0;
            remaining -= 2;
        }
    }
}

int CrossoverSideSections(int sectionsKind, double fc, int order, int type, double num[4][3], double den[4][3]) {
    CrossoverSections sections;
    FilterSectionsDesign(sectionsKind, 0, fc, order, type, sections);
    bool highPass = sectionsKind == SectionsHighPass;
    int count = 0;
    for (int k = 0; k < 4; ++k) {
        double alpha = sections.alpha[k], c = sections.cosw[k];
        double* b = num[count];
        double* a = den[count];
        if (sections.kind[k] == 0.0) {
            double g = highPass ? (1.0 - alpha) / 2.0 : (1.0 + alpha) / 2.0;
            a[0] = 1.0, a[1] = alpha, a[2] = 0.0;
            b[0] = g, b[1] = highPass ? -g : g, b[2] = 0.0;
            ++count;
        } else if (sections.kind[k] == 1.0) {
            double g = highPass ? (1.0 + alpha) * (1.0 + c) / 4.0 : (1.0 + alpha) * (1.0 - c) / 4.0;
            a[0] = 1.0, a[1] = -(1.0 + alpha) * c, a[2] = alpha;
            b[0] = g, b[1] = highPass ? -2.0 * g : 2.0 * g, b[2] = g;
            ++count;
        }
    }
    return count;
}

void CrossoverSideDb(int sectionsKind, double fc, int order, int type, const CurveAxisTable& table, double* outDb) {
    double num[4][3], den[4][3];
    const int count = CrossoverSideSections(sectionsKind, fc, order, type, num, den);
    SectionPowerSum side(table);
    for (int k = 0; k < count; ++k) side.AddSection(num[k], den[k]);
    side.WriteDb(outDb);
}

void HighPassResponseDb(double fc, double, int order, int type, int n, const double* axis, double* outDb) {
    SideResponseDb(SectionsHighPass, fc, order, type, n, axis, outDb);
}

void LowPassResponseDb(double fc, double, int order, int type, int n, const double* axis, double* outDb) {
    SideResponseDb(SectionsLowPass, fc, order, type, n, axis, outDb);
}

void CrossoverResponseDb(int kind, double fs, double fc, int order, int type, int n, const double* axis,
                         double* outDb) {
    if (kind == CrossoverKindLowPass)
        LowPassResponseDb(fc, fs, order, type, n, axis, outDb);
    else
        HighPassResponseDb(fc, fs, order, type, n, axis, outDb);
}

void FreqResponseDb(const double* num, const double* den, int order, int sections, double* out, double* axis, int n,
                    int mode) {
    ResponseDb(num, den, order, sections, out, axis, n, mode, true);
}

void FreqResponseDbAlt(const double* num, const double* den, int order, int sections, double* out, double* axis,
                       int n, int mode) {
    ResponseDb(num, den, order, sections, out, axis, n, mode, false);
}

void PeakingParamsFromBandwidth(double gainDb, double f0, double inverseOctaves, double out[3]) {
    double bandwidth = 1.0 / inverseOctaves;
    double q = std::pow(2.0, bandwidth / 2.0) / (std::pow(2.0, bandwidth) - 1.0);
    double a = std::pow(10.0, gainDb / 20.0);
    double w0 = 2.0 * kPi * f0 / CurveSampleRate;
    double s0 = std::sin(w0), c0 = std::cos(w0);
    double k = PeakingBandwidthTerm(w0, s0, c0, q, a);
    out[0] = (2.0 * k - s0) / (2.0 * k + s0);
    out[1] = c0;
    out[2] = a;
}

double DbToLevel(double db, double a, double b) { return db <= -100.0 ? 0.0 : std::pow(10.0, db / 20.0) * a * b; }

uint32_t ToFixedPoint(bool isSigned, int fractionBits, double value) {
    if (fractionBits > 31) return 0xFFFFFFFFu;
    double scale = fractionBits == 31 ? 2147483647.0 : std::ldexp(1.0, fractionBits);
    double scaled = std::fabs(value) * scale;
    // Saturate rather than convert a value the 32 bits cannot hold.
    uint32_t magnitude = !(scaled < 4294967296.0) ? 0xFFFFFFFFu : uint32_t(scaled);
    if (value >= 0.0) return magnitude;
    return isSigned ? 0u - magnitude : 0xFFFFFFFFu;
}

uint32_t ByteSwap32(uint32_t v) {
    return (v >> 24) | ((v >> 8) & 0x0000FF00u) | ((v << 8) & 0x00FF0000u) | (v << 24);
}
