#pragma once
// CTileLayoutUI: arranges its children in a grid of equal-width columns, row by row, each child centred
// in its tile. With an item size the column count follows from the width.
#include "UIContainer.h"

namespace SkinUI {

class CTileLayoutUI : public CContainerUI {
public:
    static CControlUI* CreateControl();

    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* name) override;

    SIZE GetItemSize() const { return m_szItem; }  // as written
    void SetItemSize(SIZE size);
    int GetColumns() const { return m_nColumns; }
    void SetColumns(int columns);  // 0 or less is ignored

    void SetPos(RECT rect, bool needInvalidate = true) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;

private:
    int MeasureRowHeight(int firstIndex, int columnWidth) const;

    SIZE m_szItem = {};
    int m_nColumns = 1;
};

}  // namespace SkinUI
