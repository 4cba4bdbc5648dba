// The auto-calibration window against the emulated amplifier, opened from the main window: a whole run
// with its measurements shown, the result applied and the page read back; a run stopped by the user and
// one ended by closing the window, both stopping the amplifier's test; and an unplug in the middle of a
// run, which closes the window without reading anything back; a start with no output to measure, refused
// before anything is sent; and a garbled result held to the ranges the page's band controls accept.
#include "AppTestSupport.h"
#include "AutoCalWnd.h"
#include "SceneTestSupport.h"
#include "UIProgress.h"
#include "tool_windows/ToolWindowTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace ControllerTest;
using namespace SceneTest;
using namespace SkinUI;
using ToolTest::Bytes;
using ToolTest::Driver;
using ToolTest::Payloads;

namespace {

constexpr uint8_t D = kAmpCmdDsp;
const int kPositions[10] = {6, 12, 15, 18, 19, 20, 14, 17, 22, 23};

// Speakers on every output and the low-level input selected.
void PrepareAmplifier(AmpState& state) {
    for (int c = 0; c < 10; ++c) state.scenes[0].outputs[c].type = static_cast<uint8_t>(kPositions[c]);
    state.settings.source = 0x55;
}

double EqGain(const uint8_t* band) { return band[4] + band[5] / 10.0 - 18.0; }
int BandFreq(const uint8_t* band) { return band[0] << 8 | band[1]; }
double Level(const uint8_t* point) { return static_cast<int8_t>(point[3]) + static_cast<int8_t>(point[4]) / 100.0; }

CPaintManagerUI* CalibrationManager() {
    CAutoCalWnd* window = CAutoCalWnd::Current();
    return window && IsWindowVisible(window->GetHandle()) ? window->GetPaintManager() : nullptr;
}

int StatusRequests(const AmpEmulator& emulator) { return static_cast<int>(Payloads(emulator, D, 0x13, kAmpOpGet).size()); }

struct Fixture {
    Fixture() {
        emulator.SetRealTime(true);
        emulator.EditState(PrepareAmplifier);
        CAutoCalWnd::PauseMs() = 10;
    }
    ~Fixture() { CAutoCalWnd::PauseMs() = kAutoCalPauseMs; }
    AppTest::SettingsFileGuard settings;
    AmpEmulator emulator;
};

}  // namespace

TEST(CalibrationWindow, RunShowsMeasurementsAppliesAndReadsBack) {
    Fixture f;
    MainWindowRun run(f.emulator);
    ASSERT_TRUE(run.WaitConnected());
    f.emulator.ClearRequests();
    CPaintManagerUI* pm = nullptr;
    bool ownerMinimised = false;
    Script calibrate({
        [&] { return PostClick(run.window->GetPaintManager(), L"btn_irc"); },
        [&] { return (pm = CalibrationManager()) != nullptr; },
        [&] {
            ownerMinimised = IsIconic(run.handle) != 0;
            CAutoCalWnd* w = CAutoCalWnd::Current();
            // Only the first output starts chosen; everything is corrected.
            EXPECT_TRUE(w->CurveShown(0));
            EXPECT_FALSE(w->CurveShown(2));
            EXPECT_EQ(w->Modules(), 7);
            Driver d(pm);
            d.Click(L"ch_checkbox_2");
            d.Click(L"audio_effect_8");
            d.Click(L"start_auto_cal");
            EXPECT_TRUE(w->IsMeasuring());
            EXPECT_EQ(d.TextOf(L"start_auto_cal"), Text(L"${stop}"));
            EXPECT_FALSE(d.Find(L"closebtn")->IsEnabled());
            return true;
        },
        [&] { return CAutoCalWnd::Current()->IsDone(); },
        [&] {
            CAutoCalWnd* w = CAutoCalWnd::Current();
            Driver d(pm);
            EXPECT_EQ(w->ChannelMask(), 0x0005);
            EXPECT_EQ(w->EqMode(), 9) << "the ninth preset has a mode of its own";
            EXPECT_EQ(d.TextOf(L"tips"), Text(L"${irc_completed}"));
            EXPECT_EQ(d.TextOf(L"start_auto_cal"), Text(L"${start_irc}"));
            EXPECT_TRUE(d.Find(L"closebtn")->IsEnabled());
            auto* progress = static_cast<CProgressUI*>(d.Find(L"progress")->GetInterface(L"Progress"));
            // A step the worker posted before the end, taken after it, leaves the bar full.
            SendMessageW(w->GetHandle(), WM_IRC_PROGRESS, 60, 0);
            EXPECT_EQ(progress ? progress->GetValue() : -1, 100);
            // Distances of both measured outputs, 0.86 m and 1.32 m on this first run.
            EXPECT_TRUE(d.Find(L"ch_0: ")->IsVisible());
            EXPECT_EQ(d.TextOf(L"ch_0: "), L"0.860000");
            EXPECT_EQ(d.TextOf(L"ch_2: "), L"1.320000");
            EXPECT_FALSE(d.Find(L"ch_1: ")->IsVisible());
            // Each beside its output's name, in a cell that shows only for a measured output.
            EXPECT_TRUE(d.Find(L"ch_distance_2")->IsVisible());
            EXPECT_FALSE(d.Find(L"ch_distance_1")->IsVisible());
            const RECT cell = d.Find(L"ch_distance_2")->GetPos(), value = d.Find(L"ch_2: ")->GetPos();
            EXPECT_TRUE(value.left > cell.left && value.right <= cell.right && value.right > value.left);
            // The window holds what the amplifier measured.
            const AmpCalibrationData amp = f.emulator.State().calibration;
            for (int b = 0; b < 11; ++b) {
                EXPECT_EQ(w->ResultBand(2, b).freq, BandFreq(amp.channels[2].eq[b])) << b;
                EXPECT_NEAR(w->ResultBand(2, b).gain, EqGain(amp.channels[2].eq[b]), 0.01) << b;
            }
            for (int b = 11; b < 21; ++b) EXPECT_EQ(w->ResultBand(0, b).gain, 0.0f) << "bands not measured stay flat";
            for (int p : {0, 60, 120})
                EXPECT_NEAR(w->SpectrumPoint(0, p).gain, Level(amp.channels[0].spectrum[p]), 0.01) << p;
            d.Click(L"irc_save_data");
            return true;
        },
        [&] { return f.emulator.State().calibration.applied == 1; },
        [&] {
            Driver d(pm);
            EXPECT_EQ(d.TextOf(L"tips"), Text(L"${irc_applyed}"));
            d.Click(L"closebtn");  // decided: closes with 1, no question
            return true;
        },
    });
    ASSERT_TRUE(AppTest::PumpUntil([&] { return calibrate.Done() && !CAutoCalWnd::Current(); }, 60000))
        << "stopped after step " << calibrate.StepsDone();
    EXPECT_TRUE(ownerMinimised);
    EXPECT_FALSE(IsIconic(run.handle)) << "the main window comes back";
    EXPECT_TRUE(MainWindowRun::BoxesSeen().empty());

    // What went to the amplifier: modules, start, the per-channel fetches, the apply.
    EXPECT_EQ(Payloads(f.emulator, D, 0x1E), (std::vector<Bytes>{{7}}));
    const auto control = Payloads(f.emulator, D, 0x13);
    ASSERT_GE(control.size(), 2u);
    EXPECT_EQ(control[0], (Bytes{1, 0x00, 0x05, 9}));
    EXPECT_EQ(control[1], (Bytes{2, 0x00, 0x00, 9}));
    EXPECT_EQ(Payloads(f.emulator, D, 0x14, kAmpOpGet), (std::vector<Bytes>{{0, 0}, {2, 2}}));
    EXPECT_EQ(Payloads(f.emulator, D, 0x16, kAmpOpGet), (std::vector<Bytes>{{0, 0, 5}, {0, 6, 10}, {2, 0, 5}, {2, 6, 10}}));
    std::vector<Bytes> spectrum;
    for (uint8_t ch : {0, 2}) {
        for (int first = 0; first <= 108; first += 9) spectrum.push_back({ch, static_cast<uint8_t>(first), static_cast<uint8_t>(first + 8)});
        spectrum.push_back({ch, 117, 120});
    }
    EXPECT_EQ(Payloads(f.emulator, D, 0x1A, kAmpOpGet), spectrum);

    // The result was applied, so the page was read back: output 0 has the calibrated EQ, switched on,
    // and waits 0.46 m / 0.343 m per ms for the farther output 2.
    ASSERT_TRUE(run.WaitConnected());
    const AmpOutput applied = f.emulator.State().scenes[0].outputs[0];
    EqualizerManager& c = run.Controller();
    for (int b = 0; b < 11; ++b) {
        EXPECT_EQ(c.config.channels[0].eqArray[b].freq, BandFreq(applied.eq[b].freq)) << b;
        EXPECT_NEAR(c.config.channels[0].eqArray[b].gain, applied.eq[b].gain[0] + applied.eq[b].gain[1] / 10.0 - 18, 0.01) << b;
    }
    EXPECT_EQ(c.config.channels[0].bypass, 0);
    EXPECT_NEAR(c.config.channels[0].delay, 1.341, 0.001);
    EXPECT_EQ(f.emulator.State().calibration.applied, 1);
}

TEST(CalibrationWindow, StopAndCloseStopTheAmplifierUnplugClosesWithoutReadBack) {
    Fixture f;
    MainWindowRun run(f.emulator);
    ASSERT_TRUE(run.WaitConnected());
    CPaintManagerUI* pm = nullptr;
    int handshakes = 0;
    Script stopAndClose({
        [&] { PostMenuClick(run.handle, L"advance_item_autocal"); return true; },
        [&] { return (pm = CalibrationManager()) != nullptr; },
        [&] {
            handshakes = static_cast<int>(Payloads(f.emulator, kAmpCmdMcu, 0x08, kAmpOpGet).size());
            Driver(pm).Click(L"start_auto_cal");
            return true;
        },
        [&] { return StatusRequests(f.emulator) >= 3 && f.emulator.State().calibration.running; },
        [&] {
            Driver d(pm);
            d.Click(L"start_auto_cal");  // now a stop
            CAutoCalWnd* w = CAutoCalWnd::Current();
            EXPECT_FALSE(w->IsMeasuring());
            EXPECT_EQ(d.TextOf(L"tips"), Text(L"${irc_stoped}"));
            EXPECT_EQ(d.TextOf(L"start_auto_cal"), Text(L"${start_irc}"));
            return true;
        },
        [&] { return f.emulator.State().calibration.stops == 1; },
        [&] {
            EXPECT_FALSE(f.emulator.State().calibration.running);
            // Nothing finished, so there is nothing to apply.
            Driver d(pm);
            d.Click(L"irc_save_data");
            EXPECT_EQ(d.TextOf(L"tips"), Text(L"${irc_start_tips}"));
            d.Click(L"start_auto_cal");
            return true;
        },
        [&] { return f.emulator.State().calibration.runs == 2 && StatusRequests(f.emulator) >= 6; },
        [&] {
            // Alt+F4 in the middle of a run: the amplifier's test stops and only this window closes.
            SendMessageW(CAutoCalWnd::Current()->GetHandle(), WM_SYSCOMMAND, SC_CLOSE, 0);
            return true;
        },
    });
    ASSERT_TRUE(AppTest::PumpUntil([&] { return stopAndClose.Done() && !CAutoCalWnd::Current(); }, 60000))
        << "stopped after step " << stopAndClose.StepsDone();
    ToolTest::Settle();
    AmpState state = f.emulator.State();
    EXPECT_EQ(state.calibration.stops, 2);
    EXPECT_FALSE(state.calibration.running);
    EXPECT_EQ(state.calibration.discarded, 1) << "the unfinished result is thrown away on closing";
    EXPECT_EQ(state.calibration.applied, 0);
    EXPECT_FALSE(AppTest::QuitSeen()) << "closing the window must not end the program";
    EXPECT_TRUE(IsWindow(run.handle));
    EXPECT_EQ(static_cast<int>(Payloads(f.emulator, kAmpCmdMcu, 0x08, kAmpOpGet).size()), handshakes)
        << "nothing applied, nothing read back";
    const auto control = Payloads(f.emulator, D, 0x13);
    ASSERT_FALSE(control.empty());
    EXPECT_EQ(control.back(), (Bytes{3, 0, 0, 0}));

    // ---- Unplugged during a run ----
    int failedOpens = 0;
    Script unplug({
        [&] { return PostClick(run.window->GetPaintManager(), L"btn_irc"); },
        [&] { return (pm = CalibrationManager()) != nullptr; },
        [&] {
            Driver(pm).Click(L"start_auto_cal");
            return true;
        },
        [&] { return f.emulator.State().calibration.runs == 3 && StatusRequests(f.emulator) >= 9; },
        [&] {
            failedOpens = f.emulator.Counters().failedOpens;
            f.emulator.Unplug();
            return true;
        },
    });
    ASSERT_TRUE(AppTest::PumpUntil([&] { return unplug.Done() && !CAutoCalWnd::Current(); }, 60000))
        << "stopped after step " << unplug.StepsDone();
    ASSERT_TRUE(run.WaitDisconnected());
    ToolTest::Settle(300);
    EXPECT_EQ(f.emulator.Counters().failedOpens, failedOpens) << "no reconnection was tried";
    EXPECT_TRUE(run.WaitForBox(L"${device_plugout}"));
    EXPECT_TRUE(IsWindow(run.handle));
}

TEST(CalibrationWindow, NothingToMeasureIsRefusedAndGarbledBandsAreHeldToThePageRanges) {
    Fixture f;
    f.emulator.EditState([](AmpState& s) {
        for (AmpOutput& output : s.scenes[0].outputs) output.type = 0;  // no speaker anywhere
    });
    MainWindowRun run(f.emulator);
    ASSERT_TRUE(run.WaitConnected());
    f.emulator.ClearRequests();
    const std::wstring refusal = Text(L"${irc_no_channel_tips}");
    auto calibrationRequests = [&] {
        size_t n = 0;
        for (const AmpRequest& r : ParsedRequests(f.emulator)) n += r.cmd == D && r.sub >= 0x13 && r.sub <= 0x1E;
        return n;
    };
    CPaintManagerUI* pm = nullptr;
    Script refuse({
        [&] { return PostClick(run.window->GetPaintManager(), L"btn_irc"); },
        [&] { return (pm = CalibrationManager()) != nullptr; },
        [&] {
            Driver d(pm);
            for (int ch = 0; ch < 10; ++ch) {
                const std::wstring box = L"ch_checkbox_" + std::to_wstring(ch);
                EXPECT_FALSE(d.Find(box.c_str())->IsEnabled()) << ch;
                EXPECT_FALSE(CAutoCalWnd::Current()->CurveShown(ch)) << ch;
            }
            d.Click(L"start_auto_cal");  // the refusal box is answered as it opens
            return true;
        },
        [&] {
            ToolTest::Settle();
            CAutoCalWnd* w = CAutoCalWnd::Current();
            Driver d(pm);
            const std::vector<std::wstring>& boxes = MainWindowRun::BoxesSeen();
            const auto says = [&](const std::wstring& text) { return text.find(refusal) != std::wstring::npos; };
            EXPECT_EQ(std::count_if(boxes.begin(), boxes.end(), says), 1) << "the box says why";
            EXPECT_FALSE(w->IsMeasuring());
            EXPECT_FALSE(w->IsDone());
            EXPECT_EQ(d.TextOf(L"start_auto_cal"), Text(L"${start_irc}"));
            EXPECT_TRUE(d.Find(L"closebtn")->IsEnabled());
            EXPECT_NE(d.TextOf(L"tips"), Text(L"${irc_completed}"));
            EXPECT_EQ(calibrationRequests(), 0u) << "nothing reaches the amplifier";
            EXPECT_EQ(f.emulator.State().calibration.runs, 0);
            if (w->IsMeasuring()) d.Click(L"start_auto_cal");  // a run started by mistake would keep the window
            d.Click(L"closebtn");
            return true;
        },
    });
    ASSERT_TRUE(AppTest::PumpUntil([&] { return refuse.Done() && !CAutoCalWnd::Current(); }, 60000))
        << "stopped after step " << refuse.StepsDone();
    EXPECT_FALSE(IsIconic(run.handle));
    const int discarded = f.emulator.State().calibration.discarded;  // closing settles the untouched result

    // ---- Speakers placed again; the amplifier's result for output 0 comes back garbled ----
    f.emulator.Unplug();
    ASSERT_TRUE(run.WaitDisconnected());
    f.emulator.EditState([](AmpState& s) {
        PrepareAmplifier(s);
        s.calibration.script = {{0, 0, 0, 0}, {8, 0, 50, 0}, {10, 0, 100, 0}};
        for (auto& band : s.calibration.channels[0].eq) {
            const uint8_t flat[6] = {0x03, 0xE8, 5, 80, 18, 0};  // 1000 Hz, Q 5.8, 0 dB
            std::copy(flat, flat + 6, band);
        }
        const uint8_t high[6] = {0xFF, 0x20, 255, 119, 255, 5};  // 65312 Hz, Q 256.19, +237.5 dB
        const uint8_t low[6] = {0x00, 0x05, 0, 10, 0, 0};        // 5 Hz, Q 0.10, -18.0 dB
        const uint8_t fair[6] = {0x04, 0xB0, 1, 41, 21, 5};      // 1200 Hz, Q 1.41, +3.5 dB
        std::copy(high, high + 6, s.calibration.channels[0].eq[0]);
        std::copy(low, low + 6, s.calibration.channels[0].eq[1]);
        std::copy(fair, fair + 6, s.calibration.channels[0].eq[2]);
    });
    f.emulator.Replug();
    ASSERT_TRUE(run.WaitConnected());
    f.emulator.ClearRequests();
    Script garbled({
        [&] { return PostClick(run.window->GetPaintManager(), L"btn_irc"); },
        [&] { return (pm = CalibrationManager()) != nullptr; },
        [&] {
            Driver(pm).Click(L"start_auto_cal");
            return true;
        },
        [&] { return CAutoCalWnd::Current()->IsDone(); },
        [&] {
            CAutoCalWnd* w = CAutoCalWnd::Current();
            struct Expected {
                int band, freq;
                float q, gain;
            } expected[] = {
                {0, 20000, 9.0f, 12.0f}, {1, 20, 0.5f, -18.0f}, {2, 1200, 1.41f, 3.5f}, {10, 1000, 5.8f, 0.0f}};
            for (const Expected& e : expected) {
                EXPECT_EQ(w->ResultBand(0, e.band).freq, e.freq) << e.band;
                EXPECT_NEAR(w->ResultBand(0, e.band).factor, e.q, 0.001) << e.band;
                EXPECT_NEAR(w->ResultBand(0, e.band).gain, e.gain, 0.001) << e.band;
            }
            // The drawn curve stays within what the bands can reach: +12 at the top, -18 at the bottom.
            const double* gains = w->EqCurveGains(0);
            const double top = *std::max_element(gains, gains + CurvePoints);
            const double bottom = *std::min_element(gains, gains + CurvePoints);
            EXPECT_TRUE(top > 9.0 && top < 12.01) << top;
            EXPECT_TRUE(bottom > -18.01 && bottom < -15.0) << bottom;
            EXPECT_TRUE(ToolTest::CheckPicture(w, L"calibration_held_bands"));
            Driver(pm).Click(L"irc_cancel_data");
            return true;
        },
        [&] { return f.emulator.State().calibration.discarded == discarded + 1; },
        [&] {
            Driver(pm).Click(L"closebtn");
            return true;
        },
    });
    ASSERT_TRUE(AppTest::PumpUntil([&] { return garbled.Done() && !CAutoCalWnd::Current(); }, 60000))
        << "stopped after step " << garbled.StepsDone();
    // Output 0 measured, then its result discarded.
    const auto control = Payloads(f.emulator, D, 0x13);
    ASSERT_EQ(control.size(), 2u);
    EXPECT_EQ(Bytes(control[0].begin(), control[0].begin() + 3), (Bytes{1, 0x00, 0x01}));
    EXPECT_EQ(control[1], (Bytes{3, 0, 0, 0}));
    EXPECT_EQ(Payloads(f.emulator, D, 0x16, kAmpOpGet), (std::vector<Bytes>{{0, 0, 5}, {0, 6, 10}}));
    EXPECT_EQ(f.emulator.State().calibration.applied, 0);
    EXPECT_TRUE(run.WaitConnected());
}
