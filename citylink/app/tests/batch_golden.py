#!/usr/bin/python3
"""The README's sample run through citylink-batch, compared byte for byte with committed outputs:
the filled workbook (both care needs, the standard-time run filling the short-time run's result)
and the processing log with its times of day masked. The Linux build and the Windows build (under
Wine) compare against the same files, so both write exactly the same bytes.

    batch_golden.py [--runner EMULATOR] [--also-engine NAME] [--update] CITYLINK_BATCH SOURCE_DIR
                    WORK_DIR

Every path the tool is given is relative to WORK_DIR (its working folder), so that the arguments
are the same on both systems; the sample workbook keeps its Japanese name, so that the command
line carries Japanese text. --also-engine runs the standard-time step once more with that --engine
(on Windows "excel", which without an installed Excel falls back to the embedded engine) and wants
the same bytes. --update writes the goldens from this run instead of comparing.
"""
import argparse
import glob
import os
import re
import shutil
import subprocess
import sys

MONTH, FISCAL_YEAR = "2024-06", "2024"
CSV = "attendance_2024-06.csv"
WORKBOOK = "時間外保育利用状況表.xlsx"
FILLED = "時間外保育利用状況表_記入済.xlsx"
GOLDEN = os.path.join("citylink", "app", "tests", "data")

# A log line is "【hh:nn:ss】 message" in quotes: the time is the run's, not the program's output.
TIME = re.compile(rb"\x81\x79\d\d:\d\d:\d\d\x81\x7a")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--runner", default="")
    parser.add_argument("--also-engine", default="")
    parser.add_argument("--update", action="store_true")
    parser.add_argument("exe")
    parser.add_argument("source")
    parser.add_argument("work")
    a = parser.parse_args()
    exe = os.path.abspath(a.exe)
    runner = [a.runner] if a.runner else []

    shutil.rmtree(a.work, ignore_errors=True)
    os.makedirs(os.path.join(a.work, "config"))
    os.makedirs(os.path.join(a.work, "log"))
    shutil.copy(os.path.join(a.source, "samples", CSV), a.work)
    shutil.copy(os.path.join(a.source, "samples", WORKBOOK), a.work)

    def run(*args, must_finish=True):
        r = subprocess.run(runner + [exe, *args, "--config-dir", "config", "--log-dir", "log"],
                           cwd=a.work, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        if must_finish and r.returncode != 0:
            sys.stdout.buffer.write(r.stdout + r.stderr)
            sys.exit("citylink-batch %s: exit status %d" % (" ".join(args), r.returncode))

    # As the demo does it: the tool seeds the first fiscal year, the clerk sets up the sample's.
    run("--show-layout", "2018", "--care", "short", must_finish=False)
    subprocess.run(["/usr/bin/python3", os.path.join(a.source, "samples", "make_demo_config.py"),
                    os.path.join(a.work, "config"), FISCAL_YEAR], check=True)
    run("--month", MONTH, "--csv", CSV, "--workbook", WORKBOOK, "--care", "short",
        "--output", "short-time.xlsx")
    run("--month", MONTH, "--csv", CSV, "--workbook", "short-time.xlsx", "--care", "standard",
        "--output", FILLED)

    with open(os.path.join(a.work, FILLED), "rb") as f:
        workbook = f.read()
    log = b""
    for name in sorted(glob.glob(os.path.join(a.work, "log", "*.log"))):
        with open(name, "rb") as f:
            log += f.read()
    log = TIME.sub(b"\x81\x79hh:nn:ss\x81\x7a", log)
    if a.also_engine:
        run("--month", MONTH, "--csv", CSV, "--workbook", "short-time.xlsx", "--care", "standard",
            "--engine", a.also_engine, "--output", "also.xlsx")
        with open(os.path.join(a.work, "also.xlsx"), "rb") as f:
            if f.read() != workbook:
                sys.exit("--engine %s wrote other bytes than the default engine" % a.also_engine)

    golden = os.path.join(a.source, GOLDEN)
    outputs = {"sample_filled.xlsx": workbook, "sample_run.log": log}
    if a.update:
        for name, data in outputs.items():
            with open(os.path.join(golden, name), "wb") as f:
                f.write(data)
        return
    failed = []
    for name, data in outputs.items():
        with open(os.path.join(golden, name), "rb") as f:
            expected = f.read()
        if data != expected:
            with open(os.path.join(a.work, "got_" + name), "wb") as f:
                f.write(data)
            at = next((i for i, (x, y) in enumerate(zip(data, expected)) if x != y),
                      min(len(data), len(expected)))
            failed.append("%s differs from %s at byte %d (%d bytes, %d expected); this run's "
                          "is in %s" % (name, os.path.join(GOLDEN, name), at, len(data),
                                        len(expected), os.path.join(a.work, "got_" + name)))
    if failed:
        failed.append("(an intended change of the output: run this script with --update on Linux, "
                      "then the Windows build must match it)")
        sys.exit("\n".join(failed))


if __name__ == "__main__":
    main()
