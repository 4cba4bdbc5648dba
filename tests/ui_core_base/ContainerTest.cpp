#include "UIGeometry.h"
#include "UIPtrArray.h"
#include "UIStringMap.h"
#include "UIValArray.h"

#include <gtest/gtest.h>

#include <string>

using namespace SkinUI;

namespace {
int gItems[32];
void* Item(int i) { return &gItems[i]; }
}  // namespace

TEST(UIPtrArray, GrowsTo11ThenDoubles) {
    CUIPtrArray a;
    EXPECT_EQ(0, a.Capacity());
    ASSERT_TRUE(a.Add(Item(0)));
    EXPECT_EQ(11, a.Capacity());
    for (int i = 1; i < 10; ++i) a.Add(Item(i));
    EXPECT_EQ(11, a.Capacity());
    a.Add(Item(10));  // the 11th addition
    EXPECT_EQ(22, a.Capacity());
    EXPECT_EQ(11, a.Count());
    for (int i = 0; i < 11; ++i) EXPECT_EQ(Item(i), a[i]);
}

TEST(UIPtrArray, InsertRemoveAndCheckedAccess) {
    CUIPtrArray a;
    EXPECT_FALSE(a.InsertAt(1, Item(0)));
    EXPECT_TRUE(a.InsertAt(0, Item(2)));
    EXPECT_TRUE(a.InsertAt(0, Item(0)));
    EXPECT_TRUE(a.InsertAt(1, Item(1)));
    EXPECT_TRUE(a.InsertAt(3, Item(3)));  // count appends
    ASSERT_EQ(4, a.Count());
    for (int i = 0; i < 4; ++i) EXPECT_EQ(Item(i), a.ItemAt(i));
    EXPECT_EQ(nullptr, a.ItemAt(4));
    EXPECT_EQ(nullptr, a.ItemAt(-1));
    EXPECT_EQ(2, a.IndexOf(Item(2)));
    EXPECT_EQ(-1, a.IndexOf(Item(9)));

    EXPECT_TRUE(a.RemoveAt(1));
    EXPECT_FALSE(a.RemoveAt(3));
    EXPECT_EQ(Item(2), a[1]);
    EXPECT_EQ(Item(3), a[2]);
    EXPECT_TRUE(a.SetAt(0, Item(7)));
    EXPECT_FALSE(a.SetAt(3, Item(7)));

    CUIPtrArray copy(a);
    EXPECT_EQ(3, copy.Count());
    EXPECT_EQ(Item(7), copy[0]);

    ASSERT_TRUE(a.Resize(5));
    EXPECT_EQ(5, a.Count());
    EXPECT_EQ(nullptr, a[4]);
    EXPECT_TRUE(a.Add(Item(1)));  // a full array still grows
    EXPECT_EQ(6, a.Count());
    a.Clear();
    EXPECT_TRUE(a.IsEmpty());
    EXPECT_EQ(0, a.Capacity());
}

TEST(UIValArray, CopiesElementsAndShiftsOnRemove) {
    struct Rec {
        int a;
        short b;
    };
    CUIValArray v(sizeof(Rec));
    for (int i = 0; i < 15; ++i) {
        Rec r{i, static_cast<short>(i * 2)};
        ASSERT_TRUE(v.Add(&r));
    }
    EXPECT_EQ(22, v.Capacity());
    EXPECT_TRUE(v.Remove(0));
    EXPECT_FALSE(v.Remove(14));
    EXPECT_EQ(1, static_cast<Rec*>(v[0])->a);
    EXPECT_EQ(28, static_cast<Rec*>(v.GetAt(13))->b);
    EXPECT_EQ(nullptr, v.GetAt(14));
    ASSERT_TRUE(v.Add(v[0]));  // an element of itself, across a possible move
    EXPECT_EQ(1, static_cast<Rec*>(v[14])->a);
}

TEST(UIStringMap, BucketsHashAndChainOrder) {
    CUIStringMap small(10);
    EXPECT_EQ(16, small.BucketCount());
    EXPECT_EQ(83, CUIStringMap().BucketCount());

    // h = h * 33 + c from the last character: "ab" -> 98 * 33 + 97 = 3331, bucket 3 of 16, like "c" and "S".
    EXPECT_EQ(3331u, CUIStringMap::Hash(L"ab"));
    CUIStringMap m(16);
    EXPECT_TRUE(m.Insert(L"ab", Item(0)));
    EXPECT_TRUE(m.Insert(L"c", Item(1)));
    EXPECT_TRUE(m.Insert(L"S", Item(2)));
    EXPECT_TRUE(m.Insert(L"zz", Item(3)));  // 122 * 33 + 122 = 4148, bucket 4: listed first
    EXPECT_EQ(std::wstring(L"zz"), m.KeyAt(0));
    EXPECT_EQ(std::wstring(L"S"), m.KeyAt(1));
    EXPECT_EQ(std::wstring(L"c"), m.KeyAt(2));
    EXPECT_EQ(std::wstring(L"ab"), m.KeyAt(3));
    EXPECT_EQ(nullptr, m.KeyAt(4));

    EXPECT_EQ(Item(0), m.Lookup(L"ab", false));
    EXPECT_EQ(std::wstring(L"ab"), m.KeyAt(3));
    EXPECT_EQ(Item(0), m.Lookup(L"ab"));  // moves it to the head of its chain
    EXPECT_EQ(std::wstring(L"ab"), m.KeyAt(1));

    EXPECT_TRUE(m.Remove(L"S"));   // middle of the chain
    EXPECT_TRUE(m.Remove(L"ab"));  // head of the chain
    EXPECT_FALSE(m.Remove(L"ab"));
    EXPECT_EQ(Item(1), m.Lookup(L"c"));
    EXPECT_EQ(2, m.Count());
    EXPECT_EQ(nullptr, m.Lookup(L"C"));  // case-sensitive
}

TEST(UIStringMap, InsertSetAndReset) {
    CUIStringMap m;
    EXPECT_TRUE(m.Insert(L"key", Item(0)));
    EXPECT_FALSE(m.Insert(L"key", Item(1)));
    EXPECT_EQ(Item(0), m.Lookup(L"key"));
    EXPECT_EQ(nullptr, m.Set(L"new", Item(2)));
    EXPECT_EQ(Item(2), m.Set(L"new", Item(3)));
    EXPECT_EQ(Item(3), m.Lookup(L"new"));

    EXPECT_TRUE(m.Insert(L"null", nullptr));
    EXPECT_FALSE(m.Insert(L"null", Item(4)));  // a key is never held twice
    EXPECT_EQ(3, m.Count());

    m.RemoveAll();
    EXPECT_EQ(0, m.Count());
    EXPECT_EQ(83, m.BucketCount());
    EXPECT_EQ(nullptr, m.Lookup(L"key"));

    m.ResetBuckets(0);
    EXPECT_FALSE(m.Insert(L"key", Item(0)));
    EXPECT_EQ(Item(5), m.Set(L"key", Item(5)));
    EXPECT_EQ(nullptr, m.Lookup(L"key"));
}

TEST(UIGeometry, PointsSizesAndRects) {
    CUIPoint p(static_cast<LPARAM>(MAKELONG(-5, -7)));
    EXPECT_EQ(-5, p.x);
    EXPECT_EQ(-7, p.y);
    CUISize s(10, 20, 40, 25);
    EXPECT_EQ(30, s.cx);
    EXPECT_EQ(5, s.cy);

    CUIRect r(10, 10, 30, 40);
    EXPECT_EQ(20, r.Width());
    EXPECT_EQ(30, r.Height());
    r.Deflate(2, 3);
    EXPECT_EQ(CUIRect(12, 13, 28, 37).left, r.left);
    EXPECT_EQ(37, r.bottom);
    r.MoveToOrigin();
    EXPECT_EQ(0, r.left);
    EXPECT_EQ(16, r.right);

    CUIRect j(0, 0, 0, 0);
    j.Join(CUIRect(5, 5, 10, 10));  // Join keeps the empty origin
    EXPECT_EQ(0, j.left);
    EXPECT_EQ(10, j.right);
    CUIRect u(0, 0, 0, 0);
    u.Union(CUIRect(5, 5, 10, 10));  // the system union ignores the empty one
    EXPECT_EQ(5, u.left);
    EXPECT_EQ(10, u.bottom);
}
