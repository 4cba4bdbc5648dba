// The chart, the round combo, the window host and the graph host in real skin windows: the pixels the
// chart and the combo paint, charts that would divide by zero, a native window following its control,
// and the graph host where its ActiveX component is not installed.
#include "ChartView.h"
#include "MyCombo.h"
#include "NTGraphic.h"
#include "UIControls.h"
#include "WndUI.h"
#include "widgets/WidgetTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>

using namespace SkinUI;
using namespace WindowTest;
using namespace WidgetTest;

namespace {

constexpr DWORD kBackground = 0x202020;

std::unique_ptr<CWidgetWindow> Open(const std::wstring& body, int width = 320, int height = 240) {
    auto window = std::make_unique<CWidgetWindow>(L"<Window size=\"" + std::to_wstring(width) + L"," +
                                                  std::to_wstring(height) + L"\"><VerticalLayout bkcolor=\"#FF202020\">" +
                                                  body + L"</VerticalLayout></Window>");
    EXPECT_NE(window->Create(), nullptr);
    return window;
}

// A 10 x 10 PNG of one colour, written to the temporary folder.
std::wstring WriteSolidPng(const wchar_t* name, DWORD rgb) {
    return WritePng(name, 10, 10, [rgb](int, int) { return rgb; });
}

}  // namespace

TEST(ChartView, PieArithmeticAndItsGuards) {
    const PieLayout pie = ComputePieLayout({0, 0, 300, 200}, true, 3);
    EXPECT_EQ(pie.diameter, 190);  // min(300 - 110, 200 - 10)
    EXPECT_EQ(pie.x, 5);
    EXPECT_EQ(pie.y, 5);
    EXPECT_EQ(pie.firstLegendRow, 62);  // (190 - 66) / 2
    EXPECT_EQ(ComputePieLayout({0, 0, 300, 200}, false, 9).firstLegendRow, 5);
    EXPECT_LE(ComputePieLayout({0, 0, 50, 50}, true, 1).diameter, 0) << "no room left beside the legend";

    auto sweeps = PieSweeps({{L"a", 1}, {L"b", 3}});
    EXPECT_FLOAT_EQ(sweeps[0], 90.0f);
    EXPECT_FLOAT_EQ(sweeps[1], 270.0f);
    sweeps = PieSweeps({{L"a", 0}, {L"b", 0}});
    EXPECT_FLOAT_EQ(sweeps[0] + sweeps[1], 0.0f) << "nothing to share: no sector, no division by zero";
    sweeps = PieSweeps({{L"a", -5}, {L"b", 5}});
    EXPECT_FLOAT_EQ(sweeps[0], 0.0f);
    EXPECT_FLOAT_EQ(sweeps[1], 360.0f);

    EXPECT_EQ(HistogramBarHeight(100, 5, 5), 100);
    EXPECT_EQ(HistogramBarHeight(100, 2.5, 5), 50);
    EXPECT_EQ(HistogramBarHeight(100, 3, 0), 0);
    EXPECT_EQ(HistogramBarHeight(100, -1, 5), 0);
    EXPECT_EQ(HistogramBarHeight(100, 9, 5), 100);

    EXPECT_EQ(CChartViewUI::PaletteColor(0), 0xFF3F96F5u);
    EXPECT_EQ(CChartViewUI::PaletteColor(18), 0xFF3F96F5u);
    EXPECT_EQ(CChartViewUI::PaletteColor(17), 0xFF882612u);

    CChartViewUI chart;
    chart.SetAttribute(L"view", L"histpgram");
    chart.SetAttribute(L"pillarimagewidth", L"12");
    chart.SetAttribute(L"showtext", L"TRUE");
    chart.SetAttribute(L"Font", L"3");  // names are case-sensitive
    EXPECT_EQ(chart.GetView(), CChartViewUI::kHistogram);
    EXPECT_EQ(chart.GetPillarWidth(), 12);
    EXPECT_FALSE(chart.IsShowText()) << "only \"true\" is true";
    EXPECT_EQ(chart.GetFont(), -1);
    chart.AddItem(L"b", 2);
    EXPECT_TRUE(chart.InsertItem(0, L"a", 1));
    EXPECT_TRUE(chart.InsertItem(2, L"c", 3));
    EXPECT_FALSE(chart.InsertItem(4, L"d", 4));
    ASSERT_EQ(chart.Items().size(), 3u);
    EXPECT_EQ(chart.Items()[0].name, CUIString(L"a"));
    EXPECT_EQ(chart.Items()[2].name, CUIString(L"c"));
}

TEST(ChartView, PaintsPieSectorsHistogramBarsAndSurvivesEmptyValues) {
    auto window = Open(L"<ChartView name=\"pie\" height=\"120\" showtext=\"false\"/>"
                       L"<ChartView name=\"bars\" height=\"120\" view=\"histpgram\" showtext=\"false\""
                       L" pillarimagewidth=\"20\"/>");
    auto* pie = static_cast<CChartViewUI*>(window->Control(L"pie"));
    auto* bars = static_cast<CChartViewUI*>(window->Control(L"bars"));
    ASSERT_NE(pie, nullptr);
    ASSERT_NE(bars, nullptr);
    // Nothing to show yet, and zero values: only the background.
    EXPECT_EQ(PixelAt(*window, 160, 60), kBackground);
    pie->AddItem(L"none", 0);
    bars->AddItem(L"none", 0);
    EXPECT_EQ(PixelAt(*window, 160, 180), kBackground) << "a histogram without a positive value draws no bar";

    // One item: a full disc of the first palette colour, centred in the room left of the small margin.
    pie->RemoveAllItems();
    pie->AddItem(L"all", 7);
    const PieLayout layout = ComputePieLayout(pie->GetPos(), false, 1);
    const int cx = layout.x + layout.diameter / 2, cy = layout.y + layout.diameter / 2;
    EXPECT_EQ(PixelAt(*window, cx, cy), 0x3F96F5u);
    EXPECT_EQ(PixelAt(*window, cx + layout.diameter / 3, cy), 0x3F96F5u);
    EXPECT_EQ(PixelAt(*window, cx - layout.diameter / 3, cy + layout.diameter / 4), 0x3F96F5u);
    EXPECT_EQ(PixelAt(*window, 3, 3), kBackground);

    // Two equal items: the first from 0 degrees clockwise (lower half), the second the upper half.
    pie->AddItem(L"half", 7);
    EXPECT_EQ(PixelAt(*window, cx, cy + layout.diameter / 3), 0x3F96F5u);
    EXPECT_EQ(PixelAt(*window, cx, cy - layout.diameter / 3), 0xFF5A01u);

    // The histogram: the largest value fills the whole height, half of it half.
    const std::wstring pillar = WriteSolidPng(L"chart_pillar.png", 0x00C000);
    ASSERT_FALSE(pillar.empty());
    bars->SetAttribute(L"pillarimage", (L"file='" + pillar + L"'").c_str());
    bars->RemoveAllItems();
    bars->AddItem(L"five", 5);
    bars->AddItem(L"half", 2.5);
    const RECT r = bars->GetPos();
    const int gap = ((r.right - r.left) / 20) * 2;
    const int first = r.left + gap + 10, second = r.left + 2 * gap + 20 + 10;
    EXPECT_EQ(PixelAt(*window, first, r.top + 2), 0x00C000u) << "the largest value reaches the top";
    EXPECT_EQ(PixelAt(*window, first, r.bottom - 2), 0x00C000u);
    EXPECT_EQ(PixelAt(*window, second, r.top + 40), kBackground);
    EXPECT_EQ(PixelAt(*window, second, r.bottom - 40), 0x00C000u);
    bars->SetAttribute(L"pillarimagewidth", L"0");
    EXPECT_EQ(PixelAt(*window, first, r.bottom - 2), kBackground) << "no width, no bars, no division by zero";
    DeleteFileW(pillar.c_str());
}

TEST(MyCombo, BackgroundIsADiscInItsRectangle) {
    auto window = Open(L"<MyCombo name=\"combo\" width=\"100\" height=\"100\" bkcolor=\"#FF0050A0\"/>");
    auto* combo = window->Control(L"combo");
    ASSERT_NE(combo, nullptr);
    EXPECT_STREQ(combo->GetClass(), L"MyCombo");
    EXPECT_NE(combo->GetInterface(L"Combo"), nullptr);
    const RECT r = combo->GetPos();
    EXPECT_EQ(PixelAt(*window, r.left + 50, r.top + 50), 0x0050A0u);
    EXPECT_EQ(PixelAt(*window, r.left + 50, r.top + 3), 0x0050A0u);
    EXPECT_EQ(PixelAt(*window, r.left + 2, r.top + 2), kBackground) << "the corners stay outside the disc";
    EXPECT_EQ(PixelAt(*window, r.right - 3, r.bottom - 3), kBackground);
}

TEST(WndHost, NativeWindowFollowsTheControl) {
    auto window = Open(L"<Control height=\"30\"/><Wnd name=\"host\" height=\"80\"/>");
    auto* host = static_cast<CWndUI*>(window->Control(L"host"));
    ASSERT_NE(host, nullptr);
    EXPECT_STREQ(host->GetClass(), L"Wnd");
    HWND child = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 5, 5, window->GetHandle(), nullptr, nullptr, nullptr);
    HWND popup = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP, 0, 0, 5, 5, window->GetHandle(), nullptr,
                                 nullptr, nullptr);
    ASSERT_TRUE(child && popup);

    host->Attach(child);
    const RECT place = host->GetPos();
    RECT r = {};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, window->GetHandle(), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, place.left);
    EXPECT_EQ(r.top, place.top);
    EXPECT_EQ(r.right, place.right);
    EXPECT_EQ(r.bottom, place.bottom);
    EXPECT_TRUE(IsWindowVisible(child));
    host->SetVisible(false);
    EXPECT_FALSE(IsWindowVisible(child)) << "hidden with its control";
    host->SetVisible(true);
    EXPECT_TRUE(IsWindowVisible(child));

    // A window that is not a child is placed in screen coordinates.
    EXPECT_EQ(host->Detach(), child);
    host->Attach(popup);
    POINT origin = {place.left, place.top};
    ClientToScreen(window->GetHandle(), &origin);
    GetWindowRect(popup, &r);
    EXPECT_EQ(r.left, origin.x);
    EXPECT_EQ(r.top, origin.y);
    EXPECT_EQ(r.right - r.left, place.right - place.left);

    // A destroyed window is left alone.
    host->Detach();
    DestroyWindow(popup);
    host->Attach(popup);
    host->SetVisible(false);
    DestroyWindow(child);
}

namespace {

class CCountingGraph : public CNTGraphicUI {
public:
    HRESULT OnGraphClick() override {
        ++clicks;
        return CNTGraphicUI::OnGraphClick();
    }
    HRESULT OnCursorPosition(double x, double y) override {
        lastX = x;
        lastY = y;
        return CNTGraphicUI::OnCursorPosition(x, y);
    }
    HRESULT OnTrackModeChanged(long mode) override {
        lastMode = mode;
        return CNTGraphicUI::OnTrackModeChanged(mode);
    }
    int clicks = 0;
    double lastX = 0, lastY = 0;
    long lastMode = 0;
};

HRESULT Fire(IDispatch* sink, DISPID id, std::initializer_list<VARIANT> args) {
    std::vector<VARIANT> reversed(args.begin(), args.end());
    std::reverse(reversed.begin(), reversed.end());  // the last argument comes first
    DISPPARAMS params = {reversed.empty() ? nullptr : reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    return sink->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
}

VARIANT Double(double value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_R8;
    v.dblVal = value;
    return v;
}

VARIANT Text(const wchar_t* text) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = const_cast<BSTR>(text);  // not freed: the sink only reads it
    return v;
}

}  // namespace

TEST(GraphHost, MissingComponentFailsCleanlyAndTheSinkChecksItsEvents) {
    auto window = Open(L"<NTGraphic name=\"graph\" float=\"true\" pos=\"10,10,210,110\"/>");
    auto* graph = static_cast<CNTGraphicUI*>(window->Control(L"graph"));
    ASSERT_NE(graph, nullptr);
    EXPECT_STREQ(graph->GetClass(), L"NTGraphic");
    EXPECT_EQ(graph->GetInterface(L"NTGraphic"), graph);
    EXPECT_TRUE(graph->IsCreated()) << "creation was tried when the control was placed";
    EXPECT_FALSE(graph->DoCreateControl()) << "the caller learns that the graph component is missing";
    EXPECT_EQ(graph->GetGraph(), nullptr);
    EXPECT_EQ(graph->GetEventCookie(), 0u);
    EXPECT_EQ(graph->GetSinkRefCount(), 0);
    EXPECT_EQ(graph->GetHostWindow(), nullptr);
    EXPECT_EQ(PixelAt(*window, 110, 60), kBackground) << "nothing drawn where the control is";
    bool handled = false;
    EXPECT_EQ(graph->MessageHandler(WM_KEYDOWN, 'A', 0, handled), 0);
    EXPECT_FALSE(handled);

    CCountingGraph sink;
    IDispatch* events = nullptr;
    ASSERT_EQ(sink.QueryInterface(CNTGraphicUI::kDiidGraphEvents, reinterpret_cast<void**>(&events)), S_OK);
    EXPECT_EQ(sink.GetSinkRefCount(), 1);
    IUnknown* other = nullptr;
    EXPECT_EQ(sink.QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&other)), E_NOINTERFACE);
    EXPECT_EQ(other, nullptr);
    UINT count = 0;
    EXPECT_EQ(events->GetTypeInfoCount(&count), E_NOTIMPL);

    EXPECT_EQ(Fire(events, CNTGraphicUI::kClickEvent, {}), E_NOTIMPL);
    EXPECT_EQ(sink.clicks, 1);
    EXPECT_EQ(Fire(events, CNTGraphicUI::kClickEvent, {Double(1)}), DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(Fire(events, CNTGraphicUI::kCursorPositionEvent, {Double(1.5), Double(-2.25)}), E_NOTIMPL);
    EXPECT_DOUBLE_EQ(sink.lastX, 1.5);
    EXPECT_DOUBLE_EQ(sink.lastY, -2.25);
    EXPECT_EQ(Fire(events, CNTGraphicUI::kCursorPositionEvent, {Double(1.5)}), DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(Fire(events, CNTGraphicUI::kCursorPositionEvent, {Double(1), Text(L"up")}), DISP_E_TYPEMISMATCH);
    VARIANT mode;
    VariantInit(&mode);
    mode.vt = VT_I4;
    mode.lVal = 3;
    EXPECT_EQ(Fire(events, CNTGraphicUI::kTrackModeEvent, {mode}), E_NOTIMPL);
    EXPECT_EQ(sink.lastMode, 3);
    EXPECT_EQ(Fire(events, CNTGraphicUI::kTrackModeEvent, {Text(L"fast")}), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(Fire(events, CNTGraphicUI::kTrackModeEvent, {}), DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(Fire(events, 77, {Double(1)}), S_OK) << "other events are ignored";
    events->Release();
    EXPECT_EQ(sink.GetSinkRefCount(), 0);
}
