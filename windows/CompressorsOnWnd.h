#pragma once
// The compressors window: for each of the ten outputs side by side, the compressor's on/off box and its
// threshold, attack and release as a slider with an edit. Every change is stored in the live
// configuration and sent at once through the link's queue; there is no apply step.
#include "SkinDialogWnd.h"

#include <string>

class EqualizerManager;
class DeviceLink;
struct DspConfig;

namespace SkinUI {
class CEditUI;
class CSliderUI;
}  // namespace SkinUI

// Opens the window owned by `owner` and returns when it closes, with its close code.
int ShowCompressorsOnWnd(HWND owner, EqualizerManager& controller);

class CCompressorsOnWnd : public CSkinDialogWnd {
public:
    static constexpr int kChannels = 10;
    static constexpr int kParams = 3;  // threshold, attack time, release time

    explicit CCompressorsOnWnd(EqualizerManager& controller);

    // The parameter named in a control's name (0 threshold, 1 attack, 2 release), -1 for none.
    static int ParamOfName(const std::wstring& name);
    // The edit the Left or Right key moves to: the 30 edits form one ring, threshold 0..9, attack 0..9,
    // release 0..9.
    static std::wstring NextEditInRing(int param, int channel, bool forward);

    void Notify(SkinUI::TNotifyMessage& msg) override;

protected:
    const wchar_t* GetWndClassName() const override { return L"CompressorsOnWnd"; }
    SkinUI::CUIString GetLayoutFile() const override { return SkinUI::CUIString(L"XML_COMPRESSORS_ON"); }
    void OnInitWindow() override;
    void OnClick(SkinUI::TNotifyMessage& msg) override;

private:
    void BuildRows();
    void Route(SkinUI::TNotifyMessage& msg);
    void OnEnableBox(SkinUI::CControlUI* box);
    void SetEdit(int param, int channel);
    void SetSlider(int param, int channel);
    void SetSliderUp(int param, int channel, bool up, const std::wstring& name);
    void OnEditMoveFocus(int param, int channel, bool forward);
    float StoredValue(int param, int channel) const;
    void Store(int param, int channel, float value);
    static std::wstring ValueText(int param, float value);
    void ShowValue(int param, int channel, float value);
    void SendCompressor(int channel);

    EqualizerManager& m_controller;
    DspConfig& m_config;
    DeviceLink& m_link;
    SkinUI::CControlUI* m_columns[kChannels] = {};
    SkinUI::CControlUI* m_enableBoxes[kChannels] = {};
    SkinUI::CSliderUI* m_sliders[kParams][kChannels] = {};
    SkinUI::CEditUI* m_edits[kParams][kChannels] = {};
    bool m_ready = false;

    SKINUI_DECLARE_NOTIFY_MAP()
};
