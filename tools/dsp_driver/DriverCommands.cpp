#include "DriverCommands.h"

#include "device/Payload.h"

#include <cstdio>
#include <vector>

namespace {

using L = DeviceLink;
using A = DriverArgs;

// Channels in the range given by the arguments at first and last.
int Span(const A& a, int first, int last) { return RangeCount(a.U8(first), a.U8(last)); }

// A range setter (scene, source, ch_x, ch_y, values[], sync) with one byte per channel.
template <void (L::*Setter)(uint8_t, uint8_t, uint8_t, uint8_t, const uint8_t*, bool)>
void ByteRange(L& l, const A& a) {
    a.Expect(5, true);
    const auto v = a.U8s(4, Span(a, 2, 3));
    (l.*Setter)(a.U8(0), a.U8(1), a.U8(2), a.U8(3), v.data(), a.Sync(5));
}

// A range getter (scene, source, ch_x, ch_y).
template <void (L::*Getter)(uint8_t, uint8_t, uint8_t, uint8_t)>
void RangeGet(L& l, const A& a) {
    a.Expect(4);
    (l.*Getter)(a.U8(0), a.U8(1), a.U8(2), a.U8(3));
}

// A getter without arguments.
template <void (L::*Getter)()>
void Plain(L& l, const A& a) {
    a.Expect(0);
    (l.*Getter)();
}

// A setter of one byte and the sync flag.
template <void (L::*Setter)(uint8_t, bool)>
void OneByte(L& l, const A& a) {
    a.Expect(1, true);
    (l.*Setter)(a.U8(0), a.Sync(1));
}

// A getter of two channel or byte arguments.
template <void (L::*Getter)(uint8_t, uint8_t)>
void TwoBytes(L& l, const A& a) {
    a.Expect(2);
    (l.*Getter)(a.U8(0), a.U8(1));
}

// A getter of three byte arguments.
template <void (L::*Getter)(uint8_t, uint8_t, uint8_t)>
void ThreeBytes(L& l, const A& a) {
    a.Expect(3);
    (l.*Getter)(a.U8(0), a.U8(1), a.U8(2));
}

// A link setter (scene, link, count, [from, to, ...], sync).
template <void (L::*Setter)(uint8_t, uint8_t, uint8_t, const uint8_t*, bool)>
void LinkPairs(L& l, const A& a) {
    a.Expect(4, true);
    const auto pairs = a.U8s(3, 2 * a.U8(2));
    (l.*Setter)(a.U8(0), a.U8(1), a.U8(2), pairs.data(), a.Sync(4));
}

// A name and its length, the length no longer than the text given.
std::string Named(const A& a, int textAt, int lengthAt) {
    std::string text = a.Text(textAt);
    if (a.U8(lengthAt) > text.size()) throw BadArguments("the length is longer than the text");
    return text;
}

const DriverCommand kCommands[] = {
    // DSP setters.
    {"Source_Switch_Ctrl", OneByte<&L::Source_Switch_Ctrl>},
    {"Main_Volume_Ctrl", [](L& l, const A& a) { a.Expect(1, true); l.Main_Volume_Ctrl(a.F(0), a.Sync(1)); }},
    {"Subwoofer_Volume_Ctrl", OneByte<&L::Subwoofer_Volume_Ctrl>},
    {"Mute_Ctrl", OneByte<&L::Mute_Ctrl>},
    {"Filter_Ctrl", [](L& l, const A& a) {
         a.Expect(7, true);
         l.Filter_Ctrl(a.U8(0), a.U8(1), a.U8(2), a.U8(3), a.I32(4), a.I32(5), a.I32(6), a.Sync(7));
     }},
    {"EQ_Ctrl", [](L& l, const A& a) {
         a.Expect(7, true);
         l.EQ_Ctrl(a.U8(0), a.U8(1), a.U8(2), a.U8(3), a.U16(4), a.F(5), a.F(6), a.Sync(7));
     }},
    {"Delay_Ctrl", [](L& l, const A& a) {
         a.Expect(5, true);
         const auto v = a.Fs(4, Span(a, 2, 3));
         l.Delay_Ctrl(a.U8(0), a.U8(1), a.U8(2), a.U8(3), v.data(), a.Sync(5));
     }},
    {"Trim_Ctrl", [](L& l, const A& a) {
         a.Expect(5, true);
         const auto v = a.Fs(4, Span(a, 2, 3));
         l.Trim_Ctrl(a.U8(0), a.U8(1), a.U8(2), a.U8(3), v.data(), a.Sync(5));
     }},
    {"Mute_Ch_Ctrl", ByteRange<&L::Mute_Ch_Ctrl>},
    {"Phase_Ctrl", ByteRange<&L::Phase_Ctrl>},
    {"Mix_Ch_Ctrl", [](L& l, const A& a) {
         a.Expect(5, true);
         const auto v = a.I32s(4, Span(a, 2, 3));
         l.Mix_Ch_Ctrl(a.U8(0), a.U8(1), a.U8(2), a.U8(3), v.data(), a.Sync(5));
     }},
    {"Remap_Ch_Ctrl", [](L& l, const A& a) {
         a.Expect(5, true);
         const auto in = a.U8s(3, a.U8(4));
         l.Remap_Ch_Ctrl(a.U8(0), a.U8(1), a.U8(2), in.data(), a.U8(4), a.Sync(5));
     }},
    {"CH_Type_Ctrl", ByteRange<&L::CH_Type_Ctrl>},
    {"CH_Link_Ctrl", LinkPairs<&L::CH_Link_Ctrl>},
    {"CH_Lock_Ctrl", [](L& l, const A& a) { a.Expect(2, true); l.CH_Lock_Ctrl(a.U8(0), a.U8(1), a.Sync(2)); }},
    {"DSP_Bypass_Ctrl", [](L& l, const A& a) {
         a.Expect(4, true);
         l.DSP_Bypass_Ctrl(a.U8(0), a.U8(1), a.U8(2), a.U8(3), a.Sync(4));
     }},
    {"PEQ_Reset_Ctrl", [](L& l, const A& a) {
         a.Expect(4, true);
         const auto ch = a.U8s(3, a.U8(2));
         l.PEQ_Reset_Ctrl(a.U8(0), a.U8(1), a.U8(2), ch.data(), a.Sync(4));
     }},
    {"PEQ_Bypass_Ctrl", ByteRange<&L::PEQ_Bypass_Ctrl>},
    {"IRC_Ctrl", [](L& l, const A& a) { a.Expect(3, true); l.IRC_Ctrl(a.U8(0), a.U16(1), a.U8(2), a.Sync(3)); }},
    {"IRC_Set_Test_Mic", OneByte<&L::IRC_Set_Test_Mic>},
    {"IRC_Sel_Test_Module", OneByte<&L::IRC_Sel_Test_Module>},
    {"Input_Trim_Ctrl", ByteRange<&L::Input_Trim_Ctrl>},
    {"Mute_Input_Ch_Ctrl", ByteRange<&L::Mute_Input_Ch_Ctrl>},
    {"Input_Phase_Ctrl", ByteRange<&L::Input_Phase_Ctrl>},
    {"Input_EQ_Ctrl", [](L& l, const A& a) {
         a.Expect(8, true);
         const int n = Span(a, 3, 4);
         const auto freq = a.U16s(5, n);
         const auto q = a.Fs(6, n);
         const auto gain = a.Fs(7, n);
         l.Input_EQ_Ctrl(a.U8(0), a.U8(1), a.U8(2), a.U8(3), a.U8(4), freq.data(), q.data(), gain.data(), a.Sync(8));
     }},
    {"Input_Mix_Trim_Ctrl", [](L& l, const A& a) {
         a.Expect(6, true);
         const auto trim = a.U8s(5, Span(a, 3, 4));
         l.Input_Mix_Trim_Ctrl(a.U8(0), a.U8(1), a.U8(2), a.U8(3), a.U8(4), trim.data(), a.Sync(6));
     }},
    {"Input_Ch_Threshold_Ctrl", [](L& l, const A& a) { a.Expect(1, true); l.Input_Ch_Threshold_Ctrl(a.I8(0), a.Sync(1)); }},
    {"Input_Mix_Trim_Ctrl2", [](L& l, const A& a) {
         a.Expect(6, true);
         const auto trim = a.U8s(5, Span(a, 2, 3));
         l.Input_Mix_Trim_Ctrl2(a.U8(0), a.U8(1), a.U8(2), a.U8(3), a.U8(4), trim.data(), a.Sync(6));
     }},
    {"CH_Trim_Link_Ctrl", LinkPairs<&L::CH_Trim_Link_Ctrl>},
    {"CH_Delay_Link_Ctrl", LinkPairs<&L::CH_Delay_Link_Ctrl>},
    {"Sel_Remote_CH_Ctrl", [](L& l, const A& a) { a.Expect(1, true); l.Sel_Remote_CH_Ctrl(a.U16(0), a.Sync(1)); }},
    {"Remote_CH_Volume_Ctrl", OneByte<&L::Remote_CH_Volume_Ctrl>},
    {"Solo_Ctrl", ByteRange<&L::Solo_Ctrl>},
    {"Speaker_Config_Ctrl", OneByte<&L::Speaker_Config_Ctrl>},
    {"Mix_Type_Ctrl", [](L& l, const A& a) { a.Expect(3, true); l.Mix_Type_Ctrl(a.U8(0), a.U8(1), a.U8(2), a.Sync(3)); }},
    {"HPF_Q_Fact_Ctrl", ByteRange<&L::HPF_Q_Fact_Ctrl>},
    {"LPF_Q_Fact_Ctrl", ByteRange<&L::LPF_Q_Fact_Ctrl>},
    {"Factory_Preset_Ctrl", [](L& l, const A& a) { a.Expect(1); l.Factory_Preset_Ctrl(a.U8(0)); }},
    {"Setup_Mode_Ctrl", [](L& l, const A& a) { a.Expect(1); l.Setup_Mode_Ctrl(a.U8(0)); }},
    {"AUTO_ON_Ctrl", [](L& l, const A& a) { a.Expect(2, true); l.AUTO_ON_Ctrl(a.U8(0), a.U8(1), a.Sync(2)); }},
    {"IRC_Active_Bypass_Ctrl", [](L& l, const A& a) {
         a.Expect(2, true);
         l.IRC_Active_Bypass_Ctrl(a.U8(0), a.U8(1), a.Sync(2));
     }},
    {"CS_Auto_Setting_Ctrl", [](L& l, const A& a) {
         a.Expect(1, true);
         const auto words = a.U32s(0, 13);
         l.CS_Auto_Setting_Ctrl(words.data(), a.Sync(1));
     }},
    {"Compressor_Ctrl", [](L& l, const A& a) {
         a.Expect(9, true);
         l.Compressor_Ctrl(a.U8(0), a.U8(1), a.U8(2), a.U8(3), a.F(4), a.F(5), a.I32(6), a.I32(7), a.F(8), a.Sync(9));
     }},
    {"Amp_Mute_Ctrl", OneByte<&L::Amp_Mute_Ctrl>},
    {"Set_MemData", [](L& l, const A& a) { a.Expect(2, true); l.Set_MemData(a.U32(0), a.U32(1), a.Sync(2)); }},
    {"Spk_Dist_Ctrl", [](L& l, const A& a) {
         a.Expect(5, true);
         const auto v = a.U16s(4, Span(a, 2, 3));
         l.Spk_Dist_Ctrl(a.U8(0), a.U8(1), a.U8(2), a.U8(3), v.data(), a.Sync(5));
     }},
    {"Mix_Source_Switch_Ctrl", OneByte<&L::Mix_Source_Switch_Ctrl>},
    {"Rem_Out_Ctrl", [](L& l, const A& a) { a.Expect(2, true); l.Rem_Out_Ctrl(a.U8(0), a.U8(1), a.Sync(2)); }},
    {"Cross_Source_Mix_Ctrl", [](L& l, const A& a) {
         a.Expect(6, true);
         l.Cross_Source_Mix_Ctrl(a.U8(0), a.U8(1), a.U8(2), a.U8(3), a.U8(4), a.U8(5), a.Sync(6));
     }},
    {"Compressor_Ch_Ctrl", ByteRange<&L::Compressor_Ch_Ctrl>},
    {"Compressor_Ctrl2", [](L& l, const A& a) {
         a.Expect(5, true);
         std::vector<Compressor2Setting> settings;
         for (const auto& row : a.Rows(4, Span(a, 2, 3), 3)) {
             settings.push_back({static_cast<float>(row[0]), static_cast<int32_t>(row[1]), static_cast<int32_t>(row[2])});
         }
         l.Compressor_Ctrl2(a.U8(0), a.U8(1), a.U8(2), a.U8(3), settings.data(), a.Sync(5));
     }},
    {"Spk_Ohm_Ctrl", OneByte<&L::Spk_Ohm_Ctrl>},
    {"Output_Bridge_Ctrl", [](L& l, const A& a) {
         a.Expect(4, true);
         const auto flags = a.U8s(3, a.U8(2));
         l.Output_Bridge_Ctrl(a.U8(0), a.U8(1), a.U8(2), flags.data(), a.Sync(4));
     }},
    {"Cross_Source_Mix_Ctrl_CS47048", [](L& l, const A& a) {
         a.Expect(5, true);
         l.Cross_Source_Mix_Ctrl_CS47048(a.U8(0), a.U8(1), a.U8(2), a.U8(3), a.U8(4), a.Sync(5));
     }},
    {"Noise_Gate_Ctrl", OneByte<&L::Noise_Gate_Ctrl>},
    {"Mix_Type2_Ctrl", [](L& l, const A& a) { a.Expect(3, true); l.Mix_Type2_Ctrl(a.U8(0), a.U8(1), a.U8(2), a.Sync(3)); }},

    // DSP getters.
    {"Get_Source_Config", Plain<&L::Get_Source_Config>},
    {"Get_Source", Plain<&L::Get_Source>},
    {"Get_Main_Volume", Plain<&L::Get_Main_Volume>},
    {"Get_Subwoofer_Volume", Plain<&L::Get_Subwoofer_Volume>},
    {"Get_Mute", Plain<&L::Get_Mute>},
    {"Get_Filter", RangeGet<&L::Get_Filter>},
    {"Get_EQ", [](L& l, const A& a) { a.Expect(5); l.Get_EQ(a.U8(0), a.U8(1), a.U8(2), a.U8(3), a.U8(4)); }},
    {"Get_Delay", RangeGet<&L::Get_Delay>},
    {"Get_Trim", RangeGet<&L::Get_Trim>},
    {"Get_Mute_Ch", RangeGet<&L::Get_Mute_Ch>},
    {"Get_Phase", RangeGet<&L::Get_Phase>},
    {"Get_Mix_Ch", RangeGet<&L::Get_Mix_Ch>},
    {"Get_Remap_Ch", RangeGet<&L::Get_Remap_Ch>},
    {"Get_CH_Type", RangeGet<&L::Get_CH_Type>},
    {"Get_CH_Link", [](L& l, const A& a) { a.Expect(1); l.Get_CH_Link(a.U8(0)); }},
    {"Get_CH_Lock", [](L& l, const A& a) { a.Expect(1); l.Get_CH_Lock(a.U8(0)); }},
    {"Get_All_Bypass", RangeGet<&L::Get_All_Bypass>},
    {"Get_PEQ_Reset", RangeGet<&L::Get_PEQ_Reset>},
    {"Get_PEQ_Bypass", RangeGet<&L::Get_PEQ_Bypass>},
    {"IRC_Get", Plain<&L::IRC_Get>},
    {"IRC_Get_Distance", TwoBytes<&L::IRC_Get_Distance>},
    {"IRC_Get_Trim", TwoBytes<&L::IRC_Get_Trim>},
    {"IRC_Get_EQ", ThreeBytes<&L::IRC_Get_EQ>},
    {"IRC_Get_Spk_Size", TwoBytes<&L::IRC_Get_Spk_Size>},
    {"IRC_Get_Spk_Phase", TwoBytes<&L::IRC_Get_Spk_Phase>},
    {"IRC_Get_Spk_Level", TwoBytes<&L::IRC_Get_Spk_Level>},
    {"IRC_Get_Spectrum", ThreeBytes<&L::IRC_Get_Spectrum>},
    {"IRC_Get_Noise_Level", TwoBytes<&L::IRC_Get_Noise_Level>},
    {"IRC_Get_RTA", Plain<&L::IRC_Get_RTA>},
    {"Get_Input_Trim", RangeGet<&L::Get_Input_Trim>},
    {"Get_Mute_Input_Ch", RangeGet<&L::Get_Mute_Input_Ch>},
    {"Get_Phase_Input_Ch", RangeGet<&L::Get_Phase_Input_Ch>},
    {"Get_Input_EQ", [](L& l, const A& a) { a.Expect(5); l.Get_Input_EQ(a.U8(0), a.U8(1), a.U8(2), a.U8(3), a.U8(4)); }},
    {"Get_Input_Mix_CH_Trim", [](L& l, const A& a) {
         a.Expect(5);
         l.Get_Input_Mix_CH_Trim(a.U8(0), a.U8(1), a.U8(2), a.U8(3), a.U8(4));
     }},
    {"Get_Input_Threshold", [](L& l, const A& a) { a.Expect(2, true); l.Get_Input_Threshold(a.U8(0), a.U8(1), a.Sync(2)); }},
    {"Get_Input_Noise", [](L& l, const A& a) { a.Expect(2, true); l.Get_Input_Noise(a.U8(0), a.U8(1), a.Sync(2)); }},
    {"Get_CH_Trim_Link", [](L& l, const A& a) { a.Expect(1); l.Get_CH_Trim_Link(a.U8(0)); }},
    {"Get_CH_Delay_Link", [](L& l, const A& a) { a.Expect(1); l.Get_CH_Delay_Link(a.U8(0)); }},
    {"Get_Sel_Remote_CH", Plain<&L::Get_Sel_Remote_CH>},
    {"Get_Ch_Solo", RangeGet<&L::Get_Ch_Solo>},
    {"Get_Speaker_Config", Plain<&L::Get_Speaker_Config>},
    {"Get_Mix_Type", TwoBytes<&L::Get_Mix_Type>},
    {"Get_HPF_Q_Fact_Mode", RangeGet<&L::Get_HPF_Q_Fact_Mode>},
    {"Get_LPF_Q_Fact_Mode", RangeGet<&L::Get_LPF_Q_Fact_Mode>},
    {"Get_Factory_Preset", Plain<&L::Get_Factory_Preset>},
    {"Get_Setup_Mode", Plain<&L::Get_Setup_Mode>},
    {"Get_AUTO_ON", Plain<&L::Get_AUTO_ON>},
    {"Get_Compressor", RangeGet<&L::Get_Compressor>},
    {"Get_Amp_Mute", Plain<&L::Get_Amp_Mute>},
    {"Get_InDistort", RangeGet<&L::Get_InDistort>},
    {"Get_OutDistort", RangeGet<&L::Get_OutDistort>},
    {"Get_MemData", [](L& l, const A& a) { a.Expect(1); l.Get_MemData(a.U32(0)); }},
    {"Get_Spk_Dist", RangeGet<&L::Get_Spk_Dist>},
    {"Get_Mix_Source", Plain<&L::Get_Mix_Source>},
    {"Get_Rem_Out", Plain<&L::Get_Rem_Out>},
    {"Get_Cross_Source_Mix", ThreeBytes<&L::Get_Cross_Source_Mix>},
    {"Get_Compressor_Ch_On", RangeGet<&L::Get_Compressor_Ch_On>},
    {"Get_Compressor2", RangeGet<&L::Get_Compressor2>},
    {"Get_Spk_Ohm", Plain<&L::Get_Spk_Ohm>},
    {"Get_Ouput_Bridge", ThreeBytes<&L::Get_Ouput_Bridge>},
    {"Get_Cross_Source_Mix_CS47048", ThreeBytes<&L::Get_Cross_Source_Mix_CS47048>},
    {"Get_Noise_Gate", Plain<&L::Get_Noise_Gate>},
    {"Get_Mix_Type2", TwoBytes<&L::Get_Mix_Type2>},

    // Scenes.
    {"SaveScene", [](L& l, const A& a) { a.Expect(2); l.SaveScene(a.U8(0), a.U8(1)); }},
    {"ReadScene", [](L& l, const A& a) { a.Expect(2); l.ReadScene(a.U8(0), a.U8(1)); }},
    {"DeleteScene", [](L& l, const A& a) { a.Expect(1); l.DeleteScene(a.U8(0)); }},
    {"SetSceneName", [](L& l, const A& a) {
         a.Expect(3);
         const std::string name = Named(a, 1, 2);
         l.SetSceneName(a.U8(0), name.c_str(), a.U8(2));
     }},
    {"Get_SceneName", [](L& l, const A& a) { a.Expect(1); l.Get_SceneName(a.U8(0)); }},
    {"SetSceneProfile", [](L& l, const A& a) {
         a.Expect(4);
         const auto data = a.U8s(2, a.U8(3));
         l.SetSceneProfile(a.U8(0), a.U16(1), data.data(), a.U8(3));
     }},
    {"GetSceneProfile", [](L& l, const A& a) { a.Expect(3); l.GetSceneProfile(a.U8(0), a.U16(1), a.U8(2)); }},
    {"GetScene_0x0D", [](L& l, const A& a) { a.Expect(1); l.GetScene_0x0D(a.U8(0)); }},
    {"GetSceneID", Plain<&L::GetSceneID>},
    {"GetValidScene", Plain<&L::GetValidScene>},

    // MCU.
    {"Hand_Connect", [](L& l, const A& a) {
         a.Expect(0);
         std::printf("Hand_Connect = %s\n", l.Hand_Connect() ? "true" : "false");
     }},
    {"Get_Flash_Version", Plain<&L::Get_Flash_Version>},
    {"Get_Bootloader_Version", Plain<&L::Get_Bootloader_Version>},
    {"SetPWD", [](L& l, const A& a) {
         a.Expect(4);
         const std::string pwd = Named(a, 0, 1), remark = Named(a, 2, 3);
         l.SetPWD(pwd.c_str(), a.U8(1), remark.c_str(), a.U8(3));
     }},
    {"Get_PWD", Plain<&L::Get_PWD>},
    {"PC_Connect", [](L& l, const A& a) { a.Expect(1); l.PC_Connect(a.U8(0)); }},
    {"Get_MCU_0x41", [](L& l, const A& a) { a.Expect(0, true); l.Get_MCU_0x41(a.Sync(0)); }},
    {"MCU_Factory_Default", [](L& l, const A& a) { a.Expect(0); l.MCU_Factory_Default(); }},
    {"Set_Power_Off_Time", [](L& l, const A& a) { a.Expect(1, true); l.Set_Power_Off_Time(a.U16(0), a.Sync(1)); }},
    {"Get_Delay_Power_Off_Time", Plain<&L::Get_Delay_Power_Off_Time>},
    {"Set_Acc", [](L& l, const A& a) { a.Expect(1, true); l.Set_Acc(static_cast<uint8_t>(a.I8(0)), a.Sync(1)); }},
    {"Get_Acc", Plain<&L::Get_Acc>},

    // KTV.
    {"KTV_Mic_Vol_Ctrl", OneByte<&L::KTV_Mic_Vol_Ctrl>},
    {"KTV_Music_Vol_Ctrl", OneByte<&L::KTV_Music_Vol_Ctrl>},
    {"KTV_Howling_Ctrl", OneByte<&L::KTV_Howling_Ctrl>},
    {"KTV_Echo_Level_Ctrl", OneByte<&L::KTV_Echo_Level_Ctrl>},
    {"KTV_Echo_Delay_Ctrl", [](L& l, const A& a) { a.Expect(1, true); l.KTV_Echo_Delay_Ctrl(a.U16(0), a.Sync(1)); }},
    {"KTV_Reverb_Level_Ctrl", OneByte<&L::KTV_Reverb_Level_Ctrl>},
    {"KTV_Reverb_Time_Ctrl", OneByte<&L::KTV_Reverb_Time_Ctrl>},
    {"KTV_Voice_Changer_Ctrl", OneByte<&L::KTV_Voice_Changer_Ctrl>},
    {"KTV_Bass_Gain_Ctrl", [](L& l, const A& a) { a.Expect(1, true); l.KTV_Bass_Gain_Ctrl(a.I8(0), a.Sync(1)); }},
    {"KTV_Treble_Gain_Ctrl", [](L& l, const A& a) { a.Expect(1, true); l.KTV_Treble_Gain_Ctrl(a.I8(0), a.Sync(1)); }},
    {"Get_KTV_Mic_Vol", TwoBytes<&L::Get_KTV_Mic_Vol>},
    {"Get_KTV_Music_Vol", TwoBytes<&L::Get_KTV_Music_Vol>},
    {"Get_KTV_Howling", TwoBytes<&L::Get_KTV_Howling>},
    {"Get_KTV_Echo_Level", TwoBytes<&L::Get_KTV_Echo_Level>},
    {"Get_KTV_Echo_Delay", TwoBytes<&L::Get_KTV_Echo_Delay>},
    {"Get_KTV_Reverb_Level", TwoBytes<&L::Get_KTV_Reverb_Level>},
    {"Get_KTV_Reverb_Time", TwoBytes<&L::Get_KTV_Reverb_Time>},
    {"Get_KTV_Voice_Changer", TwoBytes<&L::Get_KTV_Voice_Changer>},
    {"Get_KTV_Bass_Gain", TwoBytes<&L::Get_KTV_Bass_Gain>},
    {"Get_KTV_Treble_Gain", TwoBytes<&L::Get_KTV_Treble_Gain>},
};

}  // namespace

const DriverCommand* FindDriverCommand(const std::string& name) {
    for (const DriverCommand& c : kCommands) {
        if (name == c.name) return &c;
    }
    return nullptr;
}

int DriverCommandCount() { return static_cast<int>(sizeof kCommands / sizeof kCommands[0]); }

std::string RunDriverLine(DeviceLink& link, const std::string& line) {
    const size_t nameEnd = line.find_first_of(" \t[");
    const std::string name = line.substr(0, nameEnd);
    const DriverCommand* command = FindDriverCommand(name);
    if (command == nullptr) return "unknown command '" + name + "'";
    try {
        const DriverArgs args(nameEnd == std::string::npos ? std::string() : line.substr(nameEnd));
        command->run(link, args);
    } catch (const BadArguments& e) {
        return name + ": " + e.what();
    }
    return "";
}

namespace {

bool DeviceLost(const DeviceLink& link) { return !link.IsConnected() || link.IsLinkFailed(); }

bool Reopen(DeviceLink& link, int waitMs) {
    link.CloseHIDDevice(false);
    for (int waited = 0;; waited += 20) {
        link.OpenHIDDevice();
        if (link.IsConnected()) return true;
        if (waited >= waitMs) return false;
        Sleep(20);
    }
}

}  // namespace

std::string RunDriverLineOnDevice(DeviceLink& link, const std::string& line, int queueWaitMs, int reopenWaitMs) {
    if (DeviceLost(link) && !Reopen(link, reopenWaitMs)) return "error: not sent: no amplifier found (USB 0483:5750)\n";
    const std::string error = RunDriverLine(link, line);
    if (!error.empty()) return "error: " + error + "\n";
    for (int waited = 0; !link.IsCmdQueueIdle() && waited < queueWaitMs; ++waited) Sleep(1);
    if (!DeviceLost(link)) return "";
    std::string said = "error: the request failed: the amplifier is gone\n";
    if (Reopen(link, reopenWaitMs)) said += "the amplifier is back and open again\n";
    return said;
}
