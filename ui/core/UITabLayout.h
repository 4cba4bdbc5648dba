#pragma once
// CTabLayoutUI: shows exactly one selected child (page) over its whole inner area; the others are hidden.
#include "UIContainer.h"

namespace SkinUI {

class CTabLayoutUI : public CContainerUI {
public:
    static CControlUI* CreateControl();

    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* name) override;

    bool Add(CControlUI* control) override;
    bool AddAt(CControlUI* control, int index) override;
    bool Remove(CControlUI* control) override;
    void RemoveAll() override;
    int GetCurSel() const { return m_iCurSel; }

    virtual bool SelectItem(CControlUI* control);
    // Shows the page, focuses it and raises "tabselect" (wParam new index, lParam old index).
    virtual bool SelectItem(int index);

    void SetPos(RECT rect, bool needInvalidate = true) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;

protected:
    // The newly selected page, shown and focused, takes its place.
    virtual void ShowSelectedPage(CControlUI* page, int oldIndex);
    // After an add: the first visible page becomes the selection, every other page is hidden.
    void TakeNewPage(CControlUI* control, int index);

    int m_iCurSel = -1;
};

}  // namespace SkinUI
