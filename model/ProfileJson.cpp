#include "model/ProfileJson.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <string>

#include <cjson/cJSON.h>

#include "model/Base64.h"

void JsonDeleter::operator()(cJSON* item) const { cJSON_Delete(item); }

// ---------------------------------------------------------------------------------------------------
// Writing

namespace {

// cJSON prints a non-finite number as null, which would make the file unreadable; 0 keeps it loadable.
double FileFloat(float value) { return std::isfinite(value) ? value : 0.0; }

void AddInt(cJSON* object, const char* key, int32_t value) { cJSON_AddNumberToObject(object, key, value); }

cJSON* IntArray(const int32_t* values, int count) {
    cJSON* array = cJSON_CreateArray();
    for (int i = 0; i < count; ++i) cJSON_AddItemToArray(array, cJSON_CreateNumber(values[i]));
    return array;
}

cJSON* IntRows(const int32_t* values, int rows, int cols, int rowStride) {
    cJSON* array = cJSON_CreateArray();
    for (int r = 0; r < rows; ++r) cJSON_AddItemToArray(array, IntArray(values + r * rowStride, cols));
    return array;
}

void AddMixLevels(cJSON* object, const DspConfig& c) {
    cJSON* sources = cJSON_CreateArray();
    for (int s = 0; s < SourceCount; ++s)
        cJSON_AddItemToArray(sources, IntRows(&c.inputMixVolume[s][0][0], ProfileInputChannels, OutputCount, OutputCount));
    cJSON_AddItemToObject(object, "inputMixVolume", sources);
}

void AddInputPhases(cJSON* object, const DspConfig& c) {
    IntMatrixToJson(object, "inMixPhase", &c.inMixPhase[0][0], SourceCount, ProfileInputChannels, InputChannelCount);
}

void AddLevels(cJSON* object, const DspConfig& c) {
    AddInt(object, "model", ProfileModel);
    cJSON_AddStringToObject(object, "model_name", ProfileModelName);
    AddInt(object, "mainVolume", c.mainVolume);
    AddInt(object, "acc", c.acc);
    AddInt(object, "subVolume", c.subVolume);
    AddInt(object, "mainVolumeMute", c.mainVolumeMute);
}

void AddRecord(cJSON* object, const DspConfig& c, PhaseKey phase) {
    // The record always has ten channels, and the reader wants exactly ten.
    cJSON* channels = cJSON_CreateArray();
    for (const ChannelConfig& channel : c.channels) cJSON_AddItemToArray(channels, ChannelToJson(channel));
    cJSON_AddItemToObject(object, "channels", channels);
    IntMatrixToJson(object, "inputs", &c.inputs[0][0], SourceCount, OutputCount, OutputCount);
    AddMixLevels(object, c);
    if (phase == PhaseKey::AfterMix) AddInputPhases(object, c);
    cJSON_AddItemToObject(object, "outputs", IntArray(c.outputs, OutputCount));
    cJSON_AddItemToObject(object, "linkOutputs", IntArray(c.linkOutputs, OutputCount));
    cJSON_AddItemToObject(object, "showOutChEqualizer", IntArray(c.showOutChEqualizer, OutputCount));
    AddInt(object, "currOutChannel", c.currOutChannel);
    AddInt(object, "linkMode", c.linkMode);
    AddInt(object, "lockMode", c.lockMode);
    if (phase == PhaseKey::AtEnd) AddInputPhases(object, c);
}

}  // namespace

cJSON* FilterToJson(const CrossoverFilter& filter) {
    cJSON* object = cJSON_CreateObject();
    AddInt(object, "fs", filter.fs);
    AddInt(object, "type", filter.type);
    AddInt(object, "slope", filter.slope);
    AddInt(object, "bypass", filter.bypass);
    return object;
}

cJSON* CrossoverToJson(const Crossover& crossover) {
    cJSON* object = cJSON_CreateObject();
    AddInt(object, "bpType", crossover.bpType);
    cJSON_AddItemToObject(object, "hp", FilterToJson(crossover.hp));
    cJSON_AddItemToObject(object, "lp", FilterToJson(crossover.lp));
    return object;
}

cJSON* EqArrayToJson(const EqBand* bands, int eqSize) {
    cJSON* array = cJSON_CreateArray();
    int count = bands ? std::min(eqSize, BandSlotsPerOutput) : 0;
    for (int k = 0; k < count; ++k) {
        cJSON* band = cJSON_CreateObject();
        AddInt(band, "freq", bands[k].freq);
        cJSON_AddNumberToObject(band, "eqFactor", FileFloat(bands[k].factor));
        cJSON_AddNumberToObject(band, "eqGain", FileFloat(bands[k].gain));
        AddInt(band, "enable", bands[k].enable);
        cJSON_AddItemToArray(array, band);
    }
    return array;
}

cJSON* ChannelToJson(const ChannelConfig& channel) {
    cJSON* object = cJSON_CreateObject();
    AddInt(object, "eqSize", channel.eqSize);
    cJSON_AddNumberToObject(object, "gain", FileFloat(channel.gain));
    AddInt(object, "mute", channel.mute);
    cJSON_AddNumberToObject(object, "delay", FileFloat(channel.delay));
    AddInt(object, "phase", channel.phase);
    AddInt(object, "bypass", channel.bypass);
    cJSON_AddItemToObject(object, "crossover", CrossoverToJson(channel.crossover));
    cJSON_AddItemToObject(object, "eqArray", EqArrayToJson(channel.eqArray, channel.eqSize));
    return object;
}

void IntMatrixToJson(cJSON* object, const char* key, const int32_t* values, int rows, int cols, int rowStride) {
    cJSON_AddItemToObject(object, key, IntRows(values, rows, cols, rowStride));
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

const cJSON* Member(const cJSON* object, const char* key) {
    return cJSON_IsObject(object) ? cJSON_GetObjectItem(object, key) : nullptr;
}

// Numbers must be finite: 1e999 parses as infinity and must never reach the amplifier.
bool ReadInt(const cJSON* item, int32_t& out) {
    if (!cJSON_IsNumber(item) || !std::isfinite(item->valuedouble)) return false;
    double whole = std::trunc(item->valuedouble);
    if (whole < INT32_MIN || whole > INT32_MAX) return false;
    out = int32_t(whole);
    return true;
}

bool ReadIntIn(const cJSON* item, int32_t low, int32_t high, int32_t& out) {
    int32_t value;
    if (!ReadInt(item, value) || value < low || value > high) return false;
    out = value;
    return true;
}

bool ReadFloat(const cJSON* item, float& out) {
    if (!cJSON_IsNumber(item) || !std::isfinite(item->valuedouble) || std::fabs(item->valuedouble) > FLT_MAX)
        return false;
    out = float(item->valuedouble);
    return true;
}

int ArraySize(const cJSON* array) { return cJSON_IsArray(array) ? cJSON_GetArraySize(array) : -1; }

bool ReadIntsIn(const cJSON* array, int32_t* out, int count, int32_t low, int32_t high) {
    if (ArraySize(array) != count) return false;
    const cJSON* item = nullptr;
    int i = 0;
    cJSON_ArrayForEach(item, array) {
        if (!ReadIntIn(item, low, high, out[i++])) return false;
    }
    return true;
}

bool ReadInts(const cJSON* array, int32_t* out, int count) {
    return ReadIntsIn(array, out, count, INT32_MIN, INT32_MAX);
}

bool ReadGrid(const cJSON* array, int32_t* out, int rows, int cols) {
    if (ArraySize(array) != rows) return false;
    const cJSON* row = nullptr;
    int r = 0;
    cJSON_ArrayForEach(row, array) {
        if (!ReadInts(row, out + cols * r++, cols)) return false;
    }
    return true;
}

bool ReadMixLevels(const cJSON* array, RecordBlock& block) {
    if (ArraySize(array) != SourceCount) return false;
    const cJSON* source = nullptr;
    int s = 0;
    cJSON_ArrayForEach(source, array) {
        if (!ReadGrid(source, &block.inputMixVolume[s][0][0], ProfileInputChannels, OutputCount)) return false;
        for (auto& row : block.inputMixVolume[s])
            for (int32_t& level : row) level = std::clamp(level, 0, 100);  // the amplifier takes 0..100
        ++s;
    }
    return true;
}

bool ParseFilter(const cJSON* object, CrossoverFilter& filter) {
    return ReadIntIn(Member(object, "fs"), MinFreq, MaxFreq, filter.fs) &&
           ReadIntIn(Member(object, "type"), FilterButterworth, FilterBessel, filter.type) &&
           ReadIntIn(Member(object, "slope"), 0, MaxFilterOrder, filter.slope) && ReadInt(Member(object, "bypass"), filter.bypass);
}

bool ParseCrossover(const cJSON* object, Crossover& crossover) {
    return ReadIntIn(Member(object, "bpType"), 0, 3, crossover.bpType) &&
           ParseFilter(Member(object, "hp"), crossover.hp) && ParseFilter(Member(object, "lp"), crossover.lp);
}

bool ParseBand(const cJSON* object, EqBand& band) {
    int32_t enable = 0;
    if (!ReadIntIn(Member(object, "freq"), 0, MaxWireBandFreq, band.freq) ||
        !ReadFloat(Member(object, "eqFactor"), band.factor) ||
        !ReadFloat(Member(object, "eqGain"), band.gain) || !ReadInt(Member(object, "enable"), enable))
        return false;
    band.enable = enable != 0;
    return true;
}

bool ParseChannel(const cJSON* object, int output, ChannelBlock& channel) {
    int32_t bypass = 0;
    if (!ReadIntIn(Member(object, "eqSize"), 0, BandCountOfOutput(output), channel.eqSize) ||
        !ReadFloat(Member(object, "gain"), channel.gain) || !ReadInt(Member(object, "mute"), channel.mute) ||
        !ReadFloat(Member(object, "delay"), channel.delay) || !ReadInt(Member(object, "phase"), channel.phase) ||
        !ReadInt(Member(object, "bypass"), bypass) || !ParseCrossover(Member(object, "crossover"), channel.crossover))
        return false;
    channel.delay = std::clamp(channel.delay, 0.0f, MaxDelayMs);
    channel.bypass = uint8_t(bypass);
    const cJSON* eqArray = Member(object, "eqArray");
    if (ArraySize(eqArray) != channel.eqSize) return false;
    const cJSON* band = nullptr;
    int k = 0;
    cJSON_ArrayForEach(band, eqArray) {
        if (!ParseBand(band, channel.bands[k++])) return false;
    }
    return true;
}

bool ParseLevels(const cJSON* root, LevelsBlock& levels) {
    return ReadInt(Member(root, "mainVolume"), levels.mainVolume) && ReadInt(Member(root, "acc"), levels.acc) &&
           ReadInt(Member(root, "subVolume"), levels.subVolume) &&
           ReadInt(Member(root, "mainVolumeMute"), levels.mainVolumeMute);
}

// Speaker positions, link partners and the shown output index tables later, so they must be in range.
bool ParseRecord(const cJSON* object, bool withPhase, RecordBlock& block) {
    return ReadGrid(Member(object, "inputs"), &block.inputs[0][0], SourceCount, OutputCount) &&
           ReadMixLevels(Member(object, "inputMixVolume"), block) &&
           ReadIntsIn(Member(object, "outputs"), block.outputs, OutputCount, 0, OutputTypeCount - 1) &&
           ReadIntsIn(Member(object, "linkOutputs"), block.linkOutputs, OutputCount, -1, OutputCount - 1) &&
           ReadInts(Member(object, "showOutChEqualizer"), block.showOutChEqualizer, OutputCount) &&
           ReadIntIn(Member(object, "currOutChannel"), 0, OutputCount - 1, block.currOutChannel) &&
           ReadInt(Member(object, "linkMode"), block.linkMode) && ReadInt(Member(object, "lockMode"), block.lockMode) &&
           (!withPhase ||
            ReadGrid(Member(object, "inMixPhase"), &block.inMixPhase[0][0], SourceCount, ProfileInputChannels)) &&
           ParseChannels(Member(object, "channels"), block);
}

// The decoder's failure only means the name was longer than its slot: the part that fits is kept.
bool ParseSceneNames(const cJSON* array, WholeProfileBlock& block) {
    if (ArraySize(array) != ProfileSceneCount) return false;
    const cJSON* name = nullptr;
    int i = 0;
    cJSON_ArrayForEach(name, array) {
        if (!cJSON_IsString(name)) return false;
        size_t size = SceneNameBytes;
        Base64Decode(name->valuestring, block.sceneNames[i++], &size);
    }
    return true;
}

bool ParseSceneArray(const cJSON* array, WholeProfileBlock& block) {
    if (ArraySize(array) != ProfileSceneCount) return false;
    const cJSON* entry = nullptr;
    int i = 0;
    cJSON_ArrayForEach(entry, array) {
        if (!ParseRecord(entry, false, block.scenes[i++])) return false;
    }
    return true;
}

}  // namespace

ModelCheck CheckProfileModel(const cJSON* root) {
    int32_t model = 0;
    if (!ReadInt(Member(root, "model"), model)) return ModelCheck::NotANumber;
    return model == ProfileModel ? ModelCheck::Ok : ModelCheck::Mismatch;
}

bool ReadIntMatrix(const cJSON* object, const char* key, int32_t* out, int rows, int cols) {
    return ReadGrid(Member(object, key), out, rows, cols);
}

bool ParseChannels(const cJSON* channels, RecordBlock& block) {
    if (ArraySize(channels) != OutputCount) return false;
    const cJSON* channel = nullptr;
    int n = 0;
    cJSON_ArrayForEach(channel, channels) {
        if (!cJSON_IsObject(channel) || !ParseChannel(channel, n, block.channels[n])) return false;
        ++n;
    }
    return true;
}

bool ParseSceneProfile(const cJSON* root, SceneProfileBlock& block) {
    return ParseLevels(root, block.levels) && ParseRecord(root, true, block.record);
}

bool ParseWholeProfile(const cJSON* root, WholeProfileBlock& block) {
    const cJSON* current = Member(root, "currentProfile");
    return ParseLevels(root, block.levels) && ParseSceneNames(Member(root, "sceneName"), block) &&
           cJSON_IsObject(current) && ParseRecord(current, true, block.live) &&
           ParseSceneArray(Member(root, "sceneArray"), block);
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
