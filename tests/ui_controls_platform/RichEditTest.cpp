// The rich edit on the system's text services (Msftedit under Wine): text, selection, limits, the
// Return rules, notifications, the host's COM and timer contract, the fitted scroll bar, the tip text,
// the caret blink, and a box whose engine cannot be loaded.
#include "PlatformTestSupport.h"
#include "UIRichEdit.h"
#include "UIScrollBar.h"
#include "UITxtWinHost.h"

#include <memory>

using namespace SkinUI;
using namespace WindowTest;
using namespace PlatformTest;

namespace {

std::wstring Layout(const wchar_t* attributes) {
    return std::wstring(L"<Window size=\"320,240\"><VerticalLayout><RichEdit name=\"re\" height=\"120\" ") +
           attributes + L"/><Control/></VerticalLayout></Window>";
}

std::wstring Normalised(CUIString text) {
    std::wstring out;
    for (const wchar_t* p = text.Data(); *p; ++p) {
        if (*p == L'\r' && p[1] == L'\n') continue;
        out += *p == L'\n' ? L'\r' : *p;
    }
    return out;
}

// Records the WM_NOTIFY codes that reach the window.
class CNotifyCodes : public IMessageFilterUI {
public:
    LRESULT MessageHandler(UINT message, WPARAM, LPARAM lParam, bool&) override {
        if (message == WM_NOTIFY && lParam) codes.push_back(reinterpret_cast<NMHDR*>(lParam)->code);
        return 0;
    }
    std::vector<UINT> codes;
};

class RichEditTest : public ::testing::Test {
protected:
    CRichEditUI* Open(const wchar_t* attributes) {
        window = std::make_unique<CPlatformWindow>(Layout(attributes));
        EXPECT_NE(nullptr, window->Create());
        UpdateWindow(window->GetHandle());
        Pump();
        return static_cast<CRichEditUI*>(window->Control(L"re"));
    }
    void Focus(CRichEditUI* edit) {
        SetActiveWindow(window->GetHandle());
        ::SetFocus(window->GetHandle());
        edit->SetFocus();
        Pump();
    }
    void Key(UINT key, wchar_t ch) {
        SendMessageW(window->GetHandle(), WM_KEYDOWN, key, 1);
        if (ch) SendMessageW(window->GetHandle(), WM_CHAR, ch, 1);
        SendMessageW(window->GetHandle(), WM_KEYUP, key, 0xC0000001);
    }
    std::unique_ptr<CPlatformWindow> window;
};

}  // namespace

TEST_F(RichEditTest, TextSelectionAndUndoThroughTheEngine) {
    CRichEditUI* edit = Open(L"text=\"first\"");
    ASSERT_TRUE(edit->HasEngine());
    EXPECT_STREQ(L"RichEdit", edit->GetClass());
    EXPECT_EQ(edit, edit->GetInterface(L"RichEdit"));
    EXPECT_EQ(L"first", Normalised(edit->GetText()));

    // A paragraph break counts one character for GetText and two with CR-LF counting; the text is read
    // with the same rule it was measured by.
    edit->SetText(L"abc\ndef");
    EXPECT_EQ(L"abc\rdef", Normalised(edit->GetText()));
    EXPECT_EQ(7, edit->GetTextLength());
    EXPECT_EQ(8, edit->GetTextLength(GTL_USECRLF));
    EXPECT_EQ(7u, wcslen(edit->GetText().Data()));

    edit->SetSel(1, 3);
    long start = 0, end = 0;
    edit->GetSel(start, end);
    EXPECT_EQ(1, start);
    EXPECT_EQ(3, end);
    EXPECT_EQ(L"bc", Normalised(edit->GetSelText()));
    EXPECT_EQ(1, edit->LineFromChar(5));
    edit->ReplaceSel(L"XY", true);
    EXPECT_EQ(L"aXY\rdef", Normalised(edit->GetText()));
    EXPECT_TRUE(edit->CanUndo());
    edit->Undo();
    EXPECT_EQ(L"abc\rdef", Normalised(edit->GetText()));
    edit->SetSelAll();
    edit->GetSel(start, end);
    EXPECT_EQ(0, start);
    EXPECT_GE(end, 7);  // the engine may count its closing paragraph mark
}

TEST_F(RichEditTest, TypingRaisesTextChangedAndStopsAtTheLimit) {
    CRichEditUI* edit = Open(L"maxchar=\"5\"");
    ASSERT_TRUE(edit->HasEngine());
    EXPECT_EQ(5, edit->GetLimitText());
    Focus(edit);
    window->Notes().notes.clear();
    for (wchar_t ch : std::wstring(L"abcdefgh")) Key(0, ch);
    EXPECT_EQ(L"abcde", Normalised(edit->GetText()));
    EXPECT_GE(window->NoteCount(L"textchanged"), 5);

    // Keys do not reach a box without the focus.
    window->pm().FocusControl(nullptr);
    Pump();
    Key(0, L'z');
    EXPECT_EQ(L"abcde", Normalised(edit->GetText()));
    edit->SetLimitText(7);
    Focus(edit);
    Key(0, L'z');
    EXPECT_EQ(7, edit->GetTextLength() + 1);
}

TEST_F(RichEditTest, ReturnKeyFollowsTheWantFlags) {
    struct {
        const wchar_t* attributes;
        bool ctrl;
        bool notified;
        bool inserted;
    } const cases[] = {
        {L"wantreturn=\"false\"", false, true, false},
        {L"", false, false, true},
        {L"wantctrlreturn=\"false\"", true, true, false},
        {L"", true, false, true},
        {L"wantreturn=\"false\"", true, false, true},
    };
    for (const auto& c : cases) {
        CRichEditUI* edit = Open(c.attributes);
        ASSERT_TRUE(edit->HasEngine());
        edit->SetText(L"ab");
        edit->SetSel(2, 2);
        Focus(edit);
        window->Notes().notes.clear();
        SetKeyDown(VK_CONTROL, c.ctrl);
        Key(VK_RETURN, c.ctrl ? L'\n' : L'\r');
        SetKeyDown(VK_CONTROL, false);
        const std::wstring text = Normalised(edit->GetText());
        EXPECT_EQ(c.notified ? 1 : 0, window->NoteCount(L"return")) << c.attributes << " ctrl " << c.ctrl;
        EXPECT_EQ(c.inserted, text.size() > 2) << c.attributes << " ctrl " << c.ctrl;
    }
}

TEST_F(RichEditTest, TabGoesIntoTheTextOnlyWithWantTab) {
    for (const bool wantTab : {true, false}) {
        CRichEditUI* edit = Open(wantTab ? L"" : L"wanttab=\"false\"");
        ASSERT_TRUE(edit->HasEngine());
        Focus(edit);
        MSG tab = {window->GetHandle(), WM_KEYDOWN, VK_TAB, 1, 0, {}};
        const bool consumed = CPaintManagerUI::PreTranslateMessage(&tab);
        EXPECT_EQ(!wantTab, consumed) << "wanttab " << wantTab;
        if (!consumed) Key(VK_TAB, L'\t');
        EXPECT_EQ(wantTab ? 1u : 0u, Normalised(edit->GetText()).size()) << "wanttab " << wantTab;
    }
}

TEST_F(RichEditTest, SettingTextFromTheChangeHandlerDoesNotLoop) {
    CRichEditUI* edit = Open(L"");
    ASSERT_TRUE(edit->HasEngine());
    int rounds = 0;
    window->onNote = nullptr;
    struct CRewriter : INotifyUI {
        CRichEditUI* edit;
        int* rounds;
        void Notify(TNotifyMessage& msg) override {
            if (msg.sType != L"textchanged" || ++*rounds > 50) return;
            edit->SetText(L"upper");
        }
    } rewriter;
    rewriter.edit = edit;
    rewriter.rounds = &rounds;
    window->pm().AddNotifyListener(&rewriter);
    edit->SetText(L"lower");
    window->pm().RemoveNotifyListener(&rewriter);
    EXPECT_GE(rounds, 1);
    EXPECT_LE(rounds, 2);
    EXPECT_EQ(L"upper", Normalised(edit->GetText()));
}

TEST_F(RichEditTest, EngineNotificationsReachTheWindow) {
    CRichEditUI* edit = Open(L"text=\"hello world\"");
    ASSERT_TRUE(edit->HasEngine());
    EXPECT_EQ(static_cast<DWORD>(ENM_CHANGE | ENM_DROPFILES | ENM_LINK), edit->GetEventMask());
    CNotifyCodes codes;
    window->pm().AddWindowMessageFilter(&codes);
    edit->SetEventMask(ENM_CHANGE | ENM_SELCHANGE);
    edit->SetSel(0, 5);
    window->pm().RemoveWindowMessageFilter(&codes);
    ASSERT_FALSE(codes.codes.empty());
    EXPECT_EQ(static_cast<UINT>(EN_SELCHANGE), codes.codes.back());
}

TEST_F(RichEditTest, HostAnswersOnlyItsOwnInterfacesAndKeepsTimersApart) {
    CRichEditUI* edit = Open(L"rich=\"false\" readonly=\"true\" password=\"true\"");
    CTxtWinHost* host = edit->GetTxtWinHost();
    ASSERT_NE(nullptr, host);
    struct {
        const IID* iid;
        HRESULT expected;
    } const queries[] = {{&IID_IUnknown, S_OK},
                         {&kIidTextHost, S_OK},
                         {&IID_IDispatch, E_NOINTERFACE},
                         {&kIidTextServices, E_NOINTERFACE}};
    for (const auto& q : queries) {
        const ULONG held = host->AddRef() - 1;
        host->Release();
        void* out = reinterpret_cast<void*>(1);
        EXPECT_EQ(q.expected, host->QueryInterface(*q.iid, &out));
        if (q.expected == S_OK) {
            EXPECT_EQ(static_cast<ITextHost*>(host), out);
            EXPECT_EQ(held, host->Release());  // the query's reference goes; the control's own stands
        } else {
            EXPECT_EQ(nullptr, out);
            EXPECT_EQ(held + 1, host->AddRef());
            host->Release();
        }
    }

    DWORD bits = 0;
    host->TxGetPropertyBits(0xFFFFFFFF, &bits);
    EXPECT_EQ(0u, bits & TXTBIT_RICHTEXT);
    EXPECT_NE(0u, bits & TXTBIT_MULTILINE);
    EXPECT_NE(0u, bits & TXTBIT_READONLY);
    EXPECT_NE(0u, bits & TXTBIT_USEPASSWORD);
    host->TxGetPropertyBits(TXTBIT_RICHTEXT | TXTBIT_MULTILINE, &bits);
    EXPECT_EQ(static_cast<DWORD>(TXTBIT_MULTILINE), bits);

    // An engine timer with the caret blink's id runs beside it; stopping it leaves the blink running.
    const int timers = window->pm().GetTimerCount();
    EXPECT_TRUE(host->TxSetTimer(CRichEditUI::kCaretTimerId, 50));
    EXPECT_FALSE(host->TxSetTimer(CRichEditUI::kCaretTimerId, 50));
    EXPECT_EQ(timers + 1, window->pm().GetTimerCount());
    host->TxKillTimer(CRichEditUI::kCaretTimerId);
    EXPECT_FALSE(window->pm().StartControlTimer(edit, CRichEditUI::kCaretTimerId, 500)) << "the blink timer stopped";

    // A view change repaints the box whatever its argument.
    ValidateRect(window->GetHandle(), nullptr);
    host->TxViewChange(FALSE);
    RECT dirty = {};
    EXPECT_TRUE(GetUpdateRect(window->GetHandle(), &dirty, FALSE));
}

TEST_F(RichEditTest, ReadOnlyFalseDoesNotClearAnEarlierReadOnly) {
    CRichEditUI edit;
    edit.SetAttribute(L"readonly", L"true");
    edit.SetAttribute(L"readonly", L"false");
    EXPECT_NE(0u, edit.GetWinStyle() & ES_READONLY);
    struct {
        const wchar_t* name;
        const wchar_t* value;
        DWORD bits;
    } const styles[] = {
        {L"vscrollbar", L"true", WS_VSCROLL | ES_DISABLENOSCROLL},
        {L"hscrollbar", L"true", WS_HSCROLL | ES_DISABLENOSCROLL},
        {L"autovscroll", L"true", ES_AUTOVSCROLL},
        {L"autohscroll", L"true", ES_AUTOHSCROLL},
        {L"password", L"true", ES_PASSWORD},
        {L"align", L"center", ES_CENTER},
        {L"align", L"right", ES_RIGHT},
    };
    for (const auto& s : styles) {
        CRichEditUI box;
        box.SetAttribute(s.name, s.value);
        EXPECT_EQ(s.bits, box.GetWinStyle() & s.bits) << std::string(s.name, s.name + wcslen(s.name));
    }
    CRichEditUI single;
    EXPECT_TRUE(single.IsMultiLine());
    single.SetAttribute(L"MultiLine", L"false");
    EXPECT_FALSE(single.IsMultiLine());
    EXPECT_EQ(0u, single.GetWinStyle() & ES_MULTILINE);
}

TEST_F(RichEditTest, VerticalBarShowsOnlyWhenTheTextDoesNotFit) {
    CRichEditUI* edit = Open(L"vscrollbar=\"true\" text=\"one line\"");
    ASSERT_TRUE(edit->HasEngine());
    ASSERT_NE(nullptr, edit->GetVerticalScrollBar());
    EXPECT_FALSE(edit->GetVerticalScrollBar()->IsVisible());
    std::wstring many;
    for (int i = 0; i < 20; ++i) many += L"line\n";
    edit->SetText(many.c_str());
    edit->SetPos(edit->GetPos());
    UpdateWindow(window->GetHandle());
    Pump();
    EXPECT_TRUE(edit->GetVerticalScrollBar()->IsVisible());
    // The engine scrolls and the bar follows it.
    EXPECT_EQ(0, edit->GetVerticalScrollBar()->GetScrollPos());
    edit->LineDown();
    EXPECT_GT(edit->GetVerticalScrollBar()->GetScrollPos(), 0);
    edit->HomeUp();
    EXPECT_EQ(0, edit->GetVerticalScrollBar()->GetScrollPos());
    EXPECT_EQ(0, edit->SendEngineMessage(EM_GETFIRSTVISIBLELINE, 0, 0));
    // Dragging the bar scrolls the text.
    edit->SetScrollPos({0, 40});
    EXPECT_GT(edit->SendEngineMessage(EM_GETFIRSTVISIBLELINE, 0, 0), 0);
}

TEST_F(RichEditTest, EmptyUnfocusedBoxShowsItsTip) {
    CRichEditUI* edit = Open(L"tipvalue=\"WWWWWWWW\" tipvaluecolor=\"#FFFF0000\" bkcolor=\"#FFFFFFFF\"");
    auto redPixels = [this, edit] {
        InvalidateRect(window->GetHandle(), nullptr, FALSE);
        UpdateWindow(window->GetHandle());
        int count = 0;
        const RECT& pos = edit->GetPos();

        for (int y = pos.top; y < pos.bottom; y += 1)
            for (int x = pos.left; x < pos.left + 120; x += 1) {
                const DWORD pixel = OffscreenPixel(window->pm(), x, y);
                count += (pixel >> 16 & 0xFF) > 180 && (pixel >> 8 & 0xFF) < 90 && (pixel & 0xFF) < 90;
            }
        return count;
    };
    redPixels();  // the window gives its first tab stop the focus at its second painting
    window->pm().FocusControl(nullptr);
    EXPECT_FALSE(edit->IsFocused());
    EXPECT_GT(redPixels(), 10);
    Focus(edit);
    EXPECT_EQ(0, redPixels());
    window->pm().FocusControl(nullptr);
    edit->SetText(L"x");
    EXPECT_EQ(0, redPixels());
}

TEST_F(RichEditTest, CaretBlinksOnlyWhileTheWindowHasTheFocus) {
    CRichEditUI* edit = Open(L"");
    ASSERT_TRUE(edit->HasEngine());
    Focus(edit);
    ASSERT_EQ(window->GetHandle(), ::GetFocus());
    TUIEvent tick;
    tick.Type = UIEVENT_TIMER;
    tick.wParam = CRichEditUI::kCaretTimerId;
    const bool shown = edit->GetTxtWinHost()->IsCaretShown();
    edit->DoEvent(tick);
    EXPECT_NE(shown, edit->GetTxtWinHost()->IsCaretShown());
    edit->DoEvent(tick);
    EXPECT_EQ(shown, edit->GetTxtWinHost()->IsCaretShown());
    ::SetFocus(nullptr);
    edit->DoEvent(tick);
    EXPECT_EQ(shown, edit->GetTxtWinHost()->IsCaretShown());
}

TEST_F(RichEditTest, BoxWithoutItsEngineStaysAPlainControl) {
    CRichEditUI::SetEngineModule(L"no_such_text_engine.dll");
    CRichEditUI* edit = Open(L"text=\"kept\" bkcolor=\"#FF336699\"");
    CRichEditUI::SetEngineModule(L"Msftedit.dll");
    EXPECT_FALSE(edit->HasEngine());
    LRESULT result = 0;
    EXPECT_EQ(S_FALSE, edit->FilterKeyMessage(WM_CHAR, 'a', 0, &result));
    EXPECT_EQ(L"kept", Normalised(edit->GetText()));
    edit->SetText(L"still plain");
    EXPECT_EQ(L"still plain", Normalised(edit->GetText()));
    edit->SetSel(0, -1);
    edit->Cut();
    edit->LineDown();
    Focus(edit);
    Key(0, L'q');
    UpdateWindow(window->GetHandle());
    EXPECT_EQ(0xFF336699u, OffscreenPixel(window->pm(), 10, 10) | 0xFF000000u);
}
