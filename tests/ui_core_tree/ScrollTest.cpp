// The scroll bar's geometry and input, and containers scrolling their content through their bars.
#include "TreeTestSupport.h"

#include "UIScrollBar.h"

using namespace SkinUI;
using namespace TreeTest;

namespace {

TUIEvent MouseEvent(int type, int x, int y) {
    TUIEvent event;
    event.Type = type;
    event.ptMouse = {x, y};
    return event;
}

TUIEvent TimerTick() {
    TUIEvent event;
    event.Type = UIEVENT_TIMER;
    event.wParam = CScrollBarUI::kRepeatTimerId;
    return event;
}

TEST(ScrollBar, ThumbGeometryAndLimits) {
    CScrollBarUI bar;
    bar.SetScrollRange(100);
    bar.SetPos(RECT{0, 0, 16, 100});
    EXPECT_RECT(bar.GetButton1Rect(), 0, 0, 16, 16);
    EXPECT_RECT(bar.GetButton2Rect(), 0, 84, 16, 100);
    EXPECT_RECT(bar.GetThumbRect(), 0, 16, 16, 50);  // length 100 * 68 / 200
    bar.SetScrollPos(50);
    EXPECT_RECT(bar.GetThumbRect(), 0, 33, 16, 67);
    bar.SetScrollPos(100);
    EXPECT_RECT(bar.GetThumbRect(), 0, 50, 16, 84);

    bar.SetScrollPos(-5);
    EXPECT_EQ(0, bar.GetScrollPos());
    bar.SetScrollPos(101);
    EXPECT_EQ(100, bar.GetScrollPos());
    bar.SetScrollRange(40);
    EXPECT_EQ(40, bar.GetScrollPos());
    bar.SetScrollRange(-3);
    EXPECT_EQ(0, bar.GetScrollRange());
    EXPECT_RECT(bar.GetThumbRect(), 0, 16, 16, 84);  // no range: the thumb fills the track

    bar.SetPos(RECT{0, 0, 16, 30});  // too short for a thumb
    EXPECT_TRUE(IsRectEmpty(&bar.GetThumbRect()));
    EXPECT_RECT(bar.GetButton1Rect(), 0, 0, 16, 15);
    EXPECT_RECT(bar.GetButton2Rect(), 0, 15, 16, 30);

    CScrollBarUI horizontal;
    horizontal.SetHorizontal(true);
    EXPECT_EQ(0, horizontal.GetFixedWidth());
    EXPECT_EQ(16, horizontal.GetFixedHeight());
    horizontal.SetScrollRange(100);
    horizontal.SetScrollPos(50);
    horizontal.SetShowButton1(false);
    horizontal.SetPos(RECT{0, 0, 100, 16});
    EXPECT_RECT(horizontal.GetButton1Rect(), 0, 0, 0, 0);
    EXPECT_RECT(horizontal.GetThumbRect(), 21, 0, 63, 16);  // length 100 * 84 / 200, left 42 * 50 / 100
}

TEST(ScrollBar, HoldingAButtonRepeatsFromTheSixthTick) {
    CPaintManagerUI pm;
    NotifyRecorder recorder;
    pm.AddNotifyListener(&recorder);
    CScrollBarUI bar;
    pm.InitControls(&bar);
    bar.SetScrollRange(100);
    bar.SetPos(RECT{0, 0, 16, 100});

    TUIEvent down = MouseEvent(UIEVENT_BUTTONDOWN, 8, 90);
    bar.Event(down);
    EXPECT_EQ(8, bar.GetScrollPos());
    EXPECT_TRUE(bar.GetButton2State() & UISTATE_PUSHED);
    for (int tick = 1; tick <= 5; ++tick) {
        TUIEvent timer = TimerTick();
        bar.Event(timer);
    }
    EXPECT_EQ(8, bar.GetScrollPos());
    EXPECT_EQ(1u, recorder.OfType(L"scroll").size());
    for (int tick = 6; tick <= 7; ++tick) {
        TUIEvent timer = TimerTick();
        bar.Event(timer);
    }
    EXPECT_EQ(24, bar.GetScrollPos());
    EXPECT_EQ(3u, recorder.OfType(L"scroll").size());
    TUIEvent up = MouseEvent(UIEVENT_BUTTONUP, 8, 90);
    bar.Event(up);
    EXPECT_FALSE(bar.GetButton2State() & UISTATE_PUSHED);

    TUIEvent page = MouseEvent(UIEVENT_BUTTONDOWN, 8, 80);  // below the thumb: a page of 100
    bar.Event(page);
    EXPECT_EQ(100, bar.GetScrollPos());
    bar.Event(up);

    bar.SetEnabled(false);
    TUIEvent ignored = MouseEvent(UIEVENT_BUTTONDOWN, 8, 5);
    bar.Event(ignored);
    EXPECT_EQ(100, bar.GetScrollPos());
    EXPECT_EQ(0u, bar.GetButton1State() & UISTATE_PUSHED);
}

TEST(ScrollBar, ThumbDragFollowsTheMouseAlongTheBar) {
    CScrollBarUI vertical;
    vertical.SetScrollRange(100);
    vertical.SetPos(RECT{0, 0, 16, 100});
    TUIEvent grab = MouseEvent(UIEVENT_BUTTONDOWN, 8, 20);
    vertical.Event(grab);
    EXPECT_TRUE(vertical.GetThumbState() & UISTATE_CAPTURED);
    TUIEvent drag = MouseEvent(UIEVENT_MOUSEMOVE, 60, 37);  // 17 pixels of a 34-pixel travel
    vertical.Event(drag);
    TUIEvent timer = TimerTick();
    vertical.Event(timer);
    EXPECT_EQ(50, vertical.GetScrollPos());

    CScrollBarUI horizontal;
    horizontal.SetHorizontal(true);
    horizontal.SetScrollRange(100);
    horizontal.SetPos(RECT{0, 0, 100, 16});
    grab = MouseEvent(UIEVENT_BUTTONDOWN, 20, 8);
    horizontal.Event(grab);
    drag = MouseEvent(UIEVENT_MOUSEMOVE, 37, 90);
    horizontal.Event(drag);
    horizontal.Event(timer);
    EXPECT_EQ(50, horizontal.GetScrollPos());
    TUIEvent release = MouseEvent(UIEVENT_BUTTONUP, 37, 90);
    horizontal.Event(release);
    EXPECT_FALSE(horizontal.GetThumbState() & UISTATE_CAPTURED);
}

class ScrolledColumn : public testing::Test {
protected:
    void Build(const wchar_t* extraAttributes = L"") {
        std::wstring xml = L"<Window><VerticalLayout vscrollbar=\"true\" ";
        xml += extraAttributes;
        xml += L">";
        for (int i = 0; i < 5; ++i) xml += L"<Control name=\"r" + std::to_wstring(i) + L"\" height=\"40\"/>";
        xml += L"</VerticalLayout></Window>";
        root = static_cast<CContainerUI*>(BuildRoot(pm, xml.c_str()));
        pm.AddNotifyListener(&recorder);
        root->SetPos(RECT{0, 0, 200, 100});
        bar = root->GetVerticalScrollBar();
    }
    CPaintManagerUI pm;
    NotifyRecorder recorder;
    CContainerUI* root = nullptr;
    CScrollBarUI* bar = nullptr;
};

TEST_F(ScrolledColumn, BarAppearsForTallContentAndScrolls) {
    Build();
    ASSERT_NE(nullptr, bar);
    EXPECT_TRUE(bar->IsVisible());
    EXPECT_EQ(100, bar->GetScrollRange());
    EXPECT_EQ(0, bar->GetScrollPos());
    EXPECT_RECT(bar->GetPos(), 184, 0, 200, 100);
    EXPECT_RECT(Named(pm, L"r0")->GetPos(), 0, 0, 184, 40);
    EXPECT_RECT(Named(pm, L"r2")->GetPos(), 0, 80, 184, 120);

    const int step = 8 + pm.GetDefaultFontRecord()->metrics.tmHeight;
    root->LineDown();
    EXPECT_RECT(Named(pm, L"r0")->GetPos(), 0, -step, 184, 40 - step);
    EXPECT_RECT(root->GetClientPos(), 0, -step, 184, 200 - step);
    ASSERT_EQ(1u, recorder.OfType(L"scroll").size());
    EXPECT_EQ(root, recorder.OfType(L"scroll")[0].sender);
    EXPECT_EQ(static_cast<WPARAM>((step + 8) / 8), recorder.OfType(L"scroll")[0].wParam);

    root->EndDown();
    EXPECT_EQ(100, bar->GetScrollPos());
    EXPECT_RECT(Named(pm, L"r4")->GetPos(), 0, 60, 184, 100);

    TUIEvent key;
    key.Type = UIEVENT_KEYDOWN;
    key.chKey = VK_HOME;
    root->Event(key);
    EXPECT_EQ(0, bar->GetScrollPos());
    key.chKey = VK_NEXT;  // a page is the item height
    root->Event(key);
    EXPECT_EQ(100, bar->GetScrollPos());
    TUIEvent wheel;
    wheel.Type = UIEVENT_SCROLLWHEEL;
    wheel.wParam = 0;  // up
    root->Event(wheel);
    EXPECT_EQ(100 - step, bar->GetScrollPos());

    // A button click on the bar scrolls the owner.
    TUIEvent click = MouseEvent(UIEVENT_BUTTONDOWN, 190, 5);
    bar->Event(click);
    EXPECT_EQ(100 - 2 * step, root->GetScrollPos().cy);
}

TEST_F(ScrolledColumn, BarHidesWhenTheContentFits) {
    Build(L"scrollstepsize=\"10\"");
    root->LineDown();
    EXPECT_EQ(10, bar->GetScrollPos());
    for (int i = 0; i < 5; ++i) Named(pm, (L"r" + std::to_wstring(i)).c_str())->SetFixedHeight(10);
    root->SetPos(root->GetPos());
    EXPECT_FALSE(bar->IsVisible());
    EXPECT_EQ(0, bar->GetScrollRange());
    EXPECT_EQ(0, bar->GetScrollPos());
    EXPECT_RECT(Named(pm, L"r0")->GetPos(), 0, 0, 200, 10);
    root->SetScrollStepSize(0);  // ignored
    EXPECT_EQ(10, root->GetScrollStepSize());

    root->LineDown();
    root->SetFixedHeight(20);  // content taller again, then no content at all
    for (int i = 0; i < 5; ++i) Named(pm, (L"r" + std::to_wstring(i)).c_str())->SetFixedHeight(40);
    root->SetPos(RECT{0, 0, 200, 100});
    EXPECT_TRUE(bar->IsVisible());
    root->RemoveAll();
    root->SetPos(RECT{0, 0, 200, 100});
    EXPECT_FALSE(bar->IsVisible());
    EXPECT_EQ(0, bar->GetScrollRange());
}

TEST_F(ScrolledColumn, LineSizeZeroDoesNotBreakTheScrollNotification) {
    Build(L"vscrollbarstyle=\"linesize=&quot;0&quot;\" scrollstepsize=\"7\"");
    EXPECT_EQ(0, bar->GetLineSize());
    root->LineDown();
    ASSERT_EQ(1u, recorder.OfType(L"scroll").size());
    EXPECT_EQ(8u, recorder.OfType(L"scroll")[0].wParam);  // (7 + 1) / 1
}

TEST(HorizontalScrolling, LineRightStepsByEight) {
    CPaintManagerUI pm;
    std::wstring xml = L"<Window><HorizontalLayout hscrollbar=\"true\">";
    for (int i = 0; i < 5; ++i) xml += L"<Control name=\"c" + std::to_wstring(i) + L"\" width=\"40\"/>";
    xml += L"</HorizontalLayout></Window>";
    auto* root = static_cast<CContainerUI*>(BuildRoot(pm, xml.c_str()));
    root->SetPos(RECT{0, 0, 100, 50});
    ASSERT_NE(nullptr, root->GetHorizontalScrollBar());
    EXPECT_EQ(100, root->GetScrollRange().cx);
    EXPECT_RECT(Named(pm, L"c0")->GetPos(), 0, 0, 40, 34);
    root->LineRight();
    EXPECT_EQ(8, root->GetScrollPos().cx);
    EXPECT_RECT(Named(pm, L"c1")->GetPos(), 32, 0, 72, 34);
    root->PageRight();  // the width
    EXPECT_EQ(100, root->GetScrollPos().cx);
}

}  // namespace
