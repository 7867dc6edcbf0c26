#!/usr/bin/env python3
"""End-to-end tests of the tempo command line: text and JSON output, errors, exit statuses."""
import datetime
import json
import math
import os
import shutil
import subprocess
import tempfile
import sys
import unittest

TEMPO = sys.argv.pop(1) if len(sys.argv) > 1 else "build/tempo"


def run(*args):
    p = subprocess.run([TEMPO, *args], capture_output=True)
    return p.returncode, p.stdout.decode("utf-8"), p.stderr.decode("utf-8")


def ok_json(*args):
    code, out, err = run(*args, "--json")
    assert code == 0, (args, code, err)
    return json.loads(out)


def seconds(clock):
    h, m, s = (int(x) for x in clock.split(":"))
    return h * 3600 + m * 60 + s


class DayNumbers(unittest.TestCase):
    def test_jd_and_date_are_inverse(self):
        self.assertEqual(run("jd", "2000-01-01")[1].strip(), "2451545")
        self.assertEqual(run("jd", "AD02-10-2024")[1].strip(), str(2451545 + 8806))
        self.assertEqual(run("jd", "-4712-01-01")[1].strip(), "0")
        self.assertEqual(run("date", "2299161")[1].strip(), "AD10-15-1582")
        self.assertEqual(run("date", "-365")[1].strip(), "BC01-01-4714")
        self.assertEqual(ok_json("jd", "BC03-01-0001")["date"], "BC03-01-0001")

    def test_deltat(self):
        code, out, _ = run("deltat", "2000-01-01")
        self.assertEqual(code, 0)
        self.assertAlmostEqual(float(out), 63.86, delta=0.01)


class Positions(unittest.TestCase):
    def test_sun_and_moon_at_j2000(self):
        self.assertAlmostEqual(float(run("sun", "--jd", "2451545.0")[1]), 280.368, delta=0.001)
        self.assertAlmostEqual(float(run("moon", "--jd", "2451545")[1]), 223.314, delta=0.001)
        self.assertAlmostEqual(ok_json("sun", "--jd", "2451545")["longitude"], 280.368, delta=0.001)


class Events(unittest.TestCase):
    def test_terms_of_2024(self):
        terms = ok_json("terms", "2024")
        self.assertEqual(len(terms), 24)
        self.assertEqual(terms[0]["name"], "小寒")
        self.assertEqual(terms[0]["longitude"], 285)
        self.assertTrue(terms[0]["local"].startswith("AD01-06-2024 04:49"))
        equinox = next(t for t in terms if t["name"] == "春分")
        self.assertEqual(equinox["longitude"], 0)
        self.assertTrue(equinox["local"].startswith("AD03-20-2024 11:06"), equinox)
        times = [t["jd_ut"] for t in terms]
        self.assertEqual(times, sorted(times))
        # Text output: one line per term, the same instants.
        lines = run("terms", "2024")[1].splitlines()
        self.assertEqual(len(lines), 24)
        self.assertIn("春分", lines[5])
        self.assertIn("AD03-20-2024 11:06", lines[5])

    def test_moons_of_2024(self):
        moons = ok_json("moons", "2024")
        self.assertIn(len(moons), (24, 25, 26))
        phases = [m["phase"] for m in moons]
        self.assertTrue(all(a != b for a, b in zip(phases, phases[1:])))  # they alternate
        first_new = next(m for m in moons if m["phase"] == "new")
        self.assertTrue(first_new["local"].startswith("AD01-11-2024 19:5"), first_new)
        for m in moons:
            self.assertTrue(m["local"].endswith("2024", 0, 12))

    def test_terms_where_the_calendar_changed_its_rule(self):
        # 1645: the Qing theory replaced the mean terms a day before its own 白露; 1207: a new mean-term
        # calendar from 12-17 gives 小寒 on 12-30. Each term once, as the table lists them.
        for year in ("1645", "1207"):
            terms = ok_json("terms", year)
            self.assertEqual(len(terms), 24, year)
            self.assertEqual(len({t["name"] for t in terms}), 24, year)
            table = ok_json("table", "solar-terms", year)["terms"]
            self.assertEqual([t["local"] for t in terms], [t["local"] for t in table], year)
        self.assertEqual(ok_json("terms", "1645")[16]["local"][:12], "AD09-06-1645")
        self.assertEqual(ok_json("terms", "1645")[17]["name"], "秋分")

    def test_terms_of_far_years(self):
        for year in ("-103", "400", "5000", "9999", "-9998"):
            terms = ok_json("terms", year)
            self.assertIn(len(terms), (23, 24, 25), year)


class SunTimes(unittest.TestCase):
    def test_beijing_midsummer(self):
        t = ok_json("sun-times", "2024-06-21")
        self.assertLessEqual(abs(seconds(t["sunrise"]) - seconds("04:46:11")), 1)
        self.assertLessEqual(abs(seconds(t["sunset"]) - seconds("19:46:23")), 1)
        self.assertEqual(set(t), {"date", "iso", "place", "dawn", "sunrise", "transit", "sunset", "dusk", "day_length",
                                  "twilight_length", "no_sunrise", "no_dawn"})
        self.assertEqual((t["iso"], t["date"]), ("2024-06-21", "AD06-21-2024"))
        self.assertEqual(t["place"], {"longitude": -116.38, "latitude": 39.9, "zone": 8})

    def test_other_places_and_out_of_range(self):
        t = ok_json("sun-times", "2024-06-21", "--lon", "74", "--lat", "40.7", "--zone", "-5")
        self.assertLessEqual(abs(seconds(t["transit"]) - seconds("11:57:00")), 60)
        # The North Pole at the winter solstice: no sunrise, no dawn, said so in JSON and in text.
        t = ok_json("sun-times", "2024-12-21", "--lon", "0", "--lat", "90", "--zone", "0")
        self.assertEqual((t["sunrise"], t["sunset"], t["no_sunrise"], t["day_length"]),
                         (None, None, "polar night", "00:00:00"))
        code, out, _ = run("sun-times", "2024-12-21", "--lon", "0", "--lat", "90", "--zone", "0")
        self.assertEqual(out.splitlines()[:2], ["黎明 无（极夜）", "日出 无（极夜）"])
        code, out, _ = run("sun-times", "2024-06-21", "--lon", "0", "--lat", "90", "--zone", "0")
        self.assertEqual(out.splitlines()[:2], ["黎明 无（极昼）", "日出 无（极昼）"])


# --- independent computations -------------------------------------------------------------------

def hijri_day_number(y, m, d):
    """The day number of a date of the arithmetic (civil) Hijri calendar: 354 days a year, 11 leap
    years in 30, months alternately 30 and 29 days, 1 Muharram 1 = day 1948440 (622-07-16 Julian)."""
    return d + math.ceil(29.5 * (m - 1)) + (y - 1) * 354 + (3 + 11 * y) // 30 + 1948439


def date_text(day_number):
    """The program's date text of a day number after 1582 (Gregorian): ADMM-DD-YYYY."""
    g = datetime.date.fromordinal(day_number - 1721425)
    return "AD%02d-%02d-%04d" % (g.month, g.day, g.year)


def sun_events(date, lon, lat, zone):
    """Dawn, sunrise, transit, sunset, dusk, day length and dawn-to-dusk length in seconds (or the
    marker texts), by the single-pass method with the Sun of Meeus's low-accuracy theory (ch. 25,
    about 0.01 degree): the Sun's place at 0h UT, hour angles in closed form; rise and set at
    -50', civil twilight at -6 degrees; longitude east negative."""
    jd0 = date.toordinal() + 1721424.5
    t = (jd0 + 69.0 / 86400 - 2451545.0) / 36525  # TT; Delta T is about 69 s in the 2020s
    l0 = 280.46646 + 36000.76983 * t + 0.0003032 * t * t
    m = math.radians(357.52911 + 35999.05029 * t - 0.0001537 * t * t)
    c = ((1.914602 - 0.004817 * t) * math.sin(m) + (0.019993 - 0.000101 * t) * math.sin(2 * m)
         + 0.000289 * math.sin(3 * m))
    omega = math.radians(125.04 - 1934.136 * t)
    lam = math.radians(l0 + c - 0.00569 - 0.00478 * math.sin(omega))
    eps = math.radians(23.43929111 - 0.01300417 * t)  # mean obliquity
    alpha = math.degrees(math.atan2(math.cos(eps) * math.sin(lam), math.cos(lam)))
    delta = math.asin(math.sin(eps) * math.sin(lam))
    tu = (jd0 - 2451545.0) / 36525
    theta = 280.46061837 + 360.98564736629 * (jd0 - 2451545.0) + 0.000387933 * tu * tu  # Meeus 12.4
    k = (theta - lon - alpha) % 360.0 - 180.0
    phi = math.radians(lat)

    def hour_angle(h0):
        x = (math.sin(math.radians(h0)) - math.sin(delta) * math.sin(phi)) / (math.cos(delta) * math.cos(phi))
        return -180.0 if x <= -1 else 180.0 if x >= 1 else math.degrees(math.acos(x))

    def clock(v):
        return (v % 1.0) * 86400

    h1, h2 = hour_angle(-50 / 60), hour_angle(-6.0)
    # The Sun crosses the meridian every day, below the horizon in the polar night.
    out = {"transit": clock(zone / 24 + (180 - k) / 360)}
    # A pair of moments that does not happen is null, with its reason: the Sun below the threshold
    # all day (polar night), above the horizon all day (midnight sun), or above the twilight's
    # threshold all night though it sets (white night).
    for name, h, start, end, length, why in (("day", h1, "sunrise", "sunset", "day_length", "no_sunrise"),
                                             ("twilight", h2, "dawn", "dusk", "twilight_length", "no_dawn")):
        if h == -180:
            reason = "midnight sun" if h1 == -180 else "white night"
            out.update({start: None, end: None, length: "24:00:00", why: reason})
        elif h == 180:
            out.update({start: None, end: None, length: "00:00:00", why: "polar night"})
        else:
            out.update({start: clock(zone / 24 + (180 - h - k) / 360), end: clock(zone / 24 + (180 + h - k) / 360),
                        length: 2 * h / 360 * 86400, why: None})
    return out


class AgainstIndependentComputations(unittest.TestCase):
    def assertClock(self, got, expected, what):
        if expected is None or isinstance(expected, str):
            self.assertEqual(got, expected, what)
        else:
            # The program cuts the seconds; the low-accuracy Sun is good to a few seconds.
            self.assertLessEqual(abs(seconds(got) - expected), 8, (what, got, expected))

    def test_sun_times_of_every_kind_of_place(self):
        # (date, --lon, --lat, --zone): Beijing, New York, Sydney, Quito, Reykjavik in its white
        # night (no civil dusk), Svalbard in polar day and polar night.
        places = [("2024-06-21", -116.38, 39.90, 8), ("2024-03-15", 74.006, 40.713, -5),
                  ("2024-12-25", -151.21, -33.87, 10), ("2024-09-22", 78.47, -0.18, -5),
                  ("2024-06-21", 21.94, 64.15, 0), ("2024-06-21", -15.6, 78.2, 1), ("2024-12-21", -15.6, 78.2, 1),
                  ("2024-12-21", -116.38, 89.9, 8), ("2024-06-21", 0.0, -90.0, 0)]
        for date, lon, lat, zone in places:
            got = ok_json("sun-times", date, "--lon", str(lon), "--lat", str(lat), "--zone", str(zone))
            expected = sun_events(datetime.date.fromisoformat(date), lon, lat, zone)
            self.assertEqual(got.pop("place"), {"longitude": lon, "latitude": lat, "zone": zone})
            self.assertEqual((got.pop("iso"), got.pop("date")), (date, "AD%s-%s-%s" % (date[5:7], date[8:], date[:4])))
            self.assertEqual(set(got), set(expected))
            for name, value in expected.items():
                self.assertClock(got[name], value, (date, lon, lat, name))

    def test_the_places_of_a_province_to_its_last(self):
        # (P/C, longitude east negative, latitude) from the place table; the day's four sun times
        # follow the place's coordinates in UTC+8. 彭水 .. 秀山 of 重庆 have no coordinates (0, 0).
        places = [("1/1", -116.38, 39.90), ("1/16", -117.10, 40.13), ("4/34", 0.0, 0.0), ("31/20", -109.52, 18.78),
                  ("32/1", -114.18, 22.20), ("35/1", 0.0, -90.0), ("35/2", 0.0, 90.0)]
        for place, lon, lat in places:
            got = ok_json("day", "2024-06-21", "--place", place)["sun_times"]
            expected = sun_events(datetime.date(2024, 6, 21), lon, lat, 8)
            for name in ("dawn", "sunrise", "sunset", "dusk", "no_sunrise", "no_dawn"):
                self.assertClock(got[name], expected[name], (place, name))
        for place in ("1/17", "4/35", "31/21", "35/3", "35/0", "0/1", "36/1"):
            code, out, err = run("day", "2024-06-21", "--place", place)
            self.assertEqual(code, 2, place)
            self.assertIn("no place", err, place)

    def test_hijri_criteria_of_the_condition_days(self):
        # (criteria, first year, years, the Hijri dates (y, m, d) that must be hit)
        cases = [
            (("--hijri-month", "9", "--hijri-day", "1"), 2020, 10, [(y, 9, 1) for y in range(1441, 1452)]),
            # The 30th of Dhu al-Hijja only in leap years: 1445 and 1448 of 1441..1451.
            (("--hijri-month", "12", "--hijri-day", "30"), 2020, 10,
             [(y, 12, 30) for y in range(1441, 1452) if (14 + 11 * y) % 30 < 11]),
            # Every 30th of 2024: the odd months, and the twelfth of a leap year.
            (("--hijri-day", "30"), 2024, 1,
             [(y, mo, 30) for y in (1445, 1446) for mo in range(1, 13) if mo % 2 == 1 or (mo == 12 and y == 1445)]),
            (("--hijri-month", "1", "--hijri-day", "10", "--weekday", "星期五"), 2000, 30,
             [(y, 1, 10) for y in range(1420, 1452)]),
        ]
        for criteria, first, years, hijri in cases:
            got = ok_json("query", "days", "--from", str(first), "--years", str(years), *criteria)["hits"]
            days = (hijri_day_number(*h) for h in hijri)
            span = range(datetime.date(first, 1, 1).toordinal() + 1721425,
                         datetime.date(first + years, 1, 1).toordinal() + 1721425)
            weekday = "--weekday" in criteria
            # Day numbers mod 7: 0 is a Monday (2000-01-01, day 2451545, was a Saturday), 4 a Friday.
            expected = [date_text(n) for n in days if n in span and (not weekday or n % 7 == 4)]
            self.assertEqual(got, expected, criteria)
            self.assertTrue(got, criteria)
        for criteria in (("--hijri-day", "31"), ("--hijri-month", "13"), ("--hijri-day", "0")):
            self.assertEqual(run("query", "days", "--from", "2024", "--years", "1", *criteria)[0], 2, criteria)

    def test_a_query_over_more_than_100_years_searches_100_and_says_so(self):
        # New Year's Day of 2000..2099, not of 2100..2149; the notice in English like every message.
        code, out, err = run("query", "days", "--from", "2000", "--years", "150", "--solar-month", "1",
                             "--solar-day", "1", "--json")
        self.assertEqual(code, 0)
        self.assertEqual(json.loads(out)["hits_iso"], ["%d-01-01" % y for y in range(2000, 2100)])
        self.assertEqual(err, "tempo: a query searches at most 100 years; the first 100 were searched\n")

    def test_the_values_of_a_day(self):
        # 2024-02-10 (day 2460351): 正月初一 甲辰; 1445-07-30 of the arithmetic Hijri calendar; a
        # Saturday; 水瓶座 (01-20 .. 02-18); sexagenary year 41 (甲辰), month 3 (丙寅), day 41 (甲辰:
        # (2460351 - 11) mod 60 + 1).
        d = ok_json("day", "2024-02-10")
        self.assertEqual(hijri_day_number(1445, 7, 30), 2460351)
        self.assertEqual(d["hijri"], {"year": 1445, "month": 7, "day": 30, "text": "AD07-30-1445", "iso": "1445-07-30"})
        self.assertEqual(d["lunar"], {"year": 2024, "month": 1, "day": 1, "text": "AD01-01-2024", "iso": "2024-01-01",
                                      "month_name": "正月", "day_name": "初一", "leap": False})
        self.assertEqual((d["iso"], d["day_number"]), ("2024-02-10", 2460351))
        self.assertEqual(d["place"]["name"], "天安门")
        self.assertEqual(d["ganzhi"]["year"], 41)
        self.assertEqual(d["ganzhi"]["month"], 3)
        self.assertEqual(d["ganzhi"]["day"], (2460351 - 11) % 60 + 1)
        self.assertEqual(d["zodiac_sign"], "水瓶座")
        self.assertEqual(d["next_term"], "2月19日雨水")
        self.assertEqual(d["periods"]["nine_nines"], "六九第6天")  # 冬至 2023-12-22: day 51 = 6th of the 6th nine
        # A leap month: 2023-04-19 is 闰二月廿九.
        leap = ok_json("day", "2023-04-19")["lunar"]
        self.assertEqual((leap["month"], leap["day"], leap["leap"], leap["month_name"], leap["day_name"]),
                         (14, 29, True, "闰二月", "廿九"))
        # tempo jd and date agree with Python's calendar.
        for iso in ("2024-02-10", "1582-10-15", "9000-12-31"):
            n = datetime.date.fromisoformat(iso).toordinal() + 1721425
            self.assertEqual(ok_json("jd", iso)["day_number"], n, iso)
            self.assertEqual(ok_json("date", str(n))["date"], date_text(n), iso)

    def test_a_long_text_comes_through_the_conversion_whole(self):
        # A year's sunrise table is some 14,000 bytes of UTF-8, far beyond one conversion buffer.
        out = run("table", "sun-times", "2024")[1]
        self.assertGreater(len(out.encode("utf-8")), 10000)
        self.assertNotIn("\ufffd", out)
        lines = out.splitlines()
        self.assertEqual(len(lines), 367)
        for line, day in zip(lines[1:], range(366)):
            g = datetime.date(2024, 1, 1) + datetime.timedelta(days=day)
            self.assertRegex(line, r"^%02d-%02d 日出时刻\d\d:\d\d:\d\d 日落时刻\d\d:\d\d:\d\d$" % (g.month, g.day))


class Errors(unittest.TestCase):
    def test_every_refusal_is_status_2_with_its_reason(self):
        # (arguments, a word of the message)
        refused = [
            # dates that do not exist in the calendar they are written in
            (("convert", "--from", "lunar", "2023-15-01"), "has no leap month 3"),  # no leap third month in 2023
            (("convert", "--from", "lunar", "2024-14-01"), "it has no leap month"),  # 2024 has no leap month
            (("convert", "--from", "lunar", "2024-01-30"), "has 29 days"),  # 正月 2024 is small
            (("convert", "--from", "hijri", "1446-12-30"), "has 29 days"),  # 1446 is a common year
            (("convert", "2024-02-30"), "February 2024 has 29 days"),
            # numbers out of their ranges, or no numbers at all
            (("sun-times", "2024-06-21", "--lon", "180.5"), "out of range (-180..180)"),
            (("sun-times", "2024-06-21", "--lat", "90.5"), "out of range (-90..90)"),
            (("sun-times", "2024-06-21", "--lon", "nan"), "not a number"),
            (("sun-times", "2024-06-21", "--lon", "1e400"), "out of range"),
            (("sun-times", "2024-06-21", "--lon", ""), "without a value"),
            (("sun-times", "2024-06-21", "--zone", "13"), "whole hours"),
            (("sun-times", "2024-06-21", "--zone", "14"), "whole hours"),
            (("sun-times", "2024-06-21", "--zone", "5.5"), "whole hours"),
            (("date", ""), "not a whole number"),
            (("date", "0x10"), "not a whole number"),
            (("date", " 5"), "not a whole number"),
            (("terms", ""), "not a whole number"),
            (("terms", "+5"), "not a whole number"),
            # one range for the calendar
            (("day", "9999-12-31"), "-8999..9000"),
            (("day", "9001-01-01"), "-8999..9000"),
            (("day", "-9000-12-31"), "-8999..9000"),
            (("day", ""), "is not a date"),
            (("era", "9999"), "-8999..9000"),
            (("lunar-year", "9001"), "-8999..9000"),
            (("table", "solar-terms", "9001"), "-8999..9000"),
            (("query", "days", "--from", "2147483647", "--years", "1"), "outside"),
            (("query", "days", "--from", "9000", "--years", "2"), "after the calendar's last year 9000"),
            (("query", "days", "--from", "9001", "--bc", "--years", "1"), "-8999..9000"),
            (("tool", "interval", "01-01-2024", "--days", "99999999"), "after the calendar's last day"),
            (("tool", "interval", "01-01-2024", "--days", "1-2"), "not a whole number"),
            (("tool", "jd", "9999999999"), "is not a date"),
            (("tool", "jd", "12-31-9001"), "outside the calendar's years"),
        ]
        for args, reason in refused:
            code, out, err = run(*args)
            self.assertEqual(code, 2, args)
            self.assertEqual(out, "", args)
            self.assertIn(reason, err, args)

    def test_the_ends_of_the_ranges_are_accepted(self):
        self.assertEqual(ok_json("day", "9000-12-31")["gregorian"], "AD12-31-9000")
        self.assertEqual(ok_json("day", "-8999-01-01")["gregorian"], "BC01-01-9000")
        self.assertEqual(ok_json("convert", "--from", "lunar", "2023-14-01")["gregorian"], "AD03-22-2023")
        # 1445 is a leap year of the arithmetic calendar (1445 mod 30 = 5): 12-30 exists, day
        # 1444 * 354 + (3 + 11 * 1445) // 30 + ceil(29.5 * 11) + 30 + 1948439 = 2460499 = 2024-07-07.
        self.assertEqual(ok_json("convert", "--from", "hijri", "1445-12-30")["gregorian"], "AD07-07-2024")
        self.assertEqual(ok_json("query", "days", "--from", "9000", "--bc", "--years", "1", "--solar-month", "1",
                                 "--solar-day", "1")["hits"], ["BC01-01-9000"])
        self.assertEqual(ok_json("sun-times", "2024-06-21", "--lon", "180", "--lat", "-90", "--zone", "12")["no_sunrise"],
                         "polar night")
        self.assertEqual(ok_json("sun-times", "2024-06-21", "--zone", "-12")["transit"][:2], "16")
        self.assertEqual(ok_json("query", "days", "--from", "8999", "--years", "2", "--solar-month", "1",
                                 "--solar-day", "1")["hits"], ["AD01-01-8999", "AD01-01-9000"])

    def test_a_failed_write_is_an_error(self):
        with open("/dev/full", "w") as full:
            p = subprocess.run([TEMPO, "table", "sun-times", "2024"], stdout=full, capture_output=False,
                               stderr=subprocess.PIPE)
        self.assertEqual(p.returncode, 2)
        self.assertIn("could not be written", p.stderr.decode())

    def test_bad_input_is_status_2_with_a_message(self):
        for args in (("jd", "2024-02-30"), ("jd", "not-a-date"), ("jd",), ("date", "99999999"),
                     ("date", "abc"), ("terms", "10000"), ("sun", "--jd", "nan"), ("moon", "--jd", "1e300"), ("nosuch",)):
            code, out, err = run(*args)
            self.assertEqual(code, 2, args)
            self.assertEqual(out, "", args)
            self.assertTrue(err.strip(), args)

    def test_help_is_not_an_error(self):
        code, out, _ = run("--help")
        self.assertEqual(code, 0)
        self.assertIn("terms", out)
        code, out, _ = run("--help-all")  # decodes as UTF-8, Chinese included
        self.assertEqual(code, 0)
        self.assertIn("天安门", out)

    def test_calendar_commands_refuse_bad_arguments(self):
        for args in (("day", "2024-02-10", "--place", "99/1"), ("day", "2024-02-10", "--place", "北京/巴黎"),
                     ("day", "2024-02-10", "--place", "1"), ("day", "2024-02-10", "--info", "3"),
                     ("convert", "--from", "julian", "2024-01-01"), ("convert", "--from", "lunar", "x"),
                     ("lunar-year", "12000"), ("era",), ("cities", "99"), ("cities", "火星")):
            code, out, err = run(*args)
            self.assertEqual(code, 2, args)
            self.assertTrue(err.strip(), args)


class OneWayOfRefusing(unittest.TestCase):
    """One malformed command line for each rule of the command line. Every refusal is status 2, nothing
    on stdout, and one line on stderr in one form: "tempo COMMAND: ARGUMENT 'typed' what is wrong
    (ARGUMENT: what it takes)", or "tempo COMMAND: ..." where no one argument is at fault."""
    RULES = [
        # (arguments, the command named, the argument named or None, words of the message)
        # one date syntax: four-digit years, two-digit months and days
        (("jd", "24-01-01"), "jd", "DATE", "'24-01-01' is not a date: a year is written with four digits"),
        (("day", "AD02-10-24"), "day", "DATE", "'AD02-10-24' is not a date: a year is written with four digits"),
        (("tool", "jd", "01-01-24"), "tool jd", "DATE", "'01-01-24' is not a date: a year is written with four"),
        (("jd", "2024-2-9"), "jd", "DATE", "'2024-2-9' is not a date"),
        (("jd", "BC01-01-0000"), "jd", "DATE", "has the year 0"),
        (("tool", "jd", "2024-02-10", "--bc"), "tool jd", "--bc", "does not apply to '2024-02-10'"),
        # a day that does not exist says why
        (("jd", "2023-02-29"), "jd", "DATE", "'2023-02-29': the day does not exist: February 2023 has 28 days"),
        (("jd", "1582-10-10"), "jd", "DATE", "Gregorian reform"),
        (("jd", "2024-13-01"), "jd", "DATE", "there is no month 13"),
        (("convert", "--from", "lunar", "2024-14-01"), "convert", "DATE", "the lunar year 2024 has no leap month 2"),
        (("convert", "--from", "lunar", "2024-01-30"), "convert", "DATE", "month 1 of the lunar year 2024 has 29 days"),
        (("tool", "convert", "12-30-1446", "--calendar", "hijri"), "tool convert", "DATE",
         "month 12 of the Hijri year 1446 has 29 days"),
        # beyond the calendar's days in every calendar, naming the year typed
        (("day", "9001-01-01"), "day", "DATE", "'9001-01-01' is in the year 9001, outside the calendar's years"),
        (("convert", "--from", "hijri", "9700-06-01"), "convert", "DATE", "after the calendar's last day 9000-12-31"),
        (("tool", "ganzhi", "06-01-9700", "--calendar", "hijri"), "tool ganzhi", "DATE",
         "after the calendar's last day 9000-12-31"),
        (("tool", "jd", "06-01-9700", "--calendar", "hijri"), "tool jd", "DATE", "after the calendar's last day"),
        (("convert", "--from", "lunar", "9000-12-29"), "convert", "DATE",
         "'9000-12-29' as a lunar date is 9001-01-24, after the calendar's last day"),
        (("lunar-year", "9001"), "lunar-year", "YEAR", "'9001' is outside the calendar's years -8999..9000"),
        (("query", "days", "--from", "9000", "--years", "2"), "query days", "--years", "reaches the year 9001"),
        (("terms", "10000"), "terms", "YEAR", "'10000' is outside the years -9998..9999"),
        # numbers: malformed, or too large for their box
        (("tool", "interval", "01-01-2024", "--days", "99999999999"), "tool interval", "--days",
         "'99999999999' is out of range"),
        (("tool", "interval", "01-01-2024", "--days", "99999999"), "tool interval", "--days",
         "is out of range: that many days on is after the calendar's last day"),
        (("date", "99999999999999999999"), "date", "N", "'99999999999999999999' is out of range"),
        (("date", "0x10"), "date", "N", "'0x10' is not a whole number"),
        (("query", "days", "--from", "2024", "--years", "0"), "query days", "--years", "'0' is out of range (from 1)"),
        (("sun-times", "2024-06-21", "--lon", "nan"), "sun-times", "--lon", "'nan' is not a number"),
        (("sun-times", "2024-06-21", "--zone", "5.5"), "sun-times", "--zone", "whole hours east of Greenwich"),
        (("day", "2024-02-10", "--info", "3"), "day", "--info", "'3' is out of range (0..2)"),
        # words from a list
        (("convert", "--from", "julian", "2024-01-01"), "convert", "--from",
         "'julian' is not one of gregorian, lunar, hijri"),
        (("table", "weeks", "2024"), "table", "KIND", "'weeks' is not one of lunar-months, solar-terms, moons"),
        (("query", "days", "--from", "2024", "--years", "1", "--festival", "春天"), "query days", "--festival",
         "'春天' is no festival the calendar knows; the festivals are 春节, 元宵节"),
        (("day", "2024-02-10", "--place", "99/1"), "day", "--place", "'99/1' names no place"),
        (("cities", "火星"), "cities", "P", "'火星' names no province"),
        # arguments missing, repeated, empty or unknown
        (("jd",), "jd", "DATE", "is missing"),
        (("ics", "--terms"), "ics", "--from", "is missing"),
        (("day", "--place", "1/1", "--place", "2/2"), "day", "--place", "is given 2 times; it takes one value"),
        (("day", "--place"), "day", "--place", "is given without a value"),
        (("almanac", "--json", "--json", "2024-02-10"), "almanac", None, "--json is given 2 times; a flag is given once"),
        (("ics", "--from", "2024", "--terms", "--terms"), "ics", "--terms", "is given 2 times; a flag is given once"),
        (("--json", "--json", "day", "2024-02-10"), "day", None, "--json is given 2 times; a flag is given once"),
        (("day", "2024-02-10", "2024-02-11"), "day", None, "'2024-02-11' is one argument too many for tempo day"),
        (("day", "--foo"), "day", None, "'--foo' is not an option of tempo day"),
        (("nosuch",), "", None, "'nosuch' is not a command of tempo"),
        (("tool", "nosuch"), "tool", None, "'nosuch' is not a command of tempo tool"),
        (("day", "--bc=1"), "day", None, "'--bc=1' is not an option of tempo day"),
        # options that do not apply
        (("table", "lunar-months", "2024", "--place", "1/1"), "table", "--place",
         "does not apply to lunar-months (only to sun-times)"),
        (("table", "moons", "2024", "--twilight"), "table", "--twilight", "does not apply to moons"),
        (("tool", "interval", "01-01-2024", "--days", "5", "--calendar2", "lunar"), "tool interval", "--calendar2",
         "does not apply without DATE2"),
        (("query", "months", "--from", "1900", "--years", "10", "--three-big", "--base-month", "3"), "query months",
         "--base-month", "does not apply without --leap"),
        (("--json", "ics", "--from", "2024", "--terms"), "ics", None, "--json does not apply"),
        (("ics", "--from", "2024", "--terms", "--json"), "ics", None, "'--json' is not an option of tempo ics"),
        # a blank name, like a blank birthday title
        (("ics", "--from", "2024", "--terms", "--name", "   "), "ics", "--name", "'   ' cannot name the calendar: the title is blank"),
        (("ics", "--from", "2024", "--lunar-birthday", "08-15:  "), "ics", "--lunar-birthday", "title after ':' is empty"),
        # the version alone
        (("--version", "extra"), "", None, "--version takes nothing else: 'extra'"),
        (("--json", "--version"), "", None, "--version takes nothing else: '--json'"),
        # what was typed is quoted escaped, at most its first 60 characters
        (("day", "\x1b[2J" + "长" * 200), "day", "DATE", "'\\x1b[2J" + "长" * 56 + "'... is not a date"),
        # C1 controls too (U+0080..U+009F; U+009B is a terminal's CSI), and NEL (U+0085)
        (("day", "\u009b31m2024-01-01"), "day", "DATE", "'\\xc2\\x9b31m2024-01-01' is not a date"),
        (("cities", "\u0085\u0080\u009f"), "cities", "P", "'\\xc2\\x85\\xc2\\x80\\xc2\\x9f' names no province"),
        (("jd", "2024-01-01\u00a0"), "jd", "DATE", "'2024-01-01\u00a0' is not a date"),  # U+00A0 is no control
    ]

    def test_every_rule_refuses_with_status_2_and_one_line_in_one_form(self):
        for args, command, argument, words in self.RULES:
            code, out, err = run(*args)
            self.assertEqual((code, out), (2, ""), args)
            self.assertEqual(err.count("\n"), 1, (args, err))
            self.assertTrue(err.startswith("tempo %s: " % command if command else "tempo: "), (args, err))
            self.assertIn(words, err, args)
            self.assertNotIn("\x1b", err, args)
            self.assertFalse([c for c in err if "\u0080" <= c <= "\u009f"], args)
            if argument:
                # The argument, what was wrong, and what the argument takes.
                self.assertIn(": %s " % argument, err, args)
                self.assertIn(" (%s: " % argument, err, args)
            # CLI11's own wording never shows.
            for theirs in ("required but received", "is required", "outside 1..9223372036854775807",
                           "The following argument", "Could not convert", "INTEGER"):
                self.assertNotIn(theirs, err, args)

    # Every numeric option with its first and last value, and what the value past each end is told.
    QUERY_DAYS = ("query", "days", "--from", "2024", "--years", "1")
    NUMERIC = [
        (("query", "months", "--from", "2024", "--years", "10", "--leap"), "--base-month", 1, 12, "'%d' is out of range (1..12)"),
        (QUERY_DAYS, "--solar-month", 1, 12, "'%d' is not a whole number in 1..12"),
        (QUERY_DAYS, "--solar-day", 1, 31, "'%d' is not a whole number in 1..31"),
        (QUERY_DAYS, "--lunar-month", 1, 24, "'%d' is not a whole number in 1..24"),
        (QUERY_DAYS, "--lunar-day", 1, 30, "'%d' is not a whole number in 1..30"),
        (QUERY_DAYS, "--hijri-month", 1, 12, "'%d' is not a whole number in 1..12"),
        (QUERY_DAYS, "--hijri-day", 1, 30, "'%d' is not a whole number in 1..30"),
        (QUERY_DAYS, "--ganzhi-year", 1, 60, "'%d' is not a whole number in 1..60"),
        (QUERY_DAYS, "--ganzhi-month", 1, 60, "'%d' is not a whole number in 1..60"),
        (QUERY_DAYS, "--ganzhi-day", 1, 60, "'%d' is not a whole number in 1..60"),
        (QUERY_DAYS, "--weekday", 1, 7, "'%d' is not a number or a name of 1..7"),
        (QUERY_DAYS, "--term", 1, 24, "'%d' is not a number or a name of 1..24"),
        (("day", "2024-02-10"), "--info", 0, 2, "'%d' is out of range (0..2)"),
        (("ics", "--from", "2024", "--terms"), "--years", 1, 200, "'%d' is out of range (1..200)"),
        (("ics", "--terms"), "--from", 1583, 2999, "1583..2999"),
        (("sun-times", "2024-06-21"), "--zone", -12, 12, "whole hours"),
        (("sun-times", "2024-06-21"), "--lon", -180, 180, "'%d' is out of range (-180..180)"),
        (("sun-times", "2024-06-21"), "--lat", -90, 90, "'%d' is out of range (-90..90)"),
    ]

    def test_every_numeric_option_takes_its_first_and_last_value(self):
        for args, option, first, last, past in self.NUMERIC:
            for value in (first, last):
                code, _, err = run(*args, option, str(value))
                self.assertEqual(code, 0, (args, option, value, err))
            for value in (first - 1, last + 1):
                code, out, err = run(*args, option, str(value))
                self.assertEqual((code, out), (2, ""), (args, option, value))
                self.assertIn(past % value if "%d" in past else past, err, (args, option, value))

    def test_the_same_lines_with_the_mistake_mended_run(self):
        # Each mistake above is the only one of its line: mended, the line is accepted.
        for args in (("jd", "0024-01-01"), ("day", "AD02-10-0024"), ("tool", "jd", "01-01-0024"), ("jd", "2024-02-09"),
                     ("tool", "jd", "01-01-0024", "--bc"), ("jd", "2024-02-29"), ("convert", "--from", "lunar", "2023-14-01"),
                     ("convert", "--from", "hijri", "8636-08-05"), ("tool", "interval", "01-01-2024", "--days", "2548296"),
                     ("table", "sun-times", "2024", "--place", "1/1", "--twilight"),
                     ("query", "days", "--from", "2024", "--years", "1", "--festival", "春节"),
                     ("tool", "interval", "01-01-2024", "05-01-2024", "--calendar2", "lunar"),
                     ("query", "months", "--from", "1900", "--years", "10", "--leap", "--base-month", "3")):
            code, _, err = run(*args)
            self.assertEqual(code, 0, (args, err))

    def test_every_output_failure_is_an_error(self):
        for args in (["--help"], ["--version"], ["day", "--help"], [], ["day", "2024-02-10", "--json"]):
            with open("/dev/full", "w") as full:
                p = subprocess.run([TEMPO, *args], stdout=full, stderr=subprocess.PIPE)
            self.assertNotEqual(p.returncode, 0, args)
            self.assertIn("could not be written", p.stderr.decode(), args)


class Help(unittest.TestCase):
    COMMANDS = ["jd", "date", "deltat", "sun", "moon", "terms", "moons", "sun-times", "day", "lunar-year", "convert",
                "era", "cities", "table", "tool", "query", "pillars"]

    def test_tempo_alone_lists_the_commands(self):
        code, out, err = run()
        self.assertEqual((code, err), (0, ""))
        for command in self.COMMANDS:
            self.assertRegex(out, r"\n  %s +\S" % command)
        code, out, _ = run("tool")
        self.assertEqual(code, 0)
        self.assertTrue(all(("\n  %s " % t) in out for t in ("jd", "interval", "ganzhi", "convert")), out)

    def test_every_command_says_what_each_argument_is_with_an_example(self):
        commands = [c for c in self.COMMANDS if c not in ("tool", "query")]
        commands += [("tool", t) for t in ("jd", "interval", "ganzhi", "convert")] + [("query", "days"), ("query", "months")]
        for command in commands:
            words = list(command) if isinstance(command, tuple) else [command]
            code, out, _ = run(*words, "--help")
            self.assertEqual(code, 0, words)
            self.assertIn("Example: tempo %s" % " ".join(words), out, words)
            self.assertIn("\nDates are written ", out, words)
            self.assertIn("YYYY-MM-DD with a four-digit year", out.split("Dates are written ")[1], words)
            # Every argument line has its explanation.
            lines = out.split("Positionals:")[-1].split("Example:")[0].splitlines()
            for line in lines:
                if line.startswith("  ") and not line.startswith("   "):
                    self.assertRegex(line, r"^  \S(.*\S)? {2,}\S", (words, line))
            # The example runs.
            example = out.split("Example: tempo ")[1].split("\n")[0].split(" > ")[0].split()
            self.assertEqual(run(*example)[0], 0, example)

    def test_ics_offers_no_json_and_the_version_is_4_2(self):
        self.assertNotIn("--json", run("ics", "--help")[1])
        self.assertEqual(run("--version")[1].strip(), "tempo 4.2 (Tempoline 4.2)")


class Json(unittest.TestCase):
    def test_every_date_also_as_iso_beside_the_date_text(self):
        self.assertEqual(ok_json("jd", "2024-02-10"), {"date": "AD02-10-2024", "iso": "2024-02-10", "day_number": 2460351})
        self.assertEqual(ok_json("date", "1721423"), {"day_number": 1721423, "date": "BC12-31-0001", "iso": "0000-12-31"})
        year = ok_json("lunar-year", "2023")
        self.assertEqual(year["spring_festival_iso"], "2023-01-22")
        self.assertEqual([(m["first_iso"], m["last_iso"]) for m in year["months"]][2], ("2023-03-22", "2023-04-19"))
        terms = ok_json("terms", "2024")
        self.assertEqual(terms[5]["iso"][:16], "2024-03-20T11:06")
        self.assertTrue(terms[5]["iso"].endswith("+08:00"))
        hits = ok_json("query", "days", "--from", "2024", "--years", "1", "--festival", "中秋节")
        self.assertEqual((hits["hits"], hits["hits_iso"]), (["AD09-17-2024"], ["2024-09-17"]))
        self.assertEqual(ok_json("tool", "interval", "01-01-2000", "02-10-2024")["to"],
                         {"date": "AD02-10-2024", "iso": "2024-02-10"})
        self.assertEqual(ok_json("moons", "-0103")[0]["iso"][:5], "-0103")

    def test_numbers_are_numbers(self):
        def walk(value, path):
            if isinstance(value, dict):
                for k, v in value.items():
                    walk(v, path + [k])
            elif isinstance(value, list):
                for v in value:
                    walk(v, path)
            elif isinstance(value, str) and path[-1] not in ("text", "record"):  # the tools' own result text
                self.assertNotRegex(value, r"^-?[0-9]+(\.[0-9]+)?$", path)
        for args in (("day", "2024-02-10"), ("sun-times", "2024-06-21"), ("lunar-year", "2023"), ("tool", "jd", "02-10-2024"),
                     ("tool", "interval", "01-01-2000", "02-10-2024"), ("cities", "1"), ("terms", "2024"), ("era", "1875"),
                     ("table", "lunar-months", "2023"), ("convert", "2024-02-10")):
            walk(ok_json(*args), [args[0]])


class Day(unittest.TestCase):
    def test_spring_festival_2024(self):
        d = ok_json("day", "2024-02-10")
        self.assertEqual(d["gregorian"], "AD02-10-2024")
        self.assertEqual(d["weekday"], "星期六")
        self.assertEqual(d["lunar"]["month_name"] + d["lunar"]["day_name"], "正月初一")
        self.assertEqual((d["lunar"]["year"], d["lunar"]["month"], d["lunar"]["day"]), (2024, 1, 1))
        self.assertFalse(d["lunar"]["leap"])
        self.assertEqual(d["ganzhi"]["text"], "甲辰(龙)年丙寅月甲辰日")
        self.assertEqual(d["animal"], "龙")
        self.assertEqual(d["festivals"]["lunar"], "春节")
        self.assertIn("春节", d["information_line"])
        self.assertEqual(d["attribute_line"], "星期六 水瓶座  甲辰(龙)年丙寅月甲辰日")
        self.assertEqual(set(d["sun_times"]), {"dawn", "sunrise", "sunset", "dusk", "no_sunrise", "no_dawn"})
        self.assertEqual(d["periods"]["dog_days"], "")

    def test_places_information_types_and_modes(self):
        beijing = ok_json("day", "2024-06-21", "--place", "北京/天安门")
        self.assertEqual(beijing["sun_times"]["sunrise"], ok_json("day", "2024-06-21", "--place", "1/1")["sun_times"]["sunrise"])
        harbin = ok_json("day", "2024-06-21", "--place", "5/1", "--info", "1")
        self.assertNotEqual(harbin["sun_times"]["sunrise"], beijing["sun_times"]["sunrise"])
        self.assertTrue(harbin["information_line"].startswith("日出时刻"))
        self.assertTrue(ok_json("day", "2024-06-21", "--info", "2")["information_line"].startswith("天亮时刻"))
        # 1984-02-03: 癸亥 by 立春, already 甲子 by the Spring Festival (2 February).
        self.assertEqual(ok_json("day", "1984-02-03")["ganzhi"]["year"], 60)
        self.assertEqual(ok_json("day", "1984-02-03", "--ganzhi-from-chunjie")["ganzhi"]["year"], 1)
        # The historical calendars differ from the modern algorithm in ancient years.
        old = ok_json("day", "0300-03-01")["lunar"]["text"]
        modern = ok_json("day", "0300-03-01", "--modern-ancient")["lunar"]["text"]
        self.assertTrue(old and modern)
        self.assertEqual(ok_json("day", "1875-06-01")["era"], "清代光绪01")

    def test_today_in_text(self):
        code, out, _ = run("day")
        self.assertEqual(code, 0)
        self.assertIn("公历", out)
        self.assertIn("历算时区为东8区", out)


class LunarYearAndConversion(unittest.TestCase):
    def test_lunar_year_2033_has_a_leap_eleventh_month(self):
        y = ok_json("lunar-year", "2033")
        self.assertEqual(y["record"], "010010101111B0131")
        self.assertEqual(y["type"], 2)
        self.assertEqual(y["spring_festival"], "AD01-31-2033")
        names = [m["name"] for m in y["months"]]
        self.assertEqual(len(names), 13)
        self.assertEqual(names[11], "闰冬月")
        self.assertEqual(y["months"][11]["month"], 23)
        for a, b in zip(y["months"], y["months"][1:]):
            self.assertEqual(b["first_day"] - a["first_day"], 30 if a["big"] else 29)
        self.assertIn("闰冬月", run("lunar-year", "2033")[1])

    def test_convert_between_the_three_calendars(self):
        c = ok_json("convert", "--from", "gregorian", "2024-02-10")
        self.assertEqual(c, {"gregorian": "AD02-10-2024", "lunar": "AD01-01-2024", "hijri": "AD07-30-1445",
                             "gregorian_iso": "2024-02-10", "lunar_iso": "2024-01-01", "hijri_iso": "1445-07-30"})
        # Every ISO date the program writes, it reads back in its calendar.
        self.assertEqual(ok_json("convert", "--from", "lunar", "2023-14-01")["lunar_iso"], "2023-14-01")
        self.assertEqual(ok_json("convert", "--from", "hijri", c["hijri_iso"])["gregorian_iso"], "2024-02-10")
        self.assertEqual(ok_json("convert", "--from", "lunar", "AD01-01-2024")["gregorian"], "AD02-10-2024")
        self.assertEqual(ok_json("convert", "--from", "lunar", "2023-14-01")["gregorian"], "AD03-22-2023")
        self.assertEqual(ok_json("convert", "--from", "hijri", c["hijri"])["gregorian"], "AD02-10-2024")
        self.assertEqual(ok_json("convert", "--from", "hijri", "0001-01-01")["gregorian"], "AD07-16-0622")
        # The official calendar's month after the new moon of 2057-09-28 23:59:51 begins on 09-29.
        self.assertEqual(ok_json("convert", "--from", "gregorian", "2057-10-06")["lunar"], "AD09-08-2057")

    def test_era_and_cities(self):
        self.assertEqual(run("era", "1875")[1].strip(), "清代光绪01")
        self.assertEqual(run("era", "1912")[1].strip(), "一九一二")
        provinces = ok_json("cities")
        self.assertEqual(len(provinces), 35)
        self.assertEqual(sum(p["cities"] for p in provinces), 437)
        beijing = ok_json("cities", "北京")
        self.assertEqual(beijing[0]["name"], "天安门")
        self.assertEqual(beijing[0]["weather_code"], 101010100)
        self.assertIn("东经116.3800度", run("cities", "1")[1])


class Tools(unittest.TestCase):
    def test_solar_terms_table_2024(self):
        code, out, _ = run("table", "solar-terms", "2024")
        self.assertEqual(code, 0)
        lines = out.splitlines()
        self.assertEqual(lines[0], "    公历 2024 年共 24 个节气")
        self.assertEqual(len(lines), 13)
        self.assertNotIn("\r", out)
        self.assertTrue(lines[1].startswith("01: 小寒01月06日04:49"))
        self.assertIn("   02: 大寒01月20日", lines[1])
        terms = ok_json("table", "solar-terms", "2024")["terms"]
        self.assertEqual([t["name"] for t in terms][:3], ["小寒", "大寒", "立春"])
        self.assertEqual(len(terms), 24)

    def test_other_tables(self):
        self.assertIn("闰二月小     对应公历AD03-22-2023 ～ AD04-19-2023", run("table", "lunar-months", "2023")[1])
        self.assertTrue(run("table", "lunar-months", "104", "--bc")[1].startswith("    农历 前104 年共"))
        moons = ok_json("table", "moons", "2024")["phases"]
        self.assertEqual(sum(p["phase"] == "new" for p in moons), 13)
        sun = run("table", "sun-times", "1582", "--place", "北京/天安门")[1].splitlines()
        self.assertEqual(len(sun), 356)
        self.assertEqual(sun[0], "    公历 1582 年 北京天安门 日出日落时刻")
        self.assertTrue(run("table", "sun-times", "2024", "--twilight")[1].splitlines()[1].startswith("01-01 天亮时刻"))

    def test_date_tools(self):
        self.assertEqual(run("tool", "jd", "01-01-2000")[1].strip(), "儒略日数 2451545")
        self.assertEqual(ok_json("tool", "interval", "01-01-2000", "02-10-2024")["days"], 8806)
        self.assertEqual(ok_json("tool", "interval", "01-01-2000", "--days", "8806")["lunar"], "AD01-01-2024")
        self.assertEqual(ok_json("tool", "convert", "14-01-2023", "--calendar", "lunar")["gregorian"], "AD03-22-2023")
        # The ISO form and the date text work in the tools too, with the tools' own MM-DD-YYYY.
        self.assertEqual(ok_json("tool", "jd", "2024-02-10")["day_number"], 2460351)
        self.assertEqual(ok_json("tool", "jd", "AD02-10-2024")["day_number"], 2460351)
        self.assertEqual(ok_json("tool", "convert", "2023-14-01", "--calendar", "lunar")["gregorian_iso"], "2023-03-22")
        self.assertEqual(ok_json("tool", "ganzhi", "02-10-2024")["ganzhi"], "甲辰(龙)年丙寅月甲辰日")
        for args in (("tool", "jd", "2024-02-30"), ("tool", "convert", "14-01-2024", "--calendar", "lunar"),
                     ("tool", "interval", "01-01-2000"), ("tool", "interval", "01-01-2000", "--days", "1.5")):
            code, out, err = run(*args)
            self.assertEqual(code, 2, args)
            self.assertTrue(err.strip(), args)
        # Every date of the calendar, BC years too: 12-31-0001 纪元前 is 0000-12-31, day 1721423
        # (1721424 is 1 January AD 1 of the Julian calendar).
        self.assertEqual(run("tool", "jd", "12-31-0001", "--bc")[1].strip(), "儒略日数 1721423")
        self.assertEqual(run("tool", "jd", "01-01-0300")[1].strip(), "儒略日数 1830633")
        self.assertEqual(ok_json("tool", "convert", "01-01-0001", "--calendar", "hijri")["gregorian"], "AD07-16-0622")

    def test_queries(self):
        code, out, _ = run("query", "months", "--from", "1900", "--years", "100", "--leap")
        self.assertEqual(code, 0)
        self.assertEqual(out.splitlines()[-1], "    共找到 37 个农历闰月")
        self.assertTrue(out.startswith("闰八月小    AD09-24-1900 ～ AD10-22-1900"))
        days = ok_json("query", "days", "--from", "2000", "--years", "150", "--term", "春分", "--weekday", "星期三")
        self.assertEqual(days["years"], 100)
        self.assertTrue(all(h[2:7] in ("03-19", "03-20", "03-21") for h in days["hits"]))
        self.assertIn("对应节气→今日春分", days["text"])
        self.assertEqual(ok_json("query", "days", "--from", "2024", "--years", "1", "--festival", "中秋节")["hits"],
                         ["AD09-17-2024"])
        self.assertEqual(ok_json("query", "days", "--from", "2024", "--years", "1", "--ganzhi-day", "甲子")["hits"][0][:5],
                         "AD01-")
        for args in (("query", "months", "--from", "1900", "--years", "10"),
                     ("query", "months", "--from", "1900", "--years", "10", "--leap", "--three-big"),
                     ("query", "days", "--from", "1900", "--years", "10", "--term", "春天"),
                     ("query", "days", "--from", "1900", "--years", "0")):
            self.assertEqual(run(*args)[0], 2, args)

    def test_ctrl_c_stops_a_query_and_prints_what_was_found(self):
        import signal, time
        p = subprocess.Popen([TEMPO, "query", "days", "--from", "1900", "--years", "100"], stdout=subprocess.PIPE,
                             stderr=subprocess.PIPE)
        time.sleep(0.3)
        p.send_signal(signal.SIGINT)
        out, _ = p.communicate(timeout=60)
        self.assertEqual(p.returncode, 0)
        last = out.decode("utf-8").splitlines()[-1]
        self.assertTrue(last.startswith("    查询已停止，已找到 ") or last.startswith("    共找到 36524 个条件日"), last)


class Holidays(unittest.TestCase):
    """The public holiday arrangement, with expected days written from the State Council's notices."""

    def test_a_year_as_the_notice_reads(self):
        code, out, err = run("holidays", "2026")
        self.assertEqual(code, 0, err)
        self.assertEqual(out.splitlines(), [
            "2026年节假日安排",
            "元旦：1月1日至1月3日放假，共3天；1月4日（星期日）上班",
            "春节：2月15日至2月23日放假，共9天；2月14日（星期六）、2月28日（星期六）上班",
            "清明节：4月4日至4月6日放假，共3天",
            "劳动节：5月1日至5月5日放假，共5天；5月9日（星期六）上班",
            "端午节：6月19日至6月21日放假，共3天",
            "中秋节：9月25日至9月27日放假，共3天",
            "国庆节：10月1日至10月7日放假，共7天；9月20日（星期日）、10月10日（星期六）上班",
            "全年工作日248天"])
        # 2020 with its extended 春节; 2020 has 262 weekdays, 19 of them off, 6 weekend days worked.
        doc = ok_json("holidays", "2020")
        self.assertEqual([(h["name"], h["first"], h["last"], h["days"], h["work_days"]) for h in doc["holidays"]], [
            ("元旦", "2020-01-01", "2020-01-01", 1, []),
            ("春节", "2020-01-24", "2020-02-02", 10, ["2020-01-19"]),
            ("清明节", "2020-04-04", "2020-04-06", 3, []),
            ("劳动节", "2020-05-01", "2020-05-05", 5, ["2020-04-26", "2020-05-09"]),
            ("端午节", "2020-06-25", "2020-06-27", 3, ["2020-06-28"]),
            ("国庆节", "2020-10-01", "2020-10-08", 8, ["2020-09-27", "2020-10-10"])])
        self.assertEqual(doc["workdays"], 249)
        # 2024's 元旦 joined the weekend of 2023 ("与周末连休").
        self.assertEqual(ok_json("holidays", "2024")["holidays"][0]["first"], "2023-12-30")

    def test_a_day_and_counting_working_days(self):
        self.assertEqual(ok_json("day", "2024-06-08")["holiday"], {"kind": "休", "name": "端午节"})
        self.assertEqual(ok_json("day", "2024-02-18")["holiday"], {"kind": "班", "name": "春节"})
        self.assertIsNone(ok_json("day", "2024-06-07")["holiday"])
        self.assertIsNone(ok_json("day", "2020-02-03")["holiday"])  # a Monday listed as worked changes nothing
        self.assertIn("节假日　端午节假期（休）", run("day", "2024-06-10")[1])
        # A make-up day is named for the days off it is worked for, as `tempo holidays` lists it.
        self.assertIn("节假日　国庆节调休上班（班）", run("day", "2025-09-28")[1])
        self.assertIn("国庆节：10月1日至10月8日放假，共8天；9月28日（星期日）、10月11日（星期六）上班",
                      run("holidays", "2025")[1])
        for year in range(2007, 2027):
            for h in ok_json("holidays", str(year))["holidays"]:
                for day in h["work_days"]:
                    self.assertEqual(ok_json("day", day)["holiday"], {"kind": "班", "name": h["name"]}, day)
        for date, days, expected in [("2026-02-13", "1", "2026-02-14"), ("2026-02-13", "2", "2026-02-24"),
                                     ("02-24-2026", "-2", "2026-02-13"), ("2020-01-23", "1", "2020-02-03"),
                                     ("2026-09-30", "1", "2026-10-08"), ("2026-05-08", "0", "2026-05-08")]:
            doc = ok_json("tool", "workdays", date, "--days", days)
            self.assertEqual(doc["date"]["iso"], expected, (date, days))

    def test_years_the_table_does_not_hold_and_other_tables(self):
        for args, said in [(["holidays", "2027"], "2007..2026"),
                           (["tool", "workdays", "2026-12-31", "--days", "1"], "does not hold"),
                           (["tool", "workdays", "2027-01-04", "--days", "1"], "lies in 2027"),
                           (["tool", "workdays", "2026-12-31"], "--days"),
                           (["ics", "--from", "2026", "--terms", "--holidays-file", "x.tsv"], "without --holidays")]:
            code, out, err = run(*args)
            self.assertEqual((code, out), (2, ""), args)
            self.assertIn(said, err, args)
        with tempfile.TemporaryDirectory() as d:
            newer = os.path.join(d, "holidays.tsv")
            with open(newer, "w", encoding="utf-8") as f:
                f.write("2027-01-01\t休\t元旦\n")
            self.assertEqual(ok_json("holidays", "2027", "--holidays-file", newer)["holidays"][0]["last"], "2027-01-03")
            # The years held are named as ranges with their gaps; the table's end line, when it has
            # one, must state its rows and years.
            gap = os.path.join(d, "gap.tsv")
            with open(gap, "w", encoding="utf-8") as f:
                f.write("1949-10-01\t休\t国庆节\n# end of table: 1 rows, years 1949\n")
            code, _, err = run("holidays", "2030", "--holidays-file", gap)
            self.assertEqual(code, 2)
            self.assertIn("which holds 1949, 2007..2026", err)
            with open(gap, "w", encoding="utf-8") as f:
                f.write("1949-10-01\t休\t国庆节\n# end of table: 2 rows, years 1949\n")
            code, _, err = run("holidays", "1949", "--holidays-file", gap)
            self.assertEqual(code, 2)
            self.assertIn("# end of table: 1 rows, years 1949", err)
            weekday = os.path.join(d, "weekday.tsv")
            with open(weekday, "w", encoding="utf-8") as f:
                f.write("2027-01-01\t休\t元旦\n2027-01-04\t班\t元旦\n")
            code, _, err = run("holidays", "2027", "--holidays-file", weekday)
            self.assertEqual(code, 2)
            self.assertIn("line 2: 班 (a make-up working day) must fall on a Saturday or Sunday; this day is a Monday",
                          err)
            bad = os.path.join(d, "bad.tsv")
            with open(bad, "w", encoding="utf-8") as f:
                f.write("2027-01-01\toff\t元旦\n")
            code, _, err = run("holidays", "2026", "--holidays-file", bad)
            self.assertEqual(code, 2)
            self.assertIn("is not a holiday table", err)
            # The user's own table where XDG puts data: taken when valid, named and left aside when not.
            folder = os.path.join(d, "tempoline")
            os.mkdir(folder)
            os.replace(newer, os.path.join(folder, "holidays.tsv"))
            env = dict(os.environ, XDG_DATA_HOME=d)
            p = subprocess.run([TEMPO, "holidays", "2027"], capture_output=True, env=env)
            self.assertEqual(p.returncode, 0, p.stderr)
            os.replace(bad, os.path.join(folder, "holidays.tsv"))
            p = subprocess.run([TEMPO, "holidays", "2026"], capture_output=True, env=env)
            self.assertEqual(p.returncode, 0)
            self.assertIn("built-in holiday table is used", p.stderr.decode("utf-8"))

    def test_a_table_kept_by_the_previous_release(self):
        # Saved as the previous release kept it: no end line, and its row 2020-02-03 班 (the Monday
        # work resumed after the extended Spring Festival). Given or kept, its 2027 is there, and
        # that Monday is an ordinary working day.
        earlier = os.path.join(os.path.dirname(os.path.abspath(__file__)), "earlier",
                               "holidays-kept-by-the-previous-release.tsv")
        self.assertEqual(ok_json("holidays", "2027", "--holidays-file", earlier)["holidays"][0]["first"], "2027-01-01")
        with tempfile.TemporaryDirectory() as d:
            os.mkdir(os.path.join(d, "tempoline"))
            shutil.copy(earlier, os.path.join(d, "tempoline", "holidays.tsv"))
            env = dict(os.environ, XDG_DATA_HOME=d)
            p = subprocess.run([TEMPO, "holidays", "2027", "--json"], capture_output=True, env=env)
            self.assertEqual((p.returncode, p.stderr), (0, b""))
            self.assertEqual(json.loads(p.stdout)["holidays"][0]["first"], "2027-01-01")
            p = subprocess.run([TEMPO, "day", "2020-02-03", "--json"], capture_output=True, env=env)
            self.assertEqual(json.loads(p.stdout)["holiday"], None)


class Pillars(unittest.TestCase):
    # 立春 2024-02-04 16:26:53 (Beijing time, published); at 天安门 the longitude takes 14m29s off and the
    # equation of time 13m49s: 16:20 is true 15:51, seven minutes before the year and the month change.
    def test_text_around_lichun(self):
        code, out, err = run("pillars", "2024-02-04", "16:20", "--place", "北京/天安门")
        self.assertEqual((code, err), (0, ""))
        self.assertIn("四柱　癸卯年 乙丑月 戊戌日 庚申时", out)
        self.assertIn("真太阳时　2024-02-04 15:51:", out)
        self.assertIn("生于立春之前7分", out)
        self.assertIn("农历　癸卯年腊月廿五", out)

    def test_json_by_longitude_and_zone(self):
        # Greenwich at 12:00 UT on 3 November 2024: true noon comes 16m25s early (published equation of time).
        p = ok_json("pillars", "2024-11-03", "12:00", "--lon", "0", "--zone", "+0")
        self.assertEqual((p["place"]["longitude"], p["place"]["zone"], p["place"]["name"]), (0, 0, None))
        self.assertAlmostEqual(p["equation_of_time_seconds"], 16 * 60 + 25, delta=6)
        self.assertEqual(p["longitude_correction_seconds"], 0)
        self.assertEqual(p["true_solar_time"][:16], "2024-11-03T12:16")
        self.assertEqual(p["pillars"], {"year": "甲辰", "month": "甲戌", "day": "辛未", "hour": "甲午"})
        self.assertEqual(p["day_change"]["at"], "23:00")
        self.assertEqual(p["other_school"]["school"], "早晚子时")
        self.assertFalse(p["hidden_stems_counted"])
        self.assertEqual(sum(p["elements"].values()), 8)

    def test_daylight_saving_time(self):
        # 1988: daylight time from 04-17 02:00 to 09-11 02:00 (IANA tz, Asia/Shanghai).
        by_table = ok_json("pillars", "1988-07-01", "12:00")
        self.assertEqual(by_table["daylight_saving"]["minutes_taken_off"], 60)
        self.assertEqual(by_table["standard_time"], "1988-07-01T11:00:00")
        self.assertEqual(by_table["pillars"]["hour"], "乙巳")
        stated = ok_json("pillars", "1988-07-01", "12:00", "--dst", "no")
        self.assertEqual((stated["daylight_saving"]["minutes_taken_off"], stated["pillars"]["hour"]), (0, "丙午"))
        self.assertEqual(ok_json("pillars", "1988-09-11", "01:30", "--dst", "yes")["standard_time"], "1988-09-11T00:30:00")

    def test_refusals(self):
        cases = [
            (["1988-04-17", "02:30"], "TIME '02:30' did not exist on 1988-04-17"),
            (["1988-09-11", "01:30"], "came twice on 1988-09-11"),
            (["2024-02-04", "24:00"], "not a time of the day"),
            (["2024-02-04", "8:05"], "not a time HH:MM"),
            (["2024-02-04", "08:05", "--lon", "116.4"], "east longitudes are negative"),
            (["2024-02-04", "08:05", "--place", "1/1", "--lon", "-116"], "not taken with --place"),
            (["2024-02-04", "08:05", "--zone", "15"], "not a time zone"),
            (["2024-02-04", "08:05", "--dst", "maybe"], "auto, yes, no"),
            (["9001-01-01", "08:05"], "-8999..9000"),
        ]
        for args, named in cases:
            code, out, err = run("pillars", *args)
            self.assertEqual((code, out), (2, ""), args)
            self.assertIn(named, err, args)
            self.assertEqual(err.count("\n"), 1, args)


class Almanac(unittest.TestCase):
    KEYS = {"officer", "spirit", "yellow_path", "mansion", "mansion_luck", "nayin", "clash", "sha", "pengzu", "fetus",
            "directions", "nine_star", "pentad", "yi", "ji", "good_gods", "bad_gods", "hours"}

    def test_day_json_carries_the_almanac_with_exactly_its_keys(self):
        # lingang.iask.in/home/2026/1/8 (a published almanac page): 壬午日, 冲(丙子)鼠, 煞北, 角木蛟 吉,
        # 天牢 黑道, 彭祖 壬不泱水更难提防 午不苫盖屋主更张, 胎神 仓库碓 外西北, 纳音 覆灯火 霹雳火 杨柳木.
        a = ok_json("day", "2026-01-08")["almanac"]
        self.assertEqual(set(a), self.KEYS)
        self.assertEqual(set(a["nayin"]), {"year", "month", "day"})
        self.assertEqual(set(a["clash"]), {"ganzhi", "animal"})
        self.assertEqual(set(a["directions"]), {"joy", "fortune", "wealth", "yang_noble", "yin_noble"})
        self.assertEqual(len(a["hours"]), 12)
        for h in a["hours"]:
            self.assertEqual(set(h), {"branch", "ganzhi", "spirit", "yellow_path", "luck"})
            self.assertEqual(h["luck"], "吉" if h["yellow_path"] else "凶")
        self.assertEqual([h["branch"] for h in a["hours"]], list("子丑寅卯辰巳午未申酉戌亥"))
        self.assertEqual((a["mansion"], a["mansion_luck"], a["spirit"], a["yellow_path"]), ("角木蛟", "吉", "天牢", False))
        self.assertEqual(a["clash"], {"ganzhi": "丙子", "animal": "鼠"})
        self.assertEqual(a["sha"], "北")
        self.assertEqual(a["pengzu"], "壬不泱水更难提防 午不苫盖屋主更张")
        self.assertEqual(a["fetus"], "仓库碓外西北")
        self.assertEqual(a["nayin"], {"year": "覆灯火", "month": "霹雳火", "day": "杨柳木"})
        self.assertEqual(a["directions"], {"joy": "正南", "fortune": "东南", "wealth": "正南", "yang_noble": "正东",
                                           "yin_noble": "东南"})
        # The hours of a 壬 day open with 庚子 (五鼠遁: 丁壬庚子居).
        self.assertEqual(a["hours"][0]["ganzhi"], "庚子")

    def test_almanac_text(self):
        code, out, _ = run("almanac", "2026-01-08")
        self.assertEqual(code, 0)
        self.assertIn("角木蛟 吉", out)
        self.assertIn("冲鼠（丙子）煞北", out)
        self.assertTrue(out.splitlines()[1].startswith("宜"))
        self.assertTrue(out.splitlines()[2].startswith("忌"))

    def test_find_lists_the_days_that_are_yi_and_not_ji(self):
        days = ok_json("almanac", "--find", "结婚", "--from", "2025-03-01", "--days", "40")
        start = datetime.date(2025, 3, 1)
        expected = []
        for i in range(40):
            d = (start + datetime.timedelta(days=i)).isoformat()
            a = ok_json("day", d)["almanac"]
            if "嫁娶" in a["yi"] and "嫁娶" not in a["ji"]:
                expected.append(d)
        self.assertEqual(days, expected)
        self.assertTrue(days)
        # Leaving out the ox leaves out the 未 days (未 clashes 丑) and no others.
        no_ox = ok_json("almanac", "--find", "嫁娶", "--from", "2025-03-01", "--days", "40", "--avoid", "牛")
        self.assertEqual(no_ox, [d for d in days if ok_json("day", d)["ganzhi"]["text"][-2] != "未"])

    def test_refusals_name_what_is_accepted(self):
        cases = [
            (["--find", "吃饭"], "嫁娶"),
            (["--find", "结婚", "--avoid", "猫"], "鼠 牛 虎"),
            (["--find", "结婚", "--days", "367"], "1..366"),
            (["--find", "结婚", "--from", "9001-01-01"], "-8999..9000"),
            (["9001-01-01"], "-8999..9000"),
            (["--days", "3"], "--find"),
            (["--find", "结婚", "--from", "9000-12-15", "--days", "30"], "--days runs past the calendar's last day"),
            # The default of 30 days was not typed: the refusal names the range, not --days.
            (["--find", "结婚", "--from", "9000-12-15"], "--from the 30 days looked at by default run past the "
             "calendar's last day 9000-12-31: from 9000-12-15 give --days 1..17"),
        ]
        for args, named in cases:
            code, out, err = run("almanac", *args)
            self.assertEqual(code, 2, args)
            self.assertEqual(out, "")
            self.assertIn(named, err, args)


if __name__ == "__main__":
    unittest.main(verbosity=1)
