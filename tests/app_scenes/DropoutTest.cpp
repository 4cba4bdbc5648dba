// The cable or the amplifier dropping out at a bad moment. A whole save leaves the amplifier playing what
// it played, every value of it, and one cut off once it has loaded a stored scene puts the live tuning
// back when that amplifier returns (not into another one); a removal and an arrival a few milliseconds
// apart (a loose cable) end connected and read whatever ran, and a failure of the connection that went is
// never reported on the one that came.
#include "AppTestSupport.h"
#include "MsgWnd.h"
#include "OutputTypeNames.h"
#include "SceneTestSupport.h"
#include "TextFormat.h"
#include "model/ProfileFile.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <thread>

using namespace ControllerTest;
using namespace SceneTest;

namespace {

const uint8_t D = kAmpCmdDsp, F = kAmpCmdFlash, M = kAmpCmdMcu;
using Requests = std::vector<AmpRequest>;
using Moment = std::function<bool(const Requests&)>;

size_t CountOf(const Requests& requests, uint8_t cmd, uint8_t sub) {
    size_t count = 0;
    for (const AmpRequest& r : requests)
        if (r.cmd == cmd && r.sub == sub) ++count;
    return count;
}

// Requests after the n-th one of this kind (n from 1), 0 while there are not n of them; only setters
// when settersOnly.
size_t AfterNth(const Requests& requests, uint8_t cmd, uint8_t sub, size_t n, bool settersOnly = false) {
    size_t i = 0;
    for (; i < requests.size() && n > 0; ++i)
        if (requests[i].cmd == cmd && requests[i].sub == sub) --n;
    if (n > 0) return 0;
    size_t after = 0;
    for (; i < requests.size(); ++i)
        if (!settersOnly || !requests[i].IsGet()) ++after;
    return after;
}

size_t SettersOf(const Requests& requests, uint8_t cmd, uint8_t sub) {
    size_t count = 0;
    for (const AmpRequest& r : requests)
        if (r.cmd == cmd && r.sub == sub && !r.IsGet()) ++count;
    return count;
}

// Lets go of the cable once `moment` holds for what the amplifier has received, watched from a thread of
// its own as a hand would: the removal, then (after `whileOut`, on that thread) the arrival gapMs later,
// each sent as the system sends them.
class LooseCable {
public:
    LooseCable(AmpEmulator& emulator, int gapMs, Moment moment, std::function<void()> whileOut = nullptr)
        : m_emulator(emulator) {
        m_thread = std::thread([this, gapMs, moment = std::move(moment), whileOut = std::move(whileOut)] {
            if (!WaitFor(moment)) return;
            m_requestsAtRemoval = m_emulator.Requests().size();
            m_emulator.Unplug();
            if (whileOut) whileOut();
            if (gapMs > 0) Sleep(gapMs);
            m_emulator.Replug();
            m_back = true;
        });
    }
    // Out and back at once on the UI thread, from a timer: both are heard before the work under way can
    // take another message, so the arrival comes while it winds down.
    LooseCable(AmpEmulator& emulator, Moment moment) : m_emulator(emulator), m_onUi(std::make_shared<OnUi>()) {
        m_onUi->cable = this;
        m_onUi->moment = std::move(moment);
        WatchOnUi(m_onUi);
    }
    ~LooseCable() {
        m_stopped = true;
        if (m_onUi) m_onUi->cable = nullptr;
        if (m_thread.joinable()) m_thread.join();
    }
    bool Back() const { return m_back; }
    // The amplifier was read again after it came back: a handshake since the cable let go.
    bool ReadSince() const {
        if (!m_back) return false;
        const auto all = m_emulator.Requests();
        for (size_t i = m_requestsAtRemoval; i < all.size(); ++i) {
            AmpRequest r;
            if (ParseAmpRequest(all[i].data(), all[i].size(), r) && r.cmd == M && r.sub == 0x08) return true;
        }
        return false;
    }

private:
    struct OnUi {
        LooseCable* cable = nullptr;  // null once the cable is gone
        Moment moment;
    };
    static void WatchOnUi(const std::shared_ptr<OnUi>& on) {
        LooseCable* cable = on->cable;
        if (!cable) return;
        if (!on->moment(ParsedRequests(cable->m_emulator))) {
            AppTest::RunLater(1, [on] { WatchOnUi(on); });
            return;
        }
        cable->m_requestsAtRemoval = cable->m_emulator.Requests().size();
        cable->m_emulator.Unplug();
        cable->m_emulator.Replug();
        cable->m_back = true;
    }

    bool WaitFor(const Moment& moment) {
        Requests seen;
        while (!m_stopped) {
            const auto all = m_emulator.Requests();
            for (size_t i = seen.size(); i < all.size(); ++i) {
                AmpRequest r;
                ParseAmpRequest(all[i].data(), all[i].size(), r);
                seen.push_back(r);
            }
            if (moment(seen)) return true;
            Sleep(1);
        }
        return false;
    }

    AmpEmulator& m_emulator;
    std::atomic<bool> m_stopped{false};
    std::atomic<bool> m_back{false};
    std::atomic<size_t> m_requestsAtRemoval{0};
    std::thread m_thread;
    std::shared_ptr<OnUi> m_onUi;
};

bool ShowsConnected(MainWindowRun& run) {
    return run.TextOf(L"btnConnect") == Text(L"${btn_connected}") && !run.Controller().IsReadRunning() &&
           !FindWindowW(L"LoadingWnd", nullptr);
}

int BoxesSaying(const wchar_t* key) {
    int count = 0;
    for (const std::wstring& box : MainWindowRun::BoxesSeen())
        if (box.find(Text(key)) != std::wstring::npos) ++count;
    return count;
}

void SetBytes(uint8_t* field, std::initializer_list<uint8_t> bytes) { std::copy(bytes.begin(), bytes.end(), field); }

void SetLinks(AmpLinkList& list, uint8_t link, std::initializer_list<uint8_t> pairs) {
    list = AmpLinkList{};
    list.link = link;
    list.count = static_cast<uint8_t>(pairs.size() / 2);
    SetBytes(list.pairs, pairs);
}

// Every value of a working configuration that the page does not show, a family a row: the live tuning
// holds one value, every stored scene another (or the factory one).
const struct {
    const char* family;
    void (*set)(AmpScene& scene, bool live);
} kOffPageFamilies[] = {
    {"compressors", [](AmpScene& s, bool live) {
         for (uint8_t n = 0; n < 10; ++n) {  // bypass, threshold + 100, ratio, knee, attack, release
             if (live) SetBytes(s.outputs[n].compressor, {0, uint8_t(80 + n), 5, 4, 0, 2, 5, 0, 10, 1, 244});
             else SetBytes(s.outputs[n].compressor, {1, 90, 0, 2, 5, 1, 0, 0, 20, 0, 100});
         }
     }},
    {"second compressors", [](AmpScene& s, bool live) {
         for (uint8_t n = 0; n < 10; ++n)  // threshold, attack, release in seconds and tenths
             SetBytes(s.outputs[n].compressor2, {uint8_t(live ? 3 + n : 10), 5, 0, uint8_t(live ? 50 : 100), 1, 5});
     }},
    {"switches", [](AmpScene& s, bool live) {
         for (int n = 0; n < 10; ++n) {
             AmpOutput& out = s.outputs[n];
             out.compressorOn = live == (n % 2 == 0);
             out.solo = live ? n == 2 : n == 7;
             out.hpQMode = live ? 2 : 0;
             out.lpQMode = live ? 1 : 3;
             SetBytes(out.speakerDistance, {uint8_t(live ? 1 : 0), uint8_t(live ? 44 + n : 50)});
         }
     }},
    {"band slots past the page's", [](AmpScene& s, bool live) {
         if (!live) return;
         s.outputs[0].eq[25] = {{0x0F, 0xA0}, {1, 5}, {21, 5}};  // 4000 Hz, Q 1.5, +3.5 dB
         s.outputs[6].eq[15] = {{0x00, 0x64}, {0, 7}, {12, 0}};  // 100 Hz, Q 0.7, -6 dB
     }},
    {"inputs", [](AmpScene& s, bool live) {
         for (int i = 0; i < 10; ++i) {
             s.inputs[i].trim = static_cast<uint8_t>(live ? 3 + i : 0);
             s.inputs[i].mute = live == (i % 3 == 0);
             s.inputs[i].phase = live && i == 4;
         }
         if (live) s.inputs[2].eq[7] = {{0x01, 0xF4}, {3, 0}, {15, 0}};  // 500 Hz, Q 3, -3 dB
     }},
    {"scene switches and links", [](AmpScene& s, bool live) {
         s.dspBypass = live;
         s.autoOn = live;
         SetLinks(s.trimLink, live, live ? std::initializer_list<uint8_t>{0, 1, 2, 3} : std::initializer_list<uint8_t>{});
         SetLinks(s.delayLink, live, live ? std::initializer_list<uint8_t>{5, 4} : std::initializer_list<uint8_t>{});
         // Linked right to left, which the page's own link rule would not send: the list goes back as held.
         SetLinks(s.link, live, live ? std::initializer_list<uint8_t>{1, 0} : std::initializer_list<uint8_t>{});
         s.lock = live;
     }},
    {"mix types", [](AmpScene& s, bool live) {
         for (int source = 0; source < 9; ++source) {
             s.mixType[source] = static_cast<uint8_t>(live ? source % 3 : 0);
             s.mixType2[source] = live;
         }
     }},
};

// What the user plays: in position, trim, a band, a delay and a mute unlike every stored scene, and every
// value the page does not show unlike them too.
void PrepareLiveTuning(AmpState& s) {
    PrepareScenes(s);
    for (int id = 0; id <= 10; ++id)
        for (const auto& family : kOffPageFamilies) family.set(s.scenes[id], id == 0);
    AmpScene& live = s.scenes[0];
    live.outputs[0].type = 5;
    live.outputs[0].trim[0] = 4;  // -4 dB
    live.outputs[0].eqBypass = 0;
    live.outputs[0].eq[3] = {{0x03, 0xE8}, {2, 5}, {20, 5}};  // 1000 Hz, Q 2.5, +2.5 dB
    live.outputs[2].delay[0] = 3;
    live.outputs[3].mute = 1;
    live.bridgeCount = 5;  // as the program sends the bridges: every pair
}

size_t DspSetters(const Requests& requests) {
    size_t count = 0;
    for (const AmpRequest& r : requests)
        if (r.cmd == D && !r.IsGet()) ++count;
    return count;
}

}  // namespace

TEST(Dropouts, AWholeSaveLeavesTheAmplifierAsItFoundItAndACutOffOneIsPutBackIntoItsOwnAmplifier) {
    AppTest::SettingsFileGuard settings;
    AmpEmulator emulator;
    emulator.SetRealTime(true);
    emulator.EditState(PrepareLiveTuning);
    MainWindowRun run(emulator);
    ASSERT_TRUE(run.WaitConnected());
    EqualizerManager& c = run.Controller();
    const AmpScene liveAmp = emulator.State().scenes[0];
    ASSERT_NE(DifferingParts(emulator.State().scenes[10], liveAmp), "");
    const std::wstring path = TempFilePath(L"dropout_test.wpf");
    DialogAnswer answer{path};
    AnsweredProfileUi answered(answer);
    auto thePageShowsTheLiveTuning = [&] {
        EXPECT_EQ(c.config.outputs[0], 5);
        EXPECT_EQ(run.TextOf(L"ch_output_btn_0"), Text(OutputTypeButtonText(5)));
        EXPECT_FLOAT_EQ(c.config.channels[0].gain, -4.0f);
        EXPECT_FLOAT_EQ(c.config.channels[0].eqArray[3].gain, 2.5f);
        EXPECT_EQ(c.config.channels[3].mute, 1);
    };

    // The put-back goes quickly: slowed down once the last scene is read, so that the cable goes during it.
    auto slowPutBack = [&emulator](const Requests& r) {
        if (AfterNth(r, F, 0x09, 10) > 0) emulator.SetReplyDelay(3);
        return AfterNth(r, F, 0x09, 10, true) > 20;
    };
    const struct {
        const char* when;
        Moment moment;  // null: the save runs to its end
    } cuts[] = {
        {"not cut off", nullptr},
        // The first stored scene has been read: the second one is playing.
        {"after the first scene", [](const Requests& r) { return CountOf(r, F, 0x09) >= 2; }},
        {"in the middle", [](const Requests& r) { return AfterNth(r, F, 0x09, 5) > 40; }},
        // The tenth scene has been read and the live tuning is on its way back.
        {"during the final put-back", slowPutBack},
    };
    for (const auto& cut : cuts) {
        SCOPED_TRACE(cut.when);
        _wremove(path.c_str());
        emulator.ClearRequests();
        MainWindowRun::BoxesSeen().clear();
        // Back 300 ms after it went, as a user would plug it in again.
        LooseCable cable(emulator, 300, cut.moment ? cut.moment : [](const Requests&) { return false; });
        PostMenuClick(run.handle, L"scene_item_save_whole");
        ASSERT_TRUE(run.WaitForBox(cut.moment ? L"${profile_read_fail}" : L"${profile_save_ok}", 60000));
        ASSERT_TRUE(AppTest::PumpUntil(
            [&] { return (!cut.moment || cable.ReadSince()) && ShowsConnected(run) && Settled(run); }, 20000));
        emulator.SetReplyDelay(0);
        // A stored scene was playing when the save ended or was cut off.
        const AmpState state = emulator.State();
        EXPECT_NE(state.directory.currentScene, 0);
        // Put back whole, every value of it, in the amplifier and on the page; a file only when complete.
        EXPECT_EQ(DifferingParts(state.scenes[0], liveAmp), "");
        thePageShowsTheLiveTuning();
        EXPECT_EQ(GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES, !cut.moment);
        EXPECT_EQ(BoxesSaying(L"${profile_save_ok}"), cut.moment ? 0 : 1);
        EXPECT_EQ(BoxesSaying(L"${device_connect_fail}"), 0);
    }

    // Once put back, a later connection reads what plays and sends nothing first.
    emulator.ClearRequests();
    c.DisconnectDevice();
    c.ConnectDevice(false);
    ASSERT_TRUE(run.WaitConnected());
    EXPECT_EQ(DspSetters(ParsedRequests(emulator)), 0u);

    // Cut off, and another amplifier of the model plugged in: it is read as it is, and the tuning stays
    // owed to the first one, which takes it when it returns.
    AmpState first;
    AmpScene otherPlays;
    {
        SCOPED_TRACE("another amplifier");
        emulator.ClearRequests();
        LooseCable swap(emulator, 0, [](const Requests& r) { return AfterNth(r, F, 0x09, 3) > 40; }, [&] {
            first = emulator.State();
            emulator.EditState([&](AmpState& s) {
                s.identity.serial = L"VR0000002";
                s.scenes[0] = s.scenes[2];
                s.scenes[0].outputs[4].type = 9;
                otherPlays = s.scenes[0];
            });
        });
        PostMenuClick(run.handle, L"scene_item_save_whole");
        ASSERT_TRUE(run.WaitForBox(L"${profile_read_fail}", 60000));
        ASSERT_TRUE(AppTest::PumpUntil([&] { return swap.ReadSince() && ShowsConnected(run) && Settled(run); }, 20000));
        EXPECT_EQ(DifferingParts(emulator.State().scenes[0], otherPlays), "");
        EXPECT_EQ(DspSetters(ParsedRequests(emulator)), 0u);
        EXPECT_EQ(c.config.outputs[4], 9);
    }
    emulator.Unplug();
    emulator.EditState([&](AmpState& s) { s = first; });
    emulator.Replug();
    ASSERT_TRUE(AppTest::PumpUntil([&] { return ShowsConnected(run) && Settled(run); }, 20000));
    EXPECT_EQ(DifferingParts(emulator.State().scenes[0], liveAmp), "");
    thePageShowsTheLiveTuning();
    _wremove(path.c_str());
}

TEST(Dropouts, ALooseCableEndsConnectedAndReadWhateverRan) {
    AppTest::SettingsFileGuard settings;
    AmpEmulator emulator;
    emulator.SetRealTime(true);
    emulator.EditState([](AmpState& s) {
        PrepareScenes(s);
        for (AmpScene& scene : s.scenes) scene.bridgeCount = 5;  // as the program sends the bridges: every pair
    });
    MainWindowRun run(emulator);
    ASSERT_TRUE(run.WaitConnected());
    EqualizerManager& c = run.Controller();
    SkinUI::CPaintManagerUI* page = run.window->GetPaintManager();
    // The whole profile loaded is the one a cut-off save leaves alone.
    const std::wstring whole = TempFilePath(L"dropout_test.wpf");
    DialogAnswer answer{whole};
    AnsweredProfileUi answered(answer);
    ProfileFile writer(nullptr);
    ASSERT_TRUE(writer.SaveWholeProfile(c.config, c.sceneConfigs, reinterpret_cast<const SceneNameSlot*>(c.sceneNames),
                                        whole.c_str()));

    CSceneWnd* scenes = nullptr;
    const LooseCable* cable = nullptr;
    AmpScene playedBefore;
    auto back = [&] { return cable->ReadSince() && ShowsConnected(run) && Settled(run); };
    auto closeScenes = [&] { return PostClick(scenes->GetPaintManager(), L"cancel_btn"); };
    auto loadRoad = [&]() -> std::vector<std::function<bool()>> {
        return {[&] { PostMenuClick(run.handle, L"scene_item_load_scene"); return true; },
                [&] { return (scenes = OpenSceneWnd()) != nullptr; },
                [&] { return ConfirmRow(scenes, 1); },
                back, closeScenes};
    };
    // The request the amplifier never takes: it leaves the bus as it arrives.
    const AmpFaultRule vanishOnLoad{AmpFault::Vanish, F, 0x09, 0xBB};
    const struct {
        const char* name;
        int replyDelayMs;  // each answer this late, so that the cable goes while the work is on the bus
        std::vector<int> gapsMs;
        Moment moment;
        std::function<std::vector<std::function<bool()>>(int round)> steps;
        const wchar_t* box;  // the box that tells what became of the work, left standing; null for none
        bool faultOnLoad;
        bool atOnceOnUiThread;  // the 0 ms round goes out and back on the UI thread, before the work winds down
    } operations[] = {
        // Back at once: the arrival is heard while the read-back winds down, and waits for its end.
        {"the read-back after connecting", 5, {0, 2, 10},
         [](const Requests& r) { return AfterNth(r, M, 0x08, 1) > 30; },
         [&](int) -> std::vector<std::function<bool()>> {
             return {[&] { return PostClick(page, L"btnConnect"); },  // off
                     [&] { return !c.Device().IsConnected() && PostClick(page, L"btnConnect"); },
                     back};
         },
         nullptr, false, false},
        {"a stored scene's load", 5, {2, 10},
         [](const Requests& r) { return AfterNth(r, F, 0x09, 1) > 20; },
         [&](int) { return loadRoad(); }, nullptr, false, false},
        {"a stored scene's load the amplifier never took", 0, {0, 10},
         [&emulator](const Requests&) { return !emulator.IsPresent(); },
         [&](int) { return loadRoad(); }, L"${scene_not_loaded}", true, false},
        {"a stored scene's save", 30, {2, 10},
         [](const Requests& r) { return CountOf(r, F, 0x0B) > 0; },
         [&](int round) -> std::vector<std::function<bool()>> {
             return {[&] { PostMenuClick(run.handle, L"scene_item_saveas_scene"); return true; },
                     [&] { return (scenes = OpenSceneWnd()) != nullptr; },
                     [&, round] { return ConfirmRow(scenes, 2 + round); },  // an empty scene each time
                     [round] { return EnterName(round == 0 ? L"Gym" : L"Hall", false); },
                     back, closeScenes};
         },
         nullptr, false, false},
        {"a whole profile's load", 2, {2, 10},
         [](const Requests& r) { return r.size() > 150; },
         [&](int) -> std::vector<std::function<bool()>> {
             return {[&] { PostMenuClick(run.handle, L"scene_item_load_whole"); return true; }, back};
         },
         nullptr, false, false},
        // Connected and put back at once, while the box that says the file was not written still stands.
        {"a whole profile's save", 5, {0, 10},
         [](const Requests& r) { return AfterNth(r, F, 0x09, 1) > 20; },
         [&](int) -> std::vector<std::function<bool()>> {
             return {[&] { PostMenuClick(run.handle, L"scene_item_save_whole"); return true; }, back};
         },
         L"${profile_read_fail}", false, true},
    };
    int round = 0;
    for (const auto& operation : operations) {
        for (int gapMs : operation.gapsMs) {
            SCOPED_TRACE(std::string(operation.name) + ", " + std::to_string(gapMs) + " ms apart");
            emulator.ClearRequests();
            MainWindowRun::BoxesSeen().clear();
            MainWindowRun::ConfirmContaining() = L"Road";  // the load question names the scene
            MainWindowRun::HoldContaining() = operation.box ? Text(operation.box) : L"";
            if (operation.faultOnLoad) emulator.AddFault(vanishOnLoad);
            const AmpState before = emulator.State();
            emulator.SetReplyDelay(operation.replyDelayMs);
            LooseCable loose = gapMs == 0 && operation.atOnceOnUiThread ? LooseCable(emulator, operation.moment)
                                                                        : LooseCable(emulator, gapMs, operation.moment);
            cable = &loose;
            // What the user is told stands while the amplifier is connected again; then he closes it.
            int closedBoxes = -1;
            auto steps = operation.steps(round++ % 2);
            steps.push_back([&] { return (closedBoxes = CMsgWnd::CloseAll()) >= 0; });
            Script script(steps);
            ASSERT_TRUE(RunScript(script, 60000)) << "stopped after step " << script.StepsDone();
            emulator.SetReplyDelay(0);
            emulator.ClearFaults();
            MainWindowRun::HoldContaining().clear();
            EXPECT_EQ(BoxesSaying(operation.box ? operation.box : L"${scene_not_loaded}"), operation.box ? 1 : 0);
            EXPECT_EQ(closedBoxes, operation.box ? 1 : 0);
            AppTest::PumpUntil([] { return false; }, 300);  // whatever the ended work still posts
            EXPECT_TRUE(ShowsConnected(run));
            EXPECT_TRUE(c.Device().IsConnected());
            EXPECT_EQ(c.Device().mQueueEnabled.load(), 1);
            EXPECT_EQ(c.config.model, 94);
            EXPECT_EQ(BoxesSaying(L"${device_connect_fail}"), 0);
            // A load the amplifier never took and a whole save leave it playing what it played.
            if (operation.box) EXPECT_EQ(DifferingParts(emulator.State().scenes[0], before.scenes[0]), "");
        }
    }
    cable = nullptr;
    _wremove(whole.c_str());
}

// A stored scene's load that ended well, whose end is taken only after a removal and an arrival: that end
// belongs to the connection that went, and the new connection's read-back runs with sending off.
TEST(Dropouts, ASceneLoadsEndTakenOnTheNextConnectionLeavesItsReadBackAlone) {
    AppTest::SettingsFileGuard settings;
    AmpEmulator emulator;
    emulator.SetRealTime(true);
    emulator.SetUsbPacing(true);
    emulator.EditState(PrepareScenes);
    MainWindowRun run(emulator);
    ASSERT_TRUE(run.WaitConnected());
    EqualizerManager& c = run.Controller();
    MainWindowRun::ConfirmContaining() = L"Road";
    CSceneWnd* scenes = nullptr;
    bool sendingDuringReadBack = false;
    Script script({
        [&] { PostMenuClick(run.handle, L"scene_item_load_scene"); return true; },
        [&] { return (scenes = OpenSceneWnd()) != nullptr; },
        [&] { return ConfirmRow(scenes, 1); },
        [&] { return c.IsSceneWorkerRunning(); },
        // Held on the UI thread until the load has ended well and posted its end, then a quick removal
        // and arrival, heard (as the system sends them) before that end is taken.
        [&] {
            while (c.IsSceneWorkerRunning()) Sleep(1);
            emulator.Unplug();
            emulator.Replug();
            return c.IsReadRunning();
        },
        [&] {
            sendingDuringReadBack = sendingDuringReadBack || (c.IsReadRunning() && c.Device().mQueueEnabled.load() == 1);
            return ShowsConnected(run) && Settled(run);
        },
        [&] { return PostClick(scenes->GetPaintManager(), L"cancel_btn"); },
    });
    ASSERT_TRUE(RunScript(script, 60000)) << "stopped after step " << script.StepsDone();
    EXPECT_FALSE(sendingDuringReadBack);
    EXPECT_EQ(c.Device().mQueueEnabled.load(), 1);
    EXPECT_EQ(c.config.outputs[0], 3);  // scene 2 plays, and the page shows it
}
