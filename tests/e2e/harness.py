# SPDX-License-Identifier: GPL-3.0-or-later
"""A private desktop for one end-to-end run of the clock.

Each test gets its own X server (Xvfb), notification area (trayer), window
manager if it asks for one (openbox), session bus if it reads the screen
through the accessibility bus, a notification service on that bus if it asks
for one (notification_server.py), a sound card that writes what it plays to
a file and counts the sounds, and its own HOME, XDG_RUNTIME_DIR and working
directory. Everything started here is ended here, by PID, also when the test
fails or runs out of time.

Run with Debian's /usr/bin/python3: pyatspi is a Debian package.
"""

import contextlib
import ctypes
import ctypes.util
import datetime
import glob
import json
import os
import random
import re
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import traceback

TITLE_EDITOR = "Tickwell Alarm Clock - Alarm Editor"
TITLE_BOX = "Tickwell Alarm Clock"
TITLE_REFUSAL = "Can't Set Alarm"
TITLE_PREFERENCES = "Tickwell Alarm Clock - Preferences"
TOOLS = ["Xvfb", "trayer", "xdotool", "xwininfo", "xprop", "xmessage", "faketime", "import", "compare",
         "convert", "fc-match", "openbox", "dbus-daemon"]
# Keys and buttons the tests press; released at teardown so that none is left held.
HELD = ["Return", "Escape", "Tab", "Up", "Down", "Left", "Right", "BackSpace", "End", "space", "Shift_L",
        "Control_L", "Alt_L"]


class Failure(Exception):
    pass


class ToolFailure(Failure):
    """A tool that failed on the screen's present state, such as a query about a window just gone."""


def fail(message):
    raise Failure(message)


def expect(what, seen, wanted):
    if seen != wanted:
        fail(f"{what}: {seen!r}, expected {wanted!r}")


def log(message):
    print(message, flush=True)


def figure(name, value, unit):
    """A measured figure, printed for the record and never judged."""
    log(f"FIGURE {name}: {value:.3f} {unit}")


def poll(what, probe, timeout=10.0, interval=0.05):
    """Returns probe()'s first truthy result; fails after `timeout` seconds."""
    end = time.monotonic() + timeout
    last_error = None
    while True:
        try:
            result = probe()
            if result:
                return result
        except ToolFailure as error:
            last_error = error
        except Failure:
            raise
        except Exception as error:  # a window that went away under a query, a bus that is not up yet
            last_error = error
        if time.monotonic() >= end:
            detail = f" (last error: {last_error!r})" if last_error else ""
            fail(f"timed out after {timeout:g} s waiting for {what}{detail}")
        time.sleep(interval)


def require_tools():
    missing = [tool for tool in TOOLS if shutil.which(tool) is None]
    if missing:
        fail("missing tools: " + ", ".join(missing) + " (scripts/bootstrap test installs them)")


# PR_SET_PDEATHSIG: a helper dies with the test even if the test is killed outright.
_libc = ctypes.CDLL(ctypes.util.find_library("c"), use_errno=True)


def _die_with_parent():
    _libc.prctl(1, signal.SIGKILL)


# PR_SET_CHILD_SUBREAPER: the accessibility bus launcher and its registry
# detach from the session bus that starts them; as our orphans they stay
# ours to end, instead of going to init.
_libc.prctl(36, 1)


def _children_of(pid):
    children = []
    try:
        for task in os.listdir(f"/proc/{pid}/task"):
            with open(f"/proc/{pid}/task/{task}/children") as f:
                children += [int(p) for p in f.read().split()]
    except OSError:
        pass
    return children


def _descendants(pid):
    found, todo = [], [pid]
    while todo:
        for child in _children_of(todo.pop()):
            found.append(child)
            todo.append(child)
    return found


def _command(pid):
    try:
        with open(f"/proc/{pid}/cmdline", "rb") as f:
            return f.read().split(b"\0")[0].decode(errors="replace")
    except OSError:
        return "?"


def _alive(pid):
    try:
        with open(f"/proc/{pid}/stat") as f:
            return f.read().rsplit(")", 1)[1].split()[0] != "Z"
    except OSError:
        return False


class Desktop:
    def __init__(self, name, *, window_manager=False, accessibility=True, screenshots=None, notifications=None,
                 silent_notifications=False, tray=True, sound_card=True):
        """`notifications`: the capabilities of a notification service to start on the session bus (the
        accessibility's); with `silent_notifications` it never answers a call. Without `sound_card` ALSA looks
        for a sound card that is not there, as on a machine that has none."""
        require_tools()
        self.name = name
        self.window_manager = window_manager
        self.accessibility = accessibility
        self.screenshots = screenshots
        self.notifications = notifications
        self.silent_notifications = silent_notifications
        self.tray = tray  # a notification area from the start; start_tray() brings one later
        self.root = tempfile.mkdtemp(prefix=f"tickwell-e2e-{name}-")
        self.home = os.path.join(self.root, "home")
        self.runtime = os.path.join(self.root, "runtime")
        self.work = os.path.join(self.root, "work")
        for folder in (self.home, self.runtime, self.work):
            os.mkdir(folder, 0o700)
        # ALSA's default device hands the samples to a program that adds them to a file and notes each sound:
        # what the clock plays, and how often, can be heard there.
        self.sound = os.path.join(self.root, "sound.raw")
        self.sounds_log = os.path.join(self.root, "sounds")
        card = os.path.join(self.root, "sound-card")
        with open(card, "w") as f:
            f.write(f'#!/bin/sh\necho sound >> "{self.sounds_log}"\nexec cat >> "{self.sound}"\n')
        os.chmod(card, 0o755)
        with open(os.path.join(self.home, ".asoundrc"), "w") as f:
            if sound_card:
                f.write(f'pcm.!default {{ type file; slave.pcm "null"; file "|{card}"; format "raw" }}\n')
            else:
                f.write("defaults.pcm.card 9\ndefaults.ctl.card 9\n")
        self.notification_log = os.path.join(self.root, "notifications.jsonl")
        self.processes = []  # (label, Popen), in start order
        self.logs = {}
        self.display = None
        self.bus = "disabled:"
        self.env = {
            "PATH": os.environ.get("PATH", "/usr/bin:/bin"),
            "HOME": self.home,
            "XDG_RUNTIME_DIR": self.runtime,
            "XDG_CONFIG_HOME": os.path.join(self.home, ".config"),
            "XDG_DATA_HOME": os.path.join(self.home, ".local", "share"),
            "XDG_CACHE_HOME": os.path.join(self.home, ".cache"),
            "LANG": "C.UTF-8",
            "LC_ALL": "C.UTF-8",
            "TZ": "UTC",
        }
        # A sanitized build's settings reach the programs it runs.
        for name in ("ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS"):
            if name in os.environ:
                self.env[name] = os.environ[name]

    # ----- life -----

    def __enter__(self):
        try:
            self._start_x()
            # The notification service lives on the session bus too.
            if self.accessibility or self.notifications is not None:
                self._start_bus()
            if self.notifications is not None:
                self._start_notifications()
            if self.window_manager:
                self._start_openbox()
            if self.tray:
                self._start_tray()
        except BaseException as error:
            log(f"---- {self.name}: the desktop did not come up: {error}")
            self.dump_logs()
            self.close()
            raise
        return self

    def __exit__(self, kind, value, tb):
        if kind is not None:
            log(f"---- {self.name} failed: {value}")
            self.dump_logs()
        self.close()
        return False

    def _spawn(self, label, argv, *, env=None, cwd=None, pass_fds=(), stdin=subprocess.DEVNULL):
        path = os.path.join(self.root, f"{label}.log")
        out = open(path, "ab")
        self.logs[label] = path
        process = subprocess.Popen(argv, env=env or self.env, cwd=cwd or self.root, stdin=stdin, stdout=out,
                                   stderr=subprocess.STDOUT, pass_fds=pass_fds, preexec_fn=_die_with_parent)
        out.close()
        self.processes.append((label, process))
        return process

    def _read_line_from(self, fd, process, what, timeout=15.0):
        data = b""
        end = time.monotonic() + timeout
        try:
            while not data.endswith(b"\n"):
                if process.poll() is not None:
                    fail(f"{what} ended with status {process.returncode} before it was ready")
                left = end - time.monotonic()
                if left <= 0:
                    fail(f"{what} did not start within {timeout:g} s")
                ready, _, _ = select.select([fd], [], [], min(left, 0.2))
                if ready:
                    chunk = os.read(fd, 256)
                    if not chunk:
                        process.wait(timeout=2)  # the pipe closes as it ends
                        fail(f"{what} closed its ready pipe")
                    data += chunk
        except subprocess.TimeoutExpired:
            fail(f"{what} closed its ready pipe but runs on")
        finally:
            os.close(fd)
        return data.decode().strip()

    def _start_x(self):
        # Far from the low numbers, which other test runs on a shared machine
        # start from; their servers coming and going there have taken a
        # display away from under a test before.
        for attempt in range(20):
            number = random.randrange(200, 1000)
            if os.path.exists(f"/tmp/.X{number}-lock") or os.path.exists(f"/tmp/.X11-unix/X{number}"):
                continue
            r, w = os.pipe()
            # -noreset: an X server resets when its last client leaves, and refuses connections meanwhile;
            # a tool that looks and leaves just as the tray connects would otherwise take the tray down.
            xvfb = self._spawn("xvfb", ["Xvfb", f":{number}", "-displayfd", str(w), "-screen", "0", "1280x800x24",
                                       "-nolisten", "tcp", "-noreset"], pass_fds=(w,))
            os.close(w)
            try:
                self.display = ":" + self._read_line_from(r, xvfb, "Xvfb")
            except Failure:
                if xvfb.poll() is None:
                    raise
                self.processes.remove(("xvfb", xvfb))  # the number was taken meanwhile: another one
                continue
            self.env["DISPLAY"] = self.display
            os.environ["DISPLAY"] = self.display
            return
        fail("found no free X display number")

    def _start_bus(self):
        r, w = os.pipe()
        address = f"unix:path={self.runtime}/bus"
        bus = self._spawn("dbus", ["dbus-daemon", "--session", "--nofork", "--nopidfile", f"--address={address}",
                                   f"--print-address={w}"], pass_fds=(w,))
        os.close(w)
        self.bus = self._read_line_from(r, bus, "dbus-daemon")
        self.env["DBUS_SESSION_BUS_ADDRESS"] = self.bus
        os.environ["DBUS_SESSION_BUS_ADDRESS"] = self.bus
        os.environ["XDG_RUNTIME_DIR"] = self.runtime

    def _start_notifications(self):
        r, w = os.pipe()
        argv = ["/usr/bin/python3", os.path.join(os.path.dirname(os.path.abspath(__file__)), "notification_server.py"),
                self.notification_log, "--capabilities", ",".join(self.notifications), "--ready-fd", str(w)]
        if self.silent_notifications:
            argv.append("--silent")
        self.notification_service = self._spawn("notifications", argv, pass_fds=(w,))
        os.close(w)
        self._read_line_from(r, self.notification_service, "the notification service")

    def _start_openbox(self):
        self._spawn("openbox", ["openbox", "--sm-disable"])
        poll("openbox to manage the screen",
             lambda: "window id #" in self.x(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], check=False),
             timeout=15)

    def start_tray(self):
        self._start_tray()

    def _start_tray(self):
        tray = self._spawn("trayer", ["trayer", "--edge", "top", "--align", "right", "--widthtype", "pixel", "--width",
                               "200", "--height", "32", "--transparent", "false", "--tint", "0xd0d0d0",
                               "--SetDockType", "true", "--SetPartialStrut", "true"])
        def owned():
            if tray.poll() is not None:
                fail(f"trayer ended with status {tray.returncode}")
            return tray_manager_window()
        poll("trayer to own the notification area", owned, timeout=15)

    def close(self):
        # The teardown runs to its end: the test's own deadline no longer applies.
        signal.alarm(0)
        # No key or button may stay held for whatever runs next on this server.
        if self.display and self._running("xvfb"):
            try:
                for key in HELD:
                    self.x(["xdotool", "keyup", key], check=False, timeout=5)
                for button in ("1", "3"):
                    self.x(["xdotool", "mouseup", button], check=False, timeout=5)
            except Failure as error:
                log(f"releasing the keys failed: {error}")
        # Last started, first ended: the clock before its tray, the X server
        # last. Each with what it started itself (faketime runs the clock as
        # its child), noted before the parent ends.
        ours = {p.pid for _, p in self.processes}
        for label, process in reversed(self.processes):
            if label == "xvfb":
                self._end_orphans(ours)
            if process.poll() is None:
                self._end([(f"{label} child", pid) for pid in reversed(_descendants(process.pid))]
                          + [(label, process.pid)])
            try:
                process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                log(f"{label} ({process.pid}) did not end")
        self._end_orphans(ours)
        remove_faketime_leftovers({p.pid for _, p in self.processes if p.args[0] == "faketime"})
        self.processes = []
        if os.environ.get("TICKWELL_E2E_KEEP"):
            log(f"kept {self.root}")
        else:
            shutil.rmtree(self.root, ignore_errors=True)

    def _end_orphans(self, ours):
        # The accessibility bus launcher and its registry detach from the
        # session bus that starts them; as our orphans they are ours to end.
        # (The tools x() runs have ended already.)
        for orphan in _children_of(os.getpid()):
            if orphan not in ours:
                label = f"orphan {_command(orphan)}"
                self._end([(label, pid) for pid in reversed(_descendants(orphan))] + [(label, orphan)])
                try:
                    os.waitpid(orphan, 0)
                except ChildProcessError:
                    pass

    def _end(self, group):
        for _, pid in group:
            self._signal(pid, signal.SIGTERM)
        end = time.monotonic() + 5
        while time.monotonic() < end and any(_alive(pid) for _, pid in group):
            self._reap()
            time.sleep(0.02)
        for label, pid in group:
            if _alive(pid):
                log(f"{label} ({pid}) ignored SIGTERM; killing it")
                self._signal(pid, signal.SIGKILL)

    @staticmethod
    def _signal(pid, sig):
        try:
            os.kill(pid, sig)
        except ProcessLookupError:
            pass

    def _reap(self):
        for _, process in self.processes:
            process.poll()

    def _running(self, label):
        return any(l == label and p.poll() is None for l, p in self.processes)

    def dump_logs(self):
        for label, process in self.processes:
            code = process.poll()
            state = "running" if code is None else \
                f"ended by signal {-code}" if code < 0 else f"ended with status {code}"
            log(f"---- {label} ({process.pid}): {state}")
        for label, path in self.logs.items():
            try:
                with open(path, errors="replace") as f:
                    text = f.read().strip()
            except OSError:
                continue
            if text:
                log(f"---- {label} log ----\n{text[-4000:]}")

    # ----- the program -----

    def clock(self, binary, *, fake_time=None, speed=1, preload=False, label="tickwell", extra_env=None,
              runner=(), cwd=None):
        """Starts the clock in the working directory (or `cwd`); under faked time if a start time is given, running
        `speed` times as fast as the real one. With `preload` the faking library is loaded into the clock
        itself rather than through the faketime wrapper, so that signals reach the clock's own process.
        `runner`: a command that runs the clock in its own process, such as another_user()'s."""
        env = dict(self.env)
        env["QT_QPA_PLATFORM"] = "xcb"
        if self.accessibility:
            env["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"
        env.update(extra_env or {})
        argv = [binary]
        if fake_time is not None:
            faked_clock = "@" + fake_time + (f" x{speed}" if speed != 1 else "")
            if preload:
                env["LD_PRELOAD"] = faketime_library()
                env["FAKETIME"] = faked_clock
            else:
                remove_faketime_leftovers()  # of earlier runs, whose PIDs this wrapper may be given
                argv = ["faketime", "-f", faked_clock, binary]
        argv = list(runner) + argv
        started = time.monotonic()
        process = self._spawn(label, argv, env=env, cwd=cwd or self.work)
        return Clock(self, process, started, fake_time, speed=speed, wrapped=fake_time is not None and not preload)

    def command(self, binary, *args, runner=(), env=None, cwd=None, quiet=False):
        """Runs the program with a command line in the working directory (or `cwd`), as a user at a terminal
        would, to its end: (status, standard output, standard error). `env`: variables to set, or with None to
        unset."""
        environment = {name: value for name, value in {**self.env, **(env or {})}.items() if value is not None}
        try:
            done = subprocess.run([*runner, binary, *args], env=environment, cwd=cwd or self.work,
                                  stdin=subprocess.DEVNULL, capture_output=True, text=True, timeout=60)
        except subprocess.TimeoutExpired:
            fail(f"tickwell {' '.join(args)} did not end within 60 s")
        if not quiet:
            log(f"tickwell {' '.join(args)}: status {done.returncode}"
                + (f", said {done.stderr.strip()!r}" if done.stderr.strip() else ""))
        return done.returncode, done.stdout, done.stderr

    def command_started(self, binary, *args, stdout=subprocess.DEVNULL, label="tickwell-command", cwd=None):
        """Starts the program with a command line in the working directory (or `cwd`) and leaves it running: its
        Popen, standard error a pipe (read it with said_until()), standard output `stdout`."""
        process = subprocess.Popen([binary, *args], env=self.env, cwd=cwd or self.work, stdin=subprocess.DEVNULL,
                                   stdout=stdout, stderr=subprocess.PIPE, preexec_fn=_die_with_parent)
        self.processes.append((label, process))
        return process

    def said_until(self, process, wanted, timeout=15.0):
        """What a process started with command_started() has written to its standard error, read until it
        holds `wanted` (fails after `timeout` seconds)."""
        said = b""
        end = time.monotonic() + timeout
        while wanted.encode() not in said:
            left = end - time.monotonic()
            if left <= 0:
                fail(f"{' '.join(process.args[1:])} did not say {wanted!r} within {timeout:g} s: {said!r}")
            ready, _, _ = select.select([process.stderr], [], [], min(left, 0.2))
            if ready:
                chunk = os.read(process.stderr.fileno(), 4096)
                if not chunk and process.poll() is not None:
                    fail(f"{' '.join(process.args[1:])} ended ({process.returncode}) without saying {wanted!r}:"
                         f" {said!r}")
                said += chunk
        return said.decode(errors="replace")

    def signal(self, pid, name):
        os.kill(pid, getattr(signal, name))

    def another_user(self):
        """Opens the working directory and its alarm file to another user (nobody), who gets a home and a
        runtime folder of its own: (a runner for clock(), the environment to give it there)."""
        nobody = 65534
        os.chmod(self.root, 0o711)
        os.chmod(self.work, 0o777)
        if os.path.exists(self.alarm_file()):
            os.chmod(self.alarm_file(), 0o666)
        home, runtime = os.path.join(self.root, "other-home"), os.path.join(self.root, "other-runtime")
        for folder in (home, runtime):
            os.mkdir(folder, 0o700)
            os.chown(folder, nobody, nobody)
        runner = ["setpriv", f"--reuid={nobody}", f"--regid={nobody}", "--clear-groups"]
        return runner, {"HOME": home, "XDG_RUNTIME_DIR": runtime, "XDG_CONFIG_HOME": os.path.join(home, ".config"),
                        "XDG_DATA_HOME": os.path.join(home, ".local", "share"),
                        "XDG_CACHE_HOME": os.path.join(home, ".cache"), "DBUS_SESSION_BUS_ADDRESS": "disabled:"}

    def alarm_file(self):
        return os.path.join(self.work, "Alarm.dat")

    def write_alarms(self, data):
        with open(self.alarm_file(), "wb") as f:
            f.write(data)

    def read_alarms(self):
        return read_file(self.alarm_file())

    # ----- notifications and sound -----

    def notification_calls(self, call=None):
        """The calls the notification service has had so far, in order, as dicts; only `call`s if given."""
        try:
            with open(self.notification_log) as f:
                calls = [json.loads(line) for line in f if line.endswith("\n")]
        except FileNotFoundError:
            return []
        return [c for c in calls if call is None or c["call"] == call]

    def notification_user(self, action):
        """Plays the user at the newest open notification: "click" on it, "dismiss" it, or choose its button
        with this action key."""
        if action in ("click", "dismiss"):
            os.kill(self.notification_service.pid, signal.SIGUSR1 if action == "click" else signal.SIGUSR2)
            return
        with open(self.notification_log + ".choice", "w") as f:
            f.write(action + "\n")
        os.kill(self.notification_service.pid, signal.SIGHUP)

    def sound_played(self):
        """How many bytes of samples the sound card has been sent."""
        try:
            return os.path.getsize(self.sound)
        except FileNotFoundError:
            return 0

    def sounds(self):
        """How many sounds the sound card has played: a reminder's ring is a sound again and again."""
        try:
            with open(self.sounds_log) as f:
                return f.read().count("sound")
        except FileNotFoundError:
            return 0

    def preferences_file(self):
        return os.path.join(self.env["XDG_CONFIG_HOME"], "org.example.Tickwell", "preferences")

    def write_preferences(self, text):
        os.makedirs(os.path.dirname(self.preferences_file()), exist_ok=True)
        with open(self.preferences_file(), "w") as f:
            f.write(text)

    def log_of(self, label):
        with open(self.logs[label], errors="replace") as f:
            return f.read()

    # ----- X -----

    def x(self, argv, *, check=True, timeout=15):
        try:
            done = subprocess.run(argv, env=self.env, stdin=subprocess.DEVNULL, capture_output=True, text=True,
                                  timeout=timeout)
        except subprocess.TimeoutExpired:
            fail(f"{' '.join(argv)} hung for {timeout} s")
        if check and done.returncode != 0:
            raise ToolFailure(f"{' '.join(argv)} failed ({done.returncode}): {done.stderr.strip()}")
        return done.stdout

    def search(self, args):
        out = self.x(["xdotool", "search"] + args, check=False)
        return [int(w) for w in out.split()]

    def visible(self, title):
        """The mapped windows with exactly this title."""
        return self.search(["--onlyvisible", "--name", "^" + re.escape(title) + "$"])

    def wait_visible(self, title, timeout=10.0):
        return poll(f'a window titled "{title}"', lambda: self.visible(title), timeout=timeout)[0]

    def wait_gone(self, title, timeout=10.0):
        poll(f'the window "{title}" to go', lambda: not self.visible(title), timeout=timeout)

    def poll_without_box(self, what, probe, why, timeout=5.0):
        """poll(), failing at once should a reminder box come up meanwhile."""
        def checked():
            if self.visible(TITLE_BOX):
                fail(f"a reminder box came up {why}")
            return probe()
        return poll(what, checked, timeout=timeout)

    def wait_unmapped(self, window, what, timeout=10.0):
        def unmapped():
            try:
                return self.geometry(window)[4] != "IsViewable"
            except ToolFailure:
                return True  # destroyed
        poll(f"{what} to close", unmapped, timeout=timeout)

    def geometry(self, window):
        """(x, y, width, height, map state) of a window, the position in root coordinates."""
        out = self.x(["xwininfo", "-id", str(window)])
        value = lambda key: re.search(rf"{key}:\s+(\S+)", out).group(1)
        return (int(value("Absolute upper-left X")), int(value("Absolute upper-left Y")), int(value("Width")),
                int(value("Height")), value("Map State"))

    def pointer(self):
        out = self.x(["xdotool", "getmouselocation", "--shell"])
        return int(re.search(r"X=(\d+)", out).group(1)), int(re.search(r"Y=(\d+)", out).group(1))

    def move(self, x, y):
        # Not "--sync": it waits for a motion that never comes when the pointer is already there.
        self.x(["xdotool", "mousemove", str(x), str(y)])
        poll(f"the pointer to reach {x},{y}", lambda: self.pointer() == (x, y), timeout=5)

    def click(self, x, y, button=1, repeat=1):
        self.move(x, y)
        args = ["xdotool", "click"] + (["--repeat", str(repeat), "--delay", "120"] if repeat > 1 else []) + \
            [str(button)]
        self.x(args)

    def click_window(self, window, button=1, repeat=1):
        x, y, w, h, _ = self.geometry(window)
        self.click(x + w // 2, y + h // 2, button, repeat)

    def close_box(self, box, what="the reminder box"):
        """Return, as a user at the keyboard closes a box."""
        self.focus(box)
        self.key("Return")
        self.wait_unmapped(box, what, timeout=5)

    def key(self, *keys):
        # Never "--window": a key that destroys the window would kill xdotool and leave the key held.
        for k in keys:
            self.x(["xdotool", "key", "--delay", "60", k])

    def type(self, text):
        self.x(["xdotool", "type", "--delay", "60", text])

    def focus(self, window):
        self.x(["xdotool", "windowfocus", "--sync", str(window)], timeout=10)

    def foreign_window(self, title):
        """A big window of another program over the middle of the screen, where boxes come up."""
        self._spawn("xmessage", ["xmessage", "-title", title, "-geometry", "900x560+190+120",
                                 "A window of another program"])
        return self.wait_visible(title)

    def raise_window(self, window):
        self.x(["xdotool", "windowraise", str(window)], timeout=10)

    def window_property(self, window, name):
        return self.x(["xprop", "-id", str(window), name], check=False)

    def stacking(self):
        """Client windows, bottom to top, as the window manager stacks them."""
        out = self.x(["xprop", "-root", "_NET_CLIENT_LIST_STACKING"])
        return [int(w, 16) for w in re.findall(r"0x[0-9a-f]+", out)]

    def screenshot(self, window, name):
        if not self.screenshots:
            return None
        os.makedirs(self.screenshots, exist_ok=True)
        path = os.path.join(self.screenshots, name)
        self.x(["import", "-window", str(window), path])
        log(f"screenshot {path}")
        return path

    def grab(self, window, path):
        self.x(["import", "-window", str(window), path])
        return path

    def ink(self, png, x, y, width, height):
        """The span (left, right) of whatever differs from the background in that part of a picture,
        right exclusive; None where there is only background."""
        done = subprocess.run(["convert", png, "-crop", f"{width}x{height}+{x}+{y}", "+repage", "-fuzz", "8%",
                               "-format", "%@", "info:"], capture_output=True, text=True, env=self.env, timeout=30)
        found = re.match(r"(\d+)x(\d+)\+(\d+)\+(\d+)", done.stdout)
        if not found or int(found.group(1)) == 0:
            return None
        left, span = int(found.group(3)), int(found.group(1))
        return left, left + span

    def text_width(self, text, points=8.25, dpi=96):
        """The inked width of a line of text in fontconfig's sans serif, as ImageMagick renders it."""
        font = self.x(["fc-match", "-f", "%{file}", "Sans Serif"]).strip()
        done = subprocess.run(["convert", "-background", "black", "-fill", "white", "-font", font, "-density",
                               str(dpi), "-pointsize", str(points), "label:" + text, "-format", "%@", "info:"],
                              capture_output=True, text=True, env=self.env, timeout=30)
        found = re.match(r"(\d+)x", done.stdout)
        if not found:
            fail(f"ImageMagick cannot render {text!r} in {font}: {done.stderr.strip()}")
        return int(found.group(1))

    def differing_pixels(self, a, b):
        done = subprocess.run(["compare", "-metric", "AE", a, b, "null:"], capture_output=True, text=True,
                              env=self.env, timeout=30)
        if done.returncode not in (0, 1):
            fail(f"compare failed: {done.stderr.strip()}")
        return int(float(done.stderr.split()[0]))

    # ----- the notification area -----

    def parent(self, window):
        out = self.x(["xwininfo", "-children", "-id", str(window)])
        return int(re.search(r"Parent window id: (0x[0-9a-f]+)", out).group(1), 16)

    def root_window(self):
        out = self.x(["xwininfo", "-root"])
        return int(re.search(r"Window id: (0x[0-9a-f]+)", out).group(1), 16)

    def _tray_panel_above(self, window, root):
        """trayer's window that holds `window`, if one does."""
        w = window
        while w != root:
            if '"trayer"' in self.window_property(w, "WM_CLASS"):
                return w
            w = self.parent(w)
        return None

    def tray_icons(self):
        """The clock's windows that trayer has taken in (a window manager's frames hold others)."""
        root = self.root_window()
        icons = []
        for w in self.search(["--class", "tickwell"]):
            try:
                if self.parent(w) != root and self._tray_panel_above(w, root):
                    icons.append(w)
            except ToolFailure:
                pass  # gone in the meantime
        return icons

    def panel(self, icon):
        """trayer's panel window holding an icon."""
        panel = self._tray_panel_above(icon, self.root_window())
        if not panel:
            fail(f"0x{icon:x} is not in the notification area")
        return panel

    def wait_icon(self, timeout=15.0):
        def embedded():
            for icon in self.tray_icons():
                if self.geometry(icon)[4] == "IsViewable":
                    return icon
            return None
        return poll("the clock's icon to be embedded in the notification area", embedded, timeout=timeout)

    def open_tray_menu(self, icon):
        self.click_window(icon, button=3)
        self.x(["xdotool", "mouseup", "3"], check=False)
        return poll("the tray menu to open", lambda: self.popup_menus(), timeout=5)[0]

    def choose_from_tray_menu(self, icon, position, screenshot=None):
        """Opens the icon's menu with the right button and takes its `position`th item (from 1) with the
        keyboard: the menu's texts are not on the accessibility bus, its order is fixed."""
        menu = self.open_tray_menu(icon)
        if screenshot:
            self.screenshot(menu, screenshot)
        self.key(*["Down"] * position)
        self.key("Return")
        poll("the tray menu to close", lambda: menu not in self.popup_menus(), timeout=5)

    def popup_menus(self):
        menus = []
        for w in self.search(["--onlyvisible", "--class", "tickwell"]):
            if w in self.tray_icons():
                continue
            # Qt marks its popup menus override-redirect, but types them normal.
            if "Override Redirect State: yes" in self.x(["xwininfo", "-id", str(w)], check=False) and \
                    "TOOLTIP" not in self.window_property(w, "_NET_WM_WINDOW_TYPE"):
                menus.append(w)
        return menus


_xlib = None


def tray_manager_window():
    global _xlib
    if _xlib is None:
        _xlib = ctypes.CDLL(ctypes.util.find_library("X11"))
    x = _xlib
    x.XOpenDisplay.restype = ctypes.c_void_p
    x.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x.XInternAtom.restype = ctypes.c_ulong
    x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x.XGetSelectionOwner.restype = ctypes.c_ulong
    x.XGetSelectionOwner.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
    x.XCloseDisplay.argtypes = [ctypes.c_void_p]
    d = x.XOpenDisplay(None)
    if not d:
        return 0
    try:
        return x.XGetSelectionOwner(d, x.XInternAtom(d, b"_NET_SYSTEM_TRAY_S0", 0))
    finally:
        x.XCloseDisplay(d)


def read_file(path):
    """The file's bytes, or None where there is no such file (yet)."""
    try:
        with open(path, "rb") as f:
            return f.read()
    except FileNotFoundError:
        return None


def remove_faketime_leftovers(pids=None):
    """The faketime wrapper keeps a semaphore and a shared memory segment in /dev/shm named by its PID, and
    removes them when its program ends; ended by a signal, as a test's teardown ends it, it leaves them
    behind. A later wrapper given the same PID then refuses to start ("sem_open: File exists"), and PIDs
    come round again soon (pid_max may be 32768). Removes those of the wrappers `pids`, or else of every
    wrapper that no longer runs."""
    for path in glob.glob("/dev/shm/sem.faketime_sem_*") + glob.glob("/dev/shm/faketime_shm_*"):
        pid = path.rsplit("_", 1)[1]
        if not pid.isdigit():
            continue
        ended = int(pid) in pids if pids is not None else not _alive(int(pid))
        if ended:
            with contextlib.suppress(FileNotFoundError):
                os.unlink(path)


def channel_of(pid):
    """The path of the socket the clock `pid` listens on, from the kernel's table of sockets."""
    inodes = set()
    for fd in os.listdir(f"/proc/{pid}/fd"):
        target = os.readlink(f"/proc/{pid}/fd/{fd}")
        if target.startswith("socket:["):
            inodes.add(target[8:-1])
    with open("/proc/net/unix") as f:
        for line in f.readlines()[1:]:
            fields = line.split()
            if len(fields) >= 8 and fields[6] in inodes and os.path.basename(fields[7]).startswith("tickwell-"):
                return fields[7]
    fail("the clock listens on no socket")


def faketime_library():
    found = glob.glob("/usr/lib/*/faketime/libfaketime.so.1")
    if not found:
        fail("libfaketime.so.1 is missing (scripts/bootstrap test installs faketime)")
    return found[0]


class Clock:
    """The program under test, and the faked clock it runs on."""

    def __init__(self, desktop, process, started, fake_time, *, speed=1, wrapped=True):
        self.desktop = desktop
        self.process = process
        self.started = started  # time.monotonic() just before the start
        self.faked = fake_time is not None
        self.fake_start = datetime.datetime.fromisoformat(fake_time) if self.faked else None
        self.speed = speed
        self.wrapped = wrapped  # the faketime wrapper runs the clock as its child
        self._pid = None

    # The faked clock starts when the program does and runs on at `speed`
    # times the real rate. Taken from just before the start, these are a few
    # milliseconds early.
    def fake_now(self):
        return self.fake_start + datetime.timedelta(seconds=(time.monotonic() - self.started) * self.speed)

    def moment_of(self, fake):
        """time.monotonic() at which the program's clock shows `fake`."""
        return self.started + (fake - self.fake_start).total_seconds() / self.speed

    def sleep_until(self, fake):
        left = self.moment_of(fake) - time.monotonic()
        if left > 0:
            time.sleep(left)

    def still_before(self, fake, doing):
        """Fails if the program's clock has already reached `fake`: the test was too slow to be meaningful."""
        if self.fake_now() >= fake:
            fail(f"{doing} took until {self.fake_now():%H:%M:%S.%f} on the program's clock, past {fake:%H:%M:%S}"
                 " (the machine is too slow for this test's margin)")

    @property
    def pid(self):
        """The clock's own PID: the faketime wrapper runs it as its child."""
        if not self.wrapped:
            return self.process.pid
        if self._pid is None:
            self._pid = poll("faketime to start the clock", lambda: _children_of(self.process.pid), timeout=10)[0]
        return self._pid

    def running(self):
        return self.process.poll() is None

    def wait_exit(self, timeout):
        try:
            return self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            fail(f"the clock did not end within {timeout:g} s")


def start_clock(desktop, binary, **options):
    """Starts the clock and waits for its icon and for it on the accessibility bus: (clock, icon, a11y)."""
    clock = desktop.clock(binary, **options)
    icon = desktop.wait_icon()
    a11y = Accessibility(desktop, clock.pid)
    a11y.wait_app()
    return clock, icon, a11y


def open_editor(desktop, icon, a11y):
    """Opens the editor as a user does, with a double click on the icon: (its window, the Editor)."""
    desktop.click_window(icon, repeat=2)
    return desktop.wait_visible(TITLE_EDITOR), Editor(a11y)


def run(test, *args):
    """Runs one test function: prints its outcome and sets the exit status ctest reads."""
    # ctest's own timeout kills outright; ending first lets the teardown run.
    deadline = int(os.environ.get("TICKWELL_E2E_DEADLINE", "240"))

    def out_of_time(signum, frame):
        raise Failure(f"the test ran out of its {deadline} s")

    signal.signal(signal.SIGALRM, out_of_time)
    def terminated(signum, frame):
        raise Failure("terminated from outside")

    signal.signal(signal.SIGTERM, terminated)
    signal.alarm(deadline)
    try:
        test(*args)
    except Failure as error:
        log(f"FAIL: {error}")
        sys.exit(1)
    except Exception:
        traceback.print_exc()
        log("FAIL: the test itself broke")
        sys.exit(1)
    finally:
        signal.alarm(0)
    log("PASS")


class Accessibility:
    """The clock's widgets as its accessibility bridge presents them on the desktop's accessibility bus."""

    def __init__(self, desktop, pid):
        if not desktop.accessibility:
            fail("this desktop was started without a session bus for the accessibility bridge")
        try:
            import pyatspi  # only now: it reads the bus address and the display at import
        except ImportError as error:
            fail(f"pyatspi is missing ({error}); run with /usr/bin/python3 after scripts/bootstrap test")
        self.atspi = pyatspi
        self.desktop = desktop
        self.pid = pid

    def app(self):
        desk = self.atspi.Registry.getDesktop(0)
        for i in range(desk.childCount):
            app = desk.getChildAtIndex(i)
            if app is not None and app.get_process_id() == self.pid:
                return app
        return None

    def wait_app(self, timeout=15.0):
        return poll("the clock on the accessibility bus", self.app, timeout=timeout)

    def windows(self):
        app = self.app()
        if app is None:
            return []
        app.clear_cache()  # texts change under us; always ask the program afresh
        return [app.getChildAtIndex(i) for i in range(app.childCount)]

    def window(self, name, role=None, timeout=10.0):
        def found():
            for w in self.windows():
                if w is not None and w.name == name and (role is None or w.getRoleName() == role) and \
                        self.showing(w):
                    return w
            return None
        return poll(f'the window "{name}" on the accessibility bus', found, timeout=timeout)

    def showing(self, accessible):
        return accessible.getState().contains(self.atspi.STATE_SHOWING)

    def has(self, accessible, state):
        """Whether the accessible is in that state ("focused", "selected", "focusable"...), asked afresh."""
        accessible.clear_cache()
        return accessible.getState().contains(getattr(self.atspi, "STATE_" + state.upper()))

    def focused(self, root):
        """The innermost named descendant that has the keyboard's focus, or None: the day in a calendar
        that has it, the text field around the nameless part of it that takes the keys."""
        found = [node for node in self.all(root) if node.name and self.has(node, "focused")]
        return found[-1] if found else None

    def listen_for_focus(self):
        """From now on, notes where the bridge says the focus goes, as a screen reader hears it."""
        self._heard = []
        self._listener = lambda event: self._heard.append((event.source.getRoleName(), event.source.name))
        self.atspi.Registry.registerEventListener(self._listener, "focus:")

    def focus_heard(self):
        """(role, name) of where the focus went last, as told since listen_for_focus(); None before that."""
        from gi.repository import GLib  # with pyatspi
        context = GLib.MainContext.default()
        while context.iteration(False):
            pass
        return self._heard[-1] if self._heard else None

    def value(self, accessible):
        accessible.clear_cache()
        return accessible.queryValue().currentValue

    def all(self, root, role=None, name=None, showing=True):
        """Every descendant with that role (and name), depth first, in the program's own order."""
        found = []

        def walk(node):
            for i in range(node.childCount):
                child = node.getChildAtIndex(i)
                if child is None:
                    continue
                if (role is None or child.getRoleName() == role) and (name is None or child.name == name) and \
                        (not showing or self.showing(child)):
                    found.append(child)
                walk(child)
        root.clear_cache()
        walk(root)
        return found

    def one(self, root, role, name=None):
        found = self.all(root, role, name)
        if len(found) != 1:
            fail(f"expected one {role} {name!r} in {root.name!r}, found {len(found)}: {[f.name for f in found]}")
        return found[0]

    def text(self, accessible):
        accessible.clear_cache()
        return accessible.queryText().getText(0, -1)

    def extents(self, accessible):
        box = accessible.queryComponent().getExtents(self.atspi.DESKTOP_COORDS)
        return box.x, box.y, box.width, box.height

    def click(self, accessible, repeat=1):
        """A real mouse click in the middle of the widget, where a user would click."""
        x, y, w, h = self.extents(accessible)
        if w <= 0 or h <= 0:
            fail(f"{accessible.getRoleName()} {accessible.name!r} has no place on the screen")
        self.desktop.click(x + w // 2, y + h // 2, repeat=repeat)

    def cut_off(self, window, labels, png, reference):
        """The labels whose text is wider than the place it has in `window`, as shown in the picture `png`.

        A text's width is measured by rendering it in the font the program's windows use (fontconfig's
        sans serif at 8.25 points and 96 dots per inch), scaled by how that rendering compares with the
        `reference` label as the window shows it (whole, with room to spare)."""
        wx, wy, _, _ = self.extents(window)

        def shown(label):
            x, y, width, height = self.extents(label)
            return self.desktop.ink(png, x - wx, y - wy, width, height), width

        ink, width = shown(reference)
        if not ink or ink[1] > width - 3:
            fail(f"the label {reference.name!r} is not shown whole: it cannot be the measure for the others")
        scale = (ink[1] - ink[0]) / self.desktop.text_width(reference.name)
        if not 0.9 < scale < 1.1:
            fail(f"the window's font renders {scale:.2f} times as wide as fontconfig's sans serif: not measurable")
        cut = []
        for label in labels:
            ink, width = shown(label)
            needed = self.desktop.text_width(label.name) * scale
            log(f"label {label.name!r}: {width} px of room, needs {needed:.0f} px, ink {ink}, shows "
                f"{0 if not ink else ink[1] - ink[0]} px of ink")
            # Too wide at the window's font size, and its ink runs into the edge: cut off. A label
            # that has made its text smaller to fit ends its ink short of the edge.
            if needed > width and (not ink or ink[1] >= width - 1):
                cut.append(label.name)
        return cut

    def reminder(self):
        """The texts of the reminder box on show, as a screen reader reads them."""
        alert = self.window(TITLE_BOX, role="alert")
        return [label.name for label in self.all(alert, "label") if label.name]

    def rows(self, list_accessible):
        return [item.name for item in self.all(list_accessible, "list item", showing=False)]


class Editor:
    """The alarm editor's controls, found the way a screen reader finds them: by role, text and place."""

    def __init__(self, a11y, window=None):
        self.a11y = a11y
        self.window = window or a11y.window(TITLE_EDITOR)

    def _label_starting(self, *prefixes):
        for label in self.a11y.all(self.window, "label"):
            if label.name.startswith(prefixes):
                return label
        fail(f"no label starting with {prefixes} in the editor")

    def now_caption(self):
        return self._label_starting("It is now : ").name

    def new_alarm_caption(self):
        return self._label_starting("New Alarm : ", "< No Selected Time/Date >").name

    def _time_frame(self):
        for frame in self.a11y.all(self.window, "frame"):
            if self.a11y.all(frame, "text", "Hour"):
                return frame
        fail("no hour/minute panel in the editor")

    def hour_field(self):
        return self.a11y.one(self.window, "text", "Hour")

    def minute_field(self):
        return self.a11y.one(self.window, "text", "Minute")

    def am_pm(self):
        """The AM/PM switch: a button in the time panel, named by the half of the day it shows."""
        buttons = self.a11y.all(self._time_frame(), "push button")
        if len(buttons) != 1:
            fail(f"no single AM/PM button in the editor: {[b.name for b in buttons]}")
        return buttons[0]

    def calendar(self):
        """The calendar: a list named by the month and year it shows, its days the items."""
        lists = [l for l in self.a11y.all(self.window, "list") if re.fullmatch(r"[A-Z][a-z]+ \d{4}", l.name)]
        if len(lists) != 1:
            fail(f"no single calendar in the editor: {[l.name for l in lists]}")
        return lists[0]

    def days(self):
        """The days shown, each named by its full date ("Friday, March 8, 2030")."""
        return self.a11y.all(self.calendar(), "list item")

    def day(self, number):
        for day in self.days():
            if re.fullmatch(rf"\w+, \w+ {number}, \d{{4}}", day.name):
                return day
        fail(f"no day {number} in the editor's calendar")

    def picked_days(self):
        return [day.name for day in self.days() if self.a11y.has(day, "selected")]

    def _labelled(self, accessible):
        return [relation.getTarget(0).name for relation in accessible.getRelationSet()
                if relation.getRelationType() == self.a11y.atspi.RELATION_LABELLED_BY]

    def repeat_choice(self):
        """The repeat choice: the list labelled "Repeat : ", named by what it shows."""
        found = [c for c in self.a11y.all(self.window, "combo box") if self._labelled(c) == ["Repeat : "]]
        if len(found) != 1:
            fail(f"no single repeat choice in the editor: {[c.name for c in found]}")
        return found[0]

    def month(self):
        found = [c for c in self.a11y.all(self.window, "combo box") if not self._labelled(c)]
        if len(found) != 1:
            fail(f"no single month list in the editor: {[c.name for c in found]}")
        return found[0].name

    def year(self):
        return self.a11y.text(self.a11y.one(self.window, "text", "Year"))

    def reminder_field(self):
        return self.a11y.one(self.window, "text", "Reminder Text")

    def alarm_list(self):
        # Showing only: the reminders are kept in a hidden list of their own.
        return self.a11y.one(self.window, "list", "Exisiting Alarms")

    def rows(self):
        return self.a11y.rows(self.alarm_list())

    def row_descriptions(self):
        """What a screen reader says after each row's name: how the alarm repeats, if it does."""
        return [item.description for item in self.a11y.all(self.alarm_list(), "list item", showing=False)]

    def button(self, name):
        return self.a11y.one(self.window, "push button", name)
