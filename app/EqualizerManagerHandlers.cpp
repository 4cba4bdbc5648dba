// Handlers of the page's editing, menus, scenes and tool windows that the main window routes to. The
// editing itself (band, crossover, channel, delay, volume, routing and switch handlers, the menus and the
// scene and profile commands) joins with the page editing; until then each handler only logs that it was
// reached, so every route can be followed in the log.
#include "EqualizerManager.h"

#include "Log.h"

namespace {
void Reached(const char* handler, int a = -1, int b = -1) { LogPrintA("%s(%d, %d)\n", handler, a, b); }
}  // namespace

using SkinUI::CControlUI;
using SkinUI::CMenuWnd;
using SkinUI::CPaintManagerUI;
using SkinUI::CUIStringMap;

void EqualizerManager::OnDebugButton() { Reached(__func__); }
void EqualizerManager::LoadSenceConfigFromDSP(HWND) { Reached(__func__); }
void EqualizerManager::SaveSenceConfigToDSP(HWND) { Reached(__func__); }
void EqualizerManager::DeleteDSPSenceConfig(HWND) { Reached(__func__); }
void EqualizerManager::LoadSenceConfigFromFile() { Reached(__func__); }
void EqualizerManager::SaveSenceConfigToFile() { Reached(__func__); }
void EqualizerManager::LoadWholeConfigFromFile() { Reached(__func__); }
void EqualizerManager::SaveWholeConfigToFile() { Reached(__func__); }
void EqualizerManager::OnMixerMenu() { Reached(__func__); }
