"""The desktop is told that the user is watching while a visual runs, so that it neither
blanks nor locks the screen in the middle of a session. Stand-ins for the desktop portal
and org.freedesktop.ScreenSaver on the test's private session bus log every call; the
X server's own screen saver is read through its MIT-SCREEN-SAVER extension."""

import ctypes
import json
import os
import subprocess
import sys
import time
import unittest

from harness import ProgramTestCase, wait_until

CHOOSER = ("frame", "Somnara v1.45")
CAPTION = "Somnara v1.45"
REASON = "Showing a self-hypnosis visual"
NO_SERVICE = "the screen may blank during a session"
FAKES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "fake_idle_services.py")


class FakeServices:
    """The stand-ins, running until stopped, and what they logged."""

    def __init__(self, folder, *flags):
        self.log = os.path.join(folder, "idle-services.log")
        self.process = subprocess.Popen([sys.executable, FAKES, self.log, *flags])
        wait_until(lambda: self.entries() and "ready" in self.entries()[0], what="the stand-in services")

    def entries(self):
        if not os.path.exists(self.log):
            return []
        with open(self.log) as log:
            return [json.loads(line) for line in log if line.endswith("\n")]

    def events(self, kind):
        return [entry for entry in self.entries() if entry.get("event") == kind]

    def holding(self):
        entries = self.entries()
        return entries[-1].get("holding", 0) if entries else 0

    def wait_holding(self, count, after=None):
        wait_until(lambda: self.holding() == count, what=f"{count} inhibitions held {after or ''}")

    def stop(self):
        self.process.terminate()
        self.process.wait()


class X11Client:
    """A connection to the X server through libxcb, for what the tests ask of it as other
    clients do: the screen saver's state, and the window manager's part in minimising."""

    SAVER_ON = 1
    WM_STATE_NORMAL, WM_STATE_ICONIC = 1, 3

    class Screen(ctypes.Structure):
        _fields_ = [("root", ctypes.c_uint32)]

    class ScreenIterator(ctypes.Structure):
        _fields_ = [("data", ctypes.c_void_p), ("rem", ctypes.c_int), ("index", ctypes.c_int)]

    class Cookie(ctypes.Structure):
        _fields_ = [("sequence", ctypes.c_uint)]

    class SaverInfo(ctypes.Structure):
        _fields_ = [("response_type", ctypes.c_uint8), ("state", ctypes.c_uint8), ("sequence", ctypes.c_uint16),
                    ("length", ctypes.c_uint32), ("saver_window", ctypes.c_uint32),
                    ("ms_until_server", ctypes.c_uint32), ("ms_since_user_input", ctypes.c_uint32),
                    ("kind", ctypes.c_uint8)]

    class Atom(ctypes.Structure):
        _fields_ = [("response_type", ctypes.c_uint8), ("pad", ctypes.c_uint8), ("sequence", ctypes.c_uint16),
                    ("length", ctypes.c_uint32), ("atom", ctypes.c_uint32)]

    def __init__(self):
        xcb = self.xcb = ctypes.CDLL("libxcb.so.1")
        saver = self.saver = ctypes.CDLL("libxcb-screensaver.so.0")
        self.libc = ctypes.CDLL(None)
        self.libc.free.argtypes = [ctypes.c_void_p]
        signatures = [
            (xcb.xcb_connect, ctypes.c_void_p, [ctypes.c_char_p, ctypes.c_void_p]),
            (xcb.xcb_get_setup, ctypes.c_void_p, [ctypes.c_void_p]),
            (xcb.xcb_setup_roots_iterator, self.ScreenIterator, [ctypes.c_void_p]),
            (xcb.xcb_disconnect, None, [ctypes.c_void_p]),
            (xcb.xcb_connection_has_error, ctypes.c_int, [ctypes.c_void_p]),
            (xcb.xcb_flush, ctypes.c_int, [ctypes.c_void_p]),
            (xcb.xcb_intern_atom, self.Cookie, [ctypes.c_void_p, ctypes.c_uint8, ctypes.c_uint16, ctypes.c_char_p]),
            (xcb.xcb_intern_atom_reply, ctypes.POINTER(self.Atom), [ctypes.c_void_p, self.Cookie, ctypes.c_void_p]),
            (xcb.xcb_change_property, self.Cookie, [ctypes.c_void_p, ctypes.c_uint8, ctypes.c_uint32,
                                                    ctypes.c_uint32, ctypes.c_uint32, ctypes.c_uint8,
                                                    ctypes.c_uint32, ctypes.c_void_p]),
            (xcb.xcb_set_screen_saver, self.Cookie, [ctypes.c_void_p, ctypes.c_int16, ctypes.c_int16,
                                                     ctypes.c_uint8, ctypes.c_uint8]),
            (xcb.xcb_force_screen_saver, self.Cookie, [ctypes.c_void_p, ctypes.c_uint8]),
            (saver.xcb_screensaver_query_info, self.Cookie, [ctypes.c_void_p, ctypes.c_uint32]),
            (saver.xcb_screensaver_query_info_reply, ctypes.POINTER(self.SaverInfo),
             [ctypes.c_void_p, self.Cookie, ctypes.c_void_p]),
        ]
        for function, result, arguments in signatures:
            function.restype = result
            function.argtypes = arguments
        self.connect()

    def connect(self):
        self.connection = self.xcb.xcb_connect(None, None)
        if self.xcb.xcb_connection_has_error(self.connection):
            raise AssertionError(f"no connection to the X server {os.environ.get('DISPLAY')}")
        roots = self.xcb.xcb_setup_roots_iterator(self.xcb.xcb_get_setup(self.connection))
        self.root = ctypes.cast(roots.data, ctypes.POINTER(self.Screen)).contents.root

    def reply(self, pointer, field):
        if not pointer:
            broken = self.xcb.xcb_connection_has_error(self.connection)
            raise AssertionError("the X server did not answer" + (f" (connection error {broken})" if broken else ""))
        value = getattr(pointer.contents, field)
        self.libc.free(pointer)
        return value

    def saver_on(self):
        info = self.query_saver()
        if not info and self.xcb.xcb_connection_has_error(self.connection):
            # The server's state is the question, not this client's link to it: a server
            # that is still there answers a fresh connection; one that is gone fails it.
            self.close()
            self.connect()
            info = self.query_saver()
        return self.reply(info, "state") == self.SAVER_ON

    def query_saver(self):
        cookie = self.saver.xcb_screensaver_query_info(self.connection, self.root)
        return self.saver.xcb_screensaver_query_info_reply(self.connection, cookie, None)

    def set_saver_timeout(self, seconds):
        """As `xset s SECONDS 0`, then `xset s reset`; -1 is the server's default."""
        default = 2
        self.xcb.xcb_set_screen_saver(self.connection, seconds, 0 if seconds > 0 else -1, default, default)
        self.reset_saver()

    def reset_saver(self):
        """What any input does: the saver goes off and its timeout starts again."""
        self.xcb.xcb_force_screen_saver(self.connection, 0)
        self.xcb.xcb_flush(self.connection)

    def minimise(self, window, minimised):
        """What a window manager does to minimise or restore a window: set its WM_STATE."""
        name = b"WM_STATE"
        cookie = self.xcb.xcb_intern_atom(self.connection, 0, len(name), name)
        atom = self.reply(self.xcb.xcb_intern_atom_reply(self.connection, cookie, None), "atom")
        data = (ctypes.c_uint32 * 2)(self.WM_STATE_ICONIC if minimised else self.WM_STATE_NORMAL, 0)
        self.xcb.xcb_change_property(self.connection, 0, window, atom, atom, 32, 2, data)
        self.xcb.xcb_flush(self.connection)

    def close(self):
        self.xcb.xcb_disconnect(self.connection)


class IdleInhibitionTest(ProgramTestCase):

    def setUp(self):
        super().setUp()
        self.stderr = os.path.join(self.scratch, "stderr.log")

    def start_fakes(self, *flags):
        fakes = FakeServices(self.scratch, *flags)
        self.addCleanup(fakes.stop)
        return fakes

    def start(self):
        run = self.launch(log=self.stderr)
        run.find(*CHOOSER)
        return run

    def proceed(self, run, method):
        run.press(run.find("radio button", method))
        run.set_text(run.find("text", "Your text"), "calm")
        run.press(run.find("push button", "Proceed"))

    def back(self, run):
        run.press(run.find("push button", "Back"))
        run.find("push button", "Proceed")

    def exit(self, run):
        run.press(run.find("menu item", "Exit"))
        run.press(run.find("push button", "Exit"))
        self.assertEqual(run.wait_exit(timeout=30), 0)

    def frame_window(self):
        def mapped():
            found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", f"^{CAPTION}$"],
                                   capture_output=True, text=True)
            return next((int(window) for window in found.stdout.split()), None)
        return wait_until(mapped, what="the frame's X window")

    def said_no_service(self):
        with open(self.stderr) as log:
            return sum(NO_SERVICE in line for line in log)

    def walk_through(self, fakes):
        """Wheel, stop, start, minimise, back, a movie, minimise, exit; after each step
        the services hold what they should. Without services, the same walk must work."""
        def expect(count, after):
            if fakes:
                fakes.wait_holding(count, after)

        run = self.start()
        self.proceed(run, "Color Wheel")
        expect(1, "once the wheel draws")
        run.press(run.find("menu item", "Stop Color Wheel"))
        expect(0, "after Stop")
        run.press(run.find("menu item", "Start Color Wheel"))
        expect(1, "after Start")
        if self.display.session == "x11":
            x11 = self.x11()
            frame = self.frame_window()
            x11.minimise(frame, True)
            expect(0, "while minimised")
            x11.minimise(frame, False)
            expect(1, "once restored")
        self.back(run)
        expect(0, "after Back")
        self.proceed(run, "Pendulum")
        expect(1, "while the movie plays")
        self.back(run)
        expect(0, "after Back from the movie")
        self.proceed(run, "Color Box")
        expect(1, "while the boxes play")
        self.back(run)
        self.exit(run)
        return run

    def assert_never_held_two(self, fakes):
        self.assertLessEqual(max(entry.get("holding", 0) for entry in fakes.entries()), 1)

    def test_portal_first_and_every_step_takes_or_releases_it(self):
        fakes = self.start_fakes("--portal", "--screensaver")
        self.walk_through(fakes)
        inhibits = fakes.events("inhibit")
        minimised = 1 if self.display.session == "x11" else 0
        self.assertEqual(len(inhibits), 4 + minimised)
        self.assertEqual({entry["via"] for entry in inhibits}, {"portal"})
        self.assertEqual({(entry["flags"], entry["reason"]) for entry in inhibits}, {(8, REASON)})
        releases = fakes.events("release")
        self.assertEqual(len(releases), len(inhibits))
        self.assertTrue(all(entry["known"] for entry in releases), releases)
        self.assertEqual(fakes.holding(), 0)
        self.assert_never_held_two(fakes)
        self.assertEqual(self.said_no_service(), 0)

    def test_screensaver_alone_takes_a_cookie_and_gives_it_back(self):
        fakes = self.start_fakes("--screensaver")
        self.walk_through(fakes)
        inhibits = fakes.events("inhibit")
        self.assertEqual({(entry["via"], entry["application"], entry["reason"]) for entry in inhibits},
                         {("screensaver", "Somnara", REASON)})
        self.assertEqual(sorted(entry["cookie"] for entry in fakes.events("release")),
                         sorted(entry["cookie"] for entry in inhibits))
        self.assertEqual(fakes.holding(), 0)
        self.assert_never_held_two(fakes)
        self.assertEqual(self.said_no_service(), 0)

    def test_without_services_the_program_works_and_says_so_once(self):
        self.walk_through(None)
        self.assertEqual(self.said_no_service(), 1)

    def test_services_that_never_answer_do_not_hold_up_the_window(self):
        fakes = self.start_fakes("--portal", "--screensaver", "--silent")
        run = self.start()
        self.proceed(run, "Color Wheel")
        wait_until(lambda: fakes.events("unanswered"), what="the first unanswered call")
        back = run.find("push button", "Back")
        # Both calls go unanswered for a second each; the window answers each question
        # of the screen reader's throughout, one round trip to the window's thread.
        slowest = 0.0
        deadline = time.monotonic() + 3.0
        while time.monotonic() < deadline:
            began = time.monotonic()
            back.getState()
            slowest = max(slowest, time.monotonic() - began)
            time.sleep(0.02)
        self.assertLess(slowest, 1.0)
        fakes.wait_holding(0, "once the portal's request, given up, is closed")
        self.assertEqual({entry["via"] for entry in fakes.events("unanswered")}, {"portal", "screensaver"})
        self.back(run)
        self.exit(run)
        self.assertEqual(self.said_no_service(), 1)

    def test_killed_program_leaves_nothing_held(self):
        fakes = self.start_fakes("--portal")
        saver = self.x_saver(2)
        run = self.start()
        self.proceed(run, "Color Wheel")
        fakes.wait_holding(1, "once the wheel draws")
        if saver:
            # The screen reader's presses are no input to the X server; a user's are.
            saver.reset_saver()
        run.stop()
        fakes.wait_holding(0, "once the program is killed")
        self.assertTrue(fakes.events("vanished")[-1]["dropped"])
        if saver:
            wait_until(saver.saver_on, what="the X screen saver once the program is gone")

    def test_x_screen_saver_stays_off_while_a_visual_runs_and_returns_after_back(self):
        timeout = 2
        saver = self.x_saver(timeout)
        if not saver:
            self.skipTest("not on Wayland: the X server's own screen saver")
        run = self.start()
        self.proceed(run, "Color Wheel")
        # The wheel has its menu once it is loaded, and it holds the saver off from then.
        run.find("menu item", "Stop Color Wheel")
        # The screen reader's presses are no input to the X server; a user's are.
        saver.reset_saver()
        # The saver would come on within the timeout; watch it for twice as long.
        deadline = time.monotonic() + 2 * timeout + 1
        while time.monotonic() < deadline:
            self.assertFalse(saver.saver_on(), "the X screen saver came on while the wheel ran")
            time.sleep(0.1)
        self.back(run)
        wait_until(saver.saver_on, what="the X screen saver after Back")

    def x11(self):
        client = X11Client()
        self.addCleanup(client.close)
        return client

    def x_saver(self, timeout):
        """The X server, its saver set to a short timeout for this test; None under Wayland."""
        if self.display.session != "x11":
            return None
        x11 = self.x11()
        x11.set_saver_timeout(timeout)
        self.addCleanup(x11.set_saver_timeout, -1)
        return x11


if __name__ == "__main__":
    unittest.main()
