#pragma once
// JSON form of the profile files. Reading goes into plain blocks that hold everything a file carries,
// checked whole, so a record is only written once the whole file is known to be good.
#include <cstdint>
#include <memory>
#include <string>

#include "model/DspConfig.h"

struct cJSON;

constexpr int ProfileModel = 94;
constexpr char ProfileModelName[] = "KTR3.500DSP";
constexpr int ProfileSceneCount = 10;
constexpr int SceneNameBytes = 16;
constexpr int ProfileInputChannels = 8;  // input channels 8 and 9 are not part of the files

using SceneNameSlot = uint8_t[SceneNameBytes];

struct JsonDeleter {
    void operator()(cJSON* item) const;
};
using JsonPtr = std::unique_ptr<cJSON, JsonDeleter>;

struct LevelsBlock {
    int32_t mainVolume = 0;
    int32_t acc = 0;
    int32_t subVolume = 0;
    int32_t mainVolumeMute = 0;
};

struct ChannelBlock {
    int32_t eqSize = 0;
    float gain = 0.0f;
    int32_t mute = 0;
    float delay = 0.0f;
    int32_t phase = 0;
    uint8_t bypass = 0;
    Crossover crossover;
    EqBand bands[21];
};

// The part of one record a profile carries.
struct RecordBlock {
    ChannelBlock channels[OutputCount];
    int32_t inputs[SourceCount][OutputCount] = {};
    int32_t inputMixVolume[SourceCount][ProfileInputChannels][OutputCount] = {};
    int32_t outputs[OutputCount] = {};
    int32_t linkOutputs[OutputCount] = {};
    int32_t showOutChEqualizer[OutputCount] = {};
    int32_t currOutChannel = 0;
    int32_t linkMode = 0;
    int32_t lockMode = 0;
    int32_t inMixPhase[SourceCount][ProfileInputChannels] = {};
};

struct SceneProfileBlock {
    LevelsBlock levels;
    RecordBlock record;
};

struct WholeProfileBlock {
    LevelsBlock levels;
    uint8_t sceneNames[ProfileSceneCount][SceneNameBytes] = {};
    RecordBlock live;
    RecordBlock scenes[ProfileSceneCount];
};

// Where a record's "inMixPhase" goes: last in a scene profile, after the mix levels in the live block of
// a whole profile, nowhere in its scene entries.
enum class PhaseKey { AtEnd, AfterMix, None };

// Writing.
cJSON* FilterToJson(const CrossoverFilter& filter);
cJSON* CrossoverToJson(const Crossover& crossover);
cJSON* EqArrayToJson(const EqBand* bands, int eqSize);
cJSON* ChannelToJson(const ChannelConfig& channel);
// Adds an array of `rows` arrays of `cols` numbers; row r starts at values + r * rowStride.
void IntMatrixToJson(cJSON* object, const char* key, const int32_t* values, int rows, int cols, int rowStride);
JsonPtr SceneProfileToJson(const DspConfig& record);
JsonPtr WholeProfileToJson(const DspConfig& live, const DspConfig* scenes, const SceneNameSlot* names);

// Reading. Keys are found whatever their letter case; every failure is a load error.
// Why the last read on this thread refused its file: the key path of the first value refused and what
// was wrong with it ("channels[3].crossover.hp.slope: 9 is outside 0..8"); empty when nothing was.
void ClearProfileFailure();
void NoteProfileFailure(const std::string& why);  // kept only when no reason is noted yet
const std::string& ProfileFailure();
enum class ModelCheck { Ok, NotANumber, Mismatch };
ModelCheck CheckProfileModel(const cJSON* root);
bool ReadIntMatrix(const cJSON* object, const char* key, int32_t* out, int rows, int cols);
bool ParseChannels(const cJSON* channels, RecordBlock& block);
bool ParseSceneProfile(const cJSON* root, SceneProfileBlock& block);
bool ParseWholeProfile(const cJSON* root, WholeProfileBlock& block);

// Committing a checked block.
void ApplyLevels(const LevelsBlock& levels, DspConfig& target);
void ApplyRecord(const RecordBlock& block, PhaseKey phase, DspConfig& target);
