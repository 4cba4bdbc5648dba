#include "SkinDialogWnd.h"

#include "ScreenInfo.h"
#include "UIControl.h"

void CSkinDialogWnd::OnWindowDestroyed(HWND hwnd) {
    WindowImplBase::OnWindowDestroyed(hwnd);
    if (m_deleteWhenDestroyed) delete this;
}

void CSkinDialogWnd::OnInitWindow() {
    m_pm.ApplyDpi(GetAutoDpi());
    m_closeButton = m_pm.FindControlByName(L"closebtn");
}

LRESULT CSkinDialogWnd::OnSysCommand(UINT, WPARAM, LPARAM, BOOL& handled) {
    handled = FALSE;
    return 0;
}

LRESULT CSkinDialogWnd::HandleOtherMessage(UINT, WPARAM, LPARAM, BOOL& handled) {
    handled = FALSE;
    return 0;
}

void CSkinDialogWnd::SetLabel(const wchar_t* name, const wchar_t* text) {
    if (!text || !*text) return;
    if (SkinUI::CControlUI* label = m_pm.FindControlByName(name)) label->SetText(text);
}
