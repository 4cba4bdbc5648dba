#pragma once
// The drawn response of one output: its crossover sides plus its EQ bands, summed in dB.
#include "model/DspConfig.h"

// hpDb and lpDb receive each side alone (0 dB where the side is off); sumDb both sides plus every band
// below eqSize. A band's gain counts only when the band is enabled and the output's EQ is not bypassed.
void OutputResponseDb(const ChannelConfig& channel, bool eqBypassed, const double* axis, int n, double* hpDb,
                      double* lpDb, double* sumDb);
