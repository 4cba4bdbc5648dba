// Handlers the main window routes to whose windows are not built yet (the DSP memory window behind the
// debug button and the mixer window): each only logs that it was reached, so the route can be followed
// in the log.
#include "EqualizerManager.h"

#include "base/Log.h"

void EqualizerManager::OnDebugButton() { LogPrintA("%s\n", __func__); }
void EqualizerManager::OnMixerMenu() { LogPrintA("%s\n", __func__); }
