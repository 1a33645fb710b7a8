# SPDX-License-Identifier: GPL-3.0-or-later
"""The package on a Debian 12 machine that has never seen it: a minimal
Debian 12 made with debootstrap into a folder, the package installed there
with `apt install ./tickwell_<version>_<arch>.deb` (apt fetches what it
depends on from Debian's mirror, the sound theme the alarm rings with
among them), then, in that system, as a new user:

  - a desktop menu (the LXDE menu's definition, read with pyxdg) lists the
    program under Accessories, and its icon resolves in the icon theme;
  - started from its menu entry (`gio launch`), it embeds its icon in the
    notification area of a private desktop;
  - its working folder is the user's ~/.local/share/<id>, made with mode 0700;
  - started from the menu again, it opens the running clock's editor, and an
    alarm set there with the keys alone lands in that folder's Alarm.dat.

Needs root (debootstrap, chroot, bind mounts) and Debian's mirror. The
minimal system is made once under FOLDER/bookworm and copied afresh for
each run, so every run installs into a machine without the package.

Usage: /usr/bin/python3 tests/package/fresh_debian.py PACKAGE.deb FOLDER  (make install-check)
"""

import contextlib
import ctypes
import os
import shutil
import stat
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from harness import Desktop, TITLE_EDITOR, expect, fail, log, poll, read_file, run  # noqa: E402

DESKTOP_ID = "org.example.Tickwell"
USER, UID = "alice", 1000
MIRROR = "http://deb.debian.org/debian"
SOURCES = f"""deb {MIRROR} bookworm main
deb {MIRROR} bookworm-updates main
deb http://deb.debian.org/debian-security bookworm-security main
"""
# What a desktop brings and the minimal system lacks: a menu definition and
# its reader, and the tool that starts a menu entry as a menu does.
DESKTOP_PACKAGES = ["lxmenu-data", "python3-xdg", "libglib2.0-bin"]

MENU_READER = """
import sys, xdg.Menu, xdg.IconTheme
def walk(menu, path):
    for entry in menu.getEntries():
        if isinstance(entry, xdg.Menu.Menu):
            yield from walk(entry, path + [entry.getName()])
        elif isinstance(entry, xdg.Menu.MenuEntry) and entry.DesktopFileID == sys.argv[1]:
            yield path, entry.DesktopEntry
for path, entry in walk(xdg.Menu.parse("/etc/xdg/menus/lxde-applications.menu"), []):
    print("/".join(path), entry.getName(), entry.getIcon(), xdg.IconTheme.getIconPath(entry.getIcon(), 48) or "",
          sep="\\t")
"""


def in_root(root, argv, *, user=None, env=None, check=True, timeout=600, log_file=None):
    """Runs `argv` inside `root`, with /proc, /sys, /dev and the X servers' sockets bound into it in a
    mount namespace of its own: nothing is left mounted when it ends. What it prints is returned, or, for a
    command that leaves a program running (which would hold a pipe open), appended to `log_file`."""
    binds = " && ".join(f'mount --bind {host} "$0{host}"' for host in ("/proc", "/sys", "/dev", "/tmp/.X11-unix"))
    chroot = ["chroot"] + ([f"--userspec={user}:{user}"] if user else []) + ["$0"]
    script = f'{binds} && exec {" ".join(chroot)} env -i "$@"'
    variables = [f"{k}={v}" for k, v in (env or {"PATH": "/usr/sbin:/usr/bin:/sbin:/bin"}).items()]
    command = ["unshare", "--mount", "--propagation", "private", "sh", "-c", script, root] + variables + argv
    with open(log_file, "ab") if log_file else contextlib.nullcontext(subprocess.PIPE) as out:
        result = subprocess.run(command, stdout=out, stderr=subprocess.STDOUT, timeout=timeout)
    output = result.stdout.decode(errors="replace") if result.stdout else ""
    if check and result.returncode != 0:
        fail(f"{' '.join(argv)} in the fresh system ended with status {result.returncode}:\n{output[-4000:]}")
    return output


def fresh_system(folder):
    pristine = os.path.join(folder, "bookworm")
    if not os.path.exists(os.path.join(pristine, ".complete")):
        shutil.rmtree(pristine, ignore_errors=True)
        log(f"making a minimal Debian 12 in {pristine}")
        subprocess.run(["debootstrap", "--variant=minbase", "bookworm", pristine, MIRROR], check=True,
                       stdout=subprocess.DEVNULL, timeout=1800)
        with open(os.path.join(pristine, "etc", "apt", "sources.list"), "w") as f:
            f.write(SOURCES)
        open(os.path.join(pristine, ".complete"), "w").close()
    root = os.path.join(folder, "root")
    shutil.rmtree(root, ignore_errors=True)
    subprocess.run(["cp", "-a", pristine, root], check=True)
    os.makedirs(os.path.join(root, "tmp", ".X11-unix"), exist_ok=True)
    return root


def install(root, package):
    shutil.copy(package, os.path.join(root, "tmp"))
    in_root(root, ["apt-get", "update"])
    apt = {"DEBIAN_FRONTEND": "noninteractive", "PATH": "/usr/sbin:/usr/bin:/sbin:/bin"}
    output = in_root(root, ["sh", "-c", f"cd /tmp && apt install -y ./{os.path.basename(package)}"], env=apt)
    log(f"apt installed the package and {output.count('Setting up') - 1} packages it needs")
    # The sound the clock rings with, where no notification service plays it.
    sound = os.path.join(root, "usr", "share", "sounds", "freedesktop", "stereo", "alarm-clock-elapsed.oga")
    if not os.path.isfile(sound):
        fail("apt did not bring the sound theme's alarm-clock-elapsed")
    in_root(root, ["apt-get", "install", "-y", "--no-install-recommends"] + DESKTOP_PACKAGES, env=apt)
    in_root(root, ["useradd", "--create-home", "--uid", str(UID), USER])


def menu_entry(root):
    with open(os.path.join(root, "tmp", "menu.py"), "w") as f:
        f.write(MENU_READER)
    lines = in_root(root, ["python3", "/tmp/menu.py", f"{DESKTOP_ID}.desktop"]).strip().splitlines()
    if len(lines) != 1:
        fail(f"the menu lists the program {len(lines)} times: {lines}")
    submenu, name, icon, icon_file = lines[0].split("\t")
    expect("the menu the program is in", submenu, "Accessories")
    expect("its name in the menu", name, "Tickwell Alarm Clock")
    if not icon_file.startswith("/usr/share/icons/hicolor/"):
        fail(f"the menu entry's icon {icon!r} is not in the icon theme: {icon_file!r}")
    log(f"the menu shows {name!r} under {submenu} with {icon_file}")


def clocks_in(root):
    program = os.path.join(root, "usr", "bin", "tickwell")
    found = []
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            if os.readlink(f"/proc/{pid}/exe") == program:
                found.append(int(pid))
        except OSError:
            pass
    return found


def scenario(package, folder):
    # What the menu's launcher starts is orphaned: it should come to us, to be ended with the desktop.
    ctypes.CDLL(None).prctl(36, 1)  # PR_SET_CHILD_SUBREAPER
    folder = os.path.abspath(folder)
    os.makedirs(folder, exist_ok=True)
    root = fresh_system(folder)
    install(root, os.path.abspath(package))
    menu_entry(root)

    with Desktop("fresh-debian", window_manager=True, accessibility=False) as desktop:
        home = f"/home/{USER}"
        env = {"PATH": "/usr/local/bin:/usr/bin:/bin", "HOME": home, "USER": USER, "LANG": "C.UTF-8",
               "DISPLAY": desktop.display, "QT_QPA_PLATFORM": "xcb"}

        def launch():
            in_root(root, ["gio", "launch", f"/usr/share/applications/{DESKTOP_ID}.desktop"], user=USER, env=env,
                    timeout=60, log_file=os.path.join(folder, "clock.log"))

        launch()
        desktop.wait_icon(timeout=30)
        clock = poll("the clock in the fresh system", lambda: clocks_in(root), timeout=10)[0]
        user_folder = os.path.join(root, "home", USER, ".local", "share", DESKTOP_ID)
        expect("the clock's folder", os.readlink(f"/proc/{clock}/cwd"), user_folder)
        info = os.stat(user_folder)
        expect("the folder's mode and owner", (oct(stat.S_IMODE(info.st_mode)), info.st_uid), ("0o700", UID))
        log(f"the clock ({clock}) runs in {user_folder}")

        # Again from the menu: the running clock shows its editor and the second one ends.
        launch()
        editor = desktop.wait_visible(TITLE_EDITOR, timeout=15)
        poll("one clock", lambda: clocks_in(root) == [clock], timeout=15)
        desktop.focus(editor)
        # The month list has the focus; the calendar is three on. A week on from today, whatever today is.
        desktop.key("Tab", "Tab", "Tab", "Down", "space")
        desktop.key(*["Tab"] * 8)
        desktop.type("Fresh install")
        desktop.key(*["shift+Tab"] * 4, "Return")
        alarm_file = os.path.join(user_folder, "Alarm.dat")
        record = poll("the alarm in the user's Alarm.dat", lambda: read_file(alarm_file), timeout=15)
        if not (record.startswith(b"#") and record.endswith(b'#,"Fresh install"\r\n')):
            fail(f"Alarm.dat holds {record!r}")
        expect("the file's owner", os.stat(alarm_file).st_uid, UID)
        log(f"the alarm went to {alarm_file}: {record!r}")
        os.kill(clock, 15)
        poll("the clock to end on SIGTERM", lambda: not clocks_in(root), timeout=15)
    shutil.rmtree(root, ignore_errors=True)
    log("the fresh system is removed; the minimal Debian stays for the next run")


if __name__ == "__main__":
    os.environ.setdefault("TICKWELL_E2E_DEADLINE", "1800")
    run(scenario, *sys.argv[1:])
