"""Drives the real program from outside, the way a user or a screen reader does.

Each test class gets a private display, an X server (Xvfb) or a Wayland compositor
(weston, headless) as SOMNARA_E2E_SESSION says, and its own accessibility bus; each test
a private home and runtime folder, so runs never see each other's settings or instance
lock. Windows and controls are found through AT-SPI by role and name, which works the
same in both sessions.
"""

import os
import shutil
import socket
import signal
import subprocess
import sys
import tempfile
import time
import unittest

import pyatspi
from gi.repository import Atspi, GLib

PROGRAM = os.environ.get("SOMNARA_PROGRAM", "")
SESSION = os.environ.get("SOMNARA_E2E_SESSION", "x11")


# Generous: a wait ends as soon as its condition holds, and a sanitizer build starting
# under a compositor on a busy two-core machine can take many seconds to show a window.
PATIENCE = 30.0


def wait_until(predicate, timeout=PATIENCE, interval=0.05, what="condition"):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        try:
            value = predicate()
        except GLib.Error:
            # A window closed while it was being looked at: look again.
            value = None
        if value:
            return value
        time.sleep(interval)
    raise AssertionError(f"timed out waiting for {what}")


def walk(accessible, depth=0, max_depth=12):
    if accessible is None or depth > max_depth:
        return
    yield accessible
    try:
        children = list(accessible)
    except Exception:
        return
    for child in children:
        yield from walk(child, depth + 1, max_depth)


def safe_name(accessible):
    try:
        return accessible.name or ""
    except Exception:
        return ""


def safe_role(accessible):
    try:
        return accessible.getRoleName()
    except Exception:
        return ""


def visible(accessible):
    try:
        return accessible.getState().contains(pyatspi.STATE_VISIBLE)
    except Exception:
        return False


def start_accessibility_bus():
    bus = subprocess.Popen(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"],
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    # A program that starts before the registry answers is never listed.
    wait_until(registry_answers, timeout=20, what="the accessibility registry")
    return bus


def registry_answers():
    try:
        pyatspi.Registry.getDesktop(0).childCount
        return True
    except Exception:
        return False


def stop(process):
    process.terminate()
    try:
        process.wait(timeout=5)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()


class Display:
    """An Xvfb server and an accessibility bus for the life of a test class."""

    session = "x11"
    size = (1280, 800)

    def __init__(self):
        read_fd, write_fd = os.pipe()
        self.log = tempfile.NamedTemporaryFile("w+", prefix="xvfb-", suffix=".log")
        # A desktop's X server lives through its programs, its window manager holding it; Xvfb
        # alone resets whenever its last client leaves, and a client that connects meanwhile
        # can lose its connection. Tests start and stop clients all the time.
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "%dx%dx24" % self.size, "-nolisten", "tcp",
             "-noreset"],
            pass_fds=[write_fd], stdout=subprocess.DEVNULL, stderr=self.log)
        os.close(write_fd)
        with os.fdopen(read_fd) as pipe:
            self.name = ":" + pipe.readline().strip()
        os.environ["DISPLAY"] = self.name
        self.bus = start_accessibility_bus()

    def program_env(self):
        return {"QT_QPA_PLATFORM": "xcb"}

    def screenshot(self, path):
        subprocess.run(["import", "-window", "root", path], check=True)

    def close(self):
        # A server that went away under the tests explains their failures better than they can.
        ended = self.xvfb.poll()
        stop(self.bus)
        stop(self.xvfb)
        if ended is not None:
            self.log.seek(0)
            print(f"Xvfb {self.name} ended with {ended} during the tests:\n{self.log.read()[-4000:]}", file=sys.stderr)
        self.log.close()


class WestonDisplay:
    """A headless weston, drawing in memory so that it can take screenshots, and an
    accessibility bus, for the life of a test class. Its socket lies in a runtime folder
    of its own; the program is given the socket's full path, so its own runtime folder
    (and instance lock) stays private to each test."""

    session = "wayland"
    size = (1280, 800)

    def __init__(self, scale=1):
        self.runtime_dir = tempfile.mkdtemp(prefix="somnara-weston-")
        self.socket = os.path.join(self.runtime_dir, "wayland-somnara")
        # Nothing may reach an X server by accident: the session is Wayland alone.
        os.environ.pop("DISPLAY", None)
        self.log = open(os.path.join(self.runtime_dir, "weston.log"), "w")
        # --debug lets weston-screenshooter take pictures.
        self.weston = subprocess.Popen(
            ["weston", "--backend=headless-backend.so", "--use-pixman", "--no-config", "--idle-time=0",
             "--debug", f"--socket={os.path.basename(self.socket)}", f"--width={self.size[0]}",
             f"--height={self.size[1]}", f"--scale={scale}"],
            env={**os.environ, "XDG_RUNTIME_DIR": self.runtime_dir},
            stdout=self.log, stderr=subprocess.STDOUT)
        wait_until(self._accepts, timeout=20, what="weston's socket")
        self.bus = start_accessibility_bus()

    def _accepts(self):
        if self.weston.poll() is not None:
            raise AssertionError(f"weston ended at start with {self.weston.returncode}; see {self.log.name}")
        with socket.socket(socket.AF_UNIX) as probe:
            try:
                probe.connect(self.socket)
                return True
            except OSError:
                return False

    def program_env(self):
        return {"QT_QPA_PLATFORM": "wayland", "WAYLAND_DISPLAY": self.socket}

    def screenshot(self, path):
        # The screenshooter names its picture itself, in the folder it runs in.
        with tempfile.TemporaryDirectory() as folder:
            subprocess.run(["weston-screenshooter"], cwd=folder, check=True, timeout=30,
                           env={**os.environ, "WAYLAND_DISPLAY": self.socket, "XDG_RUNTIME_DIR": self.runtime_dir})
            (taken,) = os.listdir(folder)
            shutil.move(os.path.join(folder, taken), path)

    def close(self):
        stop(self.bus)
        stop(self.weston)
        self.log.close()
        shutil.rmtree(self.runtime_dir, ignore_errors=True)


def session_display():
    return WestonDisplay() if SESSION == "wayland" else Display()


class Somnara:
    """One run of the program, in a program folder of its own."""

    def __init__(self, home, runtime_dir, folder, extra_env=None, command_prefix=(), display=None, log=None):
        env = dict(os.environ)
        env.update({
            "HOME": home,
            "XDG_CONFIG_HOME": os.path.join(home, ".config"),
            "XDG_RUNTIME_DIR": runtime_dir,
            "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1",
            "QT_ACCESSIBILITY": "1",
        })
        env.update(display.program_env() if display else {"QT_QPA_PLATFORM": "xcb"})
        env.update(extra_env or {})
        with open(log or os.devnull, "w") as stderr:
            self.process = subprocess.Popen([*command_prefix, os.path.join(folder, "somnara")], env=env,
                                            stdout=subprocess.DEVNULL, stderr=stderr, start_new_session=True)

    def application(self):
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            try:
                if app is not None and app.get_process_id() == self.process.pid:
                    # Windows come and go; never answer from a stale copy of the tree.
                    app.clear_cache()
                    app.set_cache_mask(Atspi.Cache.NONE)
                    return app
            except Exception:
                continue
        return None

    def windows(self):
        app = self.application()
        try:
            return list(app) if app is not None else []
        except GLib.Error:
            return []

    def find(self, role, name=None, timeout=PATIENCE):
        """The first control of that role and name, a visible one before one on a hidden
        panel (entries of closed menus count as hidden too, yet can act)."""
        def look():
            matches = [a for a in walk(self.application())
                       if safe_role(a) == role and (name is None or safe_name(a) == name)]
            return next((a for a in matches if visible(a)), matches[0] if matches else None)
        return wait_until(look, timeout, what=f"{role} {name!r}")

    # Windows may close while they are being looked at; these never raise for that.
    walk = staticmethod(walk)
    safe_name = staticmethod(safe_name)
    safe_role = staticmethod(safe_role)

    def texts_of(self, accessible):
        return [safe_name(a) for a in walk(accessible) if safe_role(a) == "label"]

    def press(self, accessible, opens_modal=False):
        """Runs the control's action. An action that opens a modal box does not answer
        until the box closes, so then the call is left waiting and the test goes on."""
        action = accessible.queryAction()
        names = [action.getName(i) for i in range(action.nActions)]
        index = next((i for i, n in enumerate(names) if n.lower() in ("press", "click", "toggle")), 0)
        if not opens_modal:
            action.doAction(index)
            return
        pyatspi.setTimeout(300, 15000)
        try:
            action.doAction(index)
        except Exception:
            pass
        finally:
            pyatspi.setTimeout(25000, 15000)

    def set_text(self, accessible, text):
        accessible.queryEditableText().setTextContents(text)

    def showing(self, accessible):
        try:
            return accessible.getState().contains(pyatspi.STATE_SHOWING)
        except Exception:
            return False

    def showing_windows(self):
        return [(safe_role(w), safe_name(w)) for w in self.windows() if self.showing(w)]

    def wait_exit(self, timeout=10.0):
        return self.process.wait(timeout=timeout)

    def stop(self):
        if self.process.poll() is None:
            os.killpg(self.process.pid, signal.SIGKILL)
            self.process.wait()


class ProgramTestCase(unittest.TestCase):
    """A test with a display, a fresh user and a copy of the program folder."""

    @classmethod
    def setUpClass(cls):
        if not PROGRAM:
            raise unittest.SkipTest("SOMNARA_PROGRAM is not set")
        cls.display = session_display()

    @classmethod
    def tearDownClass(cls):
        cls.display.close()

    def setUp(self):
        self.scratch = tempfile.mkdtemp(prefix="somnara-e2e-")
        self.home = os.path.join(self.scratch, "home")
        self.runtime_dir = os.path.join(self.scratch, "run")
        os.makedirs(self.home)
        os.makedirs(self.runtime_dir, mode=0o700)
        self.folder = os.path.join(self.scratch, "program")
        shutil.copytree(os.path.dirname(PROGRAM), self.folder)
        self.runs = []

    def tearDown(self):
        for run in self.runs:
            run.stop()
        shutil.rmtree(self.scratch, ignore_errors=True)

    def launch(self, **kwargs):
        run = Somnara(kwargs.pop("home", self.home), self.runtime_dir, kwargs.pop("folder", self.folder),
                      display=self.display, **kwargs)
        self.runs.append(run)
        return run
