"""What the citylink-batch test scripts share: their failure list, the folders and settings a
clerk's first start leaves, and months of attendance made for the test.

A script collects failures with check() and ends with finish(), which prints the count and sets
the exit code; a failed check does not stop the script, so one run shows every failure.
"""
import os
import subprocess
import sys

# The export's header line, as the web attendance service writes it.
HEADER = ('"日付","クラス","園児番号","生年月日","年齢","性別","保育必要量","園児名","ふりがな",'
          '"出欠","登園時間","降園時間","ユーザー定義1","ユーザー定義2","備考"\r\n')
LAYOUT = "札幌市連携.INI"
failures = []


def check(cond, what):
    if not cond:
        failures.append(what)
        print("FAIL:", what)


def finish():
    print("%d failure(s)" % len(failures))
    sys.exit(1 if failures else 0)


def work_folders(tmp):
    """The settings and log folders of a run, made under tmp: (config, logs)."""
    cfg, logs = os.path.join(tmp, "config"), os.path.join(tmp, "logs")
    os.makedirs(cfg)
    os.makedirs(logs)
    return cfg, logs


def write_layout(batch, cfg, year=2024, extra=(), log_dir=None):
    """Seeds the layout file through the tool, then sets the year's section as a clerk would on the
    settings screen: the 2018 defaults copied to the year, the two item numbers set, and `extra`
    (pairs of key and value) over them. The seeding's log goes to log_dir (default: cfg)."""
    subprocess.run([batch, "--show-layout", "2018", "--care", "short", "--config-dir", cfg,
                    "--log-dir", log_dir or cfg], capture_output=True)
    path = os.path.join(cfg, LAYOUT)
    with open(path, encoding="cp932", newline="") as f:
        body = f.read().split("[2018]", 1)[1]
    values = dict(line.split("=", 1) for line in body.splitlines() if "=" in line)
    values["4-1"], values["4-2"] = "1", "2"
    values.update(dict(extra))
    section = "".join("%s=%s\r\n" % (k, v) for k, v in values.items())
    with open(path, "w", encoding="cp932", newline="") as f:
        f.write("[2018]\r\n" + section + "[%d]\r\n" % year + section)


def generate_month(src, path, children, year=2024, month=6, seed=None):
    """A realistic month from the benchmarks' generator (bench/citylink/make_month.py)."""
    args = ["/usr/bin/python3", os.path.join(src, "bench", "citylink", "make_month.py"), path,
            "--children", str(children), "--year", str(year), "--month", str(month)]
    if seed is not None:
        args += ["--seed", str(seed)]
    subprocess.run(args, check=True)


def write_month(path, children):
    """One record per child, every child early (07:xx) on some day of June 2024: every child has
    extended care, each under a name of its own."""
    with open(path, "wb") as f:
        f.write(HEADER.encode("cp932"))
        chunk = []
        for i in range(children):
            chunk.append('"2024/06/%02d","ひよこ組","%d","2021/%d/%d","3歳","男","保育短時間",'
                         '"山田　%d","やまだ　%d","出席","07:%02d","17:%02d","0","0","xyz"\r\n'
                         % (i % 30 + 1, 100000 + i, i % 12 + 1, i % 28 + 1, i, i, i % 60, i % 60))
            if len(chunk) == 20000:
                f.write("".join(chunk).encode("cp932"))
                chunk = []
        f.write("".join(chunk).encode("cp932"))
