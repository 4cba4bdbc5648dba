// The colour shadow's picture (soft edge, the part hidden under the window, offsets, sizes out of the
// usual range), the settings' ranges and copies, the window shape read from a window region, and the
// shadow window following its skin window through moves, resizes, maximising, hiding and disabling.
#include "WindowTestSupport.h"

#include <vector>

#include "UIShadow.h"

using namespace SkinUI;

namespace {

TShadowShape Rectangle(int width, int height) {
    TShadowShape shape;
    shape.width = width;
    shape.height = height;
    shape.rows.assign(height, TShadowSpan{0, width});
    return shape;
}

// The shadow's pixels in image rows (top first) with a few canary words after the end.
struct Picture {
    Picture(const CShadowUI& shadow, const TShadowShape& shape)
        : width(shape.width + 2 * shadow.GetSize()), height(shape.height + 2 * shadow.GetSize()),
          pixels(static_cast<size_t>(width) * height + kCanaries, kCanary) {
        std::fill(pixels.begin(), pixels.end() - kCanaries, 0u);
        shadow.MakeShadow(pixels.data(), shape);
    }
    DWORD At(int x, int y) const { return pixels[static_cast<size_t>(height - 1 - y) * width + x]; }
    int Alpha(int x, int y) const { return At(x, y) >> 24; }
    bool CanariesIntact() const {
        for (size_t i = pixels.size() - kCanaries; i < pixels.size(); ++i)
            if (pixels[i] != kCanary) return false;
        return true;
    }
    static constexpr size_t kCanaries = 64;
    static constexpr DWORD kCanary = 0xDEADBEEF;
    int width, height;
    std::vector<DWORD> pixels;
};

void Configure(CShadowUI& shadow, int size, unsigned sharpness, unsigned darkness, DWORD color = 0) {
    shadow.SetSize(size);
    shadow.SetSharpness(sharpness);
    shadow.SetDarkness(darkness);
    shadow.SetColor(color);
}

}  // namespace

TEST(ShadowPicture, SoftEdgeFadesOutOverTheKernelRadius) {
    CShadowUI shadow;
    Configure(shadow, 10, 5, 150);
    Picture picture(shadow, Rectangle(100, 80));
    ASSERT_EQ(120, picture.width);
    ASSERT_EQ(100, picture.height);
    // Left of the window at mid height: the window's edge column is x = 10 in the picture.
    for (int d = 1; d <= 5; ++d) EXPECT_EQ(150, picture.Alpha(10 - d, 50)) << "distance " << d;
    int previous = 150;
    for (int d = 6; d <= 10; ++d) {
        const int alpha = picture.Alpha(10 - d, 50);
        const int expected = 150 * (11 - d) / 6;  // 150 x (1 - (d - 5) / 6)
        EXPECT_NEAR(expected, alpha, 1) << "distance " << d;
        EXPECT_LT(alpha, previous);
        previous = alpha;
    }
    EXPECT_EQ(25, picture.Alpha(0, 50)) << "distance 10";
    // The same on the right, above and below.
    EXPECT_EQ(25, picture.Alpha(119, 50));
    EXPECT_EQ(25, picture.Alpha(60, 0));
    EXPECT_EQ(25, picture.Alpha(60, 99));
    EXPECT_EQ(150, picture.Alpha(113, 40));
    EXPECT_TRUE(picture.CanariesIntact());
}

TEST(ShadowPicture, TheWindowsAreaStaysClearAndColourIsPremultiplied) {
    CShadowUI shadow;
    Configure(shadow, 6, 2, 200, 0xFF8040C0);
    Picture picture(shadow, Rectangle(40, 30));
    for (int y = 6; y < 36; y += 5)
        for (int x = 6; x < 46; x += 7) EXPECT_EQ(0u, picture.At(x, y)) << x << "," << y;
    // Next to the window the shadow is at full darkness: colour bytes times 200 / 255.
    const DWORD full = picture.At(5, 20);
    EXPECT_EQ(200u, full >> 24);
    EXPECT_EQ(0x80u * 200 / 255, full >> 16 & 0xFF);
    EXPECT_EQ(0x40u * 200 / 255, full >> 8 & 0xFF);
    EXPECT_EQ(0xC0u * 200 / 255, full & 0xFF);
    EXPECT_EQ(CShadowUI::PreMultiply(0xFF8040C0, 200) | 200u << 24, full);
}

TEST(ShadowPicture, AnOffsetMovesTheClearAreaWithTheWindow) {
    CShadowUI shadow;
    Configure(shadow, 10, 5, 150);
    ASSERT_TRUE(shadow.SetPosition(5, 5));
    Picture picture(shadow, Rectangle(100, 80));
    // The shadow moves by (5, 5); the window covers the picture from (5, 5) to (105, 85).
    EXPECT_EQ(0u, picture.At(5, 5));
    EXPECT_EQ(0u, picture.At(104, 84));
    EXPECT_EQ(150, picture.Alpha(107, 50)) << "shadow body seen right of the window";
    EXPECT_EQ(150, picture.Alpha(50, 87)) << "shadow body seen below the window";
    EXPECT_NEAR(100, picture.Alpha(3, 50), 1) << "the soft left edge, 7 pixels out, beside the window";
    const RECT placed = shadow.GetShadowRect(RECT{200, 100, 300, 180});
    EXPECT_EQ(195, placed.left);
    EXPECT_EQ(95, placed.top);
    EXPECT_EQ(315, placed.right);
    EXPECT_EQ(195, placed.bottom);
}

TEST(ShadowPicture, OddSizesStayInsideThePicture) {
    CShadowUI sharp;
    Configure(sharp, 2, 6, 100);
    Picture eroded(sharp, Rectangle(50, 40));
    EXPECT_TRUE(eroded.CanariesIntact());
    EXPECT_EQ(0u, eroded.At(27, 22));

    CShadowUI negative;
    Configure(negative, -5, 3, 100);
    Picture inset(negative, Rectangle(50, 40));
    EXPECT_EQ(40, inset.width);
    EXPECT_TRUE(inset.CanariesIntact());

    TShadowShape ragged = Rectangle(30, 30);
    for (int y = 0; y < 30; y += 3) ragged.rows[y] = {30, 0};  // rows outside the region
    ragged.rows[10] = {-4, 50};                               // a span wider than the window
    CShadowUI wide;
    Configure(wide, 8, 8, 255);
    Picture odd(wide, ragged);
    EXPECT_TRUE(odd.CanariesIntact());
}

TEST(ShadowSettings, RangesAreEnforced) {
    CShadowUI shadow;
    EXPECT_EQ(0, shadow.GetSize());
    EXPECT_EQ(5u, shadow.GetSharpness());
    EXPECT_EQ(150u, shadow.GetDarkness());
    EXPECT_FALSE(shadow.SetSize(36));
    EXPECT_FALSE(shadow.SetSize(-36));
    EXPECT_EQ(0, shadow.GetSize());
    EXPECT_TRUE(shadow.SetSize(35));
    EXPECT_TRUE(shadow.SetSize(-35));
    EXPECT_FALSE(shadow.SetSharpness(36));
    EXPECT_TRUE(shadow.SetSharpness(35));
    EXPECT_FALSE(shadow.SetDarkness(256));
    EXPECT_TRUE(shadow.SetDarkness(255));
    EXPECT_FALSE(shadow.SetPosition(36, 0));
    EXPECT_FALSE(shadow.SetPosition(0, -36));
    EXPECT_TRUE(shadow.SetPosition(-35, 35));
    EXPECT_FALSE(shadow.SetImage(nullptr));
    EXPECT_FALSE(shadow.IsImageMode());
    EXPECT_FALSE(shadow.SetShadowCorner(RECT{1, -1, 1, 1}));
    EXPECT_TRUE(shadow.SetColor(0x12345678));
    EXPECT_EQ(0x12345678u, shadow.GetColor());
}

TEST(ShadowSettings, CopyTakesTheLookOfItsMode) {
    CShadowUI colour;
    Configure(colour, 7, 3, 90, 0xFF00FF00);
    colour.SetPosition(2, -3);
    colour.ShowShadow(true);
    CShadowUI copy;
    EXPECT_TRUE(colour.CopyShadow(&copy));
    EXPECT_EQ(7, copy.GetSize());
    EXPECT_EQ(3u, copy.GetSharpness());
    EXPECT_EQ(90u, copy.GetDarkness());
    EXPECT_EQ(0xFF00FF00u, copy.GetColor());
    EXPECT_EQ(2, copy.GetPosition().x);
    EXPECT_EQ(-3, copy.GetPosition().y);
    EXPECT_TRUE(copy.IsShowShadow());

    CShadowUI image;
    image.SetImage(L"shadow.png");
    image.SetShadowCorner(RECT{8, 8, 8, 8});
    image.SetSize(4);
    CShadowUI imageCopy;
    image.CopyShadow(&imageCopy);
    EXPECT_TRUE(imageCopy.IsImageMode());
    EXPECT_EQ(L"shadow.png", std::wstring(imageCopy.GetImage().Data()));
    EXPECT_EQ(4, imageCopy.GetSize());
    EXPECT_EQ(5u, imageCopy.GetSharpness()) << "an image shadow copies no sharpness";
    EXPECT_FALSE(imageCopy.IsShowShadow());
}

TEST(ShadowShape, ReadFromTheWindowRegion) {
    HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 10, 10, 60, 40, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, window);
    TShadowShape whole = CShadowUI::ReadShape(window);
    ASSERT_EQ(60, whole.width);
    ASSERT_EQ(40u, whole.rows.size());
    EXPECT_EQ(0, whole.rows[0].start) << "without a region the window is its rectangle";
    EXPECT_EQ(60, whole.rows[39].end);

    SetWindowRgn(window, CreateRectRgn(5, 2, 50, 30), FALSE);
    TShadowShape cut = CShadowUI::ReadShape(window);
    EXPECT_GE(cut.rows[0].start, cut.rows[0].end) << "row above the region is empty";
    EXPECT_EQ(5, cut.rows[2].start);
    EXPECT_EQ(50, cut.rows[2].end);
    EXPECT_EQ(5, cut.rows[29].start);
    EXPECT_GE(cut.rows[30].start, cut.rows[30].end);
    DestroyWindow(window);
}

namespace {

RECT WindowRect(HWND window) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    return rect;
}

// Where the shadow of a window at (x, y) of that size goes: size 6, offset (2, 3).
RECT Expected(int x, int y, int width, int height) { return RECT{x + 2 - 6, y + 3 - 6, x + 2 + width + 6, y + 3 + height + 6}; }

std::string Text(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

}  // namespace

TEST(ShadowWindow, FollowsItsWindow) {
    WindowTest::CTestWindow window(LR"(<Window size="200,120" showshadow="true" shadowsize="6" shadowsharpness="3"
        shadowdarkness="120" shadowposition="2,3" shadowcolor="#FF102030" roundcorner="8,8">
        <VerticalLayout bkcolor="#FFFFFFFF"/></Window>)");
    ASSERT_NE(nullptr, window.Create(nullptr, 100, 100));
    HWND hwnd = window.GetHandle();
    CShadowUI* shadow = window.pm().GetShadowWindow();
    EXPECT_EQ(6, shadow->GetSize());
    EXPECT_EQ(0xFF102030u, shadow->GetColor());
    HWND shade = shadow->GetShadowWindow();
    ASSERT_NE(nullptr, shade);
    wchar_t className[32] = {};
    GetClassNameW(shade, className, 32);
    EXPECT_STREQ(L"QuillShadowWnd", className);
    EXPECT_EQ(hwnd, GetWindow(shade, GW_OWNER));
    EXPECT_TRUE(GetWindowLongW(shade, GWL_EXSTYLE) & WS_EX_LAYERED);
    EXPECT_TRUE(IsWindowVisible(shade));
    EXPECT_EQ(Text(Expected(100, 100, 200, 120)), Text(WindowRect(shade)));

    SetWindowPos(hwnd, nullptr, 300, 250, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(Text(Expected(300, 250, 200, 120)), Text(WindowRect(shade))) << "moved with the window";

    // Growing waits for the next paint; shrinking recomputes at once.
    SetWindowPos(hwnd, nullptr, 0, 0, 260, 160, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(Text(Expected(300, 250, 200, 120)), Text(WindowRect(shade)));
    UpdateWindow(hwnd);
    EXPECT_EQ(Text(Expected(300, 250, 260, 160)), Text(WindowRect(shade)));
    SetWindowPos(hwnd, nullptr, 0, 0, 150, 100, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(Text(Expected(300, 250, 150, 100)), Text(WindowRect(shade)));

    ShowWindow(hwnd, SW_MAXIMIZE);
    EXPECT_FALSE(IsWindowVisible(shade)) << "a maximised window has no shadow";
    ShowWindow(hwnd, SW_RESTORE);
    UpdateWindow(hwnd);
    EXPECT_TRUE(IsWindowVisible(shade));
    EXPECT_EQ(Text(Expected(300, 250, 150, 100)), Text(WindowRect(shade)));

    ShowWindow(hwnd, SW_HIDE);
    EXPECT_FALSE(IsWindowVisible(shade));
    ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    UpdateWindow(hwnd);
    EXPECT_TRUE(IsWindowVisible(shade));

    shadow->DisableShadow(true);
    EXPECT_FALSE(IsWindowVisible(shade));
    SetWindowPos(hwnd, nullptr, 320, 260, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    shadow->DisableShadow(false);
    EXPECT_TRUE(IsWindowVisible(shade));
    EXPECT_EQ(Text(Expected(320, 260, 150, 100)), Text(WindowRect(shade))) << "caught up when enabled again";

    DestroyWindow(hwnd);
    EXPECT_FALSE(IsWindow(shade)) << "gone with its window";
}

TEST(ShadowWindow, NoShadowUnlessSwitchedOn) {
    WindowTest::CTestWindow window(LR"(<Window size="100,60" shadowsize="6"><VerticalLayout/></Window>)");
    ASSERT_NE(nullptr, window.Create());
    EXPECT_EQ(nullptr, window.pm().GetShadowWindow()->GetShadowWindow());
}
