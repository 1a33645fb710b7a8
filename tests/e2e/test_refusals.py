# SPDX-License-Identifier: GPL-3.0-or-later
"""Set Alarm refuses, each time with its own box, an alarm for a minute that
already has one, one in the past, and one without a day; none of them
reaches the list or the file."""

import sys

from harness import Desktop, Editor, TITLE_REFUSAL, expect, log, poll, run, start_clock

EXISTING = b'#2030-03-08 21:30:00#,"Already set"\r\n'
ROWS = ["9:30 PM  Friday, March 8, 2030"]


def type_minute(desktop, a11y, editor, digits):
    """Clears the minute field and types new digits, as a user at the keyboard would."""
    a11y.click(editor.minute_field())
    desktop.key("End", "BackSpace", "BackSpace")
    desktop.type(digits)
    poll(f"the minute field to read {digits}", lambda: a11y.text(editor.minute_field()) == digits, timeout=5)


def refused(desktop, a11y, editor, why, text, screenshot=None):
    a11y.click(editor.button("Set Alarm"))
    box = desktop.wait_visible(TITLE_REFUSAL, timeout=10)
    alert = a11y.window(TITLE_REFUSAL, role="alert")
    texts = [label.name for label in a11y.all(alert, "label") if label.name]
    expect(f"the box for {why}", texts, [text])
    expect(f"the buttons of the box for {why}", [b.name for b in a11y.all(alert, "push button")], ["OK"])
    if screenshot:
        desktop.screenshot(box, screenshot)
    desktop.focus(box)
    desktop.key("Return")
    desktop.wait_unmapped(box, f"the box for {why}", timeout=5)
    log(f"refused {why}: {text!r}")
    expect(f"the alarms listed after refusing {why}", editor.rows(), ROWS)
    expect(f"Alarm.dat after refusing {why}", desktop.read_alarms(), EXISTING)


def scenario(binary, screenshots):
    with Desktop("refusals", window_manager=True, screenshots=screenshots) as desktop:
        desktop.write_alarms(EXISTING)
        clock, icon, a11y = start_clock(desktop, binary, fake_time="2030-03-08 21:04:30")
        desktop.click_window(icon, repeat=2)
        editor = Editor(a11y)
        expect("the alarms listed", editor.rows(), ROWS)

        # The minute of the alarm on file.
        type_minute(desktop, a11y, editor, "30")
        poll("the new alarm to be 9:30 PM",
             lambda: editor.new_alarm_caption() == "New Alarm : 9:30 PM  Friday, March 8, 2030", timeout=5)
        refused(desktop, a11y, editor, "a second alarm in one minute", "Alarm already exists for that Time/Date.",
                "refusal.png")

        # A minute ago.
        type_minute(desktop, a11y, editor, "03")
        poll("the new alarm to be 9:03 PM",
             lambda: editor.new_alarm_caption() == "New Alarm : 9:03 PM  Friday, March 8, 2030", timeout=5)
        clock.still_before(clock.fake_start.replace(minute=30), "composing an alarm in the past")
        refused(desktop, a11y, editor, "a time in the past",
                "The Alarm Time/Date you have chosen\nis in the past!")

        # Today picked a second time is no day at all.
        a11y.click(editor.day(8))
        poll("the day to be let go", lambda: editor.new_alarm_caption() == "< No Selected Time/Date >", timeout=5)
        refused(desktop, a11y, editor, "no day", "No Alarm Time/Date has been selected.")


if __name__ == "__main__":
    run(scenario, *sys.argv[1:])
