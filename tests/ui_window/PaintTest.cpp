// Painting of windows built from layout XML: the first layout and its notifications, the off-screen
// bitmap and the window, direct painting, the update outline, windows without a tree, layered windows
// (margins, alpha of GDI drawing, the layered image, opacity together with layering, a first paint that
// stops early), printing, rendering a control into a bitmap, and a DPI change.
#include "ImageFolder.h"
#include "WindowTestSupport.h"

#include "UIContainer.h"
#include "UIRender.h"
#include "UIScrollBar.h"
#include "ui_core_render/TestSupport.h"

using namespace SkinUI;
using namespace WindowTest;

namespace {

const wchar_t kTwoColours[] = LR"(<Window size="200,120">
  <VerticalLayout name="root" bkcolor="#FF336699" inset="20,20,20,20">
    <Probe name="p" height="30" bkcolor="#FF00FF00"/>
  </VerticalLayout>
</Window>)";

// A window with a paint manager and no control tree.
class CBareWindow : public CWindowWnd {
public:
    ~CBareWindow() override {
        if (m_hWnd && IsWindow(m_hWnd)) DestroyWindow(m_hWnd);
    }
    CPaintManagerUI pm;

protected:
    const wchar_t* GetWndClassName() const override { return L"BareTestWnd"; }
    LRESULT HandleWndMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_CREATE) pm.AttachWindow(m_hWnd, L"bare");
        LRESULT result = 0;
        if (pm.HandleWindowMessage(message, wParam, lParam, result)) return result;
        return CWindowWnd::HandleWndMessage(message, wParam, lParam);
    }
};

DWORD BitmapPixel(HBITMAP bitmap, int x, int y) {
    DIBSECTION dib = {};
    GetObjectW(bitmap, sizeof dib, &dib);
    const auto* bits = static_cast<const DWORD*>(dib.dsBm.bmBits);
    const int row = dib.dsBmih.biHeight > 0 ? dib.dsBm.bmHeight - 1 - y : y;
    return bits[row * dib.dsBm.bmWidth + x];
}

}  // namespace

TEST(Painting, TheFirstLayoutRaisesWindowInitBeforeAnythingIsDrawn) {
    CTestWindow window(kTwoColours);
    int paintsAtInit = -1;
    window.onNote = [&](TNotifyMessage& msg) {
        if (msg.sType == L"windowinit") paintsAtInit = window.Probe(L"p")->paints;
    };
    ASSERT_NE(nullptr, window.Create());
    EXPECT_EQ(0, paintsAtInit);
    EXPECT_GT(window.Probe(L"p")->paints, 0);
    ASSERT_EQ(1u, window.NotesOf(L"windowinit").size());
    EXPECT_EQ(L"root", window.NotesOf(L"windowinit")[0].sender);
    EXPECT_EQ(1u, window.NotesOf(L"windowsize").size()) << "delivered through the queue by Create's pump";

    // A later layout: "windowsize" waits for the queue.
    SetWindowPos(window.GetHandle(), nullptr, 0, 0, 220, 140, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    UpdateWindow(window.GetHandle());
    EXPECT_EQ(1u, window.NotesOf(L"windowsize").size());
    Pump();
    EXPECT_EQ(2u, window.NotesOf(L"windowsize").size());
    EXPECT_EQ(1u, window.NotesOf(L"windowinit").size());
    EXPECT_EQ(220 - 20, window.Control(L"p")->GetPos().right);
}

TEST(Painting, EveryControlMarkedOutOfDateIsLaidOutAgain) {
    CTestWindow window(LR"(<Window size="200,120">
  <VerticalLayout name="root">
    <HorizontalLayout name="a" height="40"><Probe name="leaf"/></HorizontalLayout>
    <HorizontalLayout name="b" height="40"><Probe name="p"/></HorizontalLayout>
  </VerticalLayout>
</Window>)");
    ASSERT_NE(nullptr, window.Create());
    ASSERT_EQ(0, window.Control(L"p")->GetPos().left);
    // A plain control marked before a container that is marked after it, the root not at all.
    window.Control(L"leaf")->NeedUpdate();
    static_cast<CContainerUI*>(window.Control(L"b"))->SetInset(RECT{10, 0, 0, 0});
    ASSERT_FALSE(window.Control(L"root")->IsUpdateNeeded());
    UpdateWindow(window.GetHandle());
    EXPECT_FALSE(window.Control(L"leaf")->IsUpdateNeeded());
    EXPECT_FALSE(window.Control(L"b")->IsUpdateNeeded());
    EXPECT_EQ(10, window.Control(L"p")->GetPos().left);
}

TEST(Painting, OffscreenBitmapAndWindowShowTheTree) {
    CTestWindow window(kTwoColours);
    ASSERT_NE(nullptr, window.Create());
    CPaintManagerUI& pm = window.pm();
    ASSERT_TRUE(pm.IsOffscreenPaint());
    EXPECT_EQ(200, pm.GetOffscreenSize().cx);
    EXPECT_EQ(0xFF336699u, OffscreenPixel(pm, 5, 5));
    EXPECT_EQ(0xFF00FF00u, OffscreenPixel(pm, 30, 30));
    EXPECT_EQ(0xFF336699u, OffscreenPixel(pm, 30, 60)) << "below the probe";
    EXPECT_EQ(0x336699u, WindowPixel(window.GetHandle(), 5, 5));
    EXPECT_EQ(0x00FF00u, WindowPixel(window.GetHandle(), 30, 30));
    EXPECT_FALSE(pm.IsPainting());
}

TEST(Painting, DirectPaintingDrawsIntoTheWindowOnly) {
    CTestWindow window(kTwoColours);
    ASSERT_NE(nullptr, window.Create());
    CPaintManagerUI& pm = window.pm();
    pm.SetOffscreenPaint(false);
    window.Control(L"p")->SetBkColor(0xFFFF0000);
    UpdateWindow(window.GetHandle());
    EXPECT_EQ(0xFF0000u, WindowPixel(window.GetHandle(), 30, 30));
    EXPECT_EQ(0xFF00FF00u, OffscreenPixel(pm, 30, 30)) << "the bitmap was not painted";
}

TEST(Painting, TheUpdateOutlineMarksEachPaintedRectangle) {
    CTestWindow window(LR"(<Window size="200,120" showdirty="true">
      <VerticalLayout bkcolor="#FF336699"/></Window>)");
    ASSERT_NE(nullptr, window.Create());
    RECT part = {40, 30, 80, 60};
    InvalidateRect(window.GetHandle(), &part, FALSE);
    UpdateWindow(window.GetHandle());
    EXPECT_EQ(0xDC0000u, WindowPixel(window.GetHandle(), 40, 45));
    EXPECT_EQ(0xDC0000u, WindowPixel(window.GetHandle(), 60, 30));
    EXPECT_EQ(0x336699u, WindowPixel(window.GetHandle(), 60, 45));
    EXPECT_EQ(0xFF336699u, OffscreenPixel(window.pm(), 40, 45)) << "the outline is not part of the picture";
}

TEST(Painting, AWindowWithoutATreeIsBlack) {
    CBareWindow window;
    HWND hwnd = window.CreateNativeWindow(nullptr, L"bare", WS_POPUP | WS_VISIBLE, WS_EX_TOOLWINDOW, 10, 10, 60, 40);
    ASSERT_NE(nullptr, hwnd);
    InvalidateRect(hwnd, nullptr, FALSE);
    UpdateWindow(hwnd);
    EXPECT_EQ(0x000000u, WindowPixel(hwnd, 30, 20));
    RECT update = {};
    EXPECT_FALSE(GetUpdateRect(hwnd, &update, FALSE)) << "the paint was validated";
}

TEST(LayeredPainting, MarginsStayTransparentAndGdiDrawingBecomesOpaque) {
    CTestWindow window(LR"(<Window size="200,120" layered="true">
      <VerticalLayout inset="10,10,10,10">
        <Probe name="green" height="40" bkcolor="#FF00FF00"/>
        <Probe name="gdi" height="20" gdicolor="FF8000"/>
      </VerticalLayout></Window>)");
    ASSERT_NE(nullptr, window.Create());
    CPaintManagerUI& pm = window.pm();
    ASSERT_TRUE(pm.IsLayeredWindow());
    EXPECT_TRUE(GetWindowLongW(window.GetHandle(), GWL_EXSTYLE) & WS_EX_LAYERED);
    EXPECT_TRUE(pm.IsLastLayeredUpdateOk());
    EXPECT_EQ(0xFF00FF00u, OffscreenPixel(pm, 20, 20));
    EXPECT_EQ(0x00000000u, OffscreenPixel(pm, 5, 5)) << "the margin is untouched";
    EXPECT_EQ(0x00000000u, OffscreenPixel(pm, 100, 100));
    EXPECT_EQ(0xFFFF8000u, OffscreenPixel(pm, 20, 60)) << "GDI left alpha 0; the fix-up makes it opaque";

    // A repaint of part of the window clears that part first.
    window.Control(L"green")->SetBkColor(0x00000000);
    UpdateWindow(window.GetHandle());
    EXPECT_EQ(0x00000000u, OffscreenPixel(pm, 20, 20));
}

TEST(LayeredPainting, OpacityTogetherWithLayeringKeepsUpdatesWorking) {
    struct {
        const char* order;
        const wchar_t* layout;
    } const cases[] = {
        {"opacity first", LR"(<Window size="100,60" opacity="200" layered="true"><Control bkcolor="#FF0000FF"/></Window>)"},
        {"layered first", LR"(<Window size="100,60" layered="true" opacity="200"><Control bkcolor="#FF0000FF"/></Window>)"},
    };
    for (const auto& test : cases) {
        CTestWindow window(test.layout);
        ASSERT_NE(nullptr, window.Create());
        EXPECT_EQ(200, window.pm().GetOpacity());
        EXPECT_TRUE(window.pm().IsLastLayeredUpdateOk()) << test.order;
        EXPECT_EQ(0xFF0000FFu, OffscreenPixel(window.pm(), 50, 30));
    }
    // Without layering the opacity is the window's constant alpha.
    CTestWindow plain(LR"(<Window size="100,60" opacity="128"><Control bkcolor="#FF0000FF"/></Window>)");
    ASSERT_NE(nullptr, plain.Create());
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(plain.GetHandle(), nullptr, &alpha, &flags));
    EXPECT_EQ(128, alpha);
    EXPECT_TRUE(flags & LWA_ALPHA);
}

TEST(LayeredPainting, TheLayeredImageGivesEachPixelItsAlpha) {
    CImageFolder folder(L"uiwin");
    folder.Write(L"img\\half.png", 4, 4, {0xFFFFFF80});  // white at alpha 0x80
    CTestWindow window(LR"(<Window size="100,60" layeredimage="file='img/half.png'">
      <Control bkcolor="#FF00FF00"/></Window>)");
    ASSERT_NE(nullptr, window.Create());
    ASSERT_TRUE(window.pm().IsLayeredWindow());
    EXPECT_EQ(0x80008000u, OffscreenPixel(window.pm(), 50, 30)) << "green premultiplied by the image's alpha";
}

TEST(LayeredPainting, AFirstPaintThatStopsEarlyLeavesNoPaintingFlag) {
    CTestWindow window(LR"(<Window size="100,60" layeredopacity="255"><Control bkcolor="#FF0000FF"/></Window>)");
    HWND hwnd = window.CreateNativeWindow(nullptr, L"early", WS_POPUP, WS_EX_TOOLWINDOW, 30, 30, 0, 0);
    ASSERT_NE(nullptr, hwnd);
    window.pm().SetLayeredWindow(true);
    ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    UpdateWindow(hwnd);  // the first paint: windowinit, then it stops for the layered set-up
    EXPECT_EQ(1u, window.NotesOf(L"windowinit").size());
    EXPECT_FALSE(window.pm().IsPainting());
    Pump();  // the paint asked for draws the window
    EXPECT_FALSE(window.pm().IsPainting());
    EXPECT_EQ(0xFF0000FFu, OffscreenPixel(window.pm(), 50, 30));
    EXPECT_TRUE(window.pm().IsLastLayeredUpdateOk());
}

TEST(Painting, PrintClientPaintsIntoTheGivenContext) {
    CTestWindow window(kTwoColours);
    ASSERT_NE(nullptr, window.Create());
    TestSupport::Canvas canvas(200, 120);
    SendMessageW(window.GetHandle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.dc()), PRF_CLIENT);
    EXPECT_EQ(0x336699u, canvas.Rgb(5, 5));
    EXPECT_EQ(0x00FF00u, canvas.Rgb(30, 30));
}

TEST(Painting, AControlRenderedIntoABitmap) {
    CTestWindow window(kTwoColours);
    ASSERT_NE(nullptr, window.Create());
    CControlUI* probe = window.Control(L"p");
    const RECT pos = probe->GetPos();
    HBITMAP bitmap = CUIRender::GenerateBitmap(&window.pm(), probe, pos);
    ASSERT_NE(nullptr, bitmap);
    BITMAP info = {};
    GetObjectW(bitmap, sizeof info, &info);
    EXPECT_EQ(pos.right - pos.left, info.bmWidth);
    EXPECT_EQ(30, info.bmHeight);
    EXPECT_EQ(0x00FF00u, BitmapPixel(bitmap, 3, 3) & 0xFFFFFF);
    DeleteObject(bitmap);

    // The whole tree over a rectangle, with a filter colour laid over it.
    bitmap = CUIRender::GenerateBitmap(&window.pm(), RECT{0, 0, 50, 50}, nullptr, 0xFF0000FF);
    ASSERT_NE(nullptr, bitmap);
    EXPECT_EQ(0x0000FFu, BitmapPixel(bitmap, 2, 2) & 0xFFFFFF);
    DeleteObject(bitmap);
    bitmap = CUIRender::GenerateBitmap(&window.pm(), RECT{0, 0, 50, 50}, nullptr);
    EXPECT_EQ(0x336699u, BitmapPixel(bitmap, 2, 2) & 0xFFFFFF);
    EXPECT_EQ(0x00FF00u, BitmapPixel(bitmap, 25, 25) & 0xFFFFFF);
    DeleteObject(bitmap);
    EXPECT_EQ(nullptr, CUIRender::GenerateBitmap(&window.pm(), probe, RECT{10, 10, 10, 40}));
}

TEST(Painting, ScrollBarPartImagesFollowTheirPartsWithoutACacheEntryEach) {
    CImageFolder folder(L"uiwin");
    folder.Write(L"img\\thumb.png", 4, 4, {0xFF0000FF});  // red
    CTestWindow window(LR"(<Window size="120,100">
      <VerticalLayout name="root" vscrollbar="true" bkcolor="#FFFFFFFF">
        <Control height="150"/><Control height="150"/>
      </VerticalLayout></Window>)");
    ASSERT_NE(nullptr, window.Create());
    CPaintManagerUI& pm = window.pm();
    CScrollBarUI* bar = static_cast<CContainerUI*>(window.Control(L"root"))->GetVerticalScrollBar();
    ASSERT_TRUE(bar && bar->IsVisible());
    const wchar_t* thumbImage = L"file='img/thumb.png'";
    bar->SetThumbImage(CScrollBarUI::kNormal, thumbImage);
    for (int position : {0, 120}) {
        static_cast<CContainerUI*>(window.Control(L"root"))->SetScrollPos(SIZE{0, position});
        UpdateWindow(window.GetHandle());
        const RECT thumb = bar->GetThumbRect();
        ASSERT_FALSE(IsRectEmpty(&thumb));
        EXPECT_EQ(0xFF0000u, OffscreenPixel(pm, (thumb.left + thumb.right) / 2, (thumb.top + thumb.bottom) / 2) & 0xFFFFFF)
            << "at " << position;
        EXPECT_EQ(0xFF0000u, OffscreenPixel(pm, thumb.left, thumb.top) & 0xFFFFFF);
        EXPECT_NE(0xFF0000u, OffscreenPixel(pm, thumb.left, thumb.top - 1) & 0xFFFFFF);
    }
    // No description with the thumb's place as its "dest" was cached: asked for now, at another scale,
    // one is made afresh at that scale.
    const RECT thumb = bar->GetThumbRect();
    const RECT item = bar->GetPos();
    CUIString modify;
    modify.Format(L"dest='%d,%d,%d,%d'", thumb.left - item.left, thumb.top - item.top, thumb.right - item.left,
                  thumb.bottom - item.top);
    pm.GetDpiScaler()->SetScale(192);
    const TImageDrawInfo* info = pm.GetImageDrawInfo(thumbImage, modify.Data());
    ASSERT_NE(nullptr, info);
    EXPECT_EQ(2 * (thumb.right - item.left), info->dest.right);
    pm.GetDpiScaler()->SetScale(96);
}

TEST(Dpi, AChangeResizesTheWindowAndItsAssets) {
    CImageFolder folder(L"uiwin");
    folder.Write(L"img\\dot.png", 2, 2, {0xFF0000FF});      // red
    folder.Write(L"img\\dot@150.png", 3, 3, {0x0000FFFF});  // blue
    CTestWindow window(LR"(<Window size="300,200">
      <Font id="1" name="Tahoma" size="12"/>
      <HorizontalLayout bkcolor="#FFFFFFFF">
        <Probe name="p" width="100" bkimage="img/dot.png"/>
        <Control/>
      </HorizontalLayout></Window>)");
    ASSERT_NE(nullptr, window.Create());
    CPaintManagerUI& pm = window.pm();
    // Images drawn without translucency leave the alpha of a plain window's bitmap undefined.
    EXPECT_EQ(0xFF0000u, OffscreenPixel(pm, 50, 50) & 0xFFFFFF);
    LOGFONTW font = {};
    GetObjectW(pm.GetFontHandle(1), sizeof font, &font);
    EXPECT_EQ(-12, font.lfHeight);

    pm.ApplyDpi(144);
    RECT rect = {};
    GetWindowRect(window.GetHandle(), &rect);
    EXPECT_EQ(450, rect.right - rect.left);
    EXPECT_EQ(300, rect.bottom - rect.top);
    GetObjectW(pm.GetFontHandle(1), sizeof font, &font);
    EXPECT_EQ(-18, font.lfHeight);
    // Nothing is posted: WM_USER + 2 has a meaning of its own for some window classes.
    MSG posted = {};
    EXPECT_FALSE(PeekMessageW(&posted, window.GetHandle(), WM_USER + 2, WM_USER + 2, PM_NOREMOVE));
    UpdateWindow(window.GetHandle());
    Pump();
    EXPECT_EQ(150, window.Control(L"p")->GetWidth());
    EXPECT_EQ(0x0000FFu, OffscreenPixel(pm, 50, 50) & 0xFFFFFF) << "the 150 % picture";
    EXPECT_EQ(0xFFFFFFu, OffscreenPixel(pm, 160, 50) & 0xFFFFFF);

    CPaintManagerUI::SetAllDpi(96);
    GetWindowRect(window.GetHandle(), &rect);
    EXPECT_EQ(300, rect.right - rect.left);
    UpdateWindow(window.GetHandle());
    EXPECT_EQ(0xFF0000u, OffscreenPixel(pm, 50, 50) & 0xFFFFFF);
}
