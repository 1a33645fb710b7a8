# SPDX-License-Identifier: GPL-3.0-or-later
"""What a screen reader finds in the editor, and an alarm set with the keys
alone, for a day in another month and the other half of the day, repeating
on weekdays: every field named, the calendar's days pressable items named by
their dates with the picked one selected, the focus on the day the arrow
keys reach, the repeat choice named by its label, the repeating alarm's row
saying how it repeats; Clear Alarm on it asks, and skips it once."""

import sys

from harness import Desktop, expect, fail, log, open_editor, poll, run, start_clock

SET = b'#2030-04-04 07:30:00#,"Dentist"\r\n'
SKIPPED = b'#2030-04-05 07:30:00#,"Dentist"\r\n'


def check_tree(a11y, editor):
    expect("the editor's role", editor.window.getRoleName(), "frame")
    expect("the year's roles", sorted(n.getRoleName() for n in a11y.all(editor.window, name="Year")),
           ["spin button", "text"])
    expect("the year spinner's value", a11y.value(a11y.one(editor.window, "spin button", "Year")), 2030.0)
    expect("the repeat choice", editor.repeat_choice().name, "Never")
    for role, name in [("text", "Hour"), ("text", "Minute"), ("text", "Reminder Text"),
                       ("list", "Exisiting Alarms"), ("list", "March 2030")]:
        a11y.one(editor.window, role, name)
    labels = [relation.getTarget(0).name for relation in editor.reminder_field().getRelationSet()
              if relation.getRelationType() == a11y.atspi.RELATION_LABELLED_BY]
    expect("the reminder's label", labels, ["Reminder Text : "])
    nameless = [node.getRoleName() for node in a11y.all(editor.window)
                if a11y.has(node, "focusable") and not node.name]
    if nameless:
        fail(f"focusable controls without a name: {nameless}")
    days = editor.days()
    expect("the days of March", len(days), 31)
    expect("the first day", days[0].name, "Friday, March 1, 2030")
    if days[0].queryAction().getName(0) != "Press":
        fail(f"a day offers {days[0].queryAction().getName(0)!r}, not Press")
    expect("the picked day", editor.picked_days(), ["Friday, March 8, 2030"])
    expect("the AM/PM switch", editor.am_pm().name, "PM")


def scenario(binary, screenshots):
    with Desktop("keyboard", window_manager=True, screenshots=screenshots) as desktop:
        clock, icon, a11y = start_clock(desktop, binary, fake_time="2030-03-08 21:04:30")
        a11y.listen_for_focus()
        window, editor = open_editor(desktop, icon, a11y)
        check_tree(a11y, editor)

        def focus_is(name, role):
            """Told to a screen reader, and its state."""
            poll(f"the focus to go to the {role} {name!r}", lambda: a11y.focus_heard() == (role, name), timeout=5)
            focused = a11y.focused(editor.window)
            expect("the control in the focused state", focused and (focused.getRoleName(), focused.name),
                   (role, name))

        # From here on, the keys alone. The month list has the focus; the calendar is three on.
        focus_is("March", "combo box")
        desktop.key("Tab", "Tab", "Tab")
        focus_is("Friday, March 8, 2030", "list item")
        desktop.key("Down", "Down", "Down", "Down")
        focus_is("Friday, April 5, 2030", "list item")
        poll("the calendar to show April", lambda: editor.calendar().name == "April 2030", timeout=5)
        desktop.key("Left")
        focus_is("Thursday, April 4, 2030", "list item")
        desktop.screenshot(window, "keyboard.png")
        desktop.key("space")
        poll("the day to be picked", lambda: editor.picked_days() == ["Thursday, April 4, 2030"], timeout=5)
        expect("the new alarm", editor.new_alarm_caption(), "New Alarm : 9:04 PM  Thursday, April 4, 2030")

        desktop.key("Tab")
        focus_is("Hour", "text")
        desktop.type("7a")
        poll("AM", lambda: editor.am_pm().name == "AM", timeout=5)
        desktop.key("Tab")
        focus_is("Minute", "text")
        desktop.type("30")
        poll("the new alarm to be 7:30 AM",
             lambda: editor.new_alarm_caption() == "New Alarm : 7:30 AM  Thursday, April 4, 2030", timeout=5)

        desktop.key("Tab")
        focus_is("Never", "combo box")
        desktop.key("Down", "Down")
        poll("the choice of weekdays", lambda: editor.repeat_choice().name == "Weekdays", timeout=5)

        desktop.key(*["Tab"] * 6)
        focus_is("Reminder Text", "text")
        desktop.type("Dentist")
        desktop.key(*["shift+Tab"] * 4)
        focus_is("Set Alarm", "push button")
        desktop.key("Return")
        poll("the alarm to be stored", lambda: desktop.read_alarms() == SET, timeout=5)
        expect("the alarms listed", editor.rows(), ["7:30 AM  Thursday, April 4, 2030"])
        expect("how it repeats, to a screen reader", editor.row_descriptions(), ["Repeats weekdays"])
        log("set by the keys alone")

        # Clear Alarm on it asks first; "s" skips this time only.
        desktop.key("shift+Tab", "Down", "space")
        poll("the alarm's row to be selected", lambda: [a11y.has(row, "selected") for row in a11y.all(
            editor.alarm_list(), "list item", showing=False)] == [True], timeout=5)
        desktop.key("Tab", "Tab", "Tab")
        focus_is("Clear Alarm", "push button")
        desktop.key("Return")
        question = desktop.wait_visible("Clear Alarm", timeout=10)
        desktop.screenshot(question, "clear-repeating.png")
        desktop.focus(question)
        desktop.key("s")
        desktop.wait_gone("Clear Alarm")
        poll("the alarm to be skipped once", lambda: desktop.read_alarms() == SKIPPED, timeout=5)
        expect("the alarm's next time", editor.rows(), ["7:30 AM  Friday, April 5, 2030"])


if __name__ == "__main__":
    run(scenario, *sys.argv[1:])
