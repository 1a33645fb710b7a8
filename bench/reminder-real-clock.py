# SPDX-License-Identifier: GPL-3.0-or-later
"""How soon after its minute a reminder is on screen, on the real clock.

Nothing is faked: two clocks run side by side, each on a private desktop of
its own (Xvfb, openbox, a session bus with a notification service that
answers and plays sounds, as tests/e2e/harness.py makes them), with alarms at
the coming minutes:

  - "hidden": in the notification area, sleeping from minute to minute;
  - "shown": with no notification area, so that its editor is open and
    ticks ten times a second.

  - "floor": no clock, but bench/process/mapfloor.py, which maps a plain
    window at each minute: what the X server and the window manager take
    by themselves, the least any program could reach on this desktop.

The shown clock's zone is half a minute ahead of UTC, so that its minutes,
and its alarms, begin half-way between the hidden one's; the floor's
windows come a quarter of a minute after the hidden clock's boxes: none
waits for another's window. Each box is closed with Return once it is up.

For every alarm it prints, in milliseconds after the minute, on the
monotonic clock (the wall clock's offset to it is read just before each
minute):
  - when the tick that finds the alarm reads the wall clock (bench/process/firstread.c),
  - when the window manager takes on the reminder's window (the X server's
    own time of the change to its client list, bench/process/xwatch.py).
Figures, not pass or fail.

Usage: /usr/bin/python3 bench/reminder-real-clock.py PROGRAM [--alarms N]
  prints one line per alarm, "MODE tick T ms, box B ms after the minute",
  then each mode's p50, p95 and max.
"""

import argparse
import datetime
import os
import statistics
import subprocess
import sys
import tempfile
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "process"))
sys.path.insert(0, os.path.join(os.path.dirname(HERE), "tests", "e2e"))
import harness  # noqa: E402
from xwatch import ClientListWatch  # noqa: E402

# Time for both clocks to start and settle before the first alarm.
LEAD = datetime.timedelta(seconds=15)
# The shown clock's zone: 30 s ahead of UTC.
SHOWN_AHEAD = datetime.timedelta(seconds=30)
SHOWN_ZONE = "<+0000030>-0:00:30"
# The floor's windows, after the hidden clock's boxes.
FLOOR_AFTER = datetime.timedelta(seconds=15)


def utc_now():
    return datetime.datetime.now(datetime.timezone.utc).replace(tzinfo=None)


def epoch(moment):
    return int(moment.replace(tzinfo=datetime.timezone.utc).timestamp())


class Run:
    """One clock on its own desktop, its alarms (as UTC moments) and what the X server saw."""

    def __init__(self, mode, desktop, minutes, ahead, scratch):
        self.mode = mode
        self.desktop = desktop
        self.minutes = minutes  # UTC moments at which the clock's local minutes begin
        self.ahead = ahead
        self.changes = []  # (monotonic, windows) of each change of the client list
        self.lock = threading.Lock()
        self.begins = {}  # minute -> the monotonic time at which it began
        self.firstread = os.path.join(scratch, f"firstread-{mode}.log")

    def report(self, moment, windows):
        with self.lock:
            self.changes.append((moment, set(windows)))

    def managed_after(self, moment):
        """The first moment after `moment` at which the window manager took on a new window."""
        with self.lock:
            changes = list(self.changes)
        previous = set()  # the hidden clock has no window before its first box
        for stamp, windows in changes:
            if windows - previous and stamp > moment:
                return stamp
            previous = windows
        return None

    def ticks(self):
        """minute -> the monotonic time at which the clock first read it."""
        found = {}
        if os.path.exists(self.firstread):
            with open(self.firstread) as f:
                for line in f:
                    moment, _, monotonic = line.split()
                    found[int(moment)] = float(monotonic)
        return found


def settle(desktop):
    """A window the window manager takes on, and lets go of, before any that is measured: the first window of its
    life costs it tens of milliseconds more (its theme, its fonts), which no desktop in use pays at a reminder."""
    desktop._spawn("settling", ["/usr/bin/python3", os.path.join(HERE, "process", "mapfloor.py"), os.devnull,
                                str(int(time.time()) + 2)])


def start(mode, binary, library, minutes, ahead, tray, zone):
    desktop = harness.Desktop(f"bench-{mode}", window_manager=True, accessibility=False, tray=tray,
                              notifications=["body", "actions", "sound"]).__enter__()
    settle(desktop)
    run = Run(mode, desktop, minutes, ahead, os.path.dirname(library))
    local = [m + ahead for m in minutes]
    desktop.write_alarms(b"".join(f'#{m:%Y-%m-%d %H:%M:%S}#,"Real clock {n + 1}"\r\n'.encode()
                                  for n, m in enumerate(local)))
    run.watch = ClientListWatch(desktop.display, run.report)
    run.clock = desktop.clock(binary, extra_env={
        "TZ": zone, "LD_PRELOAD": library, "FIRSTREAD_LOG": run.firstread,
        "FIRSTREAD_MOMENTS": " ".join(str(epoch(m)) for m in minutes)})
    return run


def start_floor(minutes, scratch):
    desktop = harness.Desktop("bench-floor", window_manager=True, accessibility=False, tray=False).__enter__()
    settle(desktop)
    run = Run("floor", desktop, minutes, datetime.timedelta(0), scratch)
    run.watch = ClientListWatch(desktop.display, run.report)
    # Its log takes the place of the clock's first reading: the moment its map request went out.
    desktop._spawn("mapfloor", ["/usr/bin/python3", os.path.join(HERE, "process", "mapfloor.py"), run.firstread]
                   + [str(epoch(m)) for m in minutes])
    return run


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("program")
    parser.add_argument("--alarms", type=int, default=10, help="alarms for each clock, a minute apart")
    args = parser.parse_args()
    binary = os.path.abspath(args.program)

    scratch = tempfile.mkdtemp(prefix="tickwell-real-clock-")
    library = os.path.join(scratch, "firstread.so")
    subprocess.run(["gcc", "-O2", "-shared", "-fPIC", os.path.join(HERE, "process", "firstread.c"), "-o", library,
                    "-ldl", "-lpthread"], check=True)

    first = (utc_now() + LEAD).replace(second=0, microsecond=0) + datetime.timedelta(minutes=1)
    hidden_minutes = [first + datetime.timedelta(minutes=n) for n in range(args.alarms)]
    # Half a minute ahead of UTC, the shown clock's local minutes begin 30 s before UTC's.
    shown_minutes = [m + datetime.timedelta(seconds=30) for m in hidden_minutes]
    runs = []
    try:
        runs.append(start("hidden", binary, library, hidden_minutes, datetime.timedelta(0), True, "UTC"))
        runs.append(start("shown", binary, library, shown_minutes, SHOWN_AHEAD, False, SHOWN_ZONE))
        runs.append(start_floor([m + FLOOR_AFTER for m in hidden_minutes], scratch))
        timeline = sorted((m, run) for run in runs for m in run.minutes)
        for minute, run in timeline:
            left = (minute - utc_now()).total_seconds()
            if left < 0.5:
                print(f"{run.mode}: {minute:%H:%M:%S} came before the benchmark was ready", file=sys.stderr)
                continue
            time.sleep(left - 0.5)
            run.begins[minute] = time.monotonic() + (minute - utc_now()).total_seconds()
            try:
                # Nothing asks the X server anything until the window manager has taken the box on: a search of
                # the window tree at that moment would hold up the very server it measures.
                harness.poll("the reminder", lambda: run.managed_after(run.begins[minute]), timeout=20,
                             interval=0.05)
                if run.mode != "floor":  # whose window leaves by itself
                    box = harness.poll("the reminder", lambda: run.desktop.visible(harness.TITLE_BOX), timeout=20,
                                       interval=0.05)[0]
                    run.desktop.close_box(box)
            except harness.Failure as failure:
                print(f"{run.mode}: {minute:%H:%M:%S}: {failure}", file=sys.stderr)
    finally:
        # Every watch first: a desktop's teardown ends whatever else this process started, the other's X
        # server too.
        for run in runs:
            run.watch.close()
        for run in reversed(runs):
            run.desktop.close()

    for run in runs:
        ticks = run.ticks()
        # The floor's figure of the tick is its map request, and its box a plain window.
        reading, window, windows = ("map", "window", "windows") if run.mode == "floor" else ("tick", "box", "boxes")
        boxes = []
        for minute in run.minutes:
            begins = run.begins.get(minute)
            if begins is None:
                continue
            managed = run.managed_after(begins)
            tick = ticks.get(epoch(minute))
            tick_text = f"{(tick - begins) * 1e3:.1f} ms" if tick else "never"
            box_text = f"{(managed - begins) * 1e3:.1f} ms" if managed else "never"
            print(f"{run.mode} {reading} {tick_text}, {window} {box_text} after the minute")
            if managed:
                boxes.append((managed - begins) * 1e3)
        if boxes:
            ordered = sorted(boxes)
            p95 = ordered[min(len(ordered) - 1, round(0.95 * (len(ordered) - 1)))]
            print(f"{run.mode}: {len(boxes)} {windows}, p50 {statistics.median(boxes):.1f} ms, p95 {p95:.1f} ms, "
                  f"max {max(boxes):.1f} ms")


if __name__ == "__main__":
    main()
