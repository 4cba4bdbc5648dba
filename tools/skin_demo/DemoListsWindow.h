#pragma once
// The lists and menus page of the demonstration: a window built from "xml/lists.xml" with a list of
// columns and a plain list in their states (selected, alternate, disabled, hot under the mouse), and a
// popup menu from "xml/menu.xml" with a separator, a check item and a sub-menu, open from the start.
// With the self-check it compares screen pixels of the list, the menu and the sub-menu with the
// layouts' colours, then closes; the exit code tells the result.
#include "UIMenu.h"
#include "UIWindowImplBase.h"

#include <memory>

namespace SkinDemo {

class CDemoListsWindow : public SkinUI::WindowImplBase {
public:
    explicit CDemoListsWindow(bool selfCheck) : m_selfCheck(selfCheck) {}
    ~CDemoListsWindow() override;
    int GetExitCode() const { return m_exitCode; }

protected:
    const wchar_t* GetWndClassName() const override { return L"SkinDemoListsWnd"; }
    SkinUI::CUIString GetLayoutFile() const override { return SkinUI::CUIString(L"xml/lists.xml"); }
    SkinUI::CControlUI* CreateControl(const wchar_t* className) override;
    LRESULT OnDestroy(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    LRESULT HandleOtherMessage(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;

    void OnMenuButton(SkinUI::TNotifyMessage& msg);
    void OnWindowInit(SkinUI::TNotifyMessage& msg);

private:
    void FillRows();
    // Opens the menu under the menu button and, for the demonstration, its sub-menu.
    void OpenMenu(bool withSubMenu);
    bool RunSelfCheck();

    bool m_selfCheck;
    int m_exitCode = 0;
    std::unique_ptr<SkinUI::CMenuWnd> m_menu;
    SkinUI::CUIStringMap m_menuChecks;

    SKINUI_DECLARE_NOTIFY_MAP()
};

}  // namespace SkinDemo
