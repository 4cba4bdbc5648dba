// The user-started firmware update through the real window against the emulated amplifier: the menu
// opens it, the file is chosen, the upload runs with its progress shown and ends with the amplifier's
// image equal to the file's, and the amplifier is connected and read again afterwards. Failures (a bad
// file, no acknowledgement, an unplug) end in a message and a reconnect that works; while an upload
// runs nothing closes the window or the program.
#include "AppTestSupport.h"
#include "FirmwareWindowsTestSupport.h"

#include <gtest/gtest.h>

#include <cwchar>

using namespace ControllerTest;
using namespace FirmwareTest;
using namespace SceneTest;
using namespace SkinUI;

namespace {

const uint8_t M = kAmpCmdMcu, F = kAmpCmdFlash;

// The file dialog answers with this path.
void ChooseInDialog(const std::wstring& path) {
    CUpdateFwWnd::FileDialogSeam() = [path](HWND, wchar_t* out, DWORD capacity) {
        wcsncpy(out, path.c_str(), capacity - 1);
        out[capacity - 1] = 0;
        return true;
    };
}

// Dispatches what is waiting in this thread's queue, as a modal dialog's own loop does.
void PumpPending() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// The file dialog as the system runs it over the window: modal, it takes the focus, and a mouse button
// still held when it opens is let go over it. It answers with this path.
void ChooseInModalDialog(const std::wstring& path, bool& buttonHeld) {
    CUpdateFwWnd::FileDialogSeam() = [path, &buttonHeld](HWND owner, wchar_t* out, DWORD capacity) {
        const HWND dialog =
            CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 320, 200, owner, nullptr, nullptr, nullptr);
        EnableWindow(owner, FALSE);
        SetFocus(dialog);
        buttonHeld = false;
        PumpPending();
        wcsncpy(out, path.c_str(), capacity - 1);
        out[capacity - 1] = 0;
        EnableWindow(owner, TRUE);
        DestroyWindow(dialog);
        SetFocus(owner);  // the dialog's end activates its owner again
        return true;
    };
}

bool BoxSeen(const wchar_t* key) {
    const std::wstring text = AppTest::Text(key);
    for (const std::wstring& seen : MainWindowRun::BoxesSeen())
        if (seen.find(text) != std::wstring::npos) return true;
    return false;
}

bool Increasing(const std::vector<int>& values) {
    for (size_t i = 1; i < values.size(); ++i)
        if (values[i] <= values[i - 1]) return false;
    return !values.empty();
}

// The window open from the menu with the file chosen in its dialog.
std::vector<std::function<bool()>> OpenAndChoose(AppRig& rig, CUpdateFwWnd*& window, const std::wstring& path) {
    return {
        [&rig] {
            PostMenuClick(rig.run->handle, L"option_item_firmware_upgrade");
            return true;
        },
        [&window] { return (window = UpdateWindow()) != nullptr; },
        [&window, path] {
            ChooseInDialog(path);
            return PostClick(Pm(window), L"file_btn");
        },
        [&window, path] { return TextIn(window, L"file_path_edt") == path; },
    };
}

std::vector<std::function<bool()>> Then(std::vector<std::function<bool()>> steps,
                                        std::initializer_list<std::function<bool()>> more) {
    steps.insert(steps.end(), more.begin(), more.end());
    return steps;
}

// The amplifier connected, read and sending again: the button says so and the queue is on.
void ExpectReadAgain(AppRig& rig, size_t requestsBefore) {
    ASSERT_TRUE(rig.run->WaitConnected());
    EXPECT_EQ(rig.Controller().Device().mQueueEnabled.load(), 1);
    const std::vector<AmpRequest> after = ParsedRequests(rig.emulator);
    int handshakes = 0;
    for (size_t i = requestsBefore; i < after.size(); ++i)
        if (after[i].cmd == M && after[i].sub == 0x08) ++handshakes;
    EXPECT_GE(handshakes, 1) << "no handshake after the upload";
}

TEST(UserUpdate, McuBootLoaderAndDspToCompletionThenTheAmplifierIsReadAgain) {
    AppRig rig;
    ASSERT_TRUE(rig.run->WaitConnected());
    TempDir dir;
    struct Case {
        const wchar_t* file;
        AmpFirmwareTarget target;
        Bytes wrapper;
        bool slow;      // paced, so that the closes below come while it runs
        bool restarts;  // the amplifier restarts at the end: the window waits for it, then closes
    } cases[] = {
        {L"KTR3.500DSP_MCU_UPG.bin", AmpFirmwareTarget::Mcu, Wrapper(1, 94, {1, 2, 3, 4}, Pattern(70, 3)), false, true},
        {L"KTR3.500DSP_BL_UPG.bin", AmpFirmwareTarget::Bootloader, Wrapper(1, 94, {5, 6, 7, 8}, Pattern(100, 4)),
         false, false},
        {L"KTR3.500DSP_FLASH_UPG.bin", AmpFirmwareTarget::DspFlash, Wrapper(2, 94, {9, 8, 7, 6}, Pattern(2000, 6)),
         true, true},
    };
    // As a real amplifier: it takes a moment to come back after a restart, and the system says so, once
    // the window has been looked at meanwhile.
    rig.emulator.SetRealTime(true);
    rig.emulator.SetRestartDelay(0, 800);
    rig.HoldArrivals();
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.file, c.file + wcslen(c.file)));
        ProgressRecorder progress;
        const size_t requestsBefore = ParsedRequests(rig.emulator).size();
        const std::wstring path = dir.Write(c.file, c.wrapper);
        CUpdateFwWnd* window = nullptr;
        int uploads = 0;
        Script script(Then(OpenAndChoose(rig, window, path), {
            [&] {
                if (c.slow) rig.emulator.SetReplyDelay(25);
                return PostClick(Pm(window), L"update_btn");
            },
            [&] {
                if (!c.slow) return true;
                EXPECT_TRUE(window->IsUploading());
                EXPECT_FALSE(EnabledIn(window, L"update_btn"));
                EXPECT_FALSE(EnabledIn(window, L"cancel_btn"));
                EXPECT_FALSE(EnabledIn(window, L"file_btn"));
                TryToClose(window);
                PostMessageW(rig.run->handle, WM_CLOSE, 0, 0);
                return true;
            },
            [&] {
                // Every close was refused: the window, the main window and the program are still there.
                EXPECT_EQ(UpdateWindow(), window);
                EXPECT_TRUE(IsWindow(rig.run->handle));
                return StatusIs(window, L"${update_ok}");
            },
            [&] {
                rig.emulator.SetReplyDelay(0);
                EXPECT_EQ(ProgressIn(window, L"progress"), 100);
                EXPECT_TRUE(EnabledIn(window, L"update_btn"));
                ++uploads;
                // Off the bus while it restarts: the page says so, and a second start is told to wait.
                return !c.restarts || !rig.Controller().Device().IsConnected();
            },
            [&] {
                if (c.restarts) {
                    EXPECT_EQ(rig.run->TextOf(L"btnConnect"), AppTest::Text(L"${btn_disconnected}"));
                    return PostClick(Pm(window), L"update_btn");
                }
                // Still on the bus: the same window takes a second upload.
                rig.emulator.EditState([&](AmpState& s) { s.Upgrade(c.target) = AmpUpgradeRecord(); });
                progress.Clear();
                return PostClick(Pm(window), L"update_btn") && ++uploads;
            },
            [&] { return c.restarts || (StatusIs(window, L"${update_ok}") && !window->IsUploading()); },
            [&] {
                if (c.restarts) return true;
                // Nothing restarts after a boot-loader upload: a lost connection is not waited for.
                rig.emulator.Unplug();
                return PostClick(Pm(window), L"update_btn");
            },
            [&] { return StatusIs(window, c.restarts ? L"${update_wait_restart}" : L"${please_plug_out_and_in}"); },
            // Back on the bus, it is read again and the window closes itself; the idle one the user closes,
            // and plugs the amplifier in again.
            [&] { return c.restarts ? rig.LetArrivalIn() : PostClick(Pm(window), L"cancel_btn"); },
            [&] { return UpdateWindow() == nullptr; },
        }));
        ASSERT_TRUE(ToolTest::RunWatched(script, L"UpdateFwWnd")) << "stopped after step " << script.StepsDone();
        if (!c.restarts) {
            rig.emulator.Replug();
            EXPECT_TRUE(rig.LetArrivalIn());
        }
        EXPECT_EQ(uploads, c.restarts ? 1 : 2);
        EXPECT_FALSE(AppTest::QuitSeen());
        EXPECT_TRUE(Increasing(progress.Values()));
        EXPECT_EQ(progress.Values().back(), 100);
        EXPECT_TRUE(ImageReceived(rig.emulator, c.target, c.wrapper));
        ExpectReadAgain(rig, requestsBefore);
    }
    EXPECT_FALSE(BoxSeen(L"${device_plugout}"));
    EXPECT_FALSE(BoxSeen(L"${device_connect_fail}"));
}

TEST(UserUpdate, TheFirstClickOnUpdateAfterAFileWasPickedStartsTheUpload) {
    AppRig rig;
    ASSERT_TRUE(rig.run->WaitConnected());
    TempDir dir;
    const Bytes mcu = Wrapper(1, 94, {1, 2, 3, 4}, Pattern(70, 3));
    const std::wstring path = dir.Write(L"KTR3.500DSP_MCU_UPG.bin", mcu);
    struct Case {
        const char* how;
        const wchar_t* control;    // clicked to pick the file
        bool releasedBeforeDialog;  // else the button is let go over the dialog
    } cases[] = {
        {"into the empty path box, let go over the dialog", L"file_path_edt", false},
        {"into the empty path box, let go before the dialog opens", L"file_path_edt", true},
        {"on Browse", L"file_btn", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        rig.emulator.EditState([](AmpState& s) { s.Upgrade(AmpFirmwareTarget::Mcu) = AmpUpgradeRecord(); });
        const size_t requestsBefore = ParsedRequests(rig.emulator).size();
        const size_t entersBefore = RequestsOf(rig.emulator, M, 0x01).size();
        CUpdateFwWnd* window = nullptr;
        std::unique_ptr<ToolTest::Driver> mouse;
        bool buttonHeld = false;
        bool started = false;
        Script script({
            [&] {
                PostMenuClick(rig.run->handle, L"option_item_firmware_upgrade");
                return true;
            },
            [&] { return (window = UpdateWindow()) != nullptr; },
            [&] {
                ChooseInModalDialog(path, buttonHeld);
                mouse = std::make_unique<ToolTest::Driver>(Pm(window));
                buttonHeld = true;
                mouse->Press(c.control);
                if (c.releasedBeforeDialog && buttonHeld) {
                    buttonHeld = false;
                    mouse->Release();
                }
                return true;
            },
            [&] { return TextIn(window, L"file_path_edt") == path; },
            [&] {
                // One click, as the user makes it.
                mouse->Press(L"update_btn");
                mouse->Release();
                started = window->UploadStarted();
                return true;
            },
            // The upload restarts the amplifier; once back, it is read again and the window closes itself.
            [&] { return !started || UpdateWindow() == nullptr; },
            [&] { return UpdateWindow() == nullptr || PostClick(Pm(window), L"cancel_btn"); },
            [&] { return UpdateWindow() == nullptr; },
        });
        ASSERT_TRUE(RunScript(script)) << "stopped after step " << script.StepsDone();
        EXPECT_TRUE(started) << "the first click on Update started nothing";
        EXPECT_EQ(RequestsOf(rig.emulator, M, 0x01).size(), entersBefore + 1);
        EXPECT_TRUE(ImageReceived(rig.emulator, AmpFirmwareTarget::Mcu, mcu));
        ExpectReadAgain(rig, requestsBefore);
    }
    CUpdateFwWnd::FileDialogSeam() = &CUpdateFwWnd::ShowFileDialog;
}

TEST(UserUpdate, UnpluggedMidTransferItFailsThenTheReplugReconnectsAndASecondTryCompletes) {
    AppRig rig;
    ASSERT_TRUE(rig.run->WaitConnected());
    TempDir dir;
    const Bytes dsp = Wrapper(2, 94, {4, 3, 2, 1}, Pattern(300, 8));
    CUpdateFwWnd* window = nullptr;
    const std::wstring dspPath = dir.Write(L"KTR3.500DSP_FLASH_UPG.bin", dsp);
    rig.emulator.AddFault({AmpFault::Vanish, F, 0x04, -1, 2, 1});
    MainWindowRun::BoxesSeen().clear();
    Script unplug(Then(OpenAndChoose(rig, window, dspPath), {
        [&] { return PostClick(Pm(window), L"update_btn"); },
        [&] { return StatusIs(window, L"${update_fail}"); },
        [&] {
            // The system reported it gone: the page shows it disconnected, without the plug-out box.
            EXPECT_FALSE(rig.Controller().Device().IsConnected());
            EXPECT_EQ(rig.run->TextOf(L"btnConnect"), AppTest::Text(L"${btn_disconnected}"));
            rig.emulator.Replug();
            return true;
        },
        // The reconnection closes the window and reads the amplifier, which answers from its upgrade mode.
        [&] { return UpdateWindow() == nullptr && !rig.Controller().IsReadRunning(); },
        [&] { return rig.Controller().Device().IsConnected() && !FindWindowW(L"LoadingWnd", nullptr); },
    }));
    ASSERT_TRUE(RunScript(unplug)) << "stopped after step " << unplug.StepsDone();
    EXPECT_FALSE(BoxSeen(L"${device_plugout}"));
    EXPECT_EQ(rig.emulator.State().mode, AmpMode::Upgrade);
    const size_t before = ParsedRequests(rig.emulator).size();
    Script retry(Then(OpenAndChoose(rig, window, dspPath), {
        [&] { return PostClick(Pm(window), L"update_btn"); },
        // The amplifier restarts into its normal firmware; once back the window closes itself.
        [&] { return UpdateWindow() == nullptr; },
    }));
    ASSERT_TRUE(RunScript(retry)) << "stopped after step " << retry.StepsDone();
    EXPECT_TRUE(ImageReceived(rig.emulator, AmpFirmwareTarget::DspFlash, dsp));
    EXPECT_EQ(rig.emulator.State().mode, AmpMode::Normal);
    ExpectReadAgain(rig, before);
}

TEST(UserUpdate, AnAbnormalAmplifierIsReportedAndTheUpdateWindowOffered) {
    AppRig rig([](AmpState& s) { s.identity.handshakeStatus = 0xF0; });
    CUpdateFwWnd* window = nullptr;
    // The window opens inside the main window's handler, once the box was answered.
    Script script({
        [&] { return (window = UpdateWindow()) != nullptr; },
        [&] {
            EXPECT_TRUE(BoxSeen(L"${device_status_unnormal}"));
            EXPECT_EQ(TextIn(window, L"file_path_edt"), L"");
            return PostClick(Pm(window), L"closebtn");
        },
        [&] { return UpdateWindow() == nullptr; },
    });
    ASSERT_TRUE(RunScript(script)) << "stopped after step " << script.StepsDone();
    EXPECT_TRUE(IsWindow(rig.run->handle));
}

TEST(UserUpdate, TheProgramNeitherClosesNorRestartsWhileAnUpdateRuns) {
    AppRig rig;
    ASSERT_TRUE(rig.run->WaitConnected());
    const HWND main = rig.run->handle;
    auto hold = std::make_unique<FirmwareBusyHold>();
    PostMessageW(main, WM_CLOSE, 0, 0);
    SendMessageW(main, WM_DISPLAYCHANGE, 32, MAKELPARAM(1920, 1080));
    AppTest::PumpUntil([] { return false; }, 300);
    EXPECT_TRUE(IsWindow(main));
    EXPECT_FALSE(rig.run->window->RestartRequested());
    // Once the update is over, the restart the display change asked for goes ahead.
    hold.reset();
    EXPECT_TRUE(AppTest::PumpUntil([&] { return !IsWindow(main); }, 10000));
    EXPECT_TRUE(rig.run->window->RestartRequested());
}

}  // namespace
