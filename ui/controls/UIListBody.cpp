#include "UIListBody.h"

#include "UIListHeader.h"
#include "UIManager.h"
#include "UIScrollBar.h"

#include <algorithm>

namespace SkinUI {

namespace {

bool IsShown(const CScrollBarUI* bar) { return bar && bar->IsVisible(); }

int Clamp(int value, int minimum, int maximum) { return std::max(minimum, std::min(value, maximum)); }

}  // namespace

CListBodyUI::CListBodyUI(CListUI* owner) : m_pOwner(owner) {}

int CListBodyUI::GetScrollStepSize() const {
    if (m_pOwner) return m_pOwner->GetScrollStepSize();
    return CVerticalLayoutUI::GetScrollStepSize();
}

void CListBodyUI::DoEvent(TUIEvent& event) {
    if (!IsMouseEnabled() && event.Type >= UIEVENT__MOUSEBEGIN && event.Type <= UIEVENT__MOUSEEND) {
        if (m_pOwner) {
            m_pOwner->DoEvent(event);
        } else {
            CVerticalLayoutUI::DoEvent(event);
        }
        return;
    }
    CVerticalLayoutUI::DoEvent(event);
}

RECT CListBodyUI::ItemArea() const {
    RECT inner = GetInsetRect();
    const bool fixedBar = m_pOwner && m_pOwner->IsFixedScrollbar();
    if (m_pVerticalScrollBar && (fixedBar || m_pVerticalScrollBar->IsVisible()))
        inner.right -= m_pVerticalScrollBar->GetFixedWidth();
    if (IsShown(m_pHorizontalScrollBar)) inner.bottom -= m_pHorizontalScrollBar->GetFixedHeight();
    return inner;
}

void CListBodyUI::SetPos(RECT rect, bool needInvalidate) {
    CControlUI::SetPos(rect, needInvalidate);
    RECT inner = ItemArea();
    SIZE available = {inner.right - inner.left, inner.bottom - inner.top};
    if (IsShown(m_pHorizontalScrollBar)) available.cx += m_pHorizontalScrollBar->GetScrollRange();

    // Measuring: the height of items of a known height, the widest item, how many share the rest.
    int adjustable = 0;
    int fixedHeight = 0;
    int neededWidth = 0;
    int counted = 0;
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* item = GetItemAt(i);
        if (!item->IsVisible() || item->IsFloat()) continue;
        const SIZE estimate = item->EstimateSize(available);
        const RECT padding = item->GetPadding();
        int height = estimate.cy;
        if (height == 0) {
            ++adjustable;
        } else {
            height = Clamp(height, item->GetMinHeight(), item->GetMaxHeight());
        }
        fixedHeight += padding.top + padding.bottom + height;
        const int width = Clamp(std::max<int>(estimate.cx, 0), item->GetMinWidth(), item->GetMaxWidth());
        neededWidth = std::max(neededWidth, width);
        ++counted;
    }
    fixedHeight += (counted - 1) * GetChildPadding();

    // Items are exactly as wide as the header's columns together; the header scrolls with them.
    CListHeaderUI* header = m_pOwner ? m_pOwner->GetHeader() : nullptr;
    if (header && header->GetCount() > 0) {
        neededWidth = std::max<int>(0, header->EstimateSize(SIZE{inner.right - inner.left, inner.bottom - inner.top}).cx);
        if (IsShown(m_pHorizontalScrollBar)) {
            const RECT current = header->GetPos();
            const int left = inner.left - m_pHorizontalScrollBar->GetScrollPos();
            header->SetPos(RECT{left, current.top, current.right, current.bottom}, true);
        }
    }

    const int share = adjustable ? std::max<int>(0, (available.cy - fixedHeight) / adjustable) : 0;
    int y = inner.top - (IsShown(m_pVerticalScrollBar) ? m_pVerticalScrollBar->GetScrollPos() : 0);
    const int x = inner.left - (IsShown(m_pHorizontalScrollBar) ? m_pHorizontalScrollBar->GetScrollPos() : 0);
    int remaining = available.cy;
    int fixedLeft = fixedHeight;
    int neededHeight = 0;
    int adjustableSeen = 0;
    const int childPadding = GetChildPadding();
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* item = GetItemAt(i);
        if (!item->IsVisible()) continue;
        if (item->IsFloat()) {
            SetFloatPos(i);
            continue;
        }
        const RECT padding = item->GetPadding();
        remaining -= padding.top;
        int height = item->EstimateSize(SIZE{available.cx, remaining}).cy;
        if (height == 0) {
            ++adjustableSeen;
            height = share;
            if (adjustableSeen == adjustable) height = std::max<int>(0, remaining - padding.bottom - fixedLeft);
            height = Clamp(height, item->GetMinHeight(), item->GetMaxHeight());
        } else {
            height = Clamp(height, item->GetMinHeight(), item->GetMaxHeight());
            fixedLeft -= height;
        }
        int width = std::max<int>(available.cx - padding.left - padding.right, neededWidth);
        width = Clamp(width, item->GetMinWidth(), item->GetMaxWidth());
        const int left = x + padding.left;
        const int top = y + padding.top;
        item->SetPos(RECT{left, top, left + width, top + height + padding.bottom}, false);
        y += padding.top + height + padding.bottom + childPadding;
        neededHeight += padding.top + height + padding.bottom;
        remaining -= height + childPadding + padding.bottom;
    }
    neededHeight += (counted - 1) * childPadding;

    if (m_pHorizontalScrollBar) {
        const int innerWidth = inner.right - inner.left;
        if (neededWidth > innerWidth) {
            if (!m_pHorizontalScrollBar->IsVisible()) {
                m_pHorizontalScrollBar->SetVisible(true);
                m_pHorizontalScrollBar->SetScrollRange(neededWidth - innerWidth);
                m_pHorizontalScrollBar->SetScrollPos(0);
                inner.bottom -= m_pHorizontalScrollBar->GetFixedHeight();
            } else {
                m_pHorizontalScrollBar->SetScrollRange(neededWidth - innerWidth);
            }
        } else if (m_pHorizontalScrollBar->IsVisible()) {
            m_pHorizontalScrollBar->SetVisible(false);
            m_pHorizontalScrollBar->SetScrollRange(0);
            m_pHorizontalScrollBar->SetScrollPos(0);
            inner.bottom += m_pHorizontalScrollBar->GetFixedHeight();
        }
    }
    // Items are laid out one per row whatever their width, so the needed height is their real extent.
    ProcessScrollBar(inner, neededWidth, neededHeight);
}

void CListBodyUI::MoveHeaderWithItems(int dx) {
    CListHeaderUI* header = m_pOwner ? m_pOwner->GetHeader() : nullptr;
    if (!header) return;
    ListInfo* info = m_pOwner->GetListInfo();
    info->nColumns = std::min(header->GetCount(), static_cast<int>(ListInfo::kMaxColumns));
    const bool hidden = !header->IsVisible();
    if (hidden) {
        for (int i = 0; i < header->GetCount(); ++i) header->GetItemAt(i)->SetInternVisible(true);
    }
    for (int i = 0; i < info->nColumns; ++i) {
        CControlUI* column = header->GetItemAt(i);
        if (!column->IsVisible() || column->IsFloat()) continue;
        RECT pos = column->GetPos();
        pos.left -= dx;
        pos.right -= dx;
        column->SetPos(pos, true);
        info->rcColumn[i] = column->GetPos();
    }
    if (hidden) {
        for (int i = 0; i < header->GetCount(); ++i) header->GetItemAt(i)->SetInternVisible(false);
    }
}

void CListBodyUI::SetScrollPos(SIZE pos, bool /*sendNotify*/) {
    const SIZE moved = MoveScrollBars(pos);
    ShiftChildren(moved.cx, moved.cy);
    Invalidate();
    MoveHeaderWithItems(moved.cx);
}

void CListBodyUI::SortRange(int first, int last) {
    // A quick sort over the item array; a null item or a missing function compares as equal.
    while (first < last) {
        CControlUI* pivot = GetItemAt((first + last) / 2);
        int i = first;
        int j = last;
        auto compare = [this](CControlUI* a, CControlUI* b) {
            return (a && b && m_pCompare) ? m_pCompare(a, b, m_compareData) : 0;
        };
        while (i <= j) {
            while (compare(GetItemAt(i), pivot) < 0) ++i;
            while (compare(GetItemAt(j), pivot) > 0) --j;
            if (i <= j) {
                void* swap = m_items[i];
                m_items.SetAt(i, m_items[j]);
                m_items.SetAt(j, swap);
                ++i;
                --j;
            }
        }
        if (j - first < last - i) {
            SortRange(first, j);
            first = i;
        } else {
            SortRange(i, last);
            last = j;
        }
    }
}

bool CListBodyUI::SortItems(ListCompareFn compare, UINT_PTR data) {
    if (!compare) return false;
    m_pCompare = compare;
    m_compareData = data;
    SortRange(0, GetCount() - 1);
    for (int i = 0; i < GetCount(); ++i) {
        auto* item = static_cast<IListItemUI*>(GetItemAt(i)->GetInterface(L"ListItem"));
        if (!item) continue;
        item->SetIndex(i);
        item->Select(false);
    }
    if (m_pOwner) m_pOwner->SelectItem(-1, false);
    if (m_pManager) {
        SetPos(GetPos(), true);
        Invalidate();
    }
    return true;
}

}  // namespace SkinUI
