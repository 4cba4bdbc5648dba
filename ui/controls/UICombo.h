#pragma once
// CComboUI: the drop-down list box. A container of list items that, closed, draws only the selected
// item's text with its own state images; opened, it lends its items to a vertical layout in a popup
// window (CComboWnd) under it, or above it when the monitor's work area has no room below. The user picks
// an item with the mouse, the keys or the wheel. It is the items' list owner.
#include "UIContainer.h"
#include "UIList.h"
#include "UIManager.h"
#include "UINotify.h"
#include "UIVerticalLayout.h"
#include "UIWindow.h"

namespace SkinUI {

class CComboWnd;

class CComboUI : public CContainerUI, public IListOwnerUI {
public:
    CComboUI();
    ~CComboUI() override;
    static CControlUI* CreateControl();

    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* name) override;
    UINT GetControlFlags() const override;
    bool Activate() override;
    CUIString GetText() const override;  // the selected item's text, "" without a selection
    void SetPos(RECT rect, bool needInvalidate = true) override;
    void Move(SIZE offset, bool needInvalidate = true) override;
    void SetEnabled(bool enable = true) override;
    void DoInit() override {}
    void DoEvent(TUIEvent& event) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    SIZE EstimateSize(SIZE available) override;
    bool DoPaint(HDC hdc, const RECT& paintRect, CControlUI* stopControl) override;
    void PaintStatusImage(HDC hdc) override;
    void PaintForeImage(HDC hdc) override;
    void PaintText(HDC hdc) override;

    // ---- the items, with the selection following inserts, moves and removals
    bool SetItemIndex(CControlUI* control, int index) override;
    bool Add(CControlUI* control) override;
    bool AddAt(CControlUI* control, int index) override;
    bool Remove(CControlUI* control) override;
    bool RemoveAt(int index) override;
    void RemoveAll() override;

    // ---- IListOwnerUI
    int GetListType() override { return kCombo; }
    ListInfo* GetListInfo() override { return &m_ListInfo; }
    int GetCurSel() const override { return m_iCurSel; }
    // An index past the end selects the last item; raises "itemselect" (wParam new, lParam old index).
    bool SelectItem(int index, bool takeFocus = false) override;
    bool SelectMultiItem(int index, bool takeFocus = false) override { return SelectItem(index, takeFocus); }
    bool UnSelectItem(int /*index*/, bool /*others*/ = false) override { return false; }

    CComboWnd* GetDropWindow() const { return m_pWindow; }
    UINT GetButtonState() const { return m_uButtonState; }
    const CUIString& GetDropBoxAttributeList() const { return m_sDropBoxAttributes; }
    void SetDropBoxAttributeList(const wchar_t* list) { m_sDropBoxAttributes = list; }
    SIZE GetDropBoxSize() const { return m_szDropBox; }  // unscaled
    void SetDropBoxSize(SIZE size) { m_szDropBox = size; }
    RECT GetDropBoxInset() const { return m_rcDropBoxInset; }  // unscaled
    void SetDropBoxInset(RECT inset) { m_rcDropBoxInset = inset; }
    RECT GetTextPadding() const;  // scaled
    void SetTextPadding(RECT padding);  // unscaled
    UINT GetTextStyle() const { return m_uTextStyle; }
    void SetTextStyle(UINT style);
    int GetFont() const { return m_iFont; }
    void SetFont(int index);
    DWORD GetTextColor() const { return m_dwTextColor; }
    void SetTextColor(DWORD color);
    DWORD GetDisabledTextColor() const { return m_dwDisabledTextColor; }
    void SetDisabledTextColor(DWORD color);
    DWORD GetHotTextColor() const { return m_dwHotTextColor; }
    void SetHotTextColor(DWORD color) { m_dwHotTextColor = color; }
    bool IsShowHtml() const { return m_bShowHtml; }
    void SetShowHtml(bool showHtml = true);
    bool IsShowShadow() const { return m_bShowShadow; }
    void SetShowShadow(bool show = true);
    bool GetScrollSelect() const { return m_bScrollSelect; }
    void SetScrollSelect(bool scrollSelect) { m_bScrollSelect = scrollSelect; }
    // Images in attribute order: normal, hot, hot fore, pushed, focused, disabled, disabled fore.
    enum ImageKind { kNormal, kHot, kHotFore, kPushed, kFocused, kDisabled, kDisabledFore, kImageCount };
    const CUIString& GetImage(ImageKind kind) const { return m_sImages[kind]; }
    void SetImage(ImageKind kind, const wchar_t* image);

private:
    friend class CComboWnd;
    // The item at index as a list item, or null.
    IListItemUI* ListItemAt(int index) const;
    // Gives every item from index on its position as index.
    void RenumberFrom(int index);
    bool SetListInfoAttribute(const wchar_t* name, const wchar_t* value);
    void RefreshState();

    CComboWnd* m_pWindow = nullptr;
    int m_iCurSel = -1;
    DWORD m_dwTextColor = 0;
    DWORD m_dwHotTextColor = 0;
    DWORD m_dwDisabledTextColor = 0;
    int m_iFont = -1;
    UINT m_uTextStyle = DT_VCENTER | DT_SINGLELINE;
    CUIRect m_rcTextPadding;
    bool m_bShowHtml = false;
    bool m_bShowShadow = false;
    CUIString m_sDropBoxAttributes;
    SIZE m_szDropBox = {0, 150};
    CUIRect m_rcDropBoxInset;
    UINT m_uButtonState = 0;
    CUIString m_sImages[kImageCount];
    bool m_bScrollSelect = true;
    ListInfo m_ListInfo;
    CUILifeToken m_life;
};

// The open drop-down: a popup window with its own paint manager whose vertical layout borrows the
// combo's items. It gives them back however it ends, and deletes itself when its window goes.
class CComboWnd : public CWindowWnd, public INotifyUI {
public:
    explicit CComboWnd(CComboUI* owner) : m_pOwner(owner) {}
    ~CComboWnd() override = default;

    // Places and opens the popup under (or above) the combo; false when the window was not made.
    bool Init();
    // The combo is going away: its items go back to it and the popup is destroyed at once.
    void CloseForOwner();
    CPaintManagerUI& GetPaintManager() { return m_pm; }
    CVerticalLayoutUI* GetLayout() const { return m_pLayout; }
    void Notify(TNotifyMessage& msg) override;
    // Scrolls the layout so that the item at index shows (when the combo has a selection).
    void EnsureVisible(int index);
    // The popup's screen rectangle for a combo (pure placement: below, or above without room).
    static RECT PlacePopup(const RECT& comboOnScreen, int width, int height, const RECT& workArea);

protected:
    const wchar_t* GetWndClassName() const override { return L"ComboWnd"; }
    LRESULT HandleWndMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnWindowDestroyed(HWND hwnd) override;

private:
    void OnCreate();
    // The items go back to the combo's manager and parent; done once.
    void ReturnItems();
    bool IsHitItem(POINT point) const;
    void CopyOwnerFonts();

    CPaintManagerUI m_pm;
    CComboUI* m_pOwner;
    CVerticalLayoutUI* m_pLayout = nullptr;
    int m_iOldSel = -1;
    bool m_bHitItem = false;
    bool m_bItemsReturned = false;
    CUILifeToken m_life;
};

}  // namespace SkinUI
