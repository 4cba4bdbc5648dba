#include "ChartView.h"

#include "UIAttributes.h"
#include "UIImage.h"
#include "UIManager.h"
#include "UIRender.h"

#include <objidl.h>
#include <gdiplus.h>

#include <algorithm>

namespace SkinUI {

using namespace Gdiplus;

namespace {

constexpr DWORD kPalette[CChartViewUI::kPaletteSize] = {
    0x3F96F5, 0xFF5A01, 0x6AF4C0, 0xF5EA6A, 0xFC7B97, 0xA2F53F, 0x9D90FC, 0xD290FC, 0x7FB0CB,
    0xF4C471, 0xA2C285, 0xBD1717, 0xBD17B3, 0x6117BD, 0x172BBD, 0x12884C, 0x887912, 0x882612};
constexpr DWORD kShadowColor = 0x1E1E1E1E;
constexpr DWORD kRimColor = 0x64646464;
constexpr int kLegendWidth = 110;
constexpr int kNoLegendWidth = 10;

bool Meets(const RECT& a, const RECT& b) {
    RECT both;
    return IntersectRect(&both, &a, &b) != FALSE;
}

// A GDI+ drawing surface on a DC with anti-aliasing, released with the object.
class SmoothGraphics {
public:
    explicit SmoothGraphics(HDC hdc) {
        if (DllExports::GdipCreateFromHDC(hdc, &m_graphics) != Ok) m_graphics = nullptr;
        if (m_graphics) DllExports::GdipSetSmoothingMode(m_graphics, SmoothingModeAntiAlias);
    }
    ~SmoothGraphics() {
        if (m_graphics) DllExports::GdipDeleteGraphics(m_graphics);
    }
    SmoothGraphics(const SmoothGraphics&) = delete;
    SmoothGraphics& operator=(const SmoothGraphics&) = delete;

    void Ellipse(DWORD color, int x, int y, int w, int h) {
        if (!m_graphics || w <= 0 || h <= 0) return;
        GpSolidFill* brush = nullptr;
        if (DllExports::GdipCreateSolidFill(color, &brush) != Ok) return;
        DllExports::GdipFillEllipseI(m_graphics, brush, x, y, w, h);
        DllExports::GdipDeleteBrush(brush);
    }
    void Pie(DWORD color, int x, int y, int d, float start, float sweep) {
        if (!m_graphics || d <= 0 || !(sweep > 0.0f)) return;
        GpSolidFill* brush = nullptr;
        if (DllExports::GdipCreateSolidFill(color, &brush) != Ok) return;
        DllExports::GdipFillPieI(m_graphics, brush, x, y, d, d, start, sweep);
        DllExports::GdipDeleteBrush(brush);
    }
    void Rectangle(DWORD color, int x, int y, int w, int h) {
        if (!m_graphics || w <= 0 || h <= 0) return;
        GpSolidFill* brush = nullptr;
        if (DllExports::GdipCreateSolidFill(color, &brush) != Ok) return;
        DllExports::GdipFillRectangleI(m_graphics, brush, x, y, w, h);
        DllExports::GdipDeleteBrush(brush);
    }

private:
    GpGraphics* m_graphics = nullptr;
};

}  // namespace

PieLayout ComputePieLayout(const RECT& control, bool showText, int itemCount) {
    PieLayout layout;
    const int legend = showText ? kLegendWidth : kNoLegendWidth;
    const int width = (control.right - control.left) - legend;
    const int height = (control.bottom - control.top) - 10;
    layout.diameter = std::min(width, height);
    layout.x = control.left + 5 + (width - layout.diameter) / 2;
    layout.y = control.top + 5 + (height - layout.diameter) / 2;
    layout.firstLegendRow = control.top + std::max(5, (height - CChartViewUI::kLegendRow * itemCount) / 2);
    return layout;
}

std::vector<float> PieSweeps(const std::vector<ChartItem>& items) {
    double total = 0.0;
    for (const ChartItem& item : items)
        if (item.value > 0.0) total += item.value;
    std::vector<float> sweeps(items.size(), 0.0f);
    if (!(total > 0.0)) return sweeps;
    for (size_t i = 0; i < items.size(); ++i)
        if (items[i].value > 0.0) sweeps[i] = static_cast<float>(items[i].value / total * 360.0);
    return sweeps;
}

int HistogramBarHeight(int area, double value, double max) {
    if (area <= 0 || !(max > 0.0) || !(value > 0.0)) return 0;
    if (value >= max) return area;
    return static_cast<int>(area * value / max);
}

DWORD CChartViewUI::PaletteColor(int item) {
    const int slot = ((item % kPaletteSize) + kPaletteSize) % kPaletteSize;
    return 0xFF000000 | kPalette[slot];
}

void CChartViewUI::AddItem(const wchar_t* name, double value) {
    m_items.push_back({CUIString(name ? name : L""), value});
    Invalidate();
}

bool CChartViewUI::InsertItem(int index, const wchar_t* name, double value) {
    if (index < 0 || index > static_cast<int>(m_items.size())) return false;
    m_items.insert(m_items.begin() + index, {CUIString(name ? name : L""), value});
    Invalidate();
    return true;
}

void CChartViewUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    CControlUI::SetAttribute(name, value);
    if (!name || !value) return;
    const CUIString key(name);
    if (key == L"view") {
        if (wcscmp(value, L"pie") == 0) m_view = kPie;
        else if (wcscmp(value, L"histpgram") == 0) m_view = kHistogram;
    } else if (key == L"shadowimage") {
        m_shadowImage = value;
    } else if (key == L"shadowimageheight") {
        m_shadowImageHeight = _wtoi(value);
    } else if (key == L"pillarimage") {
        m_pillarImage = value;
    } else if (key == L"pillarimagewidth") {
        m_pillarWidth = _wtoi(value);
    } else if (key == L"showhtml") {
        m_showHtml = wcscmp(value, L"true") == 0;
    } else if (key == L"showtext") {
        m_showText = wcscmp(value, L"true") == 0;
    } else if (key == L"font") {
        m_font = _wtoi(value);
    } else if (key == L"textcolor") {
        m_textColor = ParseColor(value);
    } else if (key == L"disabledtextcolor") {
        m_disabledTextColor = ParseColor(value);
    } else {
        return;
    }
    Invalidate();
}

bool CChartViewUI::DoPaint(HDC hdc, const RECT& paintRect, CControlUI* stopControl) {
    if (!Meets(paintRect, m_rcItem)) return true;
    CControlUI::DoPaint(hdc, paintRect, stopControl);
    if (m_view == kPie)
        DoPaintPie(hdc, paintRect);
    else if (m_view == kHistogram)
        DoPaintHistogram(hdc, paintRect);
    return true;
}

void CChartViewUI::PaintItemText(HDC hdc, RECT rect, const CUIString& text, UINT align) {
    DWORD color = IsEnabled() ? m_textColor : m_disabledTextColor;
    // Colour 0 means "none" to the text drawing; black is drawn as the nearest colour instead.
    if ((color & 0x00FFFFFF) == 0) color |= 1;
    const UINT style = align | DT_VCENTER | DT_SINGLELINE;
    if (m_showHtml) {
        int links = 0;
        CUIRender::DrawHtmlText(hdc, m_pManager, rect, text.Data(), color, nullptr, nullptr, links, m_font, style);
    } else {
        CUIRender::DrawText(hdc, m_pManager, rect, text.Data(), color, m_font, style);
    }
}

// The image of a description over an absolute rectangle: the chart's sizes are not scaled, so the
// description's own destination is not used.
bool CChartViewUI::DrawImageAt(HDC hdc, const CUIString& description, const RECT& dest) {
    if (!m_pManager) return false;
    const TImageDrawInfo* info = m_pManager->GetImageDrawInfo(description.Data());
    if (!info || info->imageName.IsEmpty()) return false;
    return CUIRender::DrawImage(hdc, m_pManager, m_rcItem, m_rcPaint, info->imageName.Data(), info->resourceType.Data(),
                                dest, info->source, info->corner, info->mask, info->fade, info->hole, info->tiledX,
                                info->tiledY, m_instance);
}

void CChartViewUI::DoPaintPie(HDC hdc, const RECT&) {
    if (m_items.empty()) return;
    const PieLayout layout = ComputePieLayout(m_rcItem, m_showText, static_cast<int>(m_items.size()));
    const int d = layout.diameter;
    const std::vector<float> sweeps = PieSweeps(m_items);
    {
        SmoothGraphics graphics(hdc);
        if (d > 0) {
            graphics.Ellipse(kShadowColor, layout.x - 4, layout.y - 4, d + 8, d + 8);
            graphics.Ellipse(kRimColor, layout.x - 1, layout.y - 1, d + 2, d + 2);
            float start = 0.0f;
            for (size_t i = 0; i < m_items.size(); ++i) {
                graphics.Pie(PaletteColor(static_cast<int>(i)), layout.x, layout.y, d, start, sweeps[i]);
                start += sweeps[i];
            }
        }
        if (m_showText) {
            int row = layout.firstLegendRow;
            for (size_t i = 0; i < m_items.size(); ++i, row += kLegendRow) {
                const RECT line = {layout.x + d + 10, row, layout.x + d + 128, row + kLegendSquare};
                if (Meets(line, m_rcItem))
                    graphics.Rectangle(PaletteColor(static_cast<int>(i)), line.left, line.top, kLegendSquare,
                                       kLegendSquare);
            }
        }
    }
    if (!m_showText) return;
    int row = layout.firstLegendRow;
    for (size_t i = 0; i < m_items.size(); ++i, row += kLegendRow) {
        const RECT line = {layout.x + d + 10, row, layout.x + d + 128, row + kLegendSquare};
        if (!Meets(line, m_rcItem)) continue;
        RECT text = line;
        text.left += 23;
        PaintItemText(hdc, text, m_items[i].name, DT_LEFT);
    }
}

void CChartViewUI::DoPaintHistogram(HDC hdc, const RECT&) {
    const RECT& r = m_rcItem;
    const int band = m_showText ? kTextBand : 0;
    if (!m_shadowImage.IsEmpty()) {
        const RECT shadow = {r.left, r.bottom - band - m_shadowImageHeight, r.right, r.bottom - band};
        if (!DrawImageAt(hdc, m_shadowImage, shadow)) m_shadowImage = L"";
    }
    if (m_items.empty() || m_pillarWidth <= 0) return;
    double max = 0.0;
    for (const ChartItem& item : m_items) max = std::max(max, item.value);
    const int area = (r.bottom - r.top) - band;
    const int gap = ((r.right - r.left) / m_pillarWidth) * 2;
    int x = r.left + gap;
    for (const ChartItem& item : m_items) {
        if (!m_pillarImage.IsEmpty()) {
            const RECT bar = {x, r.bottom - band - HistogramBarHeight(area, item.value, max), x + m_pillarWidth,
                              r.bottom - band};
            if (bar.top < bar.bottom && !DrawImageAt(hdc, m_pillarImage, bar)) m_pillarImage = L"";
        }
        if (m_showText) PaintItemText(hdc, {x - gap, r.bottom - band, x + m_pillarWidth + gap, r.bottom}, item.name, DT_CENTER);
        x += m_pillarWidth + gap;
    }
}

}  // namespace SkinUI
