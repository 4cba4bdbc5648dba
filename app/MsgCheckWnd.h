#pragma once
// A modal question with a title, a text and two check boxes; the answer says which box was ticked:
// 1 the first, 2 the second (the first wins when both are), 0 cancelled or closed. Confirming with no
// box ticked leaves the question open.
#include "SkinDialogWnd.h"

namespace SkinUI {
class COptionUI;
}

class CMsgCheckBoxWnd : public CSkinDialogWnd {
public:
    void SetMessageTitle(const wchar_t* text);
    void SetMessageText(const wchar_t* text);
    // Both texts must be non-empty; otherwise nothing changes.
    void SetCheckBoxTexts(const wchar_t* first, const wchar_t* second);

protected:
    const wchar_t* GetWndClassName() const override { return L"MsgCheckBoxWnd"; }
    SkinUI::CUIString GetLayoutFile() const override { return SkinUI::CUIString(L"XML_CHECKBOX_MSG"); }
    void OnClick(SkinUI::TNotifyMessage& msg) override;

private:
    bool IsTicked(SkinUI::COptionUI*& box, const wchar_t* name);

    SkinUI::COptionUI* m_checkBox0 = nullptr;
    SkinUI::COptionUI* m_checkBox1 = nullptr;

    SKINUI_DECLARE_NOTIFY_MAP()
};

// Creates the question over the owner, centres it, sets the title, the text and the two box texts,
// runs it modally and returns its close code.
int RunMsgCheckBoxWnd(HWND owner, const wchar_t* title, const wchar_t* text, const wchar_t* firstBox,
                      const wchar_t* secondBox);
