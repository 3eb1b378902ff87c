#!/usr/bin/python3
"""Builds the workbooks the spreadsheet-layer tests open (run with Debian's /usr/bin/python3).

    /usr/bin/python3 make_fixtures.py [OUTPUT_DIR]      (default: the data/ folder beside it)

The files are committed; run this again only to change them. openpyxl writes the workbooks; what
openpyxl cannot write but real workbooks contain (shared formulas, a calculation chain, rows and
cells without references, a namespace prefix, rich text with readings, a VBA project) is patched
into the package afterwards.
"""
import io
import os
import re
import sys
import zipfile

from openpyxl import Workbook
from openpyxl.chart import BarChart, Reference
from openpyxl.comments import Comment
from openpyxl.formatting.rule import CellIsRule
from openpyxl.styles import Alignment, Border, Font, PatternFill, Side
from openpyxl.workbook.defined_name import DefinedName
from openpyxl.worksheet.datavalidation import DataValidation

SHORT = "利用状況表（保育短時間）"
STANDARD = "保育標準時間"


def patch(path, edits, add=None):
    """Rewrites the zip at path: edits maps entry name -> function(text) -> text; add maps new
    entry names to bytes."""
    with zipfile.ZipFile(path) as z:
        entries = [(i, z.read(i.filename)) for i in z.infolist()]
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        for info, data in entries:
            if info.filename in edits:
                data = edits[info.filename](data.decode("utf-8")).encode("utf-8")
            z.writestr(info.filename, data, zipfile.ZIP_DEFLATED)
        for name, data in (add or {}).items():
            z.writestr(name, data, zipfile.ZIP_DEFLATED)


def png():
    from PIL import Image as PilImage
    buf = io.BytesIO()
    PilImage.new("RGB", (24, 12), (200, 30, 30)).save(buf, "PNG")
    buf.seek(0)
    return buf


def form(path):
    """A city-form-like workbook: styled headers, merged cells, borders, formulas after the day
    columns, validation, conditional formatting, a comment, an image, a chart, defined names."""
    wb = Workbook()
    thin = Side(style="thin")
    box = Border(left=thin, right=thin, top=thin, bottom=thin)
    for title, per_child in ((SHORT, 4), (STANDARD, 2)):
        ws = wb.active if title == SHORT else wb.create_sheet(title)
        ws.title = title
        ws["A1"] = "時間外保育利用状況表"
        ws["A1"].font = Font(size=14, bold=True)
        ws.merge_cells("A1:W1")
        ws["C3"] = "氏名"
        ws["J3"] = "支給認定番号"
        for day in range(1, 32):
            cell = ws.cell(row=5, column=23 + day, value=day)
            cell.alignment = Alignment(horizontal="center")
            cell.fill = PatternFill("solid", fgColor="DDEEFF")
        ws["BC5"] = "日数"
        for row in range(6, 6 + per_child * 10):
            for col in range(24, 55):
                ws.cell(row=row, column=col).border = box
            ws.cell(row=row, column=55, value=f"=COUNT(X{row}:BB{row})")
        for col in ("X", "Y", "Z"):
            ws.column_dimensions[col].width = 3.5
        ws.freeze_panes = "X6"
        ws.print_area = "A1:BC45"
    ws = wb[SHORT]
    ws["C6"] = "既存の名前"          # replaced by a write in the tests
    ws["X6"] = 99                   # replaced
    ws["X6"].font = Font(color="FF0000")
    ws["AA7"] = "残す"               # a value outside the written block stays
    ws["BE6"] = "=SUM(BC6:BC9)"
    ws["B2"] = "リッチ"
    ws["C6"].comment = Comment("確認してください", "clerk")
    dv = DataValidation(type="whole", operator="between", formula1="0", formula2="59")
    ws.add_data_validation(dv)
    dv.add("X6:BB45")
    ws.conditional_formatting.add("X6:BB45", CellIsRule(operator="greaterThan", formula=["30"],
                                                        fill=PatternFill("solid", fgColor="FFCCCC")))
    from openpyxl.drawing.image import Image
    ws.add_image(Image(png()), "BF2")

    notes = wb.create_sheet("Notes")
    notes["A1"] = "月"
    for i in range(1, 6):
        notes.cell(row=i + 1, column=1, value=i)
        notes.cell(row=i + 1, column=2, value=i * 3)
    chart = BarChart()
    chart.add_data(Reference(notes, min_col=2, min_row=1, max_row=6), titles_from_data=True)
    notes.add_chart(chart, "D2")
    wb.defined_names.append(DefinedName("施設名", attr_text="Notes!$A$1"))
    wb.save(path)

    # This openpyxl writes text inline; real workbooks keep it in the shared strings, often as rich
    # text with a reading (phonetic run). B2 becomes such a shared string.
    def sheet(text):
        return re.sub(r'<c r="B2"([^>]*) t="inlineStr"><is><t>[^<]*</t></is></c>',
                      r'<c r="B2"\1 t="s"><v>0</v></c>', text)
    sst = ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
           '<sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" count="1" '
           'uniqueCount="1"><si><r><rPr><b/><sz val="11"/></rPr><t>リッ</t></r><r><t>チ</t></r>'
           '<rPh sb="0" eb="3"><t>リッチ</t></rPh><phoneticPr fontId="1"/></si></sst>')

    def rels(text):
        return text.replace(
            "</Relationships>",
            '<Relationship Id="rIdSst" Type="http://schemas.openxmlformats.org/officeDocument/'
            '2006/relationships/sharedStrings" Target="sharedStrings.xml"/></Relationships>')

    def types(text):
        return text.replace(
            "</Types>",
            '<Override PartName="/xl/sharedStrings.xml" ContentType="application/vnd.openxmlformats-'
            'officedocument.spreadsheetml.sharedStrings+xml"/></Types>')
    patch(path, {"xl/worksheets/sheet1.xml": sheet, "xl/_rels/workbook.xml.rels": rels,
                 "[Content_Types].xml": types}, {"xl/sharedStrings.xml": sst.encode()})


def formulas(path):
    """Shared formulas and a calculation chain: B1:B5 share "A1*2" from B1; C1 sums; D1 has an
    absolute reference shared down D1:D3; E1 gives text. Every formula carries its stored result,
    as a spreadsheet application saves it. Sheet "Summary" reads Calc!A1."""
    wb = Workbook()
    ws = wb.active
    ws.title = "Calc"
    for r in range(1, 6):
        ws.cell(row=r, column=1, value=r)
        ws.cell(row=r, column=2, value=f"=A{r}*2")
    ws["C1"] = "=SUM(A1:A5)"
    for r in range(1, 4):
        ws.cell(row=r, column=4, value=f"=$A$1+A{r}")
    ws["E1"] = '="n"&A1'
    wb.create_sheet("Summary")["A1"] = "=Calc!A1"
    wb.save(path)

    def results(text):
        stored = {f"B{r}": str(2 * r) for r in range(1, 6)}
        stored.update({f"D{r}": str(1 + r) for r in range(1, 4)})
        stored.update({"C1": "15", "A1": "1"})
        for ref, value in stored.items():
            text = re.sub(f'(<c r="{ref}"[^>]*>(?:<f[^<]*</f>|<f[^>]*/>))<v\\s*/?>(?:</v>)?',
                          f"\\1<v>{value}</v>", text)
        return re.sub(r'<c r="E1"([^>]*)>(<f>.*?</f>)<v\s*/?>(?:</v>)?',
                      r'<c r="E1" t="str"\1>\2<v>n1</v>', text)

    def share(text):
        text = text.replace("<f>A1*2</f>", '<f t="shared" ref="B1:B5" si="0">A1*2</f>')
        for r in range(2, 6):
            text = text.replace(f"<f>A{r}*2</f>", '<f t="shared" si="0"/>')
        text = text.replace("<f>$A$1+A1</f>", '<f t="shared" ref="D1:D3" si="1">$A$1+A1</f>')
        for r in range(2, 4):
            text = text.replace(f"<f>$A$1+A{r}</f>", '<f t="shared" si="1"/>')
        return results(text)

    chain = ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
             '<calcChain xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">'
             '<c r="B1" i="1"/><c r="B2"/><c r="B3"/><c r="B4"/><c r="B5"/><c r="C1"/>'
             '<c r="D1"/><c r="D2"/><c r="D3"/><c r="E1"/><c r="A1" i="2"/></calcChain>')

    def rels(text):
        return text.replace(
            "</Relationships>",
            '<Relationship Id="rIdCalc" Type="http://schemas.openxmlformats.org/officeDocument/'
            '2006/relationships/calcChain" Target="calcChain.xml"/></Relationships>')

    def types(text):
        return text.replace(
            "</Types>",
            '<Override PartName="/xl/calcChain.xml" ContentType="application/vnd.openxmlformats-'
            'officedocument.spreadsheetml.calcChain+xml"/></Types>')

    def book(text):  # as a spreadsheet application saves it: no recalculation asked for
        return re.sub(r"<calcPr[^>]*/>", '<calcPr calcId="191029"/>', text)

    patch(path, {"xl/worksheets/sheet1.xml": share, "xl/worksheets/sheet2.xml": results,
                 "xl/_rels/workbook.xml.rels": rels,
                 "[Content_Types].xml": types, "xl/workbook.xml": book},
          {"xl/calcChain.xml": chain.encode()})


def norefs(path):
    """Rows and cells without references (each follows the one before), as some generators
    write them: rows 1-3 hold A..C; row 5 holds A and C; row 4 is absent."""
    wb = Workbook()
    ws = wb.active
    ws.title = "Data"
    for r in (1, 2, 3):
        for c in (1, 2, 3):
            ws.cell(row=r, column=c, value=r * 10 + c)
    ws["A5"] = "a5"
    ws["C5"] = "c5"
    wb.save(path)

    def strip(text):
        # Keep r only where the position cannot be implied: row 5, and C5 after A5.
        text = re.sub(r'<row r="([123])"', "<row", text)
        text = re.sub(r'<c r="[A-C][123]"', "<c", text)
        return text.replace('<c r="A5"', "<c")
    patch(path, {"xl/worksheets/sheet1.xml": strip})


def prefixed(path):
    """The worksheet written with a namespace prefix ("x:") instead of a default namespace."""
    wb = Workbook()
    ws = wb.active
    ws.title = "Prefixed"
    ws["A1"] = 1
    ws["C2"] = "keep"
    wb.save(path)

    def prefix(text):
        text = text.replace('xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"',
                            'xmlns:x="http://schemas.openxmlformats.org/spreadsheetml/2006/main"')
        return re.sub(r"<(/?)([A-Za-z]+)([ />])", r"<\1x:\2\3", text)
    patch(path, {"xl/worksheets/sheet1.xml": prefix})


def macro(path):
    """A macro-enabled workbook with a VBA project part."""
    wb = Workbook()
    wb.active.title = SHORT
    wb.create_sheet(STANDARD)
    wb.save(path)

    def types(text):
        text = text.replace("application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml",
                            "application/vnd.ms-excel.sheet.macroEnabled.main+xml")
        return text.replace("</Types>", '<Default Extension="bin" ContentType="application/'
                                        'vnd.ms-office.vbaProject"/></Types>')

    def rels(text):
        return text.replace("</Relationships>",
                            '<Relationship Id="rIdVba" Type="http://schemas.microsoft.com/office/'
                            '2006/relationships/vbaProject" Target="vbaProject.bin"/></Relationships>')
    vba = bytes((i * 37 + 11) % 256 for i in range(3000))
    patch(path, {"[Content_Types].xml": types, "xl/_rels/workbook.xml.rels": rels},
          {"xl/vbaProject.bin": vba})


def formats(path):
    """Cell formats a written value must respect: B2 has the Text format (an assigned "07" stays
    text), column D has a style of its own, row 5 a style of its own (new cells take them)."""
    wb = Workbook()
    ws = wb.active
    ws.title = "Formats"
    ws["B2"].number_format = "@"
    ws["A1"] = "見出し"
    ws.column_dimensions["D"].font = Font(bold=True)
    ws.row_dimensions[5].fill = PatternFill("solid", fgColor="FFFF00")
    wb.save(path)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "data")
    os.makedirs(out, exist_ok=True)
    form(os.path.join(out, "form.xlsx"))
    formulas(os.path.join(out, "formulas.xlsx"))
    norefs(os.path.join(out, "norefs.xlsx"))
    prefixed(os.path.join(out, "prefixed.xlsx"))
    macro(os.path.join(out, "macro.xlsm"))
    formats(os.path.join(out, "formats.xlsx"))
    # The old binary format: a compound-file header is all the engine needs to see.
    with open(os.path.join(out, "old.xls"), "wb") as f:
        f.write(b"\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1" + bytes(504))
    with open(os.path.join(out, "notzip.xlsx"), "wb") as f:
        f.write("氏名,生年月日\r\n".encode("cp932"))


if __name__ == "__main__":
    main()
