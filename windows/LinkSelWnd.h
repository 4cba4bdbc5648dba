#pragma once
// The channel-link choice: from the outputs' speaker positions it proposes up to four left/right pairs,
// "CH1 -> CH2", in the chosen direction (left to right or right to left), ticks those already linked,
// and hands the ticked pairs back to its opener. The window itself changes nothing.
#include "SkinDialogWnd.h"
#include "model/DspConfig.h"

#include <vector>

class EqualizerManager;

struct LinkPair {
    int32_t first = -1;   // the output copied from
    int32_t second = -1;  // the output that follows it
};

constexpr int kLinkCandidates = 16;  // at most this many pairs are collected
constexpr int kLinkBoxes = 4;        // and this many shown and returned

// For each output, the output that completes its left/right pair within its group, or -1.
void BuildLinkPartners(const DspConfig& config, int (&partner)[OutputCount]);
// The pairs in one direction, in output order.
std::vector<LinkPair> LinkCandidates(const DspConfig& config, const int (&partner)[OutputCount], bool leftToRight);
// The pairs linked now (empty while link mode is off).
std::vector<LinkPair> PresentLinks(const DspConfig& config);

class CMsgLinkSelWnd : public CSkinDialogWnd {
public:
    // pairs must hold kLinkBoxes entries; count and pairs are written only on confirm.
    CMsgLinkSelWnd(const DspConfig& config, int32_t* count, LinkPair* pairs);

protected:
    const wchar_t* GetWndClassName() const override { return L"CMsgLinkSelWnd"; }
    SkinUI::CUIString GetLayoutFile() const override { return SkinUI::CUIString(L"XML_LINK_SEL"); }
    void OnInitWindow() override;
    void OnClick(SkinUI::TNotifyMessage& msg) override;
    virtual void OnSelectChanged(SkinUI::TNotifyMessage& msg);

private:
    void ShowCandidates(bool clearTicks);
    void Confirm();

    const DspConfig& mConfig;
    int32_t* mResultCount = nullptr;
    LinkPair* mResultPairs = nullptr;
    int mPartner[OutputCount] = {};
    std::vector<LinkPair> mCandidates;
    SkinUI::CControlUI* mBoxes[kLinkBoxes] = {};

    SKINUI_DECLARE_NOTIFY_MAP()
};

// Shows the choice over owner; on confirm the ticked pairs become the amplifier's links (the first
// output of each pair is copied onto the second) and the page follows. Returns the window's result.
int ShowLinkSelWnd(HWND owner, EqualizerManager& controller);
