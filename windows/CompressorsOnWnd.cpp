#include "CompressorsOnWnd.h"

#include "CompressorWnd.h"
#include "EqualizerManager.h"
#include "PageControls.h"
#include "ToolWindowControls.h"
#include "base/Log.h"
#include "model/ValueRanges.h"

#include <exception>

using namespace SkinUI;
using namespace ToolWindow;

namespace {

// Each row is one of the compressor editor's values, shown and stored as that window does.
struct CompressorParam {
    const wchar_t* key;   // in the control names
    const wchar_t* unit;  // in the log
    int value;            // the compressor editor's parameter
};

const CompressorParam kParamRows[CCompressorsOnWnd::kParams] = {
    {L"threshold", L"dB", CCompressorWnd::kThreshold},
    {L"attack_time", L"ms", CCompressorWnd::kAttack},
    {L"release_time", L"ms", CCompressorWnd::kRelease},
};

int ScaleOf(int param) { return CCompressorWnd::Scale(kParamRows[param].value); }

std::wstring ControlName(const wchar_t* kind, int param, int channel) {
    return std::wstring(kind) + L"_" + kParamRows[param].key + L"_" + std::to_wstring(channel);
}

}  // namespace

SKINUI_BEGIN_NOTIFY_MAP(CCompressorsOnWnd, WindowImplBase)
    SKINUI_NOTIFY_ENTRY(L"click", L"", &CCompressorsOnWnd::OnClick)
SKINUI_END_NOTIFY_MAP()

int ShowCompressorsOnWnd(HWND owner, EqualizerManager& controller) {
    return RunToolWindow(new CCompressorsOnWnd(controller), owner, L"CompressorsOnWnd");
}

CCompressorsOnWnd::CCompressorsOnWnd(EqualizerManager& controller)
    : m_controller(controller), m_config(controller.config), m_link(controller.Device()) {}

int CCompressorsOnWnd::ParamOfName(const std::wstring& name) {
    for (int p = 0; p < kParams; ++p)
        if (name.find(kParamRows[p].key) != std::wstring::npos) return p;
    return -1;
}

std::wstring CCompressorsOnWnd::NextEditInRing(int param, int channel, bool forward) {
    int p = param, c = channel + (forward ? 1 : -1);
    if (c >= kChannels) {
        c = 0;
        p = (p + 1) % kParams;
    } else if (c < 0) {
        c = kChannels - 1;
        p = (p + kParams - 1) % kParams;
    }
    return ControlName(L"edit", p, c);
}

void CCompressorsOnWnd::OnInitWindow() {
    CSkinDialogWnd::OnInitWindow();
    BuildRows();
    m_ready = true;
}

void CCompressorsOnWnd::BuildRows() {
    for (int c = 0; c < kChannels; ++c) {
        m_columns[c] = m_pm.FindControlByName(Numbered(L"column_", c).c_str());
        m_enableBoxes[c] = m_pm.FindControlByName(Numbered(L"box_enable_", c).c_str());
        PageControls::SetSelected(m_enableBoxes[c], m_config.channels[c].compressorOn != 0);
        for (int p = 0; p < kParams; ++p) {
            m_sliders[p][c] = FindSlider(m_pm, ControlName(L"slider", p, c));
            m_edits[p][c] = FindEdit(m_pm, ControlName(L"edit", p, c));
            ShowValue(p, c, StoredValue(p, c));
        }
    }
}

void CCompressorsOnWnd::OnClick(TNotifyMessage& msg) {
    HandleClick(*this, m_closeButton, msg.pSender);
}

void CCompressorsOnWnd::Notify(TNotifyMessage& msg) {
    try {
        Route(msg);
    } catch (const std::exception& e) {
        LogPrintA("CCompressorsOnWnd::Notify: %s\n", e.what());
    } catch (...) {
        LogPrintA("CCompressorsOnWnd::Notify failed\n");
    }
    WindowImplBase::Notify(msg);
}

void CCompressorsOnWnd::Route(TNotifyMessage& msg) {
    const std::wstring name = NameOf(msg.pSender);
    const std::wstring type = msg.sType.Data();
    LogPrintW(L"Notify %ls\n", name.c_str());
    if (!m_ready || !msg.pSender) return;
    const int param = ParamOfName(name);
    const int channel = UserIndex(msg.pSender);
    const bool valid = channel >= 0 && channel < kChannels;
    const wchar_t* line = nullptr;
    if (type == L"selectchanged") {
        LogPrintW(L"on %ls UI_MSGTYPE_SELECTCHANGED\n", name.c_str());
        if (StartsWith(name, L"box_enable_")) OnEnableBox(msg.pSender);
    } else if (type == L"killfocus" || type == L"return") {
        line = type == L"return" ? L"on %ls UI_MSGTYPE_RETURN\n" : L"on %ls UI_MSGTYPE_KILLFOCUS\n";
        LogPrintW(line, name.c_str());
        if (valid && param >= 0 && StartsWith(name, L"edit_")) SetEdit(param, channel);
    } else if (type == L"valuechangedright" || type == L"valuechangedleft") {
        const bool forward = type == L"valuechangedright";
        LogPrintW(forward ? L"on %ls UI_MSGTYPE_VALUECHANGED_RIGHT\n" : L"on %ls UI_MSGTYPE_VALUECHANGED_LEFT\n",
                  name.c_str());
        if (valid && param >= 0 && StartsWith(name, L"edit_")) OnEditMoveFocus(param, channel, forward);
    } else if (type == L"valuechanged" || type == L"movevaluechanged") {
        LogPrintW(type == L"valuechanged" ? L"on %ls UI_MSGTYPE_VALUECHANGED\n" : L"on %ls UI_MSGTYPE_VALUECHANGED_MOVE\n",
                  name.c_str());
        if (valid && param >= 0 && StartsWith(name, L"slider_")) SetSlider(param, channel);
    } else if (type == L"valuechangedup" || type == L"valuechangeddown") {
        const bool up = type == L"valuechangedup";
        LogPrintW(up ? L"on %ls UI_MSGTYPE_VALUECHANGED_UP\n" : L"on %ls UI_MSGTYPE_VALUECHANGED_DOWN\n", name.c_str());
        if (valid && param >= 0) SetSliderUp(param, channel, up, name);
    }
}

void CCompressorsOnWnd::OnEnableBox(CControlUI* box) {
    int channel = -1;
    if (swscanf(NameOf(box).c_str(), L"box_enable_%d", &channel) != 1 || channel < 0 || channel >= kChannels) return;
    const uint8_t on = PageControls::IsSelected(box) ? 1 : 0;
    m_config.channels[channel].compressorOn = on;
    m_controller.SetChCompressor(channel, on);
}

float CCompressorsOnWnd::StoredValue(int param, int channel) const {
    return CCompressorWnd::ReadValue(m_config.compressor, kParamRows[param].value, channel);
}

void CCompressorsOnWnd::Store(int param, int channel, float value) {
    CCompressorWnd::StoreValue(m_config.compressor, kParamRows[param].value, channel, value);
}

std::wstring CCompressorsOnWnd::ValueText(int param, float value) {
    return CCompressorWnd::ValueText(kParamRows[param].value, value);
}

void CCompressorsOnWnd::ShowValue(int param, int channel, float value) {
    CCompressorWnd::ShowValue(m_edits[param][channel], m_sliders[param][channel], kParamRows[param].value, value);
}

void CCompressorsOnWnd::SetEdit(int param, int channel) {
    CEditUI* edit = m_edits[param][channel];
    CSliderUI* slider = m_sliders[param][channel];
    if (!edit || !slider) return;
    const CompressorParam& row = kParamRows[param];
    // Enter commits, and so does the focus leaving afterwards: text still showing the stored value is
    // no change (and must not round a typed 12.34 dB to the 12.3 it shows).
    if (edit->GetText().Data() == ValueText(param, StoredValue(param, channel))) return;
    const double upper = static_cast<double>(slider->GetMaxValue()) / ScaleOf(param);
    const double lower = static_cast<double>(slider->GetMinValue()) / ScaleOf(param);
    double typed = 0;
    if (!ReadNumberText(edit->GetText().Data(), lower, upper, &typed)) {
        ShowValue(param, channel, StoredValue(param, channel));  // not a number: nothing changes
        return;
    }
    const float value = static_cast<float>(typed);
    LogPrintW(L"SetEdit %g %ls\n", value, row.unit);
    ShowValue(param, channel, value);
    Store(param, channel, value);
    SendCompressor(channel);
}

void CCompressorsOnWnd::SetSlider(int param, int channel) {
    CSliderUI* slider = m_sliders[param][channel];
    if (!slider) return;
    const CompressorParam& row = kParamRows[param];
    const float value = static_cast<float>(slider->GetValue()) / ScaleOf(param);
    LogPrintW(L"SetSlider %g %ls\n", value, row.unit);
    CEditUI* edit = m_edits[param][channel];
    PageControls::SetText(edit, ValueText(param, value).c_str());
    if (edit) {
        edit->SetFocus();
        edit->SetSelAll();
    }
    Store(param, channel, value);
    SendCompressor(channel);
}

void CCompressorsOnWnd::SetSliderUp(int param, int channel, bool up, const std::wstring& name) {
    LogPrintW(L"SetSliderUp %ls\n", name.c_str());
    CSliderUI* slider = m_sliders[param][channel];
    if (!slider) return;
    const int step = CCompressorWnd::Step(kParamRows[param].value);
    int v = slider->GetValue();
    if ((up && v >= slider->GetMaxValue()) || (!up && v <= slider->GetMinValue())) return;
    v += up ? step : -step;
    if (step != 1) v -= v % step;  // back onto the step's grid, toward zero
    PageControls::SetSlider(slider, v);
    SetSlider(param, channel);
}

void CCompressorsOnWnd::OnEditMoveFocus(int param, int channel, bool forward) {
    if (CEditUI* target = FindEdit(m_pm, NextEditInRing(param, channel, forward))) {
        target->SetFocus();
        target->SetSelAll();
    }
}

void CCompressorsOnWnd::SendCompressor(int channel) {
    const CompressorSettings& s = m_config.compressor;
    const Compressor2Setting setting{s.threshold[channel], s.attackTime[channel], s.releaseTime[channel]};
    m_link.Compressor_Ctrl2(static_cast<uint8_t>(m_config.scene), static_cast<uint8_t>(m_config.inputSource & 0xFF),
                            static_cast<uint8_t>(channel), static_cast<uint8_t>(channel), &setting, false);
}
