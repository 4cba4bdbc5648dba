#pragma once
// CColorPaletteUI: an HSL colour picker. A pallet area (hue across, lightness down) sits above a bar
// (saturation across); a press or drag on either moves its thumb and the colour, and releasing the
// button reports "colorchanged" with the colour (0xFFRRGGBB) in wParam.
//
// Both pictures are drawn into one 32-bit off-screen bitmap whatever the screen depth: rows 1 to 200
// hold the pallet (one column per degree of hue), rows 210 on the bar (one column per saturation step).
#include "UIControl.h"

namespace SkinUI {

class CColorPaletteUI : public CControlUI {
public:
    enum {
        kBitmapWidth = 400,
        kBitmapHeight = 360,
        kPalletRows = 200,
        kPalletFirstRow = 1,
        kBarFirstRow = 210,
        kMaxBarHeight = 150
    };

    CColorPaletteUI();
    ~CColorPaletteUI() override;
    static CControlUI* CreateControl();

    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* name) override;
    void SetPos(RECT rect, bool needInvalidate = true) override;
    void DoInit() override;
    void DoEvent(TUIEvent& event) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    void PaintBkColor(HDC hdc) override;
    virtual void PaintPallet(HDC hdc);

    DWORD GetColor() const;
    void SetColor(DWORD color);
    int GetHue() const { return m_nHue; }
    int GetSaturation() const { return m_nSaturation; }
    int GetLightness() const { return m_nLightness; }
    int GetPalletHeight() const { return m_nPalletHeight; }
    void SetPalletHeight(int height);
    int GetBarHeight() const { return m_nBarHeight; }
    void SetBarHeight(int height);
    void SetThumbImage(const wchar_t* image);
    POINT GetPalletThumb() const { return m_ptPalletThumb; }
    // A pixel of the off-screen bitmap (0xAARRGGBB), 0 outside it or before initialisation.
    DWORD GetBitmapPixel(int x, int y) const;

    // HSL components in 0..1 to 0xFFRRGGBB, each channel scaled by 255 and truncated.
    static DWORD HslToColor(double hue, double saturation, double lightness);
    static void ColorToHsl(DWORD color, double& hue, double& saturation, double& lightness);

private:
    void UpdatePallet();
    void UpdateBar();
    void PickInPallet(POINT point);
    void PickInBar(POINT point);
    bool InPallet(POINT point, bool inclusive) const;
    bool InBar(POINT point) const;

    HDC m_hMemDc = nullptr;
    HBITMAP m_hBitmap = nullptr;
    HGDIOBJ m_hOldBitmap = nullptr;
    DWORD* m_pBits = nullptr;  // top-down rows of kBitmapWidth pixels
    UINT m_uButtonState = 0;
    bool m_bDragBar = false;
    bool m_bDragPallet = false;
    int m_nHue = 180;
    int m_nSaturation = 200;
    int m_nLightness = 100;
    int m_nPalletHeight = 200;
    int m_nBarHeight = 10;
    POINT m_ptPalletThumb = {};
    POINT m_ptBarThumb = {};
    CUIString m_sThumbImage;
};

}  // namespace SkinUI
