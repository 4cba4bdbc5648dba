#include "OutputTypeNames.h"

#include <cwchar>

namespace {

constexpr const wchar_t* kMenuNames[OutputTypeCount] = {
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

struct MenuRow {
    const wchar_t* name;
    const wchar_t* menuText;
    const wchar_t* buttonText;
};

// The output-type menu in its order: categories and sides carry no button text.
constexpr MenuRow kMenuRows[] = {
    {L"output_menu_front", L"${front}", L""},
    {L"output_menu_front_left", L"${left}", L""},
    {L"output_menu_front_left_high_freq", L"${tweeter}", L"${front_left_tweeter}"},
    {L"output_menu_front_left_mid_freq", L"${midrange}", L"${front_left_midrange}"},
    {L"output_menu_front_left_low_freq", L"${woofer}", L"${front_left_woofer}"},
    {L"output_menu_front_left_mid_high_freq", L"${midrange_tweeter}", L"${front_left_mid_twee}"},
    {L"output_menu_front_left_mid_low_freq", L"${midrange_woofer}", L"${front_left_mid_woof}"},
    {L"output_menu_front_left_all_freq", L"${full}", L"${front_left_full}"},
    {L"output_menu_front_right", L"${right}", L""},
    {L"output_menu_front_right_high_freq", L"${tweeter}", L"${front_right_tweeter}"},
    {L"output_menu_front_right_mid_freq", L"${midrange}", L"${front_right_midrange}"},
    {L"output_menu_front_right_low_freq", L"${woofer}", L"${front_right_woofer}"},
    {L"output_menu_front_right_mid_high_freq", L"${midrange_tweeter}", L"${front_right_mid_twee}"},
    {L"output_menu_front_right_mid_low_freq", L"${midrange_woofer}", L"${front_right_mid_woof}"},
    {L"output_menu_front_right_all_freq", L"${full}", L"${front_right_full}"},
    {L"output_menu_rear", L"${rear}", L""},
    {L"output_menu_rear_left", L"${left}", L""},
    {L"output_menu_rear_left_high_freq", L"${tweeter}", L"${rear_left_tweeter}"},
    {L"output_menu_rear_left_low_freq", L"${woofer}", L"${rear_left_woofer}"},
    {L"output_menu_rear_left_all_freq", L"${full}", L"${rear_left_full}"},
    {L"output_menu_rear_right", L"${right}", L""},
    {L"output_menu_rear_right_high_freq", L"${tweeter}", L"${rear_right_tweeter}"},
    {L"output_menu_rear_right_low_freq", L"${woofer}", L"${rear_right_woofer}"},
    {L"output_menu_rear_right_all_freq", L"${full}", L"${rear_right_full}"},
    {L"output_menu_center", L"${center}", L""},
    {L"output_menu_center_high_freq", L"${tweeter}", L"${center_tweeter}"},
    {L"output_menu_center_low_freq", L"${woofer}", L"${center_woofer}"},
    {L"output_menu_center_all_freq", L"${full}", L"${center_full}"},
    {L"output_menu_subwoof", L"${subwoofer}", L""},
    {L"output_menu_subwoof_left", L"${left_subwoofer}", L"${left_subwoofer_freq}"},
    {L"output_menu_subwoof_right", L"${right_subwoofer}", L"${right_subwoofer_freq}"},
    {L"output_menu_subwoof_low", L"${woofer}", L"${subwoofer_freq}"},
    {L"output_item_empty", L"${empty}", L"${empty}"},
    {L"", L"", L""},
};

const MenuRow* FindRow(const wchar_t* name) {
    if (!name) return nullptr;
    for (const MenuRow& row : kMenuRows)
        if (wcscmp(row.name, name) == 0) return &row;
    return nullptr;
}

}  // namespace

const wchar_t* OutputTypeMenuName(OutputType type) {
    return type >= 0 && type < OutputTypeCount ? kMenuNames[type] : nullptr;
}

const wchar_t* OutputTypeName(OutputType type) {
    const wchar_t* name = OutputTypeMenuName(type);
    return name ? OutputMenuText(name) : nullptr;
}

const wchar_t* OutputTypeButtonText(OutputType type) { return OutputTypeName(type); }

OutputType OutputTypeFromName(const wchar_t* name) {
    if (!name) return -1;
    for (int type = 0; type < OutputTypeCount; ++type)
        if (wcscmp(kMenuNames[type], name) == 0) return type;
    return -1;
}

const wchar_t* OutputMenuText(const wchar_t* name) {
    const MenuRow* row = FindRow(name);
    return row ? row->buttonText : nullptr;
}

const wchar_t* OutputMenuItemText(const wchar_t* name) {
    const MenuRow* row = FindRow(name);
    return row ? row->menuText : nullptr;
}
