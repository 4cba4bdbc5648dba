#include "ProfileTool.h"

#include <windows.h>

#include <cwctype>
#include <memory>

#include "model/DspConfig.h"
#include "model/MessagePresenter.h"
#include "model/ProfileFile.h"

namespace {

constexpr int kDone = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

enum class Kind { Scene, Whole, Unknown };

Kind KindOf(const std::wstring& path) {
    if (path.size() < 4) return Kind::Unknown;
    std::wstring extension = path.substr(path.size() - 4);
    for (wchar_t& c : extension) c = static_cast<wchar_t>(std::towlower(c));
    if (extension == L".spf") return Kind::Scene;
    if (extension == L".wpf") return Kind::Whole;
    return Kind::Unknown;
}

const wchar_t* KindName(Kind kind) { return kind == Kind::Scene ? L"scene profile" : L"whole profile"; }

std::wstring Widened(const std::string& text) {
    std::wstring wide;
    for (unsigned char c : text) wide.push_back(c);  // the reasons are ASCII
    return wide;
}

// Catches the messages the model would show the user; the tool prints them instead.
class CapturedMessages {
public:
    CapturedMessages() {
        SetMessagePresenter([this](HWND, const wchar_t*, const wchar_t* textKey, const wchar_t* const*, int) {
            mLast = textKey;
            return 1;
        });
    }
    ~CapturedMessages() { SetMessagePresenter(nullptr); }
    CapturedMessages(const CapturedMessages&) = delete;
    CapturedMessages& operator=(const CapturedMessages&) = delete;

    std::wstring TakeLast() {
        std::wstring last;
        last.swap(mLast);
        return last;
    }

private:
    std::wstring mLast;
};

// Everything one profile file holds, in the program's own records.
struct LoadedProfile {
    Kind kind = Kind::Unknown;
    std::unique_ptr<DspConfig> live = std::make_unique<DspConfig>();
    std::unique_ptr<DspConfig[]> scenes = std::make_unique<DspConfig[]>(ProfileSceneCount);
    SceneNameSlot names[ProfileSceneCount] = {};
};

class Tool {
public:
    explicit Tool(std::wstring& out) : mOut(out) {}

    int Check(const std::wstring& path) {
        LoadedProfile profile;
        if (!Load(path, profile)) return kFailed;
        Say(path + L": loads (" + KindName(profile.kind) + L")");
        return kDone;
    }

    int Resave(const std::wstring& in, const std::wstring& outPath) {
        if (KindOf(in) != KindOf(outPath)) {
            Say(L"IN and OUT must be the same kind of profile (.spf or .wpf)");
            return kUsage;
        }
        LoadedProfile profile;
        if (!Load(in, profile)) return kFailed;
        return Write(profile, outPath, L"written");
    }

    int Reset(const std::wstring& outPath) {
        if (KindOf(outPath) != Kind::Scene) {
            Say(outPath + L": the reset state is written as a scene profile, whose name ends in .spf");
            return kUsage;
        }
        LoadedProfile profile;  // a new record holds the reset state
        profile.kind = Kind::Scene;
        return Write(profile, outPath, L"reset state written");
    }

private:
    bool Load(const std::wstring& path, LoadedProfile& profile) {
        profile.kind = KindOf(path);
        if (profile.kind == Kind::Unknown) {
            Say(path + L": neither a scene (.spf) nor a whole (.wpf) profile by its name");
            return false;
        }
        ProfileFile file(nullptr);
        const bool loaded = profile.kind == Kind::Scene
                                ? file.LoadSceneProfile(path.c_str(), *profile.live)
                                : file.LoadWholeProfile(path.c_str(), *profile.live, profile.scenes.get(), profile.names);
        if (!loaded) Say(path + L": does not load: " + mMessages.TakeLast() + L": " + Widened(ProfileFailure()));
        return loaded;
    }

    int Write(const LoadedProfile& profile, const std::wstring& path, const wchar_t* done) {
        ProfileFile file(nullptr);
        bool written = false;
        std::wstring message;
        if (profile.kind == Kind::Scene) {
            file.SaveSceneProfile(*profile.live, path.c_str());
            message = mMessages.TakeLast();
            written = message == L"${profile_save_ok}";
        } else {
            written = file.SaveWholeProfile(*profile.live, profile.scenes.get(), profile.names, path.c_str());
            message = L"${profile_create_error}";
        }
        if (!written) {
            Say(path + L": cannot be written: " + message);
            return kFailed;
        }
        Say(path + L": " + done + L" (" + KindName(profile.kind) + L")");
        return kDone;
    }

    void Say(const std::wstring& line) { mOut += line + L"\n"; }

    std::wstring& mOut;
    CapturedMessages mMessages;
};

int Usage(std::wstring& out) {
    out += L"usage: profile check FILE\n"
           L"       profile resave IN OUT\n"
           L"       profile reset OUT\n"
           L"FILE, IN and OUT are scene (.spf) or whole (.wpf) profiles; reset writes a scene profile.\n";
    return kUsage;
}

}  // namespace

int RunProfileTool(const std::vector<std::wstring>& args, std::wstring& out) {
    if (args.empty()) return Usage(out);
    Tool tool(out);
    const std::wstring& command = args[0];
    if (command == L"check" && args.size() == 2) return tool.Check(args[1]);
    if (command == L"resave" && args.size() == 3) return tool.Resave(args[1], args[2]);
    if (command == L"reset" && args.size() == 2) return tool.Reset(args[1]);
    return Usage(out);
}
