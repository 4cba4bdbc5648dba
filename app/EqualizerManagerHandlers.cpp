// Handlers of the page's editing, menus, scenes and tool windows that the main window routes to. The
// editing itself (band, crossover, channel, delay, volume, routing and switch handlers, the menus and the
// scene and profile commands) joins with the page editing; until then each handler only logs that it was
// reached, so every route can be followed in the log.
#include "EqualizerManager.h"

#include "Log.h"
#include "device/DeviceMessages.h"

namespace {
void Reached(const char* handler, int a = -1, int b = -1) { LogPrintA("%s(%d, %d)\n", handler, a, b); }
}  // namespace

using SkinUI::CControlUI;
using SkinUI::CMenuWnd;
using SkinUI::CPaintManagerUI;
using SkinUI::CUIStringMap;

void EqualizerManager::SetChShow(int n) { Reached(__func__, n); }
void EqualizerManager::OnChMuteOption(int n) { Reached(__func__, n); }
void EqualizerManager::OnChPhaseOption(int n) { Reached(__func__, n); }
void EqualizerManager::SetChSynchronize(int n) { Reached(__func__, n); }
void EqualizerManager::SetMainMute() { Reached(__func__); }
void EqualizerManager::SetInputIn(int input, int output) { Reached(__func__, input, output); }
void EqualizerManager::SetChEqSlider(int band) { Reached(__func__, band); }
void EqualizerManager::SetMainVolumeSlider() { Reached(__func__); }
void EqualizerManager::SetAccSlider() { Reached(__func__); }
void EqualizerManager::SetChVolumeSlider(int n, bool focusEdit, bool) { Reached(__func__, n, focusEdit); }
void EqualizerManager::SetChDelaySlider(int n) { Reached(__func__, n); }
void EqualizerManager::SetEqFreqUp(int band, bool up) { Reached(__func__, band, up); }
void EqualizerManager::SetEqQUp(int band, bool up) { Reached(__func__, band, up); }
void EqualizerManager::SetEqGainUp(int band, bool up) { Reached(__func__, band, up); }
void EqualizerManager::SetHpFreqUp(bool up) { Reached(__func__, up); }
void EqualizerManager::SetLpFreqUp(bool up) { Reached(__func__, up); }
void EqualizerManager::SetMainVolumeUp(bool up) { Reached(__func__, up); }
void EqualizerManager::SetAccUp(bool up) { Reached(__func__, up); }
void EqualizerManager::SetChVolumeUp(int n, bool up) { Reached(__func__, n, up); }
void EqualizerManager::SetChDelayUp(int n, bool up) { Reached(__func__, n, up); }
void EqualizerManager::SetSpeakerDelayUp(int position, bool up) { Reached(__func__, position, up); }
void EqualizerManager::SetMainVolumeEdit() { Reached(__func__); }
void EqualizerManager::SetAccEdit() { Reached(__func__); }
void EqualizerManager::SetHpFreq() { Reached(__func__); }
void EqualizerManager::SetLpFreq() { Reached(__func__); }
void EqualizerManager::SetChDelayEdit(int n) { Reached(__func__, n); }
void EqualizerManager::SetChVolumeEdit(int n, bool force) { Reached(__func__, n, force); }
void EqualizerManager::SetSpeakerDelayEdit(int position) { Reached(__func__, position); }
void EqualizerManager::SetChEqEdit(int band) { Reached(__func__, band); }
void EqualizerManager::HideChDelaySliders() { Reached(__func__); }
void EqualizerManager::ShowChDelaySlider(int n) { Reached(__func__, n); }
void EqualizerManager::OnSpeakerDelayFocus(int position) { Reached(__func__, position); }
void EqualizerManager::ActivateChannel(int n) { Reached(__func__, n); }
void EqualizerManager::SetDelayUnit() { Reached(__func__); }
void EqualizerManager::SetHpType() { Reached(__func__); }
void EqualizerManager::SetLpType() { Reached(__func__); }
void EqualizerManager::SetHpSlope() { Reached(__func__); }
void EqualizerManager::SetLpSlope() { Reached(__func__); }
void EqualizerManager::SetInputSource() { Reached(__func__); }
void EqualizerManager::OnChannelSelect() { Reached(__func__); }
void EqualizerManager::EqualizerCallback(int index, int cmd) { Reached(__func__, index, cmd); }
void EqualizerManager::ShowOutputMenu(HWND, CControlUI*, CUIStringMap*, CMenuWnd**, CPaintManagerUI*, int n) {
    Reached(__func__, n);
}
void EqualizerManager::ShowOptionMenu(HWND, CControlUI*, CUIStringMap*, CMenuWnd**, CPaintManagerUI*) { Reached(__func__); }
void EqualizerManager::ShowSceneMenu(HWND, CControlUI*, CUIStringMap*, CMenuWnd**, CPaintManagerUI*) { Reached(__func__); }
void EqualizerManager::ShowAdvanceMenu(HWND, CControlUI*, CUIStringMap*, CMenuWnd**, CPaintManagerUI*) { Reached(__func__); }
void EqualizerManager::OnAmpOnOff() { Reached(__func__); }
void EqualizerManager::OnRemOut1() { Reached(__func__); }
void EqualizerManager::OnRemOut2() { Reached(__func__); }
void EqualizerManager::OnSpkOhm() { Reached(__func__); }
void EqualizerManager::OnNoiseGate() { Reached(__func__); }
void EqualizerManager::SetOutputEqReset() { Reached(__func__); }
void EqualizerManager::SetOutputBypass() { Reached(__func__); }
void EqualizerManager::SetOutputReset() { Reached(__func__); }
void EqualizerManager::SetCurChannelChange(int n) { Reached(__func__, n); }
void EqualizerManager::OnChBridge(int pair) { Reached(__func__, pair); }
void EqualizerManager::SetSpeakerFocus(int position) { Reached(__func__, position); }
void EqualizerManager::OnEqEnable(int band) { Reached(__func__, band); }
void EqualizerManager::SetOutpuLock() { Reached(__func__); }
void EqualizerManager::SetOutputLink() { Reached(__func__); }
void EqualizerManager::OnDebugButton() { Reached(__func__); }
void EqualizerManager::SetEqMode() { Reached(__func__); }
void EqualizerManager::SetOutputValue(int output, const wchar_t*) { Reached(__func__, output); }
void EqualizerManager::OnMixerMenu() { Reached(__func__); }
// Sending a loaded profile joins with the page editing; until then the busy popup is only closed again.
void EqualizerManager::SetCurSceneThread() {
    Reached(__func__);
    Post(WM_HIDE_LOADING);
}
void EqualizerManager::SetWholeProfileThread() {
    Reached(__func__);
    Post(WM_HIDE_LOADING);
}
