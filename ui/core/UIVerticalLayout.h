#pragma once
// CVerticalLayoutUI: stacks its visible children from top to bottom. Children with a fixed height keep
// it, the others share the height that is left; an optional separator strip on the top or bottom edge
// lets the user drag the layout's own height.
#include "UIContainer.h"
#include "UILinearLayout.h"

namespace SkinUI {

class CVerticalLayoutUI : public CContainerUI {
public:
    static CControlUI* CreateControl();

    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* name) override;
    UINT GetControlFlags() const override;

    // Above 0: a strip of that height on the bottom edge; below 0: on the top edge; 0: none.
    void SetSepHeight(int height) { m_separator.SetSize(height); }
    int GetSepHeight() const { return m_separator.GetSize(); }
    // Immediate mode resizes the layout while dragging; otherwise a tracker is drawn until release.
    void SetSepImmMode(bool immediate) { m_separator.SetImmediate(*this, immediate); }
    bool IsSepImmMode() const { return m_separator.IsImmediate(); }
    RECT GetThumbRect(bool useNewPosition = false) const;

    void SetPos(RECT rect, bool needInvalidate = true) override;
    void DoEvent(TUIEvent& event) override;
    void DoPostPaint(HDC hdc, const RECT& paintRect) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;

private:
    CLayoutSeparator m_separator;
};

}  // namespace SkinUI
