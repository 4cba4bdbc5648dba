// Times a list of 1,000 rows: building it from its layout XML, laying it out and painting it for the
// first time (together, as a user waits for them). The floor is the same window with 1,000 plain
// controls of the same height in a vertical layout: what any window of that many controls costs. Also
// one Down-key selection step (selection, scrolling it into view and the repaint).
// Run under Wine and Xvfb: ui_lists_bench.exe [windows] [steps]
#include <windows.h>

#include "bench/BenchWindow.h"
#include <ole2.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "UIControls.h"
#include "UIList.h"
#include "UIListElement.h"
#include "UIWindowImplBase.h"

using namespace SkinUI;

namespace {

constexpr int kRows = 1000;

std::wstring ListLayout() {
    std::wstring xml = L"<Window size=\"420,320\"><List name=\"list\" vscrollbar=\"true\" itemtextpadding=\"6,0,4,0\""
                       L" itemaltbk=\"true\" itembkcolor=\"#FFF4F6F9\" itemlinecolor=\"#FFE0E4E8\" itemshowrowline=\"true\">";
    xml += L"<ListHeader height=\"24\"><ListHeaderItem text=\"No.\" width=\"60\"/><ListHeaderItem text=\"Name\" width=\"200\"/>"
           L"<ListHeaderItem text=\"State\" width=\"120\"/></ListHeader>";
    for (int i = 0; i < kRows; ++i) xml += L"<ListTextElement height=\"22\"/>";
    xml += L"</List></Window>";
    return xml;
}

std::wstring FloorLayout() {
    std::wstring xml = L"<Window size=\"420,320\"><VerticalLayout vscrollbar=\"true\"><Control height=\"24\"/>";
    for (int i = 0; i < kRows; ++i) xml += L"<Control height=\"22\" bkcolor=\"#FFF4F6F9\"/>";
    xml += L"</VerticalLayout></Window>";
    return xml;
}

class CListBenchWindow : public CBenchWindow {
public:
    explicit CListBenchWindow(const std::wstring& layout) : CBenchWindow(layout, L"BenchListWnd") {}

protected:
    void OnInitWindow() override {
        // Column texts, as an application fills its rows after building them.
        CControlUI* found = m_pm.FindControlByName(L"list");
        auto* list = found ? static_cast<CListUI*>(found->GetInterface(L"List")) : nullptr;
        for (int i = 0; list && i < list->GetCount(); ++i) {
            auto* row = static_cast<CListTextElementUI*>(list->GetItemAt(i)->GetInterface(L"ListTextElement"));
            row->SetText(0, std::to_wstring(i + 1).c_str());
            row->SetText(1, L"Scene name");
            row->SetText(2, i % 3 ? L"Saved" : L"Empty");
        }
    }
};

void Print(const char* what, int runs, const TStats& stats) { PrintStats(what, 60, runs, stats); }

// Creation to first paint; with steps, the Down key on a focused list that many times.
void Measure(const char* name, const std::wstring& layout, int windows, int steps) {
    std::vector<double> creation;
    std::vector<double> step;
    for (int w = 0; w < windows + 1; ++w) {
        CListBenchWindow window(layout);
        double created = 0;
        HWND hwnd = OpenTimed(window, &created);
        if (!hwnd) {
            printf("%s: the window was not created\n", name);
            return;
        }
        if (w == 0) continue;  // warm-up: first-use costs of the process
        creation.push_back(created);
        CControlUI* found = window.pm().FindControlByName(L"list");
        auto* list = found ? static_cast<CListUI*>(found->GetInterface(L"List")) : nullptr;
        if (!list || steps == 0) continue;
        list->SelectItem(0, true);
        UpdateWindow(hwnd);
        for (int i = 0; i < steps; ++i) {
            const double before = BenchSeconds();
            SendMessageW(hwnd, WM_KEYDOWN, VK_DOWN, 1);
            UpdateWindow(hwnd);
            step.push_back((BenchSeconds() - before) * 1e3);
        }
    }
    char label[96];
    snprintf(label, sizeof label, "%s: create+layout+first paint", name);
    Print(label, windows, Summarise(creation));
    if (!step.empty()) {
        snprintf(label, sizeof label, "%s: Down key step with repaint", name);
        Print(label, static_cast<int>(step.size()), Summarise(step));
    }
}

}  // namespace

int main(int argc, char** argv) {
    const int windows = argc > 1 ? std::max(1, atoi(argv[1])) : 10;
    const int steps = argc > 2 ? std::max(1, atoi(argv[2])) : 50;
    OleInitialize(nullptr);
    CPaintManagerUI::SetModuleInstance(GetModuleHandleW(nullptr));
    RegisterControlClasses();
    Measure("floor: 1,000 plain controls in a vertical layout", FloorLayout(), windows, 0);
    Measure("list of 1,000 rows, 3 columns", ListLayout(), windows, steps);
    CPaintManagerUI::ShutdownShared(true);
    OleUninitialize();
    return 0;
}
