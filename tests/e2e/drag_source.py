#!/usr/bin/python3
"""A window to drag files from, for the end-to-end drop test: a GTK button at
(X, Y) on the screen whose drag offers the files named on the command line as
a text/uri-list, the way a file manager does (XDND). Prints "ready" once it
is on screen; quits when its drag has ended, or after a minute.

Usage: drag_source.py X Y FILE...   (Debian's python3 with python3-gi and
gir1.2-gtk-3.0)"""
import os
import sys

import gi

gi.require_version("Gtk", "3.0")
gi.require_version("Gdk", "3.0")
from gi.repository import Gdk, GLib, Gtk  # noqa: E402


def main():
    x, y = int(sys.argv[1]), int(sys.argv[2])
    uris = [GLib.filename_to_uri(os.path.abspath(path), None) for path in sys.argv[3:]]
    window = Gtk.Window(title="rr drag source")
    window.set_default_size(120, 80)
    window.move(x, y)
    button = Gtk.Button(label="drag")
    button.drag_source_set(Gdk.ModifierType.BUTTON1_MASK, [], Gdk.DragAction.COPY)
    button.drag_source_add_uri_targets()
    button.connect("drag-data-get", lambda widget, context, data, info, time: data.set_uris(uris))
    button.connect("drag-end", lambda *args: GLib.timeout_add(300, Gtk.main_quit))
    window.add(button)
    window.connect("map-event", lambda *args: print("ready", flush=True))
    window.connect("destroy", Gtk.main_quit)
    window.show_all()
    GLib.timeout_add_seconds(60, Gtk.main_quit)
    Gtk.main()


if __name__ == "__main__":
    main()
