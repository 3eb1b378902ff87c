#!/usr/bin/python3
"""citylink-batch with --engine calc against the embedded engine on the same inputs: the filled
workbooks (an .xlsx and an .xls form) must match cell for cell. Also the wrong-sheet end with
Calc: no output file, no lock file, no office process left behind.

    batch_calc_e2e.py CITYLINK_BATCH SOURCE_DIR
"""
import csv
import os
import shutil
import subprocess
import sys
import tempfile

import openpyxl

from batch_common import check, finish, generate_month, work_folders, write_layout

BATCH, SRC = sys.argv[1], sys.argv[2]
SAMPLE = os.path.join(SRC, "samples", "時間外保育利用状況表.xlsx")
SHEETS = ("利用状況表（保育短時間）", "保育標準時間")


def offices_of(pid):
    """The private offices a batch process started: their profile and pipe carry its pid."""
    p = subprocess.run(["pgrep", "-f", "citylink-office-%d-" % pid], capture_output=True, text=True)
    return p.stdout.split()


def run(*args, expect=0):
    proc = subprocess.Popen([BATCH, *args], stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    out, err = proc.communicate(timeout=240)
    check(proc.returncode == expect, "exit %d (wanted %d) for %s\nstdout:\n%s\nstderr:\n%s" %
          (proc.returncode, expect, args, out[-1500:], err))
    check(not offices_of(proc.pid), "an office process outlived the batch run %s" % (args,))
    return out, err


def normal(value):
    """A cell value compared across writers: numbers as numbers (7 and 7.0 alike), formulas
    without blanks and dollar signs."""
    if isinstance(value, bool) or value is None:
        return value
    if isinstance(value, (int, float)):
        return float(value)
    if isinstance(value, str) and value.startswith("="):
        return value.replace("$", "").replace(" ", "").upper()
    return value


def compare(calc_path, embedded_path, what):
    calc, embedded = openpyxl.load_workbook(calc_path), openpyxl.load_workbook(embedded_path)
    compared = 0
    for sheet in SHEETS:
        a, b = calc[sheet], embedded[sheet]
        rows = max(a.max_row, b.max_row)
        cols = max(a.max_column, b.max_column)
        for row in range(1, rows + 1):
            for col in range(1, cols + 1):
                va, vb = a.cell(row, col).value, b.cell(row, col).value
                compared += 1
                check(normal(va) == normal(vb), "%s: %s!%s is %r with calc, %r embedded" %
                      (what, sheet, a.cell(row, col).coordinate, va, vb))
    print("%s: %d cells compared" % (what, compared))


with tempfile.TemporaryDirectory() as tmp:
    cfg, logs = work_folders(tmp)
    month_csv = os.path.join(tmp, "month.csv")
    generate_month(SRC, month_csv, 40, seed=11)
    write_layout(BATCH, cfg)
    common = ["--month", "2024-06", "--config-dir", cfg, "--log-dir", logs]

    # The form as .xls, written by Calc itself: a month without extended care fills nothing and
    # hands over the form unchanged, stored in the format the output's name asks for.
    empty_csv = os.path.join(tmp, "no_extended_care.csv")
    with open(month_csv, encoding="cp932", newline="") as f:
        rows = list(csv.reader(f))
    rows[1][10], rows[1][11] = "09:00", "15:00"
    with open(empty_csv, "w", encoding="cp932", newline="") as f:
        csv.writer(f, lineterminator="\r\n", quoting=csv.QUOTE_ALL).writerows(rows[:2])
    form_xls = os.path.join(tmp, "form.xls")
    run(*common, "--csv", empty_csv, "--workbook", SAMPLE, "--engine", "calc", "--output", form_xls)
    check(os.path.exists(form_xls), "the .xls form was stored")

    book = os.path.join(tmp, "book.xlsx")
    shutil.copy(SAMPLE, book)
    with open(book, "rb") as f:
        original_bytes = f.read()
    for care in ("short", "standard"):
        embedded = os.path.join(tmp, "embedded_%s.xlsx" % care)
        run(*common, "--csv", month_csv, "--care", care, "--workbook", book, "--output", embedded)
        # Both care needs from the .xlsx, one from the .xls: each start of an office costs
        # seconds, and the formats differ only in the loading.
        for source in (book, form_xls) if care == "short" else (book,):
            calc = os.path.join(tmp, "calc_%s_%s.xlsx" % (care, os.path.splitext(source)[1][1:]))
            out, _ = run(*common, "--csv", month_csv, "--care", care, "--workbook", source,
                         "--engine", "calc", "--output", calc)
            check("filled workbook: " + calc in out, "output path printed: " + out[-300:])
            compare(calc, embedded, "%s from %s" % (care, os.path.basename(source)))
    with open(book, "rb") as f:
        check(f.read() == original_bytes, "the workbook itself is never written")

    # The wrong-sheet end: exit 1, nothing stored, nothing left open or running.
    wrong = os.path.join(tmp, "wrong")
    os.makedirs(wrong)
    write_layout(BATCH, wrong, extra=[("2-0", "ありえないシート")])
    folder = os.path.join(tmp, "end")
    os.makedirs(folder)
    shutil.copy(SAMPLE, os.path.join(folder, "book.xlsx"))
    _, err = run("--month", "2024-06", "--config-dir", wrong, "--log-dir", logs, "--csv", month_csv,
                 "--workbook", os.path.join(folder, "book.xlsx"), "--engine", "calc", "--output",
                 os.path.join(folder, "out.xlsx"), expect=1)
    check("シートのオープンに失敗しました。" in err, "sheet message: " + err)
    check(sorted(os.listdir(folder)) == ["book.xlsx"], "files after the wrong-sheet end: %s" %
          os.listdir(folder))

finish()
