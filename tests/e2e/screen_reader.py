#!/usr/bin/python3
# The update road as a screen reader takes it, through AT-SPI on a session bus of its own: the
# real program in the simulated world, under the virtual display the test runs on.
# Usage: screen_reader.py WORLD UPDATER TOOL PACKAGE [LANGUAGE TRANSLATIONS.ts]
# With a language the words are the translations' (exit 77 while that file does not exist).
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import xml.etree.ElementTree as ElementTree

world, updater, tool, package = sys.argv[1:5]
language, translations = (sys.argv[5:] + [None, None])[:2]
if translations and not os.path.exists(translations):
    sys.exit(77)
words = {m.findtext("source"): m.findtext("translation") for m in (
    ElementTree.parse(translations).iter("message") if translations else [])}


def tr(english):
    return words.get(english) or english


def fail(why):
    raise SystemExit(f"FAIL: {why}")


work = tempfile.mkdtemp(prefix="ovk-screen-reader.")
for name in ["HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR",
             "TMPDIR"]:
    os.environ[name] = os.path.join(work, name)
    os.makedirs(os.environ[name], mode=0o700)
os.makedirs(f"{work}/run/bin")
os.symlink(tool, f"{work}/run/bin/util")
# Where the program opens a web page: a browser that notes the address.
opened = f"{work}/opened"
with open(f"{work}/run/bin/xdg-open", "w") as browser:
    browser.write(f'#!/bin/sh\necho "$@" >> {opened}\n')
os.chmod(f"{work}/run/bin/xdg-open", 0o755)
bus = dict(re.findall(r"(\w+)='?([^';\n]*)", subprocess.run(
    ["dbus-launch", "--sh-syntax"], check=True, capture_output=True, text=True).stdout))
os.environ["DBUS_SESSION_BUS_ADDRESS"] = bus["DBUS_SESSION_BUS_ADDRESS"]
import pyatspi  # noqa: E402 (finds its bus as it loads)
from gi.repository import Atspi, GLib  # noqa: E402

# A program that is busy showing a window answers late on a slow machine: waited for, not lost.
Atspi.set_timeout(10000, 30000)

heard = []  # each notification as it shows: what a screen reader reads out


def on_showing(event):
    if event.detail1 and event.source.getRoleName() == "notification":
        heard.append(event.source.name)


pyatspi.Registry.registerEventListener(on_showing, "object:state-changed:showing")
environment = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", LANGUAGE=language or "en",
                   OVK_FAKE_TOOL_SLEEP_MS="1000",
                   OVK_FAKE_TOOL_UNTIL=f"{work}/written", PATH=f"{work}/run/bin:{os.environ['PATH']}",
                   # as tools/xdrive.sh says why
                   ASAN_OPTIONS=os.environ.get("ASAN_OPTIONS", "")
                   + ":detect_leaks=0:fast_unwind_on_malloc=1")
log = open(f"{work}/log", "w+")
program = subprocess.Popen(["umockdev-wrapper", world, "--package", package, "--restart-delay",
                            "500", "--", updater], cwd=f"{work}/run", env=environment,
                           stdin=subprocess.PIPE, stdout=log, stderr=subprocess.STDOUT, text=True)


def tree(node):
    yield node
    for child in node:
        yield from tree(child) if child is not None else ()


def wait_for(what, found, seconds=30):
    """What found() gives once it gives something (the tree fills in as windows are made)."""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline and program.poll() is None:
        while GLib.MainContext.default().iteration(False):
            pass
        try:
            if result := found():
                return result
        except Exception:  # an object that went as it was read
            pass
        time.sleep(0.1)
    fail(f"no {what}")


def showing(node):
    return node.getState().contains(pyatspi.STATE_SHOWING)


def shown(nodes, name):
    """The showing one of nodes with this name (or that passes this test)."""
    return next((node for node in nodes if showing(node) and (
        name(node) if callable(name) else node.name == name)), None)


def find(role, name, within=None):
    app = within or next(a for a in pyatspi.Registry.getDesktop(0) if a and a.name == "Updater")
    return shown((node for node in tree(app) if node.getRoleName() == role), name)


def press(node):
    actions = node.queryAction()
    actions.doAction([actions.getName(i) for i in range(actions.nActions)].index("Press"))


def idle():
    """Nothing that shows says an update runs, nor holds a mnemonic's "&"."""
    said = [f"{node.name} {node.description}" for node in tree(window.parent) if showing(node)]
    busy = [tr("Update in progress"), tr("Update in progress..."), "&"]
    if any(words in text for words in busy for text in said):
        fail(f"while idle: {said}")


try:
    window = wait_for("window", lambda: find("frame", "OVK Sensor Updater"), 60)
    wait_for("sensor", lambda: find("status bar", tr("Sensor connected")))
    menus = [node.name for node in tree(window) if node.getRoleName() == "menu item"]
    if menus != [re.sub("&(.)", r"\1", tr(menu)) for menu in ["&File", "&Settings", "&Help"]]:
        fail(f"menus {menus}")
    idle()
    # The logo's link offers each action once, and its Press opens the website.
    link = find("link", tr("OVK website"))
    actions = link.queryAction()
    if sorted(actions.getName(i) for i in range(actions.nActions)) != ["Press", "SetFocus"]:
        fail(f"the link offers {[actions.getName(i) for i in range(actions.nActions)]}")
    press(link)
    wait_for("website", lambda: "localhost" in open(opened).read())
    wait_for("package", lambda: os.path.exists(f"{work}/run/dl/app.zip"))
    # What shows while an update runs, found while hidden: a few objects are quick to follow.
    parts = [node for node in tree(window) if node.getRoleName() in ("label", "progress bar")]
    press(wait_for("button", lambda: find("push button", tr("Update Sensor"))))
    wait_for("progress text", lambda: shown(parts, tr("Update in progress...")))
    wait_for("warning", lambda: shown(parts, tr("Do not unplug the sensor")))
    writing = tr("Writing the firmware")
    wait_for("step", lambda: shown(parts, lambda node: node.getRoleName() == "label"
                                   and node.name.startswith(writing)))
    bar = wait_for("progress", lambda: shown(parts, lambda node: node.name.startswith(writing)
                                             and node.getRoleName() == "progress bar"
                                             and node.queryValue().currentValue > 0)).queryValue()
    if (bar.minimumValue, bar.maximumValue) != (0, 1) or bar.currentValue > 1:
        fail(f"progress {bar.currentValue} of {bar.minimumValue}..{bar.maximumValue}")
    open(f"{work}/written", "w").close()  # heard writing: the tool may end
    done = wait_for("result", lambda: find("dialog", tr("Update done")))
    wait_for("words", lambda: find("label", tr("The update has been completed successfully"), done))
    buttons = [node for node in tree(done) if node.getRoleName() == "push button" and showing(node)]
    if len(buttons) != 1:
        fail(f"the result offers {[node.name for node in buttons]}")
    press(buttons[0])
    wait_for("result closed", lambda: not find("dialog", tr("Update done")))
    idle()
    program.stdin.write("unplug\n")
    program.stdin.flush()
    wait_for("unplugged", lambda: find("status bar", tr("No sensor connected")))
    expected = [tr(said) for said in ["Restarting the sensor into its bootloader",
                                      "Looking for the bootloader", "Writing the firmware",
                                      "Update done", "No sensor connected"]]
    wait_for("announcement", lambda: heard[-1:] == expected[-1:], 10)
    # In this order, whatever the connection said between them as the sensor restarted.
    remaining = iter(heard)
    if not all(said in remaining for said in expected):
        fail(f"announced {heard}, not {expected}")
    print(f"PASS: announced {heard}")
except BaseException:
    log.seek(0)
    print("--- log of the run ---\n" + log.read())
    raise
finally:
    program.communicate("quit\n", timeout=30)
    os.kill(int(bus["DBUS_SESSION_BUS_PID"]), 15)
    shutil.rmtree(work, ignore_errors=True)
