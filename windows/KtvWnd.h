#pragma once
// The karaoke effects: microphone and music volume, voice changer, echo level and delay, reverb level
// and time, treble, bass (each a slider and an edit) and the feedback (howling) suppression switch.
// Each change is stored in the live configuration's karaoke block and sent at once. The values' ranges
// are the sliders' in the layout.
#include "SkinDialogWnd.h"
#include "model/DspConfig.h"

#include <string>

class DeviceLink;
class EqualizerManager;
namespace SkinUI {
class CEditUI;
class CSliderUI;
}  // namespace SkinUI

// One slider-and-edit value of the window.
struct KtvParameter {
    const wchar_t* slider;
    const wchar_t* edit;
    const wchar_t* format;
    int32_t KtvSettings::*field;
    void (*send)(DeviceLink& device, int value);
    int wireMin, wireMax;  // what the command's bytes can carry
};

constexpr int kKtvParameters = 9;
// In the order Right moves the focus through their edits.
extern const KtvParameter kKtvParameterTable[kKtvParameters];
// The edit reached from `index` by Right (or Left): the ring wraps.
int KtvFocusNeighbour(int index, bool right);

class CKtvWnd : public CSkinDialogWnd {
public:
    explicit CKtvWnd(EqualizerManager& controller);
    void Notify(SkinUI::TNotifyMessage& msg) override;

protected:
    const wchar_t* GetWndClassName() const override { return L"KtvWnd"; }
    SkinUI::CUIString GetLayoutFile() const override { return SkinUI::CUIString(L"XML_KTV"); }
    void OnInitWindow() override;
    void OnClick(SkinUI::TNotifyMessage& msg) override;

private:
    void Route(SkinUI::TNotifyMessage& msg);
    int ParameterOfEdit(const SkinUI::CUIString& name) const;
    int ParameterOfSlider(const SkinUI::CUIString& name) const;
    void ApplyTypedValue(int index);
    void ApplySliderValue(int index);
    void StepValue(int index, bool up);
    void MoveFocus(int index, bool right);
    void OnHowling();
    // Clamps to the slider's range (and to what the command carries), shows, stores and sends.
    int Store(int index, int value);
    int Limit(int index, bool upper) const;
    int Held(int index, int value) const;  // the value within Limit's bounds
    int TypedValue(int index) const;

    EqualizerManager& mController;
    SkinUI::CControlUI* mHowling = nullptr;
    SkinUI::CSliderUI* mSliders[kKtvParameters] = {};
    SkinUI::CEditUI* mEdits[kKtvParameters] = {};

    SKINUI_DECLARE_NOTIFY_MAP()
};

int ShowKtvWnd(HWND owner, EqualizerManager& controller);
