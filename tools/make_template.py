#!/usr/bin/env python3
# -*- coding: utf-8 -*-
"""Generates Template.xls, the workbook that every catalog run copies and fills in.

    tools/make_template.py [OUTPUT]      (default: resources/Template.xls)

Exit status 3 when xlwt is not installed.

Sheet 1 "テーブル仕様書" takes the table blocks in columns A to F, sheet 2
"リレーション仕様書" the relationship list in columns A to J, sheet 3
"クエリ仕様書" the query blocks in columns A to F (the run finds it by its
name and leaves out the query blocks where a template has no such sheet); A1
of each holds the title. The run writes its own formats into every cell it writes, so the
cells below the title stay plain here; this file only lays out the sheets
(column widths, fonts, page setup, print titles).

The workbook is built with xlwt (Debian package python3-xlwt) and its BIFF8
stream is then brought into the shape Excel itself writes, which xlwt does not:
  - the built-in fonts and the Normal style use the Japanese UI font;
  - XF 15 is the default cell format (xlwt makes all of the first 16 style
    formats, so a cell without a record would refer to a style format);
  - the print titles exist as the built-in name Print_Titles of each sheet;
  - worksheet records follow Excel's order, with DEFCOLWIDTH.
The output is byte-for-byte reproducible.
"""

import os
import struct
import sys

from debian_module import import_debian_module

xlwt = import_debian_module('xlwt', 'python3-xlwt', 'make_template.py')
from xlwt import CompoundDoc  # noqa: E402

from template_layout import (A4, BASE_HEIGHT, DEFAULT_ROW_TWIPS, FOOTER_CENTRE,  # noqa: E402
                             GREY_50, HEADER_RIGHT, MARGINS, NOTE_HEIGHT, SHEETS, SHIFT_JIS,
                             TITLE_HEIGHT, TITLE_ROW_TWIPS, UI_FONT)

# BIFF8 record types used below.
BOF, EOF, FONT, XF, COUNTRY, BOUNDSHEET = 0x0809, 0x000A, 0x0031, 0x00E0, 0x008C, 0x0085
SUPBOOK, EXTERNSHEET, NAME, DEFCOLWIDTH = 0x01AE, 0x0017, 0x0018, 0x0055
WRITEACCESS = 0x005C
PROTECTION_RECORDS = (0x0012, 0x00DD, 0x0019, 0x0063, 0x0013)

# Excel's order of the worksheet records that xlwt writes. Rank 40 stands for
# the cell table (ROW and cell records), whose own order is kept.
SHEET_RECORD_RANK = {
    0x0809: 0, 0x000D: 1, 0x000C: 2, 0x000F: 3, 0x0011: 4, 0x0010: 5, 0x005F: 6,
    0x002A: 7, 0x002B: 8, 0x0082: 9, 0x0080: 10, 0x0225: 11, 0x0081: 12,
    0x001B: 13, 0x001A: 14, 0x0014: 15, 0x0015: 16, 0x0083: 17, 0x0084: 18,
    0x0026: 19, 0x0027: 20, 0x0028: 21, 0x0029: 22, 0x00A1: 23,
    0x0055: 30, 0x007D: 31, 0x0200: 32,
    0x0208: 40, 0x0201: 40, 0x00FD: 40, 0x0203: 40, 0x027E: 40, 0x00BD: 40, 0x00BE: 40,
    0x023E: 50, 0x00A0: 51, 0x0041: 52, 0x001D: 53, 0x00E5: 54, 0x000A: 99,
}


def font(height, bold=False, colour=0x7FFF):
    f = xlwt.Font()
    f.name = UI_FONT
    f.charset = SHIFT_JIS
    f.height = height
    f.bold = bold
    f.colour_index = colour
    return f


def style(fnt, vert=xlwt.Alignment.VERT_BOTTOM, bottom_rule=False):
    s = xlwt.XFStyle()
    s.font = fnt
    s.alignment.vert = vert
    if bottom_rule:
        s.borders.bottom = xlwt.Borders.MEDIUM
        s.borders.bottom_colour = GREY_50
    return s


def build_workbook():
    wb = xlwt.Workbook(encoding='utf-8', style_compression=2)
    wb.set_country_code(81)  # Japan, for both the user interface and the regional settings
    title = style(font(TITLE_HEIGHT, bold=True), xlwt.Alignment.VERT_CENTER, bottom_rule=True)
    title_rule = style(font(BASE_HEIGHT), xlwt.Alignment.VERT_CENTER, bottom_rule=True)
    note = style(font(NOTE_HEIGHT, colour=GREY_50))
    for layout in SHEETS:
        ws = wb.add_sheet(layout['name'])
        for col, chars in enumerate(layout['widths']):
            ws.col(col).width = chars * 256
        ws.row_default_height = DEFAULT_ROW_TWIPS
        # Title in A1 (the run writes the text); the rule under it spans the sheet's columns.
        ws.write(0, 0, '', title)
        for col in range(1, len(layout['widths'])):
            ws.write(0, col, '', title_rule)
        ws.row(0).height = TITLE_ROW_TWIPS
        ws.row(0).height_mismatch = True
        if layout['note']:
            ws.write(1, 0, layout['note'], note)
            ws.row(1).height = DEFAULT_ROW_TWIPS
        if layout['frozen_rows']:
            ws.set_panes_frozen(True)
            ws.set_horz_split_pos(layout['frozen_rows'])
            ws.set_remove_splits(True)
        ws.set_paper_size_code(A4)
        ws.set_portrait(False)
        ws.set_fit_num_pages(1)          # fit to pages: one page wide, as many down as needed
        ws.set_fit_width_to_pages(1)
        ws.set_fit_height_to_pages(0)
        ws.set_print_centered_horz(True)
        ws.set_left_margin(MARGINS['left'])
        ws.set_right_margin(MARGINS['right'])
        ws.set_top_margin(MARGINS['top'])
        ws.set_bottom_margin(MARGINS['bottom'])
        ws.set_header_margin(MARGINS['header'])
        ws.set_footer_margin(MARGINS['footer'])
        ws.set_header_str(('&R' + HEADER_RIGHT).encode('ascii'))
        ws.set_footer_str(('&C' + FOOTER_CENTRE).encode('ascii'))
    return wb


# ---------------------------------------------------------------------------
# BIFF8 stream rework.


def split_records(data):
    records, pos = [], 0
    while pos < len(data):
        rid, length = struct.unpack_from('<HH', data, pos)
        records.append((rid, data[pos + 4:pos + 4 + length]))
        pos += 4 + length
    return records


def join_records(records):
    return b''.join(struct.pack('<HH', rid, len(body)) + body for rid, body in records)


def split_substreams(records):
    """Globals, then one record list per worksheet, each from BOF to EOF."""
    parts, current = [], []
    for rec in records:
        current.append(rec)
        if rec[0] == EOF:
            parts.append(current)
            current = []
    return parts[0], parts[1:]


def font_record(height, bold=False):
    name = UI_FONT.encode('utf-16-le')
    return struct.pack('<HHHHHBBBBBB', height, 0x0001 if bold else 0, 0x7FFF,
                       700 if bold else 400, 0, 0, 0, SHIFT_JIS, 0,
                       len(UI_FONT), 0x01) + name


def font_index(record_number):
    return record_number if record_number < 4 else record_number + 1


def xf_record(font, is_style, used):
    """XF with General format, bottom alignment, no borders and no fill."""
    type_prot = 0xFFF5 if is_style else 0x0001  # locked; style: parent 0xFFF
    return struct.pack('<HHHBBBBIIH', font, 0, type_prot, 0x20, 0, 0, used, 0, 0, 0x20C0)


def excel_standard_xfs():
    """XF 0 Normal, 1-14 the outline styles, 15 the default cell format."""
    fonts = [0, 1, 1, 2, 2] + [0] * 10
    xfs = [xf_record(0, True, 0x00)]
    xfs += [xf_record(f, True, 0xF4) for f in fonts[1:]]
    xfs.append(xf_record(0, False, 0x00))
    return xfs


def rework_fonts_and_xfs(globals_):
    """Built-in fonts become the UI font; duplicate fonts are merged; first 16 XFs as Excel's."""
    font_bodies = [body for rid, body in globals_ if rid == FONT]
    builtin = font_record(BASE_HEIGHT)
    kept, remap = [builtin] * 5, {font_index(k): font_index(k) for k in range(5)}
    for k, body in enumerate(font_bodies[5:], start=5):
        if body in kept:
            remap[font_index(k)] = font_index(kept.index(body))
        else:
            remap[font_index(k)] = font_index(len(kept))
            kept.append(body)

    out, fonts_written, xf_number = [], False, 0
    standard = excel_standard_xfs()
    for rid, body in globals_:
        if rid == FONT:
            if not fonts_written:
                out += [(FONT, b) for b in kept]
                fonts_written = True
            continue
        if rid == XF:
            if xf_number < len(standard):
                body = standard[xf_number]
            else:
                body = struct.pack('<H', remap[struct.unpack_from('<H', body)[0]]) + body[2:]
            xf_number += 1
        out.append((rid, body))
    return out


def write_access(user):
    """WRITEACCESS as Excel writes it (xlwt leaves out the string header)."""
    text = struct.pack('<HB', len(user), 0) + user.encode('latin-1')
    return (WRITEACCESS, text + b' ' * (112 - len(text)))


def print_titles_names(sheet_count):
    """SUPBOOK, EXTERNSHEET and one built-in Print_Titles name per sheet (whole rows)."""
    records = [(SUPBOOK, struct.pack('<HBB', sheet_count, 0x01, 0x04))]
    refs = b''.join(struct.pack('<HHH', 0, i, i) for i in range(sheet_count))
    records.append((EXTERNSHEET, struct.pack('<H', sheet_count) + refs))
    for i, layout in enumerate(SHEETS):
        # ptgArea3d: EXTERNSHEET ref i, rows 1..n, columns A..IV, absolute.
        rgce = struct.pack('<BHHHHH', 0x3B, i, 0, layout['print_title_rows'] - 1, 0, 0x00FF)
        head = struct.pack('<HBBHHHBBBB', 0x0020, 0, 1, len(rgce), 0, i + 1, 0, 0, 0, 0)
        records.append((NAME, head + b'\x00\x07' + rgce))
    return records


def add_names(globals_):
    at = next(i for i, (rid, _) in enumerate(globals_) if rid == COUNTRY) + 1
    if any(rid in (SUPBOOK, EXTERNSHEET, NAME) for rid, _ in globals_):
        raise SystemExit('make_template.py: xlwt already wrote a link table')
    return globals_[:at] + print_titles_names(len(SHEETS)) + globals_[at:]


def excel_sheet_order(sheet):
    # xlwt writes protection records even for an unprotected sheet (WINDOWPROTECT
    # among them, which belongs to the globals); Excel writes none there.
    kept = [rec for rec in sheet
            if not (rec[0] in PROTECTION_RECORDS and rec[1] == b'\x00\x00')]
    unknown = {rid for rid, _ in kept if rid not in SHEET_RECORD_RANK}
    if unknown:
        raise SystemExit('make_template.py: no place known for records %s'
                         % ', '.join('%04X' % r for r in sorted(unknown)))
    kept.append((DEFCOLWIDTH, struct.pack('<H', 8)))
    return sorted(kept, key=lambda rec: SHEET_RECORD_RANK[rec[0]])


def place_sheets(globals_, sheets):
    """Set each BOUNDSHEET's stream offset to where its sheet's BOF lands."""
    offset = len(join_records(globals_))
    positions = []
    for sheet in sheets:
        positions.append(offset)
        offset += len(join_records(sheet))
    out, n = [], 0
    for rid, body in globals_:
        if rid == BOUNDSHEET:
            body = struct.pack('<I', positions[n]) + body[4:]
            n += 1
        out.append((rid, body))
    return out


def workbook_stream(wb):
    globals_, sheets = split_substreams(split_records(wb.get_biff_data()))
    globals_ = add_names(rework_fonts_and_xfs(globals_))
    globals_ = [write_access('Speclore') if rid == WRITEACCESS else (rid, body)
                for rid, body in globals_]
    sheets = [excel_sheet_order(s) for s in sheets]
    globals_ = place_sheets(globals_, sheets)
    return join_records(globals_) + b''.join(join_records(s) for s in sheets)


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    target = argv[1] if len(argv) > 1 else os.path.join(here, '..', 'resources', 'Template.xls')
    stream = workbook_stream(build_workbook())
    partial = target + '.part'
    CompoundDoc.XlsDoc().save(partial, stream)
    os.replace(partial, target)
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
