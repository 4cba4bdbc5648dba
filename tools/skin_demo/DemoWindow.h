#pragma once
// The demonstration window: a skin window built from "xml/demo.xml" of the embedded skin, with caption
// buttons, four pages in an animated tab (the last shows the standard controls in their states) and a
// status line. With the self-check it compares pixels of its first painting, of the controls page and of
// an open combo with the layouts' colours, then closes; the exit code tells the result. Shown on the
// controls page, it opens its combo there so that a person can look at it.
#include "UIWindowImplBase.h"

namespace SkinDemo {

class CDemoWindow : public SkinUI::WindowImplBase {
public:
    CDemoWindow(bool selfCheck, bool controlsPage) : m_selfCheck(selfCheck), m_controlsPage(controlsPage) {}
    int GetExitCode() const { return m_exitCode; }

protected:
    const wchar_t* GetWndClassName() const override { return L"SkinDemoWnd"; }
    SkinUI::CUIString GetLayoutFile() const override { return SkinUI::CUIString(L"xml/demo.xml"); }
    SkinUI::CControlUI* CreateControl(const wchar_t* className) override;
    LRESULT OnDestroy(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    LRESULT HandleOtherMessage(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;

    void OnPageClick(SkinUI::TNotifyMessage& msg);
    void OnTabSelect(SkinUI::TNotifyMessage& msg);
    void OnWindowInit(SkinUI::TNotifyMessage& msg);
    void OnSliderMove(SkinUI::TNotifyMessage& msg);

private:
    // Each check: a control and the colour its background must show on the screen.
    bool RunSelfCheck();
    // The controls page once its page switch has ended, then the open combo's popup.
    bool CheckControlsPage();
    bool CheckOpenCombo();
    void ShowControlsPage();
    void OpenCombo();

    bool m_selfCheck;
    bool m_controlsPage;
    int m_exitCode = 0;

    SKINUI_DECLARE_NOTIFY_MAP()
};

}  // namespace SkinDemo
