// CUIRender::GenerateBitmap: a control, or the window's tree, rendered into a new bitmap (the picture of
// a control being dragged).
#include "UIRender.h"

#include "UIControl.h"
#include "UIManager.h"

namespace SkinUI {

namespace {

// Paints through paint into a canvas as large as rect's right and bottom, then copies rect out.
template <class PaintFn>
HBITMAP Render(CPaintManagerUI* manager, const RECT& rect, DWORD filterColor, PaintFn paint) {
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (!manager || width <= 0 || height <= 0 || rect.right <= 0 || rect.bottom <= 0) return nullptr;
    HDC canvasDc = CreateCompatibleDC(manager->GetPaintDeviceContext());
    HBITMAP canvas = CUIRender::CreateARGB32Bitmap(nullptr, rect.right, rect.bottom, nullptr);
    HDC resultDc = CreateCompatibleDC(manager->GetPaintDeviceContext());
    HBITMAP result = CUIRender::CreateARGB32Bitmap(nullptr, width, height, nullptr);
    if (canvasDc && canvas && resultDc && result) {
        HGDIOBJ oldCanvas = SelectObject(canvasDc, canvas);
        paint(canvasDc);
        HGDIOBJ oldResult = SelectObject(resultDc, result);
        BitBlt(resultDc, 0, 0, width, height, canvasDc, rect.left, rect.top, SRCCOPY);
        if (filterColor >> 24) CUIRender::DrawColor(resultDc, RECT{0, 0, width, height}, filterColor);
        GdiFlush();
        SelectObject(resultDc, oldResult);
        SelectObject(canvasDc, oldCanvas);
    } else if (result) {
        DeleteObject(result);
        result = nullptr;
    }
    if (canvas) DeleteObject(canvas);
    if (canvasDc) DeleteDC(canvasDc);
    if (resultDc) DeleteDC(resultDc);
    return result;
}

}  // namespace

HBITMAP CUIRender::GenerateBitmap(CPaintManagerUI* manager, CControlUI* control, const RECT& rect, DWORD filterColor) {
    if (!control) return nullptr;
    return Render(manager, rect, filterColor, [&](HDC dc) { control->Paint(dc, rect, nullptr); });
}

HBITMAP CUIRender::GenerateBitmap(CPaintManagerUI* manager, const RECT& rect, CControlUI* stopControl,
                                  DWORD filterColor) {
    CControlUI* root = manager ? manager->GetRootControl() : nullptr;
    if (!root) return nullptr;
    return Render(manager, rect, filterColor, [&](HDC dc) { root->Paint(dc, rect, stopControl); });
}

}  // namespace SkinUI
