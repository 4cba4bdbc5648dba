#pragma once
// The text an output's button shows for its speaker position (0..24).
#include "model/Crossover.h"

// The "${key}" text of a speaker position; null outside 0..24.
const wchar_t* OutputTypeButtonText(OutputType type);
