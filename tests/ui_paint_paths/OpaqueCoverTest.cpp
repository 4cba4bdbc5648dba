// A container leaves out of its background fill what its children cover with an opaque one. The tree is
// painted twice over canvases holding different garbage: once as a window paint (leaving covered parts
// out) and once past a stop control that never comes (which fills every background whole); every byte
// must agree, so nothing left out shows through.
#include "WindowTestSupport.h"

#include "UIContainer.h"
#include "UIControls.h"
#include "UIGeometry.h"

#include <algorithm>
#include <string>
#include <vector>

using namespace SkinUI;
using namespace WindowTest;

namespace {

// The labels, buttons, options and edits of the layout are known to the factory before it is built.
const bool g_registered = (RegisterControlClasses(), true);

// Panels of every kind a parent may or may not skip: rounded, translucent, gradient, nested in a plain
// layout, hidden, floating out of their parent (the last panel, so that nothing paints over what would
// leak), inside an inset (and beyond the inner area), scrolled, and classes of their own (a rounded one
// with formatted text, which narrows the clip once more). Below them, controls whose background depends
// on their state: hot and selected colours opaque or not, a selected option without a colour of its own.
const wchar_t kPanels[] = LR"(<Window size="260,240">
  <VerticalLayout name="root" bkcolor="#FF203040" inset="4,4,4,4">
    <VerticalLayout height="40" inset="10,5,10,5" bkcolor="#FF112233">
      <Control height="20" bkcolor="#FF998877"/>
      <Control height="20" bkcolor="#FF778899"/>
    </VerticalLayout>
    <VerticalLayout height="40" vscrollbar="true" bkcolor="#FF334455">
      <Control height="30" bkcolor="#FF665544"/>
      <Control height="30" bkcolor="#FF556677"/>
    </VerticalLayout>
    <Label text="words" height="30" bkcolor="#FF445566"/>
    <HorizontalLayout name="rounded" height="64" bkcolor="#FF405060" borderround="12,12" inset="3,3,3,3"
                      bordercolor="#FFC0C0C0" bordersize="1">
      <Control name="solid" width="30" bkcolor="#FFAA0000"/>
      <Control width="20" bkcolor="#80FF0000"/>
      <Control width="20" bkcolor="#FF00AA00" bkcolor2="#FF0000AA"/>
      <VerticalLayout name="plain" width="40">
        <Control name="nested" height="20" bkcolor="#FF808000"/>
        <Control height="20" bkcolor="#FF008080" visible="false"/>
      </VerticalLayout>
      <Control float="true" pos="-10,40,30,90" bkcolor="#FF0000FF"/>
      <Probe width="20" bkcolor="#FFFFFF00"/>
      <Control width="30" bkcolor="#FF102030" borderround="8,8"/>
      <Label width="60" text="{b}Aa{/b} bb" showhtml="true" borderround="10,10" bkcolor="#FF556600"
             textcolor="#FFFFFFFF" bordercolor="#FFFFFFFF" bordersize="1"/>
    </HorizontalLayout>
    <HorizontalLayout name="states" height="30" bkcolor="#FF223344" inset="2,2,2,2">
      <Button name="button" width="40" text="ok" bkcolor="#FF884422" hotbkcolor="#FF995533" borderround="8,8"/>
      <Button name="hotglass" width="30" bkcolor="#FF884422" hotbkcolor="#80995533"/>
      <Option name="chosen" width="40" bkcolor="#FF224488" selectedbkcolor="#FF4466AA" selected="true"
              borderround="6,6"/>
      <Option name="chosenbare" width="30" bkcolor="#FF224488" selected="true"/>
      <Edit name="edit" width="50" text="12.5" bkcolor="#FFEEEEEE" borderround="6,6"/>
      <Label name="label" width="40" text="ab" bkcolor="#FF446688"/>
    </HorizontalLayout>
  </VerticalLayout>
</Window>)";

// The tree painted over area on a top-down 32-bit canvas of the client's size filled with garbage.
std::vector<DWORD> PaintTree(CPaintManagerUI& pm, const RECT& area, bool asWindowPaint, DWORD garbage) {
    RECT client = {};
    GetClientRect(pm.GetWindowHandle(), &client);
    return PaintTreeOnCanvas(pm, SIZE{client.right, client.bottom}, area, asWindowPaint, garbage);
}

// The first pixel of area that differs, "" when none does.
std::string FirstDifference(const std::vector<DWORD>& actual, const std::vector<DWORD>& expected, int width,
                            const RECT& area) {
    for (size_t i = 0; i < expected.size(); ++i)
        if (actual[i] != expected[i] && PtInRect(&area, POINT{static_cast<LONG>(i % width), static_cast<LONG>(i / width)}))
            return "(" + std::to_string(i % width) + ", " + std::to_string(i / width) + ") " +
                   std::to_string(actual[i]) + " instead of " + std::to_string(expected[i]);
    return "";
}

std::string Text(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

long long Area(const std::vector<RECT>& rects) {
    long long area = 0;
    for (const RECT& r : rects) area += static_cast<long long>(r.right - r.left) * (r.bottom - r.top);
    return area;
}

}  // namespace

TEST(OpaqueCover, TheWindowPaintLeavesNothingUncovered) {
    CTestWindow window(kPanels);
    HWND hwnd = window.Create();
    ASSERT_NE(nullptr, hwnd);
    Pump();
    CPaintManagerUI& pm = window.pm();
    for (const RECT& area : {RECT{0, 0, 260, 240}, RECT{5, 10, 90, 60}, RECT{0, 120, 40, 190}, RECT{120, 70, 250, 190},
                             RECT{30, 180, 200, 215}}) {
        const std::vector<DWORD> skipped = PaintTree(pm, area, true, 0x12345678);
        const std::vector<DWORD> whole = PaintTree(pm, area, false, 0x9ABCDEF0);
        EXPECT_EQ("", FirstDifference(skipped, whole, 260, area)) << area.left << "," << area.top;
    }
}

// What the rounded panel leaves out: the children that are one opaque colour, the cross of the rounded
// one and the plain layout's visible child, within the panel's inset; nothing of the others.
TEST(OpaqueCover, ChildrenClaimOnlyWhatTheyFillOpaquely) {
    CTestWindow window(kPanels);
    ASSERT_NE(nullptr, window.Create());
    Pump();
    auto* rounded = static_cast<CContainerUI*>(window.Control(L"rounded"));
    const RECT panel = rounded->GetPos();
    std::vector<RECT> cover;
    rounded->CollectOpaqueCover(panel, cover);
    ASSERT_EQ(2u, cover.size()) << "a rounded opaque panel covers the cross between its corners";
    EXPECT_EQ(Text({panel.left + 7, panel.top, panel.right - 7, panel.bottom}), Text(cover[0]));
    EXPECT_EQ(Text({panel.left, panel.top + 7, panel.right, panel.bottom - 7}), Text(cover[1]));

    // Its children, as its own background paint asks for them.
    cover.clear();
    static_cast<CControlUI*>(window.Control(L"plain"))->CollectOpaqueCover(panel, cover);
    ASSERT_EQ(1u, cover.size()) << "the plain layout passes on its shown child";
    EXPECT_EQ(Text(window.Control(L"nested")->GetPos()), Text(cover[0]));

    cover.clear();
    const RECT half = {panel.left, panel.top, panel.left + 15, panel.top + 10};
    window.Control(L"solid")->CollectOpaqueCover(half, cover);
    ASSERT_EQ(1u, cover.size());
    RECT expected;
    IntersectRect(&expected, &half, &window.Control(L"solid")->GetPos());
    EXPECT_EQ(Text(expected), Text(cover[0])) << "a claim stays within what is asked about";

    // Buttons, options, edits and labels claim their background, rounded or not, only when every colour
    // their state may give it is opaque.
    const struct {
        const wchar_t* name;
        size_t claimed;
    } states[] = {{L"button", 2}, {L"hotglass", 0}, {L"chosen", 2}, {L"chosenbare", 0}, {L"edit", 2}, {L"label", 1}};
    for (const auto& control : states) {
        cover.clear();
        CControlUI* c = window.Control(control.name);
        ASSERT_NE(nullptr, c) << std::string(control.name, control.name + wcslen(control.name));
        c->CollectOpaqueCover(c->GetPos(), cover);
        EXPECT_EQ(control.claimed, cover.size()) << std::string(control.name, control.name + wcslen(control.name));
    }

    cover.clear();
    CControlUI* root = window.Control(L"root");
    root->CollectOpaqueCover(root->GetPos(), cover);
    ASSERT_EQ(1u, cover.size()) << "an opaque container claims its own fill, not its children";
    EXPECT_EQ(Text(root->GetPos()), Text(cover[0]));
}

// Subtraction leaves disjoint rectangles that hold every pixel of the area outside the holes.
TEST(OpaqueCover, SubtractRectsLeavesExactlyTheRest) {
    struct Case {
        RECT area;
        std::vector<RECT> holes;
    };
    std::vector<Case> cases = {
        {{0, 0, 20, 10}, {}},
        {{0, 0, 20, 10}, {{5, 2, 8, 6}}},
        {{0, 0, 20, 10}, {{-5, -5, 30, 30}}},
        {{0, 0, 20, 10}, {{0, 0, 10, 10}, {10, 0, 20, 5}}},
        {{2, 3, 18, 9}, {{0, 0, 4, 4}, {16, 7, 25, 12}, {6, 4, 9, 20}, {7, 5, 12, 6}, {30, 30, 40, 40}}},
        {{0, 0, 20, 10}, {{3, 3, 3, 8}}},
        {{0, 0, 20, 10}, {{0, 2, 6, 5}, {6, 2, 12, 5}, {0, 5, 6, 8}}},  // runs that meet, bands that join
    };
    // A panel's worth of overlapping holes, some reaching out of the area.
    Case crowded{{1, 1, 21, 12}, {}};
    unsigned seed = 7;
    auto next = [&](int range) { return static_cast<int>((seed = seed * 1103515245u + 12345u) >> 16) % range; };
    for (int i = 0; i < 40; ++i) {
        const int x = next(24) - 2, y = next(15) - 2;
        crowded.holes.push_back({x, y, x + 1 + next(6), y + 1 + next(4)});
    }
    cases.push_back(crowded);
    for (const Case& c : cases) {
        const std::vector<RECT> parts = SubtractRects(c.area, c.holes);
        int expected = 0;
        for (int y = -2; y < 14; ++y) {
            for (int x = -2; x < 24; ++x) {
                const POINT p = {x, y};
                bool free = PtInRect(&c.area, p) != FALSE;
                for (const RECT& hole : c.holes) free = free && !PtInRect(&hole, p);
                int inParts = 0;
                for (const RECT& part : parts) inParts += PtInRect(&part, p) ? 1 : 0;
                EXPECT_EQ(free ? 1 : 0, inParts) << "(" << x << ", " << y << ") of case " << (&c - cases.data());
                expected += free;
            }
        }
        EXPECT_EQ(expected, Area(parts));
    }
    EXPECT_EQ(2u, SubtractRects({0, 0, 20, 10}, {{5, 0, 8, 4}, {5, 4, 8, 10}}).size())
        << "the columns beside stacked holes are one rectangle each";
}

// The inline intersection painting uses answers as the system's IntersectRect does, empty, inverted and
// touching rectangles included, also when the result overwrites an argument.
TEST(OpaqueCover, InlineIntersectionAgreesWithTheSystem) {
    const RECT rects[] = {{0, 0, 10, 10}, {5, 5, 15, 15}, {10, 0, 20, 10}, {3, 3, 3, 8},   {8, 8, 2, 2},
                          {-5, 2, 4, 30}, {0, 0, 0, 0},   {2, 2, 8, 8},   {9, 9, 10, 10}, {0, 10, 10, 20}};
    for (const RECT& a : rects) {
        for (const RECT& b : rects) {
            RECT expected = {1, 2, 3, 4}, actual = {5, 6, 7, 8};
            const bool meets = IntersectRect(&expected, &a, &b) != FALSE;
            EXPECT_EQ(meets, IntersectRects(actual, a, b)) << Text(a) << " and " << Text(b);
            EXPECT_EQ(Text(expected), Text(actual)) << Text(a) << " and " << Text(b);
            RECT same = a;
            EXPECT_EQ(meets, IntersectRects(same, same, b));
            EXPECT_EQ(Text(expected), Text(same)) << "in place: " << Text(a) << " and " << Text(b);
        }
    }
}

// The window's own paint, with its clip kept as rectangles beside the DC, against the same tree painted
// on a plain bitmap whose clip GDI alone keeps: rounded, floating, inset and scrolled children and text
// all land on the same pixels, for the whole window and for parts of it.
TEST(OpaqueCover, TheOffscreenPaintMatchesAPlainPaint) {
    CTestWindow window(kPanels);
    HWND hwnd = window.Create();
    ASSERT_NE(nullptr, hwnd);
    Pump();
    CPaintManagerUI& pm = window.pm();
    for (const RECT& area : {RECT{0, 0, 260, 200}, RECT{5, 10, 90, 60}, RECT{30, 130, 120, 200}, RECT{170, 90, 240, 140}}) {
        InvalidateRect(hwnd, &area, FALSE);
        UpdateWindow(hwnd);
        GdiFlush();
        const SIZE size = pm.GetOffscreenSize();
        ASSERT_EQ(260, size.cx);
        const DWORD* offscreen = pm.GetOffscreenPixels();
        ASSERT_NE(nullptr, offscreen);
        const std::vector<DWORD> shown(offscreen, offscreen + static_cast<size_t>(size.cx) * size.cy);
        const std::vector<DWORD> plain = PaintTree(pm, area, false, 0x9ABCDEF0);
        EXPECT_EQ("", FirstDifference(shown, plain, 260, area)) << area.left << "," << area.top;
    }
}
