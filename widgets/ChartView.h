#pragma once
// CChartViewUI: named values drawn as a pie with a colour legend, or as a histogram of image pillars
// with their names below. Sizes are unscaled pixels. Layouts may use it as element "ChartView".
//
// A chart whose values add up to nothing draws no sectors, a histogram without a positive pillar width
// draws no bars, and one whose values are all zero draws its bars empty: no division ever sees zero.
#include "UIControl.h"

#include <vector>

namespace SkinUI {

struct ChartItem {
    CUIString name;
    double value = 0.0;
};

class CChartViewUI : public CControlUI {
public:
    enum View { kPie = 0, kHistogram = 1 };
    static constexpr int kPaletteSize = 18;
    static constexpr int kLegendRow = 22;    // legend rows are 18 px squares 22 px apart
    static constexpr int kLegendSquare = 18;
    static constexpr int kTextBand = 25;     // the histogram's name band under the bars

    static CControlUI* CreateControl() { return new CChartViewUI; }

    void AddItem(const wchar_t* name, double value);
    // index 0 .. item count; false (nothing inserted) outside that.
    bool InsertItem(int index, const wchar_t* name, double value);
    void RemoveAllItems() { m_items.clear(); }
    const std::vector<ChartItem>& Items() const { return m_items; }

    int GetView() const { return m_view; }
    int GetPillarWidth() const { return m_pillarWidth; }
    int GetShadowImageHeight() const { return m_shadowImageHeight; }
    bool IsShowText() const { return m_showText; }
    bool IsShowHtml() const { return m_showHtml; }
    int GetFont() const { return m_font; }
    const CUIString& GetPillarImage() const { return m_pillarImage; }
    const CUIString& GetShadowImage() const { return m_shadowImage; }
    void SetTextColor(DWORD color) { m_textColor = color; }
    void SetDisabledTextColor(DWORD color) { m_disabledTextColor = color; }

    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    bool DoPaint(HDC hdc, const RECT& paintRect, CControlUI* stopControl) override;

    virtual void DoPaintPie(HDC hdc, const RECT& paintRect);
    virtual void DoPaintHistogram(HDC hdc, const RECT& paintRect);

    // Opaque colour of item i's sector and legend square.
    static DWORD PaletteColor(int item);

private:
    void PaintItemText(HDC hdc, RECT rect, const CUIString& text, UINT align);
    bool DrawImageAt(HDC hdc, const CUIString& description, const RECT& dest);

    std::vector<ChartItem> m_items;
    int m_view = kPie;
    CUIString m_shadowImage;
    int m_shadowImageHeight = 0;
    CUIString m_pillarImage;
    int m_pillarWidth = 0;
    DWORD m_textColor = 0;
    DWORD m_disabledTextColor = 0;
    bool m_showHtml = false;
    bool m_showText = true;
    int m_font = -1;
};

// The pie's geometry inside a control rectangle, as pure arithmetic.
struct PieLayout {
    int x = 0, y = 0;        // top-left of the circle's box
    int diameter = 0;        // 0 or less: no room for a circle
    int firstLegendRow = 0;  // top of the first legend row
};
PieLayout ComputePieLayout(const RECT& control, bool showText, int itemCount);

// Degrees of each sector: value / total x 360 for positive values, 0 for the others; all 0 when the
// positive values add up to nothing.
std::vector<float> PieSweeps(const std::vector<ChartItem>& items);

// Height of a histogram bar: area x value / max, within 0 .. area; 0 when max is not positive.
int HistogramBarHeight(int area, double value, double max);

}  // namespace SkinUI
