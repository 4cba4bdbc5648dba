#include "LoadingWnd.h"

#include "UIControl.h"
#include "base/Log.h"

using namespace SkinUI;

SKINUI_BEGIN_NOTIFY_MAP(CLoadingWnd, WindowImplBase)
    SKINUI_NOTIFY_ENTRY(L"click", L"", &CLoadingWnd::OnClick)
SKINUI_END_NOTIFY_MAP()

void CLoadingWnd::OnClick(TNotifyMessage& msg) {
    if (!msg.pSender) return;
    if (msg.pSender == m_closeButton) {
        PostClose(0);
        return;
    }
    const CUIString name = msg.pSender->GetName();
    if (EqualsIgnoreCase(name.Data(), L"confirm_btn"))
        PostClose(1);
    else if (EqualsIgnoreCase(name.Data(), L"cancel_btn"))
        PostClose(0);
}

void CLoadingWnd::CloseWhenWorkEnded() {
    m_closeAllowed = true;
    PostClose(1);
}

LRESULT CLoadingWnd::OnClose(UINT, WPARAM, LPARAM, BOOL& handled) {
    // Handled without closing: the window stays, and its modal loop goes on.
    handled = m_closeAllowed ? FALSE : TRUE;
    if (!m_closeAllowed) LogPrintW(L"loading popup: close refused while the work runs\n");
    return 0;
}

void CLoadingWnd::SetMessageText(const wchar_t* text) { SetLabel(L"MessageText", text); }

void CLoadingWnd::SetMessageTitle(const wchar_t* text) { SetLabel(L"MessageTitle", text); }

void CLoadingPopupHolder::Show(HWND owner) {
    Hide();
    auto* popup = new CLoadingWnd;
    if (!popup->CreateNativeWindow(owner, L"loadingwnd", WS_POPUP | WS_CLIPCHILDREN, WS_EX_TOOLWINDOW)) {
        delete popup;
        return;
    }
    popup->CenterOnOwner();
    m_popup = popup;
    const HWND window = popup->GetHandle();
    popup->RunModal();
    // A later show may already have replaced it inside the modal loop; forget only this one.
    if (m_popup == popup && !IsWindow(window)) m_popup = nullptr;
}

bool CLoadingPopupHolder::Hide() {
    if (!m_popup) return false;
    m_popup->CloseWhenWorkEnded();
    m_popup = nullptr;
    return true;
}
