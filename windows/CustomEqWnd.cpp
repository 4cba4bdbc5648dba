#include "CustomEqWnd.h"

#include "EqualizerManager.h"
#include "MsgWnd.h"
#include "PageControls.h"
#include "SButton.h"
#include "ToolWindowControls.h"
#include "UIEqualizer.h"
#include "base/Log.h"
#include "model/ResponseMath.h"
#include "model/ValueRanges.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <limits>

using namespace SkinUI;
using namespace ToolWindow;

namespace {

constexpr float kFlatQ = 5.8f;

float ClampQ(float q) { return std::min(MaxQ, std::max(MinQ, q)); }
bool FrequencyInRange(int freq) { return freq >= MinFreq && freq <= MaxFreq; }

// False when the edit's text is not a number; a missing edit leaves the value as it was.
bool ReadEdit(CEditUI* edit, double low, double high, double* value) {
    return !edit || ReadNumberText(PageControls::TextOf(edit).c_str(), low, high, value);
}

// Whole dB bounds of a gain slider that holds tenths.
float UpperGain(CSliderUI* slider) { return static_cast<float>(slider->GetMaxValue() / 10); }
float LowerGain(CSliderUI* slider) { return static_cast<float>(slider->GetMinValue() / 10); }

}  // namespace

SKINUI_BEGIN_NOTIFY_MAP(CCustomEqWnd, WindowImplBase)
    SKINUI_NOTIFY_ENTRY(L"click", L"", &CCustomEqWnd::OnClick)
SKINUI_END_NOTIFY_MAP()

int ShowCustomEqWnd(HWND owner, EqualizerManager& controller) {
    return RunToolWindow(new CCustomEqWnd(controller), owner, L"CustomEqWnd");
}

std::wstring CCustomEqWnd::FocusTarget(const std::wstring& name, int band, Move move, bool qEnabled) {
    const int last = kBands - 1;
    const int row = StartsWith(name, L"eq_freq_") ? 0 : StartsWith(name, L"eq_q_") ? 1 : StartsWith(name, L"eq_gain_") ? 2 : -1;
    if (row < 0 || band < 0 || band > last) return L"";
    static const wchar_t* const kRows[3] = {L"eq_freq_", L"eq_q_", L"eq_gain_"};
    switch (move) {
    case Move::Right:
        if (band < last) return Numbered(kRows[row], band + 1);
        return Numbered(kRows[(row + 1) % 3], 0);
    case Move::Left:
        if (band > 0) return Numbered(kRows[row], band - 1);
        if (row == 2) return Numbered(qEnabled ? L"eq_q_" : L"eq_gain_", last);
        return Numbered(L"eq_freq_", last);
    default:  // Down, by Enter
        if (row < 2) return Numbered(kRows[row + 1], band);
        return Numbered(L"eq_freq_", band < last ? band + 1 : 0);
    }
}

EqBand CCustomEqWnd::FactoryBand(const DspConfig& config, int band) {
    return EqBand(static_cast<float>(config.customEqGains[band]), kFlatQ, std::max(MinFreq, config.customEqFreqs[band]), 1);
}

EqBand CCustomEqWnd::FlatBand(int band) { return EqBand(0.0f, kFlatQ, ThirdOctaveBands[band], 1); }

CCustomEqWnd::CCustomEqWnd(EqualizerManager& controller)
    : m_controller(controller), m_config(controller.config), m_link(controller.Device()),
      m_bands(controller.config.customEqBands) {}

CControlUI* CCustomEqWnd::CreateControl(const wchar_t* className) {
    if (_wcsicmp(className, L"Curve") == 0) return new UIEqualizer;
    if (_wcsicmp(className, L"SButton") == 0) return new CSButtonUI;
    return nullptr;
}

void CCustomEqWnd::OnInitWindow() {
    CSkinDialogWnd::OnInitWindow();
    CControlUI* curve = m_pm.FindControlByName(L"equalizer");
    m_curve = curve ? static_cast<UIEqualizer*>(curve->GetInterface(L"Curve")) : nullptr;
    for (int i = 0; i < kBands; ++i) {
        m_freqEdits[i] = FindEdit(m_pm, Numbered(L"eq_freq_", i));
        m_qEdits[i] = FindEdit(m_pm, Numbered(L"eq_q_", i));
        m_gainEdits[i] = FindEdit(m_pm, Numbered(L"eq_gain_", i));
        m_sliders[i] = FindSlider(m_pm, Numbered(L"eq_slider_", i));
        m_enableButtons[i] = m_pm.FindControlByName(Numbered(L"pt_enable_", i).c_str());
    }
    // The window works on the output that is current now, whatever happens on the page meanwhile.
    m_output = std::max(0, std::min(OutputCount - 1, m_controller.CurrentOutput()));
    m_config.currentBands = m_bands;
    if (m_curve) m_curve->SetDragAllDirection(true);
    UpdateEqualizer(-1);
    RefreshBandControls();
}

void CCustomEqWnd::OnClick(TNotifyMessage& msg) {
    const std::wstring name = NameOf(msg.pSender);
    if (EqualsNoCase(name, L"confirm_btn")) PostClose(1);
    else if (EqualsNoCase(name, L"closebtn")) PostClose(0);
}

void CCustomEqWnd::Notify(TNotifyMessage& msg) {
    bool passOn = true;
    try {
        passOn = Route(msg);
    } catch (const std::exception& e) {
        LogPrintA("CCustomEqWnd::Notify: %s\n", e.what());
    } catch (...) {
        LogPrintA("CCustomEqWnd::Notify failed\n");
    }
    if (passOn) WindowImplBase::Notify(msg);
}

bool CCustomEqWnd::Route(TNotifyMessage& msg) {
    const std::wstring name = NameOf(msg.pSender);
    const std::wstring type = msg.sType.Data();
    LogPrintW(L"Notify %ls\n", name.c_str());
    if (!msg.pSender) return true;
    const int band = UserIndex(msg.pSender);
    const bool valid = band >= 0 && band < kBands;
    const bool isEdit = StartsWith(name, L"eq_freq_") || StartsWith(name, L"eq_q_") || StartsWith(name, L"eq_gain_");
    if (type == L"click") {
        if (EqualsNoCase(name, L"minbtn")) {
            SendMessageW(m_hWnd, WM_SYSCOMMAND, SC_MINIMIZE, 0);
            return false;
        }
        OnButton(name, band);
    } else if (type == L"valuechanged" || type == L"movevaluechanged") {
        if (StartsWith(name, L"eq_slider_") && valid) {
            LogPrintW(L"on eq silder %ls valuechanged index %d value %d\n", name.c_str(), band,
                      m_sliders[band] ? m_sliders[band]->GetValue() : 0);
            OnSlider(band);
        }
    } else if (!isEdit || !valid) {
        if (type == L"equalizer_eq" && name == L"equalizer") {
            LogPrintW(L"on UI_MSGTYPE_EQUALIZERCHANGED index %d\n", band);
            if (band >= 0) EqualizerCallback(band, 0);
        }
    } else if (type == L"valuechangedup" || type == L"valuechangeddown") {
        const bool up = type == L"valuechangedup";
        if (StartsWith(name, L"eq_freq_")) SetEqFreqUp(band, up);
        else if (StartsWith(name, L"eq_q_")) SetEqQUp(band, up);
        else SetEqGainUp(band, up);
    } else if (type == L"valuechangedleft" || type == L"valuechangedright" || type == L"return") {
        const Move move = type == L"return" ? Move::Down : type == L"valuechangedleft" ? Move::Left : Move::Right;
        LogPrintW(move == Move::Down ? L"on edit %ls UI_MSGTYPE_RETURN\n"
                  : move == Move::Left ? L"on edit %ls UI_MSGTYPE_VALUECHANGED_LEFT\n"
                                       : L"on edit %ls UI_MSGTYPE_VALUECHANGED_RIGHT\n",
                  name.c_str());
        LogPrintW(L"on eq %ls killfocus index %d\n", name.c_str(), band);
        const bool qEnabled = m_qEdits[kBands - 1] && m_qEdits[kBands - 1]->IsEnabled();
        // Leaving the edit raises its "killfocus", which commits it.
        FocusEdit(FocusTarget(name, band, move, qEnabled));
    } else if (type == L"killfocus") {
        LogPrintW(L"on %ls UI_MSGTYPE_KILLFOCUS\n", name.c_str());
        LogPrintW(L"on eq %ls killfocus index %d\n", name.c_str(), band);
        SetChEqEdit(band);
    } else if (type == L"setfocus") {
        LogPrintW(L"on %ls UI_MSGTYPE_SETFOCUS\n", name.c_str());
        LogPrintW(L"on eq %ls setfocus index %d\n", name.c_str(), band);
        UpdateEqualizer(band);
    }
    return true;
}

void CCustomEqWnd::OnButton(const std::wstring& name, int band) {
    if (StartsWith(name, L"pt_enable_")) {
        if (band >= 0 && band < kBands) OnEqEnable(band);
    } else if (name == L"btn_reset_custom_eq") {
        SetOutputEqRestore();
    } else if (name == L"btn_reset_eq") {
        SetOutputEqReset();
    }
}

void CCustomEqWnd::FocusEdit(const std::wstring& name) {
    if (name.empty()) return;
    if (CEditUI* edit = FindEdit(m_pm, name)) edit->SetFocus();
}

void CCustomEqWnd::SelectButton(int band, bool selected) { PageControls::SetSelected(m_enableButtons[band], selected); }

void CCustomEqWnd::RefreshBandControls() {
    for (int i = 0; i < kBands; ++i) {
        for (CControlUI* c : {static_cast<CControlUI*>(m_freqEdits[i]), static_cast<CControlUI*>(m_qEdits[i]),
                              static_cast<CControlUI*>(m_gainEdits[i]), static_cast<CControlUI*>(m_sliders[i]),
                              m_enableButtons[i]})
            PageControls::Enable(c, true);
        ShowBandRow(i);
        SelectButton(i, m_bands[i].enable && m_bands[i].gain != 0);
    }
}

void CCustomEqWnd::ShowBandRow(int band) {
    const EqBand& b = m_bands[band];
    PageControls::SetInt(m_freqEdits[band], L"%d", b.freq);
    PageControls::SetNumber(m_qEdits[band], L"%.2f", b.factor);
    PageControls::SetNumber(m_gainEdits[band], L"%.1f", b.enable ? b.gain : 0.0f);
    PageControls::SetSlider(m_sliders[band], b.enable ? static_cast<int>(b.gain * 10) : 0);
}

void CCustomEqWnd::UpdateEqualizer(int selected) {
    LogPrintW(L"UpdateEqualizer \n");
    const DWORD start = GetTickCount();
    EqBand shown[kBands];
    for (int i = 0; i < kBands; ++i) {
        shown[i] = m_bands[i];
        if (!shown[i].enable) shown[i].gain = 0;
    }
    MakeLogFreqAxis(CurveSampleRate, CurvePoints, m_freqs);
    std::fill(m_response, m_response + CurvePoints, 0.0);
    double band[CurvePoints];
    for (const EqBand& b : shown) {
        PeakingEqCurve(CurveSampleRate, b.freq, b.gain, b.factor, m_freqs, band, CurvePoints);
        for (int p = 0; p < CurvePoints; ++p) m_response[p] += band[p];
    }
    if (m_curve) {
        m_curve->SetCurEqBand(shown, kBands, selected);
        m_curve->setCurEqHpLp(-1, -1);
        m_curve->SetEqResponse(m_freqs, m_response, 1, 0, &m_shown);
    }
    LogPrintW(L"UpdateEqualizer 1 cost time %d ms\n", static_cast<int>(GetTickCount() - start));
}

void CCustomEqWnd::SetChEqEdit(int band) {
    LogPrintW(L"SetChEqEdit band=%d\n", band);
    EqBand& stored = m_bands[band];
    CSliderUI* slider = m_sliders[band];
    const double lower = slider ? LowerGain(slider) : MinBandGain, upper = slider ? UpperGain(slider) : MaxBandGain;
    // Read in full first, so that a clamp of the gain shows; a missing edit stands for the stored value.
    double q = stored.factor, typedGain = stored.enable ? stored.gain : 0.0;
    const double anything = std::numeric_limits<double>::max();
    if (!ReadEdit(m_freqEdits[band], -anything, anything, nullptr) || !ReadEdit(m_qEdits[band], MinQ, MaxQ, &q) ||
        !ReadEdit(m_gainEdits[band], -anything, anything, &typedGain)) {
        LogPrintW(L"SetChEqEdit band=%d: not a number, ignored\n", band);
        ShowBandRow(band);  // nothing changes: the row shows the band in force again
        return;
    }
    int freq = m_freqEdits[band] ? EqualizerManager::ParseBandFrequency(PageControls::TextOf(m_freqEdits[band]).c_str())
                                 : stored.freq;
    if (!FrequencyInRange(freq)) freq = stored.freq;
    PageControls::SetInt(m_freqEdits[band], L"%d", freq);
    PageControls::SetNumber(m_qEdits[band], L"%.2f", q);
    const float gain = static_cast<float>(std::min(upper, std::max(lower, typedGain)));
    if (std::fabs(gain - typedGain) > 0.001) PageControls::SetNumber(m_gainEdits[band], L"%.1f", gain);
    PageControls::SetSlider(slider, static_cast<int>(gain * 10));
    LogPrintW(L"freqValue(%d) ,qValue(%f) ,gainValue(%.1f)\n", freq, q, gain);
    if (stored.freq == freq && std::fabs(stored.factor - q) < 0.01 && std::fabs(stored.gain - gain) < 0.01f &&
        stored.enable)
        return;
    stored = EqBand(gain, static_cast<float>(q), freq, 1);
    SelectButton(band, true);
    UpdateEqualizer(band);
    SendBand(band, gain);
}

void CCustomEqWnd::SetEqFreqUp(int band, bool up) {
    LogPrintW(L"SetEqFreqUp index(%d) up(%d)\n", band, up ? 1 : 0);
    CEditUI* edit = m_freqEdits[band];
    if (!edit) return;
    edit->SetFocus();
    const int freq = m_bands[band].freq;
    if ((up && freq >= MaxFreq) || (!up && freq <= MinFreq)) return;
    PageControls::SetInt(edit, L"%d", EqualizerManager::StepFrequency(freq, up));
    SetChEqEdit(band);
    edit->SetSelAll();
}

void CCustomEqWnd::SetEqQUp(int band, bool up) {
    LogPrintW(L"SetEqQUp index(%d) up(%d)\n", band, up ? 1 : 0);
    CEditUI* edit = m_qEdits[band];
    if (!edit) return;
    edit->SetFocus();
    const float q = m_bands[band].factor;
    if ((up && std::fabs(q - MaxQ) < 0.01f) || (!up && std::fabs(q - MinQ) < 0.01f)) return;
    const float next = up ? (q + 0.01f > MaxQ ? MaxQ : q + 0.05f) : (q - 0.01f < MinQ ? MinQ : q - 0.05f);
    PageControls::SetNumber(edit, L"%.2f", next);
    SetChEqEdit(band);
    edit->SetSelAll();
}

void CCustomEqWnd::SetEqGainUp(int band, bool up) {
    LogPrintW(L"SetEqGainUp index(%d) up(%d)\n", band, up ? 1 : 0);
    CEditUI* edit = m_gainEdits[band];
    CSliderUI* slider = m_sliders[band];
    if (!edit || !slider) return;
    edit->SetFocus();
    const float upper = slider->GetMaxValue() / 10.0f, lower = slider->GetMinValue() / 10.0f;
    const float gain = slider->GetValue() / 10.0f;
    if ((up && std::fabs(gain - upper) < 0.01f) || (!up && std::fabs(gain - lower) < 0.01f)) return;
    const float next = up ? std::min(gain + 0.1f, upper) : std::max(gain - 0.1f, lower);
    PageControls::SetNumber(edit, L"%.1f", next);
    SetChEqEdit(band);
    edit->SetSelAll();
}

void CCustomEqWnd::OnSlider(int band) {
    CSliderUI* slider = m_sliders[band];
    if (!slider) return;
    const float gain = slider->GetValue() / 10.0f;
    // Text typed but not yet committed only counts when it is a value the amplifier takes.
    int32_t freq = m_bands[band].freq;
    ReadIntegerText(PageControls::TextOf(m_freqEdits[band]).c_str(), INT32_MIN, INT32_MAX, &freq);
    if (!FrequencyInRange(freq)) freq = m_bands[band].freq;
    double typedQ = m_bands[band].factor;
    ReadNumberText(PageControls::TextOf(m_qEdits[band]).c_str(), MinQ, MaxQ, &typedQ);
    const float q = static_cast<float>(typedQ);
    PageControls::SetNumber(m_gainEdits[band], L"%.1f", gain);
    LogPrintW(L"sliderValue (%.1f) ,freqValue(%d) ,qValue(%f) @band(%d)\n", gain, freq, q, band);
    PageControls::FocusAndSelectAll(m_gainEdits[band]);
    m_bands[band] = EqBand(gain, q, freq, 1);
    SelectButton(band, true);
    UpdateEqualizer(band);
    SendBand(band, gain);
}

void CCustomEqWnd::OnEqEnable(int band) {
    LogPrintW(L"OnEqEnable mEqIndex %d\n", band);
    EqBand& b = m_bands[band];
    const float shown = m_sliders[band] ? m_sliders[band]->GetValue() / 10.0f : 0.0f;
    if (b.enable) {
        if (std::fabs(shown) < 0.001f) return;
        b.enable = 0;  // the gain stays stored for switching on again
        SelectButton(band, false);
        PageControls::SetSlider(m_sliders[band], 0);
        PageControls::SetText(m_gainEdits[band], L"0.0");
        SendBand(band, 0.0f);
    } else {
        if (std::fabs(b.gain - shown) < 0.001f) return;
        SelectButton(band, true);
        b.enable = 1;
        PageControls::SetSlider(m_sliders[band], static_cast<int>(b.gain * 10));
        PageControls::SetNumber(m_gainEdits[band], L"%.1f", b.gain);
        SendBand(band, b.gain);
    }
    UpdateEqualizer(-1);
}

void CCustomEqWnd::EqualizerCallback(int band, int cmd) {
    LogPrintW(L"%ls cmd %d index %d\n", L"EqualizerCallback", cmd, band);
    if (cmd != 0 || band < 0 || band >= kBands || !m_curve) return;
    const EqBand dragged = m_curve->GetBand(band);
    EqBand& stored = m_bands[band];
    if (dragged.freq == stored.freq && std::fabs(dragged.factor - stored.factor) < 0.01f && stored.enable &&
        (std::fabs(dragged.gain - stored.gain) < 0.01f || std::fabs(dragged.gain) < 0.001f))
        return;
    stored = EqBand(dragged.gain, ClampQ(dragged.factor), std::max(MinFreq, std::min(MaxFreq, dragged.freq)), 1);
    SelectButton(band, stored.gain != 0);
    SendBand(band, stored.gain);
    RefreshBandControls();
    UpdateEqualizer(band);
    PageControls::FocusAndSelectAll(m_gainEdits[band]);
}

void CCustomEqWnd::SetOutputEqReset() {
    LogPrintW(L"on %ls\n", L"CCustomEqWnd::SetOutputEqReset");
    if (ShowMsgWnd(m_hWnd, L"${tips}", L"${reset_all_eq_tips}") != 1) return;
    ApplyPreset(false);
}

void CCustomEqWnd::SetOutputEqRestore() {
    LogPrintW(L"on %ls\n", L"CCustomEqWnd::SetOutputEqRestore");
    if (ShowMsgWnd(m_hWnd, L"${tips}", L"${restore_all_factory_eq_tips}") != 1) return;
    ApplyPreset(true);
}

void CCustomEqWnd::ApplyPreset(bool factory) {
    for (int i = 0; i < kBands; ++i) {
        m_bands[i] = factory ? FactoryBand(m_config, i) : FlatBand(i);
        SendBand(i, m_bands[i].gain);
    }
    RefreshBandControls();
    UpdateEqualizer(-1);
}

void CCustomEqWnd::SendBand(int band, float gain) {
    const EqBand& b = m_bands[band];
    m_link.EQ_Ctrl(static_cast<uint8_t>(m_config.scene), 0, static_cast<uint8_t>(m_output),
                   static_cast<uint8_t>(band + kFirstDeviceBand), static_cast<uint16_t>(b.freq), b.factor, gain, false);
}
