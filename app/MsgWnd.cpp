#include "MsgWnd.h"

#include "UIControl.h"

#include <algorithm>

using namespace SkinUI;

namespace {

constexpr DWORD kBoxStyle = WS_POPUP | WS_CLIPCHILDREN;
constexpr DWORD kBoxExStyle = WS_EX_TOOLWINDOW;

// Open boxes live on the UI thread only, so a plain list is enough.
std::vector<CMsgWnd*>& Registry() {
    static std::vector<CMsgWnd*> boxes;
    return boxes;
}

CMsgWnd* CreateBox(HWND owner, const wchar_t* title, const wchar_t* text) {
    auto* box = new CMsgWnd;
    if (!box->CreateNativeWindow(owner, L"msgwnd", kBoxStyle, kBoxExStyle)) {
        delete box;
        return nullptr;
    }
    box->CenterOnOwner();
    box->SetTitle(title);
    box->SetMsg(text);
    return box;
}

}  // namespace

SKINUI_BEGIN_NOTIFY_MAP(CMsgWnd, WindowImplBase)
    SKINUI_NOTIFY_ENTRY(L"click", L"", &CMsgWnd::OnClick)
SKINUI_END_NOTIFY_MAP()

CMsgWnd::CMsgWnd() { Registry().push_back(this); }

CMsgWnd::~CMsgWnd() {
    auto& boxes = Registry();
    boxes.erase(std::remove(boxes.begin(), boxes.end(), this), boxes.end());
}

std::vector<CMsgWnd*> CMsgWnd::OpenBoxes() { return Registry(); }

int CMsgWnd::CloseAll(bool withReports) {
    int closed = 0;
    for (CMsgWnd* box : Registry()) {
        if (!box->GetHandle() || (box->m_report && !withReports)) continue;
        box->PostClose(0);
        ++closed;
    }
    return closed;
}

void CMsgWnd::OnClick(TNotifyMessage& msg) {
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
    else if (EqualsIgnoreCase(name.Data(), L"third_btn"))
        PostClose(2);
}

void CMsgWnd::SetTitle(const wchar_t* text) { SetLabel(L"MessageTitle", text); }

void CMsgWnd::SetMsg(const wchar_t* text) { SetLabel(L"MessageText", text); }

void CMsgWnd::SetButtons(const wchar_t* const* captions, int count) {
    if (CControlUI* confirm = m_pm.FindControlByName(L"confirm_btn")) confirm->SetText(captions[0]);
    if (CControlUI* cancel = m_pm.FindControlByName(L"cancel_btn")) {
        if (count < 2)
            cancel->SetVisible(false);
        else
            cancel->SetText(captions[1]);
    }
    if (count >= 3) {
        if (CControlUI* third = m_pm.FindControlByName(L"third_btn")) {
            third->SetText(captions[2]);
            third->SetVisible(true);
        }
    }
}

int ShowMsgWnd(HWND owner, const wchar_t* title, const wchar_t* text) {
    CMsgWnd* box = CreateBox(owner, title, text);
    return box ? static_cast<int>(box->RunModal()) : 0;
}

int ShowMsgWndButtons(HWND owner, const wchar_t* title, const wchar_t* text, const wchar_t* const* captions,
                      int count) {
    CMsgWnd* box = CreateBox(owner, title, text);
    if (!box) return 0;
    if (captions && count >= 1) box->SetButtons(captions, count);
    return static_cast<int>(box->RunModal());
}

int ShowWorkReport(HWND owner, const wchar_t* text) {
    CMsgWnd* box = CreateBox(owner, L"${tips}", text);
    if (!box) return 0;
    const wchar_t* captions[] = {L"${confirm}"};
    box->SetButtons(captions, 1);
    box->MarkAsReport();
    return static_cast<int>(box->RunModal());
}
