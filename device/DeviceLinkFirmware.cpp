// DeviceLink firmware image files. A single image comes in a wrapper
//   FW_ID, FW_MODEL_ID, HEAD[4], image[N], tail[4], checksum (big-endian u32 sum of every byte before it),
// and a combined file holds two head bytes, an image count, one big-endian wrapper size per image, then an
// MCU wrapper and a DSP wrapper. Files are checked whole before anything is kept, so a bad file leaves no
// image behind and the upgrade state idle.
#include "device/DeviceLink.h"

#include "base/Log.h"

#include <cstdlib>
#include <cstring>

namespace {

constexpr size_t kWrapperOverhead = 14;                     // id, model, HEAD, tail and checksum
constexpr size_t kMinWrapperSize = kWrapperOverhead + 1;    // an image of at least one byte
constexpr uint8_t kMcuImageId = 1;
constexpr uint8_t kDspImageId = 2;
constexpr uint8_t kCombinedMark = 's';
constexpr size_t kCombinedHeader = 3;  // two head bytes and the image count
constexpr int kMinCombinedImages = 2;
constexpr int kMaxCombinedImages = 5;

uint32_t BigEndian32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 | static_cast<uint32_t>(p[2]) << 8 |
           p[3];
}

// One wrapper inside a buffer of at least kMinWrapperSize bytes.
struct Wrapper {
    uint8_t id;
    uint8_t model;
    const uint8_t* head;
    const uint8_t* image;
    size_t imageSize;
    const uint8_t* tail;
    uint32_t sum;       // computed over everything before the checksum
    uint32_t checksum;  // as stored

    Wrapper(const uint8_t* bytes, size_t size)
        : id(bytes[0]),
          model(bytes[1]),
          head(bytes + 2),
          image(bytes + 6),
          imageSize(size - kWrapperOverhead),
          tail(bytes + size - 8),
          sum(0),
          checksum(BigEndian32(bytes + size - 4)) {
        for (size_t i = 0; i + 4 < size; ++i) sum += bytes[i];
    }
    bool SumsAgree() const { return sum == checksum; }
};

int Invalid(const char* operation, int line) {
    LogPrintA("return UPG_FILE_INVALID %s %d\n", operation, line);
    return UPG_FILE_INVALID;
}

// A heap copy of the image bytes for the destructor to free(); null when memory is short.
uint8_t* CopyImage(const Wrapper& w) {
    auto* copy = static_cast<uint8_t*>(malloc(w.imageSize));
    if (copy != nullptr) std::memcpy(copy, w.image, w.imageSize);
    return copy;
}

void LogHead(const uint8_t* head) {
    LogPrintA("HEAD[0]=0x%x, HEAD[1]=0x%x, HEAD[2]=0x%x, HEAD[3]=0x%x\n", head[0], head[1], head[2], head[3]);
}

}  // namespace

int DeviceLink::ReadFirmwareFile(const wchar_t* path, long maxBytes, uint8_t*& bytes, size_t& size) {
    bytes = nullptr;
    size = 0;
    mFwFile = path != nullptr ? _wfopen(path, L"rb") : nullptr;
    if (mFwFile == nullptr) return UPG_FILE_OPEN_FAIL;
    int result = UPG_FILE_INVALID;
    long length = -1;
    if (fseek(mFwFile, 0, SEEK_END) == 0) length = ftell(mFwFile);
    if (length >= 0 && length <= maxBytes && fseek(mFwFile, 0, SEEK_SET) == 0) {
        size = static_cast<size_t>(length);
        bytes = static_cast<uint8_t*>(malloc(size > 0 ? size : 1));
        if (bytes != nullptr && fread(bytes, 1, size, mFwFile) == size) {
            result = UPG_FILE_VALID;
        } else {
            free(bytes);
            bytes = nullptr;
        }
    }
    fclose(mFwFile);
    mFwFile = nullptr;
    return result;
}

void DeviceLink::FreeFirmwareImages() {
    free(mMcuImage);
    free(mDspImage);
    free(mergedFW);
    mMcuImage = mDspImage = mergedFW = nullptr;
    mMcuImageSize = mMcuRemaining = mDspImageSize = mDspSent = 0;
}

int DeviceLink::CopyFileToBuffer(const wchar_t* path) {
    LogPrintW(L"CopyFileToBuffer\n");
    FreeFirmwareImages();  // a new file replaces whatever was loaded, and a bad one leaves nothing
    uint8_t* file = nullptr;
    size_t size = 0;
    const int read = ReadFirmwareFile(path, kMaxSingleImageFile, file, size);
    if (read == UPG_FILE_OPEN_FAIL) return read;
    LogPrintW(L"Open file %ls success!\n", path);
    if (read != UPG_FILE_VALID || size < kMinWrapperSize) {
        free(file);
        return Invalid("CopyFileToBuffer", __LINE__);
    }

    const Wrapper w(file, size);
    FW_ID = w.id;
    FW_MODEL_ID = w.model;
    std::memcpy(mMcuHead, w.head, sizeof mMcuHead);
    LogPrintW(L"cal MCU encrypt_checksum=0x%x!\n", w.sum);
    LogPrintW(L"encrypt_checksum=0x%x!\n", w.checksum);
    bool valid;
    if (noCheckID == 1) {
        LogPrintW(L"noCheckID=true, FW_ID=0x%x\n", FW_ID);
        valid = FW_ID == kMcuImageId && w.SumsAgree();
    } else {
        LogPrintW(L"noCheckID=false, FW_ID=0x%x, FW_MODEL_ID=0x%x, pc_model_id=0x%x\n", FW_ID, FW_MODEL_ID,
                  pc_model_id);
        valid = FW_ID == kMcuImageId && FW_MODEL_ID == pc_model_id && w.SumsAgree();
    }
    uint8_t* image = valid ? CopyImage(w) : nullptr;
    free(file);
    if (image == nullptr) return Invalid("CopyFileToBuffer", __LINE__);

    mMcuImage = image;
    mMcuImageSize = mMcuRemaining = static_cast<uint32_t>(w.imageSize);
    LogPrintW(L"UPG_FILE_VALID\n");
    return UPG_FILE_VALID;
}

int DeviceLink::MCUUpgParsingFile(const wchar_t* path) {
    return ParseMcuImageFile(path, UPG_DEVICE_MCU, L"MCUUpgParsingFile", L"MCUUpgParsingFile");
}

int DeviceLink::MCUUpgBLParsingFile(const wchar_t* path) {
    return ParseMcuImageFile(path, UPG_DEVICE_BL, L"MCUUpgBLParsingFile", L"CopyFileToBuffer");
}

int DeviceLink::ParseMcuImageFile(const wchar_t* path, uint8_t device, const wchar_t* name, const wchar_t* failedIn) {
    LogPrintW(L"%ls!\n", name);
    upg_device = device;
    mUpgState = UPG_PARSING;
    if (!IsConnected()) {
        LogPrintW(L"%ls return UPG_CONNECT_FAIL!\n", name);
        mUpgState = UPG_IDLE;  // an idle state lets the application follow plug events again
        return UPG_CONNECT_FAIL;
    }
    const int result = CopyFileToBuffer(path);
    if (result != UPG_FILE_VALID) {
        LogPrintW(L"%ls return as failed in %ls!\n", name, failedIn);
        mUpgState = UPG_IDLE;
        return result;
    }
    LogPrintW(L"%ls return  ok!\n", name);
    return UPG_FILE_VALID;
}

int DeviceLink::FlashUpgParsingFile(const wchar_t* path) {
    LogPrintW(L"FlashUpgParsingFile!\n");
    if (!IsConnected()) {
        LogPrintW(L"FlashUpgParsingFile return USB disconnected!\n");
        return UPG_CONNECT_FAIL;
    }
    upg_device = UPG_DEVICE_FLASH;
    mUpgState = UPG_START;
    FreeFirmwareImages();

    uint8_t* file = nullptr;
    size_t size = 0;
    const int read = ReadFirmwareFile(path, kMaxSingleImageFile, file, size);
    if (read == UPG_FILE_OPEN_FAIL) {
        LogPrintW(L"Error: Open file %ls error!\n", path);
        mUpgState = UPG_IDLE;
        return read;
    }
    LogPrintW(L"Open file %ls success!\n", path);
    if (read != UPG_FILE_VALID || size < kMinWrapperSize) {
        free(file);
        mUpgState = UPG_IDLE;
        return Invalid("FlashUpgParsingFile", __LINE__);
    }
    {
        std::lock_guard<std::recursive_mutex> lock(mExchangeLock);
        ResetReceiveState();
    }
    LogPrintW(L"%ls file size is %ld\n", path, static_cast<long>(size));

    const Wrapper w(file, size);
    FW_ID = w.id;
    FW_MODEL_ID = w.model;
    std::memcpy(mDspHead, w.head, sizeof mDspHead);
    LogPrintW(L"cal FLASH checksum=0x%x!\n", w.sum);
    LogPrintW(L"encrypt_checksum=0x%x!\n", w.checksum);
    // The DSP image's type byte is not looked at: images in the field carry other values.
    const bool valid = w.SumsAgree() && (noCheckID == 1 || FW_MODEL_ID == pc_model_id);
    uint8_t* image = valid ? CopyImage(w) : nullptr;
    free(file);
    if (image == nullptr) {
        mUpgState = UPG_IDLE;
        return Invalid("FlashUpgParsingFile", __LINE__);
    }

    mDspImage = image;
    mDspImageSize = static_cast<uint32_t>(w.imageSize);
    LogPrintW(L"FlashUpgParsingFile return ok!\n");
    return UPG_FILE_VALID;
}

int DeviceLink::ParsingUpgFWFile(const wchar_t* path) {
    FreeFirmwareImages();
    size_t size = 0;
    if (ReadFirmwareFile(path, kMaxCombinedFile, mergedFW, size) != UPG_FILE_VALID) {
        // Too large and unreadable files are invalid here, and so is one that cannot be opened.
        if (mergedFW == nullptr && size > 0) LogPrintA("read FW error!\n");
        return Invalid("ParsingUpgFWFile", __LINE__);
    }
    LogPrintW(L"Open file %ls success!\n", path);

    // Every failure from here on leaves nothing allocated.
    auto fail = [this](int line) {
        FreeFirmwareImages();
        return Invalid("ParsingUpgFWFile", line);
    };
    const uint8_t* file = mergedFW;
    if (size < kCombinedHeader) return fail(__LINE__);
    mMergedHead[0] = file[0];
    mMergedHead[1] = file[1];
    LogPrintA("head is 0x%x, 0x%x\n", mMergedHead[0], mMergedHead[1]);
    if (mMergedHead[0] != kCombinedMark && mMergedHead[1] != kCombinedMark) {
        LogPrintA("upg FW not match!\n");
        return fail(__LINE__);
    }
    const int totalFW = file[2];
    LogPrintA("totalFW=%d\n", totalFW);
    const size_t firstImage = kCombinedHeader + 4 * static_cast<size_t>(totalFW);
    if (totalFW < kMinCombinedImages || totalFW > kMaxCombinedImages || firstImage > size) return fail(__LINE__);
    uint32_t FWSize[kMaxCombinedImages] = {};
    for (int i = 0; i < totalFW; ++i) {
        const uint8_t* tmp = file + kCombinedHeader + 4 * i;
        LogPrintA("tmp[0]=0x%x, tmp[1]=0x%x, tmp[2]=0x%x, tmp[3]=0x%x\n", tmp[0], tmp[1], tmp[2], tmp[3]);
        FWSize[i] = BigEndian32(tmp);
        LogPrintA("FWSize[%d]=0x%x\n", i, FWSize[i]);
    }
    // Both wrappers must be whole and lie inside the file.
    if (FWSize[0] < kMinWrapperSize || FWSize[1] < kMinWrapperSize ||
        uint64_t{firstImage} + FWSize[0] + FWSize[1] > size)
        return fail(__LINE__);

    const Wrapper mcu(file + firstImage, FWSize[0]);
    LogPrintA("MCU imgfilesize=0x%x\n", static_cast<unsigned>(mcu.imageSize));
    FW_ID = mcu.id;
    FW_MODEL_ID = mcu.model;
    std::memcpy(mMcuHead, mcu.head, sizeof mMcuHead);
    LogHead(mMcuHead);
    LogPrintA("read MCUFW size = 0x%x\n", static_cast<unsigned>(mcu.imageSize));
    LogPrintA("MCU cal encrypt_checksum=0x%x!\n", mcu.sum);
    LogPrintA("MCU encrypt_checksum=0x%x!\n", mcu.checksum);
    if (FW_ID != kMcuImageId || (noCheckID != 1 && FW_MODEL_ID != pc_model_id) || !mcu.SumsAgree()) {
        LogPrintA("MCU checksum error!\n");
        return fail(__LINE__);
    }
    mMcuImage = CopyImage(mcu);
    if (mMcuImage == nullptr) return fail(__LINE__);
    mMcuImageSize = mMcuRemaining = static_cast<uint32_t>(mcu.imageSize);

    const Wrapper dsp(file + firstImage + FWSize[0], FWSize[1]);
    LogPrintA("dspsize=0x%x\n", static_cast<unsigned>(dsp.imageSize));
    FW_ID = dsp.id;
    FW_MODEL_ID = dsp.model;
    std::memcpy(mDspHead, dsp.head, sizeof mDspHead);
    LogHead(mDspHead);
    LogPrintA("read DSPFW size = 0x%x\n", static_cast<unsigned>(dsp.imageSize));
    LogPrintA("last[0]=0x%x, last[1]=0x%x, last[2]=0x%x, last[3]=0x%x\n", dsp.tail[0], dsp.tail[1], dsp.tail[2],
              dsp.tail[3]);
    LogPrintA("cal DSP encrypt_checksum=0x%x!\n", dsp.sum);
    LogPrintA("dsp encrypt_checksum=0x%x!\n", dsp.checksum);
    if (FW_ID != kDspImageId || (noCheckID != 1 && FW_MODEL_ID != pc_model_id) || !dsp.SumsAgree()) {
        LogPrintA("DSP checksum error!\n");
        return fail(__LINE__);
    }
    mDspImage = CopyImage(dsp);
    if (mDspImage == nullptr) {
        LogPrintA("malloc DSPFW fail\n");
        return fail(__LINE__);
    }
    mDspImageSize = static_cast<uint32_t>(dsp.imageSize);

    // The file runs as a DSP flash upgrade with its second image; the whole file is no longer needed.
    free(mergedFW);
    mergedFW = nullptr;
    upg_device = UPG_DEVICE_FLASH;
    return UPG_FILE_VALID;
}
