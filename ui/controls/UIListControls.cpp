// The list and menu control classes, registered with the control factory by name.
#include "UIControlFactory.h"
#include "UIControls.h"
#include "UIList.h"
#include "UIListElement.h"
#include "UIListHeader.h"

namespace SkinUI {

namespace {

void RegisterListClasses(CControlFactory& factory) {
    static const TControlClass kClasses[] = {
        {L"CListUI", &CListUI::CreateControl},
        {L"CListHeaderUI", &CListHeaderUI::CreateControl},
        {L"CListHeaderItemUI", &CListHeaderItemUI::CreateControl},
        {L"CListLabelElementUI", &CListLabelElementUI::CreateControl},
        {L"CListTextElementUI", &CListTextElementUI::CreateControl},
        {L"CListContainerElementUI", &CListContainerElementUI::CreateControl},
    };
    factory.RegistControls(kClasses, sizeof(kClasses) / sizeof(kClasses[0]));
}

}  // namespace

void RegisterListControlClasses() { CControlFactory::AddBuiltinRegistrar(&RegisterListClasses); }

}  // namespace SkinUI
