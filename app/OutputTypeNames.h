#pragma once
// Speaker positions (0..24) and their names: the item names of the output-type menu, the "${key}" texts
// the menu and the output buttons show, and the lookups between them.
#include "model/Crossover.h"

// The "${key}" text of a speaker position; null outside 0..24.
const wchar_t* OutputTypeButtonText(OutputType type);
// The menu item name of a position; null outside 0..24.
const wchar_t* OutputTypeMenuName(OutputType type);
// The button text of a position, found through its menu item name; null outside 0..24.
const wchar_t* OutputTypeName(OutputType type);
// The position whose menu item name is exactly this text (case-sensitive); -1 for any other text.
OutputType OutputTypeFromName(const wchar_t* name);
// The button text of a menu item (empty for the category and side items); null for unknown names.
const wchar_t* OutputMenuText(const wchar_t* name);
// The menu text of a menu item; null for unknown names.
const wchar_t* OutputMenuItemText(const wchar_t* name);
