#include "model/SectionPowerSum.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "model/DspConfig.h"
#include "model/ResponseMath.h"

namespace {

constexpr double kFloorPower = 1e-8;  // -80 dB: below it a section is drawn at FloorDb
// The running product is folded into the dB offset once it leaves this range, long before a double
// would overflow or lose precision.
constexpr double kFoldAbove = 1e150;
constexpr double kFoldBelow = 1e-150;

// |b0 + b1 z + b2 z^2|^2 at z = e^{j theta}, from cos and sin of theta and of twice theta.
inline double QuadraticNorm(double b0, double b1, double b2, double c, double s, double c2, double s2) {
    const double re = b2 * c2 + b1 * c + b0;
    const double im = b2 * s2 + b1 * s;
    return re * re + im * im;
}

constexpr double kLn2 = 0.6931471805599453;
constexpr double kDbPerNeper = 4.3429448190325175;  // 10 / ln 10
// 1/1, 1/3, ..., 1/21: the series of atanh.
constexpr double kSeries[11] = {1.0,      1.0 / 3,  1.0 / 5,  1.0 / 7,  1.0 / 9, 1.0 / 11,
                                1.0 / 13, 1.0 / 15, 1.0 / 17, 1.0 / 19, 1.0 / 21};

// 10 log10(x). The C library's logarithm costs as much as a few sections; this one, for the positive
// normal numbers a product of powers is, splits x into m 2^e with m in [sqrt(1/2), sqrt(2)) and sums the
// series ln m = 2 (s + s^3/3 + ... + s^21/21), s = (m - 1)/(m + 1), |s| < 0.172: the terms left out are
// below 1e-18 of the result, so it is as exact as the library's.
double DecibelsOfPower(double x) {
    uint64_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    const int biased = static_cast<int>(bits >> 52);  // the sign bit is 0 for a positive number
    if (biased <= 0 || biased >= 0x7FF) return 10.0 * std::log10(x);  // zero, subnormal, negative, inf, NaN
    int exponent = biased - 1023;
    bits = (bits & 0x000FFFFFFFFFFFFFull) | 0x3FF0000000000000ull;
    double m;
    std::memcpy(&m, &bits, sizeof m);
    if (m > 1.4142135623730951) {
        m *= 0.5;
        ++exponent;
    }
    const double s = (m - 1.0) / (m + 1.0);
    // 1 + t/3 + t^2/5 + ... + t^10/21 with t = s^2, in pairs (Estrin) so the additions need not wait on
    // each other.
    const double t = s * s, t2 = t * t, t4 = t2 * t2, t8 = t4 * t4;
    const double low = (1.0 + kSeries[1] * t) + t2 * (kSeries[2] + kSeries[3] * t);
    const double mid = (kSeries[4] + kSeries[5] * t) + t2 * (kSeries[6] + kSeries[7] * t);
    const double high = (kSeries[8] + kSeries[9] * t) + t2 * kSeries[10];
    const double series = low + t4 * mid + t8 * high;
    return kDbPerNeper * (exponent * kLn2 + (s + s) * series);
}

#if defined(__SSE2__)
// DecibelsOfPower of two numbers at once, the same operations lane by lane; false when either is not a
// positive normal number.
bool DecibelsOfPowers(__m128d x, __m128d& db) {
    const __m128d two52 = _mm_set1_pd(4503599627370496.0), one = _mm_set1_pd(1.0);
    const __m128i bits = _mm_castpd_si128(x);
    // The biased exponent as a double: its bits put into the mantissa of 2^52, then 2^52 taken away.
    const __m128d biased =
        _mm_sub_pd(_mm_castsi128_pd(_mm_or_si128(_mm_srli_epi64(bits, 52), _mm_castpd_si128(two52))), two52);
    const __m128d normal = _mm_and_pd(_mm_cmpge_pd(biased, one), _mm_cmple_pd(biased, _mm_set1_pd(2046.0)));
    if (_mm_movemask_pd(normal) != 3) return false;  // a sign bit makes the exponent 2048 or more
    const __m128i mantissa = _mm_set_epi32(0x000FFFFF, -1, 0x000FFFFF, -1);
    const __m128i oneBits = _mm_set_epi32(0x3FF00000, 0, 0x3FF00000, 0);
    __m128d m = _mm_castsi128_pd(_mm_or_si128(_mm_and_si128(bits, mantissa), oneBits));
    const __m128d big = _mm_cmpgt_pd(m, _mm_set1_pd(1.4142135623730951));
    m = _mm_mul_pd(m, _mm_or_pd(_mm_and_pd(big, _mm_set1_pd(0.5)), _mm_andnot_pd(big, one)));
    const __m128d exponent = _mm_add_pd(_mm_sub_pd(biased, _mm_set1_pd(1023.0)), _mm_and_pd(big, one));
    const __m128d s = _mm_div_pd(_mm_sub_pd(m, one), _mm_add_pd(m, one));
    const __m128d t = _mm_mul_pd(s, s), t2 = _mm_mul_pd(t, t), t4 = _mm_mul_pd(t2, t2), t8 = _mm_mul_pd(t4, t4);
    const auto pair = [&](double a, double b) { return _mm_add_pd(_mm_set1_pd(a), _mm_mul_pd(_mm_set1_pd(b), t)); };
    const __m128d low = _mm_add_pd(_mm_add_pd(one, _mm_mul_pd(_mm_set1_pd(kSeries[1]), t)),
                                   _mm_mul_pd(t2, pair(kSeries[2], kSeries[3])));
    const __m128d mid = _mm_add_pd(pair(kSeries[4], kSeries[5]), _mm_mul_pd(t2, pair(kSeries[6], kSeries[7])));
    const __m128d high = _mm_add_pd(pair(kSeries[8], kSeries[9]), _mm_mul_pd(t2, _mm_set1_pd(kSeries[10])));
    const __m128d series = _mm_add_pd(_mm_add_pd(low, _mm_mul_pd(t4, mid)), _mm_mul_pd(t8, high));
    const __m128d nepers = _mm_add_pd(_mm_mul_pd(exponent, _mm_set1_pd(kLn2)),
                                      _mm_mul_pd(_mm_add_pd(s, s), series));
    db = _mm_mul_pd(_mm_set1_pd(kDbPerNeper), nepers);
    return true;
}
#endif

}  // namespace

CurveAxisTable::CurveAxisTable(const double* axis, int n) {
    if (axis == nullptr || n < 2) return;
    mAxis.assign(axis, axis + n);
    mCos.resize(n);
    mSin.resize(n);
    mCos2.resize(n);
    mSin2.resize(n);
    const double fref = axis[n - 2];
    const double turn = -8.0 * std::atan(1.0);
    for (int i = 0; i < n; ++i) {
        const double theta = turn * (axis[i] * 0.5 / fref);
        mCos[i] = std::cos(theta);
        mSin[i] = std::sin(theta);
        mCos2[i] = mCos[i] * mCos[i] - mSin[i] * mSin[i];
        mSin2[i] = 2.0 * mSin[i] * mCos[i];
    }
}

const CurveAxisTable& CurveAxisTable::Standard() {
    static const CurveAxisTable table = [] {
        std::vector<double> axis(CurvePoints);
        MakeLogFreqAxis(CurveSampleRate, CurvePoints, axis.data());
        return CurveAxisTable(axis.data(), CurvePoints);
    }();
    return table;
}

const CurveAxisTable& CurveAxisTable::For(const double* axis, int n, std::optional<CurveAxisTable>& local) {
    const CurveAxisTable& standard = Standard();
    if (standard.Describes(axis, n)) return standard;
    local.emplace(axis, n);
    return *local;
}

bool CurveAxisTable::Describes(const double* axis, int n) const {
    return axis != nullptr && n == Size() && std::memcmp(axis, mAxis.data(), n * sizeof(double)) == 0;
}

SectionPowerSum::SectionPowerSum(const CurveAxisTable& table) : mTable(table) {}

void SectionPowerSum::AddSection(const double num[3], const double den[3]) {
    mSections.push_back(Section{num[0], num[1], num[2], den[1], den[2]});
}

double SectionPowerSum::PointDb(int i) const {
    const double c = mTable.Cos()[i], s = mTable.Sin()[i], c2 = mTable.Cos2()[i], s2 = mTable.Sin2()[i];
    double product = 1.0, offsetDb = 0.0;
    for (const Section& k : mSections) {
        const double power =
            QuadraticNorm(k.b0, k.b1, k.b2, c, s, c2, s2) / QuadraticNorm(1.0, k.a1, k.a2, c, s, c2, s2);
        if (std::fabs(power) > kFloorPower) {
            product *= power;
            if (!(product < kFoldAbove && product > kFoldBelow)) {
                offsetDb += DecibelsOfPower(product);
                product = 1.0;
            }
        } else {
            offsetDb += FloorDb;  // also where the power is not a number, as a single curve has it
        }
    }
    return DecibelsOfPower(product) + offsetDb;
}

void SectionPowerSum::Evaluate(double* outDb, bool add) const {
    const int n = mTable.Size();
    int i = 0;
#if defined(__SSE2__)
    // Two points at a time, with PointDb's operations in PointDb's order.
    const double* c = mTable.Cos();
    const double* s = mTable.Sin();
    const double* c2 = mTable.Cos2();
    const double* s2 = mTable.Sin2();
    // Each coefficient twice, one for each point of a pair.
    const int count = static_cast<int>(mSections.size());
    std::vector<double> pairs(10 * count);
    for (int k = 0; k < count; ++k) {
        const Section& section = mSections[k];
        const double coefficients[5] = {section.b0, section.b1, section.b2, section.a1, section.a2};
        for (int j = 0; j < 5; ++j) pairs[10 * k + 2 * j] = pairs[10 * k + 2 * j + 1] = coefficients[j];
    }
    const __m128d one = _mm_set1_pd(1.0), floorPower = _mm_set1_pd(kFloorPower), floorDb = _mm_set1_pd(FloorDb);
    const __m128d above = _mm_set1_pd(kFoldAbove), below = _mm_set1_pd(kFoldBelow);
    const auto inRange = [&](__m128d product) {
        return _mm_movemask_pd(_mm_and_pd(_mm_cmplt_pd(product, above), _mm_cmpgt_pd(product, below))) == 3;
    };
    for (; i + 2 <= n; i += 2) {
        const __m128d vc = _mm_loadu_pd(c + i), vs = _mm_loadu_pd(s + i);
        const __m128d vc2 = _mm_loadu_pd(c2 + i), vs2 = _mm_loadu_pd(s2 + i);
        const auto norm = [&](__m128d k0, __m128d k1, __m128d k2) {
            const __m128d re = _mm_add_pd(_mm_add_pd(_mm_mul_pd(k2, vc2), _mm_mul_pd(k1, vc)), k0);
            const __m128d im = _mm_add_pd(_mm_mul_pd(k2, vs2), _mm_mul_pd(k1, vs));
            return _mm_add_pd(_mm_mul_pd(re, re), _mm_mul_pd(im, im));
        };
        __m128d product = one, offsetDb = _mm_setzero_pd();
        bool exact = true;
        for (int k = 0; k < count && exact; ++k) {
            const double* p = &pairs[10 * k];
            const __m128d power = _mm_div_pd(norm(_mm_loadu_pd(p), _mm_loadu_pd(p + 2), _mm_loadu_pd(p + 4)),
                                             norm(one, _mm_loadu_pd(p + 6), _mm_loadu_pd(p + 8)));
            // Powers are never negative, so fabs(power) > floor is power > floor (false for NaN too).
            const __m128d kept = _mm_cmpgt_pd(power, floorPower);
            product = _mm_mul_pd(product, _mm_or_pd(_mm_and_pd(kept, power), _mm_andnot_pd(kept, one)));
            offsetDb = _mm_add_pd(offsetDb, _mm_andnot_pd(kept, floorDb));
            // Looked at every eighth section: a kept power is at least 1e-8, so eight of them cannot carry a
            // product from the range into the subnormals, and one that overflowed stays infinite.
            if (k % 8 == 7) exact = inRange(product);
        }
        __m128d db;
        if (!exact || !inRange(product) || !DecibelsOfPowers(product, db)) {
            db = _mm_set_pd(PointDb(i + 1), PointDb(i));  // rare: the scalar path folds where it must
        } else {
            db = _mm_add_pd(db, offsetDb);
        }
        if (add) db = _mm_add_pd(db, _mm_loadu_pd(outDb + i));
        _mm_storeu_pd(outDb + i, db);
    }
#endif
    for (; i < n; ++i) outDb[i] = add ? outDb[i] + PointDb(i) : PointDb(i);
}
