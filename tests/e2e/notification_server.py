# SPDX-License-Identifier: GPL-3.0-or-later
"""A desktop notification service for the tests: it owns
org.freedesktop.Notifications on the session bus it is given, shows
nothing, and writes every call it gets to a log, one JSON object a line.

    notification_server.py LOG [--capabilities body,actions,sound] [--silent] [--ready-fd N]

With --silent it takes the calls and never answers them. SIGUSR1 plays a
user who clicks the newest open notification (its default action), SIGUSR2
one who dismisses it, SIGHUP one who chooses its button whose action key is
written in the file LOG.choice; the notification then closes, as a chosen
button closes it on the desktops' services. Once the name is owned it writes
"ready" to the --ready-fd, or to standard output.

Run with Debian's /usr/bin/python3: python3-dbus and python3-gi are Debian packages.
"""

import argparse
import json
import os
import signal
import sys
import time

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

NAME = "org.freedesktop.Notifications"
PATH = "/org/freedesktop/Notifications"


def plain(value):
    """A D-Bus value as JSON: a variant's type by name beside its value; a picture by its size only."""
    if isinstance(value, dbus.Struct):
        return [len(v) if isinstance(v, dbus.Array) else plain(v) for v in value]
    if isinstance(value, (dbus.Array, list)):
        return [plain(v) for v in value]
    if isinstance(value, (dbus.Boolean, bool)):
        return bool(value)
    if isinstance(value, (dbus.Byte, dbus.Int32, dbus.UInt32, int)):
        return int(value)
    return str(value)


class Server(dbus.service.Object):
    def __init__(self, bus, log, capabilities, silent):
        super().__init__(bus, PATH)
        self.log = log
        self.capabilities = capabilities
        self.silent = silent
        self.open = []
        self.last_id = 0
        self.unanswered = []  # kept, so that the calls stay unanswered rather than fail

    def note(self, call, **fields):
        self.log.write(json.dumps(dict(call=call, time=time.time(), monotonic=time.monotonic(), **fields)) + "\n")
        self.log.flush()

    @dbus.service.method(NAME, in_signature="", out_signature="as", async_callbacks=("reply", "error"))
    def GetCapabilities(self, reply, error):
        self.note("GetCapabilities")
        if self.silent:
            self.unanswered.append(reply)
        else:
            reply(dbus.Array(self.capabilities, signature="s"))

    @dbus.service.method(NAME, in_signature="susssasa{sv}i", out_signature="u",
                         async_callbacks=("reply", "error"))
    def Notify(self, app_name, replaces_id, app_icon, summary, body, actions, hints, expire_timeout, reply, error):
        self.last_id += 1
        self.note("Notify", id=self.last_id, app_name=str(app_name), replaces_id=int(replaces_id),
                  app_icon=str(app_icon), summary=str(summary), body=str(body), actions=[str(a) for a in actions],
                  hints={str(k): [type(v).__name__, plain(v)] for k, v in hints.items()},
                  expire_timeout=int(expire_timeout))
        if self.silent:
            self.unanswered.append(reply)
            return
        self.open.append(self.last_id)
        reply(dbus.UInt32(self.last_id))

    @dbus.service.method(NAME, in_signature="u", out_signature="")
    def CloseNotification(self, id):
        self.note("CloseNotification", id=int(id))
        if id in self.open:
            self.open.remove(id)
            self.NotificationClosed(id, 3)

    @dbus.service.method(NAME, in_signature="", out_signature="ssss")
    def GetServerInformation(self):
        return ("tests", "tickwell", "1", "1.2")

    @dbus.service.signal(NAME, signature="uu")
    def NotificationClosed(self, id, reason):
        self.note("NotificationClosed", id=int(id), reason=int(reason))

    @dbus.service.signal(NAME, signature="us")
    def ActionInvoked(self, id, action_key):
        self.note("ActionInvoked", id=int(id), action=str(action_key))

    @dbus.service.signal(NAME, signature="us")
    def ActivationToken(self, id, token):
        pass

    def click(self):
        if self.open:
            self.ActivationToken(self.open[-1], "token-from-the-test")
            self.ActionInvoked(self.open[-1], "default")
        return True

    def choose(self):
        with open(self.log.name + ".choice") as f:
            action = f.read().strip()
        if self.open:
            id = self.open.pop()
            self.ActionInvoked(id, action)
            self.NotificationClosed(id, 2)
        return True

    def dismiss(self):
        if self.open:
            self.NotificationClosed(self.open.pop(), 2)
        return True


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("log")
    parser.add_argument("--capabilities", default="body,actions,sound")
    parser.add_argument("--silent", action="store_true")
    parser.add_argument("--ready-fd", type=int)
    options = parser.parse_args()

    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    with open(options.log, "a") as log:
        server = Server(bus, log, [c for c in options.capabilities.split(",") if c], options.silent)
        if bus.request_name(NAME, dbus.bus.NAME_FLAG_DO_NOT_QUEUE) != dbus.bus.REQUEST_NAME_REPLY_PRIMARY_OWNER:
            sys.exit("the notification service's name is taken")
        loop = GLib.MainLoop()
        GLib.unix_signal_add(GLib.PRIORITY_DEFAULT, signal.SIGUSR1, server.click)
        GLib.unix_signal_add(GLib.PRIORITY_DEFAULT, signal.SIGUSR2, server.dismiss)
        GLib.unix_signal_add(GLib.PRIORITY_DEFAULT, signal.SIGHUP, server.choose)
        GLib.unix_signal_add(GLib.PRIORITY_DEFAULT, signal.SIGTERM, lambda: loop.quit() or False)
        if options.ready_fd is None:
            print("ready", flush=True)
        else:
            os.write(options.ready_fd, b"ready\n")
            os.close(options.ready_fd)
        loop.run()


if __name__ == "__main__":
    main()
