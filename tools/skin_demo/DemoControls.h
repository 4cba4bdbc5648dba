#pragma once
// The demonstration window's own controls, made by its builder callback: a line of text, a push button
// that raises "click", and a standard button held in one state.
#include "UIButton.h"
#include "UIControl.h"

namespace SkinDemo {

// Element "DemoLabel": one line of text ("text", "textcolor", "font", "align" left or center).
class CDemoLabelUI : public SkinUI::CControlUI {
public:
    const wchar_t* GetClass() const override { return L"DemoLabelUI"; }
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    void PaintText(HDC hdc) override;

protected:
    DWORD m_textColor = 0xFF202020;
    int m_font = -1;
    bool m_centred = false;
};

// Element "DemoButton": a label with a background colour for each state ("normalcolor", "hotcolor",
// "pushedcolor"); a press released over it, Space or Return raise "click".
class CDemoButtonUI : public CDemoLabelUI {
public:
    const wchar_t* GetClass() const override { return L"DemoButtonUI"; }
    UINT GetControlFlags() const override { return SkinUI::UIFLAG_TABSTOP | SkinUI::UIFLAG_SETCURSOR; }
    bool Activate() override;
    void DoEvent(SkinUI::TUIEvent& event) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    void PaintBkColor(HDC hdc) override;

private:
    DWORD m_normalColor = 0xFF3D6A99;
    DWORD m_hotColor = 0xFF4F82B8;
    DWORD m_pushedColor = 0xFF2C5078;
    UINT m_state = 0;
};

// Element "DemoStateButton": a standard button held in one state ("forcestate" hot, pushed or focused)
// so that the controls page shows every state at once.
class CDemoStateButtonUI : public SkinUI::CButtonUI {
public:
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    bool DoPaint(HDC hdc, const RECT& paintRect, SkinUI::CControlUI* stopControl) override;

private:
    UINT m_forced = 0;
};

}  // namespace SkinDemo
