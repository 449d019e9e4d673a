#!/usr/bin/python3
"""Drives Corvane's windows over AT-SPI, as a screen reader or a desktop
automation tool sees them. One command per run; the answer on stdout, exit 0
on success, 1 with the reason on stderr otherwise.

  windows                    the showing top-level windows of the application
  controls WINDOW            every showing control of WINDOW: role, name, states
  press WINDOW NAME          the default action of the showing control NAME
  text WINDOW NAME TEXT      replaces the text of the editable control NAME
  extents WINDOW NAME        x y width height of NAME on the screen

Every command waits up to --timeout seconds for what it needs to appear.
"""

import argparse
import sys
import time

import pyatspi


def application(name):
    desktop = pyatspi.Registry.getDesktop(0)
    for index in range(desktop.childCount):
        app = desktop.getChildAtIndex(index)
        if app is not None and app.name.lower() == name.lower():
            return app
    return None


def showing(node):
    try:
        return node.getState().contains(pyatspi.STATE_SHOWING)
    except Exception:
        return False


def windows(app):
    return [w for w in app if w is not None and showing(w)]


def walk(node):
    for child in node:
        if child is None or not showing(child):
            continue
        yield child
        yield from walk(child)


def find_window(app, title):
    return next((w for w in windows(app) if w.name == title), None)


def actions(node):
    try:
        return node.queryAction().nActions
    except NotImplementedError:
        return 0


def find_control(window, name, actionable=False):
    """The first showing control called NAME; with `actionable`, the first
    one that can be pressed (a label often carries its control's name)."""
    return next((c for c in walk(window)
                 if c.name == name and (not actionable or actions(c) > 0)), None)


def states(node):
    names = []
    for state in (pyatspi.STATE_CHECKED, pyatspi.STATE_FOCUSED, pyatspi.STATE_SELECTED,
                  pyatspi.STATE_ENABLED):
        if node.getState().contains(state):
            names.append(pyatspi.stateToString(state))
    return ",".join(names)


def waiting(find, timeout):
    deadline = time.monotonic() + timeout
    while True:
        found = find()
        if found is not None or time.monotonic() > deadline:
            return found
        time.sleep(0.1)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--app", default="corvane")
    parser.add_argument("--timeout", type=float, default=10.0)
    parser.add_argument("command")
    parser.add_argument("arguments", nargs="*")
    options = parser.parse_args()

    app = waiting(lambda: application(options.app), options.timeout)
    if app is None:
        sys.exit(f"no application {options.app!r} on the accessibility bus")
    if options.command == "windows":
        for window in windows(app):
            print(window.name)
        return

    title = options.arguments[0]
    window = waiting(lambda: find_window(app, title), options.timeout)
    if window is None:
        names = ", ".join(repr(w.name) for w in windows(app))
        sys.exit(f"no showing window {title!r}; showing: {names}")
    if options.command == "controls":
        for control in walk(window):
            print(f"{control.getRoleName()}\t{control.name}\t{states(control)}")
        return

    name = options.arguments[1]
    actionable = options.command == "press"
    control = waiting(lambda: find_control(window, name, actionable), options.timeout)
    if control is None:
        sys.exit(f"no showing control {name!r} in {title!r}")
    if options.command == "press":
        control.queryAction().doAction(0)
    elif options.command == "text":
        control.queryEditableText().setTextContents(options.arguments[2])
    elif options.command == "extents":
        box = control.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        print(box.x, box.y, box.width, box.height)
    else:
        sys.exit(f"unknown command {options.command!r}")


if __name__ == "__main__":
    main()
