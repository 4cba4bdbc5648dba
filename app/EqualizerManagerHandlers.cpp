// Handlers the main window routes to that open tool windows. The DSP memory window behind the debug
// button is not built yet: its handler only logs that it was reached.
#include "EqualizerManager.h"

#include "base/Log.h"
#include "windows/MixerWnd.h"

void EqualizerManager::OnDebugButton() { LogPrintA("%s\n", __func__); }
void EqualizerManager::OnMixerMenu() { ShowMixerWnd(hMainWnd, *this); }
