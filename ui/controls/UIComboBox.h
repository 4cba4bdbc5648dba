#pragma once
// CComboBoxUI: the drop-down combo with an arrow drawn at its right edge from one image strip of five
// equal pictures (normal, hot, pushed, focused, disabled), the selected item's text kept clear of it.
#include "UICombo.h"

namespace SkinUI {

class CComboBoxUI : public CComboUI {
public:
    enum { kArrowPictures = 5 };

    ~CComboBoxUI() override;
    static CControlUI* CreateControl();

    const wchar_t* GetClass() const override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    void PaintStatusImage(HDC hdc) override;
    void PaintText(HDC hdc) override;

    const CUIString& GetArrowImage() const { return m_sArrowImage; }
    void SetArrowImage(const wchar_t* image);
    int GetArrowWidth() const { return m_nArrowWidth; }
    // The strip picture for the state: disabled 4, pushed 2, hot 1, focused 3, else 0.
    int ArrowPictureIndex() const;
    // The modify string that draws picture index of the strip into dest; empty when the arrow image
    // has no quoted "source" part. width receives one picture's width.
    static CUIString MakeArrowModify(const wchar_t* arrowImage, int index, const RECT& dest, int* width);

private:
    CUIString m_sArrowImage;
    int m_nArrowWidth = 0;
};

}  // namespace SkinUI
