#pragma once
// CTextUI: a word-wrapped text whose formatted (html) text may hold links; a click on a link raises
// "link" with the link's index, the mouse shows a hand over links.
#include "UILabel.h"

namespace SkinUI {

class CTextUI : public CLabelUI {
public:
    enum { kMaxLinks = 8 };

    CTextUI();
    ~CTextUI() override;
    static CControlUI* CreateControl();

    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* name) override;
    UINT GetControlFlags() const override;
    void DoEvent(TUIEvent& event) override;
    SIZE EstimateSize(SIZE available) override;
    void PaintText(HDC hdc) override;

    // The text of link index, or null outside the links found at the last paint.
    const CUIString* GetLinkText(int index) const;
    int GetLinkCount() const { return m_nLinks; }
    const RECT& GetLinkRect(int index) const { return m_rcLinks[index]; }
    int GetHotLink() const { return m_nHotLink; }

private:
    // The link under the point, or -1.
    int LinkAt(POINT point) const;
    void MeasureOrDraw(HDC hdc, RECT& rect, const wchar_t* text, DWORD color, UINT style, bool collectLinks);

    int m_nLinks = 0;
    RECT m_rcLinks[kMaxLinks] = {};
    CUIString m_sLinks[kMaxLinks];
    int m_nHotLink = -1;
};

}  // namespace SkinUI
