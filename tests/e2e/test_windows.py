"""Where the windows open, which one stays above the others, and which window a message
box belongs to: what the program asks of the display system. The X server shows all of
it. A Wayland compositor decides placement and stacking itself and tells no client, so
there those checks are skipped with the reason; what the program asks of the compositor
is read from its own log of Wayland requests instead."""

import os
import re
import subprocess
import time
import unittest

import pyatspi

from harness import ProgramTestCase, wait_until

CAPTION = "Somnara v1.45"


def x11_windows(name):
    """The X ids of the mapped windows with exactly that title."""
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", f"^{name}$"],
                           capture_output=True, text=True)
    return [int(line) for line in found.stdout.split()]


def x11_property(window, name):
    return subprocess.run(["xprop", "-id", str(window), name], capture_output=True, text=True,
                          check=True).stdout


class WaylandToplevels:
    """The top-level windows a program asked a Wayland compositor for, read from the
    requests that libwayland logs under WAYLAND_DEBUG, in the order they were made."""

    REQUEST = re.compile(r"-> (?:xdg_surface@\d+\.get_toplevel\(new id xdg_toplevel@(\d+)\)"
                         r"|xdg_toplevel@(\d+)\.(set_parent|set_title|destroy)\((.*)\))$")

    def __init__(self, log_path):
        self.windows = []
        live = {}
        with open(log_path, errors="replace") as log:
            for line in log:
                match = self.REQUEST.search(line.rstrip())
                if not match:
                    continue
                created, toplevel, request, argument = match.groups()
                if created:
                    live[created] = {"title": None, "parent": None}
                    self.windows.append(live[created])
                elif toplevel in live and request == "set_title":
                    live[toplevel]["title"] = argument.strip('"')
                elif toplevel in live and request == "set_parent":
                    parent = re.fullmatch(r"xdg_toplevel@(\d+)", argument)
                    live[toplevel]["parent"] = live.get(parent.group(1)) if parent else None
                elif toplevel in live and request == "destroy":
                    del live[toplevel]


class WindowsTest(ProgramTestCase):

    def only_on_x11(self, why):
        if self.display.session != "x11":
            self.skipTest(f"not on Wayland: {why}")

    def showing(self, run, role):
        return wait_until(lambda: next((w for w in run.windows() if run.safe_role(w) == role and run.showing(w)),
                                       None), what=f"a {role} window")

    def assert_centred(self, window, what):
        x, y, width, height = window.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        screen_width, screen_height = self.display.size
        # Half a pixel each way is rounding; anything more is a window off the centre.
        self.assertLessEqual(abs(2 * x + width - screen_width), 1, f"{what} at x={x}, {width} wide")
        self.assertLessEqual(abs(2 * y + height - screen_height), 1, f"{what} at y={y}, {height} high")

    def pixels_changed_in_a_second(self, method):
        # The screen as the display server shows it, not as the program thinks it drew it.
        run = self.launch()
        run.press(run.find("radio button", method))
        run.press(run.find("push button", "Proceed"))
        run.find("push button", "Back")
        shots = []
        for name in ("before.png", "after.png"):
            time.sleep(1.0)
            shots.append(os.path.join(self.scratch, name))
            self.display.screenshot(shots[-1])
        compared = subprocess.run(["compare", "-metric", "AE", *shots, "null:"], capture_output=True, text=True)
        return int(float(compared.stderr.split()[0]))

    def test_colour_wheel_keeps_reaching_the_screen(self):
        # Flowing rings change a few thousand pixels from one second to the next.
        self.assertGreater(self.pixels_changed_in_a_second("Color Wheel"), 3000,
                           "pixels changed on screen in one second of the wheel")

    def test_colour_box_keeps_reaching_the_screen(self):
        # Under X11 its frames go from the player's own thread: climbing boxes change tens
        # of thousands of pixels a second on the screen itself.
        self.assertGreater(self.pixels_changed_in_a_second("Color Box"), 10000,
                           "pixels changed on screen in one second of the Colour Box")

    def test_chooser_frame_about_box_and_refer_a_friend_window_open_centred(self):
        self.only_on_x11("the compositor places top-level windows, and a client can neither place "
                         "itself nor learn where it was put")
        run = self.launch()
        self.assert_centred(run.find("frame", CAPTION), "the chooser")

        run.press(run.find("menu item", "About Software"), opens_modal=True)
        self.assert_centred(self.showing(run, "dialog"), "the About box")
        run.press(run.find("push button", "OK"))
        wait_until(lambda: not any(r == "dialog" for r, _ in run.showing_windows()), what="the About box to close")

        run.press(run.find("radio button", "Pendulum"))
        run.press(run.find("push button", "Proceed"))
        run.find("push button", "Back")
        self.assert_centred(self.showing(run, "frame"), "the display frame")
        run.press(run.find("push button", "Back"))
        run.find("push button", "Proceed")

        run.press(run.find("menu item", "Exit"))
        run.find("push button", "Refer A Friend Now")
        self.assert_centred(self.showing(run, "frame"), "the refer-a-friend window")

    def test_refer_a_friend_window_asks_to_stay_above_all_others(self):
        self.only_on_x11("xdg-shell gives a client no way to keep its window above others")
        run = self.launch()
        run.find("frame", CAPTION)
        run.press(run.find("menu item", "Exit"))
        run.find("push button", "Refer A Friend Now")
        (window,) = wait_until(lambda: x11_windows(CAPTION), what="the refer-a-friend window on the X server")
        self.assertIn("_NET_WM_STATE_ABOVE", x11_property(window, "_NET_WM_STATE"))

    def test_message_box_belongs_to_the_window_it_speaks_for(self):
        # Nobody clicks into the refer-a-friend window, so it is not the active one: the
        # box must still belong to it, or a desktop could show the box beneath the
        # window that stays above all others, out of the user's reach.
        wayland_log = os.path.join(self.scratch, "wayland.log")
        on_wayland = self.display.session == "wayland"
        run = self.launch(extra_env={"WAYLAND_DEBUG": "client"}, log=wayland_log) if on_wayland else self.launch()
        run.find("frame", CAPTION)
        run.press(run.find("menu item", "Exit"))
        submit = run.find("push button", "Refer A Friend Now")
        if not on_wayland:
            (referral,) = wait_until(lambda: x11_windows(CAPTION), what="the refer-a-friend window on the X server")
        run.press(submit, opens_modal=True)
        run.find("alert", "Somnara")
        if on_wayland:
            windows = WaylandToplevels(wayland_log).windows
            box = next(w for w in reversed(windows) if w["title"] == "Somnara")
            referral = windows[windows.index(box) - 1]
            self.assertEqual(referral["title"], CAPTION)
            self.assertIs(box["parent"], referral, "the box belongs to the window opened just before it")
        else:
            (box,) = wait_until(lambda: x11_windows("Somnara"), what="the message box on the X server")
            self.assertIn(f"window id # {referral:#x}", x11_property(box, "WM_TRANSIENT_FOR"))
        run.press(run.find("push button", "OK"))


if __name__ == "__main__":
    unittest.main()
