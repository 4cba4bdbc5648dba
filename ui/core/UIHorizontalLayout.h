#pragma once
// CHorizontalLayoutUI: lines up its visible children from left to right. Children with a fixed width keep
// it, the others share the width that is left; an optional separator strip on the left or right edge
// lets the user drag the layout's own width.
#include "UIContainer.h"
#include "UILinearLayout.h"

namespace SkinUI {

class CHorizontalLayoutUI : public CContainerUI {
public:
    static CControlUI* CreateControl();

    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* name) override;
    UINT GetControlFlags() const override;

    // Above 0: a strip of that width on the right edge; below 0: on the left edge; 0: none.
    void SetSepWidth(int width) { m_separator.SetSize(width); }
    int GetSepWidth() const { return m_separator.GetSize(); }
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
