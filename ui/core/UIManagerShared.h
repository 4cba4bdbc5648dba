#pragma once
// Process-wide state of the paint managers, shared by the UIManager*.cpp files only.
#include "UIManager.h"

#include <vector>

namespace SkinUI {

struct SharedResources {
    TResourceSet set;                 // the shared resource set
    CUIPtrArray plugins;              // PluginCreateControl
    CUIPtrArray managers;             // managers with an attached window
    std::vector<void (*)(bool)> shutdownHooks;
    bool useHSL = false;
    short hue = 180;
    short saturation = 100;
    short lightness = 100;
    HPEN updatePen = nullptr;
};

SharedResources& Shared();

// The key of the draw-info cache: the two texts joined by a character that no skin text contains.
CUIString DrawInfoKey(const wchar_t* image, const wchar_t* modify);

}  // namespace SkinUI
