#!/usr/bin/env python3
"""tempoline-web as a process: what it does with the files it is given at start, a log that is read
slowly, never or no longer, and what a crowd of clients that never read costs it. Every wait has a
deadline of seconds."""
import os
import resource
import select
import signal
import socket
import subprocess
import sys
import tempfile
import time
import unittest

WEB = sys.argv.pop(1) if len(sys.argv) > 1 else "build/tempoline-web"
ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
DEMO = "file:" + os.path.join(ROOT, "web", "demo-forecast.json")


def rss_kib(pid):
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


class Service:
    """tempoline-web on 127.0.0.1 and a free port; its log lines, read on request."""

    def __init__(self, *options):
        self.process = subprocess.Popen([WEB, "--address", "127.0.0.1", "--port", "0", "--source", DEMO, *options],
                                        stderr=subprocess.PIPE)
        self.log = b""
        self.port = None
        deadline = time.monotonic() + 10
        while self.port is None:
            line = self.read_log(deadline)
            assert line is not None, "tempoline-web did not start within 10 s: %r" % self.log
            if b"listening on 127.0.0.1:" in line:
                self.port = int(line.split(b"listening on 127.0.0.1:")[1].split(b",")[0])

    def read_log(self, deadline):
        """The next log line, or None at the deadline or the end."""
        while b"\n" not in self.log:
            left = deadline - time.monotonic()
            if left <= 0 or not select.select([self.process.stderr], [], [], left)[0]:
                return None
            piece = os.read(self.process.stderr.fileno(), 65536)
            if not piece:
                return None
            self.log += piece
        line, self.log = self.log.split(b"\n", 1)
        return line

    def close(self):
        self.process.send_signal(signal.SIGTERM)
        try:
            self.process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait(timeout=10)
            raise AssertionError("tempoline-web did not end within 10 s of SIGTERM")
        finally:
            self.process.stderr.close()

    def get(self, target, deadline_s=10):
        """The whole answer to one HTTP/1.0 GET, read until the service closes."""
        with socket.create_connection(("127.0.0.1", self.port), timeout=deadline_s) as s:
            s.sendall(b"GET " + target.encode() + b" HTTP/1.0\r\n\r\n")
            answer = b""
            end = time.monotonic() + deadline_s
            while time.monotonic() < end:
                piece = s.recv(65536)
                if not piece:
                    break
                answer += piece
            return answer


class FilesAtStart(unittest.TestCase):
    def test_a_pipe_given_as_the_holiday_table_is_refused_at_once(self):
        with tempfile.TemporaryDirectory() as d:
            fifo = os.path.join(d, "holidays.tsv")
            os.mkfifo(fifo)
            for option in (["--holidays", fifo], ["--source", "file:" + fifo]):
                p = subprocess.Popen([WEB, "--address", "127.0.0.1", "--port", "0", *option], stderr=subprocess.PIPE)
                try:
                    _, err = p.communicate(timeout=10)
                except subprocess.TimeoutExpired:
                    # The old way: waiting for a writer with the stop signals held, so SIGTERM does
                    # nothing either.
                    p.send_signal(signal.SIGTERM)
                    try:
                        p.wait(timeout=3)
                        ended = "ended by SIGTERM"
                    except subprocess.TimeoutExpired:
                        p.kill()
                        p.wait(timeout=10)
                        ended = "not even ended by SIGTERM"
                    self.fail("tempoline-web %s waited for the pipe's writer (%s)" % (" ".join(option), ended))
                self.assertEqual(p.returncode, 2, option)
                self.assertIn(b"not a regular file", err, option)

    def test_the_table_an_earlier_release_kept_is_served(self):
        # As the previous release kept it (no end line; its row 2020-02-03 班, a Monday): the service
        # starts with it and offers its 2027, that Monday left out, the table whole with its end line.
        earlier = os.path.join(ROOT, "tests", "earlier", "holidays-kept-by-the-previous-release.tsv")
        service = Service("--holidays", earlier)
        try:
            answer = service.get("/holidays/cn.tsv")
        finally:
            service.close()
        head, body = answer.split(b"\r\n\r\n", 1)
        self.assertTrue(head.startswith(b"HTTP/1.1 200 OK"), head)
        self.assertIn("2027-01-01\t休\t元旦\n".encode(), body)
        self.assertNotIn(b"2020-02-03", body)
        self.assertTrue(body.endswith(b"# end of table: 678 rows, years 2007..2027\n"), body[-80:])


class NonReadingClients(unittest.TestCase):
    # A ten-year subscription with everything in it and twenty birthdays: some 220 KB, made once and
    # kept.
    QUERY = ("/calendar.ics?from=2026&years=10&terms&festivals&holidays&months" +
             "".join("&lunar-birthday=%02d-%02d:b%d" % (m % 12 + 1, m, m) for m in range(1, 21)))
    CLIENTS = 1000

    def test_a_thousand_clients_that_never_read_cost_little_and_shut_nobody_out(self):
        soft, hard = resource.getrlimit(resource.RLIMIT_NOFILE)
        if soft < self.CLIENTS + 100:
            resource.setrlimit(resource.RLIMIT_NOFILE, (min(hard, 4096), hard))
        service = Service()
        clients = []
        try:
            page = service.get(self.QUERY)
            self.assertTrue(page.startswith(b"HTTP/1.1 200"), page[:200])
            size = len(page.split(b"\r\n\r\n", 1)[1])
            self.assertGreater(size, 200000)
            before = rss_kib(service.process.pid)
            request = ("GET %s HTTP/1.1\r\nHost: h\r\n\r\n" % self.QUERY).encode()
            for _ in range(self.CLIENTS):
                c = socket.socket()
                c.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 4096)  # fills at once: the rest waits
                c.settimeout(10)
                c.connect(("127.0.0.1", service.port))
                c.sendall(request)
                clients.append(c)
            # Every one answered (the answer started, then stuck): one log line each.
            answered, deadline = 0, time.monotonic() + 8
            while answered < self.CLIENTS:
                line = service.read_log(deadline)
                self.assertIsNotNone(line, "only %d of %d answered within 8 s" % (answered, self.CLIENTS))
                answered += b'/calendar.ics' in line and b'" 200 ' in line
            after = rss_kib(service.process.pid)
            print("\nRSS with %d clients not reading a %d-byte calendar: %.1f MB before, %.1f MB after"
                  % (self.CLIENTS, size, before / 1024, after / 1024), file=sys.stderr)
            self.assertLess(after, 64 * 1024)
            # A fresh client is answered at once meanwhile.
            start = time.monotonic()
            fresh = service.get("/download/tempoline.html", deadline_s=5)
            self.assertTrue(fresh.startswith(b"HTTP/1.1 200"), fresh[:100])
            self.assertLess(time.monotonic() - start, 2)
        finally:
            for c in clients:
                c.close()
            service.close()



class HolidayTableOverWhatClientsTake(unittest.TestCase):
    def test_a_table_that_merged_would_be_over_64_kib_stops_the_start(self):
        # 2027..2200, twelve days off a year: some 52 KB, under 64 KiB on its own, but over it with the
        # built-in 2007..2026 (about 17 KB) merged in.
        rows = []
        for year in range(2027, 2201):
            rows += ["%d-05-%02d\t休\t劳动节" % (year, d) for d in range(1, 6)]
            rows += ["%d-10-%02d\t休\t国庆节" % (year, d) for d in range(1, 8)]
        text = ("\n".join(rows) + "\n").encode()
        self.assertLess(len(text), 65536)
        with tempfile.TemporaryDirectory() as d:
            path = os.path.join(d, "holidays.tsv")
            with open(path, "wb") as f:
                f.write(text)
            p = subprocess.run([WEB, "--address", "127.0.0.1", "--port", "0", "--source", DEMO, "--holidays", path],
                               stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, timeout=10)
            self.assertEqual(p.returncode, 2, p.stderr)
            self.assertEqual(p.stderr.count(b"\n"), 1, p.stderr)
            self.assertIn(b"over the 65536 bytes (64 KiB) the program takes", p.stderr)
            self.assertNotIn(b"listening", p.stderr)
            # The same years but one a year fewer fit, and are served.
            short = [r for r in rows if not r[5:].startswith(("10-06", "10-07", "05-04", "05-05"))]
            with open(path, "wb") as f:
                f.write(("\n".join(short) + "\n").encode())
            service = Service("--holidays", path)
            try:
                page = service.get("/holidays/cn.tsv")
                self.assertTrue(page.startswith(b"HTTP/1.1 200"), page[:100])
                self.assertIn(b"years 2007..2200", page)
            finally:
                service.close()


class LogReaders(unittest.TestCase):
    """The service does not depend on whoever reads its log (its standard error)."""

    PAGE = "/download/tempoline.html"

    def end(self, service, within_s):
        start = time.monotonic()
        service.process.send_signal(signal.SIGTERM)
        try:
            code = service.process.wait(timeout=within_s)
        except subprocess.TimeoutExpired:
            service.process.kill()
            service.process.wait(timeout=10)
            self.fail("tempoline-web did not end within %d s of SIGTERM" % within_s)
        print("\nended %.2f s after SIGTERM" % (time.monotonic() - start), file=sys.stderr)
        self.assertEqual(code, 0)

    def test_a_log_whose_reader_has_gone_ends_nothing(self):
        service = Service()
        try:
            service.process.stderr.close()  # the reader goes: the next log line meets a closed pipe
            for i in range(20):
                page = service.get(self.PAGE, deadline_s=5)
                self.assertTrue(page.startswith(b"HTTP/1.1 200"), (i, page[:100], service.process.poll()))
            self.assertIsNone(service.process.poll())
            self.end(service, 5)
        finally:
            if service.process.poll() is None:
                service.process.kill()
                service.process.wait(timeout=10)

    def test_a_log_nobody_reads_holds_up_no_request_nor_the_end(self):
        service = Service()  # the line with the port read, and no other
        try:
            start = time.monotonic()
            for i in range(2000):
                page = service.get(self.PAGE, deadline_s=5)
                self.assertTrue(page.startswith(b"HTTP/1.1 200"), (i, page[:100], service.process.poll()))
            print("\n2000 requests with the log unread: %.1f s" % (time.monotonic() - start), file=sys.stderr)
            self.end(service, 3)
        finally:
            if service.process.poll() is None:
                service.process.kill()
                service.process.wait(timeout=10)
            service.process.stderr.close()

if __name__ == "__main__":
    unittest.main(verbosity=2)
