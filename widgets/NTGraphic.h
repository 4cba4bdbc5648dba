#pragma once
// CNTGraphicUI: hosts the ActiveX graph control through CActiveXUI. Once the control exists its graph
// interface is taken and the host's event sink is connected to the control's events; releasing the
// control disconnects and lets both go. Keys pressed while the focus lies inside the control's window
// go to the control's accelerator translation first. Where the control is not installed creation fails
// cleanly: no interface, no connection, nothing drawn. Layout element "NTGraphic".
#include "UIActiveX.h"

namespace SkinUI {

class CNTGraphicUI : public CActiveXUI, public IDispatch {
public:
    // The graph control's events.
    static constexpr DISPID kClickEvent = -600;
    static constexpr DISPID kCursorPositionEvent = 1;  // two doubles: x, y
    static constexpr DISPID kTrackModeEvent = 2;       // one integer: the new mode

    CNTGraphicUI();
    ~CNTGraphicUI() override;
    static CControlUI* CreateControl() { return new CNTGraphicUI; }

    const wchar_t* GetClass() const override { return L"NTGraphic"; }
    void* GetInterface(const wchar_t* name) override;
    void ReleaseControl() override;
    bool DoCreateControl() override;
    LRESULT MessageHandler(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

    // The control's graph interface, null until created.
    IDispatch* GetGraph() const { return m_pGraph; }
    DWORD GetEventCookie() const { return m_dwCookie; }
    LONG GetSinkRefCount() const { return m_dwRef; }

    // Event handlers; none is handled here.
    virtual HRESULT OnGraphClick() { return E_NOTIMPL; }
    virtual HRESULT OnCursorPosition(double, double) { return E_NOTIMPL; }
    virtual HRESULT OnTrackModeChanged(long) { return E_NOTIMPL; }

    // ---- the event sink
    STDMETHOD(QueryInterface)(REFIID iid, void** out) override;
    STDMETHOD_(ULONG, AddRef)() override;
    STDMETHOD_(ULONG, Release)() override;
    STDMETHOD(GetTypeInfoCount)(UINT* count) override;
    STDMETHOD(GetTypeInfo)(UINT index, LCID locale, ITypeInfo** out) override;
    STDMETHOD(GetIDsOfNames)(REFIID iid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override;
    STDMETHOD(Invoke)(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO* exception, UINT* argError) override;

    static const IID kIidGraph;
    static const IID kDiidGraphEvents;

private:
    void ConnectEvents(bool connect);
    bool FocusInsideHost() const;

    IDispatch* m_pGraph = nullptr;
    LONG m_dwRef = 0;
    DWORD m_dwCookie = 0;
    bool m_loopFilter = false;
};

}  // namespace SkinUI
