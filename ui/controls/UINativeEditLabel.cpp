#include "UINativeEditLabel.h"

#include "UIManager.h"

namespace SkinUI {

HWND CNativeEditLabelUI::GetNativeWindow() const {
    CWindowWnd* window = NativeWindow();
    return window ? window->GetHandle() : nullptr;
}

void CNativeEditLabelUI::DoEvent(TUIEvent& event) {
    if (!IsMouseEnabled() && event.Type >= UIEVENT__MOUSEBEGIN && event.Type <= UIEVENT__MOUSEEND) {
        if (m_pParent)
            m_pParent->DoEvent(event);
        else
            CLabelUI::DoEvent(event);
        return;
    }
    switch (event.Type) {
    case UIEVENT_SETCURSOR:
        if (!IsEnabled()) break;
        ::SetCursor(LoadCursorW(nullptr, IDC_IBEAM));
        return;
    case UIEVENT_WINDOWSIZE:
        if (NativeWindow() && m_pManager) m_pManager->SetPendingFocus(this);
        break;
    case UIEVENT_SCROLLWHEEL:
        if (NativeWindow()) return;
        break;
    case UIEVENT_SETFOCUS:
        if (!IsEnabled()) break;
        m_bFocused = true;
        if (!NativeWindow()) OpenNativeWindow();
        return;
    case UIEVENT_KILLFOCUS:
        if (!IsEnabled()) break;
        m_bFocused = false;
        Invalidate();
        return;
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_DBLCLICK:
    case UIEVENT_RBUTTONDOWN:
        if (!IsEnabled()) break;
        if (m_pManager) m_pManager->ReleaseMouseCapture();
        if (IsFocused() || NativeWindow()) OpenNativeWindow();
        return;
    case UIEVENT_MOUSEMOVE:
    case UIEVENT_BUTTONUP:
    case UIEVENT_CONTEXTMENU:
        return;
    case UIEVENT_MOUSEENTER:
    case UIEVENT_MOUSELEAVE:
        if (OnHover(event.Type == UIEVENT_MOUSEENTER)) return;
        break;
    default:
        break;
    }
    CLabelUI::DoEvent(event);
}

}  // namespace SkinUI
