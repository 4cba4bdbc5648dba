#include "KtvWnd.h"

#include "EqualizerManager.h"
#include "PageControls.h"
#include "ToolWindowControls.h"
#include "base/Log.h"
#include "model/ValueRanges.h"

#include <algorithm>
#include <cwchar>

using namespace SkinUI;
using namespace PageControls;

namespace {

uint8_t Byte(int value) { return static_cast<uint8_t>(value); }

bool StartsWith(const CUIString& text, const wchar_t* prefix) { return wcsncmp(text.Data(), prefix, wcslen(prefix)) == 0; }

}  // namespace

const KtvParameter kKtvParameterTable[kKtvParameters] = {
    {L"slider_mic_volume", L"edit_mic_volume", L"%ddB", &KtvSettings::micVolume,
     [](DeviceLink& d, int v) { d.KTV_Mic_Vol_Ctrl(Byte(v), false); }, 0, 255},
    {L"slider_bgmusic_volume", L"edit_bgmusic_volume", L"%ddB", &KtvSettings::musicVolume,
     [](DeviceLink& d, int v) { d.KTV_Music_Vol_Ctrl(Byte(v), false); }, 0, 255},
    {L"slider_voice_changer", L"edit_voice_changer", L"%d", &KtvSettings::voiceChanger,
     [](DeviceLink& d, int v) { d.KTV_Voice_Changer_Ctrl(Byte(v), false); }, 0, 255},
    {L"slider_treble", L"edit_treble", L"%d", &KtvSettings::treble,
     [](DeviceLink& d, int v) { d.KTV_Treble_Gain_Ctrl(static_cast<int8_t>(v), false); }, -128, 127},
    {L"slider_bass", L"edit_bass", L"%d", &KtvSettings::bass,
     [](DeviceLink& d, int v) { d.KTV_Bass_Gain_Ctrl(static_cast<int8_t>(v), false); }, -128, 127},
    {L"slider_echo_level", L"edit_echo_level", L"%ddB", &KtvSettings::echoLevel,
     [](DeviceLink& d, int v) { d.KTV_Echo_Level_Ctrl(Byte(v), false); }, 0, 255},
    {L"slider_echo_delay", L"edit_echo_delay", L"%dms", &KtvSettings::echoDelay,
     [](DeviceLink& d, int v) { d.KTV_Echo_Delay_Ctrl(static_cast<uint16_t>(v), false); }, 0, 65535},
    {L"slider_reverb_level", L"edit_reverb_level", L"%d", &KtvSettings::reverbLevel,
     [](DeviceLink& d, int v) { d.KTV_Reverb_Level_Ctrl(Byte(v), false); }, 0, 255},
    {L"slider_reverb_time", L"edit_reverb_time", L"%dms", &KtvSettings::reverbTime,
     [](DeviceLink& d, int v) { d.KTV_Reverb_Time_Ctrl(Byte(v), false); }, 0, 255},
};

int KtvFocusNeighbour(int index, bool right) { return (index + (right ? 1 : kKtvParameters - 1)) % kKtvParameters; }

SKINUI_BEGIN_NOTIFY_MAP(CKtvWnd, WindowImplBase)
    SKINUI_NOTIFY_ENTRY(L"click", L"", &CKtvWnd::OnClick)
SKINUI_END_NOTIFY_MAP()

CKtvWnd::CKtvWnd(EqualizerManager& controller) : mController(controller) {}

void CKtvWnd::OnInitWindow() {
    CSkinDialogWnd::OnInitWindow();
    const KtvSettings& ktv = mController.config.ktv;
    mHowling = m_pm.FindControlByName(L"option_howling_control");
    SetSelected(mHowling, ktv.howling != 0);
    for (int i = 0; i < kKtvParameters; ++i) {
        const KtvParameter& p = kKtvParameterTable[i];
        CControlUI* slider = m_pm.FindControlByName(p.slider);
        CControlUI* edit = m_pm.FindControlByName(p.edit);
        mSliders[i] = slider ? static_cast<CSliderUI*>(slider->GetInterface(L"Slider")) : nullptr;
        mEdits[i] = edit ? static_cast<CEditUI*>(edit->GetInterface(L"Edit")) : nullptr;
        // The amplifier may report a value its slider cannot take: both show the nearest one it can.
        const int shown = Held(i, ktv.*p.field);
        SetSlider(mSliders[i], shown);
        SetInt(mEdits[i], p.format, shown);
    }
}

void CKtvWnd::OnClick(TNotifyMessage& msg) {
    if (!ToolWindow::HandleClick(*this, m_closeButton, msg.pSender)) WindowImplBase::OnClick(msg);
}

int CKtvWnd::ParameterOfEdit(const CUIString& name) const {
    for (int i = 0; i < kKtvParameters; ++i)
        if (StartsWith(name, kKtvParameterTable[i].edit)) return i;
    return -1;
}

int CKtvWnd::ParameterOfSlider(const CUIString& name) const {
    for (int i = 0; i < kKtvParameters; ++i)
        if (StartsWith(name, kKtvParameterTable[i].slider)) return i;
    return -1;
}

void CKtvWnd::Notify(TNotifyMessage& msg) {
    try {
        LogPrintW(L"Notify %ls\n", msg.sType.Data());
        if (msg.pSender) Route(msg);
    } catch (...) {
        LogPrintA("CKtvWnd::Notify failed\n");
    }
    WindowImplBase::Notify(msg);
}

void CKtvWnd::Route(TNotifyMessage& msg) {
    const CUIString name = msg.pSender->GetName();
    const CUIString& type = msg.sType;
    if (type == L"selectchanged") {
        if (msg.pSender == mHowling) OnHowling();
        return;
    }
    if (type == L"valuechanged" || type == L"movevaluechanged") {
        const int index = ParameterOfSlider(name);
        if (index >= 0) ApplySliderValue(index);
        return;
    }
    const int index = ParameterOfEdit(name);
    if (index < 0) return;
    if (type == L"valuechangedup" || type == L"valuechangeddown")
        StepValue(index, type == L"valuechangedup");
    else if (type == L"valuechangedleft" || type == L"valuechangedright")
        MoveFocus(index, type == L"valuechangedright");
    else if (type == L"return" || type == L"killfocus")
        ApplyTypedValue(index);
}

int CKtvWnd::Limit(int index, bool upper) const {
    const KtvParameter& p = kKtvParameterTable[index];
    const CSliderUI* slider = mSliders[index];
    const int limit = slider ? (upper ? slider->GetMaxValue() : slider->GetMinValue()) : (upper ? p.wireMax : p.wireMin);
    return std::max(p.wireMin, std::min(p.wireMax, limit));
}

int CKtvWnd::Held(int index, int value) const {
    return std::max(Limit(index, false), std::min(Limit(index, true), value));
}

int CKtvWnd::Store(int index, int value) {
    const KtvParameter& p = kKtvParameterTable[index];
    value = Held(index, value);
    SetInt(mEdits[index], p.format, value);
    SetSlider(mSliders[index], value);
    p.send(mController.Device(), value);
    mController.config.ktv.*p.field = value;
    return value;
}

// The number in the edit within the slider's range, however many digits it has; text that is not a
// number gives the value in force.
int CKtvWnd::TypedValue(int index) const {
    int32_t value = mController.config.ktv.*kKtvParameterTable[index].field;
    ReadIntegerText(mEdits[index]->GetText().Data(), Limit(index, false), Limit(index, true), &value);
    return value;
}

void CKtvWnd::ApplyTypedValue(int index) {
    if (!mEdits[index]) return;
    Store(index, TypedValue(index));
}

void CKtvWnd::ApplySliderValue(int index) {
    if (!mSliders[index]) return;
    Store(index, mSliders[index]->GetValue());
    FocusAndSelectAll(mEdits[index]);
}

void CKtvWnd::StepValue(int index, bool up) {
    if (!mEdits[index]) return;
    Store(index, TypedValue(index) + (up ? 1 : -1));
    mEdits[index]->SetSelAll();
}

void CKtvWnd::MoveFocus(int index, bool right) {
    CEditUI* next = mEdits[KtvFocusNeighbour(index, right)];
    if (!next) return;
    next->SetFocus();
    next->SetSelAll();
}

void CKtvWnd::OnHowling() {
    const uint8_t on = IsSelected(mHowling) ? 1 : 0;
    mController.Device().KTV_Howling_Ctrl(on, false);
    mController.config.ktv.howling = on;
}

int ShowKtvWnd(HWND owner, EqualizerManager& controller) {
    return ToolWindow::RunToolWindow(new CKtvWnd(controller), owner, L"KtvWnd");
}
