#pragma once
// What the amplifier's working configuration holds beyond the page's record: the compressors (both forms
// and their switches), solo and crossover Q-mode switches, speaker distances, the band slots past the
// page's (the custom EQ's), the inputs' trims, mutes, phases and equalizers, the all-bypass and
// auto-effect switches, the three link lists and the mix types. Loading a stored scene replaces all of
// it, so a whole save reads it before the first stored scene and puts it back with the page's tuning.
// Values are kept as the amplifier reports them, so that they go back as the bytes it held; a value
// whose reply never came is not sent.
#include "device/DeviceLink.h"
#include "model/DspConfig.h"

#include <functional>
#include <vector>

// One getter of a read-back, run on a worker.
using ReadStep = std::function<void(DeviceLink&)>;

constexpr int kAmpBandSlots = 31;     // EQ band slots the amplifier keeps per output and per input
constexpr int kOffPageInputs = 10;    // input channels

struct OffPageSettings {
    // One byte per channel, read and set over a channel range.
    struct ChannelBytes {
        bool have[OutputCount] = {};
        uint8_t value[OutputCount] = {};
    };
    struct Compressor {
        bool have = false;
        uint8_t bypass = 0;
        float threshold = 0, ratio = 0, softKnee = 0;
        uint32_t attack = 0, release = 0;
    };
    struct Compressor2 {
        bool have = false;
        float threshold = 0;
        uint32_t attack = 0, release = 0;
    };
    struct Band {
        bool have = false;
        uint16_t freq = 0;
        float q = 0, gain = 0;
    };
    struct Byte {
        bool have = false;
        uint8_t value = 0;
    };
    struct LinkList {
        bool have = false;
        uint8_t link = 0, count = 0;
        uint8_t pairs[2 * kLinkPairs] = {};
    };
    enum LinkKind { OutputLink, TrimLink, DelayLink, LinkKinds };

    uint8_t compressorSource = 0;  // the source byte the compressor windows use
    Compressor compressor[OutputCount];
    Compressor2 compressor2[OutputCount];
    ChannelBytes compressorOn, solo, hpQMode, lpQMode;
    bool haveDistance[OutputCount] = {};
    uint16_t distance[OutputCount] = {};  // hundredths
    Band outputBands[OutputCount][kAmpBandSlots];  // only the slots past the page's bands
    ChannelBytes inputTrim[SourceCount], inputMute[SourceCount], inputPhase[SourceCount];
    Band inputBands[kOffPageInputs][kAmpBandSlots];
    Byte allBypass, autoOn;
    LinkList links[LinkKinds];
    Byte mixType[SourceCount], mixType2[SourceCount];

    // The getters of all of it from the working configuration.
    static std::vector<ReadStep> ReadSteps(uint8_t compressorSource);
    // A reply of the working configuration (scene 0) on the UI thread: kept when it is one of these.
    void TakeRecord(WPARAM sub, const void* record);
    void TakeValue(WPARAM sub, int value);
    // Everything kept goes back to the working configuration, each command answered before the next.
    void SendTo(DeviceLink& device) const;
};
