// CPaintManagerUI: construction, destruction, window geometry settings, option groups and window
// attributes.
#include "UIManager.h"

#include "UIManagerShared.h"
#include "UIRender.h"

#include <commctrl.h>
#include <objidl.h>
#include <gdiplus.h>

namespace SkinUI {

namespace {

// Colours and default font of the shared set, made by the first manager of the process (again after
// ShutdownShared).
void InitialiseShared() {
    SharedResources& shared = Shared();
    if (!shared.set.defaultFont.faceName.IsEmpty()) return;
    TResourceSet defaults;
    shared.set.defaultDisabledColor = defaults.defaultDisabledColor;
    shared.set.defaultTextColor = defaults.defaultTextColor;
    shared.set.defaultLinkColor = defaults.defaultLinkColor;
    shared.set.defaultLinkHoverColor = defaults.defaultLinkHoverColor;
    shared.set.defaultSelectedBkColor = defaults.defaultSelectedBkColor;
    LOGFONTW logFont = {};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof logFont, &logFont);
    logFont.lfCharSet = DEFAULT_CHARSET;
    TFontRecord& font = shared.set.defaultFont;
    font.handle = CreateFontIndirectW(&logFont);
    font.faceName = logFont.lfFaceName;
    font.size = -logFont.lfHeight;
    font.bold = logFont.lfWeight >= FW_BOLD;
    font.underline = logFont.lfUnderline != 0;
    font.italic = logFont.lfItalic != 0;
    font.metrics = TEXTMETRICW();
    if (!shared.updatePen) {
        shared.updatePen = CreatePen(PS_SOLID, 1, RGB(220, 0, 0));
        InitCommonControls();
    }
}

}  // namespace

CPaintManagerUI::CPaintManagerUI() {
    InitialiseShared();
    const TResourceSet& shared = Shared().set;
    m_resources.defaultDisabledColor = shared.defaultDisabledColor;
    m_resources.defaultTextColor = shared.defaultTextColor;
    m_resources.defaultLinkColor = shared.defaultLinkColor;
    m_resources.defaultLinkHoverColor = shared.defaultLinkHoverColor;
    m_resources.defaultSelectedBkColor = shared.defaultSelectedBkColor;
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&m_gdiplusToken, &input, nullptr);
}

CPaintManagerUI::~CPaintManagerUI() {
    ReleaseWindowSide();
    ReleaseControlServices();
    if (m_resources.defaultFont.handle) DeleteObject(m_resources.defaultFont.handle);
    FreeFontMap(m_resources.fonts);
    FreeImageMap(m_resources.images);
    FreeDrawInfoMap();
    FreeTextMap(m_resources.defaultAttributes);
    FreeTextMap(m_resources.styles);
    RemoveAllWindowAttributes();
    RemoveAllOptionGroups();
    for (auto& font : m_inlineFonts) DeleteObject(font->handle);
    m_inlineFonts.clear();
    FreeSharedFontCopies();
    for (int i = 0; i < m_aMemoryFonts.Count(); ++i) RemoveFontMemResourceEx(static_cast<HANDLE>(m_aMemoryFonts[i]));
    m_aMemoryFonts.Clear();
    CUIPtrArray& managers = Shared().managers;
    int index = managers.IndexOf(this);
    if (index >= 0) managers.RemoveAt(index);
    if (m_gdiplusToken) Gdiplus::GdiplusShutdown(m_gdiplusToken);
    delete m_pDpi;
}

CUIDpi* CPaintManagerUI::GetDpiScaler() {
    if (!m_pDpi) m_pDpi = new CUIDpi;
    return m_pDpi;
}

// ---------------------------------------------------------------------------------------------------
// Window geometry settings.

void CPaintManagerUI::SetInitialSize(int cx, int cy) {
    m_szInitWindowSize = {cx, cy};
    if (!m_pRoot && m_hWndPaint)
        SetWindowPos(m_hWndPaint, nullptr, 0, 0, cx, cy, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
}

SIZE CPaintManagerUI::GetClientSize() const {
    RECT client = {};
    if (m_hWndPaint) GetClientRect(m_hWndPaint, &client);
    return {client.right - client.left, client.bottom - client.top};
}

void CPaintManagerUI::SetMinInfo(int cx, int cy) { m_szMinWindow = {cx, cy}; }

SIZE CPaintManagerUI::GetMinInfo() { return GetDpiScaler()->ScaleSize(m_szMinWindow.cx, m_szMinWindow.cy); }

void CPaintManagerUI::SetMaxInfo(int cx, int cy) { m_szMaxWindow = {cx, cy}; }

SIZE CPaintManagerUI::GetMaxInfo() { return GetDpiScaler()->ScaleSize(m_szMaxWindow.cx, m_szMaxWindow.cy); }

RECT CPaintManagerUI::GetSizeBox() {
    const CUIDpi* dpi = GetDpiScaler();
    return {dpi->Scale(m_rcSizeBox.left), dpi->Scale(m_rcSizeBox.top), dpi->Scale(m_rcSizeBox.right),
            dpi->Scale(m_rcSizeBox.bottom)};
}

void CPaintManagerUI::SetCornerRoundness(int cx, int cy) { m_szRoundCorner = {cx, cy}; }

SIZE CPaintManagerUI::GetCornerRoundness() { return GetDpiScaler()->ScaleSize(m_szRoundCorner.cx, m_szRoundCorner.cy); }

RECT CPaintManagerUI::GetCaptionRect() {
    const CUIDpi* dpi = GetDpiScaler();
    // left, top and right are distances from the client edges, bottom a distance from the top.
    return {dpi->Scale(m_rcCaption.left), dpi->Scale(m_rcCaption.top), dpi->Scale(m_rcCaption.right),
            m_rcCaption.bottom < 0 ? m_rcCaption.bottom : dpi->Scale(m_rcCaption.bottom)};
}

// ---------------------------------------------------------------------------------------------------
// Option groups: group name -> the controls of the group.

bool CPaintManagerUI::AddToOptionGroup(const wchar_t* group, CControlUI* control) {
    if (!group || !control) return false;
    auto* members = static_cast<CUIPtrArray*>(m_optionGroups.Lookup(group));
    if (members) {
        if (members->IndexOf(control) >= 0) return false;
        return members->Add(control);
    }
    members = new CUIPtrArray(6);
    members->Add(control);
    m_optionGroups.Insert(group, members);
    return true;
}

CUIPtrArray* CPaintManagerUI::FindOptionGroup(const wchar_t* group) const {
    return group ? static_cast<CUIPtrArray*>(m_optionGroups.Lookup(group)) : nullptr;
}

void CPaintManagerUI::RemoveFromOptionGroup(const wchar_t* group, CControlUI* control) {
    CUIPtrArray* members = FindOptionGroup(group);
    if (!members) return;
    int index = members->IndexOf(control);
    if (index >= 0) members->RemoveAt(index);
    if (members->IsEmpty()) {
        delete members;
        m_optionGroups.Remove(group);
    }
}

void CPaintManagerUI::RemoveAllOptionGroups() {
    for (int i = 0; i < m_optionGroups.Count(); ++i)
        delete static_cast<CUIPtrArray*>(m_optionGroups.Lookup(m_optionGroups.KeyAt(i), false));
    m_optionGroups.RemoveAll();
}

// ---------------------------------------------------------------------------------------------------
// Window attributes: name -> value text.

void CPaintManagerUI::AddWindowAttribute(const wchar_t* name, const wchar_t* value) {
    if (!name || !*name) return;
    delete static_cast<CUIString*>(m_windowAttributes.Set(name, new CUIString(value)));
}

const wchar_t* CPaintManagerUI::GetWindowAttribute(const wchar_t* name) const {
    if (!name || !*name) return nullptr;
    auto* value = static_cast<CUIString*>(m_windowAttributes.Lookup(name));
    return value ? value->Data() : nullptr;
}

bool CPaintManagerUI::RemoveWindowAttribute(const wchar_t* name) {
    if (!name || !*name) return false;
    auto* value = static_cast<CUIString*>(m_windowAttributes.Lookup(name));
    if (!value) return false;
    delete value;
    return m_windowAttributes.Remove(name);
}

void CPaintManagerUI::RemoveAllWindowAttributes() { FreeTextMap(m_windowAttributes); }

}  // namespace SkinUI
