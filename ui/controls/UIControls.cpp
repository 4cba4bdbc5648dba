#include "UIControls.h"

#include "UIControlFactory.h"

namespace SkinUI {

// Each control family adds its own registrar (one line each) so the families stay independent.
void RegisterControlClasses() {
    RegisterStandardControlClasses();
    RegisterListControlClasses();
    RegisterPlatformControlClasses();
    RegisterCompositeControlClasses();
}

}  // namespace SkinUI
