// Edit fields built from layout XML: the native edit window over the text area at every DPI, typing and
// the keys that become notifications, the wheel, number-only and password fields, the tip, and the
// field deleted while it is being edited.
#include "ControlsTestSupport.h"

#include "UIContainer.h"
#include "UIEdit.h"

using namespace SkinUI;
using namespace WindowTest;
using namespace ControlsTest;

namespace {

const wchar_t kFields[] = LR"(<Window size="300,200"><VerticalLayout inset="10,10,10,10" childpadding="6">
  <Edit name="e" width="100" height="24" text="42"/>
  <Edit name="digits" width="100" height="24" numberonly="true" maxchar="4"/>
  <Edit name="secret" width="100" height="24" text="abcde" password="true"/>
  <Edit name="tip" width="100" height="24" tipvalue="type here" tipvaluecolor="#FFFF0000" font="-1"/>
  <Control/>
</VerticalLayout></Window>)";

std::wstring NativeText(HWND hwnd) {
    wchar_t buffer[256] = {};
    GetWindowTextW(hwnd, buffer, 256);
    return buffer;
}

RECT ClientRectOf(HWND child, HWND parent) {
    RECT rect = {};
    GetWindowRect(child, &rect);
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void Type(HWND hwnd, const wchar_t* text) {
    for (const wchar_t* ch = text; *ch; ++ch) SendMessageW(hwnd, WM_CHAR, *ch, 1);
    Pump();
}

}  // namespace

TEST(Edit, FocusPutsANativeEditOverTheTextAreaAtEveryDpi) {
    for (const TDpi& dpi : kDpis) {
        CControlWindow window(kFields);
        ASSERT_NE(nullptr, window.Open(dpi.dpi));
        window.Activate();
        auto* edit = window.Get<CEditUI>(L"e");
        ASSERT_EQ(nullptr, edit->GetNativeWindow());
        edit->SetFocus();
        Pump();
        HWND native = edit->GetNativeWindow();
        ASSERT_NE(nullptr, native) << dpi.percent;
        wchar_t className[32] = {};
        GetClassNameW(native, className, 32);
        EXPECT_EQ(L"EditWnd", std::wstring(className));
        EXPECT_EQ(native, GetFocus());
        EXPECT_EQ(L"42", NativeText(native));
        const int p = dpi.percent;
        const int h = window.pm().GetDefaultFontRecord()->metrics.tmHeight;
        const int textTop = Scaled(10, p) + Scaled(3, p);
        const int textHeight = Scaled(24, p) - 2 * Scaled(3, p);
        const RECT placed = ClientRectOf(native, window.GetHandle());
        EXPECT_EQ(Scaled(10, p) + Scaled(4, p), placed.left) << p;
        EXPECT_EQ(Scaled(110, p) - Scaled(4, p), placed.right) << p;
        EXPECT_EQ(textTop + (textHeight - h) / 2, placed.top) << p;
        EXPECT_EQ(h, placed.bottom - placed.top) << p;
        // A click maps into the native control: the caret lands in the text.
        const POINT end = {placed.right - 2, (placed.top + placed.bottom) / 2};
        window.Click(end);
        DWORD start = 0, stop = 0;
        SendMessageW(native, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&stop));
        EXPECT_EQ(2u, start) << "the caret after the last character";
        // The focus elsewhere ends the editing.
        window.pm().FocusControl(window.Control(L"digits"));
        Pump();
        EXPECT_FALSE(IsWindow(native));
        EXPECT_EQ(nullptr, edit->GetNativeWindow());
        EXPECT_EQ(L"42", std::wstring(edit->GetText().Data()));
    }
}

TEST(Edit, TypingReportsEachChangeWithTheNewTextAlreadyStored) {
    CControlWindow window(kFields);
    ASSERT_NE(nullptr, window.Open());
    window.Activate();
    auto* edit = window.Get<CEditUI>(L"e");
    edit->SetText(L"");
    edit->SetFocus();
    Pump();
    std::vector<std::wstring> seen;
    window.recorder.after = [&](TNotifyMessage& msg) {
        if (msg.sType == L"textchanged") seen.push_back(edit->GetText().Data());
    };
    Type(edit->GetNativeWindow(), L"12");
    EXPECT_EQ((std::vector<std::wstring>{L"1", L"12"}), seen);
    // Set by the program while editing: the native text follows, without a notification.
    edit->SetText(L"7");
    EXPECT_EQ(L"7", NativeText(edit->GetNativeWindow()));
    EXPECT_EQ(2u, seen.size());
}

TEST(Edit, ArrowsReturnAndTheWheelBecomeNotifications) {
    CControlWindow window(kFields);
    ASSERT_NE(nullptr, window.Open());
    window.Activate();
    auto* edit = window.Get<CEditUI>(L"e");
    const POINT centre = window.Centre(L"e");
    // The wheel works with and without editing.
    window.Wheel(centre, false);
    window.Wheel(centre, true);
    EXPECT_EQ((std::vector<std::wstring>{L"valuechangedup", L"valuechangeddown"}), window.recorder.Types());

    edit->SetFocus();
    Pump();
    HWND native = edit->GetNativeWindow();
    ASSERT_NE(nullptr, native);
    SendMessageW(native, EM_SETSEL, 1, 1);
    window.recorder.Clear();
    for (WPARAM key : {VK_RETURN, VK_UP, VK_DOWN, VK_LEFT, VK_RIGHT}) {
        SendMessageW(native, WM_KEYDOWN, key, 1);
        SendMessageW(native, WM_KEYUP, key, 0xC0000001);
    }
    // The characters the keyboard makes of Return and Tab reach nothing.
    SendMessageW(native, WM_CHAR, L'\r', 1);
    SendMessageW(native, WM_CHAR, L'\t', 1);
    Pump();
    EXPECT_EQ((std::vector<std::wstring>{L"return", L"valuechangedup", L"valuechangeddown", L"valuechangedleft",
                                         L"valuechangedright"}),
              window.recorder.Types());
    DWORD start = 0, stop = 0;
    SendMessageW(native, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&stop));
    EXPECT_EQ(1u, start) << "the arrows did not move the caret";
    EXPECT_EQ(L"42", NativeText(native));
    window.Wheel(centre, false);
    EXPECT_EQ(L"valuechangedup", window.recorder.Types().back());
}

TEST(Edit, NumberOnlyLimitReadOnlyAndPasswordReachTheNativeControl) {
    CControlWindow window(kFields);
    ASSERT_NE(nullptr, window.Open());
    window.Activate();
    auto* digits = window.Get<CEditUI>(L"digits");
    digits->SetFocus();
    Pump();
    Type(digits->GetNativeWindow(), L"1a2345");
    EXPECT_EQ(L"1234", std::wstring(digits->GetText().Data()));
    EXPECT_EQ(4u, SendMessageW(digits->GetNativeWindow(), EM_GETLIMITTEXT, 0, 0));
    digits->SetReadOnly(true);
    EXPECT_TRUE(GetWindowLongW(digits->GetNativeWindow(), GWL_STYLE) & ES_READONLY);

    auto* secret = window.Get<CEditUI>(L"secret");
    secret->SetFocus();
    Pump();
    HWND native = secret->GetNativeWindow();
    EXPECT_EQ(L'*', SendMessageW(native, EM_GETPASSWORDCHAR, 0, 0));
    // Switching the mode of a live control takes effect at once.
    secret->SetPasswordMode(false);
    EXPECT_EQ(0, SendMessageW(native, EM_GETPASSWORDCHAR, 0, 0));
    secret->SetPasswordMode(true);
    EXPECT_EQ(L'*', SendMessageW(native, EM_GETPASSWORDCHAR, 0, 0));
    EXPECT_FALSE(digits->IsAutoSelAll());
}

TEST(Edit, TheTipAndTheMaskArePaintedWhenNotEditing) {
    CControlWindow window(kFields);
    ASSERT_NE(nullptr, window.Open());
    window.Activate();
    const RECT tip = window.Control(L"tip")->GetPos();
    EXPECT_GT(CountColour(window, tip, 0xFF0000), 10) << "the empty field shows its tip in the tip colour";
    auto* field = window.Get<CEditUI>(L"tip");
    field->SetText(L"text");
    EXPECT_EQ(0, CountColour(window, tip, 0xFF0000));
    field->SetText(L"type here");
    EXPECT_GT(CountColour(window, tip, 0xFF0000), 10) << "a text equal to the tip is shown as the tip";

    // Five password characters cover as much as the text "*****" would.
    auto* secret = window.Get<CEditUI>(L"secret");
    secret->SetTextColor(0xFF0000FF);
    const RECT area = secret->GetPos();
    const int masked = CountColour(window, area, 0x0000FF);
    secret->SetPasswordMode(false);
    secret->SetText(L"*****");
    EXPECT_EQ(CountColour(window, area, 0x0000FF), masked);
    EXPECT_GT(masked, 5);
}

TEST(Edit, AttributesAndSizeAtEveryDpi) {
    for (const TDpi& dpi : kDpis) {
        CControlWindow window(LR"(<Window size="300,200"><VerticalLayout>
  <Edit name="a" width="100" autoselall="true" nativebkcolor="#FF102030" passwordchar="#" tipvalue="t"/>
  <Edit name="b" width="100" AutoSelAll="true"/>
  <Edit name="c" width="100" autoselall="True"/>
  <Control/>
</VerticalLayout></Window>)");
        ASSERT_NE(nullptr, window.Open(dpi.dpi));
        window.Activate();
        auto* a = window.Get<CEditUI>(L"a");
        EXPECT_TRUE(a->IsAutoSelAll());
        EXPECT_FALSE(window.Get<CEditUI>(L"b")->IsAutoSelAll());
        EXPECT_FALSE(window.Get<CEditUI>(L"c")->IsAutoSelAll());
        EXPECT_EQ(L'#', a->GetPasswordChar());
        EXPECT_EQ(0xFF102030u, a->GetNativeEditBkColor());
        const SIZE size = a->EstimateSize(SIZE{300, 200});
        EXPECT_EQ(Scaled(100, dpi.percent), size.cx) << dpi.percent;
        EXPECT_EQ(window.pm().GetDefaultFontRecord()->metrics.tmHeight + 6, size.cy);
        EXPECT_EQ(Scaled(4, dpi.percent), a->GetTextPadding().left);
        // Select-all on focus.
        a->SetText(L"hello");
        a->SetFocus();
        Pump();
        DWORD start = 9, stop = 0;
        SendMessageW(a->GetNativeWindow(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&stop));
        EXPECT_EQ(0u, start);
        EXPECT_EQ(5u, stop);
    }
}

TEST(Edit, ATranslucentNativeBackgroundShowsTheWindowAndLeaksNothing) {
    CControlWindow window(LR"(<Window size="300,100"><VerticalLayout bkcolor="#FF336699" inset="10,10,10,10">
  <Edit name="e" width="100" height="24" text="x" nativebkcolor="#80FFFFFF" bkcolor="#00000000"/>
  <Control/>
</VerticalLayout></Window>)");
    ASSERT_NE(nullptr, window.Open());
    window.Activate();
    auto* edit = window.Get<CEditUI>(L"e");
    edit->SetFocus();
    Pump();
    HWND native = edit->GetNativeWindow();
    ASSERT_NE(nullptr, native);
    HDC dc = GetDC(native);
    const HBRUSH first = reinterpret_cast<HBRUSH>(SendMessageW(window.GetHandle(), WM_CTLCOLOREDIT,
                                                               reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(native)));
    EXPECT_NE(nullptr, first);
    for (int i = 0; i < 50; ++i)
        SendMessageW(window.GetHandle(), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(native));
    EXPECT_EQ(0u, GetObjectType(first)) << "each new brush replaces the last one";
    // The picture behind a pattern brush goes with the brush's making.
    HBITMAP picture = CreateCompatibleBitmap(dc, 8, 8);
    HBRUSH brush = PatternBrushFrom(picture);
    EXPECT_EQ(static_cast<DWORD>(OBJ_BRUSH), GetObjectType(brush));
    EXPECT_EQ(0u, GetObjectType(picture));
    DeleteObject(brush);
    ReleaseDC(native, dc);
    // Painted under the native control, the window's own colour shows in the brush.
    RedrawWindow(native, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    RECT client = {};
    GetClientRect(native, &client);
    EXPECT_EQ(0x336699u, WindowPixel(native, client.right - 2, 1)) << "the pattern brush copies the window's drawing";
}

TEST(Edit, AFieldDeletedWhileEditingTakesItsNativeWindowAlong) {
    CControlWindow window(kFields);
    ASSERT_NE(nullptr, window.Open());
    window.Activate();
    CControlUI* root = window.Control(L"e")->GetParent();
    auto* container = static_cast<CContainerUI*>(root->GetInterface(L"Container"));
    container->SetDelayedDestroy(false);
    auto* edit = window.Get<CEditUI>(L"e");
    edit->SetFocus();
    Pump();
    HWND native = edit->GetNativeWindow();
    ASSERT_TRUE(IsWindow(native));
    container->Remove(edit);
    EXPECT_FALSE(IsWindow(native));
    Type(window.GetHandle(), L"z");  // nothing refers to the field any more

    // With the native window's own close already posted.
    auto* digits = window.Get<CEditUI>(L"digits");
    digits->SetFocus();
    Pump();
    HWND second = digits->GetNativeWindow();
    ASSERT_TRUE(IsWindow(second));
    SetFocus(window.GetHandle());  // posts WM_CLOSE to the native window
    container->Remove(digits);
    Pump();
    EXPECT_FALSE(IsWindow(second));
}

TEST(Edit, InALayeredWindowTheNativeEditIsAPopupOverTheField) {
    CControlWindow window(LR"(<Window size="300,100" layered="true"><VerticalLayout bkcolor="#FFFFFFFF" inset="10,10,10,10">
  <Edit name="e" width="100" height="24" text="layered"/>
  <Edit name="next" width="100" height="24"/>
  <Control/>
</VerticalLayout></Window>)");
    ASSERT_NE(nullptr, window.Open());
    window.Activate();
    auto* edit = window.Get<CEditUI>(L"e");
    edit->SetFocus();
    Pump();
    HWND native = edit->GetNativeWindow();
    ASSERT_NE(nullptr, native);
    EXPECT_TRUE(GetWindowLongW(native, GWL_STYLE) & WS_POPUP);
    RECT window_ = {}, placed = {};
    GetWindowRect(window.GetHandle(), &window_);
    GetWindowRect(native, &placed);
    EXPECT_EQ(window_.left + 10 + 4, placed.left);
    Type(native, L"!");
    EXPECT_EQ(L"layered!", std::wstring(edit->GetText().Data()));
    // Tab moves on through the window's tab order.
    SendMessageW(native, WM_KEYDOWN, VK_TAB, 1);
    Pump();
    EXPECT_FALSE(IsWindow(native));
    EXPECT_EQ(window.Control(L"next"), window.pm().GetFocusedControl());
}

TEST(Edit, AFieldOnAHiddenPageIsNoTabStop) {
    CControlWindow window(LR"(<Window size="300,100"><TabLayout name="pages">
  <VerticalLayout><Edit name="shown" width="100" height="24"/><Control/></VerticalLayout>
  <VerticalLayout><Edit name="hidden" width="100" height="24"/><Control/></VerticalLayout>
</TabLayout></Window>)");
    ASSERT_NE(nullptr, window.Open());
    window.Activate();
    EXPECT_FALSE(window.Control(L"hidden")->IsVisible());
    for (int i = 0; i < 3; ++i) {
        window.pm().MoveTabFocus(true);
        Pump();
        EXPECT_EQ(window.Control(L"shown"), window.pm().GetFocusedControl());
    }
}

// Value boxes are set again after every change of their value: the text they already show repaints
// nothing, a new one repaints the field; while editing, the native control takes the text either way.
TEST(Edit, TheSameTextAgainRepaintsNothing) {
    CControlWindow window(kFields);
    ASSERT_NE(nullptr, window.Open());
    auto* edit = window.Get<CEditUI>(L"e");
    UpdateWindow(window.GetHandle());
    Pump();
    RECT dirty = {};
    edit->SetText(L"42");
    EXPECT_FALSE(GetUpdateRect(window.GetHandle(), &dirty, FALSE));
    edit->SetText(L"43");
    ASSERT_TRUE(GetUpdateRect(window.GetHandle(), &dirty, FALSE));
    const RECT field = edit->GetPos();
    RECT both = {};
    EXPECT_TRUE(IntersectRect(&both, &dirty, &field));
    UpdateWindow(window.GetHandle());
    window.Activate();
    edit->SetFocus();
    Pump();
    ASSERT_NE(nullptr, edit->GetNativeWindow());
    Type(edit->GetNativeWindow(), L"5");
    edit->SetText(L"435");  // what the field holds already
    EXPECT_EQ(L"435", NativeText(edit->GetNativeWindow()));
    edit->SetText(L"44");
    EXPECT_EQ(L"44", NativeText(edit->GetNativeWindow()));
}
