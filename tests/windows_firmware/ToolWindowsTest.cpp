// The DSP memory, About and power-off delay windows against the emulated amplifier, opened as
// the program opens them; each closes alone on Alt+F4, never the program. And the forced update's start
// in a program that carries no firmware images, as the one built here.
#include "AppTestSupport.h"
#include "FirmwareWindowsTestSupport.h"
#include "Settings.h"
#include "TextFormat.h"
#include "UIProgress.h"
#include "windows/AboutWnd.h"
#include "windows/MemWrWnd.h"
#include "windows/PowerOffDelayWnd.h"

#include <gtest/gtest.h>

#include <cstdio>

using namespace ControllerTest;
using namespace FirmwareTest;
using namespace SceneTest;
using namespace SkinUI;

namespace {

void Type(CWindowWnd* window, const wchar_t* name, const wchar_t* text, const wchar_t* notification = nullptr) {
    CControlUI* edit = Pm(window)->FindControlByName(name);
    ASSERT_NE(edit, nullptr) << "no control";
    edit->SetText(text);
    if (notification) Pm(window)->RaiseNotify(edit, notification, 0, 0, false);
}

// Alt+F4 closes the window alone: it goes, the main window stays and the program's loop goes on.
std::function<bool()> AltF4(CWindowWnd*& window, const HWND main) {
    return [&window, main] {
        PostMessageW(window->GetHandle(), WM_SYSCOMMAND, SC_CLOSE, 0);
        window = nullptr;
        EXPECT_TRUE(IsWindow(main));
        return true;
    };
}

// The marker file that shows the debug button, present while the object lives.
class DebugMarker {
public:
    DebugMarker() : m_path(CurrentDirectory() + L"\\debug.ini") {
        if (FILE* f = _wfopen(m_path.c_str(), L"w")) fclose(f);
    }
    ~DebugMarker() { DeleteFileW(m_path.c_str()); }

private:
    std::wstring m_path;
};

TEST(MemoryWindow, TypedNumbersReadAsDecimalHexOrOctal) {
    const struct {
        const wchar_t* text;
        uint32_t value;
    } cases[] = {
        {L"0x1F", 31}, {L"017", 15}, {L"19z", 19}, {L" 5", 0}, {L"", 0}, {nullptr, 0}, {L"0", 0}, {L"08", 0},
        {L"4096", 4096}, {L"0X7fffffff", 0x7FFFFFFF}, {L"0xFFFFFFFF", 0xFFFFFFFF}, {L"0xdeadBEEF", 0xDEADBEEF},
        {L"4294967297", 1}, {L"0x1/2", 1}, {L"/5", 0}, {L"-5", 0}, {L"0xg", 0}, {L"0777", 511},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseMemNumber(c.text), c.value) << (c.text ? c.text : L"(null)");
}

TEST(MemoryWindow, ReadsAndWritesWordsAndKeepsTheLastOnes) {
    DebugMarker marker;
    AppRig rig([](AmpState& s) { s.memory[0x1000] = 0xDEADBEEF; });
    ASSERT_TRUE(rig.run->WaitConnected());
    DeviceLink& link = rig.Controller().Device();
    const HWND main = rig.run->handle;
    CWindowWnd* window = nullptr;
    Script script({
        [&] { return PostClick(rig.run->window->GetPaintManager(), L"btn_debug"); },
        [&] { return (window = OpenWindow<CMemWrWnd>(L"MemWrWnd", L"memwrwnd")) != nullptr; },
        [&] {
            EXPECT_EQ(TextIn(window, L"addr_edit"), L"0x00000000");
            EXPECT_EQ(link.mReplyWnd[DeviceLink::kMemoryWnd].load(), window->GetHandle());
            Type(window, L"addr_edit", L"4096");
            return PostClick(Pm(window), L"read_btn");
        },
        [&] { return TextIn(window, L"data_edit") == L"0xdeadbeef"; },
        [&] {
            EXPECT_EQ(TextIn(window, L"addr_edit"), L"0x00001000");
            EXPECT_EQ(ReadSettingInt(L"mem_addr", 0), 4096);
            EXPECT_EQ(static_cast<uint32_t>(ReadSettingInt(L"mem_data", 0)), 0xDEADBEEFu);
            Type(window, L"addr_edit", L"0x2000");
            Type(window, L"data_edit", L"0x80000001");
            return PostClick(Pm(window), L"write_btn");
        },
        [&] {
            const auto memory = rig.emulator.State().memory;
            const auto it = memory.find(0x2000);
            return it != memory.end() && it->second == 0x80000001u;
        },
        [&] {
            Type(window, L"data_edit", L"0");
            return PostClick(Pm(window), L"read_btn");
        },
        [&] {
            if (TextIn(window, L"data_edit") != L"0x80000001") return false;
            // The last word, kept as a negative number, reads back as the same 32 bits.
            EXPECT_EQ(ReadSettingInt(L"mem_data", 0), static_cast<int32_t>(0x80000001u));
            return true;
        },
        AltF4(window, main),
        [&] { return !FindWindowW(L"MemWrWnd", nullptr); },
    });
    ASSERT_TRUE(RunScript(script)) << "stopped after step " << script.StepsDone();
    // No reply goes to a window that is gone.
    EXPECT_EQ(link.mReplyWnd[DeviceLink::kMemoryWnd].load(), nullptr);
    EXPECT_TRUE(IsWindow(main));
    EXPECT_FALSE(AppTest::QuitSeen());
}

TEST(AboutWindow, ShowsTheVersionsTheAmplifierReported) {
    AppRig rig([](AmpState& s) { s.identity.slaveVersion = 23; });
    ASSERT_TRUE(rig.run->WaitConnected());
    const HWND main = rig.run->handle;
    const std::wstring model = L"KTR3.500DSP ";
    CWindowWnd* window = nullptr;
    Script script({
        [&] {
            PostMenuClick(main, L"option_item_about");
            return true;
        },
        [&] { return (window = OpenWindow<CAboutWnd>(L"AboutWnd", L"msgwnd")) != nullptr; },
        [&] {
            EXPECT_EQ(TextIn(window, L"fw_version"), model + AppTest::Text(L"${version}") + L" v1.23");
            EXPECT_EQ(TextIn(window, L"soft_version"), AppTest::Text(L"${soft_version}") + L" v6.7.99");
            EXPECT_EQ(TextIn(window, L"inner_fw_version"), AppTest::Text(L"${inner_fw_version}") + L" v1.19");
            EXPECT_FALSE(Pm(window)->FindControlByName(L"company_title")->IsVisible());
            return true;
        },
        AltF4(window, main),
        [&] { return !FindWindowW(L"AboutWnd", nullptr); },
    });
    ASSERT_TRUE(RunScript(script)) << "stopped after step " << script.StepsDone();
    EXPECT_TRUE(IsWindow(main));
    EXPECT_FALSE(AppTest::QuitSeen());
}

TEST(PowerOffDelayWindow, SetsTheDelayAndItIsReadBack) {
    AppRig rig;
    ASSERT_TRUE(rig.run->WaitConnected());
    EqualizerManager& c = rig.Controller();
    const HWND main = rig.run->handle;
    auto stored = [&] {
        const AmpState state = rig.emulator.State();
        return state.settings.powerOffDelay[0] << 8 | state.settings.powerOffDelay[1];
    };
    auto sets = [&] { return RequestsOf(rig.emulator, kAmpCmdMcu, 0x91).size(); };
    CWindowWnd* window = nullptr;
    size_t before = 0;
    int sliderValue = -1;
    Script script({
        [&] {
            AppTest::RunLater(0, [&] { ShowPowerOffDelayWnd(main, c.Device(), c.config.powerOffDelay); });
            return true;
        },
        [&] { return (window = OpenWindow<CPowerOffDelayWnd>(L"PowerOffDelayWnd", L"poweroffdelaywnd")) != nullptr; },
        [&] {
            EXPECT_EQ(TextIn(window, L"value_edt"), L"0 ms");
            Type(window, L"value_edt", L"1500", L"return");  // above the range: the maximum
            return true;
        },
        [&] { return stored() == 1000; },
        [&] {
            EXPECT_EQ(TextIn(window, L"value_edt"), L"1000 ms");
            EXPECT_EQ(ProgressIn(window, L"slider_poweroff_delay"), 1000);
            EXPECT_EQ(c.config.powerOffDelay, 1000);
            before = sets();
            Type(window, L"value_edt", L"0 ms", L"valuechangeddown");  // Down at 0 stays 0, and is still sent
            return true;
        },
        [&] { return sets() > before && stored() == 0; },
        [&] {
            EXPECT_EQ(TextIn(window, L"value_edt"), L"0 ms");
            return DragSlider(window, L"slider_poweroff_delay", 0.5);
        },
        [&] {
            sliderValue = ProgressIn(window, L"slider_poweroff_delay");
            return sliderValue > 0 && stored() == sliderValue;
        },
        [&] {
            EXPECT_GT(sliderValue, 300);
            EXPECT_LT(sliderValue, 700);
            EXPECT_EQ(TextIn(window, L"value_edt"), std::to_wstring(sliderValue) + L" ms");
            Type(window, L"value_edt", L"300");  // typed and confirmed
            return PostClick(Pm(window), L"confirm_btn");
        },
        [&] { return !FindWindowW(L"PowerOffDelayWnd", nullptr) && stored() == 300; },
        [&] {
            // Read back from the amplifier into the program.
            c.config.powerOffDelay = 0;
            c.Device().Get_Delay_Power_Off_Time();
            return true;
        },
        [&] { return c.config.powerOffDelay == 300; },
    });
    ASSERT_TRUE(RunScript(script)) << "stopped after step " << script.StepsDone();
}

TEST(ForceUpdateStart, WithoutTheProgramsImagesSaysFilePrepareError) {
    AppRig rig([](AmpState& s) { s.identity.slaveVersion = 17; });
    MainWindowRun::ConfirmContaining() = L"v1.17";  // the question names the amplifier's firmware
    ASSERT_TRUE(rig.run->WaitForBox(L"File prepare error. error code 1"));
    EXPECT_EQ(ForceWindow(), nullptr);
    ASSERT_TRUE(rig.run->WaitConnected());
    EXPECT_EQ(rig.Controller().Device().mQueueEnabled.load(), 1);
    EXPECT_EQ(GetFileAttributesW(TempFilePath(L"MCU_UPG.bin").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(rig.Controller().forceUpdateRunning, 0);
}

}  // namespace
