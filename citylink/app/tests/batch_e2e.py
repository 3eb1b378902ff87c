#!/usr/bin/python3
"""End to end test of citylink-batch on real files: a generated month, the sample workbook, both
care needs into one filled workbook; the result is read back with openpyxl and compared cell by
cell with what an independent reading of the CSV expects. Also the tool's ends and exit codes.

    batch_e2e.py CITYLINK_BATCH SOURCE_DIR
"""
import csv
import os
import shutil
import subprocess
import sys
import tempfile

import openpyxl
from openpyxl.utils import column_index_from_string, get_column_letter

from batch_common import LAYOUT, check, finish, generate_month, work_folders, write_layout

BATCH, SRC = sys.argv[1], sys.argv[2]
SAMPLE = os.path.join(SRC, "samples", "時間外保育利用状況表.xlsx")
SHORT_SHEET, STANDARD_SHEET = "利用状況表（保育短時間）", "保育標準時間"


def run(*args, expect=None):
    p = subprocess.run([BATCH, *args], capture_output=True, text=True)
    if expect is not None:
        check(p.returncode == expect, "exit %d (wanted %d) for %s\nstdout:\n%s\nstderr:\n%s" %
              (p.returncode, expect, args, p.stdout[-2000:], p.stderr))
    return p


# ---- an independent reading of what the run must write -------------------------------------
def minutes(text):
    text = text.strip()
    try:
        h, m = text.split(":")[:2]
        h, m = int(h), int(m)
    except ValueError:
        return None
    return h * 60 + m if 0 <= h < 24 and 0 <= m < 60 else None


def katakana(text):
    out = []
    for ch in text:
        c = ord(ch)
        if 0x3041 <= c <= 0x3096:
            ch = chr(c + 0x60)
        elif ch == " ":
            ch = "\u3000"
        out.append(ch)
    return "".join(out)


def ymd(text):
    y, m, d = (int(x) for x in text.replace("-", "/").split("/"))
    return y, m, d


def expected_cells(csv_path, care, bands=(8 * 60, 16 * 60, 18 * 60), first_row=6, day_col="X"):
    with open(csv_path, encoding="cp932", newline="") as f:
        rows = list(csv.reader(f))[1:]
    need = "保育短時間" if care == "short" else "保育標準時間"
    picked = []
    for r in rows:
        date, birth, care_need, reading, arr, dep = r[0], r[3], r[6], r[8], r[10], r[11]
        if care_need != need:
            continue
        a, d = minutes(arr), minutes(dep)
        early = care == "short" and a is not None and a < bands[0]
        late = d is not None and d > (bands[1] if care == "short" else bands[2])
        if early or late:
            by, bm, bd = ymd(birth)
            picked.append(("%s" % reading, "%04d/%02d/%02d" % (by, bm, bd), ymd(date), arr, dep,
                           early, late))
    picked.sort(key=lambda p: (p[0].encode(), p[1].encode(), p[2]))
    per_child = 4 if care == "short" else 2
    cells, keys, day0 = {}, [], column_index_from_string(day_col)
    for reading, birth, date, arr, dep, early, late in picked:
        if not keys or keys[-1] != reading + birth:
            keys.append(reading + birth)
            top = first_row + per_child * (len(keys) - 1)
            by, bm, bd = ymd(birth)
            cells["C%d" % top] = katakana(reading)
            cells["D%d" % top], cells["F%d" % top], cells["H%d" % top] = by, bm, bd
            for row in range(top, top + per_child):
                for c in range(31):
                    cells["%s%d" % (get_column_letter(day0 + c), row)] = None
        top = first_row + per_child * (len(keys) - 1)
        col = get_column_letter(day0 + date[2] - 1)
        if care == "short":
            if early:
                cells["%s%d" % (col, top)], cells["%s%d" % (col, top + 1)] = divmod(minutes(arr), 60)
            if late:
                cells["%s%d" % (col, top + 2)], cells["%s%d" % (col, top + 3)] = divmod(minutes(dep), 60)
        else:
            cells["%s%d" % (col, top)], cells["%s%d" % (col, top + 1)] = divmod(minutes(dep), 60)
    return cells, len(keys), len(picked)


def compare_sheet(filled, original, sheet, want):
    print("%s: %d cells expected from the CSV" % (sheet, len(want)))
    ws, orig = filled[sheet], original[sheet]
    for addr, value in want.items():
        check(ws[addr].value == value, "%s!%s is %r, wanted %r" % (sheet, addr, ws[addr].value, value))
    # Everything not written is as it was: header texts, formulas, the other cells.
    for row in orig.iter_rows():
        for c in row:
            if c.coordinate not in want:
                check(ws[c.coordinate].value == c.value,
                      "%s!%s changed: %r -> %r" % (sheet, c.coordinate, c.value, ws[c.coordinate].value))


with tempfile.TemporaryDirectory() as tmp:
    cfg, logs = work_folders(tmp)
    month_csv = os.path.join(tmp, "month.csv")
    generate_month(SRC, month_csv, 40, seed=11)

    # A fresh folder: --show-layout seeds the first fiscal year and reports the empty item numbers.
    p = run("--show-layout", "2018", "--care", "short", "--config-dir", cfg, "--log-dir", logs, expect=1)
    check("information: エラー: 連携用情報の取得に失敗しました。" in p.stderr, "fresh layout message: " + p.stderr)
    check(os.path.exists(os.path.join(cfg, LAYOUT)), "layout file seeded")
    write_layout(BATCH, cfg)
    p = run("--show-layout", "2024", "--care", "standard", "--config-dir", cfg, "--log-dir", logs, expect=0)
    check("3-0   SheetName         保育標準時間" in p.stdout, "show-layout output: " + p.stdout)

    # Both care needs into one workbook: the second run fills the first run's output.
    step1, filled = os.path.join(tmp, "step1.xlsx"), os.path.join(tmp, "filled.xlsx")
    common = ["--month", "2024-06", "--csv", month_csv, "--config-dir", cfg, "--log-dir", logs]
    p = run(*common, "--workbook", SAMPLE, "--care", "short", "--output", step1, expect=0)
    check("filled workbook: " + step1 in p.stdout, "output path printed: " + p.stdout[-500:])
    check("EXCEL起動中・・・" in p.stdout and "件処理済み" in p.stdout, "progress lines on stdout")
    check("information: 終了: データの貼りつけを終了しました。確認して保存を行ってください。" in p.stderr,
          "finish message: " + p.stderr)
    p = run(*common, "--workbook", step1, "--care", "standard", "--bands", "08:00,16:00,18:00",
            "--output", filled, expect=0)
    original = openpyxl.load_workbook(SAMPLE)
    result = openpyxl.load_workbook(filled)
    for care, sheet in (("short", SHORT_SHEET), ("standard", STANDARD_SHEET)):
        want, children, days = expected_cells(month_csv, care)
        check(children >= 5 and days >= 20, "the sample month has extended care for %s" % care)
        compare_sheet(result, original, sheet, want)
    check(os.path.getsize(SAMPLE) > 0 and not os.path.exists(os.path.join(SRC, "samples", "時間外保育利用状況表_記入済.xlsx")),
          "the sample is left alone")

    # The default output name beside the workbook, never over an existing file.
    book = os.path.join(tmp, "book.xlsx")
    shutil.copy(SAMPLE, book)
    run(*common, "--workbook", book, expect=0)
    run(*common, "--workbook", book, expect=0)
    check(os.path.exists(os.path.join(tmp, "book_記入済.xlsx")) and
          os.path.exists(os.path.join(tmp, "book_記入済 (2).xlsx")), "default output names")

    # Other bands move the selection.
    other = os.path.join(tmp, "bands.xlsx")
    run(*common, "--workbook", SAMPLE, "--bands", "07:30,16:30,18:30", "--output", other, expect=0)
    want, children, _ = expected_cells(month_csv, "short", bands=(7 * 60 + 30, 16 * 60 + 30, 18 * 60 + 30))
    check(children > 0, "the other bands still select some days")
    compare_sheet(openpyxl.load_workbook(other), original, SHORT_SHEET, want)

    # Failures: exit 1 after the run's own messages.
    bad_csv = os.path.join(tmp, "other_month.csv")
    shutil.copy(month_csv, bad_csv)
    p = run("--month", "2024-07", "--csv", bad_csv, "--workbook", SAMPLE, "--config-dir", cfg,
            "--log-dir", logs, expect=1)
    check("対象月以外の日付が含まれます。処理を中断します。" in p.stderr, "month check: " + p.stderr)
    xls = os.path.join(tmp, "old.xls")
    with open(xls, "wb") as f:
        f.write(b"\xd0\xcf\x11\xe0not really")
    p = run(*common, "--workbook", xls, expect=1)
    check("critical: エラー: EXCELファイルのオープンに失敗しました。" in p.stderr, "xls: " + p.stderr)
    check("データの貼りつけを終了しました" not in p.stderr, "no finish after a failed open")
    # The message says only that the open failed; the reason is in the log, and stderr says where.
    log_hint = "the reason is in the processing log: " + os.path.join(logs, "")
    check(log_hint in p.stderr and p.stderr.rstrip().endswith("_.log"), "log named: " + p.stderr)
    wrong = os.path.join(tmp, "wrong")
    os.makedirs(wrong)
    write_layout(BATCH, wrong, extra=[("2-0", "利用状況表")])
    before = sorted(os.listdir(tmp))
    p = run("--month", "2024-06", "--csv", month_csv, "--workbook", book, "--config-dir", wrong,
            "--log-dir", logs, expect=1)
    check("critical: エラー: シートのオープンに失敗しました。" in p.stderr and
          "選択したEXCELファイルが異なっている" in p.stderr, "wrong sheet: " + p.stderr)
    # A failed run leaves no copy that reads as the filled workbook: neither an unchanged one
    # (wrong sheet) nor a partly filled one (an error after the first writes).
    check(sorted(os.listdir(tmp)) == before, "no file left by the wrong-sheet run: %s" %
          sorted(set(os.listdir(tmp)) - set(before)))
    broken = os.path.join(tmp, "broken")
    os.makedirs(broken)
    write_layout(BATCH, broken, extra=[("2-2", "XFA")])  # day 1 too far right for 31 days
    before = sorted(os.listdir(tmp))
    p = run("--month", "2024-06", "--csv", month_csv, "--workbook", book, "--config-dir", broken,
            "--log-dir", logs, expect=1)
    check("critical: エラー: エラーで処理を中断しました。" in p.stderr, "error end: " + p.stderr)
    check(sorted(os.listdir(tmp)) == before, "no file left by the failed run: %s" %
          sorted(set(os.listdir(tmp)) - set(before)))
    csv_2025 = os.path.join(tmp, "month2025.csv")
    generate_month(SRC, csv_2025, 3, year=2025)
    p = run("--month", "2025-06", "--csv", csv_2025, "--workbook", book, "--config-dir", cfg,
            "--log-dir", logs, expect=1)
    check("設定画面から2025年度の設定を行ってください。" in p.stderr, "year not set up: " + p.stderr)

    # Usage errors: exit 2 with a clear line.
    for args in (["--month", "2024-6", "--csv", month_csv, "--workbook", SAMPLE],
                 ["--month", "2024-06", "--csv", month_csv],
                 ["--month", "2024-06", "--csv", month_csv, "--workbook", SAMPLE, "--care", "long"],
                 ["--month", "2024-06", "--csv", month_csv, "--workbook", SAMPLE, "--bands", "8,16"],
                 ["--month", "2024-06", "--csv", month_csv, "--workbook", SAMPLE, "--engine", "excel"],
                 ["--show-layout", "2024"],
                 ["--frobnicate"]):
        p = run(*args, "--config-dir", cfg, "--log-dir", logs, expect=2)
        check(p.stderr.startswith("citylink-batch: "), "usage message for %s: %s" % (args, p.stderr))
    p = run("--show-layout", "2018", "--care", "short", "--config-dir", os.path.join(tmp, "nope"), expect=2)
    check("config folder does not exist" in p.stderr, "missing config dir: " + p.stderr)
    p = run("--help", expect=0)
    check("使い方" in p.stdout and "Usage" in p.stdout, "help")

    # The log, as the window writes it.
    names = os.listdir(logs)
    check(len([n for n in names if n.endswith("_.log")]) == 1, "one day's log: %s" % names)
    log_text = open(os.path.join(logs, [n for n in names if n.endswith("_.log")][0]), "rb").read().decode("cp932")
    for line in ("うぇぶきらの札幌市連携 Ver", "ReadCSVtoCsvArray", "xAppOpen", "ExcelFileOpen開始", "終了"):
        check('】 %s' % line in log_text, "log has %s" % line)

finish()
