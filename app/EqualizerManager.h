#pragma once
// The tuning controller: it owns the live configuration, the ten stored scenes and the link to the
// amplifier, and lives inside the main window for the whole run. It connects and disconnects, follows
// plug-in and plug-out, reads the whole configuration back on a worker thread, stores every reply the
// link posts and brings the main page up to date, and holds the handlers the main window routes its
// notifications to.
//
// Threads: only the UI thread touches controls, timers and `config`; the read-back worker only calls
// device getters and posts messages. Shutdown() stops and joins every worker.
#include "OffPageSettings.h"
#include "device/DeviceLink.h"
#include "model/DspConfig.h"

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace SkinUI {
class CControlUI;
class CPaintManagerUI;
class CSButtonUI;
class CSliderUI;
class CEditUI;
class CComboUI;
class CUIStringMap;
class CMenuWnd;
class CMenuElementUI;
}  // namespace SkinUI

// Private messages of the controller besides those in device/DeviceMessages.h.
constexpr UINT WM_SHOW_PLUGOUT_BOX = WM_USER + 252;  // 1276: the plug-out box, shown on the UI thread
constexpr UINT WM_REFRESH_PAGE = WM_USER + 253;      // 1277: a profile was sent, rewrite the page
constexpr UINT WM_READ_BACK_ENDED = WM_USER + 254;   // 1278: the read-back worker has ended

// Timers on the main window.
constexpr UINT_PTR GET_MAIN_VOLUME_TIMER = 4114;
constexpr UINT_PTR DEVICE_STATUS_TIMER = 7698;

constexpr int kSceneSlots = 10;
constexpr int kSceneNameChars = 8;  // 16 bytes: at most 7 wide characters and the terminator
constexpr int kPageBands = 21;      // band rows of the main page
constexpr int kSpeakerMarkers = 24;
constexpr int kBridgePairs = OutputCount / 2;
constexpr int kRoutingInputs = 8;
constexpr int kBuiltInMainVersion = 1;
constexpr int kBuiltInSlaveVersion = 19;
constexpr int kAmplifierModel = 94;

// Bounded conversion of a scene name as the amplifier holds it (16 ANSI bytes, not necessarily
// terminated) into a slot: at most 7 characters, never half a character, always terminated.
void SceneNameFromDevice(const uint8_t* bytes, size_t count, wchar_t (&slot)[kSceneNameChars]);

// What the read-back found, decided on the UI thread once every reply before it has been applied.
enum class FirmwareVerdict { Same, Newer, Older };
FirmwareVerdict CompareFirmware(int mainVersion, int slaveVersion);

// The getters of a read-back after the handshake, in the order they go out: the working configuration
// with the device-wide values and scene names, or (sceneId 1..10) one stored scene. bandCounts gives
// each output's EQ band count.
std::vector<ReadStep> ReadAllSteps(const int (&bandCounts)[OutputCount]);
std::vector<ReadStep> ReadSceneSteps(uint8_t sceneId, const int (&bandCounts)[OutputCount]);
// Consecutive getters without a reply after which a read-back is given up.
constexpr int kReadGiveUpTimeouts = 3;

class EqualizerManager {
public:
    // hid: the HID calls behind the link; null talks to the real amplifier through hidapi. clock: the
    // link's sleeps and ticks; null for the system's.
    explicit EqualizerManager(HidBackend* hid = nullptr, DeviceClock* clock = nullptr);
    ~EqualizerManager();
    EqualizerManager(const EqualizerManager&) = delete;
    EqualizerManager& operator=(const EqualizerManager&) = delete;

    // ---- Life cycle ----
    // Binds the controller to the main window once its layout is built.
    void Init(SkinUI::CPaintManagerUI* manager, HWND window);
    // Stops every worker and waits for it; the device is closed. Safe to call more than once.
    void Shutdown();

    // ---- Connection ----
    void ConnectDevice(bool showError);
    void OnDspReady();
    void DisconnectDevice();
    void DevicePlugin();
    void DevicePlugOut();
    void ResetMcuFactoryDefault();
    void StartForceUpdate();
    // After a firmware window closed with its update ended: unless a reconnection has read the amplifier
    // since, the link is closed, opened and read again, so that sending is never left switched off.
    void ReadAgainAfterUpdate();
    // acknowledged: the amplifier confirmed the reset, and restarts.
    void OnFactoryDefaultDone(bool acknowledged);
    bool IsReadRunning() const { return mReadRunning.load(); }
    // The amplifier was told to restart (factory settings) and has not yet come back: its leaving the
    // bus is part of it, not a plug-out to tell the user about.
    bool IsRestartExpected() const { return mRestartExpected; }
    // Counts opens and closes of the device: a message about one connection is stale once it changed.
    unsigned ConnectionNumber() const { return mConnection.load(); }
    bool IsCurrentConnection(WPARAM connection) const { return mConnection.load() == connection; }
    // The amplifier arrived while a worker ran: it is connected once the worker has ended.
    bool IsPlugInPending() const { return mPlugInPending; }
    // The read-back worker's last message: an arrival it kept is connected now.
    void OnReadBackEnded();
    // True while a reply writes controls: the notifications this raises must not send anything back.
    bool ApplyingReply() const { return mApplyingReply; }

    // ---- Read-back (runs on a worker) ----
    // -1 when the handshake fails or the read is given up (3 time-outs in a row, device gone, stop);
    // 0 otherwise.
    int PC_UI_Status_Init(bool putLiveTuningBack = false);
    // One stored scene into the amplifier's working memory and its values read back.
    int ReadSceneFromDevice(uint8_t sceneId);

    // ---- Replies (UI thread) ----
    void ReadDspValueCallback(WPARAM sub, LPARAM data);
    void ReadMcuValueCallback(WPARAM sub, LPARAM data);
    void ReadSenceValueCallback(WPARAM sub, LPARAM data);
    void ReadKtvValueCallback(WPARAM sub, LPARAM data);

    // ---- Helpers of the page ----
    static float VolumeToDb(float value);
    static const wchar_t* FormatDb(float value);
    static bool ClampToSlider(SkinUI::CSliderUI* slider, float& value);
    SkinUI::CEditUI* ChDelayEdit(int n) const;
    SkinUI::CSliderUI* ChDelaySlider(int n) const;
    SkinUI::CSliderUI* ChVolumeSlider(int n) const;
    SkinUI::CEditUI* ChVolumeEdit(int n) const;
    SkinUI::CControlUI* ChMuteOption(int n) const;
    SkinUI::CControlUI* ChPhaseOption(int n) const;
    SkinUI::CSliderUI* FirstVolumeSlider() const;
    void UpdateEqCurve(int output, bool bypassed, int points);
    void UpdateEqualizer(int band);
    int SelectedCurveBand() const;  // the band the curve shows selected, -1 none
    void UpdateChVolumeEdit(int n, int value);
    void UpdateChDelayText(int n);
    void SetMainVolumeEditText(int value);
    void RefreshEqBandControls();
    void RefreshCrossoverControls();
    void ShowOutputTypes();
    void SetChPhase(int n, bool reversed);
    void SetChBridge(int pair, bool bridged);
    void SetAmpOnOffButton(bool on);
    void SetRemOut1OnOffButton(bool on);
    void SetRemOut2OnOffButton(bool on);
    void SetSpkOhmButton(bool on);
    void SetNoiseGateButton(bool on);
    void FillInputSourceCombo(SkinUI::CComboUI* combo);
    void ShowRoutingOptions();

    // ---- Handlers the main window routes to ----
    void SetChShow(int n);
    void OnChMuteOption(int n);
    void OnChPhaseOption(int n);
    void SetChSynchronize(int n);
    void SetMainMute();
    void SetInputIn(int input, int output);
    void SetChEqSlider(int band);
    void SetMainVolumeSlider();
    void SetAccSlider();
    void SetChVolumeSlider(int n, bool focusEdit, bool force);
    void SetChDelaySlider(int n);
    void SetEqFreqUp(int band, bool up);
    void SetEqQUp(int band, bool up);
    void SetEqGainUp(int band, bool up);
    void SetHpFreqUp(bool up);
    void SetLpFreqUp(bool up);
    void SetMainVolumeUp(bool up);
    void SetAccUp(bool up);
    void SetChVolumeUp(int n, bool up);
    void SetChDelayUp(int n, bool up);
    void SetSpeakerDelayUp(int position, bool up);
    void SetMainVolumeEdit();
    void SetAccEdit();
    void SetHpFreq();
    void SetLpFreq();
    void SetChDelayEdit(int n);
    void SetChVolumeEdit(int n, bool force);
    void SetSpeakerDelayEdit(int position);
    void SetChEqEdit(int band);
    void HideChDelaySliders();
    void ShowChDelaySlider(int n);
    void OnSpeakerDelayFocus(int position);
    void ActivateChannel(int n);
    void SetDelayUnit();
    void SetHpType();
    void SetLpType();
    void SetHpSlope();
    void SetLpSlope();
    void SetInputSource();
    void OnChannelSelect();
    void EqualizerCallback(int index, int cmd);
    void ShowOutputMenu(HWND window, SkinUI::CControlUI* sender, SkinUI::CUIStringMap* checks,
                        SkinUI::CMenuWnd** menu, SkinUI::CPaintManagerUI* manager, int n);
    void ShowOptionMenu(HWND window, SkinUI::CControlUI* sender, SkinUI::CUIStringMap* checks,
                        SkinUI::CMenuWnd** menu, SkinUI::CPaintManagerUI* manager);
    void ShowSceneMenu(HWND window, SkinUI::CControlUI* sender, SkinUI::CUIStringMap* checks,
                       SkinUI::CMenuWnd** menu, SkinUI::CPaintManagerUI* manager);
    void ShowAdvanceMenu(HWND window, SkinUI::CControlUI* sender, SkinUI::CUIStringMap* checks,
                         SkinUI::CMenuWnd** menu, SkinUI::CPaintManagerUI* manager);
    void OnAmpOnOff();
    void OnRemOut1();
    void OnRemOut2();
    void OnSpkOhm();
    void OnNoiseGate();
    void SetOutputEqReset();
    void SetOutputBypass();
    void SetOutputReset();
    void SetCurChannelChange(int n);
    void OnChBridge(int pair);
    void SetSpeakerFocus(int position);
    void OnEqEnable(int band);
    void SetOutpuLock();
    void SetOutputLink();
    void OnDebugButton();
    void SetEqMode();
    void SetOutputValue(int output, const wchar_t* itemName);
    void ApplyOutputPosition(int output, const wchar_t* itemName, bool withPreset);
    void LoadSenceConfigFromDSP(HWND window);
    void SaveSenceConfigToDSP(HWND window);
    void DeleteDSPSenceConfig(HWND window);
    void LoadSenceConfigFromFile();
    void SaveSenceConfigToFile();
    void LoadWholeConfigFromFile();
    void SaveWholeConfigToFile();
    void OnMixerMenu();
    // Handlers no control calls: the DSP on/off button (sync sends at once), a redraw forwarder, the
    // noise-gate open/closed option, the calibration's active bypass option and a file test.
    void OnDspOnOff(bool sync);
    void RedrawEqualizer(int mode);
    void SetNoiseOpen(SkinUI::CControlUI* option);
    void SetIrcActiveBypass(SkinUI::CControlUI* option);
    static bool IsFilePresent(const wchar_t* path);
    static constexpr int kNoiseOpenThreshold = -60;     // sent as the byte 196
    static constexpr int kNoiseClosedThreshold = -100;  // sent as the byte 156

    // ---- Equalizer, crossover and menu editing of the current output ----
    // Next frequency on a 200-step logarithmic scale from 20 Hz to 20 kHz.
    static int StepFrequency(int freq, bool up);
    // A frequency typed as "2k5", "12K" or "3400Hz" (see the edits' rules), not yet clamped; 0 for text
    // that is no number, and far outside the range (never wrapped into it) for one of many digits.
    static int ParseBandFrequency(const wchar_t* text);
    static int ParseCrossoverFrequency(const wchar_t* text);
    void RefreshEqBandControls(int n);
    void SetBypassButtonText(bool showBypass);
    void SetFreqDivider(int n);
    void SetupOutputMenuItem(SkinUI::CMenuElementUI* item, const wchar_t* name, int n);
    // Sending a loaded profile (on a worker) and bringing the page up to date with it.
    // Each worker answers true when everything went out over the connection it started on.
    static bool SetCurSceneThread(EqualizerManager* controller);
    static bool SetWholeProfileThread(EqualizerManager* controller);
    // UI thread, before either worker starts: copies what it is to send (the live record, and for a whole
    // profile the scene records and names), which is all it reads.
    void TakeProfileToSend(bool whole);
    void SetReadCurProfileToMCU(const DspConfig& record);
    bool SetReadWholeProfileToMCU();
    // One record as the working configuration (scene byte 0): outputs, routing of every source, mix levels.
    void SendWorkingRecord(const DspConfig& record, bool sync);
    // What a whole save puts back into the working configuration: the page's record, what the page does
    // not show, and which amplifier (its serial number) it belongs to.
    struct PutBackTuning {
        DspConfig record;
        OffPageSettings offPage;
        std::wstring serial;
    };
    // Everything the read-back reads of the working configuration, from a record read back, sent and
    // answered command by command. withOutputLink false leaves the output link list to the caller.
    void RestoreWorkingRecord(const DspConfig& record, bool withOutputLink);
    // The record and what the page does not show: what reading stored scenes replaced comes back whole.
    void PutTuningBack(const PutBackTuning& tuning);
    void RefreshAllFromConfig();
    // A profile was sent: the live record becomes what went out (a reply taken meanwhile wrote it) and
    // the page shows it.
    void ShowSentProfile();

    DeviceLink& Device() { return device; }
    SkinUI::CSButtonUI* ConnectButton() const { return btnConnect; }
    int CurrentOutput() const;
    // The scene byte every page edit carries: the working configuration's, never the id the scene
    // window last acted on.
    uint8_t SceneByte() const { return static_cast<uint8_t>(config.scene); }

    // ---- Fields ----
    HWND hMainWnd = nullptr;
    SkinUI::CPaintManagerUI* paintManager = nullptr;
    uint8_t sceneIndex = 0;
    wchar_t wholeProfilePath[MAX_PATH] = {};
    char pendingSceneName[16] = {};
    DspConfig config;
    DspConfig sceneConfigs[kSceneSlots];
    wchar_t sceneNames[kSceneSlots][kSceneNameChars] = {};
    uint32_t validSceneMask = 0;
    uint32_t factoryEQ = 0;
    uint8_t forceUpdateRunning = 0;
    uint8_t updateWindowOpen = 0;
    int32_t partnerOutput = -1;
    uint8_t hasPartner = 0;

    // Main page controls, bound by Init; null where the layout lacks one.
    SkinUI::CControlUI* equalizer = nullptr;
    SkinUI::CSButtonUI* btnConnect = nullptr;
    SkinUI::CControlUI* btnDebug = nullptr;
    SkinUI::CControlUI* btnAmpOnOff = nullptr;
    SkinUI::CControlUI* btnRemOut1 = nullptr;
    SkinUI::CControlUI* btnRemOut2 = nullptr;
    SkinUI::CControlUI* btnSpkOhm = nullptr;
    SkinUI::CControlUI* btnNoiseGate = nullptr;
    SkinUI::CControlUI* btnDspOnOff = nullptr;  // never bound
    SkinUI::CControlUI* chBridge[kBridgePairs] = {};
    SkinUI::CControlUI* btnAdvance = nullptr;
    SkinUI::CComboUI* inputSourceCombo = nullptr;
    SkinUI::CControlUI* chShow[OutputCount] = {};
    SkinUI::CControlUI* chEnable[OutputCount] = {};
    SkinUI::CControlUI* chOutputBtn[OutputCount] = {};
    SkinUI::CControlUI* labelChannelName = nullptr;
    SkinUI::CSliderUI* sliderChVolume[OutputCount] = {};
    SkinUI::CEditUI* editChVolume[OutputCount] = {};
    SkinUI::CSliderUI* sliderChVolumeSingle = nullptr;
    SkinUI::CEditUI* editChVolumeSingle = nullptr;
    SkinUI::CControlUI* chMute[OutputCount] = {};
    SkinUI::CControlUI* chPhase[OutputCount] = {};
    SkinUI::CControlUI* chSynchronize[OutputCount] = {};
    SkinUI::CControlUI* chMuteSingle = nullptr;
    SkinUI::CControlUI* chPhaseSingle = nullptr;
    SkinUI::CSliderUI* sliderChDelay[OutputCount] = {};
    SkinUI::CControlUI* delayLabel[OutputCount] = {};
    SkinUI::CEditUI* editChDelay[OutputCount] = {};
    SkinUI::CComboUI* delayUnitCombo = nullptr;
    SkinUI::CControlUI* controlEmpty[OutputCount] = {};
    SkinUI::CControlUI* chVolumeBg[OutputCount] = {};
    SkinUI::CControlUI* routing[kRoutingInputs][OutputCount] = {};
    SkinUI::CControlUI* input123[OutputCount] = {};
    SkinUI::CControlUI* input456[OutputCount] = {};
    SkinUI::CEditUI* eqFreq[kPageBands] = {};
    SkinUI::CEditUI* eqQ[kPageBands] = {};
    SkinUI::CEditUI* eqGain[kPageBands] = {};
    SkinUI::CSliderUI* eqSlider[kPageBands] = {};
    SkinUI::CControlUI* ptEnable[kPageBands] = {};
    SkinUI::CComboUI* hpType = nullptr;
    SkinUI::CComboUI* lpType = nullptr;
    SkinUI::CEditUI* hpFreq = nullptr;
    SkinUI::CEditUI* lpFreq = nullptr;
    SkinUI::CComboUI* hpSlope = nullptr;
    SkinUI::CComboUI* lpSlope = nullptr;
    SkinUI::CEditUI* editMainVolume = nullptr;
    SkinUI::CSliderUI* sliderMainVolume = nullptr;
    SkinUI::CEditUI* editAcc = nullptr;
    SkinUI::CSliderUI* sliderAcc = nullptr;
    SkinUI::CControlUI* mainMute = nullptr;
    SkinUI::CControlUI* btnResetEq = nullptr;
    SkinUI::CControlUI* btnBypass = nullptr;
    SkinUI::CControlUI* btnArgEq = nullptr;
    SkinUI::CControlUI* btnResetOutput = nullptr;
    SkinUI::CControlUI* btnLockOutput = nullptr;
    SkinUI::CControlUI* btnLinkOutput = nullptr;
    SkinUI::CControlUI* btnLinkSelect = nullptr;
    SkinUI::CControlUI* spkCon[kSpeakerMarkers + 1] = {};  // by position 1..24
    SkinUI::CEditUI* spkDelay[kSpeakerMarkers + 1] = {};
    SkinUI::CControlUI* speaker[kSpeakerMarkers + 1] = {};

    // ---- Output channels, link, bridge, delays, main volume and switches ----
    void SetChVolume(int n, int value, bool focusEdit, bool force);
    void ApplyChGain(int n, float value, bool unmute);
    // The whole dB the volume edit shows; ok false when its text is not a gain.
    int ParseChVolumeEdit(int n, bool* ok = nullptr) const;
    // Shows the current output and its link partner as the selected channel options.
    void ShowCurrentChannelOptions();
    // Shows the markers of the current output's position and of its partner's as selected.
    void ShowCurrentSpeakerMarkers();
    void SendChTrim(int n);
    void SendChEqAndFilter(int n);
    void SendInputMixTrim(int n);
    void SendChRouting(int n);
    void SetChMute(int n, bool mute);
    void UpdateLinkPartner();
    static bool StepSlider(SkinUI::CSliderUI* slider, bool up, float step);
    static void SetSliderClampedValue(SkinUI::CSliderUI* slider, float& value);
    void PropagateGainToSubwoofers(int n, float value, bool unmute);
    void SendOutputBridge();
    int ShowMsgCheckBoxWnd(HWND parent, const wchar_t* title, const wchar_t* text, const wchar_t* const* boxes);
    void SetChDelayMs(int n, float ms);
    void SendChDelay(int n, float ms);
    void UpdateChDelayEdit(int n, float ms);
    void SetChDelaySliderValue(int n, float value);
    void ShiftGroupDelays(int n, float delta);
    void SetAccRelatedAfterDecidedValue(int value);
    void SetChCompressor(int n, uint8_t on);
    int DelayUnit() const;
    static void DelayText(int unit, float ms, wchar_t* text, size_t size);
    static float FormatDelay(int unit, float value, wchar_t* text, size_t size);
    static float QuantizeDelay(int unit, float ms);
    void ShowSpeakerMarker(int n);
    void UpdateSpeakerDelayLabel(int marker, int n);
    void SetMainVolumeRelatedAfterDecidedValue(float value);
    void SetMainMuteValue(bool mute);
    void UpdateAllVolumeEdit();
    // Set by the main window: starts its main-volume poll after a source switch.
    std::function<void()> startMainVolumePoll;
    // Set by the firmware windows' openers while their windows run: when the amplifier connects again,
    // the user-started update window closes, and a forced update goes on with its next stage instead of
    // the amplifier being read.
    std::function<void()> closeUpdateWindow;
    std::function<void()> forceUpdateNextStage;
    // Asks the link question in place of the two-box window (0 cancel, 1 first box, 2 second box); unset,
    // the window asks. Tests answer through it.
    std::function<int(HWND, const wchar_t*, const wchar_t*, const wchar_t* const*)> checkBoxQuestion;

private:
    bool UpgradeInProgress() const;
    void ShowConnectionState(const wchar_t* text, DWORD textColor, bool selected);
    void StartReadBack();
    void ReadMcuValueThread();
    void PostReadFailure();
    // A link that broke off usually means the amplifier left the bus: the system's word of it is given a
    // moment to arrive, so that the user is told of an unplug and not of a failure.
    void WaitForUnplugNotice(unsigned connection) const;
    void PostForConnection(UINT message, unsigned connection) const;
    void ConnectPendingPlugIn();
    // The live tuning a cut-off whole save owes this amplifier, sent before the read-back reads; false
    // when the connection broke meanwhile.
    bool PutLiveTuningBack();
    // A cut-off whole save's tuning, owed to its amplifier until that one is connected again (any thread).
    void OweTuning(std::unique_ptr<PutBackTuning> tuning);
    std::unique_ptr<PutBackTuning> TakeOwedTuning(const std::wstring& serial);
    void FactoryDefaultThread();
    void JoinFinishedWorkers();
    void Post(UINT message) const;
    // Runs the getters of a read-back in order; false once it was given up.
    bool RunReadSteps(const std::vector<ReadStep>& steps);
    void BindControls();
    void InitChannelControls(int n);
    void InitSpeakerControls(int position);
    void FinishInit();
    DspConfig* ConfigForScene(uint32_t scene);
    void ApplyLinkReply(DspConfig& target, bool scene0, uint32_t value);
    void ApplyLockReply(DspConfig& target, bool scene0, uint32_t value);
    void ApplyChannelType(DspConfig& target, bool scene0, uint32_t channel, uint32_t type);
    void PlaceSpeakerMarkers();
    void ReadDspRecord(WPARAM sub, void* record);
    void ShowNotMatchBox(int model);

    SkinUI::CSButtonUI* BindSButton(const wchar_t* name);

    // ---- Equalizer, crossover and menu editing ----
    void FindPartner();  // partnerOutput / hasPartner of the current output
    std::vector<int> SyncGroupOf(int n) const;  // the outputs edited with n, n included; empty without a group
    void SendBand(int n, int band, float gain);
    void SendBandStored(int n, int band);
    void SendBypass(int n);
    void SendFilter(int n, int kind);
    void ZeroRaisedBands(int n);
    void ZeroHiddenGains(int cur);
    bool IsFlatTruncating(int n) const;
    void StoreBand(int n, int band, const EqBand& value);
    void SpreadBypass(int cur, uint8_t value, bool withPartner);
    bool IsPeqMode() const;
    float ShownBandGain(int n, int band) const;
    // True when these values are what the band row and the curve already show.
    bool IsBandAsShown(int n, int band, int freq, float q, float gain) const;
    void ShowBandRow(int n, int band);
    void ApplyFilterFreq(int kind, int freq);
    void ApplyFilterSetting(int kind, bool isType, int value);
    void ShowOddSlopes(SkinUI::CComboUI* slopes, bool shown);
    SkinUI::CMenuWnd* OpenMenu(HWND window, SkinUI::CControlUI* sender, SkinUI::CUIStringMap* checks,
                               SkinUI::CMenuWnd** menu, SkinUI::CPaintManagerUI* manager, const wchar_t* layout,
                               bool atRight);

    DeviceLink device;
    std::thread mReadThread;
    std::thread mFactoryThread;
    std::atomic<bool> mReadRunning{false};
    std::atomic<bool> mFactoryRunning{false};
    std::atomic<bool> mStopping{false};
    int mReadBandCounts[OutputCount] = {};
    bool mLinkOffPending = false;  // a link correction found during the read-back, sent once the queue is on
    bool mRestartExpected = false;
    unsigned mReadConnection = 0;  // the connection the read-back reads
    // Whole saves cut off while a stored scene was the amplifier's working one, one per amplifier: the
    // next read-back of that amplifier first puts its tuning back.
    std::mutex mOwedLock;
    std::vector<std::unique_ptr<PutBackTuning>> mOwed;  // guarded by mOwedLock
    // What the running read-back puts back, taken from mOwed as it starts; the worker drops it once it
    // went out, and what is left when the read-back ends is owed again.
    std::unique_ptr<PutBackTuning> mPutBackOnConnect;
    bool mPuttingBack = false;  // UI thread: the running read-back put a tuning back, its reads keep switched-off bands
    bool mApplyingReply = false;   // set while a reply writes controls: their notifications send nothing

    // ---- Scenes and profiles: the scene window's workers and the profile file commands ----
public:
    enum class SceneWork : WPARAM { LoadScene = 1, SaveScene, DeleteScene, WholeSave, SendSceneProfile, SendWholeProfile };
    // Starts one scene or profile worker; false (nothing started) while another still runs.
    bool StartSceneWorker(SceneWork work);
    bool IsSceneWorkerRunning() const { return mSceneRunning.load(); }
    // UI thread: a worker has ended and every reply before this message has been applied; end holds its
    // connection number shifted left by one and 1 when it succeeded. Closes the busy popup, connects an
    // amplifier that came back meanwhile and then tells the user how it went.
    void OnSceneWorkDone(WPARAM work, LPARAM end);
    // Steps a worker has the UI thread take, between its reads, and waits for.
    enum class UiStep : WPARAM { StartOffPageRead = 1, KeepLive, KeepSceneCrossMix, RestoreLive };
    void OnSceneUiStep(WPARAM step, LPARAM scene);
    // Cross-source mixes of one record.
    struct CrossMixTable {
        int32_t source[SourceCount][InputChannelCount] = {};
        int32_t channel[SourceCount][InputChannelCount] = {};
        int32_t gain[SourceCount][InputChannelCount] = {};
    };
    // The common open or save dialog for profile files; replaceable so that a test gives the path.
    // Fills path (capacity wide characters) and answers true on OK.
    using ProfileDialog = std::function<bool(HWND owner, bool save, bool whole, wchar_t* path, DWORD capacity)>;
    static ProfileDialog& ProfileDialogSeam();
    static bool ShowProfileDialog(HWND owner, bool save, bool whole, wchar_t* path, DWORD capacity);

private:
    bool LoadSenceThread();
    bool SaveSenceThread();
    bool DeleteSenceThread();
    bool SaveWholeSceneThread();
    void RunSceneWork(SceneWork work);
    static bool IsSceneWindowWork(SceneWork work);
    void PostToSceneWnd(UINT message);
    std::wstring WriteWholeProfile(bool readOk);
    // Empties the name slots the amplifier cannot hold exactly; answers them as a list for the user.
    std::wstring TakeUnstorableSceneNames();
    void JoinSceneWorker();
    bool RunUiStep(UiStep step, int scene);
    // Not stopping, still open and the same connection the running worker started on.
    bool ConnectionIntact() const;

    std::thread mSceneThread;
    std::atomic<bool> mSceneRunning{false};
    std::atomic<unsigned> mConnection{0};  // counts opens and closes of the device
    unsigned mWorkConnection = 0;          // the connection the running worker started on
    std::atomic<bool> mSceneLoadAnswered{false};  // the last scene load's request was answered
    bool mPlugInPending = false;           // an arrival while a worker ran, handled at its end
    HANDLE mUiStepDone = nullptr;
    CrossMixTable mLiveCrossMix;
    OffPageSettings mOffPage;       // the working configuration's other settings, as its replies come
    OffPageSettings mKeptOffPage;   // those of the live tuning, kept before a whole save reads stored scenes
    std::unique_ptr<PutBackTuning> mPutBack;  // the running whole save's, made on the UI thread as it ends
    std::unique_ptr<DspConfig> mSendRecord;  // the live record a worker sends, copied on the UI thread
    struct WholeProfileToSend {               // the scenes of a whole profile being sent, copied likewise
        DspConfig scenes[kSceneSlots];
        char names[kSceneSlots][16] = {};    // as the amplifier stores them
    };
    std::unique_ptr<WholeProfileToSend> mWholeToSend;
    DspConfig& SendRecord();
    // A whole save's reads take a switched-off band reported at 0 dB as still off with its kept gain: in
    // the live record, and in the scene records when they came from this connection (a whole profile sent,
    // or a whole save read, since it opened). Any other read takes a band as the amplifier reports it.
    bool mWholeSaveReading = false;
    unsigned mSceneRecordsConnection = ~0u;
    bool KeepsSwitchedOffBands(const DspConfig* target) const;
    std::wstring mUnstorableSceneNames;      // of the whole profile being sent, told once it is stored
};

