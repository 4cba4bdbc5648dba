#pragma once
// CPaintManagerUI: the per-window hub of the framework. This header is organised by area, each with its
// own source file:
//   UIManager.cpp           construction, destruction, window geometry settings, option groups,
//                           window attributes, plain accessors
//   UIManagerFonts.cpp      fonts (window and shared sets, inline fonts of formatted text, font files)
//   UIManagerImages.cpp     images, image descriptions and their cache, hue/saturation/lightness
//   UIManagerResources.cpp  styles, default attribute lists, default colours, DPI re-scaling of resources
//   UIManagerShared.cpp     process-wide settings, plug-ins and shutdown of the shared resources
//   UIManagerControls.cpp   services of the control tree: name map, control initialisation, focus and
//                           tab order, control timers, notifications, delayed clean-up, search
//                           callbacks, invalidation
//   UIManagerWindow.cpp     the window side: window messages turned into control events (mouse, keys,
//                           focus, timers, tooltips), the message loop's pre-translation, DPI changes
//   UIManagerPaint.cpp      painting (direct, off-screen, layered), opacity, drag and drop
// A resource is looked up in the window's own set first, then in the process-wide shared set.
#include "UIDpi.h"
#include "UIDragDrop.h"
#include "UIGeometry.h"
#include "UIImage.h"
#include "UINotify.h"
#include "UIPtrArray.h"
#include "UIResourceSettings.h"
#include "UIShadow.h"
#include "UIString.h"
#include "UIStringMap.h"
#include "UIWindow.h"

#include <windows.h>

#include <map>
#include <memory>
#include <vector>

namespace SkinUI {

class CControlUI;
class CDropTargetProxy;
struct TUIEvent;

struct TFontRecord {
    HFONT handle = nullptr;
    CUIString faceName;
    int size = 0;  // unscaled, in layout units
    int percent = 100;  // the DPI scale its handle was made at
    bool bold = false;
    bool underline = false;
    bool italic = false;
    TEXTMETRICW metrics = {};  // filled on first use (height 0 until then)
    LOGFONTW logFont = {};     // read with the metrics: text drawing need not ask GDI per call
    HFONT logFontOf = nullptr;  // the handle logFont was read from
};

// The resource tables of one window, or the process-wide shared set.
struct TResourceSet {
    DWORD defaultDisabledColor = 0xFFA7A6AA;
    DWORD defaultTextColor = 0xFF000000;
    DWORD defaultLinkColor = 0xFF0000FF;
    DWORD defaultLinkHoverColor = 0xFFD3215F;
    DWORD defaultSelectedBkColor = 0xFFBAE4FF;
    TFontRecord defaultFont;            // a window's default is in use only when its face name is set
    CUIStringMap fonts;                 // id as decimal text -> TFontRecord*
    CUIStringMap images;                // image name -> TImageRecord*
    CUIStringMap defaultAttributes;     // control class name -> CUIString* attribute list
    CUIStringMap styles;                // style name -> CUIString* attribute list
    CUIStringMap drawInfos;             // image text, separator, modify text -> TImageDrawInfo* (window set)
};

// A control creator exported by a plug-in module as "CreateControl".
using PluginCreateControl = CControlUI* (*)(const wchar_t* className);

// The manager is also its window's OLE drop target (OLE holds a forwarding object of its own); it
// accepts no dropped data.
class CPaintManagerUI : public CIDropTarget {
public:
    CPaintManagerUI();
    ~CPaintManagerUI();
    CPaintManagerUI(const CPaintManagerUI&) = delete;
    CPaintManagerUI& operator=(const CPaintManagerUI&) = delete;

    // ---- plain accessors
    const CUIString& GetName() const { return m_name; }
    HWND GetWindowHandle() const { return m_hWndPaint; }
    HDC GetPaintDeviceContext() const { return m_hDcPaint; }
    CControlUI* GetRootControl() const { return m_pRoot; }
    bool IsLayeredWindow() const { return m_bLayered; }
    POINT GetMousePos() const { return m_ptLastMousePos; }
    CUIDpi* GetDpiScaler();  // created on first use

    // ---- window geometry settings. The layout's values are stored as written (96 DPI) and read back
    // scaled by the window's DPI, so that borders, caption, corners and size limits keep their
    // proportions at every scale. The initial size is stored already scaled (the builder scales it).
    void SetInitialSize(int cx, int cy);
    SIZE GetInitialSize() const { return m_szInitWindowSize; }
    SIZE GetClientSize() const;
    void SetMinInfo(int cx, int cy);
    SIZE GetMinInfo();
    void SetMaxInfo(int cx, int cy);
    SIZE GetMaxInfo();  // 0 (no limit) stays 0
    void SetSizeBox(const RECT& rect) { m_rcSizeBox = rect; }
    RECT GetSizeBox();  // each border width scaled
    void SetCornerRoundness(int cx, int cy);
    SIZE GetCornerRoundness();
    void SetCaptionRect(const RECT& rect) { m_rcCaption = rect; }
    // Every side scaled; a bottom of -1 (the whole client height) stays -1.
    RECT GetCaptionRect();

    // ---- option groups and window attributes
    bool AddToOptionGroup(const wchar_t* group, CControlUI* control);
    CUIPtrArray* FindOptionGroup(const wchar_t* group) const;
    void RemoveFromOptionGroup(const wchar_t* group, CControlUI* control);
    void RemoveAllOptionGroups();
    void AddWindowAttribute(const wchar_t* name, const wchar_t* value);
    const wchar_t* GetWindowAttribute(const wchar_t* name) const;
    bool RemoveWindowAttribute(const wchar_t* name);
    void RemoveAllWindowAttributes();

    // ---- fonts (UIManagerFonts.cpp). shared: the process-wide set; additions also go there while
    // the use-shared-resources flag is set.
    HFONT AddFont(int id, const wchar_t* face, int size, bool bold, bool underline, bool italic,
                  bool shared = false);
    HFONT GetFontHandle(int id);
    TFontRecord* GetFontRecord(int id);
    TFontRecord* GetFontRecord(HFONT handle);
    HFONT FindFontHandle(const wchar_t* face, int size, bool bold, bool underline, bool italic) const;
    int GetFontIndex(HFONT handle, bool shared) const;
    int GetFontIndex(const wchar_t* face, int size, bool bold, bool underline, bool italic, bool shared) const;
    int GetCustomFontCount(bool shared = false) const;
    void RemoveFont(int id, bool shared = false);
    void RemoveFont(HFONT handle, bool shared = false);
    void RemoveAllFonts(bool shared = false);
    TFontRecord* GetDefaultFontRecord();
    void SetDefaultFont(const wchar_t* face, int size, bool bold, bool underline, bool italic,
                        bool shared = false);
    // Installs a font file for this process (from the archive, the resource folder or the path).
    bool LoadFontFile(const wchar_t* path);
    // A font of formatted text: an existing record with these values, or one made for this manager
    // and kept as long as it lives (never replaced, so records on a formatted-text stack stay valid).
    TFontRecord* GetInlineFont(const wchar_t* face, int size, bool bold, bool underline, bool italic);

    // ---- images and image descriptions (UIManagerImages.cpp)
    TImageRecord* AddImage(const wchar_t* name, const wchar_t* type = nullptr, DWORD mask = 0,
                           bool hslCopy = false, bool shared = false, HINSTANCE instance = nullptr);
    TImageRecord* GetImageRecord(const wchar_t* name) const;
    TImageRecord* GetOrLoadImage(const wchar_t* name, const wchar_t* type = nullptr, DWORD mask = 0,
                                 bool hslCopy = false, HINSTANCE instance = nullptr);
    void RemoveImage(const wchar_t* name, bool shared = false);
    void RemoveAllImages(bool shared = false);
    void ReloadImages();
    static void ReloadSharedImages();
    // The cached parse of (image text, modify text).
    const TImageDrawInfo* GetImageDrawInfo(const wchar_t* image, const wchar_t* modify = nullptr);
    void RemoveImageDrawInfo(const wchar_t* image, const wchar_t* modify = nullptr);
    void RemoveAllDrawInfos();
    static void SetHSL(bool use, short hue, short saturation, short lightness);
    static bool GetHSL(short* hue, short* saturation, short* lightness);

    // ---- default attribute lists, styles, colours (UIManagerResources.cpp)
    void AddDefaultAttributeList(const wchar_t* className, const wchar_t* list, bool shared = false);
    const wchar_t* GetClassDefaultAttributes(const wchar_t* className) const;
    bool RemoveDefaultAttributeList(const wchar_t* className, bool shared = false);
    void RemoveAllDefaultAttributeList(bool shared = false);
    void AddStyle(const wchar_t* name, const wchar_t* list, bool shared = false);
    const wchar_t* GetStyle(const wchar_t* name) const;
    const CUIStringMap& GetStyles(bool shared = false) const;
    bool RemoveStyle(const wchar_t* name, bool shared = false);
    void RemoveAllStyles(bool shared = false);

    void SetDefaultDisabledColor(DWORD color, bool shared = false);
    void SetDefaultTextColor(DWORD color, bool shared = false);
    void SetDefaultLinkColor(DWORD color, bool shared = false);
    void SetDefaultLinkHoverColor(DWORD color, bool shared = false);
    void SetDefaultSelectedBkColor(DWORD color, bool shared = false);
    DWORD GetDefaultDisabledTextColor() const { return m_resources.defaultDisabledColor; }
    DWORD GetDefaultTextColor() const { return m_resources.defaultTextColor; }
    DWORD GetDefaultLinkColor() const { return m_resources.defaultLinkColor; }
    DWORD GetDefaultLinkHoverColor() const { return m_resources.defaultLinkHoverColor; }
    DWORD GetDefaultSelectedBkColor() const { return m_resources.defaultSelectedBkColor; }

    void SetUseSharedResources(bool use) { m_bUseSharedResources = use; }
    bool IsUseSharedResources() const { return m_bUseSharedResources; }
    void SetUseGdiplusText(bool use) { m_bUseGdiplusText = use; }
    bool IsUseGdiplusText() const { return m_bUseGdiplusText; }
    void SetGdiplusTextRenderingHint(int hint) { m_trh = hint; }
    int GetGdiplusTextRenderingHint() const { return m_trh; }

    // After a DPI change: empties the draw-info cache, frees the window's images (they reload at the
    // new scale on use) and rebuilds the window's fonts at the new scale. Shared fonts are left to the
    // other windows; this one uses copies at its own scale.
    void ResetDpiAssets();

    // ---- process-wide settings (UIManagerShared.cpp; stored in CUIResourceSettings)
    static void SetModuleInstance(HINSTANCE instance);
    static HINSTANCE GetModuleInstance();
    static void SetResourceModule(HINSTANCE module);
    static HINSTANCE GetResourceModule();
    static CUIString GetModuleFolder();
    static CUIString GetCurrentPath();
    static void SetCurrentPath(const wchar_t* path);
    static void SetResourceFolder(const wchar_t* folder);
    static const CUIString& GetResourceFolder();
    static void SetResourceSourceKind(int kind);
    static int GetResourceSourceKind();
    static bool OpenResourceArchiveFromMemory(const void* data, unsigned size, const wchar_t* password);
    static bool OpenResourceArchiveFile(const wchar_t* name, bool cache, const wchar_t* password);
    static const CUIString& GetArchiveName();
    static bool IsArchiveCached();
    static ZipHandle* GetArchiveHandle();
    static const CUIString& GetArchivePassword();

    static bool LoadPlugin(const wchar_t* moduleName);
    static const CUIPtrArray& GetPlugins();  // PluginCreateControl pointers
    static void FreeBlock(void* block);  // a malloc block handed over in a window message; null is ignored
    // Work that ShutdownShared must do for modules the core does not know (menus, factory, texts);
    // run in registration order, once.
    static void AddShutdownHook(void (*hook)(bool all));
    // Frees the shared images, fonts, styles and default attribute lists and closes a cached archive;
    // with all, also the text resource and the control factory. The hooks get the same flag. Called
    // once at exit.
    static void ShutdownShared(bool all);

    // Managers whose window is attached (the window side keeps the list).
    static CUIPtrArray& GetManagers();

    // ---- the window side (UIManagerWindow.cpp)
    // A window message the window itself did not handle; true when handled, with result set. Also true
    // when a handler destroyed this manager: the caller must not touch its window object any more.
    bool HandleWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // Filters that see every window message first, in order of registration.
    bool AddWindowMessageFilter(IMessageFilterUI* filter);
    bool RemoveWindowMessageFilter(IMessageFilterUI* filter);
    // Accelerators and filters of queued messages, before they are dispatched.
    bool AddKeyTranslator(ITranslateAccelerator* translator);
    bool RemoveKeyTranslator(ITranslateAccelerator* translator);
    bool AddLoopMessageFilter(IMessageFilterUI* filter);
    bool RemoveLoopMessageFilter(IMessageFilterUI* filter);
    // The message loop of the process, until WM_QUIT; each message is pre-translated first.
    static void RunMessageLoop();
    // True when the message must not be dispatched: a key translator took it, or a loop filter, Tab or an
    // Alt shortcut of the managers of its window (and, for a native child, of the windows above it).
    static bool PreTranslateMessage(const MSG* msg);
    bool TranslateKeys(MSG* msg);
    bool HandleLoopMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // Ctrl, mouse buttons, Shift and Alt as mouse-message key bits.
    static UINT MapKeyState();

    void CaptureMouse();
    void ReleaseMouseCapture();
    bool HasMouseCapture() const { return m_bMouseCapture; }
    CControlUI* GetHoverControl() const { return m_pEventHover; }
    CControlUI* GetPressedControl() const { return m_pEventClick; }
    HWND GetTooltipWindow() const { return m_hwndTooltip; }
    CShadowUI* GetShadowWindow() { return &m_shadow; }

    // Re-scales the window's fonts, images and size for the DPI and lays it out again; SetAllDpi does it
    // for every attached window. Nothing is posted to the window.
    void ApplyDpi(int dpi);
    static void SetAllDpi(int dpi);

    // ---- painting (UIManagerPaint.cpp)
    void SetLayeredWindow(bool layered);
    const TImageDrawInfo& GetLayeredImage() const { return m_diLayered; }
    void SetLayeredImage(const wchar_t* image);
    void SetLayeredInset(const RECT& inset);  // stored unscaled
    void SetLayeredOpacity(BYTE opacity);
    void SetOpacity(BYTE opacity);
    BYTE GetOpacity() const { return m_nOpacity; }
    // Off-screen painting (the default) draws into a bitmap copied to the window; layered windows always
    // paint off-screen.
    void SetOffscreenPaint(bool offscreen) { m_bOffscreenPaint = offscreen; }
    bool IsOffscreenPaint() const { return m_bOffscreenPaint; }
    bool IsPainting() const { return m_bIsPainting; }
    // The off-screen bitmap's pixels (0xAARRGGBB, top row first) and size; null before the first paint.
    const DWORD* GetOffscreenPixels() const { return m_pOffscreenBits; }
    SIZE GetOffscreenSize() const { return m_szOffscreen; }
    // Whether the last update of a layered window's picture succeeded.
    bool IsLastLayeredUpdateOk() const { return m_bLastLayeredUpdateOk; }

    // ---- drop target
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;  // never deletes: the manager lives in its window object
    bool OnDrop(FORMATETC* format, STGMEDIUM* medium, DWORD* effect) override;
    virtual bool HandleDrop(FORMATETC* format, STGMEDIUM* medium, DWORD* effect);
    bool IsDropTargetRegistered() const { return m_pDropTarget != nullptr; }
    void RegisterDropTarget();
    // Ends OLE's hold on the manager; called before the window goes.
    void RevokeDropTarget();

    // ---- services of the control tree (UIManagerControls.cpp). They work with or without a window:
    // without one nothing is invalidated, posted or timed, and queued notifications wait for
    // DeliverPendingNotify.
    void AttachWindow(HWND window, const wchar_t* name = nullptr);
    // The old root (if any) goes to the delayed clean-up; the new tree is initialised.
    bool AttachRoot(CControlUI* root);
    // Attaches a subtree to this manager (parent: the control's own when null) and registers its names.
    bool InitControls(CControlUI* control, CControlUI* parent = nullptr);
    // Drops every reference to a control that is going away: focus, hover, pressed and key control,
    // timers, name entry, lists, option groups; queued notifications it sent lose their sender.
    void ForgetControl(CControlUI* control);
    // A control that leaves this manager (it may be deleted later without telling it) stops being the
    // focus, the hover, the pressed control holding the mouse capture, the key control and a
    // mouse-leave receiver here. Its timers, name and option groups stay for when it comes back.
    void ReleaseControl(CControlUI* control);

    bool AddNotifyListener(INotifyUI* listener);
    bool RemoveNotifyListener(INotifyUI* listener);
    // At once: the sender's OnNotify subscribers, then every listener. Asynchronous: queued until the
    // window's private message 0x8001 (or DeliverPendingNotify) delivers it.
    void RaiseNotify(TNotifyMessage& msg, bool async = false);
    void RaiseNotify(CControlUI* control, const wchar_t* type, WPARAM wParam = 0, LPARAM lParam = 0,
                     bool async = false);
    // Detaches a removed subtree (forgetting each of its controls) and deletes it at the next delivery.
    void AddDelayedCleanup(CControlUI* control);
    void PostPendingNotify();
    // The work of message 0x8001: deletes the delayed clean-up controls, then delivers the queued
    // notifications oldest first.
    void DeliverPendingNotify();
    int GetPendingNotifyCount() const { return m_aAsyncNotify.Count(); }
    int GetDelayedCleanupCount() const { return m_aDelayedCleanup.Count(); }
    void SetUsePages(bool use) { m_bUsePages = use; }
    bool IsUsingPages() const { return m_bUsePages; }

    CControlUI* GetFocusedControl() const { return m_pFocus; }
    void FocusControl(CControlUI* control);
    // Focuses the tab stop before control now; the next paint moves on to control itself.
    void SetPendingFocus(CControlUI* control);
    // While a layout is due a forward move waits for the next paint.
    bool MoveTabFocus(bool forward);
    bool IsFocusNeeded() const { return m_bFocusNeeded; }

    // Timers of controls on this window; delivered to the control as timer events with its own id.
    // Their window timer ids come from kFirstControlTimerId up, in turn; timers the application sets on
    // a framework window itself use ids below it.
    static constexpr UINT kFirstControlTimerId = 0xF000;
    static constexpr UINT kControlTimerIdCount = 0x1000;
    bool StartControlTimer(CControlUI* control, UINT id, UINT elapse);
    bool StopControlTimer(CControlUI* control, UINT id);
    void StopAllControlTimers(CControlUI* control);
    void RemoveAllTimers();
    int GetTimerCount() const { return m_aTimers.Count(); }

    // Controls whose DoPostPaint runs after the tree is painted, in order.
    bool AddPostPaint(CControlUI* control);
    bool RemovePostPaint(CControlUI* control);
    bool SetPostPaintIndex(CControlUI* control, int index);
    bool IsPostPaintControl(CControlUI* control) const { return m_aPostPaintControls.IndexOf(control) >= 0; }
    int GetPostPaintCount() const { return m_aPostPaintControls.Count(); }
    CControlUI* GetPostPaint(int index) const { return static_cast<CControlUI*>(m_aPostPaintControls.ItemAt(index)); }
    bool AddNativeChild(CControlUI* control, HWND child);
    bool RemoveNativeChild(HWND child);
    bool AddMouseLeaveNeeded(CControlUI* control);
    bool RemoveMouseLeaveNeeded(CControlUI* control);

    CControlUI* FindControlAtPoint(int x, int y) const;
    CControlUI* FindControlByName(const wchar_t* name) const;  // exact name
    // Below parent (the root when null); names ignore case; class "*" matches any class.
    CControlUI* FindSubControlByName(CControlUI* parent, const wchar_t* name) const;
    CControlUI* FindSubControlByPoint(CControlUI* parent, int x, int y) const;
    CControlUI* FindSubControlByClass(CControlUI* parent, const wchar_t* className, int index = 0);
    // The list stays as found until the next call: layouts and other searches use lists of their own.
    CUIPtrArray* FindSubControlsByClass(CControlUI* parent, const wchar_t* className);
    CUIPtrArray* GetFoundControls() { return &m_aFoundByClass; }

    void InvalidateArea(RECT rect);
    void Invalidate();
    void RequestLayout() { m_bUpdateNeeded = true; }
    bool IsUpdateNeeded() const { return m_bUpdateNeeded; }

    void SetHoverDelay(int milliseconds) { m_iHoverTime = milliseconds; }
    int GetHoverDelay() const { return m_iHoverTime; }
    void SetNoActivate(bool noActivate) { m_bNoActivate = noActivate; }
    bool IsNoActivate() const { return m_bNoActivate; }
    void SetShowUpdateRect(bool show) { m_bShowUpdateRect = show; }
    bool IsShowUpdateRect() const { return m_bShowUpdateRect; }

    // FindControl visitors.
    struct TFindTabInfo {
        CControlUI* focus;     // where the move starts; null = from the beginning
        CControlUI* last;      // the last tab stop seen
        bool forward;
        bool nextIsIt;         // the focus was passed: the next tab stop is the answer
    };
    struct TFindClassInfo {
        CPaintManagerUI* manager;
        const wchar_t* className;
    };
    static CControlUI* FindControlFromPoint(CControlUI* control, void* point);       // POINT*
    static CControlUI* FindControlFromName(CControlUI* control, void* name);         // const wchar_t*
    static CControlUI* FindControlFromClass(CControlUI* control, void* info);        // TFindClassInfo*
    static CControlUI* FindControlsFromClass(CControlUI* control, void* info);       // TFindClassInfo*
    static CControlUI* FindControlFromCount(CControlUI* control, void* counter);     // int*
    static CControlUI* FindControlFromNameHash(CControlUI* control, void* manager);  // CPaintManagerUI*
    static CControlUI* FindControlFromUpdate(CControlUI* control, void* manager);    // CPaintManagerUI*
    static CControlUI* FindControlFromTab(CControlUI* control, void* info);          // TFindTabInfo*

private:
    // ---- window side
    bool RunWindowFilters(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool SendEvent(CControlUI* control, TUIEvent event);  // false when the manager did not survive it
    bool OnWindowSize(const CUILifeWatch& alive);
    bool OnWindowClose(const CUILifeWatch& alive);
    bool OnSetCursor(WPARAM wParam, LPARAM lParam, const CUILifeWatch& alive);
    void OnGetMinMaxInfo(MINMAXINFO* info);
    bool OnKeyMessage(UINT message, WPARAM wParam, LPARAM lParam, const CUILifeWatch& alive);
    bool OnTimer(WPARAM wParam, LPARAM lParam, const CUILifeWatch& alive);
    bool FindTimerOwner(UINT windowTimerId, CControlUI*& control, UINT& localId) const;
    bool HandleMouseMessage(UINT message, WPARAM wParam, LPARAM lParam, const CUILifeWatch& alive);
    bool OnMouseMove(CControlUI* control, POINT point, POINT previous, WPARAM wParam, LPARAM lParam,
                     const CUILifeWatch& alive);
    bool OnLeftButtonDown(CControlUI* control, POINT point, WPARAM wParam, LPARAM lParam, const CUILifeWatch& alive);
    bool OnMouseWheel(WPARAM wParam, LPARAM lParam, const CUILifeWatch& alive);
    bool OnContextMenu(WPARAM wParam, LPARAM lParam, const CUILifeWatch& alive);
    bool OnMouseHover(LPARAM lParam, const CUILifeWatch& alive);
    bool OnMouseLeave(const CUILifeWatch& alive);
    static CControlUI* NotifyDpiChanged(CControlUI* control, void* data);
    void ReleaseWindowSide();
    // ---- painting
    void OnPaint();
    bool LayoutBeforePaint(const RECT& client, const CUILifeWatch& alive);
    RECT LayeredRootRect(const RECT& client);
    // parts: the update region's rectangles (disjoint), painted one by one.
    void PaintDirect(HDC dc, const std::vector<RECT>& parts);
    void PaintOffscreen(HDC windowDc, const std::vector<RECT>& parts, const RECT& client);
    void PaintPostPaintControls(HDC dc, const RECT& paint);
    void ClearPixels(const RECT& paint);
    void ApplyLayeredAlpha(const RECT& paint, const RECT& client);
    const DWORD* LayeredBackground(const RECT& client);
    void PrintNativeChildren(const RECT& paint);
    void OnPrintClient(HDC dc, LPARAM flags);
    void FreeOffscreen();
    void StartDrag();

    // The control side of destruction: the delayed clean-up, queued notifications, the tree, timers
    // and the window's DC.
    void ReleaseControlServices();
    void DeliverNotify(TNotifyMessage& msg);
    bool KillFocus(CControlUI* next);
    UINT NextTimerId();

    TResourceSet& TargetSet(bool shared);
    void FillFontMetrics(TFontRecord& font) const;
    HFONT CreateScaledFont(const wchar_t* face, int size, bool bold, bool underline, bool italic);
    void RebuildFont(TFontRecord& font);
    // A shared font at this window's scale: the shared record itself when it was made at this scale,
    // else this window's own copy, so that windows at different scales never rebuild each other's
    // shared fonts.
    TFontRecord* AtOwnScale(TFontRecord* shared);
    void FreeSharedFontCopies();
    static void FreeFontMap(CUIStringMap& fonts);
    static void FreeImageMap(CUIStringMap& images);
    static void FreeTextMap(CUIStringMap& texts);
    void FreeDrawInfoMap();
    static bool ReloadImage(TImageRecord& image, const wchar_t* name);

    CUIString m_name;
    HWND m_hWndPaint = nullptr;
    HDC m_hDcPaint = nullptr;
    CControlUI* m_pRoot = nullptr;
    POINT m_ptLastMousePos = {-1, -1};
    bool m_bLayered = false;

    SIZE m_szMinWindow = {};
    SIZE m_szMaxWindow = {};
    SIZE m_szInitWindowSize = {};
    RECT m_rcSizeBox = {};
    SIZE m_szRoundCorner = {};
    RECT m_rcCaption = {};

    CUIPtrArray m_aMemoryFonts;  // handles from AddFontMemResourceEx
    CUIStringMap m_optionGroups;
    CUIStringMap m_windowAttributes;
    bool m_bUseSharedResources = false;
    TResourceSet m_resources;
    std::vector<std::unique_ptr<TFontRecord>> m_inlineFonts;
    std::map<const TFontRecord*, TFontRecord> m_sharedFontCopies;  // shared record -> copy at this scale
    CUIDpi* m_pDpi = nullptr;
    bool m_bUseGdiplusText = false;
    int m_trh = 0;
    ULONG_PTR m_gdiplusToken = 0;

    // ---- control services
    CControlUI* m_pFocus = nullptr;
    CControlUI* m_pLosingFocus = nullptr;  // the control whose kill-focus handlers run
    unsigned m_focusChanges = 0;           // counts focus changes, to see one made by a handler
    CControlUI* m_pEventHover = nullptr;  // the control under the mouse
    CControlUI* m_pEventClick = nullptr;  // the control that got the last button down
    CControlUI* m_pEventKey = nullptr;    // the control that got the last key down
    bool m_bFirstLayout = true;
    bool m_bUpdateNeeded = false;
    bool m_bFocusNeeded = false;
    bool m_bUsePages = false;
    bool m_bAsyncNotifyPosted = false;
    bool m_bNoActivate = false;
    bool m_bShowUpdateRect = false;
    int m_iHoverTime = 400;
    UINT m_uTimerID = kControlTimerIdCount - 1;  // the last id given, less the first: the next is the first
    CUIPtrArray m_aNotifiers;             // INotifyUI*
    CUIPtrArray m_aTimers;                // TTimerRecord*
    CUIPtrArray m_aPostPaintControls;
    CUIPtrArray m_aNativeWindow;          // HWND, parallel to m_aNativeWindowControl
    CUIPtrArray m_aNativeWindowControl;
    CUIPtrArray m_aDelayedCleanup;
    CUIPtrArray m_aAsyncNotify;           // TNotifyMessage*, oldest first
    CUIPtrArray m_aNeedMouseLeaveNeeded;
    CUIPtrArray m_aFoundControls;         // scratch of the update and indexed class searches
    CUIPtrArray m_aFoundByClass;          // the result FindSubControlsByClass hands out
    CUIStringMap m_mNameHash;             // control name -> control

    // ---- window side
    CUILifeToken m_life;                  // tells callers of handlers whether this manager survived them
    CUIPtrArray m_aMessageFilters;        // IMessageFilterUI*, window messages
    CUIPtrArray m_aTranslators;           // ITranslateAccelerator*
    CUIPtrArray m_aLoopFilters;           // IMessageFilterUI*, queued messages
    HWND m_hwndTooltip = nullptr;
    TOOLINFOW m_ToolTip = {};
    CUIString m_sToolTipText;             // the text m_ToolTip points at
    bool m_bMouseTracking = false;
    bool m_bMouseCapture = false;
    bool m_bDragMode = false;             // a button went down on a drag-enabled control
    HBITMAP m_hDragBitmap = nullptr;
    // What OLE holds for the window: a small object of its own that forwards to this manager until the
    // manager revokes it, so that a late release by OLE never reaches a manager that is gone.
    CDropTargetProxy* m_pDropTarget = nullptr;
    CShadowUI m_shadow;
    // ---- painting
    bool m_bOffscreenPaint = true;
    bool m_bIsPainting = false;
    bool m_bLayeredChanged = false;
    bool m_bLastLayeredUpdateOk = false;
    BYTE m_nOpacity = 255;
    RECT m_rcLayeredInset = {};
    RECT m_rcLayeredUpdate = {};          // grown by every invalidation, painted at the next WM_PAINT
    TImageDrawInfo m_diLayered;
    HDC m_hDcOffscreen = nullptr;
    HBITMAP m_hbmpOffscreen = nullptr;
    DWORD* m_pOffscreenBits = nullptr;
    SIZE m_szOffscreen = {};
    HDC m_hDcBackground = nullptr;
    HBITMAP m_hbmpBackground = nullptr;
    DWORD* m_pBackgroundBits = nullptr;
};

}  // namespace SkinUI
