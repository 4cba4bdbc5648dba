#pragma once
// Scene profiles (.spf: one record) and whole profiles (.wpf: the live record, the ten scene names and
// the ten scene records), each one line of unformatted JSON.
#include <windows.h>

#include "model/DspConfig.h"
#include "model/ProfileJson.h"

class ProfileFile {
public:
    // The owner window parents every message this object shows.
    explicit ProfileFile(HWND owner) : owner_(owner) {}

    // Tells the user "${profile_save_ok}" or "${profile_create_error}".
    void SaveSceneProfile(const DspConfig& record, const wchar_t* path);
    // Shows nothing (the caller does); true only when the whole file was written and put in place.
    // scenes and names hold ten entries each.
    bool SaveWholeProfile(const DspConfig& live, const DspConfig* scenes, const SceneNameSlot* names,
                          const wchar_t* path);

    // On any failure the user is told why and every target keeps its values.
    bool LoadSceneProfile(const wchar_t* path, DspConfig& target);
    bool LoadWholeProfile(const wchar_t* path, DspConfig& live, DspConfig* scenes, SceneNameSlot* names);

private:
    enum class Failure { Open, WholeParse, ModelMismatch, Load };

    // Reads and parses a profile and checks its model; null once the user has been told why it cannot
    // be loaded. A text that is not JSON counts as parseFailure.
    JsonPtr OpenProfile(const wchar_t* path, Failure parseFailure);
    bool Fail(Failure failure);
    void Tell(const wchar_t* textKey);

    HWND owner_;
};
