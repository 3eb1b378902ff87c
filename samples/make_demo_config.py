#!/usr/bin/python3
"""Prepares a config folder for the demo month, as a clerk would on the settings screen: the layout
file "札幌市連携.INI" (already seeded by the program with the first fiscal year, "2018") gets the
2018 positions copied into the section of the sample's fiscal year, and the two user-item numbers
"4-1" and "4-2" (left empty by the seeding) set to 1 and 2 in both sections.

    make_demo_config.py CONFIG_DIR FISCAL_YEAR

The sample month itself was generated with
    bench/citylink/make_month.py samples/attendance_2024-06.csv --children 40 --year 2024 --month 6 --seed 42
"""
import os
import sys


def main():
    folder, year = sys.argv[1], sys.argv[2]
    path = os.path.join(folder, "札幌市連携.INI")
    with open(path, encoding="cp932", newline="") as f:
        lines = f.read().split("\r\n")
    values, section = {}, None
    for line in lines:
        if line.startswith("[") and line.endswith("]"):
            section = line[1:-1]
        elif section == "2018" and "=" in line:
            key, value = line.split("=", 1)
            values[key] = value
    if not values.get("1-1"):
        sys.exit("%s: the 2018 section is not seeded yet" % path)
    values["4-1"], values["4-2"] = "1", "2"
    body = "".join("%s=%s\r\n" % kv for kv in values.items())
    text = "[2018]\r\n" + body
    if year != "2018":
        text += "[%s]\r\n" % year + body
    tmp = path + ".tmp"
    with open(tmp, "w", encoding="cp932", newline="") as f:
        f.write(text)
    os.replace(tmp, path)


if __name__ == "__main__":
    main()
