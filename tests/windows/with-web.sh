#!/usr/bin/env bash
# Runs a command of the Windows tests beside tempoline-web on a port the kernel chose free, so that
# another server on the machine (or another run of these tests) is never the one the tests talk to.
#   with-web.sh WEB_PROGRAM LOG [tempoline-web options] -- COMMAND...
# The command finds the service in TEMPO_WEB_HOST ("127.0.0.1:PORT"). The service is waited for
# at most 10 s; one that does not start fails the run at once, with its log. It is ended with the
# command (and killed if it has not ended 5 s later), so it never outlives the run.
set -u
web_program=$1
log=$2
shift 2
options=()
while [ $# -gt 0 ] && [ "$1" != "--" ]; do
  options+=("$1")
  shift
done
if [ $# -eq 0 ]; then
  echo "with-web.sh: no command after --" >&2
  exit 2
fi
shift
# Its standard output is not the run's: a service left behind would hold the pipe the test
# runner reads, and the runner would wait for it.
"$web_program" --address 127.0.0.1 --port 0 "${options[@]}" >/dev/null 2>"$log" &
web=$!
stop_web() {
  kill "$web" 2>/dev/null
  for _ in $(seq 50); do
    kill -0 "$web" 2>/dev/null || return 0
    sleep 0.1
  done
  kill -9 "$web" 2>/dev/null
}
trap stop_web EXIT
port=""
for _ in $(seq 100); do
  port=$(sed -n 's/.*listening on 127\.0\.0\.1:\([0-9][0-9]*\),.*/\1/p' "$log" | head -n 1)
  [ -n "$port" ] && break
  kill -0 "$web" 2>/dev/null || break
  sleep 0.1
done
if [ -z "$port" ]; then
  echo "with-web.sh: tempoline-web did not start:" >&2
  cat "$log" >&2
  exit 1
fi
export TEMPO_WEB_HOST=127.0.0.1:$port
"$@"
