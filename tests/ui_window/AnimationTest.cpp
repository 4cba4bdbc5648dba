// Frame animations driven by a control's timer, and the animated tab that slides a newly selected page
// in. Timer ticks are sent as WM_TIMER messages with the window timer id the control's timer got (the
// first control timer id for the first timer of a window), so nothing waits for real time.
#include "WindowTestSupport.h"

#include "UIAnimation.h"
#include "UIAnimationTabLayout.h"

using namespace SkinUI;
using namespace WindowTest;

namespace {

constexpr UINT kFirstWindowTimer = SkinUI::CPaintManagerUI::kFirstControlTimerId;

// Element "AnimatedProbe": records the hooks; a hook can be told to stop or restart the animation.
class CAnimatedProbeUI : public CProbeUI, public CUIAnimation {
public:
    CAnimatedProbeUI() : CUIAnimation(this) {}
    void DoEvent(TUIEvent& event) override {
        if (event.Type == UIEVENT_TIMER) OnAnimationElapse(static_cast<int>(event.wParam));
        CProbeUI::DoEvent(event);
    }
    void OnAnimationStart(int id, bool firstLoop) override { starts.push_back(firstLoop); }
    void OnAnimationStep(int totalFrames, int currentFrame, int id) override {
        steps.push_back(currentFrame);
        if (stopAtFrame == currentFrame) StopAnimation(id);
    }
    void OnAnimationStop(int id) override {
        ++stops;
        if (restartOnStop) {
            restartOnStop = false;
            StopAnimation(id);
            StartAnimation(10, 3, id, false);
        }
    }
    std::vector<bool> starts;
    std::vector<int> steps;
    int stops = 0;
    int stopAtFrame = -1;
    bool restartOnStop = false;
};

class CAnimationWindow : public CTestWindow {
public:
    using CTestWindow::CTestWindow;

protected:
    CControlUI* CreateControl(const wchar_t* className) override {
        if (EqualsIgnoreCase(className, L"AnimatedProbe")) return new CAnimatedProbeUI;
        return CTestWindow::CreateControl(className);
    }
};

class AnimationTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(nullptr, window.Create());
        probe = dynamic_cast<CAnimatedProbeUI*>(window.Control(L"anim"));
        ASSERT_NE(nullptr, probe);
    }
    void Tick(int times, UINT windowTimer = kFirstWindowTimer) {
        for (int i = 0; i < times; ++i) SendMessageW(window.GetHandle(), WM_TIMER, windowTimer, 0);
    }
    CAnimationWindow window{LR"(<Window size="100,50"><HorizontalLayout><AnimatedProbe name="anim"/></HorizontalLayout></Window>)"};
    CAnimatedProbeUI* probe = nullptr;
};

}  // namespace

TEST_F(AnimationTest, ARunStepsEveryFrameThenStops) {
    ASSERT_TRUE(probe->StartAnimation(10, 15, 1));
    EXPECT_FALSE(probe->StartAnimation(10, 15, 1)) << "the id is in use";
    EXPECT_TRUE(probe->IsAnimationRunning(1));
    EXPECT_EQ(0, probe->GetCurrentFrame(1));
    Tick(15);
    EXPECT_EQ(15u, probe->steps.size());
    EXPECT_EQ(0, probe->stops);
    Tick(1);
    std::vector<int> frames;
    for (int f = 0; f <= 15; ++f) frames.push_back(f);
    EXPECT_EQ(frames, probe->steps);
    EXPECT_EQ(std::vector<bool>{true}, probe->starts);
    EXPECT_EQ(1, probe->stops);
    EXPECT_FALSE(probe->IsAnimationRunning(1));
    EXPECT_EQ(-1, probe->GetCurrentFrame(1));
    Tick(1);
    EXPECT_EQ(16u, probe->steps.size()) << "the timer went with the animation";
    EXPECT_EQ(16u, window.NotesOf(L"timer").size()) << "each delivered tick also raised \"timer\"";
}

TEST_F(AnimationTest, ALoopGoesOnWithFrameOneAndStartsOnlyOnce) {
    ASSERT_TRUE(probe->StartAnimation(10, 2, 4, true));
    Tick(7);
    EXPECT_EQ((std::vector<int>{0, 1, 2, 1, 2, 1, 2}), probe->steps);
    EXPECT_EQ(3, probe->stops);
    EXPECT_EQ(std::vector<bool>{true}, probe->starts);
    EXPECT_TRUE(probe->IsAnimationRunning(4));
    probe->StopAnimation(4);
    EXPECT_FALSE(probe->IsAnimationRunning(4));
    EXPECT_EQ(3, probe->stops) << "stopping calls no hook";
}

TEST_F(AnimationTest, FramesCanBeSetWithinTheRunAndEverythingStoppedAtOnce) {
    ASSERT_TRUE(probe->StartAnimation(10, 8, 1));
    ASSERT_TRUE(probe->StartAnimation(10, 8, 2));
    EXPECT_TRUE(probe->SetCurrentFrame(8, 1));
    EXPECT_FALSE(probe->SetCurrentFrame(9, 1));
    EXPECT_FALSE(probe->SetCurrentFrame(-1, 1));
    EXPECT_FALSE(probe->SetCurrentFrame(0, 3));
    Tick(1);
    EXPECT_EQ(std::vector<int>{8}, probe->steps) << "a run set to its last frame steps it and ends";
    EXPECT_EQ(1, probe->stops);
    Tick(1, kFirstWindowTimer + 1);
    EXPECT_EQ((std::vector<int>{8, 0}), probe->steps);
    probe->StopAnimation(0);
    EXPECT_FALSE(probe->IsAnimationRunning(2));
    EXPECT_EQ(1, probe->stops);
    EXPECT_FALSE(probe->StartAnimation(0, 5, 6));
    EXPECT_FALSE(probe->StartAnimation(10, 0, 6));
    CAnimatedProbeUI detached;  // no manager: no timer
    EXPECT_FALSE(detached.StartAnimation(10, 5, 1));
}

TEST_F(AnimationTest, HooksThatStopOrRestartTheirAnimation) {
    probe->stopAtFrame = 2;
    ASSERT_TRUE(probe->StartAnimation(10, 5, 1));
    Tick(5);
    EXPECT_EQ((std::vector<int>{0, 1, 2}), probe->steps);
    EXPECT_FALSE(probe->IsAnimationRunning(1));

    probe->steps.clear();
    probe->starts.clear();
    probe->stopAtFrame = -1;
    probe->restartOnStop = true;
    ASSERT_TRUE(probe->StartAnimation(10, 1, 1));
    Tick(2);  // frames 0 and 1; the stop hook starts a new run of 3 frames
    EXPECT_TRUE(probe->IsAnimationRunning(1));
    EXPECT_EQ(0, probe->GetCurrentFrame(1)) << "the new run is untouched by the end of the old one";
    Tick(4);
    EXPECT_EQ((std::vector<int>{0, 1, 0, 1, 2, 3}), probe->steps);
    EXPECT_EQ((std::vector<bool>{true, true}), probe->starts);
    EXPECT_FALSE(probe->IsAnimationRunning(1));
}

namespace {

const wchar_t kTabs[] = LR"(<Window size="300,200">
  <VerticalLayout>
    <AnimationTabLayout name="tabs" inset="0,0,0,0">
      <Probe name="p0" bkcolor="#FFFF0000"/>
      <Probe name="p1" bkcolor="#FF00FF00"/>
      <Probe name="p2" bkcolor="#FF0000FF"/>
    </AnimationTabLayout>
  </VerticalLayout></Window>)";

}  // namespace

TEST(AnimatedTab, ThePageSlidesInFromTheSideItComesFrom) {
    CTestWindow window(kTabs);
    ASSERT_NE(nullptr, window.Create());
    auto* tabs = static_cast<CAnimationTabLayoutUI*>(window.Control(L"tabs")->GetInterface(L"AnimationTabLayout"));
    ASSERT_NE(nullptr, tabs);
    const RECT home = tabs->GetPos();
    const int width = home.right - home.left;
    ASSERT_EQ(300, width);

    ASSERT_TRUE(tabs->SelectItem(2));
    EXPECT_EQ(-1, tabs->GetDirection());
    ASSERT_EQ(1u, window.NotesOf(L"tabselect").size());
    EXPECT_EQ(2u, window.NotesOf(L"tabselect")[0].wParam);
    EXPECT_EQ(0, window.NotesOf(L"tabselect")[0].lParam);
    EXPECT_FALSE(window.Control(L"p2")->IsVisible()) << "hidden until the first step";
    EXPECT_FALSE(window.Control(L"p0")->IsVisible());

    SendMessageW(window.GetHandle(), WM_TIMER, kFirstWindowTimer, 0);
    EXPECT_TRUE(window.Control(L"p2")->IsVisible());
    EXPECT_EQ(home.left + (width - 52) - width / 15, tabs->GetPos().left) << "from the right, one step in";
    int previous = tabs->GetPos().left;
    for (int frame = 1; frame < 15; ++frame) {
        SendMessageW(window.GetHandle(), WM_TIMER, kFirstWindowTimer, 0);
        EXPECT_LT(tabs->GetPos().left, previous);
        previous = tabs->GetPos().left;
    }
    SendMessageW(window.GetHandle(), WM_TIMER, kFirstWindowTimer, 0);  // the last frame
    EXPECT_EQ(home.left, tabs->GetPos().left);
    EXPECT_EQ(home.right, tabs->GetPos().right);
    EXPECT_FALSE(tabs->IsAnimationRunning(CAnimationTabLayoutUI::kAnimationId));
    UpdateWindow(window.GetHandle());
    EXPECT_EQ(0x0000FFu, WindowPixel(window.GetHandle(), 150, 100));

    EXPECT_TRUE(tabs->SelectItem(2));
    EXPECT_EQ(1u, window.NotesOf(L"tabselect").size()) << "the selected page again: nothing happens";
    EXPECT_FALSE(tabs->SelectItem(3));
}

TEST(AnimatedTab, VerticallyThePageComesFromAbove) {
    std::wstring layout = kTabs;
    layout.replace(layout.find(L"inset="), 6, L"animation_direction=\"Vertical\" inset=");
    CTestWindow window(layout);
    ASSERT_NE(nullptr, window.Create());
    auto* tabs = static_cast<CAnimationTabLayoutUI*>(window.Control(L"tabs")->GetInterface(L"AnimationTabLayout"));
    ASSERT_NE(nullptr, tabs);
    ASSERT_TRUE(tabs->IsVerticalDirection());
    tabs->SelectItem(2);
    for (int i = 0; i < 16; ++i) SendMessageW(window.GetHandle(), WM_TIMER, kFirstWindowTimer, 0);
    const RECT home = tabs->GetPos();
    const int height = home.bottom - home.top;
    ASSERT_TRUE(tabs->SelectItem(0));  // back to a lower index: from above
    EXPECT_EQ(1, tabs->GetDirection());
    SendMessageW(window.GetHandle(), WM_TIMER, kFirstWindowTimer, 0);
    EXPECT_EQ(home.top - height + height / 15, tabs->GetPos().top);
    EXPECT_EQ(home.left, tabs->GetPos().left);
}
