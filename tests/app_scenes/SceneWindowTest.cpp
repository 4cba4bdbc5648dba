// The scene window against the emulated amplifier: it opens from the main window's scene menu, lists the
// amplifier's scene names and marks its current scene; a load runs under the busy popup and brings the
// scene's values onto the page; a save asks for the name (and refuses one another scene uses); a delete
// empties the row at once.
#include "AppTestSupport.h"
#include "NameWnd.h"
#include "OutputTypeNames.h"
#include "SceneTestSupport.h"
#include "TextFormat.h"
#include "UIList.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace ControllerTest;
using namespace SceneTest;
using namespace SkinUI;

namespace {

const uint8_t F = kAmpCmdFlash;

bool BoxSeen(const std::wstring& part) {
    for (const std::wstring& text : MainWindowRun::BoxesSeen())
        if (text.find(part) != std::wstring::npos) return true;
    return false;
}

}  // namespace

TEST(SceneWindow, LoadsSavesUnderANameAndDeletes) {
    AppTest::SettingsFileGuard settings;
    AmpEmulator emulator;
    emulator.SetRealTime(true);
    emulator.EditState(PrepareScenes);
    // Scene 5 holds settings but no name; the main volume is at 3 (an attenuation of 46 dB).
    emulator.EditState([](AmpState& s) {
        s.directory.validMask |= 1u << 4;
        s.settings.mainVolume = 46;
    });
    MainWindowRun run(emulator);
    ASSERT_TRUE(run.WaitConnected());
    EqualizerManager& c = run.Controller();
    EXPECT_EQ(run.TextOf(L"edit_main_volume"), L"3");
    EXPECT_STREQ(c.sceneNames[0], L"Club");
    EXPECT_STREQ(c.sceneNames[1], L"Road");
    EXPECT_NE(c.config.outputs[0], 3);

    // ---- Load scene 2 ----
    emulator.ClearRequests();
    const int popupsBefore = MainWindowRun::PopupsCreated();
    MainWindowRun::ConfirmContaining() = L"Road";  // the question names the scene
    CSceneWnd* seen = nullptr;
    // Slow replies, so the busy popup is up long enough to be told to close.
    emulator.SetReplyDelay(3);
    bool popupStayed = false;
    Script load({
        [&] { PostMenuClick(run.handle, L"scene_item_load_scene"); return true; },
        [&] {
            seen = OpenSceneWnd();
            // Listed, and the amplifier's current scene marked once its answer came.
            return seen && seen->CurrentRow() == 0;
        },
        [&] {
            EXPECT_EQ(seen->GetMode(), CSceneWnd::kLoad);
            EXPECT_EQ(seen->RowText(0), L"Club");
            EXPECT_EQ(seen->RowText(1), L"Road");
            EXPECT_EQ(seen->RowText(2), L"");
            return ConfirmRow(seen, 1);
        },
        [&] {
            const HWND popup = FindWindowW(L"LoadingWnd", nullptr);
            if (!popup) return false;
            // Alt+F4, the system menu's close and a close from outside: it stays while the worker runs.
            SendMessageW(popup, WM_SYSCOMMAND, SC_CLOSE, 0);
            SendMessageW(popup, WM_CLOSE, 0, 0);
            PostMessageW(popup, WM_CLOSE, 0, 0);
            popupStayed = IsWindow(popup) && c.IsSceneWorkerRunning();
            return true;
        },
        [&] { return MainWindowRun::PopupsCreated() > popupsBefore && Settled(run); },
        [&] { return PostClick(seen->GetPaintManager(), L"cancel_btn"); },
    });
    ASSERT_TRUE(RunScript(load)) << "stopped after step " << load.StepsDone();
    emulator.SetReplyDelay(0);
    EXPECT_TRUE(popupStayed);
    EXPECT_TRUE(BoxSeen(L"Road"));
    EXPECT_EQ(MainWindowRun::PopupsCreated(), popupsBefore + 1);
    // The amplifier was told to make scene 2 the working one, then read back whole.
    auto reads = RequestsOf(emulator, F, 0x09);
    ASSERT_EQ(reads.size(), 1u);
    EXPECT_EQ(reads[0].optype, kAmpOpSet);
    EXPECT_EQ(reads[0].payload, (std::vector<uint8_t>{2, 0}));
    EXPECT_EQ(RequestsOf(emulator, kAmpCmdMcu, 0x08).size(), 1u);  // the read-all's handshake
    EXPECT_EQ(RequestsOf(emulator, kAmpCmdDsp, 0x07).size(), 1u);  // and its output types
    EXPECT_EQ(emulator.State().directory.currentScene, 2);
    // The page shows scene 2.
    EXPECT_EQ(c.config.outputs[0], 3);
    EXPECT_FLOAT_EQ(c.config.channels[0].gain, -6.0f);
    EXPECT_EQ(run.TextOf(L"ch_output_btn_0"), Text(OutputTypeButtonText(3)));
    EXPECT_EQ(c.sceneIndex, 2);
    EXPECT_EQ(run.TextOf(L"edit_main_volume"), L"3");  // the amplifier's volume, read again in dB
    EXPECT_EQ(c.config.mainVolume, 3);

    // ---- Save into the empty scene 3 as "Gym", then try "Club" for scene 4 ----
    emulator.ClearRequests();
    MainWindowRun::BoxesSeen().clear();
    MainWindowRun::ConfirmContaining().clear();
    Script save({
        [&] { PostMenuClick(run.handle, L"scene_item_saveas_scene"); return true; },
        [&] { return (seen = OpenSceneWnd()) != nullptr; },
        [&] { return ConfirmRow(seen, 2); },
        [&] { return EnterName(L"Gym", false); },  // an empty scene: no overwrite question first
        [&] { return BoxSeen(Text(L"${save_scene_ok}")) && Settled(run); },
        [&] {
            EXPECT_EQ(seen->RowText(2), L"Gym");
            EXPECT_EQ(seen->CurrentRow(), 2);
            return ConfirmRow(seen, 3);
        },
        [&] { return EnterName(L"Club", true); },
        [&] { return BoxSeen(L"Club") && MainWindowRun::BoxesSeen().size() == 2; },
        [&] {
            EXPECT_EQ(seen->RowText(3), L"");
            // Scene 5 has no name but holds settings: asked first, and the "no" saves nothing.
            return ConfirmRow(seen, 4);
        },
        [&] { return MainWindowRun::BoxesSeen().size() == 3; },
        [&] {
            EXPECT_FALSE(OpenWindow<CNameMsgWnd>(L"NameMsgWnd", L"namemsgwnd"));
            return PostClick(seen->GetPaintManager(), L"cancel_btn");
        },
    });
    ASSERT_TRUE(RunScript(save)) << "stopped after step " << save.StepsDone();
    EXPECT_STREQ(c.sceneNames[2], L"Gym");
    EXPECT_STREQ(c.sceneNames[3], L"");
    const std::wstring five[] = {L"5"};
    EXPECT_EQ(MainWindowRun::BoxesSeen()[2], FormatSceneText(Text(L"${save_scene_overwrite}").c_str(), L"d", five, 1));
    auto names = RequestsOf(emulator, F, 0x0B);
    ASSERT_EQ(names.size(), 1u);  // the refused name went nowhere
    std::vector<uint8_t> nameFrame = {3, 16, 'G', 'y', 'm'};
    nameFrame.resize(2 + 16, 0);
    EXPECT_EQ(names[0].payload, nameFrame);
    auto saves = RequestsOf(emulator, F, 0x08);
    ASSERT_EQ(saves.size(), 1u);
    EXPECT_EQ(saves[0].payload, (std::vector<uint8_t>{3, 0}));
    AmpState state = emulator.State();
    EXPECT_EQ(NameBytes(state.directory.names[2]), "Gym");
    EXPECT_EQ(NameBytes(state.directory.names[3]), "");
    EXPECT_TRUE(state.directory.validMask & (1u << 2));

    // ---- Edits after saving scene 3 change what is playing, never stored scene 3 ----
    ASSERT_EQ(c.sceneIndex, 3);
    emulator.ClearRequests();
    const AmpScene stored3 = state.scenes[3];
    const AmpScene playing = state.scenes[0];
    c.SetEqGainUp(0, true);     // a band, and the output's bypass
    c.SetHpFreqUp(true);        // the crossover
    c.SetOutputValue(1, L"output_menu_front_right_high_freq");  // position, crossover and trim
    AppTest::PumpUntil([&] { return ParsedRequests(emulator).size() >= 6u; }, 5000);
    AppTest::PumpUntil([] { return false; }, 200);
    const auto edits = ParsedRequests(emulator);
    EXPECT_GE(edits.size(), 6u);
    for (const AmpRequest& r : edits) {
        ASSERT_EQ(r.cmd, kAmpCmdDsp);
        EXPECT_EQ(r.payload[0], 0) << "scene byte of sub " << int(r.sub);
    }
    state = emulator.State();
    EXPECT_EQ(std::memcmp(state.scenes[3].outputs, stored3.outputs, sizeof stored3.outputs), 0);
    EXPECT_NE(std::memcmp(state.scenes[0].outputs[0].eq, playing.outputs[0].eq, sizeof playing.outputs[0].eq), 0);
    EXPECT_NE(std::memcmp(state.scenes[0].outputs[0].filter, playing.outputs[0].filter, 8), 0);
    EXPECT_EQ(state.scenes[0].outputs[1].type, 7);

    // ---- A save the amplifier does not acknowledge says so, and the row keeps what it showed ----
    emulator.ClearRequests();
    MainWindowRun::BoxesSeen().clear();
    emulator.AddFault({AmpFault::NotReady, F, 0x08, kAmpOpSet, 0, 1});
    const AmpScene stored4 = emulator.State().scenes[4];
    int waited = 0;
    Script unacknowledged({
        [&] { PostMenuClick(run.handle, L"scene_item_saveas_scene"); return true; },
        [&] { return (seen = OpenSceneWnd()) != nullptr && seen->CurrentRow() == 2; },
        [&] { return ConfirmRow(seen, 3); },
        [&] { return EnterName(L"Hall", false); },
        [&] { return !RequestsOf(emulator, F, 0x08).empty() && Settled(run); },
        // The worker's end is on its way by now: a little longer for the box it brings.
        [&] { return BoxSeen(Text(L"${save_scene_fail}")) || ++waited > 100; },
        [&] {
            EXPECT_TRUE(BoxSeen(Text(L"${save_scene_fail}")));
            EXPECT_EQ(seen->RowText(3), L"");
            EXPECT_EQ(seen->CurrentRow(), 2) << "the amplifier's current scene is still 3";
            return PostClick(seen->GetPaintManager(), L"cancel_btn");
        },
    });
    ASSERT_TRUE(RunScript(unacknowledged)) << "stopped after step " << unacknowledged.StepsDone();
    emulator.ClearFaults();
    EXPECT_FALSE(BoxSeen(Text(L"${save_scene_ok}")));
    EXPECT_STREQ(c.sceneNames[3], L"");
    EXPECT_FALSE(c.validSceneMask & (1u << 3));
    ASSERT_EQ(RequestsOf(emulator, F, 0x08).size(), 1u);
    state = emulator.State();
    EXPECT_FALSE(state.directory.validMask & (1u << 3));
    EXPECT_EQ(state.directory.currentScene, 3);
    EXPECT_EQ(std::memcmp(&state.scenes[4], &stored4, sizeof stored4), 0);

    // ---- Delete scene 1: the row empties before the amplifier answers ----
    emulator.ClearRequests();
    std::wstring rowAtOnce = L"?";
    Script remove({
        [&] { PostMenuClick(run.handle, L"scene_item_delete_scene"); return true; },
        [&] { return (seen = OpenSceneWnd()) != nullptr; },
        [&] {
            EXPECT_EQ(seen->GetMode(), CSceneWnd::kDelete);
            auto* list = dynamic_cast<CListUI*>(seen->GetPaintManager()->FindControlByName(L"listview"));
            list->SelectItem(0);
            // Confirming runs the delete at once; no question is asked.
            seen->GetPaintManager()->FindControlByName(L"confirm_btn")->Activate();
            rowAtOnce = seen->RowText(0);
            return true;
        },
        [&] { return Settled(run) && !RequestsOf(emulator, F, 0x0A).empty(); },
        [&] { return PostClick(seen->GetPaintManager(), L"closebtn"); },
    });
    ASSERT_TRUE(RunScript(remove)) << "stopped after step " << remove.StepsDone();
    EXPECT_EQ(rowAtOnce, L"");
    auto deletes = RequestsOf(emulator, F, 0x0A);
    ASSERT_EQ(deletes.size(), 1u);
    EXPECT_EQ(deletes[0].payload, (std::vector<uint8_t>{1}));
    state = emulator.State();
    EXPECT_EQ(state.directory.names[0][0], 0xFF);
    EXPECT_FALSE(state.directory.validMask & 1u);
    EXPECT_STREQ(c.sceneNames[0], L"");
    EXPECT_STREQ(c.sceneNames[1], L"Road");
    EXPECT_EQ(MainWindowRun::PopupsCreated(), MainWindowRun::PopupsDestroyed());

    // ---- Activating a row in load mode marks it even when the user declines the load ----
    emulator.ClearRequests();
    MainWindowRun::BoxesSeen().clear();
    Script decline({
        [&] { PostMenuClick(run.handle, L"scene_item_load_scene"); return true; },
        // Scene 3, saved last, is the amplifier's current scene.
        [&] { return (seen = OpenSceneWnd()) != nullptr && seen->CurrentRow() == 2; },
        [&] {
            auto* list = dynamic_cast<CListUI*>(seen->GetPaintManager()->FindControlByName(L"listview"));
            list->SelectItem(0);
            // The question (scene 1 is empty now) is answered "no" as it opens.
            seen->GetPaintManager()->RaiseNotify(list->GetItemAt(0), L"itemactivate", 0, 0, false);
            return true;
        },
        [&] {
            EXPECT_EQ(seen->CurrentRow(), 0);
            return PostClick(seen->GetPaintManager(), L"cancel_btn");
        },
    });
    ASSERT_TRUE(RunScript(decline)) << "stopped after step " << decline.StepsDone();
    const std::wstring emptyQuestion = Text(L"${load_scene_tips2}");
    ASSERT_EQ(MainWindowRun::BoxesSeen().size(), 1u);
    EXPECT_EQ(MainWindowRun::BoxesSeen()[0].substr(0, emptyQuestion.find(L'%')),
              emptyQuestion.substr(0, emptyQuestion.find(L'%')));
    EXPECT_TRUE(RequestsOf(emulator, F, 0x09).empty());

    // ---- A load whose read-back is given up (three getters unanswered) ends disconnected, saying so ----
    emulator.SetRealTime(false);  // unanswered requests cost no time
    emulator.AddFault({AmpFault::NoReply, kAmpCmdDsp, -1, kAmpOpGet, 0, -1});
    MainWindowRun::BoxesSeen().clear();
    MainWindowRun::ConfirmContaining() = L"Road";
    Script failing({
        [&] { PostMenuClick(run.handle, L"scene_item_load_scene"); return true; },
        [&] { return (seen = OpenSceneWnd()) != nullptr; },
        [&] { return ConfirmRow(seen, 1); },
        [&] { return BoxSeen(Text(L"${device_connect_fail}")) && Settled(run); },
        [&] { return PostClick(seen->GetPaintManager(), L"cancel_btn"); },
    });
    ASSERT_TRUE(RunScript(failing)) << "stopped after step " << failing.StepsDone();
    EXPECT_TRUE(run.WaitDisconnected());
    EXPECT_EQ(run.TextOf(L"btnConnect"), Text(L"${btn_disconnected}"));
    EXPECT_EQ(c.Device().mQueueEnabled.load(), 0);
}

TEST(SceneWindow, ReplugOrClosingDuringAWholeProfileSaveWritesNothing) {
    AppTest::SettingsFileGuard settings;
    AmpEmulator emulator;
    emulator.SetRealTime(true);
    MainWindowRun run(emulator);
    ASSERT_TRUE(run.WaitConnected());
    const std::wstring path = TempFilePath(L"scenes_close_test.wpf");
    _wremove(path.c_str());
    EqualizerManager::ProfileDialogSeam() = [&](HWND, bool, bool, wchar_t* out, DWORD) {
        wcscpy(out, path.c_str());
        return true;
    };
    auto handshakes = [&] { return RequestsOf(emulator, kAmpCmdMcu, 0x08).size(); };
    MainWindowRun::BoxesSeen().clear();

    // A quick replug while the save reads: no second read-back beside it, the save says it failed and
    // writes nothing, and the amplifier is connected once the save has ended.
    emulator.ClearRequests();
    AppTest::RunLater(1500, [&] {
        emulator.Unplug();
        emulator.Replug();
    });
    PostMenuClick(run.handle, L"scene_item_save_whole");
    EXPECT_TRUE(run.WaitForBox(L"${profile_read_fail}", 60000));
    EXPECT_TRUE(run.WaitConnected());
    // The save's own read of the live set, then, once the save has given up, the connect's.
    EXPECT_EQ(handshakes(), 2u);
    const auto requests = ParsedRequests(emulator);
    size_t lastSceneRead = 0, secondHandshake = 0;
    for (size_t i = 0; i < requests.size(); ++i) {
        const AmpRequest& r = requests[i];
        const bool sceneGetter = r.cmd == kAmpCmdDsp && r.IsGet() && !r.payload.empty() && r.payload[0] >= 1;
        if ((r.cmd == kAmpCmdFlash && r.sub == 0x09) || sceneGetter) lastSceneRead = i;
        if (r.cmd == kAmpCmdMcu && r.sub == 0x08) secondHandshake = i;
    }
    EXPECT_GT(lastSceneRead, 0u);
    EXPECT_GT(secondHandshake, lastSceneRead);
    EXPECT_EQ(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
    for (const std::wstring& box : MainWindowRun::BoxesSeen()) EXPECT_NE(box, Text(L"${profile_save_ok}"));

    // Closing the main window during the save joins the worker.
    bool runningAtClose = false;
    AppTest::RunLater(1500, [&] {
        runningAtClose = run.Controller().IsSceneWorkerRunning();
        PostMessageW(run.handle, WM_CLOSE, 0, 0);
    });
    PostMenuClick(run.handle, L"scene_item_save_whole");
    EXPECT_TRUE(AppTest::PumpUntil([&] { return !IsWindow(run.handle); }, 20000));
    EXPECT_TRUE(runningAtClose);
    EXPECT_FALSE(run.Controller().IsSceneWorkerRunning());
    EXPECT_EQ(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);  // nothing half-read was written
    EqualizerManager::ProfileDialogSeam() = &EqualizerManager::ShowProfileDialog;
}
