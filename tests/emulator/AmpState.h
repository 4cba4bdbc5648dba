#pragma once
// Everything the emulated amplifier remembers. Values are kept in the units they travel in on the wire
// (the bytes the host sent), so a getter answers exactly what a setter stored and a test can state
// expectations as bytes. Comments give each field's encoding.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

constexpr int kAmpChannels = 16;      // per-channel stores: ranged replies cover at most 16 channels
constexpr int kAmpBands = 31;         // EQ bands kept per channel
constexpr int kAmpSources = 16;       // per-source stores; requests naming a source above 15 change nothing
constexpr int kAmpSceneCount = 11;    // 0 = working configuration, 1..10 = stored scenes
constexpr int kAmpSceneNameBytes = 16;
constexpr int kAmpProfileBytes = 1024;  // the per-scene area of the scene profile commands
constexpr int kAmpSpectrumPoints = 121;
constexpr int kAmpBridgeFlags = 20;
constexpr int kAmpLinkPairs = 18;
constexpr int kAmpMaxVolumeDb = 6;  // main volume range, reported in dB
constexpr int kAmpMinVolumeDb = -60;

// Operating mode: the normal firmware, the MCU upgrade mode or the MCU bootloader.
enum class AmpMode { Normal, Upgrade, Bootloader };

// One EQ band as the host sends it.
struct AmpEqBand {
    uint8_t freq[2] = {};  // Hz, big-endian
    uint8_t q[2] = {};     // whole, tenths as sent; replies give whole, hundredths (tenths x 10)
    uint8_t gain[2] = {};  // gain + 18 dB: whole, tenths
};

struct AmpOutput {
    uint8_t filter[8] = {};        // high-pass type, frequency (BE16), slope; low-pass type, frequency (BE16), slope
    uint8_t delay[3] = {};         // whole ms, microseconds (BE16)
    uint8_t trim[2] = {};          // attenuation as sent: whole dB (signed), hundredths (two-byte trims)
    uint8_t mute = 0;
    uint8_t phase = 0;
    uint8_t type = 0;              // speaker position
    uint8_t eqBypass = 0;
    uint8_t solo = 0;
    uint8_t compressorOn = 0;
    uint8_t hpQMode = 0;
    uint8_t lpQMode = 0;
    uint8_t speakerDistance[2] = {};  // hundredths, big-endian
    // bypass, threshold + 100 (whole, tenths), ratio (whole, tenths), soft knee (whole, tenths),
    // attack ms (BE16), release ms (BE16): bytes 3..13 of the compressor setter.
    uint8_t compressor[11] = {};
    uint8_t compressor2[6] = {};   // threshold (whole, tenths), attack (BE16), release seconds (whole, tenths)
    uint8_t remapCount = 0;
    uint8_t remap[kAmpChannels] = {};
    AmpEqBand eq[kAmpBands];
};

struct AmpInput {
    uint8_t trim = 0;
    uint8_t mute = 0;
    uint8_t phase = 0;
    AmpEqBand eq[kAmpBands];
};

struct AmpLinkList {
    uint8_t link = 0;
    uint8_t count = 0;                     // pairs stored
    uint8_t pairs[2 * kAmpLinkPairs] = {};  // from, to per pair
};

struct AmpCrossMix {
    uint8_t viceSource = 9;  // as the host sends it: source 0..8, 9 none
    uint8_t viceChannel = 0;
    uint8_t viceGain = 0;  // gain code, dB + 32
};

// One whole configuration: the working one (scene 0) or a stored scene.
struct AmpScene {
    AmpOutput outputs[kAmpChannels];
    AmpInput inputs[kAmpChannels];
    uint16_t mix[kAmpSources][kAmpChannels] = {};                    // [source][output]: input bit mask
    uint8_t inputMix[kAmpSources][kAmpChannels][kAmpChannels] = {};  // [source][input][output]: level 0..100
    AmpCrossMix crossMix[kAmpSources][kAmpChannels];                 // [source][input channel]
    uint8_t mixType[kAmpSources] = {};
    uint8_t mixType2[kAmpSources] = {};
    AmpLinkList link, trimLink, delayLink;
    uint8_t lock = 0;
    uint8_t dspBypass = 0;
    uint8_t autoOn = 0;
    uint8_t ircActiveBypass = 0;
    uint8_t bridgeCount = 0;
    uint8_t bridge[kAmpBridgeFlags] = {};
    uint8_t profile[kAmpProfileBytes] = {};
};

// Device-wide values, not part of a scene.
struct AmpSettings {
    uint8_t source = 0x51;  // source code 0x51..0x59
    uint8_t mainVolume = 26;  // attenuation as sent: 0 = +6 dB .. 66 = -60 dB; the factory level is -20 dB
    uint8_t subwooferVolume = 0;
    uint8_t mute = 0;
    uint8_t ampMute = 0;
    uint8_t remOut[2] = {1, 1};
    uint8_t speakerOhm = 0;
    uint8_t noiseGate = 0;
    uint8_t speakerConfig = 0;
    uint8_t inputThreshold = static_cast<uint8_t>(-60);  // signed dBu
    uint8_t mixSource = 0x51;
    uint8_t factoryPreset = 0;
    uint8_t setupMode = 0;
    uint8_t remoteVolume = 0;
    uint8_t testMic = 0;
    uint8_t testModule = 0;
    uint8_t selRemote[2] = {};       // BE16
    uint8_t powerOffDelay[2] = {};   // ms, BE16
    uint8_t acc = 0;                 // signed
    uint8_t sourceCount = 9;
    uint8_t sourceCodes[16] = {0x51, 0x52, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59};
    uint8_t inDistort[kAmpChannels] = {};
    uint8_t outDistort[kAmpChannels] = {};
    uint8_t noiseLevel[kAmpChannels][2] = {};  // per input: dBu + 100 (whole), tenths
    uint8_t ktv[10][2] = {};                   // KTV sub 1..10: value; sub 5 (echo delay) is BE16
    uint8_t csAuto[52] = {};
    uint8_t passwordLength = 0;
    uint8_t password[16] = {};
    uint8_t remarkLength = 0;
    uint8_t remark[16] = {};
    uint8_t mcu41Length = 0;
    uint8_t mcu41[16] = {};
    uint8_t pcConnected = 0;  // last PC_Connect flag
};

// The handshake identity, the versions the device reports and its four USB strings.
struct AmpIdentity {
    uint8_t model = 94;
    uint8_t masterVersion = 1;
    uint8_t slaveVersion = 19;
    uint8_t handshakeStatus = 0x00;  // 0xF0 reports an abnormal device state
    uint8_t flashVersion[4] = {1, 0, 1, 9};
    uint8_t bootloaderVersion = 2;
    std::wstring manufacturer = L"STMicroelectronics";
    std::wstring product = L"KTR3.500DSP";
    std::wstring serial = L"VR0000001";
    std::wstring indexedString1 = L"KTR3.500DSP";
};

struct AmpSceneDirectory {
    uint8_t names[10][kAmpSceneNameBytes];  // scene ids 1..10; an erased name is 16 x 0xFF
    uint16_t validMask = 0;                 // bit (id - 1) set = scene id holds data
    uint8_t currentScene = 0;

    AmpSceneDirectory();
};

// One step of the auto-calibration run, as the status reply reports it.
struct AmpIrcStep {
    uint8_t status = 0;
    uint8_t channel = 0;   // for the spectrum (7), EQ (8) and distance (14) steps
    uint8_t progress = 0;
    uint8_t failure = 0;   // for status 11
};

// The measured results of one output channel, in reply units.
struct AmpIrcChannel {
    uint8_t distance[2] = {};  // whole, hundredths
    uint8_t trim = 0;
    uint8_t size = 0;
    uint8_t phase = 0;
    uint8_t level = 0;
    uint8_t noiseLevel = 0;
    uint8_t eq[kAmpBands][6] = {};                // freq (BE16), Q whole, hundredths, gain + 18 whole, tenths
    uint8_t spectrum[kAmpSpectrumPoints][5] = {};  // freq (BE16), hundredths, level whole, hundredths (signed)
};

struct AmpCalibrationData {
    AmpIrcChannel channels[kAmpChannels];
    // Empty: each run walks the built-in sequence for the channels it measures (see AmpCalibration.h).
    std::vector<AmpIrcStep> script;
    // What happened to the runs, for checking the amplifier's side of a calibration.
    bool running = false;  // started and not yet done, failed or stopped
    int runs = 0;          // runs started
    int stops = 0;         // runs stopped by the host
    int applied = 0;       // results written into the working configuration
    int discarded = 0;     // results thrown away
};

enum class AmpFirmwareTarget { Mcu = 0, Bootloader = 1, DspFlash = 2 };

// What one upgrade delivered, for byte-for-byte comparison with the image that was sent.
struct AmpUpgradeRecord {
    bool erased = false;    // DSP flash chip erase received
    bool started = false;   // start command accepted (clears the image)
    bool finished = false;  // finish command received
    uint8_t head[4] = {};   // HEAD bytes of the start command
    // Received bytes by offset. MCU and bootloader chunks always carry 32 bytes, so those images end
    // padded with the zeros of the first (odd-sized) chunk; DSP chunks carry their exact length.
    std::vector<uint8_t> image;
    int chunksAccepted = 0;
    int chunksRefused = 0;
};

AmpScene FactoryScene();
AmpSettings FactorySettings();
AmpCalibrationData FactoryCalibration();
// The frequency grid a fresh or reset EQ band takes, band 0..30.
uint16_t AmpBandFrequency(int band);
AmpEqBand FactoryEqBand(int band);

// The stored state of the whole device; it survives unplugging and restarts.
struct AmpState {
    AmpMode mode = AmpMode::Normal;
    AmpIdentity identity;
    AmpSettings settings = FactorySettings();
    std::vector<AmpScene> scenes = std::vector<AmpScene>(kAmpSceneCount, FactoryScene());
    AmpSceneDirectory directory;
    std::map<uint32_t, uint32_t> memory;  // DSP memory words; unwritten addresses read 0
    AmpCalibrationData calibration = FactoryCalibration();
    AmpUpgradeRecord upgrades[3];         // indexed by AmpFirmwareTarget
    bool wideTrim = false;                // output trims reply as two bytes (whole, hundredths)
    int inputCount = 10;                  // above 8, routing masks reply as two bytes

    AmpUpgradeRecord& Upgrade(AmpFirmwareTarget target) { return upgrades[static_cast<int>(target)]; }

    AmpScene* SceneForWrite(uint8_t scene);  // nullptr for scene bytes beyond the stored scenes
    AmpScene& SceneForRead(uint8_t scene);   // factory values for scene bytes beyond the stored scenes

private:
    AmpScene mUnaddressed = FactoryScene();
};

// Back to factory values: configuration, settings and scene directory (identity, mode, memory words,
// calibration data and upgrade records stay).
void AmpFactoryReset(AmpState& state);
