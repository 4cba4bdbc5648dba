#pragma once
// What the widget tests share: the standard controls registered, a skin window built from layout XML
// text that also creates the application's own widgets, its pixels after a full repaint (from the
// screen, or whole from its off-screen picture) and small PNG files written for image attributes.
#include "ui_window/WindowTestSupport.h"

#include <functional>
#include <string>
#include <vector>

namespace WidgetTest {

// Creates SButton, CircleProgress, Curve, CurveAc, ChartView, MyCombo, Wnd and NTGraphic as well.
class CWidgetWindow : public WindowTest::CTestWindow {
public:
    using CTestWindow::CTestWindow;

protected:
    SkinUI::CControlUI* CreateControl(const wchar_t* className) override;
};

// The pixel at (x, y) of the window on the screen, after a full repaint.
DWORD PixelAt(WindowTest::CTestWindow& window, int x, int y);

// The client area after a full repaint, as rows of 0x00RRGGBB.
struct Picture {
    int width = 0, height = 0;
    std::vector<DWORD> pixels;
    DWORD At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x] & 0xFFFFFF; }
    // The rows of column x that hold the colour, top to bottom.
    std::vector<int> RowsOf(int x, DWORD colour, int top, int bottom) const;
};

// Read from the window's off-screen picture: other tests' windows on the same display cannot cover it.
Picture Capture(WindowTest::CTestWindow& window);

// A PNG (8-bit RGB, stored deflate blocks) of width x height whose pixels are colour(x, y) as 0xRRGGBB,
// written to the temporary folder as `name`; its path, or empty when it could not be written.
std::wstring WritePng(const wchar_t* name, int width, int height, const std::function<DWORD(int x, int y)>& colour);

}  // namespace WidgetTest
