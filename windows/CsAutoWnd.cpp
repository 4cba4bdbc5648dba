#include "CsAutoWnd.h"

#include "MsgWnd.h"
#include "PageControls.h"
#include "ToolWindowControls.h"
#include "UICombo.h"
#include "UIDpi.h"
#include "base/Log.h"
#include "device/DeviceLink.h"
#include "model/ValueRanges.h"

#include <algorithm>
#include <cstring>
#include <exception>

using namespace SkinUI;
using namespace ToolWindow;

namespace {

constexpr int kExtraWidth = 230;
constexpr int kRowHeight = 83;        // per input channel beyond six
constexpr int kLayoutChannels = 6;    // the layout is drawn for six extra channels
constexpr int kMinHeight = 470;       // every row stays in reach, whatever the source
constexpr int kGainScale = 100;       // slider units per gain unit

const wchar_t* const kComboNames[] = {L"combo_mode", L"combo_front", L"combo_surround", L"combo_subwoofer"};
const wchar_t* const kComboLogs[] = {L"set combo mode to %ls index %d\n", L"set combo front to %ls index %d\n",
                                     L"set combo surround to %ls index %d\n",
                                     L"set combo subwoofer to %ls index %d\n"};

}  // namespace

void CsAutoSettings::Restore() {
    const uint8_t keep = scene;
    *this = CsAutoSettings{};
    scene = keep;
}

SIZE CsAutoClientSize(SIZE layout, int extraChannels, int dpiPercent) {
    const int cx = layout.cx + kExtraWidth;
    const int cy = std::max(kMinHeight, static_cast<int>(layout.cy + (extraChannels - kLayoutChannels) * kRowHeight));
    return SIZE{cx * dpiPercent / 100, cy * dpiPercent / 100};
}

SKINUI_BEGIN_NOTIFY_MAP(CSAutoWnd, WindowImplBase)
    SKINUI_NOTIFY_ENTRY(L"click", L"", &CSAutoWnd::OnClick)
SKINUI_END_NOTIFY_MAP()

int ShowCsAutoWnd(HWND owner, DspConfig& config, DeviceLink& link) {
    static CsAutoSettings session;
    return ShowCsAutoWnd(owner, config, link, session);
}

int ShowCsAutoWnd(HWND owner, DspConfig& config, DeviceLink& link, CsAutoSettings& settings) {
    return RunToolWindow(new CSAutoWnd(config, link, settings), owner, L"CSAutoWnd");
}

CSAutoWnd::CSAutoWnd(DspConfig& config, DeviceLink& link, CsAutoSettings& settings)
    : m_config(config), m_link(link), m_settings(settings) {}

void CSAutoWnd::OnInitWindow() {
    CSkinDialogWnd::OnInitWindow();
    m_extraChannels = GetSourceExtraChannels(m_config.inputSource);
    BuildControls();
    FitToSource();
    m_ready = true;
}

void CSAutoWnd::BuildControls() {
    m_settings.scene = static_cast<uint8_t>(m_config.scene);
    for (int i = 0; i < CsAutoSettings::kSwitches; ++i) {
        m_buttons[i] = m_pm.FindControlByName(Numbered(L"btn_auto_", i).c_str());
        PageControls::SetSelected(m_buttons[i], m_settings.enable[i] != 0);
    }
    for (int i = 0; i < CsAutoSettings::kGains; ++i) m_sliders[i] = FindSlider(m_pm, Numbered(L"slider_auto_", i));
    for (int i = 0; i < CsAutoSettings::kGains; ++i) {
        m_edits[i] = FindEdit(m_pm, Numbered(L"edit_auto_", i));
        PageControls::SetNumber(m_edits[i], L"%.3f", m_settings.gain[i]);
        PageControls::SetSlider(m_sliders[i], static_cast<int>(m_settings.gain[i] * kGainScale));
    }
    for (int c = 0; c < kCombos; ++c) {
        CControlUI* control = m_pm.FindControlByName(kComboNames[c]);
        m_combos[c] = control ? static_cast<CComboUI*>(control->GetInterface(L"Combo")) : nullptr;
        // The "itemselect" this raises comes before the window is ready and sends nothing.
        if (m_combos[c]) m_combos[c]->SelectItem(ComboByte(static_cast<Combo>(c)), false);
    }
}

void CSAutoWnd::FitToSource() {
    // The layout's own size: the builder stored it before the window took its DPI.
    const SIZE layout = m_pm.GetInitialSize();
    SIZE client = CsAutoClientSize(layout, m_extraChannels, m_pm.GetDpiScaler()->GetScale());
    // Never taller or wider than the screen's work area: the rows share what there is.
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    if (GetMonitorInfoW(MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTOPRIMARY), &monitor)) {
        client.cx = std::min<LONG>(client.cx, monitor.rcWork.right - monitor.rcWork.left);
        client.cy = std::min<LONG>(client.cy, monitor.rcWork.bottom - monitor.rcWork.top);
    }
    ResizeClientArea(client.cx, client.cy);
    CenterOnOwner();
}

void CSAutoWnd::OnClick(TNotifyMessage& msg) {
    if (!HandleClick(*this, m_closeButton, msg.pSender) && EqualsNoCase(NameOf(msg.pSender), L"btn_restore_cs_auto"))
        RestoreCSAuto();
}

void CSAutoWnd::Notify(TNotifyMessage& msg) {
    try {
        Route(msg);
    } catch (const std::exception& e) {
        LogPrintA("CSAutoWnd::Notify: %s\n", e.what());
    } catch (...) {
        LogPrintA("CSAutoWnd::Notify failed\n");
    }
    WindowImplBase::Notify(msg);
}

void CSAutoWnd::Route(TNotifyMessage& msg) {
    const std::wstring name = NameOf(msg.pSender);
    const std::wstring type = msg.sType.Data();
    LogPrintW(L"Notify %ls\n", name.c_str());
    if (!m_ready || !msg.pSender) return;
    const int index = UserIndex(msg.pSender);
    const bool gainIndex = index >= 0 && index < CsAutoSettings::kGains;
    if (type == L"selectchanged") {
        LogPrintW(L"on option %ls UI_MSGTYPE_SELECTCHANGED index %d\n", name.c_str(), index);
        if (StartsWith(name, L"btn_auto_") && index >= 0 && index < CsAutoSettings::kSwitches)
            OnAutoButton(index, msg.pSender);
    } else if (type == L"valuechanged" || type == L"movevaluechanged") {
        LogPrintW(L"on cs auto silder %ls valuechanged index %d\n", name.c_str(), index);
        if (StartsWith(name, L"slider_auto_") && gainIndex) OnAutoSlider(index);
    } else if (type == L"valuechangedup" || type == L"valuechangeddown") {
        const bool up = type == L"valuechangedup";
        LogPrintW(up ? L"on edit %ls UI_MSGTYPE_VALUECHANGED_UP\n" : L"on edit %ls UI_MSGTYPE_VALUECHANGED_DOWN\n",
                  name.c_str());
        // Both directions only for the gain edits: no other edit steps a gain.
        if (StartsWith(name, L"edit_auto_") && gainIndex) SetChVolumeUp(index, up);
    } else if (type == L"return") {
        LogPrintW(L"on edit %ls UI_MSGTYPE_RETURN\n", name.c_str());
        if (StartsWith(name, L"edit_auto_") && gainIndex) OnAutoEdit(index);
    } else if (type == L"itemselect") {
        for (int c = 0; c < kCombos; ++c)
            if (StartsWith(name, kComboNames[c])) OnComboSelect(static_cast<Combo>(c));
    }
}

void CSAutoWnd::OnAutoButton(int index, CControlUI* sender) {
    const bool on = PageControls::IsSelected(sender);
    m_settings.enable[index] = on ? 1 : 0;
    LogPrintW(L"cs auto %d seleted %d\n", index, on ? 1 : 0);
    SendSettings();
}

void CSAutoWnd::OnAutoSlider(int index) {
    if (!m_sliders[index]) return;
    m_settings.gain[index] = static_cast<float>(m_sliders[index]->GetValue()) / kGainScale;
    LogPrintW(L"set auto %d slider to %.3f\n", index, m_settings.gain[index]);
    if (CEditUI* edit = m_edits[index]) {
        PageControls::SetNumber(edit, L"%.3f", m_settings.gain[index]);
        edit->SetFocus();
        edit->SetSelAll();
    }
    SendSettings();
}

void CSAutoWnd::OnAutoEdit(int index) {
    CEditUI* edit = m_edits[index];
    CSliderUI* slider = m_sliders[index];
    if (!edit || !slider) return;
    const double upper = static_cast<double>(slider->GetMaxValue()) / kGainScale;
    const double lower = static_cast<double>(slider->GetMinValue()) / kGainScale;
    double typed = 0;
    if (!ReadNumberText(edit->GetText().Data(), lower, upper, &typed)) {
        PageControls::SetNumber(edit, L"%.3f", m_settings.gain[index]);  // not a number: nothing changes
        return;
    }
    const float value = static_cast<float>(typed);
    PageControls::SetNumber(edit, L"%.3f", value);
    PageControls::SetSlider(slider, static_cast<int>(value * kGainScale));
    m_settings.gain[index] = value;
    SendSettings();
}

void CSAutoWnd::SetChVolumeUp(int index, bool up) {
    LogPrintW(L"SetChVolumeUp %d \n", up ? 1 : 0);
    CSliderUI* slider = m_sliders[index];
    if (!slider) return;
    const int v = slider->GetValue();
    if ((up && v >= slider->GetMaxValue()) || (!up && v <= slider->GetMinValue())) return;
    PageControls::SetSlider(slider, v + (up ? 1 : -1));
    OnAutoSlider(index);
}

uint8_t& CSAutoWnd::ComboByte(Combo combo) {
    switch (combo) {
    case kMode: return m_settings.mode;
    case kFront: return m_settings.front;
    case kSurround: return m_settings.surround;
    default: return m_settings.subwoofer;
    }
}

void CSAutoWnd::OnComboSelect(Combo combo) {
    CComboUI* box = m_combos[combo];
    if (!box || box->GetCurSel() < 0) return;
    ComboByte(combo) = static_cast<uint8_t>(box->GetCurSel());
    LogPrintW(kComboLogs[combo], box->GetText().Data(), box->GetCurSel());
    SendSettings();
}

void CSAutoWnd::RestoreCSAuto() {
    LogPrintW(L"on %ls\n", L"CSAutoWnd::RestoreCSAuto");
    if (ShowMsgWnd(m_hWnd, L"${tips}", L"${restore_cs_auto}") != 1) return;
    m_settings.Restore();
    for (int i = 0; i < CsAutoSettings::kSwitches; ++i) PageControls::SetSelected(m_buttons[i], true);
    for (int i = 0; i < CsAutoSettings::kGains; ++i) {
        PageControls::SetNumber(m_edits[i], L"%.3f", m_settings.gain[i]);
        PageControls::SetSlider(m_sliders[i], static_cast<int>(m_settings.gain[i] * kGainScale));
    }
    // Combos whose choice changes report it (and send) on their own; the whole record follows anyway.
    for (int c = 0; c < kCombos; ++c)
        if (m_combos[c]) m_combos[c]->SelectItem(ComboByte(static_cast<Combo>(c)), false);
    SendSettings();
}

void CSAutoWnd::SendSettings() {
    uint32_t words[13];
    std::memcpy(words, &m_settings, sizeof words);
    m_link.CS_Auto_Setting_Ctrl(words, false);
}
