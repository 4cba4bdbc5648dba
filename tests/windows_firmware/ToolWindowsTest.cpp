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
    // However many digits: a number beyond 32 bits is the largest word, never a wrapped one.
    const std::wstring nines(400, L'9'), effs = L"0x" + std::wstring(400, L'f');
    const std::wstring sevens = L"0" + std::wstring(400, L'7');
    const struct {
        const wchar_t* text;
        uint32_t value;
    } cases[] = {
        {L"0x1F", 31}, {L"017", 15}, {L"19z", 19}, {L" 5", 0}, {L"", 0}, {nullptr, 0}, {L"0", 0}, {L"08", 0},
        {L"4096", 4096}, {L"0X7fffffff", 0x7FFFFFFF}, {L"0xFFFFFFFF", 0xFFFFFFFF}, {L"0xdeadBEEF", 0xDEADBEEF},
        {L"4294967295", 0xFFFFFFFF}, {L"4294967297", 0xFFFFFFFF}, {L"0x100000000", 0xFFFFFFFF},
        {L"037777777777", 0xFFFFFFFF}, {L"040000000000", 0xFFFFFFFF}, {nines.c_str(), 0xFFFFFFFF},
        {effs.c_str(), 0xFFFFFFFF}, {sevens.c_str(), 0xFFFFFFFF}, {L"0x0000000000000000001", 1},
        {L"0x1/2", 1}, {L"/5", 0}, {L"-5", 0}, {L"0xg", 0}, {L"0777", 511},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseMemNumber(c.text), c.value) << (c.text ? std::wstring(c.text).substr(0, 24) : L"(null)");
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

// Numbers of any length keyed into the power-off delay and memory windows: beyond the range they are
// its end, and what is no number changes nothing. The amplifier receives exactly that.
TEST(PowerOffDelayWindow, HostileNumbersTypedThereAndInTheMemoryWindow) {
    DebugMarker marker;
    AppRig rig;
    ASSERT_TRUE(rig.run->WaitConnected());
    EqualizerManager& c = rig.Controller();
    const HWND main = rig.run->handle;
    const std::wstring nines(400, L'9');  // the edit keeps 255 of them
    auto delays = [&] { return ToolTest::Payloads(rig.emulator, kAmpCmdMcu, 0x91); };
    auto words = [&] { return ToolTest::Payloads(rig.emulator, kAmpCmdDsp, 0x42); };
    const std::vector<ToolTest::Bytes> sentDelays = {{0x01, 0x2C}, {0x03, 0xE8}, {0x00, 0x00}, {0x03, 0xE8},
                                                     {0x00, 0x00}, {0x00, 0x07}};
    CWindowWnd* window = nullptr;
    Script script({
        [&] {
            AppTest::RunLater(0, [&] { ShowPowerOffDelayWnd(main, c.Device(), c.config.powerOffDelay); });
            return true;
        },
        [&] { return (window = OpenWindow<CPowerOffDelayWnd>(L"PowerOffDelayWnd", L"poweroffdelaywnd")) != nullptr; },
        [&] {
            ToolTest::Driver d(Pm(window));
            const struct {
                const wchar_t* typed;
                const wchar_t* shown;
            } steps[] = {
                {L"300", L"300 ms"},   {L"18446744073709551617", L"1000 ms"},  // 2^64 + 1
                {L"??", L"1000 ms"},   {L"-0x10", L"1000 ms"}, {L"nan", L"1000 ms"}, {L"0", L"0 ms"},
                {nines.c_str(), L"1000 ms"}, {L"-99999999999", L"0 ms"}, {L"\b", L"0 ms"}, {L"7.9 ms", L"7 ms"},
            };
            for (const auto& step : steps) {
                d.Type(L"value_edt", step.typed);
                EXPECT_EQ(d.TextOf(L"value_edt"), step.shown) << std::wstring(step.typed).substr(0, 24);
            }
            return true;
        },
        [&] { return delays().size() >= sentDelays.size(); },
        [&] {
            EXPECT_EQ(delays(), sentDelays);
            EXPECT_EQ(c.config.powerOffDelay, 7);
            return PostClick(Pm(window), L"cancel_btn");
        },
        [&] { return !FindWindowW(L"PowerOffDelayWnd", nullptr); },
        [&] { return PostClick(rig.run->window->GetPaintManager(), L"btn_debug"); },
        [&] { return (window = OpenWindow<CMemWrWnd>(L"MemWrWnd", L"memwrwnd")) != nullptr; },
        [&] {
            ToolTest::Driver d(Pm(window));
            d.Type(L"addr_edit", L"0x123456789");  // nine digits: beyond the word
            d.Type(L"data_edit", nines.c_str());
            d.Click(L"write_btn");
            EXPECT_EQ(d.TextOf(L"addr_edit"), L"0xffffffff");
            EXPECT_EQ(d.TextOf(L"data_edit"), L"0xffffffff");
            return true;
        },
        [&] { return !words().empty(); },
        [&] {
            EXPECT_EQ(words(), (std::vector<ToolTest::Bytes>{{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}}));
            const auto memory = rig.emulator.State().memory;
            EXPECT_EQ(memory.size(), 1u);
            EXPECT_EQ(memory.count(0xFFFFFFFFu) ? memory.at(0xFFFFFFFFu) : 0u, 0xFFFFFFFFu);
            EXPECT_EQ(ReadSettingInt(L"mem_addr", 0), -1);
            EXPECT_EQ(ReadSettingInt(L"mem_data", 0), -1);
            return true;
        },
        AltF4(window, main),
        [&] { return !FindWindowW(L"MemWrWnd", nullptr); },
    });
    ASSERT_TRUE(RunScript(script)) << "stopped after step " << script.StepsDone();
    const AmpState state = rig.emulator.State();
    EXPECT_EQ(state.settings.powerOffDelay[0] << 8 | state.settings.powerOffDelay[1], 7);
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
