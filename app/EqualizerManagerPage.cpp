// The tuning controller's view of the main page: binding every control by its layout name, the initial
// page state, and the helpers that show configuration values in the controls. Nothing here sends.
#include "EqualizerManager.h"

#include "base/Log.h"
#include "PageControls.h"
#include "OutputTypeNames.h"
#include "SButton.h"
#include "Settings.h"
#include "UICombo.h"
#include "UIEdit.h"
#include "UIListElement.h"
#include "UIManager.h"
#include "UIOption.h"
#include "UIProgress.h"
#include "UITextResource.h"
#include "model/OutputCurve.h"
#include "model/ResponseMath.h"
#include "model/SectionPowerSum.h"

#include <cmath>
#include <cstdio>

using namespace SkinUI;
using namespace PageControls;

namespace {

constexpr int kComboItemHeight = 16;

std::wstring Formatted(const wchar_t* format, int n) {
    wchar_t name[64];
    _snwprintf(name, 63, format, n);
    name[63] = 0;
    return name;
}

std::wstring Formatted(const wchar_t* format, int a, int b) {
    wchar_t name[64];
    _snwprintf(name, 63, format, a, b);
    name[63] = 0;
    return name;
}

void SetItemHeights(CComboUI* combo, int height) {
    if (!combo) return;
    for (int i = 0; i < combo->GetCount(); ++i)
        if (CControlUI* item = combo->GetItemAt(i)) item->SetFixedHeight(height);
}

}  // namespace

// ---------------------------------------------------------------------------------------------------
// Binding

template <typename T>
static T* FindAs(CPaintManagerUI* manager, const std::wstring& name, const wchar_t* kind) {
    CControlUI* control = manager ? manager->FindControlByName(name.c_str()) : nullptr;
    return control ? static_cast<T*>(control->GetInterface(kind)) : nullptr;
}

CSButtonUI* EqualizerManager::BindSButton(const wchar_t* name) { return FindAs<CSButtonUI>(paintManager, name, L"SButton"); }

void EqualizerManager::Init(CPaintManagerUI* manager, HWND window) {
    hMainWnd = window;
    device.SetMainHwnd(window);
    paintManager = manager;
    BindControls();
    FinishInit();
}

void EqualizerManager::BindControls() {
    CPaintManagerUI* pm = paintManager;
    btnConnect = BindSButton(L"btnConnect");
    btnAmpOnOff = pm->FindControlByName(L"btn_amp_onoff");
    btnDebug = pm->FindControlByName(L"btn_debug");
    Show(btnDebug, IsFileInCurrentDir(L"debug.ini"));
    btnRemOut1 = pm->FindControlByName(L"btn_rem_out1_onoff");
    btnRemOut2 = pm->FindControlByName(L"btn_rem_out2_onoff");
    btnSpkOhm = pm->FindControlByName(L"btn_2ohm_spk");
    btnNoiseGate = pm->FindControlByName(L"btn_noise_gate");
    btnAdvance = pm->FindControlByName(L"btn_advance");
    Show(btnAdvance, true);
    inputSourceCombo = FindAs<CComboUI>(pm, L"btn_input_source", L"Combo");
    FillInputSourceCombo(inputSourceCombo);
    equalizer = pm->FindControlByName(L"equalizer");
    editMainVolume = FindAs<CEditUI>(pm, L"edit_main_volume", L"Edit");
    sliderMainVolume = FindAs<CSliderUI>(pm, L"slider_main_volume", L"Slider");
    editAcc = FindAs<CEditUI>(pm, L"edit_acc", L"Edit");
    sliderAcc = FindAs<CSliderUI>(pm, L"slider_acc", L"Slider");
    if (sliderMainVolume) {
        sliderMainVolume->SetMaxValue(40);
        sliderMainVolume->SetMinValue(0);
        sliderMainVolume->SetValue(30);
    }
    mainMute = pm->FindControlByName(L"main_mute");
    const int itemHeight = pm->GetDpiScaler()->Scale(kComboItemHeight);
    delayUnitCombo = FindAs<CComboUI>(pm, L"comb_ch_unit", L"Combo");
    hpType = FindAs<CComboUI>(pm, L"hp_type", L"Combo");
    lpType = FindAs<CComboUI>(pm, L"lp_type", L"Combo");
    hpFreq = FindAs<CEditUI>(pm, L"hp_freq", L"Edit");
    lpFreq = FindAs<CEditUI>(pm, L"lp_freq", L"Edit");
    hpSlope = FindAs<CComboUI>(pm, L"hp_slop", L"Combo");
    lpSlope = FindAs<CComboUI>(pm, L"lp_slop", L"Combo");
    for (CComboUI* combo : {delayUnitCombo, hpType, lpType, hpSlope, lpSlope}) SetItemHeights(combo, itemHeight);
    for (int k = 0; k < kPageBands; ++k) {
        eqFreq[k] = FindAs<CEditUI>(pm, Formatted(L"eq_freq_%d", k), L"Edit");
        eqQ[k] = FindAs<CEditUI>(pm, Formatted(L"eq_q_%d", k), L"Edit");
        eqGain[k] = FindAs<CEditUI>(pm, Formatted(L"eq_gain_%d", k), L"Edit");
        eqSlider[k] = FindAs<CSliderUI>(pm, Formatted(L"eq_slider_%d", k), L"Slider");
        ptEnable[k] = pm->FindControlByName(Formatted(L"pt_enable_%d", k).c_str());
    }
    for (int i = 0; i < kBridgePairs; ++i) chBridge[i] = pm->FindControlByName(Formatted(L"ch_bridge_%d", i).c_str());
    for (int n = 0; n < OutputCount; ++n) InitChannelControls(n);
    for (int m = 1; m <= kSpeakerMarkers; ++m) InitSpeakerControls(m);
    btnResetEq = pm->FindControlByName(L"btn_reset_eq");
    btnBypass = pm->FindControlByName(L"btn_bypass");
    btnArgEq = pm->FindControlByName(L"btn_arg_eq");
    ShowSelected(btnArgEq, false);
    btnResetOutput = pm->FindControlByName(L"btn_reset_output");
    btnLockOutput = pm->FindControlByName(L"btn_lock_output");
    btnLinkOutput = pm->FindControlByName(L"btn_link_output");
    btnLinkSelect = pm->FindControlByName(L"btn_link_select");
}

void EqualizerManager::InitChannelControls(int n) {
    CPaintManagerUI* pm = paintManager;
    auto find = [&](const wchar_t* format) { return pm->FindControlByName(Formatted(format, n).c_str()); };
    chShow[n] = find(L"ch_show_%d");
    chEnable[n] = find(L"ch_enable_%d");
    chOutputBtn[n] = find(L"ch_output_btn_%d");
    Show(chShow[n], true);
    Show(chEnable[n], true);
    Show(chOutputBtn[n], true);
    labelChannelName = pm->FindControlByName(L"label_channel_name");
    sliderChVolumeSingle = FindAs<CSliderUI>(pm, L"slider_ch_volume", L"Slider");
    sliderChVolume[n] = FindAs<CSliderUI>(pm, Formatted(L"slider_ch_volume_%d", n), L"Slider");
    if (CSliderUI* slider = sliderChVolume[n]) {
        slider->SetVisible(true);
        slider->SetMinValue(-600);
        slider->SetMaxValue(0);
        slider->SetChangeStep(10);
    }
    chVolumeBg[n] = find(L"ch_volume_bg_%d");
    Show(chVolumeBg[n], true);
    editChVolumeSingle = FindAs<CEditUI>(pm, L"edit_ch_volume", L"Edit");
    editChVolume[n] = FindAs<CEditUI>(pm, Formatted(L"edit_ch_volume_%d", n), L"Edit");
    Show(editChVolume[n], true);
    chMuteSingle = pm->FindControlByName(L"ch_mute");
    chPhaseSingle = pm->FindControlByName(L"ch_phase");
    chMute[n] = find(L"ch_mute_%d");
    chPhase[n] = find(L"ch_phase_%d");
    chSynchronize[n] = find(L"ch_synchronize_%d");
    Show(chMute[n], true);
    Show(chPhase[n], true);
    Show(chSynchronize[n], true);
    config.syncGroup[n] = 0;
    sliderChDelay[n] = FindAs<CSliderUI>(pm, Formatted(L"slider_ch_delay_%d", n), L"Slider");
    Show(sliderChDelay[n], false);
    delayLabel[n] = find(L"delay_lable_%d");
    editChDelay[n] = FindAs<CEditUI>(pm, Formatted(L"edit_ch_delay_%d", n), L"Edit");
    controlEmpty[n] = find(L"control_empty_%d");
    Show(delayLabel[n], true);
    Show(editChDelay[n], true);
    Show(controlEmpty[n], true);
    for (int j = 0; j < kRoutingInputs; ++j)
        routing[j][n] = pm->FindControlByName(Formatted(L"option_ch_in%d_%d", j, n).c_str());
    input123[n] = find(L"input_123_%d");
    input456[n] = find(L"input_456_%d");
    Show(input123[n], false);
    Show(input456[n], false);
}

void EqualizerManager::InitSpeakerControls(int m) {
    CPaintManagerUI* pm = paintManager;
    speaker[m] = pm->FindControlByName(Formatted(L"speaker_%d", m).c_str());
    if (speaker[m]) {
        speaker[m]->SetText(L"");
        speaker[m]->SetVisible(false);
    }
    spkCon[m] = pm->FindControlByName(Formatted(L"spk_con_%d", m).c_str());
    spkDelay[m] = FindAs<CEditUI>(pm, Formatted(L"spk_delay_%d", m), L"Edit");
    Show(spkCon[m], false);
    Show(spkDelay[m], false);
}

void EqualizerManager::FinishInit() {
    ShowRoutingOptions();
    mApplyingReply = true;
    if (sliderMainVolume) SetSlider(sliderMainVolume, config.mainVolume);
    SetMainVolumeEditText(sliderMainVolume ? sliderMainVolume->GetValue() : config.mainVolume);
    mApplyingReply = false;
    // Item 5 is the start-up choice of the source combo; its notification sets the source.
    if (inputSourceCombo && inputSourceCombo->GetCount() > 5) inputSourceCombo->SelectItem(5, false);
    ShowSelected(chEnable[0], true);
    ShowOutputTypes();
    if (btnConnect) paintManager->FocusControl(btnConnect);
}

void EqualizerManager::FillInputSourceCombo(CComboUI* combo) {
    if (!combo) return;
    const int itemHeight = paintManager->GetDpiScaler()->Scale(kComboItemHeight);
    SetItemHeights(combo, itemHeight);
    SIZE box = combo->GetDropBoxSize();
    box.cy = kComboItemHeight * combo->GetCount();
    combo->SetDropBoxSize(box);
    static const struct {
        const wchar_t* name;
        bool shown;
    } kItems[] = {{L"source_opt", true},  {L"source_coax", false}, {L"source_bt", true},
                  {L"source_aux", false}, {L"source_low", true},   {L"source_hi", true},
                  {L"source_dmp", true},  {L"source_udp", false},  {L"source_scp", false}};
    for (const auto& item : kItems)
        if (CControlUI* control = combo->FindSubControl(item.name)) control->SetVisible(item.shown);
}

// ---------------------------------------------------------------------------------------------------
// Accessors

CEditUI* EqualizerManager::ChDelayEdit(int n) const { return n >= 0 && n < OutputCount ? editChDelay[n] : nullptr; }
CSliderUI* EqualizerManager::ChDelaySlider(int n) const { return n >= 0 && n < OutputCount ? sliderChDelay[n] : nullptr; }

CSliderUI* EqualizerManager::ChVolumeSlider(int n) const {
    if (n < 0 || n >= OutputCount) return nullptr;
    if (sliderChVolume[n]) return sliderChVolume[n];
    return n == config.currOutChannel ? sliderChVolumeSingle : nullptr;
}

CEditUI* EqualizerManager::ChVolumeEdit(int n) const {
    if (n < 0 || n >= OutputCount) return nullptr;
    if (editChVolume[n]) return editChVolume[n];
    return n == config.currOutChannel ? editChVolumeSingle : nullptr;
}

CControlUI* EqualizerManager::ChMuteOption(int n) const {
    if (n < 0 || n >= OutputCount) return nullptr;
    if (chMute[n]) return chMute[n];
    return n == config.currOutChannel ? chMuteSingle : nullptr;
}

CControlUI* EqualizerManager::ChPhaseOption(int n) const {
    if (n < 0 || n >= OutputCount) return nullptr;
    if (chPhase[n]) return chPhase[n];
    return n == config.currOutChannel ? chPhaseSingle : nullptr;
}

CSliderUI* EqualizerManager::FirstVolumeSlider() const { return sliderChVolume[0] ? sliderChVolume[0] : sliderChVolumeSingle; }

bool EqualizerManager::ClampToSlider(CSliderUI* slider, float& value) {
    if (!slider) return false;
    if (value > slider->GetMaxValue()) value = static_cast<float>(slider->GetMaxValue());
    if (value < slider->GetMinValue()) value = static_cast<float>(slider->GetMinValue());
    return static_cast<int>(std::lround(value)) != slider->GetValue();
}

// ---------------------------------------------------------------------------------------------------
// Showing values

void EqualizerManager::UpdateChVolumeEdit(int n, int value) {
    CEditUI* edit = ChVolumeEdit(n);
    if (!edit) return;
    CSliderUI* first = FirstVolumeSlider();
    const int minimum = first ? first->GetMinValue() : -600;
    if (value == minimum) {
        edit->SetText(CTextResource::GetInstance()->GetText(L"${off}").Data());
        return;
    }
    SetInt(edit, L"%ddB", value / 10);
}

void EqualizerManager::SetMainVolumeEditText(int value) {
    if (!editMainVolume) return;
    if (value == 0) {
        editMainVolume->SetText(CTextResource::GetInstance()->GetText(L"${off}").Data());
        return;
    }
    SetInt(editMainVolume, L"%d", value);
}

void EqualizerManager::ShowOutputTypes() {
    for (int n = 0; n < OutputCount; ++n) {
        const wchar_t* name = OutputTypeButtonText(config.outputs[n]);
        SetText(chOutputBtn[n], name ? name : L"");
    }
    PlaceSpeakerMarkers();
}

void EqualizerManager::PlaceSpeakerMarkers() {
    for (int m = 1; m <= kSpeakerMarkers; ++m) {
        Show(speaker[m], false);
        Show(spkDelay[m], false);
        Show(spkCon[m], false);
    }
    for (int n = 0; n < OutputCount; ++n) {
        const int position = config.outputs[n];
        if (position <= 0 || position > kSpeakerMarkers) continue;
        if (speaker[position]) speaker[position]->SetVisible(true);
        if (CEditUI* edit = spkDelay[position]) {
            const float delay = config.channels[n].delay;
            const int unit = delayUnitCombo ? delayUnitCombo->GetCurSel() : 0;
            if (unit == 1)
                SetInt(edit, L"%d", static_cast<int>(std::lround(delay * 519 / 15)));
            else if (unit == 2)
                SetInt(edit, L"%d", static_cast<int>(std::lround(delay * 204 / 15)));
            else
                SetNumber(edit, L"%.3f", delay);
            edit->SetVisible(true);
        }
        Show(spkCon[position], true);
    }
}

void EqualizerManager::ShowRoutingOptions() {
    const int source = config.inputSource >= 0 && config.inputSource < SourceCount ? config.inputSource : 0;
    const int inputs = GetSourceExtraChannels(source);
    for (int n = 0; n < OutputCount; ++n) {
        const int mask = config.inputs[source][n];
        for (int j = 0; j < kRoutingInputs; ++j) {
            CControlUI* option = routing[j][n];
            if (!option) continue;
            ShowSelected(option, (mask >> j) & 1);
            option->SetVisible(j < inputs);
            option->SetEnabled(j < inputs);
        }
    }
}

// ---------------------------------------------------------------------------------------------------
// Curves

void EqualizerManager::UpdateEqCurve(int output, bool bypassed, int points) {
    if (output < 0 || output >= OutputCount || points != CurvePoints) return;
    ChannelConfig& channel = config.channels[output];
    // The program's one axis, with its trigonometry computed once.
    const double* axis = CurveAxisTable::Standard().Axis();
    // The crossover caches always follow; an output without bands keeps its own curve.
    double sum[CurvePoints];
    OutputResponseDb(channel, bypassed, axis, CurvePoints, config.hpCurve, config.lpCurve, sum);
    if (channel.eqSize <= 0) return;
    for (int i = 0; i < CurvePoints; ++i) {
        config.eqCurves[output][i] = axis[i];
        config.sumCurves[output][i] = sum[i];
    }
}
