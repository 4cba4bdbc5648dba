#include "DriverArgs.h"

#include <cmath>

DriverArgs::DriverArgs(const std::string& json) {
    if (json.find_first_not_of(" \t\r") == std::string::npos) return;
    const char* end = nullptr;
    mRoot = cJSON_ParseWithOpts(json.c_str(), &end, 0);
    if (mRoot == nullptr || !cJSON_IsArray(mRoot)) {
        cJSON_Delete(mRoot);
        mRoot = nullptr;
        throw BadArguments("arguments must be one JSON array");
    }
    for (const char* p = end; p != nullptr && *p != 0; ++p) {
        if (*p != ' ' && *p != '\t' && *p != '\r') {
            cJSON_Delete(mRoot);
            mRoot = nullptr;
            throw BadArguments("unexpected text after the argument array");
        }
    }
    mCount = cJSON_GetArraySize(mRoot);
}

DriverArgs::~DriverArgs() { cJSON_Delete(mRoot); }

void DriverArgs::Expect(int count, bool withSync) const {
    if (mCount == count || (withSync && mCount == count + 1)) return;
    throw BadArguments("expected " + std::to_string(count) + (withSync ? " (or one more: sync)" : "") +
                       " arguments, got " + std::to_string(mCount));
}

const cJSON* DriverArgs::At(int i) const {
    if (i >= mCount) throw BadArguments("argument " + std::to_string(i + 1) + " is missing");
    return cJSON_GetArrayItem(mRoot, i);
}

double DriverArgs::Number(const cJSON* item, double low, double high, const char* what) const {
    if (cJSON_IsBool(item)) return cJSON_IsTrue(item) ? 1 : 0;
    if (!cJSON_IsNumber(item)) throw BadArguments(std::string("expected ") + what + ", got something else");
    const double v = item->valuedouble;
    if (!(v >= low && v <= high)) throw BadArguments(std::string("value out of range for ") + what);
    return v;
}

uint8_t DriverArgs::U8(int i) const { return static_cast<uint8_t>(Number(At(i), 0, 255, "a byte")); }
int8_t DriverArgs::I8(int i) const { return static_cast<int8_t>(Number(At(i), -128, 127, "a signed byte")); }
uint16_t DriverArgs::U16(int i) const { return static_cast<uint16_t>(Number(At(i), 0, 65535, "a 16-bit value")); }
int32_t DriverArgs::I32(int i) const {
    return static_cast<int32_t>(Number(At(i), -2147483648.0, 2147483647.0, "a 32-bit value"));
}
uint32_t DriverArgs::U32(int i) const {
    return static_cast<uint32_t>(Number(At(i), 0, 4294967295.0, "an unsigned 32-bit value"));
}
float DriverArgs::F(int i) const { return static_cast<float>(Number(At(i), -1e6, 1e6, "a number")); }

std::string DriverArgs::Text(int i) const {
    const cJSON* item = At(i);
    if (!cJSON_IsString(item)) throw BadArguments("argument " + std::to_string(i + 1) + " must be a string");
    return item->valuestring;
}

bool DriverArgs::Sync(int i) const {
    if (i >= mCount) return true;
    return Number(At(i), 0, 1, "the sync flag (true or false)") != 0;
}

const cJSON* DriverArgs::Array(int i, int count) const {
    const cJSON* item = At(i);
    if (!cJSON_IsArray(item)) throw BadArguments("argument " + std::to_string(i + 1) + " must be an array");
    if (cJSON_GetArraySize(item) < count) {
        throw BadArguments("argument " + std::to_string(i + 1) + " needs " + std::to_string(count) + " values");
    }
    return item;
}

namespace {
template <typename T, typename Convert>
std::vector<T> Elements(const cJSON* array, int count, Convert convert) {
    std::vector<T> out;
    for (int k = 0; k < count; ++k) out.push_back(convert(cJSON_GetArrayItem(array, k)));
    return out;
}
}  // namespace

std::vector<uint8_t> DriverArgs::U8s(int i, int count) const {
    return Elements<uint8_t>(Array(i, count), count,
                             [&](const cJSON* e) { return static_cast<uint8_t>(Number(e, 0, 255, "a byte")); });
}
std::vector<uint16_t> DriverArgs::U16s(int i, int count) const {
    return Elements<uint16_t>(Array(i, count), count, [&](const cJSON* e) {
        return static_cast<uint16_t>(Number(e, 0, 65535, "a 16-bit value"));
    });
}
std::vector<int32_t> DriverArgs::I32s(int i, int count) const {
    return Elements<int32_t>(Array(i, count), count, [&](const cJSON* e) {
        return static_cast<int32_t>(Number(e, -2147483648.0, 2147483647.0, "a 32-bit value"));
    });
}
std::vector<uint32_t> DriverArgs::U32s(int i, int count) const {
    return Elements<uint32_t>(Array(i, count), count, [&](const cJSON* e) {
        return static_cast<uint32_t>(Number(e, 0, 4294967295.0, "an unsigned 32-bit value"));
    });
}
std::vector<float> DriverArgs::Fs(int i, int count) const {
    return Elements<float>(Array(i, count), count,
                           [&](const cJSON* e) { return static_cast<float>(Number(e, -1e6, 1e6, "a number")); });
}
std::vector<std::vector<double>> DriverArgs::Rows(int i, int count, int columns) const {
    return Elements<std::vector<double>>(Array(i, count), count, [&](const cJSON* row) {
        if (!cJSON_IsArray(row) || cJSON_GetArraySize(row) != columns) {
            throw BadArguments("each item must be an array of " + std::to_string(columns) + " numbers");
        }
        return Elements<double>(row, columns, [&](const cJSON* e) { return Number(e, -1e9, 1e9, "a number"); });
    });
}
