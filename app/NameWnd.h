#pragma once
// The small dialog in which the user types a scene name. It edits the caller's buffer in place: the
// buffer's text is shown at the start, and the edit's text is written back only when the user confirms.
#include "SkinDialogWnd.h"

#include <cstddef>

class CNameMsgWnd : public CSkinDialogWnd {
public:
    // buffer holds `capacity` wide characters including the terminator; a longer entry is cut.
    CNameMsgWnd(wchar_t* buffer, size_t capacity) : m_buffer(buffer), m_capacity(capacity) {}

    void SetButtonTexts(const wchar_t* confirm, const wchar_t* cancel);
    void SetMessageText(const wchar_t* text);
    void SetMessageTitle(const wchar_t* text);
    // Puts the keyboard focus on the name edit.
    void FocusNameEdit();

protected:
    const wchar_t* GetWndClassName() const override { return L"NameMsgWnd"; }
    SkinUI::CUIString GetLayoutFile() const override { return SkinUI::CUIString(L"XML_MSG_NAME"); }
    void OnInitWindow() override;
    void OnClick(SkinUI::TNotifyMessage& msg) override;
    void Notify(SkinUI::TNotifyMessage& msg) override;
    LRESULT HandleOtherMessage(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;

private:
    // Copies the edit's text into the caller's buffer, cut to fit, then closes with 1.
    void Confirm();

    SkinUI::CControlUI* m_nameEdit = nullptr;
    wchar_t* m_buffer = nullptr;
    size_t m_capacity = 0;

    SKINUI_DECLARE_NOTIFY_MAP()
};

// Copies text into a buffer of `capacity` wide characters, cut to fit, always terminated.
void CopyNameBounded(const wchar_t* text, wchar_t* buffer, size_t capacity);
