#pragma once
// CLabelUI: one text in a rectangle, and the base of every text-bearing control (button, option, check
// box, progress, slider, edit). The text padding is stored as written for 96 DPI and read scaled.
// Text colours of 0 mean "not set": the first paint takes the window's defaults and keeps them.
#include "UIControl.h"
#include "UIWindow.h"

namespace SkinUI {

class CLabelUI : public CControlUI {
public:
    CLabelUI();
    static CControlUI* CreateControl();

    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* name) override;
    UINT GetControlFlags() const override;
    void SetText(const wchar_t* text) override;
    void DoEvent(TUIEvent& event) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    SIZE EstimateSize(SIZE available) override;
    void PaintText(HDC hdc) override;
    void CollectOpaqueCover(const RECT& within, std::vector<RECT>& cover) const override;

    virtual bool GetAutoCalcWidth() const { return m_bAutoCalcWidth; }
    virtual void SetAutoCalcWidth(bool autoCalc) { m_bAutoCalcWidth = autoCalc; }

    DWORD GetTextColor() const { return m_dwTextColor; }
    void SetTextColor(DWORD color);
    DWORD GetDisabledTextColor() const { return m_dwDisabledTextColor; }
    void SetDisabledTextColor(DWORD color);
    int GetFont() const { return m_iFont; }
    void SetFont(int index);
    UINT GetTextStyle() const { return m_uTextStyle; }
    void SetTextStyle(UINT style);
    RECT GetTextPadding() const;  // scaled
    void SetTextPadding(RECT padding);  // unscaled
    bool IsShowHtml() const { return m_bShowHtml; }
    void SetShowHtml(bool showHtml = true);

protected:
    // Colours of 0 become the window's default text and disabled text colours, and are kept.
    void TakeDefaultTextColors();
    // The item rectangle less the scaled text padding.
    RECT TextRect() const;
    // Draws text in rect with the formatted-text renderer when show html is on, else as plain text.
    void DrawLabelText(HDC hdc, RECT& rect, const wchar_t* text, DWORD color, int font, UINT style);
    // Height of a font's text (its text-metric height); 0 without a manager.
    int FontHeight(int font) const;

    DWORD m_dwTextColor = 0;
    DWORD m_dwDisabledTextColor = 0;
    int m_iFont = -1;
    UINT m_uTextStyle = DT_VCENTER | DT_SINGLELINE;
    CUIRect m_rcTextPadding;
    bool m_bShowHtml = false;
    bool m_bAutoCalcWidth = false;
    // Tells code that raised a notification whether a handler deleted this control meanwhile.
    CUILifeToken m_life;
};

// Attribute helpers shared by the text-bearing controls.
// "align" words applied to a text style: left, center, right (in this order).
UINT ApplyAlignWords(UINT style, const wchar_t* value);
// "valign" words: top, vcenter, bottom (in this order); each sets DT_SINGLELINE and drops DT_WORDBREAK.
UINT ApplyVAlignWords(UINT style, const wchar_t* value);
// "wordbreak": on clears DT_SINGLELINE and sets DT_WORDBREAK | DT_EDITCONTROL; off the reverse.
UINT ApplyWordBreak(UINT style, bool on);
UINT SetStyleBit(UINT style, UINT bit, bool on);
bool ContainsWord(const wchar_t* value, const wchar_t* word);

}  // namespace SkinUI
