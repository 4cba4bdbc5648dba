// Control and container attributes, attribute lists, styles and custom attributes.
#include "TreeTestSupport.h"

#include "UIScrollBar.h"

using namespace SkinUI;
using namespace TreeTest;

namespace {

TEST(ControlAttributes, PositionsAndShortNumericLists) {
    CControlUI control;
    control.SetAttribute(L"pos", L"-1,5,20,30");
    EXPECT_EQ(20, control.GetFixedXY().cx);
    EXPECT_EQ(5, control.GetFixedXY().cy);
    EXPECT_EQ(21, control.GetFixedWidth());
    EXPECT_EQ(25, control.GetFixedHeight());

    // A list shorter than expected reads what is there; the rest is 0 (a negative width is ignored).
    CControlUI shortList;
    shortList.SetAttribute(L"pos", L"10");
    EXPECT_EQ(10, shortList.GetFixedXY().cx);
    EXPECT_EQ(0, shortList.GetFixedXY().cy);
    EXPECT_EQ(0, shortList.GetFixedWidth());
    shortList.SetAttribute(L"padding", L"1,2");
    EXPECT_RECT(shortList.GetPadding(), 1, 2, 0, 0);
    shortList.SetAttribute(L"borderround", L"4,");
    EXPECT_EQ(4, shortList.GetBorderRound().cx);
    EXPECT_EQ(0, shortList.GetBorderRound().cy);
    shortList.SetAttribute(L"float", L"0.25,");
    EXPECT_TRUE(shortList.IsFloat());
    EXPECT_DOUBLE_EQ(0.25, shortList.GetFloatPercent().left);
    EXPECT_DOUBLE_EQ(0.0, shortList.GetFloatPercent().bottom);
}

TEST(ControlAttributes, FloatAlignTokens) {
    CControlUI control;
    control.SetAttribute(L"floatalign", L"right,bottom");
    EXPECT_EQ(10u, control.GetFloatAlign());
    control.SetAttribute(L"floatalign", L"");
    EXPECT_EQ(10u, control.GetFloatAlign());
    control.SetAttribute(L"floatalign", L"null");
    EXPECT_EQ(0u, control.GetFloatAlign());
    control.SetAttribute(L"floatalign", L" CENTER right ,, vcenter top bogus");
    EXPECT_EQ(2u, control.GetFloatAlign());
    control.SetAttribute(L"float", L"TRUE");
    EXPECT_TRUE(control.IsFloat());
    control.SetAttribute(L"float", L"yes");
    EXPECT_FALSE(control.IsFloat());
}

TEST(ControlAttributes, ColoursBordersCursorAndFlags) {
    CControlUI control;
    control.SetAttribute(L"bkcolor", L" #FF102030");
    EXPECT_EQ(0xFF102030u, control.GetBkColor());
    control.SetAttribute(L"BKCOLOR2", L"FF405060");
    EXPECT_EQ(0xFF405060u, control.GetBkColor2());
    control.SetAttribute(L"bordercolor", L"#80ABCDEF");
    EXPECT_EQ(0x80ABCDEFu, control.GetBorderColor());
    control.SetAttribute(L"focusbordercolor", L"  #FF000001");  // no blanks skipped here
    EXPECT_EQ(0u, control.GetFocusBorderColor());

    control.SetAttribute(L"bordersize", L"3");
    EXPECT_EQ(3, control.GetBorderSize());
    control.SetAttribute(L"bordersize", L"0,1,0,1");
    EXPECT_EQ(3, control.GetBorderSize());
    EXPECT_RECT(control.GetBorderSizes(), 0, 1, 0, 1);
    control.SetAttribute(L"bordersize", L"2");
    EXPECT_RECT(control.GetBorderSizes(), 0, 0, 0, 0);

    control.SetAttribute(L"cursor", L"hand");
    EXPECT_EQ(32649, control.GetCursor());
    control.SetAttribute(L"cursor", L"bogus");
    EXPECT_EQ(32649, control.GetCursor());
    control.SetAttribute(L"shortcut", L"xyz");
    EXPECT_EQ(L'x', control.GetShortcut());
    control.SetAttribute(L"menu", L"true");
    EXPECT_TRUE(control.IsContextMenuUsed());
    control.SetAttribute(L"visible", L"False");
    EXPECT_FALSE(control.IsVisible());
    control.SetAttribute(L"maxwidth", L"-5");
    EXPECT_EQ(9999, control.GetMaxWidth());

    control.SetAttribute(L"foo", L"bar");
    control.SetAttribute(L"foo", L"second");  // never replaces
    EXPECT_STREQ(L"bar", control.GetCustomAttribute(L"foo"));
    EXPECT_TRUE(control.RemoveCustomAttribute(L"foo"));
    EXPECT_FALSE(control.RemoveCustomAttribute(L"foo"));
    EXPECT_EQ(nullptr, control.GetCustomAttribute(L"foo"));
}

TEST(ControlAttributes, TextsAndToolTips) {
    CControlUI control;
    control.SetAttribute(L"text", L"{\\n}first{\\n}second");
    EXPECT_STREQ(L"\nfirst\nsecond", control.GetText().Data());
    control.SetAttribute(L"tooltip", L"one<n>two");
    EXPECT_STREQ(L"one\r\ntwo", control.GetToolTip().Data());
}

TEST(AttributeLists, PairsQuotesAndSeparators) {
    CControlUI control;
    control.ApplyAttributeList(L"text=\"a\" name=\"n\",userdata=\"u\"");
    EXPECT_STREQ(L"a", control.GetText().Data());
    EXPECT_STREQ(L"n", control.GetName().Data());
    EXPECT_STREQ(L"u", control.GetUserData().Data());

    CControlUI stopped;
    stopped.ApplyAttributeList(L"text=\"a\";name=\"n\"");
    EXPECT_STREQ(L"a", stopped.GetText().Data());
    EXPECT_TRUE(stopped.GetName().IsEmpty());

    CControlUI quoted;
    quoted.ApplyAttributeList(L"text=&quot;q&quot; userdata=\"unterminated");
    EXPECT_STREQ(L"q", quoted.GetText().Data());
    EXPECT_TRUE(quoted.GetUserData().IsEmpty());

    CControlUI inner;
    inner.SetAttribute(L"innerstyle", L"width=\"12\" height=\"7\"");
    EXPECT_EQ(12, inner.GetFixedWidth());
    EXPECT_EQ(7, inner.GetFixedHeight());
}

TEST(Styles, AValueNamingAStyleAppliesIt) {
    CPaintManagerUI pm;
    pm.AddStyle(L"title", L"bkcolor=\"#FF000011\" width=\"40\"");
    CControlUI* root = BuildRoot(pm, L"<Window><Container><Control name=\"c\"/></Container></Window>");
    CControlUI* control = Named(pm, L"c");
    control->SetAttribute(L"text", L"title");
    EXPECT_TRUE(control->GetText().IsEmpty());
    EXPECT_EQ(0xFF000011u, control->GetBkColor());
    EXPECT_EQ(40, control->GetFixedWidth());
    control->ApplyAttributeList(L"title");  // a whole list that names a style
    EXPECT_EQ(0xFF000011u, control->GetBkColor());
    (void)root;
}

TEST(Styles, CyclesEndAtTheNestingLimit) {
    CPaintManagerUI pm;
    pm.AddStyle(L"loop", L"bkcolor=\"loop\"");
    pm.AddStyle(L"A", L"text=\"B\"");
    pm.AddStyle(L"B", L"userdata=\"x\" text=\"A\"");
    BuildRoot(pm, L"<Window><Container><Control name=\"c\"/></Container></Window>");
    CControlUI* control = Named(pm, L"c");
    control->SetAttribute(L"bkcolor", L"loop");
    EXPECT_EQ(0u, control->GetBkColor());
    control->SetAttribute(L"text", L"A");
    EXPECT_STREQ(L"x", control->GetUserData().Data());
    EXPECT_TRUE(control->GetText().IsEmpty());
    control->ApplyAttributeList(L"A");
    // Work after the refusal goes on normally.
    control->SetAttribute(L"width", L"9");
    EXPECT_EQ(9, control->GetFixedWidth());
}

TEST(ContainerAttributes, InsetAlignmentAndScrollBars) {
    CContainerUI container;
    container.SetAttribute(L"inset", L"1,2,3");
    EXPECT_RECT(container.GetInset(), 1, 2, 3, 0);
    container.SetAttribute(L"childpadding", L"6");
    EXPECT_EQ(6, container.GetChildPadding());
    container.SetAttribute(L"childvalign", L"bottom");
    EXPECT_EQ(8u, container.GetChildVAlign());
    container.SetAttribute(L"childvalign", L"Bottom");
    EXPECT_EQ(8u, container.GetChildVAlign());
    container.SetAttribute(L"ChildAlign", L"right");  // the name is matched with its case
    EXPECT_EQ(0u, container.GetChildAlign());
    EXPECT_STREQ(L"right", container.GetCustomAttribute(L"ChildAlign"));
    container.SetAttribute(L"mousechild", L"false");
    EXPECT_FALSE(container.IsMouseChildEnabled());
    container.SetAttribute(L"hscrollbar", L"true");
    EXPECT_NE(nullptr, container.GetHorizontalScrollBar());
    EXPECT_EQ(nullptr, container.GetVerticalScrollBar());
    container.SetAttribute(L"vscrollbarstyle", L"linesize=\"3\" width=\"9\"");
    ASSERT_NE(nullptr, container.GetVerticalScrollBar());
    EXPECT_NE(nullptr, container.GetHorizontalScrollBar());
    EXPECT_EQ(9, container.GetVerticalScrollBar()->GetFixedWidth());
    container.SetAttribute(L"hscrollbar", L"false");
    EXPECT_EQ(nullptr, container.GetHorizontalScrollBar());
}

TEST(ControlScaling, GettersScaleWithTheManagerOnly) {
    CControlUI detached;
    detached.ApplyAttributeList(L"width=\"20\" padding=\"5,5,5,5\" minheight=\"3\" bordersize=\"2\"");
    EXPECT_EQ(20, detached.GetFixedWidth());

    CPaintManagerUI pm;
    pm.GetDpiScaler()->SetScale(144);
    BuildRoot(pm, L"<Window><Container><Control name=\"c\" width=\"20\" padding=\"5,5,5,5\" minheight=\"3\" "
                  L"bordersize=\"2\" tooltip=\"t\"/></Container></Window>");
    CControlUI* control = Named(pm, L"c");
    EXPECT_EQ(30, control->GetFixedWidth());
    EXPECT_RECT(control->GetPadding(), 8, 8, 8, 8);
    EXPECT_EQ(5, control->GetMinHeight());
    EXPECT_EQ(3, control->GetBorderSize());
    EXPECT_EQ(450, control->GetToolTipWidth());
    EXPECT_EQ(30, control->EstimateSize(SIZE{100, 100}).cx);
}

TEST(VirtualWindows, PagesComeFromTheNearestAncestor) {
    CPaintManagerUI pm;
    BuildRoot(pm, L"<Window><Container virtualwnd=\"MainPage\"><Container><Control name=\"deep\"/></Container>"
                  L"<Control name=\"own\" virtualwnd=\"other\"/></Container></Window>");
    EXPECT_TRUE(pm.IsUsingPages());
    EXPECT_STREQ(L"MainPage", Named(pm, L"deep")->GetVirtualWnd().Data());
    EXPECT_STREQ(L"other", Named(pm, L"own")->GetVirtualWnd().Data());
}

}  // namespace
