#pragma once
// Firmware files built byte by byte for the tests, a private temporary folder for them, and a link wired
// to the emulated amplifier through a recorder of every report written and read.
#include "device/DeviceTestSupport.h"
#include "emulator/AmpEmulator.h"

#include <string>
#include <vector>

// Image bytes that differ from their neighbours, so a misplaced chunk shows.
Bytes Pattern(size_t size, uint8_t seed = 1);
// A single-image wrapper: id, model, HEAD, image, tail, then the big-endian sum of all of those.
Bytes Wrapper(uint8_t id, uint8_t model, const Bytes& head, const Bytes& image, const Bytes& tail = {9, 8, 7, 6});
// A combined file: two head bytes, the size count, the big-endian sizes, then the wrappers.
Bytes Combined(uint8_t head0, uint8_t head1, const std::vector<uint32_t>& sizes, const std::vector<Bytes>& wrappers);

// A folder of its own under the temporary path (unique per process and test), removed with its files.
class TempDir {
public:
    TempDir();
    ~TempDir();
    std::wstring Write(const std::wstring& name, const Bytes& bytes);
    std::wstring PathOf(const std::wstring& name) const { return mDir + name; }

private:
    std::wstring mDir;
    std::vector<std::wstring> mFiles;
};

// Forwards to the emulator and keeps, in order, every report written and every report read.
class HidRecorder final : public ForwardingHidBackend {
public:
    struct Event {
        bool write;
        Bytes bytes;  // a write: the 65-byte report; a read: the 64 bytes returned
    };
    using ForwardingHidBackend::ForwardingHidBackend;
    std::vector<Event> events;
    int opens = 0;
    int closes = 0;

    HidHandle* Open(uint16_t v, uint16_t p, const wchar_t* s) override;
    int Write(HidHandle* d, const uint8_t* data, size_t length) override;
    int ReadTimeout(HidHandle* d, uint8_t* data, size_t length, int t) override;
    void Close(HidHandle* d) override;
};

// One request as the amplifier received it.
struct Request {
    uint8_t cmd, sub;
    Bytes payload;
};
Request RequestOf(const Bytes& report);

// A link to the emulated amplifier, opened, with the application's device profile.
struct UpgradeRig {
    FakeClock clock;
    AmpEmulator amp;
    HidRecorder hid{amp};
    CapturingPoster poster;
    DeviceLink link{DeviceLinkSeams{&hid, &clock, &poster}};
    TempDir dir;

    UpgradeRig();
    // Every request the link wrote, in order.
    std::vector<Request> Requests() const;
    // UpgradeProgress until it returns more than 100 (or `limit` calls): every value returned.
    std::vector<int> Pump(int limit = 5000);
    AmpUpgradeRecord Received(AmpFirmwareTarget target) const { return amp.State().upgrades[static_cast<int>(target)]; }
};

// The values of a pump run without repeats: what a progress bar would show.
std::vector<int> Distinct(const std::vector<int>& values);
