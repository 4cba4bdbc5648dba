// The equalizer curve and the calibration display in real skin windows: attributes, plotted pixels
// against a mapping written out here, mouse drags and the notifications they raise.
#include "UIControls.h"
#include "UIDpi.h"
#include "UIEqualizer.h"
#include "UIEqualizerAc.h"
#include "model/ResponseMath.h"
#include "widgets/WidgetTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using namespace SkinUI;
using namespace WindowTest;
using namespace WidgetTest;

namespace {

// Away from the corner where the other window tests open theirs, which run beside these on one display.
constexpr int kWindowX = 1250, kWindowY = 650;

// The plot of both layouts starts at (10, 10); the equalizer's is 600 x 300, so 0 dB lies at
// y = 10 + 300 x 12 / 30 = 130, and a decade is 200 px wide.
std::wstring Layout(const wchar_t* element, int width, int height) {
    return L"<Window size=\"" + std::to_wstring(width + 20) + L"," + std::to_wstring(height + 20) +
           L"\"><VerticalLayout bkcolor=\"#FF000000\" inset=\"10,10,10,10\">" + element +
           L"</VerticalLayout></Window>";
}
const wchar_t kCurve[] = L"<Curve name=\"equalizer\" bkcolor=\"#FF111418\" curvecolor=\"#FFFF0000 #FF00FF00\"/>";
constexpr int L0 = 10, T0 = 10, R0 = 610, B0 = 310, C0 = 130;

int X(double freq) { return static_cast<int>(L0 + 600.0 * std::log10(freq / 20.0) / 3.0); }
int Y(double gain) {
    if (gain > 0) return static_cast<int>(C0 - std::round((C0 - T0) * gain) / 12.0);
    return static_cast<int>(C0 - std::round((B0 - C0) * gain) / 18.0);
}
int Freq(int x) { return static_cast<int>(std::lround(20.0 * std::pow(10.0, (x - L0) * 3.0 / 600.0))); }
float Gain(int y) { return y < C0 ? 12.0f * (C0 - y) / (C0 - T0) : -18.0f * (y - C0) / (B0 - C0); }

// One response curve on the 512-point axis.
struct Response {
    std::vector<double> freqs = std::vector<double>(CurvePoints);
    std::vector<double> gains = std::vector<double>(CurvePoints, 0.0);
    Response() { MakeLogFreqAxis(CurveSampleRate, CurvePoints, freqs.data()); }
};

void Show(UIEqualizer& curve, const Response& response) {
    const int shown[1] = {1};
    curve.SetEqResponse(response.freqs.data(), response.gains.data(), 1, 0, shown);
}

UIEqualizer* Curve(CWidgetWindow& window) { return static_cast<UIEqualizer*>(window.Control(L"equalizer")); }

void Mouse(CWidgetWindow& window, UINT message, POINT point) {
    SendMessageW(window.GetHandle(), message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON, At(point.x, point.y));
    Pump();
}

// The user data that each notification of one type carried when it was raised, heard as a listener of
// the window's paint manager; every other notification counted in `all`.
class NoteLog : public INotifyUI {
public:
    NoteLog(CWidgetWindow& window, const wchar_t* type) : m_window(window), m_type(type) {
        window.pm().AddNotifyListener(this);
    }
    ~NoteLog() override { m_window.pm().RemoveNotifyListener(this); }
    void Notify(TNotifyMessage& msg) override {
        // Focus notes come from the window, whichever control was clicked.
        if (msg.sType == L"setfocus" || msg.sType == L"killfocus") return;
        ++all;
        if (m_type == msg.sType.Data() && msg.pSender) userData.push_back(msg.pSender->GetUserData().Data());
    }
    std::vector<std::wstring> userData;
    int all = 0;

private:
    CWidgetWindow& m_window;
    std::wstring m_type;
};

}  // namespace

TEST(Curve, LayoutAttributesAndTextStyles) {
    CWidgetWindow window(Layout(
        L"<Curve name=\"equalizer\" FONT=\"3\" bypassfont=\"5\" curvecolor=\"#FFFF0000 #FF00C000 #FF0000FF\""
        L" textcolor=\"#FF102030\" DisabledTextColor=\"FF405060\" textpadding=\"1,2,3,4\" align=\"left\""
        L" valign=\"top\" endellipsis=\"TRUE\" noprefix=\"true\" autocalcwidth=\"true\" curvelogo=\"file='x.png'\""
        L" bkcolor=\"#FF111418\"/><CurveAc name=\"ac\" height=\"40\" align=\"right\"/>",
        600, 300));
    ASSERT_NE(window.Create(nullptr, kWindowX, kWindowY), nullptr);
    UIEqualizer* curve = Curve(window);
    auto* ac = static_cast<UIEqualizerAc*>(window.Control(L"ac"));
    ASSERT_NE(curve, nullptr);
    ASSERT_NE(ac, nullptr);
    EXPECT_STREQ(curve->GetClass(), L"UIEqualizer");
    EXPECT_STREQ(ac->GetClass(), L"UIEqualizerAc");
    EXPECT_EQ(curve->GetInterface(L"Curve"), curve);
    EXPECT_EQ(ac->GetInterface(L"Curve"), ac);
    EXPECT_EQ(curve->TextStyle().font, 3);
    EXPECT_EQ(curve->GetBypassFont(), 5);
    ASSERT_EQ(curve->GetCurveColorCount(), 3);
    EXPECT_EQ(curve->GetCurveColor(1), 0xFF00C000u);
    EXPECT_EQ(curve->GetCurveColor(2), 0xFF0000FFu);
    EXPECT_EQ(curve->TextStyle().textColor, 0xFF102030u);
    EXPECT_EQ(curve->TextStyle().disabledTextColor, 0xFF405060u);
    EXPECT_EQ(curve->TextStyle().padding.right, 3);
    EXPECT_EQ(curve->TextStyle().style, static_cast<UINT>(DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX));
    EXPECT_TRUE(curve->IsAutoCalcWidth());
    EXPECT_STREQ(curve->GetCurveLogo().Data(), L"file='x.png'");
    EXPECT_EQ(curve->GetBkColor(), 0xFF111418u);  // other names reach the base control
    EXPECT_EQ(ac->TextStyle().style, static_cast<UINT>(DT_RIGHT | DT_VCENTER | DT_SINGLELINE));
    EXPECT_EQ(curve->GetControlFlags(), static_cast<UINT>(UIFLAG_SETCURSOR));
    curve->SetEnabled(false);
    EXPECT_EQ(curve->GetControlFlags(), 0u);

    // One attribute at a time from the default style 0x25 (centre, vertical centre, single line).
    const struct {
        const wchar_t* name;
        const wchar_t* value;
        UINT style;
    } styles[] = {
        {L"align", L"right", DT_RIGHT | DT_VCENTER | DT_SINGLELINE},
        {L"align", L"left", DT_VCENTER | DT_SINGLELINE},
        {L"valign", L"bottom", DT_CENTER | DT_BOTTOM | DT_SINGLELINE},
        {L"valign", L"vcenter", DT_CENTER | DT_VCENTER | DT_SINGLELINE},
        {L"wordbreak", L"true", DT_CENTER | DT_VCENTER | DT_WORDBREAK | DT_EDITCONTROL},
        {L"wordbreak", L"false", DT_CENTER | DT_VCENTER | DT_SINGLELINE},
        {L"endellipsis", L"yes", DT_CENTER | DT_VCENTER | DT_SINGLELINE},
        {L"NoPrefix", L"True", DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX},
    };
    for (const auto& row : styles) {
        UIEqualizer fresh;
        fresh.SetAttribute(row.name, row.value);
        EXPECT_EQ(fresh.TextStyle().style, row.style) << row.name << "=" << row.value;
    }
    // More colours than the table holds: the first twelve are kept.
    UIEqualizer many;
    many.SetAttribute(L"curvecolor", L"#FF000001 #FF000002 #FF000003 #FF000004 #FF000005 #FF000006 #FF000007"
                                     L" #FF000008 #FF000009 #FF00000A #FF00000B #FF00000C #FF00000D #FF00000E");
    EXPECT_EQ(many.GetCurveColorCount(), 12);
    EXPECT_EQ(many.GetCurveColor(11), 0xFF00000Cu);
}

TEST(Curve, GeometryMatchesTheWrittenOutMapping) {
    const TEqualizerGeometry g(RECT{L0, T0, R0, B0}, 100);
    EXPECT_EQ(g.CentreY(), 130.0f);
    for (double f : {20.0, 31.0, 100.0, 1000.0, 12500.0, 20000.0}) EXPECT_EQ(g.FreqToX(f), X(f)) << f;
    for (int x : {10, 77, 349, 500, 610}) EXPECT_EQ(g.XToFreq(x), Freq(x)) << x;
    for (float gain : {12.0f, 6.0f, 0.5f, 0.0f, -3.0f, -8.0f, -18.0f}) EXPECT_EQ(g.GainToY(gain), Y(gain)) << gain;
    for (int y : {10, 70, 130, 200, 310}) EXPECT_FLOAT_EQ(g.YToGain(y), Gain(y)) << y;
    // Grid gains: -15 and -10 below 0 dB, 5 and 10 above; the top edge is +12 dB.
    EXPECT_GT(g.GainToY(-10), 130);
    EXPECT_LT(g.GainToY(5), 130);
    EXPECT_EQ(g.GainToY(12), T0);
    // Point squares stay inside the plot; labels go above a point near the bottom, below one elsewhere.
    EXPECT_EQ(g.BandPointRect({300, 100}).left, 292);
    EXPECT_EQ(g.BandPointRect({12, 305}).left, L0);
    EXPECT_EQ(g.BandPointRect({12, 305}).bottom, B0);
    EXPECT_EQ(g.BandInfoRect({300, 100}).top, 114);
    EXPECT_EQ(g.BandInfoRect({300, 290}).bottom, 276);
    EXPECT_EQ(g.GainLabelRect({605, 100}).right, R0);
    // Q from the handle distance: 81 px is Q 1, near the point it stops at 9, far away at 0.5.
    EXPECT_FLOAT_EQ(g.QFromDragDistance(381, 300), 1.0f);
    EXPECT_FLOAT_EQ(g.QFromDragDistance(300, 300), 9.0f);
    EXPECT_FLOAT_EQ(g.QFromDragDistance(600, 300), 0.5f);
    // Markers: "H" at -8 dB, "L" at -11 dB, kept inside at the edges.
    EXPECT_EQ(g.HpMarkerRect(20).left, L0);
    EXPECT_EQ(g.HpMarkerRect(20).right, L0 + 14);
    EXPECT_EQ(g.HpMarkerRect(20).top, Y(-8));
    EXPECT_EQ(g.LpMarkerRect(20000).right, R0);
    EXPECT_EQ(g.LpMarkerRect(20000).bottom - g.LpMarkerRect(20000).top, 12);
    // An empty plot maps without dividing by zero.
    const TEqualizerGeometry empty(RECT{5, 5, 5, 5}, 100);
    EXPECT_EQ(empty.XToFreq(40), 20);
    EXPECT_EQ(empty.YToGain(40), 0.0f);

    // At 150 % the point square is 24 px and a band of Q 1 has its handles 121 px either side.
    const TEqualizerGeometry big(RECT{0, 0, 900, 450}, 150);
    const RECT square = big.BandPointRect({400, 200});
    EXPECT_EQ(square.right - square.left, 24);
    RECT left, right;
    big.QHandleRects({400, 200}, 1.0f, left, right);
    EXPECT_EQ((left.left + left.right) / 2, 400 - 121);
    EXPECT_EQ((right.left + right.right) / 2, 400 + 121);
}

TEST(Curve, PlotsKnownResponsesWhereTheMappingPutsThem) {
    CWidgetWindow window(Layout(kCurve, 600, 300));
    ASSERT_NE(window.Create(nullptr, kWindowX, kWindowY), nullptr);
    UIEqualizer* curve = Curve(window);
    ASSERT_NE(curve, nullptr);
    curve->SetCurEqBand(nullptr, 0, -1);
    const DWORD red = 0xFF0000, background = 0x111418;

    // Each case: a response and, per checked frequency, the gain the curve must pass through there
    // (from the filter's textbook magnitude, not from the code that drew it).
    struct Check {
        double freq, gain;
    };
    auto hp = [](double fc, int order, double f) { return -10 * std::log10(1 + std::pow(fc / f, 2 * order)); };
    auto lp = [](double fc, int order, double f) { return -10 * std::log10(1 + std::pow(f / fc, 2 * order)); };
    const struct {
        const char* name;
        int kind;  // 0 flat, 1 peak 1 kHz +6 dB Q 1.4, 2 Butterworth HP 2nd order 200 Hz, 3 LP 4th order 2 kHz
        std::vector<Check> checks;
    } cases[] = {
        {"flat", 0, {{30, 0}, {500, 0}, {8000, 0}}},
        {"peak", 1, {{1000, 6}, {40, 0}, {18000, 0}}},
        {"high-pass", 2, {{100, hp(200, 2, 100)}, {150, hp(200, 2, 150)}, {1000, hp(200, 2, 1000)}}},
        {"low-pass", 3, {{3000, lp(2000, 4, 3000)}, {2000, -3.01}, {200, 0}}},
    };
    for (const auto& c : cases) {
        Response response;
        if (c.kind == 1)
            PeakingEqCurve(CurveSampleRate, 1000, 6, 1.4, response.freqs.data(), response.gains.data(), CurvePoints);
        if (c.kind == 2)
            CrossoverResponseDb(CrossoverKindHighPass, CurveSampleRate, 200, 2, FilterButterworth, CurvePoints,
                                response.freqs.data(), response.gains.data());
        if (c.kind == 3)
            CrossoverResponseDb(CrossoverKindLowPass, CurveSampleRate, 2000, 4, FilterButterworth, CurvePoints,
                                response.freqs.data(), response.gains.data());
        Show(*curve, response);
        const Picture picture = Capture(window);
        for (const Check& check : c.checks) {
            const int x = X(check.freq), y = Y(check.gain);
            const std::vector<int> rows = picture.RowsOf(x, red, T0, B0);
            ASSERT_FALSE(rows.empty()) << c.name << " at " << check.freq << " Hz";
            // The 2 px pen covers the row; steep parts cover a few more.
            EXPECT_LE(rows.front(), y + 2) << c.name << " at " << check.freq << " Hz";
            EXPECT_GE(rows.back(), y - 2) << c.name << " at " << check.freq << " Hz";
            EXPECT_LE(rows.back() - rows.front(), 8) << c.name << " at " << check.freq << " Hz";
        }
        // Away from the curve the plot shows its background, and nothing is drawn outside the control.
        EXPECT_EQ(picture.At(X(750), T0 + 5), background) << c.name;
        EXPECT_EQ(picture.At(5, C0), 0u) << c.name;
        EXPECT_EQ(picture.At(R0 + 4, C0), 0u) << c.name;
    }
    // The crossover's floor lies far below the plot: it is clipped at the bottom edge, not drawn below.
    Response deep;
    CrossoverResponseDb(CrossoverKindHighPass, CurveSampleRate, 2000, 8, FilterButterworth, CurvePoints,
                        deep.freqs.data(), deep.gains.data());
    Show(*curve, deep);
    const Picture picture = Capture(window);
    for (int x : {X(30), X(300)}) EXPECT_TRUE(picture.RowsOf(x, red, B0, B0 + 10).empty());
}

TEST(Curve, OtherOutputsAreThinnerHiddenOnesAbsentAndTheCaptionShowsWhenFlat) {
    CWidgetWindow window(Layout(kCurve, 600, 300));
    ASSERT_NE(window.Create(nullptr, kWindowX, kWindowY), nullptr);
    UIEqualizer* curve = Curve(window);
    ASSERT_NE(curve, nullptr);
    // Output 0 flat (current), output 1 at +6 dB (shown), output 2 at -6 dB (hidden).
    std::vector<double> freqs(3 * CurvePoints), gains(3 * CurvePoints, 0.0);
    for (int n = 0; n < 3; ++n) MakeLogFreqAxis(CurveSampleRate, CurvePoints, freqs.data() + n * CurvePoints);
    std::fill(gains.begin() + CurvePoints, gains.begin() + 2 * CurvePoints, 6.0);
    std::fill(gains.begin() + 2 * CurvePoints, gains.end(), -6.0);
    const int shown[3] = {1, 1, 0};
    curve->SetCurEqBand(nullptr, 0, -1);
    curve->SetEqResponse(freqs.data(), gains.data(), 3, 0, shown);
    Picture picture = Capture(window);
    const int x = X(500);
    // Current: 2 px of ink, anti-aliased: the centre row at full strength and half a row either side.
    EXPECT_EQ(picture.RowsOf(x, 0xFF0000, T0, B0), std::vector<int>{C0});
    double ink = 0;  // red over the plot's 0x11, between two grid columns
    for (int y = C0 - 5; y <= C0 + 5; ++y) ink += ((picture.At(X(450), y) >> 16) - 0x11) / double(0xFF - 0x11);
    EXPECT_NEAR(ink, 2.0, 0.05);
    int other = 0, hidden = 0;
    for (int y = T0; y < B0; ++y) {
        const DWORD p = picture.At(x, y);
        if ((p >> 16) < 0x20 && ((p >> 8) & 0xFF) > 0x80 && (p & 0xFF) < 0x20) ++other;
        if (y > C0 + 20 && (p & 0xFF0000) > 0x200000 && (p & 0x00FFFF) < 0x002020) ++hidden;
    }
    EXPECT_EQ(other, 1);  // the other output: 1 px, its colour a little transparent
    EXPECT_EQ(hidden, 0);
    EXPECT_TRUE(curve->IsAllFlat());

    // A raised band ends the caption; a curve whose points were never set draws nothing.
    const EqBand bands[2] = {EqBand(0, 1, 100, 1), EqBand(3, 1, 1000, 1)};
    curve->SetCurEqBand(bands, 2, -1);
    EXPECT_FALSE(curve->IsAllFlat());
    std::vector<double> zeros(CurvePoints, 0.0);
    const int one[1] = {1};
    curve->SetEqResponse(zeros.data(), zeros.data(), 1, 0, one);
    picture = Capture(window);
    EXPECT_TRUE(picture.RowsOf(X(500), 0xFF0000, T0, B0).empty());
}

// Drags on a PEQ or GEQ plot with bands at 100 Hz / 0 dB, 1 kHz / +3 dB / Q 2 and 5 kHz / -6 dB.
TEST(Curve, DraggingABandFollowsThePointerWithinThePlot) {
    const EqBand bands[3] = {EqBand(0, 1, 100, 1), EqBand(3, 2, 1000, 1), EqBand(-6, 1.41f, 5000, 1)};
    const POINT band1 = {X(1000), Y(3)};  // (349, 100)
    const struct {
        const char* name;
        bool peq;
        POINT press;
        std::vector<POINT> moves;  // the last is where the button goes up
        int freq;
        float gain, q;
        int notes;  // "equalizer_eq" raised
    } cases[] = {
        {"PEQ drag", true, band1, {{400, 120}, {450, 160}}, Freq(450), Gain(160), 2.0f, 3},
        {"PEQ beyond the plot", true, band1, {{700, -40}, {720, -60}}, 20000, 12.0f, 2.0f, 2},
        {"GEQ drag keeps the frequency", false, band1, {{450, 160}, {450, 160}}, 1000, Gain(160), 2.0f, 2},
        {"GEQ below the plot", false, band1, {{300, 400}, {300, 420}}, 1000, -18.0f, 2.0f, 2},
        {"click without moving", true, band1, {band1}, 1000, 3.0f, 2.0f, 1},
        // Q 2: the handle is round(81 / 2) = 41 px right of the point, 4..12 px below it.
        {"Q handle", true, {band1.x + 41, band1.y + 8}, {{band1.x + 60, 108}, {band1.x + 81, 108}}, 1000, 3.0f, 1.0f,
         3},
        {"Q handle at its limit", true, {band1.x + 41, band1.y + 8}, {{band1.x + 1, 108}}, 1000, 3.0f, 9.0f, 2},
    };
    for (const auto& c : cases) {
        CWidgetWindow window(Layout(kCurve, 600, 300));
        ASSERT_NE(window.Create(nullptr, kWindowX, kWindowY), nullptr);
        UIEqualizer* curve = Curve(window);
        ASSERT_NE(curve, nullptr);
        curve->SetDragAllDirection(c.peq);
        curve->SetCurEqBand(bands, 3, 1);
        Capture(window);
        NoteLog log(window, L"equalizer_eq");
        Mouse(window, WM_LBUTTONDOWN, c.press);
        EXPECT_TRUE(log.userData.empty()) << c.name;  // pressing alone says nothing
        for (size_t i = 0; i + 1 < c.moves.size(); ++i) Mouse(window, WM_MOUSEMOVE, c.moves[i]);
        Mouse(window, WM_MOUSEMOVE, c.moves.back());
        Mouse(window, WM_LBUTTONUP, c.moves.back());
        const EqBand band = curve->GetBand(1);
        EXPECT_EQ(band.freq, c.freq) << c.name;
        EXPECT_NEAR(band.gain, c.gain, 1e-4) << c.name;
        EXPECT_NEAR(band.factor, c.q, 1e-4) << c.name;
        EXPECT_EQ(curve->GetCurrentControlIndex(), 1) << c.name;
        EXPECT_EQ(curve->GetCaptureState(), 0) << c.name;
        EXPECT_EQ(static_cast<int>(log.userData.size()), c.notes) << c.name;
        for (const std::wstring& data : log.userData) EXPECT_EQ(data, L"1") << c.name;
        // The neighbours are untouched.
        EXPECT_EQ(curve->GetBand(0).freq, 100) << c.name;
        EXPECT_EQ(curve->GetBand(2).gain, -6.0f) << c.name;
    }
}

TEST(Curve, HoverSelectsAndMarkersMoveUpToEachOther) {
    CWidgetWindow window(Layout(kCurve, 600, 300));
    ASSERT_NE(window.Create(nullptr, kWindowX, kWindowY), nullptr);
    UIEqualizer* curve = Curve(window);
    ASSERT_NE(curve, nullptr);
    const EqBand bands[4] = {EqBand(0, 1, 100, 1), EqBand(3, 2, 1000, 1), EqBand(-6, 1.41f, 5000, 1),
                             EqBand(1, 1, 10000, 1)};
    curve->SetDragAllDirection(true);
    curve->SetCurEqBand(bands, 4, -1);
    curve->setCurEqHpLp(50, 2000);
    Capture(window);

    // Hovering over band 3 with no button selects it once.
    NoteLog eq(window, L"equalizer_eq");
    Mouse(window, WM_MOUSEMOVE, {X(10000), Y(1)});
    Mouse(window, WM_MOUSEMOVE, {X(10000) + 1, Y(1)});
    EXPECT_EQ(curve->GetCurrentControlIndex(), 3);
    EXPECT_STREQ(curve->GetUserData().Data(), L"3");
    ASSERT_EQ(eq.userData.size(), 1u);
    EXPECT_EQ(eq.userData[0], L"3");

    // The HP marker ("H" at -8 dB) follows to the right until it would reach the LP marker; its release
    // still reports.
    const POINT h = {X(50), Y(-8) + 5};
    const struct {
        const wchar_t* type;
        POINT press;
        std::vector<POINT> moves;
        int hp, lp;
        int notes;
    } drags[] = {
        {L"equalizer_hp", h, {{X(500), 0}, {X(1990), 0}, {X(8000), 0}}, Freq(X(1990)), 2000, 3},
        {L"equalizer_lp", {X(2000), Y(-11) + 5}, {{X(300), 400}, {X(5000), 400}, {700, 400}}, Freq(X(1990)), 20000, 3},
    };
    for (const auto& d : drags) {
        NoteLog log(window, d.type);
        Mouse(window, WM_LBUTTONDOWN, d.press);
        EXPECT_EQ(curve->GetCurrentControlIndex(), -1) << d.type;
        for (const POINT& p : d.moves) Mouse(window, WM_MOUSEMOVE, p);
        Mouse(window, WM_LBUTTONUP, d.moves.back());
        EXPECT_EQ(curve->GetHpFreq(), d.hp) << d.type;
        EXPECT_EQ(curve->GetLpFreq(), d.lp) << d.type;
        EXPECT_EQ(static_cast<int>(log.userData.size()), d.notes) << d.type;
    }

    // A hidden LP marker sets no limit; out-of-range frequencies hide a marker.
    curve->setCurEqHpLp(50, -1);
    const RECT hidden = curve->GetLpMarkerRect();
    EXPECT_TRUE(IsRectEmpty(&hidden));
    Mouse(window, WM_LBUTTONDOWN, h);
    Mouse(window, WM_MOUSEMOVE, {X(8000), 0});
    Mouse(window, WM_LBUTTONUP, {X(8000), 0});
    EXPECT_EQ(curve->GetHpFreq(), Freq(X(8000)));
    curve->setCurEqHpLp(100, 25000);
    EXPECT_EQ(curve->GetHpFreq(), 100);
    EXPECT_EQ(curve->GetLpFreq(), -1);
    curve->setCurEqHpLp(-1, 8000);
    EXPECT_EQ(curve->GetHpFreq(), -1);
    EXPECT_EQ(curve->GetLpFreq(), 8000);
}

TEST(Curve, CountsBeyondTheTablesAreBounded) {
    CWidgetWindow window(Layout(kCurve, 600, 300));
    ASSERT_NE(window.Create(nullptr, kWindowX, kWindowY), nullptr);
    UIEqualizer* curve = Curve(window);
    ASSERT_NE(curve, nullptr);
    std::vector<EqBand> bands(40, EqBand(1, 1, 1000, 1));
    curve->SetCurEqBand(bands.data(), 40, 35);
    EXPECT_EQ(curve->GetBandCount(), 31);
    EXPECT_STREQ(curve->GetUserData().Data(), L"");  // 35 is no band: the user data stays
    std::vector<double> freqs(12 * CurvePoints, 1000.0), gains(12 * CurvePoints, 1.0);
    std::vector<int> shown(12, 1);
    curve->SetEqResponse(freqs.data(), gains.data(), 12, 11, shown.data());
    Capture(window);  // paints without reading beyond the ten curves
    Mouse(window, WM_MOUSEMOVE, {X(1000), Y(1)});
    EXPECT_GE(curve->GetCurrentControlIndex(), 0);
    EXPECT_LT(curve->GetCurrentControlIndex(), 31);
}

TEST(CurveAc, DrawsSpectraSmoothAndResponsesDashedFollowingItsSize) {
    CWidgetWindow window(Layout(L"<CurveAc name=\"ac\" bkcolor=\"#FF111418\"/>", 600, 400));
    ASSERT_NE(window.Create(nullptr, kWindowX, kWindowY), nullptr);
    auto* ac = static_cast<UIEqualizerAc*>(window.Control(L"ac"));
    ASSERT_NE(ac, nullptr);
    // Spectra: output 0 at +10 dB (shown), output 1 at +15 dB (hidden); a first point at 15 Hz and -20 dB
    // lies off the axis and is skipped.
    std::vector<double> sf(2 * 121), sg(2 * 121);
    for (int i = 0; i < 121; ++i) {
        sf[i] = sf[121 + i] = 20.0 * std::pow(1000.0, i / 120.0);
        sg[i] = 10.0;
        sg[121 + i] = 15.0;
    }
    sf[0] = 15.0;
    sg[0] = -20.0;
    const BYTE spectraShown[2] = {1, 0};
    ac->SetCurves121(sf.data(), sg.data(), 2, 0, spectraShown);
    // Responses: output 0 at -10 dB, dashed.
    Response response;
    std::fill(response.gains.begin(), response.gains.end(), -10.0);
    const BYTE responseShown[1] = {1};
    ac->SetCurves(response.freqs.data(), response.gains.data(), 1, 0, responseShown);
    EXPECT_EQ(ac->GetCurveCount(2), 2);

    // Plot 600 x 400 at (10, 10): 0 dB at 210, +10 dB at 110, -10 dB at 310.
    Picture picture = Capture(window);
    const DWORD spectrum = UIEqualizerAc::SpectrumColor(0) & 0xFFFFFF, dashed = UIEqualizerAc::ResponseColor(0) & 0xFFFFFF;
    int spectrumColumns = 0, dashColumns = 0, hiddenPixels = 0, lowPixels = 0;
    for (int x = 40; x < 580; ++x) {
        if (!picture.RowsOf(x, spectrum, 107, 114).empty()) ++spectrumColumns;
        if (!picture.RowsOf(x, dashed, 307, 314).empty()) ++dashColumns;
        hiddenPixels += static_cast<int>(picture.RowsOf(x, spectrum, 60, 100).size());
        lowPixels += static_cast<int>(picture.RowsOf(x, spectrum, 380, 410).size());
    }
    EXPECT_EQ(spectrumColumns, 540);
    EXPECT_GT(dashColumns, 540 / 4);  // dashes and gaps
    EXPECT_LT(dashColumns, 540 * 9 / 10);
    EXPECT_EQ(hiddenPixels, 0);
    EXPECT_EQ(lowPixels, 0);

    // Clicks change nothing and raise nothing.
    {
        NoteLog log(window, L"");
        Mouse(window, WM_LBUTTONDOWN, {300, 110});
        Mouse(window, WM_LBUTTONUP, {300, 110});
        EXPECT_EQ(log.all, 0);
    }

    // A smaller window moves the plot at the next paint: 500 x 300 puts +10 dB at 10 + 150 - 75 = 85.
    window.ResizeClientArea(520, 320);
    Pump();
    picture = Capture(window);
    EXPECT_FALSE(picture.RowsOf(250, spectrum, 82, 89).empty());
    EXPECT_TRUE(picture.RowsOf(250, spectrum, 105, 115).empty());
}

TEST(Curve, CaptionWhenFlatUnlessALogoAndTheLayoutFollowsTheControl) {
    CWidgetWindow window(Layout(kCurve, 600, 300));
    ASSERT_NE(window.Create(nullptr, kWindowX, kWindowY), nullptr);
    UIEqualizer* curve = Curve(window);
    ASSERT_NE(curve, nullptr);
    const EqBand flat[2] = {EqBand(0, 1, 100, 1), EqBand(0, 1, 1000, 1)};
    curve->SetCurEqBand(flat, 2, -1);
    auto captionPixels = [&window] {
        const Picture picture = Capture(window);
        int count = 0;
        for (int y = 150; y < 215; ++y)
            for (int x = L0; x < R0; ++x) count += picture.At(x, y) == 0x777777;
        return count;
    };
    EXPECT_GT(captionPixels(), 20);
    curve->SetAttribute(L"curvelogo", L"file='none.png'");
    EXPECT_EQ(captionPixels(), 0);

    // A new size (a new DPI, a new window size) moves the plot and the points at the next paint.
    window.ResizeClientArea(420, 220);
    Pump();
    Capture(window);
    const RECT pos = curve->GetPos();
    const RECT plot = curve->Geometry().plot;
    EXPECT_TRUE(EqualRect(&pos, &plot));
    EXPECT_EQ(pos.right, 410);
    const TEqualizerGeometry expected(pos, 100);
    EXPECT_EQ(curve->GetBandPoint(1).x, expected.FreqToX(1000));
}

namespace {

// What a plot shows: three outputs' curves (a peak on the first, others raised or lowered), the shown
// one, its bands.
struct PlotState {
    double peakGain = 6, secondGain = 6, thirdGain = -3;
    int current = 0;
    float bandGain = 3;
};

void ShowState(UIEqualizer& curve, const PlotState& state) {
    std::vector<double> freqs(3 * CurvePoints), gains(3 * CurvePoints, 0.0);
    for (int n = 0; n < 3; ++n) MakeLogFreqAxis(CurveSampleRate, CurvePoints, freqs.data() + n * CurvePoints);
    PeakingEqCurve(CurveSampleRate, 1000, state.peakGain, 1.4, freqs.data(), gains.data(), CurvePoints);
    std::fill(gains.begin() + CurvePoints, gains.begin() + 2 * CurvePoints, state.secondGain);
    std::fill(gains.begin() + 2 * CurvePoints, gains.end(), state.thirdGain);
    const EqBand bands[2] = {EqBand(0, 1, 100, 1), EqBand(state.bandGain, 1.4f, 1000, 1)};
    const int shown[3] = {1, 1, 1};
    curve.SetDragAllDirection(true);
    curve.SetCurEqBand(bands, 2, 1);
    curve.setCurEqHpLp(60, 12000);
    curve.SetEqResponse(freqs.data(), gains.data(), 3, state.current, shown);
}

}  // namespace

// The still part of the plot (fill, grid, caption, the other outputs' curves) is kept between paints:
// after each change, of the shown curve alone, of another output's curve, of the shown output or to a
// flat equalizer with its caption, the plot is painted as a fresh window showing the same paints it.
TEST(Curve, KeptStillLayersPaintAsAFreshPlot) {
    CWidgetWindow kept(Layout(kCurve, 600, 300));
    ASSERT_NE(kept.Create(nullptr, kWindowX, kWindowY), nullptr);
    UIEqualizer* curve = Curve(kept);
    ASSERT_NE(curve, nullptr);
    PlotState state;
    ShowState(*curve, state);
    Capture(kept);
    const struct {
        const char* what;
        void (*change)(PlotState&);
    } steps[] = {
        {"the shown curve", [](PlotState& s) { s.peakGain = 9, s.bandGain = 9; }},
        {"another output's curve", [](PlotState& s) { s.secondGain = 2; }},
        {"the shown output", [](PlotState& s) { s.current = 1; }},
        {"back to the first", [](PlotState& s) { s.current = 0; }},
        {"a flat equalizer", [](PlotState& s) { s.peakGain = 0, s.bandGain = 0; }},
    };
    for (const auto& step : steps) {
        step.change(state);
        ShowState(*curve, state);
        const Picture picture = Capture(kept);
        // The fresh window's first paint comes after its data.
        CWidgetWindow fresh(Layout(kCurve, 600, 300));
        HWND hwnd = fresh.CreateNativeWindow(nullptr, L"fresh", WS_POPUP, WS_EX_TOOLWINDOW, kWindowX, kWindowY, 0, 0);
        ASSERT_NE(hwnd, nullptr);
        ShowState(*Curve(fresh), state);
        ShowWindow(hwnd, SW_SHOWNOACTIVATE);
        const Picture expected = Capture(fresh);
        ASSERT_EQ(picture.pixels.size(), expected.pixels.size());
        int differing = 0;
        for (size_t i = 0; i < expected.pixels.size(); ++i) differing += picture.pixels[i] != expected.pixels[i];
        EXPECT_EQ(differing, 0) << "after a change of " << step.what;
    }
    EXPECT_TRUE(curve->IsAllFlat());
}

TEST(Curve, SizesFollowTheWindowsDpi) {
    CWidgetWindow window(Layout(kCurve, 600, 300));
    ASSERT_NE(window.Create(nullptr, kWindowX, kWindowY), nullptr);
    UIEqualizer* curve = Curve(window);
    ASSERT_NE(curve, nullptr);
    window.pm().GetDpiScaler()->SetScale(144);
    const EqBand bands[1] = {EqBand(0, 1, 1000, 1)};
    curve->SetDragAllDirection(true);
    curve->SetCurEqBand(bands, 1, 0);
    const RECT square = curve->GetBandPointRect(0);
    EXPECT_EQ(square.right - square.left, 24);
    const RECT right = curve->GetQHandleRect(1);
    EXPECT_EQ((right.left + right.right) / 2 - curve->GetBandPoint(0).x, 121);
    window.pm().GetDpiScaler()->SetScale(96);
}
