# SPDX-License-Identifier: GPL-3.0-or-later
"""The Preferences window, from the tray menu, as a screen reader finds it
and worked with the keys alone: every control named, the lists by their
labels. A preferences file edited by hand and damaged gives the defaults for
what cannot be read, said once; saving writes it whole and clean. The ring
time chosen there counts from the next reminder: it rings a minute, then the
box stays, silent."""

import datetime
import sys
import time

from harness import TITLE_BOX, TITLE_PREFERENCES, Desktop, expect, fail, figure, log, poll, run, start_clock

PREFERENCES = 4  # the menu's item below the separator
DAMAGED = "ring-minutes = 20\nfirst-snooze-minutes = often\n"
SAVED = ("# Tickwell Alarm Clock: the choices of its Preferences window, one a line.\n"
         "# A line the clock cannot read leaves that setting at its default.\n"
         "sound = theme\n"
         "sound-file = \n"
         "ring-minutes = 1\n"
         "gentle-start = no\n"
         "first-snooze-minutes = 10\n"
         "second-snooze-minutes = 60\n")


def labelled_by(a11y, node):
    return [relation.getTarget(0).name for relation in node.getRelationSet()
            if relation.getRelationType() == a11y.atspi.RELATION_LABELLED_BY]


def check_tree(a11y, window):
    expect("the window's role", window.getRoleName(), "dialog")
    expect("the sound's choices", [b.name for b in a11y.all(window, "radio button")],
           ["The sound theme's alarm", "A sound file:"])
    a11y.one(window, "text", "Sound file")
    expect("the buttons", [b.name for b in a11y.all(window, "push button")], ["Browse...", "Play", "OK", "Cancel"])
    gentle = a11y.one(window, "check box", "Start softly, louder with each ring")
    if not a11y.has(gentle, "checked"):
        fail("the gentle start is not ticked, as it is by default")
    # A list is read by its label, then what it shows: the ring time kept, the default for the snooze the
    # file held no reading of.
    lists = [(labelled_by(a11y, node), node.name) for node in a11y.all(window, "combo box")]
    expect("the lists", lists, [(["Ring for:"], "20 minutes"), (["First snooze:"], "10 minutes"),
                                (["Second snooze:"], "1 hour")])
    nameless = [node.getRoleName() for node in a11y.all(window) if a11y.has(node, "focusable") and not node.name
                and not labelled_by(a11y, node)]
    if nameless:
        fail(f"focusable controls without a name: {nameless}")


def scenario(binary, screenshots):
    with Desktop("preferences", window_manager=True, screenshots=screenshots,
                 notifications=["body", "actions"]) as desktop:
        desktop.write_preferences(DAMAGED)
        # Ten times as fast: the minute's ring takes six seconds.
        clock, icon, a11y = start_clock(desktop, binary, fake_time="2030-03-08 21:00:00", speed=10)
        a11y.listen_for_focus()
        desktop.choose_from_tray_menu(icon, PREFERENCES)
        shown = desktop.wait_visible(TITLE_PREFERENCES)
        window = a11y.window(TITLE_PREFERENCES)
        check_tree(a11y, window)
        desktop.screenshot(shown, "preferences.png")
        said = [line for line in desktop.log_of("tickwell").splitlines() if "preferences" in line]
        expect("what the clock said of the file", said,
               [f"tickwell: line 2 of the preferences in {desktop.preferences_file()} cannot be read; "
                "the defaults stand in for what they set"])

        def focus_is(role, name):
            poll(f"the focus to go to the {role} {name!r}", lambda: a11y.focus_heard() == (role, name), timeout=5)

        # The keys alone: the sound's choice first, the ring time four stops on.
        desktop.focus(shown)
        focus_is("radio button", "The sound theme's alarm")
        desktop.key("Tab", "Tab", "Tab", "Tab")
        focus_is("combo box", "20 minutes")
        desktop.key("Up", "Up", "Up")
        ring_time = [node for node in a11y.all(window, "combo box") if labelled_by(a11y, node) == ["Ring for:"]][0]
        def ring_time_shown():
            ring_time.clear_cache()
            return ring_time.name
        poll("the ring time to be a minute", lambda: ring_time_shown() == "1 minute", timeout=5)
        desktop.key("Tab")
        focus_is("check box", "Start softly, louder with each ring")
        desktop.key("space")
        desktop.key("Return")
        desktop.wait_unmapped(shown, "the Preferences window, by Return")
        poll("the preferences to be saved", lambda: open(desktop.preferences_file()).read() == SAVED, timeout=5)

        # The next reminder rings a minute, then stops; its box stays.
        minute = (clock.fake_now() + datetime.timedelta(seconds=75)).replace(second=0, microsecond=0)
        status, _, _ = desktop.command(binary, "--add", f"{minute:%Y-%m-%d %H:%M}", "Tea")
        expect("the status of --add", status, 0)
        box = desktop.wait_visible(TITLE_BOX, timeout=30)
        began = clock.fake_now()
        poll("the reminder to ring", desktop.sounds, timeout=10)
        last, changed = desktop.sounds(), time.monotonic()
        # Silent for twenty of the program's seconds: the ring is over.
        while time.monotonic() - changed < 20 / clock.speed:
            if desktop.sounds() != last:
                last, changed = desktop.sounds(), time.monotonic()
            if (clock.fake_now() - began).total_seconds() > 120:
                fail(f"the reminder still rings two minutes on ({desktop.sounds()} sounds)")
            time.sleep(0.02)
        rang = (changed - clock.moment_of(began)) * clock.speed
        figure("ring of a minute, from the box to its last sound, on the program's clock", rang, "s")
        figure("sounds in a minute's ring", last, "")
        if not 50 <= rang <= 65:
            fail(f"the ring of a minute lasted {rang:.0f} s")
        if not desktop.visible(TITLE_BOX):
            fail("the box went with its ring")
        desktop.close_box(box)
        expect("lines the clock said of the preferences",
               len([line for line in desktop.log_of("tickwell").splitlines() if "preferences" in line]), 1)
        log(f"{last} sounds, {rang:.0f} s on the program's clock")


if __name__ == "__main__":
    run(scenario, *sys.argv[1:])
