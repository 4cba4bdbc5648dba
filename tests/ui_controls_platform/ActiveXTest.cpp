// The ActiveX host with the tests' own COM object, loaded through the module-name path: creation order
// and delay, windowless activation (the paint DC, drawing, hit-tested mouse and focused keys), windowed
// activation in a child window, the site, frame and enumerator contracts, and balanced references and
// running locks when the control goes.
#include "PlatformTestSupport.h"
#include "UIActiveX.h"

#include <ocidl.h>

using namespace SkinUI;
using namespace WindowTest;
using namespace PlatformTest;

namespace {

std::wstring Layout(const CLSID& clsid, const wchar_t* extra = L"") {
    return L"<Window size=\"300,200\"><VerticalLayout><ActiveX name=\"ax\" float=\"true\" pos=\"20,30,220,130\" "
           L"clsid=\"" + ClsidText(clsid) + L"\" modulename=\"" + TestObjectModulePath() + L"\" " + extra +
           L"/></VerticalLayout></Window>";
}

template <class T>
T* Query(CActiveXUI* control, REFIID iid) {
    T* out = nullptr;
    EXPECT_EQ(S_OK, control->GetControl(iid, reinterpret_cast<void**>(&out)));
    return out;
}

// The object's view of the site, as it holds it.
template <class T>
T* SiteAs(CActiveXUI* control, REFIID iid) {
    IOleObject* object = Query<IOleObject>(control, IID_IOleObject);
    if (!object) return nullptr;
    IOleClientSite* site = nullptr;
    object->GetClientSite(&site);
    object->Release();
    if (!site) return nullptr;
    T* out = nullptr;
    site->QueryInterface(iid, reinterpret_cast<void**>(&out));
    site->Release();
    return out;
}

class ActiveXTest : public ::testing::Test {
protected:
    void SetUp() override { record = &ResetTestObjectRecord(); }
    void TearDown() override { EXPECT_EQ(0, TestObjectRecord().liveObjects) << "an object was not released"; }
    TTestObjectRecord* record = nullptr;
};

}  // namespace

TEST_F(ActiveXTest, ClassTextsAndDelayedCreation) {
    CActiveXUI control;
    EXPECT_STREQ(L"ActiveXUI", control.GetClass());
    EXPECT_EQ(&control, control.GetInterface(L"ActiveX"));
    EXPECT_EQ(nullptr, control.GetInterface(L"activex"));
    EXPECT_TRUE(control.IsDelayCreate());

    struct {
        const wchar_t* text;
        bool named;
    } const cases[] = {
        {L"", false},
        {L"{00000000-0000-0000-0000-000000000000}", false},
        {L"{not a class id}", false},
        {L"No.Such.ProgId", false},
        // A text longer than any class name is refused instead of overrunning the copy.
        {L"{5A1B2C3D-0001-4E5F-8A9B-0C1D2E3F4051}{5A1B2C3D-0001-4E5F-8A9B-0C1D2E3F4051}"
         L"{5A1B2C3D-0001-4E5F-8A9B-0C1D2E3F4051}", false},
        {L"{5A1B2C3D-0001-4E5F-8A9B-0C1D2E3F4051}", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.named, control.SetCLSID(c.text)) << std::string(c.text, c.text + wcslen(c.text));
    }
    EXPECT_TRUE(IsEqualCLSID(CLSID_TestWindowless, control.GetClassId()));
    control.SetModuleName(TestObjectModulePath().c_str());
    EXPECT_FALSE(control.IsCreated());
    EXPECT_EQ(0, record->liveObjects);
    void* out = &control;
    EXPECT_EQ(E_PENDING, control.GetControl(IID_IOleObject, &out));
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(E_POINTER, control.GetControl(IID_IOleObject, nullptr));

    // Turning the delay off creates the object at once; without a window it is not activated.
    control.SetDelayCreate(false);
    EXPECT_TRUE(control.IsCreated());
    EXPECT_EQ(1, record->liveObjects);
    EXPECT_EQ(0, record->doVerbCalls);
    EXPECT_STREQ(L"UIActiveX", record->hostName);
    EXPECT_EQ(1, record->initNewCalls);
    EXPECT_FALSE(record->clientSiteSetBeforeInitNew);
    EXPECT_TRUE(record->hasObjectSite);
    control.ReleaseControl();
    EXPECT_EQ(0, record->liveObjects);
    EXPECT_FALSE(record->hasObjectSite);
    EXPECT_EQ(1, record->closeCalls);
}

TEST_F(ActiveXTest, CreationStepsFollowTheObjectsMiscStatus) {
    struct {
        DWORD misc;
        bool failInitNew;
        bool siteFirst;
        bool kept;
        int doVerbs;
    } const cases[] = {
        {0, false, false, true, 1},
        {OLEMISC_SETCLIENTSITEFIRST, false, true, true, 1},
        {OLEMISC_INVISIBLEATRUNTIME, false, false, true, 0},
        {0, true, false, false, 0},
    };
    for (const auto& c : cases) {
        ResetTestObjectRecord();
        record->miscStatus = c.misc;
        record->failInitNew = c.failInitNew;
        {
        CPlatformWindow window(Layout(CLSID_TestWindowless));
        ASSERT_NE(nullptr, window.Create());
        auto* ax = static_cast<CActiveXUI*>(window.Control(L"ax"));
        EXPECT_EQ(c.kept ? 1 : 0, window.NoteCount(L"showactivex")) << c.misc;
        // Created at the first placement; a second placement does not create again.
        EXPECT_TRUE(ax->IsCreated());
        EXPECT_EQ(c.kept ? 1 : 0, record->liveObjects) << c.misc;
        EXPECT_EQ(c.siteFirst, record->clientSiteSetBeforeInitNew) << c.misc;
        EXPECT_EQ(c.doVerbs, record->doVerbCalls) << c.misc;
        void* out = nullptr;
        EXPECT_EQ(c.kept ? S_OK : E_PENDING, ax->GetControl(IID_IOleObject, &out));
        if (out) static_cast<IUnknown*>(out)->Release();
        }
        Pump();
        EXPECT_EQ(0, record->liveObjects) << c.misc;
        EXPECT_EQ(0, record->runningLocks) << c.misc;
    }
}

TEST_F(ActiveXTest, WindowlessObjectDrawsIntoTheWindowAndGetsFilteredMessages) {
    auto owned = std::make_unique<CTestWindow>(Layout(CLSID_TestWindowless));
    CTestWindow& window = *owned;
    ASSERT_NE(nullptr, window.Create());
    auto* ax = static_cast<CActiveXUI*>(window.Control(L"ax"));
    UpdateWindow(window.GetHandle());
    Pump();

    EXPECT_TRUE(record->activatedWindowless);
    EXPECT_EQ(window.GetHandle(), ax->GetHostWindow());
    EXPECT_EQ(window.GetHandle(), record->siteWindow);
    EXPECT_EQ(1, record->runningLocks);
    const RECT expected = {20, 30, 220, 130};
    EXPECT_TRUE(EqualRect(&expected, &record->objectRect));
    const SIZEL extent = PixelsToHimetric({200, 100});
    EXPECT_EQ(extent.cx, record->extent.cx);
    EXPECT_EQ(extent.cy, record->extent.cy);
    EXPECT_GT(record->drawCalls, 0);
    EXPECT_EQ(20, record->lastDrawBounds.left);
    EXPECT_EQ(130, record->lastDrawBounds.bottom);
    EXPECT_EQ(0x20A060u, WindowPixel(window.GetHandle(), 100, 80));
    EXPECT_NE(0x20A060u, WindowPixel(window.GetHandle(), 10, 10));

    // Mouse messages reach the object only where it reports a hit (its left half). Counted from here:
    // the real pointer may have sent the window its own moves while it was shown.
    HWND hwnd = window.GetHandle();
    const int before = record->windowMessages;
    SendMessageW(hwnd, WM_MOUSEMOVE, 0, At(60, 60));
    EXPECT_EQ(before + 1, record->windowMessages);
    SendMessageW(hwnd, WM_MOUSEMOVE, 0, At(200, 60));
    EXPECT_EQ(before + 1, record->windowMessages);
    // Keys only while the framework control has the focus.
    SendMessageW(hwnd, WM_KEYDOWN, 'A', 0);
    EXPECT_EQ(before + 1, record->windowMessages);
    ax->SetFocus();
    SendMessageW(hwnd, WM_KEYDOWN, 'A', 0);
    EXPECT_EQ(before + 2, record->windowMessages);
    EXPECT_EQ(static_cast<UINT>(WM_KEYDOWN), record->lastWindowMessage);

    // The object draws on the window's own DC, which the site keeps.
    auto* site = SiteAs<IOleInPlaceSiteWindowless>(ax, IID_IOleInPlaceSiteWindowless);
    ASSERT_NE(nullptr, site);
    HDC dc = nullptr;
    EXPECT_EQ(S_OK, site->GetDC(nullptr, 0, &dc));
    EXPECT_EQ(window.pm().GetPaintDeviceContext(), dc);
    EXPECT_EQ(S_OK, site->ReleaseDC(dc));
    EXPECT_NE(0, GetDeviceCaps(window.pm().GetPaintDeviceContext(), LOGPIXELSX));
    site->Release();

    // Without the control nothing is held any more: the lock ends with the activation.
    owned.reset();
    Pump();
    EXPECT_EQ(0, record->runningLocks);
    EXPECT_EQ(1, record->closeCalls);
}

TEST_F(ActiveXTest, RunningLockEndsEvenWhenClosingDoesNotDeactivate) {
    record->closeDeactivates = false;
    {
        CTestWindow window(Layout(CLSID_TestWindowless));
        ASSERT_NE(nullptr, window.Create());
        EXPECT_EQ(1, record->runningLocks);
    }
    Pump();
    EXPECT_EQ(0, record->runningLocks);
    EXPECT_EQ(2, record->lockCalls);
}

TEST_F(ActiveXTest, WindowedObjectLivesInAChildWindowThatFollowsTheControl) {
    CTestWindow window(Layout(CLSID_TestWindowed));
    ASSERT_NE(nullptr, window.Create());
    auto* ax = static_cast<CActiveXUI*>(window.Control(L"ax"));
    EXPECT_TRUE(record->activatedWindowed);
    HWND host = ax->GetHostWindow();
    ASSERT_NE(nullptr, host);
    EXPECT_NE(window.GetHandle(), host);
    EXPECT_EQ(window.GetHandle(), GetParent(host));
    EXPECT_EQ(host, record->siteWindow);
    wchar_t className[32] = {};
    GetClassNameW(host, className, 32);
    EXPECT_STREQ(L"ActiveXWnd", className);
    const RECT origin = {0, 0, 200, 100};
    EXPECT_TRUE(EqualRect(&origin, &record->objectRect));

    ax->SetPos({40, 50, 140, 100});
    RECT placed = {};
    GetWindowRect(host, &placed);
    MapWindowPoints(nullptr, window.GetHandle(), reinterpret_cast<POINT*>(&placed), 2);
    const RECT expected = {40, 50, 140, 100};
    EXPECT_TRUE(EqualRect(&expected, &placed));
    EXPECT_TRUE(IsWindowVisible(host));
    ax->SetVisible(false);
    EXPECT_FALSE(IsWindowVisible(host));
    ax->SetVisible(true);
    EXPECT_TRUE(IsWindowVisible(host));

    auto* site = SiteAs<IOleInPlaceSiteWindowless>(ax, IID_IOleInPlaceSiteWindowless);
    ASSERT_NE(nullptr, site);
    HDC dc = nullptr;
    EXPECT_EQ(S_OK, site->GetDC(nullptr, OLEDC_PAINTBKGND, &dc));
    EXPECT_NE(nullptr, dc);
    EXPECT_NE(window.pm().GetPaintDeviceContext(), dc);
    EXPECT_EQ(S_OK, site->ReleaseDC(dc));
    site->Release();
    DestroyWindow(window.GetHandle());
    Pump();
    EXPECT_FALSE(IsWindow(host));
}

TEST_F(ActiveXTest, SiteFrameAndEnumeratorContracts) {
    CTestWindow window(Layout(CLSID_TestWindowless));
    ASSERT_NE(nullptr, window.Create());
    auto* ax = static_cast<CActiveXUI*>(window.Control(L"ax"));
    auto* site = SiteAs<IOleInPlaceSiteWindowless>(ax, IID_IOleInPlaceSiteWindowless);
    ASSERT_NE(nullptr, site);

    struct {
        const char* what;
        HRESULT result;
        HRESULT expected;
    } const answers[] = {
        {"CanInPlaceActivate", site->CanInPlaceActivate(), S_OK},
        {"CanWindowlessActivate", site->CanWindowlessActivate(), S_OK},
        {"RequestUIActivate", site->RequestUIActivate(), S_OK},
        {"ScrollRect", site->ScrollRect(1, 1, nullptr, nullptr), S_OK},
        {"Scroll", site->Scroll({1, 1}), E_NOTIMPL},
        {"DiscardUndoState", site->DiscardUndoState(), E_NOTIMPL},
        {"DeactivateAndUndo", site->DeactivateAndUndo(), E_NOTIMPL},
        {"OnPosRectChange", site->OnPosRectChange(nullptr), E_NOTIMPL},
        {"GetCapture", site->GetCapture(), S_FALSE},
        {"GetFocus", site->GetFocus(), S_FALSE},
    };
    for (const auto& a : answers) EXPECT_EQ(a.expected, a.result) << a.what;

    EXPECT_EQ(S_OK, site->SetFocus(TRUE));
    EXPECT_EQ(S_OK, site->GetFocus());
    EXPECT_EQ(ax, window.pm().GetFocusedControl());
    EXPECT_EQ(S_OK, site->OnUIActivate());
    EXPECT_EQ(S_OK, site->OnUIDeactivate(FALSE));

    IOleControlSite* controlSite = nullptr;
    ASSERT_EQ(S_OK, site->QueryInterface(IID_IOleControlSite, reinterpret_cast<void**>(&controlSite)));
    EXPECT_EQ(S_FALSE, controlSite->TranslateAccelerator(nullptr, 0));
    EXPECT_EQ(S_OK, controlSite->LockInPlaceActive(TRUE));
    IDispatch* extended = nullptr;
    EXPECT_EQ(E_NOINTERFACE, controlSite->GetExtendedControl(&extended));  // the object has no IDispatch
    controlSite->Release();

    // The container enumerates the one object, once.
    IOleContainer* container = nullptr;
    IOleClientSite* clientSite = nullptr;
    ASSERT_EQ(S_OK, site->QueryInterface(IID_IOleClientSite, reinterpret_cast<void**>(&clientSite)));
    ASSERT_EQ(S_OK, clientSite->GetContainer(&container));
    IEnumUnknown* objects = nullptr;
    ASSERT_EQ(S_OK, container->EnumObjects(OLECONTF_EMBEDDINGS, &objects));
    IUnknown* first = nullptr;
    ULONG fetched = 0;
    EXPECT_EQ(S_OK, objects->Next(1, &first, &fetched));
    EXPECT_EQ(1u, fetched);
    IOleObject* object = Query<IOleObject>(ax, IID_IOleObject);
    EXPECT_EQ(static_cast<IUnknown*>(object), first);
    object->Release();
    if (first) first->Release();
    EXPECT_EQ(S_FALSE, objects->Next(1, &first, &fetched));
    EXPECT_EQ(0u, fetched);
    EXPECT_EQ(S_OK, objects->Reset());
    EXPECT_EQ(S_OK, objects->Skip(1));
    EXPECT_EQ(S_FALSE, objects->Next(1, &first, &fetched));
    IEnumUnknown* clone = nullptr;
    EXPECT_EQ(E_NOTIMPL, objects->Clone(&clone));
    objects->Release();
    container->Release();
    clientSite->Release();

    // The frame of the window context.
    IOleInPlaceFrame* frame = nullptr;
    IOleInPlaceUIWindow* document = reinterpret_cast<IOleInPlaceUIWindow*>(1);
    RECT position = {}, clip = {};
    OLEINPLACEFRAMEINFO info = {};
    ASSERT_EQ(S_OK, site->GetWindowContext(&frame, &document, &position, &clip, &info));
    EXPECT_EQ(nullptr, document);
    EXPECT_EQ(window.GetHandle(), info.hwndFrame);
    EXPECT_FALSE(info.fMDIApp);
    HWND frameWindow = nullptr;
    EXPECT_EQ(S_OK, frame->GetWindow(&frameWindow));
    EXPECT_EQ(window.GetHandle(), frameWindow);
    EXPECT_EQ(INPLACE_E_NOTOOLSPACE, frame->RequestBorderSpace(nullptr));
    EXPECT_EQ(S_FALSE, frame->TranslateAccelerator(nullptr, 0));
    EXPECT_EQ(S_OK, frame->SetStatusText(L"x"));
    EXPECT_EQ(0u, frame->Release());
    site->Release();

    // A site whose control went away answers that it has none.
    IOleInPlaceSiteWindowless* orphan = SiteAs<IOleInPlaceSiteWindowless>(ax, IID_IOleInPlaceSiteWindowless);
    ASSERT_NE(nullptr, orphan);
    ax->ReleaseControl();
    HWND hwnd = nullptr;
    EXPECT_EQ(E_UNEXPECTED, orphan->GetWindow(&hwnd));
    EXPECT_EQ(E_UNEXPECTED, orphan->SetFocus(TRUE));
    orphan->Release();
}
