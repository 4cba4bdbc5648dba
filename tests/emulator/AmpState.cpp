#include "AmpState.h"

#include <cmath>
#include <cstring>

namespace {

const uint16_t kBandGrid[kAmpBands] = {20,   25,   31,   40,   50,   63,   80,    100,   125,   160,  200,
                                       250,  315,  400,  500,  630,  800,  1000,  1250,  1600,  2000, 2500,
                                       3150, 4000, 5000, 6300, 8000, 10000, 12500, 16000, 20000};

void PutBe16(uint8_t* out, unsigned value) {
    out[0] = static_cast<uint8_t>(value >> 8);
    out[1] = static_cast<uint8_t>(value);
}

}  // namespace

AmpSceneDirectory::AmpSceneDirectory() { std::memset(names, 0xFF, sizeof names); }

uint16_t AmpBandFrequency(int band) { return band >= 0 && band < kAmpBands ? kBandGrid[band] : 1000; }

AmpEqBand FactoryEqBand(int band) {
    AmpEqBand eq;
    PutBe16(eq.freq, AmpBandFrequency(band));
    eq.q[0] = 5;  // Q 5.8
    eq.q[1] = 8;
    eq.gain[0] = 18;  // 0 dB
    eq.gain[1] = 0;
    return eq;
}

// A neutral amplifier: flat EQ on the band grid, crossovers open (20 Hz high-pass and 20 kHz low-pass,
// Butterworth, both off), no delay or trim, compressors bypassed, full mix levels, nothing routed.
AmpScene FactoryScene() {
    AmpScene scene;
    for (AmpOutput& out : scene.outputs) {
        const uint8_t filter[8] = {1, 0, 20, 0, 1, 20000 >> 8, 20000 & 0xFF, 0};
        std::memcpy(out.filter, filter, sizeof filter);
        out.compressor[0] = 1;
        for (int b = 0; b < kAmpBands; ++b) out.eq[b] = FactoryEqBand(b);
    }
    for (AmpInput& in : scene.inputs)
        for (int b = 0; b < kAmpBands; ++b) in.eq[b] = FactoryEqBand(b);
    std::memset(scene.inputMix, 100, sizeof scene.inputMix);
    return scene;
}

AmpSettings FactorySettings() {
    AmpSettings s;
    for (auto& level : s.noiseLevel) level[0] = 20;  // -80.0 dBu
    s.ktv[0][0] = 60;                                 // microphone volume
    s.ktv[1][0] = 60;                                 // music volume
    return s;
}

// Plausible measurements: every speaker 1.50 m away, a flat corrective EQ with Q 1.41 on the band grid,
// and a spectrum on a logarithmic 20 Hz..20 kHz axis whose level falls gently towards both ends.
AmpCalibrationData FactoryCalibration() {
    AmpCalibrationData data;
    for (AmpIrcChannel& ch : data.channels) {
        ch.distance[0] = 1;
        ch.distance[1] = 50;
        ch.size = 1;
        ch.level = 80;
        ch.noiseLevel = 30;
        for (int b = 0; b < kAmpBands; ++b) {
            PutBe16(ch.eq[b], AmpBandFrequency(b));
            ch.eq[b][2] = 1;
            ch.eq[b][3] = 41;
            ch.eq[b][4] = 18;
            ch.eq[b][5] = 0;
        }
        for (int j = 0; j < kAmpSpectrumPoints; ++j) {
            const double freq = 20.0 * std::pow(1000.0, j / 120.0);
            const unsigned centiHz = static_cast<unsigned>(std::lround(freq * 100.0));
            PutBe16(ch.spectrum[j], centiHz / 100);
            ch.spectrum[j][2] = static_cast<uint8_t>(centiHz % 100);
            const int centiDb = -static_cast<int>(std::lround(std::fabs(j - 60) * 10.0));  // 0 .. -6 dB
            ch.spectrum[j][3] = static_cast<uint8_t>(centiDb / 100);
            ch.spectrum[j][4] = static_cast<uint8_t>(centiDb % 100);
        }
    }
    return data;
}

AmpScene* AmpState::SceneForWrite(uint8_t scene) { return scene < kAmpSceneCount ? &scenes[scene] : nullptr; }

AmpScene& AmpState::SceneForRead(uint8_t scene) { return scene < kAmpSceneCount ? scenes[scene] : mUnaddressed; }

void AmpFactoryReset(AmpState& st) {
    st.settings = FactorySettings();
    for (AmpScene& scene : st.scenes) scene = FactoryScene();
    st.directory = AmpSceneDirectory{};
}
