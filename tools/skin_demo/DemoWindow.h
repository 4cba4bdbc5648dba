#pragma once
// The demonstration window: a skin window built from "xml/demo.xml" of the embedded skin, with caption
// buttons, three pages in an animated tab and a status line. With the self-check it compares pixels of
// its first painting with the layout's colours, then closes; the exit code tells the result.
#include "UIWindowImplBase.h"

namespace SkinDemo {

class CDemoWindow : public SkinUI::WindowImplBase {
public:
    explicit CDemoWindow(bool selfCheck) : m_selfCheck(selfCheck) {}
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

private:
    // Each check: a control and the colour its background must show on the screen.
    bool RunSelfCheck();
    DWORD ScreenPixel(int x, int y) const;

    bool m_selfCheck;
    int m_exitCode = 0;

    SKINUI_DECLARE_NOTIFY_MAP()
};

}  // namespace SkinDemo
