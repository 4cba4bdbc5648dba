// The controls built on platform components (COM hosting, text services, common controls, sockets),
// registered with the control factory by class name.
#include "UIActiveX.h"
#include "UIControlFactory.h"
#include "UIControls.h"
#include "UIRichEdit.h"

namespace SkinUI {

namespace {

void RegisterPlatformClasses(CControlFactory& factory) {
    static const TControlClass kClasses[] = {
        {L"CActiveXUI", &CActiveXUI::CreateControl},
        {L"CRichEditUI", &CRichEditUI::CreateControl},
    };
    factory.RegistControls(kClasses, sizeof(kClasses) / sizeof(kClasses[0]));
}

}  // namespace

void RegisterPlatformControlClasses() { CControlFactory::AddBuiltinRegistrar(&RegisterPlatformClasses); }

}  // namespace SkinUI
