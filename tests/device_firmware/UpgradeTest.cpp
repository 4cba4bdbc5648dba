// Whole upgrades through UpgradeStart and UpgradeProgress against the emulated amplifier: the requests
// byte for byte, the progress values, the reconnect, the reassembled images, and the ways an upgrade
// fails: refusals, silence, a device that does not come back or leaves mid-transfer.
#include "FirmwareTestSupport.h"

#include <gtest/gtest.h>

namespace {

constexpr uint8_t kFlash = 2, kMcu = 3;
const Bytes kHead{0xC0, 0xFF, 0xEE, 0x01};

Bytes Be32(uint32_t v) {
    return {static_cast<uint8_t>(v >> 24), static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 8),
            static_cast<uint8_t>(v)};
}

// The requests of one packet type and sub-command, in order.
std::vector<Request> Of(const std::vector<Request>& all, uint8_t cmd, uint8_t sub) {
    std::vector<Request> out;
    for (const Request& r : all)
        if (r.cmd == cmd && r.sub == sub) out.push_back(r);
    return out;
}

// (cmd, sub) of every request, in order.
std::vector<std::pair<int, int>> Commands(const std::vector<Request>& all) {
    std::vector<std::pair<int, int>> out;
    for (const Request& r : all) out.emplace_back(r.cmd, r.sub);
    return out;
}

Bytes McuChunk(const Bytes& image, uint32_t offset, size_t n) {
    Bytes payload = Be32(offset);
    payload.insert(payload.end(), image.begin() + offset, image.begin() + offset + n);
    payload.resize(36, 0);
    return payload;
}

Bytes DspChunk(const Bytes& image, uint32_t offset, size_t n) {
    Bytes payload = Be32(offset);
    payload.push_back(static_cast<uint8_t>(n));
    payload.insert(payload.end(), image.begin() + offset, image.begin() + offset + n);
    return payload;
}

Bytes Padded(Bytes image, size_t size) {
    image.resize(size, 0);
    return image;
}

// A link that has shaken hands with the amplifier's normal firmware, as the application has before an upgrade.
struct ConnectedRig : UpgradeRig {
    ConnectedRig() { EXPECT_TRUE(link.Hand_Connect()); }
};

TEST(Upgrade, McuImageWithReconnect) {
    ConnectedRig rig;
    const Bytes image = Pattern(70);
    const std::wstring path = rig.dir.Write(L"KTR3.500DSP_MCU_UPG.bin", Wrapper(1, 94, kHead, image));
    const uint32_t before = rig.clock.NowMs();
    ASSERT_EQ(0, rig.link.UpgradeStart(path.c_str(), 0));
    EXPECT_GE(rig.clock.NowMs() - before, 8000u) << "the device is given its restart time";
    EXPECT_EQ(1, rig.hid.closes);
    EXPECT_EQ(2, rig.hid.opens);
    EXPECT_EQ(AmpMode::Upgrade, rig.amp.State().mode);
    EXPECT_EQ(UPG_READY_FOR_DATA, rig.link.mUpgState);

    EXPECT_EQ((std::vector<int>{8, 54, 100, 101}), Distinct(rig.Pump()));
    const auto requests = rig.Requests();
    const std::vector<std::pair<int, int>> expected{{kMcu, 0x08}, {kMcu, 0x01}, {kMcu, 0x02}, {kMcu, 0x03},
                                                    {kMcu, 0x03}, {kMcu, 0x03}, {kMcu, 0x04}};
    EXPECT_EQ(expected, Commands(requests));
    EXPECT_EQ(kHead, Of(requests, kMcu, 0x02).at(0).payload);
    const auto chunks = Of(requests, kMcu, 0x03);
    ASSERT_EQ(3u, chunks.size());
    EXPECT_EQ(McuChunk(image, 64, 6), chunks[0].payload);
    EXPECT_EQ(McuChunk(image, 32, 32), chunks[1].payload);
    EXPECT_EQ(McuChunk(image, 0, 32), chunks[2].payload);
    EXPECT_TRUE(Of(requests, kMcu, 0x04).at(0).payload.empty());
    EXPECT_TRUE(rig.hid.events.back().write) << "the finish command is not answered, so nothing is read after it";

    const AmpUpgradeRecord mcu = rig.Received(AmpFirmwareTarget::Mcu);
    EXPECT_EQ(Padded(image, 96), mcu.image);
    EXPECT_EQ(kHead, Bytes(mcu.head, mcu.head + 4));
    EXPECT_TRUE(mcu.finished);
    EXPECT_EQ(UPG_IDLE, rig.link.mUpgState);
    EXPECT_EQ(nullptr, rig.link.mMcuImage);
    EXPECT_EQ(UPG_PROGRESS_FAILED, rig.link.UpgradeProgress()) << "nothing left to upgrade";
}

TEST(Upgrade, McuAlreadyInUpgradeModeIsNotReconnected) {
    UpgradeRig rig;
    rig.amp.EditState([](AmpState& s) { s.mode = AmpMode::Upgrade; });
    const Bytes image = Pattern(64);
    const std::wstring path = rig.dir.Write(L"MCU_UPG.BIN", Wrapper(1, 94, kHead, image));
    const uint32_t before = rig.clock.NowMs();
    ASSERT_EQ(0, rig.link.UpgradeStart(path.c_str(), 0));
    EXPECT_EQ(0, rig.hid.closes);
    EXPECT_LT(rig.clock.NowMs() - before, 8000u);
    EXPECT_EQ((std::vector<int>{50, 100, 101}), Distinct(rig.Pump()));
    const auto chunks = Of(rig.Requests(), kMcu, 0x03);
    ASSERT_EQ(2u, chunks.size());
    EXPECT_EQ(McuChunk(image, 32, 32), chunks[0].payload) << "a whole first chunk when the size divides by 32";
    EXPECT_EQ(image, rig.Received(AmpFirmwareTarget::Mcu).image);
}

TEST(Upgrade, BootloaderStaysOnTheBus) {
    ConnectedRig rig;
    const Bytes image = Pattern(40, 4);
    const std::wstring path = rig.dir.Write(L"KTR3.500DSP_BL_UPG.bin", Wrapper(1, 94, kHead, image));
    ASSERT_EQ(0, rig.link.UpgradeStart(path.c_str(), 0));
    EXPECT_EQ(0, rig.hid.closes);
    EXPECT_EQ(AmpMode::Bootloader, rig.amp.State().mode);
    EXPECT_EQ((std::vector<int>{20, 100, 101}), Distinct(rig.Pump()));
    const std::vector<std::pair<int, int>> expected{{kMcu, 0x08}, {kMcu, 0xA0}, {kMcu, 0xA1},
                                                    {kMcu, 0xA2}, {kMcu, 0xA2}, {kMcu, 0xA3}};
    const auto requests = rig.Requests();
    EXPECT_EQ(expected, Commands(requests));
    EXPECT_EQ(McuChunk(image, 32, 8), Of(requests, kMcu, 0xA2).at(0).payload);
    EXPECT_EQ(Padded(image, 64), rig.Received(AmpFirmwareTarget::Bootloader).image);
    EXPECT_EQ(AmpMode::Normal, rig.amp.State().mode);
    EXPECT_EQ(0, rig.amp.Counters().restarts);
}

TEST(Upgrade, DspFlashWithEraseFinishAndReboot) {
    ConnectedRig rig;
    const Bytes image = Pattern(120, 2);
    const std::wstring path = rig.dir.Write(L"KTR3.500DSP_FLASH_UPG.bin", Wrapper(7, 94, kHead, image));
    ASSERT_EQ(0, rig.link.UpgradeStart(path.c_str(), 1));
    EXPECT_EQ(1, rig.hid.closes) << "the normal firmware restarts into upgrade mode";
    EXPECT_EQ((std::vector<int>{41, 83, 100, 101}), Distinct(rig.Pump()));

    const auto requests = rig.Requests();
    const std::vector<std::pair<int, int>> expected{{kMcu, 0x08},   {kFlash, 0x02}, {kMcu, 0x01},
                                                    {kFlash, 0x03}, {kFlash, 0x04}, {kFlash, 0x04},
                                                    {kFlash, 0x04}, {kFlash, 0x05}, {kMcu, 0x8F}};
    EXPECT_EQ(expected, Commands(requests));
    EXPECT_EQ(kHead, Of(requests, kFlash, 0x03).at(0).payload);
    const auto chunks = Of(requests, kFlash, 0x04);
    EXPECT_EQ(DspChunk(image, 0, 50), chunks.at(0).payload);
    EXPECT_EQ(DspChunk(image, 50, 50), chunks.at(1).payload);
    EXPECT_EQ(DspChunk(image, 100, 20), chunks.at(2).payload);

    const AmpUpgradeRecord dsp = rig.Received(AmpFirmwareTarget::DspFlash);
    EXPECT_EQ(image, dsp.image);
    EXPECT_TRUE(dsp.erased && dsp.finished);
    EXPECT_EQ(2, rig.amp.Counters().restarts) << "into upgrade mode, then back after the reboot command";
    EXPECT_EQ(nullptr, rig.link.mDspImage);
}

TEST(Upgrade, CombinedFileFlashesItsDspImage) {
    ConnectedRig rig;
    const Bytes mcuImage = Pattern(40, 6), dspImage = Pattern(75, 8);
    const Bytes mcu = Wrapper(1, 94, kHead, mcuImage), dsp = Wrapper(2, 94, kHead, dspImage);
    const std::wstring path = rig.dir.Write(
        L"UPG_FW.bin", Combined('s', 's', {static_cast<uint32_t>(mcu.size()), static_cast<uint32_t>(dsp.size())},
                                {mcu, dsp}));
    ASSERT_EQ(0, rig.link.UpgradeStart(path.c_str(), 0));
    EXPECT_EQ(101, rig.Pump().back());
    EXPECT_TRUE(Of(rig.Requests(), kFlash, 0x02).empty()) << "no erase unless asked";
    EXPECT_TRUE(Of(rig.Requests(), kMcu, 0x03).empty());
    EXPECT_EQ(dspImage, rig.Received(AmpFirmwareTarget::DspFlash).image);
    EXPECT_EQ(nullptr, rig.link.mMcuImage);
}

// A NOT_READY acknowledgement says another one follows: the next chunk waits for the READY.
TEST(Upgrade, NotReadyHoldsBackTheNextChunk) {
    struct Target {
        const wchar_t* name;
        uint8_t cmd, sub;
        AmpFirmwareTarget target;
    } targets[] = {{L"FLASH_UPG.BIN", kFlash, 0x04, AmpFirmwareTarget::DspFlash},
                   {L"MCU_UPG.BIN", kMcu, 0x03, AmpFirmwareTarget::Mcu}};
    for (const Target& t : targets) {
        ConnectedRig rig;
        // The second chunk is answered NOT_READY; its READY comes after two empty reads.
        rig.amp.AddFault({AmpFault::Busy, t.cmd, t.sub, -1, 1, 1, 2});
        const Bytes image = Pattern(128, 1);
        const std::wstring path = rig.dir.Write(t.name, Wrapper(t.cmd == kMcu ? 1 : 2, 94, kHead, image));
        ASSERT_EQ(0, rig.link.UpgradeStart(path.c_str(), 0));
        ASSERT_EQ(101, rig.Pump().back());

        // What was read between the second chunk and the third.
        std::vector<uint8_t> statuses;
        int chunk = 0;
        for (const auto& e : rig.hid.events) {
            if (e.write && RequestOf(e.bytes).sub == t.sub) ++chunk;
            if (!e.write && chunk == 2 && e.bytes[3] == t.cmd && e.bytes[4] == t.sub) statuses.push_back(e.bytes[6]);
        }
        EXPECT_EQ((Bytes{0x60, 0x0A}), statuses) << "NOT_READY, then READY, before the next chunk";
        EXPECT_EQ(image, rig.Received(t.target).image);
        EXPECT_EQ(t.cmd == kMcu ? 4 : 3, static_cast<int>(Of(rig.Requests(), t.cmd, t.sub).size()))
            << "every chunk sent once";
    }
}

// Enter, erase and start must be acknowledged READY; otherwise the start fails with 4, keeps nothing
// and leaves the link idle, and the pump has nothing to wait for.
TEST(Upgrade, UnacknowledgedOrRefusedStartFails) {
    struct StartCase {
        const char* what;
        const wchar_t* name;
        uint8_t erase;
        AmpFault fault;
        uint8_t cmd, sub;
    } cases[] = {
        {"MCU enter silent", L"MCU_UPG.BIN", 0, AmpFault::NoReply, kMcu, 0x01},
        {"MCU enter refused", L"MCU_UPG.BIN", 0, AmpFault::NotReady, kMcu, 0x01},
        {"MCU start silent", L"MCU_UPG.BIN", 0, AmpFault::NoReply, kMcu, 0x02},
        {"MCU start refused", L"MCU_UPG.BIN", 0, AmpFault::NotReady, kMcu, 0x02},
        {"bootloader enter silent", L"BL_UPG.BIN", 0, AmpFault::NoReply, kMcu, 0xA0},
        {"bootloader start silent", L"BL_UPG.BIN", 0, AmpFault::NoReply, kMcu, 0xA1},
        {"bootloader start refused", L"BL_UPG.BIN", 0, AmpFault::NotReady, kMcu, 0xA1},
        {"DSP enter silent", L"FLASH_UPG.BIN", 0, AmpFault::NoReply, kMcu, 0x01},
        {"DSP start silent", L"FLASH_UPG.BIN", 0, AmpFault::NoReply, kFlash, 0x03},
        {"DSP start refused", L"FLASH_UPG.BIN", 0, AmpFault::NotReady, kFlash, 0x03},
        {"erase silent", L"FLASH_UPG.BIN", 1, AmpFault::NoReply, kFlash, 0x02},
        {"erase refused", L"FLASH_UPG.BIN", 1, AmpFault::NotReady, kFlash, 0x02},
    };
    for (const StartCase& c : cases) {
        ConnectedRig rig;
        rig.amp.AddFault({c.fault, c.cmd, c.sub});
        const std::wstring path = rig.dir.Write(c.name, Wrapper(1, 94, kHead, Pattern(100)));
        EXPECT_EQ(UPG_START_FAIL, rig.link.UpgradeStart(path.c_str(), c.erase)) << c.what;
        EXPECT_EQ(UPG_IDLE, rig.link.mUpgState) << c.what;
        EXPECT_EQ(nullptr, rig.link.mMcuImage) << c.what;
        EXPECT_EQ(nullptr, rig.link.mDspImage) << c.what;
        const size_t written = rig.Requests().size();
        EXPECT_EQ(c.cmd, rig.Requests().back().cmd) << c.what << ": nothing is sent after the failed step";
        EXPECT_EQ(c.sub, rig.Requests().back().sub) << c.what;
        EXPECT_EQ(UPG_PROGRESS_FAILED, rig.link.UpgradeProgress()) << c.what;
        EXPECT_EQ(written, rig.Requests().size()) << c.what;
    }
}

TEST(Upgrade, LateEnterAcknowledgementLeavesTheLinkIdle) {
    ConnectedRig rig;
    rig.amp.AddFault({AmpFault::Late, kMcu, 0x01});
    const std::wstring path = rig.dir.Write(L"MCU_UPG.BIN", Wrapper(1, 94, kHead, Pattern(100)));
    EXPECT_EQ(UPG_START_FAIL, rig.link.UpgradeStart(path.c_str(), 0));
    rig.link.Get_Mute();  // its read picks up the acknowledgement that came too late
    EXPECT_EQ(2, rig.amp.Counters().reportsSent);
    EXPECT_EQ(UPG_IDLE, rig.link.mUpgState) << "an idle link must keep following plug events";
}

TEST(Upgrade, DeviceThatDoesNotComeBack) {
    for (int failedOpens : {9, 10}) {
        ConnectedRig rig;
        rig.amp.SetRestartDelay(failedOpens);
        const std::wstring path = rig.dir.Write(L"MCU_UPG.BIN", Wrapper(1, 94, kHead, Pattern(50)));
        const uint32_t before = rig.clock.NowMs();
        const int result = rig.link.UpgradeStart(path.c_str(), 0);
        if (failedOpens == 9) {
            EXPECT_EQ(0, result) << "back on the tenth attempt";
            continue;
        }
        EXPECT_EQ(UPG_CONNECT_FAIL, result);
        EXPECT_GE(rig.clock.NowMs() - before, 8000u + 10 * 500u);
        EXPECT_EQ(10, rig.amp.Counters().failedOpens);
        EXPECT_EQ(UPG_IDLE, rig.link.mUpgState);
        EXPECT_EQ(nullptr, rig.link.mMcuImage);
    }
}

TEST(Upgrade, DeviceLostMidTransferFails) {
    {  // the device vanishes on the second chunk: the reads fail, and the upgrade with them
        ConnectedRig rig;
        rig.amp.AddFault({AmpFault::Vanish, kMcu, 0x03, -1, 1});
        const std::wstring path = rig.dir.Write(L"MCU_UPG.BIN", Wrapper(1, 94, kHead, Pattern(100)));
        ASSERT_EQ(0, rig.link.UpgradeStart(path.c_str(), 0));
        const auto values = rig.Pump(50);
        EXPECT_EQ(255, values.back());
        EXPECT_EQ(1, rig.Received(AmpFirmwareTarget::Mcu).chunksAccepted);
        EXPECT_EQ(UPG_IDLE, rig.link.mUpgState);
        EXPECT_EQ(nullptr, rig.link.mMcuImage);
    }
    {  // unplugged between chunks, and the application closes the link on the plug-out notice
        ConnectedRig rig;
        const std::wstring path = rig.dir.Write(L"FLASH_UPG.BIN", Wrapper(2, 94, kHead, Pattern(200)));
        ASSERT_EQ(0, rig.link.UpgradeStart(path.c_str(), 0));
        for (int i = 0; i < 3; ++i) rig.link.UpgradeProgress();  // send, wait, read the first chunk
        EXPECT_EQ(50, rig.link.UpgradeProgress()) << "the second chunk is on its way";
        rig.amp.Unplug();
        rig.link.CloseHIDDevice(true);
        const auto values = rig.Pump(10);
        EXPECT_EQ(255, values.back());
        EXPECT_LE(values.size(), 3u);
        EXPECT_EQ(nullptr, rig.link.mDspImage);
    }
}

// A chunk that is never acknowledged ends the upgrade after a few full waits; a late acknowledgement
// is waited for without sending anything else.
TEST(Upgrade, SilentAndLateChunkAcknowledgements) {
    {
        ConnectedRig rig;
        rig.amp.AddFault({AmpFault::NoReply, kFlash, 0x04, -1, 1});
        const std::wstring path = rig.dir.Write(L"FLASH_UPG.BIN", Wrapper(2, 94, kHead, Pattern(150)));
        ASSERT_EQ(0, rig.link.UpgradeStart(path.c_str(), 0));
        const auto values = rig.Pump(100);
        EXPECT_EQ(255, values.back());
        EXPECT_EQ((std::vector<int>{33, 66, 255}), Distinct(values));
        EXPECT_EQ(2u, Of(rig.Requests(), kFlash, 0x04).size()) << "the third chunk is never sent";
    }
    {
        ConnectedRig rig;
        rig.amp.AddFault({AmpFault::Late, kFlash, 0x04, -1, 1, 1, 4});
        const std::wstring path = rig.dir.Write(L"FLASH_UPG.BIN", Wrapper(2, 94, kHead, Pattern(150)));
        ASSERT_EQ(0, rig.link.UpgradeStart(path.c_str(), 0));
        EXPECT_EQ((std::vector<int>{33, 66, 100, 101}), Distinct(rig.Pump()));
        EXPECT_EQ(Pattern(150), rig.Received(AmpFirmwareTarget::DspFlash).image);
    }
}

// A window's poll on another thread may read, and so decode, a chunk's acknowledgement before the pump
// does; the pump then goes on instead of waiting for an acknowledgement that has already come.
TEST(Upgrade, ChunkAcknowledgementTakenByAnotherRead) {
    ConnectedRig rig;
    const std::wstring path = rig.dir.Write(L"FLASH_UPG.BIN", Wrapper(2, 94, kHead, Pattern(150)));
    ASSERT_EQ(0, rig.link.UpgradeStart(path.c_str(), 0));
    EXPECT_EQ(33, rig.link.UpgradeProgress());       // the first chunk goes out
    rig.amp.AddFault({AmpFault::NoReply, 1, 0x04});  // the poll's own reply never comes
    rig.link.Get_Mute();                             // its read takes the chunk's acknowledgement
    EXPECT_EQ(UPG_READY_FOR_DATA, rig.link.mUpgState);
    EXPECT_EQ((std::vector<int>{33, 66, 100, 101}), Distinct(rig.Pump()));
    EXPECT_EQ(Pattern(150), rig.Received(AmpFirmwareTarget::DspFlash).image);
}

// The application's built-in images come from its resources and go through a temporary file; this one
// is embedded in the test program and written under a name outside the ANSI code page.
TEST(Upgrade, ImageFromTheResourcesThroughATemporaryFile) {
    HRSRC found = FindResourceW(nullptr, L"IDR_TEST_MCU_BIN", L"BIN");
    ASSERT_NE(nullptr, found);
    HGLOBAL loaded = LoadResource(nullptr, found);
    ASSERT_NE(nullptr, loaded);
    const auto* data = static_cast<const uint8_t*>(LockResource(loaded));
    const Bytes resource(data, data + SizeofResource(nullptr, found));
    Bytes image(40);
    for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(5 * i + 3);
    ASSERT_EQ(Wrapper(1, 94, {0xA1, 0xB2, 0xC3, 0xD4}, image, {0x11, 0x22, 0x33, 0x44}), resource);

    ConnectedRig rig;
    const std::wstring path = rig.dir.Write(L"\x0444\x0430\x0439\x043b_MCU_UPG.bin", resource);
    ASSERT_EQ(0, rig.link.UpgradeStart(path.c_str(), 0));
    EXPECT_EQ(101, rig.Pump().back());
    const AmpUpgradeRecord mcu = rig.Received(AmpFirmwareTarget::Mcu);
    EXPECT_EQ(Padded(image, 64), mcu.image);
    EXPECT_EQ((Bytes{0xA1, 0xB2, 0xC3, 0xD4}), Bytes(mcu.head, mcu.head + 4));
}

}  // namespace
