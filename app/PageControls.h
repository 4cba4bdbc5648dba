#pragma once
// Small null-safe helpers for reading and writing the main page's controls. Options and two-state
// buttons are set quietly and none of the writers raises a notification, so a page filled through them
// sends nothing to the amplifier.
#include "SButton.h"
#include "UIControl.h"
#include "UIEdit.h"
#include "UILabel.h"
#include "UIManager.h"
#include "UIOption.h"
#include "UIProgress.h"
#include "UITextResource.h"

#include <cstdio>
#include <cstdlib>
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

inline void ShowSelected(SkinUI::CControlUI* control, bool selected) { SetSelected(control, selected); }

inline bool IsSelected(SkinUI::CControlUI* control) {
    if (!control) return false;
    if (auto* option = static_cast<SkinUI::COptionUI*>(control->GetInterface(L"Option"))) return option->IsSelected();
    if (auto* button = static_cast<SkinUI::CSButtonUI*>(control->GetInterface(L"SButton"))) return button->IsSelected();
    return false;
}

inline void Enable(SkinUI::CControlUI* control, bool enabled) {
    if (control) control->SetEnabled(enabled);
}

inline void Show(SkinUI::CControlUI* control, bool visible) {
    if (control) control->SetVisible(visible);
}

inline void SetTextColor(SkinUI::CControlUI* control, DWORD argb) {
    if (auto* label = control ? static_cast<SkinUI::CLabelUI*>(control->GetInterface(L"Label")) : nullptr)
        label->SetTextColor(argb);
}

// The current language's text of a "${key}".
inline std::wstring Lang(const wchar_t* key) { return SkinUI::CTextResource::GetInstance()->GetText(key).Data(); }

inline std::wstring Format(const wchar_t* format, int value) {
    wchar_t text[64];
    _snwprintf(text, 63, format, value);
    text[63] = 0;
    return text;
}

inline std::wstring FormatReal(const wchar_t* format, double value) {
    wchar_t text[64];
    _snwprintf(text, 63, format, value);
    text[63] = 0;
    return text;
}

// Gives the edit the focus with its whole text selected. While no control has the focus (an edit is
// committing because the focus leaves it) the focus is not pulled back.
inline void FocusAndSelectAll(SkinUI::CEditUI* edit) {
    if (!edit) return;
    SkinUI::CPaintManagerUI* manager = edit->GetManager();
    if (!edit->IsFocused()) {
        if (!manager || !manager->GetFocusedControl()) return;
        edit->SetFocus();
    }
    edit->SetSelAll();
}

}  // namespace PageControls
