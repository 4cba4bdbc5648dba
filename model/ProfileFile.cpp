#include "model/ProfileFile.h"

#include <cstring>
#include <memory>
#include <string>

#include <cjson/cJSON.h>

#include "base/Log.h"
#include "model/FileAccess.h"
#include "model/MessagePresenter.h"

namespace {

struct JsonTextDeleter {
    void operator()(char* text) const { cJSON_free(text); }
};

bool WriteJson(const JsonPtr& root, const wchar_t* path) {
    if (!root) return false;
    std::unique_ptr<char, JsonTextDeleter> text(cJSON_PrintUnformatted(root.get()));
    return text && WriteFileReplacing(path, text.get(), std::strlen(text.get()));
}

}  // namespace

void ProfileFile::Tell(const wchar_t* textKey) {
    const wchar_t* buttons[] = {L"${confirm}"};
    ShowModelMessage(owner_, L"${tips}", textKey, buttons, 1);
}

bool ProfileFile::Fail(Failure failure) {
    switch (failure) {
    case Failure::Open:
        Tell(L"${profile_open_error}");
        return false;
    case Failure::WholeParse:
        Tell(L"${profile_load_error}");
        return false;
    case Failure::ModelMismatch:
        Tell(L"${software_not_match}");
        break;
    case Failure::Load:
        LogPrintW(L"read profile file error! error\n");
        Tell(L"${profile_load_error}");
        break;
    }
    LogPrintW(L"read profile file error! error1\n");
    return false;
}

void ProfileFile::SaveSceneProfile(const DspConfig& record, const wchar_t* path) {
    bool written = WriteJson(SceneProfileToJson(record), path);
    Tell(written ? L"${profile_save_ok}" : L"${profile_create_error}");
}

bool ProfileFile::SaveWholeProfile(const DspConfig& live, const DspConfig* scenes, const SceneNameSlot* names,
                                   const wchar_t* path) {
    return WriteJson(WholeProfileToJson(live, scenes, names), path);
}

JsonPtr ProfileFile::OpenProfile(const wchar_t* path, Failure parseFailure) {
    ClearProfileFailure();
    std::unique_ptr<char[]> text = ReadFileToBuffer(path);
    if (!text) {
        NoteProfileFailure("the file cannot be read whole (missing, unreadable or over 8 MB)");
        Fail(Failure::Open);
        return nullptr;
    }
    JsonPtr root(cJSON_Parse(text.get()));
    if (!root) {
        const char* error = cJSON_GetErrorPtr();
        const long at = error != nullptr && error >= text.get() ? long(error - text.get()) : 0;
        NoteProfileFailure("not JSON (from byte " + std::to_string(at) + ")");
        Fail(parseFailure);
        return nullptr;
    }
    ModelCheck model = CheckProfileModel(root.get());
    if (model != ModelCheck::Ok) {
        Fail(model == ModelCheck::Mismatch ? Failure::ModelMismatch : Failure::Load);
        return nullptr;
    }
    return root;
}

bool ProfileFile::LoadSceneProfile(const wchar_t* path, DspConfig& target) {
    JsonPtr root = OpenProfile(path, Failure::Open);
    if (!root) return false;
    auto block = std::make_unique<SceneProfileBlock>();
    if (!ParseSceneProfile(root.get(), *block)) return Fail(Failure::Load);
    ApplyLevels(block->levels, target);
    ApplyRecord(block->record, PhaseKey::AtEnd, target);
    LogPrintW(L"read profile file ok\n");
    return true;
}

bool ProfileFile::LoadWholeProfile(const wchar_t* path, DspConfig& live, DspConfig* scenes, SceneNameSlot* names) {
    JsonPtr root = OpenProfile(path, Failure::WholeParse);
    if (!root) return false;
    auto block = std::make_unique<WholeProfileBlock>();
    if (!ParseWholeProfile(root.get(), *block)) return Fail(Failure::Load);
    ApplyLevels(block->levels, live);
    ApplyRecord(block->live, PhaseKey::AfterMix, live);
    for (int i = 0; i < ProfileSceneCount; ++i) {
        std::memcpy(names[i], block->sceneNames[i], SceneNameBytes);
        ApplyRecord(block->scenes[i], PhaseKey::None, scenes[i]);
    }
    LogPrintW(L"read profile file ok\n");
    return true;
}
