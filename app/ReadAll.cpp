// The read-back: one fixed run of synchronous getters on a worker thread. Each reply is decoded by the
// link and posted to the main window, where the reply handlers store it. The run is given up after a
// few getters in a row go unanswered, or as soon as the device is gone, so a silent amplifier cannot
// hold the busy popup for minutes.
#include "EqualizerManager.h"

#include "base/Log.h"

namespace {

// EQ bands are asked eight at a time: 0-7, 8-15, 16-20 for 21 bands; 0-7, 8-10 for 11.
void AddEqSteps(std::vector<ReadStep>& steps, uint8_t scene, const int (&bandCounts)[OutputCount]) {
    for (int n = 0; n < OutputCount; ++n) {
        const int size = bandCounts[n];
        for (int first = 0; first < size; first += 8) {
            const int last = first + 7 >= size ? size - 1 : first + 7;
            steps.push_back([=](DeviceLink& d) {
                d.Get_EQ(scene, 0, static_cast<uint8_t>(n), static_cast<uint8_t>(first), static_cast<uint8_t>(last));
            });
        }
    }
}

void AddFilterSteps(std::vector<ReadStep>& steps, uint8_t scene) {
    // The last block names outputs 8 to 11; replies for outputs above 9 are dropped on receipt.
    for (uint8_t first : {0, 4, 8})
        steps.push_back([=](DeviceLink& d) { d.Get_Filter(scene, 0, first, static_cast<uint8_t>(first + 3)); });
}

void AddRoutingSteps(std::vector<ReadStep>& steps, uint8_t scene) {
    for (int s = 0; s < SourceCount; ++s)
        steps.push_back([=](DeviceLink& d) { d.Get_Mix_Ch(scene, static_cast<uint8_t>(s), 0, 9); });
    for (int s = 0; s < SourceCount; ++s) {
        const int inputs = GetSourceExtraChannels(s) + 2;
        for (int i = 0; i < inputs; ++i)
            steps.push_back([=](DeviceLink& d) {
                d.Get_Input_Mix_CH_Trim(scene, static_cast<uint8_t>(s), static_cast<uint8_t>(i), 0, 9);
            });
    }
    // Cross-source mixing is always asked of the working configuration, for the two inputs that follow
    // the source's own, where the mixer sets it.
    for (int s = 0; s < SourceCount; ++s)
        for (int k = 0; k < 2; ++k)
            steps.push_back([=](DeviceLink& d) {
                d.Get_Cross_Source_Mix_CS47048(0, static_cast<uint8_t>(s),
                                               static_cast<uint8_t>(GetSourceExtraChannels(s) + k));
            });
}

void AddSceneNameSteps(std::vector<ReadStep>& steps) {
    for (int id = 1; id <= 10; ++id) steps.push_back([=](DeviceLink& d) { d.Get_SceneName(static_cast<uint8_t>(id)); });
}

}  // namespace

std::vector<ReadStep> ReadAllSteps(const int (&bandCounts)[OutputCount]) {
    std::vector<ReadStep> steps = {
        [](DeviceLink& d) { d.Get_Source(); },
        [](DeviceLink& d) { d.Get_Main_Volume(); },
        [](DeviceLink& d) { d.Get_Acc(); },
        [](DeviceLink& d) { d.Get_Subwoofer_Volume(); },
        [](DeviceLink& d) { d.Get_Mute(); },
        [](DeviceLink& d) { d.Get_Amp_Mute(); },
        [](DeviceLink& d) { d.Get_Rem_Out(); },
        [](DeviceLink& d) { d.Get_Spk_Ohm(); },
        [](DeviceLink& d) { d.Get_Noise_Gate(); },
        [](DeviceLink& d) { d.Get_Speaker_Config(); },
        [](DeviceLink& d) { d.GetValidScene(); },
        [](DeviceLink& d) { d.Get_Delay(0, 0, 0, 9); },
        [](DeviceLink& d) { d.Get_CH_Type(0, 0, 0, 9); },
        [](DeviceLink& d) { d.Get_Ch_Solo(0, 0, 0, 9); },
        [](DeviceLink& d) { d.Get_CH_Link(0); },
        [](DeviceLink& d) { d.Get_CH_Lock(0); },
    };
    AddFilterSteps(steps, 0);
    steps.push_back([](DeviceLink& d) { d.Get_PEQ_Bypass(0, 0, 0, 9); });
    AddEqSteps(steps, 0, bandCounts);
    steps.push_back([](DeviceLink& d) { d.Get_Trim(0, 0, 0, 9); });
    steps.push_back([](DeviceLink& d) { d.Get_Mute_Ch(0, 0, 0, 9); });
    steps.push_back([](DeviceLink& d) { d.Get_Phase(0, 0, 0, 9); });
    AddRoutingSteps(steps, 0);
    AddSceneNameSteps(steps);
    steps.push_back([](DeviceLink& d) { d.Get_Ouput_Bridge(0, 0, 5); });
    return steps;
}

std::vector<ReadStep> ReadSceneSteps(uint8_t id, const int (&bandCounts)[OutputCount]) {
    std::vector<ReadStep> steps = {
        [=](DeviceLink& d) { d.Get_CH_Type(id, 0, 0, 9); },
        [=](DeviceLink& d) { d.Get_CH_Link(id); },
        [=](DeviceLink& d) { d.Get_CH_Lock(id); },
        [=](DeviceLink& d) { d.Get_Ch_Solo(id, 0, 0, 9); },
    };
    AddFilterSteps(steps, id);
    steps.push_back([=](DeviceLink& d) { d.Get_PEQ_Bypass(id, 0, 0, 9); });
    AddEqSteps(steps, id, bandCounts);
    steps.push_back([=](DeviceLink& d) { d.Get_Delay(id, 0, 0, 9); });
    steps.push_back([=](DeviceLink& d) { d.Get_Trim(id, 0, 0, 9); });
    steps.push_back([=](DeviceLink& d) { d.Get_Mute_Ch(id, 0, 0, 9); });
    steps.push_back([=](DeviceLink& d) { d.Get_Phase(id, 0, 0, 9); });
    AddRoutingSteps(steps, id);
    AddSceneNameSteps(steps);
    return steps;
}

bool EqualizerManager::RunReadSteps(const std::vector<ReadStep>& steps) {
    // Each reply is posted while the next request is on the bus; all are posted before this returns.
    DeviceLink::ReplyBatch batch(device);
    int silent = 0;
    for (const ReadStep& step : steps) {
        step(device);
        if (mStopping || !device.IsConnected() || device.IsLinkFailed()) {
            LogPrintW(L"read-back given up: the device is gone\n");
            return false;
        }
        // A getter that read nothing leaves no bytes behind it.
        if (device.mBytesRead.load() > 0) {
            silent = 0;
        } else if (++silent >= kReadGiveUpTimeouts) {
            LogPrintW(L"read-back given up: %d requests in a row without a reply\n", silent);
            return false;
        }
    }
    return true;
}

int EqualizerManager::PC_UI_Status_Init(bool putLiveTuningBack) {
    LogPrintW(L"PC_UI_Status_Init\n");
    device.PC_Connect(1);
    if (!device.Hand_Connect()) return -1;
    if (device.mModel.load() != kAmplifierModel || !device.mHandshakeOk.load()) return 0;
    if (putLiveTuningBack && !PutLiveTuningBack()) return -1;
    if (!RunReadSteps(ReadAllSteps(mReadBandCounts))) return -1;
    LogPrintW(L"PC_UI_Status_Init done\n");
    return 0;
}

int EqualizerManager::ReadSceneFromDevice(uint8_t sceneId) {
    LogPrintW(L"read scene sceneId(%d)\n", sceneId);
    device.ReadScene(sceneId, 0xFF);
    Sleep(1000);
    return RunReadSteps(ReadSceneSteps(sceneId, mReadBandCounts)) ? 0 : -1;
}

bool EqualizerManager::PutLiveTuningBack() {
    LogPrintW(L"a whole save was cut off: the live tuning goes back to the amplifier\n");
    PutTuningBack(*mPutBackOnConnect);
    if (mStopping || !device.IsConnected() || device.IsLinkFailed() || mConnection.load() != mReadConnection)
        return false;
    mPutBackOnConnect.reset();
    return true;
}

void EqualizerManager::OweTuning(std::unique_ptr<PutBackTuning> tuning) {
    if (!tuning) return;
    LogPrintW(L"the live tuning is owed to the amplifier %ls\n", tuning->serial.c_str());
    std::lock_guard<std::mutex> lock(mOwedLock);
    for (auto& owed : mOwed) {
        if (owed->serial != tuning->serial) continue;
        owed = std::move(tuning);  // the newer save's tuning is the one it played last
        return;
    }
    mOwed.push_back(std::move(tuning));
}

// Only the amplifier a tuning was read from takes it back: another one is read as it is.
std::unique_ptr<EqualizerManager::PutBackTuning> EqualizerManager::TakeOwedTuning(const std::wstring& serial) {
    std::lock_guard<std::mutex> lock(mOwedLock);
    for (auto it = mOwed.begin(); it != mOwed.end(); ++it) {
        if ((*it)->serial != serial) continue;
        std::unique_ptr<PutBackTuning> tuning = std::move(*it);
        mOwed.erase(it);
        return tuning;
    }
    if (!mOwed.empty()) LogPrintW(L"amplifier %ls owes no tuning: read as it is\n", serial.c_str());
    return nullptr;
}
