#pragma once
// The mixer: for the current input source, the matrix that routes each input channel to the ten
// outputs. Per cell a routing switch, a level 0..100 (slider and edit) and the cell's phase (shown,
// not editable: the amplifier has no command for it); per input row a phase switch and an overload
// indicator; per output pair a bridge switch; and two rows through which a channel pair of a second
// source is mixed in. Every change is stored in the live configuration and queued to the amplifier at
// once; closing undoes nothing.
//
// Rows 0..n-1 are the source's own inputs, rows 8 and 9 the second-source rows (input slots n and n+1);
// the rows between are hidden and the window shrinks by their height.
#include "SkinDialogWnd.h"
#include "model/DspConfig.h"

#include <string>

class DeviceLink;
class EqualizerManager;
namespace SkinUI {
class CComboUI;
class CEditUI;
class COptionUI;
class CSliderUI;
}  // namespace SkinUI

constexpr int kMixerRows = 10;
constexpr int kMixerFirstViceRow = 8;
constexpr int kMixerViceRows = 2;
constexpr int kMixerViceSelectors = 10;  // names looked up; only the first two have input slots
constexpr int kMixerRowHeight = 56;      // layout units of one row with its separator
constexpr int kMixerViceNone = 9;        // second source "none"
constexpr int kMixerMaxLevel = 100;

// ---- Layout arithmetic of the matrix (pure) ----
// The input slot a row stands for: the row itself, or n + row - 8 for the second-source rows.
int MixerInputIndex(int row, int inputs);
bool MixerRowShown(int row, int inputs, bool secondSource);
bool MixerSeparatorShown(int row, int inputs, bool secondSource);
// The client size (scaled) for a layout drawn with all ten rows.
SIZE MixerClientSize(SIZE layoutSize, int inputs, bool secondSource, int scalePercent);
// The level edit reached by Left or Right: columns wrap into the row above or below, and rows wrap
// within the source's own inputs. False when there is no such edit (a source without own inputs).
bool MixerEditNeighbour(int& output, int& row, int inputs, bool right);
// Second-source choices are tagged "SSCC": source then channel, two digits each.
std::wstring ViceSourceTag(int source, int channel);
void ParseViceSourceTag(const wchar_t* tag, int& source, int& channel);
// The channel the other second-source row takes when one row chooses `channel` of `viceSource`.
int PairedViceChannel(int source, int viceSource, int channel);
// A level typed into a cell: false when the text holds no number.
bool TextToMixLevel(const wchar_t* text, int& level);
// The language text of an input source's name; empty outside 0..8.
std::wstring GetSourceNameText(InputSource source);

class CMixerWnd : public CSkinDialogWnd {
public:
    CMixerWnd(EqualizerManager& controller, InputSource source);
    ~CMixerWnd() override;

    InputSource Source() const { return mSource; }
    int InputCount() const { return mInputs; }
    // The open mixer window, or null.
    static CMixerWnd* Open();

    void Notify(SkinUI::TNotifyMessage& msg) override;

protected:
    const wchar_t* GetWndClassName() const override { return L"MixerWnd"; }
    SkinUI::CUIString GetLayoutFile() const override { return SkinUI::CUIString(L"XML_MIXER"); }
    void OnInitWindow() override;
    void OnClick(SkinUI::TNotifyMessage& msg) override;

private:
    struct Cell {
        SkinUI::CControlUI* box = nullptr;
        SkinUI::CControlUI* separator = nullptr;
        SkinUI::COptionUI* enable = nullptr;
        SkinUI::COptionUI* phase = nullptr;
        SkinUI::CSliderUI* slider = nullptr;
        SkinUI::CEditUI* edit = nullptr;
    };

    void BuildHeader();
    void BuildMatrix();
    void BuildRowHeaders();
    void FillCell(int output, int row, bool first);
    void RefreshMixCell(int row, int output);
    void ShowLevel(int output, int row, int level);
    bool RowShown(int row) const { return MixerRowShown(row, mInputs, mHasMixerSource); }
    int InputOf(int row) const { return MixerInputIndex(row, mInputs); }

    // Handlers of the cells, rows and selectors.
    void SetInputEnable(int output, int row);
    void SetInputTrimSlider(int output, int row);
    void SetInputTrimEdit(int output, int row);
    void StepInputTrimEdit(int output, int row, bool up);
    void SelectCellText(int output, int row);
    void MoveEditFocus(int output, int row, bool right);
    void OnChBridge(int pair);
    void SetInputPhase(int row);
    void SetCSMViceSourceCombox(int selector);
    void SelectViceSourceCombo(int selector, int viceSource, int viceChannel);

    // Stores a level for a cell, keeps its routing bit and switch in step with it and sends both.
    void ApplyLevel(int output, int row, int level);
    void SetRoutingBit(int output, int input, bool routed);
    void SendLevel(int output, int input);
    void CopyCellToBridgePartner(int row, int output);
    int CellLevelLimit(int output, int row, bool upper) const;

    EqualizerManager& mController;
    DspConfig& mConfig;
    DeviceLink& mDevice;
    InputSource mSource = 0;
    int mInputs = 0;
    bool mHasMixerSource = false;
    bool mReady = false;

    Cell mCells[OutputCount][kMixerRows];
    SkinUI::CControlUI* mBridges[OutputCount / 2] = {};
    SkinUI::COptionUI* mInPhase[kMixerRows] = {};
    SkinUI::CControlUI* mInDistort[kMixerRows] = {};
    SkinUI::CComboUI* mViceSelectors[kMixerViceSelectors] = {};

    SKINUI_DECLARE_NOTIFY_MAP()
};

// Opens the mixer for the controller's current input source over owner and returns when it closes
// (1 when the controller closed it, 0 by the user); the main page then shows the routing it left.
int ShowMixerWnd(HWND owner, EqualizerManager& controller);
// Closes an open mixer window with the code; false when none is open.
bool CloseMixerWnd(UINT code);
