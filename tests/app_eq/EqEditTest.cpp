// Editing the current output's equalizer and crossover on the real main window against the emulated
// amplifier: mouse clicks, typing, Enter, arrow keys and the wheel on named controls, drags on the curve,
// and a speaker position chosen from the popup menu. Each step checks the exact reports the amplifier
// received (built here from the protocol's layout) and what it stored.
#include "AppTestSupport.h"
#include "ControllerTestSupport.h"
#include "SButton.h"
#include "UICombo.h"
#include "UIEdit.h"
#include "UIEqualizer.h"
#include "UIMenu.h"
#include "UIMenuElement.h"
#include "UIProgress.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <thread>

using namespace ControllerTest;
using namespace SkinUI;

namespace {

using Frame = std::vector<uint8_t>;

Frame Dsp(uint8_t sub, const std::vector<uint8_t>& payload) { return MakeAmpRequest(kAmpCmdDsp, sub, kAmpOpSet, payload); }

// One output band: frequency big-endian, Q as whole and tenths, gain + 18 dB as whole and tenths.
Frame Eq(uint8_t output, uint8_t band, int freq, int qTenths, int gainTenths) {
    const int g = gainTenths + 180;
    return Dsp(0x06, {0, 0, output, band, uint8_t(freq >> 8), uint8_t(freq), uint8_t(qTenths / 10), uint8_t(qTenths % 10),
                      uint8_t(g / 10), uint8_t(g % 10)});
}

// kind 2 high-pass, 1 low-pass: type, frequency big-endian, slope.
Frame Filter(uint8_t output, uint8_t kind, int type, int freq, int slope) {
    return Dsp(0x05, {0, 0, output, kind, uint8_t(type), uint8_t(freq >> 8), uint8_t(freq), uint8_t(slope)});
}

Frame Bypass(uint8_t output, uint8_t value) { return Dsp(0x12, {0, 0, output, output, value}); }

std::string Hex(const Frame& f) {
    std::ostringstream out;
    for (size_t i = 0; i < f.size() && i < 16; ++i) out << std::hex << int(f[i]) << ' ';
    return out.str();
}

// The wheel turned towards the user moves a vertical slider down.
constexpr bool kWheelDownLowers = true;

int Tenths(float value) { return static_cast<int>(std::lround(value * 10)); }

class Page {
public:
    Page(MainWindowRun& run, AmpEmulator& emulator) : m_run(run), m_emulator(emulator) {}

    CControlUI* Find(const wchar_t* name) {
        CControlUI* control = m_run.Find(name);
        EXPECT_NE(control, nullptr) << "no control named " << std::string(name, name + wcslen(name));
        return control;
    }
    POINT Centre(const wchar_t* name) {
        const RECT r = Find(name)->GetPos();
        return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
    void Mouse(HWND window, UINT message, POINT at, WPARAM keys = 0) {
        SendMessageW(window, message, keys, MAKELPARAM(at.x, at.y));
    }
    void ClickAt(HWND window, POINT at) {
        Mouse(window, WM_MOUSEMOVE, at);
        Mouse(window, WM_LBUTTONDOWN, at, MK_LBUTTON);
        Mouse(window, WM_LBUTTONUP, at);
        Pump();
    }
    void Click(const wchar_t* name) { ClickAt(m_run.handle, Centre(name)); }
    void Key(HWND window, WPARAM key) {
        SendMessageW(window, WM_KEYDOWN, key, 1);
        SendMessageW(window, WM_KEYUP, key, 0xC0000001);
        Pump();
    }
    // The native edit appears once the focus has arrived; a busy machine may take a moment.
    HWND NativeEdit(const wchar_t* name) {
        auto* edit = static_cast<CEditUI*>(Find(name)->GetInterface(L"Edit"));
        if (!edit) return nullptr;
        AppTest::PumpUntil([&] { return edit->GetNativeWindow() != nullptr; }, 3000);
        return edit->GetNativeWindow();
    }
    // Clicks into the edit, replaces its text by typing and presses a key there.
    void Type(const wchar_t* name, const wchar_t* text, WPARAM finish = VK_RETURN) {
        Click(name);
        HWND native = NativeEdit(name);
        ASSERT_NE(native, nullptr) << "no native edit";
        SendMessageW(native, EM_SETSEL, 0, -1);
        for (const wchar_t* ch = text; *ch; ++ch) SendMessageW(native, WM_CHAR, *ch, 1);
        Key(native, finish);
    }
    void KeyIn(const wchar_t* name, WPARAM key) {
        Click(name);
        HWND native = NativeEdit(name);
        ASSERT_NE(native, nullptr);
        Key(native, key);
    }
    void Wheel(const wchar_t* name, bool down) {
        POINT at = Centre(name);
        ClientToScreen(m_run.handle, &at);
        SendMessageW(m_run.handle, WM_MOUSEWHEEL, MAKEWPARAM(0, down ? -WHEEL_DELTA : WHEEL_DELTA), MAKELPARAM(at.x, at.y));
        Pump();
    }
    void Drag(POINT from, POINT to) {
        Mouse(m_run.handle, WM_MOUSEMOVE, from);
        Mouse(m_run.handle, WM_LBUTTONDOWN, from, MK_LBUTTON);
        Mouse(m_run.handle, WM_MOUSEMOVE, to, MK_LBUTTON);
        Mouse(m_run.handle, WM_LBUTTONUP, to);
        Pump();
    }
    void MoveFocusAway() {
        Find(L"btn_reset_eq")->SetFocus();
        Pump();
    }
    void Pump(int ms = 30) { AppTest::PumpUntil([] { return false; }, ms); }

    // The reports sent since the last check are exactly these, in this order.
    void ExpectSent(const std::vector<Frame>& expected, const char* step) {
        SCOPED_TRACE(step);
        AppTest::PumpUntil([&] { return m_emulator.Requests().size() >= expected.size(); }, 3000);
        Pump(120);  // anything more would arrive now
        const auto sent = m_emulator.Requests();
        m_emulator.ClearRequests();
        EXPECT_EQ(sent.size(), expected.size());
        for (size_t i = 0; i < sent.size() && i < expected.size(); ++i)
            EXPECT_EQ(sent[i], expected[i]) << "report " << i << ": sent " << Hex(sent[i]) << " expected " << Hex(expected[i]);
        for (size_t i = expected.size(); i < sent.size(); ++i) ADD_FAILURE() << "extra report " << Hex(sent[i]);
    }

    std::wstring Text(const wchar_t* name) { return m_run.TextOf(name); }
    bool Selected(const wchar_t* name) {
        auto* button = static_cast<CSButtonUI*>(Find(name)->GetInterface(L"SButton"));
        return button && button->IsSelected();
    }
    CSliderUI* Slider(const wchar_t* name) { return static_cast<CSliderUI*>(Find(name)->GetInterface(L"Slider")); }
    CComboUI* Combo(const wchar_t* name) { return static_cast<CComboUI*>(Find(name)->GetInterface(L"Combo")); }

private:
    MainWindowRun& m_run;
    AmpEmulator& m_emulator;
};

void PrepareAmplifier(AmpState& s) {
    AmpOutput& out0 = s.scenes[0].outputs[0];
    const uint8_t filter[8] = {1, 0x00, 80, 2, 1, 0x0F, 0xA0, 2};  // BW 80 Hz order 2; BW 4000 Hz order 2
    std::copy(filter, filter + 8, out0.filter);
    out0.eqBypass = 0;
    out0.eq[3] = {{0x03, 0xE8}, {2, 5}, {24, 5}};  // 1000 Hz, Q 2.5, +6.5 dB
    out0.type = 1;
}

CMenuWnd* TopMenu() {
    for (int i = 0; i < GetMenuObserver().GetReceiverCount(); ++i)
        if (auto* menu = dynamic_cast<CMenuWnd*>(GetMenuObserver().GetReceiver(i)))
            if (!menu->GetOwner()) return menu;
    return nullptr;
}

CMenuElementUI* MenuItem(CMenuWnd* menu, const wchar_t* name) {
    CControlUI* item = menu ? menu->GetPaintManager()->FindControlByName(name) : nullptr;
    return item ? static_cast<CMenuElementUI*>(item->GetInterface(L"MenuElement")) : nullptr;
}

// Clicks the button that opens a menu and pumps until the open menu is the one holding this item: a
// loaded machine may take longer than any fixed wait.
CMenuWnd* OpenMenu(Page& page, const wchar_t* button, const wchar_t* item) {
    page.Click(button);
    AppTest::PumpUntil([&] { return MenuItem(TopMenu(), item) != nullptr; });
    return TopMenu();
}

}  // namespace

TEST(EqEdit, BandsBypassModeResetCrossoverCurveAndMenuReachTheAmplifier) {
    AmpEmulator emulator;
    emulator.SetRealTime(true);
    emulator.EditState(PrepareAmplifier);
    MainWindowRun run(emulator);
    ASSERT_NE(run.handle, nullptr);
    ASSERT_TRUE(run.WaitConnected());
    EqualizerManager& c = run.Controller();
    Page page(run, emulator);

    // Filling the page from the replies sent nothing back: only the read-back's requests went out.
    const auto parsed = ParsedRequests(emulator);
    EXPECT_EQ(parsed.size(), 127u);
    for (const AmpRequest& r : parsed) EXPECT_TRUE(r.IsGet() || r.cmd != kAmpCmdDsp) << "a setter during the fill: " << int(r.sub);
    emulator.ClearRequests();
    EXPECT_EQ(page.Text(L"eq_gain_3"), L"6.5");
    EXPECT_EQ(page.Text(L"btn_bypass"), Text(L"${bypass_eq}"));
    // The page starts in GEQ mode: the used rows' frequency and Q edits are locked.
    EXPECT_FALSE(page.Find(L"eq_freq_0")->IsEnabled());
    EXPECT_TRUE(page.Find(L"eq_gain_0")->IsEnabled());

    // PEQ mode, after the question is confirmed; nothing goes to the amplifier.
    MainWindowRun::ConfirmContaining() = Text(L"${peq_mode_tips}");
    page.Click(L"btn_arg_eq");
    page.Pump(150);
    EXPECT_TRUE(page.Selected(L"btn_arg_eq"));
    EXPECT_EQ(page.Text(L"btn_arg_eq"), Text(L"${peq_mode}"));
    EXPECT_TRUE(page.Find(L"eq_freq_0")->IsEnabled());
    page.ExpectSent({}, "mode");

    const EqBand band2 = c.config.channels[0].eqArray[2];
    const int q2 = Tenths(band2.factor);
    // Frequency typed in kilohertz, committed by Enter (the focus moves on to the Q edit).
    page.Type(L"eq_freq_2", L"2k");
    page.ExpectSent({Eq(0, 2, 2000, q2, 0)}, "frequency");
    EXPECT_EQ(page.Text(L"eq_freq_2"), L"2000");
    // A Q above the range is held to 9.
    page.Type(L"eq_q_2", L"12");
    page.ExpectSent({Eq(0, 2, 2000, 90, 0)}, "Q");
    EXPECT_EQ(page.Text(L"eq_q_2"), L"9.00");
    // A gain is shown in its format whatever was typed.
    page.Type(L"eq_gain_2", L"06");
    page.ExpectSent({Eq(0, 2, 2000, 90, 60)}, "gain typed loosely");
    EXPECT_EQ(page.Text(L"eq_gain_2"), L"6.0");
    // A negative gain moves the slider and lights the band.
    page.Type(L"eq_gain_2", L"-2.5");
    page.ExpectSent({Eq(0, 2, 2000, 90, -25)}, "gain");
    EXPECT_EQ(page.Slider(L"eq_slider_2")->GetValue(), -25);
    EXPECT_TRUE(page.Selected(L"pt_enable_2"));
    // Up in the gain edit: one tenth; leaving the unchanged edit of band 3 sent nothing.
    page.KeyIn(L"eq_gain_2", VK_UP);
    page.ExpectSent({Eq(0, 2, 2000, 90, -24)}, "gain up");
    EXPECT_EQ(page.Text(L"eq_gain_2"), L"-2.4");
    // Down in the frequency edit: one step of the logarithmic scale (20 Hz x 1000^(132/200)).
    page.KeyIn(L"eq_freq_2", VK_DOWN);
    page.ExpectSent({Eq(0, 2, 1910, 90, -24)}, "frequency down");
    EXPECT_EQ(page.Text(L"eq_freq_2"), L"1910");
    // Down in the Q edit: 0.05 less.
    page.KeyIn(L"eq_q_2", VK_DOWN);
    page.ExpectSent({Eq(0, 2, 1910, 89, -24)}, "Q down");
    EXPECT_EQ(page.Text(L"eq_q_2"), L"8.95");
    page.MoveFocusAway();  // the Q edit loses the focus unchanged
    page.ExpectSent({}, "unchanged");

    // The band slider by the wheel: half a dB.
    const EqBand band5 = c.config.channels[0].eqArray[5];
    page.Wheel(L"eq_slider_5", false);
    const int moved = page.Slider(L"eq_slider_5")->GetValue();
    ASSERT_EQ(moved, 5);  // the wheel turned away from the user raises the band
    page.ExpectSent({Eq(0, 5, band5.freq, Tenths(band5.factor), moved)}, "slider");
    EXPECT_EQ(page.Text(L"eq_gain_5"), moved > 0 ? L"0.5" : L"-0.5");
    EXPECT_TRUE(page.Selected(L"pt_enable_5"));

    // Switching the band off sends 0 dB and keeps its gain; on again sends it.
    page.Click(L"pt_enable_5");
    page.ExpectSent({Eq(0, 5, band5.freq, Tenths(band5.factor), 0)}, "band off");
    EXPECT_FALSE(page.Selected(L"pt_enable_5"));
    EXPECT_EQ(page.Text(L"eq_gain_5"), L"0.0");
    EXPECT_FLOAT_EQ(c.config.channels[0].eqArray[5].gain, moved / 10.0f);
    // Only visiting the switched-off band changes nothing: the pointer over its point and the next
    // band's on the curve, a click into its gain cell and the focus leaving it again.
    auto* bands = static_cast<UIEqualizer*>(page.Find(L"equalizer")->GetInterface(L"Curve"));
    ASSERT_NE(bands, nullptr);
    page.Mouse(run.handle, WM_MOUSEMOVE, bands->GetBandPoint(6));
    page.Mouse(run.handle, WM_MOUSEMOVE, bands->GetBandPoint(5));
    page.Click(L"eq_gain_5");
    page.MoveFocusAway();
    page.ExpectSent({}, "visiting a band that is off");
    EXPECT_EQ(c.config.channels[0].eqArray[5].enable, 0);
    EXPECT_FLOAT_EQ(c.config.channels[0].eqArray[5].gain, moved / 10.0f);
    page.Click(L"pt_enable_5");
    page.ExpectSent({Eq(0, 5, band5.freq, Tenths(band5.factor), moved)}, "band on");
    EXPECT_TRUE(page.Selected(L"pt_enable_5"));

    // Text that is not a number restores what the cell showed and sends nothing.
    const std::wstring shownFreq = page.Text(L"eq_freq_5"), shownQ = page.Text(L"eq_q_5");
    const struct {
        const wchar_t* cell;
        const wchar_t* typed;
        std::wstring shown;
    } notNumbers[] = {
        {L"eq_gain_5", L"\b", page.Text(L"eq_gain_5")},   // emptied
        {L"eq_gain_5", L"nan", page.Text(L"eq_gain_5")},
        {L"eq_q_5", L"abc", shownQ},
        {L"eq_freq_5", L"\x97F3\x91CF", shownFreq},      // CJK
        {L"eq_gain_5", L"-0x10", page.Text(L"eq_gain_5")},  // hexadecimal: no -16 dB
        {L"eq_q_5", L"0x2", shownQ},
        {L"eq_freq_5", L"0x3E8", shownFreq},
    };
    for (const auto& n : notNumbers) {
        page.Type(n.cell, n.typed);
        page.ExpectSent({}, "not a number");
        EXPECT_EQ(page.Text(n.cell), n.shown) << std::wstring(n.cell).size();
    }
    EXPECT_FLOAT_EQ(c.config.channels[0].eqArray[5].gain, moved / 10.0f);
    // A number of any length is the end of the range: Q 9.00, sent once.
    page.Type(L"eq_q_5", L"99999999999");
    page.ExpectSent({Eq(0, 5, band5.freq, 90, moved)}, "Q far above its range");
    EXPECT_EQ(page.Text(L"eq_q_5"), L"9.00");
    // In the crossover edits too; the focus leaving commits the frequency in use again, as ever.
    page.Type(L"hp_freq", L"k5");
    page.ExpectSent({}, "high-pass not a number");
    EXPECT_EQ(page.Text(L"hp_freq"), L"80Hz");
    page.Type(L"lp_freq", L"\b");
    page.ExpectSent({Filter(0, 2, 1, 80, 2)}, "low-pass emptied");
    EXPECT_EQ(page.Text(L"lp_freq"), L"4000Hz");
    page.MoveFocusAway();
    page.ExpectSent({Filter(0, 1, 1, 4000, 2)}, "not a number, focus gone");

    // Bypass: asked, confirmed, sent; the rows show 0.0 while the gains stay stored. Then restored.
    MainWindowRun::ConfirmContaining() = Text(L"${bypass_all_eq_tips}");
    page.Click(L"btn_bypass");
    page.ExpectSent({Bypass(0, 1)}, "bypass");
    EXPECT_EQ(page.Text(L"btn_bypass"), Text(L"${restore_eq}"));
    EXPECT_EQ(page.Text(L"eq_gain_3"), L"0.0");
    EXPECT_FALSE(page.Selected(L"pt_enable_3"));
    EXPECT_EQ(emulator.State().scenes[0].outputs[0].eqBypass, 1);
    MainWindowRun::ConfirmContaining() = Text(L"${restore_all_eq_tips}");
    page.Click(L"btn_bypass");
    page.ExpectSent({Bypass(0, 0)}, "restore");
    EXPECT_EQ(page.Text(L"eq_gain_3"), L"6.5");
    EXPECT_EQ(emulator.State().scenes[0].outputs[0].eqBypass, 0);

    // The amplifier holds the band as edited.
    const AmpEqBand stored = emulator.State().scenes[0].outputs[0].eq[2];
    EXPECT_EQ((std::vector<uint8_t>{stored.freq[0], stored.freq[1], stored.q[0], stored.q[1], stored.gain[0], stored.gain[1]}),
              (std::vector<uint8_t>{0x07, 0x76, 8, 9, 15, 6}));

    // EQ reset: one reset command; the amplifier's bands are back to its defaults.
    MainWindowRun::ConfirmContaining() = Text(L"${reset_all_eq_tips}");
    page.Click(L"btn_reset_eq");
    page.ExpectSent({Dsp(0x11, {0, 0, 1, 0})}, "reset");
    EXPECT_EQ(page.Text(L"eq_gain_3"), L"0.0");
    EXPECT_FLOAT_EQ(c.config.channels[0].eqArray[3].factor, 5.8f);
    const AmpEqBand factory = FactoryEqBand(2);
    EXPECT_EQ(emulator.State().scenes[0].outputs[0].eq[2].freq[1], factory.freq[1]);
    // With every gain at 0 dB the bypass button asks nothing and still sends the output's bypass.
    const size_t boxes = MainWindowRun::BoxesSeen().size();
    page.Click(L"btn_bypass");
    page.ExpectSent({Bypass(0, 0)}, "bypass of a flat output");
    EXPECT_EQ(MainWindowRun::BoxesSeen().size(), boxes);
    MainWindowRun::ConfirmContaining() = Text(L"${geq_mode_tips}");
    page.Click(L"btn_arg_eq");
    page.Pump(150);
    EXPECT_FALSE(page.Selected(L"btn_arg_eq"));
    EXPECT_FALSE(page.Find(L"eq_freq_0")->IsEnabled());
    page.ExpectSent({}, "GEQ mode");

    // Crossover: "2k5" in the high-pass edit; the focus loss commits the same value again.
    page.Type(L"hp_freq", L"2k5");
    page.ExpectSent({Filter(0, 2, 1, 2500, 2)}, "hp frequency");
    EXPECT_EQ(page.Text(L"hp_freq"), L"2500Hz");
    page.KeyIn(L"lp_freq", VK_UP);  // the click into lp_freq commits hp_freq once more
    page.ExpectSent({Filter(0, 2, 1, 2500, 2), Filter(0, 1, 1, 4083, 2)}, "lp up");
    EXPECT_EQ(page.Text(L"lp_freq"), L"4083Hz");
    // A high-pass above the low-pass stops at it.
    page.Type(L"hp_freq", L"30000");
    page.ExpectSent({Filter(0, 1, 1, 4083, 2), Filter(0, 2, 1, 4083, 2)}, "hp above lp");
    EXPECT_EQ(page.Text(L"hp_freq"), L"4083Hz");
    // Type Linkwitz-Riley by the keyboard: the odd slopes are no longer offered.
    page.MoveFocusAway();
    page.ExpectSent({Filter(0, 2, 1, 4083, 2)}, "hp focus loss");
    page.Combo(L"hp_type")->SetFocus();
    page.Key(run.handle, VK_DOWN);
    EXPECT_EQ(page.Combo(L"hp_type")->GetCurSel(), 1);
    page.ExpectSent({Filter(0, 2, 2, 4083, 2)}, "hp type");
    EXPECT_FALSE(page.Combo(L"hp_slop")->GetItemAt(3)->IsVisible());
    EXPECT_TRUE(page.Combo(L"hp_slop")->GetItemAt(4)->IsVisible());
    c.SetHpType();  // the type already set
    page.ExpectSent({}, "same type");
    page.Combo(L"lp_slop")->SetFocus();
    page.Key(run.handle, VK_DOWN);
    const int lpSlope = page.Combo(L"lp_slop")->GetCurSel();
    EXPECT_NE(lpSlope, 2);
    page.ExpectSent({Filter(0, 1, 1, 4083, lpSlope)}, "lp slope");
    const AmpState state = emulator.State();
    const uint8_t* filter = state.scenes[0].outputs[0].filter;
    EXPECT_EQ((std::vector<uint8_t>(filter, filter + 8)), (std::vector<uint8_t>{2, 0x0F, 0xF3, 2, 1, 0x0F, 0xF3, uint8_t(lpSlope)}));

    // The curve: dragging band 1 up reaches the same setters as the edits.
    auto* curve = static_cast<UIEqualizer*>(page.Find(L"equalizer")->GetInterface(L"Curve"));
    ASSERT_NE(curve, nullptr);
    const POINT point = curve->GetBandPoint(1);
    page.Mouse(run.handle, WM_MOUSEMOVE, point);
    page.Mouse(run.handle, WM_LBUTTONDOWN, point, MK_LBUTTON);
    UpdateWindow(run.handle);
    page.Mouse(run.handle, WM_MOUSEMOVE, {point.x, point.y - 30}, MK_LBUTTON);
    // The step repaints the curve and the dragged band's controls; the other bands' stay as they are.
    HRGN dirty = CreateRectRgn(0, 0, 0, 0);
    GetUpdateRgn(run.handle, dirty, FALSE);
    EXPECT_TRUE(RectInRegion(dirty, &curve->GetPos()));
    for (const wchar_t* name : {L"pt_enable_4", L"eq_gain_4", L"eq_slider_4", L"pt_enable_0"})
        EXPECT_FALSE(RectInRegion(dirty, &page.Find(name)->GetPos())) << "repainted: " << std::string(name, name + wcslen(name));
    DeleteObject(dirty);
    page.Mouse(run.handle, WM_LBUTTONUP, {point.x, point.y - 30});
    page.Pump();
    const EqBand dragged = curve->GetBand(1);
    ASSERT_GT(dragged.gain, 0.5f);
    const EqBand& held = c.config.channels[0].eqArray[1];
    EXPECT_FLOAT_EQ(held.gain, dragged.gain);
    page.ExpectSent({Eq(0, 1, held.freq, Tenths(held.factor), static_cast<int>(std::trunc(held.gain * 10 + 1e-4)))}, "curve band");
    wchar_t shown[16];
    swprintf(shown, 16, L"%.1f", held.gain);
    EXPECT_EQ(page.Text(L"eq_gain_1"), shown);
    // The low-pass marker dragged to the right.
    const RECT lp = curve->GetLpMarkerRect();
    const POINT lpAt = {(lp.left + lp.right) / 2, (lp.top + lp.bottom) / 2};
    page.Drag(lpAt, {lpAt.x + 40, lpAt.y});
    const int lpFreq = c.config.channels[0].crossover.GetLpFreq();
    EXPECT_GT(lpFreq, 4083);
    EXPECT_EQ(lpFreq, curve->GetLpFreq());
    // The marker reports while it moves and again on release.
    page.ExpectSent({Filter(0, 1, 1, lpFreq, lpSlope), Filter(0, 1, 1, lpFreq, lpSlope)}, "curve low-pass");
    EXPECT_EQ(page.Text(L"lp_freq"), std::to_wstring(lpFreq) + L"Hz");

    // The speaker position menu of output 0: the subwoofer branch, then "low".
    CMenuWnd* top = OpenMenu(page, L"ch_output_btn_0", L"output_menu_subwoof");
    ASSERT_NE(top, nullptr);
    auto* used = static_cast<CMenuElementUI*>(top->GetPaintManager()->FindControlByName(L"output_menu_front_left_high_freq"));
    ASSERT_NE(used, nullptr);
    auto* branch = static_cast<CMenuElementUI*>(top->GetPaintManager()->FindControlByName(L"output_menu_subwoof"));
    ASSERT_NE(branch, nullptr);
    const RECT b = branch->GetPos();
    page.ClickAt(top->GetHandle(), {(b.left + b.right) / 2, (b.top + b.bottom) / 2});
    AppTest::PumpUntil([&] { return branch->GetSubMenuWnd() != nullptr; });
    CMenuWnd* sub = branch->GetSubMenuWnd();
    ASSERT_NE(sub, nullptr);
    CControlUI* low = nullptr;
    for (int i = 0; i < branch->GetCount(); ++i)
        if (CControlUI* item = branch->GetItemAt(i))
            if (item->GetName() == L"output_menu_subwoof_low") low = item;
    ASSERT_NE(low, nullptr);
    const RECT l = low->GetPos();
    page.ClickAt(sub->GetHandle(), {(l.left + l.right) / 2, (l.top + l.bottom) / 2});
    page.Pump(150);
    EXPECT_EQ(c.config.outputs[0], 24);
    EXPECT_EQ(page.Text(L"ch_output_btn_0"), Text(L"${subwoofer_freq}"));
    const Crossover& xo = c.config.channels[0].crossover;
    ASSERT_EQ(c.config.channels[0].gain, 0.0f);
    const Frame trim = c.Device().mWideTrim ? Dsp(0x08, {0, 0, 0, 0, 0, 0}) : Dsp(0x08, {0, 0, 0, 0, 0});
    page.ExpectSent({Dsp(0x0D, {0, 0, 0, 0, 24}), Filter(0, 2, xo.GetHpType(), xo.GetHpFreq(), xo.GetHpSlope()),
                     Filter(0, 1, xo.GetLpType(), xo.GetLpFreq(), xo.GetLpSlope()), trim},
                    "speaker position");
    EXPECT_EQ(emulator.State().scenes[0].outputs[0].type, 24);
    // The page is laid out again after the choice; that selects no band of the curve the user never
    // pointed at (it showed band 1 with "0.0 dB").
    page.Pump(150);
    EXPECT_EQ(curve->GetCurrentControlIndex(), -1);
    EXPECT_TRUE(run.Close());
}

namespace {

// Writes bands into the live record and shows them, as a reply would.
void SetBands(EqualizerManager& c, int output, std::initializer_list<std::pair<int, float>> gains, uint8_t bypass) {
    ChannelConfig& ch = c.config.channels[output];
    for (int b = 0; b < ch.eqSize; ++b) ch.eqArray[b].gain = 0;
    for (const auto& g : gains) ch.eqArray[g.first].gain = g.second;
    ch.bypass = bypass;
    c.RefreshEqBandControls();
}

Frame EqOf(EqualizerManager& c, int output, int band, int gainTenths) {
    const EqBand& e = c.config.channels[output].eqArray[band];
    return Eq(uint8_t(output), uint8_t(band), e.freq, Tenths(e.factor), gainTenths);
}

Frame HpOf(EqualizerManager& c, int output) {
    const Crossover& xo = c.config.channels[output].crossover;
    return Filter(uint8_t(output), 2, xo.GetHpType(), xo.GetHpFreq(), xo.GetHpSlope());
}

}  // namespace

TEST(EqEdit, SyncGroupPartnerBypassRulesRowsMenusAndProfile) {
    AmpEmulator emulator;
    emulator.SetRealTime(true);
    emulator.EditState(PrepareAmplifier);
    MainWindowRun run(emulator);
    ASSERT_NE(run.handle, nullptr);
    ASSERT_TRUE(run.WaitConnected());
    EqualizerManager& c = run.Controller();
    Page page(run, emulator);
    emulator.ClearRequests();

    // Outputs 0, 1 and 2 edited together, output 3 linked to output 0: a slope change goes to the
    // group (the current output among them), once more to the current output, then to the partner.
    c.config.syncGroup[0] = c.config.syncGroup[1] = c.config.syncGroup[2] = 1;
    c.config.linkMode = 1;
    c.config.linkOutputs[0] = 3;
    for (int n : {0, 1, 2, 3}) c.config.channels[n].bypass = 0;
    page.Combo(L"hp_slop")->SetFocus();
    page.Key(run.handle, VK_DOWN);
    ASSERT_EQ(page.Combo(L"hp_slop")->GetCurSel(), 3);
    for (int n : {0, 1, 2, 3}) EXPECT_EQ(c.config.channels[n].crossover.GetHpSlope(), 3) << n;
    page.ExpectSent({HpOf(c, 0), HpOf(c, 1), HpOf(c, 2), HpOf(c, 0), HpOf(c, 3)}, "group slope");
    // A band of the group: every member and then the current output and its partner.
    page.Type(L"eq_gain_6", L"1.5");
    page.ExpectSent({EqOf(c, 0, 6, 15), EqOf(c, 1, 6, 15), EqOf(c, 2, 6, 15), EqOf(c, 0, 6, 15), EqOf(c, 3, 6, 15)},
                    "group band");
    for (int n : {0, 1, 2, 3}) EXPECT_FLOAT_EQ(c.config.channels[n].eqArray[6].gain, 1.5f) << n;
    c.config.syncGroup[0] = c.config.syncGroup[1] = c.config.syncGroup[2] = 0;
    c.config.linkMode = 0;
    c.config.linkOutputs[0] = -1;
    page.MoveFocusAway();
    page.ExpectSent({}, "left unchanged");

    // A bypassed output whose hidden gain is 3 dB: leaving its shown 0.0 unchanged keeps the gain...
    SetBands(c, 0, {{4, 3.0f}}, 1);
    EXPECT_EQ(page.Text(L"eq_gain_4"), L"0.0");
    page.Click(L"eq_gain_4");
    page.MoveFocusAway();
    page.ExpectSent({}, "unchanged on a bypassed output");
    EXPECT_FLOAT_EQ(c.config.channels[0].eqArray[4].gain, 3.0f);
    // ...raising another band first clears the hidden gain, then the bypass, then sends the band.
    page.Type(L"eq_gain_2", L"2");
    page.ExpectSent({EqOf(c, 0, 4, 0), Bypass(0, 0), EqOf(c, 0, 2, 20)}, "raise on a bypassed output");
    EXPECT_FLOAT_EQ(c.config.channels[0].eqArray[4].gain, 0.0f);
    EXPECT_EQ(page.Text(L"btn_bypass"), Text(L"${bypass_eq}"));

    // Flatness: a band slid back to 0 dB beside two of 0.4 dB leaves the output raised (plain sum)...
    SetBands(c, 0, {{1, 0.4f}, {3, 0.4f}, {5, 0.5f}}, 0);
    page.Wheel(L"eq_slider_5", kWheelDownLowers);
    ASSERT_EQ(page.Slider(L"eq_slider_5")->GetValue(), 0);
    page.ExpectSent({EqOf(c, 0, 5, 0)}, "slider to 0 dB");
    EXPECT_EQ(page.Text(L"btn_bypass"), Text(L"${bypass_eq}"));
    // ...while the edits truncate each step of the sum: the same bands count as flat and bypass the output.
    SetBands(c, 0, {{1, 0.4f}, {3, 0.4f}, {5, 0.5f}}, 0);
    page.Type(L"eq_gain_5", L"0");
    page.ExpectSent({Bypass(0, 1), EqOf(c, 0, 5, 0)}, "edit to flat");
    EXPECT_EQ(page.Text(L"btn_bypass"), Text(L"${restore_eq}"));
    page.MoveFocusAway();
    page.ExpectSent({}, "left unchanged again");

    // EQ reset of a bridged pair: one reset command naming both outputs.
    c.config.outputBridge[0] = 1;
    MainWindowRun::ConfirmContaining() = Text(L"${reset_all_eq_tips}");
    page.Click(L"btn_reset_eq");
    page.ExpectSent({Dsp(0x11, {0, 0, 2, 0, 1})}, "reset pair");
    EXPECT_FLOAT_EQ(c.config.channels[1].eqArray[6].gain, 0.0f);
    c.config.outputBridge[0] = 0;

    // Q steps: 8.98 up reaches 9.00, and 9.00 goes no further.
    c.config.channels[0].eqArray[7].factor = 8.98f;
    c.RefreshEqBandControls();
    MainWindowRun::ConfirmContaining() = Text(L"${peq_mode_tips}");
    page.Click(L"btn_arg_eq");
    page.Pump(150);
    ASSERT_TRUE(page.Selected(L"btn_arg_eq"));
    page.KeyIn(L"eq_q_7", VK_UP);
    page.ExpectSent({EqOf(c, 0, 7, 0)}, "Q up to the top");
    EXPECT_EQ(page.Text(L"eq_q_7"), L"9.00");
    page.KeyIn(L"eq_q_7", VK_UP);
    page.ExpectSent({}, "Q at the top");
    page.MoveFocusAway();
    page.ExpectSent({}, "Q left");

    // An 11-band output: the rows past its bands are locked and show zeros.
    c.config.currOutChannel = 4;
    c.RefreshEqBandControls();
    EXPECT_TRUE(page.Find(L"eq_gain_10")->IsEnabled());
    for (const wchar_t* name : {L"eq_freq_11", L"eq_q_11", L"eq_gain_11", L"eq_slider_20", L"pt_enable_15"})
        EXPECT_FALSE(page.Find(name)->IsEnabled()) << std::string(name, name + wcslen(name));
    EXPECT_EQ(page.Text(L"eq_freq_11"), L"0");
    EXPECT_EQ(page.Text(L"eq_gain_20"), L"0.0");
    c.config.currOutChannel = 0;
    c.RefreshEqBandControls();

    // The right half of the page opens the speaker sub-menus to the left.
    CMenuWnd* menu = OpenMenu(page, L"ch_output_btn_7", L"output_menu_front");
    ASSERT_NE(menu, nullptr);
    for (const wchar_t* name : {L"output_menu_front", L"output_menu_rear_left", L"output_menu_subwoof"}) {
        CMenuElementUI* item = MenuItem(menu, name);
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->GetSubMenuAlignment(), 44u);
    }
    // Opening another menu replaces it; while connected the device items are enabled.
    ASSERT_NE(OpenMenu(page, L"btn_option", L"option_item_reset_default"), nullptr);
    EXPECT_TRUE(MenuItem(TopMenu(), L"option_item_reset_default")->IsEnabled());
    OpenMenu(page, L"btn_advance", L"advance_item_ktv");
    EXPECT_FALSE(MenuItem(TopMenu(), L"advance_item_ktv")->IsVisible());
    EXPECT_TRUE(MenuItem(TopMenu(), L"advance_item_mixer")->IsVisible());
    EXPECT_EQ(GetMenuObserver().GetReceiverCount(), 1);
    page.ExpectSent({}, "menus");

    const MenuItemInfo* seeded = CMenuWnd::GetMenuItemInfo(L"菜单");
    ASSERT_NE(seeded, nullptr);
    EXPECT_TRUE(seeded->bChecked);

    // A loaded scene profile goes out from a worker, waiting for each reply, then the page follows it.
    c.config.channels[0].eqArray[2].gain = 4.5f;
    c.config.channels[0].bypass = 0;
    c.config.inputs[7][5] = 3;  // routing of a source that is not the current one
    c.TakeProfileToSend(false);
    std::thread worker(EqualizerManager::SetCurSceneThread, &c);
    worker.join();
    AppTest::PumpUntil([&] { return emulator.Requests().size() >= 229u; }, 5000);
    page.Pump(200);
    EXPECT_EQ(page.Text(L"eq_gain_2"), L"4.5");
    const auto sent = ParsedRequests(emulator);
    // volume, mute, 10 x 2 filters, 4 x 21 + 6 x 11 bands, 6 whole-range values, the routing of all nine
    // sources, 22 mix rows, then the page's refresh sends every output's mute and phase again
    ASSERT_EQ(sent.size(), 2u + 20 + 84 + 66 + 6 + 9 + 22 + 20);
    for (uint8_t s = 0; s < 9; ++s) {
        EXPECT_EQ(sent[178 + s].sub, 0x0B);
        EXPECT_EQ(sent[178 + s].payload[1], s);
    }
    EXPECT_EQ(emulator.State().scenes[0].mix[7][5], 3);
    for (uint8_t n = 0; n < 10; ++n) {
        EXPECT_EQ(sent[209 + 2 * n].sub, 0x09);  // mute, then phase, of each output
        EXPECT_EQ(sent[210 + 2 * n].sub, 0x0A);
        EXPECT_EQ(sent[210 + 2 * n].payload[2], n);
    }
    EXPECT_EQ(sent[0].sub, 0x02);  // main volume
    EXPECT_EQ(sent[1].sub, 0x04);  // main mute
    EXPECT_EQ(sent[2].sub, 0x05);
    EXPECT_EQ(sent[2].payload, (std::vector<uint8_t>{0, 0, 0, 1, 1, 0x0F, 0xA0, 2}));
    EXPECT_EQ(emulator.State().scenes[0].outputs[0].eq[2].gain[0], 22);

    // Disconnected: the option and scene menus offer no device items.
    c.DisconnectDevice();
    ASSERT_TRUE(run.WaitDisconnected());
    OpenMenu(page, L"btn_option", L"option_item_reset_default");
    EXPECT_FALSE(MenuItem(TopMenu(), L"option_item_reset_default")->IsEnabled());
    OpenMenu(page, L"btn_scene", L"scene_item_load_scene");
    for (const wchar_t* name : {L"scene_item_load_scene", L"scene_item_saveas_scene", L"scene_item_delete_scene"})
        EXPECT_FALSE(MenuItem(TopMenu(), name)->IsEnabled());
    EXPECT_TRUE(MenuItem(TopMenu(), L"scene_item_load_file")->IsEnabled());
    EXPECT_TRUE(run.Close());
}

// Bands the amplifier holds at tenths that binary cannot hold are read back, switched off and on again by
// clicks on their switches, and go back as the bytes they were: 0 dB while off, the band as held when on.
TEST(EqEdit, ReadBackBandsSwitchedOffAndOnGoBackAsHeld) {
    const struct {
        uint8_t band;
        int gainTenths;
        const wchar_t* shown;
    } held[] = {{5, 29, L"2.9"}, {6, -28, L"-2.8"}, {7, 4, L"0.4"}, {8, 68, L"6.8"}};
    AmpEmulator emulator;
    emulator.SetRealTime(true);
    emulator.EditState([&](AmpState& s) {
        PrepareAmplifier(s);
        for (const auto& h : held) {
            AmpEqBand& e = s.scenes[0].outputs[0].eq[h.band];
            e.gain[0] = uint8_t((h.gainTenths + 180) / 10);
            e.gain[1] = uint8_t((h.gainTenths + 180) % 10);
        }
    });
    const AmpOutput before = emulator.State().scenes[0].outputs[0];
    MainWindowRun run(emulator);
    ASSERT_NE(run.handle, nullptr);
    ASSERT_TRUE(run.WaitConnected());
    Page page(run, emulator);
    emulator.ClearRequests();
    for (const auto& h : held) {
        const AmpEqBand& e = before.eq[h.band];
        const std::wstring n = std::to_wstring(h.band);
        EXPECT_EQ(page.Text((L"eq_gain_" + n).c_str()), h.shown);
        EXPECT_EQ(page.Slider((L"eq_slider_" + n).c_str())->GetValue(), h.gainTenths);
        const int freq = e.freq[0] << 8 | e.freq[1], q = e.q[0] * 10 + e.q[1];
        page.Click((L"pt_enable_" + n).c_str());
        page.ExpectSent({Eq(0, h.band, freq, q, 0)}, "band off");
        page.Click((L"pt_enable_" + n).c_str());
        page.ExpectSent({Eq(0, h.band, freq, q, h.gainTenths)}, "band on");
        EXPECT_TRUE(page.Selected((L"pt_enable_" + n).c_str()));
    }
    const AmpOutput after = emulator.State().scenes[0].outputs[0];
    for (const auto& h : held) {
        const AmpEqBand &was = before.eq[h.band], &is = after.eq[h.band];
        auto bytes = [](const AmpEqBand& e) { return Frame{e.freq[0], e.freq[1], e.q[0], e.q[1], e.gain[0], e.gain[1]}; };
        EXPECT_EQ(bytes(is), bytes(was)) << int(h.band);
    }
    EXPECT_TRUE(run.Close());
}
