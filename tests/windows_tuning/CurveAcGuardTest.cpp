// The calibration display with what a faulty reply or a squeezed layout can give it: values that are not
// numbers and a plot a few pixels small.
#include "UIControls.h"
#include "UIEqualizerAc.h"
#include "widgets/WidgetTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

using namespace SkinUI;
using namespace WindowTest;
using namespace WidgetTest;

namespace {

std::wstring Layout(int width, int height) {
    return L"<Window size=\"" + std::to_wstring(width + 20) + L"," + std::to_wstring(height + 20) +
           L"\"><VerticalLayout bkcolor=\"#FF000000\" inset=\"10,10,10,10\"><CurveAc name=\"ac\" bkcolor=\"#FF111418\"/>"
           L"</VerticalLayout></Window>";
}

// One spectrum of 121 points, 20 Hz to 20 kHz, every level `level`.
void SetSpectrum(UIEqualizerAc* ac, double level) {
    std::vector<double> f(121), g(121, level);
    for (int i = 0; i < 121; ++i) f[i] = 20.0 * std::pow(1000.0, i / 120.0);
    const BYTE shown[1] = {1};
    ac->SetCurves121(f.data(), g.data(), 1, 0, shown);
}

}  // namespace

TEST(CurveAcGuards, NonNumbersAndTinyPlots) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    {
        // Levels that are not numbers lie on the 0 dB line: plot 400 x 200 at (10, 10), 0 dB at y = 110.
        CWidgetWindow window(Layout(400, 200));
        ASSERT_NE(window.Create(nullptr, 1250, 650), nullptr);
        auto* ac = static_cast<UIEqualizerAc*>(window.Control(L"ac"));
        ASSERT_NE(ac, nullptr);
        SetSpectrum(ac, nan);
        const Picture picture = Capture(window);
        const DWORD spectrum = UIEqualizerAc::SpectrumColor(0) & 0xFFFFFF;
        int onLine = 0, elsewhere = 0;
        for (int x = 20; x < 400; ++x) {
            onLine += picture.RowsOf(x, spectrum, 108, 112).empty() ? 0 : 1;
            elsewhere += static_cast<int>(picture.RowsOf(x, spectrum, 10, 100).size() + picture.RowsOf(x, spectrum, 120, 210).size());
        }
        EXPECT_GT(onLine, 370);
        EXPECT_EQ(elsewhere, 0);
    }
    {
        // A 2 x 2 plot shows its background only: no frame, grid or curve squeezed into it.
        CWidgetWindow window(Layout(2, 2));
        ASSERT_NE(window.Create(nullptr, 1250, 650), nullptr);
        auto* ac = static_cast<UIEqualizerAc*>(window.Control(L"ac"));
        ASSERT_NE(ac, nullptr);
        SetSpectrum(ac, 3.0);
        const Picture picture = Capture(window);
        for (int x = 10; x < 12; ++x)
            for (int y = 10; y < 12; ++y) EXPECT_EQ(picture.At(x, y), 0x111418u) << x << "," << y;
    }
}
