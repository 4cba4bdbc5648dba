// The web-browser and Flash hosts. The browser engine is created for real (its pages are disabled in
// this prefix): the COM contract, its defaults without a handler, events, the key translator and the
// event connection, all let go when the control goes. Flash is not installed: creation fails cleanly;
// the tests' object stands in for it through the module name to check the event connection.
#include "PlatformTestSupport.h"
#include "UIFlash.h"
#include "UIWebBrowser.h"

#include <exdispid.h>

#include <memory>

using namespace SkinUI;
using namespace WindowTest;
using namespace PlatformTest;

namespace {

class CRecordingHandler : public CWebBrowserEventHandler {
public:
    void BeforeNavigate2(CWebBrowserUI*, IDispatch*, VARIANT*&, VARIANT*&, VARIANT*&, VARIANT*&, VARIANT*&,
                         VARIANT_BOOL*&) override {
        ++navigations;
    }
    void TitleChange(CWebBrowserUI* browser, BSTR title) override {
        titles.push_back(title ? title : L"");
        lastBrowser = browser;
    }
    void CommandStateChange(CWebBrowserUI*, long command, VARIANT_BOOL enable) override {
        lastCommand = command;
        lastEnable = enable;
    }
    HRESULT ShowContextMenu(CWebBrowserUI*, DWORD, POINT*, IUnknown*, IDispatch*) override { return S_OK; }
    LRESULT ExtendedCall(CWebBrowserUI*, UINT_PTR a, UINT_PTR, UINT_PTR, UINT_PTR, UINT_PTR, UINT_PTR, UINT_PTR,
                         UINT_PTR h) override {
        return static_cast<LRESULT>(a + h);
    }
    int navigations = 0;
    std::vector<std::wstring> titles;
    CWebBrowserUI* lastBrowser = nullptr;
    long lastCommand = 0;
    VARIANT_BOOL lastEnable = VARIANT_FALSE;
};

class CCountedFlashHandler : public IFlashEventHandler {
public:
    ULONG Release() override { return static_cast<ULONG>(--refs); }
    ULONG AddRef() override { return static_cast<ULONG>(++refs); }
    HRESULT OnReadyStateChange(long state) override {
        lastState = state;
        return S_OK;
    }
    HRESULT OnProgress(long percent) override {
        lastProgress = percent;
        return S_OK;
    }
    int refs = 0;
    long lastState = -1;
    long lastProgress = -1;
};

HRESULT Invoke(IDispatch* sink, DISPID id, std::vector<VARIANT> args, REFIID iid = IID_NULL) {
    DISPPARAMS params = {args.empty() ? nullptr : args.data(), nullptr, static_cast<UINT>(args.size()), 0};
    return sink->Invoke(id, iid, LOCALE_SYSTEM_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
}

std::unique_ptr<CTestWindow> OpenWindow(const std::wstring& control) {
    auto window = std::make_unique<CTestWindow>(L"<Window size=\"300,200\"><VerticalLayout bkcolor=\"#FF404040\">" +
                                                control + L"</VerticalLayout></Window>");
    EXPECT_NE(nullptr, window->Create());
    UpdateWindow(window->GetHandle());
    Pump();
    return window;
}

}  // namespace

TEST(WebBrowserHost, AnswersItsComPartsWithOneIdentity) {
    CWebBrowserUI browser;
    EXPECT_STREQ(L"WebBrowserUI", browser.GetClass());
    EXPECT_EQ(&browser, browser.GetInterface(L"webbrowser"));
    EXPECT_EQ(&browser, browser.GetInterface(L"ActiveX"));
    IUnknown* identity = nullptr;
    ASSERT_EQ(S_OK,
              static_cast<IDispatch*>(&browser)->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)));
    const IID* const parts[] = {&IID_IDocHostUIHandler, &IID_IDispatch, &IID_IServiceProvider, &IID_IOleCommandTarget,
                                &IID_IInternetSecurityManager};
    for (const IID* iid : parts) {
        IUnknown* part = nullptr;
        ASSERT_EQ(S_OK,
                  static_cast<IOleCommandTarget*>(&browser)->QueryInterface(*iid, reinterpret_cast<void**>(&part)));
        IUnknown* back = nullptr;
        ASSERT_EQ(S_OK, part->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&back)));
        EXPECT_EQ(identity, back) << "every part answers the same IUnknown";
        back->Release();
        part->Release();
    }
    identity->Release();
    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_NOINTERFACE, static_cast<IDispatch*>(&browser)->QueryInterface(IID_IOleObject, &none));
    EXPECT_EQ(nullptr, none);
    EXPECT_EQ(0, browser.GetComRefCount());
}

TEST(WebBrowserHost, DocumentHostDefaultsWithoutAHandler) {
    CWebBrowserUI browser;
    IDocHostUIHandler* host = &browser;
    DOCHOSTUIINFO info = {};
    info.cbSize = sizeof info;
    info.dwFlags = 0x10;
    LPWSTR translated = reinterpret_cast<LPWSTR>(1);
    IDataObject* filtered = reinterpret_cast<IDataObject*>(1);
    struct {
        const char* what;
        HRESULT result;
        HRESULT expected;
    } const answers[] = {
        {"ShowContextMenu", host->ShowContextMenu(0, nullptr, nullptr, nullptr), S_FALSE},
        {"GetHostInfo", host->GetHostInfo(&info), S_OK},
        {"ShowUI", host->ShowUI(0, nullptr, nullptr, nullptr, nullptr), S_OK},
        {"HideUI", host->HideUI(), S_OK},
        {"UpdateUI", host->UpdateUI(), S_OK},
        {"EnableModeless", host->EnableModeless(TRUE), E_NOTIMPL},
        {"OnDocWindowActivate", host->OnDocWindowActivate(TRUE), E_NOTIMPL},
        {"OnFrameWindowActivate", host->OnFrameWindowActivate(TRUE), E_NOTIMPL},
        {"ResizeBorder", host->ResizeBorder(nullptr, nullptr, FALSE), E_NOTIMPL},
        {"TranslateAccelerator", host->TranslateAccelerator(nullptr, nullptr, 0), S_FALSE},
        {"GetOptionKeyPath", host->GetOptionKeyPath(nullptr, 0), E_NOTIMPL},
        {"GetDropTarget", host->GetDropTarget(nullptr, nullptr), S_FALSE},
        {"GetExternal", host->GetExternal(nullptr), S_FALSE},
        {"TranslateUrl", host->TranslateUrl(0, nullptr, &translated), E_NOTIMPL},
        {"FilterDataObject", host->FilterDataObject(nullptr, &filtered), E_NOTIMPL},
    };
    for (const auto& a : answers) EXPECT_EQ(a.expected, a.result) << a.what;
    EXPECT_EQ(0x200014u, info.dwFlags);
    EXPECT_EQ(nullptr, translated);
    EXPECT_EQ(nullptr, filtered);

    // A handler decides instead; a null handler leaves the present one.
    CRecordingHandler handler;
    browser.SetWebBrowserEventHandler(&handler);
    browser.SetWebBrowserEventHandler(nullptr);
    EXPECT_EQ(S_OK, host->ShowContextMenu(0, nullptr, nullptr, nullptr));
    EXPECT_EQ(9, browser.ExtendedCall(4, 0, 0, 0, 0, 0, 0, 5));
    CWebBrowserUI plain;
    EXPECT_EQ(0, plain.ExtendedCall(4, 0, 0, 0, 0, 0, 0, 5));
}

TEST(WebBrowserHost, CommandTargetServicesAndSecurity) {
    CWebBrowserUI browser;
    IOleCommandTarget* target = &browser;
    const GUID docHostCommands = {0xF38BC242, 0xB950, 0x11D1, {0x89, 0x18, 0x00, 0xC0, 0x4F, 0xC2, 0xC8, 0x36}};
    VARIANT out;
    VariantInit(&out);
    EXPECT_EQ(OLECMDERR_E_UNKNOWNGROUP, target->Exec(nullptr, 40, 0, nullptr, &out));
    EXPECT_EQ(OLECMDERR_E_UNKNOWNGROUP, target->Exec(&IID_IDispatch, 40, 0, nullptr, &out));
    EXPECT_EQ(OLECMDERR_E_NOTSUPPORTED, target->Exec(&docHostCommands, 41, 0, nullptr, &out));
    EXPECT_EQ(S_OK, target->Exec(&docHostCommands, 40, 0, nullptr, &out));
    EXPECT_EQ(VT_BOOL, out.vt);
    EXPECT_EQ(VARIANT_TRUE, out.boolVal) << "a script error lets scripts run on without a dialog";
    EXPECT_EQ(OLECMDERR_E_NOTSUPPORTED, target->QueryStatus(nullptr, 0, nullptr, nullptr));

    IServiceProvider* services = &browser;
    void* found = reinterpret_cast<void*>(1);
    EXPECT_EQ(S_OK, services->QueryService(IID_IInternetSecurityManager, IID_IInternetSecurityManager, &found));
    EXPECT_EQ(static_cast<IInternetSecurityManager*>(&browser), found);
    static_cast<IUnknown*>(found)->Release();
    const GUID downloads = {0x988934A4, 0x064B, 0x11D3, {0xBB, 0x80, 0x00, 0x10, 0x4B, 0x35, 0xE7, 0xF9}};
    EXPECT_EQ(E_NOINTERFACE, services->QueryService(downloads, downloads, &found));
    EXPECT_EQ(nullptr, found);
    EXPECT_EQ(E_NOINTERFACE, services->QueryService(IID_IDispatch, IID_IDispatch, &found));

    IInternetSecurityManager* security = &browser;
    DWORD zone = 77;
    EXPECT_EQ(S_OK, security->MapUrlToZone(L"about:blank", &zone, 0));
    DWORD policy = 0xFFFFFFFF;
    EXPECT_EQ(S_OK, security->ProcessUrlAction(L"about:blank", 0x1400, reinterpret_cast<BYTE*>(&policy), sizeof policy,
                                               nullptr, 0, 0, 0));
    EXPECT_EQ(0u, policy);
    EXPECT_EQ(0, browser.GetComRefCount());
}

TEST(WebBrowserHost, EventSinkDispatchesByEventNumber) {
    CWebBrowserUI browser;
    CRecordingHandler handler;
    browser.SetWebBrowserEventHandler(&handler);
    IDispatch* sink = &browser;
    UINT count = 5;
    EXPECT_EQ(E_NOTIMPL, sink->GetTypeInfoCount(&count));
    EXPECT_EQ(0u, count);
    EXPECT_EQ(E_INVALIDARG, Invoke(sink, DISPID_TITLECHANGE, {}, IID_IDispatch));

    VARIANT title;
    VariantInit(&title);
    title.vt = VT_BSTR;
    title.bstrVal = SysAllocString(L"Page title");
    EXPECT_EQ(S_OK, Invoke(sink, DISPID_TITLECHANGE, {title}));
    VariantClear(&title);
    ASSERT_EQ(1u, handler.titles.size());
    EXPECT_EQ(L"Page title", handler.titles[0]);
    EXPECT_EQ(&browser, handler.lastBrowser);

    VARIANT command, enable;  // arguments arrive last first
    VariantInit(&command);
    VariantInit(&enable);
    command.vt = VT_I4;
    command.lVal = 2;
    enable.vt = VT_BOOL;
    enable.boolVal = VARIANT_TRUE;
    EXPECT_EQ(S_OK, Invoke(sink, DISPID_COMMANDSTATECHANGE, {enable, command}));
    EXPECT_EQ(2, handler.lastCommand);
    EXPECT_EQ(VARIANT_TRUE, handler.lastEnable);

    EXPECT_EQ(S_OK, Invoke(sink, DISPID_STATUSTEXTCHANGE, {}));
    EXPECT_EQ(S_OK, Invoke(sink, DISPID_BEFORENAVIGATE2, {}));  // too few arguments: nothing is read
    EXPECT_EQ(0, handler.navigations);
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, Invoke(sink, 9999, {}));
}

TEST(WebBrowserHost, RealEngineIsConnectedAndLetGoWithTheControl) {
    CRecordingHandler handler;
    auto window = OpenWindow(L"<WebBrowser name=\"web\" homepage=\"about:blank\" autonavi=\"false\"/>");
    auto* web = static_cast<CWebBrowserUI*>(window->Control(L"web"));
    ASSERT_NE(nullptr, web);
    web->SetWebBrowserEventHandler(&handler);
    EXPECT_TRUE(web->IsCreated());
    ASSERT_NE(nullptr, web->GetWebBrowser2()) << "the browser engine is expected in this prefix";
    EXPECT_NE(0u, web->GetEventCookie());
    EXPECT_GT(web->GetComRefCount(), 0) << "the engine holds the event sink";
    EXPECT_EQ(0, handler.navigations) << "no page without automatic navigation";
    EXPECT_TRUE(window->pm().RemoveKeyTranslator(web)) << "registered as a key translator";
    window->pm().AddKeyTranslator(web);

    MSG move = {window->GetHandle(), WM_MOUSEMOVE, 0, 0, 0, {}};
    EXPECT_EQ(S_FALSE, web->TranslateAccelerator(&move));
    ::SetFocus(nullptr);
    MSG key = {window->GetHandle(), WM_KEYDOWN, 'A', 0, 0, {}};
    EXPECT_EQ(S_FALSE, web->TranslateAccelerator(&key)) << "the focus is not in the browser";

    VARIANT busy;
    VariantInit(&busy);
    EXPECT_EQ(E_FAIL, CWebBrowserUI::GetProperty(web->GetWebBrowser2(), L"NoSuchMember", &busy));

    web->ReleaseControl();
    EXPECT_EQ(nullptr, web->GetWebBrowser2());
    EXPECT_EQ(0u, web->GetEventCookie());
    EXPECT_EQ(0, web->GetComRefCount()) << "the engine let go of every part of the control";
    EXPECT_FALSE(window->pm().RemoveKeyTranslator(web));
    EXPECT_EQ(E_NOTIMPL, web->TranslateAccelerator(&key));
}

TEST(WebBrowserHost, ControlWithoutTheEngineStaysEmpty) {
    CWebBrowserUI browser;
    EXPECT_TRUE(browser.SetCLSID(L"{5A1B2C3D-00FF-4E5F-8A9B-0C1D2E3F4051}"));  // a class nobody serves
    browser.SetDelayCreate(false);
    EXPECT_TRUE(browser.IsCreated());
    EXPECT_EQ(nullptr, browser.GetWebBrowser2());
    EXPECT_EQ(0u, browser.GetEventCookie());
    browser.Navigate(L"about:blank");
    browser.NavigateUrl(L"about:blank");
}

TEST(FlashHost, MissingControlFailsCleanlyAndDrawsNothing) {
    auto window = OpenWindow(L"<Flash name=\"flash\" float=\"true\" pos=\"10,10,210,110\"/>");
    auto* flash = static_cast<CFlashUI*>(window->Control(L"flash"));
    ASSERT_NE(nullptr, flash);
    EXPECT_STREQ(L"Flash", flash->GetClass());
    EXPECT_EQ(flash, flash->GetInterface(L"FLASH"));
    EXPECT_TRUE(flash->IsCreated());
    EXPECT_FALSE(flash->DoCreateControl()) << "the caller learns that there is no Flash";
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_PENDING, flash->GetControl(IID_IUnknown, &object));
    EXPECT_EQ(nullptr, flash->GetShockwaveFlash());
    EXPECT_EQ(0u, flash->GetEventCookie());
    EXPECT_EQ(0, flash->GetSinkRefCount());
    InvalidateRect(window->GetHandle(), nullptr, FALSE);
    UpdateWindow(window->GetHandle());
    EXPECT_EQ(0x404040u, WindowPixel(window->GetHandle(), 100, 60)) << "nothing drawn where the control is";
    MSG key = {window->GetHandle(), WM_KEYDOWN, 'A', 0, 0, {}};
    EXPECT_EQ(E_NOTIMPL, flash->TranslateAccelerator(&key));
}

TEST(FlashHost, EventConnectionAndHandlerReferencesBalance) {
    TTestObjectRecord& record = ResetTestObjectRecord();
    CCountedFlashHandler first, second;
    {
        auto window = OpenWindow(L"<Flash name=\"flash\" float=\"true\" pos=\"10,10,210,110\" modulename=\"" +
                                 TestObjectModulePath() + L"\"/>");
        auto* flash = static_cast<CFlashUI*>(window->Control(L"flash"));
        ASSERT_NE(nullptr, flash);
        ASSERT_NE(nullptr, flash->GetShockwaveFlash());
        EXPECT_EQ(kTestAdviseCookie, flash->GetEventCookie());
        EXPECT_EQ(1, flash->GetSinkRefCount()) << "held by the control's connection point";
        EXPECT_EQ(1, record.adviseCalls);

        IDispatch* sink = flash;
        const IID events = {0xD27CDB6D, 0xAE6D, 0x11CF, {0x96, 0xB8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
        for (const IID* iid : {&IID_IUnknown, &IID_IDispatch, &events}) {
            void* part = nullptr;
            EXPECT_EQ(S_OK, sink->QueryInterface(*iid, &part));
            EXPECT_EQ(static_cast<IDispatch*>(flash), part);
            sink->Release();
        }
        void* none = reinterpret_cast<void*>(1);
        EXPECT_EQ(E_NOINTERFACE, sink->QueryInterface(IID_IOleObject, &none));
        EXPECT_EQ(nullptr, none);
        EXPECT_EQ(E_NOTIMPL, sink->GetTypeInfoCount(nullptr));
        EXPECT_EQ(S_OK, Invoke(sink, 1, {}));

        flash->SetFlashEventHandler(&first);
        EXPECT_EQ(1, first.refs);
        flash->SetFlashEventHandler(&second);
        EXPECT_EQ(0, first.refs);
        EXPECT_EQ(1, second.refs);
        flash->OnReadyStateChange(4);
        flash->OnProgress(50);
        EXPECT_EQ(4, second.lastState);
        EXPECT_EQ(50, second.lastProgress);

        // The object gets the keys while the focus is in the window it draws in.
        ::SetFocus(window->GetHandle());
        MSG key = {window->GetHandle(), WM_KEYDOWN, 'A', 0, 0, {}};
        EXPECT_EQ(S_OK, flash->TranslateAccelerator(&key));
        EXPECT_EQ(1, record.acceleratorCalls);
    }
    EXPECT_EQ(0, second.refs) << "the control's end releases its handler";
    EXPECT_EQ(1, record.unadviseCalls);
    EXPECT_EQ(kTestAdviseCookie, record.lastUnadviseCookie);
    EXPECT_EQ(0, record.liveObjects);
}
