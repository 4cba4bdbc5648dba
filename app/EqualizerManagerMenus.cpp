// The main page's popup menus (speaker position, advanced, option, scene) and the speaker position chosen
// from the first of them. One menu is open at a time: the main window's slot holds it, and opening a
// menu destroys the one held before.
#include "EqualizerManager.h"

#include "base/Log.h"
#include "OutputTypeNames.h"
#include "PageControls.h"
#include "UIContainer.h"
#include "UIMenu.h"
#include "UIMenuElement.h"

#include <cwchar>

using namespace SkinUI;
using namespace PageControls;

namespace {

// Menu item name of each speaker position, by value.
constexpr const wchar_t* kPositionItems[OutputTypeCount] = {
    L"output_item_empty",
    L"output_menu_front_left_high_freq",      L"output_menu_front_left_mid_freq",
    L"output_menu_front_left_low_freq",       L"output_menu_front_left_mid_high_freq",
    L"output_menu_front_left_mid_low_freq",   L"output_menu_front_left_all_freq",
    L"output_menu_front_right_high_freq",     L"output_menu_front_right_mid_freq",
    L"output_menu_front_right_low_freq",      L"output_menu_front_right_mid_high_freq",
    L"output_menu_front_right_mid_low_freq",  L"output_menu_front_right_all_freq",
    L"output_menu_rear_left_high_freq",       L"output_menu_rear_left_low_freq",
    L"output_menu_rear_left_all_freq",        L"output_menu_rear_right_high_freq",
    L"output_menu_rear_right_low_freq",       L"output_menu_rear_right_all_freq",
    L"output_menu_center_high_freq",          L"output_menu_center_low_freq",
    L"output_menu_center_all_freq",           L"output_menu_subwoof_left",
    L"output_menu_subwoof_right",             L"output_menu_subwoof_low",
};

// The category and side items that only open sub-menus.
constexpr const wchar_t* kBranchItems[] = {
    L"output_menu_front",      L"output_menu_rear",       L"output_menu_center",    L"output_menu_subwoof",
    L"output_menu_front_left", L"output_menu_front_right", L"output_menu_rear_left", L"output_menu_rear_right",
};

constexpr DWORD kAlignBelowLeft = eMenuAlignment_Left | eMenuAlignment_Top;       // 6
constexpr DWORD kAlignBelowRight = eMenuAlignment_Top | eMenuAlignment_Right;     // 12
constexpr DWORD kSubMenuToLeft = eMenuAlignment_Intelligent | eMenuAlignment_Right | eMenuAlignment_Top;  // 44

// The position of a menu item name, -1 for any other name (a category, a side, an unknown text).
OutputType PositionFromItem(const wchar_t* name) {
    if (!name) return -1;
    for (int value = 0; value < OutputTypeCount; ++value)
        if (wcscmp(kPositionItems[value], name) == 0) return value;
    return -1;
}

CMenuElementUI* FindItem(CMenuWnd* menu, const wchar_t* name) {
    CControlUI* found = menu->GetPaintManager()->FindControlByName(name);
    if (!found) {
        auto* root = menu->GetMenuUI() ? static_cast<CContainerUI*>(menu->GetMenuUI()->GetInterface(L"IContainer")) : nullptr;
        found = root ? root->FindSubControl(name) : nullptr;
    }
    return found ? static_cast<CMenuElementUI*>(found->GetInterface(L"MenuElement")) : nullptr;
}

}  // namespace

CMenuWnd* EqualizerManager::OpenMenu(HWND window, CControlUI* sender, CUIStringMap* checks, CMenuWnd** slot,
                                     CPaintManagerUI* manager, const wchar_t* layout, bool atRight) {
    if (!slot || !sender) return nullptr;
    delete *slot;
    *slot = nullptr;
    // The entry goes into the opener's map, also before its first menu.
    if (checks) GetMenuObserver().SetMenuCheckInfo(checks);
    CMenuWnd::SetMenuItemInfo(L"菜单", true);
    RECT owner = {};
    GetWindowRect(window, &owner);
    const RECT button = sender->GetPos();
    const POINT at = {owner.left + (atRight ? button.right : button.left), owner.top + button.bottom};
    auto* menu = new CMenuWnd;
    *slot = menu;
    // Where the screen has no room below (the bottom row of the page), the menu opens above the button.
    menu->SetAnchor(RECT{owner.left + button.left, owner.top + button.top, owner.left + button.right,
                         owner.top + button.bottom});
    menu->Init(nullptr, layout, at, manager, checks, atRight ? kAlignBelowRight : kAlignBelowLeft);
    return menu->GetHandle() ? menu : nullptr;
}

void EqualizerManager::ShowOutputMenu(HWND window, CControlUI* sender, CUIStringMap* checks, CMenuWnd** slot,
                                      CPaintManagerUI* manager, int n) {
    // The check records of the previous speaker menu go with it.
    if (slot && *slot) {
        delete *slot;
        *slot = nullptr;
    }
    CMenuWnd::DestroyMenu();
    CMenuWnd* menu = OpenMenu(window, sender, checks, slot, manager, L"xml/output_menu.xml", false);
    if (!menu) return;
    // The right half of the page opens its sub-menus to the left.
    if (n >= 5)
        for (const wchar_t* name : kBranchItems)
            if (CMenuElementUI* item = FindItem(menu, name)) item->SetSubMenuAlignment(kSubMenuToLeft);
    for (int value = 0; value < OutputTypeCount; ++value)
        if (CMenuElementUI* item = FindItem(menu, kPositionItems[value])) SetupOutputMenuItem(item, kPositionItems[value], n);
    menu->ResizeMenu();
}

void EqualizerManager::SetupOutputMenuItem(CMenuElementUI* item, const wchar_t* name, int n) {
    if (!item) return;
    const OutputType value = PositionFromItem(name);
    item->SetIcon(value >= 0 && config.IsOutputTypeUsed(value) ? L"right.png" : L"");
    item->SetIconSize(18, 18);
    item->SetEnabled(true);
    if (n >= 5) item->SetSubMenuAlignment(kSubMenuToLeft);
}

void EqualizerManager::ShowAdvanceMenu(HWND window, CControlUI* sender, CUIStringMap* checks, CMenuWnd** slot,
                                       CPaintManagerUI* manager) {
    CMenuWnd* menu = OpenMenu(window, sender, checks, slot, manager, L"xml/advance_menu.xml", false);
    if (!menu) return;
    if (CMenuElementUI* item = FindItem(menu, L"advance_item_autocal")) item->SetEnabled(true);
    for (const wchar_t* name : {L"advance_item_noise_threshold", L"advance_item_poweroff_delay", L"advance_item_ktv",
                                L"advance_item_compressor"})
        if (CMenuElementUI* item = FindItem(menu, name)) item->SetVisible(false);
    menu->ResizeMenu();
}

void EqualizerManager::ShowOptionMenu(HWND window, CControlUI* sender, CUIStringMap* checks, CMenuWnd** slot,
                                      CPaintManagerUI* manager) {
    CMenuWnd* menu = OpenMenu(window, sender, checks, slot, manager, L"xml/option_menu.xml", true);
    if (!menu) return;
    if (!device.IsConnected())
        if (CMenuElementUI* item = FindItem(menu, L"option_item_reset_default")) item->SetEnabled(false);
    menu->ResizeMenu();
}

void EqualizerManager::ShowSceneMenu(HWND window, CControlUI* sender, CUIStringMap* checks, CMenuWnd** slot,
                                     CPaintManagerUI* manager) {
    CMenuWnd* menu = OpenMenu(window, sender, checks, slot, manager, L"xml/scene_menu.xml", true);
    if (!menu) return;
    if (!device.IsConnected())
        for (const wchar_t* name : {L"scene_item_load_scene", L"scene_item_saveas_scene", L"scene_item_delete_scene"})
            if (CMenuElementUI* item = FindItem(menu, name)) item->SetEnabled(false);
    menu->ResizeMenu();
}

void EqualizerManager::SetOutputValue(int n, const wchar_t* itemName) { ApplyOutputPosition(n, itemName, true); }

// withPreset: the position's crossover preset replaces the output's crossover; without it the output
// keeps the crossover it has (a bridged right output keeps the copy of the left one's).
void EqualizerManager::ApplyOutputPosition(int n, const wchar_t* itemName, bool withPreset) {
    LogPrintW(L"SetOutputValue channel %d selected value %ls\n", n, itemName ? itemName : L"");
    const OutputType value = PositionFromItem(itemName);
    // Only the position items carry a position; the branches that open sub-menus are not one.
    if (n < 0 || n >= OutputCount || value < 0) return;
    SetText(chOutputBtn[n], OutputTypeButtonText(value));
    config.outputs[n] = value;
    if (withPreset) config.channels[n].crossover = Crossover::FromOutputType(value);
    if (n == CurrentOutput()) SetFreqDivider(n);
    ShowOutputTypes();
    UpdateEqualizer(-1);
    SetCurChannelChange(n);

    uint8_t positions[OutputCount];
    for (int i = 0; i < OutputCount; ++i) positions[i] = static_cast<uint8_t>(config.outputs[i]);
    device.CH_Type_Ctrl(SceneByte(), 0, static_cast<uint8_t>(n), static_cast<uint8_t>(n), &positions[n], false);
    SendFilter(n, 2);
    SendFilter(n, 1);
    float trim = 0 - config.channels[n].gain;
    device.Trim_Ctrl(SceneByte(), 0, static_cast<uint8_t>(n), static_cast<uint8_t>(n), &trim, false);
}
