#include "UIDelegate.h"

#include <gtest/gtest.h>

#include <string>

using namespace SkinUI;

namespace {

std::string gCalls;

bool First(void*) {
    gCalls += "1";
    return true;
}
bool Veto(void*) {
    gCalls += "2";
    return false;
}
bool Third(void*) {
    gCalls += "3";
    return true;
}

struct Listener {
    int seen = 0;
    bool OnEvent(void* param) {
        seen += *static_cast<int*>(param);
        return true;
    }
    bool OnOther(void*) { return false; }
};

}  // namespace

TEST(UIEventSource, CallsInOrderAndStopsAtTheFirstVeto) {
    gCalls.clear();
    CUIEventSource source;
    EXPECT_FALSE(static_cast<bool>(source));
    EXPECT_TRUE(source(nullptr));  // an empty source answers true

    source += MakeDelegate(&First);
    source += MakeDelegate(&Veto);
    source += MakeDelegate(&Third);
    EXPECT_FALSE(source(nullptr));
    EXPECT_EQ("12", gCalls);

    source -= MakeDelegate(&Veto);
    gCalls.clear();
    EXPECT_TRUE(source(nullptr));
    EXPECT_EQ("13", gCalls);
}

TEST(UIEventSource, SameDelegateRegistersOnce) {
    gCalls.clear();
    CUIEventSource source;
    source += MakeDelegate(&First);
    source += MakeDelegate(&First);
    source(nullptr);
    EXPECT_EQ("1", gCalls);
    source -= MakeDelegate(&First);
    EXPECT_FALSE(static_cast<bool>(source));
    source -= MakeDelegate(&First);  // removing what is not there changes nothing
    EXPECT_FALSE(static_cast<bool>(source));
}

TEST(UIEventSource, MemberDelegatesCompareByObjectAndMethod) {
    Listener a;
    Listener b;
    EXPECT_TRUE(MakeDelegate(&a, &Listener::OnEvent).Equals(MakeDelegate(&a, &Listener::OnEvent)));
    EXPECT_FALSE(MakeDelegate(&a, &Listener::OnEvent).Equals(MakeDelegate(&b, &Listener::OnEvent)));
    EXPECT_FALSE(MakeDelegate(&a, &Listener::OnEvent).Equals(MakeDelegate(&a, &Listener::OnOther)));
    EXPECT_EQ(&a, MakeDelegate(&a, &Listener::OnEvent).GetObject());

    CUIEventSource source;
    source += MakeDelegate(&a, &Listener::OnEvent);
    source += MakeDelegate(&b, &Listener::OnEvent);
    source += MakeDelegate(&a, &Listener::OnEvent);
    int value = 5;
    EXPECT_TRUE(source(&value));
    EXPECT_EQ(5, a.seen);
    EXPECT_EQ(5, b.seen);

    source -= MakeDelegate(&a, &Listener::OnEvent);
    source(&value);
    EXPECT_EQ(5, a.seen);
    EXPECT_EQ(10, b.seen);
}
