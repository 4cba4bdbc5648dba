#pragma once
// The CS auto surround window: eleven switches, nine channel gains and the mode and speaker choices of
// the amplifier's automatic surround, kept in one 52-byte record that goes to the amplifier whole after
// every change. A restore button puts every value back to its default after a question.
#include "SkinDialogWnd.h"
#include "model/DspConfig.h"

#include <cstdint>

class DeviceLink;

namespace SkinUI {
class CComboUI;
class CEditUI;
class CSliderUI;
}  // namespace SkinUI

// The command's payload byte for byte (floats little-endian, as they lie in memory).
struct CsAutoSettings {
    static constexpr int kSwitches = 11;
    static constexpr int kGains = 9;

    uint8_t scene = 0;
    uint8_t enable[kSwitches] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    float gain[kGains] = {1, 1, 1, 1, 1, 1, 1, 1, 1};
    uint8_t mode = 0;
    uint8_t front = 5;
    uint8_t surround = 5;
    uint8_t subwoofer = 5;

    // Every value but the scene back to its default.
    void Restore();
};
static_assert(sizeof(CsAutoSettings) == 52, "the record is sent as it lies in memory");

// The window's client size at a DPI percent, from the layout's unscaled size and the source's input
// channels beyond the first two: 230 wider, 83 taller per channel beyond six (shorter below six), and
// never shorter than 470, so every row stays in reach.
SIZE CsAutoClientSize(SIZE layout, int extraChannels, int dpiPercent);

// Opens the window for the current input source; the record lives for the program's run, so the window
// shows the last values sent when it opens again.
int ShowCsAutoWnd(HWND owner, DspConfig& config, DeviceLink& link);
int ShowCsAutoWnd(HWND owner, DspConfig& config, DeviceLink& link, CsAutoSettings& settings);

class CSAutoWnd : public CSkinDialogWnd {
public:
    CSAutoWnd(DspConfig& config, DeviceLink& link, CsAutoSettings& settings);

    void Notify(SkinUI::TNotifyMessage& msg) override;

protected:
    const wchar_t* GetWndClassName() const override { return L"CSAutoWnd"; }
    SkinUI::CUIString GetLayoutFile() const override { return SkinUI::CUIString(L"XML_CS_AUTO"); }
    void OnInitWindow() override;
    void OnClick(SkinUI::TNotifyMessage& msg) override;

private:
    enum Combo { kMode, kFront, kSurround, kSubwoofer, kCombos };

    void BuildControls();
    void FitToSource();
    void Route(SkinUI::TNotifyMessage& msg);
    void OnAutoButton(int index, SkinUI::CControlUI* sender);
    void OnAutoSlider(int index);
    void OnAutoEdit(int index);
    void SetChVolumeUp(int index, bool up);
    void OnComboSelect(Combo combo);
    void RestoreCSAuto();
    uint8_t& ComboByte(Combo combo);
    void SendSettings();

    DspConfig& m_config;
    DeviceLink& m_link;
    CsAutoSettings& m_settings;
    int m_extraChannels = 0;
    bool m_ready = false;
    SkinUI::CControlUI* m_buttons[CsAutoSettings::kSwitches] = {};
    SkinUI::CSliderUI* m_sliders[CsAutoSettings::kGains] = {};
    SkinUI::CEditUI* m_edits[CsAutoSettings::kGains] = {};
    SkinUI::CComboUI* m_combos[kCombos] = {};

    SKINUI_DECLARE_NOTIFY_MAP()
};
