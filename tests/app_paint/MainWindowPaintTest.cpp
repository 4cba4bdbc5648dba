// The connected main window painted as the window paints itself (its clip kept beside the DC, each
// background left out under opaque children) against the same tree painted on a plain bitmap past a
// stop control that never comes (every background whole, GDI alone keeping the clip): every byte of
// every pixel agrees, at 100 % and 150 %, whole and in parts, and after the equalizer's band, selection
// and shown curve change under the mouse (its kept picture must follow).
#include "ControllerTestSupport.h"
#include "ScreenInfo.h"
#include "UIControl.h"
#include "UIEqualizer.h"
#include "UIManager.h"
#include "WindowTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace SkinUI;
using namespace ControllerTest;

namespace {

// The tree painted over area on a canvas of the client's size, everything whole.
std::vector<DWORD> PlainPaint(CPaintManagerUI& pm, const SIZE& size, const RECT& area) {
    return WindowTest::PaintTreeOnCanvas(pm, size, area, false, 0x9ABCDEF0u);
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

// The whole client repainted by the window and compared with a plain paint.
std::string RepaintDifferences(HWND window, CPaintManagerUI& pm) {
    RECT client = {};
    GetClientRect(window, &client);
    InvalidateRect(window, nullptr, FALSE);
    UpdateWindow(window);
    GdiFlush();
    const SIZE size = pm.GetOffscreenSize();
    if (!pm.GetOffscreenPixels() || size.cx != client.right || size.cy != client.bottom) return "no picture";
    return Differences(pm.GetOffscreenPixels(), PlainPaint(pm, size, client), size.cx, client);
}

// Hovers a band (selecting it), then drags another one: the selection, its label and the shown curve
// change, during the drag and after it.
void ChangeTheEqualizer(HWND window, CPaintManagerUI& pm, std::vector<std::string>& differences) {
    auto* curve = static_cast<UIEqualizer*>(pm.FindControlByName(L"equalizer"));
    ASSERT_NE(nullptr, curve);
    ASSERT_GT(curve->GetBandCount(), 3);
    auto send = [window](UINT message, WPARAM keys, POINT at) {
        SendMessageW(window, message, keys, MAKELPARAM(at.x, at.y));
    };
    const POINT hovered = curve->GetBandPoint(1);
    send(WM_MOUSEMOVE, 0, hovered);
    ASSERT_EQ(1, curve->GetCurrentControlIndex());
    differences.push_back(RepaintDifferences(window, pm));
    const POINT dragged = curve->GetBandPoint(curve->GetBandCount() / 2);
    send(WM_MOUSEMOVE, 0, dragged);
    send(WM_LBUTTONDOWN, MK_LBUTTON, dragged);
    send(WM_MOUSEMOVE, MK_LBUTTON, POINT{dragged.x + 3, dragged.y - 20});
    differences.push_back(RepaintDifferences(window, pm));
    send(WM_LBUTTONUP, 0, POINT{dragged.x + 3, dragged.y - 20});
    differences.push_back(RepaintDifferences(window, pm));
    send(WM_MOUSEMOVE, 0, hovered);
    differences.push_back(RepaintDifferences(window, pm));
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
        std::vector<std::string> differences;
        ChangeTheEqualizer(run.handle, pm, differences);
        EXPECT_EQ(std::vector<std::string>(4, ""), differences) << "dpi " << dpi;
        EXPECT_TRUE(run.Close());
        SetAutoDpiOverride(0);
    }
}
