// The connected main window painted as the window paints itself (its clip kept beside the DC, each
// background left out under opaque children) against the same tree painted on a plain bitmap past a
// stop control that never comes (every background whole, GDI alone keeping the clip): every byte of
// every pixel agrees, at 100 % and 150 %, whole and in parts.
#include "ControllerTestSupport.h"
#include "ScreenInfo.h"
#include "UIControl.h"
#include "UIManager.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace SkinUI;
using namespace ControllerTest;

namespace {

// The tree painted over area on a top-down 32-bit canvas of the client's size, everything whole.
std::vector<DWORD> PlainPaint(CPaintManagerUI& pm, const SIZE& size, const RECT& area) {
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), size.cx, -size.cy, 1, 32, BI_RGB};
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, bitmap);
    auto* pixels = static_cast<DWORD*>(bits);
    const size_t count = static_cast<size_t>(size.cx) * size.cy;
    std::fill(pixels, pixels + count, 0x9ABCDEF0u);
    CControlUI neverReached;
    pm.GetRootControl()->Paint(dc, area, &neverReached);
    GdiFlush();
    std::vector<DWORD> result(pixels, pixels + count);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return result;
}

// How many pixels of area differ, and the first one.
std::string Differences(const DWORD* actual, const std::vector<DWORD>& expected, int width, const RECT& area) {
    int count = 0;
    std::string first;
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            const size_t i = static_cast<size_t>(y) * width + x;
            if (actual[i] == expected[i]) continue;
            if (count++ == 0)
                first = "(" + std::to_string(x) + ", " + std::to_string(y) + ") " + std::to_string(actual[i]) +
                        " instead of " + std::to_string(expected[i]);
        }
    }
    return count ? first + ", " + std::to_string(count) + " pixels differ" : "";
}

}  // namespace

TEST(MainWindowPaint, OwnPaintMatchesAPlainPaintAtEachScale) {
    for (int dpi : {96, 144}) {
        SetAutoDpiOverride(dpi);
        AmpEmulator emulator;
        MainWindowRun run(emulator);
        ASSERT_NE(nullptr, run.handle);
        ASSERT_TRUE(run.WaitConnected()) << dpi;
        CPaintManagerUI& pm = *run.window->GetPaintManager();
        RECT client = {};
        GetClientRect(run.handle, &client);
        const int w = client.right, h = client.bottom;
        for (const RECT& area : {client, RECT{0, 0, w / 3, h / 2}, RECT{w / 4, h / 3, w * 3 / 4, h}}) {
            InvalidateRect(run.handle, &area, FALSE);
            UpdateWindow(run.handle);
            GdiFlush();
            const SIZE size = pm.GetOffscreenSize();
            ASSERT_EQ(w, size.cx);
            ASSERT_EQ(h, size.cy);
            const DWORD* shown = pm.GetOffscreenPixels();
            ASSERT_NE(nullptr, shown);
            const std::vector<DWORD> plain = PlainPaint(pm, size, area);
            EXPECT_EQ("", Differences(shown, plain, w, area)) << "dpi " << dpi << " area " << area.left << ","
                                                                << area.top << "," << area.right << "," << area.bottom;
        }
        EXPECT_TRUE(run.Close());
        SetAutoDpiOverride(0);
    }
}
