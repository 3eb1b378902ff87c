#!/usr/bin/python3
"""citylink-batch against hostile inputs, each made here: a month of far more children than the
form has rows for (peak memory measured), FIFOs and devices as CSV or workbook, --output naming
files it must never replace, and the first start killed at named steps of seeding the settings.

    batch_hostile.py CITYLINK_BATCH SOURCE_DIR
"""
import os
import resource
import signal
import subprocess
import sys
import tempfile
import zipfile

from batch_common import LAYOUT, check, finish, work_folders, write_layout, write_month

BATCH, SRC = sys.argv[1], sys.argv[2]
SAMPLE = os.path.join(SRC, "samples", "時間外保育利用状況表.xlsx")
# The ceiling holds for the product's builds. A sanitizer build keeps shadow memory and a quarantine
# of freed blocks, so its peak says nothing about the program's own use: it gets no ceiling.
MEMORY_CEILING_MB = float("inf") if os.environ.get("SUITE_SANITIZED") else 256


def run(*args, env=None, timeout=120):
    """Runs the tool; returns (exit code, stdout, stderr, peak resident memory in MB)."""
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        p = subprocess.Popen([BATCH, *args], stdout=out, stderr=err, env=env)
        try:
            p.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            p.kill()
            p.wait()
            return None, "", "timed out", 0
        # wait() above reaped it; its usage is in the children's total, largest so far.
        peak = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss / 1024
        out.seek(0)
        err.seek(0)
        return p.returncode, out.read().decode(), err.read().decode(), peak


def read(path):
    with open(path, "rb") as f:
        return f.read()


with tempfile.TemporaryDirectory() as tmp:
    cfg, logs = work_folders(tmp)
    write_layout(BATCH, cfg, log_dir=logs)
    sample = read(SAMPLE)
    common = ["--config-dir", cfg, "--log-dir", logs, "--month", "2024-06"]

    # ---- more children than the form has rows for (the sample has 60 per sheet) ----------------
    big = os.path.join(tmp, "big.csv")
    write_month(big, 450000)
    size = os.path.getsize(big)
    check(60e6 < size < 64 << 20, "the hostile month is about 61 MB: %d bytes" % size)
    out = os.path.join(tmp, "big_filled.xlsx")
    code, _, err, peak = run(*common, "--csv", big, "--workbook", SAMPLE, "--output", out)
    print("450,000 children: exit %s, peak %.0f MB" % (code, peak))
    check(code == 1, "450,000 children refused: %s %s" % (code, err))
    check("延長保育の園児が450000人いますが" in err and "60人分の行しかありません" in err,
          "the refusal names both counts: " + err)
    check(peak < MEMORY_CEILING_MB, "peak memory %.0f MB under 256 MB" % peak)
    check(not os.path.exists(out), "nothing written for a refused month")
    check(read(SAMPLE) == sample, "the workbook is unchanged")

    # The same month against a large (but accepted) workbook: the month's memory must not add up
    # with the workbook's. The form's sheet gets rows of its own below the form, 8 MB of them.
    large = os.path.join(tmp, "large.xlsx")
    with zipfile.ZipFile(SAMPLE) as src, \
            zipfile.ZipFile(large, "w", zipfile.ZIP_DEFLATED, compresslevel=1) as dst:
        for info in src.infolist():
            data = src.read(info.filename)
            if info.filename == "xl/worksheets/sheet1.xml":
                rows = "".join('<row r="%d"><c r="A%d"><v>1</v></c><c r="B%d"><v>2</v></c></row>'
                               % (r, r, r) for r in range(300, 300 + (8 << 20) // 60))
                data = data.decode().replace("</sheetData>", rows + "</sheetData>", 1).encode()
            dst.writestr(info.filename, data)
    code, _, err, peak = run(*common, "--csv", big, "--workbook", large, "--output", out)
    print("450,000 children, large workbook: exit %s, peak %.0f MB" % (code, peak))
    check(code == 1 and "延長保育の園児が450000人いますが" in err, "refused: %s %s" % (code, err))
    check(peak < MEMORY_CEILING_MB, "peak memory %.0f MB under 256 MB with a large workbook" % peak)
    os.remove(big)

    for children, code_wanted in ((61, 1), (60, 0)):
        month = os.path.join(tmp, "m%d.csv" % children)
        write_month(month, children)
        out = os.path.join(tmp, "m%d.xlsx" % children)
        code, _, err, _ = run(*common, "--csv", month, "--workbook", SAMPLE, "--output", out)
        check(code == code_wanted, "%d children: exit %s: %s" % (children, code, err))
        check(os.path.exists(out) == (code_wanted == 0), "%d children: output file" % children)
    check("延長保育の園児が61人いますが" not in err, "60 children fit")

    # ---- FIFOs and devices, as CSV and as workbook: refused by name, never waited on -----------
    month = os.path.join(tmp, "m60.csv")
    fifo = os.path.join(tmp, "pipe.csv")
    os.mkfifo(fifo)
    for csv_arg, book_arg, named in ((fifo, SAMPLE, fifo), ("/dev/zero", SAMPLE, "/dev/zero"),
                                     (month, fifo, fifo), (month, "/dev/urandom", "/dev/urandom")):
        code, _, err, _ = run(*common, "--csv", csv_arg, "--workbook", book_arg, timeout=60)
        check(code == 1, "%s / %s refused, not waited on: %s %s" % (csv_arg, book_arg, code, err))
        check("「%s」は通常のファイルではありません。" % named in err, "named: " + err)

    # ---- --output never replaces what it must not ------------------------------------------------
    existing = os.path.join(tmp, "existing.xlsx")
    with open(existing, "wb") as f:
        f.write(b"keep me")
    args = [*common, "--csv", month, "--workbook", SAMPLE]
    code, _, err, _ = run(*args, "--output", existing)
    check(code == 2 and "--overwrite" in err and read(existing) == b"keep me",
          "an existing --output needs --overwrite: %s %s" % (code, err))
    code, _, err, _ = run(*args, "--output", existing, "--overwrite")
    check(code == 0 and read(existing)[:2] == b"PK", "--overwrite replaces it: %s %s" % (code, err))
    link = os.path.join(tmp, "link.xlsx")
    os.symlink(month, link)
    hard = os.path.join(tmp, "hard.xlsx")
    os.link(month, hard)
    book = os.path.join(tmp, "book.xlsx")
    with open(book, "wb") as f:
        f.write(sample)
    ini = os.path.join(cfg, LAYOUT)
    before = {p: read(p) for p in (month, book, ini)}
    for target in (month, link, hard, "./" + os.path.relpath(month), book, ini,
                   os.path.join(cfg, "札幌市連携時間設定.INI")):
        code, _, err, _ = run(*common, "--csv", month, "--workbook", book, "--output", target,
                              "--overwrite")
        check(code == 2 and "never written" in err, "--output %s refused: %s %s" % (target, code, err))
    check(all(read(p) == b for p, b in before.items()), "the CSV, workbook and settings unchanged")
    check(not os.path.exists(os.path.join(cfg, "札幌市連携時間設定.INI")), "no bands file made")

    # ---- the first start killed while it seeds the settings ---------------------------------------
    for step, leaves_temp in (("ini-written", False), ("ini-linked", True)):
        folder = os.path.join(tmp, step)
        os.makedirs(folder)
        env = dict(os.environ, SUITE_TEST_PAUSE_AT=step)
        p = subprocess.Popen([BATCH, "--show-layout", "2018", "--care", "short", "--config-dir",
                              folder, "--log-dir", folder], env=env,
                             stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        _, status = os.waitpid(p.pid, os.WUNTRACED)
        check(os.WIFSTOPPED(status), "%s: the start paused at its step" % step)
        os.kill(p.pid, signal.SIGKILL)
        p.wait()
        names = sorted(n for n in os.listdir(folder) if not n.endswith("_.log"))
        check(LAYOUT not in names, "%s: no settings file after the kill: %s" % (step, names))
        check(bool(names) == leaves_temp, "%s: what the kill left: %s" % (step, names))
        run("--show-layout", "2018", "--care", "short", "--config-dir", folder, "--log-dir", folder)
        names = sorted(n for n in os.listdir(folder) if not n.endswith("_.log"))
        check(names == [LAYOUT], "%s: the next start seeds and cleans up: %s" % (step, names))
        lines = read(os.path.join(folder, LAYOUT)).decode("cp932").split("\r\n")
        check(len([l for l in lines if "=" in l]) == 25, "%s: all 25 keys: %s" % (step, lines))

finish()
