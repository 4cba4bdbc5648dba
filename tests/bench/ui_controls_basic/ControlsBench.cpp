// Times what a user waits for with the standard controls: a combo of 100 items opening (the click to its
// popup painted) and one step of a slider drag (the mouse move to the slider repainted), each beside the
// floor it must stay under. Run under Wine and Xvfb: ui_controls_basic_bench.exe [opens] [steps]
#include <windows.h>

#include "bench/BenchWindow.h"
#include <ole2.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "UICombo.h"
#include "UIControls.h"
#include "UIProgress.h"
#include "UIWindowImplBase.h"

using namespace SkinUI;

namespace {

constexpr double kComboOpenFloorMs = 100.0;  // a response the user sees as immediate
constexpr double kDragStepFloorMs = 16.7;    // one frame at 60 Hz: a drag that keeps up with the mouse

std::wstring MakeLayout(int items) {
    std::wstring xml = L"<Window size=\"600,400\"><VerticalLayout inset=\"10,10,10,10\" childpadding=\"10\">";
    xml += L"<Combo name=\"combo\" width=\"160\" height=\"26\" itemtextpadding=\"6,0,6,0\" itemvalign=\"vcenter\">";
    for (int i = 0; i < items; ++i) xml += L"<ListLabelElement height=\"22\" text=\"Item " + std::to_wstring(i) + L"\"/>";
    xml += L"</Combo>";
    xml += L"<Slider name=\"slider\" width=\"400\" height=\"20\" max=\"1000\" thumbsize=\"12,20\" sendmove=\"true\" "
           L"bkcolor=\"#FFC8D0D8\" forecolor=\"#FF337AB7\"/>";
    for (int i = 0; i < 20; ++i)
        xml += L"<HorizontalLayout height=\"12\"><Button width=\"80\" text=\"b\"/><Label text=\"label\"/></HorizontalLayout>";
    xml += L"</VerticalLayout></Window>";
    return xml;
}

void Print(const char* what, const std::vector<double>& ms, double floor) {
    const TStats stats = Summarise(ms);
    printf("%-40s %5d runs  min %7.2f ms  median %7.2f ms  mean %7.2f ms  floor %6.1f ms  %s\n", what,
           static_cast<int>(ms.size()), stats.min, stats.median, stats.mean, floor,
           stats.median <= floor ? "within" : "ABOVE THE FLOOR");
}

void MeasureComboOpen(CBenchWindow& window, int opens) {
    auto* combo = static_cast<CComboUI*>(window.pm().FindControlByName(L"combo"));
    std::vector<double> times;
    for (int i = 0; i < opens + 1; ++i) {
        combo->SelectItem(i % 100);
        Pump();
        const double start = BenchSeconds();
        combo->Activate();
        CComboWnd* popup = combo->GetDropWindow();
        if (!popup) {
            printf("the combo did not open\n");
            return;
        }
        UpdateWindow(popup->GetHandle());  // layout, scroll to the selection, first paint
        const double opened = BenchSeconds() - start;
        SetFocus(window.GetHandle());
        Pump();
        if (i > 0) times.push_back(opened * 1e3);  // the first open pays the process's first-use costs
    }
    Print("combo of 100 items: click to popup painted", times, kComboOpenFloorMs);
}

void MeasureDragStep(CBenchWindow& window, int steps) {
    auto* slider = static_cast<CSliderUI*>(window.pm().FindControlByName(L"slider"));
    const RECT thumb = slider->GetThumbRect();
    const int x = (thumb.left + thumb.right) / 2, y = (thumb.top + thumb.bottom) / 2;
    HWND hwnd = window.GetHandle();
    SendMessageW(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
    SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    std::vector<double> times;
    for (int i = 1; i <= steps; ++i) {
        const int dx = (i % 200) < 100 ? (i % 100) * 3 : (100 - i % 100) * 3;
        const double start = BenchSeconds();
        SendMessageW(hwnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x + dx, y));
        UpdateWindow(hwnd);
        times.push_back((BenchSeconds() - start) * 1e3);
    }
    SendMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    Pump();
    Print("slider drag step: move to repainted", times, kDragStepFloorMs);
}

}  // namespace

int main(int argc, char** argv) {
    const int opens = argc > 1 ? std::max(1, atoi(argv[1])) : 30;
    const int steps = argc > 2 ? std::max(1, atoi(argv[2])) : 300;
    OleInitialize(nullptr);
    CPaintManagerUI::SetModuleInstance(GetModuleHandleW(nullptr));
    RegisterControlClasses();
    {
        CBenchWindow window(MakeLayout(100), L"ControlsBenchWnd");
        if (!window.CreateNativeWindow(nullptr, L"bench", WS_POPUP | WS_VISIBLE, WS_EX_TOOLWINDOW, 0, 0, 0, 0)) {
            printf("the window was not created\n");
            return 1;
        }
        SetForegroundWindow(window.GetHandle());
        UpdateWindow(window.GetHandle());
        Pump();
        MeasureComboOpen(window, opens);
        MeasureDragStep(window, steps);
    }
    CPaintManagerUI::ShutdownShared(true);
    OleUninitialize();
    return 0;
}
