#pragma once
// The compressor editor: the whole compressor of the current output (bypass, threshold, ratio, attack,
// release, soft knee), each value as a slider with an edit. Every change is stored in the live
// configuration and the output's six values are sent at once through the link's queue.
#include "SkinDialogWnd.h"

#include <string>

class EqualizerManager;
class DeviceLink;
struct CompressorSettings;
struct DspConfig;

namespace SkinUI {
class CEditUI;
class CSliderUI;
}  // namespace SkinUI

int ShowCompressorWnd(HWND owner, EqualizerManager& controller);

class CCompressorWnd : public CSkinDialogWnd {
public:
    static constexpr int kParams = 5;  // threshold ("noise"), ratio, attack, release, soft knee
    enum Param { kThreshold, kRatio, kAttack, kRelease, kSoftKnee };

    explicit CCompressorWnd(EqualizerManager& controller);

    // The parameter an edit or slider name stands for, -1 for none.
    static int ParamOfName(const std::wstring& name);
    // The edit the Left or Right key moves to along noise, ratio, attack, release, soft knee.
    static std::wstring NextEdit(int param, bool forward);

    // One output's compressor value by parameter, as the compressors window shows it too: the edit's
    // text, the slider in `Scale` units per value unit (1 for the whole-millisecond times) and `Step`
    // units per Up or Down.
    static float ReadValue(const CompressorSettings& settings, int param, int output);
    static void StoreValue(CompressorSettings& settings, int param, int output, float value);
    static std::wstring ValueText(int param, float value);
    static void ShowValue(SkinUI::CEditUI* edit, SkinUI::CSliderUI* slider, int param, float value);
    static int Scale(int param);
    static int Step(int param);

    void Notify(SkinUI::TNotifyMessage& msg) override;

protected:
    // The same class name as the custom EQ window; registering it again is harmless.
    const wchar_t* GetWndClassName() const override { return L"CustomEqWnd"; }
    SkinUI::CUIString GetLayoutFile() const override { return SkinUI::CUIString(L"XML_COMPRESSOR"); }
    void OnInitWindow() override;
    void OnClick(SkinUI::TNotifyMessage& msg) override;
    SkinUI::CControlUI* CreateControl(const wchar_t* className) override;

private:
    bool Route(SkinUI::TNotifyMessage& msg);  // false: the base dispatch is skipped
    int Output() const;
    float StoredValue(int param) const;
    float ShownValue(int param) const;
    void Store(int param, float value);
    void ShowValue(int param, float value);
    void CommitEdit(int param);
    void OnSlider(int param);
    void StepSlider(int param, bool up);
    void SendCompressor();

    EqualizerManager& m_controller;
    DspConfig& m_config;
    DeviceLink& m_link;
    SkinUI::CControlUI* m_channelLabel = nullptr;
    SkinUI::CControlUI* m_bypass = nullptr;
    SkinUI::CSliderUI* m_sliders[kParams] = {};
    SkinUI::CEditUI* m_edits[kParams] = {};

    SKINUI_DECLARE_NOTIFY_MAP()
};
