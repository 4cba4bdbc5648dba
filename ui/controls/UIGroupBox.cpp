#include "UIGroupBox.h"

#include "UIAttributes.h"
#include "UIManager.h"
#include "UIRender.h"

#include <algorithm>

namespace SkinUI {

namespace {

constexpr int kFrameInset = 5;
constexpr int kCaptionIndent = 15;
constexpr int kCaptionBoxHeight = 20;

}  // namespace

CGroupBoxUI::CGroupBoxUI() { SetInset(RECT{20, 25, 20, 20}); }

CGroupBoxUI::~CGroupBoxUI() = default;

CControlUI* CGroupBoxUI::CreateControl() { return new CGroupBoxUI; }

const wchar_t* CGroupBoxUI::GetClass() const { return L"GroupBoxUI"; }

void* CGroupBoxUI::GetInterface(const wchar_t* name) {
    return EqualsIgnoreCase(name, L"GroupBox") ? this : CVerticalLayoutUI::GetInterface(name);
}

void CGroupBoxUI::SetTextColor(DWORD color) {
    m_dwTextColor = color;
    Invalidate();
}

void CGroupBoxUI::SetDisabledTextColor(DWORD color) {
    m_dwDisabledTextColor = color;
    Invalidate();
}

void CGroupBoxUI::SetFont(int font) {
    m_iFont = font;
    Invalidate();
}

void CGroupBoxUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (!value) value = L"";
    if (*value == L'#' && (EqualsIgnoreCase(name, L"textcolor") || EqualsIgnoreCase(name, L"disabledtextcolor")))
        ++value;
    if (EqualsIgnoreCase(name, L"textcolor")) {
        SetTextColor(ParseColor(value));
    } else if (EqualsIgnoreCase(name, L"disabledtextcolor")) {
        SetDisabledTextColor(ParseColor(value));
    } else if (EqualsIgnoreCase(name, L"font")) {
        SetFont(ParseInt(value));
    }
    CVerticalLayoutUI::SetAttribute(name, value);
}

SIZE CGroupBoxUI::CalcTextSize(int availableWidth, int) {
    RECT rect = {0, 0, std::max<int>(GetFixedXY().cx, availableWidth), kCaptionBoxHeight};
    if (m_pManager) {
        HDC hdc = m_pManager->GetPaintDeviceContext();
        const bool own = hdc == nullptr;
        if (own) hdc = GetDC(nullptr);
        const CUIString text = GetText();
        CUIRender::DrawText(hdc, m_pManager, rect, text.Data(), m_dwTextColor, m_iFont, m_uTextStyle | DT_CALCRECT);
        if (own) ReleaseDC(nullptr, hdc);
    }
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

void CGroupBoxUI::PaintText(HDC hdc) {
    const CUIString text = GetText();
    if (text.IsEmpty()) return;
    if (m_pManager) {
        if (m_dwTextColor == 0) m_dwTextColor = m_pManager->GetDefaultTextColor();
        if (m_dwDisabledTextColor == 0) m_dwDisabledTextColor = m_pManager->GetDefaultDisabledTextColor();
    }
    RECT frame = m_rcItem;
    InflateRect(&frame, -kFrameInset, -kFrameInset);
    const SIZE size = CalcTextSize(frame.right - frame.left, frame.bottom - frame.top);
    RECT caption;
    caption.left = frame.left + kCaptionIndent;
    caption.top = frame.top - kFrameInset;
    caption.right = caption.left + size.cx;
    caption.bottom = caption.top + size.cy;
    const DWORD color = IsEnabled() ? m_dwTextColor : m_dwDisabledTextColor;
    CUIRender::DrawText(hdc, m_pManager, caption, text.Data(), color, m_iFont, m_uTextStyle,
                        GetAdjustColor(m_dwBackColor));
}

void CGroupBoxUI::PaintBorder(HDC hdc) {
    const int borderSize = GetBorderSize();
    const SIZE round = GetBorderRound();
    if (borderSize > 0) {
        RECT frame = m_rcItem;
        InflateRect(&frame, -kFrameInset, -kFrameInset);
        const DWORD color = GetAdjustColor(IsFocused() && m_dwFocusBorderColor != 0 ? m_dwFocusBorderColor
                                                                                      : m_dwBorderColor);
        if (round.cx < 1 && round.cy < 1) {
            CUIRender::DrawRect(hdc, frame, borderSize, color, m_nBorderStyle);
        } else {
            CUIRender::DrawRoundRect(hdc, frame, borderSize, round.cx, round.cy, color, m_nBorderStyle);
        }
    }
    // Over the frame line, so the caption interrupts it.
    PaintText(hdc);
}

}  // namespace SkinUI
