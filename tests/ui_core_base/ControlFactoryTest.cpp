#include "UIControlFactory.h"

#include <gtest/gtest.h>

#include <string>

using namespace SkinUI;

namespace {

// Stand-ins for control objects: the factory only hands back what the creator returns.
int gButton;
int gOtherButton;
int gLabel;
int gCreated;
CControlUI* CreateButton() {
    ++gCreated;
    return reinterpret_cast<CControlUI*>(&gButton);
}
CControlUI* CreateOtherButton() { return reinterpret_cast<CControlUI*>(&gOtherButton); }
CControlUI* CreateLabel() { return reinterpret_cast<CControlUI*>(&gLabel); }

int gRegistrarRuns;
void RegisterTestControls(CControlFactory& factory) {
    ++gRegistrarRuns;
    static const TControlClass classes[] = {{L"CButtonUI", &CreateButton}, {L"CLabelUI", &CreateLabel}};
    factory.RegistControls(classes, 2);
}

}  // namespace

TEST(ControlFactory, BuiltinRegistrarsNamesAndCase) {
    CControlFactory::AddBuiltinRegistrar(&RegisterTestControls);
    CControlFactory* factory = CControlFactory::GetInstance();
    EXPECT_EQ(1, gRegistrarRuns);
    EXPECT_EQ(reinterpret_cast<CControlUI*>(&gButton), factory->CreateControl(L"cbuttonui"));
    EXPECT_EQ(reinterpret_cast<CControlUI*>(&gButton), factory->CreateControl(L"CBUTTONUI"));
    EXPECT_EQ(reinterpret_cast<CControlUI*>(&gLabel), factory->CreateControl(L"CLabelUI"));

    factory->RegistControl(L"CButtonUI", &CreateOtherButton);  // the first function stays
    EXPECT_EQ(reinterpret_cast<CControlUI*>(&gButton), factory->CreateControl(L"CButtonUI"));

    int before = factory->GetCount();
    gCreated = 0;
    EXPECT_EQ(nullptr, factory->CreateControl(L"CNoSuchThingUI"));
    EXPECT_EQ(nullptr, factory->CreateControl(nullptr));
    EXPECT_EQ(before, factory->GetCount());
    EXPECT_EQ(0, gCreated);

    // A new factory after a release is filled by the registrars again; a registrar is kept once.
    CControlFactory::AddBuiltinRegistrar(&RegisterTestControls);
    CControlFactory::Release();
    EXPECT_TRUE(CControlFactory::GetInstance()->IsRegistered(L"clabelui"));
    EXPECT_EQ(2, gRegistrarRuns);
    CControlFactory::Release();
}

TEST(ControlFactory, TheBuiltinClassList) {
    EXPECT_EQ(47, CControlFactory::GetBuiltinClassCount());
    EXPECT_EQ(L"CControlUI", std::wstring(CControlFactory::GetBuiltinClassName(0)));
    EXPECT_EQ(L"CVerticalLayoutUI", std::wstring(CControlFactory::GetBuiltinClassName(37)));
    EXPECT_EQ(L"CLoadingBarUI", std::wstring(CControlFactory::GetBuiltinClassName(46)));
    EXPECT_EQ(nullptr, CControlFactory::GetBuiltinClassName(47));
}
