// Whole firmware upgrades driven with raw frames in the host's order: enter, restart and re-enumeration,
// start, chunks, finish, reboot; refused, delayed and lost chunks; the image reassembled byte for byte.
#include "EmulatorTestSupport.h"

#include <gtest/gtest.h>

namespace {

constexpr uint8_t kFlash = 2, kMcu = 3;
const Bytes kHead{0x12, 0x34, 0x56, 0x78};

Bytes Ack(uint8_t type, uint8_t sub, uint8_t status = 0x0A) { return ReplyReport(type, {sub, 0xEE, status}); }

Bytes Image(size_t size) {
    Bytes image(size);
    for (size_t i = 0; i < size; ++i) image[i] = static_cast<uint8_t>(i * 7 + 1);
    return image;
}

Bytes Be32(uint32_t v) {
    return {static_cast<uint8_t>(v >> 24), static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)};
}

// MCU chunks: offset, then 32 bytes, zero-padded.
Bytes McuChunk(const Bytes& image, size_t offset, size_t n) {
    Bytes payload = Be32(static_cast<uint32_t>(offset));
    payload.insert(payload.end(), image.begin() + offset, image.begin() + offset + n);
    payload.resize(36, 0);
    return payload;
}

// DSP chunks: offset, length, the bytes.
Bytes DspChunk(const Bytes& image, size_t offset, size_t n) {
    Bytes payload = Be32(static_cast<uint32_t>(offset));
    payload.push_back(static_cast<uint8_t>(n));
    payload.insert(payload.end(), image.begin() + offset, image.begin() + offset + n);
    return payload;
}

AmpUpgradeRecord Record(const AmpEmulator& amp, AmpFirmwareTarget target) {
    return amp.State().upgrades[static_cast<int>(target)];
}

// Enters upgrade mode from the normal firmware: acknowledged, then the device restarts.
void EnterUpgradeMode(AmpEmulator& amp, RawHost& host) {
    EXPECT_EQ(ReportOf({0xAA, 0x55, 0x04, 0x03, 0x01, 0xEE, 0x0A, 0x00}), host.Set(kMcu, 0x01));
    EXPECT_FALSE(amp.IsPresent());
    EXPECT_EQ(-1, host.Send(kMcu, 0x08, 0xBB));
    ASSERT_TRUE(host.Open());
    EXPECT_EQ(AmpMode::Upgrade, amp.State().mode);
}

TEST(Upgrade, McuImageFromTheEndTowardsOffsetZero) {
    AmpEmulator amp;
    amp.SetRestartDelay(2);
    RawHost host(amp);
    EXPECT_EQ(ReplyReport(kMcu, {0x08, 0xDD, 0, 94, 1, 19}), host.Set(kMcu, 0x08));
    EXPECT_EQ(Ack(kMcu, 0x01), host.Set(kMcu, 0x01));
    EXPECT_FALSE(host.Open());  // re-enumeration takes two more attempts
    EXPECT_FALSE(host.Open());
    ASSERT_TRUE(host.Open());
    EXPECT_EQ(ReplyReport(kMcu, {0x93, 0xDD}), host.Set(kMcu, 0x08));  // upgrade mode answers with a ping

    const Bytes image = Image(70);
    EXPECT_EQ(Ack(kMcu, 0x02), host.Set(kMcu, 0x02, kHead));
    EXPECT_EQ(Ack(kMcu, 0x03), host.Set(kMcu, 0x03, McuChunk(image, 64, 6)));
    EXPECT_EQ(Ack(kMcu, 0x03), host.Set(kMcu, 0x03, McuChunk(image, 32, 32)));
    EXPECT_EQ(Ack(kMcu, 0x03), host.Set(kMcu, 0x03, McuChunk(image, 0, 32)));
    EXPECT_EQ(65, host.Send(kMcu, 0x04, 0xBB));  // finish: no reply, restart into the normal firmware
    EXPECT_EQ(0, amp.PendingReports());
    EXPECT_FALSE(amp.IsPresent());

    const AmpUpgradeRecord mcu = Record(amp, AmpFirmwareTarget::Mcu);
    Bytes padded = image;
    padded.resize(96, 0);
    EXPECT_EQ(padded, mcu.image);
    EXPECT_EQ(kHead, Bytes(mcu.head, mcu.head + 4));
    EXPECT_TRUE(mcu.started && mcu.finished);
    EXPECT_EQ(3, mcu.chunksAccepted);
    EXPECT_EQ(2, amp.Counters().restarts);

    EXPECT_FALSE(host.Open());
    EXPECT_FALSE(host.Open());
    ASSERT_TRUE(host.Open());
    EXPECT_EQ(ReplyReport(kMcu, {0x08, 0xDD, 0, 94, 1, 19}), host.Set(kMcu, 0x08));
}

TEST(Upgrade, BootloaderStaysOnTheBus) {
    AmpEmulator amp;
    RawHost host(amp);
    EXPECT_EQ(Ack(kMcu, 0xA0), host.Set(kMcu, 0xA0));
    EXPECT_EQ(AmpMode::Bootloader, amp.State().mode);
    EXPECT_EQ(Ack(kMcu, 0x02, 0x60), host.Set(kMcu, 0x02, kHead));  // the MCU start belongs to upgrade mode
    EXPECT_EQ(Ack(kMcu, 0xA1), host.Set(kMcu, 0xA1, kHead));
    const Bytes image = Image(40);
    EXPECT_EQ(Ack(kMcu, 0xA2), host.Set(kMcu, 0xA2, McuChunk(image, 32, 8)));
    EXPECT_EQ(Ack(kMcu, 0x03, 0x60), host.Set(kMcu, 0x03, McuChunk(image, 0, 32)));
    EXPECT_EQ(Ack(kMcu, 0xA2), host.Set(kMcu, 0xA2, McuChunk(image, 0, 32)));
    EXPECT_EQ(65, host.Send(kMcu, 0xA3, 0xBB));
    EXPECT_TRUE(host.Read().empty());
    EXPECT_EQ(AmpMode::Normal, amp.State().mode);
    EXPECT_EQ(0, amp.Counters().restarts);
    Bytes padded = image;
    padded.resize(64, 0);
    EXPECT_EQ(padded, Record(amp, AmpFirmwareTarget::Bootloader).image);
    EXPECT_EQ(ReplyReport(kMcu, {0x08, 0xDD, 0, 94, 1, 19}), host.Set(kMcu, 0x08));
}

TEST(Upgrade, DspFlashWithEraseFinishAndReboot) {
    AmpEmulator amp;
    RawHost host(amp);
    EXPECT_EQ(Ack(kFlash, 0x02), host.Set(kFlash, 0x02));
    EXPECT_EQ(Ack(kFlash, 0x03, 0x60), host.Set(kFlash, 0x03, kHead));  // not yet in upgrade mode
    EnterUpgradeMode(amp, host);
    EXPECT_EQ(Ack(kMcu, 0x01), host.Set(kMcu, 0x01));  // already there: no second restart
    EXPECT_TRUE(amp.IsPresent());

    const Bytes image = Image(120);
    EXPECT_EQ(Ack(kFlash, 0x03), host.Set(kFlash, 0x03, kHead));
    for (size_t offset : {0, 50, 100})
        EXPECT_EQ(Ack(kFlash, 0x04), host.Set(kFlash, 0x04, DspChunk(image, offset, offset == 100 ? 20 : 50)));
    EXPECT_EQ(65, host.Send(kFlash, 0x05, 0xBB));
    EXPECT_TRUE(host.Read().empty());
    EXPECT_EQ(ReportOf({0xAA, 0x55, 0x04, 0x03, 0x8F, 0xEE, 0x0A, 0x72}), host.Set(kMcu, 0x8F));
    EXPECT_FALSE(amp.IsPresent());

    const AmpUpgradeRecord dsp = Record(amp, AmpFirmwareTarget::DspFlash);
    EXPECT_EQ(image, dsp.image);
    EXPECT_TRUE(dsp.erased && dsp.started && dsp.finished);
    ASSERT_TRUE(host.Open());
    EXPECT_EQ(AmpMode::Normal, amp.State().mode);
}

TEST(Upgrade, RefusedAndDelayedChunksWithNotReady) {
    AmpEmulator amp;
    amp.AddFault({AmpFault::NotReady, kFlash, 0x04, -1, 1});  // the second chunk request is refused
    amp.AddFault({AmpFault::Busy, kFlash, 0x04, -1, 2});      // its repetition is answered late
    amp.EditState([](AmpState& s) { s.mode = AmpMode::Upgrade; });
    RawHost host(amp);
    const Bytes image = Image(120);
    host.Set(kFlash, 0x03, kHead);
    EXPECT_EQ(Ack(kFlash, 0x04), host.Set(kFlash, 0x04, DspChunk(image, 0, 50)));
    EXPECT_EQ(Ack(kFlash, 0x04, 0x60), host.Set(kFlash, 0x04, DspChunk(image, 50, 50)));
    EXPECT_EQ(50u, Record(amp, AmpFirmwareTarget::DspFlash).image.size());
    EXPECT_EQ(Ack(kFlash, 0x04, 0x60), host.Set(kFlash, 0x04, DspChunk(image, 50, 50)));
    EXPECT_EQ(Ack(kFlash, 0x04), host.Read());
    EXPECT_EQ(Ack(kFlash, 0x04), host.Set(kFlash, 0x04, DspChunk(image, 100, 20)));
    EXPECT_EQ(image, Record(amp, AmpFirmwareTarget::DspFlash).image);
}

TEST(Upgrade, DeviceVanishesMidTransfer) {
    AmpEmulator amp;
    amp.AddFault({AmpFault::Vanish, kMcu, 0x03, -1, 1});
    amp.EditState([](AmpState& s) { s.mode = AmpMode::Upgrade; });
    RawHost host(amp);
    const Bytes image = Image(64);
    host.Set(kMcu, 0x02, kHead);
    EXPECT_EQ(Ack(kMcu, 0x03), host.Set(kMcu, 0x03, McuChunk(image, 32, 32)));
    EXPECT_TRUE(host.Set(kMcu, 0x03, McuChunk(image, 0, 32)).empty());
    EXPECT_EQ(-1, host.LastRead());
    EXPECT_FALSE(host.Open());
    EXPECT_EQ(1, Record(amp, AmpFirmwareTarget::Mcu).chunksAccepted);

    amp.Replug();  // it comes back still in upgrade mode and takes a fresh start
    ASSERT_TRUE(host.Open());
    EXPECT_EQ(Ack(kMcu, 0x02), host.Set(kMcu, 0x02, kHead));
    EXPECT_TRUE(Record(amp, AmpFirmwareTarget::Mcu).image.empty());
}

TEST(Upgrade, MalformedOrUnstartedChunksAreRefused) {
    AmpEmulator amp;
    amp.EditState([](AmpState& s) { s.mode = AmpMode::Upgrade; });
    amp.AddFault({AmpFault::NoReply, kMcu, 0x02});
    RawHost host(amp);
    const Bytes image = Image(60);
    EXPECT_EQ(Ack(kMcu, 0x03, 0x60), host.Set(kMcu, 0x03, McuChunk(image, 0, 32)));
    EXPECT_TRUE(host.Set(kMcu, 0x02, kHead).empty());  // a silent start still starts
    EXPECT_TRUE(Record(amp, AmpFirmwareTarget::Mcu).started);
    Bytes shortChunk = McuChunk(image, 0, 32);
    shortChunk.resize(20);
    EXPECT_EQ(Ack(kMcu, 0x03, 0x60), host.Set(kMcu, 0x03, shortChunk));

    host.Set(kFlash, 0x03, kHead);
    Bytes tooLong = DspChunk(Image(51), 0, 51);
    EXPECT_EQ(Ack(kFlash, 0x04, 0x60), host.Set(kFlash, 0x04, tooLong));
    Bytes wrongLength = DspChunk(image, 0, 10);
    wrongLength[4] = 11;
    EXPECT_EQ(Ack(kFlash, 0x04, 0x60), host.Set(kFlash, 0x04, wrongLength));
    Bytes beyondTheLimit = DspChunk(image, 0, 10);
    beyondTheLimit[0] = beyondTheLimit[1] = beyondTheLimit[2] = 0xFF;  // offset 0xFFFFFF00
    EXPECT_EQ(Ack(kFlash, 0x04, 0x60), host.Set(kFlash, 0x04, beyondTheLimit));
    EXPECT_EQ(0, Record(amp, AmpFirmwareTarget::DspFlash).chunksAccepted);
}

}  // namespace
