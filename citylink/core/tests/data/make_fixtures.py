#!/usr/bin/python3
"""Writes the attendance-export fixtures of the citylink core tests, in CP932 with CR LF, the way
the web attendance service exports them. Run once after changing this script; the outputs are
committed beside it."""
import pathlib

HERE = pathlib.Path(__file__).resolve().parent

HEADER = ["日付", "クラス", "園児番号", "生年月日", "年齢", "性別", "保育必要量", "園児名",
          "ふりがな", "出欠", "登園時間", "降園時間", "ユーザー定義1", "ユーザー定義2", "備考"]


def q(s):
    return '"' + s + '"'


def line(fields):
    return ",".join(fields) + "\r\n"


def write(name, text):
    (HERE / name).write_bytes(text.encode("cp932"))


def record(date, birth, need, name, reading, arrival, departure, note="", cls="ひよこ組",
           no="101"):
    return [q(date), q(cls), q(no), q(birth), q("2歳"), q("男"), q(need), q(name), q(reading),
            q("出席"), q(arrival), q(departure), q("0"), q("1"), q(note)]


header = line([q(h) for h in HEADER])

# A plain month as exported: every field quoted, Japanese names, a remark with a comma in it,
# one-digit months and days, a birth date in era form, a final CR LF.
april = header + "".join(line(r) for r in [
    record("2019/4/1", "2016/05/03", "保育短時間", "山田　太郎", "やまだ　たろう", "07:45", "15:30"),
    record("2019/4/1", "平成28年7月20日", "保育標準時間", "佐藤　花子", "さとう　はなこ", "08:30",
           "18:15", note="発熱のため、早退予定"),
    record("2019/04/02", "2016/5/3", "保育短時間", "山田　太郎", "やまだ　たろう", "08:00",
           "16:00"),
    record("2019/04/30", "2015/12/1", "保育標準時間", "髙橋　﨑子", "たかはし　さきこ", "", "",
           note="欠席"),
])
write("april2019.csv", april)

# Only the header line.
write("header_only.csv", header)

# The last record lost its last field.
short = april.rstrip("\r\n")
short = short[: short.rfind(",")] + "\r\n"
write("short_last.csv", short)

# What real files also look like: fields without quotes and with blanks around them, a record
# broken over two lines, a line break inside a quoted remark, no CR LF after the last record and
# then blank lines (some editors add them).
r1 = record("2019/4/3", "2016/05/03", "保育短時間", "山田　太郎", "やまだ　たろう", "7:30",
            "16:10")
r2 = ["2019/4/4", " ひよこ組", "101 ", "2016/05/03", "2歳", "男", "保育短時間", "山田　太郎",
      "やまだ　たろう", "出席", "08:10", "17:05", "0", "1", ""]
r3 = record("2019/4/5", "2016/05/03", "保育短時間", "山田　太郎", "やまだ　たろう", "08:00",
            "16:00", note="迎え遅れ\r\n連絡あり")
messy = (header + ",".join(r1[:7]) + "\r\n" + ",".join(r1[7:]) + "\r\n" + line(r2)
         + ",".join(r3) + "\r\n\r\n")
messy = messy.rstrip("\r\n") + "\r\n\r\n  \r\n"
messy_no_final = header + line(r1) + ",".join(r2)
write("line_breaks.csv", messy)
write("no_final_newline.csv", messy_no_final)
