// Handlers the main window routes to that open tool windows (the DSP memory window behind the debug
// button, the mixer), then the handlers no control calls yet.
#include "EqualizerManager.h"

#include "base/Log.h"
#include "PageControls.h"
#include "windows/MemWrWnd.h"
#include "windows/MixerWnd.h"

#include <io.h>

#include <cerrno>

using namespace PageControls;

void EqualizerManager::OnDebugButton() { ShowMemWrWnd(hMainWnd, device); }
void EqualizerManager::OnMixerMenu() { ShowMixerWnd(hMainWnd, *this); }

// ---------------------------------------------------------------------------------------------------
// Handlers no control of the main page calls (its layout has no such buttons); kept ready for one.

// The DSP auto-effect switch: the button shows its state; sync sends at once instead of queueing.
void EqualizerManager::OnDspOnOff(bool sync) {
    const bool on = IsSelected(btnDspOnOff);
    SetText(btnDspOnOff, on ? L"DSP ON" : L"DSP OFF");
    config.autoEffectOn = on ? 1 : 0;
    device.AUTO_ON_Ctrl(SceneByte(), on ? 1 : 0, sync);
}

void EqualizerManager::RedrawEqualizer(int mode) { UpdateEqualizer(mode); }

// The noise gate's threshold from an open/closed option: -60 dBu open, -100 dBu closed.
void EqualizerManager::SetNoiseOpen(SkinUI::CControlUI* option) {
    const bool open = IsSelected(option);
    SetText(option, open ? L"${noise_open}" : L"${noise_close}");
    config.noiseGateThreshold = open ? kNoiseOpenThreshold : kNoiseClosedThreshold;
    device.Input_Ch_Threshold_Ctrl(static_cast<int8_t>(config.noiseGateThreshold), false);
}

void EqualizerManager::SetIrcActiveBypass(SkinUI::CControlUI* option) {
    device.IRC_Active_Bypass_Ctrl(SceneByte(), IsSelected(option) ? 1 : 0, false);
}

// Present also when it exists but may not be opened.
bool EqualizerManager::IsFilePresent(const wchar_t* path) {
    if (!path || !*path) return false;
    if (_waccess(path, 0) == 0) return true;
    return errno == EACCES;
}
