// The skin's texts and images: the three language files hold the same keys, each with a real text, every
// key the program and the layouts use, formats with the placeholders the program fills in; every image a
// layout or the resource table names exists at every scale the image loader asks for.
#include "SkinTestSupport.h"
#include "SkinTree.h"

#include "UIImage.h"
#include "UIRender.h"
#include "UIResourceSettings.h"
#include "UITextResource.h"

#include <gtest/gtest.h>

#include <map>
#include <regex>

using namespace SkinUI;
using namespace SkinView;

namespace {

// Keys the program's code shows (message boxes, button states, menus, tool windows).
const wchar_t* const kProgramKeys[] = {
    L"${adjust_ch_volume}", L"${all_bypass}", L"${amp_off}", L"${amp_on}", L"${btn_2ohm_spk}", L"${btn_4ohm_spk}",
    L"${btn_connected}", L"${btn_connecting}", L"${btn_disconnected}", L"${btn_noise_gate_off}",
    L"${btn_noise_gate_on}", L"${bypass_all_eq_tips}", L"${bypass_eq}", L"${cancel}", L"${center_full}",
    L"${center_tweeter}", L"${center_woofer}", L"${center}", L"${compensate_eq}", L"${confirm}",
    L"${copy_left_to_right}", L"${copy_right_to_left}", L"${default}", L"${delete_scene}", L"${delete}",
    L"${detect_level}", L"${detect_location}", L"${detect_speaker}", L"${device_connect_fail}",
    L"${device_not_match}", L"${device_plugout}", L"${device_reboot}", L"${device_status_unnormal}",
    L"${dsp_fw_new_tips}", L"${dsp_is_off}", L"${emptied}", L"${empty_output_tips}", L"${empty}", L"${exit}",
    L"${factory_default_fail}", L"${factory_default_tips}", L"${front_left_full}", L"${front_left_mid_twee}",
    L"${front_left_mid_woof}",
    L"${front_left_midrange}", L"${front_left_tweeter}", L"${front_left_woofer}", L"${front_right_full}",
    L"${front_right_mid_twee}", L"${front_right_mid_woof}", L"${front_right_midrange}", L"${front_right_tweeter}",
    L"${front_right_woofer}", L"${front}", L"${full}", L"${geq_mode_tips}", L"${geq_mode}", L"${inner_fw_version}",
    L"${irc_apply_tips}", L"${irc_applyed}", L"${irc_canceled}", L"${irc_completed}", L"${irc_failed_ch_volume}",
    L"${irc_failed_delay}", L"${irc_failed_eq}", L"${irc_failed_level}", L"${irc_failed_mic}",
    L"${irc_failed_speaker}", L"${irc_failed}", L"${irc_no_channel_tips}", L"${irc_option_warning_tips}",
    L"${irc_start_tips}", L"${irc_stoped}", L"${left_subwoofer_freq}", L"${left_subwoofer}", L"${left}",
    L"${link_tips}", L"${scene_not_loaded}",
    L"${load_fw_fail}", L"${load_scene_tips1}", L"${load_scene_tips2}", L"${load_scene}", L"${loading_fw}",
    L"${load}", L"${lock_output_tips}", L"${midrange_tweeter}", L"${midrange_woofer}", L"${midrange}",
    L"${mutex_tips}", L"${noise_close}", L"${noise_open}", L"${not_linkable_tips}", L"${off}", L"${peq_mode_tips}",
    L"${peq_mode}", L"${please_plug_out_and_in}", L"${positive_phase}", L"${profile_create_error}",
    L"${profile_load_error}", L"${profile_open_error}", L"${profile_save_ok}", L"${rear_left_full}",
    L"${rear_left_tweeter}", L"${rear_left_woofer}", L"${rear_right_full}", L"${rear_right_tweeter}",
    L"${rear_right_woofer}", L"${rear}", L"${rem_out1_off}", L"${rem_out1_on}", L"${rem_out2_off}",
    L"${rem_out2_on}", L"${reset_all_eq_tips}", L"${restore_all_eq_tips}", L"${restore_all_factory_eq_tips}",
    L"${restore_cs_auto}", L"${restore_eq}", L"${reverse phase}", L"${right_subwoofer_freq}",
    L"${right_subwoofer}", L"${right}", L"${same_name_tips}", L"${save_as_scene}", L"${save_scene_ok}",
    L"${save_scene_overwrite}", L"${save}", L"${soft_version}", L"${software_not_match}", L"${source_aux}",
    L"${source_bt}", L"${source_coax}", L"${source_dmp}", L"${source_hi}", L"${source_low}", L"${source_opt}",
    L"${source_scp}", L"${source_udp}", L"${start_irc_tips}", L"${start_irc}", L"${stop}", L"${subwoofer_freq}",
    L"${subwoofer}", L"${test_freq_response}", L"${tips}", L"${tweeter}", L"${unlock_output_tips}",
    L"${update_check_flash}", L"${update_check_mcu}", L"${update_factory_fail}", L"${update_factory_reboot}",
    L"${update_factory}",
    L"${update_fail}", L"${update_finish}", L"${update_no_file}", L"${update_ok}", L"${update_progress_flash}",
    L"${update_progress_mcu}", L"${update_reboot_flash}", L"${update_reboot_mcu}", L"${update_start_flash}",
    L"${update_start_mcu}", L"${update_tips}", L"${version}", L"${woofer}",
    L"${update_file_open_fail}", L"${update_start_refused}",
};

// Texts the program uses as printf formats, with the conversions it passes, in order.
const std::map<std::wstring, std::wstring> kFormats = {
    {L"${dsp_fw_new_tips}", L"dddd"}, {L"${update_tips}", L"dddd"},  {L"${load_scene_tips1}", L"ds"},
    {L"${load_scene_tips2}", L"d"},   {L"${save_scene_overwrite}", L"d"}, {L"${same_name_tips}", L"sds"},
    {L"${update_progress_mcu}", L"d"}, {L"${update_progress_flash}", L"d"}, {L"${scene_names_not_stored}", L"s"}};

// The conversions of a printf format ("%%" is none).
std::wstring Conversions(const std::wstring& text) {
    std::wstring found;
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != L'%') continue;
        if (text[i + 1] == L'%') {
            ++i;
            continue;
        }
        found += text[i + 1];
    }
    return found;
}

// id -> value of every "Text" of a language file.
std::map<std::wstring, std::wstring> LanguageTexts(const wchar_t* file) {
    static const std::wregex text(L"<Text id=\"([^\"]+)\" value=\"([^\"]*)\"/>");
    const std::wstring content = SkinTest::ReadEntryText(file);
    std::map<std::wstring, std::wstring> texts;
    for (std::wsregex_iterator it(content.begin(), content.end(), text), end; it != end; ++it)
        texts[(*it)[1].str()] = (*it)[2].str();
    return texts;
}

TEST(SkinTexts, LanguagesHoldEveryKeyWithARealText) {
    const auto english = LanguageTexts(kLanguagePacks[0].file);
    ASSERT_GT(english.size(), 150u);
    std::set<std::wstring> used(std::begin(kProgramKeys), std::end(kProgramKeys));
    for (const std::wstring& file : SkinTest::SkinLayoutFiles()) {
        for (const std::wstring& key : SkinTest::TextKeys(SkinTest::ReadEntryText(file.c_str()))) used.insert(key);
    }
    for (const TLanguagePack& pack : kLanguagePacks) {
        const auto texts = LanguageTexts(pack.file);
        EXPECT_EQ(texts.size(), english.size()) << pack.file;
        for (const auto& [key, value] : english) EXPECT_TRUE(texts.count(key)) << pack.file << " lacks " << key;
        for (const std::wstring& key : used) EXPECT_TRUE(texts.count(key)) << pack.file << " lacks " << key;
        for (const auto& [key, value] : texts) {
            EXPECT_FALSE(value.empty()) << pack.file << " " << key;
            EXPECT_NE(value, key) << pack.file << " " << key;
            const auto format = kFormats.find(key);
            EXPECT_EQ(Conversions(value), format == kFormats.end() ? L"" : format->second) << pack.file << " " << key;
        }
    }
}

TEST(SkinTexts, EachLanguageResolvesThroughTheTextResource) {
    CTextResource* texts = CTextResource::GetInstance();
    const wchar_t* const expected[3] = {L"Cancel", L"取消", L"Отмена"};
    for (int i = 0; i < 3; ++i) {
        texts->SelectLanguage(kLanguagePacks[i].name);
        EXPECT_EQ(std::wstring(texts->GetText(L"${cancel}").Data()), expected[i]);
        // "{\n}" in a text is a line break.
        EXPECT_NE(std::wstring(texts->GetText(L"${update_tips}").Data()).find(L'\n'), std::wstring::npos);
    }
    texts->SelectLanguage(L"en");
}

// Percent scales of the DPI values the program chooses from (77, 96, 120, 144, 192, 288 DPI).
std::vector<int> LoaderScales() {
    std::vector<int> scales;
    for (int dpi : {96, 77, 120, 144, 192, 288}) scales.push_back(MulDiv(dpi, 100, 96));  // 100 % first
    return scales;
}

TEST(SkinImages, EveryNamedImageExistsAtEveryScale) {
    std::set<std::wstring> files;
    for (const std::wstring& file : SkinTest::SkinLayoutFiles()) {
        for (const std::wstring& image : SkinTest::ImageFiles(SkinTest::ReadEntryText(file.c_str())))
            files.insert(image);
    }
    // Images the code names by their id in the resource table, at 100 %.
    for (const wchar_t* id : {L"right.png", L"on.png", L"off.png"}) {
        const wchar_t* path = CTextResource::GetInstance()->GetImagePath(id);
        ASSERT_TRUE(path) << id;
        files.insert(path);
    }
    ASSERT_GT(files.size(), 30u);
    for (const std::wstring& file : files) {
        SIZE base = {};
        for (int scale : LoaderScales()) {
            const CUIString name = scale == 100 ? CUIString(file.c_str()) : InsertDpiSuffix(file.c_str(), scale);
            std::vector<BYTE> bytes;
            ASSERT_TRUE(CUIResourceSettings::ReadSkinFile(name.Data(), 1u << 24, bytes)) << name.Data();
            TImageRecord* image = CUIRender::DecodeImage(bytes.data(), bytes.size(), 0);
            ASSERT_TRUE(image) << name.Data();
            const SIZE size = {image->width, image->height};
            CUIRender::FreeImage(image);
            if (scale == 100) base = size;
            if (scale != 100 && base.cx) {
                // Drawn over the scaled destination, so the picture must be as large.
                EXPECT_NEAR(size.cx, base.cx * scale / 100.0, 1.0) << name.Data();
                EXPECT_NEAR(size.cy, base.cy * scale / 100.0, 1.0) << name.Data();
            }
        }
    }
}

// The ids the program registers language-free images under are found at each scale, as the loader asks.
TEST(SkinImages, TableNamesEveryScaleOfTheCodesImages) {
    for (int scale : LoaderScales()) {
        const CUIString id = scale == 100 ? CUIString(L"right.png") : InsertDpiSuffix(L"right.png", scale);
        EXPECT_TRUE(CTextResource::GetInstance()->GetImagePath(id.Data())) << id.Data();
    }
}

}  // namespace
