// The main window's routing: control notifications and clicks to the tuning controller, the focus ring of
// the page's edit boxes, private messages from the controller's workers and the device link, timers and
// popup-menu commands. Indices from user data and names are checked here, so a handler never sees one
// outside its range, and an unbound control is ignored.
#include "MainWnd.h"

#include "AutoCalWnd.h"
#include "CompressorWnd.h"
#include "CompressorsOnWnd.h"
#include "base/Log.h"
#include "MsgWnd.h"
#include "SButton.h"
#include "SceneWnd.h"
#include "TextFormat.h"
#include "UIMenu.h"
#include "UIOption.h"
#include "UIProgress.h"
#include "UITextResource.h"
#include "device/DeviceMessages.h"
#include "device/DeviceRecords.h"
#include "windows/AboutWnd.h"
#include "windows/KtvWnd.h"
#include "windows/LinkSelWnd.h"
#include "windows/NoiseThresholdWnd.h"
#include "windows/UpdateFwWnd.h"

#include <shellapi.h>

#include <cwchar>
#include <cwctype>
#include <exception>
#include <string>

using namespace SkinUI;

namespace {

int gMainVolumePolls = 0;  // ticks of the main-volume poll still to go

bool StartsWith(const std::wstring& name, const wchar_t* prefix) { return name.compare(0, wcslen(prefix), prefix) == 0; }

bool EqualsNoCase(const std::wstring& a, const wchar_t* b) { return _wcsicmp(a.c_str(), b) == 0; }

// The index a control carries in its user data; non-numeric text gives 0.
int UserIndex(CControlUI* control) { return control ? _wtoi(control->GetUserData().Data()) : 0; }

bool InRange(int value, int first, int last, const std::wstring& name) {
    if (value >= first && value <= last) return true;
    LogPrintW(L"%ls: index %d outside %d..%d, ignored\n", name.c_str(), value, first, last);
    return false;
}

bool IsControlSelected(CControlUI* control) {
    if (!control) return false;
    if (auto* option = static_cast<COptionUI*>(control->GetInterface(L"Option"))) return option->IsSelected();
    if (auto* button = static_cast<CSButtonUI*>(control->GetInterface(L"SButton"))) return button->IsSelected();
    return false;
}

void OneButtonBox(HWND owner, const wchar_t* text) {
    const wchar_t* captions[] = {L"${confirm}", L"", L""};
    ShowMsgWndButtons(owner, L"${tips}", text, captions, 1);
}

std::wstring Numbered(const wchar_t* prefix, int n) { return prefix + std::to_wstring(n); }

}  // namespace

// ---------------------------------------------------------------------------------------------------
// Focus ring

std::wstring NextInFocusRing(const std::wstring& name, int index, bool right, int bands,
                             const std::function<bool(const std::wstring&)>& enabled) {
    const int last = bands - 1;
    if (name == L"hp_freq") return right ? L"lp_freq" : L"edit_ch_delay_9";
    if (name == L"lp_freq") return right ? L"edit_main_volume" : L"hp_freq";
    if (name == L"edit_main_volume") {
        if (!right) return L"lp_freq";
        return enabled(L"eq_freq_0") ? L"eq_freq_0" : L"eq_gain_0";
    }
    if (bands > 0 && StartsWith(name, L"eq_freq_")) {
        if (right) return index < last ? Numbered(L"eq_freq_", index + 1) : L"eq_q_0";
        return index > 0 ? Numbered(L"eq_freq_", index - 1) : L"edit_main_volume";
    }
    if (bands > 0 && StartsWith(name, L"eq_q_")) {
        if (right) return index < last ? Numbered(L"eq_q_", index + 1) : L"eq_gain_0";
        return index > 0 ? Numbered(L"eq_q_", index - 1) : Numbered(L"eq_freq_", last);
    }
    if (bands > 0 && StartsWith(name, L"eq_gain_")) {
        if (right) return index < last ? Numbered(L"eq_gain_", index + 1) : L"edit_ch_volume_0";
        if (index > 0) return Numbered(L"eq_gain_", index - 1);
        const std::wstring lastQ = Numbered(L"eq_q_", last);
        return enabled(lastQ) ? lastQ : L"edit_main_volume";
    }
    if (StartsWith(name, L"edit_ch_volume_")) {
        if (right) return index < 9 ? Numbered(L"edit_ch_volume_", index + 1) : L"edit_ch_delay_0";
        return index > 0 ? Numbered(L"edit_ch_volume_", index - 1) : Numbered(L"eq_gain_", last);
    }
    if (StartsWith(name, L"edit_ch_delay_")) {
        if (right) return index < 9 ? Numbered(L"edit_ch_delay_", index + 1) : L"hp_freq";
        return index > 0 ? Numbered(L"edit_ch_delay_", index - 1) : L"edit_ch_volume_9";
    }
    return L"";
}

void CMainWnd::FocusByName(const std::wstring& name) {
    if (name.empty()) return;
    if (CControlUI* target = m_pm.FindControlByName(name.c_str())) target->SetFocus();
}

int CMainWnd::CurrentBandCount() const {
    const EqualizerManager& c = m_controller;
    const int n = c.CurrentOutput();
    const int size = c.config.channels[n].eqSize;
    return size < 0 ? 0 : (size > kPageBands ? kPageBands : size);
}

// ---------------------------------------------------------------------------------------------------
// Notifications

void CMainWnd::Notify(TNotifyMessage& msg) {
    bool passOn = true;
    try {
        passOn = RouteNotify(msg);
    } catch (const std::exception& e) {
        LogPrintA("CMainWnd::Notify: %s\n", e.what());
    } catch (...) {
        LogPrintA("CMainWnd::Notify failed\n");
    }
    if (passOn) WindowImplBase::Notify(msg);
}

bool CMainWnd::RouteNotify(TNotifyMessage& msg) {
    CControlUI* sender = msg.pSender;
    const std::wstring name = sender ? sender->GetName().Data() : L"";
    const std::wstring type = msg.sType.Data();
    LogPrintW(L"Notify %ls\n", name.c_str());
    if (!sender) return true;
    EqualizerManager& c = m_controller;
    const int index = UserIndex(sender);
    const int current = c.CurrentOutput();
    const int bands = CurrentBandCount();
    auto channel = [&](int first = 0) { return InRange(index, first, OutputCount - 1, name); };
    auto band = [&] { return InRange(index, 0, bands - 1, name); };
    // Values a reply puts into the controls must not come back as edits.
    const bool echo = c.ApplyingReply();

    if (type == L"click") {
        if (EqualsNoCase(name, L"minbtn")) {
            SendMessageW(m_hWnd, WM_SYSCOMMAND, SC_MINIMIZE, 0);
            return false;
        }
        if (EqualsNoCase(name, L"web_btn_1")) ShellExecuteW(nullptr, L"open", L"", nullptr, nullptr, SW_SHOW);
        DispatchClick(sender);
        return true;
    }
    if (echo && (type == L"selectchanged" || type == L"itemselect" || type == L"valuechanged" ||
                 type == L"movevaluechanged")) {
        return true;
    }
    if (type == L"selectchanged") {
        LogPrintW(L"on option %ls UI_MSGTYPE_SELECTCHANGED index %d\n", name.c_str(), index);
        if (StartsWith(name, L"ch_show_")) {
            if (channel()) c.SetChShow(index);
        } else if (name == L"ch_mute") {
            c.OnChMuteOption(current);
        } else if (StartsWith(name, L"ch_mute_")) {
            if (channel()) {
                c.config.channels[index].mute = IsControlSelected(sender) ? 1 : 0;
                c.OnChMuteOption(index);
            }
        } else if (name == L"ch_phase") {
            c.OnChPhaseOption(current);
        } else if (StartsWith(name, L"ch_phase_")) {
            if (channel()) c.OnChPhaseOption(index);
        } else if (StartsWith(name, L"ch_synchronize_")) {
            if (channel()) c.SetChSynchronize(index);
        } else if (StartsWith(name, L"ch_enable_")) {
            // A click toggles the option after its handler chose the channel or marker: show the choice again.
            c.ShowCurrentChannelOptions();
        } else if (StartsWith(name, L"speaker_")) {
            c.ShowCurrentSpeakerMarkers();
        } else if (StartsWith(name, L"main_mute")) {
            c.SetMainMute();
        } else if (StartsWith(name, L"option_ch_in")) {
            int input = -1, output = -1;
            if (swscanf(name.c_str(), L"option_ch_in%d_%d", &input, &output) == 2 && InRange(input, 0, 7, name) &&
                InRange(output, 0, OutputCount - 1, name))
                c.SetInputIn(input, output);
        }
    } else if (type == L"valuechanged" || type == L"movevaluechanged") {
        RouteSlider(name, index, sender);
    } else if (type == L"valuechangedup" || type == L"valuechangeddown") {
        const bool up = type == L"valuechangedup";
        if (StartsWith(name, L"eq_freq_")) {
            if (band()) c.SetEqFreqUp(index, up);
        } else if (StartsWith(name, L"eq_q_")) {
            if (band()) c.SetEqQUp(index, up);
        } else if (StartsWith(name, L"eq_gain_")) {
            if (band()) c.SetEqGainUp(index, up);
        } else if (StartsWith(name, L"hp_freq")) {
            c.SetHpFreqUp(up);
        } else if (StartsWith(name, L"lp_freq")) {
            c.SetLpFreqUp(up);
        } else if (StartsWith(name, L"edit_main_volume")) {
            c.SetMainVolumeUp(up);
        } else if (StartsWith(name, L"edit_acc")) {
            c.SetAccUp(up);
        } else if (name == L"edit_ch_volume") {
            c.SetChVolumeUp(current, up);
        } else if (StartsWith(name, L"edit_ch_volume_")) {
            if (channel()) c.SetChVolumeUp(index, up);
        } else if (StartsWith(name, L"edit_ch_delay_")) {
            if (channel()) c.SetChDelayUp(index, up);
        } else if (StartsWith(name, L"spk_delay_")) {
            if (InRange(index, 1, kSpeakerMarkers, name)) c.SetSpeakerDelayUp(index, up);
        }
    } else if (type == L"valuechangedleft" || type == L"valuechangedright") {
        const bool right = type == L"valuechangedright";
        LogPrintW(right ? L"on edit %ls UI_MSGTYPE_VALUECHANGED_RIGHT\n" : L"on edit %ls UI_MSGTYPE_VALUECHANGED_LEFT\n",
                  name.c_str());
        auto enabled = [this](const std::wstring& target) {
            CControlUI* control = m_pm.FindControlByName(target.c_str());
            return control && control->IsEnabled();
        };
        FocusByName(NextInFocusRing(name, index, right, bands, enabled));
    } else if (type == L"return" || type == L"killfocus") {
        RouteCommit(name, index, type == L"return");
    } else if (type == L"setfocus") {
        LogPrintW(L"on %ls UI_MSGTYPE_SETFOCUS\n", name.c_str());
        if (!StartsWith(name, L"edit_ch_delay_") && !StartsWith(name, L"slider_ch_delay_")) {
            LogPrintW(L"on mSliderChDelay SetVisible false\n");
            c.HideChDelaySliders();
        } else if (channel()) {
            c.ShowChDelaySlider(index);
        }
        if (StartsWith(name, L"eq_freq_") || StartsWith(name, L"eq_q_") || StartsWith(name, L"eq_gain_")) {
            LogPrintW(L"on eq %ls setfocus index %d\n", name.c_str(), index);
            if (band()) c.UpdateEqualizer(index);
        } else if (StartsWith(name, L"spk_delay_")) {
            if (InRange(index, 1, kSpeakerMarkers, name)) c.OnSpeakerDelayFocus(index);
        } else if (StartsWith(name, L"edit_ch_volume_") || StartsWith(name, L"edit_ch_delay_") ||
                   StartsWith(name, L"slider_ch_volume_") || StartsWith(name, L"slider_ch_delay_")) {
            if (channel()) c.ActivateChannel(index);
        }
    } else if (type == L"itemselect") {
        LogPrintW(L"on %ls UI_MSGTYPE_ITEMSELECT\n", name.c_str());
        if (StartsWith(name, L"comb_ch_unit")) {
            c.SetDelayUnit();
        } else if (StartsWith(name, L"hp_type")) {
            LogPrintW(L"on eq hp_type %ls valuechanged index %d\n", name.c_str(), index);
            c.SetHpType();
        } else if (name == L"lp_type") {
            LogPrintW(L"on eq lp_type %ls valuechanged index %d\n", name.c_str(), index);
            c.SetLpType();
        } else if (name == L"hp_slop") {
            LogPrintW(L"on eq hp_slop %ls valuechanged index %d\n", name.c_str(), index);
            c.SetHpSlope();
        } else if (name == L"lp_slop") {
            LogPrintW(L"on eq lp_slop %ls valuechanged index %d\n", name.c_str(), index);
            c.SetLpSlope();
        } else if (name == L"btn_input_source") {
            c.SetInputSource();
        } else if (name == L"btn_channel_select") {
            c.OnChannelSelect();
        }
    } else if (type == L"equalizer_eq" || type == L"equalizer_hp" || type == L"equalizer_lp") {
        if (name == L"equalizer") {
            LogPrintW(L"on UI_MSGTYPE_EQUALIZERCHANGED index %d\n", index);
            const int kind = type == L"equalizer_eq" ? 0 : (type == L"equalizer_hp" ? 1 : 2);
            if (index >= 0 && (kind != 0 || band())) c.EqualizerCallback(index, kind);
        }
    } else if (type == L"windowsize") {
        // Redrawn for the new layout with the selection it had: a layout never selects a band itself.
        c.UpdateEqualizer(c.SelectedCurveBand());
    }
    return true;
}

void CMainWnd::RouteSlider(const std::wstring& name, int index, CControlUI* sender) {
    EqualizerManager& c = m_controller;
    if (StartsWith(name, L"eq_slider_")) {
        auto* slider = static_cast<CSliderUI*>(sender->GetInterface(L"Slider"));
        LogPrintW(L"on eq silder %ls valuechanged index %d value %d\n", name.c_str(), index, slider ? slider->GetValue() : 0);
        if (InRange(index, 0, CurrentBandCount() - 1, name)) c.SetChEqSlider(index);
    } else if (StartsWith(name, L"slider_main_volume")) {
        c.SetMainVolumeSlider();
    } else if (StartsWith(name, L"slider_acc")) {
        c.SetAccSlider();
    } else if (name == L"slider_ch_volume") {
        LogPrintW(L"on volume silder %ls valuechanged index %d\n", name.c_str(), index);
        c.SetChVolumeSlider(c.CurrentOutput(), true, false);
    } else if (StartsWith(name, L"slider_ch_volume_")) {
        LogPrintW(L"on volume silder %ls valuechanged index %d\n", name.c_str(), index);
        if (InRange(index, 0, OutputCount - 1, name)) c.SetChVolumeSlider(index, true, false);
    } else if (StartsWith(name, L"slider_ch_delay_")) {
        LogPrintW(L"on delay silder %ls valuechanged index %d\n", name.c_str(), index);
        if (InRange(index, 0, OutputCount - 1, name)) c.SetChDelaySlider(index);
    }
}

// Return commits an edit (band cells only move on: their value is taken when the focus leaves);
// losing the focus commits the same edits, band cells included, but not a speaker delay.
void CMainWnd::RouteCommit(const std::wstring& name, int index, bool isReturn) {
    EqualizerManager& c = m_controller;
    LogPrintW(isReturn ? L"on edit %ls UI_MSGTYPE_RETURN\n" : L"on %ls UI_MSGTYPE_KILLFOCUS\n", name.c_str());
    const int bands = CurrentBandCount();
    const bool channelOk = index >= 0 && index < OutputCount;
    if (name == L"edit_main_volume") {
        c.SetMainVolumeEdit();
    } else if (name == L"edit_acc") {
        c.SetAccEdit();
    } else if (StartsWith(name, L"eq_freq_") || StartsWith(name, L"eq_q_") || StartsWith(name, L"eq_gain_")) {
        LogPrintW(L"on eq %ls killfocus index %d\n", name.c_str(), index);
        if (!InRange(index, 0, bands - 1, name)) return;
        if (!isReturn) {
            c.SetChEqEdit(index);
            return;
        }
        if (StartsWith(name, L"eq_freq_"))
            FocusByName(Numbered(L"eq_q_", index));
        else if (StartsWith(name, L"eq_q_"))
            FocusByName(Numbered(L"eq_gain_", index));
        else
            FocusByName(Numbered(L"eq_freq_", index + 1 < bands ? index + 1 : 0));
    } else if (StartsWith(name, L"hp_freq")) {
        c.SetHpFreq();
    } else if (StartsWith(name, L"lp_freq")) {
        c.SetLpFreq();
    } else if (StartsWith(name, L"edit_ch_delay_")) {
        if (InRange(index, 0, OutputCount - 1, name)) c.SetChDelayEdit(index);
    } else if (name == L"edit_ch_volume") {
        c.SetChVolumeEdit(c.CurrentOutput(), false);
    } else if (StartsWith(name, L"edit_ch_volume_")) {
        if (channelOk) c.SetChVolumeEdit(index, false);
    } else if (isReturn && StartsWith(name, L"spk_delay_")) {
        if (InRange(index, 1, kSpeakerMarkers, name)) c.SetSpeakerDelayEdit(index);
    }
}

void CMainWnd::DispatchClick(CControlUI* sender) {
    EqualizerManager& c = m_controller;
    const std::wstring name = sender->GetName().Data();
    const int index = UserIndex(sender);
    if (EqualsNoCase(name, L"btnDpi")) {
        // No layout binds a DPI text, so there is nothing to read.
        if (m_dpiControl) m_pm.ApplyDpi(_wtoi(m_dpiControl->GetText().Data()));
    } else if (StartsWith(name, L"ch_output_btn")) {
        if (!InRange(index, 0, OutputCount - 1, name)) return;
        m_currentOutput = index;
        c.ShowOutputMenu(m_hWnd, sender, &m_menuChecks, &m_menu, &m_pm, index);
    } else if (name == L"btnConnect") {
        c.ConnectDevice(true);
    } else if (name == L"btn_amp_onoff") {
        c.OnAmpOnOff();
    } else if (name == L"btn_rem_out1_onoff") {
        c.OnRemOut1();
    } else if (name == L"btn_rem_out2_onoff") {
        c.OnRemOut2();
    } else if (name == L"btn_2ohm_spk") {
        c.OnSpkOhm();
    } else if (name == L"btn_noise_gate") {
        c.OnNoiseGate();
    } else if (name == L"btn_option") {
        c.ShowOptionMenu(m_hWnd, sender, &m_menuChecks, &m_menu, &m_pm);
    } else if (name == L"btn_scene") {
        c.ShowSceneMenu(m_hWnd, sender, &m_menuChecks, &m_menu, &m_pm);
    } else if (name == L"btn_reset_eq") {
        c.SetOutputEqReset();
    } else if (name == L"btn_bypass") {
        c.SetOutputBypass();
    } else if (name == L"btn_reset_output") {
        c.SetOutputReset();
    } else if (StartsWith(name, L"ch_enable_")) {
        if (InRange(index, 0, OutputCount - 1, name)) c.SetCurChannelChange(index);
    } else if (StartsWith(name, L"ch_bridge_")) {
        if (InRange(index, 0, kBridgePairs - 1, name)) c.OnChBridge(index);
    } else if (StartsWith(name, L"speaker_")) {
        if (InRange(index, 1, kSpeakerMarkers, name)) c.SetSpeakerFocus(index);
    } else if (StartsWith(name, L"pt_enable_")) {
        if (InRange(index, 0, CurrentBandCount() - 1, name)) c.OnEqEnable(index);
    } else if (name == L"btn_lock_output") {
        c.SetOutpuLock();
    } else if (name == L"btn_link_output") {
        c.SetOutputLink();
    } else if (name == L"btn_delay_down" || name == L"btn_delay_up") {
        const int position = c.config.outputs[c.CurrentOutput()];
        if (position > 0 && position <= kSpeakerMarkers) c.SetSpeakerDelayUp(position, name == L"btn_delay_up");
    } else if (name == L"btn_debug") {
        c.OnDebugButton();
    } else if (name == L"btn_arg_eq") {
        c.SetEqMode();
    } else if (name == L"btn_advance") {
        c.ShowAdvanceMenu(m_hWnd, sender, &m_menuChecks, &m_menu, &m_pm);
    } else if (name == L"btn_link_select") {
        ShowLinkSelWnd(m_hWnd, c);
    } else if (name == L"btn_irc") {
        if (ShowAutoCalWnd(m_hWnd, c) == 1) ResyncAfterCalibration();
    }
}

void CMainWnd::ResyncAfterCalibration() {
    LogPrintW(L"Auto cal finished, need to sync data from dsp again!\n");
    m_controller.DisconnectDevice();
    m_controller.ConnectDevice(false);
}

// ---------------------------------------------------------------------------------------------------
// Messages from the workers, the link, timers and menus

bool CMainWnd::HandleControllerMessage(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) {
    EqualizerManager& c = m_controller;
    switch (message) {
    case WM_TIMER:
        if (wParam == GET_MAIN_VOLUME_TIMER) {
            LogPrintW(L"GET_MAIN_VOLUME_TIMER, getMainVolumeTimer=%d\n", gMainVolumePolls);
            if (gMainVolumePolls > 0) {
                // From the UI thread the link hands the getter to its worker; the reply comes as a message.
                c.Device().Get_Main_Volume();
                --gMainVolumePolls;
            } else {
                KillTimer(m_hWnd, GET_MAIN_VOLUME_TIMER);
            }
        }
        return true;
    case WM_DSP_VALUE: c.ReadDspValueCallback(wParam, lParam); return true;
    case WM_READ_MCU_VALUE: c.ReadMcuValueCallback(wParam, lParam); return true;
    case WM_FLASH_VALUE: c.ReadSenceValueCallback(wParam, lParam); return true;
    case WM_KTV_VALUE: c.ReadKtvValueCallback(wParam, lParam); return true;
    case WM_DEVICE_ABNORMAL:
        OneButtonBox(m_hWnd, L"${device_status_unnormal}");
        RunUserFirmwareUpdate(m_hWnd, c);
        return true;
    case WM_FACTORY_DEFAULT_DONE:
        // The amplifier may be back already, its read-back under the busy popup.
        if (!c.IsReadRunning()) m_loading.Hide();
        c.OnFactoryDefaultDone(wParam != 0);
        OneButtonBox(m_hWnd, wParam != 0 ? L"${device_reboot}" : L"${factory_default_fail}");
        return true;
    // The read-back's messages carry their connection: one that has been closed since (a removal, and
    // perhaps an arrival already read again) is not this one's to report or to end.
    case WM_CONNECT_FAILED:
        if (c.IsCurrentConnection(wParam)) OneButtonBox(m_hWnd, L"${device_connect_fail}");
        return true;
    case WM_DSP_READY:
        if (c.IsCurrentConnection(wParam)) c.OnDspReady();
        return true;
    case WM_READ_FAILED:
        if (c.IsCurrentConnection(wParam)) c.DisconnectDevice();
        return true;
    case WM_READ_BACK_ENDED: c.OnReadBackEnded(); return true;
    case WM_REFRESH_PAGE: c.ShowSentProfile(); return true;
    case WM_SCENE_WORK_DONE: c.OnSceneWorkDone(wParam, lParam); return true;
    case WM_SCENE_UI_STEP: c.OnSceneUiStep(wParam, lParam); return true;
    case WM_FORCE_UPDATE: c.StartForceUpdate(); return true;
    case WM_FW_NEWER: {
        const CUIString format = CTextResource::GetInstance()->GetText(L"${dsp_fw_new_tips}");
        const int values[] = {c.config.mainVersion, c.config.slaveVersion, kBuiltInMainVersion, kBuiltInSlaveVersion};
        OneButtonBox(m_hWnd, FormatIntegers(format.Data(), values, 4).c_str());
        return true;
    }
    case WM_SHOW_PLUGOUT_BOX:
        // Plugged in again before the box came up: it would stand over a connected window.
        if (c.Device().IsConnected() || !c.IsCurrentConnection(wParam) || c.IsPlugInPending()) return true;
        LogPrintW(L"DisconnectMsgThread start!\n");
        OneButtonBox(m_hWnd, L"${device_plugout}");
        LogPrintW(L"DisconnectMsgThread end!\n");
        return true;
    case WM_MENU_CLICK:
        OnMenuClick(wParam);
        handled = TRUE;
        return true;
    default:
        // Replies meant for other windows that reached this one: their records are still freed.
        if (ReplyCarriesRecord(message, wParam, lParam)) free(reinterpret_cast<void*>(lParam));
        return false;
    }
}

void CMainWnd::StartMainVolumePoll() {
    gMainVolumePolls = 10;
    SetTimer(m_hWnd, GET_MAIN_VOLUME_TIMER, 1000, nullptr);
}

void CMainWnd::OnMenuClick(WPARAM record) {
    auto* command = reinterpret_cast<MenuCmd*>(record);
    if (!command) return;
    // Copied with a guaranteed end, then the record is given back before anything else runs.
    wchar_t copy[MenuCmd::kNameLength];
    wcsncpy(copy, command->szName, MenuCmd::kNameLength - 1);
    copy[MenuCmd::kNameLength - 1] = 0;
    CPaintManagerUI::FreeBlock(command);
    const std::wstring name = copy;
    LogPrintW(L"on menu click %ls\n", name.c_str());
    DispatchMenu(name);
}

void CMainWnd::DispatchMenu(const std::wstring& name) {
    EqualizerManager& c = m_controller;
    const std::wstring language = CTextResource::GetInstance()->GetLanguage().Data();
    if (StartsWith(name, L"output_menu") || StartsWith(name, L"output_item")) {
        const int output = m_currentOutput >= 0 && m_currentOutput < OutputCount ? m_currentOutput : 0;
        c.SetOutputValue(output, name.c_str());
        // Outputs 2k and 2k+1 form a pair; a bridged pair takes the same position.
        if (c.config.outputBridge[output / 2]) c.SetOutputValue(output ^ 1, name.c_str());
    } else if (StartsWith(name, L"option_item_firmware_upgrade")) {
        RunUserFirmwareUpdate(m_hWnd, c);
    } else if (StartsWith(name, L"option_item_reset_default")) {
        c.ResetMcuFactoryDefault();
    } else if (StartsWith(name, L"option_item_about")) {
        ShowAboutWnd(m_hWnd, c.config);
    } else if (EqualsNoCase(name, L"option_item_language")) {
        if (_wcsicmp(language.c_str(), L"cn_zh") == 0)
            ChangeLanguage(L"en", L"0");
        else
            ChangeLanguage(L"cn_zh", L"1");
    } else if (EqualsNoCase(name, L"option_item_language_en")) {
        if (language != L"en") ChangeLanguage(L"en", L"0");
    } else if (EqualsNoCase(name, L"option_item_language_cn")) {
        if (language != L"cn_zh") ChangeLanguage(L"cn_zh", L"1");
    } else if (EqualsNoCase(name, L"option_item_language_ru")) {
        if (language != L"ru") ChangeLanguage(L"ru", L"2");
    } else if (StartsWith(name, L"scene_item_")) {
        if (name == L"scene_item_load_scene") c.LoadSenceConfigFromDSP(m_hWnd);
        else if (name == L"scene_item_saveas_scene") c.SaveSenceConfigToDSP(m_hWnd);
        else if (name == L"scene_item_delete_scene") c.DeleteDSPSenceConfig(m_hWnd);
        else if (name == L"scene_item_load_file") c.LoadSenceConfigFromFile();
        else if (name == L"scene_item_save_file") c.SaveSenceConfigToFile();
        else if (name == L"scene_item_load_whole") c.LoadWholeConfigFromFile();
        else if (name == L"scene_item_save_whole") c.SaveWholeConfigToFile();
    } else if (StartsWith(name, L"advance_item_")) {
        if (name == L"advance_item_autocal" && ShowAutoCalWnd(m_hWnd, c) == 1) ResyncAfterCalibration();
        if (name == L"advance_item_mixer") c.OnMixerMenu();
        else if (name == L"advance_item_noise_threshold") ShowNoiseThresholdWnd(m_hWnd, c);
        else if (name == L"advance_item_compressors_on") ShowCompressorsOnWnd(m_hWnd, c);
        else if (name == L"advance_item_compressor") ShowCompressorWnd(m_hWnd, c);
        else if (name == L"advance_item_ktv") ShowKtvWnd(m_hWnd, c);
    }
}
