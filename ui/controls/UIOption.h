#pragma once
// COptionUI: a button that is selected or not. Options sharing a group name in one window form a radio
// group kept by the paint manager; an option without a group toggles on each activation. CCheckBoxUI can
// also toggle itself as the mouse button goes down ("EnableAutoCheck") and reports its new state.
#include "UIButton.h"

namespace SkinUI {

class COptionUI : public CButtonUI {
public:
    COptionUI() = default;
    ~COptionUI() override;
    static CControlUI* CreateControl();

    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* name) override;
    bool Activate() override;
    void SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init = true) override;
    void SetEnabled(bool enable = true) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    void PaintBkColor(HDC hdc) override;
    void PaintStatusImage(HDC hdc) override;
    void PaintForeImage(HDC hdc) override;
    void PaintText(HDC hdc) override;
    void CollectOpaqueCover(const RECT& within, std::vector<RECT>& cover) const override;

    virtual const CUIString& GetSelectedStateImage() const { return m_sSelectedStateImage; }
    virtual void SetSelectedStateImage(const wchar_t* image);
    // Sets the state; with a group, selecting deselects the other members. "selectchanged" is raised
    // when the state changes, unless quiet.
    virtual void Selected(bool selected, bool quiet);

    bool IsSelected() const { return m_bSelected; }
    const CUIString& GetGroup() const { return m_sGroupName; }
    void SetGroup(const wchar_t* name);
    void SetSelectedImage(const wchar_t* image);
    const CUIString& GetSelectedImage() const { return m_sSelectedImage; }
    void SetSelectedHotImage(const wchar_t* image);
    const CUIString& GetSelectedHotImage() const { return m_sSelectedHotImage; }
    void SetSelectedPushedImage(const wchar_t* image);
    const CUIString& GetSelectedPushedImage() const { return m_sSelectedPushedImage; }
    void SetSelectedForeImage(const wchar_t* image);
    void SetSelectedText(const wchar_t* text);
    // The selected text, a "${key}" resolved in the current language.
    CUIString GetSelectedText() const;
    void SetSelectedStateCount(int count);
    int GetSelectedStateCount() const { return m_nSelectedStateCount; }
    void SetSelectedFont(int index);
    int GetSelectedFont() const { return m_iSelectedFont == -1 ? m_iFont : m_iSelectedFont; }
    void SetSelectedBkColor(DWORD color) { m_dwSelectedBkColor = color; }
    DWORD GetSelectedBkColor() const { return m_dwSelectedBkColor; }
    void SetSelectedTextColor(DWORD color) { m_dwSelectedTextColor = color; }
    DWORD GetSelectedTextColor() const { return m_dwSelectedTextColor; }
    void SetSelectedHotTextColor(DWORD color);
    DWORD GetSelectedHotTextColor() const { return m_dwSelectedHotTextColor; }

protected:
    // Sets the state bit and the flag; false when the state was already so.
    bool StoreSelected(bool selected);
    // Deselects the other members of the group, each with quiet as given.
    void DeselectGroupMembers(bool quiet);

    bool m_bSelected = false;
    CUIString m_sGroupName;
    CUIString m_sSelectedText;
    int m_iSelectedFont = -1;
    DWORD m_dwSelectedBkColor = 0;
    DWORD m_dwSelectedTextColor = 0;
    DWORD m_dwSelectedHotTextColor = 0;
    CUIString m_sSelectedImage;
    CUIString m_sSelectedHotImage;
    CUIString m_sSelectedPushedImage;
    CUIString m_sSelectedForeImage;
    int m_nSelectedStateCount = 0;
    CUIString m_sSelectedStateImage;
};

class CCheckBoxUI : public COptionUI {
public:
    static CControlUI* CreateControl();

    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* name) override;
    void DoEvent(TUIEvent& event) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    // As the option's, but "selectchanged" carries the new state (1 or 0) in wParam and the other group
    // members are deselected quietly.
    void Selected(bool selected, bool quiet) override;
    virtual void Selected(bool selected) { Selected(selected, false); }

    bool GetCheck() const { return IsSelected(); }
    void SetCheck(bool check) { Selected(check); }
    bool IsAutoCheck() const { return m_bAutoCheck; }
    void SetAutoCheck(bool autoCheck) { m_bAutoCheck = autoCheck; }

private:
    bool m_bAutoCheck = false;
};

}  // namespace SkinUI
