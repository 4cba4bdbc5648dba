#include "SkinViewWindow.h"

#include "UIControl.h"
#include "UIEqualizer.h"
#include "UIEqualizerAc.h"
#include "model/OutputCurve.h"
#include "model/ResponseMath.h"

#include <cmath>
#include <cstdio>
#include <cwchar>
#include <unordered_set>
#include <vector>

namespace SkinView {

using namespace SkinUI;

namespace {

const UINT_PTR kShotTimer = 0x5E1F;
const UINT_PTR kMenuTimer = 0x5E20;
const UINT kShotDelayMs = 600;  // lets posted layout and DPI work finish before the picture

// Speaker position of each output in the demonstration page, and the matching button text.
const struct {
    int position;
    const wchar_t* name;
    const wchar_t* delay;
} kDemoOutputs[10] = {
    {1, L"${front_left_tweeter}", L"2.125"},   {7, L"${front_right_tweeter}", L"0.000"},
    {2, L"${front_left_midrange}", L"2.104"},  {8, L"${front_right_midrange}", L"0.000"},
    {3, L"${front_left_woofer}", L"1.958"},    {9, L"${front_right_woofer}", L"0.000"},
    {15, L"${rear_left_full}", L"0.500"},      {18, L"${rear_right_full}", L"0.250"},
    {24, L"${subwoofer_freq}", L"4.375"},      {0, L"${empty}", L"0.000"},
};

const int kDemoBandFrequencies[21] = {20,   31,   50,   80,   125,  200,  315,  500,   800,   1000, 1250,
                                      1600, 2000, 2500, 3150, 4000, 5000, 6300, 10000, 16000, 20000};
const double kDemoBandGains[21] = {0, 2.5, 1.0, -3.0, 0, -1.5, 0, 0, 2.0, 0, 0, -4.5, 0, 0, 0, 1.5, 0, 0, -2.0, 0, 0};

}  // namespace

// The process-wide menu observer keeps the check map; it must not outlive this window's map.
CSkinViewWindow::~CSkinViewWindow() {
    m_menu.reset();
    CMenuWnd::DestroyMenu();
    GetMenuObserver().SetMenuCheckInfo(nullptr);
}

HWND CSkinViewWindow::Open() {
    if (IsMainLayout()) {
        HWND window = CreateNativeWindow(nullptr, L"VR ZOD Evoda", WS_VISIBLE | WS_OVERLAPPEDWINDOW, 0, 0, 0, 1230, 650);
        if (window) SetWindowLongW(window, GWL_STYLE, GetWindowLongW(window, GWL_STYLE) & ~(WS_MAXIMIZEBOX | WS_THICKFRAME));
        return window;
    }
    return CreateNativeWindow(nullptr, L"skinview", WS_POPUP | WS_CLIPCHILDREN | WS_VISIBLE, WS_EX_TOOLWINDOW);
}

bool CSkinViewWindow::IsMainLayout() const { return _wcsicmp(m_options.layout.c_str(), kMainLayout) == 0; }

void CSkinViewWindow::OnInitWindow() {
    if (IsMainLayout()) AttachChannelSettings(m_pm, this, m_pm.GetRootControl());
    m_pm.ApplyDpi(m_options.dpi);
    if (m_options.demo) ApplyDemoState();
    CenterOnOwner();
    if (!m_options.focus.empty()) {
        if (CControlUI* control = m_pm.FindControlByName(m_options.focus.c_str())) control->SetFocus();
    }
    if (!m_options.shotPath.empty()) SetTimer(m_hWnd, kShotTimer, kShotDelayMs, nullptr);
    if (!m_options.menu.empty()) SetTimer(m_hWnd, kMenuTimer, kShotDelayMs / 2, nullptr);
}

// Opens a menu of the main page under its button, as the page does.
void CSkinViewWindow::OpenMenu() {
    static const struct {
        const wchar_t* button;
        const wchar_t* layout;
    } kMenus[] = {{L"btn_scene", L"xml/scene_menu.xml"},
                  {L"btn_option", L"xml/option_menu.xml"},
                  {L"btn_advance", L"xml/advance_menu.xml"},
                  {L"ch_output_btn_0", L"xml/output_menu.xml"}};
    for (const auto& entry : kMenus) {
        CControlUI* button = m_pm.FindControlByName(entry.button);
        if (m_options.menu != entry.button || !button) continue;
        POINT at = {button->GetPos().left, button->GetPos().bottom};
        ClientToScreen(m_hWnd, &at);
        m_menu = std::make_unique<CMenuWnd>();
        m_menu->Init(nullptr, entry.layout, at, &m_pm, &m_menuChecks);
        if (!m_menu->GetHandle() || m_options.hover.empty()) return;
        UpdateWindow(m_menu->GetHandle());
        if (CControlUI* item = m_menu->GetPaintManager()->FindControlByName(m_options.hover.c_str())) {
            const RECT& pos = item->GetPos();
            SendMessageW(m_menu->GetHandle(), WM_MOUSEMOVE, 0,
                         MAKELPARAM((pos.left + pos.right) / 2, (pos.top + pos.bottom) / 2));
        }
    }
}

LRESULT CSkinViewWindow::HandleOtherMessage(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) {
    if (message == WM_TIMER && wParam == kMenuTimer) {
        KillTimer(m_hWnd, kMenuTimer);
        OpenMenu();
        handled = TRUE;
        return 0;
    }
    if (message == WM_TIMER && wParam == kShotTimer) {
        KillTimer(m_hWnd, kShotTimer);
        TakeShot();
        m_menu.reset();
        PostClose(0);
        handled = TRUE;
        return 0;
    }
    return WindowImplBase::HandleOtherMessage(message, wParam, lParam, handled);
}

void CSkinViewWindow::OnWindowDestroyed(HWND hwnd) {
    m_menu.reset();
    WindowImplBase::OnWindowDestroyed(hwnd);
    PostQuitMessage(0);
}

void CSkinViewWindow::Set(const wchar_t* name, const wchar_t* attribute, const wchar_t* value) {
    if (CControlUI* control = m_pm.FindControlByName(name)) control->SetAttribute(attribute, value);
}

// What the controller's start-up and a read-back leave on the page, with a few values changed so that
// every kind of state shows.
void CSkinViewWindow::ApplyDemoState() {
    wchar_t name[64], text[64];
    if (_wcsicmp(m_options.layout.c_str(), L"XML_MSG") == 0) {
        // The outputs' reset question: the box's only use of all three buttons.
        Set(L"MessageText", L"text", L"${empty_output_tips}");
        Set(L"confirm_btn", L"text", L"${default}");
        Set(L"third_btn", L"text", L"${emptied}");
        Set(L"third_btn", L"visible", L"true");
        return;
    }
    if (_wcsicmp(m_options.layout.c_str(), L"XML_UPDATE_FW") == 0) {
        // An upload done, the amplifier restarting: the longest status line.
        Set(L"file_path_edt", L"text", L"C:\\Firmware\\KTR3.500DSP_MCU_UPG.bin");
        Set(L"progress", L"value", L"100");
        Set(L"update_tips", L"text", L"${update_wait_restart}");
        return;
    }
    if (_wcsicmp(m_options.layout.c_str(), L"XML_AUTO_CAL") == 0) {
        ApplyDemoCalibration();
        return;
    }
    if (_wcsicmp(m_options.layout.c_str(), L"XML_SENCE_PROFILE") == 0) {
        // Named scenes, the third one current, as the scene window shows them.
        const wchar_t* const names[10] = {L"Daily", L"Bass", L"Vocal", L"", L"Night", L"", L"", L"Demo", L"", L""};
        for (int i = 0; i < 10; ++i) {
            swprintf(name, 64, L"listitem%d", i + 1);
            CControlUI* row = m_pm.FindControlByName(name);
            CControlUI* value = row ? m_pm.FindSubControlByName(row, L"value") : nullptr;
            if (value) value->SetText(names[i]);
            if (row) row->SetBkColor(i == 2 ? 0xFFF6CE1D : 0);
        }
        return;
    }
    if (!IsMainLayout()) return;
    Set(L"btnConnect", L"text", L"${btn_connected}");
    Set(L"btnConnect", L"selected", L"true");
    Set(L"btn_amp_onoff", L"text", L"${amp_on}");
    Set(L"btn_amp_onoff", L"selected", L"true");
    Set(L"btn_rem_out1_onoff", L"text", L"${rem_out1_on}");
    Set(L"btn_rem_out1_onoff", L"selected", L"true");
    Set(L"btn_rem_out2_onoff", L"text", L"${rem_out2_off}");
    Set(L"btn_2ohm_spk", L"text", L"${btn_4ohm_spk}");
    Set(L"btn_noise_gate", L"text", L"${btn_noise_gate_on}");
    Set(L"btn_noise_gate", L"selected", L"true");
    Set(L"btn_bypass", L"text", L"${bypass_eq}");
    Set(L"btn_arg_eq", L"text", L"${peq_mode}");
    Set(L"btn_arg_eq", L"selected", L"true");
    Set(L"edit_main_volume", L"text", L"30");
    Set(L"slider_main_volume", L"value", L"30");
    Set(L"label_channel_name", L"text", L"CH1");
    Set(L"hp_freq", L"text", L"20Hz");
    Set(L"lp_freq", L"text", L"20000Hz");
    Set(L"ch_enable_0", L"selected", L"true");
    for (int m = 1; m <= 24; ++m) {
        for (const wchar_t* format : {L"speaker_%d", L"spk_con_%d", L"spk_delay_%d"}) {
            swprintf(name, 64, format, m);
            Set(name, L"visible", L"false");
        }
    }
    for (int n = 0; n < 10; ++n) {
        const auto& out = kDemoOutputs[n];
        swprintf(name, 64, L"ch_output_btn_%d", n);
        Set(name, L"text", out.name);
        swprintf(name, 64, L"ch_show_%d", n);
        Set(name, L"selected", n < 9 ? L"true" : L"false");
        swprintf(name, 64, L"edit_ch_volume_%d", n);
        swprintf(text, 64, L"%ddB", n == 8 ? -6 : 0);
        Set(name, L"text", text);
        swprintf(name, 64, L"slider_ch_volume_%d", n);
        swprintf(text, 64, L"%d", n == 8 ? -60 : 0);
        Set(name, L"min", L"-600");
        Set(name, L"max", L"0");
        Set(name, L"value", text);
        swprintf(name, 64, L"ch_phase_%d", n);
        Set(name, L"text", n == 3 ? L"${reverse phase}" : L"${positive_phase}");
        Set(name, L"selected", n == 3 ? L"true" : L"false");
        swprintf(name, 64, L"ch_mute_%d", n);
        Set(name, L"selected", n == 9 ? L"true" : L"false");
        swprintf(name, 64, L"edit_ch_delay_%d", n);
        swprintf(text, 64, L"%ls ms", out.delay);
        Set(name, L"text", text);
        swprintf(name, 64, L"slider_ch_delay_%d", n);
        Set(name, L"visible", L"false");
        if (out.position > 0) {
            for (const wchar_t* format : {L"speaker_%d", L"spk_con_%d", L"spk_delay_%d"}) {
                swprintf(name, 64, format, out.position);
                Set(name, L"visible", L"true");
            }
            swprintf(name, 64, L"spk_delay_%d", out.position);
            Set(name, L"text", out.delay);
        }
        // The main page starts on the high-level input, which routes eight inputs.
        for (int j = 0; j < 8; ++j) {
            swprintf(name, 64, L"option_ch_in%d_%d", j, n);
            Set(name, L"selected", j == n % 8 ? L"true" : L"false");
        }
    }
    Set(L"speaker_1", L"selected", L"true");
    for (int k = 0; k < 21; ++k) {
        swprintf(name, 64, L"eq_freq_%d", k);
        swprintf(text, 64, L"%d", kDemoBandFrequencies[k]);
        Set(name, L"text", text);
        swprintf(name, 64, L"eq_q_%d", k);
        Set(name, L"text", L"1.41");
        swprintf(name, 64, L"eq_gain_%d", k);
        swprintf(text, 64, L"%.1f", kDemoBandGains[k]);
        Set(name, L"text", text);
        swprintf(name, 64, L"eq_slider_%d", k);
        swprintf(text, 64, L"%d", static_cast<int>(kDemoBandGains[k] * 10));
        Set(name, L"value", text);
        swprintf(name, 64, L"pt_enable_%d", k);
        Set(name, L"selected", k == 11 ? L"false" : L"true");
    }
    ApplyDemoCurve();
}

CControlUI* CSkinViewWindow::CreateControl(const wchar_t* element) {
    if (_wcsicmp(element, L"Curve") == 0) return new UIEqualizer;
    if (_wcsicmp(element, L"CurveAc") == 0) return new UIEqualizerAc;
    return m_factory.CreateControl(element);
}

// The demonstration bands on output 1 with a 60 Hz high-pass, the other outputs flat with their
// crossovers, output 1 current and band 9 selected, as the controller hands them to the curve.
void CSkinViewWindow::ApplyDemoCurve() {
    auto* curve = static_cast<UIEqualizer*>(m_pm.FindControlByName(L"equalizer"));
    if (!curve || wcscmp(curve->GetClass(), L"UIEqualizer") != 0) return;
    EqBand bands[21];
    for (int k = 0; k < 21; ++k) bands[k] = EqBand(static_cast<float>(kDemoBandGains[k]), 1.41f, kDemoBandFrequencies[k], 1);
    static const int kHp[10] = {40, 2500, 300, 300, 60, 60, 80, 80, 20, 20};
    static const int kLp[10] = {20000, 20000, 3000, 3000, 300, 300, 20000, 20000, 80, 20000};
    std::vector<double> axis(CurvePoints), freqs(10 * CurvePoints), gains(10 * CurvePoints), hp(CurvePoints),
        lp(CurvePoints);
    MakeLogFreqAxis(CurveSampleRate, CurvePoints, axis.data());
    int shown[10];
    for (int n = 0; n < 10; ++n) {
        ChannelConfig channel;
        channel.eqArray = bands;
        channel.eqSize = 21;
        channel.crossover.hp = CrossoverFilter(kHp[n], FilterLinkwitzRiley, n == 9 ? 0 : 4);
        channel.crossover.lp = CrossoverFilter(kLp[n], FilterLinkwitzRiley, kLp[n] < 20000 ? 4 : 0);
        OutputResponseDb(channel, n != 0, axis.data(), CurvePoints, hp.data(), lp.data(), gains.data() + n * CurvePoints);
        std::copy(axis.begin(), axis.end(), freqs.begin() + n * CurvePoints);
        shown[n] = n < 9;
    }
    curve->SetDragAllDirection(true);
    curve->SetCurEqBand(bands, 21, 8);
    curve->setCurEqHpLp(kHp[0], kLp[0]);
    curve->SetEqResponse(freqs.data(), gains.data(), 10, 0, shown);
}

// Two measured outputs with room modes, and the correcting equalizer of each.
void CSkinViewWindow::ApplyDemoCalibration() {
    auto* display = static_cast<UIEqualizerAc*>(m_pm.FindControlByName(L"equalizer_ac"));
    if (!display || wcscmp(display->GetClass(), L"UIEqualizerAc") != 0) return;
    const int outputs = 2;
    std::vector<double> sf(outputs * 121), sg(outputs * 121), rf(outputs * CurvePoints), rg(outputs * CurvePoints, 0.0);
    std::vector<double> axis(CurvePoints), band(CurvePoints);
    MakeLogFreqAxis(CurveSampleRate, CurvePoints, axis.data());
    const double modes[outputs][3] = {{80, 7, 2.5}, {160, 5, -3}};
    for (int n = 0; n < outputs; ++n) {
        for (int i = 0; i < 121; ++i) {
            const double f = 20.0 * std::pow(1000.0, i / 120.0);
            const double octave = std::log2(f / modes[n][0]);
            sf[n * 121 + i] = f;
            sg[n * 121 + i] = modes[n][1] * std::exp(-octave * octave * 2) + modes[n][2] * std::sin(std::log2(f) * 1.7) -
                              (f > 12000 ? (f - 12000) / 1000.0 : 0);
        }
        PeakingEqCurve(CurveSampleRate, modes[n][0], -modes[n][1], 1.4, axis.data(), band.data(), CurvePoints);
        for (int i = 0; i < CurvePoints; ++i) {
            rf[n * CurvePoints + i] = axis[i];
            rg[n * CurvePoints + i] = band[i];
        }
    }
    const BYTE shown[outputs] = {1, 1};
    display->SetCurves121(sf.data(), sg.data(), outputs, 0, shown);
    display->SetCurves(rf.data(), rg.data(), outputs, 0, shown);
    // Their distances as the window shows them once measured.
    const wchar_t* const distances[outputs] = {L"0.860000", L"1.090000"};
    for (int n = 0; n < outputs; ++n) {
        const std::wstring label = L"ch_" + std::to_wstring(n) + L": ";
        Set((L"ch_distance_" + std::to_wstring(n)).c_str(), L"visible", L"true");
        Set(label.c_str(), L"visible", L"true");
        Set(label.c_str(), L"text", distances[n]);
    }
}

void CSkinViewWindow::TakeShot() {
    m_shot = SaveClientBitmap(m_hWnd, m_options.shotPath.c_str(), m_menu != nullptr);
}

TShotResult SaveClientBitmap(HWND window, const wchar_t* path, bool fromScreen) {
    TShotResult result;
    RECT client = {};
    GetClientRect(window, &client);
    const int width = client.right, height = client.bottom;
    if (width <= 0 || height <= 0) return result;
    POINT origin = {0, 0};
    if (fromScreen) ClientToScreen(window, &origin);
    HWND surface = fromScreen ? nullptr : window;
    HDC source = GetDC(surface);
    HDC memory = CreateCompatibleDC(source);
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, source, origin.x, origin.y, SRCCOPY);
    GdiFlush();
    DWORD* pixels = static_cast<DWORD*>(bits);
    std::unordered_set<DWORD> colours;
    for (int i = 0; i < width * height; ++i) {
        colours.insert(pixels[i] & 0xFFFFFF);
        // The screen has no transparency, but GDI leaves 0 in the fourth byte of what it drew (lines,
        // text); picture tools that read that byte as alpha would show those pixels as holes.
        pixels[i] |= 0xFF000000;
    }
    result.width = width;
    result.height = height;
    result.colours = static_cast<int>(colours.size());
    if (FILE* file = _wfopen(path, L"wb")) {
        const DWORD imageBytes = static_cast<DWORD>(width) * height * 4;
        BITMAPFILEHEADER header = {0x4D42, static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + imageBytes),
                                   0, 0, sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)};
        result.saved = fwrite(&header, sizeof header, 1, file) == 1 &&
                       fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, file) == 1 &&
                       fwrite(bits, imageBytes, 1, file) == 1;
        result.saved = (fclose(file) == 0) && result.saved;
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(surface, source);
    return result;
}

}  // namespace SkinView
