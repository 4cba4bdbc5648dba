// The standard controls' classes (label, button, option, check box, progress, slider, edit, combo),
// registered with the control factory by name.
#include "UIButton.h"
#include "UICombo.h"
#include "UIControlFactory.h"
#include "UIControls.h"
#include "UIEdit.h"
#include "UILabel.h"
#include "UIOption.h"
#include "UIProgress.h"

namespace SkinUI {

namespace {

void RegisterStandardClasses(CControlFactory& factory) {
    static const TControlClass kClasses[] = {
        {L"CLabelUI", &CLabelUI::CreateControl},
        {L"CButtonUI", &CButtonUI::CreateControl},
        {L"COptionUI", &COptionUI::CreateControl},
        {L"CCheckBoxUI", &CCheckBoxUI::CreateControl},
        {L"CProgressUI", &CProgressUI::CreateControl},
        {L"CSliderUI", &CSliderUI::CreateControl},
        {L"CEditUI", &CEditUI::CreateControl},
        {L"CComboUI", &CComboUI::CreateControl},
    };
    factory.RegistControls(kClasses, sizeof(kClasses) / sizeof(kClasses[0]));
}

}  // namespace

void RegisterStandardControlClasses() { CControlFactory::AddBuiltinRegistrar(&RegisterStandardClasses); }

}  // namespace SkinUI
