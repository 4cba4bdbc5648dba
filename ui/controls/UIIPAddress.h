#pragma once
// CIPAddressUI: a label showing an IPv4 address ("%d.%d.%d.%d", first octet in the high byte); when
// clicked or focused a native address control (CIPAddressWnd, "SysIPAddress32") lies over it. Losing the
// focus hides that window (it is kept for the next click); Delete or Backspace empties the label and
// Escape cancels. A new label shows the computer's own address. Layout element "IPAddress".
#include "UIDateTime.h"

namespace SkinUI {

class CIPAddressWnd;

// The computer's first IPv4 address (first octet in the high byte), from its network interfaces: a
// non-loopback one when there is one; 0 when there is none.
DWORD LocalIPv4Address();

class CIPAddressUI : public CNativeEditLabelUI {
    friend class CIPAddressWnd;

public:
    CIPAddressUI();
    ~CIPAddressUI() override;
    static CControlUI* CreateControl();

    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* name) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;

    DWORD GetIP() const { return m_dwIP; }
    void SetIP(DWORD address);
    bool IsReadOnly() const { return m_bReadOnly; }
    void SetReadOnly(bool readOnly);

protected:
    CWindowWnd* NativeWindow() const override;
    void OpenNativeWindow() override;

private:
    void UpdateText();
    // Writes the address into the text.
    void ShowValue();

    DWORD m_dwIP = 0;
    bool m_bReadOnly = false;
    int m_nIPUpdateFlag = UIPICKER_TEXT_KEEP;
    CIPAddressWnd* m_pWindow = nullptr;
};

class CIPAddressWnd : public CWindowWnd {
public:
    explicit CIPAddressWnd(CIPAddressUI* owner) : m_pOwner(owner) {}
    ~CIPAddressWnd() override;
    void Init(CIPAddressUI* owner);
    void DetachOwner() { m_pOwner = nullptr; }

protected:
    const wchar_t* GetWndClassName() const override { return L"IPAddressWnd"; }
    const wchar_t* GetBaseWndClassName() const override { return WC_IPADDRESSW; }
    LRESULT HandleWndMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnWindowDestroyed(HWND hwnd) override;

private:
    // Keys go to the four fields inside the address control; their Delete, Backspace and Escape
    // reach this window's handling through these subclasses.
    void SubclassFields();
    static LRESULT CALLBACK FieldProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                      DWORD_PTR data);
    void OnFieldKeyUp(WPARAM key);
    void OnEditKillFocus(UINT message, WPARAM wParam, LPARAM lParam);

    CIPAddressUI* m_pOwner;
    HBRUSH m_hBkBrush = nullptr;
    bool m_bInit = false;
};

}  // namespace SkinUI
