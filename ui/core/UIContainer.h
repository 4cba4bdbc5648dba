#pragma once
// CContainerUI: a control that owns an ordered list of children, an inner margin (inset), child spacing
// and alignment hints and up to two scroll bars. It lays every visible child over its whole inner area
// (layouts override that), paints children clipped to the inner area, routes hit tests to them and
// scrolls its content. The child list is published through IContainerUI, GetInterface("IContainer").
//
// Inset, child padding and scroll step are stored as written for 96 DPI; layout, painting and hit tests
// all read them scaled, so they agree at any DPI.
#include "UIControl.h"
#include "UIPtrArray.h"

namespace SkinUI {

class CScrollBarUI;

class IContainerUI {
public:
    virtual ~IContainerUI() = default;
    virtual CControlUI* GetItemAt(int index) const = 0;
    virtual int GetItemIndex(CControlUI* control) const = 0;
    virtual bool SetItemIndex(CControlUI* control, int index) = 0;
    virtual int GetCount() const = 0;
    virtual bool Add(CControlUI* control) = 0;
    virtual bool AddAt(CControlUI* control, int index) = 0;
    virtual bool Remove(CControlUI* control) = 0;
    virtual bool RemoveAt(int index) = 0;
    virtual void RemoveAll() = 0;
};

class CContainerUI : public CControlUI, public IContainerUI {
public:
    CContainerUI();
    ~CContainerUI() override;
    static CControlUI* CreateControl();

    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* name) override;

    // ---- IContainerUI
    CControlUI* GetItemAt(int index) const override;
    int GetItemIndex(CControlUI* control) const override;
    bool SetItemIndex(CControlUI* control, int index) override;
    int GetCount() const override;
    bool Add(CControlUI* control) override;
    bool AddAt(CControlUI* control, int index) override;
    bool Remove(CControlUI* control) override;
    bool RemoveAt(int index) override;
    void RemoveAll() override;

    // ---- added after the control's operations
    virtual RECT GetInset() const;  // scaled
    virtual void SetInset(RECT inset);
    virtual int GetChildPadding() const;  // scaled
    virtual void SetChildPadding(int padding);
    virtual UINT GetChildAlign() const;
    virtual void SetChildAlign(UINT align);
    virtual UINT GetChildVAlign() const;
    virtual void SetChildVAlign(UINT align);
    virtual bool IsAutoDestroy() const;
    virtual void SetAutoDestroy(bool autoDestroy);
    virtual bool IsDelayedDestroy() const;
    virtual void SetDelayedDestroy(bool delayed);
    virtual bool IsMouseChildEnabled() const;
    virtual void SetMouseChildEnabled(bool enable = true);
    virtual int FindSelectable(int index, bool forward = true) const;
    virtual SIZE GetScrollPos() const;
    virtual SIZE GetScrollRange() const;
    virtual void SetScrollPos(SIZE pos, bool sendNotify = true);
    virtual void SetScrollStepSize(int size);
    virtual int GetScrollStepSize() const;  // scaled
    virtual void LineUp();
    virtual void LineDown();
    virtual void PageUp();
    virtual void PageDown();
    virtual void HomeUp();
    virtual void EndDown();
    virtual void LineLeft();
    virtual void LineRight();
    virtual void PageLeft();
    virtual void PageRight();
    virtual void HomeLeft();
    virtual void EndRight();
    virtual void EnableScrollBar(bool enableVertical = true, bool enableHorizontal = false);
    virtual CScrollBarUI* GetVerticalScrollBar() const;
    virtual CScrollBarUI* GetHorizontalScrollBar() const;
    virtual void SetFloatPos(int index);
    // Called by layouts after measuring their content: shows, sizes or hides the bars.
    virtual void ProcessScrollBar(RECT rect, int cxRequired, int cyRequired);

    // ---- overridden control operations
    void SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init = true) override;
    RECT GetClientPos() const override;
    void SetPos(RECT rect, bool needInvalidate = true) override;
    void Move(SIZE offset, bool needInvalidate = true) override;
    void SetVisible(bool visible = true) override;
    void SetInternVisible(bool visible = true) override;
    void SetEnabled(bool enable = true) override;
    void SetMouseEnabled(bool enable = true) override;
    CControlUI* FindControl(FindControlProc proc, void* data, UINT flags) override;
    void DoEvent(TUIEvent& event) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    bool DoPaint(HDC hdc, const RECT& paintRect, CControlUI* stopControl) override;
    // Leaves out of its own background what its children cover opaquely.
    void PaintBkColor(HDC hdc) override;
    void CollectOpaqueCover(const RECT& within, std::vector<RECT>& cover) const override;

    // The item rectangle minus the inset and the thickness of the visible bars: where children show.
    RECT GetInnerRect() const;

    // ---- sub-controls by name (hidden and disabled ones included)
    CControlUI* FindSubControl(const wchar_t* name);
    bool SetSubControlText(const wchar_t* name, const wchar_t* text);
    bool SetSubControlFixedHeight(const wchar_t* name, int cy);
    bool SetSubControlFixedWidth(const wchar_t* name, int cx);
    bool SetSubControlUserData(const wchar_t* name, const wchar_t* text);
    CUIString GetSubControlText(const wchar_t* name);
    int GetSubControlFixedHeight(const wchar_t* name);
    int GetSubControlFixedWidth(const wchar_t* name);
    CUIString GetSubControlUserData(const wchar_t* name);

protected:
    // What the children (and theirs) cover opaquely of `visible`, this container's painted part.
    void CollectChildrenCover(const RECT& visible, std::vector<RECT>& cover) const;
    // The item rectangle minus the inset.
    RECT GetInsetRect() const;
    // The item rectangle minus the inset, moved by the scroll positions and extended by the ranges:
    // the whole scrollable content area.
    RECT GetScrolledContentRect() const;
    // The size a child takes in a box of that size: its estimate, where a side of 0 takes the box's,
    // clamped to the child's minimum and maximum (so a negative room gives the minimum).
    static SIZE FitInto(CControlUI& child, int width, int height);
    // Add and AddAt without virtual dispatch, so that a derived Add sees each new child once.
    bool InsertChild(CControlUI* control, int index);
    // Hands a removed child to the delayed clean-up or deletes it, as the destroy flags say.
    void DisposeChild(CControlUI* control);
    void ApplyScrollBarStyle(CScrollBarUI* bar, const CUIString& style);
    bool ProcessOneScrollBar(CScrollBarUI* bar, bool horizontal, const RECT& rect, int required);
    // One line: the scroll step size, else 8 plus the default font's height (vertically) or 8.
    int LineStep(bool vertical) const;
    // One page: the inner height (width) less the other bar's thickness.
    int PageStep(bool vertical) const;
    // Moves the scroll position by the offsets.
    void ScrollBy(int dx, int dy);
    // Moves the shown scroll bars to pos; how far they really moved.
    SIZE MoveScrollBars(SIZE pos);
    // Moves the visible children that do not float back by the offsets, after the scroll bars moved.
    void ShiftChildren(int dx, int dy);

    CUIPtrArray m_items;
    CUIRect m_rcInset;
    int m_iChildPadding = 0;
    UINT m_iChildAlign = 0;   // 0 left, 1 centre, 2 right
    UINT m_iChildVAlign = 0;  // 0 top, 4 vertical centre, 8 bottom
    bool m_bAutoDestroy = true;
    bool m_bDelayedDestroy = true;
    bool m_bMouseChildEnabled = true;
    int m_nScrollStepSize = 0;
    // Set while a paint that reaches every child (no stop control) draws the background.
    bool m_bLeaveCovered = false;
    CScrollBarUI* m_pVerticalScrollBar = nullptr;
    CScrollBarUI* m_pHorizontalScrollBar = nullptr;
    CUIString m_sVerticalScrollBarStyle;
    CUIString m_sHorizontalScrollBarStyle;
};

}  // namespace SkinUI
