#include "NameWnd.h"

#include "base/Log.h"
#include "EqualizerManager.h"
#include "MsgWnd.h"
#include "SceneWnd.h"
#include "UIControl.h"

using namespace SkinUI;

SKINUI_BEGIN_NOTIFY_MAP(CNameMsgWnd, WindowImplBase)
    SKINUI_NOTIFY_ENTRY(L"click", L"", &CNameMsgWnd::OnClick)
SKINUI_END_NOTIFY_MAP()

void CopyNameBounded(const wchar_t* text, wchar_t* buffer, size_t capacity) {
    if (!buffer || capacity == 0) return;
    size_t n = 0;
    if (text)
        for (; n + 1 < capacity && text[n]; ++n) buffer[n] = text[n];
    // Never leave the first half of a surrogate pair at the end.
    if (n > 0 && buffer[n - 1] >= 0xD800 && buffer[n - 1] <= 0xDBFF) --n;
    buffer[n] = 0;
}

void CNameMsgWnd::OnInitWindow() {
    CSkinDialogWnd::OnInitWindow();
    m_nameEdit = m_pm.FindControlByName(L"name_edt");
    if (m_nameEdit && m_buffer) m_nameEdit->SetText(m_buffer);
}

void CNameMsgWnd::FocusNameEdit() {
    if (m_nameEdit) m_nameEdit->SetFocus();
}

void CNameMsgWnd::Confirm() {
    if (m_nameEdit) {
        wchar_t name[kSceneNameChars];
        CopyNameBounded(m_nameEdit->GetText().Data(), name, kSceneNameChars);
        // The amplifier keeps names in the system's code page: what it cannot hold is refused here,
        // before anything is saved, and the dialog stays for another name.
        if (!IsSceneNameStorable(name)) {
            const wchar_t* buttons[] = {L"${confirm}"};
            ShowMsgWndButtons(GetHandle(), L"${tips}", L"${scene_name_not_storable}", buttons, 1);
            FocusNameEdit();
            return;
        }
    }
    if (m_nameEdit) CopyNameBounded(m_nameEdit->GetText().Data(), m_buffer, m_capacity);
    PostClose(1);
}

void CNameMsgWnd::OnClick(TNotifyMessage& msg) {
    if (!msg.pSender) return;
    if (msg.pSender == m_closeButton) {
        PostClose(0);
        return;
    }
    const CUIString name = msg.pSender->GetName();
    if (EqualsIgnoreCase(name.Data(), L"confirm_btn"))
        Confirm();
    else if (EqualsIgnoreCase(name.Data(), L"cancel_btn"))
        PostClose(0);
    else if (EqualsIgnoreCase(name.Data(), L"third_btn"))
        PostClose(2);
}

void CNameMsgWnd::Notify(TNotifyMessage& msg) {
    try {
        if (msg.sType == L"return" && msg.pSender && msg.pSender == m_nameEdit) Confirm();
    } catch (...) {
        LogPrintA("CNameMsgWnd::Notify failed\n");
    }
    WindowImplBase::Notify(msg);
}

LRESULT CNameMsgWnd::HandleOtherMessage(UINT message, WPARAM, LPARAM, BOOL& handled) {
    // Typing anywhere in the dialog goes to the name.
    if (message == WM_KEYDOWN) FocusNameEdit();
    handled = FALSE;
    return 0;
}

void CNameMsgWnd::SetButtonTexts(const wchar_t* confirm, const wchar_t* cancel) {
    SetLabel(L"confirm_btn", confirm);
    SetLabel(L"cancel_btn", cancel);
}

void CNameMsgWnd::SetMessageText(const wchar_t* text) { SetLabel(L"MessageText", text); }

void CNameMsgWnd::SetMessageTitle(const wchar_t* text) { SetLabel(L"MessageTitle", text); }
