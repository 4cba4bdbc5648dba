#pragma once
// The composite controls page of the demonstration: a window built from "xml/composite.xml" with a tree,
// a list with check boxes and in-place editors, text with links, rolling text, a combo with an arrow
// strip, a fade button, a group box around a colour palette, a loading bar, a ring and an animated GIF.
// With the self-check it compares screen pixels with the layout's colours, then closes; the exit code
// tells the result.
#include "UIWindowImplBase.h"

namespace SkinDemo {

class CDemoCompositeWindow : public SkinUI::WindowImplBase {
public:
    explicit CDemoCompositeWindow(bool selfCheck) : m_selfCheck(selfCheck) {}
    int GetExitCode() const { return m_exitCode; }

protected:
    const wchar_t* GetWndClassName() const override { return L"SkinDemoCompositeWnd"; }
    SkinUI::CUIString GetLayoutFile() const override { return SkinUI::CUIString(L"xml/composite.xml"); }
    SkinUI::CControlUI* CreateControl(const wchar_t* className) override;
    LRESULT OnDestroy(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    LRESULT HandleOtherMessage(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;

    void OnWindowInit(SkinUI::TNotifyMessage& msg);
    void OnLink(SkinUI::TNotifyMessage& msg);
    void OnColorChanged(SkinUI::TNotifyMessage& msg);

private:
    void FillControls();
    bool RunSelfCheck();

    bool m_selfCheck;
    int m_exitCode = 0;

    SKINUI_DECLARE_NOTIFY_MAP()
};

}  // namespace SkinDemo
