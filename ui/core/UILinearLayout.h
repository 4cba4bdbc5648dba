#pragma once
// What the vertical and horizontal layouts share: one arrangement algorithm told along a main axis (the
// stacking direction) and a cross axis, and the draggable separator strip on one edge of the layout.
#include "UIContainer.h"

namespace SkinUI {

// Stacks the visible children of box top to bottom (vertical) or left to right, over its current item
// rectangle, then shows or hides its scroll bars for the room the children need.
void ArrangeLinear(CContainerUI& box, bool vertical);

// The separator strip: size > 0 puts it on the bottom (horizontal layout: right) edge, size < 0 on the
// top (left) edge, 0 means none. Dragging it changes the layout's own fixed height (width).
class CLayoutSeparator {
public:
    int GetSize() const { return m_size; }
    void SetSize(int size) { m_size = size; }
    bool IsImmediate() const { return m_immediate; }
    void SetImmediate(CContainerUI& box, bool immediate);
    bool IsCaptured() const { return (m_buttonState & UISTATE_CAPTURED) != 0; }
    const RECT& GetNewPosition() const { return m_newPosition; }

    RECT GetThumbRect(const RECT& item, bool vertical, bool useNewPosition) const;
    // Handles the separator's events; false when the event is the container's. item and fixedSize are
    // the layout's item rectangle and stored fixed height (width), changed while dragging.
    bool DoEvent(CContainerUI& box, bool vertical, RECT& item, LONG& fixedSize, TUIEvent& event);
    void DoPostPaint(HDC hdc, const RECT& item, bool vertical) const;

private:
    bool OnMouseMove(CContainerUI& box, bool vertical, RECT& item, LONG& fixedSize, POINT point);

    int m_size = 0;
    UINT m_buttonState = 0;
    POINT m_lastMouse = {};
    RECT m_newPosition = {};
    bool m_immediate = false;
};

}  // namespace SkinUI
