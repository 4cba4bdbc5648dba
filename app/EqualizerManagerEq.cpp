// The current output's parametric equalizer on the main page: the band rows (edits, sliders, on/off
// buttons), their arrow keys, the bypass, mode and reset buttons, drags on the curve control and its
// redraw. Every change is stored for the current output, the other outputs of its sync group and its
// link partner, and sent at once through the queue.
#include "EqualizerManager.h"

#include "base/Log.h"
#include "MsgWnd.h"
#include "PageControls.h"
#include "UIEdit.h"
#include "UIEqualizer.h"
#include "UIProgress.h"
#include "model/ChannelRules.h"
#include "model/ValueRanges.h"

#include <cmath>
#include <cwchar>

using namespace SkinUI;
using namespace PageControls;

namespace {

constexpr int kMinFreq = 20;
constexpr int kMaxFreq = 20000;
constexpr float kMinQ = 0.5f;
constexpr float kMaxQ = 9.0f;
constexpr int kMaxBandIndex = 30;

bool Confirmed(HWND owner, const wchar_t* question) {
    const wchar_t* captions[] = {L"${confirm}", L"${cancel}"};
    return ShowMsgWndButtons(owner, L"${tips}", question, captions, 2) == 1;
}

float ClampQ(float q) { return q < kMinQ ? kMinQ : (q > kMaxQ ? kMaxQ : q); }

UIEqualizer* Curve(CControlUI* control) {
    return control ? static_cast<UIEqualizer*>(control->GetInterface(L"Curve")) : nullptr;
}

}  // namespace

// ---------------------------------------------------------------------------------------------------
// Shared propagation

void EqualizerManager::FindPartner() {
    const int cur = CurrentOutput();
    hasPartner = 0;
    partnerOutput = -1;
    const int linked = config.linkOutputs[cur];
    if (config.linkMode == 1 && linked != -1) {
        if (linked >= 0 && linked < OutputCount && linked != cur) {
            partnerOutput = linked;
            hasPartner = 1;
        }
    } else if (config.outputBridge[cur / 2]) {
        partnerOutput = cur ^ 1;
        hasPartner = 1;
    }
}

std::vector<int> EqualizerManager::SyncGroupOf(int n) const {
    std::vector<int> members;
    if (n < 0 || n >= OutputCount || config.syncGroup[n] <= 0) return members;
    for (int b = 0; b < OutputCount; ++b)
        if (config.syncGroup[b] == config.syncGroup[n]) members.push_back(b);
    return members;
}

void EqualizerManager::SendBand(int n, int band, float gain) {
    const EqBand& e = config.channels[n].eqArray[band];
    device.EQ_Ctrl(SceneByte(), 0, static_cast<uint8_t>(n), static_cast<uint8_t>(band), static_cast<uint16_t>(e.freq),
                   e.factor, gain, false);
}

void EqualizerManager::SendBandStored(int n, int band) { SendBand(n, band, config.channels[n].eqArray[band].gain); }

void EqualizerManager::SendBypass(int n) {
    device.PEQ_Bypass_Ctrl(SceneByte(), 0, static_cast<uint8_t>(n), static_cast<uint8_t>(n), &config.channels[n].bypass,
                           false);
}

// A band index beyond an output's own band count is never stored or sent for it: an 11-band output
// has no band 15.
void EqualizerManager::StoreBand(int n, int band, const EqBand& value) {
    if (n < 0 || n >= OutputCount || band >= config.channels[n].eqSize) return;
    config.channels[n].eqArray[band] = value;
}

void EqualizerManager::ZeroRaisedBands(int n) {
    ChannelConfig& ch = config.channels[n];
    for (int b = 0; b < ch.eqSize; ++b) {
        EqBand& e = ch.eqArray[b];
        if (std::fabs(e.gain) <= 0.001f) continue;
        e.gain = 0;
        e.enable = 1;
        SendBand(n, b, 0);
    }
}

// Raising a band of a bypassed (flat-looking) output first clears the gains the page did not show:
// on the current output, on bypassed outputs of its sync group in its band bank, and on its partner.
void EqualizerManager::ZeroHiddenGains(int cur) {
    ZeroRaisedBands(cur);
    for (int b : SyncGroupOf(cur))
        if (b != cur && config.channels[b].bypass == 1 && IsSameOutputGroup(cur, b)) ZeroRaisedBands(b);
    if (hasPartner) ZeroRaisedBands(partnerOutput);
}

// Flat by the truncating sum the edits and the curve use: 0.4 dB and 0.5 dB still count as flat.
bool EqualizerManager::IsFlatTruncating(int n) const {
    const ChannelConfig& ch = config.channels[n];
    float sum = 0;
    for (int b = 0; b < ch.eqSize; ++b) sum = std::trunc(std::fabs(ch.eqArray[b].gain) + sum);
    return sum == 0;
}

void EqualizerManager::SpreadBypass(int cur, uint8_t value, bool withPartner) {
    if (config.channels[cur].bypass != value) {
        config.channels[cur].bypass = value;
        SendBypass(cur);
    }
    for (int b : SyncGroupOf(cur)) {
        if (b == cur || config.channels[b].bypass == value) continue;
        config.channels[b].bypass = value;
        SendBypass(b);
    }
    if (withPartner && hasPartner && config.channels[partnerOutput].bypass != value) {
        config.channels[partnerOutput].bypass = value;
        SendBypass(partnerOutput);
    }
}

bool EqualizerManager::IsPeqMode() const { return IsSelected(btnArgEq); }

// The gain the page and the curve show for a band: 0 while the band is off or the output bypassed.
float EqualizerManager::ShownBandGain(int n, int band) const {
    const ChannelConfig& ch = config.channels[n];
    const EqBand& e = ch.eqArray[band];
    return ch.bypass != 1 && e.enable ? e.gain : 0.0f;
}

bool EqualizerManager::IsBandAsShown(int n, int band, int freq, float q, float gain) const {
    const EqBand& e = config.channels[n].eqArray[band];
    return e.freq == freq && std::fabs(e.factor - q) < 0.01f && std::fabs(ShownBandGain(n, band) - gain) < 0.01f;
}

void EqualizerManager::ShowBandRow(int n, int band) {
    if (band >= config.channels[n].eqSize) return;
    const EqBand& e = config.channels[n].eqArray[band];
    SetInt(eqFreq[band], L"%d", e.freq);
    SetNumber(eqQ[band], L"%.2f", e.factor);
    SetNumber(eqGain[band], L"%.1f", ShownBandGain(n, band));
}

void EqualizerManager::SetBypassButtonText(bool showBypass) {
    if (btnBypass) btnBypass->SetText(showBypass ? L"${bypass_eq}" : L"${restore_eq}");
}

// ---------------------------------------------------------------------------------------------------
// Band handlers

int EqualizerManager::ParseBandFrequency(const wchar_t* text) {
    // Far beyond any frequency, and small enough that the kilohertz product cannot overflow.
    constexpr int32_t kFar = 1000000;
    int32_t whole = 0;
    if (!ReadIntegerText(text, -kFar, kFar, &whole)) return 0;
    const wchar_t* kilo = wcspbrk(text + 1, L"Kk");
    if (!kilo) return whole;
    const int after = iswdigit(kilo[1]) ? kilo[1] - L'0' : 0;
    return (after + whole * 10) * 100;
}

void EqualizerManager::SetChEqEdit(int band) {
    if (band < 0 || band > kMaxBandIndex || band >= kPageBands) return;
    LogPrintA("SetChEqEdit band=%d\n", band);
    const int cur = CurrentOutput();
    ChannelConfig& ch = config.channels[cur];
    EqBand& stored = ch.eqArray[band];

    // Text that is not a number changes nothing: the row shows its values again.
    double typedQ = stored.factor, typedGain = ShownBandGain(cur, band);
    // However many digits: a value beyond the limits is the nearest limit, never a wrapped one.
    if ((eqFreq[band] && !ReadNumberText(TextOf(eqFreq[band]).c_str(), MinBandFreq, MaxBandFreq, nullptr)) ||
        (eqQ[band] && !ReadNumberText(TextOf(eqQ[band]).c_str(), MinQ, MaxQ, &typedQ)) ||
        (eqGain[band] && !ReadNumberText(TextOf(eqGain[band]).c_str(), MinBandGain, MaxBandGain, &typedGain))) {
        LogPrintA("SetChEqEdit band=%d: not a number, ignored\n", band);
        ShowBandRow(cur, band);
        return;
    }
    int freq = eqFreq[band] ? ParseBandFrequency(TextOf(eqFreq[band]).c_str()) : stored.freq;
    if (freq < kMinFreq || freq > kMaxFreq) freq = stored.freq;
    SetInt(eqFreq[band], L"%d", freq);
    const float q = ClampQ(static_cast<float>(typedQ));
    SetNumber(eqQ[band], L"%.2f", q);
    float gain = static_cast<float>(typedGain);
    if (CSliderUI* slider = eqSlider[band]) {
        float tenths = gain * 10;
        if (ClampToSlider(slider, tenths)) slider->SetValue(static_cast<int>(std::lround(tenths)));
        if (std::fabs(slider->GetValue() / 10.0f - gain) > 0.001f) gain = slider->GetValue() / 10.0f;
        SetSlider(slider, static_cast<int>(gain * 10));
    }
    // Shown in its format whatever was typed ("06" becomes "6.0").
    SetNumber(eqGain[band], L"%.1f", gain);
    LogPrintA("freqValue(%d) ,qValue(%f) ,gainValue(%.1f)\n", freq, q, gain);
    if (band >= ch.eqSize) return;

    FindPartner();
    // Passing through a row (tabbing, Enter on what is shown) is no change: a switched-off band or a
    // bypassed output keeps the gains it does not show.
    if (IsBandAsShown(cur, band, freq, q, gain)) return;
    if (ch.bypass == 1) ZeroHiddenGains(cur);

    const EqBand value(gain, q, freq, 1);
    stored = value;
    SetSelected(ptEnable[band], true);
    for (int b : SyncGroupOf(cur)) {
        if (band >= config.channels[b].eqSize) continue;
        StoreBand(b, band, value);
        SendBandStored(b, band);
    }
    if (hasPartner) StoreBand(partnerOutput, band, value);

    uint8_t bypass = 0;
    if (std::fabs(gain) <= 0.001f) {
        SetSelected(ptEnable[band], false);
        bypass = IsFlatTruncating(cur) ? 1 : 0;
    } else {
        SetSelected(ptEnable[band], true);
    }
    SetBypassButtonText(bypass == 0);
    SpreadBypass(cur, bypass, true);
    UpdateEqualizer(band);
    SendBandStored(cur, band);
    if (hasPartner && band < config.channels[partnerOutput].eqSize) SendBandStored(partnerOutput, band);
}

void EqualizerManager::SetChEqSlider(int band) {
    if (band < 0 || band > kMaxBandIndex || band >= kPageBands || !eqSlider[band]) return;
    const int cur = CurrentOutput();
    ChannelConfig& ch = config.channels[cur];
    const float gain = eqSlider[band]->GetValue() / 10.0f;
    // The row's texts may be missing, half typed or no numbers: the stored shape stands in for them.
    int32_t freq = ch.eqArray[band].freq;
    double typedQ = ch.eqArray[band].factor;
    ReadIntegerText(TextOf(eqFreq[band]).c_str(), INT32_MIN, INT32_MAX, &freq);
    ReadNumberText(TextOf(eqQ[band]).c_str(), MinQ, MaxQ, &typedQ);
    const float q = static_cast<float>(typedQ);
    SetNumber(eqGain[band], L"%.1f", gain);
    LogPrintA("sliderValue (%.1f) ,freqValue(%d) ,qValue(%f) @band(%d) @ channel(%d)\n", gain, freq, q, band, cur);
    if (band >= ch.eqSize) return;
    if (freq < kMinFreq || freq > kMaxFreq) freq = ch.eqArray[band].freq;

    FindPartner();
    if (ch.bypass == 1) ZeroHiddenGains(cur);
    const EqBand value(gain, q, freq, 1);
    ch.eqArray[band] = value;
    SetSelected(ptEnable[band], true);
    for (int b : SyncGroupOf(cur)) {
        if (b == cur || !IsSameOutputGroup(cur, b) || band >= config.channels[b].eqSize) continue;
        LogPrintA("freqValue(%d) ,qValue(%f) @band(%d) @ channel(%i)\n", freq, q, band, b);
        StoreBand(b, band, value);
        SendBandStored(b, band);
    }
    if (hasPartner) StoreBand(partnerOutput, band, value);

    uint8_t bypass = 0;
    if (std::fabs(gain) <= 0.001f) {
        SetSelected(ptEnable[band], false);
        float sum = 0;
        for (int b = 0; b < ch.eqSize; ++b) sum += std::fabs(ch.eqArray[b].gain);
        bypass = sum < 0.01f ? 1 : 0;
    } else {
        SetSelected(ptEnable[band], true);
    }
    SetBypassButtonText(bypass == 0);
    SpreadBypass(cur, bypass, true);
    UpdateEqualizer(band);
    SendBandStored(cur, band);
    if (hasPartner && band < config.channels[partnerOutput].eqSize) SendBandStored(partnerOutput, band);
}

void EqualizerManager::OnEqEnable(int band) {
    if (band < 0 || band >= kPageBands) return;
    LogPrintA("OnEqEnable mEqIndex %d\n", band);
    const int cur = CurrentOutput();
    ChannelConfig& ch = config.channels[cur];
    if (band >= ch.eqSize) return;
    EqBand& e = ch.eqArray[band];
    const float shown = eqSlider[band] ? eqSlider[band]->GetValue() / 10.0f : 0.0f;
    if (e.enable && std::fabs(shown) > 0.001f) {
        // Switched off: the amplifier gets 0 dB, the stored gain stays for switching on again.
        e.enable = 0;
        SetSelected(ptEnable[band], false);
        SetSlider(eqSlider[band], 0);
        SetText(eqGain[band], L"0.0");
        SendBand(cur, band, 0);
        UpdateEqualizer(-1);
    } else if (!e.enable && std::fabs(e.gain - shown) > 0.001f) {
        SetSelected(ptEnable[band], true);
        e.enable = 1;
        SetSlider(eqSlider[band], static_cast<int>(e.gain * 10));
        SetNumber(eqGain[band], L"%.1f", e.gain);
        SendBand(cur, band, e.gain);
        UpdateEqualizer(-1);
    }
    FindPartner();
    auto follow = [&](int b) {
        ChannelConfig& other = config.channels[b];
        if (band >= other.eqSize) return;
        EqBand& o = other.eqArray[band];
        o.enable = e.enable;
        SendBand(b, band, o.enable ? o.gain : 0.0f);
    };
    for (int b : SyncGroupOf(cur))
        if (IsSameOutputGroup(cur, b)) follow(b);
    if (hasPartner) follow(partnerOutput);
    SetSelected(ptEnable[band], eqSlider[band] && eqSlider[band]->GetValue() != 0);
    bool anyOn = false;
    for (int k = 0; k < ch.eqSize && k < kPageBands; ++k) anyOn = anyOn || IsSelected(ptEnable[k]);
    SetBypassButtonText(anyOn);
}

// ---------------------------------------------------------------------------------------------------
// Arrow keys

int EqualizerManager::StepFrequency(int freq, bool up) {
    const double low = std::log10(20.0), high = std::log10(20000.0);
    const int steps = 200;
    const double at = freq > 0 ? std::log10(static_cast<double>(freq)) : low;
    const int k = static_cast<int>(steps * (at - low) / (high - low));
    auto frequencyAt = [&](int step) {
        if (step > steps) step = steps;
        if (step < 0) step = 0;
        return static_cast<int>(std::lround(std::pow(10.0, low + (high - low) * step / steps)));
    };
    const int next = frequencyAt(up ? k + 1 : k - 1);
    if (next != freq) return next;
    return frequencyAt(up ? k + 2 : k - 2);
}

void EqualizerManager::SetEqFreqUp(int band, bool up) {
    LogPrintA("SetEqFreqUp index(%d) up(%d)\n", band, up);
    if (band < 0 || band >= kPageBands || !eqFreq[band]) return;
    eqFreq[band]->SetFocus();
    const int freq = config.channels[CurrentOutput()].eqArray[band].freq;
    if ((up && freq >= kMaxFreq) || (!up && freq <= kMinFreq)) return;
    SetInt(eqFreq[band], L"%d", StepFrequency(freq, up));
    SetChEqEdit(band);
    eqFreq[band]->SetSelAll();
}

void EqualizerManager::SetEqGainUp(int band, bool up) {
    LogPrintA("SetEqGainUp index(%d) up(%d)\n", band, up);
    if (band < 0 || band >= kPageBands || !eqSlider[band]) return;
    CSliderUI* slider = eqSlider[band];
    const int before = slider->GetValue();
    SetSlider(slider, before + (up ? 1 : -1));
    if (slider->GetValue() == before) return;
    SetNumber(eqGain[band], L"%.1f", slider->GetValue() * 0.1);
    SetChEqEdit(band);
    if (eqGain[band]) eqGain[band]->SetSelAll();
}

void EqualizerManager::SetEqQUp(int band, bool up) {
    LogPrintA("SetEqQUp index(%d) up(%d)\n", band, up);
    if (band < 0 || band >= kPageBands || !eqQ[band]) return;
    eqQ[band]->SetFocus();
    float q = config.channels[CurrentOutput()].eqArray[band].factor;
    if ((up && std::fabs(q - kMaxQ) < 0.01f) || (!up && std::fabs(q - kMinQ) < 0.01f)) return;
    if (up)
        q = q + 0.01f > kMaxQ ? kMaxQ : q + 0.05f;
    else
        q = q - 0.01f < kMinQ ? kMinQ : q - 0.05f;
    SetNumber(eqQ[band], L"%.2f", ClampQ(q));
    SetChEqEdit(band);
    eqQ[band]->SetSelAll();
}

// ---------------------------------------------------------------------------------------------------
// Band rows, bypass, mode, reset

void EqualizerManager::RefreshEqBandControls() {
    const int n = CurrentOutput();
    RefreshEqBandControls(n);
    SetBypassButtonText(config.channels[n].bypass != 1);
}

void EqualizerManager::RefreshEqBandControls(int n) {
    if (n < 0 || n >= OutputCount) return;
    const ChannelConfig& ch = config.channels[n];
    const bool bypassed = ch.bypass == 1;
    const bool peq = IsPeqMode();
    for (int k = 0; k < kPageBands; ++k) {
        if (k >= ch.eqSize) {
            for (CControlUI* c : {static_cast<CControlUI*>(eqFreq[k]), static_cast<CControlUI*>(eqQ[k]),
                                  static_cast<CControlUI*>(eqGain[k]), static_cast<CControlUI*>(eqSlider[k]), ptEnable[k]})
                Enable(c, false);
            SetSelected(ptEnable[k], false);
            SetText(eqFreq[k], L"0");
            SetText(eqQ[k], L"0");
            SetText(eqGain[k], L"0.0");
            SetSlider(eqSlider[k], 0);
            continue;
        }
        const EqBand& e = ch.eqArray[k];
        Enable(eqFreq[k], peq);
        Enable(eqQ[k], peq);
        Enable(eqGain[k], true);
        Enable(eqSlider[k], true);
        Enable(ptEnable[k], true);
        SetInt(eqFreq[k], L"%d", e.freq);
        SetNumber(eqQ[k], L"%.2f", e.factor);
        const float gain = !bypassed && e.enable ? e.gain : 0.0f;
        SetNumber(eqGain[k], L"%.1f", gain);
        SetSlider(eqSlider[k], static_cast<int>(gain * 10));
        SetSelected(ptEnable[k], e.gain != 0 && e.enable && !bypassed);
    }
}

void EqualizerManager::SetOutputBypass() {
    LogPrintW(L"on %ls\n", L"EqualizerManager::SetOutputBypass");
    const int n = CurrentOutput();
    ChannelConfig& ch = config.channels[n];
    if (ch.eqSize > 0) {
        int shown = 0, stored = 0;
        for (int k = 0; k < ch.eqSize && k < kPageBands; ++k)
            if (eqSlider[k]) shown += std::abs(eqSlider[k]->GetValue());
        for (int k = 0; k < ch.eqSize; ++k) stored += static_cast<int>(std::fabs(ch.eqArray[k].gain));
        if (shown != 0) {
            if (!Confirmed(hMainWnd, L"${bypass_all_eq_tips}")) return;
            SetBypassButtonText(false);
            ch.bypass = 1;
        } else if (stored != 0) {
            if (!Confirmed(hMainWnd, L"${restore_all_eq_tips}")) return;
            SetBypassButtonText(true);
            ch.bypass = 0;
        }
    }
    SendBypass(n);
    for (int j : SyncGroupOf(n)) {
        config.channels[j].bypass = ch.bypass;
        SendBypass(j);
    }
    FindPartner();
    if (hasPartner) {
        config.channels[partnerOutput].bypass = ch.bypass;
        SendBypass(partnerOutput);
    }
    RefreshEqBandControls(n);
    UpdateEqualizer(-1);
}

void EqualizerManager::SetEqMode() {
    const bool peq = IsPeqMode();
    if (Confirmed(hMainWnd, peq ? L"${geq_mode_tips}" : L"${peq_mode_tips}")) SetSelected(btnArgEq, !peq);
    if (btnArgEq) btnArgEq->SetText(IsPeqMode() ? L"${peq_mode}" : L"${geq_mode}");
    RefreshEqBandControls(CurrentOutput());
    if (UIEqualizer* curve = Curve(equalizer)) curve->SetDragAllDirection(IsPeqMode());
    UpdateEqualizer(-1);
}

void EqualizerManager::SetOutputEqReset() {
    LogPrintW(L"on %ls\n", L"EqualizerManager::SetOutputEqReset");
    if (!Confirmed(hMainWnd, L"${reset_all_eq_tips}")) return;
    const int cur = CurrentOutput();
    const int size = config.channels[cur].eqSize;
    FillDefaultEqBands(config.channels[cur].eqArray, size);
    const bool lowBank = cur < 4;
    for (int j : SyncGroupOf(cur)) {
        if ((j < 4) != lowBank) continue;
        ChannelConfig& other = config.channels[j];
        FillDefaultEqBands(other.eqArray, other.eqSize);
        for (int b = 0; b < other.eqSize; ++b) SendBandStored(j, b);
    }
    FindPartner();
    if (hasPartner) {
        // The partner takes the current output's band count; never more than its own slots hold.
        ChannelConfig& other = config.channels[partnerOutput];
        FillDefaultEqBands(other.eqArray, size < other.eqSize ? size : other.eqSize);
    }
    RefreshEqBandControls(cur);
    SetBypassButtonText(true);
    UpdateEqualizer(-1);
    uint8_t list[2] = {static_cast<uint8_t>(cur), static_cast<uint8_t>(partnerOutput)};
    device.PEQ_Reset_Ctrl(SceneByte(), 0, hasPartner ? 2 : 1, list, false);
}

// ---------------------------------------------------------------------------------------------------
// The curve control

void EqualizerManager::UpdateEqualizer(int mode) {
    const int cur = CurrentOutput();
    const DWORD start = GetTickCount();
    UpdateEqCurve(cur, config.channels[cur].bypass == 1, CurvePoints);
    FindPartner();
    if (hasPartner) UpdateEqCurve(partnerOutput, config.channels[partnerOutput].bypass == 1, CurvePoints);
    LogPrintA("UpdateEqualizer 0 cost time %d ms\n", static_cast<int>(GetTickCount() - start));
    const DWORD second = GetTickCount();
    if (UIEqualizer* curve = Curve(equalizer)) {
        const ChannelConfig& ch = config.channels[cur];
        EqBand bands[UIEqualizer::kMaxBands];
        const int count = ch.eqSize < UIEqualizer::kMaxBands ? ch.eqSize : UIEqualizer::kMaxBands;
        for (int b = 0; b < count; ++b) {
            bands[b] = ch.eqArray[b];
            if (ch.bypass == 1 || !bands[b].enable) bands[b].gain = 0;
        }
        curve->SetCurEqBand(bands, count, mode);
        curve->setCurEqHpLp(ch.crossover.GetHpFreq(), ch.crossover.GetLpFreq());
        curve->SetEqResponse(&config.eqCurves[0][0], &config.sumCurves[0][0], OutputCount, cur, config.showOutChEqualizer);
    }
    LogPrintA("UpdateEqualizer 1 cost time %d ms\n", static_cast<int>(GetTickCount() - second));
}

int EqualizerManager::SelectedCurveBand() const {
    const UIEqualizer* curve = Curve(equalizer);
    return curve ? curve->GetCurrentControlIndex() : -1;
}

void EqualizerManager::EqualizerCallback(int index, int cmd) {
    LogPrintA("%s cmd %d index %d\n", "EqualizerCallback", cmd, index);
    UIEqualizer* curve = Curve(equalizer);
    if (!curve) return;
    const int cur = CurrentOutput();
    ChannelConfig& ch = config.channels[cur];
    if (cmd == 0) {
        FindPartner();
        if (index < 0 || index >= ch.eqSize) return;
        const EqBand moved = curve->GetBand(index);
        EqBand& stored = ch.eqArray[index];
        const float gain = moved.gain, q = ClampQ(moved.factor);
        int freq = moved.freq;
        if (freq < kMinFreq || freq > kMaxFreq) freq = stored.freq;
        // Hovering or clicking a point without moving it changes nothing.
        if (IsBandAsShown(cur, index, freq, q, gain)) return;
        if (ch.bypass == 1 && std::fabs(gain) > 0.001f) ZeroHiddenGains(cur);
        const EqBand value(gain, q, freq, 1);
        stored = value;
        for (int b : SyncGroupOf(cur)) {
            if (b == cur || index >= config.channels[b].eqSize) continue;
            StoreBand(b, index, value);
            SendBandStored(b, index);
        }
        if (hasPartner) StoreBand(partnerOutput, index, value);
        uint8_t bypass = 0;
        if (gain == 0) {
            if (index < kPageBands) SetSelected(ptEnable[index], false);
            bypass = IsFlatTruncating(cur) ? 1 : 0;
        } else if (index < kPageBands) {
            SetSelected(ptEnable[index], true);
        }
        SetBypassButtonText(bypass == 0);
        SendBandStored(cur, index);
        SpreadBypass(cur, bypass, false);
        if (hasPartner) {
            if (index < config.channels[partnerOutput].eqSize) SendBandStored(partnerOutput, index);
            if (config.channels[partnerOutput].bypass != ch.bypass) {
                config.channels[partnerOutput].bypass = ch.bypass;
                SendBypass(partnerOutput);
            }
        }
        RefreshEqBandControls(cur);
        UpdateEqualizer(index);
        return;
    }
    if (cmd != 1 && cmd != 2) return;
    const bool highPass = cmd == 1;
    const int kind = highPass ? 2 : 1;
    const int marker = highPass ? curve->GetHpFreq() : curve->GetLpFreq();
    wchar_t trace[64];
    _snwprintf(trace, 63, L"EqualizerCallback mLpFreq(%d)\n", marker);
    trace[63] = 0;
    OutputDebugStringW(trace);
    auto setFreq = [&](int n) {
        if (highPass)
            config.channels[n].crossover.SetHpFreq(marker);
        else
            config.channels[n].crossover.SetLpFreq(marker);
    };
    setFreq(cur);
    SetInt(highPass ? hpFreq : lpFreq, L"%dHz",
           highPass ? ch.crossover.GetHpFreq() : ch.crossover.GetLpFreq());
    SendFilter(cur, kind);
    for (int b : SyncGroupOf(cur)) {
        setFreq(b);
        SendFilter(b, kind);
    }
    FindPartner();
    if (hasPartner) {
        setFreq(partnerOutput);
        SendFilter(partnerOutput, kind);
    }
    UpdateEqualizer(-1);
}
