#pragma once
// List items: the items of a list, of a combo box's drop-down and, through derived classes, of the popup
// menu and the tree view. Each knows its index and owner, selects itself through the owner so that the
// owner's selection stays right, paints its background from the owner's ListInfo by state, turns a
// click into "itemclick" and a double click or Return into "itemactivate", and passes the events it does
// not handle to its owner.
#include "UIHorizontalLayout.h"
#include "UIList.h"

#include <memory>
#include <vector>

namespace SkinUI {

// What both element kinds keep of their owner and state, and the rules they share.
struct TListItemState {
    int index = -1;
    bool selected = false;
    UINT buttonState = 0;  // UISTATE_HOT while the mouse is over the item
    IListOwnerUI* owner = nullptr;
};

// The abstract base of text items.
class CListElementUI : public CControlUI, public IListItemUI {
public:
    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* name) override;
    UINT GetControlFlags() const override;
    bool Activate() override;
    void SetVisible(bool visible = true) override;
    void SetEnabled(bool enable = true) override;
    void DoEvent(TUIEvent& event) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;

    int GetIndex() const override { return m_state.index; }
    void SetIndex(int index) override { m_state.index = index; }
    IListOwnerUI* GetOwner() override { return m_state.owner; }
    void SetOwner(CControlUI* owner) override;
    bool IsSelected() const override { return m_state.selected; }
    bool Select(bool select = true) override;
    bool SelectMulti(bool select = true) override;
    bool IsExpanded() const override { return false; }
    bool Expand(bool /*expand*/ = true) override { return false; }
    bool IsHot() const { return (m_state.buttonState & UISTATE_HOT) != 0; }

    // Clipped to the scrolling parent's visible band and every ancestor.
    void Invalidate();
    void DrawItemBk(HDC hdc, const RECT& item);

protected:
    TListItemState m_state;
};

// One text drawn with the owner's item style.
class CListLabelElementUI : public CListElementUI {
public:
    static CControlUI* CreateControl();

    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* name) override;
    void DoEvent(TUIEvent& event) override;
    SIZE EstimateSize(SIZE available) override;
    bool DoPaint(HDC hdc, const RECT& paintRect, CControlUI* stopControl) override;
    void DrawItemText(HDC hdc, const RECT& rect) override;

protected:
    // The text colour for the item's state, from the owner's info.
    DWORD StateTextColor(const ListInfo& info) const;
};

// One text per header column, with clickable links when the list shows formatted text.
class CListTextElementUI : public CListLabelElementUI {
public:
    enum { kMaxLinks = 8 };

    static CControlUI* CreateControl();

    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* name) override;
    UINT GetControlFlags() const override;
    void DoEvent(TUIEvent& event) override;
    SIZE EstimateSize(SIZE available) override;
    void SetOwner(CControlUI* owner) override;
    void DrawItemText(HDC hdc, const RECT& rect) override;

    // The column's text through the language texts; empty when the column has none.
    CUIString GetText(int column) const;
    bool HasText(int column) const;
    void SetText(int column, const wchar_t* text);
    using CListLabelElementUI::GetText;
    using CListLabelElementUI::SetText;
    int GetLinkCount() const { return m_nLinks; }
    const wchar_t* GetLinkContent(int index) const;
    const RECT& GetLinkRect(int index) const { return m_rcLinks[index]; }

private:
    int LinkAt(POINT point) const;

    int m_nLinks = 0;
    RECT m_rcLinks[kMaxLinks] = {};
    CUIString m_sLinks[kMaxLinks];
    int m_nHoverLink = -1;
    IListUI* m_pListOwner = nullptr;
    std::vector<std::unique_ptr<CUIString>> m_aTexts;  // one per column; null: no text
};

// An item that holds child controls laid out horizontally (under the header's columns in a list).
class CListContainerElementUI : public CHorizontalLayoutUI, public IListItemUI {
public:
    static CControlUI* CreateControl();

    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* name) override;
    UINT GetControlFlags() const override;
    bool Activate() override;
    void SetPos(RECT rect, bool needInvalidate = true) override;
    void SetVisible(bool visible = true) override;
    void SetEnabled(bool enable = true) override;
    void DoEvent(TUIEvent& event) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    bool DoPaint(HDC hdc, const RECT& paintRect, CControlUI* stopControl) override;
    virtual void DrawItemBk(HDC hdc, const RECT& item);

    int GetIndex() const override { return m_state.index; }
    void SetIndex(int index) override { m_state.index = index; }
    IListOwnerUI* GetOwner() override { return m_state.owner; }
    void SetOwner(CControlUI* owner) override;
    bool IsSelected() const override { return m_state.selected; }
    bool Select(bool select = true) override;
    bool SelectMulti(bool select = true) override;
    bool IsExpanded() const override { return false; }
    bool Expand(bool /*expand*/ = true) override { return false; }
    void DrawItemText(HDC /*hdc*/, const RECT& /*rect*/) override {}
    bool IsHot() const { return (m_state.buttonState & UISTATE_HOT) != 0; }

    void Invalidate();

protected:
    TListItemState m_state;
};

}  // namespace SkinUI
