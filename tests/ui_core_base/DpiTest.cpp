#include "UIDpi.h"

#include <gtest/gtest.h>

#include <string>


using namespace SkinUI;

TEST(UIDpi, PerMonitorScalingAt120Dpi) {
    CUIDpi dpi;
    EXPECT_EQ(100, dpi.GetScale());
    EXPECT_EQ(96, dpi.GetDPI());
    dpi.SetScale(120);
    EXPECT_EQ(125, dpi.GetScale());
    EXPECT_EQ(120, dpi.GetDPI());
    EXPECT_EQ(20, dpi.Scale(16));
    EXPECT_EQ(16, dpi.ScaleBack(20));
    EXPECT_EQ(-20, dpi.Scale(-16));

    CUISize size = dpi.ScaleSize(8, 9);
    EXPECT_EQ(10, size.cx);
    EXPECT_EQ(11, size.cy);  // 11.25
    POINT point = {4, -4};
    dpi.ScalePoint(&point);
    EXPECT_EQ(5, point.x);
    EXPECT_EQ(-5, point.y);

    dpi.SetScale(0);  // ignored
    EXPECT_EQ(125, dpi.GetScale());
    EXPECT_EQ(16, dpi.ScaleBack(20));
}

TEST(UIDpi, RectanglesScaleFromOriginAndSize) {
    CUIDpi dpi;
    dpi.SetScale(144);  // 150 %
    CUIRect r = dpi.ScaleRect(CUIRect(10, 3, 31, 5));
    EXPECT_EQ(15, r.left);
    EXPECT_EQ(47, r.right);  // width 21 -> 32 (31.5 rounded)
    EXPECT_EQ(5, r.top);     // 4.5 rounded
    EXPECT_EQ(8, r.bottom);  // height 2 -> 3

    RECT adjacent = {31, 0, 40, 10};
    dpi.ScaleRect(&adjacent);
    EXPECT_EQ(47, adjacent.left);  // still touches the first one

    RECT back = {15, 5, 47, 8};
    dpi.ScaleBackRect(&back);
    EXPECT_EQ(10, back.left);
    EXPECT_EQ(31, back.right);
}

namespace {

// A stand-in for Shcore: the real process awareness can be set only once per process.
HRESULT gSetResult = S_OK;
int gProcessAwareness = 2;
HRESULT gMonitorResult = S_OK;
std::wstring gReported;

HRESULT WINAPI FakeSetAwareness(int awareness) {
    if (gSetResult == S_OK) gProcessAwareness = awareness;
    return gSetResult;
}
HRESULT WINAPI FakeGetAwareness(HANDLE process, int* awareness) {
    if (process) return E_INVALIDARG;  // only "this process" is answered
    *awareness = gProcessAwareness;
    return S_OK;
}
HRESULT WINAPI FakeDpiForMonitor(HMONITOR, int, UINT* x, UINT* y) {
    *x = 144;
    *y = 144;
    return gMonitorResult;
}
void RecordFailure(const wchar_t* text, const wchar_t* caption) { gReported = std::wstring(caption) + L": " + text; }

class FakeShcore : public ::testing::Test {
protected:
    void SetUp() override {
        functions.windows6OrLater = true;
        functions.setProcessDpiAwareness = &FakeSetAwareness;
        functions.getProcessDpiAwareness = &FakeGetAwareness;
        functions.getDpiForMonitor = &FakeDpiForMonitor;
        CUIDpi::OverrideSystemFunctions(&functions);
        CUIDpi::SetFailureReporter(&RecordFailure);
        gSetResult = S_OK;
        gProcessAwareness = 2;
        gMonitorResult = S_OK;
        gReported.clear();
    }
    void TearDown() override {
        CUIDpi::OverrideSystemFunctions(nullptr);
        CUIDpi::SetFailureReporter(nullptr);
    }
    CUIDpi::SystemFunctions functions;
};

}  // namespace

TEST_F(FakeShcore, UnawareScalesNothing) {
    CUIDpi dpi;
    dpi.SetScale(144);
    ASSERT_TRUE(dpi.SetDPIAwareness(CUIDpi::kUnaware));
    EXPECT_EQ(100, dpi.GetScale());
    EXPECT_EQ(96, dpi.GetDPI());
    EXPECT_EQ(16, dpi.Scale(16));
    EXPECT_EQ(16, dpi.ScaleBack(16));
}

TEST_F(FakeShcore, SystemAwareKeepsTheFirstScaleSet) {
    CUIDpi dpi;
    ASSERT_TRUE(dpi.SetDPIAwareness(CUIDpi::kSystemAware));
    EXPECT_EQ(100, dpi.GetScale());  // nothing set yet
    dpi.SetScale(144);               // the scale the application chooses at start-up
    EXPECT_EQ(150, dpi.GetScale());
    EXPECT_EQ(144, dpi.GetDPI());
    EXPECT_EQ(24, dpi.Scale(16));
    dpi.SetScale(192);  // a later change does not move a system-aware window
    EXPECT_EQ(150, dpi.GetScale());
    EXPECT_EQ(24, dpi.Scale(16));
    ASSERT_TRUE(dpi.SetDPIAwareness(CUIDpi::kPerMonitorAware));
    EXPECT_EQ(200, dpi.GetScale());
    EXPECT_EQ(32, dpi.Scale(16));
}

TEST_F(FakeShcore, RefusedAwarenessKeepsTheOldModeAndIsReadBack) {
    CUIDpi dpi;
    dpi.SetScale(120);
    gSetResult = E_ACCESSDENIED;
    EXPECT_FALSE(dpi.SetDPIAwareness(CUIDpi::kUnaware));
    EXPECT_EQ(125, dpi.GetScale());
    gProcessAwareness = CUIDpi::kUnaware;
    EXPECT_EQ(CUIDpi::kUnaware, dpi.GetDPIAwareness());
    EXPECT_EQ(100, dpi.GetScale());

    functions.setProcessDpiAwareness = nullptr;  // Shcore without the function
    EXPECT_FALSE(dpi.SetDPIAwareness(CUIDpi::kPerMonitorAware));
    functions.windows6OrLater = false;  // older Windows: the mode is only stored
    EXPECT_FALSE(dpi.SetDPIAwareness(CUIDpi::kPerMonitorAware));
    EXPECT_EQ(125, dpi.GetScale());
}

TEST_F(FakeShcore, MonitorDpiAndItsFailureReport) {
    CUIDpi dpi;
    EXPECT_EQ(144, dpi.GetDPIOfMonitorNearestToPoint(POINT{0, 0}));
    EXPECT_EQ(L"", gReported);
    gMonitorResult = E_INVALIDARG;
    EXPECT_EQ(96, dpi.GetDPIOfMonitor(nullptr));
    EXPECT_EQ(L"Notification: GetDpiForMonitor failed", gReported);
    functions.getDpiForMonitor = nullptr;
    EXPECT_EQ(96, dpi.GetDPIOfMonitor(nullptr));
}

TEST(UIDpi, MonitorDpiFollowsTheScreen) {
    CUIDpi dpi;
    HDC screen = GetDC(nullptr);
    int screenDpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(screenDpi, dpi.GetDPIOfMonitorNearestToPoint(POINT{0, 0}));
    EXPECT_EQ(screenDpi, dpi.GetDPIOfMonitorNearestToPoint(POINT{-100000, 100000}));  // nearest monitor
}
