#pragma once
// Fast summing of biquad responses on one frequency axis. Every drawn curve is a sum of sections, each
// in dB and floored on its own at -80 dB; the sine and cosine of each axis point are the same for every
// section, and a sum of logarithms is the logarithm of a product, so the axis's trigonometry is
// computed once (CurveAxisTable) and the sections' powers are multiplied, with one logarithm per point
// at the end (SectionPowerSum), two points at a time where the processor allows.
#include <optional>
#include <vector>

class CurveAxisTable {
public:
    // The angle of point i is -pi * axis[i] / axis[n - 2] (point n - 2 is the Nyquist reference); the
    // table holds its cosine and sine and those of twice the angle.
    CurveAxisTable(const double* axis, int n);

    // The table of the axis every curve of the program is drawn on (CurveSampleRate, CurvePoints).
    static const CurveAxisTable& Standard();
    // The standard table when it describes this axis, else `local` built for it.
    static const CurveAxisTable& For(const double* axis, int n, std::optional<CurveAxisTable>& local);

    bool Describes(const double* axis, int n) const;
    int Size() const { return static_cast<int>(mAxis.size()); }
    const double* Axis() const { return mAxis.data(); }
    const double* Cos() const { return mCos.data(); }
    const double* Sin() const { return mSin.data(); }
    const double* Cos2() const { return mCos2.data(); }
    const double* Sin2() const { return mSin2.data(); }

private:
    std::vector<double> mAxis;
    std::vector<double> mCos;
    std::vector<double> mSin;
    std::vector<double> mCos2;
    std::vector<double> mSin2;
};

class SectionPowerSum {
public:
    explicit SectionPowerSum(const CurveAxisTable& table);

    // One biquad: numerator b0 b1 b2, denominator 1 a1 a2 (den[0] is not read).
    void AddSection(const double num[3], const double den[3]);
    bool Empty() const { return mSections.empty(); }
    // outDb[i] = the sum over the sections of each one's dB at point i, floored as the single curves are.
    void WriteDb(double* outDb) const { Evaluate(outDb, false); }
    // outDb[i] += the same sum.
    void AddDb(double* outDb) const { Evaluate(outDb, true); }

private:
    struct Section {
        double b0, b1, b2, a1, a2;
    };
    // Point by point, all sections at once, so that the running product stays in registers.
    void Evaluate(double* outDb, bool add) const;
    // The sum at point i, one point alone.
    double PointDb(int i) const;

    const CurveAxisTable& mTable;
    std::vector<Section> mSections;
};
