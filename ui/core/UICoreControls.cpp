// The control classes of the core, registered with the control factory by name.
#include "UIAnimationTabLayout.h"
#include "UIChildLayout.h"
#include "UIControlFactory.h"
#include "UIDlgBuilder.h"
#include "UIHorizontalLayout.h"
#include "UIScrollBar.h"
#include "UITabLayout.h"
#include "UITileLayout.h"
#include "UIVerticalLayout.h"

namespace SkinUI {

namespace {

void RegisterCoreClasses(CControlFactory& factory) {
    static const TControlClass kClasses[] = {
        {L"CControlUI", &CControlUI::CreateControl},
        {L"CAnimationTabLayoutUI", &CAnimationTabLayoutUI::CreateControl},
        {L"CContainerUI", &CContainerUI::CreateControl},
        {L"CScrollBarUI", &CScrollBarUI::CreateControl},
        {L"CChildLayoutUI", &CChildLayoutUI::CreateControl},
        {L"CHorizontalLayoutUI", &CHorizontalLayoutUI::CreateControl},
        {L"CTabLayoutUI", &CTabLayoutUI::CreateControl},
        {L"CTileLayoutUI", &CTileLayoutUI::CreateControl},
        {L"CVerticalLayoutUI", &CVerticalLayoutUI::CreateControl},
    };
    factory.RegistControls(kClasses, sizeof(kClasses) / sizeof(kClasses[0]));
}

}  // namespace

void RegisterCoreControlClasses() { CControlFactory::AddBuiltinRegistrar(&RegisterCoreClasses); }

}  // namespace SkinUI
