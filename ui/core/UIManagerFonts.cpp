// CPaintManagerUI: fonts of the window set and the shared set, inline fonts of formatted text and font
// files. Bold is weight 700 wherever a font is made.
#include "UIManager.h"

#include "UIManagerShared.h"

#include <cwchar>
#include <vector>

namespace SkinUI {

namespace {

const unsigned kMaxFontFileBytes = 32u << 20;

// Asked on every text a control draws: the digits are written out here, not through a format.
CUIString FontKey(int id) {
    wchar_t digits[16];
    wchar_t* first = digits + 15;
    *first = L'\0';
    unsigned value = id < 0 ? 0u - static_cast<unsigned>(id) : static_cast<unsigned>(id);
    do {
        *--first = static_cast<wchar_t>(L'0' + value % 10);
        value /= 10;
    } while (value);
    if (id < 0) *--first = L'-';
    return CUIString(first);
}

TFontRecord* FontAt(const CUIStringMap& fonts, int index) {
    return static_cast<TFontRecord*>(fonts.Lookup(fonts.KeyAt(index), false));
}

// The record of a font just made from these values; its metrics are read later.
void Describe(TFontRecord& font, HFONT handle, int percent, const wchar_t* face, int size, bool bold, bool underline,
              bool italic) {
    font.handle = handle;
    font.percent = percent;
    font.faceName = face;
    font.size = size;
    font.bold = bold;
    font.underline = underline;
    font.italic = italic;
    font.metrics = TEXTMETRICW();
}

bool Matches(const TFontRecord& font, const wchar_t* face, int size, bool bold, bool underline, bool italic) {
    return font.faceName == (face ? face : L"") && font.size == size && font.bold == bold &&
           font.underline == underline && font.italic == italic;
}

}  // namespace

TResourceSet& CPaintManagerUI::TargetSet(bool shared) {
    return shared || m_bUseSharedResources ? Shared().set : m_resources;
}

// Metrics are read on the paint DC, or on a screen-compatible DC before a window exists; the previous
// font is selected back, so the font can be deleted later.
void CPaintManagerUI::FillFontMetrics(TFontRecord& font) const {
    if (!font.handle) return;
    HDC dc = m_hDcPaint ? m_hDcPaint : CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font.handle);
    GetTextMetricsW(dc, &font.metrics);
    SelectObject(dc, old);
    font.logFontOf = GetObjectW(font.handle, sizeof font.logFont, &font.logFont) ? font.handle : nullptr;
    if (dc != m_hDcPaint) DeleteDC(dc);
}

HFONT CPaintManagerUI::CreateScaledFont(const wchar_t* face, int size, bool bold, bool underline, bool italic) {
    LOGFONTW logFont = {};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof logFont, &logFont);
    if (face && *face) {
        wcsncpy(logFont.lfFaceName, face, LF_FACESIZE - 1);
        logFont.lfFaceName[LF_FACESIZE - 1] = 0;
    }
    logFont.lfCharSet = DEFAULT_CHARSET;
    logFont.lfHeight = -GetDpiScaler()->Scale(size);
    if (bold) logFont.lfWeight = FW_BOLD;
    logFont.lfUnderline = underline;
    logFont.lfItalic = italic;
    return CreateFontIndirectW(&logFont);
}

void CPaintManagerUI::RebuildFont(TFontRecord& font) {
    HFONT rebuilt = CreateScaledFont(font.faceName.Data(), font.size, font.bold, font.underline, font.italic);
    if (!rebuilt) return;
    if (font.handle) DeleteObject(font.handle);
    font.handle = rebuilt;
    font.percent = GetDpiScaler()->GetScale();
    font.metrics = TEXTMETRICW();
    FillFontMetrics(font);
}

TFontRecord* CPaintManagerUI::AtOwnScale(TFontRecord* shared) {
    const int percent = GetDpiScaler()->GetScale();
    if (!shared || !shared->handle || shared->percent == percent) return shared;
    TFontRecord& copy = m_sharedFontCopies[shared];
    // A copy made for another scale, or for a record that was replaced at the same address, is remade.
    const bool current = copy.handle && copy.percent == percent &&
                         Matches(copy, shared->faceName.Data(), shared->size, shared->bold, shared->underline,
                                 shared->italic);
    if (!current) {
        HFONT handle = CreateScaledFont(shared->faceName.Data(), shared->size, shared->bold, shared->underline,
                                        shared->italic);
        if (!handle) return shared;
        if (copy.handle) DeleteObject(copy.handle);
        Describe(copy, handle, percent, shared->faceName.Data(), shared->size, shared->bold, shared->underline,
                 shared->italic);
    }
    if (copy.metrics.tmHeight == 0) FillFontMetrics(copy);
    return &copy;
}

void CPaintManagerUI::FreeSharedFontCopies() {
    for (auto& entry : m_sharedFontCopies) {
        if (entry.second.handle) DeleteObject(entry.second.handle);
    }
    m_sharedFontCopies.clear();
}

void CPaintManagerUI::FreeFontMap(CUIStringMap& fonts) {
    for (int i = 0; i < fonts.Count(); ++i) {
        TFontRecord* font = FontAt(fonts, i);
        if (!font) continue;
        DeleteObject(font->handle);
        delete font;
    }
    fonts.RemoveAll();
}

HFONT CPaintManagerUI::AddFont(int id, const wchar_t* face, int size, bool bold, bool underline, bool italic,
                               bool shared) {
    HFONT handle = CreateScaledFont(face, size, bold, underline, italic);
    if (!handle) return nullptr;
    auto* font = new TFontRecord;
    Describe(*font, handle, GetDpiScaler()->GetScale(), face, size, bold, underline, italic);
    font->faceName = font->faceName.Prefix(LF_FACESIZE - 1);
    if (m_hDcPaint) FillFontMetrics(*font);
    const CUIString key = FontKey(id);
    CUIStringMap& fonts = TargetSet(shared).fonts;
    if (auto* old = static_cast<TFontRecord*>(fonts.Lookup(key.Data()))) {
        DeleteObject(old->handle);
        delete old;
        fonts.Remove(key.Data());
    }
    if (!fonts.Insert(key.Data(), font)) {
        DeleteObject(handle);
        delete font;
        return nullptr;
    }
    return handle;
}

HFONT CPaintManagerUI::GetFontHandle(int id) { return GetFontRecord(id)->handle; }

TFontRecord* CPaintManagerUI::GetFontRecord(int id) {
    if (id >= 0) {
        const CUIString key = FontKey(id);
        auto* font = static_cast<TFontRecord*>(m_resources.fonts.Lookup(key.Data()));
        if (!font) font = AtOwnScale(static_cast<TFontRecord*>(Shared().set.fonts.Lookup(key.Data())));
        if (font) {
            if (font->metrics.tmHeight == 0) FillFontMetrics(*font);
            return font;
        }
    }
    return GetDefaultFontRecord();
}

TFontRecord* CPaintManagerUI::GetFontRecord(HFONT handle) {
    for (CUIStringMap* fonts : {&m_resources.fonts, &Shared().set.fonts}) {
        for (int i = 0; i < fonts->Count(); ++i) {
            TFontRecord* font = FontAt(*fonts, i);
            if (!font || font->handle != handle) continue;
            if (fonts != &m_resources.fonts) return AtOwnScale(font);
            if (font->metrics.tmHeight == 0) FillFontMetrics(*font);
            return font;
        }
    }
    for (auto& entry : m_sharedFontCopies) {
        if (entry.second.handle == handle) return &entry.second;
    }
    for (auto& font : m_inlineFonts) {
        if (font->handle == handle) return font.get();
    }
    return GetDefaultFontRecord();
}

HFONT CPaintManagerUI::FindFontHandle(const wchar_t* face, int size, bool bold, bool underline, bool italic) const {
    const CUIStringMap* sets[] = {&m_resources.fonts, &Shared().set.fonts};
    for (const CUIStringMap* fonts : sets) {
        for (int i = 0; i < fonts->Count(); ++i) {
            TFontRecord* font = FontAt(*fonts, i);
            if (font && Matches(*font, face, size, bold, underline, italic)) return font->handle;
        }
    }
    return nullptr;
}

int CPaintManagerUI::GetFontIndex(HFONT handle, bool shared) const {
    const CUIStringMap& fonts = shared ? Shared().set.fonts : m_resources.fonts;
    for (int i = 0; i < fonts.Count(); ++i) {
        TFontRecord* font = FontAt(fonts, i);
        if (!font) continue;
        if (font->handle == handle) return _wtoi(fonts.KeyAt(i));
        // This window's copy of a shared font stands for it.
        auto copy = m_sharedFontCopies.find(font);
        if (shared && copy != m_sharedFontCopies.end() && copy->second.handle == handle) return _wtoi(fonts.KeyAt(i));
    }
    return -1;
}

int CPaintManagerUI::GetFontIndex(const wchar_t* face, int size, bool bold, bool underline, bool italic,
                                  bool shared) const {
    const CUIStringMap& fonts = shared ? Shared().set.fonts : m_resources.fonts;
    for (int i = 0; i < fonts.Count(); ++i) {
        TFontRecord* font = FontAt(fonts, i);
        if (font && Matches(*font, face, size, bold, underline, italic)) return _wtoi(fonts.KeyAt(i));
    }
    return -1;
}

int CPaintManagerUI::GetCustomFontCount(bool shared) const {
    return shared ? Shared().set.fonts.Count() : m_resources.fonts.Count();
}

void CPaintManagerUI::RemoveFont(int id, bool shared) {
    CUIStringMap& fonts = shared ? Shared().set.fonts : m_resources.fonts;
    const CUIString key = FontKey(id);
    auto* font = static_cast<TFontRecord*>(fonts.Lookup(key.Data()));
    if (!font) return;
    DeleteObject(font->handle);
    delete font;
    fonts.Remove(key.Data());
}

void CPaintManagerUI::RemoveFont(HFONT handle, bool shared) {
    int id = GetFontIndex(handle, shared);
    if (id >= 0) RemoveFont(id, shared);
}

void CPaintManagerUI::RemoveAllFonts(bool shared) { FreeFontMap(shared ? Shared().set.fonts : m_resources.fonts); }

TFontRecord* CPaintManagerUI::GetDefaultFontRecord() {
    TFontRecord* font = m_resources.defaultFont.faceName.IsEmpty() ? AtOwnScale(&Shared().set.defaultFont)
                                                                   : &m_resources.defaultFont;
    if (font->metrics.tmHeight == 0) FillFontMetrics(*font);
    return font;
}

void CPaintManagerUI::SetDefaultFont(const wchar_t* face, int size, bool bold, bool underline, bool italic,
                                     bool shared) {
    HFONT handle = CreateScaledFont(face, size, bold, underline, italic);
    if (!handle) return;
    TFontRecord& font = shared ? Shared().set.defaultFont : m_resources.defaultFont;
    if (font.handle) DeleteObject(font.handle);
    Describe(font, handle, GetDpiScaler()->GetScale(), face, size, bold, underline, italic);
    if (m_hDcPaint) FillFontMetrics(font);
}

bool CPaintManagerUI::LoadFontFile(const wchar_t* path) {
    if (!path || !*path) return false;
    std::vector<BYTE> bytes;
    if (!CUIResourceSettings::ReadSkinFile(path, kMaxFontFileBytes, bytes)) return false;
    DWORD installed = 0;
    HANDLE font = AddFontMemResourceEx(bytes.data(), static_cast<DWORD>(bytes.size()), nullptr, &installed);
    if (!font) return false;
    m_aMemoryFonts.Add(font);
    return true;
}

TFontRecord* CPaintManagerUI::GetInlineFont(const wchar_t* face, int size, bool bold, bool underline, bool italic) {
    if (HFONT existing = FindFontHandle(face, size, bold, underline, italic)) return GetFontRecord(existing);
    for (auto& font : m_inlineFonts) {
        if (Matches(*font, face, size, bold, underline, italic)) return font.get();
    }
    HFONT handle = CreateScaledFont(face, size, bold, underline, italic);
    if (!handle) return nullptr;
    auto font = std::make_unique<TFontRecord>();
    Describe(*font, handle, GetDpiScaler()->GetScale(), face, size, bold, underline, italic);
    FillFontMetrics(*font);
    m_inlineFonts.push_back(std::move(font));
    return m_inlineFonts.back().get();
}

}  // namespace SkinUI
