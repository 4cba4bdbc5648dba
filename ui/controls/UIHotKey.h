#pragma once
// CHotKeyUI: shows a keyboard shortcut ("Ctrl + Shift + F5", key names in the current keyboard layout)
// like a label. While it has the focus a native hot-key window (CHotKeyWnd, "msctls_hotkey32") lies over
// its text area; each change there is written back and announced with "textchanged". Layout element
// "HotKey".
#include "UINativeEditLabel.h"

#include <commctrl.h>

namespace SkinUI {

class CHotKeyWnd;

// Modifier bits of a hot key.
enum : WORD {
    UIHOTKEY_SHIFT = 0x01,
    UIHOTKEY_CONTROL = 0x02,
    UIHOTKEY_ALT = 0x04,
    UIHOTKEY_EXT = 0x08
};

// "Ctrl + Shift + F5": modifier names (Ctrl, Shift, Alt) then the key's name; empty for no key and no
// modifiers.
CUIString HotKeyText(WORD virtualKey, WORD modifiers);
// The name of a key in the current keyboard layout.
CUIString KeyName(UINT virtualKey);

class CHotKeyUI : public CNativeEditLabelUI {
    friend class CHotKeyWnd;

public:
    CHotKeyUI();
    ~CHotKeyUI() override;
    static CControlUI* CreateControl();

    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* name) override;
    UINT GetControlFlags() const override;
    void SetText(const wchar_t* text) override;
    void SetVisible(bool visible = true) override;
    void SetInternVisible(bool visible = true) override;
    void SetEnabled(bool enable = true) override;
    void DoEvent(TUIEvent& event) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    SIZE EstimateSize(SIZE available) override;
    void PaintStatusImage(HDC hdc) override;
    void PaintText(HDC hdc) override;

    void SetNormalImage(const wchar_t* image);
    void SetHotImage(const wchar_t* image);
    void SetFocusedImage(const wchar_t* image);
    void SetDisabledImage(const wchar_t* image);
    void SetNativeBkColor(DWORD color) { m_dwHotKeyBkColor = color; }
    DWORD GetNativeBkColor() const { return m_dwHotKeyBkColor; }
    // The key and its modifiers; setting them also writes the text (and the open native window).
    void GetHotKey(WORD& virtualKey, WORD& modifiers) const;
    void SetHotKey(WORD virtualKey, WORD modifiers);
    // Where the native window lies: the text area, one font height high and centred when taller.
    RECT NativeRect() const;

protected:
    CWindowWnd* NativeWindow() const override;
    void OpenNativeWindow() override;
    bool OnHover(bool entering) override;

private:

    CHotKeyWnd* m_pWindow = nullptr;
    UINT m_uButtonState = 0;
    CUIString m_sNormalImage;
    CUIString m_sHotImage;
    CUIString m_sFocusedImage;
    CUIString m_sDisabledImage;
    DWORD m_dwHotKeyBkColor = 0xFFFFFFFF;
    WORD m_wVirtualKeyCode = 0;
    WORD m_wModifiers = 0;
};

// The native hot-key window over a focused CHotKeyUI; it deletes itself when its window goes.
class CHotKeyWnd : public CWindowWnd {
public:
    explicit CHotKeyWnd(CHotKeyUI* owner) : m_pOwner(owner) {}
    ~CHotKeyWnd() override;
    bool Init();
    void DetachOwner() { m_pOwner = nullptr; }
    CUIString ReadHotKeyText(WORD* virtualKey = nullptr, WORD* modifiers = nullptr) const;

protected:
    const wchar_t* GetWndClassName() const override { return L"HotKeyClass"; }
    const wchar_t* GetBaseWndClassName() const override { return HOTKEY_CLASSW; }
    LRESULT HandleWndMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnWindowDestroyed(HWND hwnd) override;

private:
    void OnChanged();
    void Paint();

    CHotKeyUI* m_pOwner;
    HBRUSH m_hBkBrush = nullptr;
    bool m_bInit = false;
};

// Registers the common controls' hot-key, date and IP classes once (needed before they are superclassed).
bool InitPickerClasses();

}  // namespace SkinUI
