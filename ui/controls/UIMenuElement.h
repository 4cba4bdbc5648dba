#pragma once
// The contents of a popup menu: CMenuUI, a list that takes only menu items, and CMenuElementUI, a list
// item that may hold further items (its sub-menu, moved into a new menu window when it opens), be a
// separator line or a check item, and show an expand arrow. A click on a plain item records its checked
// state, posts a click record to the window that opened the menu and closes every menu.
#include "UIList.h"
#include "UIListElement.h"
#include "UIMenu.h"

namespace SkinUI {

class CMenuUI : public CListUI {
public:
    CMenuUI();
    ~CMenuUI() override;
    static CControlUI* CreateControl();

    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* name) override;
    // Every visible item takes the width of the widest.
    SIZE EstimateSize(SIZE available) override;

    // Only menu items are taken; their own sub-items never show in this menu.
    int GetItemIndex(CControlUI* control) const override;
    bool SetItemIndex(CControlUI* control, int index) override;
    bool Add(CControlUI* control) override;
    bool AddAt(CControlUI* control, int index) override;
    bool Remove(CControlUI* control) override;
    int GetListType() override;

    CMenuWnd* GetMenuWnd() const { return m_pWindow; }
    void SetMenuWnd(CMenuWnd* window) { m_pWindow = window; }

private:
    CMenuWnd* m_pWindow = nullptr;
};

class CMenuElementUI : public CListContainerElementUI {
public:
    CMenuElementUI();
    ~CMenuElementUI() override;
    static CControlUI* CreateControl();

    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* name) override;
    void DoEvent(TUIEvent& event) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    SIZE EstimateSize(SIZE available) override;
    void SetPos(RECT rect, bool needInvalidate = true) override;
    CControlUI* FindControl(FindControlProc proc, void* data, UINT flags) override;
    bool DoPaint(HDC hdc, const RECT& paintRect, CControlUI* stopControl) override;
    void DrawItemText(HDC hdc, const RECT& rect) override;

    void SetIcon(const wchar_t* name);
    void SetIconSize(LONG cx, LONG cy);
    void SetCheckItem(bool check) { m_bCheckItem = check; }
    bool IsCheckItem() const { return m_bCheckItem; }
    void SetExpland(bool expland) { m_bShowExplandIcon = expland; }
    bool IsExpland() const { return m_bShowExplandIcon; }
    void SetLineColor(DWORD color) { m_dwLineColor = color; }
    void SetLinePadding(RECT padding) { m_rcLinePadding = padding; }
    RECT GetLinePadding() const { return m_rcLinePadding; }
    // A separator: 6 high, not hoverable, not clickable.
    void SetLineType();
    bool IsLineType() const { return m_bDrawLine; }
    bool GetChecked() const;
    void SetChecked(bool checked);
    void SetSubMenuAlignment(DWORD alignment) { m_dwSubMenuAlign = alignment; }
    DWORD GetSubMenuAlignment() const { return m_dwSubMenuAlign; }

    // Opens this item's sub-menu unless it is open.
    void CreateMenuWnd();
    CMenuWnd* GetSubMenuWnd() const { return m_pSubMenuWnd; }
    // Called by the sub-menu window when it goes.
    void OnSubMenuClosed();
    bool HasSubItems();
    void ShowSubItems(bool show);
    void ClearPushed();

private:
    void OpenOrSelect();
    void ClickPlainItem();
    void PostClickRecord(CPaintManagerUI* receiver);
    void DrawIcon(HDC hdc);
    void DrawExpandArrow(HDC hdc);
    CMenuUI* OwningMenu() const;

    CMenuWnd* m_pSubMenuWnd = nullptr;
    bool m_bDrawLine = false;
    DWORD m_dwLineColor = 0xFFBCBFC4;
    RECT m_rcLinePadding = {29, 0, 7, 0};
    SIZE m_szIconSize = {16, 16};
    CUIString m_strIcon;
    bool m_bCheckItem = false;
    bool m_bShowExplandIcon = false;
    DWORD m_dwSubMenuAlign = eMenuAlignment_Top | eMenuAlignment_Right;
};

}  // namespace SkinUI
