#!/usr/bin/python3
"""tempo ics end to end. Every file is read back by two parsers, libical (through ctypes) and Debian's
python3-icalendar, which must agree on every event to the second; the values are checked against
published tables; libical's restriction check must find nothing missing from the calendar.
Run with the system's interpreter (/usr/bin/python3), the one that has python3-icalendar."""
import ctypes
import ctypes.util
import datetime
import json
import math
import os
import signal
import subprocess
import sys
import tempfile
import time
import unittest

import icalendar

TEMPO = sys.argv.pop(1) if len(sys.argv) > 1 else "build/tempo"
# tempoline-web, whose calendar subscriptions are the same files (optional second argument).
WEB = sys.argv.pop(1) if len(sys.argv) > 1 and not sys.argv[1].startswith("-") else ""
DATA = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data")
# A library that, preloaded, refuses O_TMPFILE (tests/no_tmpfile.cpp): replacements then name their
# temporary from the start, as on file systems without unnamed ones.
NO_TMPFILE = os.environ.get("TEMPO_NO_TMPFILE", "")
UTC = datetime.timezone.utc


def tempo(*args, env=None, preexec_fn=None):
    p = subprocess.run([TEMPO, "ics", *args], capture_output=True, env=env, preexec_fn=preexec_fn)
    return p.returncode, p.stdout, p.stderr.decode("utf-8", "replace")


# --- libical through ctypes ------------------------------------------------------------------------

class IcalTime(ctypes.Structure):
    _fields_ = [(name, ctypes.c_int) for name in ("year", "month", "day", "hour", "minute", "second", "is_date",
                                                   "is_daylight")] + [("zone", ctypes.c_void_p)]


ical = ctypes.CDLL(ctypes.util.find_library("ical"))
for fn, res, args in [
        ("icalparser_parse_string", ctypes.c_void_p, [ctypes.c_char_p]),
        ("icalcomponent_get_first_component", ctypes.c_void_p, [ctypes.c_void_p, ctypes.c_int]),
        ("icalcomponent_get_next_component", ctypes.c_void_p, [ctypes.c_void_p, ctypes.c_int]),
        ("icalcomponent_get_first_property", ctypes.c_void_p, [ctypes.c_void_p, ctypes.c_int]),
        ("icalcomponent_get_next_property", ctypes.c_void_p, [ctypes.c_void_p, ctypes.c_int]),
        ("icalproperty_get_property_name", ctypes.c_char_p, [ctypes.c_void_p]),
        ("icalproperty_get_value_as_string", ctypes.c_char_p, [ctypes.c_void_p]),
        ("icalcomponent_get_dtstart", IcalTime, [ctypes.c_void_p]),
        ("icalcomponent_get_dtend", IcalTime, [ctypes.c_void_p]),
        ("icalcomponent_get_uid", ctypes.c_char_p, [ctypes.c_void_p]),
        ("icalcomponent_get_summary", ctypes.c_char_p, [ctypes.c_void_p]),
        ("icalcomponent_get_description", ctypes.c_char_p, [ctypes.c_void_p]),
        ("icaltime_is_utc", ctypes.c_int, [IcalTime]),
        ("icalrestriction_check", ctypes.c_int, [ctypes.c_void_p]),
        ("icalcomponent_count_errors", ctypes.c_int, [ctypes.c_void_p]),
        ("icalcomponent_free", None, [ctypes.c_void_p])]:
    getattr(ical, fn).restype = res
    getattr(ical, fn).argtypes = args
VEVENT, ANY_PROPERTY = 4, 0


def libical_time(t):
    if t.is_date:
        return datetime.date(t.year, t.month, t.day)
    assert ical.icaltime_is_utc(t), "a timed event that is not in UTC"
    return datetime.datetime(t.year, t.month, t.day, t.hour, t.minute, t.second, tzinfo=UTC)


def read_with_libical(data):
    """The calendar's properties and its events, and the number of errors libical finds."""
    root = ical.icalparser_parse_string(data)
    assert root, "libical could not parse the file"
    try:
        checked = ical.icalrestriction_check(root)
        errors = ical.icalcomponent_count_errors(root)

        def properties(c):
            out = {}
            p = ical.icalcomponent_get_first_property(c, ANY_PROPERTY)
            while p:
                out[ical.icalproperty_get_property_name(p).decode()] = \
                    (ical.icalproperty_get_value_as_string(p) or b"").decode()
                p = ical.icalcomponent_get_next_property(c, ANY_PROPERTY)
            return out

        events = []
        e = ical.icalcomponent_get_first_component(root, VEVENT)
        while e:
            # (libical would make up an end from DTSTART when there is no DTEND.)
            has_end = "DTEND" in properties(e)
            events.append({"uid": ical.icalcomponent_get_uid(e).decode(),
                           "start": libical_time(ical.icalcomponent_get_dtstart(e)),
                           "end": libical_time(ical.icalcomponent_get_dtend(e)) if has_end else None,
                           "summary": ical.icalcomponent_get_summary(e).decode(),
                           "description": ical.icalcomponent_get_description(e).decode()})
            e = ical.icalcomponent_get_next_component(root, VEVENT)
        return properties(root), events, checked, errors
    finally:
        ical.icalcomponent_free(root)


def read_with_icalendar(data):
    cal = icalendar.Calendar.from_ical(data)
    events = []
    for e in cal.walk("VEVENT"):
        categories = e["CATEGORIES"]
        events.append({"uid": str(e["UID"]), "start": e["DTSTART"].dt,
                       "end": e["DTEND"].dt if "DTEND" in e else None,
                       "summary": str(e["SUMMARY"]), "description": str(e["DESCRIPTION"]),
                       "categories": [str(c) for c in getattr(categories, "cats", [categories])],
                       "stamp": e["DTSTAMP"].dt})
    return cal, events


def assert_folded(test, data):
    """Every physical line ends in CR LF and holds at most 75 octets before it, no bare CR or LF, and
    is whole UTF-8 (a fold never splits a character); a continuation starts with one blank."""
    test.assertTrue(data.endswith(b"\r\n"))
    lines = data[:-2].split(b"\r\n")
    for line in lines:
        test.assertLessEqual(len(line), 75, line)
        test.assertNotIn(b"\r", line)
        test.assertNotIn(b"\n", line)
        line.decode("utf-8")  # a character cut by a fold raises here


class Ics:
    """One run of tempo ics, read by both parsers, which must agree on every event."""

    def __init__(self, test, *args, data=None):
        if data is None:
            code, self.data, err = tempo(*args)
            test.assertEqual(code, 0, err)
        else:
            self.data = data
        if "--output" in args:
            test.assertEqual(self.data, b"")
            with open(args[args.index("--output") + 1], "rb") as f:
                self.data = f.read()
        self.calendar, self.events, checked, errors = read_with_libical(self.data)
        test.assertTrue(checked, "libical's restriction check refused the file")
        test.assertEqual(errors, 0)
        self.cal, other = read_with_icalendar(self.data)
        key = ("uid", "start", "end", "summary", "description")
        test.assertEqual([tuple(e[k] for k in key) for e in self.events], [tuple(e[k] for k in key) for e in other])
        for mine, theirs in zip(self.events, other):
            mine["categories"], mine["stamp"] = theirs["categories"], theirs["stamp"]

    def on(self, summary):
        return [e["start"] for e in self.events if e["summary"] == summary]


def official_month_starts():
    """The first days of the lunar months 1901..2100 as published (data/, independent of the engine)."""
    with open(os.path.join(DATA, "official_month_starts_1901_2100.tsv")) as f:
        return [datetime.date.fromisoformat(line.split()[1]) for line in f if not line.startswith("#")]


# 春节 and the leap month of each year, from the published lunar calendar tables.
SPRING_FESTIVAL = {2020: "01-25", 2021: "02-12", 2022: "02-01", 2023: "01-22", 2024: "02-10", 2025: "01-29",
                   2026: "02-17", 2027: "02-06", 2028: "01-26", 2029: "02-13", 2030: "02-03"}
LEAP_MONTH = {2020: 4, 2023: 2, 2025: 6, 2028: 5}


def lunar_birthday(year, month, day, starts):
    """The day a lunar month-day falls on in a lunar year, by the rule as written: a leap month the
    year lacks falls in the month of its number, a 30th of a 29-day month on the 29th."""
    first = starts.index(datetime.date.fromisoformat("%d-%s" % (year, SPRING_FESTIVAL[year])))
    leap = LEAP_MONTH.get(year, 0)
    base = month - 12 if month > 12 else month
    place = first + base - 1 + (1 if leap and leap < base else 0) + (1 if month > 12 and leap == base else 0)
    length = (starts[place + 1] - starts[place]).days
    return starts[place] + datetime.timedelta(days=min(day, length) - 1)


class Terms(unittest.TestCase):
    # Purple Mountain Observatory's instants of 2024 as the almanacs print them: UTC+8, to the minute
    # (five of them are also in tests/events_test.cpp).
    PUBLISHED_2024 = """小寒 01-06 04:49  大寒 01-20 22:07  立春 02-04 16:27  雨水 02-19 12:13  惊蛰 03-05 10:23
        春分 03-20 11:06  清明 04-04 15:02  谷雨 04-19 21:59  立夏 05-05 08:10  小满 05-20 20:59  芒种 06-05 12:10
        夏至 06-21 04:51  小暑 07-06 22:20  大暑 07-22 15:44  立秋 08-07 08:09  处暑 08-22 22:55  白露 09-07 11:11
        秋分 09-22 20:44  寒露 10-08 03:00  霜降 10-23 06:15  立冬 11-07 06:20  小雪 11-22 03:56  大雪 12-06 23:17
        冬至 12-21 17:21"""

    def test_the_24_terms_of_2024_at_their_published_instants_in_utc(self):
        ics = Ics(self, "--from", "2024", "--years", "1", "--terms")
        words = self.PUBLISHED_2024.split()
        published = {words[i]: datetime.datetime.fromisoformat("2024-%s %s+08:00" % (words[i + 1], words[i + 2]))
                     for i in range(0, len(words), 3)}
        self.assertEqual([e["summary"] for e in ics.events], list(published))
        for e in ics.events:
            # Both parsers read the same second (Ics checks it) in UTC; the published minute is met
            # within its own precision.
            self.assertEqual(e["start"].utcoffset(), datetime.timedelta(0), e)
            self.assertIsNone(e["end"])
            self.assertLess(abs((e["start"] - published[e["summary"]]).total_seconds()), 60, e)
            self.assertEqual(e["categories"], ["节气"])


    def test_terms_before_1887_at_their_astronomical_instants_and_the_days_of_the_time_named(self):
        # The Sun of Meeus's low-accuracy theory (ch. 25, about 0.01 degree, a quarter of an hour of
        # the Sun's motion), apparent longitude, with Delta T of some seconds in 1700.
        def apparent_longitude(jd_ut):
            t = (jd_ut + 9.0 / 86400 - 2451545.0) / 36525
            l0 = 280.46646 + 36000.76983 * t + 0.0003032 * t * t
            m = math.radians(357.52911 + 35999.05029 * t - 0.0001537 * t * t)
            c = ((1.914602 - 0.004817 * t) * math.sin(m) + (0.019993 - 0.000101 * t) * math.sin(2 * m)
                 + 0.000289 * math.sin(3 * m))
            omega = math.radians(125.04 - 1934.136 * t)
            return (l0 + c - 0.00569 - 0.00478 * math.sin(omega)) % 360

        def instant(target, near):
            jd = near
            for _ in range(8):  # Newton's steps with the Sun's mean motion
                jd += ((target - apparent_longitude(jd) + 180) % 360 - 180) / 0.9856474
            return jd

        ics = Ics(self, "--from", "1700", "--terms")
        of_the_time = {t["name"]: t for t in json.loads(subprocess.run([TEMPO, "terms", "1700", "--json"],
                                                                       capture_output=True).stdout)}
        self.assertEqual(len(ics.events), 24)
        noted = 0
        for e in ics.events:
            jd = (e["start"] - datetime.datetime(2000, 1, 1, 12, tzinfo=UTC)).total_seconds() / 86400 + 2451545.0
            longitude = int(e["description"].split("太阳黄经")[1].split("°")[0])
            self.assertLess(abs(jd - instant(longitude, jd)) * 1440, 30, e)
            # Where the calendar of 1700 (the Qing theory) put the term on another day, the description
            # names that day.
            local = (e["start"] + datetime.timedelta(hours=8)).date()
            day = datetime.date(1700, int(of_the_time[e["summary"]]["local"][2:4]), int(of_the_time[e["summary"]]["local"][5:7]))
            if day != local:
                noted += 1
                self.assertIn("当时的历法把%s定在1700年%d月%d日" % (e["summary"], day.month, day.day), e["description"])
            else:
                self.assertNotIn("当时", e["description"])
        self.assertGreater(noted, 0)


class BoundedWork(unittest.TestCase):
    def test_memory_does_not_grow_with_the_events(self):
        import resource
        with tempfile.TemporaryDirectory() as d:
            path = os.path.join(d, "many.txt")
            with open(path, "w", encoding="utf-8") as f:
                for i in range(1000):
                    f.write("lunar-birthday %02d-%02d:家人%d\n" % (i % 12 + 1, i % 30 + 1, i))
            # 1000 birthdays over 200 years: some 200,000 events and 45 MB of text, in a few MB.
            size = events = 0
            with subprocess.Popen([TEMPO, "ics", "--from", "1800", "--years", "200", "--birthdays", path],
                                  stdout=subprocess.PIPE) as p:
                while True:
                    piece = p.stdout.read(1 << 20)
                    if not piece:
                        break
                    size += len(piece)
                    events += piece.count(b"BEGIN:VEVENT")
            self.assertEqual(p.returncode, 0)
            self.assertGreater(size, 40 << 20)
            self.assertGreater(events, 199000)
            self.assertLess(resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss, 64 << 10)  # KiB

    def test_more_than_a_million_events_are_refused_before_anything_is_written(self):
        with tempfile.TemporaryDirectory() as d:
            path = os.path.join(d, "crowd.txt")
            with open(path, "w", encoding="utf-8") as f:
                for i in range(5001):  # a Gregorian birthday falls once every year: 5001 x 200 events
                    f.write("solar-birthday %02d-%02d:人%d\n" % (i % 12 + 1, i % 28 + 1, i))
            out = os.path.join(d, "crowd.ics")
            code, data, err = tempo("--from", "1800", "--years", "200", "--birthdays", path, "--output", out)
            self.assertEqual((code, data), (2, b""))
            self.assertIn("1,000,200 events, more than the 1,000,000", err)
            self.assertFalse(os.path.exists(out))

    def test_the_same_birthday_many_times_is_one_birthday(self):
        # 6,000 copies of one birthday over 200 years are its 200 days, not 1,200,000 events.
        with tempfile.TemporaryDirectory() as d:
            path = os.path.join(d, "copies.txt")
            with open(path, "w", encoding="utf-8") as f:
                f.write("solar-birthday 05-04:爸爸生日\n" * 6000)
            code, data, err = tempo("--from", "1800", "--years", "200", "--birthdays", path)
            self.assertEqual(code, 0, err)
            self.assertEqual(data, tempo("--from", "1800", "--years", "200", "--solar-birthday", "05-04:爸爸生日")[1])
            self.assertEqual(data.count(b"BEGIN:VEVENT"), 200)

    def test_a_failed_write_is_an_error_with_the_systems_reason(self):
        with open("/dev/full", "w") as full:
            p = subprocess.run([TEMPO, "ics", "--from", "2024", "--years", "50", "--terms"], stdout=full,
                               stderr=subprocess.PIPE)
        self.assertEqual(p.returncode, 2)
        self.assertIn("the output could not be written: No space left on device", p.stderr.decode())
        code, out, err = tempo("--from", "2024", "--years", "50", "--terms", "--output", "/dev/full")
        self.assertEqual(code, 2)
        self.assertIn("cannot be written: writing failed: No space left on device", err)

    def test_a_write_past_the_file_size_limit_fails_and_leaves_nothing(self):
        # ulimit -f: the kernel answers the write past the limit with SIGXFSZ, which must not end
        # tempo before it removes its temporary (a named one, without O_TMPFILE).
        import resource
        def small_files():
            resource.setrlimit(resource.RLIMIT_FSIZE, (65536, resource.getrlimit(resource.RLIMIT_FSIZE)[1]))
        ways = [("unnamed", {})] + ([("named", {"LD_PRELOAD": NO_TMPFILE})] if NO_TMPFILE else [])
        with tempfile.TemporaryDirectory() as d:
            out = os.path.join(d, "cal.ics")
            for way, env in ways:
                with open(out, "w") as f:
                    f.write("the calendar before")
                code, data, err = tempo("--from", "1800", "--years", "200", "--terms", "--output", out,
                                        env=dict(os.environ, **env), preexec_fn=small_files)
                self.assertEqual(code, 2, way)
                self.assertIn("cannot be written: writing failed: File too large", err, way)
                with open(out) as f:
                    self.assertEqual(f.read(), "the calendar before", way)
                self.assertEqual(os.listdir(d), ["cal.ics"], way)


class AllDayEvents(unittest.TestCase):
    def test_festivals_of_2024(self):
        ics = Ics(self, "--from", "2024", "--festivals")
        # The published dates of 2024.
        for name, day in [("春节", "02-10"), ("除夕", "02-09"), ("元宵节", "02-24"), ("端午节", "06-10"),
                          ("七夕节", "08-10"), ("中秋节", "09-17"), ("重阳节", "10-11"), ("国庆节", "10-01"),
                          ("母亲节", "05-12"), ("复活节", "03-31")]:
            self.assertEqual(ics.on(name), [datetime.date.fromisoformat("2024-" + day)], name)
        spring = next(e for e in ics.events if e["summary"] == "春节")
        self.assertEqual(spring["end"], datetime.date(2024, 2, 11))
        self.assertEqual(spring["categories"], ["农历节日"])
        self.assertIn("甲辰年正月初一", spring["description"])

    def test_the_months_of_2023_open_on_the_published_days(self):
        ics = Ics(self, "--from", "2023", "--months")
        starts = [d for d in official_month_starts() if d.year == 2023]
        self.assertEqual([e["start"] for e in ics.events], starts)
        self.assertEqual([e["summary"][:-2] for e in ics.events],
                         ["正月", "二月", "闰二月", "三月", "四月", "五月", "六月", "七月", "八月", "九月", "十月", "冬月"])
        self.assertTrue(all(e["summary"].endswith("初一") for e in ics.events))
        self.assertIn("小月（29天）", ics.events[2]["description"])  # 闰二月: 03-22 .. 04-19


class Birthdays(unittest.TestCase):
    def test_lunar_birthdays_of_2020_to_2030_on_the_published_months(self):
        # 八月三十 falls on the 29th where 八月 is small; 闰二月初十 in 二月 except in 2023, which has
        # a 闰二月. Hand-checked: 2021-10-05 (八月 of 2021 is small), 2024-10-02, 2023-03-31.
        ics = Ics(self, "--from", "2020", "--years", "11", "--lunar-birthday", "08-30:奶奶生日",
                  "--lunar-birthday", "14-10:闰月生日")
        starts = official_month_starts()
        for title, month, day, checked in [("奶奶生日", 8, 30, ["2021-10-05", "2024-10-02"]),
                                           ("闰月生日", 14, 10, ["2023-03-31"])]:
            self.assertEqual(ics.on(title), [lunar_birthday(y, month, day, starts) for y in range(2020, 2031)])
            self.assertTrue(set(map(datetime.date.fromisoformat, checked)) <= set(ics.on(title)))
        for e in ics.events:
            year = e["start"].year
            if e["summary"] == "奶奶生日":
                small = lunar_birthday(year, 8, 30, starts) == lunar_birthday(year, 8, 29, starts)
                self.assertTrue(e["description"].startswith("农历八月三十。"), e)
                self.assertEqual("八月只有二十九天" in e["description"], small, e)
            else:
                self.assertEqual("没有闰二月" in e["description"], year != 2023, e)
            self.assertEqual(e["categories"], ["生日"])

    def test_solar_birthdays_and_the_29th_of_february(self):
        ics = Ics(self, "--from", "2023", "--years", "3", "--solar-birthday", "02-29:闰日", "--solar-birthday",
                  "3-1:三月")
        self.assertEqual(ics.on("闰日"), [datetime.date(2023, 2, 28), datetime.date(2024, 2, 29),
                                          datetime.date(2025, 2, 28)])
        self.assertEqual(ics.on("三月"), [datetime.date(y, 3, 1) for y in (2023, 2024, 2025)])
        notes = [e["description"] for e in ics.events if e["summary"] == "闰日"]
        self.assertIn("不是闰年", notes[0])
        self.assertNotIn("不是闰年", notes[1])
        self.assertIn("农历甲辰年正月二十", notes[1])

    def test_a_birthdays_file_takes_the_forms_of_the_options(self):
        with tempfile.TemporaryDirectory() as d:
            path = os.path.join(d, "family.txt")
            # Blanks and tabs around every separator: after the kind, around "=" and ":".
            # "#" after a blank or a tab starts a comment; within a word it is the title's.
            with open(path, "wb") as f:
                f.write("\ufeff# 家人\r\n\tlunar-birthday\t 08-15 :\t妈妈生日 # 农历\r\n\r\n--solar-birthday = 05-04\t: "
                        "爸爸生日\t#公历\n  # 注释\nsolar-birthday 06-01:C#组聚会\n".encode("utf-8"))
            out = os.path.join(d, "family.ics")
            ics = Ics(self, "--from", "2024", "--birthdays", path, "--output", out)
            self.assertEqual(ics.data, tempo("--from", "2024", "--lunar-birthday", "08-15:妈妈生日",
                                             "--solar-birthday", "05-04:爸爸生日", "--solar-birthday", "06-01:C#组聚会")[1])
            self.assertEqual([(e["summary"], e["start"]) for e in ics.events],
                             [("爸爸生日", datetime.date(2024, 5, 4)), ("C#组聚会", datetime.date(2024, 6, 1)),
                              ("妈妈生日", datetime.date(2024, 9, 17))])


class TheFile(unittest.TestCase):
    README = ["--from", "2025", "--years", "10", "--terms", "--festivals", "--lunar-birthday", "08-15:妈妈生日"]

    def test_the_readme_command_gives_a_valid_file(self):
        ics = Ics(self, *self.README)
        self.assertEqual(ics.calendar["VERSION"], "2.0")
        self.assertEqual(ics.calendar["X-WR-CALNAME"], "橙鹿万年历")
        self.assertEqual(str(ics.cal["X-WR-CALNAME"]), "橙鹿万年历")
        self.assertIn("PRODID", ics.calendar)
        for e in ics.events:
            self.assertTrue(e["uid"].endswith("@tempoline") and e["summary"] and e["categories"], e)
            self.assertEqual(e["stamp"].utcoffset(), datetime.timedelta(0))
        self.assertEqual(len(ics.on("立春")), 10)
        # 八月十五 is 中秋节: the birthday falls on it every year, 2025-10-06 the first.
        self.assertEqual(ics.on("妈妈生日"), ics.on("中秋节"))
        self.assertEqual(ics.on("妈妈生日")[0], datetime.date(2025, 10, 6))
        lines = ics.data.split(b"\r\n")
        self.assertEqual(lines[-1], b"")
        self.assertTrue(all(len(line) <= 75 and b"\n" not in line for line in lines))

    def test_the_same_input_gives_the_same_file_and_uids_that_outlive_the_span(self):
        args = ["--terms", "--festivals", "--months", "--lunar-birthday", "08-30:奶奶生日"]
        first = Ics(self, "--from", "2025", "--years", "3", *args)
        self.assertEqual(first.data, tempo("--from", "2025", "--years", "3", *args)[1])
        uids = [e["uid"] for e in first.events]
        self.assertEqual(len(uids), len(set(uids)))
        # A file of 2026 alone names 2026's events as the longer file does, so importing it updates them.
        alone = Ics(self, "--from", "2026", *args)
        of_2026 = {(e["uid"], e["summary"], e["start"]) for e in first.events if e["start"].year == 2026}
        self.assertEqual({(e["uid"], e["summary"], e["start"]) for e in alone.events}, of_2026)


    def test_lines_of_every_length_around_the_folds_read_back_whole(self):
        # SUMMARY:TITLE is 8 octets and the title: every length from 60 to 160 octets in ASCII, and
        # Chinese titles (3 octets a character) after 0, 1 or 2 letters, so that a fold falls at every
        # place within a character.
        titles = ["x" * n for n in range(52, 153)]
        titles += [("ab"[:lead] + "中文标题" * 12)[:lead + n] for lead in (0, 1, 2) for n in range(17, 51)]
        args = ["--from", "2024"]
        for i, title in enumerate(titles):
            args += ["--solar-birthday", "%02d-%02d:%s" % (i % 12 + 1, i % 28 + 1, title)]
        ics = Ics(self, *args)
        assert_folded(self, ics.data)
        # Both parsers read every title back whole (Ics checks that they agree), none ending in a CR.
        self.assertEqual(sorted(e["summary"] for e in ics.events), sorted(titles))
        # The descriptions of thirty years of holidays, terms and festivals: 9 of them are 74 octets.
        ics = Ics(self, "--from", "2000", "--years", "31", "--holidays", "--terms", "--festivals")
        assert_folded(self, ics.data)
        self.assertFalse(any(e["description"].endswith("\r") or "\r" in e["summary"] for e in ics.events))
        self.assertIn("2009年国庆节：10月1日至10月8日放假，共8天；9月27日（星期日）、10月10日（星期六）上班（国务院办公厅通知）",
                      [e["description"] for e in ics.events])

    def test_a_calendar_name_with_separators_and_many_characters_reads_back_whole(self):
        for name in ["家,人;日历\\备份", "农历,生日;" * 12]:
            ics = Ics(self, "--from", "2024", "--terms", "--name", name)
            self.assertEqual(str(ics.cal["X-WR-CALNAME"]), name)
            # libical reads an escaped backslash of an X- property back as two (its parser leaves them
            # escaped there), so it is asked only about the separators.
            self.assertEqual(ics.calendar["X-WR-CALNAME"].replace("\\\\", "\\"), name)
            self.assertTrue(all(len(line) <= 75 for line in ics.data.split(b"\r\n")))

    def test_output_goes_through_a_symlink_and_keeps_the_file_private(self):
        with tempfile.TemporaryDirectory() as d:
            real, link = os.path.join(d, "real.ics"), os.path.join(d, "cal.ics")
            with open(real, "w") as f:
                f.write("old")
            os.chmod(real, 0o600)
            os.symlink("real.ics", link)
            ics = Ics(self, "--from", "2024", "--terms", "--output", link)
            self.assertTrue(os.path.islink(link))
            with open(real, "rb") as f:
                self.assertEqual(f.read(), ics.data)
            self.assertEqual(os.stat(real).st_mode & 0o777, 0o600)
            self.assertEqual(sorted(os.listdir(d)), ["cal.ics", "real.ics"])

    def test_a_file_read_is_never_the_file_written(self):
        with tempfile.TemporaryDirectory() as d:
            birthdays, table = os.path.join(d, "birthdays.txt"), os.path.join(d, "holidays.tsv")
            # The kept table, read whenever no --holidays-file is given.
            kept = os.path.join(d, "data", "tempoline", "holidays.tsv")
            os.makedirs(os.path.dirname(kept))
            with open(birthdays, "w", encoding="utf-8") as f:
                f.write("lunar-birthday 08-15:妈妈生日\n")
            for path in (table, kept):
                with open(path, "w", encoding="utf-8") as f:
                    f.write("2027-01-01\t休\t元旦\n")
            os.symlink("birthdays.txt", os.path.join(d, "link.txt"))
            os.symlink(kept, os.path.join(d, "kept.tsv"))
            env = dict(os.environ, XDG_DATA_HOME=os.path.join(d, "data"))
            def contents(name):
                with open(os.path.join(d, name), "rb") as f:
                    return f.read()
            before = {name: contents(name) for name in ("birthdays.txt", "holidays.tsv", "data/tempoline/holidays.tsv")}
            for args, output, said in [
                    (["--birthdays", birthdays], birthdays, "is the --birthdays file"),
                    (["--birthdays", birthdays], os.path.join(d, "link.txt"), "is the --birthdays file"),
                    (["--birthdays", os.path.join(d, ".", "birthdays.txt")], birthdays, "is the --birthdays file"),
                    (["--holidays", "--holidays-file", table], table, "is the --holidays-file file"),
                    (["--holidays"], kept, "is the kept holiday table " + kept),
                    (["--terms"], os.path.join(d, "kept.tsv"), "is the kept holiday table")]:
                code, out, err = tempo("--from", "2026", *args, "--output", output, env=env)
                self.assertEqual((code, out), (2, b""), args)
                self.assertIn(said, err, args)
                for name, was in before.items():
                    self.assertEqual(contents(name), was, (args, name))
            # Another file beside them is written.
            self.assertEqual(tempo("--from", "2026", "--birthdays", birthdays, "--output", os.path.join(d, "cal.ics"))[0], 0)

    @unittest.skipUnless(os.geteuid() == 0, "needs root, to give a link to another user")
    def test_a_link_another_user_planted_in_a_shared_folder_is_not_followed(self):
        # As the kernel's fs.protected_symlinks has it, whatever the kernel is set to: in a sticky
        # folder everyone may write to, root follows only its own links or the folder owner's.
        with tempfile.TemporaryDirectory() as d:
            victim = os.path.join(d, "victim.conf")
            with open(victim, "w") as f:
                f.write("root's own file")
            shared = os.path.join(d, "sticky")
            os.mkdir(shared)
            os.chmod(shared, 0o1777)
            link = os.path.join(shared, "cal.ics")
            os.symlink(victim, link)
            os.lchown(link, 65534, 65534)  # planted by nobody
            code, out, err = tempo("--from", "2026", "--terms", "--output", link)
            self.assertEqual((code, out), (2, b""))
            self.assertIn("not followed", err)
            with open(victim) as f:
                self.assertEqual(f.read(), "root's own file")
            self.assertEqual(os.listdir(shared), ["cal.ics"])
            # The folder's owner may lead root through a link of theirs.
            os.chown(shared, 65534, 65534)
            self.assertEqual(tempo("--from", "2026", "--terms", "--output", link)[0], 0)
            with open(victim, "rb") as f:
                self.assertTrue(f.read().startswith(b"BEGIN:VCALENDAR"))

    def test_public_holidays_as_spans_and_worked_weekend_days(self):
        ics = Ics(self, "--from", "2026", "--holidays")
        spans = sorted((e["summary"], e["start"].isoformat(), e["end"].isoformat()) for e in ics.events
                       if e["summary"] != "上班（调休）")
        # From the notice of 2026; DTEND is the day after the last day off.
        self.assertEqual(spans, sorted([
            ("元旦（休）", "2026-01-01", "2026-01-04"), ("春节（休）", "2026-02-15", "2026-02-24"),
            ("清明节（休）", "2026-04-04", "2026-04-07"), ("劳动节（休）", "2026-05-01", "2026-05-06"),
            ("端午节（休）", "2026-06-19", "2026-06-22"), ("中秋节（休）", "2026-09-25", "2026-09-28"),
            ("国庆节（休）", "2026-10-01", "2026-10-08")]))
        self.assertEqual(sorted(d.isoformat() for d in ics.on("上班（调休）")),
                         ["2026-01-04", "2026-02-14", "2026-02-28", "2026-05-09", "2026-09-20", "2026-10-10"])
        self.assertTrue(all(e["categories"] == ["节假日"] for e in ics.events))
        # Years the table lacks have no holidays, and tempo says which, as runs of years.
        code, data, err = tempo("--from", "2026", "--years", "20", "--holidays")
        self.assertEqual(code, 0)
        self.assertIn("no holidays in 2027..2045\n", err)

    def test_only_a_year_without_a_day_off_or_worked_is_said_to_have_no_holidays(self):
        # The table begins with the notice of 2007, whose 元旦 made 2006-12-30 and 31 working days:
        # the file of 2006 holds them; 2005 holds nothing.
        for args, warned in [(("--from", "2006"), None), (("--from", "2005", "--years", "3"), "2005"),
                             (("--from", "2004", "--years", "3"), "2004..2005")]:
            code, data, err = tempo(*args, "--holidays")
            self.assertEqual(code, 0, args)
            if warned is None:
                self.assertNotIn("no holidays", err, args)
                self.assertIn(b"DTSTART;VALUE=DATE:20061230", data.replace(b"\r\n ", b""))
            else:
                self.assertIn("no holidays in %s\n" % warned, err, args)

    def test_every_day_off_and_worked_of_the_years_asked_is_in_the_file(self):
        # The days from the published notices (data/), each 休 day with the weekend next to it up to
        # a listed day, worked out here; 班 days count on a weekend only.
        listed = {}
        with open(os.path.join(DATA, "cn_public_holidays_2007_2026.tsv"), encoding="utf-8") as f:
            for line in f:
                if not line.startswith("#"):
                    day, kind, _ = line.rstrip("\n").split("\t")
                    listed[datetime.date.fromisoformat(day)] = kind
        off = set()
        for day, kind in listed.items():
            if kind == "休":
                off.add(day)
                for step in (-1, 1):
                    d = day + datetime.timedelta(days=step)
                    while d.weekday() >= 5 and d not in listed:
                        off.add(d)
                        d += datetime.timedelta(days=step)
        worked = {d for d, kind in listed.items() if kind == "班" and d.weekday() >= 5}
        one_day = datetime.timedelta(days=1)
        for year in range(2008, 2027):
            ics = Ics(self, "--from", str(year), "--holidays")
            spans = [(e["start"], e["end"]) for e in ics.events if e["summary"] != "上班（调休）"]
            covered = set()
            for first, end in spans:
                covered |= {first + one_day * i for i in range((end - first).days)}
                self.assertTrue(any(first + one_day * i in off for i in range((end - first).days)))
            self.assertEqual({d for d in covered if d.year == year}, {d for d in off if d.year == year}, year)
            self.assertEqual(set(ics.on("上班（调休）")), {d for d in worked if d.year == year}, year)
        # Hand-checked: the 元旦 of 2017 (2016-12-31..2017-01-02), of 2023 (2022-12-31..2023-01-02) and
        # of 2024 (2023-12-30..2024-01-01) in the files of 2017, 2023 and 2024; the files of 2017 and
        # 2023 also hold the 元旦 of the next year, which begins on their 30 December. A file of both
        # years has each once.
        for args, expected in [(("--from", "2017"), [("2016-12-31", "2017-01-03"), ("2017-12-30", "2018-01-02")]),
                               (("--from", "2023"), [("2022-12-31", "2023-01-03"), ("2023-12-30", "2024-01-02")]),
                               (("--from", "2024"), [("2023-12-30", "2024-01-02")]),
                               (("--from", "2023", "--years", "2"), [("2022-12-31", "2023-01-03"),
                                                                     ("2023-12-30", "2024-01-02")])]:
            ics = Ics(self, *args, "--holidays")
            self.assertEqual([(e["start"].isoformat(), e["end"].isoformat()) for e in ics.events
                              if e["summary"] == "元旦（休）"], expected, args)
            uids = [e["uid"] for e in ics.events]
            self.assertEqual(len(uids), len(set(uids)), args)
        # The same event, whichever file it comes in: one UID.
        self.assertEqual({e["uid"] for e in Ics(self, "--from", "2023", "--holidays").events if e["start"].year == 2023
                          and e["summary"] == "元旦（休）" and e["start"].month == 12},
                         {e["uid"] for e in Ics(self, "--from", "2024", "--holidays").events if e["summary"] == "元旦（休）"})

    def test_a_make_up_day_has_the_name_it_has_everywhere(self):
        # Worked for the days off next to it: 2025-09-28 before the 国庆节 days of 10-01..10-08 (no
        # 中秋节 day off that year), 2012-09-29 before 中秋节 on 09-30.
        for day, name in [("2025-09-28", "国庆节"), ("2020-09-27", "国庆节"), ("2017-09-30", "国庆节"),
                          ("2009-09-27", "国庆节"), ("2012-09-29", "中秋节"), ("2023-10-07", "国庆节")]:
            year = day[:4]
            ics = Ics(self, "--from", year, "--holidays")
            event = next(e for e in ics.events if e["start"] == datetime.date.fromisoformat(day))
            self.assertEqual(event["summary"], "上班（调休）")
            self.assertTrue(event["description"].startswith("%s年%s调休" % (year, name)), (day, event))
            day_json = json.loads(subprocess.run([TEMPO, "day", day, "--json"], capture_output=True).stdout)
            self.assertEqual(day_json["holiday"], {"kind": "班", "name": name}, day)
            spans = json.loads(subprocess.run([TEMPO, "holidays", year, "--json"], capture_output=True).stdout)
            self.assertEqual([h["name"] for h in spans["holidays"] if day in h["work_days"]], [name], day)

    def test_a_range_without_any_event_is_refused(self):
        with tempfile.TemporaryDirectory() as d:
            out = os.path.join(d, "empty.ics")
            for args in (["--from", "2030", "--holidays"], ["--from", "2040", "--years", "3", "--holidays", "--output", out]):
                code, data, err = tempo(*args)
                self.assertEqual((code, data), (2, b""), args)
                self.assertIn("would hold no event: the public holiday table holds 2007..2026", err, args)
                self.assertEqual(err.count("\n"), 1, err)
            self.assertFalse(os.path.exists(out))
        # One year of the table in the range is enough.
        self.assertEqual(tempo("--from", "2026", "--years", "2", "--holidays")[0], 0)

    def test_the_first_and_the_last_year(self):
        for year in (1583, 2999):
            ics = Ics(self, "--from", str(year), "--terms", "--festivals", "--months", "--solar-birthday", "12-31:x")
            self.assertEqual({e["start"].year for e in ics.events}, {year})
            self.assertEqual(ics.on("x"), [datetime.date(year, 12, 31)])


class Interrupted(unittest.TestCase):
    """SIGINT, SIGTERM and SIGHUP while a 45 MB calendar is written: the old file stays as it was and
    nothing is left beside it, with unnamed temporaries and as on a file system without them."""

    @staticmethod
    def writing(p, folder, named):
        """Whether the process is writing its temporary: a named one in the folder past its first
        megabyte, or an unnamed one among its open files."""
        if named:
            return any(n.endswith(".tmp") and os.path.getsize(os.path.join(folder, n)) > (1 << 20)
                       for n in os.listdir(folder))
        fds = "/proc/%d/fd" % p.pid
        for fd in os.listdir(fds):
            try:
                if os.readlink(os.path.join(fds, fd)).startswith(os.path.realpath(folder) + "/#"):
                    return True
            except OSError:
                pass
        return False

    def test_a_signal_during_a_long_write_leaves_the_old_file_and_nothing_else(self):
        ways = [("unnamed", {})]
        if NO_TMPFILE:
            ways.append(("named", {"LD_PRELOAD": NO_TMPFILE}))
        else:
            print("TEMPO_NO_TMPFILE not set: only with unnamed temporaries", file=sys.stderr)
        with tempfile.TemporaryDirectory() as d:
            birthdays = os.path.join(d, "many.txt")
            with open(birthdays, "w", encoding="utf-8") as f:
                for i in range(1000):
                    f.write("lunar-birthday %02d-%02d:家人%d\n" % (i % 12 + 1, i % 30 + 1, i))
            folder = os.path.join(d, "out")
            os.mkdir(folder)
            out = os.path.join(folder, "cal.ics")
            for way, env in ways:
                for sig in (signal.SIGINT, signal.SIGTERM, signal.SIGHUP):
                    what = "%s, %s" % (way, sig.name)
                    with open(out, "w") as f:
                        f.write("the calendar before")
                    p = subprocess.Popen([TEMPO, "ics", "--from", "1800", "--years", "200", "--birthdays", birthdays,
                                          "--output", out], env=dict(os.environ, **env), stderr=subprocess.PIPE)
                    try:
                        deadline = time.monotonic() + 20
                        while not self.writing(p, folder, way == "named"):
                            self.assertIsNone(p.poll(), "%s: tempo ended before it was interrupted" % what)
                            self.assertLess(time.monotonic(), deadline, "%s: no temporary written within 20 s" % what)
                            time.sleep(0.01)
                        p.send_signal(sig)
                        p.communicate(timeout=10)
                    finally:
                        if p.poll() is None:
                            p.kill()
                            p.wait(timeout=10)
                    self.assertEqual(p.returncode, -sig, what)
                    with open(out) as f:
                        self.assertEqual(f.read(), "the calendar before", what)
                    self.assertEqual(os.listdir(folder), ["cal.ics"], what)


class Refusals(unittest.TestCase):
    def test_bad_input_is_refused_with_status_2_and_what_is_wrong(self):
        with tempfile.TemporaryDirectory() as d:
            bad = os.path.join(d, "bad.txt")
            with open(bad, "w", encoding="utf-8") as f:
                f.write("# ok\nlunar-birthday 08-15:妈妈\nlunar-birthday 08-31:错\n")
            wrong_form = os.path.join(d, "form.txt")
            with open(wrong_form, "w", encoding="utf-8") as f:
                f.write("birthday 08-15:妈妈\n")
            read_only = os.path.join(d, "locked.ics")
            with open(read_only, "w") as f:
                f.write("mine")
            os.chmod(read_only, 0o444)
            for args, said in [
                    (["--lunar-birthday", "08-31:x"], "no lunar day 31"),
                    (["--lunar-birthday", "25-01:x"], "no lunar month 25"),
                    (["--solar-birthday", "02-30:x"], "no date 02-30"),
                    (["--solar-birthday", "08-15"], "wants MM-DD:TITLE"),
                    (["--solar-birthday", "0815:x"], "'0815' is no month-day"),
                    (["--solar-birthday", "8/15:x"], "'8/15' is no month-day"),
                    (["--lunar-birthday", "08-15:  "], "title after ':' is empty"),
                    (["--lunar-birthday", b"08-15:\xff".decode("utf-8", "surrogateescape")], "not UTF-8"),
                    (["--lunar-birthday", "08-15:a\tb"], "control character"),
                    (["--birthdays", bad], "'" + bad + "':3: no lunar day 31"),
                    (["--birthdays", wrong_form], "'" + wrong_form + "':1: wants lunar-birthday"),
                    (["--birthdays", os.path.join(d, "missing.txt")], "cannot be read"),
                    (["--terms", "--years", "201"], "--years '201' is out of range (1..200)"),
                    (["--terms", "--from", "1582"], "1583..2999"),
                    (["--terms", "--from", "2998", "--years", "3"], "1583..2999"),
                    (["--terms", "--json"], "'--json' is not an option of tempo ics"),
                    (["--terms", "--name", " \t "], "the title is blank"),
                    ([], "nothing to put"),
                    (["--terms", "--output", os.path.join(d, "no", "such", "dir.ics")], "folder does not exist"),
                    (["--terms", "--output", read_only], "read-only"),
                    (["--terms", "--output", d], "is a folder")]:
                if "--from" not in args:
                    args = ["--from", "2024", *args]
                code, out, err = tempo(*args)
                self.assertEqual((code, out), (2, b""), args)
                self.assertIn(said, err, args)
            with open(read_only) as f:
                self.assertEqual(f.read(), "mine")

    def test_what_was_typed_is_echoed_escaped_and_cut(self):
        with tempfile.TemporaryDirectory() as d:
            hostile = os.path.join(d, "hostile.txt")
            with open(hostile, "w", encoding="utf-8") as f:
                f.write("solar-birthday \x1b]0;owned\x07\x1b[2J08-15:x\n")
            huge = os.path.join(d, "huge.txt")
            with open(huge, "w", encoding="utf-8") as f:
                f.write("birthday " + "长" * 300000 + "\n")
            for args, shown in [(["--birthdays", hostile], "'\\x1b]0;owned\\x07\\x1b[2J08-15'"),
                                (["--birthdays", huge], "'birthday " + "长" * 51 + "'..."),
                                (["--solar-birthday", "\x1b[31m08-15:x"], "'\\x1b[31m08-15'"),
                                (["--solar-birthday", "\u009b31m08-15:x"], "'\\xc2\\x9b31m08-15'"),
                                (["--lunar-birthday", "08-15:\u0085x"], "'08-15:\\xc2\\x85x'")]:
                code, out, err = tempo("--from", "2024", *args)
                self.assertEqual(code, 2, args)
                message = err
                self.assertIn(shown, message, args)
                self.assertNotIn("\x1b", message, args)
                self.assertFalse([c for c in message if "\u0080" <= c <= "\u009f"], args)
                self.assertLess(len(message), 400, args)


@unittest.skipUnless(WEB, "tempoline-web not given")
class Subscription(unittest.TestCase):
    """tempoline-web's /calendar.ics: the file tempo ics writes for the same options, read by both parsers."""

    def test_a_ten_year_subscription(self):
        import urllib.parse
        import urllib.request
        server = subprocess.Popen([WEB, "--address", "127.0.0.1", "--port", "0", "--source",
                                   "file:" + os.path.join(DATA, "..", "web", "demo-forecast.json")],
                                  stderr=subprocess.PIPE, text=True)
        try:
            port = None
            while port is None:
                line = server.stderr.readline()
                self.assertTrue(line, "tempoline-web ended before it listened")
                if "listening on 127.0.0.1:" in line:
                    port = int(line.split("listening on 127.0.0.1:")[1].split(",")[0])
            query = urllib.parse.urlencode([("from", "2025"), ("years", "10"), ("terms", ""), ("festivals", ""),
                                            ("holidays", ""), ("lunar-birthday", "08-15:妈妈生日"), ("name", "家")])
            with urllib.request.urlopen("http://127.0.0.1:%d/calendar.ics?%s" % (port, query), timeout=30) as answer:
                self.assertEqual(answer.headers["Content-Type"], "text/calendar; charset=utf-8")
                data = answer.read()
            ics = Ics(self, data=data)
            self.assertEqual(data, tempo("--from", "2025", "--years", "10", "--terms", "--festivals", "--holidays",
                                         "--lunar-birthday", "08-15:妈妈生日", "--name", "家")[1])
            self.assertEqual(ics.on("春节（休）"), [datetime.date(2025, 1, 28), datetime.date(2026, 2, 15)])
            self.assertEqual(len(ics.on("妈妈生日")), 10)
            self.assertEqual(str(ics.cal["X-WR-CALNAME"]), "家")
            # A range without any event has no calendar: 404 and the reason. The 元旦 that begins in
            # December of the year before is in a subscription from 2024, as in tempo's file.
            import urllib.error
            with self.assertRaises(urllib.error.HTTPError) as refused:
                urllib.request.urlopen("http://127.0.0.1:%d/calendar.ics?from=2030&years=3&holidays" % port, timeout=30)
            self.assertEqual(refused.exception.code, 404)
            self.assertIn("would hold no event", refused.exception.read().decode("utf-8"))
            refused.exception.close()
            with urllib.request.urlopen("http://127.0.0.1:%d/calendar.ics?from=2024&holidays" % port, timeout=30) as answer:
                self.assertEqual(answer.read(), tempo("--from", "2024", "--holidays")[1])
            self.assertEqual(Ics(self, "--from", "2024", "--holidays").on("元旦（休）"), [datetime.date(2023, 12, 30)])
        finally:
            server.terminate()
            server.wait(timeout=30)


if __name__ == "__main__":
    unittest.main()
