#!/usr/bin/python3
"""Takes the README's screenshots: runs the built program under a private Xvfb, walks
through its windows as a user would, and saves each window as docs/<name>.png.

    dbus-run-session -- /usr/bin/python3 docs/make_screenshots.py build/bin/somnara
"""

import os
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
import pyatspi  # noqa: E402
from harness import Display, Somnara, wait_until  # noqa: E402

DOCS = os.path.dirname(os.path.abspath(__file__))


def shoot(run, window, name, settle=1.5):
    time.sleep(settle)
    x, y, w, h = window.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    subprocess.run(["import", "-window", "root", "-crop", f"{w}x{h}+{x}+{y}", "+repage",
                    os.path.join(DOCS, name + ".png")], check=True)


def showing_window(run, role=None):
    for window in run.windows():
        if run.showing(window) and (role is None or window.getRoleName() == role):
            return window
    return None


def main(program):
    display = Display()
    scratch = tempfile.mkdtemp(prefix="somnara-shots-")
    os.makedirs(os.path.join(scratch, "run"), mode=0o700)
    run = Somnara(os.path.join(scratch, "home"), os.path.join(scratch, "run"), os.path.dirname(program))
    try:
        chooser = run.find("frame", "Somnara v1.45")
        run.set_text(run.find("text", "Your text"), "I am calm and relaxed")
        shoot(run, chooser, "chooser", settle=0.5)

        for method, name in (("Color Wheel", "colour-wheel"), ("Pendulum", "pendulum"), ("Color Box", "colour-box")):
            run.press(run.find("radio button", method))
            run.press(run.find("push button", "Proceed"))
            frame = wait_until(lambda: showing_window(run) if not run.showing(chooser) else None, what=method)
            shoot(run, frame, name, settle=3.0)
            if method == "Color Box":
                run.press(run.find("menu item", "About Software"), opens_modal=True)
                about = wait_until(lambda: showing_window(run, "dialog"), what="About box")
                shoot(run, about, "about", settle=0.5)
                run.press(run.find("push button", "OK"))
                time.sleep(0.5)
            run.press(run.find("push button", "Back"))
            wait_until(lambda: run.showing(chooser), what="chooser")

        run.press(run.find("menu item", "Exit"))
        farewell = wait_until(lambda: showing_window(run), what="refer-a-friend window")
        shoot(run, farewell, "refer-a-friend", settle=0.5)
    finally:
        run.stop()
        display.close()


if __name__ == "__main__":
    main(os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "build/bin/somnara"))
