#include "UIChildLayout.h"

#include "UIDlgBuilder.h"
#include "base/Log.h"

#include <vector>

namespace SkinUI {

namespace {

// Files of the child layouts being built right now, outermost first (UI thread only). Building a
// child layout initialises its new children, which builds nested child layouts within this call.
std::vector<CUIString>& FilesInProgress() {
    static std::vector<CUIString> files;
    return files;
}

class FileInProgress {
public:
    explicit FileInProgress(const CUIString& file) { FilesInProgress().push_back(file); }
    ~FileInProgress() { FilesInProgress().pop_back(); }
};

// A file already being built would include itself without end.
bool IsRefused(const CUIString& file) {
    const std::vector<CUIString>& files = FilesInProgress();
    if (files.size() >= static_cast<size_t>(CChildLayoutUI::kMaxNesting)) return true;
    for (const CUIString& outer : files) {
        if (outer.CompareIgnoreCase(file.Data()) == 0) return true;
    }
    return false;
}

}  // namespace

CControlUI* CChildLayoutUI::CreateControl() { return new CChildLayoutUI; }

const wchar_t* CChildLayoutUI::GetClass() const { return L"ChildLayoutUI"; }

void* CChildLayoutUI::GetInterface(const wchar_t* name) {
    return EqualsIgnoreCase(name, L"ChildLayout") ? this : CControlUI::GetInterface(name);
}

void CChildLayoutUI::Init() {
    if (m_pstrXMLFile.IsEmpty()) return;
    if (IsRefused(m_pstrXMLFile)) {
        LogPrintW(L"CChildLayoutUI::Init: \"%ls\" includes itself or nests too deeply, not built\n",
                  m_pstrXMLFile.Data());
        RemoveAll();
        return;
    }
    FileInProgress inProgress(m_pstrXMLFile);
    CUIBuilder builder;
    CControlUI* root = builder.Create(m_pstrXMLFile.Data(), nullptr, nullptr, m_pManager, nullptr);
    if (root) {
        Add(root);
    } else {
        RemoveAll();
    }
}

void CChildLayoutUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (EqualsIgnoreCase(name, L"xmlfile")) {
        SetChildLayoutXML(value);
    } else {
        CContainerUI::SetAttribute(name, value);
    }
}

}  // namespace SkinUI
