# SPDX-License-Identifier: GPL-3.0-or-later
"""About... in the tray menu and in the editor shows the program's name with
its version and its author, in a window without a title, closed by its own
button."""

import os
import sys
import time

from harness import Desktop, Editor, TITLE_EDITOR, fail, log, poll, run, start_clock

ABOUT = 5  # the menu's fifth item, below the separator and Preferences...
TEXTS = ["Tickwell Alarm Clock v1.1", "Programmed by Haldor Venn"]


def about_windows(a11y):
    return [w for w in a11y.windows() if w is not None and a11y.showing(w)
            and any(label.name == TEXTS[0] for label in a11y.all(w, "label"))]


def x_window_of(desktop, a11y, accessible):
    """The mapped X window in the place the accessibility bus gives for a window."""
    place = a11y.extents(accessible)
    for w in desktop.search(["--onlyvisible", "--class", "tickwell"]):
        if desktop.geometry(w)[:4] == place:
            return w
    return None


def check_about(desktop, a11y, how, screenshot, faults):
    about = poll(f"the About window from {how}", lambda: about_windows(a11y), timeout=10)[0]
    window = poll("the About window to be mapped", lambda: x_window_of(desktop, a11y, about), timeout=10)
    labels = a11y.all(about, "label")
    log(f"About from {how}: {[label.name for label in labels]}")
    for text in TEXTS:
        if text not in [label.name for label in labels]:
            fail(f"the About window from {how} does not hold {text!r}")

    # Held is not shown: the text must fit in its place on the screen.
    picture = desktop.grab(window, os.path.join(desktop.root, "about.png"))
    reference = [label for label in labels if label.name == TEXTS[0]][0]
    for text in a11y.cut_off(about, [label for label in labels if label.name in TEXTS[1:]], picture, reference):
        faults.append(f"the About window from {how} shows {text!r} cut off at its right edge")
    # Qt puts the program's name on a window with an empty title; the frame then shows it.
    title = desktop.window_property(window, "_NET_WM_NAME").strip()
    caption = title.split("=", 1)[1].strip().strip('"').strip() if "=" in title else ""
    if caption:
        faults.append(f"the About window from {how} is titled {caption!r}, not untitled")
    if screenshot:
        desktop.screenshot(window, screenshot)

    a11y.click(a11y.one(about, "push button", "Close"))
    poll("the About window to close", lambda: desktop.geometry(window)[4] != "IsViewable", timeout=5)


def scenario(binary, screenshots):
    with Desktop("about", screenshots=screenshots) as desktop:
        clock, icon, a11y = start_clock(desktop, binary, fake_time="2030-03-08 21:04:00")

        faults = []
        desktop.choose_from_tray_menu(icon, ABOUT)
        check_about(desktop, a11y, "the tray menu", "about.png", faults)

        desktop.click_window(icon, repeat=2)
        desktop.wait_visible(TITLE_EDITOR)
        a11y.click(Editor(a11y).button("About..."))
        check_about(desktop, a11y, "the editor", None, faults)
        # Closing About leaves the editor open.
        time.sleep(0.5)
        if not desktop.visible(TITLE_EDITOR):
            fail("closing the About window closed the editor too")
        if faults:
            fail("; ".join(faults))


if __name__ == "__main__":
    run(scenario, *sys.argv[1:])
