// The composite and animated controls' classes (tree, list with in-place editors, text with links,
// animated GIF, loading bar, rolling text, combo with an arrow image, fade button, ring, group box and
// colour palette), registered with the control factory by name.
#include "UIControlFactory.h"
#include "UIControls.h"
#include "UIColorPalette.h"
#include "UIComboBox.h"
#include "UIFadeButton.h"
#include "UIGifAnim.h"
#include "UIGroupBox.h"
#include "UIListEx.h"
#include "UILoadingBar.h"
#include "UIRing.h"
#include "UIText.h"
#include "UITreeView.h"

namespace SkinUI {

namespace {

void RegisterCompositeClasses(CControlFactory& factory) {
    static const TControlClass kClasses[] = {
        {L"CTreeViewUI", &CTreeViewUI::CreateControl},
        {L"CTreeNodeUI", &CTreeNodeUI::CreateControl},
        {L"CTextUI", &CTextUI::CreateControl},
        {L"CGifAnimUI", &CGifAnimUI::CreateControl},
        {L"CLoadingBarUI", &CLoadingBarUI::CreateControl},
        {L"CRollTextUI", &CRollTextUI::CreateControl},
        {L"CFadeButtonUI", &CFadeButtonUI::CreateControl},
        {L"CRingUI", &CRingUI::CreateControl},
        {L"CGroupBoxUI", &CGroupBoxUI::CreateControl},
        {L"CColorPaletteUI", &CColorPaletteUI::CreateControl},
        {L"CComboBoxUI", &CComboBoxUI::CreateControl},
        {L"CListExUI", &CListExUI::CreateControl},
        {L"CListContainerHeaderItemUI", &CListContainerHeaderItemUI::CreateControl},
        {L"CListTextExtElementUI", &CListTextExtElementUI::CreateControl},
    };
    factory.RegistControls(kClasses, sizeof(kClasses) / sizeof(kClasses[0]));
}

}  // namespace

void RegisterCompositeControlClasses() { CControlFactory::AddBuiltinRegistrar(&RegisterCompositeClasses); }

}  // namespace SkinUI
