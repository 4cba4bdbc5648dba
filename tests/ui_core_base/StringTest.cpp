#include "UIString.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

using SkinUI::CUIString;

namespace {

bool IsInline(const CUIString& s) {
    auto p = reinterpret_cast<const char*>(s.Data());
    auto self = reinterpret_cast<const char*>(&s);
    return p >= self && p < self + sizeof(CUIString);
}

std::wstring Units(int n, wchar_t ch = L'x') { return std::wstring(static_cast<size_t>(n), ch); }

}  // namespace

TEST(UIString, InlineUpTo62UnitsThenHeapAndBack) {
    CUIString s(Units(62).c_str());
    EXPECT_TRUE(IsInline(s));
    EXPECT_EQ(62, s.Length());

    s = Units(63, L'y').c_str();
    EXPECT_FALSE(IsInline(s));
    EXPECT_EQ(Units(63, L'y'), s.Data());

    s = L"short";
    EXPECT_TRUE(IsInline(s));
    EXPECT_EQ(std::wstring(L"short"), s.Data());
}

TEST(UIString, AppendAcrossTheInlineLimitKeepsTheText) {
    CUIString s(Units(60).c_str());
    s += L"abc";
    EXPECT_FALSE(IsInline(s));
    EXPECT_EQ(Units(60) + L"abc", s.Data());

    // Appending a part of itself must survive the move to a bigger block.
    CUIString t(Units(40, L'q').c_str());
    t += t.Data() + 10;
    EXPECT_EQ(Units(70, L'q'), t.Data());
}

TEST(UIString, ConstructionAndAssignmentForms) {
    EXPECT_TRUE(CUIString(static_cast<const wchar_t*>(nullptr)).IsEmpty());
    EXPECT_EQ(std::wstring(L"ab"), CUIString(L"abcdef", 2).Data());
    EXPECT_EQ(std::wstring(L"abc"), CUIString(L"abc", 10).Data());  // never past the terminator
    EXPECT_EQ(std::wstring(L"z"), CUIString(L'z').Data());
    EXPECT_EQ(std::wstring(L"narrow"), CUIString("narrow").Data());
    EXPECT_TRUE(CUIString(static_cast<const char*>(nullptr)).IsEmpty());

    CUIString s(L"0123456789");
    s.Assign(s.Data() + 4, 3);  // assigning a part of itself
    EXPECT_EQ(std::wstring(L"456"), s.Data());

    CUIString big(Units(100).c_str());
    CUIString moved(std::move(big));
    EXPECT_EQ(Units(100), moved.Data());
    EXPECT_TRUE(big.IsEmpty());

    s = L'k';
    s += static_cast<const wchar_t*>(nullptr);
    s += "n";
    s += L'!';
    EXPECT_EQ(std::wstring(L"kn!"), s.Data());
    EXPECT_EQ(std::wstring(L"kn!?"), (s + L"?").Data());
}

TEST(UIString, ComparisonAndCase) {
    CUIString s(L"Apple");
    EXPECT_TRUE(s == L"Apple");
    EXPECT_TRUE(s != L"apple");
    EXPECT_TRUE(s < L"Apricot");
    EXPECT_TRUE(s > L"Ape");
    EXPECT_EQ(0, s.CompareIgnoreCase(L"aPPLE"));
    EXPECT_LT(s.CompareIgnoreCase(L"apples"), 0);
    EXPECT_EQ(0, CUIString(L"ПРИВЕТ").CompareIgnoreCase(L"привет"));
    EXPECT_TRUE(CUIString() == nullptr);

    CUIString m(L"MiXeD Ж");
    m.ToLower();
    EXPECT_EQ(std::wstring(L"mixed ж"), m.Data());
}

TEST(UIString, FindAndSlices) {
    CUIString s(L"hello world");
    EXPECT_EQ(6, s.Find(L"wor"));
    EXPECT_EQ(-1, s.Find(L"wor", 7));
    EXPECT_EQ(-1, s.Find(L"d", s.Length()));
    EXPECT_EQ(-1, s.Find(L"h", -1));
    EXPECT_EQ(4, s.Find(L'o'));
    EXPECT_EQ(7, s.Find(L'o', 5));
    EXPECT_EQ(-1, s.Find(L'o', s.Length()));
    EXPECT_EQ(7, s.ReverseFind(L'o'));
    EXPECT_EQ(-1, s.ReverseFind(L'z'));

    EXPECT_EQ(std::wstring(L"hel"), s.Prefix(3).Data());
    EXPECT_EQ(std::wstring(L"hello world"), s.Prefix(99).Data());
    EXPECT_TRUE(s.Prefix(-2).IsEmpty());
    EXPECT_EQ(std::wstring(L"rld"), s.Suffix(3).Data());
    EXPECT_EQ(std::wstring(L"hello world"), s.Suffix(50).Data());
    EXPECT_EQ(std::wstring(L"lo w"), s.Substring(3, 4).Data());
    EXPECT_EQ(std::wstring(L"world"), s.Substring(6).Data());
    EXPECT_EQ(std::wstring(L"world"), s.Substring(6, 100).Data());
    EXPECT_TRUE(s.Substring(11).IsEmpty());
}

TEST(UIString, ReplaceAllNeverRescansInsertedText) {
    CUIString s(L"aaa");
    EXPECT_EQ(3, s.ReplaceAll(L"a", L"aa"));
    EXPECT_EQ(std::wstring(L"aaaaaa"), s.Data());

    CUIString t(L"line{\\n}next{\\n}");
    EXPECT_EQ(2, t.ReplaceAll(L"{\\n}", L"\n"));
    EXPECT_EQ(std::wstring(L"line\nnext\n"), t.Data());

    CUIString u(L"abc");
    EXPECT_EQ(0, u.ReplaceAll(L"", L"x"));
    EXPECT_EQ(1, u.ReplaceAll(L"b", nullptr));
    EXPECT_EQ(std::wstring(L"ac"), u.Data());
}

TEST(UIString, FormatAnyLengthAndShortFormatCut) {
    CUIString s;
    std::wstring longText = Units(300, L'w');
    EXPECT_EQ(306, s.Format(L"%ls-%d", longText.c_str(), 12345));
    EXPECT_EQ(longText + L"-12345", s.Data());
    s.Format(L"%hs %ls %.2f", "narrow", L"wide", 1.5);
    EXPECT_EQ(std::wstring(L"narrow wide 1.50"), s.Data());

    CUIString shortText;
    EXPECT_EQ(63, shortText.FormatShort(L"%ls", Units(100, L'z').c_str()));
    EXPECT_EQ(Units(63, L'z'), shortText.Data());
    shortText.FormatShort(L"%d%%", 42);
    EXPECT_EQ(std::wstring(L"42%"), shortText.Data());
}

TEST(UIString, WideToNarrowInTheAskedCodePage) {
    EXPECT_EQ(SkinUI::WideToNarrow(L"pass-word", CP_ACP), "pass-word");
    EXPECT_EQ(SkinUI::WideToNarrow(nullptr, CP_ACP), "");
    EXPECT_EQ(SkinUI::WideToNarrow(L"", CP_UTF8), "");
    EXPECT_EQ(SkinUI::WideToNarrow(L"lan/\u00E9t\u00E9.xml", CP_UTF8), "lan/\xC3\xA9t\xC3\xA9.xml");
}
