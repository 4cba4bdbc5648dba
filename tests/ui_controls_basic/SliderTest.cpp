// Progress bars and sliders: the bar geometry as pure arithmetic, the percentage text, sliders built from
// layout XML and dragged, clicked and wheeled with real mouse messages at every DPI, and the painted
// fill and thumb.
#include "ControlsTestSupport.h"

#include "UIProgress.h"

using namespace SkinUI;
using namespace WindowTest;
using namespace ControlsTest;

namespace {

struct TThumbCase {
    RECT item;
    bool horizontal;
    int minimum, maximum, value;
    RECT thumb;
};

const TThumbCase kThumbs[] = {
    {{0, 0, 200, 20}, true, 0, 100, 37, {70, 5, 80, 15}},
    {{0, 0, 200, 20}, true, 0, 100, 0, {0, 5, 10, 15}},
    {{0, 0, 200, 20}, true, 0, 100, 100, {190, 5, 200, 15}},
    {{0, 0, 20, 200}, false, 0, 100, 0, {5, 190, 15, 200}},
    {{0, 0, 20, 200}, false, 0, 100, 100, {5, 0, 15, 10}},
    {{10, 0, 210, 20}, true, -600, 0, -300, {105, 5, 115, 15}},
    {{0, 0, 200, 20}, true, 5, 5, 5, {0, 5, 10, 15}},      // no range: no division by zero
    {{0, 0, 8, 20}, true, 0, 100, 50, {0, 5, 10, 15}},     // no track
};

struct TEdgeCase {
    bool horizontal;
    int position;
    int value;
};

// A 200 x 20 (or 20 x 200) bar, 0 to 100, thumb 10 x 10: the leading edge travels 190 pixels.
const TEdgeCase kEdges[] = {
    {true, 70, 37}, {true, 0, 0}, {true, -40, 0}, {true, 190, 100}, {true, 400, 100}, {true, 95, 50},
    {false, 190, 0}, {false, 0, 100}, {false, 95, 50}, {false, 120, 37},
};

const wchar_t kSliders[] = LR"(<Window size="300,160"><VerticalLayout inset="10,10,10,10" childpadding="10">
  <Slider name="s" width="200" height="20" thumbsize="10,10" value="37" step="5" sendmove="true"/>
  <Slider name="quiet" width="200" height="20" thumbsize="10,10" value="37"/>
  <HorizontalLayout height="60">
    <Slider name="v" width="20" height="60" hor="false" thumbsize="10,10" value="50" step="3"/>
    <Control/>
  </HorizontalLayout>
</VerticalLayout></Window>)";

POINT CentreOf(const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

}  // namespace

TEST(BarGeometry, ThumbRectanglesAndValuesFromTheThumbEdge) {
    for (const TThumbCase& c : kThumbs) {
        TBarGeometry bar{c.item, c.minimum, c.maximum, c.value, c.horizontal};
        const RECT thumb = bar.ThumbRect(SIZE{10, 10});
        EXPECT_TRUE(EqualRect(&thumb, &c.thumb)) << c.value << ": " << thumb.left << "," << thumb.top << "," << thumb.right
                                                 << "," << thumb.bottom;
        // The edge of a thumb gives its value back.
        if (c.maximum > c.minimum && c.item.right - c.item.left > 10) {
            EXPECT_EQ(c.value, bar.ValueAtThumbEdge(SIZE{10, 10}, c.horizontal ? thumb.left : thumb.top));
        }
    }
    for (const TEdgeCase& c : kEdges) {
        TBarGeometry bar{c.horizontal ? RECT{0, 0, 200, 20} : RECT{0, 0, 20, 200}, 0, 100, 0, c.horizontal};
        EXPECT_EQ(c.value, bar.ValueAtThumbEdge(SIZE{10, 10}, c.position)) << c.horizontal << " " << c.position;
    }
    TBarGeometry flat{RECT{0, 0, 200, 20}, 7, 7, 7, true};
    EXPECT_EQ(7, flat.ValueAtThumbEdge(SIZE{10, 10}, 100));
}

TEST(BarGeometry, FilledPartsAndPercentText) {
    TBarGeometry bar{RECT{0, 0, 200, 12}, 0, 100, 25, true};
    RECT part = bar.FilledPart(200, 12);
    EXPECT_EQ(50, part.right);
    bar.horizontal = false;
    part = bar.FilledPart(12, 200);
    EXPECT_EQ(150, part.top) << "a vertical bar fills from the bottom";
    EXPECT_EQ(200, part.bottom);
    struct {
        int value, minimum, maximum;
        const wchar_t* text;
    } texts[] = {{1, 0, 3, L"33%"}, {2, 0, 3, L"67%"}, {1, 0, 8, L"13%"}, {0, 0, 8, L"0%"},
                 {5, 5, 5, L"0%"},  {-300, -600, 0, L"50%"}, {900, 0, 100, L"100%"}};
    for (const auto& t : texts) EXPECT_EQ(t.text, std::wstring(PercentText(t.value, t.minimum, t.maximum).Data()));
}

TEST(Slider, GrabbingTheThumbChangesNothingAndADragEndsWithOneChange) {
    for (const TDpi& dpi : kDpis) {
        CControlWindow window(kSliders);
        ASSERT_NE(nullptr, window.Open(dpi.dpi));
        auto* slider = window.Get<CSliderUI>(L"s");
        const RECT thumb = slider->GetThumbRect();
        EXPECT_EQ(Scaled(10, dpi.percent), thumb.right - thumb.left) << dpi.percent;
        const POINT grab = CentreOf(thumb);
        window.Press(grab);
        EXPECT_EQ(37, slider->GetValue()) << dpi.percent << " %: a click on the thumb moves nothing";
        EXPECT_TRUE(window.recorder.Types().empty());
        EXPECT_TRUE(slider->GetButtonState() & UISTATE_CAPTURED);

        // 19 pixels at 100 % are a tenth of the 190-pixel travel: 10 values.
        const int step = Scaled(19, dpi.percent);
        window.MoveTo({grab.x + step, grab.y});
        EXPECT_EQ(47, slider->GetValue()) << dpi.percent;
        slider->SetValue(10);
        EXPECT_EQ(47, slider->GetValue()) << "the application does not move a held thumb";
        window.MoveTo({grab.x + 2 * step, grab.y + 40});  // slipped off the track
        EXPECT_EQ(57, slider->GetValue());
        window.Release({grab.x + 2 * step, grab.y + 40});
        EXPECT_EQ(57, slider->GetValue()) << dpi.percent << " %: the release keeps the drag's value";
        EXPECT_EQ((std::vector<std::wstring>{L"movevaluechanged", L"movevaluechanged", L"valuechanged"}),
                  window.recorder.Types());
        slider->SetValue(10);
        EXPECT_EQ(10, slider->GetValue());
    }
}

TEST(Slider, WithoutSendMoveADragReportsOnceAtTheRelease) {
    CControlWindow window(kSliders);
    ASSERT_NE(nullptr, window.Open());
    auto* slider = window.Get<CSliderUI>(L"quiet");
    const POINT grab = CentreOf(slider->GetThumbRect());
    window.Press(grab);
    window.MoveTo({grab.x + 38, grab.y});
    window.MoveTo({grab.x + 57, grab.y});
    EXPECT_EQ(67, slider->GetValue());
    EXPECT_TRUE(window.recorder.Types().empty());
    window.Release({grab.x + 57, grab.y});
    EXPECT_EQ((std::vector<std::wstring>{L"valuechanged"}), window.recorder.Types());

    // A drag that comes back to where it started reports nothing.
    window.recorder.Clear();
    const POINT again = CentreOf(slider->GetThumbRect());
    window.Press(again);
    window.MoveTo({again.x + 30, again.y});
    window.MoveTo(again);
    window.Release(again);
    EXPECT_TRUE(window.recorder.Types().empty());
}

TEST(Slider, TrackClicksAndTheWheelStepWithinTheRange) {
    for (const TDpi& dpi : kDpis) {
        CControlWindow window(kSliders);
        ASSERT_NE(nullptr, window.Open(dpi.dpi));
        auto* slider = window.Get<CSliderUI>(L"s");
        const RECT pos = slider->GetPos();
        const POINT left = {pos.left + 2, (pos.top + pos.bottom) / 2};
        window.Click(left);
        EXPECT_EQ(32, slider->GetValue()) << dpi.percent;
        EXPECT_EQ((std::vector<std::wstring>{L"valuechanged"}), window.recorder.Types());
        window.Click({pos.right - 2, left.y});
        EXPECT_EQ(37, slider->GetValue());

        // A right button released alone does nothing.
        window.recorder.Clear();
        window.Send(WM_RBUTTONDOWN, MK_RBUTTON, At(left.x, left.y));
        window.Send(WM_RBUTTONUP, 0, At(left.x, left.y));
        Pump();
        EXPECT_EQ(37, slider->GetValue());
        EXPECT_TRUE(window.recorder.Types().empty());

        // Step 5: from 98 a notch up would pass 100 and is dropped; from 95 it reaches 100.
        slider->SetValue(98);
        window.Wheel(CentreOf(pos), false);
        EXPECT_EQ(98, slider->GetValue());
        EXPECT_TRUE(window.recorder.Types().empty());
        slider->SetValue(95);
        window.Wheel(CentreOf(pos), false);
        EXPECT_EQ(100, slider->GetValue());
        window.Wheel(CentreOf(pos), true);
        EXPECT_EQ(95, slider->GetValue());
        EXPECT_EQ(2u, window.recorder.Of(L"valuechanged").size());

        // Vertical: above the thumb is up.
        window.recorder.Clear();
        auto* vertical = window.Get<CSliderUI>(L"v");
        const RECT vpos = vertical->GetPos();
        window.Click({(vpos.left + vpos.right) / 2, vpos.top + 1});
        const RECT vthumb = vertical->GetThumbRect();
        EXPECT_EQ(53, vertical->GetValue()) << dpi.percent << " % " << vpos.top << "-" << vpos.bottom << " thumb "
                                            << vthumb.top << "-" << vthumb.bottom;
        window.Click({(vpos.left + vpos.right) / 2, vpos.bottom - 1});
        EXPECT_EQ(50, vertical->GetValue());
    }
}

TEST(Progress, ValuesOutsideTheRangeAreIgnoredAndTheOrderOfAttributesMatters) {
    CControlWindow window(LR"(<Window size="300,100"><VerticalLayout>
  <Progress name="early" value="150" max="200"/>
  <Progress name="late" max="200" value="150"/>
  <Progress name="flat" min="5" max="5" forecolor="#FF00FF00" width="100"/>
  <Control/>
</VerticalLayout></Window>)");
    ASSERT_NE(nullptr, window.Open());
    auto* early = window.Get<CProgressUI>(L"early");
    EXPECT_EQ(0, early->GetValue());
    EXPECT_EQ(150, window.Get<CProgressUI>(L"late")->GetValue());
    early->SetValue(250);
    EXPECT_EQ(0, early->GetValue());
    EXPECT_EQ(12, early->GetHeight()) << "progress bars are 12 high by default";
    // max == min paints as if max were min + 1, and keeps it.
    auto* flat = window.Get<CProgressUI>(L"flat");
    window.Pixel(0, 0);
    EXPECT_EQ(6, flat->GetMaxValue());
    flat->SetShowText(true);
    flat->UpdateText();
    EXPECT_EQ(L"0%", std::wstring(flat->GetText().Data()));
    flat->SetShowText(false);
    EXPECT_TRUE(flat->GetText().IsEmpty());
}

TEST(Progress, TheFillAndTheThumbArePaintedAtEveryDpi) {
    CImageFolder images;
    const struct {
        const wchar_t* name;
        uint32_t rgb;
    } solids[] = {{L"fill", 0x3060C0}, {L"thumb", 0xFF0000}, {L"thumbhot", 0x00FF00}, {L"thumbdown", 0x0000FF}};
    for (const auto& solid : solids) {
        images.WriteSolid((std::wstring(solid.name) + L".png").c_str(), 10, 10, solid.rgb);
        for (int percent : {125, 150, 200})
            images.WriteSolid((std::wstring(solid.name) + L"@" + std::to_wstring(percent) + L".png").c_str(),
                              Scaled(10, percent), Scaled(10, percent), solid.rgb);
    }
    for (const TDpi& dpi : kDpis) {
        CControlWindow window(LR"(<Window size="300,100"><VerticalLayout bkcolor="#FF000000">
  <Progress name="p" width="200" height="12" value="25" forecolor="#FFFFFFFF"/>
  <Progress name="img" width="200" height="12" value="50" foreimage="fill.png"/>
  <Progress name="part" width="200" height="12" value="50" foreimage="file='fill.png' dest='10,0,110,12'"/>
  <HorizontalLayout height="40">
    <Progress name="up" width="12" height="40" hor="false" value="25" forecolor="#FFFFFFFF"/>
    <Slider name="s" width="200" height="20" value="50" thumbsize="10,10" thumbimage="thumb.png"
            thumbhotimage="thumbhot.png" thumbpushedimage="thumbdown.png"/>
  </HorizontalLayout>
  <Control/>
</VerticalLayout></Window>)");
        ASSERT_NE(nullptr, window.Open(dpi.dpi));
        const int p = dpi.percent;
        const int row = Scaled(6, p);
        EXPECT_EQ(0xFFFFFFu, window.Pixel(Scaled(48, p), row)) << p;
        EXPECT_EQ(0x000000u, window.Pixel(Scaled(52, p), row)) << p;
        EXPECT_EQ(0x3060C0u, window.Pixel(Scaled(98, p), Scaled(18, p))) << p;
        EXPECT_EQ(0x000000u, window.Pixel(Scaled(102, p), Scaled(18, p))) << p;
        // A fore image with its own destination fills that part of it: 10 to 60 of 10 to 110.
        const RECT part = window.Control(L"part")->GetPos();
        EXPECT_EQ(0x000000u, window.Pixel(part.left + Scaled(8, p), part.top + Scaled(6, p))) << p;
        EXPECT_EQ(0x3060C0u, window.Pixel(part.left + Scaled(12, p), part.top + Scaled(6, p))) << p;
        EXPECT_EQ(0x3060C0u, window.Pixel(part.left + Scaled(58, p), part.top + Scaled(6, p))) << p;
        EXPECT_EQ(0x000000u, window.Pixel(part.left + Scaled(62, p), part.top + Scaled(6, p))) << p;
        const RECT up = window.Control(L"up")->GetPos();
        EXPECT_EQ(0xFFFFFFu, window.Pixel(up.left + 2, up.bottom - 2)) << p << " % vertical: from the bottom";
        EXPECT_EQ(0x000000u, window.Pixel(up.left + 2, up.top + 2)) << p;

        auto* slider = window.Get<CSliderUI>(L"s");
        const POINT thumb = CentreOf(slider->GetThumbRect());
        EXPECT_EQ(0xFF0000u, window.Pixel(thumb.x, thumb.y)) << p;
        window.MoveTo(thumb);
        EXPECT_EQ(0x00FF00u, window.Pixel(thumb.x, thumb.y)) << p << " % hot";
        window.Press(thumb);
        EXPECT_EQ(0x0000FFu, window.Pixel(thumb.x, thumb.y)) << p << " % held";
        window.MoveTo({thumb.x + Scaled(40, p), thumb.y});
        const POINT moved = CentreOf(slider->GetThumbRect());
        EXPECT_EQ(0x0000FFu, window.Pixel(moved.x, moved.y)) << p << " % the thumb follows the drag";
        window.Release({thumb.x + Scaled(40, p), thumb.y});
    }
}
