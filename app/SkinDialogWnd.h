#pragma once
// What the application's modal dialogs (message box, busy popup, name entry, two-box question, scene
// window) share: the automatic DPI and the "closebtn" look-up at start, no system-command or other
// message handling of their own, setting a named label from a text, and, for those the opener does not
// keep, deleting themselves when their window is destroyed.
#include "UIWindowImplBase.h"

class CSkinDialogWnd : public SkinUI::WindowImplBase {
protected:
    explicit CSkinDialogWnd(bool deleteWhenDestroyed = true) : m_deleteWhenDestroyed(deleteWhenDestroyed) {}

    void OnWindowDestroyed(HWND hwnd) override;
    void OnInitWindow() override;
    LRESULT OnSysCommand(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    LRESULT HandleOtherMessage(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;

    // Sets the text of the named control; an empty text or a missing control changes nothing.
    void SetLabel(const wchar_t* name, const wchar_t* text);

    SkinUI::CControlUI* m_closeButton = nullptr;

private:
    bool m_deleteWhenDestroyed;
};
