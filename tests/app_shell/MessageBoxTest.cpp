// Message boxes: the buttons each count shows, the result of each button, closes from outside, and the
// registry that closes every open box (and nothing else) at once.
#include "AppTestSupport.h"
#include "UIControl.h"

#include <gtest/gtest.h>

using namespace AppTest;

namespace {

const wchar_t* const kCaptions[] = {L"Yes", L"No", L"Later"};

struct BoxLook {
    bool cancelVisible = false;
    bool thirdVisible = false;
    std::wstring title, text, confirm, third;
};

BoxLook LookAtNewestBox() {
    BoxLook look;
    CMsgWnd* box = NewestBox();
    if (!box) return look;
    look.cancelVisible = BoxControl(box, L"cancel_btn")->IsVisible();
    look.thirdVisible = BoxControl(box, L"third_btn")->IsVisible();
    look.title = BoxControl(box, L"MessageTitle")->GetText().Data();
    look.text = BoxControl(box, L"MessageText")->GetText().Data();
    look.confirm = BoxControl(box, L"confirm_btn")->GetText().Data();
    look.third = BoxControl(box, L"third_btn")->GetText().Data();
    return look;
}

// Shows a box and, once it is open, looks at it and clicks the named control.
int ShowAndClick(int count, const wchar_t* button, BoxLook* look) {
    RunLater(50, [=] {
        *look = LookAtNewestBox();
        ClickInNewestBox(button);
    });
    return ShowMsgWndButtons(nullptr, L"Question", L"Go on?", kCaptions, count);
}

}  // namespace

TEST(MessageBoxes, EachButtonGivesItsResult) {
    BoxLook look;
    EXPECT_EQ(ShowAndClick(1, L"confirm_btn", &look), 1);
    EXPECT_FALSE(look.cancelVisible);
    EXPECT_FALSE(look.thirdVisible);
    EXPECT_EQ(look.title, L"Question");
    EXPECT_EQ(look.text, L"Go on?");
    EXPECT_EQ(look.confirm, L"Yes");

    EXPECT_EQ(ShowAndClick(2, L"cancel_btn", &look), 0);
    EXPECT_TRUE(look.cancelVisible);
    EXPECT_FALSE(look.thirdVisible);

    EXPECT_EQ(ShowAndClick(3, L"third_btn", &look), 2);
    EXPECT_TRUE(look.thirdVisible);
    EXPECT_EQ(look.third, L"Later");

    EXPECT_EQ(ShowAndClick(2, L"closebtn", &look), 0);       // the caption's close button is cancel
    EXPECT_EQ(ShowAndClick(2, L"CONFIRM_BTN", &look), 1);    // names match in any letter case
    EXPECT_TRUE(CMsgWnd::OpenBoxes().empty());
}

TEST(MessageBoxes, PlainBoxKeepsTheLayoutButtonsAndClosesFromOutside) {
    BoxLook look;
    RunLater(50, [&] {
        look = LookAtNewestBox();
        PostMessageW(NewestBox()->GetHandle(), WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(ShowMsgWnd(nullptr, L"", L"Plain"), 0);
    EXPECT_TRUE(look.cancelVisible);
    EXPECT_FALSE(look.thirdVisible);
    EXPECT_EQ(look.title, L"title");  // an empty title leaves the layout's label
    EXPECT_EQ(look.text, L"Plain");
}

TEST(MessageBoxes, CloseAllEndsEveryOpenBoxButLeavesOtherWindows) {
    // A window that merely shares the boxes' window title is not a box.
    HWND namesake = CreateWindowExW(0, L"STATIC", L"msgwnd", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(namesake, nullptr);
    int inner = -1;
    int closed = 0;
    RunLater(50, [&] {
        RunLater(50, [&] {
            EXPECT_EQ(CMsgWnd::OpenBoxes().size(), 2u);
            closed = CMsgWnd::CloseAll();
        });
        inner = ShowMsgWndButtons(nullptr, L"inner", L"second box", kCaptions, 2);
    });
    const int outer = ShowMsgWndButtons(nullptr, L"outer", L"first box", kCaptions, 2);
    EXPECT_EQ(closed, 2);
    EXPECT_EQ(inner, 0);
    EXPECT_EQ(outer, 0);
    EXPECT_TRUE(IsWindow(namesake));
    EXPECT_TRUE(CMsgWnd::OpenBoxes().empty());
    EXPECT_EQ(CMsgWnd::CloseAll(), 0);
    DestroyWindow(namesake);
}
