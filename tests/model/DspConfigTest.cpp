#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "LogCapture.h"
#include "model/ChannelRules.h"
#include "model/DspConfig.h"
#include "model/ValueRanges.h"

namespace {

const std::vector<int> kOctave = {20, 40, 80, 160, 315, 630, 1250, 2500, 5000, 10000, 20000};
const std::vector<int> kHalfOctave = {20,  28,   40,   56,   80,   112,  160,  220,   315,   450,  630,
                                      890, 1250, 1800, 2500, 3600, 5000, 7100, 10000, 14000, 20000};

struct Preset {
    int hpFs, hpSlope, lpFs, lpSlope, type;
};

// The preset crossover of each speaker position, 0..24.
Preset ExpectedPreset(int t) {
    if (t == 22 || t == 23 || t == 24) return {30, 4, 50, 2, 1};
    int kind = (t >= 1 && t <= 12) ? (t - 1) % 6 : -1;  // front: high, mid, low, mid-high, mid-low, full
    if (t == 13 || t == 16 || t == 19) kind = 0;
    if (t == 14 || t == 17 || t == 20) kind = 2;
    switch (kind) {
    case 0: return {3400, 2, 20000, 0, 3};
    case 1: return {600, 2, 1900, 2, 3};
    case 2: return {70, 3, 320, 2, 3};
    case 3: return {600, 2, 20000, 0, 3};
    case 4: return {70, 2, 1900, 2, 3};
    default: return {20, 0, 20000, 0, 3};
    }
}

void ExpectPreset(const Crossover& xo, int t) {
    Preset p = ExpectedPreset(t);
    SCOPED_TRACE(t);
    EXPECT_EQ(p.hpFs, xo.hp.fs);
    EXPECT_EQ(p.hpSlope, xo.hp.slope);
    EXPECT_EQ(p.hpSlope == 0, xo.hp.bypass != 0);
    EXPECT_EQ(p.lpFs, xo.lp.fs);
    EXPECT_EQ(p.lpSlope, xo.lp.slope);
    EXPECT_EQ(p.lpSlope == 0, xo.lp.bypass != 0);
    EXPECT_EQ(p.type, xo.hp.type);
    EXPECT_EQ(p.type, xo.lp.type);
    EXPECT_EQ((p.hpSlope ? 1 : 0) | (p.lpSlope ? 2 : 0), xo.bpType);
}

std::vector<int> Outputs(const DspConfig& c) { return std::vector<int>(c.outputs, c.outputs + OutputCount); }

}  // namespace

TEST(DspConfigDefaults, ResetRecordHoldsEveryDefault) {
    auto c = std::make_unique<DspConfig>();
    EXPECT_EQ(-1, c->model);
    EXPECT_EQ(-1, c->mainVersion);
    EXPECT_EQ(-1, c->slaveVersion);
    EXPECT_EQ(-5, c->mainVolume);
    EXPECT_EQ(10, c->outputCount);
    EXPECT_EQ(0, c->inputSource);
    EXPECT_EQ(0, c->scene);
    EXPECT_EQ(1, c->ampOn);
    EXPECT_EQ(1, c->remOut1);
    EXPECT_EQ(1, c->remOut2);
    EXPECT_EQ(1, c->spkOhm);
    EXPECT_EQ(-60, c->noiseGateThreshold);
    EXPECT_EQ(60, c->ktv.micVolume);
    EXPECT_EQ(60, c->ktv.musicVolume);
    EXPECT_EQ(std::vector<int>({6, 12, 15, 18, 19, 20, 14, 17, 22, 23}), Outputs(*c));
    for (int n = 0; n < OutputCount; ++n) {
        SCOPED_TRACE(n);
        const ChannelConfig& ch = c->channels[n];
        const std::vector<int>& table = n < 4 ? kHalfOctave : kOctave;
        ASSERT_EQ(int(table.size()), ch.eqSize);
        EXPECT_EQ(c->bandStorage[n], ch.eqArray);
        for (int k = 0; k < ch.eqSize; ++k) {
            EXPECT_EQ(table[k], ch.eqArray[k].freq);
            EXPECT_EQ(5.8f, ch.eqArray[k].factor);
            EXPECT_EQ(0.0f, ch.eqArray[k].gain);
            EXPECT_EQ(1, ch.eqArray[k].enable);
        }
        EXPECT_EQ(0, ch.phase);
        EXPECT_EQ(1, ch.bypass);
        EXPECT_EQ(1, ch.compressorOn);
        EXPECT_EQ(0.0f, ch.gain);
        EXPECT_EQ(0.0f, ch.delay);
        ExpectPreset(ch.crossover, c->outputs[n]);
        EXPECT_EQ(-1, c->linkOutputs[n]);
        EXPECT_EQ(1, c->compressor.bypass[n]);
        EXPECT_EQ(64.0f, c->compressor.threshold[n]);
        EXPECT_EQ(100.0f, c->compressor.ratio[n]);
        EXPECT_EQ(1000, c->compressor.attackTime[n]);
        EXPECT_EQ(30000, c->compressor.releaseTime[n]);
        EXPECT_EQ(24.0f, c->compressor.softKnee[n]);
    }
    for (int s = 0; s < SourceCount; ++s) {
        bool analogue = s == 4 || s == 5;
        std::vector<int> routing = analogue ? std::vector<int>{1, 2, 4, 8, 3, 3, 1, 2, 1, 2}
                                            : std::vector<int>{1, 2, 1, 2, 3, 3, 1, 2, 1, 2};
        EXPECT_EQ(routing, std::vector<int>(c->inputs[s], c->inputs[s] + OutputCount)) << s;
        for (int i = 0; i < InputChannelCount; ++i) {
            EXPECT_EQ(9, c->crossMixSource[s][i]);
            for (int o = 0; o < OutputCount; ++o) ASSERT_EQ(100, c->inputMixVolume[s][i][o]);
        }
    }
    EXPECT_EQ(std::vector<int>({10, 13, 16, 17, 19, 21, 24, 27, 30, 33, 100, 150, 200, 130, 180, 230, 280, 1000, 1250, 1600}),
              std::vector<int>(c->customEqFreqs, c->customEqFreqs + 20));
    EXPECT_EQ(std::vector<int>({0, 11, 12, 1, 6, 8, 5, 4, 4, 3, 3, 3, 3, 3, 3, 2, 3, 0, 0, 0}),
              std::vector<int>(c->customEqGains, c->customEqGains + 20));
    EXPECT_NEAR(13.3858, InchPerMs, 1e-4);
    EXPECT_FLOAT_EQ(510.0f, MaxDelayCm);
    EXPECT_NEAR(200.787, MaxDelayInch, 1e-3);
}

TEST(DspConfigDefaults, ResetRestoresEditsButKeepsDeviceAndUserState) {
    auto c = std::make_unique<DspConfig>();
    c->model = 94;
    c->flashVersion[2] = 7;
    c->syncGroup[3] = 2;
    c->ktv.bass = 5;
    c->ktv.treble = -3;
    c->ktv.echoLevel = 9;
    c->customEqFreqs[0] = 99;
    c->sumCurves[4][100] = 1.5;
    c->mainVolume = 30;
    c->inMixPhase[3][2] = 1;
    c->inputMixState[1][1][1] = 1;
    c->channels[2].crossover.SetHpSlope(8);
    c->bandStorage[5][3].gain = 4.0f;
    c->linkOutputs[0] = 1;
    c->outputBridge[1] = 1;
    c->Reset();
    EXPECT_EQ(-1, c->model);
    EXPECT_EQ(7, c->flashVersion[2]);
    EXPECT_EQ(2, c->syncGroup[3]);
    EXPECT_EQ(5, c->ktv.bass);
    EXPECT_EQ(-3, c->ktv.treble);
    EXPECT_EQ(0, c->ktv.echoLevel);
    EXPECT_EQ(99, c->customEqFreqs[0]);
    EXPECT_EQ(1.5, c->sumCurves[4][100]);
    EXPECT_EQ(-5, c->mainVolume);
    EXPECT_EQ(0, c->inMixPhase[3][2]);
    EXPECT_EQ(0, c->inputMixState[1][1][1]);
    EXPECT_EQ(0, c->channels[2].crossover.hp.slope);
    EXPECT_EQ(0.0f, c->bandStorage[5][3].gain);
    EXPECT_EQ(-1, c->linkOutputs[0]);
    EXPECT_EQ(0, c->outputBridge[1]);
}

TEST(DspConfigDefaults, OutputLayoutFollowsOutputCount) {
    auto c = std::make_unique<DspConfig>();
    c->SetOutputMode(true);
    EXPECT_EQ(std::vector<int>({6, 12, 15, 18, 22, 23, 0, 0, 6, 12}), Outputs(*c));
    c->SetOutputMode(false);
    EXPECT_EQ(std::vector<int>({6, 12, 15, 18, 19, 20, 22, 23, 6, 12}), Outputs(*c));
    ExpectPreset(c->channels[6].crossover, 22);
    c->outputCount = 12;
    c->Reset();
    EXPECT_EQ(std::vector<int>({1, 7, 2, 8, 3, 9, 13, 16, 14, 17}), Outputs(*c));
    c->outputCount = 16;
    c->Reset();
    EXPECT_EQ(std::vector<int>({1, 7, 2, 8, 13, 16, 0, 0, 19, 20}), Outputs(*c));
    c->outputCount = 7;
    c->outputs[0] = 24;
    c->Reset();
    EXPECT_EQ(24, c->outputs[0]);
}

TEST(DspConfigDefaults, PresetsTablesAndLookups) {
    for (int t = 0; t < 25; ++t) ExpectPreset(Crossover::FromOutputType(t), t);
    ExpectPreset(Crossover::FromOutputType(25), 0);
    ExpectPreset(Crossover::FromOutputType(-1), 0);

    EXPECT_EQ(kOctave, std::vector<int>(DefaultEqFreqTable(11), DefaultEqFreqTable(11) + 11));
    EXPECT_EQ(kHalfOctave, std::vector<int>(DefaultEqFreqTable(12), DefaultEqFreqTable(12) + 21));
    EXPECT_EQ(DefaultEqFreqTable(12), DefaultEqFreqTable(21));
    const std::vector<int> thirdOctave = {20,   25,   31,   40,   50,   63,   80,    100,   125,   160,   200,
                                          250,  315,  400,  500,  630,  800,  1000,  1250,  1600,  2000,  2500,
                                          3150, 4000, 5000, 6300, 8000, 10000, 12500, 16000, 20000};
    EXPECT_EQ(thirdOctave, std::vector<int>(DefaultEqFreqTable(22), DefaultEqFreqTable(22) + 31));
    EXPECT_EQ(DefaultEqFreqTable(22), DefaultEqFreqTable(31));

    EqBand bands[40];
    FillDefaultEqBands(bands, 40);  // past the 31-entry table the default band stays
    EXPECT_EQ(20000, bands[30].freq);
    EXPECT_EQ(12500, bands[31].freq);

    DspConfig c;
    EXPECT_EQ(nullptr, c.GetEqBands(10));
    EXPECT_EQ(nullptr, c.GetEqBands(-1));
    EXPECT_EQ(c.bandStorage[9], c.GetEqBands(9));
    EXPECT_EQ(11, c.GetEqSize(9));
    EXPECT_EQ(0, c.GetEqSize(10));
    EXPECT_TRUE(c.IsOutputTypeUsed(22));
    EXPECT_FALSE(c.IsOutputTypeUsed(1));
    std::vector<int> extra;
    for (int s = -1; s <= 9; ++s) extra.push_back(GetSourceExtraChannels(s));
    EXPECT_EQ(std::vector<int>({0, 2, 0, 2, 0, 8, 8, 2, 0, 0, 0}), extra);
}

TEST(CrossoverSetters, ClampTypesSlopesAndFrequencies) {
    Crossover xo = Crossover::FromOutputType(6);
    xo.SetHpType(0);
    EXPECT_EQ(1, xo.hp.type);
    xo.SetLpType(4);
    EXPECT_EQ(1, xo.lp.type);
    xo.SetLpType(2);
    EXPECT_EQ(2, xo.lp.type);
    xo.SetHpSlope(-3);
    EXPECT_EQ(0, xo.hp.slope);
    EXPECT_EQ(1, xo.hp.bypass);
    xo.SetHpSlope(4);
    EXPECT_EQ(0, xo.hp.bypass);
    xo.SetLpSlope(9);  // above the highest order a profile can carry
    EXPECT_EQ(MaxFilterOrder, xo.lp.slope);
    xo.SetLpSlope(INT32_MAX);
    EXPECT_EQ(MaxFilterOrder, xo.lp.slope);
    EXPECT_EQ(0, xo.lp.bypass);
    EXPECT_EQ(0, xo.bpType);  // only the value constructor computes it
    xo.SetLpFreq(19);
    EXPECT_EQ(20, xo.lp.fs);
    xo.SetLpFreq(20000);
    EXPECT_EQ(20000, xo.lp.fs);
    // Above the range the nearest bound is kept; 20 would silence a low-pass.
    xo.SetLpFreq(25000);
    EXPECT_EQ(20000, xo.lp.fs);
    xo.SetHpFreq(1000000);
    EXPECT_EQ(20000, xo.hp.fs);
    xo.SetHpBypass(7);
    EXPECT_EQ(7, xo.GetHpBypass());
    Crossover raw(5, 9, 12, 30000, 0, 0);  // stored as given
    EXPECT_EQ(5, raw.GetHpFreq());
    EXPECT_EQ(9, raw.GetHpType());
    EXPECT_EQ(1, raw.bpType);
}

TEST(EqBands, ReadBackGainKeepsASwitchedOffBandOnlyWhenAsked) {
    struct Case {
        EqBand band;
        float read;
        bool keep;
        uint8_t enable;
        float gain;
    } const cases[] = {
        {EqBand(6.5f, 1.4f, 1000, 0), 0.0f, true, 0, 6.5f},   // the record it was switched off in: still off
        {EqBand(6.5f, 1.4f, 1000, 0), 0.0f, false, 1, 0.0f},  // any other read: on, as reported
        {EqBand(6.5f, 1.4f, 1000, 0), 3.0f, true, 1, 3.0f},   // a gain it plays: on at that gain
        {EqBand(2.0f, 1.4f, 1000, 1), 0.0f, true, 1, 0.0f},   // an enabled band takes what is read
    };
    for (const Case& c : cases) {
        EqBand band = c.band;
        band.TakeReadBackGain(c.read, c.keep);
        EXPECT_EQ(band.enable, c.enable) << c.read << " " << c.keep;
        EXPECT_FLOAT_EQ(band.gain, c.gain) << c.read << " " << c.keep;
    }
}

TEST(ChannelRules, PairsGroupsAndBanks) {
    std::vector<int> partners;
    for (int t = -1; t <= 25; ++t) partners.push_back(GetPairedOutputType(t));
    EXPECT_EQ(std::vector<int>({-1, -1, 7, 8, 9, 10, 11, 12, 1, 2, 3, 4, 5, 6, 16, 17, 18, 13, 14, 15, -1, -1, -1,
                                23, 22, -1, -1}),
              partners);
    EXPECT_FALSE(IsSameOutputGroup(3, 4));
    EXPECT_TRUE(IsSameOutputGroup(0, 3));
    EXPECT_TRUE(IsSameOutputGroup(4, 9));
    int values[] = {3, 5, 7};
    EXPECT_TRUE(ContainsInt(7, values, 3));
    EXPECT_FALSE(ContainsInt(7, values, 2));
    EXPECT_FALSE(ContainsInt(3, values, 0));

    auto c = std::make_unique<DspConfig>();
    EXPECT_TRUE(c->HasPairInSameBank());
    int onlyPairAcrossBanks[] = {19, 20, 21, 24, 0, 1, 7, 0, 0, 0};
    std::copy(onlyPairAcrossBanks, onlyPairAcrossBanks + 10, c->outputs);
    EXPECT_FALSE(c->HasPairInSameBank());
    c->outputs[8] = 22;
    c->outputs[9] = 23;  // a subwoofer pair inside bank 6..9
    EXPECT_TRUE(c->HasPairInSameBank());
}

TEST(ChannelRules, CopyOutConfigCopiesBandsCrossoverAndBypassOnly) {
    LogCapture log;
    auto c = std::make_unique<DspConfig>();
    ChannelConfig& from = c->channels[1];
    ChannelConfig& to = c->channels[2];
    for (int k = 0; k < BandSlotsPerOutput; ++k) c->bandStorage[1][k] = EqBand(float(k) - 5.0f, 1.5f, 100 + k, k % 2);
    from.crossover = Crossover(15, 2, 0, 30000, 3, 6);
    from.bypass = 0;
    from.gain = -7.0f;
    from.delay = 3.0f;
    from.phase = 1;
    from.mute = 1;
    from.compressorOn = 0;
    EqBand guard = c->bandStorage[2][21];
    int targetBpType = to.crossover.bpType;
    c->CopyOutConfig(1, 2);
    for (int k = 0; k < 21; ++k) {
        EXPECT_EQ(100 + k, to.eqArray[k].freq);
        EXPECT_EQ(float(k) - 5.0f, to.eqArray[k].gain);
        EXPECT_EQ(k % 2, to.eqArray[k].enable);
    }
    EXPECT_EQ(guard.freq, c->bandStorage[2][21].freq);  // only the target's eqSize bands
    EXPECT_EQ(20, to.crossover.hp.fs);
    EXPECT_EQ(0, to.crossover.hp.slope);
    EXPECT_EQ(1, to.crossover.hp.bypass);
    EXPECT_EQ(2, to.crossover.hp.type);
    EXPECT_EQ(20000, to.crossover.lp.fs);
    EXPECT_EQ(6, to.crossover.lp.slope);
    EXPECT_EQ(0, to.crossover.lp.bypass);
    EXPECT_EQ(3, to.crossover.lp.type);
    EXPECT_EQ(targetBpType, to.crossover.bpType);
    EXPECT_EQ(0, to.bypass);
    EXPECT_EQ(0.0f, to.gain);
    EXPECT_EQ(0.0f, to.delay);
    EXPECT_EQ(0, to.phase);
    EXPECT_EQ(0, to.mute);
    EXPECT_EQ(1, to.compressorOn);
    EXPECT_EQ("copy out config from 1 to 2\n", log.Text());
}

TEST(ChannelRules, CopyMixConfigCoversEightSourcesAndInputs) {
    LogCapture log;
    auto c = std::make_unique<DspConfig>();
    for (int s = 0; s < SourceCount; ++s) {
        c->inputs[s][3] = 0x100 + s;
        for (int i = 0; i < InputChannelCount; ++i) {
            c->inputMixVolume[s][i][3] = s * 10 + i;
            c->inputMixState[s][i][3] = 1;
        }
    }
    c->CopyMixConfig(3, 7);
    for (int s = 0; s < SourceCount; ++s) {
        SCOPED_TRACE(s);
        bool copied = s < 8;
        EXPECT_EQ(copied ? 0x100 + s : 2, c->inputs[s][7]);  // source 8 keeps its default
        for (int i = 0; i < InputChannelCount; ++i) {
            bool cell = copied && i < 8;
            EXPECT_EQ(cell ? s * 10 + i : 100, c->inputMixVolume[s][i][7]);
            EXPECT_EQ(cell ? 1 : 0, c->inputMixState[s][i][7]);
        }
    }
    EXPECT_EQ("copy mix config from 3 to 7\n", log.Text());
}

// Numbers typed into edits: whatever the text, nothing wraps and nothing that is not a plain decimal
// number is taken; beyond the range is the range's end.
TEST(TypedNumbers, SaturateToTheRangeAndRefuseWhatIsNoNumber) {
    auto shown = [](const std::wstring& text) {  // for failure messages: the first characters
        std::string narrow;
        for (size_t i = 0; i < text.size() && i < 24; ++i) narrow += text[i] < 128 ? static_cast<char>(text[i]) : '?';
        return narrow;
    };
    const std::wstring nines(400, L'9');
    const std::wstring tiny = L"0." + std::wstring(400, L'0') + L"1";
    struct Decimal {
        std::wstring text;
        bool isNumber;
        double value;  // within [-18, 12]
    } decimals[] = {
        {L"3.24", true, 3.24},       {L"-12.5dB", true, -12.5},   {L" +7", true, 7},
        {L"\t5 ", true, 5},          {L".5", true, 0.5},          {L"5.", true, 5},
        {L"-.5", true, -0.5},        {L"1e1", true, 10},          {L"2E-1", true, 0.2},
        {L"1e", true, 1},            {L"8ex", true, 8},           {L"-0", true, 0},
        {L"99999999999", true, 12},  {L"-99999999999", true, -18}, {L"2147483648", true, 12},
        {L"18446744073709551617", true, 12}, {nines, true, 12},    {L"-" + nines, true, -18},
        {L"1e308", true, 12},        {L"-1e308", true, -18},      {L"1e400", true, 12},
        {L"1e-400", true, 0},        {tiny, true, 0},             {L"1e" + nines, true, 12},
        {L"nan", false, 0},          {L"NaN", false, 0},          {L"inf", false, 0},
        {L"-inf", false, 0},         {L"infinity", false, 0},     {L"-0x10", false, 0},
        {L"0x10", false, 0},         {L"0X1F", false, 0},         {L"5x", false, 0},
        {L"??", false, 0},           {L"", false, 0},             {L"   ", false, 0},
        {L"-", false, 0},            {L"+", false, 0},            {L".", false, 0},
        {L"-.", false, 0},           {L"e5", false, 0},           {L"k5", false, 0},
        {L"+-5", false, 0},          {L"--5", false, 0},          {L"3,5", false, 0},
        {L"1,000", false, 0},        {L"\xFF15", false, 0},  // a full-width 5
    };
    for (const Decimal& d : decimals) {
        double value = -99;
        EXPECT_EQ(ReadNumberText(d.text.c_str(), -18, 12, &value), d.isNumber) << shown(d.text);
        EXPECT_DOUBLE_EQ(value, d.isNumber ? d.value : -99) << shown(d.text) << ": untouched unless a number";
        if (d.isNumber && d.value == 0) {
            EXPECT_FALSE(std::signbit(value)) << shown(d.text) << ": no -0.0 to show";
        }
    }
    EXPECT_FALSE(ReadNumberText(nullptr, 0, 1, nullptr));

    struct Whole {
        std::wstring text;
        int32_t low, high;
        bool isNumber;
        int32_t value;
    } wholes[] = {
        {L"250 ms", 0, 1000, true, 250},        {L"250.9", 0, 1000, true, 250},
        {L"-5", 0, 1000, true, 0},               {L"-0.9", -10, 10, true, 0},
        {L"-7.9", -10, 10, true, -7},            {L"1e3", 0, 5000, true, 1000},
        {L"18446744073709551617", 0, 1000, true, 1000}, {nines, 0, 1000, true, 1000},
        {L"1e308", 0, 1000, true, 1000},         {L"-1e308", 0, 1000, true, 0},
        {L"2147483648", INT32_MIN, INT32_MAX, true, INT32_MAX},
        {L"-2147483649", INT32_MIN, INT32_MAX, true, INT32_MIN},
        {L"-2147483648", INT32_MIN, INT32_MAX, true, INT32_MIN},
        {nines, INT32_MIN, INT32_MAX, true, INT32_MAX},
        {L"nan", 0, 1000, false, 0},             {L"-0x10", 0, 1000, false, 0},
        {L"??", 0, 1000, false, 0},              {L"", 0, 1000, false, 0},
        {L"1,5", 0, 1000, false, 0},
    };
    for (const Whole& w : wholes) {
        int32_t value = -99;
        EXPECT_EQ(ReadIntegerText(w.text.c_str(), w.low, w.high, &value), w.isNumber) << shown(w.text);
        EXPECT_EQ(value, w.isNumber ? w.value : -99) << shown(w.text);
    }
}
