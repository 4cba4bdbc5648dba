#include "UIText.h"

#include "UIManager.h"
#include "UIRender.h"

namespace SkinUI {

namespace {

bool IsMouseEvent(const TUIEvent& event) {
    return event.Type >= UIEVENT__MOUSEBEGIN && event.Type <= UIEVENT__MOUSEEND;
}

}  // namespace

CTextUI::CTextUI() {
    m_rcTextPadding = RECT{2, 0, 2, 0};
    m_uTextStyle = DT_WORDBREAK;
}

CTextUI::~CTextUI() = default;

CControlUI* CTextUI::CreateControl() { return new CTextUI; }

const wchar_t* CTextUI::GetClass() const { return L"TextUI"; }

void* CTextUI::GetInterface(const wchar_t* name) {
    return EqualsIgnoreCase(name, L"Text") ? this : CLabelUI::GetInterface(name);
}

UINT CTextUI::GetControlFlags() const { return IsEnabled() && m_nLinks > 0 ? UIFLAG_SETCURSOR : 0u; }

const CUIString* CTextUI::GetLinkText(int index) const {
    return index >= 0 && index < m_nLinks ? &m_sLinks[index] : nullptr;
}

int CTextUI::LinkAt(POINT point) const {
    for (int i = 0; i < m_nLinks; ++i)
        if (PtInRect(&m_rcLinks[i], point)) return i;
    return -1;
}

void CTextUI::MeasureOrDraw(HDC hdc, RECT& rect, const wchar_t* text, DWORD color, UINT style, bool collectLinks) {
    if (m_bShowHtml) {
        int links = collectLinks ? kMaxLinks : 0;
        CUIRender::DrawHtmlText(hdc, m_pManager, rect, text, color, collectLinks ? m_rcLinks : nullptr,
                                collectLinks ? m_sLinks : nullptr, links, m_iFont, style);
        if (collectLinks) m_nLinks = links;
    } else {
        CUIRender::DrawText(hdc, m_pManager, rect, text, color, m_iFont, style);
        // Plain text has no links: none may stay clickable from an earlier formatted text.
        if (collectLinks) m_nLinks = 0;
    }
}

void CTextUI::PaintText(HDC hdc) {
    const CUIString text = GetText();
    if (text.IsEmpty()) {
        m_nLinks = 0;
        return;
    }
    TakeDefaultTextColors();
    RECT rect = TextRect();
    MeasureOrDraw(hdc, rect, text.Data(), IsEnabled() ? m_dwTextColor : m_dwDisabledTextColor, m_uTextStyle, true);
}

SIZE CTextUI::EstimateSize(SIZE available) {
    const RECT padding = GetTextPadding();
    RECT measured = {padding.left, 0, (GetAutoCalcWidth() ? 9999 : GetFixedWidth()) - padding.right, 9999};
    if (m_pManager) {
        HDC hdc = m_pManager->GetPaintDeviceContext();
        const bool own = hdc == nullptr;
        if (own) hdc = GetDC(nullptr);
        const CUIString text = GetText();
        MeasureOrDraw(hdc, measured, text.Data(), m_dwTextColor, m_uTextStyle | DT_CALCRECT, false);
        if (own) ReleaseDC(nullptr, hdc);
        if (GetAutoCalcWidth()) {
            const int width = measured.right - measured.left + padding.left + padding.right;
            const int percent = m_pManager->GetDpiScaler()->GetScale();
            m_cxyFixed.cx = percent > 0 ? width * 100 / percent : width;
        }
    }
    return CControlUI::EstimateSize(available);
}

void CTextUI::DoEvent(TUIEvent& event) {
    if (!IsMouseEnabled() && IsMouseEvent(event)) {
        if (m_pParent) {
            m_pParent->DoEvent(event);
        } else {
            CLabelUI::DoEvent(event);
        }
        return;
    }
    const bool links = m_nLinks > 0;
    const int link = links ? LinkAt(event.ptMouse) : -1;
    switch (event.Type) {
    case UIEVENT_SETCURSOR:
        if (link >= 0) {
            ::SetCursor(LoadCursor(nullptr, IDC_HAND));
            return;
        }
        break;
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_DBLCLICK:
        if (link >= 0 && (event.Type == UIEVENT_BUTTONDOWN || IsEnabled())) {
            Invalidate();
            return;
        }
        break;
    case UIEVENT_BUTTONUP:
        if (link >= 0 && IsEnabled()) {
            if (m_pManager) m_pManager->RaiseNotify(this, L"link", static_cast<WPARAM>(link));
            return;
        }
        break;
    case UIEVENT_CONTEXTMENU:
        return;
    case UIEVENT_MOUSEMOVE:
        if (links && IsEnabled()) {
            if (link != m_nHotLink) {
                m_nHotLink = link;
                Invalidate();
            }
            return;
        }
        break;
    case UIEVENT_MOUSELEAVE:
        if (links && IsEnabled() && m_nHotLink != -1) {
            m_nHotLink = -1;
            Invalidate();
            return;
        }
        break;
    default:
        break;
    }
    CLabelUI::DoEvent(event);
}

}  // namespace SkinUI
