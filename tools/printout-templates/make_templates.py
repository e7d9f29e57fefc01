#!/usr/bin/env python3
"""Writes the four templates of the material printouts into data/tisky/.

    tools/printout-templates/make_templates.py [output folder]

The templates are .pts files (windows-1250, CR LF, one comma-separated record per line).
The print dialogs attach their detail reports in a fixed order; a placeholder of detail n
(element kind 15) prints detail n where it stands, and the lines of detail n's own template
start with "D<n>,".

Geometry is in hundredths of an inch on A4 portrait (826 x 1169); font sizes in points.
Colours are 0x00BBGGRR values (or palette indexes 0..15).
"""

import os
import sys

# ---------------------------------------------------------------------------- look

PAPER_W, PAPER_H = 826, 1169
MARGIN_L, MARGIN_R, MARGIN_T, MARGIN_B = 70, 60, 55, 50
W = PAPER_W - MARGIN_L - MARGIN_R          # printable width: 696


def rgb(r, g, b):
    return (b << 16) | (g << 8) | r


INK = rgb(33, 37, 41)          # body text
ACCENT = rgb(18, 60, 105)      # headings, title rule
SUBTLE = rgb(98, 106, 120)     # captions, footer
BAND = rgb(232, 238, 245)      # heading bands
ZEBRA = rgb(246, 248, 251)     # group bands
RULE = rgb(205, 212, 222)      # thin table rules
WHITE = 15

FONT = "Arial"

# Text flags (with the alignment in the same field).
LEFT, RIGHT, CENTER = 0, 1, 2
MULTI, GROW = 0x10, 0x40
# Style bits.
BOLD, ITALIC = 1, 2
# Frame bits.
F_TOP, F_BOTTOM = 2, 8


def q(text):
    return '"' + text.replace('"', '""') + '"'


def text(sec, l, t, w, h, s, size=9, color=INK, style=0, align=LEFT, frame=0, cond=""):
    return (f"{sec},1,0,{l},{t},{w},{h},{FONT},{size},{color},{style},{align},{frame},238,"
            f"{q(s)},0,0,0,{q(cond)},0,\"\"")


def field(sec, name, l, t, w, h, size=9, color=INK, style=0, align=LEFT, frame=0, cond=""):
    return (f"{sec},2,{name},{l},{t},{w},{h},{FONT},{size},{color},{style},{align},{frame},238,"
            f"\"\",0,0,0,{q(cond)},0,\"\"")


def variable(sec, index, fmt, l, t, w, h, size=7, color=SUBTLE, style=0, align=LEFT):
    return (f"{sec},5,{index},{l},{t},{w},{h},{FONT},{size},{color},{style},{align},0,238,"
            f"{q(fmt)},0,0,0,\"\",0,\"\"")


def hline(sec, l, t, w, pen=1, color=RULE):
    # A horizontal rule along the top edge of a flat box.
    return f"{sec},7,0,{l},{t},{w},{pen + 1},,{pen},{color},0,{F_TOP},{WHITE},1,,,,,\"\",0,\"\""


def box(sec, l, t, w, h, color):
    return f"{sec},8,8,{l},{t},{w},{h},,0,{color},0,0,{color},0,,,,,\"\",0,\"\""


def detail(sec, n, h=1):
    return f"{sec},15,{n},0,0,{W},{h}"


# ---------------------------------------------------------------------------- settings

def settings(description, sections, groups=()):
    """sections: heights and flags of the five fixed sections as (visible, height, flags);
    groups: (expression, header visible, header height, footer visible, footer height)."""
    lines = [f"I,0,{q(description)}", "I,1,5,50,0",
             f"I,2,0,{PAPER_W},{PAPER_H},{MARGIN_L},{MARGIN_R},{MARGIN_T},{MARGIN_B},1,0"]
    for i, (visible, height, flags) in enumerate(sections):
        lines.append(f"I,3,{i},{visible},{height},{flags}")
    for i, (expr, hv, hh, fv, fh) in enumerate(groups):
        lines.append(f"I,4,{i},{q(expr)},{hv},{hh},{fv},{fh},0")
    lines.append("I,5,0")
    lines.append("I,6,0,8,8,0,1,0,0")
    return lines


# ---------------------------------------------------------------------------- master parts

def title_block(title):
    """The report header: the running head, the designation in large type, the standard
    and the material's name. Height 112."""
    s = "Z"
    return [
        text(s, 0, 0, 420, 14, "ORVALIS 2.1  ·  KATALOG KOVOVÝCH MATERIÁLŮ", size=7, color=SUBTLE, style=BOLD),
        text(s, 500, 0, 136, 14, "Vytištěno", size=7, color=SUBTLE, align=RIGHT),
        variable(s, 0, "d. m. yyyy", 641, 0, 55, 14, align=LEFT),
        hline(s, 0, 16, W, pen=3, color=ACCENT),
        text(s, 0, 24, W, 16, title.upper(), size=8, color=ACCENT, style=BOLD),
        field(s, "NormLabel", 0, 40, 470, 40, size=24, color=INK, style=BOLD),
        box(s, 480, 42, 216, 40, BAND),
        text(s, 490, 45, 200, 12, "Norma", size=7, color=SUBTLE),
        field(s, "NormName", 490, 58, 200, 20, size=11, color=ACCENT, style=BOLD),
        field(s, "MatName", 0, 86, W, 18, size=11, color=SUBTLE),
        hline(s, 0, 108, W, pen=1, color=RULE),
    ]


def page_header():
    """Pages after the first: what is printed, and a rule. Height 30."""
    s = "H"
    return [
        field(s, "NormLabel", 0, 0, 250, 16, size=9, color=ACCENT, style=BOLD),
        field(s, "NormName", 250, 1, 300, 15, size=8, color=SUBTLE),
        text(s, 550, 1, 146, 15, "pokračování", size=8, color=SUBTLE, style=ITALIC, align=RIGHT),
        hline(s, 0, 19, W, pen=1, color=RULE),
    ]


def page_footer():
    """Rule, the catalogue's name and the page numbers. Height 30."""
    s = "P"
    return [
        hline(s, 0, 6, W, pen=1, color=RULE),
        text(s, 0, 12, 460, 14, "Orvalis 2.1 – katalog kovových materiálů  ·  demoverze", size=7, color=SUBTLE),
        variable(s, 3, "Strana %d", 516, 12, 150, 14, align=RIGHT),
        variable(s, 4, "z %d", 670, 12, 26, 14, align=LEFT),
    ]


def closing(sec):
    """The end of the printout: a short source note. Height 40."""
    return [
        hline(sec, 0, 14, W, pen=1, color=RULE),
        text(sec, 0, 20, W, 14,
             "Údaje odpovídají uvedeným normám a slouží pro informaci; pro dodávku platí vždy "
             "platné znění normy a dodací podmínky.",
             size=7, color=SUBTLE, style=ITALIC),
    ]


def heading(sec, top, caption):
    """A section heading: a tinted band with an accent bar. Height 22 from top."""
    return [
        box(sec, 0, top, W, 20, BAND),
        box(sec, 0, top, 5, 20, ACCENT),
        text(sec, 14, top + 1, W - 20, 16, caption, size=10, color=ACCENT, style=BOLD),
    ]


def memo_block(sec, caption, name, condition, left=0, width=340):
    """A caption and a text that grows to its length; printed only when there is text."""
    return [
        text(sec, left, 10, width, 14, caption, size=8, color=ACCENT, style=BOLD, cond=condition),
        field(sec, name, left, 26, width, 15, size=9, color=INK, align=LEFT | MULTI | GROW, cond=condition),
    ]


def purpose_block(sec):
    lines = heading(sec, 10, "Použití")
    lines.append(field(sec, "MatPurposeAll", 14, 36, W - 14, 15, size=9, align=LEFT | MULTI | GROW))
    return lines


def notes_block(sec):
    """The material's note and the user's note side by side."""
    return (memo_block(sec, "Poznámka", "MatNotice", "LENGTH(#MatNotice)>0", 0, 340)
            + memo_block(sec, "Poznámka uživatele", "Text", "LENGTH(#Text)>0", 356, W - 356))


def source_block(sec):
    """Where the values come from: the standards and their editions, one a line."""
    return [
        text(sec, 0, 12, 120, 14, "Zdroj údajů", size=8, color=ACCENT, style=BOLD),
        field(sec, "MatSources", 120, 12, W - 120, 14, size=8, color=SUBTLE, align=LEFT | MULTI | GROW),
    ]


def shift(lines, dy):
    """The lines with their tops moved down by dy (the top is the fifth field)."""
    out = []
    for line in lines:
        parts = line.split(",", 5)
        parts[4] = str(int(parts[4]) + dy)
        out.append(",".join(parts))
    return out


def master(description, title, blocks):
    """blocks: (height, element lines of section T with tops from 0) stacked in the body.
    Details and growing texts each stand in a band of their own, so that whatever grows
    above moves the rest down."""
    body, y = [], 0
    for height, lines in blocks:
        body += shift(lines, y)
        y += height
    lines = settings(description, [(1, 112, 0), (1, 30, 1), (1, y, 0), (1, 44, 0), (1, 30, 0)])
    return lines + title_block(title) + page_header() + body + closing("K") + page_footer()


# ---------------------------------------------------------------------------- details

def table_head(sec, top, columns):
    """Column captions and a rule under them. columns: (caption, left, width, align)."""
    lines = [text(sec, l, top, w, 13, c, size=7, color=SUBTLE, style=BOLD, align=a) for c, l, w, a in columns]
    lines.append(hline(sec, 0, top + 14, W, pen=1, color=ACCENT))
    return lines


def detail_template(n, description, header, body, body_height, footer_height=12, groups=()):
    """header: lines of the detail's report header (with its height); body: lines of a row."""
    head_height, head_lines = header
    group_defs = [(g[0], 1, g[1], 0, 0) for g in groups]
    lines = settings(description, [(1, head_height, 0), (0, 0, 0), (1, body_height, 0),
                                   (1, footer_height, 0), (0, 0, 0)], group_defs)
    lines += head_lines + body
    for i, g in enumerate(groups):
        lines += g[2]
    return [f"D{n}," + line for line in lines]


def equivalents_detail(n):
    cols = [("Země", 10, 230, LEFT), ("Norma", 250, 200, LEFT), ("Označení", 460, 236, LEFT)]
    head = heading("Z", 12, "Ekvivalentní označení v zahraničních normách") + table_head("Z", 42, cols)
    body = [
        field("T", "CountryName", 10, 2, 230, 15, frame=0),
        field("T", "CompNormName", 250, 2, 200, 15, color=SUBTLE),
        field("T", "CompNormLabel", 460, 2, 236, 15, style=BOLD),
        hline("T", 0, 18, W, pen=1, color=RULE),
    ]
    return detail_template(n, "Ekvivalenty", (60, head), body, 20)


COMPOSITION_COLS = [("Prvek", 10, 200, LEFT), ("Min. [%]", 220, 140, RIGHT), ("Max. [%]", 370, 140, RIGHT),
                    ("Poznámka", 540, 156, LEFT)]


def composition_detail(n):
    head = heading("Z", 12, "Chemické složení (hmotnostní %)") + table_head("Z", 42, COMPOSITION_COLS)
    body = [
        field("T", "Name", 10, 2, 200, 15, style=BOLD),
        field("T", "MinText", 220, 2, 140, 15, align=RIGHT),
        field("T", "MaxText", 370, 2, 140, 15, align=RIGHT),
        field("T", "ZbytekText", 540, 2, 156, 15, color=ACCENT, style=ITALIC),
        hline("T", 0, 18, W, pen=1, color=RULE),
    ]
    return detail_template(n, "Chemické složení", (60, head), body, 20, footer_height=4)


def composition_notes_detail(n):
    head = [text("Z", 10, 6, W - 10, 14, "Poznámky ke složení", size=8, color=ACCENT, style=BOLD)]
    body = [
        field("T", "Name", 10, 1, 60, 14, size=8, style=BOLD),
        field("T", "Notice", 80, 1, W - 80, 14, size=8, color=INK, align=LEFT | MULTI | GROW),
    ]
    return detail_template(n, "Poznámky ke složení", (22, head), body, 16, footer_height=6)


def mechanical_detail(n):
    cols = [("Vlastnost", 24, 300, LEFT), ("Teplota", 330, 70, RIGHT), ("Hodnota", 410, 120, RIGHT),
            ("Jedn.", 552, 50, LEFT), ("Poznámka", 606, 90, LEFT)]
    head = heading("Z", 12, "Mechanické vlastnosti")
    semi = [
        box("S0", 0, 8, W, 20, ZEBRA),
        text("S0", 10, 11, 80, 15, "Polotovar:", size=9, color=SUBTLE),
        field("S0", "Polotovar", 90, 11, W - 100, 15, size=9, style=BOLD),
    ] + table_head("S0", 32, cols)
    dimension = [
        text("S1", 10, 5, 40, 14, "Stav", size=8, color=SUBTLE),
        field("S1", "StateName", 44, 5, 300, 14, size=8, color=ACCENT, style=BOLD),
        text("S1", 350, 5, 60, 14, "Rozměr", size=8, color=SUBTLE, cond="LENGTH(#Rozmer)>0"),
        field("S1", "Rozmer", 410, 5, 286, 14, size=8, color=ACCENT, style=BOLD),
    ]
    body = [
        field("T", "PropertyName", 24, 1, 300, 14),
        field("T", "Teplota", 330, 1, 70, 14, color=SUBTLE, align=RIGHT),
        field("T", "Hodnota", 410, 1, 120, 14, style=BOLD, align=RIGHT),
        field("T", "Jednotka", 552, 1, 50, 14, color=SUBTLE),
        field("T", "Notice", 606, 2, 90, 13, size=7, color=SUBTLE, align=LEFT | MULTI | GROW),
        hline("T", 24, 16, W - 24, pen=1, color=RULE),
    ]
    return detail_template(n, "Mechanické vlastnosti", (36, head), body, 17, footer_height=6,
                           groups=[("#SpNumber", 50, semi), ("#DiNumber", 21, dimension)])


def physical_detail(n):
    cols = [("Vlastnost", 10, 290, LEFT), ("Teplota [°C]", 300, 90, RIGHT), ("Min.", 400, 90, RIGHT),
            ("Max.", 500, 90, RIGHT), ("Poznámka", 606, 90, LEFT)]
    head = heading("Z", 12, "Fyzikální vlastnosti") + table_head("Z", 42, cols)
    body = [
        field("T", "lkProperty", 10, 2, 290, 15),
        field("T", "Temperature", 300, 2, 90, 15, color=SUBTLE, align=RIGHT),
        field("T", "MinValue", 400, 2, 90, 15, align=RIGHT),
        field("T", "MaxValue", 500, 2, 90, 15, align=RIGHT),
        field("T", "lkNotice", 606, 3, 90, 14, size=7, color=SUBTLE, align=LEFT | MULTI | GROW),
        hline("T", 0, 18, W, pen=1, color=RULE),
    ]
    return detail_template(n, "Fyzikální vlastnosti", (60, head), body, 20)


def heat_treatment_detail(n):
    cols = [("Způsob zpracování", 10, 200, LEFT), ("Teplota od [°C]", 210, 90, RIGHT),
            ("do [°C]", 305, 60, RIGHT), ("Ochlazování", 385, 120, LEFT), ("Výdrž", 510, 90, LEFT),
            ("Poznámka", 606, 90, LEFT)]
    head = heading("Z", 12, "Tepelné zpracování") + table_head("Z", 42, cols)
    body = [
        field("T", "lkProc", 10, 2, 200, 15, style=BOLD),
        field("T", "MinValue", 210, 2, 90, 15, align=RIGHT),
        field("T", "MaxValue", 305, 2, 60, 15, align=RIGHT),
        # The catalogue keeps the cooling medium in Stand and the holding time in Cool.
        field("T", "Stand", 385, 2, 120, 15, align=LEFT | MULTI | GROW),
        field("T", "Cool", 510, 2, 90, 15, align=LEFT | MULTI | GROW),
        field("T", "Notice", 606, 3, 90, 14, size=7, color=SUBTLE, align=LEFT | MULTI | GROW),
        hline("T", 0, 18, W, pen=1, color=RULE),
    ]
    return detail_template(n, "Tepelné zpracování", (60, head), body, 20)


# ---------------------------------------------------------------------------- the four

def ekvivalenty():
    return (master("Ekvivalenty materiálu", "Ekvivalenty materiálu",
                   [(2, [detail("T", 0)]), (30, source_block("T"))])
            + equivalents_detail(0))


def tepzprac():
    return (master("Tepelné zpracování materiálu", "Tepelné zpracování",
                   [(2, [detail("T", 0)]), (30, source_block("T"))])
            + heat_treatment_detail(0))


def info():
    # Details: 0 composition, 1 physical properties, 2 composition notes.
    blocks = [(54, purpose_block("T")), (2, [detail("T", 0)]), (2, [detail("T", 2)]),
              (2, [detail("T", 1)]), (44, notes_block("T")), (30, source_block("T"))]
    return (master("Informace o materiálu", "Informace o materiálu", blocks)
            + composition_detail(0) + physical_detail(1) + composition_notes_detail(2))


def infomech():
    # Details: 0 composition, 1 mechanical properties, 2 physical properties, 3 composition notes.
    blocks = [(54, purpose_block("T")), (2, [detail("T", 0)]), (2, [detail("T", 3)]),
              (2, [detail("T", 1)]), (2, [detail("T", 2)]), (44, notes_block("T")),
              (30, source_block("T"))]
    title = "Informace o materiálu včetně mechanických vlastností"
    return (master(title, title, blocks) + composition_detail(0) + mechanical_detail(1)
            + physical_detail(2) + composition_notes_detail(3))


def write(folder, name, lines):
    data = ("\r\n".join(lines) + "\r\n").encode("cp1250")
    path = os.path.join(folder, name)
    tmp = path + ".tmp"
    with open(tmp, "wb") as f:
        f.write(data)
    os.replace(tmp, path)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "..", "data", "tisky")
    os.makedirs(folder, exist_ok=True)
    write(folder, "ekvivalenty.pts", ekvivalenty())
    write(folder, "info.pts", info())
    write(folder, "InfoMech.pts", infomech())
    write(folder, "TepZprac.pts", tepzprac())


if __name__ == "__main__":
    main()
