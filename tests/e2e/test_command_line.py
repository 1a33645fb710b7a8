# SPDX-License-Identifier: GPL-3.0-or-later
"""Without a notification area the clock is still reached, from a terminal
or a script: switched off and on (the tray that comes later agrees), its
state shown, alarms added (the minute said), listed and cleared again as
listed, whatever their reminders hold, refusals and usage errors told by
their exit status. Repeating alarms are added with each rule's words,
listed with them as a third field, skipped once and ended by a clear, by the
clock and on the file. Another user cannot reach the clock. Behind a reminder a
command says what it waits for, Ctrl+C ends it at once, and once the
shutdown has begun commands change nothing. With no clock running, the file
itself is listed and changed; with no Alarm.dat here either, the user's own
folder is, and its clock."""

import os
import signal
import subprocess
import sys

from harness import (Desktop, TITLE_BOX, TITLE_EDITOR, TITLE_PREFERENCES, channel_of, expect, fail, poll, read_file,
                     run)

LATER = b'#2030-03-09 07:30:00#,"Water the ferns"\r\n'
AT_FIVE = b'#2030-03-08 21:05:00#,"Feed the cat\r\nthen the fish"\r\n'
TOMORROW = b'#2030-03-09 21:04:00#,"Tomorrow"\r\n'
# Reminders as a script may give them: --list prints each on one line, and
# --clear takes it back as printed.
AWKWARD = ["C:\\temp\\new", "a tab\there", "two\nlines\\n", "-v", "--help", "-- and breathe"]


def expect_command(desktop, binary, args, status, stdout=None, said=None, **options):
    got, out, err = desktop.command(binary, *args, **options)
    expect(f"the exit status of {' '.join(args)}", got, status)
    if stdout is not None:
        expect(f"what {' '.join(args)} printed", out, stdout)
    if said is not None and said not in err:
        fail(f"{' '.join(args)} said {err!r}, not {said!r}")
    return out


# Each rule as typed after --repeat (with --until or --times), the minute given, and what the clock sets and
# --list says: the first day of the rule on or after the one given (2030-03-09 is a Saturday).
RULES = [
    (["daily"], "2030-03-09 10:01", "2030-03-09 10:01", "daily"),
    (["weekdays"], "2030-03-09 10:02", "2030-03-11 10:02", "weekdays"),
    (["weekends"], "2030-03-11 10:03", "2030-03-16 10:03", "weekends"),
    (["weekly"], "2030-03-09 10:04", "2030-03-09 10:04", "weekly"),
    (["monthly", "--until", "2030-12-31"], "2030-03-31 10:05", "2030-03-31 10:05", "monthly until 2030-12-31"),
    (["yearly"], "2032-02-29 10:06", "2032-02-29 10:06", "yearly"),
    (["Mon, Wed, Fri"], "2030-03-09 10:07", "2030-03-11 10:07", "mon,wed,fri"),
    (["every 3 days"], "2030-03-09 10:08", "2030-03-09 10:08", "every 3 days"),
    (["every 2 weeks on tue", "--times", "10"], "2030-03-09 10:09", "2030-03-12 10:09",
     "every 2 weeks on tue 10 times"),
]


def repeating_alarms(desktop, binary, one_shot, alarm_file, **options):
    """Adds an alarm with each rule, lists them, skips and clears them again: `alarm_file` is as before.
    `one_shot` is the minute of an alarm there that does not repeat."""
    before = read_file(alarm_file)
    for rule, when, first, words in RULES:
        expect_command(desktop, binary, ["--add", when, f"Rule {words}", "--repeat", *rule], 0,
                       f"The alarm is set for {first}, and repeats {words}.\n", **options)
    listed = expect_command(desktop, binary, ["--list"], 0, **options).splitlines()
    expect("the repeating alarms listed", listed[-len(RULES):],
           [f"{first}\tRule {words}\t{words}" for _, _, first, words in RULES])
    # Each line's words, given back to --repeat, say the same rule.
    expect_command(desktop, binary, ["--add", "2030-03-09 10:10", "Again", "--repeat", listed[-1].split("\t")[2]], 0,
                   "The alarm is set for 2030-03-12 10:10, and repeats every 2 weeks on tue 10 times.\n", **options)
    expect_command(desktop, binary, ["--clear", "2030-03-12 10:10", "Again"], 0, **options)
    # A skip moves one series on; the one-shot alarms have nothing to skip.
    expect_command(desktop, binary, ["--skip", "2030-03-11 10:02"], 0,
                   "The alarm comes next at 2030-03-12 10:02.\n", **options)
    expect_command(desktop, binary, ["--skip", "2030-03-12 10:09", "Rule every 2 weeks on tue 10 times"], 0,
                   "The alarm comes next at 2030-03-26 10:09.\n", **options)
    expect_command(desktop, binary, ["--skip", one_shot], 1, said="does not repeat", **options)
    expect_command(desktop, binary, ["--skip", "2030-03-09 07:31"], 1, said="No alarm", **options)
    expect_command(desktop, binary, ["--add", "2030-03-10 10:11", "Once more", "--repeat", "daily", "--times", "1"],
                   0, **options)
    expect_command(desktop, binary, ["--skip", "2030-03-10 10:11"], 0,
                   "That was the alarm's last time: it repeats no more.\n", **options)
    listed = expect_command(desktop, binary, ["--list"], 0, **options).splitlines()
    expect("the series moved on", [line for line in listed if line.startswith("2030-03-12")],
           ["2030-03-12 10:02\tRule weekdays\tweekdays"])
    # A clear of an occurrence ends its series.
    for line in listed:
        when, reminder, words = line.split("\t")
        if words:
            expect_command(desktop, binary, ["--clear", when, reminder], 0, **options)
    expect_command(desktop, binary, ["--add", "7:30", "x", "--repeat", "fortnightly"], 2, said="is no repetition",
                   **options)
    expect_command(desktop, binary, ["--list", "--repeat", "daily"], 2, said="go with --add", **options)
    expect("Alarm.dat once every series has ended", read_file(alarm_file), before)


def status_of(desktop, binary, **options):
    out = expect_command(desktop, binary, ["--status"], 0, **options)
    return dict(line.split(": ", 1) for line in out.splitlines())


def scenario(binary, screenshots):
    with Desktop("command-line", window_manager=True, tray=False, screenshots=screenshots) as desktop:
        desktop.write_alarms(LATER + AT_FIVE)
        clock = desktop.clock(binary, fake_time="2030-03-08 21:04:20", preload=True)
        # Without a notification area, the editor is the clock's only window.
        desktop.wait_visible(TITLE_EDITOR, timeout=20)

        expect_command(desktop, binary, ["--deactivate"], 0)
        expect("--status of a clock switched off", status_of(desktop, binary),
               {"running": "yes", "active": "no", "file": desktop.alarm_file(), "alarms": "2",
                "next": "2030-03-08 21:05\tFeed the cat\\nthen the fish"})
        # A notification area that comes now shows the switched-off clock; --activate switches it on.
        desktop.start_tray()
        icon = desktop.wait_icon()
        pictures = os.path.join(desktop.root, "icon-{}.png")
        inactive = poll("a picture of the icon", lambda: desktop.grab(icon, pictures.format("inactive")), timeout=5)
        expect_command(desktop, binary, ["--activate"], 0)
        poll("the icon to show the clock switched on",
             lambda: desktop.differing_pixels(inactive, desktop.grab(icon, pictures.format("active"))) > 0, timeout=5)
        expect("--status once switched on", status_of(desktop, binary)["active"], "yes")
        # The Preferences window, as the menu's "Preferences..." opens it; Escape closes it unchanged.
        expect_command(desktop, binary, ["--preferences"], 0)
        preferences = desktop.wait_visible(TITLE_PREFERENCES, timeout=10)
        desktop.focus(preferences)
        desktop.key("Escape")
        desktop.wait_unmapped(preferences, "the Preferences window, by Escape")

        # Set, with the minute said: a time whose minute has begun is tomorrow's; an hour of one digit.
        expect_command(desktop, binary, ["--add", "21:04", "Tomorrow"], 0,
                       "The alarm is set for 2030-03-09 21:04.\n")
        expect_command(desktop, binary, ["--add", "2030-03-09 8:00", "Breakfast"], 0,
                       "The alarm is set for 2030-03-09 08:00.\n")
        for minute, reminder in enumerate(AWKWARD, start=1):
            expect_command(desktop, binary, ["--add", f"2030-03-09 08:0{minute}", reminder], 0)
        listed = expect_command(desktop, binary, ["--list"], 0)
        # A third field says how an alarm repeats: empty, for these.
        expect("--list's lines", listed.splitlines(), [
            "2030-03-09 07:30\tWater the ferns\t",
            "2030-03-08 21:05\tFeed the cat\\nthen the fish\t",
            "2030-03-09 21:04\tTomorrow\t",
            "2030-03-09 08:00\tBreakfast\t",
            "2030-03-09 08:01\tC:\\\\temp\\\\new\t",
            "2030-03-09 08:02\ta tab\\there\t",
            "2030-03-09 08:03\ttwo\\nlines\\\\n\t",
            "2030-03-09 08:04\t-v\t",
            "2030-03-09 08:05\t--help\t",
            "2030-03-09 08:06\t-- and breathe\t"])
        # Each cleared as --list printed it.
        for line in listed.splitlines()[4:]:
            when, reminder, _ = line.split("\t")
            expect_command(desktop, binary, ["--clear", when, reminder], 0)
        expect_command(desktop, binary, ["--add", "2030-03-08 21:05", "Again"], 1,
                       said="Alarm already exists for that Time/Date.")
        expect_command(desktop, binary, ["--add", "2030-03-08 20:00", "Gone"], 1, said="is in the past!")
        expect_command(desktop, binary, ["--add", "2030-03-09 09:00", "x" * 129], 1, said="too long")
        expect_command(desktop, binary, ["--clear", "2030-03-09 08:00", "Not this one"], 1, said="No alarm")
        expect_command(desktop, binary, ["--clear", "2030-03-09 8:00"], 0)
        expect_command(desktop, binary, ["--clear", "2030-03-09 08:00"], 1, said="No alarm")
        expect_command(desktop, binary, ["--clear", "08:00", "C:\\temp\\"], 2, said="as --list prints it")
        expect_command(desktop, binary, ["--add", "tomorrow", "x"], 2, said="WHEN")
        expect_command(desktop, binary, ["--list", "--quit"], 2, said="one command at a time")
        expect_command(desktop, binary, ["--frobnicate"], 2)
        if "--" not in expect_command(desktop, binary, ["--help"], 0):
            fail("--help does not say how -- works")
        expect("Alarm.dat after the commands", desktop.read_alarms(), LATER + AT_FIVE + TOMORROW)

        # Another user can neither reach the clock's channel nor have it shut down.
        runner, _ = desktop.another_user()
        probe = ("import socket, sys\ntry:\n    socket.socket(socket.AF_UNIX).connect(sys.argv[1])\n"
                 "    print('reached')\nexcept OSError as error:\n    print(error.strerror)\n")
        expect("another user's program on the clock's channel",
               desktop.x([*runner, "/usr/bin/python3", "-c", probe, channel_of(clock.pid)]).strip(),
               "Permission denied")
        expect_command(desktop, binary, ["--quit"], 1, runner=runner, said="another user")
        if clock.process.poll() is not None:
            fail("another user's command shut the clock down")

        # Behind the reminder: a clear says what it waits for, and Ctrl+C ends it at once.
        box = desktop.wait_visible(TITLE_BOX, timeout=60)
        clearing = desktop.command_started(binary, "--clear", "2030-03-09 07:30")
        desktop.said_until(clearing, "waiting until then")
        clearing.send_signal(signal.SIGINT)
        try:
            clearing.wait(timeout=5)
        except subprocess.TimeoutExpired:
            fail("--clear did not end at once on SIGINT")
        said = clearing.stderr.read().decode()
        expect("--clear's end on SIGINT", clearing.returncode, -signal.SIGINT)
        if "the command has reached the clock" not in said:
            fail(f"--clear ended on SIGINT saying {said!r}")
        expect("--status behind the reminder", status_of(desktop, binary)["alarms"], "3")
        # A shutdown waits for the reminder and says so; from then on nothing is changed.
        quitting = desktop.command_started(binary, "--quit")
        desktop.said_until(quitting, "the clock shuts down once the box on show is closed")
        expect_command(desktop, binary, ["--add", "2030-03-10 09:00", "Too late"], 1,
                       said="The clock is shutting down.")
        desktop.close_box(box)
        expect("the exit status of --quit", quitting.wait(timeout=15), 0)
        expect("the clock's exit status after --quit", clock.wait_exit(timeout=10), 0)
        # The reminder on show counts as read; the clear that waited behind it changed nothing.
        expect("Alarm.dat after the shutdown", desktop.read_alarms(), LATER + TOMORROW)

        # No clock: the file itself.
        expect_command(desktop, binary, ["--activate"], 1, said="no clock is running")
        expect_command(desktop, binary, ["--clear", "2030-03-09 21:04"], 0, said="the file itself is changed")
        expect_command(desktop, binary, ["--add", "2031-01-01 9:00", ""], 0, said="no clock is running")
        expect_command(desktop, binary, ["--list"], 0,
                       "2030-03-09 07:30\tWater the ferns\t\n"
                       "2031-01-01 09:00\tYou were supposed to remember something!\t\n")
        repeating_alarms(desktop, binary, "2030-03-09 07:30", desktop.alarm_file())
        expect("--status with no clock", status_of(desktop, binary),
               {"running": "no", "file": desktop.alarm_file(), "alarms": "2",
                "next": "2030-03-09 07:30\tWater the ferns"})
        expect_command(desktop, binary, ["--clear", "2031-01-01 09:00"], 0)
        expect("Alarm.dat after the commands on the file", desktop.read_alarms(), LATER)

        # Nor an Alarm.dat here: the user's own folder, as the launcher's commands have it, said so.
        elsewhere = os.path.join(desktop.root, "elsewhere")
        os.mkdir(elsewhere)
        own = os.path.join(desktop.home, ".local", "share", "org.example.Tickwell")
        expect_command(desktop, binary, ["--add", "2031-01-02 8:00", "Mine"], 0, cwd=elsewhere,
                       said=f"the command goes to your own alarms, in {own}")
        if os.listdir(elsewhere):
            fail(f"the command left {os.listdir(elsewhere)} where there was no Alarm.dat")
        expect("the own folder's mode", oct(os.stat(own).st_mode & 0o777), "0o700")
        # --preferences from there starts the clock of that folder, showing that window; --edit then hands
        # over to it: one clock.
        started = desktop.command_started(binary, "--preferences", cwd=elsewhere, label="tickwell-own")
        desktop.wait_visible(TITLE_PREFERENCES, timeout=20)
        poll("the clock of the own folder to run",
             lambda: status_of(desktop, binary, cwd=elsewhere, quiet=True)["running"] == "yes", timeout=20)
        expect_command(desktop, binary, ["--edit"], 0, cwd=elsewhere)
        desktop.wait_visible(TITLE_EDITOR, timeout=10)
        expect("the own folder's clock", status_of(desktop, binary, cwd=elsewhere),
               {"running": "yes", "active": "yes", "file": os.path.join(own, "Alarm.dat"), "alarms": "1",
                "next": "2031-01-02 08:00\tMine"})
        # Repeating alarms on a running clock (no reminder of its comes meanwhile).
        repeating_alarms(desktop, binary, "2031-01-02 08:00", os.path.join(own, "Alarm.dat"), cwd=elsewhere)
        expect_command(desktop, binary, ["--quit"], 0, cwd=elsewhere)
        expect("the own folder's clock's exit status", started.wait(timeout=15), 0)


if __name__ == "__main__":
    run(scenario, *sys.argv[1:])
