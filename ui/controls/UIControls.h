#pragma once
// The standard controls register their classes with the control factory here. A program that builds
// layouts naming them calls RegisterControlClasses once before its first window.

namespace SkinUI {

void RegisterControlClasses();

// One registrar per control family, called by RegisterControlClasses.
void RegisterListControlClasses();
void RegisterStandardControlClasses();  // label, button, option, check box, progress, slider, edit, combo
void RegisterPlatformControlClasses();  // ActiveX, rich edit, hot key, date and IP pickers, browser, Flash
// tree, list with editors, links text, GIF, loading bar, rolling text, arrow combo, fade button, ring,
// group box, colour palette
void RegisterCompositeControlClasses();

}  // namespace SkinUI
