// Layout arithmetic of the vertical, horizontal, float, tile and tab placements, at several DPIs; the
// separator drag; layout, paint clip and hit test agreeing at 125 % and 150 %.
#include "TreeTestSupport.h"

#include "UIScrollBar.h"
#include "UITabLayout.h"
#include "UITileLayout.h"
#include "UIVerticalLayout.h"

using namespace SkinUI;
using namespace TreeTest;

namespace {

struct ThreeChildCase {
    int dpi;
    RECT root;
    RECT a, b, c;
};

class VerticalLayoutAtDpi : public testing::TestWithParam<ThreeChildCase> {};

TEST_P(VerticalLayoutAtDpi, FixedAutoAndChildPadding) {
    const ThreeChildCase& expected = GetParam();
    CPaintManagerUI pm;
    pm.GetDpiScaler()->SetScale(expected.dpi);
    CControlUI* root = BuildRoot(pm, L"<Window><VerticalLayout childpadding=\"5\"><Control name=\"a\" height=\"20\"/>"
                                     L"<Control name=\"b\"/><Control name=\"c\" height=\"30\"/></VerticalLayout></Window>");
    root->SetPos(expected.root);
    EXPECT_EQ(RectText(expected.a), RectText(Named(pm, L"a")->GetPos()));
    EXPECT_EQ(RectText(expected.b), RectText(Named(pm, L"b")->GetPos()));
    EXPECT_EQ(RectText(expected.c), RectText(Named(pm, L"c")->GetPos()));
}

INSTANTIATE_TEST_SUITE_P(Dpi, VerticalLayoutAtDpi,
                         testing::Values(ThreeChildCase{96, {0, 0, 200, 100}, {0, 0, 200, 20}, {0, 25, 200, 65}, {0, 70, 200, 100}},
                                         ThreeChildCase{120, {0, 0, 250, 125}, {0, 0, 250, 25}, {0, 31, 250, 81}, {0, 87, 250, 125}},
                                         ThreeChildCase{144, {0, 0, 300, 150}, {0, 0, 300, 30}, {0, 38, 300, 97}, {0, 105, 300, 150}}));

class HorizontalLayoutAtDpi : public testing::TestWithParam<ThreeChildCase> {};

TEST_P(HorizontalLayoutAtDpi, MirrorsTheVerticalLayout) {
    const ThreeChildCase& expected = GetParam();
    CPaintManagerUI pm;
    pm.GetDpiScaler()->SetScale(expected.dpi);
    CControlUI* root = BuildRoot(pm, L"<Window><HorizontalLayout childpadding=\"5\"><Control name=\"a\" width=\"20\"/>"
                                     L"<Control name=\"b\"/><Control name=\"c\" width=\"30\"/></HorizontalLayout></Window>");
    root->SetPos(expected.root);
    EXPECT_EQ(RectText(expected.a), RectText(Named(pm, L"a")->GetPos()));
    EXPECT_EQ(RectText(expected.b), RectText(Named(pm, L"b")->GetPos()));
    EXPECT_EQ(RectText(expected.c), RectText(Named(pm, L"c")->GetPos()));
}

INSTANTIATE_TEST_SUITE_P(Dpi, HorizontalLayoutAtDpi,
                         testing::Values(ThreeChildCase{96, {0, 0, 100, 200}, {0, 0, 20, 200}, {25, 0, 65, 200}, {70, 0, 100, 200}},
                                         ThreeChildCase{144, {0, 0, 150, 300}, {0, 0, 30, 300}, {38, 0, 97, 300}, {105, 0, 150, 300}}));

TEST(VerticalLayout, InsetAndChildPaddingScaleTogether) {
    const wchar_t* xml = L"<Window><VerticalLayout inset=\"4,4,4,4\" childpadding=\"2\"><Control name=\"a\" height=\"10\" "
                         L"padding=\"3,1,3,1\"/><Control name=\"b\"/></VerticalLayout></Window>";
    CPaintManagerUI normal;
    BuildRoot(normal, xml)->SetPos(RECT{0, 0, 200, 100});
    EXPECT_RECT(Named(normal, L"a")->GetPos(), 7, 5, 193, 15);
    EXPECT_RECT(Named(normal, L"b")->GetPos(), 4, 18, 196, 96);

    CPaintManagerUI large;
    large.GetDpiScaler()->SetScale(144);
    BuildRoot(large, xml)->SetPos(RECT{0, 0, 300, 150});
    EXPECT_RECT(Named(large, L"a")->GetPos(), 11, 8, 289, 23);
    EXPECT_RECT(Named(large, L"b")->GetPos(), 6, 28, 294, 144);
}

TEST(VerticalLayout, SharesAndLimits) {
    CPaintManagerUI pm;
    CControlUI* root = BuildRoot(pm, L"<Window><VerticalLayout><Control name=\"a\"/><Control name=\"b\"/><Control name=\"c\"/>"
                                     L"</VerticalLayout></Window>");
    root->SetPos(RECT{0, 0, 200, 100});
    // The last adjustable child takes the rounding rest.
    EXPECT_RECT(Named(pm, L"a")->GetPos(), 0, 0, 200, 33);
    EXPECT_RECT(Named(pm, L"b")->GetPos(), 0, 33, 200, 66);
    EXPECT_RECT(Named(pm, L"c")->GetPos(), 0, 66, 200, 100);

    CPaintManagerUI limited;
    root = BuildRoot(limited, L"<Window><VerticalLayout childpadding=\"5\"><Control height=\"20\"/>"
                              L"<Control name=\"b\" maxheight=\"10\" maxwidth=\"50\"/><Control name=\"c\" height=\"30\"/>"
                              L"<Control name=\"d\" minheight=\"7\" minwidth=\"300\"/></VerticalLayout></Window>");
    root->SetPos(RECT{0, 0, 200, 100});
    EXPECT_RECT(Named(limited, L"b")->GetPos(), 0, 25, 50, 35);
    EXPECT_RECT(Named(limited, L"c")->GetPos(), 0, 40, 200, 70);
    // The last share is what is left (25), within the minimum; the width is raised to the minimum.
    EXPECT_RECT(Named(limited, L"d")->GetPos(), 0, 75, 300, 100);
}

TEST(HorizontalLayout, CrossAxisAlignment) {
    CPaintManagerUI pm;
    CControlUI* root = BuildRoot(pm, L"<Window><HorizontalLayout childvalign=\"vcenter\"><Control name=\"a\" width=\"100\" "
                                     L"height=\"20\"/><Control name=\"b\"/></HorizontalLayout></Window>");
    root->SetPos(RECT{0, 0, 300, 50});
    EXPECT_RECT(Named(pm, L"a")->GetPos(), 0, 15, 100, 35);
    EXPECT_RECT(Named(pm, L"b")->GetPos(), 100, 0, 300, 50);

    // Centred children ignore their horizontal padding; "Center" is not a keyword of childalign.
    CPaintManagerUI centred;
    root = BuildRoot(centred, L"<Window><VerticalLayout childalign=\"center\"><Control name=\"a\" width=\"50\" "
                              L"padding=\"10,0,10,0\"/></VerticalLayout></Window>");
    root->SetPos(RECT{0, 0, 200, 100});
    EXPECT_EQ(75, Named(centred, L"a")->GetX());
    EXPECT_EQ(50, Named(centred, L"a")->GetWidth());
    CPaintManagerUI capital;
    root = BuildRoot(capital, L"<Window><VerticalLayout childalign=\"Center\"><Control name=\"a\" width=\"50\" "
                              L"padding=\"10,0,10,0\"/></VerticalLayout></Window>");
    root->SetPos(RECT{0, 0, 200, 100});
    EXPECT_EQ(10, Named(capital, L"a")->GetX());

    CPaintManagerUI right;
    root = BuildRoot(right, L"<Window><VerticalLayout childalign=\"right\"><Control name=\"a\" width=\"50\" "
                            L"padding=\"10,0,10,0\"/></VerticalLayout></Window>");
    root->SetPos(RECT{0, 0, 200, 100});
    EXPECT_EQ(140, Named(right, L"a")->GetX());
}

TEST(Container, FloatChildrenByAlignmentAndPercent) {
    CPaintManagerUI pm;
    CControlUI* root = BuildRoot(pm, L"<Window><Container>"
                                     L"<Control name=\"percent\" float=\"0.5,0,1,0.5\"/>"
                                     L"<Control name=\"corner\" float=\"true\" pos=\"10,10,50,30\" floatalign=\"right,bottom\"/>"
                                     L"<Control name=\"middle\" float=\"true\" pos=\"10,10,50,30\" floatalign=\"center vcenter\"/>"
                                     L"<Control name=\"plain\" float=\"true\" pos=\"10,10,50,30\"/>"
                                     L"<Control name=\"fill\"/></Container></Window>");
    root->SetPos(RECT{100, 50, 300, 150});
    EXPECT_RECT(Named(pm, L"percent")->GetPos(), 200, 50, 300, 100);
    EXPECT_RECT(Named(pm, L"corner")->GetPos(), 260, 130, 300, 150);
    EXPECT_RECT(Named(pm, L"middle")->GetPos(), 180, 90, 220, 110);
    EXPECT_RECT(Named(pm, L"plain")->GetPos(), 110, 60, 150, 80);
    EXPECT_RECT(Named(pm, L"fill")->GetPos(), 100, 50, 300, 150);
}

TEST(TileLayout, ColumnsFromItemSizeAndHalfPadding) {
    CPaintManagerUI pm;
    CControlUI* root = BuildRoot(pm, L"<Window><TileLayout itemsize=\"100,50\" childpadding=\"10\">"
                                     L"<Control name=\"t0\" width=\"80\" height=\"40\"/><Control name=\"t1\" width=\"80\" height=\"40\"/>"
                                     L"<Control name=\"t2\" width=\"80\" height=\"40\"/><Control name=\"t3\" width=\"80\" height=\"40\"/>"
                                     L"</TileLayout></Window>");
    root->SetPos(RECT{0, 0, 350, 200});
    EXPECT_EQ(3, static_cast<CTileLayoutUI*>(root->GetInterface(L"TileLayout"))->GetColumns());
    EXPECT_RECT(Named(pm, L"t0")->GetPos(), 15, 0, 95, 40);
    EXPECT_RECT(Named(pm, L"t1")->GetPos(), 134, 0, 214, 40);
    EXPECT_RECT(Named(pm, L"t2")->GetPos(), 252, 0, 332, 40);
    EXPECT_RECT(Named(pm, L"t3")->GetPos(), 15, 50, 95, 90);

    // A layout narrower than its inset still gets one column.
    root->SetAttribute(L"inset", L"200,0,200,0");
    root->SetPos(RECT{0, 0, 350, 200});
    EXPECT_EQ(1, static_cast<CTileLayoutUI*>(root->GetInterface(L"TileLayout"))->GetColumns());
}

TEST(TabLayout, SelectionFollowsAddsRemovesAndSelects) {
    CPaintManagerUI pm;
    NotifyRecorder recorder;
    pm.AddNotifyListener(&recorder);
    CControlUI* root = BuildRoot(pm, L"<Window><TabLayout inset=\"1,2,3,4\"><Control name=\"p0\"/><Control name=\"p1\" "
                                     L"padding=\"5,5,5,5\"/><Control name=\"p2\"/></TabLayout></Window>");
    auto* tab = static_cast<CTabLayoutUI*>(root->GetInterface(L"TabLayout"));
    auto visiblePages = [tab] {
        std::wstring pages;
        for (int i = 0; i < tab->GetCount(); ++i) pages += tab->GetItemAt(i)->IsVisible() ? L'1' : L'0';
        return pages;
    };
    EXPECT_EQ(0, tab->GetCurSel());
    EXPECT_EQ(L"100", visiblePages());

    EXPECT_TRUE(tab->SelectItem(2));
    ASSERT_EQ(1u, recorder.OfType(L"tabselect").size());
    EXPECT_EQ(2u, recorder.OfType(L"tabselect")[0].wParam);
    EXPECT_EQ(0, recorder.OfType(L"tabselect")[0].lParam);
    EXPECT_EQ(L"001", visiblePages());
    EXPECT_TRUE(tab->SelectItem(2));  // already selected: nothing is sent
    EXPECT_EQ(1u, recorder.OfType(L"tabselect").size());
    EXPECT_FALSE(tab->SelectItem(3));

    tab->SelectItem(1);
    root->SetPos(RECT{0, 0, 100, 100});
    EXPECT_RECT(Named(pm, L"p1")->GetPos(), 6, 7, 92, 91);

    // A page inserted before the selection moves it on and stays hidden: one page is visible.
    auto* inserted = new CControlUI;
    EXPECT_TRUE(tab->AddAt(inserted, 0));
    EXPECT_EQ(2, tab->GetCurSel());
    EXPECT_EQ(L"0010", visiblePages());

    EXPECT_TRUE(tab->Remove(tab->GetItemAt(2)));  // the selected page
    EXPECT_EQ(0, tab->GetCurSel());
    EXPECT_EQ(L"100", visiblePages());
    EXPECT_TRUE(tab->Remove(tab->GetItemAt(2)));  // after the selection
    EXPECT_EQ(0, tab->GetCurSel());
    tab->RemoveAll();
    EXPECT_EQ(-1, tab->GetCurSel());

    CPaintManagerUI second;
    root = BuildRoot(second, L"<Window><TabLayout selectedid=\"1\"><Control/><Control name=\"chosen\"/></TabLayout></Window>");
    EXPECT_TRUE(Named(second, L"chosen")->IsVisible());
    EXPECT_STREQ(L"1", root->GetCustomAttribute(L"selectedid"));
}

TEST(VerticalLayout, SeparatorDragKeepsWithinLimitsAtAnyDpi) {
    for (int dpi : {96, 144}) {
        CPaintManagerUI pm;
        pm.GetDpiScaler()->SetScale(dpi);
        const int scale = dpi == 96 ? 2 : 3;  // device pixels per two layout units
        CControlUI* root = BuildRoot(pm, L"<Window><VerticalLayout><VerticalLayout name=\"pane\" height=\"100\" minheight=\"50\" "
                                         L"maxheight=\"150\" sepheight=\"5\" sepimm=\"true\"/><Control/></VerticalLayout></Window>");
        root->SetPos(RECT{0, 0, 200 * scale / 2, 400 * scale / 2});
        auto* pane = static_cast<CVerticalLayoutUI*>(Named(pm, L"pane"));
        EXPECT_EQ(UIFLAG_SETCURSOR, pane->GetControlFlags());
        const int bottom = 100 * scale / 2;
        TUIEvent event;
        event.Type = UIEVENT_BUTTONDOWN;
        event.ptMouse = {10, bottom - 2};
        pane->Event(event);
        event.Type = UIEVENT_MOUSEMOVE;
        event.ptMouse = {10, bottom - 2 + 30};
        pane->Event(event);
        root->SetPos(root->GetPos());
        EXPECT_EQ(bottom + 30, pane->GetPos().bottom) << dpi;
        event.ptMouse = {10, bottom - 2 + 200};  // beyond the maximum
        pane->Event(event);
        event.Type = UIEVENT_BUTTONUP;
        pane->Event(event);
        root->SetPos(root->GetPos());
        EXPECT_EQ(150 * scale / 2, pane->GetPos().bottom) << dpi;
        EXPECT_EQ(150 * scale / 2, pane->GetFixedHeight()) << dpi;
    }
}

TEST(VerticalLayout, SeparatorTrackerIsPostPaintedUntilRelease) {
    CPaintManagerUI pm;
    CControlUI* root = BuildRoot(pm, L"<Window><VerticalLayout><VerticalLayout name=\"pane\" height=\"100\" sepheight=\"-5\"/>"
                                     L"</VerticalLayout></Window>");
    root->SetPos(RECT{0, 0, 100, 300});
    auto* pane = static_cast<CVerticalLayoutUI*>(Named(pm, L"pane"));
    EXPECT_EQ(0u, pane->GetControlFlags());  // a strip on the top edge wants no cursor events
    TUIEvent event;
    event.Type = UIEVENT_BUTTONDOWN;
    event.ptMouse = {10, 2};
    pane->Event(event);
    EXPECT_TRUE(pm.IsPostPaintControl(pane));
    event.Type = UIEVENT_MOUSEMOVE;
    event.ptMouse = {10, 12};  // the top edge follows the mouse down by 10
    pane->Event(event);
    Canvas canvas(100, 300);
    canvas.Fill(0xFFFFFFFF);
    pane->DoPostPaint(canvas.dc(), RECT{0, 0, 100, 300});
    EXPECT_NE(0xFFFFFFu, canvas.Rgb(50, 12));  // the tracker over the new strip
    EXPECT_EQ(0xFFFFFFu, canvas.Rgb(50, 50));
    EXPECT_EQ(0, pane->GetPos().top);  // the layout itself changes only at release
    event.Type = UIEVENT_BUTTONUP;
    pane->Event(event);
    EXPECT_FALSE(pm.IsPostPaintControl(pane));
    EXPECT_EQ(10, pane->GetPos().top);
    EXPECT_EQ(90, pane->GetFixedHeight());
}

// At 125 % and 150 % the inner area of a container is the same for layout, painting and hit tests:
// content scrolled over the inset band is neither painted nor hit there.
class ContainerScalingAtDpi : public testing::TestWithParam<int> {};

TEST_P(ContainerScalingAtDpi, LayoutPaintAndHitTestAgree) {
    CPaintManagerUI pm;
    pm.GetDpiScaler()->SetScale(GetParam());
    const int inset = pm.GetDpiScaler()->Scale(10);
    CControlUI* root = BuildRoot(pm, L"<Window><VerticalLayout name=\"box\" inset=\"10,10,10,10\" bkcolor=\"#FFFF0000\" "
                                     L"vscrollbar=\"true\"><Control name=\"content\" height=\"400\" bkcolor=\"#FF00FF00\"/>"
                                     L"</VerticalLayout></Window>");
    root->SetPos(RECT{0, 0, 300, 300});
    CControlUI* content = Named(pm, L"content");
    EXPECT_EQ(inset, content->GetY());
    static_cast<CContainerUI*>(root)->SetScrollPos(SIZE{0, 2 * inset}, false);
    EXPECT_EQ(-inset, content->GetY());

    Canvas canvas(300, 300);
    root->Paint(canvas.dc(), RECT{0, 0, 300, 300});
    EXPECT_EQ(0xFF0000u, canvas.Rgb(100, inset - 1));  // the band shows the container
    EXPECT_EQ(0x00FF00u, canvas.Rgb(100, inset));
    EXPECT_EQ(0xFF0000u, canvas.Rgb(inset - 1, 100));
    EXPECT_EQ(root, pm.FindControlAtPoint(100, inset - 1));
    EXPECT_EQ(content, pm.FindControlAtPoint(100, inset));
    EXPECT_EQ(root, pm.FindControlAtPoint(inset - 1, 100));
    CControlUI* bar = static_cast<CContainerUI*>(root)->GetVerticalScrollBar();
    EXPECT_EQ(bar, pm.FindControlAtPoint(300 - inset - 2, 100));
}

INSTANTIATE_TEST_SUITE_P(Dpi, ContainerScalingAtDpi, testing::Values(96, 120, 144));

TEST(Control, PaintOrderColoursAndBorders) {
    CPaintManagerUI pm;
    CControlUI* root = BuildRoot(pm, L"<Window><Container><Control name=\"solid\" float=\"true\" pos=\"0,0,20,20\" "
                                     L"bkcolor=\"#FF0000FF\"/><Control name=\"glass\" float=\"true\" pos=\"30,0,50,20\" "
                                     L"bkcolor=\"#800000FF\"/><Control name=\"framed\" float=\"true\" pos=\"60,0,90,30\" "
                                     L"bkcolor=\"#FF00FF00\" bordersize=\"2\" bordercolor=\"#FFFF0000\"/>"
                                     L"<Control name=\"under\" float=\"true\" pos=\"100,0,130,30\" bordersize=\"0,0,0,3\" "
                                     L"bordercolor=\"#FFFF0000\" forecolor=\"#FF0000FF\"/></Container></Window>");
    root->SetPos(RECT{0, 0, 200, 100});
    Canvas canvas(200, 100);
    // Only the top-left quarter of the opaque and translucent squares is asked for: an opaque colour
    // fills the paint rectangle, a translucent one the whole item.
    Named(pm, L"solid")->Paint(canvas.dc(), RECT{0, 0, 10, 10});
    Named(pm, L"glass")->Paint(canvas.dc(), RECT{30, 0, 40, 10});
    EXPECT_EQ(0x0000FFu, canvas.Rgb(5, 5));
    EXPECT_EQ(0u, canvas.Rgb(15, 15));
    EXPECT_NE(0u, canvas.Rgb(45, 15));

    Named(pm, L"framed")->Paint(canvas.dc(), RECT{0, 0, 200, 100});
    EXPECT_EQ(0xFF0000u, canvas.Rgb(60, 15));  // the border over the background
    EXPECT_EQ(0xFF0000u, canvas.Rgb(89, 15));
    EXPECT_EQ(0xFF0000u, canvas.Rgb(75, 0));
    EXPECT_EQ(0x00FF00u, canvas.Rgb(64, 15));

    Named(pm, L"under")->Paint(canvas.dc(), RECT{0, 0, 200, 100});
    EXPECT_EQ(0xFF0000u, canvas.Rgb(115, 29));  // bottom line over the fore colour
    EXPECT_EQ(0x0000FFu, canvas.Rgb(115, 10));
    EXPECT_EQ(0x0000FFu, canvas.Rgb(100, 10));  // no left line

    // Painting stops at the stop control.
    EXPECT_FALSE(root->Paint(canvas.dc(), RECT{0, 0, 200, 100}, Named(pm, L"glass")));
}

}  // namespace
