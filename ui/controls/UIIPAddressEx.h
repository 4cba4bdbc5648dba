#pragma once
// CIPAddressExUI: edits an IPv4 address without a native window. It draws four octet fields separated
// by dots, highlights the active one and takes digits, arrows, Delete, Backspace and the wheel itself;
// its text is always the dotted address. Layout element "IPAddressEx".
#include "UIEdit.h"

namespace SkinUI {

class CIPAddressExUI : public CEditUI {
public:
    CIPAddressExUI();
    static CControlUI* CreateControl();

    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* name) override;
    UINT GetControlFlags() const override;
    void DoEvent(TUIEvent& event) override;
    void PaintText(HDC hdc) override;

    // The active field: 0 none, else 1 to 4 from the left.
    int GetActiveSection() const { return m_nActiveSection; }
    int GetOctet(int field) const { return field >= 1 && field <= 4 ? m_octets[field - 1] : 0; }

    static constexpr DWORD kActiveFieldColor = RGB(0x33, 0x99, 0xFF);

private:
    void UpdateText();
    void CommitBuffer();
    void AppendDigit(WORD key);
    void IncreaseActive();
    void DecreaseActive();
    // Commits what was typed and moves the active field by one, within 1 to 4.
    void MoveActive(int step);
    int FieldAt(POINT point) const;

    int m_octets[4] = {0, 0, 0, 0};
    int m_nActiveSection = 0;
    wchar_t m_chNum = 0;
    CUIString m_strNum;
};

}  // namespace SkinUI
