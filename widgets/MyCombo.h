#pragma once
// CMyComboUI: a combo box whose background is a disc inscribed in its rectangle, filled with the
// background colour; everything else is the combo box's. Layout element "MyCombo".
#include "UICombo.h"

namespace SkinUI {

class CMyComboUI : public CComboUI {
public:
    static CControlUI* CreateControl() { return new CMyComboUI; }

    const wchar_t* GetClass() const override { return L"MyCombo"; }
    void PaintBkColor(HDC hdc) override;
};

}  // namespace SkinUI
