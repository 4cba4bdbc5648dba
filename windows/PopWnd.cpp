#include "PopWnd.h"

#include "ToolWindowControls.h"
#include "UIControl.h"
#include "base/Log.h"

#include <shellapi.h>

using namespace SkinUI;

SKINUI_BEGIN_NOTIFY_MAP(CPopWnd, WindowImplBase)
    SKINUI_NOTIFY_ENTRY(L"click", L"", &CPopWnd::OnClick)
    SKINUI_NOTIFY_ENTRY(L"itemselect", L"", &CPopWnd::OnItemSelect)
    SKINUI_NOTIFY_ENTRY(L"selectchanged", L"", &CPopWnd::OnSelectChanged)
SKINUI_END_NOTIFY_MAP()

void CPopWnd::OnInitWindow() {
    CSkinDialogWnd::OnInitWindow();
    m_maxButton = m_pm.FindControlByName(L"maxbtn");
    m_restoreButton = m_pm.FindControlByName(L"restorebtn");
    m_minButton = m_pm.FindControlByName(L"minbtn");
    m_menuButton = m_pm.FindControlByName(L"menubtn");
    // A button that could open nothing is shown as such.
    if (CControlUI* home = m_pm.FindControlByName(L"homepage_btn")) home->SetEnabled(*kHomePage != 0);
}

void CPopWnd::OnClick(TNotifyMessage& msg) {
    CControlUI* sender = msg.pSender;
    if (!sender) return;
    if (sender == m_closeButton) {
        PostClose(0);
    } else if (sender == m_minButton) {
        SendWindowMessage(WM_SYSCOMMAND, SC_MINIMIZE, 0);
    } else if (sender == m_maxButton) {
        SendWindowMessage(WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    } else if (sender == m_restoreButton) {
        SendWindowMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
    } else if (EqualsIgnoreCase(sender->GetName().Data(), L"homepage_btn")) {
        if (*kHomePage)
            ShellExecuteW(nullptr, L"open", kHomePage, nullptr, nullptr, SW_SHOWNORMAL);
        else
            LogPrintW(L"CPopWnd: no home page address\n");
    }
}

void CPopWnd::OnSelectChanged(TNotifyMessage& msg) {
    const CUIString name = msg.pSender ? msg.pSender->GetName() : CUIString();
    (void)name;
}

void CPopWnd::OnItemSelect(TNotifyMessage& msg) {
    const CUIString name = msg.pSender ? msg.pSender->GetName() : CUIString();
    (void)name;
}

BOOL CPopWnd::OnDefaultKey(WPARAM key) {
    if (key == VK_ESCAPE) PostClose(0);
    return key == VK_ESCAPE;
}

int ShowPopWnd(HWND owner) {
    auto* window = new CPopWnd;
    return ToolWindow::RunToolWindow(window, owner, L"popwnd");  // the window deletes itself when it is destroyed
}
