#!/usr/bin/env python3
"""Writes the skin's layout files (resources/skin/xml/*.xml) from one description of the look.

The layouts are data the build packs as they are; this script only keeps their many repeated rows
(ten output strips, 21 band columns, 24 speaker markers) and the shared theme consistent. Edit it and
run `python3 resources/skin_layouts.py`, then commit the regenerated XML with it.
"""
import os
from xml.sax.saxutils import escape

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "skin", "xml")

# The DPI percentages other than 100 at which the build renders every image (cmake/SkinResources.cmake).
SCALES = [80, 125, 150, 200, 300]

# ---- palette (ARGB)
BG = "#FF15181D"
PANEL = "#FF1D2127"
RAISED = "#FF272C34"
HOVER = "#FF313741"
BORDER = "#FF353B45"
TEXT = "#FFE6E8EB"
SECONDARY = "#FF9AA3AD"
DISABLED = "#FF5C6570"
ACCENT = "#FFF6CE1D"
ACCENT_HOT = "#FFFFDD55"
ON_ACCENT = "#FF15181D"
CONNECTED = "#FF3DDC84"
DANGER = "#FFE5484D"
PLOT = "#FF111418"
ACCENT_DIM = "#FF3A3314"  # an on-state that need not draw the eye: dark amber under amber text
STRIP = "#FF191C21"
CURVES = ["#FF5AA9F0", "#FFF28E2B", "#FF7BD389", "#FFE15759", "#FFB07AA1",
          "#FF76D7EA", "#FFEDC948", "#FFFF9DA7", "#FFC9A27E", "#FFB6BDC6"]

# Fonts: 0 body, 1 small, 2 section title, 3 window title, 4 body bold, 5 large caption of the curve.
FONTS = [(0, 12, False), (1, 11, False), (2, 14, True), (3, 16, True), (4, 12, True), (5, 20, True)]


def attrs(pairs):
    # The skin's markup reader takes attribute values in double quotes only.
    return "".join(f' {k}="{escape(str(v), {chr(34): "&quot;"})}"' for k, v in pairs)


def alist(**kw):
    """An attribute list as a Default or Style value: name="value" pairs joined by one blank."""
    return " ".join(f'{k.rstrip("_")}="{v}"' for k, v in kw.items())


class Node:
    def __init__(self, tag, *children, **kw):
        self.tag = tag
        self.children = [c for c in children if c is not None]
        self.pairs = [(k.rstrip("_"), v) for k, v in kw.items() if v is not None]

    def render(self, depth=0):
        pad = "  " * depth
        if not self.children:
            return f"{pad}<{self.tag}{attrs(self.pairs)}/>\n"
        inner = "".join(c.render(depth + 1) for c in self.children)
        return f"{pad}<{self.tag}{attrs(self.pairs)}>\n{inner}{pad}</{self.tag}>\n"


def E(tag):
    return lambda *c, **kw: Node(tag, *c, **kw)


V, H, Lbl, Btn, Opt, Chk, Edt, Cmb, Sld, Ctl, SBtn = map(
    E, ["VerticalLayout", "HorizontalLayout", "Label", "Button", "Option", "CheckBox", "Edit", "Combo",
        "Slider", "Control", "SButton"])
Item = E("ListLabelElement")


def img(name, **kw):
    extra = "".join(f" {k}='{v}'" for k, v in kw.items())
    return f"file='img/{name}.png'{extra}"


def theme():
    """Fonts and per-element defaults every window shares."""
    nodes = [Node("Font", id=i, name="Tahoma", size=s, bold="true" if b else None,
                  default="true" if i == 0 else None) for i, s, b in FONTS]
    button = dict(height=24, textcolor=TEXT, disabledtextcolor=DISABLED, bkcolor=RAISED, hotbkcolor=HOVER,
                  pushedbkcolor=PANEL, disabledbkcolor=PANEL, bordersize=1, bordercolor=BORDER,
                  focusbordercolor=ACCENT, borderround="3,3", textpadding="6,0,6,0", endellipsis="true")
    defaults = {
        "Label": dict(textcolor=SECONDARY, disabledtextcolor=DISABLED),
        "Button": button,
        "Option": dict(button, selectedbkcolor=ACCENT, selectedtextcolor=ON_ACCENT, hottextcolor=TEXT),
        "SButton": dict(button, selectedbkcolor=ACCENT, selectedtextcolor=ON_ACCENT),
        "CheckBox": dict(height=20, align="left", textcolor=TEXT, disabledtextcolor=DISABLED, textpadding="20,0,0,0",
                         normalimage=img("check_off", dest="0,3,14,17"),
                         hotimage=img("check_off_hot", dest="0,3,14,17"),
                         disabledimage=img("check_disabled", dest="0,3,14,17"),
                         selectedimage=img("check_on", dest="0,3,14,17"),
                         selectedhotimage=img("check_on_hot", dest="0,3,14,17"), focusbordercolor=ACCENT),
        "Edit": dict(height=22, textcolor=TEXT, disabledtextcolor=DISABLED, bkcolor=PLOT, nativebkcolor=PLOT,
                     bordersize=1, bordercolor=BORDER, focusbordercolor=ACCENT, borderround="3,3",
                     textpadding="4,2,4,2", align="center"),
        "Combo": dict(height=22, textcolor=TEXT, disabledtextcolor=DISABLED, textpadding="7,0,22,0",
                      normalimage=img("combo", corner="4,4,22,4"), hotimage=img("combo_hot", corner="4,4,22,4"),
                      pushedimage=img("combo_pushed", corner="4,4,22,4"),
                      focusedimage=img("combo_focus", corner="4,4,22,4"),
                      disabledimage=img("combo_disabled", corner="4,4,22,4"),
                      itemtextcolor=TEXT, itembkcolor=RAISED, itemhotbkcolor=HOVER, itemhottextcolor=TEXT,
                      itemselectedbkcolor=ACCENT, itemselectedtextcolor=ON_ACCENT, itemtextpadding="7,0,4,0",
                      itemdisabledtextcolor=DISABLED, itemdisabledbkcolor=RAISED, endellipsis="true"),
        "Slider": dict(height=16, bkimage=img("track_h", corner="3,0,3,0"), foreimage=img("fill_h", corner="3,0,3,0"),
                       thumbimage=img("thumb_h"), thumbhotimage=img("thumb_h_hot"),
                       thumbpushedimage=img("thumb_h_hot"), thumbsize="10,16"),
        "ListLabelElement": dict(height=22),
    }
    for name, value in defaults.items():
        nodes.append(Node("Default", name=name, value=alist(**value)))
    return nodes


# An option drawn as a check box (its group makes the choices exclusive).
CHECK_LOOK = dict(bkcolor="#00000000", hotbkcolor="#00000000", pushedbkcolor="#00000000", bordersize=0,
                  selectedbkcolor="#00000000", selectedtextcolor=TEXT, textcolor=TEXT, textpadding="22,0,0,0",
                  align="left", normalimage=img("check_off", dest="0,5,14,19"),
                  hotimage=img("check_off_hot", dest="0,5,14,19"), selectedimage=img("check_on", dest="0,5,14,19"),
                  selectedhotimage=img("check_on_hot", dest="0,5,14,19"))


def window(root, **kw):
    return Node("Window", *theme(), root, defaultfontcolor=TEXT, disabledfontcolor=DISABLED, **kw)


def write(name, node):
    with open(os.path.join(OUT, name), "w", encoding="utf-8") as out:
        out.write('<?xml version="1.0" encoding="utf-8"?>\n')
        out.write(node.render())


def caption_button(name, icon, hot, visible=None):
    # The glyph is the state image, so that a disabled button (a window busy with work it must finish)
    # shows the greyed glyph; disabled it fills nothing, so the window's border and the caption's line
    # under it stay whole.
    glyph = "14,14,26,26"
    return Btn(name=name, width=40, height=40, bkcolor="#00000000", hotbkcolor=hot, pushedbkcolor=PANEL,
               disabledbkcolor="#00000000", bordersize=0, borderround="0,0", normalimage=img(icon, dest=glyph),
               disabledimage=img(f"{icon}_dis", dest=glyph), visible=visible, tooltip="${%s}" % name)


def combo(name, width, items, selected=0, **kw):
    children = [Item(name=n, text=t, selected="true" if i == selected else None) for i, (n, t) in enumerate(items)]
    return Cmb(*children, name=name, width=width,
               dropbox=alist(bkcolor=RAISED, bordersize=1, bordercolor=BORDER, inset="1,1,1,1"), **kw)


def menu_button(name, text, width):
    return Btn(name=name, text=text, width=width, textpadding="8,0,20,0", padding="0,8,0,8",
               foreimage=img("arrow_down", dest=f"{width - 18},10,{width - 8},16"))


def sep(height=None, width=1):
    return Ctl(width=width, height=height, bkcolor=BORDER)


def gap(width=None, height=None):
    return Ctl(width=width, height=height)


# ---------------------------------------------------------------------------------------------------
# The main window: caption, left column (amplifier and speakers), right panel (EQ), output strips.

SOURCES = ["source_opt", "source_coax", "source_bt", "source_aux", "source_low", "source_hi", "source_dmp",
           "source_udp", "source_scp"]


def main_caption():
    return H(
        Ctl(width=22, height=22, padding="0,9,0,9", bkimage=img("logo")),
        Lbl(text="VR ZOD Evoda", width=128, font=3, textcolor=TEXT, padding="10,0,0,0"),
        Ctl(width=1, height=20, bkcolor=BORDER, padding="0,10,0,10"),
        SBtn(name="btnConnect", text="${btn_disconnected}", width=132, height=26, padding="4,7,0,7",
             textcolor=DANGER, selectedbkcolor="#FF1E3327", selectedtextcolor=TEXT, textpadding="22,0,6,0",
             foreimage=img("dot_off", dest="10,9,18,17"), selectedforeimage=img("dot_on", dest="10,9,18,17")),
        menu_button("btn_scene", "${menu_scene}", 100),
        menu_button("btn_option", "${menu_option}", 100),
        menu_button("btn_advance", "${menu_advance}", 112),
        Btn(name="btn_irc", text="${auto_calibration}", width=112, padding="0,8,0,8"),
        Btn(name="btn_debug", text="${debug}", width=72, visible="false", padding="0,8,0,8"),
        gap(),
        caption_button("minbtn", "icon_min", HOVER),
        caption_button("closebtn", "icon_close", DANGER),
        name="caption", height=40, bkcolor=PANEL, bordersize="0,0,0,1", bordercolor=BORDER,
        inset="12,0,0,0", childpadding=8)


def amplifier_panel():
    def switch(name, text):
        return SBtn(name=name, text=text, selectedbkcolor="#FF2A2F37", selectedtextcolor=TEXT,
                    textcolor=DANGER, selectedforeimage=img("dot_on", dest="6,8,12,14"),
                    foreimage=img("dot_off", dest="6,8,12,14"), textpadding="14,0,2,0", font=1, height=22)
    return V(
        H(Lbl(text="${input_source}", width=78, font=1, endellipsis="true"),
          combo("btn_input_source", None, [(n, "${%s}" % n) for n in SOURCES], selected=5),
          height=22, childpadding=6),
        H(Lbl(text="${main_volume}", width=78, font=1, endellipsis="true"),
          Sld(name="slider_main_volume", min=0, max=40, value=30, padding="0,3,0,3", step=1),
          Edt(name="edit_main_volume", width=40, text="30"),
          Opt(name="main_mute", width=24, height=22, bkcolor="#00000000", bordersize=0, selectedbkcolor="#00000000",
              normalimage=img("mute_off", dest="4,3,20,19"), hotimage=img("mute_hot", dest="4,3,20,19"),
              selectedimage=img("mute_on", dest="4,3,20,19"), tooltip="${mute}"),
          height=22, childpadding=6),
        H(switch("btn_amp_onoff", "${amp_on}"), switch("btn_noise_gate", "${btn_noise_gate_off}"),
          height=22, childpadding=6),
        H(switch("btn_rem_out1_onoff", "${rem_out1_on}"), switch("btn_rem_out2_onoff", "${rem_out2_on}"),
          switch("btn_2ohm_spk", "${btn_4ohm_spk}"), height=22, childpadding=6),
        name="amplifier_panel", height=115, bkcolor=PANEL, bordersize=1, bordercolor=BORDER, borderround="4,4",
        inset="8,6,8,6", childpadding=5)


# Language key of each speaker position's name (the output buttons show the same names).
POSITION_NAMES = ["empty", "front_left_tweeter", "front_left_midrange", "front_left_woofer", "front_left_mid_twee",
                  "front_left_mid_woof", "front_left_full", "front_right_tweeter", "front_right_midrange",
                  "front_right_woofer", "front_right_mid_twee", "front_right_mid_woof", "front_right_full",
                  "rear_left_tweeter", "rear_left_woofer", "rear_left_full", "rear_right_tweeter", "rear_right_woofer",
                  "rear_right_full", "center_tweeter", "center_woofer", "center_full", "left_subwoofer_freq",
                  "right_subwoofer_freq", "subwoofer_freq"]

# Speaker positions on the car plan (269 x 220): marker top-left and which side the delay edit takes.
PLAN_W, PLAN_H = 269, 220
CAR_LEFT = (PLAN_W - 138) // 2
LEFT_X, RIGHT_X, CENTRE_X = 70, 185, 128
FRONT_Y = [27, 45, 63, 81, 99, 117]
REAR_Y = [143, 161, 179]


def speaker_places():
    places = {}
    for i, y in enumerate(FRONT_Y):
        places[1 + i] = (LEFT_X, y, "left")
        places[7 + i] = (RIGHT_X, y, "right")
    for i, y in enumerate(REAR_Y):
        places[13 + i] = (LEFT_X, y, "left")
        places[16 + i] = (RIGHT_X, y, "right")
    for i, y in enumerate([23, 41, 59]):
        places[19 + i] = (CENTRE_X, y, "inside")
    places[22] = (LEFT_X, 197, "left")
    places[23] = (RIGHT_X, 197, "right")
    places[24] = (CENTRE_X, 190, "inside")
    return places


def speaker_plan():
    nodes = [Ctl(name="car", float="true", pos=f"{CAR_LEFT},0,{CAR_LEFT + 138},{PLAN_H}", bkimage=img("car"),
                 mouse="false")]
    for m, (x, y, side) in sorted(speaker_places().items()):
        mid = y + 7
        if side == "left":
            edit, con = (10, mid - 8, 50, mid + 8), (50, mid, x, mid + 1)
        elif side == "right":
            edit, con = (x + 34, mid - 8, x + 74, mid + 8), (x + 14, mid, x + 34, mid + 1)
        else:
            edit, con = (x + 20, mid - 8, x + 56, mid + 8), (x + 14, mid, x + 20, mid + 1)
        nodes.append(Ctl(name=f"spk_con_{m}", float="true", pos="%d,%d,%d,%d" % con, bkcolor=SECONDARY,
                         mouse="false"))
        nodes.append(Edt(name=f"spk_delay_{m}", float="true", pos="%d,%d,%d,%d" % edit, font=1, height=16,
                         textpadding="2,1,2,1", userdata=m))
        nodes.append(Opt(name=f"speaker_{m}", float="true", pos=f"{x},{y},{x + 14},{y + 14}", userdata=m,
                         bkcolor="#00000000", bordersize=0, selectedbkcolor="#00000000", normalimage=img("marker"),
                         hotimage=img("marker_hot"), selectedimage=img("marker_sel"), tooltip="${%s}" % POSITION_NAMES[m]))
    return Node("Container", *nodes, name="speaker_plan", width=PLAN_W, height=PLAN_H, bkcolor=PLOT,
                borderround="3,3")


def speaker_panel():
    return V(
        speaker_plan(),
        H(combo("comb_ch_unit", 64, [("unit_ms", "ms"), ("unit_cm", "cm"), ("unit_inch", "inch")]),
          Btn(name="btn_delay_down", width=28, foreimage=img("arrow_dn", dest="9,9,19,15"), tooltip="${delay_down}"),
          Btn(name="btn_delay_up", width=28, foreimage=img("arrow_up", dest="9,9,19,15"), tooltip="${delay_up}"),
          gap(),
          Btn(name="btn_reset_output", text="${reset_output}", width=120, font=1),
          height=24, childpadding=4),
        H(SBtn(name="btn_lock_output", text="${lock_output}", font=1),
          SBtn(name="btn_link_output", text="${link_output}", font=1),
          Btn(name="btn_link_select", text="${link_select}", font=1),
          height=24, childpadding=4),
        name="speaker_panel", bkcolor=PANEL, bordersize=1, bordercolor=BORDER, borderround="4,4",
        inset="8,8,8,8", childpadding=6)


FILTER_TYPES = [("type_bw", "${filter_butterworth}"), ("type_lr", "${filter_linkwitz}"),
                ("type_bessel", "${filter_bessel}")]


def filter_types(prefix):
    return [(f"{prefix}_{name}", text) for name, text in FILTER_TYPES]


def slopes(prefix):
    return [(f"{prefix}_slope_{i}", "${slope_off}" if i == 0 else f"{6 * i} dB") for i in range(9)]


def eq_tools():
    def filter_group(kind, label):
        return [Lbl(text=label, width=30, font=4, textcolor=SECONDARY, align="right"),
                combo(f"{kind}_type", 104, filter_types(kind)),
                combo(f"{kind}_slop", 68, slopes(kind)),
                Edt(name=f"{kind}_freq", width=62, text="20Hz" if kind == "hp" else "20000Hz")]
    return H(
        Lbl(name="label_channel_name", text="CH1", width=44, font=2, textcolor=ACCENT),
        SBtn(name="btn_arg_eq", text="${geq_mode}", width=60),
        Btn(name="btn_bypass", text="${bypass_eq}", width=88),
        Btn(name="btn_reset_eq", text="${reset_eq}", width=84),
        gap(),
        *filter_group("hp", "${high_pass}"),
        gap(8),
        *filter_group("lp", "${low_pass}"),
        height=24, childpadding=6)


BANDS = 21


def band_grid(bands=BANDS):
    small = dict(height=18, font=1, textpadding="1,1,1,1")
    heads = V(Lbl(text="${band_freq}", height=18, font=1), Lbl(text="${band_q}", height=18, font=1),
              Lbl(text="${band_gain}", height=18, font=1), gap(height=None),
              Lbl(text="${band_on}", height=18, font=1), width=40, childpadding=4)
    columns = [heads]
    for k in range(bands):
        columns.append(V(
            Edt(name=f"eq_freq_{k}", userdata=k, **small),
            Edt(name=f"eq_q_{k}", userdata=k, **small),
            Edt(name=f"eq_gain_{k}", userdata=k, **small),
            H(gap(), Sld(name=f"eq_slider_{k}", userdata=k, width=18, height=0, hor="false", min=-180, max=120,
                         value=0, step=5, bkimage=img("track_v", corner="0,3,0,3"), foreimage="",
                         thumbimage=img("thumb_v"), thumbhotimage=img("thumb_v_hot"),
                         thumbpushedimage=img("thumb_v_hot"), thumbsize="18,10"), gap()),
            SBtn(name=f"pt_enable_{k}", userdata=k, text=str(k + 1), height=18, font=1, selected="true",
                 textcolor=DISABLED, bkcolor=PANEL, selectedbkcolor=ACCENT_DIM, selectedtextcolor=ACCENT,
                 textpadding="0,0,0,0"),
            width=41, childpadding=4))
    return H(*columns, name="band_grid", height=148, childpadding=0)


def eq_panel():
    return V(
        eq_tools(),
        Node("Curve", name="equalizer", bkcolor=PLOT, font=1, bypassfont=5, align="center",
             curvecolor=" ".join(CURVES), bordersize=1, bordercolor=BORDER),
        band_grid(),
        name="eq_panel", bkcolor=PANEL, bordersize=1, bordercolor=BORDER, borderround="4,4",
        inset="8,8,8,8", childpadding=6)


def main_layout():
    body = V(
        H(V(amplifier_panel(), speaker_panel(), width=285, childpadding=8),
          eq_panel(), childpadding=8),
        Node("Container", name="channel_settings", height=167),
        inset="8,8,8,8", childpadding=8)
    root = V(main_caption(), body, name="root", bkcolor=BG)
    return window(root, size="1230,650", caption="0,0,0,40")


# The output strips: five bridge pairs of two outputs each.

def output_column(n):
    icon = dict(width=20, height=20, bkcolor="#00000000", bordersize=0, selectedbkcolor="#00000000",
                hotbkcolor=HOVER)
    routing = [Chk(name=f"option_ch_in{j}_{n}", width=12, height=12, textpadding="0,0,0,0",
                   normalimage=img("check_off", dest="0,0,12,12"), hotimage=img("check_off_hot", dest="0,0,12,12"),
                   selectedimage=img("check_on", dest="0,0,12,12"),
                   selectedhotimage=img("check_on_hot", dest="0,0,12,12"),
                   disabledimage=img("check_disabled", dest="0,0,12,12"), tooltip="${input_%d}" % (j + 1))
               for j in range(8)]
    return V(
        H(Opt(name=f"ch_enable_{n}", text=f"CH{n + 1}", userdata=n, height=20, font=4, textpadding="0,0,0,0"),
          Opt(name=f"ch_show_{n}", userdata=n, normalimage=img("eye_off", dest="2,2,18,18"),
              hotimage=img("eye_hot", dest="2,2,18,18"), selectedimage=img("eye_on", dest="2,2,18,18"),
              tooltip="${show_curve}", **icon),
          Opt(name=f"ch_synchronize_{n}", userdata=n, normalimage=img("link_off", dest="2,2,18,18"),
              hotimage=img("link_hot", dest="2,2,18,18"), selectedimage=img("link_on", dest="2,2,18,18"),
              tooltip="${synchronize}", **icon),
          Opt(name=f"ch_mute_{n}", userdata=n, normalimage=img("mute_off", dest="2,2,18,18"),
              hotimage=img("mute_hot", dest="2,2,18,18"), selectedimage=img("mute_on", dest="2,2,18,18"),
              tooltip="${mute}", **icon),
          height=20, childpadding=2),
        Btn(name=f"ch_output_btn_{n}", text="${empty}", userdata=n, height=20, font=1, textpadding="4,0,4,0"),
        H(Sld(name=f"slider_ch_volume_{n}", userdata=n, min=-600, max=0, value=0, step=10, padding="0,2,0,2"),
          Edt(name=f"edit_ch_volume_{n}", userdata=n, width=46, height=20, font=1, text="0dB",
              textpadding="2,1,2,1"),
          height=20, childpadding=4),
        Opt(name=f"ch_phase_{n}", userdata=n, text="${positive_phase}", height=20, font=1,
            selectedbkcolor=ACCENT_DIM, selectedtextcolor=ACCENT),
        H(Lbl(name=f"delay_lable_{n}", text="", bkimage=img("delay", dest="0,2,16,18"), tooltip="${delay}"),
          Sld(name=f"slider_ch_delay_{n}", userdata=n, min=0, max=15000, value=0, step=21, padding="0,2,0,2",
              visible="false"),
          Edt(name=f"edit_ch_delay_{n}", userdata=n, width=62, height=20, font=1, text="0.000 ms",
              textpadding="2,1,2,1"),
          height=20, childpadding=4),
        H(*routing, Ctl(name=f"input_123_{n}", visible="false"), Ctl(name=f"input_456_{n}", visible="false"),
          height=12, childpadding=1),
        Ctl(name=f"control_empty_{n}"),
        name=f"ch_volume_bg_{n}", bkcolor=STRIP, inset="4,4,4,4", childpadding=3, borderround="3,3")


def channel_layout():
    pairs = []
    for p in range(5):
        pairs.append(V(
            H(gap(), SBtn(name=f"ch_bridge_{p}", userdata=p, text="${bridge}", width=120, height=20, font=1),
              gap(), height=20),
            H(output_column(2 * p), output_column(2 * p + 1), childpadding=4),
            bkcolor=PANEL, bordersize=1, bordercolor=BORDER, borderround="4,4", inset="4,4,4,4", childpadding=4))
    return Node("Window", H(*pairs, name="channel_strips", childpadding=8))


# ---------------------------------------------------------------------------------------------------
# Dialogs.

def dialog_caption(title_name, title):
    return H(Lbl(name=title_name, text=title, font=2, textcolor=TEXT, endellipsis="true"),
             caption_button("closebtn", "icon_close", DANGER),
             height=40, inset="16,0,0,0", bordersize="0,0,0,1", bordercolor=BORDER)


# Dialog buttons are 100 wide, and wider where a language's caption needs it.
def primary(name, text):
    return Btn(name=name, text=text, autocalcwidth="true", minwidth=100, height=28, bkcolor=ACCENT,
               hotbkcolor=ACCENT_HOT, pushedbkcolor="#FFD9B514", textcolor=ON_ACCENT, bordercolor=ACCENT,
               focusbordercolor=TEXT, font=4)


def secondary(name, text, visible=None):
    return Btn(name=name, text=text, autocalcwidth="true", minwidth=100, height=28, visible=visible)


def msg_layout():
    root = V(
        dialog_caption("MessageTitle", "${tips}"),
        H(Ctl(width=32, height=32, bkimage=img("notice")),
          Lbl(name="MessageText", text="", textcolor=TEXT, wordbreak="true", padding="14,6,0,0"),
          inset="20,18,20,8"),
        H(gap(), secondary("third_btn", "${default}", "false"), secondary("cancel_btn", "${cancel}"),
          primary("confirm_btn", "${confirm}"), height=52, inset="20,8,20,16", childpadding=8),
        name="root", bkcolor=PANEL, bordersize=1, bordercolor=BORDER)
    return window(root, size="440,210", caption="0,0,0,40", roundcorner="6,6")


def loading_layout():
    root = V(
        Lbl(name="MessageTitle", text="", height=0, visible="false"),
        # The ring turns its picture a tenth of a turn every 100 ms while the popup is open.
        H(gap(), E("Ring")(name="busy_ring", width=44, height=44, bkimage="img/busy.png"), gap(), height=44,
          padding="0,24,0,0"),
        Lbl(name="MessageText", text="${loading}", height=40, align="center", textcolor=TEXT, padding="12,10,12,0"),
        name="root", bkcolor=PANEL, bordersize=1, bordercolor=BORDER)
    return window(root, size="260,140", roundcorner="6,6")


def dialog(name_title, title, body, buttons, size, **kw):
    """A dialog: caption with title and close button, a body, a row of buttons on the right."""
    root = V(dialog_caption(name_title, title), body,
             H(gap(), *buttons, height=52, inset="20,8,20,16", childpadding=8),
             name="root", bkcolor=PANEL, bordersize=1, bordercolor=BORDER, **kw)
    return window(root, size=size, caption="0,0,0,40", roundcorner="6,6")


def scene_layout():
    # The row's own colour (hover, selection, the current scene's amber) shows as a stripe at its left and
    # tints the cells, whose translucent panel keeps the light text readable on all of them.
    cell = dict(bkcolor="#B81D2127", textcolor=TEXT)
    rows = [Node("ListContainerElement",
                 Lbl(text=str(i + 1), align="center", **cell),
                 Lbl(name="value", text="", endellipsis="true", textpadding="8,0,4,0", **cell),
                 name=f"listitem{i + 1}", height=30, inset="3,0,0,0") for i in range(10)]
    header = Node("ListHeader",
                  Node("ListHeaderItem", text="${scene_no}", width=60, textcolor=SECONDARY, font=1,
                       textpadding="4,0,0,0", align="center"),
                  Node("ListHeaderItem", text="${scene_name}", width=343, textcolor=SECONDARY, font=1,
                       textpadding="8,0,0,0", align="left"),
                  name="list_header", height=25, bkcolor=RAISED, bordersize="0,0,0,1", bordercolor=BORDER)
    listview = Node("List", header, *rows, name="listview", bkcolor=PLOT, bordersize=1, bordercolor=BORDER,
                    itemhotbkcolor=HOVER, itemselectedbkcolor=HOVER, itemtextcolor=TEXT, itemselectedtextcolor=TEXT,
                    itemhottextcolor=TEXT, itemlinecolor=BORDER, vscrollbar="false")
    body = V(listview, Lbl(name="MessageText", text="", visible="false"), inset="16,12,16,0")
    return dialog("MessageTitle", "${load_scene}", body,
                  [secondary("cancel_btn", "${exit}"), primary("confirm_btn", "${load}")], "440,432")


def name_layout():
    body = V(Lbl(name="MessageText", text="${scene_name_prompt}", height=22, textcolor=TEXT),
             Edt(name="name_edt", maxchar=7, height=26, align="left", textpadding="6,3,6,3"),
             inset="20,14,20,0", childpadding=8)
    return dialog("MessageTitle", "${scene_name_title}", body,
                  [secondary("third_btn", "${default}", "false"), secondary("cancel_btn", "${cancel}"),
                   primary("confirm_btn", "${confirm}")], "380,190")


def checkbox_msg_layout():
    body = V(Lbl(name="MessageText", text="${link_tips}", textcolor=TEXT, wordbreak="true", height=40),
             Opt(name="check_box_0", text="${copy_left_to_right}", group="copy_side", height=24, font=0,
                 **CHECK_LOOK),
             Opt(name="check_box_1", text="${copy_right_to_left}", group="copy_side", height=24, font=0,
                 **CHECK_LOOK),
             inset="20,16,20,0", childpadding=6)
    return dialog("MessageTitle", "${tips}", body,
                  [secondary("cancel_btn", "${cancel}"), primary("confirm_btn", "${confirm}")], "440,240")


def about_layout():
    body = V(H(Ctl(width=22, height=22, bkimage=img("logo")),
               Lbl(name="company_title", text="VR ZOD Evoda", visible="false"),
               Lbl(text="VR ZOD Evoda", font=3, textcolor=TEXT, padding="10,0,0,0"), height=24),
             Lbl(name="fw_version", text="KTR3.500DSP", textcolor=TEXT, height=22),
             Lbl(name="soft_version", text="${soft_version}", height=22),
             Lbl(name="inner_fw_version", text="${inner_fw_version}", height=22),
             inset="24,18,24,0", childpadding=6)
    return dialog("MessageTitle", "${about_title}", body, [primary("confirm_btn", "${confirm}")], "420,250")


def progress(name):
    return Node("Progress", name=name, height=8, min=0, max=100, value=0, bkcolor=PLOT, forecolor=ACCENT,
                borderround="4,4")


def update_fw_layout():
    body = V(Lbl(text="${firmware_file}", height=20, font=1),
             H(Edt(name="file_path_edt", readonly="true", align="left", height=26, textpadding="6,3,6,3",
                   tipvalue="${choose_firmware_file}", tipvaluecolor=DISABLED),
               Btn(name="file_btn", text="${browse}", width=96, height=26), height=26, childpadding=8),
             progress("progress"),
             Lbl(name="update_tips", text="", textcolor=TEXT, height=22),
             inset="20,14,20,0", childpadding=8)
    return dialog("MessageTitle", "${update_fw_title}", body,
                  [secondary("cancel_btn", "${cancel}"), primary("update_btn", "${start_update}")], "560,250")


def force_update_layout():
    def stage(label, name, file):
        return V(H(Lbl(text=label, width=110, font=4), Lbl(name=file, text="", font=1, endellipsis="true"),
                   height=20),
                 progress(name), height=34, childpadding=6)
    body = V(Lbl(text="${force_update_text}", textcolor=TEXT, wordbreak="true", height=36),
             stage("${mcu_firmware}", "mcu_progress", "mcu_file"),
             stage("${dsp_firmware}", "flash_progress", "flash_file"),
             Chk(name="check_box_facotry", text="${factory_after_update}", height=22),
             Lbl(name="update_tips", text="", textcolor=ACCENT, height=22),
             inset="20,14,20,0", childpadding=10)
    return dialog("MessageTitle", "${force_update_title}", body,
                  [secondary("cancel_btn", "${cancel}"), primary("update_btn", "${start_update}")], "580,320")


def mem_layout():
    def row(label, name):
        return H(Lbl(text=label, width=80), Edt(name=name, align="left", height=26, textpadding="6,3,6,3",
                                                text="0x00000000"), height=26, childpadding=8)
    body = V(row("${address}", "addr_edit"), row("${data}", "data_edit"), inset="20,16,20,0", childpadding=10)
    return dialog("MessageTitle", "${mem_title}", body,
                  [secondary("read_btn", "${read}"), primary("write_btn", "${write}")], "380,200")


def poweroff_layout():
    body = V(H(Sld(name="slider_poweroff_delay", min=0, max=1000, value=0, step=10, padding="0,5,0,5"),
               Edt(name="value_edt", width=80, text="0 ms"), height=26, childpadding=10),
             inset="20,22,20,0")
    return dialog("MessageTitle", "${poweroff_title}", body,
                  [secondary("cancel_btn", "${cancel}"), primary("confirm_btn", "${confirm}")], "400,170")


def link_select_layout():
    sides = H(Opt(name="check_box_left", text="${copy_left_to_right}", group="link_side", selected="true"),
              Opt(name="check_box_right", text="${copy_right_to_left}", group="link_side"),
              height=26, childpadding=8)
    pairs = [Chk(name=f"check_box_{c}", text=f"CH{2 * c + 1} -> CH{2 * c + 2}", height=22) for c in range(4)]
    body = V(sides, *pairs, inset="20,14,20,0", childpadding=6)
    return dialog("MessageTitle", "${link_select_title}", body,
                  [secondary("cancel_btn", "${cancel}"), primary("confirm_btn", "${confirm}")], "420,290")


def tool_caption(title, minimise=True):
    return H(Lbl(text=title, font=2, textcolor=TEXT, endellipsis="true"),
             caption_button("minbtn", "icon_min", HOVER) if minimise else None,
             caption_button("closebtn", "icon_close", DANGER),
             height=40, inset="16,0,0,0", bordersize="0,0,0,1", bordercolor=BORDER)


def is_spring(node):
    return node is not None and node.tag == "Control" and not dict(node.pairs).get("width")


def tool_window(title, body, buttons, size, minimise=True):
    # Buttons stand at the right, unless the row places its own spring (some at the left, some at the right).
    lead = None if any(is_spring(b) for b in buttons or []) else gap()
    root = V(tool_caption(title, minimise), body,
             H(lead, *buttons, height=52, inset="16,8,16,16", childpadding=8) if buttons else None,
             name="root", bkcolor=PANEL, bordersize=1, bordercolor=BORDER)
    return window(root, size=size, caption="0,0,0,40")


def section(text):
    return Lbl(text=text, height=20, font=4, textcolor=SECONDARY)


def auto_cal_layout():
    # Each measured output's distance beside its name; a cell shows once its output has been measured.
    cells = [H(Lbl(text=f"CH{c + 1}", width=30, font=1),
               Lbl(name=f"ch_{c}: ", text="", visible="false", font=1, textcolor=TEXT),
               name=f"ch_distance_{c}", visible="false", width=100, height=18, childpadding=4) for c in range(10)]
    distances = H(Lbl(text="${irc_distances}", width=110, height=18, font=1, endellipsis="true"),
                  Node("TileLayout", *cells, columns=5, childpadding=4),
                  height=40, childpadding=8)
    channels = [H(Chk(name=f"ch_checkbox_{2 * r}", userdata=2 * r, text=f"CH{2 * r + 1}", selected="true"),
                  Chk(name=f"ch_checkbox_{2 * r + 1}", userdata=2 * r + 1, text=f"CH{2 * r + 2}", selected="true"),
                  height=20, childpadding=8) for r in range(5)]
    effects = []
    for row in range(3):
        effects.append(H(*[Opt(name=f"audio_effect_{3 * row + i}", text="${audio_effect_%d}" % (3 * row + i + 1),
                               group="audio_effect", height=24, font=1,
                               selected="true" if row == 0 and i == 0 else None) for i in range(3)],
                         height=24, childpadding=4))
    left = V(Node("CurveAc", name="equalizer_ac", bkcolor=PLOT, bordersize=1, bordercolor=BORDER),
             distances,
             Lbl(name="tips", text="", textcolor=TEXT, height=22),
             progress("progress"),
             childpadding=8)
    right = V(section("${irc_channels}"), *channels,
              section("${irc_display}"),
              H(Chk(name="display_eq", text="${irc_show_eq}", selected="true"),
                Chk(name="display_spk", text="${irc_show_spectrum}", selected="true"), height=20, childpadding=8),
              section("${irc_modules}"),
              H(Chk(name="irc_eq", text="EQ", selected="true"), Chk(name="irc_delay", text="${delay}", selected="true"),
                Chk(name="irc_phase", text="${irc_phase}", selected="true"), height=20, childpadding=6),
              section("${irc_effect}"), *effects,
              gap(),
              Btn(name="start_auto_cal", text="${start_irc}", height=30, bkcolor=ACCENT, hotbkcolor=ACCENT_HOT,
                  textcolor=ON_ACCENT, bordercolor=ACCENT, focusbordercolor=TEXT, font=4),
              H(Btn(name="irc_save_data", text="${irc_save}"), Btn(name="irc_cancel_data", text="${irc_discard}"),
                height=24, childpadding=8),
              width=270, bkcolor=RAISED, borderround="4,4", inset="12,10,12,12", childpadding=6)
    body = H(left, right, inset="16,12,16,16", childpadding=12)
    return tool_window("${auto_cal_title}", body, None, "1000,600")


def compressors_layout():
    columns = []
    for c in range(10):
        def value(label, kind, lo, hi, step, text):
            return [Lbl(text=label, height=18, font=1),
                    Sld(name=f"slider_{kind}_{c}", userdata=c, min=lo, max=hi, value=lo, step=step),
                    Edt(name=f"edit_{kind}_{c}", userdata=c, height=20, font=1, text=text, textpadding="2,1,2,1")]
        columns.append(V(
            Lbl(text=f"CH{c + 1}", height=22, font=4, textcolor=TEXT, align="center"),
            Chk(name=f"box_enable_{c}", userdata=c, text="${compressor_on}", font=1),
            *value("${threshold}", "threshold", 0, 1000, 10, "64.0dB"),
            *value("${attack}", "attack_time", 0, 1000, 10, "1000ms"),
            *value("${release}", "release_time", 0, 30000, 100, "30000ms"),
            name=f"column_{c}", bkcolor=STRIP, inset="6,6,6,8", childpadding=5, borderround="3,3"))
    body = H(*columns, inset="16,14,16,0", childpadding=6)
    return tool_window("${compressors_title}", body,
                       [secondary("third_btn", "${default}", "false"), secondary("cancel_btn", "${cancel}"),
                        primary("confirm_btn", "${confirm}")], "1000,380")


def noise_threshold_layout():
    groups = []
    for i in range(8):
        groups.append(V(Lbl(name=f"noise_{i}", text=" -100.0", height=18, font=1, align="center", textcolor=TEXT),
                        H(gap(), Node("Progress", name=f"progress_{i}", width=12, height=0, hor="false", min=-100, max=0,
                                      value=-100, bkcolor=PLOT, forecolor=CONNECTED, borderround="3,3"), gap()),
                        Lbl(name=f"in_{i}", text="${input_%d}" % (i + 1), height=18, font=1, align="center"),
                        name=f"prg_group_{i}", width=50, childpadding=4))
    body = V(H(Lbl(text="${noise_threshold_value}", width=150), Edt(name="value_edt", width=90, text="-50dBu"),
               gap(), height=24, childpadding=8),
             H(*groups, gap()),
             inset="16,14,16,0", childpadding=12)
    return tool_window("${noise_threshold_title}", body,
                       [secondary("cancel_btn", "${cancel}"), primary("confirm_btn", "${confirm}")], "420,360")


# The mixer: a header column group (input names, second source, input phase) and ten output columns of
# ten rows each. The window's height allows 56 per row with its separator and shrinks by 56 for every
# hidden row; the rows themselves have no height of their own but share what the window gives, so the
# rounding of many scaled heights can never push the last row under the buttons. Every column holds the
# same rows and separators, so the rows line up across the columns at any scale.
MIX_HEAD, MIX_COLUMN = 36, 84
VICE_ITEMS = [("0900", "${mixer_vice_none}")] + [(f"{src:02d}{ch:02d}", f"{code} {name}")
                                  for src, code, chans in [(0, "OPT", 2), (2, "BT", 2), (4, "RCA", 8), (5, "HI", 8),
                                                           (6, "DMP", 2)]
                                  for ch, name in enumerate(["L", "R"] if chans == 2 else
                                                            [str(i + 1) for i in range(chans)])]


def phase_option(name, height=18, **kw):
    dest = f"4,{(height - 14) // 2},18,{(height + 14) // 2}"
    return Opt(name=name, width=22, height=height, bkcolor="#00000000", hotbkcolor=HOVER, selectedbkcolor="#00000000",
               disabledbkcolor="#00000000", bordersize=0, normalimage=img("phase", dest=dest),
               selectedimage=img("phase_on", dest=dest), disabledimage=img("phase_dis", dest=dest),
               tooltip="${mixer_phase}", **kw)


def indicator(name, **kw):
    return Ctl(name=name, width=14, height=14, bkimage="on.png", **kw)


def centred(*lines, **kw):
    """Lines of fixed height in the middle of a row whose height the window decides."""
    return V(gap(), *lines, gap(), **kw)


def mixer_header_columns():
    def column(title, part, width, fill):
        items = [V(title, height=MIX_HEAD, inset="6,8,6,8")]
        for r in range(10):
            items.append(fill(r))
            if r < 9:
                items.append(Ctl(name=f"{part}_grap_{r}", height=1, bkcolor=BORDER))
        return V(*items, width=width)

    def title(r):
        # The second-source rows keep their own titles; the window names the source's inputs.
        text = "${mixer_extra_%d}" % (r - 7) if r >= 8 else ""
        return H(Lbl(name=f"title_label_{r}", text=text, textcolor=TEXT, endellipsis="true"),
                 name=f"left_box_{r}", inset="8,0,4,0")

    def second(r):
        if r < 8:
            return V(name=f"second_{r}")
        # The chosen source above, and under it a connector that carries it, at the gain shown, into
        # the row: a corner line from the selector down and along to an arrow head at the gain.
        k = r - 8
        items = [Item(name=f"vice_{k}_{tag}", text=text, userdata=tag) for tag, text in VICE_ITEMS]
        selector = Cmb(*items, name=f"cmb_csm_vice_source_{k}",
                       dropbox=alist(bkcolor=RAISED, bordersize=1, bordercolor=BORDER, inset="1,1,1,1",
                                     vscrollbarstyle="vice_scroll"),
                       dropboxsize="0,300")
        connector = H(Ctl(name=f"line_1_{k}", width=1, height=11, bkcolor=SECONDARY, padding="8,0,0,0"),
                      Ctl(name=f"line_0_{k}", height=1, bkcolor=SECONDARY, padding="0,10,0,0"),
                      Ctl(name=f"arrow_up_{k}", width=6, height=8, bkimage=img("flow_arrow"), padding="0,7,0,0"),
                      Edt(name=f"csm_vice_gain_edit_{k}", width=48, height=20, font=1, text="0dB", readonly="true",
                          mouse="false", keyboard="false", bkcolor="#00000000", nativebkcolor=PANEL, bordersize=0,
                          align="left", textpadding="4,0,0,0", padding="0,1,0,1"),
                      height=22)
        return centred(selector, connector, name=f"second_{r}", inset="4,0,6,0")

    def in_phase(r):
        return centred(H(phase_option(f"in_phase_{r}"), indicator(f"in_distort_{r}", padding="0,2,0,2"),
                         height=18, childpadding=6),
                       name=f"in_phase_box_{r}", inset="6,0,6,0")

    return [
        column(Node("Container", name="channel_name_area"), "left", 140, title),
        column(Lbl(text="${mixer_second_source}", font=1, endellipsis="true"), "second", 130, second),
        column(Lbl(text="${mixer_phase}", font=1, align="center", endellipsis="true"), "in_phase", 54, in_phase),
    ]


def mixer_output_column(c):
    # A cell: the routing switch beside the level slider, the level edit beside the (read-only) phase.
    items = [V(H(Lbl(text=f"CH{c + 1}", font=4, textcolor=TEXT), indicator(f"out_distort_{c}"),
                 height=20, padding="0,8,0,8"), height=MIX_HEAD, inset="8,0,6,0")]
    for r in range(10):
        items.append(centred(
            H(Chk(name=f"box_enable_{c}_{r}", width=16, height=16, textpadding="0,0,0,0", tooltip="${mixer_route}",
                  normalimage=img("check_off", dest="1,1,15,15"), hotimage=img("check_off_hot", dest="1,1,15,15"),
                  selectedimage=img("check_on", dest="1,1,15,15"),
                  selectedhotimage=img("check_on_hot", dest="1,1,15,15"), padding="0,1,0,1"),
              Sld(name=f"box_volume_{c}_{r}", min=0, max=100, value=0, step=1, padding="0,1,0,1"),
              height=18, childpadding=3),
            H(Edt(name=f"box_edit_{c}_{r}", height=20, font=1, text="0", textpadding="2,1,2,1"),
              phase_option(f"box_phase_{c}_{r}", height=20), height=20, childpadding=2),
            name=f"box_{c}_{r}", inset="5,0,5,0", childpadding=4))
        if r < 9:
            items.append(Ctl(name=f"box_grap_{c}_{r}", height=1, bkcolor=BORDER))
    return V(*items, name=f"column_{c}", width=MIX_COLUMN, bkcolor=STRIP if c % 2 == 0 else PANEL)


def mixer_layout():
    # Ten rows of 56 and the least around them, so that the tallest matrix still fits a 1080-pixel screen
    # at 150 %: the buttons share the bottom row with the bridges, under the header columns.
    bridges = [Opt(name=f"ch_bridge_{p}", userdata=p, text="${bridge}", width=2 * MIX_COLUMN - 8, height=22, font=1,
                   padding="4,7,4,7") for p in range(5)]
    matrix = H(*mixer_header_columns(), *[mixer_output_column(c) for c in range(10)])
    buttons = H(secondary("third_btn", "${default}", "false"), secondary("cancel_btn", "${cancel}"),
                primary("confirm_btn", "${confirm}"), gap(), width=324, padding="0,4,0,4", childpadding=8)
    bottom_row = H(buttons, *bridges, height=44, inset="0,4,0,4")
    body = V(matrix, bottom_row, inset="16,4,16,0", bkcolor=PANEL)
    root = V(tool_caption("${mixer_title}"), body,
             Btn(name="maxbtn", visible="false"), Btn(name="restorebtn", visible="false"),
             name="root", bkcolor=PANEL, bordersize=1, bordercolor=BORDER)
    # The second-source list is longer than its drop box: a slim scroll bar in the palette.
    thumb = dict(corner="0,4,0,4")
    scroll = Node("Style", name="vice_scroll",
                  value=alist(width=8, showbutton1="false", showbutton2="false", bkcolor=RAISED,
                              thumbnormalimage=img("scroll_thumb", **thumb), thumbhotimage=img("scroll_thumb_hot", **thumb),
                              thumbpushedimage=img("scroll_thumb_hot", **thumb)))
    return Node("Window", *theme(), scroll, root, size="1200,684", caption="0,0,0,40", defaultfontcolor=TEXT,
                disabledfontcolor=DISABLED)


def mixer_header(text):
    return Node("Window", V(Lbl(text=text, font=1, textcolor=SECONDARY, endellipsis="true"), height=20))


def value_row(label, kind, lo, hi, step, text, scale_label_width=120):
    return H(Lbl(text=label, width=scale_label_width),
             Sld(name=f"slider_{kind}", min=lo, max=hi, value=max(lo, min(0, hi)), step=step, padding="0,4,0,4"),
             Edt(name=f"edit_{kind}", width=80, text=text), height=24, childpadding=10)


def ktv_layout():
    # The ranges stay within what each command carries: one unsigned byte, the echo delay two bytes,
    # treble and bass one signed byte.
    # Top to bottom in the order Right moves the focus through the edits.
    rows = [value_row("${ktv_mic_volume}", "mic_volume", 0, 60, 1, "0dB"),
            value_row("${ktv_music_volume}", "bgmusic_volume", 0, 60, 1, "0dB"),
            value_row("${ktv_voice_changer}", "voice_changer", 0, 24, 1, "0"),
            value_row("${ktv_treble}", "treble", -12, 12, 1, "0"),
            value_row("${ktv_bass}", "bass", -12, 12, 1, "0"),
            value_row("${ktv_echo_level}", "echo_level", 0, 60, 1, "0dB"),
            value_row("${ktv_echo_delay}", "echo_delay", 0, 500, 10, "0ms"),
            value_row("${ktv_reverb_level}", "reverb_level", 0, 100, 1, "0"),
            value_row("${ktv_reverb_time}", "reverb_time", 0, 250, 5, "0ms")]
    body = V(Chk(name="option_howling_control", text="${ktv_howling}", height=24), *rows,
             Btn(name="maxbtn", visible="false"), Btn(name="restorebtn", visible="false"),
             inset="20,14,20,0", childpadding=10)
    return tool_window("${karaoke_title}", body, [primary("confirm_btn", "${confirm}")], "560,470")


def compressor_layout():
    # The ranges hold the amplifier's defaults: threshold 64 dB, ratio 100, 1000 ms, 30000 ms, knee 24 dB.
    rows = [value_row("${threshold}", "noise", 0, 1000, 10, "64.0dB"),
            value_row("${ratio}", "ratio", 10, 1000, 10, "100.0"),
            value_row("${attack}", "attack_time", 1, 1000, 10, "1000ms"),
            value_row("${release}", "release_time", 10, 30000, 100, "30000ms"),
            value_row("${soft_knee}", "soft_knee", 0, 300, 1, "24.0dB")]
    body = V(H(Lbl(name="curr_channel_text", text="CH1", font=2, textcolor=ACCENT, width=60),
               Opt(name="btn_bp", text="${bypass}", width=110), gap(), height=26),
             *rows, inset="20,14,20,0", childpadding=10)
    return tool_window("${compressor_title}", body, [primary("confirm_btn", "${confirm}")], "560,340")


def custom_eq_layout():
    body = V(Node("Curve", name="equalizer", bkcolor=PLOT, font=1, bypassfont=5, align="center",
                  curvecolor=CURVES[0], bordersize=1, bordercolor=BORDER),
             band_grid(20),
             inset="16,12,16,0", childpadding=8)
    return tool_window("${custom_eq_title}", body,
                       [Btn(name="btn_reset_custom_eq", text="${factory_eq}", width=140, height=28),
                        Btn(name="btn_reset_eq", text="${reset_eq}", width=110, height=28), gap(24),
                        primary("confirm_btn", "${confirm}")], "894,520")


# The CS auto surround window: mode and speaker choices, two effect switches and a switch, slider and
# edit per surround channel. The window grows by 83 per input channel beyond six, so the channel rows
# share whatever height it has.
CS_AUTO_CHANNELS = ["cs_ch_front_left", "cs_ch_front_right", "cs_ch_center", "cs_ch_surround_left",
                    "cs_ch_surround_right", "cs_ch_rear_left", "cs_ch_rear_right", "cs_ch_subwoofer",
                    "cs_ch_dialog"]
CS_SPEAKER_ITEMS = ["${cs_spk_none}", "${cs_spk_large}", "40 Hz", "60 Hz", "70 Hz", "80 Hz", "100 Hz", "120 Hz"]


def cs_auto_layout():
    def choice(name, label, items, selected):
        return V(Lbl(text=label, height=18, font=1, endellipsis="true"),
                 combo(name, None, [(f"{name}_{i}", t) for i, t in enumerate(items)], selected=selected),
                 childpadding=4)
    toggle = dict(height=24, selectedbkcolor=ACCENT_DIM, selectedtextcolor=ACCENT, align="left",
                  textpadding="10,0,6,0")
    rows = [V(gap(), H(Opt(name=f"btn_auto_{i}", userdata=i, text="${%s}" % key, width=170, selected="true",
                           **toggle),
                       Sld(name=f"slider_auto_{i}", userdata=i, min=0, max=200, value=100, step=1, padding="0,4,0,4"),
                       Edt(name=f"edit_auto_{i}", userdata=i, width=70, text="1.000"),
                       height=24, childpadding=12), gap())
            for i, key in enumerate(CS_AUTO_CHANNELS)]
    body = V(H(choice("combo_mode", "${cs_auto_mode}", ["${cs_mode_music}", "${cs_mode_movie}", "${cs_mode_voice}",
                                                        "${cs_mode_stereo}"], 0),
               choice("combo_front", "${cs_auto_front}", CS_SPEAKER_ITEMS, 5),
               choice("combo_surround", "${cs_auto_surround}", CS_SPEAKER_ITEMS, 5),
               choice("combo_subwoofer", "${cs_auto_subwoofer}", CS_SPEAKER_ITEMS, 5),
               height=44, childpadding=12),
             H(Opt(name="btn_auto_9", userdata=9, text="${cs_auto_dialog}", width=190, selected="true", **toggle),
               Opt(name="btn_auto_10", userdata=10, text="${cs_auto_bass}", width=190, selected="true", **toggle),
               gap(), height=24, childpadding=8),
             sep(height=1, width=None),
             section("${cs_auto_levels}"),
             V(*rows),
             inset="16,12,16,0", childpadding=8)
    return tool_window("${cs_auto_title}", body,
                       [Btn(name="btn_restore_cs_auto", text="${cs_auto_restore}", width=150, height=28), gap(),
                        primary("confirm_btn", "${confirm}")], "620,640")


def popup_layout():
    body = V(Lbl(text="VR ZOD Evoda", font=3, textcolor=TEXT, height=30),
             Btn(name="homepage_btn", text="${homepage}", width=160, height=28),
             inset="20,16,20,0", childpadding=12)
    root = V(H(Btn(name="menubtn", width=40, height=40, bkcolor="#00000000", bordersize=0,
                   foreimage=img("arrow_down", dest="15,17,25,23")),
               gap(), caption_button("minbtn", "icon_min", HOVER),
               Btn(name="maxbtn", visible="false"), Btn(name="restorebtn", visible="false"),
               caption_button("closebtn", "icon_close", DANGER),
               height=40, bordersize="0,0,0,1", bordercolor=BORDER),
             body, name="root", bkcolor=PANEL, bordersize=1, bordercolor=BORDER)
    return window(root, size="400,170", caption="0,0,0,40")


# ---------------------------------------------------------------------------------------------------
# Menus: the popups of the main page's menu buttons.

MENU_ITEM = dict(height=26)


def menu_window(*items):
    # Sub-menus take the look from the "Menu" default of the menu that opens them.
    look = dict(bkcolor=RAISED, bordersize=1, bordercolor=BORDER, inset="1,4,1,4", itemtextcolor=TEXT,
                itemhottextcolor=TEXT, itemhotbkcolor=HOVER, itemselectedbkcolor=HOVER, itemselectedtextcolor=TEXT,
                itemdisabledtextcolor=DISABLED, itemtextpadding="30,0,24,0", itemfont=0)
    return Node("Window", Node("Default", name="ExplandIcon", value="img/arrow_right.png"),
                Node("Default", name="Menu", value=alist(**look)), *theme()[:6], Node("Menu", *items),
                defaultfontcolor=TEXT, disabledfontcolor=DISABLED)


def mitem(name, text, *children, **kw):
    return Node("MenuElement", *children, name=name, text=text, expland="true" if children else None,
                **MENU_ITEM, **kw)


def mline():
    return Node("MenuElement", linetype="true", linecolor=BORDER, linepadding="8,0,8,0", height=9)


POSITION_ITEMS = {
    "front_left": [("high_freq", "tweeter"), ("mid_freq", "midrange"), ("low_freq", "woofer"),
                   ("mid_high_freq", "midrange_tweeter"), ("mid_low_freq", "midrange_woofer"), ("all_freq", "full")],
    "rear_left": [("high_freq", "tweeter"), ("low_freq", "woofer"), ("all_freq", "full")],
    "center": [("high_freq", "tweeter"), ("low_freq", "woofer"), ("all_freq", "full")],
}


def position(prefix, suffix, key):
    return mitem(f"output_menu_{prefix}_{suffix}", "${%s}" % key, iconsize="18,18")


def output_menu():
    def side(area, where):
        items = POSITION_ITEMS["front_left" if area == "front" else "rear_left"]
        return mitem(f"output_menu_{area}_{where}", "${%s}" % where,
                     *[position(f"{area}_{where}", s, k) for s, k in items])
    return menu_window(
        mitem("output_item_empty", "${empty}", iconsize="18,18"),
        mline(),
        mitem("output_menu_front", "${front}", side("front", "left"), side("front", "right")),
        mitem("output_menu_rear", "${rear}", side("rear", "left"), side("rear", "right")),
        mitem("output_menu_center", "${center}", *[position("center", s, k) for s, k in POSITION_ITEMS["center"]]),
        mitem("output_menu_subwoof", "${subwoofer}",
              mitem("output_menu_subwoof_left", "${left_subwoofer}", iconsize="18,18"),
              mitem("output_menu_subwoof_right", "${right_subwoofer}", iconsize="18,18"),
              mitem("output_menu_subwoof_low", "${woofer}", iconsize="18,18")))


def option_menu():
    return menu_window(
        mitem("option_item_firmware_upgrade", "${firmware_upgrade}"),
        mitem("option_item_reset_default", "${reset_default}"),
        mline(),
        mitem("option_item_language", "${language}",
              mitem("option_item_language_en", "English"),
              mitem("option_item_language_cn", "中文"),
              mitem("option_item_language_ru", "Русский")),
        mline(),
        mitem("option_item_about", "${about}"))


def scene_menu():
    return menu_window(
        mitem("scene_item_load_scene", "${scene_load}"),
        mitem("scene_item_saveas_scene", "${scene_save_as}"),
        mitem("scene_item_delete_scene", "${scene_delete}"),
        mline(),
        mitem("scene_item_load_file", "${scene_load_file}"),
        mitem("scene_item_save_file", "${scene_save_file}"),
        mline(),
        mitem("scene_item_load_whole", "${whole_load_file}"),
        mitem("scene_item_save_whole", "${whole_save_file}"))


def advance_menu():
    return menu_window(
        mitem("advance_item_autocal", "${auto_calibration}"),
        mitem("advance_item_mixer", "${mixer}"),
        mitem("advance_item_compressors_on", "${compressors}"),
        mitem("advance_item_noise_threshold", "${noise_threshold}"),
        mitem("advance_item_poweroff_delay", "${poweroff_delay}"),
        mitem("advance_item_ktv", "${karaoke}"),
        mitem("advance_item_compressor", "${compressor}"))


# ---------------------------------------------------------------------------------------------------

def resource_table():
    layouts = [("XML_MAIN", "main.xml"), ("XML_MSG", "msg.xml"), ("XML_LOADING", "loading.xml"),
               ("XML_SENCE_PROFILE", "sence_profile.xml"), ("XML_MSG_NAME", "msg_name.xml"),
               ("XML_CHECKBOX_MSG", "checkbox_msg.xml"), ("XML_ABOUT", "about.xml"), ("XML_UPDATE_FW", "update_fw.xml"),
               ("XML_FORCE_UPDATE", "force_update.xml"), ("XML_MEM_WR", "mem_wr.xml"),
               ("XML_POWEROFF_DELAY", "poweroff_delay.xml"), ("XML_LINK_SEL", "link_sel.xml"),
               ("XML_AUTO_CAL", "auto_cal.xml"), ("XML_COMPRESSORS_ON", "compressors_on.xml"),
               ("XML_NOISE_THRESHOLD", "noise_threshold.xml"), ("XML_MIXER", "mixer.xml"),
               ("XML_KTV", "ktv.xml"), ("XML_COMPRESSOR", "compressor.xml"), ("XML_CUSTOM_EQ", "custom_eq.xml")]
    layouts += [("XML_CS_AUTO", "cs_auto.xml")]
    # Images the code names without their folder, registered at every scale the loader asks for.
    images = ["right", "on", "off"]
    suffixes = [""] + [f"@{s}" for s in SCALES]
    xml = [Node("Xml", id=i, path=f"xml/{p}") for i, p in layouts]
    pictures = [Node("Image", id=f"{n}{s}.png", path=f"img/{n}{s}.png") for n in images for s in suffixes]
    return Node("Res", Node("Layouts", *xml), Node("Images", *pictures))


def main():
    os.makedirs(OUT, exist_ok=True)
    write("res.xml", resource_table())
    write("main.xml", main_layout())
    write("channel_settings_6in_mixer.xml", channel_layout())
    write("msg.xml", msg_layout())
    write("loading.xml", loading_layout())
    write("sence_profile.xml", scene_layout())
    write("msg_name.xml", name_layout())
    write("checkbox_msg.xml", checkbox_msg_layout())
    write("about.xml", about_layout())
    write("update_fw.xml", update_fw_layout())
    write("force_update.xml", force_update_layout())
    write("mem_wr.xml", mem_layout())
    write("poweroff_delay.xml", poweroff_layout())
    write("link_sel.xml", link_select_layout())
    write("auto_cal.xml", auto_cal_layout())
    write("compressors_on.xml", compressors_layout())
    write("noise_threshold.xml", noise_threshold_layout())
    write("mixer.xml", mixer_layout())
    write("ktv.xml", ktv_layout())
    write("compressor.xml", compressor_layout())
    write("custom_eq.xml", custom_eq_layout())
    write("cs_auto.xml", cs_auto_layout())
    # Its window names the layout by file name, so it lies at the top of the archive.
    write(os.path.join("..", "popup.xml"), popup_layout())
    for kind, text in [("hi", "${mixer_inputs_hi}"), ("low", "${mixer_inputs_low}"), ("aux", "${mixer_inputs_aux}"),
                       ("2ch", "${mixer_inputs}")]:
        write(f"channel_name_area_{kind}_source.xml", mixer_header(text))
    write("output_menu.xml", output_menu())
    write("option_menu.xml", option_menu())
    write("scene_menu.xml", scene_menu())
    write("advance_menu.xml", advance_menu())


if __name__ == "__main__":
    main()
