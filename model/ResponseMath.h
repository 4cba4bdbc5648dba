#pragma once
// Frequency responses of the EQ bands and crossover filters, in dB on a logarithmic axis. Everything
// is double precision; the crossover design is fixed at 48000 Hz.
#include <cstdint>

class CurveAxisTable;

constexpr double CurveSampleRate = 48000.0;
constexpr double FloorDb = -400.0;  // a section below -80 dB is drawn at this level

// Kinds of FilterSectionsDesign.
constexpr int SectionsHighPass = 0;
constexpr int SectionsLowPass = 1;
// Kind of CrossoverResponseDb (the device's filter numbers): 1 low-pass, anything else high-pass.
constexpr int CrossoverKindLowPass = 1;
constexpr int CrossoverKindHighPass = 2;

// Up to four sections; kind -1 none, 0 first order, 1 second order.
struct CrossoverSections {
    double alpha[4];
    double cosw[4];
    double kind[4];
};

// out[i-1] = 10^(i*log10(fs/2)/(n-1)) for i = 1..n-1, out[n-1] = fs; point n-2 is the Nyquist reference.
void MakeLogFreqAxis(double fs, int n, double* out);

void PeakingBiquad(double fs, double f0, double gainDb, double q, double den[3], double num[3]);
// One band in dB. A band that cannot be designed (Q <= 0, f0 outside (0, fs/2), non-finite values)
// is drawn flat.
void PeakingEqCurve(double fs, double f0, double gainDb, double q, const double* axis, double* outDb, int n);

// The biquad of one band; false when the band is drawn flat (0 dB, or a band that cannot be designed).
bool PeakingBandSection(double fs, double f0, double gainDb, double q, double den[3], double num[3]);

void FilterSectionsDesign(int kind, int allOff, double fc, int order, int type, CrossoverSections& out);
// The biquads of one crossover side (kind SectionsHighPass or SectionsLowPass), first to last; the
// number of sections, 0 to 4.
int CrossoverSideSections(int sectionsKind, double fc, int order, int type, double num[4][3], double den[4][3]);
// One crossover side in dB on an axis whose trigonometry is already computed.
void CrossoverSideDb(int sectionsKind, double fc, int order, int type, const CurveAxisTable& table, double* outDb);

// One crossover side in dB; fs is not used (the design is fixed at 48000 Hz).
void HighPassResponseDb(double fc, double fs, int order, int type, int n, const double* axis, double* outDb);
void LowPassResponseDb(double fc, double fs, int order, int type, int n, const double* axis, double* outDb);
void CrossoverResponseDb(int kind, double fs, double fc, int order, int type, int n, const double* axis,
                         double* outDb);

// Cascade of `sections` sections of `order` with coefficients section after section. mode 1: out is
// |H|; mode 2: out is dB with the -80 dB floor. The axis is overwritten with the phases.
void FreqResponseDb(const double* num, const double* den, int order, int sections, double* out, double* axis, int n,
                    int mode);
// The same without the floor.
void FreqResponseDbAlt(const double* num, const double* den, int order, int sections, double* out, double* axis,
                       int n, int mode);

// At 48000 Hz: {(2k - sin w0)/(2k + sin w0), cos w0, A} of a peaking band given by its bandwidth.
void PeakingParamsFromBandwidth(double gainDb, double f0, double inverseOctaves, double out[3]);
double DbToLevel(double db, double a, double b);
uint32_t ToFixedPoint(bool isSigned, int fractionBits, double value);
uint32_t ByteSwap32(uint32_t v);
