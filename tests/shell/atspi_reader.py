#!/usr/bin/python3
"""Reads the editor of the running tavi through AT-SPI, as Orca does, from another process.

    atspi_reader.py READY_FILE SECONDS

Finds the application "tavi" and its editable text, writes READY_FILE once it listens, then
prints, one per line: every text-changed insert ("insert OFFSET TEXT") and caret move ("caret
OFFSET") of the editor, and when SECONDS have passed the editor's text and caret ("text ...",
"at CARET") and the line at the caret as a Braille display would show it ("line ...").
"""
import sys
import time

import pyatspi
from gi.repository import GLib


def find_app(name, seconds=15):
    deadline = time.time() + seconds
    while time.time() < deadline:
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            if app is not None and app.name == name:
                return app
        time.sleep(0.2)
    sys.exit(f"no application named {name}")


def find_editor(node, depth=0):
    if node is None or depth > 30:
        return None
    if node.getRole() == pyatspi.ROLE_TEXT and node.getState().contains(pyatspi.STATE_EDITABLE):
        return node
    for child in node:
        found = find_editor(child, depth + 1)
        if found is not None:
            return found
    return None


def main():
    ready_file, seconds = sys.argv[1], float(sys.argv[2])
    app = find_app("tavi")
    editor = None
    deadline = time.time() + 15
    while editor is None and time.time() < deadline:
        editor = find_editor(app)
        time.sleep(0.2)
    if editor is None:
        sys.exit("no editable text in tavi")
    print(f"name {editor.name}", flush=True)

    def on_event(event):
        if event.source != editor:
            return
        if event.type.startswith("object:text-changed:insert"):
            print(f"insert {event.detail1} {event.any_data}", flush=True)
        elif event.type.startswith("object:text-caret-moved"):
            print(f"caret {event.detail1}", flush=True)

    pyatspi.Registry.registerEventListener(on_event, "object:text-changed:insert",
                                           "object:text-caret-moved")
    with open(ready_file, "w") as f:
        f.write("ready\n")

    def finish():
        text = editor.queryText()
        caret = text.caretOffset
        print(f"text {text.getText(0, -1)}", flush=True)
        print(f"at {caret}", flush=True)
        line = text.getTextAtOffset(max(caret - 1, 0), pyatspi.TEXT_BOUNDARY_LINE_START)
        print(f"line {line[0].rstrip()}", flush=True)
        pyatspi.Registry.stop()
        return False

    GLib.timeout_add(int(seconds * 1000), finish)
    pyatspi.Registry.start()


if __name__ == "__main__":
    main()
