#pragma once
// CEditUI: the single-line text field. Without the focus it is drawn like a label (its text, a grey tip
// when empty, or password characters); with the focus a native EDIT control (CEditWnd) lies exactly
// over its text area, takes the keyboard and is destroyed again when it loses the focus. Arrow keys,
// Return and the wheel become notifications instead of caret moves.
//
// The text padding is read scaled everywhere (painting, the native window's place, click mapping).
#include "UILabel.h"

namespace SkinUI {

class CEditWnd;

class CEditUI : public CLabelUI {
public:
    CEditUI();
    ~CEditUI() override;
    static CControlUI* CreateControl();

    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* name) override;
    UINT GetControlFlags() const override;
    void SetText(const wchar_t* text) override;
    void SetPos(RECT rect, bool needInvalidate = true) override;
    void Move(SIZE offset, bool needInvalidate = true) override;
    void SetVisible(bool visible = true) override;
    void SetInternVisible(bool visible = true) override;
    void SetEnabled(bool enable = true) override;
    void DoEvent(TUIEvent& event) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    SIZE EstimateSize(SIZE available) override;
    void PaintStatusImage(HDC hdc) override;
    void PaintText(HDC hdc) override;
    void CollectOpaqueCover(const RECT& within, std::vector<RECT>& cover) const override;

    bool IsReadOnly() const { return m_bReadOnly; }
    void SetReadOnly(bool readOnly);
    bool IsNumberOnly() const { return (m_uWindowStyles & ES_NUMBER) != 0; }
    void SetNumberOnly(bool numberOnly);  // from the next editing
    bool IsPasswordMode() const { return m_bPasswordMode; }
    void SetPasswordMode(bool password);
    wchar_t GetPasswordChar() const { return m_cPasswordChar; }
    void SetPasswordChar(wchar_t ch);
    UINT GetMaxChar() const { return m_uMaxChar; }
    void SetMaxChar(UINT count);
    bool IsAutoSelAll() const { return m_bAutoSelAll; }
    void SetAutoSelAll(bool autoSelAll) { m_bAutoSelAll = autoSelAll; }
    void SetNormalImage(const wchar_t* image);
    void SetHotImage(const wchar_t* image);
    void SetFocusedImage(const wchar_t* image);
    void SetDisabledImage(const wchar_t* image);
    void SetTipValue(const wchar_t* tip) { m_sTipValue = tip; }
    CUIString GetTipValue() const;  // a "${key}" resolved in the current language
    void SetTipValueColor(const wchar_t* color);
    DWORD GetTipValueColor() const { return m_dwTipValueColor; }
    void SetNativeEditBkColor(DWORD color) { m_dwEditBkColor = color; }
    DWORD GetNativeEditBkColor() const { return m_dwEditBkColor; }
    DWORD GetNativeEditTextColor() const { return m_dwEditTextColor; }
    UINT GetWindowStyles() const { return m_uWindowStyles; }
    UINT GetButtonState() const { return m_uButtonState; }
    void SetSel(long start, long end);
    void SetSelAll() { SetSel(0, -1); }
    void SetReplaceSel(const wchar_t* text);
    // The native window while editing, else null.
    HWND GetNativeWindow() const;

private:
    friend class CEditWnd;
    // Creates the native control over the text area and gives it the keyboard.
    void StartEditing();
    void PlaceNativeWindow(bool move);

    CEditWnd* m_pWindow = nullptr;
    UINT m_uMaxChar = 255;
    bool m_bReadOnly = false;
    bool m_bPasswordMode = false;
    bool m_bAutoSelAll = false;
    wchar_t m_cPasswordChar = L'*';
    UINT m_uButtonState = 0;
    CUIString m_sNormalImage;
    CUIString m_sHotImage;
    CUIString m_sFocusedImage;
    CUIString m_sDisabledImage;
    CUIString m_sTipValue;
    DWORD m_dwTipValueColor = 0xFFBAC0C5;
    DWORD m_dwEditBkColor = 0xFFFFFFFF;
    DWORD m_dwEditTextColor = 0;
    UINT m_uWindowStyles = 0;
};

// A pattern brush of a picture, which it takes: the brush keeps its own copy and the picture is deleted.
HBRUSH PatternBrushFrom(HBITMAP picture);

// The native EDIT over a CEditUI while it is being edited; it deletes itself when its window goes.
class CEditWnd : public CWindowWnd {
public:
    explicit CEditWnd(CEditUI* owner) : m_pOwner(owner) {}
    ~CEditWnd() override;

    bool Init();
    // The rectangle over the owner's text area (client coordinates), empty when a parent hides it.
    static RECT ComputeEditRect(const CEditUI& owner);
    // The owner is going away: nothing refers to it any more.
    void DetachOwner() { m_pOwner = nullptr; }
    // Sets the text without raising "textchanged".
    void SetTextQuietly(const wchar_t* text);

protected:
    const wchar_t* GetWndClassName() const override { return L"EditWnd"; }
    const wchar_t* GetBaseWndClassName() const override { return L"Edit"; }
    LRESULT HandleWndMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnWindowDestroyed(HWND hwnd) override;

private:
    void OnEditChanged();
    bool OnKeyDown(WPARAM key);
    HBRUSH ColorBrush(HDC hdc);
    void Raise(const wchar_t* notification);

    CEditUI* m_pOwner;
    HBRUSH m_hBkBrush = nullptr;
    bool m_bInit = false;
    bool m_bQuiet = false;  // a programmatic text change is under way
    CUILifeToken m_life;
};

}  // namespace SkinUI
