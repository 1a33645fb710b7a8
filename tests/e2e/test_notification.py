# SPDX-License-Identifier: GPL-3.0-or-later
"""An alarm that fires is posted to the desktop's notification service too:
critical, with the reminder and when it was due, and silent: the service,
which plays sounds, is asked not to, for the clock rings itself. Choosing
the notification brings the reminder box back to the keyboard; closing the
box withdraws the notification. Its button "Remind Me in 10 Minutes" closes
the box and sets the same reminder ten minutes on, when it comes again with
the same buttons. A service that takes the calls and never answers costs
the box nothing: it comes at once, rings, and the clock says once that it
goes without notifications. Nor does one that the bus starts on demand and
that exits at once (a notifier installed for another kind of session): the
clock asks it once or twice, not in a loop that starts it anew every few
milliseconds."""

import datetime
import os
import sys
import time

from harness import Desktop, TITLE_BOX, expect, fail, figure, log, poll, run

DUE = b'#2030-03-08 21:05:00#,"Feed the cat\r\nthen the fish & the ferns"\r\n'
LATER = b'#2030-03-09 07:30:00#,"Water the ferns"\r\n'
ENTRY = "9:05 PM  Friday, March 8, 2030"
MINUTE = datetime.datetime(2030, 3, 8, 21, 5)


def wait_box(desktop, clock, what):
    box = desktop.wait_visible(TITLE_BOX, timeout=20)
    figure(f"alarm minute to reminder box mapped, {what}", time.monotonic() - clock.moment_of(MINUTE), "s")
    return box


def focused(desktop):
    return int(desktop.x(["xdotool", "getwindowfocus"]).strip() or 0)


def with_a_service(binary, screenshots):
    with Desktop("notification", window_manager=True, screenshots=screenshots,
                 notifications=["body", "body-markup", "actions", "sound"]) as desktop:
        desktop.write_alarms(DUE + LATER)
        clock = desktop.clock(binary, fake_time="2030-03-08 21:04:54")
        desktop.wait_icon()
        clock.still_before(MINUTE - datetime.timedelta(seconds=1), "starting the clock")
        box = wait_box(desktop, clock, "with a notification service")

        notify = poll("the notification", lambda: desktop.notification_calls("Notify"), timeout=10)[0]
        figure("alarm minute to Notify call", notify["monotonic"] - clock.moment_of(MINUTE), "s")
        expect("the calls before Notify", [c["call"] for c in desktop.notification_calls()][:2],
               ["GetCapabilities", "Notify"])
        hints = notify.pop("hints")
        image = hints.pop("image-data", None)
        for key in ("id", "time", "monotonic", "call"):
            notify.pop(key)
        expect("the notification", notify, {
            "app_name": "Tickwell Alarm Clock", "replaces_id": 0, "app_icon": "org.example.Tickwell",
            "summary": "Feed the cat", "body": f"then the fish &amp; the ferns\n\nDue at {ENTRY}",
            "actions": ["default", "Show Reminder", "snooze-10", "Remind Me in 10 Minutes", "snooze-60",
                        "Remind Me in 1 Hour"], "expire_timeout": 0})
        expect("its hints", hints, {"urgency": ["Byte", 2], "desktop-entry": ["String", "org.example.Tickwell"],
                                    "suppress-sound": ["Boolean", True]})
        # (width, height, row stride, alpha, bits, channels, bytes)
        if not image or image[0] != "Struct" or image[1][0] < 16 or image[1][6] != image[1][2] * image[1][1]:
            fail(f"the notification's picture is not the program's icon: {image!r}")

        # The user goes elsewhere, then chooses the notification: the box has the keyboard again.
        other = desktop.foreign_window("Another program's window")
        desktop.focus(other)
        poll("the other program's window to have the keyboard", lambda: focused(desktop) == other, timeout=5)
        desktop.notification_user("click")
        poll("the reminder box to have the keyboard again", lambda: focused(desktop) == box, timeout=5)

        # Rung before it is answered: the sound starts after the box, later under the sanitizers.
        poll("the clock to ring", desktop.sound_played, timeout=15)
        desktop.close_box(box)
        closed = poll("the notification to be withdrawn", lambda: desktop.notification_calls("CloseNotification"),
                      timeout=5)
        expect("the notification withdrawn", [c["id"] for c in closed], [1])
        poll("the alarm to leave the file", lambda: desktop.read_alarms() == LATER, timeout=5)
        expect("GetCapabilities asked", len(desktop.notification_calls("GetCapabilities")), 1)
        # The service plays no sound; the clock rang.
        if not desktop.sound_played():
            fail("the clock did not ring")
        if "notification" in desktop.log_of("tickwell"):
            fail("the clock complained about a notification service that works")


def record(minute):
    return f'#{minute:%Y-%m-%d %H:%M}:00#,"Feed the cat\r\nthen the fish & the ferns"\r\n'.encode()


def snoozed_from_the_notification(binary, screenshots):
    with Desktop("notification-snooze", window_manager=True, screenshots=screenshots,
                 notifications=["body", "actions", "sound"]) as desktop:
        desktop.write_alarms(DUE + LATER)
        # Ten times as fast: the ten minutes of the snooze take one.
        clock = desktop.clock(binary, fake_time="2030-03-08 21:03:58", speed=10)
        desktop.wait_icon()
        clock.still_before(MINUTE - datetime.timedelta(seconds=30), "starting the clock")
        box = wait_box(desktop, clock, "before a snooze")
        notify = poll("the notification", lambda: desktop.notification_calls("Notify"), timeout=10)[0]
        buttons = dict(zip(notify["actions"][1::2], notify["actions"][::2]))  # label: action key

        # The present minute on the program's clock as the button is chosen,
        # ten minutes on (the next one too, should the choice cross into it).
        chosen = clock.fake_now().replace(second=0, microsecond=0)
        desktop.notification_user(buttons["Remind Me in 10 Minutes"])
        desktop.wait_unmapped(box, "the reminder box, by the notification's button")
        answered = clock.fake_now().replace(second=0, microsecond=0)
        ten = datetime.timedelta(minutes=10)

        def snoozed_to():
            held = desktop.read_alarms()
            return next((m + ten for m in (chosen, answered) if held == LATER + record(m + ten)), None)

        snoozed = poll("the snoozed alarm in the file", snoozed_to, timeout=10)
        log(f"snoozed from {chosen:%H:%M} to {snoozed:%H:%M}")

        clock.sleep_until(snoozed - datetime.timedelta(seconds=10))
        # (The program's clock is never ahead of fake_now(): only a box seen before it says the minute is early.)
        if desktop.visible(TITLE_BOX) and clock.fake_now() < snoozed:
            fail("the snoozed reminder came before its minute")
        box = desktop.wait_visible(TITLE_BOX, timeout=20)
        again = poll("the snoozed alarm's notification", lambda: desktop.notification_calls("Notify")[1:],
                     timeout=10)[0]
        expect("the snoozed alarm's notification", (again["summary"], again["body"], again["actions"]),
               ("Feed the cat", f"then the fish & the ferns\n\nDue at {snoozed:%-I:%M %p  %A, %B %-d, %Y}",
                notify["actions"]))
        desktop.close_box(box)
        poll("the snoozed alarm to leave the file", lambda: desktop.read_alarms() == LATER, timeout=5)


def with_a_service_that_never_answers(binary, screenshots):
    # Two on one minute (a file edited by hand can hold such): the second
    # box comes when the first is closed.
    second = b'#2030-03-08 21:05:00#,"Then the dishes"\r\n'
    with Desktop("notification-silent", window_manager=True, screenshots=screenshots, notifications=["sound"],
                 silent_notifications=True) as desktop:
        desktop.write_alarms(DUE + second + LATER)
        clock = desktop.clock(binary, fake_time="2030-03-08 21:04:54")
        desktop.wait_icon()
        clock.still_before(MINUTE - datetime.timedelta(seconds=1), "starting the clock")
        box = wait_box(desktop, clock, "with a notification service that never answers")
        poll("the clock to ring", desktop.sound_played, timeout=10)
        log(f"{desktop.sound_played()} bytes of sound played")
        desktop.close_box(box)
        box = desktop.wait_visible(TITLE_BOX, timeout=10)
        desktop.close_box(box)
        poll("both alarms to leave the file", lambda: desktop.read_alarms() == LATER, timeout=5)
        said = desktop.log_of("tickwell").count("no desktop notification")
        expect("times the clock said it had no notification", said, 1)


DYING_NOTIFIER = """import sys
import dbus
with open(sys.argv[1], "a") as starts:
    starts.write("started\\n")
dbus.SessionBus().request_name("org.freedesktop.Notifications")
"""


def with_a_service_that_exits_at_once(binary, screenshots):
    desktop = Desktop("notification-dying", window_manager=True, screenshots=screenshots)
    # Where the test's session bus looks for services to start on demand.
    services = os.path.join(desktop.home, ".local", "share", "dbus-1", "services")
    os.makedirs(services)
    program = os.path.join(desktop.root, "dying_notifier.py")
    starts = os.path.join(desktop.root, "notifier-starts")
    with open(program, "w") as f:
        f.write(DYING_NOTIFIER)
    with open(os.path.join(services, "org.freedesktop.Notifications.service"), "w") as f:
        f.write(f"[D-BUS Service]\nName=org.freedesktop.Notifications\nExec=/usr/bin/python3 {program} {starts}\n")

    def started():
        try:
            with open(starts) as f:
                return f.read().count("started")
        except FileNotFoundError:
            return 0

    with desktop:
        desktop.write_alarms(DUE + LATER)
        # Ten times as fast: the minute before the alarm's and its own take twelve seconds. Started a minute
        # before those, which a slow start (the sanitizers') needs and which asks the bus nothing.
        clock = desktop.clock(binary, fake_time="2030-03-08 21:02:58", speed=10)
        desktop.wait_icon()
        clock.still_before(MINUTE - datetime.timedelta(seconds=55), "starting the clock")
        box = wait_box(desktop, clock, "with a notification service that exits at once")
        poll("the clock to ring", desktop.sound_played, timeout=10)
        clock.sleep_until(MINUTE + datetime.timedelta(minutes=1))
        count = started()
        figure("starts of a notifier that exits at once, over an alarm's minute and the one before", count, "")
        if not 1 <= count <= 4:
            fail(f"the bus started the notifier {count} times over the two minutes, not once to a few times")
        desktop.close_box(box)
        poll("the alarm to leave the file", lambda: desktop.read_alarms() == LATER, timeout=5)
        said = desktop.log_of("tickwell").count("no desktop notification")
        expect("times the clock said it had no notification", said, 1)


def scenario(binary, screenshots):
    with_a_service(binary, screenshots)
    snoozed_from_the_notification(binary, screenshots)
    with_a_service_that_never_answers(binary, screenshots)
    with_a_service_that_exits_at_once(binary, screenshots)


if __name__ == "__main__":
    run(scenario, *sys.argv[1:])
