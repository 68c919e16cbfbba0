#!/usr/bin/env python3
# -*- coding: utf-8 -*-
"""Workbooks for the .xlsx engine's tests, made with tools that are not ours.

    make_packages.py rich OUTPUT.xlsx        a template with everything a run must keep
    make_packages.py bad TEMPLATE.xlsx DIR   damaged and refused packages, one per file

Exit status 3 when openpyxl or PIL is missing.
"""

import io
import os
import subprocess
import sys
import zipfile


def _import(module, package):
    try:
        return __import__(module)
    except ImportError:
        pass
    out = subprocess.run(['dpkg', '-L', package], capture_output=True, text=True, check=False).stdout
    for line in out.splitlines():
        if line.endswith(os.sep + module + os.sep + '__init__.py'):
            sys.path.append(os.path.dirname(os.path.dirname(line)))
            break
    try:
        return __import__(module)
    except ImportError:
        sys.stderr.write('make_packages.py: install the Debian package %s\n' % package)
        sys.exit(3)


def rich(target):
    """Three sheets; merged cells, a defined name, an image, a comment, a data
    validation, a conditional format, a header and footer, a column style and
    a row style on the sheets the run writes."""
    _import('openpyxl', 'python3-openpyxl')
    _import('PIL', 'python3-pil')
    import openpyxl
    from openpyxl.comments import Comment
    from openpyxl.drawing.image import Image
    from openpyxl.formatting.rule import CellIsRule
    from openpyxl.styles import Font, PatternFill
    from openpyxl.workbook.defined_name import DefinedName
    from openpyxl.worksheet.datavalidation import DataValidation
    from PIL import Image as PilImage

    wb = openpyxl.Workbook()
    first = wb.active
    first.title = 'テーブル仕様書'
    second = wb.create_sheet('リレーション仕様書')
    third = wb.create_sheet('メモ')
    third['A1'] = '三枚目のシート'
    third['B2'] = 42
    first.merge_cells('H1:J2')
    first['H1'] = '結合'
    first['A2'] = 'Z'
    first['A2'].comment = Comment('テンプレートの注記', 'Speclore')
    dv = DataValidation(type='list', formula1='"はい,いいえ"', allow_blank=True)
    first.add_data_validation(dv)
    dv.add('K3:K10')
    first.conditional_formatting.add('L3:L10', CellIsRule(operator='greaterThan', formula=['5'],
                                                          fill=PatternFill('solid', fgColor='FFC7CE')))
    first.oddHeader.center.text = 'ヘッダー &P'
    first.oddFooter.right.text = 'フッター'
    first.column_dimensions['G'].font = Font(italic=True)   # column style
    first.row_dimensions[30].font = Font(underline='single')  # row style
    picture = io.BytesIO()
    PilImage.new('RGB', (4, 3), (200, 30, 30)).save(picture, format='PNG')
    picture.seek(0)
    first.add_image(Image(picture), 'M2')
    second.merge_cells('L1:M1')
    second.oddHeader.left.text = '関係'
    wb.defined_names.append(DefinedName('一覧', attr_text="'メモ'!$A$1:$B$2"))
    wb.save(target)


def repack(template, target, replace=None, drop=()):
    """The template's package with parts replaced or left out."""
    replace = replace or {}
    with zipfile.ZipFile(template) as source, zipfile.ZipFile(target, 'w', zipfile.ZIP_DEFLATED) as out:
        for entry in source.infolist():
            if entry.filename in drop:
                continue
            data = replace.get(entry.filename, source.read(entry.filename))
            out.writestr(entry.filename, data)


def part(template, name):
    with zipfile.ZipFile(template) as source:
        return source.read(name).decode('utf-8')


def bad(template, folder):
    def path(name):
        return os.path.join(folder, name)

    with open(path('not_zip.xlsx'), 'wb') as f:
        f.write('これは zip ではありません'.encode('utf-8') * 20)
    data = open(template, 'rb').read()
    with open(path('truncated.xlsx'), 'wb') as f:
        f.write(data[:len(data) // 2])
    with open(path('xls_file.xlsx'), 'wb') as f:
        f.write(b'\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1' + bytes(504) + 'Workbook'.encode('utf-16-le'))
    with open(path('encrypted.xlsx'), 'wb') as f:
        f.write(b'\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1' + bytes(504) + 'EncryptedPackage'.encode('utf-16-le'))

    styles = part(template, 'xl/styles.xml')
    # 80 MB of white space inside the style sheet, a few hundred kilobytes zipped.
    bomb = styles.replace('<fonts', ' ' * (80 << 20) + '<fonts', 1)
    repack(template, path('bomb.xlsx'), {'xl/styles.xml': bomb})

    workbook = part(template, 'xl/workbook.xml')
    doctype = '<!DOCTYPE workbook [<!ENTITY big "' + 'x' * 1000 + '">]>'
    repack(template, path('dtd.xlsx'), {'xl/workbook.xml': doctype + workbook})
    repack(template, path('no_workbook.xlsx'), drop={'xl/workbook.xml'})
    repack(template, path('no_styles.xlsx'), drop={'xl/styles.xml'})
    repack(template, path('no_sheet_part.xlsx'), drop={'xl/worksheets/sheet2.xml'})
    repack(template, path('no_content_types.xlsx'), drop={'[Content_Types].xml'})
    first_sheet_end = workbook.index('/>', workbook.index('<sheet ')) + 2
    one = workbook[:first_sheet_end] + workbook[workbook.index('</sheets>'):]
    repack(template, path('one_sheet.xlsx'), {'xl/workbook.xml': one})

    types = part(template, '[Content_Types].xml')
    macro = types.replace('spreadsheetml.sheet.main+xml', 'x').replace(
        'application/vnd.openxmlformats-officedocument.x', 'application/vnd.ms-excel.sheet.macroEnabled.main+xml')
    repack(template, path('macro.xlsm.xlsx'), {'[Content_Types].xml': macro})
    rels = part(template, '_rels/.rels')
    strict = rels.replace('http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument',
                          'http://purl.oclc.org/ooxml/officeDocument/relationships/officeDocument')
    repack(template, path('strict.xlsx'), {'_rels/.rels': strict})
    sheet = part(template, 'xl/worksheets/sheet1.xml')
    repack(template, path('broken_sheet.xlsx'), {'xl/worksheets/sheet1.xml': sheet[:len(sheet) // 2]})
    repack(template, path('bad_cell.xlsx'),
           {'xl/worksheets/sheet1.xml': sheet.replace('r="B1"', 'r="B0"', 1)})


def main(argv):
    if len(argv) == 3 and argv[1] == 'rich':
        rich(argv[2])
        return 0
    if len(argv) == 4 and argv[1] == 'bad':
        bad(argv[2], argv[3])
        return 0
    sys.stderr.write(__doc__)
    return 2


if __name__ == '__main__':
    sys.exit(main(sys.argv))
