// The pieces start-up is made of: the embedded skin archive, the DPI choice, the screen list, the
// settings file, checked language formats, temporary paths and the skin-change observer.
#include "AppMain.h"
#include "AppTestSupport.h"
#include "ScreenInfo.h"
#include "Settings.h"
#include "SkinObserver.h"
#include "TextFormat.h"
#include "UITextResource.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

using namespace AppTest;

TEST(StartupSkin, EmbeddedArchiveOpensOnlyWithItsPassword) {
    EXPECT_FALSE(InitSkinResource(L"wrong-password-xyz"));
    ASSERT_TRUE(InitSkinResource(TEST_SKIN_PASSWORD));
    FreshTextResource();
    const wchar_t* mainLayout = SkinUI::CTextResource::GetInstance()->GetLayoutPath(L"XML_MAIN");
    ASSERT_NE(mainLayout, nullptr);
    EXPECT_STREQ(mainLayout, L"xml/main.xml");
    EXPECT_EQ(SkinUI::CPaintManagerUI::GetResourceSourceKind(), 4);
    // The three language files are readable from the archive.
    auto* texts = SkinUI::CTextResource::GetInstance();
    ASSERT_TRUE(texts->LoadLanguage(L"lan/lan_cn.xml", L"cn_zh"));
    EXPECT_EQ(Text(L"${confirm}"), L"\x786E\x5B9A");
    FreshTextResource();
}

TEST(AutoDpi, ChoiceFollowsTheWidestScreen) {
    struct Case {
        int width, height, dpi;
    };
    const Case cases[] = {
        {1920, 1080, 144}, {1280, 720, 96},  {1024, 768, 77},   {3840, 2160, 288}, {1600, 900, 120},
        {1599, 900, 96},   {2560, 1440, 192}, {1080, 1920, 77}, {1366, 768, 96},   {2560, 1080, 144},
    };
    for (const Case& c : cases) EXPECT_EQ(DpiForScreenSize(c.width, c.height), c.dpi) << c.width << "x" << c.height;
}

TEST(AutoDpi, ScreenListOrdersMonitorsAndPicksTheWidest) {
    const RECT primary = {0, 0, 1920, 1080};
    const ScreenInfo screens = ScreenInfo::FromRects(primary, {{3840, 0, 5120, 1024}, {1920, 0, 3840 + 0, 1200}});
    EXPECT_EQ(screens.GetMonitorCount(), 3);
    RECT r;
    screens.GetMonitorRect(&r, 1);  // sorted by left edge
    EXPECT_EQ(r.left, 1920);
    screens.GetMonitorRect(&r, 2);
    EXPECT_EQ(r.left, 3840);
    screens.GetMonitorRect(&r, 3);  // beyond the known monitors
    EXPECT_EQ(r.left, -1);
    EXPECT_EQ(r.bottom, -1);
    screens.GetLargestMonitorRect(&r);  // equally wide: the first kept stays
    EXPECT_EQ(r.left, 0);

    const ScreenInfo wider = ScreenInfo::FromRects(primary, {{-2560, 0, 0, 1440}});
    wider.GetLargestMonitorRect(&r);
    EXPECT_EQ(r.left, -2560);
    EXPECT_EQ(DpiForScreenSize(r.right - r.left, r.bottom - r.top), 192);

    // The live snapshot agrees with the system's metrics; this display is 1920 x 1080.
    const ScreenInfo live;
    live.GetMainScreenRect(&r);
    EXPECT_EQ(r.right, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(GetAutoDpi(), DpiForScreenSize(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)));
    SetAutoDpiOverride(120);
    EXPECT_EQ(GetAutoDpi(), 120);
    SetAutoDpiOverride(0);
}

TEST(Settings, FileLanguageValuesAndMarkers) {
    EXPECT_EQ(SettingsPathIn(L"C:\\Data"), L"C:\\Data\\velmor.ini");
    EXPECT_EQ(SettingsPathIn(L""), CurrentDirectory() + L"\\velmor.ini");
    EXPECT_NE(SettingsFilePath().find(L"\\velmor.ini"), std::wstring::npos);

    EXPECT_STREQ(LanguagePackForSetting(0), L"en");
    EXPECT_STREQ(LanguagePackForSetting(1), L"cn_zh");
    EXPECT_STREQ(LanguagePackForSetting(2), L"ru");
    // Any other value, a hand-edited one, means the default: English.
    EXPECT_STREQ(LanguagePackForSetting(5), L"en");
    EXPECT_STREQ(LanguagePackForSetting(-1), L"en");

    SettingsFileGuard guard;
    EXPECT_EQ(GetConfigLanguage(), 0);  // a fresh machine starts in English
    EXPECT_EQ(ReadSettingInt(L"factoryEQ", 0), 0);
    ASSERT_TRUE(WriteSettingText(L"lan", L"2"));
    EXPECT_EQ(GetConfigLanguage(), 2);
    ASSERT_TRUE(WriteSettingText(L"lan", L"5"));
    EXPECT_EQ(GetConfigLanguage(), 5);

    EXPECT_FALSE(IsFileInCurrentDir(L"no-such-marker-file.ini"));
    const std::wstring marker = CurrentDirectory() + L"\\app_shell_marker.ini";
    FILE* file = _wfopen(marker.c_str(), L"w");
    ASSERT_NE(file, nullptr);
    fclose(file);
    EXPECT_TRUE(IsFileInCurrentDir(L"app_shell_marker.ini"));
    DeleteFileW(marker.c_str());
}

TEST(LanguageFormats, OnlyTheExpectedConversionsBecomeAFormat) {
    EXPECT_TRUE(FormatHasConversions(L"Device %d.%d, program %d.%d", L"dddd"));
    EXPECT_TRUE(FormatHasConversions(L"100%% v%02d.%i %d-%d", L"dddd"));
    EXPECT_TRUE(FormatHasConversions(L"%s %d", L"sd"));
    EXPECT_FALSE(FormatHasConversions(L"Device %d.%d %s", L"dddd"));
    EXPECT_FALSE(FormatHasConversions(L"%d %d %d %d %d", L"dddd"));
    EXPECT_FALSE(FormatHasConversions(L"%*d %d %d %d", L"dddd"));
    EXPECT_FALSE(FormatHasConversions(L"%n%d%d%d", L"dddd"));
    EXPECT_FALSE(FormatHasConversions(L"broken %", L""));
    EXPECT_FALSE(FormatHasConversions(nullptr, L""));
    // Huge widths and precisions kill the C runtime; the bound lets ordinary ones through.
    EXPECT_TRUE(FormatHasConversions(L"%64d %.64d %-64.64i %5.2d", L"dddd"));
    EXPECT_FALSE(FormatHasConversions(L"%.65535d", L"d"));
    EXPECT_FALSE(FormatHasConversions(L"%65d", L"d"));
    EXPECT_FALSE(FormatHasConversions(L"%.65s %d", L"sd"));
    EXPECT_FALSE(FormatHasConversions(L"%99999999999999999999d", L"d"));

    const int versions[] = {1, 20, 1, 19};
    EXPECT_EQ(FormatIntegers(L"Amplifier %d.%d is newer than %d.%d", versions, 4), L"Amplifier 1.20 is newer than 1.19");
    // A translation with a stray text conversion is shown as it is, followed by the values.
    EXPECT_EQ(FormatIntegers(L"Amplifier %s is newer", versions, 4), L"Amplifier %s is newer 1 20 1 19");
    EXPECT_EQ(FormatIntegers(L"only %d", versions, 4), L"only %d 1 20 1 19");
    EXPECT_EQ(FormatIntegers(L"%.65535d.%d %d.%d", versions, 4), L"%.65535d.%d %d.%d 1 20 1 19");
}

TEST(TempPaths, FallBackToTheSystemFolder) {
    wchar_t saved[4096] = L"";
    const bool had = GetEnvironmentVariableW(L"TMP", saved, 4096) > 0;
    wchar_t system[MAX_PATH];
    ASSERT_GT(GetTempPathW(MAX_PATH, system), 0u);

    SetEnvironmentVariableW(L"TMP", nullptr);
    EXPECT_EQ(TempFolderPath(), system);
    SetEnvironmentVariableW(L"TMP", std::wstring(400, L'x').c_str());  // longer than any path
    const std::wstring fallback = TempFolderPath();
    EXPECT_LT(fallback.size(), static_cast<size_t>(MAX_PATH));
    EXPECT_EQ(fallback.find(L"xxx"), std::wstring::npos);
    EXPECT_EQ(fallback.back(), L'\\');
    SetEnvironmentVariableW(L"TMP", L"C:\\tmpdir");
    EXPECT_EQ(TempFolderPath(), L"C:\\tmpdir\\");
    EXPECT_EQ(TempFilePath(L"MCU_UPG.bin"), L"C:\\tmpdir\\MCU_UPG.bin");
    EXPECT_EQ(TempFilePath(std::wstring(300, L'f').c_str()), L"");

    SetEnvironmentVariableW(L"TMP", had ? saved : nullptr);
}

namespace {

struct CountingReceiver : SkinChangeReceiver {
    int Receive(SkinChangedParam param) override {
        ++received;
        lastColor = param.bkcolor;
        return TRUE;
    }
    int received = 0;
    DWORD lastColor = 0;
};

}  // namespace

TEST(SkinObserver, ReceiversComeAndGoAndKeysCountUp) {
    SkinChangeObserver observer;
    observer.AddReceiver(nullptr);
    EXPECT_EQ(observer.ReceiverCount(), 0u);
    EXPECT_EQ(observer.NextKey(), 0);

    CountingReceiver first;
    auto* second = new CountingReceiver;
    observer.AddReceiver(&first);
    observer.AddReceiver(second);
    SkinChangedParam param;
    param.bColor = true;
    param.bkcolor = 0xFF102030;
    observer.Broadcast(param);
    EXPECT_EQ(first.received, 1);
    EXPECT_EQ(second->lastColor, 0xFF102030u);

    observer.RemoveReceiver(&first);
    observer.RemoveReceiver(&first);  // a second removal changes nothing
    EXPECT_EQ(observer.ReceiverCount(), 1u);
    observer.AddReceiver(&first);
    EXPECT_EQ(observer.NextKey(), 3);  // keys are never reused

    delete second;  // a receiver that dies leaves its observers
    EXPECT_EQ(observer.ReceiverCount(), 1u);
    observer.Broadcast(param);
    EXPECT_EQ(first.received, 2);
    observer.RemoveReceiver(&first);
}
