// The cable or the amplifier dropping out at a bad moment. A whole save cut off once it has loaded a
// stored scene puts the live tuning back when the amplifier returns; a removal and an arrival a few
// milliseconds apart (a loose cable) end connected and read whatever ran, and a failure of the connection
// that went is never reported on the one that came.
#include "AppTestSupport.h"
#include "OutputTypeNames.h"
#include "SceneTestSupport.h"
#include "TextFormat.h"
#include "model/ProfileFile.h"

#include <gtest/gtest.h>

#include <atomic>
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

// Lets go of the cable once `moment` holds for what the amplifier has received: the removal, then the
// arrival gapMs later, each sent from a thread of its own as the system sends them.
class LooseCable {
public:
    LooseCable(AmpEmulator& emulator, int gapMs, Moment moment) : m_state(std::make_shared<State>()) {
        m_state->emulator = &emulator;
        m_state->gapMs = gapMs;
        m_state->moment = std::move(moment);
        Watch(m_state);
    }
    ~LooseCable() {
        m_state->stopped = true;
        if (m_state->thread.joinable()) m_state->thread.join();
    }
    bool Back() const { return m_state->back; }
    // The amplifier was read again after it came back: a handshake since the cable let go.
    bool ReadSince() const {
        if (!m_state->back) return false;
        const auto all = m_state->emulator->Requests();
        for (size_t i = m_state->requestsAtRemoval; i < all.size(); ++i) {
            AmpRequest r;
            if (ParseAmpRequest(all[i].data(), all[i].size(), r) && r.cmd == M && r.sub == 0x08) return true;
        }
        return false;
    }

private:
    struct State {
        AmpEmulator* emulator = nullptr;
        int gapMs = 0;
        Moment moment;
        bool started = false;
        bool stopped = false;
        size_t requestsAtRemoval = 0;
        std::atomic<bool> back{false};
        std::thread thread;
    };
    static void Watch(const std::shared_ptr<State>& s) {
        if (s->stopped || s->started) return;
        if (!s->moment(ParsedRequests(*s->emulator))) {
            AppTest::RunLater(2, [s] { Watch(s); });
            return;
        }
        s->started = true;
        s->requestsAtRemoval = s->emulator->Requests().size();
        State* state = s.get();  // outlives the thread: the destructor joins it
        s->thread = std::thread([state] {
            state->emulator->Unplug();
            Sleep(state->gapMs);
            state->emulator->Replug();
            state->back = true;
        });
    }
    std::shared_ptr<State> m_state;
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

// What the user plays: in position, trim, a band, a delay and a mute unlike every stored scene.
void PrepareLiveTuning(AmpState& s) {
    PrepareScenes(s);
    AmpScene& live = s.scenes[0];
    live.outputs[0].type = 5;
    live.outputs[0].trim[0] = 4;  // -4 dB
    live.outputs[0].eqBypass = 0;
    live.outputs[0].eq[3] = {{0x03, 0xE8}, {2, 5}, {20, 5}};  // 1000 Hz, Q 2.5, +2.5 dB
    live.outputs[2].delay[0] = 3;
    live.outputs[3].mute = 1;
    live.bridgeCount = 5;  // as the program sends the bridges: every pair
}

}  // namespace

TEST(Dropouts, ACutOffWholeSavePutsTheLiveTuningBackWhenTheAmplifierReturns) {
    AppTest::SettingsFileGuard settings;
    AmpEmulator emulator;
    emulator.SetRealTime(true);
    emulator.EditState(PrepareLiveTuning);
    MainWindowRun run(emulator);
    ASSERT_TRUE(run.WaitConnected());
    EqualizerManager& c = run.Controller();
    const AmpScene liveAmp = emulator.State().scenes[0];
    const std::wstring path = TempFilePath(L"dropout_test.wpf");
    DialogAnswer answer{path};
    AnsweredProfileUi answered(answer);

    // The put-back goes quickly: slowed down once the last scene is read, so that the cable goes during it.
    auto slowPutBack = [&emulator](const Requests& r) {
        if (AfterNth(r, F, 0x09, 10) > 0) emulator.SetReplyDelay(3);
        return AfterNth(r, F, 0x09, 10, true) > 20;
    };
    const struct {
        const char* when;
        Moment moment;
    } cuts[] = {
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
        LooseCable cable(emulator, 300, cut.moment);
        PostMenuClick(run.handle, L"scene_item_save_whole");
        ASSERT_TRUE(run.WaitForBox(L"${profile_read_fail}", 60000));
        ASSERT_TRUE(AppTest::PumpUntil([&] { return cable.ReadSince() && ShowsConnected(run) && Settled(run); }, 20000));
        emulator.SetReplyDelay(0);
        // A stored scene was playing when the cable went.
        const AmpState state = emulator.State();
        EXPECT_NE(state.directory.currentScene, 0);
        // Put back whole, in the amplifier and on the page; no file, and no word of one.
        EXPECT_EQ(DifferingParts(state.scenes[0], liveAmp), "");
        EXPECT_EQ(c.config.outputs[0], 5);
        EXPECT_EQ(run.TextOf(L"ch_output_btn_0"), Text(OutputTypeButtonText(5)));
        EXPECT_FLOAT_EQ(c.config.channels[0].gain, -4.0f);
        EXPECT_FLOAT_EQ(c.config.channels[0].eqArray[3].gain, 2.5f);
        EXPECT_EQ(c.config.channels[3].mute, 1);
        EXPECT_EQ(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
        EXPECT_EQ(BoxesSaying(L"${profile_save_ok}"), 0);
        EXPECT_EQ(BoxesSaying(L"${device_connect_fail}"), 0);
    }

    // Once put back, a later connection reads what plays and sends nothing first.
    emulator.ClearRequests();
    run.Controller().DisconnectDevice();
    run.Controller().ConnectDevice(false);
    ASSERT_TRUE(run.WaitConnected());
    EXPECT_EQ(SettersOf(ParsedRequests(emulator), D, 0x06), 0u);  // no band went out
}

TEST(Dropouts, ALooseCableEndsConnectedAndReadWhateverRan) {
    AppTest::SettingsFileGuard settings;
    AmpEmulator emulator;
    emulator.SetRealTime(true);
    emulator.EditState(PrepareScenes);
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
    auto back = [&] { return cable->ReadSince() && ShowsConnected(run) && Settled(run); };
    auto closeScenes = [&] { return PostClick(scenes->GetPaintManager(), L"cancel_btn"); };
    const struct {
        const char* name;
        int replyDelayMs;  // each answer this late, so that the cable goes while the work is on the bus
        Moment moment;
        std::function<std::vector<std::function<bool()>>(int round)> steps;
    } operations[] = {
        {"the read-back after connecting", 5,
         [](const Requests& r) { return AfterNth(r, M, 0x08, 1) > 30; },
         [&](int) -> std::vector<std::function<bool()>> {
             return {[&] { return PostClick(page, L"btnConnect"); },  // off
                     [&] { return !c.Device().IsConnected() && PostClick(page, L"btnConnect"); },
                     back};
         }},
        {"a stored scene's load", 5,
         [](const Requests& r) { return AfterNth(r, F, 0x09, 1) > 20; },
         [&](int) -> std::vector<std::function<bool()>> {
             return {[&] { PostMenuClick(run.handle, L"scene_item_load_scene"); return true; },
                     [&] { return (scenes = OpenSceneWnd()) != nullptr; },
                     [&] { return ConfirmRow(scenes, 1); },
                     back, closeScenes};
         }},
        {"a stored scene's save", 30,
         [](const Requests& r) { return CountOf(r, F, 0x0B) > 0; },
         [&](int round) -> std::vector<std::function<bool()>> {
             return {[&] { PostMenuClick(run.handle, L"scene_item_saveas_scene"); return true; },
                     [&] { return (scenes = OpenSceneWnd()) != nullptr; },
                     [&, round] { return ConfirmRow(scenes, 2 + round); },  // an empty scene each time
                     [round] { return EnterName(round == 0 ? L"Gym" : L"Hall", false); },
                     back, closeScenes};
         }},
        {"a whole profile's load", 2,
         [](const Requests& r) { return r.size() > 150; },
         [&](int) -> std::vector<std::function<bool()>> {
             return {[&] { PostMenuClick(run.handle, L"scene_item_load_whole"); return true; }, back};
         }},
        {"a whole profile's save", 5,
         [](const Requests& r) { return AfterNth(r, F, 0x09, 1) > 20; },
         [&](int) -> std::vector<std::function<bool()>> {
             return {[&] { PostMenuClick(run.handle, L"scene_item_save_whole"); return true; }, back};
         }},
    };
    int round = 0;
    for (const auto& operation : operations) {
        for (int gapMs : {2, 10}) {
            SCOPED_TRACE(std::string(operation.name) + ", " + std::to_string(gapMs) + " ms apart");
            emulator.ClearRequests();
            MainWindowRun::BoxesSeen().clear();
            MainWindowRun::ConfirmContaining() = L"Road";  // the load question names the scene
            emulator.SetReplyDelay(operation.replyDelayMs);
            LooseCable loose(emulator, gapMs, operation.moment);
            cable = &loose;
            Script script(operation.steps(round++ % 2));
            ASSERT_TRUE(RunScript(script, 60000)) << "stopped after step " << script.StepsDone();
            emulator.SetReplyDelay(0);
            AppTest::PumpUntil([] { return false; }, 300);  // whatever the ended work still posts
            EXPECT_TRUE(ShowsConnected(run));
            EXPECT_TRUE(c.Device().IsConnected());
            EXPECT_EQ(c.Device().mQueueEnabled.load(), 1);
            EXPECT_EQ(c.config.model, 94);
            EXPECT_EQ(BoxesSaying(L"${device_connect_fail}"), 0);
        }
    }
    cable = nullptr;
    _wremove(whole.c_str());
}
