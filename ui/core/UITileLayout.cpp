#include "UITileLayout.h"

#include "UIAttributes.h"
#include "UIScrollBar.h"

#include <algorithm>

namespace SkinUI {

namespace {

constexpr int kUnboundedHeight = 9999;

int Clamp(int value, int minimum, int maximum) { return std::min(std::max(value, minimum), maximum); }

bool IsShown(const CScrollBarUI* bar) { return bar && bar->IsVisible(); }

}  // namespace

CControlUI* CTileLayoutUI::CreateControl() { return new CTileLayoutUI; }

const wchar_t* CTileLayoutUI::GetClass() const { return L"TileLayoutUI"; }

void* CTileLayoutUI::GetInterface(const wchar_t* name) {
    return EqualsIgnoreCase(name, L"TileLayout") ? this : CContainerUI::GetInterface(name);
}

void CTileLayoutUI::SetItemSize(SIZE size) {
    if (m_szItem.cx == size.cx && m_szItem.cy == size.cy) return;
    m_szItem = size;
    NeedUpdate();
}

void CTileLayoutUI::SetColumns(int columns) {
    if (columns <= 0) return;
    m_nColumns = columns;
    NeedUpdate();
}

void CTileLayoutUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (EqualsIgnoreCase(name, L"itemsize")) {
        SetItemSize(ParseSize(value));
    } else if (EqualsIgnoreCase(name, L"columns")) {
        SetColumns(ParseInt(value));
    } else {
        CContainerUI::SetAttribute(name, value);
    }
}

// The height of the row that starts at firstIndex: its tallest child with vertical padding.
int CTileLayoutUI::MeasureRowHeight(int firstIndex, int columnWidth) const {
    const int halfPadding = GetChildPadding() / 2;
    int rowHeight = 0;
    int column = 0;
    for (int i = firstIndex; i < GetCount() && column < m_nColumns; ++i) {
        CControlUI* child = GetItemAt(i);
        if (!child->IsVisible() || child->IsFloat()) continue;
        const RECT pad = child->GetPadding();
        const bool edgeColumn = column == 0 || column == m_nColumns - 1;
        int room = columnWidth - pad.right - pad.left - (edgeColumn ? halfPadding : GetChildPadding());
        room = Clamp(room, child->GetMinWidth(), child->GetMaxWidth());
        SIZE size = child->EstimateSize(SIZE{room, kUnboundedHeight});
        size.cx = Clamp(size.cx, child->GetMinWidth(), child->GetMaxWidth());
        size.cy = Clamp(size.cy, child->GetMinHeight(), child->GetMaxHeight());
        rowHeight = std::max<int>(rowHeight, size.cy + pad.top + pad.bottom);
        ++column;
    }
    return rowHeight;
}

void CTileLayoutUI::SetPos(RECT rect, bool needInvalidate) {
    CControlUI::SetPos(rect, needInvalidate);
    if (m_items.IsEmpty()) {
        ProcessScrollBar(GetInsetRect(), 0, 0);
        return;
    }
    const RECT rc = GetInnerRect();
    CScrollBarUI* verticalBar = GetVerticalScrollBar();
    CScrollBarUI* horizontalBar = GetHorizontalScrollBar();

    const int width = rc.right - rc.left;
    const int itemWidth = Scaled(m_szItem.cx);
    if (itemWidth > 0) m_nColumns = width / itemWidth;
    // An inset wider than the layout would give a negative count.
    if (m_nColumns < 1) m_nColumns = 1;
    const int columnWidth =
        std::max(0, (width + (IsShown(horizontalBar) ? horizontalBar->GetScrollRange() : 0)) / m_nColumns);

    const int childPadding = GetChildPadding();
    const int halfPadding = childPadding / 2;
    const int left = rc.left - (IsShown(horizontalBar) ? horizontalBar->GetScrollPos() : 0);
    const int scrollTop = IsShown(verticalBar) ? verticalBar->GetScrollPos() : 0;
    int x = left;
    int y = rc.top - scrollTop;
    int rowHeight = 0;
    int placed = 0;
    int neededHeight = 0;
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* child = GetItemAt(i);
        if (!child->IsVisible()) continue;
        if (child->IsFloat()) {
            SetFloatPos(i);
            continue;
        }
        const int column = placed % m_nColumns;
        if (column == 0) rowHeight = MeasureRowHeight(i, columnWidth);
        const RECT pad = child->GetPadding();
        RECT tile = {x + pad.left + (column == 0 ? 0 : halfPadding), y + pad.top,
                     x + columnWidth - pad.right - (column == m_nColumns - 1 ? 0 : halfPadding), y + rowHeight};
        const int tileWidth = tile.right - tile.left;
        const int tileHeight = tile.bottom - tile.top;
        const SIZE size = FitInto(*child, tileWidth, tileHeight);
        const int childLeft = (tile.left + tile.right - size.cx) / 2;
        const int childTop = (tile.top + tile.bottom - size.cy) / 2;
        child->SetPos(RECT{childLeft, childTop, childLeft + size.cx, childTop + size.cy}, true);

        ++placed;
        if (placed % m_nColumns == 0) {
            x = left;
            y += rowHeight + childPadding;
            rowHeight = 0;
        } else {
            x += columnWidth;
        }
        neededHeight = tile.bottom - rc.top + scrollTop;
    }
    ProcessScrollBar(rc, 0, neededHeight);
}

}  // namespace SkinUI
