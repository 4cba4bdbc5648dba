#include "UILabel.h"

#include "UIAttributes.h"
#include "UIManager.h"
#include "UIRender.h"

#include <cwchar>
#include <typeinfo>

namespace SkinUI {

namespace {

constexpr LONG kUnboundedWidth = 9999;

bool Is(const wchar_t* name, const wchar_t* expected) { return EqualsIgnoreCase(name, expected); }

}  // namespace

bool ContainsWord(const wchar_t* value, const wchar_t* word) { return value && wcsstr(value, word) != nullptr; }

UINT SetStyleBit(UINT style, UINT bit, bool on) { return on ? (style | bit) : (style & ~bit); }

UINT ApplyAlignWords(UINT style, const wchar_t* value) {
    if (ContainsWord(value, L"left")) style &= ~(DT_CENTER | DT_RIGHT);
    if (ContainsWord(value, L"center")) style = (style & ~DT_RIGHT) | DT_CENTER;
    if (ContainsWord(value, L"right")) style = (style & ~DT_CENTER) | DT_RIGHT;
    return style;
}

UINT ApplyVAlignWords(UINT style, const wchar_t* value) {
    if (ContainsWord(value, L"top")) style = (style & ~(DT_BOTTOM | DT_VCENTER | DT_WORDBREAK)) | DT_SINGLELINE;
    if (ContainsWord(value, L"vcenter")) style = (style & ~(DT_BOTTOM | DT_WORDBREAK)) | DT_VCENTER | DT_SINGLELINE;
    if (ContainsWord(value, L"bottom")) style = (style & ~(DT_VCENTER | DT_WORDBREAK)) | DT_BOTTOM | DT_SINGLELINE;
    return style;
}

UINT ApplyWordBreak(UINT style, bool on) {
    if (on) return (style & ~DT_SINGLELINE) | DT_WORDBREAK | DT_EDITCONTROL;
    return (style & ~(DT_WORDBREAK | DT_EDITCONTROL)) | DT_SINGLELINE;
}

CLabelUI::CLabelUI() = default;

CControlUI* CLabelUI::CreateControl() { return new CLabelUI; }

const wchar_t* CLabelUI::GetClass() const { return L"LabelUI"; }

void* CLabelUI::GetInterface(const wchar_t* name) { return Is(name, L"Label") ? this : CControlUI::GetInterface(name); }

UINT CLabelUI::GetControlFlags() const { return IsEnabled() ? UIFLAG_SETCURSOR : 0u; }

void CLabelUI::SetText(const wchar_t* text) {
    CControlUI::SetText(text);
    if (GetAutoCalcWidth()) NeedParentUpdate();
}

void CLabelUI::DoEvent(TUIEvent& event) {
    if (event.Type == UIEVENT_SETFOCUS) {
        m_bFocused = true;
        return;
    }
    if (event.Type == UIEVENT_KILLFOCUS) {
        m_bFocused = false;
        return;
    }
    CControlUI::DoEvent(event);
}

// ---------------------------------------------------------------------------------------------------
// Settings.

void CLabelUI::SetTextColor(DWORD color) {
    m_dwTextColor = color;
    Invalidate();
}

void CLabelUI::SetDisabledTextColor(DWORD color) {
    m_dwDisabledTextColor = color;
    Invalidate();
}

void CLabelUI::SetFont(int index) {
    m_iFont = index;
    Invalidate();
}

void CLabelUI::SetTextStyle(UINT style) {
    m_uTextStyle = style;
    Invalidate();
}

RECT CLabelUI::GetTextPadding() const { return ScaledMargins(m_rcTextPadding); }

void CLabelUI::SetTextPadding(RECT padding) {
    m_rcTextPadding = padding;
    Invalidate();
}

void CLabelUI::SetShowHtml(bool showHtml) {
    if (m_bShowHtml == showHtml) return;
    m_bShowHtml = showHtml;
    Invalidate();
}

void CLabelUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (Is(name, L"align")) m_uTextStyle = ApplyAlignWords(m_uTextStyle, value);
    else if (Is(name, L"valign")) m_uTextStyle = ApplyVAlignWords(m_uTextStyle, value);
    else if (Is(name, L"endellipsis")) m_uTextStyle = SetStyleBit(m_uTextStyle, DT_END_ELLIPSIS, IsTrue(value));
    else if (Is(name, L"wordbreak")) m_uTextStyle = ApplyWordBreak(m_uTextStyle, IsTrue(value));
    else if (Is(name, L"noprefix")) m_uTextStyle = SetStyleBit(m_uTextStyle, DT_NOPREFIX, IsTrue(value));
    else if (Is(name, L"font")) SetFont(ParseInt(value));
    else if (Is(name, L"textcolor")) SetTextColor(ParseColor(value));
    else if (Is(name, L"disabledtextcolor")) SetDisabledTextColor(ParseColor(value));
    else if (Is(name, L"textpadding")) SetTextPadding(ParseRect(value));
    else if (Is(name, L"showhtml")) SetShowHtml(IsTrue(value));
    else if (Is(name, L"autocalcwidth")) SetAutoCalcWidth(IsTrue(value));
    else CControlUI::SetAttribute(name, value);
}

// ---------------------------------------------------------------------------------------------------
// Size and painting.

int CLabelUI::FontHeight(int font) const {
    if (!m_pManager) return 0;
    const TFontRecord* record = m_pManager->GetFontRecord(font);
    return record ? record->metrics.tmHeight : 0;
}

SIZE CLabelUI::EstimateSize(SIZE available) {
    if (GetAutoCalcWidth() && m_pManager) {
        // One line asks for its whole width, not for the room it was given the last time, shortened.
        const bool oneLine = (m_uTextStyle & DT_SINGLELINE) != 0;
        RECT measured = {0, 0, oneLine ? kUnboundedWidth : available.cx, available.cy};
        const UINT style = oneLine ? m_uTextStyle & ~(DT_END_ELLIPSIS | DT_PATH_ELLIPSIS | DT_WORD_ELLIPSIS)
                                   : m_uTextStyle;
        const CUIString text = GetText();
        HDC hdc = m_pManager->GetPaintDeviceContext();
        bool own = false;
        if (!hdc) {
            hdc = GetDC(nullptr);
            own = true;
        }
        DrawLabelText(hdc, measured, text.Data(), 0, m_iFont, style | DT_CALCRECT);
        if (own) ReleaseDC(nullptr, hdc);
        const RECT padding = GetTextPadding();
        const int width = measured.right - measured.left + padding.left + padding.right;
        // Stored unscaled and rounded up, so that scaling it again never clips the text.
        const int percent = m_pManager->GetDpiScaler()->GetScale();
        m_cxyFixed.cx = percent > 0 ? (width * 100 + percent - 1) / percent : width;
    }
    if (m_cxyFixed.cy == 0) return SIZE{GetFixedWidth(), FontHeight(m_iFont) + 4};
    return CControlUI::EstimateSize(available);
}

void CLabelUI::TakeDefaultTextColors() {
    if (!m_pManager) return;
    if (m_dwTextColor == 0) m_dwTextColor = m_pManager->GetDefaultTextColor();
    if (m_dwDisabledTextColor == 0) m_dwDisabledTextColor = m_pManager->GetDefaultDisabledTextColor();
}

RECT CLabelUI::TextRect() const {
    const RECT padding = GetTextPadding();
    return RECT{m_rcItem.left + padding.left, m_rcItem.top + padding.top, m_rcItem.right - padding.right,
                m_rcItem.bottom - padding.bottom};
}

void CLabelUI::DrawLabelText(HDC hdc, RECT& rect, const wchar_t* text, DWORD color, int font, UINT style) {
    if (m_bShowHtml) {
        int links = 0;
        CUIRender::DrawHtmlText(hdc, m_pManager, rect, text, color, nullptr, nullptr, links, font, style);
    } else {
        CUIRender::DrawText(hdc, m_pManager, rect, text, color, font, style);
    }
}

// Its background is the plain one; what a subclass paints its own way it says itself.
void CLabelUI::CollectOpaqueCover(const RECT& within, std::vector<RECT>& cover) const {
    if (typeid(*this) == typeid(CLabelUI)) CollectOpaqueBackground(within, cover);
}

void CLabelUI::PaintText(HDC hdc) {
    TakeDefaultTextColors();
    RECT rect = TextRect();
    const CUIString text = GetText();
    if (text.IsEmpty()) return;
    DrawLabelText(hdc, rect, text.Data(), IsEnabled() ? m_dwTextColor : m_dwDisabledTextColor, m_iFont, m_uTextStyle);
}

}  // namespace SkinUI
