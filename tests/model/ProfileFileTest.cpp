#include <gtest/gtest.h>
#include <windows.h>

#include <cjson/cJSON.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "LogCapture.h"
#include "model/FileAccess.h"
#include "model/MessagePresenter.h"
#include "model/ProfileFile.h"

namespace {

using Edit = std::function<void(cJSON* root)>;

// Deterministic values inside every range the files allow.
class Values {
public:
    explicit Values(unsigned seed) : state_(seed * 2654435761u + 1) {}
    int Next(int low, int high) {
        state_ = state_ * 1103515245u + 12345u;
        return low + int((state_ >> 8) % unsigned(high - low + 1));
    }

private:
    unsigned state_;
};

void FillFileFields(DspConfig& c, unsigned seed) {
    Values v(seed);
    c.mainVolume = v.Next(0, 40);
    c.acc = v.Next(0, 1);
    c.subVolume = v.Next(-20, 20);
    c.mainVolumeMute = v.Next(0, 1);
    for (int n = 0; n < OutputCount; ++n) {
        ChannelConfig& ch = c.channels[n];
        ch.gain = v.Next(-600, 0) / 10.0f;
        ch.mute = v.Next(0, 1);
        ch.delay = v.Next(0, 1500) / 100.0f;
        ch.phase = v.Next(0, 1);
        ch.bypass = uint8_t(v.Next(0, 1));
        ch.crossover = Crossover(v.Next(20, 20000), v.Next(1, 3), v.Next(0, 8), v.Next(20, 20000), v.Next(1, 3), v.Next(0, 8));
        ch.crossover.bpType = v.Next(0, 3);
        for (int k = 0; k < ch.eqSize; ++k)
            ch.eqArray[k] = EqBand(v.Next(-120, 120) / 10.0f, v.Next(5, 90) / 10.0f, v.Next(20, 20000), uint8_t(v.Next(0, 1)));
    }
    for (int s = 0; s < SourceCount; ++s) {
        for (int o = 0; o < OutputCount; ++o) c.inputs[s][o] = v.Next(0, 1023);
        for (int i = 0; i < 8; ++i) {
            c.inMixPhase[s][i] = v.Next(0, 1);
            for (int o = 0; o < OutputCount; ++o) c.inputMixVolume[s][i][o] = v.Next(0, 100);
        }
    }
    for (int n = 0; n < OutputCount; ++n) {
        c.outputs[n] = v.Next(0, 24);
        c.linkOutputs[n] = v.Next(-1, 9);
        c.showOutChEqualizer[n] = v.Next(0, 1);
    }
    c.currOutChannel = v.Next(0, 9);
    c.linkMode = v.Next(0, 1);
    c.lockMode = v.Next(0, 1);
}

std::string Printed(const JsonPtr& root) {
    char* text = cJSON_PrintUnformatted(root.get());
    std::string out(text);
    cJSON_free(text);
    return out;
}

// Every field a profile holds, as the writer (whose format is pinned below) puts it.
std::string SceneText(const DspConfig& c) { return Printed(SceneProfileToJson(c)); }
std::string WholeText(const DspConfig& live, const DspConfig* scenes, const SceneNameSlot* names) {
    return Printed(WholeProfileToJson(live, scenes, names));
}

// Fields no profile holds; a load must leave them alone.
void SetSentinels(DspConfig& c) {
    c.model = 94;
    c.inputSource = 7;
    c.compressor.threshold[3] = -12.0f;
    c.inputMixState[2][2][2] = 1;
    c.inputMixVolume[4][9][3] = 55;
    c.inMixPhase[1][9] = 1;
    c.crossMixGain[0][0] = 5;
    for (ChannelConfig& ch : c.channels) ch.compressorOn = 0;
}

void ExpectSentinels(const DspConfig& c) {
    EXPECT_EQ(94, c.model);
    EXPECT_EQ(7, c.inputSource);
    EXPECT_EQ(-12.0f, c.compressor.threshold[3]);
    EXPECT_EQ(1, c.inputMixState[2][2][2]);
    EXPECT_EQ(55, c.inputMixVolume[4][9][3]);
    EXPECT_EQ(1, c.inMixPhase[1][9]);
    EXPECT_EQ(5, c.crossMixGain[0][0]);
    for (const ChannelConfig& ch : c.channels) EXPECT_EQ(0, ch.compressorOn);
}

std::vector<uint8_t> Bytes(const void* p, size_t n) {
    auto b = static_cast<const uint8_t*>(p);
    return std::vector<uint8_t>(b, b + n);
}

std::string Ints(const int32_t* v, int n) {
    std::string s = "[";
    for (int i = 0; i < n; ++i) s += (i ? "," : "") + std::to_string(v[i]);
    return s + "]";
}

// The texts cJSON gives the few float values used below.
std::string FloatText(float v) {
    if (v == 5.8f) return "5.8000001907348633";
    if (v == float(int(v))) return std::to_string(int(v));
    char text[32];
    snprintf(text, sizeof text, "%g", v);
    return text;
}

std::string FilterText(const CrossoverFilter& f) {
    return "{\"fs\":" + std::to_string(f.fs) + ",\"type\":" + std::to_string(f.type) + ",\"slope\":" +
           std::to_string(f.slope) + ",\"bypass\":" + std::to_string(f.bypass) + "}";
}

// The reset record's main volume (-5, nothing read yet) is written as 0, the lowest volume a file may hold;
// the amplifier hears the same from both.
std::string ExpectedSceneFile(const DspConfig& c) {
    std::string s = "{\"model\":94,\"model_name\":\"KTR3.500DSP\",\"mainVolume\":" + std::to_string(std::max(c.mainVolume, 0)) +
                    ",\"acc\":" + std::to_string(c.acc) + ",\"subVolume\":" + std::to_string(c.subVolume) +
                    ",\"mainVolumeMute\":" + std::to_string(c.mainVolumeMute) + ",\"channels\":[";
    for (int n = 0; n < OutputCount; ++n) {
        const ChannelConfig& ch = c.channels[n];
        s += std::string(n ? "," : "") + "{\"eqSize\":" + std::to_string(ch.eqSize) + ",\"gain\":" + FloatText(ch.gain) +
             ",\"mute\":" + std::to_string(ch.mute) + ",\"delay\":" + FloatText(ch.delay) + ",\"phase\":" +
             std::to_string(ch.phase) + ",\"bypass\":" + std::to_string(ch.bypass) + ",\"crossover\":{\"bpType\":" +
             std::to_string(ch.crossover.bpType) + ",\"hp\":" + FilterText(ch.crossover.hp) + ",\"lp\":" +
             FilterText(ch.crossover.lp) + "},\"eqArray\":[";
        for (int k = 0; k < ch.eqSize; ++k) {
            const EqBand& b = ch.eqArray[k];
            s += std::string(k ? "," : "") + "{\"freq\":" + std::to_string(b.freq) + ",\"eqFactor\":" +
                 FloatText(b.factor) + ",\"eqGain\":" + FloatText(b.gain) + ",\"enable\":" + std::to_string(b.enable) + "}";
        }
        s += "]}";
    }
    s += "],\"inputs\":[";
    for (int src = 0; src < SourceCount; ++src) s += (src ? "," : "") + Ints(c.inputs[src], OutputCount);
    s += "],\"inputMixVolume\":[";
    for (int src = 0; src < SourceCount; ++src) {
        s += src ? ",[" : "[";
        for (int i = 0; i < 8; ++i) s += (i ? "," : "") + Ints(c.inputMixVolume[src][i], OutputCount);
        s += "]";
    }
    s += "],\"outputs\":" + Ints(c.outputs, 10) + ",\"linkOutputs\":" + Ints(c.linkOutputs, 10) +
         ",\"showOutChEqualizer\":" + Ints(c.showOutChEqualizer, 10) + ",\"currOutChannel\":" +
         std::to_string(c.currOutChannel) + ",\"linkMode\":" + std::to_string(c.linkMode) +
         ",\"lockMode\":" + std::to_string(c.lockMode) + ",\"inMixPhase\":[";
    for (int src = 0; src < SourceCount; ++src) s += (src ? "," : "") + Ints(c.inMixPhase[src], 8);
    return s + "]}";
}

std::vector<std::string> KeysOf(const cJSON* object) {
    std::vector<std::string> keys;
    for (const cJSON* item = object->child; item; item = item->next) keys.push_back(item->string);
    return keys;
}

cJSON* At(cJSON* object, const char* key) { return cJSON_GetObjectItem(object, key); }
cJSON* At(cJSON* array, int index) { return cJSON_GetArrayItem(array, index); }
void Set(cJSON* object, const char* key, cJSON* value) { cJSON_ReplaceItemInObject(object, key, value); }
cJSON* Band(cJSON* root, int n, int k) { return At(At(At(At(root, "channels"), n), "eqArray"), k); }

const HWND kOwner = reinterpret_cast<HWND>(0x1234);

class ProfileFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        dir_ = std::wstring(temp) + L"velmor_model_profiles_" + std::to_wstring(GetCurrentProcessId()) + L"\\";
        CreateDirectoryW(dir_.c_str(), nullptr);
        SetMessagePresenter([this](HWND owner, const wchar_t* title, const wchar_t* text, const wchar_t* const* buttons,
                                   int count) {
            EXPECT_EQ(kOwner, owner);
            EXPECT_STREQ(L"${tips}", title);
            EXPECT_EQ(1, count);
            EXPECT_STREQ(L"${confirm}", buttons[0]);
            messages_.push_back(text);
            LogPrintW(L"<%ls>\n", text);  // shows the message's place among the log lines
            return 1;
        });
    }

    void TearDown() override {
        SetMessagePresenter(nullptr);
        for (const std::wstring& name : Files()) {
            SetFileAttributesW((dir_ + name).c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileW((dir_ + name).c_str());
        }
        RemoveDirectoryW(dir_.c_str());
    }

    std::vector<std::wstring> Files() const {
        std::vector<std::wstring> names;
        WIN32_FIND_DATAW data;
        HANDLE find = FindFirstFileW((dir_ + L"*").c_str(), &data);
        if (find == INVALID_HANDLE_VALUE) return names;
        do {
            if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(data.cFileName);
        } while (FindNextFileW(find, &data));
        FindClose(find);
        return names;
    }

    std::wstring Path(const wchar_t* name) const { return dir_ + name; }

    std::string Read(const std::wstring& path) const {
        std::unique_ptr<char[]> text = ReadFileToBuffer(path.c_str());
        return text ? std::string(text.get()) : std::string("<missing>");
    }

    void Write(const std::wstring& path, const std::string& text) const {
        HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD n = 0;
        WriteFile(h, text.data(), DWORD(text.size()), &n, nullptr);
        CloseHandle(h);
    }

    // Saves `source` as a scene or whole profile, then changes the JSON; returns the file's path.
    std::wstring SavedAndEdited(bool whole, const Edit& edit, const wchar_t* name = L"edited") {
        auto live = std::make_unique<DspConfig>();
        FillFileFields(*live, 3);
        JsonPtr root;
        if (whole) {
            std::vector<DspConfig> scenes(10);
            root = WholeProfileToJson(*live, scenes.data(), names_);
        } else {
            root = SceneProfileToJson(*live);
        }
        edit(root.get());
        char* text = cJSON_PrintUnformatted(root.get());
        std::wstring path = Path(name);
        Write(path, text);
        cJSON_free(text);
        return path;
    }

    std::wstring dir_;
    std::vector<std::wstring> messages_;
    SceneNameSlot names_[10] = {};
    LogCapture log_;
};

struct FailureCase {
    const char* name;
    bool whole;
    Edit edit;  // null: the raw text below is the file
    std::string raw;
    const wchar_t* message;
    const char* log;
};

const char* const kLoadErrorLog = "read profile file error! error\n<${profile_load_error}>\nread profile file error! error1\n";
// Only the message itself: these failures write no log line.
const char* const kOpenErrorLog = "<${profile_open_error}>\n";
const char* const kParseErrorLog = "<${profile_load_error}>\n";
const char* const kMismatchLog = "<${software_not_match}>\nread profile file error! error1\n";

void EditChannel(cJSON* root, int n, const char* key, cJSON* value) {
    Set(At(At(root, "channels"), n), key, value);
}

std::vector<FailureCase> FailureCases() {
    return {
        {"empty scene", false, nullptr, "", L"${profile_open_error}", kOpenErrorLog},
        {"scene not JSON", false, nullptr, "hello", L"${profile_open_error}", kOpenErrorLog},
        {"scene cut short", false, nullptr, "{\"model\":94,\"mainVolume\":3,\"chan", L"${profile_open_error}", kOpenErrorLog},
        {"too deep", false, nullptr, std::string(100000, '['), L"${profile_open_error}", kOpenErrorLog},
        {"empty whole", true, nullptr, "", L"${profile_load_error}", kParseErrorLog},
        {"whole not JSON", true, nullptr, "{\"model\":94,", L"${profile_load_error}", kParseErrorLog},
        {"model 95", false, [](cJSON* r) { Set(r, "model", cJSON_CreateNumber(95)); }, "", L"${software_not_match}", kMismatchLog},
        {"whole model 95", true, [](cJSON* r) { Set(r, "model", cJSON_CreateNumber(95)); }, "", L"${software_not_match}", kMismatchLog},
        {"model text", false, [](cJSON* r) { Set(r, "model", cJSON_CreateString("94")); }, "", L"${profile_load_error}", kLoadErrorLog},
        {"no model", false, [](cJSON* r) { cJSON_DeleteItemFromObject(r, "model"); }, "", L"${profile_load_error}", kLoadErrorLog},
        {"root is array", false, nullptr, "[94]", L"${profile_load_error}", kLoadErrorLog},
        {"extra band", false, [](cJSON* r) { cJSON_AddItemToArray(At(At(At(r, "channels"), 2), "eqArray"), cJSON_Duplicate(Band(r, 2, 0), 1)); }, "", L"${profile_load_error}", kLoadErrorLog},
        {"9 channels", false, [](cJSON* r) { cJSON_DeleteItemFromArray(At(r, "channels"), 9); }, "", L"${profile_load_error}", kLoadErrorLog},
        {"11 channels", false, [](cJSON* r) { cJSON_AddItemToArray(At(r, "channels"), cJSON_Duplicate(At(At(r, "channels"), 9), 1)); }, "", L"${profile_load_error}", kLoadErrorLog},
        {"no inMixPhase", false, [](cJSON* r) { cJSON_DeleteItemFromObject(r, "inMixPhase"); }, "", L"${profile_load_error}", kLoadErrorLog},
        {"eqSize 22", false, [](cJSON* r) {
             EditChannel(r, 0, "eqSize", cJSON_CreateNumber(22));
             cJSON_AddItemToArray(At(At(At(r, "channels"), 0), "eqArray"), cJSON_Duplicate(Band(r, 0, 0), 1));
         }, "", L"${profile_load_error}", kLoadErrorLog},
        {"eqSize 21 on an 11-band output", false, [](cJSON* r) {
             EditChannel(r, 5, "eqSize", cJSON_CreateNumber(21));
             for (int k = 0; k < 10; ++k) cJSON_AddItemToArray(At(At(At(r, "channels"), 5), "eqArray"), cJSON_Duplicate(Band(r, 5, 0), 1));
         }, "", L"${profile_load_error}", kLoadErrorLog},
        {"position 99", false, [](cJSON* r) { cJSON_ReplaceItemInArray(At(r, "outputs"), 4, cJSON_CreateNumber(99)); }, "", L"${profile_load_error}", kLoadErrorLog},
        {"position -1", false, [](cJSON* r) { cJSON_ReplaceItemInArray(At(r, "outputs"), 0, cJSON_CreateNumber(-1)); }, "", L"${profile_load_error}", kLoadErrorLog},
        {"partner 50", false, [](cJSON* r) { cJSON_ReplaceItemInArray(At(r, "linkOutputs"), 1, cJSON_CreateNumber(50)); }, "", L"${profile_load_error}", kLoadErrorLog},
        {"current output 10", false, [](cJSON* r) { Set(r, "currOutChannel", cJSON_CreateNumber(10)); }, "", L"${profile_load_error}", kLoadErrorLog},
        {"volume 3e9", false, [](cJSON* r) { Set(r, "mainVolume", cJSON_CreateNumber(3e9)); }, "", L"${profile_load_error}", kLoadErrorLog},
        {"band 70000 Hz", false, [](cJSON* r) { Set(Band(r, 1, 3), "freq", cJSON_CreateNumber(70000)); }, "", L"${profile_load_error}", kLoadErrorLog},
        {"band -1 Hz", false, [](cJSON* r) { Set(Band(r, 1, 3), "freq", cJSON_CreateNumber(-1)); }, "", L"${profile_load_error}", kLoadErrorLog},
        {"filter 15 Hz", false, [](cJSON* r) { Set(At(At(At(At(r, "channels"), 3), "crossover"), "hp"), "fs", cJSON_CreateNumber(15)); }, "", L"${profile_load_error}", kLoadErrorLog},
        {"filter type 7", false, [](cJSON* r) { Set(At(At(At(At(r, "channels"), 3), "crossover"), "lp"), "type", cJSON_CreateNumber(7)); }, "", L"${profile_load_error}", kLoadErrorLog},
        {"filter order 12", false, [](cJSON* r) { Set(At(At(At(At(r, "channels"), 3), "crossover"), "lp"), "slope", cJSON_CreateNumber(12)); }, "", L"${profile_load_error}", kLoadErrorLog},
        {"gain as text", false, [](cJSON* r) { EditChannel(r, 6, "gain", cJSON_CreateString("-3")); }, "", L"${profile_load_error}", kLoadErrorLog},
        {"channel as array", false, [](cJSON* r) { cJSON_ReplaceItemInArray(At(r, "channels"), 7, cJSON_CreateArray()); }, "", L"${profile_load_error}", kLoadErrorLog},
        {"inputs as object", false, [](cJSON* r) { Set(r, "inputs", cJSON_CreateObject()); }, "", L"${profile_load_error}", kLoadErrorLog},
        {"huge array", false, [](cJSON* r) {
             cJSON* rows = cJSON_CreateArray();
             for (int i = 0; i < 100000; ++i) cJSON_AddItemToArray(rows, cJSON_CreateNumber(i));
             Set(r, "inputs", rows);
         }, "", L"${profile_load_error}", kLoadErrorLog},
        {"9 scenes", true, [](cJSON* r) { cJSON_DeleteItemFromArray(At(r, "sceneArray"), 3); }, "", L"${profile_load_error}", kLoadErrorLog},
        {"9 names", true, [](cJSON* r) { cJSON_DeleteItemFromArray(At(r, "sceneName"), 3); }, "", L"${profile_load_error}", kLoadErrorLog},
        {"name as number", true, [](cJSON* r) { cJSON_ReplaceItemInArray(At(r, "sceneName"), 3, cJSON_CreateNumber(3)); }, "", L"${profile_load_error}", kLoadErrorLog},
        {"bad last scene", true, [](cJSON* r) {
             Set(At(At(At(At(r, "sceneArray"), 9), "channels"), 9), "eqSize", cJSON_CreateNumber(99));
         }, "", L"${profile_load_error}", kLoadErrorLog},
        {"no live block", true, [](cJSON* r) { cJSON_DeleteItemFromObject(r, "currentProfile"); }, "", L"${profile_load_error}", kLoadErrorLog},
    };
}

}  // namespace

TEST_F(ProfileFileTest, SceneProfileRoundTripRestoresEveryFieldItHolds) {
    ProfileFile file(kOwner);
    for (unsigned seed : {1u, 2u, 3u}) {
        auto source = std::make_unique<DspConfig>(), target = std::make_unique<DspConfig>();
        FillFileFields(*source, seed);
        source->channels[0].gain = -3.5f;
        source->channels[0].delay = 1.25f;
        SetSentinels(*target);
        file.SaveSceneProfile(*source, Path(L"scene.spf").c_str());
        ASSERT_TRUE(file.LoadSceneProfile(Path(L"scene.spf").c_str(), *target));
        EXPECT_EQ(SceneText(*source), SceneText(*target));
        ExpectSentinels(*target);
    }
    EXPECT_EQ(std::vector<std::wstring>(3, L"${profile_save_ok}"), messages_);
    EXPECT_EQ("<${profile_save_ok}>\nread profile file ok\n<${profile_save_ok}>\nread profile file ok\n"
              "<${profile_save_ok}>\nread profile file ok\n",
              log_.Text());
    EXPECT_EQ(std::vector<std::wstring>({L"scene.spf"}), Files());  // no temporary file left
}

// Whatever a caller hands the crossover setters, what they keep must load back: a profile saved "OK" that
// the loader then refuses makes the whole file unreadable.
TEST_F(ProfileFileTest, EverythingTheCrossoverSettersKeepLoadsBack) {
    std::vector<int32_t> values;
    for (int32_t v = -40; v <= 40; ++v) values.push_back(v);
    for (int32_t v = 19980; v <= 20020; ++v) values.push_back(v);
    for (int64_t v = INT32_MIN; v < INT32_MAX; v += 4294967295LL / 97) values.push_back(int32_t(v));
    values.push_back(INT32_MAX);
    using Setter = void (Crossover::*)(int32_t);
    const std::pair<const char*, Setter> setters[] = {
        {"SetHpFreq", &Crossover::SetHpFreq},     {"SetLpFreq", &Crossover::SetLpFreq},
        {"SetHpType", &Crossover::SetHpType},     {"SetLpType", &Crossover::SetLpType},
        {"SetHpSlope", &Crossover::SetHpSlope},   {"SetLpSlope", &Crossover::SetLpSlope},
        {"SetHpBypass", &Crossover::SetHpBypass}, {"SetLpBypass", &Crossover::SetLpBypass},
    };
    for (const auto& [name, setter] : setters) {
        for (size_t first = 0; first < values.size(); first += OutputCount) {
            auto source = std::make_unique<DspConfig>();
            for (size_t n = 0; n < OutputCount && first + n < values.size(); ++n)
                (source->channels[n].crossover.*setter)(values[first + n]);
            JsonPtr root(cJSON_Parse(SceneText(*source).c_str()));
            auto block = std::make_unique<SceneProfileBlock>();
            ASSERT_TRUE(ParseSceneProfile(root.get(), *block)) << name << " from value " << values[first];
            for (int n = 0; n < OutputCount; ++n) {
                const Crossover& kept = source->channels[n].crossover;
                const Crossover& loaded = block->record.channels[n].crossover;
                ASSERT_EQ(FilterText(kept.hp) + FilterText(kept.lp), FilterText(loaded.hp) + FilterText(loaded.lp))
                    << name << " output " << n;
            }
        }
    }

    // Through the files as the application writes and reads them.
    auto source = std::make_unique<DspConfig>(), target = std::make_unique<DspConfig>();
    for (ChannelConfig& channel : source->channels) {
        channel.crossover.SetHpSlope(INT32_MAX);
        channel.crossover.SetLpFreq(INT32_MIN);
        channel.crossover.SetHpType(-7);
    }
    ProfileFile file(kOwner);
    file.SaveSceneProfile(*source, Path(L"extremes.spf").c_str());
    ASSERT_TRUE(file.LoadSceneProfile(Path(L"extremes.spf").c_str(), *target));
    EXPECT_EQ(SceneText(*source), SceneText(*target));
}

TEST_F(ProfileFileTest, SceneProfileIsOneLineInTheFixedKeyOrder) {
    auto c = std::make_unique<DspConfig>();
    c->mainVolume = 20;
    c->subVolume = 5;
    c->channels[0].gain = -3.5f;
    c->channels[0].delay = 1.25f;
    c->channels[0].bypass = 0;
    c->channels[0].eqArray[10] = EqBand(-4.5f, 2.0f, 630, 1);
    c->channels[0].eqArray[3].enable = 0;
    c->channels[8].crossover.SetLpFreq(80);
    c->channels[8].crossover.SetLpType(2);
    c->channels[8].crossover.SetLpSlope(4);
    c->linkOutputs[0] = 1;
    c->linkOutputs[1] = 0;
    c->linkMode = 1;
    ProfileFile(kOwner).SaveSceneProfile(*c, Path(L"format.spf").c_str());
    EXPECT_EQ(ExpectedSceneFile(*c), Read(Path(L"format.spf")));
}

TEST_F(ProfileFileTest, WholeProfileRoundTripRestoresRecordsAndNames) {
    auto live = std::make_unique<DspConfig>();
    std::vector<DspConfig> scenes(10), loadedScenes(10);
    FillFileFields(*live, 11);
    for (int i = 0; i < 10; ++i) FillFileFields(scenes[i], 20 + i);
    scenes[1].lockMode = 1;
    scenes[1].inputMixVolume[0][0][0] = 80;
    const wchar_t sceneOne[8] = L"Scene 1";
    std::memcpy(names_[0], sceneOne, 16);
    std::memcpy(names_[1], "Rock", 4);
    std::memcpy(names_[2], "ABCDEFGHIJKLMNOP", 16);  // no terminator
    names_[3][15] = 0xFF;

    ProfileFile file(kOwner);
    ASSERT_TRUE(file.SaveWholeProfile(*live, scenes.data(), names_, Path(L"all.wpf").c_str()));
    EXPECT_TRUE(messages_.empty());

    JsonPtr root(cJSON_Parse(Read(Path(L"all.wpf")).c_str()));
    ASSERT_TRUE(root);
    EXPECT_EQ(std::vector<std::string>({"model", "model_name", "mainVolume", "acc", "subVolume", "mainVolumeMute",
                                        "sceneName", "currentProfile", "sceneArray"}),
              KeysOf(root.get()));
    EXPECT_EQ(std::vector<std::string>({"channels", "inputs", "inputMixVolume", "inMixPhase", "outputs", "linkOutputs",
                                        "showOutChEqualizer", "currOutChannel", "linkMode", "lockMode"}),
              KeysOf(At(root.get(), "currentProfile")));
    EXPECT_EQ(std::vector<std::string>({"channels", "inputs", "inputMixVolume", "outputs", "linkOutputs",
                                        "showOutChEqualizer", "currOutChannel", "linkMode", "lockMode"}),
              KeysOf(At(At(root.get(), "sceneArray"), 4)));
    EXPECT_STREQ("UwBjAGUAbgBlACAAMQAAAA==", At(At(root.get(), "sceneName"), 0)->valuestring);
    EXPECT_STREQ("QUJDREVGR0hJSktMTU5PUA==", At(At(root.get(), "sceneName"), 2)->valuestring);

    auto target = std::make_unique<DspConfig>();
    SetSentinels(*target);
    for (DspConfig& s : loadedScenes) s.inMixPhase[8][7] = 3;  // scene entries carry no input phases
    SceneNameSlot loadedNames[10];
    std::memset(loadedNames, 0xEE, sizeof loadedNames);
    ASSERT_TRUE(file.LoadWholeProfile(Path(L"all.wpf").c_str(), *target, loadedScenes.data(), loadedNames));
    EXPECT_TRUE(messages_.empty());
    EXPECT_EQ(WholeText(*live, scenes.data(), names_), WholeText(*target, loadedScenes.data(), loadedNames));
    ExpectSentinels(*target);
    for (const DspConfig& s : loadedScenes) EXPECT_EQ(3, s.inMixPhase[8][7]);
    EXPECT_EQ(80, loadedScenes[1].inputMixVolume[0][0][0]);
    EXPECT_EQ("read profile file ok\n", log_.Text());
}

TEST_F(ProfileFileTest, KeysAreFoundWhateverTheirLetterCase) {
    auto source = std::make_unique<DspConfig>(), target = std::make_unique<DspConfig>();
    FillFileFields(*source, 5);
    ProfileFile file(kOwner);
    file.SaveSceneProfile(*source, Path(L"case.spf").c_str());
    std::string text = Read(Path(L"case.spf"));
    for (auto [from, to] : {std::pair<std::string, std::string>{"\"mainVolume\"", "\"MainVolume\""},
                            {"\"eqSize\"", "\"EQSIZE\""}, {"\"fs\"", "\"Fs\""}, {"\"inMixPhase\"", "\"INMIXPHASE\""}}) {
        for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + 1)) text.replace(at, from.size(), to);
    }
    Write(Path(L"case.spf"), text);
    ASSERT_TRUE(file.LoadSceneProfile(Path(L"case.spf").c_str(), *target));
    EXPECT_EQ(SceneText(*source), SceneText(*target));
}

TEST_F(ProfileFileTest, ARefusedFileNamesTheFirstValueRefusedAndWhy) {
    struct WhyCase {
        bool whole;
        Edit edit;
        const char* why;
    };
    const WhyCase cases[] = {
        {false, [](cJSON* r) { Set(At(At(At(At(r, "channels"), 3), "crossover"), "lp"), "slope", cJSON_CreateNumber(9)); },
         "channels[3].crossover.lp.slope: 9 is outside 0..8"},
        {false, [](cJSON* r) { Set(Band(r, 1, 3), "freq", cJSON_CreateNumber(70000)); },
         "channels[1].eqArray[3].freq: 70000 is outside 20..20000"},
        {false, [](cJSON* r) { cJSON_ReplaceItemInArray(At(r, "outputs"), 4, cJSON_CreateNumber(99)); },
         "outputs[4]: 99 is outside 0..24"},
        {false, [](cJSON* r) { cJSON_DeleteItemFromArray(At(r, "channels"), 9); }, "channels: 9 items where 10 belong"},
        {false, [](cJSON* r) { EditChannel(r, 6, "gain", cJSON_CreateString("-3")); },
         "channels[6].gain: not a finite number a float can hold"},
        {false, [](cJSON* r) { cJSON_DeleteItemFromObject(r, "inMixPhase"); }, "inMixPhase: missing"},
        {false, [](cJSON* r) { Set(r, "model", cJSON_CreateNumber(95)); }, "model: 95, not 94"},
        {false, [](cJSON* r) { Set(r, "inputs", cJSON_CreateObject()); }, "inputs: not an array"},
        {true, [](cJSON* r) { cJSON_ReplaceItemInArray(At(r, "sceneName"), 3, cJSON_CreateNumber(3)); },
         "sceneName[3]: not a string"},
        {true, [](cJSON* r) { Set(At(At(At(At(r, "sceneArray"), 9), "channels"), 9), "eqSize", cJSON_CreateNumber(99)); },
         "sceneArray[9].channels[9].eqSize: 99 is outside 0..11"},
        {true, [](cJSON* r) { cJSON_ReplaceItemInArray(At(At(r, "currentProfile"), "linkOutputs"), 2, cJSON_CreateNumber(10)); },
         "currentProfile.linkOutputs[2]: 10 is outside -1..9"},
    };
    ProfileFile file(kOwner);
    auto live = std::make_unique<DspConfig>();
    std::vector<DspConfig> scenes(10);
    SceneNameSlot names[10];
    for (const WhyCase& c : cases) {
        SCOPED_TRACE(c.why);
        const std::wstring path = SavedAndEdited(c.whole, c.edit);
        EXPECT_FALSE(c.whole ? file.LoadWholeProfile(path.c_str(), *live, scenes.data(), names)
                             : file.LoadSceneProfile(path.c_str(), *live));
        EXPECT_EQ(c.why, ProfileFailure());
    }
    Write(Path(L"raw"), "{\"model\":94,");
    EXPECT_FALSE(file.LoadSceneProfile(Path(L"raw").c_str(), *live));
    EXPECT_EQ("not JSON (from byte 12)", ProfileFailure());
    file.SaveSceneProfile(*live, Path(L"good.spf").c_str());
    EXPECT_TRUE(file.LoadSceneProfile(Path(L"good.spf").c_str(), *live));
    EXPECT_EQ("", ProfileFailure());
}

TEST_F(ProfileFileTest, EveryFailureTellsWhyAndChangesNothing) {
    ProfileFile file(kOwner);
    auto live = std::make_unique<DspConfig>();
    std::vector<DspConfig> scenes(10);
    FillFileFields(*live, 40);
    SetSentinels(*live);
    for (int i = 0; i < 10; ++i) FillFileFields(scenes[i], 50 + i);
    SceneNameSlot names[10];
    std::memset(names, 0x5A, sizeof names);
    for (const FailureCase& c : FailureCases()) {
        SCOPED_TRACE(c.name);
        std::wstring path = c.edit ? SavedAndEdited(c.whole, c.edit) : Path(L"raw");
        if (!c.edit) Write(path, c.raw);
        std::vector<uint8_t> before = Bytes(live.get(), sizeof(DspConfig));
        std::vector<uint8_t> scenesBefore = Bytes(scenes.data(), sizeof(DspConfig) * 10);
        std::vector<uint8_t> namesBefore = Bytes(names, sizeof names);
        size_t logBefore = log_.Text().size();
        messages_.clear();
        bool loaded = c.whole ? file.LoadWholeProfile(path.c_str(), *live, scenes.data(), names)
                              : file.LoadSceneProfile(path.c_str(), *live);
        EXPECT_FALSE(loaded);
        EXPECT_FALSE(ProfileFailure().empty()) << "a refused file says why";
        EXPECT_EQ(std::vector<std::wstring>({c.message}), messages_);
        EXPECT_EQ(c.log, log_.Text().substr(logBefore));
        EXPECT_TRUE(before == Bytes(live.get(), sizeof(DspConfig)));
        EXPECT_TRUE(scenesBefore == Bytes(scenes.data(), sizeof(DspConfig) * 10));
        EXPECT_TRUE(namesBefore == Bytes(names, sizeof names));
    }
    messages_.clear();
    EXPECT_FALSE(file.LoadSceneProfile(Path(L"missing.spf").c_str(), *live));
    EXPECT_FALSE(file.LoadWholeProfile(Path(L"missing.wpf").c_str(), *live, scenes.data(), names));
    EXPECT_EQ(std::vector<std::wstring>(2, L"${profile_open_error}"), messages_);
}

TEST_F(ProfileFileTest, NonFiniteNumbersAreRejectedAndRangesHeld) {
    ProfileFile file(kOwner);
    auto target = std::make_unique<DspConfig>();
    // cJSON cannot write 1e999, so a marker number is swapped for it in the text.
    for (const char* key : {"gain", "delay"}) {
        std::wstring path = SavedAndEdited(false, [&](cJSON* r) { EditChannel(r, 2, key, cJSON_CreateNumber(12345.5)); });
        std::string text = Read(path);
        text.replace(text.find("12345.5"), 7, std::string(key) == "gain" ? "1e999" : "-1e999");
        Write(path, text);
        EXPECT_FALSE(file.LoadSceneProfile(path.c_str(), *target)) << key;
    }
    EXPECT_EQ(std::vector<std::wstring>(2, L"${profile_load_error}"), messages_);
    EXPECT_EQ(-1, target->model);  // untouched: still the reset record

    // A record holding a non-finite or out-of-range value still saves a file that loads: the nearest
    // value a file may hold stands for it.
    auto odd = std::make_unique<DspConfig>();
    odd->channels[1].gain = NAN;
    odd->channels[1].eqArray[2].factor = INFINITY;
    odd->channels[2].delay = 20.0f;
    odd->inputMixVolume[1][2][3] = 300;
    odd->channels[3].eqArray[0].gain = -40.0f;
    file.SaveSceneProfile(*odd, Path(L"odd.spf").c_str());
    ASSERT_TRUE(file.LoadSceneProfile(Path(L"odd.spf").c_str(), *target)) << ProfileFailure();
    EXPECT_EQ(0.0f, target->channels[1].gain);
    EXPECT_EQ(MinQ, target->channels[1].eqArray[2].factor);
    EXPECT_EQ(MaxDelayMs, target->channels[2].delay);
    EXPECT_EQ(100, target->inputMixVolume[1][2][3]);
    EXPECT_EQ(-18.0f, target->channels[3].eqArray[0].gain);
}

// A value no setter accepts is refused, and the reason names it; the target keeps its values.
TEST_F(ProfileFileTest, OutOfRangeValuesAreRefusedByName) {
    auto channel = [](int n, const char* key, double value) {
        return Edit([=](cJSON* r) { EditChannel(r, n, key, cJSON_CreateNumber(value)); });
    };
    auto band = [](int n, int k, const char* key, double value) {
        return Edit([=](cJSON* r) { Set(Band(r, n, k), key, cJSON_CreateNumber(value)); });
    };
    auto top = [](const char* key, double value) { return Edit([=](cJSON* r) { Set(r, key, cJSON_CreateNumber(value)); }); };
    auto cell = [](const char* key, int row, int col, double value) {
        return Edit([=](cJSON* r) { cJSON_ReplaceItemInArray(At(At(r, key), row), col, cJSON_CreateNumber(value)); });
    };
    struct RangeCase {
        Edit edit;
        const char* why;
    };
    const RangeCase cases[] = {
        {channel(0, "gain", -2147483648.0), "channels[0].gain: -2147483648 is outside -60..0"},
        {band(1, 3, "eqFactor", -2147483648.0), "channels[1].eqArray[3].eqFactor: -2147483648 is outside 0.5..9"},
        {band(0, 20, "eqGain", 100), "channels[0].eqArray[20].eqGain: 100 is outside -18..12"},
        {band(3, 1, "freq", 19), "channels[3].eqArray[1].freq: 19 is outside 20..20000"},
        {channel(5, "delay", 15.5), "channels[5].delay: 15.5 is outside 0..15"},
        {channel(7, "mute", 2), "channels[7].mute: 2 is outside 0..1"},
        {channel(8, "phase", -1), "channels[8].phase: -1 is outside 0..1"},
        {channel(9, "bypass", 256), "channels[9].bypass: 256 is outside 0..1"},
        {top("mainVolume", -5), "mainVolume: -5 is outside 0..40"},
        {top("mainVolumeMute", 3), "mainVolumeMute: 3 is outside 0..1"},
        {top("acc", 256), "acc: 256 is outside -128..255"},
        {top("linkMode", 2), "linkMode: 2 is outside 0..1"},
        {cell("inputs", 4, 9, 1024), "inputs[4][9]: 1024 is outside 0..1023"},
        {[](cJSON* r) { cJSON_ReplaceItemInArray(At(At(At(r, "inputMixVolume"), 1), 2), 3, cJSON_CreateNumber(101)); },
         "inputMixVolume[1][2][3]: 101 is outside 0..100"},
        {cell("inMixPhase", 8, 7, 5), "inMixPhase[8][7]: 5 is outside 0..1"},
        {[](cJSON* r) { cJSON_ReplaceItemInArray(At(r, "showOutChEqualizer"), 6, cJSON_CreateNumber(7)); },
         "showOutChEqualizer[6]: 7 is outside 0..1"},
    };
    ProfileFile file(kOwner);
    auto target = std::make_unique<DspConfig>();
    FillFileFields(*target, 9);
    const std::vector<uint8_t> before = Bytes(target.get(), sizeof(DspConfig));
    for (const RangeCase& c : cases) {
        SCOPED_TRACE(c.why);
        const std::wstring path = SavedAndEdited(false, c.edit);
        EXPECT_FALSE(file.LoadSceneProfile(path.c_str(), *target));
        EXPECT_EQ(c.why, ProfileFailure());
        EXPECT_TRUE(before == Bytes(target.get(), sizeof(DspConfig)));
    }
    // The same rules hold inside a whole profile's live block and scene entries.
    auto live = std::make_unique<DspConfig>();
    std::vector<DspConfig> scenes(10);
    SceneNameSlot names[10];
    const std::wstring whole = SavedAndEdited(true, [](cJSON* r) {
        Set(Band(At(At(r, "sceneArray"), 4), 2, 5), "eqGain", cJSON_CreateNumber(60223));
    });
    EXPECT_FALSE(file.LoadWholeProfile(whole.c_str(), *live, scenes.data(), names));
    EXPECT_EQ("sceneArray[4].channels[2].eqArray[5].eqGain: 60223 is outside -18..12", ProfileFailure());
}

// Whatever a record holds, the file the program writes for it loads, and writing what was loaded gives
// the same bytes again.
TEST_F(ProfileFileTest, WrittenFilesLoadAndResaveByteForByte) {
    ProfileFile file(kOwner);
    for (unsigned seed : {4u, 5u}) {
        auto source = std::make_unique<DspConfig>();
        if (seed == 5u) {
            // Held outside the ranges (the reset main volume, values no setter gives): still loadable.
            source->mainVolume = -5;
            source->acc = 1000;
            source->channels[0].gain = 12.0f;
            source->channels[1].eqArray[0] = EqBand(99.0f, 254.8f, 60223, 1);
            source->channels[2].delay = -1.0f;
            source->channels[3].phase = -1;
            source->inputs[0][0] = 0xFFFF;
            source->inputMixVolume[0][0][0] = 127;
            source->lockMode = 5;
        } else {
            FillFileFields(*source, seed);
        }
        file.SaveSceneProfile(*source, Path(L"first.spf").c_str());
        auto loaded = std::make_unique<DspConfig>();
        ASSERT_TRUE(file.LoadSceneProfile(Path(L"first.spf").c_str(), *loaded)) << ProfileFailure();
        file.SaveSceneProfile(*loaded, Path(L"second.spf").c_str());
        EXPECT_EQ(Read(Path(L"first.spf")), Read(Path(L"second.spf")));

        std::vector<DspConfig> scenes(10), loadedScenes(10);
        if (seed == 5u) scenes[6].channels[4].eqArray[1].factor = 0.0f;
        SceneNameSlot loadedNames[10];
        ASSERT_TRUE(file.SaveWholeProfile(*source, scenes.data(), names_, Path(L"first.wpf").c_str()));
        ASSERT_TRUE(file.LoadWholeProfile(Path(L"first.wpf").c_str(), *loaded, loadedScenes.data(), loadedNames))
            << ProfileFailure();
        ASSERT_TRUE(file.SaveWholeProfile(*loaded, loadedScenes.data(), loadedNames, Path(L"second.wpf").c_str()));
        EXPECT_EQ(Read(Path(L"first.wpf")), Read(Path(L"second.wpf")));
    }
}

TEST_F(ProfileFileTest, CraftedSceneNameStaysInsideItsSlot) {
    std::string hostile = std::string(20, 'A') + std::string(400, '=');
    for (int i = 0; i < 500; ++i) hostile += "QUFB";
    std::memcpy(names_[1], "Second", 6);
    std::wstring path = SavedAndEdited(true, [&](cJSON* r) {
        cJSON_ReplaceItemInArray(At(r, "sceneName"), 0, cJSON_CreateString(hostile.c_str()));
    });
    auto live = std::make_unique<DspConfig>(), expected = std::make_unique<DspConfig>();
    FillFileFields(*expected, 3);
    std::vector<DspConfig> scenes(10);
    SceneNameSlot loaded[10];
    std::memset(loaded, 0x77, sizeof loaded);
    ASSERT_TRUE(ProfileFile(kOwner).LoadWholeProfile(path.c_str(), *live, scenes.data(), loaded));
    EXPECT_EQ(std::vector<uint8_t>(16, 0), Bytes(loaded[0], 16));
    EXPECT_EQ(Bytes(names_[1], 16), Bytes(loaded[1], 16));
    EXPECT_EQ(SceneText(*expected), SceneText(*live));
}

TEST_F(ProfileFileTest, FailedSaveKeepsThePreviousFile) {
    ProfileFile file(kOwner);
    auto c = std::make_unique<DspConfig>();
    std::vector<DspConfig> scenes(10);
    std::wstring path = Path(L"kept.spf");
    Write(path, "previous content");
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);
    file.SaveSceneProfile(*c, path.c_str());
    EXPECT_FALSE(file.SaveWholeProfile(*c, scenes.data(), names_, path.c_str()));
    EXPECT_EQ("previous content", Read(path));
    EXPECT_EQ(std::vector<std::wstring>({L"kept.spf"}), Files());  // the temporary file is gone

    CreateDirectoryW(Path(L"adir").c_str(), nullptr);
    file.SaveSceneProfile(*c, Path(L"adir").c_str());
    RemoveDirectoryW(Path(L"adir").c_str());
    file.SaveSceneProfile(*c, Path(L"no such dir\\x.spf").c_str());
    EXPECT_EQ(std::vector<std::wstring>(3, L"${profile_create_error}"), messages_);
    EXPECT_EQ(std::vector<std::wstring>({L"kept.spf"}), Files());

    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    messages_.clear();
    file.SaveSceneProfile(*c, path.c_str());
    EXPECT_EQ(std::vector<std::wstring>({L"${profile_save_ok}"}), messages_);
    EXPECT_EQ(ExpectedSceneFile(*c), Read(path));
}

TEST_F(ProfileFileTest, NoPathIsAFailureToTellNotACrash) {
    ProfileFile file(kOwner);
    auto c = std::make_unique<DspConfig>();
    std::vector<DspConfig> scenes(10);
    file.SaveSceneProfile(*c, nullptr);
    EXPECT_FALSE(file.SaveWholeProfile(*c, scenes.data(), names_, nullptr));
    EXPECT_FALSE(file.LoadSceneProfile(nullptr, *c));
    EXPECT_EQ(std::vector<std::wstring>({L"${profile_create_error}", L"${profile_open_error}"}), messages_);
    EXPECT_FALSE(WriteFileReplacing(nullptr, "x", 1));
    EXPECT_EQ(nullptr, ReadFileToBuffer(nullptr));
}

TEST_F(ProfileFileTest, WidePathsAndFileReading) {
    ProfileFile file(kOwner);
    auto source = std::make_unique<DspConfig>(), target = std::make_unique<DspConfig>();
    FillFileFields(*source, 9);
    std::wstring path = Path(L"\u043F\u0440\u043E\u0444\u0438\u043B\u044C \u4E2D.spf");
    file.SaveSceneProfile(*source, path.c_str());
    ASSERT_TRUE(file.LoadSceneProfile(path.c_str(), *target));
    EXPECT_EQ(SceneText(*source), SceneText(*target));

    EXPECT_EQ(nullptr, ReadFileToBuffer(Path(L"missing").c_str()));
    EXPECT_EQ(nullptr, ReadFileToBuffer(dir_.c_str()));
    Write(Path(L"empty"), "");
    std::unique_ptr<char[]> empty = ReadFileToBuffer(Path(L"empty").c_str());
    ASSERT_NE(nullptr, empty);
    EXPECT_EQ(0, empty[0]);
    Write(Path(L"big"), std::string(MaxReadFileBytes + 1, ' '));
    EXPECT_EQ(nullptr, ReadFileToBuffer(Path(L"big").c_str()));
    messages_.clear();
    EXPECT_FALSE(file.LoadSceneProfile(Path(L"big").c_str(), *target));
    EXPECT_EQ(std::vector<std::wstring>({L"${profile_open_error}"}), messages_);
}

TEST_F(ProfileFileTest, WithoutAMessageWindowMessagesAreLogged) {
    SetMessagePresenter(nullptr);
    auto target = std::make_unique<DspConfig>();
    EXPECT_FALSE(ProfileFile(kOwner).LoadSceneProfile(Path(L"missing.spf").c_str(), *target));
    EXPECT_EQ("message ${tips}: ${profile_open_error}\n", log_.Text());
}
