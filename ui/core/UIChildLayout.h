#pragma once
// CChildLayoutUI: a container that fills itself from a separate layout file when it is initialised.
#include "UIContainer.h"

namespace SkinUI {

class CChildLayoutUI : public CContainerUI {
public:
    // Child layouts nested deeper than this are refused, as is a file that includes itself.
    enum { kMaxNesting = 16 };

    static CControlUI* CreateControl();

    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* name) override;  // not a container to the outside

    void SetChildLayoutXML(const wchar_t* name) { m_pstrXMLFile = name; }
    const CUIString& GetChildLayoutXML() const { return m_pstrXMLFile; }

    // Builds the file into this layout (emptied when it does not build).
    void Init() override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;

private:
    CUIString m_pstrXMLFile;
};

}  // namespace SkinUI
