# SPDX-License-Identifier: GPL-3.0-or-later
"""Without a notification area the clock is still reached, from a terminal
or a script: switched off and on (the tray that comes later agrees),
alarms added, listed and cleared, refusals and usage errors told by their
exit status, and the clock shut down. An added alarm fires at its minute.
Another user's commands are not heard. With no clock running, the file
itself is listed and changed."""

import datetime
import os
import socket
import sys

from harness import Desktop, TITLE_BOX, TITLE_EDITOR, expect, fail, log, poll, run

LATER = b'#2030-03-09 07:30:00#,"Water the ferns"\r\n'
MINUTE = datetime.datetime(2030, 3, 8, 21, 5)


def expect_command(desktop, binary, args, status, stdout=None, said=None, **options):
    got, out, err = desktop.command(binary, *args, **options)
    expect(f"the exit status of {' '.join(args)}", got, status)
    if stdout is not None:
        expect(f"what {' '.join(args)} printed", out, stdout)
    if said is not None and said not in err:
        fail(f"{' '.join(args)} said {err!r}, not {said!r}")
    return out


def clock_socket(pid):
    """The abstract name the clock listens on, from the kernel's table of sockets."""
    inodes = set()
    for fd in os.listdir(f"/proc/{pid}/fd"):
        target = os.readlink(f"/proc/{pid}/fd/{fd}")
        if target.startswith("socket:["):
            inodes.add(target[8:-1])
    with open("/proc/net/unix") as f:
        for line in f.readlines()[1:]:
            fields = line.split()
            if len(fields) >= 8 and fields[6] in inodes and fields[7].startswith("@tickwell-"):
                return fields[7][1:]
    fail("the clock listens on no socket")


def scenario(binary, screenshots):
    with Desktop("command-line", window_manager=True, tray=False, screenshots=screenshots) as desktop:
        desktop.write_alarms(LATER)
        clock = desktop.clock(binary, fake_time="2030-03-08 21:04:20", preload=True)
        # Without a notification area, the editor is the clock's only window.
        desktop.wait_visible(TITLE_EDITOR, timeout=20)

        expect_command(desktop, binary, ["--deactivate"], 0)
        # A notification area that comes now shows the switched-off clock; --activate switches it on.
        desktop.start_tray()
        icon = desktop.wait_icon()
        pictures = os.path.join(desktop.root, "icon-{}.png")
        inactive = poll("a picture of the icon", lambda: desktop.grab(icon, pictures.format("inactive")), timeout=5)
        expect_command(desktop, binary, ["--activate"], 0)
        poll("the icon to show the clock switched on",
             lambda: desktop.differing_pixels(inactive, desktop.grab(icon, pictures.format("active"))) > 0, timeout=5)

        # Set, listed, refused, cleared.
        expect_command(desktop, binary, ["--add", "2030-03-08 21:05", "Feed the cat\nthen the fish"], 0)
        expect_command(desktop, binary, ["--add", "2030-03-09 08:00", "Back\\slash"], 0)
        expect_command(desktop, binary, ["--list"], 0,
                       "2030-03-09 07:30\tWater the ferns\n"
                       "2030-03-08 21:05\tFeed the cat\\nthen the fish\n"
                       "2030-03-09 08:00\tBack\\\\slash\n")
        expect_command(desktop, binary, ["--add", "2030-03-08 21:05", "Again"], 1,
                       said="Alarm already exists for that Time/Date.")
        expect_command(desktop, binary, ["--add", "2030-03-08 20:00", "Gone"], 1, said="is in the past!")
        expect_command(desktop, binary, ["--add", "2030-03-09 09:00", "x" * 129], 1, said="too long")
        expect_command(desktop, binary, ["--clear", "2030-03-09 08:00", "Not this one"], 1, said="No alarm")
        expect_command(desktop, binary, ["--clear", "2030-03-09 08:00"], 0)
        expect_command(desktop, binary, ["--clear", "2030-03-09 08:00"], 1, said="No alarm")
        expect_command(desktop, binary, ["--add", "tomorrow", "x"], 2, said="WHEN")
        expect_command(desktop, binary, ["--list", "--quit"], 2, said="one command at a time")
        expect_command(desktop, binary, ["--frobnicate"], 2)
        expect("Alarm.dat after the commands", desktop.read_alarms(),
               LATER + b'#2030-03-08 21:05:00#,"Feed the cat\r\nthen the fish"\r\n')

        # Another user reaches the clock's socket, but is not heard.
        name = clock_socket(clock.pid)
        runner, _ = desktop.another_user()
        sender = ("import socket, sys\ns = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)\n"
                  "s.connect('\\0' + sys.argv[1])\ntry:\n    s.sendall(b'quit\\n')\n    print(s.recv(100))\n"
                  "except OSError as error:\n    print(error)\n")
        desktop.x([*runner, "/usr/bin/python3", "-c", sender, name])
        expect_command(desktop, binary, ["--quit"], 1, runner=runner, said="another user")
        if clock.process.poll() is not None:
            fail("another user's command shut the clock down")

        # The added alarm fires at its minute.
        box = desktop.wait_visible(TITLE_BOX, timeout=(clock.moment_of(MINUTE) - clock.started) + 20)
        desktop.close_box(box)
        poll("the alarm to leave the file", lambda: desktop.read_alarms() == LATER, timeout=5)
        expect_command(desktop, binary, ["--list"], 0, "2030-03-09 07:30\tWater the ferns\n")

        expect_command(desktop, binary, ["--quit"], 0)
        expect("the clock's exit status after --quit", clock.wait_exit(timeout=10), 0)

        # No clock: the file itself.
        expect_command(desktop, binary, ["--activate"], 1, said="no clock is running")
        expect_command(desktop, binary, ["--add", "2031-01-01 09:00", ""], 0, said="no clock is running")
        expect_command(desktop, binary, ["--list"], 0,
                       "2030-03-09 07:30\tWater the ferns\n"
                       "2031-01-01 09:00\tYou were supposed to remember something!\n")
        expect_command(desktop, binary, ["--clear", "2031-01-01 09:00"], 0)
        expect("Alarm.dat after the commands on the file", desktop.read_alarms(), LATER)


if __name__ == "__main__":
    run(scenario, *sys.argv[1:])
