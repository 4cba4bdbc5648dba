#pragma once
// The noise threshold: one value for the whole amplifier, -61 ("off") to -40 dBu, stored in the live
// configuration and sent the moment it changes; and, while the window is open and the amplifier
// connected, a live noise meter per input channel of the current source, polled every 500 ms. The
// window takes the link's noise replies while it is open and gives the slot back when it closes.
#include "SkinDialogWnd.h"
#include "model/DspConfig.h"

#include <string>

class EqualizerManager;
namespace SkinUI {
class CEditUI;
class CProgressUI;
}  // namespace SkinUI

constexpr UINT_PTR NOISE_POLL_TIMER = 4112;
constexpr UINT kNoisePollMs = 500;
constexpr int kNoiseThresholdOff = -61;
constexpr int kNoiseThresholdMax = -40;
constexpr int kNoiseMeterSlots = 8;  // looked up in the layout; inputs without a slot get no meter
constexpr int kNoiseMeterWidth = 50;

// ---- Threshold texts and sizes (pure) ----
// The value a typed text stands for: the "off" text is -61, else the leading integer, kept in range.
int ParseNoiseThreshold(const wchar_t* text, const wchar_t* offText);
// "-45dBu", or the "off" text for -61 and below.
std::wstring NoiseThresholdText(int value, const wchar_t* offText);
int StepNoiseThreshold(int value, bool up);
// Client width for a source with `inputs` inputs: room for a meter per input beyond six.
int NoiseClientWidth(int layoutWidth, int inputs, int scalePercent);

class CNoiseThresholdWnd : public CSkinDialogWnd {
public:
    explicit CNoiseThresholdWnd(EqualizerManager& controller);

    int InputCount() const { return mInputs; }
    bool IsPolling() const { return mPolling; }
    void Notify(SkinUI::TNotifyMessage& msg) override;

protected:
    const wchar_t* GetWndClassName() const override { return L"NoiseThresholdWnd"; }
    SkinUI::CUIString GetLayoutFile() const override { return SkinUI::CUIString(L"XML_NOISE_THRESHOLD"); }
    LRESULT HandleWndMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnWindowDestroyed(HWND hwnd) override;
    void OnInitWindow() override;
    void OnClick(SkinUI::TNotifyMessage& msg) override;
    LRESULT OnKeyDown(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    LRESULT HandleOtherMessage(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;

private:
    void ApplyTypedThreshold();
    void StepThreshold(bool up);
    void ApplyThreshold(int value);
    void Poll();
    void ShowNoise(LPARAM record);
    void Stop();

    EqualizerManager& mController;
    int mInputs = 0;
    bool mStop = false;
    bool mPolling = false;
    std::wstring mOffText;
    SkinUI::CEditUI* mValueEdit = nullptr;
    SkinUI::CProgressUI* mMeters[kNoiseMeterSlots] = {};
    SkinUI::CControlUI* mNoiseLabels[kNoiseMeterSlots] = {};

    SKINUI_DECLARE_NOTIFY_MAP()
};

// Opens the window over owner and returns when it closes (1 by "confirm_btn", else 0).
int ShowNoiseThresholdWnd(HWND owner, EqualizerManager& controller);
