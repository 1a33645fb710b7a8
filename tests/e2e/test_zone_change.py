# SPDX-License-Identifier: GPL-3.0-or-later
"""The clock follows the system's time zone while it runs, with TZ unset as
on most desktops: a zone file rewritten in place with its times kept (the
same inode and the same modification time, all the C library looks at)
moves the alarms' minutes with it. The clock runs in a mount namespace of
its own, with the test's zone file bound over /etc/localtime."""

import datetime
import os
import shutil
import sys

from harness import Desktop, TITLE_BOX, expect, fail, log, poll, run

# 21:00 local: an hour away in UTC, seconds away in Paris (UTC+1 in March 2030).
DUE = b'#2030-03-08 21:00:00#,"Local time, wherever that is"\r\n'
LATER = b'#2030-03-09 07:30:00#,"Water the ferns"\r\n'
# The program's clock, in UTC.
START = datetime.datetime(2030, 3, 8, 19, 59, 40)


def scenario(binary, screenshots):
    if shutil.which("unshare") is None:
        fail("unshare is missing (util-linux)")
    with Desktop("zone-change", window_manager=True, accessibility=False, screenshots=screenshots) as desktop:
        zone = os.path.join(desktop.root, "localtime")
        paris = os.path.join(desktop.root, "paris")
        shutil.copyfile("/usr/share/zoneinfo/UTC", zone)
        shutil.copyfile("/usr/share/zoneinfo/Europe/Paris", paris)
        kept = os.stat(zone)
        wrapper = os.path.join(desktop.root, "own-zone")
        with open(wrapper, "w") as f:
            f.write('#!/bin/sh\nmount --bind "$1" /etc/localtime || exit 97\nshift\nexec env -u TZ "$@"\n')
        os.chmod(wrapper, 0o755)

        desktop.write_alarms(DUE + LATER)
        clock = desktop.clock(binary, fake_time=START.strftime("%Y-%m-%d %H:%M:%S"), preload=True,
                              runner=["unshare", "-m", "--propagation", "private", wrapper, zone])
        desktop.wait_icon()
        clock.still_before(START + datetime.timedelta(seconds=15), "starting the clock")
        if desktop.visible(TITLE_BOX):
            fail("the reminder came an hour early, in UTC")

        # Rewritten in place, then its times set back: within the second it was read in, as far as the
        # C library can tell.
        shutil.copyfile(paris, zone)
        os.utime(zone, ns=(kept.st_atime_ns, kept.st_mtime_ns))
        if os.stat(zone).st_ino != kept.st_ino:
            fail("the zone file was replaced, not rewritten in place")
        log(f"zone rewritten at {clock.fake_now():%H:%M:%S} UTC on the program's clock")

        due = datetime.datetime(2030, 3, 8, 20, 0)  # 21:00 in Paris
        box = desktop.wait_visible(TITLE_BOX, timeout=(clock.moment_of(due) - clock.started) + 20)
        if clock.fake_now() < due:
            fail(f"the reminder came at {clock.fake_now():%H:%M:%S} UTC, before its minute in Paris")
        desktop.close_box(box)
        poll("the alarm to leave the file", lambda: desktop.read_alarms() == LATER, timeout=5)
        expect("Alarm.dat", desktop.read_alarms(), LATER)


if __name__ == "__main__":
    run(scenario, *sys.argv[1:])
