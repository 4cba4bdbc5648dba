// The forced update against the emulated amplifier, in a program that carries its two images (see
// FirmwareImages.rc): an amplifier with older firmware is asked about, the images are written out, the
// window runs the MCU stage, waits for the amplifier's return, runs the DSP stage (and the factory reset
// when asked) and ends complete; the amplifier is read again. Stages that fail end with a message and
// are repeated by the next start; a factory reset the amplifier refuses ends the sequence unfinished.
#include "AppTestSupport.h"
#include "FirmwareWindowsTestSupport.h"
#include "TextFormat.h"
#include "windows/ForceUpdateImages.h"

#include <gtest/gtest.h>

#include <cstdio>

using namespace ControllerTest;
using namespace FirmwareTest;
using namespace SceneTest;
using namespace SkinUI;

namespace {

const Bytes kMcuImage = Wrapper(1, 94, {0xA1, 0xB2, 0xC3, 0xD4}, Pattern(70, 5));
const Bytes kFlashImage = Wrapper(2, 94, {0x11, 0x22, 0x33, 0x44}, Pattern(120, 9));

Bytes FileBytes(const std::wstring& path) {
    Bytes bytes;
    if (FILE* f = _wfopen(path.c_str(), L"rb")) {
        int c;
        while ((c = fgetc(f)) != EOF) bytes.push_back(static_cast<uint8_t>(c));
        fclose(f);
    }
    return bytes;
}

void WriteFile(const std::wstring& path, const Bytes& bytes) {
    if (FILE* f = _wfopen(path.c_str(), L"wb")) {
        fwrite(bytes.data(), 1, bytes.size(), f);
        fclose(f);
    }
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void Older(AmpState& s) { s.identity.slaveVersion = 17; }

// As a real amplifier: after each stage it is off the bus for a moment, and the system reports it gone
// and back, which lets the window go on. The test lets each arrival in once it has seen what the window
// shows meanwhile.
void RestartsTakeAMoment(AppRig& rig) {
    rig.emulator.SetRealTime(true);
    rig.emulator.SetRestartDelay(0, 300);
    rig.HoldArrivals();
}

// The new MCU firmware reports its version.
void NewFirmware(AppRig& rig) {
    rig.emulator.EditState([](AmpState& s) { s.identity.slaveVersion = 19; });
}

// The user unplugs the amplifier and plugs it in again.
void Replug(AppRig& rig) {
    rig.emulator.Unplug();
    rig.emulator.Replug();
}

int BoxesContaining(const std::wstring& part) {
    int count = 0;
    for (const std::wstring& text : MainWindowRun::BoxesSeen())
        if (text.find(part) != std::wstring::npos) ++count;
    return count;
}

void ExpectConnectedAndSending(AppRig& rig) {
    ASSERT_TRUE(rig.run->WaitConnected());
    EXPECT_EQ(rig.Controller().Device().mQueueEnabled.load(), 1);
    EXPECT_EQ(rig.Controller().forceUpdateRunning, 0);
    EXPECT_FALSE(FirmwareUpdateBusy());
}

TEST(ForceUpdateImages, AreWrittenToTheTemporaryFolderAndAMissingOneIsAnError) {
    std::wstring mcu, flash;
    ASSERT_EQ(PrepareForceUpdateImages(kMcuImageResource, kFlashImageResource, mcu, flash), 0);
    EXPECT_EQ(mcu, TempFilePath(L"MCU_UPG.bin"));
    EXPECT_EQ(flash, TempFilePath(L"FLASH_UPG.bin"));
    EXPECT_EQ(FileBytes(mcu), kMcuImage);
    EXPECT_EQ(FileBytes(flash), kFlashImage);
    // Error codes: the MCU image's own, the flash image's plus 6; neither file is left behind.
    EXPECT_EQ(PrepareForceUpdateImages(kMcuImageResource, L"IDR_NO_SUCH_IMAGE", mcu, flash), 7);
    EXPECT_FALSE(Exists(mcu));
    EXPECT_FALSE(Exists(flash));
    EXPECT_EQ(PrepareForceUpdateImages(L"IDR_NO_SUCH_IMAGE", kFlashImageResource, mcu, flash), 1);
    EXPECT_FALSE(Exists(mcu));
    EXPECT_FALSE(Exists(flash));
    // Without TMP the system's temporary folder is used.
    wchar_t saved[MAX_PATH] = L"";
    const DWORD length = GetEnvironmentVariableW(L"TMP", saved, MAX_PATH);
    SetEnvironmentVariableW(L"TMP", nullptr);
    wchar_t system[MAX_PATH] = L"";
    GetTempPathW(MAX_PATH, system);
    EXPECT_EQ(PrepareForceUpdateImages(kMcuImageResource, kFlashImageResource, mcu, flash), 0);
    EXPECT_EQ(mcu, std::wstring(system) + L"MCU_UPG.bin");
    EXPECT_EQ(FileBytes(mcu), kMcuImage);
    if (length > 0 && length < MAX_PATH) SetEnvironmentVariableW(L"TMP", saved);
}

TEST(ForceUpdate, BothStagesWithTheRestartBetweenThenTheAmplifierIsReadAgain) {
    AppRig rig(Older);
    RestartsTakeAMoment(rig);
    MainWindowRun::ConfirmContaining() = L"v1.17";  // the question names the amplifier's firmware
    ProgressRecorder progress;
    CForceUpdateWnd* window = nullptr;
    std::vector<int> mcuProgress;
    size_t requestsBefore = 0;
    Script script({
        [&] { return (window = ForceWindow()) != nullptr; },
        [&] {
            EXPECT_EQ(TextIn(window, L"mcu_file"), TempFilePath(L"MCU_UPG.bin"));
            EXPECT_EQ(TextIn(window, L"flash_file"), TempFilePath(L"FLASH_UPG.bin"));
            EXPECT_EQ(FileBytes(TempFilePath(L"FLASH_UPG.bin")), kFlashImage);
            EXPECT_TRUE(EnabledIn(window, L"update_btn"));
            return PostClick(Pm(window), L"check_box_facotry") && PostClick(Pm(window), L"update_btn");
        },
        [&] {
            EXPECT_FALSE(EnabledIn(window, L"update_btn"));
            EXPECT_FALSE(EnabledIn(window, L"cancel_btn"));
            EXPECT_FALSE(EnabledIn(window, L"closebtn"));
            TryToClose(window);
            PostMessageW(rig.run->handle, WM_CLOSE, 0, 0);
            return true;
        },
        [&] { return StatusIs(window, L"${update_reboot_mcu}"); },
        [&] {
            EXPECT_EQ(ForceWindow(), window);
            EXPECT_EQ(ProgressIn(window, L"mcu_progress"), 100);
            EXPECT_EQ(ProgressIn(window, L"flash_progress"), 0);
            EXPECT_TRUE(ImageReceived(rig.emulator, AmpFirmwareTarget::Mcu, kMcuImage));
            mcuProgress = progress.Values();
            progress.Clear();
            NewFirmware(rig);
            // Waiting for the amplifier: still nothing closes the window.
            TryToClose(window);
            return true;
        },
        [&] { return rig.LetArrivalIn(); },
        [&] { return StatusIs(window, L"${update_reboot_flash}"); },
        [&] {
            EXPECT_EQ(ForceWindow(), window);
            EXPECT_EQ(ProgressIn(window, L"flash_progress"), 100);
            EXPECT_TRUE(ImageReceived(rig.emulator, AmpFirmwareTarget::DspFlash, kFlashImage));
            return rig.LetArrivalIn();
        },
        [&] { return StatusIs(window, L"${update_factory_reboot}"); },
        [&] { return !EnabledIn(window, L"cancel_btn") && rig.LetArrivalIn(); },
        [&] { return StatusIs(window, L"${update_finish}"); },
        [&] {
            EXPECT_TRUE(window->IsFinished());
            EXPECT_TRUE(EnabledIn(window, L"cancel_btn"));
            requestsBefore = ParsedRequests(rig.emulator).size();
            return PostClick(Pm(window), L"cancel_btn");
        },
        [&] { return ForceWindow() == nullptr; },
    });
    ASSERT_TRUE(ToolTest::RunWatched(script, L"ForceUpdateWnd")) << "stopped after step " << script.StepsDone();
    EXPECT_TRUE(IsWindow(rig.run->handle));
    EXPECT_FALSE(AppTest::QuitSeen());
    EXPECT_EQ(mcuProgress, (std::vector<int>{8, 54, 100}));
    EXPECT_EQ(progress.Values(), (std::vector<int>{41, 83, 100}));
    EXPECT_EQ(RequestsOf(rig.emulator, kAmpCmdMcu, 0x90).size(), 1u);  // the factory reset
    ExpectConnectedAndSending(rig);
    EXPECT_GT(ParsedRequests(rig.emulator).size(), requestsBefore + 100);  // read whole again
    EXPECT_EQ(BoxesContaining(L"v1.17"), 1);  // asked once; the new firmware asks nothing more
    EXPECT_EQ(BoxesContaining(AppTest::Text(L"${device_plugout}")), 0);
}

TEST(ForceUpdate, ClosedBeforeAnyStageTheAmplifierIsReadAgainOnlyWhenItWasPluggedInMeanwhile) {
    AppRig rig(Older);
    MainWindowRun::ConfirmContaining() = L"v1.17";
    const std::wstring question = L"v1.17";
    CForceUpdateWnd* window = nullptr;
    size_t requestsBefore = 0;
    Script script({
        // Closed at once: nothing happened to the amplifier, nothing is read.
        [&] { return (window = ForceWindow()) != nullptr; },
        [&] {
            requestsBefore = ParsedRequests(rig.emulator).size();
            return PostClick(Pm(window), L"cancel_btn");
        },
        [&] { return ForceWindow() == nullptr; },
        [&] {
            EXPECT_EQ(ParsedRequests(rig.emulator).size(), requestsBefore);
            EXPECT_FALSE(rig.Controller().IsReadRunning());
            EXPECT_EQ(rig.Controller().Device().mQueueEnabled.load(), 1);
            Replug(rig);  // connected and read as usual, and asked about again
            return true;
        },
        [&] { return (window = ForceWindow()) != nullptr; },
        [&] {
            // While it waits for a start, the amplifier is plugged out and in again, changed meanwhile.
            rig.emulator.Unplug();
            EXPECT_FALSE(rig.Controller().Device().IsConnected());
            rig.emulator.EditState([](AmpState& s) { s.scenes[0].outputs[1].trim[0] = 9; });
            rig.emulator.Replug();
            return true;
        },
        [&] { return rig.Controller().Device().IsConnected(); },
        [&] {
            EXPECT_EQ(window->GetStage(), CForceUpdateWnd::kIdle);
            MainWindowRun::ConfirmContaining().clear();  // the next question is declined
            requestsBefore = ParsedRequests(rig.emulator).size();
            return PostClick(Pm(window), L"cancel_btn");
        },
        [&] { return ForceWindow() == nullptr; },
    });
    ASSERT_TRUE(RunScript(script)) << "stopped after step " << script.StepsDone();
    ExpectConnectedAndSending(rig);
    // The whole amplifier was read again after the close, and the page shows the value changed meanwhile.
    const std::vector<AmpRequest> requests = ParsedRequests(rig.emulator);
    ASSERT_GE(requests.size(), requestsBefore + 127);
    int handshakes = 0;
    for (size_t i = requestsBefore; i < requests.size(); ++i)
        if (requests[i].cmd == kAmpCmdMcu && requests[i].sub == 0x08) ++handshakes;
    EXPECT_EQ(handshakes, 1);
    EXPECT_EQ(rig.run->TextOf(L"edit_ch_volume_1"), L"-9dB");
    EXPECT_FLOAT_EQ(rig.Controller().config.channels[1].gain, -9.0f);
    // The read found the old firmware once more and asked again.
    EXPECT_TRUE(AppTest::PumpUntil([&] { return BoxesContaining(question) == 3; }));
    EXPECT_EQ(ForceWindow(), nullptr);
}

TEST(ForceUpdate, AFailedStageEndsWithAMessageAndTheNextStartRepeatsIt) {
    AppRig rig(Older);
    RestartsTakeAMoment(rig);
    MainWindowRun::ConfirmContaining() = L"v1.17";
    // The MCU stage's enter-upgrade command goes unanswered once.
    rig.emulator.AddFault({AmpFault::NoReply, kAmpCmdMcu, 0x01, -1, 0, 1});
    CForceUpdateWnd* window = nullptr;
    const std::wstring flashPath = TempFilePath(L"FLASH_UPG.bin");
    auto failedWith = [&](const wchar_t* key) {
        if (!StatusIs(window, key)) return false;
        EXPECT_EQ(window->GetStage(), CForceUpdateWnd::kIdle);
        EXPECT_TRUE(EnabledIn(window, L"update_btn"));
        EXPECT_TRUE(EnabledIn(window, L"cancel_btn"));
        EXPECT_FALSE(window->IsBusy());
        EXPECT_FALSE(window->IsFinished());
        return true;
    };
    Script script({
        [&] { return (window = ForceWindow()) != nullptr; },
        [&] { return PostClick(Pm(window), L"check_box_facotry") && PostClick(Pm(window), L"update_btn"); },
        [&] { return failedWith(L"${update_start_refused}"); },
        // It restarted without a word: the link is gone until the amplifier is plugged in again.
        [&] { return PostClick(Pm(window), L"update_btn"); },
        [&] { return StatusIs(window, L"${please_plug_out_and_in}"); },
        [&] {
            Replug(rig);
            return rig.LetArrivalIn() && PostClick(Pm(window), L"update_btn");
        },
        [&] { return StatusIs(window, L"${update_reboot_mcu}"); },
        [&] {
            WriteFile(flashPath, {2, 94, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15});  // a bad file
            NewFirmware(rig);
            return rig.LetArrivalIn();
        },
        [&] { return failedWith(L"${load_fw_fail}"); },
        [&] {
            EXPECT_EQ(ProgressIn(window, L"mcu_progress"), 100);
            WriteFile(flashPath, kFlashImage);
            rig.emulator.AddFault({AmpFault::Vanish, kAmpCmdFlash, 0x04, -1, 1, 1});  // unplugged mid-transfer
            return PostClick(Pm(window), L"update_btn");
        },
        [&] { return failedWith(L"${update_fail}"); },
        [&] {
            rig.emulator.Replug();  // back, with nothing waiting for it
            return rig.LetArrivalIn();
        },
        [&] { return rig.Controller().Device().IsConnected() && window->GetStage() == CForceUpdateWnd::kIdle; },
        [&] { return PostClick(Pm(window), L"update_btn"); },  // the DSP stage again, not the MCU one
        [&] { return StatusIs(window, L"${update_reboot_flash}"); },
        [&] {
            rig.emulator.AddFault({AmpFault::NotReady, kAmpCmdMcu, 0x90});  // the factory reset is refused
            return ImageReceived(rig.emulator, AmpFirmwareTarget::DspFlash, kFlashImage) && rig.LetArrivalIn();
        },
        [&] { return failedWith(L"${update_factory_fail}"); },
        [&] {
            Replug(rig);  // no restart came; a replug does not make the update complete
            return rig.LetArrivalIn();
        },
        [&] { return rig.Controller().Device().IsConnected(); },
        [&] {
            EXPECT_TRUE(StatusIs(window, L"${update_factory_fail}"));
            EXPECT_FALSE(window->IsFinished());
            return PostClick(Pm(window), L"closebtn");
        },
        [&] { return ForceWindow() == nullptr; },
    });
    ASSERT_TRUE(ToolTest::RunWatched(script, L"ForceUpdateWnd")) << "stopped after step " << script.StepsDone();
    EXPECT_EQ(RequestsOf(rig.emulator, kAmpCmdMcu, 0x90).size(), 1u);  // the refused factory reset
    EXPECT_EQ(RequestsOf(rig.emulator, kAmpCmdMcu, 0x02).size(), 1u);  // one MCU start: not repeated
    ExpectConnectedAndSending(rig);
}

}  // namespace
