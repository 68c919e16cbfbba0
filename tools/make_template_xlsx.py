#!/usr/bin/env python3
# -*- coding: utf-8 -*-
"""Generates Template.xlsx, the workbook that a catalog run to an .xlsx output copies and fills in.

    tools/make_template_xlsx.py [OUTPUT]      (default: resources/Template.xlsx)

Exit status 3 when openpyxl is not installed.

The sheets, column widths, fonts and page setup are those of Template.xls
(both scripts build them from template_layout.py). The workbook is built with
openpyxl (Debian package python3-openpyxl); its package is then written again
with fixed document times and zip entry dates, so that the output is
byte-for-byte reproducible.
"""

import datetime
import io
import os
import sys
import zipfile

from debian_module import import_debian_module
from template_layout import (A4, BASE_HEIGHT, DEFAULT_ROW_TWIPS, FOOTER_CENTRE, GREY_50, HEADER_RIGHT,
                             MARGINS, NOTE_HEIGHT, SHEETS, SHIFT_JIS, TITLE_HEIGHT, TITLE_ROW_TWIPS,
                             UI_FONT)

openpyxl = import_debian_module('openpyxl', 'python3-openpyxl', 'make_template_xlsx.py')
from openpyxl.styles import Alignment, Border, Font, NamedStyle, Side  # noqa: E402
from openpyxl.styles.named_styles import NamedStyleList  # noqa: E402
from openpyxl.utils import get_column_letter  # noqa: E402
from openpyxl.utils.indexed_list import IndexedList  # noqa: E402
from openpyxl.worksheet.properties import PageSetupProperties  # noqa: E402

# The time every document property and zip entry carries.
FIXED_TIME = datetime.datetime(2026, 1, 1, 0, 0, 0)
POINTS_PER_TWIP = 1 / 20


def font(height, bold=False, colour=None):
    return Font(name=UI_FONT, charset=SHIFT_JIS, family=3, sz=height * POINTS_PER_TWIP, b=bold,
                color=None if colour is None else openpyxl.styles.colors.Color(indexed=colour))


def use_ui_font(wb):
    """The default font and the Normal style use the Japanese UI font, as in Template.xls."""
    base = font(BASE_HEIGHT)
    wb._fonts = IndexedList([base])
    wb._named_styles = NamedStyleList()
    wb.add_named_style(NamedStyle(name='Normal', font=base, border=Border(), builtinId=0))


def build_workbook():
    wb = openpyxl.Workbook()
    use_ui_font(wb)
    wb.remove(wb.active)
    rule = Side(style='medium', color=openpyxl.styles.colors.Color(indexed=GREY_50))
    centre = Alignment(vertical='center')
    for number, layout in enumerate(SHEETS):
        ws = wb.create_sheet(layout['name'])
        for col, chars in enumerate(layout['widths'], start=1):
            ws.column_dimensions[get_column_letter(col)].width = chars
        ws.sheet_format.defaultRowHeight = DEFAULT_ROW_TWIPS * POINTS_PER_TWIP
        ws.sheet_format.customHeight = True
        # Title in A1 (the run writes the text); the rule under it spans the sheet's columns.
        for col in range(1, len(layout['widths']) + 1):
            cell = ws.cell(row=1, column=col)
            cell.font = font(TITLE_HEIGHT, bold=True) if col == 1 else font(BASE_HEIGHT)
            cell.alignment = centre
            cell.border = Border(bottom=rule)
        ws.row_dimensions[1].height = TITLE_ROW_TWIPS * POINTS_PER_TWIP
        if layout['note']:
            note = ws.cell(row=2, column=1, value=layout['note'])
            note.font = font(NOTE_HEIGHT, colour=GREY_50)
            ws.row_dimensions[2].height = DEFAULT_ROW_TWIPS * POINTS_PER_TWIP
        if layout['frozen_rows']:
            ws.freeze_panes = 'A%d' % (layout['frozen_rows'] + 1)
        ws.print_title_rows = '1:%d' % layout['print_title_rows']
        ws.page_setup.paperSize = A4
        ws.page_setup.orientation = 'landscape'
        ws.page_setup.fitToWidth = 1
        ws.page_setup.fitToHeight = 0
        ws.sheet_properties.pageSetUpPr = PageSetupProperties(fitToPage=True)
        ws.print_options.horizontalCentered = True
        for side, inches in MARGINS.items():
            setattr(ws.page_margins, side, inches)
        ws.oddHeader.right.text = HEADER_RIGHT
        ws.oddFooter.center.text = FOOTER_CENTRE
        if number == 0:
            wb.active = ws
    wb.properties.creator = 'Speclore'
    wb.properties.lastModifiedBy = 'Speclore'
    wb.properties.created = FIXED_TIME
    wb.properties.modified = FIXED_TIME
    return wb


def reproducible_package(data):
    """The package written again with fixed entry dates and attributes."""
    out = io.BytesIO()
    with zipfile.ZipFile(io.BytesIO(data)) as source, \
            zipfile.ZipFile(out, 'w', zipfile.ZIP_DEFLATED) as target:
        for entry in source.infolist():
            info = zipfile.ZipInfo(entry.filename, date_time=FIXED_TIME.timetuple()[:6])
            info.compress_type = zipfile.ZIP_DEFLATED
            info.external_attr = 0o644 << 16
            info.create_system = 0
            target.writestr(info, source.read(entry.filename))
    return out.getvalue()


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    target = argv[1] if len(argv) > 1 else os.path.join(here, '..', 'resources', 'Template.xlsx')
    raw = io.BytesIO()
    build_workbook().save(raw)
    partial = target + '.part'
    with open(partial, 'wb') as f:
        f.write(reproducible_package(raw.getvalue()))
    os.replace(partial, target)
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
