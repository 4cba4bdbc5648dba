#pragma once
// The power-off delay window: the amplifier's power-off delay, 0 to 1000 ms, as a slider and an edit
// box; every change goes to the amplifier at once (through the send queue) and into the value it was
// given. The program's menu does not offer it; it can be opened like the other tool windows.
#include "SkinDialogWnd.h"

#include <cstdint>

class DeviceLink;

namespace SkinUI {
class CEditUI;
class CSliderUI;
}  // namespace SkinUI

class CPowerOffDelayWnd : public CSkinDialogWnd {
public:
    static constexpr int kMaxDelayMs = 1000;

    // Set before the window is created: the link the changes go through and the value they are kept in.
    void SetTarget(DeviceLink* link, int32_t* powerOffDelay);

    void ApplyEditValue(bool focusEdit = true);
    void StepValue(bool up);
    void OnSliderChanged();

protected:
    const wchar_t* GetWndClassName() const override { return L"PowerOffDelayWnd"; }
    SkinUI::CUIString GetLayoutFile() const override { return SkinUI::CUIString(L"XML_POWEROFF_DELAY"); }
    void OnInitWindow() override;
    void OnClick(SkinUI::TNotifyMessage& msg) override;
    void Notify(SkinUI::TNotifyMessage& msg) override;
    BOOL OnDefaultKey(WPARAM key) override;
    LRESULT HandleOtherMessage(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;

private:
    int ValueInForce() const;
    // The typed delay ("250 ms" reads 250) held to 0..1000; false when the text is not a number.
    bool ReadEdit(int* value) const;
    void ApplyValue(int value, bool moveSlider, bool focusEdit);

    SkinUI::CEditUI* m_edit = nullptr;
    SkinUI::CSliderUI* m_slider = nullptr;
    DeviceLink* m_link = nullptr;
    int32_t* m_value = nullptr;

    SKINUI_DECLARE_NOTIFY_MAP()
};

// Opens the window modally over `owner`; returns its close code (1 when confirmed).
int ShowPowerOffDelayWnd(HWND owner, DeviceLink& link, int32_t& powerOffDelay);
