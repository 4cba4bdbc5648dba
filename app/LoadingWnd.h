#pragma once
// The busy popup shown while a worker talks to the amplifier. The window that receives WM_SHOW_LOADING
// runs one modally over itself and closes it (code 1) when WM_HIDE_LOADING arrives. It frees itself
// when its window is destroyed.
#include "SkinDialogWnd.h"

#include "device/DeviceMessages.h"  // WM_SHOW_LOADING, WM_HIDE_LOADING

class CLoadingWnd : public CSkinDialogWnd {
public:
    void SetMessageText(const wchar_t* text);
    void SetMessageTitle(const wchar_t* text);
    // The one way the popup closes: its opener, once the work it stands for has ended. Alt+F4, the
    // system menu's close and its own buttons leave it up, or the page would be usable while a
    // worker still talks to the amplifier.
    void CloseWhenWorkEnded();

protected:
    const wchar_t* GetWndClassName() const override { return L"LoadingWnd"; }
    SkinUI::CUIString GetLayoutFile() const override { return SkinUI::CUIString(L"XML_LOADING"); }
    void OnClick(SkinUI::TNotifyMessage& msg) override;
    LRESULT OnClose(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;

private:
    bool m_closeAllowed = false;

    SKINUI_DECLARE_NOTIFY_MAP()
};

// Holds the popup a window now shows, so that the next show or a hide closes it. The popup deletes
// itself; the holder only forgets it.
class CLoadingPopupHolder {
public:
    // Closes a popup already shown, then shows a new one over the owner; returns when it has closed.
    void Show(HWND owner);
    // Closes the popup shown, if any; true when there was one.
    bool Hide();
    bool IsShown() const { return m_popup != nullptr; }

private:
    CLoadingWnd* m_popup = nullptr;
};
