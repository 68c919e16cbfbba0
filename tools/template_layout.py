# -*- coding: utf-8 -*-
"""The layout that both workbook templates share: sheets, columns, fonts, print setup.

make_template.py (Template.xls) and make_template_xlsx.py (Template.xlsx) build
the same workbook from it; a sheet added here appears in both.
"""

UI_FONT = 'ＭＳ Ｐゴシック'
SHIFT_JIS = 0x80
BASE_HEIGHT = 220      # 11 pt, the size Japanese Excel starts every workbook with
TITLE_HEIGHT = 320     # 16 pt
NOTE_HEIGHT = 180      # 9 pt
DEFAULT_ROW_TWIPS = 270
TITLE_ROW_TWIPS = 480
GREY_50 = 0x17         # palette entry 808080
A4 = 9

# Page setup of every sheet: A4 landscape, one page wide, centred, the
# sheet's name at the top right and "page / pages" at the bottom.
MARGINS = {'left': 0.6, 'right': 0.6, 'top': 0.75, 'bottom': 0.75, 'header': 0.3, 'footer': 0.3}
HEADER_RIGHT = '&A'
FOOTER_CENTRE = '&P / &N'

SHEETS = [
    {
        'name': 'テーブル仕様書',
        # NO, field name, type, size, index role, description
        'widths': [6, 28, 16, 20, 16, 56],
        'print_title_rows': 1,
        'note': '※ 番号が太字の項目は主キーです。',
        'frozen_rows': 0,
    },
    {
        'name': 'リレーション仕様書',
        # NO, table, column, referenced table, referenced column, kind,
        # integrity, cascading update, cascading delete, join
        'widths': [6, 24, 22, 24, 22, 13, 11, 10, 10, 12],
        'print_title_rows': 4,
        'note': None,
        'frozen_rows': 4,
    },
    {
        # Found by its name: a template without it gets no query blocks.
        'name': 'クエリ仕様書',
        # NO, query name, kind, SQL, source tables, description
        'widths': [6, 24, 16, 72, 20, 36],
        'print_title_rows': 1,
        'note': None,
        'frozen_rows': 0,
    },
]
