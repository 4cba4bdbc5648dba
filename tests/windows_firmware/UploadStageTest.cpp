// One upload stage as both firmware windows run it on their worker, against the emulated amplifier:
// the messages the window is sent for each kind of image and for each way a stage ends.
#include "device_firmware/FirmwareTestSupport.h"
#include "device/DeviceMessages.h"
#include "windows/FirmwareUpload.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

struct Message {
    UINT message;
    WPARAM wParam;
    bool operator==(const Message& o) const { return message == o.message && wParam == o.wParam; }
};

std::ostream& operator<<(std::ostream& out, const Message& m) { return out << "{" << m.message << ", " << m.wParam << "}"; }

// The amplifier's normal firmware after the handshake, as the windows find it.
struct StageRig : UpgradeRig {
    StageRig() { EXPECT_TRUE(link.Hand_Connect()); }
    std::vector<Message> Run(const std::wstring& path, bool stopFirst = false) {
        std::atomic<bool> stop{stopFirst};
        std::vector<Message> seen;
        RunUploadStage(link, path, WM_UPDATE_MCU_STARTED, stop,
                       [&](UINT message, WPARAM wParam) { seen.push_back({message, wParam}); });
        return seen;
    }
};

const Bytes kHead{0x5A, 0x01, 0x02, 0x03};

std::vector<Message> Progress(std::initializer_list<int> values, UINT last) {
    std::vector<Message> out{{WM_UPDATE_MCU_STARTED, 0}};
    for (int v : values) out.push_back({WM_UPDATE_PROGRESS, static_cast<WPARAM>(v)});
    out.push_back({last, 0});
    return out;
}

TEST(UploadStage, ReportsEachNewPercentageThenTheEnd) {
    // 70 MCU bytes go as 6, 32 and 32; 120 DSP bytes as 50, 50 and 20; 100 boot-loader bytes as 4 and 3 x 32.
    struct Case {
        const wchar_t* name;
        Bytes file;
        std::vector<Message> expected;
    } cases[] = {
        {L"KTR3.500DSP_MCU_UPG.bin", Wrapper(1, 94, kHead, Pattern(70)), Progress({8, 54, 100}, WM_UPDATE_STAGE_DONE)},
        {L"KTR3.500DSP_FLASH_UPG.bin", Wrapper(2, 94, kHead, Pattern(120)),
         Progress({41, 83, 100}, WM_UPDATE_STAGE_DONE)},
        {L"KTR3.500DSP_BL_UPG.bin", Wrapper(1, 94, kHead, Pattern(100)),
         Progress({4, 36, 68, 100}, WM_UPDATE_STAGE_DONE)},
    };
    for (const Case& c : cases) {
        StageRig rig;
        EXPECT_EQ(rig.Run(rig.dir.Write(c.name, c.file)), c.expected) << c.name;
    }
}

TEST(UploadStage, FailuresEndTheStageWithTheirMessage) {
    const Bytes good = Wrapper(1, 94, kHead, Pattern(70));
    Bytes badSum = good;
    badSum.back() ^= 1;
    {
        StageRig rig;  // a file that does not check out never reaches the amplifier
        const size_t before = rig.Requests().size();
        EXPECT_EQ(rig.Run(rig.dir.Write(L"KTR3.500DSP_MCU_UPG.bin", badSum)),
                  (std::vector<Message>{{WM_UPDATE_START_FAILED, UPG_FILE_INVALID}}));
        EXPECT_EQ(rig.Requests().size(), before);
    }
    {
        StageRig rig;
        EXPECT_EQ(rig.Run(rig.dir.PathOf(L"KTR3.500DSP_MCU_UPG.bin")),
                  (std::vector<Message>{{WM_UPDATE_START_FAILED, UPG_FILE_OPEN_FAIL}}));
    }
    {
        StageRig rig;  // the amplifier does not answer the enter-upgrade command
        rig.amp.AddFault({AmpFault::NoReply, 3, 0x01, -1, 0, -1});
        EXPECT_EQ(rig.Run(rig.dir.Write(L"KTR3.500DSP_MCU_UPG.bin", good)),
                  (std::vector<Message>{{WM_UPDATE_START_FAILED, UPG_START_FAIL}}));
    }
    {
        StageRig rig;  // no chunk after the first is acknowledged
        rig.amp.AddFault({AmpFault::NoReply, 3, 0x03, -1, 1, -1});
        EXPECT_EQ(rig.Run(rig.dir.Write(L"KTR3.500DSP_MCU_UPG.bin", good)), Progress({8, 54}, WM_UPDATE_FAILED));
    }
    {
        StageRig rig;  // the amplifier leaves the bus on the second DSP chunk
        rig.amp.AddFault({AmpFault::Vanish, 2, 0x04, -1, 1, 1});
        EXPECT_EQ(rig.Run(rig.dir.Write(L"KTR3.500DSP_FLASH_UPG.bin", Wrapper(2, 94, kHead, Pattern(120)))),
                  Progress({41, 83}, WM_UPDATE_FAILED));
    }
    {
        StageRig rig;  // a window going away stops the stage before it sends a chunk
        const std::vector<Message> seen = rig.Run(rig.dir.Write(L"KTR3.500DSP_MCU_UPG.bin", good), true);
        EXPECT_EQ(seen, (std::vector<Message>{{WM_UPDATE_MCU_STARTED, 0}, {WM_UPDATE_FAILED, 0}}));
        EXPECT_EQ(rig.Received(AmpFirmwareTarget::Mcu).chunksAccepted, 0);
    }
}

TEST(UploadStage, TheWorkerHoldsTheBusyStateAndIsJoinedByItsOwner) {
    EXPECT_FALSE(FirmwareUpdateBusy());
    std::atomic<bool> release{false};
    std::atomic<bool> sawStop{false};
    {
        FirmwareWorker worker;
        ASSERT_TRUE(worker.Start([&](const std::atomic<bool>& stop) {
            while (!release && !stop) std::this_thread::yield();
            sawStop = stop.load();
        }));
        EXPECT_TRUE(worker.IsRunning());
        EXPECT_TRUE(FirmwareUpdateBusy());
        EXPECT_FALSE(worker.Start([](const std::atomic<bool>&) {}));  // one at a time
    }  // the owner goes: the work is stopped and joined, not left running
    EXPECT_TRUE(sawStop);
    EXPECT_FALSE(FirmwareUpdateBusy());
    FirmwareBusyHold hold;
    EXPECT_TRUE(FirmwareUpdateBusy());
    hold.Release();
    hold.Release();
    EXPECT_FALSE(FirmwareUpdateBusy());
}

}  // namespace
