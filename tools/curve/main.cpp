// Prints one response curve on the 512-point axis, one line per point: "frequency dB".
//   curve peak F0 GAIN Q      one EQ band
//   curve hp TYPE ORDER FC    high-pass side (TYPE 1 Butterworth, 2 Linkwitz-Riley, 3 Bessel)
//   curve lp TYPE ORDER FC    low-pass side
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "model/DspConfig.h"
#include "model/ResponseMath.h"

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: curve peak F0 GAIN Q\n"
                 "       curve hp TYPE ORDER FC\n"
                 "       curve lp TYPE ORDER FC\n"
                 "TYPE: 1 Butterworth, 2 Linkwitz-Riley, 3 Bessel; ORDER 1..8\n");
    return 2;
}

bool ParseNumber(const char* text, double& out) {
    char* end = nullptr;
    out = std::strtod(text, &end);
    return end != text && *end == 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) return Usage();
    double a, b, c;
    if (!ParseNumber(argv[2], a) || !ParseNumber(argv[3], b) || !ParseNumber(argv[4], c)) return Usage();
    double axis[CurvePoints];
    double db[CurvePoints];
    MakeLogFreqAxis(CurveSampleRate, CurvePoints, axis);
    if (std::strcmp(argv[1], "peak") == 0) {
        PeakingEqCurve(CurveSampleRate, a, b, c, axis, db, CurvePoints);
    } else if (std::strcmp(argv[1], "hp") == 0 || std::strcmp(argv[1], "lp") == 0) {
        int type = int(a), order = int(b);
        if (type < FilterButterworth || type > FilterBessel || order < 1 || order > 8) return Usage();
        int kind = argv[1][0] == 'l' ? CrossoverKindLowPass : CrossoverKindHighPass;
        CrossoverResponseDb(kind, CurveSampleRate, c, order, type, CurvePoints, axis, db);
    } else {
        return Usage();
    }
    for (int i = 0; i < CurvePoints; ++i) std::printf("%.6f %.9f\n", axis[i], db[i]);
    return 0;
}
