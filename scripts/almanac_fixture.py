#!/usr/bin/env python3
"""Write the almanac's day facts (everything but 宜 and 忌) for a sample of days, as `tempo almanac --json`
prints them, one line a day: the fixture data/almanac_day_facts.tsv that the core tests compare the
almanac against, so that a change to the weighing of 宜/忌 cannot move any other field.

    scripts/almanac_fixture.py path/to/tempo > data/almanac_day_facts.tsv

The sample: every 97th day from 1901-01-01 to 2100-12-31 (97 is prime to the cycles of 7, 9, 12, 28
and 60 days), and the day before, of and after each 节 of 2024 and 2025.
"""
import datetime
import json
import subprocess
import sys


def line(tempo, day):
    out = subprocess.run([tempo, "almanac", day.isoformat(), "--json"], check=True, capture_output=True, text=True)
    a = json.loads(out.stdout)
    fields = [
        day.isoformat(), a["officer"], a["spirit"], "1" if a["yellow_path"] else "0", a["mansion"], a["mansion_luck"],
        a["nayin"]["year"], a["nayin"]["month"], a["nayin"]["day"], a["clash"]["ganzhi"], a["clash"]["animal"],
        a["sha"], a["pengzu"], a["fetus"], a["directions"]["joy"], a["directions"]["fortune"],
        a["directions"]["wealth"], a["directions"]["yang_noble"], a["directions"]["yin_noble"], a["nine_star"],
        a["pentad"], " ".join(a["good_gods"]), " ".join(a["bad_gods"]),
        " ".join(h["ganzhi"] + h["spirit"] + h["luck"] for h in a["hours"]),
    ]
    return "\t".join(fields)


def main():
    tempo = sys.argv[1]
    days = set()
    d, last = datetime.date(1901, 1, 1), datetime.date(2100, 12, 31)
    while d <= last:
        days.add(d)
        d += datetime.timedelta(days=97)
    # The 节 of 2024 and 2025 (UTC+8), from the official tables.
    jie = ["2024-01-06", "2024-02-04", "2024-03-05", "2024-04-04", "2024-05-05", "2024-06-05", "2024-07-06",
           "2024-08-07", "2024-09-07", "2024-10-08", "2024-11-07", "2024-12-06", "2025-01-05", "2025-02-03",
           "2025-03-05", "2025-04-04", "2025-05-05", "2025-06-05", "2025-07-07", "2025-08-07", "2025-09-07",
           "2025-10-08", "2025-11-07", "2025-12-07"]
    for j in jie:
        t = datetime.date.fromisoformat(j)
        for k in (-1, 0, 1):
            days.add(t + datetime.timedelta(days=k))
    print("# date\tofficer\tspirit\tyellow\tmansion\tluck\tnayin year/month/day\tclash\tanimal\tsha\tpengzu\tfetus"
          "\tjoy\tfortune\twealth\tyang noble\tyin noble\tnine star\tpentad\tgood spirits\tbad spirits\thours")
    for day in sorted(days):
        print(line(tempo, day))


if __name__ == "__main__":
    main()
