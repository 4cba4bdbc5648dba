#pragma once
// CActiveXUI: hosts a COM ActiveX control inside a skin window. It creates the control from a class id
// or a ProgID (or through a given module's class factory, without the registry), is its OLE container
// site and activates it in place, either windowless (drawn into the window's DC, window messages passed
// on through a message filter) or in a child window of its own. Layout element "ActiveX".
//
// The site, its child window, the in-place frame and the object enumerator are COM objects of their own
// (UIActiveXSite.h); the site keeps a pointer to this control until the control lets it go.
#include "UIControl.h"
#include "UIWindow.h"

#include <ole2.h>

namespace SkinUI {

class CActiveXCtrl;

class CActiveXUI : public CControlUI, public IMessageFilterUI {
    friend class CActiveXCtrl;
    friend class CActiveXWnd;

public:
    CActiveXUI();
    ~CActiveXUI() override;
    static CControlUI* CreateControl();

    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* name) override;
    void SetPos(RECT rect, bool needInvalidate = true) override;
    void Move(SIZE offset, bool needInvalidate = true) override;
    void SetVisible(bool visible = true) override;
    void SetInternVisible(bool visible = true) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    bool DoPaint(HDC hdc, const RECT& paintRect, CControlUI* stopControl) override;

    virtual bool IsDelayCreate() const { return m_bDelayCreate; }
    virtual void SetDelayCreate(bool delay);
    virtual bool IsMFC() const { return m_bMFC; }
    virtual void SetMFC(bool mfc) { m_bMFC = mfc; }
    virtual void ReleaseControl();
    // Creates, initialises and activates the object of the class id; true when an object was created.
    virtual bool DoCreateControl();

    LRESULT MessageHandler(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

    // A class id text in braces, else a ProgID; at most kMaxClassText characters. False when it names no
    // class.
    bool SetCLSID(const wchar_t* text);
    // Stores the class (a null one gives false) and creates the object at once unless creation waits
    // for the first placement.
    bool CreateControl(const CLSID& clsid);
    void SetModuleName(const wchar_t* module) { m_sModuleName = module; }
    const CUIString& GetModuleName() const { return m_sModuleName; }
    const CLSID& GetClassId() const { return m_clsid; }
    HRESULT GetControl(REFIID iid, void** out);
    HWND GetHostWindow() const { return m_hwndHost; }
    bool IsCreated() const { return m_bCreated; }

    static constexpr int kMaxClassText = 99;

protected:
    // The control's placement for the object: its rectangle, at the origin for a windowed object.
    RECT ObjectRect(bool windowed) const;
    // Creates the object through the module's DllGetClassObject; null when that path fails.
    IUnknown* CreateFromModule();
    void MoveHostWindow();
    void ShowHostWindow();
    // Connects sink to (or disconnects it from) the events source raises through its connection point
    // for events; cookie is the connection, 0 while there is none.
    static void ConnectEventSink(IUnknown* source, REFIID events, IDispatch* sink, DWORD& cookie, bool connect);

    CLSID m_clsid = {};
    CUIString m_sModuleName;
    bool m_bCreated = false;
    bool m_bDelayCreate = true;
    bool m_bMFC = false;
    IOleObject* m_pUnk = nullptr;
    CActiveXCtrl* m_pControl = nullptr;
    HWND m_hwndHost = nullptr;
};

// HIMETRIC units (0.01 mm) of a length in screen pixels, through the screen's pixels per logical inch.
SIZEL PixelsToHimetric(SIZE pixels);

}  // namespace SkinUI
