#include "LinkSelWnd.h"

#include "EqualizerManager.h"
#include "PageControls.h"
#include "ToolWindowControls.h"
#include "base/Log.h"
#include "model/ChannelRules.h"

#include <algorithm>

using namespace SkinUI;
using namespace PageControls;

namespace {

bool IsOutputIndex(int n) { return n >= 0 && n < OutputCount; }

// The chosen pairs become the links: link and lock on, the first output of each pair copied onto the
// second, the amplifier told. Nothing chosen ends linking altogether.
void ApplyLinkSelection(EqualizerManager& c, const LinkPair* pairs, int count) {
    DspConfig& config = c.config;
    if (count <= 0) {
        if (config.linkMode) c.SetOutputLink();  // linked now: this ends it, as the page's button does
        return;
    }
    for (CControlUI* option : c.chSynchronize) Enable(option, false);
    config.linkMode = 1;
    ShowSelected(c.btnLinkOutput, true);
    config.lockMode = 1;
    ShowSelected(c.btnLockOutput, true);
    c.Device().CH_Lock_Ctrl(0, 1, false);
    for (CControlUI* button : c.chOutputBtn) Enable(button, false);
    for (int& partner : config.linkOutputs) partner = -1;
    uint8_t wire[2 * kLinkBoxes] = {};
    int linked = 0;
    for (int k = 0; k < count && k < kLinkBoxes; ++k) {
        const int a = pairs[k].first, b = pairs[k].second;
        if (!IsOutputIndex(a) || !IsOutputIndex(b) || a == b || config.linkOutputs[a] != -1 ||
            config.linkOutputs[b] != -1)
            continue;
        config.linkOutputs[a] = b;
        config.linkOutputs[b] = a;
        config.CopyOutConfig(a, b);
        wire[2 * linked] = static_cast<uint8_t>(a);
        wire[2 * linked + 1] = static_cast<uint8_t>(b);
        ++linked;
        c.SetChVolumeSlider(a, false, true);
    }
    const int current = c.CurrentOutput();
    float value = config.channels[current].gain * 10;
    EqualizerManager::SetSliderClampedValue(c.ChVolumeSlider(current), value);
    c.SetChDelaySliderValue(current, config.channels[current].delay * 1000);
    // The current output's option is clicked as the user would: its handler refreshes the page.
    if (!c.chEnable[current] || !c.chEnable[current]->Activate()) c.SetCurChannelChange(current);
    c.ShowCurrentChannelOptions();
    c.Device().CH_Link_Ctrl(0, 1, static_cast<uint8_t>(linked), linked ? wire : nullptr, false);
}

}  // namespace

// ---------------------------------------------------------------------------------------------------
// Candidates

void BuildLinkPartners(const DspConfig& config, int (&partner)[OutputCount]) {
    for (int j = 0; j < OutputCount; ++j) {
        partner[j] = -1;
        if (config.outputs[j] == 0) continue;
        const OutputType paired = GetPairedOutputType(config.outputs[j]);
        for (int k = 0; k < OutputCount; ++k) {
            if (k != j && config.outputs[k] == paired && IsSameOutputGroup(j, k)) {
                partner[j] = k;
                break;
            }
        }
    }
}

std::vector<LinkPair> LinkCandidates(const DspConfig& config, const int (&partner)[OutputCount], bool leftToRight) {
    std::vector<LinkPair> pairs;
    for (int j = 0; j < OutputCount && static_cast<int>(pairs.size()) < kLinkCandidates; ++j) {
        const int p = partner[j];
        if (!IsOutputIndex(p)) continue;
        const bool wanted = leftToRight ? config.outputs[j] < config.outputs[p] : config.outputs[j] > config.outputs[p];
        if (wanted) pairs.push_back({j, p});
    }
    return pairs;
}

std::vector<LinkPair> PresentLinks(const DspConfig& config) {
    std::vector<LinkPair> links;
    if (!config.linkMode) return links;
    for (int i = 0; i < OutputCount; ++i) {
        const int p = config.linkOutputs[i];
        if (IsOutputIndex(p) && config.outputs[i] < config.outputs[p]) links.push_back({i, p});
    }
    return links;
}

// ---------------------------------------------------------------------------------------------------
// The window

SKINUI_BEGIN_NOTIFY_MAP(CMsgLinkSelWnd, WindowImplBase)
    SKINUI_NOTIFY_ENTRY(L"click", L"", &CMsgLinkSelWnd::OnClick)
    SKINUI_NOTIFY_ENTRY(L"selectchanged", L"", &CMsgLinkSelWnd::OnSelectChanged)
SKINUI_END_NOTIFY_MAP()

CMsgLinkSelWnd::CMsgLinkSelWnd(const DspConfig& config, int32_t* count, LinkPair* pairs)
    : mConfig(config), mResultCount(count), mResultPairs(pairs) {}

void CMsgLinkSelWnd::OnInitWindow() {
    CSkinDialogWnd::OnInitWindow();
    for (int c = 0; c < kLinkBoxes; ++c)
        mBoxes[c] = m_pm.FindControlByName(Format(L"check_box_%d", c).c_str());
    BuildLinkPartners(mConfig, mPartner);
    const std::vector<LinkPair> present = PresentLinks(mConfig);
    mCandidates = LinkCandidates(mConfig, mPartner, true);
    ShowCandidates(true);
    for (int c = 0; c < kLinkBoxes && c < static_cast<int>(mCandidates.size()); ++c) {
        const LinkPair& pair = mCandidates[c];
        const bool linked = std::any_of(present.begin(), present.end(), [&](const LinkPair& p) {
            return p.first == pair.first && p.second == pair.second;
        });
        SetSelected(mBoxes[c], linked);
    }
}

void CMsgLinkSelWnd::ShowCandidates(bool clearTicks) {
    for (int c = 0; c < kLinkBoxes; ++c) {
        CControlUI* box = mBoxes[c];
        if (!box) continue;
        if (c < static_cast<int>(mCandidates.size())) {
            wchar_t text[32];
            _snwprintf(text, 31, L"CH%d -> CH%d", mCandidates[c].first + 1, mCandidates[c].second + 1);
            text[31] = 0;
            box->SetText(text);
            box->SetVisible(true);
            if (clearTicks) SetSelected(box, false);
        } else {
            box->SetVisible(false);
            SetSelected(box, false);
        }
    }
}

void CMsgLinkSelWnd::OnSelectChanged(TNotifyMessage& msg) {
    LogPrintW(L"OnSelectChanged\n");
    if (!msg.pSender) return;
    const CUIString name = msg.pSender->GetName();
    if (EqualsIgnoreCase(name.Data(), L"check_box_left"))
        mCandidates = LinkCandidates(mConfig, mPartner, true);
    else if (EqualsIgnoreCase(name.Data(), L"check_box_right"))
        mCandidates = LinkCandidates(mConfig, mPartner, false);
    else
        return;
    ShowCandidates(false);
}

void CMsgLinkSelWnd::Confirm() {
    int32_t count = 0;
    for (int c = 0; c < kLinkBoxes && c < static_cast<int>(mCandidates.size()); ++c)
        if (IsSelected(mBoxes[c]) && mResultPairs) mResultPairs[count++] = mCandidates[c];
    if (mResultCount) *mResultCount = count;
    PostClose(1);
}

void CMsgLinkSelWnd::OnClick(TNotifyMessage& msg) {
    const CUIString name = msg.pSender ? msg.pSender->GetName() : CUIString();
    if (msg.pSender && msg.pSender != m_closeButton && EqualsIgnoreCase(name.Data(), L"confirm_btn")) {
        Confirm();
        return;
    }
    if (!ToolWindow::HandleClick(*this, m_closeButton, msg.pSender)) WindowImplBase::OnClick(msg);
}

int ShowLinkSelWnd(HWND owner, EqualizerManager& controller) {
    int32_t count = 0;
    LinkPair pairs[kLinkBoxes];
    const int result =
        ToolWindow::RunToolWindow(new CMsgLinkSelWnd(controller.config, &count, pairs), owner, L"linkselwnd");
    LogPrintW(L"CMsgLinkSelWnd %d, %d pairs\n", result, count);
    if (result == 1) ApplyLinkSelection(controller, pairs, count);
    return result;
}
