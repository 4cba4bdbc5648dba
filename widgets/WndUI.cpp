#include "WndUI.h"

#include "UIManager.h"

namespace SkinUI {

RECT HostedWindowRect(HWND paintWindow, HWND hosted, const RECT& control) {
    RECT rect = control;
    const bool child = (GetWindowLongW(hosted, GWL_STYLE) & WS_CHILD) != 0 && GetParent(hosted) == paintWindow;
    if (!child && paintWindow) {
        POINT topLeft = {rect.left, rect.top};
        POINT bottomRight = {rect.right, rect.bottom};
        ClientToScreen(paintWindow, &topLeft);
        ClientToScreen(paintWindow, &bottomRight);
        rect = {topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
    }
    return rect;
}

void CWndUI::SetPos(RECT rect, bool needInvalidate) {
    CControlUI::SetPos(rect, needInvalidate);
    PlaceHostedWindow();
}

void CWndUI::SetVisible(bool visible) {
    CControlUI::SetVisible(visible);
    PlaceHostedWindow();
}

void CWndUI::SetInternVisible(bool visible) {
    CControlUI::SetInternVisible(visible);
    PlaceHostedWindow();
}

void CWndUI::Attach(HWND window) {
    m_hwnd = window;
    PlaceHostedWindow();
}

HWND CWndUI::Detach() {
    HWND window = m_hwnd;
    m_hwnd = nullptr;
    return window;
}

void CWndUI::PlaceHostedWindow() {
    if (!m_hwnd || !IsWindow(m_hwnd)) return;
    HWND paint = m_pManager ? m_pManager->GetWindowHandle() : nullptr;
    const RECT r = HostedWindowRect(paint, m_hwnd, m_rcItem);
    SetWindowPos(m_hwnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(m_hwnd, IsVisible() ? SW_SHOW : SW_HIDE);
}

}  // namespace SkinUI
