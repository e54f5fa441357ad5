"""Stand-ins for the desktop's idle inhibition services on the session bus: the desktop
portal's Inhibit interface and org.freedesktop.ScreenSaver. Each call is written to a
log, one JSON object a line, as it arrives. Like the real services, they let go of what
a client held when it leaves the bus, and log that too.

    fake_idle_services.py LOG [--portal] [--screensaver] [--silent]

--silent: the services own their names but never answer a call; the portal still
carries the request out, as a slow one does, so only closing its request object lets
go of it. The line {"ready": ...}
is logged once every name asked for is owned. Every line carries "holding": how many
inhibitions the services hold after it.
"""

import argparse
import json
import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

PORTAL_NAME = "org.freedesktop.portal.Desktop"
PORTAL_PATH = "/org/freedesktop/portal/desktop"
SAVER_NAME = "org.freedesktop.ScreenSaver"
SAVER_PATH = "/org/freedesktop/ScreenSaver"


class Ledger:
    """What each client holds, and the log of everything that happens to it."""

    def __init__(self, bus, path):
        self.bus = bus
        self.log = open(path, "a", buffering=1)
        self.held = {}
        self.watched = {}

    def write(self, **entry):
        self.log.write(json.dumps({**entry, "holding": len(self.held)}) + "\n")

    def take(self, sender, key, **entry):
        self.held[key] = sender
        self.write(event="inhibit", sender=sender, **entry)
        if sender not in self.watched:
            self.watched[sender] = self.bus.watch_name_owner(sender, lambda owner: self.vanished(sender, owner))

    def give_back(self, key, **entry):
        self.write(event="release", known=self.held.pop(key, None) is not None, **entry)

    def vanished(self, sender, owner):
        if owner:
            return
        dropped = [key for key, holder in self.held.items() if holder == sender]
        for key in dropped:
            del self.held[key]
        self.write(event="vanished", sender=sender, dropped=[str(key) for key in dropped])


class PortalRequest(dbus.service.Object):
    def __init__(self, bus, path, ledger):
        super().__init__(bus, path)
        self.ledger = ledger
        self.path = path

    @dbus.service.method("org.freedesktop.portal.Request", in_signature="", out_signature="")
    def Close(self):
        self.ledger.give_back(("portal", self.path), via="portal", handle=self.path)
        self.remove_from_connection()


class Portal(dbus.service.Object):
    def __init__(self, bus, ledger, silent):
        super().__init__(bus, PORTAL_PATH)
        self.bus = bus
        self.ledger = ledger
        self.silent = silent

    @dbus.service.method("org.freedesktop.portal.Inhibit", in_signature="sua{sv}", out_signature="o",
                         sender_keyword="sender", async_callbacks=("answer", "fail"))
    def Inhibit(self, window, flags, options, sender, answer, fail):
        token = str(options.get("handle_token", "t%d" % len(self.ledger.held)))
        path = "%s/request/%s/%s" % (PORTAL_PATH, sender[1:].replace(".", "_"), token)
        PortalRequest(self.bus, path, self.ledger)
        self.ledger.take(sender, ("portal", path), via="portal", handle=path, window=str(window), flags=int(flags),
                         reason=str(options.get("reason", "")))
        if self.silent:
            self.ledger.write(event="unanswered", via="portal", sender=sender)
            return
        answer(dbus.ObjectPath(path))


class ScreenSaver(dbus.service.Object):
    def __init__(self, bus, ledger, silent):
        super().__init__(bus, SAVER_PATH)
        self.ledger = ledger
        self.silent = silent
        self.cookies = 0

    @dbus.service.method(SAVER_NAME, in_signature="ss", out_signature="u",
                         sender_keyword="sender", async_callbacks=("answer", "fail"))
    def Inhibit(self, application, reason, sender, answer, fail):
        if self.silent:
            self.ledger.write(event="unanswered", via="screensaver", sender=sender)
            return
        self.cookies += 1
        self.ledger.take(sender, ("screensaver", self.cookies), via="screensaver", cookie=self.cookies,
                         application=str(application), reason=str(reason))
        answer(dbus.UInt32(self.cookies))

    @dbus.service.method(SAVER_NAME, in_signature="u", out_signature="", sender_keyword="sender")
    def UnInhibit(self, cookie, sender):
        self.ledger.give_back(("screensaver", int(cookie)), via="screensaver", cookie=int(cookie))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("log")
    parser.add_argument("--portal", action="store_true")
    parser.add_argument("--screensaver", action="store_true")
    parser.add_argument("--silent", action="store_true")
    args = parser.parse_args()

    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    ledger = Ledger(bus, args.log)
    names = []
    services = []
    if args.portal:
        services.append(Portal(bus, ledger, args.silent))
        names.append(dbus.service.BusName(PORTAL_NAME, bus, do_not_queue=True))
    if args.screensaver:
        services.append(ScreenSaver(bus, ledger, args.silent))
        names.append(dbus.service.BusName(SAVER_NAME, bus, do_not_queue=True))
    ledger.write(ready=[name.get_name() for name in names])
    GLib.MainLoop().run()


if __name__ == "__main__":
    sys.exit(main())
