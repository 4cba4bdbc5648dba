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

void EqualizerManager::SetChEqSlider(int band) { Reached(__func__, band); }
void EqualizerManager::SetEqFreqUp(int band, bool up) { Reached(__func__, band, up); }
void EqualizerManager::SetEqQUp(int band, bool up) { Reached(__func__, band, up); }
void EqualizerManager::SetEqGainUp(int band, bool up) { Reached(__func__, band, up); }
void EqualizerManager::SetHpFreqUp(bool up) { Reached(__func__, up); }
void EqualizerManager::SetLpFreqUp(bool up) { Reached(__func__, up); }
void EqualizerManager::SetHpFreq() { Reached(__func__); }
void EqualizerManager::SetLpFreq() { Reached(__func__); }
void EqualizerManager::SetChEqEdit(int band) { Reached(__func__, band); }
void EqualizerManager::SetHpType() { Reached(__func__); }
void EqualizerManager::SetLpType() { Reached(__func__); }
void EqualizerManager::SetHpSlope() { Reached(__func__); }
void EqualizerManager::SetLpSlope() { Reached(__func__); }
void EqualizerManager::EqualizerCallback(int index, int cmd) { Reached(__func__, index, cmd); }
void EqualizerManager::ShowOutputMenu(HWND, CControlUI*, CUIStringMap*, CMenuWnd**, CPaintManagerUI*, int n) {
    Reached(__func__, n);
}
void EqualizerManager::ShowOptionMenu(HWND, CControlUI*, CUIStringMap*, CMenuWnd**, CPaintManagerUI*) { Reached(__func__); }
void EqualizerManager::ShowSceneMenu(HWND, CControlUI*, CUIStringMap*, CMenuWnd**, CPaintManagerUI*) { Reached(__func__); }
void EqualizerManager::ShowAdvanceMenu(HWND, CControlUI*, CUIStringMap*, CMenuWnd**, CPaintManagerUI*) { Reached(__func__); }
void EqualizerManager::SetOutputEqReset() { Reached(__func__); }
void EqualizerManager::SetOutputBypass() { Reached(__func__); }
void EqualizerManager::OnEqEnable(int band) { Reached(__func__, band); }
void EqualizerManager::OnDebugButton() { Reached(__func__); }
void EqualizerManager::SetEqMode() { Reached(__func__); }
void EqualizerManager::SetOutputValue(int output, const wchar_t*) { Reached(__func__, output); }
void EqualizerManager::LoadSenceConfigFromDSP(HWND) { Reached(__func__); }
void EqualizerManager::SaveSenceConfigToDSP(HWND) { Reached(__func__); }
void EqualizerManager::DeleteDSPSenceConfig(HWND) { Reached(__func__); }
void EqualizerManager::LoadSenceConfigFromFile() { Reached(__func__); }
void EqualizerManager::SaveSenceConfigToFile() { Reached(__func__); }
void EqualizerManager::LoadWholeConfigFromFile() { Reached(__func__); }
void EqualizerManager::SaveWholeConfigToFile() { Reached(__func__); }
void EqualizerManager::OnMixerMenu() { Reached(__func__); }
