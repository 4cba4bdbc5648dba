// Delays: the per-output delay edits and sliders, the unit combo (ms, cm, inch with 15 ms = 519 cm =
// 204 inch), the speaker markers of the car plan with their delay edits, and the ACC control.
#include "EqualizerManager.h"

#include "base/Log.h"
#include "PageControls.h"
#include "UICombo.h"
#include "UIManager.h"
#include "model/ValueRanges.h"

#include <cmath>
#include <cstdlib>

using namespace SkinUI;
using namespace PageControls;

namespace {

constexpr int kUnitMs = 0;
constexpr int kUnitCm = 1;
constexpr int kUnitInch = 2;
constexpr float kCmAtMax = 519.0f;
constexpr float kInchAtMax = 204.0f;
constexpr float kMarkerStepMs = 0.021f;  // about 0.73 cm
constexpr float kSliderStep = 21.0f;     // slider in microseconds

bool IsOutput(int n) { return n >= 0 && n < OutputCount; }

float ClampMs(float ms) {
    if (!(ms > 0)) return 0;  // also a NaN
    return ms > MaxDelayMs ? MaxDelayMs : ms;
}

float UnitsAtMax(int unit) { return unit == kUnitCm ? kCmAtMax : kInchAtMax; }

// A typed delay in the unit shown; false when the text is not a number. Held to 0..1e6, far beyond any
// delay (the callers clamp to 15 ms), so that however many digits it has no conversion overflows.
bool ReadDelayText(const std::wstring& text, double* value) { return ReadNumberText(text.c_str(), 0, 1e6, value); }

}  // namespace

// ---------------------------------------------------------------------------------------------------
// Units

int EqualizerManager::DelayUnit() const {
    const int unit = delayUnitCombo ? delayUnitCombo->GetCurSel() : kUnitMs;
    return unit == kUnitCm || unit == kUnitInch ? unit : kUnitMs;
}

void EqualizerManager::DelayText(int unit, float ms, wchar_t* text, size_t size) {
    if (!text || size == 0) return;
    ms = ClampMs(ms);
    if (unit == kUnitCm || unit == kUnitInch) {
        const long whole = std::lround(ms * UnitsAtMax(unit) / MaxDelayMs);
        _snwprintf(text, size - 1, unit == kUnitCm ? L"%d cm" : L"%d in", static_cast<int>(whole));
    } else {
        _snwprintf(text, size - 1, L"%.3f ms", ms);
    }
    text[size - 1] = 0;
}

float EqualizerManager::FormatDelay(int unit, float value, wchar_t* text, size_t size) {
    if (!(value > 0)) value = 0;
    float ms = 0;
    if (unit == kUnitCm || unit == kUnitInch) {
        const float top = UnitsAtMax(unit);
        int whole = value >= top ? static_cast<int>(top) : static_cast<int>(value);
        if (text && size) _snwprintf(text, size - 1, unit == kUnitCm ? L"%d cm" : L"%d in", whole);
        ms = whole * MaxDelayMs / top;
    } else {
        ms = ClampMs(value);
        if (text && size) _snwprintf(text, size - 1, L"%.3f ms", ms);
    }
    if (text && size) text[size - 1] = 0;
    return ms;
}

// The delay one whole cm or inch further, from the unit value now shown, within 0..15 ms.
static float StepDelayOneUnit(int unit, float ms, bool up) {
    const float top = UnitsAtMax(unit);
    long shown = std::lround(ClampMs(ms) * top / MaxDelayMs) + (up ? 1 : -1);
    if (shown < 0) shown = 0;
    if (shown > static_cast<long>(top)) shown = static_cast<long>(top);
    return shown * MaxDelayMs / top;
}

float EqualizerManager::QuantizeDelay(int unit, float ms) {
    ms = ClampMs(ms);
    if (unit != kUnitCm && unit != kUnitInch) return ms;
    const float top = UnitsAtMax(unit);
    return static_cast<float>(std::round(ms * top / MaxDelayMs) * MaxDelayMs / top);
}

// ---------------------------------------------------------------------------------------------------
// Output delay edits and sliders

void EqualizerManager::SetChDelayEdit(int n) {
    CEditUI* edit = ChDelayEdit(n);
    if (!edit) return;
    double typed = 0;
    if (!ReadDelayText(edit->GetText().Data(), &typed)) {
        UpdateChDelayText(n);  // not a number: nothing changes
        return;
    }
    const float ms = FormatDelay(DelayUnit(), static_cast<float>(typed), nullptr, 0);
    LogPrintA("%s %d ms_value = %d\n", "EqualizerManager::SetChDelayEdit", n, static_cast<int>(ms));
    SetChDelayMs(n, ms);
}

void EqualizerManager::SetChDelaySlider(int n) {
    if (CSliderUI* slider = ChDelaySlider(n)) SetChDelayMs(n, slider->GetValue() / 1000.0f);
}

void EqualizerManager::SetChDelayUp(int n, bool up) {
    LogPrintA("SetChDelayUp %d \n", up ? 1 : 0);
    const int unit = DelayUnit();
    if (unit == kUnitMs) {
        if (StepSlider(ChDelaySlider(n), up, kSliderStep)) SetChDelaySlider(n);
        return;
    }
    // In cm or inch one step is one unit shown: a slider step is smaller than an inch and would be
    // rounded away again.
    if (!IsOutput(n)) return;
    const float delay = StepDelayOneUnit(unit, config.channels[n].delay, up);
    if (delay != config.channels[n].delay) SetChDelayMs(n, delay);
}

void EqualizerManager::SetChDelayMs(int n, float ms) {
    if (!IsOutput(n)) return;
    const float old = config.channels[n].delay;
    SendChDelay(n, ms);
    FocusAndSelectAll(ChDelayEdit(n));
    ShiftGroupDelays(n, config.channels[n].delay - old);
}

// The other outputs of n's sync group, then the current output's link partner, move by the same delta.
void EqualizerManager::ShiftGroupDelays(int n, float delta) {
    if (delta == 0 || !IsOutput(n)) return;
    const int group = config.syncGroup[n];
    if (group > 0)
        for (int b = 0; b < OutputCount; ++b)
            if (b != n && config.syncGroup[b] == group) SendChDelay(b, config.channels[b].delay + delta);
    UpdateLinkPartner();
    if (hasPartner) SendChDelay(partnerOutput, config.channels[partnerOutput].delay + delta);
}

void EqualizerManager::SendChDelay(int n, float ms) {
    if (!IsOutput(n)) return;
    const float delay = QuantizeDelay(DelayUnit(), ms);
    config.channels[n].delay = delay;
    UpdateChDelayEdit(n, delay);
    SetChDelaySliderValue(n, delay * 1000);
    ShowSpeakerMarker(n);
    device.Delay_Ctrl(static_cast<uint8_t>(config.scene), 0, static_cast<uint8_t>(n), static_cast<uint8_t>(n),
                      &config.channels[n].delay, false);
}

void EqualizerManager::UpdateChDelayEdit(int n, float ms) {
    CEditUI* edit = ChDelayEdit(n);
    if (!edit) return;
    wchar_t text[32];
    DelayText(DelayUnit(), ms, text, 32);
    edit->SetText(text);
}

void EqualizerManager::UpdateChDelayText(int n) {
    if (IsOutput(n)) UpdateChDelayEdit(n, config.channels[n].delay);
}

void EqualizerManager::SetChDelaySliderValue(int n, float value) {
    CSliderUI* slider = ChDelaySlider(n);
    if (!slider) return;
    SetSliderClampedValue(slider, value);
}

void EqualizerManager::ShowChDelaySlider(int n) {
    if (!IsOutput(n)) return;
    HideChDelaySliders();
    Show(delayLabel[n], false);
    Show(sliderChDelay[n], true);
}

void EqualizerManager::HideChDelaySliders() {
    for (int n = 0; n < OutputCount; ++n) {
        Show(sliderChDelay[n], false);
        Show(delayLabel[n], true);
    }
}

// ---------------------------------------------------------------------------------------------------
// Unit combo and speaker markers

void EqualizerManager::SetDelayUnit() {
    LogPrintA("on eq comb_ch_unit valuechanged\n");
    LogPrintA("value %d\n", DelayUnit());
    for (int n = 0; n < OutputCount; ++n) UpdateChDelayEdit(n, config.channels[n].delay);
    for (int n = 0; n < OutputCount; ++n) ShowSpeakerMarker(n);
}

void EqualizerManager::ShowSpeakerMarker(int n) {
    if (!IsOutput(n)) return;
    const int position = config.outputs[n];
    if (position <= 0 || position > kSpeakerMarkers) return;
    UpdateSpeakerDelayLabel(position - 1, n);
    Show(speaker[position], true);
}

void EqualizerManager::UpdateSpeakerDelayLabel(int marker, int n) {
    if (marker < 0 || marker >= kSpeakerMarkers) return;
    const int position = marker + 1;
    CEditUI* edit = spkDelay[position];
    if (!IsOutput(n)) {
        Show(edit, false);
        Show(spkCon[position], false);
        return;
    }
    const float delay = ClampMs(config.channels[n].delay);
    const int unit = DelayUnit();
    if (edit) {
        if (unit == kUnitMs)
            edit->SetText(FormatReal(L"%.3f", delay).c_str());
        else
            edit->SetText(Format(L"%d", static_cast<int>(std::lround(delay * UnitsAtMax(unit) / MaxDelayMs))).c_str());
    }
    Show(edit, true);
    Show(spkCon[position], true);
}

static int FirstOutputAt(const DspConfig& config, int position) {
    for (int n = 0; n < OutputCount; ++n)
        if (config.outputs[n] == position) return n;
    return -1;
}

void EqualizerManager::SetSpeakerDelayEdit(int position) {
    if (position < 1 || position > kSpeakerMarkers || !spkDelay[position]) return;
    const int n = FirstOutputAt(config, position);
    if (n < 0) return;
    CEditUI* edit = spkDelay[position];
    double value = 0;
    if (!ReadDelayText(edit->GetText().Data(), &value)) {
        UpdateSpeakerDelayLabel(position - 1, n);  // not a number: nothing changes
        return;
    }
    LogPrintA("speaker %d channel %d delay edit value %.3f\n", position, n, value);
    const int unit = DelayUnit();
    float delay = 0;
    std::wstring text;
    if (unit == kUnitMs) {
        delay = ClampMs(static_cast<float>(value));
        text = FormatReal(L"%.3f", delay);
    } else {
        const float top = UnitsAtMax(unit);
        const int whole = value >= top ? static_cast<int>(top) : (value > 0 ? static_cast<int>(value) : 0);
        text = Format(L"%d", whole);
        delay = whole * MaxDelayMs / top;
    }
    const float old = config.channels[n].delay;
    config.channels[n].delay = delay;
    edit->SetText(text.c_str());
    edit->SetSelAll();
    UpdateChDelayEdit(n, delay);
    SetChDelaySliderValue(n, delay * 1000);
    ShiftGroupDelays(n, delay - old);
    device.Delay_Ctrl(static_cast<uint8_t>(config.scene), 0, static_cast<uint8_t>(n), static_cast<uint8_t>(n),
                      &config.channels[n].delay, false);
}

void EqualizerManager::SetSpeakerDelayUp(int position, bool up) {
    if (position < 1 || position > kSpeakerMarkers || !spkDelay[position]) return;
    const int n = FirstOutputAt(config, position);
    if (n < 0) return;
    const float old = config.channels[n].delay;
    const int unit = DelayUnit();
    const float delay = unit == kUnitMs ? ClampMs(old + (up ? kMarkerStepMs : -kMarkerStepMs))
                                        : StepDelayOneUnit(unit, old, up);
    LogPrintA("speaker %d channel %d delay edit value %.3f\n", position, n, delay);
    config.channels[n].delay = delay;
    UpdateSpeakerDelayLabel(position - 1, n);
    spkDelay[position]->SetSelAll();
    UpdateChDelayEdit(n, delay);
    SetChDelaySliderValue(n, delay * 1000);
    ShiftGroupDelays(n, delay - old);
    device.Delay_Ctrl(static_cast<uint8_t>(config.scene), 0, static_cast<uint8_t>(n), static_cast<uint8_t>(n),
                      &config.channels[n].delay, false);
}

void EqualizerManager::OnSpeakerDelayFocus(int position) {
    if (position < 1 || position > kSpeakerMarkers) return;
    const int n = FirstOutputAt(config, position);
    if (n < 0) return;
    if (n != CurrentOutput()) SetCurChannelChange(n);
    if (spkDelay[position]) spkDelay[position]->SetSelAll();
}

void EqualizerManager::SetSpeakerFocus(int position) {
    LogPrintA("on %s index %d\n", "EqualizerManager::SetSpeakerFocus", position);
    if (position < 1 || position > kSpeakerMarkers) return;
    ShowSelected(speaker[position], true);
    for (int n = 0; n < config.outputCount && n < OutputCount; ++n)
        if (config.outputs[n] == position) ActivateChannel(n);
}

// ---------------------------------------------------------------------------------------------------
// ACC

void EqualizerManager::SetAccEdit() {
    if (!editAcc) return;
    const std::wstring text = editAcc->GetText().Data();
    LogPrintW(L"SetAccEdit %ls\n", text.c_str());
    int value = _wtoi(text.c_str());
    if (sliderAcc) {
        if (text == Lang(L"${off}")) value = sliderAcc->GetMinValue();
        float v = static_cast<float>(value);
        SetSliderClampedValue(sliderAcc, v);
        value = sliderAcc->GetValue();
    }
    SetAccRelatedAfterDecidedValue(value);
}

void EqualizerManager::SetAccSlider() {
    if (!sliderAcc) return;
    LogPrintA("SetAccSlider %g\n", static_cast<double>(sliderAcc->GetValue()));
    SetAccRelatedAfterDecidedValue(sliderAcc->GetValue());
}

void EqualizerManager::SetAccUp(bool up) {
    if (!sliderAcc) return;
    LogPrintA("SetAccUp %d \n", up ? 1 : 0);
    if (StepSlider(sliderAcc, up, 1)) SetAccSlider();
}

void EqualizerManager::SetAccRelatedAfterDecidedValue(int value) {
    LogPrintA("SetAccRelatedAfterDecidedValue %d\n", value);
    config.acc = value;
    device.Set_Acc(static_cast<uint8_t>(value), false);
    if (editAcc) {
        const bool off = sliderAcc && value == sliderAcc->GetMinValue();
        editAcc->SetText(off ? Lang(L"${off}").c_str() : Format(L"%d", value).c_str());
        FocusAndSelectAll(editAcc);
    }
}
