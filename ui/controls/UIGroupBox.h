#pragma once
// CGroupBoxUI: a vertical layout framed by a rectangle 5 pixels inside its own, whose caption (the
// control's text) sits on the top frame line over the control's background colour.
#include "UIVerticalLayout.h"

namespace SkinUI {

class CGroupBoxUI : public CVerticalLayoutUI {
public:
    CGroupBoxUI();
    ~CGroupBoxUI() override;
    static CControlUI* CreateControl();

    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* name) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    void PaintText(HDC hdc) override;
    void PaintBorder(HDC hdc) override;

    // The caption's size in a box of the available width and 20 pixels height.
    SIZE CalcTextSize(int availableWidth, int availableHeight);

    DWORD GetTextColor() const { return m_dwTextColor; }
    void SetTextColor(DWORD color);
    DWORD GetDisabledTextColor() const { return m_dwDisabledTextColor; }
    void SetDisabledTextColor(DWORD color);
    int GetFont() const { return m_iFont; }
    void SetFont(int font);
    UINT GetTextStyle() const { return m_uTextStyle; }

private:
    DWORD m_dwTextColor = 0;
    DWORD m_dwDisabledTextColor = 0;
    int m_iFont = -1;
    UINT m_uTextStyle = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
};

}  // namespace SkinUI
