// Every layout of the skin builds from the embedded archive, and holds every control the windows bind
// by name, of the kind the windows expect. The main window's texts, and the dialogs' button texts, fit
// their controls in every language at 100 % and 150 %, and its caption's controls lie side by side.
#include "SkinTestSupport.h"
#include "SkinTree.h"

#include "UIDlgBuilder.h"
#include "UILabel.h"
#include "UIManager.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <map>
#include <memory>

using namespace SkinUI;
using namespace SkinView;

namespace {

// A name pattern with one or two "%d" and the inclusive ranges they take.
struct TNamePattern {
    const wchar_t* pattern;
    int first = 0, last = -1;    // first %d; last < first: no index
    int first2 = 0, last2 = -1;  // second %d
};

std::vector<std::wstring> Expand(const std::vector<TNamePattern>& patterns) {
    std::vector<std::wstring> names;
    wchar_t name[96];
    for (const TNamePattern& p : patterns) {
        if (p.last < p.first) {
            names.push_back(p.pattern);
            continue;
        }
        for (int i = p.first; i <= p.last; ++i) {
            if (p.last2 < p.first2) {
                swprintf(name, 96, p.pattern, i);
                names.push_back(name);
                continue;
            }
            for (int j = p.first2; j <= p.last2; ++j) {
                swprintf(name, 96, p.pattern, i, j);
                names.push_back(name);
            }
        }
    }
    return names;
}

// The main page (its layout with the channel sub-layout attached) as the main window and its controller
// bind it.
const std::vector<TNamePattern> kMainNames = {
    {L"root"}, {L"channel_settings"}, {L"minbtn"}, {L"closebtn"}, {L"equalizer"}, {L"btnConnect"}, {L"btn_debug"},
    {L"btn_amp_onoff"}, {L"btn_rem_out1_onoff"}, {L"btn_rem_out2_onoff"}, {L"btn_2ohm_spk"}, {L"btn_noise_gate"},
    {L"ch_bridge_%d", 0, 4}, {L"btn_advance"}, {L"btn_option"}, {L"btn_scene"}, {L"btn_irc"},
    {L"btn_input_source"}, {L"source_opt"}, {L"source_coax"}, {L"source_bt"}, {L"source_aux"}, {L"source_low"},
    {L"source_hi"}, {L"source_dmp"}, {L"source_udp"}, {L"source_scp"}, {L"edit_main_volume"},
    {L"slider_main_volume"}, {L"main_mute"}, {L"comb_ch_unit"}, {L"hp_type"}, {L"lp_type"}, {L"hp_slop"},
    {L"lp_slop"}, {L"hp_freq"}, {L"lp_freq"}, {L"label_channel_name"},
    {L"ch_show_%d", 0, 9}, {L"ch_enable_%d", 0, 9}, {L"ch_output_btn_%d", 0, 9}, {L"slider_ch_volume_%d", 0, 9},
    {L"edit_ch_volume_%d", 0, 9}, {L"ch_mute_%d", 0, 9}, {L"ch_phase_%d", 0, 9}, {L"ch_synchronize_%d", 0, 9},
    {L"slider_ch_delay_%d", 0, 9}, {L"delay_lable_%d", 0, 9}, {L"edit_ch_delay_%d", 0, 9},
    {L"control_empty_%d", 0, 9}, {L"ch_volume_bg_%d", 0, 9}, {L"option_ch_in%d_%d", 0, 7, 0, 9},
    {L"input_123_%d", 0, 9}, {L"input_456_%d", 0, 9},
    {L"eq_freq_%d", 0, 20}, {L"eq_q_%d", 0, 20}, {L"eq_gain_%d", 0, 20}, {L"eq_slider_%d", 0, 20},
    {L"pt_enable_%d", 0, 20}, {L"btn_reset_eq"}, {L"btn_bypass"}, {L"btn_arg_eq"}, {L"btn_reset_output"},
    {L"btn_lock_output"}, {L"btn_link_output"}, {L"btn_link_select"}, {L"btn_delay_down"}, {L"btn_delay_up"},
    {L"speaker_%d", 1, 24}, {L"spk_con_%d", 1, 24}, {L"spk_delay_%d", 1, 24},
};

const std::vector<TNamePattern> kMessageNames = {{L"MessageTitle"}, {L"MessageText"}, {L"confirm_btn"},
                                                 {L"cancel_btn"}, {L"third_btn"}, {L"closebtn"}};
const std::vector<TNamePattern> kLoadingNames = {{L"MessageTitle"}, {L"MessageText"}};

const std::vector<TNamePattern> kSceneNames = {{L"closebtn"}, {L"listview"}, {L"list_header"},
                                               {L"listitem%d", 1, 10}, {L"value"}, {L"confirm_btn"},
                                               {L"cancel_btn"}, {L"MessageTitle"}, {L"MessageText"}};
const std::vector<TNamePattern> kNameEntryNames = {{L"closebtn"}, {L"name_edt"}, {L"confirm_btn"}, {L"cancel_btn"},
                                                   {L"MessageTitle"}, {L"MessageText"}};
const std::vector<TNamePattern> kCheckBoxMessageNames = {{L"closebtn"}, {L"MessageTitle"}, {L"MessageText"},
                                                         {L"check_box_0"}, {L"check_box_1"}, {L"confirm_btn"},
                                                         {L"cancel_btn"}};
const std::vector<TNamePattern> kAboutNames = {{L"closebtn"}, {L"fw_version"}, {L"soft_version"},
                                               {L"inner_fw_version"}, {L"company_title"}, {L"confirm_btn"}};
const std::vector<TNamePattern> kUpdateNames = {{L"closebtn"}, {L"file_path_edt"}, {L"file_btn"}, {L"cancel_btn"},
                                                {L"progress"}, {L"update_tips"}, {L"update_btn"}};
const std::vector<TNamePattern> kForceUpdateNames = {{L"closebtn"}, {L"check_box_facotry"}, {L"mcu_file"},
                                                     {L"flash_file"}, {L"update_btn"}, {L"cancel_btn"},
                                                     {L"update_tips"}, {L"mcu_progress"}, {L"flash_progress"}};
const std::vector<TNamePattern> kMemoryNames = {{L"closebtn"}, {L"read_btn"}, {L"write_btn"}, {L"addr_edit"},
                                                {L"data_edit"}};
const std::vector<TNamePattern> kPowerOffNames = {{L"closebtn"}, {L"value_edt"}, {L"slider_poweroff_delay"},
                                                  {L"confirm_btn"}, {L"cancel_btn"}};
const std::vector<TNamePattern> kLinkSelectNames = {{L"check_box_%d", 0, 3}, {L"check_box_left"},
                                                    {L"check_box_right"}, {L"confirm_btn"}, {L"cancel_btn"},
                                                    {L"closebtn"}};

const std::vector<TNamePattern> kAutoCalNames = {
    {L"closebtn"}, {L"equalizer_ac"}, {L"tips"}, {L"progress"}, {L"display_spk"}, {L"display_eq"},
    {L"start_auto_cal"}, {L"ch_checkbox_%d", 0, 9}, {L"audio_effect_%d", 0, 8}, {L"irc_eq"}, {L"irc_delay"},
    {L"irc_phase"}, {L"irc_save_data"}, {L"irc_cancel_data"}, {L"ch_%d: ", 0, 9}};
const std::vector<TNamePattern> kCompressorsNames = {
    {L"closebtn"}, {L"column_%d", 0, 9}, {L"box_enable_%d", 0, 9}, {L"slider_threshold_%d", 0, 9},
    {L"slider_attack_time_%d", 0, 9}, {L"slider_release_time_%d", 0, 9}, {L"edit_threshold_%d", 0, 9},
    {L"edit_attack_time_%d", 0, 9}, {L"edit_release_time_%d", 0, 9}, {L"confirm_btn"}, {L"cancel_btn"}};
const std::vector<TNamePattern> kNoiseNames = {{L"closebtn"}, {L"value_edt"}, {L"progress_%d", 0, 7},
                                               {L"in_%d", 0, 7}, {L"noise_%d", 0, 7}, {L"prg_group_%d", 0, 7},
                                               {L"confirm_btn"}, {L"cancel_btn"}};

const std::vector<TNamePattern> kMixerNames = {
    {L"closebtn"}, {L"minbtn"}, {L"maxbtn"}, {L"restorebtn"}, {L"channel_name_area"}, {L"column_%d", 0, 9},
    {L"out_distort_%d", 0, 9}, {L"box_%d_%d", 0, 9, 0, 9}, {L"box_grap_%d_%d", 0, 9, 0, 8},
    {L"box_enable_%d_%d", 0, 9, 0, 9}, {L"box_phase_%d_%d", 0, 9, 0, 9}, {L"box_volume_%d_%d", 0, 9, 0, 9},
    {L"box_edit_%d_%d", 0, 9, 0, 9}, {L"left_box_%d", 0, 9}, {L"second_%d", 0, 9}, {L"in_phase_box_%d", 0, 9},
    {L"title_label_%d", 0, 9}, {L"left_grap_%d", 0, 8}, {L"second_grap_%d", 0, 8}, {L"in_phase_grap_%d", 0, 8},
    {L"in_phase_%d", 0, 9}, {L"in_distort_%d", 0, 9}, {L"cmb_csm_vice_source_%d", 0, 1}, {L"line_0_%d", 0, 1},
    {L"line_1_%d", 0, 1}, {L"arrow_up_%d", 0, 1}, {L"csm_vice_gain_edit_%d", 0, 1}, {L"ch_bridge_%d", 0, 4},
    {L"confirm_btn"}, {L"cancel_btn"}, {L"third_btn"}};
const std::vector<TNamePattern> kKaraokeNames = {
    {L"closebtn"}, {L"minbtn"}, {L"maxbtn"}, {L"restorebtn"}, {L"confirm_btn"}, {L"option_howling_control"},
    {L"slider_mic_volume"}, {L"edit_mic_volume"}, {L"slider_bgmusic_volume"}, {L"edit_bgmusic_volume"},
    {L"slider_voice_changer"}, {L"edit_voice_changer"}, {L"slider_echo_level"}, {L"edit_echo_level"},
    {L"slider_echo_delay"}, {L"edit_echo_delay"}, {L"slider_reverb_level"}, {L"edit_reverb_level"},
    {L"slider_reverb_time"}, {L"edit_reverb_time"}, {L"slider_treble"}, {L"edit_treble"}, {L"slider_bass"},
    {L"edit_bass"}};
const std::vector<TNamePattern> kCompressorNames = {
    {L"closebtn"}, {L"minbtn"}, {L"confirm_btn"}, {L"curr_channel_text"}, {L"btn_bp"}, {L"slider_noise"},
    {L"slider_ratio"}, {L"slider_attack_time"}, {L"slider_release_time"}, {L"slider_soft_knee"}, {L"edit_noise"},
    {L"edit_ratio"}, {L"edit_attack_time"}, {L"edit_release_time"}, {L"edit_soft_knee"}};
const std::vector<TNamePattern> kCustomEqNames = {
    {L"closebtn"}, {L"minbtn"}, {L"confirm_btn"}, {L"equalizer"}, {L"eq_freq_%d", 0, 19}, {L"eq_q_%d", 0, 19},
    {L"eq_gain_%d", 0, 19}, {L"eq_slider_%d", 0, 19}, {L"pt_enable_%d", 0, 19}, {L"btn_reset_custom_eq"},
    {L"btn_reset_eq"}};
const std::vector<TNamePattern> kPopupNames = {{L"closebtn"}, {L"minbtn"}, {L"maxbtn"}, {L"restorebtn"},
                                               {L"menubtn"}, {L"homepage_btn"}};
// Each source's heading of the mixer's input column.
const std::vector<TNamePattern> kNoNames = {};

const std::vector<TNamePattern> kOutputMenuNames = {
    {L"output_item_empty"}, {L"output_menu_front"}, {L"output_menu_front_left"}, {L"output_menu_front_right"},
    {L"output_menu_rear"}, {L"output_menu_rear_left"}, {L"output_menu_rear_right"}, {L"output_menu_center"},
    {L"output_menu_subwoof"}, {L"output_menu_front_left_high_freq"}, {L"output_menu_front_left_mid_freq"},
    {L"output_menu_front_left_low_freq"}, {L"output_menu_front_left_mid_high_freq"},
    {L"output_menu_front_left_mid_low_freq"}, {L"output_menu_front_left_all_freq"},
    {L"output_menu_front_right_high_freq"}, {L"output_menu_front_right_mid_freq"},
    {L"output_menu_front_right_low_freq"}, {L"output_menu_front_right_mid_high_freq"},
    {L"output_menu_front_right_mid_low_freq"}, {L"output_menu_front_right_all_freq"},
    {L"output_menu_rear_left_high_freq"}, {L"output_menu_rear_left_low_freq"}, {L"output_menu_rear_left_all_freq"},
    {L"output_menu_rear_right_high_freq"}, {L"output_menu_rear_right_low_freq"},
    {L"output_menu_rear_right_all_freq"}, {L"output_menu_center_high_freq"}, {L"output_menu_center_low_freq"},
    {L"output_menu_center_all_freq"}, {L"output_menu_subwoof_left"}, {L"output_menu_subwoof_right"},
    {L"output_menu_subwoof_low"}};
const std::vector<TNamePattern> kOptionMenuNames = {
    {L"option_item_firmware_upgrade"}, {L"option_item_reset_default"}, {L"option_item_about"},
    {L"option_item_language"}, {L"option_item_language_en"}, {L"option_item_language_cn"},
    {L"option_item_language_ru"}};
const std::vector<TNamePattern> kSceneMenuNames = {
    {L"scene_item_load_scene"}, {L"scene_item_saveas_scene"}, {L"scene_item_delete_scene"},
    {L"scene_item_load_file"}, {L"scene_item_save_file"}, {L"scene_item_load_whole"}, {L"scene_item_save_whole"}};
const std::vector<TNamePattern> kAdvanceMenuNames = {
    {L"advance_item_autocal"}, {L"advance_item_mixer"}, {L"advance_item_compressors_on"},
    {L"advance_item_noise_threshold"}, {L"advance_item_poweroff_delay"}, {L"advance_item_ktv"},
    {L"advance_item_compressor"}};

struct TLayoutCase {
    const wchar_t* layout;  // layout id of the resource table, or a path
    const std::vector<TNamePattern>* names;
};

const TLayoutCase kLayouts[] = {
    {kMainLayout, &kMainNames},         {L"XML_MSG", &kMessageNames},
    {L"XML_LOADING", &kLoadingNames},   {L"XML_SENCE_PROFILE", &kSceneNames},
    {L"XML_MSG_NAME", &kNameEntryNames}, {L"XML_CHECKBOX_MSG", &kCheckBoxMessageNames},
    {L"XML_ABOUT", &kAboutNames},       {L"XML_UPDATE_FW", &kUpdateNames},
    {L"XML_FORCE_UPDATE", &kForceUpdateNames}, {L"XML_MEM_WR", &kMemoryNames},
    {L"XML_POWEROFF_DELAY", &kPowerOffNames}, {L"XML_LINK_SEL", &kLinkSelectNames},
    {L"XML_AUTO_CAL", &kAutoCalNames}, {L"XML_COMPRESSORS_ON", &kCompressorsNames},
    {L"XML_NOISE_THRESHOLD", &kNoiseNames}, {L"XML_MIXER", &kMixerNames},
    {L"XML_KTV", &kKaraokeNames}, {L"XML_COMPRESSOR", &kCompressorNames}, {L"XML_CUSTOM_EQ", &kCustomEqNames},
    {L"popup.xml", &kPopupNames},
    {L"xml/channel_name_area_hi_source.xml", &kNoNames}, {L"xml/channel_name_area_low_source.xml", &kNoNames},
    {L"xml/channel_name_area_aux_source.xml", &kNoNames}, {L"xml/channel_name_area_2ch_source.xml", &kNoNames},
    {L"xml/output_menu.xml", &kOutputMenuNames},
    {L"xml/option_menu.xml", &kOptionMenuNames}, {L"xml/scene_menu.xml", &kSceneMenuNames},
    {L"xml/advance_menu.xml", &kAdvanceMenuNames},
};

// Elements the skin uses whose classes other parts of the framework register; until then they are built
// as stand-ins. Any other unknown element is a spelling mistake in a layout.
const std::set<std::wstring> kLaterElements = {L"Combo", L"ListLabelElement", L"Menu", L"MenuElement"};

// The kind the main page's code expects behind a name, by name prefix.
const std::map<std::wstring, const wchar_t*> kKinds = {
    {L"slider_", L"Slider"}, {L"eq_slider_", L"Slider"},  {L"edit_", L"Edit"},     {L"eq_freq_", L"Edit"},
    {L"eq_q_", L"Edit"},     {L"eq_gain_", L"Edit"},      {L"spk_delay_", L"Edit"}, {L"hp_freq", L"Edit"},
    {L"lp_freq", L"Edit"},   {L"ch_enable_", L"Option"},  {L"ch_show_", L"Option"}, {L"ch_mute_", L"Option"},
    {L"ch_phase_", L"Option"}, {L"ch_synchronize_", L"Option"}, {L"speaker_", L"Option"},
    {L"main_mute", L"Option"}, {L"option_ch_in", L"Option"}, {L"ch_output_btn_", L"Button"},
    {L"delay_lable_", L"Label"}, {L"label_channel_name", L"Label"}, {L"MessageText", L"Label"},
    {L"confirm_btn", L"Button"}, {L"cancel_btn", L"Button"}, {L"third_btn", L"Button"}, {L"closebtn", L"Button"},
    {L"minbtn", L"Button"}, {L"btn_", L"Button"}, {L"btn_input_source", L"Combo"}, {L"btn_channel_select", L"Combo"}, {L"pt_enable_", L"Button"}, {L"ch_bridge_", L"Button"},
    {L"listview", L"List"}, {L"listitem", L"ListItem"}, {L"name_edt", L"Edit"}, {L"file_path_edt", L"Edit"},
    {L"addr_edit", L"Edit"}, {L"data_edit", L"Edit"}, {L"value_edt", L"Edit"}, {L"check_box_", L"Option"},
    {L"progress", L"Progress"}, {L"mcu_progress", L"Progress"}, {L"flash_progress", L"Progress"},
    {L"update_tips", L"Label"}, {L"mcu_file", L"Label"}, {L"flash_file", L"Label"}, {L"tips", L"Label"},
    {L"ch_checkbox_", L"Option"}, {L"audio_effect_", L"Option"}, {L"display_", L"Option"}, {L"irc_", L"Option"},
    {L"irc_save_data", L"Button"}, {L"irc_cancel_data", L"Button"}, {L"start_auto_cal", L"Button"},
    {L"box_enable_", L"Option"}, {L"progress_", L"Progress"}, {L"in_", L"Label"},
    {L"noise_", L"Label"}, {L"box_edit_", L"Edit"}, {L"box_volume_", L"Slider"}, {L"box_phase_", L"Option"},
    {L"in_phase_", L"Option"}, {L"in_phase_box_", L"IContainer"}, {L"csm_vice_gain_edit_", L"Edit"},
    {L"title_label_", L"Label"}, {L"maxbtn", L"Button"}, {L"restorebtn", L"Button"}, {L"in_phase_grap_", L"Control"},
    {L"in_distort_", L"Control"}, {L"btn_input_source", L"Combo"}, {L"comb_ch_unit", L"Combo"},
    {L"hp_type", L"Combo"}, {L"lp_type", L"Combo"}, {L"hp_slop", L"Combo"}, {L"lp_slop", L"Combo"},
    {L"cmb_csm_vice_source_", L"Combo"}, {L"btn_bp", L"Option"}, {L"curr_channel_text", L"Label"},
    {L"option_howling_control", L"Option"}};

class SkinLayoutTest : public ::testing::TestWithParam<TLayoutCase> {};

TEST_P(SkinLayoutTest, BuildsWithEveryBoundName) {
    const TLayoutCase& c = GetParam();
    CPaintManagerUI manager;
    CStandInFactory factory;
    CUIBuilder builder;
    std::unique_ptr<CControlUI> root(builder.Create(c.layout, nullptr, &factory, &manager, nullptr));
    ASSERT_TRUE(root) << "layout " << c.layout << " not built: " << builder.GetLastErrorMessage() << " at "
                      << builder.GetLastErrorLocation();
    if (wcscmp(c.layout, kMainLayout) == 0) {
        ASSERT_TRUE(AttachChannelSettings(manager, &factory, root.get()));
    }

    std::map<std::wstring, CControlUI*> byName;
    std::vector<std::wstring> twice;
    for (CControlUI* control : AllControls(root.get())) {
        const std::wstring name = control->GetName().Data();
        if (name.empty()) continue;
        // Scene rows share the name of their text control; the window looks it up inside each row.
        if (!byName.emplace(name, control).second && name != L"value") twice.push_back(name);
    }
    EXPECT_TRUE(twice.empty()) << "names given twice in " << c.layout << ", first " << (twice.empty() ? L"" : twice.front());
    for (const std::wstring& name : Expand(*c.names)) {
        auto found = byName.find(name);
        if (found == byName.end()) {
            ADD_FAILURE() << c.layout << " lacks " << name;
            continue;
        }
        // The longest prefix decides the kind; stand-ins are skipped.
        const wchar_t* kind = nullptr;
        size_t longest = 0;
        for (const auto& [prefix, kindName] : kKinds) {
            if (name.compare(0, prefix.size(), prefix) == 0 && prefix.size() > longest) {
                kind = kindName;
                longest = prefix.size();
            }
        }
        CControlUI* control = found->second;
        if (kind && wcscmp(control->GetClass(), L"StandInUI") != 0) {
            EXPECT_TRUE(control->GetInterface(kind)) << name << " in " << c.layout << " is not a " << kind;
        }
    }
    for (const std::wstring& element : factory.Unknown())
        EXPECT_TRUE(kLaterElements.count(element)) << c.layout << " names the unknown element " << element;
}

INSTANTIATE_TEST_SUITE_P(Skin, SkinLayoutTest, ::testing::ValuesIn(kLayouts));

// Every layout file of the skin, including those no table above names, builds.
TEST(SkinLayouts, EveryLayoutFileBuilds) {
    const std::vector<std::wstring> files = SkinTest::SkinLayoutFiles();
    EXPECT_GE(files.size(), 8u);
    for (const std::wstring& file : files) {
        CPaintManagerUI manager;
        CStandInFactory factory;
        CUIBuilder builder;
        std::unique_ptr<CControlUI> root(builder.Create(file.c_str(), nullptr, &factory, &manager, nullptr));
        EXPECT_TRUE(root) << file << ": " << builder.GetLastErrorMessage();
    }
}

// The texts of one-line labels, buttons and options (under root, else in the whole window) wider than the
// room their control leaves them, as GDI measures them in the control's font: "name: text" for each.
std::vector<std::wstring> ClippedTexts(CPaintManagerUI& pm, CControlUI* root = nullptr) {
    std::vector<std::wstring> clipped;
    HDC dc = GetDC(pm.GetWindowHandle());
    for (CControlUI* control : AllControls(root ? root : pm.GetRootControl())) {
        auto* label = static_cast<CLabelUI*>(control->GetInterface(L"Label"));
        if (!label || !control->IsVisible() || control->GetInterface(L"Edit")) continue;
        const std::wstring text = control->GetText().Data();
        if (text.empty() || !(label->GetTextStyle() & DT_SINGLELINE)) continue;
        const RECT pos = control->GetPos(), padding = label->GetTextPadding();
        const int room = (pos.right - pos.left) - padding.left - padding.right;
        HGDIOBJ old = SelectObject(dc, pm.GetFontHandle(label->GetFont()));
        RECT measured = {0, 0, 0, 0};
        DrawTextW(dc, text.c_str(), -1, &measured, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
        SelectObject(dc, old);
        if (measured.right - measured.left > room)
            clipped.push_back(std::wstring(control->GetName().Data()) + L": " + text + L" (" +
                              std::to_wstring(measured.right - measured.left) + L" > " + std::to_wstring(room) + L")");
    }
    ReleaseDC(pm.GetWindowHandle(), dc);
    return clipped;
}

// Visible children of a container that overlap each other or leave it.
std::vector<std::wstring> CrowdedChildren(CControlUI* parent) {
    std::vector<std::wstring> crowded;
    auto* container = static_cast<IContainerUI*>(parent->GetInterface(L"IContainer"));
    if (!container) return crowded;
    const RECT outer = parent->GetPos();
    std::vector<CControlUI*> shown;
    for (int i = 0; i < container->GetCount(); ++i)
        if (container->GetItemAt(i)->IsVisible()) shown.push_back(container->GetItemAt(i));
    for (size_t i = 0; i < shown.size(); ++i) {
        const RECT a = shown[i]->GetPos();
        if (a.left < outer.left || a.right > outer.right || a.top < outer.top || a.bottom > outer.bottom)
            crowded.push_back(std::wstring(shown[i]->GetName().Data()) + L" leaves its row");
        for (size_t j = i + 1; j < shown.size(); ++j) {
            RECT both;
            const RECT b = shown[j]->GetPos();
            if (IntersectRect(&both, &a, &b))
                crowded.push_back(std::wstring(shown[i]->GetName().Data()) + L" overlaps " + shown[j]->GetName().Data());
        }
    }
    return crowded;
}

std::string Joined(const std::vector<std::wstring>& items) {
    std::wstring all;
    for (const std::wstring& item : items) all += item + L"; ";
    std::string utf8(WideCharToMultiByte(CP_UTF8, 0, all.c_str(), -1, nullptr, 0, nullptr, nullptr), '\0');
    WideCharToMultiByte(CP_UTF8, 0, all.c_str(), -1, &utf8[0], static_cast<int>(utf8.size()), nullptr, nullptr);
    utf8.resize(utf8.size() - 1);
    return utf8;
}

}  // namespace

// The main window as a connected amplifier fills it, with the debug button that "debug.ini" shows.
TEST(SkinLayouts, MainWindowTextsFitInEveryLanguageAt100And150Percent) {
    for (const SkinView::TLanguagePack& language : SkinView::kLanguagePacks) {
        for (int dpi : {96, 144}) {
            const std::string name(language.name, language.name + wcslen(language.name));
            SCOPED_TRACE(testing::Message() << name << " at " << dpi);
            SkinTest::ViewedLayout view(kMainLayout, dpi, language.name, true);
            ASSERT_TRUE(view.IsOpen());
            CControlUI* debug = view.Find(L"btn_debug");
            ASSERT_NE(debug, nullptr);
            debug->SetVisible(true);
            view.Paint();
            EXPECT_EQ(Joined(ClippedTexts(view.Pm())), "");
            EXPECT_EQ(Joined(CrowdedChildren(debug->GetParent())), "");
        }
    }
}

// The dialogs with a third button, all three shown; the message box with the captions of the outputs'
// reset question, its only use of three buttons.
TEST(SkinLayouts, DialogButtonTextsFitInEveryLanguageAt100And150Percent) {
    for (const SkinView::TLanguagePack& language : SkinView::kLanguagePacks) {
        for (int dpi : {96, 144}) {
            for (const wchar_t* layout : {L"XML_MSG", L"XML_MSG_NAME", L"XML_COMPRESSORS_ON", L"XML_MIXER"}) {
                SCOPED_TRACE(testing::Message() << language.name << " at " << dpi << " in " << layout);
                SkinTest::ViewedLayout view(layout, dpi, language.name);
                ASSERT_TRUE(view.IsOpen());
                CControlUI* third = view.Find(L"third_btn");
                ASSERT_NE(third, nullptr);
                third->SetVisible(true);
                if (wcscmp(layout, L"XML_MSG") == 0) {
                    view.Find(L"confirm_btn")->SetText(L"${default}");
                    third->SetText(L"${emptied}");
                }
                view.Paint();
                EXPECT_EQ(Joined(ClippedTexts(view.Pm(), third->GetParent())), "");
                EXPECT_EQ(Joined(CrowdedChildren(third->GetParent())), "");
            }
        }
    }
}
