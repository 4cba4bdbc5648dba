// Control tree benchmark: building a layout of about 1,000 controls from XML text and laying it out, then
// laying it out again after the window size changes. Prints the best and the median of several runs.
//   ui_tree_bench.exe [runs]
#include "UIControl.h"
#include "UIDlgBuilder.h"
#include "UIManager.h"

#include <windows.h>

#include "bench/BenchClock.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace SkinUI;

namespace {

constexpr int kRows = 40;
constexpr int kColumns = 24;

// A scrolling column of rows; each row mixes fixed and shared widths, padding and a nested layout.
std::wstring MakeLayout() {
    std::wstring xml = L"<Window><Style name=\"cell\" value=\"bkcolor=&quot;#FF336699&quot; bordersize=&quot;1&quot; "
                       L"bordercolor=&quot;#FF000000&quot;\"/><VerticalLayout vscrollbar=\"true\" inset=\"4,4,4,4\" "
                       L"childpadding=\"2\">";
    for (int row = 0; row < kRows; ++row) {
        xml += L"<HorizontalLayout height=\"24\" childpadding=\"2\" name=\"row" + std::to_wstring(row) + L"\">";
        for (int column = 0; column < kColumns; ++column) {
            if (column % 3 == 0) {
                xml += L"<Control width=\"30\" padding=\"1,2,1,2\" bkcolor=\"cell\"/>";
            } else if (column % 3 == 1) {
                xml += L"<Control minwidth=\"10\" maxwidth=\"80\" name=\"c" + std::to_wstring(row * kColumns + column) + L"\"/>";
            } else {
                xml += L"<Control float=\"false\" bkcolor=\"#FF202020\"/>";
            }
        }
        xml += L"</HorizontalLayout>";
    }
    return xml + L"</VerticalLayout></Window>";
}

double Milliseconds(double start, double end) { return 1000.0 * (end - start); }

void Report(const char* what, std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    printf("%-44s best %8.3f ms   median %8.3f ms\n", what, samples.front(), samples[samples.size() / 2]);
}

int CountControls(CControlUI* root) {
    int count = 0;
    root->FindControl(&CPaintManagerUI::FindControlFromCount, &count, UIFIND_ALL);
    return count;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 20;
    const std::wstring xml = MakeLayout();
    std::vector<double> build, layout, relayout;
    int controls = 0;
    for (int run = 0; run < runs; ++run) {
        CPaintManagerUI manager;
        double t0 = BenchSeconds();
        CUIBuilder builder;
        CControlUI* root = builder.Create(xml.c_str(), nullptr, nullptr, &manager);
        manager.AttachRoot(root);
        double t1 = BenchSeconds();
        root->SetPos(RECT{0, 0, 1230, 650});
        double t2 = BenchSeconds();
        root->SetPos(RECT{0, 0, 1600, 900});
        double t3 = BenchSeconds();
        build.push_back(Milliseconds(t0, t1));
        layout.push_back(Milliseconds(t1, t2));
        relayout.push_back(Milliseconds(t2, t3));
        controls = CountControls(root);
    }
    printf("control tree of %d controls, %d runs\n", controls, runs);
    Report("build from XML and attach", build);
    Report("first layout at 1230 x 650", layout);
    Report("layout again after resize to 1600 x 900", relayout);
    return 0;
}
