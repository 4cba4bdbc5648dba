#pragma once
// Which outputs may be joined as a left/right pair or copied onto each other. The copy operations
// themselves are members of DspConfig.
#include "model/DspConfig.h"

// Left/right partner of a speaker position, -1 when it has none (empty, centre, subwoofer low).
OutputType GetPairedOutputType(OutputType type);
// Outputs 0..3 (21 bands) and 4..9 (11 bands) form the two groups; copies stay inside one.
bool IsSameOutputGroup(int a, int b);
bool ContainsInt(int value, const int* values, int n);
