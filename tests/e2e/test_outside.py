"""What the program hands to the world outside: web pages, the update reminder, the
refer-a-friend request, and the Color Box's change of movie."""

import os
import stat
import unittest
from urllib.parse import parse_qsl, urlsplit

from harness import ProgramTestCase, wait_until

CHOOSER = ("frame", "Somnara v1.45")
FAKETIME_LIBRARY = "/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1"


class OutsideTest(ProgramTestCase):

    def setUp(self):
        super().setUp()
        # A stand-in for the desktop's opener: it only notes what it was asked to open.
        self.opened_log = os.path.join(self.scratch, "opened.txt")
        stubs = os.path.join(self.scratch, "stubs")
        os.makedirs(stubs)
        opener = os.path.join(stubs, "xdg-open")
        with open(opener, "w") as script:
            script.write(f'#!/bin/sh\nprintf "%s\\n" "$1" >> "{self.opened_log}"\n')
        os.chmod(opener, stat.S_IRWXU)
        self.env = {"PATH": stubs + os.pathsep + os.environ["PATH"]}

    def opened(self):
        if not os.path.exists(self.opened_log):
            return []
        with open(self.opened_log) as log:
            return log.read().splitlines()

    def start(self, days_ahead=0):
        env = dict(self.env)
        if days_ahead:
            env.update({"LD_PRELOAD": FAKETIME_LIBRARY, "FAKETIME": f"+{days_ahead}d",
                        "FAKETIME_DONT_FAKE_MONOTONIC": "1",
                        # A sanitizer build otherwise refuses a library loaded before its own.
                        "ASAN_OPTIONS": "verify_asan_link_order=0"})
        return self.launch(extra_env=env)

    def test_every_help_page_opens_through_the_desktop(self):
        run = self.start()
        run.find(*CHOOSER)
        for entry in ("Online Help", "Visit Us Online", "Check For Software Update", "Donate"):
            run.press(run.find("menu item", entry))
        pages = wait_until(lambda: len(self.opened()) == 4 and self.opened(), what="four pages")
        # Each page is handed to an opener of its own, so they may arrive in any order.
        self.assertEqual(sorted(urlsplit(p).path for p in pages),
                         ["", "/donate.html", "/somnara-software/download-somnara.html",
                          "/somnara-software/somnara-help.html"])
        self.assertTrue(all(p.startswith("https://") for p in pages))

    def test_update_reminder_asks_after_fifteen_days_and_remembers(self):
        first = self.start()
        first.find(*CHOOSER)
        first.stop()

        later = self.start(days_ahead=14)
        later.find(*CHOOSER)
        self.assertFalse(any(later.safe_role(w) == "alert" for w in later.windows()), "no question at 14 days")
        later.stop()

        due = self.start(days_ahead=15)
        alert = due.find("alert", "Somnara")
        self.assertEqual(due.texts_of(alert),
                         ["There maybe an update to this software available\nDo you want to check for an update?"])
        due.press(due.find("push button", "Yes"))
        due.find(*CHOOSER)
        wait_until(lambda: self.opened(), what="the download page")
        self.assertEqual(urlsplit(self.opened()[0]).path, "/somnara-software/download-somnara.html")
        due.stop()

        again = self.start(days_ahead=15)
        again.find(*CHOOSER)
        self.assertFalse(any(again.safe_role(w) == "alert" for w in again.windows()), "asked once, remembered")

    def test_refer_a_friend_refuses_bad_entries_and_sends_a_good_one_intact(self):
        run = self.start()
        run.find(*CHOOSER)
        run.press(run.find("menu item", "Exit"))
        submit = run.find("push button", "Refer A Friend Now")

        run.press(submit, opens_modal=True)
        alert = run.find("alert", "Somnara")
        self.assertEqual(run.texts_of(alert), ["Please Enter Proper Email Address"])
        run.press(run.find("push button", "OK"))
        wait_until(lambda: not any(run.safe_role(w) == "alert" for w in run.windows()), what="the box to close")
        self.assertEqual(self.opened(), [])

        entries = {"Your Name": "Ann & Bob", "Your Email Address": "ann@home.example",
                   "Friend's Name": "Cé #1", "Friend's Email Address": "cy+x@far.example",
                   "Your Message": "Try it = calm"}
        for name, text in entries.items():
            run.set_text(run.find("text", name), text)
        run.press(submit)
        request = wait_until(lambda: self.opened(), what="the request")[0]
        parts = urlsplit(request)
        self.assertEqual(parts.path, "/qxvs-refer-a-friend.php")
        self.assertEqual(parse_qsl(parts.query), [
            ("taf1", "Ann & Bob"), ("taf2", "ann@home.example"), ("taf3", "Try it = calm"),
            ("taf4", "Cé #1"), ("taf5", "cy+x@far.example"),
            ("taf6", "https://www.velmor.example/somnara-software/")])

        run.press(run.find("push button", "Exit"))
        self.assertEqual(run.wait_exit(), 0)

    def test_color_box_change_direction_swaps_the_movie(self):
        run = self.start()
        run.find(*CHOOSER)
        run.press(run.find("radio button", "Color Box"))
        run.press(run.find("push button", "Proceed"))
        change = run.find("push button", "Change Direction")

        def playing():
            for accessible in run.walk(run.application()):
                if run.safe_name(accessible) == "Movie":
                    return accessible.description
            return None

        self.assertEqual(wait_until(playing, what="the movie"), "BoxUpward")
        run.press(change)
        wait_until(lambda: playing() == "BoxDownward", what="the downward movie")
        run.press(change)
        wait_until(lambda: playing() == "BoxUpward", what="the upward movie again")


if __name__ == "__main__":
    unittest.main()
