// Handlers the main window routes to that open tool windows: the DSP memory window behind the debug
// button; the mixer window's is not built yet and only logs that it was reached.
#include "EqualizerManager.h"

#include "base/Log.h"
#include "windows/MemWrWnd.h"

void EqualizerManager::OnDebugButton() { ShowMemWrWnd(hMainWnd, device); }
void EqualizerManager::OnMixerMenu() { LogPrintA("%s\n", __func__); }
