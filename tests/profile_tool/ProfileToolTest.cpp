// The profile tool: check, resave and reset through the program's own loader and writer, the reasons it
// prints for refused files, and one run of the program itself with its output captured.
#include <gtest/gtest.h>
#include <windows.h>

#include <cjson/cJSON.h>

#include <memory>
#include <string>
#include <vector>

#include "ProfileTool.h"
#include "model/DspConfig.h"
#include "model/ProfileJson.h"

namespace {

std::string ReadFileBytes(const std::wstring& path) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return {};
    std::string out;
    char buf[4096];
    DWORD n = 0;
    while (ReadFile(h, buf, sizeof buf, &n, nullptr) && n) out.append(buf, n);
    CloseHandle(h);
    return out;
}

void WriteFileBytes(const std::wstring& path, const std::string& text) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD n = 0;
    WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &n, nullptr);
    CloseHandle(h);
}

std::string Printed(cJSON* root, bool formatted) {
    char* text = formatted ? cJSON_Print(root) : cJSON_PrintUnformatted(root);
    std::string out(text);
    cJSON_free(text);
    return out;
}

class ProfileTool : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        dir_ = std::wstring(temp) + L"velmor_profile_tool_" + std::to_wstring(GetCurrentProcessId()) + L"\\";
        CreateDirectoryW(dir_.c_str(), nullptr);
    }
    void TearDown() override {
        WIN32_FIND_DATAW data;
        HANDLE find = FindFirstFileW((dir_ + L"*").c_str(), &data);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileW((dir_ + data.cFileName).c_str());
            } while (FindNextFileW(find, &data));
            FindClose(find);
        }
        RemoveDirectoryW(dir_.c_str());
    }

    std::wstring Path(const std::wstring& name) const { return dir_ + name; }

    int Run(const std::vector<std::wstring>& args) {
        out_.clear();
        return RunProfileTool(args, out_);
    }

    std::wstring dir_;
    std::wstring out_;
};

TEST_F(ProfileTool, ResetWritesTheResetStateThatChecksAndResavesUnchanged) {
    const std::wstring reset = Path(L"reset.spf");
    ASSERT_EQ(0, Run({L"reset", reset}));
    EXPECT_EQ(reset + L": reset state written (scene profile)\n", out_);
    auto fresh = std::make_unique<DspConfig>();
    JsonPtr expected = SceneProfileToJson(*fresh);
    EXPECT_EQ(Printed(expected.get(), false), ReadFileBytes(reset));

    EXPECT_EQ(0, Run({L"check", reset}));
    EXPECT_EQ(reset + L": loads (scene profile)\n", out_);

    // Made elsewhere: indented, keys in another letter case. The program's writer gives its own form back.
    JsonPtr elsewhere(cJSON_Parse(ReadFileBytes(reset).c_str()));
    cJSON* volume = cJSON_DetachItemFromObject(elsewhere.get(), "mainVolume");
    cJSON_AddItemToObject(elsewhere.get(), "MAINVOLUME", volume);
    const std::wstring made = Path(L"made elsewhere.SPF");
    WriteFileBytes(made, Printed(elsewhere.get(), true));
    const std::wstring resaved = Path(L"resaved.spf");
    ASSERT_EQ(0, Run({L"resave", made, resaved}));
    EXPECT_EQ(resaved + L": written (scene profile)\n", out_);
    EXPECT_EQ(ReadFileBytes(reset), ReadFileBytes(resaved));

    EXPECT_EQ(2, Run({L"reset", Path(L"reset.wpf")}));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(Path(L"reset.wpf").c_str()));
}

TEST_F(ProfileTool, WholeProfilesUnderAnyNameCheckAndResave) {
    auto live = std::make_unique<DspConfig>();
    auto scenes = std::make_unique<DspConfig[]>(ProfileSceneCount);
    SceneNameSlot names[ProfileSceneCount] = {};
    names[2][0] = 'N';
    live->channels[4].crossover.SetLpSlope(6);
    scenes[7].mainVolume = 12;
    JsonPtr whole = WholeProfileToJson(*live, scenes.get(), names);
    const std::wstring named = Path(L"\u0417\u0432\u0443\u043a \u58f0\u97f3.wpf");  // Cyrillic and Chinese
    WriteFileBytes(named, Printed(whole.get(), false));
    EXPECT_EQ(0, Run({L"check", named}));
    EXPECT_EQ(named + L": loads (whole profile)\n", out_);
    const std::wstring resaved = Path(L"resaved.wpf");
    ASSERT_EQ(0, Run({L"resave", named, resaved}));
    EXPECT_EQ(Printed(whole.get(), false), ReadFileBytes(resaved));
    EXPECT_EQ(2, Run({L"resave", named, Path(L"scene.spf")})) << "a whole profile is not resaved as a scene";
}

TEST_F(ProfileTool, RefusedFilesGiveTheMessageAndWhy) {
    auto record = std::make_unique<DspConfig>();
    JsonPtr root = SceneProfileToJson(*record);
    cJSON* lp = cJSON_GetObjectItem(
        cJSON_GetObjectItem(cJSON_GetArrayItem(cJSON_GetObjectItem(root.get(), "channels"), 3), "crossover"), "lp");
    cJSON_ReplaceItemInObject(lp, "slope", cJSON_CreateNumber(9));
    JsonPtr trim = SceneProfileToJson(*record);
    cJSON_ReplaceItemInObject(cJSON_GetArrayItem(cJSON_GetObjectItem(trim.get(), "channels"), 0), "gain",
                              cJSON_CreateNumber(-2147483648.0));
    struct Case {
        std::wstring file;
        std::string text;  // empty: no file
        std::wstring line;
    };
    const Case cases[] = {
        {L"slope.spf", Printed(root.get(), false),
         L": does not load: ${profile_load_error}: channels[3].crossover.lp.slope: 9 is outside 0..8"},
        {L"trim.spf", Printed(trim.get(), false),
         L": does not load: ${profile_load_error}: channels[0].gain: -2147483648 is outside -60..0"},
        {L"cut.spf", "{\"model\":94,", L": does not load: ${profile_open_error}: not JSON (from byte 12)"},
        {L"cut.wpf", "{\"model\":94,", L": does not load: ${profile_load_error}: not JSON (from byte 12)"},
        {L"other.spf", "{\"model\":95}", L": does not load: ${software_not_match}: model: 95, not 94"},
        {L"missing.spf", "",
         L": does not load: ${profile_open_error}: the file cannot be read whole (missing, unreadable or over 8 MB)"},
        {L"notes.txt", "{}", L": neither a scene (.spf) nor a whole (.wpf) profile by its name"},
    };
    for (const Case& c : cases) {
        const std::wstring path = Path(c.file);
        if (!c.text.empty()) WriteFileBytes(path, c.text);
        EXPECT_EQ(1, Run({L"check", path}));
        EXPECT_EQ(path + c.line + L"\n", out_);
        EXPECT_EQ(1, Run({L"resave", path, Path(L"out") + c.file.substr(c.file.size() - 4)}));
        EXPECT_EQ(path + c.line + L"\n", out_);
    }
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(Path(L"out.spf").c_str())) << "nothing written";

    for (const std::vector<std::wstring>& args :
         std::vector<std::vector<std::wstring>>{{}, {L"check"}, {L"verify", L"x.spf"}, {L"reset", L"a", L"b"}}) {
        EXPECT_EQ(2, Run(args));
        EXPECT_EQ(0u, out_.find(L"usage: profile check FILE\n"));
    }
}

// The program itself, with its output taken through a pipe as UTF-8.
TEST_F(ProfileTool, TheProgramPrintsAndExitsAsTheToolDoes) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring program = self;
    program = program.substr(0, program.find_last_of(L'\\'));           // tests\profile_tool
    program = program.substr(0, program.find_last_of(L'\\'));           // tests
    program = program.substr(0, program.find_last_of(L'\\')) + L"\\tools\\profile\\profile.exe";
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(program.c_str())) << "built beside the tests";

    const std::wstring target = Path(L"\u58f0.spf");
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    ASSERT_TRUE(CreatePipe(&readEnd, &writeEnd, &inherit, 0));
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    std::wstring commandLine = L"\"" + program + L"\" reset \"" + target + L"\"";
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr,
                               &startup, &process));
    CloseHandle(writeEnd);
    std::string output;
    char buf[512];
    DWORD n = 0;
    while (ReadFile(readEnd, buf, sizeof buf, &n, nullptr) && n) output.append(buf, n);
    CloseHandle(readEnd);
    WaitForSingleObject(process.hProcess, 30000);
    DWORD code = 99;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);

    EXPECT_EQ(0u, code);
    std::wstring expected = target + L": reset state written (scene profile)\r\n";  // a text-mode stream
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, expected.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(bytes - 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, expected.c_str(), -1, utf8.data(), bytes, nullptr, nullptr);
    EXPECT_EQ(utf8, output);
    EXPECT_EQ(0, Run({L"check", target}));
}

}  // namespace
