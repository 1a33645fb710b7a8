# SPDX-License-Identifier: GPL-3.0-or-later
"""The command line at size and under load: --list of ten thousand alarms,
twenty times in a row against a running clock, each answer whole; hundreds
of callers that connect and say nothing, at the clock's limit of open
files, neither stall it nor make it spin; a --list read slowly holds up no
--add, and, with no clock running, no clock that starts meanwhile."""

import datetime
import fcntl
import os
import socket
import statistics
import subprocess
import sys
import termios
import time

from harness import Desktop, channel_of, expect, fail, figure, log, poll, run

COUNT = 10000
FIRST = datetime.datetime(2031, 1, 1)
# Few to spare: a clock of this kind opens some thirty at start.
OPEN_FILES = 64
F_GETPIPE_SZ = 1032


def minute(i):
    return FIRST + datetime.timedelta(minutes=i)


def record(i):
    when = minute(i)
    literal = f"{when:%Y-%m-%d}" if when.time() == datetime.time() else f"{when:%Y-%m-%d %H:%M:%S}"
    return f'#{literal}#,"Number {i}: C:\\temp"\r\n'.encode()


def listed(count):
    return "".join(f"{minute(i):%Y-%m-%d %H:%M}\tNumber {i}: C:\\\\temp\t\n" for i in range(count))


def processor_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def list_and_check(desktop, binary, expected, what):
    started = time.monotonic()
    status, out, err = desktop.command(binary, "--list", quiet=True)
    took = time.monotonic() - started
    if status != 0 or out != expected:
        fail(f"{what}: status {status}, {len(out.splitlines())} lines of {len(expected.splitlines())}"
             f" ({'whole' if out == expected else 'not as listed'}), said {err.strip()!r}")
    return len(out.splitlines()), took


def slow_reader(desktop, binary):
    """A --list whose reader takes nothing yet: started, and once its answer is in, waiting on a full pipe."""
    reader = desktop.command_started(binary, "--list", stdout=subprocess.PIPE, label="tickwell-slow-reader")
    size = fcntl.fcntl(reader.stdout.fileno(), F_GETPIPE_SZ)

    def full():
        waiting = bytearray(4)
        fcntl.ioctl(reader.stdout.fileno(), termios.FIONREAD, waiting)
        return int.from_bytes(waiting, sys.byteorder) >= size
    poll("the slow reader's pipe to fill", full, timeout=30)
    return reader


def read_to_end(reader, expected, what):
    out = reader.stdout.read().decode()
    status = reader.wait(timeout=30)
    if status != 0 or out != expected:
        fail(f"{what}: status {status}, {len(out.splitlines())} lines of {len(expected.splitlines())}")


def scenario(binary, screenshots):
    with Desktop("command-line-load", accessibility=False, screenshots=screenshots) as desktop:
        desktop.write_alarms(b"".join(record(i) for i in range(COUNT)))
        clock = desktop.clock(binary, runner=["prlimit", f"--nofile={OPEN_FILES}", "--"])
        desktop.wait_icon()
        log(f"the clock runs with {len(os.listdir(f'/proc/{clock.pid}/fd'))} files open of {OPEN_FILES}")
        expected = listed(COUNT)

        # Every answer whole, time after time.
        lines, times = [], []
        for run_number in range(20):
            count, took = list_and_check(desktop, binary, expected, f"--list run {run_number + 1}")
            lines.append(count)
            times.append(took)
        log(f"--list of {COUNT} alarms, lines printed in 20 runs: {lines}")
        figure(f"--list of {COUNT} alarms, median of 20", statistics.median(times), "s")
        figure(f"--list of {COUNT} alarms, slowest of 20", max(times), "s")

        # Callers that connect and say nothing, many more than the files the clock may open.
        channel = channel_of(clock.pid)
        silent = []
        for _ in range(300):
            caller = socket.socket(socket.AF_UNIX)
            caller.setblocking(False)
            try:
                caller.connect(channel)
                silent.append(caller)
            except OSError:  # the queue is full for now
                caller.close()
        log(f"{len(silent)} silent callers on the line")
        before = processor_seconds(clock.pid)
        window = time.monotonic()
        list_and_check(desktop, binary, expected, "--list beside the silent callers")
        # A window to measure in, not a condition to wait for: a clock that spins uses it all.
        time.sleep(max(0.0, 3 - (time.monotonic() - window)))
        used = processor_seconds(clock.pid) - before
        figure("the clock's processor time over 3 s beside the silent callers and a --list", used, "s")
        if used > 1.5:
            fail(f"the clock used {used:.2f} s of processor time in 3 s beside callers that say nothing")
        for caller in silent:
            caller.close()

        # A --list read slowly holds nothing up: an --add goes through meanwhile.
        reader = slow_reader(desktop, binary)
        status, out, err = desktop.command(binary, "--add", "2032-01-01 9:00", "Beside a slow reader")
        expect("--add beside a slow reader", (status, out), (0, "The alarm is set for 2032-01-01 09:00.\n"))
        read_to_end(reader, expected, "the slow reader's --list")
        expected += "2032-01-01 09:00\tBeside a slow reader\t\n"

        # With no clock, the --list that reads the file holds its folder's lock no longer than that.
        expect("the status of --quit", desktop.command(binary, "--quit")[0], 0)
        expect("the clock's exit status", clock.wait_exit(timeout=15), 0)
        reader = slow_reader(desktop, binary)
        status, out, err = desktop.command(binary, "--add", "2032-01-01 9:01", "Beside another")
        expect("--add on the file beside a slow reader", (status, out), (0, "The alarm is set for 2032-01-01 09:01.\n"))
        again = desktop.clock(binary, label="tickwell-again")
        desktop.wait_icon()
        if not again.running():
            fail(f"a clock started beside a slow --list ended with status {again.process.returncode}")
        read_to_end(reader, expected, "the slow reader's --list of the file")
        expect("the status of --quit", desktop.command(binary, "--quit")[0], 0)
        expect("the second clock's exit status", again.wait_exit(timeout=15), 0)


if __name__ == "__main__":
    run(scenario, *sys.argv[1:])
