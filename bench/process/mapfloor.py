# SPDX-License-Identifier: GPL-3.0-or-later
"""The floor of the real-clock reminder benchmark: what the desktop itself
takes to put a window on screen at a minute, with no toolkit and no clock.

At each of the moments given (seconds since the epoch, on the wall clock) it
maps a plain top-level window of a reminder box's size, woken as the hidden
clock is, by a CLOCK_REALTIME timer descriptor set for the moment; each
window is made ready a second after the one before, and leaves the screen
then. The window manager takes it on as it takes on the reminder box.

As a program: mapfloor.py LOG MOMENT...
  writes "MOMENT WALL MONOTONIC" to LOG for each moment, as
  bench/process/firstread.c does for the clock's tick: the wall clock and
  the monotonic clock (seconds) just after the map request went out.
"""

import ctypes
import ctypes.util
import os
import select
import sys
import time

_CLOCK_REALTIME = 0
_TFD_TIMER_ABSTIME = 1


class _Timespec(ctypes.Structure):
    _fields_ = [("seconds", ctypes.c_long), ("nanoseconds", ctypes.c_long)]


class _Itimerspec(ctypes.Structure):
    _fields_ = [("interval", _Timespec), ("value", _Timespec)]


def main():
    log, moments = sys.argv[1], [int(m) for m in sys.argv[2:]]
    libc = ctypes.CDLL(None, use_errno=True)
    x = ctypes.CDLL(ctypes.util.find_library("X11"))
    x.XOpenDisplay.restype = ctypes.c_void_p
    x.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x.XDefaultRootWindow.restype = ctypes.c_ulong
    x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    x.XCreateSimpleWindow.restype = ctypes.c_ulong
    x.XCreateSimpleWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong] + [ctypes.c_int] * 2 + [ctypes.c_uint] * 3 \
        + [ctypes.c_ulong] * 2
    for name in ("XMapWindow", "XDestroyWindow"):
        getattr(x, name).argtypes = [ctypes.c_void_p, ctypes.c_ulong]
    x.XStoreName.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_char_p]
    x.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
    x.XFlush.argtypes = [ctypes.c_void_p]
    display = x.XOpenDisplay(None)
    if not display:
        sys.exit("mapfloor: cannot open the display")
    root = x.XDefaultRootWindow(display)
    timer = libc.timerfd_create(_CLOCK_REALTIME, 0)
    window = 0
    with open(log, "a") as out:
        for moment in moments:
            if moment <= time.time():
                continue
            window = x.XCreateSimpleWindow(display, root, 500, 350, 280, 110, 0, 0, 0xffffff)
            x.XStoreName(display, window, b"Floor")
            x.XSync(display, 0)
            when = _Itimerspec(_Timespec(0, 0), _Timespec(moment, 0))
            libc.timerfd_settime(timer, _TFD_TIMER_ABSTIME, ctypes.byref(when), None)
            select.select([timer], [], [])
            os.read(timer, 8)
            x.XMapWindow(display, window)
            x.XFlush(display)
            out.write(f"{moment} {time.time():.6f} {time.monotonic():.6f}\n")
            out.flush()
            time.sleep(1)
            x.XDestroyWindow(display, window)
            x.XSync(display, 0)


if __name__ == "__main__":
    main()
