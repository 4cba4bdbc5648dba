#pragma once
// CWindowWnd: binds one native window to one object. It registers the window class (or a copy of an
// existing class), creates the window with the object as creation parameter, finds the object again in
// the window procedure and hands every message to the object's HandleWndMessage. It also runs the modal
// loop of dialog-like windows.
//
// The object's lifetime is not tied to its window: a class whose objects die with their window deletes
// itself in OnWindowDestroyed. An object deleted while its window still exists takes the window with it
// (a subclassed window is given back its own procedure and lives on), so no message ever reaches a
// deleted object.
#include "UILife.h"

#include <windows.h>

namespace SkinUI {

// A key translator of the message loop: 0 means the message was consumed.
class ITranslateAccelerator {
public:
    virtual LRESULT TranslateAccelerator(MSG* msg) = 0;

protected:
    ~ITranslateAccelerator() = default;
};

// A message filter, both of the message loop (queued messages) and of a window's paint manager (every
// message). A filter that sets handled ends the walk.
class IMessageFilterUI {
public:
    virtual LRESULT MessageHandler(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) = 0;

protected:
    ~IMessageFilterUI() = default;
};

class CWindowWnd {
public:
    CWindowWnd() = default;
    CWindowWnd(const CWindowWnd&) = delete;
    CWindowWnd& operator=(const CWindowWnd&) = delete;
    virtual ~CWindowWnd();

    HWND GetHandle() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }

    // Registers the class and creates the window; null on failure.
    HWND CreateNativeWindow(HWND parent, const wchar_t* title, DWORD style, DWORD exStyle, int x, int y,
                            int cx, int cy, HMENU menu = nullptr);
    HWND CreateNativeWindow(HWND parent, const wchar_t* title, DWORD style, DWORD exStyle, const RECT& rect,
                            HMENU menu = nullptr);
    HWND CreateNativeWindow(HWND parent, const wchar_t* title, DWORD style, DWORD exStyle);

    // Takes over the procedure of a window this object did not create; null when that fails.
    HWND AttachToExisting(HWND hwnd);
    void DetachFromExisting();

    BOOL SetShown(bool show = true, bool takeFocus = true);
    // Shows the window, disables its owner and runs a message loop until the window is gone. Returns
    // the code of the WM_CLOSE that closed it (PostClose), 0 when none did.
    UINT RunModal();
    void CenterOnOwner();
    void PostClose(UINT code = IDOK);

    LRESULT SendWindowMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    void PostWindowMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    BOOL ResizeClientArea(int cx, int cy);  // -1 keeps that side
    // The module's icon resource as the window's large and small icon, each at its system size. The
    // icons of an earlier call are destroyed; the last ones go with the window.
    LRESULT SetIcon(UINT resourceId);

protected:
    virtual const wchar_t* GetWndClassName() const = 0;
    // A name here makes the window class a copy of that existing class (a superclass).
    virtual const wchar_t* GetBaseWndClassName() const { return nullptr; }
    virtual UINT GetWndClassStyle() const { return 0; }
    // The default passes the message to the previous window procedure.
    virtual LRESULT HandleWndMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // Called once, after WM_NCDESTROY, when the object is no longer bound to the window.
    virtual void OnWindowDestroyed(HWND hwnd) {}

    bool RegisterWndClass();
    bool RegisterBaseClassCopy();
    // For destructors: unbinds a window still bound to this object, then destroys it unless it was only
    // subclassed. A derived destructor calls it first, while its own parts still exist.
    void ReleaseWindow();

    static LRESULT CALLBACK StaticWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK PropertyWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_hWnd = nullptr;
    WNDPROC m_previousProc = DefWindowProcW;
    bool m_bSubclassed = false;
    HICON m_hIconBig = nullptr;    // the icons SetIcon gave the window, destroyed with it
    HICON m_hIconSmall = nullptr;

private:
    static LRESULT Dispatch(CWindowWnd* window, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT FinalMessage(HWND hwnd, WPARAM wParam, LPARAM lParam);
    void DestroyIcons();
};

// The Windows constant's name of a common message ("WM_PAINT"), else the number as "0x%04X".
const wchar_t* MessageIdToName(UINT message);
// A malloc'ed, zero-terminated copy of text in the code page; null for null text. The caller frees it.
char* WideToCodePage(const wchar_t* text, UINT codePage);

}  // namespace SkinUI
