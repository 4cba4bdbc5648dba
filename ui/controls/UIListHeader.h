#pragma once
// The header row of a list and its column headers. The positions of the header items are the list's
// columns; dragging the separator at an item's edge widens or narrows a column, and a click on an item
// raises "headerclick".
#include "UIContainer.h"
#include "UIHorizontalLayout.h"

namespace SkinUI {

class CListHeaderUI : public CHorizontalLayoutUI {
public:
    static CControlUI* CreateControl();

    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* name) override;
    void SetPos(RECT rect, bool needInvalidate = true) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    SIZE EstimateSize(SIZE available) override;

    // Item widths are percentages of the header's width.
    void SetScaleHeader(bool scale);
    bool IsScaleHeader() const { return m_bIsScaleHeader; }

private:
    // The width percentages refer to: the header less the owning list's vertical bar (shown or not).
    int ScaleBase() const;

    bool m_bIsScaleHeader = false;
};

class CListHeaderItemUI : public CContainerUI {
public:
    enum { kDragging = 0x40, kSeparatorGrip = 4 };

    CListHeaderItemUI();
    static CControlUI* CreateControl();

    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* name) override;
    UINT GetControlFlags() const override;
    void SetEnabled(bool enable = true) override;
    void DoEvent(TUIEvent& event) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    SIZE EstimateSize(SIZE available) override;
    int GetFixedWidth() const override;
    void SetFixedWidth(int cx) override;
    void OnDpiChanged() override;
    void PaintStatusImage(HDC hdc) override;
    void PaintText(HDC hdc) override;

    bool IsDragable() const { return m_bDragable; }
    void SetDragable(bool dragable);
    int GetSepWidth() const { return m_iSepWidth; }
    void SetSepWidth(int width) { m_iSepWidth = width; }
    DWORD GetTextColor() const { return m_dwTextColor; }
    void SetTextColor(DWORD color) { m_dwTextColor = color; }
    int GetFont() const { return m_iFont; }
    void SetFont(int index) { m_iFont = index; }
    UINT GetTextStyle() const { return m_uTextStyle; }
    void SetTextStyle(UINT style);
    bool IsShowHtml() const { return m_bShowHtml; }
    void SetShowHtml(bool show);
    RECT GetTextPadding() const { return m_rcTextPadding; }
    void SetTextPadding(RECT padding);
    void SetNormalImage(const wchar_t* image);
    void SetHotImage(const wchar_t* image);
    void SetPushedImage(const wchar_t* image);
    void SetFocusedImage(const wchar_t* image);
    void SetSepImage(const wchar_t* image);
    int GetScale() const { return m_nScale; }
    void SetScale(int percent) { m_nScale = percent; }
    UINT GetButtonState() const { return m_uButtonState; }

    // The separator zone inside the item rectangle: at the right edge for a positive width, at the left
    // edge for a negative one.
    RECT GetSeparatorRect() const;

private:
    // The separator zone widened into the item, where a press starts a drag.
    RECT GetGripRect() const;
    void OnDragMove(POINT point);

    POINT m_ptLastMouse = {};  // where the separator drag started
    int m_iDragStartWidth = 0;
    int m_iDraggedWidth = 0;  // pixels of the last drag at the present DPI; 0: none
    bool m_bDragable = true;
    UINT m_uButtonState = 0;
    int m_iSepWidth = 4;
    DWORD m_dwTextColor = 0;
    int m_iFont = -1;
    UINT m_uTextStyle = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
    bool m_bShowHtml = false;
    RECT m_rcTextPadding = {2, 0, 2, 0};
    CUIString m_sNormalImage;
    CUIString m_sHotImage;
    CUIString m_sPushedImage;
    CUIString m_sFocusedImage;
    CUIString m_sSepImage;
    CUIString m_sSepImageModify;
    int m_nScale = 0;
};

}  // namespace SkinUI
