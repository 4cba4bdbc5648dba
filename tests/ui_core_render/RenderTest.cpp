// Render engine: colour maths, fills, gradients, lines, clipping, plain text and the software blend,
// checked on 32-bit DIB canvases.
#include <gtest/gtest.h>

#include <cstdlib>

#include "UIManager.h"
#include "UIRender.h"
#include "ui_core_render/TestSupport.h"

using namespace SkinUI;
using namespace TestSupport;

namespace {

bool Near(uint32_t a, uint32_t b, int tolerance = 1) {
    for (int shift = 0; shift < 32; shift += 8) {
        if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) > tolerance)
            return false;
    }
    return true;
}

class RenderTest : public ::testing::Test {
protected:
    CPaintManagerUI manager;  // starts GDI+ and holds the fonts
};

}  // namespace

TEST_F(RenderTest, ColourAdjustment) {
    EXPECT_EQ(CUIRender::AdjustColor(0x80123456, 180, 100, 100), 0x80123456u);
    EXPECT_EQ(CUIRender::AdjustColor(0xFFFF0000, 300, 100, 100), 0xFF00FF00u);  // hue +120
    EXPECT_EQ(CUIRender::AdjustColor(0xFFFF0000, 60, 100, 100), 0xFF0000FFu);   // hue -120 wraps
    EXPECT_EQ(CUIRender::AdjustColor(0x7FFF0000, 180, 0, 100) & 0xFF000000, 0x7F000000u);  // alpha kept

    float h, s, l;
    CUIRender::RGBtoHSL(0xFF808080, &h, &s, &l);
    EXPECT_EQ(s, 0.0f);
    DWORD grey = 0x40000000;
    CUIRender::HSLtoRGB(&grey, h, s, l);
    EXPECT_EQ(grey, 0x40808080u);
    CUIRender::RGBtoHSL(0xFF0000FF, &h, &s, &l);
    EXPECT_FLOAT_EQ(h, 240.0f);
    EXPECT_FLOAT_EQ(s, 1.0f);
    EXPECT_FLOAT_EQ(l, 0.5f);

    DWORD black = 0xFF000000, green = 0xFF000100;
    CUIRender::CheckAlphaColor(black);
    CUIRender::CheckAlphaColor(green);
    EXPECT_EQ(black, 0xFF000001u);
    EXPECT_EQ(green, 0xFF000100u);
    EXPECT_EQ(CUIRender::PixelAlpha(0xFFFF8000, 0.5, 0x000000FF, 0.5), 0x007F407Fu);
}

TEST_F(RenderTest, FillsAndGradients) {
    Canvas canvas(40, 20, 0xFF112233);
    CUIRender::DrawColor(canvas.dc(), {0, 0, 40, 20}, 0x00FF0000);
    EXPECT_EQ(canvas.At(5, 5), 0xFF112233u);
    CUIRender::DrawColor(canvas.dc(), {10, 5, 20, 15}, 0xFF00FF00);
    EXPECT_EQ(canvas.Rgb(10, 5), 0x00FF00u);
    EXPECT_EQ(canvas.Rgb(19, 14), 0x00FF00u);
    EXPECT_EQ(canvas.At(20, 15), 0xFF112233u);
    EXPECT_EQ(canvas.At(9, 5), 0xFF112233u);

    canvas.Fill(0xFF112233);
    CUIRender::DrawGradient(canvas.dc(), {0, 0, 40, 20}, 0x00FF0000, 0x010000FF, true, 64);  // mean alpha 0
    EXPECT_EQ(canvas.At(20, 10), 0xFF112233u);
    CUIRender::DrawGradient(canvas.dc(), {0, 0, 40, 20}, 0xFFFF0000, 0xFF0000FF, false, 64);
    EXPECT_TRUE(Near(canvas.Rgb(0, 10), 0xFF0000, 8));
    EXPECT_TRUE(Near(canvas.Rgb(39, 10), 0x0000FF, 8));
    EXPECT_TRUE(Near(canvas.Rgb(20, 0), canvas.Rgb(20, 19), 0));  // horizontal: columns are uniform
    // Half transparent on average: blended over what was there.
    canvas.Fill(0xFF000000);
    CUIRender::DrawGradient(canvas.dc(), {0, 0, 40, 20}, 0x80FFFFFF, 0x80FFFFFF, true, 64);
    EXPECT_TRUE(Near(canvas.Rgb(20, 10), 0x808080, 2));
}

TEST_F(RenderTest, LinesAndRectangles) {
    Canvas canvas(30, 30, 0xFFFFFFFF);
    CUIRender::DrawLine(canvas.dc(), {2, 5, 28, 5}, 1, 0xFF0000FF);
    EXPECT_EQ(canvas.Rgb(10, 5), 0x0000FFu);
    EXPECT_EQ(canvas.Rgb(10, 6), 0xFFFFFFu);
    CUIRender::DrawRect(canvas.dc(), {10, 10, 20, 20}, 1, 0xFFFF0000);
    EXPECT_EQ(canvas.Rgb(10, 15), 0xFF0000u);
    EXPECT_EQ(canvas.Rgb(15, 10), 0xFF0000u);
    EXPECT_EQ(canvas.Rgb(15, 15), 0xFFFFFFu);
    EXPECT_EQ(canvas.Rgb(21, 15), 0xFFFFFFu);

    // A filled round rectangle takes the pen colour when the fill colour has no alpha.
    canvas.Fill(0xFFFFFFFF);
    CUIRender::DrawRoundRectangle(canvas.dc(), 2, 2, 20, 20, 8, 0xFF00FF00, 1, true, 0x00FF0000);
    EXPECT_EQ(canvas.Rgb(12, 12), 0x00FF00u);
    EXPECT_EQ(canvas.Rgb(2, 2), 0xFFFFFFu);  // outside the rounded corner
    EXPECT_EQ(canvas.Rgb(25, 12), 0xFFFFFFu);
}

TEST_F(RenderTest, ClipGuardNarrowsAndRestoresExactly) {
    Canvas canvas(40, 40, 0xFF000000);
    HDC dc = canvas.dc();
    // A clip region of two pieces must come back as it was, not as its bounding box.
    HRGN outer = CreateRectRgn(0, 0, 10, 40);
    HRGN second = CreateRectRgn(30, 0, 40, 40);
    CombineRgn(outer, outer, second, RGN_OR);
    SelectClipRgn(dc, outer);
    {
        CUIRenderClip clip;
        CUIRenderClip::GenerateClip(dc, {5, 5, 35, 35}, clip);
        CUIRender::DrawColor(dc, {0, 0, 40, 40}, 0xFFFF0000);
        EXPECT_EQ(canvas.Rgb(7, 20), 0xFF0000u);
        EXPECT_EQ(canvas.Rgb(20, 20), 0u);  // outside the old clip
        EXPECT_EQ(canvas.Rgb(2, 2), 0u);    // outside the new rectangle
        CUIRenderClip::UseOldClipBegin(dc, clip);
        CUIRender::DrawColor(dc, {0, 0, 5, 5}, 0xFF00FF00);
        CUIRenderClip::UseOldClipEnd(dc, clip);
        EXPECT_EQ(canvas.Rgb(2, 2), 0x00FF00u);
    }
    CUIRender::DrawColor(dc, {0, 0, 40, 40}, 0xFF0000FF);
    EXPECT_EQ(canvas.Rgb(20, 20), 0u);  // the gap of the old region is still clipped
    EXPECT_EQ(canvas.Rgb(35, 38), 0x0000FFu);
    SelectClipRgn(dc, nullptr);
    DeleteObject(outer);
    DeleteObject(second);

    // Under a window origin the narrowed area is where the logical rectangle is.
    canvas.Fill(0xFF000000);
    SetWindowOrgEx(dc, -10, -10, nullptr);
    {
        CUIRenderClip clip;
        CUIRenderClip::GenerateClip(dc, {0, 0, 5, 5}, clip);
        CUIRender::DrawColor(dc, {-10, -10, 30, 30}, 0xFFFFFFFF);
    }
    SetWindowOrgEx(dc, 0, 0, nullptr);
    EXPECT_EQ(canvas.Rgb(12, 12), 0xFFFFFFu);
    EXPECT_EQ(canvas.Rgb(2, 2), 0u);
    EXPECT_EQ(canvas.Rgb(16, 16), 0u);
}

TEST_F(RenderTest, PlainTextAndCharacterCodes) {
    Canvas direct(60, 30, 0xFFFFFFFF), coded(60, 30, 0xFFFFFFFF), plain(60, 30, 0xFFFFFFFF);
    RECT rect = {0, 0, 60, 30};
    CUIRender::DrawText(direct.dc(), &manager, rect, L"A", 0xFF000000, -1, DT_SINGLELINE);
    rect = {0, 0, 60, 30};
    CUIRender::DrawText(coded.dc(), &manager, rect, L"xyz&#x41;", 0xFF000000, -1, DT_SINGLELINE);
    bool same = true, inked = false;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 60; ++x) {
            same = same && direct.Rgb(x, y) == coded.Rgb(x, y);
            inked = inked || direct.Rgb(x, y) != 0xFFFFFF;
        }
    EXPECT_TRUE(inked);
    EXPECT_TRUE(same);

    // Measuring, and the size the font gives.
    RECT measured = {0, 0, 500, 100};
    CUIRender::DrawText(plain.dc(), &manager, measured, L"Hello world", 0xFF000000, -1, DT_CALCRECT | DT_SINGLELINE);
    SIZE size = CUIRender::GetTextSize(plain.dc(), &manager, L"Hello world", -1);
    HGDIOBJ old = SelectObject(plain.dc(), manager.GetFontHandle(-1));
    SIZE expected;
    GetTextExtentPoint32W(plain.dc(), L"Hello world", 11, &expected);
    SelectObject(plain.dc(), old);
    EXPECT_EQ(size.cx, expected.cx);
    EXPECT_EQ(size.cy, expected.cy);
    EXPECT_EQ(measured.right, expected.cx);
    EXPECT_EQ(CUIRender::GetTextSize(plain.dc(), nullptr, L"x", -1).cx, 0);

    // The GDI+ path measures one pixel larger than the bounds it finds.
    manager.SetUseGdiplusText(true);
    RECT viaGdiplus = {0, 0, 500, 100};
    CUIRender::DrawText(plain.dc(), &manager, viaGdiplus, L"Hello world", 0xFF000000, -1, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_GT(viaGdiplus.right, 1);
    EXPECT_GT(viaGdiplus.bottom, 1);
    manager.SetUseGdiplusText(false);
}

TEST_F(RenderTest, SoftwareBlendMatchesAlphaBlend) {
    // A premultiplied source: half-transparent red, opaque green, fully transparent.
    Canvas source(3, 1);
    const uint32_t pixels[3] = {0x80800000, 0xFF00FF00, 0x00000000};
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 3, -1, 1, 32, BI_RGB};
    SetDIBitsToDevice(source.dc(), 0, 0, 3, 1, 0, 0, 0, 1, pixels, &info, DIB_RGB_COLORS);
    for (BYTE constant : {BYTE(255), BYTE(128)}) {
        Canvas system(3, 1, 0xFF2040C0), software(3, 1, 0xFF2040C0);
        BLENDFUNCTION blend = {AC_SRC_OVER, 0, constant, AC_SRC_ALPHA};
        ASSERT_TRUE(AlphaBlend(system.dc(), 0, 0, 3, 1, source.dc(), 0, 0, 3, 1, blend));
        ASSERT_TRUE(CUIRender::AlphaBitBlt(software.dc(), 0, 0, 3, 1, source.dc(), 0, 0, 3, 1, blend));
        for (int x = 0; x < 3; ++x)
            EXPECT_TRUE(Near(system.Rgb(x, 0), software.Rgb(x, 0))) << x << " " << std::hex << system.Rgb(x, 0)
                                                                    << " " << software.Rgb(x, 0);
    }
}
