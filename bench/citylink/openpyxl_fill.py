#!/usr/bin/python3
"""Baseline for the usage-sheet benchmark: the job citylink-batch does, written plainly with
openpyxl (no pandas): read the month's CSV, pick the extended-care days of one care need, write
each child's name reading (katakana), birth year, month and day and the whole day block of the
default layout, save the workbook as a new file.

    openpyxl_fill.py CSV WORKBOOK OUTPUT short|standard
"""
import csv
import sys

import openpyxl
from openpyxl.utils import column_index_from_string

SHEETS = {"short": "利用状況表（保育短時間）", "standard": "保育標準時間"}
NEEDS = {"short": "保育短時間", "standard": "保育標準時間"}
BANDS = (8 * 60, 16 * 60, 18 * 60)
FIRST_ROW, DAY_COLUMN = 6, column_index_from_string("X")


def minutes(text):
    try:
        h, m = text.strip().split(":")[:2]
        return int(h) * 60 + int(m)
    except ValueError:
        return None


def katakana(text):
    return "".join(chr(ord(c) + 0x60) if 0x3041 <= ord(c) <= 0x3096 else c for c in text)


def main():
    csv_path, book, out, care = sys.argv[1:5]
    with open(csv_path, encoding="cp932", newline="") as f:
        rows = list(csv.reader(f))[1:]
    picked = []
    for r in rows:
        if r[6] != NEEDS[care]:
            continue
        a, d = minutes(r[10]), minutes(r[11])
        early = care == "short" and a is not None and a < BANDS[0]
        late = d is not None and d > (BANDS[1] if care == "short" else BANDS[2])
        if early or late:
            by, bm, bd = (int(x) for x in r[3].split("/"))
            picked.append((r[8], "%04d/%02d/%02d" % (by, bm, bd), r[0], a, d, early, late))
    picked.sort(key=lambda p: (p[0], p[1], p[2]))

    per_child = 4 if care == "short" else 2
    grid, keys = [], []
    wb = openpyxl.load_workbook(book)
    ws = wb[SHEETS[care]]
    for reading, birth, date, a, d, early, late in picked:
        if not keys or keys[-1] != reading + birth:
            keys.append(reading + birth)
            top = FIRST_ROW + per_child * (len(keys) - 1)
            y, m, dd = (int(x) for x in birth.split("/"))
            ws.cell(top, 3).value = katakana(reading)
            ws.cell(top, 4).value, ws.cell(top, 6).value, ws.cell(top, 8).value = y, m, dd
            grid.extend([None] * 31 for _ in range(per_child))
        base = per_child * (len(keys) - 1)
        day = int(date.split("/")[2]) - 1
        if care == "short":
            if early:
                grid[base][day], grid[base + 1][day] = divmod(a, 60)
            if late:
                grid[base + 2][day], grid[base + 3][day] = divmod(d, 60)
        else:
            grid[base][day], grid[base + 1][day] = divmod(d, 60)
    for i, row in enumerate(grid):
        for j, value in enumerate(row):
            ws.cell(FIRST_ROW + i, DAY_COLUMN + j).value = value
    wb.save(out)
    print("%s: children %d, child-days %d" % (care, len(keys), len(picked)))


if __name__ == "__main__":
    main()
