#include "UIColorPalette.h"

#include "UIAttributes.h"
#include "UIManager.h"
#include "UIRender.h"

#include <algorithm>
#include <cwchar>

namespace SkinUI {

namespace {

constexpr int kThumbSize = 8;

double HueChannel(double p, double q, double t) {
    if (t < 0) t += 1;
    if (t > 1) t -= 1;
    if (t < 1.0 / 6) return p + (q - p) * 6 * t;
    if (t < 1.0 / 2) return q;
    if (t < 2.0 / 3) return p + (q - p) * (2.0 / 3 - t) * 6;
    return p;
}

DWORD ChannelByte(double value) {
    const int byte = static_cast<int>(value * 255);
    return static_cast<DWORD>(std::clamp(byte, 0, 255));
}

// Pixels are opaque blue, green, red bytes: the colour value as it is.
DWORD ToPixel(DWORD color) { return color | 0xFF000000; }

}  // namespace

DWORD CColorPaletteUI::HslToColor(double hue, double saturation, double lightness) {
    double r = lightness, g = lightness, b = lightness;
    if (saturation != 0) {
        const double q = lightness < 0.5 ? lightness * (1 + saturation) : lightness + saturation - lightness * saturation;
        const double p = 2 * lightness - q;
        r = HueChannel(p, q, hue + 1.0 / 3);
        g = HueChannel(p, q, hue);
        b = HueChannel(p, q, hue - 1.0 / 3);
    }
    return 0xFF000000 | ChannelByte(r) << 16 | ChannelByte(g) << 8 | ChannelByte(b);
}

void CColorPaletteUI::ColorToHsl(DWORD color, double& hue, double& saturation, double& lightness) {
    const double r = ((color >> 16) & 0xFF) / 255.0;
    const double g = ((color >> 8) & 0xFF) / 255.0;
    const double b = (color & 0xFF) / 255.0;
    const double maxValue = std::max({r, g, b});
    const double minValue = std::min({r, g, b});
    lightness = (maxValue + minValue) / 2;
    hue = saturation = 0;
    if (maxValue == minValue) return;
    const double d = maxValue - minValue;
    saturation = lightness > 0.5 ? d / (2 - maxValue - minValue) : d / (maxValue + minValue);
    if (maxValue == r) {
        hue = (g - b) / d + (g < b ? 6 : 0);
    } else if (maxValue == g) {
        hue = (b - r) / d + 2;
    } else {
        hue = (r - g) / d + 4;
    }
    hue /= 6;
}

CColorPaletteUI::CColorPaletteUI() = default;

CColorPaletteUI::~CColorPaletteUI() {
    if (m_hMemDc) {
        SelectObject(m_hMemDc, m_hOldBitmap);
        DeleteDC(m_hMemDc);
    }
    if (m_hBitmap) DeleteObject(m_hBitmap);
}

CControlUI* CColorPaletteUI::CreateControl() { return new CColorPaletteUI; }

const wchar_t* CColorPaletteUI::GetClass() const { return L"ColorPaletteUI"; }

void* CColorPaletteUI::GetInterface(const wchar_t* name) {
    return name && std::wcscmp(name, L"ColorPalette") == 0 ? this : CControlUI::GetInterface(name);
}

void CColorPaletteUI::DoInit() {
    if (m_hMemDc) return;
    HDC screen = GetDC(nullptr);
    m_hMemDc = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    BYTE* bits = nullptr;
    m_hBitmap = CUIRender::CreateARGB32Bitmap(m_hMemDc, kBitmapWidth, kBitmapHeight, &bits, true);
    m_pBits = reinterpret_cast<DWORD*>(bits);
    if (m_hMemDc && m_hBitmap) m_hOldBitmap = SelectObject(m_hMemDc, m_hBitmap);
    UpdatePallet();
    UpdateBar();
}

DWORD CColorPaletteUI::GetBitmapPixel(int x, int y) const {
    if (!m_pBits || x < 0 || y < 0 || x >= kBitmapWidth || y >= kBitmapHeight) return 0;
    GdiFlush();
    return m_pBits[y * kBitmapWidth + x];
}

void CColorPaletteUI::UpdatePallet() {
    if (!m_pBits) return;
    GdiFlush();
    for (int row = kPalletRows; row >= 1; --row) {
        const double lightness = (200.0 - row) / 200.0;
        DWORD* line = m_pBits + (kPalletFirstRow - 1 + row) * kBitmapWidth;
        for (int x = 0; x < 360; ++x) line[x] = ToPixel(HslToColor(x / 360.0, m_nSaturation / 200.0, lightness));
    }
}

void CColorPaletteUI::UpdateBar() {
    if (!m_pBits) return;
    GdiFlush();
    for (int row = 0; row < m_nBarHeight; ++row) {
        DWORD* line = m_pBits + (kBarFirstRow + row) * kBitmapWidth;
        for (int x = 0; x < 200; ++x)
            line[x] = ToPixel(HslToColor(m_nHue / 360.0, x / 200.0, m_nLightness / 200.0));
    }
}

DWORD CColorPaletteUI::GetColor() const {
    return HslToColor(m_nHue / 360.0, m_nSaturation / 200.0, m_nLightness / 200.0);
}

void CColorPaletteUI::SetColor(DWORD color) {
    double h = 0, s = 0, l = 0;
    ColorToHsl(color, h, s, l);
    m_nHue = static_cast<int>(h * 360);
    m_nSaturation = static_cast<int>(s * 200);
    m_nLightness = static_cast<int>(l * 200);
    UpdatePallet();
    UpdateBar();
    NeedUpdate();
}

void CColorPaletteUI::SetPalletHeight(int height) {
    // At least one row: the drag arithmetic divides by it.
    m_nPalletHeight = std::max(1, height);
    NeedUpdate();
}

void CColorPaletteUI::SetBarHeight(int height) {
    m_nBarHeight = std::clamp(height, 0, static_cast<int>(kMaxBarHeight));
    UpdateBar();
    NeedUpdate();
}

void CColorPaletteUI::SetThumbImage(const wchar_t* image) {
    if (m_sThumbImage == image) return;
    m_sThumbImage = image;
    NeedUpdate();
}

void CColorPaletteUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (!name) return;
    if (!value) value = L"";
    if (std::wcscmp(name, L"palletheight") == 0) {
        SetPalletHeight(ParseInt(value));
    } else if (std::wcscmp(name, L"barheight") == 0) {
        SetBarHeight(ParseInt(value));
    } else if (std::wcscmp(name, L"thumbimage") == 0) {
        SetThumbImage(value);
    } else {
        CControlUI::SetAttribute(name, value);
    }
}

void CColorPaletteUI::SetPos(RECT rect, bool needInvalidate) {
    CControlUI::SetPos(rect, needInvalidate);
    const int width = m_rcItem.right - m_rcItem.left;
    m_ptPalletThumb.x = m_rcItem.left + width * m_nHue / 360;
    m_ptPalletThumb.y = m_rcItem.top + (200 - m_nLightness) * m_nPalletHeight / 200;
    UpdatePallet();
    UpdateBar();
}

bool CColorPaletteUI::InPallet(POINT point, bool inclusive) const {
    const int bottom = m_rcItem.top + m_nPalletHeight;
    if (inclusive)
        return point.x >= m_rcItem.left && point.x <= m_rcItem.right && point.y >= m_rcItem.top && point.y <= bottom;
    return point.x >= m_rcItem.left && point.x < m_rcItem.right && point.y >= m_rcItem.top && point.y < bottom;
}

bool CColorPaletteUI::InBar(POINT point) const {
    return point.x >= m_rcItem.left && point.x < m_rcItem.right && point.y >= m_rcItem.bottom - m_nBarHeight &&
           point.y < m_rcItem.bottom;
}

void CColorPaletteUI::PickInPallet(POINT point) {
    const int width = std::max(1, static_cast<int>(m_rcItem.right - m_rcItem.left));
    m_nHue = std::clamp(static_cast<int>((point.x - m_rcItem.left) * 360 / width), 0, 360);
    const int down = std::clamp(static_cast<int>((point.y - m_rcItem.top) * 200 / m_nPalletHeight), 0, 200);
    m_nLightness = 200 - down;
    m_ptPalletThumb.x = std::clamp(point.x, m_rcItem.left, m_rcItem.right);
    m_ptPalletThumb.y = std::clamp(point.y, m_rcItem.top, m_rcItem.top + m_nPalletHeight);
    UpdateBar();
}

void CColorPaletteUI::PickInBar(POINT point) {
    const int width = std::max(1, static_cast<int>(m_rcItem.right - m_rcItem.left));
    m_nSaturation = std::clamp(static_cast<int>((point.x - m_rcItem.left) * 200 / width), 0, 200);
    UpdatePallet();
}

void CColorPaletteUI::DoEvent(TUIEvent& event) {
    CControlUI::DoEvent(event);
    const POINT point = event.ptMouse;
    switch (event.Type) {
    case UIEVENT_BUTTONDOWN:
        if (InPallet(point, false)) {
            PickInPallet(point);
            m_uButtonState |= UISTATE_PUSHED;
            m_bDragPallet = true;
        }
        if (InBar(point)) {
            m_bDragBar = true;
            m_uButtonState |= UISTATE_PUSHED;
            PickInBar(point);
        }
        Invalidate();
        break;
    case UIEVENT_MOUSEMOVE:
        if (!(m_uButtonState & UISTATE_PUSHED)) m_bDragBar = m_bDragPallet = false;
        if (m_bDragPallet && InPallet(point, true)) PickInPallet(point);
        if (m_bDragBar) PickInBar(point);
        Invalidate();
        break;
    case UIEVENT_BUTTONUP:
        if (IsEnabled() && m_pManager) m_pManager->RaiseNotify(this, L"colorchanged", GetColor());
        m_uButtonState &= ~UISTATE_PUSHED;
        m_bDragBar = m_bDragPallet = false;
        Invalidate();
        break;
    default:
        break;
    }
}

void CColorPaletteUI::PaintBkColor(HDC hdc) { PaintPallet(hdc); }

void CColorPaletteUI::PaintPallet(HDC hdc) {
    if (!m_hMemDc || !m_hBitmap) return;
    const int saved = SaveDC(hdc);
    SetStretchBltMode(hdc, HALFTONE);
    SetBrushOrgEx(hdc, 0, 0, nullptr);
    const int width = m_rcItem.right - m_rcItem.left;
    StretchBlt(hdc, m_rcItem.left, m_rcItem.top, width, m_nPalletHeight, m_hMemDc, 0, kPalletFirstRow, 360,
               kPalletRows, SRCCOPY);
    if (m_nBarHeight > 0)
        StretchBlt(hdc, m_rcItem.left, m_rcItem.bottom - m_nBarHeight, width, m_nBarHeight, m_hMemDc, 0,
                   kBarFirstRow, 200, m_nBarHeight, SRCCOPY);
    if (!m_sThumbImage.IsEmpty()) {
        const int half = kThumbSize / 2;
        const int barX = m_rcItem.left + width * m_nSaturation / 200;
        const int barY = m_rcItem.bottom - m_nBarHeight / 2;
        const POINT centres[] = {m_ptPalletThumb, {barX, barY}};
        for (const POINT& centre : centres) {
            CUIString modify;
            modify.Format(L"dest='%d,%d,%d,%d'", centre.x - half - m_rcItem.left, centre.y - half - m_rcItem.top,
                          centre.x + half - m_rcItem.left, centre.y + half - m_rcItem.top);
            DrawImage(hdc, m_sThumbImage.Data(), modify.Data());
        }
    }
    RestoreDC(hdc, saved);
}

}  // namespace SkinUI
