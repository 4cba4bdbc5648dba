// Output channel editing: gain, mute, phase, curve switch, sync groups, the current channel, and the
// link, lock, bridge and reset buttons that act on the outputs as a whole. Each edit stores the value,
// rewrites the controls and queues the command; an edit of one output then reaches the other outputs
// of its sync group and, last, the link partner of the current output.
#include "EqualizerManager.h"
#include "MsgCheckWnd.h"

#include "base/Log.h"
#include "MsgWnd.h"
#include "OutputTypeNames.h"
#include "PageControls.h"
#include "UIManager.h"
#include "model/ChannelRules.h"
#include "model/ValueRanges.h"

#include <cmath>
#include <cwchar>
#include <cwctype>

using namespace SkinUI;
using namespace PageControls;

namespace {

bool IsOutput(int n) { return n >= 0 && n < OutputCount; }

// Default speaker positions of outputs 0..9 by the amplifier's output count; null for other counts.
const int* DefaultPositions(int outputCount) {
    static const int k6[OutputCount] = {6, 12, 15, 18, 22, 23, 0, 0, 6, 12};
    static const int k8[OutputCount] = {6, 12, 15, 18, 19, 20, 22, 23, 6, 12};
    static const int k10[OutputCount] = {6, 12, 15, 18, 19, 20, 14, 17, 22, 23};
    static const int k12[OutputCount] = {1, 7, 2, 8, 3, 9, 13, 16, 14, 17};
    static const int k16[OutputCount] = {1, 7, 2, 8, 13, 16, 0, 0, 19, 20};
    switch (outputCount) {
    case 6: return k6;
    case 8: return k8;
    case 10: return k10;
    case 12: return k12;
    case 16: return k16;
    default: return nullptr;
    }
}

}  // namespace

// ---------------------------------------------------------------------------------------------------
// Slider helpers

bool EqualizerManager::StepSlider(CSliderUI* slider, bool up, float step) {
    if (!slider) return false;
    const int old = slider->GetValue();
    float value = static_cast<float>(old) + (up ? step : -step);
    if (value > slider->GetMaxValue()) value = static_cast<float>(slider->GetMaxValue());
    if (value < slider->GetMinValue()) value = static_cast<float>(slider->GetMinValue());
    const int rounded = static_cast<int>(std::lround(value));
    if (rounded == old) return false;
    slider->SetValue(rounded);
    return true;
}

void EqualizerManager::SetSliderClampedValue(CSliderUI* slider, float& value) {
    if (ClampToSlider(slider, value)) slider->SetValue(static_cast<int>(std::lround(value)));
}

// ---------------------------------------------------------------------------------------------------
// Gain

void EqualizerManager::SetChVolumeSlider(int n, bool switchChannel, bool force) {
    if (!IsOutput(n)) return;
    if (switchChannel && n != CurrentOutput()) ActivateChannel(n);
    CSliderUI* slider = ChVolumeSlider(n);
    const int value = slider ? slider->GetValue() : static_cast<int>(config.channels[n].gain * 10);
    SetChVolume(n, value, switchChannel, force);
}

void EqualizerManager::SetChVolumeEdit(int n, bool force) {
    if (!IsOutput(n)) return;
    if (n != CurrentOutput()) ActivateChannel(n);
    bool ok = false;
    const int db = ParseChVolumeEdit(n, &ok);
    if (!ok) {
        // Not a gain: the old text comes back and nothing changes (reading it as 0 dB would be full level).
        UpdateChVolumeEdit(n, static_cast<int>(config.channels[n].gain * 10));
        LogPrintW(L"channel %d volume edit not a gain, ignored\n", n);
        return;
    }
    SetChVolume(n, db * 10, true, force);
}

void EqualizerManager::SetChVolumeUp(int n, bool up) {
    LogPrintA("SetChVolumeUp %d \n", up ? 1 : 0);
    if (StepSlider(ChVolumeSlider(n), up, 10)) SetChVolumeSlider(n, true, false);
}

void EqualizerManager::SetChVolume(int n, int value, bool focusEdit, bool force) {
    if (!IsOutput(n)) return;
    const float old = config.channels[n].gain;
    ApplyChGain(n, static_cast<float>(value), focusEdit);
    if (focusEdit) FocusAndSelectAll(ChVolumeEdit(n));
    const float delta = config.channels[n].gain - old;
    if (delta == 0 && !force) return;
    const int group = config.syncGroup[n];
    if (group >= 1) {
        UpdateLinkPartner();
        bool done[OutputCount] = {};
        done[n] = true;
        for (int j = 0; j < OutputCount; ++j) {
            if (done[j] || config.syncGroup[j] != group || j == partnerOutput) continue;
            done[j] = true;
            const float moved = static_cast<float>(static_cast<int>((delta + config.channels[j].gain) * 10));
            ApplyChGain(j, moved, focusEdit);
            const int other = j ^ 1;
            if (config.outputBridge[j / 2] && !done[other]) {
                done[other] = true;
                ApplyChGain(other, moved, focusEdit);
            }
        }
    }
    UpdateLinkPartner();
    if (hasPartner) {
        const int p = partnerOutput;
        ApplyChGain(p, static_cast<float>(static_cast<int>((delta + config.channels[p].gain) * 10)), focusEdit);
    }
}

void EqualizerManager::ApplyChGain(int n, float value, bool unmute) {
    if (!IsOutput(n)) return;
    if (CSliderUI* slider = ChVolumeSlider(n)) {
        SetSliderClampedValue(slider, value);
        value = static_cast<float>(slider->GetValue());
    } else {
        ClampToSlider(ChVolumeSlider(CurrentOutput()), value);
    }
    config.channels[n].gain = value / 10;
    SendChTrim(n);
    UpdateChVolumeEdit(n, static_cast<int>(value));
    // A gain change made on the page always unmutes the outputs it reaches.
    if (unmute) SetChMute(n, false);
}

int EqualizerManager::ParseChVolumeEdit(int n, bool* ok) const {
    if (ok) *ok = false;
    CEditUI* edit = ChVolumeEdit(n);
    if (!edit) return 0;
    const std::wstring text = edit->GetText().Data();
    if (text == Lang(L"${off}")) {
        if (ok) *ok = true;
        return -60;
    }
    // "-0x10" is no gain: read as its leading 0 it would be full level.
    int32_t value = 0;
    if (!ReadIntegerText(text.c_str(), -1000, 1000, &value)) return 0;
    if (ok) *ok = true;
    return value;
}

void EqualizerManager::SendChTrim(int n) {
    if (!IsOutput(n)) return;
    // The amplifier takes the attenuation as a positive number.
    const float trim = 0 - config.channels[n].gain;
    device.Trim_Ctrl(static_cast<uint8_t>(config.scene), 0, static_cast<uint8_t>(n), static_cast<uint8_t>(n), &trim, false);
}

void EqualizerManager::PropagateGainToSubwoofers(int n, float value, bool unmute) {
    if (!IsOutput(n)) return;
    auto isSub = [](OutputType type) { return type == 22 || type == 23; };
    if (!isSub(config.outputs[n])) return;
    for (int j = 0; j < OutputCount; ++j)
        if (j != n && isSub(config.outputs[j]) && config.channels[j].gain != value / 10) ApplyChGain(j, value, unmute);
}

// ---------------------------------------------------------------------------------------------------
// Whole-output senders

void EqualizerManager::SendChEqAndFilter(int n) {
    if (!IsOutput(n)) return;
    const uint8_t scene = static_cast<uint8_t>(config.scene);
    const uint8_t out = static_cast<uint8_t>(n);
    ChannelConfig& channel = config.channels[n];
    for (int b = 0; b < channel.eqSize && channel.eqArray; ++b) {
        const EqBand& band = channel.eqArray[b];
        device.EQ_Ctrl(scene, 0, out, static_cast<uint8_t>(b), static_cast<uint16_t>(band.freq), band.factor,
                       band.SentGain(), false);
    }
    const Crossover& xo = channel.crossover;
    device.Filter_Ctrl(scene, 0, out, 1, xo.GetLpFreq(), xo.GetLpSlope(), xo.GetLpType(), false);
    device.Filter_Ctrl(scene, 0, out, 2, xo.GetHpFreq(), xo.GetHpSlope(), xo.GetHpType(), false);
    device.PEQ_Bypass_Ctrl(scene, 0, out, out, &channel.bypass, false);
}

// The routing masks of one output, every source's.
void EqualizerManager::SendChRouting(int n) {
    if (!IsOutput(n)) return;
    for (int s = 0; s < SourceCount; ++s)
        device.Mix_Ch_Ctrl(static_cast<uint8_t>(config.scene), static_cast<uint8_t>(s), static_cast<uint8_t>(n),
                           static_cast<uint8_t>(n), &config.inputs[s][n], false);
}

void EqualizerManager::SendInputMixTrim(int n) {
    if (!IsOutput(n)) return;
    for (int s = 0; s < SourceCount; ++s)
        for (int i = 0; i < kRoutingInputs; ++i) {
            const uint8_t level = static_cast<uint8_t>(config.inputMixVolume[s][i][n] & 0xFF);
            device.Input_Mix_Trim_Ctrl(0, static_cast<uint8_t>(s), static_cast<uint8_t>(i), static_cast<uint8_t>(n),
                                       static_cast<uint8_t>(n), &level, false);
        }
}

// ---------------------------------------------------------------------------------------------------
// Mute, phase, curve switch

void EqualizerManager::SetChMute(int n, bool mute) {
    if (!IsOutput(n)) return;
    ShowSelected(ChMuteOption(n), mute);
    LogPrintW(L"channel %d mute seleted %d\n", n, mute ? 1 : 0);
    config.channels[n].mute = mute ? 1 : 0;
    uint8_t mutes[OutputCount];
    for (int i = 0; i < OutputCount; ++i) mutes[i] = static_cast<uint8_t>(config.channels[i].mute);
    device.Mute_Ch_Ctrl(static_cast<uint8_t>(config.scene), 0, static_cast<uint8_t>(n), static_cast<uint8_t>(n), &mutes[n],
                        false);
}

void EqualizerManager::OnChMuteOption(int n) {
    if (!IsOutput(n)) return;
    if (CControlUI* option = ChMuteOption(n)) config.channels[n].mute = IsSelected(option) ? 1 : 0;
    const bool mute = config.channels[n].mute != 0;
    SetChMute(n, mute);
    if (config.outputBridge[n / 2]) SetChMute(n ^ 1, mute);
}

void EqualizerManager::SetChPhase(int n, bool reversed) {
    if (!IsOutput(n)) return;
    LogPrintW(L"channel %d phase seleted %d\n", n, reversed ? 1 : 0);
    CControlUI* option = ChPhaseOption(n);
    ShowSelected(option, reversed);
    if (option) option->SetText(reversed ? L"${reverse phase}" : L"${positive_phase}");
    config.channels[n].phase = reversed ? 1 : 0;
    // A phase the amplifier reported is only shown.
    if (mApplyingReply) return;
    uint8_t phases[OutputCount];
    for (int i = 0; i < OutputCount; ++i) phases[i] = static_cast<uint8_t>(config.channels[i].phase);
    device.Phase_Ctrl(static_cast<uint8_t>(config.scene), 0, static_cast<uint8_t>(n), static_cast<uint8_t>(n), &phases[n],
                      false);
}

void EqualizerManager::OnChPhaseOption(int n) {
    if (!IsOutput(n)) return;
    const bool reversed = IsSelected(ChPhaseOption(n));
    SetChPhase(n, reversed);
    if (config.outputBridge[n / 2]) SetChPhase(n ^ 1, reversed);
}

void EqualizerManager::SetChShow(int n) {
    if (!IsOutput(n)) return;
    config.showOutChEqualizer[n] = IsSelected(chShow[n]) ? 1 : 0;
    UpdateEqCurve(n, config.channels[n].bypass == 1, CurvePoints);
    UpdateEqualizer(-1);
}

// ---------------------------------------------------------------------------------------------------
// Sync groups and the current channel

void EqualizerManager::SetChSynchronize(int n) {
    if (!IsOutput(n)) return;
    const int group = IsSelected(chSynchronize[n]) ? 1 : 0;
    LogPrintW(L"channel %d synchronize seleted %d\n", n, group);
    config.syncGroup[n] = group;
    if (group) {
        ShowSelected(chEnable[n], true);
        Enable(btnLinkOutput, false);
        const int current = CurrentOutput();
        const int currentGroup = config.syncGroup[current];
        if (currentGroup != 0) {
            for (int j = 0; j < OutputCount; ++j) {
                if (config.syncGroup[j] != currentGroup) continue;
                config.channels[j].bypass = config.channels[current].bypass;
                device.PEQ_Bypass_Ctrl(static_cast<uint8_t>(config.scene), 0, static_cast<uint8_t>(j),
                                       static_cast<uint8_t>(j), &config.channels[j].bypass, false);
            }
        }
    } else {
        ShowSelected(chEnable[n], false);
        Enable(btnLinkOutput, true);
    }
    bool anyGroup = false;
    for (int j = 0; j < OutputCount; ++j) anyGroup = anyGroup || config.syncGroup[j] != 0;
    if (anyGroup) Enable(btnLinkOutput, false);
    if (group == 0) {
        SetCurChannelChange(n);
        return;
    }
    // The stored gains are sent again as they are: re-reading them from the edits' whole-dB texts would
    // round them, and turn an output shown as off into full level.
    for (int j = 0; j < OutputCount; ++j) SendChTrim(j);
    SetCurChannelChange(n);
}

void EqualizerManager::ShowCurrentChannelOptions() {
    const int n = CurrentOutput();
    for (int i = 0; i < OutputCount; ++i) ShowSelected(chEnable[i], i == n);
    UpdateLinkPartner();
    if (hasPartner) ShowSelected(chEnable[partnerOutput], true);
}

void EqualizerManager::ShowCurrentSpeakerMarkers() {
    const int n = CurrentOutput();
    UpdateLinkPartner();
    for (int m = 1; m <= kSpeakerMarkers; ++m) {
        const bool mine = config.outputs[n] == m;
        const bool partners = hasPartner && config.outputs[partnerOutput] == m;
        ShowSelected(speaker[m], mine || partners);
    }
}

void EqualizerManager::SetCurChannelChange(int n) {
    if (!IsOutput(n)) return;
    LogPrintW(L"on SetCurChannelChange channel index %d\n", n);
    config.currOutChannel = n;
    ShowCurrentChannelOptions();
    if (labelChannelName) labelChannelName->SetText(Format(L"CH%d", n + 1).c_str());
    const int value = static_cast<int>(config.channels[n].gain * 10);
    if (editChVolumeSingle) UpdateChVolumeEdit(n, value);
    if (sliderChVolumeSingle) {
        float v = static_cast<float>(value);
        SetSliderClampedValue(ChVolumeSlider(n), v);
    }
    for (int i = 0; i < config.outputCount && i < OutputCount; ++i)
        if (config.showOutChEqualizer[i] == 1) ShowSelected(chShow[i], true);
    ShowCurrentSpeakerMarkers();
    RefreshCrossoverControls();
    RefreshEqBandControls();
    const ChannelConfig& channel = config.channels[n];
    if (channel.eqSize > 0 && btnBypass) {
        bool anyEnabled = false;
        for (int k = 0; k < kPageBands && k < channel.eqSize; ++k) anyEnabled = anyEnabled || IsSelected(ptEnable[k]);
        btnBypass->SetText(anyEnabled ? L"${bypass_eq}" : L"${restore_eq}");
    }
    UpdateEqualizer(-1);
}

void EqualizerManager::UpdateLinkPartner() {
    partnerOutput = -1;
    hasPartner = 0;
    const int current = CurrentOutput();
    if (config.linkMode == 1 && config.linkOutputs[current] != -1) {
        const int p = config.linkOutputs[current];
        if (!IsOutput(p)) return;
        partnerOutput = p;
    } else if (config.outputBridge[current / 2]) {
        partnerOutput = current ^ 1;
    }
    hasPartner = partnerOutput != -1;
}

void EqualizerManager::OnChannelSelect() { LogPrintW(L"on btn_channel_select\n"); }

void EqualizerManager::ActivateChannel(int n) {
    if (!IsOutput(n) || n == CurrentOutput()) return;
    // The option's own click handler switches the output; an option that cannot take the click is
    // switched here.
    if (!chEnable[n] || !chEnable[n]->Activate()) SetCurChannelChange(n);
    ShowCurrentChannelOptions();
}

// ---------------------------------------------------------------------------------------------------
// Link, lock, reset, bridge

int EqualizerManager::ShowMsgCheckBoxWnd(HWND parent, const wchar_t* title, const wchar_t* text,
                                         const wchar_t* const* boxes) {
    if (checkBoxQuestion) return checkBoxQuestion(parent, title, text, boxes);
    return RunMsgCheckBoxWnd(parent, title, text, boxes[0], boxes[1]);
}

void EqualizerManager::SetOutputLink() {
    LogPrintA("on %s\n", "EqualizerManager::SetOutputLink");
    if (!config.HasPairInSameBank()) {
        ShowSelected(btnLinkOutput, false);
        config.linkMode = 0;
        device.CH_Link_Ctrl(0, 0, 0, nullptr, false);
        const wchar_t* captions[] = {L"${confirm}", L"", L""};
        ShowMsgWndButtons(hMainWnd, L"${tips}", L"${not_linkable_tips}", captions, 1);
        return;
    }
    uint8_t pairs[2 * OutputCount] = {};
    int pairCount = 0;
    if (config.linkMode) {
        for (CControlUI* option : chSynchronize) Enable(option, true);
        config.linkMode = 0;
        ShowSelected(btnLinkOutput, false);
        for (int& partner : config.linkOutputs) partner = -1;
        config.lockMode = 0;
        ShowSelected(btnLockOutput, false);
        device.CH_Lock_Ctrl(0, 0, false);
        for (CControlUI* button : chOutputBtn) Enable(button, true);
    } else {
        const wchar_t* boxes[] = {L"${copy_left_to_right}", L"${copy_right_to_left}"};
        const int answer = ShowMsgCheckBoxWnd(hMainWnd, L"${tips}", L"${link_tips}", boxes);
        LogPrintW(L"CMsgCheckBoxWnd %d\n", answer);
        if (answer != 1 && answer != 2) {
            ShowSelected(btnLinkOutput, false);
            return;
        }
        for (CControlUI* option : chSynchronize) Enable(option, false);
        config.linkMode = 1;
        ShowSelected(btnLinkOutput, true);
        config.lockMode = 1;
        ShowSelected(btnLockOutput, true);
        device.CH_Lock_Ctrl(0, 1, false);
        for (CControlUI* button : chOutputBtn) Enable(button, false);
        for (int i = 0; i < OutputCount; ++i) {
            config.linkOutputs[i] = -1;
            if (config.outputs[i] == 0) continue;
            const OutputType paired = GetPairedOutputType(config.outputs[i]);
            for (int j = 0; j < OutputCount; ++j) {
                if (j != i && config.outputs[j] == paired && IsSameOutputGroup(i, j)) {
                    config.linkOutputs[i] = j;
                    break;
                }
            }
        }
        for (int i = 0; i < OutputCount; ++i) {
            const int p = config.linkOutputs[i];
            if (p < 0) continue;
            const bool leftToRight = answer == 1 && config.outputs[i] < config.outputs[p];
            const bool rightToLeft = answer == 2 && config.outputs[i] > config.outputs[p];
            if (!leftToRight && !rightToLeft) continue;
            config.CopyOutConfig(i, p);
            pairs[2 * pairCount] = static_cast<uint8_t>(i);
            pairs[2 * pairCount + 1] = static_cast<uint8_t>(p);
            ++pairCount;
            SetChVolumeSlider(i, false, true);
        }
        const int current = CurrentOutput();
        float value = config.channels[current].gain * 10;
        SetSliderClampedValue(ChVolumeSlider(current), value);
        SetChDelaySliderValue(current, config.channels[current].delay * 1000);
        if (chEnable[current]) chEnable[current]->SetFocus();
    }
    // The current output's option is clicked as the user would: its handler refreshes the page.
    const int current = CurrentOutput();
    if (!chEnable[current] || !chEnable[current]->Activate()) SetCurChannelChange(current);
    ShowCurrentChannelOptions();
    device.CH_Link_Ctrl(0, config.linkMode == 1 ? 1 : 0, static_cast<uint8_t>(pairCount), pairCount ? pairs : nullptr,
                        false);
}

void EqualizerManager::SetOutpuLock() {
    LogPrintA("on %s\n", "EqualizerManager::SetOutpuLock");
    if (config.lockMode) {
        if (ShowMsgWnd(hMainWnd, L"${tips}", L"${unlock_output_tips}") == 1) {
            ShowSelected(btnLockOutput, false);
            config.lockMode = 0;
            for (CControlUI* option : chSynchronize) Enable(option, true);
        } else {
            ShowSelected(btnLockOutput, true);
            config.lockMode = 1;
        }
    } else {
        if (ShowMsgWnd(hMainWnd, L"${tips}", L"${lock_output_tips}") == 1) {
            ShowSelected(btnLockOutput, true);
            config.lockMode = 1;
        } else {
            ShowSelected(btnLockOutput, false);
            config.lockMode = 0;
            for (CControlUI* option : chSynchronize) Enable(option, true);
        }
    }
    for (CControlUI* button : chOutputBtn) Enable(button, config.lockMode == 0);
    if (config.lockMode) {
        device.CH_Lock_Ctrl(0, 1, false);
        return;
    }
    // Unlocking always ends link mode.
    if (config.linkMode == 1) {
        config.linkMode = 0;
        for (int& partner : config.linkOutputs) partner = -1;
        ShowSelected(btnLinkOutput, false);
        device.CH_Link_Ctrl(0, 0, 0, nullptr, false);
    }
    const int current = CurrentOutput();
    if (!chEnable[current] || !chEnable[current]->Activate()) SetCurChannelChange(current);
    ShowCurrentChannelOptions();
    device.CH_Lock_Ctrl(0, 0, false);
}

void EqualizerManager::SetOutputReset() {
    LogPrintA("on %s\n", "EqualizerManager::SetOutputReset");
    const wchar_t* captions[] = {L"${default}", L"${cancel}", L"${emptied}"};
    const int answer = ShowMsgWndButtons(hMainWnd, L"${tips}", L"${empty_output_tips}", captions, 3);
    if (answer != 1 && answer != 2) return;
    const int* defaults = DefaultPositions(config.outputCount);
    for (int i = 0; i < OutputCount; ++i) {
        int position = 0;
        if (answer == 1) {
            if (!defaults) continue;
            position = defaults[i];
        }
        if (const wchar_t* name = OutputTypeMenuName(static_cast<OutputType>(position))) SetOutputValue(i, name);
    }
    config.lockMode = 0;
    ShowSelected(btnLockOutput, false);
    device.CH_Lock_Ctrl(0, 0, false);
    for (CControlUI* button : chOutputBtn) Enable(button, true);
    config.linkMode = 0;
    device.CH_Link_Ctrl(0, 0, 0, nullptr, false);
    for (int& partner : config.linkOutputs) partner = -1;
    ShowSelected(btnLinkOutput, false);
    float trims[OutputCount];
    for (int i = 0; i < OutputCount; ++i) trims[i] = 0 - config.channels[i].gain;
    device.Trim_Ctrl(static_cast<uint8_t>(config.scene), 0, 0, OutputCount - 1, trims, false);
    if (CurrentOutput() != 0 && chEnable[0] && chEnable[0]->Activate()) {
        ShowCurrentChannelOptions();
    } else {
        SetCurChannelChange(0);
    }
    for (int k = 0; k < kBridgePairs; ++k) SetChBridge(k, config.outputBridge[k] != 0);
    SendOutputBridge();
}

void EqualizerManager::OnChBridge(int pair) {
    if (pair < 0 || pair >= kBridgePairs) return;
    const bool bridged = chBridge[pair] ? !IsSelected(chBridge[pair]) : true;
    SetChBridge(pair, bridged);
    SendOutputBridge();
}

void EqualizerManager::SendOutputBridge() {
    device.Output_Bridge_Ctrl(static_cast<uint8_t>(config.scene), 0, kBridgePairs, config.outputBridge, false);
}

void EqualizerManager::SetChBridge(int pair, bool bridged) {
    if (pair < 0 || pair >= kBridgePairs) return;
    if (!chBridge[pair]) {
        config.outputBridge[pair] = 0;
        return;
    }
    config.outputBridge[pair] = bridged ? 1 : 0;
    ShowSelected(chBridge[pair], bridged);
    // A bridge the amplifier reported already holds the copy it made; only the page follows.
    if (!bridged || mApplyingReply) return;
    const int l = 2 * pair;
    const int r = l + 1;
    config.CopyOutConfig(l, r);
    config.channels[r].delay = config.channels[l].delay;
    config.channels[r].gain = config.channels[l].gain;
    SendChEqAndFilter(r);
    if (config.showOutChEqualizer[r] == 1 || r == CurrentOutput()) {
        UpdateEqCurve(r, config.channels[r].bypass == 1, CurvePoints);
        UpdateEqualizer(-1);
    }
    float value = config.channels[r].gain * 10;
    SetSliderClampedValue(ChVolumeSlider(r), value);
    UpdateChVolumeEdit(r, static_cast<int>(config.channels[r].gain * 10));
    SendChTrim(r);
    SendChDelay(r, config.channels[l].delay);
    config.CopyMixConfig(l, r);
    // The masks go with the levels, or the amplifier keeps routing r as it did before the copy; the
    // page's routing boxes show the copy.
    SendChRouting(r);
    SendInputMixTrim(r);
    ShowRoutingOptions();
    if (const wchar_t* name = OutputTypeMenuName(config.outputs[l])) ApplyOutputPosition(r, name, false);
    SetChPhase(r, config.channels[l].phase != 0);
    SetChMute(r, config.channels[l].mute != 0);
}

void EqualizerManager::SetChCompressor(int n, uint8_t on) {
    if (!IsOutput(n)) return;
    LogPrintW(L"channel %d compressor seleted %d\n", n, on);
    config.channels[n].compressorOn = on;
    uint8_t values[OutputCount];
    for (int i = 0; i < OutputCount; ++i) values[i] = config.channels[i].compressorOn;
    device.Compressor_Ch_Ctrl(static_cast<uint8_t>(config.scene), 0, static_cast<uint8_t>(n), static_cast<uint8_t>(n),
                              &values[n], false);
}
