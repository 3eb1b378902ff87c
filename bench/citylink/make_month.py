#!/usr/bin/python3
"""Writes one month of attendance as the web attendance service exports it (screen
"登降園管理＞出席情報検索"): CP932, CR LF, every field quoted, a header line, one record per child
and day, children in class order. Both certifications, some children early or late, absences,
remarks with commas. Deterministic for a given seed.

    make_month.py OUT.csv [--children 300] [--year 2019] [--month 4] [--seed 1]

The benchmark uses 300 children; the demo's sample month about 40."""
import argparse
import calendar
import random

HEADER = ["日付", "クラス", "園児番号", "生年月日", "年齢", "性別", "保育必要量", "園児名",
          "ふりがな", "出欠", "登園時間", "降園時間", "ユーザー定義1", "ユーザー定義2", "備考"]

FAMILY = [("佐藤", "さとう"), ("鈴木", "すずき"), ("高橋", "たかはし"), ("田中", "たなか"),
          ("伊藤", "いとう"), ("渡辺", "わたなべ"), ("山本", "やまもと"), ("中村", "なかむら"),
          ("小林", "こばやし"), ("加藤", "かとう"), ("吉田", "よしだ"), ("山田", "やまだ"),
          ("佐々木", "ささき"), ("山口", "やまぐち"), ("松本", "まつもと"), ("井上", "いのうえ"),
          ("木村", "きむら"), ("林", "はやし"), ("斎藤", "さいとう"), ("清水", "しみず"),
          ("髙橋", "たかはし"), ("山﨑", "やまざき"), ("阿部", "あべ"), ("森", "もり")]
GIVEN = [("太郎", "たろう", "男"), ("翔太", "しょうた", "男"), ("蓮", "れん", "男"),
         ("大翔", "ひろと", "男"), ("悠真", "ゆうま", "男"), ("湊", "みなと", "男"),
         ("陽葵", "ひまり", "女"), ("結衣", "ゆい", "女"), ("花子", "はなこ", "女"),
         ("さくら", "さくら", "女"), ("芽依", "めい", "女"), ("葵", "あおい", "女"),
         ("凛", "りん", "女"), ("美咲", "みさき", "女"), ("健", "けん", "男"), ("樹", "いつき", "男")]
CLASSES = [("ひよこ組", 0), ("りす組", 1), ("うさぎ組", 2), ("きりん組", 3), ("ぞう組", 4),
           ("らいおん組", 5)]
SHORT, STANDARD = "保育短時間", "保育標準時間"
REMARKS = ["", "", "", "", "", "", "発熱のため、早退", "通院のため遅れて登園", "迎え：祖母",
           "午睡なし、元気"]


def q(s):
    return '"' + s.replace('"', '""') + '"'


def hhmm(minutes):
    return "%02d:%02d" % (minutes // 60, minutes % 60)


def children(n, year, month, rng):
    out = []
    for i in range(n):
        cls, age = CLASSES[i * len(CLASSES) // n]
        fam, fam_r = rng.choice(FAMILY)
        given, given_r, sex = rng.choice(GIVEN)
        by = year - age - (1 if month < 4 else 0) - 1
        birth = "%d/%d/%d" % (by, rng.randint(1, 12), rng.randint(1, 28))
        need = SHORT if rng.random() < 0.4 else STANDARD
        habit = rng.random()  # how often the child comes early or stays late
        out.append(dict(no=str(1001 + i), cls=cls, age="%d歳" % age, sex=sex,
                        name=fam + "　" + given, reading=fam_r + "　" + given_r, birth=birth,
                        need=need, habit=habit, disability=str(int(rng.random() < 0.05)),
                        reduction=str(int(rng.random() < 0.1))))
    return out


def times(child, rng):
    extended = rng.random() < child["habit"] * 0.5
    if child["need"] == SHORT:  # band 08:00-16:00
        arrive = rng.randint(7 * 60, 7 * 60 + 59) if extended and rng.random() < 0.5 else \
            rng.randint(8 * 60, 9 * 60 + 30)
        leave = rng.randint(16 * 60 + 1, 17 * 60) if extended else rng.randint(14 * 60, 16 * 60)
    else:  # up to 18:00
        arrive = rng.randint(7 * 60, 9 * 60)
        leave = rng.randint(18 * 60 + 1, 19 * 60) if extended else rng.randint(16 * 60, 18 * 60)
    return hhmm(arrive), hhmm(leave)


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("out")
    ap.add_argument("--children", type=int, default=300)
    ap.add_argument("--year", type=int, default=2019)
    ap.add_argument("--month", type=int, default=4)
    ap.add_argument("--seed", type=int, default=1)
    a = ap.parse_args()
    rng = random.Random(a.seed)
    kids = children(a.children, a.year, a.month, rng)
    days = calendar.monthrange(a.year, a.month)[1]
    lines = [",".join(q(h) for h in HEADER)]
    for kid in kids:
        for d in range(1, days + 1):
            weekday = calendar.weekday(a.year, a.month, d)
            absent = weekday == 6 or (weekday == 5 and rng.random() < 0.7) or rng.random() < 0.05
            arrive, leave = ("", "") if absent else times(kid, rng)
            lines.append(",".join(q(f) for f in [
                "%d/%02d/%02d" % (a.year, a.month, d), kid["cls"], kid["no"], kid["birth"],
                kid["age"], kid["sex"], kid["need"], kid["name"], kid["reading"],
                "欠席" if absent else "出席", arrive, leave, kid["disability"], kid["reduction"],
                "" if absent else rng.choice(REMARKS)]))
    with open(a.out, "wb") as f:
        f.write(("\r\n".join(lines) + "\r\n").encode("cp932"))


if __name__ == "__main__":
    main()
