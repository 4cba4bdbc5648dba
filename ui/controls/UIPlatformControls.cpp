// The controls built on platform components (COM hosting, text services, common controls, sockets),
// registered with the control factory by class name.
#include "UIActiveX.h"
#include "UIControlFactory.h"
#include "UIControls.h"
#include "UIDateTime.h"
#include "UIFlash.h"
#include "UIHotKey.h"
#include "UIIPAddress.h"
#include "UIIPAddressEx.h"
#include "UIRichEdit.h"
#include "UIWebBrowser.h"

namespace SkinUI {

namespace {

void RegisterPlatformClasses(CControlFactory& factory) {
    static const TControlClass kClasses[] = {
        {L"CActiveXUI", &CActiveXUI::CreateControl},
        {L"CRichEditUI", &CRichEditUI::CreateControl},
        {L"CWebBrowserUI", &CWebBrowserUI::CreateControl},
        {L"CFlashUI", &CFlashUI::CreateControl},
        {L"CHotKeyUI", &CHotKeyUI::CreateControl},
        {L"CDateTimeUI", &CDateTimeUI::CreateControl},
        {L"CIPAddressUI", &CIPAddressUI::CreateControl},
        {L"CIPAddressExUI", &CIPAddressExUI::CreateControl},
    };
    factory.RegistControls(kClasses, sizeof(kClasses) / sizeof(kClasses[0]));
}

}  // namespace

void RegisterPlatformControlClasses() { CControlFactory::AddBuiltinRegistrar(&RegisterPlatformClasses); }

}  // namespace SkinUI
