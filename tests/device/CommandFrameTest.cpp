// Request frames: byte-exact reports for every builder, the read that follows each, payload limits and
// the fixed-point encodings.
#include "device/DeviceTestSupport.h"
#include "device/FixedPoint.h"
#include "device/HidPacket.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

namespace {

constexpr int kNoRead = -1;

// The report a request must produce, built here independently of the link.
Bytes ExpectedReport(uint8_t cmd, uint8_t sub, uint8_t optype, const Bytes& payload) {
    Bytes r(65, 0);
    r[1] = 0xAA;
    r[2] = 0x55;
    r[3] = static_cast<uint8_t>(payload.size() + 3);
    r[4] = cmd;
    r[5] = sub;
    r[6] = optype;
    uint8_t sum = r[3] + cmd + sub + optype;
    for (size_t i = 0; i < payload.size(); ++i) {
        r[7 + i] = payload[i];
        sum += payload[i];
    }
    r[7 + payload.size()] = static_cast<uint8_t>(-sum);
    return r;
}

struct FrameCase {
    std::string name;
    std::function<void(DeviceLink&)> call;
    uint8_t cmd, sub, optype;
    Bytes payload;
    int wait;  // the time-out of the read that follows, or kNoRead
};

const float kDelay25[] = {2.5f};
const float kLongDelays[] = {70.0f, 255.999f};
const float kTrims[] = {6.0f, 0.0f, -5.0f};
const uint8_t kOnOff[] = {1, 0, 1};
const int32_t kMasks[] = {0x0301, 0x0004};
const uint8_t kPairs[] = {0, 1, 2, 3};
const uint16_t kEqFreqs[] = {100, 20000};
const float kEqQs[] = {0.7f, 1.4f};
const float kEqGains[] = {-6.3f, 3.0f};
const uint8_t kLevels[] = {100, 50, 0};
const uint16_t kDistances[] = {300, 1234};
const uint8_t kBridge[] = {1, 0, 1, 0, 0};
const Compressor2Setting kComp2[] = {{-20.5f, 10, 300}, {-3.2f, 250, 2300}};
const uint8_t kProfileBytes[] = {9, 8};
uint32_t gSurroundWords[13] = {0x01020304, 5};

std::vector<FrameCase> SetterCases() {
    constexpr uint8_t D = 1, SET = 0xBB;
    constexpr int W = 10000;
    return {
        {"Source_Switch_Ctrl", [](DeviceLink& l) { l.Source_Switch_Ctrl(0x53, true); }, D, 0x01, SET, {0x53}, W},
        {"Main_Volume_Ctrl", [](DeviceLink& l) { l.Main_Volume_Ctrl(12.7f, true); }, D, 0x02, SET, {12}, W},
        {"Subwoofer_Volume_Ctrl", [](DeviceLink& l) { l.Subwoofer_Volume_Ctrl(7, true); }, D, 0x03, SET, {7}, W},
        {"Mute_Ctrl", [](DeviceLink& l) { l.Mute_Ctrl(1, true); }, D, 0x04, SET, {1}, W},
        {"Filter_Ctrl", [](DeviceLink& l) { l.Filter_Ctrl(0, 1, 3, 2, 1000, 24, 1, true); }, D, 0x05, SET,
         {0, 1, 3, 2, 1, 0x03, 0xE8, 24}, W},
        {"EQ_Ctrl example", [](DeviceLink& l) { l.EQ_Ctrl(0, 0, 1, 5, 1000, 3.5f, 1.0f, true); }, D, 0x06, SET,
         {0, 0, 1, 5, 0x03, 0xE8, 0x03, 0x05, 0x13, 0x00}, W},
        {"EQ_Ctrl tenths that binary cannot hold", [](DeviceLink& l) { l.EQ_Ctrl(0, 0, 1, 5, 1000, 1.4f, -6.3f, true); },
         D, 0x06, SET, {0, 0, 1, 5, 0x03, 0xE8, 0x01, 0x04, 0x0B, 0x07}, W},
        {"EQ_Ctrl lowest gain", [](DeviceLink& l) { l.EQ_Ctrl(0, 0, 1, 5, 1000, 0.7f, -17.7f, true); }, D, 0x06, SET,
         {0, 0, 1, 5, 0x03, 0xE8, 0x00, 0x07, 0x00, 0x03}, W},
        {"EQ_Ctrl negative first value", [](DeviceLink& l) { l.EQ_Ctrl(0, 0, 1, 5, 1000, -3.5f, 0.0f, true); }, D,
         0x06, SET, {0, 0, 1, 5, 0x03, 0xE8, 0xFD, 0x01, 0x12, 0x00}, W},
        {"Delay_Ctrl example", [](DeviceLink& l) { l.Delay_Ctrl(0, 0, 0, 0, kDelay25, true); }, D, 0x07, SET,
         {0, 0, 0, 0, 0x02, 0x01, 0xF4}, W},
        {"Delay_Ctrl beyond 16 bits of microseconds", [](DeviceLink& l) { l.Delay_Ctrl(0, 0, 0, 1, kLongDelays, true); },
         D, 0x07, SET, {0, 0, 0, 1, 70, 0x00, 0x00, 0xFF, 0x03, 0xE7}, W},
        {"Delay_Ctrl inverted range", [](DeviceLink& l) { l.Delay_Ctrl(0, 0, 3, 1, kDelay25, true); }, D, 0x07, SET,
         {0, 0, 3, 1}, W},
        {"Trim_Ctrl one byte", [](DeviceLink& l) { l.Trim_Ctrl(0, 0, 2, 4, kTrims, true); }, D, 0x08, SET,
         {0, 0, 2, 4, 6, 0, 0xFB}, W},
        {"Mute_Ch_Ctrl", [](DeviceLink& l) { l.Mute_Ch_Ctrl(1, 0, 0, 2, kOnOff, true); }, D, 0x09, SET,
         {1, 0, 0, 2, 1, 0, 1}, W},
        {"Phase_Ctrl", [](DeviceLink& l) { l.Phase_Ctrl(0, 0, 7, 8, kOnOff, true); }, D, 0x0A, SET, {0, 0, 7, 8, 1, 0}, W},
        {"Mix_Ch_Ctrl ten inputs", [](DeviceLink& l) { l.Mix_Ch_Ctrl(0, 2, 0, 1, kMasks, true); }, D, 0x0B, SET,
         {0, 2, 0, 1, 0x03, 0x01, 0x00, 0x04}, W},
        {"Remap_Ch_Ctrl", [](DeviceLink& l) { l.Remap_Ch_Ctrl(0, 0, 4, kOnOff, 2, true); }, D, 0x0C, SET, {0, 0, 4, 1, 0},
         W},
        {"CH_Type_Ctrl", [](DeviceLink& l) { l.CH_Type_Ctrl(0, 0, 0, 1, kLevels, true); }, D, 0x0D, SET,
         {0, 0, 0, 1, 100, 50}, W},
        {"CH_Link_Ctrl", [](DeviceLink& l) { l.CH_Link_Ctrl(0, 1, 2, kPairs, true); }, D, 0x0E, SET,
         {0, 1, 2, 0, 1, 2, 3}, W},
        {"CH_Lock_Ctrl", [](DeviceLink& l) { l.CH_Lock_Ctrl(0, 1, true); }, D, 0x0F, SET, {0, 1}, W},
        {"DSP_Bypass_Ctrl sends no channel", [](DeviceLink& l) { l.DSP_Bypass_Ctrl(2, 1, 5, 1, true); }, D, 0x10, SET,
         {2, 1, 1}, W},
        {"PEQ_Reset_Ctrl", [](DeviceLink& l) { l.PEQ_Reset_Ctrl(0, 0, 2, kPairs + 2, true); }, D, 0x11, SET,
         {0, 0, 2, 2, 3}, W},
        {"PEQ_Bypass_Ctrl", [](DeviceLink& l) { l.PEQ_Bypass_Ctrl(0, 0, 0, 0, kOnOff, true); }, D, 0x12, SET,
         {0, 0, 0, 0, 1}, W},
        {"IRC_Ctrl", [](DeviceLink& l) { l.IRC_Ctrl(1, 0x03FF, 2, true); }, D, 0x13, SET, {1, 0x03, 0xFF, 2}, W},
        {"IRC_Set_Test_Mic", [](DeviceLink& l) { l.IRC_Set_Test_Mic(1, true); }, D, 0x1D, SET, {1}, W},
        {"IRC_Sel_Test_Module", [](DeviceLink& l) { l.IRC_Sel_Test_Module(7, true); }, D, 0x1E, SET, {7}, W},
        {"Input_Trim_Ctrl", [](DeviceLink& l) { l.Input_Trim_Ctrl(0, 1, 0, 2, kLevels, true); }, D, 0x20, SET,
         {0, 1, 0, 2, 100, 50, 0}, W},
        {"Mute_Input_Ch_Ctrl", [](DeviceLink& l) { l.Mute_Input_Ch_Ctrl(0, 1, 2, 2, kOnOff, true); }, D, 0x21, SET,
         {0, 1, 2, 2, 1}, W},
        {"Input_Phase_Ctrl", [](DeviceLink& l) { l.Input_Phase_Ctrl(0, 1, 0, 1, kOnOff, true); }, D, 0x22, SET,
         {0, 1, 0, 1, 1, 0}, W},
        {"Input_EQ_Ctrl", [](DeviceLink& l) { l.Input_EQ_Ctrl(0, 1, 2, 0, 1, kEqFreqs, kEqQs, kEqGains, true); }, D,
         0x23, SET, {0, 1, 2, 0, 1, 0x00, 0x64, 0x00, 0x07, 0x0B, 0x07, 0x4E, 0x20, 0x01, 0x04, 0x15, 0x00}, W},
        {"Input_Mix_Trim_Ctrl", [](DeviceLink& l) { l.Input_Mix_Trim_Ctrl(0, 1, 2, 0, 2, kLevels, true); }, D, 0x24,
         SET, {0, 1, 2, 0, 2, 100, 50, 0}, W},
        {"Input_Ch_Threshold_Ctrl", [](DeviceLink& l) { l.Input_Ch_Threshold_Ctrl(-45, true); }, D, 0x26, SET, {0xD3},
         W},
        {"Input_Mix_Trim_Ctrl2", [](DeviceLink& l) { l.Input_Mix_Trim_Ctrl2(0, 1, 0, 1, 3, kLevels, true); }, D, 0x28,
         SET, {0, 1, 0, 1, 3, 100, 50}, W},
        {"CH_Trim_Link_Ctrl", [](DeviceLink& l) { l.CH_Trim_Link_Ctrl(1, 0, 1, kPairs, true); }, D, 0x30, SET,
         {1, 0, 1, 0, 1}, W},
        {"CH_Delay_Link_Ctrl", [](DeviceLink& l) { l.CH_Delay_Link_Ctrl(1, 1, 0, kPairs, true); }, D, 0x31, SET,
         {1, 1, 0}, W},
        {"Sel_Remote_CH_Ctrl", [](DeviceLink& l) { l.Sel_Remote_CH_Ctrl(0x0102, true); }, D, 0x32, SET, {1, 2}, W},
        {"Remote_CH_Volume_Ctrl", [](DeviceLink& l) { l.Remote_CH_Volume_Ctrl(9, true); }, D, 0x33, SET, {9}, W},
        {"Solo_Ctrl", [](DeviceLink& l) { l.Solo_Ctrl(0, 0, 3, 5, kOnOff, true); }, D, 0x34, SET, {0, 0, 3, 5, 1, 0, 1},
         W},
        {"Speaker_Config_Ctrl", [](DeviceLink& l) { l.Speaker_Config_Ctrl(5, true); }, D, 0x35, SET, {5}, W},
        {"Mix_Type_Ctrl", [](DeviceLink& l) { l.Mix_Type_Ctrl(0, 1, 2, true); }, D, 0x36, SET, {0, 1, 2}, W},
        {"HPF_Q_Fact_Ctrl", [](DeviceLink& l) { l.HPF_Q_Fact_Ctrl(0, 0, 0, 1, kOnOff, true); }, D, 0x37, SET,
         {0, 0, 0, 1, 1, 0}, W},
        {"LPF_Q_Fact_Ctrl", [](DeviceLink& l) { l.LPF_Q_Fact_Ctrl(0, 0, 9, 9, kOnOff, true); }, D, 0x38, SET,
         {0, 0, 9, 9, 1}, W},
        {"Factory_Preset_Ctrl", [](DeviceLink& l) { l.Factory_Preset_Ctrl(2); }, D, 0x39, SET, {2}, 1000},
        {"Setup_Mode_Ctrl", [](DeviceLink& l) { l.Setup_Mode_Ctrl(1); }, D, 0x3A, SET, {1}, 1000},
        {"AUTO_ON_Ctrl", [](DeviceLink& l) { l.AUTO_ON_Ctrl(0, 1, true); }, D, 0x3B, SET, {0, 1}, W},
        {"IRC_Active_Bypass_Ctrl", [](DeviceLink& l) { l.IRC_Active_Bypass_Ctrl(0, 1, true); }, D, 0x3C, SET, {0, 1}, W},
        {"CS_Auto_Setting_Ctrl", [](DeviceLink& l) { l.CS_Auto_Setting_Ctrl(gSurroundWords, true); }, D, 0x3D, SET,
         [] {
             Bytes b{4, 3, 2, 1, 5, 0, 0, 0};
             b.resize(52, 0);
             return b;
         }(),
         W},
        {"Compressor_Ctrl", [](DeviceLink& l) { l.Compressor_Ctrl(0, 0, 3, 1, -20.5f, 4.0f, 50, 300, 2.5f, true); }, D,
         0x3E, SET, {0, 0, 3, 1, 0x4F, 0x05, 0x04, 0x00, 0x02, 0x05, 0x00, 0x32, 0x01, 0x2C}, W},
        {"Amp_Mute_Ctrl", [](DeviceLink& l) { l.Amp_Mute_Ctrl(1, true); }, D, 0x3F, SET, {1}, W},
        {"Set_MemData least significant first", [](DeviceLink& l) { l.Set_MemData(0x12345678, 0xCAFEBABE, true); }, D,
         0x42, SET, {0x78, 0x56, 0x34, 0x12, 0xBE, 0xBA, 0xFE, 0xCA}, W},
        {"Spk_Dist_Ctrl", [](DeviceLink& l) { l.Spk_Dist_Ctrl(0, 0, 0, 1, kDistances, true); }, D, 0x43, SET,
         {0, 0, 0, 1, 0x01, 0x2C, 0x04, 0xD2}, W},
        {"Mix_Source_Switch_Ctrl", [](DeviceLink& l) { l.Mix_Source_Switch_Ctrl(0x52, true); }, D, 0x44, SET, {0x52}, W},
        {"Rem_Out_Ctrl", [](DeviceLink& l) { l.Rem_Out_Ctrl(1, 0, true); }, D, 0x45, SET, {1, 0}, W},
        {"Cross_Source_Mix_Ctrl", [](DeviceLink& l) { l.Cross_Source_Mix_Ctrl(0, 1, 2, 3, 4, 5, true); }, D, 0x47, SET,
         {0, 1, 2, 3, 4, 5}, W},
        {"Compressor_Ch_Ctrl", [](DeviceLink& l) { l.Compressor_Ch_Ctrl(0, 0, 0, 2, kOnOff, true); }, D, 0x49, SET,
         {0, 0, 0, 2, 1, 0, 1}, W},
        {"Compressor_Ctrl2", [](DeviceLink& l) { l.Compressor_Ctrl2(0, 0, 0, 1, kComp2, true); }, D, 0x4A, SET,
         {0, 0, 0, 1, 0xEC, 0xFB, 0x00, 0x0A, 0x00, 0x03, 0xFD, 0xFE, 0x00, 0xFA, 0x02, 0x03}, W},
        {"Spk_Ohm_Ctrl", [](DeviceLink& l) { l.Spk_Ohm_Ctrl(1, true); }, D, 0x4B, SET, {1}, W},
        {"Output_Bridge_Ctrl", [](DeviceLink& l) { l.Output_Bridge_Ctrl(0, 0, 5, kBridge, true); }, D, 0x4C, SET,
         {0, 0, 5, 1, 0, 1, 0, 0}, W},
        {"Cross_Source_Mix_Ctrl_CS47048", [](DeviceLink& l) { l.Cross_Source_Mix_Ctrl_CS47048(0, 1, 2, 3, 4, true); }, D,
         0x4D, SET, {0, 1, 3, 4, 2}, W},
        {"Noise_Gate_Ctrl", [](DeviceLink& l) { l.Noise_Gate_Ctrl(1, true); }, D, 0x4E, SET, {1}, W},
        {"Mix_Type2_Ctrl", [](DeviceLink& l) { l.Mix_Type2_Ctrl(0, 1, 2, true); }, D, 0x83, SET, {0, 1, 2}, W},
    };
}

std::vector<FrameCase> GetterCases() {
    constexpr uint8_t D = 1, F = 2, M = 3, K = 7, GET = 0x66, SET = 0xBB;
    constexpr int W = 10000;
    const Bytes range{0, 1, 2, 9};
    auto ranged = [&](const char* name, void (DeviceLink::*getter)(uint8_t, uint8_t, uint8_t, uint8_t), uint8_t sub) {
        return FrameCase{name, [getter](DeviceLink& l) { (l.*getter)(0, 1, 2, 9); }, D, sub, GET, range, W};
    };
    std::vector<FrameCase> cases = {
        {"Get_Source_Config", [](DeviceLink& l) { l.Get_Source_Config(); }, D, 0x00, GET, {}, 500},
        {"Get_Source", [](DeviceLink& l) { l.Get_Source(); }, D, 0x01, GET, {}, W},
        {"Get_Main_Volume", [](DeviceLink& l) { l.Get_Main_Volume(); }, D, 0x02, GET, {}, W},
        {"Get_Subwoofer_Volume", [](DeviceLink& l) { l.Get_Subwoofer_Volume(); }, D, 0x03, GET, {}, W},
        {"Get_Mute", [](DeviceLink& l) { l.Get_Mute(); }, D, 0x04, GET, {}, W},
        ranged("Get_Filter", &DeviceLink::Get_Filter, 0x05),
        {"Get_EQ", [](DeviceLink& l) { l.Get_EQ(0, 0, 1, 8, 15); }, D, 0x06, GET, {0, 0, 1, 8, 15}, W},
        ranged("Get_Delay", &DeviceLink::Get_Delay, 0x07),
        ranged("Get_Trim", &DeviceLink::Get_Trim, 0x08),
        ranged("Get_Mute_Ch", &DeviceLink::Get_Mute_Ch, 0x09),
        ranged("Get_Phase", &DeviceLink::Get_Phase, 0x0A),
        ranged("Get_Mix_Ch", &DeviceLink::Get_Mix_Ch, 0x0B),
        ranged("Get_Remap_Ch", &DeviceLink::Get_Remap_Ch, 0x0C),
        ranged("Get_CH_Type", &DeviceLink::Get_CH_Type, 0x0D),
        {"Get_CH_Link", [](DeviceLink& l) { l.Get_CH_Link(3); }, D, 0x0E, GET, {3}, W},
        {"Get_CH_Lock", [](DeviceLink& l) { l.Get_CH_Lock(3); }, D, 0x0F, GET, {3}, W},
        ranged("Get_All_Bypass", &DeviceLink::Get_All_Bypass, 0x10),
        ranged("Get_PEQ_Reset", &DeviceLink::Get_PEQ_Reset, 0x11),
        ranged("Get_PEQ_Bypass", &DeviceLink::Get_PEQ_Bypass, 0x12),
        {"IRC_Get", [](DeviceLink& l) { l.IRC_Get(); }, D, 0x13, GET, {}, W},
        {"IRC_Get_Distance", [](DeviceLink& l) { l.IRC_Get_Distance(0, 9); }, D, 0x14, GET, {0, 9}, W},
        {"IRC_Get_Trim", [](DeviceLink& l) { l.IRC_Get_Trim(0, 9); }, D, 0x15, GET, {0, 9}, W},
        {"IRC_Get_EQ", [](DeviceLink& l) { l.IRC_Get_EQ(2, 0, 5); }, D, 0x16, GET, {2, 0, 5}, W},
        {"IRC_Get_Spk_Size", [](DeviceLink& l) { l.IRC_Get_Spk_Size(1, 2); }, D, 0x17, GET, {1, 2}, W},
        {"IRC_Get_Spk_Phase", [](DeviceLink& l) { l.IRC_Get_Spk_Phase(1, 2); }, D, 0x18, GET, {1, 2}, W},
        {"IRC_Get_Spk_Level", [](DeviceLink& l) { l.IRC_Get_Spk_Level(1, 2); }, D, 0x19, GET, {1, 2}, W},
        {"IRC_Get_Spectrum", [](DeviceLink& l) { l.IRC_Get_Spectrum(2, 117, 120); }, D, 0x1A, GET, {2, 117, 120}, W},
        {"IRC_Get_Noise_Level", [](DeviceLink& l) { l.IRC_Get_Noise_Level(1, 2); }, D, 0x1B, GET, {1, 2}, W},
        {"IRC_Get_RTA", [](DeviceLink& l) { l.IRC_Get_RTA(); }, D, 0x1C, GET, {}, W},
        ranged("Get_Input_Trim", &DeviceLink::Get_Input_Trim, 0x20),
        ranged("Get_Mute_Input_Ch", &DeviceLink::Get_Mute_Input_Ch, 0x21),
        ranged("Get_Phase_Input_Ch", &DeviceLink::Get_Phase_Input_Ch, 0x22),
        {"Get_Input_EQ", [](DeviceLink& l) { l.Get_Input_EQ(0, 1, 2, 0, 7); }, D, 0x23, GET, {0, 1, 2, 0, 7}, W},
        {"Get_Input_Mix_CH_Trim", [](DeviceLink& l) { l.Get_Input_Mix_CH_Trim(0, 1, 2, 0, 9); }, D, 0x24, GET,
         {0, 1, 2, 0, 9}, W},
        {"Get_Input_Threshold", [](DeviceLink& l) { l.Get_Input_Threshold(0, 1, true); }, D, 0x26, GET, {0, 1}, W},
        {"Get_Input_Noise", [](DeviceLink& l) { l.Get_Input_Noise(0, 5, true); }, D, 0x27, GET, {0, 5}, W},
        {"Get_CH_Trim_Link", [](DeviceLink& l) { l.Get_CH_Trim_Link(0); }, D, 0x30, GET, {0}, W},
        {"Get_CH_Delay_Link", [](DeviceLink& l) { l.Get_CH_Delay_Link(0); }, D, 0x31, GET, {0}, W},
        {"Get_Sel_Remote_CH", [](DeviceLink& l) { l.Get_Sel_Remote_CH(); }, D, 0x32, GET, {}, W},
        ranged("Get_Ch_Solo", &DeviceLink::Get_Ch_Solo, 0x34),
        {"Get_Speaker_Config", [](DeviceLink& l) { l.Get_Speaker_Config(); }, D, 0x35, GET, {}, W},
        {"Get_Mix_Type", [](DeviceLink& l) { l.Get_Mix_Type(0, 1); }, D, 0x36, GET, {0, 1}, W},
        ranged("Get_HPF_Q_Fact_Mode", &DeviceLink::Get_HPF_Q_Fact_Mode, 0x37),
        ranged("Get_LPF_Q_Fact_Mode", &DeviceLink::Get_LPF_Q_Fact_Mode, 0x38),
        {"Get_Factory_Preset", [](DeviceLink& l) { l.Get_Factory_Preset(); }, D, 0x39, GET, {}, W},
        {"Get_Setup_Mode", [](DeviceLink& l) { l.Get_Setup_Mode(); }, D, 0x3A, GET, {}, W},
        {"Get_AUTO_ON", [](DeviceLink& l) { l.Get_AUTO_ON(); }, D, 0x3B, GET, {}, W},
        ranged("Get_Compressor", &DeviceLink::Get_Compressor, 0x3E),
        {"Get_Amp_Mute", [](DeviceLink& l) { l.Get_Amp_Mute(); }, D, 0x3F, GET, {}, W},
        ranged("Get_InDistort", &DeviceLink::Get_InDistort, 0x40),
        ranged("Get_OutDistort", &DeviceLink::Get_OutDistort, 0x41),
        {"Get_MemData", [](DeviceLink& l) { l.Get_MemData(0x12345678); }, D, 0x42, GET,
         {0x78, 0x56, 0x34, 0x12, 0, 0, 0, 0}, W},
        ranged("Get_Spk_Dist", &DeviceLink::Get_Spk_Dist, 0x43),
        {"Get_Mix_Source", [](DeviceLink& l) { l.Get_Mix_Source(); }, D, 0x44, GET, {}, W},
        {"Get_Rem_Out", [](DeviceLink& l) { l.Get_Rem_Out(); }, D, 0x45, GET, {}, W},
        {"Get_Cross_Source_Mix", [](DeviceLink& l) { l.Get_Cross_Source_Mix(0, 1, 2); }, D, 0x47, GET,
         {0, 1, 2, 0, 0, 0}, W},
        ranged("Get_Compressor_Ch_On", &DeviceLink::Get_Compressor_Ch_On, 0x49),
        ranged("Get_Compressor2", &DeviceLink::Get_Compressor2, 0x4A),
        {"Get_Spk_Ohm", [](DeviceLink& l) { l.Get_Spk_Ohm(); }, D, 0x4B, GET, {}, W},
        {"Get_Ouput_Bridge", [](DeviceLink& l) { l.Get_Ouput_Bridge(0, 0, 5); }, D, 0x4C, GET, {0, 0, 5}, W},
        {"Get_Cross_Source_Mix_CS47048", [](DeviceLink& l) { l.Get_Cross_Source_Mix_CS47048(0, 1, 1); }, D, 0x4D, GET,
         {0, 1, 0, 0, 1}, W},
        {"Get_Noise_Gate", [](DeviceLink& l) { l.Get_Noise_Gate(); }, D, 0x4E, GET, {}, W},
        {"Get_Mix_Type2", [](DeviceLink& l) { l.Get_Mix_Type2(0, 1); }, D, 0x83, GET, {0, 1}, W},
        // Scenes.
        {"SaveScene", [](DeviceLink& l) { l.SaveScene(3, 1); }, F, 0x08, SET, {3, 1}, 20000},
        {"ReadScene", [](DeviceLink& l) { l.ReadScene(5, 0xFF); }, F, 0x09, SET, {5, 0xFF}, 20000},
        {"DeleteScene", [](DeviceLink& l) { l.DeleteScene(3); }, F, 0x0A, SET, {3}, 20000},
        {"SetSceneName", [](DeviceLink& l) { l.SetSceneName(2, "abc", 3); }, F, 0x0B, SET, {2, 3, 'a', 'b', 'c'}, W},
        {"Get_SceneName", [](DeviceLink& l) { l.Get_SceneName(4); }, F, 0x0B, GET, {4}, W},
        {"SetSceneProfile", [](DeviceLink& l) { l.SetSceneProfile(1, 0x0120, kProfileBytes, 2); }, F, 0x0C, SET,
         {1, 0x01, 0x20, 2, 9, 8}, 20000},
        {"GetSceneProfile", [](DeviceLink& l) { l.GetSceneProfile(3, 0x0120, 40); }, F, 0x0C, GET, {3, 0x01, 0x20, 0x28},
         20000},
        {"GetScene_0x0D", [](DeviceLink& l) { l.GetScene_0x0D(7); }, F, 0x0D, GET, {7}, W},
        {"GetSceneID", [](DeviceLink& l) { l.GetSceneID(); }, F, 0x0E, GET, {}, W},
        {"GetValidScene", [](DeviceLink& l) { l.GetValidScene(); }, F, 0x0F, GET, {}, W},
        // MCU.
        {"Hand_Connect", [](DeviceLink& l) { l.Hand_Connect(); }, M, 0x08, SET, {}, W},
        {"Get_Flash_Version", [](DeviceLink& l) { l.Get_Flash_Version(); }, M, 0x0B, GET, {}, 500},
        {"Get_Bootloader_Version", [](DeviceLink& l) { l.Get_Bootloader_Version(); }, M, 0x0C, GET, {}, 500},
        {"SetPWD empty first", [](DeviceLink& l) { l.SetPWD("", 0, "xy", 2); }, M, 0x0D, SET, {0, 2, 'x', 'y'}, W},
        {"Get_PWD", [](DeviceLink& l) { l.Get_PWD(); }, M, 0x0D, GET, {}, W},
        {"PC_Connect", [](DeviceLink& l) { l.PC_Connect(1); }, M, 0x1F, SET, {1}, kNoRead},
        {"Get_MCU_0x41", [](DeviceLink& l) { l.Get_MCU_0x41(true); }, M, 0x41, GET, {}, W},
        {"MCU_Factory_Default", [](DeviceLink& l) { l.MCU_Factory_Default(); }, M, 0x90, SET, {}, 30000},
        {"Set_Power_Off_Time", [](DeviceLink& l) { l.Set_Power_Off_Time(1500, true); }, M, 0x91, SET, {0x05, 0xDC}, W},
        {"Get_Delay_Power_Off_Time", [](DeviceLink& l) { l.Get_Delay_Power_Off_Time(); }, M, 0x91, GET, {}, 500},
        {"Set_Acc", [](DeviceLink& l) { l.Set_Acc(3, true); }, M, 0x92, SET, {3}, W},
        {"Get_Acc", [](DeviceLink& l) { l.Get_Acc(); }, M, 0x92, GET, {}, W},
        // KTV.
        {"KTV_Mic_Vol_Ctrl", [](DeviceLink& l) { l.KTV_Mic_Vol_Ctrl(30, true); }, K, 0x01, SET, {30}, W},
        {"KTV_Music_Vol_Ctrl", [](DeviceLink& l) { l.KTV_Music_Vol_Ctrl(31, true); }, K, 0x02, SET, {31}, W},
        {"KTV_Howling_Ctrl", [](DeviceLink& l) { l.KTV_Howling_Ctrl(1, true); }, K, 0x03, SET, {1}, W},
        {"KTV_Echo_Level_Ctrl", [](DeviceLink& l) { l.KTV_Echo_Level_Ctrl(4, true); }, K, 0x04, SET, {4}, W},
        {"KTV_Echo_Delay_Ctrl", [](DeviceLink& l) { l.KTV_Echo_Delay_Ctrl(500, true); }, K, 0x05, SET, {0x01, 0xF4}, W},
        {"KTV_Reverb_Level_Ctrl", [](DeviceLink& l) { l.KTV_Reverb_Level_Ctrl(6, true); }, K, 0x06, SET, {6}, W},
        {"KTV_Reverb_Time_Ctrl", [](DeviceLink& l) { l.KTV_Reverb_Time_Ctrl(7, true); }, K, 0x07, SET, {7}, W},
        {"KTV_Voice_Changer_Ctrl", [](DeviceLink& l) { l.KTV_Voice_Changer_Ctrl(8, true); }, K, 0x08, SET, {8}, W},
        {"KTV_Bass_Gain_Ctrl", [](DeviceLink& l) { l.KTV_Bass_Gain_Ctrl(-10, true); }, K, 0x09, SET, {0xF6}, W},
        {"KTV_Treble_Gain_Ctrl", [](DeviceLink& l) { l.KTV_Treble_Gain_Ctrl(10, true); }, K, 0x0A, SET, {10}, W},
    };
    const std::pair<const char*, void (DeviceLink::*)(uint8_t, uint8_t)> ktvGetters[] = {
        {"Get_KTV_Mic_Vol", &DeviceLink::Get_KTV_Mic_Vol},         {"Get_KTV_Music_Vol", &DeviceLink::Get_KTV_Music_Vol},
        {"Get_KTV_Howling", &DeviceLink::Get_KTV_Howling},         {"Get_KTV_Echo_Level", &DeviceLink::Get_KTV_Echo_Level},
        {"Get_KTV_Echo_Delay", &DeviceLink::Get_KTV_Echo_Delay},   {"Get_KTV_Reverb_Level", &DeviceLink::Get_KTV_Reverb_Level},
        {"Get_KTV_Reverb_Time", &DeviceLink::Get_KTV_Reverb_Time}, {"Get_KTV_Voice_Changer", &DeviceLink::Get_KTV_Voice_Changer},
        {"Get_KTV_Bass_Gain", &DeviceLink::Get_KTV_Bass_Gain},     {"Get_KTV_Treble_Gain", &DeviceLink::Get_KTV_Treble_Gain},
    };
    uint8_t sub = 1;
    for (const auto& [name, getter] : ktvGetters) {
        cases.push_back({name, [getter = getter](DeviceLink& l) { (l.*getter)(5, 6); }, K, sub++, GET, {}, W});
    }
    return cases;
}

class CommandFrames : public ::testing::Test {
protected:
    LinkFixture f;

    void Check(const FrameCase& c) {
        SCOPED_TRACE(c.name);
        const size_t writesBefore = f.hid.Writes().size();
        const size_t readsBefore = f.hid.ReplyWaits().size();
        c.call(f.link);
        const auto writes = f.hid.Writes();
        ASSERT_EQ(writesBefore + 1, writes.size());
        EXPECT_EQ(ExpectedReport(c.cmd, c.sub, c.optype, c.payload), writes.back().report);
        const auto reads = f.hid.ReplyWaits();
        if (c.wait == kNoRead) {
            EXPECT_EQ(readsBefore, reads.size());
        } else {
            ASSERT_EQ(readsBefore + 1, reads.size());
            EXPECT_EQ(c.wait, reads.back());
        }
    }
};

TEST_F(CommandFrames, EverySetterWritesItsExactReportAndReadsTheReply) {
    for (const FrameCase& c : SetterCases()) Check(c);
}

TEST_F(CommandFrames, EveryGetterSceneMcuAndKtvCommandWritesItsExactReport) {
    for (const FrameCase& c : GetterCases()) Check(c);
}

TEST_F(CommandFrames, ProfileChangesMixAndTrimWidths) {
    f.link.SetDeviceProfile(94, 10, 8, 1, 0);
    const float trims[] = {6.29f, 0.5f};
    Check({"Trim_Ctrl two bytes", [&](DeviceLink& l) { l.Trim_Ctrl(0, 0, 0, 1, trims, true); }, 1, 0x08, 0xBB,
           {0, 0, 0, 1, 6, 29, 0, 50}, 10000});
    Check({"Mix_Ch_Ctrl eight inputs", [](DeviceLink& l) { l.Mix_Ch_Ctrl(0, 2, 0, 1, kMasks, true); }, 1, 0x0B, 0xBB,
           {0, 2, 0, 1, 0x01, 0x04}, 10000});
}

TEST_F(CommandFrames, ReportLayoutMatchesTheProtocolExamples) {
    ASSERT_TRUE(f.link.SendCtrlCommand(1, 0x08, 0x66, nullptr, 0));
    Bytes expected{0x00, 0xAA, 0x55, 0x03, 0x01, 0x08, 0x66, 0x8E};
    expected.resize(65, 0);
    EXPECT_EQ(expected, f.hid.Writes().back().report);

    // 55 payload bytes: L 0x3A, checksum at 62; 57 fill the report; 58 do not fit and nothing goes out.
    for (size_t len : {size_t{55}, size_t{57}}) {
        Bytes payload(len);
        for (size_t i = 0; i < len; ++i) payload[i] = static_cast<uint8_t>(i * 7 + 1);
        ASSERT_TRUE(f.link.SendCtrlCommand(2, 0x04, 0xBB, payload.data(), static_cast<uint8_t>(len)));
        const Bytes report = f.hid.Writes().back().report;
        EXPECT_EQ(len + 3, report[3]);
        uint8_t sum = 0;
        for (size_t i = 3; i <= 7 + len; ++i) sum += report[i];
        EXPECT_EQ(0, sum) << "bytes from L through the checksum sum to 0";
        EXPECT_EQ(ExpectedReport(2, 0x04, 0xBB, payload), report);
    }
    const size_t before = f.hid.Writes().size();
    Bytes tooLong(58, 1);
    EXPECT_FALSE(f.link.SendCtrlCommand(2, 0x04, 0xBB, tooLong.data(), 58));
    EXPECT_EQ(before, f.hid.Writes().size());
}

TEST_F(CommandFrames, OversizedRequestsAreRefusedWithoutWriting) {
    float delays[17] = {};
    f.link.Delay_Ctrl(0, 0, 0, 15, delays, true);  // 16 channels fill the 52-byte block
    ASSERT_EQ(1u, f.hid.Writes().size());
    EXPECT_EQ(52 + 3, f.hid.Writes()[0].report[3]);

    f.link.Delay_Ctrl(0, 0, 0, 16, delays, true);
    f.link.Delay_Ctrl(0, 0, 0, 255, nullptr, true);
    // Delays one byte of whole milliseconds cannot carry are refused, not sent as another delay.
    for (float unsendable : {256.0f, 300.0f, -0.001f, std::nanf(""), INFINITY}) {
        const float pair[2] = {1.0f, unsendable};
        f.link.Delay_Ctrl(0, 0, 0, 1, pair, true);
    }
    const char name[40] = "0123456789012345678901234567890123456";
    f.link.SetSceneName(1, name, 29);
    f.link.SetPWD(name, 30, name, 10);
    const uint8_t bytes[60] = {};
    f.link.SetSceneProfile(1, 0, bytes, 54);
    f.link.Output_Bridge_Ctrl(0, 0, 18, bytes, true);
    EXPECT_EQ(1u, f.hid.Writes().size());

    f.link.SetSceneName(1, name, 28);
    f.link.SetSceneProfile(1, 0, bytes, 53);
    EXPECT_EQ(3u, f.hid.Writes().size());
}

// ---- Fixed-point encodings ----

TEST(FixedPointEncoding, EveryMicrosecondOfTheDelayRangeSurvivesTheFloat) {
    for (int us = 0; us < 256000; ++us) {  // all the whole-millisecond byte can carry
        const float ms = static_cast<float>(us / 1000.0);
        const DelayBytes bytes = EncodeDelay(ms);
        ASSERT_EQ(us / 1000, bytes.ms) << us;
        ASSERT_EQ(us % 1000, bytes.us) << us;
        ASSERT_TRUE(DelayEncodable(ms)) << us;
    }
    EXPECT_FALSE(DelayEncodable(256.0f));
    EXPECT_FALSE(DelayEncodable(-0.001f));
    EXPECT_FALSE(DelayEncodable(std::nanf("")));
}

TEST(FixedPointEncoding, EveryTenthOfGainAndQSurvivesTheFloat) {
    for (int tenths = -180; tenths <= 120; ++tenths) {  // gain -18.0 .. +12.0 dB, sent as gain + 18
        const FixedBytes b = SignedFraction(static_cast<float>(tenths / 10.0), 10, 18.0);
        ASSERT_EQ((tenths + 180) / 10, b.whole) << tenths;
        ASSERT_EQ((tenths + 180) % 10, b.fraction) << tenths;
    }
    for (int tenths = 0; tenths <= 200; ++tenths) {
        const FixedBytes b = LowByteFraction(static_cast<float>(tenths / 10.0), 10);
        ASSERT_EQ(tenths / 10, b.whole) << tenths;
        ASSERT_EQ(tenths % 10, b.fraction) << tenths;
    }
    for (int hundredths = 0; hundredths <= 2000; ++hundredths) {
        const FixedBytes b = EncodeTrim(static_cast<float>(hundredths / 100.0));
        ASSERT_EQ(hundredths / 100, b.whole) << hundredths;
        ASSERT_EQ(hundredths % 100, b.fraction) << hundredths;
    }
}

TEST(FixedPointEncoding, ExactBinaryValuesTruncateAsTheyStand) {
    // 1 - 2^-20 is exact in binary; its product falls short of 1000 for real, not by representation.
    EXPECT_EQ(999, TruncScaled(1.0f - 1.0f / 1048576, 1000));
    EXPECT_EQ(2500, TruncScaled(2.5f, 1000));
    EXPECT_EQ(-4100, TruncScaled(-4.1f, 1000));
    EXPECT_EQ(-35, TruncScaled(-3.5f, 10));
    EXPECT_EQ(0, TruncScaled(std::nanf(""), 10));
    EXPECT_EQ(2000000000, TruncScaled(1e30f, 10));
}

}  // namespace
