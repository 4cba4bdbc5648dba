#include "OutputTypeNames.h"

namespace {

constexpr const wchar_t* kButtonTexts[OutputTypeCount] = {
    L"${empty}",
    L"${front_left_tweeter}",  L"${front_left_midrange}",  L"${front_left_woofer}",
    L"${front_left_mid_twee}", L"${front_left_mid_woof}",  L"${front_left_full}",
    L"${front_right_tweeter}", L"${front_right_midrange}", L"${front_right_woofer}",
    L"${front_right_mid_twee}", L"${front_right_mid_woof}", L"${front_right_full}",
    L"${rear_left_tweeter}",   L"${rear_left_woofer}",     L"${rear_left_full}",
    L"${rear_right_tweeter}",  L"${rear_right_woofer}",    L"${rear_right_full}",
    L"${center_tweeter}",      L"${center_woofer}",        L"${center_full}",
    L"${left_subwoofer_freq}", L"${right_subwoofer_freq}", L"${subwoofer_freq}",
};

}  // namespace

const wchar_t* OutputTypeButtonText(OutputType type) {
    return type >= 0 && type < OutputTypeCount ? kButtonTexts[type] : nullptr;
}
