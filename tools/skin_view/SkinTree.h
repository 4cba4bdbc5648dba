#pragma once
// The application's skin as the viewer and the skin tests see it: opening the embedded archive with its
// resource table and languages, building a layout with stand-ins for the application's own controls, and
// walking what was built.
#include "UIContainer.h"
#include "UIControl.h"
#include "UIDlgBuilder.h"
#include "UIManager.h"

#include <windows.h>

#include <set>
#include <string>
#include <vector>

namespace SkinView {

// The skin's language packs: (pack name, file) in the order the application loads them.
struct TLanguagePack {
    const wchar_t* name;
    const wchar_t* file;
};
extern const TLanguagePack kLanguagePacks[3];

// Opens the archive embedded as "IDR_ZIPRES"/"ZIPRES" in the module, loads its resource table and, when
// asked, the three language packs (selecting the given one). False when a step fails.
bool OpenEmbeddedSkin(HINSTANCE module, const wchar_t* password);
bool LoadSkinLanguages(const wchar_t* selected);

// A plain container that stands in for an element no creator knows (the application's own controls, or
// standard controls not built yet), so that the layout's tree and names stay whole.
class CStandInUI : public SkinUI::CContainerUI {
public:
    explicit CStandInUI(const wchar_t* element) : m_element(element) {}
    const wchar_t* GetClass() const override { return L"StandInUI"; }
    const std::wstring& Element() const { return m_element; }

private:
    std::wstring m_element;
};

// Builder callback: the four application elements become the nearest standard control (when the factory
// has it) or a stand-in; any other unknown element becomes a stand-in and is remembered.
class CStandInFactory : public SkinUI::IDialogBuilderCallback {
public:
    SkinUI::CControlUI* CreateControl(const wchar_t* element) override;
    const std::set<std::wstring>& Unknown() const { return m_unknown; }

private:
    std::set<std::wstring> m_unknown;
};

// The layout id of the main window and the sub-layout it attaches into "channel_settings".
extern const wchar_t kMainLayout[];
extern const wchar_t kChannelLayout[];
extern const wchar_t kChannelHost[];

// Builds the channel sub-layout into the main window's "channel_settings" container; false when either
// is missing.
bool AttachChannelSettings(SkinUI::CPaintManagerUI& manager, SkinUI::IDialogBuilderCallback* callback,
                           SkinUI::CControlUI* root);

// Every control of the tree, depth first (the root included).
std::vector<SkinUI::CControlUI*> AllControls(SkinUI::CControlUI* root);
std::set<std::wstring> ControlNames(SkinUI::CControlUI* root);

}  // namespace SkinView
