// The scene texts and names, the name entry dialog and the two-box question, each run modally and
// answered by a script as a user would.
#include "AppTestSupport.h"
#include "MsgCheckWnd.h"
#include "NameWnd.h"
#include "SceneTestSupport.h"
#include "UIOption.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace ControllerTest;
using namespace SceneTest;
using namespace SkinUI;

TEST(SceneTexts, FormatsFillOnlyMatchingConversionsAndNamesFitTheirSlots) {
    struct Case {
        const wchar_t* format;
        const wchar_t* expected;
        std::vector<std::wstring> values;
        const wchar_t* result;
    } cases[] = {
        {L"Load scene %d \x201C%s\x201D?", L"ds", {L"2", L"Road"}, L"Load scene 2 \x201CRoad\x201D?"},
        {L"Scene %d is empty.", L"d", {L"3"}, L"Scene 3 is empty."},
        {L"%s used by %d (%s), 100%%", L"sds", {L"Club", L"1", L"Club"}, L"Club used by 1 (Club), 100%"},
        // A translation whose conversions do not match is shown as it is, followed by the values.
        {L"Scene %s of %d", L"ds", {L"2", L"Road"}, L"Scene %s of %d 2 Road"},
        {L"Scene", L"d", {L"4"}, L"Scene 4"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatSceneText(c.format, c.expected, c.values.data(), static_cast<int>(c.values.size())), c.result)
            << std::wstring(c.format).size();

    char bytes[16];
    SceneNameToDevice(L"Gym", bytes);
    EXPECT_EQ(std::string(bytes, 16), std::string("Gym") + std::string(13, '\0'));
    SceneNameToDevice(L"ABCDEFG", bytes);
    EXPECT_EQ(std::string(bytes), "ABCDEFG");
    SceneNameToDevice(L"0123456789ABCDEFGHIJ", bytes);  // never more than 15 bytes and a zero
    EXPECT_EQ(std::string(bytes, 15), "0123456789ABCDE");
    EXPECT_EQ(bytes[15], 0);
    SceneNameToDevice(nullptr, bytes);
    EXPECT_EQ(bytes[0], 0);
    // The character the code page writes as 0xFF ("ÿ" in 1252): a name of nothing else would read back as
    // an erased slot, so it is not storable; beside other characters it is.
    wchar_t ff[2] = {};
    ASSERT_EQ(MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, "\xFF", 1, ff, 1), 1) << "code page " << GetACP();
    for (int n : {1, 3, 7}) EXPECT_FALSE(SceneNameToDevice(std::wstring(n, ff[0]).c_str(), bytes)) << n;
    EXPECT_TRUE(SceneNameToDevice((L"A" + std::wstring(3, ff[0])).c_str(), bytes));
    EXPECT_EQ(std::string(bytes, 5), std::string("A\xFF\xFF\xFF\0", 5));

    wchar_t slot[kSceneNameChars];
    CopyNameBounded(L"LongName12", slot, kSceneNameChars);
    EXPECT_STREQ(slot, L"LongNam");
    CopyNameBounded(L"", slot, kSceneNameChars);
    EXPECT_STREQ(slot, L"");
    CopyNameBounded(L"ABCDEF\xD83D\xDE00", slot, kSceneNameChars);  // half a pair is not kept
    EXPECT_STREQ(slot, L"ABCDEF");
}

TEST(SceneDialogs, NameEntryAndTwoBoxQuestion) {
    AppTest::SettingsFileGuard settings;
    AmpEmulator emulator;
    MainWindowRun run(emulator);
    ASSERT_TRUE(run.WaitConnected());

    // ---- Name entry: starts with the buffer's text, writes back only on confirm, cut to the slot ----
    CNameMsgWnd* dialog = nullptr;
    std::wstring shown;
    auto findDialog = [&] { return (dialog = OpenWindow<CNameMsgWnd>(L"NameMsgWnd", L"namemsgwnd")) != nullptr; };
    auto edit = [&] { return dialog->GetPaintManager()->FindControlByName(L"name_edt"); };
    wchar_t buffer[kSceneNameChars] = L"Old";
    CSceneWnd opener;
    int code = -1;
    {
        Script typeAndConfirm({findDialog,
                               [&] {
                                   shown = edit()->GetText().Data();
                                   edit()->SetText(L"LongName12");
                                   return PostClick(dialog->GetPaintManager(), L"confirm_btn");
                               }});
        code = opener.AskSceneName(run.handle, buffer, kSceneNameChars);
    }
    EXPECT_EQ(shown, L"Old");
    EXPECT_EQ(code, 1);
    EXPECT_STREQ(buffer, L"LongNam");
    {
        Script typeAndCancel({findDialog, [&] {
                                  edit()->SetText(L"Never");
                                  return PostClick(dialog->GetPaintManager(), L"cancel_btn");
                              }});
        code = opener.AskSceneName(run.handle, buffer, kSceneNameChars);
    }
    EXPECT_EQ(code, 0);
    EXPECT_STREQ(buffer, L"LongNam");
    {
        Script emptyByEnter({findDialog, [&] {
                                 edit()->SetText(L"");
                                 dialog->GetPaintManager()->RaiseNotify(edit(), L"return", 0, 0, false);
                                 return true;
                             }});
        code = opener.AskSceneName(run.handle, buffer, kSceneNameChars);
    }
    EXPECT_EQ(code, 1);
    EXPECT_STREQ(buffer, L"");
    // A name the amplifier cannot hold in the system's code page is refused with a box; the dialog stays
    // for another name. The scene window and the profile senders convert names through one function.
    const wchar_t* foreign = UnstorableName();
    ASSERT_NE(foreign, nullptr);
    char bytes[16];
    EXPECT_FALSE(SceneNameToDevice(foreign, bytes));
    EXPECT_TRUE(SceneNameToDevice(L"Gym", bytes));
    MainWindowRun::BoxesSeen().clear();
    {
        Script refuse({findDialog,
                       [&] {
                           edit()->SetText(foreign);
                           return PostClick(dialog->GetPaintManager(), L"confirm_btn");
                       },
                       [&] { return !MainWindowRun::BoxesSeen().empty(); },
                       [&] {
                           EXPECT_TRUE(IsWindow(dialog->GetHandle()));
                           edit()->SetText(L"Gym");
                           return PostClick(dialog->GetPaintManager(), L"confirm_btn");
                       }});
        code = opener.AskSceneName(run.handle, buffer, kSceneNameChars);
    }
    EXPECT_EQ(code, 1);
    EXPECT_STREQ(buffer, L"Gym");
    EXPECT_EQ(MainWindowRun::BoxesSeen(), std::vector<std::wstring>{Text(L"${scene_name_not_storable}")});

    // ---- Two boxes: confirm needs a ticked box; the answer names it ----
    CMsgCheckBoxWnd* box = nullptr;
    auto findBox = [&] { return (box = OpenWindow<CMsgCheckBoxWnd>(L"MsgCheckBoxWnd", L"msgcbwnd")) != nullptr; };
    auto option = [&](const wchar_t* name) {
        return dynamic_cast<COptionUI*>(box->GetPaintManager()->FindControlByName(name));
    };
    int ticks = 0;
    std::wstring boxText;
    {
        Script script({findBox,
                       [&] {
                           boxText = option(L"check_box_1")->GetText().Data();
                           return PostClick(box->GetPaintManager(), L"confirm_btn");  // nothing ticked
                       },
                       [&] { return ++ticks > 10; },  // still open after a while
                       [&] {
                           EXPECT_TRUE(IsWindow(box->GetHandle()));
                           option(L"check_box_1")->Selected(true, false);
                           return PostClick(box->GetPaintManager(), L"confirm_btn");
                       }});
        code = RunMsgCheckBoxWnd(run.handle, L"${tips}", L"${link_tips}", L"${copy_left_to_right}",
                                 L"${copy_right_to_left}");
    }
    EXPECT_EQ(code, 2);
    EXPECT_EQ(boxText, Text(L"${copy_right_to_left}"));
    const struct {
        const wchar_t* tick;
        const wchar_t* press;
        int code;
    } answers[] = {{L"check_box_0", L"confirm_btn", 1}, {L"check_box_0", L"cancel_btn", 0}, {L"", L"closebtn", 0}};
    for (const auto& a : answers) {
        Script script({findBox, [&] {
                           if (*a.tick) option(a.tick)->Selected(true, false);
                           return PostClick(box->GetPaintManager(), a.press);
                       }});
        EXPECT_EQ(RunMsgCheckBoxWnd(run.handle, L"${tips}", L"${link_tips}", L"${copy_left_to_right}",
                                    L"${copy_right_to_left}"),
                  a.code)
            << std::wstring(a.press).size();
    }
}
