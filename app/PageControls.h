#pragma once
// Small null-safe helpers for writing values into the main page's controls. None of them raises a
// notification, so a page filled through them sends nothing to the amplifier.
#include "SButton.h"
#include "UIControl.h"
#include "UIOption.h"
#include "UIProgress.h"

#include <cstdio>
#include <string>

namespace PageControls {

inline std::wstring TextOf(SkinUI::CControlUI* control) { return control ? control->GetText().Data() : L""; }

inline void SetText(SkinUI::CControlUI* control, const wchar_t* text) {
    if (control) control->SetText(text);
}

inline void SetInt(SkinUI::CControlUI* control, const wchar_t* format, int value) {
    if (!control) return;
    wchar_t text[32];
    _snwprintf(text, 31, format, value);
    text[31] = 0;
    control->SetText(text);
}

inline void SetNumber(SkinUI::CControlUI* control, const wchar_t* format, double value) {
    if (!control) return;
    wchar_t text[32];
    _snwprintf(text, 31, format, value);
    text[31] = 0;
    control->SetText(text);
}

// Clamped to the slider's range.
inline void SetSlider(SkinUI::CSliderUI* slider, int value) {
    if (!slider) return;
    if (value < slider->GetMinValue()) value = slider->GetMinValue();
    if (value > slider->GetMaxValue()) value = slider->GetMaxValue();
    if (slider->GetValue() != value) slider->SetValue(value);
}

// Options and two-state buttons both carry a selection.
inline void SetSelected(SkinUI::CControlUI* control, bool selected) {
    if (!control) return;
    if (auto* option = static_cast<SkinUI::COptionUI*>(control->GetInterface(L"Option"))) {
        option->Selected(selected, true);
    } else if (auto* button = static_cast<SkinUI::CSButtonUI*>(control->GetInterface(L"SButton"))) {
        button->SetSelected(selected);
    }
}

inline bool IsSelected(SkinUI::CControlUI* control) {
    if (!control) return false;
    if (auto* option = static_cast<SkinUI::COptionUI*>(control->GetInterface(L"Option"))) return option->IsSelected();
    if (auto* button = static_cast<SkinUI::CSButtonUI*>(control->GetInterface(L"SButton"))) return button->IsSelected();
    return false;
}

inline void Enable(SkinUI::CControlUI* control, bool enabled) {
    if (control) control->SetEnabled(enabled);
}

}  // namespace PageControls
