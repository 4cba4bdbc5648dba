// Firmware image files: single wrappers for the MCU, bootloader and DSP, combined files, every result code,
// hostile sizes, wide file names, and the choice of reader by file name.
#include "FirmwareTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

const Bytes kHead{0x10, 0x20, 0x30, 0x40};

Bytes ImageOf(const uint8_t* image, uint32_t size) { return image ? Bytes(image, image + size) : Bytes(); }

struct FileCase {
    const char* what;
    Bytes file;
    int expected;
};

// After any failure nothing of the file is kept and the link is idle again (plug events count).
void ExpectNothingKept(const DeviceLink& link, const char* what) {
    EXPECT_EQ(nullptr, link.mMcuImage) << what;
    EXPECT_EQ(nullptr, link.mDspImage) << what;
    EXPECT_EQ(nullptr, link.mergedFW) << what;
    EXPECT_EQ(UPG_IDLE, link.mUpgState) << what;
}

TEST(FirmwareFiles, McuWrapperResultCodes) {
    UpgradeRig rig;
    const Bytes image = Pattern(70);
    Bytes badSum = Wrapper(1, 94, kHead, image);
    ++badSum.back();
    Bytes exactLimit = Wrapper(1, 94, kHead, Pattern(0x100000 - 14));
    Bytes overLimit = Wrapper(1, 94, kHead, Pattern(0x100000 - 13));
    Bytes thirteen = Wrapper(1, 94, kHead, {});
    thirteen.pop_back();
    const FileCase cases[] = {
        {"valid", Wrapper(1, 94, kHead, image), UPG_FILE_VALID},
        {"model 95", Wrapper(1, 95, kHead, image), UPG_FILE_INVALID},
        {"DSP type", Wrapper(2, 94, kHead, image), UPG_FILE_INVALID},
        {"checksum one off", badSum, UPG_FILE_INVALID},
        {"empty file", {}, UPG_FILE_INVALID},
        {"13 bytes", thirteen, UPG_FILE_INVALID},
        {"14 bytes: no image", Wrapper(1, 94, kHead, {}), UPG_FILE_INVALID},
        {"15 bytes: one image byte", Wrapper(1, 94, kHead, {0x5A}), UPG_FILE_VALID},
        {"exactly 1 MiB", exactLimit, UPG_FILE_VALID},
        {"1 MiB and a byte", overLimit, UPG_FILE_INVALID},
    };
    for (const FileCase& c : cases) {
        const std::wstring path = rig.dir.Write(L"KTR3.500DSP_MCU_UPG.bin", c.file);
        EXPECT_EQ(c.expected, rig.link.MCUUpgParsingFile(path.c_str())) << c.what;
        EXPECT_EQ(UPG_DEVICE_MCU, rig.link.upg_device) << c.what;
        if (c.expected != UPG_FILE_VALID) {
            ExpectNothingKept(rig.link, c.what);
            continue;
        }
        const Bytes kept(c.file.begin() + 6, c.file.end() - 8);
        EXPECT_EQ(kept, ImageOf(rig.link.mMcuImage, rig.link.mMcuImageSize)) << c.what;
        EXPECT_EQ(rig.link.mMcuImageSize, rig.link.mMcuRemaining) << c.what;
        EXPECT_EQ(0, std::memcmp(kHead.data(), rig.link.mMcuHead, 4)) << c.what;
        EXPECT_EQ(UPG_PARSING, rig.link.mUpgState) << c.what;
    }

    const std::wstring otherModel = rig.dir.Write(L"BL_UPG.BIN", Wrapper(1, 95, kHead, image));
    rig.link.SetNoCheckID(1);
    EXPECT_EQ(UPG_FILE_VALID, rig.link.MCUUpgBLParsingFile(otherModel.c_str())) << "the model check is off";
    EXPECT_EQ(UPG_DEVICE_BL, rig.link.upg_device);
    const std::wstring dspType = rig.dir.Write(L"BL_UPG2.BIN", Wrapper(2, 95, kHead, image));
    EXPECT_EQ(UPG_FILE_INVALID, rig.link.MCUUpgBLParsingFile(dspType.c_str())) << "the type is still checked";
    rig.link.SetNoCheckID(0);

    EXPECT_EQ(UPG_FILE_OPEN_FAIL, rig.link.MCUUpgParsingFile(rig.dir.PathOf(L"missing_MCU_UPG.bin").c_str()));
    ExpectNothingKept(rig.link, "missing");
    rig.link.CloseHIDDevice(false);
    EXPECT_EQ(UPG_CONNECT_FAIL, rig.link.MCUUpgParsingFile(otherModel.c_str()));
    EXPECT_EQ(UPG_CONNECT_FAIL, rig.link.MCUUpgBLParsingFile(otherModel.c_str()));
    ExpectNothingKept(rig.link, "not connected");
}

TEST(FirmwareFiles, DspWrapperResultCodes) {
    UpgradeRig rig;
    const Bytes image = Pattern(120, 3);
    Bytes badSum = Wrapper(7, 94, kHead, image);
    badSum[50] ^= 0x01;
    const FileCase cases[] = {
        {"any type byte", Wrapper(7, 94, kHead, image), UPG_FILE_VALID},
        {"model 95", Wrapper(2, 95, kHead, image), UPG_FILE_INVALID},
        {"an image byte changed", badSum, UPG_FILE_INVALID},
        {"14 bytes: no image", Wrapper(2, 94, kHead, {}), UPG_FILE_INVALID},
        {"1 MiB and a byte", Wrapper(2, 94, kHead, Pattern(0x100000 - 13)), UPG_FILE_INVALID},
    };
    for (const FileCase& c : cases) {
        const std::wstring path = rig.dir.Write(L"KTR3.500DSP_FLASH_UPG.bin", c.file);
        EXPECT_EQ(c.expected, rig.link.FlashUpgParsingFile(path.c_str())) << c.what;
        if (c.expected != UPG_FILE_VALID) {
            ExpectNothingKept(rig.link, c.what);
            continue;
        }
        EXPECT_EQ(image, ImageOf(rig.link.mDspImage, rig.link.mDspImageSize)) << c.what;
        EXPECT_EQ(0, std::memcmp(kHead.data(), rig.link.mDspHead, 4)) << c.what;
        EXPECT_EQ(UPG_DEVICE_FLASH, rig.link.upg_device) << c.what;
        EXPECT_EQ(UPG_START, rig.link.mUpgState) << c.what;
    }
    EXPECT_EQ(UPG_FILE_OPEN_FAIL, rig.link.FlashUpgParsingFile(rig.dir.PathOf(L"none_FLASH_UPG.bin").c_str()));
    ExpectNothingKept(rig.link, "missing");
    rig.link.CloseHIDDevice(false);
    const std::wstring valid = rig.dir.Write(L"FLASH_UPG.BIN", Wrapper(2, 94, kHead, image));
    EXPECT_EQ(UPG_CONNECT_FAIL, rig.link.FlashUpgParsingFile(valid.c_str()));
    ExpectNothingKept(rig.link, "not connected");
}

TEST(FirmwareFiles, CombinedFileResultCodes) {
    UpgradeRig rig;
    const Bytes mcuImage = Pattern(40, 5), dspImage = Pattern(60, 9);
    const Bytes mcuHead{1, 2, 3, 4}, dspHead{5, 6, 7, 8};
    const Bytes mcu = Wrapper(1, 94, mcuHead, mcuImage), dsp = Wrapper(2, 94, dspHead, dspImage);
    const uint32_t m = static_cast<uint32_t>(mcu.size()), d = static_cast<uint32_t>(dsp.size());
    Bytes dspBadSum = dsp;
    dspBadSum.back() ^= 0x80;
    const FileCase cases[] = {
        {"valid", Combined('s', 'x', {m, d}, {mcu, dsp}), UPG_FILE_VALID},
        {"mark in the second head byte", Combined('x', 's', {m, d}, {mcu, dsp}), UPG_FILE_VALID},
        {"a third size that is never read", Combined('s', 0, {m, d, 0xFFFFFFFF}, {mcu, dsp}), UPG_FILE_VALID},
        {"no mark", Combined('x', 'y', {m, d}, {mcu, dsp}), UPG_FILE_INVALID},
        {"one image only", Combined('s', 's', {m}, {mcu, dsp}), UPG_FILE_INVALID},
        {"six images", Combined('s', 's', {m, d, 1, 1, 1, 1}, {mcu, dsp}), UPG_FILE_INVALID},
        {"DSP size past the end", Combined('s', 's', {m, d + 1}, {mcu, dsp}), UPG_FILE_INVALID},
        {"sizes that wrap", Combined('s', 's', {m, 0xFFFFFFFF - m + 2}, {mcu, dsp}), UPG_FILE_INVALID},
        {"MCU wrapper without an image", Combined('s', 's', {14, d}, {Wrapper(1, 94, mcuHead, {}), dsp}),
         UPG_FILE_INVALID},
        {"header cut short", Bytes{'s', 's', 2, 0, 0}, UPG_FILE_INVALID},
        {"two bytes", Bytes{'s', 's'}, UPG_FILE_INVALID},
        {"MCU image typed DSP", Combined('s', 's', {m, d}, {Wrapper(2, 94, mcuHead, mcuImage), dsp}), UPG_FILE_INVALID},
        {"DSP image typed MCU", Combined('s', 's', {m, d}, {mcu, Wrapper(1, 94, dspHead, dspImage)}), UPG_FILE_INVALID},
        {"DSP model 95", Combined('s', 's', {m, d}, {mcu, Wrapper(2, 95, dspHead, dspImage)}), UPG_FILE_INVALID},
        {"DSP checksum", Combined('s', 's', {m, d}, {mcu, dspBadSum}), UPG_FILE_INVALID},
        {"over 2 MiB", Combined('s', 's', {m, d}, {mcu, dsp, Pattern(0x200000)}), UPG_FILE_INVALID},
    };
    for (const FileCase& c : cases) {
        rig.link.upg_device = 0;
        const std::wstring path = rig.dir.Write(L"UPG_FW.bin", c.file);
        EXPECT_EQ(c.expected, rig.link.ParsingUpgFWFile(path.c_str())) << c.what;
        EXPECT_EQ(nullptr, rig.link.mergedFW) << c.what;
        if (c.expected != UPG_FILE_VALID) {
            ExpectNothingKept(rig.link, c.what);
            EXPECT_EQ(0, rig.link.upg_device) << c.what;
            continue;
        }
        EXPECT_EQ(UPG_DEVICE_FLASH, rig.link.upg_device) << c.what;
        EXPECT_EQ(dspImage, ImageOf(rig.link.mDspImage, rig.link.mDspImageSize)) << c.what;
        EXPECT_EQ(mcuImage, ImageOf(rig.link.mMcuImage, rig.link.mMcuImageSize)) << c.what;
        EXPECT_EQ(0, std::memcmp(dspHead.data(), rig.link.mDspHead, 4)) << c.what;
        EXPECT_EQ(0, std::memcmp(mcuHead.data(), rig.link.mMcuHead, 4)) << c.what;
    }
    EXPECT_EQ(UPG_FILE_INVALID, rig.link.ParsingUpgFWFile(rig.dir.PathOf(L"gone_UPG_FW.bin").c_str()))
        << "a combined file that cannot be opened counts as invalid";
}

TEST(FirmwareFiles, NamesOutsideTheAnsiCodePageOpen) {
    UpgradeRig rig;
    const std::wstring name = L"\x043f\x0440\x043e\x0448\x0438\x0432\x043a\x0430_MCU_UPG.bin";
    BOOL lost = FALSE;
    char narrow[MAX_PATH];
    WideCharToMultiByte(CP_ACP, 0, name.c_str(), -1, narrow, MAX_PATH, nullptr, &lost);
    ASSERT_TRUE(lost) << "the name must not survive narrowing, or this test proves nothing";
    const std::wstring path = rig.dir.Write(name, Wrapper(1, 94, kHead, Pattern(33)));
    EXPECT_EQ(UPG_FILE_VALID, rig.link.MCUUpgParsingFile(path.c_str()));
    EXPECT_EQ(33u, rig.link.mMcuImageSize);
}

// The reader follows the file name, in any letter case; names without an image pattern start nothing.
TEST(FirmwareFiles, UpgradeStartChoosesTheReaderByName) {
    const Bytes dspTyped = Wrapper(7, 94, kHead, Pattern(30));  // valid only for the DSP reader
    const Bytes combined =
        Combined('s', 's', {44, 44}, {Wrapper(1, 94, kHead, Pattern(30)), Wrapper(2, 94, kHead, Pattern(30))});
    struct NameCase {
        const wchar_t* name;
        const Bytes* file;
        int expected;
        uint8_t device;
    } cases[] = {
        {L"x_mcu_upg.bin", &dspTyped, UPG_FILE_INVALID, 0},
        {L"my_Flash_Upg.Bin", &dspTyped, 0, UPG_DEVICE_FLASH},
        {L"upg_fw.BIN", &combined, 0, UPG_DEVICE_FLASH},
        {L"notes.txt", &dspTyped, UPG_FILE_INVALID, 0},
        {L"x_download.bat", &dspTyped, UPG_FILE_INVALID, 0},
    };
    for (const NameCase& c : cases) {
        UpgradeRig rig;
        rig.amp.EditState([](AmpState& s) { s.mode = AmpMode::Upgrade; });  // no restart needed
        const std::wstring path = rig.dir.Write(c.name, *c.file);
        EXPECT_EQ(c.expected, rig.link.UpgradeStart(path.c_str(), 0)) << c.name;
        if (c.expected != 0) {
            ExpectNothingKept(rig.link, "refused name or file");
            EXPECT_EQ(UPG_PROGRESS_FAILED, rig.link.UpgradeProgress()) << "no upgrade runs";
            continue;
        }
        EXPECT_EQ(c.device, rig.link.upg_device) << c.name;
        EXPECT_EQ(UPG_READY_FOR_DATA, rig.link.mUpgState) << c.name;
    }
}

}  // namespace
