// The timer-driven controls: the animated GIF stepping through a file written here at its frames'
// delays, the loading bar sliding back and forth, the rolling text's travel and end report, the fade
// button's cross-fade and the ring's turn. Ticks are handed to the controls as the paint manager hands
// them on; one case lets the real window timers run.
#include "CompositeTestSupport.h"
#include "UIFadeButton.h"
#include "UIGifAnim.h"
#include "UILoadingBar.h"
#include "UIRing.h"

#include <memory>

using namespace SkinUI;
using namespace ControlsTest;
using namespace WindowTest;
using namespace CompositeTest;

namespace {

constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF, kGrey = 0x808080;

std::unique_ptr<CControlWindow> OpenWindow(const std::wstring& body) {
    auto window = std::make_unique<CControlWindow>(L"<Window size=\"400,200\"><HorizontalLayout bkcolor=\"#FFFFFFFF\">" +
                                                   body + L"<Control/></HorizontalLayout></Window>");
    EXPECT_NE(nullptr, window->Open());
    return window;
}

POINT Centre(CControlUI* control) {
    const RECT& pos = control->GetPos();
    return POINT{(pos.left + pos.right) / 2, (pos.top + pos.bottom) / 2};
}

// Pumps messages for about the given time.
void RunFor(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds) {
        Pump();
        Sleep(5);
    }
}

}  // namespace

TEST(GifAnimTest, StepsThroughItsFramesAtTheirDelaysAndWraps) {
    const std::wstring path = WriteTempGif({{kRed, 0}, {kGreen, 5}, {kBlue, 10}});
    auto window = OpenWindow(L"<GifAnim name=\"gif\" bkimage=\"" + path + L"\" width=\"32\" height=\"32\"/>");
    auto* gif = window->Get<CGifAnimUI>(L"gif");
    ASSERT_NE(nullptr, gif);
    ASSERT_TRUE(gif->HasImage());
    EXPECT_STREQ(L"GifAnimUI", gif->GetClass());
    EXPECT_EQ(3u, gif->GetFrameCount());
    EXPECT_TRUE(gif->IsPlaying());
    // A delay of 0 plays as 100 ms; a frame the image stores no delay for likewise.
    const UINT delays[] = {100, 50, 100, 100};
    for (UINT frame = 0; frame < 4; ++frame) EXPECT_EQ(delays[frame], gif->GetFrameDelayMs(frame)) << frame;

    const POINT centre = Centre(gif);
    const uint32_t shown[] = {kRed, kGreen, kBlue, kRed, kGreen};
    for (int step = 0; step < 5; ++step) {
        SCOPED_TRACE(step);
        EXPECT_EQ(static_cast<UINT>(step % 3), gif->GetCurrentFrame());
        EXPECT_EQ(shown[step], window->Pixel(centre.x, centre.y));
        Tick(gif, CGifAnimUI::kFrameTimer);
    }
    // Other timers are not the frame timer.
    Tick(gif, 7);
    EXPECT_EQ(2u, gif->GetCurrentFrame());

    // Hidden: stopped and rewound; shown again: playing from the first frame.
    gif->SetVisible(false);
    EXPECT_FALSE(gif->IsPlaying());
    EXPECT_EQ(0u, gif->GetCurrentFrame());
    gif->SetVisible(true);
    EXPECT_TRUE(gif->IsPlaying());
    EXPECT_EQ(kRed, window->Pixel(centre.x, centre.y));

    // The same image again changes nothing; another one waits for the next paint.
    Tick(gif, CGifAnimUI::kFrameTimer);
    gif->SetAttribute(L"bkimage", path.c_str());
    EXPECT_TRUE(gif->IsPlaying());
    EXPECT_EQ(1u, gif->GetCurrentFrame());
    const std::wstring other = WriteTempGif({{kBlue, 3}, {kRed, 3}});
    gif->SetAttribute(L"bkimage", other.c_str());
    EXPECT_FALSE(gif->HasImage());
    EXPECT_FALSE(gif->IsPlaying());
    EXPECT_EQ(kBlue, window->Pixel(centre.x, centre.y));
    EXPECT_EQ(2u, gif->GetFrameCount());
    EXPECT_EQ(30u, gif->GetFrameDelayMs(0));
    DeleteFileW(path.c_str());
    DeleteFileW(other.c_str());
}

TEST(GifAnimTest, TheWindowTimerAdvancesTheFrames) {
    // Frames of 150 ms: a pump delayed by a loaded machine still sees each frame, not every other one.
    const std::wstring path = WriteTempGif({{kRed, 15}, {kGreen, 15}, {kBlue, 15}, {kWhite, 15}});
    auto window = OpenWindow(L"<GifAnim name=\"gif\" bkimage=\"" + path + L"\" width=\"20\" height=\"20\"/>");
    auto* gif = window->Get<CGifAnimUI>(L"gif");
    ASSERT_TRUE(gif->IsPlaying());
    std::vector<UINT> seen;
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 5000 && seen.size() < 6) {
        Pump();
        if (seen.empty() || seen.back() != gif->GetCurrentFrame()) seen.push_back(gif->GetCurrentFrame());
        Sleep(2);
    }
    ASSERT_GE(seen.size(), 5u);
    for (size_t i = 1; i < seen.size(); ++i) EXPECT_EQ((seen[i - 1] + 1) % 4, seen[i]);
    DeleteFileW(path.c_str());
}

TEST(GifAnimTest, OneFrameStartsNoTimerAndAutosizeTakesTheImageSize) {
    const std::wstring single = WriteTempGif({{kGreen, 10}}, 24, 12);
    const int timersBefore = 0;
    auto window = OpenWindow(L"<GifAnim name=\"gif\" bkimage=\"" + single + L"\" autosize=\"TRUE\"/>");
    auto* gif = window->Get<CGifAnimUI>(L"gif");
    ASSERT_TRUE(gif->HasImage());
    EXPECT_EQ(1u, gif->GetFrameCount());
    EXPECT_FALSE(gif->IsPlaying());
    EXPECT_EQ(timersBefore, window->pm().GetTimerCount());
    EXPECT_EQ(24, gif->GetFixedWidth());
    EXPECT_EQ(12, gif->GetFixedHeight());
    gif->PlayGif();
    EXPECT_FALSE(gif->IsPlaying());
    Tick(gif, CGifAnimUI::kFrameTimer);
    EXPECT_EQ(0u, gif->GetCurrentFrame());
    const POINT centre = Centre(gif);
    EXPECT_EQ(kGreen, window->Pixel(centre.x, centre.y));

    // Not autoplaying: loaded but still.
    const std::wstring two = WriteTempGif({{kRed, 1}, {kBlue, 1}});
    auto still = OpenWindow(L"<GifAnim name=\"gif\" autoplay=\"false\" bkimage=\"" + two + L"\" width=\"20\" height=\"20\"/>");
    auto* stillGif = still->Get<CGifAnimUI>(L"gif");
    EXPECT_EQ(2u, stillGif->GetFrameCount());
    EXPECT_FALSE(stillGif->IsPlaying());
    // A missing file draws nothing and plays nothing.
    stillGif->SetBkImage(L"no-such.gif");
    const POINT at = Centre(stillGif);
    EXPECT_EQ(kWhite, still->Pixel(at.x, at.y));
    EXPECT_FALSE(stillGif->HasImage());
    // Without frames a tick has nothing to step through.
    Tick(stillGif, CGifAnimUI::kFrameTimer);
    EXPECT_EQ(0u, stillGif->GetCurrentFrame());
    EXPECT_EQ(0u, stillGif->GetFrameCount());
    DeleteFileW(single.c_str());
    DeleteFileW(two.c_str());
}

TEST(LoadingBarTest, SlidesToTheRightEdgeAndBackInThreePixelSteps) {
    auto window = OpenWindow(L"<LoadingBar name=\"bar\" width=\"200\" height=\"10\" forecolor=\"#FF0000FF\"/>");
    auto* bar = window->Get<CLoadingBarUI>(L"bar");
    ASSERT_NE(nullptr, bar);
    EXPECT_STREQ(L"LoadingBar", bar->GetClass());
    EXPECT_EQ(bar, bar->GetInterface(L"LoadingBar"));
    EXPECT_EQ(nullptr, bar->GetInterface(L"loadingbar"));
    EXPECT_TRUE(bar->IsStarted());
    EXPECT_EQ(60, bar->GetBarWidth());
    const RECT pos = bar->GetPos();
    EXPECT_EQ(kBlue, window->Pixel(pos.left + 30, pos.top + 5));
    EXPECT_EQ(kWhite, window->Pixel(pos.left + 100, pos.top + 5));

    // The steps below come from the test's own ticks only, so a real tick on a busy machine cannot move
    // the bar between reading its offset and reading its pixels.
    EXPECT_TRUE(bar->GetManager()->StopControlTimer(bar, CLoadingBarUI::kMoveTimer));
    int highest = 0;
    bool cameBack = false;
    for (int tick = 0; tick < 60; ++tick) {
        Tick(bar, CLoadingBarUI::kMoveTimer);
        window->Pixel(0, 0);
        highest = std::max(highest, bar->GetOffset());
        if (bar->IsMovingBack()) cameBack = true;
    }
    EXPECT_TRUE(cameBack);
    EXPECT_EQ(141, highest);  // 141 + 60 passes 200: it turns back
    const int offset = bar->GetOffset();
    EXPECT_EQ(kBlue, window->Pixel(pos.left + offset + 1, pos.top + 5));
    EXPECT_EQ(kWhite, window->Pixel(pos.left + offset - 2, pos.top + 5));

    // The bar's width was fixed by the first paint.
    bar->SetFixedWidth(300);
    window->Pixel(0, 0);
    EXPECT_EQ(60, bar->GetBarWidth());
}

TEST(LoadingBarTest, WithoutAForeColourItRunsButDrawsNothing) {
    auto window = OpenWindow(L"<LoadingBar name=\"bar\" width=\"100\" height=\"10\"/>");
    auto* bar = window->Get<CLoadingBarUI>(L"bar");
    EXPECT_TRUE(bar->IsStarted());
    EXPECT_EQ(1, window->pm().GetTimerCount());
    EXPECT_EQ(0, bar->GetBarWidth());
    EXPECT_EQ(kWhite, window->Pixel(bar->GetPos().left + 5, bar->GetPos().top + 5));
}

TEST(RollTextTest, EntersFromTheRightAndStartsOverAfterTheWidthAndTheText) {
    auto window = OpenWindow(L"<RollText name=\"roll\" width=\"100\" height=\"20\" text=\"Hello\"/>");
    auto* roll = window->Get<CRollTextUI>(L"roll");
    ASSERT_NE(nullptr, roll);
    EXPECT_STREQ(L"RollTextUI", roll->GetClass());
    const int extent = roll->GetExtent();
    ASSERT_GT(extent, 0);  // measured by the first paint; every later paint moves it

    // Timers long enough that only the ticks below move the text, however slow the machine.
    roll->BeginRoll(CRollTextUI::kLeft, 60000, 600);
    EXPECT_TRUE(roll->IsRolling());
    EXPECT_EQ(0, roll->GetExtent());
    roll->SetRollPosition(0);
    window->Pixel(0, 0);  // measures again, moving nothing
    EXPECT_EQ(extent, roll->GetExtent());
    EXPECT_EQ(0, roll->GetPosition());
    const int limit = 100 + roll->GetExtent();
    int paints = 0;
    int last = roll->GetPosition();
    while (paints < 200) {
        Tick(roll, CRollTextUI::kPaintTimer);
        window->Pixel(0, 0);
        ++paints;
        if (roll->GetPosition() < last) break;
        EXPECT_EQ(last + roll->GetStep(), roll->GetPosition());
        last = roll->GetPosition();
    }
    EXPECT_EQ(limit / 5 + 1, paints);
    EXPECT_EQ(0, roll->GetPosition());

    Tick(roll, CRollTextUI::kEndTimer);
    EXPECT_EQ(1u, window->recorder.Of(L"textrollend").size());
    EXPECT_TRUE(roll->IsRolling());  // the repaint timer runs on until EndRoll
    roll->EndRoll();
    EXPECT_FALSE(roll->IsRolling());
    roll->SetText(L"Longer text");
    EXPECT_EQ(0, roll->GetExtent());
}

TEST(RollTextTest, RealTimersReportTheEndOncePerRoll) {
    auto window = OpenWindow(L"<RollText name=\"roll\" width=\"100\" height=\"20\" text=\"Hi\"/>");
    auto* roll = window->Get<CRollTextUI>(L"roll");
    roll->BeginRoll(CRollTextUI::kUp, 20, 1);
    RunFor(2300);
    EXPECT_EQ(1u, window->recorder.Of(L"textrollend").size());
    EXPECT_GT(roll->GetPosition() + roll->GetExtent(), 0);
    roll->EndRoll();
}

TEST(FadeButtonTest, AlphaRisesThroughTheFramesAndNeverStartsAtZero) {
    CFadeButtonUI button;
    struct Step {
        int frame;
        BYTE alpha;
    };
    const Step steps[] = {{0, 10}, {1, 8}, {10, 85}, {15, 127}, {29, 246}, {30, 255}};
    for (const Step& step : steps) {
        button.OnAnimationStep(30, step.frame, CFadeButtonUI::kFadeIn);
        EXPECT_EQ(step.alpha, button.GetFadeAlpha()) << step.frame;
    }
}

TEST(FadeButtonTest, CrossFadesBetweenNormalAndHotImages) {
    CImageFolder images;
    images.WriteSolid(L"n.png", 40, 20, kRed);
    images.WriteSolid(L"h.png", 40, 20, kGreen);
    images.WriteSolid(L"d.png", 40, 20, kGrey);
    auto window = OpenWindow(
        L"<FadeButton name=\"fade\" width=\"40\" height=\"20\" normalimage=\"n.png\" hotimage=\"h.png\" "
        L"disabledimage=\"d.png\"/>");
    auto* fade = window->Get<CFadeButtonUI>(L"fade");
    ASSERT_NE(nullptr, fade);
    EXPECT_STREQ(L"FadeButtonUI", fade->GetClass());
    const POINT centre = Centre(fade);
    EXPECT_EQ(kRed, window->Pixel(centre.x, centre.y));

    MouseEvent(fade, UIEVENT_MOUSEENTER, centre);
    EXPECT_TRUE(fade->IsAnimationRunning(CFadeButtonUI::kFadeIn));
    // The frames below come from the test's own ticks only: a real 10 ms tick delivered while a busy
    // machine paints would move the fade on between two checks.
    EXPECT_TRUE(fade->GetManager()->StopControlTimer(fade, CFadeButtonUI::kFadeIn));
    EXPECT_EQ(kRed, window->Pixel(centre.x, centre.y));  // the first paint still shows the normal image
    for (int tick = 0; tick < 16; ++tick) Tick(fade, CFadeButtonUI::kFadeIn);
    EXPECT_EQ(127, fade->GetFadeAlpha());
    const DWORD middle = window->Pixel(centre.x, centre.y);
    EXPECT_GT((middle >> 16) & 0xFF, 0x40u);
    EXPECT_LT((middle >> 16) & 0xFF, 0xC0u);
    EXPECT_GT((middle >> 8) & 0xFF, 0x40u);
    EXPECT_LT((middle >> 8) & 0xFF, 0xC0u);
    for (int tick = 0; tick < 20; ++tick) Tick(fade, CFadeButtonUI::kFadeIn);
    EXPECT_FALSE(fade->IsAnimationRunning(CFadeButtonUI::kFadeIn));
    EXPECT_EQ(kGreen, window->Pixel(centre.x, centre.y));

    // Leaving half-way into a new fade-in stops it and fades out from the start.
    MouseEvent(fade, UIEVENT_MOUSELEAVE, POINT{0, 0});
    for (int tick = 0; tick < 5; ++tick) Tick(fade, CFadeButtonUI::kFadeOut);
    MouseEvent(fade, UIEVENT_MOUSEENTER, centre);
    EXPECT_FALSE(fade->IsAnimationRunning(CFadeButtonUI::kFadeOut));
    EXPECT_TRUE(fade->IsAnimationRunning(CFadeButtonUI::kFadeIn));
    EXPECT_EQ(0, fade->GetFadeAlpha());
    MouseEvent(fade, UIEVENT_MOUSELEAVE, POINT{0, 0});
    EXPECT_FALSE(fade->IsAnimationRunning(CFadeButtonUI::kFadeIn));
    for (int tick = 0; tick < 40; ++tick) Tick(fade, CFadeButtonUI::kFadeOut);
    EXPECT_EQ(kRed, window->Pixel(centre.x, centre.y));

    fade->SetEnabled(false);
    EXPECT_EQ(kGrey, window->Pixel(centre.x, centre.y));
}

TEST(RingTest, TurnsThirtySixDegreesATickAndStartsOverAfterAFullTurn) {
    CImageFolder images;
    images.WriteStrip(L"ring.png", 20, 40, {kRed, kBlue});
    auto window = OpenWindow(L"<Ring name=\"ring\" width=\"40\" height=\"40\" bkimage=\"ring.png\"/>");
    auto* ring = window->Get<CRingUI>(L"ring");
    ASSERT_NE(nullptr, ring);
    EXPECT_STREQ(L"RingUI", ring->GetClass());
    EXPECT_TRUE(ring->HasImage());
    EXPECT_EQ(1, window->pm().GetTimerCount());
    const RECT pos = ring->GetPos();
    const int y = (pos.top + pos.bottom) / 2;
    EXPECT_EQ(kRed, window->Pixel(pos.left + 5, y));
    EXPECT_EQ(kBlue, window->Pixel(pos.right - 5, y));

    const float angles[] = {36, 72, 108, 144, 180, 216, 252, 288, 324, 360, 36, 72};
    for (size_t i = 0; i < sizeof(angles) / sizeof(angles[0]); ++i) {
        Tick(ring, CRingUI::kTurnTimer);
        EXPECT_FLOAT_EQ(angles[i], ring->GetAngle()) << i;
        if (i == 4) {
            // Half a turn: the halves changed sides.
            EXPECT_EQ(kBlue, window->Pixel(pos.left + 5, y));
            EXPECT_EQ(kRed, window->Pixel(pos.right - 5, y));
        }
    }
    // The same image keeps the loaded one and its timer.
    ring->SetAttribute(L"bkimage", L"ring.png");
    EXPECT_TRUE(ring->HasImage());
    EXPECT_EQ(1, window->pm().GetTimerCount());
}

TEST(RingTest, AnImageThatDoesNotLoadDrawsNothingAndStartsNoTimer) {
    CImageFolder images;
    auto window = OpenWindow(L"<Ring name=\"ring\" width=\"40\" height=\"40\" bkimage=\"later.png\"/>");
    auto* ring = window->Get<CRingUI>(L"ring");
    EXPECT_FALSE(ring->HasImage());
    EXPECT_EQ(0, window->pm().GetTimerCount());
    const POINT centre = Centre(ring);
    EXPECT_EQ(kWhite, window->Pixel(centre.x, centre.y));
    // Tried again at the next paint.
    images.WriteSolid(L"later.png", 40, 40, kGreen);
    ring->Invalidate();
    EXPECT_EQ(kGreen, window->Pixel(centre.x, centre.y));
    EXPECT_TRUE(ring->HasImage());
    EXPECT_EQ(1, window->pm().GetTimerCount());
}
