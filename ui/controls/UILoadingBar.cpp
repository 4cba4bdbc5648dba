#include "UILoadingBar.h"

#include "UIManager.h"
#include "UIRender.h"

#include <cwchar>

namespace SkinUI {

// ---------------------------------------------------------------------------------------------------
// CLoadingBarUI

CLoadingBarUI::~CLoadingBarUI() {
    if (m_pManager) KillTimer(kMoveTimer);
}

CControlUI* CLoadingBarUI::CreateControl() { return new CLoadingBarUI; }

const wchar_t* CLoadingBarUI::GetClass() const { return L"LoadingBar"; }

void* CLoadingBarUI::GetInterface(const wchar_t* name) {
    return name && std::wcscmp(name, L"LoadingBar") == 0 ? this : CLabelUI::GetInterface(name);
}

void CLoadingBarUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (name && std::wcscmp(name, L"bkimage") == 0) {
        m_sBkImage = value ? value : L"";
    } else {
        CLabelUI::SetAttribute(name, value);
    }
}

void CLoadingBarUI::DoEvent(TUIEvent& event) {
    if (event.Type == UIEVENT_TIMER && event.wParam == kMoveTimer) {
        m_nOffset += m_bMovingBack ? -kStep : kStep;
        Invalidate();
        return;
    }
    CLabelUI::DoEvent(event);
}

void CLoadingBarUI::PaintForeColor(HDC hdc) {
    if (!m_bStarted && m_pManager) {
        m_bStarted = true;
        SetTimer(kMoveTimer, kMoveMs);
    }
    if (m_dwForeColor == 0) return;
    const int width = m_rcItem.right - m_rcItem.left;
    // Fixed by the first paint: the bar keeps its width when the control is resized later.
    if (m_nBarWidth == 0) m_nBarWidth = static_cast<int>(width * 0.3);
    if (m_nOffset + m_nBarWidth > width) {
        m_bMovingBack = true;
    } else if (m_nOffset < 0) {
        m_bMovingBack = false;
    }
    const RECT bar = {m_rcItem.left + m_nOffset, m_rcItem.top, m_rcItem.left + m_nOffset + m_nBarWidth,
                      m_rcItem.bottom};
    CUIRender::DrawColor(hdc, bar, GetAdjustColor(m_dwForeColor));
}

// ---------------------------------------------------------------------------------------------------
// CRollTextUI

CRollTextUI::~CRollTextUI() {
    if (m_pManager) {
        KillTimer(kPaintTimer);
        KillTimer(kEndTimer);
    }
}

CControlUI* CRollTextUI::CreateControl() { return new CRollTextUI; }

const wchar_t* CRollTextUI::GetClass() const { return L"RollTextUI"; }

void* CRollTextUI::GetInterface(const wchar_t* name) {
    return EqualsIgnoreCase(name, L"RollText") ? this : CLabelUI::GetInterface(name);
}

void CRollTextUI::SetText(const wchar_t* text) {
    CLabelUI::SetText(text);
    m_nExtent = 0;
}

void CRollTextUI::SetRollPosition(int position) {
    m_nPosition = position;
    m_nExtent = 0;
    Invalidate();
}

void CRollTextUI::BeginRoll(int direction, UINT intervalMs, UINT durationSeconds) {
    m_nDirection = direction;
    if (m_bRolling) EndRoll();
    m_nExtent = 0;
    KillTimer(kPaintTimer);
    KillTimer(kEndTimer);
    SetTimer(kPaintTimer, intervalMs);
    SetTimer(kEndTimer, durationSeconds * 1000);
    m_bRolling = true;
}

void CRollTextUI::EndRoll() {
    if (!m_bRolling) return;
    KillTimer(kPaintTimer);
    KillTimer(kEndTimer);
    m_bRolling = false;
}

void CRollTextUI::DoEvent(TUIEvent& event) {
    if (event.Type == UIEVENT_TIMER && event.wParam == kEndTimer) {
        KillTimer(kEndTimer);
        if (m_pManager) m_pManager->RaiseNotify(this, L"textrollend");
    } else if (event.Type == UIEVENT_TIMER && event.wParam == kPaintTimer) {
        Invalidate();
        return;
    }
    CLabelUI::DoEvent(event);
}

void CRollTextUI::PaintText(HDC hdc) {
    TakeDefaultTextColors();
    const DWORD color = IsEnabled() ? m_dwTextColor : m_dwDisabledTextColor;
    const CUIString text = GetText();
    if (text.IsEmpty()) return;
    RECT rect = TextRect();
    const bool horizontal = m_nDirection == kLeft || m_nDirection == kRight;
    if (m_nExtent > 0) {
        if (horizontal) {
            const int width = rect.right - rect.left;
            const int limit = width + m_nExtent;
            const int shift = m_nDirection == kLeft ? width - m_nPosition : -width + m_nPosition;
            OffsetRect(&rect, shift, 0);
            rect.right = rect.left + m_nExtent;
            m_nPosition += m_nStep;
            if (m_nPosition > limit) m_nPosition = 0;
        } else {
            const int height = rect.bottom - rect.top;
            const int limit = height + m_nExtent;
            const int shift = m_nDirection == kUp ? height - m_nPosition : -height + m_nPosition;
            OffsetRect(&rect, 0, shift);
            rect.bottom = rect.top + m_nExtent;
            m_nPosition += m_nStep;
            if (m_nPosition > limit) m_nPosition = 0;
        }
    }
    UINT style = DT_WORDBREAK | DT_EDITCONTROL;
    if (m_nExtent == 0) {
        style |= DT_CALCRECT;
        if (horizontal) {
            rect.right += 10000;
        } else {
            rect.bottom += 10000;
        }
    }
    if (m_bShowHtml) {
        int links = 0;
        CUIRender::DrawHtmlText(hdc, m_pManager, rect, text.Data(), color, nullptr, nullptr, links, m_iFont, style);
    } else {
        CUIRender::DrawText(hdc, m_pManager, rect, text.Data(), color, m_iFont, style);
    }
    if (m_nExtent == 0) m_nExtent = horizontal ? rect.right - rect.left : rect.bottom - rect.top;
}

}  // namespace SkinUI
