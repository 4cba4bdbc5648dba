// The controls that lay a native common control over themselves (hot key, date picker, IP address) and
// the four-field IP edit: values round-trip through the native controls, their notifications reach the
// labels through the window, the popups close, hide and die with their labels.
#include "PlatformTestSupport.h"
#include "UIContainer.h"
#include "UIDateTime.h"
#include "UIHotKey.h"
#include "UIIPAddress.h"
#include "UIIPAddressEx.h"

#include <commctrl.h>

#include <cwchar>
#include <memory>

using namespace SkinUI;
using namespace WindowTest;
using namespace PlatformTest;

namespace {

const wchar_t kLayout[] = LR"(<Window size="400,200"><VerticalLayout>
    <HotKey name="hk" height="30" width="200"/>
    <DateTime name="date" height="30" width="200"/>
    <IPAddress name="ip" height="30" width="200"/>
    <IPAddressEx name="ipx" height="30" width="200"/>
    <Probe name="other" height="30" tabstop="true"/>
  </VerticalLayout></Window>)";

std::wstring ClassOf(HWND hwnd) {
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, 64);
    return name;
}

std::wstring Text(CControlUI* control) { return control->GetText().Data(); }

std::wstring DateText(const SYSTEMTIME& time) {
    wchar_t text[32] = {};
    swprintf(text, 32, L"%04d-%02d-%02d", time.wYear, time.wMonth, time.wDay);
    return text;
}

SYSTEMTIME Date(WORD year, WORD month, WORD day) {
    SYSTEMTIME time = {};
    time.wYear = year;
    time.wMonth = month;
    time.wDay = day;
    return time;
}

class NativePickerTest : public ::testing::Test {
protected:
    void SetUp() override {
        window = std::make_unique<CPlatformWindow>(kLayout);
        ASSERT_NE(nullptr, window->Create());
        SetActiveWindow(window->GetHandle());
        ::SetFocus(window->GetHandle());
        Pump();
        FocusOther();  // the window gave its first tab stop the focus on its own
    }
    void FocusOther() {
        window->Control(L"other")->SetFocus();
        Pump();
    }
    // A notification of a native child as the skin window receives it.
    void NotifyWindow(HWND from, UINT code) {
        NMHDR header = {from, static_cast<UINT_PTR>(GetDlgCtrlID(from)), code};
        SendMessageW(window->GetHandle(), WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
    }
    // A click shows a kept editor again.
    void ClickAt(CControlUI* control) {
        const RECT& pos = control->GetPos();
        const LPARAM at = At((pos.left + pos.right) / 2, (pos.top + pos.bottom) / 2);
        SendMessageW(window->GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageW(window->GetHandle(), WM_LBUTTONUP, 0, at);
        Pump();
    }
    void CommandWindow(HWND from, WORD code) {
        SendMessageW(window->GetHandle(), WM_COMMAND, MAKEWPARAM(0, code), reinterpret_cast<LPARAM>(from));
    }
    std::unique_ptr<CPlatformWindow> window;
};

}  // namespace

TEST_F(NativePickerTest, HotKeyRoundTripsThroughTheNativeWindow) {
    auto* hk = static_cast<CHotKeyUI*>(window->Control(L"hk"));
    EXPECT_STREQ(L"HotKeyUI", hk->GetClass());
    EXPECT_EQ(hk, hk->GetInterface(L"hotkey"));
    hk->SetFocus();
    Pump();
    HWND native = hk->GetNativeWindow();
    ASSERT_NE(nullptr, native);
    EXPECT_EQ(L"HotKeyClass", ClassOf(native));
    EXPECT_EQ(window->GetHandle(), GetParent(native));
    EXPECT_EQ(native, ::GetFocus());

    struct {
        UINT key;
        WORD modifiers;
    } const cases[] = {
        {VK_F5, UIHOTKEY_CONTROL | UIHOTKEY_SHIFT},
        {'A', UIHOTKEY_ALT},
        {VK_HOME, UIHOTKEY_CONTROL},
        {VK_F2, 0},
    };
    for (const auto& c : cases) {
        window->Notes().notes.clear();
        // The keys as a user presses them: modifiers down, the key, then everything up again.
        static const struct {
            WORD bit;
            UINT key;
        } kModifierKeys[] = {{UIHOTKEY_CONTROL, VK_CONTROL}, {UIHOTKEY_SHIFT, VK_SHIFT}, {UIHOTKEY_ALT, VK_MENU}};
        const UINT down = (c.modifiers & UIHOTKEY_ALT) ? WM_SYSKEYDOWN : WM_KEYDOWN;
        const UINT up = (c.modifiers & UIHOTKEY_ALT) ? WM_SYSKEYUP : WM_KEYUP;
        for (const auto& m : kModifierKeys) {
            if (!(c.modifiers & m.bit)) continue;
            SetKeyDown(m.key, true);
            SendMessageW(native, down, m.key, 1);
        }
        SendMessageW(native, down, c.key, 1);
        SendMessageW(native, up, c.key, 0xC0000001);
        for (const auto& m : kModifierKeys) {
            if (!(c.modifiers & m.bit)) continue;
            SetKeyDown(m.key, false);
            SendMessageW(native, up, m.key, 0xC0000001);
        }
        // Modifier names first, in the fixed order Ctrl, Shift, Alt, then the key, as the layout names them.
        std::wstring expected;
        if (c.modifiers & UIHOTKEY_CONTROL) expected += std::wstring(KeyName(VK_CONTROL).Data()) + L" + ";
        if (c.modifiers & UIHOTKEY_SHIFT) expected += std::wstring(KeyName(VK_SHIFT).Data()) + L" + ";
        if (c.modifiers & UIHOTKEY_ALT) expected += std::wstring(KeyName(VK_MENU).Data()) + L" + ";
        expected += KeyName(c.key).Data();
        WORD key = 0, modifiers = 0;
        hk->GetHotKey(key, modifiers);
        EXPECT_EQ(c.key, key);
        EXPECT_EQ(c.modifiers, modifiers & 7);
        EXPECT_EQ(expected, Text(hk));
        EXPECT_GE(window->NoteCount(L"textchanged"), 1) << c.key;
    }
    // The extended keys are named as such ("Home", not the keypad's "7").
    EXPECT_NE(KeyName(VK_NUMPAD7), KeyName(VK_HOME));

    // Cleared in the native window: an empty text and no modifiers.
    SendMessageW(native, HKM_SETHOTKEY, 0, 0);
    CommandWindow(native, EN_CHANGE);
    WORD key = 1, modifiers = 1;
    hk->GetHotKey(key, modifiers);
    EXPECT_EQ(0, key);
    EXPECT_EQ(0, modifiers);
    EXPECT_EQ(L"", Text(hk));

    window->Notes().notes.clear();
    SendMessageW(native, WM_KEYDOWN, VK_RETURN, 1);
    EXPECT_EQ(1, window->NoteCount(L"return"));

    // Leaving closes the native window; the control keeps its last text.
    hk->SetHotKey(VK_F9, UIHOTKEY_SHIFT);
    EXPECT_EQ(std::wstring(KeyName(VK_SHIFT).Data()) + L" + " + KeyName(VK_F9).Data(), Text(hk));
    FocusOther();
    EXPECT_FALSE(IsWindow(native));
    EXPECT_EQ(nullptr, hk->GetNativeWindow());
    EXPECT_EQ(std::wstring(KeyName(VK_SHIFT).Data()) + L" + " + KeyName(VK_F9).Data(), Text(hk));
}

TEST_F(NativePickerTest, HotKeyHeightFollowsTheFont) {
    CHotKeyUI* hk = static_cast<CHotKeyUI*>(window->Control(L"hk"));
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, window->pm().GetFontHandle(-1));
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    hk->SetFixedHeight(0);
    EXPECT_EQ(metrics.tmHeight + 6, hk->EstimateSize({400, 400}).cy);
    EXPECT_EQ(200, hk->EstimateSize({400, 400}).cx);
}

TEST_F(NativePickerTest, DatePickerEditsAndEscapeRestores) {
    auto* date = static_cast<CDateTimeUI*>(window->Control(L"date"));
    SYSTEMTIME today = {};
    GetLocalTime(&today);
    EXPECT_EQ(DateText(today), Text(date));
    EXPECT_EQ(date, date->GetInterface(L"DateTime"));
    EXPECT_EQ(nullptr, date->GetInterface(L"datetime"));

    date->SetTime(Date(2024, 2, 29));
    EXPECT_EQ(L"2024-02-29", Text(date));
    date->SetFocus();
    Pump();
    HWND picker = date->GetNativeWindow();
    ASSERT_NE(nullptr, picker);
    EXPECT_EQ(L"DateTimeWnd", ClassOf(picker));
    SYSTEMTIME shown = {};
    EXPECT_EQ(GDT_VALID, SendMessageW(picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&shown)));
    EXPECT_EQ(L"2024-02-29", DateText(shown));

    // A change in the picker reaches the label through the window.
    SYSTEMTIME changed = Date(2024, 3, 15);
    SendMessageW(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&changed));
    NotifyWindow(picker, DTN_DATETIMECHANGE);
    EXPECT_EQ(L"2024-03-15", Text(date));

    // Escape puts back the date of the opening and closes the picker.
    SendMessageW(picker, WM_KEYDOWN, VK_ESCAPE, 1);
    EXPECT_EQ(L"2024-02-29", Text(date));
    Pump();
    EXPECT_FALSE(IsWindow(picker));
    EXPECT_EQ(nullptr, date->GetNativeWindow());
}

TEST_F(NativePickerTest, DatePickerStaysOpenWhileItsCalendarTakesTheFocus) {
    auto* date = static_cast<CDateTimeUI*>(window->Control(L"date"));
    date->SetFocus();
    Pump();
    HWND picker = date->GetNativeWindow();
    ASSERT_NE(nullptr, picker);
    // A click on the drop-down button: the calendar may take the focus before the picker reports it.
    RECT client = {};
    GetClientRect(picker, &client);
    const LPARAM button = MAKELPARAM(client.right - 5, client.bottom / 2);
    SendMessageW(picker, WM_LBUTTONDOWN, MK_LBUTTON, button);
    SendMessageW(picker, WM_LBUTTONUP, 0, button);
    Pump();
    EXPECT_TRUE(IsWindow(picker)) << "opening the calendar does not close the picker";
    HWND calendar = reinterpret_cast<HWND>(SendMessageW(picker, DTM_GETMONTHCAL, 0, 0));
    if (calendar) {
        SendMessageW(picker, WM_KILLFOCUS, reinterpret_cast<WPARAM>(calendar), 0);
        Pump();
        EXPECT_TRUE(IsWindow(picker));
    }
    // Closing the calendar takes its date and closes the picker.
    NotifyWindow(picker, DTN_CLOSEUP);
    Pump();
    EXPECT_FALSE(IsWindow(picker));
}

TEST_F(NativePickerTest, DatePickerClosesWhenTheFocusLeaves) {
    auto* date = static_cast<CDateTimeUI*>(window->Control(L"date"));
    date->SetFocus();
    Pump();
    HWND picker = date->GetNativeWindow();
    ASSERT_NE(nullptr, picker);
    FocusOther();
    EXPECT_FALSE(IsWindow(picker));
}

TEST_F(NativePickerTest, AddressLabelEditsHidesAndCancels) {
    auto* ip = static_cast<CIPAddressUI*>(window->Control(L"ip"));
    const DWORD own = ip->GetIP();
    wchar_t ownText[32] = {};
    swprintf(ownText, 32, L"%d.%d.%d.%d", (int)(own >> 24 & 255), (int)(own >> 16 & 255), (int)(own >> 8 & 255),
             (int)(own & 255));
    EXPECT_EQ(ownText, Text(ip)) << "a new label shows the computer's own address";
    EXPECT_EQ(own, LocalIPv4Address());
    EXPECT_EQ(ip, ip->GetInterface(L"IPAddress"));

    ip->SetIP(0xC0A80001);
    EXPECT_EQ(L"192.168.0.1", Text(ip));
    ip->SetFocus();
    Pump();
    HWND editor = ip->GetNativeWindow();
    ASSERT_NE(nullptr, editor);
    EXPECT_EQ(L"IPAddressWnd", ClassOf(editor));
    DWORD shown = 0;
    SendMessageW(editor, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&shown));
    EXPECT_EQ(0xC0A80001u, shown);

    // Leaving reads the address back and hides the editor for the next click.
    SendMessageW(editor, IPM_SETADDRESS, 0, MAKEIPADDRESS(10, 1, 2, 3));
    FocusOther();
    EXPECT_EQ(L"10.1.2.3", Text(ip));
    EXPECT_EQ(0x0A010203u, ip->GetIP());
    EXPECT_TRUE(IsWindow(editor));
    EXPECT_FALSE(IsWindowVisible(editor));
    EXPECT_EQ(editor, ip->GetNativeWindow());

    // Delete in a field empties the label and leaves the address; the editor goes.
    ClickAt(ip);
    EXPECT_TRUE(IsWindowVisible(editor));
    HWND field = GetWindow(editor, GW_CHILD);
    ASSERT_NE(nullptr, field);
    SendMessageW(field, WM_KEYUP, VK_DELETE, 0xC0000001);
    EXPECT_EQ(L"", Text(ip));
    EXPECT_EQ(0x0A010203u, ip->GetIP());
    Pump();
    EXPECT_FALSE(IsWindow(editor));

    // Escape: what was typed is not taken.
    ip->SetIP(0xC0A80001);
    ClickAt(ip);
    editor = ip->GetNativeWindow();
    ASSERT_NE(nullptr, editor);
    SendMessageW(editor, IPM_SETADDRESS, 0, MAKEIPADDRESS(1, 1, 1, 1));
    SendMessageW(GetWindow(editor, GW_CHILD), WM_KEYUP, VK_ESCAPE, 0xC0000001);
    Pump();
    FocusOther();
    EXPECT_EQ(L"192.168.0.1", Text(ip));
    EXPECT_EQ(0xC0A80001u, ip->GetIP());
}

TEST_F(NativePickerTest, PopupsDieWithTheirLabels) {
    auto* ip = static_cast<CIPAddressUI*>(window->Control(L"ip"));
    ip->SetFocus();
    Pump();
    HWND editor = ip->GetNativeWindow();
    ASSERT_NE(nullptr, editor);
    FocusOther();
    ASSERT_TRUE(IsWindow(editor)) << "hidden, kept for reuse";
    auto* hk = static_cast<CHotKeyUI*>(window->Control(L"hk"));
    hk->SetFocus();
    Pump();
    HWND hotKey = hk->GetNativeWindow();
    ASSERT_NE(nullptr, hotKey);
    auto* date = static_cast<CDateTimeUI*>(window->Control(L"date"));
    auto* parent = static_cast<CContainerUI*>(ip->GetParent());
    parent->SetDelayedDestroy(false);
    EXPECT_TRUE(parent->Remove(ip));
    EXPECT_TRUE(parent->Remove(hk));
    EXPECT_FALSE(IsWindow(editor));
    EXPECT_FALSE(IsWindow(hotKey));
    date->SetFocus();
    Pump();
    HWND picker = date->GetNativeWindow();
    ASSERT_NE(nullptr, picker);
    EXPECT_TRUE(parent->Remove(date));
    EXPECT_FALSE(IsWindow(picker));
    Pump();
}

TEST_F(NativePickerTest, FourFieldEditTypesClampsAndMoves) {
    auto* ipx = static_cast<CIPAddressExUI*>(window->Control(L"ipx"));
    EXPECT_STREQ(L"IPAddressExUI", ipx->GetClass());
    EXPECT_EQ(L"0.0.0.0", Text(ipx));
    EXPECT_EQ(0, ipx->GetActiveSection());
    const RECT pos = ipx->GetPos();
    auto click = [&](int dx) {
        TUIEvent event;
        event.Type = UIEVENT_BUTTONDOWN;
        event.ptMouse = {pos.left + dx, pos.top + 5};
        ipx->DoEvent(event);
    };
    auto keys = [&](const wchar_t* sequence) {
        for (const wchar_t* k = sequence; *k; ++k) {
            TUIEvent event;
            event.Type = UIEVENT_KEYDOWN;
            switch (*k) {
            case L'<': event.chKey = VK_LEFT; break;
            case L'>': event.chKey = VK_RIGHT; break;
            case L'.': event.chKey = VK_OEM_PERIOD; break;
            case L'^': event.chKey = VK_UP; break;
            case L'v': event.chKey = VK_DOWN; break;
            case L'x': event.chKey = VK_DELETE; break;
            case L'b': event.chKey = VK_BACK; break;
            case L'n': event.chKey = VK_NUMPAD7; break;
            default: event.chKey = *k; break;
            }
            ipx->DoEvent(event);
        }
    };
    // Without an active field keys change nothing.
    keys(L"x^v12");
    EXPECT_EQ(L"0.0.0.0", Text(ipx));
    EXPECT_EQ(0, ipx->GetActiveSection());

    struct {
        int clickAt;  // offset from the left in a 200 px control
        const wchar_t* keys;
        const wchar_t* text;
        int active;
    } const cases[] = {
        {10, L"300", L"255.0.0.0", 2},
        {60, L"1", L"255.1.0.0", 2},
        {60, L"192", L"255.192.0.0", 3},
        {160, L"192", L"255.192.0.192", 4},
        {160, L"99999999999999999999", L"255.192.0.255", 4},
        {10, L"<<", L"255.192.0.255", 1},
        {160, L">>", L"255.192.0.255", 4},
        {110, L"7.8", L"255.192.7.8", 4},
        {110, L"x", L"255.192.0.8", 3},
        {110, L"vv^", L"255.192.1.8", 3},
        {10, L"^", L"255.192.1.8", 1},
        {60, L"b42>n", L"255.42.7.8", 3},
    };
    for (const auto& c : cases) {
        click(c.clickAt);
        keys(c.keys);
        EXPECT_EQ(c.text, Text(ipx)) << std::string(c.keys, c.keys + wcslen(c.keys));
        EXPECT_EQ(c.active, ipx->GetActiveSection()) << std::string(c.keys, c.keys + wcslen(c.keys));
    }
    // The wheel steps the active octet; losing the focus ends the field.
    TUIEvent wheel;
    wheel.Type = UIEVENT_SCROLLWHEEL;
    wheel.wParam = 1;
    ipx->DoEvent(wheel);
    EXPECT_EQ(L"255.42.6.8", Text(ipx));
    TUIEvent kill;
    kill.Type = UIEVENT_KILLFOCUS;
    ipx->DoEvent(kill);
    EXPECT_EQ(0, ipx->GetActiveSection());
    ipx->SetEnabled(false);
    click(10);
    EXPECT_EQ(0, ipx->GetActiveSection()) << "a disabled edit takes no clicks";
}

TEST_F(NativePickerTest, FourFieldEditDrawsOnlyDotsUntilAFieldIsActive) {
    auto* ipx = static_cast<CIPAddressExUI*>(window->Control(L"ipx"));
    ipx->SetBkColor(0xFFFFFFFF);
    auto highlighted = [&] {
        InvalidateRect(window->GetHandle(), nullptr, FALSE);
        UpdateWindow(window->GetHandle());
        int count = 0;
        const RECT& pos = ipx->GetPos();
        for (int y = pos.top; y < pos.bottom; ++y)
            for (int x = pos.left; x < pos.right; ++x)
                count += (OffscreenPixel(window->pm(), x, y) & 0xFFFFFF) == 0x3399FF;
        return count;
    };
    EXPECT_EQ(0, highlighted());
    TUIEvent click;
    click.Type = UIEVENT_BUTTONDOWN;
    click.ptMouse = {ipx->GetPos().left + 60, ipx->GetPos().top + 5};
    ipx->DoEvent(click);
    EXPECT_GT(highlighted(), 0) << "the active field is drawn on its highlight";
}
