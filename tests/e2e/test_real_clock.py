# SPDX-License-Identifier: GPL-3.0-or-later
"""On the real clock, with nothing faked: the clock hidden in the notification
area, sleeping from minute to minute, announces alarms at three coming
minutes, each within a second of its minute. Faked time runs every clock the
program reads from one source and would hide a wake that reads one clock and
a tick that reads another; this scenario would not."""

import datetime
import sys
import time

from harness import Desktop, TITLE_BOX, expect, fail, figure, log, poll, run

# Time the clock needs to start and go to sleep in the tray before the first alarm.
LEAD = datetime.timedelta(seconds=12)
ALARMS = 3
# Generous: a busy machine adds milliseconds, a missed wake a whole minute.
WITHIN = 1.0


def record(minute, text):
    return f'#{minute:%Y-%m-%d %H:%M:%S}#,"{text}"\r\n'.encode()


def scenario(binary, screenshots):
    with Desktop("real-clock", window_manager=True, accessibility=False, screenshots=screenshots) as desktop:
        # The harness runs the clock on UTC.
        now = datetime.datetime.now(datetime.timezone.utc).replace(tzinfo=None)
        first = (now + LEAD).replace(second=0, microsecond=0) + datetime.timedelta(minutes=1)
        minutes = [first + datetime.timedelta(minutes=n) for n in range(ALARMS)]
        texts = [f"Real minute {n + 1}" for n in range(ALARMS)]
        desktop.write_alarms(b"".join(record(m, t) for m, t in zip(minutes, texts)))
        clock = desktop.clock(binary)
        desktop.wait_icon()
        log(f"alarms at {', '.join(f'{m:%H:%M}' for m in minutes)} UTC; started at {now:%H:%M:%S}")

        late = []
        for n, minute in enumerate(minutes):
            # The wall clock and the monotonic clock the test waits on may be slewed against each other by
            # milliseconds: the minute's start on the monotonic clock is read just before it.
            left = (minute - datetime.datetime.now(datetime.timezone.utc).replace(tzinfo=None)).total_seconds()
            if left < 0.5:
                fail(f"the test was too slow: the alarm of {minute:%H:%M} is due already")
            time.sleep(left - 0.5)
            begins = time.monotonic() + (minute - datetime.datetime.now(datetime.timezone.utc).replace(
                tzinfo=None)).total_seconds()
            if desktop.visible(TITLE_BOX):
                fail(f"a reminder came up before {minute:%H:%M}")
            # A wake that read the wrong clock would come a minute late: no use waiting for it.
            box = poll(f"the reminder of {minute:%H:%M} to come up in its minute", lambda: desktop.visible(TITLE_BOX),
                       timeout=10, interval=0.01)[0]
            delay = time.monotonic() - begins
            late.append(delay)
            figure(f"real clock, alarm {n + 1}: minute to reminder box seen", delay, "s")
            desktop.close_box(box)
            remaining = b"".join(record(m, t) for m, t in zip(minutes[n + 1:], texts[n + 1:]))
            poll(f"the alarm of {minute:%H:%M} to leave Alarm.dat", lambda: desktop.read_alarms() == remaining,
                 timeout=10)
        if not clock.running():
            fail("the clock ended")
        slow = [f"{minutes[n]:%H:%M} after {d:.2f} s" for n, d in enumerate(late) if d > WITHIN]
        if slow:
            fail(f"reminders came later than {WITHIN:g} s after their minute: {', '.join(slow)}")
        expect("Alarm.dat once every reminder is closed", desktop.read_alarms(), b"")


if __name__ == "__main__":
    run(scenario, *sys.argv[1:])
