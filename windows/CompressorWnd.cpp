#include "CompressorWnd.h"

#include "EqualizerManager.h"
#include "PageControls.h"
#include "SButton.h"
#include "ToolWindowControls.h"
#include "UIEqualizer.h"
#include "base/Log.h"
#include "model/ValueRanges.h"

#include <exception>

using namespace SkinUI;
using namespace ToolWindow;

namespace {

struct CompressorValue {
    const wchar_t* key;        // "slider_" or "edit_" + key
    const wchar_t* format;     // of the edit
    const wchar_t* sliderLog;  // logged when the slider moves
    int scale;                 // slider units per value unit
    int step;                  // of Up and Down, in slider units
};

const CompressorValue kValues[CCompressorWnd::kParams] = {
    {L"noise", L"%.1fdB", L"set Noise slider to %.1fdB\n", 10, 1},
    {L"ratio", L"%.1f", L"set Ratio slider to %.1f\n", 10, 1},
    {L"attack_time", L"%dms", L"set AttackTime slider to %dms\n", 1, 10},
    {L"release_time", L"%dms", L"set ReleaseTime slider to %dms\n", 1, 100},
    {L"soft_knee", L"%.1fdB", L"set SoftKnee slider to %.1fdB\n", 10, 1},
};

bool IsTime(int param) { return kValues[param].scale == 1; }

}  // namespace

SKINUI_BEGIN_NOTIFY_MAP(CCompressorWnd, WindowImplBase)
    SKINUI_NOTIFY_ENTRY(L"click", L"", &CCompressorWnd::OnClick)
SKINUI_END_NOTIFY_MAP()

int ShowCompressorWnd(HWND owner, EqualizerManager& controller) {
    return RunToolWindow(new CCompressorWnd(controller), owner, L"CompressorWnd");
}

CCompressorWnd::CCompressorWnd(EqualizerManager& controller)
    : m_controller(controller), m_config(controller.config), m_link(controller.Device()) {}

int CCompressorWnd::ParamOfName(const std::wstring& name) {
    for (int p = 0; p < kParams; ++p) {
        if (StartsWith(name, (std::wstring(L"edit_") + kValues[p].key).c_str()) ||
            StartsWith(name, (std::wstring(L"slider_") + kValues[p].key).c_str()))
            return p;
    }
    return -1;
}

std::wstring CCompressorWnd::NextEdit(int param, bool forward) {
    // The ring runs noise, ratio, attack, release, soft knee and back to noise.
    const int next = (param + (forward ? 1 : kParams - 1)) % kParams;
    return std::wstring(L"edit_") + kValues[next].key;
}

CControlUI* CCompressorWnd::CreateControl(const wchar_t* className) {
    if (_wcsicmp(className, L"Curve") == 0) return new UIEqualizer;
    if (_wcsicmp(className, L"SButton") == 0) return new CSButtonUI;
    return nullptr;
}

int CCompressorWnd::Output() const {
    const int n = m_controller.CurrentOutput();
    return n >= 0 && n < OutputCount ? n : 0;
}

void CCompressorWnd::OnInitWindow() {
    CSkinDialogWnd::OnInitWindow();
    m_channelLabel = m_pm.FindControlByName(L"curr_channel_text");
    PageControls::SetText(m_channelLabel, (L"CH" + std::to_wstring(Output() + 1)).c_str());
    m_bypass = m_pm.FindControlByName(L"btn_bp");
    PageControls::SetSelected(m_bypass, m_config.compressor.bypass[Output()] != 0);
    for (int p = 0; p < kParams; ++p) {
        m_sliders[p] = FindSlider(m_pm, std::wstring(L"slider_") + kValues[p].key);
        m_edits[p] = FindEdit(m_pm, std::wstring(L"edit_") + kValues[p].key);
        ShowValue(p, ShownValue(p));
    }
}

void CCompressorWnd::OnClick(TNotifyMessage& msg) {
    const std::wstring name = NameOf(msg.pSender);
    if (EqualsNoCase(name, L"confirm_btn")) PostClose(1);
    else if (EqualsNoCase(name, L"closebtn")) PostClose(0);
}

void CCompressorWnd::Notify(TNotifyMessage& msg) {
    bool passOn = true;
    try {
        passOn = Route(msg);
    } catch (const std::exception& e) {
        LogPrintA("CCompressorWnd::Notify: %s\n", e.what());
    } catch (...) {
        LogPrintA("CCompressorWnd::Notify failed\n");
    }
    if (passOn) WindowImplBase::Notify(msg);
}

bool CCompressorWnd::Route(TNotifyMessage& msg) {
    const std::wstring name = NameOf(msg.pSender);
    const std::wstring type = msg.sType.Data();
    LogPrintW(L"Notify %ls\n", name.c_str());
    if (!msg.pSender) return true;
    const int param = ParamOfName(name);
    const bool isEdit = StartsWith(name, L"edit_");
    if (type == L"click") {
        if (EqualsNoCase(name, L"minbtn")) {
            SendMessageW(m_hWnd, WM_SYSCOMMAND, SC_MINIMIZE, 0);
            return false;
        }
    } else if (type == L"selectchanged") {
        LogPrintW(L"on option %ls UI_MSGTYPE_SELECTCHANGED %d\n", name.c_str(), UserIndex(msg.pSender));
        if (StartsWith(name, L"btn_bp")) {
            const bool bypassed = PageControls::IsSelected(msg.pSender);
            LogPrintW(L"Bypass seleted %d\n", bypassed ? 1 : 0);
            m_config.compressor.bypass[Output()] = bypassed ? 1 : 0;
            SendCompressor();
        }
    } else if (type == L"killfocus" || type == L"return") {
        LogPrintW(L"on edit %ls UI_MSGTYPE_RETURN\n", name.c_str());
        if (isEdit && param >= 0) CommitEdit(param);
    } else if (type == L"valuechangedright" || type == L"valuechangedleft") {
        const bool forward = type == L"valuechangedright";
        LogPrintW(forward ? L"on edit %ls UI_MSGTYPE_VALUECHANGED_RIGHT\n" : L"on edit %ls UI_MSGTYPE_VALUECHANGED_LEFT\n",
                  name.c_str());
        if (isEdit && param >= 0) {
            if (CEditUI* target = FindEdit(m_pm, NextEdit(param, forward))) target->SetFocus();
        }
    } else if (type == L"valuechanged" || type == L"movevaluechanged") {
        if (StartsWith(name, L"slider_") && param >= 0) {
            LogPrintW(L"on silder %ls valuechanged\n", name.c_str());
            OnSlider(param);
        }
    } else if (type == L"valuechangedup" || type == L"valuechangeddown") {
        const bool up = type == L"valuechangedup";
        LogPrintW(up ? L"on edit %ls UI_MSGTYPE_VALUECHANGED_UP\n" : L"on edit %ls UI_MSGTYPE_VALUECHANGED_DOWN\n",
                  name.c_str());
        if (isEdit && param >= 0) StepSlider(param, up);
    }
    return true;
}

int CCompressorWnd::Scale(int param) { return kValues[param].scale; }
int CCompressorWnd::Step(int param) { return kValues[param].step; }

float CCompressorWnd::ReadValue(const CompressorSettings& s, int param, int n) {
    switch (param) {
    case kThreshold: return s.threshold[n];
    case kRatio: return s.ratio[n];
    case kAttack: return static_cast<float>(s.attackTime[n]);
    case kRelease: return static_cast<float>(s.releaseTime[n]);
    default: return s.softKnee[n];
    }
}

void CCompressorWnd::StoreValue(CompressorSettings& s, int param, int n, float value) {
    switch (param) {
    case kThreshold: s.threshold[n] = value; break;  // kept as typed, not rounded to the shown tenth
    case kRatio: s.ratio[n] = value; break;
    case kAttack: s.attackTime[n] = static_cast<int32_t>(value); break;
    case kRelease: s.releaseTime[n] = static_cast<int32_t>(value); break;
    default: s.softKnee[n] = value; break;
    }
}

std::wstring CCompressorWnd::ValueText(int param, float value) {
    return IsTime(param) ? PageControls::Format(kValues[param].format, static_cast<int>(value))
                         : PageControls::FormatReal(kValues[param].format, value);
}

void CCompressorWnd::ShowValue(CEditUI* edit, CSliderUI* slider, int param, float value) {
    PageControls::SetText(edit, ValueText(param, value).c_str());
    PageControls::SetSlider(slider, static_cast<int>(value * Scale(param)));
}

float CCompressorWnd::StoredValue(int param) const { return ReadValue(m_config.compressor, param, Output()); }

// The stored value as the slider beside it can show it: held to the slider's range.
float CCompressorWnd::ShownValue(int param) const {
    const float value = StoredValue(param);
    const CSliderUI* slider = m_sliders[param];
    if (!slider) return value;
    const float scale = static_cast<float>(kValues[param].scale);
    const float lower = slider->GetMinValue() / scale, upper = slider->GetMaxValue() / scale;
    return value < lower ? lower : value > upper ? upper : value;
}
void CCompressorWnd::Store(int param, float value) { StoreValue(m_config.compressor, param, Output(), value); }
void CCompressorWnd::ShowValue(int param, float value) { ShowValue(m_edits[param], m_sliders[param], param, value); }

void CCompressorWnd::CommitEdit(int param) {
    CEditUI* edit = m_edits[param];
    CSliderUI* slider = m_sliders[param];
    if (!edit || !slider) return;
    // Enter commits, and so does the focus leaving afterwards: text still showing the stored value is
    // no change (and must not round a typed 3.24 to the 3.2 it shows).
    if (edit->GetText().Data() == ValueText(param, ShownValue(param))) return;
    // The bounds are the slider's in whole value units (a maximum of 605 tenths allows 60.0).
    const int scale = kValues[param].scale;
    const int lower = slider->GetMinValue() / scale, upper = slider->GetMaxValue() / scale;
    double typed = 0;
    if (!ReadNumberText(edit->GetText().Data(), lower, upper, &typed)) {
        ShowValue(param, ShownValue(param));  // not a number: the value in force again, nothing sent
        return;
    }
    float value = static_cast<float>(typed);
    if (IsTime(param)) value = static_cast<float>(static_cast<int>(typed));
    ShowValue(param, value);
    Store(param, value);
    SendCompressor();
}

void CCompressorWnd::OnSlider(int param) {
    CSliderUI* slider = m_sliders[param];
    if (!slider) return;
    const float value = static_cast<float>(slider->GetValue()) / kValues[param].scale;
    CEditUI* edit = m_edits[param];
    if (IsTime(param))
        LogPrintW(kValues[param].sliderLog, static_cast<int>(value));
    else
        LogPrintW(kValues[param].sliderLog, value);
    PageControls::SetText(edit, ValueText(param, value).c_str());
    if (edit) {
        edit->SetFocus();
        edit->SetSelAll();
    }
    Store(param, value);
    SendCompressor();
}

void CCompressorWnd::StepSlider(int param, bool up) {
    CSliderUI* slider = m_sliders[param];
    if (!slider) return;
    const int v = slider->GetValue();
    if ((up && v >= slider->GetMaxValue()) || (!up && v <= slider->GetMinValue())) return;
    PageControls::SetSlider(slider, v + (up ? kValues[param].step : -kValues[param].step));
    OnSlider(param);
}

void CCompressorWnd::SendCompressor() {
    const CompressorSettings& s = m_config.compressor;
    const int n = Output();
    m_link.Compressor_Ctrl(static_cast<uint8_t>(m_config.scene), static_cast<uint8_t>(m_config.inputSource & 0xFF),
                           static_cast<uint8_t>(n), static_cast<uint8_t>(s.bypass[n]), s.threshold[n], s.ratio[n],
                           s.attackTime[n], s.releaseTime[n], s.softKnee[n], false);
}
