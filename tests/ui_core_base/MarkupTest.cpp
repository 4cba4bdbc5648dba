#include "UIMarkup.h"
#include "UIResourceSettings.h"

#include "ui_core_render/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

using namespace SkinUI;

namespace {

std::wstring W(const wchar_t* text) { return text ? text : L"(null)"; }

bool LoadUtf8(CUIMarkup& markup, const std::string& xml) {
    return markup.LoadFromMem(reinterpret_cast<const BYTE*>(xml.data()), static_cast<DWORD>(xml.size()));
}

// Parses xml and returns the stored error message ("" when it parsed).
std::wstring ErrorOf(const wchar_t* xml) {
    CUIMarkup markup;
    if (markup.Load(xml)) return L"";
    EXPECT_FALSE(markup.GetRoot().IsValid());
    return markup.GetLastErrorMessage();
}

std::wstring Nested(int depth) {
    std::wstring xml;
    for (int i = 0; i < depth; ++i) xml += L"<e>";
    for (int i = 0; i < depth; ++i) xml += L"</e>";
    return xml;
}

}  // namespace

TEST(UIMarkup, ParsesDeclarationsCommentsEntitiesAndAMissingRootEndTag) {
    std::string xml =
        "\xEF\xBB\xBF<?xml version=\"1.0\"?><!-- c --><Window a=\"x &amp;lt; y\" b=\"p&q;r\" "
        "c=\"two  blanks\"><Child/><child name=\"second\"></child>";
    CUIMarkup markup;
    ASSERT_TRUE(LoadUtf8(markup, xml)) << W(markup.GetLastErrorMessage());
    CUIMarkupNode root = markup.GetRoot();
    ASSERT_TRUE(root.IsValid());
    EXPECT_EQ(L"Window", W(root.GetName()));
    EXPECT_EQ(3, root.GetAttributeCount());
    EXPECT_EQ(L"x &lt; y", W(root.GetAttributeValue(L"a")));  // decoded once
    EXPECT_EQ(L"p&q;r", W(root.GetAttributeValue(L"B")));     // unknown entity kept, name case ignored
    EXPECT_EQ(L"two  blanks", W(root.GetAttributeValue(L"c")));

    CUIMarkupNode first = root.GetChild(L"CHILD");
    ASSERT_TRUE(first.IsValid());
    EXPECT_EQ(L"Child", W(first.GetName()));
    EXPECT_FALSE(first.HasAttributes());
    CUIMarkupNode second = first.GetSibling();
    ASSERT_TRUE(second.IsValid());
    EXPECT_EQ(L"second", W(second.GetAttributeValue(L"name")));
    EXPECT_FALSE(second.GetSibling().IsValid());
    EXPECT_EQ(L"Window", W(second.GetParent().GetName()));
    EXPECT_FALSE(root.GetParent().IsValid());
    EXPECT_FALSE(first.HasChildren());

    CUIMarkup collapsed;
    collapsed.SetPreserveWhitespace(false);
    ASSERT_TRUE(LoadUtf8(collapsed, xml));
    EXPECT_EQ(L"two blanks", W(collapsed.GetRoot().GetAttributeValue(L"c")));
}

TEST(UIMarkup, DataTextAttributesAndTheirBuffers) {
    CUIMarkup markup(L"<r><!-- a -> b --><t k = \"v\" e=\"\">x &lt; y &amp;amp; z<i/></t><u>  two  </u></r>");
    CUIMarkupNode root = markup.GetRoot();
    ASSERT_TRUE(root.IsValid()) << W(markup.GetLastErrorMessage());
    CUIMarkupNode t = root.GetChild();
    EXPECT_EQ(L"x < y &amp; z", W(t.GetValue()));
    EXPECT_EQ(L"v", W(t.GetAttributeValue(L"k")));  // blanks around "=" are accepted
    EXPECT_TRUE(t.HasAttribute(L"e"));
    EXPECT_EQ(L"", W(t.GetAttributeValue(L"e")));
    EXPECT_EQ(L"k", W(t.GetAttributeName(0)));
    EXPECT_EQ(L"", W(t.GetAttributeName(2)));
    EXPECT_EQ(L"", W(t.GetAttributeValue(-1)));
    EXPECT_EQ(L"i", W(t.GetChild().GetName()));
    EXPECT_EQ(L"  two  ", W(t.GetSibling().GetValue()));

    wchar_t buffer[3];
    EXPECT_TRUE(t.GetAttributeValue(L"k", buffer, 3));
    EXPECT_EQ(L"v", std::wstring(buffer));
    EXPECT_FALSE(t.GetAttributeValue(L"missing", buffer, 3));
    CUIMarkup longValue(L"<r v=\"abcdef\"/>");
    CUIMarkupNode r = longValue.GetRoot();
    EXPECT_TRUE(r.GetAttributeValue(0, buffer, 3));
    EXPECT_EQ(L"ab", std::wstring(buffer));

    CUIMarkup collapsed;
    collapsed.SetPreserveWhitespace(false);
    ASSERT_TRUE(collapsed.Load(L"<r>a   b \t c</r>"));
    EXPECT_EQ(L"a b c", W(collapsed.GetRoot().GetValue()));
}

TEST(UIMarkup, ErrorsCarryTheirTexts) {
    EXPECT_EQ(L"Expected attribute value", ErrorOf(L"<Window a='x'/>"));
    EXPECT_EQ(L"Unmatched closing tag", ErrorOf(L"<Window><Inner></Window>"));
    EXPECT_EQ(L"Error while parsing attribute string", ErrorOf(L"<Window a=\"x>"));
    EXPECT_EQ(L"Expected end-tag start", ErrorOf(L"<Window><Inner>text"));
    EXPECT_EQ(L"Expected start tag", ErrorOf(L"text<a/>"));
    EXPECT_EQ(L"Expected start tag", ErrorOf(L"<a><b><c/>"));
    EXPECT_EQ(L"Error parsing element name", ErrorOf(L"<>"));
    EXPECT_EQ(L"Error while parsing attributes", ErrorOf(L"<a b/>"));
    EXPECT_EQ(L"Error while parsing attributes", ErrorOf(L"<a =\"1\"/>"));
    EXPECT_EQ(L"Expected start-tag closing", ErrorOf(L"<a x=\"1\" / >"));
    EXPECT_EQ(L"Unmatched closing tag", ErrorOf(L"<a/></b>"));
    EXPECT_EQ(L"Unmatched closing tag", ErrorOf(L"<ab></abc>"));
    EXPECT_EQ(L"", ErrorOf(L"<Window><Inner/>"));    // only the root may lack its end tag
    EXPECT_EQ(L"", ErrorOf(L"<ab></ab  >"));

    CUIMarkup markup;
    EXPECT_FALSE(markup.Load(L"<Window a='x'/>"));
    EXPECT_EQ(L"'x'/>", W(markup.GetLastErrorLocation()));
    wchar_t cut[4];
    markup.GetLastErrorLocation(cut, 4);
    EXPECT_EQ(L"'x'", std::wstring(cut));
    markup.GetLastErrorMessage(cut, 4);
    EXPECT_EQ(L"Exp", std::wstring(cut));

    std::wstring longLocation = L"<a b=\"" + std::wstring(200, L'q');
    EXPECT_FALSE(markup.Load(longLocation.c_str()));
    EXPECT_EQ(49u, std::wstring(markup.GetLastErrorLocation()).size());
}

TEST(UIMarkup, DeepNestingIsRefused) {
    EXPECT_EQ(L"", ErrorOf(Nested(CUIMarkup::kMaxDepth).c_str()));
    EXPECT_EQ(L"Elements nested too deeply", ErrorOf(Nested(CUIMarkup::kMaxDepth + 1).c_str()));
    EXPECT_EQ(L"Elements nested too deeply", ErrorOf(Nested(100000).c_str()));
}

TEST(UIMarkup, SeventyAttributesShowSixtyFour) {
    std::wstring xml = L"<r";
    for (int i = 1; i <= 70; ++i) xml += L" a" + std::to_wstring(i) + L"=\"" + std::to_wstring(i) + L"\"";
    xml += L"/>";
    CUIMarkup markup(xml.c_str());
    CUIMarkupNode root = markup.GetRoot();
    EXPECT_EQ(64, root.GetAttributeCount());
    EXPECT_EQ(L"64", W(root.GetAttributeValue(L"a64")));
    EXPECT_EQ(L"", W(root.GetAttributeValue(L"a70")));
    EXPECT_FALSE(root.HasAttribute(L"a65"));
}

TEST(UIMarkup, EncodingsOfMemoryInput) {
    const wchar_t* text = L"<r v=\"\x4F60\x597D \x041F\"/>";  // Chinese and Cyrillic letters
    std::vector<BYTE> le = {0xFF, 0xFE};
    std::vector<BYTE> be = {0xFE, 0xFF};
    for (const wchar_t* p = text; *p; ++p) {
        le.push_back(static_cast<BYTE>(*p & 0xFF));
        le.push_back(static_cast<BYTE>(*p >> 8));
        be.push_back(static_cast<BYTE>(*p >> 8));
        be.push_back(static_cast<BYTE>(*p & 0xFF));
    }
    le.push_back(0x41);  // a trailing odd byte is no unit
    CUIMarkup markup;
    ASSERT_TRUE(markup.LoadFromMem(le.data(), static_cast<DWORD>(le.size()), CUIMarkup::kEncodingUtf16));
    EXPECT_EQ(L"\x4F60\x597D \x041F", W(markup.GetRoot().GetAttributeValue(L"v")));
    ASSERT_TRUE(markup.LoadFromMem(be.data(), static_cast<DWORD>(be.size()), CUIMarkup::kEncodingUtf16));
    EXPECT_EQ(L"\x4F60\x597D \x041F", W(markup.GetRoot().GetAttributeValue(L"v")));
    EXPECT_FALSE(markup.LoadFromMem(le.data() + 2, 10, CUIMarkup::kEncodingUtf16));  // no byte-order mark

    std::string utf8 = "<r v=\"\xE4\xBD\xA0\xE5\xA5\xBD \xD0\x9F\"/>";
    ASSERT_TRUE(LoadUtf8(markup, utf8));
    EXPECT_EQ(L"\x4F60\x597D \x041F", W(markup.GetRoot().GetAttributeValue(L"v")));

    std::string ansi = "<r v=\"plain\"/>";
    ASSERT_TRUE(markup.LoadFromMem(reinterpret_cast<const BYTE*>(ansi.data()), static_cast<DWORD>(ansi.size()),
                                   CUIMarkup::kEncodingAnsi));
    EXPECT_EQ(L"plain", W(markup.GetRoot().GetAttributeValue(L"v")));
}

TEST(UIMarkup, RandomDamageNeverBreaksTheReader) {
    const std::string layout =
        "<?xml version=\"1.0\"?><Window size=\"400,300\" caption=\"0,0,0,30\"><!-- main -->"
        "<Font id=\"0\" name=\"Tahoma\" size=\"12\" default=\"true\"/>"
        "<VerticalLayout name=\"root\" bkcolor=\"#FF102030\"><Label text=\"a &amp; b &lt;c&gt;\"/>"
        "<Button name=\"ok\" text=\"&quot;OK&quot;\">data text</Button></VerticalLayout></Window>";
    uint32_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) & 0x7FFF;
    };
    const char alphabet[] = "<>/=\"'&;! ?-abc\0";
    int parsed = 0;
    for (int round = 0; round < 3000; ++round) {
        std::string damaged = layout;
        int edits = 1 + next() % 4;
        for (int e = 0; e < edits && !damaged.empty(); ++e) {
            size_t at = next() % damaged.size();
            switch (next() % 4) {
            case 0: damaged[at] = alphabet[next() % (sizeof alphabet - 1)]; break;
            case 1: damaged.erase(at, 1 + next() % 8); break;
            case 2: damaged.insert(at, damaged.substr(next() % damaged.size(), 1 + next() % 12)); break;
            default: damaged.resize(at); break;
            }
        }
        CUIMarkup markup;
        if (!LoadUtf8(markup, damaged)) {
            EXPECT_NE(L"", W(markup.GetLastErrorMessage()));
            continue;
        }
        ++parsed;
        // Walk every element and attribute of what parsed.
        std::vector<CUIMarkupNode> pending;
        if (markup.GetRoot().IsValid()) pending.push_back(markup.GetRoot());
        while (!pending.empty()) {
            CUIMarkupNode node = pending.back();
            pending.pop_back();
            for (int i = 0; i < node.GetAttributeCount(); ++i) {
                EXPECT_NE(nullptr, node.GetAttributeName(i));
                EXPECT_NE(nullptr, node.GetAttributeValue(i));
            }
            for (CUIMarkupNode child = node.GetChild(); child.IsValid(); child = child.GetSibling()) {
                pending.push_back(child);
            }
        }
    }
    EXPECT_GT(parsed, 0);
}

class MarkupFiles : public ::testing::Test {
protected:
    void SetUp() override {
        base = TestSupport::UniqueTempPath(L"markup");
        ASSERT_TRUE(CreateDirectoryW(base.c_str(), nullptr));
        folder = base + L"\\";
        CUIResourceSettings::SetResourceFolder(folder.c_str());
    }
    void TearDown() override {
        CUIResourceSettings::OpenResourceArchiveFile(L"", false, nullptr);
        CUIResourceSettings::SetResourceFolder(L"");
        TestSupport::RemoveTree(base);
    }
    std::wstring base;
    std::wstring folder;  // base with a closing backslash
};

TEST_F(MarkupFiles, LoadsFromTheResourceFolderWithFileErrors) {
    ASSERT_TRUE(TestSupport::WriteFileBytes(folder + L"ok.xml", "\xEF\xBB\xBF<r t=\"\xC3\xA9\"/>"));
    ASSERT_TRUE(TestSupport::WriteFileBytes(folder + L"empty.xml", ""));
    std::string big(CUIMarkup::kMaxFileSize + 1, ' ');
    ASSERT_TRUE(TestSupport::WriteFileBytes(folder + L"big.xml", big));

    CUIMarkup markup;
    ASSERT_TRUE(markup.LoadFromFile(L"ok.xml")) << W(markup.GetLastErrorMessage());
    EXPECT_EQ(L"\x00E9", W(markup.GetRoot().GetAttributeValue(L"t")));
    EXPECT_FALSE(markup.LoadFromFile(L"missing.xml"));
    EXPECT_EQ(L"Error opening file", W(markup.GetLastErrorMessage()));
    EXPECT_FALSE(markup.LoadFromFile(L"empty.xml"));
    EXPECT_EQ(L"File is empty", W(markup.GetLastErrorMessage()));
    EXPECT_FALSE(markup.LoadFromFile(L"big.xml"));
    EXPECT_EQ(L"File too large", W(markup.GetLastErrorMessage()));
    EXPECT_FALSE(markup.GetRoot().IsValid());
}

TEST_F(MarkupFiles, LoadsFromTheEncryptedArchive) {
    std::vector<BYTE> zip = TestSupport::LoadResourceBytes(L"IDR_ZIPRES", L"ZIPRES");
    ASSERT_FALSE(zip.empty());

    // Held in memory, as the application's skin is.
    ASSERT_TRUE(CUIResourceSettings::OpenResourceArchiveFromMemory(zip.data(), static_cast<unsigned>(zip.size()),
                                                                   BASE_SKIN_PASSWORD));
    CUIMarkup markup;
    ASSERT_TRUE(markup.LoadFromFile(L"XML\\Res.xml")) << W(markup.GetLastErrorMessage());
    EXPECT_EQ(L"Resource", W(markup.GetRoot().GetName()));
    EXPECT_FALSE(markup.LoadFromFile(L"xml\\none.xml"));
    EXPECT_EQ(L"Could not find ziped file", W(markup.GetLastErrorMessage()));
    EXPECT_FALSE(markup.LoadFromFile(L"empty/nothing.xml"));
    EXPECT_EQ(L"File is empty", W(markup.GetLastErrorMessage()));

    ASSERT_TRUE(CUIResourceSettings::OpenResourceArchiveFromMemory(zip.data(), static_cast<unsigned>(zip.size()),
                                                                   L"wrong-password"));
    EXPECT_FALSE(markup.LoadFromFile(L"xml/res.xml"));
    EXPECT_EQ(L"Could not unzip file", W(markup.GetLastErrorMessage()));

    // An archive file below the resource folder, opened and closed for each read.
    ASSERT_TRUE(TestSupport::WriteFileBytes(folder + L"skin.zip", zip));
    CUIResourceSettings::OpenResourceArchiveFile(L"skin.zip", false, BASE_SKIN_PASSWORD);
    EXPECT_EQ(nullptr, CUIResourceSettings::GetArchiveHandle());
    ASSERT_TRUE(markup.LoadFromFile(L"lan/lan_ru.xml")) << W(markup.GetLastErrorMessage());
    EXPECT_EQ(L"\x041F\x0440\x0438\x0432\x0435\x0442", W(markup.GetRoot().GetChild().GetAttributeValue(L"value")));

    CUIResourceSettings::OpenResourceArchiveFile(L"absent.zip", false, BASE_SKIN_PASSWORD);
    EXPECT_FALSE(markup.LoadFromFile(L"lan/lan_ru.xml"));
    EXPECT_EQ(L"Error opening zip file", W(markup.GetLastErrorMessage()));
}
