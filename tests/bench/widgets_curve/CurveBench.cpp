// Times one drag step on the equalizer curve as the main page shows it (880 x 260 at 100 %, ten output
// curves, 21 bands, PEQ), at 100 % and 150 %: a mouse move that changes the band, the notification, and
// the repaint of the control that follows. Beside it: repainting the same area with nothing changed (the
// picture's share of a step), and repainting it with an empty plot (frame and grid only), the floor of
// this window.
// Run under Wine and Xvfb: widgets_curve_bench.exe [steps]
#include <windows.h>

#include "bench/BenchClock.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "UIControls.h"
#include "UIEqualizer.h"
#include "UIWindowImplBase.h"
#include "model/OutputCurve.h"
#include "model/ResponseMath.h"

using namespace SkinUI;

namespace {

const wchar_t kLayout[] =
    L"<Window size=\"900,280\"><VerticalLayout bkcolor=\"#FF15181D\" inset=\"10,10,10,10\">"
    L"<Curve name=\"equalizer\" bkcolor=\"#FF111418\" font=\"0\" curvecolor=\"#FF5AA9F0 #FFF28E2B #FF7BD389"
    L" #FFE15759 #FFB07AA1 #FF76D7EA #FFEDC948 #FFFF9DA7 #FFC9A27E #FFB6BDC6\"/></VerticalLayout></Window>";

class CBenchWindow : public WindowImplBase {
public:
    explicit CBenchWindow(int dpi) : m_dpi(dpi) {}

protected:
    void OnInitWindow() override { m_pm.ApplyDpi(m_dpi); }
    const wchar_t* GetWndClassName() const override { return L"CurveBenchWnd"; }
    CUIString GetLayoutFile() const override { return CUIString(kLayout); }
    CControlUI* CreateControl(const wchar_t* className) override {
        return EqualsIgnoreCase(className, L"Curve") ? new UIEqualizer : nullptr;
    }

private:
    int m_dpi;
};

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void Print(const char* what, std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    double mean = 0;
    for (double m : ms) mean += m;
    mean /= ms.size();
    printf("%-44s %5zu runs  min %7.3f ms  median %7.3f ms  mean %7.3f ms\n", what, ms.size(), ms.front(),
           ms[ms.size() / 2], mean);
}

void Fill(UIEqualizer& curve) {
    EqBand bands[21];
    for (int k = 0; k < 21; ++k) bands[k] = EqBand(k % 3 == 0 ? 3.0f : 0.0f, 1.41f, ThirdOctaveBands[k + 5], 1);
    std::vector<double> axis(CurvePoints), freqs(10 * CurvePoints), gains(10 * CurvePoints), hp(CurvePoints),
        lp(CurvePoints);
    MakeLogFreqAxis(CurveSampleRate, CurvePoints, axis.data());
    int shown[10];
    for (int n = 0; n < 10; ++n) {
        ChannelConfig channel;
        channel.eqArray = bands;
        channel.eqSize = 21;
        channel.crossover.hp = CrossoverFilter(40 + 60 * n, FilterLinkwitzRiley, 4);
        OutputResponseDb(channel, n != 0, axis.data(), CurvePoints, hp.data(), lp.data(), gains.data() + n * CurvePoints);
        std::copy(axis.begin(), axis.end(), freqs.begin() + n * CurvePoints);
        shown[n] = 1;
    }
    curve.SetDragAllDirection(true);
    curve.SetCurEqBand(bands, 21, 10);
    curve.setCurEqHpLp(40, 20000);
    curve.SetEqResponse(freqs.data(), gains.data(), 10, 0, shown);
}

int Measure(int dpi, int steps) {
    CBenchWindow window(dpi);
    HWND hwnd = window.CreateNativeWindow(nullptr, L"bench", WS_POPUP | WS_VISIBLE, WS_EX_TOOLWINDOW, 0, 0, 0, 0);
    if (!hwnd) {
        printf("the window was not created\n");
        return 1;
    }
    UpdateWindow(hwnd);
    Pump();
    auto* curve = static_cast<UIEqualizer*>(window.GetPaintManager()->FindControlByName(L"equalizer"));
    if (!curve) {
        printf("no curve control\n");
        return 1;
    }
    Fill(*curve);
    UpdateWindow(hwnd);
    Pump();
    const RECT area = curve->GetPos();
    const POINT start = curve->GetBandPoint(10);
    SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(start.x, start.y));
    Pump();
    std::vector<double> drag, empty;
    for (int i = 0; i < steps; ++i) {
        // Back and forth over 60 px, so each step changes frequency and gain.
        const int offset = (i % 60) < 30 ? (i % 30) * 2 : 60 - (i % 30) * 2;
        double before = BenchSeconds();
        SendMessageW(hwnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(start.x + offset + 1, start.y + offset / 2 + 1));
        UpdateWindow(hwnd);
        drag.push_back((BenchSeconds() - before) * 1e3);
        before = BenchSeconds();
        InvalidateRect(hwnd, &area, FALSE);
        UpdateWindow(hwnd);
        empty.push_back((BenchSeconds() - before) * 1e3);
    }
    SendMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(start.x, start.y));
    Pump();
    // The floor of this window: the same area with an empty plot (frame and grid only).
    curve->SetCurEqBand(nullptr, 0, -1);
    curve->setCurEqHpLp(-1, -1);
    const std::vector<double> nothing(CurvePoints, 0.0);
    const int hidden[1] = {0};
    curve->SetEqResponse(nothing.data(), nothing.data(), 1, 5, hidden);
    std::vector<double> bare;
    for (int i = 0; i < steps; ++i) {
        const double before = BenchSeconds();
        InvalidateRect(hwnd, &area, FALSE);
        UpdateWindow(hwnd);
        bare.push_back((BenchSeconds() - before) * 1e3);
    }
    printf("%d %%: curve %ldx%ld, 10 curves, 21 bands\n", dpi * 100 / 96, area.right - area.left,
           area.bottom - area.top);
    Print("drag step (move, notify, repaint)", drag);
    Print("repaint of the same area, nothing changed", empty);
    Print("floor: repaint of the same area, empty plot", bare);
    DestroyWindow(hwnd);
    Pump();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const int steps = argc > 1 ? std::max(10, atoi(argv[1])) : 400;
    RegisterControlClasses();
    for (int dpi : {96, 144})
        if (Measure(dpi, steps) != 0) return 1;
    return 0;
}
