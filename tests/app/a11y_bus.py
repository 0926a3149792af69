#!/usr/bin/python3
"""The diary read through the real accessibility bus, as Orca reads it.

Run inside `dbus-run-session`: starts its own Xvfb (-displayfd), the program
on an archive of three days with accessibility always on, then reads the
program's tree through AT-SPI (pyatspi): every focusable control named, the
readings by their whole place, the navigator a tool bar of named buttons,
the list a table whose current row follows the keyboard. Every wait polls
with a deadline.

Usage: a11y_bus.py <tonalba> <tonalba-cli> <diario.frf>
"""

import os
import shutil
import subprocess
import sys
import tempfile
import time

import pyatspi
from gi.repository import GLib

DEADLINE = 20.0


def fail(message):
    print("FAILED:", message)
    sys.exit(1)


def poll(what, probe, deadline=DEADLINE):
    end = time.monotonic() + deadline
    while time.monotonic() < end:
        GLib.MainContext.default().iteration(False)
        value = probe()
        if value:
            return value
        time.sleep(0.05)
    fail("timed out waiting for " + what)


def start_xvfb():
    read, write = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                            pass_fds=[write], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write)
    number = b""
    end = time.monotonic() + DEADLINE
    while not number.endswith(b"\n") and time.monotonic() < end:
        chunk = os.read(read, 16)
        if not chunk:
            break
        number += chunk
    os.close(read)
    if not number.strip():
        fail("Xvfb gave no display")
    return xvfb, ":" + number.decode().strip()


def walk(node, depth=0):
    yield node, depth
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            yield from walk(child, depth + 1)


def check_window(window):
    """Every focusable control of the window has a name (a combo box's list and
    a table's cells excepted: their owner and their header name them)."""
    for node, _ in walk(window):
        if not node.getState().contains(pyatspi.STATE_FOCUSABLE) or node.name.strip():
            continue
        if node.getRole() in (pyatspi.ROLE_TABLE_CELL, pyatspi.ROLE_LIST_ITEM):
            continue
        parent = node.parent
        if parent is not None and parent.getRole() in (pyatspi.ROLE_COMBO_BOX, pyatspi.ROLE_MENU):
            continue
        fail("%s: a focusable %s without a name" % (window.name, node.getRoleName()))


def find_app():
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        if app is not None and app.name.lower() == "tonalba" and app.childCount > 0:
            return app
    return None


def main():
    program, cli, template = sys.argv[1], sys.argv[2], sys.argv[3]
    home = tempfile.mkdtemp(prefix="tonalba-a11y-")
    shutil.copy(template, os.path.join(home, "diario.frf"))
    archive = os.path.join(home, "rossi.mdb")
    days = os.path.join(home, "giorni.csv")
    with open(days, "w", encoding="utf-8") as f:
        f.write("Data;SX_MIN_1;SX_MAX_1;SX_PULS_1;Peso\n01/03/2026;80;130;70;72\n"
                "02/03/2026;82;135;72;72,5\n03/03/2026;78;128;68;71,8\n")
    env = dict(os.environ, TONALBA_HOME=home, TONALBA_LOCALE="it_IT", QT_QPA_PLATFORM="offscreen")
    subprocess.run([cli, "new", archive], env=env, check=True, stdout=subprocess.DEVNULL)
    subprocess.run([cli, "import", archive, days], env=env, check=True, stdout=subprocess.DEVNULL)

    xvfb, display = start_xvfb()
    app_env = dict(env, DISPLAY=display, QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
                   QT_ACCESSIBILITY="1", XDG_CONFIG_HOME=os.path.join(home, "config"))
    log = open(os.path.join(home, "tonalba.log"), "w")
    proc = subprocess.Popen([program], env=app_env, stdout=log, stderr=subprocess.STDOUT)
    try:
        app = poll("the program on the bus", find_app)
        window = poll("its window", lambda: next((app.getChildAtIndex(i) for i in range(app.childCount)
                                                  if app.getChildAtIndex(i).name.startswith("Tonalba 01.02 - ")),
                                                 None))
        print("window:", window.name)
        nodes = list(walk(window))
        check_window(window)
        names = {node.name: node for node, _ in nodes}
        for expected in ["Prima rilevazione, prima misurazione, massima (PAS)",
                         "Seconda rilevazione, seconda misurazione, pulsazioni", "Data", "Peso", "Note",
                         "Lista giorni", "Barra di navigazione", "Ricerca", "Cognome e Nome"]:
            if expected not in names:
                fail("nothing named " + expected)
        bar = names["Barra di navigazione"]
        if bar.getRole() != pyatspi.ROLE_TOOL_BAR:
            fail("the navigator is a " + bar.getRoleName())
        buttons = [bar.getChildAtIndex(i).name for i in range(bar.childCount)
                   if bar.getChildAtIndex(i).getState().contains(pyatspi.STATE_SHOWING)]
        if buttons[:4] != ["Primo", "Precedente", "Successivo", "Ultimo"]:
            fail("navigator buttons: %s" % buttons)
        print("navigator:", ", ".join(buttons))

        # The list: a table of the days on screen, its row following the keys.
        tables = [node for node, _ in nodes if node.getRole() == pyatspi.ROLE_TABLE and node.name == "Lista giorni"]
        if not tables:
            fail("the list is not a table")
        grid = tables[0]
        list_button = next(node for node, _ in nodes
                           if node.name == "Lista giorni" and node.getRole() == pyatspi.ROLE_PUSH_BUTTON)
        list_button.queryAction().doAction(0)
        table = grid.queryTable()
        poll("the list's rows", lambda: table.nRows == 3)
        headers = [table.getColumnDescription(c) for c in range(table.nColumns)]
        if headers != ["Data", "Peso", "BMI", "Minima", "Massima", "Note"]:
            fail("column titles: %s" % headers)
        focused = []

        def on_focus(event):
            if event.detail1 and event.source.getRole() == pyatspi.ROLE_TABLE_CELL:
                focused.append(event.source.name)

        pyatspi.Registry.registerEventListener(on_focus, "object:state-changed:focused")
        # No window manager gives the window the keyboard: xdotool does, and
        # keys go where the pointer is.
        x_env = dict(os.environ, DISPLAY=display)
        xid = subprocess.run(["xdotool", "search", "--name", "^Tonalba 01\\.02 - "], env=x_env, check=True,
                             capture_output=True, text=True).stdout.split()[0]
        subprocess.run(["xdotool", "windowfocus", "--sync", xid], env=x_env, check=True)
        subprocess.run(["xdotool", "mousemove", "--window", xid, "300", "300"], env=x_env, check=True)
        grid.queryComponent().grabFocus()
        poll("the list's focus", lambda: grid.getState().contains(pyatspi.STATE_FOCUSED))
        first = table.getSelectedRows()
        subprocess.run(["xdotool", "key", "--clearmodifiers", "Up"], env=x_env, check=True)
        poll("the row to change", lambda: table.getSelectedRows() != first)
        row = table.getSelectedRows()[0]
        date = table.getAccessibleAt(row, 0).name
        print("rows %s -> %s, the current day: %s" % (list(first), list(table.getSelectedRows()), date))
        if date != "02/03/2026":
            fail("the current row reads " + date)
        poll("the reader to be told", lambda: "02/03/2026" in focused)
        print("announced:", focused[-1])

        # The other windows, opened as a user opens them (keys and clicks,
        # never a bus call that would wait inside their modal loop).
        def key(*keys):
            subprocess.run(["xdotool", "key", "--clearmodifiers", *keys], env=x_env, check=True)

        def window_named(name):
            return poll("the window %s (there are: %s)" % (name, [app.getChildAtIndex(i).name for i in range(app.childCount)
                                                                  if app.getChildAtIndex(i) is not None]), lambda: next(
                (app.getChildAtIndex(i) for i in range(app.childCount)
                 if app.getChildAtIndex(i) is not None and app.getChildAtIndex(i).name.startswith(name)), None))

        def named_once(window, expected):
            check_window(window)
            found = [node.name for node, _ in walk(window)]
            for name in expected:
                if name not in found:
                    fail("%s: nothing named %s (names: %s)" % (window.name, name, found))
            print("%s: %s" % (window.name, ", ".join(expected)))

        def click(node):
            x, y, w, h = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
            subprocess.run(["xdotool", "mousemove", str(x + w // 2), str(y + h // 2), "click", "1"], env=x_env,
                           check=True)

        key("alt+s")
        period = window_named("Periodo")
        named_once(period, ["da data", "a data", "Annulla", "Stampa"])
        click(next(node for node, _ in walk(period)
                   if node.name == "Stampa" and node.getRole() == pyatspi.ROLE_PUSH_BUTTON))
        preview = window_named("Anteprima")
        named_once(preview, ["Pagine", "Apri", "Stampa", "Trova", "Chiudi", "Pagina precedente"])
        # On Linux a combo box is read by its value, its hint as the description.
        zoom = next(node for node, _ in walk(preview) if node.getRole() == pyatspi.ROLE_COMBO_BOX)
        if zoom.description != "Ingrandimento":
            fail("the zoom box is described as %r" % zoom.description)
        click(next(node for node, _ in walk(preview)
                   if node.name == "Chiudi" and node.getRole() == pyatspi.ROLE_PUSH_BUTTON))
        poll("the preview to close", lambda: not any(
            app.getChildAtIndex(i) is not None and app.getChildAtIndex(i).name.startswith("Anteprima")
            for i in range(app.childCount)))
        # The delete question: the navigator's button, clicked where it is.
        delete = next(bar.getChildAtIndex(i) for i in range(bar.childCount)
                      if bar.getChildAtIndex(i).name == "Cancella")
        click(delete)
        question = poll("the delete question", lambda: next(
            (app.getChildAtIndex(i) for i in range(app.childCount)
             if app.getChildAtIndex(i) is not None and app.getChildAtIndex(i).getRole() == pyatspi.ROLE_DIALOG
             and app.getChildAtIndex(i).getState().contains(pyatspi.STATE_SHOWING)), None))
        check_window(question)
        texts = [node.name for node, _ in walk(question) if node.name]
        buttons = [node.name for node, _ in walk(question) if node.getRole() == pyatspi.ROLE_PUSH_BUTTON]
        if len(buttons) != 2 or not all(buttons):
            fail("the question's buttons: %s" % buttons)
        print("question %s: %s" % (question.name, " | ".join(texts[1:])))
        key("Escape")

        # The archive chooser: a second start with two archives.
        proc.terminate()
        proc.wait(10)
        subprocess.run([cli, "new", os.path.join(home, "bianchi.mdb")], env=env, check=True,
                       stdout=subprocess.DEVNULL)
        proc = subprocess.Popen([program], env=app_env, stdout=log, stderr=subprocess.STDOUT)
        app = poll("the program on the bus again", find_app)
        chooser = poll("the archive chooser", lambda: next(
            (app.getChildAtIndex(i) for i in range(app.childCount)
             if app.getChildAtIndex(i) is not None and app.getChildAtIndex(i).getRole() == pyatspi.ROLE_DIALOG
             and app.getChildAtIndex(i).getState().contains(pyatspi.STATE_SHOWING)), None))
        named_once(chooser, ["Scegliere l'archivio", "Archivi", "bianchi", "rossi"])
        print("a11y_bus: passed")
    finally:
        proc.terminate()
        try:
            proc.wait(10)
        except subprocess.TimeoutExpired:
            proc.kill()
        xvfb.terminate()
        xvfb.wait()
        log.close()
        shutil.rmtree(home, ignore_errors=True)


if __name__ == "__main__":
    main()
