// Scaling at the percents the application runs its windows at (125, 150, 175, 200): images of skins
// with and without pictures for the scale, window geometry (resize border, caption, corners, size
// limits) and fonts shared by windows at different scales.
#include "ImageFolder.h"
#include "WindowTestSupport.h"

#include "ui_core_render/TestSupport.h"
#include "UIRender.h"
#include "UIShadow.h"

using namespace SkinUI;
using namespace WindowTest;

namespace {

DWORD PixelOf(const TImageRecord* image, int x, int y) {
    GdiFlush();
    return reinterpret_cast<const DWORD*>(image->currentPixels)[y * image->width + x];
}

struct TScale {
    int dpi;
    int percent;
};
const TScale kScales[] = {{120, 125}, {144, 150}, {168, 175}, {192, 200}};

}  // namespace

// ---------------------------------------------------------------------------------------------------
// Images

TEST(ScaledImages, AMissingScaledFileIsThePlainPictureScaled) {
    CImageFolder folder(L"uiscale");
    folder.Write(L"img\\plain.png", 4, 2, {0xFF0000FF});      // red, no scaled files
    folder.Write(L"img\\both.png", 4, 2, {0xFF0000FF});       // red, with scaled files in blue
    folder.Write(L"img\\edge.png", 2, 1, {0xFF0000FF, 0x0000FFFF});  // red | blue
    for (const TScale& scale : kScales) {
        SCOPED_TRACE(scale.percent);
        CUIString both, bothName;
        bothName.Format(L"img\\both@%d.png", scale.percent);
        folder.Write(bothName.Data(), 6, 3, {0x0000FFFF});
        CPaintManagerUI pm;
        pm.GetDpiScaler()->SetScale(scale.dpi);

        const TImageDrawInfo* plain = pm.GetImageDrawInfo(L"file='img/plain.png'");
        TImageRecord* scaled = pm.GetOrLoadImage(plain->imageName.Data());
        ASSERT_NE(nullptr, scaled) << "the plain picture stands in for the scaled one";
        EXPECT_EQ(MulDiv(4, scale.percent, 100), scaled->width);
        EXPECT_EQ(MulDiv(2, scale.percent, 100), scaled->height);
        EXPECT_EQ(0xFFFF0000u, PixelOf(scaled, scaled->width - 1, scaled->height - 1));

        const TImageDrawInfo* drawn = pm.GetImageDrawInfo(L"file='img/both.png'");
        TImageRecord* own = pm.GetOrLoadImage(drawn->imageName.Data());
        ASSERT_NE(nullptr, own);
        EXPECT_EQ(6, own->width) << "a skin's own scaled file wins";
        EXPECT_EQ(0xFF0000FFu, PixelOf(own, 0, 0));

        // Scaled with filtering: the outer pixels keep their colours, those between are mixed.
        TImageRecord* edge = pm.GetOrLoadImage(pm.GetImageDrawInfo(L"img/edge.png")->imageName.Data());
        ASSERT_NE(nullptr, edge);
        ASSERT_EQ(MulDiv(2, scale.percent, 100), edge->width);
        EXPECT_EQ(0xFFFF0000u, PixelOf(edge, 0, 0));
        EXPECT_EQ(0xFF0000FFu, PixelOf(edge, edge->width - 1, 0));
        for (int x = 0; x < edge->width; ++x) EXPECT_EQ(0xFFu, PixelOf(edge, x, 0) >> 24) << x;
    }
    CPaintManagerUI pm;
    pm.GetDpiScaler()->SetScale(144);
    EXPECT_EQ(nullptr, pm.GetOrLoadImage(L"img/none@150.png")) << "nothing to scale";
    EXPECT_EQ(nullptr, pm.GetOrLoadImage(L"img/plain@x150.png"));
}

// A picture loaded by resource id has no scaled copies: it is scaled like a plain file without one, so
// that its scaled source rectangle covers all of it.
TEST(ScaledImages, AResourcePictureIsScaledWithItsSourceRectangle) {
    const wchar_t description[] = L"res='102' restype='PNG' source='0,0,2,1'";
    for (const TScale& scale : kScales) {
        SCOPED_TRACE(scale.percent);
        CPaintManagerUI pm;
        pm.GetDpiScaler()->SetScale(scale.dpi);
        const TImageDrawInfo* info = pm.GetImageDrawInfo(description);
        TImageRecord* image = pm.GetOrLoadImage(info->imageName.Data(), info->resourceType.Data());
        ASSERT_NE(nullptr, image);
        const int width = MulDiv(2, scale.percent, 100);
        EXPECT_EQ(width, image->width);
        EXPECT_EQ(MulDiv(1, scale.percent, 100), image->height);
        EXPECT_EQ(width, info->source.right) << "the source rectangle and the picture agree";
        EXPECT_EQ(image->height, info->source.bottom);
        EXPECT_EQ(0xFFFF0000u, PixelOf(image, 0, 0));
        EXPECT_EQ(0xFF0000FFu, PixelOf(image, width - 1, 0));
    }
    CPaintManagerUI pm;
    const TImageDrawInfo* info = pm.GetImageDrawInfo(description);
    EXPECT_STREQ(L"102", info->imageName.Data());
    TImageRecord* image = pm.GetOrLoadImage(info->imageName.Data(), info->resourceType.Data());
    ASSERT_NE(nullptr, image);
    EXPECT_EQ(2, image->width) << "at 100 % the resource as it is";
    EXPECT_EQ(nullptr, pm.GetOrLoadImage(L"103@150", L"PNG")) << "no such resource";
    EXPECT_EQ(nullptr, pm.GetOrLoadImage(L"strip@150", L"PNG")) << "a typed name is a number";
}

TEST(ScaledImages, AWindowAt150WithoutScaledFilesShowsItsBackground) {
    CImageFolder folder(L"uiscale");
    folder.Write(L"img\\back.png", 8, 8, {0x00FF00FF});   // green, no back@150.png
    folder.Write(L"img\\card.png", 4, 4, {0xFF0000FF});   // red
    folder.Write(L"img\\card@150.png", 6, 6, {0x0000FFFF});  // blue
    CTestWindow window(LR"(<Window size="200,100">
      <HorizontalLayout bkimage="img/back.png">
        <Control width="60" bkimage="file='img/card.png' source='0,0,4,4'"/>
        <Control/>
      </HorizontalLayout></Window>)");
    window.pm().GetDpiScaler()->SetScale(144);
    ASSERT_NE(nullptr, window.Create());
    UpdateWindow(window.GetHandle());
    RECT client = {};
    GetClientRect(window.GetHandle(), &client);
    ASSERT_EQ(300, client.right);
    EXPECT_EQ(0x00FF00u, OffscreenPixel(window.pm(), 200, 75) & 0xFFFFFF) << "not black";
    EXPECT_EQ(0x00FF00u, OffscreenPixel(window.pm(), 299, 149) & 0xFFFFFF);
    EXPECT_EQ(0x0000FFu, OffscreenPixel(window.pm(), 45, 75) & 0xFFFFFF) << "the skin's own 150 % card";
}

// ---------------------------------------------------------------------------------------------------
// Window geometry

namespace {

const wchar_t kFramedWindow[] = LR"(<Window size="200,100" sizebox="4,4,4,4" caption="10,10,10,30" roundcorner="8,8"
      mininfo="100,80" maxinfo="400,300"><VerticalLayout><Label/></VerticalLayout></Window>)";

LRESULT HitTest(HWND window, int x, int y) {
    POINT point = {x, y};
    ClientToScreen(window, &point);
    return SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(point.x, point.y));
}

// Pixels of the top-left 12 x 12 corner that the window's region leaves out.
int CutCornerPixels(HWND window) {
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    GetWindowRgn(window, region);
    int cut = 0;
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 12; ++x) cut += !PtInRegion(region, x, y);
    DeleteObject(region);
    return cut;
}

}  // namespace

// A window's shadow is as wide, as soft and as far off as its window is large: its size, sharpness and
// offset are written for 96 DPI like the layout sizes.
TEST(ScaledGeometry, TheShadowFollowsTheScale) {
    const wchar_t layout[] = LR"(<Window size="100,60" showshadow="true" shadowsize="6" shadowsharpness="3"
        shadowdarkness="120" shadowposition="2,-3" shadowcolor="#FF102030"><VerticalLayout bkcolor="#FFFFFFFF"/></Window>)";
    for (const TScale& scale : kScales) {
        SCOPED_TRACE(scale.percent);
        CTestWindow window(layout);
        window.pm().GetDpiScaler()->SetScale(scale.dpi);
        ASSERT_NE(nullptr, window.Create(nullptr, 100, 100));
        UpdateWindow(window.GetHandle());
        CShadowUI* shadow = window.pm().GetShadowWindow();
        ASSERT_NE(nullptr, shadow->GetShadowWindow());
        RECT frame = {}, shade = {};
        GetWindowRect(window.GetHandle(), &frame);
        GetWindowRect(shadow->GetShadowWindow(), &shade);
        const int size = MulDiv(6, scale.percent, 100);
        EXPECT_EQ(frame.left + MulDiv(2, scale.percent, 100) - size, shade.left);
        EXPECT_EQ(frame.top + MulDiv(-3, scale.percent, 100) - size, shade.top);
        EXPECT_EQ(frame.right - frame.left + 2 * size, shade.right - shade.left);
        EXPECT_EQ(frame.bottom - frame.top + 2 * size, shade.bottom - shade.top);
        if (scale.percent != 200) continue;

        // At 200 % the picture is the one of a shadow written twice as large.
        CShadowUI doubled;
        ASSERT_TRUE(doubled.SetSize(12));
        ASSERT_TRUE(doubled.SetSharpness(6));
        ASSERT_TRUE(doubled.SetDarkness(120));
        ASSERT_TRUE(doubled.SetPosition(4, -6));
        ASSERT_TRUE(doubled.SetColor(0xFF102030));
        TShadowShape shape;
        shape.width = 200;
        shape.height = 120;
        shape.rows.assign(120, TShadowSpan{0, 200});
        std::vector<DWORD> seen(224 * 144, 0), expected(224 * 144, 0);
        shadow->MakeShadow(seen.data(), shape);
        doubled.MakeShadow(expected.data(), shape);
        EXPECT_TRUE(seen == expected);
        EXPECT_EQ(120u, expected[72 * 224 + 210] >> 24) << "the picture has a body right of the window";
    }
}

// A picture shadow is drawn from the picture for the scale (here the plain one scaled).
TEST(ScaledGeometry, APictureShadowUsesThePictureForTheScale) {
    CImageFolder folder(L"uiscale");
    folder.Write(L"img\\shade.png", 12, 12, {0x00000080});
    CTestWindow window(LR"(<Window size="100,60" showshadow="true" shadowimage="img/shade.png" shadowsize="4"
        shadowcorner="5,5,5,5"><VerticalLayout bkcolor="#FFFFFFFF"/></Window>)");
    window.pm().GetDpiScaler()->SetScale(192);
    ASSERT_NE(nullptr, window.Create(nullptr, 100, 100));
    UpdateWindow(window.GetHandle());
    CShadowUI* shadow = window.pm().GetShadowWindow();
    ASSERT_TRUE(shadow->IsImageMode());
    RECT frame = {}, shade = {};
    GetWindowRect(window.GetHandle(), &frame);
    GetWindowRect(shadow->GetShadowWindow(), &shade);
    EXPECT_EQ(frame.left - 8, shade.left);
    EXPECT_EQ(frame.right + 8, shade.right);
    TImageRecord* image = window.pm().GetImageRecord(L"img/shade@200.png");
    ASSERT_NE(nullptr, image) << "the shadow asked for its picture under the scaled name";
    EXPECT_EQ(24, image->width);
}

TEST(ScaledGeometry, BordersCaptionCornersAndLimitsFollowTheScale) {
    CTestWindow plain(kFramedWindow);
    ASSERT_NE(nullptr, plain.Create(nullptr, 40, 40));
    CTestWindow window(kFramedWindow);
    window.pm().GetDpiScaler()->SetScale(144);
    ASSERT_NE(nullptr, window.Create(nullptr, 300, 40));
    HWND hwnd = window.GetHandle();
    RECT client = {};
    GetClientRect(hwnd, &client);
    ASSERT_EQ(300, client.right);
    ASSERT_EQ(150, client.bottom);

    // Resize borders of 6 pixels.
    EXPECT_EQ(HTTOPLEFT, HitTest(hwnd, 5, 5));
    EXPECT_EQ(HTLEFT, HitTest(hwnd, 5, 75));
    EXPECT_EQ(HTRIGHT, HitTest(hwnd, 294, 75));
    EXPECT_EQ(HTBOTTOM, HitTest(hwnd, 150, 144));
    EXPECT_EQ(HTCLIENT, HitTest(plain.GetHandle(), 5, 75)) << "4 pixels at 100 %";
    // The caption runs from 15 to 45 down and 15 in from each side.
    EXPECT_EQ(HTCAPTION, HitTest(hwnd, 150, 44));
    EXPECT_EQ(HTCLIENT, HitTest(hwnd, 150, 46));
    EXPECT_EQ(HTCLIENT, HitTest(hwnd, 150, 12));
    EXPECT_EQ(HTCAPTION, HitTest(hwnd, 150, 16));
    EXPECT_EQ(HTCLIENT, HitTest(hwnd, 12, 20));
    EXPECT_EQ(HTCAPTION, HitTest(hwnd, 16, 20));
    EXPECT_EQ(HTCLIENT, HitTest(hwnd, 287, 20));

    // Size limits, through the window and through the manager alone.
    MINMAXINFO info = {};
    SendMessageW(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(150, info.ptMinTrackSize.x);
    EXPECT_EQ(120, info.ptMinTrackSize.y);
    EXPECT_EQ(600, info.ptMaxTrackSize.x);
    EXPECT_EQ(450, info.ptMaxTrackSize.y);
    MINMAXINFO own = {};
    LRESULT result = 0;
    window.pm().HandleWindowMessage(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&own), result);
    EXPECT_EQ(150, own.ptMinTrackSize.x);
    EXPECT_EQ(120, own.ptMinTrackSize.y);
    EXPECT_EQ(600, own.ptMaxTrackSize.x);
    EXPECT_EQ(450, own.ptMaxSize.y);

    // Rounder corners: the 12 x 12 ellipse cuts more of the window than the 8 x 8 one.
    const int cutPlain = CutCornerPixels(plain.GetHandle());
    const int cutScaled = CutCornerPixels(hwnd);
    EXPECT_GT(cutPlain, 0);
    EXPECT_GT(cutScaled, cutPlain);
    // A change of scale brings the same geometry along.
    plain.pm().ApplyDpi(144);
    UpdateWindow(plain.GetHandle());
    EXPECT_EQ(cutScaled, CutCornerPixels(plain.GetHandle()));
    EXPECT_EQ(HTLEFT, HitTest(plain.GetHandle(), 5, 75));
}

// ---------------------------------------------------------------------------------------------------
// Fonts shared by windows at different scales

namespace {

LONG FontHeight(HFONT font) {
    LOGFONTW logFont = {};
    GetObjectW(font, sizeof logFont, &logFont);
    return logFont.lfHeight;
}

}  // namespace

TEST(ScaledFonts, WindowsAtDifferentScalesEachGetTheirOwnSize) {
    CTestWindow normal(LR"(<Window size="100,60"><Font id="7" name="Tahoma" size="12" shared="true"/>
      <VerticalLayout/></Window>)");
    ASSERT_NE(nullptr, normal.Create());
    CTestWindow large(LR"(<Window size="100,60"><VerticalLayout/></Window>)");
    large.pm().GetDpiScaler()->SetScale(144);
    ASSERT_NE(nullptr, large.Create(nullptr, 200, 40));
    CPaintManagerUI& small = normal.pm();
    CPaintManagerUI& big = large.pm();

    EXPECT_EQ(-12, FontHeight(small.GetFontHandle(7)));
    EXPECT_EQ(-18, FontHeight(big.GetFontHandle(7)));
    EXPECT_EQ(12, big.GetFontRecord(7)->size);
    EXPECT_EQ(7, big.GetFontIndex(big.GetFontHandle(7), true));
    EXPECT_EQ(big.GetFontRecord(7), big.GetFontRecord(big.GetFontHandle(7)));
    const LONG defaultHeight = FontHeight(small.GetDefaultFontRecord()->handle);
    EXPECT_EQ(MulDiv(defaultHeight, 150, 100), FontHeight(big.GetDefaultFontRecord()->handle));
    EXPECT_GT(big.GetDefaultFontRecord()->metrics.tmHeight, small.GetDefaultFontRecord()->metrics.tmHeight);

    // A change of one window's scale leaves the other's fonts alone.
    big.ApplyDpi(192);
    EXPECT_EQ(-24, FontHeight(big.GetFontHandle(7)));
    EXPECT_EQ(-12, FontHeight(small.GetFontHandle(7)));
    EXPECT_EQ(defaultHeight, FontHeight(small.GetDefaultFontRecord()->handle));
    small.ApplyDpi(120);
    EXPECT_EQ(-15, FontHeight(small.GetFontHandle(7)));
    EXPECT_EQ(-24, FontHeight(big.GetFontHandle(7)));
    CPaintManagerUI::SetAllDpi(96);
    EXPECT_EQ(-12, FontHeight(big.GetFontHandle(7)));
    small.RemoveFont(7, true);
}
