#include "UIRenderSurface.h"

#include "UIManager.h"

#include <objidl.h>
#include <gdiplus.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <emmintrin.h>
#include <unordered_map>
#include <vector>

namespace SkinUI {

using namespace Gdiplus;

namespace {

// The pixels of the 32-bit DIB section selected into a memory DC, when it has one and draws in plain
// device units (no mirroring, scaling or world transform). GetObject does not tell a top-down bitmap
// from a bottom-up one; FindRowOrder asks the DC.
struct TDibPixels {
    BYTE* bits = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;
    bool bottomUp = false;

    DWORD* Row(int y) const {
        return reinterpret_cast<DWORD*>(bits + static_cast<size_t>(bottomUp ? height - 1 - y : y) * stride);
    }
};

bool DibPixels(HDC hdc, TDibPixels& out) {
    if (GetObjectType(hdc) != OBJ_MEMDC) return false;
    HGDIOBJ bitmap = GetCurrentObject(hdc, OBJ_BITMAP);
    DIBSECTION dib = {};
    if (!bitmap || GetObjectW(bitmap, sizeof dib, &dib) != sizeof dib || !dib.dsBm.bmBits) return false;
    if (dib.dsBmih.biBitCount != 32 || dib.dsBmih.biCompression != BI_RGB) return false;
    if (GetLayout(hdc) != 0 || GetMapMode(hdc) != MM_TEXT || GetGraphicsMode(hdc) != GM_COMPATIBLE) return false;
    out.bits = static_cast<BYTE*>(dib.dsBm.bmBits);
    out.width = dib.dsBm.bmWidth;
    out.height = dib.dsBm.bmHeight;
    out.stride = dib.dsBm.bmWidthBytes;
    return out.width > 0 && out.height > 0;
}

// The DC's clip as device rectangles within the bitmap (the whole bitmap when it has no clip region);
// false when the region cannot be read. A rectangular clip, the usual one, is read without its data.
bool ClipRects(HDC hdc, const TDibPixels& dib, std::vector<RECT>& rects) {
    const RECT bounds = {0, 0, dib.width, dib.height};
    static HRGN region = CreateRectRgn(0, 0, 0, 0);  // kept: UI thread only
    if (!region) return false;
    const int kind = GetClipRgn(hdc, region);
    if (kind != 1) {
        if (kind == 0) rects.push_back(bounds);
        return kind == 0;
    }
    RECT box;
    const int shape = GetRgnBox(region, &box);
    if (shape == NULLREGION) return true;
    if (shape == SIMPLEREGION) {
        if (IntersectRects(box, box, bounds)) rects.push_back(box);
        return true;
    }
    const DWORD size = GetRegionData(region, 0, nullptr);
    std::vector<BYTE> buffer(size);
    auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
    const bool ok = size && GetRegionData(region, size, data) == size;
    for (DWORD i = 0; ok && i < data->rdh.nCount; ++i) {
        RECT piece;
        if (IntersectRects(piece, reinterpret_cast<const RECT*>(data->Buffer)[i], bounds)) rects.push_back(piece);
    }
    return ok;
}

// Top-down bitmaps made by the framework for its own painting (the windows' off-screen pictures), told
// here by their makers so that their row order need not be asked of GDI on every drawing call. A
// bitmap is known by its handle and its pixel memory together, and forgotten before it is deleted.
class CKnownTopDownBitmaps {
public:
    static bool Contains(HGDIOBJ bitmap, const BYTE* bits) {
        const auto found = Entries().find(bitmap);
        return found != Entries().end() && found->second == bits;
    }
    static void Add(HGDIOBJ bitmap, const void* bits) {
        if (bitmap && bits) Entries()[bitmap] = static_cast<const BYTE*>(bits);
    }
    static void Remove(HGDIOBJ bitmap) { Entries().erase(bitmap); }

private:
    // Every decoded image is one: looked up by handle on each draw.
    static std::unordered_map<HGDIOBJ, const BYTE*>& Entries() {
        static std::unordered_map<HGDIOBJ, const BYTE*> entries;
        return entries;
    }
};

// Settles dib.bottomUp by reading one pixel inside the clip through GDI and comparing it with the two
// places it may sit in memory; when both hold the same colour, one of them is changed for the moment.
// Returns false only when GDI cannot read the pixel. Rows that are the same in both orders (the middle
// one) tell nothing and need no answer.
bool FindRowOrder(HDC hdc, TDibPixels& dib, const std::vector<RECT>& clip) {
    for (const RECT& piece : clip) {
        int y = piece.top;
        if (y == dib.height - 1 - y) ++y;
        if (y >= piece.bottom) continue;
        const int x = piece.left;
        DWORD* topDown = reinterpret_cast<DWORD*>(dib.bits + static_cast<size_t>(y) * dib.stride) + x;
        const DWORD* bottomUp = reinterpret_cast<DWORD*>(dib.bits + static_cast<size_t>(dib.height - 1 - y) * dib.stride) + x;
        const DWORD saved = *topDown;
        if (((*topDown ^ *bottomUp) & 0xFFFFFF) == 0) *topDown ^= 0x00FFFFFF;
        POINT logical = {x, y};
        DPtoLP(hdc, &logical, 1);
        const COLORREF seen = GetPixel(hdc, logical.x, logical.y);
        const DWORD expectTopDown = *topDown;
        *topDown = saved;
        if (seen == CLR_INVALID) return false;
        const COLORREF topDownColor = RGB((expectTopDown >> 16) & 0xFF, (expectTopDown >> 8) & 0xFF, expectTopDown & 0xFF);
        dib.bottomUp = seen != topDownColor;
        return true;
    }
    return true;
}

// One row of a fill, sixteen bytes at a time.
void FillRow(DWORD* to, int count, DWORD pixel) {
    while (count > 0 && (reinterpret_cast<uintptr_t>(to) & 15)) {
        *to++ = pixel;
        --count;
    }
    const __m128i four = _mm_set1_epi32(static_cast<int>(pixel));
    for (; count >= 4; count -= 4, to += 4) _mm_store_si128(reinterpret_cast<__m128i*>(to), four);
    while (count-- > 0) *to++ = pixel;
}

void FillDeviceRect(const TDibPixels& dib, const RECT& rect, DWORD pixel) {
    const int width = rect.right - rect.left;
    for (int y = rect.top; y < rect.bottom; ++y) FillRow(dib.Row(y) + rect.left, width, pixel);
}

void FillWithGdi(HDC hdc, const RECT* rects, int count, DWORD color) {
    HBRUSH brush = CreateSolidBrush(RGB((color >> 16) & 0xFF, (color >> 8) & 0xFF, color & 0xFF));
    if (!brush) return;
    for (int i = 0; i < count; ++i) FillRect(hdc, &rects[i], brush);
    DeleteObject(brush);
}

// A DC whose pixels can be written directly: its DIB, its clip and its row order. Not usable (GDI must
// draw) for other targets; empty when nothing is visible.
// Rectangles held elsewhere, walked as a range.
struct TRectSpan {
    const RECT* first = nullptr;
    int count = 0;
    const RECT* begin() const { return first; }
    const RECT* end() const { return first + count; }
    bool empty() const { return count == 0; }
};

struct TDirectTarget {
    bool usable = false;
    bool deviceUnits = false;  // logical units are device units: nothing to convert
    TDibPixels dib;
    std::vector<RECT> readClip;  // the clip as read from GDI
    TRectSpan knownClip;         // or the known target's, not copied
    bool clipKnown = false;

    TRectSpan Clip() const {
        return clipKnown ? knownClip : TRectSpan{readClip.data(), static_cast<int>(readClip.size())};
    }

    // The device rectangles of a logical rectangle that lie within the clip (and within the logical
    // rectangle within, when given).
    template <class Fn>
    void ForEachVisible(HDC hdc, const RECT& logical, Fn fn, const RECT* within = nullptr) const {
        const RECT device = Device(hdc, logical);
        RECT bounds = device;
        if (within) {
            const RECT limit = Device(hdc, *within);
            if (!IntersectRects(bounds, bounds, limit)) return;
        }
        for (const RECT& piece : Clip()) {
            RECT part;
            if (IntersectRects(part, bounds, piece)) fn(part, device);
        }
    }

    RECT Device(HDC hdc, const RECT& logical) const { return deviceUnits ? logical : ToDevice(hdc, logical); }

    static RECT ToDevice(HDC hdc, const RECT& logical) {
        POINT corners[2] = {{logical.left, logical.top}, {logical.right, logical.bottom}};
        LPtoDP(hdc, corners, 2);
        return {corners[0].x, corners[0].y, corners[1].x, corners[1].y};
    }
};

TKnownPaintTarget*& CurrentKnownTarget() {
    static TKnownPaintTarget* current = nullptr;
    return current;
}

TDirectTarget DirectTarget(HDC hdc) {
    TDirectTarget target;
    if (const TKnownPaintTarget* known = KnownPaintTarget(hdc)) {
        if (known->clip.known) {
            target.dib = {reinterpret_cast<BYTE*>(known->bits), known->width, known->height, known->width * 4, false};
            target.clipKnown = true;
            if (known->clip.shaped)
                target.knownClip = {known->clip.shape.data(), static_cast<int>(known->clip.shape.size())};
            else
                target.knownClip = {&known->clip.rect, IsRectEmpty(&known->clip.rect) ? 0 : 1};
            target.usable = target.deviceUnits = true;
            GdiFlush();
            return target;
        }
    }
    if (!DibPixels(hdc, target.dib) || !ClipRects(hdc, target.dib, target.readClip)) return target;
    GdiFlush();  // GDI drawing still queued must land before the pixels are read or written
    if (target.readClip.empty()) {
        target.usable = true;
        return target;
    }
    if (CKnownTopDownBitmaps::Contains(GetCurrentObject(hdc, OBJ_BITMAP), target.dib.bits)) {
        target.usable = true;
        return target;
    }
    target.usable = FindRowOrder(hdc, target.dib, target.readClip);
    return target;
}

// Source-over of a premultiplied pixel, rounded as the system's AlphaBlend rounds.
inline DWORD BlendPixel(DWORD destination, DWORD source) {
    const DWORD keep = 255 - (source >> 24);
    DWORD result = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        // (d * keep + 127) / 255 exactly, for bytes, without the division.
        const DWORD value = ((source >> shift) & 0xFF) + (((((destination >> shift) & 0xFF) * keep + 128) * 257) >> 16);
        result |= std::min<DWORD>(value, 255) << shift;
    }
    return result;
}

// Source-over of one premultiplied pixel: an empty one changes nothing, an opaque one is copied.
inline void BlendOver(DWORD& to, DWORD from) {
    if (from) to = (from >> 24) == 0xFF ? from : BlendPixel(to, from);
}

// Source-over of a row of premultiplied pixels, four at a time where all four are empty or all opaque
// (most of a picture's or a border's pixels).
void BlendRow(DWORD* to, const DWORD* from, int count) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i alpha = _mm_set1_epi32(static_cast<int>(0xFF000000));
    int x = 0;
    for (; x + 4 <= count; x += 4) {
        const __m128i four = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + x));
        if (_mm_movemask_epi8(_mm_cmpeq_epi32(four, zero)) == 0xFFFF) continue;
        if (_mm_movemask_epi8(_mm_cmpeq_epi32(_mm_and_si128(four, alpha), alpha)) == 0xFFFF) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(to + x), four);
            continue;
        }
        for (int i = x; i < x + 4; ++i) BlendOver(to[i], from[i]);
    }
    for (; x < count; ++x) BlendOver(to[x], from[x]);
}

// A memory DC holding a 32-bit DIB, whose alpha byte GDI would not set.
bool HasAlphaPixels(HDC hdc) {
    if (GetObjectType(hdc) != OBJ_MEMDC) return false;
    DIBSECTION dib = {};
    HGDIOBJ bitmap = GetCurrentObject(hdc, OBJ_BITMAP);
    return bitmap && GetObjectW(bitmap, sizeof dib, &dib) == sizeof dib && dib.dsBmih.biBitCount == 32;
}

}  // namespace

bool FillOpaqueRects(HDC hdc, const RECT* rects, int count, DWORD color) {
    if (!hdc || !rects || count <= 0) return true;
    const TDirectTarget target = DirectTarget(hdc);
    if (!target.usable) {
        if (HasAlphaPixels(hdc)) return false;
        FillWithGdi(hdc, rects, count, color);
        return true;
    }
    const DWORD pixel = 0xFF000000 | (color & 0x00FFFFFF);
    for (int i = 0; i < count; ++i)
        target.ForEachVisible(hdc, rects[i], [&](const RECT& part, const RECT&) { FillDeviceRect(target.dib, part, pixel); });
    return true;
}

bool BlendOnto(HDC hdc, int x, int y, const DWORD* pixels, int stride, int width, int height, const RECT* within) {
    const TDirectTarget target = DirectTarget(hdc);
    if (!target.usable) return false;
    target.ForEachVisible(
        hdc, RECT{x, y, x + width, y + height},
        [&](const RECT& part, const RECT& device) {
            for (int row = part.top; row < part.bottom; ++row) {
                const DWORD* from = pixels + static_cast<size_t>(row - device.top) * stride - device.left;
                BlendRow(target.dib.Row(row) + part.left, from + part.left, part.right - part.left);
            }
        },
        within);
    return true;
}

bool IsRememberedTopDown(HGDIOBJ bitmap, const void* bits) {
    return CKnownTopDownBitmaps::Contains(bitmap, static_cast<const BYTE*>(bits));
}

namespace {

// Blends one pixel over the columns [from, to) of a row.
void BlendRun(DWORD* row, int from, int to, DWORD pixel) {
    if (from >= to || !pixel) return;
    if ((pixel >> 24) == 0xFF) {
        std::fill(row + from, row + to, pixel);
        return;
    }
    for (int column = from; column < to; ++column) row[column] = BlendPixel(row[column], pixel);
}

// The picture's column (or row) for an offset into the widened area: the ends keep theirs, the middle
// repeats the split.
inline int StretchedIndex(int offset, int split, int extra) {
    return offset < split ? offset : offset <= split + extra ? split : offset - extra;
}

bool BlendStretchedOnto(HDC hdc, int x, int y, int width, int height, const TShapePicture& picture, int splitX,
                        int splitY) {
    const TDirectTarget target = DirectTarget(hdc);
    if (!target.usable) return false;
    const int extraX = width - picture.width, extraY = height - picture.height;
    target.ForEachVisible(hdc, RECT{x, y, x + width, y + height}, [&](const RECT& part, const RECT& device) {
        // The three column runs in device units: the left end, the repeated split column, the right end.
        const int middleFrom = device.left + splitX, rightFrom = middleFrom + extraX + 1;
        const int leftTo = std::min<int>(part.right, middleFrom);
        for (int row = part.top; row < part.bottom; ++row) {
            const DWORD* from = &picture.pixels[static_cast<size_t>(StretchedIndex(row - device.top, splitY, extraY)) *
                                                picture.width];
            DWORD* to = target.dib.Row(row);
            if (leftTo > part.left) BlendRow(to + part.left, from + (part.left - device.left), leftTo - part.left);
            BlendRun(to, std::max<int>(part.left, middleFrom), std::min<int>(part.right, rightFrom), from[splitX]);
            const int rightStart = std::max<int>(part.left, rightFrom);
            if (part.right > rightStart)
                BlendRow(to + rightStart, from + (rightStart - device.left - extraX), part.right - rightStart);
        }
    });
    return true;
}

}  // namespace

CUIPaintTargetScope::CUIPaintTargetScope(HDC dc, DWORD* bits, int width, int height) {
    m_target.outer = CurrentKnownTarget();
    if (!dc || !bits || width <= 0 || height <= 0) return;
    SelectClipRgn(dc, nullptr);
    m_target.dc = dc;
    m_target.bits = bits;
    m_target.width = width;
    m_target.height = height;
    m_target.clip.rect = {0, 0, width, height};
    m_target.clip.known = true;
    m_target.plainText = GetTextAlign(dc) == 0 && GetTextCharacterExtra(dc) == 0;
    CurrentKnownTarget() = &m_target;
}

CUIPaintTargetScope::~CUIPaintTargetScope() { CurrentKnownTarget() = m_target.outer; }

TKnownPaintTarget* KnownPaintTarget(HDC hdc) {
    TKnownPaintTarget* current = CurrentKnownTarget();
    return current && current->dc == hdc && hdc ? current : nullptr;
}

void RememberTopDownBitmap(HBITMAP bitmap, const void* bits) { CKnownTopDownBitmaps::Add(bitmap, bits); }

void ForgetTopDownBitmap(HBITMAP bitmap) { CKnownTopDownBitmaps::Remove(bitmap); }

// ---------------------------------------------------------------------------------------------------
// Pixel memo.

namespace {

// A kept call, compact: the pixels it met as runs of equal pixels (mostly a plain background), and what
// it changed as spans of pixels, row after row.
struct TMemoEntry {
    std::vector<DWORD> before;   // per row: (count, pixel) pairs
    std::vector<DWORD> changes;  // per row: (offset, count, pixels...) spans, then kEndOfRow
    unsigned long long lastUse = 0;
};

const DWORD kEndOfRow = 0xFFFFFFFF;

void EncodeRuns(const DWORD* row, int width, std::vector<DWORD>& out) {
    for (int x = 0; x < width;) {
        int end = x + 1;
        while (end < width && row[end] == row[x]) ++end;
        out.push_back(static_cast<DWORD>(end - x));
        out.push_back(row[x]);
        x = end;
    }
}

// Whether count pixels from `from` all equal pixel; eight at a time.
bool RunMatches(const DWORD* from, int count, DWORD pixel) {
    const __m128i want = _mm_set1_epi32(static_cast<int>(pixel));
    int x = 0;
    for (; x + 8 <= count; x += 8) {
        const __m128i first = _mm_cmpeq_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(from + x)), want);
        const __m128i second = _mm_cmpeq_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(from + x + 4)), want);
        if (_mm_movemask_epi8(_mm_and_si128(first, second)) != 0xFFFF) return false;
    }
    for (; x < count; ++x)
        if (from[x] != pixel) return false;
    return true;
}

// Whether the row holds the runs at `runs`, which moves past them.
bool MatchesRuns(const DWORD* row, int width, const DWORD*& runs) {
    for (int x = 0; x < width;) {
        const int count = static_cast<int>(runs[0]);
        if (!RunMatches(row + x, count, runs[1])) return false;
        runs += 2;
        x += count;
    }
    return true;
}

// Spans of changed pixels; unchanged gaps up to sixteen pixels are kept inside a span: copying them costs
// less than starting a new span (a line of text becomes one or two spans a row).
void EncodeChanges(const DWORD* before, const DWORD* after, int width, std::vector<DWORD>& out) {
    for (int x = 0; x < width;) {
        if (before[x] == after[x]) {
            ++x;
            continue;
        }
        int end = x + 1, quiet = 0;
        for (int next = x + 1; next < width && quiet <= 16; ++next) {
            if (before[next] == after[next]) {
                ++quiet;
            } else {
                quiet = 0;
                end = next + 1;
            }
        }
        out.push_back(static_cast<DWORD>(x));
        out.push_back(static_cast<DWORD>(end - x));
        out.insert(out.end(), after + x, after + end);
        x = end;
    }
    out.push_back(kEndOfRow);
}

// Spans are short (the pixels of a few glyphs' strokes): copied here rather than through a call.
void ApplyChanges(DWORD* row, const DWORD*& changes) {
    while (*changes != kEndOfRow) {
        const DWORD offset = changes[0], count = changes[1];
        const DWORD* from = changes + 2;
        DWORD* to = row + offset;
        DWORD i = 0;
        for (; i + 4 <= count; i += 4)
            _mm_storeu_si128(reinterpret_cast<__m128i*>(to + i), _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + i)));
        for (; i < count; ++i) to[i] = from[i];
        changes += 2 + count;
    }
    ++changes;
}

// Kept results by key, a few per key (a control over its hot and normal backgrounds), 8 MB at most;
// the least recently used go first.
class CMemoStore {
public:
    static CMemoStore& Get() {
        static CMemoStore store;
        return store;
    }
    std::vector<TMemoEntry>* Find(const std::wstring& key) {
        auto found = m_entries.find(key);
        return found == m_entries.end() ? nullptr : &found->second;
    }
    unsigned long long Tick() { return ++m_clock; }
    void Add(const std::wstring& key, TMemoEntry&& entry) {
        const size_t bytes = Bytes(key, entry);
        if (bytes > kMaxBytes / 8) return;
        std::vector<TMemoEntry>& list = m_entries[key];
        if (list.size() >= kPerKey) {
            auto oldest = std::min_element(list.begin(), list.end(),
                                           [](const TMemoEntry& a, const TMemoEntry& b) { return a.lastUse < b.lastUse; });
            m_bytes -= Bytes(key, *oldest);
            list.erase(oldest);
        }
        list.push_back(std::move(entry));
        m_bytes += bytes;
        if (!m_hooked) {  // the shut-down forgets its hooks: again after each
            CPaintManagerUI::AddShutdownHook(&ReleaseAtShutdown);
            m_hooked = true;
        }
        if (m_bytes > kMaxBytes) Shrink();
    }
    void Clear() {
        m_entries.clear();
        m_bytes = 0;
    }

private:
    static void ReleaseAtShutdown(bool) {
        Get().Clear();
        Get().m_hooked = false;
    }

    static const size_t kMaxBytes = 8u << 20;
    static const size_t kPerKey = 3;

    static size_t Bytes(const std::wstring& key, const TMemoEntry& e) {
        return (e.before.size() + e.changes.size()) * sizeof(DWORD) + key.size() * 2 + 64;
    }

    // Down to three quarters, the least recently used first.
    void Shrink() {
        std::vector<unsigned long long> uses;
        for (const auto& item : m_entries)
            for (const TMemoEntry& e : item.second) uses.push_back(e.lastUse);
        std::sort(uses.begin(), uses.end());
        const unsigned long long cut = uses[uses.size() / 2];
        for (auto item = m_entries.begin(); item != m_entries.end();) {
            std::vector<TMemoEntry>& list = item->second;
            for (auto e = list.begin(); e != list.end();) {
                if (e->lastUse <= cut) {
                    m_bytes -= Bytes(item->first, *e);
                    e = list.erase(e);
                } else {
                    ++e;
                }
            }
            item = list.empty() ? m_entries.erase(item) : std::next(item);
        }
    }

    // Keys are a few hundred bytes, mostly alike (the same font, the same call): compared sixteen bytes
    // at a time, not character by character as the runtime's wmemcmp does.
    struct TKeyEqual {
        bool operator()(const std::wstring& a, const std::wstring& b) const {
            if (a.size() != b.size()) return false;
            const wchar_t* x = a.data();
            const wchar_t* y = b.data();
            size_t i = 0;
            for (; i + 8 <= a.size(); i += 8) {
                const __m128i same = _mm_cmpeq_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(x + i)),
                                                     _mm_loadu_si128(reinterpret_cast<const __m128i*>(y + i)));
                if (_mm_movemask_epi8(same) != 0xFFFF) return false;
            }
            for (; i < a.size(); ++i)
                if (x[i] != y[i]) return false;
            return true;
        }
    };
    std::unordered_map<std::wstring, std::vector<TMemoEntry>, std::hash<std::wstring>, TKeyEqual> m_entries;
    size_t m_bytes = 0;
    unsigned long long m_clock = 0;
    bool m_hooked = false;
};

// Asks for the area's rows ahead of reading them: they lie a picture's width apart, so the processor
// would otherwise wait for each row's memory in turn (the lookup of the kept result runs meanwhile).
void PrefetchArea(const TDibPixels& dib, const RECT& area) {
    const int left = std::max<int>(area.left, 0), right = std::min<int>(area.right, dib.width);
    const int top = std::max<int>(area.top, 0), bottom = std::min<int>(area.bottom, dib.height);
    if (left >= right) return;
    for (int y = top; y < bottom; ++y) {
        const char* from = reinterpret_cast<const char*>(dib.Row(y) + left);
        const char* last = reinterpret_cast<const char*>(dib.Row(y) + right - 1);
        for (const char* line = from; line <= last; line += 64) _mm_prefetch(line, _MM_HINT_T0);
        _mm_prefetch(last, _MM_HINT_T0);
    }
}

void AppendRaw(std::wstring& key, const void* data, size_t bytes) {
    key.append(static_cast<const wchar_t*>(data), bytes / sizeof(wchar_t));
}

}  // namespace

CUIPixelMemo::CUIPixelMemo(HDC hdc, const RECT& rect, std::wstring key) : m_key(std::move(key)) {
    if (!hdc) return;
    const TDirectTarget target = DirectTarget(hdc);
    if (!target.usable) return;
    m_device = target.Device(hdc, rect);
    const long long area = static_cast<long long>(m_device.right - m_device.left) * (m_device.bottom - m_device.top);
    if (m_device.right <= m_device.left || m_device.bottom <= m_device.top || area > 512 * 512) return;
    // The clip's part of the rectangle belongs to the call (a rounded control cuts its corners): outside
    // it the call changes nothing, so what was kept there is what is there.
    int pieces = 0;
    for (const RECT& piece : target.Clip()) {
        RECT part;
        if (!IntersectRects(part, piece, m_device)) continue;
        if (++pieces > 16) return;
        OffsetRect(&part, -m_device.left, -m_device.top);
        AppendRaw(m_key, &part, sizeof part);
    }
    if (pieces == 0) return;
    m_bits = target.dib.bits;
    m_stride = target.dib.stride;
    m_bottomUp = target.dib.bottomUp;
    m_height = target.dib.height;
    m_active = true;
    PrefetchArea(target.dib, m_device);
    AppendRaw(m_key, &m_device, sizeof m_device);
    const int width = m_device.right - m_device.left;
    const size_t rowBytes = static_cast<size_t>(width) * sizeof(DWORD);
    auto row = [&](int y) {
        return reinterpret_cast<DWORD*>(m_bits + static_cast<size_t>(m_bottomUp ? m_height - 1 - y : y) * m_stride) +
               m_device.left;
    };
    CMemoStore& store = CMemoStore::Get();
    if (std::vector<TMemoEntry>* kept = store.Find(m_key)) {
        for (TMemoEntry& entry : *kept) {
            bool same = true;
            const DWORD* runs = entry.before.data();
            for (int y = m_device.top; y < m_device.bottom && same; ++y) same = MatchesRuns(row(y), width, runs);
            if (!same) continue;
            const DWORD* changes = entry.changes.data();
            for (int y = m_device.top; y < m_device.bottom; ++y) ApplyChanges(row(y), changes);
            entry.lastUse = store.Tick();
            m_done = true;
            return;
        }
    }
    m_before.resize(static_cast<size_t>(area));
    for (int y = m_device.top; y < m_device.bottom; ++y)
        memcpy(&m_before[static_cast<size_t>(y - m_device.top) * width], row(y), rowBytes);
}

void CUIPixelMemo::Keep() {
    if (!m_active || m_done) return;
    GdiFlush();
    TMemoEntry entry;
    const int width = m_device.right - m_device.left;
    for (int y = m_device.top; y < m_device.bottom; ++y) {
        const DWORD* after = reinterpret_cast<const DWORD*>(
                                 m_bits + static_cast<size_t>(m_bottomUp ? m_height - 1 - y : y) * m_stride) +
                             m_device.left;
        const DWORD* before = &m_before[static_cast<size_t>(y - m_device.top) * width];
        EncodeRuns(before, width, entry.before);
        EncodeChanges(before, after, width, entry.changes);
    }
    entry.before.shrink_to_fit();
    entry.changes.shrink_to_fit();
    m_before = std::vector<DWORD>();
    CMemoStore& store = CMemoStore::Get();
    entry.lastUse = store.Tick();
    store.Add(m_key, std::move(entry));
    m_active = false;
}

void CUIPixelMemo::Clear() { CMemoStore::Get().Clear(); }

// ---------------------------------------------------------------------------------------------------
// Anti-aliased lines.

namespace {

// Coverage of one line over a box of device pixels, a byte per pixel, and the columns touched per row.
class CCoverage {
public:
    void Reset(const RECT& box) {
        m_box = box;
        m_width = box.right - box.left;
        const int height = box.bottom - box.top;
        m_cover.assign(static_cast<size_t>(m_width) * height, 0);
        m_rowFrom.assign(height, m_width);
        m_rowTo.assign(height, 0);
    }

    // Adds the segment a-b (device units) of the given half width.
    void AddSegment(float ax, float ay, float bx, float by, float half) {
        const float reach = half + 0.5f;
        const int left = std::max<int>(m_box.left, static_cast<int>(std::ceil(std::min(ax, bx) - reach)));
        const int right = std::min<int>(m_box.right - 1, static_cast<int>(std::floor(std::max(ax, bx) + reach)));
        const int top = std::max<int>(m_box.top, static_cast<int>(std::ceil(std::min(ay, by) - reach)));
        const int bottom = std::min<int>(m_box.bottom - 1, static_cast<int>(std::floor(std::max(ay, by) + reach)));
        if (left > right || top > bottom) return;
        const float dx = bx - ax, dy = by - ay, length2 = dx * dx + dy * dy;
        for (int y = top; y <= bottom; ++y) {
            const int row = y - m_box.top;
            BYTE* cover = &m_cover[static_cast<size_t>(row) * m_width - m_box.left];
            int touchedFrom = right + 1, touchedTo = left - 1;
            for (int x = left; x <= right; ++x) {
                const float px = x - ax, py = y - ay;
                float t = length2 > 0 ? (px * dx + py * dy) / length2 : 0.0f;
                t = t < 0 ? 0 : t > 1 ? 1 : t;
                const float ex = px - t * dx, ey = py - t * dy;
                const float inside = reach - std::sqrt(ex * ex + ey * ey);
                if (inside <= 0) continue;
                const BYTE value = inside >= 1 ? 255 : static_cast<BYTE>(inside * 255 + 0.5f);
                if (value > cover[x]) cover[x] = value;
                touchedFrom = std::min(touchedFrom, x);
                touchedTo = std::max(touchedTo, x);
            }
            if (touchedFrom <= touchedTo) {
                m_rowFrom[row] = std::min(m_rowFrom[row], touchedFrom - static_cast<int>(m_box.left));
                m_rowTo[row] = std::max(m_rowTo[row], touchedTo - static_cast<int>(m_box.left) + 1);
            }
        }
    }

    // Blends the colour by coverage over the part of the box within the device rectangle.
    void Blend(const TDibPixels& dib, const RECT& part, DWORD color) const {
        RECT area;
        if (!IntersectRects(area, part, m_box)) return;
        const DWORD alpha = color >> 24;
        for (int y = area.top; y < area.bottom; ++y) {
            const int row = y - m_box.top;
            const int from = std::max<int>(m_rowFrom[row] + m_box.left, area.left);
            const int to = std::min<int>(m_rowTo[row] + m_box.left, area.right);
            const BYTE* cover = &m_cover[static_cast<size_t>(row) * m_width - m_box.left];
            DWORD* pixels = dib.Row(y);
            for (int x = from; x < to; ++x) {
                if (!cover[x]) continue;
                const DWORD a = (alpha * cover[x] + 127) / 255;
                if (a == 255) {
                    pixels[x] = color;
                    continue;
                }
                DWORD source = a << 24;
                for (int shift = 0; shift <= 16; shift += 8) source |= ((((color >> shift) & 0xFF) * a + 127) / 255) << shift;
                pixels[x] = BlendPixel(pixels[x], source);
            }
        }
    }

private:
    RECT m_box = {};
    int m_width = 0;
    std::vector<BYTE> m_cover;
    std::vector<int> m_rowFrom, m_rowTo;  // columns touched per row, relative to the box
};

}  // namespace

bool StrokePolylineAntiAliased(HDC hdc, const TStrokePoint* points, int count, float width, DWORD color,
                               const RECT& within) {
    const TDirectTarget target = DirectTarget(hdc);
    if (!target.usable) return false;
    if (!points || count < 2 || !(width > 0) || width > 1000 || (color >> 24) == 0) return true;
    // Translation is all a usable target can do between logical and device units.
    POINT origin = {0, 0};
    if (!target.deviceUnits) LPtoDP(hdc, &origin, 1);
    const RECT limit = target.Device(hdc, within);
    RECT visible = {};
    for (const RECT& piece : target.Clip()) {
        RECT part;
        if (IntersectRects(part, piece, limit)) UnionRect(&visible, &visible, &part);
    }
    const float half = width / 2, reach = half + 1;
    float minX = 1e30f, minY = 1e30f, maxX = -1e30f, maxY = -1e30f;
    for (int i = 0; i < count; ++i) {
        if (!std::isfinite(points[i].x) || !std::isfinite(points[i].y)) return true;
        minX = std::min(minX, points[i].x);
        maxX = std::max(maxX, points[i].x);
        minY = std::min(minY, points[i].y);
        maxY = std::max(maxY, points[i].y);
    }
    const float clampLow = -1e7f, clampHigh = 1e7f;
    RECT box = {static_cast<LONG>(std::floor(std::max(minX - reach, clampLow))) + origin.x,
                static_cast<LONG>(std::floor(std::max(minY - reach, clampLow))) + origin.y,
                static_cast<LONG>(std::ceil(std::min(maxX + reach, clampHigh))) + origin.x + 1,
                static_cast<LONG>(std::ceil(std::min(maxY + reach, clampHigh))) + origin.y + 1};
    if (!IntersectRects(box, box, visible)) return true;
    static CCoverage coverage;  // UI thread only; kept to save its allocation
    coverage.Reset(box);
    const float ox = static_cast<float>(origin.x), oy = static_cast<float>(origin.y);
    for (int i = 1; i < count; ++i)
        coverage.AddSegment(points[i - 1].x + ox, points[i - 1].y + oy, points[i].x + ox, points[i].y + oy, half);
    for (const RECT& piece : target.Clip()) {
        RECT part;
        if (IntersectRects(part, piece, limit)) coverage.Blend(target.dib, part, color);
    }
    return true;
}

// ---------------------------------------------------------------------------------------------------
// Scratch surface.

namespace {

struct TScratch {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ oldBitmap = nullptr;
    DWORD* pixels = nullptr;
    int width = 0, height = 0;  // of the bitmap
    // The shape being drawn.
    GpBitmap* image = nullptr;
    int areaWidth = 0, areaHeight = 0;
};

TScratch& Scratch() {
    static TScratch scratch;
    return scratch;
}

bool& ShutdownHookSet() {
    static bool set = false;
    return set;
}

void ReleaseAtShutdown(bool) {
    ShutdownHookSet() = false;  // the shut-down forgets its hooks
    CUIScratchSurface::Release();
}

}  // namespace

bool CUIScratchSurface::Reserve(int width, int height) {
    TScratch& s = Scratch();
    if (s.bitmap && width <= s.width && height <= s.height) return true;
    const int newWidth = std::max(width, s.width), newHeight = std::max(height, s.height);
    Release();
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), newWidth, -newHeight, 1, 32, BI_RGB};
    void* bits = nullptr;
    s.dc = CreateCompatibleDC(nullptr);
    s.bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!s.dc || !s.bitmap) {
        Release();
        return false;
    }
    s.oldBitmap = SelectObject(s.dc, s.bitmap);
    s.pixels = static_cast<DWORD*>(bits);
    if (!ShutdownHookSet()) {
        CPaintManagerUI::AddShutdownHook(&ReleaseAtShutdown);
        ShutdownHookSet() = true;
    }
    s.width = newWidth;
    s.height = newHeight;
    return true;
}

void CUIScratchSurface::Release() {
    TScratch& s = Scratch();
    if (s.dc && s.oldBitmap) SelectObject(s.dc, s.oldBitmap);
    if (s.bitmap) DeleteObject(s.bitmap);
    if (s.dc) DeleteDC(s.dc);
    s = TScratch();
}

GpGraphics* CUIScratchSurface::Begin(int x, int y, int width, int height) {
    TScratch& s = Scratch();
    if (s.image || width <= 0 || height <= 0 || !Reserve(width, height)) return nullptr;
    GdiFlush();
    for (int row = 0; row < height; ++row) memset(s.pixels + static_cast<size_t>(row) * s.width, 0, width * 4u);
    // GDI+ draws straight into the DIB's memory, premultiplied.
    if (DllExports::GdipCreateBitmapFromScan0(s.width, s.height, s.width * 4, PixelFormat32bppPARGB,
                                              reinterpret_cast<BYTE*>(s.pixels), &s.image) != Ok) {
        s.image = nullptr;
        return nullptr;
    }
    GpGraphics* graphics = nullptr;
    if (DllExports::GdipGetImageGraphicsContext(s.image, &graphics) != Ok) {
        DllExports::GdipDisposeImage(s.image);
        s.image = nullptr;
        return nullptr;
    }
    DllExports::GdipTranslateWorldTransform(graphics, static_cast<REAL>(-x), static_cast<REAL>(-y), MatrixOrderPrepend);
    s.areaWidth = width;
    s.areaHeight = height;
    return graphics;
}

void CUIScratchSurface::End(GpGraphics* graphics, TShapePicture& picture) {
    TScratch& s = Scratch();
    picture = TShapePicture();
    if (!graphics || !s.image) return;
    DllExports::GdipDeleteGraphics(graphics);
    DllExports::GdipDisposeImage(s.image);
    s.image = nullptr;
    picture.width = s.areaWidth;
    picture.height = s.areaHeight;
    picture.pixels.resize(static_cast<size_t>(s.areaWidth) * s.areaHeight);
    for (int row = 0; row < s.areaHeight; ++row)
        memcpy(&picture.pixels[static_cast<size_t>(row) * s.areaWidth], s.pixels + static_cast<size_t>(row) * s.width,
               s.areaWidth * 4u);
}

void CUIScratchSurface::Blend(HDC target, int x, int y, const TShapePicture& picture, const RECT* clip) {
    if (!target || picture.width <= 0 || picture.height <= 0) return;
    if (BlendOnto(target, x, y, picture.pixels.data(), picture.width, picture.width, picture.height, clip)) return;
    // Another kind of target: through the system's blend, from the scratch bitmap.
    TScratch& s = Scratch();
    if (s.image || !Reserve(picture.width, picture.height)) return;
    GdiFlush();
    for (int row = 0; row < picture.height; ++row)
        memcpy(s.pixels + static_cast<size_t>(row) * s.width, &picture.pixels[static_cast<size_t>(row) * picture.width],
               picture.width * 4u);
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    const int saved = clip ? SaveDC(target) : 0;
    if (clip) IntersectClipRect(target, clip->left, clip->top, clip->right, clip->bottom);
    AlphaBlend(target, x, y, picture.width, picture.height, s.dc, 0, 0, picture.width, picture.height, blend);
    if (clip) RestoreDC(target, saved);
}

void CUIScratchSurface::BlendStretched(HDC target, int x, int y, int width, int height, const TShapePicture& picture,
                                       int splitX, int splitY) {
    if (!target || picture.width <= 0 || picture.height <= 0 || width < picture.width || height < picture.height ||
        splitX < 0 || splitX >= picture.width || splitY < 0 || splitY >= picture.height)
        return;
    if (BlendStretchedOnto(target, x, y, width, height, picture, splitX, splitY)) return;
    // Another kind of target: the whole picture made and blended through the system.
    TShapePicture whole;
    whole.width = width;
    whole.height = height;
    whole.pixels.resize(static_cast<size_t>(width) * height);
    for (int row = 0; row < height; ++row) {
        const DWORD* from = &picture.pixels[static_cast<size_t>(StretchedIndex(row, splitY, height - picture.height)) *
                                            picture.width];
        for (int column = 0; column < width; ++column)
            whole.pixels[static_cast<size_t>(row) * width + column] =
                from[StretchedIndex(column, splitX, width - picture.width)];
    }
    Blend(target, x, y, whole);
}

}  // namespace SkinUI
