#include "DemoControls.h"

#include "UIAttributes.h"
#include "UIManager.h"
#include "UIRender.h"

#include <cwchar>

using namespace SkinUI;

namespace SkinDemo {

void CDemoLabelUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (EqualsIgnoreCase(name, L"textcolor"))
        m_textColor = ParseColor(value);
    else if (EqualsIgnoreCase(name, L"font"))
        m_font = ParseInt(value);
    else if (EqualsIgnoreCase(name, L"align"))
        m_centred = EqualsIgnoreCase(value, L"center");
    else
        CControlUI::SetAttribute(name, value);
}

void CDemoLabelUI::PaintText(HDC hdc) {
    RECT rect = m_rcItem;
    const UINT align = m_centred ? DT_CENTER : DT_LEFT;
    CUIRender::DrawText(hdc, m_pManager, rect, GetText().Data(), m_textColor, m_font,
                        DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | align);
}

bool CDemoButtonUI::Activate() {
    if (!CControlUI::Activate()) return false;
    if (m_pManager) m_pManager->RaiseNotify(this, L"click");
    return true;
}

void CDemoButtonUI::DoEvent(TUIEvent& event) {
    switch (event.Type) {
    case UIEVENT_MOUSEENTER:
        m_state |= UISTATE_HOT;
        Invalidate();
        return;
    case UIEVENT_MOUSELEAVE:
        m_state &= ~UISTATE_HOT;
        Invalidate();
        return;
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_DBLCLICK:
        m_state |= UISTATE_PUSHED;
        Invalidate();
        return;
    case UIEVENT_BUTTONUP: {
        const bool inside = PtInRect(&m_rcItem, event.ptMouse) != FALSE;
        const bool pushed = (m_state & UISTATE_PUSHED) != 0;
        m_state &= ~UISTATE_PUSHED;
        Invalidate();
        if (pushed && inside) Activate();  // last: a click may close the window
        return;
    }
    case UIEVENT_KEYDOWN:
        if (event.chKey == VK_SPACE || event.chKey == VK_RETURN) Activate();
        return;
    case UIEVENT_SETCURSOR:
        ::SetCursor(LoadCursorW(nullptr, IDC_HAND));
        return;
    default:
        CDemoLabelUI::DoEvent(event);
    }
}

void CDemoButtonUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (EqualsIgnoreCase(name, L"normalcolor"))
        m_normalColor = ParseColor(value);
    else if (EqualsIgnoreCase(name, L"hotcolor"))
        m_hotColor = ParseColor(value);
    else if (EqualsIgnoreCase(name, L"pushedcolor"))
        m_pushedColor = ParseColor(value);
    else
        CDemoLabelUI::SetAttribute(name, value);
}

void CDemoButtonUI::PaintBkColor(HDC hdc) {
    const DWORD color = (m_state & UISTATE_PUSHED) ? m_pushedColor : (m_state & UISTATE_HOT) ? m_hotColor : m_normalColor;
    CUIRender::DrawColor(hdc, m_rcItem, color);
    if (IsFocused()) CUIRender::DrawRect(hdc, m_rcItem, 1, 0xFFFFFFFF, PS_DOT);
}

void CDemoStateButtonUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (!EqualsIgnoreCase(name, L"forcestate")) {
        CButtonUI::SetAttribute(name, value);
        return;
    }
    m_forced = EqualsIgnoreCase(value, L"hot")       ? UISTATE_HOT
               : EqualsIgnoreCase(value, L"pushed")  ? UISTATE_HOT | UISTATE_PUSHED
               : EqualsIgnoreCase(value, L"focused") ? UISTATE_FOCUSED
                                                     : 0u;
}

bool CDemoStateButtonUI::DoPaint(HDC hdc, const RECT& paintRect, CControlUI* stopControl) {
    m_uButtonState |= m_forced & ~UISTATE_FOCUSED;
    m_bFocused = m_bFocused || (m_forced & UISTATE_FOCUSED) != 0;  // painted as the focused control is
    return CButtonUI::DoPaint(hdc, paintRect, stopControl);
}

}  // namespace SkinDemo
