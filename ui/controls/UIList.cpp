#include "UIList.h"

#include "UIAttributes.h"
#include "UIListBody.h"
#include "UIListHeader.h"
#include "UIManager.h"
#include "UIScrollBar.h"

#include <algorithm>
#include <cwchar>
#include <vector>

namespace SkinUI {

namespace {

bool Is(const wchar_t* name, const wchar_t* expected) { return EqualsIgnoreCase(name, expected); }

int IndexAt(const CUIPtrArray& array, int i) { return static_cast<int>(reinterpret_cast<INT_PTR>(array[i])); }

void* AsEntry(int index) { return reinterpret_cast<void*>(static_cast<INT_PTR>(index)); }

bool IsHeader(CControlUI* control) { return control && control->GetInterface(L"ListHeader") != nullptr; }

bool IsHeaderItem(CControlUI* control) {
    return control && control->GetInterface(L"ListHeader") == nullptr &&
           wcsstr(control->GetClass(), L"ListHeaderItemUI") != nullptr;
}

// The text-style bits of an "align" value: later words win.
UINT ApplyHorizontalAlign(UINT style, const wchar_t* value) {
    if (wcsstr(value, L"left")) style &= ~(DT_CENTER | DT_RIGHT);
    if (wcsstr(value, L"center")) style = (style & ~DT_RIGHT) | DT_CENTER;
    if (wcsstr(value, L"right")) style = (style & ~DT_CENTER) | DT_RIGHT;
    return style;
}

UINT ApplyVerticalAlign(UINT style, const wchar_t* value) {
    if (wcsstr(value, L"top")) style &= ~(DT_VCENTER | DT_BOTTOM);
    if (wcsstr(value, L"vcenter")) style = (style & ~(DT_BOTTOM | DT_WORDBREAK)) | DT_VCENTER | DT_SINGLELINE;
    if (wcsstr(value, L"bottom")) style = (style & ~DT_VCENTER) | DT_BOTTOM;
    return style;
}

}  // namespace

bool SetItemLookAttribute(ListInfo& info, const wchar_t* name, const wchar_t* value) {
    static const struct {
        const wchar_t* name;
        DWORD ListInfo::*field;
    } kColors[] = {
        {L"itemtextcolor", &ListInfo::dwTextColor},
        {L"itembkcolor", &ListInfo::dwBkColor},
        {L"itemselectedtextcolor", &ListInfo::dwSelectedTextColor},
        {L"itemselectedbkcolor", &ListInfo::dwSelectedBkColor},
        {L"itemhottextcolor", &ListInfo::dwHotTextColor},
        {L"itemhotbkcolor", &ListInfo::dwHotBkColor},
        {L"itemdisabledtextcolor", &ListInfo::dwDisabledTextColor},
        {L"itemdisabledbkcolor", &ListInfo::dwDisabledBkColor},
        {L"itemlinecolor", &ListInfo::dwLineColor},
    };
    static const struct {
        const wchar_t* name;
        CUIString ListInfo::*field;
    } kImages[] = {
        {L"itembkimage", &ListInfo::sBkImage},
        {L"itemselectedimage", &ListInfo::sSelectedImage},
        {L"itemhotimage", &ListInfo::sHotImage},
        {L"itemdisabledimage", &ListInfo::sDisabledImage},
    };
    for (const auto& color : kColors) {
        if (!Is(name, color.name)) continue;
        info.*color.field = ParseColor(value);
        return true;
    }
    for (const auto& image : kImages) {
        if (!Is(name, image.name)) continue;
        info.*image.field = value;
        return true;
    }
    if (!Is(name, L"itemaltbk")) return false;
    info.bAlternateBk = IsTrue(value);
    return true;
}

CListUI::CListUI() {
    m_pList = new CListBodyUI(this);
    m_pHeader = new CListHeaderUI;
    Add(m_pHeader);
    CVerticalLayoutUI::Add(m_pList);
}

CListUI::~CListUI() {
    // A header removed from the children is still the list's.
    if (m_pHeader && CContainerUI::GetItemIndex(m_pHeader) < 0) delete m_pHeader;
    m_pHeader = nullptr;
}

CControlUI* CListUI::CreateControl() { return new CListUI; }

const wchar_t* CListUI::GetClass() const { return L"ListUI"; }

void* CListUI::GetInterface(const wchar_t* name) {
    if (Is(name, L"List")) return static_cast<CListUI*>(this);
    if (Is(name, L"IList")) return static_cast<IListUI*>(this);
    if (Is(name, L"IListOwner")) return static_cast<IListOwnerUI*>(this);
    return CVerticalLayoutUI::GetInterface(name);
}

UINT CListUI::GetControlFlags() const { return UIFLAG_TABSTOP; }

bool CListUI::IsHeaderShown() const {
    return m_pHeader && CContainerUI::GetItemIndex(m_pHeader) >= 0 && m_pHeader->IsVisible();
}

// ---------------------------------------------------------------------------------------------------
// Layout

void CListUI::ShowHiddenHeaderItems(bool show) {
    for (int i = 0; i < m_pHeader->GetCount(); ++i) m_pHeader->GetItemAt(i)->SetInternVisible(show);
}

void CListUI::RefreshColumns() {
    if (!m_pHeader) return;
    m_ListInfo.nColumns = std::min(m_pHeader->GetCount(), static_cast<int>(ListInfo::kMaxColumns));
    for (int i = 0; i < m_ListInfo.nColumns; ++i) {
        CControlUI* item = m_pHeader->GetItemAt(i);
        if (!item->IsVisible() || item->IsFloat()) continue;
        m_ListInfo.rcColumn[i] = item->GetPos();
    }
}

void CListUI::SetPos(RECT rect, bool needInvalidate) {
    CVerticalLayoutUI::SetPos(rect, needInvalidate);
    if (!m_pHeader) return;
    const bool hidden = !IsHeaderShown();
    if (hidden) {
        // A hidden header is still laid out, so that the columns get widths although nothing shows.
        ShowHiddenHeaderItems(true);
        m_pHeader->SetPos(RECT{rect.left, 0, rect.right, 0}, false);
    }
    RefreshColumns();
    if (hidden) ShowHiddenHeaderItems(false);
    m_pList->SetPos(m_pList->GetPos(), needInvalidate);
}

void CListUI::Move(SIZE offset, bool needInvalidate) {
    CVerticalLayoutUI::Move(offset, needInvalidate);
    if (m_pHeader && !IsHeaderShown()) m_pHeader->Move(offset, false);
}

// ---------------------------------------------------------------------------------------------------
// Forwarded to the body

int CListUI::GetChildPadding() const { return m_pList->GetChildPadding(); }
void CListUI::SetChildPadding(int padding) { m_pList->SetChildPadding(padding); }
bool CListUI::IsDelayedDestroy() const { return m_pList->IsDelayedDestroy(); }
void CListUI::SetDelayedDestroy(bool delayed) { m_pList->SetDelayedDestroy(delayed); }
SIZE CListUI::GetScrollPos() const { return m_pList->GetScrollPos(); }
SIZE CListUI::GetScrollRange() const { return m_pList->GetScrollRange(); }
void CListUI::SetScrollPos(SIZE pos, bool sendNotify) { m_pList->SetScrollPos(pos, sendNotify); }
void CListUI::LineUp() { m_pList->LineUp(); }
void CListUI::LineDown() { m_pList->LineDown(); }
void CListUI::PageUp() { m_pList->PageUp(); }
void CListUI::PageDown() { m_pList->PageDown(); }
void CListUI::HomeUp() { m_pList->HomeUp(); }
void CListUI::EndDown() { m_pList->EndDown(); }
void CListUI::LineLeft() { m_pList->LineLeft(); }
void CListUI::LineRight() { m_pList->LineRight(); }
void CListUI::PageLeft() { m_pList->PageLeft(); }
void CListUI::PageRight() { m_pList->PageRight(); }
void CListUI::HomeLeft() { m_pList->HomeLeft(); }
void CListUI::EndRight() { m_pList->EndRight(); }
void CListUI::EnableScrollBar(bool enableVertical, bool enableHorizontal) {
    m_pList->EnableScrollBar(enableVertical, enableHorizontal);
}
CScrollBarUI* CListUI::GetVerticalScrollBar() const { return m_pList->GetVerticalScrollBar(); }
CScrollBarUI* CListUI::GetHorizontalScrollBar() const { return m_pList->GetHorizontalScrollBar(); }

bool CListUI::IsColumnEditable(int) { return false; }
CControlUI* CListUI::GetColumnEditor() { return nullptr; }
bool CListUI::IsColumnComboable(int) { return false; }
CControlUI* CListUI::GetColumnCombo() { return nullptr; }

// ---------------------------------------------------------------------------------------------------
// Children

bool CListUI::IsListItem(CControlUI* control) const { return control && control->GetInterface(L"ListItem"); }

IListItemUI* CListUI::ItemAt(int index) const {
    CControlUI* control = m_pList->GetItemAt(index);
    return control ? static_cast<IListItemUI*>(control->GetInterface(L"ListItem")) : nullptr;
}

void CListUI::RenumberItems(int from, int to) {
    for (int i = std::max(0, from); i <= to && i < m_pList->GetCount(); ++i) {
        if (IListItemUI* item = ItemAt(i)) item->SetIndex(i);
    }
}

CControlUI* CListUI::GetItemAt(int index) { return m_pList->GetItemAt(index); }

int CListUI::GetCount() { return m_pList->GetCount(); }

int CListUI::FindSelectable(int index, bool forward) const { return m_pList->FindSelectable(index, forward); }

int CListUI::GetItemIndex(CControlUI* control) const {
    if (IsHeader(control)) return CContainerUI::GetItemIndex(control);
    if (IsHeaderItem(control)) return m_pHeader->GetItemIndex(control);
    return m_pList->GetItemIndex(control);
}

bool CListUI::SetItemIndex(CControlUI* control, int index) {
    if (IsHeader(control)) return CContainerUI::SetItemIndex(control, index);
    if (IsHeaderItem(control)) return m_pHeader->SetItemIndex(control, index);
    const int old = m_pList->GetItemIndex(control);
    if (old < 0) return false;
    if (old == index) return true;
    // Every selected index follows its item.
    std::vector<CControlUI*> selected;
    for (int i = 0; i < m_aSelItems.Count(); ++i) selected.push_back(m_pList->GetItemAt(IndexAt(m_aSelItems, i)));
    CControlUI* current = m_pList->GetItemAt(m_iCurSel);
    if (!m_pList->SetItemIndex(control, index)) return false;
    RenumberItems(std::min(old, index), std::max(old, index));
    for (int i = 0; i < m_aSelItems.Count(); ++i) m_aSelItems.SetAt(i, AsEntry(m_pList->GetItemIndex(selected[i])));
    if (current) m_iCurSel = m_pList->GetItemIndex(current);
    return true;
}

bool CListUI::Add(CControlUI* control) {
    if (IsHeader(control)) {
        if (m_pHeader != control && m_pHeader->GetCount() == 0) {
            if (CContainerUI::GetItemIndex(m_pHeader) >= 0) {
                CContainerUI::Remove(m_pHeader);
            } else {
                delete m_pHeader;  // removed earlier and kept: nothing else owns it
            }
            m_pHeader = static_cast<CListHeaderUI*>(control);
        }
        m_ListInfo.nColumns = std::min(m_pHeader->GetCount(), static_cast<int>(ListInfo::kMaxColumns));
        return CContainerUI::AddAt(control, 0);
    }
    if (IsHeaderItem(control)) {
        const bool added = m_pHeader->Add(control);
        m_ListInfo.nColumns = std::min(m_pHeader->GetCount(), static_cast<int>(ListInfo::kMaxColumns));
        return added;
    }
    if (IListItemUI* item = static_cast<IListItemUI*>(control ? control->GetInterface(L"ListItem") : nullptr)) {
        item->SetOwner(this);
        item->SetIndex(GetCount());
        return m_pList->Add(control);
    }
    return CVerticalLayoutUI::Add(control);
}

bool CListUI::AddAt(CControlUI* control, int index) {
    if (IsHeader(control)) return Add(control);
    if (IsHeaderItem(control)) {
        const bool added = m_pHeader->AddAt(control, index);
        m_ListInfo.nColumns = std::min(m_pHeader->GetCount(), static_cast<int>(ListInfo::kMaxColumns));
        return added;
    }
    if (!m_pList->AddAt(control, index)) return false;
    if (IListItemUI* item = static_cast<IListItemUI*>(control->GetInterface(L"ListItem"))) {
        item->SetOwner(this);
        item->SetIndex(index);
    }
    RenumberItems(index + 1, GetCount() - 1);
    if (m_iCurSel >= index) m_iCurSel += 1;
    for (int i = 0; i < m_aSelItems.Count(); ++i) {
        const int selected = IndexAt(m_aSelItems, i);
        if (selected >= index) m_aSelItems.SetAt(i, AsEntry(selected + 1));
    }
    return true;
}

bool CListUI::Remove(CControlUI* control) {
    if (IsHeader(control)) {
        // Taken out of the children but not deleted: the list keeps its header and frees it itself.
        const int index = CContainerUI::GetItemIndex(control);
        if (index < 0) return false;
        m_items.RemoveAt(index);
        NeedUpdate();
        return true;
    }
    if (IsHeaderItem(control)) return m_pHeader->Remove(control);
    const int index = m_pList->GetItemIndex(control);
    if (index < 0) return false;
    return RemoveAt(index);
}

bool CListUI::RemoveAt(int index) {
    if (!m_pList->RemoveAt(index)) return false;
    RenumberItems(index, GetCount() - 1);
    // The selected indexes follow their items; the removed one is dropped.
    for (int i = m_aSelItems.Count() - 1; i >= 0; --i) {
        const int selected = IndexAt(m_aSelItems, i);
        if (selected == index) {
            m_aSelItems.RemoveAt(i);
        } else if (selected > index) {
            m_aSelItems.SetAt(i, AsEntry(selected - 1));
        }
    }
    if (index == m_iCurSel && m_iCurSel != -1) {
        const int old = m_iCurSel;
        m_iCurSel = -1;
        SelectItem(FindSelectable(old, false), false);
    } else if (index < m_iCurSel) {
        m_iCurSel -= 1;
    }
    return true;
}

void CListUI::RemoveAll() {
    m_iCurSel = -1;
    m_iExpandedItem = -1;
    m_aSelItems.Clear();
    m_pList->RemoveAll();
}

// ---------------------------------------------------------------------------------------------------
// Selection

int CListUI::GetListType() { return kList; }
ListInfo* CListUI::GetListInfo() { return &m_ListInfo; }
int CListUI::GetCurSel() const { return m_aSelItems.IsEmpty() ? -1 : IndexAt(m_aSelItems, 0); }
int CListUI::GetSelectItemCount() const { return m_aSelItems.Count(); }

bool CListUI::IsIndexSelected(int index) const {
    for (int i = 0; i < m_aSelItems.Count(); ++i)
        if (IndexAt(m_aSelItems, i) == index) return true;
    return false;
}

void CListUI::DropSelectedIndex(int index) {
    for (int i = 0; i < m_aSelItems.Count(); ++i) {
        if (IndexAt(m_aSelItems, i) == index) {
            m_aSelItems.RemoveAt(i);
            return;
        }
    }
}

void CListUI::RaiseItemSelect(int index) {
    if (m_pManager) m_pManager->RaiseNotify(this, L"itemselect", static_cast<WPARAM>(index), 0);
}

bool CListUI::SelectItem(int index, bool takeFocus) {
    // The item reports its own selection back through here while the list selects it.
    if (m_iSelecting >= 0 && index == m_iSelecting) return true;
    UnSelectAllItems();
    if (index < 0) return false;
    return SelectThroughItem(index, takeFocus, false);
}

bool CListUI::SelectMultiItem(int index, bool takeFocus) {
    if (!m_bMultiSel) return SelectItem(index, takeFocus);
    if (m_iSelecting >= 0 && index == m_iSelecting) return true;
    if (index < 0 || IsIndexSelected(index)) return false;
    return SelectThroughItem(index, takeFocus, true);
}

bool CListUI::SelectThroughItem(int index, bool takeFocus, bool multi) {
    CControlUI* control = m_pList->GetItemAt(index);
    IListItemUI* item = control ? static_cast<IListItemUI*>(control->GetInterface(L"ListItem")) : nullptr;
    if (!item) return false;
    m_iSelecting = index;
    const bool selected = multi ? item->SelectMulti(true) : item->Select(true);
    m_iSelecting = -1;
    if (!selected) return false;
    m_iCurSel = index;
    m_aSelItems.Add(AsEntry(index));
    EnsureVisible(index);
    if (takeFocus) control->SetFocus();
    RaiseItemSelect(index);
    return true;
}

bool CListUI::UnSelectItem(int index, bool others) {
    if (others) {
        if (!m_bMultiSel) return false;
        // Deselected items report back through here: walk a copy.
        const CUIPtrArray selected(m_aSelItems);
        for (int i = selected.Count() - 1; i >= 0; --i) {
            const int other = IndexAt(selected, i);
            if (other == index) continue;
            CControlUI* control = m_pList->GetItemAt(other);
            if (!control || !control->IsEnabled() || !IsListItem(control)) continue;
            if (ItemAt(other)->SelectMulti(false)) DropSelectedIndex(other);
        }
        return true;
    }
    // Also without multi-select, so that an item that deselects itself leaves the selection.
    CControlUI* control = index >= 0 ? m_pList->GetItemAt(index) : nullptr;
    if (!control || !control->IsEnabled() || !IsListItem(control) || !IsIndexSelected(index)) return false;
    if (!ItemAt(index)->SelectMulti(false)) return false;
    if (m_iCurSel == index) m_iCurSel = -1;
    DropSelectedIndex(index);
    return true;
}

void CListUI::SelectAllItems() {
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* control = m_pList->GetItemAt(i);
        if (!control->IsVisible() || !control->IsEnabled() || !IsListItem(control)) continue;
        if (IsIndexSelected(i)) continue;
        m_iSelecting = i;
        const bool selected = ItemAt(i)->SelectMulti(true);
        m_iSelecting = -1;
        if (!selected) continue;
        m_aSelItems.Add(AsEntry(i));
        m_iCurSel = i;
    }
}

void CListUI::UnSelectAllItems() {
    // Emptied first: the items report their deselection back through UnSelectItem.
    const CUIPtrArray selectedItems(m_aSelItems);
    m_aSelItems.Clear();
    m_iCurSel = -1;
    for (int i = 0; i < selectedItems.Count(); ++i) {
        const int selected = IndexAt(selectedItems, i);
        CControlUI* control = m_pList->GetItemAt(selected);
        if (!control || !control->IsEnabled() || !IsListItem(control)) continue;
        ItemAt(selected)->SelectMulti(false);
    }
}

int CListUI::GetNextSelItem(int index) const {
    if (m_aSelItems.IsEmpty()) return -1;
    if (index < 0) return IndexAt(m_aSelItems, 0);
    for (int i = 0; i + 1 < m_aSelItems.Count(); ++i)
        if (IndexAt(m_aSelItems, i) == index) return IndexAt(m_aSelItems, i + 1);
    return -1;
}

void CListUI::SetMultiSelect(bool multiSelect) {
    m_bMultiSel = multiSelect;
    if (!multiSelect) UnSelectAllItems();
}

bool CListUI::IsMultiSelect() const { return m_bMultiSel; }

int CListUI::MinSelected() const {
    int result = -1;
    for (int i = 0; i < m_aSelItems.Count(); ++i) {
        const int selected = IndexAt(m_aSelItems, i);
        if (result < 0 || selected < result) result = selected;
    }
    return result;
}

int CListUI::MaxSelected() const {
    int result = -1;
    for (int i = 0; i < m_aSelItems.Count(); ++i) result = std::max(result, IndexAt(m_aSelItems, i));
    return result;
}

CListHeaderUI* CListUI::GetHeader() const { return m_pHeader; }
CContainerUI* CListUI::GetList() const { return m_pList; }
IListTextCallbackUI* CListUI::GetTextCallback() const { return m_pCallback; }
void CListUI::SetTextCallback(IListTextCallbackUI* callback) { m_pCallback = callback; }

bool CListUI::ExpandItem(int index, bool expand) {
    if (m_iExpandedItem >= 0 && !m_ListInfo.bMultiExpandable) {
        if (IListItemUI* item = ItemAt(m_iExpandedItem)) item->Expand(false);
        m_iExpandedItem = -1;
    }
    if (!expand) {
        NeedUpdate();
        return true;
    }
    CControlUI* control = m_pList->GetItemAt(index);
    if (!control || !control->IsVisible() || !IsListItem(control)) return false;
    m_iExpandedItem = index;
    if (!ItemAt(index)->Expand(true)) {
        m_iExpandedItem = -1;
        return false;
    }
    NeedUpdate();
    return true;
}

int CListUI::GetExpandedItem() const { return m_iExpandedItem; }

// ---------------------------------------------------------------------------------------------------
// Scrolling and sorting

void CListUI::EnsureVisible(int index) {
    if (m_iCurSel < 0) return;
    CControlUI* control = m_pList->GetItemAt(index);
    if (!control) return;
    const RECT item = control->GetPos();
    RECT band = m_pList->GetPos();
    const RECT inset = m_pList->GetInset();
    band.top += inset.top;
    band.bottom -= inset.bottom;
    CScrollBarUI* horizontal = m_pList->GetHorizontalScrollBar();
    if (horizontal && horizontal->IsVisible()) band.bottom -= horizontal->GetFixedHeight();
    if (item.top >= band.top && item.bottom < band.bottom) return;
    int dy = 0;
    if (item.top < band.top) dy = item.top - band.top;
    if (item.bottom > band.bottom) dy = item.bottom - band.bottom;
    Scroll(0, dy);
}

void CListUI::Scroll(int dx, int dy) {
    if (dx == 0 && dy == 0) return;
    const SIZE pos = m_pList->GetScrollPos();
    m_pList->SetScrollPos(SIZE{pos.cx + dx, pos.cy + dy}, true);
}

bool CListUI::SortItems(ListCompareFn compare, UINT_PTR data) {
    if (!m_pList) return false;
    const bool sorted = m_pList->SortItems(compare, data);
    if (sorted) m_aSelItems.Clear();
    return sorted;
}

// ---------------------------------------------------------------------------------------------------
// Events

void CListUI::DoEvent(TUIEvent& event) {
    if (!IsMouseEnabled() && event.Type >= UIEVENT__MOUSEBEGIN && event.Type <= UIEVENT__MOUSEEND) {
        if (m_pParent) {
            m_pParent->DoEvent(event);
        } else {
            CVerticalLayoutUI::DoEvent(event);
        }
        return;
    }
    if (event.Type == UIEVENT_SETFOCUS || event.Type == UIEVENT_KILLFOCUS) {
        m_bFocused = event.Type == UIEVENT_SETFOCUS;
        return;
    }
    if (event.Type == UIEVENT_KEYDOWN) {
        switch (event.chKey) {
        case VK_HOME: SelectItem(FindSelectable(0, true), true); return;
        case VK_END: SelectItem(FindSelectable(GetCount() - 1, false), true); return;
        case VK_RETURN:
            if (m_iCurSel != -1 && GetItemAt(m_iCurSel)) GetItemAt(m_iCurSel)->Activate();
            return;
        case VK_PRIOR: PageUp(); return;
        case VK_NEXT: PageDown(); return;
        case VK_UP: {
            // The nearest selectable item above: disabled and hidden items are passed over.
            if (m_aSelItems.IsEmpty()) return;
            const int from = MinSelected();
            int target = from > 0 ? m_pList->FindSelectable(from - 1, false) : from;
            if (target < 0 || target > from) target = from;
            UnSelectAllItems();
            SelectItem(target, true);
            return;
        }
        case VK_DOWN: {
            if (m_aSelItems.IsEmpty()) return;
            const int from = MaxSelected();
            int target = from + 1 < GetCount() ? m_pList->FindSelectable(from + 1, true) : from;
            if (target < 0) target = from;
            UnSelectAllItems();
            SelectItem(target, true);
            return;
        }
        case 'A':
            if (m_bMultiSel && GetKeyState(VK_CONTROL) < 0) SelectAllItems();
            return;
        default:
            break;
        }
    }
    if (event.Type == UIEVENT_SCROLLWHEEL) {
        const WORD direction = LOWORD(event.wParam);
        if (direction == 0 || direction == 1) {
            const bool up = direction == 0;
            if (!m_bScrollSelect || m_bMultiSel) {
                up ? LineUp() : LineDown();
            } else {
                SelectItem(up ? FindSelectable(m_iCurSel - 1, false) : FindSelectable(m_iCurSel + 1, true), true);
            }
            return;
        }
    }
    CVerticalLayoutUI::DoEvent(event);
}

// ---------------------------------------------------------------------------------------------------
// Item appearance

RECT CListUI::GetItemTextPadding() const { return ScaledMargins(m_ListInfo.rcTextPadding); }

void CListUI::SetFixedScrollbar(bool fixed) {
    m_bFixedScrollbar = fixed;
    Invalidate();
}

void CListUI::SetItemFont(int index) {
    m_ListInfo.nFont = index;
    NeedUpdate();
}

void CListUI::SetItemTextStyle(UINT style) {
    m_ListInfo.uTextStyle = style;
    NeedUpdate();
}

void CListUI::SetItemTextPadding(RECT padding) {
    m_ListInfo.rcTextPadding = padding;
    NeedUpdate();
}

void CListUI::SetItemShowHtml(bool show) {
    if (m_ListInfo.bShowHtml == show) return;
    m_ListInfo.bShowHtml = show;
    NeedUpdate();
}

void CListUI::SetItemRSelected(bool rightSelects) {
    if (m_ListInfo.bRSelected == rightSelects) return;
    m_ListInfo.bRSelected = rightSelects;
    NeedUpdate();
}

#define LIST_INFO_SETTER(name, field, type) \
    void CListUI::name(type value) {        \
        m_ListInfo.field = value;           \
        Invalidate();                       \
    }
LIST_INFO_SETTER(SetItemTextColor, dwTextColor, DWORD)
LIST_INFO_SETTER(SetItemBkColor, dwBkColor, DWORD)
LIST_INFO_SETTER(SetItemBkImage, sBkImage, const wchar_t*)
LIST_INFO_SETTER(SetAlternateBk, bAlternateBk, bool)
LIST_INFO_SETTER(SetSelectedItemTextColor, dwSelectedTextColor, DWORD)
LIST_INFO_SETTER(SetSelectedItemBkColor, dwSelectedBkColor, DWORD)
LIST_INFO_SETTER(SetSelectedItemImage, sSelectedImage, const wchar_t*)
LIST_INFO_SETTER(SetHotItemTextColor, dwHotTextColor, DWORD)
LIST_INFO_SETTER(SetHotItemBkColor, dwHotBkColor, DWORD)
LIST_INFO_SETTER(SetHotItemImage, sHotImage, const wchar_t*)
LIST_INFO_SETTER(SetDisabledItemTextColor, dwDisabledTextColor, DWORD)
LIST_INFO_SETTER(SetDisabledItemBkColor, dwDisabledBkColor, DWORD)
LIST_INFO_SETTER(SetDisabledItemImage, sDisabledImage, const wchar_t*)
LIST_INFO_SETTER(SetItemLineColor, dwLineColor, DWORD)
LIST_INFO_SETTER(SetItemShowRowLine, bShowRowLine, bool)
LIST_INFO_SETTER(SetItemShowColumnLine, bShowColumnLine, bool)
#undef LIST_INFO_SETTER

void CListUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (!value) value = L"";
    // Two names are matched with their letter case; their values must be "true" exactly.
    if (wcscmp(name, L"multiselect") == 0) {
        SetMultiSelect(wcscmp(value, L"true") == 0);
        return;
    }
    if (wcscmp(name, L"itemrselected") == 0) {
        SetItemRSelected(wcscmp(value, L"true") == 0);
        return;
    }
    if (Is(name, L"vscrollbar") || Is(name, L"hscrollbar") || Is(name, L"vscrollbarstyle") ||
        Is(name, L"hscrollbarstyle")) {
        m_pList->SetAttribute(name, value);  // the bars are the body's
    } else if (Is(name, L"header")) {
        if (m_pHeader) m_pHeader->SetVisible(!Is(value, L"hidden"));
    } else if (Is(name, L"headerbkimage")) {
        if (m_pHeader) m_pHeader->SetBkImage(value);
    } else if (Is(name, L"scrollselect")) {
        SetScrollSelect(IsTrue(value));
    } else if (Is(name, L"fixedscrollbar")) {
        SetFixedScrollbar(IsTrue(value));
    } else if (Is(name, L"multiexpanding")) {
        SetMultiExpanding(IsTrue(value));
    } else if (Is(name, L"itemfont")) {
        m_ListInfo.nFont = ParseInt(value);
    } else if (Is(name, L"itemalign")) {
        m_ListInfo.uTextStyle = ApplyHorizontalAlign(m_ListInfo.uTextStyle, value);
    } else if (Is(name, L"itemvalign")) {
        m_ListInfo.uTextStyle = ApplyVerticalAlign(m_ListInfo.uTextStyle, value);
    } else if (Is(name, L"itemendellipsis")) {
        if (IsTrue(value)) {
            m_ListInfo.uTextStyle |= DT_END_ELLIPSIS;
        } else {
            m_ListInfo.uTextStyle &= ~DT_END_ELLIPSIS;
        }
    } else if (Is(name, L"itemtextpadding")) {
        SetItemTextPadding(ParseRect(value));
    } else if (SetItemLookAttribute(m_ListInfo, name, value)) {
        Invalidate();
    } else if (Is(name, L"itemshowrowline")) {
        SetItemShowRowLine(IsTrue(value));
    } else if (Is(name, L"itemshowcolumnline")) {
        SetItemShowColumnLine(IsTrue(value));
    } else if (Is(name, L"itemshowhtml")) {
        SetItemShowHtml(IsTrue(value));
    } else {
        CVerticalLayoutUI::SetAttribute(name, value);
    }
}

}  // namespace SkinUI
