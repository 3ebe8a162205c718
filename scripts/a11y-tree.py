#!/usr/bin/python3
"""Reads KadrimarkEXIF's window as a screen reader does, through AT-SPI.

Prints every accessible object of the running program: role, name, states,
actions, text and value; long lists show their first rows. With --press NAME
it then presses the push button NAME through its action, as a screen reader
user would, and prints the message box that follows.

The window must run with QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 on the same
session bus, for example:

  dbus-run-session -- xvfb-run -a -s '-screen 0 1280x800x24' bash -c '
    QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 build/kadrimarkexif ~/Pictures &
    scripts/a11y-tree.py --press "Add EXIF"; kill %1'

Needs python3-pyatspi and at-spi2-core (Debian's python3, hence /usr/bin/python3).
"""
import argparse
import sys
import time

import pyatspi

SHOWN_STATES = {
    pyatspi.STATE_FOCUSED: "focused",
    pyatspi.STATE_SELECTED: "selected",
    pyatspi.STATE_CHECKED: "checked",
    pyatspi.STATE_EXPANDED: "expanded",
    pyatspi.STATE_SHOWING: "showing",
    pyatspi.STATE_SENSITIVE: "sensitive",
}


def find_program(name, timeout):
    """The program's accessible application, waited for up to `timeout` seconds."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            if app is not None and app.name == name:
                return app
        time.sleep(0.5)
    sys.exit(f"a11y-tree: no accessible application named {name}")


def describe(node):
    """One line: role, quoted name, states, actions, text and value."""
    parts = [node.getRoleName(), repr(node.name)]
    states = node.getState()
    parts += [label for state, label in SHOWN_STATES.items() if states.contains(state)]
    try:
        action = node.queryAction()
        parts.append("actions=" + ",".join(action.getName(i) for i in range(action.nActions)))
    except NotImplementedError:
        pass
    try:
        text = node.queryText()
        content = text.getText(0, -1)
        if content and content != node.name:
            parts.append("text=" + repr(content))
    except NotImplementedError:
        pass
    try:
        value = node.queryValue()
        parts.append(f"value={value.currentValue:g} [{value.minimumValue:g}..{value.maximumValue:g}]")
    except NotImplementedError:
        pass
    return " ".join(parts)


def dump(node, depth=0, rows=8):
    print("  " * depth + describe(node))
    count = node.childCount
    for i in range(min(count, rows)):
        child = node.getChildAtIndex(i)
        if child is not None:
            dump(child, depth + 1, rows)
    if count > rows:
        print("  " * (depth + 1) + f"... {count - rows} more")


def find(node, role, name):
    if node.getRole() == role and node.name == name:
        return node
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        found = child is not None and find(child, role, name)
        if found:
            return found
    return None


def press(app, name, timeout):
    """Presses the push button `name` by its action; returns the box that opens."""
    button = find(app, pyatspi.ROLE_PUSH_BUTTON, name)
    if button is None:
        sys.exit(f"a11y-tree: no push button named {name!r}")
    windows_before = app.childCount
    action = button.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    action.doAction(names.index("Press") if "Press" in names else 0)
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        for i in range(app.childCount):
            window = app.getChildAtIndex(i)
            if window is not None and window.getRole() in (pyatspi.ROLE_DIALOG, pyatspi.ROLE_ALERT):
                return window
        time.sleep(0.2)
    sys.exit(f"a11y-tree: pressing {name!r} opened no box ({windows_before} windows)")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--program", default="kadrimarkexif")
    parser.add_argument("--press", metavar="NAME", help="press this push button and read the box")
    parser.add_argument("--rows", type=int, default=8, help="children shown per object")
    parser.add_argument("--timeout", type=float, default=20)
    args = parser.parse_args()
    app = find_program(args.program, args.timeout)
    dump(app, rows=args.rows)
    if args.press:
        box = press(app, args.press, args.timeout)
        print(f"--- after pressing {args.press!r}:")
        dump(box, rows=args.rows)


if __name__ == "__main__":
    main()
