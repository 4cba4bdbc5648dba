#pragma once
// CListBodyUI: the scrolling container inside a list that holds its items. It stacks them like a vertical
// layout but keeps every item as wide as the header's columns together, scrolls the header with the
// items, honours the list's fixed scroll bar and sorts its items.
#include "UIVerticalLayout.h"
#include "UIList.h"

namespace SkinUI {

class CListBodyUI : public CVerticalLayoutUI {
public:
    explicit CListBodyUI(CListUI* owner);

    void SetPos(RECT rect, bool needInvalidate = true) override;
    void DoEvent(TUIEvent& event) override;
    void SetScrollPos(SIZE pos, bool sendNotify = true) override;
    int GetScrollStepSize() const override;

    // False without a function; otherwise sorts, renumbers and deselects every item.
    bool SortItems(ListCompareFn compare, UINT_PTR data);

private:
    // The inner rectangle as the items see it: the inset, the vertical bar's room (always with the
    // owner's fixed scroll bar) and the visible horizontal bar's room taken off.
    RECT ItemArea() const;
    void SortRange(int first, int last);
    void MoveHeaderWithItems(int dx);

    CListUI* m_pOwner;
    ListCompareFn m_pCompare = nullptr;
    UINT_PTR m_compareData = 0;
};

}  // namespace SkinUI
