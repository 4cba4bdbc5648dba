// The controls that act on the amplifier as a whole: main volume and mute, the input source with the
// routing options of every output, and the on/off switches (amplifier, remote outputs, speaker
// impedance, noise gate).
#include "EqualizerManager.h"

#include "base/Log.h"
#include "PageControls.h"
#include "UICombo.h"
#include "UIManager.h"

#include <cmath>
#include <cwchar>

using namespace SkinUI;
using namespace PageControls;

namespace {

constexpr DWORD kSwitchOnText = 0xFFFFFFFF;
constexpr DWORD kSwitchOffText = 0xFFFF0000;
constexpr uint8_t kFirstSourceCode = 0x51;

// Shows a switch: text, selection and the white (on) or red (off) text colour.
void ShowSwitch(CControlUI* button, bool on, const wchar_t* onText, const wchar_t* offText) {
    button->SetText(on ? onText : offText);
    ShowSelected(button, on);
    SetTextColor(button, on ? kSwitchOnText : kSwitchOffText);
}

// Stores a switch's state and shows it; without its button the field keeps the value the amplifier
// starts with.
void ApplySwitch(CControlUI* button, int32_t& field, bool on, int32_t withoutButton, const wchar_t* onText,
                 const wchar_t* offText) {
    if (!button) {
        field = withoutButton;
        return;
    }
    field = on ? 1 : 0;
    ShowSwitch(button, on, onText, offText);
}

}  // namespace

// ---------------------------------------------------------------------------------------------------
// Main volume and mute

void EqualizerManager::SetMainVolumeSlider() {
    if (!sliderMainVolume) return;
    LogPrintA("SetMainVolumeSlider %g\n", static_cast<double>(sliderMainVolume->GetValue()));
    SetMainVolumeRelatedAfterDecidedValue(static_cast<float>(sliderMainVolume->GetValue()));
}

void EqualizerManager::SetMainVolumeUp(bool up) {
    LogPrintA("SetMainVolumeUp %d \n", up ? 1 : 0);
    if (StepSlider(sliderMainVolume, up, 1)) SetMainVolumeSlider();
}

void EqualizerManager::SetMainVolumeEdit() {
    if (!editMainVolume) return;
    const std::wstring text = editMainVolume->GetText().Data();
    LogPrintW(L"SetMainVolumeEdit %ls\n", text.c_str());
    float value = text == Lang(L"${off}") ? 0.0f : static_cast<float>(_wtoi(text.c_str()));
    if (sliderMainVolume) {
        SetSliderClampedValue(sliderMainVolume, value);
        value = static_cast<float>(sliderMainVolume->GetValue());
    }
    SetMainVolumeRelatedAfterDecidedValue(value);
}

void EqualizerManager::SetMainVolumeRelatedAfterDecidedValue(float value) {
    LogPrintA("SetMainVolumeRelatedAfterDecidedValue %g\n", static_cast<double>(value));
    config.mainVolume = static_cast<int32_t>(std::lround(value));
    // The amplifier takes the attenuation below +6 dB.
    device.Main_Volume_Ctrl(6.0f - VolumeToDb(value), false);
    SetMainVolumeEditText(static_cast<int>(std::lround(value)));
    FocusAndSelectAll(editMainVolume);
    // Changing the volume unmutes.
    SetMainMuteValue(false);
}

void EqualizerManager::SetMainMute() {
    const int value = IsSelected(mainMute) ? 1 : 0;
    LogPrintA("set main mute to %d\n", value);
    config.mainVolumeMute = value;
    device.Mute_Ctrl(static_cast<uint8_t>(value), false);
}

void EqualizerManager::SetMainMuteValue(bool mute) {
    ShowSelected(mainMute, mute);
    LogPrintA("set main mute to %d\n", mute ? 1 : 0);
    config.mainVolumeMute = mute ? 1 : 0;
    device.Mute_Ctrl(mute ? 1 : 0, false);
}

void EqualizerManager::UpdateAllVolumeEdit() {
    LogPrintA("%s\n", "EqualizerManager::UpdateAllVolumeEdit");
    LogPrintA("on main volume edit change to %d dB\n", config.mainVolume);
    if (sliderMainVolume) {
        float value = static_cast<float>(config.mainVolume);
        mApplyingReply = true;  // the slider follows the stored value; nothing is sent
        SetSliderClampedValue(sliderMainVolume, value);
        mApplyingReply = false;
    }
    SetMainVolumeEditText(config.mainVolume);
    for (int n = 0; n < OutputCount; ++n) {
        LogPrintA("on ch volume edit change to %d dB\n", config.mainVolume);
        UpdateChVolumeEdit(n, static_cast<int>(config.channels[n].gain * 10));
    }
}

// ---------------------------------------------------------------------------------------------------
// Input source and routing

void EqualizerManager::SetInputSource() {
    if (!inputSourceCombo) return;
    const int source = inputSourceCombo->GetCurSel();
    LogPrintA("on %s index %d\n", "EqualizerManager::SetInputSource", source);
    if (source < 0 || source >= SourceCount) return;
    config.inputSource = source;
    ShowRoutingOptions();
    if (btnConnect && btnConnect->IsSelected()) {
        // Sent at once: the amplifier switches before its volume for that source is read.
        device.Source_Switch_Ctrl(static_cast<uint8_t>(kFirstSourceCode + source), true);
        if (startMainVolumePoll) startMainVolumePoll();
    }
}

void EqualizerManager::SetInputIn(int input, int output) {
    if (input < 0 || input >= kRoutingInputs || output < 0 || output >= OutputCount) return;
    LogPrintA("SetInputIn in %d out %d\n", input, output);
    const bool selected = IsSelected(routing[input][output]);
    const int s = config.inputSource >= 0 && config.inputSource < SourceCount ? config.inputSource : 0;
    int32_t& mask = config.inputs[s][output];
    if (selected)
        mask |= 1 << input;
    else
        mask &= ~(1 << input);
    LogPrintA("outCh %d input = 0x%x\n", output, mask);
    const uint8_t scene = static_cast<uint8_t>(config.scene);
    device.Mix_Ch_Ctrl(scene, static_cast<uint8_t>(s), static_cast<uint8_t>(output), static_cast<uint8_t>(output), &mask,
                       false);
    int32_t& level = config.inputMixVolume[s][input][output];
    if (selected && level == 0) {
        // A newly routed input starts at full level.
        level = 100;
        const uint8_t full = 100;
        device.Input_Mix_Trim_Ctrl(0, static_cast<uint8_t>(s), static_cast<uint8_t>(input), static_cast<uint8_t>(output),
                                   static_cast<uint8_t>(output), &full, false);
    }
}

// ---------------------------------------------------------------------------------------------------
// Switches

void EqualizerManager::OnAmpOnOff() {
    const bool on = btnAmpOnOff ? !IsSelected(btnAmpOnOff) : true;
    SetAmpOnOffButton(on);
    device.Amp_Mute_Ctrl(on ? 0 : 1, false);
}

void EqualizerManager::OnRemOut1() {
    const bool on = btnRemOut1 ? !IsSelected(btnRemOut1) : true;
    SetRemOut1OnOffButton(on);
    device.Rem_Out_Ctrl(IsSelected(btnRemOut1) ? 1 : 0, IsSelected(btnRemOut2) ? 1 : 0, false);
}

void EqualizerManager::OnRemOut2() {
    const bool on = btnRemOut2 ? !IsSelected(btnRemOut2) : true;
    SetRemOut2OnOffButton(on);
    device.Rem_Out_Ctrl(IsSelected(btnRemOut1) ? 1 : 0, IsSelected(btnRemOut2) ? 1 : 0, false);
}

void EqualizerManager::OnSpkOhm() {
    const bool on = btnSpkOhm ? !IsSelected(btnSpkOhm) : true;
    SetSpkOhmButton(on);
    device.Spk_Ohm_Ctrl(IsSelected(btnSpkOhm) ? 1 : 0, false);
}

void EqualizerManager::OnNoiseGate() {
    const bool on = btnNoiseGate ? !IsSelected(btnNoiseGate) : true;
    SetNoiseGateButton(on);
    device.Noise_Gate_Ctrl(IsSelected(btnNoiseGate) ? 1 : 0, false);
}

void EqualizerManager::SetAmpOnOffButton(bool on) {
    ApplySwitch(btnAmpOnOff, config.ampOn, on, 1, L"${amp_on}", L"${amp_off}");
}

void EqualizerManager::SetRemOut1OnOffButton(bool on) {
    LogPrintA("SetRemOut1OnOffButton : %d\n", on ? 1 : 0);
    ApplySwitch(btnRemOut1, config.remOut1, on, 1, L"${rem_out1_on}", L"${rem_out1_off}");
}

void EqualizerManager::SetRemOut2OnOffButton(bool on) {
    LogPrintA("SetRemOut2OnOffButton : %d\n", on ? 1 : 0);
    ApplySwitch(btnRemOut2, config.remOut2, on, 1, L"${rem_out2_on}", L"${rem_out2_off}");
}

void EqualizerManager::SetSpkOhmButton(bool on) {
    LogPrintA("SetSpkOhmButton : %d\n", on ? 1 : 0);
    ApplySwitch(btnSpkOhm, config.spkOhm, on, 1, L"${btn_2ohm_spk}", L"${btn_4ohm_spk}");
}

void EqualizerManager::SetNoiseGateButton(bool on) {
    LogPrintA("SetNoiseGateButton : %d\n", on ? 1 : 0);
    ApplySwitch(btnNoiseGate, config.noiseGate, on, 0, L"${btn_noise_gate_on}", L"${btn_noise_gate_off}");
}
