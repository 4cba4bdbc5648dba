#include "MyCombo.h"

#include <objidl.h>
#include <gdiplus.h>

namespace SkinUI {

using namespace Gdiplus;

void CMyComboUI::PaintBkColor(HDC hdc) {
    const DWORD color = GetBkColor();
    const RECT& r = m_rcItem;
    const int w = r.right - r.left;
    const int h = r.bottom - r.top;
    if (color == 0 || w <= 0 || h <= 0) return;
    GpGraphics* graphics = nullptr;
    if (DllExports::GdipCreateFromHDC(hdc, &graphics) != Ok) return;
    DllExports::GdipSetSmoothingMode(graphics, SmoothingModeAntiAlias);
    GpSolidFill* brush = nullptr;
    if (DllExports::GdipCreateSolidFill(color, &brush) == Ok) {
        DllExports::GdipFillPieI(graphics, brush, r.left, r.top, w, h, 0.0f, 360.0f);
        DllExports::GdipDeleteBrush(brush);
    }
    DllExports::GdipDeleteGraphics(graphics);
}

}  // namespace SkinUI
