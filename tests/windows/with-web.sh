#!/bin/sh
# Runs a command of the Windows tests beside tempoline-web on a port the kernel chose free, so that
# another server on the machine (or another run of these tests) is never the one the tests talk to.
#   with-web.sh WEB_PROGRAM LOG [tempoline-web options] -- COMMAND...
# The command finds the service in TEMPO_WEB_HOST ("127.0.0.1:PORT"). The service is waited for
# at most 10 s; one that does not start fails the run at once, with its log.
web_program=$1
log=$2
shift 2
options=""
while [ $# -gt 0 ] && [ "$1" != "--" ]; do
  options="$options '$(printf %s "$1" | sed "s/'/'\\\\''/g")'"
  shift
done
[ "$1" = "--" ] || { echo "with-web.sh: no command after --" >&2; exit 2; }
shift
: >"$log"
eval "\"$web_program\" --address 127.0.0.1 --port 0 $options" 2>"$log" &
web=$!
port=""
tries=0
while [ -z "$port" ] && [ $tries -lt 100 ]; do
  port=$(sed -n 's/.*listening on 127\.0\.0\.1:\([0-9][0-9]*\),.*/\1/p' "$log" | head -n 1)
  if [ -z "$port" ]; then
    kill -0 $web 2>/dev/null || break
    sleep 0.1
    tries=$((tries + 1))
  fi
done
if [ -z "$port" ]; then
  echo "with-web.sh: tempoline-web did not start:" >&2
  cat "$log" >&2
  kill $web 2>/dev/null
  exit 1
fi
TEMPO_WEB_HOST=127.0.0.1:$port
export TEMPO_WEB_HOST
"$@"
status=$?
kill $web 2>/dev/null
wait $web 2>/dev/null
exit $status
