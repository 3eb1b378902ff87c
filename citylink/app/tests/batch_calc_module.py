#!/usr/bin/python3
"""citylink-batch without its Calc module beside it (as where LibreOffice or the module is not
installed): the program does not link the office's libraries, so it starts and fills the workbook
on the embedded engine, and --engine calc ends in the start failure with the loader's reason in
the log. Needs no office.

    batch_calc_module.py CITYLINK_BATCH SOURCE_DIR
"""
import glob
import os
import shutil
import subprocess
import sys
import tempfile

from batch_common import check, finish

BATCH, SRC = sys.argv[1], sys.argv[2]
SAMPLE = os.path.join(SRC, "samples", "時間外保育利用状況表.xlsx")
MONTH = os.path.join(SRC, "samples", "attendance_2024-06.csv")
MAKE_CONFIG = os.path.join(SRC, "samples", "make_demo_config.py")


needed = subprocess.run(["readelf", "-d", BATCH], capture_output=True, text=True, check=True).stdout
check("libuno_" not in needed, "citylink-batch links the UNO runtime:\n" + needed)

with tempfile.TemporaryDirectory() as tmp:
    alone = os.path.join(tmp, "bin")
    cfg, logs = os.path.join(tmp, "config"), os.path.join(tmp, "logs")
    for d in (alone, cfg, logs):
        os.makedirs(d)
    batch = os.path.join(alone, "citylink-batch")
    shutil.copy2(BATCH, batch)
    subprocess.run([batch, "--show-layout", "2018", "--care", "short", "--config-dir", cfg,
                    "--log-dir", logs], capture_output=True)
    subprocess.run(["/usr/bin/python3", MAKE_CONFIG, cfg, "2024"], check=True,
                   capture_output=True)
    common = ["--month", "2024-06", "--csv", MONTH, "--workbook", SAMPLE, "--care", "short",
              "--config-dir", cfg, "--log-dir", logs]

    embedded = os.path.join(tmp, "embedded.xlsx")
    p = subprocess.run([batch, *common, "--output", embedded], capture_output=True, text=True)
    check(p.returncode == 0 and os.path.exists(embedded),
          "the embedded engine without the module: exit %d\n%s" % (p.returncode, p.stderr))

    calc = os.path.join(tmp, "calc.xlsx")
    p = subprocess.run([batch, *common, "--engine", "calc", "--output", calc],
                       capture_output=True, text=True)
    check(p.returncode != 0, "--engine calc without the module succeeded")
    check("EXCELの起動に失敗しました。" in p.stderr, "start failure message: " + p.stderr)
    check(not os.path.exists(calc), "a workbook was stored without Calc")
    log = "".join(open(f, encoding="cp932").read() for f in glob.glob(os.path.join(logs, "*.log")))
    check(os.path.join(alone, "citylink-calc.so") in log,
          "the log names the missing module:\n" + log[-1500:])

finish()
