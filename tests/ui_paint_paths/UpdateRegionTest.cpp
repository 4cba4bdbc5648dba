// A paint covers the rectangles of the update region, not the box around them: two controls far apart
// repaint two small areas; a region of many pieces is painted as its box; the window shows each piece,
// the update outline marks each one, and a layered window gets the same.
#include "WindowTestSupport.h"

#include <vector>

using namespace SkinUI;
using namespace WindowTest;

namespace {

const wchar_t kCorners[] = LR"(<Window size="200,120">
  <VerticalLayout bkcolor="#FF336699">
    <HorizontalLayout height="30">
      <Control name="first" width="30" bkcolor="#FF00FF00"/>
      <Control/>
      <Control name="second" width="30" bkcolor="#FFFF0000"/>
    </HorizontalLayout>
  </VerticalLayout>
</Window>)";

const DWORD kMarker = 0x12345678;

// Overwrites the whole off-screen picture, so that what a paint leaves alone shows.
void MarkOffscreen(CPaintManagerUI& pm) {
    auto* pixels = const_cast<DWORD*>(pm.GetOffscreenPixels());
    ASSERT_NE(nullptr, pixels);
    GdiFlush();
    const SIZE size = pm.GetOffscreenSize();
    for (int i = 0; i < size.cx * size.cy; ++i) pixels[i] = kMarker;
}

// A pixel of the screen where the window's client point lies (0x00RRGGBB): what a layered window
// shows cannot be read from the window's own DC.
DWORD ScreenPixel(HWND hwnd, int x, int y) {
    POINT point = {x, y};
    ClientToScreen(hwnd, &point);
    HDC screen = GetDC(nullptr);
    const COLORREF color = GetPixel(screen, point.x, point.y);
    ReleaseDC(nullptr, screen);
    return GetRValue(color) << 16 | GetGValue(color) << 8 | GetBValue(color);
}

// The screen shows a layered window's picture a little later than the update (the display is updated
// in the background): waits up to two seconds for the expected colour and returns what it saw last.
DWORD ScreenPixelOnceShown(HWND hwnd, int x, int y, DWORD expected) {
    DWORD seen = ScreenPixel(hwnd, x, y);
    for (int i = 0; i < 200 && seen != expected; ++i) {
        Sleep(10);
        Pump();
        seen = ScreenPixel(hwnd, x, y);
    }
    return seen;
}

void Repaint(HWND hwnd, const std::vector<RECT>& rects) {
    for (const RECT& rect : rects) InvalidateRect(hwnd, &rect, FALSE);
    UpdateWindow(hwnd);
}

}  // namespace

TEST(UpdateRegion, TwoDistantRectanglesArePaintedAlone) {
    CTestWindow window(kCorners);
    HWND hwnd = window.Create();
    ASSERT_NE(nullptr, hwnd);
    CPaintManagerUI& pm = window.pm();
    MarkOffscreen(pm);
    Repaint(hwnd, {{0, 0, 30, 30}, {170, 90, 200, 120}});
    EXPECT_EQ(0xFF00FF00u, OffscreenPixel(pm, 10, 10));
    EXPECT_EQ(0xFF336699u, OffscreenPixel(pm, 180, 100));
    EXPECT_EQ(kMarker, OffscreenPixel(pm, 100, 60)) << "between the two: not painted";
    EXPECT_EQ(kMarker, OffscreenPixel(pm, 180, 10)) << "the other corner of their box: not painted";
    EXPECT_EQ(0x00FF00u, WindowPixel(hwnd, 10, 10));
    EXPECT_EQ(0x336699u, WindowPixel(hwnd, 180, 100));
    EXPECT_EQ(0xFF0000u, WindowPixel(hwnd, 180, 10)) << "the window keeps what it showed";
    RECT left = {};
    EXPECT_FALSE(GetUpdateRect(hwnd, &left, FALSE));
}

TEST(UpdateRegion, ManyPiecesArePaintedAsTheirBox) {
    CTestWindow window(kCorners);
    HWND hwnd = window.Create();
    ASSERT_NE(nullptr, hwnd);
    CPaintManagerUI& pm = window.pm();
    MarkOffscreen(pm);
    std::vector<RECT> pieces;
    for (int i = 0; i < 12; ++i) pieces.push_back({i * 16, i * 8, i * 16 + 4, i * 8 + 4});
    Repaint(hwnd, pieces);
    EXPECT_EQ(0xFF00FF00u, OffscreenPixel(pm, 2, 2));
    EXPECT_EQ(0xFF336699u, OffscreenPixel(pm, 100, 10)) << "inside the box, outside every piece";
    EXPECT_EQ(kMarker, OffscreenPixel(pm, 190, 5)) << "outside the box";
}

TEST(UpdateRegion, TheOutlineMarksEachPiece) {
    CTestWindow window(LR"(<Window size="200,120" showdirty="true">
      <VerticalLayout bkcolor="#FF336699"/></Window>)");
    HWND hwnd = window.Create();
    ASSERT_NE(nullptr, hwnd);
    Repaint(hwnd, {{10, 10, 40, 30}, {150, 80, 190, 110}});
    EXPECT_EQ(0xDC0000u, WindowPixel(hwnd, 10, 20));
    EXPECT_EQ(0xDC0000u, WindowPixel(hwnd, 150, 95));
    EXPECT_EQ(0x336699u, WindowPixel(hwnd, 100, 60)) << "no outline around the box of both";
    EXPECT_EQ(0x336699u, WindowPixel(hwnd, 10, 100));
}

TEST(UpdateRegion, ALayeredWindowPaintsEachPieceToo) {
    CTestWindow window(LR"(<Window size="200,120" layered="true">
      <VerticalLayout bkcolor="#FF336699">
        <Control name="first" height="30" width="30" bkcolor="#FF00FF00"/>
      </VerticalLayout></Window>)");
    HWND hwnd = window.Create();
    ASSERT_NE(nullptr, hwnd);
    Pump();
    UpdateWindow(hwnd);
    CPaintManagerUI& pm = window.pm();
    ASSERT_TRUE(pm.IsLayeredWindow());
    MarkOffscreen(pm);
    Repaint(hwnd, {{0, 0, 20, 20}, {170, 90, 200, 120}});
    EXPECT_EQ(0xFF00FF00u, OffscreenPixel(pm, 10, 10));
    EXPECT_EQ(0xFF336699u, OffscreenPixel(pm, 180, 100));
    EXPECT_EQ(kMarker, OffscreenPixel(pm, 100, 60));
    EXPECT_TRUE(pm.IsLastLayeredUpdateOk());
}

// A layered window hands only the changed box to the system after a good update; what it shows is
// the whole new picture all the same, and the rest stays as it was.
TEST(UpdateRegion, ALayeredWindowShowsAPartialUpdate) {
    CTestWindow window(LR"(<Window size="200,120" layered="true">
      <VerticalLayout bkcolor="#FF336699">
        <Control name="first" height="30" width="30" bkcolor="#FF00FF00"/>
      </VerticalLayout></Window>)");
    // Far from where the other window tests put theirs (they may run at the same time), and on top.
    HWND hwnd = window.Create(nullptr, 1500, 820, WS_POPUP | WS_VISIBLE);
    ASSERT_NE(nullptr, hwnd);
    SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    Pump();
    UpdateWindow(hwnd);
    ASSERT_TRUE(window.pm().IsLastLayeredUpdateOk());
    EXPECT_EQ(0x00FF00u, ScreenPixelOnceShown(hwnd, 10, 10, 0x00FF00u));
    window.Control(L"first")->SetBkColor(0xFFFF0000);
    UpdateWindow(hwnd);
    EXPECT_TRUE(window.pm().IsLastLayeredUpdateOk());
    EXPECT_EQ(0xFF0000u, ScreenPixelOnceShown(hwnd, 10, 10, 0xFF0000u));
    EXPECT_EQ(0x336699u, ScreenPixelOnceShown(hwnd, 100, 60, 0x336699u));
    // Moved, then partly repainted: the picture follows the window.
    SetWindowPos(hwnd, nullptr, 1560, 860, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    window.Control(L"first")->SetBkColor(0xFF0000FF);
    UpdateWindow(hwnd);
    EXPECT_TRUE(window.pm().IsLastLayeredUpdateOk());
    EXPECT_EQ(0x0000FFu, ScreenPixelOnceShown(hwnd, 10, 10, 0x0000FFu));
    EXPECT_EQ(0x336699u, ScreenPixelOnceShown(hwnd, 150, 100, 0x336699u));
}
