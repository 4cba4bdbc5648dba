#include "PowerOffDelayWnd.h"

#include "PageControls.h"
#include "ToolWindowControls.h"
#include "base/Log.h"
#include "device/DeviceLink.h"
#include "model/ValueRanges.h"

#include <exception>

using namespace SkinUI;

namespace {

int Clamp(int value) { return value < 0 ? 0 : (value > CPowerOffDelayWnd::kMaxDelayMs ? CPowerOffDelayWnd::kMaxDelayMs : value); }

bool StartsWith(const CUIString& name, const wchar_t* prefix) { return name.Find(prefix, 0) == 0; }

}  // namespace

SKINUI_BEGIN_NOTIFY_MAP(CPowerOffDelayWnd, WindowImplBase)
    SKINUI_NOTIFY_ENTRY(L"click", L"", &CPowerOffDelayWnd::OnClick)
SKINUI_END_NOTIFY_MAP()

void CPowerOffDelayWnd::SetTarget(DeviceLink* link, int32_t* powerOffDelay) {
    m_link = link;
    m_value = powerOffDelay;
}

void CPowerOffDelayWnd::OnInitWindow() {
    CSkinDialogWnd::OnInitWindow();
    m_edit = dynamic_cast<CEditUI*>(m_pm.FindControlByName(L"value_edt"));
    m_slider = dynamic_cast<CSliderUI*>(m_pm.FindControlByName(L"slider_poweroff_delay"));
    PageControls::SetInt(m_edit, L"%d ms", ValueInForce());
    PageControls::SetSlider(m_slider, ValueInForce());
}

int CPowerOffDelayWnd::ValueInForce() const { return m_value ? Clamp(*m_value) : 0; }

bool CPowerOffDelayWnd::ReadEdit(int* value) const {
    int32_t read = 0;
    if (!ReadIntegerText(PageControls::TextOf(m_edit).c_str(), 0, kMaxDelayMs, &read)) return false;
    *value = read;
    return true;
}

void CPowerOffDelayWnd::ApplyValue(int value, bool moveSlider, bool focusEdit) {
    value = Clamp(value);
    PageControls::SetInt(m_edit, L"%d ms", value);
    if (m_value) *m_value = value;
    if (m_link) m_link->Set_Power_Off_Time(static_cast<uint16_t>(value), false);
    if (moveSlider) PageControls::SetSlider(m_slider, value);
    if (focusEdit) PageControls::FocusAndSelectAll(m_edit);
}

void CPowerOffDelayWnd::ApplyEditValue(bool focusEdit) {
    int value = 0;
    if (ReadEdit(&value)) {
        ApplyValue(value, true, focusEdit);
        return;
    }
    // Not a number: nothing changes and the box shows the delay in force again.
    PageControls::SetInt(m_edit, L"%d ms", ValueInForce());
    if (focusEdit) PageControls::FocusAndSelectAll(m_edit);
}

void CPowerOffDelayWnd::StepValue(bool up) {
    int value = ValueInForce();
    ReadEdit(&value);  // from what is typed, when it is a number
    ApplyValue(value + (up ? 1 : -1), true, true);
}

void CPowerOffDelayWnd::OnSliderChanged() {
    if (m_slider) ApplyValue(m_slider->GetValue(), false, true);
}

void CPowerOffDelayWnd::Notify(TNotifyMessage& msg) {
    try {
        LogPrintW(L"Notify %ls\n", msg.sType.Data());
        const CUIString name = msg.pSender ? msg.pSender->GetName() : CUIString();
        const CUIString& type = msg.sType;
        if ((type == L"valuechanged" || type == L"movevaluechanged") && StartsWith(name, L"slider_poweroff_delay")) {
            OnSliderChanged();
        } else if (type == L"valuechangedup" && StartsWith(name, L"value_edt")) {
            StepValue(true);
        } else if (type == L"valuechangeddown" && StartsWith(name, L"value_edt")) {
            StepValue(false);
        } else if (type == L"return" && StartsWith(name, L"value_edt")) {
            ApplyEditValue();
        } else if (type == L"killfocus" && (StartsWith(name, L"value_edt") || StartsWith(name, L"box_edit_"))) {
            // A value typed and left is kept, without pulling the focus back from where it went.
            ApplyEditValue(false);
        }
        WindowImplBase::Notify(msg);
    } catch (const std::exception& e) {
        LogPrintA("CPowerOffDelayWnd::Notify: %s\n", e.what());
    }
}

void CPowerOffDelayWnd::OnClick(TNotifyMessage& msg) {
    if (!msg.pSender) return;
    const CUIString name = msg.pSender->GetName();
    if (msg.pSender == m_closeButton || EqualsIgnoreCase(name.Data(), L"cancel_btn")) {
        PostClose(0);  // what was sent stays sent
    } else if (EqualsIgnoreCase(name.Data(), L"confirm_btn")) {
        ApplyEditValue(false);
        PostClose(1);
    }
}

BOOL CPowerOffDelayWnd::OnDefaultKey(WPARAM key) {
    if (key == VK_ESCAPE) PostClose(0);
    return key == VK_ESCAPE;
}

LRESULT CPowerOffDelayWnd::HandleOtherMessage(UINT message, WPARAM wParam, LPARAM, BOOL& handled) {
    handled = FALSE;
    if (message == WM_KEYDOWN && (wParam == VK_UP || wParam == VK_DOWN)) StepValue(wParam == VK_UP);
    return 0;
}

int ShowPowerOffDelayWnd(HWND owner, DeviceLink& link, int32_t& powerOffDelay) {
    auto* window = new CPowerOffDelayWnd;
    window->SetTarget(&link, &powerOffDelay);
    return ToolWindow::RunToolWindow(window, owner, L"poweroffdelaywnd");  // the window deletes itself when it is destroyed
}
