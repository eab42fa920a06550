#!/usr/bin/env python3
# The benchmark's stopwatch for windows: waits on the X server's own word for a window titled
# TITLE being mapped and prints "START MAPPED PID" in ns of the monotonic clock, the program's.
#   mapwatch.py TITLE [--start DIR -- PROGRAM ...] [--write FIFO] [--timeout S]
# It first prints "ready" once it listens. With --start, START is the moment it starts PROGRAM in
# DIR (PROGRAM's input is its own, the output goes to DIR/log), whose process id is PID; it then
# stays until PROGRAM ends. With --write, START is the moment it writes a line to FIFO.
# Otherwise START and PID are 0.
import ctypes
import os
import select
import subprocess
import sys
import time

SUBSTRUCTURE_NOTIFY_MASK = 1 << 19
MAP_NOTIFY = 19


class MapEvent(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("event", ctypes.c_ulong),
                ("window", ctypes.c_ulong), ("override_redirect", ctypes.c_int)]


class Event(ctypes.Union):
    _fields_ = [("type", ctypes.c_int), ("map", MapEvent), ("pad", ctypes.c_long * 24)]


def xlib():
    x = ctypes.cdll.LoadLibrary("libX11.so.6")
    x.XOpenDisplay.restype = ctypes.c_void_p
    x.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x.XDefaultRootWindow.restype = ctypes.c_ulong
    x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    x.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
    x.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
    x.XConnectionNumber.argtypes = [ctypes.c_void_p]
    x.XPending.argtypes = [ctypes.c_void_p]
    x.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.POINTER(Event)]
    x.XFetchName.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(ctypes.c_char_p)]
    x.XFree.argtypes = [ctypes.c_void_p]
    x.XCloseDisplay.argtypes = [ctypes.c_void_p]
    # A window gone before its name was asked for is no error of ours.
    handler = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)(lambda d, e: 0)
    x.XSetErrorHandler(handler)
    x.keep = handler
    return x


def title_of(x, display, window):
    name = ctypes.c_char_p()
    if not x.XFetchName(display, window, ctypes.byref(name)) or not name.value:
        return None
    title = name.value.decode("utf-8", "replace")
    x.XFree(name)
    return title


def wait_mapped(x, display, title, deadline):
    event = Event()
    while True:
        while x.XPending(display):
            x.XNextEvent(display, ctypes.byref(event))
            seen = time.monotonic_ns()  # before the round trip that asks for the title
            if event.type == MAP_NOTIFY and title_of(x, display, event.map.window) == title:
                return seen
        left = deadline - time.monotonic()
        if left <= 0:
            return None
        select.select([x.XConnectionNumber(display)], [], [], left)


def main():
    args = sys.argv[1:]
    title, timeout, start, program, fifo = args[0], 30.0, None, None, None
    rest = args[1:]
    while rest:
        option = rest.pop(0)
        if option == "--timeout":
            timeout = float(rest.pop(0))
        elif option == "--write":
            fifo = rest.pop(0)
        elif option == "--start":
            start = rest.pop(0)
            program = rest[rest.index("--") + 1:]
            rest = []
    x = xlib()
    display = x.XOpenDisplay(None)
    if not display:
        sys.exit("mapwatch: no display")
    x.XSelectInput(display, x.XDefaultRootWindow(display), SUBSTRUCTURE_NOTIFY_MASK)
    x.XSync(display, 0)
    print("ready", flush=True)
    started, child, pid = 0, None, 0
    if program:
        log = open(os.path.join(start, "log"), "wb")
        started = time.monotonic_ns()
        child = subprocess.Popen(program, cwd=start, stdout=log, stderr=subprocess.STDOUT)
        pid = child.pid
    elif fifo:
        with open(fifo, "w") as trigger:
            started = time.monotonic_ns()
            trigger.write("open\n")
    mapped = wait_mapped(x, display, title, time.monotonic() + timeout)
    if mapped is None:
        print("mapwatch: no window titled %r within %g s" % (title, timeout), file=sys.stderr)
        if child:
            child.kill()
        sys.exit(1)
    print(started, mapped, pid, flush=True)
    x.XCloseDisplay(display)
    if child:
        sys.exit(child.wait())


main()
