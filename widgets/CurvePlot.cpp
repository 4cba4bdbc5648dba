#include "CurvePlot.h"

#include "UIAttributes.h"

#include <objidl.h>
#include <gdiplus.h>

#include <cwchar>

namespace SkinUI {

using namespace Gdiplus;

namespace {

bool Contains(const wchar_t* value, const wchar_t* word) { return value && wcsstr(value, word) != nullptr; }

void SetBits(UINT& style, UINT set, UINT clear) { style = (style & ~clear) | set; }

}  // namespace

bool ApplyCurveTextAttribute(TCurveTextStyle& text, const wchar_t* name, const wchar_t* value) {
    auto is = [name](const wchar_t* attribute) { return EqualsIgnoreCase(name, attribute); };
    UINT& style = text.style;
    if (is(L"align")) {
        if (Contains(value, L"left")) SetBits(style, 0, DT_CENTER | DT_RIGHT);
        if (Contains(value, L"center")) SetBits(style, DT_CENTER, DT_RIGHT);
        if (Contains(value, L"right")) SetBits(style, DT_RIGHT, DT_CENTER);
    } else if (is(L"valign")) {
        if (Contains(value, L"top")) SetBits(style, DT_SINGLELINE, DT_VCENTER | DT_BOTTOM | DT_WORDBREAK);
        if (Contains(value, L"vcenter")) SetBits(style, DT_VCENTER | DT_SINGLELINE, DT_BOTTOM | DT_WORDBREAK);
        if (Contains(value, L"bottom")) SetBits(style, DT_BOTTOM | DT_SINGLELINE, DT_VCENTER | DT_WORDBREAK);
    } else if (is(L"endellipsis")) {
        IsTrue(value) ? SetBits(style, DT_END_ELLIPSIS, 0) : SetBits(style, 0, DT_END_ELLIPSIS);
    } else if (is(L"wordbreak")) {
        if (IsTrue(value))
            SetBits(style, DT_WORDBREAK | DT_EDITCONTROL, DT_SINGLELINE);
        else
            SetBits(style, DT_SINGLELINE, DT_WORDBREAK | DT_EDITCONTROL);
    } else if (is(L"noprefix")) {
        IsTrue(value) ? SetBits(style, DT_NOPREFIX, 0) : SetBits(style, 0, DT_NOPREFIX);
    } else if (is(L"font")) {
        text.font = ParseInt(value);
    } else if (is(L"textcolor")) {
        text.textColor = ParseColor(value);
    } else if (is(L"disabledtextcolor")) {
        text.disabledTextColor = ParseColor(value);
    } else if (is(L"textpadding")) {
        text.padding = ParseRect(value);
    } else if (is(L"autocalcwidth")) {
        text.autoCalcWidth = IsTrue(value);
    } else {
        return false;
    }
    return true;
}

int ParseCurveColors(const wchar_t* value, DWORD* colors, int capacity) {
    if (!value) return 0;
    const wchar_t* at = value;
    if (*at == L'#') ++at;
    int count = 0;
    while (count < capacity) {
        colors[count++] = ParseColor(at);
        const wchar_t* next = wcsstr(at, L" #");
        if (!next) break;
        at = next + 2;
    }
    return count;
}

void DrawCurvePoints(HDC hdc, const RECT& clip, const std::vector<POINT>& points, DWORD color, float width,
                     CurveStroke stroke, bool dashed, bool dropLast) {
    int count = static_cast<int>(points.size()) - (dropLast ? 1 : 0);
    // A Bezier run is one start point and three per segment; a ragged tail would make GDI+ refuse it all.
    if (stroke == CurveStroke::Bezier && count > 0) count -= (count - 1) % 3;
    if (count < 2) return;
    GpGraphics* graphics = nullptr;
    if (DllExports::GdipCreateFromHDC(hdc, &graphics) != Ok) return;
    DllExports::GdipSetSmoothingMode(graphics, SmoothingModeAntiAlias);
    // Curves far below the floor of the plot must not spill over the neighbouring controls.
    DllExports::GdipSetClipRectI(graphics, clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top,
                                 CombineModeIntersect);
    GpPen* pen = nullptr;
    if (DllExports::GdipCreatePen1(color, width, UnitWorld, &pen) == Ok) {
        if (dashed) DllExports::GdipSetPenDashStyle(pen, DashStyleDash);
        const auto* data = reinterpret_cast<const Point*>(points.data());
        static_assert(sizeof(Point) == sizeof(POINT), "GDI+ points are two ints");
        if (stroke == CurveStroke::Bezier)
            DllExports::GdipDrawBeziersI(graphics, pen, data, count);
        else
            DllExports::GdipDrawCurveI(graphics, pen, data, count);
        DllExports::GdipDeletePen(pen);
    }
    DllExports::GdipDeleteGraphics(graphics);
}

}  // namespace SkinUI
