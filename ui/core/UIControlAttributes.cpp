// CControlUI: the base attribute parser, attribute lists (and the styles they name) and custom attributes.
#include "UIControl.h"

#include "UIAttributes.h"
#include "UIManager.h"
#include "base/Log.h"

#include <cwchar>

namespace SkinUI {

namespace {

// A style may name another style, or itself: nesting deeper than this is refused, so a style cycle in
// a skin ends instead of overflowing the stack.
constexpr int kMaxAttributeListNesting = 16;
int gAttributeListNesting = 0;  // UI thread only

class AttributeListNesting {
public:
    AttributeListNesting() { ++gAttributeListNesting; }
    ~AttributeListNesting() { --gAttributeListNesting; }
    bool TooDeep() const { return gAttributeListNesting > kMaxAttributeListNesting; }
};

bool Is(const wchar_t* name, const wchar_t* expected) { return EqualsIgnoreCase(name, expected); }

using AttributeSetter = void (*)(CControlUI& control, const wchar_t* value);

struct TAttribute {
    const wchar_t* name;
    AttributeSetter set;
};

}  // namespace

void CControlUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (ApplyStyleNamedBy(value)) return;

    // Tested in this order; the first name that matches acts.
    static const TAttribute kAttributes[] = {
        {L"innerstyle", [](CControlUI& c, const wchar_t* v) { c.ApplyAttributeList(v); }},
        {L"pos",
         [](CControlUI& c, const wchar_t* v) {
             const RECT r = ParseRect(v);
             c.SetFixedXY(SIZE{r.left < 0 ? r.right : r.left, r.top < 0 ? r.bottom : r.top});
             c.SetFixedWidth(r.right - r.left);
             c.SetFixedHeight(r.bottom - r.top);
         }},
        {L"float",
         [](CControlUI& c, const wchar_t* v) {
             if (!wcschr(v, L',')) {
                 c.SetFloat(IsTrue(v));
                 return;
             }
             double f[4];
             ParseDoubleList(v, f, 4);
             c.SetFloatPercent(TPercentInfo{f[0], f[1], f[2], f[3]});
             c.SetFloat(true);
         }},
        {L"floatalign", [](CControlUI& c, const wchar_t* v) { c.SetFloatAlign(ParseFloatAlign(v, c.GetFloatAlign())); }},
        {L"padding", [](CControlUI& c, const wchar_t* v) { c.SetPadding(ParseRect(v)); }},
        {L"gradient", [](CControlUI& c, const wchar_t* v) { c.SetGradient(v); }},
        {L"bkcolor", [](CControlUI& c, const wchar_t* v) { c.SetBkColor(ParseColor(v, true)); }},
        {L"bkcolor1", [](CControlUI& c, const wchar_t* v) { c.SetBkColor(ParseColor(v, true)); }},
        {L"bkcolor2", [](CControlUI& c, const wchar_t* v) { c.SetBkColor2(ParseColor(v, true)); }},
        {L"bkcolor3", [](CControlUI& c, const wchar_t* v) { c.SetBkColor3(ParseColor(v, true)); }},
        {L"forecolor", [](CControlUI& c, const wchar_t* v) { c.SetForeColor(ParseColor(v, true)); }},
        {L"bordercolor", [](CControlUI& c, const wchar_t* v) { c.SetBorderColor(ParseColor(v)); }},
        {L"focusbordercolor", [](CControlUI& c, const wchar_t* v) { c.SetFocusBorderColor(ParseColor(v)); }},
        {L"colorhsl", [](CControlUI& c, const wchar_t* v) { c.SetColorHSL(IsTrue(v)); }},
        {L"bordersize",
         [](CControlUI& c, const wchar_t* v) {
             if (wcschr(v, L',')) {
                 c.SetBorderSize(ParseRect(v));
                 return;
             }
             c.SetBorderSize(ParseInt(v));
             c.SetBorderSize(RECT{0, 0, 0, 0});
         }},
        {L"leftbordersize", [](CControlUI& c, const wchar_t* v) { c.SetLeftBorderSize(ParseInt(v)); }},
        {L"topbordersize", [](CControlUI& c, const wchar_t* v) { c.SetTopBorderSize(ParseInt(v)); }},
        {L"rightbordersize", [](CControlUI& c, const wchar_t* v) { c.SetRightBorderSize(ParseInt(v)); }},
        {L"bottombordersize", [](CControlUI& c, const wchar_t* v) { c.SetBottomBorderSize(ParseInt(v)); }},
        {L"borderstyle", [](CControlUI& c, const wchar_t* v) { c.SetBorderStyle(ParseInt(v)); }},
        {L"borderround", [](CControlUI& c, const wchar_t* v) { c.SetBorderRound(ParseSize(v)); }},
        {L"bkimage", [](CControlUI& c, const wchar_t* v) { c.SetBkImage(v); }},
        {L"foreimage", [](CControlUI& c, const wchar_t* v) { c.SetForeImage(v); }},
        {L"width", [](CControlUI& c, const wchar_t* v) { c.SetFixedWidth(ParseInt(v)); }},
        {L"height", [](CControlUI& c, const wchar_t* v) { c.SetFixedHeight(ParseInt(v)); }},
        {L"minwidth", [](CControlUI& c, const wchar_t* v) { c.SetMinWidth(ParseInt(v)); }},
        {L"minheight", [](CControlUI& c, const wchar_t* v) { c.SetMinHeight(ParseInt(v)); }},
        {L"maxwidth", [](CControlUI& c, const wchar_t* v) { c.SetMaxWidth(ParseInt(v)); }},
        {L"maxheight", [](CControlUI& c, const wchar_t* v) { c.SetMaxHeight(ParseInt(v)); }},
        {L"name", [](CControlUI& c, const wchar_t* v) { c.SetName(v); }},
        {L"drag", [](CControlUI& c, const wchar_t* v) { c.SetDragEnable(IsTrue(v)); }},
        {L"drop", [](CControlUI& c, const wchar_t* v) { c.SetDropEnable(IsTrue(v)); }},
        {L"resourcetext", [](CControlUI& c, const wchar_t* v) { c.SetResourceText(IsTrue(v)); }},
        {L"text", [](CControlUI& c, const wchar_t* v) { c.SetText(v); }},
        {L"tooltip", [](CControlUI& c, const wchar_t* v) { c.SetToolTip(v); }},
        {L"userdata", [](CControlUI& c, const wchar_t* v) { c.SetUserData(v); }},
        {L"enabled", [](CControlUI& c, const wchar_t* v) { c.SetEnabled(IsTrue(v)); }},
        {L"mouse", [](CControlUI& c, const wchar_t* v) { c.SetMouseEnabled(IsTrue(v)); }},
        {L"keyboard", [](CControlUI& c, const wchar_t* v) { c.SetKeyboardEnabled(IsTrue(v)); }},
        {L"visible", [](CControlUI& c, const wchar_t* v) { c.SetVisible(IsTrue(v)); }},
        {L"shortcut", [](CControlUI& c, const wchar_t* v) { c.SetShortcut(v[0]); }},
        {L"menu", [](CControlUI& c, const wchar_t* v) { c.SetContextMenuUsed(IsTrue(v)); }},
        {L"cursor",
         [](CControlUI& c, const wchar_t* v) {
             WORD id = 0;
             if (CursorFromName(v, &id)) c.SetCursor(id);
         }},
        {L"virtualwnd", [](CControlUI& c, const wchar_t* v) { c.SetVirtualWnd(v); }},
    };

    if (!value) value = L"";
    for (const TAttribute& attribute : kAttributes) {
        if (Is(name, attribute.name)) {
            attribute.set(*this, value);
            return;
        }
    }
    AddCustomAttribute(name, value);
}

// A value that names a style of the manager applies that style instead, whatever the attribute.
bool CControlUI::ApplyStyleNamedBy(const wchar_t* value) {
    const wchar_t* style = m_pManager && value ? m_pManager->GetStyle(value) : nullptr;
    if (!style) return false;
    ApplyAttributeList(style);
    return true;
}

void CControlUI::ApplyAttributeList(const wchar_t* list) {
    AttributeListNesting nesting;
    if (nesting.TooDeep()) {
        LogPrintW(L"CControlUI::ApplyAttributeList: styles nested too deeply, \"%ls\" ignored\n", list ? list : L"");
        return;
    }
    if (!list) return;
    if (m_pManager) {
        if (const wchar_t* style = m_pManager->GetStyle(list)) {
            ApplyAttributeList(style);
            return;
        }
    }
    CUIString text(list);
    text.ReplaceAll(L"&quot;", L"\"");
    const wchar_t* p = text.Data();
    while (*p) {
        const wchar_t* nameStart = p;
        while (*p && *p != L'=') ++p;
        if (*p != L'=') return;
        const CUIString name(nameStart, static_cast<int>(p - nameStart));
        if (*++p != L'"') return;
        const wchar_t* valueStart = ++p;
        while (*p && *p != L'"') ++p;
        if (*p != L'"') return;
        const CUIString value(valueStart, static_cast<int>(p - valueStart));
        SetAttribute(name.Data(), value.Data());
        ++p;
        if (*p != L' ' && *p != L',') return;
        ++p;
    }
}

// ---------------------------------------------------------------------------------------------------
// Custom attributes: unknown names keep their values here.

void CControlUI::AddCustomAttribute(const wchar_t* name, const wchar_t* value) {
    if (!name || !*name || !value || !*value) return;
    if (m_mCustomAttrHash.Lookup(name)) return;
    auto* copy = new CUIString(value);
    if (!m_mCustomAttrHash.Insert(name, copy)) delete copy;
}

const wchar_t* CControlUI::GetCustomAttribute(const wchar_t* name) const {
    auto* value = name ? static_cast<CUIString*>(m_mCustomAttrHash.Lookup(name)) : nullptr;
    return value ? value->Data() : nullptr;
}

bool CControlUI::RemoveCustomAttribute(const wchar_t* name) {
    auto* value = name ? static_cast<CUIString*>(m_mCustomAttrHash.Lookup(name)) : nullptr;
    if (!value) return false;
    delete value;
    return m_mCustomAttrHash.Remove(name);
}

void CControlUI::RemoveAllCustomAttribute() {
    for (int i = 0; i < m_mCustomAttrHash.Count(); ++i)
        delete static_cast<CUIString*>(m_mCustomAttrHash.Lookup(m_mCustomAttrHash.KeyAt(i), false));
    m_mCustomAttrHash.ResetBuckets(CUIStringMap::kDefaultBuckets);
}

}  // namespace SkinUI
