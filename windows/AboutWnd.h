#pragma once
// The About box: the amplifier's model and the firmware version it reported, the program's version and
// the firmware version the program carries.
#include "SkinDialogWnd.h"

struct DspConfig;

// What the About box shows of the amplifier: its model (-1 when none is identified) and versions.
struct DeviceIdentity {
    int model = -1;
    int mainVersion = 0;
    int slaveVersion = 0;
};

class CAboutWnd : public CSkinDialogWnd {
public:
    static constexpr const wchar_t* kModelName = L"KTR3.500DSP";
    static constexpr const wchar_t* kSoftwareVersion = L"v6.7.99";
    static constexpr const wchar_t* kCompanyTitle = L"VR ZOD Evoda";

    // Set before the window is created.
    void SetIdentity(const DeviceIdentity& identity) { m_identity = identity; }

protected:
    const wchar_t* GetWndClassName() const override { return L"AboutWnd"; }
    SkinUI::CUIString GetLayoutFile() const override { return SkinUI::CUIString(L"XML_ABOUT"); }
    void OnInitWindow() override;
    void OnClick(SkinUI::TNotifyMessage& msg) override;
    void Notify(SkinUI::TNotifyMessage& msg) override;
    BOOL OnDefaultKey(WPARAM key) override;

private:
    DeviceIdentity m_identity;

    SKINUI_DECLARE_NOTIFY_MAP()
};

// The "fw_version" line: the model alone while no amplifier is identified, else the model, the
// resolved word for "firmware" and "v<main>.<slave>".
std::wstring AboutFirmwareLine(const DeviceIdentity& identity, const std::wstring& versionWord);

// Opens the About box modally over `owner` for the amplifier the live configuration describes.
int ShowAboutWnd(HWND owner, const DspConfig& config);
