#!/usr/bin/env python3
"""Checks the compiled resources of WrenboltConfig.exe (a .res file from
windres -O res) against the dialog the program must show: every item of
template 129 in order with its class, text, rectangle and styles, the
window's own styles, caption and font, and the icons, manifest, About box,
menu, accelerators and strings beside it.

Usage: check_dialog_resource.py FILE.res   (prints the items; exit 1 on a
difference)
"""
import struct
import sys

WS_POPUP, WS_CHILD, WS_VISIBLE = 0x80000000, 0x40000000, 0x10000000
WS_CAPTION, WS_BORDER, WS_VSCROLL = 0x00C00000, 0x00800000, 0x00200000
WS_SYSMENU, WS_GROUP, WS_TABSTOP = 0x00080000, 0x00020000, 0x00010000
DS_SETFONT, DS_MODALFRAME, DS_FIXEDSYS = 0x40, 0x80, 0x08
ES_RIGHT, ES_MULTILINE, ES_UPPERCASE = 0x2, 0x4, 0x8
ES_AUTOHSCROLL, ES_NUMBER = 0x80, 0x2000
BS_PUSHBUTTON, BS_AUTOCHECKBOX, BS_GROUPBOX = 0x0, 0x3, 0x7
CBS_DROPDOWN, SS_LEFT, WS_EX_RIGHT = 0x2, 0x0, 0x1000

BASE = WS_CHILD | WS_VISIBLE
NUMBER = BASE | ES_NUMBER | ES_RIGHT | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP
DECIMAL = BASE | ES_RIGHT | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP
MORSE_NUMBER = BASE | ES_NUMBER | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP
CHECK = BASE | BS_AUTOCHECKBOX | WS_TABSTOP
PUSH = BASE | BS_PUSHBUTTON | WS_TABSTOP
LABEL = BASE | SS_LEFT | WS_GROUP
GROUP = BASE | BS_GROUPBOX

# (id, class, text, x, y, w, h, style, extended style), in template order.
EXPECTED_ITEMS = [
    (1017, "Edit", "", 62, 9, 40, 14, NUMBER, 0),
    (1011, "Edit", "", 62, 25, 40, 14, NUMBER, 0),
    (1012, "Edit", "", 62, 41, 40, 14, NUMBER, 0),
    (1010, "Edit", "", 62, 57, 40, 14, NUMBER, 0),
    (1013, "Edit", "", 62, 106, 40, 14, DECIMAL, 0),
    (1018, "Edit", "", 62, 123, 40, 14, DECIMAL, 0),
    (1014, "Edit", "", 220, 123, 40, 14, DECIMAL, 0),
    (1015, "Edit", "", 125, 34, 163, 64,
     BASE | ES_MULTILINE | ES_AUTOHSCROLL | WS_VSCROLL | WS_BORDER | WS_TABSTOP, 0),
    (1023, "Edit", "", 220, 105, 40, 14, DECIMAL, 0),
    (1007, "Edit", "", 43, 151, 162, 14,
     BASE | ES_UPPERCASE | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 0),
    (1008, "Edit", "", 43, 168, 40, 14, MORSE_NUMBER, 0),
    (1009, "Edit", "", 163, 168, 40, 14, MORSE_NUMBER, 0),
    (1016, "Button", "Enable LED", 220, 141, 51, 10, CHECK, 0),
    (1000, "ComboBox", "", 9, 198, 48, 30, BASE | CBS_DROPDOWN | WS_VSCROLL | WS_TABSTOP, 0),
    (1001, "Button", "Read Version", 7, 212, 50, 14, PUSH, 0),
    (1002, "Button", "Read Config", 63, 197, 50, 14, PUSH, 0),
    (1003, "Button", "Write Config", 63, 212, 50, 14, PUSH, 0),
    (1004, "Button", "Save", 121, 198, 50, 14, PUSH, 0),
    (1005, "Button", "Load", 121, 213, 50, 14, PUSH, 0),
    (2, "Button", "Quit", 238, 212, 50, 14, PUSH, 0),
    (-1, "Button", "Configure", 7, 188, 110, 39, GROUP, 0),
    (1006, "Static", "Static", 134, 7, 154, 8, LABEL, WS_EX_RIGHT),
    (-1, "Static", "Text", 15, 154, 16, 8, LABEL, 0),
    (-1, "Static", "Speed", 17, 171, 21, 8, LABEL, 0),
    (-1, "Static", "WPM", 85, 171, 17, 8, LABEL, 0),
    (-1, "Static", "Tone", 141, 171, 17, 8, LABEL, 0),
    (-1, "Button", "Morse Code ID", 7, 141, 203, 45, GROUP, 0),
    (-1, "Static", "Tone Speed", 20, 60, 39, 8, LABEL, 0),
    (-1, "Static", "ms", 106, 60, 10, 8, LABEL, 0),
    (-1, "Static", "Tones Duration", 9, 28, 50, 8, LABEL, 0),
    (-1, "Static", "sec", 106, 28, 12, 8, LABEL, 0),
    (-1, "Static", "Loop Time", 25, 44, 33, 8, LABEL, 0),
    (-1, "Static", "sec", 106, 44, 12, 8, LABEL, 0),
    (-1, "Static", "TX Frequency", 15, 109, 45, 8, LABEL, 0),
    (-1, "Static", "MHz", 106, 109, 14, 8, LABEL, 0),
    (-1, "Static", "Calibration", 184, 126, 35, 8, LABEL, 0),
    (-1, "Static", "%", 264, 126, 8, 8, LABEL, 0),
    (-1, "Static", "Tones", 127, 23, 20, 8, LABEL, 0),
    (-1, "Static", "Pre Tones Delay", 7, 12, 53, 8, LABEL, 0),
    (-1, "Static", "sec", 106, 12, 12, 8, LABEL, 0),
    (-1, "Static", "RX Frequency", 15, 126, 46, 8, LABEL, 0),
    (-1, "Static", "MHz", 106, 126, 14, 8, LABEL, 0),
    (1019, "Button", "Random Tones", 220, 152, 63, 10, CHECK, 0),
    (1020, "Button", "Random Speed", 220, 163, 64, 10, CHECK, 0),
    (1021, "Button", "Random Morse", 220, 174, 63, 10, CHECK, 0),
    (1022, "Button", "Auto Start", 220, 185, 49, 10, CHECK, 0),
    (-1, "Static", "Unlock Code", 174, 109, 40, 8, LABEL, 0),
    (1024, "Edit", "", 62, 73, 40, 14, NUMBER, 0),
    (-1, "Static", "Initial Delay", 20, 76, 38, 8, LABEL, 0),
    (-1, "Static", "min", 106, 76, 12, 8, LABEL, 0),
    (1025, "Edit", "", 62, 89, 40, 14, NUMBER, 0),
    (-1, "Static", "Total Runtime", 13, 92, 45, 8, LABEL, 0),
    (-1, "Static", "min", 106, 92, 12, 8, LABEL, 0),
    (1026, "Button", "Disable RX", 220, 196, 49, 10, CHECK, 0),
]

TAB_ORDER = [1017, 1011, 1012, 1010, 1013, 1018, 1014, 1015, 1023, 1007, 1008,
             1009, 1016, 1000, 1001, 1002, 1003, 1004, 1005, 2, 1019, 1020,
             1021, 1022, 1024, 1025, 1026]

DIALOG_STYLE = DS_SETFONT | DS_MODALFRAME | DS_FIXEDSYS | WS_POPUP | WS_CAPTION | WS_SYSMENU
CLASS_ORDINALS = {0x80: "Button", 0x81: "Edit", 0x82: "Static", 0x83: "ListBox",
                  0x84: "ScrollBar", 0x85: "ComboBox"}
ICON_IMAGES = sorted([(16, 4), (32, 4), (16, 8), (32, 8), (48, 8), (16, 32), (32, 32), (48, 32)])
RT_ICON, RT_MENU, RT_DIALOG, RT_STRING, RT_ACCELERATOR = 3, 4, 5, 6, 9
RT_GROUP_ICON, RT_MANIFEST = 14, 24

errors = []


def check(condition, message):
    if not condition:
        errors.append(message)


def sz_or_ord(data, pos):
    """A resource name or ordinal; returns (value, position after it)."""
    first = struct.unpack_from("<H", data, pos)[0]
    if first == 0xFFFF:
        return struct.unpack_from("<H", data, pos + 2)[0], pos + 4
    end = pos
    while struct.unpack_from("<H", data, end)[0] != 0:
        end += 2
    return data[pos:end].decode("utf-16-le"), end + 2


def align4(pos):
    return (pos + 3) & ~3


def read_res(data):
    """{(type, name): [data, ...]} of a .res file."""
    resources = {}
    pos = 0
    while pos + 8 <= len(data):
        size, header = struct.unpack_from("<II", data, pos)
        rtype, p = sz_or_ord(data, pos + 8)
        name, p = sz_or_ord(data, p)
        body = data[pos + header:pos + header + size]
        if size:
            resources.setdefault((rtype, name), []).append(body)
        pos = align4(pos + header + size)
    return resources


def read_dialogex(data):
    version, signature, _help, exstyle, style, count, x, y, w, h = struct.unpack_from(
        "<HHIIIHhhhh", data, 0)
    if (version, signature) != (1, 0xFFFF):
        raise ValueError("not a DIALOGEX template")
    pos = 26
    menu, pos = sz_or_ord(data, pos)
    window_class, pos = sz_or_ord(data, pos)
    caption, pos = sz_or_ord(data, pos)
    font = None
    if style & DS_SETFONT:
        points, weight, italic, charset = struct.unpack_from("<HHBB", data, pos)
        face, pos = sz_or_ord(data, pos + 6)
        font = (points, face, weight, italic, charset)
    dialog = dict(exstyle=exstyle, style=style, rect=(x, y, w, h), menu=menu,
                  window_class=window_class, caption=caption, font=font)
    items = []
    for _ in range(count):
        pos = align4(pos)
        _help, ex, st, ix, iy, iw, ih, item_id = struct.unpack_from("<IIIhhhhi", data, pos)
        cls, pos = sz_or_ord(data, pos + 24)
        text, pos = sz_or_ord(data, pos)
        extra = struct.unpack_from("<H", data, pos)[0]
        pos += 2 + extra
        if isinstance(cls, int):
            cls = CLASS_ORDINALS.get(cls, f"#{cls:#x}")
        else:
            cls = {c.lower(): c for c in CLASS_ORDINALS.values()}.get(cls.lower(), cls)
        items.append((item_id, cls, text if isinstance(text, str) else f"#{text}",
                      ix, iy, iw, ih, st, ex))
    return dialog, items


def check_main_dialog(resources):
    templates = resources.get((RT_DIALOG, 129))
    check(templates is not None and len(templates) == 1, "dialog template 129 missing")
    if not templates:
        return
    dialog, items = read_dialogex(templates[0])
    check(dialog["style"] == DIALOG_STYLE, f"dialog style {dialog['style']:#x}")
    check(dialog["exstyle"] == 0, f"dialog extended style {dialog['exstyle']:#x}")
    check(dialog["rect"] == (0, 0, 295, 233), f"dialog rectangle {dialog['rect']}")
    check(dialog["caption"] == "Wrenbolt Config v1.8", f"caption {dialog['caption']!r}")
    check(dialog["menu"] == "" and dialog["window_class"] == "", "menu or class set")
    check(dialog["font"] == (8, "MS Shell Dlg", 400, 0, 1), f"font {dialog['font']}")
    check(len(items) == 54, f"{len(items)} items, not 54")
    for n, (got, want) in enumerate(zip(items, EXPECTED_ITEMS), 1):
        if got != want:
            check(False, f"item {n}: got {fmt(got)}\n          want {fmt(want)}")
    tab_stops = [item[0] for item in items if item[7] & WS_TABSTOP]
    check(tab_stops == TAB_ORDER, f"tab order {tab_stops}")
    for item in items:
        print(fmt(item))


def fmt(item):
    item_id, cls, text, x, y, w, h, style, ex = item
    return f"{item_id:5} {cls:9} {text!r:18} {x:3},{y:3},{w:3},{h:3} style {style:#010x} ex {ex:#x}"


def check_icons(resources):
    icons = {name for (rtype, name) in resources if rtype == RT_ICON}
    for group in (107, 108):
        data = resources.get((RT_GROUP_ICON, group))
        check(data is not None, f"icon group {group} missing")
        if not data:
            continue
        data = data[0]
        _reserved, kind, count = struct.unpack_from("<HHH", data, 0)
        images = []
        for i in range(count):
            w, h, _colours, _r, _planes, bpp, _size, icon_id = struct.unpack_from(
                "<BBBBHHIH", data, 6 + 14 * i)
            check(w == h, f"icon group {group}: {w}x{h} image")
            check(icon_id in icons, f"icon group {group}: image {icon_id} missing")
            images.append((w or 256, bpp))
        check(kind == 1, f"icon group {group}: type {kind}")
        check(sorted(images) == ICON_IMAGES, f"icon group {group}: images {sorted(images)}")


def check_manifest(resources):
    data = resources.get((RT_MANIFEST, 1))
    check(data is not None, "manifest 1 missing")
    if not data:
        return
    text = data[0].decode("utf-8")
    check('level="asInvoker"' in text and 'uiAccess="false"' in text,
          "manifest does not request asInvoker without UI access")
    check("<dependency" not in text, "manifest has a dependency")


def strings_of_block(data):
    out, pos = [], 0
    for _ in range(16):
        length = struct.unpack_from("<H", data, pos)[0]
        out.append(data[pos + 2:pos + 2 + 2 * length].decode("utf-16-le"))
        pos += 2 + 2 * length
    return out


def check_others(resources):
    check((RT_DIALOG, 103) in resources, "About dialog 103 missing")
    if (RT_DIALOG, 103) in resources:
        _dialog, items = read_dialogex(resources[(RT_DIALOG, 103)][0])
        texts = " ".join(item[2] for item in items)
        check("WrenboltConfig" in texts and "1.8" in texts, "About box without name and version")
    menu = resources.get((RT_MENU, 109))
    check(menu is not None, "menu 109 missing")
    if menu:
        ids = set()
        data = menu[0]
        pos = 4
        while pos + 2 <= len(data):  # items: flags, [id,] text
            flags = struct.unpack_from("<H", data, pos)[0]
            pos += 2
            if not flags & 0x10:  # not a popup: a command follows
                ids.add(struct.unpack_from("<H", data, pos)[0])
                pos += 2
            _text, pos = sz_or_ord(data, pos)
        check(ids == {104, 105}, f"menu commands {sorted(ids)}")
    accel = resources.get((RT_ACCELERATOR, 109))
    check(accel is not None, "accelerators 109 missing")
    if accel:
        data = accel[0]
        ids = {struct.unpack_from("<H", data, pos + 4)[0] for pos in range(0, len(data), 8)}
        check(ids == {104, 105}, f"accelerator commands {sorted(ids)}")
    block = resources.get((RT_STRING, 103 // 16 + 1))
    check(block is not None, "strings 103 and 109 missing")
    if block:
        strings = strings_of_block(block[0])
        check(strings[103 % 16] == "WrenboltConfig", f"string 103 {strings[103 % 16]!r}")
        check(strings[109 % 16] == "WrenboltConfig", f"string 109 {strings[109 % 16]!r}")


def main(argv):
    if len(argv) != 1:
        sys.exit(__doc__)
    with open(argv[0], "rb") as f:
        resources = read_res(f.read())
    check_main_dialog(resources)
    check_icons(resources)
    check_manifest(resources)
    check_others(resources)
    for error in errors:
        print("FAIL:", error)
    print(f"{0 if errors else 1} passed, {1 if errors else 0} failed")
    return 1 if errors else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
