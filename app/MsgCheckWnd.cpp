#include "MsgCheckWnd.h"

#include "UIControl.h"
#include "UIOption.h"

using namespace SkinUI;

SKINUI_BEGIN_NOTIFY_MAP(CMsgCheckBoxWnd, WindowImplBase)
    SKINUI_NOTIFY_ENTRY(L"click", L"", &CMsgCheckBoxWnd::OnClick)
SKINUI_END_NOTIFY_MAP()

void CMsgCheckBoxWnd::SetMessageTitle(const wchar_t* text) { SetLabel(L"MessageTitle", text); }

void CMsgCheckBoxWnd::SetMessageText(const wchar_t* text) {
    if (!text || !*text) return;
    if (CControlUI* label = m_pm.FindControlByName(L"MessageText")) {
        label->SetText(text);
        label->NeedUpdate();
    }
}

void CMsgCheckBoxWnd::SetCheckBoxTexts(const wchar_t* first, const wchar_t* second) {
    if (!first || !*first || !second || !*second) return;
    m_checkBox0 = dynamic_cast<COptionUI*>(m_pm.FindControlByName(L"check_box_0"));
    m_checkBox1 = dynamic_cast<COptionUI*>(m_pm.FindControlByName(L"check_box_1"));
    if (m_checkBox0) m_checkBox0->SetText(first);
    if (m_checkBox1) m_checkBox1->SetText(second);
}

// Boxes whose texts were never set are still found, so a confirm always reads what the user sees.
bool CMsgCheckBoxWnd::IsTicked(COptionUI*& box, const wchar_t* name) {
    if (!box) box = dynamic_cast<COptionUI*>(m_pm.FindControlByName(name));
    return box && box->IsSelected();
}

void CMsgCheckBoxWnd::OnClick(TNotifyMessage& msg) {
    if (!msg.pSender) return;
    if (msg.pSender == m_closeButton) {
        PostClose(0);
        return;
    }
    const CUIString name = msg.pSender->GetName();
    if (EqualsIgnoreCase(name.Data(), L"cancel_btn")) {
        PostClose(0);
    } else if (EqualsIgnoreCase(name.Data(), L"confirm_btn")) {
        if (IsTicked(m_checkBox0, L"check_box_0"))
            PostClose(1);
        else if (IsTicked(m_checkBox1, L"check_box_1"))
            PostClose(2);
    }
}

int RunMsgCheckBoxWnd(HWND owner, const wchar_t* title, const wchar_t* text, const wchar_t* firstBox,
                      const wchar_t* secondBox) {
    auto* box = new CMsgCheckBoxWnd;
    if (!box->CreateNativeWindow(owner, L"msgcbwnd", WS_POPUP | WS_CLIPCHILDREN, WS_EX_TOOLWINDOW)) {
        delete box;
        return 0;
    }
    box->CenterOnOwner();
    box->SetMessageTitle(title);
    box->SetMessageText(text);
    box->SetCheckBoxTexts(firstBox, secondBox);
    return static_cast<int>(box->RunModal());
}
