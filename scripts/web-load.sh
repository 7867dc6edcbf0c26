#!/usr/bin/env bash
# Measures tempoline-web on 127.0.0.1 under load and under hostile clients, in about two minutes:
#   1. ab (apache2-utils) at 8, 64 and 256 clients, 100k requests each for 256, a fresh connection per
#      request and kept alive: requests per second, median, p99 and longest answer, failures;
#   2. 500 idle sockets and 8 clients that send a header line every 2 s, while another client asks
#      every 0.5 s: its slowest answer, and when the slow ones are cut off;
#   3. a request line of 200 MB without a line end: the answer, how much was taken, the memory;
#   4. a forecast source that drips a byte every 3 s (an Open-Meteo stand-in): 12 weather pages at
#      once and the download page meanwhile, then the same 12 again (failures remembered);
# and the resident memory (VmRSS, and the peak VmHWM) after each. Run from the source tree after
# the native build:  scripts/web-load.sh [BUILD_DIR]   (default build)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
program=$build/tempoline-web
[ -x "$program" ] || { echo "no $program: build it first (cmake --build build --target tempoline-web)" >&2; exit 2; }
command -v ab >/dev/null || { echo "ab is missing (apt-get install apache2-utils)" >&2; exit 2; }
work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

free_port() { python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'; }
memory() { awk '/^VmRSS|^VmHWM/ {printf "%s %d MB  ", $1, $2/1024}' "/proc/$1/status"; echo; }
wait_port() {
  for _ in $(seq 50); do
    python3 -c "import socket,sys; socket.create_connection(('127.0.0.1',$1),1)" 2>/dev/null && return 0
    sleep 0.1
  done
  echo "nothing listens on $1" >&2
  exit 1
}

port=$(free_port)
"$program" --address 127.0.0.1 --port "$port" --source "file:$root/web/demo-forecast.json" 2>"$work/web.log" &
web=$!
pids+=("$web")
wait_port "$port"
echo "tempoline-web (pid $web) on 127.0.0.1:$port, demonstration forecast; $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)"
echo "memory at start: $(memory "$web")"

echo
echo "== 1. ab: a weather page (keep-alive marked k)"
printf '%-10s %9s %8s %8s %8s %8s %8s\n' clients requests 'req/s' 'p50 ms' 'p99 ms' 'max ms' failed
run_ab() {  # clients requests [-k]
  local out
  out=$(timeout 120 ab -q -r -s 10 -n "$2" -c "$1" ${3:-} "http://127.0.0.1:$port/weather/101010100.shtml" 2>&1) || true
  printf '%-10s %9s %8s %8s %8s %8s %8s\n' "$1${3:+ k}" "$2" \
    "$(awk '/^Requests per second/ {print int($4)}' <<<"$out")" \
    "$(awk '$1=="50%" {print $2}' <<<"$out")" "$(awk '$1=="99%" {print $2}' <<<"$out")" \
    "$(awk '$1=="100%" {print $2}' <<<"$out")" "$(awk '/^Failed requests/ {print $3}' <<<"$out")"
}
run_ab 8 20000
run_ab 64 50000
run_ab 256 100000
run_ab 256 100000 -k
echo "memory after 270k requests: $(memory "$web")"

echo
echo "== 2. 500 idle sockets and 8 slow-header clients; another client asks every 0.5 s for 14 s"
timeout 60 python3 - "$port" <<'EOF'
import resource, socket, sys, threading, time
port = int(sys.argv[1])
resource.setrlimit(resource.RLIMIT_NOFILE, (4096, resource.getrlimit(resource.RLIMIT_NOFILE)[1]))
idle = [socket.create_connection(("127.0.0.1", port)) for _ in range(500)]
slow = []
for _ in range(8):
    s = socket.create_connection(("127.0.0.1", port))
    s.sendall(b"GET /download/tempoline.html HTTP/1.1\r\nHost: h\r\n")
    slow.append(s)
start = time.time()
cut = {}
def drip():
    while time.time() - start < 14:
        for i, s in enumerate(slow):
            if i in cut: continue
            try:
                s.sendall(b"X-Slow: 1\r\n")
                s.setblocking(False)
                try:
                    if s.recv(4096) is not None: cut[i] = time.time() - start
                except BlockingIOError: pass
                s.setblocking(True)
            except OSError:
                cut.setdefault(i, time.time() - start)
        time.sleep(2)
threading.Thread(target=drip, daemon=True).start()
worst, answered, failed = 0.0, 0, 0
while time.time() - start < 14:
    t = time.time()
    try:
        c = socket.create_connection(("127.0.0.1", port), timeout=5)
        c.sendall(b"GET /weather/101010100.shtml HTTP/1.0\r\n\r\n")
        data = b""
        while True:
            piece = c.recv(65536)
            if not piece: break
            data += piece
        c.close()
        ok = data.startswith(b"HTTP/1.1 200")
    except OSError:
        ok = False
    worst = max(worst, time.time() - t)
    answered += ok
    failed += not ok
    time.sleep(0.5)
idle_open = 0
for s in idle:
    s.setblocking(False)
    try:
        idle_open += s.recv(1) is None
    except BlockingIOError:
        idle_open += 1
    except OSError:
        pass
print(f"another client: {answered} answered, {failed} failed, slowest {worst*1000:.0f} ms")
print("slow-header clients cut off after (s):", " ".join(f"{cut[i]:.1f}" for i in sorted(cut)) or "none")
print(f"idle sockets still open after 14 s: {idle_open} of 500 (idle connections are closed after 10 s)")
EOF
echo "memory after: $(memory "$web")"

echo
echo "== 3. a request line of 200 MB without a line end"
timeout 60 python3 - "$port" <<'EOF'
import socket, sys, time
port = int(sys.argv[1])
s = socket.create_connection(("127.0.0.1", port))
s.settimeout(5)
chunk = b"a" * (1 << 20)
sent, answer, start = 0, b"", time.time()
try:
    s.sendall(b"GET /")
    while sent < 200 << 20:
        s.sendall(chunk)
        sent += len(chunk)
        s.setblocking(False)
        try:
            answer += s.recv(65536)
        except BlockingIOError:
            pass
        s.settimeout(5)
except OSError as e:
    reason = type(e).__name__
else:
    reason = "all sent"
try:
    answer += s.recv(65536)
except OSError:
    pass
first_line = answer.split(b"\r\n")[0].decode(errors="replace") or "none"
print(f"sent {sent >> 20} MB before the connection ended ({reason}) in {time.time() - start:.2f} s; answer: {first_line}")
EOF
echo "memory after: $(memory "$web")"

echo
echo "== 4. a forecast source that drips a byte every 3 s"
drip_port=$(free_port)
timeout 90 python3 - "$drip_port" >"$work/drip.log" 2>&1 <<'EOF' &
import socket, sys, threading, time
listener = socket.socket()
listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
listener.bind(("127.0.0.1", int(sys.argv[1])))
listener.listen(128)
count = 0
def drip(c):
    try:
        c.sendall(b"HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n{")
        while True:
            time.sleep(3)
            c.sendall(b" ")
    except OSError:
        pass
while True:
    c, _ = listener.accept()
    count += 1
    print("connections", count, flush=True)
    threading.Thread(target=drip, args=(c,), daemon=True).start()
EOF
pids+=("$!")
api_port=$(free_port)
"$program" --address 127.0.0.1 --port "$api_port" --source "api:127.0.0.1:$drip_port" 2>"$work/api.log" &
api=$!
pids+=("$api")
wait_port "$api_port"
timeout 60 python3 - "$api_port" <<'EOF'
import socket, sys, threading, time
port = int(sys.argv[1])
def ask(path):
    t = time.time()
    try:
        c = socket.create_connection(("127.0.0.1", port), timeout=30)
        c.settimeout(30)
        c.sendall(b"GET " + path.encode() + b" HTTP/1.0\r\n\r\n")
        data = b""
        while True:
            piece = c.recv(65536)
            if not piece: break
            data += piece
        status = data[9:12].decode() or "none"
    except OSError:
        status = "failed"
    return status, time.time() - t
codes = [101010100, 101020100, 101030100, 101040100, 101050101, 101060101,
         101070101, 101080101, 101090101, 101100101, 101110101, 101120101]
for round in (1, 2):
    results = {}
    threads = [threading.Thread(target=lambda c=c: results.__setitem__(c, ask(f"/weather/{c}.shtml"))) for c in codes]
    for t in threads: t.start()
    time.sleep(0.5)
    downloads = [ask("/download/tempoline.html") for _ in range(5)]
    for t in threads: t.join()
    statuses = sorted({s for s, _ in results.values()})
    print(f"round {round}: 12 weather pages answered {'/'.join(statuses)}, slowest {max(d for _, d in results.values()):.1f} s;"
          f" download page meanwhile {'/'.join(sorted({s for s, _ in downloads}))}, slowest {max(d for _, d in downloads)*1000:.0f} ms")
EOF
echo "questions the dripping source was asked: $(tail -n1 "$work/drip.log" | awk '{print $2}')"
echo "memory of that instance after: $(memory "$api")"
echo "memory of the first instance at the end: $(memory "$web")"
echo
echo "log lines of the first instance: $(wc -l <"$work/web.log"); timed out: $(grep -c 'timed out' "$work/web.log" || true)"
grep -m3 'timed out\|414' "$work/web.log" || true
