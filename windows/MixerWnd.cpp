#include "MixerWnd.h"

#include "EqualizerManager.h"
#include "PageControls.h"
#include "ScreenInfo.h"
#include "ToolWindowControls.h"
#include "base/Log.h"
#include "model/ValueRanges.h"
#include "UICombo.h"
#include "UIDlgBuilder.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>

using namespace SkinUI;
using namespace PageControls;

namespace {

CMixerWnd* gOpenMixer = nullptr;


const wchar_t* const kSourceNameKeys[SourceCount] = {L"${source_opt}", L"${source_coax}", L"${source_bt}",
                                                     L"${source_aux}", L"${source_low}", L"${source_hi}",
                                                     L"${source_dmp}", L"${source_udp}", L"${source_scp}"};

std::wstring Numbered(const wchar_t* format, int a, int b = -1) {
    wchar_t name[64];
    if (b < 0)
        _snwprintf(name, 63, format, a);
    else
        _snwprintf(name, 63, format, a, b);
    name[63] = 0;
    return name;
}

CControlUI* Find(CPaintManagerUI& pm, const std::wstring& name) { return pm.FindControlByName(name.c_str()); }

template <class T>
T* FindAs(CPaintManagerUI& pm, const std::wstring& name, const wchar_t* kind) {
    CControlUI* control = Find(pm, name);
    return control ? static_cast<T*>(control->GetInterface(kind)) : nullptr;
}

bool StartsWith(const CUIString& text, const wchar_t* prefix) { return wcsncmp(text.Data(), prefix, wcslen(prefix)) == 0; }

// "prefix<a>_<b>" with both numbers in range; false for anything else.
bool ParsePair(const CUIString& name, const wchar_t* prefix, int& a, int& b, int maxA, int maxB) {
    if (!StartsWith(name, prefix)) return false;
    int used = 0;
    if (swscanf(name.Data() + wcslen(prefix), L"%d_%d%n", &a, &b, &used) != 2) return false;
    if (name.Data()[wcslen(prefix) + used] != 0) return false;
    return a >= 0 && a < maxA && b >= 0 && b < maxB;
}

bool ParseOne(const CUIString& name, const wchar_t* prefix, int& a, int maxA) {
    if (!StartsWith(name, prefix)) return false;
    int used = 0;
    if (swscanf(name.Data() + wcslen(prefix), L"%d%n", &a, &used) != 1) return false;
    if (name.Data()[wcslen(prefix) + used] != 0) return false;
    return a >= 0 && a < maxA;
}

int Clamp(int value, int low, int high) { return std::max(low, std::min(high, value)); }

// The first item of the combo whose user data is the tag, or -1.
int FindTaggedItem(CComboUI* combo, const std::wstring& tag, bool log) {
    for (int item = 0; item < combo->GetCount(); ++item) {
        const CUIString data = combo->GetItemAt(item)->GetUserData();
        if (log) LogPrintW(L"combox item tag[%d] = %ls\n", item, data.Data());
        if (tag == data.Data()) return item;
    }
    return -1;
}

}  // namespace

// ---------------------------------------------------------------------------------------------------
// Layout arithmetic

int MixerInputIndex(int row, int inputs) { return row >= kMixerFirstViceRow ? inputs + row - kMixerFirstViceRow : row; }

bool MixerRowShown(int row, int inputs, bool secondSource) {
    if (row < 0 || row >= kMixerRows) return false;
    return row < inputs || (secondSource && row >= kMixerFirstViceRow);
}

bool MixerSeparatorShown(int row, int inputs, bool secondSource) {
    if (row < 0 || row >= kMixerRows - 1) return false;
    return row < inputs - 1 || (secondSource && (row == kMixerFirstViceRow - 1 || row == kMixerFirstViceRow));
}

SIZE MixerClientSize(SIZE layoutSize, int inputs, bool secondSource, int scalePercent) {
    const int height = layoutSize.cy + (inputs - kMixerRows) * kMixerRowHeight + (secondSource ? 2 * kMixerRowHeight : 0);
    return {layoutSize.cx * scalePercent / 100, height * scalePercent / 100};
}

bool MixerEditNeighbour(int& output, int& row, int inputs, bool right) {
    if (inputs <= 0) return false;
    output += right ? 1 : -1;
    if (output > OutputCount - 1) {
        output = 0;
        ++row;
    } else if (output < 0) {
        output = OutputCount - 1;
        --row;
    }
    if (row >= inputs) row = 0;
    if (row < 0) row = inputs - 1;
    return true;
}

std::wstring ViceSourceTag(int source, int channel) {
    wchar_t tag[16];
    _snwprintf(tag, 15, L"%02d%02d", source, channel);
    tag[15] = 0;
    return tag;
}

void ParseViceSourceTag(const wchar_t* tag, int& source, int& channel) {
    const int value = tag ? _wtoi(tag) : 0;
    source = std::min(std::max(value, 0) / 100, kMixerViceNone);
    channel = std::max(value, 0) % 100;
}

int PairedViceChannel(int source, int viceSource, int channel) {
    if (source == SourceHighLevel && viceSource == SourceHighLevel) return channel == 7 ? 6 : 7;
    return channel == 0 ? 1 : 0;
}

bool TextToMixLevel(const wchar_t* text, int& level) {
    // Far beyond any level, so that a step from it cannot overflow; the cells clamp it.
    int32_t read = 0;
    if (!ReadIntegerText(text, -1000, 1000, &read)) return false;
    level = read;
    return true;
}

std::wstring GetSourceNameText(InputSource source) {
    if (source < 0 || source >= SourceCount) return L"";
    return Lang(kSourceNameKeys[source]);
}

// ---------------------------------------------------------------------------------------------------
// The window

SKINUI_BEGIN_NOTIFY_MAP(CMixerWnd, WindowImplBase)
    SKINUI_NOTIFY_ENTRY(L"click", L"", &CMixerWnd::OnClick)
SKINUI_END_NOTIFY_MAP()

CMixerWnd::CMixerWnd(EqualizerManager& controller, InputSource source)
    : mController(controller), mConfig(controller.config), mDevice(controller.Device()),
      mSource(source >= 0 && source < SourceCount ? source : 0) {
    mInputs = GetSourceExtraChannels(mSource);
    mHasMixerSource = source >= 0 && source < SourceCount;
}

CMixerWnd::~CMixerWnd() {
    if (gOpenMixer == this) gOpenMixer = nullptr;
}

CMixerWnd* CMixerWnd::Open() { return gOpenMixer; }

void CMixerWnd::OnInitWindow() {
    // The layout's size as drawn, before the automatic DPI scales the window.
    const SIZE layout = ToolWindow::UnscaledLayoutSize(m_pm);
    CSkinDialogWnd::OnInitWindow();
    BuildHeader();
    LogPrintW(L"mSource = %d\n", mSource);
    LogPrintW(L"mHasMixerSource = %d\n", mHasMixerSource ? 1 : 0);
    BuildMatrix();
    const int scale = m_pm.GetDpiScaler()->GetScale();
    const SIZE client = MixerClientSize(layout, mInputs, mHasMixerSource, scale);
    ResizeClientArea(client.cx, client.cy);
    CenterOnOwner();
    mReady = true;
}

void CMixerWnd::BuildHeader() {
    auto* area = FindAs<IContainerUI>(m_pm, L"channel_name_area", L"IContainer");
    if (!area) return;
    const wchar_t* layout = L"xml/channel_name_area_2ch_source.xml";
    if (mSource == SourceHighLevel) layout = L"xml/channel_name_area_hi_source.xml";
    else if (mSource == SourceLowLevel) layout = L"xml/channel_name_area_low_source.xml";
    else if (mSource == 3) layout = L"xml/channel_name_area_aux_source.xml";
    CUIBuilder builder;
    CControlUI* header = builder.Create(layout, nullptr, this, &m_pm);
    if (!header) {
        LogPrintW(L"CMixerWnd: header %ls not built\n", layout);
        return;
    }
    if (!area->Add(header)) delete header;
}

void CMixerWnd::BuildMatrix() {
    for (int c = 0; c < OutputCount; ++c) {
        for (int r = 0; r < kMixerRows; ++r) {
            Cell& cell = mCells[c][r];
            cell.box = Find(m_pm, Numbered(L"box_%d_%d", c, r));
            Show(cell.box, RowShown(r));
            if (r < kMixerRows - 1) {
                cell.separator = Find(m_pm, Numbered(L"box_grap_%d_%d", c, r));
                Show(cell.separator, MixerSeparatorShown(r, mInputs, mHasMixerSource));
            }
            if (!RowShown(r)) continue;
            cell.enable = FindAs<COptionUI>(m_pm, Numbered(L"box_enable_%d_%d", c, r), L"Option");
            cell.phase = FindAs<COptionUI>(m_pm, Numbered(L"box_phase_%d_%d", c, r), L"Option");
            cell.slider = FindAs<CSliderUI>(m_pm, Numbered(L"box_volume_%d_%d", c, r), L"Slider");
            cell.edit = FindAs<CEditUI>(m_pm, Numbered(L"box_edit_%d_%d", c, r), L"Edit");
            FillCell(c, r, true);
        }
    }
    for (int p = 0; p < OutputCount / 2; ++p) {
        mBridges[p] = Find(m_pm, Numbered(L"ch_bridge_%d", p));
        SetSelected(mBridges[p], mConfig.outputBridge[p] != 0);
    }
    BuildRowHeaders();
}

void CMixerWnd::BuildRowHeaders() {
    const int s = mSource;
    for (int r = 0; r < kMixerRows; ++r) {
        const bool shown = RowShown(r);
        const bool separator = MixerSeparatorShown(r, mInputs, mHasMixerSource);
        mInPhase[r] = FindAs<COptionUI>(m_pm, Numbered(L"in_phase_%d", r), L"Option");
        SetSelected(mInPhase[r], mConfig.inMixPhase[s][r] != 0);
        mInDistort[r] = Find(m_pm, Numbered(L"in_distort_%d", r));
        if (mInDistort[r]) mInDistort[r]->SetBkImage(mConfig.mixerFlagsA[s][r] != 0 ? L"off.png" : L"on.png");
        Show(mInPhase[r], shown);
        Show(mInDistort[r], shown);

        const int k = r;  // second-source selector k stands for input slot n + k
        mViceSelectors[k] = FindAs<CComboUI>(m_pm, Numbered(L"cmb_csm_vice_source_%d", k), L"Combo");
        LogPrintW(L"cmb_csm_vice_source_%d = 0x%08x\n", k, static_cast<unsigned>(reinterpret_cast<uintptr_t>(mViceSelectors[k])));
        const int slot = mInputs + k;
        if (mViceSelectors[k]) {
            Show(mViceSelectors[k], mHasMixerSource);
            if (slot < InputChannelCount)
                SelectViceSourceCombo(k, mConfig.crossMixSource[s][slot], mConfig.crossMixChannel[s][slot]);
        }
        for (const wchar_t* part : {L"line_0_%d", L"line_1_%d", L"arrow_up_%d"})
            Show(Find(m_pm, Numbered(part, k)), mHasMixerSource);
        if (CControlUI* gain = Find(m_pm, Numbered(L"csm_vice_gain_edit_%d", k))) {
            Show(gain, mHasMixerSource);
            // The gain of the slot the selector above it stores into.
            if (slot < InputChannelCount) SetInt(gain, L"%ddB", mConfig.crossMixGain[s][slot]);
        }
        for (const wchar_t* part : {L"left_box_%d", L"second_%d", L"in_phase_box_%d", L"title_label_%d"})
            Show(Find(m_pm, Numbered(part, r)), shown);
        if (r < kMixerRows - 1)
            for (const wchar_t* part : {L"left_grap_%d", L"second_grap_%d", L"in_phase_grap_%d"})
                Show(Find(m_pm, Numbered(part, r)), separator);
    }
    const std::wstring source = GetSourceNameText(mSource);
    for (int r = 0; r < mInputs && r < kMixerRows; ++r) {
        wchar_t title[96];
        if (mInputs == 2)
            _snwprintf(title, 95, r == 0 ? L"%ls L" : L"%ls R", source.c_str());
        else
            _snwprintf(title, 95, L"%ls%d", source.c_str(), r + 1);
        title[95] = 0;
        SetText(Find(m_pm, Numbered(L"title_label_%d", r)), title);
    }
}

void CMixerWnd::ShowLevel(int output, int row, int level) {
    Cell& cell = mCells[output][row];
    SetInt(cell.edit, L"%d", level);
    SetSlider(cell.slider, level);
}

void CMixerWnd::FillCell(int output, int row, bool first) {
    Cell& cell = mCells[output][row];
    const int s = mSource;
    const int i = InputOf(row);
    if (i < 0 || i >= InputChannelCount) return;
    const bool routed = (mConfig.inputs[s][output] >> i) & 1;
    SetSelected(cell.enable, routed);
    ShowLevel(output, row, routed ? Clamp(mConfig.inputMixVolume[s][i][output], 0, kMixerMaxLevel) : 0);
    if (first && cell.phase) {
        cell.phase->Selected(mConfig.inputMixState[s][i][output] != 0, true);
        // No command changes a cell's phase: it is shown, not offered.
        cell.phase->SetEnabled(false);
    }
}

void CMixerWnd::RefreshMixCell(int row, int output) {
    if (output < 0 || output >= OutputCount || !RowShown(row)) return;
    FillCell(output, row, false);
}

// ---------------------------------------------------------------------------------------------------
// Notifications

void CMixerWnd::OnClick(TNotifyMessage& msg) {
    if (!ToolWindow::HandleClick(*this, m_closeButton, msg.pSender)) WindowImplBase::OnClick(msg);
}

void CMixerWnd::Notify(TNotifyMessage& msg) {
    try {
        LogPrintW(L"Notify %ls\n", msg.sType.Data());
        if (mReady && msg.pSender) {
            const CUIString name = msg.pSender->GetName();
            const CUIString& type = msg.sType;
            int a = 0, b = 0;
            if (type == L"selectchanged") {
                if (ParsePair(name, L"box_enable_", a, b, OutputCount, kMixerRows)) SetInputEnable(a, b);
                else if (ParseOne(name, L"ch_bridge_", a, OutputCount / 2)) OnChBridge(a);
                else if (ParseOne(name, L"in_phase_", a, kMixerRows)) SetInputPhase(a);
            } else if (type == L"valuechanged" || type == L"movevaluechanged") {
                if (ParsePair(name, L"box_volume_", a, b, OutputCount, kMixerRows)) SetInputTrimSlider(a, b);
            } else if (ParsePair(name, L"box_edit_", a, b, OutputCount, kMixerRows)) {
                if (type == L"valuechangedup" || type == L"valuechangeddown")
                    StepInputTrimEdit(a, b, type == L"valuechangedup");
                else if (type == L"valuechangedleft" || type == L"valuechangedright")
                    MoveEditFocus(a, b, type == L"valuechangedright");
                else if (type == L"return" || type == L"killfocus")
                    SetInputTrimEdit(a, b);
                else if (type == L"setfocus")
                    SelectCellText(a, b);
            } else if (type == L"itemselect" && ParseOne(name, L"cmb_csm_vice_source_", a, kMixerViceSelectors)) {
                LogPrintW(L"on %ls UI_MSGTYPE_ITEMSELECT\n", name.Data());
                SetCSMViceSourceCombox(a);
            }
        }
    } catch (...) {
        LogPrintA("CMixerWnd::Notify failed\n");
    }
    WindowImplBase::Notify(msg);
}

// ---------------------------------------------------------------------------------------------------
// Cells

void CMixerWnd::SendLevel(int output, int input) {
    const uint8_t level = static_cast<uint8_t>(Clamp(mConfig.inputMixVolume[mSource][input][output], 0, kMixerMaxLevel));
    mDevice.Input_Mix_Trim_Ctrl(0, static_cast<uint8_t>(mSource), static_cast<uint8_t>(input),
                                static_cast<uint8_t>(output), static_cast<uint8_t>(output), &level, false);
}

// The routing mask goes out with every change of it, so that the amplifier keeps the routing the page
// shows and a later read-back brings it back.
void CMixerWnd::SetRoutingBit(int output, int input, bool routed) {
    int32_t& mask = mConfig.inputs[mSource][output];
    const int32_t before = mask;
    if (routed)
        mask |= 1 << input;
    else
        mask &= ~(1 << input);
    if (mask == before) return;
    mDevice.Mix_Ch_Ctrl(0, static_cast<uint8_t>(mSource), static_cast<uint8_t>(output), static_cast<uint8_t>(output),
                        &mask, false);
}

void CMixerWnd::SetInputEnable(int output, int row) {
    Cell& cell = mCells[output][row];
    if (!RowShown(row)) return;
    const int i = InputOf(row);
    const int s = mSource;
    const bool selected = IsSelected(cell.enable);
    LogPrintW(L"selected value %d\n", selected ? 1 : 0);
    LogPrintW(L"org channel %d input = 0x%02x\n", output, mConfig.inputs[s][output]);
    int32_t& level = mConfig.inputMixVolume[s][i][output];
    // A route switched on starts at full level; one switched off keeps nothing.
    if (selected)
        level = level > 0 ? Clamp(level, 0, kMixerMaxLevel) : kMixerMaxLevel;
    else
        level = 0;
    SetRoutingBit(output, i, selected);
    LogPrintW(L"set channel %d input = 0x%02x\n", output, mConfig.inputs[s][output]);
    SendLevel(output, i);
    ShowLevel(output, row, level);
    CopyCellToBridgePartner(row, output);
}

int CMixerWnd::CellLevelLimit(int output, int row, bool upper) const {
    const CSliderUI* slider = mCells[output][row].slider;
    const int limit = slider ? (upper ? slider->GetMaxValue() : slider->GetMinValue()) : (upper ? kMixerMaxLevel : 0);
    return Clamp(limit, 0, kMixerMaxLevel);
}

void CMixerWnd::ApplyLevel(int output, int row, int level) {
    const int i = InputOf(row);
    mConfig.inputMixVolume[mSource][i][output] = level;
    // The switch follows the level: any level routes the input, level 0 ends the route.
    const bool routed = level != 0;
    SetSelected(mCells[output][row].enable, routed);
    SetRoutingBit(output, i, routed);
    SendLevel(output, i);
    CopyCellToBridgePartner(row, output);
}

void CMixerWnd::SetInputTrimSlider(int output, int row) {
    Cell& cell = mCells[output][row];
    if (!RowShown(row)) return;
    int level = 0;
    if (cell.slider)
        level = cell.slider->GetValue();
    else if (!TextToMixLevel(TextOf(cell.edit).c_str(), level))
        return;
    level = Clamp(level, CellLevelLimit(output, row, false), CellLevelLimit(output, row, true));
    LogPrintW(L"SetInputTrimSlider set in_ch %d out_ch %d volume to %d\n", row, output, level);
    SetInt(cell.edit, L"%d", level);
    ApplyLevel(output, row, level);
    FocusAndSelectAll(cell.edit);
}

void CMixerWnd::SetInputTrimEdit(int output, int row) {
    Cell& cell = mCells[output][row];
    if (!RowShown(row) || !cell.edit) return;
    const int i = InputOf(row);
    int level = 0;
    if (!TextToMixLevel(TextOf(cell.edit).c_str(), level)) {
        // Not a number: the cell keeps what it had and nothing is sent.
        const bool routed = (mConfig.inputs[mSource][output] >> i) & 1;
        SetInt(cell.edit, L"%d", routed ? mConfig.inputMixVolume[mSource][i][output] : 0);
        return;
    }
    const int clamped = Clamp(level, CellLevelLimit(output, row, false), CellLevelLimit(output, row, true));
    SetInt(cell.edit, L"%d", clamped);
    LogPrintW(L"SetInputTrimEdit set in_ch %d out_ch %d volume to %d\n", row, output, clamped);
    SetSlider(cell.slider, clamped);
    // An edit commits again when it loses the focus after Enter: what the amplifier has is not resent.
    const bool routed = (mConfig.inputs[mSource][output] >> i) & 1;
    const bool same = routed == (clamped != 0) && (!routed || mConfig.inputMixVolume[mSource][i][output] == clamped);
    if (!same) ApplyLevel(output, row, clamped);
    FocusAndSelectAll(cell.edit);
}

// Gaining the focus brings no new value: the level is made ready to be typed over.
void CMixerWnd::SelectCellText(int output, int row) {
    if (CEditUI* edit = mCells[output][row].edit) edit->SetSelAll();
}

void CMixerWnd::StepInputTrimEdit(int output, int row, bool up) {
    Cell& cell = mCells[output][row];
    if (!RowShown(row) || !cell.edit) return;
    int level = 0;
    if (cell.slider)
        level = cell.slider->GetValue();
    else
        TextToMixLevel(TextOf(cell.edit).c_str(), level);
    level = Clamp(level + (up ? 1 : -1), 0, kMixerMaxLevel);
    LogPrintW(L"SetInputTrimEdit set in_ch %d out_ch %d volume to %d\n", row, output, level);
    SetInt(cell.edit, L"%d", level);
    cell.edit->SetFocus();
    cell.edit->SetSelAll();
    SetInputTrimEdit(output, row);
}

void CMixerWnd::MoveEditFocus(int output, int row, bool right) {
    if (!MixerEditNeighbour(output, row, mInputs, right) || !RowShown(row)) return;
    CEditUI* edit = mCells[output][row].edit;
    if (!edit) return;
    edit->SetFocus();
    edit->SetSelAll();
}

void CMixerWnd::CopyCellToBridgePartner(int row, int output) {
    if (!mConfig.outputBridge[output / 2]) return;
    const int partner = output ^ 1;
    const int i = InputOf(row);
    const int s = mSource;
    const Cell& cell = mCells[output][row];
    const bool routed = cell.enable ? IsSelected(cell.enable) : ((mConfig.inputs[s][output] >> i) & 1) != 0;
    SetRoutingBit(partner, i, routed);
    mConfig.inputMixVolume[s][i][partner] = mConfig.inputMixVolume[s][i][output];
    SendLevel(partner, i);
    RefreshMixCell(row, partner);
}

// ---------------------------------------------------------------------------------------------------
// Rows, bridges and the second source

void CMixerWnd::OnChBridge(int pair) {
    const bool on = mBridges[pair] ? IsSelected(mBridges[pair]) : true;
    mController.SetChBridge(pair, on);
    for (int r = 0; r < kMixerRows; ++r) RefreshMixCell(r, 2 * pair + 1);
    mController.SendOutputBridge();
}

void CMixerWnd::SetInputPhase(int row) {
    const uint8_t phase = IsSelected(mInPhase[row]) ? 1 : 0;
    mConfig.inMixPhase[mSource][row] = phase;
    mDevice.Input_Phase_Ctrl(0, static_cast<uint8_t>(mSource), static_cast<uint8_t>(row), static_cast<uint8_t>(row),
                             &phase, false);
}

void CMixerWnd::SelectViceSourceCombo(int selector, int viceSource, int viceChannel) {
    CComboUI* combo = selector >= 0 && selector < kMixerViceSelectors ? mViceSelectors[selector] : nullptr;
    if (!combo || combo->GetCount() <= 0) return;
    const std::wstring tag = ViceSourceTag(viceSource, viceChannel);
    LogPrintW(L"tag %ls from %02d %02d\n", tag.c_str(), viceSource, viceChannel);
    int found = FindTaggedItem(combo, tag, true);
    if (found < 0) {
        // A second source the list does not offer is shown as none, never as some other source.
        LogPrintW(L"WARNING: no combox item found for %ls\n", tag.c_str());
        found = FindTaggedItem(combo, ViceSourceTag(kMixerViceNone, 0), false);
    }
    if (found >= 0) combo->SelectItem(found, false);
}

void CMixerWnd::SetCSMViceSourceCombox(int selector) {
    CComboUI* combo = mViceSelectors[selector];
    const int slot = mInputs + selector;
    if (!combo || selector >= kMixerViceRows || slot >= InputChannelCount) return;
    const int chosen = combo->GetCurSel();
    CControlUI* item = chosen >= 0 ? combo->GetItemAt(chosen) : nullptr;
    if (!item) return;
    int viceSource = 0, viceChannel = 0;
    ParseViceSourceTag(item->GetUserData().Data(), viceSource, viceChannel);
    const int s = mSource;
    mConfig.crossMixSource[s][slot] = viceSource;
    mConfig.crossMixChannel[s][slot] = viceChannel;
    LogPrintW(L"SetCSMViceSourceCombox set in_ch %d(%d) mix source: %d, ch: %d, gain: %d\n", selector, slot, viceSource,
              viceChannel, mConfig.crossMixGain[s][slot]);
    mDevice.Cross_Source_Mix_Ctrl_CS47048(0, static_cast<uint8_t>(s), static_cast<uint8_t>(slot),
                                          static_cast<uint8_t>(viceSource), static_cast<uint8_t>(viceChannel), false);
    if (viceSource < kMixerViceNone) {
        // The other row takes the other channel of the same pair, unless it is off or already holds
        // another channel of that source.
        const int other = selector == 0 ? 1 : 0;
        const int otherSlot = mInputs + other;
        if (otherSlot < InputChannelCount) {
            const int otherSource = mConfig.crossMixSource[s][otherSlot];
            const bool keep = otherSource == kMixerViceNone ||
                              (otherSource == viceSource && mConfig.crossMixChannel[s][otherSlot] != viceChannel);
            if (!keep) SelectViceSourceCombo(other, viceSource, PairedViceChannel(s, viceSource, viceChannel));
        }
    }
    combo->SetFocus();
}

// ---------------------------------------------------------------------------------------------------
// Opening and closing

int ShowMixerWnd(HWND owner, EqualizerManager& controller) {
    LogPrintA("%s\n", "EqualizerManager::ShowMixerWnd");
    if (gOpenMixer) return 0;
    const InputSource source = controller.config.inputSource;
    if (source < 0 || source >= SourceCount) {
        LogPrintW(L"ShowMixerWnd: source %d has no mixer\n", source);
        return 0;
    }
    gOpenMixer = new CMixerWnd(controller, source);
    const int result = ToolWindow::RunToolWindow(gOpenMixer, owner, L"MixerWnd");
    gOpenMixer = nullptr;
    // The page's routing boxes show what the mixer left.
    controller.ShowRoutingOptions();
    return result;
}

bool CloseMixerWnd(UINT code) {
    if (!gOpenMixer || !gOpenMixer->GetHandle()) return false;
    gOpenMixer->PostClose(code);
    return true;
}
