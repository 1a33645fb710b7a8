# SPDX-License-Identifier: GPL-3.0-or-later
"""Moments on a private X server, read from its events rather than by polling:
when the notification area takes in an icon, and when the window manager
takes on a window. A poller, or a tool whose output is read, would add its
own wake-up to every figure on a busy machine.

As a program: xwatch.py client-list LOG
  writes a line "MONOTONIC WINDOW..." to LOG at each change of the window
  manager's client list, MONOTONIC being when the X server made the change,
  on this machine's monotonic clock, until it is ended by SIGTERM.
"""

import ctypes
import ctypes.util
import select
import signal
import sys
import threading
import time


class _Event(ctypes.Union):
    _fields_ = [("type", ctypes.c_int), ("words", ctypes.c_ulong * 24)]


class _Attributes(ctypes.Structure):
    # XWindowAttributes, up to map_state.
    _fields_ = [("x", ctypes.c_int), ("y", ctypes.c_int), ("width", ctypes.c_int), ("height", ctypes.c_int),
                ("border_width", ctypes.c_int), ("depth", ctypes.c_int), ("visual", ctypes.c_void_p),
                ("root", ctypes.c_ulong), ("c_class", ctypes.c_int), ("bit_gravity", ctypes.c_int),
                ("win_gravity", ctypes.c_int), ("backing_store", ctypes.c_int), ("backing_planes", ctypes.c_ulong),
                ("backing_pixel", ctypes.c_ulong), ("save_under", ctypes.c_int), ("colormap", ctypes.c_ulong),
                ("map_installed", ctypes.c_int), ("map_state", ctypes.c_int), ("rest", ctypes.c_long * 8)]


_CREATE_NOTIFY, _MAP_NOTIFY, _REPARENT_NOTIFY, _PROPERTY_NOTIFY = 16, 19, 21, 28
_STRUCTURE_NOTIFY, _SUBSTRUCTURE_NOTIFY, _PROPERTY_CHANGE = 1 << 17, 1 << 19, 1 << 22
_IS_VIEWABLE = 2
_X = None
# A window gone between its event and a query about it is no failure here.
_IGNORE_ERRORS = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)(lambda display, error: 0)


def _xlib():
    global _X
    if _X is None:
        x = ctypes.CDLL(ctypes.util.find_library("X11"))
        x.XOpenDisplay.restype = ctypes.c_void_p
        x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x.XDefaultRootWindow.restype = ctypes.c_ulong
        x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        x.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
        x.XConnectionNumber.argtypes = [ctypes.c_void_p]
        x.XPending.argtypes = [ctypes.c_void_p]
        x.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.POINTER(_Event)]
        x.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        x.XGetWindowAttributes.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(_Attributes)]
        x.XInternAtom.restype = ctypes.c_ulong
        x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
        x.XChangeProperty.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_int,
                                      ctypes.c_int, ctypes.c_char_p, ctypes.c_int]
        x.XGetWindowProperty.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_long,
                                         ctypes.c_long, ctypes.c_int, ctypes.c_ulong,
                                         ctypes.POINTER(ctypes.c_ulong), ctypes.POINTER(ctypes.c_int),
                                         ctypes.POINTER(ctypes.c_ulong), ctypes.POINTER(ctypes.c_ulong),
                                         ctypes.POINTER(ctypes.c_void_p)]
        x.XFree.argtypes = [ctypes.c_void_p]
        x.XSetErrorHandler.restype = ctypes.c_void_p
        x.XSetErrorHandler.argtypes = [ctypes.c_void_p]
        x.XCloseDisplay.argtypes = [ctypes.c_void_p]
        x.XSetErrorHandler(ctypes.cast(_IGNORE_ERRORS, ctypes.c_void_p))
        _X = x
    return _X


class _Watch(threading.Thread):
    """One connection to the display and a thread that reads its events."""

    def __init__(self, display, root_events):
        super().__init__(daemon=True)
        x = _xlib()
        self.d = x.XOpenDisplay(display.encode() if display else None)
        if not self.d:
            raise RuntimeError(f"cannot open display {display}")
        self.root = x.XDefaultRootWindow(self.d)
        x.XSelectInput(self.d, self.root, root_events)
        x.XSync(self.d, 0)
        self._ending = threading.Event()

    def events(self):
        x, event = _X, _Event()
        fd = x.XConnectionNumber(self.d)
        while not self._ending.is_set():
            if not x.XPending(self.d):
                select.select([fd], [], [], 0.1)
                continue
            x.XNextEvent(self.d, ctypes.byref(event))
            yield event.type, event.words

    def close(self):
        self._ending.set()
        self.join(timeout=2)
        _X.XCloseDisplay(self.d)


class EmbedWatch(_Watch):
    """Notes the monotonic time at which a window that left the root window for
    another parent (the notification area's socket: no window manager runs)
    is first viewable there."""

    def __init__(self, display):
        super().__init__(display, _SUBSTRUCTURE_NOTIFY)
        self.embedded_at = None
        self.start()

    def _viewable(self, window):
        attributes = _Attributes()
        return _X.XGetWindowAttributes(self.d, window, ctypes.byref(attributes)) and \
            attributes.map_state == _IS_VIEWABLE

    def run(self):
        docked = set()
        for kind, words in self.events():
            now = time.monotonic()
            if kind == _CREATE_NOTIFY:
                # Before it can be mapped anywhere: its own map events come to us.
                _X.XSelectInput(self.d, words[5], _STRUCTURE_NOTIFY)
            elif kind == _REPARENT_NOTIFY and words[4] == self.root and words[6] != self.root:
                docked.add(words[5])
                _X.XSelectInput(self.d, words[5], _STRUCTURE_NOTIFY)
                if self._viewable(words[5]):
                    self.embedded_at = now
            elif kind == _MAP_NOTIFY and words[5] in docked and self._viewable(words[5]):
                self.embedded_at = now
            if self.embedded_at is not None:
                return


class ClientListWatch(_Watch):
    """Calls report(monotonic, windows) at each change of the window manager's
    client list, with the time at which the X server made the change. The
    server stamps its events in milliseconds of the monotonic clock; the
    offset to time.monotonic() is taken from a property change of our own.
    (Not the wall clock: slewed against the server's clock by as much as
    5 ms a second, it would put a window seconds later milliseconds off.)"""

    def __init__(self, display, report):
        super().__init__(display, _PROPERTY_CHANGE)
        x = _X
        self.report = report
        self.clients = x.XInternAtom(self.d, b"_NET_CLIENT_LIST", 0)
        self.probe = x.XInternAtom(self.d, b"_TICKWELL_BENCH_PROBE", 0)
        self.offset = None  # monotonic minus server time, in seconds
        self._calibrate()
        self.start()

    def _calibrate(self):
        x, event = _X, _Event()
        best = None
        for _ in range(5):
            before = time.monotonic()
            x.XChangeProperty(self.d, self.root, self.probe, 31, 8, 0, b"x", 1)  # XA_STRING, replace
            x.XSync(self.d, 0)
            after = time.monotonic()
            while True:
                x.XNextEvent(self.d, ctypes.byref(event))
                if event.type == _PROPERTY_NOTIFY and event.words[5] == self.probe:
                    break
            stamp = event.words[6] & 0xFFFFFFFF
            # The server's stamp is whole milliseconds, cut: the moment lies
            # in the millisecond that follows it.
            offset = (before + after) / 2 - (stamp + 0.5) / 1e3
            if best is None or after - before < best[0]:
                best = (after - before, offset)
        self.offset = best[1]

    def _windows(self):
        kind, fmt = ctypes.c_ulong(), ctypes.c_int()
        count, left, data = ctypes.c_ulong(), ctypes.c_ulong(), ctypes.c_void_p()
        if _X.XGetWindowProperty(self.d, self.root, self.clients, 0, 4096, 0, 0, ctypes.byref(kind),
                                 ctypes.byref(fmt), ctypes.byref(count), ctypes.byref(left),
                                 ctypes.byref(data)) != 0 or not data.value:
            return []
        try:
            return list(ctypes.cast(data.value, ctypes.POINTER(ctypes.c_ulong))[:count.value])
        finally:
            _X.XFree(data)

    def run(self):
        for kind, words in self.events():
            if kind == _PROPERTY_NOTIFY and words[5] == self.clients:
                stamp = words[6] & 0xFFFFFFFF
                self.report(self.offset + (stamp + 0.5) / 1e3, self._windows())


def _client_list(log_path):
    with open(log_path, "w", buffering=1) as log:
        watch = ClientListWatch(None, lambda moment, windows: log.write(
            "%.6f %s\n" % (moment, " ".join(hex(w) for w in windows))))
        ended = threading.Event()
        signal.signal(signal.SIGTERM, lambda *_: ended.set())
        log.write("ready\n")
        while not ended.wait(0.2):
            pass
        watch.close()


if __name__ == "__main__":
    if len(sys.argv) != 3 or sys.argv[1] != "client-list":
        sys.exit(__doc__)
    _client_list(sys.argv[2])
