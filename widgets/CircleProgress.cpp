#include "CircleProgress.h"

#include <objidl.h>
#include <gdiplus.h>

namespace SkinUI {

using namespace Gdiplus;

namespace {

enum class Shape { Ellipse, Pie };

void FillShape(HDC hdc, Shape shape, DWORD color, int x, int y, int w, int h, float start = 0, float sweep = 0) {
    if (w <= 0 || h <= 0) return;
    GpGraphics* graphics = nullptr;
    if (DllExports::GdipCreateFromHDC(hdc, &graphics) != Ok) return;
    GpSolidFill* brush = nullptr;
    if (DllExports::GdipCreateSolidFill(color, &brush) == Ok) {
        if (shape == Shape::Ellipse)
            DllExports::GdipFillEllipseI(graphics, brush, x, y, w, h);
        else
            DllExports::GdipFillPieI(graphics, brush, x, y, w, h, start, sweep);
        DllExports::GdipDeleteBrush(brush);
    }
    DllExports::GdipDeleteGraphics(graphics);
}

}  // namespace

int CircleProgressSweep(int value, int minimum, int maximum) {
    if (maximum == minimum) return 0;
    const float sweep = static_cast<float>(value) / static_cast<float>(maximum - minimum) * 360.0f;
    if (!(sweep > 0.0f)) return 0;
    if (sweep >= 360.0f) return 360;
    return static_cast<int>(sweep);
}

void CCircleProgressUI::PaintBkColor(HDC hdc) {
    const RECT& r = m_rcItem;
    FillShape(hdc, Shape::Ellipse, GetBkColor(), r.left, r.top, r.right - r.left, r.bottom - r.top);
}

void CCircleProgressUI::PaintForeColor(HDC hdc) {
    const RECT& r = m_rcItem;
    const int w = r.right - r.left;
    const int h = r.bottom - r.top;
    const int sweep = CircleProgressSweep(GetValue(), GetMinValue(), GetMaxValue());
    if (sweep > 0) FillShape(hdc, Shape::Pie, GetForeColor(), r.left, r.top, w, h, 90.0f, static_cast<float>(sweep));
    FillShape(hdc, Shape::Ellipse, 0xFFFFFFFF, r.left + kRingWidth, r.top + kRingWidth, w - 2 * kRingWidth,
              h - 2 * kRingWidth);
}

void CCircleProgressUI::PaintForeImage(HDC) {}

}  // namespace SkinUI
