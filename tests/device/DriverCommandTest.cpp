// The command-line driver's catalogue: every name reaches its own builder with the arguments in the
// function's order, and bad lines are refused with a reason instead of being sent.
#include "DriverCommands.h"
#include "device/DeviceTestSupport.h"

#include <gtest/gtest.h>

#include <set>

namespace {

struct Routed {
    const char* line;
    uint8_t cmd, sub, optype;
};

// One line per command of the catalogue.
const Routed kRoutes[] = {
    {"Source_Switch_Ctrl [81]", 1, 0x01, 0xBB}, {"Main_Volume_Ctrl [12.5]", 1, 0x02, 0xBB},
    {"Subwoofer_Volume_Ctrl [3]", 1, 0x03, 0xBB}, {"Mute_Ctrl [1]", 1, 0x04, 0xBB},
    {"Filter_Ctrl [0,0,1,2,1000,24,1]", 1, 0x05, 0xBB}, {"EQ_Ctrl [0,0,1,2,1000,1.4,-3]", 1, 0x06, 0xBB},
    {"Delay_Ctrl [0,0,0,1,[2.5,10.75]]", 1, 0x07, 0xBB}, {"Trim_Ctrl [0,0,0,0,[3]]", 1, 0x08, 0xBB},
    {"Mute_Ch_Ctrl [0,0,0,1,[1,0]]", 1, 0x09, 0xBB}, {"Phase_Ctrl [0,0,0,0,[1]]", 1, 0x0A, 0xBB},
    {"Mix_Ch_Ctrl [0,0,0,0,[513]]", 1, 0x0B, 0xBB}, {"Remap_Ch_Ctrl [0,0,1,[2,3],2]", 1, 0x0C, 0xBB},
    {"CH_Type_Ctrl [0,0,0,0,[5]]", 1, 0x0D, 0xBB}, {"CH_Link_Ctrl [0,1,1,[0,1]]", 1, 0x0E, 0xBB},
    {"CH_Lock_Ctrl [0,1]", 1, 0x0F, 0xBB}, {"DSP_Bypass_Ctrl [0,0,1,1]", 1, 0x10, 0xBB},
    {"PEQ_Reset_Ctrl [0,0,1,[3]]", 1, 0x11, 0xBB}, {"PEQ_Bypass_Ctrl [0,0,0,0,[1]]", 1, 0x12, 0xBB},
    {"IRC_Ctrl [1,1023,2]", 1, 0x13, 0xBB}, {"IRC_Set_Test_Mic [1]", 1, 0x1D, 0xBB},
    {"IRC_Sel_Test_Module [7]", 1, 0x1E, 0xBB}, {"Input_Trim_Ctrl [0,0,0,0,[9]]", 1, 0x20, 0xBB},
    {"Mute_Input_Ch_Ctrl [0,0,0,0,[1]]", 1, 0x21, 0xBB}, {"Input_Phase_Ctrl [0,0,0,0,[1]]", 1, 0x22, 0xBB},
    {"Input_EQ_Ctrl [0,0,1,0,0,[100],[0.7],[-6.3]]", 1, 0x23, 0xBB},
    {"Input_Mix_Trim_Ctrl [0,0,1,0,0,[50]]", 1, 0x24, 0xBB}, {"Input_Ch_Threshold_Ctrl [-45]", 1, 0x26, 0xBB},
    {"Input_Mix_Trim_Ctrl2 [0,0,0,0,1,[50]]", 1, 0x28, 0xBB}, {"CH_Trim_Link_Ctrl [0,1,0,[]]", 1, 0x30, 0xBB},
    {"CH_Delay_Link_Ctrl [0,1,0,[]]", 1, 0x31, 0xBB}, {"Sel_Remote_CH_Ctrl [258]", 1, 0x32, 0xBB},
    {"Remote_CH_Volume_Ctrl [4]", 1, 0x33, 0xBB}, {"Solo_Ctrl [0,0,0,0,[1]]", 1, 0x34, 0xBB},
    {"Speaker_Config_Ctrl [2]", 1, 0x35, 0xBB}, {"Mix_Type_Ctrl [0,0,1]", 1, 0x36, 0xBB},
    {"HPF_Q_Fact_Ctrl [0,0,0,0,[1]]", 1, 0x37, 0xBB}, {"LPF_Q_Fact_Ctrl [0,0,0,0,[1]]", 1, 0x38, 0xBB},
    {"Factory_Preset_Ctrl [1]", 1, 0x39, 0xBB}, {"Setup_Mode_Ctrl [1]", 1, 0x3A, 0xBB},
    {"AUTO_ON_Ctrl [0,1]", 1, 0x3B, 0xBB}, {"IRC_Active_Bypass_Ctrl [0,1]", 1, 0x3C, 0xBB},
    {"CS_Auto_Setting_Ctrl [[1,2,3,4,5,6,7,8,9,10,11,12,13]]", 1, 0x3D, 0xBB},
    {"Compressor_Ctrl [0,0,1,0,-20,4,10,300,2]", 1, 0x3E, 0xBB}, {"Amp_Mute_Ctrl [1]", 1, 0x3F, 0xBB},
    {"Set_MemData [4660,3405691582]", 1, 0x42, 0xBB}, {"Spk_Dist_Ctrl [0,0,0,0,[300]]", 1, 0x43, 0xBB},
    {"Mix_Source_Switch_Ctrl [82]", 1, 0x44, 0xBB}, {"Rem_Out_Ctrl [1,0]", 1, 0x45, 0xBB},
    {"Cross_Source_Mix_Ctrl [0,0,1,82,2,32]", 1, 0x47, 0xBB}, {"Compressor_Ch_Ctrl [0,0,0,0,[1]]", 1, 0x49, 0xBB},
    {"Compressor_Ctrl2 [0,0,0,0,[[-20.5,10,300]]]", 1, 0x4A, 0xBB}, {"Spk_Ohm_Ctrl [1]", 1, 0x4B, 0xBB},
    {"Output_Bridge_Ctrl [0,0,2,[1,0]]", 1, 0x4C, 0xBB}, {"Cross_Source_Mix_Ctrl_CS47048 [0,0,1,2,3]", 1, 0x4D, 0xBB},
    {"Noise_Gate_Ctrl [1]", 1, 0x4E, 0xBB}, {"Mix_Type2_Ctrl [0,0,1]", 1, 0x83, 0xBB},
    {"Get_Source_Config", 1, 0x00, 0x66}, {"Get_Source []", 1, 0x01, 0x66}, {"Get_Main_Volume", 1, 0x02, 0x66},
    {"Get_Subwoofer_Volume", 1, 0x03, 0x66}, {"Get_Mute", 1, 0x04, 0x66}, {"Get_Filter [0,0,0,3]", 1, 0x05, 0x66},
    {"Get_EQ [0,0,1,0,7]", 1, 0x06, 0x66}, {"Get_Delay [0,0,0,9]", 1, 0x07, 0x66},
    {"Get_Trim [0,0,0,9]", 1, 0x08, 0x66}, {"Get_Mute_Ch [0,0,0,9]", 1, 0x09, 0x66},
    {"Get_Phase [0,0,0,9]", 1, 0x0A, 0x66}, {"Get_Mix_Ch [0,0,0,9]", 1, 0x0B, 0x66},
    {"Get_Remap_Ch [0,0,0,9]", 1, 0x0C, 0x66}, {"Get_CH_Type [0,0,0,9]", 1, 0x0D, 0x66},
    {"Get_CH_Link [0]", 1, 0x0E, 0x66}, {"Get_CH_Lock [0]", 1, 0x0F, 0x66}, {"Get_All_Bypass [0,0,0,9]", 1, 0x10, 0x66},
    {"Get_PEQ_Reset [0,0,0,9]", 1, 0x11, 0x66}, {"Get_PEQ_Bypass [0,0,0,9]", 1, 0x12, 0x66},
    {"IRC_Get", 1, 0x13, 0x66}, {"IRC_Get_Distance [0,9]", 1, 0x14, 0x66}, {"IRC_Get_Trim [0,9]", 1, 0x15, 0x66},
    {"IRC_Get_EQ [1,0,5]", 1, 0x16, 0x66}, {"IRC_Get_Spk_Size [0,9]", 1, 0x17, 0x66},
    {"IRC_Get_Spk_Phase [0,9]", 1, 0x18, 0x66}, {"IRC_Get_Spk_Level [0,9]", 1, 0x19, 0x66},
    {"IRC_Get_Spectrum [1,0,8]", 1, 0x1A, 0x66}, {"IRC_Get_Noise_Level [0,9]", 1, 0x1B, 0x66},
    {"IRC_Get_RTA", 1, 0x1C, 0x66}, {"Get_Input_Trim [0,0,0,9]", 1, 0x20, 0x66},
    {"Get_Mute_Input_Ch [0,0,0,9]", 1, 0x21, 0x66}, {"Get_Phase_Input_Ch [0,0,0,9]", 1, 0x22, 0x66},
    {"Get_Input_EQ [0,0,1,0,7]", 1, 0x23, 0x66}, {"Get_Input_Mix_CH_Trim [0,0,1,0,9]", 1, 0x24, 0x66},
    {"Get_Input_Threshold [0,0]", 1, 0x26, 0x66}, {"Get_Input_Noise [0,5]", 1, 0x27, 0x66},
    {"Get_CH_Trim_Link [0]", 1, 0x30, 0x66}, {"Get_CH_Delay_Link [0]", 1, 0x31, 0x66},
    {"Get_Sel_Remote_CH", 1, 0x32, 0x66}, {"Get_Ch_Solo [0,0,0,9]", 1, 0x34, 0x66},
    {"Get_Speaker_Config", 1, 0x35, 0x66}, {"Get_Mix_Type [0,0]", 1, 0x36, 0x66},
    {"Get_HPF_Q_Fact_Mode [0,0,0,9]", 1, 0x37, 0x66}, {"Get_LPF_Q_Fact_Mode [0,0,0,9]", 1, 0x38, 0x66},
    {"Get_Factory_Preset", 1, 0x39, 0x66}, {"Get_Setup_Mode", 1, 0x3A, 0x66}, {"Get_AUTO_ON", 1, 0x3B, 0x66},
    {"Get_Compressor [0,0,0,0]", 1, 0x3E, 0x66}, {"Get_Amp_Mute", 1, 0x3F, 0x66},
    {"Get_InDistort [0,0,0,9]", 1, 0x40, 0x66}, {"Get_OutDistort [0,0,0,9]", 1, 0x41, 0x66},
    {"Get_MemData [4660]", 1, 0x42, 0x66}, {"Get_Spk_Dist [0,0,0,9]", 1, 0x43, 0x66},
    {"Get_Mix_Source", 1, 0x44, 0x66}, {"Get_Rem_Out", 1, 0x45, 0x66}, {"Get_Cross_Source_Mix [0,0,1]", 1, 0x47, 0x66},
    {"Get_Compressor_Ch_On [0,0,0,9]", 1, 0x49, 0x66}, {"Get_Compressor2 [0,0,0,9]", 1, 0x4A, 0x66},
    {"Get_Spk_Ohm", 1, 0x4B, 0x66}, {"Get_Ouput_Bridge [0,0,5]", 1, 0x4C, 0x66},
    {"Get_Cross_Source_Mix_CS47048 [0,0,1]", 1, 0x4D, 0x66}, {"Get_Noise_Gate", 1, 0x4E, 0x66},
    {"Get_Mix_Type2 [0,0]", 1, 0x83, 0x66}, {"SaveScene [3,0]", 2, 0x08, 0xBB}, {"ReadScene [3,255]", 2, 0x09, 0xBB},
    {"DeleteScene [3]", 2, 0x0A, 0xBB}, {"SetSceneName [3,\"Night\",5]", 2, 0x0B, 0xBB},
    {"Get_SceneName [3]", 2, 0x0B, 0x66}, {"SetSceneProfile [1,288,[9,8],2]", 2, 0x0C, 0xBB},
    {"GetSceneProfile [3,288,40]", 2, 0x0C, 0x66}, {"GetScene_0x0D [7]", 2, 0x0D, 0x66}, {"GetSceneID", 2, 0x0E, 0x66},
    {"GetValidScene", 2, 0x0F, 0x66}, {"Hand_Connect", 3, 0x08, 0xBB}, {"Get_Flash_Version", 3, 0x0B, 0x66},
    {"Get_Bootloader_Version", 3, 0x0C, 0x66}, {"SetPWD [\"\",0,\"xy\",2]", 3, 0x0D, 0xBB}, {"Get_PWD", 3, 0x0D, 0x66},
    {"PC_Connect [1]", 3, 0x1F, 0xBB}, {"Get_MCU_0x41", 3, 0x41, 0x66}, {"MCU_Factory_Default", 3, 0x90, 0xBB},
    {"Set_Power_Off_Time [1500]", 3, 0x91, 0xBB}, {"Get_Delay_Power_Off_Time", 3, 0x91, 0x66},
    {"Set_Acc [-3]", 3, 0x92, 0xBB}, {"Get_Acc", 3, 0x92, 0x66}, {"KTV_Mic_Vol_Ctrl [1]", 7, 1, 0xBB},
    {"KTV_Music_Vol_Ctrl [1]", 7, 2, 0xBB}, {"KTV_Howling_Ctrl [1]", 7, 3, 0xBB}, {"KTV_Echo_Level_Ctrl [1]", 7, 4, 0xBB},
    {"KTV_Echo_Delay_Ctrl [500]", 7, 5, 0xBB}, {"KTV_Reverb_Level_Ctrl [1]", 7, 6, 0xBB},
    {"KTV_Reverb_Time_Ctrl [1]", 7, 7, 0xBB}, {"KTV_Voice_Changer_Ctrl [1]", 7, 8, 0xBB},
    {"KTV_Bass_Gain_Ctrl [-10]", 7, 9, 0xBB}, {"KTV_Treble_Gain_Ctrl [10]", 7, 10, 0xBB},
    {"Get_KTV_Mic_Vol [0,0]", 7, 1, 0x66}, {"Get_KTV_Music_Vol [0,0]", 7, 2, 0x66}, {"Get_KTV_Howling [0,0]", 7, 3, 0x66},
    {"Get_KTV_Echo_Level [0,0]", 7, 4, 0x66}, {"Get_KTV_Echo_Delay [0,0]", 7, 5, 0x66},
    {"Get_KTV_Reverb_Level [0,0]", 7, 6, 0x66}, {"Get_KTV_Reverb_Time [0,0]", 7, 7, 0x66},
    {"Get_KTV_Voice_Changer [0,0]", 7, 8, 0x66}, {"Get_KTV_Bass_Gain [0,0]", 7, 9, 0x66},
    {"Get_KTV_Treble_Gain [0,0]", 7, 10, 0x66},
};

TEST(DriverCommands, EveryNameReachesItsOwnRequest) {
    LinkFixture f;
    std::set<std::string> names;
    for (const Routed& r : kRoutes) {
        SCOPED_TRACE(r.line);
        const size_t before = f.hid.Writes().size();
        ASSERT_EQ("", RunDriverLine(f.link, r.line));
        const auto writes = f.hid.Writes();
        ASSERT_EQ(before + 1, writes.size());
        EXPECT_EQ(r.cmd, writes.back().cmd());
        EXPECT_EQ(r.sub, writes.back().sub());
        EXPECT_EQ(r.optype, writes.back().optype());
        names.insert(std::string(r.line).substr(0, std::string(r.line).find(' ')));
    }
    EXPECT_EQ(static_cast<size_t>(DriverCommandCount()), names.size()) << "a command without a route here";
}

TEST(DriverCommands, ArgumentsArriveInTheFunctionsOrder) {
    LinkFixture f;
    auto payloadOf = [&](const char* line) {
        EXPECT_EQ("", RunDriverLine(f.link, line)) << line;
        return f.hid.Writes().back().payload();
    };
    EXPECT_EQ((Bytes{0, 0, 0, 1, 2, 1, 0xF4, 10, 2, 0xEE}), payloadOf("Delay_Ctrl [0,0,0,1,[2.5,10.75]]"));
    EXPECT_EQ((Bytes{0, 1, 2, 0, 0, 0, 100, 0, 7, 11, 7}), payloadOf("Input_EQ_Ctrl [0,1,2,0,0,[100],[0.7],[-6.3]]"));
    EXPECT_EQ((Bytes{0, 0, 0, 0, 0xEC, 0xFB, 0, 10, 0, 3}), payloadOf("Compressor_Ctrl2 [0,0,0,0,[[-20.5,10,300]]]"));
    EXPECT_EQ((Bytes{3, 5, 'N', 'i', 'g', 'h', 't'}), payloadOf("SetSceneName [3,\"Night\",5]"));
    EXPECT_EQ((Bytes{0x34, 0x12, 0, 0, 0xBE, 0xBA, 0xFE, 0xCA}), payloadOf("Set_MemData [4660,3405691582,true]"));
    EXPECT_EQ((Bytes{0, 1, 1, 0, 1}), payloadOf("CH_Link_Ctrl [0,1,1,[0,1]]"));
}

TEST(DriverCommands, BadLinesAreRefusedAndNothingIsSent) {
    LinkFixture f;
    const char* bad[] = {
        "Nonsense [1]",                         // unknown name
        "Get_Trim [0,0]",                       // too few arguments
        "Get_Mute [1]",                         // too many
        "Mute_Ctrl [300]",                      // not a byte
        "Mute_Ctrl [1,2]",                      // not a sync flag
        "Delay_Ctrl [0,0,0,1,[2.5]]",           // fewer values than channels
        "Delay_Ctrl [0,0,0,1,2.5]",             // not an array
        "SetSceneName [3,\"ab\",5]",            // length beyond the text
        "Get_EQ [0,0,1,0,7",                    // broken JSON
        "Get_EQ [0,0,1,0,7] trailing",          // text after the array
        "Compressor_Ctrl2 [0,0,0,0,[[1,2]]]",   // a row too short
        "Get_MemData [\"0x10\"]",               // a string for a number
    };
    for (const char* line : bad) EXPECT_NE("", RunDriverLine(f.link, line)) << line;
    EXPECT_TRUE(f.hid.Writes().empty());
}

}  // namespace
