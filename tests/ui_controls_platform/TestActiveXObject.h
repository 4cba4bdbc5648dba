#pragma once
// A small ActiveX object of the tests, served by a module of its own through DllGetClassObject (no
// registry). It records what its container does with it; the tests read the record through the module's
// export "GetTestObjectRecord".
#include <windows.h>

// Class ids the module serves: a windowless object, a windowed one, and one answering the Flash class
// with an event connection point.
// {5A1B2C3D-0001-4E5F-8A9B-0C1D2E3F4051}
static const CLSID CLSID_TestWindowless = {
    0x5A1B2C3D, 0x0001, 0x4E5F, {0x8A, 0x9B, 0x0C, 0x1D, 0x2E, 0x3F, 0x40, 0x51}};
// {5A1B2C3D-0002-4E5F-8A9B-0C1D2E3F4051}
static const CLSID CLSID_TestWindowed = {0x5A1B2C3D, 0x0002, 0x4E5F, {0x8A, 0x9B, 0x0C, 0x1D, 0x2E, 0x3F, 0x40, 0x51}};
// {D27CDB6E-AE6D-11CF-96B8-444553540000}
static const CLSID CLSID_TestFlash = {0xD27CDB6E, 0xAE6D, 0x11CF, {0x96, 0xB8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};

struct TTestObjectRecord {
    // Set by the test before creation.
    DWORD miscStatus;          // answered by GetMiscStatus
    bool failInitNew;          // InitNew fails
    bool closeDeactivates;     // Close ends the in-place activation through the site, as real objects do
    COLORREF fillColor;        // what Draw paints over its bounds
    // Recorded.
    int liveObjects;           // objects not yet deleted
    int runningLocks;          // LockRunning(TRUE) minus LockRunning(FALSE)
    int lockCalls;
    int initNewCalls;
    int setClientSiteCalls;    // with a site
    bool clientSiteSetBeforeInitNew;
    bool hasClientSite;
    bool hasObjectSite;        // IObjectWithSite::SetSite with a site
    int doVerbCalls;
    LONG lastVerb;
    bool activatedWindowless;
    bool activatedWindowed;
    HWND siteWindow;           // what the site's GetWindow answered at activation
    wchar_t hostName[32];
    SIZEL extent;
    RECT objectRect;
    int setObjectRectsCalls;
    int drawCalls;
    HDC lastDrawDc;
    RECTL lastDrawBounds;
    int windowMessages;
    UINT lastWindowMessage;
    int closeCalls;
    int adviseCalls;
    int unadviseCalls;
    DWORD lastUnadviseCookie;
    int acceleratorCalls;
};

// The cookie the Flash object's connection point gives.
constexpr DWORD kTestAdviseCookie = 0x5A;

using GetTestObjectRecordFn = TTestObjectRecord* (*)();
