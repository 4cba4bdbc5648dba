// The list and menu control classes, registered with the control factory by name.
#include "UIControlFactory.h"
#include "UIControls.h"
#include "UIList.h"
#include "UIListElement.h"
#include "UIListHeader.h"
#include "UIManager.h"
#include "UIMenuElement.h"

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
        {L"CMenuUI", &CMenuUI::CreateControl},
        {L"CMenuElementUI", &CMenuElementUI::CreateControl},
    };
    factory.RegistControls(kClasses, sizeof(kClasses) / sizeof(kClasses[0]));
}

}  // namespace

void RegisterListControlClasses() {
    CControlFactory::AddBuiltinRegistrar(&RegisterListClasses);
    // The menus' check records go with the framework's shared resources.
    CPaintManagerUI::AddShutdownHook([](bool) { CMenuWnd::DestroyMenu(); });
}

}  // namespace SkinUI
