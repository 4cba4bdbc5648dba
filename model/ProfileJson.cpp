#include "model/ProfileJson.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include <cjson/cJSON.h>

#include "model/Base64.h"
#include "model/ValueRanges.h"

void JsonDeleter::operator()(cJSON* item) const { cJSON_Delete(item); }

// ---------------------------------------------------------------------------------------------------
// Writing

namespace {

// Values are written inside the ranges the loader accepts, so every file the program writes loads: a
// record may hold what no setter gives (the reset main volume -5, a non-finite number), and the nearest
// accepted value stands for it. cJSON would print a non-finite number as null; 0 (or its range's nearest
// bound) keeps the file loadable.
double FileFloat(float value, float low = -FLT_MAX, float high = FLT_MAX) {
    return ClampFinite(std::isfinite(value) ? value : 0.0f, low, high, 0.0f);
}

void AddInt(cJSON* object, const char* key, int32_t value) { cJSON_AddNumberToObject(object, key, value); }
void AddIntIn(cJSON* object, const char* key, int32_t value, int32_t low, int32_t high) {
    AddInt(object, key, ClampInt(value, low, high));
}

cJSON* IntArray(const int32_t* values, int count, int32_t low = INT32_MIN, int32_t high = INT32_MAX) {
    cJSON* array = cJSON_CreateArray();
    for (int i = 0; i < count; ++i) cJSON_AddItemToArray(array, cJSON_CreateNumber(ClampInt(values[i], low, high)));
    return array;
}

cJSON* IntRows(const int32_t* values, int rows, int cols, int rowStride, int32_t low, int32_t high) {
    cJSON* array = cJSON_CreateArray();
    for (int r = 0; r < rows; ++r) cJSON_AddItemToArray(array, IntArray(values + r * rowStride, cols, low, high));
    return array;
}

void AddMixLevels(cJSON* object, const DspConfig& c) {
    cJSON* sources = cJSON_CreateArray();
    for (int s = 0; s < SourceCount; ++s)
        cJSON_AddItemToArray(sources, IntRows(&c.inputMixVolume[s][0][0], ProfileInputChannels, OutputCount,
                                              OutputCount, 0, MaxMixLevel));
    cJSON_AddItemToObject(object, "inputMixVolume", sources);
}

void AddInputPhases(cJSON* object, const DspConfig& c) {
    cJSON_AddItemToObject(object, "inMixPhase",
                          IntRows(&c.inMixPhase[0][0], SourceCount, ProfileInputChannels, InputChannelCount, 0, 1));
}

void AddLevels(cJSON* object, const DspConfig& c) {
    AddInt(object, "model", ProfileModel);
    cJSON_AddStringToObject(object, "model_name", ProfileModelName);
    AddIntIn(object, "mainVolume", c.mainVolume, MinMainVolume, MaxMainVolume);
    AddIntIn(object, "acc", c.acc, MinAcc, MaxAcc);
    AddInt(object, "subVolume", c.subVolume);
    AddIntIn(object, "mainVolumeMute", c.mainVolumeMute, 0, 1);
}

void AddRecord(cJSON* object, const DspConfig& c, PhaseKey phase) {
    // The record always has ten channels, and the reader wants exactly ten.
    cJSON* channels = cJSON_CreateArray();
    for (const ChannelConfig& channel : c.channels) cJSON_AddItemToArray(channels, ChannelToJson(channel));
    cJSON_AddItemToObject(object, "channels", channels);
    cJSON_AddItemToObject(object, "inputs", IntRows(&c.inputs[0][0], SourceCount, OutputCount, OutputCount, 0, MaxRoutingMask));
    AddMixLevels(object, c);
    if (phase == PhaseKey::AfterMix) AddInputPhases(object, c);
    cJSON_AddItemToObject(object, "outputs", IntArray(c.outputs, OutputCount, 0, OutputTypeCount - 1));
    cJSON_AddItemToObject(object, "linkOutputs", IntArray(c.linkOutputs, OutputCount, -1, OutputCount - 1));
    cJSON_AddItemToObject(object, "showOutChEqualizer", IntArray(c.showOutChEqualizer, OutputCount, 0, 1));
    AddIntIn(object, "currOutChannel", c.currOutChannel, 0, OutputCount - 1);
    AddIntIn(object, "linkMode", c.linkMode, 0, 1);
    AddIntIn(object, "lockMode", c.lockMode, 0, 1);
    if (phase == PhaseKey::AtEnd) AddInputPhases(object, c);
}

}  // namespace

cJSON* FilterToJson(const CrossoverFilter& filter) {
    cJSON* object = cJSON_CreateObject();
    AddIntIn(object, "fs", filter.fs, MinFreq, MaxFreq);
    AddIntIn(object, "type", filter.type, FilterButterworth, FilterBessel);
    AddIntIn(object, "slope", filter.slope, 0, MaxFilterOrder);
    AddInt(object, "bypass", filter.bypass);
    return object;
}

cJSON* CrossoverToJson(const Crossover& crossover) {
    cJSON* object = cJSON_CreateObject();
    AddIntIn(object, "bpType", crossover.bpType, 0, 3);
    cJSON_AddItemToObject(object, "hp", FilterToJson(crossover.hp));
    cJSON_AddItemToObject(object, "lp", FilterToJson(crossover.lp));
    return object;
}

cJSON* EqArrayToJson(const EqBand* bands, int eqSize) {
    cJSON* array = cJSON_CreateArray();
    int count = bands ? std::min(eqSize, BandSlotsPerOutput) : 0;
    for (int k = 0; k < count; ++k) {
        cJSON* band = cJSON_CreateObject();
        AddIntIn(band, "freq", bands[k].freq, MinBandFreq, MaxBandFreq);
        cJSON_AddNumberToObject(band, "eqFactor", FileFloat(bands[k].factor, MinQ, MaxQ));
        cJSON_AddNumberToObject(band, "eqGain", FileFloat(bands[k].gain, MinBandGain, MaxBandGain));
        AddInt(band, "enable", bands[k].enable);
        cJSON_AddItemToArray(array, band);
    }
    return array;
}

cJSON* ChannelToJson(const ChannelConfig& channel) {
    cJSON* object = cJSON_CreateObject();
    AddInt(object, "eqSize", channel.eqSize);
    cJSON_AddNumberToObject(object, "gain", FileFloat(channel.gain, MinChannelGain, MaxChannelGain));
    AddIntIn(object, "mute", channel.mute, 0, 1);
    cJSON_AddNumberToObject(object, "delay", FileFloat(channel.delay, 0.0f, MaxDelayMs));
    AddIntIn(object, "phase", channel.phase, 0, 1);
    AddIntIn(object, "bypass", channel.bypass, 0, 1);
    cJSON_AddItemToObject(object, "crossover", CrossoverToJson(channel.crossover));
    cJSON_AddItemToObject(object, "eqArray", EqArrayToJson(channel.eqArray, channel.eqSize));
    return object;
}

void IntMatrixToJson(cJSON* object, const char* key, const int32_t* values, int rows, int cols, int rowStride) {
    cJSON_AddItemToObject(object, key, IntRows(values, rows, cols, rowStride, INT32_MIN, INT32_MAX));
}

JsonPtr SceneProfileToJson(const DspConfig& record) {
    JsonPtr root(cJSON_CreateObject());
    AddLevels(root.get(), record);
    AddRecord(root.get(), record, PhaseKey::AtEnd);
    return root;
}

JsonPtr WholeProfileToJson(const DspConfig& live, const DspConfig* scenes, const SceneNameSlot* names) {
    JsonPtr root(cJSON_CreateObject());
    AddLevels(root.get(), live);
    cJSON* sceneNames = cJSON_CreateArray();
    for (int i = 0; i < ProfileSceneCount; ++i) {
        std::string text;
        Base64EncodeToString(names[i], SceneNameBytes, text);
        cJSON_AddItemToArray(sceneNames, cJSON_CreateString(text.c_str()));
    }
    cJSON_AddItemToObject(root.get(), "sceneName", sceneNames);
    cJSON* current = cJSON_CreateObject();
    AddRecord(current, live, PhaseKey::AfterMix);
    cJSON_AddItemToObject(root.get(), "currentProfile", current);
    cJSON* sceneArray = cJSON_CreateArray();
    for (int i = 0; i < ProfileSceneCount; ++i) {
        cJSON* entry = cJSON_CreateObject();
        AddRecord(entry, scenes[i], PhaseKey::None);
        cJSON_AddItemToArray(sceneArray, entry);
    }
    cJSON_AddItemToObject(root.get(), "sceneArray", sceneArray);
    return root;
}

// ---------------------------------------------------------------------------------------------------
// Reading

namespace {

// Why the last read refused its file, kept per thread: the first value refused, by its key path, and
// what was wrong with it. The path is built while the parser walks into objects and arrays.
thread_local std::string tFailure;
thread_local std::vector<std::string> tPath;

class Where {
public:
    explicit Where(std::string part) { tPath.push_back(std::move(part)); }
    ~Where() { tPath.pop_back(); }
    Where(const Where&) = delete;
    Where& operator=(const Where&) = delete;
};

std::string Indexed(const std::string& name, int index) { return name + "[" + std::to_string(index) + "]"; }

bool Refuse(const std::string& what, const std::string& why) {
    if (!tFailure.empty()) return false;
    for (const std::string& part : tPath) tFailure += part + ".";
    tFailure += what + ": " + why;
    return false;
}

std::string NumberText(double value) {
    char text[40];
    snprintf(text, sizeof text, "%.17g", value);
    return text;
}

const cJSON* Member(const cJSON* object, const char* key) {
    return cJSON_IsObject(object) ? cJSON_GetObjectItem(object, key) : nullptr;
}

// Numbers must be finite: 1e999 parses as infinity and must never reach the amplifier.
bool IntValue(const cJSON* item, const std::string& what, int32_t low, int32_t high, int32_t& out) {
    if (item == nullptr) return Refuse(what, "missing");
    if (!cJSON_IsNumber(item) || !std::isfinite(item->valuedouble)) return Refuse(what, "not a finite number");
    const double whole = std::trunc(item->valuedouble);
    if (whole < low || whole > high)
        return Refuse(what, NumberText(item->valuedouble) + " is outside " + std::to_string(low) + ".." +
                                std::to_string(high));
    out = int32_t(whole);
    return true;
}

bool IntAt(const cJSON* object, const char* key, int32_t low, int32_t high, int32_t& out) {
    return IntValue(Member(object, key), key, low, high, out);
}

bool IntAt(const cJSON* object, const char* key, int32_t& out) {
    return IntAt(object, key, INT32_MIN, INT32_MAX, out);
}

bool FloatAt(const cJSON* object, const char* key, float low, float high, float& out) {
    const cJSON* item = Member(object, key);
    if (item == nullptr) return Refuse(key, "missing");
    if (!cJSON_IsNumber(item) || !std::isfinite(item->valuedouble) || std::fabs(item->valuedouble) > FLT_MAX)
        return Refuse(key, "not a finite number a float can hold");
    out = float(item->valuedouble);
    if (out < low || out > high)
        return Refuse(key, NumberText(item->valuedouble) + " is outside " + NumberText(low) + ".." + NumberText(high));
    return true;
}

int ArraySize(const cJSON* array) { return cJSON_IsArray(array) ? cJSON_GetArraySize(array) : -1; }

bool HasItems(const cJSON* array, const std::string& what, int count) {
    const int size = ArraySize(array);
    if (size == count) return true;
    if (size < 0) return Refuse(what, array == nullptr ? "missing" : "not an array");
    return Refuse(what, std::to_string(size) + " items where " + std::to_string(count) + " belong");
}

bool IsObject(const cJSON* object, const std::string& what) {
    if (cJSON_IsObject(object)) return true;
    return Refuse(what, object == nullptr ? "missing" : "not an object");
}

bool ReadIntsIn(const cJSON* array, const std::string& what, int32_t* out, int count, int32_t low, int32_t high) {
    if (!HasItems(array, what, count)) return false;
    const cJSON* item = nullptr;
    int i = 0;
    cJSON_ArrayForEach(item, array) {
        if (!IntValue(item, Indexed(what, i), low, high, out[i])) return false;
        ++i;
    }
    return true;
}

bool ReadGrid(const cJSON* array, const std::string& what, int32_t* out, int rows, int cols, int32_t low = INT32_MIN,
              int32_t high = INT32_MAX) {
    if (!HasItems(array, what, rows)) return false;
    const cJSON* row = nullptr;
    int r = 0;
    cJSON_ArrayForEach(row, array) {
        if (!ReadIntsIn(row, Indexed(what, r), out + cols * r, cols, low, high)) return false;
        ++r;
    }
    return true;
}

bool ReadMixLevels(const cJSON* object, RecordBlock& block) {
    const char* key = "inputMixVolume";
    const cJSON* array = Member(object, key);
    if (!HasItems(array, key, SourceCount)) return false;
    const cJSON* source = nullptr;
    int s = 0;
    cJSON_ArrayForEach(source, array) {
        if (!ReadGrid(source, Indexed(key, s), &block.inputMixVolume[s][0][0], ProfileInputChannels, OutputCount, 0,
                      MaxMixLevel))
            return false;
        ++s;
    }
    return true;
}

bool ParseFilter(const cJSON* crossover, const char* side, CrossoverFilter& filter) {
    const cJSON* object = Member(crossover, side);
    if (!IsObject(object, side)) return false;
    Where where(side);
    return IntAt(object, "fs", MinFreq, MaxFreq, filter.fs) &&
           IntAt(object, "type", FilterButterworth, FilterBessel, filter.type) &&
           IntAt(object, "slope", 0, MaxFilterOrder, filter.slope) && IntAt(object, "bypass", filter.bypass);
}

bool ParseCrossover(const cJSON* channel, Crossover& crossover) {
    const cJSON* object = Member(channel, "crossover");
    if (!IsObject(object, "crossover")) return false;
    Where where("crossover");
    return IntAt(object, "bpType", 0, 3, crossover.bpType) && ParseFilter(object, "hp", crossover.hp) &&
           ParseFilter(object, "lp", crossover.lp);
}

bool ParseBand(const cJSON* object, int index, EqBand& band) {
    const std::string name = Indexed("eqArray", index);
    if (!IsObject(object, name)) return false;
    Where where(name);
    int32_t enable = 0;
    if (!IntAt(object, "freq", MinBandFreq, MaxBandFreq, band.freq) ||
        !FloatAt(object, "eqFactor", MinQ, MaxQ, band.factor) ||
        !FloatAt(object, "eqGain", MinBandGain, MaxBandGain, band.gain) || !IntAt(object, "enable", enable))
        return false;
    band.enable = enable != 0;
    return true;
}

bool ParseChannel(const cJSON* object, int output, ChannelBlock& channel) {
    int32_t bypass = 0;
    if (!IntAt(object, "eqSize", 0, BandCountOfOutput(output), channel.eqSize) ||
        !FloatAt(object, "gain", MinChannelGain, MaxChannelGain, channel.gain) || !IntAt(object, "mute", 0, 1, channel.mute) ||
        !FloatAt(object, "delay", 0.0f, MaxDelayMs, channel.delay) || !IntAt(object, "phase", 0, 1, channel.phase) ||
        !IntAt(object, "bypass", 0, 1, bypass) || !ParseCrossover(object, channel.crossover))
        return false;
    channel.bypass = uint8_t(bypass);
    const cJSON* eqArray = Member(object, "eqArray");
    if (!HasItems(eqArray, "eqArray", channel.eqSize)) return false;
    const cJSON* band = nullptr;
    int k = 0;
    cJSON_ArrayForEach(band, eqArray) {
        if (!ParseBand(band, k, channel.bands[k])) return false;
        ++k;
    }
    return true;
}

bool ParseLevels(const cJSON* root, LevelsBlock& levels) {
    return IntAt(root, "mainVolume", MinMainVolume, MaxMainVolume, levels.mainVolume) &&
           IntAt(root, "acc", MinAcc, MaxAcc, levels.acc) && IntAt(root, "subVolume", levels.subVolume) &&
           IntAt(root, "mainVolumeMute", 0, 1, levels.mainVolumeMute);
}

// Speaker positions, link partners and the shown output index tables later, so they must be in range;
// every other value must be one the page's controls could have set.
bool ParseRecord(const cJSON* object, bool withPhase, RecordBlock& block) {
    return ReadGrid(Member(object, "inputs"), "inputs", &block.inputs[0][0], SourceCount, OutputCount, 0,
                    MaxRoutingMask) &&
           ReadMixLevels(object, block) &&
           ReadIntsIn(Member(object, "outputs"), "outputs", block.outputs, OutputCount, 0, OutputTypeCount - 1) &&
           ReadIntsIn(Member(object, "linkOutputs"), "linkOutputs", block.linkOutputs, OutputCount, -1,
                      OutputCount - 1) &&
           ReadIntsIn(Member(object, "showOutChEqualizer"), "showOutChEqualizer", block.showOutChEqualizer, OutputCount,
                      0, 1) &&
           IntAt(object, "currOutChannel", 0, OutputCount - 1, block.currOutChannel) &&
           IntAt(object, "linkMode", 0, 1, block.linkMode) && IntAt(object, "lockMode", 0, 1, block.lockMode) &&
           (!withPhase || ReadGrid(Member(object, "inMixPhase"), "inMixPhase", &block.inMixPhase[0][0], SourceCount,
                                   ProfileInputChannels, 0, 1)) &&
           ParseChannels(Member(object, "channels"), block);
}

// The decoder's failure only means the name was longer than its slot: the part that fits is kept.
bool ParseSceneNames(const cJSON* array, WholeProfileBlock& block) {
    if (!HasItems(array, "sceneName", ProfileSceneCount)) return false;
    const cJSON* name = nullptr;
    int i = 0;
    cJSON_ArrayForEach(name, array) {
        if (!cJSON_IsString(name)) return Refuse(Indexed("sceneName", i), "not a string");
        size_t size = SceneNameBytes;
        Base64Decode(name->valuestring, block.sceneNames[i++], &size);
    }
    return true;
}

bool ParseSceneArray(const cJSON* array, WholeProfileBlock& block) {
    if (!HasItems(array, "sceneArray", ProfileSceneCount)) return false;
    const cJSON* entry = nullptr;
    int i = 0;
    cJSON_ArrayForEach(entry, array) {
        const std::string name = Indexed("sceneArray", i);
        if (!IsObject(entry, name)) return false;
        Where where(name);
        if (!ParseRecord(entry, false, block.scenes[i++])) return false;
    }
    return true;
}

}  // namespace

void ClearProfileFailure() { tFailure.clear(); }

void NoteProfileFailure(const std::string& why) {
    if (tFailure.empty()) tFailure = why;
}

const std::string& ProfileFailure() { return tFailure; }

ModelCheck CheckProfileModel(const cJSON* root) {
    const cJSON* model = Member(root, "model");
    const double whole = cJSON_IsNumber(model) ? std::trunc(model->valuedouble) : 0.0;
    if (!cJSON_IsNumber(model) || !std::isfinite(whole) || whole < INT32_MIN || whole > INT32_MAX) {
        Refuse("model", model == nullptr ? "missing" : "not a number");
        return ModelCheck::NotANumber;
    }
    if (int32_t(whole) == ProfileModel) return ModelCheck::Ok;
    Refuse("model", NumberText(model->valuedouble) + ", not " + std::to_string(ProfileModel));
    return ModelCheck::Mismatch;
}

bool ReadIntMatrix(const cJSON* object, const char* key, int32_t* out, int rows, int cols) {
    return ReadGrid(Member(object, key), key, out, rows, cols);
}

bool ParseChannels(const cJSON* channels, RecordBlock& block) {
    if (!HasItems(channels, "channels", OutputCount)) return false;
    const cJSON* channel = nullptr;
    int n = 0;
    cJSON_ArrayForEach(channel, channels) {
        const std::string name = Indexed("channels", n);
        if (!IsObject(channel, name)) return false;
        Where where(name);
        if (!ParseChannel(channel, n, block.channels[n])) return false;
        ++n;
    }
    return true;
}

bool ParseSceneProfile(const cJSON* root, SceneProfileBlock& block) {
    ClearProfileFailure();
    return ParseLevels(root, block.levels) && ParseRecord(root, true, block.record);
}

bool ParseWholeProfile(const cJSON* root, WholeProfileBlock& block) {
    ClearProfileFailure();
    const cJSON* current = Member(root, "currentProfile");
    if (!ParseLevels(root, block.levels) || !ParseSceneNames(Member(root, "sceneName"), block)) return false;
    if (!IsObject(current, "currentProfile")) return false;
    {
        Where where("currentProfile");
        if (!ParseRecord(current, true, block.live)) return false;
    }
    return ParseSceneArray(Member(root, "sceneArray"), block);
}

// ---------------------------------------------------------------------------------------------------
// Committing

void ApplyLevels(const LevelsBlock& levels, DspConfig& target) {
    target.mainVolume = levels.mainVolume;
    target.acc = levels.acc;
    target.subVolume = levels.subVolume;
    target.mainVolumeMute = levels.mainVolumeMute;
}

void ApplyRecord(const RecordBlock& block, PhaseKey phase, DspConfig& target) {
    std::copy(&block.inputs[0][0], &block.inputs[0][0] + SourceCount * OutputCount, &target.inputs[0][0]);
    for (int s = 0; s < SourceCount; ++s) {
        for (int i = 0; i < ProfileInputChannels; ++i) {
            std::copy(block.inputMixVolume[s][i], block.inputMixVolume[s][i] + OutputCount, target.inputMixVolume[s][i]);
            if (phase != PhaseKey::None) target.inMixPhase[s][i] = block.inMixPhase[s][i];
        }
    }
    std::copy(block.outputs, block.outputs + OutputCount, target.outputs);
    std::copy(block.linkOutputs, block.linkOutputs + OutputCount, target.linkOutputs);
    std::copy(block.showOutChEqualizer, block.showOutChEqualizer + OutputCount, target.showOutChEqualizer);
    target.currOutChannel = block.currOutChannel;
    target.linkMode = block.linkMode;
    target.lockMode = block.lockMode;
    for (int n = 0; n < OutputCount; ++n) {
        const ChannelBlock& from = block.channels[n];
        ChannelConfig& to = target.channels[n];
        to.eqSize = from.eqSize;
        to.gain = from.gain;
        to.mute = from.mute;
        to.delay = from.delay;
        to.phase = from.phase;
        to.bypass = from.bypass;
        to.crossover = from.crossover;
        std::copy(from.bands, from.bands + from.eqSize, target.bandStorage[n]);
    }
}
