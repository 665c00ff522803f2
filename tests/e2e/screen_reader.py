"""What a screen reader hears of one window of the running program, read through AT-SPI as Orca
reads it.

    /usr/bin/python3 screen_reader.py TITLE CAPTION...

Finds the program's window whose title is TITLE and lists every control it shows that can take
the focus: its role, its name and what it is labelled by. A control is named by a label that
labels it (the labelled-by relation that a label's buddy creates) or, unless it is a combo box,
by its own name: on Linux a combo box's name is the entry it shows, never its caption. The frame
around a control labels it too, but with the frame's title, which is no caption of the control.

The controls must be named by the CAPTIONS, one each, in the window's order. Exits 0 when they
are, 1 when they are not, 2 when the window cannot be read.
"""

import sys
import time

import pyatspi

TIMEOUT = 15.0

# Rows and cells of a list or table are the control's content, not controls of their own.
CONTENT_ROLES = {
    pyatspi.ROLE_LIST,
    pyatspi.ROLE_LIST_BOX,
    pyatspi.ROLE_TABLE,
    pyatspi.ROLE_TREE,
    pyatspi.ROLE_TREE_TABLE,
}


def find_window(title):
    """The top-level accessible of the program's window of that title, waiting for it."""
    deadline = time.monotonic() + TIMEOUT
    while True:
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            if app is None:
                continue
            try:
                for window in app:
                    if window is not None and window.name == title:
                        return window
            except Exception:  # an application that left the bus meanwhile
                continue
        if time.monotonic() > deadline:
            names = []
            for app in desktop:
                try:
                    names += [f"{app.name}: {w.name!r}" for w in app if w is not None]
                except Exception:
                    pass
            sys.stderr.write(f"no window {title!r} on the accessibility bus; found {names}\n")
            sys.exit(2)
        time.sleep(0.2)


def showing(acc):
    return acc.getState().contains(pyatspi.STATE_SHOWING)


def controls(acc):
    """The focusable controls shown inside acc, in the window's order."""
    found = []
    for child in acc:
        if child is None or not showing(child):
            continue
        if child.getState().contains(pyatspi.STATE_FOCUSABLE):
            found.append(child)
        if child.getRole() not in CONTENT_ROLES:
            found += controls(child)
    return found


def labels_of(acc):
    """(role, role name, name) of everything acc is labelled by."""
    labels = []
    for relation in acc.getRelationSet():
        if relation.getRelationType() != pyatspi.RELATION_LABELLED_BY:
            continue
        for i in range(relation.getNTargets()):
            target = relation.getTarget(i)
            if target is not None:
                labels.append((target.getRole(), target.getRoleName(), target.name))
    return labels


def captions_of(acc):
    """The captions a screen reader can name the control by."""
    captions = [name for role, _, name in labels_of(acc) if role == pyatspi.ROLE_LABEL and name]
    if acc.getRole() != pyatspi.ROLE_COMBO_BOX and acc.name:
        captions.append(acc.name)
    return captions


def describe(acc):
    labels = ", ".join(f"{role} {name!r}" for _, role, name in labels_of(acc))
    return f"{acc.getRoleName()} named {acc.name!r}, labelled by [{labels}]"


def main():
    if len(sys.argv) < 3:
        sys.stderr.write(__doc__)
        return 2
    title, expected = sys.argv[1], sys.argv[2:]
    window = find_window(title)
    # The window's controls are published a moment after the window itself.
    deadline = time.monotonic() + TIMEOUT
    found = controls(window)
    while len(found) < len(expected) and time.monotonic() < deadline:
        time.sleep(0.2)
        found = controls(window)

    failures = []
    for index, acc in enumerate(found):
        captions = captions_of(acc)
        print(f"  {index + 1:2}. {describe(acc)}")
        if not captions:
            failures.append(f"{describe(acc)}: a screen reader cannot name it")
        elif index < len(expected) and expected[index] not in captions:
            failures.append(f"{describe(acc)}: should be named {expected[index]!r}")
    if len(found) != len(expected):
        failures.append(f"{len(found)} focusable controls, expected {len(expected)}")
    for failure in failures:
        print(f"FAIL: {title!r}: {failure}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
