#pragma once
// A small popup window with the standard caption buttons and a home-page button. Nothing in the
// program opens it; it is complete and can be opened like the other windows.
#include "SkinDialogWnd.h"

class CPopWnd : public CSkinDialogWnd {
public:
    // The vendor's home page is not known to this program: while it is empty the button is disabled.
    static constexpr const wchar_t* kHomePage = L"";

    virtual void OnSelectChanged(SkinUI::TNotifyMessage& msg);
    virtual void OnItemSelect(SkinUI::TNotifyMessage& msg);

protected:
    const wchar_t* GetWndClassName() const override { return L"PopWnd"; }
    SkinUI::CUIString GetLayoutFile() const override { return SkinUI::CUIString(L"popup.xml"); }
    void OnInitWindow() override;
    void OnClick(SkinUI::TNotifyMessage& msg) override;
    BOOL OnDefaultKey(WPARAM key) override;

private:
    SkinUI::CControlUI* m_maxButton = nullptr;
    SkinUI::CControlUI* m_restoreButton = nullptr;
    SkinUI::CControlUI* m_minButton = nullptr;
    SkinUI::CControlUI* m_menuButton = nullptr;

    SKINUI_DECLARE_NOTIFY_MAP()
};

// Opens the popup modally over `owner`; returns its close code.
int ShowPopWnd(HWND owner);
