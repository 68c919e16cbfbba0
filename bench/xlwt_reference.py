#!/usr/bin/env python3
# -*- coding: utf-8 -*-
"""Reference for bench_xls: the same cells written with python3-xlwt.

    bench/xlwt_reference.py ROWS OUTPUT.xls

Writes ROWS rows of ten cells from row 5 of a two-sheet workbook, in blocks of
20 rows exactly as bench_xls does (a heading row, then numbered rows with every
fifth number bold, framed), and prints "seconds S", "cpu_seconds C" and
"peak_kb K": the wall and processor time from the first cell to the saved
file, and the process's peak memory.

xlwt writes a new workbook and cannot change a cell's format afterwards, so
each cell gets its final format with its value; that is the same end result
as bench_xls's value-then-format calls.
"""

import os
import resource
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'tools'))
from make_template import xlwt  # noqa: E402  (xlwt from the Debian package)

BLOCK = 20
COLUMNS = 10
FIRST_ROW = 4  # row 5, counted from 0
HEADINGS = ['NO', '外部参照テーブル名', '外部参照項目名', '参照先テーブル名', '参照先項目名',
            'リレーション', '参照整合性', '連鎖更新', '連鎖削除', '結合']
GREY_25 = 0x16   # ColorIndex 15
AUTOMATIC = 0x40


def easy_style(heading=False, bold=False, left=False, top=False):
    s = xlwt.XFStyle()
    s.font.name = 'ＭＳ Ｐゴシック'
    s.font.height = 220
    s.font.bold = bold
    b = s.borders
    if heading:
        s.alignment.horz = xlwt.Alignment.HORZ_CENTER
        b.left = b.right = b.top = b.bottom = xlwt.Borders.THIN
        b.left_colour = b.right_colour = b.top_colour = b.bottom_colour = AUTOMATIC
        s.pattern.pattern = xlwt.Pattern.SOLID_PATTERN
        s.pattern.pattern_fore_colour = GREY_25
        s.pattern.pattern_back_colour = AUTOMATIC
    else:
        b.left = b.right = b.bottom = xlwt.Borders.THIN
        b.left_colour = b.right_colour = b.bottom_colour = GREY_25
        if top:
            b.top = xlwt.Borders.THIN
            b.top_colour = GREY_25
    return s


def row_texts(n):
    table = 'テーブル%04d' % (n // BLOCK)
    return [table, 'フィールド%05d' % n, 'マスタ%04d' % (n % 977), 'ID',
            '一対多', '○', '○' if n % 3 else '', '' if n % 4 else '○', 'INNER']


def write(rows, output):
    wb = xlwt.Workbook(encoding='utf-8', style_compression=2)
    wb.add_sheet('テーブル仕様書')
    ws = wb.add_sheet('リレーション仕様書')
    heading = easy_style(heading=True)
    framed = {(bold, top): easy_style(bold=bold, top=top) for bold in (False, True)
              for top in (False, True)}
    row = FIRST_ROW
    number = 0
    for start in range(0, rows, BLOCK):
        size = min(BLOCK, rows - start)
        for c, text in enumerate(HEADINGS):
            ws.write(row, c, text, heading)
        for k in range(1, size):
            number += 1
            r = row + k
            ws.write(r, 0, number, framed[(number % 5 == 1, k > 1)])
            for c, text in enumerate(row_texts(number), start=1):
                ws.write(r, c, text, framed[(False, k > 1)])
        row += size
    wb.save(output)


def main(argv):
    if len(argv) != 3:
        sys.stderr.write('usage: xlwt_reference.py ROWS OUTPUT.xls\n')
        return 2
    started, cpu_started = time.perf_counter(), time.process_time()
    write(int(argv[1]), argv[2])
    print('seconds %.6f' % (time.perf_counter() - started))
    print('cpu_seconds %.6f' % (time.process_time() - cpu_started))
    print('peak_kb %d' % resource.getrusage(resource.RUSAGE_SELF).ru_maxrss)
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
