#pragma once
// The custom EQ window: a 20-band parametric EQ for the current output, kept in the configuration's own
// custom-band block and sent to the amplifier as its EQ bands 11 to 30. Each band has a frequency, Q and
// gain edit, a gain slider and an on/off button; the bands can also be dragged on the curve, which
// shows their summed response. Two buttons set all bands flat or to the factory preset.
#include "SkinDialogWnd.h"
#include "model/Crossover.h"
#include "model/DspConfig.h"

#include <string>

class EqualizerManager;
class DeviceLink;

namespace SkinUI {
class CEditUI;
class CSliderUI;
class UIEqualizer;
}  // namespace SkinUI

int ShowCustomEqWnd(HWND owner, EqualizerManager& controller);

class CCustomEqWnd : public CSkinDialogWnd {
public:
    static constexpr int kBands = CustomEqBandCount;
    static constexpr int kFirstDeviceBand = 11;  // custom band i is the amplifier's EQ band i + 11

    enum class Move { Left, Right, Down };
    // The edit the focus moves to from a band edit ("eq_freq_", "eq_q_" or "eq_gain_" and its band);
    // qEnabled tells whether the last Q edit takes the focus (Left from the first gain edit).
    static std::wstring FocusTarget(const std::wstring& name, int band, Move move, bool qEnabled);
    // The factory preset's band i, frequencies raised to the 20 Hz the amplifier takes.
    static EqBand FactoryBand(const DspConfig& config, int band);
    // The flat preset's band i.
    static EqBand FlatBand(int band);

    explicit CCustomEqWnd(EqualizerManager& controller);

    void Notify(SkinUI::TNotifyMessage& msg) override;

protected:
    const wchar_t* GetWndClassName() const override { return L"CustomEqWnd"; }
    SkinUI::CUIString GetLayoutFile() const override { return SkinUI::CUIString(L"XML_CUSTOM_EQ"); }
    void OnInitWindow() override;
    void OnClick(SkinUI::TNotifyMessage& msg) override;
    SkinUI::CControlUI* CreateControl(const wchar_t* className) override;

private:
    bool Route(SkinUI::TNotifyMessage& msg);  // false: the base dispatch is skipped
    void OnButton(const std::wstring& name, int band);
    void FocusEdit(const std::wstring& name);
    void RefreshBandControls();
    void ShowBandRow(int band);  // the band's three edits and slider, as stored
    void UpdateEqualizer(int selected);
    void SetChEqEdit(int band);
    void SetEqFreqUp(int band, bool up);
    void SetEqQUp(int band, bool up);
    void SetEqGainUp(int band, bool up);
    void OnSlider(int band);
    void OnEqEnable(int band);
    void EqualizerCallback(int band, int cmd);
    void SetOutputEqReset();
    void SetOutputEqRestore();
    void ApplyPreset(bool factory);
    void SelectButton(int band, bool selected);
    void SendBand(int band, float gain);

    EqualizerManager& m_controller;
    DspConfig& m_config;
    DeviceLink& m_link;
    EqBand* m_bands;
    int m_output = 0;
    int m_shown = 1;
    SkinUI::UIEqualizer* m_curve = nullptr;
    SkinUI::CEditUI* m_freqEdits[kBands] = {};
    SkinUI::CEditUI* m_qEdits[kBands] = {};
    SkinUI::CEditUI* m_gainEdits[kBands] = {};
    SkinUI::CSliderUI* m_sliders[kBands] = {};
    SkinUI::CControlUI* m_enableButtons[kBands] = {};
    double m_freqs[CurvePoints] = {};
    double m_response[CurvePoints] = {};

    SKINUI_DECLARE_NOTIFY_MAP()
};
