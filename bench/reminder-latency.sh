#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# How soon after its minute a reminder is on screen: starts the clock under
# faketime a few seconds before an alarm, on a private X server with a
# window manager, and prints, on the monotonic clock (the wall clock may be
# slewed against it by milliseconds a second),
#   - when the tick that finds the alarm reads the clock,
#   - when the window manager takes on the reminder's window (the X server's
#     own time of the change to its client list), and
#   - with a notification service, when its Notify call arrives,
# all in milliseconds after the minute. Figures, not pass or fail.
# Usage: bench/reminder-latency.sh [program] [runs] [service]
# service: "none" (no session bus, the default), "answering" (a
# notification service that plays sounds, on a private session bus) or
# "silent" (one that takes the calls and never answers them).
# Needs xvfb, openbox, faketime, xdotool, x11-utils, gcc, python3, and for
# a service dbus and python3-dbus.
set -eu
program=$(realpath "${1:-build/release/src/tickwell}")
runs=${2:-5}
service=${3:-none}
server=$(dirname "$(realpath "$0")")/../tests/e2e/notification_server.py
work=$(mktemp -d)
pids=()
cleanup()
{
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    [ -n "${DISPLAY:-}" ] && xdotool keyup Return 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# Notes when the tick that finds the alarm reads the (faked) wall clock.
gcc -O2 -shared -fPIC "$(dirname "$(realpath "$0")")/process/firstread.c" -o "$work/firstread.so" -ldl -lpthread
libfaketime=$(find /usr/lib -name libfaketime.so.1 -path '*faketime*' | head -1)

exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset 2>/dev/null &
pids+=($!)
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=:$(cat "$work/display") DBUS_SESSION_BUS_ADDRESS=disabled: XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
if [ "$service" != none ]; then
    exec 4>"$work/bus"
    dbus-daemon --session --nofork --nopidfile --address="unix:path=$XDG_RUNTIME_DIR/bus" --print-address=4 \
        2>/dev/null &
    pids+=($!)
    for _ in $(seq 50); do [ -s "$work/bus" ] && break; sleep 0.1; done
    DBUS_SESSION_BUS_ADDRESS=$(head -1 "$work/bus")
    flags=()
    [ "$service" = silent ] && flags+=(--silent)
    /usr/bin/python3 "$server" "$work/notifications.log" --capabilities body,actions,sound "${flags[@]}" \
        >"$work/server-ready" &
    pids+=($!)
    for _ in $(seq 50); do [ -s "$work/server-ready" ] && break; sleep 0.1; done
fi
openbox >/dev/null 2>&1 &
pids+=($!)
sleep 1

# Notes each change of the window manager's client list, at the moment the X
# server made it (not when a tool got round to reporting it).
watch=$(dirname "$(realpath "$0")")/process/xwatch.py

minute=$(date -d '2030-03-08 21:05:00' +%s)
for run in $(seq "$runs"); do
    dir="$work/run$run"
    mkdir "$dir"
    printf '#2030-03-08 21:05:00#,"Test"\r\n' > "$dir/Alarm.dat"
    python3 "$watch" client-list "$dir/clients.log" &
    spy=$!
    for _ in $(seq 50); do grep -q ready "$dir/clients.log" 2>/dev/null && break; sleep 0.1; done
    (cd "$dir" && FIRSTREAD_MOMENTS=$minute FIRSTREAD_LOG="$dir/firstread.log" \
        LD_PRELOAD="$work/firstread.so $libfaketime" FAKETIME='@2030-03-08 21:04:55' \
        exec "$program" >/dev/null 2>&1) &
    clock=$!
    pids+=($spy $clock)
    for _ in $(seq 150); do [ -s "$dir/firstread.log" ] && break; sleep 0.1; done
    sleep 1
    box=$(xdotool search --onlyvisible --name '^Tickwell Alarm Clock$' | head -1)
    kept=$(grep -c '21:05' "$dir/Alarm.dat" || true)
    for _ in 1 2; do
        timeout 5 xdotool windowfocus --sync "$box" || true
        timeout 5 xdotool key Return || true
        sleep 0.3
        xdotool search --onlyvisible --name '^Tickwell Alarm Clock$' >/dev/null || break
    done
    left=$(grep -c '21:05' "$dir/Alarm.dat" || true)
    kill -TERM "$clock"; wait "$clock" || true
    kill "$spy"; wait "$spy" 2>/dev/null || true
    python3 - "$minute" "$dir" "$kept" "$left" "$work/notifications.log" <<'P'
import json, os, sys
minute, folder, kept, left, notifications = int(sys.argv[1]), sys.argv[2], sys.argv[3], sys.argv[4], sys.argv[5]
_, faked, real = map(float, open(folder + '/firstread.log').readline().split())
# The alarm's minute on the monotonic clock: a fraction of a second before
# the tick, over which no slewing of the wall clock counts.
offset = faked - real
notified = ""
if os.path.exists(notifications):
    calls = [json.loads(line) for line in open(notifications) if '"Notify"' in line]
    calls = [c for c in calls if c["monotonic"] + offset > minute]
    notified = ", notification %s" % ("%.1f ms" % ((calls[0]["monotonic"] + offset - minute) * 1e3) if calls else "never")
managed, previous = None, None
for line in open(folder + '/clients.log'):
    if line.startswith('ready'):
        continue
    stamp, *rest = line.split()
    windows = set(rest)
    if previous is not None and windows - previous and float(stamp) + offset > minute:
        managed = float(stamp) + offset
        break
    previous = windows
shown = "%.1f ms" % ((managed - minute) * 1e3) if managed else "never"
print("tick %.1f ms, box taken on by the window manager %s%s after the minute; "
      "record in the file while open: %s, after closing: %s" % ((faked - minute) * 1e3, shown, notified, kept, left))
P
done
