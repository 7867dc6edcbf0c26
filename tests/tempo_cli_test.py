#!/usr/bin/env python3
"""End-to-end tests of the tempo command line: text and JSON output, errors, exit statuses."""
import json
import subprocess
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

    def test_terms_of_far_years(self):
        for year in ("-103", "400", "5000", "9999", "-9998"):
            terms = ok_json("terms", year)
            self.assertIn(len(terms), (23, 24, 25), year)


class SunTimes(unittest.TestCase):
    def test_beijing_midsummer(self):
        t = ok_json("sun-times", "2024-06-21")
        self.assertLessEqual(abs(seconds(t["sunrise"]) - seconds("04:46:11")), 1)
        self.assertLessEqual(abs(seconds(t["sunset"]) - seconds("19:46:23")), 1)
        self.assertEqual(set(t), {"dawn", "sunrise", "transit", "sunset", "dusk", "day_length", "twilight_length"})

    def test_other_places_and_out_of_range(self):
        t = ok_json("sun-times", "2024-06-21", "--lon", "74", "--lat", "40.7", "--zone", "-5")
        self.assertLessEqual(abs(seconds(t["transit"]) - seconds("11:57:00")), 60)
        code, out, _ = run("sun-times", "2024-06-21", "--lon", "180.5", "--json")
        self.assertEqual(code, 0)
        self.assertEqual(set(json.loads(out).values()), {""})
        t = ok_json("sun-times", "2024-12-21", "--lon", "0", "--lat", "90", "--zone", "0")
        self.assertEqual(t["sunrise"], "00:00:00")
        self.assertEqual(t["day_length"], "00:00:00")


class Errors(unittest.TestCase):
    def test_bad_input_is_status_2_with_a_message(self):
        for args in (("jd", "2024-02-30"), ("jd", "not-a-date"), ("jd",), ("date", "99999999"),
                     ("date", "abc"), ("terms", "10000"), ("sun", "--jd", "nan"), ("moon", "--jd", "1e300"), ("nosuch",), ()):
            code, out, err = run(*args)
            self.assertEqual(code, 2, args)
            self.assertEqual(out, "", args)
            self.assertTrue(err.strip(), args)

    def test_help_is_not_an_error(self):
        code, out, _ = run("--help")
        self.assertEqual(code, 0)
        self.assertIn("terms", out)


class Day(unittest.TestCase):
    def test_day_summary(self):
        d = ok_json("day", "2024-02-10")
        self.assertEqual(d["gregorian"], "AD02-10-2024")
        self.assertEqual(d["weekday"], "星期六")
        code, out, _ = run("day")
        self.assertEqual(code, 0)
        self.assertIn("公历", out)


if __name__ == "__main__":
    unittest.main(verbosity=1)
