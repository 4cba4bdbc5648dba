// VR ZOD Evoda: the tuning application for the KTR3.500DSP amplifier.
#include "AppMain.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    AppOptions options;
    options.skinPassword = VELMOR_SKIN_PASSWORD;
    return RunApplication(instance, options);
}
