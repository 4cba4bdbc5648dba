#pragma once
// CFlashUI: hosts the Shockwave Flash control through CActiveXUI, receives its events through a sink
// that drops them, and lets it translate keyboard accelerators. Where the control is not installed
// (today almost everywhere) creation fails cleanly and nothing is drawn. Layout element "Flash".
#include "UIActiveX.h"

namespace SkinUI {

// What an application hears from the Flash host; it is reference counted by the host.
class IFlashEventHandler {
public:
    virtual ULONG Release() = 0;
    virtual ULONG AddRef() = 0;
    virtual HRESULT OnReadyStateChange(long newState) = 0;
    virtual HRESULT OnProgress(long percentDone) = 0;

protected:
    ~IFlashEventHandler() = default;
};

class CFlashUI : public CActiveXUI, public IDispatch, public ITranslateAccelerator {
public:
    CFlashUI();
    ~CFlashUI() override;
    static CControlUI* CreateControl();

    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* name) override;
    void ReleaseControl() override;
    bool DoCreateControl() override;

    void SetFlashEventHandler(IFlashEventHandler* handler);
    HRESULT OnReadyStateChange(long newState);
    HRESULT OnProgress(long percentDone);
    IUnknown* GetShockwaveFlash() const { return m_pFlash; }
    DWORD GetEventCookie() const { return m_dwCookie; }
    LONG GetSinkRefCount() const { return m_dwRef; }

    // ---- the event sink
    STDMETHOD(QueryInterface)(REFIID iid, void** out) override;
    STDMETHOD_(ULONG, AddRef)() override;
    STDMETHOD_(ULONG, Release)() override;
    STDMETHOD(GetTypeInfoCount)(UINT* count) override;
    STDMETHOD(GetTypeInfo)(UINT index, LCID locale, ITypeInfo** out) override;
    STDMETHOD(GetIDsOfNames)(REFIID iid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override;
    STDMETHOD(Invoke)(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO* exception, UINT* argError) override;
    // ---- ITranslateAccelerator
    LRESULT TranslateAccelerator(MSG* msg) override;

private:
    void ConnectEvents(bool connect);

    IUnknown* m_pFlash = nullptr;  // the control's IShockwaveFlash interface
    LONG m_dwRef = 0;
    DWORD m_dwCookie = 0;
    IFlashEventHandler* m_pFlashEventHandler = nullptr;
};

}  // namespace SkinUI
