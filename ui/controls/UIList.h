#pragma once
// The list view and the interfaces that tie list items to their owner. CListUI is a vertical box with a
// header row (child 0) above a scrolling body (child 1) that holds the items. It keeps the item-appearance
// record every item paints from, the selection (single or multiple), the expanded item, keyboard and
// wheel navigation, and the column rectangles the header's layout produces.
//
// The same interfaces connect items to any owner: the combo box, the popup menu's list and the tree
// view are owners too.
#include "UIContainer.h"
#include "UIPtrArray.h"
#include "UIVerticalLayout.h"

namespace SkinUI {

class CListBodyUI;
class CListHeaderUI;

// Appearance of the items of one owner. Colours are ARGB; the text padding is stored unscaled.
struct ListInfo {
    enum { kMaxColumns = 32 };

    int nColumns = 0;
    RECT rcColumn[kMaxColumns] = {};  // screen rectangle of each header column
    int nFont = -1;
    UINT uTextStyle = DT_VCENTER | DT_SINGLELINE;
    RECT rcTextPadding = {};
    DWORD dwTextColor = 0xFF000000;
    DWORD dwBkColor = 0;
    CUIString sBkImage;
    bool bAlternateBk = false;  // odd rows get no normal background
    DWORD dwSelectedTextColor = 0xFF000000;
    DWORD dwSelectedBkColor = 0xFFC1E3FF;
    CUIString sSelectedImage;
    DWORD dwHotTextColor = 0xFF000000;
    DWORD dwHotBkColor = 0xFFE9F5FF;
    CUIString sHotImage;
    DWORD dwDisabledTextColor = 0xFFCCCCCC;
    DWORD dwDisabledBkColor = 0xFFFFFFFF;
    CUIString sDisabledImage;
    DWORD dwLineColor = 0;  // 0 draws no grid lines
    bool bShowRowLine = false;
    bool bShowColumnLine = false;
    bool bShowHtml = false;
    bool bMultiExpandable = false;
    bool bRSelected = false;  // a right-button press selects like a left one
};

// Writes one of the item-look attributes every list owner takes alike (the item colours and images for
// each state, "itemaltbk") into info; false when the name is none of them.
bool SetItemLookAttribute(ListInfo& info, const wchar_t* name, const wchar_t* value);

// The owner of list items.
class IListOwnerUI {
public:
    enum ListType { kList = 0, kCombo = 1, kTree = 2, kMenu = 3 };

    virtual int GetListType() = 0;
    virtual ListInfo* GetListInfo() = 0;
    virtual int GetCurSel() const = 0;
    virtual bool SelectItem(int index, bool takeFocus = false) = 0;
    virtual bool SelectMultiItem(int index, bool takeFocus = false) = 0;
    virtual bool UnSelectItem(int index, bool others = false) = 0;
    // Items pass the events they do not handle here.
    virtual void DoEvent(TUIEvent& event) = 0;

protected:
    ~IListOwnerUI() = default;
};

// Supplies the column texts of text items; borrowed by the list, not owned.
class IListTextCallbackUI {
public:
    virtual const wchar_t* GetItemText(CControlUI* control, int index, int column) = 0;

protected:
    ~IListTextCallbackUI() = default;
};

class IListUI : public IListOwnerUI {
public:
    virtual CListHeaderUI* GetHeader() const = 0;
    virtual CContainerUI* GetList() const = 0;
    virtual IListTextCallbackUI* GetTextCallback() const = 0;
    virtual void SetTextCallback(IListTextCallbackUI* callback) = 0;
    virtual bool ExpandItem(int index, bool expand = true) = 0;
    virtual int GetExpandedItem() const = 0;
    virtual void SetMultiSelect(bool multiSelect) = 0;
    virtual bool IsMultiSelect() const = 0;
    virtual void SelectAllItems() = 0;
    virtual void UnSelectAllItems() = 0;
    virtual int GetSelectItemCount() const = 0;
    virtual int GetNextSelItem(int index) const = 0;

protected:
    ~IListUI() = default;
};

// Implemented by every list item.
class IListItemUI {
public:
    virtual int GetIndex() const = 0;
    virtual void SetIndex(int index) = 0;
    virtual IListOwnerUI* GetOwner() = 0;
    virtual void SetOwner(CControlUI* owner) = 0;  // stores the control's "IListOwner" interface
    virtual bool IsSelected() const = 0;
    virtual bool Select(bool select = true) = 0;
    virtual bool SelectMulti(bool select = true) = 0;
    virtual bool IsExpanded() const = 0;
    virtual bool Expand(bool expand = true) = 0;
    virtual void DrawItemText(HDC hdc, const RECT& rect) = 0;

protected:
    ~IListItemUI() = default;
};

// Orders two items for a sort: negative, zero or positive.
using ListCompareFn = int (*)(CControlUI* a, CControlUI* b, UINT_PTR data);

class CListUI : public CVerticalLayoutUI, public IListUI {
public:
    CListUI();
    ~CListUI() override;
    static CControlUI* CreateControl();

    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* name) override;
    UINT GetControlFlags() const override;
    void SetPos(RECT rect, bool needInvalidate = true) override;
    void Move(SIZE offset, bool needInvalidate = true) override;
    void DoEvent(TUIEvent& event) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;

    // ---- forwarded to the body, so insets, scrolling and the bars are those of the body
    int GetChildPadding() const override;
    void SetChildPadding(int padding) override;
    bool IsDelayedDestroy() const override;
    void SetDelayedDestroy(bool delayed) override;
    SIZE GetScrollPos() const override;
    SIZE GetScrollRange() const override;
    void SetScrollPos(SIZE pos, bool sendNotify = true) override;
    void LineUp() override;
    void LineDown() override;
    void PageUp() override;
    void PageDown() override;
    void HomeUp() override;
    void EndDown() override;
    void LineLeft() override;
    void LineRight() override;
    void PageLeft() override;
    void PageRight() override;
    void HomeLeft() override;
    void EndRight() override;
    void EnableScrollBar(bool enableVertical = true, bool enableHorizontal = false) override;
    CScrollBarUI* GetVerticalScrollBar() const override;
    CScrollBarUI* GetHorizontalScrollBar() const override;

    // Lists with in-place editors answer these; a plain list has none.
    virtual bool IsColumnEditable(int column);
    virtual CControlUI* GetColumnEditor();
    virtual bool IsColumnComboable(int column);
    virtual CControlUI* GetColumnCombo();

    // ---- children: the header, header items, list items (body) and other controls (the list's own)
    // The items of the body. These hide, and deliberately do not override, the container's GetItemAt and
    // GetCount: the container and layout code walks the list's own children (header, body) through
    // those, while callers of the list see its items.
    CControlUI* GetItemAt(int index);
    int GetCount();
    int GetItemIndex(CControlUI* control) const override;
    bool SetItemIndex(CControlUI* control, int index) override;
    bool Add(CControlUI* control) override;
    bool AddAt(CControlUI* control, int index) override;
    bool Remove(CControlUI* control) override;
    bool RemoveAt(int index) override;
    void RemoveAll() override;

    // ---- IListOwnerUI / IListUI
    int GetListType() override;
    ListInfo* GetListInfo() override;
    int GetCurSel() const override;
    bool SelectItem(int index, bool takeFocus = false) override;
    bool SelectMultiItem(int index, bool takeFocus = false) override;
    bool UnSelectItem(int index, bool others = false) override;
    CListHeaderUI* GetHeader() const override;
    CContainerUI* GetList() const override;
    IListTextCallbackUI* GetTextCallback() const override;
    void SetTextCallback(IListTextCallbackUI* callback) override;
    bool ExpandItem(int index, bool expand = true) override;
    int GetExpandedItem() const override;
    void SetMultiSelect(bool multiSelect) override;
    bool IsMultiSelect() const override;
    void SelectAllItems() override;
    void UnSelectAllItems() override;
    int GetSelectItemCount() const override;
    int GetNextSelItem(int index) const override;

    // FindSelectable over the items (not the list's own children).
    int FindSelectable(int index, bool forward = true) const override;
    void EnsureVisible(int index);
    void Scroll(int dx, int dy);
    bool SortItems(ListCompareFn compare, UINT_PTR data);
    CListBodyUI* GetBody() const { return m_pList; }

    bool IsFixedScrollbar() const { return m_bFixedScrollbar; }
    void SetFixedScrollbar(bool fixed);
    void SetScrollSelect(bool scrollSelect) { m_bScrollSelect = scrollSelect; }
    bool IsScrollSelect() const { return m_bScrollSelect; }
    void SetMultiExpanding(bool multiExpand) { m_ListInfo.bMultiExpandable = multiExpand; }
    RECT GetItemTextPadding() const;  // scaled
    // True when the header is one of the list's children and visible.
    bool IsHeaderShown() const;

    // ---- item appearance
    void SetItemFont(int index);
    void SetItemTextStyle(UINT style);
    void SetItemTextPadding(RECT padding);
    void SetItemTextColor(DWORD color);
    void SetItemBkColor(DWORD color);
    void SetItemBkImage(const wchar_t* image);
    void SetAlternateBk(bool alternate);
    void SetSelectedItemTextColor(DWORD color);
    void SetSelectedItemBkColor(DWORD color);
    void SetSelectedItemImage(const wchar_t* image);
    void SetHotItemTextColor(DWORD color);
    void SetHotItemBkColor(DWORD color);
    void SetHotItemImage(const wchar_t* image);
    void SetDisabledItemTextColor(DWORD color);
    void SetDisabledItemBkColor(DWORD color);
    void SetDisabledItemImage(const wchar_t* image);
    void SetItemLineColor(DWORD color);
    void SetItemShowRowLine(bool show);
    void SetItemShowColumnLine(bool show);
    void SetItemShowHtml(bool show);
    void SetItemRSelected(bool rightSelects);

    // Column count and column rectangles from the header's items (the header must be laid out).
    void RefreshColumns();

protected:
    bool IsListItem(CControlUI* control) const;
    IListItemUI* ItemAt(int index) const;
    void RenumberItems(int from, int to);
    int MinSelected() const;
    int MaxSelected() const;
    bool IsIndexSelected(int index) const;
    void DropSelectedIndex(int index);
    void RaiseItemSelect(int index);
    // The header items internally visible (or not again) while a hidden header is laid out.
    void ShowHiddenHeaderItems(bool show);

    bool m_bFixedScrollbar = false;
    bool m_bScrollSelect = false;
    int m_iCurSel = -1;
    bool m_bMultiSel = false;
    CUIPtrArray m_aSelItems;  // selected indexes, as pointer-sized integers, in the order selected
    int m_iExpandedItem = -1;
    IListTextCallbackUI* m_pCallback = nullptr;
    CListBodyUI* m_pList = nullptr;
    CListHeaderUI* m_pHeader = nullptr;
    ListInfo m_ListInfo;

private:
    // Selects the item at index through the item itself (alone, or added to a selection of many), then
    // records, shows and announces the selection.
    bool SelectThroughItem(int index, bool takeFocus, bool multi);

    // The item whose selection the list itself is setting: its report back through SelectItem is the
    // same selection, not a second one.
    int m_iSelecting = -1;
};

}  // namespace SkinUI
