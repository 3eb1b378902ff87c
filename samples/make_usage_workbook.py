#!/usr/bin/python3
"""Builds the sample usage workbook "時間外保育利用状況表.xlsx" that the demo fills.

    /usr/bin/python3 make_usage_workbook.py [OUTPUT_FILE] [--children N]
        OUTPUT_FILE   default: 時間外保育利用状況表.xlsx beside this script
        --children N  child groups per sheet (default 60; the benchmark's month needs 300; 0 gives
                      the form's head alone, with no groups and no total row)

It has the two sheets of the default paste layout, laid out as the city's form is: a title,
facility and month lines, two header rows, then one group of rows per child from row 6 (4 rows on
the short-time sheet: hour and minute before the band, hour and minute after it; 2 rows on the
standard-time sheet: hour and minute after the band). Name in C, birth year/month/day in D, F, H,
certification number in J, reduction mark in T, disability mark in U, days 1 to 31 in X to BB.
Each group counts its entries past BB, and a total sums them: formulas the filling must keep.
"""
import argparse
import os
import sys

from openpyxl import Workbook
from openpyxl.styles import Alignment, Border, Font, PatternFill, Side
from openpyxl.utils import get_column_letter
from openpyxl.worksheet.page import PageMargins

FIRST_ROW = 6
DAY_COL = 24  # X
TITLE = "時間外保育利用状況表"

thin = Side(style="thin")
hair = Side(style="hair")
medium = Side(style="medium")
center = Alignment(horizontal="center", vertical="center", wrap_text=True)
head_fill = PatternFill("solid", fgColor="E8F0F8")


def frame(ws, ref, fill=None):
    if ":" not in ref:
        ref = f"{ref}:{ref}"
    for row in ws[ref]:
        for cell in row:
            cell.border = Border(left=thin, right=thin, top=thin, bottom=thin)
            cell.alignment = center
            if fill:
                cell.fill = fill


def label(ws, ref, text, merge=None, fill=head_fill):
    if text is not None:
        ws[ref] = text
    if merge:
        ws.merge_cells(merge)
        frame(ws, merge, fill)
    else:
        frame(ws, ref, fill)


def sheet(ws, name, rows_per_child, row_labels, children):
    ws.title = name
    last_col = DAY_COL + 30  # BB
    count_col = last_col + 1  # BC
    bb = get_column_letter(last_col)
    bc = get_column_letter(count_col)

    ws["A1"] = f"{TITLE}（{name.replace('利用状況表', '').strip('（）')}）"
    ws["A1"].font = Font(size=16, bold=True)
    ws.merge_cells(f"A1:{bc}1")
    ws["A1"].alignment = Alignment(horizontal="center")
    ws["A2"] = "施設名："
    ws.merge_cells("A2:C2")
    ws.merge_cells("D2:S2")
    ws["D2"].border = Border(bottom=thin)
    ws["X2"] = "令和　　年　　月分"
    ws.merge_cells("X2:AJ2")
    ws["AL2"] = "※ 時間は24時間表記、分は00〜59で記入"
    ws["AL2"].font = Font(size=9)

    label(ws, "A4", "番号", "A4:B5")
    label(ws, "C4", "氏名（カナ）", "C4:C5")
    label(ws, "D4", "生年月日", "D4:I4")
    for first, last, unit in (("D", "E", "年"), ("F", "G", "月"), ("H", "I", "日")):
        label(ws, f"{first}5", unit, f"{first}5:{last}5")
    label(ws, "J4", "支給認定番号", "J4:S5")
    label(ws, "T4", "減免", "T4:T5")
    label(ws, "U4", "障がい", "U4:U5")
    label(ws, "V4", "区分", "V4:W5")
    label(ws, f"X4", "利用日", f"X4:{bb}4")
    for day in range(1, 32):
        cell = ws.cell(row=5, column=DAY_COL + day - 1, value=day)
        frame(ws, cell.coordinate, head_fill)
    label(ws, f"{bc}4", "延べ回数", f"{bc}4:{bc}5")

    for k in range(children):
        top = FIRST_ROW + k * rows_per_child
        bottom = top + rows_per_child - 1
        ws.cell(row=top, column=1, value=k + 1)
        for col in ("A", "C", "D", "E", "F", "G", "H", "I", "T", "U"):
            first = "A" if col == "A" else col
            last = "B" if col == "A" else col
            ws.merge_cells(f"{first}{top}:{last}{bottom}")
            frame(ws, f"{first}{top}:{last}{bottom}")
        ws[f"E{top}"] = "年"
        ws[f"G{top}"] = "月"
        ws[f"I{top}"] = "日"
        ws.merge_cells(f"J{top}:S{bottom}")
        frame(ws, f"J{top}:S{bottom}")
        for i, text in enumerate(row_labels):
            ws.merge_cells(f"V{top + i}:W{top + i}")
            ws[f"V{top + i}"] = text
            frame(ws, f"V{top + i}:W{top + i}")
            ws[f"V{top + i}"].font = Font(size=8)
        for r in range(top, bottom + 1):
            for c in range(DAY_COL, last_col + 1):
                cell = ws.cell(row=r, column=c)
                cell.border = Border(left=hair, right=hair,
                                     top=thin if r == top else hair,
                                     bottom=thin if r == bottom else hair)
                cell.alignment = Alignment(horizontal="center")
                cell.number_format = "00"
        # One use per filled hour cell: before-band and after-band hours are the odd rows.
        hours = "+".join(f"COUNT(X{r}:{bb}{r})" for r in range(top, bottom + 1, 2))
        ws[f"{bc}{top}"] = f"={hours}"
        ws.merge_cells(f"{bc}{top}:{bc}{bottom}")
        frame(ws, f"{bc}{top}:{bc}{bottom}")
        ws[f"{bc}{top}"].number_format = "0"

    total = FIRST_ROW + children * rows_per_child
    # Without child groups the form is its head alone: a total row right under the head would
    # stand (merged) where the first child goes, and no month could be written.
    if children > 0:
        label(ws, f"V{total}", "合計", f"V{total}:{bb}{total}")
        ws[f"V{total}"].alignment = Alignment(horizontal="right", vertical="center")
        ws[f"{bc}{total}"] = f"=SUM({bc}{FIRST_ROW}:{bc}{total - 1})"
        frame(ws, f"{bc}{total}")
        ws[f"{bc}{total}"].border = Border(left=medium, right=medium, top=medium, bottom=medium)

    widths = {"A": 3, "B": 2, "C": 18, "D": 5, "E": 2.5, "F": 3.5, "G": 2.5, "H": 3.5, "I": 2.5,
              "T": 4.5, "U": 5, "V": 4, "W": 4, bc: 7}
    for col in range(10, 20):
        widths[get_column_letter(col)] = 2.2
    for col in range(DAY_COL, last_col + 1):
        widths[get_column_letter(col)] = 3.2
    for col, width in widths.items():
        ws.column_dimensions[col].width = width
    ws.row_dimensions[4].height = 18
    ws.freeze_panes = "X6"
    ws.print_title_rows = "4:5"
    ws.print_area = f"A1:{bc}{total if children > 0 else FIRST_ROW - 1}"
    ws.page_setup.orientation = "landscape"
    ws.page_setup.paperSize = ws.PAPERSIZE_A3
    ws.page_setup.fitToWidth = 1
    ws.page_setup.fitToHeight = 0
    ws.sheet_properties.pageSetUpPr.fitToPage = True
    ws.page_margins = PageMargins(left=0.4, right=0.4, top=0.5, bottom=0.5)


def main():
    parser = argparse.ArgumentParser(description="Builds the sample usage workbook.")
    parser.add_argument("output", nargs="?", default=os.path.join(
        os.path.dirname(os.path.abspath(__file__)), f"{TITLE}.xlsx"))
    parser.add_argument("--children", type=int, default=60)
    args = parser.parse_args()
    out = args.output
    wb = Workbook()
    sheet(wb.active, "利用状況表（保育短時間）", 4, ["前 時", "前 分", "後 時", "後 分"],
          args.children)
    sheet(wb.create_sheet(), "保育標準時間", 2, ["後 時", "後 分"], args.children)
    wb.save(out)
    print(out)


if __name__ == "__main__":
    main()
