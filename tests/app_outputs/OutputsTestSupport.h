#pragma once
// Driving the real main window against the emulated amplifier as a user does: mouse clicks and drags at
// the centre of named controls, text typed into edits, keys pressed in them, and the frames the amplifier
// received since the last check, compared byte for byte with frames built here from the protocol.
#include "ControllerTestSupport.h"

#include <cstdint>
#include <string>
#include <vector>

namespace OutputsTest {

using Frame = std::vector<uint8_t>;

// A DSP setter's report as it must reach the amplifier: type 1, optype set, the payload bytes.
Frame Dsp(uint8_t sub, std::vector<uint8_t> payload);

class Driver {
public:
    Driver(ControllerTest::MainWindowRun& run, AmpEmulator& emulator) : run(run), emulator(emulator) {}

    SkinUI::CControlUI* Find(const wchar_t* name);
    POINT Centre(const wchar_t* name);
    void Click(const wchar_t* name);
    // Drags the slider's thumb by dx pixels and releases it; returns the slider's value afterwards.
    int DragSlider(const wchar_t* name, int dx);
    // Clicks into the edit, replaces its text as typed, and presses Enter.
    void TypeAndEnter(const wchar_t* name, const wchar_t* text);
    // A key pressed in the edit that has the keyboard focus (Up, Down, Enter).
    void KeyIn(const wchar_t* name, WPARAM key);
    // Takes the focus off every control (its edit commits), lets the queue drain and forgets what was sent.
    void Settle();
    // Pumps until at least `count` frames arrived and the queue is quiet, then returns every frame since
    // the last Settle or Take.
    std::vector<Frame> Take(size_t count);

    ControllerTest::MainWindowRun& run;
    AmpEmulator& emulator;
};

// Compares frame lists with a readable difference.
void ExpectFrames(const std::vector<Frame>& got, const std::vector<Frame>& want, const char* what);

}  // namespace OutputsTest
