#pragma once
// CSButtonUI: a push button with a second, "selected" look. Its owner switches it between normal and
// selected; a click only raises "click" and never toggles it. While selected it paints its own
// background colour, images, fore image, text colours and font.
#include "UIButton.h"

namespace SkinUI {

class CSButtonUI : public CButtonUI {
public:
    const wchar_t* GetClass() const override { return L"SButtonUI"; }
    void* GetInterface(const wchar_t* name) override;
    void SetEnabled(bool enable = true) override;
    bool Activate() override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    void PaintBkColor(HDC hdc) override;
    void PaintStatusImage(HDC hdc) override;
    void PaintForeImage(HDC hdc) override;
    void PaintText(HDC hdc) override;
    void CollectOpaqueCover(const RECT& within, std::vector<RECT>& cover) const override;

    virtual const CUIString& GetSelectedStateImage() const { return m_sSelectedStateImage; }
    virtual void SetSelectedStateImage(const wchar_t* image);
    virtual void SetSelected(bool selected);

    bool IsSelected() const { return m_bSelected; }
    int GetSelectedStateCount() const { return m_nSelectedStateCount; }
    int GetSelectedFont() const { return m_iSelectedFont; }
    DWORD GetSelectedBkColor() const { return m_dwSelectedBkColor; }
    DWORD GetSelectedTextColor() const { return m_dwSelectedTextColor; }
    DWORD GetSelectedHotTextColor() const { return m_dwSelectedHotTextColor; }
    const CUIString& GetSelectedImage() const { return m_sSelectedImage; }
    const CUIString& GetSelectedHotImage() const { return m_sSelectedHotImage; }
    const CUIString& GetSelectedPushedImage() const { return m_sSelectedPushedImage; }
    const CUIString& GetSelectedForeImage() const { return m_sSelectedForeImage; }

private:
    // Cuts the selected state strip into the selected, hot and pushed looks (once, while the selected
    // image is empty).
    void CutSelectedStrip();
    bool DrawIfSet(HDC hdc, const CUIString& image);

    bool m_bSelected = false;
    int m_iSelectedFont = -1;
    DWORD m_dwSelectedBkColor = 0;
    DWORD m_dwSelectedTextColor = 0;
    DWORD m_dwSelectedHotTextColor = 0;
    CUIString m_sSelectedImage;
    CUIString m_sSelectedHotImage;
    CUIString m_sSelectedPushedImage;
    CUIString m_sSelectedForeImage;
    int m_nSelectedStateCount = 0;
    CUIString m_sSelectedStateImage;
};

}  // namespace SkinUI
