#include "UIResourceSettings.h"
#include "UITextResource.h"

#include "ui_core_render/TestSupport.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

using namespace SkinUI;

namespace {

const wchar_t kEnglish[] =
    L"<Language><Text id=\"${hello}\" value=\"Hello{\\n}World\"/><text ID=\"${case}\" value=\"c\"/>"
    L"<Text id=\"${noval}\"/><Text value=\"no id\"/><Text id=\"${twice}\" value=\"first\"/>"
    L"<Text id=\"${twice}\" value=\"second\"/></Language>";

std::wstring Text(const wchar_t* key) { return CTextResource::GetInstance()->GetText(key).Data(); }

class FixedAnswers : public IQueryControlText {
public:
    std::map<std::wstring, std::wstring> answers;
    std::vector<std::wstring> asked;
    const wchar_t* QueryControlText(const wchar_t* key, int type) override {
        asked.push_back(key);
        auto found = answers.find(key);
        return found == answers.end() ? nullptr : found->second.c_str();
    }
};

class TextResource : public ::testing::Test {
protected:
    void TearDown() override {
        CTextResource::Release();
        CUIResourceSettings::OpenResourceArchiveFile(L"", false, nullptr);
    }
    CTextResource& texts() { return *CTextResource::GetInstance(); }

    void OpenSkin(const wchar_t* password) {
        skin = TestSupport::LoadResourceBytes(L"IDR_ZIPRES", L"ZIPRES");
        ASSERT_FALSE(skin.empty());
        ASSERT_TRUE(CUIResourceSettings::OpenResourceArchiveFromMemory(skin.data(),
                                                                       static_cast<unsigned>(skin.size()), password));
    }
    std::vector<BYTE> skin;
};

}  // namespace

TEST_F(TextResource, ResolvesKeysOfTheCurrentPack) {
    ASSERT_TRUE(texts().LoadLanguage(kEnglish, L"en"));
    EXPECT_EQ(L"en", std::wstring(texts().GetLanguage().Data()));
    EXPECT_EQ(L"Hello\nWorld", Text(L"${hello}"));
    EXPECT_EQ(L"c", Text(L"${case}"));            // element and attribute names ignore case
    EXPECT_EQ(L"${noval}", Text(L"${noval}"));    // an element without a value is skipped
    EXPECT_EQ(L"second", Text(L"${twice}"));      // a repeated id replaces the text
    EXPECT_EQ(L"${missing}", Text(L"${missing}"));
    EXPECT_EQ(L"${a\n}", Text(L"${a{\\n}}"));     // a missing key gets its line breaks too
    EXPECT_EQ(L"ab ${hello}", Text(L"ab ${hello}"));
    EXPECT_EQ(L"plain{\\n}", Text(L"plain{\\n}"));  // no prefix: unchanged, line marks included
    EXPECT_EQ(L"", Text(nullptr));
    EXPECT_EQ(L"", Text(L""));
}

TEST_F(TextResource, FallbackAnswersMissingKeysAndIsOfferedEveryKey) {
    FixedAnswers fallback;
    fallback.answers[L"${only}"] = L"F";
    fallback.answers[L"${case}"] = L"from fallback";
    texts().SetTextQuery(&fallback);
    ASSERT_TRUE(texts().LoadLanguage(kEnglish, L"en"));
    EXPECT_EQ(3u, fallback.asked.size());  // the three keys of the pack, once each
    EXPECT_EQ(L"from fallback", Text(L"${case}"));
    EXPECT_EQ(L"Hello\nWorld", Text(L"${hello}"));
    EXPECT_EQ(L"F", Text(L"${only}"));
    EXPECT_EQ(L"${other}", Text(L"${other}"));
}

TEST_F(TextResource, PacksFromTheArchiveSelectionAndLimit) {
    OpenSkin(BASE_SKIN_PASSWORD);
    ASSERT_TRUE(texts().LoadLanguage(L"lan\\lan_en.xml", L"en"));
    ASSERT_TRUE(texts().LoadLanguage(L"LAN/lan_cn.xml", L"cn_zh"));
    EXPECT_EQ(L"\x4F60\x597D", Text(L"${hello}"));  // the newest pack is current
    ASSERT_TRUE(texts().LoadLanguage(L"lan/lan_ru.xml", L"ru"));
    EXPECT_EQ(L"\x041F\x0440\x0438\x0432\x0435\x0442", Text(L"${hello}"));

    EXPECT_FALSE(texts().LoadLanguage(L"lan/lan_en.xml", L"extra"));
    EXPECT_EQ(L"ru", std::wstring(texts().GetLanguage().Data()));
    EXPECT_EQ(3, texts().GetPackCount());

    texts().SelectLanguage(L"EN");
    EXPECT_EQ(L"en", std::wstring(texts().GetLanguage().Data()));
    EXPECT_EQ(L"Hello\nWorld", Text(L"${hello}"));
    EXPECT_EQ(L"Save & Load", Text(L"${amp}"));
    EXPECT_EQ(L"${other}", Text(L"${other}"));
    EXPECT_EQ(L"${only_cn}", Text(L"${only_cn}"));  // no fall-through to other packs
    texts().SelectLanguage(L"fr");
    EXPECT_EQ(L"en", std::wstring(texts().GetLanguage().Data()));
}

TEST_F(TextResource, FailedLoadsChangeNothing) {
    ASSERT_TRUE(texts().LoadLanguage(kEnglish, L"en"));
    OpenSkin(L"wrong-password");
    EXPECT_FALSE(texts().LoadLanguage(L"lan/lan_ru.xml", L"ru"));
    EXPECT_FALSE(texts().LoadLanguage(L"<Language><Text id='x'/></Language>", L"broken"));
    EXPECT_FALSE(texts().LoadLanguage(L"", L"empty"));
    EXPECT_EQ(1, texts().GetPackCount());
    EXPECT_EQ(L"en", std::wstring(texts().GetLanguage().Data()));
    EXPECT_EQ(L"Hello\nWorld", Text(L"${hello}"));
}

TEST_F(TextResource, LastOfSeveralPacksWithOneNameWins) {
    ASSERT_TRUE(texts().LoadLanguage(L"<L><Text id=\"${k}\" value=\"one\"/></L>", L"en"));
    ASSERT_TRUE(texts().LoadLanguage(L"<L><Text id=\"${k}\" value=\"two\"/></L>", L"EN"));
    ASSERT_TRUE(texts().LoadLanguage(L"<L><Text id=\"${k}\" value=\"three\"/></L>", L"ru"));
    texts().SelectLanguage(L"en");
    EXPECT_EQ(L"two", Text(L"${k}"));
}

TEST_F(TextResource, ResourceTableFromTextArchiveAndWin32Resource) {
    const wchar_t* table =
        L"<R><Image id=\"logo\" path=\"img/a.png\"/><G><Xml id=\"main\" path=\"xml/main.xml\"/></G>"
        L"<Image id=\"logo\" path=\"img/b.png\"/><Image id=\"nopath\"/></R>";
    ASSERT_TRUE(texts().LoadResourceTable(table));
    EXPECT_EQ(L"img/a.png", std::wstring(texts().GetImagePath(L"logo")));  // the first registration wins
    EXPECT_EQ(L"xml/main.xml", std::wstring(texts().GetLayoutPath(L"main")));
    EXPECT_EQ(nullptr, texts().GetImagePath(L"nopath"));
    EXPECT_EQ(nullptr, texts().GetImagePath(L"main"));  // layouts and images are separate tables
    CTextResource::Release();

    OpenSkin(BASE_SKIN_PASSWORD);
    ASSERT_TRUE(texts().LoadResourceTable(L"xml\\res.xml"));
    EXPECT_EQ(L"img/a.png", std::wstring(texts().GetImagePath(L"logo")));
    EXPECT_EQ(L"img/icon.png", std::wstring(texts().GetImagePath(L"icon")));  // nested groups
    EXPECT_EQ(L"xml/about.xml", std::wstring(texts().GetLayoutPath(L"about")));
    CTextResource::Release();

    ASSERT_TRUE(texts().LoadResourceTable(MAKEINTRESOURCEW(101), L"RAWFILE"));
    EXPECT_EQ(L"xml/main.xml", std::wstring(texts().GetLayoutPath(L"main")));
    EXPECT_FALSE(texts().LoadResourceTable(MAKEINTRESOURCEW(102), L"RAWFILE"));
    EXPECT_FALSE(texts().LoadResourceTable(L"xml/none.xml"));
}
