#pragma once
// The arguments of one driver command: a JSON array in the order of the function's own arguments.
// Every accessor checks type and range and throws BadArguments with a readable reason.
#include <cjson/cJSON.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

struct BadArguments : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class DriverArgs {
public:
    explicit DriverArgs(const std::string& json);  // "" means no arguments
    ~DriverArgs();
    DriverArgs(const DriverArgs&) = delete;
    DriverArgs& operator=(const DriverArgs&) = delete;

    // Exactly `count` arguments, or `count` plus a trailing sync flag when withSync.
    void Expect(int count, bool withSync = false) const;

    uint8_t U8(int i) const;
    int8_t I8(int i) const;
    uint16_t U16(int i) const;
    int32_t I32(int i) const;
    uint32_t U32(int i) const;
    float F(int i) const;
    std::string Text(int i) const;
    // The sync flag at index i: true when omitted (an immediate send).
    bool Sync(int i) const;

    // Arrays of at least `count` elements (the channels of a range, the items of a list).
    std::vector<uint8_t> U8s(int i, int count) const;
    std::vector<uint16_t> U16s(int i, int count) const;
    std::vector<int32_t> I32s(int i, int count) const;
    std::vector<uint32_t> U32s(int i, int count) const;
    std::vector<float> Fs(int i, int count) const;
    std::vector<std::vector<double>> Rows(int i, int count, int columns) const;

private:
    const cJSON* At(int i) const;
    double Number(const cJSON* item, double low, double high, const char* what) const;
    const cJSON* Array(int i, int count) const;

    cJSON* mRoot = nullptr;
    int mCount = 0;
};
