#pragma once
// The list with check boxes and in-place editors. Its header items (CListContainerHeaderItemUI) can carry
// a check box and mark their column editable in place (a single-line rich edit) or by a drop-down (a
// combo box); its rows (CListTextExtElementUI) carry one text per column, a check box, up to 8 clickable
// links and a background colour per cell. A release over an editable cell of a focused list opens the
// editor over the cell; the edit commits when it loses the focus, the combo when an item is chosen.
//
// The header check box checks or clears every row; a row's check box checks the header when every row
// is checked and clears it otherwise.
#include "UIHorizontalLayout.h"
#include "UIList.h"
#include "UIListElement.h"
#include "UINotify.h"

#include <memory>
#include <vector>

namespace SkinUI {

class CComboBoxUI;
class CRichEditUI;

// Fills the combo editor's items before it opens over the cell (row, column).
class IListComboFillCallback {
public:
    virtual void FillCombo(CComboBoxUI* combo, int row, int column) = 0;

protected:
    ~IListComboFillCallback() = default;
};

// The images and size of a header item's or row's check box.
struct TListCheckBoxLook {
    CUIString normalImage;
    CUIString hotImage;
    CUIString pushedImage;
    CUIString focusedImage;
    CUIString disabledImage;
    CUIString selectedImage;
    CUIString foreImage;
    int width = 0;
    int height = 0;

    // Takes the "checkbox..." attributes; false for any other name.
    bool SetAttribute(const wchar_t* name, const wchar_t* value);
};

// The check-box rectangle in an item: 6 pixels from its left edge, vertically centred.
RECT ListCheckBoxRect(const RECT& item, int width, int height);

class CListExUI : public CListUI, public INotifyUI {
public:
    CListExUI();
    ~CListExUI() override;
    static CControlUI* CreateControl();

    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* name) override;
    UINT GetControlFlags() const override;
    void DoInit() override;
    void SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init = true) override;
    void DoEvent(TUIEvent& event) override;
    void SetPos(RECT rect, bool needInvalidate = true) override;
    void Notify(TNotifyMessage& msg) override;
    // Header items of this kind go to the header wherever the layout names them.
    bool Add(CControlUI* control) override;
    bool AddAt(CControlUI* control, int index) override;

    // ---- the editors (the list's own children, created on first use)
    bool IsColumnEditable(int column) override;
    CControlUI* GetColumnEditor() override;
    bool IsColumnComboable(int column) override;
    CControlUI* GetColumnCombo() override;
    virtual CRichEditUI* GetInPlaceEdit();
    virtual CComboBoxUI* GetInPlaceCombo();
    virtual bool IsColumnCheckable(int column);
    virtual IListComboFillCallback* GetComboFillCallback() const { return m_pComboFill; }
    virtual void SetComboFillCallback(IListComboFillCallback* callback) { m_pComboFill = callback; }

    // rect: the cell in the list's own coordinates.
    void ShowInPlaceEditor(int row, int column, const RECT& rect, const wchar_t* text);
    void HideInPlaceEditors();
    void OnRowChecked(int row, int column, bool checked);
    bool GetCellColour(int row, int column, DWORD& colour);
    void SetCellColour(int row, int column, DWORD colour);

    int GetEditRow() const { return m_nRow; }
    int GetEditColumn() const { return m_nColumn; }

private:
    class CListContainerHeaderItemUI* HeaderItemAt(int column) const;
    class CListTextExtElementUI* RowAt(int row);
    static void HideEditor(CControlUI* editor);
    // Puts an editor over the open cell: its float place as written for 96 DPI, its exact pixels now.
    void PlaceEditor(CControlUI* editor);
    void CommitCell(const CUIString& text);

    CRichEditUI* m_pEdit = nullptr;
    CComboBoxUI* m_pCombo = nullptr;
    int m_nRow = -1;
    int m_nColumn = -1;
    RECT m_rcCell = {};  // the open cell in the list's own coordinates
    IListComboFillCallback* m_pComboFill = nullptr;
    bool m_bFillingCombo = false;  // a selection made while opening the combo is no choice
    CPaintManagerUI* m_pListeningTo = nullptr;
};

class CListContainerHeaderItemUI : public CHorizontalLayoutUI {
public:
    CListContainerHeaderItemUI();
    ~CListContainerHeaderItemUI() override;
    static CControlUI* CreateControl();

    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* name) override;
    UINT GetControlFlags() const override;
    void DoEvent(TUIEvent& event) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    SIZE EstimateSize(SIZE available) override;
    void PaintStatusImage(HDC hdc) override;
    void PaintText(HDC hdc) override;
    void SetEnabled(bool enable = true) override;

    bool IsChecked() const { return m_bChecked; }
    void SetChecked(bool checked);
    bool IsEditable() const { return m_bEditable; }
    bool IsComboable() const { return m_bComboable; }
    bool IsCheckable() const { return m_bCheckable; }
    int GetCheckBoxWidth() const { return m_check.width; }
    int GetCheckBoxHeight() const { return m_check.height; }
    RECT GetTextPadding() const { return m_rcTextPadding; }
    int GetSepWidth() const { return m_iSepWidth; }
    bool IsDragable() const { return m_bDragable; }
    UINT GetButtonState() const { return m_uButtonState; }
    UINT GetCheckBoxState() const { return m_uCheckBoxState; }
    void SetTextStyle(UINT style);
    UINT GetTextStyle() const { return m_uTextStyle; }
    RECT GetCheckBoxRect() const;
    // The separator zone (thumb) at the right edge, or at the left for a negative width.
    RECT GetThumbRect() const;

private:
    RECT GetGripRect() const;
    void OnDragMove(POINT point);

    POINT m_ptLastMouse = {};
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
    bool m_bEditable = false;
    bool m_bComboable = false;
    bool m_bCheckable = false;
    UINT m_uCheckBoxState = 0;
    bool m_bChecked = false;
    TListCheckBoxLook m_check;
};

class CListTextExtElementUI : public CListLabelElementUI {
public:
    enum { kMaxLinks = 8, kMaxCellColours = 32 };

    CListTextExtElementUI();
    ~CListTextExtElementUI() override;
    static CControlUI* CreateControl();

    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* name) override;
    UINT GetControlFlags() const override;
    void DoEvent(TUIEvent& event) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    SIZE EstimateSize(SIZE available) override;
    bool DoPaint(HDC hdc, const RECT& paintRect, CControlUI* stopControl) override;
    void PaintStatusImage(HDC hdc) override;
    void SetOwner(CControlUI* owner) override;
    void DrawItemText(HDC hdc, const RECT& rect) override;

    bool IsChecked() const { return m_bChecked; }
    void SetChecked(bool checked);
    // The column's text, or null when it has none.
    const CUIString* GetColumnText(int column) const;
    void SetColumnText(int column, const wchar_t* text);
    bool GetCellColour(int column, DWORD& colour) const;
    void SetCellColour(int column, DWORD colour);
    const CUIString* GetLinkText(int index) const;
    int GetLinkCount() const { return m_nLinks; }
    const RECT& GetLinkRect(int index) const { return m_rcLinks[index]; }
    RECT GetCheckBoxRect() const;
    // The cell rectangle of a column less the text padding, in window coordinates.
    RECT GetColumnRect(int column) const;
    // The column under the point, or -1.
    int HitTestColumn(POINT point) const;
    UINT GetCheckBoxState() const { return m_uCheckBoxState; }

private:
    struct TCellColour {
        bool set = false;
        DWORD colour = 0;
    };

    CListExUI* OwnerList() const;
    int LinkAt(POINT point) const;

    int m_nLinks = 0;
    RECT m_rcLinks[kMaxLinks] = {};
    CUIString m_sLinks[kMaxLinks];
    int m_nHoverLink = -1;
    IListUI* m_pOwnerList = nullptr;
    std::vector<std::unique_ptr<CUIString>> m_aTexts;
    UINT m_uCheckBoxState = 0;
    bool m_bChecked = false;
    TListCheckBoxLook m_check;
    TCellColour m_cellColours[kMaxCellColours];
};

}  // namespace SkinUI
