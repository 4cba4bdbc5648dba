#include "SButton.h"

#include "UIAttributes.h"
#include "UIManager.h"
#include "UIRender.h"

#include <typeinfo>

namespace SkinUI {

void* CSButtonUI::GetInterface(const wchar_t* name) {
    if (name && wcscmp(name, L"SButton") == 0) return this;
    return CButtonUI::GetInterface(name);
}

void CSButtonUI::SetSelected(bool selected) {
    // The controller sets every band's button on each step of a drag: an unchanged one is not repainted.
    if (m_bSelected == selected && ((m_uButtonState & UISTATE_SELECTED) != 0) == selected) return;
    m_bSelected = selected;
    if (selected)
        m_uButtonState |= UISTATE_SELECTED;
    else
        m_uButtonState &= ~UISTATE_SELECTED;
    Invalidate();
}

void CSButtonUI::SetSelectedStateImage(const wchar_t* image) {
    m_sSelectedStateImage = image ? image : L"";
    Invalidate();
}

void CSButtonUI::SetEnabled(bool enable) {
    CButtonUI::SetEnabled(enable);
    if (!IsEnabled()) m_uButtonState = m_bSelected ? static_cast<UINT>(UISTATE_SELECTED) : 0u;
}

bool CSButtonUI::Activate() { return CButtonUI::Activate(); }

void CSButtonUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    auto is = [name](const wchar_t* attribute) { return EqualsIgnoreCase(name, attribute); };
    auto image = [this](CUIString& field, const wchar_t* text) {
        field = text;
        Invalidate();
    };
    if (is(L"selected")) {
        SetSelected(EqualsIgnoreCase(value, L"true"));
    } else if (is(L"selectedimage")) {
        image(m_sSelectedImage, value);
    } else if (is(L"selectedhotimage")) {
        image(m_sSelectedHotImage, value);
    } else if (is(L"selectedpushedimage")) {
        image(m_sSelectedPushedImage, value);
    } else if (is(L"selectedforeimage")) {
        image(m_sSelectedForeImage, value);
    } else if (is(L"selectedstateimage")) {
        SetSelectedStateImage(value);
    } else if (is(L"selectedstatecount")) {
        m_nSelectedStateCount = ParseInt(value);
        Invalidate();
    } else if (is(L"selectedfont")) {
        m_iSelectedFont = ParseInt(value);
        Invalidate();
    } else if (is(L"selectedbkcolor")) {
        m_dwSelectedBkColor = ParseColor(value);
    } else if (is(L"selectedtextcolor")) {
        m_dwSelectedTextColor = ParseColor(value);
    } else if (is(L"selectedhottextcolor")) {
        m_dwSelectedHotTextColor = ParseColor(value);
        Invalidate();
    } else if (is(L"hottextcolor")) {
        SetHotTextColor(ParseColor(value));
    } else {
        CButtonUI::SetAttribute(name, value);
    }
}

void CSButtonUI::PaintBkColor(HDC hdc) {
    if (!m_bSelected) {
        CButtonUI::PaintBkColor(hdc);
        return;
    }
    if (m_dwSelectedBkColor != 0) CUIRender::DrawColor(hdc, m_rcPaint, GetAdjustColor(m_dwSelectedBkColor));
}

void CSButtonUI::CutSelectedStrip() {
    if (m_sSelectedStateImage.IsEmpty() || m_nSelectedStateCount < 1 || !m_sSelectedImage.IsEmpty()) return;
    const TStripParts strip = CutStateStrip(m_pManager, m_sSelectedStateImage.Data(), m_nSelectedStateCount);
    if (strip.count >= 1) m_sSelectedImage = strip.parts[0];
    if (strip.count >= 2) m_sSelectedHotImage = m_sSelectedPushedImage = strip.parts[1];
    if (strip.count >= 3) m_sSelectedPushedImage = strip.parts[2];
}

bool CSButtonUI::DrawIfSet(HDC hdc, const CUIString& image) {
    return !image.IsEmpty() && DrawImage(hdc, image.Data());
}

void CSButtonUI::CollectOpaqueCover(const RECT& within, std::vector<RECT>& cover) const {
    if (typeid(*this) == typeid(CSButtonUI)) CollectSelectableBackground(m_bSelected, m_dwSelectedBkColor, within, cover);
}

void CSButtonUI::PaintStatusImage(HDC hdc) {
    if (!m_bSelected) {
        CButtonUI::PaintStatusImage(hdc);
        return;
    }
    CutSelectedStrip();
    if (m_uButtonState & UISTATE_PUSHED) {
        if (DrawIfSet(hdc, m_sSelectedPushedImage)) return;
        if ((m_uButtonState & UISTATE_HOT) && DrawIfSet(hdc, m_sSelectedHotImage)) return;
    } else if (m_uButtonState & UISTATE_HOT) {
        if (DrawIfSet(hdc, m_sSelectedHotImage)) return;
    }
    DrawIfSet(hdc, m_sSelectedImage);
}

void CSButtonUI::PaintForeImage(HDC hdc) {
    if (m_bSelected && DrawIfSet(hdc, m_sSelectedForeImage)) return;
    CButtonUI::PaintForeImage(hdc);
}

void CSButtonUI::PaintText(HDC hdc) {
    if (!m_bSelected) {
        CButtonUI::PaintText(hdc);
        return;
    }
    const DWORD normalColor = m_dwTextColor;
    DWORD color = m_dwSelectedTextColor != 0 ? m_dwSelectedTextColor : normalColor;
    if ((m_uButtonState & UISTATE_HOT) && m_dwSelectedHotTextColor != 0) color = m_dwSelectedHotTextColor;
    if (color == 0 && m_pManager) color = m_pManager->GetDefaultTextColor();
    if (m_dwDisabledTextColor == 0 && m_pManager) m_dwDisabledTextColor = m_pManager->GetDefaultDisabledTextColor();
    const int font = m_iSelectedFont != -1 ? m_iSelectedFont : m_iFont;
    const CUIString text = GetText();
    if (!text.IsEmpty()) DrawButtonText(hdc, text.Data(), IsEnabled() ? color : m_dwDisabledTextColor, font);
    m_dwTextColor = normalColor;
}

}  // namespace SkinUI
