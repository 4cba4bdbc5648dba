// Options and check boxes built from layout XML and clicked with real mouse messages: radio groups,
// toggling, quiet selection from the layout, the check box's automatic check, and the selected look.
#include "ControlsTestSupport.h"

#include "UIEdit.h"
#include "UIOption.h"
#include "UITextResource.h"

using namespace SkinUI;
using namespace WindowTest;
using namespace ControlsTest;

namespace {

const wchar_t kOptions[] = LR"(<Window size="400,100"><HorizontalLayout>
  <Option name="a" width="50" group="g" selected="true"/>
  <Option name="b" width="50" group="g"/>
  <Option name="c" width="50" group="g"/>
  <Option name="free" width="50"/>
  <CheckBox name="auto" width="50" EnableAutoCheck="true"/>
  <CheckBox name="check" width="50"/>
  <Control/>
</HorizontalLayout></Window>)";

}  // namespace

TEST(Option, AGroupKeepsOneSelectedAndOnlyTheNewOneReports) {
    CControlWindow window(kOptions);
    ASSERT_NE(nullptr, window.Open());
    auto* a = window.Get<COptionUI>(L"a");
    auto* b = window.Get<COptionUI>(L"b");
    auto* c = window.Get<COptionUI>(L"c");
    EXPECT_TRUE(a->IsSelected()) << "selected quietly by the layout";
    EXPECT_TRUE(a->GetButtonState() & UISTATE_SELECTED);

    window.Click(window.Centre(L"b"));
    EXPECT_FALSE(a->IsSelected());
    EXPECT_TRUE(b->IsSelected());
    EXPECT_FALSE(c->IsSelected());
    EXPECT_EQ((std::vector<std::wstring>{L"click", L"selectchanged"}), window.recorder.Types());
    EXPECT_EQ(L"b", window.recorder.Of(L"selectchanged")[0].sender);

    window.recorder.Clear();
    window.Click(window.Centre(L"b"));
    EXPECT_TRUE(b->IsSelected());
    EXPECT_EQ((std::vector<std::wstring>{L"click"}), window.recorder.Types());

    // Quiet selection deselects the others without a word.
    window.recorder.Clear();
    c->Selected(true, true);
    EXPECT_FALSE(b->IsSelected());
    EXPECT_TRUE(window.recorder.Types().empty());
}

TEST(Option, WithoutAGroupItTogglesAndACheckBoxReportsItsState) {
    CControlWindow window(kOptions);
    ASSERT_NE(nullptr, window.Open());
    window.Click(window.Centre(L"free"));
    window.Click(window.Centre(L"free"));
    ASSERT_EQ(2u, window.recorder.Of(L"selectchanged").size());
    EXPECT_EQ(0u, window.recorder.Of(L"selectchanged")[0].wParam);
    EXPECT_FALSE(window.Get<COptionUI>(L"free")->IsSelected());

    window.recorder.Clear();
    auto* check = window.Get<CCheckBoxUI>(L"check");
    window.Click(window.Centre(L"check"));
    EXPECT_TRUE(check->GetCheck());
    window.Click(window.Centre(L"check"));
    EXPECT_FALSE(check->GetCheck());
    const auto changes = window.recorder.Of(L"selectchanged");
    ASSERT_EQ(2u, changes.size());
    EXPECT_EQ(1u, changes[0].wParam);
    EXPECT_EQ(0u, changes[1].wParam);
    EXPECT_EQ(2u, window.recorder.Of(L"click").size());
}

TEST(Option, AnAutoCheckBoxTogglesAsTheButtonGoesDown) {
    CControlWindow window(kOptions);
    ASSERT_NE(nullptr, window.Open());
    auto* box = window.Get<CCheckBoxUI>(L"auto");
    const POINT centre = window.Centre(L"auto");
    window.Press(centre);
    EXPECT_TRUE(box->GetCheck()) << "checked before the release";
    EXPECT_EQ((std::vector<std::wstring>{L"selectchanged", L"checkclick"}), window.recorder.Types());
    EXPECT_EQ(1u, window.recorder.Of(L"selectchanged")[0].wParam);
    window.Release(centre);
    Pump();
    EXPECT_TRUE(window.recorder.Of(L"click").empty());
    window.Click(centre);
    EXPECT_FALSE(box->GetCheck());
    EXPECT_EQ(0u, window.recorder.Of(L"selectchanged")[1].wParam);

    // Disabled: nothing.
    box->SetEnabled(false);
    window.recorder.Clear();
    window.Click(centre);
    EXPECT_FALSE(box->GetCheck());
    EXPECT_TRUE(window.recorder.Types().empty());
}

TEST(Option, DisablingASelectedOptionKeepsOnlyItsSelectedBit) {
    CControlWindow window(kOptions);
    ASSERT_NE(nullptr, window.Open());
    auto* a = window.Get<COptionUI>(L"a");
    window.MoveTo(window.Centre(L"a"));
    ASSERT_TRUE(a->GetButtonState() & UISTATE_HOT);
    a->SetEnabled(false);
    EXPECT_EQ(UINT(UISTATE_SELECTED), a->GetButtonState());
}

TEST(Option, TheSelectedLookFollowsTheStateAtEveryDpi) {
    CImageFolder images;
    const std::vector<uint32_t> normal = {0x800000, 0x008000};
    const std::vector<uint32_t> selected = {0xFF0000, 0x00FF00};
    images.WriteStrip(L"off.png", 20, 20, normal);
    images.WriteStrip(L"on.png", 20, 20, selected);
    for (const TDpi& dpi : kDpis) {
        if (dpi.percent != 100) {
            const int side = Scaled(20, dpi.percent);
            const std::wstring suffix = L"@" + std::to_wstring(dpi.percent) + L".png";
            images.WriteStrip((L"off" + suffix).c_str(), side, side, normal);
            images.WriteStrip((L"on" + suffix).c_str(), side, side, selected);
        }
        CControlWindow window(LR"(<Window size="200,100"><HorizontalLayout>
  <Option name="o" width="20" height="20" stateimage="off.png" statecount="2" selectedstateimage="on.png"
          selectedstatecount="2" selectedtext="On" text="Off" selectedbkcolor="#FF123456"/>
  <Control/>
</HorizontalLayout></Window>)");
        ASSERT_NE(nullptr, window.Open(dpi.dpi));
        auto* option = window.Get<COptionUI>(L"o");
        const POINT centre = window.Centre(L"o");
        EXPECT_EQ(0x800000u, window.Pixel(2, 2)) << dpi.percent;
        window.Click(centre);
        ASSERT_TRUE(option->IsSelected());
        EXPECT_EQ(0x00FF00u, window.Pixel(2, 2)) << dpi.percent << " % selected and hot";
        window.MoveTo({150, 80});
        EXPECT_EQ(0xFF0000u, window.Pixel(2, 2)) << dpi.percent << " % selected";
        EXPECT_EQ(L"On", std::wstring(option->GetSelectedText().Data()));
    }
}

TEST(Option, SelectedTextAndTipsMayBeLanguageKeys) {
    ASSERT_TRUE(CTextResource::GetInstance()->LoadLanguage(
        L"<Language><Text id=\"${on}\" value=\"Switched on\"/><Text id=\"${tip}\" value=\"Type here\"/></Language>",
        L"en"));
    CTextResource::GetInstance()->SelectLanguage(L"en");
    CControlWindow window(LR"(<Window size="300,100"><VerticalLayout>
  <Option name="o" height="24" text="Off" selectedtext="${on}" selected="true"/>
  <Edit name="e" height="24" tipvalue="${tip}"/>
  <Control/>
</VerticalLayout></Window>)");
    ASSERT_NE(nullptr, window.Open());
    EXPECT_EQ(L"Switched on", std::wstring(window.Get<COptionUI>(L"o")->GetSelectedText().Data()));
    EXPECT_EQ(L"Type here", std::wstring(window.Get<CEditUI>(L"e")->GetTipValue().Data()));
    CTextResource::Release();
}
