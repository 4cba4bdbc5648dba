// Formatted text: plain text with inline tags, laid out line by line inside a rectangle.
//
// A tag is an angle bracket or brace, a lower-case letter (after a '/' for the closing form) and then a
// blank (arguments follow) or a closer; it runs to the next '>' or '}'. "<{>", "<}>", "{<}" and "{>}"
// print the bracket they name. When drawing, every line is walked twice: a measuring pass that finds the
// line's height, end and links, then a drawing pass over the same stretch.
#include "UIImage.h"
#include "UIManager.h"
#include "UIRender.h"

#include <algorithm>
#include <climits>
#include <cwchar>
#include <vector>

namespace SkinUI {

namespace {

bool IsLower(wchar_t c) { return c >= L'a' && c <= L'z'; }
bool IsOpener(wchar_t c) { return c == L'<' || c == L'{'; }
bool IsCloser(wchar_t c) { return c == L'>' || c == L'}'; }
bool IsAsciiLetter(wchar_t c) { return IsLower(c) || (c >= L'A' && c <= L'Z'); }

// A tag at p: its letter, whether it closes, and where its argument and its closer are.
struct Tag {
    wchar_t letter = 0;
    bool closing = false;
    const wchar_t* argument = nullptr;  // after the letter, leading blanks skipped
    const wchar_t* closer = nullptr;    // null: the text ends inside the tag
};

bool ReadTag(const wchar_t* p, Tag& tag) {
    if (!IsOpener(p[0])) return false;
    const bool closing = p[1] == L'/';
    const wchar_t* letter = closing ? p + 2 : p + 1;
    if (!IsLower(letter[0]) || !(letter[1] == L' ' || IsCloser(letter[1]))) return false;
    tag.letter = letter[0];
    tag.closing = closing;
    const wchar_t* q = letter + 1;
    while (*q == L' ') ++q;
    tag.argument = q;
    while (*q && !IsCloser(*q)) ++q;
    tag.closer = *q ? q : nullptr;
    return true;
}

bool IsRawEnd(const wchar_t* p) {
    return IsOpener(p[0]) && p[1] == L'/' && p[2] == L'r' && IsCloser(p[3]);
}

// "<{>" prints '{', "<}>" '}', "{<}" '<' and "{>}" '>'.
wchar_t EscapedCharacter(const wchar_t* p) {
    if (p[0] == L'<' && (p[1] == L'{' || p[1] == L'}') && p[2] == L'>') return p[1];
    if (p[0] == L'{' && (p[1] == L'<' || p[1] == L'>') && p[2] == L'}') return p[1];
    return 0;
}

long ReadNumber(const wchar_t* text, const wchar_t* end, int base = 10) {
    while (text < end && *text == L' ') ++text;
    return wcstol(text, nullptr, base);
}

CUIString Between(const wchar_t* begin, const wchar_t* end) {
    return CUIString(begin, static_cast<int>(end - begin));
}

class HtmlLayout {
public:
    HtmlLayout(HDC hdc, CPaintManagerUI* manager, const RECT& rect, const wchar_t* text, DWORD color,
               RECT* linkRects, CUIString* linkTexts, int linkCapacity, int font, UINT style)
        : m_hdc(hdc), m_manager(manager), m_rect(rect), m_text(text), m_end(text + wcslen(text)), m_color(color),
          m_linkRects(linkRects), m_linkTexts(linkTexts), m_linkCapacity(linkRects ? std::max(linkCapacity, 0) : 0),
          m_font(font), m_style(style), m_draw(!(style & DT_CALCRECT)) {}

    // Lays the whole text out; returns the number of link rects filled.
    int Run(const wchar_t* hovered);
    LONG Widest() const { return m_widest; }
    LONG Bottom() const { return std::max(m_lowestImage, m_penY + m_cyLine); }

private:
    struct LineState {
        const wchar_t* pos;
        bool raw, selected, inLink;
        int linkIndex;
        std::vector<TFontRecord*> fonts;
        std::vector<DWORD> colors;
        std::vector<int> spacings;
    };
    enum class Step { Go, LineEnd, TextEnd };

    TFontRecord* CurrentFont() {
        if (!m_fonts.empty()) return m_fonts.back();
        return m_manager->GetFontRecord(m_font);
    }
    DWORD CurrentColor() const { return m_colors.empty() ? m_color : m_colors.back(); }
    int CurrentSpacing() const { return m_spacings.empty() ? 0 : m_spacings.back(); }
    int FontLineHeight() {
        const TEXTMETRICW& tm = CurrentFont()->metrics;
        return std::max(1, static_cast<int>(tm.tmHeight + tm.tmExternalLeading) + CurrentSpacing());
    }
    void SelectCurrentFont() {
        SelectObject(m_hdc, CurrentFont()->handle);
        m_cyLine = std::max(m_cyLine, FontLineHeight());
    }
    void ApplyColor() {
        const DWORD argb = CurrentColor();
        SetTextColor(m_hdc, RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF));
    }
    void PushFont(TFontRecord* font) {
        if (!font) return;
        m_fonts.push_back(font);
        SelectCurrentFont();
    }
    TFontRecord* Variant(bool bold, bool underline, bool italic) {
        TFontRecord* f = CurrentFont();
        return m_manager->GetInlineFont(f->faceName.Data(), f->size, bold, underline, italic);
    }

    LineState SaveLine() const {
        return {m_pos, m_raw, m_selected, m_inLink, m_linkIndex, m_fonts, m_colors, m_spacings};
    }
    void RestoreLine(const LineState& s);
    Step WalkLine(const wchar_t* limit);
    Step HandleTag(const Tag& tag);
    Step OpenTag(const Tag& tag);
    Step CloseTag(const Tag& tag);
    Step InlineImage(const Tag& tag);
    void PopFont();
    void ToggleSelection();
    Step TextRun();
    void DrawRun(const wchar_t* run, int length, int width);
    void CloseLinkAtLineEnd();
    void AdvanceLine();

    HDC m_hdc;
    CPaintManagerUI* m_manager;
    RECT m_rect;
    const wchar_t* m_text;
    const wchar_t* m_end;
    DWORD m_color;
    RECT* m_linkRects;
    CUIString* m_linkTexts;
    int m_linkCapacity;
    int m_font;
    UINT m_style;
    bool m_draw;

    const wchar_t* m_pos = nullptr;
    std::vector<TFontRecord*> m_fonts;
    std::vector<DWORD> m_colors;
    std::vector<int> m_spacings;
    LONG m_penX = 0, m_penY = 0;
    int m_cyLine = 0;
    int m_measuredLine = 0;  // height found by the measuring pass of the current line
    LONG m_widest = 0;
    LONG m_lowestImage = 0;
    bool m_raw = false, m_selected = false, m_inLink = false, m_drawPass = false;
    int m_linkIndex = 0;
    int m_lineFirstLink = 0;
    POINT m_linkStart = {};
    const wchar_t* m_hovered = nullptr;
};

void HtmlLayout::RestoreLine(const LineState& s) {
    m_pos = s.pos;
    m_raw = s.raw;
    m_selected = s.selected;
    m_inLink = s.inLink;
    m_linkIndex = s.linkIndex;
    m_fonts = s.fonts;
    m_colors = s.colors;
    m_spacings = s.spacings;
    SelectObject(m_hdc, CurrentFont()->handle);
    ApplyColor();
    SetBkMode(m_hdc, m_selected ? OPAQUE : TRANSPARENT);
}

int HtmlLayout::Run(const wchar_t* hovered) {
    m_hovered = hovered;
    m_pos = m_text;
    m_penX = m_rect.left;
    m_penY = m_rect.top;
    m_widest = m_rect.left;
    m_lowestImage = m_rect.top;
    SelectObject(m_hdc, CurrentFont()->handle);
    ApplyColor();
    m_cyLine = FontLineHeight();
    m_linkStart = {m_penX, m_penY};
    for (;;) {
        const wchar_t* lineStart = m_pos;
        const LONG penXAtStart = m_penX;
        const LineState start = SaveLine();
        const int cyAtStart = m_cyLine;
        m_drawPass = false;
        m_lineFirstLink = m_linkIndex;
        const Step measured = WalkLine(m_end);
        const wchar_t* lineEnd = m_pos;
        CloseLinkAtLineEnd();
        if (m_draw) {
            const LineState afterMeasure = SaveLine();
            const LONG penX = m_penX;
            m_measuredLine = m_cyLine;
            RestoreLine(start);
            m_penX = penXAtStart;
            m_cyLine = cyAtStart;
            m_drawPass = true;
            WalkLine(lineEnd);  // the same stretch the measuring pass took
            m_cyLine = m_measuredLine;
            RestoreLine(afterMeasure);
            m_penX = penX;
        }
        if (measured == Step::TextEnd || (m_style & DT_SINGLELINE)) break;
        if (m_pos == lineStart) break;  // a line that takes no character would repeat for ever
        AdvanceLine();
        if (m_penY >= m_rect.bottom) break;
    }
    return std::min(m_linkIndex, m_linkCapacity);
}

void HtmlLayout::AdvanceLine() {
    m_penX = m_rect.left;
    m_penY += m_cyLine;
    m_cyLine = FontLineHeight();
    if (m_inLink) m_linkStart = {m_penX, m_penY};
}

// End of the measuring pass: an open link is closed here and continues in the next slot; every link of
// the line reaches down to the line's bottom.
void HtmlLayout::CloseLinkAtLineEnd() {
    const LONG bottom = m_penY + m_cyLine;
    if (m_inLink && m_linkIndex < m_linkCapacity) {
        m_linkRects[m_linkIndex] = {m_linkStart.x, m_linkStart.y, std::min(m_penX, m_rect.right), bottom};
        ++m_linkIndex;
        if (m_linkIndex < m_linkCapacity && m_linkTexts) m_linkTexts[m_linkIndex] = m_linkTexts[m_linkIndex - 1];
    }
    for (int i = m_lineFirstLink; i < std::min(m_linkIndex, m_linkCapacity); ++i) m_linkRects[i].bottom = bottom;
}

HtmlLayout::Step HtmlLayout::WalkLine(const wchar_t* limit) {
    for (;;) {
        if (m_pos >= m_end) return Step::TextEnd;
        if (m_pos >= limit) return Step::LineEnd;
        if (m_penX >= m_rect.right) return Step::LineEnd;
        if (*m_pos == L'\n') {
            ++m_pos;
            return Step::LineEnd;
        }
        Step step = Step::Go;
        Tag tag;
        if (!m_raw && ReadTag(m_pos, tag)) {
            if (!tag.closer) {  // an unterminated tag ends the text
                m_pos = m_end;
                return Step::TextEnd;
            }
            step = HandleTag(tag);
        } else if (wchar_t escaped = m_raw ? 0 : EscapedCharacter(m_pos)) {
            SIZE size = {};
            GetTextExtentPoint32W(m_hdc, &escaped, 1, &size);
            DrawRun(&escaped, 1, size.cx);
            m_penX += size.cx;
            m_widest = std::max(m_widest, m_penX);
            m_pos += 3;
        } else if (m_raw && IsRawEnd(m_pos)) {
            m_raw = false;
            m_pos += 4;
        } else if (*m_pos == L' ') {
            SIZE size = {};
            GetTextExtentPoint32W(m_hdc, L" ", 1, &size);
            DrawRun(L" ", 1, size.cx);
            m_penX += size.cx;
            m_widest = std::max(m_widest, m_penX);
            ++m_pos;
        } else {
            step = TextRun();
        }
        if (step != Step::Go) return step;
    }
}

HtmlLayout::Step HtmlLayout::HandleTag(const Tag& tag) {
    const wchar_t* start = m_pos;
    Step step = tag.closing ? CloseTag(tag) : OpenTag(tag);
    // A handler that ended the line before the tag took effect clears the position: the tag is read
    // again at the start of the next line.
    m_pos = m_pos ? tag.closer + 1 : start;
    return step;
}

HtmlLayout::Step HtmlLayout::OpenTag(const Tag& tag) {
    const wchar_t* arg = tag.argument;
    const wchar_t* end = tag.closer;
    switch (tag.letter) {
        case L'a': {
            const CUIString target = Between(arg, end);
            if (!m_drawPass && m_linkIndex < m_linkCapacity && m_linkTexts) m_linkTexts[m_linkIndex] = target;
            DWORD linkColor = m_color ? m_color : m_manager->GetDefaultLinkColor();
            if (m_hovered && target == m_hovered) linkColor = m_manager->GetDefaultLinkHoverColor();
            m_colors.push_back(linkColor);
            ApplyColor();
            if (!CurrentFont()->underline) PushFont(Variant(CurrentFont()->bold, true, CurrentFont()->italic));
            m_linkStart = {m_penX, m_penY};
            m_inLink = true;
            break;
        }
        case L'b':
            if (!CurrentFont()->bold) PushFont(Variant(true, CurrentFont()->underline, CurrentFont()->italic));
            break;
        case L'c': {
            const wchar_t* digits = arg;
            while (digits < end && (*digits == L' ' || *digits == L'#')) ++digits;
            // Unsigned: every opaque "#FFrrggbb" is above what a signed read can hold.
            m_colors.push_back(static_cast<DWORD>(wcstoul(digits, nullptr, 16)));
            ApplyColor();
            break;
        }
        case L'f': {
            if (*arg >= L'0' && *arg <= L'9') {
                PushFont(m_manager->GetFontRecord(static_cast<int>(ReadNumber(arg, end))));
                break;
            }
            const wchar_t* faceEnd = arg;
            while (faceEnd < end && *faceEnd != L' ') ++faceEnd;
            const CUIString face = Between(arg, faceEnd);
            const wchar_t* rest = faceEnd;
            while (rest < end && *rest == L' ') ++rest;
            int size = 10;
            if (rest < end && *rest >= L'0' && *rest <= L'9') size = static_cast<int>(ReadNumber(rest, end));
            CUIString words = Between(rest, end);
            words.ToLower();
            const bool bold = words.Find(L"bold") >= 0, underline = words.Find(L"underline") >= 0;
            PushFont(m_manager->GetInlineFont(face.Data(), size, bold, underline, words.Find(L"italic") >= 0));
            break;
        }
        case L'i':
            if (arg == end) {
                if (!CurrentFont()->italic) PushFont(Variant(CurrentFont()->bold, CurrentFont()->underline, true));
                break;
            }
            return InlineImage(tag);
        case L'n':
            if (!(m_style & DT_SINGLELINE)) return Step::LineEnd;
            break;
        case L'p':
            if (m_penX > m_rect.left) {
                m_pos = nullptr;  // read again at the start of the next line
                return Step::LineEnd;
            }
            m_spacings.push_back(static_cast<int>(ReadNumber(arg, end)));
            m_cyLine = std::max(m_cyLine, FontLineHeight());
            break;
        case L'r':
            m_raw = true;
            break;
        case L's':
            ToggleSelection();
            break;
        case L'u':
            if (!CurrentFont()->underline) PushFont(Variant(CurrentFont()->bold, true, CurrentFont()->italic));
            break;
        case L'x':
            m_penX = std::max<LONG>(m_rect.left, m_penX + ReadNumber(arg, end));
            m_widest = std::max(m_widest, m_penX);
            break;
        case L'y':
            m_cyLine = std::max(1, static_cast<int>(ReadNumber(arg, end)));
            break;
        default:
            break;
    }
    return Step::Go;
}

HtmlLayout::Step HtmlLayout::CloseTag(const Tag& tag) {
    switch (tag.letter) {
        case L'a': {
            if (m_inLink && m_linkIndex < m_linkCapacity) {
                if (!m_drawPass) {
                    const TEXTMETRICW& tm = CurrentFont()->metrics;
                    m_linkRects[m_linkIndex] = {m_linkStart.x, m_linkStart.y, std::min(m_penX, m_rect.right),
                                                m_penY + tm.tmHeight + tm.tmExternalLeading};
                }
                ++m_linkIndex;
            }
            m_inLink = false;
            if (!m_colors.empty()) m_colors.pop_back();
            ApplyColor();
            PopFont();
            break;
        }
        case L'b':
        case L'f':
        case L'i':
        case L'u':
            PopFont();
            break;
        case L'c':
            if (!m_colors.empty()) m_colors.pop_back();
            ApplyColor();
            break;
        case L'p':
            if (m_penX > m_rect.left) {
                m_pos = nullptr;
                return Step::LineEnd;
            }
            if (!m_spacings.empty()) m_spacings.pop_back();
            m_cyLine = std::max(m_cyLine, FontLineHeight());
            break;
        case L's':
            ToggleSelection();
            break;
        default:
            break;
    }
    return Step::Go;
}

void HtmlLayout::PopFont() {
    if (m_fonts.empty()) return;
    ABC overhang = {};
    const bool wasItalic = CurrentFont()->italic && GetCharABCWidthsW(m_hdc, L' ', L' ', &overhang);
    m_fonts.pop_back();
    SelectCurrentFont();
    if (wasItalic && !CurrentFont()->italic) m_penX += overhang.abcC / 2;  // room for the italic overhang
}

void HtmlLayout::ToggleSelection() {
    m_selected = !m_selected;
    if (m_drawPass) SetBkMode(m_hdc, m_selected ? OPAQUE : TRANSPARENT);
}

// "<i name [count] [index]>" or "<i file='..' restype='..'>": one slice of an image, sitting on the line.
HtmlLayout::Step HtmlLayout::InlineImage(const Tag& tag) {
    const CUIString arg = Between(tag.argument, tag.closer);
    CUIString name, type;
    long count = 1, index = 0;
    if (arg.Find(L"file='") >= 0 || arg.Find(L"res='") >= 0) {
        TImageDrawInfo pairs;
        pairs.Parse(arg.Data(), nullptr, static_cast<const CUIDpi*>(nullptr));
        name = pairs.imageName;
        type = pairs.resourceType;
    } else {
        const int blank = arg.Find(L' ');
        name = blank < 0 ? arg : arg.Prefix(blank);
        if (blank >= 0) {
            wchar_t* next = nullptr;
            const wchar_t* numbers = arg.Data() + blank;
            count = std::max(1L, wcstol(numbers, &next, 10));
            index = wcstol(next, nullptr, 10);
            if (index < 0 || index >= count) index = 0;
        }
    }
    TImageRecord* image = m_manager->GetOrLoadImage(name.Data(), type.IsEmpty() ? nullptr : type.Data());
    if (!image) return Step::Go;
    const int width = image->width / static_cast<int>(count);
    const int height = image->height;
    if (m_penX + width > m_rect.right && m_penX > m_rect.left && !(m_style & DT_SINGLELINE)) {
        m_pos = nullptr;
        return Step::LineEnd;
    }
    if (m_drawPass) {
        LONG bottom = m_penY + m_measuredLine;
        if (height < m_measuredLine) bottom -= (m_measuredLine - height) / 2;
        const RECT dest = {m_penX, bottom - height, m_penX + width, bottom};
        const RECT source = {static_cast<LONG>(index * width), 0, static_cast<LONG>((index + 1) * width), height};
        const RECT corners = {};
        CUIRender::DrawImage(m_hdc, image->bitmap, dest, m_rect, source, corners, image->hasAlpha);
    }
    m_cyLine = std::max(m_cyLine, height);
    m_penX += width;
    m_widest = std::max(m_widest, m_penX);
    m_lowestImage = std::max(m_lowestImage, m_penY + height);
    return Step::Go;
}

// Characters up to a line feed, the end or a bracket (raw text: up to the closing r tag), cut where the
// line is full: before the character that does not fit, at the last word break, or before an ellipsis.
HtmlLayout::Step HtmlLayout::TextRun() {
    const wchar_t* run = m_pos;
    const int room = std::max<LONG>(m_rect.right - m_penX, 0);
    // Take no more than can fit (plus a margin for zero-width characters): the rest is another run, so
    // a long text in a narrow rectangle is not scanned and measured whole for every line.
    const wchar_t* last = m_end - run > room + 64 ? run + room + 64 : m_end;
    const wchar_t* p = m_pos + 1;
    while (p < last && *p != L'\n' && (m_raw ? !IsRawEnd(p) : !IsOpener(*p))) ++p;
    int length = static_cast<int>(p - run);
    int fit = length;
    SIZE size = {};
    GetTextExtentExPointW(m_hdc, run, length, room, &fit, nullptr, &size);
    bool lineEnds = false, ellipsis = false;
    if (fit < length) {
        lineEnds = true;
        int keep = m_penX > m_rect.left ? fit : fit + 1;  // a line always takes a character
        if (m_style & DT_WORDBREAK) {
            int lastBreak = 0;
            for (int i = 0; i <= fit && i < length; ++i) {
                if (!IsAsciiLetter(run[i])) lastBreak = i + 1;
            }
            if (lastBreak > 0 && lastBreak <= keep) keep = lastBreak;
        }
        if ((m_style & DT_END_ELLIPSIS) && keep > 0) {
            keep -= keep > 1 ? 2 : 1;
            ellipsis = true;
        }
        length = keep;
        GetTextExtentPoint32W(m_hdc, run, length, &size);
    }
    const int width = length > 0 ? size.cx : 0;
    DrawRun(run, length, width);
    if (ellipsis && m_drawPass) {
        const TEXTMETRICW& tm = CurrentFont()->metrics;
        TextOutW(m_hdc, m_penX + width, m_penY + m_measuredLine - tm.tmHeight - tm.tmExternalLeading, L"...", 3);
    }
    m_penX = ellipsis ? m_rect.right : m_penX + width;
    m_widest = std::max(m_widest, m_penX);
    m_pos = run + length;
    return lineEnds ? Step::LineEnd : Step::Go;
}

void HtmlLayout::DrawRun(const wchar_t* run, int length, int width) {
    if (!m_drawPass || length <= 0) return;
    const TEXTMETRICW& tm = CurrentFont()->metrics;
    LONG x = m_penX;
    if (!(m_style & DT_SINGLELINE)) {
        const LONG spare = (m_rect.right - m_rect.left) - width;
        if (m_style & DT_CENTER)
            x += spare / 2;
        else if (m_style & DT_RIGHT)
            x += spare;
    }
    TextOutW(m_hdc, x, m_penY + m_measuredLine - tm.tmHeight - tm.tmExternalLeading, run, length);
}

}  // namespace

void CUIRender::DrawHtmlText(HDC hdc, CPaintManagerUI* manager, RECT& rect, const wchar_t* text, DWORD color,
                             RECT* linkRects, CUIString* linkTexts, int& linkCount, int font, UINT style) {
    const int capacity = linkCount;
    linkCount = 0;
    if (!hdc || !text || !manager || IsRectEmpty(&rect)) return;
    const bool draw = !(style & DT_CALCRECT);

    // Alignment: measure first (at the real width, so wrapping matches, and far deeper than any label),
    // then move the rectangle.
    if (draw && (style & (DT_CENTER | DT_RIGHT | DT_VCENTER | DT_BOTTOM))) {
        RECT measured = {0, 0, rect.right - rect.left, SHRT_MAX};
        int none = 0;
        DrawHtmlText(hdc, manager, measured, text, color, nullptr, nullptr, none, font, style | DT_CALCRECT);
        const LONG width = measured.right - measured.left, height = measured.bottom - measured.top;
        if (style & DT_SINGLELINE) {
            if (style & DT_CENTER) {
                rect.left = rect.left + (rect.right - rect.left) / 2 - width / 2;
                rect.right = rect.left + width;
            } else if (style & DT_RIGHT) {
                rect.left = rect.right - width;
            }
        }
        if (style & DT_VCENTER) {
            rect.top = rect.top + (rect.bottom - rect.top) / 2 - height / 2;
            rect.bottom = rect.top + height;
        } else if (style & DT_BOTTOM) {
            rect.top = rect.bottom - height;
        }
    }

    // The link under the mouse, from the rectangles of the previous paint.
    const wchar_t* hovered = nullptr;
    if (linkRects && linkTexts) {
        const POINT mouse = manager->GetMousePos();
        for (int i = 0; i < capacity; ++i) {
            if (PtInRect(&linkRects[i], mouse)) {
                hovered = linkTexts[i].Data();
                break;
            }
        }
    }
    const CUIString hoveredText = hovered ? CUIString(hovered) : CUIString();

    CUIRenderClip clip;
    if (draw) CUIRenderClip::GenerateClip(hdc, rect, clip);
    HGDIOBJ oldFont = GetCurrentObject(hdc, OBJ_FONT);
    const int oldMode = SetBkMode(hdc, TRANSPARENT);
    const DWORD selected = manager->GetDefaultSelectedBkColor();
    const COLORREF oldBack = SetBkColor(hdc, RGB((selected >> 16) & 0xFF, (selected >> 8) & 0xFF, selected & 0xFF));
    const COLORREF oldText = GetTextColor(hdc);

    HtmlLayout layout(hdc, manager, rect, text, color, linkRects, linkTexts, capacity, font, style);
    linkCount = layout.Run(hovered ? hoveredText.Data() : nullptr);
    if (!draw) {
        rect.bottom = layout.Bottom();
        rect.right = std::min(rect.right, layout.Widest());
    }
    SelectObject(hdc, oldFont);
    SetBkMode(hdc, oldMode);
    SetBkColor(hdc, oldBack);
    SetTextColor(hdc, oldText);
}

}  // namespace SkinUI
